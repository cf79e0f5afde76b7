#include "uEditControls.h"

#include "KXGR/widgets/KXDiagramBox.h"
#include "KXGR/widgets/KXQtConvert.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolButton>

QValidator::State TCp1252Validator::validate(QString &input, int &) const
{
    return IsCp1252(input) ? Acceptable : Invalid;
}

TColorSwatch::TColorSwatch(QWidget *parent) : QWidget(parent) {}

void TColorSwatch::SetColor(TColor value)
{
    FColor = value;
    update();
}

void TColorSwatch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.setBrush(ToQColor(FColor));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

TUpDown::TUpDown(QWidget *parent)
    : QWidget(parent), FUp(new QToolButton(this)), FDown(new QToolButton(this))
{
    FUp->setArrowType(Qt::UpArrow);
    FDown->setArrowType(Qt::DownArrow);
    for (QToolButton *button : {FUp, FDown}) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
    }
    connect(FUp, &QToolButton::clicked, this, [this] { Step(1); });
    connect(FDown, &QToolButton::clicked, this, [this] { Step(-1); });
}

void TUpDown::SetPosition(int value)
{
    FPosition = std::clamp(value, FMin, std::max(FMin, FMax));
    if (FAssociate)
        FAssociate->setText(QString::number(FPosition));
}

void TUpDown::SetAssociate(QLineEdit *edit)
{
    if (FAssociate)
        FAssociate->removeEventFilter(this);
    FAssociate = edit;
    if (FAssociate)
        FAssociate->installEventFilter(this);
}

void TUpDown::Step(int delta)
{
    int start = FPosition;
    if (FAssociate) {
        bool ok = false;
        const int typed = FAssociate->text().trimmed().toInt(&ok);
        if (ok)
            start = std::clamp(typed, FMin, std::max(FMin, FMax));
    }
    int next = start + delta;
    if (next > FMax)
        next = FWrap ? FMin : FMax;
    else if (next < FMin)
        next = FWrap ? FMax : FMin;
    SetPosition(next);
}

bool TUpDown::eventFilter(QObject *watched, QEvent *event)
{
    // The type first: a line edit being destroyed still sends events (focus out), and
    // FAssociate must not be read as a line edit then.
    if (event->type() == QEvent::KeyPress && watched == FAssociate) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TUpDown::resizeEvent(QResizeEvent *)
{
    const int half = height() / 2;
    FUp->setGeometry(0, 0, width(), half);
    FDown->setGeometry(0, half, width(), height() - half);
}

TTreeNode::TTreeNode(const QString &text, TKXVertexStyle *data) : QTreeWidgetItem(QTreeWidgetItem::UserType), Data(data)
{
    setText(0, text);
    setFlags(flags() | Qt::ItemIsEditable);
}

// The in-place editor of the tree: accepts code-page-1252 text only and reports accepted edits.
class TTreeEditDelegate : public QStyledItemDelegate {
public:
    explicit TTreeEditDelegate(TProjectTree *tree) : QStyledItemDelegate(tree), FTree(tree) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *edit = qobject_cast<QLineEdit *>(editor))
            edit->setValidator(new TCp1252Validator(edit));
        FTree->FEditor = editor;
        return editor;
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        QStyledItemDelegate::setModelData(editor, model, index);
        if (auto *node = static_cast<TTreeNode *>(FTree->itemFromIndex(index)))
            emit FTree->Edited(node, node->text(0));
    }

private:
    TProjectTree *FTree;
};

TProjectTree::TProjectTree(QWidget *parent) : QTreeWidget(parent)
{
    setItemDelegate(new TTreeEditDelegate(this));
}

TTreeNode *TProjectTree::Selected() const
{
    const QList<QTreeWidgetItem *> items = selectedItems();
    return items.isEmpty() ? nullptr : static_cast<TTreeNode *>(items.constFirst());
}

int TProjectTree::NodeCount() const
{
    int count = 0;
    for (QTreeWidgetItemIterator it(const_cast<TProjectTree *>(this)); *it; ++it)
        ++count;
    return count;
}

void TProjectTree::CloseEditor()
{
    // A closed editor lingers until its deferred deletion; only an open one is closed.
    if (FEditor && state() == EditingState)
        closeEditor(FEditor, QAbstractItemDelegate::NoHint);
}

void TProjectTree::mousePressEvent(QMouseEvent *event)
{
    if (itemAt(event->position().toPoint())) {
        QTreeWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);  // an open in-place editor commits as on any focus change
    event->accept();
}

bool TPreviewActor::MouseMove(QObject *sender, TShiftState shift, const TPoint &p)
{
    const bool answer = TKXEditActor::MouseMove(sender, shift, p);
    if (OnMoved)
        OnMoved();
    return answer;
}

bool TFocusWheelFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Wheel && watched->isWidgetType() && !static_cast<QWidget *>(watched)->hasFocus()) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
