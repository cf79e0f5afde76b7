#include "KXGR/core/KXTextFile.h"

#include "KXGR/core/KXErrors.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

namespace {

namespace fs = std::filesystem;

class TextFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir = fs::temp_directory_path() /
              ("kx_textfile_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(Dir);
    }
    void TearDown() override { fs::remove_all(Dir); }

    std::string PathOf(const std::string &name) const { return (Dir / name).string(); }

    std::string WriteRaw(const std::string &bytes) const
    {
        const std::string path = PathOf("raw.txt");
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    std::string ReadRaw(const std::string &path) const
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path Dir;
};

void ExpectInOutError(const std::function<void()> &action, const std::string &message)
{
    try {
        action();
        ADD_FAILURE() << "no EInOutError, expected \"" << message << "\"";
    } catch (const EInOutError &e) {
        EXPECT_EQ(e.Message(), message);
    }
}

struct IntegerCase {
    const char *Content;
    std::vector<int32_t> Expected;
};

class ReadIntegerRules : public TextFileTest, public ::testing::WithParamInterface<IntegerCase> {};

TEST_P(ReadIntegerRules, ReadsTheExpectedValues)
{
    TKXTextFile f;
    f.Open(WriteRaw(GetParam().Content));
    for (const int32_t expected : GetParam().Expected)
        EXPECT_EQ(f.ReadInteger(), expected);
    f.Close();
}

INSTANTIATE_TEST_SUITE_P(
    TextFile, ReadIntegerRules,
    ::testing::Values(
        IntegerCase{"42", {42}},
        IntegerCase{" \t 42\r\n", {42}},
        IntegerCase{"-7 +15 0", {-7, 15, 0}},
        IntegerCase{"1 2\r\n\r\n  3\n4", {1, 2, 3, 4}},           // line ends are blanks too
        IntegerCase{"$FF $ff -$10 +$7FFFFFFF", {255, 255, -16, 2147483647}},
        IntegerCase{"$FFFFFFFF $80000000", {-1, INT32_MIN}},      // hex is a 32-bit pattern
        IntegerCase{"2147483647 -2147483648", {2147483647, INT32_MIN}},
        IntegerCase{"00000000000000000000000000000000000012", {0, 12}},  // 32 characters at most
        IntegerCase{"", {0, 0}},                                  // end of file reads as 0
        IntegerCase{"  \r\n\t \r\n", {0}},
        IntegerCase{"5", {5, 0}}));

struct BadNumber {
    const char *Content;
};

class ReadIntegerFailures : public TextFileTest, public ::testing::WithParamInterface<BadNumber> {};

TEST_P(ReadIntegerFailures, FailWithTheNumericInputError)
{
    TKXTextFile f;
    f.Open(WriteRaw(GetParam().Content));
    ExpectInOutError([&] { f.ReadInteger(); }, "Ungültige numerische Eingabe");
}

INSTANTIATE_TEST_SUITE_P(
    TextFile, ReadIntegerFailures,
    ::testing::Values(BadNumber{"2147483648"}, BadNumber{"-2147483649"}, BadNumber{"4294967297"},
                      BadNumber{"99999999999999999999"}, BadNumber{"$100000000"}, BadNumber{"12a"},
                      BadNumber{"1.5"}, BadNumber{"+"}, BadNumber{"-"}, BadNumber{"$"}, BadNumber{"$G"},
                      BadNumber{"--1"}, BadNumber{"0x10"}, BadNumber{"TKXVertex"}, BadNumber{"1,2"}));

TEST_F(TextFileTest, ControlCharactersCountAsBlanks)
{
    TKXTextFile f;
    f.Open(WriteRaw("\x01\x1F 9\x7F"));
    ExpectInOutError([&] { f.ReadInteger(); }, "Ungültige numerische Eingabe");  // "9\x7F"
}

TEST_F(TextFileTest, LinesEndWithCrLfOrBareLf)
{
    TKXTextFile f;
    f.Open(WriteRaw("KX1.00\r\nsecond\nthird\r\r\n\r\nlast"));
    EXPECT_EQ(f.ReadLine(), "KX1.00");
    EXPECT_EQ(f.ReadLine(), "second");
    EXPECT_EQ(f.ReadLine(), "third\r");  // a lone CR is data
    EXPECT_EQ(f.ReadLine(), "");
    EXPECT_FALSE(f.Eof());
    EXPECT_EQ(f.ReadLine(), "last");
    EXPECT_TRUE(f.Eof());
    EXPECT_EQ(f.ReadLine(), "");
    EXPECT_EQ(f.ReadInteger(), 0);
}

TEST_F(TextFileTest, IntegerLeavesItsTerminatorAndReadLnSkipsTheRestOfTheLine)
{
    TKXTextFile f;
    f.Open(WriteRaw("1 0\r\n7 rest of line\r\nTKXVertex\r\n12\r\nName"));
    EXPECT_EQ(f.ReadInteger(), 1);
    EXPECT_EQ(f.ReadInteger(), 0);
    f.ReadLn();
    EXPECT_EQ(f.ReadInteger(), 7);
    f.ReadLn();
    EXPECT_EQ(f.ReadLine(), "TKXVertex");
    EXPECT_EQ(f.ReadInteger(), 12);
    EXPECT_EQ(f.ReadLine(), "");  // the rest of the number's line
    EXPECT_EQ(f.ReadLine(), "Name");
    f.ReadLn();  // at the end: nothing happens
    EXPECT_TRUE(f.Eof());
}

TEST_F(TextFileTest, WritesCrLfLinesAndBlankSeparatedIntegers)
{
    const std::string path = PathOf("out.txt");
    TKXTextFile f;
    f.Create(path);
    f.WriteLine("KX1.00");
    f.WriteIntegers({1, 0});
    f.WriteIntegers({150, -75, 250, INT32_MIN});
    f.WriteLine("caf\xE9 \x80");  // code page 1252 bytes pass unchanged
    f.WriteLine("");
    f.WriteIntegers({});
    f.Close();
    EXPECT_EQ(ReadRaw(path), "KX1.00\r\n1 0\r\n150 -75 250 -2147483648\r\ncaf\xE9 \x80\r\n\r\n\r\n");
}

TEST_F(TextFileTest, CreateReplacesAnExistingFile)
{
    const std::string path = WriteRaw("old content that is longer\r\n");
    TKXTextFile f;
    f.Create(path);
    f.WriteLine("new");
    f.Close();
    EXPECT_EQ(ReadRaw(path), "new\r\n");
}

TEST_F(TextFileTest, RoundTripAcrossBufferBoundaries)
{
    const std::string path = PathOf("big.txt");
    const std::string longLine(200000, 'x');
    {
        TKXTextFile f;
        f.Create(path);
        for (int32_t i = 0; i < 30000; ++i) {
            f.WriteIntegers({i});
            f.WriteIntegers({i, -i, i * 3, 7});
        }
        f.WriteLine(longLine);
        f.WriteLine("end");
        f.Close();
    }
    TKXTextFile f;
    f.Open(path);
    for (int32_t i = 0; i < 30000; ++i) {
        ASSERT_EQ(f.ReadInteger(), i);
        f.ReadLn();
        ASSERT_EQ(f.ReadInteger(), i);
        ASSERT_EQ(f.ReadInteger(), -i);
        ASSERT_EQ(f.ReadInteger(), i * 3);
        ASSERT_EQ(f.ReadInteger(), 7);
        f.ReadLn();
    }
    EXPECT_EQ(f.ReadLine(), longLine);
    EXPECT_EQ(f.ReadLine(), "end");
    EXPECT_TRUE(f.Eof());
}

TEST_F(TextFileTest, OpenAndCreateFailuresUseTheRuntimeTexts)
{
    TKXTextFile f;
    ExpectInOutError([&] { f.Open(PathOf("missing.txt")); }, "Datei nicht gefunden");
    ExpectInOutError([&] { f.Create(PathOf("no/such/dir.txt")); }, "Ungültiger Dateiname");
    ExpectInOutError([&] { f.Open(Dir.string()); }, "Dateizugriff verweigert");
    ExpectInOutError([&] { f.Create(Dir.string()); }, "Dateizugriff verweigert");
    EXPECT_FALSE(f.IsOpen());
}

TEST_F(TextFileTest, WriteFailureIsReportedByClose)
{
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    TKXTextFile f;
    f.Create("/dev/full");
    f.WriteLine("lost");
    ExpectInOutError([&] { f.Close(); }, "Zu wenig Speicherplatz");
    EXPECT_FALSE(f.IsOpen());
    f.Close();  // closing again does nothing
}

TEST_F(TextFileTest, WrongDirectionOrClosedFileFails)
{
    TKXTextFile f;
    ExpectInOutError([&] { f.ReadLine(); }, "E/A-Fehler 103");
    f.Create(PathOf("w.txt"));
    ExpectInOutError([&] { f.ReadInteger(); }, "E/A-Fehler 104");
    f.Close();
    f.Open(PathOf("w.txt"));
    ExpectInOutError([&] { f.WriteLine("x"); }, "E/A-Fehler 105");
}

}
