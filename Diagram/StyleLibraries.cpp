#include "StyleLibraries.h"

#include <tuple>

namespace {

auto DrawFields(const TKXDrawItem &i)
{
    return std::tie(i.Name, i.X1, i.Y1, i.X2, i.Y2, i.Shape, i.Growth, i.PenColor, i.PenStyle, i.PenWidth,
                    i.BrushColor, i.BrushStyle);
}

// The shown Text is not part of a style's look: the host supplies it at painting time.
auto TextFields(const TKXTextItem &i)
{
    return std::tie(i.Name, i.X1, i.Y1, i.X2, i.Y2, i.Growth, i.FontName, i.FontSize, i.FontColor, i.FontStyle,
                    i.Alignment, i.BackColor, i.BackStyle);
}

template <typename TItem, typename TFields>
bool SameItems(const std::vector<std::unique_ptr<TItem>> &a, const std::vector<std::unique_ptr<TItem>> &b,
               TFields fields)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fields(*a[i]) != fields(*b[i]))
            return false;
    return true;
}

} // namespace

bool SameStyle(const TKXVertexStyle &a, const TKXVertexStyle &b)
{
    return a.Name == b.Name && SameItems(a.DrawItems, b.DrawItems, DrawFields)
        && SameItems(a.TextItems, b.TextItems, TextFields);
}

TKXStyleChanges CompareLibraries(const TKXUOLibrary &before, const TKXUOLibrary &now)
{
    TKXStyleChanges changes;
    for (const auto &style : before.Styles()) {
        // A library may hold a name twice; FindStyle answers the first, as placing does.
        if (before.FindStyle(style->Name) != style.get())
            continue;
        const TKXVertexStyle *current = now.FindStyle(style->Name);
        if (!current)
            changes.Removed.push_back(style->Name);
        else if (!SameStyle(*style, *current))
            changes.Changed.push_back(style->Name);
    }
    return changes;
}

std::unique_ptr<TKXUOLibrary> TKXStyleLibraries::Open(const std::string &fileName)
{
    auto library = std::make_unique<TKXUOLibrary>();
    library->LoadFromFile(fileName);
    const int index = IndexOf(fileName);
    if (index < 0) {
        FEntries.push_back({fileName, std::move(library)});
        return nullptr;
    }
    std::swap(FEntries[index].Library, library);
    return library;
}

int TKXStyleLibraries::IndexOf(const std::string &fileName) const
{
    for (std::size_t i = 0; i < FEntries.size(); ++i)
        if (FEntries[i].FileName == fileName)
            return static_cast<int>(i);
    return -1;
}

const TKXVertexStyle *TKXStyleLibraries::FindStyle(const std::string &name) const
{
    for (const auto &entry : FEntries)
        if (const TKXVertexStyle *style = entry.Library->FindStyle(name))
            return style;
    return nullptr;
}
