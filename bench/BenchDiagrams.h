#pragma once
// The diagram the benchmarks load, save and paint: n vertices on a grid of `columns` columns,
// each with an edge (one bend point, a caption if asked for) to the next, the last to the first.

#include "KXGR/core/KXEdge.h"
#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXDiagramBox.h"

#include <memory>
#include <string>
#include <vector>

inline void AddChainDiagram(TKXDiagramBox &box, int32_t n, int32_t columns, bool captions)
{
    std::vector<TKXCustomVertex *> vertices;
    vertices.reserve(static_cast<std::size_t>(n));
    for (int32_t i = 0; i < n; ++i) {
        auto vertex = TKXCustomVertex::CreateAt({(i % columns) * 150, (i / columns) * 100});
        vertex->Id = i + 1;
        vertices.push_back(static_cast<TKXCustomVertex *>(box.AddObject(vertex.release(), moLoaded)));
    }
    for (int32_t i = 0; i < n; ++i) {
        TKXCustomVertex *a = vertices[static_cast<std::size_t>(i)];
        TKXCustomVertex *b = vertices[static_cast<std::size_t>((i + 1) % n)];
        auto edge = std::make_unique<TKXCustomEdge>(a, b, TPoint{a->Right, a->Top + 25}, TPoint{b->Left, b->Top + 25});
        edge->Id = n + i + 1;
        edge->AdjustHandles();
        if (captions)
            edge->Adjacent->Caption = "edge " + std::to_string(i);
        box.AddObject(edge.release(), moLoaded);
    }
}
