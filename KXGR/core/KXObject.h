#pragma once
// The abstract diagram object, the class records that stand in for class references and
// virtual constructors, and the owning object list of a diagram.

#include "KXGR/core/KXSpatialIndex.h"
#include "KXGR/core/KXTypes.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
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

// The identity number of a diagram object. It reads as an int32_t; a write is reported to the
// list that holds the object, so the list's look-up by id stays right whatever changes an id.
// It belongs to its object and cannot be copied on its own: take the number with
// `int32_t id = obj->Id`.
class TKXObjectId {
public:
    TKXObjectId(const TKXObjectId &) = delete;
    TKXObjectId &operator=(const TKXObjectId &other) { return *this = other.FValue; }
    TKXObjectId &operator=(int32_t value);
    operator int32_t() const { return FValue; }

private:
    friend class TKXObject;   // the only place an id lives
    TKXObjectId() = default;
    TKXObject &Owner();
    int32_t FValue = 0;
};

// The objects attached to an object, not owned: a list of pointers with room for one in
// place, since a handle or a label holds exactly its owner and most objects hold one link at
// most; only a vertex with several edge ends takes a heap block. It reads as a vector.
class TKXLinks {
public:
    using value_type = TKXObject *;
    using iterator = TKXObject **;
    using const_iterator = TKXObject *const *;
    using size_type = std::size_t;

    TKXLinks() = default;
    TKXLinks(const TKXLinks &) = delete;
    TKXLinks &operator=(const TKXLinks &) = delete;
    ~TKXLinks();

    std::size_t size() const { return FCount; }
    bool empty() const { return FCount == 0; }
    TKXObject **data() { return FCapacity == 1 ? &FOne : FMany; }
    TKXObject *const *data() const { return FCapacity == 1 ? &FOne : FMany; }
    TKXObject *&operator[](std::size_t i) { return data()[i]; }
    TKXObject *operator[](std::size_t i) const { return data()[i]; }
    TKXObject *&front() { return data()[0]; }
    TKXObject *&back() { return data()[FCount - 1]; }
    iterator begin() { return data(); }
    iterator end() { return data() + FCount; }
    const_iterator begin() const { return data(); }
    const_iterator end() const { return data() + FCount; }

    void push_back(TKXObject *object);
    void pop_back() { --FCount; }
    void clear() { FCount = 0; }
    // Removes [first, last) and answers the position after the removed ones.
    iterator erase(const_iterator first, const_iterator last);
    iterator erase(const_iterator position) { return erase(position, position + 1); }

    friend bool operator==(const TKXLinks &a, const TKXLinks &b) { return std::ranges::equal(a, b); }
    friend bool operator==(const TKXLinks &a, const std::vector<TKXObject *> &b) { return std::ranges::equal(a, b); }

private:
    union {
        TKXObject *FOne = nullptr;   // the one link while FCapacity is 1
        TKXObject **FMany;           // a heap block of FCapacity links
    };
    uint32_t FCount = 0;
    uint32_t FCapacity = 1;
};

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
    TKXLinks Links;
    bool Selected = false;
    TKXObjectKind Kind = okHandle;

private:
    // Kept by the list and the box that hold the object; placed here, in the room the two
    // flags above leave, as every handle and label carries them too.
    uint8_t FAreasDirty : 1 = false;   // waits to be filed again
    uint8_t FInSelection : 1 = false;  // a member of the box's Selection
    uint8_t FDeleteMark : 2 = 0;       // doomed or touched by the box's deletion
    uint32_t FSlot = 0;                // key of the object in the list's spatial index

public:
    TKXObjectId Id;

private:
    // Kept by the list: position among its items, holes included. Beside Id, so the two share
    // eight bytes.
    uint32_t FListIndex = 0;

public:

    // Tells the list that holds this object, or that holds the object this handle or label
    // belongs to, that its hit area may have changed. The objects' own operations call it; a
    // host that writes geometry fields directly calls it afterwards.
    void Changed();

    virtual void Draw(TKXCanvas &canvas, int32_t scale, TKXDrawMode mode);
    // Drag feedback in the not-xor pen mode: drawing it twice restores the picture.
    virtual void DrawOutline(TKXCanvas &canvas, int32_t scale);
    // The object itself, one of its handles, its adjacent, or nullptr.
    virtual TKXObject *HitTest(TPoint p);
    // HitTest for a view at scale (percent): a handle also answers anywhere on the 8-pixel
    // square it is drawn as, which at scales below 100 is larger than its hit square. Classes
    // that do not know scales answer HitTest.
    virtual TKXObject *HitTestAt(TPoint p, int32_t scale);
    // Appends the pieces of the plane where HitTestAt at scale 100 or above can answer
    // anything: the spatial index files the object under them. The base answers the whole
    // plane, so an object of a class that does not tell is always asked.
    virtual void HitAreas(TKXHitAreas &areas);
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

private:
    friend class TKXObjectList;
    friend class TKXObjectId;
    friend class TKXDiagramBox;
    TKXObjectList *FList = nullptr;    // the list that holds the object
};

// For WriteToText: a text stored as a line of its own must not hold a line break (CR or LF),
// which would end it early and shift every line after it. Raises EKXDiagramError naming the
// field and the object ("Line break in the caption of TKXCustomEdge Id 5").
void RequireSingleLine(const TKXObject &object, const std::string &field, const std::string &text);

// Helpers of PaintExtent, in 64 bits and saturating at the 32-bit limits: a square of
// +-margin pixels around p scaled (within a pixel of ScaleValue), and the smallest rectangle
// that holds both a and b.
TRect ScaledSquare(int64_t x, int64_t y, int32_t scale, int64_t margin);
TRect UniteRects(const TRect &a, const TRect &b);

// An ordered list that owns its objects (the diagram box's vertices and edges).
// FindById answers the last object with the id in list order, in amortised constant time, and
// stays right whatever changes an id. Extract takes an object out in constant time; the list
// closes the gaps at its next read. The list files its objects' hit areas in a spatial index
// that follows their changes (TKXObject::Changed) lazily, at the next query.
class TKXObjectList {
public:
    TKXObjectList() = default;
    TKXObjectList(const TKXObjectList &) = delete;
    TKXObjectList &operator=(const TKXObjectList &) = delete;
    ~TKXObjectList() { Clear(); }

    std::size_t Count() const { return Items().size(); }
    bool Empty() const { return Items().empty(); }
    TKXObject *operator[](std::size_t index) const { return Items()[index].get(); }
    TKXObject *Last() const { return Empty() ? nullptr : Items().back().get(); }

    TKXObject *Add(std::unique_ptr<TKXObject> object);
    // Makes room for count more objects, so that adding them moves no list.
    void Reserve(std::size_t count);
    // Takes the object out of the list and hands it back; nullptr when it is not in the list.
    std::unique_ptr<TKXObject> Extract(TKXObject *object);
    int IndexOf(const TKXObject *object) const;
    bool Contains(const TKXObject *object) const { return object && object->FList == this; }
    // Destroys the objects in list order.
    void Clear();
    TKXObject *FindById(int32_t id) const;

    // Appends to found the objects whose hit areas (TKXObject::HitAreas) meet r, each once,
    // in list order.
    void ObjectsIn(const TRect &r, std::vector<TKXObject *> &found) const;
    // Appends to found the objects whose PaintExtent(scale) meets r (device pixels), each once,
    // in list order. The extents are kept for the last scale asked and follow Changed();
    // ForgetExtents makes the next call ask every object again, for changes the objects do not
    // report (a style's items, a caption, a selection set by hand).
    void ObjectsPaintedIn(const TRect &r, int32_t scale, std::vector<TKXObject *> &found) const;
    void ForgetExtents() { FExtentScale = 0; }
    // Whether a comes before b in the list; both must be in it.
    static bool Before(const TKXObject *a, const TKXObject *b) { return a->FListIndex < b->FListIndex; }

    auto begin() const { return Items().begin(); }
    auto end() const { return Items().end(); }

private:
    friend class TKXObject;
    friend class TKXObjectId;

    struct TIdEntry {
        TKXObject *Last = nullptr;   // nullptr: several hold the id and the last is to be found
        uint32_t Count = 0;          // 0: a free place of the table
        int32_t Id = 0;
    };
    // Ids to entries in one array, open addressing with linear probing: no heap block per id.
    class TIdTable {
    public:
        TIdEntry *Find(int32_t id);
        TIdEntry &Get(int32_t id);   // adds an entry with Count 0 when the id has none
        void Erase(TIdEntry &entry);
        void Clear();
        // Makes room for count more ids, so that adding them moves no entry.
        void Reserve(std::size_t count);

    private:
        std::vector<TIdEntry> FEntries;   // a power of two long, or empty
        std::size_t FUsed = 0;
        std::size_t Home(int32_t id) const;
        // The first free place on id's probe sequence.
        TIdEntry &FreePlace(int32_t id);
        void Rehash(std::size_t size);
    };

    // Items with gaps (nullptr) where objects were extracted; Items() closes them.
    mutable std::vector<std::unique_ptr<TKXObject>> FItems;
    mutable std::size_t FGaps = 0;
    // Ids of the first FIndexed items (gaps included).
    mutable TIdTable FIdIndex;
    mutable std::size_t FIndexed = 0;

    mutable TKXSpatialIndex FAreas;
    mutable TKXSpatialIndex FExtents{256};         // paint extents at FExtentScale
    mutable int32_t FExtentScale = 0;              // 0: not filed
    // Per slot, the object (nullptr when free) and the query that last found it, side by side
    // as a query reads both.
    struct TSlot {
        TKXObject *Object = nullptr;
        uint32_t Seen = 0;
    };
    mutable std::vector<TSlot> FSlots;
    mutable std::vector<uint32_t> FFreeSlots;
    mutable std::vector<uint32_t> FDirtySlots;
    mutable uint32_t FQuery = 0;
    mutable std::vector<uint32_t> FKeys;
    mutable TKXHitAreas FScratch;

    const std::vector<std::unique_ptr<TKXObject>> &Items() const;
    void IndexIds() const;
    void Index(TKXObject &object) const;
    void Unindex(int32_t id, TKXObject &object) const;
    void IdChanged(TKXObject &object, int32_t oldId);
    void AreasChanged(TKXObject &object);
    void FileDirty() const;
    void FileExtent(TKXObject &object) const;
    void Collect(const TKXSpatialIndex &index, const TRect &r, std::vector<TKXObject *> &found) const;
};
