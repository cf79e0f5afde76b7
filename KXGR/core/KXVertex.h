#pragma once
// Vertices: the plain rectangular vertex with its four corner handles, and the styled vertex
// that paints a private copy of a user-object style.

#include "KXGR/core/KXHandle.h"
#include "KXGR/core/KXObject.h"

#include <memory>
#include <string>
#include <vector>

class TKXCustomVertex;
class TKXUOLibrary;
class TKXVertexStyle;

// The class record of vertex classes: the object record plus the virtual constructor that
// builds a vertex of the class, of the default size 100 x 50, around a centre point. A host
// that holds a vertex class creates its vertices through CreateAt.
struct TKXVertexClass : TKXObjectClass {
    using CreateAtFn = std::unique_ptr<TKXCustomVertex> (*)(TPoint center);
    CreateAtFn CreateAt;
};

// An axis-parallel rectangle in logical units, closed (points on a side are inside), with four
// owned corner handles in the order top-left, top-right, bottom-right, bottom-left. Links holds
// the attached edge-end handles (not owned), which follow the vertex and stay inside it.
class TKXCustomVertex : public TKXObject, public TKXHandleOwner {
public:
    // The default rectangle of 100 x 50 around center, with the corner handles on its corners.
    explicit TKXCustomVertex(TPoint center);
    ~TKXCustomVertex() override;

    static const TKXVertexClass ClassRecord;
    const TKXObjectClass &ClassType() const override { return ClassRecord; }
    virtual const TKXVertexClass &VertexClassType() const { return ClassRecord; }

    static std::unique_ptr<TKXCustomVertex> CreateAt(TPoint center);
    // Read the record that WriteToStream / WriteToText wrote; vertices, edges and data are not
    // used. Reading failures are those of the value reader and of the text file.
    static std::unique_ptr<TKXCustomVertex> CreateFromStream(TValueReader &reader, TKXObjectList &vertices,
                                                             TKXObjectList &edges, TObject *data);
    static std::unique_ptr<TKXCustomVertex> CreateFromText(TKXTextFile &file, TKXObjectList &vertices,
                                                           TKXObjectList &edges, TObject *data);

    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    std::vector<std::unique_ptr<TKXHandle>> Handles;

    // A white box with a black frame; the corner handles too when selected on the screen.
    void Draw(TKXCanvas &canvas, int32_t scale, TKXDrawMode mode) override;
    // The frame in the not-xor pen mode without fill.
    void DrawOutline(TKXCanvas &canvas, int32_t scale) override;
    // A corner handle under p, else the vertex when p is inside, else nullptr.
    TKXObject *HitTest(TPoint p) override;
    TKXObject *HitTestAt(TPoint p, int32_t scale) override;
    // The one rectangle around the sides and the corner handles' hit squares.
    void HitAreas(TKXHitAreas &areas) override;
    // Moves the rectangle, asks every attached edge end to move along, then AdjustHandles.
    void MoveBy(TPoint delta) override;
    // Whether the whole rectangle lies inside r, sides inclusive.
    bool InRect(const TRect &r) override;
    // The frame and the handle squares.
    TRect PaintExtent(int32_t scale) override;
    // Id, Left, Top, Right, Bottom as five integers.
    void WriteToStream(TValueWriter &writer) override;
    // The id on one line, the four sides on the next.
    void WriteToText(TKXTextFile &file) override;
    // Where the segment p1-p2 crosses the border: the crossing with the last side in the order
    // top, right, bottom, left; p1 when the segment crosses no side.
    TPoint BorderPoint(TPoint p1, TPoint p2) override;
    bool ContainsPoint(TPoint p) override;

    // Each corner handle draws itself at the scale.
    void DrawHandles(TKXCanvas &canvas, int32_t scale);
    // Puts the corner handles on the corners and pulls the attached edge ends into the
    // rectangle. Called after every change of the rectangle.
    virtual void AdjustHandles();

    // Corner drags resize the vertex, keeping it at least 11 units wide and high; a drag that
    // breaks either limit is refused as a whole. EInvalidCast for a handle kind not a corner.
    void MoveHandle(TKXHandle &handle, TPoint delta) override;
    void DrawHandleOutline(TKXCanvas &canvas, TKXHandle &handle, int32_t scale) override;

protected:
    // The vertex with exactly these sides (a stored record) and its corner handles on them.
    explicit TKXCustomVertex(const TRect &sides);

    TRect Sides() const { return {Left, Top, Right, Bottom}; }
};

// The vertex that looks like a user object: it paints the draw items and text items of its own
// deep copy of a library style inside its rectangle and asks the style's data event for the
// texts. It keeps no reference to the library.
class TKXVertex : public TKXCustomVertex {
public:
    // The default rectangle of 100 x 50 around center with a copy of library's style styleName,
    // its growth rules applied. An empty name, an unknown one or a null library give an empty
    // style; the library is not consulted for an empty name.
    TKXVertex(TPoint center, TKXUOLibrary *library, const std::string &styleName);
    ~TKXVertex() override;

    static const TKXVertexClass ClassRecord;
    const TKXObjectClass &ClassType() const override { return ClassRecord; }
    const TKXVertexClass &VertexClassType() const override { return ClassRecord; }

    static std::unique_ptr<TKXVertex> CreateWithStyle(TPoint center, TKXUOLibrary *library,
                                                      const std::string &styleName);
    // The vertex with an empty style (the class record's CreateAt).
    static std::unique_ptr<TKXVertex> CreateAt(TPoint center);
    // Read the record that WriteToStream / WriteToText wrote. data is the library to find the
    // stored style name in; when it is no library, or lacks the name, the style is empty.
    static std::unique_ptr<TKXVertex> CreateFromStream(TValueReader &reader, TKXObjectList &vertices,
                                                       TKXObjectList &edges, TObject *data);
    static std::unique_ptr<TKXVertex> CreateFromText(TKXTextFile &file, TKXObjectList &vertices,
                                                     TKXObjectList &edges, TObject *data);

    // Owned; may be set to nullptr by a host: the vertex then draws nothing and stores an
    // empty style name.
    std::unique_ptr<TKXVertexStyle> Style;
    // Handed to the data event as theObject; not owned.
    TObject *DataObject = nullptr;

    // The draw items, then the text items with the texts the data event answers, then the
    // handles when selected on the screen. Pen and brush are restored afterwards; the canvas
    // keeps the last text item's font. No frame of its own.
    void Draw(TKXCanvas &canvas, int32_t scale, TKXDrawMode mode) override;
    // The vertex's values, then the style name.
    void WriteToStream(TValueWriter &writer) override;
    // The vertex's lines, then the style name as a line of its own; a style name with a line
    // break is refused before anything is written (see RequireSingleLine).
    void WriteToText(TKXTextFile &file) override;
    // The vertex's extent and every item's rectangle, widened by its pen.
    TRect PaintExtent(int32_t scale) override;
    // Places the handles, then applies the growth rules of every item to the current size;
    // the items' coordinates are rewritten in the vertex's own style.
    void AdjustHandles() override;

protected:
    TKXVertex(const TRect &sides, TKXUOLibrary *library, const std::string &styleName);

    // The values of a stored styled vertex, read for subclasses that store more after them.
    struct TStoredVertex {
        int32_t Id;
        TRect Sides;
        std::string StyleName;
    };
    static TStoredVertex ReadRecord(TValueReader &reader);
    static TStoredVertex ReadRecord(TKXTextFile &file);

private:
    void TakeStyle(TKXUOLibrary *library, const std::string &styleName);
    static std::unique_ptr<TKXVertex> FromRecord(int32_t id, const TRect &sides, const std::string &styleName,
                                                 TObject *data);
};
