// The editor's shell: the top-level error box, the help system and its viewer.
#include "editor_fixture.h"
#include "uHelpViewer.h"

#include "KXGR/core/KXErrors.h"

#include <QFile>
#include <QListWidget>
#include <QTextBrowser>

#include <functional>

namespace {

TEST(ErrorBox, AHandlerErrorIsShownWithAFullStopAndTheProgramCarriesOn)
{
    MessageRecorder recorder;
    // A receiver whose own event handling throws: the application's last net catches it
    // (widget handlers are guarded at their entry and never get here).
    struct Thrower : QObject {
        std::function<void()> Throw;
        bool event(QEvent *) override
        {
            Throw();
            return true;
        }
    } thrower;
    QEvent event(QEvent::User);
    for (const char *message : {"Ungültiger Index", "Already a sentence."}) {
        thrower.Throw = [message] { throw EListError(message); };
        EXPECT_FALSE(TApplication::GuardedNotify(qApp, &thrower, &event));
    }
    // Anything thrown is caught, not only the library's errors.
    thrower.Throw = [] { throw 42; };
    EXPECT_FALSE(TApplication::GuardedNotify(qApp, &thrower, &event));
    // The program carries on: the same receiver handles the next event normally.
    thrower.Throw = [] {};
    EXPECT_TRUE(TApplication::GuardedNotify(qApp, &thrower, &event));

    EXPECT_EQ(recorder.Texts(), (Strings{"Ungültiger Index.", "Already a sentence.", "Unknown error."}));
    EXPECT_EQ(recorder.Messages[0].Caption, "Glyphsmith");
    EXPECT_EQ(recorder.Messages[0].DlgType, mtError);
    EXPECT_EQ(recorder.Messages[0].Buttons, MsgButtons(mbOK));
}

class HelpSystemTest : public ::testing::Test {
protected:
    MessageRecorder Recorder;
    THelpSystem Help;  // the topics compiled into the program
};

TEST_F(HelpSystemTest, JumpIdLinksAndSearchShowTopicsAndUnknownOnesAreReported)
{
    ASSERT_TRUE(Help.HelpContents());
    THelpViewer *viewer = Help.Viewer();
    ASSERT_NE(viewer, nullptr);
    // Contents first, then the topics in the order Contents lists them.
    QListWidget *contents = viewer->ContentsList();
    ASSERT_GE(contents->count(), 3);
    EXPECT_EQ(contents->item(0)->text(), "Glyphsmith Help");
    EXPECT_EQ(contents->item(1)->text(), "The editor window");
    EXPECT_EQ(viewer->CurrentTopicId(), "Contents");
    // Every topic compiled in, the new ones too, is reachable by its id.
    for (const char *id : {"ProjectTree", "Preview", "PreviewEditing", "SizeStrip", "DrawItems", "TextItems",
                           "Undo", "Files", "GrowthRules"})
        EXPECT_TRUE(Help.HelpCommand(THelpSystem::JumpIdMacro(QString::fromLatin1(id)))) << id;
    EXPECT_EQ(viewer->CurrentTopicId(), "GrowthRules");
    EXPECT_EQ(contents->currentItem()->text(), "Growth rules");
    // The topic is rendered from Markdown: a heading, no markup or context comment left over.
    const QString shown = viewer->TopicView()->toPlainText();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Growth rules"))) << shown.toStdString();
    EXPECT_FALSE(shown.contains(QLatin1Char('#')) || shown.contains(QStringLiteral("](")));

    // A link in the topic leads to the other topic, as a click on it would.
    viewer->TopicView()->setSource(QUrl(QStringLiteral("Files.md")));
    EXPECT_EQ(viewer->CurrentTopicId(), "Files");
    EXPECT_TRUE(viewer->TopicView()->toPlainText().contains(QStringLiteral("Save changes to")));
    viewer->TopicView()->backward();
    EXPECT_EQ(viewer->CurrentTopicId(), "GrowthRules");

    ASSERT_TRUE(Help.HelpSearch());
    QTest::keyClicks(viewer->SearchEdit(), QStringLiteral("growth"));
    QListWidget *results = viewer->SearchResults();
    ASSERT_GE(results->count(), 2);
    EXPECT_EQ(results->item(0)->text(), "Growth rules");
    QTest::mouseClick(results->viewport(), Qt::LeftButton, {}, results->visualItemRect(results->item(1)).center());
    EXPECT_NE(viewer->CurrentTopicId(), "GrowthRules");
    QTest::mouseClick(results->viewport(), Qt::LeftButton, {}, results->visualItemRect(results->item(0)).center());
    EXPECT_EQ(viewer->CurrentTopicId(), "GrowthRules");
    // Every word must occur; link targets are not searched, only what the reader sees.
    viewer->RunSearch(QStringLiteral("growth zebra"));
    EXPECT_EQ(results->count(), 0);
    viewer->RunSearch(QStringLiteral("PreviewEditing"));
    EXPECT_EQ(results->count(), 0);
    EXPECT_TRUE(Recorder.Messages.empty());

    EXPECT_FALSE(Help.HelpCommand(THelpSystem::JumpIdMacro(QStringLiteral("NoSuchTopic"))));
    EXPECT_EQ(viewer->CurrentTopicId(), "GrowthRules");
    EXPECT_FALSE(Help.HelpContext(99));
    EXPECT_EQ(Recorder.Texts(),
              (Strings{"The help topic NoSuchTopic does not exist.", "There is no help topic for context 99."}));
    EXPECT_EQ(Recorder.Messages[0].Caption, "Glyphsmith Help");
}

// Topics in a folder on disk: the context comment and the link order of Contents are honoured.
TEST_F(HelpSystemTest, TopicsFromAFolderWithContextNumbers)
{
    QTemporaryDir dir;
    const auto write = [&dir](const char *name, const char *text) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    };
    write("Contents.md", "# Start\n\n- [Second](B.md)\n- [First](A.md)\n");
    write("A.md", "# Alpha\n\nPlain.\n");
    write("B.md", "# Beta\n<!-- context: 7 -->\nSee [Alpha](A.md).\n");
    write("C.md", "No heading here.\n");
    Help.HelpFolder = dir.path();
    ASSERT_TRUE(Help.HelpContext(7));
    THelpViewer *viewer = Help.Viewer();
    EXPECT_EQ(viewer->CurrentTopicId(), "B");
    QStringList titles;
    for (int i = 0; i < viewer->ContentsList()->count(); ++i)
        titles << viewer->ContentsList()->item(i)->text();
    EXPECT_EQ(titles, (QStringList{"Start", "Beta", "Alpha", "C"}));
    EXPECT_EQ(viewer->TopicView()->toPlainText().trimmed(), "Beta\nSee Alpha.");
    EXPECT_TRUE(Recorder.Messages.empty());
}

TEST_F(HelpSystemTest, MissingTopicsAreReportedByTheViewer)
{
    QTemporaryDir dir;
    Help.HelpFolder = dir.path();
    EXPECT_FALSE(Help.HelpContents());
    EXPECT_FALSE(Help.HelpContext(1));
    EXPECT_EQ(Help.Viewer(), nullptr);
    ASSERT_EQ(Recorder.Messages.size(), 2u);
    EXPECT_EQ(Recorder.Messages[1].Text, "No help topics were found in " + dir.path().toStdString() + ".");
    EXPECT_EQ(Recorder.Messages[0].DlgType, mtWarning);
}

}  // namespace
