#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXStream.h"
#include "KXGR/core/KXStyles.h"

#include "TestFiles.h"
#include "TestStyles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

namespace {

int destroyedStyles = 0;

struct TCountedStyle : TKXVertexStyle {
    ~TCountedStyle() override { ++destroyedStyles; }
};

std::vector<std::string> StyleNames(const TKXUOLibrary &library)
{
    std::vector<std::string> names;
    for (const auto &style : library.Styles())
        names.push_back(style->Name);
    return names;
}

std::unique_ptr<TKXVertexStyle> NamedStyle(const std::string &name)
{
    auto style = std::make_unique<TKXVertexStyle>();
    style->Name = name;
    return style;
}

class Library : public TScratchDirTest {
protected:
    // A copy of a golden file in the scratch directory, so that tests may overwrite it.
    std::string CopyOf(const std::string &goldenName)
    {
        const std::string name = Path(goldenName);
        std::filesystem::copy_file(DataFile(goldenName), name);
        return name;
    }

    TKXUOLibrary FLibrary;
};

// ---------------------------------------------------------------------------------------------
// The file format

TEST_F(Library, EmptyLibraryIsElevenBytes)
{
    FLibrary.SaveToFile(Path("empty.uol"));
    EXPECT_EQ(ReadFileBytes(Path("empty.uol")), ReadFileBytes(DataFile("library_empty.uol")));
    EXPECT_EQ(ReadFileBytes(Path("empty.uol")).size(), 11u);

    FLibrary.AddStyle(NamedStyle("Old"));
    FLibrary.LoadFromFile(DataFile("library_empty.uol"));
    EXPECT_TRUE(FLibrary.Styles().empty());
}

TEST_F(Library, WritesTheExampleByteForByteAndReadsItBack)
{
    FLibrary.AddStyle(MakeExampleStyle());
    FLibrary.SaveToFile(Path("example.uol"));
    EXPECT_EQ(ReadFileBytes(Path("example.uol")), ReadFileBytes(DataFile("library_example.uol")));

    TKXUOLibrary loaded;
    loaded.LoadFromFile(DataFile("library_example.uol"));
    ASSERT_EQ(loaded.Styles().size(), 1u);
    ExpectSameStyle(*loaded.Styles()[0], *MakeExampleStyle());
}

TEST_F(Library, ExtremeValuesSurviveSaveAndLoad)
{
    auto style = NamedStyle(std::string("G\xE4nsef\xFC\xDF", 7)); // code page 1252 bytes
    TKXDrawItem &draw = AddDrawItem(*style, "Neg", {-1, -129, -32769, -2147483647 - 1});
    draw.PenColor = clBtnFace;
    draw.BrushColor = clInfoBk;
    draw.PenWidth = 2147483647;
    draw.Shape = isLine;
    draw.BrushStyle = bsDiagCross;
    TKXTextItem &text = AddTextItem(*style, "Long", {-5, -5, 0, 0});
    text.Text = std::string(300, 'L');
    text.FontName = "Liberation Sans";
    text.FontColor = clWindowText;
    text.BackColor = static_cast<TColor>(0x80000000u);
    text.FontStyle = fsBold | fsItalic | fsUnderline | fsStrikeOut;
    text.Alignment = txRight;
    text.BackStyle = static_cast<TBrushStyle>(255);
    FLibrary.AddStyle(std::move(style));
    FLibrary.AddStyle(NamedStyle(""));

    FLibrary.SaveToFile(Path("extreme.uol"));
    const TBytes bytes = ReadFileBytes(Path("extreme.uol"));
    const TBytes longText{0x0C, 0x2C, 0x01, 0x00, 0x00, 'L'};
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), longText.begin(), longText.end()), bytes.end());

    TKXUOLibrary loaded;
    loaded.LoadFromFile(Path("extreme.uol"));
    ASSERT_EQ(loaded.Styles().size(), 2u);
    ExpectSameStyle(*loaded.Styles()[0], *FLibrary.Styles()[0]);
    ExpectSameStyle(*loaded.Styles()[1], *FLibrary.Styles()[1]);
}

TEST_F(Library, OneByteFieldsKeepTheLowEightBits)
{
    {
        TKXFileStream stream(Path("wide.uol"), fmCreate);
        TValueWriter w(stream, 128);
        w.PutString("UOL1.00");
        w.PutListBegin();
        w.PutString("S");
        w.PutListBegin();
        w.PutString("D");
        for (int32_t v : {0, 0, 10, 10, 258, 259, -1, 260, 1, -1, 263})
            w.PutInteger(v); // Shape, Growth, PenStyle and BrushStyle stored out of range
        w.PutListEnd();
        w.PutListBegin();
        w.PutString("T");
        w.PutString("");
        for (int32_t v : {0, 0, 1, 1, 513})
            w.PutInteger(v); // Growth
        w.PutString("Arial");
        w.PutInteger(8);
        w.PutInteger(0);
        for (bool b : {false, true, false, true})
            w.PutBoolean(b);
        for (int32_t v : {258, 0, 257})
            w.PutInteger(v); // Alignment, BackColor, BackStyle
        w.PutListEnd();
        w.PutListEnd();
    }
    FLibrary.LoadFromFile(Path("wide.uol"));
    const TKXVertexStyle &style = *FLibrary.Styles().at(0);
    const TKXDrawItem &draw = *style.DrawItems.at(0);
    EXPECT_EQ(draw.Shape, 2);
    EXPECT_EQ(draw.Growth, 3);
    EXPECT_EQ(draw.PenStyle, 4);
    EXPECT_EQ(draw.BrushStyle, 7);
    EXPECT_EQ(draw.PenColor, -1);
    const TKXTextItem &text = *style.TextItems.at(0);
    EXPECT_EQ(text.Growth, 1);
    EXPECT_EQ(text.FontStyle, fsItalic | fsStrikeOut);
    EXPECT_EQ(text.Alignment, 2);
    EXPECT_EQ(text.BackStyle, 1);
}

// ---------------------------------------------------------------------------------------------
// Loading replaces the content

TEST_F(Library, LoadingDestroysTheOldStylesAndKeepsFileOrder)
{
    destroyedStyles = 0;
    for (const char *name : {"One", "Two", "Three"}) {
        auto style = std::make_unique<TCountedStyle>();
        style->Name = name;
        FLibrary.AddStyle(std::move(style));
    }
    TKXUOLibrary two;
    two.AddStyle(NamedStyle("B"));
    two.AddStyle(MakeExampleStyle());
    two.SaveToFile(Path("two.uol"));

    FLibrary.LoadFromFile(Path("two.uol"));
    EXPECT_EQ(destroyedStyles, 3);
    EXPECT_EQ(StyleNames(FLibrary), (std::vector<std::string>{"B", "Style1"}));
}

// Every failure of a load, with the content left behind.
struct TLoadFailure {
    const char *File;
    std::function<void(const std::string &fileName)> Check;
    std::vector<std::string> StylesAfter;
};

template <typename TException>
std::function<void(const std::string &)> Raises(const std::function<std::string(const std::string &)> &message)
{
    return [message](const std::string &fileName) {
        try {
            throw; // the exception being handled by the caller
        } catch (const TException &e) {
            EXPECT_EQ(e.Message(), message(fileName));
        } catch (...) {
            ADD_FAILURE() << "wrong exception type";
        }
    };
}

TEST_F(Library, FailedLoadsReportAndKeepWhatWasReadCompletely)
{
    const auto fixed = [](const char *text) { return [text](const std::string &) { return std::string(text); }; };
    const std::vector<TLoadFailure> cases{
        {"missing.uol", Raises<EFOpenError>([](const std::string &f) { return "Kann Datei " + f + " nicht öffnen"; }),
         {}},
        {"library_lowercase_magic.uol", Raises<EKXDiagramError>(fixed("Invalid File Format")), {}},
        {"library_starts_with_integer.uol", Raises<EReadError>(fixed("Ungültiger Wert der Eigenschaft")), {}},
        {"library_string_for_integer.uol", Raises<EReadError>(fixed("Ungültiger Wert der Eigenschaft")), {"Style1"}},
        {"library_cut_in_second_style.uol", Raises<EReadError>(fixed("Stream-Read-Fehler ")), {"Style1"}},
    };
    const std::size_t descriptors = OpenDescriptorCount();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.File);
        const std::string fileName = std::filesystem::exists(DataFile(c.File)) ? CopyOf(c.File) : Path(c.File);
        FLibrary.AddStyle(NamedStyle("Old"));
        try {
            FLibrary.LoadFromFile(fileName);
            ADD_FAILURE() << "loaded";
        } catch (...) {
            c.Check(fileName);
        }
        EXPECT_EQ(StyleNames(FLibrary), c.StylesAfter);
        EXPECT_EQ(OpenDescriptorCount(), descriptors);

        // The file is free at once: it can be overwritten and read again.
        FLibrary.SaveToFile(fileName);
        TKXUOLibrary reloaded;
        reloaded.LoadFromFile(fileName);
        EXPECT_EQ(StyleNames(reloaded), c.StylesAfter);
    }
}

TEST_F(Library, AnyDifferenceInTheMagicIsAnInvalidFormat)
{
    std::vector<std::string> magics{"UOL1.0", "UOL1.000", ""};
    for (std::size_t i = 0; i < 7; ++i) {
        std::string magic = "UOL1.00";
        magic[i] = static_cast<char>(magic[i] ^ 0x20); // other letter case, or another character
        magics.push_back(magic);
    }
    for (const auto &magic : magics) {
        SCOPED_TRACE(magic);
        {
            TKXFileStream stream(Path("magic.uol"), fmCreate);
            TValueWriter writer(stream, 128);
            writer.PutString(magic);
            writer.PutListBegin();
            writer.PutListEnd();
        }
        FLibrary.AddStyle(NamedStyle("Old"));
        EXPECT_THROW(FLibrary.LoadFromFile(Path("magic.uol")), EKXDiagramError);
        EXPECT_TRUE(FLibrary.Styles().empty());
    }
}

// ---------------------------------------------------------------------------------------------
// Saving failures

TEST_F(Library, SaveThatCannotCreateItsFileChangesNothing)
{
    FLibrary.AddStyle(MakeExampleStyle());
    const std::string fileName = Path("no-dir/lib.uol");
    try {
        FLibrary.SaveToFile(fileName);
        ADD_FAILURE() << "saved";
    } catch (const EFCreateError &e) {
        EXPECT_EQ(e.Message(), "Kann Datei " + fileName + " nicht erstellen");
    }
    EXPECT_EQ(StyleNames(FLibrary), std::vector<std::string>{"Style1"});
    EXPECT_TRUE(DirEntries().empty());
}

TEST_F(Library, SaveWhoseWritesFailLeavesTheOldFileIntact)
{
    const std::string fileName = CopyOf("library_empty.uol");
    FLibrary.AddStyle(MakeExampleStyle());
    const std::size_t descriptors = OpenDescriptorCount();
    {
        // The disk takes 50 of the 98 bytes.
        TFileSizeLimit limit(50);
        try {
            FLibrary.SaveToFile(fileName);
            ADD_FAILURE() << "saved";
        } catch (const EWriteError &e) {
            EXPECT_EQ(e.Message(), "Stream-Write-Fehler ");
        }
    }
    EXPECT_EQ(ReadFileBytes(fileName), ReadFileBytes(DataFile("library_empty.uol")));
    EXPECT_EQ(DirEntries(), std::vector<std::string>{"library_empty.uol"});
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
    EXPECT_EQ(StyleNames(FLibrary), std::vector<std::string>{"Style1"});
}

// ---------------------------------------------------------------------------------------------
// Look-up and the data event

TEST(UOLibrary, FindStyleAnswersTheFirstExactMatch)
{
    TKXUOLibrary library;
    EXPECT_EQ(library.FindStyle("Any"), nullptr);
    library.AddStyle(NamedStyle(""));
    TKXVertexStyle *first = library.AddStyle(NamedStyle("Box"));
    library.AddStyle(NamedStyle("Box"));
    EXPECT_EQ(library.FindStyle("Box"), first);
    EXPECT_EQ(library.FindStyle("box"), nullptr);
    EXPECT_EQ(library.FindStyle(""), nullptr);
}

TEST_F(Library, StylesCarryTheEventAsItWasWhenTheyCameIn)
{
    TKXVertexStyle *before = FLibrary.AddStyle(NamedStyle("Before"));
    FLibrary.OnGetData = [](int32_t, const std::string &field, TObject *) { return "<<" + field + ">>"; };
    TKXVertexStyle *after = FLibrary.AddStyle(NamedStyle("After"));
    EXPECT_FALSE(before->OnGetData);
    ASSERT_TRUE(after->OnGetData);
    EXPECT_EQ(after->OnGetData(1, "Title", nullptr), "<<Title>>");

    FLibrary.SaveToFile(Path("lib.uol"));
    FLibrary.LoadFromFile(Path("lib.uol"));
    for (const auto &style : FLibrary.Styles())
        ASSERT_TRUE(style->OnGetData);

    FLibrary.OnGetData = nullptr; // a later change does not reach the styles held
    EXPECT_TRUE(FLibrary.Styles()[0]->OnGetData);
}

}
