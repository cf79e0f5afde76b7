#include "KXGR/core/KXVertex.h"

#include "KXGR/core/KXEdge.h"
#include "KXGR/core/KXErrors.h"
#include "TestRecords.h"
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
        const TPoint p = corners[i];
        EXPECT_EQ(std::tuple(v.Handles[i]->HandleKind, v.Handles[i]->Bounds, v.Handles[i]->Links[0]),
                  std::tuple(kinds[i], TRect{p.X - 4, p.Y - 4, p.X + 4, p.Y + 4}, &v)) << "handle " << i;
    }
}

std::unique_ptr<TKXCustomVertex> VertexWithSides(TRect r)
{
    auto v = TKXCustomVertex::CreateAt({0, 0});
    std::tie(v->Left, v->Top, v->Right, v->Bottom) = std::tie(r.Left, r.Top, r.Right, r.Bottom);
    v->AdjustHandles();
    return v;
}

TEST(CustomVertex, CreateAtBuildsTheDefaultRectangleWithCornerHandlesInOrder)
{
    auto v = TKXCustomVertex::CreateAt({200, 100});
    EXPECT_EQ(SidesOf(*v), (TRect{150, 75, 250, 125}));
    ExpectHandlesOnCorners(*v);
    auto other = v->VertexClassType().CreateAt({0, 0}); // the class record builds its own class
    EXPECT_EQ(SidesOf(*other), (TRect{-50, -25, 50, 25}));
    EXPECT_EQ(&other->ClassType(), &TKXCustomVertex::ClassRecord);
}

// The vertex (0, 0, 100, 50) keeps more than 10 units of width and of height; a refused drag
// changes neither coordinate.
TEST(CustomVertex, CornerDragsKeepElevenUnitsOrAreRefusedWhole)
{
    const std::tuple<int, TPoint, TRect> cases[] = { // corner handle index, drag, sides after
        {2, {-89, 0}, {0, 0, 11, 50}},    {2, {-90, 0}, {0, 0, 100, 50}},  {2, {0, -39}, {0, 0, 100, 11}},
        {2, {-89, -40}, {0, 0, 100, 50}}, {2, {30, 20}, {0, 0, 130, 70}},  {0, {89, 39}, {89, 39, 100, 50}},
        {0, {90, 0}, {0, 0, 100, 50}},    {1, {-89, 39}, {0, 39, 11, 50}}, {1, {10, 40}, {0, 0, 100, 50}},
        {3, {89, -39}, {89, 0, 100, 11}}, {3, {0, -40}, {0, 0, 100, 50}}};
    for (const auto &[corner, delta, after] : cases) {
        SCOPED_TRACE(testing::Message() << "corner " << corner << " by " << delta.X << "," << delta.Y);
        auto v = VertexWithSides({0, 0, 100, 50});
        v->Handles[corner]->MoveBy(delta);
        EXPECT_EQ(SidesOf(*v), after);
        ExpectHandlesOnCorners(*v);
    }
}

TEST(CustomVertex, MovesTakeAttachedEdgeEndsAlongAndClampOthersInside)
{
    auto v = VertexWithSides({0, 0, 100, 50});
    auto other = VertexWithSides({300, 0, 400, 50});
    TKXCustomEdge onLeft(v.get(), other.get(), {0, 20}, {300, 20});
    TKXCustomEdge inside(v.get(), other.get(), {50, 25}, {300, 20});
    TKXCustomEdge outsideLeft(v.get(), other.get(), {0, 20}, {300, 20});
    TKXCustomEdge outsideBelowRight(v.get(), other.get(), {0, 20}, {300, 20});
    outsideLeft.Handles[0]->PlaceAt({-30, 20});
    outsideBelowRight.Handles[0]->PlaceAt({200, 80});
    v->MoveBy({10, 0});
    EXPECT_EQ(SidesOf(*v), (TRect{10, 0, 110, 50}));
    ExpectHandlesOnCorners(*v);
    EXPECT_EQ(onLeft.Handles[0]->Position, (TPoint{10, 20}));
    EXPECT_EQ(onLeft.Adjacent->Anchor->Position, (TPoint{155, 20})) << "an end that moved along re-places its label";
    EXPECT_EQ(inside.Handles[0]->Position, (TPoint{60, 25}));
    EXPECT_EQ(outsideLeft.Handles[0]->Position, (TPoint{10, 20})) << "not moved by the delta, clamped onto the side";
    EXPECT_EQ(outsideLeft.Adjacent->Anchor->Position, (TPoint{150, 20})) << "clamping does not re-place labels";
    EXPECT_EQ(outsideBelowRight.Handles[0]->Position, (TPoint{110, 50}));

    // A smaller rectangle pulls the ends in.
    v->Handles[2]->MoveBy({-50, -20});
    EXPECT_EQ(SidesOf(*v), (TRect{10, 0, 60, 30}));
    EXPECT_EQ(inside.Handles[0]->Position, (TPoint{60, 25}));
    EXPECT_EQ(outsideBelowRight.Handles[0]->Bounds, (TRect{56, 26, 64, 34}));
}

TEST(CustomVertex, HitTestPrefersCornerHandlesAndIncludesTheSides)
{
    auto v = VertexWithSides({0, 0, 100, 50});
    const std::pair<TPoint, int> cases[] = { // -1 nil, 4 the vertex, 0..3 a corner handle
        {{104, 54}, 2}, {{105, 54}, -1}, {{104, 55}, -1}, {{100, 50}, 2},   {{96, 46}, 2}, {{0, 0}, 0},
        {{-4, 54}, 3},  {{50, 25}, 4},   {{100, 25}, 4},  {{101, 25}, -1}, {{50, -1}, -1}};
    for (const auto &[p, index] : cases) {
        const TKXObject *expected = index < 0   ? nullptr
                                    : index == 4 ? static_cast<TKXObject *>(v.get())
                                                 : v->Handles[index].get();
        EXPECT_EQ(v->HitTest(p), expected) << p.X << "," << p.Y;
    }
    EXPECT_TRUE(v->InRect({0, 0, 100, 50}));
    EXPECT_FALSE(v->InRect({0, 0, 100, 49}));
    EXPECT_FALSE(v->InRect({1, 0, 100, 50}));
}

TEST(CustomVertex, BorderPointAnswersTheCrossingWithTheLastSideCrossed)
{
    // Rows: the vertex, P1, P2, the answer. The second row crosses the right side, then the left;
    // in the fifth 50.14 rounds down; the sixth crosses nothing and answers P1. The last two have
    // coordinate differences far beyond 46 340, whose products need 64 bits.
    const std::tuple<TRect, TPoint, TPoint, TPoint> cases[] = {
        {{0, 0, 100, 50}, {50, 25}, {200, 25}, {100, 25}},  {{0, 0, 100, 50}, {-50, 25}, {150, 25}, {0, 25}},
        {{0, 0, 100, 50}, {50, 25}, {50, -100}, {50, 0}},   {{0, 0, 100, 50}, {50, 25}, {150, 125}, {75, 50}},
        {{0, 0, 100, 50}, {50, 25}, {51, 200}, {50, 50}},   {{0, 0, 100, 50}, {10, 10}, {20, 20}, {10, 10}},
        {{-100000, -50000, 100000, 50000}, {0, 0}, {300000, 60000}, {100000, 20000}},
        {{-1000000000, -1000000000, 1000000000, 1000000000}, {0, 0}, {2000000000, 1000000000}, {1000000000, 500000000}}};
    for (const auto &[sides, p1, p2, expected] : cases)
        EXPECT_EQ(VertexWithSides(sides)->BorderPoint(p1, p2), expected) << p2.X << "," << p2.Y;
}

TEST(CustomVertex, DrawsAWhiteBoxWithHandlesOnlyWhenSelectedOnTheScreen)
{
    auto v = TKXCustomVertex::CreateAt({200, 100});
    TKXRecordingCanvas canvas;
    canvas.Pen = {clNavy, psDot, 3, pmNotXor};
    canvas.Brush = {clSilver, bsCross};
    v->Draw(canvas, 50, dmScreen);
    v->Selected = true;
    v->Draw(canvas, 100, dmPrinter);
    v->Draw(canvas, 100, dmScreen);
    EXPECT_EQ(canvas.Log(), (std::vector<std::string>{"Rectangle(75,38,125,62)", "Rectangle(150,75,250,125)",
                                                      "Rectangle(150,75,250,125)", "Rectangle(146,71,154,79)",
                                                      "Rectangle(246,71,254,79)", "Rectangle(246,121,254,129)",
                                                      "Rectangle(146,121,154,129)"}));
    EXPECT_EQ(std::pair(canvas.Calls[0].Pen, canvas.Calls[0].Brush),
              std::pair(TKXPen{clBlack, psSolid, 3, pmCopy}, TKXBrush{clWhite, bsSolid}));
    EXPECT_EQ(std::pair(canvas.Calls[3].Pen, canvas.Calls[3].Brush), // a handle keeps width and mode
              std::pair(TKXPen{clBlack, psSolid, 3, pmCopy}, TKXBrush{clBlack, bsSolid}));

    // The outline, also of a corner handle, is an unfilled not-xor frame.
    canvas.Clear();
    v->DrawOutline(canvas, 200);
    v->Handles[1]->DrawOutline(canvas, 200);
    EXPECT_EQ(canvas.Log(), std::vector<std::string>(2, "Rectangle(300,150,500,250)"));
    for (const TKXCanvasCall &call : canvas.Calls)
        EXPECT_EQ(std::pair(call.Pen, call.Brush.Style), std::pair(TKXPen{clBlack, psSolid, 3, pmNotXor}, bsClear));
}

// An owner of a chosen kind that records the moves its handles hand to it.
class TRecordingOwner : public TKXObject, public TKXHandleOwner {
public:
    explicit TRecordingOwner(TKXObjectKind kind) { Kind = kind; }
    std::vector<std::pair<TKXHandle *, TPoint>> Moves;
    int Outlines = 0;
    void MoveHandle(TKXHandle &handle, TPoint delta) override { Moves.emplace_back(&handle, delta); }
    void DrawHandleOutline(TKXCanvas &, TKXHandle &, int32_t) override { ++Outlines; }
};

TEST(Handle, MovesGoToAnOwnerThatFitsTheKindAndAreAnInvalidCastOtherwise)
{
    TRecordingOwner edge(okEdge), label(okAdjacent);
    TKXHandle bend(&edge, {1, 2}, hkBend), misplaced(&label, {0, 0}, hkEnd), orphan(nullptr, {0, 0}, hkBend);
    bend.MoveBy({5, -6});
    EXPECT_EQ(edge.Moves, (std::vector{std::make_pair(&bend, TPoint{5, -6})}));
    EXPECT_EQ(bend.Position, (TPoint{1, 2})) << "the owner decides whether the handle moves";
    TKXRecordingCanvas canvas;
    bend.DrawOutline(canvas, 100);
    EXPECT_EQ(edge.Outlines, 1);
    ExpectError<EInvalidCast>([&] { misplaced.MoveBy({1, 1}); }, "Ungültige Typumwandlung");
    EXPECT_TRUE(label.Moves.empty());
    EXPECT_THROW(orphan.MoveBy({1, 1}), EInvalidCast) << "no owner at all";
    EXPECT_THROW(orphan.DrawOutline(canvas, 100), EInvalidCast);
}

using CustomVertexRecord = TRecordTest;

TEST_F(CustomVertexRecord, WritesTheExampleRecordsAndReadsBothFormsBack)
{
    auto v = TKXCustomVertex::CreateAt({200, 100});
    v->Id = 7;
    EXPECT_EQ(TextOf(*v), "7\r\n150 75 250 125\r\n");
    EXPECT_EQ(BytesOfRecord(*v), (TBytes{0x02, 0x07, 0x03, 0x96, 0x00, 0x02, 0x4B, 0x03, 0xFA, 0x00, 0x02, 0x7D}));

    for (const TRect sides : {TRect{150, 75, 250, 125}, TRect{0, 0, 300, 40}, TRect{10, 20, 250, 80},
                              TRect{-70000, -3, -200, 99999}}) {
        auto original = VertexWithSides(sides);
        original->Id = -5;
        for (const auto &back : ReadBack<TKXCustomVertex>(*original)) {
            EXPECT_EQ(back->Id, -5);
            EXPECT_EQ(SidesOf(*back), sides);
            ExpectHandlesOnCorners(*back);
        }
    }
}

TEST_F(CustomVertexRecord, TextReaderSkipsTheRestOfEachLineAndBrokenRecordsFail)
{
    auto read = FromText<TKXCustomVertex>("7 and more\r\n150  75 250 125 999\r\nnext record\r\n");
    EXPECT_EQ(read->Id, 7);
    EXPECT_EQ(SidesOf(*read), (TRect{150, 75, 250, 125}));
    EXPECT_EQ(In.ReadLine(), "next record");

    EXPECT_THROW(FromText<TKXCustomVertex>("7\r\n150 75 x 125\r\n"), EInOutError);
    TBytes bytes = BytesOfRecord(*read);
    EXPECT_THROW(FromBytes<TKXCustomVertex>(TBytes(bytes.begin(), bytes.end() - 2)), EReadError);
    bytes[0] = tagString;
    EXPECT_THROW(FromBytes<TKXCustomVertex>(bytes), EReadError);
}

}
