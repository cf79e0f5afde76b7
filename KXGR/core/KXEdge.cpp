#include "KXGR/core/KXEdge.h"

#include "KXGR/core/KXCanvas.h"
#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXStream.h"
#include "KXGR/core/KXTextFile.h"
#include "KXGR/core/KXVertex.h"

#include <algorithm>
#include <limits>

namespace {

TPoint Midpoint(TPoint a, TPoint b)
{
    return {Round(a.X + (static_cast<long double>(b.X) - a.X) * 0.5L),
            Round(a.Y + (static_cast<long double>(b.Y) - a.Y) * 0.5L)};
}

TPoint ScalePoint(TPoint p, int32_t scale) { return {ScaleValue(p.X, scale), ScaleValue(p.Y, scale)}; }

// p + delta, or false when the sum leaves the 32-bit range (no vertex holds such a point).
bool OffsetPoint(TPoint p, TPoint delta, TPoint &result)
{
    const int64_t x = int64_t(p.X) + delta.X;
    const int64_t y = int64_t(p.Y) + delta.Y;
    constexpr int64_t lo = std::numeric_limits<int32_t>::min();
    constexpr int64_t hi = std::numeric_limits<int32_t>::max();
    if (x < lo || x > hi || y < lo || y > hi)
        return false;
    result = {static_cast<int32_t>(x), static_cast<int32_t>(y)};
    return true;
}

void RemoveLink(TKXObject *vertex, const TKXObject *handle)
{
    if (!vertex)
        return;
    auto &links = vertex->Links;
    links.erase(std::remove(links.begin(), links.end(), handle), links.end());
}

// An edge record as stored, read completely before anything is built, so that a failure
// leaves no partly built edge and no vertex touched.
struct TStoredEdge {
    int32_t Id = 0;
    TKXCustomVertex *Source = nullptr;
    TKXCustomVertex *Target = nullptr;
    TPoint Start;
    TPoint End;
    std::string Caption;
    TPoint Position;
    TRect Bounds;
    TPoint AnchorPoint;
    std::vector<TPoint> Bends;
};

// The last vertex with the id, or nullptr.
TKXCustomVertex *FindVertex(const TKXObjectList &vertices, int32_t id)
{
    TKXObject *found = vertices.FindById(id);
    if (!found)
        return nullptr;
    auto *vertex = dynamic_cast<TKXCustomVertex *>(found);
    if (!vertex)
        throw EInvalidCast(KXMessages::InvalidCast);
    return vertex;
}

void ResolveVertices(TStoredEdge &stored, const TKXObjectList &vertices, int32_t sourceId, int32_t targetId)
{
    stored.Source = FindVertex(vertices, sourceId);
    stored.Target = FindVertex(vertices, targetId);
    if (!stored.Source || !stored.Target)
        throw EKXDiagramError(KXMessages::VertexIdNotFound);
}

TPoint GetPoint(TValueReader &reader)
{
    TPoint p;
    p.X = reader.GetInteger();
    p.Y = reader.GetInteger();
    return p;
}

// Two integers from a line; the rest of the line is skipped.
TPoint ReadPointLine(TKXTextFile &file)
{
    TPoint p;
    p.X = file.ReadInteger();
    p.Y = file.ReadInteger();
    file.ReadLn();
    return p;
}

std::unique_ptr<TKXCustomEdge> BuildEdge(const TStoredEdge &stored)
{
    auto edge = std::make_unique<TKXCustomEdge>(stored.Source, stored.Target, stored.Start, stored.End);
    edge->Id = stored.Id;
    TKXAdjacent &label = *edge->Adjacent;
    label.Caption = stored.Caption;
    label.Position = stored.Position;
    label.Bounds = stored.Bounds;
    label.Anchor->PlaceAt(stored.AnchorPoint);
    edge->Handles.reserve(stored.Bends.size() + 2);
    for (const TPoint &bend : stored.Bends)
        edge->Handles.insert(edge->Handles.end() - 1, std::make_unique<TKXHandle>(edge.get(), bend, hkBend));
    return edge;
}

}

// ---------------------------------------------------------------------------------------------
// TKXCustomEdge

const TKXObjectClass TKXCustomEdge::ClassRecord{"TKXCustomEdge", &TKXObject::ClassRecord,
                                                &ReadObjectFromStream<TKXCustomEdge>,
                                                &ReadObjectFromText<TKXCustomEdge>};

TKXCustomEdge::TKXCustomEdge(TKXCustomVertex *source, TKXCustomVertex *target, TPoint startPoint, TPoint endPoint)
{
    Kind = okEdge;
    Adjacent = std::make_unique<TKXAdjacent>(this, Midpoint(startPoint, endPoint));
    Handles.reserve(2);
    Handles.push_back(std::make_unique<TKXHandle>(this, startPoint, hkStart));
    Handles.push_back(std::make_unique<TKXHandle>(this, endPoint, hkEnd));
    // Attached last, and undone when the second attachment fails, so a failed construction
    // leaves the vertices as they were.
    source->Links.push_back(Handles.front().get());
    try {
        target->Links.push_back(Handles.back().get());
    } catch (...) {
        source->Links.pop_back();
        throw;
    }
    Source = source;
    Target = target;
}

TKXCustomEdge::~TKXCustomEdge()
{
    for (auto &handle : Handles) {
        RemoveLink(Source, handle.get());
        RemoveLink(Target, handle.get());
        handle.reset();
    }
    Handles.clear();
    Adjacent.reset();
}

std::unique_ptr<TKXCustomEdge> TKXCustomEdge::CreateFromStream(TValueReader &reader, TKXObjectList &vertices,
                                                               TKXObjectList &, TObject *)
{
    TStoredEdge stored;
    stored.Id = reader.GetInteger();
    const int32_t sourceId = reader.GetInteger();
    const int32_t targetId = reader.GetInteger();
    ResolveVertices(stored, vertices, sourceId, targetId);
    stored.Start = GetPoint(reader);
    stored.End = GetPoint(reader);
    stored.Caption = reader.GetString();
    stored.Position = GetPoint(reader);
    stored.Bounds.Left = reader.GetInteger();
    stored.Bounds.Right = reader.GetInteger();
    stored.Bounds.Top = reader.GetInteger();
    stored.Bounds.Bottom = reader.GetInteger();
    stored.AnchorPoint = GetPoint(reader);
    // The count is not trusted for allocation: the points are taken as they come, and a file
    // that holds fewer fails at the first missing value.
    const int32_t count = reader.GetInteger();
    for (int32_t i = 0; i < count; ++i)
        stored.Bends.push_back(GetPoint(reader));
    return BuildEdge(stored);
}

std::unique_ptr<TKXCustomEdge> TKXCustomEdge::CreateFromText(TKXTextFile &file, TKXObjectList &vertices,
                                                             TKXObjectList &, TObject *)
{
    TStoredEdge stored;
    stored.Id = file.ReadInteger();
    file.ReadLn();
    const int32_t sourceId = file.ReadInteger();
    const int32_t targetId = file.ReadInteger();
    file.ReadLn();
    ResolveVertices(stored, vertices, sourceId, targetId);
    stored.Start = ReadPointLine(file);
    stored.End = ReadPointLine(file);
    stored.Caption = file.ReadLine();
    stored.Position = ReadPointLine(file);
    stored.Bounds.Left = file.ReadInteger();
    stored.Bounds.Right = file.ReadInteger();
    stored.Bounds.Top = file.ReadInteger();
    stored.Bounds.Bottom = file.ReadInteger();
    file.ReadLn();
    stored.AnchorPoint = ReadPointLine(file);
    const int32_t count = file.ReadInteger();
    file.ReadLn();
    // Integers read as 0 at the end of a text file, so a count larger than the lines that
    // follow would otherwise make up points without end.
    for (int32_t i = 0; i < count; ++i) {
        if (file.Eof())
            throw EInOutError(KXMessages::ReadBeyondEndOfFile);
        stored.Bends.push_back(ReadPointLine(file));
    }
    return BuildEdge(stored);
}

void TKXCustomEdge::DrawSegments(TKXCanvas &canvas, int32_t scale, std::size_t first, std::size_t last)
{
    for (std::size_t i = first; i <= last && i + 1 < Handles.size(); ++i) {
        const TPoint a = ScalePoint(Handles[i]->Position, scale);
        const TPoint b = ScalePoint(Handles[i + 1]->Position, scale);
        canvas.MoveTo(a.X, a.Y);
        canvas.LineTo(b.X, b.Y);
    }
}

void TKXCustomEdge::Draw(TKXCanvas &canvas, int32_t scale, TKXDrawMode mode)
{
    SetObjectPen(canvas, pmCopy);
    DrawSegments(canvas, scale, 0, Handles.size() - 2);
    if (Selected && mode == dmScreen)
        DrawHandles(canvas, scale);
    Adjacent->Draw(canvas, scale, mode);
}

TRect TKXCustomEdge::PaintExtent(int32_t scale)
{
    TRect extent = Adjacent->PaintExtent(scale);
    for (const auto &handle : Handles)
        extent = UniteRects(extent, ScaledSquare(handle->Position.X, handle->Position.Y, scale, 4));
    return extent;
}

void TKXCustomEdge::DrawOutline(TKXCanvas &canvas, int32_t scale)
{
    SetObjectPen(canvas, pmNotXor);
    DrawSegments(canvas, scale, 0, Handles.size() - 2);
}

TKXObject *TKXCustomEdge::HitTest(TPoint p) { return HitTestAt(p, 100); }

TKXObject *TKXCustomEdge::HitTestAt(TPoint p, int32_t scale)
{
    TKXObject *answer = nullptr;
    for (std::size_t i = 0; i + 1 < Handles.size(); ++i)
        if (IsNear(SegmentDistance(p, Handles[i]->Position, Handles[i + 1]->Position)))
            answer = this;
    for (const auto &handle : Handles)
        if (TKXObject *hit = handle->HitTestAt(p, scale))
            answer = hit;
    if (TKXObject *hit = Adjacent->HitTestAt(p, scale))
        answer = hit;
    return answer;
}

void TKXCustomEdge::HitAreas(TKXHitAreas &areas)
{
    // A segment answers within 3 units of it (a rounded distance below 4).
    for (std::size_t i = 0; i + 1 < Handles.size(); ++i)
        areas.push_back({Handles[i]->Position, Handles[i + 1]->Position, 4, true});
    for (const auto &handle : Handles)
        handle->HitAreas(areas);
    Adjacent->HitAreas(areas);
}

void TKXCustomEdge::MoveBy(TPoint) {}

bool TKXCustomEdge::InRect(const TRect &) { return false; }

void TKXCustomEdge::WriteToStream(TValueWriter &writer)
{
    const TKXAdjacent &label = *Adjacent;
    writer.PutInteger(Id);
    writer.PutInteger(Source->Id);
    writer.PutInteger(Target->Id);
    writer.PutInteger(Handles.front()->Position.X);
    writer.PutInteger(Handles.front()->Position.Y);
    writer.PutInteger(Handles.back()->Position.X);
    writer.PutInteger(Handles.back()->Position.Y);
    writer.PutString(label.Caption);
    writer.PutInteger(label.Position.X);
    writer.PutInteger(label.Position.Y);
    writer.PutInteger(label.Bounds.Left);
    writer.PutInteger(label.Bounds.Right);
    writer.PutInteger(label.Bounds.Top);
    writer.PutInteger(label.Bounds.Bottom);
    writer.PutInteger(label.Anchor->Position.X);
    writer.PutInteger(label.Anchor->Position.Y);
    writer.PutInteger(static_cast<int32_t>(Handles.size() - 2));
    for (std::size_t i = 1; i + 1 < Handles.size(); ++i) {
        writer.PutInteger(Handles[i]->Position.X);
        writer.PutInteger(Handles[i]->Position.Y);
    }
}

void TKXCustomEdge::WriteToText(TKXTextFile &file)
{
    const TKXAdjacent &label = *Adjacent;
    const TPoint start = Handles.front()->Position;
    const TPoint end = Handles.back()->Position;
    file.WriteIntegers({Id});
    file.WriteIntegers({Source->Id, Target->Id});
    file.WriteIntegers({start.X, start.Y});
    file.WriteIntegers({end.X, end.Y});
    file.WriteLine(label.Caption);
    file.WriteIntegers({label.Position.X, label.Position.Y});
    file.WriteIntegers({label.Bounds.Left, label.Bounds.Right, label.Bounds.Top, label.Bounds.Bottom});
    file.WriteIntegers({label.Anchor->Position.X, label.Anchor->Position.Y});
    file.WriteIntegers({static_cast<int32_t>(Handles.size() - 2)});
    for (std::size_t i = 1; i + 1 < Handles.size(); ++i)
        file.WriteIntegers({Handles[i]->Position.X, Handles[i]->Position.Y});
}

void TKXCustomEdge::InsertBendPoint(TPoint p)
{
    // The number of segments is fixed when the call begins: a bend inserted on the way grows
    // the path, and its last segment is then not looked at.
    const std::size_t segments = Handles.size() - 1;
    TPoint q = p;
    for (std::size_t i = 0; i < segments; ++i) {
        const TPoint a = Handles[i]->Position;
        const TPoint b = Handles[i + 1]->Position;
        if (IsNear(SegmentDistance(q, a, b))) {
            q = ProjectOnLine(q, a, b);
            Handles.insert(Handles.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                           std::make_unique<TKXHandle>(this, q, hkBend));
            Changed();
        }
    }
}

void TKXCustomEdge::RemoveBendPoint(TKXHandle *handle)
{
    const int index = IndexOfHandle(handle);
    if (index <= 0 || index >= static_cast<int>(Handles.size()) - 1)
        return;
    Handles.erase(Handles.begin() + index);
    Changed();
}

void TKXCustomEdge::DrawBendOutline(TKXCanvas &canvas, TKXHandle *handle, int32_t scale)
{
    const int index = IndexOfHandle(handle);
    if (index < 0)
        return;
    SetObjectPen(canvas, pmNotXor);
    const int32_t count = static_cast<int32_t>(Handles.size());
    DrawSegments(canvas, scale, static_cast<std::size_t>(Max(index - 1, 0)),
                 static_cast<std::size_t>(Min(index, count - 2)));
}

void TKXCustomEdge::AdjustHandles()
{
    ClearBendPoints();
    const TPoint corner{Handles.front()->Position.X, Handles.back()->Position.Y};
    Handles.insert(Handles.begin() + 1, std::make_unique<TKXHandle>(this, corner, hkBend));
    Changed();
    CenterAnchor();
}

void TKXCustomEdge::CenterAnchor()
{
    Adjacent->Anchor->PlaceAt(Midpoint(Handles[0]->Position, Handles[1]->Position));
}

void TKXCustomEdge::ClearBendPoints()
{
    Handles.erase(Handles.begin() + 1, Handles.end() - 1);
    Changed();
    CenterAnchor();
}

void TKXCustomEdge::DrawHandles(TKXCanvas &canvas, int32_t scale)
{
    for (const auto &handle : Handles)
        handle->Draw(canvas, scale, dmScreen);
}

void TKXCustomEdge::MoveHandle(TKXHandle &handle, TPoint delta)
{
    TPoint moved;
    switch (handle.HandleKind) {
    case hkBend:
        break;
    case hkStart:
        if (!OffsetPoint(handle.Position, delta, moved) || !Source->ContainsPoint(moved))
            return;
        break;
    case hkEnd:
        if (!OffsetPoint(handle.Position, delta, moved) || !Target->ContainsPoint(moved))
            return;
        break;
    default:
        throw EInvalidCast(KXMessages::InvalidCast);
    }
    handle.Shift(delta);
    CenterAnchor();
}

void TKXCustomEdge::DrawHandleOutline(TKXCanvas &canvas, TKXHandle &handle, int32_t scale)
{
    DrawBendOutline(canvas, &handle, scale);
}

int TKXCustomEdge::IndexOfHandle(const TKXHandle *handle) const
{
    const auto it = std::find_if(Handles.begin(), Handles.end(), [handle](const auto &h) { return h.get() == handle; });
    return it == Handles.end() ? -1 : static_cast<int>(it - Handles.begin());
}

// ---------------------------------------------------------------------------------------------
// TKXAdjacent

const TKXObjectClass TKXAdjacent::ClassRecord{"TKXAdjacent", &TKXObject::ClassRecord, nullptr, nullptr};

TKXAdjacent::TKXAdjacent(TKXObject *owner, TPoint p) : Position(p), Bounds{p.X, p.Y, p.X, p.Y}
{
    Kind = okAdjacent;
    Links.push_back(owner);
    Anchor = std::make_unique<TKXHandle>(this, p, hkAnchor);
}

TKXAdjacent::~TKXAdjacent() = default;

TRect TKXAdjacent::PaintExtent(int32_t scale)
{
    if (Selected)
        return TKXObject::PaintExtent(scale);
    const TRect anchor = ScaledSquare(Anchor->Position.X, Anchor->Position.Y, scale, 0);
    if (Caption.empty())
        return anchor;
    // No glyph of the label font is wider than two of its pixel sizes or higher than one and a
    // half (the font size in pixels is 4/3 of its points, 10 points per 100 % of scale).
    const int64_t em = int64_t(scale) * 10 * 4 / 300 + 2;
    const int64_t reach = std::max<int64_t>(int64_t(Caption.size()) * em, 2 * em);
    return UniteRects(anchor, ScaledSquare(Position.X, Position.Y, scale, reach));
}

void TKXAdjacent::Draw(TKXCanvas &canvas, int32_t scale, TKXDrawMode mode)
{
    if (Caption.empty())
        return;
    // The bounds come from the font the canvas holds on entry, taken as logical units.
    const int32_t width = canvas.TextWidth(Caption);
    const int32_t height = canvas.TextHeight(Caption);
    const int32_t halfWidth = Round(width * 0.5L);
    const int32_t halfHeight = Round(height * 0.5L);
    const TRect bounds{Position.X - halfWidth, Position.Y - halfHeight, Position.X + halfWidth,
                       Position.Y + halfHeight};
    if (!(bounds == Bounds)) {
        Bounds = bounds;
        Changed();
    }

    SetObjectPen(canvas, pmCopy, psDot);
    canvas.Brush.Style = bsClear;
    TKXFont labelFont = canvas.Font;
    labelFont.Name = "Arial";
    labelFont.Size = Round(scale * 0.01L * 10);
    // Labels drawn one after the other find their own font already set: no second measuring.
    const bool measured = canvas.Font == labelFont;
    canvas.Font = labelFont;

    const TPoint centre = ScalePoint(Position, scale);
    const int32_t textWidth = measured ? width : canvas.TextWidth(Caption);
    const int32_t textHeight = measured ? height : canvas.TextHeight(Caption);
    canvas.TextOut(centre.X - Round(textWidth * 0.5L), centre.Y - Round(textHeight * 0.5L), Caption);

    const TPoint anchor = ScalePoint(Anchor->Position, scale);
    canvas.MoveTo(anchor.X, anchor.Y);
    canvas.LineTo(centre.X, centre.Y);

    // The frame shows whenever the label is selected; the anchor, like every handle, on the
    // screen only, never on paper.
    if (Selected) {
        canvas.Rectangle(ScaleValue(Bounds.Left, scale), ScaleValue(Bounds.Top, scale),
                         ScaleValue(Bounds.Right, scale), ScaleValue(Bounds.Bottom, scale));
        if (mode == dmScreen)
            Anchor->Draw(canvas, scale, mode);
    }
}

void TKXAdjacent::DrawOutline(TKXCanvas &canvas, int32_t scale)
{
    if (Caption.empty())
        return;
    SetObjectPen(canvas, pmNotXor);
    canvas.Rectangle(ScaleValue(Bounds.Left, scale), ScaleValue(Bounds.Top, scale), ScaleValue(Bounds.Right, scale),
                     ScaleValue(Bounds.Bottom, scale));
    const TPoint anchor = ScalePoint(Anchor->Position, scale);
    const TPoint centre = ScalePoint(Position, scale);
    canvas.MoveTo(anchor.X, anchor.Y);
    canvas.LineTo(centre.X, centre.Y);
}

TKXObject *TKXAdjacent::HitTest(TPoint p) { return HitTestAt(p, 100); }

TKXObject *TKXAdjacent::HitTestAt(TPoint p, int32_t scale)
{
    if (PointInRect(p, Bounds))
        return this;
    return Anchor->HitTestAt(p, scale);
}

void TKXAdjacent::HitAreas(TKXHitAreas &areas)
{
    areas.push_back({{Bounds.Left, Bounds.Top}, {Bounds.Right, Bounds.Bottom}});
    Anchor->HitAreas(areas);
}

void TKXAdjacent::MoveBy(TPoint delta)
{
    OffsetRect(Bounds, delta);
    OffsetPoint(Position, delta);
    Changed();
}

TPoint TKXAdjacent::SlideAnchor(TPoint c, TPoint delta)
{
    auto *edge = Links.empty() ? nullptr : dynamic_cast<TKXCustomEdge *>(Links[0]);
    if (!edge)
        throw EInvalidCast(KXMessages::InvalidCast);
    const TPoint foot = ProjectOnLine({c.X + delta.X, c.Y + delta.Y}, edge->Handles[0]->Position,
                                      edge->Handles[1]->Position);
    return PointDelta(c, foot);
}

void TKXAdjacent::MoveHandle(TKXHandle &handle, TPoint delta)
{
    if (handle.HandleKind != hkAnchor)
        throw EInvalidCast(KXMessages::InvalidCast);
    handle.Shift(SlideAnchor(handle.Position, delta));
}

void TKXAdjacent::DrawHandleOutline(TKXCanvas &canvas, TKXHandle &, int32_t scale)
{
    DrawOutline(canvas, scale);
}
