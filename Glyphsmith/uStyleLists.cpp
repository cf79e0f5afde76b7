#include "uStyleLists.h"

#include "KXGR/widgets/KXQtCanvas.h"
#include "KXGR/widgets/KXQtConvert.h"

#include <QAbstractItemDelegate>
#include <QAbstractItemView>
#include <QImage>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace {

// The open list's entries: fixed height, painted by the combo box's handler.
class TOwnerDrawDelegate : public QAbstractItemDelegate {
public:
    explicit TOwnerDrawDelegate(TKXOwnerDrawComboBox *owner) : QAbstractItemDelegate(owner), FOwner(owner) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        TOwnerDrawState state = 0;
        if (option.state & QStyle::State_Selected)
            state |= odSelected;
        if (option.state & QStyle::State_HasFocus)
            state |= odFocused;
        FOwner->PaintEntry(*painter, index.row(), option.rect, state);
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const override
    {
        return {option.rect.width(), FOwner->ItemHeight()};
    }

private:
    TKXOwnerDrawComboBox *FOwner;
};

}

TKXOwnerDrawComboBox::TKXOwnerDrawComboBox(QWidget *parent) : QComboBox(parent)
{
    setItemDelegate(new TOwnerDrawDelegate(this));
}

void TKXOwnerDrawComboBox::SetItemHeight(int value)
{
    FItemHeight = value;
    view()->doItemsLayout();
}

void TKXOwnerDrawComboBox::PaintEntry(QPainter &painter, int index, const QRect &rect, TOwnerDrawState state)
{
    const QPalette &pal = palette();
    const bool selected = (state & odSelected) != 0;
    const QColor back = selected ? pal.color(QPalette::Highlight) : pal.color(QPalette::Base);
    const QColor fore = selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text);

    // The canvas paints through a painter of its own, so the entry is composed on an image.
    QImage image(rect.size(), QImage::Format_RGB32);
    image.fill(back);
    if (OnDrawItem && !image.isNull()) {
        TKXQtCanvas canvas(&image);
        canvas.Pen.Color = ToTColor(fore);
        canvas.Pen.Width = 1;
        // A clear brush of the foreground colour: a handler that sets a brush style paints in
        // that colour, and the gaps of a dashed pen stay as the background.
        canvas.Brush.Color = ToTColor(fore);
        canvas.Brush.Style = bsClear;
        // A small margin keeps the highlight visible around a solid picture.
        OnDrawItem(canvas, index, TRect{2, 2, rect.width() - 2, rect.height() - 2}, state);
    }
    painter.drawImage(rect.topLeft(), image);
    if (state & odFocused) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect;
        focus.backgroundColor = back;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void TKXOwnerDrawComboBox::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    if (currentIndex() < 0)
        return;
    const QRect face = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    TOwnerDrawState state = odComboBoxEdit;
    if (hasFocus() && !view()->isVisible())
        state |= odSelected | odFocused;
    PaintEntry(painter, currentIndex(), face, state);
}
