#pragma once
// The diagram box of the diagram program: the KXGR box, plus what the window needs around the
// actor's work: a word before a press reaches the actor (so the window can take the diagram's
// state, or place a picked style instead), a word after each release, and drops of styles
// dragged from the palette.

#include "KXGR/widgets/KXDiagramBox.h"

#include <functional>
#include <string>

// The drag-and-drop format of a palette style: its name, the bytes as stored.
inline constexpr const char *StyleMimeType = "application/x-glyphsmith-style";

class TDiagramView : public TKXDiagramBox {
    Q_OBJECT
public:
    explicit TDiagramView(QWidget *parent = nullptr);

    // Asked before a press (or a double click) reaches the actor, with the client pixel position; answering true
    // takes the press away from the actor.
    std::function<bool(QPoint pixel)> OnBeforePress;
    // Called after a release was handled by the actor, with its button and whether the mouse
    // moved with a button held since the press.
    std::function<void(Qt::MouseButton button, bool moved)> OnAfterRelease;
    // A palette style dropped at a client pixel position.
    std::function<void(const std::string &styleName, QPoint pixel)> OnStyleDropped;

    // The diagram point under a client pixel position.
    TPoint DiagramPoint(QPoint pixel) const;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    bool FMoved = false;
};
