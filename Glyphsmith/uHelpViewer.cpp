#include "uHelpViewer.h"

#include "uApplication.h"
#include "uDialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const QString ViewerCaption = QStringLiteral("Glyphsmith Help");
const QString ContentsId = QStringLiteral("Contents");
const QString TopicSuffix = QStringLiteral(".md");

// The topic id of a link target or a loaded URL: the file's base name.
QString IdOfPath(const QString &path)
{
    return QFileInfo(path).completeBaseName();
}

THelpTopic ReadTopic(const QString &id, const QString &markdown)
{
    static const QRegularExpression title(QStringLiteral("^#[ \\t]+(.+?)[ \\t#]*$"),
                                          QRegularExpression::MultilineOption);
    static const QRegularExpression context(QStringLiteral("<!--\\s*context:\\s*(\\d+)\\s*-->"));
    THelpTopic topic;
    topic.Id = id;
    const auto t = title.match(markdown);
    topic.Title = t.hasMatch() ? t.captured(1) : id;
    const auto c = context.match(markdown);
    topic.Context = c.hasMatch() ? c.captured(1).toInt() : 0;
    // Searching looks at what the reader sees: link texts, not their targets or the markup.
    QTextDocument document;
    document.setMarkdown(markdown);
    topic.PlainText = document.toPlainText();
    return topic;
}

}  // namespace

bool THelpTopics::Load(const QString &folder)
{
    FFolder = folder;
    FTopics.clear();
    const QDir dir(folder);
    QList<THelpTopic> byId;
    QString contentsMarkdown;
    for (const QString &name : dir.entryList({QStringLiteral("*") + TopicSuffix}, QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString markdown = QString::fromUtf8(file.readAll());
        byId.append(ReadTopic(IdOfPath(name), markdown));
        if (byId.last().Id == ContentsId)
            contentsMarkdown = markdown;
    }
    // Contents first, then the topics in the order Contents lists them, then any others.
    QStringList order{ContentsId};
    static const QRegularExpression link(QStringLiteral("\\]\\(([^)#\\s]+)\\.md\\)"));
    auto it = link.globalMatch(contentsMarkdown);
    while (it.hasNext())
        order.append(IdOfPath(it.next().captured(1)));
    for (const QString &id : order)
        for (qsizetype i = 0; i < byId.size(); ++i)
            if (byId[i].Id == id) {
                FTopics.append(byId.takeAt(i));
                break;
            }
    FTopics.append(byId);
    return !FTopics.isEmpty();
}

const THelpTopic *THelpTopics::FindTopic(const QString &id) const
{
    for (const THelpTopic &t : FTopics)
        if (t.Id == id)
            return &t;
    return nullptr;
}

const THelpTopic *THelpTopics::FindContext(int context) const
{
    for (const THelpTopic &t : FTopics)
        if (t.Context == context)
            return &t;
    return nullptr;
}

QList<const THelpTopic *> THelpTopics::Search(const QString &query) const
{
    const QStringList words = query.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    QList<const THelpTopic *> inTitle, inText;
    if (words.isEmpty())
        return inTitle;
    for (const THelpTopic &t : FTopics) {
        bool all = true, titleHit = false;
        for (const QString &w : words) {
            const bool hit = t.Title.contains(w, Qt::CaseInsensitive);
            if (!hit && !t.PlainText.contains(w, Qt::CaseInsensitive)) {
                all = false;
                break;
            }
            titleHit = titleHit || hit;
        }
        if (all)
            (titleHit ? inTitle : inText).append(&t);
    }
    return inTitle + inText;
}

QUrl THelpTopics::TopicUrl(const QString &id) const
{
    const QString path = QDir(FFolder).filePath(id + TopicSuffix);
    if (path.startsWith(QLatin1Char(':')))
        return QUrl(QStringLiteral("qrc") + path);
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
}

THelpViewer::THelpViewer(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(ViewerCaption);
    // Help stays open beside the editor but never keeps the program running on its own.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(680, 460);

    FTabs = new QTabWidget;
    FContents = new QListWidget;
    FTabs->addTab(FContents, QStringLiteral("Contents"));

    auto *searchPage = new QWidget;
    auto *searchLayout = new QVBoxLayout(searchPage);
    searchLayout->addWidget(new QLabel(QStringLiteral("Type the words to look for:")));
    FSearchEdit = new QLineEdit;
    FSearchEdit->setClearButtonEnabled(true);
    searchLayout->addWidget(FSearchEdit);
    searchLayout->addWidget(new QLabel(QStringLiteral("Topics found:")));
    FResults = new QListWidget;
    searchLayout->addWidget(FResults);
    FTabs->addTab(searchPage, QStringLiteral("Search"));

    FView = new QTextBrowser;
    FView->setOpenExternalLinks(true);

    auto *splitter = new QSplitter;
    splitter->addWidget(FTabs);
    splitter->addWidget(FView);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({200, 480});
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(splitter);

    connect(FContents, &QListWidget::itemActivated, this, Guarded(this, &THelpViewer::TopicItemActivated));
    connect(FContents, &QListWidget::itemClicked, this, Guarded(this, &THelpViewer::TopicItemActivated));
    connect(FResults, &QListWidget::itemActivated, this, Guarded(this, &THelpViewer::TopicItemActivated));
    connect(FResults, &QListWidget::itemClicked, this, Guarded(this, &THelpViewer::TopicItemActivated));
    connect(FSearchEdit, &QLineEdit::textChanged, this, Guarded(this, &THelpViewer::RunSearch));
    connect(FView, &QTextBrowser::sourceChanged, this, Guarded(this, &THelpViewer::SourceChanged));
}

void THelpViewer::SetTopics(const THelpTopics &topics)
{
    FTopics = topics;
    FContents->clear();
    for (const THelpTopic &t : FTopics.Topics()) {
        auto *item = new QListWidgetItem(t.Title, FContents);
        item->setData(Qt::UserRole, t.Id);
    }
    FCurrentId.clear();
    FView->clearHistory();
    RunSearch(FSearchEdit->text());
    if (!FTopics.Topics().isEmpty())
        ShowTopic(FTopics.Topics().first().Id);
}

bool THelpViewer::ShowTopic(const QString &id)
{
    if (!FTopics.FindTopic(id))
        return false;
    const QUrl url = FTopics.TopicUrl(id);
    if (FView->source() == url)
        SourceChanged(url);  // the browser does not signal a source it already shows
    else
        FView->setSource(url, QTextDocument::MarkdownResource);
    return true;
}

void THelpViewer::SourceChanged(const QUrl &url)
{
    const THelpTopic *topic = FTopics.FindTopic(IdOfPath(url.path()));
    if (!topic)
        return;
    FCurrentId = topic->Id;
    setWindowTitle(ViewerCaption + QStringLiteral(" - ") + topic->Title);
    for (int i = 0; i < FContents->count(); ++i)
        if (FContents->item(i)->data(Qt::UserRole).toString() == FCurrentId)
            FContents->setCurrentRow(i);
}

void THelpViewer::ShowContentsTab()
{
    FTabs->setCurrentIndex(0);
}

void THelpViewer::ShowSearchTab()
{
    FTabs->setCurrentIndex(1);
    FSearchEdit->setFocus();
    FSearchEdit->selectAll();
}

void THelpViewer::RunSearch(const QString &query)
{
    if (FSearchEdit->text() != query) {
        FSearchEdit->setText(query);  // comes back here through textChanged
        return;
    }
    FResults->clear();
    for (const THelpTopic *t : FTopics.Search(query)) {
        auto *item = new QListWidgetItem(t->Title, FResults);
        item->setData(Qt::UserRole, t->Id);
    }
}

void THelpViewer::TopicItemActivated(QListWidgetItem *item)
{
    if (item)
        ShowTopic(item->data(Qt::UserRole).toString());
}

THelpSystem::THelpSystem()
{
    Q_INIT_RESOURCE(resources);
}

THelpSystem::~THelpSystem()
{
    delete FViewer;
}

void THelpSystem::Report(const QString &text) const
{
    TMessage message;
    message.Caption = ViewerCaption.toStdString();
    message.Text = text.toStdString();
    message.DlgType = mtWarning;
    ShowMessageDialog(message, FViewer && FViewer->isVisible() ? FViewer.data() : QApplication::activeWindow());
}

bool THelpSystem::OpenViewer()
{
    THelpTopics topics;
    if (!topics.Load(HelpFolder)) {
        Report(QStringLiteral("No help topics were found in %1.").arg(QDir::toNativeSeparators(HelpFolder)));
        return false;
    }
    if (!FViewer) {
        FViewer = new THelpViewer;
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            FViewer->move(screen->availableGeometry().center() - FViewer->rect().center());
    }
    FViewer->SetTopics(topics);
    FViewer->show();
    FViewer->raise();
    FViewer->activateWindow();
    return true;
}

bool THelpSystem::HelpContents()
{
    if (!OpenViewer())
        return false;
    FViewer->ShowContentsTab();
    return true;
}

QString THelpSystem::JumpIdMacro(const QString &topicId)
{
    return QStringLiteral("JumpID(\"\",\"%1\")").arg(topicId).left(255);
}

bool THelpSystem::HelpCommand(const QString &macro)
{
    static const QRegularExpression jumpId(
        QStringLiteral("^\\s*JumpID\\s*\\(\\s*\"[^\"]*\"\\s*,\\s*\"([^\"]*)\"\\s*\\)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = jumpId.match(macro);
    if (!m.hasMatch()) {
        Report(QStringLiteral("Unknown help macro: %1").arg(macro));
        return false;
    }
    return JumpId(m.captured(1));
}

bool THelpSystem::JumpId(const QString &topicId)
{
    if (!FViewer || FViewer->Topics().Topics().isEmpty()) {
        if (!OpenViewer())
            return false;
    } else {
        FViewer->show();
        FViewer->raise();
    }
    if (!FViewer->ShowTopic(topicId)) {
        Report(QStringLiteral("The help topic %1 does not exist.").arg(topicId));
        return false;
    }
    return true;
}

bool THelpSystem::HelpSearch()
{
    if (!OpenViewer())
        return false;
    FViewer->ShowSearchTab();
    return true;
}

bool THelpSystem::HelpContext(int context)
{
    if (!OpenViewer())
        return false;
    const THelpTopic *topic = FViewer->Topics().FindContext(context);
    if (!topic) {
        Report(QStringLiteral("There is no help topic for context %1.").arg(context));
        return false;
    }
    FViewer->ShowTopic(topic->Id);
    return true;
}

THelpSystem &AppHelp()
{
    if (auto *app = qobject_cast<TApplication *>(QCoreApplication::instance()))
        return app->Help();
    // Deliberately never destroyed: its viewer widget must not outlive the QApplication's
    // teardown in a static destructor.
    static THelpSystem *shared = new THelpSystem;
    return *shared;
}

void InstallHelpKey(QWidget *window, int context)
{
    auto *shortcut = new QShortcut(QKeySequence(Qt::Key_F1), window);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, window,
                     [context]() { RunGuarded([context] { AppHelp().HelpContext(context); }); });
}
