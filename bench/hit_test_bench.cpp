// Hit testing, band selection and deletion in a diagram box of n vertices, each beside its
// anchor: a QGraphicsScene holding a QGraphicsRectItem at the place of every vertex (BSP
// index, scene rectangle fixed).
//
//   QT_QPA_PLATFORM=offscreen ./hit_test_bench --benchmark_repetitions=5 
//       --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true
//
// ObjectAt and itemAt answer the same 4096 points, half of them on a vertex. Band select takes
// every vertex; delete removes every vertex (the box's DeleteSelection, the scene's items
// deleted one by one). DeleteEveryOther deletes every other vertex with one DeleteObject call
// each, found by its id.

#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXDiagramBox.h"

#include <QApplication>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QPainterPath>

#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <memory>
#include <random>
#include <vector>

namespace {

// Vertex i of n: 100 x 50 on a square grid with steps of 150 and 100 (100 000 vertices span
// about 47 000 x 32 000 units).
TRect Place(int32_t i, int32_t n)
{
    const int32_t side = static_cast<int32_t>(std::ceil(std::sqrt(double(n))));
    const int32_t x = (i % side) * 150;
    const int32_t y = (i / side) * 100;
    return {x, y, x + 100, y + 50};
}

TRect Extent(int32_t n)
{
    const TRect last = Place(n - 1, n);
    const int32_t side = static_cast<int32_t>(std::ceil(std::sqrt(double(n))));
    return {-10, -10, side * 150 + 10, last.Bottom + 10};
}

std::unique_ptr<TKXDiagramBox> BuildBox(int32_t n)
{
    auto box = std::make_unique<TKXDiagramBox>();
    box->resize(1200, 800);
    for (int32_t i = 0; i < n; ++i) {
        const TRect r = Place(i, n);
        box->AddObject(new TKXCustomVertex(TPoint{r.Left + 50, r.Top + 25}), moNew);
    }
    box->ClearSelection();
    return box;
}

std::unique_ptr<QGraphicsScene> BuildScene(int32_t n)
{
    const TRect e = Extent(n);
    auto scene = std::make_unique<QGraphicsScene>();
    scene->setSceneRect(e.Left, e.Top, e.Right - e.Left, e.Bottom - e.Top);
    for (int32_t i = 0; i < n; ++i) {
        const TRect r = Place(i, n);
        auto *item = scene->addRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
        item->setFlag(QGraphicsItem::ItemIsSelectable);
    }
    return scene;
}

std::vector<TPoint> Probes(int32_t n)
{
    std::mt19937 random(7);
    const TRect e = Extent(n);
    std::vector<TPoint> probes;
    for (int i = 0; i < 4096; ++i) {
        if (i % 2) {
            const TRect r = Place(std::uniform_int_distribution<int32_t>(0, n - 1)(random), n);
            probes.push_back({std::uniform_int_distribution<int32_t>(r.Left, r.Right)(random),
                              std::uniform_int_distribution<int32_t>(r.Top, r.Bottom)(random)});
        } else {
            probes.push_back({std::uniform_int_distribution<int32_t>(e.Left, e.Right)(random),
                              std::uniform_int_distribution<int32_t>(e.Top, e.Bottom)(random)});
        }
    }
    return probes;
}

// Scenes for the look-ups are built once per size and kept.
TKXDiagramBox &SharedBox(int32_t n)
{
    static std::map<int32_t, std::unique_ptr<TKXDiagramBox>> boxes;
    auto &box = boxes[n];
    if (!box) {
        box = BuildBox(n);
        box->ObjectAt({0, 0});  // files the objects
    }
    return *box;
}

QGraphicsScene &SharedScene(int32_t n)
{
    static std::map<int32_t, std::unique_ptr<QGraphicsScene>> scenes;
    auto &scene = scenes[n];
    if (!scene) {
        scene = BuildScene(n);
        scene->itemAt(QPointF(0, 0), QTransform());  // builds the BSP tree
    }
    return *scene;
}

void BM_ObjectAt(benchmark::State &state)
{
    const auto n = static_cast<int32_t>(state.range(0));
    TKXDiagramBox &box = SharedBox(n);
    const std::vector<TPoint> probes = Probes(n);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(box.ObjectAt(probes[i]));
        i = (i + 1) % probes.size();
    }
}

void BM_SceneItemAt(benchmark::State &state)
{
    const auto n = static_cast<int32_t>(state.range(0));
    QGraphicsScene &scene = SharedScene(n);
    const std::vector<TPoint> probes = Probes(n);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(scene.itemAt(QPointF(probes[i].X, probes[i].Y), QTransform()));
        i = (i + 1) % probes.size();
    }
}

void BM_BandSelect(benchmark::State &state)
{
    const auto n = static_cast<int32_t>(state.range(0));
    TKXDiagramBox &box = SharedBox(n);
    for (auto _ : state) {
        box.SelectInRect(Extent(n), true);
        state.PauseTiming();
        if (box.Selection.size() != std::size_t(n))
            state.SkipWithError("not everything selected");
        box.ClearSelection();
        state.ResumeTiming();
    }
}

void BM_SceneBandSelect(benchmark::State &state)
{
    const auto n = static_cast<int32_t>(state.range(0));
    QGraphicsScene &scene = SharedScene(n);
    const TRect e = Extent(n);
    QPainterPath band;
    band.addRect(e.Left, e.Top, e.Right - e.Left, e.Bottom - e.Top);
    for (auto _ : state) {
        scene.setSelectionArea(band, QTransform());
        state.PauseTiming();
        if (scene.selectedItems().size() != n)
            state.SkipWithError("not everything selected");
        scene.clearSelection();
        state.ResumeTiming();
    }
}

void BM_Delete(benchmark::State &state)
{
    const auto n = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto box = BuildBox(n);
        box->SelectInRect(Extent(n), false);
        box->ObjectAt({0, 0});
        state.ResumeTiming();
        box->DeleteSelection();
        benchmark::DoNotOptimize(box->Vertices.Count());
        state.PauseTiming();
        box.reset();
        state.ResumeTiming();
    }
}

void BM_SceneDelete(benchmark::State &state)
{
    const auto n = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto scene = BuildScene(n);
        const TRect e = Extent(n);
        QPainterPath band;
        band.addRect(e.Left, e.Top, e.Right - e.Left, e.Bottom - e.Top);
        scene->setSelectionArea(band, QTransform());
        scene->itemAt(QPointF(0, 0), QTransform());
        const QList<QGraphicsItem *> selected = scene->selectedItems();
        state.ResumeTiming();
        for (QGraphicsItem *item : selected)
            delete item;
        state.PauseTiming();
        scene.reset();
        state.ResumeTiming();
    }
}

void BM_DeleteEveryOther(benchmark::State &state)
{
    const auto n = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto box = BuildBox(n);
        box->ObjectAt({0, 0});
        state.ResumeTiming();
        for (int32_t id = 1; id <= n; id += 2)
            box->DeleteObject(box->Vertices.FindById(id));
        benchmark::DoNotOptimize(box->Vertices.Count());
        state.PauseTiming();
        box.reset();
        state.ResumeTiming();
    }
}

void Sizes(benchmark::internal::Benchmark *b) { b->Arg(1000)->Arg(10000)->Arg(100000); }

// Whole-diagram operations: one round per repetition, since every round builds its diagram
// anew (ask for repetitions on the command line).
void Rounds(benchmark::internal::Benchmark *b)
{
    b->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);
}

BENCHMARK(BM_ObjectAt)->Apply(Sizes);
BENCHMARK(BM_SceneItemAt)->Apply(Sizes);
BENCHMARK(BM_BandSelect)->Apply(Rounds);
BENCHMARK(BM_SceneBandSelect)->Apply(Rounds);
BENCHMARK(BM_Delete)->Apply(Rounds);
BENCHMARK(BM_SceneDelete)->Apply(Rounds);
BENCHMARK(BM_DeleteEveryOther)->Apply(Rounds);

}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
