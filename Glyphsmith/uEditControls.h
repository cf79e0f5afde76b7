#pragma once
// Small controls of the main window that Qt lacks: a colour swatch, an up-down spinner bound to
// an edit, a code-page-1252 validator for data fields, the project tree whose nodes carry a
// style and whose in-place edits are reported, the preview's actor, and a wheel filter.

#include "KXGR/core/KXTypes.h"
#include "KXGR/widgets/KXActors.h"

#include <QPointer>
#include <QTreeWidget>
#include <QValidator>
#include <QWidget>

#include <functional>

class QLineEdit;
class QToolButton;
class TKXVertexStyle;

// Accepts text only while code page 1252 can hold every character, so a data field never
// stores a character that would change on its way into the library.
class TCp1252Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

// A filled rectangle with a black frame that shows one colour (system colours resolved
// through the palette).
class TColorSwatch : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Color READ Color WRITE SetColor)

public:
    explicit TColorSwatch(QWidget *parent = nullptr);

    TColor Color() const { return FColor; }
    // Stores the colour and repaints.
    void SetColor(TColor value);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TColor FColor = clWhite;
};

// Two arrow buttons that step Position between Min and Max and write it into the Associate
// edit as decimal text. A step starts from the edit's number (brought into the range) when the
// edit holds one, so the spinner never writes a value outside Min to Max; text typed into the
// edit is left alone. Up and Down keys in the edit step as well.
class TUpDown : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Min READ Min WRITE SetMin)
    Q_PROPERTY(int Max READ Max WRITE SetMax)
    Q_PROPERTY(int Position READ Position WRITE SetPosition)
    Q_PROPERTY(bool Wrap READ Wrap WRITE SetWrap)

public:
    explicit TUpDown(QWidget *parent = nullptr);

    int Min() const { return FMin; }
    void SetMin(int value) { FMin = value; }
    int Max() const { return FMax; }
    void SetMax(int value) { FMax = value; }
    int Position() const { return FPosition; }
    // Brought into Min to Max; also written into the Associate.
    void SetPosition(int value);
    // Stepping past one end continues at the other end.
    bool Wrap() const { return FWrap; }
    void SetWrap(bool value) { FWrap = value; }
    QLineEdit *Associate() const { return FAssociate; }
    void SetAssociate(QLineEdit *edit);

    // One step up (+1) or down (-1), as a click on an arrow does.
    void Step(int delta);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    int FMin = 0;
    int FMax = 100;
    int FPosition = 0;
    bool FWrap = false;
    QPointer<QLineEdit> FAssociate;
    QToolButton *FUp;
    QToolButton *FDown;
};

// A node of the project tree; Data is the style it shows (owned by the library), nullptr for
// the root.
class TTreeNode : public QTreeWidgetItem {
public:
    explicit TTreeNode(const QString &text, TKXVertexStyle *data = nullptr);
    TKXVertexStyle *Data;
};

// Tree view with in-place editing of node texts. Edited fires once an in-place edit is
// accepted, with the node and the new text; the node already shows it. Its editor accepts
// only characters of code page 1252.
class TProjectTree : public QTreeWidget {
    Q_OBJECT

public:
    explicit TProjectTree(QWidget *parent = nullptr);

    // The selected node, or nullptr.
    TTreeNode *Selected() const;
    // Every node, the root included.
    int NodeCount() const;
    // Closes an open in-place editor without taking its text.
    void CloseEditor();

protected:
    // A press on the blank area keeps the selection (Qt would clear it).
    void mousePressEvent(QMouseEvent *event) override;

signals:
    void Edited(TTreeNode *node, const QString &text);

private:
    friend class TTreeEditDelegate;
    QPointer<QWidget> FEditor;  // the open in-place editor
};

// The preview's edit actor: after every move it calls OnMoved, so the host can correct what
// the move did (keep the vertex in view) before the box shows it.
class TPreviewActor : public TKXEditActor {
    Q_OBJECT
public:
    using TKXEditActor::TKXEditActor;
    std::function<void()> OnMoved;
    bool MouseMove(QObject *sender, TShiftState shift, const TPoint &p) override;
};

// Lets the mouse wheel change a list only while it has the keyboard focus; over any other
// list the wheel goes on to the parent.
class TFocusWheelFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
