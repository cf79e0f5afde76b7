#pragma once
// An actor that edits the items of one styled vertex's style with the mouse: a click picks the
// topmost item under the mouse, a drag moves it, and its handles resize it, optionally snapping
// to a grid. Growth rules stay in force: coordinates that an item's rule replaces never move.
//
// The actor changes only the vertex's own style (so the box shows the drag at once) and reports
// the gesture to the host, which decides what becomes of it (a style editor writes it into its
// library style). Its feedback, a frame with handles around the picked item and the grid dots
// inside the vertex, is drawn over the box while the actor is the box's Actor.

#include "KXGR/core/KXItemEdit.h"
#include "KXGR/widgets/KXActors.h"

#include <QPointer>

#include <functional>
#include <optional>

class QWidget;
class TKXVertex;

class TKXItemActor : public TKXActor {
    Q_OBJECT
public:
    explicit TKXItemActor(QObject *owner = nullptr);
    ~TKXItemActor() override;

    // The vertex whose style's items are edited; not owned, and the host keeps it alive while
    // it is set. Setting it drops the picked item.
    TKXVertex *Vertex() const { return FVertex; }
    void SetVertex(TKXVertex *vertex);
    // Grid in logical units; drags snap to it while Snap is on and Shift is not held.
    bool Snap = true;
    int32_t GridStep = 5;

    // The picked item of the vertex's style, if any.
    std::optional<TKXItemRef> Picked() const { return FPicked; }
    // Picks ref (nothing for nullopt, or when the style has no such item) without telling the
    // host; repaints the feedback.
    void SetPicked(std::optional<TKXItemRef> ref);
    // Redraws the feedback after the host changed the vertex, the grid or the box's Actor.
    void UpdateFeedback();

    // A click picked an item or, on empty space, nothing.
    std::function<void(std::optional<TKXItemRef> ref)> OnPick;
    // A drag changed the item's placement in the vertex's style (called at every step).
    std::function<void(TKXItemRef ref, const TRect &placement)> OnItemChanging;
    // A drag ended with the item placed elsewhere than it started; resized tells a handle drag
    // from a move.
    std::function<void(TKXItemRef ref, const TRect &before, const TRect &after, bool resized)> OnItemChanged;

    bool MouseDown(QObject *sender, TMouseButton button, TShiftState shift, const TPoint &p) override;
    bool MouseMove(QObject *sender, TShiftState shift, const TPoint &p) override;
    bool MouseUp(QObject *sender, TMouseButton button, TShiftState shift, const TPoint &p) override;

private:
    class TFeedback;
    friend class TFeedback;
    // p in diagram units made relative to the vertex's top-left corner.
    TPoint VertexPoint(TPoint p) const;
    TKXVertex *FVertex = nullptr;
    std::optional<TKXItemRef> FPicked;
    TKXItemSides FDragSides = 0;  // what the current drag changes; 0 when no drag
    bool FResizing = false;
    TRect FStartPlacement{};
    TPoint FPressPoint{};
    QPointer<QWidget> FFeedback;
};
