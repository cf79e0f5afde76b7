#include "KXGR/core/KXVertex.h"

#include "KXGR/core/KXCanvas.h"
#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXStream.h"
#include "KXGR/core/KXTextFile.h"

#include <string>

namespace {
struct TStoredSides {
    int32_t Id;
    TRect Sides;
};

TStoredSides ReadSides(TValueReader &reader)
{
    TStoredSides stored{};
    stored.Id = reader.GetInteger();
    stored.Sides.Left = reader.GetInteger();
    stored.Sides.Top = reader.GetInteger();
    stored.Sides.Right = reader.GetInteger();
    stored.Sides.Bottom = reader.GetInteger();
    return stored;
}

TStoredSides ReadSides(TKXTextFile &file)
{
    TStoredSides stored{};
    stored.Id = file.ReadInteger();
    file.ReadLn();
    stored.Sides.Left = file.ReadInteger();
    stored.Sides.Top = file.ReadInteger();
    stored.Sides.Right = file.ReadInteger();
    stored.Sides.Bottom = file.ReadInteger();
    file.ReadLn();
    return stored;
}

std::unique_ptr<TKXObject> ReadCustomVertexFromStream(TValueReader &reader, TKXObjectList &vertices,
                                                      TKXObjectList &edges, TObject *data)
{
    return TKXCustomVertex::CreateFromStream(reader, vertices, edges, data);
}

std::unique_ptr<TKXObject> ReadCustomVertexFromText(TKXTextFile &file, TKXObjectList &vertices,
                                                    TKXObjectList &edges, TObject *data)
{
    return TKXCustomVertex::CreateFromText(file, vertices, edges, data);
}
}

const TKXVertexClass TKXCustomVertex::ClassRecord{
    {"TKXCustomVertex", &TKXObject::ClassRecord, &ReadCustomVertexFromStream, &ReadCustomVertexFromText},
    &TKXCustomVertex::CreateAt};

TKXCustomVertex::TKXCustomVertex(TPoint center)
    : TKXCustomVertex(TRect{center.X - 50, center.Y - 25, center.X + 50, center.Y + 25})
{
}

TKXCustomVertex::TKXCustomVertex(const TRect &sides)
    : Left(sides.Left), Top(sides.Top), Right(sides.Right), Bottom(sides.Bottom)
{
    Kind = okVertex;
    Handles.reserve(4);
    Handles.push_back(std::make_unique<TKXHandle>(this, TPoint{Left, Top}, hkTopLeft));
    Handles.push_back(std::make_unique<TKXHandle>(this, TPoint{Right, Top}, hkTopRight));
    Handles.push_back(std::make_unique<TKXHandle>(this, TPoint{Right, Bottom}, hkBottomRight));
    Handles.push_back(std::make_unique<TKXHandle>(this, TPoint{Left, Bottom}, hkBottomLeft));
}

// The edge-end handles in Links belong to edges, which the diagram box destroys first.
TKXCustomVertex::~TKXCustomVertex() = default;

std::unique_ptr<TKXCustomVertex> TKXCustomVertex::CreateAt(TPoint center)
{
    return std::make_unique<TKXCustomVertex>(center);
}

std::unique_ptr<TKXCustomVertex> TKXCustomVertex::CreateFromStream(TValueReader &reader, TKXObjectList &,
                                                                   TKXObjectList &, TObject *)
{
    const TStoredSides stored = ReadSides(reader);
    std::unique_ptr<TKXCustomVertex> vertex(new TKXCustomVertex(stored.Sides));
    vertex->Id = stored.Id;
    return vertex;
}

std::unique_ptr<TKXCustomVertex> TKXCustomVertex::CreateFromText(TKXTextFile &file, TKXObjectList &,
                                                                 TKXObjectList &, TObject *)
{
    const TStoredSides stored = ReadSides(file);
    std::unique_ptr<TKXCustomVertex> vertex(new TKXCustomVertex(stored.Sides));
    vertex->Id = stored.Id;
    return vertex;
}

void TKXCustomVertex::Draw(TKXCanvas &canvas, int32_t scale, TKXDrawMode mode)
{
    canvas.Pen.Color = clBlack;
    canvas.Pen.Mode = pmCopy;
    canvas.Pen.Style = psSolid;
    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = clWhite;
    canvas.Rectangle(ScaleValue(Left, scale), ScaleValue(Top, scale), ScaleValue(Right, scale),
                     ScaleValue(Bottom, scale));
    if (Selected && mode == dmScreen)
        DrawHandles(canvas, scale);
}

void TKXCustomVertex::DrawOutline(TKXCanvas &canvas, int32_t scale)
{
    canvas.Pen.Color = clBlack;
    canvas.Pen.Mode = pmNotXor;
    canvas.Pen.Style = psSolid;
    canvas.Brush.Style = bsClear;
    canvas.Brush.Color = clWhite;
    canvas.Rectangle(ScaleValue(Left, scale), ScaleValue(Top, scale), ScaleValue(Right, scale),
                     ScaleValue(Bottom, scale));
}

TKXObject *TKXCustomVertex::HitTest(TPoint p)
{
    TKXObject *answer = PointInRect(p, Sides()) ? this : nullptr;
    for (const auto &handle : Handles)
        if (TKXObject *hit = handle->HitTest(p))
            answer = hit;
    return answer;
}

void TKXCustomVertex::MoveBy(TPoint delta)
{
    Left += delta.X;
    Right += delta.X;
    Top += delta.Y;
    Bottom += delta.Y;
    for (TKXObject *link : Links)
        link->MoveBy(delta);
    AdjustHandles();
}

bool TKXCustomVertex::InRect(const TRect &r)
{
    return RectInRect(Sides(), r);
}

void TKXCustomVertex::WriteToStream(TValueWriter &writer)
{
    writer.PutInteger(Id);
    writer.PutInteger(Left);
    writer.PutInteger(Top);
    writer.PutInteger(Right);
    writer.PutInteger(Bottom);
}

void TKXCustomVertex::WriteToText(TKXTextFile &file)
{
    file.WriteIntegers({Id});
    file.WriteIntegers({Left, Top, Right, Bottom});
}

TPoint TKXCustomVertex::BorderPoint(TPoint p1, TPoint p2)
{
    const TPoint corners[5] = {{Left, Top}, {Right, Top}, {Right, Bottom}, {Left, Bottom}, {Left, Top}};
    // Products in 64 bits: coordinate differences beyond 46 340 would overflow 32 bits.
    const int64_t eX = int64_t(p2.X) - p1.X;
    const int64_t eY = int64_t(p2.Y) - p1.Y;
    TPoint answer = p1;
    for (int side = 0; side < 4; ++side) {
        const TPoint a = corners[side];
        const TPoint b = corners[side + 1];
        const int64_t dX = int64_t(b.X) - a.X;
        const int64_t dY = int64_t(b.Y) - a.Y;
        const int64_t den = dX * eY - dY * eX;
        if (den == 0)
            continue;
        const int64_t aX = int64_t(a.X) - p1.X;
        const int64_t aY = int64_t(a.Y) - p1.Y;
        const long double t = static_cast<long double>(aY * eX - aX * eY) / den;
        const long double u = static_cast<long double>(aY * dX - aX * dY) / den;
        if (t >= 0 && t <= 1 && u >= 0 && u <= 1)
            answer = {Round(a.X + dX * t), Round(a.Y + dY * t)};
    }
    return answer;
}

bool TKXCustomVertex::ContainsPoint(TPoint p)
{
    return PointInRect(p, Sides());
}

void TKXCustomVertex::DrawHandles(TKXCanvas &canvas, int32_t scale)
{
    for (const auto &handle : Handles)
        handle->Draw(canvas, scale, dmScreen);
}

void TKXCustomVertex::AdjustHandles()
{
    for (const auto &handle : Handles) {
        switch (handle->HandleKind) {
        case hkTopLeft: handle->PlaceAt({Left, Top}); break;
        case hkTopRight: handle->PlaceAt({Right, Top}); break;
        case hkBottomLeft: handle->PlaceAt({Left, Bottom}); break;
        case hkBottomRight: handle->PlaceAt({Right, Bottom}); break;
        default: break;
        }
    }
    for (TKXObject *link : Links) {
        auto *end = dynamic_cast<TKXHandle *>(link);
        if (!end)
            continue;
        if (end->Position.X < Left)
            end->PlaceAt({Left, end->Position.Y});
        if (end->Position.X > Right)
            end->PlaceAt({Right, end->Position.Y});
        if (end->Position.Y < Top)
            end->PlaceAt({end->Position.X, Top});
        if (end->Position.Y > Bottom)
            end->PlaceAt({end->Position.X, Bottom});
    }
}

void TKXCustomVertex::MoveHandle(TKXHandle &handle, TPoint delta)
{
    // Limits compared in 64 bits so that extreme coordinates cannot wrap past them.
    const int64_t left = int64_t(Left) + delta.X;
    const int64_t right = int64_t(Right) + delta.X;
    const int64_t top = int64_t(Top) + delta.Y;
    const int64_t bottom = int64_t(Bottom) + delta.Y;
    const bool leftOk = left < int64_t(Right) - 10;
    const bool rightOk = right > int64_t(Left) + 10;
    const bool topOk = top < int64_t(Bottom) - 10;
    const bool bottomOk = bottom > int64_t(Top) + 10;
    switch (handle.HandleKind) {
    case hkTopLeft:
        if (!leftOk || !topOk)
            return;
        Left += delta.X;
        Top += delta.Y;
        break;
    case hkTopRight:
        if (!rightOk || !topOk)
            return;
        Right += delta.X;
        Top += delta.Y;
        break;
    case hkBottomLeft:
        if (!leftOk || !bottomOk)
            return;
        Left += delta.X;
        Bottom += delta.Y;
        break;
    case hkBottomRight:
        if (!rightOk || !bottomOk)
            return;
        Right += delta.X;
        Bottom += delta.Y;
        break;
    default:
        throw EInvalidCast(KXMessages::InvalidCast);
    }
    AdjustHandles();
}

void TKXCustomVertex::DrawHandleOutline(TKXCanvas &canvas, TKXHandle &, int32_t scale)
{
    DrawOutline(canvas, scale);
}
