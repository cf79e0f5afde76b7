#include "KXGR/widgets/KXQtCanvas.h"

#include "KXGR/widgets/KXQtConvert.h"

#include <QGuiApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace {

const QRgb White = qRgb(255, 255, 255), Black = qRgb(0, 0, 0), Red = qRgb(255, 0, 0), Green = qRgb(0, 255, 0);
constexpr TColor RedColor = 0x0000FF, GreenColor = 0x00FF00;

// The raster engine paints at once, so pixels can be read while the canvas is open.
class QtCanvasTest : public ::testing::Test {
protected:
    QImage Image{60, 40, QImage::Format_RGB32};
    std::optional<TKXQtCanvas> Canvas;

    // A new canvas on the image filled with fill, with a red solid brush and black text.
    TKXQtCanvas &Fresh(QRgb fill = White)
    {
        Canvas.reset();
        Image.fill(fill);
        Canvas.emplace(&Image);
        Canvas->Brush = {RedColor, bsSolid};
        Canvas->Font.Color = clBlack;
        return *Canvas;
    }
    QRgb At(int x, int y) const { return Image.pixel(x, y); }
    int Count(QRgb color) const
    {
        const auto *pixels = reinterpret_cast<const QRgb *>(Image.constBits());
        return int(std::count(pixels, pixels + Image.width() * Image.height(), color));
    }
    // The smallest rectangle holding every pixel that is not white.
    QRect PaintedBox() const
    {
        QRect box;
        for (int y = 0; y < Image.height(); ++y)
            for (int x = 0; x < Image.width(); ++x)
                box |= Image.pixel(x, y) != White ? QRect(x, y, 1, 1) : QRect();
        return box;
    }
};

TEST_F(QtCanvasTest, RectangleExcludesRightAndBottomEdgesAndClearPenOrBrush)
{
    TKXQtCanvas &c = Fresh();
    c.Rectangle(20, 20, 10, 10);  // corners in any order
    EXPECT_EQ(At(19, 19), Black);
    EXPECT_EQ(At(18, 18), Red);
    EXPECT_EQ(At(20, 20), White);
    EXPECT_EQ(PaintedBox(), QRect(QPoint(10, 10), QPoint(19, 19)));
    EXPECT_EQ(Count(Black), 36);

    // A clear pen fills one pixel less, draws no line but moves; a clear brush keeps the inside.
    Fresh();
    c.Pen.Style = psClear;
    c.Rectangle(10, 10, 20, 20);
    c.MoveTo(0, 0);
    c.LineTo(59, 39);
    EXPECT_EQ(c.PenPos, (TPoint{59, 39}));
    c.Pen.Style = psSolid;
    c.Brush.Style = bsClear;
    c.Rectangle(30, 10, 40, 20);
    EXPECT_EQ(Count(Red), 81);
    EXPECT_EQ(At(30, 10), Black);
    EXPECT_EQ(At(35, 15), White);
    EXPECT_EQ(Count(Black), 36);
}

TEST_F(QtCanvasTest, LineToLeavesItsEndPixelAndPenWidthZeroIsOnePixel)
{
    TKXQtCanvas &c = Fresh();
    c.MoveTo(5, 5);
    c.LineTo(15, 5);
    c.LineTo(15, 15);
    c.LineTo(5, 25);
    EXPECT_EQ(At(15, 5), Black);  // start of the second line
    EXPECT_EQ(At(6, 24), Black);
    EXPECT_EQ(At(5, 25), White);
    EXPECT_EQ(Count(Black), 30);
    EXPECT_EQ(c.PenPos, (TPoint{5, 25}));

    Fresh();
    c.Pen.Width = 0;
    c.MoveTo(5, 5);
    c.LineTo(25, 12);
    c.Pen.Width = 1;
    c.MoveTo(5, 25);
    c.LineTo(25, 32);
    EXPECT_EQ(Image.copy(0, 0, 30, 20), Image.copy(0, 20, 30, 20));
    EXPECT_EQ(Count(Black), 40);
}

TEST_F(QtCanvasTest, DashStylesFollowTheGdiPatternsWithGapsInTheSolidBrushColour)
{
    const std::pair<TPenStyle, const char *> rows[] = {  // '#' pen, 'r' gap
        {psDash, "##################rrrrrr############"},       {psDot, "###rrr###rrr###rrr###rrr###rrr###rrr"},
        {psDashDot, "#########rrrrrr###rrrrrr#########rrr"},    {psDashDotDot, "#########rrr###rrr###rrr#########rrr"},
        {psSolid, "####################################"},      {psInsideFrame, "####################################"}};
    for (const auto &[style, expected] : rows) {
        SCOPED_TRACE(int(style));
        TKXQtCanvas &c = Fresh();
        c.Pen.Style = style;
        c.MoveTo(0, 5);
        c.LineTo(36, 5);
        c.Brush.Style = bsClear;  // the gaps stay as they were
        c.MoveTo(0, 7);
        c.LineTo(36, 7);
        std::string row, clearRow;
        for (int x = 0; x < 36; ++x) {
            row += At(x, 5) == Black ? '#' : At(x, 5) == Red ? 'r' : '.';
            clearRow += At(x, 7) == Black ? '#' : At(x, 7) == White ? 'r' : '?';
        }
        EXPECT_EQ(row, expected);
        EXPECT_EQ(clearRow, expected);
    }
    TKXQtCanvas &c = Fresh();
    c.Pen = {clBlack, psDash, 3};  // wide dashed pens are solid
    c.MoveTo(2, 20);
    c.LineTo(50, 20);
    for (int x = 4; x < 48; ++x)
        ASSERT_TRUE(At(x, 19) == Black && At(x, 20) == Black && At(x, 21) == Black) << x;
}

TEST_F(QtCanvasTest, HatchesPaintLinesInTheBrushColourAndKeepTheGaps)
{
    // Painted pixels per 8 x 8 cell, and a shift that leaves the pattern as it is.
    const std::tuple<TBrushStyle, int, QPoint> hatches[] = {{bsHorizontal, 8, {1, 0}}, {bsVertical, 8, {0, 1}},
                                                            {bsFDiagonal, 8, {1, 1}},  {bsBDiagonal, 8, {1, 7}},
                                                            {bsCross, 15, {8, 8}},     {bsDiagCross, 16, {8, 8}}};
    for (const auto &[style, perCell, shift] : hatches) {
        SCOPED_TRACE(int(style));
        TKXQtCanvas &c = Fresh(Green);
        c.Brush = {clBlack, style};
        c.FillRect({0, 0, 16, 16});
        EXPECT_EQ(Count(Black), 4 * perCell);
        EXPECT_EQ(Count(Green), 60 * 40 - 4 * perCell);
        EXPECT_EQ(Image.copy(0, 0, 8, 8), Image.copy(shift.x(), shift.y(), 8, 8));
    }
}

TEST_F(QtCanvasTest, NotXorDrawnTwiceRestoresThePicture)
{
    TKXQtCanvas &c = Fresh();
    c.Rectangle(5, 5, 40, 30);
    c.Brush.Color = GreenColor;
    c.Ellipse(20, 10, 55, 38);
    c.Font.Name = "Arial";
    c.TextOut(8, 8, "Glyph");
    const QImage before = Image.copy();
    c.Pen.Mode = pmNotXor;
    c.Brush.Style = bsClear;
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(At(2, 20), pass ? Black : White);  // white inverted by the first pass
        c.Pen.Style = psSolid;
        c.Pen.Width = 1;
        c.Rectangle(2, 3, 50, 35);
        c.Ellipse(10, 2, 30, 20);
        c.RoundRect(12, 12, 58, 39, 10, 10);
        c.Pen.Style = psDot;
        c.MoveTo(0, 0);
        c.LineTo(59, 37);
        c.Pen.Style = psSolid;
        c.Pen.Width = 3;
        c.MoveTo(0, 39);
        c.LineTo(59, 20);
    }
    EXPECT_EQ(Image, before);
}

TEST_F(QtCanvasTest, EllipsesAndRoundRectsFillTheirBoxSymmetrically)
{
    for (const QRect box : {QRect(5, 8, 25, 7), QRect(3, 3, 1, 27), QRect(7, 2, 43, 35)})
        for (const bool round : {false, true}) {
            SCOPED_TRACE(box.x() + 100 * round);
            TKXQtCanvas &c = Fresh();
            const int x2 = box.right() + 1, y2 = box.bottom() + 1;
            round ? c.RoundRect(box.left(), box.top(), x2, y2, 10, 6) : c.Ellipse(box.left(), box.top(), x2, y2);
            EXPECT_EQ(PaintedBox(), box);
            EXPECT_EQ(Image.copy(box), Image.copy(box).mirrored(true, false));
            EXPECT_EQ(Image.copy(box), Image.copy(box).mirrored(false, true));
        }
    Fresh().Ellipse(10, 10, 30, 30);
    EXPECT_EQ(At(10, 20), Black);
    EXPECT_EQ(At(11, 20), Red);  // a one-pixel outline
    EXPECT_EQ(At(10, 10), White);
}

TEST_F(QtCanvasTest, FarOffCoordinatesAreClippedWithoutWalkingThem)
{
    TKXQtCanvas &c = Fresh();
    c.MoveTo(-2000000000, -2000000000);
    c.LineTo(2000000000, 2000000000);
    c.Pen.Style = psDash;
    c.Rectangle(-2147483647, 30, 2147483647, 2147483647);
    c.Pen.Style = psSolid;
    c.Ellipse(-2000000000, -2000000000, 2000000000, 2000000000);
    c.Brush.Style = bsClear;
    c.RoundRect(-1000000, -1000000, 1000000, 38, 2000000, 100);
    EXPECT_EQ(At(37, 36), Red);    // the ellipse's inside covers the image
    EXPECT_EQ(At(20, 37), Black);  // bottom of the round rectangle
}

// A picture drawn at coordinates shifted by the origin gives the same pixels, clipping included.
TEST_F(QtCanvasTest, AShiftedOriginMovesThePictureWithoutChangingItsPixels)
{
    const auto draw = [&](TKXQtCanvas &c, TPoint d) {
        c.Pen.Style = psDash;
        c.MoveTo(d.X - 5, d.Y + 3);
        c.LineTo(d.X + 70, d.Y + 30);
        c.Pen.Style = psSolid;
        c.Ellipse(d.X + 2, d.Y + 2, d.X + 30, d.Y + 20);
        c.RoundRect(d.X + 35, d.Y - 4, d.X + 58, d.Y + 18, 9, 9);
        c.TextRect({d.X + 4, d.Y + 22, d.X + 40, d.Y + 34}, d.X + 6, d.Y + 23, "Clipped text");
    };
    draw(Fresh(), {0, 0});
    const QImage plain = Image;
    TKXQtCanvas &shifted = Fresh();
    shifted.SetOrigin({-100, 50});
    draw(shifted, {-100, 50});
    EXPECT_EQ(Image, plain);
    EXPECT_NE(Count(White), Image.width() * Image.height());
}

TEST_F(QtCanvasTest, SystemColoursComeFromTheApplicationPalette)
{
    TKXQtCanvas &c = Fresh();
    c.Pen.Color = clWindowText;
    c.Brush.Color = clBtnFace;
    c.Rectangle(10, 10, 20, 20);
    c.Brush.Color = clInfoBk;
    c.FillRect({30, 10, 40, 20});
    c.Brush.Color = TColor(0x8000000Fu);  // the high bit alone makes a system colour
    c.FillRect({45, 10, 55, 20});
    const QPalette palette = QGuiApplication::palette();
    EXPECT_EQ(At(10, 10), palette.color(QPalette::Text).rgb());
    EXPECT_EQ(At(15, 15), palette.color(QPalette::Button).rgb());
    EXPECT_EQ(At(35, 15), palette.color(QPalette::ToolTipBase).rgb());
    EXPECT_EQ(At(50, 15), palette.color(QPalette::Button).rgb());
}

TEST_F(QtCanvasTest, TextIsMeasuredAtNinetySixPixelsPerInch)
{
    TKXQtCanvas canvas;  // measuring needs no device
    canvas.Font.Name = "Arial";
    canvas.Font.Size = 10;
    EXPECT_EQ(canvas.QtFont().pixelSize(), 13);
    EXPECT_EQ(canvas.TextWidth("Hello World"), 67);  // Liberation Sans, the metric twin of Arial
    EXPECT_EQ(canvas.TextWidth("Hello World"), 67);
    EXPECT_EQ(canvas.TextHeight("Hello World"), 15);
    canvas.Font.Size = 20;
    EXPECT_EQ(canvas.QtFont().pixelSize(), 27);
    EXPECT_GT(canvas.TextWidth("Hello World"), 67);
    canvas.Font.Size = 10;  // the cache answers the new font, not the last one
    EXPECT_EQ(canvas.TextWidth("Hello World"), 67);
    // The last text measured is kept for drawing it: another text is measured anew.
    EXPECT_LT(canvas.TextWidth("Hello"), 67);
    canvas.TextOut(0, 0, "Hello World");  // without a device only the pen moves
    EXPECT_EQ(canvas.PenPos, (TPoint{67, 0}));
}

TEST_F(QtCanvasTest, TextOutIsOpaqueWithASolidBrushAndTextRectClips)
{
    TKXQtCanvas &c = Fresh();
    c.Font.Name = "Arial";
    const int32_t width = c.TextWidth("Hi"), height = c.TextHeight("Hi");
    c.TextOut(5, 5, "Hi");
    EXPECT_EQ(c.PenPos, (TPoint{5 + width, 5}));
    EXPECT_EQ(PaintedBox(), QRect(5, 5, width, height));
    EXPECT_EQ(Count(Red), width * height - Count(Black));

    Fresh();
    c.Font.Size = 20;
    c.TextRect({10, 10, 30, 20}, 12, 5, "WWWWWW");
    c.Brush.Style = bsClear;
    c.TextRect({40, 10, 50, 20}, 35, 5, "WWWWWW");
    EXPECT_EQ(PaintedBox().topLeft(), QPoint(10, 10));
    EXPECT_EQ(PaintedBox().bottom(), 19);
    EXPECT_LE(PaintedBox().right(), 49);
    EXPECT_EQ(At(29, 19), Red);
    QImage white(10, 40, QImage::Format_RGB32);
    white.fill(White);
    EXPECT_EQ(Image.copy(30, 0, 10, 40), white);  // nothing between the two rectangles
}

TEST(QtConvert, Cp1252BothWays)
{
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes.push_back(static_cast<char>(b));
    EXPECT_EQ(ToCp1252(FromCp1252(bytes)), bytes);
    EXPECT_EQ(FromCp1252("\x80 \xE4\xF6\xFC\xDF \x93x\x94"), QString::fromUtf8("€ äöüß “x”"));
    EXPECT_TRUE(IsCp1252(QString::fromUtf8("Ärger über € und ™")));
    // Characters outside the code page, a C1 control among them, become question marks.
    for (const auto &[text, converted] : {std::pair("a中b", "a?b"), std::pair("x😀y", "x?y"), std::pair("\xC2\x80", "?")}) {
        EXPECT_FALSE(IsCp1252(QString::fromUtf8(text))) << text;
        EXPECT_EQ(ToCp1252(QString::fromUtf8(text)), converted) << text;
    }
}

} // namespace
