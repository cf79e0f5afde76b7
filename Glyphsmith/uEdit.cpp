#include "uEdit.h"

#include "uApplication.h"
#include "uHelpViewer.h"
#include "uSplash.h"

#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXStyles.h"
#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXActors.h"
#include "KXGR/widgets/KXItemActor.h"
#include "KXGR/widgets/KXQtConvert.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLayout>
#include <QAbstractSpinBox>
#include <QLineEdit>
#include <QScreen>
#include <QSettings>
#include <QUndoStack>

namespace {

const char *const LibraryFilter = "UserObject Libraries (*.uol)|*.uol";
const char *const RecentFilesKey = "RecentFiles";
constexpr int MaxRecentFiles = 8;
constexpr int32_t PreviewMargin = 10;  // units of the preview vertex that always stay in view

}  // namespace

TfrmEdit::TfrmEdit(QWidget *parent)
    : QMainWindow(parent),
      UOLib(std::make_unique<TKXUOLibrary>()),
      KXEditActor1(new TPreviewActor(this)),
      ItemActor(new TKXItemActor(this)),
      OD(this),
      SD(this),
      CD(this),
      FD(this),
      UndoStack(new QUndoStack(this))
{
    setupUi(this);
    const auto separator = [](const QMenu *menu) {
        for (QAction *action : menu->actions())
            if (action->isSeparator())
                return action;
        return static_cast<QAction *>(nullptr);
    };
    N2 = separator(File2);
    N2->setObjectName(QStringLiteral("N2"));
    N1 = separator(Info1);
    N1->setObjectName(QStringLiteral("N1"));

    KXB->SetActor(KXEditActor1);
    KXEditActor1->OnMoved = [this] { KeepPreviewInView(); };
    UOLib->OnGetData = [this](int32_t id, const std::string &fieldname, TObject *theObject) {
        return UOLibGetData(id, fieldname, theObject);
    };
    OD.Filter = SD.Filter = LibraryFilter;
    OD.DefaultExt = SD.DefaultExt = "uol";
    UpDown1->SetAssociate(edSize);

    // Data fields take only what code page 1252 can hold; name boxes neither complete nor
    // insert on their own.
    // A spin box keeps its own validator on its edit.
    for (QLineEdit *edit : centralWidget()->findChildren<QLineEdit *>())
        if (!qobject_cast<QAbstractSpinBox *>(edit->parentWidget()))
            edit->setValidator(new TCp1252Validator(edit));
    for (QComboBox *box : {DINameCB, TINameCB}) {
        box->setCompleter(nullptr);
        box->setInsertPolicy(QComboBox::NoInsert);
    }
    // The wheel over a list the user is not working in must not change what Add stores.
    auto *wheelFilter = new TFocusWheelFilter(this);
    for (QComboBox *box : centralWidget()->findChildren<QComboBox *>()) {
        box->setFocusPolicy(Qt::StrongFocus);
        box->installEventFilter(wheelFilter);
    }

    Undo1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    Redo1->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});

    SetupItemPages();
    ConnectHandlers();
    SetupPreviewEditing();
    UpdateRecentMenu();
    InstallHelpKey(this, 1);

    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TfrmEdit::~TfrmEdit()
{
    // Nothing may act on the library once the window goes: an open in-place editor of the tree
    // would commit its text from ~QWidget into a style already destroyed, so it is closed
    // unread, and every handler is cut off before the members go.
    ProjectTree->CloseEditor();
    for (QObject *child : findChildren<QObject *>())
        disconnect(child, nullptr, this, nullptr);
    KXEditActor1->OnMoved = nullptr;
    delete UndoStack;
    UndoStack = nullptr;
}

void TfrmEdit::ConnectHandlers()
{
    const auto onAction = [this](QAction *action, void (TfrmEdit::*handler)()) {
        connect(action, &QAction::triggered, this, Guarded(this, handler));
    };
    onAction(New2, &TfrmEdit::New2Click);
    onAction(Load1, &TfrmEdit::Load1Click);
    onAction(Save1, &TfrmEdit::Save1Click);
    onAction(Save2, &TfrmEdit::Save2Click);
    onAction(Quit1, &TfrmEdit::Quit1Click);
    onAction(Undo1, &TfrmEdit::Undo1Click);
    onAction(Redo1, &TfrmEdit::Redo1Click);
    onAction(New1, &TfrmEdit::New1Click);
    onAction(Delete1, &TfrmEdit::Delete1Click);
    onAction(Contents1, &TfrmEdit::Contents1Click);
    onAction(SearchforHelpOn1, &TfrmEdit::SearchforHelpOn1Click);
    onAction(Info2, &TfrmEdit::Info2Click);

    connect(ProjectTree, &QTreeWidget::itemSelectionChanged, this, Guarded(this, &TfrmEdit::ProjectTreeChange));
    connect(ProjectTree, &TProjectTree::Edited, this, [this](TTreeNode *node, const QString &text) {
        RunGuarded([&] { ProjectTreeEdited(node, ToCp1252(text)); });
    });

    // The name boxes react to the user only: typing and picking from the list, never to the
    // texts that the window sets itself.
    connect(DINameCB->lineEdit(), &QLineEdit::textEdited, this, Guarded(this, &TfrmEdit::DINameCBChange));
    connect(DINameCB, &QComboBox::activated, this, Guarded(this, &TfrmEdit::DINameCBChange));
    connect(TINameCB->lineEdit(), &QLineEdit::textEdited, this, Guarded(this, &TfrmEdit::TINameCBChange));
    connect(TINameCB, &QComboBox::activated, this, Guarded(this, &TfrmEdit::TINameCBChange));
    connect(DIAlignCB, &QComboBox::activated, this, Guarded(this, &TfrmEdit::DIAlignCBChange));

    const auto onClick = [this](QAbstractButton *button, void (TfrmEdit::*handler)()) {
        connect(button, &QAbstractButton::clicked, this, Guarded(this, handler));
    };
    onClick(btnAdd, &TfrmEdit::btnAddClick);
    onClick(btnModify, &TfrmEdit::btnModifyClick);
    onClick(btnDelete, &TfrmEdit::btnDeleteClick);
    onClick(Button5, &TfrmEdit::Button5Click);
    onClick(Button1, &TfrmEdit::Button1Click);
    onClick(Button3, &TfrmEdit::Button3Click);
    onClick(Button6, &TfrmEdit::Button6Click);
    onClick(btnTIDelete, &TfrmEdit::btnTIDeleteClick);
    onClick(Button2, &TfrmEdit::Button2Click);
    onClick(Button4, &TfrmEdit::Button4Click);

    // The Edit menu names the step it would undo or redo; the caption marks unsaved changes.
    connect(UndoStack, &QUndoStack::canUndoChanged, Undo1, &QAction::setEnabled);
    connect(UndoStack, &QUndoStack::canRedoChanged, Redo1, &QAction::setEnabled);
    connect(UndoStack, &QUndoStack::undoTextChanged, this, [this](const QString &step) {
        Undo1->setText(step.isEmpty() ? tr("&Undo") : tr("&Undo %1").arg(step));
    });
    connect(UndoStack, &QUndoStack::redoTextChanged, this, [this](const QString &step) {
        Redo1->setText(step.isEmpty() ? tr("&Redo") : tr("&Redo %1").arg(step));
    });
    connect(UndoStack, &QUndoStack::cleanChanged, this, [this](bool clean) { setWindowModified(!clean); });

    DIStyleCB->OnDrawItem = [this](TKXCanvas &canvas, int index, const TRect &rect, TOwnerDrawState state) {
        DIStyleCBDrawItem(canvas, index, rect, state);
    };
    DIBStyleCB->OnDrawItem = [this](TKXCanvas &canvas, int index, const TRect &rect, TOwnerDrawState state) {
        DIBStyleCBDrawItem(canvas, index, rect, state);
    };
    ComboBox3->OnDrawItem = [this](TKXCanvas &canvas, int index, const TRect &rect, TOwnerDrawState state) {
        ComboBox3DrawItem(canvas, index, rect, state);
    };
}

void TfrmEdit::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!FShown) {
        FShown = true;
        RunGuarded([this] { FormShow(); });
    }
}

void TfrmEdit::FormShow()
{
    std::unique_ptr<TKXVertex> vertex = TKXVertex::CreateWithStyle(PreviewCentre(), UOLib.get(), "");
    PreviewVertex = vertex.get();
    KXB->AddObject(vertex.release(), moLoaded);
    KXB->ClearSelection();
    KXB->Invalidate();
}

TKXVertexStyle *TfrmEdit::CurrentStyle() const
{
    const TTreeNode *node = ProjectTree->Selected();
    return node ? node->Data : nullptr;
}

void TfrmEdit::ClearProject()
{
    ProjectTree->clear();
    // The preview vertex is made when the window is first shown.
    if (PreviewVertex) {
        PreviewVertex->Style.reset();
        KXB->Invalidate();
    }
    PreviewChanged();
    ClearItemPages();
}

void TfrmEdit::RefreshPreview()
{
    if (!PreviewVertex)
        return;
    if (!PreviewVertex->Style)
        PreviewVertex->Style = std::make_unique<TKXVertexStyle>();
    PreviewVertex->Style->AssignStyle(*CurrentStyle());
    PreviewVertex->AdjustHandles();
    KXB->Invalidate();
    PreviewChanged();
}

void TfrmEdit::ProjectTreeChange()
{
    RefreshItemPages();
    if (CurrentStyle()) {
        PlacePreviewVertex();
        RefreshPreview();
    }
}

TPoint TfrmEdit::PreviewCentre() const
{
    return {Round(KXB->width() * 0.5L), Round(KXB->height() * 0.5L)};
}

void TfrmEdit::PlacePreviewVertex()
{
    if (!PreviewVertex)
        return;
    const TPoint centre = PreviewCentre();
    PreviewVertex->Left = centre.X - 50;
    PreviewVertex->Top = centre.Y - 25;
    PreviewVertex->Right = centre.X + 50;
    PreviewVertex->Bottom = centre.Y + 25;
    PreviewVertex->AdjustHandles();
    KXB->Invalidate();
}

void TfrmEdit::KeepPreviewInView()
{
    if (!PreviewVertex)
        return;
    const TPoint view = UnscalePoint({KXB->ClientWidth(), KXB->ClientHeight()}, KXB->Scale());
    const auto pullBack = [](int32_t low, int32_t high, int32_t limit) -> int32_t {
        if (high < PreviewMargin)
            return PreviewMargin - high;
        if (low > limit - PreviewMargin)
            return limit - PreviewMargin - low;
        return 0;
    };
    const TPoint delta{pullBack(PreviewVertex->Left, PreviewVertex->Right, view.X),
                       pullBack(PreviewVertex->Top, PreviewVertex->Bottom, view.Y)};
    if (delta.X != 0 || delta.Y != 0) {
        PreviewVertex->MoveBy(delta);
        KXB->Invalidate();
    }
}

void TfrmEdit::ProjectTreeEdited(TTreeNode *node, const std::string &s)
{
    TKXVertexStyle *style = node->Data;
    if (!style || style->Name == s)
        return;
    TKXVertexStyle renamed;
    renamed.AssignStyle(*style);
    renamed.Name = s;
    PushStyleChange(style, *style, renamed, tr("Rename '%1' to '%2'").arg(FromCp1252(style->Name), FromCp1252(s)));
}

void TfrmEdit::New1Click()
{
    if (ProjectTree->topLevelItemCount() == 0)
        throw EListError(KXMessages::ListIndexError);
    auto style = std::make_unique<TKXVertexStyle>();
    style->Name = "Style" + std::to_string(ProjectTree->NodeCount());
    UndoStack->push(new TNewStyleCommand(*this, std::move(style)));
}

QString TfrmEdit::Caption() const
{
    QString caption = windowTitle();
    return caption.replace(QLatin1String("[*]"), isWindowModified() ? QStringLiteral("*") : QString());
}

void TfrmEdit::PushStyleChange(TKXVertexStyle *style, const TKXVertexStyle &before, const TKXVertexStyle &after,
                               const QString &text, const TStepItem &item)
{
    UndoStack->push(new TStyleChangeCommand(*this, style, before, after, text, item));
}

TTreeNode *TfrmEdit::NodeOf(const TKXVertexStyle *style) const
{
    if (QTreeWidgetItem *root = ProjectTree->topLevelItem(0))
        for (int i = 0; i < root->childCount(); ++i)
            if (auto *node = static_cast<TTreeNode *>(root->child(i)); node->Data == style)
                return node;
    return nullptr;
}

void TfrmEdit::FollowStep(TKXVertexStyle *style, const TStepItem &item)
{
    TTreeNode *node = NodeOf(style);
    if (!node)
        return;
    node->setText(0, FromCp1252(style->Name));
    if (ProjectTree->Selected() == node) {
        RefreshItemPages();
        RefreshPreview();
    } else {
        ProjectTree->setCurrentItem(node);  // ProjectTreeChange shows it
    }
    if (item.Kind == TStepItem::ikDraw) {
        pcEditor->setCurrentWidget(TabSheet1);
        DINameCB->setEditText(FromCp1252(item.Name));
        DINameCBChange();
    } else if (item.Kind == TStepItem::ikText) {
        pcEditor->setCurrentWidget(TabSheet2);
        TINameCB->setEditText(FromCp1252(item.Name));
        TINameCBChange();
    }
}

void TfrmEdit::AppendStyleNode(TKXVertexStyle *style)
{
    ProjectTree->topLevelItem(0)->addChild(new TTreeNode(FromCp1252(style->Name), style));
}

void TfrmEdit::RemoveStyleNode(const TKXVertexStyle *style)
{
    TTreeNode *node = NodeOf(style);
    if (!node)
        return;
    const bool shown = ProjectTree->Selected() == node;
    delete node;
    // The preview must not keep showing a style that has left the library.
    if (shown) {
        ProjectTree->setCurrentItem(ProjectTree->topLevelItem(0));
        if (PreviewVertex) {
            PreviewVertex->Style.reset();
            KXB->Invalidate();
        }
    }
}

void TfrmEdit::Undo1Click()
{
    UndoStack->undo();
}

void TfrmEdit::Redo1Click()
{
    UndoStack->redo();
}

void TfrmEdit::Delete1Click()
{
    RefreshItemPages();
}

std::string TfrmEdit::UOLibGetData(int32_t, const std::string &fieldname, TObject *)
{
    return Samples.Text(fieldname);
}

void TfrmEdit::New2Click()
{
    if (!MaybeSave())
        return;
    UndoStack->clear();
    ClearProject();
    UOLib->ClearStyles();
    ProjectTree->addTopLevelItem(new TTreeNode(QStringLiteral("Library")));
    FFileName.clear();
    SetCaption(QStringLiteral("untitled"));
    PlacePreviewVertex();
}

void TfrmEdit::Load1Click()
{
    if (!MaybeSave() || !OD.Execute())
        return;
    OpenLibrary(OD.FileName);
}

void TfrmEdit::OpenLibrary(const std::string &fileName)
{
    UndoStack->clear();  // its steps refer to the styles about to be destroyed
    ClearProject();
    PlacePreviewVertex();
    // Should the load fail, the caption keeps the old name but Save must not write the
    // remains over that file without asking.
    FFileName.clear();
    UOLib->LoadFromFile(fileName);
    auto *root = new TTreeNode(QStringLiteral("Library"));
    for (const auto &style : UOLib->Styles())
        root->addChild(new TTreeNode(FromCp1252(style->Name), style.get()));
    ProjectTree->addTopLevelItem(root);
    RefreshItemPages();
    FFileName = fileName;
    SetCaption(QString::fromStdString(fileName));
    AddRecentFile(fileName);
}

void TfrmEdit::OpenRecent(const QString &fileName)
{
    if (!MaybeSave())
        return;
    OD.FileName = fileName.toStdString();
    OpenLibrary(OD.FileName);
}

void TfrmEdit::OpenAtStart(const std::string &fileName)
{
    // A broken file may have left the styles read before the fault; the tree does not show
    // them, so the window starts as without a file.
    RunGuarded([&] { OpenRecent(QString::fromStdString(fileName)); },
               [this](const std::exception &e) {
                   UOLib->ClearStyles();
                   ShowException(e);
               });
}

void TfrmEdit::Save1Click()
{
    SaveAs();
}

void TfrmEdit::Save2Click()
{
    SaveCurrent();
}

bool TfrmEdit::SaveAs()
{
    SD.FileName = OD.FileName;
    if (!SD.Execute())
        return false;
    SaveLibrary(SD.FileName);
    return true;
}

bool TfrmEdit::SaveCurrent()
{
    if (FFileName.empty())
        return SaveAs();
    SaveLibrary(FFileName);
    return true;
}

void TfrmEdit::SaveLibrary(const std::string &fileName)
{
    UOLib->SaveToFile(fileName);
    FFileName = fileName;
    SetCaption(QString::fromStdString(fileName));
    UndoStack->setClean();
    AddRecentFile(fileName);
}

bool TfrmEdit::MaybeSave()
{
    if (UndoStack->isClean())
        return true;
    const QString name =
        FFileName.empty() ? QStringLiteral("untitled") : QFileInfo(QString::fromStdString(FFileName)).fileName();
    TMessage question;
    question.Caption = ApplicationTitle;
    question.Text = tr("Save changes to \"%1\"?").arg(name).toStdString();
    question.DlgType = mtConfirmation;
    question.Buttons = MsgButtons(mbSave) | MsgButtons(mbDiscard) | MsgButtons(mbCancel);
    switch (ShowMessageDialog(question, this)) {
    case mbSave: return SaveCurrent();
    case mbDiscard: return true;
    default: return false;
    }
}

void TfrmEdit::SetCaption(const QString &fileName)
{
    setWindowTitle(QString::fromUtf8(ApplicationTitle) + QStringLiteral(" - ") + fileName + QStringLiteral("[*]"));
}

QStringList TfrmEdit::RecentFiles() const
{
    return QSettings().value(QLatin1String(RecentFilesKey)).toStringList();
}

void TfrmEdit::AddRecentFile(const std::string &fileName)
{
    const QString path = QFileInfo(QString::fromStdString(fileName)).absoluteFilePath();
    QStringList files = RecentFiles();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > MaxRecentFiles)
        files.removeLast();
    QSettings().setValue(QLatin1String(RecentFilesKey), files);
    UpdateRecentMenu();
}

void TfrmEdit::UpdateRecentMenu()
{
    Recent1->clear();
    const QStringList files = RecentFiles();
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString file = files[i];
        QAction *action = Recent1->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QString(file).replace(u'&', QLatin1String("&&"))));
        connect(action, &QAction::triggered, this, [this, file] { RunGuarded([&] { OpenRecent(file); }); });
    }
    Recent1->setEnabled(!files.isEmpty());
}

void TfrmEdit::Quit1Click()
{
    close();
}

void TfrmEdit::closeEvent(QCloseEvent *event)
{
    bool leave = false;
    RunGuarded([&] { leave = MaybeSave(); });
    if (leave)
        event->accept();
    else
        event->ignore();
}

void TfrmEdit::Contents1Click()
{
    if (AppHelp().HelpContents())
        AppHelp().HelpCommand(THelpSystem::JumpIdMacro(QStringLiteral("Contents")));
}

void TfrmEdit::SearchforHelpOn1Click()
{
    AppHelp().HelpSearch();
}

void TfrmEdit::Info2Click()
{
    // A new window for every use, owned by this one and destroyed when its showing ends.
    const std::unique_ptr<TSplash> splash = std::make_unique<TSplash>(this);
    splash->ShowAsAbout();
}
