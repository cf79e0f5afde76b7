#pragma once
// The diagram program's vertex: a styled vertex that keeps the name of the library style it was
// placed with and one value per text item, stores both after the styled vertex's own record,
// and answers its style's data event from its values. Qt-free.

#include "KXGR/core/KXVertex.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

class TKXVertexStyle;

// Where a data vertex finds its style by name while it is read: the host's open libraries.
class TKXStyleSource : public TObject {
public:
    // The style with this name, or nullptr; the answer stays valid while the vertex is read.
    virtual const TKXVertexStyle *FindStyle(const std::string &name) const = 0;
};

class TKXDataVertex : public TKXVertex {
public:
    using TValues = std::vector<std::pair<std::string, std::string>>;

    // The default rectangle of 100 x 50 around center with a copy of style (nullptr: an empty,
    // unnamed style), its growth rules applied. The vertex keeps no reference to style.
    TKXDataVertex(TPoint center, const TKXVertexStyle *style);

    static const TKXVertexClass ClassRecord;
    const TKXObjectClass &ClassType() const override { return ClassRecord; }
    const TKXVertexClass &VertexClassType() const override { return ClassRecord; }

    static std::unique_ptr<TKXDataVertex> CreateAt(TPoint center);
    // Read the record that WriteToStream / WriteToText wrote. data is a TKXStyleSource or a
    // TKXUOLibrary to find the stored style name in; when it holds no such style the vertex
    // keeps the name with an empty style, so saving it again loses nothing. Failures are those
    // of the value reader and of the text file; a value count that runs past the end of a text
    // file raises EInOutError.
    static std::unique_ptr<TKXDataVertex> CreateFromStream(TValueReader &reader, TKXObjectList &vertices,
                                                           TKXObjectList &edges, TObject *data);
    static std::unique_ptr<TKXDataVertex> CreateFromText(TKXTextFile &file, TKXObjectList &vertices,
                                                         TKXObjectList &edges, TObject *data);

    // The library style the vertex was placed with; stored even while no open library holds it.
    std::string StyleName() const;
    // Replaces the style by a copy of style, keeping the place, size, values and edges; the
    // growth rules follow the current size. nullptr empties the style and keeps the name.
    void Restyle(const TKXVertexStyle *style);

    // The value shown by the text item fieldName; "" when none was set.
    std::string Value(const std::string &fieldName) const;
    // Sets the value of fieldName; an empty value removes it.
    void SetValue(const std::string &fieldName, const std::string &value);
    // Every stored value, in the order first set.
    const TValues &Values() const { return FValues; }

    // The styled vertex's values, then the number of values and each field name and value.
    void WriteToStream(TValueWriter &writer) override;
    // The styled vertex's lines, then a line with the number of values and two lines per
    // value: the field name and the value.
    void WriteToText(TKXTextFile &file) override;

private:
    TKXDataVertex(const TRect &sides, const std::string &styleName, TObject *data);
    void AnswerDataEvent();

    TValues FValues;
};
