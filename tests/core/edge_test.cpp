#include "KXGR/core/KXEdge.h"

#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXStream.h"
#include "KXGR/core/KXTextFile.h"
#include "KXGR/core/KXVertex.h"
#include "TestFiles.h"
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

bool Links(const TKXObject &vertex, const TKXObject *handle)
{
    return std::find(vertex.Links.begin(), vertex.Links.end(), handle) != vertex.Links.end();
}

TKXHandle &AddBend(TKXCustomEdge &edge, TPoint p)
{
    auto it = edge.Handles.insert(edge.Handles.end() - 1, std::make_unique<TKXHandle>(&edge, p, hkBend));
    return **it;
}

std::string Text(const TBytes &bytes) { return std::string(bytes.begin(), bytes.end()); }

// Source 7 spans (150, 75)-(250, 125), target 8 spans (400, 75)-(500, 125); the edge 12 runs
// from (250, 100) on the source's right side to (400, 100) on the target's left side.
class EdgeTest : public TScratchDirTest {
protected:
    void SetUp() override
    {
        TScratchDirTest::SetUp();
        Source = static_cast<TKXCustomVertex *>(Vertices.Add(TKXCustomVertex::CreateAt({200, 100})));
        Source->Id = 7;
        Target = static_cast<TKXCustomVertex *>(Vertices.Add(TKXCustomVertex::CreateAt({450, 100})));
        Target->Id = 8;
        Edge = std::make_unique<TKXCustomEdge>(Source, Target, TPoint{250, 100}, TPoint{400, 100});
        Edge->Id = 12;
    }

    TKXHandle &Start() { return *Edge->Handles.front(); }
    TKXHandle &End() { return *Edge->Handles.back(); }
    TPoint AnchorAt() { return Edge->Adjacent->Anchor->Position; }

    std::string WriteText(TKXCustomEdge &edge)
    {
        TKXTextFile file;
        file.Create(Path("edge.txt"));
        edge.WriteToText(file);
        file.Close();
        return Text(ReadFileBytes(Path("edge.txt")));
    }

    std::unique_ptr<TKXCustomEdge> ReadText(const std::string &text)
    {
        const std::string name = Path("in.txt");
        WriteFileBytes(name, TBytes(text.begin(), text.end()));
        TKXTextFile file;
        file.Open(name);
        return TKXCustomEdge::CreateFromText(file, Vertices, Edges, nullptr);
    }

    TKXObjectList Vertices;
    TKXObjectList Edges;
    TKXCustomVertex *Source = nullptr;
    TKXCustomVertex *Target = nullptr;
    std::unique_ptr<TKXCustomEdge> Edge;
};

TEST_F(EdgeTest, ConstructionAttachesTheEndsAndCentresTheAnchorAndWritesTheExampleRecord)
{
    ASSERT_EQ(Edge->Handles.size(), 2u);
    EXPECT_EQ(Start().HandleKind, hkStart);
    EXPECT_EQ(End().HandleKind, hkEnd);
    EXPECT_EQ(Start().Links[0], Edge.get());
    EXPECT_EQ(Source->Links, std::vector<TKXObject *>{&Start()});
    EXPECT_EQ(Target->Links, std::vector<TKXObject *>{&End()});
    EXPECT_TRUE(Edge->Links.empty());
    EXPECT_EQ(Edge->Kind, okEdge);
    EXPECT_EQ(Edge->Adjacent->Links[0], Edge.get());
    EXPECT_EQ(AnchorAt(), (TPoint{325, 100}));

    EXPECT_EQ(WriteText(*Edge), "12\r\n7 8\r\n250 100\r\n400 100\r\n\r\n325 100\r\n325 325 100 100\r\n325 100\r\n0\r\n");

    // Halves of the midpoint go to the even neighbour: (320.5, 100.5) and (321.5, 101.5).
    EXPECT_EQ(TKXCustomEdge(Source, Target, {241, 101}, {400, 100}).Adjacent->Anchor->Position, (TPoint{320, 100}));
    EXPECT_EQ(TKXCustomEdge(Source, Target, {243, 103}, {400, 100}).Adjacent->Anchor->Position, (TPoint{322, 102}));
}

TEST_F(EdgeTest, DestructionDetachesOnlyItsOwnHandles)
{
    auto second = std::make_unique<TKXCustomEdge>(Source, Target, TPoint{250, 110}, TPoint{400, 110});
    AddBend(*Edge, {300, 50});
    Edge.reset();
    EXPECT_EQ(Source->Links, std::vector<TKXObject *>{second->Handles.front().get()});
    EXPECT_EQ(Target->Links, std::vector<TKXObject *>{second->Handles.back().get()});
    second.reset();
    EXPECT_TRUE(Source->Links.empty());
    EXPECT_TRUE(Target->Links.empty());

    auto loop = std::make_unique<TKXCustomEdge>(Source, Source, TPoint{150, 100}, TPoint{250, 80});
    EXPECT_EQ(Source->Links.size(), 2u);
    loop.reset();
    EXPECT_TRUE(Source->Links.empty());
}

struct THitCase {
    const char *Name;
    TPoint P;
    enum { Nothing, TheEdge, StartHandle, EndHandle, Anchor } Expected;
};

class EdgeHitTest : public EdgeTest, public ::testing::WithParamInterface<THitCase> {};

TEST_P(EdgeHitTest, AnswersSegmentThenHandlesThenLabel)
{
    const THitCase &c = GetParam();
    TKXObject *expected = nullptr;
    switch (c.Expected) {
    case THitCase::Nothing: break;
    case THitCase::TheEdge: expected = Edge.get(); break;
    case THitCase::StartHandle: expected = &Start(); break;
    case THitCase::EndHandle: expected = &End(); break;
    case THitCase::Anchor: expected = Edge->Adjacent->Anchor.get(); break;
    }
    EXPECT_EQ(Edge->HitTest(c.P), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Points, EdgeHitTest,
    ::testing::Values(THitCase{"ThreeUnitsBelow", {300, 103}, THitCase::TheEdge},
                      THitCase{"FourUnitsBelow", {300, 104}, THitCase::Nothing},
                      THitCase{"BeyondTheEndNearItsHandle", {404, 100}, THitCase::EndHandle},
                      THitCase{"OnTheSegmentAtTheStartHandle", {253, 100}, THitCase::StartHandle},
                      THitCase{"OnTheAnchor", {328, 102}, THitCase::Anchor}),
    [](const auto &info) { return std::string(info.param.Name); });

TEST_F(EdgeTest, InsertBendPointAddsTheFootOfThePerpendicularAndKeepsTheAnchor)
{
    Edge->InsertBendPoint({300, 102});
    EXPECT_EQ(PathOf(*Edge), (std::vector<TPoint>{{250, 100}, {300, 100}, {400, 100}}));
    EXPECT_EQ(Edge->Handles[1]->HandleKind, hkBend);
    EXPECT_EQ(Edge->Handles[1]->Links[0], Edge.get());
    EXPECT_EQ(AnchorAt(), (TPoint{325, 100}));
    EXPECT_EQ(Source->Links.size(), 1u);

    Edge->InsertBendPoint({300, 120});
    Edge->InsertBendPoint({250, 100});  // at an end: not beside any segment
    EXPECT_EQ(Edge->Handles.size(), 3u);
}

TEST_F(EdgeTest, InsertBendPointLooksOnlyAtTheSegmentsCountedWhenItBegan)
{
    TKXCustomEdge edge(Source, Target, {0, 0}, {100, 3});
    AddBend(edge, {100, 0});
    AddBend(edge, {0, 2});
    // (50, 1) lies beside all three segments. The first gets (50, 0); the next round sees the
    // new short segment, where the point lies at its start; the third original segment gets
    // the point's foot (50, 1); the last one is the fourth of the grown path and not examined.
    edge.InsertBendPoint({50, 1});
    EXPECT_EQ(PathOf(edge), (std::vector<TPoint>{{0, 0}, {50, 0}, {100, 0}, {50, 1}, {0, 2}, {100, 3}}));
}

struct TDragCase {
    const char *Name;
    int HandleIndex;  // 0 start, 1 bend, 2 end
    TPoint Delta;
    bool Accepted;
    TPoint Anchor;    // after the drag
};

class EdgeDragTest : public EdgeTest, public ::testing::WithParamInterface<TDragCase> {};

TEST_P(EdgeDragTest, EndsMoveOnlyInsideTheirVertexAndEveryAcceptedMoveRecentresTheAnchor)
{
    const TDragCase &c = GetParam();
    AddBend(*Edge, {300, 50});
    Edge->Adjacent->Anchor->PlaceAt({0, 0});  // shows whether the anchor was recentred
    const std::vector<TPoint> before = PathOf(*Edge);
    TKXHandle &handle = *Edge->Handles[c.HandleIndex];
    handle.MoveBy(c.Delta);

    std::vector<TPoint> expected = before;
    if (c.Accepted)
        expected[c.HandleIndex] = {before[c.HandleIndex].X + c.Delta.X, before[c.HandleIndex].Y + c.Delta.Y};
    EXPECT_EQ(PathOf(*Edge), expected);
    EXPECT_EQ(handle.Bounds, (TRect{handle.Position.X - 4, handle.Position.Y - 4, handle.Position.X + 4,
                                    handle.Position.Y + 4}));
    EXPECT_EQ(AnchorAt(), c.Anchor);
}

INSTANTIATE_TEST_SUITE_P(
    Drags, EdgeDragTest,
    ::testing::Values(TDragCase{"BendAnywhere", 1, {1000, -1000}, true, {775, -425}},
                      TDragCase{"StartInsideSource", 0, {-10, 5}, true, {270, 78}},
                      TDragCase{"StartOntoTheSourceCorner", 0, {0, 25}, true, {275, 88}},
                      TDragCase{"StartOutsideSource", 0, {1, 0}, false, {0, 0}},
                      TDragCase{"StartFarOutside", 0, {2147483647, 0}, false, {0, 0}},
                      TDragCase{"EndInsideTarget", 2, {100, -25}, true, {275, 75}},
                      TDragCase{"EndOutsideTarget", 2, {-1, 0}, false, {0, 0}}),
    [](const auto &info) { return std::string(info.param.Name); });

TEST_F(EdgeTest, RemoveBendPointRemovesOnlyBendsOfThisEdge)
{
    TKXHandle &first = AddBend(*Edge, {300, 50});
    AddBend(*Edge, {350, 50});
    TKXHandle foreign(Edge.get(), {1, 1}, hkBend);

    Edge->RemoveBendPoint(&Start());
    Edge->RemoveBendPoint(&End());
    Edge->RemoveBendPoint(&foreign);
    Edge->RemoveBendPoint(nullptr);
    EXPECT_EQ(Edge->Handles.size(), 4u);

    Edge->RemoveBendPoint(&first);
    EXPECT_EQ(PathOf(*Edge), (std::vector<TPoint>{{250, 100}, {350, 50}, {400, 100}}));
    EXPECT_EQ(AnchorAt(), (TPoint{325, 100}));
    EXPECT_EQ(Source->Links, std::vector<TKXObject *>{&Start()});
    EXPECT_EQ(Target->Links, std::vector<TKXObject *>{&End()});
}

TEST_F(EdgeTest, DrawBendOutlineDrawsTheSegmentsBesideTheHandle)
{
    AddBend(*Edge, {300, 50});
    AddBend(*Edge, {350, 60});
    TKXHandle foreign(Edge.get(), {1, 1}, hkBend);
    const std::pair<TKXHandle *, std::vector<std::string>> cases[] = {
        {Edge->Handles[0].get(), {"MoveTo(250,100)", "LineTo(300,50)"}},
        {Edge->Handles[1].get(), {"MoveTo(250,100)", "LineTo(300,50)", "MoveTo(300,50)", "LineTo(350,60)"}},
        {Edge->Handles[2].get(), {"MoveTo(300,50)", "LineTo(350,60)", "MoveTo(350,60)", "LineTo(400,100)"}},
        {Edge->Handles[3].get(), {"MoveTo(350,60)", "LineTo(400,100)"}},
        {&foreign, {}},
    };
    for (const auto &[handle, expected] : cases) {
        TKXRecordingCanvas canvas;
        handle->DrawOutline(canvas, 100);
        EXPECT_EQ(canvas.Log(), expected);
        for (const TKXCanvasCall &call : canvas.Calls)
            EXPECT_EQ(call.Pen.Mode, pmNotXor);
    }
}

TEST_F(EdgeTest, AdjustHandlesLeavesOneRightAngleBend)
{
    TKXCustomVertex *a = static_cast<TKXCustomVertex *>(Vertices.Add(TKXCustomVertex::CreateAt({0, 0})));
    TKXCustomVertex *b = static_cast<TKXCustomVertex *>(Vertices.Add(TKXCustomVertex::CreateAt({100, 50})));
    TKXCustomEdge edge(a, b, {0, 0}, {100, 50});
    AddBend(edge, {10, 10});
    AddBend(edge, {20, 20});
    AddBend(edge, {30, 30});
    edge.AdjustHandles();
    EXPECT_EQ(PathOf(edge), (std::vector<TPoint>{{0, 0}, {0, 50}, {100, 50}}));
    EXPECT_EQ(edge.Handles[1]->HandleKind, hkBend);
    EXPECT_EQ(edge.Adjacent->Anchor->Position, (TPoint{0, 25}));

    edge.ClearBendPoints();
    EXPECT_EQ(PathOf(edge), (std::vector<TPoint>{{0, 0}, {100, 50}}));
    EXPECT_EQ(edge.Adjacent->Anchor->Position, (TPoint{50, 25}));
}

TEST_F(EdgeTest, DrawPaintsSegmentsThenHandlesOnTheScreenOnlyThenTheLabel)
{
    AddBend(*Edge, {300, 50});
    Edge->Adjacent->Caption = "e";
    TKXRecordingCanvas canvas;
    Edge->Draw(canvas, 200, dmScreen);
    const std::vector<std::string> plain = {"MoveTo(500,200)", "LineTo(600,100)", "MoveTo(600,100)",
                                            "LineTo(800,200)"};
    std::vector<std::string> log = canvas.Log();
    ASSERT_GE(log.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 4), plain);
    EXPECT_EQ(log[4].rfind("TextOut", 0), 0u) << log[4];
    EXPECT_EQ(canvas.Calls[0].Pen, (TKXPen{clBlack, psSolid, 1, pmCopy}));

    Edge->Selected = true;
    canvas.Clear();
    Edge->Draw(canvas, 200, dmScreen);
    log = canvas.Log();
    ASSERT_GE(log.size(), 7u);
    EXPECT_EQ(log[4], "Rectangle(496,196,504,204)");
    EXPECT_EQ(log[5], "Rectangle(596,96,604,104)");
    EXPECT_EQ(log[6], "Rectangle(796,196,804,204)");

    canvas.Clear();
    Edge->Draw(canvas, 200, dmPrinter);
    EXPECT_TRUE(canvas.CallsOf("Rectangle").empty());
}

TEST_F(EdgeTest, OutlineIsTheSegmentsInNotXorWithoutTheLabel)
{
    Edge->Adjacent->Caption = "label";
    TKXRecordingCanvas canvas;
    Edge->DrawOutline(canvas, 100);
    EXPECT_EQ(canvas.Log(), (std::vector<std::string>{"MoveTo(250,100)", "LineTo(400,100)"}));
    EXPECT_EQ(canvas.Calls[1].Pen.Mode, pmNotXor);
}

TEST_F(EdgeTest, MovingAVertexTakesTheAttachedEndAlongAndRecentresTheAnchor)
{
    AddBend(*Edge, {300, 50});
    Source->MoveBy({-10, 20});
    EXPECT_EQ(PathOf(*Edge), (std::vector<TPoint>{{240, 120}, {300, 50}, {400, 100}}));
    EXPECT_EQ(AnchorAt(), (TPoint{270, 85}));
}

// Records of both forms, written and read through the same code paths as the diagram files.
class EdgeRecordTest : public EdgeTest, public ::testing::WithParamInterface<bool> {
protected:
    bool TextForm() const { return GetParam(); }

    std::unique_ptr<TKXCustomEdge> RoundTrip(TKXCustomEdge &edge)
    {
        if (TextForm())
            return ReadText(WriteText(edge));
        TKXMemoryStream stream;
        {
            TValueWriter writer(stream, 128);
            edge.WriteToStream(writer);
        }
        stream.StepBack(static_cast<std::size_t>(stream.Position()));
        TValueReader reader(stream, 128);
        return TKXCustomEdge::CreateFromStream(reader, Vertices, Edges, nullptr);
    }
};

TEST_P(EdgeRecordTest, EdgeWithThreeBendsRoundTrips)
{
    Edge->Adjacent->Caption = "a label, with blanks ";
    AddBend(*Edge, {300, 50});
    AddBend(*Edge, {-20, 70000});
    AddBend(*Edge, {330, 40});
    Edge->Adjacent->Position = {310, 20};
    Edge->Adjacent->Bounds = {290, 14, 330, 26};
    Edge->Adjacent->Anchor->PlaceAt({260, 90});

    const std::unique_ptr<TKXCustomEdge> copy = RoundTrip(*Edge);
    EXPECT_EQ(copy->Id, 12);
    EXPECT_EQ(copy->Source, Source);
    EXPECT_EQ(copy->Target, Target);
    EXPECT_EQ(PathOf(*copy), PathOf(*Edge));
    const TKXHandleKind kinds[] = {hkStart, hkBend, hkBend, hkBend, hkEnd};
    for (std::size_t i = 0; i < copy->Handles.size(); ++i) {
        EXPECT_EQ(copy->Handles[i]->HandleKind, kinds[i]);
        EXPECT_EQ(copy->Handles[i]->Links[0], copy.get());
    }
    EXPECT_EQ(copy->Adjacent->Caption, "a label, with blanks ");
    EXPECT_EQ(copy->Adjacent->Position, (TPoint{310, 20}));
    EXPECT_EQ(copy->Adjacent->Bounds, (TRect{290, 14, 330, 26}));
    EXPECT_EQ(copy->Adjacent->Anchor->Position, (TPoint{260, 90}));
    EXPECT_EQ(copy->Adjacent->Anchor->Bounds, (TRect{256, 86, 264, 94}));
    EXPECT_TRUE(Links(*Source, copy->Handles.front().get()));
    EXPECT_TRUE(Links(*Target, copy->Handles.back().get()));
}

TEST_P(EdgeRecordTest, TheLastVertexWithTheIdCounts)
{
    auto *twin = static_cast<TKXCustomVertex *>(Vertices.Add(TKXCustomVertex::CreateAt({200, 100})));
    twin->Id = 7;
    const std::unique_ptr<TKXCustomEdge> copy = RoundTrip(*Edge);
    EXPECT_EQ(copy->Source, twin);
    EXPECT_EQ(copy->Target, Target);
    EXPECT_EQ(Source->Links.size(), 1u);
    EXPECT_EQ(twin->Links, std::vector<TKXObject *>{copy->Handles.front().get()});
}

INSTANTIATE_TEST_SUITE_P(Forms, EdgeRecordTest, ::testing::Values(false, true),
                         [](const auto &info) { return info.param ? "Text" : "Stream"; });

TEST_F(EdgeTest, TextReaderSkipsTheRestOfLinesAndTakesTheCaptionWhole)
{
    const std::unique_ptr<TKXCustomEdge> edge =
        ReadText("12 x\r\n7 8 9\r\n250 100 extra\r\n400 100\r\n  two words  \r\n1 2\r\n3 4 5 6\r\n7 8\n1\r\n9 10 11\r\n");
    EXPECT_EQ(edge->Adjacent->Caption, "  two words  ");
    EXPECT_EQ(edge->Adjacent->Position, (TPoint{1, 2}));
    EXPECT_EQ(edge->Adjacent->Bounds, (TRect{3, 5, 4, 6}));
    EXPECT_EQ(edge->Adjacent->Anchor->Position, (TPoint{7, 8}));
    EXPECT_EQ(PathOf(*edge), (std::vector<TPoint>{{250, 100}, {9, 10}, {400, 100}}));
}

TEST_F(EdgeTest, MissingVertexIdFailsAfterTheIdsAndTouchesNoVertex)
{
    const std::string name = Path("missing.txt");
    const std::string record = "13\r\n7 99\r\n250 100\r\n";
    WriteFileBytes(name, TBytes(record.begin(), record.end()));
    TKXTextFile file;
    file.Open(name);
    try {
        TKXCustomEdge::CreateFromText(file, Vertices, Edges, nullptr);
        FAIL() << "no error";
    } catch (const EKXDiagramError &e) {
        EXPECT_STREQ(e.what(), "Vertex Id not found");
    }
    EXPECT_EQ(file.ReadLine(), "250 100");
    EXPECT_EQ(Source->Links, std::vector<TKXObject *>{&Start()});

    TKXMemoryStream stream;
    {
        TValueWriter writer(stream, 128);
        for (int32_t v : {13, 99, 8, 250})
            writer.PutInteger(v);
    }
    stream.StepBack(static_cast<std::size_t>(stream.Position()));
    {
        TValueReader reader(stream, 128);
        EXPECT_THROW(TKXCustomEdge::CreateFromStream(reader, Vertices, Edges, nullptr), EKXDiagramError);
        EXPECT_EQ(reader.GetInteger(), 250);
    }
    EXPECT_EQ(Target->Links, std::vector<TKXObject *>{&End()});
}

TEST_F(EdgeTest, BrokenRecordsFailWithoutTouchingTheVertices)
{
    // A bend count far beyond what the file holds fails at the first missing point.
    EXPECT_THROW(ReadText("13\r\n7 8\r\n250 100\r\n400 100\r\n\r\n1 2\r\n3 4 5 6\r\n7 8\r\n2000000000\r\n"),
                 EInOutError);
    EXPECT_THROW(ReadText("13\r\n7 8\r\n250 100\r\n400 100\r\n\r\n1 2\r\n3 4 5 6\r\n7 8\r\n3\r\n1 1\r\n"),
                 EInOutError);
    EXPECT_THROW(ReadText("13\r\n7 8\r\n250 100\r\n400 x100\r\n"), EInOutError);

    TKXMemoryStream stream;
    {
        TValueWriter writer(stream, 128);
        for (int32_t v : {13, 7, 8, 250, 100, 400, 100})
            writer.PutInteger(v);
        writer.PutString("");
        for (int32_t v : {1, 2, 3, 4, 5, 6, 7, 8, 2000000000, 1, 2})
            writer.PutInteger(v);
    }
    stream.StepBack(static_cast<std::size_t>(stream.Position()));
    TValueReader reader(stream, 128);
    EXPECT_THROW(TKXCustomEdge::CreateFromStream(reader, Vertices, Edges, nullptr), EReadError);

    EXPECT_EQ(Source->Links, std::vector<TKXObject *>{&Start()});
    EXPECT_EQ(Target->Links, std::vector<TKXObject *>{&End()});
}

}
