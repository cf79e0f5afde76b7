// Writes the seed corpora of the fuzz targets with the project's own savers:
//   fuzz_make_seeds tests/fuzz/corpus

#include "FuzzQt.h"
#include "FuzzSupport.h"

#include "KXGR/core/KXEdge.h"
#include "KXGR/core/KXStyles.h"
#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXDiagramBox.h"

#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <tuple>

namespace {

constexpr int32_t Highest = std::numeric_limits<int32_t>::max();
constexpr int32_t Lowest = std::numeric_limits<int32_t>::min() + 1;
constexpr int32_t NearHighest = Highest - 4;
constexpr int32_t NearLowest = -NearHighest;

std::unique_ptr<TKXVertexStyle> ExampleStyle(const std::string &name, int32_t far)
{
    auto style = std::make_unique<TKXVertexStyle>();
    style->Name = name;
    for (uint8_t shape = isRectangle; shape <= isLine; ++shape) {
        auto item = std::make_unique<TKXDrawItem>();
        item->Name = "Item" + std::to_string(shape);
        item->Shape = static_cast<TKXItemShape>(shape);
        item->Growth = static_cast<TKXItemGrowth>(shape);
        item->X1 = shape == isLine ? -far : 0;
        item->Y1 = 2;
        item->X2 = shape == isLine ? far : 100;
        item->Y2 = 50;
        item->PenColor = shape == isEllipse ? clWindowText : clBlack;
        item->PenStyle = static_cast<TPenStyle>(shape);
        item->PenWidth = shape;
        item->BrushColor = clWhite;
        item->BrushStyle = static_cast<TBrushStyle>(shape);
        style->DrawItems.push_back(std::move(item));
    }
    for (uint8_t align = txLeft; align <= txRight; ++align) {
        auto item = std::make_unique<TKXTextItem>();
        item->Name = "Title" + std::to_string(align);
        item->Text = align == txRight ? std::string(300, 'x') : "";
        item->X1 = 5;
        item->Y1 = 5;
        item->X2 = 95;
        item->Y2 = 20;
        item->Growth = igHorizontal;
        item->FontName = "Arial";
        item->FontSize = align == txCenter ? far : 8;
        item->FontStyle = static_cast<TFontStyles>(fsBold | align);
        item->Alignment = static_cast<TKXTextAlign>(align);
        item->BackColor = clInfoBk;
        item->BackStyle = align == txLeft ? bsClear : bsSolid;
        style->TextItems.push_back(std::move(item));
    }
    return style;
}

void SaveLibraries(const std::filesystem::path &dir)
{
    std::filesystem::create_directories(dir);
    TKXUOLibrary empty;
    empty.SaveToFile((dir / "empty.uol").string());
    TKXUOLibrary example;
    example.AddStyle(ExampleStyle("Style1", 100));
    example.AddStyle(std::make_unique<TKXVertexStyle>());
    example.SaveToFile((dir / "example.uol").string());
    TKXUOLibrary limits;
    limits.AddStyle(ExampleStyle("Style1", Highest));
    limits.AddStyle(ExampleStyle("Note", NearHighest));
    limits.SaveToFile((dir / "limits.uol").string());
}

// Two styled vertices and a plain one, an edge with bends and a caption between them; the
// edge runs from the corner at -far to the corner at far.
void Populate(TKXDiagramBox &box, TKXUOLibrary &library, int32_t far)
{
    const int32_t near = far > 0 ? far - 4 : far + 4;
    auto *a = static_cast<TKXVertex *>(box.AddObject(TKXVertex::CreateWithStyle({0, 0}, &library, "Style1").release(), moNew));
    auto *b = static_cast<TKXCustomVertex *>(box.AddObject(TKXCustomVertex::CreateAt({0, 0}).release(), moNew));
    box.AddObject(TKXVertex::CreateWithStyle({-200, 300}, &library, "Note").release(), moNew);
    const TRect low = NormalizeRect({-far, -far, -near, -near});
    const TRect high = NormalizeRect({near, near, far, far});
    std::tie(a->Left, a->Top, a->Right, a->Bottom) = std::tie(low.Left, low.Top, low.Right, low.Bottom);
    a->AdjustHandles();
    std::tie(b->Left, b->Top, b->Right, b->Bottom) = std::tie(high.Left, high.Top, high.Right, high.Bottom);
    b->AdjustHandles();
    auto edge = std::make_unique<TKXCustomEdge>(a, b, TPoint{-far, -far}, TPoint{far, far});
    edge->AdjustHandles();
    edge->Adjacent->Caption = "label";
    box.AddObject(edge.release(), moNew);
}

void SaveDiagrams(const std::filesystem::path &binaryDir, const std::filesystem::path &textDir)
{
    std::filesystem::create_directories(binaryDir);
    std::filesystem::create_directories(textDir);
    TKXUOLibrary library;
    library.AddStyle(ExampleStyle("Style1", 100));
    library.AddStyle(ExampleStyle("Note", 100));
    for (const auto &[name, far] : {std::pair{"empty", 0}, std::pair{"small", 100}, std::pair{"limits", Highest},
                                    std::pair{"near-limits", NearHighest}, std::pair{"low-limits", Lowest},
                                    std::pair{"near-low-limits", NearLowest}}) {
        TKXDiagramBox box;
        box.RegisterObjectClass(TKXCustomVertex::ClassRecord);
        box.RegisterObjectClass(TKXVertex::ClassRecord);
        box.RegisterObjectClass(TKXCustomEdge::ClassRecord);
        if (far != 0)
            Populate(box, library, far);
        box.SaveToFile((binaryDir / (std::string(name) + ".kx")).string());
        box.SaveToTextFile((textDir / (std::string(name) + ".txt")).string());
    }
}

}

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS-DIRECTORY\n", argv[0]);
        return 2;
    }
    EnsureQtApplication();
    const std::filesystem::path corpus(argv[1]);
    SaveLibraries(corpus / "library");
    SaveLibraries(corpus / "editor_open");
    SaveDiagrams(corpus / "diagram_binary", corpus / "diagram_text");
    // The text file reader starts from the text diagrams.
    std::filesystem::create_directories(corpus / "textfile");
    for (const auto &entry : std::filesystem::directory_iterator(corpus / "diagram_text"))
        std::filesystem::copy_file(entry.path(), corpus / "textfile" / entry.path().filename(),
                                   std::filesystem::copy_options::overwrite_existing);
    return 0;
}
