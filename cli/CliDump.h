#pragma once
// The canonical text of a library or a diagram: every field of every item in a fixed order,
// one item or object per line, so that a diff of two dumps shows exactly what changed.

#include <string>

struct TCliDocument;
class TKXUOLibrary;

enum TCliDumpFormat : uint8_t { dfText, dfJson };

// text: "key=value" lines with the library's own names for enumeration values and colours as
// $00BBGGRR, for people. json: the same fields as numbers, for programs. Strings are UTF-8.
std::string DumpDocument(const TCliDocument &document, TCliDumpFormat format);

// The text dump of a library is loadable: its first line starts with "library ". Reading
// empties library, then takes the styles in order; a dump and a load round-trip byte for
// byte. Raises ECliError csInvalidInput "FILE: error: MESSAGE (at line N)" for a line it
// cannot take; the file cannot be read: the library's EFOpenError text.
void LoadLibraryDump(const std::string &fileName, TKXUOLibrary &library);
// Writes the text dump of library to fileName through a temporary file beside it. Raises the
// library's file errors (EFCreateError, EWriteError); an existing file is then kept.
void SaveLibraryDump(const TKXUOLibrary &library, const std::string &fileName);
