#pragma once
// The editor's main window: the project tree of the one user-object library, the live preview
// of the selected style, the draw-item and text-item pages, and the Project, Object and Help
// menus. The form comes from uEdit.ui; its components are public members named as there.
//
// Handlers live in two files: uEdit.cpp (window, tree, preview, Object, Project and Help
// menus) and uItemPages.cpp (the two item pages, ClearItemPages and RefreshItemPages).
// Every handler connected to a control runs guarded (Guarded in uApplication.h): an error it
// raises ends in the error box at its entry.
//
// Every change to the library goes through UndoStack (commands in uUndo.h); the undo stack's
// clean state is the saved state, shown by the caption's "[*]" mark.

#include "ui_uEdit.h"
#include "uDialogs.h"
#include "uEditControls.h"
#include "uSampleTexts.h"
#include "uSizeStrip.h"
#include "uStyleLists.h"
#include "uUndo.h"

#include "KXGR/core/KXItemEdit.h"

#include "KXGR/core/KXCanvas.h"
#include "KXGR/core/KXTypes.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class TKXDrawItem;
class TKXEditActor;
class TKXItemActor;
class TKXTextItem;
class TKXUOLibrary;
class TKXVertex;
class TKXVertexStyle;
class QUndoStack;

class TfrmEdit : public QMainWindow, public Ui::TfrmEdit {
    Q_OBJECT

public:
    // Builds the form, wires the handlers; caption "Glyphsmith", fixed size, centred on the screen.
    explicit TfrmEdit(QWidget *parent = nullptr);
    ~TfrmEdit() override;

    // Non-visual components, owned by the window.
    std::unique_ptr<TKXUOLibrary> UOLib;  // OnGetData = UOLibGetData
    TPreviewActor *KXEditActor1;          // KXB's Actor (Qt child of the window)
    TKXItemActor *ItemActor;              // KXB's Actor while "Edit items" is on
    TSampleTexts Samples;                 // what the preview shows for text items
    TOpenDialog OD;                       // "UserObject Libraries (*.uol)", extension "uol"
    TSaveDialog SD;
    TColorDialog CD;
    TFontDialog FD;                       // starts at "MS Sans Serif", 8 points
    QAction *N1;                          // the separators of the Help and Project menus
    QAction *N2;
    QUndoStack *UndoStack;                // the library's history (Qt child of the window)

    // The caption as the window shows it: the unsaved-changes mark "[*]" resolved.
    QString Caption() const;

    // --- undo (uEdit.cpp) ---
    // Records a finished change of the library style `style` as one undo step named text
    // ("Move 'frame'"): redo gives the style the content of after, undo that of before (both
    // copied with AssignStyle, so the caller may drop its copies). The style may already hold
    // after (changed live during a gesture); the push assigns it anyway and refreshes nothing:
    // the caller shows the change. A later undo or redo selects the style, refreshes the tree,
    // the pages and the preview, and shows item (if any) on its page.
    void PushStyleChange(TKXVertexStyle *style, const TKXVertexStyle &before, const TKXVertexStyle &after,
                         const QString &text, const TStepItem &item = {});
    // For the undo commands: bring the tree, the pages and the preview to a step undone or
    // redone on style; append or remove the tree node of a style.
    void FollowStep(TKXVertexStyle *style, const TStepItem &item);
    void AppendStyleNode(TKXVertexStyle *style);
    void RemoveStyleNode(const TKXVertexStyle *style);
    void Undo1Click();
    void Redo1Click();

    // --- window, tree and preview (uEdit.cpp) ---
    // First showing: puts the preview vertex (100 x 50 around the box's centre, its own empty
    // style) into KXB unselected.
    void FormShow();
    // The library style of the selected node; nullptr for no node or the root.
    TKXVertexStyle *CurrentStyle() const;
    // Empties the tree (root included), drops the preview's style, blanks the item pages.
    void ClearProject();
    // Makes the preview show a deep copy of CurrentStyle (which must not be nullptr), grown
    // to the preview vertex's size.
    void RefreshPreview();
    // Selection changed: refills the pages; shows a selected style in the preview.
    void ProjectTreeChange();
    // In-place edit of node accepted with text s: renames its style (the root only changes text).
    void ProjectTreeEdited(TTreeNode *node, const std::string &s);
    // Object > New: appends style "Style<node count>" to the library and the tree.
    // EListError "Ungültiger Index" when the tree has no root.
    void New1Click();
    // Object > Delete: only refreshes the item pages.
    void Delete1Click();
    // The library's data event: the item's sample text, by default "<<" + fieldname + ">>".
    std::string UOLibGetData(int32_t id, const std::string &fieldname, TObject *theObject);

    // --- Project and Help menus (uEdit.cpp) ---
    // New, Open, Quit and closing the window first ask whether to save unsaved changes
    // (MaybeSave); New and Open start a fresh undo history.
    void New2Click();   // empty library, root only, caption "Glyphsmith - untitled"
    void Load1Click();  // replace the library with a chosen file; errors leave an empty tree
    void Save1Click();  // "&Save...": write the library to a chosen file (proposing OD's name)
    void Save2Click();  // "Save": write to the current file without asking; none: as Save1Click
    void Quit1Click();  // close the window
    void Contents1Click();
    void SearchforHelpOn1Click();
    void Info2Click();  // the about window, modally

    // --- item pages (uItemPages.cpp) ---
    // Blanks the draw-item page and empties both name boxes and their lists.
    void ClearItemPages();
    // ClearItemPages, then fills both name lists from CurrentStyle's items.
    void RefreshItemPages();

    void DINameCBChange();
    void btnAddClick();
    void btnModifyClick();
    void btnDeleteClick();
    void DIAlignCBChange();
    void Button5Click();
    void Button1Click();
    void DIStyleCBDrawItem(TKXCanvas &Canvas, int Index, const TRect &Rect, TOwnerDrawState State);
    void DIBStyleCBDrawItem(TKXCanvas &Canvas, int Index, const TRect &Rect, TOwnerDrawState State);

    void TINameCBChange();
    void Button3Click();
    void Button6Click();
    void btnTIDeleteClick();
    void Button2Click();
    void Button4Click();
    void ComboBox3DrawItem(TKXCanvas &Canvas, int Index, const TRect &Rect, TOwnerDrawState State);

    // Opens fileName as Open does after its dialog (OD keeps the name for "&Save...").
    void OpenRecent(const QString &fileName);
    // The file named on the command line, opened as OpenRecent does. A failure is shown in the
    // error box and leaves the library empty.
    void OpenAtStart(const std::string &fileName);
    // The recent-files list of the Project menu, newest first, absolute paths (QSettings).
    QStringList RecentFiles() const;

    // --- preview editing, size strip, sample texts (uPreviewEdit.cpp) ---
    // "Edit items" toggled: the preview's mouse edits the style's items, or resizes the vertex.
    void btnEditItemsClick(bool on);
    // A click in the preview picked an item: its page shows it.
    void ItemPicked(std::optional<TKXItemRef> ref);
    // A drag moved the item in the preview: the page's coordinate fields follow.
    void ItemChanging(TKXItemRef ref, const TRect &placement);
    // A drag ended: the library style takes the item's new placement as one undo step.
    void ItemChanged(TKXItemRef ref, const TRect &before, const TRect &after, bool resized);
    // Enter in the "Sizes" field: the strip takes the typed sizes; bad ones are reported.
    void edSizesReturn();
    // The "Sample" controls show the sample of the text item named in TINameCB.
    void ShowSample();
    // The user chose or typed a sample: it is kept for that name and shown.
    void TISampleChange();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // --- item pages (uItemPages.cpp) ---
    // One-time set-up of the name boxes, called by the constructor.
    void SetupItemPages();
    // Set the fields of an item from the page's controls in the page's order; a failing
    // integer parse (EConvertError) leaves the fields before it set.
    void TakeDrawItem(TKXDrawItem &item) const;
    void TakeTextItem(TKXTextItem &item) const;
    // Modify: take (which writes the page's fields into an item of after, a copy of style)
    // becomes the step "Modify '<name>'", then the preview follows. When take fails part way,
    // the fields it took are recorded all the same and the error goes on.
    void PushModify(TKXVertexStyle *style, const TKXVertexStyle &after, const TStepItem &item,
                    const std::function<void()> &take);
    // Makes font the sample's font, shown on lblSample.
    void ShowSampleFont(const TKXFont &font);
    TKXFont FSampleFont;  // the text page's font; at start the window's font

    void ConnectHandlers();

    // --- files (uEdit.cpp) ---
    // Open's steps after its dialog; the current file is fileName once it has loaded.
    void OpenLibrary(const std::string &fileName);
    // "&Save...": false when the dialog was cancelled.
    bool SaveAs();
    // Save to the current file, or SaveAs when there is none; false when cancelled.
    bool SaveCurrent();
    // Writes the library; on success it becomes the current file, the saved (clean) state and
    // the newest recent file. Errors of SaveToFile go on, changing nothing.
    void SaveLibrary(const std::string &fileName);
    // With unsaved changes asks "Save changes to "<file>"?" (Save / Discard / Cancel); true
    // when the caller may go on: nothing unsaved, saved, or discarded.
    bool MaybeSave();
    // "Glyphsmith - " + fileName, with the unsaved-changes mark.
    void SetCaption(const QString &fileName);
    void AddRecentFile(const std::string &fileName);
    void UpdateRecentMenu();
    std::string FFileName;  // the current file: last opened or saved; empty after New

    // --- preview (uEdit.cpp) ---
    TPoint PreviewCentre() const;
    // Puts the preview vertex back to its first place and size, 100 x 50 around the centre.
    void PlacePreviewVertex();
    // Moves the preview vertex back so that part of it stays in view.
    void KeepPreviewInView();
    // The tree node of a library style; nullptr when it has none.
    TTreeNode *NodeOf(const TKXVertexStyle *style) const;

    // --- uPreviewEdit.cpp ---
    void SetupPreviewEditing();
    // After the preview changed its style: the strip and the pick follow.
    void PreviewChanged();
    TKXVertexStyle *FPickedStyle = nullptr;  // the library style the item actor's pick is in
    TKXVertex *PreviewVertex = nullptr;  // owned by KXB
    bool FShown = false;
};
