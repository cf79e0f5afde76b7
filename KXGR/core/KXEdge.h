#pragma once
// Edges: polylines between two vertices through any number of bend points, every point a
// handle, and the label (adjacent) that each edge carries.

#include "KXGR/core/KXHandle.h"
#include "KXGR/core/KXObject.h"

#include <memory>
#include <string>
#include <vector>

class TKXAdjacent;
class TKXCustomVertex;

// The connection from Source to Target. Handles is the path: the start handle (hkStart, listed
// in Source->Links), the bend handles (hkBend), the end handle (hkEnd, listed in Target->Links);
// always two entries at least. Segment i runs from Handles[i] to Handles[i + 1]. The edge owns
// its handles and its adjacent; the vertices are not owned and must outlive the edge.
class TKXCustomEdge : public TKXObject, public TKXHandleOwner {
public:
    // source and target must not be nullptr (they may be the same vertex). The points are used
    // as given; the label's anchor sits at the midpoint of the single segment.
    TKXCustomEdge(TKXCustomVertex *source, TKXCustomVertex *target, TPoint startPoint, TPoint endPoint);
    // Takes the start and end handles out of the vertices' Links, then releases everything owned.
    ~TKXCustomEdge() override;

    static const TKXObjectClass ClassRecord;
    const TKXObjectClass &ClassType() const override { return ClassRecord; }

    // Read the record that WriteToStream / WriteToText wrote. The two vertex ids are resolved in
    // vertices (the last vertex with the id counts); a missing one raises EKXDiagramError
    // "Vertex Id not found" right after the ids were read. Other failures are those of the
    // value reader and the text file; a bend count running past the end of a text file raises
    // EInOutError. On any failure no edge is made and no vertex is touched. edges and data are
    // not used.
    static std::unique_ptr<TKXCustomEdge> CreateFromStream(TValueReader &reader, TKXObjectList &vertices,
                                                           TKXObjectList &edges, TObject *data);
    static std::unique_ptr<TKXCustomEdge> CreateFromText(TKXTextFile &file, TKXObjectList &vertices,
                                                         TKXObjectList &edges, TObject *data);

    std::vector<std::unique_ptr<TKXHandle>> Handles;
    TKXCustomVertex *Source = nullptr;
    TKXCustomVertex *Target = nullptr;
    std::unique_ptr<TKXAdjacent> Adjacent;

    // The segments as solid black lines, then the handles (selected, screen only), then the label.
    void Draw(TKXCanvas &canvas, int32_t scale, TKXDrawMode mode) override;
    // The segments in the not-xor pen mode; the label is not outlined.
    void DrawOutline(TKXCanvas &canvas, int32_t scale) override;
    // The last of: the edge when p is within 3 units of a segment (strictly between its ends),
    // a handle of the path under p, the label or its anchor under p. nullptr when none.
    TKXObject *HitTest(TPoint p) override;
    TKXObject *HitTestAt(TPoint p, int32_t scale) override;
    // The segments, the path's handles, the label and its anchor.
    void HitAreas(TKXHitAreas &areas) override;
    // Edges move only through their handles: nothing happens.
    void MoveBy(TPoint delta) override;
    // Edges are never selected by rectangle: answers false.
    bool InRect(const TRect &r) override;
    // The path with its handle squares, and the label's extent.
    TRect PaintExtent(int32_t scale) override;
    // Id; source and target ids; start and end points; caption; label position; label bounds
    // as Left, Right, Top, Bottom; anchor point; bend count; the bend points in path order.
    void WriteToStream(TValueWriter &writer) override;
    // The same values as lines of text (see the stream form), one point per line.
    void WriteToText(TKXTextFile &file) override;
    // Adds a bend point at the foot of the perpendicular on each segment (of those that
    // existed when the call began) that passes within 3 units of p. The anchor stays.
    void InsertBendPoint(TPoint p) override;
    // Removes and releases handle when it is a bend handle of this edge; anything else
    // (an end handle, a foreign handle, nullptr) changes nothing. The anchor stays.
    void RemoveBendPoint(TKXHandle *handle) override;

    // Drag feedback for handle: the segments that end and start at it, in the not-xor pen mode;
    // nothing when handle is not on the path.
    virtual void DrawBendOutline(TKXCanvas &canvas, TKXHandle *handle, int32_t scale);
    // Replaces all bend points by one right-angle bend (down from the start, across to the end)
    // and recentres the anchor.
    virtual void AdjustHandles();

    // Puts the label's anchor on the midpoint of the first segment.
    void CenterAnchor();
    // Removes and releases all bend handles, then CenterAnchor.
    void ClearBendPoints();
    // Every handle of the path draws itself at the scale.
    void DrawHandles(TKXCanvas &canvas, int32_t scale);

    // Path handle drags: a bend point always moves; an end moves only to points inside its own
    // vertex (sides included), otherwise nothing changes. Every accepted move recentres the
    // anchor. EInvalidCast for a handle kind that is not a path kind.
    void MoveHandle(TKXHandle &handle, TPoint delta) override;
    void DrawHandleOutline(TKXCanvas &canvas, TKXHandle &handle, int32_t scale) override;

private:
    void DrawSegments(TKXCanvas &canvas, int32_t scale, std::size_t first, std::size_t last);
    int IndexOfHandle(const TKXHandle *handle) const;
};

// The label of an edge: a caption centred on Position, tied by a dotted line to an anchor
// handle that slides along the line of the edge's first segment. Links[0] is the owning edge.
class TKXAdjacent : public TKXObject, public TKXHandleOwner {
public:
    // owner is the edge (not owned). Empty caption; Bounds is the point p; the anchor at p.
    TKXAdjacent(TKXObject *owner, TPoint p);
    ~TKXAdjacent() override;

    static const TKXObjectClass ClassRecord;
    const TKXObjectClass &ClassType() const override { return ClassRecord; }

    std::string Caption;
    TPoint Position;
    std::unique_ptr<TKXHandle> Anchor;
    TRect Bounds;

    // Nothing for an empty caption. Otherwise recomputes Bounds from the caption's extent in
    // the font the canvas holds on entry (taken as logical units), writes the caption in
    // Arial at 10 points per 100 % of scale centred on Position with a clear background, and
    // draws the dotted line to the anchor; when selected also the dotted frame of Bounds and,
    // on the screen only, the anchor handle.
    void Draw(TKXCanvas &canvas, int32_t scale, TKXDrawMode mode) override;
    // Nothing for an empty caption; otherwise the frame of Bounds and the line to the anchor
    // in the not-xor pen mode.
    void DrawOutline(TKXCanvas &canvas, int32_t scale) override;
    // The adjacent when p lies in Bounds (whatever the caption), else the anchor handle under
    // p, else nullptr.
    TKXObject *HitTest(TPoint p) override;
    TKXObject *HitTestAt(TPoint p, int32_t scale) override;
    // Bounds and the anchor's hit square.
    void HitAreas(TKXHitAreas &areas) override;
    // The caption in the label font around Position and the line to the anchor; the whole
    // plane while selected, because the frame of Bounds follows the font the canvas holds.
    TRect PaintExtent(int32_t scale) override;
    // Moves the label (Position and Bounds); the anchor stays.
    void MoveBy(TPoint delta) override;

    // The move to apply to an anchor at c dragged by delta: to the foot of the perpendicular
    // from c + delta on the line through the edge's first two path points. EInvalidOp when
    // those points coincide; EInvalidCast when the owner is no edge.
    TPoint SlideAnchor(TPoint c, TPoint delta);

    // Anchor drags slide the anchor (SlideAnchor); the feedback is the label's outline.
    void MoveHandle(TKXHandle &handle, TPoint delta) override;
    void DrawHandleOutline(TKXCanvas &canvas, TKXHandle &handle, int32_t scale) override;
};
