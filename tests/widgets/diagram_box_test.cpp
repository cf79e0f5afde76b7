#include "KXGR/widgets/KXDiagramBox.h"

#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXPrinterInfo.h"
#include "support/KXRecordingCanvas.h"

#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using TObjects = std::vector<TKXObject *>;

// A vertex-shaped object of any kind that notes its destruction: with okEdge it stands in
// for an edge whose hit test and InRect answer like a vertex's.
class TShape : public TKXCustomVertex {
public:
    TShape(TPoint centre, TKXObjectKind kind, std::vector<std::string> *log = nullptr, std::string name = {})
        : TKXCustomVertex(centre), Log(log), Name(std::move(name))
    {
        Kind = kind;
    }
    ~TShape() override { Log ? Log->push_back(Name) : void(); }
    std::vector<std::string> *Log;
    std::string Name;
};

// Notes the diagram points and shift states the box hands over.
class TRecordingActor : public TKXActor {
public:
    std::vector<std::pair<TPoint, TShiftState>> Seen;
    bool MouseDown(QObject *, TMouseButton, TShiftState s, const TPoint &p) override { return Note(p, s); }
    bool MouseMove(QObject *, TShiftState s, const TPoint &p) override { return Note(p, s); }
    bool MouseUp(QObject *, TMouseButton, TShiftState s, const TPoint &p) override { return Note(p, s); }
    bool Note(TPoint p, TShiftState s)
    {
        Seen.push_back({p, s});
        return false;
    }
};

// The y of horizontal and the x of vertical full-size lines drawn on the canvas.
std::pair<std::vector<int32_t>, std::vector<int32_t>> LinesOf(const TKXRecordingCanvas &canvas, int32_t w, int32_t h)
{
    std::pair<std::vector<int32_t>, std::vector<int32_t>> lines;
    for (const TKXCanvasCall &call : canvas.CallsOf("LineTo")) {
        if (call.PenPos.X == 0 && call.Args[0] == w && call.Args[1] == call.PenPos.Y)
            lines.first.push_back(call.PenPos.Y);
        else if (call.PenPos.Y == 0 && call.Args[1] == h && call.Args[0] == call.PenPos.X)
            lines.second.push_back(call.PenPos.X);
        else
            ADD_FAILURE() << "unexpected line " << call;
    }
    return lines;
}

TKXCustomVertex *NewVertex(TPoint centre) { return new TKXCustomVertex(centre); }

class DiagramBoxTest : public ::testing::Test {
protected:
    TKXDiagramBox Box;
    void SetUp() override { Box.resize(265, 185); }
};

TEST_F(DiagramBoxTest, DefaultsAndPropertiesByName)
{
    const std::pair<const char *, QVariant> defaults[] = {
        {"Scale", 100},      {"PrintScale", 100},        {"GridStep", 50},        {"ShowGrid", false},
        {"GridColor", int(clBlack)}, {"GridStyle", int(psSolid)}, {"ShowPrinterPage", false},
        {"ImmediateRedraw", false},  {"Color", int(clBtnFace)}};
    for (const auto &[name, value] : defaults)
        EXPECT_EQ(Box.property(name), value) << name;
    EXPECT_EQ(Box.Actor(), nullptr);
    EXPECT_EQ(Box.Vertices.Count() + Box.Edges.Count() + Box.Selection.size() + Box.LastId, 0u);
    EXPECT_EQ(Box.ObjectClasses, std::vector<const TKXObjectClass *>{&TKXObject::ClassRecord});

    // A form sets them by name; the actor and the box learn of each other.
    EXPECT_TRUE(Box.setProperty("Scale", 75));
    EXPECT_EQ(Box.Scale(), 75);
    TKXActor actor;
    EXPECT_TRUE(Box.setProperty("Actor", QVariant::fromValue(&actor)));
    EXPECT_EQ(Box.Actor(), &actor);
    EXPECT_EQ(actor.Box(), &Box);
}

TEST_F(DiagramBoxTest, ScaleGridStepAndPrintScaleRefuseZeroOrLess)
{
    for (const char *name : {"Scale", "GridStep", "PrintScale"})
        for (const int value : {0, -1}) {
            SCOPED_TRACE(std::string(name) + " = " + std::to_string(value));
            const QVariant before = Box.property(name);
            try {
                Box.setProperty(name, value);
                ADD_FAILURE() << "no error";
            } catch (const EPropertyError &e) {
                EXPECT_STREQ(e.what(), "Ungültiger Wert der Eigenschaft");
            }
            EXPECT_EQ(Box.property(name), before);
        }
}

TEST_F(DiagramBoxTest, GridLinesAtTheScaledSteps)
{
    struct Row {
        int32_t Scale;
        std::vector<int32_t> Horizontal, Vertical;
    };
    for (const Row &row : {Row{100, {50, 100, 150, 200}, {50, 100, 150, 200, 250}},
                           Row{75, {38, 75, 112, 150, 188}, {38, 75, 112, 150, 188, 225, 262}}}) {
        SCOPED_TRACE(row.Scale);
        Box.SetScale(row.Scale);
        TKXRecordingCanvas canvas;
        Box.DrawGrid(canvas);
        EXPECT_EQ(LinesOf(canvas, 265, 185), std::make_pair(row.Horizontal, row.Vertical));
    }
    // Painted into the buffer and copied to the window in the grid colour.
    Box.SetScale(100);
    Box.SetColor(clWhite);
    Box.SetGridColor(0x0000FF);
    Box.SetShowGrid(true);
    Box.Paint();
    const QImage &image = Box.Buffer();
    EXPECT_EQ(image.pixel(10, 50), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(50, 10), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(49, 49), qRgb(255, 255, 255));
    EXPECT_EQ(Box.WindowImage(), image);
}

TEST(DiagramBoxPrinter, PageLinesFromThePrinterFactor)
{
    TKXFixedPrinterInfo printer{{4800, 6600, 1024}};
    SetPrinterInfo(&printer);
    TKXDiagramBox box;
    box.resize(2100, 1500);
    EXPECT_EQ(box.PrinterFactor(), 469);
    TKXRecordingCanvas canvas;
    box.DrawPrinterPage(canvas);
    EXPECT_EQ(LinesOf(canvas, 2100, 1500),
              std::make_pair(std::vector<int32_t>{1407, 2814}, std::vector<int32_t>{1023, 2046, 3069}));
    // At half size the count is unscaled and every position scaled.
    box.SetScale(50);
    canvas.Calls.clear();
    box.DrawPrinterPage(canvas);
    EXPECT_EQ(LinesOf(canvas, 2100, 1500),
              std::make_pair(std::vector<int32_t>{704, 1407, 2110, 2814},
                             std::vector<int32_t>{512, 1023, 1534, 2046, 2558, 3069}));

    TKXFixedPrinterInfo tiny{{1, 1, 1024}};  // no usable factor: no lines
    SetPrinterInfo(&tiny);
    canvas.Calls.clear();
    box.DrawPrinterPage(canvas);
    EXPECT_TRUE(canvas.Calls.empty());
    SetPrinterInfo(nullptr);

    // Without a printer Qt still answers a page.
    const TKXPrinterMetrics metrics = TKXQtPrinterInfo().Metrics();
    EXPECT_GT(std::min({metrics.PageWidth, metrics.PageHeight, metrics.ScreenWidth}), 0);
}

TEST_F(DiagramBoxTest, MouseReachesTheActorInDiagramUnitsInsideTheBorder)
{
    TRecordingActor actor;
    Box.SetActor(&actor);
    Box.SetScale(200);
    QTest::mousePress(&Box, Qt::LeftButton, Qt::ShiftModifier, QPoint(101, 51));
    QTest::mouseRelease(&Box, Qt::LeftButton, Qt::NoModifier, QPoint(101, 51));
    using TSeen = std::vector<std::pair<TPoint, TShiftState>>;
    EXPECT_EQ(actor.Seen, (TSeen{{{50, 26}, TShiftState(ssShift | ssLeft)}, {{50, 26}, 0}}));

    Box.SetBorderStyle(bsSingle);
    const QPoint origin = Box.contentsRect().topLeft();
    ASSERT_GT(origin.x(), 0);
    Box.Paint();
    EXPECT_EQ(Box.Buffer().size(), Box.contentsRect().size());
    QTest::mouseClick(&Box, Qt::LeftButton, Qt::NoModifier, origin + QPoint(101, 51));
    EXPECT_EQ(actor.Seen[2].first, (TPoint{50, 26}));
    const QPoint screen = Box.mapToGlobal(origin + QPoint(101, 51));
    EXPECT_EQ(Box.ClientToScreen({101, 51}), (TPoint{screen.x(), screen.y()}));
}

TEST_F(DiagramBoxTest, NewObjectsAreNumberedAndSelectedLoadedOnesNot)
{
    TKXObject *a = Box.AddObject(NewVertex({50, 50}), moNew);
    TKXObject *b = Box.AddObject(NewVertex({150, 50}), moNew);
    EXPECT_EQ(std::make_pair(a->Id, b->Id), std::make_pair(1, 2));
    EXPECT_FALSE(a->Selected);
    EXPECT_EQ(Box.Selection, TObjects{b});

    TKXCustomVertex *loaded = NewVertex({100, 120});
    loaded->Id = 40;
    EXPECT_EQ(Box.AddObject(loaded, moLoaded), loaded);
    EXPECT_EQ(loaded->Id, 40);
    EXPECT_FALSE(loaded->Selected);
    EXPECT_EQ(Box.Selection, TObjects{b});
    EXPECT_EQ(Box.LastId, 2);
    EXPECT_EQ(Box.Vertices.Count(), 3u);

    Box.SelectObject(a, true);
    Box.SelectObject(a, true);
    EXPECT_EQ(Box.Selection, (TObjects{b, a}));
    Box.ClearSelection();
    EXPECT_FALSE(a->Selected);
    EXPECT_TRUE(Box.Selection.empty());
}

TEST_F(DiagramBoxTest, AddObjectDrawsOnTheWindowUnlessTheHandlerRefuses)
{
    Box.SetColor(clWhite);
    Box.Paint();
    Box.AddObject(NewVertex({100, 60}), moNew);
    EXPECT_EQ(Box.WindowImage().pixel(50, 35), qRgb(0, 0, 0));         // the new frame's corner
    EXPECT_EQ(Box.Buffer().pixel(50, 35), qRgb(255, 255, 255));  // the buffer waits for a paint
    const QImage before = Box.WindowImage().copy();

    Box.OnAddObject = [](TKXObject *&, TKXMode) { return false; };
    auto refused = std::make_unique<TKXCustomVertex>(TPoint{150, 100});
    EXPECT_EQ(Box.AddObject(refused.get(), moNew), nullptr);
    EXPECT_EQ(Box.Vertices.Count(), 1u);
    EXPECT_EQ(Box.LastId, 1);
    EXPECT_EQ(Box.Selection, TObjects{Box.Vertices[0]});
    EXPECT_FALSE(refused->Selected);
    EXPECT_EQ(Box.WindowImage(), before);

    // The handler may hand in another object instead.
    TKXCustomVertex *replacement = NewVertex({100, 100});
    Box.OnAddObject = [&](TKXObject *&obj, TKXMode) {
        obj = replacement;
        return true;
    };
    EXPECT_EQ(Box.AddObject(refused.get(), moNew), replacement);
    EXPECT_EQ(Box.Vertices[1], replacement);
    EXPECT_EQ(replacement->Id, 2);
}

TEST_F(DiagramBoxTest, ObjectAtPrefersEdgesThenLaterVerticesAndSelectInRectTakesVertices)
{
    TKXObject *lower = Box.AddObject(NewVertex({100, 100}), moLoaded);
    TKXObject *upper = Box.AddObject(NewVertex({120, 100}), moLoaded);
    EXPECT_EQ(Box.ObjectAt({110, 100}), upper);
    EXPECT_EQ(Box.ObjectAt({60, 100}), lower);
    TKXObject *edge = Box.AddObject(new TShape({110, 140}, okEdge), moLoaded);
    EXPECT_EQ(Box.ObjectAt({110, 120}), edge);
    EXPECT_EQ(Box.ObjectAt({110, 100}), upper);
    EXPECT_EQ(Box.ObjectAt({240, 10}), nullptr);

    TKXObject *outside = Box.AddObject(NewVertex({300, 100}), moLoaded);
    Box.SelectObject(outside, false);
    Box.SelectInRect({0, 0, 200, 200}, false);
    EXPECT_EQ(Box.Selection, (TObjects{lower, upper}));
    Box.SelectObject(outside, true);
    Box.SelectInRect({0, 0, 200, 200}, true);
    EXPECT_EQ(Box.Selection, (TObjects{lower, upper, outside}));
    EXPECT_FALSE(edge->Selected);
}

TEST(DiagramBoxRegistry, RegistersAncestorsOnceByExactName)
{
    static const TKXObjectClass base{"TBase", &TKXObject::ClassRecord, nullptr, nullptr};
    static const TKXObjectClass leaf{"TLeaf", &base, nullptr, nullptr};
    static const TKXObjectClass impostor{"TLeaf", &TKXObject::ClassRecord, nullptr, nullptr};
    TKXDiagramBox box;
    box.RegisterObjectClass(leaf);
    box.RegisterObjectClass(leaf);
    const std::vector<const TKXObjectClass *> expected{&TKXObject::ClassRecord, &leaf, &base};
    EXPECT_EQ(box.ObjectClasses, expected);
    EXPECT_EQ(box.FindObjectClass("TLeaf"), &leaf);
    EXPECT_EQ(box.FindObjectClass("tleaf"), nullptr);
    try {
        box.RegisterObjectClass(impostor);
        ADD_FAILURE() << "no error";
    } catch (const EKXDiagramError &e) {
        EXPECT_STREQ(e.what(), "Class already registered: TLeaf");
    }
    EXPECT_EQ(box.ObjectClasses, expected);
}

TEST(DiagramBoxLifetime, EdgesGoBeforeVerticesAndBoxAndActorForgetEachOther)
{
    std::vector<std::string> log;
    {
        TKXDiagramBox box;
        for (const char *name : {"v1", "e1", "v2", "e2"})
            box.AddObject(new TShape({50, 50}, name[0] == 'e' ? okEdge : okVertex, &log, name), moNew);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"e1", "e2", "v1", "v2"}));

    auto box = std::make_unique<TKXDiagramBox>();
    auto actor = std::make_unique<TKXEditActor>();
    box->SetActor(actor.get());
    actor.reset();
    EXPECT_EQ(box->Actor(), nullptr);
    QTest::mouseClick(box.get(), Qt::LeftButton);  // reaches no actor
    actor = std::make_unique<TKXEditActor>();
    box->SetActor(actor.get());
    box.reset();
    EXPECT_EQ(actor->Box(), nullptr);
}

} // namespace
