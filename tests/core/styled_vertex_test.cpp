#include "KXGR/core/KXVertex.h"

#include "KXGR/core/KXStyles.h"
#include "TestRecords.h"
#include "TestStyles.h"
#include "support/KXRecordingCanvas.h"

#include <gtest/gtest.h>

namespace {

TRect SidesOf(const TKXCustomVertex &v) { return {v.Left, v.Top, v.Right, v.Bottom}; }
template <typename TItem>
TRect CoordsOf(const TItem &item) { return {item.X1, item.Y1, item.X2, item.Y2}; }

using TDataCall = std::tuple<int32_t, std::string, TObject *>; // id, field name, data object

// A library with the style "Box" and the editor's data event, which frames each name.
class StyledVertex : public TRecordTest {
protected:
    void SetUp() override
    {
        TRecordTest::SetUp();
        Library.OnGetData = [this](int32_t id, const std::string &name, TObject *object) {
            DataCalls.emplace_back(id, name, object);
            return "<<" + name + ">>";
        };
        Box = Library.AddStyle(NamedStyle("Box"));
    }
    std::unique_ptr<TKXVertex> MakeBox() { return TKXVertex::CreateWithStyle({200, 100}, &Library, "Box"); }
    // The vertex's calls at a scale, drawn on the screen.
    std::vector<std::string> DrawLog(TKXVertex &v, int32_t scale, int32_t charWidth = 6)
    {
        Canvas.Clear();
        Canvas.CharWidth = charWidth;
        v.Draw(Canvas, scale, dmScreen);
        return Canvas.Log();
    }

    TKXUOLibrary Library;
    TKXVertexStyle *Box = nullptr;
    std::vector<TDataCall> DataCalls;
    TKXRecordingCanvas Canvas;
};

TEST_F(StyledVertex, AnEmptyOrUnknownStyleNameGivesAnEmptyStyle)
{
    for (const auto &[library, name] : {std::pair<TKXUOLibrary *, std::string>{nullptr, ""}, {&Library, ""},
                                        {&Library, "box"}, {nullptr, "Box"}}) {
        auto v = TKXVertex::CreateWithStyle({200, 100}, library, name);
        EXPECT_EQ(SidesOf(*v), (TRect{150, 75, 250, 125}));
        ASSERT_NE(v->Style, nullptr);
        EXPECT_EQ(v->Style->Name, "");
        EXPECT_TRUE(v->Style->DrawItems.empty());
    }
    auto v = TKXVertex::ClassRecord.CreateAt({0, 0});
    ASSERT_NE(dynamic_cast<TKXVertex &>(*v).Style, nullptr);
}

TEST_F(StyledVertex, KeepsAnIndependentCopyOfTheLibraryStyle)
{
    TKXVertexStyle *example = Library.AddStyle(MakeExampleStyle());
    example->TextItems[0]->Growth = igNone; // the frame grows to the same 100 x 50
    auto v = TKXVertex::CreateWithStyle({200, 100}, &Library, "Style1");
    ExpectSameStyle(*v->Style, *example);
    example->TextItems[0]->Text = "changed";
    EXPECT_EQ(v->Style->TextItems[0]->Text, "");
    DrawLog(*v, 100);
    EXPECT_EQ(DataCalls.size(), 1u) << "the copy carries the library's data event";
}

TEST_F(StyledVertex, ItemsGrowWithTheVertexByTheirKind)
{
    // Item (5, 6, 7, 8) in the vertex (150, 75)-(250, 125), then after a resize to 200 x 80.
    const std::tuple<TKXItemGrowth, TRect, TRect> cases[] = {
        {igNone, {5, 6, 7, 8}, {5, 6, 7, 8}},     {igHorizontal, {0, 6, 100, 8}, {0, 6, 200, 8}},
        {igVertical, {5, 0, 7, 50}, {5, 0, 7, 80}}, {igBoth, {0, 0, 100, 50}, {0, 0, 200, 80}},
        {static_cast<TKXItemGrowth>(255), {5, 6, 7, 8}, {5, 6, 7, 8}}};
    for (const auto &[growth, at100x50, at200x80] : cases) {
        SCOPED_TRACE(testing::Message() << "growth " << int(growth));
        Box->DrawItems.clear();
        Box->TextItems.clear();
        AddDrawItem(*Box, "D", {5, 6, 7, 8}).Growth = growth;
        AddTextItem(*Box, "T", {5, 6, 7, 8}).Growth = growth;
        auto v = MakeBox();
        EXPECT_EQ(CoordsOf(*v->Style->DrawItems[0]), at100x50);
        EXPECT_EQ(CoordsOf(*v->Style->TextItems[0]), at100x50);
        v->Handles[2]->MoveBy({100, 30});
        v->MoveBy({-40, 7}); // moving keeps the size
        EXPECT_EQ(CoordsOf(*v->Style->DrawItems[0]), at200x80);
        EXPECT_EQ(CoordsOf(*v->Style->TextItems[0]), at200x80);
        EXPECT_EQ(CoordsOf(*Box->DrawItems[0]), (TRect{5, 6, 7, 8})) << "the library style is not touched";
    }
}

TEST_F(StyledVertex, DrawsEachShapeWithItsOwnPenAndBrushAtTheScale)
{
    TKXDrawItem &rect = AddDrawItem(*Box, "R", {0, 0, 100, 50});
    std::tie(rect.PenColor, rect.PenStyle, rect.PenWidth, rect.BrushColor, rect.BrushStyle) =
        std::tuple(0x0000FF, psDash, 3, 0x00FF00, bsDiagCross);
    AddDrawItem(*Box, "E", {10, 10, 30, 21}).Shape = isEllipse;
    AddDrawItem(*Box, "L", {0, 50, 100, 0}).Shape = isLine;
    AddDrawItem(*Box, "RR", {0, 0, 90, 20}).Shape = isRoundRect;
    AddDrawItem(*Box, "Tall", {0, 0, 10, 50}).Shape = isRoundRect; // corners 3.33 rounds to 3
    AddDrawItem(*Box, "X", {1, 1, 2, 2}).Shape = static_cast<TKXItemShape>(9);
    auto v = MakeBox();

    const TKXPen pen{clNavy, psDashDot, 2, pmNotXor};
    const TKXBrush brush{clSilver, bsBDiagonal};
    Canvas.Pen = pen;
    Canvas.Brush = brush;
    EXPECT_EQ(DrawLog(*v, 50),
              (std::vector<std::string>{"Rectangle(75,38,125,62)", "Ellipse(80,42,90,48)", "MoveTo(75,62)",
                                        "LineTo(125,38)", "RoundRect(75,38,120,48,15,15)",
                                        "RoundRect(75,38,80,62,2,2)"}));
    EXPECT_EQ(std::pair(Canvas.Pen, Canvas.Brush), std::pair(pen, brush)) << "restored";
    EXPECT_EQ(std::pair(Canvas.Calls[0].Pen, Canvas.Calls[0].Brush), // width not scaled, mode kept
              std::pair(TKXPen{0x0000FF, psDash, 3, pmNotXor}, TKXBrush{0x00FF00, bsDiagCross}));
    EXPECT_EQ(std::pair(Canvas.Calls[1].Pen, Canvas.Calls[1].Brush),
              std::pair(TKXPen{clBlack, psSolid, 0, pmNotXor}, TKXBrush{clBlack, bsSolid}));
    // Rounded corners come from the item's width at every scale.
    EXPECT_EQ(DrawLog(*v, 100)[4], "RoundRect(150,75,240,95,30,30)");
    EXPECT_EQ(DrawLog(*v, 200)[5], "RoundRect(300,150,320,250,6,6)");
}

TEST_F(StyledVertex, FontSizeFollowsTheScaleWithHalvesToEvenAndTheLastFontStays)
{
    TKXTextItem &item = AddTextItem(*Box, "T", {0, 0, 50, 20});
    std::tie(item.FontName, item.FontColor, item.FontStyle, item.BackStyle, item.BackColor) =
        std::tuple(std::string(300, 'F'), 0x0000FF, fsItalic | fsUnderline, bsClear, 0x00FFFF);
    for (const auto &[points, scale, expected] : {std::tuple{8, 100, 8}, {8, 50, 4}, {9, 50, 4}, {10, 125, 12},
                                                  {11, 150, 16}, {3, 50, 2}}) {
        item.FontSize = points;
        DrawLog(*MakeBox(), scale);
        EXPECT_EQ(Canvas.CallsOf("TextRect").at(0).Font.Size, expected) << points << " pt at " << scale;
    }
    EXPECT_EQ(Canvas.Font, (TKXFont{std::string(255, 'F'), 2, 0x0000FF, fsItalic | fsUnderline}));
    EXPECT_EQ(Canvas.CallsOf("TextRect")[0].Brush, (TKXBrush{0x00FFFF, bsClear}));
}

TEST_F(StyledVertex, TextStartsFollowTheAlignment)
{
    for (const TKXTextAlign align : {txCenter, txLeft, txRight, static_cast<TKXTextAlign>(7)}) {
        TKXTextItem &item = AddTextItem(*Box, "abcd", {10, 5, 110, 25});
        item.Alignment = align;
        item.FontSize = 8;
    }
    auto v = MakeBox();
    v->Style->OnGetData = [](int32_t, const std::string &, TObject *) { return std::string("abcd"); };
    EXPECT_EQ(DrawLog(*v, 100, 10), (std::vector<std::string>{ // "abcd" measures 40 pixels
                                        "TextRect(160,80,260,100,190,81,\"abcd\")",  // 40 from the vertex's left
                                        "TextRect(160,80,260,100,161,81,\"abcd\")",  // 11
                                        "TextRect(160,80,260,100,220,81,\"abcd\")",  // 70
                                        "TextRect(160,80,260,100,161,81,\"abcd\")"})); // unknown: as left
    // Centred text sits around the scaled middle of its item (420) at every scale; for the
    // right alignment the pixel width is still taken as logical units and scaled with the rest.
    const auto at200 = DrawLog(*v, 200, 10);
    EXPECT_EQ(at200[0], "TextRect(320,160,520,200,400,162,\"abcd\")");
    EXPECT_EQ(at200[2], "TextRect(320,160,520,200,440,162,\"abcd\")");
    EXPECT_EQ(Canvas.CallsOf("TextWidth")[0].Font.Size, 16) << "measured in the font just set";
    EXPECT_EQ(DrawLog(*v, 50, 10)[0], "TextRect(80,40,130,50,85,40,\"abcd\")");
}

TEST_F(StyledVertex, AsksTheDataEventOncePerTextItemOnEveryDraw)
{
    AddTextItem(*Box, "First", {0, 0, 100, 20});
    AddTextItem(*Box, "Second", {0, 20, 100, 40});
    auto v = MakeBox();
    v->Id = 42;
    TObject host;
    v->DataObject = &host;
    DrawLog(*v, 100);
    EXPECT_EQ(DrawLog(*v, 100)[1], "TextRect(150,95,250,115,151,96,\"<<Second>>\")");
    EXPECT_EQ(DataCalls, (std::vector<TDataCall>{{42, "First", &host}, {42, "Second", &host},
                                                 {42, "First", &host}, {42, "Second", &host}}));
    // Without a data event an item shows the text it holds.
    v->Style->OnGetData = nullptr;
    v->Style->TextItems[0]->Text = "kept";
    DrawLog(*v, 100);
    EXPECT_EQ(Canvas.CallsOf("TextRect")[0].Text, "kept");
}

TEST_F(StyledVertex, HandlesOnlyWhenSelectedOnTheScreenAndNothingWithoutAStyle)
{
    AddDrawItem(*Box, "Frame", {0, 0, 100, 50});
    auto v = MakeBox();
    v->Selected = true;
    v->Draw(Canvas, 100, dmPrinter);
    EXPECT_EQ(Canvas.Log(), std::vector<std::string>{"Rectangle(150,75,250,125)"});
    EXPECT_EQ(DrawLog(*v, 100).size(), 5u);
    EXPECT_EQ(Canvas.Log()[4], "Rectangle(146,121,154,129)");

    v->Style.reset();
    EXPECT_TRUE(DrawLog(*v, 100).empty());
    v->Handles[2]->MoveBy({10, 10});
    EXPECT_EQ(v->Handles[2]->Position, (TPoint{260, 135})) << "without a style only the handles adjust";
}

TEST_F(StyledVertex, RecordsCarryTheStyleNameAndRestoreTheStyleGrownToTheStoredSize)
{
    AddDrawItem(*Box, "Frame", {3, 4, 5, 6}).Growth = igBoth;
    AddTextItem(*Box, "Title", {5, 5, 95, 20}).Growth = igHorizontal;
    auto v = MakeBox();
    v->Id = 7;
    EXPECT_EQ(TextOf(*v), "7\r\n150 75 250 125\r\nBox\r\n");
    EXPECT_EQ(BytesOfRecord(*v), (TBytes{0x02, 0x07, 0x03, 0x96, 0x00, 0x02, 0x4B, 0x03, 0xFA, 0x00, 0x02, 0x7D,
                                         0x06, 0x03, 'B', 'o', 'x'}));

    for (const TRect sides : {TRect{10, 20, 250, 80}, TRect{0, 0, 300, 40}, TRect{150, 75, 251, 126}}) {
        std::tie(v->Left, v->Top, v->Right, v->Bottom) = std::tie(sides.Left, sides.Top, sides.Right, sides.Bottom);
        v->AdjustHandles();
        for (const auto &back : ReadBack<TKXVertex>(*v, &Library)) {
            EXPECT_EQ(back->Id, 7);
            EXPECT_EQ(SidesOf(*back), sides);
            EXPECT_EQ(back->Handles[2]->Position, (TPoint{sides.Right, sides.Bottom}));
            const int32_t w = sides.Right - sides.Left;
            EXPECT_EQ(CoordsOf(*back->Style->DrawItems.at(0)), (TRect{0, 0, w, sides.Bottom - sides.Top}));
            EXPECT_EQ(CoordsOf(*back->Style->TextItems.at(0)), (TRect{0, 5, w, 20}));
            EXPECT_EQ(back->Style->Name, "Box");
            EXPECT_TRUE(back->Style->OnGetData);
        }
    }
    // A missing style, another library or none give an empty style.
    TKXUOLibrary other;
    TObject notALibrary;
    for (TObject *data : {static_cast<TObject *>(&other), &notALibrary, static_cast<TObject *>(nullptr)})
        for (const auto &back : ReadBack<TKXVertex>(*v, data))
            EXPECT_EQ(back->Style ? back->Style->Name : "no style", "");
    v->Style.reset(); // a vertex without style stores an empty name
    EXPECT_EQ(TextOf(*v), "7\r\n150 75 251 126\r\n\r\n");
}

}
