#pragma once
// The drawing surface of diagram objects: the subset of a classic GDI canvas that the library
// uses. All coordinates are device pixels. Pen, brush and font are plain state read by each call.

#include "KXGR/core/KXTypes.h"

#include <string>

struct TKXPen {
    TColor Color = clBlack;
    TPenStyle Style = psSolid;
    int32_t Width = 1;          // pixels; 0 paints one pixel
    TPenMode Mode = pmCopy;
    friend bool operator==(const TKXPen &, const TKXPen &) = default;
};

struct TKXBrush {
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;
    friend bool operator==(const TKXBrush &, const TKXBrush &) = default;
};

struct TKXFont {
    std::string Name = "MS Sans Serif";  // code page 1252
    int32_t Size = 8;                    // points; pixels = Round(Size * 96 / 72)
    TColor Color = clWindowText;
    TFontStyles Style = 0;
    friend bool operator==(const TKXFont &, const TKXFont &) = default;
};

class TKXCanvas {
public:
    virtual ~TKXCanvas() = default;

    TKXPen Pen;
    TKXBrush Brush;
    TKXFont Font;
    TPoint PenPos;

    // Outlined with the pen and filled with the brush; right and bottom edges excluded.
    virtual void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
    // Corners are quarter ellipses of width x3 and height y3.
    virtual void RoundRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3) = 0;
    virtual void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
    virtual void MoveTo(int32_t x, int32_t y) { PenPos = {x, y}; }
    // Line from PenPos to (x, y), end point not painted; PenPos becomes (x, y).
    virtual void LineTo(int32_t x, int32_t y) = 0;
    // Fills r with the brush, without outline.
    virtual void FillRect(const TRect &r) = 0;
    // Text with its top-left corner at (x, y), in the font; opaque unless the brush is clear.
    virtual void TextOut(int32_t x, int32_t y, const std::string &text) = 0;
    // Like TextOut but clipped to r; unless the brush is clear the whole of r is painted first.
    virtual void TextRect(const TRect &r, int32_t x, int32_t y, const std::string &text) = 0;
    // Extent of text in the current font, in pixels.
    virtual int32_t TextWidth(const std::string &text) = 0;
    virtual int32_t TextHeight(const std::string &text) = 0;
};

// The set-up of a diagram object's own drawing: black lines of the given style and mode, a
// white brush of the given style.
inline void SetObjectPen(TKXCanvas &canvas, TPenMode mode, TPenStyle style = psSolid, TBrushStyle brush = bsSolid)
{
    canvas.Pen.Color = clBlack;
    canvas.Pen.Mode = mode;
    canvas.Pen.Style = style;
    canvas.Brush.Style = brush;
    canvas.Brush.Color = clWhite;
}
