#pragma once
// The abstract diagram object, the class records that stand in for class references and
// virtual constructors, and the owning object list of a diagram.

#include "KXGR/core/KXTypes.h"

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class TKXCanvas;
class TKXHandle;
class TKXObject;
class TKXObjectList;
class TKXTextFile;
class TValueReader;
class TValueWriter;

enum TKXObjectKind : uint8_t { okHandle = 0, okVertex = 1, okEdge = 2, okAdjacent = 3 };

// Draw mode: 0 for the screen, 1 for a printer (no handles).
using TKXDrawMode = uint8_t;
constexpr TKXDrawMode dmScreen = 0;
constexpr TKXDrawMode dmPrinter = 1;

// One static record per diagram object class: its stored class name, its parent's record,
// and the two virtual constructors that read a stored record. Abstract classes have no readers.
struct TKXObjectClass {
    using StreamReaderFn = std::unique_ptr<TKXObject> (*)(TValueReader &reader, TKXObjectList &vertices,
                                                          TKXObjectList &edges, TObject *data);
    using TextReaderFn = std::unique_ptr<TKXObject> (*)(TKXTextFile &file, TKXObjectList &vertices,
                                                        TKXObjectList &edges, TObject *data);

    const char *ClassName;
    const TKXObjectClass *Parent;
    StreamReaderFn CreateFromStream;
    TextReaderFn CreateFromText;

    bool InheritsFrom(const TKXObjectClass &other) const;
};

// The two readers of a class record for a class T whose static CreateFromStream and
// CreateFromText answer a T.
template <typename T>
std::unique_ptr<TKXObject> ReadObjectFromStream(TValueReader &reader, TKXObjectList &vertices,
                                                TKXObjectList &edges, TObject *data)
{
    return T::CreateFromStream(reader, vertices, edges, data);
}

template <typename T>
std::unique_ptr<TKXObject> ReadObjectFromText(TKXTextFile &file, TKXObjectList &vertices, TKXObjectList &edges,
                                              TObject *data)
{
    return T::CreateFromText(file, vertices, edges, data);
}

// Base of vertices, edges, handles and adjacents. Every operation left abstract by a class
// raises EAbstractError when called. Coordinates are logical units unless stated otherwise.
class TKXObject : public TObject {
public:
    TKXObject() = default;
    TKXObject(const TKXObject &) = delete;
    TKXObject &operator=(const TKXObject &) = delete;
    ~TKXObject() override = default;

    static const TKXObjectClass ClassRecord;
    virtual const TKXObjectClass &ClassType() const { return ClassRecord; }

    // Attached objects, not owned: a handle's or adjacent's owner at 0, a vertex's edge ends.
    std::vector<TKXObject *> Links;
    bool Selected = false;
    TKXObjectKind Kind = okHandle;
    int32_t Id = 0;

    virtual void Draw(TKXCanvas &canvas, int32_t scale, TKXDrawMode mode);
    // Drag feedback in the not-xor pen mode: drawing it twice restores the picture.
    virtual void DrawOutline(TKXCanvas &canvas, int32_t scale);
    // The object itself, one of its handles, its adjacent, or nullptr.
    virtual TKXObject *HitTest(TPoint p);
    virtual void MoveBy(TPoint delta);
    virtual bool InRect(const TRect &r);
    virtual void WriteToStream(TValueWriter &writer);
    virtual void WriteToText(TKXTextFile &file);
    virtual TPoint BorderPoint(TPoint p1, TPoint p2);
    virtual bool ContainsPoint(TPoint p);
    virtual void InsertBendPoint(TPoint p);
    virtual void RemoveBendPoint(TKXHandle *handle);
    // A rectangle of device pixels (sides included) that holds everything Draw may paint at
    // scale on a canvas at the origin, handles and labels included; it may be larger. Painting
    // skips objects whose extent misses the view. The base answers the whole plane, so a class
    // that does not say is always drawn.
    virtual TRect PaintExtent(int32_t scale);
};

// Helpers of PaintExtent, in 64 bits and saturating at the 32-bit limits: a square of
// +-margin pixels around p scaled (within a pixel of ScaleValue), and the smallest rectangle
// that holds both a and b.
TRect ScaledSquare(int64_t x, int64_t y, int32_t scale, int64_t margin);
TRect UniteRects(const TRect &a, const TRect &b);

// An ordered list that owns its objects (the diagram box's vertices and edges).
// FindById answers the last object with the id in amortised constant time, so readers can
// resolve references without scanning the list per lookup.
class TKXObjectList {
public:
    TKXObjectList() = default;
    TKXObjectList(const TKXObjectList &) = delete;
    TKXObjectList &operator=(const TKXObjectList &) = delete;
    ~TKXObjectList() { Clear(); }

    std::size_t Count() const { return FItems.size(); }
    bool Empty() const { return FItems.empty(); }
    TKXObject *operator[](std::size_t index) const { return FItems[index].get(); }
    TKXObject *Last() const { return FItems.empty() ? nullptr : FItems.back().get(); }

    TKXObject *Add(std::unique_ptr<TKXObject> object);
    // Takes the object out of the list and hands it back; nullptr when it is not in the list.
    std::unique_ptr<TKXObject> Extract(TKXObject *object);
    int IndexOf(const TKXObject *object) const;
    // Destroys the objects in list order.
    void Clear();
    TKXObject *FindById(int32_t id) const;

    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

private:
    std::vector<std::unique_ptr<TKXObject>> FItems;
    // Index from id to position of the last object with that id among the first FIndexed items.
    mutable std::unordered_map<int32_t, std::size_t> FIdIndex;
    mutable std::size_t FIndexed = 0;
    void IndexAll() const;
};
