#include "KXGR/core/KXStyles.h"

#include "TestStyles.h"

#include <gtest/gtest.h>

namespace {

TEST(VertexStyle, FindItemAnswersTheLastExactMatch)
{
    TKXVertexStyle style;
    EXPECT_EQ(style.FindDrawItem("A"), nullptr);
    AddDrawItem(style, "A");
    TKXDrawItem &last = AddDrawItem(style, "A"), &unnamed = AddDrawItem(style, "");
    EXPECT_EQ(style.FindDrawItem("A"), &last);
    EXPECT_EQ(style.FindDrawItem("a"), nullptr);
    EXPECT_EQ(style.FindDrawItem(""), &unnamed);
    AddTextItem(style, "Name");
    TKXTextItem &later = AddTextItem(style, "Name");
    EXPECT_EQ(style.FindTextItem("Name"), &later);
    EXPECT_EQ(style.FindTextItem("NAME"), nullptr);
    EXPECT_EQ(style.FindTextItem("A"), nullptr); // draw items are not text items
}

// The deep copy shows in the styled vertex tests; assigning a style to itself must keep its items.
TEST(VertexStyle, AssignStyleToItselfChangesNothing)
{
    auto style = MakeExampleStyle();
    const TKXDrawItem *item = style->DrawItems[0].get();
    style->AssignStyle(*style);
    ASSERT_EQ(style->DrawItems.size(), 1u);
    EXPECT_EQ(style->DrawItems[0].get(), item);
    ExpectSameStyle(*style, *MakeExampleStyle());
}

}
