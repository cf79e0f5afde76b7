#include "CliDocument.h"

#include "CliDump.h"
#include "DataVertex.h"

#include "KXGR/core/KXEdge.h"
#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXStream.h"
#include "KXGR/core/KXTextFile.h"
#include "KXGR/core/KXVertex.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <type_traits>

namespace {

const std::string LibraryMagic = std::string("\x06\x07", 2) + "UOL1.00";
const std::string BinaryDiagramMagic = std::string("\x06\x06", 2) + "KX1.00";
const std::string TextDiagramMagic = "KX1.00";
const std::string LibraryTextStart = "library ";

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// The style names of a diagram's styled vertices, collected by a first read in which the
// styled vertex class reads its record as a plain vertex followed by the name: a load with a
// library that lacks a name gives the vertex an empty style and would drop the name.
struct TStyleNames : TObject {
    std::vector<std::string> Names;
};

std::unique_ptr<TKXObject> ScanVertexFromStream(TValueReader &reader, TKXObjectList &vertices, TKXObjectList &edges,
                                                TObject *data)
{
    auto vertex = TKXCustomVertex::CreateFromStream(reader, vertices, edges, nullptr);
    static_cast<TStyleNames *>(data)->Names.push_back(reader.GetString());
    return vertex;
}

std::unique_ptr<TKXObject> ScanVertexFromText(TKXTextFile &file, TKXObjectList &vertices, TKXObjectList &edges,
                                              TObject *data)
{
    auto vertex = TKXCustomVertex::CreateFromText(file, vertices, edges, nullptr);
    static_cast<TStyleNames *>(data)->Names.push_back(file.ReadLine());
    return vertex;
}

const TKXObjectClass ScanVertexClass{TKXVertex::ClassRecord.ClassName, &TKXCustomVertex::ClassRecord,
                                     &ScanVertexFromStream, &ScanVertexFromText};

// The diagram program's vertex keeps its style name whatever library it is read with.
template <typename TSource>
std::unique_ptr<TKXObject> ScanDataVertex(TSource &source, TKXObjectList &vertices, TKXObjectList &edges, TObject *data)
{
    std::unique_ptr<TKXDataVertex> vertex;
    if constexpr (std::is_same_v<TSource, TKXTextFile>)
        vertex = TKXDataVertex::CreateFromText(source, vertices, edges, nullptr);
    else
        vertex = TKXDataVertex::CreateFromStream(source, vertices, edges, nullptr);
    static_cast<TStyleNames *>(data)->Names.push_back(vertex->StyleName());
    return vertex;
}

const TKXObjectClass ScanDataVertexClass{TKXDataVertex::ClassRecord.ClassName, &ScanVertexClass,
                                         &ScanDataVertex<TValueReader>, &ScanDataVertex<TKXTextFile>};

void LoadDiagram(TKXDiagramBox &box, const std::string &fileName, TCliFileKind kind, TObject *data)
{
    if (kind == fkTextDiagram)
        box.LoadFromTextFile(fileName, data);
    else
        box.LoadFromFile(fileName, data);
}

[[noreturn]] void LoadFailed(const std::string &fileName, const std::exception &error)
{
    throw ECliError(csInvalidInput, Printable(fileName) + ": error: " + DescribeLoadError(error));
}

}

std::string Printable(const std::string &text)
{
    std::string result;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            result += escaped;
        } else {
            result += c;
        }
    }
    return result;
}

std::string DescribeLoadError(const std::exception &error)
{
    std::string text = Printable(error.what());
    if (const auto *kxError = dynamic_cast<const EKXError *>(&error)) {
        if (kxError->ByteOffset >= 0)
            text += " (at byte " + std::to_string(kxError->ByteOffset) + ")";
        else if (kxError->Line >= 0)
            text += " (at line " + std::to_string(kxError->Line) + ")";
    }
    return text;
}

TCliFileKind RecogniseFile(const std::string &fileName)
{
    std::ifstream file(fileName, std::ios::binary);
    std::error_code ignored;
    if (!file || std::filesystem::is_directory(fileName, ignored))
        throw ECliError(csInvalidInput,
                        Printable(fileName) + ": error: " + Printable(KXMessages::Format(KXMessages::FOpenError, fileName)));
    std::string head(LibraryMagic.size(), '\0');
    file.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(file.gcount()));

    if (head.starts_with(LibraryMagic))
        return fkLibrary;
    if (head.starts_with(BinaryDiagramMagic))
        return fkBinaryDiagram;
    if (head.starts_with(LibraryTextStart))
        return fkLibraryText;
    if (head.starts_with(TextDiagramMagic)
        && (head.size() == TextDiagramMagic.size() || head[TextDiagramMagic.size()] == '\r'
            || head[TextDiagramMagic.size()] == '\n'))
        return fkTextDiagram;

    const std::string extension = Lower(std::filesystem::path(fileName).extension().string());
    if (extension == ".uol")
        return fkLibrary;
    if (extension == ".kx")
        return fkBinaryDiagram;
    if (extension == ".kxt" || extension == ".txt")
        return fkTextDiagram;
    throw ECliError(csInvalidInput, Printable(fileName)
                                        + ": error: neither a library (UOL1.00) nor a diagram (KX1.00) by its first "
                                          "bytes or its extension");
}

std::unique_ptr<TCliDocument> LoadDocument(const std::string &fileName, const TKXUOLibrary *styles,
                                           const TKXGetDataEvent &onGetData)
{
    auto document = std::make_unique<TCliDocument>();
    document->Kind = RecogniseFile(fileName);
    document->Library.OnGetData = onGetData;
    if (!document->IsDiagram()) {
        try {
            if (document->Kind == fkLibraryText)
                LoadLibraryDump(fileName, document->Library);
            else
                document->Library.LoadFromFile(fileName);
        } catch (const ECliError &) {
            throw;
        } catch (const std::exception &error) {
            LoadFailed(fileName, error);
        }
        return document;
    }

    TStyleNames used;
    try {
        TKXDiagramBox scan;
        scan.RegisterObjectClass(ScanVertexClass);
        scan.RegisterObjectClass(ScanDataVertexClass);
        scan.RegisterObjectClass(TKXCustomEdge::ClassRecord);
        LoadDiagram(scan, fileName, document->Kind, &used);
    } catch (const std::exception &error) {
        LoadFailed(fileName, error);
    }

    if (styles)
        for (const auto &style : styles->Styles()) {
            auto copy = std::make_unique<TKXVertexStyle>();
            copy->AssignStyle(*style);
            document->Library.AddStyle(std::move(copy));
        }
    std::set<std::string> added;
    for (const std::string &name : used.Names)
        if (!name.empty() && !document->Library.FindStyle(name) && added.insert(name).second) {
            auto standIn = std::make_unique<TKXVertexStyle>();
            standIn->Name = name;
            document->Library.AddStyle(std::move(standIn));
            document->MissingStyles.push_back(name);
        }

    document->Box = std::make_unique<TKXDiagramBox>();
    document->Box->RegisterObjectClass(TKXVertex::ClassRecord);
    document->Box->RegisterObjectClass(TKXDataVertex::ClassRecord);
    document->Box->RegisterObjectClass(TKXCustomEdge::ClassRecord);
    try {
        LoadDiagram(*document->Box, fileName, document->Kind, &document->Library);
    } catch (const std::exception &error) {
        LoadFailed(fileName, error);
    }
    return document;
}
