#pragma once
// File helpers for the stream, safe-save and library tests: a scratch directory per test,
// whole-file reads and writes, the count of open descriptors and a file-size limit.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

using TBytes = std::vector<uint8_t>;

inline TBytes ReadFileBytes(const std::string &fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string &fileName, const TBytes &bytes)
{
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::string DataFile(const std::string &name)
{
    return std::string(TEST_DATA_DIR) + "/" + name;
}

inline std::size_t OpenDescriptorCount()
{
    std::size_t count = 0;
    for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

// A fresh directory for each test, removed with everything in it afterwards.
class TScratchDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kxgr-test-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        FDir = pattern;
    }
    void TearDown() override
    {
        std::error_code error;
        std::filesystem::remove_all(FDir, error);
    }
    std::string Path(const std::string &name) const { return FDir + "/" + name; }
    std::vector<std::string> DirEntries() const
    {
        std::vector<std::string> names;
        for (const auto &entry : std::filesystem::directory_iterator(FDir))
            names.push_back(entry.path().filename().string());
        return names;
    }

    std::string FDir;
};

// Limits the size of files this process writes, as a nearly full disk would: writes past the
// limit come back short instead of raising SIGXFSZ. Restored on destruction.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &FOld);
        FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = FOld;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &FOld);
        std::signal(SIGXFSZ, FOldHandler);
    }
    TFileSizeLimit(const TFileSizeLimit &) = delete;
    TFileSizeLimit &operator=(const TFileSizeLimit &) = delete;

private:
    rlimit FOld{};
    void (*FOldHandler)(int) = nullptr;
};

// Leaves the process only `headroom` bytes of address space beyond what it maps now, so that
// an allocation of gigabytes fails. Restored on destruction.
class TAddressSpaceLimit {
public:
    explicit TAddressSpaceLimit(rlim_t headroom)
    {
        ::getrlimit(RLIMIT_AS, &FOld);
        std::ifstream statm("/proc/self/statm");
        rlim_t pages = 0;
        statm >> pages;
        rlimit limit = FOld;
        limit.rlim_cur = pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + headroom;
        ::setrlimit(RLIMIT_AS, &limit);
    }
    ~TAddressSpaceLimit() { ::setrlimit(RLIMIT_AS, &FOld); }
    TAddressSpaceLimit(const TAddressSpaceLimit &) = delete;
    TAddressSpaceLimit &operator=(const TAddressSpaceLimit &) = delete;

private:
    rlimit FOld{};
};
