#include "FuzzQt.h"

#include <QApplication>

#include <cstdlib>

void EnsureQtApplication()
{
    if (QApplication::instance())
        return;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "glyphsmith-fuzz";
    static char *argv[] = {name, nullptr};
    new QApplication(argc, argv); // lives for the process, as a program's application does
}
