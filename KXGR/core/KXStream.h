#pragma once
// Byte streams and the tagged value encoding of the binary file formats (.uol libraries and
// the stream form of diagram files): every value is a one-byte tag followed by its payload.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Tags of the value encoding. Only 0-4, 6, 8, 9 and 12 are written; the others are
// recognised so that a mismatching value can be passed over.
enum TValueTag : uint8_t {
    tagListEnd = 0,
    tagList = 1,
    tagInt8 = 2,
    tagInt16 = 3,
    tagInt32 = 4,
    tagExtended = 5,
    tagString = 6,
    tagIdent = 7,
    tagFalse = 8,
    tagTrue = 9,
    tagBinary = 10,
    tagSet = 11,
    tagLongString = 12
};

// A positioned byte stream. Read and Write answer how many bytes were transferred; fewer
// than asked means the end of the data (read) or a full medium (write).
class TKXStream {
public:
    TKXStream() = default;
    TKXStream(const TKXStream &) = delete;
    TKXStream &operator=(const TKXStream &) = delete;
    virtual ~TKXStream() = default;

    virtual std::size_t Read(void *buffer, std::size_t count) = 0;
    virtual std::size_t Write(const void *buffer, std::size_t count) = 0;
    // Moves the position back by count bytes (never before the start). EReadError on failure.
    virtual void StepBack(std::size_t count) = 0;
    virtual int64_t Position() const = 0;
    virtual int64_t Size() const = 0;
};

enum TKXFileMode : uint8_t { fmOpenRead = 0, fmCreate = 1 };

// A file on disk. fmOpenRead opens an existing file (EFOpenError "Kann Datei %s nicht öffnen"
// when it cannot); fmCreate creates or truncates it (EFCreateError "Kann Datei %s nicht
// erstellen"). The file is closed by Close or by the destructor at the latest.
class TKXFileStream : public TKXStream {
public:
    TKXFileStream(const std::string &fileName, TKXFileMode mode);
    ~TKXFileStream() override;

    std::size_t Read(void *buffer, std::size_t count) override;
    std::size_t Write(const void *buffer, std::size_t count) override;
    void StepBack(std::size_t count) override;
    int64_t Position() const override { return FPosition; }
    int64_t Size() const override { return FSize; }

    // Forces written data to the medium; EWriteError when the system reports a failure.
    void Flush();
    // Closes the file; EWriteError when closing a written file fails. Safe to call twice.
    void Close();
    const std::string &FileName() const { return FFileName; }

private:
    std::string FFileName;
    TKXFileMode FMode;
    int FHandle = -1;
    int64_t FPosition = 0;
    int64_t FSize = 0;
};

// Bytes in memory: tests and callers that build records without a file.
class TKXMemoryStream : public TKXStream {
public:
    TKXMemoryStream() = default;
    explicit TKXMemoryStream(std::vector<uint8_t> bytes) : FBytes(std::move(bytes)) {}

    std::size_t Read(void *buffer, std::size_t count) override;
    std::size_t Write(const void *buffer, std::size_t count) override;
    void StepBack(std::size_t count) override;
    int64_t Position() const override { return static_cast<int64_t>(FPosition); }
    int64_t Size() const override { return static_cast<int64_t>(FBytes.size()); }

    const std::vector<uint8_t> &Bytes() const { return FBytes; }

private:
    std::vector<uint8_t> FBytes;
    std::size_t FPosition = 0;
};

// Appends tagged values to a stream that it does not own, through a buffer of a fixed size.
// Nothing reaches the stream before the buffer is full or FlushBuffer is called; a stream
// that takes fewer bytes raises EWriteError "Stream-Write-Fehler ". The destructor writes
// what is left but swallows a failure, so savers call FlushBuffer to see it.
class TValueWriter {
public:
    TValueWriter(TKXStream &stream, std::size_t bufferSize);
    TValueWriter(const TValueWriter &) = delete;
    TValueWriter &operator=(const TValueWriter &) = delete;
    ~TValueWriter();

    // Shortest of tagInt8, tagInt16, tagInt32 that holds the value.
    void PutInteger(int32_t value);
    // tagString up to 255 bytes, tagLongString from 256 on; the bytes are stored as they are.
    void PutString(const std::string &value);
    void PutBoolean(bool value);
    void PutListBegin();
    void PutListEnd();
    // Writes the buffered bytes to the stream and empties the buffer.
    void FlushBuffer();

private:
    void WriteBytes(const void *data, std::size_t count);
    void WriteByte(uint8_t value) { WriteBytes(&value, 1); }

    TKXStream &FStream;
    std::vector<uint8_t> FBuffer;
    std::size_t FCount = 0;
};

// Takes tagged values back from a stream that it does not own, through a buffer of a fixed
// size. A wrong tag raises EReadError "Ungültiger Wert der Eigenschaft"; data that ends
// inside or before a value raises EReadError "Stream-Read-Fehler ". Destroying the reader
// steps the stream back over the bytes it buffered but did not consume, so the stream
// stands just behind the last value taken.
class TValueReader {
public:
    TValueReader(TKXStream &stream, std::size_t bufferSize);
    TValueReader(const TValueReader &) = delete;
    TValueReader &operator=(const TValueReader &) = delete;
    ~TValueReader();

    // Accepts tagInt8, tagInt16 and tagInt32.
    int32_t GetInteger();
    // Accepts tagString and tagLongString. A length that runs past the end of the data (or a
    // negative one) is refused before anything is allocated for it.
    std::string GetString();
    // True exactly for tagTrue; any other tag gives false and only the tag is consumed.
    bool GetBoolean();
    // On a wrong tag both pass over the value that starts with it and raise the read error.
    void GetListBegin();
    void GetListEnd();
    // Whether the next tag is tagListEnd, consuming nothing.
    bool AtListEnd();
    // The stream offset of the tag of the value last begun, so an error can say where the
    // data went wrong; 0 before the first value.
    int64_t ValueOffset() const { return FValueOffset; }

private:
    // Notes the offset of the value that starts at the next byte.
    void BeginValue();
    uint8_t ReadByte();
    void ReadBytes(void *data, std::size_t count);
    void SkipBytes(std::size_t count);
    void SkipValue(uint8_t tag);
    // Bytes still available: unconsumed buffer plus what the stream holds after its position.
    int64_t Remaining() const;
    // Reads a string length of 1 or 4 bytes and checks it against Remaining.
    std::size_t ReadLength(bool longForm);
    void FillBuffer();
    [[noreturn]] static void PropertyError();
    [[noreturn]] static void ReadError();

    TKXStream &FStream;
    std::vector<uint8_t> FBuffer;
    std::size_t FCount = 0;
    std::size_t FPos = 0;
    int64_t FValueOffset = 0;
};
