// The diagram program's vertex and its libraries, headless: records in both file forms, the
// data event, restyling and what a library saved again changed.
#include "DataVertex.h"
#include "StyleLibraries.h"

#include "core/TestFiles.h"
#include "core/TestStyles.h"

#include "KXGR/core/KXCanvas.h"
#include "KXGR/core/KXEdge.h"
#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXStream.h"
#include "KXGR/core/KXTextFile.h"

#include <gtest/gtest.h>

namespace {

// A library with Box (frame growing both ways, texts Title and Note) and Plain (no text item).
std::unique_ptr<TKXUOLibrary> MakeLibrary()
{
    auto library = std::make_unique<TKXUOLibrary>();
    auto box = MakeExampleStyle();
    box->Name = "Box";
    AddTextItem(*box, "Note", {5, 25, 95, 45}).FontName = "Arial";
    library->AddStyle(std::move(box));
    AddDrawItem(*library->AddStyle(NamedStyle("Plain")), "Line", {0, 0, 100, 50}).Shape = isLine;
    return library;
}

// Records the texts a vertex draws.
class TTextCanvas : public TKXCanvas {
public:
    std::vector<std::string> Texts;
    void Rectangle(int32_t, int32_t, int32_t, int32_t) override {}
    void RoundRect(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) override {}
    void Ellipse(int32_t, int32_t, int32_t, int32_t) override {}
    void LineTo(int32_t, int32_t) override {}
    void FillRect(const TRect &) override {}
    void TextOut(int32_t, int32_t, const std::string &text) override { Texts.push_back(text); }
    void TextRect(const TRect &, int32_t, int32_t, const std::string &text) override { Texts.push_back(text); }
    int32_t TextWidth(const std::string &text) override { return static_cast<int32_t>(text.size()); }
    int32_t TextHeight(const std::string &) override { return 10; }
};

class DataVertexTest : public TScratchDirTest {
protected:
    std::unique_ptr<TKXUOLibrary> Library = MakeLibrary();
    TKXObjectList Vertices, Edges;

    std::unique_ptr<TKXDataVertex> Placed()
    {
        auto v = std::make_unique<TKXDataVertex>(TPoint{200, 100}, Library->FindStyle("Box"));
        v->Id = 7;
        v->Right = 290;  // resized to 140 x 50
        v->AdjustHandles();
        v->SetValue("Title", "Pump \xe9");
        v->SetValue("Note", "runs at 40 %");
        return v;
    }

    // Writes the vertex in one form and reads it back with data as the style source.
    std::unique_ptr<TKXDataVertex> RoundTrip(TKXDataVertex &v, bool text, TObject *data)
    {
        const std::string name = Path("v");
        if (text) {
            TKXTextFile f;
            f.Create(name);
            v.WriteToText(f);
            f.WriteLine("after");
            f.Close();
            TKXTextFile r;
            r.Open(name);
            auto back = TKXDataVertex::CreateFromText(r, Vertices, Edges, data);
            EXPECT_EQ(r.ReadLine(), "after");  // the record was read exactly
            return back;
        }
        TKXMemoryStream stream;
        {
            TValueWriter w(stream, 128);
            v.WriteToStream(w);
            w.PutString("after");
        }
        TKXMemoryStream in(stream.Bytes());
        TValueReader r(in, 128);
        auto back = TKXDataVertex::CreateFromStream(r, Vertices, Edges, data);
        EXPECT_EQ(r.GetString(), "after");
        return back;
    }
};

TEST_F(DataVertexTest, DrawsItsOwnValuesWhateverTheLibrarysEvent)
{
    Library->OnGetData = [](int32_t, const std::string &, TObject *) { return std::string("library"); };
    auto v = Placed();
    v->SetValue("Note", "");  // an empty value is no value
    TTextCanvas canvas;
    v->Draw(canvas, 100, dmScreen);
    EXPECT_EQ(canvas.Texts, (std::vector<std::string>{"Pump \xe9", ""}));
    EXPECT_EQ(v->Values().size(), 1u);
    EXPECT_THROW(v->SetValue("Title", "two\r\nlines"), EKXDiagramError);
    EXPECT_EQ(v->Value("Title"), "Pump \xe9");
}

TEST_F(DataVertexTest, BothFormsRoundTripPlaceStyleAndEveryValueAndKeepAStyleNoLibraryHolds)
{
    for (const bool text : {false, true}) {
        auto v = Placed();
        v->SetValue("Gone", "a field the style no longer shows");
        auto back = RoundTrip(*v, text, Library.get());
        ASSERT_TRUE(back) << text;
        EXPECT_EQ(back->Id, 7);
        EXPECT_EQ((TRect{back->Left, back->Top, back->Right, back->Bottom}), (TRect{150, 75, 290, 125}));
        EXPECT_EQ(back->Values(), v->Values()) << text;
        ExpectSameStyle(*back->Style, *v->Style);  // growth applied to the restored size
        EXPECT_EQ(back->Style->DrawItems[0]->X2, 140);
        TTextCanvas canvas;
        back->Draw(canvas, 100, dmScreen);
        EXPECT_EQ(canvas.Texts[0], "Pump \xe9") << "the copy answers the data event itself";

        // A style no library holds keeps its name and the values through a save.
        TKXStyleLibraries none;
        auto lost = RoundTrip(*v, text, &none);
        EXPECT_EQ(lost->StyleName(), "Box");
        EXPECT_TRUE(lost->Style->DrawItems.empty());
        auto again = RoundTrip(*lost, text, Library.get());
        EXPECT_EQ(again->Style->DrawItems.size(), 1u) << "the link found its style again";
        EXPECT_EQ(again->Values(), v->Values());
    }
}

TEST_F(DataVertexTest, DamagedRecordsFailWithTheReadersErrors)
{
    const std::string name = Path("bad");
    {
        TKXTextFile f;
        f.Create(name);
        f.WriteLine("3");
        f.WriteLine("0 0 100 50");
        f.WriteLine("Box");
        f.WriteLine("5");  // five values announced, one there
        f.WriteLine("Title");
        f.WriteLine("x");
        f.Close();
    }
    TKXTextFile r;
    r.Open(name);
    ExpectError<EInOutError>([&] { TKXDataVertex::CreateFromText(r, Vertices, Edges, Library.get()); },
                             KXMessages::ReadBeyondEndOfFile);

    TKXMemoryStream stream;
    {
        TValueWriter w(stream, 128);
        for (int32_t value : {3, 0, 0, 100, 50})
            w.PutInteger(value);
        w.PutString("Box");
        w.PutInteger(1000000);
        w.PutString("Title");
    }
    TKXMemoryStream in(stream.Bytes());
    TValueReader reader(in, 128);
    EXPECT_THROW(TKXDataVertex::CreateFromStream(reader, Vertices, Edges, Library.get()), EReadError);
}

TEST_F(DataVertexTest, RestyleKeepsPlaceSizeValuesAndEdgeEnds)
{
    auto v = Placed();
    TKXCustomVertex other(TPoint{400, 100});
    TKXCustomEdge edge(v.get(), &other, {290, 100}, {350, 100});
    TKXVertexStyle changed;
    changed.AssignStyle(*Library->FindStyle("Box"));
    changed.DrawItems[0]->Shape = isEllipse;
    v->Restyle(&changed);
    EXPECT_EQ((TRect{v->Left, v->Top, v->Right, v->Bottom}), (TRect{150, 75, 290, 125}));
    EXPECT_EQ(v->Style->DrawItems[0]->Shape, isEllipse);
    EXPECT_EQ(v->Style->DrawItems[0]->X2, 140);
    EXPECT_EQ(v->Value("Note"), "runs at 40 %");
    EXPECT_EQ(edge.Handles.front()->Position, (TPoint{290, 100}));
    v->Restyle(nullptr);
    EXPECT_EQ(v->StyleName(), "Box");
    EXPECT_TRUE(v->Style->DrawItems.empty());
}

TEST_F(DataVertexTest, LibrariesFindTheFirstStyleAndReportWhatASaveChanged)
{
    const std::string first = Path("a.uol"), second = Path("b.uol");
    Library->SaveToFile(first);
    TKXUOLibrary other;
    AddDrawItem(*other.AddStyle(NamedStyle("Box")), "Other");
    other.AddStyle(NamedStyle("Extra"));
    other.SaveToFile(second);

    TKXStyleLibraries libraries;
    EXPECT_EQ(libraries.Open(first), nullptr);
    EXPECT_EQ(libraries.Open(second), nullptr);
    EXPECT_EQ(libraries.FindStyle("Box")->DrawItems[0]->Name, "Frame");
    EXPECT_NE(libraries.FindStyle("Extra"), nullptr);
    EXPECT_EQ(libraries.FindStyle("None"), nullptr);

    // Saved again: Box changed, Plain gone, a new style added; the text a host shows is no change.
    Library->FindStyle("Box")->TextItems[0]->Text = "shown";
    auto unchanged = libraries.Open(first);
    ASSERT_TRUE(unchanged);
    EXPECT_TRUE(CompareLibraries(*unchanged, *libraries.Entries()[0].Library).Empty());

    TKXUOLibrary changed;
    changed.AddStyle(std::make_unique<TKXVertexStyle>())->AssignStyle(*Library->FindStyle("Box"));
    changed.FindStyle("Box")->DrawItems[0]->PenColor = 0xFF;
    changed.AddStyle(NamedStyle("New"));
    changed.SaveToFile(first);
    auto before = libraries.Open(first);
    const TKXStyleChanges changes = CompareLibraries(*before, *libraries.Entries()[0].Library);
    EXPECT_EQ(changes.Changed, (std::vector<std::string>{"Box"}));
    EXPECT_EQ(changes.Removed, (std::vector<std::string>{"Plain"}));
    EXPECT_EQ(libraries.Entries().size(), 2u);

    // A file that cannot be read leaves the open libraries as they were.
    WriteFileBytes(first, BytesOf("garbage"));
    EXPECT_THROW(libraries.Open(first), EKXError);
    EXPECT_NE(libraries.FindStyle("New"), nullptr);
}

} // namespace
