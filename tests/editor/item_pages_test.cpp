// The draw-item and text-item pages on the real window, with a new style selected.
#include "editor_fixture.h"

#include "KXGR/widgets/KXDiagramBox.h"
#include "KXGR/widgets/KXQtCanvas.h"

#include <QStyleOptionComboBox>
#include <QToolButton>

#include <array>
#include <optional>
#include <tuple>

namespace {

constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clRed = 0x0000FF;
// What the draw-item page is given; colours go through the answered colour dialog.
struct TDraw {
    const char *Name;
    int Shape;
    std::array<const char *, 4> Coords;  // X1, Y1, X2, Y2
    int Growth;
    TColor Pen = clBlack;
    int PenStyle = 0;
    const char *Width = "1";
    TColor Brush = clWhite;
    int BrushStyle = 0;
};
const TDraw ExampleFrame = {"frame", 0, {"0", "0", "100", "50"}, 0};

struct TText {
    const char *Name;
    std::array<const char *, 4> Coords;
    int Growth;
    const char *Data;
    TKXFont Font;
    int Alignment;
    TColor Back;
    int BackStyle;
};
const TText Title = {"Title", {"0", "0", "100", "20"}, 0, "Caption", {"Arial", 10, clBlack, fsBold}, 1, clYellow, 1};
const char *const TitleFields =
    "Title 'Caption' (0,0)-(100,20) growth 0 font Arial/10/000000/1 align 1 back 00FFFF/1";

class ItemPages : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        NewStyle();
    }

    void FillDraw(const TDraw &d)
    {
        Type(W->DINameCB, d.Name);
        Pick(W->DITypCB, d.Shape);
        Pick(W->DIAlignCB, 0);  // enables the coordinate edits that a growth disabled
        TypeCoords({W->edX1, W->edY1, W->edX2, W->edY2}, d.Coords);
        Pick(W->DIAlignCB, d.Growth);
        AnswerColor(d.Pen);
        Click(W->Button5);
        Pick(W->DIStyleCB, d.PenStyle);
        Type(W->edSize, d.Width);
        ShowTab(W->PageControl2, W->TabSheet4);
        AnswerColor(d.Brush);
        Click(W->Button1);
        Pick(W->DIBStyleCB, d.BrushStyle);
        ShowTab(W->PageControl2, W->TabSheet3);
    }
    void AddDraw(const TDraw &d)
    {
        FillDraw(d);
        Click(W->btnAdd);
    }

    void FillText(const TText &t)
    {
        ShowTab(W->pcEditor, W->TabSheet2);
        Type(W->TINameCB, QString::fromUtf8(t.Name));
        TypeCoords({W->edTIX1, W->edTIY1, W->edTIX2, W->edTIY2}, t.Coords);
        Pick(W->TIAlignCB, t.Growth);
        Type(W->edTIData, QString::fromUtf8(t.Data));
        W->FD.Answer = [font = t.Font](TFontDialog &d) { d.Font = font; return true; };
        Click(W->Button2);
        Pick(W->ComboBox5, t.Alignment);
        ShowTab(W->PageControl3, W->TabSheet6);
        AnswerColor(t.Back);
        Click(W->Button4);
        Pick(W->ComboBox3, t.BackStyle);
    }
};

// --- draw items ---

TEST_F(ItemPages, TheExampleFrameIsShownFoundByItsWholeNameAndSameNamedItemsAreDeletedLaterFirst)
{
    AddDraw(ExampleFrame);
    ASSERT_EQ(Style().DrawItems.size(), 1u);
    EXPECT_EQ(Fields(*Style().DrawItems[0]), "frame shape 0 (0,0)-(100,50) growth 0 pen 000000/0/1 brush FFFFFF/0");
    // The vertex covers (82, 67)-(182, 117): a black frame around white.
    const QImage image = PreviewImage();
    for (const QPoint p : {QPoint(82, 67), QPoint(181, 67), QPoint(82, 116), QPoint(181, 116), QPoint(132, 67),
                           QPoint(132, 116), QPoint(82, 92), QPoint(181, 92)})
        EXPECT_EQ(image.pixel(p), qRgb(0, 0, 0)) << p.x() << "," << p.y();
    EXPECT_EQ(image.pixel(132, 92), qRgb(255, 255, 255));
    EXPECT_EQ(QColor(image.pixel(182, 92)), ToQColor(clInfoBk));

    // Typed letter by letter, the name shows the item only once it is whole, and case matters.
    Run(W->Delete1);  // rebuilds the lists and blanks the fields
    W->DINameCB->lineEdit()->setFocus();
    for (const char *letter : {"f", "r", "a", "m"}) {
        QTest::keyClicks(W->DINameCB->lineEdit(), letter);
        EXPECT_TRUE(W->edX2->text().isEmpty()) << W->DINameCB->currentText().toStdString();
    }
    QTest::keyClicks(W->DINameCB->lineEdit(), "e");
    EXPECT_EQ(W->edX2->text(), "100");
    EXPECT_EQ(W->DITypCB->currentIndex(), 0);
    QTest::keyClick(W->DINameCB->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(W->DINameCB->count(), 1) << "only Add fills the list";
    Run(W->Delete1);
    Type(W->DINameCB, "Frame");
    EXPECT_TRUE(W->edX2->text().isEmpty());

    // A second item of the same name: Delete removes the later, then the earlier, then nothing.
    AddDraw({"frame", 2, {"0", "0", "200", "50"}, 0});
    Click(W->btnDelete);
    ASSERT_EQ(Style().DrawItems.size(), 1u);
    EXPECT_EQ(Style().DrawItems[0]->X2, 100);
    Click(W->btnDelete);
    Click(W->btnDelete);
    EXPECT_TRUE(Style().DrawItems.empty());
    EXPECT_EQ(Entries(W->DINameCB), (QStringList{"frame", "frame"})) << "Delete keeps the list";

    // Without a style the buttons do nothing.
    Select(Root());
    for (QAbstractButton *b : {W->btnAdd, W->btnModify, W->btnDelete, W->Button3, W->Button6, W->btnTIDelete})
        Guarded([b] { b->click(); });
    EXPECT_TRUE(W->UOLib->Styles()[0]->DrawItems.empty());
    EXPECT_TRUE(Messages.empty());
}

// A refused coordinate still leaves the name in the list, but adds no item.
TEST_F(ItemPages, CoordinateEditIsParsedOrRefusedWithTheMessage)
{
    const std::pair<const char *, std::optional<int32_t>> rows[] = {
        {" 12", 12}, {"$1F", 31}, {"-3", -3}, {"12 ", {}}, {"1.5", {}}, {"", {}}};
    size_t listed = 0, added = 0;
    for (const auto &[text, value] : rows) {
        SCOPED_TRACE(text);
        Messages.clear();
        FillDraw(ExampleFrame);
        Type(W->edX1, text);
        Click(W->btnAdd);
        EXPECT_EQ(size_t(W->DINameCB->count()), ++listed);
        ASSERT_EQ(Style().DrawItems.size(), added += value.has_value());
        if (value) {
            EXPECT_EQ(Style().DrawItems.back()->X1, *value);
        }
        const std::string refusal = "'" + std::string(text) + "' ist kein gültiger Integerwert.";
        EXPECT_EQ(Recorder.Texts(), value ? Strings{} : Strings{refusal});
    }
}

// The spinner steps within 1 to 10 from what the edit shows; a typed 25 is kept (the session adds one).
TEST_F(ItemPages, TheThicknessSpinnerStepsWithinOneToTenFromAnyTypedNumber)
{
    const QList<QToolButton *> arrows = W->UpDown1->findChildren<QToolButton *>();
    ASSERT_EQ(arrows.size(), 2);
    const std::tuple<const char *, Qt::ArrowType, const char *> steps[] = {
        {"1", Qt::DownArrow, "1"}, {"25", Qt::UpArrow, "10"}, {"25", Qt::DownArrow, "9"}};
    for (const auto &[typed, arrow, shown] : steps) {
        W->edSize->setText(QString::fromUtf8(typed));
        QTest::mouseClick(arrows[arrows[0]->arrowType() == arrow ? 0 : 1], Qt::LeftButton);
        EXPECT_EQ(W->edSize->text(), QString::fromUtf8(shown)) << typed << " arrow " << arrow;
    }
}

TEST_F(ItemPages, PickingAGrowthEnablesTheCoordinatesButShowingAnItemDoesNot)
{
    const auto enabled = [this] {
        std::string shown;
        for (QLineEdit *edit : {W->edX1, W->edX2, W->edY1, W->edY2})
            shown += edit->isEnabled() ? '+' : '-';
        return shown;
    };
    const std::pair<int, const char *> rows[] = {{1, "--++"}, {2, "++--"}, {3, "----"}, {0, "++++"}};
    for (const auto &[entry, shown] : rows) {
        Pick(W->DIAlignCB, entry);
        EXPECT_EQ(enabled(), shown) << "growth " << entry;
    }

    AddDraw({"both", 0, {"0", "0", "10", "10"}, 3});
    AddDraw({"plain", 0, {"0", "0", "10", "10"}, 1});  // picking Grow Horizontal disables X
    Run(W->Delete1);
    Pick(W->DINameCB, 0);  // "both", growth igBoth
    EXPECT_EQ(W->DIAlignCB->currentIndex(), 3);
    EXPECT_EQ(enabled(), "--++") << "showing an item is not a pick";
}

// A growth picked before any numbers are typed: the disabled, empty edits read as 0 (the rule
// replaces them anyway), while an enabled empty one is still refused.
TEST_F(ItemPages, EmptyCoordinatesDisabledByAGrowthReadAsZero)
{
    Type(W->DINameCB, "band");
    Pick(W->DITypCB, 0);
    Pick(W->DIAlignCB, 3);
    Click(W->btnAdd);
    ASSERT_EQ(Style().DrawItems.size(), 1u);
    const TKXDrawItem &band = *Style().DrawItems[0];
    EXPECT_EQ((TRect{band.X1, band.Y1, band.X2, band.Y2}), (TRect{0, 0, 0, 0}));
    EXPECT_EQ(band.Growth, igBoth);

    Pick(W->DIAlignCB, 1);  // the Y edits come back, empty
    Click(W->btnModify);
    EXPECT_EQ(Recorder.Texts(), Strings{"'' ist kein gültiger Integerwert."});
    Type(W->edY1, "5");
    Type(W->edY2, "20");
    Click(W->btnModify);
    const TKXDrawItem &modified = *Style().DrawItems[0];
    EXPECT_EQ((TRect{modified.X1, modified.Y1, modified.X2, modified.Y2}), (TRect{0, 5, 0, 20}));
    EXPECT_EQ(modified.Growth, igHorizontal);
}

// Modify writes field by field and stops at the first refused one.
TEST_F(ItemPages, ModifyStopsAtAnUnparsableY1WithTheEarlierFieldsWritten)
{
    AddDraw(ExampleFrame);
    Pick(W->DITypCB, 2);
    TypeCoords({W->edX1, W->edY1, W->edX2, W->edY2}, {"5", "y", "95", "40"});
    AnswerColor(clRed);
    Click(W->Button5);
    Pick(W->DIStyleCB, 3);
    Click(W->btnModify);

    EXPECT_EQ(Recorder.Texts(), Strings{"'y' ist kein gültiger Integerwert."});
    EXPECT_EQ(Fields(*Style().DrawItems[0]), "frame shape 2 (5,0)-(95,50) growth 0 pen 000000/0/1 brush FFFFFF/0");
    EXPECT_EQ(Preview()->Style->DrawItems[0]->Shape, isRectangle) << "the preview is not refreshed";
}

// --- owner-drawn lists ---

// What entry i of an owner-drawn list must show: a pen line or a brush fill of style i painted
// with the canvas into the entry less its margin.
QImage EntryPicture(const QWidget *list, QSize size, int style, bool pen)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(list->palette().color(QPalette::Base));
    TKXQtCanvas c(&image);
    c.Pen.Color = c.Brush.Color = ToTColor(list->palette().color(QPalette::Text));
    const TRect r{2, 2, size.width() - 2, size.height() - 2};
    if (pen) {
        c.Brush.Style = bsClear;
        c.Pen.Style = static_cast<TPenStyle>(style);
        c.MoveTo(r.Left + 5, r.Top + 6);
        c.LineTo(r.Right - 5, r.Top + 6);
    } else {
        c.Brush.Style = static_cast<TBrushStyle>(style);
        c.FillRect(r);
    }
    return image;
}

TEST_F(ItemPages, OwnerDrawnListEntryIShowsStyleIWhateverItsTextAndIsStoredAsI)
{
    ShowTab(W->PageControl2, W->TabSheet4);
    EXPECT_EQ(W->DIBStyleCB->itemText(2), "bsBDiagonal");
    for (QComboBox *box : {W->DIStyleCB, W->DIBStyleCB, W->ComboBox3}) {
        const bool pen = box == W->DIStyleCB;
        ASSERT_EQ(box->count(), pen ? 5 : 8);
        box->showPopup();
        QAbstractItemView *view = box->view();
        view->setCurrentIndex(QModelIndex());  // none highlighted
        const QImage shown = view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (int i = 0; i < box->count(); ++i) {
            const QRect r = view->visualRect(view->model()->index(i, 0));
            EXPECT_EQ(shown.copy(r), EntryPicture(box, r.size(), i, pen)) << box->objectName().toStdString() << i;
        }
        box->hidePopup();
    }

    AddDraw({"frame", 0, {"0", "0", "1", "1"}, 0, clBlack, 4, "1", clWhite, 2});
    EXPECT_EQ(Style().DrawItems[0]->PenStyle, psDashDotDot);
    EXPECT_EQ(Style().DrawItems[0]->BrushStyle, bsHorizontal);

    // The closed list's face shows the picked entry's picture.
    ShowTab(W->PageControl2, W->TabSheet4);
    W->btnAdd->setFocus();
    QStyleOptionComboBox option;
    option.initFrom(W->DIBStyleCB);
    option.editable = false;
    const QRect face = W->DIBStyleCB->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                              QStyle::SC_ComboBoxEditField, W->DIBStyleCB);
    const QImage shown = W->DIBStyleCB->grab().toImage().convertToFormat(QImage::Format_RGB32).copy(face);
    EXPECT_EQ(shown, EntryPicture(W->DIBStyleCB, face.size(), bsHorizontal, false));
}

// --- text items ---

TEST_F(ItemPages, TitleShowsItsNameInThePreviewKeepsItsBackgroundRefusesTitleAndCopies)
{
    FillText(Title);
    TKXQtCanvas measure;
    measure.Font = Title.Font;
    EXPECT_EQ(W->lblSample->font(), measure.QtFont()) << "the sample shows the chosen font";
    Click(W->Button3);
    ASSERT_EQ(Style().TextItems.size(), 1u);
    EXPECT_EQ(Fields(*Style().TextItems[0]), TitleFields);
    EXPECT_EQ(OfferedColors, std::vector<TColor>{clWhite}) << "the colour dialog starts at the swatch's colour";
    EXPECT_TRUE(Messages.empty());

    // Black ink of "<<Title>>", not of the item's own text, centred in (82, 67)-(182, 87).
    const QImage image = PreviewImage();
    int left = image.width();
    int right = -1;
    for (int y = 67; y < 87; ++y)
        for (int x = 82; x < 182; ++x)
            if (image.pixel(x, y) == qRgb(0, 0, 0)) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    EXPECT_NEAR(right - left + 1, measure.TextWidth("<<Title>>"), 2);
    EXPECT_NEAR((left + right + 1) / 2.0, 132, 1.5);

    // The background colour round trip: another colour and style on the page, then the item again.
    AnswerColor(clNavy);
    Click(W->Button4);
    Pick(W->ComboBox3, 6);
    ASSERT_EQ(W->TIColorBox->Color(), clNavy);
    Run(W->Delete1);
    Pick(W->TINameCB, 0);
    EXPECT_EQ(W->TIColorBox->Color(), clYellow);
    EXPECT_EQ(W->ComboBox3->currentIndex(), 1);

    Type(W->TINameCB, "title");
    Type(W->edTIX1, "7");
    Click(W->Button3);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].Text, "Textitem with this name already exists.");
    EXPECT_EQ(Messages[0].Caption, "Fehler");
    EXPECT_EQ(Entries(W->TINameCB), QStringList{"Title"});
    ASSERT_EQ(Style().TextItems.size(), 1u);

    // The fields stay when another style is selected, so the item can be copied there.
    Run(W->New1);
    Select(Node(1));
    EXPECT_EQ(W->TINameCB->count(), 0);
    Type(W->TINameCB, "Copy");
    Type(W->edTIX1, "0");
    Click(W->Button3);
    ASSERT_EQ(Style().TextItems.size(), 1u);
    std::string source = Fields(*W->UOLib->Styles()[0]->TextItems[0]);
    EXPECT_EQ(Fields(*Style().TextItems[0]), source.replace(0, 5, "Copy"));
}

TEST_F(ItemPages, TextDeleteDropsThePickedListEntryButNotATypedOne)
{
    ShowTab(W->pcEditor, W->TabSheet2);
    for (const char *name : {"A", "B"}) {
        Type(W->TINameCB, name);
        TypeCoords({W->edTIX1, W->edTIY1, W->edTIX2, W->edTIY2}, {"0", "0", "0", "0"});
        Click(W->Button3);
    }
    Run(W->Delete1);
    Type(W->TINameCB, "A");
    Click(W->btnTIDelete);  // the button takes the focus from the name box: still no pick
    ASSERT_EQ(Style().TextItems.size(), 1u);
    EXPECT_EQ(Entries(W->TINameCB), (QStringList{"A", "B"}));

    Pick(W->TINameCB, 1);
    Click(W->btnTIDelete);
    EXPECT_TRUE(Style().TextItems.empty());
    EXPECT_EQ(Entries(W->TINameCB), QStringList{"A"});
    EXPECT_EQ(W->TINameCB->currentText(), "B") << "the name box keeps its text";
}

// --- a whole session ---

TEST_F(ItemPages, SessionBuildsAStyleThatSurvivesSaveAndOpenAndPaintsLikeTheCanvas)
{
    const TDraw draws[] = {{"frame", 0, {"0", "0", "100", "50"}, 3},
                           {"dot", 2, {"10", "10", "30", "$1E"}, 0, clRed, 1, "2", clYellow, 2},
                           {"rule", 3, {"0", "40", " 100", "40"}, 1, clNavy, 4, "25", clWhite, 1}};
    for (const TDraw &d : draws)
        AddDraw(d);
    FillText(Title);
    Click(W->Button3);
    FillText({"Note", {"0", "30", "100", "48"}, 1, "\u00C4rger", {"Times New Roman", 8, clNavy, fsItalic}, 2, clYellow, 0});
    Click(W->Button3);
    ASSERT_TRUE(Messages.empty()) << Messages[0].Text;

    Save(Path("session.uol"));
    Open(Path("session.uol"));
    ASSERT_EQ(W->UOLib->Styles().size(), 1u);
    Select(Node(0));
    const TKXVertexStyle &s = Style();
    EXPECT_EQ(s.Name, "Style1");
    ASSERT_EQ(s.DrawItems.size(), 3u);
    EXPECT_EQ(Fields(*s.DrawItems[0]), "frame shape 0 (0,0)-(100,50) growth 3 pen 000000/0/1 brush FFFFFF/0");
    EXPECT_EQ(Fields(*s.DrawItems[1]), "dot shape 2 (10,10)-(30,30) growth 0 pen 0000FF/1/2 brush 00FFFF/2");
    EXPECT_EQ(Fields(*s.DrawItems[2]), "rule shape 3 (0,40)-(100,40) growth 1 pen 800000/4/25 brush FFFFFF/1");
    ASSERT_EQ(s.TextItems.size(), 2u);
    EXPECT_EQ(Fields(*s.TextItems[0]), TitleFields);
    EXPECT_EQ(Fields(*s.TextItems[1]),
              "Note '\xC4rger' (0,30)-(100,48) growth 1 font Times New Roman/8/800000/2 align 2 back 00FFFF/0");

    // The preview shows what a vertex of the reopened style paints directly on the canvas.
    QImage expected(W->KXB->contentsRect().size(), QImage::Format_RGB32);
    expected.fill(ToQColor(clInfoBk));
    {
        std::unique_ptr<TKXVertex> vertex = TKXVertex::CreateWithStyle({132, 92}, W->UOLib.get(), "Style1");
        vertex->AdjustHandles();
        TKXQtCanvas canvas(&expected);
        vertex->Draw(canvas, 100, dmScreen);
    }
    EXPECT_TRUE(PreviewImage() == expected) << "the preview differs from a direct painting";
    EXPECT_NE(expected.pixel(132, 92), ToQColor(clInfoBk).rgb()) << "the style is shown";
}

}  // namespace
