#pragma once
// The connect actor: dragging with the left button from one vertex to another creates an edge
// between them through the box's AddObject. A not-xor rubber line follows the mouse; Escape
// during the drag cancels it; a release on empty space, on the start vertex or on anything
// that is no vertex creates nothing.

#include "KXGR/widgets/KXActors.h"

class TKXCustomVertex;

class TKXConnectActor : public TKXActor {
    Q_OBJECT
public:
    explicit TKXConnectActor(QObject *owner = nullptr);
    ~TKXConnectActor() override;

    bool MouseDown(QObject *sender, TMouseButton button, TShiftState shift, const TPoint &p) override;
    bool MouseMove(QObject *sender, TShiftState shift, const TPoint &p) override;
    bool MouseUp(QObject *sender, TMouseButton button, TShiftState shift, const TPoint &p) override;

    // Whether a drag from a vertex is in progress.
    bool Connecting() const { return FSource != nullptr; }
    // Ends a drag without creating anything and takes the rubber line off.
    void Cancel();
    // The vertex under p (diagram units): the one a hit answers (a vertex or its corner handle),
    // else the last vertex that contains p, so an edge or label lying over a vertex does not
    // hide it. nullptr when there is none.
    static TKXCustomVertex *VertexAt(TKXDiagramBox &box, TPoint p);

protected:
    // Escape while connecting cancels, wherever the keyboard focus is.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void DrawLine(TPoint to);
    void Finish();

    TKXCustomVertex *FSource = nullptr;
};
