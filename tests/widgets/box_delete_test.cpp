#include "KXGR/widgets/KXDiagramBox.h"

#include "KXGR/core/KXEdge.h"
#include "KXGR/core/KXVertex.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

using TObjects = std::vector<TKXObject *>;

// Three vertices in a row and the three edges a-b, b-c, c-a between them.
class BoxDeleteTest : public ::testing::Test {
protected:
    TKXDiagramBox Box;
    TKXCustomVertex *A = nullptr, *B = nullptr, *C = nullptr;
    TKXCustomEdge *AB = nullptr, *BC = nullptr, *CA = nullptr;

    void SetUp() override
    {
        Box.resize(400, 200);
        A = AddVertex({60, 60});
        B = AddVertex({200, 60});
        C = AddVertex({340, 60});
        AB = AddEdge(A, B);
        BC = AddEdge(B, C);
        CA = AddEdge(C, A);
    }
    TKXCustomVertex *AddVertex(TPoint centre)
    {
        return static_cast<TKXCustomVertex *>(Box.AddObject(new TKXCustomVertex(centre), moNew));
    }
    TKXCustomEdge *AddEdge(TKXCustomVertex *from, TKXCustomVertex *to)
    {
        const TPoint start{(from->Left + from->Right) / 2, from->Bottom};
        const TPoint end{(to->Left + to->Right) / 2, to->Bottom};
        return static_cast<TKXCustomEdge *>(Box.AddObject(new TKXCustomEdge(from, to, start, end), moNew));
    }
    static TObjects All(const TKXObjectList &list)
    {
        TObjects all;
        for (const auto &obj : list)
            all.push_back(obj.get());
        return all;
    }
};

TEST_F(BoxDeleteTest, DeletingAVertexTakesItsEdgesAndKeepsListsIdsSelectionAndHitsConsistent)
{
    const int32_t idB = B->Id;
    Box.SelectObject(B, false);
    Box.SelectObject(A, true);
    Box.ClearSelection();
    Box.SelectObject(B, false);
    Box.SelectObject(CA, true);
    Box.SelectObject(C, true);
    Box.DeleteObject(B);

    EXPECT_EQ(All(Box.Vertices), (TObjects{A, C}));
    EXPECT_EQ(All(Box.Edges), (TObjects{CA}));
    EXPECT_EQ(Box.Selection, (TObjects{CA, C}));
    EXPECT_EQ(Box.Vertices.FindById(idB), nullptr);
    EXPECT_EQ(Box.Vertices.FindById(C->Id), C);
    // Only the surviving edge's ends stay attached.
    EXPECT_EQ(A->Links, TObjects{CA->Handles.back().get()});
    EXPECT_EQ(C->Links, TObjects{CA->Handles.front().get()});
    EXPECT_EQ(Box.ObjectAt({200, 60}), nullptr);
    EXPECT_EQ(Box.ObjectAt({60, 60}), A);

    // What stays selected can be deleted next; the rest of the box is then gone.
    Box.DeleteSelection();
    EXPECT_EQ(All(Box.Vertices), (TObjects{A}));
    EXPECT_TRUE(Box.Edges.Empty());
    EXPECT_TRUE(Box.Selection.empty());
    EXPECT_TRUE(A->Links.empty());
    // Selecting again after a delete lists each object once.
    Box.SelectObject(A, true);
    Box.SelectObject(A, true);
    EXPECT_EQ(Box.Selection, TObjects{A});
}

TEST_F(BoxDeleteTest, PartsInTheSelectionLeaveWithTheirOwnerAndAreNotDeletedAlone)
{
    Box.SelectObject(AB->Adjacent.get(), false);
    Box.SelectObject(BC->Handles.front().get(), true);
    Box.SelectObject(C, true);
    TKXEditActor actor;
    Box.SetActor(&actor);
    actor.Current = AB->Handles.back().get();

    Box.DeleteObject(AB);
    EXPECT_EQ(Box.Selection, (TObjects{BC->Handles.front().get(), C}));
    EXPECT_EQ(actor.Current, nullptr);

    // A label or handle handed to DeleteObject, nullptr, or an object the box does not hold,
    // changes nothing; neither does DeleteSelection for selected parts only.
    TKXCustomVertex stranger(TPoint{0, 0});
    Box.DeleteObject(BC->Adjacent.get());
    Box.DeleteObject(BC->Handles.front().get());
    Box.DeleteObject(nullptr);
    Box.DeleteObject(&stranger);
    Box.SelectObject(BC->Handles.front().get(), false);
    Box.DeleteSelection();
    EXPECT_EQ(All(Box.Edges), (TObjects{BC, CA}));
    EXPECT_EQ(All(Box.Vertices), (TObjects{A, B, C}));
}

TEST_F(BoxDeleteTest, TheHostIsAskedOnceForEachRequestedObjectAndMayRefuse)
{
    TObjects asked;
    Box.OnDeleteObject = [&](TKXObject *&obj, TKXMode) {
        asked.push_back(obj);
        return obj != C;
    };
    // Adding, selecting, moving and loading never ask.
    AddVertex({200, 150});
    Box.SelectObject(A, false);
    Box.SelectInRect({0, 0, 400, 200}, false);
    Box.MoveSelection({1, 1});
    EXPECT_TRUE(asked.empty());

    Box.ClearSelection();
    Box.SelectObject(C, false);
    Box.SelectObject(AB, true);
    Box.DeleteSelection();
    EXPECT_EQ(asked, (TObjects{C, AB}));
    EXPECT_EQ(All(Box.Edges), (TObjects{BC, CA}));
    EXPECT_EQ(Box.Selection, TObjects{C});

    // A handler that raises leaves the box as it was.
    Box.OnDeleteObject = [](TKXObject *&, TKXMode) -> bool { throw std::runtime_error("no"); };
    EXPECT_THROW(Box.DeleteObject(A), std::runtime_error);
    EXPECT_EQ(Box.Vertices.Count(), 4u);
    EXPECT_EQ(Box.Edges.Count(), 2u);
}

TEST_F(BoxDeleteTest, TheNextPaintShowsTheDiagramWithoutTheDeletedObjects)
{
    Box.Paint();
    const QRgb background = Box.WindowImage().pixel(5, 5);
    const int32_t x = B->Left;
    ASSERT_NE(Box.WindowImage().pixel(x, 40), background);
    Box.DeleteObject(B);
    Box.Paint();
    EXPECT_EQ(Box.WindowImage().pixel(x, 40), background);
    EXPECT_NE(Box.WindowImage().pixel(A->Left, 40), background);
}

}
