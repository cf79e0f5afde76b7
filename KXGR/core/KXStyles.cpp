#include "KXGR/core/KXStyles.h"

#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXSafeSave.h"
#include "KXGR/core/KXStream.h"

#include <algorithm>

namespace {

constexpr const char *LibraryMagic = "UOL1.00";
// The encoding leaves the buffer size free: a large one reads a library in a few system calls
// instead of one per 128 bytes; the bytes in the file are the same.
constexpr std::size_t LibraryBufferSize = 64 * 1024;

template <typename TItem>
TItem *FindLast(const std::vector<std::unique_ptr<TItem>> &items, const std::string &name)
{
    TItem *found = nullptr;
    for (const auto &item : items)
        if (item->Name == name)
            found = item.get();
    return found;
}

// One-byte fields keep the low eight bits of what is stored, without a range check.
template <typename T>
T GetByte(TValueReader &reader)
{
    return static_cast<T>(static_cast<uint8_t>(reader.GetInteger()));
}

void ReadDrawItem(TValueReader &reader, TKXDrawItem &item)
{
    item.Name = reader.GetString();
    item.X1 = reader.GetInteger();
    item.Y1 = reader.GetInteger();
    item.X2 = reader.GetInteger();
    item.Y2 = reader.GetInteger();
    item.Shape = GetByte<TKXItemShape>(reader);
    item.Growth = GetByte<TKXItemGrowth>(reader);
    item.PenColor = reader.GetInteger();
    item.PenStyle = GetByte<TPenStyle>(reader);
    item.PenWidth = reader.GetInteger();
    item.BrushColor = reader.GetInteger();
    item.BrushStyle = GetByte<TBrushStyle>(reader);
}

void ReadTextItem(TValueReader &reader, TKXTextItem &item)
{
    item.Name = reader.GetString();
    item.Text = reader.GetString();
    item.X1 = reader.GetInteger();
    item.Y1 = reader.GetInteger();
    item.X2 = reader.GetInteger();
    item.Y2 = reader.GetInteger();
    item.Growth = GetByte<TKXItemGrowth>(reader);
    item.FontName = reader.GetString();
    item.FontSize = reader.GetInteger();
    item.FontColor = reader.GetInteger();
    item.FontStyle = 0;
    for (const TFontStyles bit : {fsBold, fsItalic, fsUnderline, fsStrikeOut})
        if (reader.GetBoolean())
            item.FontStyle |= bit;
    item.Alignment = GetByte<TKXTextAlign>(reader);
    item.BackColor = reader.GetInteger();
    item.BackStyle = GetByte<TBrushStyle>(reader);
}

void ReadStyle(TValueReader &reader, TKXVertexStyle &style)
{
    style.Name = reader.GetString();
    reader.GetListBegin();
    while (!reader.AtListEnd()) {
        auto item = std::make_unique<TKXDrawItem>();
        ReadDrawItem(reader, *item);
        style.DrawItems.push_back(std::move(item));
    }
    reader.GetListEnd();
    reader.GetListBegin();
    while (!reader.AtListEnd()) {
        auto item = std::make_unique<TKXTextItem>();
        ReadTextItem(reader, *item);
        style.TextItems.push_back(std::move(item));
    }
    reader.GetListEnd();
}

void WriteStyle(TValueWriter &writer, const TKXVertexStyle &style)
{
    writer.PutString(style.Name);
    writer.PutListBegin();
    for (const auto &item : style.DrawItems) {
        writer.PutString(item->Name);
        writer.PutInteger(item->X1);
        writer.PutInteger(item->Y1);
        writer.PutInteger(item->X2);
        writer.PutInteger(item->Y2);
        writer.PutInteger(item->Shape);
        writer.PutInteger(item->Growth);
        writer.PutInteger(item->PenColor);
        writer.PutInteger(item->PenStyle);
        writer.PutInteger(item->PenWidth);
        writer.PutInteger(item->BrushColor);
        writer.PutInteger(item->BrushStyle);
    }
    writer.PutListEnd();
    writer.PutListBegin();
    for (const auto &item : style.TextItems) {
        writer.PutString(item->Name);
        writer.PutString(item->Text);
        writer.PutInteger(item->X1);
        writer.PutInteger(item->Y1);
        writer.PutInteger(item->X2);
        writer.PutInteger(item->Y2);
        writer.PutInteger(item->Growth);
        writer.PutString(item->FontName);
        writer.PutInteger(item->FontSize);
        writer.PutInteger(item->FontColor);
        for (const TFontStyles bit : {fsBold, fsItalic, fsUnderline, fsStrikeOut})
            writer.PutBoolean((item->FontStyle & bit) != 0);
        writer.PutInteger(item->Alignment);
        writer.PutInteger(item->BackColor);
        writer.PutInteger(item->BackStyle);
    }
    writer.PutListEnd();
}

}

// ---------------------------------------------------------------------------------------------
// TKXVertexStyle

TKXVertexStyle::~TKXVertexStyle()
{
    DrawItems.clear();
    TextItems.clear();
}

void TKXVertexStyle::AssignStyle(const TKXVertexStyle &source)
{
    if (&source == this)
        return;
    Name = source.Name;
    DrawItems.clear();
    TextItems.clear();
    DrawItems.reserve(source.DrawItems.size());
    for (const auto &item : source.DrawItems)
        DrawItems.push_back(std::make_unique<TKXDrawItem>(*item));
    TextItems.reserve(source.TextItems.size());
    for (const auto &item : source.TextItems)
        TextItems.push_back(std::make_unique<TKXTextItem>(*item));
    OnGetData = source.OnGetData;
}

TKXDrawItem *TKXVertexStyle::FindDrawItem(const std::string &name) const
{
    return FindLast(DrawItems, name);
}

TKXTextItem *TKXVertexStyle::FindTextItem(const std::string &name) const
{
    return FindLast(TextItems, name);
}

// ---------------------------------------------------------------------------------------------
// TKXUOLibrary

TKXUOLibrary::~TKXUOLibrary()
{
    while (!FStyles.empty())
        FStyles.pop_back();
}

TKXVertexStyle *TKXUOLibrary::AddStyle(std::unique_ptr<TKXVertexStyle> style)
{
    style->OnGetData = OnGetData;
    FStyles.push_back(std::move(style));
    return FStyles.back().get();
}

std::unique_ptr<TKXVertexStyle> TKXUOLibrary::RemoveStyle(const TKXVertexStyle *style)
{
    const auto it = std::find_if(FStyles.begin(), FStyles.end(), [style](const auto &s) { return s.get() == style; });
    if (it == FStyles.end())
        return nullptr;
    std::unique_ptr<TKXVertexStyle> taken = std::move(*it);
    FStyles.erase(it);
    return taken;
}

TKXVertexStyle *TKXUOLibrary::FindStyle(const std::string &name) const
{
    if (name.empty())
        return nullptr;
    for (const auto &style : FStyles)
        if (style->Name == name)
            return style.get();
    return nullptr;
}

void TKXUOLibrary::ClearStyles()
{
    for (auto &style : FStyles)
        style.reset();
    FStyles.clear();
}

void TKXUOLibrary::LoadFromFile(const std::string &fileName)
{
    // The old content goes first, so it is gone even when the file then fails.
    ClearStyles();
    TKXFileStream stream(fileName, fmOpenRead);
    TValueReader reader(stream, LibraryBufferSize);
    try {
        if (reader.GetString() != LibraryMagic)
            throw EKXDiagramError(KXMessages::InvalidFileFormat);
        reader.GetListBegin();
        while (!reader.AtListEnd()) {
            // A style cut by a fault is destroyed with this pointer and never added.
            auto style = std::make_unique<TKXVertexStyle>();
            ReadStyle(reader, *style);
            AddStyle(std::move(style));
        }
        reader.GetListEnd();
    } catch (EKXError &error) {
        error.ByteOffset = reader.ValueOffset();
        throw;
    }
}

void TKXUOLibrary::SaveToFile(const std::string &fileName) const
{
    SaveFileSafely(fileName, [this](const std::string &tempFileName) {
        TKXFileStream stream(tempFileName, fmCreate);
        TValueWriter writer(stream, LibraryBufferSize);
        writer.PutString(LibraryMagic);
        writer.PutListBegin();
        for (const auto &style : FStyles)
            WriteStyle(writer, *style);
        writer.PutListEnd();
        writer.FlushBuffer();
        stream.Close();
    });
}
