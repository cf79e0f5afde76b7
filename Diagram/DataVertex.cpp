#include "DataVertex.h"

#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXStream.h"
#include "KXGR/core/KXStyles.h"
#include "KXGR/core/KXTextFile.h"

#include <algorithm>

namespace {

std::unique_ptr<TKXCustomVertex> CreateDataVertexAt(TPoint center) { return TKXDataVertex::CreateAt(center); }

const TKXVertexStyle *FindIn(TObject *data, const std::string &name)
{
    if (name.empty())
        return nullptr;
    if (const auto *source = dynamic_cast<const TKXStyleSource *>(data))
        return source->FindStyle(name);
    if (const auto *library = dynamic_cast<const TKXUOLibrary *>(data))
        return library->FindStyle(name);
    return nullptr;
}

// A line end inside a value would split its line in the text form.
void CheckValueText(const std::string &text)
{
    if (text.find_first_of("\r\n") != std::string::npos)
        throw EKXDiagramError("A value cannot hold a line end");
}

} // namespace

const TKXVertexClass TKXDataVertex::ClassRecord{
    {"TKXDataVertex", &TKXVertex::ClassRecord, &ReadObjectFromStream<TKXDataVertex>,
     &ReadObjectFromText<TKXDataVertex>},
    &CreateDataVertexAt};

TKXDataVertex::TKXDataVertex(TPoint center, const TKXVertexStyle *style) : TKXVertex(center, nullptr, std::string())
{
    Restyle(style);
}

TKXDataVertex::TKXDataVertex(const TRect &sides, const std::string &styleName, TObject *data)
    : TKXVertex(sides, nullptr, std::string())
{
    Restyle(FindIn(data, styleName));
    Style->Name = styleName;
}

std::unique_ptr<TKXDataVertex> TKXDataVertex::CreateAt(TPoint center)
{
    return std::make_unique<TKXDataVertex>(center, nullptr);
}

std::string TKXDataVertex::StyleName() const { return Style ? Style->Name : std::string(); }

void TKXDataVertex::Restyle(const TKXVertexStyle *style)
{
    const std::string name = StyleName();
    if (!Style)
        Style = std::make_unique<TKXVertexStyle>();
    if (style) {
        Style->AssignStyle(*style);
    } else {
        Style->DrawItems.clear();
        Style->TextItems.clear();
        Style->Name = name;
    }
    AnswerDataEvent();
    AdjustHandles();
}

void TKXDataVertex::AnswerDataEvent()
{
    // The style copy answers from this vertex's values, whatever the library's event was.
    Style->OnGetData = [this](int32_t, const std::string &fieldName, TObject *) { return Value(fieldName); };
}

std::string TKXDataVertex::Value(const std::string &fieldName) const
{
    const auto found = std::find_if(FValues.begin(), FValues.end(),
                                    [&](const auto &entry) { return entry.first == fieldName; });
    return found == FValues.end() ? std::string() : found->second;
}

void TKXDataVertex::SetValue(const std::string &fieldName, const std::string &value)
{
    CheckValueText(fieldName);
    CheckValueText(value);
    const auto found = std::find_if(FValues.begin(), FValues.end(),
                                    [&](const auto &entry) { return entry.first == fieldName; });
    if (value.empty()) {
        if (found != FValues.end())
            FValues.erase(found);
    } else if (found != FValues.end()) {
        found->second = value;
    } else {
        FValues.emplace_back(fieldName, value);
    }
}

void TKXDataVertex::WriteToStream(TValueWriter &writer)
{
    TKXVertex::WriteToStream(writer);
    writer.PutInteger(static_cast<int32_t>(FValues.size()));
    for (const auto &[fieldName, value] : FValues) {
        writer.PutString(fieldName);
        writer.PutString(value);
    }
}

void TKXDataVertex::WriteToText(TKXTextFile &file)
{
    TKXVertex::WriteToText(file);
    file.WriteIntegers({static_cast<int32_t>(FValues.size())});
    for (const auto &[fieldName, value] : FValues) {
        file.WriteLine(fieldName);
        file.WriteLine(value);
    }
}

std::unique_ptr<TKXDataVertex> TKXDataVertex::CreateFromStream(TValueReader &reader, TKXObjectList &,
                                                               TKXObjectList &, TObject *data)
{
    const TStoredVertex stored = ReadRecord(reader);
    std::unique_ptr<TKXDataVertex> vertex(new TKXDataVertex(stored.Sides, stored.StyleName, data));
    vertex->Id = stored.Id;
    // Values are read one by one, so a count larger than the data fails at the first missing one.
    const int32_t count = reader.GetInteger();
    for (int32_t i = 0; i < count; ++i) {
        std::string fieldName = reader.GetString();
        vertex->FValues.emplace_back(std::move(fieldName), reader.GetString());
    }
    return vertex;
}

std::unique_ptr<TKXDataVertex> TKXDataVertex::CreateFromText(TKXTextFile &file, TKXObjectList &, TKXObjectList &,
                                                             TObject *data)
{
    const TStoredVertex stored = ReadRecord(file);
    std::unique_ptr<TKXDataVertex> vertex(new TKXDataVertex(stored.Sides, stored.StyleName, data));
    vertex->Id = stored.Id;
    const int32_t count = file.ReadInteger();
    file.ReadLn();
    for (int32_t i = 0; i < count; ++i) {
        // Lines read as "" at the end of a text file: a count beyond the lines would never end.
        if (file.Eof())
            throw EInOutError(KXMessages::ReadBeyondEndOfFile);
        std::string fieldName = file.ReadLine();
        vertex->FValues.emplace_back(std::move(fieldName), file.ReadLine());
    }
    return vertex;
}
