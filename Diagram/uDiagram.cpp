#include "uDiagram.h"

#include "DataVertex.h"
#include "uApplication.h"
#include "uDiagramView.h"
#include "uPalette.h"

#include "KXGR/core/KXEdge.h"
#include "KXGR/core/KXErrors.h"
#include "KXGR/widgets/KXActors.h"
#include "KXGR/widgets/KXConnectActor.h"
#include "KXGR/widgets/KXPrinterInfo.h"
#include "KXGR/widgets/KXQtCanvas.h"
#include "KXGR/widgets/KXQtConvert.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>
#include <QPrintDialog>
#include <QPrinter>
#include <QSpinBox>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <fstream>
#include <set>

namespace {

const char *const DiagramFilter = "Diagrams (*.kx)|*.kx|Text diagrams (*.kxt)|*.kxt";
const char *const LibraryFilter = "UserObject Libraries (*.uol)|*.uol";
const int ZoomSteps[] = {10, 25, 50, 75, 100, 150, 200, 300, 400, 800};
// Pictures larger than this on a side are refused instead of allocated.
constexpr int64_t MaxPictureSide = 20000;

bool IsTextName(const std::string &fileName)
{
    return QFileInfo(QString::fromStdString(fileName)).suffix().compare(QLatin1String("kxt"), Qt::CaseInsensitive)
        == 0;
}

// The binary form starts with the magic as a string value: tag 6, length 6, "KX1.00".
bool StartsAsBinary(const std::string &fileName)
{
    std::ifstream file(fileName, std::ios::binary);
    char head[8] = {};
    file.read(head, sizeof head);
    return file.gcount() == 8 && std::string(head, 8) == std::string("\x06\x06KX1.00", 8);
}

// The styles in use first, so a restored diagram looks as it did; then the open libraries.
class TStateStyles : public TKXStyleSource {
public:
    TStateStyles(const TDiagramState::TStyles &styles, const TKXStyleSource &libraries)
        : FStyles(styles), FLibraries(libraries) {}
    const TKXVertexStyle *FindStyle(const std::string &name) const override
    {
        const auto found = FStyles.find(name);
        return found != FStyles.end() ? found->second.get() : FLibraries.FindStyle(name);
    }

private:
    const TDiagramState::TStyles &FStyles;
    const TKXStyleSource &FLibraries;
};

} // namespace

bool TDiagramState::operator==(const TDiagramState &other) const
{
    if (Stored != other.Stored || Styles.size() != other.Styles.size())
        return false;
    for (auto a = Styles.begin(), b = other.Styles.begin(); a != Styles.end(); ++a, ++b)
        if (a->first != b->first || !SameStyle(*a->second, *b->second))
            return false;
    return true;
}

bool TPrintDialog::Execute(QPrinter &printer)
{
    if (Answer)
        return Answer(printer);
    QPrintDialog dialog(&printer, FParent);
    return dialog.exec() == QDialog::Accepted;
}

// One undo step: the diagram's state before and after a change. The change itself has been
// made when the step is pushed, so its first redo does nothing.
class TDiagramChange : public QUndoCommand {
public:
    TDiagramChange(TfrmDiagram &window, const QString &text, TDiagramState before, TDiagramState after)
        : QUndoCommand(text), FWindow(window), FBefore(std::move(before)), FAfter(std::move(after)) {}
    void undo() override { Put(FBefore); }
    void redo() override
    {
        if (FDone)
            FDone = false;
        else
            Put(FAfter);
    }

private:
    // Called by QUndoStack: nothing may unwind into it.
    void Put(const TDiagramState &state)
    {
        try {
            FWindow.RestoreState(state);
        } catch (const std::exception &e) {
            ShowException(e);
        }
    }
    TfrmDiagram &FWindow;
    TDiagramState FBefore, FAfter;
    bool FDone = true;
};

TfrmDiagram::TfrmDiagram(QWidget *parent)
    : QMainWindow(parent), OD(this), SD(this), LibraryDialog(this), ExportDialog(this), PrintDialog(this)
{
    KXB = new TDiagramView(this);
    KXB->SetColor(clWhite);
    KXB->SetScrolling(true);
    KXB->OnError = [](const std::exception &e) { ShowException(e); };
    KXB->RegisterObjectClass(TKXDataVertex::ClassRecord);
    KXB->RegisterObjectClass(TKXCustomEdge::ClassRecord);
    setCentralWidget(KXB);
    EditActor = new TKXEditActor(this);
    ConnectActor = new TKXConnectActor(this);
    KXB->SetActor(EditActor);
    KXB->OnBeforePress = [this](QPoint pixel) { return PressOnDiagram(pixel); };
    KXB->OnAfterRelease = [this](Qt::MouseButton button, bool moved) {
        Run([&] {
            const TKXObject *current = KXB->Actor() ? KXB->Actor()->Current : nullptr;
            // A left click that did not move changes the diagram only on an edge (a new bend):
            // otherwise it selects, and taking the whole diagram's state again is spared.
            if (!moved && button == Qt::LeftButton && !(current && current->Kind == okEdge)) {
                RefreshProperties();
                return;
            }
            QString text = tr("Connect");
            if (KXB->Actor() == EditActor) {
                const TKXObjectKind owner = current && current->Kind == okHandle && !current->Links.empty()
                    ? current->Links[0]->Kind : okHandle;
                text = !current                   ? tr("Edit")
                    : current->Kind == okVertex   ? tr("Move")
                    : owner == okVertex           ? tr("Resize")
                    : current->Kind == okAdjacent || owner == okAdjacent ? tr("Move label")
                                                                         : tr("Bend");
            }
            CommitChange(text);
            RefreshProperties();
        });
    };
    KXB->OnStyleDropped = [this](const std::string &name, QPoint pixel) {
        Run([&] { StyleDropped(name, pixel); });
    };

    OD.Filter = SD.Filter = DiagramFilter;
    OD.DefaultExt = SD.DefaultExt = "kx";
    OD.Title = tr("Open Diagram").toStdString();
    SD.Title = tr("Save Diagram As").toStdString();
    LibraryDialog.Filter = LibraryFilter;
    LibraryDialog.DefaultExt = "uol";
    LibraryDialog.Title = tr("Open Library").toStdString();

    connect(&FWatcher, &QFileSystemWatcher::fileChanged, this,
            [this](const QString &path) { Run([&] { LibraryFileChanged(path.toStdString()); }); });
    connect(&UndoStack, &QUndoStack::cleanChanged, this, [this] { UpdateTitle(); });

    BuildDocks();
    BuildMenus();
    RefreshProperties();
    UpdateTitle();
    resize(1100, 750);
}

TfrmDiagram::~TfrmDiagram()
{
    // The steps refer to the window; the box goes with its Qt parent.
    UndoStack.clear();
}

void TfrmDiagram::Run(const std::function<void()> &command)
{
    try {
        command();
    } catch (const std::exception &e) {
        ShowException(e);
    }
}

void TfrmDiagram::BuildDocks()
{
    Palette = new TStylePalette;
    auto *paletteDock = new QDockWidget(tr("Styles"), this);
    paletteDock->setObjectName(QStringLiteral("paletteDock"));
    paletteDock->setWidget(Palette);
    addDockWidget(Qt::LeftDockWidgetArea, paletteDock);

    Properties = new QWidget;
    Properties->setLayout(new QVBoxLayout);
    Properties->layout()->setContentsMargins(6, 6, 6, 6);
    auto *propertiesDock = new QDockWidget(tr("Properties"), this);
    propertiesDock->setObjectName(QStringLiteral("propertiesDock"));
    propertiesDock->setWidget(Properties);
    addDockWidget(Qt::RightDockWidgetArea, propertiesDock);
}

void TfrmDiagram::BuildMenus()
{
    const auto command = [this](QMenu *menu, const QString &text, QKeySequence key, auto &&body) {
        QAction *action = menu->addAction(text);
        action->setShortcut(key);
        connect(action, &QAction::triggered, this, [this, body] { Run(body); });
        return action;
    };
    QMenu *file = menuBar()->addMenu(tr("&File"));
    actNew = command(file, tr("&New"), QKeySequence::New, [this] {
        if (ConfirmDiscard())
            NewDiagram();
    });
    actOpen = command(file, tr("&Open..."), QKeySequence::Open, [this] {
        if (ConfirmDiscard() && OD.Execute())
            OpenDiagram(OD.FileName);
    });
    actOpenLibrary = command(file, tr("Open &Library..."), QKeySequence(Qt::CTRL | Qt::Key_L), [this] {
        if (LibraryDialog.Execute())
            OpenLibrary(LibraryDialog.FileName);
    });
    file->addSeparator();
    actSave = command(file, tr("&Save"), QKeySequence::Save, [this] {
        if (FFileName.empty())
            actSaveAs->trigger();
        else
            SaveDiagram(FFileName);
    });
    actSaveAs = command(file, tr("Save &As..."), QKeySequence::SaveAs, [this] {
        SD.FileName = FFileName;
        SD.FilterIndex = FTextForm ? 2 : 1;
        if (SD.Execute())
            SaveDiagram(SD.FileName);
    });
    file->addSeparator();
    actPrint = command(file, tr("&Print..."), QKeySequence::Print, [this] {
        QPrinter printer;
        if (PrintDialog.Execute(printer))
            PrintTo(printer);
    });
    actExportPdf = command(file, tr("Export to P&DF..."), QKeySequence(), [this] {
        ExportDialog.Filter = "PDF documents (*.pdf)|*.pdf";
        ExportDialog.DefaultExt = "pdf";
        if (ExportDialog.Execute())
            ExportPdf(ExportDialog.FileName);
    });
    actExportPng = command(file, tr("Export to P&NG..."), QKeySequence(), [this] {
        ExportDialog.Filter = "PNG pictures (*.png)|*.png";
        ExportDialog.DefaultExt = "png";
        if (ExportDialog.Execute())
            ExportPng(ExportDialog.FileName);
    });
    file->addSeparator();
    actQuit = command(file, tr("&Quit"), QKeySequence::Quit, [this] { close(); });

    QMenu *edit = menuBar()->addMenu(tr("&Edit"));
    actUndo = UndoStack.createUndoAction(this, tr("&Undo"));
    actUndo->setShortcut(QKeySequence::Undo);
    actRedo = UndoStack.createRedoAction(this, tr("&Redo"));
    actRedo->setShortcut(QKeySequence::Redo);
    edit->addAction(actUndo);
    edit->addAction(actRedo);
    edit->addSeparator();
    actDelete = command(edit, tr("&Delete"), QKeySequence::Delete, [this] { DeleteSelection(); });
    actSelectAll = command(edit, tr("Select &All"), QKeySequence::SelectAll, [this] { SelectAll(); });

    QMenu *mode = menuBar()->addMenu(tr("&Mode"));
    auto *modes = new QActionGroup(this);
    actEditMode = command(mode, tr("&Edit"), QKeySequence(Qt::Key_F2), [this] { KXB->SetActor(EditActor); });
    actConnectMode = command(mode, tr("&Connect"), QKeySequence(Qt::Key_F3), [this] {
        Palette->ClearPick();
        KXB->SetActor(ConnectActor);
    });
    for (QAction *a : {actEditMode, actConnectMode}) {
        a->setCheckable(true);
        modes->addAction(a);
    }
    actEditMode->setChecked(true);

    QMenu *view = menuBar()->addMenu(tr("&View"));
    actZoomIn = command(view, tr("Zoom &In"), QKeySequence::ZoomIn, [this] { ZoomBy(1); });
    actZoomOut = command(view, tr("Zoom &Out"), QKeySequence::ZoomOut, [this] { ZoomBy(-1); });
    actZoomFit = command(view, tr("Zoom to &Fit"), QKeySequence(Qt::CTRL | Qt::Key_0), [this] { ZoomToFit(); });
    view->addSeparator();
    actGrid = command(view, tr("&Grid"), QKeySequence(Qt::CTRL | Qt::Key_G),
                      [this] { KXB->SetShowGrid(actGrid->isChecked()); });
    actPageLines = command(view, tr("&Page Lines"), QKeySequence(),
                           [this] { KXB->SetShowPrinterPage(actPageLines->isChecked()); });
    actGrid->setCheckable(true);
    actPageLines->setCheckable(true);

    GridStepEdit = new QSpinBox;
    GridStepEdit->setRange(5, 1000);
    GridStepEdit->setValue(KXB->GridStep());
    GridStepEdit->setSuffix(tr(" units"));
    GridStepEdit->setToolTip(tr("Grid step"));
    connect(GridStepEdit, &QSpinBox::valueChanged, this, [this](int step) { Run([&] { KXB->SetGridStep(step); }); });

    QToolBar *tools = addToolBar(tr("Tools"));
    tools->setObjectName(QStringLiteral("tools"));
    for (QAction *a : {actNew, actOpen, actSave, actOpenLibrary, actUndo, actRedo, actDelete, actEditMode,
                       actConnectMode, actZoomIn, actZoomOut, actZoomFit, actGrid})
        tools->addAction(a);
    tools->addWidget(GridStepEdit);
    tools->addAction(actPageLines);
}

void TfrmDiagram::UpdateTitle()
{
    const QString name = FFileName.empty() ? tr("Untitled") : QFileInfo(QString::fromStdString(FFileName)).fileName();
    setWindowTitle(name + (Modified() ? QStringLiteral("*") : QString()) + QStringLiteral(" - ")
                   + QLatin1String(DiagramTitle));
}

// ---- Libraries and placing ----

void TfrmDiagram::OpenLibrary(const std::string &fileName)
{
    if (FLibraries.IndexOf(fileName) >= 0) {
        LibraryFileChanged(fileName);
        return;
    }
    FLibraries.Open(fileName);
    FWatcher.addPath(QString::fromStdString(fileName));
    Palette->Fill(FLibraries);
    // Vertices whose style no open library held until now take it; their stored form is the same.
    for (const auto &object : KXB->Vertices)
        if (auto *vertex = dynamic_cast<TKXDataVertex *>(object.get()))
            if (vertex->Style && vertex->Style->DrawItems.empty() && vertex->Style->TextItems.empty())
                if (const TKXVertexStyle *style = FLibraries.FindStyle(vertex->StyleName()))
                    vertex->Restyle(style);
    FStateKnown = false;
    KXB->Invalidate();
    RefreshProperties();
}

TKXDataVertex *TfrmDiagram::PlaceStyle(const std::string &styleName, TPoint center)
{
    const TKXVertexStyle *style = FLibraries.FindStyle(styleName);
    if (!style)
        throw EKXDiagramError("No open library holds the style " + styleName);
    BeginChange();
    auto vertex = std::make_unique<TKXDataVertex>(center, style);
    TKXObject *taken = KXB->AddObject(vertex.get(), moNew);
    if (taken)
        vertex.release();
    KXB->Invalidate();
    CommitChange(tr("Place %1").arg(FromCp1252(styleName)));
    RefreshProperties();
    return dynamic_cast<TKXDataVertex *>(taken);
}

bool TfrmDiagram::PressOnDiagram(QPoint pixel)
{
    try {
        const std::string picked = Palette->PickedStyle();
        if (!picked.empty() && KXB->Actor() == EditActor) {
            Palette->ClearPick();
            PlaceStyle(picked, KXB->DiagramPoint(pixel));
            return true;
        }
        BeginChange();
    } catch (const std::exception &e) {
        ShowException(e);
        return true;
    }
    return false;
}

void TfrmDiagram::StyleDropped(const std::string &styleName, QPoint pixel)
{
    Palette->ClearPick();
    PlaceStyle(styleName, KXB->DiagramPoint(pixel));
}

void TfrmDiagram::SelectEverything()
{
    for (const TKXObjectList *list : {&KXB->Vertices, &KXB->Edges})
        for (const auto &object : *list)
            KXB->SelectObject(object.get(), true);
}

void TfrmDiagram::SelectAll()
{
    SelectEverything();
    KXB->Invalidate();
    RefreshProperties();
}

void TfrmDiagram::DeleteSelection()
{
    if (KXB->Selection.empty())
        return;
    BeginChange();
    KXB->DeleteSelection();
    CommitChange(tr("Delete"));
    RefreshProperties();
}

void TfrmDiagram::SetValue(TKXDataVertex *vertex, const std::string &fieldName, const std::string &value)
{
    if (vertex->Value(fieldName) == value)
        return;
    BeginChange();
    vertex->SetValue(fieldName, value);
    KXB->Invalidate();
    CommitChange(tr("Edit %1").arg(FromCp1252(fieldName)));
}

void TfrmDiagram::SetCaption(TKXObject *edge, const std::string &caption)
{
    auto *e = dynamic_cast<TKXCustomEdge *>(edge);
    if (!e || e->Adjacent->Caption == caption)
        return;
    BeginChange();
    e->Adjacent->Caption = caption;
    KXB->Invalidate();
    CommitChange(tr("Edit label"));
}

// ---- Undo ----

TDiagramState TfrmDiagram::TakeState()
{
    if (!FScratch.isValid())
        throw EFCreateError(KXMessages::Format(KXMessages::FCreateError, FScratch.path().toStdString()));
    const QString path = FScratch.filePath(QStringLiteral("state.kx"));
    KXB->SaveToFile(path.toStdString());
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(KXMessages::Format(KXMessages::FOpenError, path.toStdString()));
    TDiagramState state;
    state.Stored = file.readAll();
    for (const auto &object : KXB->Vertices)
        if (const auto *vertex = dynamic_cast<const TKXDataVertex *>(object.get()))
            // An empty style is what a vertex has while no library holds its name: not a look.
            if (vertex->Style && !(vertex->Style->DrawItems.empty() && vertex->Style->TextItems.empty())
                && !state.Styles.count(vertex->Style->Name)) {
                auto copy = std::make_shared<TKXVertexStyle>();
                copy->AssignStyle(*vertex->Style);
                copy->OnGetData = nullptr;
                state.Styles.emplace(vertex->Style->Name, std::move(copy));
            }
    return state;
}

void TfrmDiagram::ClearDiagram()
{
    SelectEverything();
    KXB->DeleteSelection();
}

void TfrmDiagram::RestoreState(const TDiagramState &state)
{
    const QString path = FScratch.filePath(QStringLiteral("restore.kx"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(state.Stored) != state.Stored.size()
        || !file.flush())
        throw EFCreateError(KXMessages::Format(KXMessages::FCreateError, path.toStdString()));
    file.close();
    ClearDiagram();
    TStateStyles styles(state.Styles, FLibraries);
    try {
        KXB->LoadFromFile(path.toStdString(), &styles);
    } catch (...) {
        KXB->Invalidate();
        FStateKnown = false;
        throw;
    }
    FState = state;
    FStateKnown = true;
    KXB->Invalidate();
    RefreshProperties();
}

void TfrmDiagram::BeginChange()
{
    if (!FStateKnown) {
        FState = TakeState();
        FStateKnown = true;
    }
}

void TfrmDiagram::CommitChange(const QString &text)
{
    BeginChange();  // a change the window did not see coming is still recorded from here on
    TDiagramState now = TakeState();
    if (now == FState)
        return;
    TDiagramState before = std::move(FState);
    FState = now;
    UndoStack.push(new TDiagramChange(*this, text, std::move(before), std::move(now)));
}

// ---- Diagram files ----

bool TfrmDiagram::ConfirmDiscard()
{
    if (!Modified())
        return true;
    TMessage message;
    message.Caption = DiagramTitle;
    message.Text = tr("Save the changes to the diagram first?").toStdString();
    message.DlgType = mtConfirmation;
    message.Buttons = MsgButtons(mbYes) | MsgButtons(mbNo) | MsgButtons(mbCancel);
    switch (ShowMessageDialog(message, this)) {
    case mbYes:
        actSave->trigger();
        return !Modified();
    case mbNo:
        return true;
    default:
        return false;
    }
}

void TfrmDiagram::NewDiagram()
{
    ClearDiagram();
    KXB->LastId = 0;
    UndoStack.clear();
    FStateKnown = false;
    FFileName.clear();
    FTextForm = false;
    KXB->Invalidate();
    RefreshProperties();
    UpdateTitle();
}

void TfrmDiagram::LoadInto(const std::string &fileName, bool textForm)
{
    if (textForm)
        KXB->LoadFromTextFile(fileName, &FLibraries);
    else
        KXB->LoadFromFile(fileName, &FLibraries);
}

void TfrmDiagram::OpenDiagram(const std::string &fileName)
{
    const bool textForm = !StartsAsBinary(fileName);
    // A file that fails half way leaves the diagram as it was.
    BeginChange();
    const TDiagramState previous = FState;
    const int32_t previousLastId = KXB->LastId;
    ClearDiagram();
    KXB->LastId = 0;
    try {
        LoadInto(fileName, textForm);
    } catch (...) {
        KXB->LastId = previousLastId;
        RestoreState(previous);
        throw;
    }
    UndoStack.clear();
    FStateKnown = false;
    FFileName = fileName;
    FTextForm = textForm;
    KXB->Invalidate();
    RefreshProperties();
    UpdateTitle();
}

void TfrmDiagram::SaveDiagram(const std::string &fileName)
{
    const bool textForm = IsTextName(fileName);
    if (textForm)
        KXB->SaveToTextFile(fileName);
    else
        KXB->SaveToFile(fileName);
    FFileName = fileName;
    FTextForm = textForm;
    UndoStack.setClean();
    UpdateTitle();
}

void TfrmDiagram::closeEvent(QCloseEvent *event)
{
    bool close = false;
    Run([&] { close = ConfirmDiscard(); });
    if (close)
        event->accept();
    else
        event->ignore();
}

// ---- Properties ----

void TfrmDiagram::RefreshProperties()
{
    // The old fields may be the sender of the signal that led here: they go later.
    QLayout *layout = Properties->layout();
    while (QLayoutItem *item = layout->takeAt(0)) {
        if (QWidget *w = item->widget()) {
            // Edits were committed when the focus left them; hiding them must not commit again.
            for (QLineEdit *edit : w->findChildren<QLineEdit *>())
                edit->blockSignals(true);
            w->hide();
            w->setParent(nullptr);
            w->deleteLater();
        }
        delete item;
    }
    auto *page = new QWidget;
    auto *form = new QFormLayout(page);
    form->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(page);
    static_cast<QVBoxLayout *>(layout)->addStretch();

    TKXObject *selected = KXB->Selection.size() == 1 ? KXB->Selection.front() : nullptr;
    if (auto *vertex = dynamic_cast<TKXDataVertex *>(selected)) {
        form->addRow(tr("Style:"), new QLabel(FromCp1252(vertex->StyleName())));
        const int32_t id = vertex->Id;
        for (const auto &item : vertex->Style->TextItems) {
            auto *edit = new QLineEdit(FromCp1252(vertex->Value(item->Name)));
            edit->setObjectName(FromCp1252(item->Name));
            const std::string fieldName = item->Name;
            // The vertex is looked up again when the edit ends: an undo may have replaced it.
            connect(edit, &QLineEdit::editingFinished, this, [this, edit, id, fieldName] {
                Run([&] {
                    if (!IsCp1252(edit->text()))
                        throw EConvertError("The text holds characters a diagram cannot store");
                    if (auto *v = dynamic_cast<TKXDataVertex *>(KXB->Vertices.FindById(id)))
                        SetValue(v, fieldName, ToCp1252(edit->text()));
                });
            });
            form->addRow(FromCp1252(item->Name) + QLatin1Char(':'), edit);
        }
    } else if (auto *edge = dynamic_cast<TKXCustomEdge *>(selected)) {
        auto *edit = new QLineEdit(FromCp1252(edge->Adjacent->Caption));
        edit->setObjectName(QStringLiteral("Caption"));
        const int32_t id = edge->Id;
        connect(edit, &QLineEdit::editingFinished, this, [this, edit, id] {
            Run([&] {
                if (!IsCp1252(edit->text()))
                    throw EConvertError("The text holds characters a diagram cannot store");
                SetCaption(KXB->Edges.FindById(id), ToCp1252(edit->text()));
            });
        });
        form->addRow(tr("Label:"), edit);
    } else {
        form->addRow(new QLabel(KXB->Selection.empty() ? tr("Nothing selected")
                                                       : tr("%1 objects selected").arg(KXB->Selection.size())));
    }
}

// ---- View ----

void TfrmDiagram::ZoomBy(int direction)
{
    const int current = KXB->Scale();
    int next = current;
    if (direction > 0) {
        for (int step : ZoomSteps)
            if (step > current) {
                next = step;
                break;
            }
    } else {
        for (int step : ZoomSteps)
            if (step < current)
                next = step;
    }
    KXB->SetScale(next);
}

void TfrmDiagram::ZoomToFit()
{
    // Handles and labels keep their pixel size, so the extent grows as the scale falls: a
    // second look at the new scale settles it.
    for (int round = 0; round < 3; ++round) {
        const TRect extent = KXB->DiagramExtent();
        const int64_t width = int64_t(extent.Right) - extent.Left, height = int64_t(extent.Bottom) - extent.Top;
        if (width <= 0 || height <= 0) {
            KXB->SetScale(100);
            KXB->SetViewOrigin({0, 0});
            return;
        }
        const long double fit = std::min(static_cast<long double>(KXB->ClientWidth()) / (width + 1),
                                         static_cast<long double>(KXB->ClientHeight()) / (height + 1));
        const int32_t scale = std::clamp(static_cast<int32_t>(fit * 100), 5, 800);
        KXB->SetViewOrigin({extent.Left, extent.Top});
        if (scale >= KXB->Scale() && round > 0)
            return;
        KXB->SetScale(scale);
    }
}

// ---- Output ----

void TfrmDiagram::PrintTo(QPagedPaintDevice &device)
{
    const int32_t factor = KXB->PrinterFactor();
    const TKXPrinterMetrics page = PrinterInfo().Metrics();
    if (factor <= 0 || page.PageWidth <= 0 || page.PageHeight <= 0)
        throw EKXDiagramError("No printer page to lay the diagram out on");
    // Pages are laid out from the diagram's origin, as the page lines show them; a diagram
    // reaching left of or above it starts its pages further out.
    const TRect extent = KXB->DiagramExtent();
    const TPoint start{ScaleValue(std::min(extent.Left, 0), factor), ScaleValue(std::min(extent.Top, 0), factor)};
    const int64_t width = std::max<int64_t>(int64_t(ScaleValue(extent.Right, factor)) - start.X, 1);
    const int64_t height = std::max<int64_t>(int64_t(ScaleValue(extent.Bottom, factor)) - start.Y, 1);
    const int64_t across = (width + page.PageWidth - 1) / page.PageWidth;
    const int64_t down = (height + page.PageHeight - 1) / page.PageHeight;
    // The diagram is drawn once in printer pixels and each page shows its part of it, scaled
    // from the printer's page to the device's.
    QPicture picture;
    picture.setBoundingRect(QRect(0, 0, static_cast<int>(across * page.PageWidth),
                                  static_cast<int>(down * page.PageHeight)));
    {
        TKXQtCanvas canvas(&picture);
        canvas.SetOrigin(start);
        KXB->DrawObjects(canvas, dmPrinter);
    }
    QPainter painter;
    if (!painter.begin(&device))
        throw EKXDiagramError("The printer cannot be started");
    const qreal zoom = static_cast<qreal>(device.width()) / page.PageWidth;
    for (int64_t row = 0; row < down; ++row)
        for (int64_t column = 0; column < across; ++column) {
            if (row || column)
                device.newPage();
            painter.save();
            painter.scale(zoom, zoom);
            painter.setClipRect(QRect(0, 0, page.PageWidth, page.PageHeight));
            painter.translate(-static_cast<qreal>(column) * page.PageWidth, -static_cast<qreal>(row) * page.PageHeight);
            painter.drawPicture(0, 0, picture);
            painter.restore();
        }
    painter.end();
}

void TfrmDiagram::ExportPdf(const std::string &fileName)
{
    QPdfWriter writer(QString::fromStdString(fileName));
    writer.setCreator(QLatin1String(DiagramTitle));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(300);
    PrintTo(writer);
    if (!QFileInfo::exists(QString::fromStdString(fileName)))
        throw EFCreateError(KXMessages::Format(KXMessages::FCreateError, fileName));
}

void TfrmDiagram::ExportPng(const std::string &fileName)
{
    const int32_t factor = KXB->PrinterFactor();
    const TRect extent = KXB->DiagramExtent();
    const TPoint start{ScaleValue(extent.Left, factor), ScaleValue(extent.Top, factor)};
    const int64_t width = int64_t(ScaleValue(extent.Right, factor)) - start.X + 1;
    const int64_t height = int64_t(ScaleValue(extent.Bottom, factor)) - start.Y + 1;
    if (factor <= 0 || width > MaxPictureSide || height > MaxPictureSide)
        throw EKXDiagramError("The diagram is too large for a picture at the printer's scale");
    QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        TKXQtCanvas canvas(&image);
        canvas.SetOrigin(start);
        KXB->DrawObjects(canvas, dmPrinter);
    }
    if (!image.save(QString::fromStdString(fileName), "PNG"))
        throw EFCreateError(KXMessages::Format(KXMessages::FCreateError, fileName));
}

// ---- Libraries saved again ----

void TfrmDiagram::LibraryFileChanged(const std::string &fileName)
{
    const QString path = QString::fromStdString(fileName);
    // A save that replaces the file ends the watch on the old one.
    if (QFileInfo::exists(path) && !FWatcher.files().contains(path))
        FWatcher.addPath(path);
    if (FLibraries.IndexOf(fileName) < 0 || !QFileInfo::exists(path))
        return;
    const std::unique_ptr<TKXUOLibrary> before = FLibraries.Open(fileName);
    const TKXStyleChanges changes = CompareLibraries(*before, *FLibraries.Entries()[FLibraries.IndexOf(fileName)].Library);
    Palette->Fill(FLibraries);
    if (changes.Empty())
        return;

    const std::set<std::string> changed(changes.Changed.begin(), changes.Changed.end());
    std::vector<TKXDataVertex *> affected;
    std::set<std::string> used;
    for (const auto &object : KXB->Vertices)
        if (auto *vertex = dynamic_cast<TKXDataVertex *>(object.get())) {
            used.insert(vertex->StyleName());
            if (changed.count(vertex->StyleName()))
                affected.push_back(vertex);
        }
    std::vector<std::string> missing;
    for (const std::string &name : changes.Removed)
        if (used.count(name) && !FLibraries.FindStyle(name))
            missing.push_back(name);
    if (affected.empty() && missing.empty())
        return;

    const auto join = [](const auto &names) {
        QStringList list;
        for (const std::string &name : names)
            list << FromCp1252(name);
        return list.join(QLatin1String(", "));
    };
    QString text = tr("The library %1 was saved again.").arg(QFileInfo(path).fileName());
    std::set<std::string> affectedNames;
    for (const TKXDataVertex *vertex : affected)
        affectedNames.insert(vertex->StyleName());
    if (!affected.empty())
        text += QLatin1Char('\n') + tr("%n placed vertices use the changed styles %1.", nullptr, int(affected.size()))
                                        .arg(join(affectedNames));
    if (!missing.empty())
        text += QLatin1Char('\n') + tr("The library no longer has the styles %1.").arg(join(missing));
    TMessage message;
    message.Caption = DiagramTitle;
    if (!affected.empty())
        text += QLatin1Char('\n') + tr("Update the placed vertices?");
    message.Text = text.toStdString();
    message.DlgType = affected.empty() ? mtWarning : mtConfirmation;
    message.Buttons = affected.empty() ? MsgButtons(mbOK) : MsgButtons(mbYes) | MsgButtons(mbNo);
    if (ShowMessageDialog(message, this) != mbYes || affected.empty())
        return;
    BeginChange();
    for (TKXDataVertex *vertex : affected)
        vertex->Restyle(FLibraries.FindStyle(vertex->StyleName()));
    KXB->Invalidate();
    CommitChange(tr("Update styles"));
    RefreshProperties();
}
