#pragma once
// Actors turn the mouse input of a diagram box into operations on its diagram. The box hands
// every press, move and release to its Actor with the position in diagram units.

#include "KXGR/core/KXObject.h"

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>

class TKXDiagramBox;

enum TMouseButton : uint8_t { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

// Keyboard and mouse-button flags of a mouse event, as a bit set.
using TShiftState = uint8_t;
constexpr TShiftState ssShift = 1;
constexpr TShiftState ssAlt = 2;
constexpr TShiftState ssCtrl = 4;
constexpr TShiftState ssLeft = 8;
constexpr TShiftState ssRight = 16;
constexpr TShiftState ssMiddle = 32;
constexpr TShiftState ssDouble = 64;

enum TKXEditState : uint8_t {
    esMoving = 0,      // the left button moved after a press on an object
    esPressed = 1,     // the left button went down on an object other than a selected edge
    esRubberBand = 2,  // the left button went down on empty space
    esIdle = 3,        // a button was released
    esInsertBend = 6,  // the left button went down on a selected edge
    esRemoveBend = 7   // the right button went down on a handle of a selected edge
};

// Sender is the object found at the release (may be nullptr); p is in screen coordinates.
using TKXPopupEvent = std::function<void(TKXObject *sender, TPoint p)>;

// Base actor: ignores all input. Owns nothing; Box and Current are references.
class TKXActor : public QObject {
    Q_OBJECT
public:
    explicit TKXActor(QObject *owner = nullptr);
    ~TKXActor() override;

    // The box this actor serves; set only by the box's Actor setter, cleared when that box is
    // destroyed.
    TKXDiagramBox *Box() const;

    TKXEditState State = esMoving;
    TKXPopupEvent OnPopup;
    TKXObject *Current = nullptr;
    TPoint LastPoint;
    TPoint StartPoint;

    // Called by the box with p in diagram units while this actor is its Actor. The answer is
    // not acted upon; both actor classes answer false.
    virtual bool MouseDown(QObject *sender, TMouseButton button, TShiftState shift, const TPoint &p);
    virtual bool MouseMove(QObject *sender, TShiftState shift, const TPoint &p);
    virtual bool MouseUp(QObject *sender, TMouseButton button, TShiftState shift, const TPoint &p);

private:
    friend class TKXDiagramBox;
    QPointer<TKXDiagramBox> FBox;
};

// Interactive editing: click and rubber-band selection (Shift adds), moving the selection,
// dragging handles and labels, inserting a bend point by a click on a selected edge, removing
// one by a right click on its handle, and OnPopup after a right-button release.
class TKXEditActor : public TKXActor {
    Q_OBJECT
public:
    explicit TKXEditActor(QObject *owner = nullptr);

    bool MouseDown(QObject *sender, TMouseButton button, TShiftState shift, const TPoint &p) override;
    bool MouseMove(QObject *sender, TShiftState shift, const TPoint &p) override;
    bool MouseUp(QObject *sender, TMouseButton button, TShiftState shift, const TPoint &p) override;

private:
    void DrawBand(TPoint a, TPoint b);
    void DrawCurrentOutline();
};
