#include "KXGR/core/KXSpatialIndex.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

constexpr int64_t MinCoord = std::numeric_limits<int32_t>::min();
constexpr int64_t MaxCoord = std::numeric_limits<int32_t>::max();
// A rectangle over more cells than this is kept in the list every query looks at.
constexpr int64_t MaxCellsPerBox = 64;
// An object that would take more entries than this is filed once, by the rectangle around all
// its pieces, so neither a line across the plane nor a short record with far-flung bend points
// can fill memory.
constexpr int64_t MaxCellsPerObject = 1024;

struct TBox64 {
    int64_t Left, Top, Right, Bottom;
};

int32_t Clamp(int64_t v) { return static_cast<int32_t>(std::clamp(v, MinCoord, MaxCoord)); }

TRect ToRect(const TBox64 &b) { return {Clamp(b.Left), Clamp(b.Top), Clamp(b.Right), Clamp(b.Bottom)}; }

TBox64 Around(int64_t x1, int64_t y1, int64_t x2, int64_t y2, int64_t margin)
{
    return {std::min(x1, x2) - margin, std::min(y1, y2) - margin, std::max(x1, x2) + margin,
            std::max(y1, y2) + margin};
}

TBox64 BoxOf(const TKXHitArea &a) { return Around(a.A.X, a.A.Y, a.B.X, a.B.Y, std::abs(int64_t(a.Margin))); }

int64_t FloorDiv(int64_t v, int64_t d) { return v >= 0 ? v / d : -((-v + d - 1) / d); }

uint64_t CellKey(int64_t cx, int64_t cy)
{
    return (uint64_t(uint32_t(int32_t(cx))) << 32) | uint32_t(int32_t(cy));
}

bool Meet(const TRect &a, const TRect &b)
{
    return a.Left <= b.Right && b.Left <= a.Right && a.Top <= b.Bottom && b.Top <= a.Bottom;
}

}

TKXSpatialIndex::TKXSpatialIndex(int32_t cellSize) : FCellSize(std::max(cellSize, 1)) {}

void TKXSpatialIndex::Set(uint32_t key, const TKXHitAreas &areas)
{
    Retire(key);
    if (areas.empty())
        return;
    TBox64 all = BoxOf(areas.front());
    for (const TKXHitArea &a : areas) {
        const TBox64 b = BoxOf(a);
        all = {std::min(all.Left, b.Left), std::min(all.Top, b.Top), std::max(all.Right, b.Right),
               std::max(all.Bottom, b.Bottom)};
    }
    // A small object is filed once, by the rectangle around all its pieces.
    if (FloorDiv(all.Right, FCellSize) - FloorDiv(all.Left, FCellSize) <= 1 &&
        FloorDiv(all.Bottom, FCellSize) - FloorDiv(all.Top, FCellSize) <= 1) {
        File(ToRect(all), key);
        return;
    }
    // Pieces are gathered first: an object that would take more than MaxCellsPerObject
    // entries is filed by the rectangle around it instead.
    FPieces.clear();
    int64_t entries = 0;
    const auto take = [&](const TRect &piece) {
        FPieces.push_back(piece);
        entries += Entries(piece);
        return entries <= MaxCellsPerObject;
    };
    bool fits = true;
    for (auto a = areas.begin(); fits && a != areas.end(); ++a) {
        if (!a->Segment) {
            fits = take(ToRect(BoxOf(*a)));
            continue;
        }
        // A long segment is cut into pieces no longer than a cell, so a diagonal line is not
        // filed in every cell of its bounding rectangle.
        const int64_t dx = int64_t(a->B.X) - a->A.X;
        const int64_t dy = int64_t(a->B.Y) - a->A.Y;
        const int64_t pieces = std::max<int64_t>((std::max(std::abs(dx), std::abs(dy)) + FCellSize - 1) / FCellSize, 1);
        const int64_t margin = std::abs(int64_t(a->Margin));
        int64_t x0 = a->A.X;
        int64_t y0 = a->A.Y;
        for (int64_t i = 1; fits && i <= pieces; ++i) {
            const int64_t x1 = a->A.X + dx * i / pieces;
            const int64_t y1 = a->A.Y + dy * i / pieces;
            fits = take(ToRect(Around(x0, y0, x1, y1, margin)));
            x0 = x1;
            y0 = y1;
        }
    }
    if (!fits) {
        File(ToRect(all), key);
        return;
    }
    for (const TRect &piece : FPieces)
        File(piece, key);
}

void TKXSpatialIndex::Remove(uint32_t key) { Retire(key); }

int64_t TKXSpatialIndex::CellsOf(const TRect &box) const
{
    const int64_t across = FloorDiv(box.Right, FCellSize) - FloorDiv(box.Left, FCellSize) + 1;
    const int64_t down = FloorDiv(box.Bottom, FCellSize) - FloorDiv(box.Top, FCellSize) + 1;
    return across > MaxCellsPerBox || down > MaxCellsPerBox ? MaxCellsPerBox + 1 : across * down;
}

int64_t TKXSpatialIndex::Entries(const TRect &box) const
{
    const int64_t cells = CellsOf(box);
    return cells > MaxCellsPerBox ? 1 : cells;
}

void TKXSpatialIndex::File(const TRect &box, uint32_t key)
{
    const TEntry entry{box, key, FGeneration[key]};
    if (CellsOf(box) > MaxCellsPerBox) {
        FWide.push_back(entry);
        ++FFiled[key];
        ++FLive;
        return;
    }
    const int64_t cx0 = FloorDiv(box.Left, FCellSize);
    const int64_t cx1 = FloorDiv(box.Right, FCellSize);
    const int64_t cy0 = FloorDiv(box.Top, FCellSize);
    const int64_t cy1 = FloorDiv(box.Bottom, FCellSize);
    for (int64_t cx = cx0; cx <= cx1; ++cx)
        for (int64_t cy = cy0; cy <= cy1; ++cy) {
            std::vector<TEntry> &cell = FCells[CellKey(cx, cy)];
            // Before a cell grows, its stale entries make room.
            if (cell.size() == cell.capacity() && FStale > 0) {
                const auto stale = std::remove_if(cell.begin(), cell.end(), [this](const TEntry &e) { return !Current(e); });
                FStale -= std::min<std::size_t>(FStale, static_cast<std::size_t>(cell.end() - stale));
                cell.erase(stale, cell.end());
            }
            cell.push_back(entry);
            ++FFiled[key];
            ++FLive;
        }
}

void TKXSpatialIndex::Retire(uint32_t key)
{
    if (key >= FGeneration.size()) {
        FGeneration.resize(key + 1, 0);
        FFiled.resize(key + 1, 0);
    }
    FStale += FFiled[key];
    FLive -= FFiled[key];
    FFiled[key] = 0;
    ++FGeneration[key];
    if (FStale > FLive + 4096)
        Sweep();
}

void TKXSpatialIndex::Sweep()
{
    const auto stale = [this](const TEntry &e) { return !Current(e); };
    for (auto it = FCells.begin(); it != FCells.end();) {
        std::erase_if(it->second, stale);
        it = it->second.empty() ? FCells.erase(it) : std::next(it);
    }
    std::erase_if(FWide, stale);
    FStale = 0;
}

void TKXSpatialIndex::Query(const TRect &r, std::vector<uint32_t> &keys) const
{
    const auto take = [&](const std::vector<TEntry> &entries) {
        for (const TEntry &e : entries)
            if (Meet(e.Box, r) && Current(e))   // the box first: it lies in the entry
                keys.push_back(e.Key);
    };
    take(FWide);
    const int64_t cx0 = FloorDiv(r.Left, FCellSize);
    const int64_t cx1 = FloorDiv(r.Right, FCellSize);
    const int64_t cy0 = FloorDiv(r.Top, FCellSize);
    const int64_t cy1 = FloorDiv(r.Bottom, FCellSize);
    // A rectangle over more cells than are filled looks at the filled ones instead.
    if (static_cast<uint64_t>(cx1 - cx0 + 1) * static_cast<uint64_t>(cy1 - cy0 + 1) > FCells.size()) {
        for (const auto &[cellKey, entries] : FCells)
            take(entries);
        return;
    }
    for (int64_t cx = cx0; cx <= cx1; ++cx)
        for (int64_t cy = cy0; cy <= cy1; ++cy) {
            const auto it = FCells.find(CellKey(cx, cy));
            if (it != FCells.end())
                take(it->second);
        }
}

void TKXSpatialIndex::Clear()
{
    FCells.clear();
    FWide.clear();
    FGeneration.clear();
    FFiled.clear();
    FLive = 0;
    FStale = 0;
}
