#include "KXGR/widgets/KXDiagramBox.h"

#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXStyles.h"
#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXPrinterInfo.h"
#include "support/KXRecordingCanvas.h"
#include "widgets/box_test_objects.h"

#include <QDir>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Records the diagram points the box hands over.
class TRecordingActor : public TKXActor {
public:
    std::vector<std::string> Events;
    std::vector<TPoint> Points;
    bool MouseDown(QObject *, TMouseButton button, TShiftState shift, const TPoint &p) override
    {
        return Note("down", button, shift, p);
    }
    bool MouseMove(QObject *, TShiftState shift, const TPoint &p) override { return Note("move", 0, shift, p); }
    bool MouseUp(QObject *, TMouseButton button, TShiftState shift, const TPoint &p) override
    {
        return Note("up", button, shift, p);
    }

private:
    bool Note(const char *what, int button, TShiftState shift, TPoint p)
    {
        Events.push_back(std::string(what) + " " + std::to_string(button) + " " + std::to_string(shift));
        Points.push_back(p);
        return false;
    }
};

// The horizontal (y) and vertical (x) line positions of MoveTo/LineTo pairs.
struct TLines {
    std::vector<int32_t> Horizontal, Vertical;
};

TLines LinesOf(const TKXRecordingCanvas &canvas, int32_t width, int32_t height)
{
    TLines lines;
    for (const TKXCanvasCall &call : canvas.CallsOf("LineTo")) {
        if (call.PenPos.X == 0 && call.Args[0] == width && call.Args[1] == call.PenPos.Y)
            lines.Horizontal.push_back(call.PenPos.Y);
        else if (call.PenPos.Y == 0 && call.Args[1] == height && call.Args[0] == call.PenPos.X)
            lines.Vertical.push_back(call.PenPos.X);
        else
            ADD_FAILURE() << "unexpected line " << call;
    }
    return lines;
}

TKXCustomVertex *NewVertex(TPoint center) { return new TKXCustomVertex(center); }

class DiagramBoxTest : public ::testing::Test {
protected:
    TKXDiagramBox Box;
    void SetUp() override { Box.resize(265, 185); }
};

} // namespace

TEST_F(DiagramBoxTest, NewBoxDefaults)
{
    EXPECT_EQ(Box.Scale(), 100);
    EXPECT_EQ(Box.PrintScale(), 100);
    EXPECT_EQ(Box.GridStep(), 50);
    EXPECT_FALSE(Box.ShowGrid());
    EXPECT_EQ(Box.GridColor(), clBlack);
    EXPECT_EQ(Box.GridStyle(), psSolid);
    EXPECT_FALSE(Box.ShowPrinterPage());
    EXPECT_FALSE(Box.ImmediateRedraw());
    EXPECT_EQ(Box.Actor(), nullptr);
    EXPECT_EQ(Box.Color(), clBtnFace);
    EXPECT_EQ(Box.Vertices.Count() + Box.Edges.Count() + Box.Selection.size(), 0u);
    EXPECT_EQ(Box.LastId, 0);
    ASSERT_EQ(Box.ObjectClasses.size(), 1u);
    EXPECT_EQ(Box.ObjectClasses[0], &TKXObject::ClassRecord);
}

TEST_F(DiagramBoxTest, PropertiesAreReachableThroughThePropertySystem)
{
    // A form sets the box's properties by name.
    EXPECT_TRUE(Box.setProperty("Scale", 75));
    EXPECT_TRUE(Box.setProperty("ShowGrid", true));
    EXPECT_TRUE(Box.setProperty("GridColor", static_cast<int>(clNavy)));
    EXPECT_TRUE(Box.setProperty("Color", static_cast<int>(clWhite)));
    EXPECT_TRUE(Box.setProperty("ImmediateRedraw", true));
    EXPECT_EQ(Box.Scale(), 75);
    EXPECT_TRUE(Box.ShowGrid());
    EXPECT_EQ(Box.GridColor(), clNavy);
    EXPECT_EQ(Box.Color(), clWhite);
    EXPECT_TRUE(Box.ImmediateRedraw());
    TKXActor actor;
    EXPECT_TRUE(Box.setProperty("Actor", QVariant::fromValue(&actor)));
    EXPECT_EQ(Box.Actor(), &actor);
    EXPECT_EQ(actor.Box(), &Box);
}

class RefusedValueTest : public ::testing::TestWithParam<std::tuple<const char *, int>> {};

TEST_P(RefusedValueTest, ZeroOrLessIsRefusedAndTheOldValueKept)
{
    const auto [name, value] = GetParam();
    TKXDiagramBox box;
    const int before = box.property(name).toInt();
    try {
        box.setProperty(name, value);
        FAIL() << "no error";
    } catch (const EPropertyError &e) {
        EXPECT_STREQ(e.what(), "Ungültiger Wert der Eigenschaft");
    }
    EXPECT_EQ(box.property(name).toInt(), before);
}

INSTANTIATE_TEST_SUITE_P(ScaleGridStepPrintScale, RefusedValueTest,
                         ::testing::Combine(::testing::Values("Scale", "GridStep", "PrintScale"),
                                            ::testing::Values(0, -1)));

struct TGridCase {
    int32_t Scale;
    std::vector<int32_t> Horizontal, Vertical;
};

class GridTest : public ::testing::TestWithParam<TGridCase> {};

TEST_P(GridTest, LinesAtTheScaledSteps)
{
    TKXDiagramBox box;
    box.resize(265, 185);
    box.SetScale(GetParam().Scale);
    TKXRecordingCanvas canvas;
    box.DrawGrid(canvas);
    const TLines lines = LinesOf(canvas, 265, 185);
    EXPECT_EQ(lines.Horizontal, GetParam().Horizontal);
    EXPECT_EQ(lines.Vertical, GetParam().Vertical);
}

INSTANTIATE_TEST_SUITE_P(
    Scales, GridTest,
    ::testing::Values(TGridCase{100, {50, 100, 150, 200}, {50, 100, 150, 200, 250}},
                      TGridCase{75, {38, 75, 112, 150, 188}, {38, 75, 112, 150, 188, 225, 262}}));

TEST_F(DiagramBoxTest, EmptyBoxPaintsBackgroundAndGridOnly)
{
    Box.SetColor(clWhite);
    Box.SetGridColor(0x0000FF);  // red
    Box.SetShowGrid(true);
    Box.Paint();
    const QImage &image = Box.Buffer();
    ASSERT_EQ(image.size(), QSize(265, 185));
    EXPECT_EQ(image.pixel(10, 10), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(10, 50), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(264, 50), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(50, 10), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(49, 49), qRgb(255, 255, 255));
    EXPECT_EQ(Box.WindowImage(), image);
}

class PrinterPageTest : public ::testing::Test {
protected:
    TKXFixedPrinterInfo Printer{{4800, 6600, 1024}};
    void SetUp() override { SetPrinterInfo(&Printer); }
    void TearDown() override { SetPrinterInfo(nullptr); }
};

TEST_F(PrinterPageTest, PageLinesFromPrinterFactor)
{
    TKXDiagramBox box;
    box.resize(2100, 1500);
    EXPECT_EQ(box.PrinterFactor(), 469);
    TKXRecordingCanvas canvas;
    box.DrawPrinterPage(canvas);
    TLines lines = LinesOf(canvas, 2100, 1500);
    EXPECT_EQ(lines.Vertical, (std::vector<int32_t>{1023, 2046, 3069}));
    EXPECT_EQ(lines.Horizontal, (std::vector<int32_t>{1407, 2814}));

    // At half size the count is unscaled and every position scaled.
    box.SetScale(50);
    canvas.Calls.clear();
    box.DrawPrinterPage(canvas);
    lines = LinesOf(canvas, 2100, 1500);
    EXPECT_EQ(lines.Vertical, (std::vector<int32_t>{512, 1023, 1534, 2046, 2558, 3069}));
    EXPECT_EQ(lines.Horizontal, (std::vector<int32_t>{704, 1407, 2110, 2814}));
}

TEST_F(PrinterPageTest, PageWithoutUsableFactorDrawsNoLines)
{
    TKXFixedPrinterInfo tiny{{1, 1, 1024}};
    SetPrinterInfo(&tiny);
    TKXDiagramBox box;
    TKXRecordingCanvas canvas;
    box.DrawPrinterPage(canvas);
    EXPECT_TRUE(canvas.Calls.empty());
}

TEST(PrinterInfo, QtAnswersAUsablePage)
{
    const TKXPrinterMetrics metrics = TKXQtPrinterInfo().Metrics();
    EXPECT_GT(metrics.PageWidth, 0);
    EXPECT_GT(metrics.PageHeight, 0);
    EXPECT_GT(metrics.ScreenWidth, 0);
}

TEST_F(DiagramBoxTest, MousePositionReachesTheActorInDiagramUnits)
{
    TRecordingActor actor;
    Box.SetActor(&actor);
    Box.SetScale(200);
    QTest::mousePress(&Box, Qt::LeftButton, Qt::ShiftModifier, QPoint(101, 51));
    QTest::mouseRelease(&Box, Qt::LeftButton, Qt::NoModifier, QPoint(101, 51));
    ASSERT_EQ(actor.Points.size(), 2u);
    EXPECT_EQ(actor.Points[0], (TPoint{50, 26}));
    EXPECT_EQ(actor.Events[0], "down 0 " + std::to_string(ssShift | ssLeft));
    EXPECT_EQ(actor.Events[1], "up 0 0");
}

TEST_F(DiagramBoxTest, SingleBorderFramesTheClientArea)
{
    TRecordingActor actor;
    Box.SetActor(&actor);
    Box.SetScale(200);
    Box.SetBorderStyle(bsSingle);
    const QPoint origin = Box.contentsRect().topLeft();
    ASSERT_GT(origin.x(), 0);
    Box.Paint();
    EXPECT_EQ(Box.Buffer().size(), Box.contentsRect().size());
    QTest::mouseClick(&Box, Qt::LeftButton, Qt::NoModifier, origin + QPoint(101, 51));
    ASSERT_FALSE(actor.Points.empty());
    EXPECT_EQ(actor.Points[0], (TPoint{50, 26}));
    const QPoint screen = Box.mapToGlobal(origin + QPoint(101, 51));
    EXPECT_EQ(Box.ClientToScreen({101, 51}), (TPoint{screen.x(), screen.y()}));
}

TEST_F(DiagramBoxTest, NewObjectsAreNumberedAndOnlyTheLastSelected)
{
    TKXObject *a = Box.AddObject(NewVertex({50, 50}), moNew);
    TKXObject *b = Box.AddObject(NewVertex({150, 50}), moNew);
    EXPECT_EQ(a->Id, 1);
    EXPECT_EQ(b->Id, 2);
    EXPECT_EQ(Box.LastId, 2);
    EXPECT_FALSE(a->Selected);
    EXPECT_EQ(Box.Selection, std::vector<TKXObject *>{b});

    TKXCustomVertex *loaded = NewVertex({100, 120});
    loaded->Id = 40;
    EXPECT_EQ(Box.AddObject(loaded, moLoaded), loaded);
    EXPECT_EQ(loaded->Id, 40);
    EXPECT_FALSE(loaded->Selected);
    EXPECT_EQ(Box.Selection, std::vector<TKXObject *>{b});
    EXPECT_EQ(Box.LastId, 2);
    EXPECT_EQ(Box.Vertices.Count(), 3u);
}

TEST_F(DiagramBoxTest, RefusedObjectLeavesBoxUnchangedAndUndrawn)
{
    Box.AddObject(NewVertex({50, 50}), moNew);
    Box.Paint();
    const QImage before = Box.WindowImage().copy();
    Box.OnAddObject = [](TKXObject *&, TKXMode) { return false; };
    auto refused = std::make_unique<TKXCustomVertex>(TPoint{150, 100});
    EXPECT_EQ(Box.AddObject(refused.get(), moNew), nullptr);
    EXPECT_EQ(Box.Vertices.Count(), 1u);
    EXPECT_EQ(Box.LastId, 1);
    EXPECT_EQ(Box.Selection.size(), 1u);
    EXPECT_FALSE(refused->Selected);
    EXPECT_EQ(Box.WindowImage(), before);
}

TEST_F(DiagramBoxTest, HandlerMayReplaceTheObject)
{
    TKXCustomVertex *replacement = NewVertex({100, 100});
    std::unique_ptr<TKXObject> original(NewVertex({20, 20}));
    Box.OnAddObject = [&](TKXObject *&obj, TKXMode mode) {
        EXPECT_EQ(mode, moNew);
        obj = replacement;
        return true;
    };
    EXPECT_EQ(Box.AddObject(original.get(), moNew), replacement);
    EXPECT_EQ(Box.Vertices[0], replacement);
    EXPECT_EQ(replacement->Id, 1);
}

TEST_F(DiagramBoxTest, AddedObjectIsDrawnStraightOntoTheWindow)
{
    Box.SetColor(clWhite);
    Box.Paint();
    Box.AddObject(NewVertex({100, 60}), moLoaded);
    const QImage &window = Box.WindowImage();
    EXPECT_EQ(window.pixel(50, 35), qRgb(0, 0, 0));       // top-left corner of the frame
    EXPECT_EQ(Box.Buffer().pixel(50, 35), qRgb(255, 255, 255));  // the buffer waits for the next paint
}

TEST_F(DiagramBoxTest, SelectObjectListsAnObjectOnce)
{
    TKXObject *a = Box.AddObject(NewVertex({50, 50}), moLoaded);
    Box.SelectObject(a, true);
    Box.SelectObject(a, true);
    EXPECT_EQ(Box.Selection.size(), 1u);
    Box.ClearSelection();
    EXPECT_FALSE(a->Selected);
    EXPECT_TRUE(Box.Selection.empty());
}

TEST_F(DiagramBoxTest, ObjectAtPrefersEdgesThenLaterVertices)
{
    TKXObject *lower = Box.AddObject(NewVertex({100, 100}), moLoaded);
    TKXObject *upper = Box.AddObject(NewVertex({120, 100}), moLoaded);
    EXPECT_EQ(Box.ObjectAt({110, 100}), upper);
    EXPECT_EQ(Box.ObjectAt({60, 100}), lower);
    TKXObject *edge = Box.AddObject(new TTestEdge({0, 100}, {250, 100}), moLoaded);
    EXPECT_EQ(Box.ObjectAt({110, 100}), edge);
    EXPECT_EQ(Box.ObjectAt({110, 90}), upper);
    EXPECT_EQ(Box.ObjectAt({240, 10}), nullptr);
}

TEST_F(DiagramBoxTest, SelectInRectTakesOnlyVertices)
{
    TKXObject *a = Box.AddObject(NewVertex({60, 50}), moLoaded);
    TKXObject *b = Box.AddObject(NewVertex({200, 50}), moLoaded);
    TKXObject *outside = Box.AddObject(NewVertex({200, 150}), moLoaded);
    TKXObject *edge = Box.AddObject(new TTestEdge({110, 50}, {150, 50}), moLoaded);
    Box.SelectObject(outside, false);
    Box.SelectInRect({0, 0, 260, 80}, false);
    EXPECT_EQ(Box.Selection, (std::vector<TKXObject *>{a, b}));
    EXPECT_FALSE(edge->Selected);
    EXPECT_FALSE(outside->Selected);
    Box.SelectObject(outside, true);
    Box.SelectInRect({0, 0, 260, 80}, true);
    EXPECT_EQ(Box.Selection, (std::vector<TKXObject *>{a, b, outside}));
}

TEST(DiagramBoxRegistry, RegistersAncestorsOnceByExactName)
{
    static const TKXObjectClass base{"TBase", &TKXObject::ClassRecord, nullptr, nullptr};
    static const TKXObjectClass leaf{"TLeaf", &base, nullptr, nullptr};
    static const TKXObjectClass other{"TOther", &base, nullptr, nullptr};
    static const TKXObjectClass impostor{"TLeaf", &other, nullptr, nullptr};
    TKXDiagramBox box;
    box.RegisterObjectClass(leaf);
    const std::vector<const TKXObjectClass *> expected{&TKXObject::ClassRecord, &leaf, &base};
    EXPECT_EQ(box.ObjectClasses, expected);
    box.RegisterObjectClass(leaf);
    EXPECT_EQ(box.ObjectClasses, expected);
    EXPECT_EQ(box.FindObjectClass("TLeaf"), &leaf);
    EXPECT_EQ(box.FindObjectClass("tleaf"), nullptr);

    try {
        box.RegisterObjectClass(impostor);
        FAIL() << "no error";
    } catch (const EKXDiagramError &e) {
        EXPECT_STREQ(e.what(), "Class already registered: TLeaf");
    }
    EXPECT_EQ(box.ObjectClasses, expected);
    box.RegisterObjectClass(TKXCustomVertex::ClassRecord);
    EXPECT_EQ(box.ObjectClasses.back(), &TKXCustomVertex::ClassRecord);
}

TEST(DiagramBoxLifetime, EdgesAreDestroyedBeforeVertices)
{
    std::vector<std::string> log;
    {
        TKXDiagramBox box;
        box.AddObject(new TLoggedVertex({50, 50}, &log, "v1"), moNew);
        box.AddObject(new TTestEdge({0, 0}, {10, 0}, &log, "e1"), moNew);
        box.AddObject(new TLoggedVertex({150, 50}, &log, "v2"), moNew);
        box.AddObject(new TTestEdge({0, 0}, {10, 0}, &log, "e2"), moNew);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"e1", "e2", "v1", "v2"}));
}

TEST(DiagramBoxLifetime, BoxAndActorForgetEachOtherInEitherOrder)
{
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

// A vertex painted by a small style: a filled rounded frame, a red disc, a rule and a text.
TKXVertex *StyledVertex(TPoint center)
{
    auto style = std::make_unique<TKXVertexStyle>();
    style->Name = "Sample";
    auto frame = std::make_unique<TKXDrawItem>();
    frame->Shape = isRoundRect;
    frame->X2 = 100;
    frame->Y2 = 50;
    frame->Growth = igBoth;
    frame->BrushColor = 0xC0FFFF;
    style->DrawItems.push_back(std::move(frame));
    auto disc = std::make_unique<TKXDrawItem>();
    disc->Shape = isEllipse;
    disc->X1 = 6;
    disc->Y1 = 6;
    disc->X2 = 24;
    disc->Y2 = 24;
    disc->BrushColor = 0x0000FF;
    style->DrawItems.push_back(std::move(disc));
    auto rule = std::make_unique<TKXDrawItem>();
    rule->Shape = isLine;
    rule->Y1 = 32;
    rule->X2 = 100;
    rule->Y2 = 32;
    rule->Growth = igHorizontal;
    style->DrawItems.push_back(std::move(rule));
    auto text = std::make_unique<TKXTextItem>();
    text->Name = "Name";
    text->X1 = 30;
    text->Y1 = 6;
    text->X2 = 96;
    text->Y2 = 26;
    text->FontName = "Arial";
    text->FontSize = 8;
    text->BackStyle = bsClear;
    style->TextItems.push_back(std::move(text));
    style->OnGetData = [](int32_t, const std::string &field, TObject *) { return "<<" + field + ">>"; };
    TKXVertex *vertex = TKXVertex::CreateAt(center).release();
    vertex->Style = std::move(style);
    vertex->AdjustHandles();
    return vertex;
}

// Writes a picture of styled vertices on a grid with page lines at three scales when
// GLYPHSMITH_SHOT_DIR names a folder.
TEST(DiagramBoxPicture, GridPageLinesAndVerticesAtThreeScales)
{
    const QString dir = qEnvironmentVariable("GLYPHSMITH_SHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "GLYPHSMITH_SHOT_DIR not set";
    TKXFixedPrinterInfo printer{{4800, 6600, 1024}};
    SetPrinterInfo(&printer);
    const int scales[] = {50, 100, 200};
    QImage sheet(3 * 420 + 40, 320, QImage::Format_RGB32);
    sheet.fill(Qt::darkGray);
    QPainter painter(&sheet);
    for (int i = 0; i < 3; ++i) {
        TKXDiagramBox box;
        box.resize(420, 320);
        box.SetColor(clWhite);
        box.SetGridColor(clSilver);
        box.SetShowGrid(true);
        box.SetPrintScale(400);
        box.SetShowPrinterPage(true);
        box.SetScale(scales[i]);
        box.AddObject(StyledVertex({90, 60}), moNew);
        box.AddObject(StyledVertex({240, 90}), moNew);
        box.AddObject(StyledVertex({130, 180}), moLoaded);
        box.AddObject(NewVertex({300, 200}), moLoaded);
        box.SelectObject(box.Vertices[0], true);
        box.SetBorderStyle(bsSingle);
        painter.drawImage(i * 440, 0, box.grab().toImage());
    }
    painter.end();
    SetPrinterInfo(nullptr);
    ASSERT_TRUE(sheet.save(QDir(dir).filePath("diagram_box.png")));
}
