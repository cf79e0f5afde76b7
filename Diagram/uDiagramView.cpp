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
    return ClientToDiagram({pixel.x(), pixel.y()});
}

void TDiagramView::mousePressEvent(QMouseEvent *event)
{
    const QPoint pixel = event->position().toPoint() - contentsRect().topLeft();
    FMoved = false;
    if (OnBeforePress && OnBeforePress(pixel))
        return;
    TKXDiagramBox::mousePressEvent(event);
}

void TDiagramView::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPoint pixel = event->position().toPoint() - contentsRect().topLeft();
    if (OnBeforePress && OnBeforePress(pixel))
        return;
    TKXDiagramBox::mouseDoubleClickEvent(event);
}

void TDiagramView::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() != Qt::NoButton)
        FMoved = true;
    TKXDiagramBox::mouseMoveEvent(event);
}

void TDiagramView::mouseReleaseEvent(QMouseEvent *event)
{
    TKXDiagramBox::mouseReleaseEvent(event);
    if (OnAfterRelease)
        OnAfterRelease(event->button(), FMoved);
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
