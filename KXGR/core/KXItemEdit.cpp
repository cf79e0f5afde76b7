#include "KXGR/core/KXItemEdit.h"

namespace {

template <typename TItem>
TRect PlacementOf(const TItem &item)
{
    return TRect{item.X1, item.Y1, item.X2, item.Y2};
}

template <typename TItem>
void Place(TItem &item, const TRect &r)
{
    const TKXItemSides free = FreeSides(item.Growth, sdAll);
    if (free & sdX1)
        item.X1 = r.Left;
    if (free & sdY1)
        item.Y1 = r.Top;
    if (free & sdX2)
        item.X2 = r.Right;
    if (free & sdY2)
        item.Y2 = r.Bottom;
}

int32_t Snap(int32_t v, int32_t step)
{
    const int64_t half = step / 2;
    const int64_t shifted = int64_t(v) + (v >= 0 ? half : -half);
    return static_cast<int32_t>(shifted / step * step);
}

// Drags one axis: a and b are the axis's first and second coordinate.
void DragAxis(int32_t &a, int32_t &b, bool dragA, bool dragB, int32_t delta, int32_t step, bool keepOrder)
{
    const int32_t startA = a, startB = b;
    const auto moved = [&](int32_t v) { return step > 0 ? Snap(v + delta, step) : v + delta; };
    if (dragA && dragB) {
        a = moved(startA);
        b = startB + (a - startA);
        return;
    }
    if (dragA)
        a = moved(startA);
    if (dragB)
        b = moved(startB);
    if (!keepOrder || startA == startB)
        return;
    if (startA < startB) {
        if (dragA) a = Min(a, startB - 1);
        if (dragB) b = Max(b, startA + 1);
    } else {
        if (dragA) a = Max(a, startB + 1);
        if (dragB) b = Min(b, startA - 1);
    }
}

}  // namespace

bool ItemExists(const TKXVertexStyle &style, TKXItemRef ref)
{
    return ref.Index < (ref.IsText ? style.TextItems.size() : style.DrawItems.size());
}

TRect ItemPlacement(const TKXVertexStyle &style, TKXItemRef ref)
{
    return ref.IsText ? PlacementOf(*style.TextItems[ref.Index]) : PlacementOf(*style.DrawItems[ref.Index]);
}

void SetItemPlacement(TKXVertexStyle &style, TKXItemRef ref, const TRect &placement)
{
    if (ref.IsText)
        Place(*style.TextItems[ref.Index], placement);
    else
        Place(*style.DrawItems[ref.Index], placement);
}

TKXItemGrowth ItemGrowth(const TKXVertexStyle &style, TKXItemRef ref)
{
    return ref.IsText ? style.TextItems[ref.Index]->Growth : style.DrawItems[ref.Index]->Growth;
}

const std::string &ItemName(const TKXVertexStyle &style, TKXItemRef ref)
{
    return ref.IsText ? style.TextItems[ref.Index]->Name : style.DrawItems[ref.Index]->Name;
}

TKXItemSides FreeSides(TKXItemGrowth growth, TKXItemSides sides)
{
    if (GrowsHorizontally(growth))
        sides &= ~(sdX1 | sdX2);
    if (GrowsVertically(growth))
        sides &= ~(sdY1 | sdY2);
    return sides;
}

std::optional<TKXItemRef> ItemAt(const TKXVertexStyle &style, TPoint p)
{
    for (size_t i = style.TextItems.size(); i-- > 0;)
        if (PointInRect(p, NormalizeRect(PlacementOf(*style.TextItems[i]))))
            return TKXItemRef{true, i};
    for (size_t i = style.DrawItems.size(); i-- > 0;) {
        const TKXDrawItem &item = *style.DrawItems[i];
        const bool hit = item.Shape == isLine
                             ? IsNear(SegmentDistance(p, {item.X1, item.Y1}, {item.X2, item.Y2}))
                             : PointInRect(p, NormalizeRect(PlacementOf(item)));
        if (hit)
            return TKXItemRef{false, i};
    }
    return std::nullopt;
}

std::vector<TKXItemHandle> ItemHandles(const TKXVertexStyle &style, TKXItemRef ref)
{
    const TRect r = ItemPlacement(style, ref);
    const int32_t midX = r.Left + (r.Right - r.Left) / 2;
    const int32_t midY = r.Top + (r.Bottom - r.Top) / 2;
    std::vector<TKXItemHandle> all;
    if (!ref.IsText && style.DrawItems[ref.Index]->Shape == isLine)
        all = {{{r.Left, r.Top}, sdX1 | sdY1}, {{r.Right, r.Bottom}, sdX2 | sdY2}};
    else
        all = {{{r.Left, r.Top}, sdX1 | sdY1}, {{midX, r.Top}, sdY1},       {{r.Right, r.Top}, sdX2 | sdY1},
               {{r.Right, midY}, sdX2},        {{r.Right, r.Bottom}, sdX2 | sdY2},
               {{midX, r.Bottom}, sdY2},       {{r.Left, r.Bottom}, sdX1 | sdY2}, {{r.Left, midY}, sdX1}};
    // A handle keeps only what the growth rule leaves free; one with nothing left goes.
    std::vector<TKXItemHandle> handles;
    const TKXItemGrowth growth = ItemGrowth(style, ref);
    for (TKXItemHandle h : all) {
        h.Sides = FreeSides(growth, h.Sides);
        if (h.Sides)
            handles.push_back(h);
    }
    return handles;
}

TRect DragPlacement(const TRect &start, TKXItemSides sides, TPoint delta, int32_t step, bool isLine)
{
    TRect r = start;
    DragAxis(r.Left, r.Right, sides & sdX1, sides & sdX2, delta.X, step, !isLine);
    DragAxis(r.Top, r.Bottom, sides & sdY1, sides & sdY2, delta.Y, step, !isLine);
    return r;
}
