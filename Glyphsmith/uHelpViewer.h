#pragma once
// The editor's help: Markdown topics, one file per topic (<Id>.md), compiled into the program's
// resources under ":/help", shown by a small viewer window, and the help system that the menu
// commands and F1 talk to.
//
// A topic's title is its first "# " heading; a comment "<!-- context: N -->" gives it the
// context number N for context help. Topics link to each other with ordinary Markdown links to
// their files ("[Growth rules](GrowthRules.md)").

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTabWidget;
class QTextBrowser;
class QUrl;

struct THelpTopic {
    QString Id;         // the file's base name: the key of links and of the JumpID macro
    QString Title;
    int Context = 0;    // context number for context help; 0 = none
    QString PlainText;  // the topic as rendered text, for searching
};

// The topics of one help folder (a real directory or a resource path such as ":/help").
class THelpTopics {
public:
    // Reads every *.md file of folder. Order: "Contents" first, then the topics it links to in
    // link order, then the rest by id. False (and no topics) when the folder holds no topic.
    bool Load(const QString &folder);

    const QList<THelpTopic> &Topics() const { return FTopics; }
    // nullptr when no topic has this id (exact case) or context number.
    const THelpTopic *FindTopic(const QString &id) const;
    const THelpTopic *FindContext(int context) const;
    // Topics whose title or text contains every word of query (case-insensitive); those with a
    // word in the title first, otherwise in topic order. An empty query finds nothing.
    QList<const THelpTopic *> Search(const QString &query) const;
    // The URL the viewer loads for a topic id (qrc: for resources, file: otherwise).
    QUrl TopicUrl(const QString &id) const;

private:
    QString FFolder;
    QList<THelpTopic> FTopics;
};

// The help window: "Contents" and "Search" tabs on the left, the topic on the right, where
// links between topics are followed. Owned by THelpSystem; closing only hides it.
class THelpViewer : public QWidget {
    Q_OBJECT
public:
    explicit THelpViewer(QWidget *parent = nullptr);

    // Takes new topics (they fill the contents list) and shows the first one.
    void SetTopics(const THelpTopics &topics);
    const THelpTopics &Topics() const { return FTopics; }
    // Shows a topic; false (and nothing changes) when there is no topic with that id.
    bool ShowTopic(const QString &id);
    void ShowContentsTab();
    // Shows the search tab with the cursor in its field.
    void ShowSearchTab();
    // Fills the result list for query, as typing it into the search field does.
    void RunSearch(const QString &query);

    QString CurrentTopicId() const { return FCurrentId; }
    QTabWidget *Tabs() const { return FTabs; }
    QListWidget *ContentsList() const { return FContents; }
    QLineEdit *SearchEdit() const { return FSearchEdit; }
    QListWidget *SearchResults() const { return FResults; }
    QTextBrowser *TopicView() const { return FView; }

private:
    void TopicItemActivated(QListWidgetItem *item);
    // The browser moved to url (a topic link was followed, or ShowTopic loaded it).
    void SourceChanged(const QUrl &url);
    THelpTopics FTopics;
    QString FCurrentId;
    QTabWidget *FTabs;
    QListWidget *FContents;
    QLineEdit *FSearchEdit;
    QListWidget *FResults;
    QTextBrowser *FView;
};

// The help calls of the editor, one per help command it sends. Each call reads the topics again,
// so edited topics in a folder on disk show at once. When no topics are found, or the topic asked
// for does not exist, the call reports it in a message box (through ShowMessageDialog, so tests
// can capture it) and returns false; nothing is thrown.
class THelpSystem {
public:
    THelpSystem();
    ~THelpSystem();
    THelpSystem(const THelpSystem &) = delete;
    THelpSystem &operator=(const THelpSystem &) = delete;

    // Where the topics are: the ones compiled into the program unless set otherwise.
    QString HelpFolder = QStringLiteral(":/help");

    // Shows the viewer at the contents: the contents tab and the first topic.
    bool HelpContents();
    // Runs a help macro; the one macro known is JumpID("<file>","<topic id>"), whose file
    // part is ignored (the current help is meant). An unknown macro is reported.
    bool HelpCommand(const QString &macro);
    // The JumpID macro for a topic id: JumpID("","<id>"), cut to 255 characters.
    static QString JumpIdMacro(const QString &topicId);
    // Shows the viewer's search tab.
    bool HelpSearch();
    // Shows the topic with that context number (F1 asks for the window's context, 1).
    bool HelpContext(int context);

    // The viewer window, created on first use; nullptr before.
    THelpViewer *Viewer() const { return FViewer; }

private:
    bool OpenViewer();
    bool JumpId(const QString &topicId);
    void Report(const QString &text) const;
    QPointer<THelpViewer> FViewer;
};

// The running editor's help system: the application's own when it is a TApplication,
// otherwise one shared instance (tests run under a plain QApplication).
THelpSystem &AppHelp();

// Makes F1 anywhere in window ask AppHelp() for the given context.
void InstallHelpKey(QWidget *window, int context);
