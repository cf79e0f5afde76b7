#include "KXGR/core/KXStream.h"

#include "KXGR/core/KXErrors.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Repeats a read or write call (transfer(bytes done so far)) until count bytes are done, the
// call answers 0 or an error other than an interrupt; answers the bytes done.
template <typename TTransfer>
std::size_t TransferAll(int handle, std::size_t count, TTransfer transfer)
{
    std::size_t done = 0;
    while (handle >= 0 && done < count) {
        const ssize_t n = transfer(done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

}

// ---------------------------------------------------------------------------------------------
// TKXFileStream

TKXFileStream::TKXFileStream(const std::string &fileName, TKXFileMode mode)
    : FFileName(fileName), FMode(mode)
{
    if (mode == fmOpenRead) {
        FHandle = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info {};
        if (FHandle >= 0 && (::fstat(FHandle, &info) != 0 || S_ISDIR(info.st_mode))) {
            ::close(FHandle);
            FHandle = -1;
        }
        if (FHandle < 0)
            throw EFOpenError(KXMessages::Format(KXMessages::FOpenError, fileName));
        FSize = info.st_size;
    } else {
        FHandle = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (FHandle < 0)
            throw EFCreateError(KXMessages::Format(KXMessages::FCreateError, fileName));
    }
}

TKXFileStream::~TKXFileStream()
{
    if (FHandle >= 0)
        ::close(FHandle);
}

std::size_t TKXFileStream::Read(void *buffer, std::size_t count)
{
    auto *target = static_cast<char *>(buffer);
    const std::size_t done = TransferAll(FHandle, count, [&](std::size_t from) {
        return ::read(FHandle, target + from, count - from);
    });
    FPosition += static_cast<int64_t>(done);
    return done;
}

std::size_t TKXFileStream::Write(const void *buffer, std::size_t count)
{
    const auto *source = static_cast<const char *>(buffer);
    const std::size_t done = TransferAll(FHandle, count, [&](std::size_t from) {
        return ::write(FHandle, source + from, count - from);
    });
    FPosition += static_cast<int64_t>(done);
    FSize = std::max(FSize, FPosition);
    return done;
}

void TKXFileStream::StepBack(std::size_t count)
{
    if (FHandle < 0 || count > static_cast<std::size_t>(FPosition)
        || ::lseek(FHandle, -static_cast<off_t>(count), SEEK_CUR) < 0)
        throw EReadError(KXMessages::ReadError);
    FPosition -= static_cast<int64_t>(count);
}

void TKXFileStream::Flush()
{
    if (FHandle < 0 || ::fsync(FHandle) != 0)
        throw EWriteError(KXMessages::WriteError);
}

void TKXFileStream::Close()
{
    if (FHandle < 0)
        return;
    const int rc = ::close(FHandle);
    FHandle = -1;
    // After EINTR the descriptor is released on Linux; only a real failure loses data.
    if (rc != 0 && errno != EINTR && FMode == fmCreate)
        throw EWriteError(KXMessages::WriteError);
}

// ---------------------------------------------------------------------------------------------
// TKXMemoryStream

std::size_t TKXMemoryStream::Read(void *buffer, std::size_t count)
{
    const std::size_t n = std::min(count, FBytes.size() - FPosition);
    if (n > 0)
        std::memcpy(buffer, FBytes.data() + FPosition, n);
    FPosition += n;
    return n;
}

std::size_t TKXMemoryStream::Write(const void *buffer, std::size_t count)
{
    if (FPosition + count > FBytes.size())
        FBytes.resize(FPosition + count);
    if (count > 0)
        std::memcpy(FBytes.data() + FPosition, buffer, count);
    FPosition += count;
    return count;
}

void TKXMemoryStream::StepBack(std::size_t count)
{
    if (count > FPosition)
        throw EReadError(KXMessages::ReadError);
    FPosition -= count;
}

// ---------------------------------------------------------------------------------------------
// TValueWriter

TValueWriter::TValueWriter(TKXStream &stream, std::size_t bufferSize)
    : FStream(stream), FBuffer(std::max<std::size_t>(bufferSize, 1))
{
}

TValueWriter::~TValueWriter()
{
    try {
        FlushBuffer();
    } catch (...) {
        // A saver that cares calls FlushBuffer itself; a destructor must not throw.
    }
}

void TValueWriter::FlushBuffer()
{
    if (FCount == 0)
        return;
    const std::size_t count = FCount;
    FCount = 0;
    if (FStream.Write(FBuffer.data(), count) != count)
        throw EWriteError(KXMessages::WriteError);
}

void TValueWriter::WriteBytes(const void *data, std::size_t count)
{
    const auto *source = static_cast<const uint8_t *>(data);
    while (count > 0) {
        if (FCount == FBuffer.size())
            FlushBuffer();
        const std::size_t n = std::min(count, FBuffer.size() - FCount);
        std::memcpy(FBuffer.data() + FCount, source, n);
        FCount += n;
        source += n;
        count -= n;
    }
}

void TValueWriter::PutInteger(int32_t value)
{
    const auto bits = static_cast<uint32_t>(value);
    if (value >= -128 && value <= 127) {
        const uint8_t bytes[2] = {tagInt8, static_cast<uint8_t>(bits)};
        WriteBytes(bytes, sizeof bytes);
    } else if (value >= -32768 && value <= 32767) {
        const uint8_t bytes[3] = {tagInt16, static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8)};
        WriteBytes(bytes, sizeof bytes);
    } else {
        const uint8_t bytes[5] = {tagInt32, static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
                                  static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)};
        WriteBytes(bytes, sizeof bytes);
    }
}

void TValueWriter::PutString(const std::string &value)
{
    const std::size_t n = value.size();
    if (n <= 255) {
        const uint8_t bytes[2] = {tagString, static_cast<uint8_t>(n)};
        WriteBytes(bytes, sizeof bytes);
    } else {
        // The stored length is a signed 32-bit number; a longer string cannot be represented.
        if (n > static_cast<std::size_t>(std::numeric_limits<int32_t>::max()))
            throw EWriteError(KXMessages::WriteError);
        const auto bits = static_cast<uint32_t>(n);
        const uint8_t bytes[5] = {tagLongString, static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
                                  static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)};
        WriteBytes(bytes, sizeof bytes);
    }
    WriteBytes(value.data(), n);
}

void TValueWriter::PutBoolean(bool value)
{
    WriteByte(value ? tagTrue : tagFalse);
}

void TValueWriter::PutListBegin()
{
    WriteByte(tagList);
}

void TValueWriter::PutListEnd()
{
    WriteByte(tagListEnd);
}

// ---------------------------------------------------------------------------------------------
// TValueReader

TValueReader::TValueReader(TKXStream &stream, std::size_t bufferSize)
    : FStream(stream), FBuffer(std::max<std::size_t>(bufferSize, 1))
{
}

TValueReader::~TValueReader()
{
    if (FPos < FCount) {
        try {
            FStream.StepBack(FCount - FPos);
        } catch (...) {
            // Nobody relies on the position of a stream that cannot step back.
        }
    }
}

void TValueReader::PropertyError()
{
    throw EReadError(KXMessages::InvalidPropertyValue);
}

void TValueReader::ReadError()
{
    throw EReadError(KXMessages::ReadError);
}

void TValueReader::FillBuffer()
{
    const std::size_t n = FStream.Read(FBuffer.data(), FBuffer.size());
    if (n == 0)
        ReadError();
    FCount = n;
    FPos = 0;
}

void TValueReader::BeginValue()
{
    // The stream stands behind the buffered bytes; the unconsumed ones lie before it.
    FValueOffset = FStream.Position() - static_cast<int64_t>(FCount - FPos);
}

uint8_t TValueReader::ReadByte()
{
    if (FPos == FCount)
        FillBuffer();
    return FBuffer[FPos++];
}

void TValueReader::ReadBytes(void *data, std::size_t count)
{
    auto *target = static_cast<uint8_t *>(data);
    while (count > 0) {
        if (FPos == FCount)
            FillBuffer();
        const std::size_t n = std::min(count, FCount - FPos);
        std::memcpy(target, FBuffer.data() + FPos, n);
        FPos += n;
        target += n;
        count -= n;
    }
}

void TValueReader::SkipBytes(std::size_t count)
{
    while (count > 0) {
        if (FPos == FCount)
            FillBuffer();
        const std::size_t n = std::min(count, FCount - FPos);
        FPos += n;
        count -= n;
    }
}

int64_t TValueReader::Remaining() const
{
    return static_cast<int64_t>(FCount - FPos) + std::max<int64_t>(FStream.Size() - FStream.Position(), 0);
}

std::size_t TValueReader::ReadLength(bool longForm)
{
    int64_t length;
    if (longForm) {
        uint8_t bytes[4];
        ReadBytes(bytes, sizeof bytes);
        length = static_cast<int32_t>(static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8
                                      | static_cast<uint32_t>(bytes[2]) << 16
                                      | static_cast<uint32_t>(bytes[3]) << 24);
    } else {
        length = ReadByte();
    }
    // A length the data cannot hold is refused before anything is allocated for it.
    if (length < 0 || length > Remaining())
        ReadError();
    return static_cast<std::size_t>(length);
}

int32_t TValueReader::GetInteger()
{
    BeginValue();
    switch (ReadByte()) {
    case tagInt8:
        return static_cast<int8_t>(ReadByte());
    case tagInt16: {
        uint8_t bytes[2];
        ReadBytes(bytes, sizeof bytes);
        return static_cast<int16_t>(static_cast<uint16_t>(bytes[0] | bytes[1] << 8));
    }
    case tagInt32: {
        uint8_t bytes[4];
        ReadBytes(bytes, sizeof bytes);
        return static_cast<int32_t>(static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8
                                    | static_cast<uint32_t>(bytes[2]) << 16
                                    | static_cast<uint32_t>(bytes[3]) << 24);
    }
    default:
        PropertyError();
    }
}

std::string TValueReader::GetString()
{
    BeginValue();
    std::size_t length;
    switch (ReadByte()) {
    case tagString:
        length = ReadLength(false);
        break;
    case tagLongString:
        length = ReadLength(true);
        break;
    default:
        PropertyError();
    }
    std::string value(length, '\0');
    ReadBytes(value.data(), length);
    return value;
}

bool TValueReader::GetBoolean()
{
    BeginValue();
    return ReadByte() == tagTrue;
}

void TValueReader::SkipValue(uint8_t tag)
{
    switch (tag) {
    case tagInt8:
        SkipBytes(1);
        break;
    case tagInt16:
        SkipBytes(2);
        break;
    case tagInt32:
        SkipBytes(4);
        break;
    case tagExtended:
        SkipBytes(10);
        break;
    case tagString:
    case tagIdent:
        SkipBytes(ReadLength(false));
        break;
    case tagBinary:
    case tagLongString:
        SkipBytes(ReadLength(true));
        break;
    case tagSet:
        for (std::size_t n = ReadLength(false); n != 0; n = ReadLength(false))
            SkipBytes(n);
        break;
    default:
        break;
    }
}

void TValueReader::GetListBegin()
{
    BeginValue();
    const uint8_t tag = ReadByte();
    if (tag != tagList) {
        SkipValue(tag);
        PropertyError();
    }
}

void TValueReader::GetListEnd()
{
    BeginValue();
    const uint8_t tag = ReadByte();
    if (tag != tagListEnd) {
        SkipValue(tag);
        PropertyError();
    }
}

bool TValueReader::AtListEnd()
{
    BeginValue();
    const uint8_t tag = ReadByte();
    --FPos;
    return tag == tagListEnd;
}
