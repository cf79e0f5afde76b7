#include "uHelp.h"

#include "uApplication.h"
#include "uDialogs.h"

#include <QCoreApplication>
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
#include <QVBoxLayout>

namespace {

const QString HelpMagic = QStringLiteral("GLYPHSMITH HELP 1");
const QString ViewerCaption = QStringLiteral("Glyphsmith Help");

const QRegularExpression &LinkPattern()
{
    static const QRegularExpression pattern(QStringLiteral("\\[\\[([^\\]]+)\\]\\]"));
    return pattern;
}

}  // namespace

bool THelpFile::LoadFromFile(const QString &path, QString &error)
{
    FTopics.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        error = QStringLiteral("Cannot open the help file %1").arg(QDir::toNativeSeparators(path));
        return false;
    }
    return Parse(QString::fromUtf8(file.readAll()), error);
}

bool THelpFile::Parse(const QString &text, QString &error)
{
    FTopics.clear();
    const QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.isEmpty() || lines.first().trimmed() != HelpMagic) {
        error = QStringLiteral("This is not a Glyphsmith help file");
        return false;
    }
    THelpTopic *topic = nullptr;
    bool inHeader = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1String(".topic "))) {
            const QString id = line.mid(7).trimmed();
            if (id.isEmpty() || FindTopic(id)) {
                error = QStringLiteral("Line %1 of the help file: missing or repeated topic id").arg(i + 1);
                FTopics.clear();
                return false;
            }
            FTopics.append(THelpTopic{id, id, 0, QString()});
            topic = &FTopics.last();
            inHeader = true;
        } else if (topic && inHeader && line.startsWith(QLatin1String(".title "))) {
            topic->Title = line.mid(7).trimmed();
        } else if (topic && inHeader && line.startsWith(QLatin1String(".context "))) {
            bool ok = false;
            topic->Context = line.mid(9).trimmed().toInt(&ok);
            if (!ok || topic->Context <= 0) {
                error = QStringLiteral("Line %1 of the help file: bad context number").arg(i + 1);
                FTopics.clear();
                return false;
            }
        } else if (topic) {
            inHeader = false;
            topic->Text += line + QLatin1Char('\n');
        }
    }
    for (THelpTopic &t : FTopics)
        t.Text = t.Text.trimmed();
    if (FTopics.isEmpty()) {
        error = QStringLiteral("The help file holds no topics");
        return false;
    }
    return true;
}

const THelpTopic *THelpFile::FindTopic(const QString &id) const
{
    for (const THelpTopic &t : FTopics)
        if (t.Id == id)
            return &t;
    return nullptr;
}

const THelpTopic *THelpFile::FindContext(int context) const
{
    for (const THelpTopic &t : FTopics)
        if (t.Context == context)
            return &t;
    return nullptr;
}

QList<const THelpTopic *> THelpFile::Search(const QString &query) const
{
    const QStringList words = query.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    QList<const THelpTopic *> inTitle, inText;
    if (words.isEmpty())
        return inTitle;
    for (const THelpTopic &t : FTopics) {
        // Links are searched as the titles they show, not as their ids.
        QString text = t.Text;
        text.remove(LinkPattern());
        auto it = LinkPattern().globalMatch(t.Text);
        while (it.hasNext()) {
            const QString id = it.next().captured(1);
            if (const THelpTopic *target = FindTopic(id))
                text += QLatin1Char(' ') + target->Title;
        }
        bool all = true, titleHit = false;
        for (const QString &w : words) {
            const bool t1 = t.Title.contains(w, Qt::CaseInsensitive);
            if (!t1 && !text.contains(w, Qt::CaseInsensitive)) {
                all = false;
                break;
            }
            titleHit = titleHit || t1;
        }
        if (all)
            (titleHit ? inTitle : inText).append(&t);
    }
    return inTitle + inText;
}

QString THelpFile::TopicHtml(const THelpTopic &topic) const
{
    // Escapes a line and turns its [[id]] links into anchors named after the target's title.
    const auto inlineHtml = [this](const QString &line) {
        QString html;
        qsizetype pos = 0;
        auto it = LinkPattern().globalMatch(line);
        while (it.hasNext()) {
            const auto m = it.next();
            html += line.mid(pos, m.capturedStart() - pos).toHtmlEscaped();
            const QString id = m.captured(1);
            const THelpTopic *target = FindTopic(id);
            html += QStringLiteral("<a href=\"%1\">%2</a>")
                        .arg(id.toHtmlEscaped(), (target ? target->Title : id).toHtmlEscaped());
            pos = m.capturedEnd();
        }
        return html + line.mid(pos).toHtmlEscaped();
    };

    QString html;
    QString paragraph;
    bool inList = false;
    const auto endParagraph = [&]() {
        if (!paragraph.isEmpty())
            html += QStringLiteral("<p>") + paragraph + QStringLiteral("</p>");
        paragraph.clear();
    };
    const auto endList = [&]() {
        if (inList)
            html += QStringLiteral("</ul>");
        inList = false;
    };
    for (const QString &line : topic.Text.split(QLatin1Char('\n'))) {
        if (line.trimmed().isEmpty()) {
            endParagraph();
            endList();
        } else if (line.startsWith(QLatin1String("- "))) {
            endParagraph();
            if (!inList)
                html += QStringLiteral("<ul>");
            inList = true;
            html += QStringLiteral("<li>") + inlineHtml(line.mid(2)) + QStringLiteral("</li>");
        } else {
            endList();
            if (!paragraph.isEmpty())
                paragraph += QLatin1Char(' ');
            paragraph += inlineHtml(line);
        }
    }
    endParagraph();
    endList();
    return html;
}

THelpViewer::THelpViewer(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(ViewerCaption);
    // Help stays open beside the editor but never keeps the program running on its own.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(640, 440);

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

    auto *topicPane = new QWidget;
    auto *topicLayout = new QVBoxLayout(topicPane);
    topicLayout->setContentsMargins(0, 0, 0, 0);
    FTitle = new QLabel;
    QFont titleFont = FTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    FTitle->setFont(titleFont);
    topicLayout->addWidget(FTitle);
    FView = new QTextBrowser;
    FView->setOpenLinks(false);
    topicLayout->addWidget(FView);

    auto *splitter = new QSplitter;
    splitter->addWidget(FTabs);
    splitter->addWidget(topicPane);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({200, 440});
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(splitter);

    connect(FContents, &QListWidget::itemActivated, this, &THelpViewer::TopicItemActivated);
    connect(FContents, &QListWidget::itemClicked, this, &THelpViewer::TopicItemActivated);
    connect(FResults, &QListWidget::itemActivated, this, &THelpViewer::TopicItemActivated);
    connect(FResults, &QListWidget::itemClicked, this, &THelpViewer::TopicItemActivated);
    connect(FSearchEdit, &QLineEdit::textChanged, this, &THelpViewer::RunSearch);
    connect(FView, &QTextBrowser::anchorClicked, this, [this](const QUrl &url) { ShowTopic(url.toString()); });
}

void THelpViewer::SetHelpFile(const THelpFile &file, const QString &fileName)
{
    FFile = file;
    FFileName = fileName;
    FContents->clear();
    for (const THelpTopic &t : FFile.Topics()) {
        auto *item = new QListWidgetItem(t.Title, FContents);
        item->setData(Qt::UserRole, t.Id);
    }
    FCurrentId.clear();
    RunSearch(FSearchEdit->text());
    if (!FFile.Topics().isEmpty())
        ShowTopic(FFile.Topics().first().Id);
}

bool THelpViewer::ShowTopic(const QString &id)
{
    const THelpTopic *topic = FFile.FindTopic(id);
    if (!topic)
        return false;
    FCurrentId = topic->Id;
    FTitle->setText(topic->Title);
    FView->setHtml(FFile.TopicHtml(*topic));
    setWindowTitle(ViewerCaption + QStringLiteral(" - ") + topic->Title);
    for (int i = 0; i < FContents->count(); ++i)
        if (FContents->item(i)->data(Qt::UserRole).toString() == id)
            FContents->setCurrentRow(i);
    return true;
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
    for (const THelpTopic *t : FFile.Search(query)) {
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

QString THelpSystem::ResolvedHelpFile() const
{
    if (HelpFile.isEmpty())
        return QString();
    if (QFileInfo(HelpFile).isAbsolute())
        return QFileInfo::exists(HelpFile) ? HelpFile : QString();
    const QStringList candidates = {
        QDir(QCoreApplication::applicationDirPath()).filePath(HelpFile),
        QDir::current().filePath(HelpFile),
        QStringLiteral(":/help/") + HelpFile,
    };
    for (const QString &path : candidates)
        if (QFileInfo(path).isFile())
            return path;
    return QString();
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
    const QString path = ResolvedHelpFile();
    THelpFile file;
    QString error;
    if (path.isEmpty()) {
        Report(QStringLiteral("The help file %1 was not found.").arg(HelpFile));
        return false;
    }
    if (!file.LoadFromFile(path, error)) {
        Report(error + QLatin1Char('.'));
        return false;
    }
    if (!FViewer) {
        FViewer = new THelpViewer;
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            FViewer->move(screen->availableGeometry().center() - FViewer->rect().center());
    }
    FViewer->SetHelpFile(file, path);
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
    if (!FViewer || FViewer->HelpFile().Topics().isEmpty()) {
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
    const THelpTopic *topic = FViewer->HelpFile().FindContext(context);
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
    QObject::connect(shortcut, &QShortcut::activated, window, [context]() { AppHelp().HelpContext(context); });
}
