#include "KXGR/widgets/KXQtCanvas.h"

#include "KXGR/widgets/KXQtConvert.h"

#include <QImage>
#include <QTransform>
#include <QPaintDevice>
#include <QPolygon>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <span>
#include <vector>

namespace {

__extension__ using TInt128 = __int128;

constexpr int32_t MaxFontPixels = 32767;

// GDI's patterns of the dashed cosmetic pens, in pixels: on, off, on, off ...
constexpr std::array<int, 2> DashPattern = {18, 6};
constexpr std::array<int, 2> DotPattern = {3, 3};
constexpr std::array<int, 4> DashDotPattern = {9, 6, 3, 6};
constexpr std::array<int, 6> DashDotDotPattern = {9, 3, 3, 3, 3, 3};

std::span<const int> PatternOf(TPenStyle style)
{
    switch (style) {
    case psDash: return DashPattern;
    case psDot: return DotPattern;
    case psDashDot: return DashDotPattern;
    case psDashDotDot: return DashDotDotPattern;
    default: return {};
    }
}

// Whether the pixel at position pos along a styled line is painted.
bool PatternOn(std::span<const int> pattern, int64_t pos)
{
    int total = 0;
    for (const int run : pattern)
        total += run;
    int64_t at = pos % total;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (at < pattern[i])
            return i % 2 == 0;
        at -= pattern[i];
    }
    return false;
}

TInt128 FloorDiv(TInt128 a, TInt128 b)
{
    const TInt128 q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

TInt128 CeilDiv(TInt128 a, TInt128 b) { return -FloorDiv(-a, b); }

Qt::BrushStyle QtHatch(TBrushStyle style)
{
    switch (style) {
    case bsHorizontal: return Qt::HorPattern;
    case bsVertical: return Qt::VerPattern;
    case bsFDiagonal: return Qt::FDiagPattern;
    case bsBDiagonal: return Qt::BDiagPattern;
    case bsCross: return Qt::CrossPattern;
    case bsDiagCross: return Qt::DiagCrossPattern;
    default: return Qt::SolidPattern;
    }
}

bool IsHatch(TBrushStyle style) { return style >= bsHorizontal && style <= bsDiagCross; }

// Left inset of row j of a width x height ellipse: the first pixel whose centre lies inside.
// Rows j and height-1-j get the same inset, and no row comes out empty.
int64_t EllipseInset(int64_t width, int64_t height, int64_t j)
{
    const long double a = width / 2.0L;
    const long double dy = (2.0L * j + 1 - height) / height;
    const long double extent = a * std::sqrt(std::max(0.0L, 1 - dy * dy));
    const auto inset = static_cast<int64_t>(std::ceil(a - extent - 0.5L));
    return std::clamp<int64_t>(inset, 0, (width - 1) / 2);
}

// A box Left .. Left+Width-1, Top .. Top+Height-1 whose corners are cut by the quarters of a
// CornerWidth x CornerHeight ellipse; an ellipse when the corner is the whole box.
struct TRoundShape {
    int64_t Left, Top, Width, Height, CornerWidth, CornerHeight;

    // Inset of row j on both sides, or -1 for rows outside the shape.
    int64_t Inset(int64_t j) const
    {
        if (j < 0 || j >= Height)
            return -1;
        if (CornerWidth < 1 || CornerHeight < 1)
            return 0;
        const int64_t half = CornerHeight / 2;
        if (j < half)
            return EllipseInset(CornerWidth, CornerHeight, j);
        if (j >= Height - half)
            return EllipseInset(CornerWidth, CornerHeight, j - (Height - CornerHeight));
        return 0;
    }
};

int32_t FontPixelSize(int32_t points)
{
    const int64_t magnitude = points < 0 ? -static_cast<int64_t>(points) : points;
    const int64_t clamped = std::min<int64_t>(magnitude, MaxFontPixels);
    return std::clamp(Round(static_cast<long double>(clamped) * 96.0L / 72.0L), 1, MaxFontPixels);
}

}

// Pixels of thin lines, collected so that each call paints them in one go, as runs: a pixel
// right beside the end of the last run of its kind, along its row or column, lengthens it.
struct TKXQtCanvas::TThinPixels {
    std::vector<QRect> On;
    std::vector<QRect> Gap;

    void Add(QPoint p, bool on)
    {
        std::vector<QRect> &runs = on ? On : Gap;
        if (!runs.empty()) {
            QRect &run = runs.back();
            if (run.height() == 1 && run.top() == p.y()) {
                if (run.right() + 1 == p.x()) {
                    run.setRight(p.x());
                    return;
                }
                if (run.left() - 1 == p.x()) {
                    run.setLeft(p.x());
                    return;
                }
            }
            if (run.width() == 1 && run.left() == p.x()) {
                if (run.bottom() + 1 == p.y()) {
                    run.setBottom(p.y());
                    return;
                }
                if (run.top() - 1 == p.y()) {
                    run.setTop(p.y());
                    return;
                }
            }
        }
        runs.emplace_back(p, QSize(1, 1));
    }
};

TKXQtCanvas::TKXQtCanvas() = default;

TKXQtCanvas::TKXQtCanvas(QPaintDevice *device) { Begin(device); }

TKXQtCanvas::~TKXQtCanvas() { End(); }

void TKXQtCanvas::Begin(QPaintDevice *device)
{
    End();
    if (!device || device->width() <= 0 || device->height() <= 0)
        return;
    if (!FPainter.begin(device))
        return;
    FPainter.setRenderHint(QPainter::Antialiasing, false);
    FPainter.setRenderHint(QPainter::TextAntialiasing, false);
    FPainter.setBackgroundMode(Qt::TransparentMode);
    FDeviceRect = QRect(0, 0, device->width(), device->height());
    FPainterFontSet = false;
}

void TKXQtCanvas::SetOrigin(TPoint origin)
{
    if (!IsActive())
        return;
    FDeviceRect.moveTo(origin.X, origin.Y);
    FPainter.setTransform(QTransform::fromTranslate(-origin.X, -origin.Y));
}

void TKXQtCanvas::End()
{
    if (FPainter.isActive())
        FPainter.end();
}

bool TKXQtCanvas::PenVisible() const { return Pen.Style != psClear; }

bool TKXQtCanvas::BrushVisible() const { return Brush.Style != bsClear; }

// Dashed styles exist only for one-pixel pens; wider ones are drawn solid.
bool TKXQtCanvas::ThinPen() const { return Pen.Width <= 1; }

void TKXQtCanvas::SetMode(bool followPenMode)
{
    FPainter.setCompositionMode(followPenMode && Pen.Mode == pmNotXor
                                    ? QPainter::RasterOp_NotSourceXorDestination
                                    : QPainter::CompositionMode_SourceOver);
}

// Pens wider than one pixel: solid, with round line ends.
QPen TKXQtCanvas::WidePen() const
{
    return QPen(ToQColor(Pen.Color), Pen.Width, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin);
}

QBrush TKXQtCanvas::QtBrush() const
{
    if (!BrushVisible())
        return Qt::NoBrush;
    return QBrush(ToQColor(Brush.Color), QtHatch(Brush.Style));
}

// The pixels of a one-pixel line from (x0, y0) towards (x1, y1), without the end pixel, that
// fall on the device; phase is the position in the dash pattern of the first pixel. Only the
// visible stretch is walked, so far-off coordinates cost nothing.
void TKXQtCanvas::DrawThinLine(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t phase,
                               TThinPixels &pixels) const
{
    const int64_t dx = x1 - x0;
    const int64_t dy = y1 - y0;
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    const int64_t major = xMajor ? std::abs(dx) : std::abs(dy);
    const int64_t minor = xMajor ? std::abs(dy) : std::abs(dx);
    if (major == 0)
        return;
    const int64_t majorStart = xMajor ? x0 : y0;
    const int64_t minorStart = xMajor ? y0 : x0;
    const int64_t majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int64_t minorStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const int64_t majorLow = xMajor ? FDeviceRect.left() : FDeviceRect.top();
    const int64_t majorHigh = xMajor ? FDeviceRect.right() : FDeviceRect.bottom();
    const int64_t minorLow = xMajor ? FDeviceRect.top() : FDeviceRect.left();
    const int64_t minorHigh = xMajor ? FDeviceRect.bottom() : FDeviceRect.right();

    // Step i paints major = majorStart + majorStep * i and minor = minorStart + minorStep * k(i),
    // k(i) = floor((2 i minor + major) / (2 major)): the minor offset rounded to nearest.
    TInt128 first = 0;
    TInt128 last = major - 1;
    if (majorStep > 0) {
        first = std::max<TInt128>(first, majorLow - majorStart);
        last = std::min<TInt128>(last, majorHigh - majorStart);
    } else {
        first = std::max<TInt128>(first, majorStart - majorHigh);
        last = std::min<TInt128>(last, majorStart - majorLow);
    }
    const TInt128 kLow = minorStep > 0 ? minorLow - minorStart : minorStart - minorHigh;
    const TInt128 kHigh = minorStep > 0 ? minorHigh - minorStart : minorStart - minorLow;
    if (minor == 0) {
        if (kLow > 0 || kHigh < 0)
            return;
    } else {
        first = std::max(first, CeilDiv(TInt128(2) * major * kLow - major, TInt128(2) * minor));
        last = std::min(last, CeilDiv(TInt128(2) * major * (kHigh + 1) - major, TInt128(2) * minor) - 1);
    }
    const std::span<const int> pattern = PatternOf(Pen.Style);
    for (TInt128 i = first; i <= last; ++i) {
        const auto k = static_cast<int64_t>(FloorDiv(TInt128(2) * i * minor + major, TInt128(2) * major));
        const int64_t a = majorStart + majorStep * static_cast<int64_t>(i);
        const int64_t b = minorStart + minorStep * k;
        const QPoint p = xMajor ? QPoint(static_cast<int>(a), static_cast<int>(b))
                                : QPoint(static_cast<int>(b), static_cast<int>(a));
        pixels.Add(p, pattern.empty() || PatternOn(pattern, phase + static_cast<int64_t>(i)));
    }
}

// Dash gaps take the brush colour when the brush is solid (GDI's opaque background mode).
void TKXQtCanvas::PaintThinPixels(const TThinPixels &pixels)
{
    SetMode(true);
    FPainter.setPen(Qt::NoPen);
    if (!pixels.On.empty()) {
        FPainter.setBrush(ToQColor(Pen.Color));
        FPainter.drawRects(pixels.On.data(), static_cast<int>(pixels.On.size()));
    }
    if (!pixels.Gap.empty() && BrushVisible() && !IsHatch(Brush.Style)) {
        FPainter.setBrush(ToQColor(Brush.Color));
        FPainter.drawRects(pixels.Gap.data(), static_cast<int>(pixels.Gap.size()));
    }
}

// The part of left .. right-1, top .. bottom-1 on the device (empty when none).
QRect TKXQtCanvas::DeviceRect(int64_t left, int64_t top, int64_t right, int64_t bottom) const
{
    left = std::max<int64_t>(left, FDeviceRect.left());
    top = std::max<int64_t>(top, FDeviceRect.top());
    right = std::min<int64_t>(right, FDeviceRect.right() + 1);
    bottom = std::min<int64_t>(bottom, FDeviceRect.bottom() + 1);
    if (left >= right || top >= bottom)
        return {};
    return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
            static_cast<int>(bottom - top)};
}

// Fills left .. right-1, top .. bottom-1 in the current mode.
void TKXQtCanvas::FillDeviceRect(int64_t left, int64_t top, int64_t right, int64_t bottom, const QBrush &brush)
{
    const QRect r = DeviceRect(left, top, right, bottom);
    if (!r.isEmpty())
        FPainter.fillRect(r, brush);
}

void TKXQtCanvas::Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (!IsActive())
        return;
    const int64_t left = std::min(x1, x2);
    const int64_t right = std::max(x1, x2);
    const int64_t top = std::min(y1, y2);
    const int64_t bottom = std::max(y1, y2);
    if (right - left < 1 || bottom - top < 1)
        return;
    SetMode(true);
    if (!PenVisible()) {
        if (BrushVisible())
            FillDeviceRect(left, top, right - 1, bottom - 1, QtBrush());
        return;
    }
    if (BrushVisible())
        FillDeviceRect(left + 1, top + 1, right - 1, bottom - 1, QtBrush());
    if (!ThinPen()) {
        StrokeWide(left, top, right - left, bottom - top, 0, 0, false);
        return;
    }
    TThinPixels pixels;
    const int64_t r = right - 1;
    const int64_t b = bottom - 1;
    if (r == left || b == top) {
        // One pixel wide or high: a single run, end pixel included.
        DrawThinLine(left, top, r == left ? r : r + 1, b == top ? b : b + 1, 0, pixels);
    } else {
        // Clockwise from the top-left corner; the dash pattern runs on around the corners.
        const int64_t w = r - left;
        const int64_t h = b - top;
        DrawThinLine(left, top, r, top, 0, pixels);
        DrawThinLine(r, top, r, b, w, pixels);
        DrawThinLine(r, b, left, b, w + h, pixels);
        DrawThinLine(left, b, left, top, 2 * w + h, pixels);
    }
    PaintThinPixels(pixels);
}

// A wide pen's outline through Qt, centred on the outermost pixels of the box (kept inside the
// box by an inside-frame pen).
void TKXQtCanvas::StrokeWide(int64_t left, int64_t top, int64_t width, int64_t height, qreal rx, qreal ry,
                             bool ellipse)
{
    QRectF box(static_cast<qreal>(left), static_cast<qreal>(top), static_cast<qreal>(width - 1),
               static_cast<qreal>(height - 1));
    if (Pen.Style == psInsideFrame) {
        const qreal inset = (Pen.Width - 1) / 2.0;
        box.adjust(inset, inset, -inset, -inset);
    }
    SetMode(true);
    FPainter.setPen(WidePen());
    FPainter.setBrush(Qt::NoBrush);
    if (ellipse)
        FPainter.drawEllipse(box);
    else if (rx > 0 && ry > 0)
        FPainter.drawRoundedRect(box, rx, ry, Qt::AbsoluteSize);
    else
        FPainter.drawRect(box);
}

// Appends the pixels from .. to (inclusive) of row y that lie on the device.
void TKXQtCanvas::AppendRun(std::vector<QPoint> &points, int64_t from, int64_t to, int64_t y) const
{
    const int64_t last = std::min<int64_t>(to, FDeviceRect.right());
    for (int64_t x = std::max<int64_t>(from, FDeviceRect.left()); x <= last; ++x)
        points.emplace_back(static_cast<int>(x), static_cast<int>(y));
}

// Ellipses and rounded rectangles, rasterised here so that they are symmetric and cover exactly
// their box: a pixel belongs to the shape when its centre lies inside. The outline is every
// pixel of the shape with a neighbour (left, right, above, below) outside it; the brush fills
// the rest. Without a pen the shape is one pixel smaller to the right and below and all filled.
void TKXQtCanvas::DrawRounded(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int64_t cornerWidth,
                              int64_t cornerHeight, bool ellipse)
{
    if (!IsActive())
        return;
    const bool pen = PenVisible();
    const int64_t left = std::min(x1, x2);
    const int64_t top = std::min(y1, y2);
    const int64_t width = std::max<int64_t>(x1, x2) - left - (pen ? 0 : 1);
    const int64_t height = std::max<int64_t>(y1, y2) - top - (pen ? 0 : 1);
    if (width < 1 || height < 1)
        return;
    const TRoundShape shape{left, top, width, height, ellipse ? width : std::min(cornerWidth, width),
                            ellipse ? height : std::min(cornerHeight, height)};
    const bool outline = pen && ThinPen();
    const QBrush brush = QtBrush();
    SetMode(true);

    std::vector<QPoint> border;
    const int64_t firstRow = std::max<int64_t>(0, FDeviceRect.top() - top);
    const int64_t lastRow = std::min<int64_t>(height - 1, FDeviceRect.bottom() - top);
    for (int64_t j = firstRow; j <= lastRow; ++j) {
        const int64_t inset = shape.Inset(j);
        const int64_t l = left + inset;
        const int64_t r = left + width - 1 - inset;
        const int64_t y = top + j;
        int64_t leftEnd = r;   // border: l .. leftEnd and rightStart .. r
        int64_t rightStart = r + 1;
        if (outline) {
            const int64_t above = shape.Inset(j - 1);
            const int64_t below = shape.Inset(j + 1);
            if (above >= 0 && below >= 0) {
                const int64_t next = std::max(above, below);
                leftEnd = std::max(l, left + next - 1);
                rightStart = std::min(r, left + width - next);
                if (leftEnd + 1 >= rightStart)
                    leftEnd = r, rightStart = r + 1;
            }
            AppendRun(border, l, leftEnd, y);
            AppendRun(border, rightStart, r, y);
        } else {
            leftEnd = l - 1;
        }
        if (BrushVisible())
            FillDeviceRect(leftEnd + 1, y, outline ? rightStart : r + 1, y + 1, brush);
    }
    if (outline) {
        TThinPixels pixels;
        const std::span<const int> pattern = PatternOf(Pen.Style);
        if (pattern.empty()) {
            for (const QPoint &p : border)
                pixels.Add(p, true);
        } else {
            // Dashes follow the visible outline clockwise from its leftmost point.
            const qreal cx = left + (width - 1) / 2.0;
            const qreal cy = top + (height - 1) / 2.0;
            std::vector<std::pair<qreal, QPoint>> ordered;
            ordered.reserve(border.size());
            for (const QPoint &p : border)
                ordered.emplace_back(std::atan2(p.y() - cy, p.x() - cx), p);
            std::sort(ordered.begin(), ordered.end(),
                      [](const auto &a, const auto &b) { return a.first < b.first; });
            for (size_t i = 0; i < ordered.size(); ++i)
                pixels.Add(ordered[i].second, PatternOn(pattern, static_cast<int64_t>(i)));
        }
        PaintThinPixels(pixels);
    } else if (pen) {
        StrokeWide(left, top, width, height, shape.CornerWidth / 2.0, shape.CornerHeight / 2.0, ellipse);
    }
}

void TKXQtCanvas::RoundRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3)
{
    DrawRounded(x1, y1, x2, y2, std::abs(static_cast<int64_t>(x3)), std::abs(static_cast<int64_t>(y3)), false);
}

void TKXQtCanvas::Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    DrawRounded(x1, y1, x2, y2, 0, 0, true);
}

void TKXQtCanvas::LineTo(int32_t x, int32_t y)
{
    const TPoint from = PenPos;
    PenPos = {x, y};
    if (!IsActive() || !PenVisible())
        return;
    if (ThinPen()) {
        TThinPixels pixels;
        DrawThinLine(from.X, from.Y, x, y, 0, pixels);
        PaintThinPixels(pixels);
        return;
    }
    SetMode(true);
    FPainter.setPen(WidePen());
    FPainter.drawLine(QPointF(from.X, from.Y), QPointF(x, y));
}

void TKXQtCanvas::FillRect(const TRect &r)
{
    if (!IsActive() || !BrushVisible())
        return;
    SetMode(false);
    FillDeviceRect(r.Left, r.Top, r.Right, r.Bottom, QtBrush());
}

const QFont &TKXQtCanvas::QtFont()
{
    if (FMetrics && FFontKey.Name == Font.Name && FFontKey.Size == Font.Size && FFontKey.Style == Font.Style)
        return FQFont;
    // Canvases are short-lived (one per direct drawing on a box), so fonts and their metrics
    // are kept for the process: the last few font states used, most recent first. Never
    // freed, so no font outlives the application's font database at exit.
    struct TCachedFont {
        TKXFont Key;
        QFont Font;
        QFontMetrics Metrics;
    };
    static auto &cache = *new std::vector<TCachedFont>;
    constexpr std::size_t cacheSize = 16;
    auto hit = std::find_if(cache.begin(), cache.end(), [this](const TCachedFont &c) {
        return c.Key.Name == Font.Name && c.Key.Size == Font.Size && c.Key.Style == Font.Style;
    });
    if (hit == cache.end()) {
        // An empty name gets the canvas's default face, as GDI falls back to its default font.
        QFont font(FromCp1252(Font.Name.empty() ? TKXFont().Name : Font.Name));
        font.setStyleHint(QFont::SansSerif);
        font.setPixelSize(FontPixelSize(Font.Size));
        font.setBold(Font.Style & fsBold);
        font.setItalic(Font.Style & fsItalic);
        font.setUnderline(Font.Style & fsUnderline);
        font.setStrikeOut(Font.Style & fsStrikeOut);
        font.setKerning(false);
        font.setStyleStrategy(QFont::NoAntialias);
        font.setHintingPreference(QFont::PreferNoHinting);
        if (cache.size() == cacheSize)
            cache.pop_back();
        hit = cache.insert(cache.begin(), TCachedFont{Font, font, QFontMetrics(font)});
    } else if (hit != cache.begin()) {
        std::rotate(cache.begin(), hit, hit + 1);
        hit = cache.begin();
    }
    FQFont = hit->Font;
    FMetrics.emplace(hit->Metrics);
    FFontKey = Font;
    FPainterFontSet = false;
    return FQFont;
}

const QString &TKXQtCanvas::Measured(const std::string &text, int32_t &width)
{
    QtFont();
    if (FMeasuredWidth < 0 || FMeasuredText != text || FMeasuredFont.Name != FFontKey.Name ||
        FMeasuredFont.Size != FFontKey.Size || FMeasuredFont.Style != FFontKey.Style) {
        FMeasuredText = text;
        FMeasuredFont = FFontKey;
        FMeasuredQText = FromCp1252(text);
        FMeasuredWidth = FMetrics->horizontalAdvance(FMeasuredQText);
    }
    width = FMeasuredWidth;
    return FMeasuredQText;
}

int32_t TKXQtCanvas::TextWidth(const std::string &text)
{
    int32_t width = 0;
    Measured(text, width);
    return width;
}

int32_t TKXQtCanvas::TextHeight(const std::string &)
{
    QtFont();
    return FMetrics->height();
}

void TKXQtCanvas::ApplyFont()
{
    QtFont();
    if (!FPainterFontSet) {
        FPainter.setFont(FQFont);
        FPainterFontSet = true;
    }
}

void TKXQtCanvas::DrawText(int32_t x, int32_t y, const QString &text)
{
    ApplyFont();
    FPainter.setPen(ToQColor(Font.Color));
    // In floating point: a line near the 32-bit limit has its baseline beyond it.
    FPainter.drawText(QPointF(x, double(y) + FMetrics->ascent()), text);
}

void TKXQtCanvas::TextOut(int32_t x, int32_t y, const std::string &text)
{
    int32_t width = 0;
    const QString qtext = Measured(text, width);
    PenPos = {static_cast<int32_t>(std::clamp<int64_t>(static_cast<int64_t>(x) + width, INT32_MIN, INT32_MAX)), y};
    if (!IsActive())
        return;
    SetMode(false);
    // Only a solid brush gives the text an opaque background.
    if (BrushVisible() && !IsHatch(Brush.Style))
        FillDeviceRect(x, y, static_cast<int64_t>(x) + width, static_cast<int64_t>(y) + FMetrics->height(),
                       QBrush(ToQColor(Brush.Color)));
    DrawText(x, y, qtext);
}

void TKXQtCanvas::TextRect(const TRect &r, int32_t x, int32_t y, const std::string &text)
{
    if (!IsActive() || r.Right <= r.Left || r.Bottom <= r.Top)
        return;
    ApplyFont();  // outside the save/restore below, which would undo it
    SetMode(false);
    if (BrushVisible()) {
        if (IsHatch(Brush.Style))
            FillDeviceRect(r.Left, r.Top, r.Right, r.Bottom, QBrush(ToQColor(BackgroundColor)));
        FillDeviceRect(r.Left, r.Top, r.Right, r.Bottom, QtBrush());
    }
    const QRect clip = DeviceRect(r.Left, r.Top, r.Right, r.Bottom);
    if (clip.isEmpty())
        return;
    int32_t width = 0;
    const QString &qtext = Measured(text, width);
    FPainter.save();
    FPainter.setClipRect(clip, Qt::IntersectClip);
    DrawText(x, y, qtext);
    FPainter.restore();
}

void TKXQtCanvas::DrawImage(int32_t x, int32_t y, const QImage &image)
{
    if (!IsActive())
        return;
    FPainter.setCompositionMode(QPainter::CompositionMode_Source);
    FPainter.drawImage(QPoint(x, y), image);
}
