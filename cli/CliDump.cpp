#include "CliDump.h"

#include "CliDocument.h"
#include "DataVertex.h"

#include "KXGR/core/KXEdge.h"
#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXSafeSave.h"
#include "KXGR/core/KXStream.h"
#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXQtConvert.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace {

std::string Hex(uint32_t value, const char *format)
{
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// Control characters (C0, DEL and the C1 range, which some terminals obey) are escaped.
bool IsControl(char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

// A quoted data string in UTF-8. Quotes and backslashes are escaped; a control character is
// \xNN with its code-page-1252 byte in the text form, \uNNNN in JSON.
std::string Quoted(const std::string &cp1252, bool json)
{
    const QString text = FromCp1252(cp1252); // one character per byte
    std::string result = "\"";
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == '"' || c == '\\')
            result += {'\\', char(c)};
        else if (IsControl(c))
            result += json ? Hex(c, "\\u%04X") : Hex(static_cast<unsigned char>(cp1252[std::size_t(i)]), "\\x%02X");
        else
            result += QString(text[i]).toStdString();
    }
    return result + "\"";
}

// The names of the one-byte fields' values, by value; a value beyond a table is written as
// its number.
using TNames = std::vector<std::string_view>;
const TNames ShapeNames{"isRectangle", "isRoundRect", "isEllipse", "isLine"};
const TNames GrowthNames{"igNone", "igHorizontal", "igVertical", "igBoth"};
const TNames AlignNames{"txLeft", "txCenter", "txRight"};
const TNames PenStyleNames{"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"};
const TNames BrushStyleNames{"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal",
                             "bsCross", "bsDiagCross"};
const std::pair<TFontStyles, std::string_view> FontStyleBits[] = {
    {fsBold, "fsBold"}, {fsItalic, "fsItalic"}, {fsUnderline, "fsUnderline"}, {fsStrikeOut, "fsStrikeOut"}};
constexpr std::string_view NoFontStyle = "none";

std::string Name(unsigned value, const TNames &names)
{
    return value < names.size() ? std::string(names[value]) : std::to_string(value);
}
std::string Color(TColor c) { return Hex(static_cast<uint32_t>(c), "$%08X"); }
std::string FontStyle(TFontStyles styles)
{
    std::string result;
    for (const auto &[bit, name] : FontStyleBits)
        if (styles & bit)
            result += (result.empty() ? "" : "+") + std::string(name);
    return result.empty() ? std::string(NoFontStyle) : result;
}

std::string Join(std::initializer_list<int64_t> values, const char *separator)
{
    std::string result;
    for (const int64_t v : values)
        result += (result.empty() ? "" : separator) + std::to_string(v);
    return result;
}

std::string TextPoint(TPoint p) { return Join({p.X, p.Y}, ","); }
std::string JsonPoint(TPoint p) { return "[" + Join({p.X, p.Y}, ", ") + "]"; }

// The objects of a diagram, in list order, by what they are.
struct TObjectLine {
    std::string Text;
    std::string Json;
};

TObjectLine DescribeVertex(TKXObject &object)
{
    std::string text = "vertex " + std::string(object.ClassType().ClassName) + " id=" + std::to_string(object.Id);
    std::string json = "{\"class\": " + Quoted(object.ClassType().ClassName, true) + ", \"id\": " + std::to_string(object.Id);
    if (const auto *vertex = dynamic_cast<TKXCustomVertex *>(&object)) {
        text += " rect=" + Join({vertex->Left, vertex->Top, vertex->Right, vertex->Bottom}, ",");
        json += ", \"rect\": [" + Join({vertex->Left, vertex->Top, vertex->Right, vertex->Bottom}, ", ") + "]";
    }
    if (const auto *styled = dynamic_cast<TKXVertex *>(&object)) {
        const std::string name = styled->Style ? styled->Style->Name : std::string();
        text += " style=" + Quoted(name, false);
        json += ", \"style\": " + Quoted(name, true);
    }
    if (const auto *data = dynamic_cast<TKXDataVertex *>(&object)) {
        std::string values;
        for (const auto &[field, value] : data->Values()) {
            text += " " + Quoted(field, false) + "=" + Quoted(value, false);
            values += (values.empty() ? "" : ", ") + Quoted(field, true) + ": " + Quoted(value, true);
        }
        json += ", \"values\": {" + values + "}";
    }
    return {text, json + "}"};
}

TObjectLine DescribeEdge(TKXObject &object)
{
    std::string text = "edge " + std::string(object.ClassType().ClassName) + " id=" + std::to_string(object.Id);
    std::string json = "{\"class\": " + Quoted(object.ClassType().ClassName, true) + ", \"id\": " + std::to_string(object.Id);
    if (const auto *edge = dynamic_cast<TKXCustomEdge *>(&object)) {
        text += " source=" + std::to_string(edge->Source->Id) + " target=" + std::to_string(edge->Target->Id) + " path=";
        json += ", \"source\": " + std::to_string(edge->Source->Id) + ", \"target\": " + std::to_string(edge->Target->Id)
                + ", \"path\": [";
        for (std::size_t i = 0; i < edge->Handles.size(); ++i) {
            text += (i ? " " : "") + TextPoint(edge->Handles[i]->Position);
            json += (i ? ", " : "") + JsonPoint(edge->Handles[i]->Position);
        }
        json += "]";
        if (const TKXAdjacent *label = edge->Adjacent.get()) {
            const TRect &b = label->Bounds;
            text += " label=" + Quoted(label->Caption, false) + " at=" + TextPoint(label->Position)
                    + " bounds=" + Join({b.Left, b.Top, b.Right, b.Bottom}, ",")
                    + " anchor=" + TextPoint(label->Anchor->Position);
            json += ", \"label\": {\"caption\": " + Quoted(label->Caption, true) + ", \"at\": "
                    + JsonPoint(label->Position) + ", \"bounds\": [" + Join({b.Left, b.Top, b.Right, b.Bottom}, ", ")
                    + "], \"anchor\": " + JsonPoint(label->Anchor->Position) + "}";
        }
    }
    return {text, json + "}"};
}

void DumpLibraryText(std::ostream &out, const TKXUOLibrary &library)
{
    out << "library styles=" << library.Styles().size() << "\n";
    for (const auto &style : library.Styles()) {
        out << "style " << Quoted(style->Name, false) << "\n";
        for (const auto &d : style->DrawItems)
            out << "  draw " << Quoted(d->Name, false) << " rect=" << Join({d->X1, d->Y1, d->X2, d->Y2}, ",")
                << " shape=" << Name(d->Shape, ShapeNames) << " growth=" << Name(d->Growth, GrowthNames)
                << " pen=" << Color(d->PenColor) << "," << Name(d->PenStyle, PenStyleNames) << "," << d->PenWidth
                << " brush=" << Color(d->BrushColor) << "," << Name(d->BrushStyle, BrushStyleNames) << "\n";
        for (const auto &t : style->TextItems)
            out << "  text " << Quoted(t->Name, false) << " rect=" << Join({t->X1, t->Y1, t->X2, t->Y2}, ",")
                << " growth=" << Name(t->Growth, GrowthNames) << " font=" << Quoted(t->FontName, false) << ","
                << t->FontSize << "," << Color(t->FontColor) << "," << FontStyle(t->FontStyle)
                << " align=" << Name(t->Alignment, AlignNames) << " back=" << Color(t->BackColor) << ","
                << Name(t->BackStyle, BrushStyleNames)
                << " text=" << Quoted(t->Text, false) << "\n";
    }
}

// Lines of a JSON array, one element per line, indented by indent.
void JsonLines(std::ostream &out, const std::vector<std::string> &elements, const char *indent)
{
    for (std::size_t i = 0; i < elements.size(); ++i)
        out << indent << elements[i] << (i + 1 < elements.size() ? ",\n" : "\n");
}

void DumpLibraryJson(std::ostream &out, const TKXUOLibrary &library)
{
    out << "{\"kind\": \"library\", \"styles\": [";
    const auto &styles = library.Styles();
    for (std::size_t s = 0; s < styles.size(); ++s) {
        const TKXVertexStyle &style = *styles[s];
        std::vector<std::string> draws, texts;
        for (const auto &d : style.DrawItems)
            draws.push_back("{\"name\": " + Quoted(d->Name, true) + ", \"x1\": " + std::to_string(d->X1)
                            + ", \"y1\": " + std::to_string(d->Y1) + ", \"x2\": " + std::to_string(d->X2)
                            + ", \"y2\": " + std::to_string(d->Y2) + ", \"shape\": " + std::to_string(d->Shape)
                            + ", \"growth\": " + std::to_string(d->Growth) + ", \"penColor\": "
                            + std::to_string(d->PenColor) + ", \"penStyle\": " + std::to_string(d->PenStyle)
                            + ", \"penWidth\": " + std::to_string(d->PenWidth) + ", \"brushColor\": "
                            + std::to_string(d->BrushColor) + ", \"brushStyle\": " + std::to_string(d->BrushStyle)
                            + "}");
        for (const auto &t : style.TextItems)
            texts.push_back("{\"name\": " + Quoted(t->Name, true) + ", \"text\": " + Quoted(t->Text, true)
                            + ", \"x1\": " + std::to_string(t->X1) + ", \"y1\": " + std::to_string(t->Y1)
                            + ", \"x2\": " + std::to_string(t->X2) + ", \"y2\": " + std::to_string(t->Y2)
                            + ", \"growth\": " + std::to_string(t->Growth) + ", \"fontName\": "
                            + Quoted(t->FontName, true) + ", \"fontSize\": " + std::to_string(t->FontSize)
                            + ", \"fontColor\": " + std::to_string(t->FontColor) + ", \"fontStyle\": "
                            + std::to_string(t->FontStyle) + ", \"alignment\": " + std::to_string(t->Alignment)
                            + ", \"backColor\": " + std::to_string(t->BackColor) + ", \"backStyle\": "
                            + std::to_string(t->BackStyle) + "}");
        out << (s ? "," : "") << "\n  {\"name\": " << Quoted(style.Name, true) << ", \"drawItems\": [";
        out << (draws.empty() ? "" : "\n");
        JsonLines(out, draws, "    ");
        out << (draws.empty() ? "" : "  ") << "], \"textItems\": [" << (texts.empty() ? "" : "\n");
        JsonLines(out, texts, "    ");
        out << (texts.empty() ? "" : "  ") << "]}";
    }
    out << (styles.empty() ? "" : "\n") << "]}\n";
}

void DumpDiagram(std::ostream &out, const TKXDiagramBox &box, TCliDumpFormat format)
{
    std::vector<TObjectLine> vertices, edges;
    for (const auto &object : box.Vertices)
        vertices.push_back(DescribeVertex(*object));
    for (const auto &object : box.Edges)
        edges.push_back(DescribeEdge(*object));
    if (format == dfText) {
        out << "diagram vertices=" << vertices.size() << " edges=" << edges.size() << "\n";
        for (const auto *lines : {&vertices, &edges})
            for (const TObjectLine &line : *lines)
                out << line.Text << "\n";
        return;
    }
    const auto json = [](const std::vector<TObjectLine> &lines) {
        std::vector<std::string> result;
        for (const TObjectLine &line : lines)
            result.push_back(line.Json);
        return result;
    };
    out << "{\"kind\": \"diagram\", \"vertices\": [" << (vertices.empty() ? "" : "\n");
    JsonLines(out, json(vertices), "  ");
    out << "], \"edges\": [" << (edges.empty() ? "" : "\n");
    JsonLines(out, json(edges), "  ");
    out << "]}\n";
}

// A line of a library dump, taken apart from the left; every mismatch raises EDumpLine.
class EDumpLine : public std::runtime_error { using std::runtime_error::runtime_error; };

class TDumpLine {
public:
    explicit TDumpLine(std::string_view text) : FRest(text) {}

    bool Take(std::string_view word)
    {
        if (!FRest.starts_with(word))
            return false;
        FRest.remove_prefix(word.size());
        return true;
    }
    void Expect(std::string_view word)
    {
        if (!Take(word))
            Fail("expected '" + std::string(word) + "'");
    }
    int32_t Integer()
    {
        int32_t value = 0;
        const auto [end, error] = std::from_chars(FRest.data(), FRest.data() + FRest.size(), value);
        if (error != std::errc() || end == FRest.data())
            Fail("expected a 32-bit integer");
        FRest.remove_prefix(std::size_t(end - FRest.data()));
        return value;
    }
    TColor Colour()
    {
        Expect("$");
        uint32_t value = 0;
        const auto [end, error] = std::from_chars(FRest.data(), FRest.data() + std::min<std::size_t>(8, FRest.size()),
                                                  value, 16);
        if (error != std::errc() || end != FRest.data() + 8)
            Fail("expected a colour of eight hex digits after '$'");
        FRest.remove_prefix(8);
        return static_cast<TColor>(value);
    }
    // A value name of the table, or a number from 0 to 255.
    uint8_t Byte(const TNames &names)
    {
        std::size_t length = 0;
        while (length < FRest.size() && std::isalnum(static_cast<unsigned char>(FRest[length])))
            ++length;
        const std::string_view word = FRest.substr(0, length);
        for (std::size_t i = 0; i < names.size(); ++i)
            if (word == names[i]) {
                FRest.remove_prefix(length);
                return uint8_t(i);
            }
        int32_t value = -1;
        if (!word.empty() && std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; }))
            value = Integer();
        if (value < 0 || value > 255)
            Fail("expected one of " + Join(names) + " or a number from 0 to 255");
        return uint8_t(value);
    }
    TFontStyles FontStyles()
    {
        if (Take(NoFontStyle))
            return 0;
        TFontStyles styles = 0;
        do {
            const auto bit = std::find_if(std::begin(FontStyleBits), std::end(FontStyleBits),
                                          [&](const auto &entry) { return FRest.starts_with(entry.second); });
            if (bit == std::end(FontStyleBits))
                Fail("expected font styles such as fsBold+fsItalic, or none");
            FRest.remove_prefix(bit->second.size());
            styles |= bit->first;
        } while (Take("+"));
        return styles;
    }
    // A quoted string back to its code-page-1252 bytes.
    std::string Quoted()
    {
        Expect("\"");
        std::string bytes, utf8;
        const auto flush = [&] {
            const QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
            if (!IsCp1252(text) || text.toUtf8().toStdString() != utf8)
                Fail("a string has characters that code page 1252 cannot hold");
            bytes += ToCp1252(text);
            utf8.clear();
        };
        while (!Take("\"")) {
            if (FRest.empty())
                Fail("a string lacks its closing quote");
            if (Take("\\x")) {
                flush();
                uint8_t byte = 0;
                const auto [end, error] = std::from_chars(FRest.data(), FRest.data() + std::min<std::size_t>(2, FRest.size()),
                                                          byte, 16);
                if (error != std::errc() || end != FRest.data() + 2)
                    Fail("expected two hex digits after \\x");
                FRest.remove_prefix(2);
                bytes += char(byte);
            } else {
                Take("\\"); // quote or backslash
                if (FRest.empty())
                    Fail("a string lacks its closing quote");
                utf8 += FRest.front();
                FRest.remove_prefix(1);
            }
        }
        flush();
        return bytes;
    }
    void End()
    {
        if (!FRest.empty())
            Fail("unexpected '" + std::string(FRest.substr(0, 20)) + "'");
    }
    [[noreturn]] static void Fail(const std::string &message) { throw EDumpLine(message); }

private:
    static std::string Join(const TNames &names)
    {
        std::string result;
        for (const std::string_view name : names)
            result += (result.empty() ? "" : ", ") + std::string(name);
        return result;
    }

    std::string_view FRest;
};

std::unique_ptr<TKXDrawItem> ReadDrawItem(TDumpLine &line)
{
    auto d = std::make_unique<TKXDrawItem>();
    d->Name = line.Quoted();
    line.Expect(" rect=");
    for (int32_t *value : {&d->X1, &d->Y1, &d->X2, &d->Y2}) {
        if (value != &d->X1)
            line.Expect(",");
        *value = line.Integer();
    }
    line.Expect(" shape=");
    d->Shape = TKXItemShape(line.Byte(ShapeNames));
    line.Expect(" growth=");
    d->Growth = TKXItemGrowth(line.Byte(GrowthNames));
    line.Expect(" pen=");
    d->PenColor = line.Colour();
    line.Expect(",");
    d->PenStyle = TPenStyle(line.Byte(PenStyleNames));
    line.Expect(",");
    d->PenWidth = line.Integer();
    line.Expect(" brush=");
    d->BrushColor = line.Colour();
    line.Expect(",");
    d->BrushStyle = TBrushStyle(line.Byte(BrushStyleNames));
    line.End();
    return d;
}

std::unique_ptr<TKXTextItem> ReadTextItem(TDumpLine &line)
{
    auto t = std::make_unique<TKXTextItem>();
    t->Name = line.Quoted();
    line.Expect(" rect=");
    for (int32_t *value : {&t->X1, &t->Y1, &t->X2, &t->Y2}) {
        if (value != &t->X1)
            line.Expect(",");
        *value = line.Integer();
    }
    line.Expect(" growth=");
    t->Growth = TKXItemGrowth(line.Byte(GrowthNames));
    line.Expect(" font=");
    t->FontName = line.Quoted();
    line.Expect(",");
    t->FontSize = line.Integer();
    line.Expect(",");
    t->FontColor = line.Colour();
    line.Expect(",");
    t->FontStyle = line.FontStyles();
    line.Expect(" align=");
    t->Alignment = TKXTextAlign(line.Byte(AlignNames));
    line.Expect(" back=");
    t->BackColor = line.Colour();
    line.Expect(",");
    t->BackStyle = TBrushStyle(line.Byte(BrushStyleNames));
    line.Expect(" text=");
    t->Text = line.Quoted();
    line.End();
    return t;
}

std::string LibraryText(const TKXUOLibrary &library)
{
    std::ostringstream out;
    DumpLibraryText(out, library);
    return out.str();
}

}

void LoadLibraryDump(const std::string &fileName, TKXUOLibrary &library)
{
    library.ClearStyles();
    std::ifstream file(fileName, std::ios::binary);
    if (!file)
        throw EFOpenError(KXMessages::Format(KXMessages::FOpenError, fileName));
    std::string text;
    int64_t lineNumber = 0;
    int64_t declared = -1;
    std::unique_ptr<TKXVertexStyle> style;
    const auto addStyle = [&] {
        if (style)
            library.AddStyle(std::move(style));
    };
    try {
        while (std::getline(file, text)) {
            ++lineNumber;
            if (!text.empty() && text.back() == '\r')
                text.pop_back();
            TDumpLine line(text);
            if (lineNumber == 1) {
                line.Expect("library styles=");
                declared = line.Integer();
                line.End();
            } else if (line.Take("style ")) {
                addStyle();
                style = std::make_unique<TKXVertexStyle>();
                style->Name = line.Quoted();
                line.End();
            } else if (line.Take("  draw ") || line.Take("  text ")) {
                if (!style)
                    TDumpLine::Fail("an item before the first style");
                if (text.starts_with("  draw "))
                    style->DrawItems.push_back(ReadDrawItem(line));
                else
                    style->TextItems.push_back(ReadTextItem(line));
            } else {
                TDumpLine::Fail("expected a style, a draw item or a text item");
            }
        }
        addStyle();
        ++lineNumber;
        if (declared < 0)
            TDumpLine::Fail("expected 'library styles='");
        if (declared != int64_t(library.Styles().size()))
            TDumpLine::Fail("the dump declares " + std::to_string(declared) + " styles but holds "
                            + std::to_string(library.Styles().size()));
    } catch (const EDumpLine &error) {
        throw ECliError(csInvalidInput, Printable(fileName) + ": error: " + Printable(error.what()) + " (at line "
                                            + std::to_string(lineNumber) + ")");
    }
}

void SaveLibraryDump(const TKXUOLibrary &library, const std::string &fileName)
{
    const std::string text = LibraryText(library);
    SaveFileSafely(fileName, [&](const std::string &tempFileName) {
        TKXFileStream stream(tempFileName, fmCreate);
        if (stream.Write(text.data(), text.size()) != text.size())
            throw EWriteError(KXMessages::WriteError);
        stream.Close();
    });
}

std::string DumpDocument(const TCliDocument &document, TCliDumpFormat format)
{
    std::ostringstream out;
    if (document.IsDiagram())
        DumpDiagram(out, *document.Box, format);
    else if (format == dfText)
        DumpLibraryText(out, document.Library);
    else
        DumpLibraryJson(out, document.Library);
    return out.str();
}
