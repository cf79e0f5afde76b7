#include "uIntParse.h"

#include "KXGR/core/KXErrors.h"

namespace {

[[noreturn]] void Refuse(const std::string &text)
{
    throw EConvertError(KXMessages::Format(KXMessages::InvalidInteger, text));
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}

int32_t StrToInt(const std::string &text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i == text.size())
        Refuse(text);

    if (text[i] == '$') {
        ++i;
        const std::size_t digits = text.size() - i;
        if (digits < 1 || digits > 8)
            Refuse(text);
        uint32_t pattern = 0;
        for (; i < text.size(); ++i) {
            const int d = HexDigit(text[i]);
            if (d < 0)
                Refuse(text);
            pattern = (pattern << 4) | static_cast<uint32_t>(d);
        }
        return static_cast<int32_t>(pattern);
    }

    bool negative = false;
    if (text[i] == '+' || text[i] == '-') {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        Refuse(text);
    constexpr int64_t limit = 2147483647;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            Refuse(text);
        value = value * 10 + (c - '0');
        if (value > limit)  // leading zeros never reach this, so the accumulator cannot overflow
            Refuse(text);
    }
    return static_cast<int32_t>(negative ? -value : value);
}
