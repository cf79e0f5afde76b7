// Writes the sample library that `make run` opens: five styles that together use every shape,
// pen style, brush style and growth rule, and every text alignment.
// Usage: make_sample_library OUT.uol
#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXStyles.h"

#include <cstdio>
#include <exception>
#include <memory>
#include <string>

namespace {

constexpr TColor RGB(int r, int g, int b) { return r | g << 8 | b << 16; }

struct TSampleStyle {
    TKXVertexStyle &Style;

    TSampleStyle &Draw(const char *name, TKXItemShape shape, TRect r, TKXItemGrowth growth, TColor pen,
                       TPenStyle penStyle, int32_t penWidth, TColor brush, TBrushStyle brushStyle)
    {
        auto item = std::make_unique<TKXDrawItem>();
        item->Name = name;
        item->X1 = r.Left, item->Y1 = r.Top, item->X2 = r.Right, item->Y2 = r.Bottom;
        item->Shape = shape;
        item->Growth = growth;
        item->PenColor = pen, item->PenStyle = penStyle, item->PenWidth = penWidth;
        item->BrushColor = brush, item->BrushStyle = brushStyle;
        Style.DrawItems.push_back(std::move(item));
        return *this;
    }

    TSampleStyle &Text(const char *name, TRect r, TKXItemGrowth growth, const char *font, int32_t size,
                       TColor color, TFontStyles fontStyle, TKXTextAlign alignment, TColor back = clWhite,
                       TBrushStyle backStyle = bsClear)
    {
        auto item = std::make_unique<TKXTextItem>();
        item->Name = name;
        item->X1 = r.Left, item->Y1 = r.Top, item->X2 = r.Right, item->Y2 = r.Bottom;
        item->Growth = growth;
        item->FontName = font, item->FontSize = size, item->FontColor = color, item->FontStyle = fontStyle;
        item->Alignment = alignment;
        item->BackColor = back, item->BackStyle = backStyle;
        Style.TextItems.push_back(std::move(item));
        return *this;
    }
};

TSampleStyle AddStyle(TKXUOLibrary &library, const char *name)
{
    auto style = std::make_unique<TKXVertexStyle>();
    style->Name = name;
    return {*library.AddStyle(std::move(style))};
}

// Coordinates are for the standard vertex of 100 x 50; the growth rules stretch them.
void BuildSample(TKXUOLibrary &library)
{
    const TColor ink = RGB(26, 61, 143), green = RGB(46, 125, 50), red = RGB(198, 40, 40);
    AddStyle(library, "Process")
        .Draw("Body", isRoundRect, {0, 0, 100, 50}, igBoth, ink, psSolid, 2, RGB(255, 243, 196), bsSolid)
        .Text("Title", {4, 4, 96, 20}, igHorizontal, "Arial", 9, ink, fsBold, txCenter)
        .Text("Owner", {8, 28, 92, 44}, igNone, "Arial", 8, clBlack, 0, txLeft);
    AddStyle(library, "Event")
        .Draw("Disc", isEllipse, {0, 0, 100, 50}, igBoth, green, psDash, 1, RGB(129, 199, 132), bsHorizontal)
        .Text("Name", {0, 17, 100, 33}, igHorizontal, "Arial", 9, green, fsBold, txCenter);
    AddStyle(library, "Document")
        .Draw("Margin", isRectangle, {0, 0, 10, 50}, igVertical, clBlack, psClear, 1, clSilver, bsVertical)
        .Draw("Page", isRectangle, {0, 0, 100, 50}, igBoth, clBlack, psSolid, 1, clWhite, bsClear)
        .Draw("Rule", isLine, {0, 18, 100, 18}, igHorizontal, ink, psDashDot, 1, clWhite, bsSolid)
        .Text("Heading", {14, 3, 96, 16}, igNone, "Arial", 8, ink, fsBold, txRight)
        .Text("Body", {14, 22, 96, 46}, igNone, "Times New Roman", 8, clBlack, fsItalic, txLeft);
    AddStyle(library, "Storage")
        .Draw("Drum", isRoundRect, {0, 0, 100, 50}, igBoth, ink, psDot, 1, RGB(100, 181, 246), bsFDiagonal)
        .Draw("Lid", isEllipse, {0, 0, 100, 16}, igHorizontal, ink, psDashDotDot, 1, RGB(100, 181, 246),
              bsBDiagonal)
        .Text("Label", {0, 22, 100, 40}, igHorizontal, "Arial", 9, ink, 0, txCenter, clWhite, bsSolid);
    AddStyle(library, "Marker")
        .Draw("Frame", isRectangle, {0, 0, 100, 50}, igBoth, red, psInsideFrame, 4, RGB(239, 154, 154), bsCross)
        .Draw("Badge", isEllipse, {76, 6, 94, 24}, igNone, clBlack, psSolid, 1, RGB(245, 124, 0), bsDiagCross)
        .Text("Tag", {8, 8, 72, 42}, igVertical, "Arial", 10, red, fsBold | fsUnderline, txLeft);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fputs("usage: make_sample_library OUT.uol\n", stderr);
        return 2;
    }
    try {
        TKXUOLibrary library;
        BuildSample(library);
        library.SaveToFile(argv[1]);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "make_sample_library: %s\n", e.what());
        return 1;
    }
    return 0;
}
