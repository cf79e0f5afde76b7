#include "KXGR/core/KXObject.h"

#include "KXGR/core/KXErrors.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <stdexcept>

bool TKXObjectClass::InheritsFrom(const TKXObjectClass &other) const
{
    for (const TKXObjectClass *c = this; c; c = c->Parent)
        if (c == &other)
            return true;
    return false;
}

const TKXObjectClass TKXObject::ClassRecord{"TKXObject", nullptr, nullptr, nullptr};

namespace {
[[noreturn]] void Abstract() { throw EAbstractError(KXMessages::AbstractError); }
}

void TKXObject::Draw(TKXCanvas &, int32_t, TKXDrawMode) { Abstract(); }
void TKXObject::DrawOutline(TKXCanvas &, int32_t) { Abstract(); }
TKXObject *TKXObject::HitTest(TPoint) { Abstract(); }
void TKXObject::MoveBy(TPoint) { Abstract(); }
bool TKXObject::InRect(const TRect &) { Abstract(); }
void TKXObject::WriteToStream(TValueWriter &) { Abstract(); }
void TKXObject::WriteToText(TKXTextFile &) { Abstract(); }
TPoint TKXObject::BorderPoint(TPoint, TPoint) { Abstract(); }
bool TKXObject::ContainsPoint(TPoint) { Abstract(); }
void TKXObject::InsertBendPoint(TPoint) { Abstract(); }
void TKXObject::RemoveBendPoint(TKXHandle *) { Abstract(); }

TKXLinks::~TKXLinks()
{
    if (FCapacity > 1)
        delete[] FMany;
}

void TKXLinks::push_back(TKXObject *object)
{
    if (FCount == FCapacity) {
        if (FCapacity > std::numeric_limits<uint32_t>::max() / 2)
            throw std::length_error("too many links");
        const uint32_t capacity = FCapacity * 2;   // a vertex between two edges takes 16 bytes
        auto *many = new TKXObject *[capacity];
        std::copy(begin(), end(), many);
        if (FCapacity > 1)
            delete[] FMany;
        FMany = many;
        FCapacity = capacity;
    }
    data()[FCount++] = object;
}

TKXLinks::iterator TKXLinks::erase(const_iterator first, const_iterator last)
{
    TKXObject **at = begin() + (first - begin());
    TKXObject **rest = begin() + (last - begin());
    std::copy(rest, end(), at);
    FCount -= static_cast<uint32_t>(rest - at);
    return at;
}

TKXObject &TKXObjectId::Owner()
{
    // An id exists only as the Id field of an object, at the same place in every object, so
    // the object is found from the field's address instead of a pointer in every object,
    // handle and label. (No virtual bases, so the offset is fixed.)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
    constexpr std::size_t offset = offsetof(TKXObject, Id);
#pragma GCC diagnostic pop
    return *reinterpret_cast<TKXObject *>(reinterpret_cast<char *>(this) - offset);
}

TKXObjectId &TKXObjectId::operator=(int32_t value)
{
    const int32_t old = FValue;
    FValue = value;
    if (old != value)
        if (TKXObject &owner = Owner(); owner.FList)
            owner.FList->IdChanged(owner, old);
    return *this;
}

TKXObject *TKXObject::HitTestAt(TPoint p, int32_t) { return HitTest(p); }

void TKXObject::HitAreas(TKXHitAreas &areas)
{
    constexpr int32_t lo = std::numeric_limits<int32_t>::min();
    constexpr int32_t hi = std::numeric_limits<int32_t>::max();
    areas.push_back({{lo, lo}, {hi, hi}});
}

void TKXObject::Changed()
{
    // Handles and labels pass the change on to their owner; the depth limit guards against
    // owners that form a ring.
    TKXObject *obj = this;
    for (int depth = 0; depth < 4 && (obj->Kind == okHandle || obj->Kind == okAdjacent) && !obj->Links.empty() &&
                        obj->Links[0];
         ++depth)
        obj = obj->Links[0];
    if (obj->FList)
        obj->FList->AreasChanged(*obj);
}

void RequireSingleLine(const TKXObject &object, const std::string &field, const std::string &text)
{
    if (text.find_first_of("\r\n") == std::string::npos)
        return;
    throw EKXDiagramError(KXMessages::Format(KXMessages::LineBreakIn, field) + " of "
                          + object.ClassType().ClassName + " Id " + std::to_string(int32_t(object.Id)));
}

TRect TKXObject::PaintExtent(int32_t)
{
    constexpr int32_t low = std::numeric_limits<int32_t>::min();
    constexpr int32_t high = std::numeric_limits<int32_t>::max();
    return {low, low, high, high};
}

// Integer scaling instead of ScaleValue's extended-precision rounding: painting asks every
// object for its extent, and one pixel more margin covers the difference.
TRect ScaledSquare(int64_t x, int64_t y, int32_t scale, int64_t margin)
{
    const int64_t sx = x * scale / 100;
    const int64_t sy = y * scale / 100;
    margin += 1;
    return {Saturate(sx - margin), Saturate(sy - margin), Saturate(sx + margin), Saturate(sy + margin)};
}

TRect UniteRects(const TRect &a, const TRect &b)
{
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)};
}

TKXObject *TKXObjectList::Add(std::unique_ptr<TKXObject> object)
{
    if (FItems.size() >= std::numeric_limits<uint32_t>::max())
        throw std::length_error("too many objects in one list");
    TKXObject *obj = object.get();
    obj->FList = this;
    obj->FListIndex = static_cast<uint32_t>(FItems.size());
    if (FFreeSlots.empty()) {
        obj->FSlot = static_cast<uint32_t>(FSlots.size());
        FSlots.push_back({obj});
    } else {
        obj->FSlot = FFreeSlots.back();
        FFreeSlots.pop_back();
        FSlots[obj->FSlot].Object = obj;
    }
    obj->FAreasDirty = false;
    FItems.push_back(std::move(object));
    AreasChanged(*obj);
    return obj;
}

void TKXObjectList::Reserve(std::size_t count)
{
    FItems.reserve(FItems.size() + count);
    FSlots.reserve(FSlots.size() + count);
}

std::unique_ptr<TKXObject> TKXObjectList::Extract(TKXObject *object)
{
    if (!Contains(object))
        return nullptr;
    const std::size_t index = object->FListIndex;
    if (index < FIndexed)
        Unindex(object->Id, *object);
    FAreas.Remove(object->FSlot);
    FExtents.Remove(object->FSlot);
    FSlots[object->FSlot].Object = nullptr;
    FFreeSlots.push_back(object->FSlot);
    object->FList = nullptr;
    object->FAreasDirty = false;
    ++FGaps;
    return std::move(FItems[index]);
}

const std::vector<std::unique_ptr<TKXObject>> &TKXObjectList::Items() const
{
    if (FGaps == 0)
        return FItems;
    std::size_t kept = 0;
    std::size_t indexed = 0;
    for (std::size_t i = 0; i < FItems.size(); ++i) {
        if (i == FIndexed)
            indexed = kept;
        if (!FItems[i])
            continue;
        FItems[i]->FListIndex = static_cast<uint32_t>(kept);
        if (kept != i)
            FItems[kept] = std::move(FItems[i]);
        ++kept;
    }
    if (FIndexed >= FItems.size())
        indexed = kept;
    FItems.resize(kept);
    FIndexed = indexed;
    FGaps = 0;
    return FItems;
}

int TKXObjectList::IndexOf(const TKXObject *object) const
{
    if (!Contains(object))
        return -1;
    Items();
    return static_cast<int>(object->FListIndex);
}

void TKXObjectList::Clear()
{
    // Objects are destroyed one by one in list order while the list still holds the rest,
    // so a destructor may look at the objects that follow it.
    for (auto &item : FItems)
        if (item) {
            item->FList = nullptr;
            item.reset();
        }
    FItems.clear();
    FGaps = 0;
    FIdIndex.Clear();
    FIndexed = 0;
    FAreas.Clear();
    FExtents.Clear();
    FExtentScale = 0;
    FSlots.clear();
    FFreeSlots.clear();
    FDirtySlots.clear();
}

std::size_t TKXObjectList::TIdTable::Home(int32_t id) const
{
    // Fibonacci hashing: consecutive ids, the usual case, spread over the table.
    return static_cast<std::size_t>((uint64_t(uint32_t(id)) * 0x9E3779B97F4A7C15ull) >> 32) & (FEntries.size() - 1);
}

TKXObjectList::TIdEntry *TKXObjectList::TIdTable::Find(int32_t id)
{
    if (FEntries.empty())
        return nullptr;
    const std::size_t mask = FEntries.size() - 1;
    for (std::size_t i = Home(id);; i = (i + 1) & mask) {
        TIdEntry &e = FEntries[i];
        if (e.Count == 0)
            return nullptr;
        if (e.Id == id)
            return &e;
    }
}

TKXObjectList::TIdEntry &TKXObjectList::TIdTable::Get(int32_t id)
{
    if (TIdEntry *e = Find(id))
        return *e;
    Reserve(1);
    ++FUsed;
    TIdEntry &entry = FreePlace(id);
    entry = {nullptr, 0, id};
    return entry;
}

TKXObjectList::TIdEntry &TKXObjectList::TIdTable::FreePlace(int32_t id)
{
    const std::size_t mask = FEntries.size() - 1;
    std::size_t i = Home(id);
    while (FEntries[i].Count != 0)
        i = (i + 1) & mask;
    return FEntries[i];
}

void TKXObjectList::TIdTable::Erase(TIdEntry &entry)
{
    // Backward shift: entries after the freed place that may sit there move up, so probes
    // never stop early and no tombstones pile up.
    const std::size_t mask = FEntries.size() - 1;
    std::size_t hole = static_cast<std::size_t>(&entry - FEntries.data());
    FEntries[hole].Count = 0;
    --FUsed;
    for (std::size_t i = (hole + 1) & mask; FEntries[i].Count != 0; i = (i + 1) & mask) {
        const std::size_t home = Home(FEntries[i].Id);
        // Whether home lies cyclically outside (hole, i]: then the entry may fill the hole.
        if (((i - home) & mask) >= ((i - hole) & mask)) {
            FEntries[hole] = FEntries[i];
            FEntries[i].Count = 0;
            hole = i;
        }
    }
}

void TKXObjectList::TIdTable::Clear()
{
    FEntries.clear();
    FEntries.shrink_to_fit();
    FUsed = 0;
}

void TKXObjectList::TIdTable::Reserve(std::size_t count)
{
    if (count == 0)
        return;
    // At most three quarters full, so probes stay short.
    std::size_t size = std::max<std::size_t>(FEntries.size(), 16);
    while ((FUsed + count) * 4 > size * 3)
        size *= 2;
    if (size != FEntries.size())
        Rehash(size);
}

void TKXObjectList::TIdTable::Rehash(std::size_t size)
{
    std::vector<TIdEntry> old = std::move(FEntries);
    FEntries.assign(size, TIdEntry{});
    for (const TIdEntry &e : old)
        if (e.Count != 0)
            FreePlace(e.Id) = e;
}

void TKXObjectList::Index(TKXObject &object) const
{
    TIdEntry &entry = FIdIndex.Get(object.Id);
    // Items are indexed front to back, so a newly indexed item comes after all others with its
    // id; an item whose id changed replaces the last only when it lies further back.
    if (entry.Count == 0 || (entry.Last && Before(entry.Last, &object)))
        entry.Last = &object;
    ++entry.Count;
}

void TKXObjectList::Unindex(int32_t id, TKXObject &object) const
{
    TIdEntry *entry = FIdIndex.Find(id);
    if (!entry)
        return;
    if (--entry->Count == 0)
        FIdIndex.Erase(*entry);
    else if (entry->Last == &object)
        entry->Last = nullptr;
}

void TKXObjectList::IndexIds() const
{
    FIdIndex.Reserve(FItems.size() - FIndexed);
    for (; FIndexed < FItems.size(); ++FIndexed)
        if (FItems[FIndexed])
            Index(*FItems[FIndexed]);
}

void TKXObjectList::IdChanged(TKXObject &object, int32_t oldId)
{
    if (object.FListIndex >= FIndexed)
        return;
    Unindex(oldId, object);
    Index(object);
}

TKXObject *TKXObjectList::FindById(int32_t id) const
{
    IndexIds();
    TIdEntry *found = FIdIndex.Find(id);
    if (!found)
        return nullptr;
    TIdEntry &entry = *found;
    if (!entry.Last) {
        // The last holder of a shared id left or changed its id: look for the one now last.
        for (std::size_t i = FIndexed; i-- > 0;)
            if (FItems[i] && FItems[i]->Id == id) {
                entry.Last = FItems[i].get();
                break;
            }
    }
    return entry.Last;
}

void TKXObjectList::AreasChanged(TKXObject &object)
{
    if (object.FAreasDirty)
        return;
    object.FAreasDirty = true;
    FDirtySlots.push_back(object.FSlot);
}

void TKXObjectList::FileDirty() const
{
    for (const uint32_t slot : FDirtySlots) {
        TKXObject *obj = FSlots[slot].Object;
        // A slot freed and given to another object since stays listed once per change.
        if (!obj || !obj->FAreasDirty)
            continue;
        obj->FAreasDirty = false;
        FScratch.clear();
        obj->HitAreas(FScratch);
        FAreas.Set(slot, FScratch);
        if (FExtentScale != 0)
            FileExtent(*obj);
    }
    FDirtySlots.clear();
}

void TKXObjectList::FileExtent(TKXObject &object) const
{
    const TRect e = object.PaintExtent(FExtentScale);
    FScratch.assign(1, TKXHitArea{{e.Left, e.Top}, {e.Right, e.Bottom}});
    FExtents.Set(object.FSlot, FScratch);
}

void TKXObjectList::ObjectsPaintedIn(const TRect &r, int32_t scale, std::vector<TKXObject *> &found) const
{
    FileDirty();
    if (scale != FExtentScale) {
        FExtents.Clear();
        FExtentScale = scale;
        for (const TSlot &slot : FSlots)
            if (slot.Object)
                FileExtent(*slot.Object);
    }
    Collect(FExtents, r, found);
}

void TKXObjectList::ObjectsIn(const TRect &r, std::vector<TKXObject *> &found) const
{
    FileDirty();
    Collect(FAreas, r, found);
}

void TKXObjectList::Collect(const TKXSpatialIndex &index, const TRect &r, std::vector<TKXObject *> &found) const
{
    FKeys.clear();
    index.Query(r, FKeys);
    if (++FQuery == 0) {
        for (TSlot &slot : FSlots)
            slot.Seen = 0;
        FQuery = 1;
    }
    const std::size_t first = found.size();
    for (const uint32_t key : FKeys)
        if (TSlot &slot = FSlots[key]; slot.Seen != FQuery && slot.Object) {
            slot.Seen = FQuery;
            found.push_back(slot.Object);
        }
    std::sort(found.begin() + static_cast<std::ptrdiff_t>(first), found.end(), Before);
}
