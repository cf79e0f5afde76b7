#include "KXGR/core/KXVertex.h"

#include "KXGR/core/KXCanvas.h"
#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXStream.h"
#include "KXGR/core/KXStyles.h"
#include "KXGR/core/KXTextFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
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


template <typename TItem>
void ApplyGrowth(TItem &item, int32_t width, int32_t height)
{
    if (GrowsHorizontally(item.Growth)) {
        item.X1 = 0;
        item.X2 = width;
    }
    if (GrowsVertically(item.Growth)) {
        item.Y1 = 0;
        item.Y2 = height;
    }
}

std::unique_ptr<TKXCustomVertex> CreateVertexAt(TPoint center)
{
    return TKXVertex::CreateAt(center);
}
}

const TKXVertexClass TKXCustomVertex::ClassRecord{
    {"TKXCustomVertex", &TKXObject::ClassRecord, &ReadObjectFromStream<TKXCustomVertex>,
     &ReadObjectFromText<TKXCustomVertex>},
    &TKXCustomVertex::CreateAt};

TKXCustomVertex::TKXCustomVertex(TPoint center)
    : TKXCustomVertex(TRect{Saturate(int64_t(center.X) - 50), Saturate(int64_t(center.Y) - 25),
                            Saturate(int64_t(center.X) + 50), Saturate(int64_t(center.Y) + 25)})
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
    SetObjectPen(canvas, pmCopy);
    canvas.Rectangle(ScaleValue(Left, scale), ScaleValue(Top, scale), ScaleValue(Right, scale),
                     ScaleValue(Bottom, scale));
    if (Selected && mode == dmScreen)
        DrawHandles(canvas, scale);
}

TRect TKXCustomVertex::PaintExtent(int32_t scale)
{
    // Handle squares reach 4 pixels around their points; the extent holds them whether shown
    // or not, so it does not change with the selection.
    TRect extent = UniteRects(ScaledSquare(Left, Top, scale, 4), ScaledSquare(Right, Bottom, scale, 4));
    for (const auto &handle : Handles)
        extent = UniteRects(extent, ScaledSquare(handle->Position.X, handle->Position.Y, scale, 4));
    return extent;
}

void TKXCustomVertex::DrawOutline(TKXCanvas &canvas, int32_t scale)
{
    SetObjectPen(canvas, pmNotXor, psSolid, bsClear);
    canvas.Rectangle(ScaleValue(Left, scale), ScaleValue(Top, scale), ScaleValue(Right, scale),
                     ScaleValue(Bottom, scale));
}

TKXObject *TKXCustomVertex::HitTest(TPoint p) { return HitTestAt(p, 100); }

TKXObject *TKXCustomVertex::HitTestAt(TPoint p, int32_t scale)
{
    TKXObject *answer = PointInRect(p, Sides()) ? this : nullptr;
    for (const auto &handle : Handles)
        if (TKXObject *hit = handle->HitTestAt(p, scale))
            answer = hit;
    return answer;
}

void TKXCustomVertex::HitAreas(TKXHitAreas &areas)
{
    // One rectangle around the sides and the handle squares: the corner squares stick out by
    // a few units only, and one entry per cell instead of five keeps the index small.
    TRect box = NormalizeRect(Sides());
    for (const auto &handle : Handles)
        box = UniteRects(box, handle->Bounds);
    areas.push_back({{box.Left, box.Top}, {box.Right, box.Bottom}});
}

void TKXCustomVertex::MoveBy(TPoint delta)
{
    // A move past the 32-bit limits stops there.
    Left = Saturate(int64_t(Left) + delta.X);
    Right = Saturate(int64_t(Right) + delta.X);
    Top = Saturate(int64_t(Top) + delta.Y);
    Bottom = Saturate(int64_t(Bottom) + delta.Y);
    for (TKXObject *link : Links)
        link->MoveBy(delta);
    AdjustHandles();
    Changed();
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
    // Differences reach 2^32 and their products 2^64, beyond 64-bit integers: long double
    // cannot overflow here.
    using TWide = long double;
    const TWide eX = TWide(p2.X) - p1.X;
    const TWide eY = TWide(p2.Y) - p1.Y;
    TPoint answer = p1;
    for (int side = 0; side < 4; ++side) {
        const TPoint a = corners[side];
        const TPoint b = corners[side + 1];
        const TWide dX = TWide(b.X) - a.X;
        const TWide dY = TWide(b.Y) - a.Y;
        const TWide den = dX * eY - dY * eX;
        if (den == 0)
            continue;
        const TWide aX = TWide(a.X) - p1.X;
        const TWide aY = TWide(a.Y) - p1.Y;
        const TWide t = (aY * eX - aX * eY) / den;
        const TWide u = (aY * dX - aX * dY) / den;
        if (t >= 0 && t <= 1 && u >= 0 && u <= 1)
            answer = {RoundSaturated(a.X + dX * t), RoundSaturated(a.Y + dY * t)};
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
    Changed();
}

void TKXCustomVertex::DrawHandleOutline(TKXCanvas &canvas, TKXHandle &, int32_t scale)
{
    DrawOutline(canvas, scale);
}

const TKXVertexClass TKXVertex::ClassRecord{
    {"TKXVertex", &TKXCustomVertex::ClassRecord, &ReadObjectFromStream<TKXVertex>, &ReadObjectFromText<TKXVertex>},
    &CreateVertexAt};

TKXVertex::TKXVertex(TPoint center, TKXUOLibrary *library, const std::string &styleName)
    : TKXCustomVertex(center), Style(std::make_unique<TKXVertexStyle>())
{
    TakeStyle(library, styleName);
}

TKXVertex::TKXVertex(const TRect &sides, TKXUOLibrary *library, const std::string &styleName)
    : TKXCustomVertex(sides), Style(std::make_unique<TKXVertexStyle>())
{
    TakeStyle(library, styleName);
}

TKXVertex::~TKXVertex() = default;

void TKXVertex::TakeStyle(TKXUOLibrary *library, const std::string &styleName)
{
    const TKXVertexStyle *source = styleName.empty() || !library ? nullptr : library->FindStyle(styleName);
    if (!source)
        return;
    Style->AssignStyle(*source);
    AdjustHandles();
}

std::unique_ptr<TKXVertex> TKXVertex::CreateWithStyle(TPoint center, TKXUOLibrary *library,
                                                      const std::string &styleName)
{
    return std::make_unique<TKXVertex>(center, library, styleName);
}

std::unique_ptr<TKXVertex> TKXVertex::CreateAt(TPoint center)
{
    return std::make_unique<TKXVertex>(center, nullptr, std::string());
}

std::unique_ptr<TKXVertex> TKXVertex::FromRecord(int32_t id, const TRect &sides, const std::string &styleName,
                                                 TObject *data)
{
    std::unique_ptr<TKXVertex> vertex(new TKXVertex(sides, dynamic_cast<TKXUOLibrary *>(data), styleName));
    vertex->Id = id;
    return vertex;
}

TKXVertex::TStoredVertex TKXVertex::ReadRecord(TValueReader &reader)
{
    const TStoredSides stored = ReadSides(reader);
    return {stored.Id, stored.Sides, reader.GetString()};
}

TKXVertex::TStoredVertex TKXVertex::ReadRecord(TKXTextFile &file)
{
    const TStoredSides stored = ReadSides(file);
    return {stored.Id, stored.Sides, file.ReadLine()};
}

std::unique_ptr<TKXVertex> TKXVertex::CreateFromStream(TValueReader &reader, TKXObjectList &, TKXObjectList &,
                                                       TObject *data)
{
    const TStoredVertex stored = ReadRecord(reader);
    return FromRecord(stored.Id, stored.Sides, stored.StyleName, data);
}

std::unique_ptr<TKXVertex> TKXVertex::CreateFromText(TKXTextFile &file, TKXObjectList &, TKXObjectList &,
                                                     TObject *data)
{
    const TStoredVertex stored = ReadRecord(file);
    return FromRecord(stored.Id, stored.Sides, stored.StyleName, data);
}

void TKXVertex::WriteToStream(TValueWriter &writer)
{
    TKXCustomVertex::WriteToStream(writer);
    writer.PutString(Style ? Style->Name : std::string());
}

void TKXVertex::WriteToText(TKXTextFile &file)
{
    const std::string styleName = Style ? Style->Name : std::string();
    RequireSingleLine(*this, "style name", styleName);
    TKXCustomVertex::WriteToText(file);
    file.WriteLine(styleName);
}

void TKXVertex::AdjustHandles()
{
    TKXCustomVertex::AdjustHandles();
    if (!Style)
        return;
    const int32_t width = Saturate(int64_t(Right) - Left);
    const int32_t height = Saturate(int64_t(Bottom) - Top);
    for (const auto &item : Style->DrawItems)
        ApplyGrowth(*item, width, height);
    for (const auto &item : Style->TextItems)
        ApplyGrowth(*item, width, height);
}

TRect TKXVertex::PaintExtent(int32_t scale)
{
    TRect extent = TKXCustomVertex::PaintExtent(scale);
    if (!Style)
        return extent;
    // The items' box in diagram units, scaled once: painting asks every vertex for it.
    int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;
    int64_t pen = 0;
    const auto add = [&](const auto &item) {
        for (const int64_t x : {Saturate(Left + int64_t(item.X1)), Saturate(Left + int64_t(item.X2))})
            left = std::min(left, x), right = std::max(right, x);
        for (const int64_t y : {Saturate(Top + int64_t(item.Y1)), Saturate(Top + int64_t(item.Y2))})
            top = std::min(top, y), bottom = std::max(bottom, y);
    };
    // A wide pen reaches half its width past the item's box, its round line ends as far; text
    // is clipped to its item's rectangle.
    for (const auto &item : Style->DrawItems) {
        add(*item);
        pen = std::max(pen, std::abs(int64_t(item->PenWidth)));
    }
    for (const auto &item : Style->TextItems)
        add(*item);
    if (left > right)
        return extent;
    return UniteRects(extent, UniteRects(ScaledSquare(left, top, scale, pen), ScaledSquare(right, bottom, scale, pen)));
}

void TKXVertex::Draw(TKXCanvas &canvas, int32_t scale, TKXDrawMode mode)
{
    if (!Style)
        return;
    const auto sx = [&](int64_t v) { return ScaleValue(Saturate(Left + v), scale); };
    const auto sy = [&](int64_t v) { return ScaleValue(Saturate(Top + v), scale); };
    const TKXPen savedPen = canvas.Pen;
    const TKXBrush savedBrush = canvas.Brush;

    for (const auto &item : Style->DrawItems) {
        canvas.Pen.Color = item->PenColor;
        canvas.Pen.Style = item->PenStyle;
        canvas.Pen.Width = item->PenWidth;
        canvas.Brush.Color = item->BrushColor;
        canvas.Brush.Style = item->BrushStyle;
        const int32_t x1 = sx(item->X1);
        const int32_t y1 = sy(item->Y1);
        const int32_t x2 = sx(item->X2);
        const int32_t y2 = sy(item->Y2);
        switch (item->Shape) {
        case isRectangle:
            canvas.Rectangle(x1, y1, x2, y2);
            break;
        case isEllipse:
            canvas.Ellipse(x1, y1, x2, y2);
            break;
        case isRoundRect: {
            // Both corner sizes follow the item's width.
            const int32_t k = ScaleValue(Round((static_cast<long double>(item->X2) - item->X1) / 3), scale);
            canvas.RoundRect(x1, y1, x2, y2, k, k);
            break;
        }
        case isLine:
            canvas.MoveTo(x1, y1);
            canvas.LineTo(x2, y2);
            break;
        default:
            break;
        }
    }

    for (const auto &item : Style->TextItems) {
        canvas.Font.Name = item->FontName.substr(0, 255);
        canvas.Font.Size = RoundSaturated(static_cast<long double>(int64_t(item->FontSize) * scale) / 100);
        canvas.Font.Color = item->FontColor;
        canvas.Font.Style = item->FontStyle;
        canvas.Brush.Color = item->BackColor;
        canvas.Brush.Style = item->BackStyle;
        // Without a data event the item shows the text it holds.
        if (Style->OnGetData)
            item->Text = Style->OnGetData(Id, item->Name, DataObject);
        // The width is in device pixels. A centred text is placed around the scaled middle
        // of its item, so it stays centred at every scale; for the other alignments the width
        // enters the logical start as it is (at scale 100 the two units agree).
        const int64_t w = canvas.TextWidth(item->Text);
        int32_t x;
        if (item->Alignment == txCenter) {
            const int64_t middle =
                item->X1 + int64_t(RoundSaturated((static_cast<long double>(item->X2) - item->X1) * 0.5L));
            x = Saturate(int64_t(sx(middle)) - Round(w * 0.5L));
        } else if (item->Alignment == txRight) {
            x = sx(item->X2 - w);
        } else {
            x = sx(int64_t(item->X1) + 1);
        }
        const TRect clip{sx(item->X1), sy(item->Y1), sx(item->X2), sy(item->Y2)};
        canvas.TextRect(clip, x, sy(int64_t(item->Y1) + 1), item->Text);
    }

    canvas.Pen.Color = savedPen.Color;
    canvas.Pen.Style = savedPen.Style;
    canvas.Pen.Width = savedPen.Width;
    canvas.Brush = savedBrush;

    if (Selected && mode == dmScreen)
        DrawHandles(canvas, scale);
}
