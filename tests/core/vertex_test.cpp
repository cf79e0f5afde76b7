#include "KXGR/core/KXVertex.h"

#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXStream.h"
#include "KXGR/core/KXTextFile.h"
#include "TestFiles.h"
#include "support/KXRecordingCanvas.h"

#include <gtest/gtest.h>

namespace {

TRect SidesOf(const TKXCustomVertex &v) { return {v.Left, v.Top, v.Right, v.Bottom}; }

void ExpectHandlesOnCorners(const TKXCustomVertex &v)
{
    ASSERT_EQ(v.Handles.size(), 4u);
    const TKXHandleKind kinds[4] = {hkTopLeft, hkTopRight, hkBottomRight, hkBottomLeft};
    const TPoint corners[4] = {{v.Left, v.Top}, {v.Right, v.Top}, {v.Right, v.Bottom}, {v.Left, v.Bottom}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(v.Handles[i]->HandleKind, kinds[i]) << "handle " << i;
        EXPECT_EQ(v.Handles[i]->Position, corners[i]) << "handle " << i;
        EXPECT_EQ(v.Handles[i]->Bounds, (TRect{corners[i].X - 4, corners[i].Y - 4, corners[i].X + 4, corners[i].Y + 4}));
        EXPECT_EQ(v.Handles[i]->Links[0], &v);
    }
}

std::unique_ptr<TKXCustomVertex> VertexWithSides(TRect r)
{
    auto v = TKXCustomVertex::CreateAt({0, 0});
    v->Left = r.Left;
    v->Top = r.Top;
    v->Right = r.Right;
    v->Bottom = r.Bottom;
    v->AdjustHandles();
    return v;
}

// Stands in for an edge whose end handles are attached to one vertex: an end moves only to
// points inside that vertex, and every accepted move re-places the label (counted here).
class TFakeEdge : public TKXObject, public TKXHandleOwner {
public:
    explicit TFakeEdge(TKXCustomVertex &vertex) : FVertex(vertex) { Kind = okEdge; }
    int LabelPlacements = 0;

    TKXHandle &Attach(TPoint p)
    {
        FEnds.push_back(std::make_unique<TKXHandle>(this, p, hkStart));
        FVertex.Links.push_back(FEnds.back().get());
        return *FEnds.back();
    }
    void MoveHandle(TKXHandle &handle, TPoint delta) override
    {
        if (FVertex.ContainsPoint({handle.Position.X + delta.X, handle.Position.Y + delta.Y})) {
            handle.Shift(delta);
            ++LabelPlacements;
        }
    }
    void DrawHandleOutline(TKXCanvas &, TKXHandle &, int32_t) override {}

private:
    TKXCustomVertex &FVertex;
    std::vector<std::unique_ptr<TKXHandle>> FEnds;
};

TEST(CustomVertexTest, CreateAtBuildsTheDefaultRectangleWithCornerHandlesInOrder)
{
    auto v = TKXCustomVertex::CreateAt({200, 100});
    EXPECT_EQ(SidesOf(*v), (TRect{150, 75, 250, 125}));
    EXPECT_EQ(v->Kind, okVertex);
    EXPECT_EQ(v->Id, 0);
    EXPECT_TRUE(v->Links.empty());
    ExpectHandlesOnCorners(*v);

    // The class record builds vertices of its class too.
    const TKXVertexClass &record = v->VertexClassType();
    EXPECT_STREQ(record.ClassName, "TKXCustomVertex");
    auto other = record.CreateAt({0, 0});
    EXPECT_EQ(SidesOf(*other), (TRect{-50, -25, 50, 25}));
    EXPECT_EQ(&other->ClassType(), &TKXCustomVertex::ClassRecord);
}

struct TCornerDragCase {
    TKXHandleKind Corner;
    TPoint Delta;
    bool Accepted;
};

class CornerDragTest : public ::testing::TestWithParam<TCornerDragCase> {};

// The vertex (0, 0, 100, 50) keeps more than 10 units of width and of height.
TEST_P(CornerDragTest, AcceptsDragsThatKeepElevenUnitsAndRefusesTheRestWhole)
{
    const TCornerDragCase c = GetParam();
    auto v = VertexWithSides({0, 0, 100, 50});
    TKXHandle *corner = nullptr;
    for (const auto &h : v->Handles)
        if (h->HandleKind == c.Corner)
            corner = h.get();
    ASSERT_NE(corner, nullptr);

    TRect expected{0, 0, 100, 50};
    if (c.Accepted) {
        (c.Corner == hkTopLeft || c.Corner == hkBottomLeft ? expected.Left : expected.Right) += c.Delta.X;
        (c.Corner == hkTopLeft || c.Corner == hkTopRight ? expected.Top : expected.Bottom) += c.Delta.Y;
    }
    corner->MoveBy(c.Delta);
    EXPECT_EQ(SidesOf(*v), expected);
    ExpectHandlesOnCorners(*v);
}

INSTANTIATE_TEST_SUITE_P(
    Corners, CornerDragTest,
    ::testing::Values(TCornerDragCase{hkBottomRight, {-89, 0}, true}, TCornerDragCase{hkBottomRight, {-90, 0}, false},
                      TCornerDragCase{hkBottomRight, {0, -39}, true}, TCornerDragCase{hkBottomRight, {0, -40}, false},
                      TCornerDragCase{hkBottomRight, {-89, -40}, false}, TCornerDragCase{hkBottomRight, {30, 20}, true},
                      TCornerDragCase{hkTopLeft, {89, 39}, true}, TCornerDragCase{hkTopLeft, {90, 0}, false},
                      TCornerDragCase{hkTopLeft, {0, 40}, false}, TCornerDragCase{hkTopLeft, {-5, -5}, true},
                      TCornerDragCase{hkTopRight, {-89, 39}, true}, TCornerDragCase{hkTopRight, {-90, 0}, false},
                      TCornerDragCase{hkTopRight, {10, 40}, false}, TCornerDragCase{hkBottomLeft, {89, -39}, true},
                      TCornerDragCase{hkBottomLeft, {90, 0}, false}, TCornerDragCase{hkBottomLeft, {0, -40}, false}));

TEST(CustomVertexTest, CornerDragPullsAttachedEdgeEndsIntoTheSmallerRectangle)
{
    auto v = VertexWithSides({0, 0, 100, 50});
    TFakeEdge edge(*v);
    TKXHandle &onRight = edge.Attach({100, 25});
    TKXHandle &inside = edge.Attach({20, 10});
    v->Handles[2]->MoveBy({-50, -20});
    EXPECT_EQ(SidesOf(*v), (TRect{0, 0, 50, 30}));
    EXPECT_EQ(onRight.Position, (TPoint{50, 25}));
    EXPECT_EQ(onRight.Bounds, (TRect{46, 21, 54, 29}));
    EXPECT_EQ(inside.Position, (TPoint{20, 10}));
    EXPECT_EQ(edge.LabelPlacements, 0) << "clamping does not re-place labels";
}

TEST(CustomVertexTest, MoveByTakesAttachedEdgeEndsAlongAndClampsOutsideOnes)
{
    auto v = VertexWithSides({0, 0, 100, 50});
    TFakeEdge edge(*v);
    TKXHandle &onLeft = edge.Attach({0, 20});
    TKXHandle &outsideLeft = edge.Attach({-30, 20});
    TKXHandle &outsideBelowRight = edge.Attach({200, 80});
    TKXHandle &inside = edge.Attach({50, 25});

    v->MoveBy({10, 0});
    EXPECT_EQ(SidesOf(*v), (TRect{10, 0, 110, 50}));
    ExpectHandlesOnCorners(*v);
    EXPECT_EQ(onLeft.Position, (TPoint{10, 20}));
    EXPECT_EQ(inside.Position, (TPoint{60, 25}));
    EXPECT_EQ(outsideLeft.Position, (TPoint{10, 20})) << "not moved by the delta, clamped onto the left side";
    EXPECT_EQ(outsideBelowRight.Position, (TPoint{110, 50}));
    EXPECT_EQ(edge.LabelPlacements, 2) << "only the ends that moved along re-place their label";
}

struct THitCase {
    TPoint P;
    int Expected;  // -1 nil, 4 the vertex, 0..3 a corner handle
};

TEST(CustomVertexTest, HitTestPrefersCornerHandlesOverTheBody)
{
    auto v = VertexWithSides({0, 0, 100, 50});
    const THitCase cases[] = {
        {{104, 54}, 2}, {{105, 54}, -1}, {{104, 55}, -1}, {{100, 50}, 2}, {{96, 46}, 2},  {{0, 0}, 0},
        {{-4, 54}, 3},  {{50, 25}, 4},   {{96, 25}, 4},   {{100, 25}, 4}, {{101, 25}, -1}, {{50, -1}, -1}};
    for (const THitCase &c : cases) {
        const TKXObject *expected = c.Expected < 0 ? nullptr
            : c.Expected == 4                      ? static_cast<TKXObject *>(v.get())
                                                   : v->Handles[c.Expected].get();
        EXPECT_EQ(v->HitTest(c.P), expected) << c.P.X << "," << c.P.Y;
    }
    v->Selected = true;
    EXPECT_EQ(v->HitTest({104, 54}), v->Handles[2].get());
}

TEST(CustomVertexTest, InRectAndContainsPointIncludeTheSides)
{
    auto v = VertexWithSides({0, 0, 100, 50});
    EXPECT_TRUE(v->InRect({0, 0, 100, 50}));
    EXPECT_TRUE(v->InRect({-1, -1, 101, 51}));
    for (const TRect &r : {TRect{1, 0, 100, 50}, TRect{0, 1, 100, 50}, TRect{0, 0, 99, 50}, TRect{0, 0, 100, 49}})
        EXPECT_FALSE(v->InRect(r)) << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom;
    EXPECT_TRUE(v->ContainsPoint({100, 50}));
    EXPECT_FALSE(v->ContainsPoint({100, 51}));
}

struct TBorderCase {
    TRect Vertex;
    TPoint P1, P2, Expected;
};

TEST(CustomVertexTest, BorderPointAnswersTheCrossingWithTheLastSideCrossed)
{
    const TBorderCase cases[] = {
        {{0, 0, 100, 50}, {50, 25}, {200, 25}, {100, 25}},
        {{0, 0, 100, 50}, {-50, 25}, {150, 25}, {0, 25}},  // crosses right, then left
        {{0, 0, 100, 50}, {50, 25}, {50, -100}, {50, 0}},
        {{0, 0, 100, 50}, {50, 25}, {150, 125}, {75, 50}},
        {{0, 0, 100, 50}, {50, 25}, {51, 200}, {50, 50}},  // 50.14 rounds down
        {{0, 0, 100, 50}, {10, 10}, {20, 20}, {10, 10}},   // no crossing: P1
        {{0, 0, 100, 50}, {30, 30}, {30, 30}, {30, 30}},
        // Coordinate differences far beyond 46 340: products need 64 bits.
        {{-100000, -50000, 100000, 50000}, {0, 0}, {300000, 0}, {100000, 0}},
        {{-100000, -50000, 100000, 50000}, {0, 0}, {300000, 60000}, {100000, 20000}},
        {{-1000000000, -1000000000, 1000000000, 1000000000}, {0, 0}, {2000000000, 1000000000}, {1000000000, 500000000}},
    };
    for (const TBorderCase &c : cases) {
        auto v = VertexWithSides(c.Vertex);
        EXPECT_EQ(v->BorderPoint(c.P1, c.P2), c.Expected)
            << "(" << c.P1.X << "," << c.P1.Y << ")-(" << c.P2.X << "," << c.P2.Y << ")";
    }
}

TEST(CustomVertexTest, DrawsAWhiteBoxAndItsHandlesOnlyWhenSelectedOnTheScreen)
{
    auto v = TKXCustomVertex::CreateAt({200, 100});
    TKXRecordingCanvas canvas;
    canvas.Pen = {clNavy, psDot, 3, pmNotXor};
    canvas.Brush = {clSilver, bsCross};
    v->Draw(canvas, 50, dmScreen);
    ASSERT_EQ(canvas.Log(), std::vector<std::string>{"Rectangle(75,38,125,62)"});
    EXPECT_EQ(canvas.Calls[0].Pen, (TKXPen{clBlack, psSolid, 3, pmCopy}));
    EXPECT_EQ(canvas.Calls[0].Brush, (TKXBrush{clWhite, bsSolid}));

    v->Selected = true;
    canvas.Clear();
    v->Draw(canvas, 100, dmScreen);
    EXPECT_EQ(canvas.Log(), (std::vector<std::string>{"Rectangle(150,75,250,125)", "Rectangle(146,71,154,79)",
                                                      "Rectangle(246,71,254,79)", "Rectangle(246,121,254,129)",
                                                      "Rectangle(146,121,154,129)"}));
    canvas.Clear();
    v->Draw(canvas, 100, dmPrinter);
    EXPECT_EQ(canvas.Log(), std::vector<std::string>{"Rectangle(150,75,250,125)"});
}

TEST(CustomVertexTest, OutlineIsAnUnfilledNotXorFrameAlsoForItsCornerHandles)
{
    auto v = TKXCustomVertex::CreateAt({200, 100});
    for (TKXObject *source : {static_cast<TKXObject *>(v.get()), static_cast<TKXObject *>(v->Handles[1].get())}) {
        TKXRecordingCanvas canvas;
        source->DrawOutline(canvas, 200);
        ASSERT_EQ(canvas.Log(), std::vector<std::string>{"Rectangle(300,150,500,250)"});
        EXPECT_EQ(canvas.Calls[0].Pen.Mode, pmNotXor);
        EXPECT_EQ(canvas.Calls[0].Pen.Style, psSolid);
        EXPECT_EQ(canvas.Calls[0].Pen.Color, clBlack);
        EXPECT_EQ(canvas.Calls[0].Brush.Style, bsClear);
    }
}

class CustomVertexRecordTest : public TScratchDirTest {
protected:
    TKXObjectList Vertices;
    TKXObjectList Edges;

    void WriteText(const std::string &name, TKXObject &object)
    {
        TKXTextFile file;
        file.Create(Path(name));
        object.WriteToText(file);
        file.Close();
    }
    std::unique_ptr<TKXObject> ReadText(const std::string &name)
    {
        TKXTextFile file;
        file.Open(Path(name));
        auto object = TKXCustomVertex::ClassRecord.CreateFromText(file, Vertices, Edges, nullptr);
        file.Close();
        return object;
    }
    static TBytes WriteStream(TKXObject &object)
    {
        TKXMemoryStream stream;
        {
            TValueWriter writer(stream, 128);
            object.WriteToStream(writer);
        }
        return stream.Bytes();
    }
    std::unique_ptr<TKXObject> ReadStream(const TBytes &bytes)
    {
        TKXMemoryStream stream(bytes);
        TValueReader reader(stream, 128);
        return TKXCustomVertex::ClassRecord.CreateFromStream(reader, Vertices, Edges, nullptr);
    }
};

TEST_F(CustomVertexRecordTest, WritesTheTextAndStreamRecordsOfANewVertex)
{
    auto v = TKXCustomVertex::CreateAt({200, 100});
    v->Id = 7;
    WriteText("v.txt", *v);
    const std::string text = "7\r\n150 75 250 125\r\n";
    EXPECT_EQ(ReadFileBytes(Path("v.txt")), TBytes(text.begin(), text.end()));
    EXPECT_EQ(WriteStream(*v), (TBytes{0x02, 0x07, 0x03, 0x96, 0x00, 0x02, 0x4B, 0x03, 0xFA, 0x00, 0x02, 0x7D}));
}

TEST_F(CustomVertexRecordTest, BothRecordFormsRoundTrip)
{
    const std::pair<int32_t, TRect> cases[] = {
        {7, {150, 75, 250, 125}}, {3, {0, 0, 300, 40}}, {12, {10, 20, 250, 80}}, {-5, {-70000, -3, -200, 99999}}};
    for (const auto &[id, sides] : cases) {
        auto v = VertexWithSides(sides);
        v->Id = id;
        WriteText("v.txt", *v);
        std::vector<std::unique_ptr<TKXObject>> reads;
        reads.push_back(ReadText("v.txt"));
        reads.push_back(ReadStream(WriteStream(*v)));
        for (const auto &read : reads) {
            auto *back = dynamic_cast<TKXCustomVertex *>(read.get());
            ASSERT_NE(back, nullptr);
            EXPECT_EQ(&back->ClassType(), &TKXCustomVertex::ClassRecord);
            EXPECT_EQ(back->Id, id);
            EXPECT_EQ(SidesOf(*back), sides);
            ExpectHandlesOnCorners(*back);
        }
    }
}

TEST_F(CustomVertexRecordTest, TextReaderSkipsTheRestOfEachLine)
{
    WriteFileBytes(Path("v.txt"), [] {
        const std::string s = "7 and more\r\n150  75 250 125 999\r\nnext record\r\n";
        return TBytes(s.begin(), s.end());
    }());
    TKXTextFile file;
    file.Open(Path("v.txt"));
    auto read = TKXCustomVertex::CreateFromText(file, Vertices, Edges, nullptr);
    EXPECT_EQ(read->Id, 7);
    EXPECT_EQ(SidesOf(*read), (TRect{150, 75, 250, 125}));
    EXPECT_EQ(file.ReadLine(), "next record");
}

TEST_F(CustomVertexRecordTest, BrokenRecordsFailWithTheReadersErrors)
{
    const std::string text = "7\r\n150 75 x 125\r\n";
    WriteFileBytes(Path("bad.txt"), TBytes(text.begin(), text.end()));
    EXPECT_THROW(ReadText("bad.txt"), EInOutError);

    auto v = TKXCustomVertex::CreateAt({200, 100});
    TBytes bytes = WriteStream(*v);
    EXPECT_THROW(ReadStream(TBytes(bytes.begin(), bytes.end() - 2)), EReadError);
    bytes[0] = tagString;
    EXPECT_THROW(ReadStream(bytes), EReadError);
}

}
