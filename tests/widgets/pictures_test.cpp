// Pictures at scales 50, 100 and 200 for a person to look at, written to $GLYPHSMITH_SHOT_DIR
// when that variable is set: styled_vertex.png (every shape, pen style and hatch and two text
// items, whose pixels are checked as well) and diagram_box.png (grid, page lines, selected and
// unselected vertices).

#include "KXGR/core/KXStyles.h"
#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXQtCanvas.h"
#include "KXGR/widgets/KXDiagramBox.h"
#include "KXGR/widgets/KXPrinterInfo.h"
#include "KXGR/widgets/KXQtConvert.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr TColor Red = 0x0000FF, Green = 0x008000, Blue = 0xFF0000, Yellow = 0x80FFFF, Orange = 0x0080FF,
                 Purple = 0x800080;
const TPenStyle PenStyles[] = {psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame};
const TBrushStyle Brushes[] = {bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross};
int32_t PenRowY(int i) { return 86 + 6 * i; }

// Row 1: the four shapes. Row 2: solid, clear and the six hatches. Row 3: the seven pen
// styles as lines. Row 4: a centred text on a solid background and a left-aligned one on a
// hatch. A frame that grows with the vertex lies under everything.
std::unique_ptr<TKXVertexStyle> ShowcaseStyle()
{
    auto style = std::make_unique<TKXVertexStyle>();
    style->Name = "Showcase";
    auto add = [&](TKXItemShape shape, TRect r, TColor pen, TColor brush, TBrushStyle brushStyle = bsSolid,
                   TPenStyle penStyle = psSolid) {
        auto item = std::make_unique<TKXDrawItem>();
        std::tie(item->Shape, item->X1, item->Y1, item->X2, item->Y2) = std::tuple(shape, r.Left, r.Top, r.Right, r.Bottom);
        std::tie(item->PenColor, item->PenStyle, item->PenWidth, item->BrushColor, item->BrushStyle) =
            std::tuple(pen, penStyle, 1, brush, brushStyle);
        style->DrawItems.push_back(std::move(item));
        return style->DrawItems.back().get();
    };
    add(isRectangle, {0, 0, 0, 0}, clBlack, clWhite)->Growth = igBoth;
    add(isRectangle, {10, 10, 70, 40}, clBlack, Red);
    add(isRoundRect, {80, 10, 140, 40}, clBlack, Green);
    add(isEllipse, {150, 10, 210, 40}, clBlack, Yellow);
    add(isLine, {220, 10, 290, 40}, Red, clWhite);
    for (int i = 0; i < 8; ++i)
        add(isRectangle, {10 + 36 * i, 50, 40 + 36 * i, 80}, clBlack, Purple, Brushes[i]);
    for (int i = 0; i < 7; ++i)
        add(isLine, {10, PenRowY(i), 290, PenRowY(i)}, Orange, clWhite, bsSolid, PenStyles[i]);
    for (const auto &[name, top, align, back, backStyle] :
         {std::tuple("Title", 128, txCenter, Yellow, bsSolid), std::tuple("Note", 148, txLeft, Green, bsFDiagonal)}) {
        auto item = std::make_unique<TKXTextItem>();
        std::tie(item->Name, item->X1, item->Y1, item->X2, item->Y2) = std::tuple(name, 10, top, 290, top + 18);
        std::tie(item->FontName, item->FontSize, item->FontColor, item->FontStyle) = std::tuple("Arial", 10, Blue, fsBold);
        std::tie(item->Alignment, item->BackColor, item->BackStyle) = std::tuple(align, back, backStyle);
        style->TextItems.push_back(std::move(item));
    }
    return style;
}

QRgb Rgb(TColor c) { return ToQColor(c).rgb(); }

class Pictures : public ::testing::Test {
protected:
    TKXUOLibrary Library;
    std::vector<QImage> Sheet;  // one picture per scale

    Pictures()
    {
        Library.OnGetData = [](int32_t, const std::string &name, TObject *) { return "<<" + name + ">>"; };
        Library.AddStyle(ShowcaseStyle());
    }
    // The showcase vertex, 300 x 170, with its top-left corner at topLeft.
    std::unique_ptr<TKXVertex> Showcase(TPoint topLeft)
    {
        auto vertex = TKXVertex::CreateWithStyle({50, 25}, &Library, "Showcase");
        vertex->MoveBy(topLeft);
        vertex->Handles[2]->MoveBy({200, 120});  // the frame grows with it
        return vertex;
    }
    // Puts the pictures side by side into the shot directory.
    void SaveSheet(const QString &name)
    {
        const QString dir = qEnvironmentVariable("GLYPHSMITH_SHOT_DIR");
        if (dir.isEmpty())
            return;
        QImage sheet(Sheet[0].width() + Sheet[1].width() + Sheet[2].width() + 20, Sheet[2].height(), QImage::Format_RGB32);
        sheet.fill(Qt::lightGray);
        QPainter painter(&sheet);
        for (int i = 0, x = 0; i < 3; x += Sheet[i++].width() + 10)
            painter.drawImage(x, 0, Sheet[i]);
        painter.end();
        EXPECT_TRUE(sheet.save(dir + "/" + name));
    }
};

TEST_F(Pictures, StyledVertexAtEveryScale)
{
    const auto vertex = Showcase({10, 10});
    vertex->Selected = true;
    for (const int32_t scale : {50, 100, 200}) {
        SCOPED_TRACE("scale " + std::to_string(scale));
        QImage image(ScaleValue(320, scale) + 8, ScaleValue(190, scale) + 8, QImage::Format_RGB32);
        image.fill(Qt::white);
        TKXQtCanvas canvas(&image);
        vertex->Draw(canvas, scale, dmScreen);
        canvas.End();
        Sheet.push_back(image);
        // Pixels and rectangles given relative to the vertex, in logical units.
        const auto at = [&](int32_t x, int32_t y) { return image.pixel(ScaleValue(10 + x, scale), ScaleValue(10 + y, scale)); };
        const auto count = [&](TRect r, TColor color) {
            int n = 0;
            for (int y = ScaleValue(10 + r.Top, scale); y < ScaleValue(10 + r.Bottom, scale); ++y)
                for (int x = ScaleValue(10 + r.Left, scale); x < ScaleValue(10 + r.Right, scale); ++x)
                    n += image.pixel(x, y) == Rgb(color);
            return n;
        };
        EXPECT_EQ(at(0, 0), Rgb(clBlack));  // the grown frame
        EXPECT_EQ(at(40, 25), Rgb(Red));
        EXPECT_EQ(at(152, 12), Rgb(clWhite));  // outside the ellipse
        EXPECT_EQ(count({10, PenRowY(5), 290, PenRowY(5) + 2}, Orange), 0);  // the clear pen
        EXPECT_EQ(at(10, 128), Rgb(Yellow));
        // The centred title's ink sits around the middle of its item (150) at every scale.
        int inkLeft = image.width(), inkRight = -1;
        for (int y = ScaleValue(10 + 128, scale); y < ScaleValue(10 + 146, scale); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) == Rgb(Blue)) {
                    inkLeft = std::min(inkLeft, x);
                    inkRight = std::max(inkRight, x);
                }
        EXPECT_NEAR((inkLeft + inkRight) / 2.0, ScaleValue(10 + 150, scale), 3);
        EXPECT_GT(count({10, 148, 290, 166}, Blue), 20);  // the note's text, and nothing below it
        EXPECT_EQ(count({10, 166, 290, 170}, Blue), 0);
        // Handles are 8 device pixels whatever the scale.
        QImage black(8, 8, QImage::Format_RGB32);
        black.fill(Qt::black);
        EXPECT_EQ(image.copy(ScaleValue(310, scale) - 4, ScaleValue(180, scale) - 4, 8, 8), black);
    }
    SaveSheet("styled_vertex.png");
}

TEST_F(Pictures, DiagramBoxAtThreeScales)
{
    TKXFixedPrinterInfo printer{{4800, 6600, 1024}};
    SetPrinterInfo(&printer);
    for (const int32_t scale : {50, 100, 200}) {
        TKXDiagramBox box;
        box.resize(ScaleValue(760, scale), ScaleValue(440, scale));
        box.SetColor(clWhite);
        box.SetGridColor(clSilver);
        box.SetShowGrid(true);
        box.SetPrintScale(400);
        box.SetShowPrinterPage(true);
        box.SetScale(scale);
        box.AddObject(Showcase({20, 20}).release(), moNew);
        box.AddObject(Showcase({420, 60}).release(), moNew);  // the one selected
        box.AddObject(Showcase({120, 240}).release(), moLoaded);
        box.AddObject(new TKXCustomVertex(TPoint{600, 340}), moLoaded);
        box.SetBorderStyle(bsSingle);
        Sheet.push_back(box.grab().toImage());
    }
    SetPrinterInfo(nullptr);
    SaveSheet("diagram_box.png");
}

} // namespace
