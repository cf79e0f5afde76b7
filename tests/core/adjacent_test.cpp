#include "KXGR/core/KXEdge.h"

#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXVertex.h"
#include "support/KXRecordingCanvas.h"

#include <gtest/gtest.h>

namespace {

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
