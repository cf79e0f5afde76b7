#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>

#include <unistd.h>

namespace {

// Whatever the readers and writers need beyond the input itself: their 64 KiB buffers and
// the fixed objects of a box or a window.
constexpr std::size_t FixedAllowance = 1024 * 1024;
constexpr std::size_t InputFactor = 8;

std::size_t gLimit = 0; // 0: no check

void CheckAllocation(std::size_t size)
{
    if (gLimit != 0 && size > gLimit) {
        std::fprintf(stderr, "allocation check: one request of %zu bytes, limit %zu\n", size, gLimit);
        std::abort();
    }
}

void *Allocate(std::size_t size)
{
    CheckAllocation(size);
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

}

void *operator new(std::size_t size) { return Allocate(size); }
void *operator new[](std::size_t size) { return Allocate(size); }
void *operator new(std::size_t size, const std::nothrow_t &) noexcept
{
    CheckAllocation(size);
    return std::malloc(size ? size : 1);
}
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept
{
    CheckAllocation(size);
    return std::malloc(size ? size : 1);
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t) noexcept { std::free(p); }

TAllocationLimit::TAllocationLimit(std::size_t inputSize) { gLimit = FixedAllowance + InputFactor * inputSize; }

TAllocationLimit::~TAllocationLimit() { gLimit = 0; }

std::string ScratchFile(const std::string &name)
{
    // Kept for the whole process (the clean-up at exit still needs it).
    static const std::string &dir = *new std::string([] {
        const std::filesystem::path base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
        const auto path = base / ("glyphsmith-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path.string() + "/";
    }());
    static const bool cleanUp [[maybe_unused]] = std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(ScratchFile(""), ignored);
    }) == 0;
    return dir + name;
}

void WriteBytes(const std::string &fileName, const uint8_t *data, std::size_t size)
{
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
    FuzzCheck(out.good(), "cannot write scratch file " + fileName);
}

std::string ReadBytes(const std::string &fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void FuzzFailure(const std::string &what)
{
    std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
    std::abort();
}
