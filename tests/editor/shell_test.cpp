// The editor's shell: the top-level error box, the help file, system and viewer, the about window.
#include "editor_fixture.h"
#include "uHelp.h"
#include "uSplash.h"

#include "KXGR/core/KXErrors.h"

#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTimer>

namespace {

// Sends a full left click to w through the guarded delivery of TApplication::notify.
void GuardedClick(QWidget *w)
{
    const QPointF pos = QRectF(w->rect()).center();
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, pos, w->mapToGlobal(pos), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        TApplication::GuardedNotify(qApp, w, &event);
    }
}

// --- the error box ---

TEST(ErrorBox, AHandlerErrorIsShownWithAFullStopAndTheProgramCarriesOn)
{
    MessageRecorder recorder;
    const char *thrown = nullptr;
    QPushButton button(QStringLiteral("throw"));
    QObject::connect(&button, &QPushButton::clicked, [&]() { throw EListError(thrown); });
    button.show();
    for (const char *message : {"Ungültiger Index", "Already a sentence."}) {
        thrown = message;
        GuardedClick(&button);
    }
    EXPECT_FALSE(button.isDown());
    ASSERT_EQ(recorder.Messages.size(), 2u) << "the second click still reaches the handler";
    EXPECT_EQ(recorder.Messages[0].Text, "Ungültiger Index.");
    EXPECT_EQ(recorder.Messages[1].Text, "Already a sentence.");
    EXPECT_EQ(recorder.Messages[0].Caption, "Glyphsmith");
    EXPECT_EQ(recorder.Messages[0].DlgType, mtError);
    EXPECT_EQ(recorder.Messages[0].Buttons, MsgButtons(mbOK));

    // Anything thrown is caught, not only the library's errors.
    struct Thrower : QObject {
        bool event(QEvent *) override { throw 42; }
    } thrower;
    QEvent event(QEvent::User);
    EXPECT_FALSE(TApplication::GuardedNotify(qApp, &thrower, &event));
    ShowException(std::runtime_error("disk full"));
    EXPECT_EQ(recorder.Messages[2].Text, "Unknown error.");
    EXPECT_EQ(recorder.Messages[3].Text, "disk full.");
}

// --- the help file ---

TEST(HelpFile, ShippedFileHasTheTopicsTheEditorAsksForAndNoDeadLinks)
{
    THelpFile file;
    QString error;
    ASSERT_TRUE(file.LoadFromFile(QStringLiteral(":/help/editor.hlp"), error)) << error.toStdString();
    EXPECT_EQ(file.Topics().first().Id, "Contents");
    ASSERT_NE(file.FindContext(1), nullptr);
    EXPECT_EQ(file.FindContext(1)->Id, "EditorWindow");
    for (const char *id : {"ProjectTree", "Preview", "DrawItems", "TextItems", "GrowthRules", "Files"})
        EXPECT_NE(file.FindTopic(QString::fromLatin1(id)), nullptr) << id;
    static const QRegularExpression link(QStringLiteral("\\[\\[([^\\]]+)\\]\\]"));
    for (const THelpTopic &t : file.Topics())
        for (auto it = link.globalMatch(t.Text); it.hasNext();) {
            const QString target = it.next().captured(1);
            EXPECT_NE(file.FindTopic(target), nullptr) << t.Id.toStdString() << " -> " << target.toStdString();
        }
}

// --- the help system and viewer ---

class HelpSystemTest : public ::testing::Test {
protected:
    MessageRecorder Recorder;
    THelpSystem Help;  // "editor.hlp", found in the program's resources
};

TEST_F(HelpSystemTest, ContentsJumpIdAndContextShowTheirTopicsAndUnknownOnesAreReported)
{
    ASSERT_TRUE(Help.HelpContents());
    THelpViewer *viewer = Help.Viewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->Tabs()->currentIndex(), 0);
    ASSERT_TRUE(Help.HelpCommand(QStringLiteral("JumpID(\"\",\"GrowthRules\")")));
    EXPECT_EQ(viewer->CurrentTopicId(), "GrowthRules");
    emit viewer->TopicView()->anchorClicked(QUrl(QStringLiteral("Files")));
    EXPECT_EQ(viewer->CurrentTopicId(), "Files");
    EXPECT_TRUE(Recorder.Messages.empty());

    EXPECT_FALSE(Help.HelpCommand(THelpSystem::JumpIdMacro(QStringLiteral("NoSuchTopic"))));
    EXPECT_FALSE(Help.HelpCommand(QStringLiteral("CloseWindow(\"main\")")));
    EXPECT_EQ(viewer->CurrentTopicId(), "Files");
    ASSERT_EQ(Recorder.Messages.size(), 2u);
    EXPECT_EQ(Recorder.Messages[0].Text, "The help topic NoSuchTopic does not exist.");
    EXPECT_EQ(Recorder.Messages[0].Caption, "Glyphsmith Help");

    ASSERT_TRUE(Help.HelpContext(1));
    EXPECT_EQ(viewer->CurrentTopicId(), "EditorWindow");
    EXPECT_FALSE(Help.HelpContext(99));
    EXPECT_EQ(Recorder.Messages.back().Text, "There is no help topic for context 99.");
}

TEST_F(HelpSystemTest, SearchOpensTheSearchTabAndTypingFindsTopics)
{
    ASSERT_TRUE(Help.HelpSearch());
    THelpViewer *viewer = Help.Viewer();
    EXPECT_EQ(viewer->Tabs()->currentIndex(), 1);
    QTest::keyClicks(viewer->SearchEdit(), QStringLiteral("growth"));
    QListWidget *results = viewer->SearchResults();
    ASSERT_GE(results->count(), 2);
    EXPECT_EQ(results->item(0)->text(), "Growth rules");
    QTest::mouseClick(results->viewport(), Qt::LeftButton, {}, results->visualItemRect(results->item(0)).center());
    EXPECT_EQ(viewer->CurrentTopicId(), "GrowthRules");
}

TEST_F(HelpSystemTest, MissingOrBrokenFileIsReportedByTheViewer)
{
    QTemporaryDir dir;
    Help.HelpFile = dir.filePath(QStringLiteral("editor.hlp"));
    EXPECT_FALSE(Help.HelpContents());
    EXPECT_FALSE(Help.HelpSearch());
    EXPECT_FALSE(Help.HelpContext(1));
    EXPECT_EQ(Help.Viewer(), nullptr);
    ASSERT_EQ(Recorder.Messages.size(), 3u);
    EXPECT_EQ(Recorder.Messages[0].Text, "The help file " + Help.HelpFile.toStdString() + " was not found.");
    EXPECT_EQ(Recorder.Messages[0].DlgType, mtWarning);

    QFile broken(Help.HelpFile);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("{\\rtf1 not ours}");
    broken.close();
    EXPECT_FALSE(Help.HelpContents());
    EXPECT_EQ(Recorder.Messages.back().Text, "This is not a Glyphsmith help file.");
}

// --- the about window ---

// The real modal showing: a dialog border, only OK of the splash's parts, and Enter ends it.
TEST(About, ShowsModallyWithADialogBorderAndOnlyOk)
{
    TSplash splash;
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint) << "the stored form is a splash";
    QTimer::singleShot(0, [&]() {
        EXPECT_TRUE(splash.isModal());
        EXPECT_EQ(splash.windowTitle(), "Korvex V0.90");
        EXPECT_FALSE(splash.windowFlags() & Qt::FramelessWindowHint);
        EXPECT_TRUE(splash.btnOK->isVisible());
        EXPECT_FALSE(splash.PB->isVisible());
        EXPECT_FALSE(splash.b->isVisible());
        EXPECT_EQ(splash.Title->text(), "Glyphsmith");
        QTest::keyClick(&splash, Qt::Key_Return);
    });
    splash.ShowAsAbout();  // returns only when the modal showing ends
    EXPECT_FALSE(splash.isVisible());
}

TEST(About, RoadWorksSignIsAYellowDiamondWithADiggerOnGrey)
{
    const QImage sign = RoadWorksSign().toImage();
    ASSERT_EQ(sign.size(), QSize(75, 75));
    const QColor grey(0xC0, 0xC0, 0xC0), black(0, 0, 0);
    for (const QPoint corner : {QPoint(0, 0), QPoint(74, 0), QPoint(0, 74), QPoint(74, 74)})
        EXPECT_EQ(sign.pixelColor(corner), grey);
    EXPECT_EQ(sign.pixelColor(37, 12), QColor(0xFF, 0xFF, 0));  // the sign's top, above the figure
    EXPECT_EQ(sign.pixelColor(37, 1), black);                    // its rim
    int blackInside = 0;
    for (int y = 0; y < 75; ++y)
        for (int x = 0; x < 75; ++x)
            blackInside += std::abs(x - 37) + std::abs(y - 37) < 28 && sign.pixelColor(x, y) == black;
    EXPECT_GT(blackInside, 150);  // the digger, the spade and the heap
}

}  // namespace
