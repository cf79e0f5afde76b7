#include "CliDump.h"

#include "CliDocument.h"

#include "KXGR/core/KXEdge.h"
#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXQtConvert.h"

#include <array>
#include <cstdio>
#include <sstream>

namespace {

std::string Utf8(const std::string &cp1252) { return FromCp1252(cp1252).toStdString(); }

std::string Hex(uint32_t value, const char *format)
{
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// A quoted string; quotes, backslashes and control characters are escaped.
std::string Quoted(const std::string &cp1252, bool json)
{
    std::string result = "\"";
    for (const char c : Utf8(cp1252)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\')
            result += {'\\', c};
        else if (byte < 0x20 || byte == 0x7F)
            result += Hex(byte, json ? "\\u%04X" : "\\x%02X");
        else
            result += c;
    }
    return result + "\"";
}

template <std::size_t N>
std::string EnumName(unsigned value, const std::array<const char *, N> &names)
{
    return value < N ? names[value] : std::to_string(value);
}

std::string Shape(unsigned v) { return EnumName(v, std::array{"isRectangle", "isRoundRect", "isEllipse", "isLine"}); }
std::string Growth(unsigned v) { return EnumName(v, std::array{"igNone", "igHorizontal", "igVertical", "igBoth"}); }
std::string Align(unsigned v) { return EnumName(v, std::array{"txLeft", "txCenter", "txRight"}); }
std::string PenStyle(unsigned v)
{
    return EnumName(v, std::array{"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"});
}
std::string BrushStyle(unsigned v)
{
    return EnumName(v, std::array{"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal",
                                  "bsCross", "bsDiagCross"});
}
std::string Color(TColor c) { return Hex(static_cast<uint32_t>(c), "$%08X"); }
std::string FontStyle(TFontStyles styles)
{
    std::string result;
    const std::pair<TFontStyles, const char *> bits[] = {
        {fsBold, "fsBold"}, {fsItalic, "fsItalic"}, {fsUnderline, "fsUnderline"}, {fsStrikeOut, "fsStrikeOut"}};
    for (const auto &[bit, name] : bits)
        if (styles & bit)
            result += (result.empty() ? "" : "+") + std::string(name);
    return result.empty() ? "none" : result;
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
                << " shape=" << Shape(d->Shape) << " growth=" << Growth(d->Growth) << " pen=" << Color(d->PenColor)
                << "," << PenStyle(d->PenStyle) << "," << d->PenWidth << " brush=" << Color(d->BrushColor) << ","
                << BrushStyle(d->BrushStyle) << "\n";
        for (const auto &t : style->TextItems)
            out << "  text " << Quoted(t->Name, false) << " rect=" << Join({t->X1, t->Y1, t->X2, t->Y2}, ",")
                << " growth=" << Growth(t->Growth) << " font=" << Quoted(t->FontName, false) << "," << t->FontSize
                << "," << Color(t->FontColor) << "," << FontStyle(t->FontStyle) << " align=" << Align(t->Alignment)
                << " back=" << Color(t->BackColor) << "," << BrushStyle(t->BackStyle)
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
