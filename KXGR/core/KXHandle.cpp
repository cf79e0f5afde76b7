#include "KXGR/core/KXHandle.h"

#include "KXGR/core/KXCanvas.h"
#include "KXGR/core/KXErrors.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdint>

namespace {
TRect HitSquare(TPoint p) { return {p.X - 4, p.Y - 4, p.X + 4, p.Y + 4}; }

// The logical points whose pixels at scale lie on the square drawn for a handle at p: the
// pixels from xs - 4 to xs + 3, where xs is p.X scaled (the right and bottom sides of a drawn
// rectangle stay unpainted), each taken back to logical units the way mouse positions are.
TRect DrawnSquare(TPoint p, int32_t scale)
{
    const auto back = [scale](int64_t pixel) {
        const long double v = (100.0L / scale) * static_cast<long double>(pixel);
        return static_cast<int32_t>(std::clamp<long double>(std::nearbyint(v), INT32_MIN, INT32_MAX));
    };
    const int64_t xs = ScaleValue(p.X, scale);
    const int64_t ys = ScaleValue(p.Y, scale);
    return {back(xs - 4), back(ys - 4), back(xs + 3), back(ys + 3)};
}

TKXObjectKind OwnerKindOf(TKXHandleKind kind)
{
    switch (kind) {
    case hkBend:
    case hkStart:
    case hkEnd:
        return okEdge;
    case hkTopLeft:
    case hkTopRight:
    case hkBottomLeft:
    case hkBottomRight:
        return okVertex;
    case hkAnchor:
        return okAdjacent;
    }
    throw EInvalidCast(KXMessages::InvalidCast);
}
}

const TKXObjectClass TKXHandle::ClassRecord{"TKXHandle", &TKXObject::ClassRecord, nullptr, nullptr};

TKXHandle::TKXHandle(TKXObject *owner, TPoint p, TKXHandleKind role)
    : HandleKind(role), Position(p), Bounds(HitSquare(p))
{
    Links.push_back(owner);
    Kind = okHandle;
}

void TKXHandle::PlaceAt(TPoint p)
{
    Position = p;
    Bounds = HitSquare(p);
    Changed();
}

void TKXHandle::Shift(TPoint delta)
{
    OffsetPoint(Position, delta);
    OffsetRect(Bounds, delta);
    Changed();
}

void TKXHandle::Draw(TKXCanvas &canvas, int32_t scale, TKXDrawMode)
{
    canvas.Pen.Color = clBlack;
    canvas.Pen.Style = psSolid;
    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = clBlack;
    const int32_t xs = ScaleValue(Position.X, scale);
    const int32_t ys = ScaleValue(Position.Y, scale);
    canvas.Rectangle(xs - 4, ys - 4, xs + 4, ys + 4);
}

void TKXHandle::DrawOutline(TKXCanvas &canvas, int32_t scale)
{
    Owner().DrawHandleOutline(canvas, *this, scale);
}

TKXObject *TKXHandle::HitTest(TPoint p) { return HitTestAt(p, 100); }

TKXObject *TKXHandle::HitTestAt(TPoint p, int32_t scale)
{
    if (PointInRect(p, Bounds))
        return this;
    // From scale 100 up the drawn square lies inside Bounds.
    if (scale >= 100 || scale <= 0)
        return nullptr;
    // The drawn square reaches at most 4.5 pixels, plus half a unit of rounding, from Position.
    const int64_t reach = 450 / scale + 2;
    if (std::abs(int64_t(p.X) - Position.X) > reach || std::abs(int64_t(p.Y) - Position.Y) > reach)
        return nullptr;
    return PointInRect(p, DrawnSquare(Position, scale)) ? this : nullptr;
}

void TKXHandle::HitAreas(TKXHitAreas &areas)
{
    areas.push_back({{Bounds.Left, Bounds.Top}, {Bounds.Right, Bounds.Bottom}});
}

void TKXHandle::MoveBy(TPoint delta)
{
    TKXHandleOwner &owner = Owner();
    if (Links[0]->Kind != OwnerKindOf(HandleKind))
        throw EInvalidCast(KXMessages::InvalidCast);
    owner.MoveHandle(*this, delta);
}

TKXHandleOwner &TKXHandle::Owner() const
{
    auto *owner = Links.empty() ? nullptr : dynamic_cast<TKXHandleOwner *>(Links[0]);
    if (!owner)
        throw EInvalidCast(KXMessages::InvalidCast);
    return *owner;
}
