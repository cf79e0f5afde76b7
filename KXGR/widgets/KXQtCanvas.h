#pragma once
// The canvas on a QPainter: the one place where diagram drawing meets Qt. It paints by the
// pixel rules of a classic GDI canvas, so pictures and text widths are the same on every
// machine with the project's fonts:
// - Rectangle, Ellipse, RoundRect and FillRect cover x1 .. x2-1 and y1 .. y2-1; without a pen
//   the three shapes are one pixel smaller to the right and below. A pixel belongs to an
//   ellipse (or a rounded corner) when its centre lies inside; the one-pixel outline is every
//   pixel of the shape with a neighbour outside it, the brush fills the rest.
// - LineTo leaves its end pixel unpainted. Pens of width 0 or 1 paint one pixel; dashed styles
//   use the GDI patterns (dash 18/6, dot 3/3, dash-dot 9/6/3/6, dash-dot-dot 9/3/3/3/3/3) and
//   are drawn solid when wider; with a solid brush the gaps take the brush colour. Wider pens
//   are centred on the outermost pixels (psInsideFrame keeps them inside) with round line ends.
// - Hatch brushes paint their lines in the brush colour and leave the gaps as they are, except
//   behind TextRect, whose rectangle is first painted with BackgroundColor.
// - pmNotXor draws pen and brush with NOT (source XOR destination): drawing twice restores the
//   picture. Text, FillRect and DrawImage always copy.
// - Font pixel size = Round(|points| * 96 / 72), from 1 to 32767; no antialiasing, text
//   included; no hinting and no kerning, so widths depend on the font files only.
// - Style bytes outside their enumeration are drawn as psSolid / bsSolid; a pen mode other
//   than pmNotXor copies.
// Not-xor needs a QImage in Format_RGB32 or Format_ARGB32_Premultiplied as the device.

#include "KXGR/core/KXCanvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <optional>
#include <vector>

class QImage;
class QPaintDevice;

class TKXQtCanvas : public TKXCanvas {
public:
    // Without a device the canvas only measures text; drawing calls do nothing.
    TKXQtCanvas();
    // Paints on device (not owned; it must outlive the canvas or the next End()).
    explicit TKXQtCanvas(QPaintDevice *device);
    ~TKXQtCanvas() override;

    // Starts painting on device, ending painting on a previous one. A null or empty device
    // leaves the canvas inactive.
    void Begin(QPaintDevice *device);
    // Finishes painting; the device may then be resized or freed.
    void End();
    // Coordinates handed to the canvas from now on are shifted by -origin on the device, so
    // (origin.X, origin.Y) lands on its top-left pixel; Begin starts at (0, 0). Pixels are those
    // of the unshifted picture moved by whole pixels.
    void SetOrigin(TPoint origin);
    bool IsActive() const { return FPainter.isActive(); }

    // Colour of the gaps of a hatched TextRect background.
    TColor BackgroundColor = clWhite;

    // Copies image with its top-left corner at (x, y), replacing the pixels below it.
    void DrawImage(int32_t x, int32_t y, const QImage &image);

    void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
    void RoundRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3) override;
    void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
    void LineTo(int32_t x, int32_t y) override;
    void FillRect(const TRect &r) override;
    // Also moves PenPos to (x + TextWidth(text), y).
    void TextOut(int32_t x, int32_t y, const std::string &text) override;
    void TextRect(const TRect &r, int32_t x, int32_t y, const std::string &text) override;
    int32_t TextWidth(const std::string &text) override;
    int32_t TextHeight(const std::string &text) override;

    // The Qt font the canvas's Font state gives (built once per change of the state).
    const QFont &QtFont();

private:
    struct TThinPixels;

    bool PenVisible() const;
    bool BrushVisible() const;
    bool ThinPen() const;
    void SetMode(bool followPenMode);
    QPen WidePen() const;
    QBrush QtBrush() const;
    void DrawThinLine(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t phase, TThinPixels &pixels) const;
    void PaintThinPixels(const TThinPixels &pixels);
    QRect DeviceRect(int64_t left, int64_t top, int64_t right, int64_t bottom) const;
    void FillDeviceRect(int64_t left, int64_t top, int64_t right, int64_t bottom, const QBrush &brush);
    void AppendRun(std::vector<QPoint> &points, int64_t from, int64_t to, int64_t y) const;
    void StrokeWide(int64_t left, int64_t top, int64_t width, int64_t height, qreal rx, qreal ry, bool ellipse);
    void DrawRounded(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int64_t cornerWidth, int64_t cornerHeight,
                     bool ellipse);
    void ApplyFont();
    void DrawText(int32_t x, int32_t y, const QString &text);
    // The text converted and measured in the current font; the last one is kept, so a text
    // measured and then drawn (an item centred, a label placed) is converted and measured once.
    const QString &Measured(const std::string &text, int32_t &width);

    QPainter FPainter;
    QRect FDeviceRect;           // the device's pixels, in the canvas's coordinates
    QFont FQFont;
    std::optional<QFontMetrics> FMetrics;
    TKXFont FFontKey;            // the Font state FQFont was built from (colour ignored)
    bool FPainterFontSet = false;
    std::string FMeasuredText;   // the last text measured, in the font FMeasuredFont
    TKXFont FMeasuredFont;
    QString FMeasuredQText;
    int32_t FMeasuredWidth = -1; // -1: nothing measured yet
};
