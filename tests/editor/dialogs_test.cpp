// The file dialogs as answered by tests: the default extension and a cancel.
#include "uDialogs.h"

#include <gtest/gtest.h>

TEST(FileDialog, DefaultExtensionIsAppendedOnlyToANameWithoutOne)
{
    const struct {
        const char *Typed, *DefaultExt, *Expected;
    } rows[] = {{"lib", "uol", "lib.uol"}, {"/tmp/dir.v2/lib", "uol", "/tmp/dir.v2/lib.uol"},
                {"lib.uol", "uol", "lib.uol"}, {"lib.txt", "uol", "lib.txt"}, {"lib", "", "lib"}};
    for (const auto &row : rows) {
        TSaveDialog dialog;
        dialog.DefaultExt = row.DefaultExt;
        dialog.Answer = [&](TFileDialog &d) {
            d.FileName = row.Typed;
            return true;
        };
        ASSERT_TRUE(dialog.Execute());
        EXPECT_EQ(dialog.FileName, row.Expected) << row.Typed << " with '" << row.DefaultExt << "'";
    }
}

TEST(FileDialog, CancelKeepsTheFormerName)
{
    TOpenDialog dialog;
    dialog.FileName = "kept.uol";
    dialog.Answer = [](TFileDialog &d) {
        d.FileName = "other";
        return false;
    };
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, "kept.uol");
}
