#pragma once
// The editor's application object: title, help, and the top level that shows every
// error leaving a command in the error box and then carries on.

#include "uHelpViewer.h"

#include "KXGR/widgets/KXGuard.h"

#include <QApplication>
#include <QString>

#include <exception>

inline constexpr const char *ApplicationTitle = "Glyphsmith";

class TApplication : public QApplication {
    Q_OBJECT
public:
    // Title "Glyphsmith"; the help shows the topics compiled into the program.
    TApplication(int &argc, char **argv);
    ~TApplication() override;

    QString Title() const { return applicationName(); }
    THelpSystem &Help() { return FHelp; }

    // Delivers the event; an exception that leaves the receiver's handling is shown by
    // ShowException and the event counts as not handled.
    bool notify(QObject *receiver, QEvent *event) override;
    // notify's work for any QApplication (tests run under a plain one): delivers through
    // QApplication::notify and shows an escaping exception in the error box.
    static bool GuardedNotify(QApplication *app, QObject *receiver, QEvent *event);

private:
    THelpSystem FHelp;
};

// The error box: caption = the application's title (ApplicationTitle under a plain
// QApplication), the message followed by "." (not doubled when the message already ends with
// one), error icon, one "OK" button. Shown through ShowMessageDialog, so tests capture it with
// SetMessageHook. Works under any QApplication.
void ShowException(const std::exception &e);
void ShowException(const QString &message);

// Makes the error box the application-wide error handler of guarded handlers (RunGuarded).
// TApplication does so; a test program under a plain QApplication calls it itself.
void InstallErrorBox();

// A slot for connect() that runs receiver->handler() guarded: an error it raises ends in the
// error box at the slot's entry, never unwinding through Qt.
template <typename T, typename... Args>
auto Guarded(T *receiver, void (T::*handler)(Args...))
{
    return [receiver, handler](Args... args) { RunGuarded([&] { (receiver->*handler)(args...); }); };
}
