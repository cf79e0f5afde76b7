// Paints a styled vertex with every shape, pen style and hatch and two text items through the
// Qt canvas at scales 50, 100 and 200, checks pixels of it, and writes the picture to
// $GLYPHSMITH_SHOT_DIR/styled_vertex.png when that variable is set, for a person to look at.

#include "KXGR/core/KXStyles.h"
#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXQtCanvas.h"
#include "KXGR/widgets/KXQtConvert.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr TColor Red = 0x0000FF;
constexpr TColor Green = 0x008000;
constexpr TColor Blue = 0xFF0000;
constexpr TColor Yellow = 0x80FFFF;
constexpr TColor Orange = 0x0080FF;
constexpr TColor Purple = 0x800080;

// The vertex is 300 x 170 logical units; its top-left corner sits at (10, 10).
constexpr int32_t VertexLeft = 10;
constexpr int32_t VertexTop = 10;

TKXDrawItem &AddItem(TKXVertexStyle &style, TKXItemShape shape, TRect r, TColor pen, TColor brush,
                     TBrushStyle brushStyle = bsSolid, TPenStyle penStyle = psSolid)
{
    auto item = std::make_unique<TKXDrawItem>();
    item->Name = "item" + std::to_string(style.DrawItems.size());
    item->Shape = shape;
    item->X1 = r.Left;
    item->Y1 = r.Top;
    item->X2 = r.Right;
    item->Y2 = r.Bottom;
    item->PenColor = pen;
    item->PenStyle = penStyle;
    item->PenWidth = 1;
    item->BrushColor = brush;
    item->BrushStyle = brushStyle;
    style.DrawItems.push_back(std::move(item));
    return *style.DrawItems.back();
}

TKXTextItem &AddText(TKXVertexStyle &style, const std::string &name, TRect r, TKXTextAlign align, TColor back,
                     TBrushStyle backStyle)
{
    auto item = std::make_unique<TKXTextItem>();
    item->Name = name;
    item->X1 = r.Left;
    item->Y1 = r.Top;
    item->X2 = r.Right;
    item->Y2 = r.Bottom;
    item->FontName = "Arial";
    item->FontSize = 10;
    item->FontColor = Blue;
    item->FontStyle = fsBold;
    item->Alignment = align;
    item->BackColor = back;
    item->BackStyle = backStyle;
    style.TextItems.push_back(std::move(item));
    return *style.TextItems.back();
}

const TPenStyle PenStyles[] = {psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame};
int32_t PenRowY(int i) { return 86 + 6 * i; }

// Row 1: the four shapes. Row 2: solid, clear and the six hatches. Row 3: the seven pen
// styles as lines. Row 4: a centred text on a solid background and a left-aligned
// one on a hatch. A frame that grows with the vertex lies under everything.
std::unique_ptr<TKXVertexStyle> ShowcaseStyle()
{
    auto style = std::make_unique<TKXVertexStyle>();
    style->Name = "Showcase";
    AddItem(*style, isRectangle, {0, 0, 0, 0}, clBlack, clWhite).Growth = igBoth;

    AddItem(*style, isRectangle, {10, 10, 70, 40}, clBlack, Red);
    AddItem(*style, isRoundRect, {80, 10, 140, 40}, clBlack, Green);
    AddItem(*style, isEllipse, {150, 10, 210, 40}, clBlack, Yellow);
    AddItem(*style, isLine, {220, 10, 290, 40}, Red, clWhite);

    const TBrushStyle brushes[] = {bsSolid,     bsClear,     bsHorizontal, bsVertical,
                                   bsFDiagonal, bsBDiagonal, bsCross,      bsDiagCross};
    for (int i = 0; i < 8; ++i)
        AddItem(*style, isRectangle, {10 + 36 * i, 50, 40 + 36 * i, 80}, clBlack, Purple, brushes[i]);

    for (int i = 0; i < 7; ++i)
        AddItem(*style, isLine, {10, PenRowY(i), 290, PenRowY(i)}, Orange, clWhite, bsSolid, PenStyles[i]);

    AddText(*style, "Title", {10, 128, 290, 146}, txCenter, Yellow, bsSolid);
    AddText(*style, "Note", {10, 148, 290, 166}, txLeft, Green, bsFDiagonal);
    return style;
}

class StyledVertexPaintTest : public ::testing::Test {
protected:
    TKXUOLibrary Library;
    std::unique_ptr<TKXVertex> Vertex;

    void SetUp() override
    {
        Library.OnGetData = [](int32_t, const std::string &name, TObject *) { return "<<" + name + ">>"; };
        Library.AddStyle(ShowcaseStyle());
        Vertex = TKXVertex::CreateWithStyle({0, 0}, &Library, "Showcase");
        Vertex->MoveBy({VertexLeft + 50, VertexTop + 25});
        Vertex->Handles[2]->MoveBy({200, 120});  // bottom-right: 300 x 170, the frame grows
        Vertex->Selected = true;
    }

    QImage Paint(int32_t scale) const
    {
        QImage image(ScaleValue(VertexLeft * 2 + 300, scale) + 8, ScaleValue(VertexTop * 2 + 170, scale) + 8,
                     QImage::Format_RGB32);
        image.fill(Qt::white);
        TKXQtCanvas canvas(&image);
        Vertex->Draw(canvas, scale, dmScreen);
        canvas.End();
        return image;
    }

    // The device pixel of a point given relative to the vertex, in logical units.
    static QRgb At(const QImage &image, int32_t scale, int32_t x, int32_t y)
    {
        return image.pixel(ScaleValue(VertexLeft + x, scale), ScaleValue(VertexTop + y, scale));
    }

    static int CountIn(const QImage &image, QRect r, QRgb color)
    {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += image.pixel(x, y) == color;
        return n;
    }

    static QRect DeviceRect(int32_t scale, TRect r)
    {
        return QRect(QPoint(ScaleValue(VertexLeft + r.Left, scale), ScaleValue(VertexTop + r.Top, scale)),
                     QPoint(ScaleValue(VertexLeft + r.Right, scale) - 1, ScaleValue(VertexTop + r.Bottom, scale) - 1));
    }
};

QRgb Rgb(TColor c) { return ToQColor(c).rgb(); }

TEST_F(StyledVertexPaintTest, PaintsShapesHatchesPensAndTextAtEveryScale)
{
    std::vector<QImage> pictures;
    for (const int32_t scale : {50, 100, 200}) {
        SCOPED_TRACE("scale " + std::to_string(scale));
        const QImage image = Paint(scale);
        pictures.push_back(image);

        // The growing frame: its corner in black, its inside white.
        EXPECT_EQ(At(image, scale, 0, 0), Rgb(clBlack));
        EXPECT_EQ(At(image, scale, 5, 45), Rgb(clWhite));
        // Shape interiors in their brush colours.
        EXPECT_EQ(At(image, scale, 40, 25), Rgb(Red));
        EXPECT_EQ(At(image, scale, 110, 25), Rgb(Green));
        EXPECT_EQ(At(image, scale, 180, 25), Rgb(Yellow));
        // The ellipse leaves the corners of its rectangle alone.
        EXPECT_EQ(At(image, scale, 152, 12), Rgb(clWhite));
        // The line runs from its start in red.
        EXPECT_EQ(At(image, scale, 220, 10), Rgb(Red));
        // Solid brush filled, clear brush empty, hatches partly painted.
        EXPECT_EQ(At(image, scale, 25, 65), Rgb(Purple));
        EXPECT_EQ(CountIn(image, DeviceRect(scale, {47, 52, 75, 78}), Rgb(Purple)), 0);
        for (int i = 2; i < 8; ++i) {
            const QRect inside = DeviceRect(scale, {12 + 36 * i, 52, 38 + 36 * i, 78});
            const int purple = CountIn(image, inside, Rgb(Purple));
            EXPECT_GT(purple, 0) << "hatch " << i;
            EXPECT_LT(purple, inside.width() * inside.height() / 2) << "hatch " << i;
        }
        // Solid lines have no gaps, dashed ones some, a clear pen paints nothing.
        for (int i = 0; i < 7; ++i) {
            const QRect line(QPoint(ScaleValue(VertexLeft + 10, scale), ScaleValue(VertexTop + PenRowY(i), scale)),
                             QPoint(ScaleValue(VertexLeft + 290, scale) - 1, ScaleValue(VertexTop + PenRowY(i), scale)));
            const int orange = CountIn(image, line, Rgb(Orange));
            if (PenStyles[i] == psSolid || PenStyles[i] == psInsideFrame)
                EXPECT_EQ(orange, line.width()) << "pen style " << i;
            else if (PenStyles[i] == psClear)
                EXPECT_EQ(orange, 0);
            else
                EXPECT_TRUE(orange > line.width() / 4 && orange < line.width()) << "pen style " << i << ": " << orange;
        }
        // The title on its yellow background in blue text.
        const QRect title = DeviceRect(scale, {10, 128, 290, 146});
        EXPECT_EQ(image.pixel(title.topLeft()), Rgb(Yellow));
        EXPECT_GT(CountIn(image, title, Rgb(Blue)), 20);
        // The note's text, clipped to its rectangle.
        EXPECT_GT(CountIn(image, DeviceRect(scale, {10, 148, 290, 166}), Rgb(Blue)), 20);
        EXPECT_EQ(CountIn(image, DeviceRect(scale, {10, 166, 290, 170}), Rgb(Blue)), 0);
        // The selected vertex shows its handles: 8 device pixels whatever the scale.
        const int32_t xs = ScaleValue(VertexLeft + 300, scale);
        const int32_t ys = ScaleValue(VertexTop + 170, scale);
        EXPECT_EQ(CountIn(image, QRect(xs - 4, ys - 4, 8, 8), Rgb(clBlack)), 64);
    }
    // Text grows with the scale.
    EXPECT_LT(CountIn(pictures[0], DeviceRect(50, {10, 128, 290, 146}), Rgb(Blue)),
              CountIn(pictures[1], DeviceRect(100, {10, 128, 290, 146}), Rgb(Blue)));
    EXPECT_LT(CountIn(pictures[1], DeviceRect(100, {10, 128, 290, 146}), Rgb(Blue)),
              CountIn(pictures[2], DeviceRect(200, {10, 128, 290, 146}), Rgb(Blue)));

    const QString dir = qEnvironmentVariable("GLYPHSMITH_SHOT_DIR");
    if (dir.isEmpty())
        return;
    int width = 0;
    int height = 0;
    for (const QImage &picture : pictures) {
        width += picture.width() + 10;
        height = std::max(height, picture.height());
    }
    QImage sheet(width, height, QImage::Format_RGB32);
    sheet.fill(Qt::lightGray);
    QPainter painter(&sheet);
    int x = 0;
    for (const QImage &picture : pictures) {
        painter.drawImage(x, 0, picture);
        x += picture.width() + 10;
    }
    painter.end();
    EXPECT_TRUE(sheet.save(dir + "/styled_vertex.png"));
}

}
