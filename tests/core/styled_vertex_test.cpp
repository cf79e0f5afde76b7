#include "KXGR/core/KXVertex.h"

#include "KXGR/core/KXStream.h"
#include "KXGR/core/KXStyles.h"
#include "KXGR/core/KXTextFile.h"
#include "TestFiles.h"
#include "TestStyles.h"
#include "support/KXRecordingCanvas.h"

#include <gtest/gtest.h>

namespace {

TRect SidesOf(const TKXCustomVertex &v) { return {v.Left, v.Top, v.Right, v.Bottom}; }
template <typename TItem>
TRect CoordsOf(const TItem &item) { return {item.X1, item.Y1, item.X2, item.Y2}; }

struct TDataCall {
    int32_t Id;
    std::string Fieldname;
    TObject *Object;
};

// A library with the style "Box" and the editor's data event, which frames each name.
class StyledVertexTest : public ::testing::Test {
protected:
    TKXUOLibrary Library;
    std::vector<TDataCall> DataCalls;

    void SetUp() override
    {
        Library.OnGetData = [this](int32_t id, const std::string &name, TObject *object) {
            DataCalls.push_back({id, name, object});
            return "<<" + name + ">>";
        };
    }
    TKXVertexStyle &AddStyle(const std::string &name)
    {
        auto style = std::make_unique<TKXVertexStyle>();
        style->Name = name;
        return *Library.AddStyle(std::move(style));
    }
};

TEST_F(StyledVertexTest, AnEmptyOrUnknownStyleNameGivesAnEmptyStyle)
{
    AddStyle("Box");
    struct {
        TKXUOLibrary *Library;
        std::string Name;
    } cases[] = {{nullptr, ""}, {&Library, ""}, {&Library, "box"}, {nullptr, "Box"}};
    for (const auto &c : cases) {
        auto v = TKXVertex::CreateWithStyle({200, 100}, c.Library, c.Name);
        EXPECT_EQ(SidesOf(*v), (TRect{150, 75, 250, 125}));
        ASSERT_NE(v->Style, nullptr);
        EXPECT_EQ(v->Style->Name, "");
        EXPECT_TRUE(v->Style->DrawItems.empty());
        EXPECT_FALSE(v->Style->OnGetData);
        EXPECT_EQ(v->DataObject, nullptr);
        EXPECT_EQ(v->Id, 0);
    }
    // The class record's CreateAt builds a styled vertex with an empty style.
    auto v = TKXVertex::ClassRecord.CreateAt({0, 0});
    auto *styled = dynamic_cast<TKXVertex *>(v.get());
    ASSERT_NE(styled, nullptr);
    ASSERT_NE(styled->Style, nullptr);
    EXPECT_EQ(SidesOf(*styled), (TRect{-50, -25, 50, 25}));
}

TEST_F(StyledVertexTest, KeepsAnIndependentCopyOfTheLibraryStyle)
{
    TKXVertexStyle &box = AddStyle("Box");
    AddDrawItem(box, "Frame", {1, 2, 30, 40});
    AddTextItem(box, "Title", {5, 5, 95, 20});
    auto v = TKXVertex::CreateWithStyle({200, 100}, &Library, "Box");
    ExpectSameStyle(*v->Style, box);
    EXPECT_NE(v->Style->DrawItems[0].get(), box.DrawItems[0].get());
    box.DrawItems[0]->X2 = 99;
    EXPECT_EQ(v->Style->DrawItems[0]->X2, 30);

    TKXRecordingCanvas canvas;
    v->Draw(canvas, 100, dmScreen);
    ASSERT_EQ(DataCalls.size(), 1u) << "the copy carries the library's data event";
}

struct TGrowthCase {
    TKXItemGrowth Growth;
    TRect At100x50;   // in the vertex (150, 75)-(250, 125)
    TRect At200x80;   // after the resize
};

class StyledVertexGrowthTest : public StyledVertexTest, public ::testing::WithParamInterface<TGrowthCase> {};

TEST_P(StyledVertexGrowthTest, ItemsFollowTheVertexThroughEveryResize)
{
    const TGrowthCase c = GetParam();
    TKXVertexStyle &box = AddStyle("Box");
    AddDrawItem(box, "D", {5, 6, 7, 8}).Growth = c.Growth;
    AddTextItem(box, "T", {5, 6, 7, 8}).Growth = c.Growth;
    auto v = TKXVertex::CreateWithStyle({200, 100}, &Library, "Box");
    EXPECT_EQ(CoordsOf(*v->Style->DrawItems[0]), c.At100x50);
    EXPECT_EQ(CoordsOf(*v->Style->TextItems[0]), c.At100x50);

    v->Handles[2]->MoveBy({100, 30});  // bottom-right corner: 200 x 80
    ASSERT_EQ(SidesOf(*v), (TRect{150, 75, 350, 155}));
    EXPECT_EQ(CoordsOf(*v->Style->DrawItems[0]), c.At200x80);
    EXPECT_EQ(CoordsOf(*v->Style->TextItems[0]), c.At200x80);

    v->MoveBy({-40, 7});
    EXPECT_EQ(CoordsOf(*v->Style->DrawItems[0]), c.At200x80) << "moving keeps the size";
    EXPECT_EQ(CoordsOf(*box.DrawItems[0]), (TRect{5, 6, 7, 8})) << "the library style is not touched";
}

INSTANTIATE_TEST_SUITE_P(
    Growth, StyledVertexGrowthTest,
    ::testing::Values(TGrowthCase{igNone, {5, 6, 7, 8}, {5, 6, 7, 8}},
                      TGrowthCase{igHorizontal, {0, 6, 100, 8}, {0, 6, 200, 8}},
                      TGrowthCase{igVertical, {5, 0, 7, 50}, {5, 0, 7, 80}},
                      TGrowthCase{igBoth, {0, 0, 100, 50}, {0, 0, 200, 80}},
                      TGrowthCase{static_cast<TKXItemGrowth>(255), {5, 6, 7, 8}, {5, 6, 7, 8}}));

TEST_F(StyledVertexTest, DrawsEachShapeWithItsOwnPenAndBrushAtTheScale)
{
    TKXVertexStyle &box = AddStyle("Box");
    TKXDrawItem &rect = AddDrawItem(box, "R", {0, 0, 100, 50});
    rect.PenColor = 0x0000FF;
    rect.PenStyle = psDash;
    rect.PenWidth = 3;
    rect.BrushColor = 0x00FF00;
    rect.BrushStyle = bsDiagCross;
    AddDrawItem(box, "E", {10, 10, 30, 21}).Shape = isEllipse;
    AddDrawItem(box, "L", {0, 50, 100, 0}).Shape = isLine;
    AddDrawItem(box, "RR", {0, 0, 90, 20}).Shape = isRoundRect;
    TKXDrawItem &odd = AddDrawItem(box, "X", {1, 1, 2, 2});
    odd.Shape = static_cast<TKXItemShape>(9);
    odd.PenStyle = static_cast<TPenStyle>(255);
    auto v = TKXVertex::CreateWithStyle({200, 100}, &Library, "Box");

    TKXRecordingCanvas canvas;
    canvas.Pen.Mode = pmNotXor;
    v->Draw(canvas, 50, dmScreen);
    EXPECT_EQ(canvas.Log(), (std::vector<std::string>{"Rectangle(75,38,125,62)", "Ellipse(80,42,90,48)",
                                                      "MoveTo(75,62)", "LineTo(125,38)",
                                                      "RoundRect(75,38,120,48,15,15)"}));
    EXPECT_EQ(canvas.Calls[0].Pen, (TKXPen{0x0000FF, psDash, 3, pmNotXor})) << "width not scaled, mode kept";
    EXPECT_EQ(canvas.Calls[0].Brush, (TKXBrush{0x00FF00, bsDiagCross}));
    EXPECT_EQ(canvas.Calls[1].Pen, (TKXPen{clBlack, psSolid, 0, pmNotXor}));
    EXPECT_EQ(canvas.Calls[1].Brush, (TKXBrush{clBlack, bsSolid}));
}

TEST_F(StyledVertexTest, RoundedCornersComeFromTheItemWidth)
{
    TKXVertexStyle &box = AddStyle("Box");
    AddDrawItem(box, "RR", {0, 0, 90, 20}).Shape = isRoundRect;
    AddDrawItem(box, "Tall", {0, 0, 10, 50}).Shape = isRoundRect;  // 3.33 rounds to 3
    auto v = TKXVertex::CreateWithStyle({0, 0}, &Library, "Box");
    for (const auto &[scale, k, kTall] : {std::tuple{100, 30, 3}, std::tuple{50, 15, 2}, std::tuple{200, 60, 6}}) {
        TKXRecordingCanvas canvas;
        v->Draw(canvas, scale, dmScreen);
        const auto calls = canvas.CallsOf("RoundRect");
        ASSERT_EQ(calls.size(), 2u);
        EXPECT_EQ(calls[0].Args[4], k) << "scale " << scale;
        EXPECT_EQ(calls[0].Args[5], k) << "scale " << scale;
        EXPECT_EQ(calls[1].Args[4], kTall) << "scale " << scale;
        EXPECT_EQ(calls[1].Args[5], kTall) << "scale " << scale;
    }
}

TEST_F(StyledVertexTest, FontSizeFollowsTheScaleWithHalvesToEven)
{
    struct {
        int32_t Points, Scale, Expected;
    } cases[] = {{8, 100, 8}, {8, 50, 4}, {9, 50, 4}, {10, 125, 12}, {11, 150, 16}, {3, 50, 2}, {10, 200, 20}};
    for (const auto &c : cases) {
        TKXUOLibrary library;
        auto style = std::make_unique<TKXVertexStyle>();
        style->Name = "S";
        AddTextItem(*style, "T", {0, 0, 50, 20}).FontSize = c.Points;
        library.AddStyle(std::move(style));
        auto v = TKXVertex::CreateWithStyle({0, 0}, &library, "S");
        TKXRecordingCanvas canvas;
        v->Draw(canvas, c.Scale, dmScreen);
        ASSERT_EQ(canvas.CallsOf("TextRect").size(), 1u);
        EXPECT_EQ(canvas.CallsOf("TextRect")[0].Font.Size, c.Expected) << c.Points << " pt at " << c.Scale;
    }
}

TEST_F(StyledVertexTest, TextStartsFollowTheAlignment)
{
    TKXVertexStyle &box = AddStyle("Box");
    for (const TKXTextAlign align : {txCenter, txLeft, txRight, static_cast<TKXTextAlign>(7)}) {
        TKXTextItem &item = AddTextItem(box, "abcd", {10, 5, 110, 25});
        item.Alignment = align;
        item.FontName = "Arial";
        item.FontSize = 8;
    }
    auto v = TKXVertex::CreateWithStyle({200, 100}, &Library, "Box");
    v->Style->OnGetData = [](int32_t, const std::string &, TObject *) { return std::string("abcd"); };

    TKXRecordingCanvas canvas;
    canvas.CharWidth = 10;  // "abcd" measures 40 pixels
    v->Draw(canvas, 100, dmScreen);
    EXPECT_EQ(canvas.Log(), (std::vector<std::string>{
                                "TextRect(160,80,260,100,190,81,\"abcd\")",  // 40 from the vertex's left
                                "TextRect(160,80,260,100,161,81,\"abcd\")",  // 11
                                "TextRect(160,80,260,100,220,81,\"abcd\")",  // 70
                                "TextRect(160,80,260,100,161,81,\"abcd\")",  // unknown: as left
                            }));
    // The pixel width is taken as logical units and scaled with the rest.
    canvas.Clear();
    v->Draw(canvas, 200, dmScreen);
    EXPECT_EQ(canvas.CallsOf("TextRect")[0].ToString(), "TextRect(320,160,520,200,380,162,\"abcd\")");
    EXPECT_EQ(canvas.CallsOf("TextWidth")[0].Font.Size, 16) << "measured in the font just set";
}

TEST_F(StyledVertexTest, AsksTheDataEventOncePerTextItemOnEveryDraw)
{
    TKXVertexStyle &box = AddStyle("Box");
    AddTextItem(box, "First", {0, 0, 100, 20});
    AddTextItem(box, "Second", {0, 20, 100, 40});
    auto v = TKXVertex::CreateWithStyle({200, 100}, &Library, "Box");
    v->Id = 42;
    TObject host;
    v->DataObject = &host;

    TKXRecordingCanvas canvas;
    v->Draw(canvas, 100, dmScreen);
    v->Draw(canvas, 100, dmScreen);
    ASSERT_EQ(DataCalls.size(), 4u);
    const char *names[] = {"First", "Second", "First", "Second"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(DataCalls[i].Id, 42);
        EXPECT_EQ(DataCalls[i].Fieldname, names[i]);
        EXPECT_EQ(DataCalls[i].Object, &host);
    }
    const auto texts = canvas.CallsOf("TextRect");
    EXPECT_EQ(texts[0].Text, "<<First>>");
    EXPECT_EQ(texts[1].Text, "<<Second>>");
    EXPECT_EQ(v->Style->TextItems[1]->Text, "<<Second>>");

    // Without a data event an item shows the text it holds.
    v->Style->OnGetData = nullptr;
    v->Style->TextItems[0]->Text = "kept";
    canvas.Clear();
    v->Draw(canvas, 100, dmScreen);
    EXPECT_EQ(canvas.CallsOf("TextRect")[0].Text, "kept");
}

TEST_F(StyledVertexTest, RestoresPenAndBrushButLeavesTheLastFont)
{
    TKXVertexStyle &box = AddStyle("Box");
    TKXDrawItem &frame = AddDrawItem(box, "Frame", {0, 0, 100, 50});
    frame.PenColor = 0x123456;
    frame.PenWidth = 5;
    frame.PenStyle = psDot;
    frame.BrushStyle = bsHorizontal;
    TKXTextItem &a = AddTextItem(box, "A", {0, 0, 50, 20});
    a.FontName = "Times New Roman";
    a.FontSize = 12;
    TKXTextItem &b = AddTextItem(box, "B", {0, 20, 50, 40});
    b.FontName = std::string(300, 'F');
    b.FontSize = 9;
    b.FontColor = 0x0000FF;
    b.FontStyle = fsItalic | fsUnderline;
    b.BackStyle = bsClear;
    b.BackColor = 0x00FFFF;
    auto v = TKXVertex::CreateWithStyle({200, 100}, &Library, "Box");

    TKXRecordingCanvas canvas;
    const TKXPen pen{clNavy, psDashDot, 2, pmCopy};
    const TKXBrush brush{clSilver, bsBDiagonal};
    canvas.Pen = pen;
    canvas.Brush = brush;
    v->Draw(canvas, 100, dmScreen);
    EXPECT_EQ(canvas.Pen, pen);
    EXPECT_EQ(canvas.Brush, brush);
    EXPECT_EQ(canvas.Font, (TKXFont{std::string(255, 'F'), 9, 0x0000FF, fsItalic | fsUnderline}));
    EXPECT_EQ(canvas.CallsOf("TextRect")[1].Brush, (TKXBrush{0x00FFFF, bsClear}));
}

TEST_F(StyledVertexTest, HandlesOnlyWhenSelectedOnTheScreenAndNothingWithoutAStyle)
{
    AddDrawItem(AddStyle("Box"), "Frame", {0, 0, 100, 50});
    auto v = TKXVertex::CreateWithStyle({200, 100}, &Library, "Box");
    v->Selected = true;
    TKXRecordingCanvas canvas;
    v->Draw(canvas, 100, dmPrinter);
    EXPECT_EQ(canvas.Log(), std::vector<std::string>{"Rectangle(150,75,250,125)"});
    canvas.Clear();
    v->Draw(canvas, 100, dmScreen);
    EXPECT_EQ(canvas.Log().size(), 5u);
    EXPECT_EQ(canvas.Log()[4], "Rectangle(146,121,154,129)");

    v->Style.reset();
    canvas.Clear();
    v->Draw(canvas, 100, dmScreen);
    EXPECT_TRUE(canvas.Calls.empty());
    v->Handles[2]->MoveBy({10, 10});
    EXPECT_EQ(v->Handles[2]->Position, (TPoint{260, 135})) << "without a style only the handles adjust";
}

class StyledVertexRecordTest : public StyledVertexTest {
protected:
    TKXObjectList Vertices;
    TKXObjectList Edges;
    std::string FDir;

    void SetUp() override
    {
        StyledVertexTest::SetUp();
        std::string pattern = (std::filesystem::temp_directory_path() / "kxgr-vertex-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        FDir = pattern;
        TKXVertexStyle &box = AddStyle("Box");
        AddDrawItem(box, "Frame", {3, 4, 5, 6}).Growth = igBoth;
        AddTextItem(box, "Title", {5, 5, 95, 20}).Growth = igHorizontal;
    }
    void TearDown() override { std::filesystem::remove_all(FDir); }

    std::unique_ptr<TKXObject> TextRoundTrip(TKXObject &object, TObject *data)
    {
        const std::string name = FDir + "/v.txt";
        TKXTextFile out;
        out.Create(name);
        object.WriteToText(out);
        out.Close();
        TKXTextFile in;
        in.Open(name);
        return TKXVertex::ClassRecord.CreateFromText(in, Vertices, Edges, data);
    }
    std::unique_ptr<TKXObject> StreamRoundTrip(TKXObject &object, TObject *data)
    {
        TKXMemoryStream stream;
        {
            TValueWriter writer(stream, 128);
            object.WriteToStream(writer);
        }
        TKXMemoryStream back(stream.Bytes());
        TValueReader reader(back, 128);
        return TKXVertex::ClassRecord.CreateFromStream(reader, Vertices, Edges, data);
    }
    std::vector<std::unique_ptr<TKXVertex>> BothRoundTrips(TKXVertex &v, TObject *data)
    {
        std::vector<std::unique_ptr<TKXVertex>> reads;
        for (auto read : {TextRoundTrip(v, data).release(), StreamRoundTrip(v, data).release()}) {
            reads.emplace_back(dynamic_cast<TKXVertex *>(read));
            EXPECT_NE(reads.back(), nullptr);
        }
        return reads;
    }
};

TEST_F(StyledVertexRecordTest, WritesTheStyleNameAfterTheVertexValues)
{
    auto v = TKXVertex::CreateWithStyle({200, 100}, &Library, "Box");
    v->Id = 7;
    TextRoundTrip(*v, &Library);
    const std::string text = "7\r\n150 75 250 125\r\nBox\r\n";
    EXPECT_EQ(ReadFileBytes(FDir + "/v.txt"), TBytes(text.begin(), text.end()));

    TKXMemoryStream stream;
    {
        TValueWriter writer(stream, 128);
        v->WriteToStream(writer);
    }
    EXPECT_EQ(stream.Bytes(), (TBytes{0x02, 0x07, 0x03, 0x96, 0x00, 0x02, 0x4B, 0x03, 0xFA, 0x00, 0x02, 0x7D, 0x06,
                                      0x03, 'B', 'o', 'x'}));
}

TEST_F(StyledVertexRecordTest, BothFormsRestoreSidesIdAndTheStyleGrownToTheStoredSize)
{
    for (const TRect sides : {TRect{10, 20, 250, 80}, TRect{0, 0, 300, 40}, TRect{150, 75, 251, 126}}) {
        auto v = TKXVertex::CreateWithStyle({200, 100}, &Library, "Box");
        v->Id = 31;
        v->Left = sides.Left;
        v->Top = sides.Top;
        v->Right = sides.Right;
        v->Bottom = sides.Bottom;
        v->AdjustHandles();
        for (const auto &back : BothRoundTrips(*v, &Library)) {
            ASSERT_NE(back, nullptr);
            EXPECT_EQ(&back->ClassType(), &TKXVertex::ClassRecord);
            EXPECT_EQ(back->Id, 31);
            EXPECT_EQ(SidesOf(*back), sides);
            EXPECT_EQ(back->Handles[2]->Position, (TPoint{sides.Right, sides.Bottom}));
            ExpectSameStyle(*back->Style, *v->Style);
            const int32_t w = sides.Right - sides.Left;
            EXPECT_EQ(CoordsOf(*back->Style->DrawItems[0]), (TRect{0, 0, w, sides.Bottom - sides.Top}));
            EXPECT_EQ(CoordsOf(*back->Style->TextItems[0]), (TRect{0, 5, w, 20}));
            EXPECT_TRUE(back->Style->OnGetData);
        }
    }
}

TEST_F(StyledVertexRecordTest, AMissingStyleOrNoLibraryGivesAnEmptyStyle)
{
    auto v = TKXVertex::CreateWithStyle({200, 100}, &Library, "Box");
    v->Id = 3;
    TKXUOLibrary other;
    TObject notALibrary;
    for (TObject *data : {static_cast<TObject *>(&other), &notALibrary, static_cast<TObject *>(nullptr)}) {
        for (const auto &back : BothRoundTrips(*v, data)) {
            ASSERT_NE(back, nullptr);
            EXPECT_EQ(SidesOf(*back), (TRect{150, 75, 250, 125}));
            ASSERT_NE(back->Style, nullptr);
            EXPECT_EQ(back->Style->Name, "");
            EXPECT_TRUE(back->Style->DrawItems.empty());
        }
    }

    v->Style.reset();
    for (const auto &back : BothRoundTrips(*v, &Library)) {
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->Style->Name, "") << "a vertex without style stores an empty name";
    }
}

}
