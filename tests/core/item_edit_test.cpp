// Picking, handles and drags of style items, in item coordinates.
#include "KXGR/core/KXItemEdit.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

TKXDrawItem *AddDraw(TKXVertexStyle &style, TKXItemShape shape, TRect r, TKXItemGrowth growth = igNone)
{
    auto item = std::make_unique<TKXDrawItem>();
    item->Shape = shape;
    item->X1 = r.Left, item->Y1 = r.Top, item->X2 = r.Right, item->Y2 = r.Bottom;
    item->Growth = growth;
    style.DrawItems.push_back(std::move(item));
    return style.DrawItems.back().get();
}

TKXTextItem *AddText(TKXVertexStyle &style, TRect r, TKXItemGrowth growth = igNone)
{
    auto item = std::make_unique<TKXTextItem>();
    item->X1 = r.Left, item->Y1 = r.Top, item->X2 = r.Right, item->Y2 = r.Bottom;
    item->Growth = growth;
    style.TextItems.push_back(std::move(item));
    return style.TextItems.back().get();
}

struct PickCase {
    TPoint P;
    std::optional<TKXItemRef> Expected;
};

class ItemAtTest : public ::testing::TestWithParam<PickCase> {};

// A frame, a box inside it, a diagonal line over both, and a title text on top of all.
TEST_P(ItemAtTest, TheTopmostItemIsPicked)
{
    TKXVertexStyle style;
    AddDraw(style, isRectangle, {0, 0, 100, 50});
    AddDraw(style, isEllipse, {40, 30, 10, 10});  // corners in reverse order still cover it
    AddDraw(style, isLine, {0, 50, 100, 0});
    AddText(style, {20, 5, 80, 20});
    EXPECT_EQ(ItemAt(style, GetParam().P), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Points, ItemAtTest,
                         ::testing::Values(PickCase{{30, 10}, TKXItemRef{true, 0}},   // text over all
                                           PickCase{{15, 15}, TKXItemRef{false, 1}},  // box over frame
                                           PickCase{{50, 26}, TKXItemRef{false, 2}},  // near the line
                                           PickCase{{60, 40}, TKXItemRef{false, 0}},  // frame only
                                           PickCase{{100, 50}, TKXItemRef{false, 0}}, // on its corner
                                           PickCase{{101, 25}, std::nullopt}));

TEST(ItemHandles, GrowthLeavesOnlyTheFreeSidesToDrag)
{
    TKXVertexStyle style;
    AddDraw(style, isRectangle, {10, 20, 30, 40});
    AddDraw(style, isLine, {0, 0, 60, 30}, igVertical);
    AddDraw(style, isRoundRect, {0, 0, 100, 50}, igBoth);
    AddText(style, {0, 5, 100, 15}, igHorizontal);

    const auto plain = ItemHandles(style, {false, 0});
    ASSERT_EQ(plain.size(), 8u);
    EXPECT_EQ(plain[0].Position, (TPoint{10, 20}));
    EXPECT_EQ(plain[0].Sides, sdX1 | sdY1);
    EXPECT_EQ(plain[1].Position, (TPoint{20, 20}));
    EXPECT_EQ(plain[1].Sides, sdY1);
    EXPECT_EQ(plain[4].Position, (TPoint{30, 40}));

    const auto line = ItemHandles(style, {false, 1});
    ASSERT_EQ(line.size(), 2u);
    EXPECT_EQ(line[1].Position, (TPoint{60, 30}));
    EXPECT_EQ(line[1].Sides, sdX2);  // its Y follows the vertex's height

    EXPECT_TRUE(ItemHandles(style, {false, 2}).empty());
    for (const TKXItemHandle &h : ItemHandles(style, {true, 0}))
        EXPECT_EQ(h.Sides & (sdX1 | sdX2), 0) << "a horizontally growing text keeps its width";
    EXPECT_EQ(ItemHandles(style, {true, 0}).size(), 6u);  // the left and right middles go

    // Writing a placement keeps what the growth rule owns.
    SetItemPlacement(style, {true, 0}, {7, 8, 9, 10});
    const TKXTextItem &text = *style.TextItems[0];
    EXPECT_EQ((TRect{text.X1, text.Y1, text.X2, text.Y2}), (TRect{0, 8, 100, 10}));
}

struct DragCase {
    const char *What;
    TRect Start;
    TKXItemSides Sides;
    TPoint Delta;
    int32_t Step;
    bool IsLine;
    TRect Expected;
};

class DragPlacementTest : public ::testing::TestWithParam<DragCase> {};

TEST_P(DragPlacementTest, Drags)
{
    const DragCase &c = GetParam();
    EXPECT_EQ(DragPlacement(c.Start, c.Sides, c.Delta, c.Step, c.IsLine), c.Expected) << c.What;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DragPlacementTest,
    ::testing::Values(
        DragCase{"free move", {10, 20, 30, 40}, sdAll, {3, -4}, 0, false, {13, 16, 33, 36}},
        DragCase{"snapped move keeps the size", {11, 21, 32, 43}, sdAll, {3, -4}, 5, false, {15, 15, 36, 37}},
        DragCase{"snapping rounds halves away from zero", {0, 0, 10, 10}, sdAll, {-2, 2}, 4, false,
                 {-4, 4, 6, 14}},
        DragCase{"corner resize snaps the dragged corner", {10, 20, 30, 40}, sdX2 | sdY2, {12, 3}, 5, false,
                 {10, 20, 40, 45}},
        DragCase{"a side cannot cross its opposite", {10, 20, 30, 40}, sdX1, {50, 0}, 0, false, {29, 20, 30, 40}},
        DragCase{"reversed sides keep their order", {30, 40, 10, 20}, sdY1, {0, -50}, 0, false, {30, 21, 10, 20}},
        DragCase{"a line's end may cross the other", {10, 20, 30, 40}, sdX1 | sdY1, {50, 50}, 0, true,
                 {60, 70, 30, 40}},
        DragCase{"only free sides move", {0, 5, 100, 15}, sdY1 | sdY2, {40, 10}, 0, false, {0, 15, 100, 25}}));

TEST(FreeSides, FollowTheGrowthRule)
{
    EXPECT_EQ(FreeSides(igNone, sdAll), sdAll);
    EXPECT_EQ(FreeSides(igHorizontal, sdAll), sdY1 | sdY2);
    EXPECT_EQ(FreeSides(igVertical, sdX1 | sdY2), sdX1);
    EXPECT_EQ(FreeSides(igBoth, sdAll), 0);
    EXPECT_EQ(FreeSides(static_cast<TKXItemGrowth>(255), sdAll), sdAll);  // unknown rules grow nothing
}

}  // namespace
