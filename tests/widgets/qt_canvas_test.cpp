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

    // Paints on Image with a fresh canvas (black 1-pixel pen, red solid brush).
    void Paint(const std::function<void(TKXQtCanvas &)> &draw)
    {
        TKXQtCanvas canvas(&Image);
        canvas.Brush.Color = RedColor;
        draw(canvas);
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

    bool MirrorSymmetric(const QRect &box) const
    {
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x)
                if (Image.pixel(x, y) != Image.pixel(box.right() - (x - box.left()), y) ||
                    Image.pixel(x, y) != Image.pixel(x, box.bottom() - (y - box.top())))
                    return false;
        return true;
    }
};

TEST_F(QtCanvasTest, RectangleExcludesRightAndBottomEdges)
{
    Paint([](TKXQtCanvas &c) { c.Rectangle(10, 10, 20, 20); });
    EXPECT_EQ(At(10, 10), Black);
    EXPECT_EQ(At(19, 19), Black);
    EXPECT_EQ(At(19, 10), Black);
    EXPECT_EQ(At(10, 19), Black);
    EXPECT_EQ(At(11, 11), Red);
    EXPECT_EQ(At(18, 18), Red);
    EXPECT_EQ(At(20, 20), White);
    EXPECT_EQ(At(20, 15), White);
    EXPECT_EQ(At(15, 20), White);
    EXPECT_EQ(PaintedBox(), QRect(QPoint(10, 10), QPoint(19, 19)));
    EXPECT_EQ(Count(Black), 36);

    const QImage expected = Image.copy();
    Image.fill(White);
    Paint([](TKXQtCanvas &c) { c.Rectangle(20, 20, 10, 10); });  // corners in any order
    EXPECT_EQ(Image, expected);
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
    EXPECT_EQ(At(19, 19), White);
    EXPECT_EQ(Count(Red), 81);
    EXPECT_EQ(At(30, 10), Black);
    EXPECT_EQ(At(35, 15), White);
    EXPECT_EQ(Count(Black), 36);
    EXPECT_EQ(penPos, (TPoint{59, 39}));  // a clear pen draws no line but moves
}

TEST_F(QtCanvasTest, LineToLeavesItsEndPixelAndMovesThePen)
{
    TPoint penPos;
    Paint([&](TKXQtCanvas &c) {
        c.MoveTo(5, 5);
        c.LineTo(15, 5);
        c.LineTo(15, 15);
        c.LineTo(5, 25);
        penPos = c.PenPos;
    });
    EXPECT_EQ(At(5, 5), Black);
    EXPECT_EQ(At(14, 5), Black);
    EXPECT_EQ(At(15, 5), Black);  // start of the second line
    EXPECT_EQ(At(15, 14), Black);
    EXPECT_EQ(At(6, 24), Black);
    EXPECT_EQ(At(5, 25), White);
    EXPECT_EQ(Count(Black), 30);
    EXPECT_EQ(penPos, (TPoint{5, 25}));
}

TEST_F(QtCanvasTest, PenWidthZeroAndOnePaintOnePixel)
{
    Paint([](TKXQtCanvas &c) {
        c.Pen.Width = 0;
        c.MoveTo(5, 5);
        c.LineTo(25, 12);
        c.Pen.Width = 1;
        c.MoveTo(5, 25);
        c.LineTo(25, 32);
    });
    for (int x = 5; x < 25; ++x)
        for (int y = 0; y < 20; ++y)
            ASSERT_EQ(At(x, y), At(x, y + 20)) << x << "," << y;
    EXPECT_EQ(Count(Black), 40);
}

struct DashCase {
    TPenStyle Style;
    const char *Row;  // pixels 0 .. 35 of a line: '#' pen, 'r' gap in the brush colour
};

class DashStyles : public QtCanvasTest, public ::testing::WithParamInterface<DashCase> {};

TEST_P(DashStyles, FollowTheGdiPatternsWithGapsInTheSolidBrushColour)
{
    Paint([](TKXQtCanvas &c) {
        c.Pen.Style = GetParam().Style;
        c.MoveTo(0, 5);
        c.LineTo(36, 5);
        c.Brush.Style = bsClear;
        c.MoveTo(0, 7);
        c.LineTo(36, 7);
    });
    std::string row;
    std::string clearRow;
    for (int x = 0; x < 36; ++x) {
        row += At(x, 5) == Black ? '#' : At(x, 5) == Red ? 'r' : '.';
        clearRow += At(x, 7) == Black ? '#' : At(x, 7) == White ? 'r' : '?';
    }
    EXPECT_EQ(row, GetParam().Row);
    EXPECT_EQ(clearRow, GetParam().Row);  // with a clear brush the gaps stay as they were
}

INSTANTIATE_TEST_SUITE_P(
    QtCanvas, DashStyles,
    ::testing::Values(DashCase{psDash, "##################rrrrrr############"},
                      DashCase{psDot, "###rrr###rrr###rrr###rrr###rrr###rrr"},
                      DashCase{psDashDot, "#########rrrrrr###rrrrrr#########rrr"},
                      DashCase{psDashDotDot, "#########rrr###rrr###rrr#########rrr"},
                      DashCase{psSolid, "####################################"},
                      DashCase{psInsideFrame, "####################################"}));

TEST_F(QtCanvasTest, WideDashedPensAreSolid)
{
    Paint([](TKXQtCanvas &c) {
        c.Pen.Style = psDash;
        c.Pen.Width = 3;
        c.MoveTo(2, 10);
        c.LineTo(50, 10);
    });
    for (int x = 4; x < 48; ++x)
        ASSERT_EQ(At(x, 10), Black) << x;
    EXPECT_EQ(At(20, 9), Black);
    EXPECT_EQ(At(20, 11), Black);
}

TEST_F(QtCanvasTest, DashesRunOnAroundRectangleCorners)
{
    Paint([](TKXQtCanvas &c) {
        c.Pen.Style = psDot;
        c.Brush.Style = bsClear;
        c.Rectangle(0, 0, 5, 5);
    });
    // Clockwise from (0,0): top x 0..3, right y 0..3, bottom x 4..1, left y 4..1; 3 on, 3 off.
    const char *expected[5] = {"###..", ".....", "#...#", "#...#", "#...#"};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(At(x, y) == Black, expected[y][x] == '#') << x << "," << y;
}

TEST_F(QtCanvasTest, HatchesPaintLinesInTheBrushColourAndKeepTheGaps)
{
    struct Hatch {
        TBrushStyle Style;
        int LinesPer8x8;  // painted pixels in one 8 x 8 cell
    };
    const Hatch hatches[] = {{bsHorizontal, 8}, {bsVertical, 8},  {bsFDiagonal, 8},
                             {bsBDiagonal, 8},  {bsCross, 15},    {bsDiagCross, 16}};
    for (const Hatch &h : hatches) {
        Image.fill(Green);
        Paint([&](TKXQtCanvas &c) {
            c.Brush.Color = clBlack;
            c.Brush.Style = h.Style;
            c.FillRect({0, 0, 16, 16});
        });
        EXPECT_EQ(Count(Black), 4 * h.LinesPer8x8) << int(h.Style);
        EXPECT_EQ(Count(Green), 60 * 40 - 4 * h.LinesPer8x8) << int(h.Style);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                ASSERT_EQ(At(x, y), At(x + 8, y + 8)) << "pattern repeats every 8 pixels";
    }
    // Forward diagonal runs down to the right, backward diagonal up to the right.
    Image.fill(White);
    Paint([](TKXQtCanvas &c) {
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
    EXPECT_NE(Image, before);
    EXPECT_EQ(At(2, 3), Black);  // white inverted
    EXPECT_EQ(At(2, 20), Black);
    Paint(outline);
    EXPECT_EQ(Image, before);
}

TEST_F(QtCanvasTest, EllipsesAndRoundRectsFillTheirBoxSymmetrically)
{
    struct Box {
        int X1, Y1, X2, Y2;
    };
    for (const Box b : {Box{10, 10, 20, 20}, Box{5, 8, 30, 15}, Box{3, 3, 4, 30}, Box{7, 2, 50, 37}}) {
        Image.fill(White);
        Paint([&](TKXQtCanvas &c) { c.Ellipse(b.X1, b.Y1, b.X2, b.Y2); });
        const QRect box(QPoint(b.X1, b.Y1), QPoint(b.X2 - 1, b.Y2 - 1));
        EXPECT_EQ(PaintedBox(), box);
        EXPECT_TRUE(MirrorSymmetric(box));
        Image.fill(White);
        Paint([&](TKXQtCanvas &c) { c.RoundRect(b.X1, b.Y1, b.X2, b.Y2, 10, 6); });
        EXPECT_EQ(PaintedBox(), box);
        EXPECT_TRUE(MirrorSymmetric(box));
    }
    // A round rectangle whose corners are the whole box is the ellipse.
    Image.fill(White);
    Paint([](TKXQtCanvas &c) { c.Ellipse(5, 5, 25, 17); });
    const QImage ellipse = Image.copy();
    Image.fill(White);
    Paint([](TKXQtCanvas &c) { c.RoundRect(5, 5, 25, 17, 20, 12); });
    EXPECT_EQ(Image, ellipse);
}

TEST_F(QtCanvasTest, EllipseOutlineIsOnePixelThickAroundTheFill)
{
    Paint([](TKXQtCanvas &c) { c.Ellipse(10, 10, 30, 30); });
    // Every red pixel has four non-white neighbours; every black pixel touches the outside or red.
    for (int y = 10; y < 30; ++y)
        for (int x = 10; x < 30; ++x)
            if (At(x, y) == Red) {
                for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)})
                    ASSERT_NE(At(x + d.x(), y + d.y()), White) << x << "," << y;
            }
    EXPECT_EQ(At(10, 20), Black);
    EXPECT_EQ(At(20, 10), Black);
    EXPECT_EQ(At(20, 20), Red);
    EXPECT_EQ(At(10, 10), White);
}

TEST_F(QtCanvasTest, FillRectCoversItsRectangleInCopyMode)
{
    Paint([](TKXQtCanvas &c) {
        c.Pen.Mode = pmNotXor;
        c.FillRect({10, 10, 20, 15});
        c.Brush.Style = bsClear;
        c.FillRect({30, 10, 40, 15});
    });
    EXPECT_EQ(PaintedBox(), QRect(QPoint(10, 10), QPoint(19, 14)));
    EXPECT_EQ(Count(Red), 50);
}

TEST_F(QtCanvasTest, FarOffCoordinatesAreClippedWithoutWalkingThem)
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
    EXPECT_EQ(At(0, 0), Red);  // the ellipse's inside covers the image
    EXPECT_EQ(At(37, 36), Red);
    EXPECT_EQ(At(20, 37), Black);  // bottom of the round rectangle
}

TEST_F(QtCanvasTest, OutOfRangeStylesDrawSolid)
{
    Paint([](TKXQtCanvas &c) {
        c.Pen.Style = static_cast<TPenStyle>(255);
        c.Brush.Style = static_cast<TBrushStyle>(255);
        c.Pen.Mode = static_cast<TPenMode>(200);
        c.Rectangle(10, 10, 20, 20);
        c.Ellipse(30, 10, 40, 20);
    });
    EXPECT_EQ(At(10, 10), Black);
    EXPECT_EQ(At(15, 15), Red);
    EXPECT_EQ(At(35, 15), Red);
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
    const int32_t width = canvas.TextWidth("Hello World");
    EXPECT_EQ(width, 67);  // Liberation Sans, the metric twin of Arial
    EXPECT_EQ(canvas.TextWidth("Hello World"), width);
    EXPECT_EQ(canvas.TextHeight("Hello World"), 15);

    canvas.Font.Style = fsBold;
    EXPECT_GT(canvas.TextWidth("Hello World"), width);
    canvas.Font.Style = 0;
    canvas.Font.Size = 20;
    EXPECT_EQ(canvas.QtFont().pixelSize(), 27);
    EXPECT_GT(canvas.TextWidth("Hello World"), width);
    canvas.Font.Size = 10;
    EXPECT_EQ(canvas.TextWidth("Hello World"), width);
    canvas.Font.Size = 0;
    EXPECT_EQ(canvas.QtFont().pixelSize(), 1);
    canvas.Font.Size = 2000000000;
    EXPECT_EQ(canvas.QtFont().pixelSize(), 32767);

    TKXQtCanvas painting(&Image);
    painting.Font.Name = "Arial";
    painting.Font.Size = 10;
    EXPECT_EQ(painting.TextWidth("Hello World"), width);
}

TEST_F(QtCanvasTest, TextOutIsOpaqueWithASolidBrushAndMovesThePen)
{
    TPoint penPos;
    int32_t width = 0;
    int32_t height = 0;
    Paint([&](TKXQtCanvas &c) {
        c.Font.Name = "Arial";
        c.Font.Color = clBlack;
        width = c.TextWidth("Hi");
        height = c.TextHeight("Hi");
        c.TextOut(5, 5, "Hi");
        penPos = c.PenPos;
        c.Brush.Style = bsClear;
        c.TextOut(5, 25, "Hi");
    });
    EXPECT_EQ(penPos, (TPoint{5 + width, 5}));
    EXPECT_EQ(PaintedBox().top(), 5);
    EXPECT_EQ(At(5, 5), Red);
    EXPECT_EQ(At(5 + width - 1, 5 + height - 1), Red);
    EXPECT_EQ(At(5 + width, 5), White);
    EXPECT_EQ(Count(Red), width * height - Count(Black) / 2);
    for (int y = 25; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            ASSERT_NE(At(x, y), Red);
}

TEST_F(QtCanvasTest, TextRectClipsAndPaintsItsWholeRectangle)
{
    Paint([](TKXQtCanvas &c) {
        c.Font.Name = "Arial";
        c.Font.Size = 20;
        c.Font.Color = clBlack;
        c.TextRect({10, 10, 30, 20}, 12, 5, "WWWWWW");
        c.Brush.Style = bsClear;
        c.TextRect({40, 10, 50, 20}, 35, 5, "WWWWWW");
    });
    const QRect painted = PaintedBox();
    EXPECT_EQ(painted.top(), 10);
    EXPECT_EQ(painted.bottom(), 19);
    EXPECT_EQ(painted.left(), 10);
    EXPECT_LE(painted.right(), 49);
    EXPECT_EQ(At(10, 10), Red);
    EXPECT_EQ(At(29, 19), Red);
    EXPECT_GT(Count(Black), 0);
    for (int x = 30; x < 40; ++x)
        for (int y = 0; y < 40; ++y)
            ASSERT_EQ(At(x, y), White);
}

TEST_F(QtCanvasTest, TextKeepsItsFontAfterAClippedTextRect)
{
    auto text = [](TKXQtCanvas &c) {
        c.Font.Name = "Arial";
        c.Font.Size = 20;
        c.Font.Color = clBlack;
        c.Brush.Style = bsClear;
        c.TextOut(5, 5, "Hg");
    };
    Paint(text);
    const QImage expected = Image.copy();
    Image.fill(White);
    Paint([&](TKXQtCanvas &c) {
        c.Font.Name = "Arial";
        c.Font.Size = 20;
        c.Brush.Style = bsClear;
        c.TextRect({0, 0, 1, 1}, 50, 50, "x");
        text(c);
    });
    EXPECT_EQ(Image, expected);
}

TEST_F(QtCanvasTest, TextRectWithAHatchPaintsTheGapsWithTheBackgroundColour)
{
    Paint([](TKXQtCanvas &c) {
        c.BackgroundColor = GreenColor;
        c.Brush.Style = bsCross;
        c.Brush.Color = RedColor;
        c.TextRect({0, 0, 16, 16}, 0, 0, "");
    });
    EXPECT_EQ(Count(Red), 4 * 15);
    EXPECT_EQ(Count(Green), 16 * 16 - 4 * 15);
}

TEST(QtConvert, Cp1252RoundTripsEveryByte)
{
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes.push_back(static_cast<char>(b));
    const QString text = FromCp1252(bytes);
    EXPECT_EQ(text.size(), 256);
    EXPECT_TRUE(IsCp1252(text));
    EXPECT_EQ(ToCp1252(text), bytes);
}

TEST(QtConvert, Cp1252MapsTheWindowsCharacters)
{
    EXPECT_EQ(FromCp1252("\x80 \xE4\xF6\xFC\xDF \x93x\x94 \x85"), QString::fromUtf8("€ äöüß “x” …"));
    EXPECT_EQ(ToCp1252(QString::fromUtf8("€ Größe „Œ“ ™")), "\x80 Gr\xF6\xDF" "e \x84\x8C\x93 \x99");
    EXPECT_TRUE(IsCp1252(QString::fromUtf8("Ärger über € und ™")));
}

TEST(QtConvert, CharactersOutsideCp1252AreDetectedAndBecomeQuestionMarks)
{
    const QString chinese = QString::fromUtf8("a中b");
    const QString emoji = QString::fromUtf8("x😀y");
    const QString c1Control = QString(QChar(0x80));  // not the euro sign
    EXPECT_FALSE(IsCp1252(chinese));
    EXPECT_FALSE(IsCp1252(emoji));
    EXPECT_FALSE(IsCp1252(c1Control));
    EXPECT_FALSE(IsCp1252(QString::fromUtf8("Ω")));
    EXPECT_EQ(ToCp1252(chinese), "a?b");
    EXPECT_EQ(ToCp1252(emoji), "x?y");
    EXPECT_EQ(ToCp1252(c1Control), "?");
}

TEST(QtConvert, ColoursAndRectangles)
{
    EXPECT_EQ(ToQColor(0x00336699), QColor(0x99, 0x66, 0x33));
    EXPECT_EQ(ToTColor(QColor(0x99, 0x66, 0x33)), 0x00336699);
    QPalette palette;
    palette.setColor(QPalette::Button, QColor(1, 2, 3));
    palette.setColor(QPalette::ToolTipBase, QColor(4, 5, 6));
    EXPECT_EQ(ToQColor(clBtnFace, palette), QColor(1, 2, 3));
    EXPECT_EQ(ToQColor(clInfoBk, palette), QColor(4, 5, 6));
    EXPECT_EQ(ToQColor(static_cast<TColor>(0xFF0000FEu), palette), QColor(Qt::black));
    EXPECT_EQ(ToQRect({10, 20, 30, 25}), QRect(10, 20, 20, 5));
    EXPECT_EQ(ToTRect(QRect(10, 20, 20, 5)), (TRect{10, 20, 30, 25}));
}

}
