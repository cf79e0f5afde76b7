// Loading and painting measured side by side with an anchor in the same program, so each
// ratio holds on a loaded machine. Pairs (ours / anchor):
//   BM_LoadBinary / BM_TagWalk          a diagram of 100 000 vertices and 100 000 edges loaded
//                                       into a box / the same bytes walked tag by tag
//   BM_LoadLibrary / BM_CborFromCbor,   1000 styles of 10 items / QCborValue::fromCbor and
//                    BM_JsonFromJson    QJsonDocument::fromJson of the same content
//   BM_PaintStyled / BM_SceneRender     10 000 styled vertices through the box's paint path /
//                                       QGraphicsScene::render of the same primitives
//   BM_TextIntegers / BM_FromChars      1 000 000 integers of a text file / std::from_chars
//   BM_ScrolledRepaint / BM_VisibleOnlyRepaint
//                                       a 1200 x 800 box scrolled to the middle of 100 000
//                                       vertices on 50 000 x 50 000 units / a box holding only
//                                       the vertices it shows
//
// Run offscreen, median of interleaved rounds:
//   ./box_view_bench --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
//                    --benchmark_report_aggregates_only=true

#include "BenchDiagrams.h"
#include "KXGR/core/KXEdge.h"
#include "KXGR/core/KXStream.h"
#include "KXGR/core/KXStyles.h"
#include "KXGR/core/KXTextFile.h"
#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXDiagramBox.h"
#include "KXGR/widgets/KXQtConvert.h"

#include <QApplication>
#include <QCborArray>
#include <QCborMap>
#include <QCborValue>
#include <QFile>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string BenchFile(const std::string &what)
{
    return (std::filesystem::temp_directory_path() / ("kxgr-view-bench-" + std::to_string(::getpid()) + "-" + what))
        .string();
}

std::vector<char> ReadAll(const std::string &name)
{
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Files are made once per run and removed at exit.
struct TBenchFiles {
    std::vector<std::string> Names;
    ~TBenchFiles()
    {
        for (const std::string &name : Names)
            std::filesystem::remove(name);
    }
    const std::string &Add(std::string name) { return Names.emplace_back(std::move(name)); }
};
TBenchFiles &Files()
{
    static TBenchFiles files;
    return files;
}

std::unique_ptr<TKXDiagramBox> NewBox()
{
    auto box = std::make_unique<TKXDiagramBox>();
    box->resize(1200, 800);
    box->RegisterObjectClass(TKXVertex::ClassRecord);
    box->RegisterObjectClass(TKXCustomEdge::ClassRecord);
    return box;
}

// ---- binary load -------------------------------------------------------------------------

constexpr int32_t LoadVertices = 100000;

const std::string &DiagramFile()
{
    static const std::string name = [] {
        auto box = NewBox();
        AddChainDiagram(*box, LoadVertices, 300, false);
        const std::string file = BenchFile("diagram.kx");
        box->SaveToFile(file);
        return Files().Add(file);
    }();
    return name;
}

void BM_LoadBinary(benchmark::State &state)
{
    const std::string &name = DiagramFile();
    double bytesPerObject = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto box = NewBox();
        box->Paint();
        const std::size_t before = mallinfo2().uordblks;
        state.ResumeTiming();
        box->LoadFromFile(name, nullptr);
        state.PauseTiming();
        bytesPerObject = double(mallinfo2().uordblks - before) / (2.0 * LoadVertices);
        box.reset();
        state.ResumeTiming();
    }
    state.counters["bytes_per_object"] = bytesPerObject;
}

// The anchor: the file read and every value passed over by its tag, nothing built.
void BM_TagWalk(benchmark::State &state)
{
    const std::string &name = DiagramFile();
    for (auto _ : state) {
        const std::vector<char> bytes = ReadAll(name);
        const auto *p = reinterpret_cast<const uint8_t *>(bytes.data());
        const uint8_t *end = p + bytes.size();
        int64_t values = 0;
        while (p < end) {
            const uint8_t tag = *p++;
            switch (tag) {
            case tagInt8: p += 1; break;
            case tagInt16: p += 2; break;
            case tagInt32: p += 4; break;
            case tagString: p += 1 + *p; break;
            case tagLongString: {
                uint32_t length;
                std::memcpy(&length, p, 4);
                p += 4 + length;
                break;
            }
            default: break;
            }
            ++values;
        }
        benchmark::DoNotOptimize(values);
    }
}

// ---- library load ------------------------------------------------------------------------

constexpr int StyleCount = 1000;

std::unique_ptr<TKXVertexStyle> BenchStyle(int index)
{
    auto style = std::make_unique<TKXVertexStyle>();
    style->Name = "Style " + std::to_string(index);
    for (int i = 0; i < 7; ++i) {
        auto item = std::make_unique<TKXDrawItem>();
        item->Name = "Item " + std::to_string(i);
        std::tie(item->X1, item->Y1, item->X2, item->Y2) = std::tuple(i * 3, i * 2, 40 + i * 3, 20 + i * 2);
        item->Shape = static_cast<TKXItemShape>(i % 4);
        item->PenColor = 0x102030 * i;
        item->BrushColor = 0xFFFFFF - i;
        style->DrawItems.push_back(std::move(item));
    }
    for (int i = 0; i < 3; ++i) {
        auto item = std::make_unique<TKXTextItem>();
        item->Name = "Text " + std::to_string(i);
        item->Text = "Text of item " + std::to_string(i);
        std::tie(item->X1, item->Y1, item->X2, item->Y2) = std::tuple(5, 5 + 15 * i, 95, 18 + 15 * i);
        item->FontName = "Arial";
        item->FontSize = 8 + i;
        style->TextItems.push_back(std::move(item));
    }
    return style;
}

const std::string &LibraryFile()
{
    static const std::string name = [] {
        TKXUOLibrary library;
        for (int i = 0; i < StyleCount; ++i)
            library.AddStyle(BenchStyle(i));
        const std::string file = BenchFile("library.uol");
        library.SaveToFile(file);
        return Files().Add(file);
    }();
    return name;
}

// The same styles as a CBOR or JSON document: a list of maps with the same fields.
QCborArray LibraryAsCbor()
{
    QCborArray styles;
    for (int s = 0; s < StyleCount; ++s) {
        const auto style = BenchStyle(s);
        QCborArray draws;
        for (const auto &i : style->DrawItems)
            draws.append(QCborMap{{"Name", FromCp1252(i->Name)}, {"X1", i->X1}, {"Y1", i->Y1}, {"X2", i->X2},
                                  {"Y2", i->Y2}, {"Shape", i->Shape}, {"Growth", i->Growth},
                                  {"PenColor", i->PenColor}, {"PenStyle", i->PenStyle}, {"PenWidth", i->PenWidth},
                                  {"BrushColor", i->BrushColor}, {"BrushStyle", i->BrushStyle}});
        QCborArray texts;
        for (const auto &i : style->TextItems)
            texts.append(QCborMap{{"Name", FromCp1252(i->Name)}, {"Text", FromCp1252(i->Text)}, {"X1", i->X1},
                                  {"Y1", i->Y1}, {"X2", i->X2}, {"Y2", i->Y2}, {"Growth", i->Growth},
                                  {"FontName", FromCp1252(i->FontName)}, {"FontSize", i->FontSize},
                                  {"FontColor", i->FontColor}, {"FontStyle", i->FontStyle},
                                  {"Alignment", i->Alignment}, {"BackColor", i->BackColor},
                                  {"BackStyle", i->BackStyle}});
        styles.append(QCborMap{{"Name", FromCp1252(style->Name)}, {"DrawItems", draws}, {"TextItems", texts}});
    }
    return styles;
}

const std::string &CborFile()
{
    static const std::string name = [] {
        const std::string file = BenchFile("library.cbor");
        QFile out(QString::fromStdString(file));
        out.open(QIODevice::WriteOnly);
        out.write(LibraryAsCbor().toCborValue().toCbor());
        return Files().Add(file);
    }();
    return name;
}

const std::string &JsonFile()
{
    static const std::string name = [] {
        const std::string file = BenchFile("library.json");
        QFile out(QString::fromStdString(file));
        out.open(QIODevice::WriteOnly);
        out.write(QJsonDocument(LibraryAsCbor().toJsonArray()).toJson(QJsonDocument::Compact));
        return Files().Add(file);
    }();
    return name;
}

QByteArray ReadQt(const std::string &name)
{
    QFile in(QString::fromStdString(name));
    in.open(QIODevice::ReadOnly);
    return in.readAll();
}

void BM_LoadLibrary(benchmark::State &state)
{
    const std::string &name = LibraryFile();
    TKXUOLibrary library;
    for (auto _ : state)
        library.LoadFromFile(name);
    state.counters["bytes"] = double(std::filesystem::file_size(name));
}

void BM_CborFromCbor(benchmark::State &state)
{
    const std::string &name = CborFile();
    for (auto _ : state)
        benchmark::DoNotOptimize(QCborValue::fromCbor(ReadQt(name)));
    state.counters["bytes"] = double(std::filesystem::file_size(name));
}

void BM_JsonFromJson(benchmark::State &state)
{
    const std::string &name = JsonFile();
    for (auto _ : state)
        benchmark::DoNotOptimize(QJsonDocument::fromJson(ReadQt(name)));
    state.counters["bytes"] = double(std::filesystem::file_size(name));
}

// ---- painting ----------------------------------------------------------------------------

// 10 000 styled vertices in 100 rows at scale 25: each a frame, a filled ellipse, a rounded
// box, a line and a text item, 30 x 15 pixels apart on a 3000 x 1500 picture.
constexpr int PaintColumns = 100;
constexpr int PaintRows = 100;
constexpr int PaintScale = 25;
const QSize PaintSize(3000, 1500);

std::unique_ptr<TKXVertexStyle> PaintStyle()
{
    auto style = std::make_unique<TKXVertexStyle>();
    style->Name = "Paint";
    const auto add = [&](TKXItemShape shape, TRect r, TColor brush) {
        auto item = std::make_unique<TKXDrawItem>();
        std::tie(item->X1, item->Y1, item->X2, item->Y2) = std::tuple(r.Left, r.Top, r.Right, r.Bottom);
        std::tie(item->Shape, item->BrushColor) = std::tuple(shape, brush);
        style->DrawItems.push_back(std::move(item));
    };
    add(isRectangle, {0, 0, 100, 50}, clWhite);
    add(isEllipse, {8, 8, 48, 40}, 0x00C0FF);
    add(isRoundRect, {52, 8, 92, 40}, 0x80FF80);
    add(isLine, {0, 50, 100, 0}, clWhite);
    auto text = std::make_unique<TKXTextItem>();
    std::tie(text->Name, text->Text, text->X1, text->Y1, text->X2, text->Y2) = std::tuple("T", "Vertex", 4, 4, 96, 46);
    std::tie(text->FontName, text->FontSize, text->BackStyle) = std::tuple("Arial", 24, bsClear);
    style->TextItems.push_back(std::move(text));
    return style;
}

TKXUOLibrary &PaintLibrary()
{
    static TKXUOLibrary &library = [] () -> TKXUOLibrary & {
        static TKXUOLibrary l;
        l.AddStyle(PaintStyle());
        return l;
    }();
    return library;
}

TPoint PaintTopLeft(int i) { return {(i % PaintColumns) * 120, (i / PaintColumns) * 60}; }

void BM_PaintStyled(benchmark::State &state)
{
    TKXDiagramBox box;
    box.resize(PaintSize);
    box.SetColor(clWhite);
    box.SetScale(PaintScale);
    for (int i = 0; i < PaintColumns * PaintRows; ++i) {
        auto vertex = TKXVertex::CreateWithStyle({50, 25}, &PaintLibrary(), "Paint");
        vertex->MoveBy(PaintTopLeft(i));
        box.AddObject(vertex.release(), moLoaded);
    }
    box.Paint();
    for (auto _ : state)
        box.Paint();
}

// The anchor: the same shapes at the same pixels as scene items, rendered into an image of the
// same size without antialiasing.
void BM_SceneRender(benchmark::State &state)
{
    QGraphicsScene scene;
    scene.setSceneRect(0, 0, PaintSize.width(), PaintSize.height());
    scene.setBackgroundBrush(Qt::white);
    const QPen pen(Qt::black, 0);
    QFont font("Arial");
    font.setPixelSize(8);
    for (int i = 0; i < PaintColumns * PaintRows; ++i) {
        const TPoint p = PaintTopLeft(i);
        const qreal x = p.X * PaintScale / 100.0, y = p.Y * PaintScale / 100.0, f = PaintScale / 100.0;
        scene.addRect(x, y, 100 * f - 1, 50 * f - 1, pen, Qt::white);
        scene.addEllipse(x + 8 * f, y + 8 * f, 40 * f - 1, 32 * f - 1, pen, QColor(0xFF, 0xC0, 0x00));
        auto *rounded = new QGraphicsPathItem;
        QPainterPath path;
        path.addRoundedRect(x + 52 * f, y + 8 * f, 40 * f - 1, 32 * f - 1, 13 * f / 2, 13 * f / 2);
        rounded->setPath(path);
        rounded->setPen(pen);
        rounded->setBrush(QColor(0x80, 0xFF, 0x80));
        scene.addItem(rounded);
        scene.addLine(x, y + 50 * f, x + 100 * f, y, pen);
        auto *text = scene.addSimpleText("Vertex", font);
        text->setPos(x + 6 * f, y + 5 * f);
    }
    QImage image(PaintSize, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        scene.render(&painter, QRectF(QPointF(0, 0), PaintSize), scene.sceneRect());
    }
}

// ---- text integers -----------------------------------------------------------------------

constexpr int IntegerCount = 1000000;

const std::string &IntegerFile()
{
    static const std::string name = [] {
        const std::string file = BenchFile("integers.txt");
        TKXTextFile out;
        out.Create(file);
        std::mt19937 random(7);
        std::uniform_int_distribution<int32_t> value(-100000, 100000);
        for (int i = 0; i < IntegerCount; i += 4)
            out.WriteIntegers({value(random), value(random), value(random), value(random)});
        out.Close();
        return Files().Add(file);
    }();
    return name;
}

void BM_TextIntegers(benchmark::State &state)
{
    const std::string &name = IntegerFile();
    for (auto _ : state) {
        TKXTextFile in;
        in.Open(name);
        int64_t sum = 0;
        for (int i = 0; i < IntegerCount; ++i)
            sum += in.ReadInteger();
        benchmark::DoNotOptimize(sum);
    }
}

// The anchor: the file read whole, blanks passed over and each number taken by from_chars.
void BM_FromChars(benchmark::State &state)
{
    const std::string &name = IntegerFile();
    for (auto _ : state) {
        const std::vector<char> bytes = ReadAll(name);
        const char *p = bytes.data();
        const char *end = p + bytes.size();
        int64_t sum = 0;
        for (int i = 0; i < IntegerCount; ++i) {
            while (p < end && static_cast<unsigned char>(*p) <= 32)
                ++p;
            int32_t value = 0;
            p = std::from_chars(p, end, value).ptr;
            sum += value;
        }
        benchmark::DoNotOptimize(sum);
    }
}

// ---- a view onto a large diagram ---------------------------------------------------------

constexpr int32_t ViewVertices = 100000;
constexpr int32_t ViewSpan = 50000;
const TPoint ViewMiddle{ViewSpan / 2 - 600, ViewSpan / 2 - 400};

std::vector<TPoint> ViewCentres()
{
    std::mt19937 random(11);
    std::uniform_int_distribution<int32_t> coordinate(50, ViewSpan - 50);
    std::vector<TPoint> centres(ViewVertices);
    for (TPoint &c : centres)
        c = {coordinate(random), coordinate(random)};
    return centres;
}

void Repaint(benchmark::State &state, bool visibleOnly)
{
    TKXDiagramBox box;
    box.resize(1200, 800);
    box.SetViewOrigin(ViewMiddle);
    const TRect view{ViewMiddle.X - 60, ViewMiddle.Y - 35, ViewMiddle.X + 1260, ViewMiddle.Y + 835};
    int32_t shown = 0;
    for (const TPoint c : ViewCentres()) {
        if (visibleOnly && !PointInRect(c, view))
            continue;
        box.AddObject(TKXVertex::CreateWithStyle(c, &PaintLibrary(), "Paint").release(), moLoaded);
        shown += PointInRect(c, view);
    }
    box.Paint();
    // A scroll by a pixel and back, each shown: the window composes anew at every step.
    bool moved = false;
    for (auto _ : state) {
        moved = !moved;
        box.SetViewOrigin({ViewMiddle.X + moved, ViewMiddle.Y});
        benchmark::DoNotOptimize(box.grab());
    }
    state.counters["objects"] = double(box.Vertices.Count());
    state.counters["shown"] = shown;
    state.counters["image_bytes"] = double(box.Buffer().sizeInBytes() + box.WindowImage().sizeInBytes());
}

void BM_ScrolledRepaint(benchmark::State &state) { Repaint(state, false); }
void BM_VisibleOnlyRepaint(benchmark::State &state) { Repaint(state, true); }

BENCHMARK(BM_LoadBinary)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TagWalk)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadLibrary)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CborFromCbor)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JsonFromJson)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PaintStyled)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SceneRender)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TextIntegers)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FromChars)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScrolledRepaint)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_VisibleOnlyRepaint)->Unit(benchmark::kMillisecond)->UseRealTime();

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
