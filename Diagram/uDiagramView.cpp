#include "uDiagramView.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>

TDiagramView::TDiagramView(QWidget *parent) : TKXDiagramBox(parent)
{
    setAcceptDrops(true);
    setFocusPolicy(Qt::ClickFocus);
}

TPoint TDiagramView::DiagramPoint(QPoint pixel) const
{
    return UnscalePoint({pixel.x(), pixel.y()}, Scale());
}

void TDiagramView::mousePressEvent(QMouseEvent *event)
{
    const QPoint pixel = event->position().toPoint() - contentsRect().topLeft();
    if (OnBeforePress && OnBeforePress(pixel))
        return;
    TKXDiagramBox::mousePressEvent(event);
}

void TDiagramView::mouseReleaseEvent(QMouseEvent *event)
{
    TKXDiagramBox::mouseReleaseEvent(event);
    if (OnAfterRelease)
        OnAfterRelease();
}

void TDiagramView::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasFormat(QLatin1String(StyleMimeType)))
        event->acceptProposedAction();
}

void TDiagramView::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->mimeData()->hasFormat(QLatin1String(StyleMimeType)))
        event->acceptProposedAction();
}

void TDiagramView::dropEvent(QDropEvent *event)
{
    if (!event->mimeData()->hasFormat(QLatin1String(StyleMimeType)) || !OnStyleDropped)
        return;
    const std::string name = event->mimeData()->data(QLatin1String(StyleMimeType)).toStdString();
    event->acceptProposedAction();
    OnStyleDropped(name, event->position().toPoint() - contentsRect().topLeft());
}
