#include "KXGR/core/KXErrors.h"

namespace KXMessages {

std::string Format(const char *pattern, const std::string &arg)
{
    std::string text(pattern);
    const auto at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, arg);
    return text;
}

}
