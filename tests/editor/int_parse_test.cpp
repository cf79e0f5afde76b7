// The integer parse of the number edits: accepted forms, refused forms and the message.
#include "uIntParse.h"

#include "KXGR/core/KXErrors.h"

#include <gtest/gtest.h>

namespace {

struct TAccepted {
    const char *Text;
    int32_t Value;
};

class IntParseAccepts : public ::testing::TestWithParam<TAccepted> {};

TEST_P(IntParseAccepts, GivesTheValue)
{
    EXPECT_EQ(StrToInt(GetParam().Text), GetParam().Value);
}

INSTANTIATE_TEST_SUITE_P(Forms, IntParseAccepts, ::testing::Values(
    TAccepted{"0", 0},
    TAccepted{" 12", 12},
    TAccepted{"   -7", -7},
    TAccepted{"+42", 42},
    TAccepted{"-0", 0},
    TAccepted{"007", 7},
    TAccepted{"000000000000000000002147483647", 2147483647},
    TAccepted{"2147483647", 2147483647},
    TAccepted{"-2147483647", -2147483647},
    TAccepted{"$1F", 31},
    TAccepted{"$1f", 31},
    TAccepted{"  $a", 10},
    TAccepted{"$7FFFFFFF", 2147483647},
    TAccepted{"$80000000", INT32_MIN},
    TAccepted{"$FFFFFFFF", -1},
    TAccepted{"$00000001", 1}));

class IntParseRefuses : public ::testing::TestWithParam<const char *> {};

TEST_P(IntParseRefuses, WithTheConversionMessage)
{
    const std::string text = GetParam();
    try {
        StrToInt(text);
        FAIL() << "accepted '" << text << "'";
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.Message(), "'" + text + "' ist kein gültiger Integerwert");
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, IntParseRefuses, ::testing::Values(
    "", "   ", "12 ", "1.5", "-", "+", " - 1", "--1", "+-1", "1e3", "12a",
    "2147483648", "-2147483648", "99999999999999999999",
    "$", "$123456789", "$G", "$1F ", "-$1", "+$1", "0x1F", "\t1", "１２"));

}
