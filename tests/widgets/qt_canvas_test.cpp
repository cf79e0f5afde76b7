#include "KXGR/widgets/KXQtCanvas.h"

#include "KXGR/widgets/KXQtConvert.h"

#include <QGuiApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);
const QRgb Red = qRgb(255, 0, 0);
const QRgb Green = qRgb(0, 255, 0);
constexpr TColor RedColor = 0x0000FF;
constexpr TColor GreenColor = 0x00FF00;

class QtCanvasTest : public ::testing::Test {
protected:
    QImage Image{60, 40, QImage::Format_RGB32};

    void SetUp() override { Image.fill(White); }

    // Paints with a fresh canvas: black 1-pixel pen, red solid brush.
    void Paint(const std::function<void(TKXQtCanvas &)> &draw)
    {
        TKXQtCanvas canvas(&Image);
        canvas.Brush.Color = RedColor;
        draw(canvas);
    }
    // Paints on a white image and answers it.
    QImage Painted(const std::function<void(TKXQtCanvas &)> &draw)
    {
        Image.fill(White);
        Paint(draw);
        return Image.copy();
    }
    QRgb At(int x, int y) const { return Image.pixel(x, y); }
    int Count(QRgb color) const
    {
        int n = 0;
        for (int y = 0; y < Image.height(); ++y)
            for (int x = 0; x < Image.width(); ++x)
                n += Image.pixel(x, y) == color;
        return n;
    }
    // The smallest rectangle holding every pixel that is not white.
    QRect PaintedBox() const
    {
        QRect box;
        for (int y = 0; y < Image.height(); ++y)
            for (int x = 0; x < Image.width(); ++x)
                if (Image.pixel(x, y) != White)
                    box |= QRect(x, y, 1, 1);
        return box;
    }
};

TEST_F(QtCanvasTest, RectangleExcludesRightAndBottomEdges)
{
    Paint([](TKXQtCanvas &c) { c.Rectangle(10, 10, 20, 20); });
    EXPECT_EQ(At(19, 19), Black);
    EXPECT_EQ(At(18, 18), Red);
    EXPECT_EQ(At(20, 20), White);
    EXPECT_EQ(PaintedBox(), QRect(QPoint(10, 10), QPoint(19, 19)));
    EXPECT_EQ(Count(Black), 36);
    const QImage expected = Image.copy();
    EXPECT_EQ(Painted([](TKXQtCanvas &c) { c.Rectangle(20, 20, 10, 10); }), expected);  // corners in any order
}

TEST_F(QtCanvasTest, ClearPenFillsOnePixelLessClearBrushKeepsTheInside)
{
    TPoint penPos;
    Paint([&](TKXQtCanvas &c) {
        c.Pen.Style = psClear;
        c.Rectangle(10, 10, 20, 20);
        c.MoveTo(0, 0);
        c.LineTo(59, 39);
        penPos = c.PenPos;
        c.Pen.Style = psSolid;
        c.Brush.Style = bsClear;
        c.Rectangle(30, 10, 40, 20);
    });
    EXPECT_EQ(At(18, 18), Red);
    EXPECT_EQ(Count(Red), 81);
    EXPECT_EQ(At(30, 10), Black);
    EXPECT_EQ(At(35, 15), White);
    EXPECT_EQ(Count(Black), 36);
    EXPECT_EQ(penPos, (TPoint{59, 39}));  // a clear pen draws no line but moves
}

TEST_F(QtCanvasTest, LineToLeavesItsEndPixelAndPenWidthZeroIsOnePixel)
{
    TPoint penPos;
    Paint([&](TKXQtCanvas &c) {
        c.MoveTo(5, 5);
        c.LineTo(15, 5);
        c.LineTo(15, 15);
        c.LineTo(5, 25);
        penPos = c.PenPos;
    });
    EXPECT_EQ(At(14, 5), Black);
    EXPECT_EQ(At(15, 5), Black);  // start of the second line
    EXPECT_EQ(At(6, 24), Black);
    EXPECT_EQ(At(5, 25), White);
    EXPECT_EQ(Count(Black), 30);
    EXPECT_EQ(penPos, (TPoint{5, 25}));

    auto slant = [](int width) {
        return [width](TKXQtCanvas &c) {
            c.Pen.Width = width;
            c.MoveTo(5, 5);
            c.LineTo(25, 12);
        };
    };
    EXPECT_EQ(Painted(slant(0)), Painted(slant(1)));
    EXPECT_EQ(Count(Black), 20);
}

TEST_F(QtCanvasTest, DashStylesFollowTheGdiPatternsWithGapsInTheSolidBrushColour)
{
    const std::pair<TPenStyle, const char *> rows[] = {  // '#' pen, 'r' gap
        {psDash, "##################rrrrrr############"},       {psDot, "###rrr###rrr###rrr###rrr###rrr###rrr"},
        {psDashDot, "#########rrrrrr###rrrrrr#########rrr"},    {psDashDotDot, "#########rrr###rrr###rrr#########rrr"},
        {psSolid, "####################################"},      {psInsideFrame, "####################################"}};
    for (const auto &[style, expected] : rows) {
        SCOPED_TRACE(int(style));
        Painted([style](TKXQtCanvas &c) {
            c.Pen.Style = style;
            c.MoveTo(0, 5);
            c.LineTo(36, 5);
            c.Brush.Style = bsClear;  // the gaps stay as they were
            c.MoveTo(0, 7);
            c.LineTo(36, 7);
        });
        std::string row, clearRow;
        for (int x = 0; x < 36; ++x) {
            row += At(x, 5) == Black ? '#' : At(x, 5) == Red ? 'r' : '.';
            clearRow += At(x, 7) == Black ? '#' : At(x, 7) == White ? 'r' : '?';
        }
        EXPECT_EQ(row, expected);
        EXPECT_EQ(clearRow, expected);
    }

    // Dashes run on around rectangle corners: clockwise from (0, 0), 3 on, 3 off.
    Painted([](TKXQtCanvas &c) {
        c.Pen.Style = psDot;
        c.Brush.Style = bsClear;
        c.Rectangle(0, 0, 5, 5);
        c.Pen.Style = psDash;  // wide dashed pens are solid
        c.Pen.Width = 3;
        c.MoveTo(2, 20);
        c.LineTo(50, 20);
    });
    const char *corner[5] = {"###..", ".....", "#...#", "#...#", "#...#"};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(At(x, y) == Black, corner[y][x] == '#') << x << "," << y;
    for (int x = 4; x < 48; ++x)
        ASSERT_TRUE(At(x, 19) == Black && At(x, 20) == Black && At(x, 21) == Black) << x;
}

TEST_F(QtCanvasTest, HatchesPaintLinesInTheBrushColourAndKeepTheGaps)
{
    const std::pair<TBrushStyle, int> hatches[] = {  // painted pixels per 8 x 8 cell
        {bsHorizontal, 8}, {bsVertical, 8}, {bsFDiagonal, 8}, {bsBDiagonal, 8}, {bsCross, 15}, {bsDiagCross, 16}};
    for (const auto &[style, perCell] : hatches) {
        SCOPED_TRACE(int(style));
        Image.fill(Green);
        Paint([style](TKXQtCanvas &c) {
            c.Brush.Color = clBlack;
            c.Brush.Style = style;
            c.FillRect({0, 0, 16, 16});
        });
        EXPECT_EQ(Count(Black), 4 * perCell);
        EXPECT_EQ(Count(Green), 60 * 40 - 4 * perCell);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                ASSERT_EQ(At(x, y), At(x + 8, y + 8)) << "pattern repeats every 8 pixels";
    }
    // Forward diagonal runs down to the right, backward diagonal up to the right.
    Painted([](TKXQtCanvas &c) {
        c.Brush.Color = clBlack;
        c.Brush.Style = bsFDiagonal;
        c.FillRect({0, 0, 8, 8});
        c.Brush.Style = bsBDiagonal;
        c.FillRect({16, 0, 24, 8});
    });
    for (int x = 0; x < 8; ++x)
        for (int y = 0; y < 8; ++y) {
            EXPECT_EQ(At(x, y), At((x + 1) % 8, (y + 1) % 8));
            EXPECT_EQ(At(16 + x, y), At(16 + (x + 1) % 8, (y + 7) % 8));
        }
    // Behind text the gaps take the background colour.
    Painted([](TKXQtCanvas &c) {
        c.BackgroundColor = GreenColor;
        c.Brush.Style = bsCross;
        c.TextRect({0, 0, 16, 16}, 0, 0, "");
    });
    EXPECT_EQ(Count(Red), 4 * 15);
    EXPECT_EQ(Count(Green), 16 * 16 - 4 * 15);
}

TEST_F(QtCanvasTest, NotXorDrawnTwiceRestoresThePicture)
{
    Paint([](TKXQtCanvas &c) {
        c.Rectangle(5, 5, 40, 30);
        c.Brush.Color = GreenColor;
        c.Ellipse(20, 10, 55, 38);
        c.Font.Name = "Arial";
        c.TextOut(8, 8, "Glyph");
    });
    const QImage before = Image.copy();
    auto outline = [](TKXQtCanvas &c) {
        c.Pen.Mode = pmNotXor;
        c.Brush.Style = bsClear;
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
    };
    Paint(outline);
    EXPECT_EQ(At(2, 20), Black);  // white inverted
    Paint(outline);
    EXPECT_EQ(Image, before);

    // FillRect paints in copy mode whatever the pen.
    Painted([](TKXQtCanvas &c) {
        c.Pen.Mode = pmNotXor;
        c.FillRect({10, 10, 20, 15});
    });
    EXPECT_EQ(PaintedBox(), QRect(QPoint(10, 10), QPoint(19, 14)));
    EXPECT_EQ(Count(Red), 50);
}

TEST_F(QtCanvasTest, EllipsesAndRoundRectsFillTheirBoxSymmetrically)
{
    for (const QRect box : {QRect(10, 10, 10, 10), QRect(5, 8, 25, 7), QRect(3, 3, 1, 27), QRect(7, 2, 43, 35)}) {
        SCOPED_TRACE(box.x());
        for (const bool round : {false, true}) {
            Painted([&](TKXQtCanvas &c) {
                const int x2 = box.right() + 1, y2 = box.bottom() + 1;
                round ? c.RoundRect(box.left(), box.top(), x2, y2, 10, 6) : c.Ellipse(box.left(), box.top(), x2, y2);
            });
            EXPECT_EQ(PaintedBox(), box);
            EXPECT_EQ(Image.copy(box), Image.copy(box).mirrored(true, false));
            EXPECT_EQ(Image.copy(box), Image.copy(box).mirrored(false, true));
        }
    }
    const QImage ellipse = Painted([](TKXQtCanvas &c) { c.Ellipse(10, 10, 30, 30); });
    EXPECT_EQ(At(10, 20), Black);
    EXPECT_EQ(At(11, 20), Red);  // a one-pixel outline
    EXPECT_EQ(At(10, 10), White);
    // A round rectangle whose corners are the whole box is the ellipse.
    EXPECT_EQ(Painted([](TKXQtCanvas &c) { c.RoundRect(10, 10, 30, 30, 20, 20); }), ellipse);
}

TEST_F(QtCanvasTest, FarOffCoordinatesAndOutOfRangeStylesDrawWithoutFailing)
{
    Paint([](TKXQtCanvas &c) {
        c.MoveTo(-2000000000, -2000000000);
        c.LineTo(2000000000, 2000000000);
        c.Pen.Style = psDash;
        c.Rectangle(-2147483647, 30, 2147483647, 2147483647);
        c.Pen.Style = psSolid;
        c.Ellipse(-2000000000, -2000000000, 2000000000, 2000000000);
        c.Brush.Style = bsClear;
        c.RoundRect(-1000000, -1000000, 1000000, 38, 2000000, 100);
    });
    EXPECT_EQ(At(37, 36), Red);  // the ellipse's inside covers the image
    EXPECT_EQ(At(20, 37), Black);  // bottom of the round rectangle

    Painted([](TKXQtCanvas &c) {
        c.Pen.Style = static_cast<TPenStyle>(255);
        c.Brush.Style = static_cast<TBrushStyle>(255);
        c.Pen.Mode = static_cast<TPenMode>(200);
        c.Rectangle(10, 10, 20, 20);
    });
    EXPECT_EQ(At(10, 10), Black);
    EXPECT_EQ(At(15, 15), Red);
}

TEST_F(QtCanvasTest, SystemColoursComeFromTheApplicationPalette)
{
    Paint([](TKXQtCanvas &c) {
        c.Pen.Color = clWindowText;
        c.Brush.Color = clBtnFace;
        c.Rectangle(10, 10, 20, 20);
        c.Brush.Color = clInfoBk;
        c.FillRect({30, 10, 40, 20});
    });
    const QPalette palette = QGuiApplication::palette();
    EXPECT_EQ(At(10, 10), palette.color(QPalette::Text).rgb());
    EXPECT_EQ(At(15, 15), palette.color(QPalette::Button).rgb());
    EXPECT_EQ(At(35, 15), palette.color(QPalette::ToolTipBase).rgb());
}

TEST_F(QtCanvasTest, TextIsMeasuredAtNinetySixPixelsPerInch)
{
    TKXQtCanvas canvas;  // no device needed for measuring
    canvas.Font.Name = "Arial";
    canvas.Font.Size = 10;
    EXPECT_EQ(canvas.QtFont().pixelSize(), 13);
    EXPECT_EQ(canvas.TextWidth("Hello World"), 67);  // Liberation Sans, the metric twin of Arial
    EXPECT_EQ(canvas.TextWidth("Hello World"), 67);
    EXPECT_EQ(canvas.TextHeight("Hello World"), 15);
    canvas.Font.Style = fsBold;
    EXPECT_GT(canvas.TextWidth("Hello World"), 67);
    canvas.Font.Style = 0;
    canvas.Font.Size = 20;
    EXPECT_EQ(canvas.QtFont().pixelSize(), 27);
    canvas.Font.Size = 10;  // the cache answers the new font, not the last one
    EXPECT_EQ(canvas.TextWidth("Hello World"), 67);
    canvas.Font.Size = 0;
    EXPECT_EQ(canvas.QtFont().pixelSize(), 1);
    canvas.Font.Size = 2000000000;
    EXPECT_EQ(canvas.QtFont().pixelSize(), 32767);

    TKXQtCanvas painting(&Image);
    painting.Font.Name = "Arial";
    painting.Font.Size = 10;
    EXPECT_EQ(painting.TextWidth("Hello World"), 67);
}

TEST_F(QtCanvasTest, TextOutIsOpaqueWithASolidBrushAndMovesThePen)
{
    TPoint penPos;
    int32_t width = 0, height = 0;
    Paint([&](TKXQtCanvas &c) {
        c.Font.Name = "Arial";
        width = c.TextWidth("Hi");
        height = c.TextHeight("Hi");
        c.TextOut(5, 5, "Hi");
        penPos = c.PenPos;
        c.Brush.Style = bsClear;
        c.TextOut(5, 25, "Hi");
    });
    EXPECT_EQ(penPos, (TPoint{5 + width, 5}));
    EXPECT_EQ(PaintedBox().top(), 5);
    EXPECT_EQ(At(5 + width - 1, 5 + height - 1), Red);
    EXPECT_EQ(At(5 + width, 5), White);
    EXPECT_EQ(Count(Red), width * height - Count(Black) / 2);
    for (int y = 25; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            ASSERT_NE(At(x, y), Red);
}

TEST_F(QtCanvasTest, TextRectClipsAndLeavesTheFontAsItWas)
{
    Paint([](TKXQtCanvas &c) {
        c.Font.Name = "Arial";
        c.Font.Size = 20;
        c.TextRect({10, 10, 30, 20}, 12, 5, "WWWWWW");
        c.Brush.Style = bsClear;
        c.TextRect({40, 10, 50, 20}, 35, 5, "WWWWWW");
    });
    const QRect painted = PaintedBox();
    EXPECT_EQ(painted.topLeft(), QPoint(10, 10));
    EXPECT_EQ(painted.bottom(), 19);
    EXPECT_LE(painted.right(), 49);
    EXPECT_EQ(At(29, 19), Red);
    EXPECT_GT(Count(Black), 0);
    for (int x = 30; x < 40; ++x)
        for (int y = 0; y < 40; ++y)
            ASSERT_EQ(At(x, y), White);

    auto text = [](TKXQtCanvas &c) {
        c.Font.Name = "Arial";
        c.Font.Size = 20;
        c.Brush.Style = bsClear;
        c.TextOut(5, 5, "Hg");
    };
    const QImage expected = Painted(text);
    EXPECT_EQ(Painted([&](TKXQtCanvas &c) {
                  c.Font.Name = "Arial";
                  c.Font.Size = 20;
                  c.Brush.Style = bsClear;
                  c.TextRect({0, 0, 1, 1}, 50, 50, "x");
                  text(c);
              }),
              expected);
}

TEST(QtConvert, Cp1252BothWays)
{
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes.push_back(static_cast<char>(b));
    EXPECT_EQ(ToCp1252(FromCp1252(bytes)), bytes);
    EXPECT_EQ(FromCp1252("\x80 \xE4\xF6\xFC\xDF \x93x\x94 \x85"), QString::fromUtf8("€ äöüß “x” …"));
    EXPECT_EQ(ToCp1252(QString::fromUtf8("€ Größe „Œ“ ™")), "\x80 Gr\xF6\xDF" "e \x84\x8C\x93 \x99");
    EXPECT_TRUE(IsCp1252(QString::fromUtf8("Ärger über € und ™")));
    // Characters outside the code page, a C1 control among them, become question marks.
    const std::pair<const char *, const char *> outside[] = {{"a中b", "a?b"}, {"x😀y", "x?y"}, {"\xC2\x80", "?"}, {"Ω", "?"}};
    for (const auto &[text, converted] : outside) {
        EXPECT_FALSE(IsCp1252(QString::fromUtf8(text))) << text;
        EXPECT_EQ(ToCp1252(QString::fromUtf8(text)), converted) << text;
    }
}

TEST(QtConvert, ColoursAndRectangles)
{
    EXPECT_EQ(ToQColor(0x00336699), QColor(0x99, 0x66, 0x33));
    EXPECT_EQ(ToTColor(QColor(0x99, 0x66, 0x33)), 0x00336699);
    QPalette palette;
    palette.setColor(QPalette::Button, QColor(1, 2, 3));
    EXPECT_EQ(ToQColor(clBtnFace, palette), QColor(1, 2, 3));
    EXPECT_EQ(ToQColor(static_cast<TColor>(0xFF0000FEu), palette), QColor(Qt::black));
    EXPECT_EQ(ToQRect({10, 20, 30, 25}), QRect(10, 20, 20, 5));
    EXPECT_EQ(ToTRect(QRect(10, 20, 20, 5)), (TRect{10, 20, 30, 25}));
}

} // namespace
