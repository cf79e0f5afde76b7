// The main window driven through its menus, the project tree and mouse events on the preview.
#include "editor_fixture.h"

#include "uHelpViewer.h"
#include "uSplash.h"

#include <QDir>
#include <QSpinBox>
#include <QGroupBox>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTimer>
#include <QWheelEvent>

#include <functional>

namespace {

class EditorWindow : public EditorTest {
protected:
    // A library file with the styles Alpha (one borderless frame) and Beta.
    std::string TwoStyleLibrary()
    {
        TKXUOLibrary lib;
        lib.LoadFromFile(LibraryFile("a.uol", {"Alpha", "Beta"}));
        auto frame = std::make_unique<TKXDrawItem>();
        std::tie(frame->Name, frame->X2, frame->Y2, frame->BrushStyle) = std::tuple("frame", 100, 50, bsClear);
        lib.Styles()[0]->DrawItems.push_back(std::move(frame));
        lib.SaveToFile(Path("a.uol"));
        return Path("a.uol");
    }
};

TEST_F(EditorWindow, StartsWithNoTreeTheFileAndEditShortcutsAndAnEmptyPreview)
{
    EXPECT_EQ(W->ProjectTree->topLevelItemCount(), 0);
    EXPECT_EQ(W->Caption(), "Glyphsmith");
    EXPECT_EQ(W->pcEditor->currentWidget(), W->TabSheet1);
    EXPECT_EQ(W->minimumSize(), W->maximumSize()) << "the window is not resizable";
    EXPECT_EQ(W->KXB->size(), QSize(265, 185));
    QStringList shortcuts;
    for (const QAction *action : W->findChildren<QAction *>())
        for (const QKeySequence &key : action->shortcuts())
            shortcuts << action->objectName() + QLatin1Char(' ') + key.toString();
    shortcuts.sort();
    EXPECT_EQ(shortcuts, (QStringList{"Load1 Ctrl+O", "New2 Ctrl+N", "Redo1 Ctrl+Shift+Z", "Redo1 Ctrl+Y",
                                      "Save1 Ctrl+Shift+S", "Save2 Ctrl+S", "Undo1 Ctrl+Z"}));
    // Every control of the form explains itself; the coordinate edits carry their labels.
    const QRegularExpression formContainer(QStringLiteral("^(centralwidget|GroupBox\\d|TabSheet\\d)$"));
    for (QWidget *control : W->centralWidget()->findChildren<QWidget *>()) {
        if (control->parent() && formContainer.match(control->parent()->objectName()).hasMatch() &&
            !qobject_cast<QLabel *>(control) && !qobject_cast<QGroupBox *>(control) && !qobject_cast<QScrollArea *>(control) &&
            control->objectName() != "Bevel1" && control->objectName() != "lblSample") {
            EXPECT_FALSE(control->toolTip().isEmpty()) << control->objectName().toStdString();
        }
    }
    for (QLineEdit *edit : {W->edX1, W->edY1, W->edX2, W->edY2, W->edTIX1, W->edTIY1, W->edTIX2, W->edTIY2}) {
        const auto *label = W->findChild<QLabel *>(QStringLiteral("lbl") + edit->objectName().mid(2));
        ASSERT_NE(label, nullptr) << edit->objectName().toStdString();
        EXPECT_EQ(label->text(), edit->objectName().right(2));
        EXPECT_EQ(label->buddy(), edit);
    }
    // Tab from the shape list walks the pen page in its order, the thickness edit first.
    W->DITypCB->setFocus();
    std::vector<QWidget *> tabbed;
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        tabbed.push_back(QApplication::focusWidget());
    }
    EXPECT_EQ(tabbed, (std::vector<QWidget *>{W->PageControl2->findChild<QTabBar *>(), W->edSize, W->DIStyleCB,
                                              W->Button5, W->edX1}));

    ASSERT_EQ(W->KXB->Vertices.Count(), 1u);
    EXPECT_EQ(Bounds(), (TRect{82, 67, 182, 117}));
    EXPECT_FALSE(Preview()->Selected);
    // Nothing of the vertex is painted: the whole inside shows the box's colour.
    const QImage image = PreviewImage();
    EXPECT_EQ(QColor(image.pixel(40, 40)), ToQColor(clInfoBk));
    EXPECT_EQ(image.copy(75, 60, 115, 65), image.copy(0, 0, 115, 65));
}

TEST_F(EditorWindow, ProjectNewThenObjectNewTwiceAppendsStylesWhichTheTreeRenames)
{
    Run(W->New2);
    ASSERT_EQ(W->ProjectTree->topLevelItemCount(), 1);
    EXPECT_EQ(Root()->text(0), "Library");
    EXPECT_EQ(W->Caption(), "Glyphsmith - untitled");
    Run(W->New1);
    Run(W->New1);
    ASSERT_EQ(Root()->childCount(), 2);
    EXPECT_FALSE(Root()->isExpanded());
    EXPECT_EQ(StyleNames(*W->UOLib), (Strings{"Style1", "Style2"}));
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Node(i)->text(0).toStdString(), W->UOLib->Styles()[i]->Name);
        EXPECT_EQ(Node(i)->Data, W->UOLib->Styles()[i].get());
        ASSERT_TRUE(Node(i)->Data->OnGetData);
        EXPECT_EQ(Node(i)->Data->OnGetData(0, "Title", nullptr), "<<Title>>");
    }

    // Renaming in place reaches a later Save; the root has no style, only its text changes.
    Root()->setExpanded(true);
    Rename(Node(0), QStringLiteral("Box"));
    Rename(Root(), QStringLiteral("Shapes"));
    EXPECT_EQ(Root()->text(0), "Shapes");
    Save(Path("renamed.uol"));
    EXPECT_EQ(StylesIn(Path("renamed.uol")), (Strings{"Box", "Style2"}));
    EXPECT_TRUE(Messages.empty());
}

// A text file fails on its first byte (no string there), another format on the magic; either
// way the tree is left without a root.
TEST_F(EditorWindow, OpenOfANonLibraryShowsTheErrorAndLeavesAnEmptyTree)
{
    const std::pair<std::string, const char *> cases[] = {
        {"just some text\r\n", "Ungültiger Wert der Eigenschaft."},
        {std::string("\x06\x06KX1.00\x01\x00", 10), "Invalid File Format."}};
    for (const auto &[content, message] : cases) {
        SCOPED_TRACE(message);
        Run(W->New2);
        Messages.clear();
        WriteFileBytes(Path("bad.uol"), BytesOf(content));
        Open(Path("bad.uol"));
        Run(W->New1);
        EXPECT_EQ(Recorder.Texts(), (Strings{message, "Ungültiger Index."}));
        EXPECT_EQ(W->ProjectTree->topLevelItemCount(), 0);
        EXPECT_EQ(W->Caption(), "Glyphsmith - untitled");
        EXPECT_TRUE(W->UOLib->Styles().empty());
    }
}

TEST_F(EditorWindow, OpenShowsTheFileAndSaveProposesItAndWritesExactlyTheTree)
{
    Run(W->New2);
    ASSERT_TRUE(QDir(QString::fromStdString(Path(""))).mkdir(QStringLiteral("d.v2")));
    EXPECT_EQ(Save(Path("d.v2/lib")), "") << "nothing opened yet";
    EXPECT_EQ(W->Caption().toStdString(), "Glyphsmith - " + Path("d.v2/lib.uol"));
    EXPECT_TRUE(StylesIn(Path("d.v2/lib.uol")).empty());

    const std::string opened = TwoStyleLibrary();
    Open(opened);
    ASSERT_EQ(Root()->childCount(), 2);
    EXPECT_EQ(Node(0)->text(0), "Alpha");
    EXPECT_EQ(Node(1)->text(0), "Beta");
    EXPECT_EQ(W->Caption().toStdString(), "Glyphsmith - " + opened);
    EXPECT_TRUE(W->DINameCB->currentText().isEmpty());
    EXPECT_TRUE(W->TINameCB->currentText().isEmpty());
    Run(W->New1);  // counts every node: root and two styles
    EXPECT_EQ(StyleNames(*W->UOLib), (Strings{"Alpha", "Beta", "Style3"}));

    Run(W->New2);
    Run(W->New1);
    EXPECT_EQ(Save(Path("one.uol")), opened);
    EXPECT_EQ(StylesIn(Path("one.uol")), Strings{"Style1"});
    Save(opened);  // over the opened file, without a question
    EXPECT_EQ(StylesIn(opened), Strings{"Style1"});
    EXPECT_TRUE(Messages.empty());
}

// The file named on the command line: its styles in the tree and its name proposed by Save; a
// missing or broken one shows the error box over a window with an empty library.
TEST_F(EditorWindow, AFileNamedAtStartIsOpened)
{
    W->OpenAtStart(SAMPLE_LIBRARY);
    ASSERT_EQ(W->ProjectTree->topLevelItemCount(), 1);
    Strings shown;
    for (int i = 0; i < Root()->childCount(); ++i)
        shown.push_back(Node(i)->text(0).toStdString());
    EXPECT_EQ(shown, (Strings{"Process", "Event", "Document", "Storage", "Marker"}));
    EXPECT_EQ(W->Caption().toStdString(), std::string("Glyphsmith - ") + SAMPLE_LIBRARY);
    EXPECT_EQ(Save(Path("copy.uol")), SAMPLE_LIBRARY);
    EXPECT_TRUE(Messages.empty());

    const std::string missing = Path("missing.uol");
    const std::pair<std::string, std::string> failures[] = {
        {missing, "Kann Datei " + missing + " nicht öffnen."},
        {std::string(TEST_DATA_DIR) + "/library_cut_in_second_style.uol", "Stream-Read-Fehler ."}};
    for (const auto &[file, message] : failures) {
        SCOPED_TRACE(file);
        Messages.clear();
        W = std::make_unique<TfrmEdit>();
        W->show();
        W->OpenAtStart(file);
        EXPECT_EQ(Recorder.Texts(), Strings{message});
        EXPECT_EQ(Messages[0].Caption, "Glyphsmith");
        EXPECT_EQ(W->ProjectTree->topLevelItemCount(), 0);
        EXPECT_TRUE(W->UOLib->Styles().empty());
        EXPECT_EQ(W->Caption(), "Glyphsmith");
    }
}

TEST_F(EditorWindow, ThePreviewShowsACopyOfTheSelectedStyleWhichOnlyDraggingChanges)
{
    Open(TwoStyleLibrary());
    const QImage empty = PreviewImage();
    TKXDrawItem &frame = *W->UOLib->Styles()[0]->DrawItems[0];
    frame.Growth = igBoth;
    const std::string stored = Fields(frame);
    Select(Node(0));
    EXPECT_EQ(W->DINameCB->count(), 1);
    const QImage shown = PreviewImage();
    EXPECT_NE(shown, empty) << "the frame is painted";
    Select(Root());
    EXPECT_EQ(PreviewImage(), shown) << "the root keeps the picture";
    EXPECT_EQ(W->DINameCB->count(), 0);
    Select(Node(0));
    Run(W->Delete1);  // only refreshes the pages
    EXPECT_EQ(StyleNames(*W->UOLib), (Strings{"Alpha", "Beta"}));

    Drag({132, 92}, {152, 102});
    EXPECT_EQ(Bounds(), (TRect{102, 77, 202, 127}));
    EXPECT_TRUE(Preview()->Selected);
    Drag({202, 127}, {232, 147});  // the bottom-right corner
    EXPECT_EQ(Bounds(), (TRect{102, 77, 232, 147}));
    EXPECT_EQ(Preview()->Style->DrawItems[0]->X2, 130);
    EXPECT_EQ(Preview()->Style->DrawItems[0]->Y2, 70);
    EXPECT_EQ(Fields(frame), stored);

    Run(W->New2);
    EXPECT_EQ(Preview()->Style, nullptr);
    EXPECT_EQ(PreviewImage(), empty);
    EXPECT_TRUE(Messages.empty());
}

TEST_F(EditorWindow, HelpMenuOpensContentsSearchAndContextHelp)
{
    Run(W->Contents1);
    THelpViewer *viewer = AppHelp().Viewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->CurrentTopicId(), "Contents");
    Run(W->SearchforHelpOn1);
    EXPECT_EQ(viewer->Tabs()->currentIndex(), 1);

    viewer->ShowTopic(QStringLiteral("Contents"));
    W->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(W.get()));
    QTest::keyClick(W.get(), Qt::Key_F1);
    EXPECT_EQ(viewer->CurrentTopicId(), "EditorWindow");
    EXPECT_TRUE(Messages.empty());
    viewer->close();
}

// The real modal showing, each time a new window: a dialog border, of the splash's parts only
// OK, and Enter ends it.
TEST_F(EditorWindow, InfoShowsANewModalAboutWindowEachTime)
{
    int shown = 0;
    for (int i = 0; i < 2; ++i) {
        QTimer::singleShot(0, W.get(), [&] {  // runs inside the modal loop
            TSplash *splash = W->findChild<TSplash *>();
            ASSERT_NE(splash, nullptr);
            ++shown;
            EXPECT_TRUE(splash->isModal());
            EXPECT_EQ(splash->windowTitle(), "Korvex V0.90");
            EXPECT_FALSE(splash->windowFlags() & Qt::FramelessWindowHint);
            EXPECT_EQ(splash->Title->text(), "Glyphsmith");
            EXPECT_TRUE(splash->btnOK->isVisible());
            EXPECT_FALSE(splash->PB->isVisible() || splash->b->isVisible());
            QTest::keyClick(splash, Qt::Key_Return);
        });
        Run(W->Info2);  // returns only when the modal showing ends
        EXPECT_TRUE(W->findChildren<TSplash *>().isEmpty()) << "destroyed after its showing";
    }
    EXPECT_EQ(shown, 2);
}

// Every edit, the tree's in-place editor too, takes only what code page 1252 can store (the
// grid step's spin box takes only digits).
TEST_F(EditorWindow, EditsTakeOnlyCodePage1252)
{
    Run(W->New2);
    QList<QLineEdit *> edits = W->centralWidget()->findChildren<QLineEdit *>();
    edits.removeAll(W->seGridStep->findChild<QLineEdit *>());
    W->ProjectTree->editItem(Root(), 0);
    edits.push_back(W->ProjectTree->viewport()->findChild<QLineEdit *>());
    for (QLineEdit *edit : edits) {
        ASSERT_NE(edit, nullptr);
        edit->clear();
        for (const QChar c : QStringLiteral("\u20ACx\u03A9"))
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
        EXPECT_EQ(edit->text(), QStringLiteral("\u20ACx")) << edit->objectName().toStdString();
    }
}

// The preview vertex goes back to its first place whenever a style is selected, after New and
// after Open; however far it is dragged, part of it stays in view.
TEST_F(EditorWindow, ThePreviewVertexReturnsToItsPlaceAndCannotBeDraggedOutOfView)
{
    const TRect start{82, 67, 182, 117};
    const std::string file = TwoStyleLibrary();
    Open(file);
    Root()->setExpanded(true);
    const std::vector<std::pair<const char *, std::function<void()>>> returns = {
        {"another style selected", [&] { Select(Node(1)); }},
        {"Project > New", [&] { Run(W->New2); }},
        {"Project > Open", [&] { Open(file); }},
    };
    Select(Node(0));
    for (const auto &[when, command] : returns) {
        SCOPED_TRACE(when);
        Drag({132, 92}, {172, 112});
        ASSERT_NE(Bounds(), start);
        command();
        EXPECT_EQ(Bounds(), start);
    }

    const QSize view = W->KXB->contentsRect().size();
    for (const QPoint to : {QPoint(900, 700), QPoint(-900, -700), QPoint(900, -700)}) {
        SCOPED_TRACE(to.x());
        Drag({132, 92}, to);
        const TRect b = Bounds();
        EXPECT_TRUE(b.Right >= 10 && b.Bottom >= 10 && b.Left <= view.width() - 10 && b.Top <= view.height() - 10)
            << b.Left << "," << b.Top << "-" << b.Right << "," << b.Bottom;
        Run(W->New2);  // back to the middle
    }
    EXPECT_TRUE(Messages.empty());
}

// A click on the tree's blank area keeps the style and what the pages show; the wheel over a
// list changes it only while the list has the focus.
TEST_F(EditorWindow, BlankTreeClicksAndTheWheelOverUnfocusedListsChangeNothing)
{
    Open(TwoStyleLibrary());
    Root()->setExpanded(true);
    Select(Node(0));
    W->DINameCB->lineEdit()->setFocus();
    QTest::keyClicks(W->DINameCB->lineEdit(), "fr");
    QTest::mouseClick(W->ProjectTree->viewport(), Qt::LeftButton, {}, QPoint(150, W->ProjectTree->viewport()->height() - 10));
    EXPECT_EQ(W->CurrentStyle(), W->UOLib->Styles()[0].get());
    EXPECT_EQ(W->DINameCB->currentText(), "fr");

    for (QComboBox *box : std::initializer_list<QComboBox *>{W->DITypCB, W->DIAlignCB, W->DIStyleCB, W->DIBStyleCB, W->TIAlignCB, W->ComboBox5,
                           W->ComboBox3}) {
        SCOPED_TRACE(box->objectName().toStdString());
        box->setCurrentIndex(0);
        const auto wheel = [box] {
            const QPointF at(box->width() / 2.0, box->height() / 2.0);
            QWheelEvent event(at, box->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(box, &event);
        };
        W->ProjectTree->setFocus();
        wheel();
        EXPECT_EQ(box->currentIndex(), 0);
        box->setFocus();
        wheel();
        EXPECT_EQ(box->currentIndex(), 1);
    }
}

// Handlers catch their own errors: nothing reaches the code that triggered them.
TEST_F(EditorWindow, HandlerErrorsStopAtTheHandlerInTheErrorBox)
{
    EXPECT_NO_THROW(W->New1->trigger());  // no tree yet: the error box, and nothing changes
    EXPECT_EQ(W->ProjectTree->topLevelItemCount(), 0);
    EXPECT_TRUE(W->UOLib->Styles().empty());
    W->New2->trigger();
    W->New1->trigger();
    Select(Node(0));
    W->edX1->setText(QStringLiteral("x"));
    EXPECT_NO_THROW(W->btnAdd->click());
    EXPECT_EQ(Recorder.Texts(), (Strings{"Ungültiger Index.", "'x' ist kein gültiger Integerwert."}));
    EXPECT_EQ(Messages[0].Caption, "Glyphsmith");
    EXPECT_EQ(Messages[1].Caption, "Glyphsmith");
}

// A style name being typed in the tree while the window goes is dropped, not written into the
// library the window has already destroyed; no handler runs once teardown has begun.
TEST_F(EditorWindow, TeardownClosesTheTreeEditorUnreadAndRunsNoHandler)
{
    Run(W->New2);
    Run(W->New1);
    Root()->setExpanded(true);
    W->ProjectTree->editItem(Node(0), 0);
    QLineEdit *editor = W->ProjectTree->viewport()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    editor->setFocus();
    QTest::keyClicks(editor, QStringLiteral("Box"));
    int edits = 0;
    QObject::connect(W->ProjectTree, &TProjectTree::Edited, [&edits] { ++edits; });
    W.reset();
    EXPECT_EQ(edits, 0);
}

// The spinner's edit may be destroyed while it has the focus (its last events reach the
// spinner's filter when it is no longer a line edit).
TEST(UpDown, ItsFocusedEditCanBeDestroyed)
{
    QWidget host;
    auto *edit = new QLineEdit(&host);
    TUpDown upDown(&host);
    upDown.SetAssociate(edit);
    host.show();
    host.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    edit->setFocus();
    delete edit;
    EXPECT_EQ(upDown.Associate(), nullptr);
}

}  // namespace
