#pragma once
// What the diagram box needs to know about printing: the default printer's printable page in
// printer pixels and the screen width in pixels. Tests install fixed values with SetPrinterInfo.

#include <cstdint>

struct TKXPrinterMetrics {
    int32_t PageWidth = 0;    // printable width, printer pixels
    int32_t PageHeight = 0;   // printable height, printer pixels
    int32_t ScreenWidth = 0;  // pixels
};

class TKXPrinterInfo {
public:
    virtual ~TKXPrinterInfo() = default;
    virtual TKXPrinterMetrics Metrics() = 0;
};

// Asks Qt once and keeps the answer: the default printer's printable page, or Qt's default page
// at the default resolution on a machine without a printer; the primary screen's width.
class TKXQtPrinterInfo : public TKXPrinterInfo {
public:
    TKXPrinterMetrics Metrics() override;

private:
    bool FKnown = false;
    TKXPrinterMetrics FMetrics;
};

// Answers the values it was given.
class TKXFixedPrinterInfo : public TKXPrinterInfo {
public:
    explicit TKXFixedPrinterInfo(TKXPrinterMetrics metrics) : FMetrics(metrics) {}
    TKXPrinterMetrics Metrics() override { return FMetrics; }

private:
    TKXPrinterMetrics FMetrics;
};

// The printer information used by every diagram box. SetPrinterInfo does not take ownership;
// nullptr restores the Qt one.
TKXPrinterInfo &PrinterInfo();
void SetPrinterInfo(TKXPrinterInfo *info);
