// Saving and loading diagrams of n vertices and n edges in both file forms. The counter
// "per_object" is the time per stored object (vertices and edges together); loading includes
// the box drawing each object as it is added.
//
// Run offscreen: QT_QPA_PLATFORM=offscreen ./diagram_files_bench

#include "BenchDiagrams.h"
#include "KXGR/core/KXEdge.h"
#include "KXGR/core/KXStream.h"
#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXDiagramBox.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

std::unique_ptr<TKXDiagramBox> NewBox()
{
    auto box = std::make_unique<TKXDiagramBox>();
    box->RegisterObjectClass(TKXCustomVertex::ClassRecord);
    box->RegisterObjectClass(TKXCustomEdge::ClassRecord);
    return box;
}

// n vertices on a grid, each with an edge to the next one (the last to the first), every
// edge with one bend point and, if asked for, a caption.
std::unique_ptr<TKXDiagramBox> BuildDiagram(int32_t n, bool captions)
{
    auto box = NewBox();
    AddChainDiagram(*box, n, 1000, captions);
    box->LastId = 2 * n;
    return box;
}

std::string BenchFile(const char *form, int64_t n)
{
    return (std::filesystem::temp_directory_path()
            / ("kxgr-bench-" + std::to_string(::getpid()) + "-" + form + "-" + std::to_string(n)))
        .string();
}

void SetPerObject(benchmark::State &state)
{
    state.counters["per_object"] = benchmark::Counter(
        2.0 * static_cast<double>(state.range(0)), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void Save(TKXDiagramBox &box, const std::string &name, bool text)
{
    text ? box.SaveToTextFile(name) : box.SaveToFile(name);
}

void BM_Save(benchmark::State &state, bool text, bool captions)
{
    const auto box = BuildDiagram(static_cast<int32_t>(state.range(0)), captions);
    const std::string name = BenchFile(text ? "save-text" : "save-binary", state.range(0));
    for (auto _ : state)
        Save(*box, name, text);
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(name));
    std::filesystem::remove(name);
    SetPerObject(state);
}

void BM_Load(benchmark::State &state, bool text, bool captions)
{
    const std::string name = BenchFile(text ? "load-text" : "load-binary", state.range(0));
    Save(*BuildDiagram(static_cast<int32_t>(state.range(0)), captions), name, text);
    for (auto _ : state) {
        state.PauseTiming();
        auto box = NewBox();
        state.ResumeTiming();
        text ? box->LoadFromTextFile(name, nullptr) : box->LoadFromFile(name, nullptr);
        state.PauseTiming();
        box.reset();
        state.ResumeTiming();
    }
    std::filesystem::remove(name);
    SetPerObject(state);
}

// The records of a binary file read into plain lists, without the box: what the file format
// and the objects' readers cost by themselves.
void BM_ReadRecords(benchmark::State &state)
{
    const std::string name = BenchFile("read-records", state.range(0));
    const auto box = BuildDiagram(static_cast<int32_t>(state.range(0)), false);
    box->SaveToFile(name);
    for (auto _ : state) {
        TKXObjectList vertices;
        TKXObjectList edges;
        {
            TKXFileStream stream(name, fmOpenRead);
            TValueReader reader(stream, 64 * 1024);
            reader.GetString();
            const int64_t count = int64_t(reader.GetInteger()) + reader.GetInteger();
            for (int64_t i = 0; i < count; ++i) {
                const TKXObjectClass *objectClass = box->FindObjectClass(reader.GetString());
                std::unique_ptr<TKXObject> object = objectClass->CreateFromStream(reader, vertices, edges, nullptr);
                (object->Kind == okVertex ? vertices : edges).Add(std::move(object));
            }
        }
        state.PauseTiming();
        edges.Clear();
        vertices.Clear();
        state.ResumeTiming();
    }
    std::filesystem::remove(name);
    SetPerObject(state);
}

void Sizes(benchmark::internal::Benchmark *b)
{
    b->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
}

// Diagrams as the system makes them: edge captions are empty unless a file supplied them.
BENCHMARK_CAPTURE(BM_Save, binary, false, false)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Load, binary, false, false)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Save, text, true, false)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Load, text, true, false)->Apply(Sizes);
// Every edge labelled: the box draws each label as it is added, which measures text.
BENCHMARK_CAPTURE(BM_Load, binary_captions, false, true)->Apply(Sizes);
BENCHMARK(BM_ReadRecords)->Apply(Sizes);

}

// The diagram box is a widget: the benchmarks run inside a QApplication, offscreen unless
// the environment asks for another platform.
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
