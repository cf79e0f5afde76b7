// The edit actor driven with real mouse events on a shown box.
#include "KXGR/widgets/KXActors.h"

#include "KXGR/core/KXEdge.h"
#include "KXGR/core/KXHandle.h"
#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXDiagramBox.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

using TObjects = std::vector<TKXObject *>;
using TPath = std::vector<TPoint>;

// A 400 x 300 box at scale 100 with three unselected vertices:
// A (50, 50, 150, 100), B (250, 50, 350, 100), C (50, 175, 150, 225).
class EditActorTest : public ::testing::Test {
protected:
    TKXDiagramBox Box;
    TKXEditActor Actor;
    TKXCustomVertex *A = nullptr, *B = nullptr, *C = nullptr;
    std::vector<std::pair<TKXObject *, TPoint>> Popups;

    void SetUp() override
    {
        Box.resize(400, 300);
        Box.SetColor(clWhite);
        Box.SetActor(&Actor);
        Actor.OnPopup = [this](TKXObject *sender, TPoint p) { Popups.push_back({sender, p}); };
        A = Add({100, 75});
        B = Add({300, 75});
        C = Add({100, 200});
        Box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Box));
        QApplication::processEvents();
    }

    TKXCustomVertex *Add(TPoint centre)
    {
        return static_cast<TKXCustomVertex *>(Box.AddObject(new TKXCustomVertex(centre), moLoaded));
    }
    using TKeys = Qt::KeyboardModifiers;
    void Press(QPoint p, TKeys m = {}, Qt::MouseButton b = Qt::LeftButton) { QTest::mousePress(&Box, b, m, p); }
    void Release(QPoint p, TKeys m = {}, Qt::MouseButton b = Qt::LeftButton) { QTest::mouseRelease(&Box, b, m, p); }
    void Click(QPoint p, TKeys m = {}, Qt::MouseButton b = Qt::LeftButton) { Press(p, m, b); Release(p, m, b); }
    void RightClick(QPoint p, TKeys m = {}) { Click(p, m, Qt::RightButton); }
    void Move(QPoint p) { QTest::mouseMove(&Box, p); }  // with the buttons QTest holds down

    // What a repaint of the diagram as it stands shows.
    QImage Fresh()
    {
        Box.Paint();
        const QImage picture = Box.Buffer().copy();
        QApplication::processEvents();
        return picture;
    }
    QImage Window()
    {
        QApplication::processEvents();
        return Box.WindowImage().copy();
    }
    static TRect Sides(const TKXCustomVertex *v) { return {v->Left, v->Top, v->Right, v->Bottom}; }
};

TEST_F(EditActorTest, ClickShiftClickAndPressWithMoreThanOneSelected)
{
    Box.SelectObject(B, false);
    Click({100, 75});
    EXPECT_EQ(Box.Selection, TObjects{A});
    EXPECT_EQ(Actor.State, esIdle);
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
    Move({110, 205});
    EXPECT_EQ(Actor.State, esMoving);
    Move({120, 210});
    Release({120, 210});
    EXPECT_EQ(Sides(A), (TRect{70, 60, 170, 110}));
    EXPECT_EQ(Sides(B), (TRect{270, 60, 370, 110}));
    EXPECT_EQ(Sides(C), (TRect{70, 185, 170, 235}));
    EXPECT_EQ(Box.Selection, (TObjects{A, B, C}));

    // With nothing selected a corner handle resizes its vertex and stays current.
    Box.ClearSelection();
    Press({170, 110});
    EXPECT_EQ(Actor.Current, A->Handles[2].get());
    EXPECT_EQ(Box.Selection, TObjects{A});
    Move({180, 115});
    Move({190, 120});
    Release({190, 120});
    EXPECT_EQ(Sides(A), (TRect{70, 60, 190, 120}));
    EXPECT_EQ(Actor.Current, A->Handles[2].get());
    EXPECT_EQ(Box.Selection, TObjects{A});
}

TEST_F(EditActorTest, RubberBandSelectsTheVerticesInside)
{
    struct Row {
        const char *Name;
        QPoint From, To;
        bool Shift;
        std::vector<char> Expected;
    };
    const Row rows[] = {{"up and left", {370, 120}, {20, 20}, false, {'A', 'B'}},
                        {"with shift", {20, 20}, {370, 120}, true, {'C', 'A', 'B'}},
                        {"click on empty space", {380, 250}, {380, 250}, false, {}},
                        {"cutting B", {20, 20}, {330, 120}, false, {'A'}}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.Name);
        Box.SelectObject(C, false);
        const Qt::KeyboardModifiers m = row.Shift ? Qt::ShiftModifier : Qt::NoModifier;
        Press(row.From, m);
        EXPECT_EQ(Actor.State, esRubberBand);
        Move(row.To);
        Release(row.To, m);
        TObjects expected;
        for (char name : row.Expected)
            expected.push_back(name == 'A' ? A : name == 'B' ? B : C);
        EXPECT_EQ(Box.Selection, expected);
    }
}

TEST_F(EditActorTest, RightClicksSelectAndPopUpInScreenCoordinates)
{
    Box.SetScale(200);  // A's top-left corner (50, 50) is at pixel (100, 100)
    Box.SelectObject(B, false);
    RightClick({100, 100});
    EXPECT_EQ(Box.Selection, TObjects{A});
    EXPECT_EQ(Actor.State, esIdle);
    const QPoint screen = Box.mapToGlobal(QPoint(100, 100));
    ASSERT_EQ(Popups.size(), 1u);
    EXPECT_EQ(Popups[0], std::make_pair(static_cast<TKXObject *>(A), TPoint{screen.x(), screen.y()}));

    // On empty space: Shift keeps the selection, without it the selection is cleared.
    RightClick({390, 290}, Qt::ShiftModifier);
    EXPECT_EQ(Box.Selection, TObjects{A});
    RightClick({390, 290});
    EXPECT_TRUE(Box.Selection.empty());
    EXPECT_FALSE(A->Selected);
    ASSERT_EQ(Popups.size(), 3u);
    EXPECT_EQ(Popups[2].first, nullptr);
}

TEST_F(EditActorTest, MoveWithoutLeftButtonChangesNothing)
{
    Click({100, 75});
    const TPoint last = Actor.LastPoint;
    QMouseEvent move(QEvent::MouseMove, QPointF(300, 250), Box.mapToGlobal(QPointF(300, 250)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&Box, &move);
    EXPECT_EQ(Actor.LastPoint, last);
    EXPECT_EQ(Actor.State, esIdle);
    EXPECT_EQ(Sides(A), (TRect{50, 50, 150, 100}));
}

// After the drag the window equals a fresh repaint; during it, without ImmediateRedraw, only
// the not-xor outline is on the window, so drawing it once more restores the old picture.
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
        EXPECT_NE(Window(), before);
        A->DrawOutline(*Box.OwnCanvas(), Box.Scale());
        EXPECT_EQ(Window(), before);
        A->DrawOutline(*Box.OwnCanvas(), Box.Scale());
    }
    Release({130, 90});
    EXPECT_EQ(Window(), Fresh());
    EXPECT_EQ(Sides(A), (TRect{80, 65, 180, 115}));

    before = Fresh();
    Press({10, 10});
    Move({200, 130});
    Move({390, 140});
    EXPECT_NE(Window(), before);
    Box.DrawRubberBand(10, 10, 390, 140);
    EXPECT_EQ(Window(), before);
    Box.DrawRubberBand(10, 10, 390, 140);
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
    TKXCustomEdge *E = nullptr;

    void SetUp() override
    {
        EditActorTest::SetUp();
        auto *edge = new TKXCustomEdge(A, B, {150, 75}, {250, 75});
        edge->Adjacent->Caption = "Label";
        edge->Adjacent->MoveBy({0, -45});
        E = static_cast<TKXCustomEdge *>(Box.AddObject(edge, moLoaded));
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
    EXPECT_EQ(E->Handles[1]->HandleKind, hkBend);
    EXPECT_EQ(AnchorAt(), (TPoint{200, 75}));
    EXPECT_EQ(Box.Selection, TObjects{E});
    EXPECT_EQ(Window(), Fresh());

    // A release away from every segment inserts nothing.
    Press({440, 153});
    EXPECT_EQ(Actor.State, esInsertBend);
    Release({440, 180});
    EXPECT_EQ(E->Handles.size(), 3u);
}

TEST_F(EditActorEdgeTest, BendDragAndRightClickRemovalWithNilPopup)
{
    E->InsertBendPoint({180, 76});
    Box.SelectObject(E, false);
    Fresh();
    TKXHandle *bend = E->Handles[1].get();
    Press({180, 75});
    EXPECT_EQ(Actor.Current, bend);
    const QImage pressed = Window();
    Move({185, 85});
    Move({190, 95});
    bend->DrawOutline(*Box.OwnCanvas(), Box.Scale());  // only the outline at the new place is shown
    EXPECT_EQ(Window(), pressed);
    bend->DrawOutline(*Box.OwnCanvas(), Box.Scale());
    Release({190, 95});
    EXPECT_EQ(Path(), (TPath{{150, 75}, {190, 95}, {250, 75}}));
    EXPECT_EQ(Box.Selection, TObjects{E});
    EXPECT_EQ(Window(), Fresh());

    Press({190, 95}, {}, Qt::RightButton);
    EXPECT_EQ(Actor.State, esRemoveBend);
    Release({190, 95}, {}, Qt::RightButton);
    EXPECT_EQ(Path(), (TPath{{150, 75}, {250, 75}}));
    ASSERT_EQ(Popups.size(), 1u);
    EXPECT_EQ(Popups[0], std::make_pair(static_cast<TKXObject *>(nullptr), Box.ClientToScreen({190, 95})));
    EXPECT_EQ(Actor.Current, nullptr);
    EXPECT_EQ(Box.Selection, TObjects{E});
    EXPECT_EQ(Window(), Fresh());

    // An end handle is not removed.
    RightClick({250, 75});
    EXPECT_EQ(Path(), (TPath{{150, 75}, {250, 75}}));
    EXPECT_EQ(Popups.size(), 2u);
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
    Move({370, 90});   // by (100, 0) to (370, 90), beyond B's right side: refused
    Move({365, 101});  // by (-5, 11) to (265, 101), below B: refused
    EXPECT_EQ(Path(), (TPath{{150, 75}, {270, 90}}));
    Move({355, 111});  // by (-10, 10) to (260, 100), on B's bottom side
    Release({355, 111});
    EXPECT_EQ(Path(), (TPath{{150, 75}, {260, 100}}));
    EXPECT_EQ(Actor.Current, E->Handles.back().get());
    EXPECT_EQ(Window(), Fresh());
}

TEST_F(EditActorEdgeTest, AnchorSlidesAlongTheFirstSegmentAndTheLabelMovesFreely)
{
    Press({200, 75});
    EXPECT_EQ(Actor.Current, E->Adjacent->Anchor.get());
    EXPECT_EQ(Box.Selection, TObjects{E->Adjacent.get()});
    const QImage pressed = Window();
    Move({215, 90});
    Move({230, 95});
    EXPECT_EQ(AnchorAt(), (TPoint{230, 75}));
    E->Adjacent->DrawOutline(*Box.OwnCanvas(), Box.Scale());  // only the outline was on the window
    EXPECT_EQ(Window(), pressed);
    E->Adjacent->DrawOutline(*Box.OwnCanvas(), Box.Scale());
    Release({230, 95});
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
    Move({220, 50});
    Release({220, 50});
    EXPECT_EQ(E->Adjacent->Position, (TPoint{220, 50}));
    EXPECT_EQ(AnchorAt(), (TPoint{230, 75}));
    EXPECT_TRUE(PointInRect({220, 50}, E->Adjacent->Bounds));
    EXPECT_EQ(Window(), Fresh());
}

} // namespace
