#include "KXGR/widgets/KXItemActor.h"

#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXDiagramBox.h"

#include <QPainter>
#include <QWidget>

namespace {

constexpr int HandleRadius = 3;  // pixels: handles are 7 x 7

}  // namespace

// Paints the actor's feedback over the box's client area; lets every mouse event through.
class TKXItemActor::TFeedback : public QWidget {
public:
    TFeedback(TKXItemActor *actor, QWidget *parent) : QWidget(parent), FActor(actor)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        TKXDiagramBox *box = FActor->Box();
        const TKXVertex *vertex = FActor->FVertex;
        if (!box || box->Actor() != FActor || !vertex || !vertex->Style)
            return;
        const int32_t scale = box->Scale();
        const auto device = [&](TPoint rel) {
            return QPoint(ScaleValue(vertex->Left + rel.X, scale), ScaleValue(vertex->Top + rel.Y, scale));
        };
        QPainter painter(this);
        if (FActor->Snap && FActor->GridStep > 0 && ScaleValue(FActor->GridStep, scale) >= 4) {
            painter.setPen(QColor(128, 128, 128));
            const int32_t w = vertex->Right - vertex->Left, h = vertex->Bottom - vertex->Top;
            for (int32_t y = 0; y <= h; y += FActor->GridStep)
                for (int32_t x = 0; x <= w; x += FActor->GridStep)
                    painter.drawPoint(device({x, y}));
        }
        if (!FActor->FPicked)
            return;
        const TRect r = NormalizeRect(ItemPlacement(*vertex->Style, *FActor->FPicked));
        painter.setPen(QPen(Qt::darkBlue, 1, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(device({r.Left, r.Top}), device({r.Right, r.Bottom})));
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::white);
        for (const TKXItemHandle &h : ItemHandles(*vertex->Style, *FActor->FPicked)) {
            const QPoint c = device(h.Position);
            painter.drawRect(c.x() - HandleRadius, c.y() - HandleRadius, 2 * HandleRadius, 2 * HandleRadius);
        }
    }

private:
    TKXItemActor *FActor;
};

TKXItemActor::TKXItemActor(QObject *owner) : TKXActor(owner) {}

TKXItemActor::~TKXItemActor()
{
    delete FFeedback;
}

void TKXItemActor::SetVertex(TKXVertex *vertex)
{
    FVertex = vertex;
    FPicked.reset();
    FDragSides = 0;
    UpdateFeedback();
}

void TKXItemActor::SetPicked(std::optional<TKXItemRef> ref)
{
    if (ref && !(FVertex && FVertex->Style && ItemExists(*FVertex->Style, *ref)))
        ref.reset();
    FPicked = ref;
    FDragSides = 0;
    UpdateFeedback();
}

void TKXItemActor::UpdateFeedback()
{
    TKXDiagramBox *box = Box();
    if (!box)
        return;
    if (!FFeedback || FFeedback->parentWidget() != box) {
        delete FFeedback;
        FFeedback = new TFeedback(this, box);
        FFeedback->show();
    }
    FFeedback->setGeometry(box->contentsRect());
    FFeedback->raise();
    FFeedback->update();
}

TPoint TKXItemActor::VertexPoint(TPoint p) const
{
    return PointDelta({FVertex->Left, FVertex->Top}, p);
}

bool TKXItemActor::MouseDown(QObject *, TMouseButton button, TShiftState, const TPoint &p)
{
    TKXDiagramBox *box = Box();
    if (!box || button != mbLeft || !FVertex || !FVertex->Style)
        return false;
    const TKXVertexStyle &style = *FVertex->Style;
    const TPoint rel = VertexPoint(p);
    FDragSides = 0;
    // A handle of the picked item comes first, so an item under it cannot steal the drag.
    if (FPicked) {
        const int32_t reach = Max(1, UnscaleValue(HandleRadius + 1, box->Scale()));
        for (const TKXItemHandle &h : ItemHandles(style, *FPicked))
            if (std::abs(rel.X - h.Position.X) <= reach && std::abs(rel.Y - h.Position.Y) <= reach) {
                FDragSides = h.Sides;
                FResizing = true;
                break;
            }
    }
    if (!FDragSides) {
        SetPicked(ItemAt(style, rel));
        if (OnPick)
            OnPick(FPicked);
        FResizing = false;
        if (FPicked)
            FDragSides = FreeSides(ItemGrowth(style, *FPicked), sdAll);
    }
    if (FPicked)
        FStartPlacement = ItemPlacement(style, *FPicked);
    FPressPoint = p;
    LastPoint = p;
    State = esPressed;
    return false;
}

bool TKXItemActor::MouseMove(QObject *, TShiftState shift, const TPoint &p)
{
    TKXDiagramBox *box = Box();
    if (!box || !(shift & ssLeft) || !FDragSides || !FPicked || !FVertex || !FVertex->Style)
        return false;
    TKXVertexStyle &style = *FVertex->Style;
    const bool line = !FPicked->IsText && style.DrawItems[FPicked->Index]->Shape == isLine;
    const int32_t step = Snap && !(shift & ssShift) ? GridStep : 0;
    const TRect placed = DragPlacement(FStartPlacement, FDragSides, PointDelta(FPressPoint, p), step, line);
    LastPoint = p;
    State = esMoving;
    if (placed == ItemPlacement(style, *FPicked))
        return false;
    SetItemPlacement(style, *FPicked, placed);
    FVertex->AdjustHandles();
    box->Invalidate();
    UpdateFeedback();
    if (OnItemChanging)
        OnItemChanging(*FPicked, ItemPlacement(style, *FPicked));
    return false;
}

bool TKXItemActor::MouseUp(QObject *, TMouseButton button, TShiftState, const TPoint &p)
{
    const TKXItemSides dragged = FDragSides;
    FDragSides = 0;
    State = esIdle;
    LastPoint = p;
    if (button != mbLeft || !dragged || !FPicked || !FVertex || !FVertex->Style)
        return false;
    const TRect after = ItemPlacement(*FVertex->Style, *FPicked);
    if (!(after == FStartPlacement) && OnItemChanged)
        OnItemChanged(*FPicked, FStartPlacement, after, FResizing);
    return false;
}
