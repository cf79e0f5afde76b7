#include "KXGR/core/KXStyles.h"

#include "TestStyles.h"

#include <gtest/gtest.h>

namespace {

TEST(VertexStyle, FindItemAnswersTheLastExactMatch)
{
    TKXVertexStyle style;
    EXPECT_EQ(style.FindDrawItem("A"), nullptr);
    AddDrawItem(style, "A");
    TKXDrawItem &last = AddDrawItem(style, "A");
    TKXDrawItem &unnamed = AddDrawItem(style, "");
    EXPECT_EQ(style.FindDrawItem("A"), &last);
    EXPECT_EQ(style.FindDrawItem("a"), nullptr);
    EXPECT_EQ(style.FindDrawItem(""), &unnamed);

    AddTextItem(style, "Name");
    TKXTextItem &later = AddTextItem(style, "Name");
    EXPECT_EQ(style.FindTextItem("Name"), &later);
    EXPECT_EQ(style.FindTextItem("NAME"), nullptr);
    EXPECT_EQ(style.FindTextItem("A"), nullptr); // draw items are not text items
}

TEST(VertexStyle, AssignStyleMakesAnIndependentDeepCopy)
{
    auto source = MakeExampleStyle();
    source->OnGetData = [](int32_t id, const std::string &field, TObject *) { return field + std::to_string(id); };
    AddDrawItem(*source, "Line", {-1, 2, 100, -50}).Shape = isLine;
    AddTextItem(*source, "Long").Text = std::string(300, 'x');

    TKXVertexStyle copy;
    for (int i = 0; i < 5; ++i)
        AddDrawItem(copy, "Old" + std::to_string(i));
    copy.AssignStyle(*source);
    ExpectSameStyle(copy, *source);
    ASSERT_TRUE(copy.OnGetData);
    EXPECT_EQ(copy.OnGetData(7, "F", nullptr), "F7");
    copy.DrawItems[0]->X2 = 999;
    copy.TextItems[1]->Text = "changed";
    EXPECT_EQ(source->DrawItems[0]->X2, 100);
    EXPECT_EQ(source->TextItems[1]->Text, std::string(300, 'x'));

    const TKXDrawItem *item = copy.DrawItems[0].get();
    copy.AssignStyle(copy); // to itself: nothing changes
    ASSERT_EQ(copy.DrawItems.size(), 2u);
    EXPECT_EQ(copy.DrawItems[0].get(), item);
    EXPECT_EQ(item->X2, 999);
}

}
