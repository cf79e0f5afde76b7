#pragma once
// Owner-drawn drop-down lists: every entry, and the face of the closed list, is painted by the
// host through a canvas, so a list of pen or brush styles shows pictures instead of its texts.

#include "KXGR/core/KXCanvas.h"
#include "KXGR/core/KXTypes.h"

#include <QComboBox>

#include <cstdint>
#include <functional>

// State of the entry being painted (a bit set).
using TOwnerDrawState = uint8_t;
constexpr TOwnerDrawState odSelected = 1;      // the highlighted entry of the open list
constexpr TOwnerDrawState odFocused = 2;       // has the keyboard focus
constexpr TOwnerDrawState odComboBoxEdit = 4;  // the face of the closed list

// Paints entry Index into Rect (device pixels of Canvas). The list has prepared the canvas:
// the background is filled (list colour, or the highlight colour when selected); pen and brush
// carry the matching foreground colour, the pen with width 1, the brush with style bsClear.
// The handler paints the picture only.
using TDrawItemEvent =
    std::function<void(TKXCanvas &Canvas, int Index, const TRect &Rect, TOwnerDrawState State)>;

// A drop-down list without free text whose entries all have the same height (ItemHeight, in
// pixels) and are painted by OnDrawItem. Without a handler the entries show nothing.
class TKXOwnerDrawComboBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(int ItemHeight READ ItemHeight WRITE SetItemHeight)

public:
    explicit TKXOwnerDrawComboBox(QWidget *parent = nullptr);

    TDrawItemEvent OnDrawItem;

    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int value);

    // Paints entry index the way the list does (background, prepared canvas, handler, focus
    // frame) into rect of painter; used by the open list, the closed face and by tests.
    void PaintEntry(QPainter &painter, int index, const QRect &rect, TOwnerDrawState state);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int FItemHeight = 16;
};
