#pragma once
// Handles: the small squares by which the user grabs a corner of a vertex, a point of an edge's
// path or the anchor of an edge's label. What a drag does is decided by the handle's owner.

#include "KXGR/core/KXObject.h"

enum TKXHandleKind : uint8_t {
    hkBend = 0,         // edge: bend point
    hkStart = 1,        // edge: first path point, attached to the source vertex
    hkEnd = 2,          // edge: last path point, attached to the target vertex
    hkTopLeft = 3,      // vertex corners
    hkTopRight = 4,
    hkBottomLeft = 5,
    hkBottomRight = 6,
    hkAnchor = 7        // adjacent: the point of the edge the label is tied to
};

// Implemented by every object that owns handles (vertices, edges, adjacents) next to its
// TKXObject base. A handle hands its drag and its drag feedback to its owner through it.
class TKXHandleOwner {
public:
    virtual ~TKXHandleOwner() = default;
    // Applies the drag rule of handle's kind to the owner for a drag by delta (logical units).
    // handle is one of the owner's; its kind fits the owner. A refused drag changes nothing.
    virtual void MoveHandle(TKXHandle &handle, TPoint delta) = 0;
    // Drag feedback for handle, in the not-xor pen mode: an edge outlines the segments next to
    // the handle, the other owners outline themselves whole.
    virtual void DrawHandleOutline(TKXCanvas &canvas, TKXHandle &handle, int32_t scale) = 0;
};

// A grab point of its owner (Links[0], not owned). Kind is okHandle. Bounds is the hit square
// of +-4 logical units around Position and follows it through PlaceAt and Shift.
class TKXHandle : public TKXObject {
public:
    // owner is not owned; it must implement TKXHandleOwner (checked when the handle is used).
    TKXHandle(TKXObject *owner, TPoint p, TKXHandleKind role);

    static const TKXObjectClass ClassRecord;
    const TKXObjectClass &ClassType() const override { return ClassRecord; }

    TKXHandleKind HandleKind;
    TPoint Position;
    TRect Bounds;

    void PlaceAt(TPoint p);
    void Shift(TPoint delta);

    // A filled black square of 8 device pixels around the scaled position; the pen mode is
    // left as the canvas has it.
    void Draw(TKXCanvas &canvas, int32_t scale, TKXDrawMode mode) override;
    // The owner's drag feedback for this handle. Raises EInvalidCast when the owner is no
    // handle owner.
    void DrawOutline(TKXCanvas &canvas, int32_t scale) override;
    // This handle when p lies in Bounds (sides included), otherwise nullptr.
    TKXObject *HitTest(TPoint p) override;
    // Also this handle when p is where a press on its drawn square at scale lands: below
    // scale 100 the 8-pixel square covers more than Bounds.
    TKXObject *HitTestAt(TPoint p, int32_t scale) override;
    // The hit square.
    void HitAreas(TKXHitAreas &areas) override;
    // Hands the drag to the owner. Raises EInvalidCast when the owner's kind does not fit the
    // handle kind (edge for hkBend..hkEnd, vertex for the corners, adjacent for hkAnchor) or
    // the owner is no handle owner.
    void MoveBy(TPoint delta) override;

private:
    TKXHandleOwner &Owner() const;
};
