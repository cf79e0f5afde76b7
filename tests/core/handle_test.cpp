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

}
