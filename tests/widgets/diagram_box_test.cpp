#include "KXGR/widgets/KXDiagramBox.h"

#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXPrinterInfo.h"
#include "core/TestFiles.h"
#include "support/KXRecordingCanvas.h"

#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using TObjects = std::vector<TKXObject *>;
using TLines = std::pair<std::vector<int32_t>, std::vector<int32_t>>;

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
    bool MouseUp(QObject *, TMouseButton, TShiftState s, const TPoint &p) override { return Note(p, s); }
    bool Note(TPoint p, TShiftState s)
    {
        Seen.push_back({p, s});
        return false;
    }
};

// The y of horizontal and the x of vertical full-size lines drawn on the canvas.
TLines LinesOf(const TKXRecordingCanvas &canvas, int32_t w, int32_t h)
{
    TLines lines;
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

class DiagramBoxTest : public ::testing::Test {
protected:
    TKXDiagramBox Box;
    void SetUp() override { Box.resize(265, 185); }
    TKXObject *Add(TPoint centre, TKXMode mode = moLoaded) { return Box.AddObject(new TKXCustomVertex(centre), mode); }
};

TEST_F(DiagramBoxTest, DefaultsAndRefusedScales)
{
    const std::pair<const char *, QVariant> defaults[] = {
        {"Scale", 100},      {"PrintScale", 100},        {"GridStep", 50},        {"ShowGrid", false},
        {"GridColor", int(clBlack)}, {"GridStyle", int(psSolid)}, {"ShowPrinterPage", false},
        {"ImmediateRedraw", false},  {"Color", int(clBtnFace)}};
    for (const auto &[name, value] : defaults)
        EXPECT_EQ(Box.property(name), value) << name;
    EXPECT_EQ(Box.Vertices.Count() + Box.Edges.Count() + Box.Selection.size() + Box.LastId, 0u);
    EXPECT_EQ(Box.ObjectClasses, std::vector<const TKXObjectClass *>{&TKXObject::ClassRecord});

    // Scale, GridStep and PrintScale refuse 0 or less and keep their value.
    for (const char *name : {"Scale", "GridStep", "PrintScale"})
        for (const int value : {0, -1}) {
            SCOPED_TRACE(std::string(name) + " = " + std::to_string(value));
            const QVariant before = Box.property(name);
            ExpectError<EPropertyError>([&] { Box.setProperty(name, value); }, "Ungültiger Wert der Eigenschaft");
            EXPECT_EQ(Box.property(name), before);
        }
}

TEST_F(DiagramBoxTest, GridLinesAtTheScaledSteps)
{
    const std::pair<int32_t, TLines> rows[] = {{100, {{50, 100, 150, 200}, {50, 100, 150, 200, 250}}},
                                               {75, {{38, 75, 112, 150, 188}, {38, 75, 112, 150, 188, 225, 262}}}};
    for (const auto &[scale, lines] : rows) {
        SCOPED_TRACE(scale);
        Box.SetScale(scale);
        TKXRecordingCanvas canvas;
        Box.DrawGrid(canvas);
        EXPECT_EQ(LinesOf(canvas, 265, 185), lines);
    }
    // Painted into the buffer and copied to the window in the grid colour.
    Box.SetColor(clWhite);
    Box.SetGridColor(0x0000FF);
    Box.SetShowGrid(true);
    Box.Paint();
    EXPECT_EQ(Box.Buffer().pixel(10, 38), qRgb(255, 0, 0));  // at scale 75
    EXPECT_EQ(Box.Buffer().pixel(37, 37), qRgb(255, 255, 255));
    EXPECT_EQ(Box.WindowImage(), Box.Buffer());
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
    EXPECT_EQ(LinesOf(canvas, 2100, 1500), TLines({1407, 2814}, {1023, 2046, 3069}));

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
    EXPECT_TRUE(Box.setProperty("Actor", QVariant::fromValue<TKXActor *>(&actor)));  // as a form sets it
    EXPECT_EQ(actor.Box(), &Box);
    Box.SetScale(200);
    QTest::mousePress(&Box, Qt::LeftButton, Qt::ShiftModifier, QPoint(101, 51));
    QTest::mouseRelease(&Box, Qt::LeftButton, Qt::NoModifier, QPoint(101, 51));
    using TSeen = std::vector<std::pair<TPoint, TShiftState>>;
    EXPECT_EQ(actor.Seen, (TSeen{{{50, 26}, TShiftState(ssShift | ssLeft)}, {{50, 26}, 0}}));

    Box.SetBorderStyle(bsSingle);
    const QPoint origin = Box.contentsRect().topLeft();
    ASSERT_GT(origin.x(), 0);
    QTest::mouseClick(&Box, Qt::LeftButton, Qt::NoModifier, origin + QPoint(101, 51));
    EXPECT_EQ(actor.Seen[2].first, (TPoint{50, 26}));
}

TEST_F(DiagramBoxTest, NewObjectsAreNumberedAndSelectedLoadedOnesNot)
{
    TKXObject *a = Add({50, 50}, moNew), *b = Add({150, 50}, moNew);
    EXPECT_EQ(std::make_pair(int32_t(a->Id), int32_t(b->Id)), std::make_pair(1, 2));
    EXPECT_FALSE(a->Selected);
    EXPECT_EQ(Box.Selection, TObjects{b});

    TKXObject *loaded = Add({100, 120});
    EXPECT_EQ(loaded->Id, 0);
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
    Add({100, 60}, moNew);
    EXPECT_EQ(Box.WindowImage().pixel(50, 35), qRgb(0, 0, 0));   // the new frame's corner
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
}

TEST_F(DiagramBoxTest, ObjectAtPrefersEdgesThenLaterVerticesAndSelectInRectTakesVertices)
{
    TKXObject *lower = Add({100, 100}), *upper = Add({120, 100});
    EXPECT_EQ(Box.ObjectAt({110, 100}), upper);
    EXPECT_EQ(Box.ObjectAt({60, 100}), lower);
    TKXObject *edge = Box.AddObject(new TShape({110, 140}, okEdge), moLoaded);
    EXPECT_EQ(Box.ObjectAt({110, 120}), edge);
    EXPECT_EQ(Box.ObjectAt({110, 100}), upper);
    EXPECT_EQ(Box.ObjectAt({240, 10}), nullptr);

    TKXObject *outside = Add({300, 100});
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
    ExpectError<EKXDiagramError>([&] { box.RegisterObjectClass(impostor); }, "Class already registered: TLeaf");
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
