// The diagram window's open, select all, delete and undo-recorded changes on a generated diagram of
// 100 000 objects (50 000 styled vertices in a grid, 50 000 edges between neighbours).
// Anchor, measured in the same run: the diagram box's own load of the same file into a bare
// box, which is the least any open can cost.
#include "DataVertex.h"
#include "uDiagram.h"
#include "uDiagramView.h"

#include "KXGR/core/KXEdge.h"
#include "KXGR/core/KXStream.h"
#include "KXGR/widgets/KXDiagramBox.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int VertexCount = 50000;

struct TFixture {
    QTemporaryDir Dir;
    std::string Library = Dir.filePath(QStringLiteral("shapes.uol")).toStdString();
    std::string Diagram = Dir.filePath(QStringLiteral("large.kx")).toStdString();

    TFixture()
    {
        TKXUOLibrary library;
        auto style = std::make_unique<TKXVertexStyle>();
        style->Name = "Box";
        auto frame = std::make_unique<TKXDrawItem>();
        frame->Growth = igBoth;
        frame->BrushColor = clWhite;
        style->DrawItems.push_back(std::move(frame));
        auto title = std::make_unique<TKXTextItem>();
        std::tie(title->Name, title->X2, title->Y2, title->FontName, title->FontSize) =
            std::tuple("Title", 100, 20, "Arial", 8);
        style->TextItems.push_back(std::move(title));
        library.AddStyle(std::move(style));
        library.SaveToFile(Library);

        TKXDiagramBox box;
        box.RegisterObjectClass(TKXDataVertex::ClassRecord);
        box.RegisterObjectClass(TKXCustomEdge::ClassRecord);
        box.hide();
        std::vector<TKXDataVertex *> vertices;
        for (int i = 0; i < VertexCount; ++i) {
            auto v = std::make_unique<TKXDataVertex>(TPoint{(i % 250) * 200 + 60, (i / 250) * 120 + 40},
                                                     library.FindStyle("Box"));
            v->SetValue("Title", "V" + std::to_string(i));
            vertices.push_back(v.get());
            box.AddObject(v.release(), moLoaded);
        }
        for (int i = 0; i < VertexCount; ++i) {
            TKXDataVertex *a = vertices[i], *b = vertices[(i + 1) % VertexCount];
            box.AddObject(new TKXCustomEdge(a, b, {a->Right, a->Top + 25}, {b->Left, b->Top + 25}), moLoaded);
        }
        box.SaveToFile(Diagram);
    }
};

TFixture &Fixture()
{
    static TFixture fixture;
    return fixture;
}

std::unique_ptr<TfrmDiagram> OpenWindow()
{
    auto window = std::make_unique<TfrmDiagram>();
    window->OpenLibrary(Fixture().Library);
    window->OpenDiagram(Fixture().Diagram);
    return window;
}

void BM_AnchorBoxLoad(benchmark::State &state)
{
    for (auto _ : state) {
        TKXStyleLibraries libraries;
        libraries.Open(Fixture().Library);
        auto box = std::make_unique<TKXDiagramBox>();
        box->RegisterObjectClass(TKXDataVertex::ClassRecord);
        box->RegisterObjectClass(TKXCustomEdge::ClassRecord);
        box->LoadFromFile(Fixture().Diagram, &libraries);
        benchmark::DoNotOptimize(box->Edges.Count());
        state.PauseTiming();  // destroying is not part of the load
        box.reset();
        state.ResumeTiming();
    }
}

void BM_WindowOpen(benchmark::State &state)
{
    for (auto _ : state) {
        auto window = OpenWindow();
        benchmark::DoNotOptimize(window->KXB->Vertices.Count());
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}

void BM_WindowSelectAll(benchmark::State &state)
{
    auto window = OpenWindow();
    for (auto _ : state) {
        window->SelectAll();
        state.PauseTiming();
        window->KXB->ClearSelection();
        state.ResumeTiming();
    }
}

// Select all and delete, recorded for undo (the state before is taken then, as after an open).
void BM_WindowSelectAllDelete(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto window = OpenWindow();
        state.ResumeTiming();
        window->SelectAll();
        window->DeleteSelection();
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}

// A change recorded for undo: one value edited, the diagram's state taken before and after.
void BM_WindowRecordedChange(benchmark::State &state)
{
    auto window = OpenWindow();
    auto *vertex = static_cast<TKXDataVertex *>(window->KXB->Vertices[0]);
    int n = 0;
    for (auto _ : state)
        window->SetValue(vertex, "Title", std::to_string(++n));
}

} // namespace

BENCHMARK(BM_AnchorBoxLoad)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_WindowOpen)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_WindowSelectAll)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_WindowSelectAllDelete)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_WindowRecordedChange)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
