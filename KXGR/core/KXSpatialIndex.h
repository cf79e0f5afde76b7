#pragma once
// A uniform grid over the plane that finds, for a point or a rectangle, the keys whose hit
// areas may lie there. Cells are hashed, so the grid covers the whole 32-bit plane and costs
// memory only where something is filed. Keys are small integers chosen by the caller.

#include "KXGR/core/KXTypes.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

// One piece of an object's hit area in logical units: the closed rectangle spanned by A and
// B (in any corner order) grown by Margin on every side, or, for a segment, the points
// within Margin of the segment from A to B.
struct TKXHitArea {
    TPoint A;
    TPoint B;
    int32_t Margin = 0;
    bool Segment = false;
};

using TKXHitAreas = std::vector<TKXHitArea>;

class TKXSpatialIndex {
public:
    // cellSize in logical units, at least 1.
    explicit TKXSpatialIndex(int32_t cellSize = 256);

    // Files areas under key, replacing what was filed under it before. Areas may cover any
    // part of the 32-bit plane; an empty list files nothing. Areas that together would take
    // more than a thousand or so entries are filed as the one rectangle around them all.
    void Set(uint32_t key, const TKXHitAreas &areas);
    // Takes everything filed under key out.
    void Remove(uint32_t key);
    // Appends to keys every key with an area whose bounding rectangle meets r (closed, corners
    // in order). A key may be appended more than once; keys of areas that do not reach r
    // may be appended too (the bounding rectangle of a segment piece is coarser than the piece).
    void Query(const TRect &r, std::vector<uint32_t> &keys) const;
    void Clear();

private:
    struct TEntry {
        TRect Box;
        uint32_t Key;
        uint32_t Generation;
    };

    int32_t FCellSize;
    std::unordered_map<uint64_t, std::vector<TEntry>> FCells;
    std::vector<TEntry> FWide;                // rectangles spanning too many cells to file
    std::vector<uint32_t> FGeneration;        // per key; entries of older generations are stale
    std::vector<uint32_t> FFiled;             // per key: entries filed in its generation
    std::size_t FLive = 0;
    std::size_t FStale = 0;
    std::vector<TRect> FPieces;               // scratch of Set

    // The cells a box covers, or any number above MaxCellsPerBox when it covers more.
    int64_t CellsOf(const TRect &box) const;
    // The entries filing a box takes: its cells, or one in the wide list.
    int64_t Entries(const TRect &box) const;

    bool Current(const TEntry &e) const { return e.Generation == FGeneration[e.Key]; }
    void File(const TRect &box, uint32_t key);
    void Retire(uint32_t key);
    void Sweep();
};
