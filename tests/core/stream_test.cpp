#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXStream.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

namespace {

TBytes Written(const std::function<void(TValueWriter &)> &put, std::size_t bufferSize = 128)
{
    TKXMemoryStream stream;
    {
        TValueWriter writer(stream, bufferSize);
        put(writer);
    }
    return stream.Bytes();
}

template <typename TException>
void ExpectFailure(const std::function<void()> &action, const std::string &message)
{
    try {
        action();
        ADD_FAILURE() << "no exception, expected: " << message;
    } catch (const TException &e) {
        EXPECT_EQ(e.Message(), message);
    }
}

// ---------------------------------------------------------------------------------------------
// Integers: the shortest form, sign-extended back.

struct TIntegerCase {
    int32_t Value;
    TBytes Bytes;
};

class IntegerEncoding : public ::testing::TestWithParam<TIntegerCase> {};

TEST_P(IntegerEncoding, UsesShortestFormAndReadsBack)
{
    const auto &c = GetParam();
    EXPECT_EQ(Written([&](TValueWriter &w) { w.PutInteger(c.Value); }), c.Bytes);
    TKXMemoryStream stream(c.Bytes);
    TValueReader reader(stream, 128);
    EXPECT_EQ(reader.GetInteger(), c.Value);
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, IntegerEncoding,
    ::testing::Values(TIntegerCase{0, {0x02, 0x00}}, TIntegerCase{127, {0x02, 0x7F}},
                      TIntegerCase{-128, {0x02, 0x80}}, TIntegerCase{-1, {0x02, 0xFF}},
                      TIntegerCase{128, {0x03, 0x80, 0x00}}, TIntegerCase{-129, {0x03, 0x7F, 0xFF}},
                      TIntegerCase{32767, {0x03, 0xFF, 0x7F}}, TIntegerCase{-32768, {0x03, 0x00, 0x80}},
                      TIntegerCase{32768, {0x04, 0x00, 0x80, 0x00, 0x00}},
                      TIntegerCase{-32769, {0x04, 0xFF, 0x7F, 0xFF, 0xFF}},
                      TIntegerCase{100000, {0x04, 0xA0, 0x86, 0x01, 0x00}},
                      TIntegerCase{std::numeric_limits<int32_t>::max(), {0x04, 0xFF, 0xFF, 0xFF, 0x7F}},
                      TIntegerCase{std::numeric_limits<int32_t>::min(), {0x04, 0x00, 0x00, 0x00, 0x80}}));

TEST(ValueReader, AcceptsIntegersInAnyWidth)
{
    TKXMemoryStream stream({0x03, 0xFF, 0xFF, 0x02, 0x80, 0x04, 0x05, 0x00, 0x00, 0x00, 0x03, 0x80, 0x00});
    TValueReader reader(stream, 128);
    EXPECT_EQ(reader.GetInteger(), -1);
    EXPECT_EQ(reader.GetInteger(), -128);
    EXPECT_EQ(reader.GetInteger(), 5);
    EXPECT_EQ(reader.GetInteger(), 128);
}

// ---------------------------------------------------------------------------------------------
// Strings

TEST(ValueWriter, StringFormsFollowTheLength)
{
    EXPECT_EQ(Written([](TValueWriter &w) { w.PutString("UOL1.00"); }),
              (TBytes{0x06, 0x07, 0x55, 0x4F, 0x4C, 0x31, 0x2E, 0x30, 0x30}));
    EXPECT_EQ(Written([](TValueWriter &w) { w.PutString(""); }), (TBytes{0x06, 0x00}));

    const TBytes s255 = Written([](TValueWriter &w) { w.PutString(std::string(255, 'a')); });
    ASSERT_EQ(s255.size(), 257u);
    EXPECT_EQ(s255[0], 0x06);
    EXPECT_EQ(s255[1], 0xFF);

    const TBytes s256 = Written([](TValueWriter &w) { w.PutString(std::string(256, 'b')); });
    ASSERT_EQ(s256.size(), 261u);
    EXPECT_EQ(TBytes(s256.begin(), s256.begin() + 5), (TBytes{0x0C, 0x00, 0x01, 0x00, 0x00}));
    EXPECT_EQ(s256[5], 'b');
}

TEST(ValueReader, StringsRoundTripByteForByte)
{
    std::string allBytes;
    for (int c = 0; c < 300; ++c)
        allBytes += static_cast<char>(c % 256);
    const std::vector<std::string> values{"", "x", std::string(255, 'c'), std::string(256, 'd'), allBytes};
    TKXMemoryStream stream(Written([&](TValueWriter &w) {
        for (const auto &v : values)
            w.PutString(v);
    }));
    TValueReader reader(stream, 128);
    for (const auto &v : values)
        EXPECT_EQ(reader.GetString(), v);
}

TEST(ValueReader, TakesTheEmptyStringInBothForms)
{
    TKXMemoryStream stream({0x06, 0x00, 0x0C, 0x00, 0x00, 0x00, 0x00, 0x02, 0x09});
    TValueReader reader(stream, 128);
    EXPECT_EQ(reader.GetString(), "");
    EXPECT_EQ(reader.GetString(), "");
    EXPECT_EQ(reader.GetInteger(), 9);
}

// ---------------------------------------------------------------------------------------------
// Booleans and lists

TEST(ValueWriter, BooleansAndListMarks)
{
    EXPECT_EQ(Written([](TValueWriter &w) {
                  w.PutBoolean(true);
                  w.PutBoolean(false);
                  w.PutListBegin();
                  w.PutListEnd();
              }),
              (TBytes{0x09, 0x08, 0x01, 0x00}));
}

TEST(ValueReader, GetBooleanIsTrueOnlyForTagTrueAndConsumesOnlyTheTag)
{
    TKXMemoryStream stream({0x09, 0x08, 0x02, 0x09, 0x06});
    TValueReader reader(stream, 128);
    EXPECT_TRUE(reader.GetBoolean());
    EXPECT_FALSE(reader.GetBoolean());
    EXPECT_FALSE(reader.GetBoolean()); // an integer tag: its payload byte stays unread
    EXPECT_TRUE(reader.GetBoolean());
    EXPECT_FALSE(reader.GetBoolean());
}

TEST(ValueReader, AtListEndPeeksWithoutConsuming)
{
    TKXMemoryStream stream({0x01, 0x02, 0x05, 0x00});
    TValueReader reader(stream, 128);
    reader.GetListBegin();
    EXPECT_FALSE(reader.AtListEnd());
    EXPECT_EQ(reader.GetInteger(), 5);
    EXPECT_TRUE(reader.AtListEnd());
    EXPECT_TRUE(reader.AtListEnd());
    reader.GetListEnd();
}

// ---------------------------------------------------------------------------------------------
// Failures

TEST(ValueReader, WrongTagsAreInvalidPropertyValues)
{
    const std::vector<std::pair<TBytes, std::function<void(TValueReader &)>>> cases{
        {{0x06, 0x00}, [](TValueReader &r) { r.GetInteger(); }},
        {{0x09}, [](TValueReader &r) { r.GetInteger(); }},
        {{0x02, 0x00}, [](TValueReader &r) { r.GetString(); }},
        {{0x07, 0x01, 0x41}, [](TValueReader &r) { r.GetString(); }},
        {{0x00}, [](TValueReader &r) { r.GetListBegin(); }},
        {{0x01}, [](TValueReader &r) { r.GetListEnd(); }},
    };
    for (const auto &[bytes, read] : cases) {
        TKXMemoryStream stream(bytes);
        TValueReader reader(stream, 128);
        ExpectFailure<EReadError>([&] { read(reader); }, KXMessages::InvalidPropertyValue);
    }
}

// A list mark that finds another value passes over that whole value before it complains.
class ListMismatch : public ::testing::TestWithParam<TBytes> {};

TEST_P(ListMismatch, PassesOverTheValue)
{
    TBytes bytes = GetParam();
    bytes.insert(bytes.end(), {0x02, 0x2A});
    for (const bool listBegin : {true, false}) {
        TKXMemoryStream stream(bytes);
        TValueReader reader(stream, 128);
        ExpectFailure<EReadError>([&] { listBegin ? reader.GetListBegin() : reader.GetListEnd(); },
                                  KXMessages::InvalidPropertyValue);
        EXPECT_EQ(reader.GetInteger(), 42);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryTag, ListMismatch,
    ::testing::Values(TBytes{0x02, 0x01}, TBytes{0x03, 0x01, 0x02}, TBytes{0x04, 1, 2, 3, 4},
                      TBytes{0x05, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, TBytes{0x06, 0x02, 'a', 'b'},
                      TBytes{0x07, 0x01, 'a'}, TBytes{0x08}, TBytes{0x09}, TBytes{0x0A, 0x02, 0, 0, 0, 7, 8},
                      TBytes{0x0B, 0x01, 'a', 0x02, 'b', 'c', 0x00}, TBytes{0x0C, 0x01, 0, 0, 0, 'z'},
                      TBytes{0x0D}));

TEST(ValueReader, DataEndingInsideOrBeforeAValueIsAStreamReadError)
{
    const std::vector<std::pair<TBytes, std::function<void(TValueReader &)>>> cases{
        {{}, [](TValueReader &r) { r.GetInteger(); }},
        {{}, [](TValueReader &r) { r.GetBoolean(); }},
        {{}, [](TValueReader &r) { r.AtListEnd(); }},
        {{}, [](TValueReader &r) { r.GetListEnd(); }},
        {{0x03, 0x01}, [](TValueReader &r) { r.GetInteger(); }},
        {{0x04, 0x01, 0x02, 0x03}, [](TValueReader &r) { r.GetInteger(); }},
        {{0x06}, [](TValueReader &r) { r.GetString(); }},
        {{0x06, 0x05}, [](TValueReader &r) { r.GetString(); }},
        {{0x06, 0x05, 'a', 'b'}, [](TValueReader &r) { r.GetString(); }},
        {{0x0C, 0x01, 0x00}, [](TValueReader &r) { r.GetString(); }},
        {{0x03, 0x01}, [](TValueReader &r) { r.GetListBegin(); }},
    };
    for (const auto &[bytes, read] : cases) {
        TKXMemoryStream stream(bytes);
        TValueReader reader(stream, 4);
        ExpectFailure<EReadError>([&] { read(reader); }, KXMessages::ReadError);
    }
}

TEST(ValueReader, RefusesHostileStringLengthsWithoutAllocatingThem)
{
    // 20 bytes that claim a string of 2 GiB - 1, and one with a negative length.
    TBytes hostile{0x0C, 0xFF, 0xFF, 0xFF, 0x7F};
    hostile.resize(20, 'x');
    TBytes negative{0x0C, 0x00, 0x00, 0x00, 0x80};
    negative.resize(20, 'x');
    // With address space for little more than what the process uses, allocating the claimed
    // length would fail with bad_alloc instead of the read error.
    const TAddressSpaceLimit limit(256 << 20);
    for (const auto &bytes : {hostile, negative}) {
        TKXMemoryStream stream(bytes);
        TValueReader reader(stream, 128);
        ExpectFailure<EReadError>([&] { reader.GetString(); }, KXMessages::ReadError);
    }
    // The same in a list mismatch, which passes over the value.
    TKXMemoryStream stream(hostile);
    TValueReader reader(stream, 128);
    ExpectFailure<EReadError>([&] { reader.GetListBegin(); }, KXMessages::ReadError);
}

TEST(ValueReader, AcceptsALengthThatExactlyFillsTheRest)
{
    TBytes bytes{0x0C, 0x2C, 0x01, 0x00, 0x00};
    bytes.resize(5 + 300, 'q');
    TKXMemoryStream stream(bytes);
    TValueReader reader(stream, 128);
    EXPECT_EQ(reader.GetString(), std::string(300, 'q'));
}

// ---------------------------------------------------------------------------------------------
// Buffering

class BufferSizes : public ::testing::TestWithParam<std::size_t> {};

TEST_P(BufferSizes, ValuesMaySpanBufferLoads)
{
    const auto put = [](TValueWriter &w) {
        w.PutListBegin();
        w.PutInteger(100000);
        w.PutString(std::string(300, 'e'));
        w.PutBoolean(true);
        w.PutInteger(-200);
        w.PutListEnd();
    };
    const TBytes expected = Written(put, 1000);
    EXPECT_EQ(Written(put, GetParam()), expected);

    TKXMemoryStream stream(expected);
    TValueReader reader(stream, GetParam());
    reader.GetListBegin();
    EXPECT_EQ(reader.GetInteger(), 100000);
    EXPECT_EQ(reader.GetString(), std::string(300, 'e'));
    EXPECT_TRUE(reader.GetBoolean());
    EXPECT_EQ(reader.GetInteger(), -200);
    EXPECT_TRUE(reader.AtListEnd());
    reader.GetListEnd();
}

INSTANTIATE_TEST_SUITE_P(Sizes, BufferSizes, ::testing::Values(1, 2, 3, 7, 128));

TEST(ValueWriter, HoldsBytesUntilTheBufferIsFull)
{
    TKXMemoryStream stream;
    TValueWriter writer(stream, 4);
    writer.PutInteger(1000); // 3 bytes
    EXPECT_EQ(stream.Bytes().size(), 0u);
    writer.PutInteger(100000); // 5 more: the full buffer goes out first
    EXPECT_EQ(stream.Bytes().size(), 4u);
    writer.FlushBuffer();
    EXPECT_EQ(stream.Bytes().size(), 8u);
}

// A stream that takes at most Capacity bytes in all, like a full disk.
class TShortStream : public TKXMemoryStream {
public:
    explicit TShortStream(std::size_t capacity) : Capacity(capacity) {}
    std::size_t Write(const void *buffer, std::size_t count) override
    {
        const std::size_t n = std::min(count, Capacity - Bytes().size());
        return TKXMemoryStream::Write(buffer, n);
    }
    std::size_t Capacity;
};

TEST(ValueWriter, ShortWritesRaiseTheWriteErrorButNotFromTheDestructor)
{
    TShortStream stream(10);
    {
        TValueWriter writer(stream, 8);
        writer.PutString("0123456789");
        ExpectFailure<EWriteError>([&] { writer.FlushBuffer(); }, KXMessages::WriteError);
        writer.PutInteger(1);
    } // the destructor's failing write is swallowed
    EXPECT_EQ(stream.Bytes().size(), 10u);
}

// ---------------------------------------------------------------------------------------------
// File stream

using FileStream = TScratchDirTest;

TEST_F(FileStream, OpenAndCreateFailuresNameTheFile)
{
    const std::string missing = Path("missing.uol");
    ExpectFailure<EFOpenError>([&] { TKXFileStream s(missing, fmOpenRead); },
                               "Kann Datei " + missing + " nicht öffnen");
    ExpectFailure<EFOpenError>([&] { TKXFileStream s(FDir, fmOpenRead); },
                               "Kann Datei " + FDir + " nicht öffnen");
    const std::string noDir = Path("no/such/dir.uol");
    ExpectFailure<EFCreateError>([&] { TKXFileStream s(noDir, fmCreate); },
                                 "Kann Datei " + noDir + " nicht erstellen");
}

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
            // A small buffer: the step back covers only what the last load left unconsumed.
            TValueReader reader(stream, 4);
            EXPECT_EQ(reader.GetString(), "z");
            EXPECT_EQ(reader.GetInteger(), 4);
        }
        EXPECT_EQ(stream.Position(), 10);
        uint8_t rest[4] = {};
        EXPECT_EQ(stream.Read(rest, sizeof rest), 2u);
        EXPECT_EQ(rest[1], 0x05);
    }
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

}
