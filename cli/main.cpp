// glyphsmith-cli: checks, dumps, converts and renders Glyphsmith libraries and diagrams
// without a display. Every subcommand ends with one of the exit statuses of TCliStatus.

#include "CliDocument.h"
#include "CliDump.h"
#include "CliRender.h"

#include "KXGR/widgets/KXQtConvert.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>

namespace {

const char *const Program = "glyphsmith-cli";

const char *const StatusTable = "Exit status (the same for every subcommand):\n"
                                "  0  success; every input file valid\n"
                                "  1  an input file is missing, unreadable or invalid\n"
                                "  2  usage error: unknown subcommand or option, wrong arguments, bad value\n"
                                "  3  an output file or standard output could not be written (an existing\n"
                                "     output file is left as it was)\n";

const char *const Overview =
    "Usage: glyphsmith-cli SUBCOMMAND [options] ARGUMENTS\n"
    "       glyphsmith-cli --help | --version\n"
    "Checks, dumps, converts and renders Glyphsmith libraries (.uol) and diagrams\n"
    "(.kx binary, .kxt text). Files are recognised by their first bytes. No display is needed.\n\n"
    "Subcommands (each has --help):\n"
    "  validate FILE...        read each file; print 'FILE: ok (...)' or 'FILE: error: MESSAGE'\n"
    "  dump FILE               canonical, diffable text of a library or diagram\n"
    "  convert IN OUT          a diagram between its binary and text forms, a library and its dump\n"
    "  render FILE -o OUT      a library's contact sheet or a diagram as PNG, SVG or PDF\n\n";

// Writes to standard output or standard error. Results on standard output that cannot be
// written (a full disk behind a redirection) end the run with csOutputFailed, so that the
// status never claims a complete dump.
void Print(std::FILE *stream, const std::string &text)
{
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), stream) == text.size() && std::fflush(stream) == 0;
    if (!written && stream == stdout)
        throw ECliError(csOutputFailed, std::string(Program) + ": error: standard output could not be written: "
                                            + std::strerror(errno ? errno : EIO));
}

[[noreturn]] void UsageError(const QString &subcommand, const std::string &message)
{
    throw ECliError(csUsage, std::string(Program) + ": " + message + "\nTry '" + Program + " "
                                 + subcommand.toStdString() + " --help'.");
}

std::string Local(const QString &fileName) { return QFile::encodeName(fileName).toStdString(); }

// One subcommand: its parser, its usage line and description, and its positional arguments.
struct TSubcommand {
    QString Name;
    QString Arguments;
    QString Description;
    QCommandLineParser Parser;

    TSubcommand(const QString &name, const QString &arguments, const QString &description)
        : Name(name), Arguments(arguments), Description(description)
    {
        Parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        // Not addHelpOption: Qt's --help-all would promise Qt options the tool does not take.
        Parser.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Shows this help.")});
    }

    std::string Help() const
    {
        QString help = Parser.helpText();
        help.remove(0, help.indexOf('\n') + 1); // Qt's usage line names the binary only
        return QStringLiteral("Usage: %1 %2 [options] %3\n%4\n")
                   .arg(QString::fromLatin1(Program), Name, Arguments, Description)
                   .toStdString()
               + help.toStdString() + "\n" + StatusTable;
    }

    // Parses args (the subcommand's own); answers false when --help was printed.
    bool Parse(const QStringList &args, int minPositional, int maxPositional)
    {
        if (!Parser.parse(QStringList{Program} + args))
            UsageError(Name, Parser.errorText().toStdString());
        if (Parser.isSet(QStringLiteral("help"))) {
            Print(stdout, Help());
            return false;
        }
        const qsizetype count = Parser.positionalArguments().size();
        if (count < minPositional || (maxPositional >= 0 && count > maxPositional))
            UsageError(Name, count < minPositional ? "missing arguments" : "too many arguments");
        return true;
    }
    QString Value(const QString &option) const { return Parser.value(option); }
    QStringList Positional() const { return Parser.positionalArguments(); }
};

std::string Summary(const TCliDocument &document)
{
    if (document.IsDiagram())
        return std::to_string(document.Box->Vertices.Count()) + " vertices, "
               + std::to_string(document.Box->Edges.Count()) + " edges";
    std::size_t items = 0;
    for (const auto &style : document.Library.Styles())
        items += style->DrawItems.size() + style->TextItems.size();
    return std::to_string(document.Library.Styles().size()) + " styles, " + std::to_string(items) + " items";
}

int Validate(const QStringList &args)
{
    TSubcommand command(QStringLiteral("validate"), QStringLiteral("FILE..."),
                        QStringLiteral("Reads each library or diagram and prints one line for it:\n"
                                       "  FILE: ok (N styles, M items)        a library (items: draw and text items)\n"
                                       "  FILE: ok (N vertices, M edges)      a diagram\n"
                                       "  FILE: error: MESSAGE (at byte N)    or (at line N): where reading stopped\n"
                                       "Exits with 0 only when every file is valid."));
    command.Parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Libraries and diagrams to read."),
                                         QStringLiteral("FILE..."));
    if (!command.Parse(args, 1, -1))
        return csOk;
    int status = csOk;
    for (const QString &file : command.Positional()) {
        try {
            const auto document = LoadDocument(Local(file), nullptr);
            Print(stdout, Printable(Local(file)) + ": ok (" + Summary(*document) + ")\n");
        } catch (const ECliError &error) {
            Print(stdout, std::string(error.what()) + "\n");
            status = csInvalidInput;
        }
    }
    return status;
}

int Dump(const QStringList &args)
{
    TSubcommand command(QStringLiteral("dump"), QStringLiteral("FILE"),
                        QStringLiteral("Writes a canonical text of a library or diagram to standard output: every\n"
                                       "field in a fixed order, one item or object per line, so that a diff of two\n"
                                       "dumps shows exactly what changed. The text form uses the library's names\n"
                                       "and colours as $00BBGGRR; the JSON form the same fields as numbers."));
    command.Parser.addOption({QStringLiteral("format"), QStringLiteral("text (default) or json."),
                              QStringLiteral("text|json"), QStringLiteral("text")});
    command.Parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A library or a diagram."));
    if (!command.Parse(args, 1, 1))
        return csOk;
    const QString format = command.Value(QStringLiteral("format"));
    if (format != QLatin1String("text") && format != QLatin1String("json"))
        UsageError(command.Name, "--format takes text or json, not '" + format.toStdString() + "'");
    const auto document = LoadDocument(Local(command.Positional().at(0)), nullptr);
    Print(stdout, DumpDocument(*document, format == QLatin1String("json") ? dfJson : dfText));
    return csOk;
}

int Convert(const QStringList &args)
{
    TSubcommand command(QStringLiteral("convert"), QStringLiteral("IN OUT"),
                        QStringLiteral("Writes the diagram IN to OUT in the binary form (.kx) or the text form\n"
                                       "(.kxt or .txt), chosen by OUT's extension unless --to says otherwise.\n"
                                       "Style names of styled vertices are kept as stored. A library goes the\n"
                                       "same way between its own form (.uol) and its text dump (.txt), which\n"
                                       "reads back byte for byte."));
    command.Parser.addOption({QStringLiteral("to"), QStringLiteral("The form of OUT, whatever its extension."),
                              QStringLiteral("binary|text")});
    command.Parser.addPositionalArgument(QStringLiteral("IN"), QStringLiteral("A diagram in either form, or a library or its dump."));
    command.Parser.addPositionalArgument(QStringLiteral("OUT"), QStringLiteral("The file to write."));
    if (!command.Parse(args, 2, 2))
        return csOk;
    const QString out = command.Positional().at(1);
    QString form = command.Value(QStringLiteral("to"));
    if (!form.isEmpty() && form != QLatin1String("binary") && form != QLatin1String("text"))
        UsageError(command.Name, "--to takes binary or text, not '" + form.toStdString() + "'");

    const auto document = LoadDocument(Local(command.Positional().at(0)), nullptr);
    const bool diagram = document->IsDiagram();
    if (form.isEmpty()) {
        const QString suffix = QFileInfo(out).suffix().toLower();
        form = suffix == QLatin1String(diagram ? "kx" : "uol") ? QStringLiteral("binary")
               : suffix == QLatin1String("txt") || (diagram && suffix == QLatin1String("kxt")) ? QStringLiteral("text")
                                                                                               : QString();
        if (form.isEmpty())
            UsageError(command.Name, "cannot tell the form of '" + Local(out) + "' by its extension ("
                                         + (diagram ? ".kx, .kxt or .txt" : ".uol or .txt") + "); use --to binary|text");
    }
    const bool text = form == QLatin1String("text");
    try {
        if (diagram && text)
            document->Box->SaveToTextFile(Local(out));
        else if (diagram)
            document->Box->SaveToFile(Local(out));
        else if (text)
            SaveLibraryDump(document->Library, Local(out));
        else
            document->Library.SaveToFile(Local(out));
    } catch (const std::exception &error) {
        throw ECliError(csOutputFailed, Printable(Local(out)) + ": error: " + Printable(error.what()));
    }
    return csOk;
}

// NAME=TEXT; the text must fit code page 1252, as the library stores it.
std::pair<std::string, std::string> Sample(const QString &assignment, const std::string &where, TCliStatus status)
{
    const qsizetype equals = assignment.indexOf('=');
    if (equals <= 0)
        throw ECliError(status, where + ": error: expected NAME=TEXT, not '" + Printable(assignment.toStdString()) + "'");
    const QString name = assignment.left(equals), text = assignment.mid(equals + 1);
    if (!IsCp1252(name) || !IsCp1252(text))
        throw ECliError(status, where + ": error: '" + Printable(assignment.toStdString())
                                    + "' has characters that code page 1252 cannot hold");
    return {ToCp1252(name), ToCp1252(text)};
}

TPoint ParseSize(const QString &text, const QString &subcommand)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    const TPoint size = match.hasMatch() ? TPoint{match.captured(1).toInt(), match.captured(2).toInt()} : TPoint{0, 0};
    if (size.X < 1 || size.Y < 1 || size.X > 10000 || size.Y > 10000)
        UsageError(subcommand, "--sizes takes WIDTHxHEIGHT pairs from 1 to 10000 units, not '" + text.toStdString() + "'");
    return size;
}

int Render(const QStringList &args)
{
    TSubcommand command(
        QStringLiteral("render"), QStringLiteral("FILE -o OUT"),
        QStringLiteral("Paints FILE into OUT, a PNG, SVG or PDF file by OUT's extension.\n"
                       "A library becomes a contact sheet: one row per style with a vertex of every\n"
                       "size, the style's name under it. A diagram is painted whole. Text items show\n"
                       "their sample text: --sample wins over --sample-file, whose lines are NAME=TEXT\n"
                       "(blank lines and lines starting with # are skipped); the default is <<NAME>>."));
    command.Parser.addOption({{QStringLiteral("o"), QStringLiteral("output")},
                              QStringLiteral("The picture to write (.png, .svg or .pdf)."), QStringLiteral("OUT")});
    command.Parser.addOption({QStringLiteral("sizes"),
                              QStringLiteral("Vertex sizes of a contact sheet in units (default 100x50,50x25,200x100)."),
                              QStringLiteral("WxH,..."), QStringLiteral("100x50,50x25,200x100")});
    command.Parser.addOption({QStringLiteral("scale"), QStringLiteral("Zoom in percent, 1 to 1000 (default 100)."),
                              QStringLiteral("PERCENT"), QStringLiteral("100")});
    command.Parser.addOption({QStringLiteral("sample"), QStringLiteral("The text of text items named NAME (repeatable)."),
                              QStringLiteral("NAME=TEXT")});
    command.Parser.addOption({QStringLiteral("sample-file"), QStringLiteral("Sample texts, one NAME=TEXT a line (UTF-8)."),
                              QStringLiteral("FILE")});
    command.Parser.addOption({QStringLiteral("library"),
                              QStringLiteral("The library whose styles a diagram's styled vertices show."),
                              QStringLiteral("FILE")});
    command.Parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A library or a diagram."));
    if (!command.Parse(args, 1, 1))
        return csOk;
    const QString out = command.Value(QStringLiteral("output"));
    if (out.isEmpty())
        UsageError(command.Name, "the output file is missing: -o OUT");
    PictureFormatOf(Local(out));

    TCliRenderOptions options;
    bool scaleOk = false;
    options.Scale = command.Value(QStringLiteral("scale")).toInt(&scaleOk);
    if (!scaleOk || options.Scale < 1 || options.Scale > 1000)
        UsageError(command.Name, "--scale takes a percentage from 1 to 1000, not '"
                                     + command.Value(QStringLiteral("scale")).toStdString() + "'");
    for (const QString &size : command.Value(QStringLiteral("sizes")).split(','))
        options.Sizes.push_back(ParseSize(size, command.Name));

    std::map<std::string, std::string> samples;
    if (command.Parser.isSet(QStringLiteral("sample-file"))) {
        const QString sampleFile = command.Value(QStringLiteral("sample-file"));
        QFile file(sampleFile);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            throw ECliError(csInvalidInput, Printable(Local(sampleFile)) + ": error: "
                                                + Printable(file.errorString().toStdString()));
        const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QString line = lines[i].endsWith('\r') ? lines[i].chopped(1) : lines[i];
            if (line.trimmed().isEmpty() || line.startsWith('#'))
                continue;
            const auto [name, text] = Sample(line, Printable(Local(sampleFile)) + ":" + std::to_string(i + 1),
                                             csInvalidInput);
            samples.insert_or_assign(name, text);
        }
    }
    for (const QString &sample : command.Parser.values(QStringLiteral("sample"))) {
        const auto [name, text] = Sample(sample, Program + std::string(": --sample"), csUsage);
        samples.insert_or_assign(name, text);
    }

    std::unique_ptr<TCliDocument> styles;
    if (command.Parser.isSet(QStringLiteral("library"))) {
        styles = LoadDocument(Local(command.Value(QStringLiteral("library"))), nullptr);
        if (styles->IsDiagram())
            UsageError(command.Name, "--library takes a library, and "
                                         + Local(command.Value(QStringLiteral("library"))) + " is a diagram");
    }
    const auto document = LoadDocument(
        Local(command.Positional().at(0)), styles ? &styles->Library : nullptr,
        [&samples](int32_t, const std::string &name, TObject *) {
            const auto found = samples.find(name);
            return found != samples.end() ? found->second : "<<" + name + ">>";
        });
    for (const std::string &name : document->MissingStyles)
        Print(stderr, std::string(Program) + ": warning: the style \"" + Printable(name)
                          + "\" is not in the library; its vertices are painted empty\n");
    RenderDocument(*document, options, Local(out));
    return csOk;
}

int Run(const QStringList &args)
{
    if (args.isEmpty()) {
        Print(stderr, std::string(Overview) + StatusTable);
        return csUsage;
    }
    const QString subcommand = args.first();
    const QStringList rest = args.mid(1);
    if (subcommand == QLatin1String("--help") || subcommand == QLatin1String("-h")) {
        Print(stdout, std::string(Overview) + StatusTable);
        return csOk;
    }
    if (subcommand == QLatin1String("--version") || subcommand == QLatin1String("-v")) {
        Print(stdout, std::string(Program) + " " + GLYPHSMITH_VERSION + "\n");
        return csOk;
    }
    if (subcommand == QLatin1String("validate"))
        return Validate(rest);
    if (subcommand == QLatin1String("dump"))
        return Dump(rest);
    if (subcommand == QLatin1String("convert"))
        return Convert(rest);
    if (subcommand == QLatin1String("render"))
        return Render(rest);
    throw ECliError(csUsage, std::string(Program) + ": unknown subcommand '" + Printable(subcommand.toStdString())
                                 + "'\nTry '" + Program + " --help'.");
}

// Qt's own notes (such as the offscreen platform's) are no concern of a command-line user.
void QuietQtMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        Print(stderr, std::string(Program) + ": " + message.toStdString() + "\n");
}

}

int main(int argc, char *argv[])
{
    // Never a display: the offscreen platform paints the same pixels, with or without DISPLAY.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietQtMessages);
    // Qt sees the program name only, so it takes none of the user's arguments for its own
    // options (-platform, -display ...).
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    QApplication::setApplicationName(Program);
    QApplication::setApplicationVersion(GLYPHSMITH_VERSION);
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    try {
        return Run(args);
    } catch (const ECliError &error) {
        Print(stderr, std::string(error.what()) + "\n");
        return error.Status;
    } catch (const std::exception &error) {
        Print(stderr, std::string(Program) + ": error: " + Printable(error.what()) + "\n");
        return csInvalidInput;
    }
}
