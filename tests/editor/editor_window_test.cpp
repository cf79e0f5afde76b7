// The main window built from its form, driven through its menus, the project tree and mouse
// events on the preview, offscreen.
#include "uApplication.h"
#include "uDialogs.h"
#include "uEdit.h"
#include "uHelp.h"
#include "uSplash.h"

#include "KXGR/core/KXStyles.h"
#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXActors.h"
#include "KXGR/widgets/KXQtConvert.h"

#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::unique_ptr<TKXDrawItem> Frame(const std::string &name, TKXItemGrowth growth)
{
    auto item = std::make_unique<TKXDrawItem>();
    item->Name = name;
    item->X2 = 100;
    item->Y2 = 50;
    item->Growth = growth;
    item->BrushStyle = bsClear;
    return item;
}

class EditorWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        QApplication::setApplicationName(QStringLiteral("Glyphsmith"));
        FPreviousHook = SetMessageHook([this](const TMessage &m) {
            Messages.push_back(m);
            return mbOK;
        });
        ASSERT_TRUE(FDir.isValid());
        W = std::make_unique<TfrmEdit>();
        W->show();
    }

    void TearDown() override
    {
        W.reset();
        SetMessageHook(FPreviousHook);
    }

    // Runs a menu command the way the application's top level does: an error ends the command
    // and is shown in the error box.
    void Run(QAction *action)
    {
        try {
            action->trigger();
        } catch (const std::exception &e) {
            ShowException(e);
        }
    }

    void Open(const std::string &fileName)
    {
        W->OD.Answer = [fileName](TFileDialog &d) {
            d.FileName = fileName;
            return true;
        };
        Run(W->Load1);
    }

    // Saves under typed; answers what the dialog proposed.
    std::string Save(const std::string &typed)
    {
        std::string proposed;
        W->SD.Answer = [&](TFileDialog &d) {
            proposed = d.FileName;
            d.FileName = typed;
            return true;
        };
        Run(W->Save1);
        return proposed;
    }

    std::string Path(const char *name) const { return FDir.filePath(QString::fromUtf8(name)).toStdString(); }

    // A library file with the styles Alpha (one draw item) and Beta.
    std::string TwoStyleLibrary()
    {
        TKXUOLibrary lib;
        auto alpha = std::make_unique<TKXVertexStyle>();
        alpha->Name = "Alpha";
        alpha->DrawItems.push_back(Frame("frame", igNone));
        lib.AddStyle(std::move(alpha));
        auto beta = std::make_unique<TKXVertexStyle>();
        beta->Name = "Beta";
        lib.AddStyle(std::move(beta));
        const std::string file = Path("a.uol");
        lib.SaveToFile(file);
        return file;
    }

    TTreeNode *Node(int childIndex) const
    {
        return static_cast<TTreeNode *>(W->ProjectTree->topLevelItem(0)->child(childIndex));
    }

    void Select(QTreeWidgetItem *item) { W->ProjectTree->setCurrentItem(item); }

    TKXVertex *Preview() const { return static_cast<TKXVertex *>(W->KXB->Vertices[0]); }

    // The box's client area (inside its frame), where diagram pixels start.
    QImage PreviewImage() const
    {
        return W->KXB->grab(W->KXB->contentsRect()).toImage().convertToFormat(QImage::Format_RGB32);
    }
    // A widget position for the diagram pixel (x, y).
    QPoint At(int x, int y) const { return W->KXB->contentsRect().topLeft() + QPoint(x, y); }

    std::vector<std::string> LibraryNames() const
    {
        std::vector<std::string> names;
        for (const auto &style : W->UOLib->Styles())
            names.push_back(style->Name);
        return names;
    }

    static std::vector<std::string> FileNames(const std::string &file)
    {
        TKXUOLibrary lib;
        lib.LoadFromFile(file);
        std::vector<std::string> names;
        for (const auto &style : lib.Styles())
            names.push_back(style->Name);
        return names;
    }

    std::unique_ptr<TfrmEdit> W;
    std::vector<TMessage> Messages;

private:
    TMessageHook FPreviousHook;
    QTemporaryDir FDir;
};

TEST_F(EditorWindow, StartsWithEmptyTreeAndAnEmptyUnselectedPreviewVertex)
{
    EXPECT_EQ(W->ProjectTree->topLevelItemCount(), 0);
    EXPECT_EQ(W->windowTitle(), "Glyphsmith");
    EXPECT_EQ(W->pcEditor->currentWidget(), W->TabSheet1);
    EXPECT_EQ(W->pcEditor->tabText(0), "Draw Items");
    EXPECT_EQ(W->KXB->Actor(), W->KXEditActor1);
    EXPECT_EQ(W->minimumSize(), W->maximumSize()) << "the window is not resizable";
    EXPECT_EQ(W->KXB->size(), QSize(265, 185));

    ASSERT_EQ(W->KXB->Vertices.Count(), 1u);
    const TKXVertex *v = Preview();
    EXPECT_EQ((TRect{v->Left, v->Top, v->Right, v->Bottom}), (TRect{82, 67, 182, 117}));
    EXPECT_FALSE(v->Selected);
    EXPECT_TRUE(W->KXB->Selection.empty());

    // Nothing of the vertex is painted: the whole inside shows the box's colour.
    const QImage image = PreviewImage();
    const QRgb background = image.pixel(40, 40);
    EXPECT_EQ(QColor(background), ToQColor(clInfoBk));
    for (int y = 60; y <= 124; ++y)
        for (int x = 75; x <= 189; ++x)
            ASSERT_EQ(image.pixel(x, y), background) << "at " << x << "," << y;
}

TEST_F(EditorWindow, MenusHoldTheirItemsWithoutShortcuts)
{
    const std::vector<std::pair<QMenu *, std::vector<QString>>> menus = {
        {W->File2, {"&New", "&Open...", "&Save...", "", "Quit"}},
        {W->File1, {"&New", "&Delete"}},
        {W->Info1, {"&Contents", "&Search for Help On", "", "&Info..."}},
    };
    const QList<QAction *> bar = W->MainMenu1->actions();
    ASSERT_EQ(bar.size(), 3);
    EXPECT_EQ(bar[0]->text(), "&Project");
    EXPECT_EQ(bar[1]->text(), "&Object");
    EXPECT_EQ(bar[2]->text(), "&Help");
    for (const auto &[menu, captions] : menus) {
        const QList<QAction *> items = menu->actions();
        ASSERT_EQ(items.size(), static_cast<qsizetype>(captions.size())) << menu->title().toStdString();
        for (qsizetype i = 0; i < items.size(); ++i) {
            EXPECT_EQ(items[i]->isSeparator(), captions[i].isEmpty());
            EXPECT_EQ(items[i]->text(), captions[i]);
            EXPECT_TRUE(items[i]->shortcut().isEmpty());
        }
    }
    EXPECT_EQ(W->N2, W->File2->actions().at(3));
    EXPECT_EQ(W->N1, W->Info1->actions().at(2));
}

TEST_F(EditorWindow, ProjectNewThenObjectNewTwiceAppendsStyle1AndStyle2)
{
    Run(W->New2);
    ASSERT_EQ(W->ProjectTree->topLevelItemCount(), 1);
    EXPECT_EQ(W->ProjectTree->topLevelItem(0)->text(0), "Library");
    EXPECT_EQ(W->windowTitle(), "Glyphsmith - untitled");
    EXPECT_TRUE(W->UOLib->Styles().empty());

    Run(W->New1);
    Run(W->New1);
    QTreeWidgetItem *root = W->ProjectTree->topLevelItem(0);
    ASSERT_EQ(root->childCount(), 2);
    EXPECT_EQ(root->child(0)->text(0), "Style1");
    EXPECT_EQ(root->child(1)->text(0), "Style2");
    EXPECT_FALSE(root->isExpanded());
    EXPECT_TRUE(W->ProjectTree->selectedItems().isEmpty());
    EXPECT_EQ(LibraryNames(), (std::vector<std::string>{"Style1", "Style2"}));
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Node(i)->Data, W->UOLib->Styles()[i].get());
        ASSERT_TRUE(Node(i)->Data->OnGetData);
        EXPECT_EQ(Node(i)->Data->OnGetData(0, "Title", nullptr), "<<Title>>");
    }
    EXPECT_TRUE(Messages.empty());
}

TEST_F(EditorWindow, ObjectNewOnEmptyTreeReportsInvalidIndexAndChangesNothing)
{
    Run(W->New1);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].Text, "Ungültiger Index.");
    EXPECT_EQ(Messages[0].Caption, "Glyphsmith");
    EXPECT_EQ(Messages[0].DlgType, mtError);
    EXPECT_EQ(Messages[0].Buttons, MsgButtons(mbOK));
    EXPECT_EQ(W->ProjectTree->topLevelItemCount(), 0);
    EXPECT_TRUE(W->UOLib->Styles().empty());
}

TEST_F(EditorWindow, RenamingInTheTreeRenamesTheStyleForALaterSave)
{
    Run(W->New2);
    Run(W->New1);
    QTreeWidgetItem *root = W->ProjectTree->topLevelItem(0);
    root->setExpanded(true);

    auto rename = [this](QTreeWidgetItem *item, const char *text) {
        W->ProjectTree->editItem(item, 0);
        QLineEdit *editor = nullptr;
        for (QLineEdit *edit : W->ProjectTree->viewport()->findChildren<QLineEdit *>())
            if (edit->isVisible())
                editor = edit;  // a closed editor lingers until its deferred deletion
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, QString::fromUtf8(text));
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();  // the tree commits the edit queued
    };
    rename(Node(0), "Box");
    EXPECT_EQ(Node(0)->text(0), "Box");
    EXPECT_EQ(W->UOLib->Styles()[0]->Name, "Box");

    // The root has no style: only its text changes.
    rename(root, "Shapes");
    EXPECT_EQ(root->text(0), "Shapes");
    EXPECT_EQ(LibraryNames(), std::vector<std::string>{"Box"});

    const std::string file = Path("renamed.uol");
    Save(file);
    EXPECT_EQ(FileNames(file), std::vector<std::string>{"Box"});
}

TEST_F(EditorWindow, OpenShowsTheStylesInFileOrderAndThePathInTheCaption)
{
    const std::string file = TwoStyleLibrary();
    Open(file);
    ASSERT_TRUE(Messages.empty());
    ASSERT_EQ(W->ProjectTree->topLevelItemCount(), 1);
    QTreeWidgetItem *root = W->ProjectTree->topLevelItem(0);
    EXPECT_EQ(root->text(0), "Library");
    ASSERT_EQ(root->childCount(), 2);
    EXPECT_EQ(Node(0)->text(0), "Alpha");
    EXPECT_EQ(Node(1)->text(0), "Beta");
    EXPECT_EQ(Node(1)->Data, W->UOLib->Styles()[1].get());
    EXPECT_FALSE(root->isExpanded());
    EXPECT_TRUE(W->ProjectTree->selectedItems().isEmpty());
    EXPECT_EQ(W->windowTitle().toStdString(), "Glyphsmith - " + file);
    EXPECT_TRUE(W->DINameCB->currentText().isEmpty());
    EXPECT_TRUE(W->TINameCB->currentText().isEmpty());

    // The next new style counts every node: root and two styles.
    Run(W->New1);
    EXPECT_EQ(LibraryNames(), (std::vector<std::string>{"Alpha", "Beta", "Style3"}));
}

// A file that is no library leaves an empty tree without a root: Object > New then reports its
// error. A text file fails on its first byte (no string there); a file of another format that
// starts with a string fails on the magic.
TEST_F(EditorWindow, OpenOfANonLibraryShowsTheErrorAndLeavesAnEmptyTree)
{
    const struct {
        const char *Name;
        QByteArray Content;
        const char *Message;
    } cases[] = {
        {"notes.txt", QByteArray("just some text\r\n"), "Ungültiger Wert der Eigenschaft."},
        {"diagram.uol", QByteArray("\x06\x06KX1.00\x01\x00", 10), "Invalid File Format."},
        {"lower.uol", QByteArray("\x06\x07uol1.00\x01\x00", 11), "Invalid File Format."},
    };
    for (const auto &c : cases) {
        Run(W->New2);
        Messages.clear();
        const std::string file = Path(c.Name);
        QFile out(QString::fromStdString(file));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(c.Content);
        out.close();

        Open(file);
        ASSERT_EQ(Messages.size(), 1u) << c.Name;
        EXPECT_EQ(Messages[0].Text, c.Message);
        EXPECT_EQ(W->ProjectTree->topLevelItemCount(), 0);
        EXPECT_EQ(W->windowTitle(), "Glyphsmith - untitled");

        Run(W->New1);
        ASSERT_EQ(Messages.size(), 2u);
        EXPECT_EQ(Messages[1].Text, "Ungültiger Index.");
        EXPECT_TRUE(W->UOLib->Styles().empty());
    }
}

TEST_F(EditorWindow, SaveAfterOpenNewAndObjectNewWritesExactlyOneStyle)
{
    const std::string opened = TwoStyleLibrary();
    Open(opened);
    Run(W->New2);
    Run(W->New1);
    const std::string file = Path("one.uol");
    EXPECT_EQ(Save(file), opened) << "Save proposes the file last opened";
    EXPECT_EQ(FileNames(file), std::vector<std::string>{"Style1"});
    EXPECT_EQ(W->windowTitle().toStdString(), "Glyphsmith - " + file);

    // Saving over the opened file replaces it without a question.
    Save(opened);
    EXPECT_TRUE(Messages.empty());
    EXPECT_EQ(FileNames(opened), std::vector<std::string>{"Style1"});
}

TEST_F(EditorWindow, SaveBeforeAnyOpenProposesAnEmptyNameAndAddsTheExtension)
{
    Run(W->New2);
    EXPECT_EQ(Save(Path("lib")), "");
    EXPECT_TRUE(QFile::exists(QString::fromStdString(Path("lib.uol"))));
    EXPECT_EQ(W->windowTitle().toStdString(), "Glyphsmith - " + Path("lib.uol"));
}

TEST_F(EditorWindow, CancelledDialogsChangeNothing)
{
    Open(TwoStyleLibrary());
    const QString caption = W->windowTitle();
    W->OD.Answer = [](TFileDialog &d) {
        d.FileName = "elsewhere.uol";
        return false;
    };
    Run(W->Load1);
    W->SD.Answer = [](TFileDialog &) { return false; };
    Run(W->Save1);
    EXPECT_EQ(W->ProjectTree->topLevelItem(0)->childCount(), 2);
    EXPECT_EQ(W->windowTitle(), caption);
    EXPECT_TRUE(Messages.empty());
}

TEST_F(EditorWindow, SelectingAStyleShowsACopyAndTheRootKeepsIt)
{
    Open(TwoStyleLibrary());
    const QImage empty = PreviewImage();
    Select(Node(0));
    TKXVertexStyle *alpha = W->UOLib->Styles()[0].get();
    ASSERT_NE(Preview()->Style, nullptr);
    EXPECT_NE(Preview()->Style.get(), alpha);
    ASSERT_EQ(Preview()->Style->DrawItems.size(), 1u);
    EXPECT_NE(Preview()->Style->DrawItems[0].get(), alpha->DrawItems[0].get());
    EXPECT_EQ(W->DINameCB->count(), 1);
    EXPECT_TRUE(W->DINameCB->currentText().isEmpty());
    const QImage shown = PreviewImage();
    EXPECT_NE(shown, empty) << "the frame is painted";

    Select(W->ProjectTree->topLevelItem(0));
    EXPECT_EQ(PreviewImage(), shown);
    EXPECT_EQ(W->DINameCB->count(), 0);

    // Object > Delete only refreshes the pages.
    Select(Node(0));
    Run(W->Delete1);
    EXPECT_EQ(alpha->DrawItems.size(), 1u);
    EXPECT_EQ(LibraryNames(), (std::vector<std::string>{"Alpha", "Beta"}));
    EXPECT_EQ(W->DINameCB->count(), 1);

    // Project > New with a style selected: the preview drops its style and draws nothing.
    Run(W->New2);
    EXPECT_EQ(Preview()->Style, nullptr);
    EXPECT_EQ(W->DINameCB->count(), 0);
    EXPECT_EQ(PreviewImage(), empty);
    EXPECT_TRUE(Messages.empty());
}

TEST_F(EditorWindow, DraggingThePreviewChangesOnlyItsOwnStyle)
{
    Run(W->New2);
    Run(W->New1);
    TKXVertexStyle *style = W->UOLib->Styles()[0].get();
    style->DrawItems.push_back(Frame("frame", igBoth));
    Select(Node(0));
    TKXVertex *v = Preview();

    // Move the vertex by (20, 10).
    QTest::mousePress(W->KXB, Qt::LeftButton, {}, At(132, 92));
    QTest::mouseMove(W->KXB, At(142, 97));
    QTest::mouseMove(W->KXB, At(152, 102));
    QTest::mouseRelease(W->KXB, Qt::LeftButton, {}, At(152, 102));
    EXPECT_EQ((TRect{v->Left, v->Top, v->Right, v->Bottom}), (TRect{102, 77, 202, 127}));
    EXPECT_TRUE(v->Selected);

    // Pull the bottom-right corner out by (30, 20): the copy grows, the library does not.
    QTest::mousePress(W->KXB, Qt::LeftButton, {}, At(202, 127));
    QTest::mouseMove(W->KXB, At(217, 137));
    QTest::mouseMove(W->KXB, At(232, 147));
    QTest::mouseRelease(W->KXB, Qt::LeftButton, {}, At(232, 147));
    EXPECT_EQ((TRect{v->Left, v->Top, v->Right, v->Bottom}), (TRect{102, 77, 232, 147}));
    const TKXDrawItem &copy = *v->Style->DrawItems[0];
    EXPECT_EQ((TRect{copy.X1, copy.Y1, copy.X2, copy.Y2}), (TRect{0, 0, 130, 70}));
    const TKXDrawItem &original = *style->DrawItems[0];
    EXPECT_EQ((TRect{original.X1, original.Y1, original.X2, original.Y2}), (TRect{0, 0, 100, 50}));
    EXPECT_EQ(W->UOLib->Styles().size(), 1u);
}

// The preview asks the editor's data event for every text item: a text item named Title shows
// "<<Title>>", centred, whatever its own text is.
TEST_F(EditorWindow, ATextItemShowsItsNameInAngleBrackets)
{
    Run(W->New2);
    Run(W->New1);
    TKXVertexStyle *style = W->UOLib->Styles()[0].get();
    auto item = std::make_unique<TKXTextItem>();
    item->Name = "Title";
    item->Text = "X";
    item->X2 = 100;
    item->Y2 = 20;
    item->FontName = "Arial";
    item->FontSize = 10;
    item->FontColor = clBlack;
    item->FontStyle = fsBold;
    item->Alignment = txCenter;
    item->BackStyle = bsClear;
    TKXTextItem *title = item.get();
    style->TextItems.push_back(std::move(item));
    Select(Node(0));
    const QImage shown = PreviewImage();

    // Ink bounds inside the item's rectangle (82, 67)-(182, 87).
    const QRgb background = shown.pixel(40, 40);
    int left = 1000, right = -1;
    for (int y = 67; y < 87; ++y)
        for (int x = 82; x < 182; ++x)
            if (shown.pixel(x, y) != background) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    ASSERT_GE(right, left) << "no text painted";
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    font.setBold(true);
    const int expected = QFontMetrics(font).horizontalAdvance(QStringLiteral("<<Title>>"));
    EXPECT_NEAR(right - left + 1, expected, 3);
    EXPECT_NEAR((left + right + 1) / 2.0, 132, 2);

    // Another text of the item paints the very same picture.
    title->Text = "a much longer caption than the name";
    Select(W->ProjectTree->topLevelItem(0));
    Select(Node(0));
    EXPECT_EQ(PreviewImage(), shown);
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
    const THelpTopic *context = AppHelp().Viewer()->HelpFile().FindContext(1);
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(viewer->CurrentTopicId(), context->Id);
    EXPECT_TRUE(Messages.empty());
    viewer->close();
}

// Help > Info shows a fresh about window, owned by the main window, each time.
TEST_F(EditorWindow, InfoShowsANewAboutWindowEachTime)
{
    std::vector<QObject *> shown;
    const TAboutHook previous = SetAboutHook([&](TSplash &splash) {
        shown.push_back(&splash);
        EXPECT_EQ(splash.parent(), W.get());
        EXPECT_EQ(splash.Title->text(), "Glyphsmith");
        EXPECT_FALSE(splash.btnOK->isHidden());
        EXPECT_TRUE(splash.PB->isHidden());
        EXPECT_TRUE(splash.b->isHidden());
        splash.btnOK->click();
    });
    Run(W->Info2);
    Run(W->Info2);
    SetAboutHook(previous);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_TRUE(W->findChildren<TSplash *>().isEmpty()) << "destroyed after its showing";
}

// The thickness spinner steps within 1 to 10 from what the edit shows; typed text stays as typed.
TEST_F(EditorWindow, ThicknessSpinnerStaysWithinItsRange)
{
    const QList<QToolButton *> arrows = W->UpDown1->findChildren<QToolButton *>();
    ASSERT_EQ(arrows.size(), 2);
    QToolButton *up = arrows[0]->arrowType() == Qt::UpArrow ? arrows[0] : arrows[1];
    QToolButton *down = up == arrows[0] ? arrows[1] : arrows[0];
    struct {
        const char *Typed;
        QToolButton *Arrow;
        const char *Shown;
    } const cases[] = {{"1", up, "2"}, {"1", down, "1"}, {"10", up, "10"}, {"25", up, "10"},
                       {"25", down, "9"}, {"-3", down, "1"}, {"7", down, "6"}};
    for (const auto &c : cases) {
        W->edSize->setText(QString::fromUtf8(c.Typed));
        QTest::mouseClick(c.Arrow, Qt::LeftButton);
        EXPECT_EQ(W->edSize->text(), QString::fromUtf8(c.Shown)) << c.Typed;
    }
    W->edSize->setText(QStringLiteral("25"));
    EXPECT_EQ(W->edSize->text(), "25");
}

// Only the pages' commands change the name lists: typing neither completes a listed name nor
// adds the text to the list on Enter.
TEST_F(EditorWindow, NameBoxesNeitherCompleteNorInsert)
{
    Open(TwoStyleLibrary());
    Select(Node(0));
    ASSERT_EQ(W->DINameCB->count(), 1);
    for (QComboBox *box : {W->DINameCB, W->TINameCB}) {
        const int count = box->count();
        QTest::keyClicks(box->lineEdit(), QStringLiteral("f"));
        EXPECT_EQ(box->currentText(), "f");
        QTest::keyClick(box->lineEdit(), Qt::Key_Return);
        EXPECT_EQ(box->count(), count);
    }
}

TEST_F(EditorWindow, DataFieldsRefuseCharactersOutsideCodePage1252)
{
    Run(W->New2);
    QList<QLineEdit *> edits = W->centralWidget()->findChildren<QLineEdit *>();
    W->ProjectTree->editItem(W->ProjectTree->topLevelItem(0), 0);
    edits.push_back(W->ProjectTree->viewport()->findChild<QLineEdit *>());
    for (QLineEdit *edit : edits) {
        ASSERT_NE(edit, nullptr);
        edit->clear();
        for (const QChar c : QStringLiteral("\u20ACx\u03A9"))
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
        EXPECT_EQ(edit->text(), QStringLiteral("\u20ACx")) << edit->objectName().toStdString();
    }
}

}  // namespace
