// Never losing work: the caption's mark, the question before New, Open, Quit and closing the
// window, Save to the current file beside "&Save...", and the recent files.
#include "editor_fixture.h"

#include <QDir>
#include <QSettings>

namespace {

class UnsavedChanges : public EditorTest {
protected:
    // lib.uol (Alpha) opened and a style added to it, not saved.
    void OpenAndChange()
    {
        Open(LibraryFile("lib.uol", {"Alpha"}));
        Run(W->New1);
        ASSERT_EQ(W->Caption().toStdString(), "Glyphsmith - " + Path("lib.uol") + "*");
    }
};

TEST_F(UnsavedChanges, TheCaptionMarksChangesUntilSavedOrUndoneAndOnlyThenAsks)
{
    Run(W->New2);
    EXPECT_EQ(W->Caption(), "Glyphsmith - untitled");
    Run(W->New1);
    EXPECT_EQ(W->Caption(), "Glyphsmith - untitled*");
    Run(W->Undo1);
    EXPECT_EQ(W->Caption(), "Glyphsmith - untitled");
    Run(W->New2);
    Open(LibraryFile("lib.uol", {"Alpha"}));
    Run(W->Quit1);
    EXPECT_TRUE(Recorder.Prompts.empty()) << "nothing to lose, nothing asked";
    EXPECT_FALSE(W->isVisible());
}

enum TPlace { plNew, plOpen, plQuit, plClose };

class UnsavedPrompt : public UnsavedChanges, public ::testing::WithParamInterface<std::tuple<TPlace, TMsgDlgBtn>> {};

TEST_P(UnsavedPrompt, AsksOnceThenSavesDiscardsOrCancels)
{
    const auto [place, answer] = GetParam();
    const std::string other = LibraryFile("other.uol", {"Other"});
    OpenAndChange();
    Recorder.PromptAnswer = answer;
    switch (place) {
    case plNew: Run(W->New2); break;
    case plOpen: Open(other); break;
    case plQuit: Run(W->Quit1); break;
    case plClose: W->close(); break;
    }
    ASSERT_EQ(Recorder.Prompts.size(), 1u);
    EXPECT_EQ(Recorder.Prompts[0].Text, "Save changes to \"lib.uol\"?");
    EXPECT_EQ(Recorder.Prompts[0].Caption, "Glyphsmith");
    EXPECT_EQ(Recorder.Prompts[0].Buttons, MsgButtons(mbSave) | MsgButtons(mbDiscard) | MsgButtons(mbCancel));
    EXPECT_EQ(StylesIn(Path("lib.uol")), answer == mbSave ? (Strings{"Alpha", "Style2"}) : Strings{"Alpha"});

    const bool wentOn = answer != mbCancel;
    switch (place) {
    case plNew: EXPECT_EQ(StyleNames(*W->UOLib), wentOn ? Strings{} : (Strings{"Alpha", "Style2"})); break;
    case plOpen: EXPECT_EQ(StyleNames(*W->UOLib), wentOn ? Strings{"Other"} : (Strings{"Alpha", "Style2"})); break;
    case plQuit:
    case plClose:
        EXPECT_EQ(W->isVisible(), !wentOn);
        EXPECT_EQ(W->isWindowModified(), answer != mbSave);
        break;
    }
    if (place == plNew || place == plOpen) {
        EXPECT_EQ(W->isWindowModified(), !wentOn);
    }
    EXPECT_TRUE(Messages.empty());
}

INSTANTIATE_TEST_SUITE_P(FourPlacesThreeAnswers, UnsavedPrompt,
                         ::testing::Combine(::testing::Values(plNew, plOpen, plQuit, plClose),
                                            ::testing::Values(mbSave, mbDiscard, mbCancel)));

TEST_F(UnsavedChanges, SaveWritesTheCurrentFileWhileSaveAsKeepsAsking)
{
    OpenAndChange();
    std::vector<std::string> offered;
    W->SD.Answer = [&](TFileDialog &d) {
        offered.push_back(d.FileName);
        return false;
    };
    Run(W->Save2);
    EXPECT_TRUE(offered.empty());
    EXPECT_EQ(StylesIn(Path("lib.uol")), (Strings{"Alpha", "Style2"}));
    EXPECT_EQ(W->Caption().toStdString(), "Glyphsmith - " + Path("lib.uol"));
    Run(W->Save1);
    EXPECT_EQ(offered, Strings{Path("lib.uol")}) << "\"&Save...\" asks, proposing the opened file";

    // No current file after New: Save asks like "&Save...", and the file chosen becomes current.
    Run(W->New2);
    Run(W->New1);
    W->SD.Answer = [&](TFileDialog &d) {
        offered.push_back(d.FileName);
        d.FileName = Path("new");
        return true;
    };
    Run(W->Save2);
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_EQ(StylesIn(Path("new.uol")), Strings{"Style1"});
    Run(W->New1);
    Run(W->Save2);
    EXPECT_EQ(offered.size(), 2u);
    EXPECT_EQ(StylesIn(Path("new.uol")), (Strings{"Style1", "Style2"}));
    EXPECT_TRUE(Messages.empty());
}

// After an Open that failed the caption still names the old file, but Save must not write the
// remains over it without asking.
TEST_F(UnsavedChanges, AFailedOpenLeavesNoCurrentFileToOverwrite)
{
    Open(LibraryFile("lib.uol", {"Alpha"}));
    WriteFileBytes(Path("bad.uol"), BytesOf("not a library"));
    Open(Path("bad.uol"));
    ASSERT_EQ(Messages.size(), 1u);
    bool asked = false;
    W->SD.Answer = [&](TFileDialog &) { return asked = true, false; };
    Run(W->Save2);
    EXPECT_TRUE(asked);
    EXPECT_EQ(StylesIn(Path("lib.uol")), Strings{"Alpha"});
}

TEST_F(UnsavedChanges, RecentFilesListOpenedAndSavedFilesNewestFirstAndOpenThem)
{
    EXPECT_FALSE(QSettings().fileName().startsWith(QDir::homePath())) << "tests keep off the user's settings";
    QSettings().remove(QStringLiteral("RecentFiles"));
    const std::string lib = LibraryFile("lib.uol", {"Alpha"});
    Open(lib);
    W->SD.Answer = [&](TFileDialog &d) { d.FileName = Path("copy.uol"); return true; };
    Run(W->Save1);
    Open(lib);
    const QStringList files{QString::fromStdString(lib), QString::fromStdString(Path("copy.uol"))};
    EXPECT_EQ(W->RecentFiles(), files) << "each file once, the newest first";
    const QList<QAction *> entries = W->Recent1->actions();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[1]->text(), "&2 " + files[1]);

    Run(W->New1);
    Recorder.PromptAnswer = mbDiscard;
    Run(entries[1]);
    EXPECT_EQ(Recorder.Prompts.size(), 1u) << "asks like Open";
    EXPECT_EQ(W->Caption().toStdString(), "Glyphsmith - " + Path("copy.uol"));
    EXPECT_EQ(W->OD.FileName, Path("copy.uol")) << "\"&Save...\" proposes it";
    EXPECT_EQ(StyleNames(*W->UOLib), Strings{"Alpha"});
}

}  // namespace
