#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXSafeSave.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

namespace {

using SafeSave = TScratchDirTest;

unsigned ModeOf(const std::string &name) { return static_cast<unsigned>(std::filesystem::status(name).permissions()); }

// A failed save leaving the old file is shown by the library tests; here: where and how it writes.
TEST_F(SafeSave, WritesBesideTheTargetKeepingPermissionsAndSymbolicLinks)
{
    WriteFileBytes(Path("real.uol"), {0});
    ::chmod(Path("real.uol").c_str(), 0640);
    std::filesystem::create_symlink(Path("real.uol"), Path("link.uol"));
    SaveFileSafely(Path("link.uol"), [&](const std::string &tempName) {
        EXPECT_EQ(std::filesystem::path(tempName).parent_path(), std::filesystem::path(FDir));
        WriteFileBytes(tempName, {4, 2});
    });
    EXPECT_TRUE(std::filesystem::is_symlink(Path("link.uol")));
    EXPECT_EQ(ReadFileBytes(Path("real.uol")), (TBytes{4, 2}));
    EXPECT_EQ(ModeOf(Path("real.uol")), 0640u);

    const mode_t mask = ::umask(022);
    SaveFileSafely(Path("new.uol"), [&](const std::string &tempName) { WriteFileBytes(tempName, {5}); });
    ::umask(mask);
    EXPECT_EQ(ModeOf(Path("new.uol")), 0644u);
    EXPECT_EQ(DirEntries().size(), 3u) << "no temporary file left";
}

TEST_F(SafeSave, RefusesTargetsThatCannotBeWritten)
{
    std::vector<std::string> targets{Path("no/such/dir.uol"), FDir};
    if (::geteuid() != 0) { // permissions bind only ordinary users
        WriteFileBytes(Path("ro.uol"), {3});
        ::chmod(Path("ro.uol").c_str(), 0444);
        targets.push_back(Path("ro.uol"));
    }
    for (const auto &target : targets) {
        bool called = false;
        ExpectError<EFCreateError>([&] { SaveFileSafely(target, [&](const std::string &) { called = true; }); },
                                   "Kann Datei " + target + " nicht erstellen");
        EXPECT_FALSE(called);
    }
    EXPECT_TRUE(::geteuid() == 0 || ReadFileBytes(Path("ro.uol")) == TBytes{3});
}

}
