// The edit actor on real edges: bend points inserted and removed with the mouse, end handles
// dragged within their vertices, the label and its anchor dragged.
#include "KXGR/widgets/KXActors.h"

#include "KXGR/core/KXEdge.h"
#include "KXGR/core/KXHandle.h"
#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXDiagramBox.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

using TObjects = std::vector<TKXObject *>;

struct TPopup {
    TKXObject *Sender;
    TPoint P;
};

// A 400 x 300 box with the vertices A (50, 50, 150, 100) and B (250, 50, 350, 100) and the
// edge E from A's right side (150, 75) to B's left side (250, 75); its anchor sits at
// (200, 75), its label "Label" is centred on (200, 30).
class EditActorEdgesTest : public ::testing::Test {
protected:
    TKXDiagramBox Box;
    TKXEditActor Actor;
    TKXCustomVertex *A = nullptr;
    TKXCustomVertex *B = nullptr;
    TKXCustomEdge *E = nullptr;
    std::vector<TPopup> Popups;

    void SetUp() override
    {
        Box.resize(400, 300);
        Box.SetColor(clWhite);
        Box.SetActor(&Actor);
        Actor.OnPopup = [this](TKXObject *sender, TPoint p) { Popups.push_back({sender, p}); };
        A = static_cast<TKXCustomVertex *>(Box.AddObject(new TKXCustomVertex(TPoint{100, 75}), moLoaded));
        B = static_cast<TKXCustomVertex *>(Box.AddObject(new TKXCustomVertex(TPoint{300, 75}), moLoaded));
        auto *edge = new TKXCustomEdge(A, B, {150, 75}, {250, 75});
        edge->Adjacent->Caption = "Label";
        edge->Adjacent->MoveBy({0, -45});
        E = static_cast<TKXCustomEdge *>(Box.AddObject(edge, moLoaded));
        Box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Box));
        Fresh();
    }

    void Press(QPoint p, Qt::MouseButton b = Qt::LeftButton) { QTest::mousePress(&Box, b, Qt::NoModifier, p); }
    void Release(QPoint p, Qt::MouseButton b = Qt::LeftButton) { QTest::mouseRelease(&Box, b, Qt::NoModifier, p); }
    void Click(QPoint p, Qt::MouseButton b = Qt::LeftButton)
    {
        Press(p, b);
        Release(p, b);
    }
    void Move(QPoint p) { QTest::mouseMove(&Box, p); }

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
    std::vector<TPoint> Path() const
    {
        std::vector<TPoint> path;
        for (const auto &handle : E->Handles)
            path.push_back(handle->Position);
        return path;
    }
    TPoint AnchorAt() const { return E->Adjacent->Anchor->Position; }
};

TEST_F(EditActorEdgesTest, ClickOnTheSelectedEdgeInsertsABendAtTheReleasePointAtAnyScale)
{
    Box.SetScale(200);
    Box.SelectObject(E, false);
    Fresh();
    // Pixel (361, 153) is the diagram point (180, 76): one unit beside the segment.
    Press({361, 153});
    EXPECT_EQ(Actor.State, esInsertBend);
    Release({361, 153});
    EXPECT_EQ(Path(), (std::vector<TPoint>{{150, 75}, {180, 75}, {250, 75}}));
    EXPECT_EQ(E->Handles[1]->HandleKind, hkBend);
    EXPECT_EQ(AnchorAt(), (TPoint{200, 75}));
    EXPECT_EQ(Box.Selection, TObjects{E});
    EXPECT_EQ(Window(), Fresh());

    // A press on the edge and a release beside every segment insert nothing.
    Press({440, 153});
    EXPECT_EQ(Actor.State, esInsertBend);
    Release({440, 180});
    EXPECT_EQ(E->Handles.size(), 3u);
}

TEST_F(EditActorEdgesTest, RightClickOnABendOfTheSelectedEdgeRemovesItAndPopsUpWithNil)
{
    E->InsertBendPoint({180, 76});
    Box.SelectObject(E, false);
    Fresh();
    Press({180, 75}, Qt::RightButton);
    EXPECT_EQ(Actor.State, esRemoveBend);
    Release({180, 75}, Qt::RightButton);
    EXPECT_EQ(Path(), (std::vector<TPoint>{{150, 75}, {250, 75}}));
    ASSERT_EQ(Popups.size(), 1u);
    EXPECT_EQ(Popups[0].Sender, nullptr);
    EXPECT_EQ(Popups[0].P, Box.ClientToScreen({180, 75}));
    EXPECT_EQ(Actor.Current, nullptr);
    EXPECT_EQ(Box.Selection, TObjects{E});
    EXPECT_EQ(Window(), Fresh());
}

TEST_F(EditActorEdgesTest, RightClickOnAnEndOfTheSelectedEdgeKeepsThePath)
{
    Box.SelectObject(E, false);
    Click({250, 75}, Qt::RightButton);
    EXPECT_EQ(Path(), (std::vector<TPoint>{{150, 75}, {250, 75}}));
    ASSERT_EQ(Popups.size(), 1u);
    EXPECT_EQ(Popups[0].Sender, nullptr);
    EXPECT_EQ(B->Links, TObjects{E->Handles.back().get()});
}

TEST_F(EditActorEdgesTest, EndHandleFollowsTheMouseOnlyInsideItsVertex)
{
    Press({250, 75});
    EXPECT_EQ(Actor.Current, E->Handles.back().get());
    EXPECT_EQ(Box.Selection, TObjects{E});
    Move({270, 90});
    EXPECT_EQ(Path(), (std::vector<TPoint>{{150, 75}, {270, 90}}));
    EXPECT_EQ(AnchorAt(), (TPoint{210, 82}));  // (210, 82.5)
    Move({370, 90});   // by (100, 0) to (370, 90), beyond B's right side: refused
    Move({365, 101});  // by (-5, 11) to (265, 101), below B: refused
    EXPECT_EQ(Path(), (std::vector<TPoint>{{150, 75}, {270, 90}}));
    Move({355, 111});  // by (-10, 10) to (260, 100), on B's bottom side
    Release({355, 111});
    EXPECT_EQ(Path(), (std::vector<TPoint>{{150, 75}, {260, 100}}));
    EXPECT_EQ(Actor.Current, E->Handles.back().get());
    EXPECT_EQ(Window(), Fresh());
}

TEST_F(EditActorEdgesTest, AnchorSlidesAlongTheFirstSegmentAndItsLabelIsSelected)
{
    Press({200, 75});
    EXPECT_EQ(Actor.Current, E->Adjacent->Anchor.get());
    EXPECT_EQ(Box.Selection, TObjects{E->Adjacent.get()});
    const QImage pressed = Window();
    Move({215, 90});
    Move({230, 95});
    EXPECT_EQ(AnchorAt(), (TPoint{230, 75}));
    EXPECT_NE(Window(), pressed);
    E->Adjacent->DrawOutline(*Box.OwnCanvas(), Box.Scale());
    EXPECT_EQ(Window(), pressed);
    E->Adjacent->DrawOutline(*Box.OwnCanvas(), Box.Scale());
    Release({230, 95});
    EXPECT_EQ(AnchorAt(), (TPoint{230, 75}));
    EXPECT_EQ(Path(), (std::vector<TPoint>{{150, 75}, {250, 75}}));
    EXPECT_EQ(Window(), Fresh());
}

TEST_F(EditActorEdgesTest, LabelDragMovesTheLabelButNotItsAnchor)
{
    const TRect bounds = E->Adjacent->Bounds;
    ASSERT_LT(bounds.Left, 200);
    ASSERT_GT(bounds.Bottom, 30);
    Press({200, 30});
    EXPECT_EQ(Actor.Current, E->Adjacent.get());
    EXPECT_EQ(Box.Selection, TObjects{E});
    Move({210, 40});
    Move({220, 50});
    Release({220, 50});
    EXPECT_EQ(E->Adjacent->Position, (TPoint{220, 50}));
    EXPECT_EQ(AnchorAt(), (TPoint{200, 75}));
    EXPECT_EQ(Window(), Fresh());
    EXPECT_TRUE(PointInRect({220, 50}, E->Adjacent->Bounds));
}

TEST_F(EditActorEdgesTest, ClickOnTheLabelSelectsTheLabelItself)
{
    Press({200, 30});
    EXPECT_EQ(Box.Selection, TObjects{E});
    Release({200, 30});
    EXPECT_EQ(Box.Selection, TObjects{E->Adjacent.get()});
    EXPECT_TRUE(E->Adjacent->Selected);
    EXPECT_FALSE(E->Selected);
    EXPECT_EQ(Window(), Fresh());
}

}
