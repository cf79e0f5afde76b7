#include "uUndo.h"

#include "uEdit.h"

#include "KXGR/widgets/KXQtConvert.h"

TStyleChangeCommand::TStyleChangeCommand(TfrmEdit &window, TKXVertexStyle *style, const TKXVertexStyle &before,
                                         const TKXVertexStyle &after, const QString &text, TStepItem item)
    : QUndoCommand(text), FWindow(window), FStyle(style), FItem(std::move(item))
{
    FBefore.AssignStyle(before);
    FAfter.AssignStyle(after);
}

void TStyleChangeCommand::Apply(const TKXVertexStyle &state)
{
    FStyle->AssignStyle(state);
    if (FPushed)
        FWindow.FollowStep(FStyle, FItem);
    FPushed = true;
}

void TStyleChangeCommand::undo()
{
    Apply(FBefore);
}

void TStyleChangeCommand::redo()
{
    Apply(FAfter);
}

TNewStyleCommand::TNewStyleCommand(TfrmEdit &window, std::unique_ptr<TKXVertexStyle> style)
    : QUndoCommand(QObject::tr("New Style '%1'").arg(FromCp1252(style->Name))),
      FWindow(window),
      FStyle(style.get()),
      FHeld(std::move(style))
{
}

void TNewStyleCommand::undo()
{
    FWindow.RemoveStyleNode(FStyle);
    FHeld = FWindow.UOLib->RemoveStyle(FStyle);
}

void TNewStyleCommand::redo()
{
    FWindow.UOLib->AddStyle(std::move(FHeld));
    FWindow.AppendStyleNode(FStyle);
    if (FPushed)
        FWindow.FollowStep(FStyle, {});
    else
        FWindow.RefreshItemPages();
    FPushed = true;
}
