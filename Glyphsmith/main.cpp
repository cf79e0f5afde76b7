// Start-up: the application (title "Glyphsmith", help file "editor.hlp"), the main window,
// the library named on the command line if any, and the message loop until the main window
// closes.
#include "uApplication.h"
#include "uEdit.h"

#include <QCommandLineParser>
#include <QFileInfo>

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Editor of user-object libraries (.uol files)."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The library to open at start."),
                                 QStringLiteral("[file]"));
    parser.process(app);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        parser.showHelp(2);

    TfrmEdit frmEdit;
    frmEdit.show();
    if (!files.isEmpty())
        frmEdit.OpenAtStart(QFileInfo(files.first()).absoluteFilePath().toStdString());
    return app.exec();
}
