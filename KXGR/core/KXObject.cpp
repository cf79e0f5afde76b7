#include "KXGR/core/KXObject.h"

#include "KXGR/core/KXErrors.h"

#include <algorithm>
#include <limits>

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

TRect TKXObject::PaintExtent(int32_t)
{
    constexpr int32_t low = std::numeric_limits<int32_t>::min();
    constexpr int32_t high = std::numeric_limits<int32_t>::max();
    return {low, low, high, high};
}

namespace {
int32_t Saturate(int64_t v)
{
    return static_cast<int32_t>(
        std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}
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
    FItems.push_back(std::move(object));
    return FItems.back().get();
}

std::unique_ptr<TKXObject> TKXObjectList::Extract(TKXObject *object)
{
    const int index = IndexOf(object);
    if (index < 0)
        return nullptr;
    std::unique_ptr<TKXObject> taken = std::move(FItems[index]);
    FItems.erase(FItems.begin() + index);
    FIdIndex.clear();
    FIndexed = 0;
    return taken;
}

int TKXObjectList::IndexOf(const TKXObject *object) const
{
    const auto it = std::find_if(FItems.begin(), FItems.end(), [object](const auto &p) { return p.get() == object; });
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

void TKXObjectList::Clear()
{
    // Objects are destroyed one by one in list order while the list still holds the rest,
    // so a destructor may look at the objects that follow it.
    for (auto &item : FItems)
        item.reset();
    FItems.clear();
    FIdIndex.clear();
    FIndexed = 0;
}

void TKXObjectList::IndexAll() const
{
    for (; FIndexed < FItems.size(); ++FIndexed)
        FIdIndex[FItems[FIndexed]->Id] = FIndexed;
}

TKXObject *TKXObjectList::FindById(int32_t id) const
{
    // Ids are public fields and may change after an object was indexed: an entry is trusted
    // only when the object still carries the id and no later object was given it; otherwise
    // the index is rebuilt once.
    for (int attempt = 0; attempt < 2; ++attempt) {
        IndexAll();
        const auto it = FIdIndex.find(id);
        if (it != FIdIndex.end() && FItems[it->second]->Id == id)
            return FItems[it->second].get();
        if (attempt == 0) {
            FIdIndex.clear();
            FIndexed = 0;
        }
    }
    return nullptr;
}
