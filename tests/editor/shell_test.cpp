// The editor's shell: the top-level error box, the help system and viewer, the about window.
#include "uApplication.h"
#include "uDialogs.h"
#include "uHelp.h"
#include "uSplash.h"

#include "KXGR/core/KXErrors.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

// Records every message box instead of showing it.
class MessageRecorder {
public:
    MessageRecorder()
    {
        FPrevious = SetMessageHook([this](const TMessage &m) {
            Messages.push_back(m);
            return mbOK;
        });
    }
    ~MessageRecorder() { SetMessageHook(FPrevious); }
    std::vector<TMessage> Messages;

private:
    TMessageHook FPrevious;
};

// Sends a full left click to w through the guarded delivery of TApplication::notify.
void GuardedClick(QWidget *w)
{
    const QPointF pos = QRectF(w->rect()).center();
    QMouseEvent press(QEvent::MouseButtonPress, pos, w->mapToGlobal(pos), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    TApplication::GuardedNotify(qApp, w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, pos, w->mapToGlobal(pos), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    TApplication::GuardedNotify(qApp, w, &release);
}

}  // namespace

// --- the error box ---

struct ErrorBoxRow {
    const char *Message;
    const char *Shown;
};

class ErrorBoxTest : public ::testing::TestWithParam<ErrorBoxRow> {};

TEST_P(ErrorBoxTest, HandlerErrorIsShownAndTheProgramCarriesOn)
{
    MessageRecorder recorder;
    QPushButton button(QStringLiteral("throw"));
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&]() {
        ++clicks;
        throw EListError(GetParam().Message);
    });
    button.show();

    GuardedClick(&button);
    GuardedClick(&button);

    EXPECT_EQ(clicks, 2);  // the second click still reaches the handler
    EXPECT_FALSE(button.isDown());
    ASSERT_EQ(recorder.Messages.size(), 2u);
    const TMessage &box = recorder.Messages[0];
    EXPECT_EQ(box.Caption, "Glyphsmith");
    EXPECT_EQ(box.Text, GetParam().Shown);
    EXPECT_EQ(box.DlgType, mtError);
    EXPECT_EQ(box.Buttons, MsgButtons(mbOK));
}

INSTANTIATE_TEST_SUITE_P(Messages, ErrorBoxTest,
                         ::testing::Values(ErrorBoxRow{"Ungültiger Index", "Ungültiger Index."},
                                           ErrorBoxRow{"Invalid File Format", "Invalid File Format."},
                                           ErrorBoxRow{"'1.5' ist kein gültiger Integerwert",
                                                       "'1.5' ist kein gültiger Integerwert."},
                                           ErrorBoxRow{"Already a sentence.", "Already a sentence."}));

TEST(ErrorBox, AnyExceptionIsCaughtNotOnlyLibraryErrors)
{
    MessageRecorder recorder;
    struct Thrower : QObject {
        bool event(QEvent *) override { throw 42; }
    } thrower;
    QEvent event(QEvent::User);
    EXPECT_FALSE(TApplication::GuardedNotify(qApp, &thrower, &event));
    std::runtime_error plain("disk full");
    ShowException(plain);
    ASSERT_EQ(recorder.Messages.size(), 2u);
    EXPECT_EQ(recorder.Messages[0].Text, "Unknown error.");
    EXPECT_EQ(recorder.Messages[1].Text, "disk full.");
}

// --- the help file ---

TEST(HelpFile, ShippedFileHasTheTopicsTheEditorAsksFor)
{
    THelpFile file;
    QString error;
    ASSERT_TRUE(file.LoadFromFile(QStringLiteral(":/help/editor.hlp"), error)) << error.toStdString();
    EXPECT_EQ(file.Topics().first().Id, "Contents");
    ASSERT_NE(file.FindContext(1), nullptr);
    EXPECT_EQ(file.FindContext(1)->Id, "EditorWindow");
    for (const char *id : {"ProjectTree", "Preview", "DrawItems", "TextItems", "GrowthRules", "Files"})
        EXPECT_NE(file.FindTopic(QString::fromLatin1(id)), nullptr) << id;
    // Every link leads somewhere.
    static const QRegularExpression link(QStringLiteral("\\[\\[([^\\]]+)\\]\\]"));
    for (const THelpTopic &t : file.Topics()) {
        auto it = link.globalMatch(t.Text);
        while (it.hasNext()) {
            const QString target = it.next().captured(1);
            EXPECT_NE(file.FindTopic(target), nullptr) << t.Id.toStdString() << " -> " << target.toStdString();
        }
    }
}

struct BadHelpRow {
    const char *Name;
    const char *Text;
    const char *ErrorPart;
};

class BadHelpTest : public ::testing::TestWithParam<BadHelpRow> {};

TEST_P(BadHelpTest, IsRefusedWithAReason)
{
    THelpFile file;
    QString error;
    EXPECT_FALSE(file.Parse(QString::fromUtf8(GetParam().Text), error));
    EXPECT_TRUE(file.Topics().isEmpty());
    EXPECT_TRUE(error.contains(QString::fromUtf8(GetParam().ErrorPart))) << error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Texts, BadHelpTest,
    ::testing::Values(BadHelpRow{"NoMagic", ".topic A\ntext\n", "not a Glyphsmith help file"},
                      BadHelpRow{"Empty", "", "not a Glyphsmith help file"},
                      BadHelpRow{"NoTopics", "GLYPHSMITH HELP 1\n# nothing\n", "no topics"},
                      BadHelpRow{"RepeatedId", "GLYPHSMITH HELP 1\n.topic A\n.topic A\n", "Line 3"},
                      BadHelpRow{"BadContext", "GLYPHSMITH HELP 1\n.topic A\n.context x\n", "bad context"}),
    [](const auto &info) { return std::string(info.param.Name); });

TEST(HelpFile, TopicTextBecomesParagraphsListsAndLinks)
{
    THelpFile file;
    QString error;
    ASSERT_TRUE(file.Parse(QStringLiteral("GLYPHSMITH HELP 1\r\n.topic A\r\n.title First & best\r\n"
                                          "one\r\ntwo <b>\r\n\r\n- see [[B]]\r\n- [[Nowhere]]\r\n"
                                          ".topic B\n.title Second\n.context 7\nbody\n"),
                           error));
    EXPECT_EQ(file.FindContext(7), file.FindTopic(QStringLiteral("B")));
    EXPECT_EQ(file.FindTopic(QStringLiteral("a")), nullptr);  // ids are case-sensitive
    EXPECT_EQ(file.TopicHtml(*file.FindTopic(QStringLiteral("A"))),
              "<p>one two &lt;b&gt;</p><ul><li>see <a href=\"B\">Second</a></li>"
              "<li><a href=\"Nowhere\">Nowhere</a></li></ul>");
}

TEST(HelpFile, SearchNeedsEveryWordAndRanksTitlesFirst)
{
    THelpFile file;
    QString error;
    ASSERT_TRUE(file.Parse(QStringLiteral("GLYPHSMITH HELP 1\n"
                                          ".topic A\n.title Pens\nThe brush colour and the pen.\n"
                                          ".topic B\n.title Brushes\nFill styles.\n"
                                          ".topic C\n.title Colours\nPen colour.\n"
                                          ".topic Hidden\n.title Seen\nSee [[Hidden]].\n"),
                           error));
    const auto ids = [&](const QString &query) {
        QStringList result;
        for (const THelpTopic *t : file.Search(query))
            result << t->Id;
        return result;
    };
    EXPECT_EQ(ids(QStringLiteral("brush")), QStringList({"B", "A"}));
    EXPECT_EQ(ids(QStringLiteral("PEN   colour")), QStringList({"A", "C"}));
    EXPECT_EQ(ids(QStringLiteral("pen fill")), QStringList());
    EXPECT_EQ(ids(QStringLiteral("  ")), QStringList());
    EXPECT_EQ(ids(QStringLiteral("hidden")), QStringList());  // a link reads as its title
    EXPECT_EQ(ids(QStringLiteral("see")), QStringList({"Hidden"}));
}

// --- the help system and viewer ---

class HelpSystemTest : public ::testing::Test {
protected:
    MessageRecorder Recorder;
    THelpSystem Help;  // "editor.hlp", found in the program's resources
};

TEST_F(HelpSystemTest, ContentsThenJumpIdShowsTheContentsTopic)
{
    ASSERT_TRUE(Help.HelpContents());
    THelpViewer *viewer = Help.Viewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->Tabs()->currentIndex(), 0);
    EXPECT_GE(viewer->ContentsList()->count(), 8);

    EXPECT_EQ(THelpSystem::JumpIdMacro(QStringLiteral("Contents")), "JumpID(\"\",\"Contents\")");
    ASSERT_TRUE(Help.HelpCommand(QStringLiteral("JumpID(\"\",\"GrowthRules\")")));
    EXPECT_EQ(viewer->CurrentTopicId(), "GrowthRules");
    ASSERT_TRUE(Help.HelpCommand(THelpSystem::JumpIdMacro(QStringLiteral("Contents"))));
    EXPECT_EQ(viewer->CurrentTopicId(), "Contents");
    EXPECT_EQ(viewer->windowTitle(), "Glyphsmith Help - Glyphsmith Help");
    EXPECT_TRUE(Recorder.Messages.empty());

    // A link in the topic leads to its target.
    emit viewer->TopicView()->anchorClicked(QUrl(QStringLiteral("Files")));
    EXPECT_EQ(viewer->CurrentTopicId(), "Files");
}

TEST_F(HelpSystemTest, UnknownTopicOrMacroIsReportedAndTheViewerStays)
{
    ASSERT_TRUE(Help.HelpContents());
    EXPECT_FALSE(Help.HelpCommand(THelpSystem::JumpIdMacro(QStringLiteral("NoSuchTopic"))));
    EXPECT_FALSE(Help.HelpCommand(QStringLiteral("CloseWindow(\"main\")")));
    EXPECT_EQ(Help.Viewer()->CurrentTopicId(), "Contents");
    ASSERT_EQ(Recorder.Messages.size(), 2u);
    EXPECT_EQ(Recorder.Messages[0].Text, "The help topic NoSuchTopic does not exist.");
    EXPECT_EQ(Recorder.Messages[0].Caption, "Glyphsmith Help");
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

    QTest::mouseClick(results->viewport(), Qt::LeftButton, {},
                      results->visualItemRect(results->item(0)).center());
    EXPECT_EQ(viewer->CurrentTopicId(), "GrowthRules");

    viewer->RunSearch(QStringLiteral("zebra crossing"));
    EXPECT_EQ(results->count(), 0);
    EXPECT_EQ(viewer->SearchEdit()->text(), "zebra crossing");
}

TEST_F(HelpSystemTest, ContextOneShowsTheEditorWindowTopic)
{
    ASSERT_TRUE(Help.HelpContext(1));
    EXPECT_EQ(Help.Viewer()->CurrentTopicId(), "EditorWindow");
    EXPECT_FALSE(Help.HelpContext(99));
    ASSERT_EQ(Recorder.Messages.size(), 1u);
    EXPECT_EQ(Recorder.Messages[0].Text, "There is no help topic for context 99.");
}

TEST_F(HelpSystemTest, MissingOrBrokenFileIsReportedByTheViewer)
{
    QTemporaryDir dir;
    Help.HelpFile = dir.filePath(QStringLiteral("editor.hlp"));
    EXPECT_EQ(Help.ResolvedHelpFile(), "");
    EXPECT_FALSE(Help.HelpContents());
    EXPECT_FALSE(Help.HelpSearch());
    EXPECT_FALSE(Help.HelpContext(1));
    EXPECT_FALSE(Help.HelpCommand(THelpSystem::JumpIdMacro(QStringLiteral("Contents"))));
    EXPECT_EQ(Help.Viewer(), nullptr);
    ASSERT_EQ(Recorder.Messages.size(), 4u);
    EXPECT_EQ(Recorder.Messages[0].Text, "The help file " + Help.HelpFile.toStdString() + " was not found.");
    EXPECT_EQ(Recorder.Messages[0].DlgType, mtWarning);

    QFile broken(Help.HelpFile);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("{\\rtf1 not ours}");
    broken.close();
    EXPECT_FALSE(Help.HelpContents());
    EXPECT_EQ(Recorder.Messages.back().Text, "This is not a Glyphsmith help file.");
}

TEST_F(HelpSystemTest, FileNextToTheProgramIsPreferredToTheBuiltInCopy)
{
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("shell_test.hlp"));
    QFile file(beside);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("GLYPHSMITH HELP 1\n.topic Local\n.title Local help\n.context 1\nHere.\n");
    file.close();
    Help.HelpFile = QStringLiteral("shell_test.hlp");
    EXPECT_EQ(Help.ResolvedHelpFile(), beside);
    EXPECT_TRUE(Help.HelpContext(1));
    EXPECT_EQ(Help.Viewer()->CurrentTopicId(), "Local");
    QFile::remove(beside);
}

TEST(HelpKey, F1InTheWindowAsksForItsContext)
{
    MessageRecorder recorder;
    QWidget window;
    auto *edit = new QLineEdit(&window);
    InstallHelpKey(&window, 1);
    window.show();
    QApplication::setActiveWindow(&window);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_F1);
    ASSERT_NE(AppHelp().Viewer(), nullptr);
    EXPECT_TRUE(AppHelp().Viewer()->isVisible());
    EXPECT_EQ(AppHelp().Viewer()->CurrentTopicId(), "EditorWindow");
    AppHelp().Viewer()->close();
}

// --- the about window ---

TEST(About, ShowsTheAboutLookAndOkEndsIt)
{
    QWidget owner;
    QPointer<TSplash> seen;
    bool closedByOk = false;
    const TAboutHook previous = SetAboutHook([&](TSplash &s) {
        seen = &s;
        EXPECT_EQ(s.parentWidget(), &owner);
        EXPECT_EQ(s.windowTitle(), "Korvex V0.90");
        EXPECT_FALSE(s.windowFlags() & Qt::FramelessWindowHint);
        EXPECT_TRUE(s.windowFlags() & Qt::WindowTitleHint);
        EXPECT_EQ(s.size(), QSize(312, 213));
        EXPECT_TRUE(s.btnOK->isVisibleTo(&s));
        EXPECT_TRUE(s.btnOK->isDefault());
        EXPECT_FALSE(s.PB->isVisibleTo(&s));
        EXPECT_FALSE(s.b->isVisibleTo(&s));
        EXPECT_TRUE(s.Status->isVisibleTo(&s));
        EXPECT_EQ(s.Title->text(), "Glyphsmith");
        EXPECT_EQ(s.Status->text(), "");
        s.show();
        QTest::mouseClick(s.btnOK, Qt::LeftButton);
        closedByOk = !s.isVisible();
    });
    {
        TSplash splash(&owner);
        splash.ShowAsAbout();
    }
    SetAboutHook(previous);
    EXPECT_TRUE(closedByOk);
    EXPECT_TRUE(seen.isNull());  // destroyed with its scope
}

TEST(About, StoredFormHoldsEveryComponent)
{
    TSplash s;
    EXPECT_TRUE(s.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(s.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(s.windowTitle(), "Korvex V0.90");
    EXPECT_FALSE(s.btnOK->isVisibleTo(&s));
    EXPECT_TRUE(s.PB->isVisibleTo(&s));
    EXPECT_TRUE(s.b->isVisibleTo(&s));
    EXPECT_EQ(s.Panel1->geometry(), QRect(0, 0, 312, 213));
    EXPECT_EQ(s.Panel1->palette().color(QPalette::Window), QColor(0xC0, 0xC0, 0xC0));

    struct Place {
        QWidget *W;
        QRect Geometry;
    };
    for (const Place &p : {Place{s.Label1, {16, 20, 281, 29}}, Place{s.Title, {104, 44, 193, 29}},
                           Place{s.Image1, {16, 56, 75, 75}}, Place{s.Memo1, {96, 64, 209, 81}},
                           Place{s.b, {8, 152, 297, 17}}, Place{s.Status, {40, 160, 233, 17}},
                           Place{s.PB, {40, 184, 233, 16}}, Place{s.btnOK, {120, 152, 75, 25}}}) {
        EXPECT_EQ(p.W->parentWidget(), s.Panel1) << p.W->objectName().toStdString();
        EXPECT_EQ(p.W->geometry(), p.Geometry) << p.W->objectName().toStdString();
    }

    EXPECT_EQ(s.Label1->text(), "Korvex");
    EXPECT_EQ(s.Title->text(), "Demo Application");
    EXPECT_EQ(s.btnOK->text(), "OK");
    EXPECT_EQ(s.PB->minimum(), 0);
    EXPECT_EQ(s.PB->maximum(), 5);
    EXPECT_EQ(s.PB->value(), 0);
    EXPECT_TRUE(s.Memo1->isReadOnly());
    EXPECT_EQ(s.Memo1->frameShape(), QFrame::NoFrame);
    EXPECT_EQ(s.Memo1->toPlainText().split(QLatin1Char('\n')),
              QStringList({"This program accompanies a beta version of ", "Korvex. Please be ",
                           "aware of the unfinished status of this product. ",
                           "Features may change until final release version. ", "", ""}));

    struct FontRow {
        QWidget *W;
        const char *Family;
        int Pixels;
        bool Bold, Italic;
        QColor Color;
    };
    for (const FontRow &f : {FontRow{s.Label1, "Times New Roman", 19, true, true, QColor(0, 0, 0x80)},
                             FontRow{s.Title, "MS Sans Serif", 13, true, false, Qt::black},
                             FontRow{s.Memo1, "Arial", 9, false, false, Qt::black},
                             FontRow{s.Status, "MS Sans Serif", 11, false, false, Qt::black}}) {
        const QFont font = f.W->font();
        EXPECT_EQ(font.family(), f.Family) << f.W->objectName().toStdString();
        EXPECT_EQ(font.pixelSize(), f.Pixels) << f.W->objectName().toStdString();
        EXPECT_EQ(font.bold(), f.Bold) << f.W->objectName().toStdString();
        EXPECT_EQ(font.italic(), f.Italic) << f.W->objectName().toStdString();
        EXPECT_EQ(f.W->palette().color(f.W->foregroundRole()), f.Color) << f.W->objectName().toStdString();
    }
}

TEST(About, EveryShowingGetsAFreshWindow)
{
    std::vector<QString> statusSeen;
    const TAboutHook previous = SetAboutHook([&](TSplash &s) {
        statusSeen.push_back(s.Status->text());
        s.Status->setText(QStringLiteral("used"));
    });
    for (int i = 0; i < 2; ++i) {
        TSplash splash;
        splash.ShowAsAbout();
    }
    SetAboutHook(previous);
    EXPECT_EQ(statusSeen, std::vector<QString>({"", ""}));
}

TEST(About, EnterPressesOkInTheRealModalShowing)
{
    TSplash splash;
    QTimer::singleShot(0, [&]() { QTest::keyClick(&splash, Qt::Key_Return); });
    splash.ShowAsAbout();  // returns only when the modal showing ends
    EXPECT_FALSE(splash.isVisible());
}

TEST(About, RoadWorksSignIsAYellowDiamondWithADiggerOnGrey)
{
    const QImage sign = RoadWorksSign().toImage();
    ASSERT_EQ(sign.size(), QSize(75, 75));
    const QColor grey(0xC0, 0xC0, 0xC0), yellow(0xFF, 0xFF, 0), black(0, 0, 0);
    for (const QPoint corner : {QPoint(0, 0), QPoint(74, 0), QPoint(0, 74), QPoint(74, 74)})
        EXPECT_EQ(sign.pixelColor(corner), grey);
    EXPECT_EQ(sign.pixelColor(37, 12), yellow);  // the sign's top, above the figure
    EXPECT_EQ(sign.pixelColor(37, 1), black);    // its rim
    int blackInside = 0;
    QSet<QRgb> colours;
    for (int y = 0; y < 75; ++y)
        for (int x = 0; x < 75; ++x) {
            colours.insert(sign.pixel(x, y));
            if (std::abs(x - 37) + std::abs(y - 37) < 28 && sign.pixelColor(x, y) == black)
                ++blackInside;
        }
    EXPECT_GT(blackInside, 150);  // the digger, the spade and the heap
    EXPECT_LE(colours.size(), 16);
}
