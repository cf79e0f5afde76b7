#include "FuzzDiagram.h"

#include "FuzzQt.h"
#include "FuzzSupport.h"

#include "KXGR/core/KXEdge.h"
#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXStyles.h"
#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXDiagramBox.h"

#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int32_t Lowest = std::numeric_limits<int32_t>::min();
constexpr int32_t Highest = std::numeric_limits<int32_t>::max();

// Styles named as in the seed diagrams: every shape, growth and alignment.
TKXUOLibrary &Library()
{
    static TKXUOLibrary *library = [] {
        auto *lib = new TKXUOLibrary;
        lib->OnGetData = [](int32_t, const std::string &name, TObject *) { return "<<" + name + ">>"; };
        auto style = std::make_unique<TKXVertexStyle>();
        style->Name = "Style1";
        for (uint8_t shape = isRectangle; shape <= isLine; ++shape) {
            auto item = std::make_unique<TKXDrawItem>();
            item->Name = "Item" + std::to_string(shape);
            item->Shape = static_cast<TKXItemShape>(shape);
            item->Growth = static_cast<TKXItemGrowth>(shape);
            item->X1 = 2 * shape;
            item->Y1 = shape;
            item->X2 = 90 - shape;
            item->Y2 = 40 + shape;
            item->PenWidth = shape;
            item->BrushStyle = static_cast<TBrushStyle>(shape);
            style->DrawItems.push_back(std::move(item));
        }
        for (uint8_t align = txLeft; align <= txRight; ++align) {
            auto item = std::make_unique<TKXTextItem>();
            item->Name = "Text" + std::to_string(align);
            item->Alignment = static_cast<TKXTextAlign>(align);
            item->Growth = igHorizontal;
            item->X1 = 5;
            item->Y1 = 5 + 12 * align;
            item->X2 = 95;
            item->Y2 = 17 + 12 * align;
            item->FontName = "Arial";
            item->FontSize = 8;
            item->BackStyle = align == txCenter ? bsSolid : bsClear;
            style->TextItems.push_back(std::move(item));
        }
        lib->AddStyle(std::move(style));
        auto note = std::make_unique<TKXVertexStyle>();
        note->Name = "Note";
        lib->AddStyle(std::move(note));
        return lib;
    }();
    return *library;
}

std::unique_ptr<TKXDiagramBox> MakeBox()
{
    auto box = std::make_unique<TKXDiagramBox>();
    box->resize(96, 64);
    box->RegisterObjectClass(TKXCustomVertex::ClassRecord);
    box->RegisterObjectClass(TKXVertex::ClassRecord);
    box->RegisterObjectClass(TKXCustomEdge::ClassRecord);
    return box;
}

void Load(TKXDiagramBox &box, TDiagramForm form, const std::string &fileName)
{
    if (form == dfBinary)
        box.LoadFromFile(fileName, &Library());
    else
        box.LoadFromTextFile(fileName, &Library());
}

void Save(TKXDiagramBox &box, TDiagramForm form, const std::string &fileName)
{
    if (form == dfBinary)
        box.SaveToFile(fileName);
    else
        box.SaveToTextFile(fileName);
}

// Points where the loaded objects have their corners and handles, and the 32-bit corners.
std::vector<TPoint> Probes(const TKXDiagramBox &box)
{
    std::vector<TPoint> points{{0, 0}, {Lowest, Lowest}, {Highest, Highest}, {Lowest, Highest}, {Highest, Lowest}};
    for (const auto &v : box.Vertices)
        for (const auto &h : static_cast<TKXCustomVertex &>(*v).Handles)
            points.push_back(h->Position);
    for (const auto &e : box.Edges) {
        const auto &edge = static_cast<TKXCustomEdge &>(*e);
        for (const auto &h : edge.Handles)
            points.push_back(h->Position);
        points.push_back(edge.Adjacent->Position);
    }
    if (points.size() > 64)
        points.resize(64);
    return points;
}

void Exercise(TKXDiagramBox &box)
{
    for (const TPoint p : Probes(box))
        box.ObjectAt(p);
    for (const int32_t scale : {100, 200, 50}) {
        box.SetScale(scale);
        box.Paint();
    }
    box.SetScale(100);
}

}

void RunDiagramInput(TDiagramForm form, const uint8_t *data, std::size_t size)
{
    EnsureQtApplication();
    Library();
    const char *suffix = form == dfBinary ? ".kx" : ".txt";
    const std::string input = ScratchFile(std::string("diagram-in") + suffix);
    const std::string first = ScratchFile(std::string("diagram-1") + suffix);
    const std::string second = ScratchFile(std::string("diagram-2") + suffix);
    WriteBytes(input, data, size);

    TAllocationLimit limit(size);
    const auto box = MakeBox();
    try {
        Load(*box, form, input);
    } catch (const EKXError &) {
        // The objects read before the fault stay in the box.
    }
    Exercise(*box);

    bool saved = true;
    try {
        Save(*box, form, first);
    } catch (const EKXDiagramError &) {
        // The text form refuses a caption or style name with a line break.
        FuzzCheck(form == dfText, "the binary form refused to save");
        saved = false;
    }
    if (saved) {
        const auto reloaded = MakeBox();
        try {
            Load(*reloaded, form, first);
        } catch (const EKXError &e) {
            FuzzFailure(std::string("a saved diagram does not load: ") + e.what());
        }
        FuzzCheck(reloaded->Vertices.Count() == box->Vertices.Count() && reloaded->Edges.Count() == box->Edges.Count(),
                  "object count changed by a round trip");
        // A label takes its bounds from the font the canvas holds when it is drawn: the copy
        // goes through the same paints before it is saved.
        Exercise(*reloaded);
        Save(*reloaded, form, second);
        FuzzCheck(ReadBytes(first) == ReadBytes(second), "two saves of one diagram differ");
    }

    box->SelectInRect({Lowest, Lowest, Highest, Highest}, false);
    for (const TPoint delta : {TPoint{Highest, Highest}, TPoint{Lowest, Lowest}, TPoint{7, -3}})
        box->MoveSelection(delta);
    Exercise(*box);
}
