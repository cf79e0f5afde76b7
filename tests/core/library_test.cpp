#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXSafeSave.h"
#include "KXGR/core/KXStream.h"
#include "KXGR/core/KXStyles.h"

#include "TestFiles.h"
#include "TestStyles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <set>
#include <thread>
#include <typeinfo>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::vector<std::string> StyleNames(const TKXUOLibrary &library)
{
    std::vector<std::string> names;
    for (const auto &style : library.Styles())
        names.push_back(style->Name);
    return names;
}

class Library : public TScratchDirTest {
protected:
    // A copy of a golden file in the scratch directory, so that tests may overwrite it.
    std::string CopyOf(const std::string &goldenName)
    {
        std::filesystem::copy_file(DataFile(goldenName), Path(goldenName));
        return Path(goldenName);
    }

    TKXUOLibrary FLibrary;
};

TEST_F(Library, WritesAndReadsTheGoldenFilesByteForByte)
{
    // The empty library first; the example style comes in for the second file.
    for (const auto &[golden, size] : {std::pair{"library_empty.uol", 11u}, {"library_example.uol", 98u}}) {
        FLibrary.SaveToFile(Path(golden));
        EXPECT_EQ(ReadFileBytes(Path(golden)), ReadFileBytes(DataFile(golden)));
        EXPECT_EQ(ReadFileBytes(Path(golden)).size(), size);
        FLibrary.AddStyle(MakeExampleStyle());
    }

    TKXUOLibrary loaded;
    loaded.AddStyle(NamedStyle("Old"));
    loaded.LoadFromFile(DataFile("library_example.uol"));
    ASSERT_EQ(loaded.Styles().size(), 1u);
    ExpectSameStyle(*loaded.Styles()[0], *MakeExampleStyle());
    loaded.LoadFromFile(DataFile("library_empty.uol"));
    EXPECT_TRUE(loaded.Styles().empty());
}

TEST_F(Library, ExtremeValuesSurviveSaveAndLoad)
{
    auto style = NamedStyle(std::string("G\xE4nsef\xFC\xDF", 7)); // code page 1252 bytes
    TKXDrawItem &draw = AddDrawItem(*style, "Neg", {-1, -129, -32769, -2147483647 - 1});
    std::tie(draw.Shape, draw.PenColor, draw.PenWidth, draw.BrushColor, draw.BrushStyle) =
        std::tuple(isLine, clBtnFace, 2147483647, clInfoBk, bsDiagCross); // system colours: high bit set
    TKXTextItem &text = AddTextItem(*style, "Long", {-5, -5, 0, 0});
    std::tie(text.Text, text.FontColor, text.BackColor, text.FontStyle, text.Alignment) =
        std::tuple(std::string(300, 'L'), clWindowText, TColor(0x80000000u),
                   fsBold | fsItalic | fsUnderline | fsStrikeOut, txRight);
    FLibrary.AddStyle(std::move(style));
    FLibrary.AddStyle(NamedStyle(""));

    FLibrary.SaveToFile(Path("extreme.uol"));
    const TBytes bytes = ReadFileBytes(Path("extreme.uol"));
    const TBytes longText = BytesOf(std::string("\x0C\x2C\x01\x00\x00L", 6));
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
        w.PutString("UOL1.00"); w.PutListBegin(); w.PutString("S"); w.PutListBegin(); w.PutString("D");
        for (int32_t v : {0, 0, 10, 10, 258, 259, -1, 260, 1, -1, 263})
            w.PutInteger(v); // Shape, Growth, PenStyle and BrushStyle stored out of range
        w.PutListEnd(); w.PutListBegin(); w.PutString("T"); w.PutString("");
        for (int32_t v : {0, 0, 1, 1, 513})
            w.PutInteger(v); // Growth
        w.PutString("Arial"); w.PutInteger(8); w.PutInteger(0);
        for (bool b : {false, true, false, true})
            w.PutBoolean(b);
        for (int32_t v : {258, 0, 257})
            w.PutInteger(v); // Alignment, BackColor, BackStyle
        w.PutListEnd(); w.PutListEnd();
    }
    FLibrary.LoadFromFile(Path("wide.uol"));
    const TKXDrawItem &draw = *FLibrary.Styles().at(0)->DrawItems.at(0);
    EXPECT_EQ(std::tuple(draw.Shape, draw.Growth, draw.PenStyle, draw.BrushStyle, draw.PenColor),
              std::tuple(2, 3, 4, 7, -1));
    const TKXTextItem &text = *FLibrary.Styles().at(0)->TextItems.at(0);
    EXPECT_EQ(std::tuple(text.Growth, text.FontStyle, text.Alignment, text.BackStyle),
              std::tuple(1, fsItalic | fsStrikeOut, 2, 1));
}

// Every failure of a load, with the byte offset of the value where it stopped and the content
// left behind; the file is free at once afterwards.
TEST_F(Library, FailedLoadsReportAndKeepWhatWasReadCompletely)
{
    const std::tuple<const char *, const std::type_info &, std::string, int64_t, std::vector<std::string>> cases[] = {
        {"missing.uol", typeid(EFOpenError), "Kann Datei " + Path("missing.uol") + " nicht öffnen", -1, {}},
        {"library_lowercase_magic.uol", typeid(EKXDiagramError), "Invalid File Format", 0, {}},
        {"library_starts_with_integer.uol", typeid(EReadError), "Ungültiger Wert der Eigenschaft", 0, {}},
        // The string "B" where the second style's first draw item has its X1.
        {"library_string_for_integer.uol", typeid(EReadError), "Ungültiger Wert der Eigenschaft", 0x6A, {"Style1"}},
        // The file ends where the draw item "Line" has its X2.
        {"library_cut_in_second_style.uol", typeid(EReadError), "Stream-Read-Fehler ", 0x74, {"Style1"}},
    };
    const std::size_t descriptors = OpenDescriptorCount();
    for (const auto &[file, type, message, offset, stylesAfter] : cases) { // the styles left after the failure
        SCOPED_TRACE(file);
        const std::string fileName = std::filesystem::exists(DataFile(file)) ? CopyOf(file) : Path(file);
        FLibrary.AddStyle(NamedStyle("Old"));
        try {
            FLibrary.LoadFromFile(fileName);
            ADD_FAILURE() << "loaded";
        } catch (const EKXError &e) {
            EXPECT_EQ(typeid(e), type);
            EXPECT_EQ(e.Message(), message);
            EXPECT_EQ(e.ByteOffset, offset);
            EXPECT_EQ(e.Line, -1);
        }
        EXPECT_EQ(StyleNames(FLibrary), stylesAfter);
        EXPECT_EQ(OpenDescriptorCount(), descriptors);

        FLibrary.SaveToFile(fileName);
        TKXUOLibrary reloaded;
        reloaded.LoadFromFile(fileName);
        EXPECT_EQ(StyleNames(reloaded), stylesAfter);
    }
}

TEST_F(Library, FailedSavesLeaveTheOldFileAndTheStyles)
{
    FLibrary.AddStyle(MakeExampleStyle());
    const std::string noDir = Path("no-dir/lib.uol");
    ExpectError<EFCreateError>([&] { FLibrary.SaveToFile(noDir); }, "Kann Datei " + noDir + " nicht erstellen");
    EXPECT_TRUE(DirEntries().empty());

    const std::string fileName = CopyOf("library_empty.uol");
    const std::size_t descriptors = OpenDescriptorCount();
    {
        const TResourceLimit diskTakes50Bytes(RLIMIT_FSIZE, 50);
        ExpectError<EWriteError>([&] { FLibrary.SaveToFile(fileName); }, "Stream-Write-Fehler ");
    }
    EXPECT_EQ(ReadFileBytes(fileName), ReadFileBytes(DataFile("library_empty.uol")));
    EXPECT_EQ(DirEntries(), std::vector<std::string>{"library_empty.uol"});
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
    EXPECT_EQ(StyleNames(FLibrary), std::vector<std::string>{"Style1"});
}

TEST_F(Library, FindStyleAnswersTheFirstExactMatch)
{
    FLibrary.AddStyle(NamedStyle(""));
    TKXVertexStyle *first = FLibrary.AddStyle(NamedStyle("Box"));
    FLibrary.AddStyle(NamedStyle("Box"));
    EXPECT_EQ(FLibrary.FindStyle("Box"), first);
    EXPECT_EQ(FLibrary.FindStyle("box"), nullptr);
    EXPECT_EQ(FLibrary.FindStyle(""), nullptr);

    // Taking a style out hands over that very object; the others keep their order.
    std::unique_ptr<TKXVertexStyle> taken = FLibrary.RemoveStyle(first);
    EXPECT_EQ(taken.get(), first);
    ASSERT_EQ(FLibrary.Styles().size(), 2u);
    EXPECT_EQ(FLibrary.Styles()[1]->Name, "Box");
    EXPECT_EQ(FLibrary.RemoveStyle(first), nullptr);
}

TEST_F(Library, StylesCarryTheEventAsItWasWhenTheyCameIn)
{
    TKXVertexStyle *before = FLibrary.AddStyle(NamedStyle("Before"));
    FLibrary.OnGetData = [](int32_t, const std::string &field, TObject *) { return "<<" + field + ">>"; };
    EXPECT_FALSE(before->OnGetData);
    EXPECT_EQ(FLibrary.AddStyle(NamedStyle("After"))->OnGetData(1, "Title", nullptr), "<<Title>>");
    FLibrary.SaveToFile(Path("lib.uol"));
    FLibrary.LoadFromFile(Path("lib.uol"));
    FLibrary.OnGetData = nullptr; // a later change does not reach the styles held
    for (const auto &style : FLibrary.Styles())
        EXPECT_TRUE(style->OnGetData);
}

// The sample library that `make run` opens shows a newcomer every kind of value.
TEST(SampleLibrary, UsesEveryShapePenBrushGrowthAndAlignment)
{
    TKXUOLibrary library;
    library.LoadFromFile(SAMPLE_LIBRARY);
    std::set<int> shapes, pens, brushes, growths, alignments;
    for (const auto &style : library.Styles()) {
        for (const auto &item : style->DrawItems) {
            shapes.insert(item->Shape);
            pens.insert(item->PenStyle);
            brushes.insert(item->BrushStyle);
            growths.insert(item->Growth);
        }
        for (const auto &item : style->TextItems) {
            alignments.insert(item->Alignment);
            growths.insert(item->Growth);
        }
    }
    const auto upTo = [](int last) {
        std::set<int> all;
        for (int value = 0; value <= last; ++value)
            all.insert(value);
        return all;
    };
    EXPECT_EQ(shapes, upTo(isLine));
    EXPECT_EQ(pens, upTo(psInsideFrame));
    EXPECT_EQ(brushes, upTo(bsDiagCross));
    EXPECT_EQ(growths, upTo(igBoth));
    EXPECT_EQ(alignments, upTo(txRight));
}

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

using SafeSave = TScratchDirTest;

unsigned ModeOf(const std::string &name) { return static_cast<unsigned>(std::filesystem::status(name).permissions()); }

// A failed save leaving the old file is shown by the library tests; here: where and how it writes.
TEST_F(SafeSave, WritesBesideTheTargetKeepingPermissionsAndSymbolicLinks)
{
    WriteFileBytes(Path("real.uol"), {0});
    ::chmod(Path("real.uol").c_str(), 0640);
    std::filesystem::create_symlink(Path("real.uol"), Path("link.uol"));
    SaveFileSafely(Path("link.uol"), [&](const std::string &tempName) {
        // Beside the target: on its file system, so that it can take the target's place.
        struct stat temp {}, dir {};
        EXPECT_EQ(::stat(tempName.c_str(), &temp), 0);
        EXPECT_EQ(::stat(FDir.c_str(), &dir), 0);
        EXPECT_EQ(temp.st_dev, dir.st_dev);
        WriteFileBytes(tempName, {4, 2});
    });
    EXPECT_TRUE(std::filesystem::is_symlink(Path("link.uol")));
    EXPECT_EQ(ReadFileBytes(Path("real.uol")), (TBytes{4, 2}));
    EXPECT_EQ(ModeOf(Path("real.uol")), 0640u);

    const mode_t mask = ::umask(022);
    SaveFileSafely(Path("new.uol"), [&](const std::string &tempName) { WriteFileBytes(tempName, {5}); });
    ::umask(mask);
    EXPECT_EQ(ModeOf(Path("new.uol")), 0644u);
    EXPECT_EQ(DirEntries().size(), 3u) << "no temporary file left";
}

TEST_F(SafeSave, RefusesTargetsThatCannotBeWritten)
{
    std::vector<std::string> targets{Path("no/such/dir.uol"), FDir};
    if (::geteuid() != 0) { // permissions bind only ordinary users
        WriteFileBytes(Path("ro.uol"), {3});
        ::chmod(Path("ro.uol").c_str(), 0444);
        targets.push_back(Path("ro.uol"));
    }
    for (const auto &target : targets) {
        bool called = false;
        ExpectError<EFCreateError>([&] { SaveFileSafely(target, [&](const std::string &) { called = true; }); },
                                   "Kann Datei " + target + " nicht erstellen");
        EXPECT_FALSE(called);
    }
    EXPECT_TRUE(::geteuid() == 0 || ReadFileBytes(Path("ro.uol")) == TBytes{3});
}

TEST_F(SafeSave, RemovesTheTemporaryFilesOfDeadProcessesOnly)
{
    const pid_t dead = ::fork();
    if (dead == 0)
        ::_exit(0);
    ::waitpid(dead, nullptr, 0);
    const std::string ofDead = ".lib.uol." + std::to_string(dead) + "-0-1.tmp";
    const std::string ofLiving = ".lib.uol." + std::to_string(::getppid()) + "-0-1.tmp";
    const std::string ofOtherTarget = ".other.uol." + std::to_string(dead) + "-0-1.tmp";
    for (const std::string &name : {ofDead, ofLiving, ofOtherTarget})
        WriteFileBytes(Path(name), {1});
    SaveFileSafely(Path("lib.uol"), [](const std::string &tempName) { WriteFileBytes(tempName, {2}); });
    std::vector<std::string> names = DirEntries();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{ofLiving, ofOtherTarget, "lib.uol"}));
}

// A child process saving a large library is killed at random moments: the target is always
// the old or the complete new file, and nothing else stays in the directory except, rarely, a
// named temporary of the dead child (killed between linking and renaming), which the next
// save removes.
TEST_F(SafeSave, KilledSavesLeaveTheOldOrTheNewFileAndNothingElse)
{
    const std::string target = Path("big.uol");
    TKXUOLibrary big;
    for (int i = 0; i < 3000; ++i) {
        auto style = MakeExampleStyle();
        style->Name = "Style" + std::to_string(i);
        big.AddStyle(std::move(style));
    }
    big.SaveToFile(target);
    const TBytes newBytes = ReadFileBytes(target);
    TKXUOLibrary small;
    small.SaveToFile(target);
    const TBytes oldBytes = ReadFileBytes(target);

    const auto saveInChild = [&] {
        const pid_t child = ::fork();
        if (child == 0) {
            try {
                big.SaveToFile(target);
            } catch (...) {
                ::_exit(1);
            }
            ::_exit(0);
        }
        return child;
    };
    const auto started = std::chrono::steady_clock::now();
    int status = 0;
    ::waitpid(saveInChild(), &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const auto saveTime = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);

    std::mt19937 random(20261207);
    std::uniform_int_distribution<long> delay(0, saveTime.count() * 6 / 5);
    int killedMidSave = 0;
    for (int round = 0; round < 100; ++round) {
        small.SaveToFile(target); // the old file again, and any leftover removed
        const pid_t child = saveInChild();
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        killedMidSave += WIFSIGNALED(status) ? 1 : 0;
        const TBytes now = ReadFileBytes(target);
        ASSERT_TRUE(now == oldBytes || now == newBytes) << "round " << round << ": " << now.size() << " bytes";
        const std::string leftover = ".big.uol." + std::to_string(child) + "-";
        for (const std::string &name : DirEntries())
            ASSERT_TRUE(name == "big.uol" || name.rfind(leftover, 0) == 0) << "round " << round << ": " << name;
    }
    // The kills follow the time one save took; on a busy machine fewer of them hit a save.
    EXPECT_GT(killedMidSave, 10) << "kills should land inside saves";
    small.SaveToFile(target);
    EXPECT_EQ(DirEntries(), std::vector<std::string>{"big.uol"});
}

}
