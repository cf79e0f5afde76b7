#pragma once
// Style builders and field-by-field comparisons shared by the style, library and vertex tests.

#include "KXGR/core/KXStyles.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>

inline auto Fields(const TKXDrawItem &i)
{
    return std::tuple(i.Name, i.X1, i.Y1, i.X2, i.Y2, i.Shape, i.Growth, i.PenColor, i.PenStyle, i.PenWidth,
                      i.BrushColor, i.BrushStyle);
}
inline auto Fields(const TKXTextItem &i)
{
    return std::tuple(i.Name, i.Text, i.X1, i.Y1, i.X2, i.Y2, i.Growth, i.FontName, i.FontSize, i.FontColor,
                      i.FontStyle, i.Alignment, i.BackColor, i.BackStyle);
}

// Same name and items field by field, in the same order (the data event is not compared).
inline void ExpectSameStyle(const TKXVertexStyle &a, const TKXVertexStyle &b)
{
    EXPECT_EQ(a.Name, b.Name);
    ASSERT_EQ(a.DrawItems.size(), b.DrawItems.size());
    ASSERT_EQ(a.TextItems.size(), b.TextItems.size());
    for (std::size_t i = 0; i < a.DrawItems.size(); ++i)
        EXPECT_EQ(Fields(*a.DrawItems[i]), Fields(*b.DrawItems[i])) << "draw item " << i;
    for (std::size_t i = 0; i < a.TextItems.size(); ++i)
        EXPECT_EQ(Fields(*a.TextItems[i]), Fields(*b.TextItems[i])) << "text item " << i;
}

template <typename TItem>
TItem &AddItem(std::vector<std::unique_ptr<TItem>> &items, const std::string &name, TRect r)
{
    items.push_back(std::make_unique<TItem>());
    TItem &item = *items.back();
    std::tie(item.Name, item.X1, item.Y1, item.X2, item.Y2) = std::tie(name, r.Left, r.Top, r.Right, r.Bottom);
    return item;
}
inline TKXDrawItem &AddDrawItem(TKXVertexStyle &s, const std::string &name, TRect r = {})
{
    return AddItem(s.DrawItems, name, r);
}
inline TKXTextItem &AddTextItem(TKXVertexStyle &s, const std::string &name, TRect r = {})
{
    return AddItem(s.TextItems, name, r);
}

inline std::unique_ptr<TKXVertexStyle> NamedStyle(const std::string &name)
{
    auto style = std::make_unique<TKXVertexStyle>();
    style->Name = name;
    return style;
}

// Style1 with the draw item Frame and the text item Title, as in the 98-byte example file.
inline std::unique_ptr<TKXVertexStyle> MakeExampleStyle()
{
    auto style = NamedStyle("Style1");
    TKXDrawItem &frame = AddDrawItem(*style, "Frame", {0, 0, 100, 50});
    std::tie(frame.Growth, frame.PenWidth, frame.BrushColor) = std::tuple(igBoth, 1, clWhite);
    TKXTextItem &title = AddTextItem(*style, "Title", {5, 5, 95, 20});
    std::tie(title.Growth, title.FontName, title.FontSize, title.FontStyle, title.Alignment, title.BackColor,
             title.BackStyle) = std::tuple(igHorizontal, "Arial", 8, fsBold, txCenter, clWhite, bsClear);
    return style;
}
