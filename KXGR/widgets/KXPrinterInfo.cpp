#include "KXGR/widgets/KXPrinterInfo.h"

#include <QGuiApplication>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>

TKXPrinterMetrics TKXQtPrinterInfo::Metrics()
{
    if (FKnown)
        return FMetrics;
    // Without a printer Qt still sets up a page (its default size and resolution), so a box
    // shows page lines instead of failing at every paint.
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    QPrinter printer(info, QPrinter::HighResolution);
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    FMetrics.PageWidth = page.width();
    FMetrics.PageHeight = page.height();
    const QScreen *screen = QGuiApplication::primaryScreen();
    FMetrics.ScreenWidth = screen ? screen->geometry().width() : 1024;
    FKnown = true;
    return FMetrics;
}

namespace {
TKXQtPrinterInfo QtPrinterInfo;
TKXPrinterInfo *CurrentPrinterInfo = nullptr;
}

TKXPrinterInfo &PrinterInfo() { return CurrentPrinterInfo ? *CurrentPrinterInfo : QtPrinterInfo; }

void SetPrinterInfo(TKXPrinterInfo *info) { CurrentPrinterInfo = info; }
