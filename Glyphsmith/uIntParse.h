#pragma once
// The integer parse of the editor's number edits.

#include <cstdint>
#include <string>

// Parses text as: leading blanks, then either an optional '+' or '-' and decimal digits up to the
// end (-2147483647 to 2147483647), or '$' and one to eight hexadecimal digits of either case,
// taken as a 32-bit pattern ("$FFFFFFFF" is -1). Anything else (empty text, trailing blanks or
// other characters, a lone sign, a value out of range) raises EConvertError
// "'<text>' ist kein gültiger Integerwert". text is UTF-8 and appears unchanged in the message.
int32_t StrToInt(const std::string &text);
