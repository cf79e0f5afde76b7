#include "KXGR/core/KXHandle.h"

#include "KXGR/core/KXErrors.h"
#include "support/KXRecordingCanvas.h"

#include <gtest/gtest.h>

namespace {

// An owner of a chosen kind that records what its handles hand to it.
class TRecordingOwner : public TKXObject, public TKXHandleOwner {
public:
    explicit TRecordingOwner(TKXObjectKind kind) { Kind = kind; }
    std::vector<std::pair<TKXHandle *, TPoint>> Moves;
    std::vector<TKXHandle *> Outlines;
    void MoveHandle(TKXHandle &handle, TPoint delta) override { Moves.emplace_back(&handle, delta); }
    void DrawHandleOutline(TKXCanvas &, TKXHandle &handle, int32_t) override { Outlines.push_back(&handle); }
};

// An object of the right kind that owns no handles.
class TPlainObject : public TKXObject {
public:
    explicit TPlainObject(TKXObjectKind kind) { Kind = kind; }
};

TEST(HandleTest, HitSquareIsFourUnitsEachSideAndFollowsShiftAndPlaceAt)
{
    TPlainObject owner(okVertex);
    TKXHandle handle(&owner, {10, 20}, hkTopLeft);
    EXPECT_EQ(handle.Bounds, (TRect{6, 16, 14, 24}));
    EXPECT_EQ(handle.Kind, okHandle);
    ASSERT_EQ(handle.Links.size(), 1u);
    EXPECT_EQ(handle.Links[0], &owner);

    EXPECT_EQ(handle.HitTest({14, 24}), &handle);
    EXPECT_EQ(handle.HitTest({6, 16}), &handle);
    EXPECT_EQ(handle.HitTest({15, 24}), nullptr);
    EXPECT_EQ(handle.HitTest({10, 15}), nullptr);

    handle.Shift({3, -2});
    EXPECT_EQ(handle.Position, (TPoint{13, 18}));
    EXPECT_EQ(handle.Bounds, (TRect{9, 14, 17, 22}));

    handle.PlaceAt({-100, 7});
    EXPECT_EQ(handle.Bounds, (TRect{-104, 3, -96, 11}));
}

TEST(HandleTest, DrawsAFixedEightPixelBlackSquareAtTheScaledPosition)
{
    TPlainObject owner(okVertex);
    TKXHandle handle(&owner, {10, 20}, hkTopLeft);
    for (const auto &[scale, expected] : std::vector<std::pair<int32_t, std::string>>{
             {200, "Rectangle(16,36,24,44)"}, {100, "Rectangle(6,16,14,24)"}, {50, "Rectangle(1,6,9,14)"}}) {
        TKXRecordingCanvas canvas;
        canvas.Pen.Mode = pmNotXor;
        canvas.Pen.Style = psDot;
        canvas.Brush = {clWhite, bsClear};
        handle.Draw(canvas, scale, dmPrinter);
        ASSERT_EQ(canvas.Log(), std::vector<std::string>{expected}) << "scale " << scale;
        const TKXCanvasCall &call = canvas.Calls[0];
        EXPECT_EQ(call.Pen.Color, clBlack);
        EXPECT_EQ(call.Pen.Style, psSolid);
        EXPECT_EQ(call.Pen.Mode, pmNotXor) << "the pen mode is the owner's business";
        EXPECT_EQ(call.Brush, (TKXBrush{clBlack, bsSolid}));
    }
}

TEST(HandleTest, MoveByAndDrawOutlineGoToTheOwner)
{
    TRecordingOwner edge(okEdge);
    TKXHandle bend(&edge, {0, 0}, hkBend);
    bend.MoveBy({5, -6});
    ASSERT_EQ(edge.Moves.size(), 1u);
    EXPECT_EQ(edge.Moves[0].first, &bend);
    EXPECT_EQ(edge.Moves[0].second, (TPoint{5, -6}));
    EXPECT_EQ(bend.Position, (TPoint{0, 0})) << "the owner decides whether the handle moves";

    TKXRecordingCanvas canvas;
    bend.DrawOutline(canvas, 100);
    EXPECT_EQ(edge.Outlines, std::vector<TKXHandle *>{&bend});
}

struct TKindOwnerCase {
    TKXHandleKind HandleKind;
    TKXObjectKind OwnerKind;
    bool Fits;
};

class HandleOwnerKindTest : public ::testing::TestWithParam<TKindOwnerCase> {};

TEST_P(HandleOwnerKindTest, MoveByRaisesInvalidCastWhenTheOwnerDoesNotFitTheKind)
{
    const TKindOwnerCase c = GetParam();
    TRecordingOwner owner(c.OwnerKind);
    TKXHandle handle(&owner, {1, 2}, c.HandleKind);
    if (c.Fits) {
        handle.MoveBy({1, 1});
        EXPECT_EQ(owner.Moves.size(), 1u);
    } else {
        try {
            handle.MoveBy({1, 1});
            FAIL() << "no error";
        } catch (const EInvalidCast &e) {
            EXPECT_STREQ(e.what(), "Ungültige Typumwandlung");
        }
        EXPECT_TRUE(owner.Moves.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, HandleOwnerKindTest,
                         ::testing::Values(TKindOwnerCase{hkBend, okEdge, true}, TKindOwnerCase{hkStart, okEdge, true},
                                           TKindOwnerCase{hkEnd, okEdge, true},
                                           TKindOwnerCase{hkTopLeft, okVertex, true},
                                           TKindOwnerCase{hkBottomRight, okVertex, true},
                                           TKindOwnerCase{hkAnchor, okAdjacent, true},
                                           TKindOwnerCase{hkBend, okVertex, false},
                                           TKindOwnerCase{hkEnd, okAdjacent, false},
                                           TKindOwnerCase{hkTopRight, okEdge, false},
                                           TKindOwnerCase{hkBottomLeft, okAdjacent, false},
                                           TKindOwnerCase{hkAnchor, okEdge, false},
                                           TKindOwnerCase{static_cast<TKXHandleKind>(8), okVertex, false}));

TEST(HandleTest, AnOwnerThatOwnsNoHandlesIsAnInvalidCast)
{
    TPlainObject vertex(okVertex);
    TKXHandle handle(&vertex, {0, 0}, hkTopLeft);
    TKXRecordingCanvas canvas;
    EXPECT_THROW(handle.MoveBy({1, 1}), EInvalidCast);
    EXPECT_THROW(handle.DrawOutline(canvas, 100), EInvalidCast);

    TKXHandle orphan(nullptr, {0, 0}, hkBend);
    EXPECT_THROW(orphan.MoveBy({1, 1}), EInvalidCast);
}

}
