// The editor's shell: the top-level error box, the help system and its viewer.
#include "editor_fixture.h"
#include "uHelp.h"

#include "KXGR/core/KXErrors.h"

#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextBrowser>

namespace {

TEST(ErrorBox, AHandlerErrorIsShownWithAFullStopAndTheProgramCarriesOn)
{
    MessageRecorder recorder;
    const char *thrown = nullptr;
    QPushButton button(QStringLiteral("throw"));
    QObject::connect(&button, &QPushButton::clicked, [&]() { throw EListError(thrown); });
    button.show();
    // A full click through the guarded delivery of TApplication::notify.
    const QPointF pos = QRectF(button.rect()).center();
    for (const char *message : {"Ungültiger Index", "Already a sentence."}) {
        thrown = message;
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, pos, button.mapToGlobal(pos), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            TApplication::GuardedNotify(qApp, &button, &event);
        }
    }
    // Anything thrown is caught, not only the library's errors.
    struct Thrower : QObject {
        bool event(QEvent *) override { throw 42; }
    } thrower;
    QEvent event(QEvent::User);
    EXPECT_FALSE(TApplication::GuardedNotify(qApp, &thrower, &event));

    EXPECT_EQ(recorder.Texts(), (Strings{"Ungültiger Index.", "Already a sentence.", "Unknown error."}));
    EXPECT_EQ(recorder.Messages[0].Caption, "Glyphsmith");
    EXPECT_EQ(recorder.Messages[0].DlgType, mtError);
    EXPECT_EQ(recorder.Messages[0].Buttons, MsgButtons(mbOK));
}

class HelpSystemTest : public ::testing::Test {
protected:
    MessageRecorder Recorder;
    THelpSystem Help;  // "editor.hlp", found in the program's resources
};

TEST_F(HelpSystemTest, JumpIdLinksAndSearchShowTopicsAndUnknownOnesAreReported)
{
    ASSERT_TRUE(Help.HelpContents());
    THelpViewer *viewer = Help.Viewer();
    ASSERT_NE(viewer, nullptr);
    // The topics of the shipped file.
    for (const char *id : {"ProjectTree", "Preview", "DrawItems", "TextItems", "Files", "GrowthRules"})
        EXPECT_TRUE(Help.HelpCommand(THelpSystem::JumpIdMacro(QString::fromLatin1(id)))) << id;
    EXPECT_EQ(viewer->CurrentTopicId(), "GrowthRules");
    emit viewer->TopicView()->anchorClicked(QUrl(QStringLiteral("Files")));
    EXPECT_EQ(viewer->CurrentTopicId(), "Files");

    ASSERT_TRUE(Help.HelpSearch());
    QTest::keyClicks(viewer->SearchEdit(), QStringLiteral("growth"));
    QListWidget *results = viewer->SearchResults();
    ASSERT_GE(results->count(), 2);
    EXPECT_EQ(results->item(0)->text(), "Growth rules");
    QTest::mouseClick(results->viewport(), Qt::LeftButton, {}, results->visualItemRect(results->item(0)).center());
    EXPECT_EQ(viewer->CurrentTopicId(), "GrowthRules");
    EXPECT_TRUE(Recorder.Messages.empty());

    EXPECT_FALSE(Help.HelpCommand(THelpSystem::JumpIdMacro(QStringLiteral("NoSuchTopic"))));
    EXPECT_EQ(viewer->CurrentTopicId(), "GrowthRules");
    EXPECT_FALSE(Help.HelpContext(99));
    EXPECT_EQ(Recorder.Texts(),
              (Strings{"The help topic NoSuchTopic does not exist.", "There is no help topic for context 99."}));
    EXPECT_EQ(Recorder.Messages[0].Caption, "Glyphsmith Help");
}

TEST_F(HelpSystemTest, MissingFileIsReportedByTheViewer)
{
    QTemporaryDir dir;
    Help.HelpFile = dir.filePath(QStringLiteral("editor.hlp"));
    EXPECT_FALSE(Help.HelpContents());
    EXPECT_FALSE(Help.HelpContext(1));
    EXPECT_EQ(Help.Viewer(), nullptr);
    ASSERT_EQ(Recorder.Messages.size(), 2u);
    EXPECT_EQ(Recorder.Messages[1].Text, "The help file " + Help.HelpFile.toStdString() + " was not found.");
    EXPECT_EQ(Recorder.Messages[0].DlgType, mtWarning);
}

}  // namespace
