#include "KXGR/widgets/KXConnectActor.h"

#include "KXGR/core/KXCanvas.h"
#include "KXGR/core/KXEdge.h"
#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXDiagramBox.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include <memory>

TKXConnectActor::TKXConnectActor(QObject *owner) : TKXActor(owner) {}

TKXConnectActor::~TKXConnectActor() = default;

TKXCustomVertex *TKXConnectActor::VertexAt(TKXDiagramBox &box, TPoint p)
{
    TKXObject *hit = box.ObjectAt(p);
    if (hit && hit->Kind == okHandle && !hit->Links.empty() && hit->Links[0]->Kind == okVertex)
        hit = hit->Links[0];
    if (hit && hit->Kind == okVertex)
        return dynamic_cast<TKXCustomVertex *>(hit);
    for (std::size_t i = box.Vertices.Count(); i-- > 0;)
        if (box.Vertices[i]->ContainsPoint(p))
            return dynamic_cast<TKXCustomVertex *>(box.Vertices[i]);
    return nullptr;
}

void TKXConnectActor::DrawLine(TPoint to)
{
    TKXDiagramBox *box = Box();
    const int32_t scale = box->Scale();
    const std::unique_ptr<TKXCanvas> canvas = box->OwnCanvas();
    const TKXPen saved = canvas->Pen;
    canvas->Pen.Color = clBlack;
    canvas->Pen.Style = psSolid;
    canvas->Pen.Width = 1;
    canvas->Pen.Mode = pmNotXor;
    canvas->MoveTo(ScaleValue(StartPoint.X, scale), ScaleValue(StartPoint.Y, scale));
    canvas->LineTo(ScaleValue(to.X, scale), ScaleValue(to.Y, scale));
    // Objects drawn later on the own canvas keep the pen mode they find.
    canvas->Pen = saved;
}

bool TKXConnectActor::MouseDown(QObject *, TMouseButton button, TShiftState, const TPoint &p)
{
    TKXDiagramBox *box = Box();
    if (!box || button != mbLeft)
        return false;
    if (FSource)
        Cancel();
    FSource = VertexAt(*box, p);
    Current = FSource;
    if (!FSource)
        return false;
    StartPoint = p;
    LastPoint = p;
    DrawLine(p);
    QCoreApplication::instance()->installEventFilter(this);
    return false;
}

bool TKXConnectActor::MouseMove(QObject *, TShiftState shift, const TPoint &p)
{
    if (!FSource || !Box() || !(shift & ssLeft))
        return false;
    DrawLine(LastPoint);
    DrawLine(p);
    LastPoint = p;
    return false;
}

bool TKXConnectActor::MouseUp(QObject *, TMouseButton button, TShiftState, const TPoint &p)
{
    TKXDiagramBox *box = Box();
    if (!box || button != mbLeft || !FSource)
        return false;
    TKXCustomVertex *source = FSource;
    Finish();
    TKXCustomVertex *target = VertexAt(*box, p);
    Current = target;
    if (!target || target == source)
        return false;
    // The edge runs between the two borders on the line that joins the centres.
    const TPoint sourceCenter{source->Left + (source->Right - source->Left) / 2,
                              source->Top + (source->Bottom - source->Top) / 2};
    const TPoint targetCenter{target->Left + (target->Right - target->Left) / 2,
                              target->Top + (target->Bottom - target->Top) / 2};
    auto edge = std::make_unique<TKXCustomEdge>(source, target, source->BorderPoint(sourceCenter, targetCenter),
                                                target->BorderPoint(targetCenter, sourceCenter));
    // A refused edge stays ours and goes; a taken or replaced one belongs to the box or host.
    if (box->AddObject(edge.get(), moNew))
        Current = edge.release();
    box->Recompose();
    return false;
}

void TKXConnectActor::Finish()
{
    if (Box())
        DrawLine(LastPoint);
    FSource = nullptr;
    QCoreApplication::instance()->removeEventFilter(this);
}

void TKXConnectActor::Cancel()
{
    if (!FSource)
        return;
    Finish();
    Current = nullptr;
}

bool TKXConnectActor::eventFilter(QObject *watched, QEvent *event)
{
    if (FSource && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        Cancel();
        return true;
    }
    return TKXActor::eventFilter(watched, event);
}
