// The edit and connect actors driven with real mouse and key events on a shown box.
#include "KXGR/widgets/KXActors.h"
#include "KXGR/widgets/KXConnectActor.h"

#include "KXGR/core/KXEdge.h"
#include "KXGR/core/KXHandle.h"
#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXDiagramBox.h"
#include "core/TestStyles.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using TObjects = std::vector<TKXObject *>;
using TPath = std::vector<TPoint>;
using TKeys = Qt::KeyboardModifiers;

// A shown 400 x 300 white box at scale 100 with the actor and A (50, 50, 150, 100) and
// B (250, 50, 350, 100).
template <typename TActor>
class ShownBoxTest : public ::testing::Test {
protected:
    TKXDiagramBox Box;
    TActor Actor;
    TKXCustomVertex *A = Add({100, 75}), *B = Add({300, 75});

    void SetUp() override
    {
        Box.resize(400, 300);
        Box.SetColor(clWhite);
        Box.SetActor(&Actor);
        Box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Box));
        QApplication::processEvents();
    }
    TKXCustomVertex *Add(TPoint centre)
    {
        return static_cast<TKXCustomVertex *>(Box.AddObject(new TKXCustomVertex(centre), moLoaded));
    }
    QImage Window()
    {
        QApplication::processEvents();
        return Box.WindowImage().copy();
    }
};

// With the edit actor and a third vertex C (50, 175, 150, 225); popups are noted.
class EditActorTest : public ShownBoxTest<TKXEditActor> {
protected:
    TKXCustomVertex *C = Add({100, 200});
    std::vector<std::pair<TKXObject *, TPoint>> Popups;

    void SetUp() override
    {
        ShownBoxTest::SetUp();
        Actor.OnPopup = [this](TKXObject *sender, TPoint p) { Popups.push_back({sender, p}); };
    }
    void Press(QPoint p, TKeys m = {}, Qt::MouseButton b = Qt::LeftButton) { QTest::mousePress(&Box, b, m, p); }
    void Release(QPoint p, TKeys m = {}, Qt::MouseButton b = Qt::LeftButton) { QTest::mouseRelease(&Box, b, m, p); }
    void Click(QPoint p, TKeys m = {}, Qt::MouseButton b = Qt::LeftButton) { Press(p, m, b); Release(p, m, b); }
    void Move(QPoint p) { QTest::mouseMove(&Box, p); }  // with the buttons QTest holds down
    // Moves with the left button held through the points and releases at the last.
    void DragTo(std::initializer_list<QPoint> points, TKeys m = {})
    {
        for (const QPoint p : points)
            Move(p);
        Release(*std::prev(points.end()), m);
    }
    TPoint ScreenAt(QPoint p) const
    {
        const QPoint screen = Box.mapToGlobal(p);
        return {screen.x(), screen.y()};
    }

    // What a repaint of the diagram as it stands shows.
    QImage Fresh()
    {
        Box.Paint();
        const QImage picture = Box.Buffer().copy();
        QApplication::processEvents();
        return picture;
    }
    // The window differs from before only by the not-xor feedback draw paints: once more restores it.
    void ExpectOnlyFeedback(const QImage &before, const std::function<void()> &draw)
    {
        EXPECT_NE(Window(), before);
        draw();
        EXPECT_EQ(Window(), before);
        draw();
    }
    static TRect Sides(const TKXCustomVertex *v) { return {v->Left, v->Top, v->Right, v->Bottom}; }
};

TEST_F(EditActorTest, ClickShiftClickAndPressWithMoreThanOneSelected)
{
    Box.SelectObject(B, false);
    Click({100, 75});
    EXPECT_EQ(Box.Selection, TObjects{A});
    Click({300, 75}, Qt::ShiftModifier);
    EXPECT_EQ(Box.Selection, (TObjects{A, B}));

    // With two selected a press adds; the release without a move leaves only that one.
    Press({100, 200});
    EXPECT_EQ(Box.Selection, (TObjects{A, B, C}));
    EXPECT_EQ(Actor.State, esPressed);
    Release({100, 200});
    EXPECT_EQ(Box.Selection, TObjects{C});
    // With one selected a press replaces it.
    Press({300, 75});
    EXPECT_EQ(Box.Selection, TObjects{B});
    Release({300, 75});
}

TEST_F(EditActorTest, PressAndMoveDragsAllSelectedVerticesACornerResizesOne)
{
    Box.SelectObject(A, false);
    Box.SelectObject(B, true);
    Press({100, 200});
    DragTo({{110, 205}, {120, 210}});
    EXPECT_EQ(Sides(A), (TRect{70, 60, 170, 110}));
    EXPECT_EQ(Sides(B), (TRect{270, 60, 370, 110}));
    EXPECT_EQ(Sides(C), (TRect{70, 185, 170, 235}));
    EXPECT_EQ(Box.Selection, (TObjects{A, B, C}));

    // With nothing selected a corner handle resizes its vertex and stays current.
    Box.ClearSelection();
    Press({170, 110});
    EXPECT_EQ(Actor.Current, A->Handles[2].get());
    EXPECT_EQ(Box.Selection, TObjects{A});
    DragTo({{180, 115}, {190, 120}});
    EXPECT_EQ(Sides(A), (TRect{70, 60, 190, 120}));
    EXPECT_EQ(Actor.Current, A->Handles[2].get());
    EXPECT_EQ(Box.Selection, TObjects{A});
}

TEST_F(EditActorTest, RubberBandSelectsTheVerticesInside)
{
    const std::tuple<const char *, QPoint, QPoint, TKeys, TObjects> rows[] = {
        {"up and left", {370, 120}, {20, 20}, {}, {A, B}},
        {"with shift", {20, 20}, {370, 120}, Qt::ShiftModifier, {C, A, B}},
        {"click on empty space", {380, 250}, {380, 250}, {}, {}},
        {"cutting B", {20, 20}, {330, 120}, {}, {A}}};
    for (const auto &[name, from, to, keys, expected] : rows) {
        SCOPED_TRACE(name);
        Box.SelectObject(C, false);
        Press(from, keys);
        EXPECT_EQ(Actor.State, esRubberBand);
        DragTo({to}, keys);
        EXPECT_EQ(Box.Selection, expected);
    }
}

TEST_F(EditActorTest, RightClicksSelectAndPopUpInScreenCoordinates)
{
    Box.SetScale(200);  // A's top-left corner (50, 50) is at pixel (100, 100)
    Box.SelectObject(B, false);
    Click({100, 100}, {}, Qt::RightButton);
    EXPECT_EQ(Box.Selection, TObjects{A});
    ASSERT_EQ(Popups.size(), 1u);
    EXPECT_EQ(Popups[0], std::make_pair(static_cast<TKXObject *>(A), ScreenAt({100, 100})));

    // On empty space: Shift keeps the selection, without it the selection is cleared.
    Click({390, 290}, Qt::ShiftModifier, Qt::RightButton);
    EXPECT_EQ(Box.Selection, TObjects{A});
    Click({390, 290}, {}, Qt::RightButton);
    EXPECT_TRUE(Box.Selection.empty());
    EXPECT_FALSE(A->Selected);
    ASSERT_EQ(Popups.size(), 3u);
    EXPECT_EQ(Popups[2].first, nullptr);
}

TEST_F(EditActorTest, MoveWithoutLeftButtonChangesNothing)
{
    Click({100, 75});
    const TPoint last = Actor.LastPoint;
    Move({300, 250});  // no button is held after the click
    EXPECT_EQ(Actor.LastPoint, last);
    EXPECT_EQ(Actor.State, esIdle);
    EXPECT_EQ(Sides(A), (TRect{50, 50, 150, 100}));
}

// Direct drawing starts in the copy mode whatever feedback came before: a styled vertex (which
// sets no pen mode of its own) that the host adds after a drag shows as a repaint shows it.
TEST_F(EditActorTest, ObjectAddedAfterDragFeedbackIsDrawnInCopyMode)
{
    TKXUOLibrary library;
    library.AddStyle(MakeExampleStyle());
    Box.SetColor(clSilver);  // on white, not-xor would paint the same colours
    const std::pair<const char *, std::function<void()>> drags[] = {
        {"rubber band", [&] { Press({380, 20}); DragTo({{390, 40}, {395, 60}}); }},
        {"vertex drag", [&] { Press({100, 200}); DragTo({{105, 205}}); }},
    };
    int32_t x = 250;
    for (const auto &[name, drag] : drags) {
        SCOPED_TRACE(name);
        Fresh();
        drag();
        Fresh();
        Box.AddObject(TKXVertex::CreateWithStyle({x += 60, 230}, &library, "Style1").release(), moLoaded);
        const QImage direct = Box.WindowImage().copy();
        EXPECT_EQ(direct, Fresh());
    }
}

// Scrolled, the actor gets diagram points through the view, and outlines, the band and the
// popup point land where the objects are shown; afterwards the window equals a repaint.
TEST_F(EditActorTest, ScrolledViewDragsBandsAndPopsUpWhereTheObjectsAreShown)
{
    Box.SetViewOrigin({40, 30});  // A (50, 50, 150, 100) shows at pixels (10, 20) to (110, 70)
    QImage before = Fresh();
    Press({60, 45});
    EXPECT_EQ(Actor.Current, A);
    Move({70, 50});
    ExpectOnlyFeedback(before, [&] { A->DrawOutline(*Box.OwnCanvas(), Box.Scale()); });
    Release({70, 50});
    EXPECT_EQ(Sides(A), (TRect{60, 55, 160, 105}));
    EXPECT_EQ(Window(), Fresh());

    before = Fresh();
    Press({200, 150});  // the diagram point (240, 180) is empty
    Move({300, 100});
    Move({395, 5});
    ExpectOnlyFeedback(before, [&] { Box.DrawRubberBand(240, 180, 435, 35); });
    Release({395, 5});
    EXPECT_EQ(Box.Selection, TObjects{B});
    EXPECT_EQ(Window(), Fresh());

    Click({250, 40}, {}, Qt::RightButton);
    ASSERT_FALSE(Popups.empty());
    EXPECT_EQ(Popups.back(), std::make_pair(static_cast<TKXObject *>(B), ScreenAt({250, 40})));
}

// After the drag the window equals a repaint; during it, without ImmediateRedraw, only the outline.
class NotXorFeedbackTest : public EditActorTest, public ::testing::WithParamInterface<bool> {};

TEST_P(NotXorFeedbackTest, VertexDragAndRubberBandLeaveNothingBehind)
{
    const bool immediate = GetParam();
    Box.SetImmediateRedraw(immediate);
    QImage before = Fresh();
    Press({100, 75});
    Move({110, 80});
    Move({130, 90});
    if (immediate) {
        EXPECT_EQ(Window(), Fresh());
    } else {
        ExpectOnlyFeedback(before, [&] { A->DrawOutline(*Box.OwnCanvas(), Box.Scale()); });
    }
    Release({130, 90});
    EXPECT_EQ(Window(), Fresh());
    EXPECT_EQ(Sides(A), (TRect{80, 65, 180, 115}));

    before = Fresh();
    Press({10, 10});
    Move({200, 130});
    Move({390, 140});
    ExpectOnlyFeedback(before, [&] { Box.DrawRubberBand(10, 10, 390, 140); });
    Release({390, 140});
    EXPECT_EQ(Window(), Fresh());
    EXPECT_EQ(Box.Selection, (TObjects{A, B}));
}

INSTANTIATE_TEST_SUITE_P(ImmediateRedraw, NotXorFeedbackTest, ::testing::Bool(),
                         [](const auto &info) { return info.param ? "On" : "Off"; });

// Adds the edge E from A's right side (150, 75) to B's left side (250, 75); its anchor sits at
// (200, 75), its label "Label" is centred on (200, 30).
class EditActorEdgeTest : public EditActorTest {
protected:
    TKXCustomEdge *E = static_cast<TKXCustomEdge *>(Box.AddObject(new TKXCustomEdge(A, B, {150, 75}, {250, 75}), moLoaded));

    void SetUp() override
    {
        EditActorTest::SetUp();
        E->Adjacent->Caption = "Label";
        E->Adjacent->MoveBy({0, -45});
        Fresh();
    }
    TPath Path() const
    {
        TPath path;
        for (const auto &handle : E->Handles)
            path.push_back(handle->Position);
        return path;
    }
    TPoint AnchorAt() const { return E->Adjacent->Anchor->Position; }
};

TEST_F(EditActorEdgeTest, ClickSelectsTheEdgeThenInsertsABendAtTheReleasePoint)
{
    Box.SetScale(200);
    Click({361, 153});  // the diagram point (180, 76), one unit beside the segment
    EXPECT_EQ(Box.Selection, TObjects{E});
    EXPECT_EQ(Path(), (TPath{{150, 75}, {250, 75}}));
    Press({361, 153});
    EXPECT_EQ(Actor.State, esInsertBend);
    Release({361, 153});
    EXPECT_EQ(Path(), (TPath{{150, 75}, {180, 75}, {250, 75}}));
    EXPECT_EQ(AnchorAt(), (TPoint{200, 75}));
    EXPECT_EQ(Box.Selection, TObjects{E});
    EXPECT_EQ(Window(), Fresh());

    // A release away from every segment inserts nothing.
    Press({440, 153});
    Release({440, 180});
    EXPECT_EQ(E->Handles.size(), 3u);
}

TEST_F(EditActorEdgeTest, BendDragAndRightClickRemovalWithNilPopup)
{
    E->InsertBendPoint({180, 76});
    Box.SelectObject(E, false);
    Press({180, 75});
    EXPECT_EQ(Actor.Current, E->Handles[1].get());
    DragTo({{185, 85}, {190, 95}});
    EXPECT_EQ(Path(), (TPath{{150, 75}, {190, 95}, {250, 75}}));
    EXPECT_EQ(Box.Selection, TObjects{E});
    EXPECT_EQ(Window(), Fresh());

    Press({190, 95}, {}, Qt::RightButton);
    EXPECT_EQ(Actor.State, esRemoveBend);
    Release({190, 95}, {}, Qt::RightButton);
    EXPECT_EQ(Path(), (TPath{{150, 75}, {250, 75}}));
    ASSERT_EQ(Popups.size(), 1u);
    EXPECT_EQ(Popups[0], std::make_pair(static_cast<TKXObject *>(nullptr), ScreenAt({190, 95})));
    EXPECT_EQ(Actor.Current, nullptr);
    EXPECT_EQ(Box.Selection, TObjects{E});
    EXPECT_EQ(Window(), Fresh());

    // An end handle is not removed, nor taken out of the selection.
    Box.SelectObject(E->Handles.back().get(), true);
    Click({250, 75}, {}, Qt::RightButton);
    EXPECT_EQ(Path(), (TPath{{150, 75}, {250, 75}}));
    EXPECT_EQ(Box.Selection, (TObjects{E, E->Handles.back().get()}));
    EXPECT_EQ(B->Links, TObjects{E->Handles.back().get()});
}

TEST_F(EditActorEdgeTest, EndHandleFollowsTheMouseOnlyInsideItsVertex)
{
    Press({250, 75});
    EXPECT_EQ(Actor.Current, E->Handles.back().get());
    EXPECT_EQ(Box.Selection, TObjects{E});
    Move({270, 90});
    EXPECT_EQ(Path(), (TPath{{150, 75}, {270, 90}}));
    EXPECT_EQ(AnchorAt(), (TPoint{210, 82}));  // (210, 82.5)
    DragTo({{365, 101}, {355, 111}});  // by (95, 11) out of B: refused; by (-10, 10) onto its bottom side
    EXPECT_EQ(Path(), (TPath{{150, 75}, {260, 100}}));
    EXPECT_EQ(Actor.Current, E->Handles.back().get());
    EXPECT_EQ(Window(), Fresh());
}

TEST_F(EditActorEdgeTest, AnchorSlidesAlongTheFirstSegmentAndTheLabelMovesFreely)
{
    Press({200, 75});
    EXPECT_EQ(Actor.Current, E->Adjacent->Anchor.get());
    EXPECT_EQ(Box.Selection, TObjects{E->Adjacent.get()});
    DragTo({{215, 90}, {230, 95}});
    EXPECT_EQ(AnchorAt(), (TPoint{230, 75}));
    EXPECT_EQ(Path(), (TPath{{150, 75}, {250, 75}}));
    EXPECT_EQ(Window(), Fresh());

    // A press on the label selects the edge, the release the label; a drag leaves the anchor.
    Box.ClearSelection();
    Press({200, 30});
    EXPECT_EQ(Actor.Current, E->Adjacent.get());
    EXPECT_EQ(Box.Selection, TObjects{E});
    Release({200, 30});
    EXPECT_EQ(Box.Selection, TObjects{E->Adjacent.get()});
    EXPECT_FALSE(E->Selected);
    Press({200, 30});
    DragTo({{220, 50}});
    EXPECT_EQ(E->Adjacent->Position, (TPoint{220, 50}));
    EXPECT_EQ(AnchorAt(), (TPoint{230, 75}));
    EXPECT_EQ(Window(), Fresh());
}

TEST_F(EditActorEdgeTest, RightClickOnAHandleOfAnUnselectedEdgeSelectsTheEdgeNotTheHandle)
{
    Click({250, 75}, {}, Qt::RightButton);
    EXPECT_EQ(Box.Selection, TObjects{E});
    EXPECT_EQ(Actor.Current, E->Handles.back().get());
    ASSERT_EQ(Popups.size(), 1u);
    EXPECT_EQ(Popups[0].first, E->Handles.back().get());

    // A Shift-drag of another vertex moves that vertex; the edge's end stays in B.
    Press({100, 75}, Qt::ShiftModifier);
    DragTo({{110, 80}}, Qt::ShiftModifier);
    EXPECT_EQ(Sides(A), (TRect{60, 55, 160, 105}));
    EXPECT_EQ(E->Handles.back()->Position, (TPoint{250, 75}));
    EXPECT_EQ(Box.Selection, (TObjects{E, A}));
}

// --- connecting ---

class ConnectActorTest : public ShownBoxTest<TKXConnectActor> {
protected:
    void Drag(QPoint from, QPoint to)
    {
        QTest::mousePress(&Box, Qt::LeftButton, {}, from);
        QTest::mouseMove(&Box, (from + to) / 2);
        QTest::mouseMove(&Box, to);
        QTest::mouseRelease(&Box, Qt::LeftButton, {}, to);
    }
};

TEST_F(ConnectActorTest, DragFromVertexToVertexAddsOneSelectedEdgeBetweenTheBorders)
{
    Drag({90, 70}, {310, 80});
    ASSERT_EQ(Box.Edges.Count(), 1u);
    auto *edge = static_cast<TKXCustomEdge *>(Box.Edges[0]);
    EXPECT_EQ(edge->Source, A);
    EXPECT_EQ(edge->Target, B);
    EXPECT_EQ(edge->Handles.front()->Position, (TPoint{150, 75}));
    EXPECT_EQ(edge->Handles.back()->Position, (TPoint{250, 75}));
    EXPECT_EQ(edge->Id, Box.LastId);
    EXPECT_TRUE(edge->Selected);
    EXPECT_FALSE(Actor.Connecting());
    // The ends are attached: moving B drags the end along.
    B->MoveBy({0, 10});
    EXPECT_EQ(edge->Handles.back()->Position, (TPoint{250, 85}));
}

TEST_F(ConnectActorTest, ReleasesThatCreateNothing)
{
    struct Case { const char *what; QPoint from, to; };
    const Case cases[] = {
        {"to empty space", {90, 70}, {200, 250}},
        {"back onto the start vertex", {90, 70}, {120, 90}},
        {"from empty space", {200, 250}, {300, 75}},
    };
    for (const Case &c : cases) {
        const QImage before = Window();
        Drag(c.from, c.to);
        EXPECT_EQ(Box.Edges.Count(), 0u) << c.what;
        EXPECT_FALSE(Actor.Connecting()) << c.what;
        Box.Paint();
        EXPECT_EQ(Window(), before) << c.what;  // no rubber line left behind
    }
}

TEST_F(ConnectActorTest, EscapeCancelsAndTakesTheRubberLineOff)
{
    const QImage before = Window();
    QTest::mousePress(&Box, Qt::LeftButton, {}, {90, 70});
    QTest::mouseMove(&Box, {300, 80});
    EXPECT_NE(Window(), before);  // the rubber line is shown
    QTest::keyClick(&Box, Qt::Key_Escape);
    EXPECT_FALSE(Actor.Connecting());
    EXPECT_EQ(Window(), before);
    QTest::mouseRelease(&Box, Qt::LeftButton, {}, {300, 80});
    EXPECT_EQ(Box.Edges.Count(), 0u);
}

TEST_F(ConnectActorTest, AVertexUnderAnEdgeEndOrItsCornerHandleStillConnects)
{
    Drag({90, 70}, {310, 80});
    // From the first edge's end handle, which lies on B's side, to A.
    Drag({250, 75}, {100, 60});
    // From A's bottom-right corner handle to B.
    Drag({150, 100}, {300, 90});
    ASSERT_EQ(Box.Edges.Count(), 3u);
    EXPECT_EQ(static_cast<TKXCustomEdge *>(Box.Edges[1])->Source, B);
    EXPECT_EQ(static_cast<TKXCustomEdge *>(Box.Edges[1])->Target, A);
    EXPECT_EQ(static_cast<TKXCustomEdge *>(Box.Edges[2])->Source, A);
}

TEST_F(ConnectActorTest, ARefusedEdgeIsReleasedAndLeavesTheVerticesClean)
{
    Box.OnAddObject = [](TKXObject *&, TKXMode) { return false; };
    Drag({90, 70}, {310, 80});
    EXPECT_EQ(Box.Edges.Count(), 0u);
    EXPECT_TRUE(A->Links.empty());
    EXPECT_TRUE(B->Links.empty());
}

} // namespace
