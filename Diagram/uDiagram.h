#pragma once
// The diagram program's main window: a diagram box in the middle, the palette of the open
// libraries and the properties of the selection beside it, and the commands on diagrams.
// Every change of the diagram is one undo step that keeps the diagram's stored form before
// and after it; undoing puts the stored form back.

#include "StyleLibraries.h"
#include "uDialogs.h"

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QUndoStack>

#include <functional>
#include <map>
#include <memory>
#include <string>

class QAction;
class QFormLayout;
class QPagedPaintDevice;
class QPrinter;
class QSpinBox;
class TDiagramView;
class TKXConnectActor;
class TKXDataVertex;
class TKXEditActor;
class TStylePalette;

inline constexpr const char *DiagramTitle = "Glyphsmith Diagram";

// What an undo step keeps of the diagram: its stored form (places, sizes, values, edges,
// labels) and the look of each style in use, which the stored form holds by name only.
struct TDiagramState {
    using TStyles = std::map<std::string, std::shared_ptr<const TKXVertexStyle>>;
    QByteArray Stored;
    TStyles Styles;
    bool operator==(const TDiagramState &other) const;
};

// The print dialog behind a seam: Answer stands in for the user in tests.
class TPrintDialog {
public:
    explicit TPrintDialog(QWidget *parent = nullptr) : FParent(parent) {}
    std::function<bool(QPrinter &)> Answer;
    // Shows Qt's print dialog for printer (or asks Answer); true when the user confirmed.
    bool Execute(QPrinter &printer);

private:
    QWidget *FParent;
};

class TfrmDiagram : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmDiagram(QWidget *parent = nullptr);
    ~TfrmDiagram() override;

    TDiagramView *KXB = nullptr;
    TKXEditActor *EditActor = nullptr;
    TKXConnectActor *ConnectActor = nullptr;
    TStylePalette *Palette = nullptr;
    QWidget *Properties = nullptr;
    QSpinBox *GridStepEdit = nullptr;
    QUndoStack UndoStack;

    // Dialogs: diagrams (open, save as), libraries, exports, printing.
    TOpenDialog OD;
    TSaveDialog SD;
    TOpenDialog LibraryDialog;
    TSaveDialog ExportDialog;
    TPrintDialog PrintDialog;

    QAction *actNew, *actOpen, *actSave, *actSaveAs, *actOpenLibrary, *actPrint, *actExportPdf, *actExportPng,
        *actQuit, *actUndo, *actRedo, *actDelete, *actSelectAll, *actEditMode, *actConnectMode, *actZoomIn,
        *actZoomOut, *actZoomFit, *actGrid, *actPageLines;

    const TKXStyleLibraries &Libraries() const { return FLibraries; }
    // The diagram file being edited (UTF-8), "" for a new diagram; whether it is in text form.
    const std::string &FileName() const { return FFileName; }
    bool TextForm() const { return FTextForm; }
    bool Modified() const { return !UndoStack.isClean(); }

    // The commands. Each raises what its file or library operation raises and leaves the
    // diagram as it was before the command when it fails.
    void OpenLibrary(const std::string &fileName);
    // Asks to save unsaved changes first; false when the user cancels.
    bool ConfirmDiscard();
    void NewDiagram();
    // Recognises the binary and the text form by the first bytes.
    void OpenDiagram(const std::string &fileName);
    // The text form for ".kxt", the binary form otherwise.
    void SaveDiagram(const std::string &fileName);
    // Places a styled vertex of the standard size around a diagram point.
    TKXDataVertex *PlaceStyle(const std::string &styleName, TPoint center);
    void SelectAll();
    // Deletes the selected vertices and edges and the edges of deleted vertices.
    void DeleteSelection();
    void SetValue(TKXDataVertex *vertex, const std::string &fieldName, const std::string &value);
    void SetCaption(TKXObject *edge, const std::string &caption);
    void ZoomBy(int direction);
    void ZoomToFit();
    // Checks the open libraries against their files; when a library the diagram uses was saved
    // again with changed styles, offers to update the placed vertices of those styles (one
    // undo step) and names the styles the library no longer has.
    void LibraryFileChanged(const std::string &fileName);

    // Printer mode onto any paged device, one page per printer page the diagram covers.
    void PrintTo(QPagedPaintDevice &device);
    void ExportPdf(const std::string &fileName);
    void ExportPng(const std::string &fileName);

    // The properties of the selection, built anew from the diagram.
    void RefreshProperties();
    void RefreshCaption();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    TKXStyleLibraries FLibraries;
    QFileSystemWatcher FWatcher;
    QTemporaryDir FScratch;
    std::string FFileName;
    bool FTextForm = false;
    // The diagram after the last undo step; taken when first needed.
    TDiagramState FState;
    bool FStateKnown = false;

    friend class TDiagramChange;

    void BuildMenus();
    void BuildDocks();
    // Runs a command as a slot does: an error ends it in the error box.
    void Run(const std::function<void()> &command);

    // Undo support: the diagram's state, taking it, putting it back.
    TDiagramState TakeState();
    void RestoreState(const TDiagramState &state);
    void ClearDiagram();
    void SelectEverything();
    // Makes sure the state before a change is known.
    void BeginChange();
    // Pushes an undo step when the diagram differs from the last known state.
    void CommitChange(const QString &text);

    void LoadInto(const std::string &fileName, bool textForm);
    bool PressOnDiagram(QPoint pixel);
    void StyleDropped(const std::string &styleName, QPoint pixel);
    void UpdateTitle();
};
