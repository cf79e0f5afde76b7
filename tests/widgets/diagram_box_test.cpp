#include "KXGR/widgets/KXDiagramBox.h"

#include "KXGR/core/KXEdge.h"
#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXPrinterInfo.h"
#include "KXGR/widgets/KXQtCanvas.h"
#include "core/TestFiles.h"
#include "core/TestStyles.h"
#include "support/KXRecordingCanvas.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <tuple>
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

// A plain vertex or edge that counts its drawings.
template <typename TBase>
class TCounted : public TBase {
public:
    using TBase::TBase;
    int Drawn = 0;
    void Draw(TKXCanvas &canvas, int32_t scale, TKXDrawMode mode) override
    {
        ++Drawn;
        TBase::Draw(canvas, scale, mode);
    }
};
using TCountedVertex = TCounted<TKXCustomVertex>;

// The picture of a box scrolled to an origin is the picture of a box at (0, 0), large enough
// to reach as far, moved by the scaled origin: objects, grid, page lines and selection alike.
TEST_F(DiagramBoxTest, ScrolledPictureIsTheUnscrolledPictureMoved)
{
    TKXFixedPrinterInfo printer{{800, 1100, 1024}};
    SetPrinterInfo(&printer);
    Box.SetColor(clWhite);
    Box.SetShowGrid(true);
    Box.SetGridColor(0x00C000);
    Box.SetShowPrinterPage(true);
    Box.SetPrintScale(50);
    Box.SelectObject(Add({100, 60}), false);
    Add({330, 230});  // below and right of the unscrolled view
    Box.AddObject(new TKXCustomVertex(TPoint{560, 400}), moLoaded);
    const std::pair<int32_t, TPoint> rows[] = {{100, {30, 20}}, {200, {110, 70}}, {50, {300, 260}}, {75, {41, 27}}};
    for (const auto &[scale, origin] : rows) {
        SCOPED_TRACE(scale);
        Box.SetScale(scale);
        const int32_t dx = ScaleValue(origin.X, scale), dy = ScaleValue(origin.Y, scale);
        Box.SetViewOrigin({0, 0});
        Box.resize(265 + dx, 185 + dy);
        Box.Paint();
        const QImage whole = Box.Buffer().copy(dx, dy, 265, 185);
        Box.resize(265, 185);
        Box.SetViewOrigin(origin);
        EXPECT_EQ(Box.ViewOffset(), (TPoint{dx, dy}));
        Box.Paint();
        EXPECT_EQ(Box.Buffer(), whole);
        EXPECT_EQ(Box.Buffer().size(), QSize(265, 185));
    }
    SetPrinterInfo(nullptr);
}

TEST_F(DiagramBoxTest, ViewMapsTheMouseAndPaintsOnlyWhatItShows)
{
    TRecordingActor actor;
    Box.SetActor(&actor);
    Box.SetScale(200);
    Box.SetViewOrigin({100, 50});
    QTest::mouseClick(&Box, Qt::LeftButton, Qt::NoModifier, QPoint(101, 51));
    // Pixel 101 + 200 of offset, halved: 150.5 rounds to 150; 51 + 100: 75.5 rounds to 76.
    EXPECT_EQ(actor.Seen.at(0).first, (TPoint{150, 76}));
    EXPECT_EQ(Box.DiagramToClient({150, 76}), (TPoint{100, 52}));

    Box.SetScale(100);
    Box.SetViewOrigin({1000, 1000});
    auto *shown = new TCountedVertex(TPoint{1100, 1100});
    auto *left = new TCountedVertex(TPoint{900, 1100});   // its right side ends 50 units left of the view
    auto *below = new TCountedVertex(TPoint{1100, 1300});
    for (TCountedVertex *v : {shown, left, below}) {
        Box.AddObject(v, moLoaded);
        v->Drawn = 0;
    }
    Box.Paint();
    EXPECT_EQ(std::tuple(shown->Drawn, left->Drawn, below->Drawn), std::tuple(1, 0, 0));
    TKXRecordingCanvas canvas;
    Box.DrawObjects(canvas, dmScreen);  // a host's own canvas gets everything
    EXPECT_EQ(std::tuple(shown->Drawn, left->Drawn, below->Drawn), std::tuple(2, 1, 1));

    // The extent covers every object; an empty box has none.
    const TRect extent = Box.DiagramExtent();
    EXPECT_TRUE(RectInRect({850, 1075, 1150, 1325}, extent));
    EXPECT_TRUE(RectInRect(extent, {800, 1000, 1200, 1400}));
    EXPECT_EQ(TKXDiagramBox().DiagramExtent(), TRect{});
}

// Painting finds objects by their filed extents: reported changes need a recompose, others the
// host's Invalidate, selections through the box none. The oracle is a fresh box alike.
TEST_F(DiagramBoxTest, PaintingFollowsChangesThatMoveObjectsIntoTheView)
{
    TKXUOLibrary library;
    auto example = MakeExampleStyle();
    AddDrawItem(*example, "Tail", {0, 0, 100, 50}).Shape = isLine;
    library.AddStyle(std::move(example));
    const auto fill = [](TKXDiagramBox &box) {
        box.SetColor(clWhite);
        box.resize(200, 150);
        box.SetViewOrigin({1000, 1000});
    };
    const auto freshPicture = [&](const std::function<void(TKXDiagramBox &)> &populate) {
        TKXDiagramBox fresh;
        fill(fresh);
        populate(fresh);
        fresh.Paint();
        return fresh.Buffer().copy();
    };
    // Above the view: the vertex's items (0, 0, 100, 50) end at y 950; the line's end may
    // reach lower.
    const auto styled = [&](TKXDiagramBox &box, int32_t tailEnd) {
        auto vertex = TKXVertex::CreateWithStyle({1050, 925}, &library, "Style1");
        vertex->Style->DrawItems[1]->Y2 = tailEnd;
        return static_cast<TKXVertex *>(box.AddObject(vertex.release(), moLoaded));
    };
    fill(Box);
    TKXVertex *vertex = styled(Box, 50);
    Box.Paint();
    const QImage before = Box.Buffer().copy();

    // The line grown down into the view, seen after the host's Invalidate.
    vertex->Style->DrawItems[1]->Y2 = 120;
    Box.Invalidate();
    Box.grab();
    const auto populate = [&](TKXDiagramBox &box) { styled(box, 120); };
    const QImage grown = freshPicture(populate);
    ASSERT_NE(grown, before);
    EXPECT_EQ(Box.Buffer(), grown);

    // A vertex moved into the view by its own operation, seen after a plain recompose.
    TKXObject *moved = Add({500, 500});
    Box.Recompose();
    Box.grab();
    moved->MoveBy({600, 600});
    Box.Recompose();
    Box.grab();
    EXPECT_EQ(Box.Buffer(), freshPicture([&](TKXDiagramBox &box) {
                  populate(box);
                  box.AddObject(new TKXCustomVertex(TPoint{1100, 1100}), moLoaded);
              }));

    // A label selected far from the view may frame itself anywhere: its edge is drawn again.
    auto *far = new TCounted<TKXCustomEdge>(static_cast<TKXCustomVertex *>(Box.Vertices[0]), static_cast<TKXCustomVertex *>(moved),
                                 {0, 0}, {40, 0});
    far->Adjacent->Caption = "far";
    Box.AddObject(far, moLoaded);
    Box.Recompose();
    Box.grab();
    EXPECT_EQ(far->Drawn, 1);  // added, not repainted
    Box.SelectObject(far->Adjacent.get(), false);
    Box.Recompose();
    Box.grab();
    EXPECT_EQ(far->Drawn, 2);
    Box.ClearSelection();
    far->Drawn = 0;
    Box.Recompose();
    Box.grab();
    EXPECT_EQ(far->Drawn, 0);
}

TEST_F(DiagramBoxTest, WheelAndKeysScrollOnlyWhenScrollingIsOn)
{
    QSignalSpy changed(&Box, &TKXDiagramBox::ViewOriginChanged);
    const auto wheel = [&](QPoint angle, Qt::KeyboardModifiers keys = {}) {
        QWheelEvent event(QPointF(10, 10), QPointF(10, 10), QPoint(), angle, Qt::NoButton, keys,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&Box, &event);
        return event.isAccepted();
    };
    EXPECT_FALSE(wheel({0, -120}));  // left to the parent
    QTest::keyClick(&Box, Qt::Key_Down);
    EXPECT_EQ(Box.ViewOrigin(), (TPoint{0, 0}));
    EXPECT_EQ(changed.count(), 0);

    Box.SetScrolling(true);
    Box.SetScale(200);  // distances are in pixels
    const std::tuple<const char *, std::function<void()>, TPoint> steps[] = {
        {"wheel down a notch", [&] { wheel({0, -120}); }, {0, 20}},
        {"shift turns it sideways", [&] { wheel({0, -120}, Qt::ShiftModifier); }, {20, 20}},
        {"right", [&] { QTest::keyClick(&Box, Qt::Key_Right); }, {30, 20}},
        {"page down: the height less a step, 165 pixels", [&] { QTest::keyClick(&Box, Qt::Key_PageDown); }, {30, 102}},
        {"up", [&] { QTest::keyClick(&Box, Qt::Key_Up); }, {30, 92}},
        {"home", [&] { QTest::keyClick(&Box, Qt::Key_Home); }, {0, 0}}};
    for (const auto &[name, step, origin] : steps) {
        SCOPED_TRACE(name);
        step();
        EXPECT_EQ(Box.ViewOrigin(), origin);
    }
    EXPECT_EQ(changed.count(), 6);
}

// Everything an object paints lies inside its PaintExtent, at every scale, selected or not:
// painting skips objects by it, so a pixel outside would be lost when scrolling.
TEST(DiagramBoxView, ObjectsPaintInsideTheirExtent)
{
    TKXUOLibrary library;
    auto style = MakeExampleStyle();
    TKXDrawItem &wide = AddDrawItem(*style, "Wide", {-30, 60, 130, 90});
    std::tie(wide.Shape, wide.PenWidth, wide.PenColor) = std::tuple(isEllipse, 9, 0x0000FF);
    TKXDrawItem &line = AddDrawItem(*style, "Line", {120, -20, -15, 70});
    std::tie(line.Shape, line.PenWidth) = std::tuple(isLine, 5);
    style->TextItems[0]->BackStyle = bsSolid;
    style->TextItems[0]->BackColor = 0x00FF00;
    library.AddStyle(std::move(style));
    auto styled = TKXVertex::CreateWithStyle({0, 0}, &library, "Style1");
    TKXCustomVertex source(TPoint{-150, -80}), target(TPoint{150, 100});
    TKXCustomEdge edge(&source, &target, {-100, -80}, {150, 75});
    edge.InsertBendPoint({25, -2});
    ASSERT_EQ(edge.Handles.size(), 3u);
    edge.Handles[1]->MoveBy({0, -60});
    edge.Adjacent->Caption = "A longer label WWW";
    edge.Adjacent->MoveBy({-40, 90});
    TKXObject *const objects[] = {&source, styled.get(), &edge};

    QImage image(900, 700, QImage::Format_RGB32);
    const TPoint origin{-450, -350};
    for (const int32_t scale : {50, 100, 200})
        for (const bool selected : {false, true})
            for (TKXObject *obj : objects) {
                SCOPED_TRACE(testing::Message() << "scale " << scale << " selected " << selected << " "
                                                << obj->ClassType().ClassName);
                obj->Selected = selected;
                image.fill(Qt::white);
                {
                    TKXQtCanvas canvas(&image);
                    canvas.SetOrigin(origin);
                    obj->Draw(canvas, scale, dmScreen);
                }
                const TRect extent = obj->PaintExtent(scale);
                int painted = 0, outside = 0;
                for (int y = 0; y < image.height(); ++y)
                    for (int x = 0; x < image.width(); ++x)
                        if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                            ++painted;
                            outside += !PointInRect({x + origin.X, y + origin.Y}, extent);
                        }
                EXPECT_GT(painted, 0);
                EXPECT_EQ(outside, 0);
                obj->Selected = false;
            }
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

// What an actor raises in a mouse handler stops at the box: it goes to the box's OnError, or
// to the application-wide handler when the box has none, and the next event is handled again.
TEST(DiagramBoxErrors, ActorErrorsGoToTheBoxHandlerElseTheApplicationsAndStopThere)
{
    struct TFailingActor : TKXActor {
        bool MouseDown(QObject *, TMouseButton, TShiftState, const TPoint &) override
        {
            throw EKXDiagramError("Vertex Id not found");
        }
        bool MouseUp(QObject *, TMouseButton, TShiftState, const TPoint &) override { throw 7; }
    } actor;
    TKXDiagramBox box;
    box.SetActor(&actor);
    std::vector<std::string> boxErrors, appErrors;
    SetApplicationErrorHandler([&](const std::exception &e) { appErrors.push_back(e.what()); });
    box.OnError = [&](const std::exception &e) { boxErrors.push_back(e.what()); };
    EXPECT_NO_THROW(QTest::mouseClick(&box, Qt::LeftButton));
    box.OnError = nullptr;
    EXPECT_NO_THROW(QTest::mouseClick(&box, Qt::LeftButton));
    SetApplicationErrorHandler(nullptr);
    EXPECT_EQ(boxErrors, (std::vector<std::string>{"Vertex Id not found", "Unknown error"}));
    EXPECT_EQ(appErrors, (std::vector<std::string>{"Vertex Id not found", "Unknown error"}));
}

// A drawing that raises stops at the paint handler: reported once, not on every repaint, and
// reported again only after a paint has succeeded in between.
TEST(DiagramBoxErrors, PaintErrorsAreReportedOnceUntilAPaintSucceeds)
{
    struct TFailingShape : TShape {
        using TShape::TShape;
        bool Fail = false;
        void Draw(TKXCanvas &canvas, int32_t scale, TKXDrawMode mode) override
        {
            if (Fail)
                throw EKXDiagramError("Cannot draw");
            TShape::Draw(canvas, scale, mode);
        }
    };
    TKXDiagramBox box;
    box.resize(100, 100);
    auto *shape = new TFailingShape({50, 50}, okVertex);
    box.AddObject(shape, moNew);
    shape->Fail = true;
    std::vector<std::string> errors;
    box.OnError = [&](const std::exception &e) { errors.push_back(e.what()); };
    const auto repaint = [&] {
        box.Invalidate();
        EXPECT_NO_THROW(box.grab());
    };
    repaint();
    repaint();
    EXPECT_EQ(errors, (std::vector<std::string>{"Cannot draw"}));
    shape->Fail = false;
    repaint();
    shape->Fail = true;
    repaint();
    EXPECT_EQ(errors, (std::vector<std::string>{"Cannot draw", "Cannot draw"}));
}

} // namespace
