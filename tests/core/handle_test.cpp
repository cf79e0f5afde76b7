#include "KXGR/core/KXHandle.h"

#include "KXGR/core/KXErrors.h"
#include "TestFiles.h"
#include "support/KXRecordingCanvas.h"

#include <gtest/gtest.h>

namespace {

// An owner of a chosen kind that records the moves its handles hand to it.
class TRecordingOwner : public TKXObject, public TKXHandleOwner {
public:
    explicit TRecordingOwner(TKXObjectKind kind) { Kind = kind; }
    std::vector<std::pair<TKXHandle *, TPoint>> Moves;
    int Outlines = 0;
    void MoveHandle(TKXHandle &handle, TPoint delta) override { Moves.emplace_back(&handle, delta); }
    void DrawHandleOutline(TKXCanvas &, TKXHandle &, int32_t) override { ++Outlines; }
};

// An object of the right kind that owns no handles.
struct TPlainObject : TKXObject {
    explicit TPlainObject(TKXObjectKind kind) { Kind = kind; }
};

TEST(Handle, HitSquareIsFourUnitsEachSideAndFollowsShiftAndPlaceAt)
{
    TPlainObject owner(okVertex);
    TKXHandle handle(&owner, {10, 20}, hkTopLeft);
    EXPECT_EQ(handle.Bounds, (TRect{6, 16, 14, 24}));
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

TEST(Handle, DrawsAFixedEightPixelBlackSquareAtTheScaledPosition)
{
    TPlainObject owner(okVertex);
    TKXHandle handle(&owner, {10, 20}, hkTopLeft);
    for (const auto &[scale, expected] : std::vector<std::pair<int32_t, std::string>>{
             {200, "Rectangle(16,36,24,44)"}, {100, "Rectangle(6,16,14,24)"}, {50, "Rectangle(1,6,9,14)"}}) {
        TKXRecordingCanvas canvas;
        canvas.Pen = {clNavy, psDot, 1, pmNotXor};
        canvas.Brush = {clWhite, bsClear};
        handle.Draw(canvas, scale, dmPrinter);
        ASSERT_EQ(canvas.Log(), std::vector<std::string>{expected}) << "scale " << scale;
        EXPECT_EQ(canvas.Calls[0].Pen, (TKXPen{clBlack, psSolid, 1, pmNotXor})) << "the mode is the owner's business";
        EXPECT_EQ(canvas.Calls[0].Brush, (TKXBrush{clBlack, bsSolid}));
    }
}

TEST(Handle, MoveByAndDrawOutlineGoToTheOwner)
{
    TRecordingOwner edge(okEdge);
    TKXHandle bend(&edge, {0, 0}, hkBend);
    bend.MoveBy({5, -6});
    ASSERT_EQ(edge.Moves.size(), 1u);
    EXPECT_EQ(edge.Moves[0], std::make_pair(&bend, TPoint{5, -6}));
    EXPECT_EQ(bend.Position, (TPoint{0, 0})) << "the owner decides whether the handle moves";
    TKXRecordingCanvas canvas;
    bend.DrawOutline(canvas, 100);
    EXPECT_EQ(edge.Outlines, 1);
}

TEST(Handle, MoveByRaisesInvalidCastWhenTheOwnerDoesNotFitTheKind)
{
    const struct {
        TKXHandleKind HandleKind;
        TKXObjectKind OwnerKind;
        bool Fits;
    } cases[] = {{hkBend, okEdge, true},        {hkStart, okEdge, true},          {hkEnd, okEdge, true},
                 {hkTopLeft, okVertex, true},   {hkBottomRight, okVertex, true}, {hkAnchor, okAdjacent, true},
                 {hkBend, okVertex, false},     {hkEnd, okAdjacent, false},      {hkTopRight, okEdge, false},
                 {hkBottomLeft, okAdjacent, false}, {hkAnchor, okEdge, false},
                 {static_cast<TKXHandleKind>(8), okVertex, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE("handle kind " + std::to_string(c.HandleKind) + ", owner kind " + std::to_string(c.OwnerKind));
        TRecordingOwner owner(c.OwnerKind);
        TKXHandle handle(&owner, {1, 2}, c.HandleKind);
        if (c.Fits)
            handle.MoveBy({1, 1});
        else
            ExpectError<EInvalidCast>([&] { handle.MoveBy({1, 1}); }, "Ungültige Typumwandlung");
        EXPECT_EQ(owner.Moves.size(), c.Fits ? 1u : 0u);
    }
    // Owners that own no handles, or none at all.
    TPlainObject vertex(okVertex);
    TKXHandle handle(&vertex, {0, 0}, hkTopLeft), orphan(nullptr, {0, 0}, hkBend);
    TKXRecordingCanvas canvas;
    EXPECT_THROW(handle.MoveBy({1, 1}), EInvalidCast);
    EXPECT_THROW(handle.DrawOutline(canvas, 100), EInvalidCast);
    EXPECT_THROW(orphan.MoveBy({1, 1}), EInvalidCast);
}

}
