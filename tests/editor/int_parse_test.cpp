// The integer parse of the number edits: accepted forms, refused forms and the message.
#include "uIntParse.h"

#include "KXGR/core/KXErrors.h"

#include <gtest/gtest.h>

TEST(IntParse, AcceptsDecimalAndHexadecimalForms)
{
    const std::pair<const char *, int32_t> rows[] = {
        {" 12", 12}, {"   -7", -7}, {"+42", 42}, {"-0", 0}, {"000000000000000000002147483647", 2147483647},
        {"-2147483647", -2147483647}, {"$1F", 31}, {"  $a", 10}, {"$7FFFFFFF", 2147483647},
        {"$80000000", INT32_MIN}, {"$FFFFFFFF", -1}, {"$00000001", 1}};
    for (const auto &[text, value] : rows)
        EXPECT_EQ(StrToInt(text), value) << "'" << text << "'";
}

TEST(IntParse, RefusesOtherFormsWithTheConversionMessage)
{
    for (const std::string text : {"", "   ", "12 ", "1.5", "-", " - 1", "--1", "+-1", "12a", "2147483648",
                                   "-2147483648", "99999999999999999999", "$", "$123456789", "$G", "$1F ",
                                   "-$1", "0x1F", "\t1", "１２"}) {
        try {
            StrToInt(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const EConvertError &e) {
            EXPECT_EQ(e.Message(), "'" + text + "' ist kein gültiger Integerwert");
        }
    }
}
