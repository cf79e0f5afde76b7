// glyphsmith-cli run as a user runs it: as a separate process, on a machine whose DISPLAY
// names no server and whose platform is set to one that needs it, so every test also shows
// that the tool needs no display.
#include "core/TestFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QProcess>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <variant>

namespace {

struct TRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

TRun RunCli(const QStringList &args)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":97"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(CLI_PATH), args);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return {-1, {}, "crashed or hung"};
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

template <typename... T>
TRun Cli(const T &...args)
{
    return RunCli(QStringList{QString::fromStdString(std::string(args))...});
}

std::string CliData(const std::string &name) { return DataFile("cli/" + name); }

// A binary file written value by value: an int32_t is an integer value, a string a string
// value, raw bytes go in as they are (hostile lengths, wrong tags).
using TValue = std::variant<int32_t, std::string, TBytes>;
TBytes Values(const std::vector<TValue> &values)
{
    TBytes bytes;
    for (const TValue &value : values) {
        if (const auto *integer = std::get_if<int32_t>(&value)) {
            bytes.push_back(4);
            for (int shift = 0; shift < 32; shift += 8)
                bytes.push_back(uint8_t(uint32_t(*integer) >> shift));
        } else if (const auto *text = std::get_if<std::string>(&value)) {
            if (text->size() < 256) {
                bytes.push_back(6);
                bytes.push_back(uint8_t(text->size()));
            } else {
                bytes.push_back(12);
                for (int shift = 0; shift < 32; shift += 8)
                    bytes.push_back(uint8_t(text->size() >> shift));
            }
            bytes.insert(bytes.end(), text->begin(), text->end());
        } else {
            const TBytes &raw = std::get<TBytes>(value);
            bytes.insert(bytes.end(), raw.begin(), raw.end());
        }
    }
    return bytes;
}

class CliTest : public TScratchDirTest {
protected:
    struct TFailure {
        std::vector<std::string> Args;
        int Status;
        std::string Err;
    };
    // Runs the subcommand on each case's arguments: its status and message, and kept unchanged.
    void ExpectFailures(const char *subcommand, const std::vector<TFailure> &cases, const std::string &kept)
    {
        const std::string content = ReadFileText(kept);
        for (const TFailure &c : cases) {
            SCOPED_TRACE(c.Err);
            QStringList args{subcommand};
            for (const std::string &arg : c.Args)
                args << QString::fromStdString(arg);
            const TRun run = RunCli(args);
            EXPECT_EQ(run.Status, c.Status);
            EXPECT_EQ(run.Err, c.Err);
            EXPECT_EQ(ReadFileText(kept), content);
        }
    }
};

TEST_F(CliTest, ValidateReportsEveryGoodFileWithItsCounts)
{
    const TRun run = Cli("validate", DataFile("library_example.uol"), CliData("sheet.uol"), DataFile("library_empty.uol"),
                         DataFile("diagram_small.kx"), DataFile("diagram_small.txt"), CliData("diagram_styled.kxt"));
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, DataFile("library_example.uol") + ": ok (1 styles, 2 items)\n" + CliData("sheet.uol")
                           + ": ok (3 styles, 9 items)\n" + DataFile("library_empty.uol") + ": ok (0 styles, 0 items)\n"
                           + DataFile("diagram_small.kx") + ": ok (2 vertices, 1 edges)\n" + DataFile("diagram_small.txt")
                           + ": ok (2 vertices, 1 edges)\n" + CliData("diagram_styled.kxt")
                           + ": ok (3 vertices, 1 edges)\n");
    EXPECT_EQ(run.Err, "");
}

// Every kind of damage the readers know, with the reader's own message and where it stopped.
TEST_F(CliTest, ValidateReportsEachCorruptFileWithTheReadersMessageAndPosition)
{
    const TBytes libraryStart = Values({std::string("UOL1.00"), TBytes{1}});
    const TBytes diagramStart = Values({std::string("KX1.00")});
    const TBytes vertex = Values({std::string("TKXCustomVertex"), 1, 0, 0, 10, 10});
    const TBytes edgeToNowhere = Values({std::string("TKXCustomEdge"), 2, 1, 42});
    const auto join = [](std::initializer_list<TBytes> parts) {
        TBytes all;
        for (const TBytes &part : parts)
            all.insert(all.end(), part.begin(), part.end());
        return all;
    };
    struct TCase {
        const char *Name;
        TBytes Content;
        std::string Message; // after "FILE: error: "; %F stands for the file's path
    };
    const TCase cases[] = {
        // libraries
        {"truncated.uol", ReadFileBytes(DataFile("library_cut_in_second_style.uol")), "Stream-Read-Fehler  (at byte 116)"},
        {"magic.uol", ReadFileBytes(DataFile("library_lowercase_magic.uol")), "Invalid File Format (at byte 0)"},
        {"tag.uol", ReadFileBytes(DataFile("library_string_for_integer.uol")),
         "Ungültiger Wert der Eigenschaft (at byte 106)"},
        {"length.uol", join({libraryStart, TBytes{12, 0xFF, 0xFF, 0xFF, 0x7F, 'A'}}), "Stream-Read-Fehler  (at byte 10)"},
        {"empty.uol", {}, "Stream-Read-Fehler  (at byte 0)"},
        // binary diagrams
        {"truncated.kx", join({diagramStart, Values({1, 0}), TBytes(vertex.begin(), vertex.end() - 3)}),
         "Stream-Read-Fehler  (at byte 55)"},
        {"magic.kx", Values({std::string("KX1.01"), 0, 0}), "Invalid file format: %F (at byte 0)"},
        {"tag.kx", join({diagramStart, Values({std::string("one"), 0})}), "Ungültiger Wert der Eigenschaft (at byte 8)"},
        {"length.kx", join({diagramStart, Values({1, 0}), TBytes{12, 0xF0, 0xFF, 0xFF, 0x0F}}),
         "Stream-Read-Fehler  (at byte 18)"},
        {"count.kx", join({diagramStart, Values({2, 0}), vertex}), "Stream-Read-Fehler  (at byte 60)"},
        {"class.kx", join({diagramStart, Values({1, 0, std::string("TKXCircle")})}),
         "Class not registered: TKXCircle (at byte 18)"},
        {"id.kx", join({diagramStart, Values({1, 1}), vertex, edgeToNowhere}), "Vertex Id not found (at byte 85)"},
        // text diagrams
        {"magic.kxt", BytesOf("KX1.00 \r\n0 0\r\n"), "Invalid file format: %F (at line 1)"},
        {"number.kxt", BytesOf("KX1.00\r\n1 O\r\n"), "Ungültige numerische Eingabe (at line 2)"},
        {"count.kxt", BytesOf("KX1.00\r\n2 0\r\nTKXCustomVertex\r\n1\r\n0 0 10 10\r\n"),
         "Class not registered:  (at line 6)"},
        {"class.kxt", BytesOf("KX1.00\r\n1 0\r\nTKXCircle\r\n"), "Class not registered: TKXCircle (at line 3)"},
        {"id.kxt", BytesOf("KX1.00\r\n1 1\r\nTKXCustomVertex\r\n1\r\n0 0 10 10\r\nTKXCustomEdge\r\n2\r\n1 42\r\n"),
         "Vertex Id not found (at line 8)"},
        {"escape.kxt", BytesOf("KX1.00\r\n1 0\r\n\x1B]0;owned\x07\r\n"),
         "Class not registered: \\x1B]0;owned\\x07 (at line 3)"},
        // library dumps
        {"count.txt", BytesOf("library styles=2\r\nstyle \"A\"\r\n"), "the dump declares 2 styles but holds 1 (at line 3)"},
        {"orphan.txt", BytesOf("library styles=0\n  text \"T\"\n"), "an item before the first style (at line 2)"},
        {"quote.txt", BytesOf("library styles=1\nstyle \"A\n"), "a string lacks its closing quote (at line 2)"},
        {"shape.txt",
         BytesOf("library styles=1\nstyle \"A\"\n  draw \"F\" rect=0,0,1,1 shape=isSquare growth=igNone "
                 "pen=$00000000,psSolid,1 brush=$00FFFFFF,bsSolid\n"),
         "expected one of isRectangle, isRoundRect, isEllipse, isLine or a number from 0 to 255 (at line 3)"},
        {"colour.txt",
         BytesOf("library styles=1\nstyle \"A\"\n  draw \"F\" rect=0,0,1,1 shape=256 growth=igNone "
                 "pen=$00000000,psSolid,1 brush=$00FFFFFF,bsSolid\n"),
         "expected one of isRectangle, isRoundRect, isEllipse, isLine or a number from 0 to 255 (at line 3)"},
        {"extra.txt", BytesOf("library styles=1\nstyle \"A\" more\n"), "unexpected ' more' (at line 2)"},
        // neither kind
        {"notes.md", BytesOf("# notes\n"), "neither a library (UOL1.00) nor a diagram (KX1.00) by its first bytes "
                                           "or its extension"},
    };
    QStringList all;
    std::string expectedAll;
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        WriteFileBytes(Path(c.Name), c.Content);
        std::string message = c.Message;
        if (const auto at = message.find("%F"); at != std::string::npos)
            message.replace(at, 2, Path(c.Name));
        const std::string line = Path(c.Name) + ": error: " + message + "\n";
        const TRun run = Cli("validate", Path(c.Name));
        EXPECT_EQ(run.Status, 1);
        EXPECT_EQ(run.Out, line);
        all << QString::fromStdString(Path(c.Name));
        expectedAll += line;
    }
    // Several files: each is reported, a good one among them too, and the status is 1.
    const TRun missing = Cli("validate", Path("missing.uol"), DataFile("library_example.uol"));
    EXPECT_EQ(missing.Status, 1);
    EXPECT_EQ(missing.Out, Path("missing.uol") + ": error: Kann Datei " + Path("missing.uol") + " nicht öffnen\n"
                               + DataFile("library_example.uol") + ": ok (1 styles, 2 items)\n");
    const TRun run = RunCli(QStringList{"validate"} + all);
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out, expectedAll);
}

TEST_F(CliTest, DumpIsTheGoldenTextAndTheSameForBothDiagramForms)
{
    for (const auto &[input, format, golden] : {std::tuple{CliData("sheet.uol"), "text", "sheet.dump.txt"},
                                               std::tuple{CliData("sheet.uol"), "json", "sheet.dump.json"},
                                               std::tuple{CliData("diagram_styled.kxt"), "text", "diagram_styled.dump.txt"},
                                               std::tuple{CliData("diagram_styled.kxt"), "json", "diagram_styled.dump.json"}}) {
        SCOPED_TRACE(golden);
        const TRun run = Cli("dump", "--format", format, input);
        EXPECT_EQ(run.Status, 0) << run.Err;
        EXPECT_EQ(run.Out, ReadFileText(CliData(golden)));
        if (std::string(format) == "json") {
            QJsonParseError error;
            QJsonDocument::fromJson(QByteArray::fromStdString(run.Out), &error);
            EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
        }
    }
    const TRun binary = Cli("dump", DataFile("diagram_small.kx"));
    EXPECT_EQ(binary.Status, 0);
    EXPECT_EQ(binary.Out, Cli("dump", DataFile("diagram_small.txt")).Out);
    EXPECT_NE(binary.Out.find("edge TKXCustomEdge id=3 source=1 target=2 path=110,45 110,-45 39950,-45 label=\"Label\""),
              std::string::npos);

    // A dump that cannot be written out is no success.
    QProcess full;
    full.setStandardOutputFile(QStringLiteral("/dev/full"));
    full.start(QStringLiteral(CLI_PATH), {"dump", QString::fromStdString(CliData("sheet.uol"))});
    ASSERT_TRUE(full.waitForFinished(60000));
    EXPECT_EQ(full.exitCode(), 3);
    EXPECT_EQ(full.readAllStandardError().toStdString(),
              "glyphsmith-cli: error: standard output could not be written: No space left on device\n");

    const TRun wrong = Cli("dump", "--format", "yaml", CliData("sheet.uol"));
    EXPECT_EQ(wrong.Status, 2);
    EXPECT_EQ(wrong.Out, "");
}

TEST_F(CliTest, ConvertRoundTripsBothFormsByteForByteAndKeepsStyleNames)
{
    // The style "Missing" is in no library: its name must survive all the same.
    ASSERT_EQ(Cli("convert", CliData("diagram_styled.kxt"), Path("styled.kx")).Status, 0);
    ASSERT_EQ(Cli("convert", Path("styled.kx"), Path("styled.txt")).Status, 0);
    EXPECT_EQ(ReadFileBytes(Path("styled.txt")), ReadFileBytes(CliData("diagram_styled.kxt")));

    ASSERT_EQ(Cli("convert", DataFile("diagram_small.kx"), Path("small.kxt")).Status, 0);
    EXPECT_EQ(ReadFileBytes(Path("small.kxt")), ReadFileBytes(DataFile("diagram_small.txt")));
    // --to wins over the extension.
    const TRun run = Cli("convert", "--to", "binary", DataFile("diagram_small.txt"), Path("small.txt"));
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(ReadFileBytes(Path("small.txt")), ReadFileBytes(DataFile("diagram_small.kx")));
}

// A library and its text dump: the dump reads back to the same bytes, odd values included.
TEST_F(CliTest, ALibraryDumpLoadsBackByteForByte)
{
    ASSERT_EQ(Cli("convert", CliData("sheet.uol"), Path("sheet.txt")).Status, 0);
    EXPECT_EQ(ReadFileText(Path("sheet.txt")), ReadFileText(CliData("sheet.dump.txt")));
    ASSERT_EQ(Cli("convert", Path("sheet.txt"), Path("sheet.uol")).Status, 0);
    EXPECT_EQ(ReadFileBytes(Path("sheet.uol")), ReadFileBytes(CliData("sheet.uol")));
    EXPECT_EQ(Cli("validate", Path("sheet.txt")).Out, Path("sheet.txt") + ": ok (3 styles, 9 items)\n");

    // Quotes, backslashes, control characters, code-page-1252 letters and an unassigned byte,
    // a long text, out-of-range bytes, system colours and negative numbers.
    const std::string name = "Quote \"q\" \\ \\x41 tab\t\xE4\x80\x81\x1B";
    WriteFileBytes(Path("odd.uol"),
                   Values({std::string("UOL1.00"), TBytes{1}, name, TBytes{1}, name, -5, -2147483647 - 1, 2147483647, 0,
                           255, 7, int32_t(0x8000000F), 200, -1, int32_t(0xFF000018), 9, TBytes{0, 1}, std::string(""),
                           std::string(300, '\xFC'), 1, 2, 3, 4, 255, name, -8, int32_t(0xFF000008), TBytes{9, 9, 9, 9},
                           250, int32_t(0x80000000), 128, TBytes{0, 0}}));
    ASSERT_EQ(Cli("convert", Path("odd.uol"), Path("odd1.txt")).Status, 0);
    ASSERT_EQ(Cli("convert", "--to", "binary", Path("odd1.txt"), Path("odd2.kx")).Status, 0);
    ASSERT_EQ(Cli("convert", Path("odd2.kx"), Path("odd3.txt")).Status, 0);
    ASSERT_EQ(Cli("convert", Path("odd3.txt"), Path("odd4.uol")).Status, 0);
    EXPECT_EQ(ReadFileText(Path("odd3.txt")), ReadFileText(Path("odd1.txt")));
    EXPECT_EQ(ReadFileBytes(Path("odd4.uol")), ReadFileBytes(Path("odd2.kx")));
    EXPECT_EQ(Cli("dump", Path("odd4.uol")).Out, ReadFileText(Path("odd1.txt")));
    const std::string dump = ReadFileText(Path("odd1.txt"));
    EXPECT_NE(dump.find("style \"Quote \\\"q\\\" \\\\ \\\\x41 tab\\x09ä€\\x81\\x1B\""), std::string::npos) << dump;
    EXPECT_NE(dump.find("shape=255 growth=7 pen=$8000000F,200,-1 brush=$FF000018,9"), std::string::npos) << dump;
}

TEST_F(CliTest, FailedConversionsSayWhyAndLeaveTheTargetAsItWas)
{
    WriteFileBytes(Path("old.kx"), BytesOf("old content"));
    WriteFileBytes(Path("bad.kxt"), BytesOf("KX1.00\r\n1 0\r\nTKXCircle\r\n"));
    ExpectFailures("convert", {
        {{CliData("sheet.uol"), Path("old.kx")}, 2,
         "glyphsmith-cli: cannot tell the form of '" + Path("old.kx") + "' by its extension (.uol or .txt); use --to "
         "binary|text\nTry 'glyphsmith-cli convert --help'.\n"},
        {{DataFile("diagram_small.kx"), Path("old.svg")}, 2,
         "glyphsmith-cli: cannot tell the form of '" + Path("old.svg") + "' by its extension (.kx, .kxt or .txt); "
         "use --to binary|text\nTry 'glyphsmith-cli convert --help'.\n"},
        {{Path("bad.kxt"), Path("old.kx")}, 1, Path("bad.kxt") + ": error: Class not registered: TKXCircle (at line 3)\n"},
        {{DataFile("diagram_small.kx"), Path("no/such/dir.kx")}, 3,
         Path("no/such/dir.kx") + ": error: Kann Datei " + Path("no/such/dir.kx") + " nicht erstellen\n"},
        {{DataFile("diagram_small.kx")}, 2, "glyphsmith-cli: missing arguments\nTry 'glyphsmith-cli convert --help'.\n"},
    }, Path("old.kx"));
}

// The golden pictures were made by this tool and looked at; PNGs must match pixel for pixel.
TEST_F(CliTest, RenderPaintsTheGoldenPictures)
{
    const TRun sheet = Cli("render", CliData("sheet.uol"), "-o", Path("sheet.png"), "--sample", "Title=Käse & Brot");
    ASSERT_EQ(sheet.Status, 0) << sheet.Err;
    EXPECT_EQ(QImage(QString::fromStdString(Path("sheet.png"))).convertToFormat(QImage::Format_RGB32),
              QImage(QString::fromStdString(CliData("sheet.png"))).convertToFormat(QImage::Format_RGB32));

    WriteFileBytes(Path("samples.txt"), BytesOf("# texts\nLeft=from the file\nMid=also\r\n\n"));
    const TRun diagram = Cli("render", CliData("diagram_styled.kxt"), "--library", DataFile("library_example.uol"),
                             "--scale", "150", "--sample-file", Path("samples.txt"), "--sample", "Title=Head", "-o",
                             Path("diagram.png"));
    ASSERT_EQ(diagram.Status, 0) << diagram.Err;
    EXPECT_EQ(diagram.Err, "glyphsmith-cli: warning: the style \"Missing\" is not in the library; its vertices are "
                           "painted empty\n");
    EXPECT_EQ(QImage(QString::fromStdString(Path("diagram.png"))).convertToFormat(QImage::Format_RGB32),
              QImage(QString::fromStdString(CliData("diagram_styled.png"))).convertToFormat(QImage::Format_RGB32));
}

// The element tree with every attribute, text between elements left out.
std::vector<std::string> SvgStructure(const std::string &fileName)
{
    QFile file(QString::fromStdString(fileName));
    file.open(QIODevice::ReadOnly);
    QXmlStreamReader xml(&file);
    std::vector<std::string> structure;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            std::string element = xml.name().toString().toStdString();
            for (const QXmlStreamAttribute &attribute : xml.attributes())
                element += " " + attribute.name().toString().toStdString() + "=" + attribute.value().toString().toStdString();
            structure.push_back(element);
        }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return structure;
}

TEST_F(CliTest, RenderWritesSvgAndPdfThroughTheSameCanvas)
{
    ASSERT_EQ(Cli("render", DataFile("library_example.uol"), "-o", Path("example.svg"), "--sizes", "100x50").Status, 0);
    const std::vector<std::string> structure = SvgStructure(Path("example.svg"));
    EXPECT_EQ(structure, SvgStructure(CliData("library_example.svg")));
    EXPECT_GT(structure.size(), 5u);

    ASSERT_EQ(Cli("render", DataFile("diagram_small.txt"), "--scale", "5", "-o", Path("small.PDF")).Status, 0);
    const std::string pdf = ReadFileText(Path("small.PDF"));
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    EXPECT_NE(pdf.find("%%EOF"), std::string::npos);
}

TEST_F(CliTest, BadRenderRequestsFailClearlyAndNeverLeaveAHalfWrittenFile)
{
    WriteFileBytes(Path("old.png"), BytesOf("old picture"));
    const std::string sheet = CliData("sheet.uol");
    const std::string usage = "\nTry 'glyphsmith-cli render --help'.\n";
    ExpectFailures("render", {
        {{sheet}, 2, "glyphsmith-cli: the output file is missing: -o OUT" + usage},
        {{sheet, "-o", Path("old.gif")}, 2,
         Path("old.gif") + ": the picture format is chosen by the extension: .png, .svg or .pdf\n"},
        {{sheet, "-o", Path("old.png"), "--scale", "0"}, 2,
         "glyphsmith-cli: --scale takes a percentage from 1 to 1000, not '0'" + usage},
        {{sheet, "-o", Path("old.png"), "--sizes", "100x50,wide"}, 2,
         "glyphsmith-cli: --sizes takes WIDTHxHEIGHT pairs from 1 to 10000 units, not 'wide'" + usage},
        {{sheet, "-o", Path("old.png"), "--sample", "Title"}, 2,
         "glyphsmith-cli: --sample: error: expected NAME=TEXT, not 'Title'\n"},
        {{sheet, "-o", Path("old.png"), "--sample", "Title=€ ✓"}, 2,
         "glyphsmith-cli: --sample: error: 'Title=€ ✓' has characters that code page 1252 cannot hold\n"},
        {{sheet, "-o", Path("old.png"), "--sample-file", Path("none.txt")}, 1,
         Path("none.txt") + ": error: No such file or directory\n"},
        {{sheet, "-o", Path("old.png"), "--colour", "red"}, 2, "glyphsmith-cli: Unknown option 'colour'." + usage},
        {{DataFile("library_lowercase_magic.uol"), "-o", Path("old.png")}, 1,
         DataFile("library_lowercase_magic.uol") + ": error: Invalid File Format (at byte 0)\n"},
        {{sheet, "-o", Path("old.png"), "--sizes", "10000x10000"}, 3,
         Path("old.png") + ": error: the picture would be 10020 x 30094 pixels, more than 16384 on a side; choose a "
                           "smaller --scale\n"},
        {{DataFile("diagram_small.kx"), "-o", Path("old.png")}, 3,
         Path("old.png") + ": error: the picture would be 40071 x 202 pixels, more than 16384 on a side; choose a "
                           "smaller --scale\n"},
        {{sheet, "-o", Path("no/such/dir.png")}, 3,
         Path("no/such/dir.png") + ": error: Kann Datei " + Path("no/such/dir.png") + " nicht erstellen\n"},
    }, Path("old.png"));
    EXPECT_EQ(DirEntries().size(), 1u); // no temporary file left behind
}

TEST_F(CliTest, HelpVersionAndUsageErrorsUseTheDocumentedStatuses)
{
    for (const char *subcommand : {"validate", "dump", "convert", "render"}) {
        SCOPED_TRACE(subcommand);
        const TRun help = Cli(subcommand, "--help");
        EXPECT_EQ(help.Status, 0);
        EXPECT_EQ(help.Out.rfind(std::string("Usage: glyphsmith-cli ") + subcommand, 0), 0u);
        EXPECT_NE(help.Out.find("  3  an output file or standard output could not be written"), std::string::npos);
        EXPECT_EQ(Cli(subcommand).Status, 2);
    }
    const TRun help = Cli("--help");
    EXPECT_EQ(help.Status, 0);
    EXPECT_NE(help.Out.find("Exit status"), std::string::npos);
    EXPECT_EQ(Cli("--version").Out.rfind("glyphsmith-cli ", 0), 0u);
    const TRun unknown = Cli("paint", "x.uol");
    EXPECT_EQ(unknown.Status, 2);
    EXPECT_EQ(unknown.Err, "glyphsmith-cli: unknown subcommand 'paint'\nTry 'glyphsmith-cli --help'.\n");
    EXPECT_EQ(RunCli({}).Status, 2);
}

// A diagram saved by glyphsmith-diagram: its vertices keep style name and values through every
// subcommand, and render paints the values.
TEST_F(CliTest, TheDiagramProgramsVerticesPassThroughEverySubcommand)
{
    const auto diagram = [](const std::string &values) {
        return BytesOf("KX1.00\r\n1 0\r\nTKXDataVertex\r\n1\r\n0 0 100 50\r\nBox\r\n" + values);
    };
    WriteFileBytes(Path("data.kxt"), diagram("1\r\nTitle\r\nAlpha \"one\"\r\n"));
    WriteFileBytes(Path("bare.kxt"), diagram("0\r\n"));
    EXPECT_EQ(Cli("validate", Path("data.kxt")).Out, Path("data.kxt") + ": ok (1 vertices, 0 edges)\n");
    EXPECT_EQ(Cli("dump", Path("data.kxt")).Out, "diagram vertices=1 edges=0\n"
                                                 "vertex TKXDataVertex id=1 rect=0,0,100,50 style=\"Box\" "
                                                 "\"Title\"=\"Alpha \\\"one\\\"\"\n");
    EXPECT_NE(Cli("dump", "--format", "json", Path("data.kxt")).Out.find("\"values\": {\"Title\": \"Alpha \\\"one\\\"\"}"),
              std::string::npos);

    ASSERT_EQ(Cli("convert", Path("data.kxt"), Path("data.kx")).Status, 0);
    ASSERT_EQ(Cli("convert", Path("data.kx"), Path("again.kxt")).Status, 0);
    EXPECT_EQ(ReadFileBytes(Path("again.kxt")), ReadFileBytes(Path("data.kxt")));

    for (const char *name : {"data", "bare"}) {
        const TRun run = Cli("render", Path(std::string(name) + ".kxt"), "--library", CliData("sheet.uol"), "-o",
                             Path(std::string(name) + ".png"));
        ASSERT_EQ(run.Status, 0) << run.Err;
        EXPECT_EQ(run.Err, "");
    }
    EXPECT_NE(QImage(QString::fromStdString(Path("data.png"))), QImage(QString::fromStdString(Path("bare.png"))));
}

}

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
