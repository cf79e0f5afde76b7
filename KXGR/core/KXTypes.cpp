#include "KXGR/core/KXTypes.h"

#include "KXGR/core/KXErrors.h"

#include <algorithm>
#include <cmath>
#include <limits>

int32_t Round(long double value)
{
    if (!std::isfinite(value))
        throw EInvalidOp(KXMessages::InvalidOp);
    // rintl rounds in whatever mode the host has set, quickly; the integer below value and the
    // exact fraction above it then decide, halves to the even neighbour, in every mode.
    // (Asking for the mode, or floorl, costs more than the rest of a drawn coordinate.)
    const long double nearby = std::rintl(value);
    const long double below = value >= nearby ? nearby : nearby - 1;
    if (below < std::numeric_limits<int32_t>::min() - 1.0L || below > std::numeric_limits<int32_t>::max())
        throw EInvalidOp(KXMessages::InvalidOp);
    const long double fraction = value - below;
    int64_t r = std::llrintl(below);   // exact: below is a whole number
    if (fraction > 0.5L || (fraction == 0.5L && (r & 1) != 0))
        ++r;
    if (r < std::numeric_limits<int32_t>::min() || r > std::numeric_limits<int32_t>::max())
        throw EInvalidOp(KXMessages::InvalidOp);
    return static_cast<int32_t>(r);
}

int32_t Saturate(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

int32_t RoundSaturated(long double value)
{
    if (value >= std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value <= std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return Round(value);
}

int32_t ScaleValue(int32_t v, int32_t scale)
{
    // At 100 % the product is within far less than half a unit of v.
    if (scale == 100)
        return v;
    return RoundSaturated(static_cast<long double>(v) * (static_cast<long double>(scale) * 0.01L));
}

int32_t UnscaleValue(int32_t v, int32_t scale)
{
    if (scale == 0)
        throw EZeroDivide(KXMessages::ZeroDivide);
    return RoundSaturated((100.0L / scale) * v);
}

TPoint UnscalePoint(TPoint p, int32_t scale)
{
    return {UnscaleValue(p.X, scale), UnscaleValue(p.Y, scale)};
}

TPoint MakePoint(int32_t x, int32_t y) { return {x, y}; }

TRect MakeRect(int32_t left, int32_t top, int32_t right, int32_t bottom) { return {left, top, right, bottom}; }

TPoint PointDelta(TPoint a, TPoint b) { return {Saturate(int64_t(b.X) - a.X), Saturate(int64_t(b.Y) - a.Y)}; }

TRect NormalizeRect(TRect r)
{
    if (r.Left > r.Right)
        SwapInt(r.Left, r.Right);
    if (r.Top > r.Bottom)
        SwapInt(r.Top, r.Bottom);
    return r;
}

void OffsetPoint(TPoint &p, TPoint delta)
{
    p.X = Saturate(int64_t(p.X) + delta.X);
    p.Y = Saturate(int64_t(p.Y) + delta.Y);
}

void OffsetRect(TRect &r, TPoint delta)
{
    r.Left = Saturate(int64_t(r.Left) + delta.X);
    r.Right = Saturate(int64_t(r.Right) + delta.X);
    r.Top = Saturate(int64_t(r.Top) + delta.Y);
    r.Bottom = Saturate(int64_t(r.Bottom) + delta.Y);
}

bool PointInRect(TPoint p, TRect r)
{
    return r.Left <= p.X && p.X <= r.Right && r.Top <= p.Y && p.Y <= r.Bottom;
}

bool RectInRect(TRect inner, TRect outer)
{
    return inner.Left >= outer.Left && inner.Right <= outer.Right && inner.Top >= outer.Top
        && inner.Bottom <= outer.Bottom;
}

int32_t SegmentDistance(TPoint p, TPoint a, TPoint b)
{
    // Differences reach 2^32 and their squares 2^64, beyond 64-bit integers: long double
    // cannot overflow here, and its 64-bit mantissa rounds only at the far ends of the range.
    const long double dX = static_cast<long double>(b.X) - a.X;
    const long double dY = static_cast<long double>(b.Y) - a.Y;
    const long double l2 = dX * dX + dY * dY;
    if (l2 == 0)
        return 999;
    const long double r = ((static_cast<long double>(p.X) - a.X) * dX + (static_cast<long double>(p.Y) - a.Y) * dY) / l2;
    if (r <= 0 || r >= 1)
        return 999;
    const long double s = ((static_cast<long double>(a.Y) - p.Y) * dX - (static_cast<long double>(a.X) - p.X) * dY) / l2;
    return RoundSaturated(s * std::sqrt(l2));
}

bool IsNear(int32_t d) { return d > -4 && d < 4; }

TPoint ProjectOnLine(TPoint p, TPoint a, TPoint b)
{
    const long double dX = static_cast<long double>(b.X) - a.X;
    const long double dY = static_cast<long double>(b.Y) - a.Y;
    const long double l = std::sqrt(dX * dX + dY * dY);
    if (l == 0)
        throw EInvalidOp(KXMessages::InvalidOp);
    const long double r = ((static_cast<long double>(p.X) - a.X) * dX + (static_cast<long double>(p.Y) - a.Y) * dY)
        / (l * l);
    // The foot may lie on the line's extension beyond the 32-bit range: it stops at the limit.
    return {RoundSaturated(a.X + r * dX), RoundSaturated(a.Y + r * dY)};
}

int32_t Max(int32_t a, int32_t b) { return a > b ? a : b; }

int32_t Min(int32_t a, int32_t b) { return a < b ? a : b; }

void SwapInt(int32_t &a, int32_t &b)
{
    const int32_t t = a;
    a = b;
    b = t;
}

bool ParseDigits(std::string_view digits, unsigned base, uint64_t limit, uint64_t &value)
{
    if (digits.empty())
        return false;
    value = 0;
    for (const char c : digits) {
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return false;
        value = value * base + digit;
        if (value > limit)
            return false;
    }
    return true;
}
