#pragma once
// The editor's main window: the project tree of the one user-object library, the live preview
// of the selected style, the draw-item and text-item pages, and the Project, Object and Help
// menus. The form comes from uEdit.ui; its components are public members named as there.
//
// Handlers live in two files: uEdit.cpp (window, tree, preview, Object, Project and Help
// menus) and uItemPages.cpp (the two item pages, ClearItemPages and RefreshItemPages).
// Errors raised by a handler leave it to the application's top level, which shows them.

#include "ui_uEdit.h"
#include "uDialogs.h"
#include "uEditControls.h"
#include "uSampleTexts.h"
#include "uSizeStrip.h"
#include "uStyleLists.h"

#include "KXGR/core/KXItemEdit.h"

#include "KXGR/core/KXCanvas.h"
#include "KXGR/core/KXTypes.h"

#include <QMainWindow>

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

class TfrmEdit : public QMainWindow, public Ui::TfrmEdit {
    Q_OBJECT

public:
    // Builds the form, wires the handlers; caption "Glyphsmith", fixed size, centred on the screen.
    explicit TfrmEdit(QWidget *parent = nullptr);
    ~TfrmEdit() override;

    // Non-visual components, owned by the window.
    std::unique_ptr<TKXUOLibrary> UOLib;  // OnGetData = UOLibGetData
    TKXEditActor *KXEditActor1;           // KXB's Actor (Qt child of the window)
    TKXItemActor *ItemActor;              // KXB's Actor while "Edit items" is on
    TSampleTexts Samples;                 // what the preview shows for text items
    TOpenDialog OD;                       // "UserObject Libraries (*.uol)", extension "uol"
    TSaveDialog SD;
    TColorDialog CD;
    TFontDialog FD;                       // starts at "MS Sans Serif", 8 points
    QAction *N1;                          // the separators of the Help and Project menus
    QAction *N2;

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
    void New2Click();   // empty library, root only, caption "Glyphsmith - untitled"
    void Load1Click();  // replace the library with a chosen file; errors leave an empty tree
    // Open's work after its dialog: the tree rebuilt from fileName's styles, the caption naming
    // it. Raises the library's error and leaves the tree empty.
    void OpenLibrary(const std::string &fileName);
    // The file named on the command line: opened as by Project > Open, and proposed by Save.
    // A failure is shown in the error box and leaves the library empty.
    void OpenAtStart(const std::string &fileName);
    void Save1Click();  // write the library to a chosen file (proposing OD's name)
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
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // --- item pages (uItemPages.cpp) ---
    // One-time set-up of the name boxes, called by the constructor.
    void SetupItemPages();
    // Set the fields of an item from the page's controls in the page's order; a failing
    // integer parse (EConvertError) leaves the fields before it set.
    void TakeDrawItem(TKXDrawItem &item) const;
    void TakeTextItem(TKXTextItem &item) const;
    // Makes font the sample's font, shown on lblSample.
    void ShowSampleFont(const TKXFont &font);
    TKXFont FSampleFont;  // the text page's font; at start the window's font

    void ConnectHandlers();
    // --- uPreviewEdit.cpp ---
    void SetupPreviewEditing();
    // After the preview changed its style: the strip and the pick follow.
    void PreviewChanged();
    TKXVertexStyle *FPickedStyle = nullptr;  // the library style the item actor's pick is in
    // Makes style (a library style) equal to after, as one step named text about an item.
    void RecordStyleChange(TKXVertexStyle *style, const TKXVertexStyle &after, const QString &text, bool isText,
                           const std::string &itemName);
    TKXVertex *PreviewVertex = nullptr;  // owned by KXB
    bool FShown = false;
};
