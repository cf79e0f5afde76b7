#pragma once
// Style builders and field-by-field comparisons shared by the style and library tests.

#include "KXGR/core/KXStyles.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

inline void ExpectSameDrawItem(const TKXDrawItem &a, const TKXDrawItem &b)
{
    EXPECT_EQ(a.Name, b.Name);
    EXPECT_EQ((TRect{a.X1, a.Y1, a.X2, a.Y2}), (TRect{b.X1, b.Y1, b.X2, b.Y2}));
    EXPECT_EQ(a.Shape, b.Shape);
    EXPECT_EQ(a.Growth, b.Growth);
    EXPECT_EQ(a.PenColor, b.PenColor);
    EXPECT_EQ(a.PenStyle, b.PenStyle);
    EXPECT_EQ(a.PenWidth, b.PenWidth);
    EXPECT_EQ(a.BrushColor, b.BrushColor);
    EXPECT_EQ(a.BrushStyle, b.BrushStyle);
}

inline void ExpectSameTextItem(const TKXTextItem &a, const TKXTextItem &b)
{
    EXPECT_EQ(a.Name, b.Name);
    EXPECT_EQ(a.Text, b.Text);
    EXPECT_EQ((TRect{a.X1, a.Y1, a.X2, a.Y2}), (TRect{b.X1, b.Y1, b.X2, b.Y2}));
    EXPECT_EQ(a.Growth, b.Growth);
    EXPECT_EQ(a.FontName, b.FontName);
    EXPECT_EQ(a.FontSize, b.FontSize);
    EXPECT_EQ(a.FontColor, b.FontColor);
    EXPECT_EQ(a.FontStyle, b.FontStyle);
    EXPECT_EQ(a.Alignment, b.Alignment);
    EXPECT_EQ(a.BackColor, b.BackColor);
    EXPECT_EQ(a.BackStyle, b.BackStyle);
}

// Same name and items field by field, in the same order (the data event is not compared).
inline void ExpectSameStyle(const TKXVertexStyle &a, const TKXVertexStyle &b)
{
    EXPECT_EQ(a.Name, b.Name);
    ASSERT_EQ(a.DrawItems.size(), b.DrawItems.size());
    ASSERT_EQ(a.TextItems.size(), b.TextItems.size());
    for (std::size_t i = 0; i < a.DrawItems.size(); ++i)
        ExpectSameDrawItem(*a.DrawItems[i], *b.DrawItems[i]);
    for (std::size_t i = 0; i < a.TextItems.size(); ++i)
        ExpectSameTextItem(*a.TextItems[i], *b.TextItems[i]);
}

inline TKXDrawItem &AddDrawItem(TKXVertexStyle &style, const std::string &name, TRect r = {})
{
    auto item = std::make_unique<TKXDrawItem>();
    item->Name = name;
    item->X1 = r.Left;
    item->Y1 = r.Top;
    item->X2 = r.Right;
    item->Y2 = r.Bottom;
    style.DrawItems.push_back(std::move(item));
    return *style.DrawItems.back();
}

inline TKXTextItem &AddTextItem(TKXVertexStyle &style, const std::string &name, TRect r = {})
{
    auto item = std::make_unique<TKXTextItem>();
    item->Name = name;
    item->X1 = r.Left;
    item->Y1 = r.Top;
    item->X2 = r.Right;
    item->Y2 = r.Bottom;
    style.TextItems.push_back(std::move(item));
    return *style.TextItems.back();
}

// Style1 with the draw item Frame and the text item Title, as in the 98-byte example file.
inline std::unique_ptr<TKXVertexStyle> MakeExampleStyle()
{
    auto style = std::make_unique<TKXVertexStyle>();
    style->Name = "Style1";
    TKXDrawItem &frame = AddDrawItem(*style, "Frame", {0, 0, 100, 50});
    frame.Growth = igBoth;
    frame.PenColor = clBlack;
    frame.PenWidth = 1;
    frame.BrushColor = clWhite;
    TKXTextItem &title = AddTextItem(*style, "Title", {5, 5, 95, 20});
    title.Growth = igHorizontal;
    title.FontName = "Arial";
    title.FontSize = 8;
    title.FontColor = clBlack;
    title.FontStyle = fsBold;
    title.Alignment = txCenter;
    title.BackColor = clWhite;
    title.BackStyle = bsClear;
    return style;
}
