#include "KXGR/widgets/KXActors.h"

#include "KXGR/core/KXHandle.h"
#include "KXGR/widgets/KXDiagramBox.h"

#include <algorithm>

namespace {

// The owner of a handle or an adjacent is entry 0 of its Links.
TKXObject *OwnerOf(const TKXObject *obj) { return obj->Links.empty() ? nullptr : obj->Links[0]; }

bool IsPart(const TKXObject *obj) { return obj->Kind == okHandle || obj->Kind == okAdjacent; }

} // namespace

TKXActor::TKXActor(QObject *owner) : QObject(owner) {}

TKXActor::~TKXActor() = default;

// Out of line: QPointer needs the complete box class, which the header only declares.
TKXDiagramBox *TKXActor::Box() const
{
    return FBox.data();
}

bool TKXActor::MouseDown(QObject *, TMouseButton, TShiftState, const TPoint &) { return false; }

bool TKXActor::MouseMove(QObject *, TShiftState, const TPoint &) { return false; }

bool TKXActor::MouseUp(QObject *, TMouseButton, TShiftState, const TPoint &) { return false; }

TKXEditActor::TKXEditActor(QObject *owner) : TKXActor(owner) {}

void TKXEditActor::DrawBand(TPoint a, TPoint b)
{
    const int32_t scale = Box()->Scale();
    Box()->DrawRubberBand(ScaleValue(a.X, scale), ScaleValue(a.Y, scale), ScaleValue(b.X, scale),
                          ScaleValue(b.Y, scale));
}

void TKXEditActor::DrawCurrentOutline()
{
    Current->DrawOutline(*Box()->OwnCanvas(), Box()->Scale());
}

bool TKXEditActor::MouseDown(QObject *, TMouseButton button, TShiftState shift, const TPoint &p)
{
    TKXDiagramBox *box = Box();
    if (!box)
        return false;
    if (button == mbLeft) {
        Current = box->ObjectAt(p);
        if (Current) {
            bool add = (shift & ssShift) != 0;
            if (Current->Kind == okEdge && Current->Selected) {
                State = esInsertBend;
            } else {
                State = esPressed;
                if (box->Selection.size() > 1)
                    add = true;
            }
            TKXObject *target = IsPart(Current) ? OwnerOf(Current) : Current;
            if (target)
                box->SelectObject(target, add);
        } else {
            StartPoint = p;
            if (!box->ImmediateRedraw())
                DrawBand(StartPoint, p);
            State = esRubberBand;
        }
        LastPoint = p;
    } else if (button == mbRight) {
        Current = box->ObjectAt(p);
        if (Current && Current->Kind == okHandle) {
            const TKXObject *owner = OwnerOf(Current);
            if (owner && owner->Kind == okEdge && owner->Selected)
                State = esRemoveBend;
        }
    }
    return false;
}

bool TKXEditActor::MouseMove(QObject *, TShiftState shift, const TPoint &p)
{
    TKXDiagramBox *box = Box();
    if (!box || !(shift & ssLeft))
        return false;
    const bool immediate = box->ImmediateRedraw();
    if (Current) {
        if (State == esPressed) {
            if (!immediate)
                DrawCurrentOutline();
            State = esMoving;
        }
        if (Current->Kind == okVertex) {
            box->MoveSelection(PointDelta(LastPoint, p));
        } else {
            if (!immediate)
                DrawCurrentOutline();
            Current->MoveBy(PointDelta(LastPoint, p));
            if (!immediate)
                DrawCurrentOutline();
        }
    } else {
        DrawBand(StartPoint, LastPoint);
        DrawBand(StartPoint, p);
    }
    LastPoint = p;
    if (immediate && State != esRubberBand)
        box->Recompose();
    return false;
}

bool TKXEditActor::MouseUp(QObject *, TMouseButton button, TShiftState shift, const TPoint &p)
{
    TKXDiagramBox *box = Box();
    if (!box)
        return false;
    const bool shiftHeld = (shift & ssShift) != 0;
    if (button == mbRight) {
        Current = box->ObjectAt(p);
        const bool hit = Current != nullptr;
        if (Current && Current->Kind == okHandle) {
            TKXObject *owner = OwnerOf(Current);
            if (State == esRemoveBend && owner && owner->Kind == okEdge) {
                // The handle may have been selected by an earlier right click; a bend handle
                // must not stay listed once the edge has destroyed it. End handles survive.
                auto *handle = static_cast<TKXHandle *>(Current);
                if (handle->HandleKind == hkBend)
                    box->DeselectObject(handle);
                owner->RemoveBendPoint(handle);
                Current = nullptr;
            } else if (owner && owner->Kind == okVertex) {
                Current = owner;
            }
        }
        if (Current && Current->Kind == okAdjacent && OwnerOf(Current))
            Current = OwnerOf(Current);
        // A handle never joins the selection: a right click on an edge's handle selects the
        // edge (a label's anchor, the label), and the handle stays Current for the popup.
        if (hit && Current && State != esRemoveBend) {
            TKXObject *target = Current->Kind == okHandle ? OwnerOf(Current) : Current;
            if (target)
                box->SelectObject(target, shiftHeld);
        }
        if (!hit && !shiftHeld)
            box->ClearSelection();
        box->Recompose();
        if (OnPopup)
            OnPopup(Current, box->ClientToScreen(box->DiagramToClient(p)));
    } else if (button == mbLeft) {
        switch (State) {
        case esPressed:
            if (Current && !shiftHeld && Current->Kind != okHandle)
                box->SelectObject(Current, false);
            break;
        case esRubberBand: {
            DrawBand(StartPoint, p);
            const TRect r = NormalizeRect(MakeRect(StartPoint.X, StartPoint.Y, p.X, p.Y));
            box->SelectInRect(r, shiftHeld);
            break;
        }
        case esInsertBend:
            if (Current)
                Current->InsertBendPoint(p);
            break;
        default:
            break;
        }
    }
    State = esIdle;
    box->Recompose();
    return false;
}
