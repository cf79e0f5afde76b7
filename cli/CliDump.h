#pragma once
// The canonical text of a library or a diagram: every field of every item in a fixed order,
// one item or object per line, so that a diff of two dumps shows exactly what changed.

#include <string>

struct TCliDocument;

enum TCliDumpFormat : uint8_t { dfText, dfJson };

// text: "key=value" lines with the library's own names for enumeration values and colours as
// $00BBGGRR, for people. json: the same fields as numbers, for programs. Strings are UTF-8.
std::string DumpDocument(const TCliDocument &document, TCliDumpFormat format);
