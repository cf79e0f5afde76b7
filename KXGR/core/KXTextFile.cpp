#include "KXGR/core/KXTextFile.h"

#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXTypes.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>

namespace {

constexpr size_t BufferSize = 64 * 1024;
constexpr size_t MaxNumberLength = 32;

// The runtime's numbers for text-file failures; those with a text of their own are named.
enum TInOutCode : int {
    ioFileNotFound = 2,
    ioInvalidFileName = 3,
    ioTooManyOpenFiles = 4,
    ioAccessDenied = 5,
    ioDiskError = 100,
    ioDiskFull = 101,
    ioFileNotOpen = 103,
    ioNotOpenForInput = 104,
    ioNotOpenForOutput = 105,
    ioInvalidInput = 106,
};

[[noreturn]] void RaiseInOut(int code)
{
    switch (code) {
    case ioFileNotFound: throw EInOutError(KXMessages::FileNotFound);
    case ioInvalidFileName: throw EInOutError(KXMessages::InvalidFileName);
    case ioTooManyOpenFiles: throw EInOutError(KXMessages::TooManyOpenFiles);
    case ioAccessDenied: throw EInOutError(KXMessages::FileAccessDenied);
    case ioDiskFull: throw EInOutError(KXMessages::DiskFull);
    case ioInvalidInput: throw EInOutError(KXMessages::InvalidNumericInput);
    default: throw EInOutError(KXMessages::Format(KXMessages::InOutError, std::to_string(code)));
    }
}

// Maps a system error to the runtime's number; others keep the system's number.
int CodeForErrno(int error, bool opening)
{
    switch (error) {
    case ENOENT: return opening ? ioFileNotFound : ioInvalidFileName;
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL: return ioInvalidFileName;
    case EMFILE:
    case ENFILE: return ioTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return ioAccessDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return ioDiskFull;
    // errno values 4 and 5 would read as the runtime's "too many files" and "access denied".
    case 0:
    case EINTR:
    case EIO: return ioDiskError;
    default: return error;
    }
}

bool IsBlank(int c) { return c <= 32; }

// A decimal value must fit in 32 bits; a hex value is taken as a 32-bit pattern.
int32_t ParseInteger(std::string_view text)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    const bool hex = i < text.size() && text[i] == '$';
    if (hex)
        ++i;
    const uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    uint64_t value = 0;
    if (!ParseDigits(text.substr(i), hex ? 16 : 10, limit, value))
        RaiseInOut(ioInvalidInput);
    uint32_t bits = static_cast<uint32_t>(value);
    if (negative)
        bits = 0u - bits;
    return static_cast<int32_t>(bits);
}

}

TKXTextFile::TKXTextFile() = default;

TKXTextFile::~TKXTextFile()
{
    if (!FFile)
        return;
    if (FMode == fmWrite && FPos > 0)
        std::fwrite(FBuffer.data(), 1, FPos, FFile);
    std::fclose(FFile);
}

void TKXTextFile::Open(const std::string &fileName)
{
    Close();
    // Opening a directory for reading succeeds here and fails only at the first read.
    std::error_code ignored;
    if (std::filesystem::is_directory(fileName, ignored))
        RaiseInOut(ioAccessDenied);
    OpenAs(fileName, fmRead);
}

void TKXTextFile::Create(const std::string &fileName)
{
    Close();
    OpenAs(fileName, fmWrite);
}

void TKXTextFile::OpenAs(const std::string &fileName, TFileMode mode)
{
    errno = 0;
    FFile = std::fopen(fileName.c_str(), mode == fmRead ? "rb" : "wb");
    if (!FFile)
        RaiseInOut(CodeForErrno(errno, mode == fmRead));
    std::setvbuf(FFile, nullptr, _IONBF, 0);
    FMode = mode;
    FBuffer.resize(BufferSize);
    FPos = 0;
    FSize = 0;
    FLineEnds = 0;
    FReadLine = 1;
}

void TKXTextFile::Close()
{
    if (!FFile)
        return;
    int error = 0;
    errno = 0;
    if (FMode == fmWrite && FPos > 0 && std::fwrite(FBuffer.data(), 1, FPos, FFile) != FPos)
        error = CodeForErrno(errno, false);
    errno = 0;
    if (std::fclose(FFile) != 0 && error == 0)
        error = CodeForErrno(errno, false);
    FFile = nullptr;
    FMode = fmClosed;
    FPos = 0;
    FSize = 0;
    FBuffer = {};
    if (error != 0)
        RaiseInOut(error);
}

void TKXTextFile::RaiseWriteError(int systemError)
{
    RaiseInOut(CodeForErrno(systemError, false));
}

void TKXTextFile::RequireMode(TFileMode mode) const
{
    if (FMode == fmClosed)
        RaiseInOut(ioFileNotOpen);
    if (FMode != mode)
        RaiseInOut(mode == fmRead ? ioNotOpenForInput : ioNotOpenForOutput);
}

bool TKXTextFile::FillBuffer()
{
    errno = 0;
    FSize = std::fread(FBuffer.data(), 1, FBuffer.size(), FFile);
    FPos = 0;
    if (FSize == 0 && std::ferror(FFile))
        RaiseInOut(CodeForErrno(errno, false));
    return FSize > 0;
}

int TKXTextFile::PeekByte()
{
    if (FPos == FSize && !FillBuffer())
        return -1;
    return static_cast<unsigned char>(FBuffer[FPos]);
}

std::string TKXTextFile::ReadLine()
{
    RequireMode(fmRead);
    FReadLine = FLineEnds + 1;
    std::string line;
    while (FPos < FSize || FillBuffer()) {
        const char *start = FBuffer.data() + FPos;
        const size_t available = FSize - FPos;
        const auto *end = static_cast<const char *>(std::memchr(start, '\n', available));
        if (!end) {
            line.append(start, available);
            FPos = FSize;
            continue;
        }
        line.append(start, static_cast<size_t>(end - start));
        FPos += static_cast<size_t>(end - start) + 1;
        ++FLineEnds;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        break;
    }
    return line;
}

int32_t TKXTextFile::ReadInteger()
{
    RequireMode(fmRead);
    int c;
    while ((c = PeekByte()) >= 0 && IsBlank(c)) {
        FLineEnds += c == '\n';
        ++FPos;
    }
    FReadLine = FLineEnds + 1;
    if (c < 0)
        return 0;
    // Parsed where it stands in the buffer when it ends there (a blank follows, or it is as
    // long as a number may be); only a number cut by the buffer's end is gathered first.
    const char *start = FBuffer.data() + FPos;
    const size_t available = FSize - FPos;
    size_t length = 0;
    while (length < std::min(available, MaxNumberLength) && !IsBlank(static_cast<unsigned char>(start[length])))
        ++length;
    if (length < available || length == MaxNumberLength) {
        FPos += length;
        return ParseInteger({start, length});
    }
    char text[MaxNumberLength];
    length = 0;
    while (length < MaxNumberLength && (c = PeekByte()) >= 0 && !IsBlank(c)) {
        text[length++] = static_cast<char>(c);
        ++FPos;
    }
    return ParseInteger({text, length});
}

void TKXTextFile::ReadLn()
{
    RequireMode(fmRead);
    while (FPos < FSize || FillBuffer()) {
        const char *start = FBuffer.data() + FPos;
        const auto *end = static_cast<const char *>(std::memchr(start, '\n', FSize - FPos));
        if (end) {
            FPos += static_cast<size_t>(end - start) + 1;
            ++FLineEnds;
            return;
        }
        FPos = FSize;
    }
}

bool TKXTextFile::Eof()
{
    RequireMode(fmRead);
    return PeekByte() < 0;
}

void TKXTextFile::FlushBuffer()
{
    errno = 0;
    const size_t count = FPos;
    FPos = 0;
    if (std::fwrite(FBuffer.data(), 1, count, FFile) != count)
        RaiseInOut(CodeForErrno(errno, false));
}

void TKXTextFile::Append(const char *data, size_t count)
{
    while (count > 0) {
        if (FPos == FBuffer.size())
            FlushBuffer();
        const size_t part = std::min(count, FBuffer.size() - FPos);
        std::memcpy(FBuffer.data() + FPos, data, part);
        FPos += part;
        data += part;
        count -= part;
    }
}

void TKXTextFile::WriteLine(const std::string &line)
{
    RequireMode(fmWrite);
    Append(line.data(), line.size());
    Append("\r\n", 2);
}

void TKXTextFile::WriteIntegers(std::initializer_list<int32_t> values)
{
    RequireMode(fmWrite);
    char text[16];
    bool first = true;
    for (const int32_t value : values) {
        if (!first)
            Append(" ", 1);
        first = false;
        const auto result = std::to_chars(text, text + sizeof text, value);
        Append(text, static_cast<size_t>(result.ptr - text));
    }
    Append("\r\n", 2);
}
