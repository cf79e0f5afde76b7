#pragma once
// The editor's undo steps. Every change to the library goes through one of these commands on
// the window's QUndoStack. A command keeps whole states (styles copied with AssignStyle), not
// hand-written inverse edits, so undo restores exactly what was there.

#include "KXGR/core/KXStyles.h"

#include <QUndoCommand>

#include <memory>
#include <string>

class TfrmEdit;

// The item a step is about, so undo and redo can show it on its page; Kind none for a step
// about the whole style (a rename, a gesture over several items).
struct TStepItem {
    enum TKind : uint8_t { ikNone, ikDraw, ikText };
    TKind Kind = ikNone;
    std::string Name;  // code page 1252, as in the style
};

// Replaces the content of a library style: redo assigns After, undo assigns Before. The style
// must stay in the library while the command is on the stack (the stack is cleared whenever
// styles are destroyed). The first redo, run by the push, only assigns: the code that pushed
// shows the change itself. Later undos and redos make the window follow the step.
class TStyleChangeCommand : public QUndoCommand {
public:
    TStyleChangeCommand(TfrmEdit &window, TKXVertexStyle *style, const TKXVertexStyle &before,
                        const TKXVertexStyle &after, const QString &text, TStepItem item);

    void undo() override;
    void redo() override;

private:
    void Apply(const TKXVertexStyle &state);

    TfrmEdit &FWindow;
    TKXVertexStyle *FStyle;  // owned by the library
    TKXVertexStyle FBefore;
    TKXVertexStyle FAfter;
    TStepItem FItem;
    bool FPushed = false;
};

// Object > New: appends a style to the library and a node to the tree; undo takes both out
// again and keeps the very style object, so later steps on it stay valid when it comes back.
class TNewStyleCommand : public QUndoCommand {
public:
    TNewStyleCommand(TfrmEdit &window, std::unique_ptr<TKXVertexStyle> style);

    void undo() override;
    void redo() override;

private:
    TfrmEdit &FWindow;
    TKXVertexStyle *FStyle;                 // the style, in the library or held below
    std::unique_ptr<TKXVertexStyle> FHeld;  // the style while it is out of the library
    bool FPushed = false;
};
