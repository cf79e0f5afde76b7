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

#include <QGuiApplication>
#include <QLayout>
#include <QAbstractSpinBox>
#include <QLineEdit>
#include <QScreen>

namespace {

const char *const LibraryFilter = "UserObject Libraries (*.uol)|*.uol";
const char *const Caption = "Glyphsmith";

}  // namespace

TfrmEdit::TfrmEdit(QWidget *parent)
    : QMainWindow(parent),
      UOLib(std::make_unique<TKXUOLibrary>()),
      KXEditActor1(new TKXEditActor(this)),
      ItemActor(new TKXItemActor(this)),
      OD(this),
      SD(this),
      CD(this),
      FD(this)
{
    setupUi(this);
    N2 = File2->actions().at(3);
    N2->setObjectName(QStringLiteral("N2"));
    N1 = Info1->actions().at(2);
    N1->setObjectName(QStringLiteral("N1"));

    KXB->SetActor(KXEditActor1);
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

    SetupItemPages();
    ConnectHandlers();
    SetupPreviewEditing();
    InstallHelpKey(this, 1);

    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TfrmEdit::~TfrmEdit() = default;

void TfrmEdit::ConnectHandlers()
{
    connect(New2, &QAction::triggered, this, &TfrmEdit::New2Click);
    connect(Load1, &QAction::triggered, this, &TfrmEdit::Load1Click);
    connect(Save1, &QAction::triggered, this, &TfrmEdit::Save1Click);
    connect(Quit1, &QAction::triggered, this, &TfrmEdit::Quit1Click);
    connect(New1, &QAction::triggered, this, &TfrmEdit::New1Click);
    connect(Delete1, &QAction::triggered, this, &TfrmEdit::Delete1Click);
    connect(Contents1, &QAction::triggered, this, &TfrmEdit::Contents1Click);
    connect(SearchforHelpOn1, &QAction::triggered, this, &TfrmEdit::SearchforHelpOn1Click);
    connect(Info2, &QAction::triggered, this, &TfrmEdit::Info2Click);

    connect(ProjectTree, &QTreeWidget::itemSelectionChanged, this, &TfrmEdit::ProjectTreeChange);
    connect(ProjectTree, &TProjectTree::Edited, this,
            [this](TTreeNode *node, const QString &text) { ProjectTreeEdited(node, ToCp1252(text)); });

    // The name boxes react to the user only: typing and picking from the list, never to the
    // texts that the window sets itself.
    connect(DINameCB->lineEdit(), &QLineEdit::textEdited, this, &TfrmEdit::DINameCBChange);
    connect(DINameCB, &QComboBox::activated, this, &TfrmEdit::DINameCBChange);
    connect(TINameCB->lineEdit(), &QLineEdit::textEdited, this, &TfrmEdit::TINameCBChange);
    connect(TINameCB, &QComboBox::activated, this, &TfrmEdit::TINameCBChange);
    connect(DIAlignCB, &QComboBox::activated, this, &TfrmEdit::DIAlignCBChange);

    connect(btnAdd, &QPushButton::clicked, this, &TfrmEdit::btnAddClick);
    connect(btnModify, &QPushButton::clicked, this, &TfrmEdit::btnModifyClick);
    connect(btnDelete, &QPushButton::clicked, this, &TfrmEdit::btnDeleteClick);
    connect(Button5, &QPushButton::clicked, this, &TfrmEdit::Button5Click);
    connect(Button1, &QPushButton::clicked, this, &TfrmEdit::Button1Click);
    connect(Button3, &QPushButton::clicked, this, &TfrmEdit::Button3Click);
    connect(Button6, &QPushButton::clicked, this, &TfrmEdit::Button6Click);
    connect(btnTIDelete, &QPushButton::clicked, this, &TfrmEdit::btnTIDeleteClick);
    connect(Button2, &QPushButton::clicked, this, &TfrmEdit::Button2Click);
    connect(Button4, &QPushButton::clicked, this, &TfrmEdit::Button4Click);

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
        FormShow();
    }
}

void TfrmEdit::FormShow()
{
    const TPoint centre{Round(KXB->width() * 0.5L), Round(KXB->height() * 0.5L)};
    std::unique_ptr<TKXVertex> vertex = TKXVertex::CreateWithStyle(centre, UOLib.get(), "");
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
    if (CurrentStyle())
        RefreshPreview();
}

void TfrmEdit::ProjectTreeEdited(TTreeNode *node, const std::string &s)
{
    if (node->Data)
        node->Data->Name = s;
}

void TfrmEdit::New1Click()
{
    if (ProjectTree->topLevelItemCount() == 0)
        throw EListError(KXMessages::ListIndexError);
    auto style = std::make_unique<TKXVertexStyle>();
    style->Name = "Style" + std::to_string(ProjectTree->NodeCount());
    TKXVertexStyle *added = UOLib->AddStyle(std::move(style));
    ProjectTree->topLevelItem(0)->addChild(new TTreeNode(FromCp1252(added->Name), added));
    RefreshItemPages();
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
    ClearProject();
    UOLib->ClearStyles();
    ProjectTree->addTopLevelItem(new TTreeNode(QStringLiteral("Library")));
    setWindowTitle(QStringLiteral("Glyphsmith - untitled"));
}

void TfrmEdit::Load1Click()
{
    if (!OD.Execute())
        return;
    OpenLibrary(OD.FileName);
}

void TfrmEdit::OpenLibrary(const std::string &fileName)
{
    ClearProject();
    UOLib->LoadFromFile(fileName);
    auto *root = new TTreeNode(QStringLiteral("Library"));
    for (const auto &style : UOLib->Styles())
        root->addChild(new TTreeNode(FromCp1252(style->Name), style.get()));
    ProjectTree->addTopLevelItem(root);
    RefreshItemPages();
    setWindowTitle(QString::fromUtf8(Caption) + QStringLiteral(" - ") + QString::fromStdString(fileName));
}

void TfrmEdit::OpenAtStart(const std::string &fileName)
{
    OD.FileName = fileName;
    try {
        OpenLibrary(fileName);
    } catch (const std::exception &e) {
        // A broken file may have left the styles read before the fault; the tree would not
        // show them, so the window starts as without a file.
        UOLib->ClearStyles();
        ShowException(e);
    }
}

void TfrmEdit::Save1Click()
{
    SD.FileName = OD.FileName;
    if (!SD.Execute())
        return;
    UOLib->SaveToFile(SD.FileName);
    setWindowTitle(QString::fromUtf8(Caption) + QStringLiteral(" - ") + QString::fromStdString(SD.FileName));
}

void TfrmEdit::Quit1Click()
{
    close();
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
