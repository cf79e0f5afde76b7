#include "KXGR/core/KXEdge.h"

#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXVertex.h"
#include "support/KXRecordingCanvas.h"

#include <gtest/gtest.h>

namespace {

// An edge from (0, 0) to (100, 0) between two default vertices; its label starts at (50, 0).
class AdjacentTest : public ::testing::Test {
protected:
    std::unique_ptr<TKXCustomVertex> Source = TKXCustomVertex::CreateAt({0, 0});
    std::unique_ptr<TKXCustomVertex> Target = TKXCustomVertex::CreateAt({100, 0});
    TKXCustomEdge Edge{Source.get(), Target.get(), {0, 0}, {100, 0}};
    TKXAdjacent &Label = *Edge.Adjacent;
    TKXHandle &Anchor = *Edge.Adjacent->Anchor;
};

TEST_F(AdjacentTest, CreationPutsLabelAndAnchorOnThePoint)
{
    EXPECT_EQ(Label.Kind, okAdjacent);
    EXPECT_EQ(Label.Position, (TPoint{50, 0}));
    EXPECT_EQ(Label.Bounds, (TRect{50, 0, 50, 0}));
    EXPECT_TRUE(Label.Caption.empty());
    EXPECT_EQ(Anchor.HandleKind, hkAnchor);
    EXPECT_EQ(Anchor.Links[0], &Label);
    EXPECT_EQ(Anchor.Position, (TPoint{50, 0}));
}

struct TSlideCase {
    const char *Name;
    TPoint From;
    TPoint Delta;
    TPoint To;
};

class AnchorSlideTest : public AdjacentTest, public ::testing::WithParamInterface<TSlideCase> {};

TEST_P(AnchorSlideTest, AnchorSlidesAlongTheLineOfTheFirstSegment)
{
    const TSlideCase &c = GetParam();
    Anchor.PlaceAt(c.From);
    Anchor.MoveBy(c.Delta);
    EXPECT_EQ(Anchor.Position, c.To);
    EXPECT_EQ(Anchor.Bounds, (TRect{c.To.X - 4, c.To.Y - 4, c.To.X + 4, c.To.Y + 4}));
    EXPECT_EQ(Label.Position, (TPoint{50, 0}));
}

INSTANTIATE_TEST_SUITE_P(
    Drags, AnchorSlideTest,
    ::testing::Values(TSlideCase{"Example", {50, 0}, {30, 40}, {80, 0}},
                      TSlideCase{"BeyondTheEnd", {50, 0}, {100, -7}, {150, 0}},
                      TSlideCase{"BeforeTheStart", {10, 0}, {-30, 3}, {-20, 0}}),
    [](const auto &info) { return std::string(info.param.Name); });

TEST_F(AdjacentTest, AnchorFollowsTheFirstSegmentOnlyAndFailsOnADegenerateOne)
{
    Edge.InsertBendPoint({50, 2});  // first segment now (0, 0)-(50, 0)
    Edge.Handles[1]->PlaceAt({0, 100});
    Anchor.PlaceAt({0, 10});
    Anchor.MoveBy({7, 20});
    EXPECT_EQ(Anchor.Position, (TPoint{0, 30}));

    Edge.Handles[1]->PlaceAt({0, 0});
    EXPECT_THROW(Anchor.MoveBy({5, 5}), EInvalidOp);
    EXPECT_EQ(Anchor.Position, (TPoint{0, 30}));
}

TEST_F(AdjacentTest, EmptyCaptionDrawsNothingButItsAnchorStillAnswers)
{
    Label.Selected = true;
    TKXRecordingCanvas canvas;
    Label.Draw(canvas, 100, dmScreen);
    Label.DrawOutline(canvas, 100);
    EXPECT_TRUE(canvas.Calls.empty());
    EXPECT_EQ(Label.Bounds, (TRect{50, 0, 50, 0}));

    Label.MoveBy({0, 30});
    EXPECT_EQ(Label.HitTest({53, 3}), &Anchor);
    EXPECT_EQ(Label.HitTest({50, 30}), &Label);
    EXPECT_EQ(Edge.HitTest({50, 30}), &Label);
    EXPECT_EQ(Label.HitTest({55, 0}), nullptr);
}

struct TCaptionCase {
    int32_t Scale;
    int32_t FontSize;
    std::vector<std::string> Expected;
};

class AdjacentDrawTest : public AdjacentTest, public ::testing::WithParamInterface<TCaptionCase> {};

TEST_P(AdjacentDrawTest, WritesTheCaptionCentredInArialAtTheScaleWithADottedLine)
{
    const TCaptionCase &c = GetParam();
    Label.Caption = "Label";
    Label.MoveBy({50, 50});  // label at (100, 50), anchor at (50, 0)
    TKXRecordingCanvas canvas;
    canvas.Font.Size = 8;  // extent 30 x 12 in the entry font
    Label.Draw(canvas, c.Scale, dmScreen);

    EXPECT_EQ(Label.Bounds, (TRect{85, 44, 115, 56}));
    EXPECT_EQ(canvas.Log(), c.Expected);
    const TKXCanvasCall text = canvas.CallsOf("TextOut").at(0);
    EXPECT_EQ(text.Font.Name, "Arial");
    EXPECT_EQ(text.Font.Size, c.FontSize);
    EXPECT_EQ(text.Brush.Style, bsClear);
    const TKXCanvasCall line = canvas.CallsOf("LineTo").at(0);
    EXPECT_EQ(line.Pen, (TKXPen{clBlack, psDot, 1, pmCopy}));
}

INSTANTIATE_TEST_SUITE_P(
    Scales, AdjacentDrawTest,
    ::testing::Values(TCaptionCase{200, 20, {"TextOut(185,88,\"Label\")", "MoveTo(100,0)", "LineTo(200,100)"}},
                      TCaptionCase{100, 10, {"TextOut(85,43,\"Label\")", "MoveTo(50,0)", "LineTo(100,50)"}}),
    [](const auto &info) { return "Scale" + std::to_string(info.param.Scale); });

TEST_F(AdjacentTest, BoundsAreRecomputedAtEveryDrawWithHalvesRoundedToEven)
{
    Label.Caption = "abc";
    TKXRecordingCanvas canvas;
    canvas.CharWidth = 5;
    canvas.Font.Size = 9;  // extent 15 x 13
    Label.Draw(canvas, 100, dmScreen);
    EXPECT_EQ(Label.Bounds, (TRect{42, -6, 58, 6}));

    canvas.CharWidth = 8;  // the font left by the first draw: Arial 10, extent 24 x 14
    Label.Draw(canvas, 100, dmScreen);
    EXPECT_EQ(Label.Bounds, (TRect{38, -7, 62, 7}));
}

TEST_F(AdjacentTest, SelectedLabelShowsItsFrameAndAnchorOnTheScreenOnly)
{
    Label.Caption = "Label";
    Label.Selected = true;
    Label.MoveBy({50, 50});
    TKXRecordingCanvas canvas;
    canvas.Font.Size = 8;
    Label.Draw(canvas, 100, dmScreen);
    const std::vector<TKXCanvasCall> frames = canvas.CallsOf("Rectangle");
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].ToString(), "Rectangle(85,44,115,56)");
    EXPECT_EQ(frames[0].Pen.Style, psDot);
    EXPECT_EQ(frames[0].Brush.Style, bsClear);
    EXPECT_EQ(frames[1].ToString(), "Rectangle(46,-4,54,4)");

    canvas.Clear();
    Label.Draw(canvas, 100, dmPrinter);
    EXPECT_TRUE(canvas.CallsOf("Rectangle").empty());
}

TEST_F(AdjacentTest, MoveByMovesTheLabelButNotTheAnchorEndOfTheLine)
{
    Label.Caption = "Label";
    Label.Bounds = {80, 40, 120, 60};
    Label.Position = {100, 50};
    Label.MoveBy({5, 5});
    EXPECT_EQ(Label.Position, (TPoint{105, 55}));
    EXPECT_EQ(Label.Bounds, (TRect{85, 45, 125, 65}));
    EXPECT_EQ(Anchor.Position, (TPoint{50, 0}));

    TKXRecordingCanvas canvas;
    Label.DrawOutline(canvas, 100);
    EXPECT_EQ(canvas.Log(), (std::vector<std::string>{"Rectangle(85,45,125,65)", "MoveTo(50,0)", "LineTo(105,55)"}));
    for (const TKXCanvasCall &call : canvas.Calls)
        EXPECT_EQ(call.Pen, (TKXPen{clBlack, psSolid, 1, pmNotXor}));

    // A drag of the anchor is fed back by the whole label's outline.
    canvas.Clear();
    Anchor.DrawOutline(canvas, 100);
    EXPECT_EQ(canvas.Log().size(), 3u);
}

}
