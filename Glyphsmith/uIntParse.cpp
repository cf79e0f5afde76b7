#include "uIntParse.h"

#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXTypes.h"

namespace {

[[noreturn]] void Refuse(const std::string &text)
{
    throw EConvertError(KXMessages::Format(KXMessages::InvalidInteger, text));
}

}

int32_t StrToInt(const std::string &text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i == text.size())
        Refuse(text);

    uint64_t value = 0;
    if (text[i] == '$') {
        // Leading zeros count too: at most eight digits.
        const std::string_view digits = std::string_view(text).substr(i + 1);
        if (digits.size() > 8 || !ParseDigits(digits, 16, 0xFFFFFFFFu, value))
            Refuse(text);
        return static_cast<int32_t>(static_cast<uint32_t>(value));
    }

    bool negative = false;
    if (text[i] == '+' || text[i] == '-') {
        negative = text[i] == '-';
        ++i;
    }
    if (!ParseDigits(std::string_view(text).substr(i), 10, 2147483647, value))
        Refuse(text);
    const auto magnitude = static_cast<int32_t>(value);
    return negative ? -magnitude : magnitude;
}
