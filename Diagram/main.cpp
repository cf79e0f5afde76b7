// Start-up of the diagram program: the application (its errors end in the one error box) and
// the main window; libraries and diagrams named on the command line are opened.
#include "uApplication.h"
#include "uDiagram.h"

#include <QStringList>

#include <exception>

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    TApplication::setApplicationName(QLatin1String(DiagramTitle));
    TfrmDiagram window;
    window.show();
    for (const QString &argument : TApplication::arguments().mid(1)) {
        try {
            if (argument.endsWith(QLatin1String(".uol"), Qt::CaseInsensitive))
                window.OpenLibrary(argument.toStdString());
            else
                window.OpenDiagram(argument.toStdString());
        } catch (const std::exception &e) {
            ShowException(e);
        }
    }
    return app.exec();
}
