#pragma once
// Geometry for editing the items of a style with the mouse: finding the item under a point,
// the handles of an item, and the placement an item gets from a drag, with the growth rules
// and an optional snapping grid. Everything is in logical units relative to the vertex's
// top-left corner, the units of the items' own coordinates.

#include "KXGR/core/KXStyles.h"
#include "KXGR/core/KXTypes.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// One item of a style: a draw item or a text item, by its index in its list.
struct TKXItemRef {
    bool IsText = false;
    size_t Index = 0;
    bool operator==(const TKXItemRef &) const = default;
};

// Which of an item's coordinates a handle or a move changes: a bit set.
using TKXItemSides = uint8_t;
constexpr TKXItemSides sdX1 = 1;
constexpr TKXItemSides sdY1 = 2;
constexpr TKXItemSides sdX2 = 4;
constexpr TKXItemSides sdY2 = 8;
constexpr TKXItemSides sdAll = sdX1 | sdY1 | sdX2 | sdY2;

struct TKXItemHandle {
    TPoint Position;      // centre of the handle
    TKXItemSides Sides;   // the coordinates it drags
};

// The item's coordinates as a rectangle (Left = X1, Top = Y1, Right = X2, Bottom = Y2, not
// normalised). Raises nothing; ref must name an existing item.
TRect ItemPlacement(const TKXVertexStyle &style, TKXItemRef ref);
// Writes placement into the item, but only the coordinates its growth rule leaves free: the
// ones a rule replaces keep their values.
void SetItemPlacement(TKXVertexStyle &style, TKXItemRef ref, const TRect &placement);
TKXItemGrowth ItemGrowth(const TKXVertexStyle &style, TKXItemRef ref);
const std::string &ItemName(const TKXVertexStyle &style, TKXItemRef ref);
bool ItemExists(const TKXVertexStyle &style, TKXItemRef ref);

// The coordinates a drag may change under the item's growth rule: sides without those the
// rule replaces.
TKXItemSides FreeSides(TKXItemGrowth growth, TKXItemSides sides);

// The topmost item under p, in painting order reversed (text items last to first, then draw
// items last to first). A line is hit near its segment, any other item inside its rectangle
// (sides included). Nothing when no item is there.
std::optional<TKXItemRef> ItemAt(const TKXVertexStyle &style, TPoint p);

// The handles of an item that its growth rule leaves something to drag: a line's two ends, a
// rectangle's four corners and four side middles.
std::vector<TKXItemHandle> ItemHandles(const TKXVertexStyle &style, TKXItemRef ref);

// The placement after dragging the given sides of start by delta. With step > 0 the dragged
// coordinates land on multiples of step: a move (both X1 and X2, or both Y1 and Y2) snaps X1 or
// Y1 and keeps the size. A resized rectangle keeps at least one unit between its opposite sides
// (and their order); a line's ends move freely.
TRect DragPlacement(const TRect &start, TKXItemSides sides, TPoint delta, int32_t step, bool isLine);
