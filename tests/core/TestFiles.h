#pragma once
// File helpers for the core and diagram-file tests: a scratch directory per test, whole-file
// reads and writes, the count of open descriptors, resource limits and an error check.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
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
inline std::string ReadFileText(const std::string &fileName)
{
    const TBytes bytes = ReadFileBytes(fileName);
    return std::string(bytes.begin(), bytes.end());
}
inline void WriteFileBytes(const std::string &fileName, const TBytes &bytes)
{
    std::ofstream(fileName, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
inline TBytes BytesOf(const std::string &s) { return TBytes(s.begin(), s.end()); }
inline std::string DataFile(const std::string &name) { return std::string(TEST_DATA_DIR) + "/" + name; }

inline std::size_t OpenDescriptorCount()
{
    const std::filesystem::directory_iterator fds("/proc/self/fd");
    return static_cast<std::size_t>(std::distance(begin(fds), end(fds)));
}

// Runs the action and expects exactly this exception with exactly this message.
template <typename TException, typename TAction>
void ExpectError(TAction &&action, const std::string &message)
{
    try {
        action();
        ADD_FAILURE() << "no exception, expected: " << message;
    } catch (const TException &e) {
        EXPECT_EQ(e.Message(), message);
    }
}

// A fresh directory for each test, removed with everything in it afterwards.
class TScratchDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FDir = (std::filesystem::temp_directory_path() / "kxgr-test-XXXXXX").string();
        ASSERT_NE(::mkdtemp(FDir.data()), nullptr);
    }
    void TearDown() override { std::filesystem::remove_all(FDir, FError); }
    std::string Path(const std::string &name) const { return FDir + "/" + name; }
    std::vector<std::string> DirEntries() const
    {
        std::vector<std::string> names;
        for (const auto &entry : std::filesystem::directory_iterator(FDir))
            names.push_back(entry.path().filename().string());
        return names;
    }

    std::string FDir;
    std::error_code FError;
};

// Sets a resource limit until destruction. With RLIMIT_FSIZE, writes past the limit come back
// short (as on a full disk) instead of raising SIGXFSZ.
class TResourceLimit {
public:
    TResourceLimit(int resource, rlim_t value) : FResource(resource), FOldHandler(std::signal(SIGXFSZ, SIG_IGN))
    {
        ::getrlimit(FResource, &FOld);
        rlimit limit{value, FOld.rlim_max};
        ::setrlimit(FResource, &limit);
    }
    ~TResourceLimit()
    {
        ::setrlimit(FResource, &FOld);
        std::signal(SIGXFSZ, FOldHandler);
    }
    TResourceLimit(const TResourceLimit &) = delete;
    TResourceLimit &operator=(const TResourceLimit &) = delete;

private:
    int FResource;
    void (*FOldHandler)(int);
    rlimit FOld{};
};

// The process's mapped memory, the base for an address-space limit.
inline rlim_t MappedBytes()
{
    rlim_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    return pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE));
}
