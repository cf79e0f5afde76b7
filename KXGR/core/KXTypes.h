#pragma once
// Shared value types of the diagram library: points, rectangles, colours, the canvas
// enumerations, rounding and the integer geometry helpers used by every diagram object.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Root of every object that a host may hand through the library as an untyped reference
// (a data event's `theObject`, the `Data` of the diagram loaders).
class TObject {
public:
    virtual ~TObject() = default;
};

struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;
    friend bool operator==(const TPoint &, const TPoint &) = default;
};

// Left, Top, Right, Bottom. Rectangles of diagram objects are closed (see PointInRect);
// rectangles handed to a canvas follow the device rule (right and bottom excluded).
struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    friend bool operator==(const TRect &, const TRect &) = default;
};

// 0x00BBGGRR, or a system colour: any value with the high bit set (negative), whose low byte
// is the system colour number, resolved through the application palette when painted.
using TColor = int32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clNavy = 0x800000;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000u);
constexpr TColor clWindowText = static_cast<TColor>(0xFF000008u);
constexpr TColor clBtnFace = static_cast<TColor>(0xFF00000Fu);
constexpr TColor clInfoBk = static_cast<TColor>(0xFF000018u);

inline bool IsSystemColor(TColor c) { return c < 0; }

// One-byte enumerations: every byte value is legal data (files may hold any of them).
enum TPenStyle : uint8_t {
    psSolid = 0, psDash = 1, psDot = 2, psDashDot = 3, psDashDotDot = 4, psClear = 5, psInsideFrame = 6
};
enum TBrushStyle : uint8_t {
    bsSolid = 0, bsClear = 1, bsHorizontal = 2, bsVertical = 3, bsFDiagonal = 4, bsBDiagonal = 5,
    bsCross = 6, bsDiagCross = 7
};
// A bit set of fsBold | fsItalic | fsUnderline | fsStrikeOut.
using TFontStyles = uint8_t;
constexpr TFontStyles fsBold = 1;
constexpr TFontStyles fsItalic = 2;
constexpr TFontStyles fsUnderline = 4;
constexpr TFontStyles fsStrikeOut = 8;

enum TPenMode : uint8_t { pmCopy = 4, pmNotXor = 15 };

// Round to nearest, halves to the even neighbour, on an extended-precision value.
// Raises EMathError when the value is not finite or does not fit in 32 bits.
int32_t Round(long double value);

// The value clamped to the 32-bit range. Coordinates may lie anywhere in that range (files
// hold what they hold), so every sum, difference or product of coordinates is taken in a
// wider type and saturates here instead of overflowing.
int32_t Saturate(int64_t value);
// Round for results that may leave 32 bits: those end at the nearest limit. Not for NaN.
int32_t RoundSaturated(long double value);

// Geometry helpers on logical diagram units. Results beyond 32 bits saturate.
int32_t ScaleValue(int32_t v, int32_t scale);        // logical to device, scale in percent
int32_t UnscaleValue(int32_t v, int32_t scale);      // device to logical; EZeroDivide for scale 0
TPoint UnscalePoint(TPoint p, int32_t scale);        // EZeroDivide for scale 0
TPoint MakePoint(int32_t x, int32_t y);
TRect MakeRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
TPoint PointDelta(TPoint a, TPoint b);               // b - a
TRect NormalizeRect(TRect r);
void OffsetPoint(TPoint &p, TPoint delta);
void OffsetRect(TRect &r, TPoint delta);
bool PointInRect(TPoint p, TRect r);                 // all four sides inclusive
bool RectInRect(TRect inner, TRect outer);           // inclusive
int32_t SegmentDistance(TPoint p, TPoint a, TPoint b); // signed distance, or 999 when not beside the segment
bool IsNear(int32_t d);                              // |d| < 4
TPoint ProjectOnLine(TPoint p, TPoint a, TPoint b);  // EInvalidOp when a == b
// Digits of base 10 or 16 (either case) up to the end of digits, accumulated into value. false
// when digits is empty, holds another character, or the value passes limit (checked after
// every digit, so limit below 2^59 keeps the accumulator from overflowing).
bool ParseDigits(std::string_view digits, unsigned base, uint64_t limit, uint64_t &value);

int32_t Max(int32_t a, int32_t b);
int32_t Min(int32_t a, int32_t b);
void SwapInt(int32_t &a, int32_t &b);
