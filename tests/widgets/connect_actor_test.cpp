// The connect actor driven with real mouse and key events on a shown box.
#include "KXGR/widgets/KXConnectActor.h"

#include "KXGR/core/KXEdge.h"
#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXDiagramBox.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A 400 x 300 box with A (50, 50, 150, 100) and B (250, 50, 350, 100).
class ConnectActorTest : public ::testing::Test {
protected:
    TKXDiagramBox Box;
    TKXConnectActor Actor;
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
    void Drag(QPoint from, QPoint to)
    {
        QTest::mousePress(&Box, Qt::LeftButton, {}, from);
        QTest::mouseMove(&Box, (from + to) / 2);
        QTest::mouseMove(&Box, to);
        QTest::mouseRelease(&Box, Qt::LeftButton, {}, to);
    }
    QImage Window()
    {
        QApplication::processEvents();
        return Box.WindowImage().copy();
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
