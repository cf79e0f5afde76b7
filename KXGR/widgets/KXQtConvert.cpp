#include "KXGR/widgets/KXQtConvert.h"

#include <QGuiApplication>

#include <array>

namespace {

// Characters of the bytes 0x80 to 0x9F. The five bytes the code page leaves undefined map to
// the control characters of the same number, as Windows converts them, so no byte is lost.
constexpr std::array<char16_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The byte of a UTF-16 unit, or -1 when the code page has none.
int Cp1252Byte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (size_t i = 0; i < HighControls.size(); ++i)
        if (HighControls[i] == c)
            return static_cast<int>(0x80 + i);
    return -1;
}

QColor RgbColor(TColor color)
{
    const auto bits = static_cast<uint32_t>(color);
    return QColor(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                  static_cast<int>((bits >> 16) & 0xFF));
}

// The Windows system colour numbers (the low byte of a system TColor) as palette colours.
QColor SystemColor(uint32_t index, const QPalette &p)
{
    switch (index) {
    case 0: return p.color(QPalette::Button);            // scroll bar
    case 1: return p.color(QPalette::Dark);              // desktop
    case 2: return p.color(QPalette::Highlight);         // active caption
    case 3: return p.color(QPalette::Mid);               // inactive caption
    case 4: return p.color(QPalette::Window);            // menu
    case 5: return p.color(QPalette::Base);              // window
    case 6: return p.color(QPalette::Shadow);            // window frame
    case 7: return p.color(QPalette::WindowText);        // menu text
    case 8: return p.color(QPalette::Text);              // window text
    case 9: return p.color(QPalette::HighlightedText);   // caption text
    case 10: return p.color(QPalette::Window);           // active border
    case 11: return p.color(QPalette::Window);           // inactive border
    case 12: return p.color(QPalette::Mid);              // application workspace
    case 13: return p.color(QPalette::Highlight);
    case 14: return p.color(QPalette::HighlightedText);
    case 15: return p.color(QPalette::Button);           // button face
    case 16: return p.color(QPalette::Dark);             // button shadow
    case 17: return p.color(QPalette::Disabled, QPalette::Text);  // grey text
    case 18: return p.color(QPalette::ButtonText);
    case 19: return p.color(QPalette::Disabled, QPalette::WindowText);  // inactive caption text
    case 20: return p.color(QPalette::Light);            // button highlight
    case 21: return p.color(QPalette::Shadow);           // 3-D dark shadow
    case 22: return p.color(QPalette::Midlight);         // 3-D light
    case 23: return p.color(QPalette::ToolTipText);      // info text
    case 24: return p.color(QPalette::ToolTipBase);      // info background
    case 26: return p.color(QPalette::Link);             // hot light
    case 27:
    case 28:
    case 29: return p.color(QPalette::Highlight);        // caption gradients, menu highlight
    case 30: return p.color(QPalette::Window);           // menu bar
    default: return Qt::black;
    }
}

}

QColor ToQColor(TColor color, const QPalette &palette)
{
    return IsSystemColor(color) ? SystemColor(static_cast<uint32_t>(color) & 0xFFu, palette) : RgbColor(color);
}

QColor ToQColor(TColor color)
{
    return IsSystemColor(color) ? SystemColor(static_cast<uint32_t>(color) & 0xFFu, QGuiApplication::palette())
                                : RgbColor(color);
}

TColor ToTColor(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return static_cast<TColor>(static_cast<uint32_t>(rgb.red()) | (static_cast<uint32_t>(rgb.green()) << 8) |
                               (static_cast<uint32_t>(rgb.blue()) << 16));
}

QString FromCp1252(const std::string &bytes)
{
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        *out++ = QChar(u >= 0x80 && u < 0xA0 ? HighControls[u - 0x80] : char16_t(u));
    }
    return text;
}

std::string ToCp1252(const QString &text)
{
    std::string bytes;
    bytes.reserve(static_cast<size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
            bytes.push_back('?');
            continue;
        }
        const int b = Cp1252Byte(c.unicode());
        bytes.push_back(b < 0 ? '?' : static_cast<char>(b));
    }
    return bytes;
}

bool IsCp1252(const QString &text)
{
    for (const QChar c : text)
        if (Cp1252Byte(c.unicode()) < 0)
            return false;
    return true;
}
