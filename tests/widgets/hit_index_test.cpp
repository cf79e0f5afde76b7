#include "KXGR/widgets/KXDiagramBox.h"

#include "KXGR/core/KXEdge.h"
#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXVertex.h"
#include "core/TestFiles.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

// What ObjectAt answered before it had an index: every edge from the last to the first, then
// every vertex the same way.
TKXObject *AskEveryObject(TKXDiagramBox &box, TPoint p)
{
    for (std::size_t i = box.Edges.Count(); i-- > 0;)
        if (TKXObject *hit = box.Edges[i]->HitTestAt(p, box.Scale()))
            return hit;
    for (std::size_t i = box.Vertices.Count(); i-- > 0;)
        if (TKXObject *hit = box.Vertices[i]->HitTestAt(p, box.Scale()))
            return hit;
    return nullptr;
}

// Random diagrams changed in every way the box and its objects offer, ObjectAt compared with
// asking every object after each round of changes.
class HitIndexTest : public TScratchDirTest {
protected:
    TKXDiagramBox Box;
    std::mt19937 Random{20261207};

    void SetUp() override
    {
        TScratchDirTest::SetUp();
        Box.resize(600, 400);
        Box.RegisterObjectClass(TKXCustomVertex::ClassRecord);
        Box.RegisterObjectClass(TKXCustomEdge::ClassRecord);
    }
    int32_t Between(int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(Random); }
    template <typename T> T *Any(const TKXObjectList &list)
    {
        return list.Empty() ? nullptr : static_cast<T *>(list[Between(0, int32_t(list.Count()) - 1)]);
    }
    TPoint Near(TPoint p, int32_t by) { return {p.X + Between(-by, by), p.Y + Between(-by, by)}; }
    TPoint Centre(const TKXCustomVertex &v) { return {(v.Left + v.Right) / 2, (v.Top + v.Bottom) / 2}; }

    void AddVertex() { Box.AddObject(new TKXCustomVertex(TPoint{Between(0, 3000), Between(0, 2000)}), moNew); }
    void AddEdge()
    {
        auto *from = Any<TKXCustomVertex>(Box.Vertices);
        auto *to = Any<TKXCustomVertex>(Box.Vertices);
        if (!from)
            return;
        auto *edge = new TKXCustomEdge(from, to, Centre(*from), Centre(*to));
        if (Between(0, 1))
            edge->Adjacent->Caption = std::string(Between(1, 12), 'W');
        Box.AddObject(edge, moLoaded);
        if (Between(0, 1))
            edge->AdjustHandles();
    }

    void Change()
    {
        auto *v = Any<TKXCustomVertex>(Box.Vertices);
        auto *e = Any<TKXCustomEdge>(Box.Edges);
        if (!v || !e)
            return;
        switch (Between(0, 11)) {
        case 0: v->MoveBy({Between(-300, 300), Between(-300, 300)}); break;
        case 1: v->Handles[Between(0, 3)]->MoveBy({Between(-60, 60), Between(-60, 60)}); break;
        case 2: {
            const std::size_t i = Between(0, int32_t(e->Handles.size()) - 2);
            const TPoint a = e->Handles[i]->Position, b = e->Handles[i + 1]->Position;
            e->InsertBendPoint(Near({(a.X + b.X) / 2, (a.Y + b.Y) / 2}, 2));
            break;
        }
        case 3: e->RemoveBendPoint(e->Handles[Between(0, int32_t(e->Handles.size()) - 1)].get()); break;
        case 4: e->Handles[Between(0, int32_t(e->Handles.size()) - 1)]->MoveBy({Between(-80, 80), Between(-80, 80)}); break;
        case 5: e->Adjacent->MoveBy({Between(-50, 50), Between(-50, 50)}); break;
        case 6:
            try {
                e->Adjacent->Anchor->MoveBy({Between(-40, 40), Between(-40, 40)});
            } catch (const EMathError &) {
                // a first segment of length 0 has no line to slide on
            }
            break;
        case 7: Box.SelectObject(Between(0, 1) ? static_cast<TKXObject *>(v) : e, Between(0, 1)); break;
        case 8: Box.SelectObject(v, true); Box.MoveSelection({Between(-30, 30), Between(-30, 30)}); break;
        case 9: Box.DeleteObject(Between(0, 1) ? static_cast<TKXObject *>(v) : e); break;
        case 10: AddVertex(); AddEdge(); break;
        case 11: e->AdjustHandles(); break;
        }
    }

    void ExpectSameAnswers(int points)
    {
        std::vector<TPoint> probes;
        for (int i = 0; i < points; ++i) {
            probes.push_back({Between(-100, 3200), Between(-100, 2200)});
            if (auto *e = Any<TKXCustomEdge>(Box.Edges)) {
                const auto &h = e->Handles[Between(0, int32_t(e->Handles.size()) - 1)];
                probes.push_back(Near(h->Position, 14));
                probes.push_back(Near(e->Adjacent->Anchor->Position, 14));
                const TRect b = e->Adjacent->Bounds;
                probes.push_back(Near({b.Right, b.Bottom}, 2));
            }
            if (auto *v = Any<TKXCustomVertex>(Box.Vertices))
                probes.push_back(Near({v->Right, v->Top}, 14));
        }
        for (const TPoint p : probes)
            ASSERT_EQ(Box.ObjectAt(p), AskEveryObject(Box, p)) << "at " << p.X << "," << p.Y << " scale " << Box.Scale();
    }
};

TEST_F(HitIndexTest, AnswersAsAskingEveryObjectThroughChangesDeletionsLoadsAndScales)
{
    for (int i = 0; i < 200; ++i)
        AddVertex();
    for (int i = 0; i < 200; ++i)
        AddEdge();
    const int32_t scales[] = {100, 50, 25, 200, 75, 10, 100, 150};
    for (int round = 0; round < 8; ++round) {
        Box.SetScale(scales[round]);
        // Painting measures the labels at the scale's font, which moves their bounds.
        if (round % 2 == 0)
            Box.Paint();
        ExpectSameAnswers(300);
        for (int i = 0; i < 150; ++i)
            Change();
        ExpectSameAnswers(300);
        if (round == 3) {
            Box.SaveToFile(Path("scene.kx"));
            Box.LoadFromFile(Path("scene.kx"), nullptr);
        }
        if (round == 5) {
            Box.SelectInRect({0, 0, 1500, 1000}, false);
            Box.DeleteSelection();
        }
    }
}

// A handle answers on its whole drawn square at every scale, and on its specified square of
// +-4 units where that is the larger.
TEST(HandleHitArea, CoversTheDrawnSquareAtEveryScaleAndKeepsTheSpecifiedOne)
{
    TKXDiagramBox box;
    auto *v = static_cast<TKXCustomVertex *>(box.AddObject(new TKXCustomVertex(TPoint{1000, 1000}), moLoaded));
    TKXHandle *corner = v->Handles[2].get();  // bottom-right at (1050, 1025), outside of the body
    for (const int32_t scale : {10, 25, 33, 50, 75, 99, 100, 101, 150, 200, 400}) {
        box.SetScale(scale);
        const int32_t xs = ScaleValue(corner->Position.X, scale);
        const int32_t ys = ScaleValue(corner->Position.Y, scale);
        for (int32_t dx = -4; dx <= 3; ++dx)
            for (int32_t dy = -4; dy <= 3; ++dy)
                ASSERT_EQ(box.ObjectAt(UnscalePoint({xs + dx, ys + dy}, scale)), corner)
                    << "pixel " << dx << "," << dy << " at scale " << scale;
        EXPECT_EQ(box.ObjectAt({corner->Position.X + 4, corner->Position.Y + 4}), corner) << scale;
        if (scale >= 100) {
            EXPECT_EQ(box.ObjectAt({corner->Position.X + 5, corner->Position.Y}), nullptr) << scale;
        }
    }
    // Asked without a scale, the handle keeps its specified square.
    EXPECT_EQ(corner->HitTest({1056, 1025}), nullptr);
    EXPECT_EQ(corner->HitTestAt({1056, 1025}, 50), corner);
}

}
