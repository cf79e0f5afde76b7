// The draw-item and text-item pages on the real window, offscreen, driven with QTest keyboard
// and mouse input; the colour, font and message dialogs are answered by the test.
#include "uApplication.h"
#include "uDialogs.h"
#include "uEdit.h"

#include "KXGR/core/KXStyles.h"
#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXDiagramBox.h"
#include "KXGR/widgets/KXQtCanvas.h"
#include "KXGR/widgets/KXQtConvert.h"

#include <QAbstractItemView>
#include <QImage>
#include <QLineEdit>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clRed = 0x0000FF;

class ItemPages : public ::testing::Test {
protected:
    void SetUp() override
    {
        FPreviousHook = SetMessageHook([this](const TMessage &m) {
            Messages.push_back(m);
            return mbOK;
        });
        W = std::make_unique<TfrmEdit>();
        W->show();
        W->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(W.get()));
        W->New2->trigger();
        W->New1->trigger();
        SelectStyle(0);
    }

    void TearDown() override
    {
        W.reset();
        SetMessageHook(FPreviousHook);
    }

    // Clicks the node of style i in the tree.
    void SelectStyle(int i)
    {
        QTreeWidgetItem *root = W->ProjectTree->topLevelItem(0);
        root->setExpanded(true);
        const QRect r = W->ProjectTree->visualItemRect(root->child(i));
        QTest::mouseClick(W->ProjectTree->viewport(), Qt::LeftButton, {}, r.center());
        ASSERT_EQ(W->CurrentStyle(), W->UOLib->Styles()[i].get());
    }

    TKXVertexStyle &Style() const { return *W->CurrentStyle(); }

    // A command as the application's top level runs it: an error ends it in the error box.
    void Guarded(const std::function<void()> &command)
    {
        try {
            command();
        } catch (const std::exception &e) {
            ShowException(e);
        }
    }

    void Click(QAbstractButton *button)
    {
        Guarded([button] { QTest::mouseClick(button, Qt::LeftButton); });
    }

    void ShowTab(QTabWidget *pages, QWidget *page)
    {
        const QRect r = pages->tabBar()->tabRect(pages->indexOf(page));
        QTest::mouseClick(pages->tabBar(), Qt::LeftButton, {}, r.center());
        ASSERT_EQ(pages->currentWidget(), page);
    }

    // Replaces the edit's text the way a user does: select all, then type.
    static void Type(QLineEdit *edit, const QString &text)
    {
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(edit, Qt::Key_Delete);
        for (const QChar c : text) {
            if (c.unicode() < 128)
                QTest::keyClick(edit, c.toLatin1());
            else  // no key code for it: the key event carries the character only
                QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
    static void Type(QComboBox *box, const QString &text) { Type(box->lineEdit(), text); }

    // Opens the list, walks to entry index with the keyboard and takes it with Return.
    static void Pick(QComboBox *box, int index)
    {
        box->showPopup();
        QAbstractItemView *view = box->view();
        QTest::keyClick(view, Qt::Key_Home);
        for (int i = 0; i < index; ++i)
            QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Return);
        ASSERT_FALSE(view->isVisible());
        ASSERT_EQ(box->currentIndex(), index);
    }

    void AnswerColor(TColor color)
    {
        W->CD.Answer = [this, color](TColorDialog &d) {
            OfferedColors.push_back(d.Color);
            d.Color = color;
            return true;
        };
    }

    // The example frame of the draw-item page, filled in but not added.
    void FillFrame()
    {
        Type(W->DINameCB, "frame");
        Pick(W->DITypCB, 0);
        Type(W->edX1, "0");
        Type(W->edY1, "0");
        Type(W->edX2, "100");
        Type(W->edY2, "50");
        Pick(W->DIAlignCB, 0);
        Pick(W->DIStyleCB, 0);
        Type(W->edSize, "1");
        ShowTab(W->PageControl2, W->TabSheet4);
        Pick(W->DIBStyleCB, 0);
        ShowTab(W->PageControl2, W->TabSheet3);
    }

    void AddDrawItem(const QString &name, int shape, std::array<const char *, 4> xyxy, int growth)
    {
        Type(W->DINameCB, name);
        Pick(W->DITypCB, shape);
        Type(W->edX1, xyxy[0]);
        Type(W->edY1, xyxy[1]);
        Type(W->edX2, xyxy[2]);
        Type(W->edY2, xyxy[3]);
        Pick(W->DIAlignCB, growth);
        Click(W->btnAdd);
    }

    void FillTitle()
    {
        ShowTab(W->pcEditor, W->TabSheet2);
        Type(W->TINameCB, "Title");
        Type(W->edTIX1, "0");
        Type(W->edTIY1, "0");
        Type(W->edTIX2, "100");
        Type(W->edTIY2, "20");
        Pick(W->TIAlignCB, 0);
        Type(W->edTIData, "Caption");
        W->FD.Answer = [](TFontDialog &d) {
            d.Font = TKXFont{"Arial", 10, clBlack, fsBold};
            return true;
        };
        Click(W->Button2);
        Pick(W->ComboBox5, 1);
        ShowTab(W->PageControl3, W->TabSheet6);
        AnswerColor(clYellow);
        Click(W->Button4);
        Pick(W->ComboBox3, 1);
    }

    static QStringList Entries(const QComboBox *box)
    {
        QStringList list;
        for (int i = 0; i < box->count(); ++i)
            list << box->itemText(i);
        return list;
    }

    std::vector<std::string> ErrorTexts() const
    {
        std::vector<std::string> texts;
        for (const TMessage &m : Messages)
            texts.push_back(m.Text);
        return texts;
    }

    // What the preview box shows inside its frame.
    QImage PreviewImage() const
    {
        return W->KXB->grab().toImage().convertToFormat(QImage::Format_RGB32).copy(W->KXB->contentsRect());
    }

    std::unique_ptr<TfrmEdit> W;
    std::vector<TMessage> Messages;
    std::vector<TColor> OfferedColors;

private:
    TMessageHook FPreviousHook;
};

// --- draw items ---

TEST_F(ItemPages, AddOfTheExampleFrameStoresTheFieldsAndThePreviewShowsIt)
{
    FillFrame();
    Click(W->btnAdd);

    ASSERT_EQ(Style().DrawItems.size(), 1u);
    const TKXDrawItem &item = *Style().DrawItems[0];
    EXPECT_EQ(item.Name, "frame");
    EXPECT_EQ(item.Shape, isRectangle);
    EXPECT_EQ((TRect{item.X1, item.Y1, item.X2, item.Y2}), (TRect{0, 0, 100, 50}));
    EXPECT_EQ(item.Growth, igNone);
    EXPECT_EQ(item.PenColor, clBlack);
    EXPECT_EQ(item.PenStyle, psSolid);
    EXPECT_EQ(item.PenWidth, 1);
    EXPECT_EQ(item.BrushColor, clWhite);
    EXPECT_EQ(item.BrushStyle, bsSolid);
    EXPECT_EQ(Entries(W->DINameCB), QStringList{"frame"});
    EXPECT_TRUE(Messages.empty());

    // The vertex covers (82, 67)-(182, 117): a black frame around white.
    const QImage image = PreviewImage();
    const QRgb black = qRgb(0, 0, 0);
    const QRgb white = qRgb(255, 255, 255);
    for (int x = 82; x < 182; ++x) {
        ASSERT_EQ(image.pixel(x, 67), black) << x;
        ASSERT_EQ(image.pixel(x, 116), black) << x;
    }
    for (int y = 67; y < 117; ++y) {
        ASSERT_EQ(image.pixel(82, y), black) << y;
        ASSERT_EQ(image.pixel(181, y), black) << y;
    }
    EXPECT_EQ(image.pixel(132, 92), white);
    EXPECT_EQ(QColor(image.pixel(182, 92)), ToQColor(clInfoBk));
}

TEST_F(ItemPages, TypingTheNameShowsTheItemOnlyOnceTheWholeNameIsTyped)
{
    FillFrame();
    Click(W->btnAdd);
    W->Delete1->trigger();  // rebuilds the lists and blanks the fields
    ASSERT_TRUE(W->edX2->text().isEmpty());

    W->DINameCB->lineEdit()->setFocus();
    for (const char *letter : {"f", "r", "a", "m"}) {
        QTest::keyClicks(W->DINameCB->lineEdit(), letter);
        EXPECT_TRUE(W->edX2->text().isEmpty()) << W->DINameCB->currentText().toStdString();
    }
    QTest::keyClicks(W->DINameCB->lineEdit(), "e");
    EXPECT_EQ(W->edX2->text(), "100");
    EXPECT_EQ(W->edY2->text(), "50");
    EXPECT_EQ(W->DITypCB->currentIndex(), 0);
    EXPECT_EQ(W->edSize->text(), "1");

    W->Delete1->trigger();
    Type(W->DINameCB, "Frame");
    EXPECT_TRUE(W->edX2->text().isEmpty()) << "the look-up is case-sensitive";
    EXPECT_EQ(W->DITypCB->currentIndex(), -1);
}

TEST_F(ItemPages, TwoItemsOfOneNameAreDeletedLaterFirst)
{
    AddDrawItem("frame", 0, {"0", "0", "100", "50"}, 0);
    AddDrawItem("frame", 2, {"0", "0", "200", "50"}, 0);
    ASSERT_EQ(Style().DrawItems.size(), 2u);
    EXPECT_EQ(Entries(W->DINameCB), (QStringList{"frame", "frame"}));

    Click(W->btnDelete);
    ASSERT_EQ(Style().DrawItems.size(), 1u);
    EXPECT_EQ(Style().DrawItems[0]->X2, 100);
    Click(W->btnDelete);
    EXPECT_TRUE(Style().DrawItems.empty());
    Click(W->btnDelete);  // nothing left of that name: nothing happens

    EXPECT_EQ(Entries(W->DINameCB), (QStringList{"frame", "frame"})) << "Delete keeps the list";
    EXPECT_TRUE(Messages.empty());
    W->Delete1->trigger();
    EXPECT_EQ(W->DINameCB->count(), 0);
}

struct TParseRow {
    const char *Text;
    bool Accepted;
    int32_t Value;
};

class ItemPagesParse : public ItemPages, public ::testing::WithParamInterface<TParseRow> {};

TEST_P(ItemPagesParse, CoordinateEditIsParsedOrRefusedWithTheMessage)
{
    FillFrame();
    Type(W->edX1, GetParam().Text);
    Click(W->btnAdd);

    EXPECT_EQ(Entries(W->DINameCB), QStringList{"frame"}) << "the name is listed either way";
    if (GetParam().Accepted) {
        ASSERT_EQ(Style().DrawItems.size(), 1u);
        EXPECT_EQ(Style().DrawItems[0]->X1, GetParam().Value);
        EXPECT_TRUE(Messages.empty());
    } else {
        EXPECT_TRUE(Style().DrawItems.empty());
        ASSERT_EQ(Messages.size(), 1u);
        EXPECT_EQ(Messages[0].Caption, "Glyphsmith");
        EXPECT_EQ(Messages[0].Text, "'" + std::string(GetParam().Text) + "' ist kein gültiger Integerwert.");
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, ItemPagesParse, ::testing::Values(
    TParseRow{" 12", true, 12}, TParseRow{"$1F", true, 31}, TParseRow{"-3", true, -3},
    TParseRow{"12 ", false, 0}, TParseRow{"1.5", false, 0}, TParseRow{"", false, 0}));

TEST_F(ItemPages, ThicknessTakesAnyTypedNumberWhileTheSpinnerStaysWithinOneToTen)
{
    FillFrame();
    Type(W->edSize, "25");
    Click(W->btnAdd);
    ASSERT_EQ(Style().DrawItems.size(), 1u);
    EXPECT_EQ(Style().DrawItems[0]->PenWidth, 25);

    QToolButton *up = nullptr;
    QToolButton *down = nullptr;
    for (QToolButton *b : W->UpDown1->findChildren<QToolButton *>())
        (b->arrowType() == Qt::UpArrow ? up : down) = b;
    ASSERT_TRUE(up && down);
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(up, Qt::LeftButton);
    EXPECT_EQ(W->edSize->text(), "10");
    for (int i = 0; i < 15; ++i)
        QTest::mouseClick(down, Qt::LeftButton);
    EXPECT_EQ(W->edSize->text(), "1");
    QTest::mouseClick(down, Qt::LeftButton);
    EXPECT_EQ(W->edSize->text(), "1");
}

TEST_F(ItemPages, PickingAnAlignmentEnablesTheCoordinatesButShowingAnItemDoesNot)
{
    struct TRow {
        int Entry;
        bool X;
        bool Y;
    };
    for (const TRow &row : {TRow{1, false, true}, TRow{2, true, false}, TRow{3, false, false}, TRow{0, true, true}}) {
        Pick(W->DIAlignCB, row.Entry);
        EXPECT_EQ(W->edX1->isEnabled(), row.X) << row.Entry;
        EXPECT_EQ(W->edX2->isEnabled(), row.X) << row.Entry;
        EXPECT_EQ(W->edY1->isEnabled(), row.Y) << row.Entry;
        EXPECT_EQ(W->edY2->isEnabled(), row.Y) << row.Entry;
    }

    AddDrawItem("both", 0, {"0", "0", "10", "10"}, 3);
    AddDrawItem("plain", 0, {"0", "0", "10", "10"}, 1);  // picking Grow Horizontal disables X
    ASSERT_FALSE(W->edX1->isEnabled());
    W->Delete1->trigger();
    Pick(W->DINameCB, 0);  // "both", growth igBoth
    EXPECT_EQ(W->DIAlignCB->currentIndex(), 3);
    EXPECT_FALSE(W->edX1->isEnabled());
    EXPECT_TRUE(W->edY1->isEnabled()) << "showing an item is not a pick";

    // Disabled edits are still parsed.
    Type(W->DINameCB, "plain");
    Click(W->btnModify);
    EXPECT_EQ(Style().DrawItems[1]->X2, 10);
}

TEST_F(ItemPages, ModifyStopsAtAnUnparsableY1WithTheEarlierFieldsWritten)
{
    FillFrame();
    Click(W->btnAdd);
    ASSERT_EQ(Style().DrawItems.size(), 1u);

    Pick(W->DITypCB, 2);
    Type(W->edX1, "5");
    Type(W->edX2, "95");
    Type(W->edY1, "y");
    Type(W->edY2, "40");
    AnswerColor(clRed);
    Click(W->Button5);
    Pick(W->DIStyleCB, 3);
    Click(W->btnModify);

    ASSERT_EQ(ErrorTexts(), std::vector<std::string>{"'y' ist kein gültiger Integerwert."});
    const TKXDrawItem &item = *Style().DrawItems[0];
    EXPECT_EQ(item.Shape, isEllipse);
    EXPECT_EQ(item.X1, 5);
    EXPECT_EQ(item.X2, 95);
    EXPECT_EQ(item.Y1, 0);
    EXPECT_EQ(item.Y2, 50);
    EXPECT_EQ(item.PenColor, clBlack);
    EXPECT_EQ(item.PenStyle, psSolid);
    EXPECT_EQ(item.BrushColor, clWhite);

    const TKXVertex *preview = static_cast<const TKXVertex *>(W->KXB->Vertices[0]);
    EXPECT_EQ(preview->Style->DrawItems[0]->Shape, isRectangle) << "the preview is not refreshed";
}

TEST_F(ItemPages, ColourSwatchesStartTheDialogAtTheirColourAndKeepACancel)
{
    AnswerColor(clRed);
    Click(W->Button5);
    EXPECT_EQ(W->ColorBox->Color(), clRed);
    ShowTab(W->PageControl2, W->TabSheet4);
    AnswerColor(clYellow);
    Click(W->Button1);
    EXPECT_EQ(W->BColorBox->Color(), clYellow);
    W->CD.Answer = [](TColorDialog &d) {
        d.Color = clNavy;
        return false;
    };
    Click(W->Button1);
    EXPECT_EQ(W->BColorBox->Color(), clYellow);
    EXPECT_EQ(OfferedColors, (std::vector<TColor>{clBlack, clWhite}));

    W->Delete1->trigger();
    EXPECT_EQ(W->ColorBox->Color(), clBlack);
    EXPECT_EQ(W->BColorBox->Color(), clWhite);
}

// --- owner-drawn lists ---

// What an entry of an owner-drawn list must show: background, then the picture of the style
// painted directly with the canvas into the entry less its margin.
QImage EntryPicture(const QWidget *list, QSize size, bool selected, const std::function<void(TKXCanvas &, TRect)> &paint)
{
    const QPalette &pal = list->palette();
    QImage image(size, QImage::Format_RGB32);
    image.fill(pal.color(selected ? QPalette::Highlight : QPalette::Base));
    TKXQtCanvas canvas(&image);
    canvas.Pen.Color = canvas.Brush.Color = ToTColor(pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
    canvas.Brush.Style = bsClear;
    paint(canvas, TRect{2, 2, size.width() - 2, size.height() - 2});
    return image;
}

QImage BrushPicture(const QWidget *list, QSize size, TBrushStyle style, bool selected)
{
    return EntryPicture(list, size, selected, [style](TKXCanvas &c, TRect r) {
        c.Brush.Style = style;
        c.FillRect(r);
    });
}

QImage PenPicture(const QWidget *list, QSize size, TPenStyle style)
{
    return EntryPicture(list, size, false, [style](TKXCanvas &c, TRect r) {
        c.Pen.Style = style;
        c.MoveTo(r.Left + 5, r.Top + 6);
        c.LineTo(r.Right - 5, r.Top + 6);
    });
}

// The entries of an open list as the user sees them.
std::vector<QImage> OpenListEntries(QComboBox *box)
{
    box->showPopup();
    QAbstractItemView *view = box->view();
    view->setCurrentIndex(QModelIndex());  // no highlighted entry
    const QImage shown = view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    std::vector<QImage> entries;
    for (int i = 0; i < box->count(); ++i) {
        const QRect r = view->visualRect(view->model()->index(i, 0));
        EXPECT_EQ(r.height(), 16);
        entries.push_back(shown.copy(r));
    }
    box->hidePopup();
    return entries;
}

TEST_F(ItemPages, BrushListEntryIPaintsAndStoresBrushStyleIWhateverItsText)
{
    ShowTab(W->PageControl2, W->TabSheet4);
    EXPECT_EQ(W->DIBStyleCB->itemText(2), "bsBDiagonal");
    for (TKXOwnerDrawComboBox *list : {W->DIBStyleCB, W->ComboBox3}) {
        const std::vector<QImage> entries = OpenListEntries(list);
        ASSERT_EQ(entries.size(), 8u);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(entries[i], BrushPicture(list, entries[i].size(), static_cast<TBrushStyle>(i), false))
                << list->objectName().toStdString() << " entry " << i;
        // Horizontal hatching: whole rows of the foreground, no whole column of it.
        const QImage &hatch = entries[2];
        const QRgb fore = list->palette().color(QPalette::Text).rgb();
        int rows = 0;
        for (int y = 2; y < hatch.height() - 2; ++y) {
            bool full = true;
            for (int x = 2; x < hatch.width() - 2; ++x)
                full = full && hatch.pixel(x, y) == fore;
            rows += full;
        }
        EXPECT_GE(rows, 1);
        EXPECT_NE(hatch.pixel(4, 2), hatch.pixel(4, 3)) << "not a vertical line";
    }

    FillFrame();
    ShowTab(W->PageControl2, W->TabSheet4);
    Pick(W->DIBStyleCB, 2);
    Click(W->btnAdd);
    EXPECT_EQ(Style().DrawItems[0]->BrushStyle, bsHorizontal);

    // The closed list's face shows the picked entry's picture.
    W->btnAdd->setFocus();
    QStyleOptionComboBox option;
    option.initFrom(W->DIBStyleCB);
    option.editable = false;
    const QRect face = W->DIBStyleCB->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                              QStyle::SC_ComboBoxEditField, W->DIBStyleCB);
    const QImage shown = W->DIBStyleCB->grab().toImage().convertToFormat(QImage::Format_RGB32).copy(face);
    EXPECT_EQ(shown, BrushPicture(W->DIBStyleCB, face.size(), bsHorizontal, false));
}

TEST_F(ItemPages, PenListEntryIDrawsASampleLineInPenStyleI)
{
    const std::vector<QImage> entries = OpenListEntries(W->DIStyleCB);
    ASSERT_EQ(entries.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(entries[i], PenPicture(W->DIStyleCB, entries[i].size(), static_cast<TPenStyle>(i))) << i;
        for (int j = 0; j < i; ++j)
            EXPECT_NE(entries[i], entries[j]) << i << " looks like " << j;
    }
    FillFrame();
    Pick(W->DIStyleCB, 4);
    Click(W->btnAdd);
    EXPECT_EQ(Style().DrawItems[0]->PenStyle, psDashDotDot);
}

TEST_F(ItemPages, ListsWithoutAnEntryStore255AndShowNoEntryForIt)
{
    Type(W->DINameCB, "bare");
    for (QLineEdit *edit : {W->edX1, W->edY1, W->edX2, W->edY2})
        Type(edit, "1");
    Click(W->btnAdd);
    ASSERT_EQ(Style().DrawItems.size(), 1u);
    const TKXDrawItem &item = *Style().DrawItems[0];
    EXPECT_EQ(static_cast<int>(item.Shape), 255);
    EXPECT_EQ(static_cast<int>(item.Growth), 255);
    EXPECT_EQ(static_cast<int>(item.PenStyle), 255);
    EXPECT_EQ(static_cast<int>(item.BrushStyle), 255);

    Pick(W->DITypCB, 1);
    W->Delete1->trigger();
    Pick(W->DINameCB, 0);
    EXPECT_EQ(W->edX1->text(), "1");
    EXPECT_EQ(W->DITypCB->currentIndex(), -1);
    EXPECT_EQ(W->DIStyleCB->currentIndex(), -1);
}

// --- text items ---

TEST_F(ItemPages, AddOfTitleStoresTheFieldsAndTheSameNameInOtherCaseIsRefused)
{
    FillTitle();
    Click(W->Button3);

    ASSERT_EQ(Style().TextItems.size(), 1u);
    const TKXTextItem &item = *Style().TextItems[0];
    EXPECT_EQ(item.Name, "Title");
    EXPECT_EQ(item.Text, "Caption");
    EXPECT_EQ((TRect{item.X1, item.Y1, item.X2, item.Y2}), (TRect{0, 0, 100, 20}));
    EXPECT_EQ(item.Growth, igNone);
    EXPECT_EQ(item.FontName, "Arial");
    EXPECT_EQ(item.FontSize, 10);
    EXPECT_EQ(item.FontColor, clBlack);
    EXPECT_EQ(item.FontStyle, fsBold);
    EXPECT_EQ(item.Alignment, txCenter);
    EXPECT_EQ(item.BackColor, clYellow);
    EXPECT_EQ(item.BackStyle, bsClear);
    EXPECT_TRUE(Messages.empty());

    // <<Title>> centred in the text rectangle (82 .. 181 across in the preview).
    const QImage image = PreviewImage();
    int left = image.width();
    int right = -1;
    for (int y = 67; y < 87; ++y)
        for (int x = 82; x < 182; ++x)
            if (image.pixel(x, y) == qRgb(0, 0, 0)) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    ASSERT_LT(left, right);
    TKXQtCanvas measure;
    measure.Font = TKXFont{"Arial", 10, clBlack, fsBold};
    EXPECT_NEAR(right - left + 1, measure.TextWidth("<<Title>>"), 2);
    EXPECT_NEAR((left + right + 1) / 2.0, 132, 1.5);

    Type(W->TINameCB, "title");
    Type(W->edTIX1, "7");
    Click(W->Button3);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].Text, "Textitem with this name already exists.");
    EXPECT_EQ(Messages[0].Caption, "Fehler");
    EXPECT_EQ(Messages[0].DlgType, mtError);
    EXPECT_EQ(Messages[0].Buttons, MsgButtons(mbOK));
    EXPECT_EQ(Entries(W->TINameCB), QStringList{"Title"});

    // Modify and Delete look names up case-sensitively: "title" finds nothing.
    Click(W->Button6);
    Click(W->btnTIDelete);
    ASSERT_EQ(Style().TextItems.size(), 1u);
    EXPECT_EQ(Style().TextItems[0]->X1, 0);
}

TEST_F(ItemPages, TextDeleteDropsThePickedListEntryButNotATypedOne)
{
    ShowTab(W->pcEditor, W->TabSheet2);
    for (const char *name : {"A", "B"}) {
        Type(W->TINameCB, name);
        for (QLineEdit *edit : {W->edTIX1, W->edTIY1, W->edTIX2, W->edTIY2})
            Type(edit, "0");
        Click(W->Button3);
    }
    ASSERT_EQ(Style().TextItems.size(), 2u);
    W->Delete1->trigger();
    EXPECT_EQ(Entries(W->TINameCB), (QStringList{"A", "B"}));
    EXPECT_TRUE(W->TINameCB->currentText().isEmpty());

    Type(W->TINameCB, "A");
    Click(W->btnTIDelete);  // the button takes the focus from the name box: still no pick
    ASSERT_EQ(Style().TextItems.size(), 1u);
    EXPECT_EQ(Entries(W->TINameCB), (QStringList{"A", "B"}));
    Click(W->Button3);
    EXPECT_EQ(ErrorTexts(), std::vector<std::string>{"Textitem with this name already exists."});

    Pick(W->TINameCB, 1);
    Click(W->btnTIDelete);
    EXPECT_TRUE(Style().TextItems.empty());
    EXPECT_EQ(Entries(W->TINameCB), QStringList{"A"});
    EXPECT_EQ(W->TINameCB->currentText(), "B") << "the name box keeps its text";
    EXPECT_EQ(W->TINameCB->currentIndex(), -1);
}

TEST_F(ItemPages, TextAddWithABadCoordinateListsTheNameButAddsNothing)
{
    FillTitle();
    Type(W->edTIY2, "2O");
    Click(W->Button3);
    EXPECT_TRUE(Style().TextItems.empty());
    EXPECT_EQ(Entries(W->TINameCB), QStringList{"Title"});
    Type(W->edTIY2, "20");
    Click(W->Button3);
    EXPECT_TRUE(Style().TextItems.empty()) << "refused until the list is rebuilt";
    EXPECT_EQ(ErrorTexts(), (std::vector<std::string>{"'2O' ist kein gültiger Integerwert.",
                                                      "Textitem with this name already exists."}));
    W->Delete1->trigger();
    Type(W->TINameCB, "Title");
    Click(W->Button3);
    EXPECT_EQ(Style().TextItems.size(), 1u);
}

TEST_F(ItemPages, BackgroundColourRoundTripsThroughTheItem)
{
    FillTitle();
    EXPECT_EQ(W->TIColorBox->Color(), clYellow);
    EXPECT_EQ(OfferedColors, std::vector<TColor>{clWhite});
    Click(W->Button3);
    EXPECT_EQ(Style().TextItems[0]->BackColor, clYellow);

    AnswerColor(clNavy);
    Click(W->Button4);
    Pick(W->ComboBox3, 6);
    ASSERT_EQ(W->TIColorBox->Color(), clNavy);
    W->Delete1->trigger();
    Pick(W->TINameCB, 0);
    EXPECT_EQ(W->TIColorBox->Color(), clYellow);
    EXPECT_EQ(W->ComboBox3->currentIndex(), 1);
}

TEST_F(ItemPages, FontSelectShowsTheSampleInTheChosenFont)
{
    ShowTab(W->pcEditor, W->TabSheet2);
    TKXFont offered;
    W->FD.Answer = [&offered](TFontDialog &d) {
        offered = d.Font;
        d.Font = TKXFont{"Times New Roman", 14, clRed, fsItalic | fsUnderline};
        return true;
    };
    Click(W->Button2);
    EXPECT_EQ(offered, TKXFont{}) << "the sample starts in the window's font";

    TKXQtCanvas canvas;
    canvas.Font = TKXFont{"Times New Roman", 14, clRed, fsItalic | fsUnderline};
    EXPECT_EQ(W->lblSample->font(), canvas.QtFont());
    const QImage sample = W->lblSample->grab().toImage();
    bool red = false;
    for (int y = 0; y < sample.height() && !red; ++y)
        for (int x = 0; x < sample.width() && !red; ++x)
            red = sample.pixel(x, y) == qRgb(255, 0, 0);
    EXPECT_TRUE(red) << "the sample text is drawn in the font colour";

    // A cancelled dialog keeps the font; an item without a face name keeps the shown face.
    W->FD.Answer = [](TFontDialog &) { return false; };
    Click(W->Button2);
    auto bare = std::make_unique<TKXTextItem>();
    bare->Name = "bare";
    bare->FontSize = 20;
    Style().TextItems.push_back(std::move(bare));
    W->Delete1->trigger();
    Pick(W->TINameCB, 0);
    EXPECT_EQ(W->lblSample->font().family(), canvas.QtFont().family());
    EXPECT_EQ(W->lblSample->font().pixelSize(), 27);
    EXPECT_EQ(W->lblSample->font().italic(), false);
}

TEST_F(ItemPages, TextFieldsStayAcrossStylesSoAnItemCanBeCopied)
{
    FillTitle();
    Click(W->Button3);
    W->New1->trigger();
    SelectStyle(1);
    EXPECT_EQ(W->TINameCB->count(), 0);
    EXPECT_EQ(W->edTIData->text(), "Caption");

    Type(W->TINameCB, "Copy");
    Click(W->Button3);
    ASSERT_EQ(Style().TextItems.size(), 1u);
    const TKXTextItem &copy = *Style().TextItems[0];
    const TKXTextItem &source = *W->UOLib->Styles()[0]->TextItems[0];
    EXPECT_EQ(copy.Name, "Copy");
    EXPECT_EQ(copy.Text, source.Text);
    EXPECT_EQ((TRect{copy.X1, copy.Y1, copy.X2, copy.Y2}), (TRect{source.X1, source.Y1, source.X2, source.Y2}));
    EXPECT_EQ(copy.FontName, source.FontName);
    EXPECT_EQ(copy.FontSize, source.FontSize);
    EXPECT_EQ(copy.FontStyle, source.FontStyle);
    EXPECT_EQ(copy.Alignment, source.Alignment);
    EXPECT_EQ(copy.BackColor, source.BackColor);
    EXPECT_EQ(copy.BackStyle, source.BackStyle);
}

TEST_F(ItemPages, NamesTakeOnlyCharactersOfCodePage1252)
{
    Type(W->DINameCB, QString::fromUtf8("a\u03A9\u20AC"));  // Greek Omega refused, euro sign kept
    EXPECT_EQ(W->DINameCB->currentText(), QString::fromUtf8("a\u20AC"));
    for (QLineEdit *edit : {W->edX1, W->edY1, W->edX2, W->edY2})
        Type(edit, "0");
    Click(W->btnAdd);
    ASSERT_EQ(Style().DrawItems.size(), 1u);
    EXPECT_EQ(Style().DrawItems[0]->Name, "a\x80");
}

TEST_F(ItemPages, WithoutAStyleTheButtonsDoNothing)
{
    FillFrame();
    Click(W->btnAdd);
    const QRect r = W->ProjectTree->visualItemRect(W->ProjectTree->topLevelItem(0));
    QTest::mouseClick(W->ProjectTree->viewport(), Qt::LeftButton, {}, r.center());
    ASSERT_EQ(W->CurrentStyle(), nullptr);
    Type(W->DINameCB, "frame");
    for (QAbstractButton *b : {W->btnAdd, W->btnModify, W->btnDelete})
        Click(b);
    ShowTab(W->pcEditor, W->TabSheet2);
    Type(W->TINameCB, "frame");
    for (QAbstractButton *b : {W->Button3, W->Button6, W->btnTIDelete})
        Click(b);
    EXPECT_EQ(W->UOLib->Styles()[0]->DrawItems.size(), 1u);
    EXPECT_EQ(W->UOLib->Styles()[0]->TextItems.size(), 0u);
    EXPECT_EQ(W->DINameCB->count(), 0);
    EXPECT_EQ(W->TINameCB->count(), 0);
    EXPECT_TRUE(Messages.empty());
}

// --- a whole session ---

struct TDrawRow {
    const char *Name;
    int Shape;
    std::array<const char *, 4> Coords;  // X1, Y1, X2, Y2
    int Growth;
    TColor Pen;
    int PenStyle;
    const char *Width;
    TColor Brush;
    int BrushStyle;
};

TEST_F(ItemPages, SessionBuildsAStyleThatSurvivesSaveAndOpenAndPaintsLikeTheCanvas)
{
    const std::vector<TDrawRow> draws = {
        {"frame", 0, {"0", "0", "100", "50"}, 3, clBlack, 0, "1", clWhite, 0},
        {"dot", 2, {"10", "10", "30", "$1E"}, 0, clRed, 1, "2", clYellow, 2},
        {"rule", 3, {"0", "40", " 100", "40"}, 1, clNavy, 4, "1", clWhite, 1},
    };
    for (const TDrawRow &d : draws) {
        Type(W->DINameCB, d.Name);
        Pick(W->DITypCB, d.Shape);
        Pick(W->DIAlignCB, 0);  // enables the coordinate edits that a growth disabled
        Type(W->edX1, d.Coords[0]);
        Type(W->edY1, d.Coords[1]);
        Type(W->edX2, d.Coords[2]);
        Type(W->edY2, d.Coords[3]);
        Pick(W->DIAlignCB, d.Growth);
        ShowTab(W->PageControl2, W->TabSheet3);
        AnswerColor(d.Pen);
        Click(W->Button5);
        Pick(W->DIStyleCB, d.PenStyle);
        Type(W->edSize, d.Width);
        ShowTab(W->PageControl2, W->TabSheet4);
        AnswerColor(d.Brush);
        Click(W->Button1);
        Pick(W->DIBStyleCB, d.BrushStyle);
        Click(W->btnAdd);
    }
    FillTitle();
    Click(W->Button3);
    Type(W->TINameCB, "Note");
    Type(W->edTIY1, "30");
    Type(W->edTIY2, "48");
    Pick(W->TIAlignCB, 1);
    Type(W->edTIData, QString::fromUtf8("\u00C4rger"));
    W->FD.Answer = [](TFontDialog &d) {
        d.Font = TKXFont{"Times New Roman", 8, clNavy, fsItalic};
        return true;
    };
    Click(W->Button2);
    Pick(W->ComboBox5, 2);
    Pick(W->ComboBox3, 0);
    Click(W->Button3);
    ASSERT_TRUE(Messages.empty()) << Messages[0].Text;

    QTemporaryDir dir;
    const std::string file = dir.filePath("session.uol").toStdString();
    W->SD.Answer = [&file](TFileDialog &d) {
        d.FileName = file;
        return true;
    };
    W->Save1->trigger();
    W->OD.Answer = [&file](TFileDialog &d) {
        d.FileName = file;
        return true;
    };
    W->Load1->trigger();
    ASSERT_EQ(W->UOLib->Styles().size(), 1u);
    SelectStyle(0);

    const TKXVertexStyle &s = Style();
    EXPECT_EQ(s.Name, "Style1");
    ASSERT_EQ(s.DrawItems.size(), 3u);
    const std::vector<TRect> coords = {{0, 0, 100, 50}, {10, 10, 30, 30}, {0, 40, 100, 40}};
    const std::vector<int32_t> widths = {1, 2, 1};
    for (size_t i = 0; i < draws.size(); ++i) {
        const TKXDrawItem &item = *s.DrawItems[i];
        const TDrawRow &d = draws[i];
        EXPECT_EQ(item.Name, d.Name);
        EXPECT_EQ(item.Shape, d.Shape);
        EXPECT_EQ((TRect{item.X1, item.Y1, item.X2, item.Y2}), coords[i]) << i;
        EXPECT_EQ(item.Growth, d.Growth);
        EXPECT_EQ(item.PenColor, d.Pen);
        EXPECT_EQ(item.PenStyle, d.PenStyle);
        EXPECT_EQ(item.PenWidth, widths[i]);
        EXPECT_EQ(item.BrushColor, d.Brush);
        EXPECT_EQ(item.BrushStyle, d.BrushStyle);
    }
    ASSERT_EQ(s.TextItems.size(), 2u);
    const TKXTextItem &note = *s.TextItems[1];
    EXPECT_EQ(s.TextItems[0]->Name, "Title");
    EXPECT_EQ(s.TextItems[0]->FontName, "Arial");
    EXPECT_EQ(s.TextItems[0]->BackColor, clYellow);
    EXPECT_EQ(note.Name, "Note");
    EXPECT_EQ(note.Text, "\xC4rger");
    EXPECT_EQ((TRect{note.X1, note.Y1, note.X2, note.Y2}), (TRect{0, 30, 100, 48}));
    EXPECT_EQ(note.Growth, igHorizontal);
    EXPECT_EQ(note.FontName, "Times New Roman");
    EXPECT_EQ(note.FontSize, 8);
    EXPECT_EQ(note.FontColor, clNavy);
    EXPECT_EQ(note.FontStyle, fsItalic);
    EXPECT_EQ(note.Alignment, txRight);
    EXPECT_EQ(note.BackColor, clYellow);
    EXPECT_EQ(note.BackStyle, bsSolid);

    // The preview shows what a vertex of the reopened style paints directly on the canvas.
    QImage expected(W->KXB->contentsRect().size(), QImage::Format_RGB32);
    expected.fill(ToQColor(clInfoBk));
    {
        std::unique_ptr<TKXVertex> vertex = TKXVertex::CreateWithStyle({132, 92}, W->UOLib.get(), "Style1");
        vertex->AdjustHandles();
        TKXQtCanvas canvas(&expected);
        vertex->Draw(canvas, 100, dmScreen);
    }
    const QImage shown = PreviewImage();
    ASSERT_EQ(shown.size(), expected.size());
    int differing = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            differing += shown.pixel(x, y) != expected.pixel(x, y);
    EXPECT_EQ(differing, 0);
    EXPECT_NE(shown.pixel(132, 92), ToQColor(clInfoBk).rgb()) << "the style is shown";
}

}  // namespace
