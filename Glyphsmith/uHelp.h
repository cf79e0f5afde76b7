#pragma once
// The editor's help: the help file "editor.hlp" (our own text format, described at the top of
// the file itself), a small viewer window, and the help system that the menu commands and F1
// talk to.
//
// Where the help file is found: a relative name is looked up next to the executable first,
// then in the current directory, and at last in the copy compiled into the program's
// resources (":/help/<name>"), so `make run` from the repository always finds it. An absolute
// name is used as it is.

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTabWidget;
class QTextBrowser;

struct THelpTopic {
    QString Id;        // unique key, used by [[Id]] links and the JumpID macro
    QString Title;
    int Context = 0;   // context number for context help; 0 = none
    QString Text;      // the topic's lines as written in the file
};

// The parsed content of a help file.
class THelpFile {
public:
    // Reads and parses the file at path (a real path or a Qt resource path). On failure returns
    // false, leaves the topics empty and puts a user-readable reason into error.
    bool LoadFromFile(const QString &path, QString &error);
    // Parses help text (first line the magic); false with error when the text is not help.
    bool Parse(const QString &text, QString &error);

    const QList<THelpTopic> &Topics() const { return FTopics; }
    // nullptr when no topic has this id (exact, case-sensitive) or context number.
    const THelpTopic *FindTopic(const QString &id) const;
    const THelpTopic *FindContext(int context) const;
    // Topics whose title or text contains every word of query (case-insensitive), topics with a
    // match in the title first, otherwise in file order. An empty query finds nothing.
    QList<const THelpTopic *> Search(const QString &query) const;
    // The topic's text as HTML: paragraphs, lists, and [[id]] links as <a href="id">title</a>.
    QString TopicHtml(const THelpTopic &topic) const;

private:
    QList<THelpTopic> FTopics;
};

// The help window: "Contents" and "Search" tabs on the left, the topic on the right.
// Owned by THelpSystem; closing only hides it.
class THelpViewer : public QWidget {
    Q_OBJECT
public:
    explicit THelpViewer(QWidget *parent = nullptr);

    // Takes a new help file (its topics fill the contents list); shows its first topic.
    void SetHelpFile(const THelpFile &file, const QString &fileName);
    const THelpFile &HelpFile() const { return FFile; }
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
    THelpFile FFile;
    QString FFileName;
    QString FCurrentId;
    QTabWidget *FTabs;
    QListWidget *FContents;
    QLineEdit *FSearchEdit;
    QListWidget *FResults;
    QLabel *FTitle;
    QTextBrowser *FView;
};

// The help calls of the editor, one per help command it sends. Each call (re)reads the help
// file, so an edited file shows at once. When the file is missing or unreadable, or the topic
// asked for does not exist, the call reports it in a message box (through ShowMessageDialog,
// so tests can capture it) and returns false; nothing is thrown.
class THelpSystem {
public:
    THelpSystem();
    ~THelpSystem();
    THelpSystem(const THelpSystem &) = delete;
    THelpSystem &operator=(const THelpSystem &) = delete;

    // The help file's name, "editor.hlp" unless set otherwise; looked up as described above.
    QString HelpFile = QStringLiteral("editor.hlp");
    // The path the name resolves to now; empty when no file of that name is found.
    QString ResolvedHelpFile() const;

    // Shows the viewer at the contents: the contents tab and the file's first topic.
    bool HelpContents();
    // Runs a help macro; the one macro known is JumpID("<file>","<topic id>"), whose file
    // part is ignored (the current help file is meant). An unknown macro is reported.
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
