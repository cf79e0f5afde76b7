#include "uApplication.h"

#include "uDialogs.h"

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QString::fromUtf8(ApplicationTitle));
    setOrganizationName(QString::fromUtf8(ApplicationTitle));  // where QSettings keeps the recent files
    InstallErrorBox();
}

// The help viewer is a widget: it goes here, while the QApplication is still whole.
TApplication::~TApplication() = default;

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    return GuardedNotify(this, receiver, event);
}

bool TApplication::GuardedNotify(QApplication *app, QObject *receiver, QEvent *event)
{
    try {
        return app->QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        ShowException(e);
    } catch (...) {
        ShowException(QStringLiteral("Unknown error"));
    }
    return false;
}

void InstallErrorBox()
{
    SetApplicationErrorHandler([](const std::exception &e) { ShowException(e); });
}

void ShowException(const std::exception &e)
{
    ShowException(QString::fromUtf8(e.what()));
}

void ShowException(const QString &message)
{
    TMessage box;
    const auto *app = qobject_cast<TApplication *>(QCoreApplication::instance());
    box.Caption = app ? app->Title().toStdString() : std::string(ApplicationTitle);
    box.Text = message.toStdString();
    if (!message.endsWith(QLatin1Char('.')))
        box.Text += '.';
    box.DlgType = mtError;
    box.Buttons = MsgButtons(mbOK);
    ShowMessageDialog(box, QApplication::activeWindow());
}
