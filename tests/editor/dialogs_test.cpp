// The dialog wrappers answered by tests: default extension, cancelling, message captions.
#include "uDialogs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TExtensionCase {
    const char *Typed;
    const char *DefaultExt;
    const char *Expected;
};

class DefaultExtension : public ::testing::TestWithParam<TExtensionCase> {};

TEST_P(DefaultExtension, IsAppendedOnlyToANameWithoutOne)
{
    const TExtensionCase &c = GetParam();
    TSaveDialog dialog;
    dialog.DefaultExt = c.DefaultExt;
    dialog.Answer = [&](TFileDialog &d) {
        d.FileName = c.Typed;
        return true;
    };
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, c.Expected);
}

INSTANTIATE_TEST_SUITE_P(Names, DefaultExtension,
                         ::testing::Values(TExtensionCase{"lib", "uol", "lib.uol"},
                                           TExtensionCase{"/tmp/dir.v2/lib", "uol", "/tmp/dir.v2/lib.uol"},
                                           TExtensionCase{"lib.uol", "uol", "lib.uol"},
                                           TExtensionCase{"lib.txt", "uol", "lib.txt"},
                                           TExtensionCase{"lib", "", "lib"}));

TEST(FileDialog, CancelKeepsTheFormerName)
{
    TOpenDialog dialog;
    dialog.FileName = "kept.uol";
    dialog.DefaultExt = "uol";
    dialog.Answer = [](TFileDialog &d) {
        d.FileName = "other";
        return false;
    };
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, "kept.uol");
}

TEST(MessageDialog, CaptionFollowsTheTypeAndTheHookAnswers)
{
    std::vector<TMessage> shown;
    const TMessageHook previous = SetMessageHook([&](const TMessage &m) {
        shown.push_back(m);
        return mbOK;
    });
    EXPECT_EQ(MessageDlg("Textitem with this name already exists.", mtError), mbOK);
    SetMessageHook(previous);

    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Caption, "Fehler");
    EXPECT_EQ(shown[0].Text, "Textitem with this name already exists.");
    EXPECT_EQ(shown[0].DlgType, mtError);
    EXPECT_EQ(shown[0].Buttons, MsgButtons(mbOK));
}

}  // namespace
