#include "KXGR/core/KXStyles.h"

#include "TestStyles.h"

#include <gtest/gtest.h>

namespace {

int destroyedItems = 0;

struct TCountedDrawItem : TKXDrawItem {
    ~TCountedDrawItem() override { ++destroyedItems; }
};
struct TCountedTextItem : TKXTextItem {
    ~TCountedTextItem() override { ++destroyedItems; }
};

TEST(VertexStyle, FindItemAnswersTheLastExactMatch)
{
    TKXVertexStyle style;
    EXPECT_EQ(style.FindDrawItem("A"), nullptr);
    EXPECT_EQ(style.FindTextItem(""), nullptr);

    TKXDrawItem &first = AddDrawItem(style, "A");
    AddDrawItem(style, "B");
    TKXDrawItem &last = AddDrawItem(style, "A");
    TKXDrawItem &unnamed = AddDrawItem(style, "");
    EXPECT_EQ(style.FindDrawItem("A"), &last);
    EXPECT_NE(style.FindDrawItem("A"), &first);
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
    TKXVertexStyle source;
    source.Name = "Source";
    source.OnGetData = [](int32_t id, const std::string &field, TObject *) { return field + std::to_string(id); };
    for (int i = 0; i < 3; ++i) {
        TKXDrawItem &item = AddDrawItem(source, "D" + std::to_string(i), {-i, i, 100 + i, -50});
        item.Shape = static_cast<TKXItemShape>(i);
        item.PenColor = clBtnFace;
        item.BrushStyle = bsDiagCross;
        item.PenWidth = i + 1;
    }
    for (int i = 0; i < 2; ++i) {
        TKXTextItem &item = AddTextItem(source, "T" + std::to_string(i), {1, 2, 3, 4});
        item.Text = std::string(300, 'x');
        item.FontStyle = fsItalic | fsStrikeOut;
        item.Alignment = txRight;
    }

    TKXVertexStyle copy;
    copy.Name = "Old";
    for (int i = 0; i < 5; ++i)
        AddDrawItem(copy, "Old" + std::to_string(i));
    copy.AssignStyle(source);

    ExpectSameStyle(copy, source);
    for (std::size_t i = 0; i < copy.DrawItems.size(); ++i)
        EXPECT_NE(copy.DrawItems[i].get(), source.DrawItems[i].get());
    for (std::size_t i = 0; i < copy.TextItems.size(); ++i)
        EXPECT_NE(copy.TextItems[i].get(), source.TextItems[i].get());
    ASSERT_TRUE(copy.OnGetData);
    EXPECT_EQ(copy.OnGetData(7, "F", nullptr), "F7");

    copy.DrawItems[0]->X2 = 999;
    copy.TextItems[1]->Text = "changed";
    EXPECT_EQ(source.DrawItems[0]->X2, 100);
    EXPECT_EQ(source.TextItems[1]->Text, std::string(300, 'x'));
}

TEST(VertexStyle, AssignStyleToItselfChangesNothing)
{
    TKXVertexStyle style;
    style.Name = "Self";
    TKXDrawItem &draw = AddDrawItem(style, "D", {1, 2, 3, 4});
    TKXTextItem &text = AddTextItem(style, "T");
    style.AssignStyle(style);
    EXPECT_EQ(style.Name, "Self");
    ASSERT_EQ(style.DrawItems.size(), 1u);
    ASSERT_EQ(style.TextItems.size(), 1u);
    EXPECT_EQ(style.DrawItems[0].get(), &draw);
    EXPECT_EQ(style.TextItems[0].get(), &text);
    EXPECT_EQ(draw.X2, 3);
}

TEST(VertexStyle, DestroysItsItemsWithItselfAndOnAssign)
{
    destroyedItems = 0;
    {
        TKXVertexStyle style;
        style.DrawItems.push_back(std::make_unique<TCountedDrawItem>());
        style.DrawItems.push_back(std::make_unique<TCountedDrawItem>());
        style.TextItems.push_back(std::make_unique<TCountedTextItem>());
        EXPECT_EQ(destroyedItems, 0);
    }
    EXPECT_EQ(destroyedItems, 3);

    destroyedItems = 0;
    TKXVertexStyle style;
    style.DrawItems.push_back(std::make_unique<TCountedDrawItem>());
    style.TextItems.push_back(std::make_unique<TCountedTextItem>());
    style.AssignStyle(TKXVertexStyle());
    EXPECT_EQ(destroyedItems, 2);
    EXPECT_TRUE(style.DrawItems.empty() && style.TextItems.empty());
}

}
