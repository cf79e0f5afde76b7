#pragma once
// Vertex styles (user objects): named lists of draw items and text items, and the user-object
// library that holds them and stores them in .uol files.

#include "KXGR/core/KXTypes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TValueReader;
class TValueWriter;

enum TKXItemShape : uint8_t { isRectangle = 0, isRoundRect = 1, isEllipse = 2, isLine = 3 };
// How an item follows the size of its vertex.
enum TKXItemGrowth : uint8_t { igNone = 0, igHorizontal = 1, igVertical = 2, igBoth = 3 };
// Whether a growth rule replaces X1 and X2 by the vertex's width, or Y1 and Y2 by its height.
inline bool GrowsHorizontally(TKXItemGrowth g) { return g == igHorizontal || g == igBoth; }
inline bool GrowsVertically(TKXItemGrowth g) { return g == igVertical || g == igBoth; }
enum TKXTextAlign : uint8_t { txLeft = 0, txCenter = 1, txRight = 2 };

// The host's answer to the text of a text item: Id of the vertex, the item's name as field
// name, and the host's data object of the vertex. Empty when unassigned.
using TKXGetDataEvent = std::function<std::string(int32_t Id, const std::string &Fieldname, TObject *theObject)>;

// A rectangle, rounded rectangle, ellipse or line of a style. Coordinates are logical units
// relative to the vertex's top-left corner; a new item is a black, solid rectangle at 0.
class TKXDrawItem : public TObject {
public:
    std::string Name;
    int32_t X1 = 0;
    int32_t Y1 = 0;
    int32_t X2 = 0;
    int32_t Y2 = 0;
    TKXItemShape Shape = isRectangle;
    TKXItemGrowth Growth = igNone;
    TColor PenColor = clBlack;
    TPenStyle PenStyle = psSolid;
    int32_t PenWidth = 0; // device pixels, not scaled
    TColor BrushColor = clBlack;
    TBrushStyle BrushStyle = bsSolid;
};

// A rectangle of a style that shows a text supplied by the host's data event.
class TKXTextItem : public TObject {
public:
    std::string Name; // also the field name handed to the data event
    std::string Text;
    int32_t X1 = 0;
    int32_t Y1 = 0;
    int32_t X2 = 0;
    int32_t Y2 = 0;
    TKXItemGrowth Growth = igNone;
    std::string FontName;
    int32_t FontSize = 0; // points at scale 100
    TColor FontColor = clBlack;
    TFontStyles FontStyle = 0;
    TKXTextAlign Alignment = txLeft;
    TColor BackColor = clBlack;
    TBrushStyle BackStyle = bsSolid;
};

// A named, ordered list of draw items and text items. The style owns its items; callers add
// and remove items on the two lists directly.
class TKXVertexStyle : public TObject {
public:
    TKXVertexStyle() = default;
    TKXVertexStyle(const TKXVertexStyle &) = delete;
    TKXVertexStyle &operator=(const TKXVertexStyle &) = delete;
    ~TKXVertexStyle() override;

    TKXGetDataEvent OnGetData;
    std::string Name;
    std::vector<std::unique_ptr<TKXDrawItem>> DrawItems;
    std::vector<std::unique_ptr<TKXTextItem>> TextItems;

    // Makes this style a deep copy of source (name, items, data event); the two share no item
    // objects afterwards. Assigning a style to itself changes nothing.
    void AssignStyle(const TKXVertexStyle &source);
    // The last item whose Name equals name exactly (case-sensitive), or nullptr.
    TKXDrawItem *FindDrawItem(const std::string &name) const;
    TKXTextItem *FindTextItem(const std::string &name) const;
};

// The user-object library: an ordered collection of styles that it owns, loaded from and
// saved to .uol files, and the host's data event handed to every style it takes in.
class TKXUOLibrary : public TObject {
public:
    TKXUOLibrary() = default;
    TKXUOLibrary(const TKXUOLibrary &) = delete;
    TKXUOLibrary &operator=(const TKXUOLibrary &) = delete;
    ~TKXUOLibrary() override;

    // Copied into each style on AddStyle and LoadFromFile; a later change does not reach the
    // styles already held.
    TKXGetDataEvent OnGetData;

    // The styles in library order. They stay valid until ClearStyles, LoadFromFile or the
    // library's destruction.
    const std::vector<std::unique_ptr<TKXVertexStyle>> &Styles() const { return FStyles; }

    // Appends style, takes ownership and sets its OnGetData to the library's. Answers the style.
    TKXVertexStyle *AddStyle(std::unique_ptr<TKXVertexStyle> style);
    // Takes style out of the library and hands it to the caller (the other styles keep their
    // order); nullptr when the library does not hold it.
    std::unique_ptr<TKXVertexStyle> RemoveStyle(const TKXVertexStyle *style);
    // The first style whose Name equals name exactly, or nullptr; always nullptr for "".
    TKXVertexStyle *FindStyle(const std::string &name) const;
    // Destroys every style in list order.
    void ClearStyles();

    // Empties the library, then reads the styles of a .uol file. Raises EFOpenError when the
    // file cannot be opened, EKXDiagramError "Invalid File Format" for a wrong magic (library
    // empty), EReadError for a wrong value or an early end: the styles read completely before
    // the fault stay. The file is closed before the call returns.
    void LoadFromFile(const std::string &fileName);
    // Writes all styles to a .uol file through SaveFileSafely: EFCreateError when the file
    // cannot be created, EWriteError when the disk takes fewer bytes; on failure the previous
    // file stays as it was. The library is never changed.
    void SaveToFile(const std::string &fileName) const;

private:
    std::vector<std::unique_ptr<TKXVertexStyle>> FStyles;
};
