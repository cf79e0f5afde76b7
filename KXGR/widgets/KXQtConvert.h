#pragma once
// Conversions between the library's core types and Qt's, and the one pair of code-page-1252
// string conversions: data strings (names, texts, font names) are cp1252 bytes in the core and
// become QStrings only at the Qt boundary.

#include "KXGR/core/KXTypes.h"

#include <QColor>
#include <QPalette>
#include <QPoint>
#include <QRect>
#include <QString>

#include <string>

inline QPoint ToQPoint(TPoint p) { return {p.X, p.Y}; }
inline TPoint ToTPoint(QPoint p) { return {p.x(), p.y()}; }

// A device rectangle: TRect's Right and Bottom lie outside it, so the QRect has the same width
// and height (Right - Left, Bottom - Top).
inline QRect ToQRect(const TRect &r) { return {r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top}; }
inline TRect ToTRect(const QRect &r) { return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}; }

// 0x00BBGGRR to RGB; a system colour (clBtnFace, clInfoBk, clWindowText ...) is resolved through
// the given palette, or the application palette. An unknown system colour gives black.
QColor ToQColor(TColor color, const QPalette &palette);
QColor ToQColor(TColor color);
// RGB to 0x00BBGGRR (alpha is dropped).
TColor ToTColor(const QColor &color);

// Code page 1252 bytes to text; every byte value maps to one character, so the round trip
// through ToCp1252 gives the bytes back.
QString FromCp1252(const std::string &bytes);
// Text to code page 1252 bytes; a character the code page cannot hold becomes "?" (a pair of
// surrogates counts as one character).
std::string ToCp1252(const QString &text);
// True when ToCp1252 keeps every character of the text.
bool IsCp1252(const QString &text);
