// The draw-item and text-item pages of the main window. The pages keep no state of their own
// beyond their controls (and the sample font): the current style is the selected tree node's,
// and the current item is looked up by the text of the page's name box on every command.
#include "uEdit.h"

#include "uIntParse.h"

#include "KXGR/core/KXStyles.h"
#include "KXGR/widgets/KXQtCanvas.h"
#include "KXGR/widgets/KXQtConvert.h"

#include <QCollator>
#include <QLineEdit>

#include <algorithm>

namespace {

// A disabled coordinate edit left empty reads as 0: its growth rule replaces the value anyway,
// so a rule can be picked before any numbers are typed.
int32_t ParseEdit(const QLineEdit *edit)
{
    if (!edit->isEnabled() && edit->text().isEmpty())
        return 0;
    return StrToInt(edit->text().toStdString());
}

// Position of the selected entry as the one-byte field stores it: no entry (-1) becomes 255.
template <typename T>
T EntryValue(const QComboBox *box)
{
    return static_cast<T>(static_cast<uint8_t>(box->currentIndex()));
}

// Selects the entry at value; a value without an entry shows none.
void ShowEntry(QComboBox *box, int value)
{
    box->setCurrentIndex(value < box->count() ? value : -1);
}

void ShowNumber(QLineEdit *edit, int32_t value)
{
    edit->setText(QString::number(value));
}

// The name boxes' lists change only by the window's own commands. Qt would select the first
// entry added to an empty list and a neighbour of a removed one, and with it change the text;
// the list selection stays "the entry the user last picked" and the text stays as it was.
void KeepPickAndText(QComboBox *box, int picked, const QString &text)
{
    if (box->currentIndex() != picked)
        box->setCurrentIndex(picked);
    if (box->currentText() != text)
        box->setEditText(text);
}

void AppendName(QComboBox *box, const QString &name)
{
    const int picked = box->currentIndex();
    const QString text = box->currentText();
    box->addItem(name);
    KeepPickAndText(box, picked, text);
}

void ClearNameBox(QComboBox *box)
{
    box->clear();
    box->clearEditText();
}

template <typename T>
void RemoveItem(std::vector<std::unique_ptr<T>> &items, const T *item)
{
    items.erase(std::find_if(items.begin(), items.end(), [item](const auto &p) { return p.get() == item; }));
}

QString StepText(const QString &pattern, const TStepItem &item)
{
    return pattern.arg(FromCp1252(item.Name));
}

}  // namespace

void TfrmEdit::PushModify(TKXVertexStyle *style, const TKXVertexStyle &after, const TStepItem &item,
                          const std::function<void()> &take)
{
    const QString text = StepText(tr("Modify '%1'"), item);
    try {
        take();
    } catch (...) {
        // The fields before the one that failed are taken, as Modify always did; that partial
        // change is a step of its own, so undo can take it back.
        PushStyleChange(style, *style, after, text, item);
        throw;
    }
    PushStyleChange(style, *style, after, text, item);
    RefreshPreview();
}

void TfrmEdit::SetupItemPages()
{
    // An editable combo box selects an entry by itself when its text is left equal to one;
    // here only a pick from the list selects (the text page's Delete drops that entry).
    for (QComboBox *box : {DINameCB, TINameCB})
        disconnect(box->lineEdit(), SIGNAL(editingFinished()), box, SLOT(_q_editingFinished()));
}

void TfrmEdit::ClearItemPages()
{
    ClearNameBox(DINameCB);
    DITypCB->setCurrentIndex(-1);
    for (QLineEdit *edit : {edX1, edX2, edY1, edY2})
        edit->clear();
    DIAlignCB->setCurrentIndex(-1);
    ColorBox->SetColor(clBlack);
    DIStyleCB->setCurrentIndex(-1);
    edSize->setText(QStringLiteral("1"));
    BColorBox->SetColor(clWhite);
    DIBStyleCB->setCurrentIndex(-1);
    ClearNameBox(TINameCB);
}

void TfrmEdit::RefreshItemPages()
{
    ClearItemPages();
    const TKXVertexStyle *style = CurrentStyle();
    if (!style)
        return;
    for (const auto &item : style->DrawItems)
        AppendName(DINameCB, FromCp1252(item->Name));
    for (const auto &item : style->TextItems)
        AppendName(TINameCB, FromCp1252(item->Name));
}

// --- draw items ---

void TfrmEdit::DINameCBChange()
{
    const TKXVertexStyle *style = CurrentStyle();
    if (!style)
        return;
    const TKXDrawItem *item = style->FindDrawItem(ToCp1252(DINameCB->currentText()));
    if (!item)
        return;
    ShowEntry(DITypCB, item->Shape);
    ShowNumber(edX1, item->X1);
    ShowNumber(edX2, item->X2);
    ShowNumber(edY1, item->Y1);
    ShowNumber(edY2, item->Y2);
    ShowEntry(DIAlignCB, item->Growth);  // not a user pick: the edits keep their enabled state
    ColorBox->SetColor(item->PenColor);
    ShowEntry(DIStyleCB, item->PenStyle);
    ShowNumber(edSize, item->PenWidth);
    BColorBox->SetColor(item->BrushColor);
    ShowEntry(DIBStyleCB, item->BrushStyle);
}

void TfrmEdit::TakeDrawItem(TKXDrawItem &item) const
{
    item.Name = ToCp1252(DINameCB->currentText());
    item.Shape = EntryValue<TKXItemShape>(DITypCB);
    item.X1 = ParseEdit(edX1);
    item.X2 = ParseEdit(edX2);
    item.Y1 = ParseEdit(edY1);
    item.Y2 = ParseEdit(edY2);
    item.Growth = EntryValue<TKXItemGrowth>(DIAlignCB);
    item.PenColor = ColorBox->Color();
    item.PenStyle = EntryValue<TPenStyle>(DIStyleCB);
    item.PenWidth = ParseEdit(edSize);
    item.BrushColor = BColorBox->Color();
    item.BrushStyle = EntryValue<TBrushStyle>(DIBStyleCB);
}

void TfrmEdit::btnAddClick()
{
    TKXVertexStyle *style = CurrentStyle();
    if (!style)
        return;
    AppendName(DINameCB, DINameCB->currentText());
    auto item = std::make_unique<TKXDrawItem>();
    TakeDrawItem(*item);
    const TStepItem step{TStepItem::ikDraw, item->Name};
    TKXVertexStyle after;
    after.AssignStyle(*style);
    after.DrawItems.push_back(std::move(item));
    PushStyleChange(style, *style, after, StepText(tr("Add '%1'"), step), step);
    RefreshPreview();
}

void TfrmEdit::btnModifyClick()
{
    TKXVertexStyle *style = CurrentStyle();
    if (!style)
        return;
    const TStepItem step{TStepItem::ikDraw, ToCp1252(DINameCB->currentText())};
    if (!style->FindDrawItem(step.Name))
        return;
    TKXVertexStyle after;
    after.AssignStyle(*style);
    TKXDrawItem *item = after.FindDrawItem(step.Name);
    PushModify(style, after, step, [&] { TakeDrawItem(*item); });
}

void TfrmEdit::btnDeleteClick()
{
    TKXVertexStyle *style = CurrentStyle();
    if (!style)
        return;
    const TStepItem step{TStepItem::ikDraw, ToCp1252(DINameCB->currentText())};
    if (!style->FindDrawItem(step.Name))
        return;
    TKXVertexStyle after;
    after.AssignStyle(*style);
    RemoveItem(after.DrawItems, after.FindDrawItem(step.Name));
    PushStyleChange(style, *style, after, StepText(tr("Delete '%1'"), step), step);
    RefreshPreview();
}

void TfrmEdit::DIAlignCBChange()
{
    const int growth = DIAlignCB->currentIndex();
    const bool horizontal = growth == igHorizontal || growth == igBoth;
    const bool vertical = growth == igVertical || growth == igBoth;
    edX1->setEnabled(!horizontal);
    edX2->setEnabled(!horizontal);
    edY1->setEnabled(!vertical);
    edY2->setEnabled(!vertical);
}

void TfrmEdit::Button5Click()
{
    CD.Color = ColorBox->Color();
    if (CD.Execute())
        ColorBox->SetColor(CD.Color);
}

void TfrmEdit::Button1Click()
{
    CD.Color = BColorBox->Color();
    if (CD.Execute())
        BColorBox->SetColor(CD.Color);
}

void TfrmEdit::DIStyleCBDrawItem(TKXCanvas &Canvas, int Index, const TRect &Rect, TOwnerDrawState)
{
    const TPenStyle saved = Canvas.Pen.Style;
    Canvas.Pen.Style = static_cast<TPenStyle>(Index);
    const int32_t y = Rect.Top + Round((Rect.Bottom - Rect.Top) * 0.5L);
    Canvas.MoveTo(Rect.Left + 5, y);
    Canvas.LineTo(Rect.Right - 5, y);
    Canvas.Pen.Style = saved;
}

void TfrmEdit::DIBStyleCBDrawItem(TKXCanvas &Canvas, int Index, const TRect &Rect, TOwnerDrawState)
{
    const TBrushStyle saved = Canvas.Brush.Style;
    Canvas.Brush.Style = static_cast<TBrushStyle>(Index);
    Canvas.FillRect(Rect);
    Canvas.Brush.Style = saved;
}

// --- text items ---

void TfrmEdit::ShowSampleFont(const TKXFont &font)
{
    FSampleFont = font;
    TKXQtCanvas measure;
    measure.Font = font;
    lblSample->setFont(measure.QtFont());
    QPalette palette = lblSample->palette();
    palette.setColor(QPalette::WindowText, ToQColor(font.Color));
    lblSample->setPalette(palette);
}

void TfrmEdit::TINameCBChange()
{
    const TKXVertexStyle *style = CurrentStyle();
    if (!style)
        return;
    const TKXTextItem *item = style->FindTextItem(ToCp1252(TINameCB->currentText()));
    if (!item)
        return;
    ShowNumber(edTIX1, item->X1);
    ShowNumber(edTIY1, item->Y1);
    ShowNumber(edTIX2, item->X2);
    ShowNumber(edTIY2, item->Y2);
    ShowEntry(TIAlignCB, item->Growth);
    edTIData->setText(FromCp1252(item->Text));
    TKXFont font = FSampleFont;
    if (!item->FontName.empty())
        font.Name = item->FontName;
    font.Style = item->FontStyle;
    font.Size = item->FontSize;
    font.Color = item->FontColor;
    ShowSampleFont(font);
    ShowEntry(ComboBox5, item->Alignment);
    TIColorBox->SetColor(item->BackColor);
    ShowEntry(ComboBox3, item->BackStyle);
}

void TfrmEdit::TakeTextItem(TKXTextItem &item) const
{
    item.Name = ToCp1252(TINameCB->currentText());
    item.X1 = ParseEdit(edTIX1);
    item.Y1 = ParseEdit(edTIY1);
    item.X2 = ParseEdit(edTIX2);
    item.Y2 = ParseEdit(edTIY2);
    item.Growth = EntryValue<TKXItemGrowth>(TIAlignCB);
    item.Text = ToCp1252(edTIData->text());
    item.FontName = FSampleFont.Name.substr(0, 31);  // a face name holds at most 31 characters
    item.FontSize = FSampleFont.Size;
    item.FontColor = FSampleFont.Color;
    item.FontStyle = FSampleFont.Style;
    item.Alignment = EntryValue<TKXTextAlign>(ComboBox5);
    item.BackColor = TIColorBox->Color();
    item.BackStyle = EntryValue<TBrushStyle>(ComboBox3);
}

void TfrmEdit::Button3Click()
{
    TKXVertexStyle *style = CurrentStyle();
    if (!style)
        return;
    const QString name = TINameCB->currentText();
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    for (int i = 0; i < TINameCB->count(); ++i) {
        if (collator.compare(TINameCB->itemText(i), name) == 0) {
            MessageDlg("Textitem with this name already exists.", mtError, MsgButtons(mbOK), this);
            return;
        }
    }
    AppendName(TINameCB, name);
    auto item = std::make_unique<TKXTextItem>();
    TakeTextItem(*item);
    const TStepItem step{TStepItem::ikText, item->Name};
    TKXVertexStyle after;
    after.AssignStyle(*style);
    after.TextItems.push_back(std::move(item));
    PushStyleChange(style, *style, after, StepText(tr("Add '%1'"), step), step);
    RefreshPreview();
}

void TfrmEdit::Button6Click()
{
    TKXVertexStyle *style = CurrentStyle();
    if (!style)
        return;
    const TStepItem step{TStepItem::ikText, ToCp1252(TINameCB->currentText())};
    if (!style->FindTextItem(step.Name))
        return;
    TKXVertexStyle after;
    after.AssignStyle(*style);
    TKXTextItem *item = after.FindTextItem(step.Name);
    PushModify(style, after, step, [&] { TakeTextItem(*item); });
}

void TfrmEdit::btnTIDeleteClick()
{
    TKXVertexStyle *style = CurrentStyle();
    if (!style)
        return;
    const TStepItem step{TStepItem::ikText, ToCp1252(TINameCB->currentText())};
    if (!style->FindTextItem(step.Name))
        return;
    TKXVertexStyle after;
    after.AssignStyle(*style);
    RemoveItem(after.TextItems, after.FindTextItem(step.Name));
    PushStyleChange(style, *style, after, StepText(tr("Delete '%1'"), step), step);
    RefreshPreview();
    const int picked = TINameCB->currentIndex();
    if (picked >= 0) {
        const QString text = TINameCB->currentText();
        TINameCB->removeItem(picked);
        KeepPickAndText(TINameCB, -1, text);
    }
}

void TfrmEdit::Button2Click()
{
    FD.Font = FSampleFont;
    if (FD.Execute())
        ShowSampleFont(FD.Font);
}

void TfrmEdit::Button4Click()
{
    CD.Color = TIColorBox->Color();
    if (CD.Execute())
        TIColorBox->SetColor(CD.Color);
}

void TfrmEdit::ComboBox3DrawItem(TKXCanvas &Canvas, int Index, const TRect &Rect, TOwnerDrawState State)
{
    DIBStyleCBDrawItem(Canvas, Index, Rect, State);
}
