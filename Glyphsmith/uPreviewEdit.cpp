// The preview's second mode (editing the style's items with the mouse), the size strip under
// the pages and the sample texts of the text items.
#include "uEdit.h"

#include "uApplication.h"
#include "uSizeStrip.h"

#include "KXGR/core/KXStyles.h"
#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXActors.h"
#include "KXGR/widgets/KXItemActor.h"
#include "KXGR/widgets/KXQtConvert.h"

#include <QEvent>
#include <QLineEdit>

void TfrmEdit::SetupPreviewEditing()
{
    ItemActor->GridStep = seGridStep->value();
    ItemActor->Snap = cbSnap->isChecked();
    ItemActor->OnPick = [this](std::optional<TKXItemRef> ref) { ItemPicked(ref); };
    ItemActor->OnItemChanging = [this](TKXItemRef ref, const TRect &placement) { ItemChanging(ref, placement); };
    ItemActor->OnItemChanged = [this](TKXItemRef ref, const TRect &before, const TRect &after, bool resized) {
        ItemChanged(ref, before, after, resized);
    };
    connect(btnEditItems, &QToolButton::toggled, this, Guarded(this, &TfrmEdit::btnEditItemsClick));
    connect(cbSnap, &QCheckBox::toggled, this, [this](bool on) {
        ItemActor->Snap = on;
        RunGuarded([this] { ItemActor->UpdateFeedback(); });
    });
    connect(seGridStep, &QSpinBox::valueChanged, this, [this](int step) {
        ItemActor->GridStep = step;
        RunGuarded([this] { ItemActor->UpdateFeedback(); });
    });

    edSizes->setText(TSizeStrip::FormatSizes(SizeStrip->Sizes()));
    connect(edSizes, &QLineEdit::returnPressed, this, Guarded(this, &TfrmEdit::edSizesReturn));
    // The strip follows the preview vertex's size, which the edit actor changes while painting.
    KXB->installEventFilter(this);

    TISampleCB->setCurrentIndex(skName);
    connect(TISampleCB, &QComboBox::activated, this, Guarded(this, &TfrmEdit::TISampleChange));
    // Typing a sample makes it the custom one.
    connect(edTISample, &QLineEdit::textEdited, this, [this] {
        TISampleCB->setCurrentIndex(skCustom);
        RunGuarded([this] { TISampleChange(); });
    });
    connect(TINameCB->lineEdit(), &QLineEdit::textEdited, this, Guarded(this, &TfrmEdit::ShowSample));
    connect(TINameCB, &QComboBox::activated, this, Guarded(this, &TfrmEdit::ShowSample));
    ShowSample();
}

bool TfrmEdit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == KXB && event->type() == QEvent::Paint && PreviewVertex)
        SizeStrip->SetCurrentSize(TPoint{Max(PreviewVertex->Right - PreviewVertex->Left, 0),
                                         Max(PreviewVertex->Bottom - PreviewVertex->Top, 0)});
    return QMainWindow::eventFilter(watched, event);
}

void TfrmEdit::PreviewChanged()
{
    SizeStrip->SetStyle(PreviewVertex ? PreviewVertex->Style.get() : nullptr);
    // A pick belongs to the style it was made in, and an item that went away takes it along.
    if (CurrentStyle() != FPickedStyle)
        ItemActor->SetPicked(std::nullopt);
    else
        ItemActor->SetPicked(ItemActor->Picked());
}

void TfrmEdit::btnEditItemsClick(bool on)
{
    ItemActor->SetVertex(PreviewVertex);
    if (on) {
        KXB->ClearSelection();  // the vertex's own handles would read as the item's
        KXB->SetActor(ItemActor);
    } else {
        KXB->SetActor(KXEditActor1);
    }
    ItemActor->UpdateFeedback();
    KXB->Invalidate();
}

void TfrmEdit::ItemPicked(std::optional<TKXItemRef> ref)
{
    FPickedStyle = CurrentStyle();
    if (!ref || !FPickedStyle || !ItemExists(*FPickedStyle, *ref))
        return;
    const QString name = FromCp1252(ItemName(*FPickedStyle, *ref));
    if (ref->IsText) {
        pcEditor->setCurrentWidget(TabSheet2);
        TINameCB->setEditText(name);
        TINameCBChange();
        ShowSample();
    } else {
        pcEditor->setCurrentWidget(TabSheet1);
        DINameCB->setEditText(name);
        DINameCBChange();
    }
}

void TfrmEdit::ItemChanging(TKXItemRef ref, const TRect &placement)
{
    if (!PreviewVertex || !PreviewVertex->Style)
        return;
    // Only the coordinates the item's growth leaves free are its own; the others keep showing
    // what the item stores.
    const TKXItemSides free = FreeSides(ItemGrowth(*PreviewVertex->Style, ref), sdAll);
    QLineEdit *const edits[4] = {ref.IsText ? edTIX1 : edX1, ref.IsText ? edTIY1 : edY1,
                                 ref.IsText ? edTIX2 : edX2, ref.IsText ? edTIY2 : edY2};
    const int32_t values[4] = {placement.Left, placement.Top, placement.Right, placement.Bottom};
    const TKXItemSides sides[4] = {sdX1, sdY1, sdX2, sdY2};
    for (int i = 0; i < 4; ++i)
        if (free & sides[i])
            edits[i]->setText(QString::number(values[i]));
}

void TfrmEdit::ItemChanged(TKXItemRef ref, const TRect &, const TRect &after, bool resized)
{
    TKXVertexStyle *style = CurrentStyle();
    // Without the picked style selected the gesture stays in the preview, as a vertex drag does.
    if (!style || style != FPickedStyle || !ItemExists(*style, ref))
        return;
    TKXVertexStyle changed;
    changed.AssignStyle(*style);
    SetItemPlacement(changed, ref, after);
    const std::string name = ItemName(*style, ref);
    const QString text = (resized ? QStringLiteral("Resize '") : QStringLiteral("Move '")) + FromCp1252(name) +
                         QLatin1Char('\'');
    PushStyleChange(style, *style, changed, text, {ref.IsText ? TStepItem::ikText : TStepItem::ikDraw, name});
    RefreshPreview();
}

void TfrmEdit::edSizesReturn()
{
    SizeStrip->SetSizes(TSizeStrip::ParseSizes(edSizes->text()));
}

void TfrmEdit::ShowSample()
{
    const std::string name = ToCp1252(TINameCB->currentText());
    const TSample sample = Samples.Get(name);
    TISampleCB->setCurrentIndex(sample.Kind);
    edTISample->setText(FromCp1252(Samples.Text(name)));
}

void TfrmEdit::TISampleChange()
{
    const std::string name = ToCp1252(TINameCB->currentText());
    TSample sample;
    sample.Kind = static_cast<TSampleKind>(std::max(TISampleCB->currentIndex(), 0));
    if (sample.Kind == skCustom)
        sample.Custom = ToCp1252(edTISample->text());
    Samples.Set(name, sample);
    ShowSample();
    KXB->Invalidate();
    SizeStrip->update();
}
