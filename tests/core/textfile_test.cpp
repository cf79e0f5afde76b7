#include "KXGR/core/KXTextFile.h"

#include "KXGR/core/KXErrors.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class TextFileTest : public TScratchDirTest {
protected:
    TKXTextFile &OpenWith(const std::string &content)
    {
        WriteFileBytes(Path("raw.txt"), BytesOf(content));
        FFile.Open(Path("raw.txt"));
        return FFile;
    }
    TKXTextFile FFile;
};

TEST_F(TextFileTest, ReadIntegerRules)
{
    // Line ends are blanks too; hex is a 32-bit pattern; a number takes 32 characters at most; the
    // end of the file reads as 0.
    const std::pair<const char *, std::vector<int32_t>> cases[] = {
        {" \t 42\r\n", {42}}, {"-7 +15 0", {-7, 15, 0}}, {"1 2\r\n\r\n  3\n4", {1, 2, 3, 4}},
        {"$FF $ff -$10 +$7FFFFFFF", {255, 255, -16, 2147483647}}, {"$FFFFFFFF $80000000", {-1, INT32_MIN}},
        {"2147483647 -2147483648", {2147483647, INT32_MIN}}, {"00000000000000000000000000000000000012", {0, 12}},
        {"", {0, 0}}, {"  \r\n\t \r\n", {0}}};
    for (const auto &[content, expected] : cases) {
        SCOPED_TRACE(content);
        TKXTextFile &f = OpenWith(content);
        for (const int32_t value : expected)
            EXPECT_EQ(f.ReadInteger(), value);
        f.Close();
    }
    for (const char *bad : {"2147483648", "-2147483649", "4294967297", "99999999999999999999", "$100000000", "12a",
                            "1.5", "+", "-", "$", "$G", "--1", "0x10", "TKXVertex", "1,2",
                            "\x01\x1F 9\x7F"}) { // control characters are blanks, but end no number
        SCOPED_TRACE(bad);
        ExpectError<EInOutError>([&] { OpenWith(bad).ReadInteger(); }, "Ungültige numerische Eingabe");
        FFile.Close();
    }
}

TEST_F(TextFileTest, LinesEndWithCrLfOrBareLfAndReadLnSkipsTheRestOfTheLine)
{
    TKXTextFile &f = OpenWith("KX1.00\r\nsecond\nthird\r\r\n\r\nlast");
    int64_t lineNumber = 0;
    for (const char *line : {"KX1.00", "second", "third\r", ""}) { // a lone CR is data
        EXPECT_EQ(f.ReadLine(), line);
        EXPECT_EQ(f.LineNumber(), ++lineNumber);
    }
    EXPECT_FALSE(f.Eof());
    EXPECT_EQ(f.ReadLine(), "last");
    EXPECT_TRUE(f.Eof());
    EXPECT_EQ(f.ReadLine(), "");
    EXPECT_EQ(f.ReadInteger(), 0);
    EXPECT_EQ(f.LineNumber(), 5); // the last line has no line end to pass

    // An integer leaves its terminator; ReadLn skips the rest of the line.
    f.Close();
    OpenWith("1 0\r\n7 rest of line\r\nTKXVertex\r\n12\r\nName");
    EXPECT_EQ(f.ReadInteger(), 1);
    EXPECT_EQ(f.ReadInteger(), 0);
    f.ReadLn();
    EXPECT_EQ(f.ReadInteger(), 7);
    f.ReadLn();
    EXPECT_EQ(f.ReadLine(), "TKXVertex");
    EXPECT_EQ(f.ReadInteger(), 12);
    EXPECT_EQ(f.LineNumber(), 4); // the line of the number, not of the blanks before it
    EXPECT_EQ(f.ReadLine(), ""); // the rest of the number's line
    EXPECT_EQ(f.ReadLine(), "Name");
    f.ReadLn(); // at the end: nothing happens
    EXPECT_TRUE(f.Eof());
}

TEST_F(TextFileTest, WritesCrLfLinesAndBlankSeparatedIntegersOverAnOldFile)
{
    WriteFileBytes(Path("out.txt"), BytesOf(std::string(100, 'o')));
    TKXTextFile f;
    f.Create(Path("out.txt"));
    f.WriteLine("KX1.00");
    f.WriteIntegers({150, -75, 250, INT32_MIN});
    f.WriteLine("caf\xE9 \x80"); // code page 1252 bytes pass unchanged
    f.WriteLine("");
    f.WriteIntegers({});
    f.Close();
    EXPECT_EQ(ReadFileText(Path("out.txt")), "KX1.00\r\n150 -75 250 -2147483648\r\ncaf\xE9 \x80\r\n\r\n\r\n");
}

// The first number straddles the 64 KiB buffer boundary; the last line is longer than a buffer.
TEST_F(TextFileTest, ValuesAndLinesSpanBufferLoads)
{
    const std::string longLine(200000, 'x');
    TKXTextFile f;
    f.Create(Path("big.txt"));
    f.WriteLine(std::string(65533, 'a'));
    f.WriteIntegers({123456, -7});
    f.WriteLine(longLine);
    f.Close();
    f.Open(Path("big.txt"));
    EXPECT_EQ(f.ReadLine(), std::string(65533, 'a'));
    EXPECT_EQ(f.ReadInteger(), 123456);
    EXPECT_EQ(f.ReadInteger(), -7);
    f.ReadLn();
    EXPECT_EQ(f.ReadLine(), longLine);
    EXPECT_TRUE(f.Eof());
}

TEST_F(TextFileTest, FailuresUseTheRuntimeTexts)
{
    TKXTextFile f;
    ExpectError<EInOutError>([&] { f.ReadLine(); }, "E/A-Fehler 103");
    ExpectError<EInOutError>([&] { f.Open(Path("missing.txt")); }, "Datei nicht gefunden");
    ExpectError<EInOutError>([&] { f.Create(Path("no/such/dir.txt")); }, "Ungültiger Dateiname");
    ExpectError<EInOutError>([&] { f.Open(FDir); }, "Dateizugriff verweigert");
    ExpectError<EInOutError>([&] { f.Create(FDir); }, "Dateizugriff verweigert");
    EXPECT_FALSE(f.IsOpen());

    if (std::filesystem::exists("/dev/full")) { // a write failure is reported by Close
        f.Create("/dev/full");
        f.WriteLine("lost");
        ExpectError<EInOutError>([&] { f.Close(); }, "Zu wenig Speicherplatz");
        EXPECT_FALSE(f.IsOpen());
        f.Close();
    }
}

}
