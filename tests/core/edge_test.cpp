#include "KXGR/core/KXEdge.h"

#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXVertex.h"
#include "TestRecords.h"
#include "support/KXRecordingCanvas.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::vector<TPoint> PathOf(const TKXCustomEdge &edge)
{
    std::vector<TPoint> path;
    for (const auto &handle : edge.Handles)
        path.push_back(handle->Position);
    return path;
}

TKXHandle &AddBend(TKXCustomEdge &edge, TPoint p)
{
    return **edge.Handles.insert(edge.Handles.end() - 1, std::make_unique<TKXHandle>(&edge, p, hkBend));
}

std::vector<std::string> OutlineOf(TKXObject &object)
{
    TKXRecordingCanvas canvas;
    object.DrawOutline(canvas, 100);
    for (const TKXCanvasCall &call : canvas.Calls)
        EXPECT_EQ(call.Pen.Mode, pmNotXor);
    return canvas.Log();
}

// Source 7 spans (150, 75)-(250, 125), target 8 spans (400, 75)-(500, 125); the edge 12 runs
// from (250, 100) on the source's right side to (400, 100) on the target's left side.
class Edge : public TRecordTest {
protected:
    std::unique_ptr<TKXCustomEdge> MakeEdge(int32_t y = 100)
    {
        auto edge = std::make_unique<TKXCustomEdge>(Source, Target, TPoint{250, y}, TPoint{400, y});
        edge->Id = 12;
        return edge;
    }
    TKXCustomVertex *AddVertex(TPoint center, int32_t id)
    {
        auto *v = static_cast<TKXCustomVertex *>(Vertices.Add(TKXCustomVertex::CreateAt(center)));
        v->Id = id;
        return v;
    }
    TKXHandle &Start() { return *E->Handles.front(); }
    TKXHandle &End() { return *E->Handles.back(); }
    TPoint AnchorAt() { return E->Adjacent->Anchor->Position; }
    void ExpectVerticesUntouched()
    {
        EXPECT_EQ(Source->Links, std::vector<TKXObject *>{&Start()});
        EXPECT_EQ(Target->Links, std::vector<TKXObject *>{&End()});
    }

    TKXCustomVertex *Source = AddVertex({200, 100}, 7);
    TKXCustomVertex *Target = AddVertex({450, 100}, 8);
    std::unique_ptr<TKXCustomEdge> E = MakeEdge();
};

TEST_F(Edge, ConstructionAttachesTheEndsCentresTheAnchorAndWritesTheExampleRecord)
{
    EXPECT_EQ(std::pair(Start().HandleKind, End().HandleKind), std::pair(hkStart, hkEnd));
    EXPECT_EQ(Start().Links[0], E.get());
    ExpectVerticesUntouched();
    EXPECT_EQ(E->Adjacent->Links[0], E.get());
    EXPECT_EQ(AnchorAt(), (TPoint{325, 100}));
    EXPECT_EQ(TextOf(*E), "12\r\n7 8\r\n250 100\r\n400 100\r\n\r\n325 100\r\n325 325 100 100\r\n325 100\r\n0\r\n");

    // Halves of the midpoint go to the even neighbour: (320.5, 100.5) and (321.5, 101.5).
    EXPECT_EQ(TKXCustomEdge(Source, Target, {241, 101}, {400, 100}).Adjacent->Anchor->Position, (TPoint{320, 100}));
    EXPECT_EQ(TKXCustomEdge(Source, Target, {243, 103}, {400, 100}).Adjacent->Anchor->Position, (TPoint{322, 102}));
}

TEST_F(Edge, DestructionDetachesOnlyItsOwnHandles)
{
    auto second = MakeEdge(110);
    AddBend(*E, {300, 50});
    E.reset();
    EXPECT_EQ(Source->Links, std::vector<TKXObject *>{second->Handles.front().get()});
    EXPECT_EQ(Target->Links, std::vector<TKXObject *>{second->Handles.back().get()});
    second.reset();
    auto loop = std::make_unique<TKXCustomEdge>(Source, Source, TPoint{150, 100}, TPoint{250, 80});
    EXPECT_EQ(Source->Links.size(), 2u);
    loop.reset();
    EXPECT_TRUE(Source->Links.empty());
    EXPECT_TRUE(Target->Links.empty());

    // Many edges on one vertex, destroyed out of order: the others stay listed, in order.
    std::vector<std::unique_ptr<TKXCustomEdge>> fan;
    for (int32_t y = 80; y <= 120; y += 5)
        fan.push_back(MakeEdge(y));
    for (std::size_t i : {4u, 0u, 8u, 5u})
        fan[i].reset();
    std::vector<TKXObject *> left;
    for (const auto &edge : fan)
        if (edge)
            left.push_back(edge->Handles.front().get());
    EXPECT_EQ(Source->Links, left);
    fan.clear();
    EXPECT_TRUE(Source->Links.empty());
}

TEST_F(Edge, HitTestAnswersSegmentThenHandlesThenLabel)
{
    // Three and four units off the segment, beyond the end near its handle, on the segment at the
    // start handle, near the label's anchor.
    const std::pair<TPoint, TKXObject *> cases[] = {{{300, 103}, E.get()}, {{300, 104}, nullptr}, {{404, 100}, &End()},
                                                    {{253, 100}, &Start()}, {{328, 102}, E->Adjacent->Anchor.get()}};
    for (const auto &[p, expected] : cases)
        EXPECT_EQ(E->HitTest(p), expected) << p.X << "," << p.Y;
}

TEST_F(Edge, InsertBendPointAddsTheFootOfThePerpendicularAndKeepsTheAnchor)
{
    E->InsertBendPoint({300, 102});
    EXPECT_EQ(PathOf(*E), (std::vector<TPoint>{{250, 100}, {300, 100}, {400, 100}}));
    EXPECT_EQ(E->Handles[1]->HandleKind, hkBend);
    EXPECT_EQ(E->Handles[1]->Links[0], E.get());
    EXPECT_EQ(AnchorAt(), (TPoint{325, 100}));
    ExpectVerticesUntouched();
    E->InsertBendPoint({300, 120});
    E->InsertBendPoint({250, 100}); // at an end: not beside any segment
    EXPECT_EQ(E->Handles.size(), 3u);

    // (50, 1) lies beside all three segments. The first gets (50, 0); the next round sees the
    // new short segment, where the point lies at its start; the third original segment gets
    // the point's foot (50, 1); the last one is the fourth of the grown path and not examined.
    TKXCustomEdge edge(Source, Target, {0, 0}, {100, 3});
    AddBend(edge, {100, 0});
    AddBend(edge, {0, 2});
    edge.InsertBendPoint({50, 1});
    EXPECT_EQ(PathOf(edge), (std::vector<TPoint>{{0, 0}, {50, 0}, {100, 0}, {50, 1}, {0, 2}, {100, 3}}));
}

TEST_F(Edge, EndsMoveOnlyInsideTheirVertexAndEveryAcceptedMoveRecentresTheAnchor)
{
    // Handle 1 is a bend at (300, 50); the anchor placed at (0, 0) shows whether it was recentred.
    const std::tuple<int, TPoint, bool, TPoint> cases[] = { // handle index, drag, accepted, anchor after
        {1, {1000, -1000}, true, {775, -425}},                                 // a bend goes anywhere
        {0, {-10, 5}, true, {270, 78}},   {0, {0, 25}, true, {275, 88}},       // inside the source, onto its corner
        {0, {1, 0}, false, {0, 0}},       {0, {2147483647, 0}, false, {0, 0}}, // outside, far outside
        {2, {100, -25}, true, {275, 75}}, {2, {-1, 0}, false, {0, 0}}};
    for (const auto &[index, delta, accepted, anchor] : cases) {
        SCOPED_TRACE(testing::Message() << "handle " << index << " by " << delta.X << "," << delta.Y);
        E = MakeEdge();
        AddBend(*E, {300, 50});
        E->Adjacent->Anchor->PlaceAt({0, 0});
        std::vector<TPoint> expected = PathOf(*E);
        TKXHandle &handle = *E->Handles[index];
        handle.MoveBy(delta);
        if (accepted)
            expected[index] = {expected[index].X + delta.X, expected[index].Y + delta.Y};
        EXPECT_EQ(PathOf(*E), expected);
        EXPECT_EQ(handle.Bounds.Left, handle.Position.X - 4);
        EXPECT_EQ(AnchorAt(), anchor);
    }
}

TEST_F(Edge, RemoveBendPointRemovesOnlyBendsOfThisEdge)
{
    TKXHandle &first = AddBend(*E, {300, 50});
    AddBend(*E, {350, 50});
    TKXHandle foreign(E.get(), {1, 1}, hkBend);
    for (TKXHandle *handle : {&Start(), &End(), &foreign, static_cast<TKXHandle *>(nullptr)})
        E->RemoveBendPoint(handle);
    EXPECT_EQ(E->Handles.size(), 4u);
    E->RemoveBendPoint(&first);
    EXPECT_EQ(PathOf(*E), (std::vector<TPoint>{{250, 100}, {350, 50}, {400, 100}}));
    EXPECT_EQ(AnchorAt(), (TPoint{325, 100}));
    ExpectVerticesUntouched();
}

TEST_F(Edge, OutlinesDrawTheSegmentsInNotXor)
{
    E->Adjacent->Caption = "label";
    EXPECT_EQ(OutlineOf(*E), (std::vector<std::string>{"MoveTo(250,100)", "LineTo(400,100)"})) << "without the label";

    // A handle's outline: the segments beside it.
    AddBend(*E, {300, 50});
    AddBend(*E, {350, 60});
    TKXHandle foreign(E.get(), {1, 1}, hkBend);
    const std::vector<std::string> cases[] = {
        {"MoveTo(250,100)", "LineTo(300,50)"},
        {"MoveTo(250,100)", "LineTo(300,50)", "MoveTo(300,50)", "LineTo(350,60)"},
        {"MoveTo(300,50)", "LineTo(350,60)", "MoveTo(350,60)", "LineTo(400,100)"},
        {"MoveTo(350,60)", "LineTo(400,100)"}};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(OutlineOf(*E->Handles[i]), cases[i]) << "handle " << i;
    EXPECT_TRUE(OutlineOf(foreign).empty());
}

TEST_F(Edge, AdjustHandlesLeavesOneRightAngleBend)
{
    TKXCustomEdge edge(AddVertex({0, 0}, 1), AddVertex({100, 50}, 2), {0, 0}, {100, 50});
    for (const TPoint p : {TPoint{10, 10}, TPoint{20, 20}, TPoint{30, 30}})
        AddBend(edge, p);
    edge.AdjustHandles();
    EXPECT_EQ(PathOf(edge), (std::vector<TPoint>{{0, 0}, {0, 50}, {100, 50}}));
    EXPECT_EQ(edge.Handles[1]->HandleKind, hkBend);
    EXPECT_EQ(edge.Adjacent->Anchor->Position, (TPoint{0, 25}));
    edge.ClearBendPoints();
    EXPECT_EQ(PathOf(edge), (std::vector<TPoint>{{0, 0}, {100, 50}}));
    EXPECT_EQ(edge.Adjacent->Anchor->Position, (TPoint{50, 25}));
}

TEST_F(Edge, DrawPaintsSegmentsThenHandlesOnTheScreenOnlyThenTheLabel)
{
    AddBend(*E, {300, 50});
    E->Adjacent->Caption = "e";
    E->Selected = true;
    TKXRecordingCanvas canvas;
    E->Draw(canvas, 200, dmScreen);
    EXPECT_EQ(canvas.Log(), (std::vector<std::string>{"MoveTo(500,200)", "LineTo(600,100)", "MoveTo(600,100)",
                                                      "LineTo(800,200)", "Rectangle(496,196,504,204)",
                                                      "Rectangle(596,96,604,104)", "Rectangle(796,196,804,204)",
                                                      "TextOut(647,188,\"e\")", "MoveTo(650,200)", "LineTo(650,200)"}));
    EXPECT_EQ(canvas.Calls[0].Pen, (TKXPen{clBlack, psSolid, 1, pmCopy}));
    canvas.Clear();
    E->Draw(canvas, 200, dmPrinter);
    EXPECT_TRUE(canvas.CallsOf("Rectangle").empty());
    canvas.Clear();
    E->Adjacent->Selected = true; // on paper its frame, not its anchor
    E->Draw(canvas, 200, dmPrinter);
    EXPECT_EQ(canvas.CallsOf("Rectangle").size(), 1u);
    EXPECT_EQ(canvas.CallsOf("Rectangle").at(0).Pen.Style, psDot);
}

TEST_F(Edge, EdgeWithThreeBendsRoundTripsInBothForms)
{
    E->Adjacent->Caption = "a label, with blanks ";
    for (const TPoint p : {TPoint{300, 50}, TPoint{-20, 70000}, TPoint{330, 40}})
        AddBend(*E, p);
    E->Adjacent->Position = {310, 20};
    E->Adjacent->Bounds = {290, 14, 330, 26};
    E->Adjacent->Anchor->PlaceAt({260, 90});
    for (const auto &copy : ReadBack<TKXCustomEdge>(*E)) {
        EXPECT_EQ(TextOf(*copy), TextOf(*E)); // id, vertex ids, path and label
        EXPECT_EQ(std::pair(copy->Source, copy->Target), std::pair(Source, Target));
        const TKXHandleKind kinds[] = {hkStart, hkBend, hkBend, hkBend, hkEnd};
        for (std::size_t i = 0; i < copy->Handles.size(); ++i)
            EXPECT_EQ(std::pair(copy->Handles[i]->HandleKind, copy->Handles[i]->Links[0]),
                      (std::pair<TKXHandleKind, TKXObject *>(kinds[i], copy.get())));
        EXPECT_EQ(copy->Adjacent->Anchor->Bounds, (TRect{256, 86, 264, 94}));
        EXPECT_EQ(std::ranges::count(Source->Links, copy->Handles.front().get()), 1);
        EXPECT_EQ(std::ranges::count(Target->Links, copy->Handles.back().get()), 1);
    }
}

TEST_F(Edge, TheLastVertexWithTheIdCounts)
{
    TKXCustomVertex *twin = AddVertex({200, 100}, 7);
    for (const auto &copy : ReadBack<TKXCustomEdge>(*E)) {
        EXPECT_EQ(std::pair(copy->Source, copy->Target), std::pair(twin, Target));
        EXPECT_EQ(Source->Links.size(), 1u);
    }
}

TEST_F(Edge, MissingVertexIdsAndBrokenRecordsFailWithoutTouchingTheVertices)
{
    // A missing id fails right after the ids.
    ExpectError<EKXDiagramError>([&] { FromText<TKXCustomEdge>("13\r\n7 99\r\n250 100\r\n"); }, "Vertex Id not found");
    EXPECT_EQ(In.ReadLine(), "250 100");
    TKXMemoryStream stream({0x02, 13, 0x02, 99, 0x02, 8, 0x03, 0xFA, 0x00});
    TValueReader reader(stream, 128);
    EXPECT_THROW(TKXCustomEdge::CreateFromStream(reader, Vertices, Edges, nullptr), EKXDiagramError);
    EXPECT_EQ(reader.GetInteger(), 250);

    // The rest of each line is skipped. A bend count far beyond what the file holds fails at the
    // first missing point.
    const std::string head = "13 x\r\n7 8 9\r\n250 100 extra\r\n400 100\r\n\r\n1 2\r\n3 4 5 6\r\n7 8\r\n";
    EXPECT_EQ(PathOf(*FromText<TKXCustomEdge>(head + "1 x\r\n9 10 11\r\n")),
              (std::vector<TPoint>{{250, 100}, {9, 10}, {400, 100}}));
    EXPECT_THROW(FromText<TKXCustomEdge>(head + "2000000000\r\n"), EInOutError);
    EXPECT_THROW(FromText<TKXCustomEdge>(head + "3\r\n1 1\r\n"), EInOutError);
    EXPECT_THROW(FromText<TKXCustomEdge>("13\r\n7 8\r\n250 100\r\n400 x100\r\n"), EInOutError);
    TBytes bytes = BytesOfRecord(*E);
    ASSERT_EQ(TBytes(bytes.end() - 2, bytes.end()), (TBytes{0x02, 0x00})) << "the bend count ends the record";
    bytes.resize(bytes.size() - 2);
    bytes.insert(bytes.end(), {0x04, 0x00, 0x94, 0x35, 0x77, 0x02, 1, 0x02, 2}); // 2 000 000 000 bends
    EXPECT_THROW(FromBytes<TKXCustomEdge>(bytes), EReadError);
    ExpectVerticesUntouched();
}

// An edge from (0, 0) to (100, 0) between two default vertices; its label starts at (50, 0).
class Adjacent : public ::testing::Test {
protected:
    std::unique_ptr<TKXCustomVertex> Source = TKXCustomVertex::CreateAt({0, 0});
    std::unique_ptr<TKXCustomVertex> Target = TKXCustomVertex::CreateAt({100, 0});
    TKXCustomEdge Edge{Source.get(), Target.get(), {0, 0}, {100, 0}};
    TKXAdjacent &Label = *Edge.Adjacent;
    TKXHandle &Anchor = *Edge.Adjacent->Anchor;
    TKXRecordingCanvas Canvas;
};

TEST_F(Adjacent, AnchorSlidesAlongTheLineOfTheFirstSegment)
{
    EXPECT_EQ(Label.Bounds, (TRect{50, 0, 50, 0}));
    EXPECT_EQ(Anchor.Position, (TPoint{50, 0}));
    const TPoint cases[][3] = {{{50, 0}, {30, 40}, {80, 0}},   // from, by, to
                               {{50, 0}, {100, -7}, {150, 0}}, // beyond the end
                               {{10, 0}, {-30, 3}, {-20, 0}}}; // before the start
    for (const auto &[from, delta, to] : cases) {
        Anchor.PlaceAt(from);
        Anchor.MoveBy(delta);
        EXPECT_EQ(Anchor.Position, to);
        EXPECT_EQ(Anchor.Bounds, (TRect{to.X - 4, to.Y - 4, to.X + 4, to.Y + 4}));
        EXPECT_EQ(Label.Position, (TPoint{50, 0}));
    }

    Edge.InsertBendPoint({50, 2}); // first segment now (0, 0)-(50, 0), then turned upright
    Edge.Handles[1]->PlaceAt({0, 100});
    Anchor.PlaceAt({0, 10});
    Anchor.MoveBy({7, 20});
    EXPECT_EQ(Anchor.Position, (TPoint{0, 30}));
    Edge.Handles[1]->PlaceAt({0, 0}); // a degenerate first segment
    EXPECT_THROW(Anchor.MoveBy({5, 5}), EInvalidOp);
    EXPECT_EQ(Anchor.Position, (TPoint{0, 30}));
}

TEST_F(Adjacent, EmptyCaptionDrawsNothingButItsAnchorStillAnswers)
{
    Label.Selected = true;
    Label.Draw(Canvas, 100, dmScreen);
    Label.DrawOutline(Canvas, 100);
    EXPECT_TRUE(Canvas.Calls.empty());
    Label.MoveBy({0, 30});
    EXPECT_EQ(Label.HitTest({53, 3}), &Anchor);
    EXPECT_EQ(Label.HitTest({50, 30}), &Label);
    EXPECT_EQ(Edge.HitTest({50, 30}), &Label);
    EXPECT_EQ(Label.HitTest({55, 0}), nullptr);
}

TEST_F(Adjacent, WritesTheCaptionCentredInArialAtTheScaleWithADottedLine)
{
    Label.Caption = "Label";
    Label.MoveBy({50, 50}); // label at (100, 50), anchor at (50, 0)
    const std::tuple<int32_t, int32_t, std::vector<std::string>> cases[] = {
        {200, 20, {"TextOut(185,88,\"Label\")", "MoveTo(100,0)", "LineTo(200,100)"}},
        {100, 10, {"TextOut(85,43,\"Label\")", "MoveTo(50,0)", "LineTo(100,50)"}}};
    for (const auto &[scale, fontSize, expected] : cases) {
        Canvas.Clear();
        Canvas.Font.Size = 8; // extent 30 x 12 in the entry font
        Label.Draw(Canvas, scale, dmScreen);
        EXPECT_EQ(Label.Bounds, (TRect{85, 44, 115, 56}));
        EXPECT_EQ(Canvas.Log(), expected);
        const TKXCanvasCall text = Canvas.CallsOf("TextOut").at(0);
        EXPECT_EQ(std::tuple(text.Font.Name, text.Font.Size, text.Brush.Style), std::tuple("Arial", fontSize, bsClear));
        EXPECT_EQ(Canvas.CallsOf("LineTo").at(0).Pen, (TKXPen{clBlack, psDot, 1, pmCopy}));
    }
}

TEST_F(Adjacent, BoundsAreRecomputedAtEveryDrawWithHalvesRoundedToEven)
{
    Label.Caption = "abc";
    Canvas.CharWidth = 5;
    Canvas.Font.Size = 9; // extent 15 x 13
    Label.Draw(Canvas, 100, dmScreen);
    EXPECT_EQ(Label.Bounds, (TRect{42, -6, 58, 6}));
    Canvas.CharWidth = 8; // the font left by the first draw: Arial 10, extent 24 x 14
    Label.Draw(Canvas, 100, dmScreen);
    EXPECT_EQ(Label.Bounds, (TRect{38, -7, 62, 7}));
}

// The outline, also while the anchor is dragged, is the whole label's: the bounds moved along
// without a draw and the line from the anchor, which stays.
TEST_F(Adjacent, MoveByMovesTheLabelButNotTheAnchorEndOfTheLine)
{
    Label.Caption = "Label";
    Label.Bounds = {80, 40, 120, 60};
    Label.Position = {100, 50};
    Label.MoveBy({5, 5});
    for (TKXObject *source : {static_cast<TKXObject *>(&Label), static_cast<TKXObject *>(&Anchor)}) {
        Canvas.Clear();
        source->DrawOutline(Canvas, 100);
        EXPECT_EQ(Canvas.Log(),
                  (std::vector<std::string>{"Rectangle(85,45,125,65)", "MoveTo(50,0)", "LineTo(105,55)"}));
        for (const TKXCanvasCall &call : Canvas.Calls)
            EXPECT_EQ(call.Pen, (TKXPen{clBlack, psSolid, 1, pmNotXor}));
    }
}

}
