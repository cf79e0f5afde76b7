// Start-up: the application (title "Glyphsmith", help file "editor.hlp"), the main window,
// and the message loop until the main window closes.
#include "uApplication.h"
#include "uEdit.h"

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    TfrmEdit frmEdit;
    frmEdit.show();
    return app.exec();
}
