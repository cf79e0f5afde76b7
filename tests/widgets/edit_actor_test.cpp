#include "KXGR/widgets/KXActors.h"

#include "KXGR/core/KXEdge.h"
#include "KXGR/core/KXHandle.h"
#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXDiagramBox.h"
#include "widgets/box_test_objects.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

using TObjects = std::vector<TKXObject *>;

struct TPopup {
    TKXObject *Sender;
    TPoint P;
};

// A 400 x 300 box at scale 100 with three unselected vertices:
// A (50, 50, 150, 100), B (200, 50, 300, 100), C (50, 175, 150, 225).
class EditActorTest : public ::testing::Test {
protected:
    TKXDiagramBox Box;
    TKXEditActor Actor;
    TKXCustomVertex *A = nullptr, *B = nullptr, *C = nullptr;
    std::vector<TPopup> Popups;

    void SetUp() override
    {
        Box.resize(400, 300);
        Box.SetColor(clWhite);
        Box.SetActor(&Actor);
        Actor.OnPopup = [this](TKXObject *sender, TPoint p) { Popups.push_back({sender, p}); };
        A = Add({100, 75});
        B = Add({250, 75});
        C = Add({100, 200});
        Box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Box));
        Settle();
    }

    TKXCustomVertex *Add(TPoint center)
    {
        return static_cast<TKXCustomVertex *>(Box.AddObject(new TKXCustomVertex(center), moLoaded));
    }

    void Press(QPoint p, Qt::KeyboardModifiers m = Qt::NoModifier, Qt::MouseButton b = Qt::LeftButton)
    {
        QTest::mousePress(&Box, b, m, p);
    }
    void Release(QPoint p, Qt::KeyboardModifiers m = Qt::NoModifier, Qt::MouseButton b = Qt::LeftButton)
    {
        QTest::mouseRelease(&Box, b, m, p);
    }
    void Click(QPoint p, Qt::KeyboardModifiers m = Qt::NoModifier, Qt::MouseButton b = Qt::LeftButton)
    {
        Press(p, m, b);
        Release(p, m, b);
    }
    // A move with the buttons that QTest holds down.
    void Move(QPoint p) { QTest::mouseMove(&Box, p); }

    void Settle() { QApplication::processEvents(); }
    // What a repaint of the current diagram shows.
    QImage Fresh()
    {
        Box.Paint();
        const QImage picture = Box.Buffer().copy();
        Settle();
        return picture;
    }
    QImage Window()
    {
        Settle();
        return Box.WindowImage().copy();
    }
    static TRect Sides(const TKXCustomVertex *v) { return {v->Left, v->Top, v->Right, v->Bottom}; }
};

} // namespace

TEST_F(EditActorTest, ClickSelectsOnlyTheVertexAndShiftClickAdds)
{
    Box.SelectObject(B, false);
    Click({100, 75});
    EXPECT_EQ(Box.Selection, TObjects{A});
    EXPECT_EQ(Actor.State, esIdle);
    Click({250, 75}, Qt::ShiftModifier);
    EXPECT_EQ(Box.Selection, (TObjects{A, B}));
}

TEST_F(EditActorTest, PressWithTwoSelectedAddsAndReleaseLeavesOnlyThePressedOne)
{
    Box.SelectObject(A, false);
    Box.SelectObject(B, true);
    Press({100, 200});
    EXPECT_EQ(Box.Selection, (TObjects{A, B, C}));
    EXPECT_EQ(Actor.State, esPressed);
    Release({100, 200});
    EXPECT_EQ(Box.Selection, TObjects{C});
}

TEST_F(EditActorTest, PressWithOneSelectedReplacesTheSelection)
{
    Box.SelectObject(A, false);
    Press({250, 75});
    EXPECT_EQ(Box.Selection, TObjects{B});
    Release({250, 75});
}

TEST_F(EditActorTest, PressAndMoveDragsAllSelectedVertices)
{
    Box.SelectObject(A, false);
    Box.SelectObject(B, true);
    Press({100, 200});
    Move({110, 205});
    EXPECT_EQ(Actor.State, esMoving);
    Move({120, 210});
    Release({120, 210});
    EXPECT_EQ(Sides(A), (TRect{70, 60, 170, 110}));
    EXPECT_EQ(Sides(B), (TRect{220, 60, 320, 110}));
    EXPECT_EQ(Sides(C), (TRect{70, 185, 170, 235}));
    EXPECT_EQ(Box.Selection, (TObjects{A, B, C}));
}

TEST_F(EditActorTest, CornerHandleDragResizesTheVertexAndStaysCurrent)
{
    Press({150, 100});
    ASSERT_NE(Actor.Current, nullptr);
    EXPECT_EQ(Actor.Current, A->Handles[2].get());
    EXPECT_EQ(Box.Selection, TObjects{A});
    Move({160, 105});
    Move({170, 110});
    Release({170, 110});
    EXPECT_EQ(Sides(A), (TRect{50, 50, 170, 110}));
    EXPECT_EQ(Actor.Current, A->Handles[2].get());
    EXPECT_EQ(Box.Selection, TObjects{A});
}

struct TBandCase {
    const char *Name;
    QPoint From, To;
    bool Shift;
    std::vector<char> Expected;  // vertex names in selection order
};

class RubberBandTest : public EditActorTest, public ::testing::WithParamInterface<TBandCase> {};

TEST_P(RubberBandTest, SelectsTheVerticesInsideTheBand)
{
    const TBandCase &c = GetParam();
    Box.SelectObject(C, false);
    const Qt::KeyboardModifiers m = c.Shift ? Qt::ShiftModifier : Qt::NoModifier;
    Press(c.From, m);
    EXPECT_EQ(Actor.State, esRubberBand);
    Move(c.To);
    Release(c.To, m);
    TObjects expected;
    for (char name : c.Expected)
        expected.push_back(name == 'A' ? A : name == 'B' ? B : C);
    EXPECT_EQ(Box.Selection, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Bands, RubberBandTest,
    ::testing::Values(TBandCase{"Down", {20, 20}, {320, 120}, false, {'A', 'B'}},
                      TBandCase{"UpAndLeft", {320, 120}, {20, 20}, false, {'A', 'B'}},
                      TBandCase{"WithShift", {20, 20}, {320, 120}, true, {'C', 'A', 'B'}},
                      TBandCase{"ClickOnEmptySpace", {350, 250}, {350, 250}, false, {}},
                      TBandCase{"CutsAVertex", {20, 20}, {280, 120}, false, {'A'}}),
    [](const auto &info) { return info.param.Name; });

TEST_F(EditActorTest, RightClickOnCornerHandleSelectsItsVertexAndReportsScreenPoint)
{
    Box.SetScale(200);  // A's top-left corner (50, 50) is at pixel (100, 100)
    Box.SelectObject(B, false);
    Click({100, 100}, Qt::NoModifier, Qt::RightButton);
    EXPECT_EQ(Box.Selection, TObjects{A});
    ASSERT_EQ(Popups.size(), 1u);
    EXPECT_EQ(Popups[0].Sender, A);
    const QPoint screen = Box.mapToGlobal(QPoint(100, 100));
    EXPECT_EQ(Popups[0].P, (TPoint{screen.x(), screen.y()}));
    EXPECT_EQ(Actor.State, esIdle);
}

TEST_F(EditActorTest, RightClickOnEmptySpaceClearsUnlessShift)
{
    Box.SelectObject(A, false);
    Click({350, 250}, Qt::ShiftModifier, Qt::RightButton);
    EXPECT_EQ(Box.Selection, TObjects{A});
    Click({350, 250}, Qt::NoModifier, Qt::RightButton);
    EXPECT_TRUE(Box.Selection.empty());
    EXPECT_FALSE(A->Selected);
    ASSERT_EQ(Popups.size(), 2u);
    EXPECT_EQ(Popups[1].Sender, nullptr);
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

TEST_F(EditActorTest, BaseActorIgnoresInput)
{
    TKXActor idle;
    Box.SetActor(&idle);
    Click({100, 75});
    Click({100, 75}, Qt::NoModifier, Qt::RightButton);
    EXPECT_TRUE(Box.Selection.empty());
    EXPECT_EQ(idle.Current, nullptr);
    EXPECT_EQ(idle.State, esMoving);
}

class EditActorEdgeTest : public EditActorTest {
protected:
    TTestEdge *Edge = nullptr;
    void SetUp() override
    {
        EditActorTest::SetUp();
        Edge = static_cast<TTestEdge *>(Box.AddObject(new TTestEdge({20, 150}, {380, 150}), moLoaded));
    }
};

TEST_F(EditActorEdgeTest, ClickOnUnselectedEdgeOnlySelectsIt)
{
    Click({300, 151});
    EXPECT_EQ(Box.Selection, TObjects{Edge});
    EXPECT_TRUE(Edge->Inserted.empty());
}

TEST_F(EditActorEdgeTest, ClickOnSelectedEdgeInsertsABendAtTheRelease)
{
    Box.SelectObject(Edge, false);
    Press({300, 151});
    EXPECT_EQ(Actor.State, esInsertBend);
    Release({300, 151});
    ASSERT_EQ(Edge->Bends.size(), 1u);
    EXPECT_EQ(Edge->Bends[0]->Position, (TPoint{300, 150}));
    EXPECT_EQ(Box.Selection, TObjects{Edge});
}

TEST_F(EditActorEdgeTest, RightClickOnBendOfSelectedEdgeRemovesItWithNilSender)
{
    Edge->AddBend({300, 150});
    Box.SelectObject(Edge, false);
    Press({300, 150}, Qt::NoModifier, Qt::RightButton);
    EXPECT_EQ(Actor.State, esRemoveBend);
    Release({300, 150}, Qt::NoModifier, Qt::RightButton);
    EXPECT_TRUE(Edge->Bends.empty());
    ASSERT_EQ(Popups.size(), 1u);
    EXPECT_EQ(Popups[0].Sender, nullptr);
    EXPECT_EQ(Box.Selection, TObjects{Edge});
}

TEST_F(EditActorEdgeTest, RemovedBendHandleLeavesTheSelection)
{
    TKXHandle *bend = Edge->AddBend({300, 150});
    // A right click on the handle of an unselected edge selects the handle itself.
    Click({300, 150}, Qt::NoModifier, Qt::RightButton);
    EXPECT_EQ(Box.Selection, TObjects{bend});
    Click({200, 150}, Qt::ShiftModifier);
    EXPECT_EQ(Box.Selection, (TObjects{bend, Edge}));
    Click({300, 150}, Qt::NoModifier, Qt::RightButton);
    EXPECT_TRUE(Edge->Bends.empty());
    EXPECT_EQ(Box.Selection, TObjects{Edge});
    Box.ClearSelection();
}

// A real edge from A's right side (150, 75) to B's left side (200, 75).
class EditActorRealEdgeTest : public EditActorTest {
protected:
    TKXCustomEdge *Edge = nullptr;
    void SetUp() override
    {
        EditActorTest::SetUp();
        Edge = static_cast<TKXCustomEdge *>(Box.AddObject(new TKXCustomEdge(A, B, {150, 75}, {200, 75}), moLoaded));
        Settle();
    }
};

TEST_F(EditActorRealEdgeTest, ClickSelectsThenInsertsABendWhichRightClickRemoves)
{
    Click({165, 76});
    EXPECT_EQ(Box.Selection, TObjects{Edge});
    EXPECT_EQ(Edge->Handles.size(), 2u);
    Click({165, 76});
    ASSERT_EQ(Edge->Handles.size(), 3u);
    EXPECT_EQ(Edge->Handles[1]->Position, (TPoint{165, 75}));
    Click({165, 75}, Qt::NoModifier, Qt::RightButton);
    EXPECT_EQ(Edge->Handles.size(), 2u);
    ASSERT_EQ(Popups.size(), 1u);
    EXPECT_EQ(Popups[0].Sender, nullptr);
    EXPECT_EQ(Window(), Fresh());
}

TEST_F(EditActorRealEdgeTest, BendDragMovesThePointAndLeavesNothingBehind)
{
    Box.SelectObject(Edge, false);
    TKXHandle *bend = Edge->Handles.emplace(Edge->Handles.begin() + 1,
                                            std::make_unique<TKXHandle>(Edge, TPoint{165, 75}, hkBend))->get();
    Fresh();
    Press({165, 75});
    EXPECT_EQ(Actor.Current, bend);
    const QImage pressed = Window();
    Move({165, 85});
    Move({170, 95});
    // Only the two segments at the bend's new place are outlined.
    bend->DrawOutline(*Box.OwnCanvas(), Box.Scale());
    EXPECT_EQ(Window(), pressed);
    bend->DrawOutline(*Box.OwnCanvas(), Box.Scale());
    Release({170, 95});
    EXPECT_EQ(bend->Position, (TPoint{170, 95}));
    EXPECT_EQ(Box.Selection, TObjects{Edge});
    EXPECT_EQ(Window(), Fresh());
}

class NotXorFeedbackTest : public EditActorTest, public ::testing::WithParamInterface<bool> {};

TEST_P(NotXorFeedbackTest, VertexDragLeavesNothingBehind)
{
    const bool immediate = GetParam();
    Box.SetImmediateRedraw(immediate);
    const QImage before = Fresh();
    Press({100, 75});
    Move({110, 80});
    Move({130, 90});
    const QImage during = Window();
    if (immediate) {
        EXPECT_EQ(during, Fresh());
    } else {
        // Only the outline at the new place is on the window; drawing it once more restores
        // the picture from before the drag.
        EXPECT_NE(during, before);
        A->DrawOutline(*Box.OwnCanvas(), Box.Scale());
        EXPECT_EQ(Window(), before);
        A->DrawOutline(*Box.OwnCanvas(), Box.Scale());
    }
    Release({130, 90});
    const QImage after = Window();
    EXPECT_EQ(after, Fresh());
    EXPECT_EQ(Sides(A), (TRect{80, 65, 180, 115}));
}

TEST_P(NotXorFeedbackTest, RubberBandLeavesNothingBehind)
{
    Box.SetImmediateRedraw(GetParam());
    const QImage before = Fresh();
    Press({20, 20});
    Move({200, 130});
    Move({320, 140});
    EXPECT_NE(Window(), before);
    Box.DrawRubberBand(20, 20, 320, 140);
    EXPECT_EQ(Window(), before);
    Box.DrawRubberBand(20, 20, 320, 140);
    Release({320, 140});
    EXPECT_EQ(Window(), Fresh());
    EXPECT_EQ(Box.Selection, (TObjects{A, B}));
}

INSTANTIATE_TEST_SUITE_P(ImmediateRedraw, NotXorFeedbackTest, ::testing::Bool(),
                         [](const auto &info) { return info.param ? "On" : "Off"; });
