#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXStream.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

namespace {

using TPut = std::function<void(TValueWriter &)>;
using TRead = std::function<void(TValueReader &)>;

TBytes Written(const TPut &put)
{
    TKXMemoryStream stream;
    {
        TValueWriter writer(stream, 128);
        put(writer);
    }
    return stream.Bytes();
}

TEST(ValueStream, IntegersTakeTheShortestFormAndReadBack)
{
    const std::pair<int32_t, TBytes> cases[] = {
        {0, {0x02, 0x00}}, {127, {0x02, 0x7F}}, {-128, {0x02, 0x80}}, {-1, {0x02, 0xFF}},
        {128, {0x03, 0x80, 0x00}}, {-129, {0x03, 0x7F, 0xFF}}, {32767, {0x03, 0xFF, 0x7F}},
        {-32768, {0x03, 0x00, 0x80}}, {32768, {0x04, 0x00, 0x80, 0x00, 0x00}},
        {-32769, {0x04, 0xFF, 0x7F, 0xFF, 0xFF}}, {100000, {0x04, 0xA0, 0x86, 0x01, 0x00}},
        {std::numeric_limits<int32_t>::max(), {0x04, 0xFF, 0xFF, 0xFF, 0x7F}},
        {std::numeric_limits<int32_t>::min(), {0x04, 0x00, 0x00, 0x00, 0x80}}};
    for (const auto &[value, bytes] : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ(Written([&](TValueWriter &w) { w.PutInteger(value); }), bytes);
        TKXMemoryStream stream(bytes);
        EXPECT_EQ(TValueReader(stream, 128).GetInteger(), value);
    }
    // Other writers may use a wider form than needed.
    TKXMemoryStream stream({0x03, 0xFF, 0xFF, 0x04, 0x05, 0x00, 0x00, 0x00, 0x03, 0x80, 0x00});
    TValueReader reader(stream, 128);
    for (const int32_t expected : {-1, 5, 128})
        EXPECT_EQ(reader.GetInteger(), expected);
}

TEST(ValueStream, StringFormsFollowTheLengthAndRoundTripEveryByte)
{
    std::string allBytes;
    for (int c = 0; c < 300; ++c)
        allBytes += static_cast<char>(c % 256);
    const std::string a255(255, 'a'), b256(256, 'b');
    const std::pair<std::string, TBytes> cases[] = {
        {"", {0x06, 0x00}}, {"UOL1.00", BytesOf("\x06\x07UOL1.00")}, {a255, BytesOf("\x06\xFF" + a255)},
        {b256, BytesOf(std::string("\x0C\x00\x01\x00\x00", 5) + b256)},
        {allBytes, BytesOf(std::string("\x0C\x2C\x01\x00\x00", 5) + allBytes)}};
    for (const auto &[value, bytes] : cases) {
        SCOPED_TRACE(value.size());
        EXPECT_EQ(Written([&](TValueWriter &w) { w.PutString(value); }), bytes);
        TKXMemoryStream stream(bytes);
        EXPECT_EQ(TValueReader(stream, 128).GetString(), value);
    }
    // The empty string in both forms.
    TKXMemoryStream empties({0x06, 0x00, 0x0C, 0x00, 0x00, 0x00, 0x00, 0x02, 0x09});
    TValueReader emptyReader(empties, 128);
    EXPECT_EQ(emptyReader.GetString(), "");
    EXPECT_EQ(emptyReader.GetString(), "");
    EXPECT_EQ(emptyReader.GetInteger(), 9);
}

TEST(ValueStream, BooleansAndListMarks)
{
    const TPut put = [](TValueWriter &w) { w.PutBoolean(true); w.PutBoolean(false); w.PutListBegin(); w.PutListEnd(); };
    EXPECT_EQ(Written(put), (TBytes{0x09, 0x08, 0x01, 0x00}));

    // True only for the true tag; any other tag is consumed alone.
    TKXMemoryStream stream({0x09, 0x08, 0x02, 0x09, 0x01, 0x02, 0x05, 0x00});
    TValueReader reader(stream, 128);
    for (const bool expected : {true, false, false, true})
        EXPECT_EQ(reader.GetBoolean(), expected);
    reader.GetListBegin();
    EXPECT_FALSE(reader.AtListEnd());
    EXPECT_EQ(reader.GetInteger(), 5);
    EXPECT_TRUE(reader.AtListEnd());
    EXPECT_TRUE(reader.AtListEnd()) << "peeking consumes nothing";
    reader.GetListEnd();
}

TEST(ValueStream, WrongTagsAndShortDataFail)
{
    const auto getInt = [](TValueReader &r) { r.GetInteger(); };
    const auto getString = [](TValueReader &r) { r.GetString(); };
    const auto listBegin = [](TValueReader &r) { r.GetListBegin(); };
    const std::string invalid = KXMessages::InvalidPropertyValue, readError = KXMessages::ReadError;
    const std::tuple<TBytes, TRead, std::string> cases[] = {
        {{0x06, 0x00}, getInt, invalid}, {{0x09}, getInt, invalid}, {{0x02, 0x00}, getString, invalid},
        {{0x07, 0x01, 0x41}, getString, invalid}, {{0x00}, listBegin, invalid},
        {{0x01}, [](TValueReader &r) { r.GetListEnd(); }, invalid},
        {{}, getInt, readError}, {{}, [](TValueReader &r) { r.GetBoolean(); }, readError},
        {{}, [](TValueReader &r) { r.AtListEnd(); }, readError}, {{0x03, 0x01}, getInt, readError},
        {{0x04, 0x01, 0x02, 0x03}, getInt, readError}, {{0x06}, getString, readError},
        {{0x06, 0x05, 'a', 'b'}, getString, readError}, {{0x0C, 0x01, 0x00}, getString, readError},
        {{0x03, 0x01}, listBegin, readError},
    };
    for (const auto &[bytes, read, message] : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        TKXMemoryStream stream(bytes);
        TValueReader reader(stream, 4);
        ExpectError<EReadError>([&] { read(reader); }, message);
    }
}

TEST(ValueStream, RefusesHostileStringLengthsWithoutAllocatingThem)
{
    // 20 bytes that claim a string of 2 GiB - 1, and one with a negative length.
    TBytes hostile{0x0C, 0xFF, 0xFF, 0xFF, 0x7F}, negative{0x0C, 0x00, 0x00, 0x00, 0x80};
    hostile.resize(20, 'x');
    negative.resize(20, 'x');
    // Allocating the claimed length would fail with bad_alloc instead of the read error.
    const TResourceLimit limit(RLIMIT_AS, MappedBytes() + (256 << 20));
    for (const TRead &read : {TRead([](TValueReader &r) { r.GetString(); }),
                              TRead([](TValueReader &r) { r.GetListBegin(); })})
        for (const auto &bytes : {hostile, negative}) {
            TKXMemoryStream stream(bytes);
            TValueReader reader(stream, 128);
            ExpectError<EReadError>([&] { read(reader); }, KXMessages::ReadError);
        }
}

TEST(ValueStream, ShortWritesRaiseTheWriteErrorButNotFromTheDestructor)
{
    struct TShortStream : TKXMemoryStream { // takes at most 10 bytes in all, like a full disk
        std::size_t Write(const void *b, std::size_t n) override
        {
            return TKXMemoryStream::Write(b, std::min(n, 10 - Bytes().size()));
        }
    } stream;
    {
        TValueWriter writer(stream, 8);
        writer.PutString("0123456789");
        ExpectError<EWriteError>([&] { writer.FlushBuffer(); }, KXMessages::WriteError);
        writer.PutInteger(1);
    }
    EXPECT_EQ(stream.Bytes().size(), 10u);
}

using FileStream = TScratchDirTest;

TEST_F(FileStream, ReaderLeavesTheFileJustBehindTheLastValueTaken)
{
    const std::string name = Path("values.bin");
    WriteFileBytes(name, {0x02, 0x01, 0x03, 0x00, 0x01, 0x06, 0x01, 'z', 0x02, 0x04, 0x02, 0x05});
    const std::size_t descriptors = OpenDescriptorCount();
    {
        TKXFileStream stream(name, fmOpenRead);
        {
            TValueReader reader(stream, 128);
            EXPECT_EQ(reader.GetInteger(), 1);
            EXPECT_EQ(reader.GetInteger(), 256);
            EXPECT_FALSE(reader.AtListEnd());
        }
        EXPECT_EQ(stream.Position(), 5);
        {
            // A small buffer: the step back covers only what the last load left unconsumed, and the
            // last integer's tag and value come in different loads.
            TValueReader reader(stream, 4);
            EXPECT_EQ(reader.GetString(), "z");
            EXPECT_EQ(reader.GetInteger(), 4);
        }
        EXPECT_EQ(stream.Position(), 10);
    }
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

}
