#pragma once
// Shared parts of the fuzz targets: scratch files on a memory file system, byte comparison of
// two saves, a hard failure that every fuzzing engine reports, and the allocation check.

#include <cstddef>
#include <cstdint>
#include <string>

// A file name in the fuzz targets' scratch directory (on /dev/shm when it exists, so the
// savers' flushes cost nothing); name must be unique per target.
std::string ScratchFile(const std::string &name);
void WriteBytes(const std::string &fileName, const uint8_t *data, std::size_t size);
std::string ReadBytes(const std::string &fileName);

// Prints what broke and aborts, so that libFuzzer stores the input and the replay test fails.
[[noreturn]] void FuzzFailure(const std::string &what);
inline void FuzzCheck(bool ok, const std::string &what)
{
    if (!ok)
        FuzzFailure(what);
}

// While one lives, any single operator new request above limit bytes is a failure: readers
// must never size a buffer from a count or length the input cannot back.
class TAllocationLimit {
public:
    explicit TAllocationLimit(std::size_t inputSize);
    ~TAllocationLimit();
    TAllocationLimit(const TAllocationLimit &) = delete;
    TAllocationLimit &operator=(const TAllocationLimit &) = delete;
};
