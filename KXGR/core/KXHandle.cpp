#include "KXGR/core/KXHandle.h"

#include "KXGR/core/KXCanvas.h"
#include "KXGR/core/KXErrors.h"

namespace {
// Near the 32-bit limits the square stops at the limit.
TRect HitSquare(TPoint p)
{
    return {Saturate(int64_t(p.X) - 4), Saturate(int64_t(p.Y) - 4), Saturate(int64_t(p.X) + 4),
            Saturate(int64_t(p.Y) + 4)};
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
}

void TKXHandle::Shift(TPoint delta)
{
    OffsetPoint(Position, delta);
    OffsetRect(Bounds, delta);
}

void TKXHandle::Draw(TKXCanvas &canvas, int32_t scale, TKXDrawMode)
{
    canvas.Pen.Color = clBlack;
    canvas.Pen.Style = psSolid;
    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = clBlack;
    const int32_t xs = ScaleValue(Position.X, scale);
    const int32_t ys = ScaleValue(Position.Y, scale);
    canvas.Rectangle(Saturate(int64_t(xs) - 4), Saturate(int64_t(ys) - 4), Saturate(int64_t(xs) + 4),
                     Saturate(int64_t(ys) + 4));
}

void TKXHandle::DrawOutline(TKXCanvas &canvas, int32_t scale)
{
    Owner().DrawHandleOutline(canvas, *this, scale);
}

TKXObject *TKXHandle::HitTest(TPoint p)
{
    return PointInRect(p, Bounds) ? this : nullptr;
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
