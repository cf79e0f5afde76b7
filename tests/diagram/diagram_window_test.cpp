// The diagram program's window built for real and driven offscreen with QTest mouse and key
// events; dialogs and message boxes are answered through their seams.
#include "DataVertex.h"
#include "uDiagram.h"
#include "uDiagramView.h"
#include "uPalette.h"

#include "core/TestFiles.h"
#include "core/TestStyles.h"

#include "KXGR/core/KXEdge.h"
#include "KXGR/widgets/KXConnectActor.h"
#include "KXGR/widgets/KXQtConvert.h"

#include <QApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPrinter>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Box: white frame growing both ways with the texts Title and Note; Round: a rounded
// rectangle; Oval: an ellipse.
TKXUOLibrary &FillLibrary(TKXUOLibrary &library, TColor frameColor = clBlack)
{
    auto box = MakeExampleStyle();
    box->Name = "Box";
    box->DrawItems[0]->PenColor = frameColor;
    TKXTextItem &note = AddTextItem(*box, "Note", {5, 25, 95, 45});
    std::tie(note.FontName, note.FontSize, note.BackStyle) = std::tuple("Arial", 8, bsClear);
    library.AddStyle(std::move(box));
    auto round = NamedStyle("Round");
    TKXDrawItem &r = AddDrawItem(*round, "Shape", {0, 0, 100, 50});
    std::tie(r.Shape, r.Growth, r.BrushColor) = std::tuple(isRoundRect, igBoth, 0xC0FFC0);
    library.AddStyle(std::move(round));
    auto oval = NamedStyle("Oval");
    TKXDrawItem &o = AddDrawItem(*oval, "Shape", {0, 0, 100, 50});
    std::tie(o.Shape, o.Growth, o.BrushColor) = std::tuple(isEllipse, igBoth, 0xFFE0C0);
    library.AddStyle(std::move(oval));
    return library;
}

struct TVertexRecord {
    std::string ClassName, Style;
    int32_t Id;
    TRect Sides;
    TKXDataVertex::TValues Values;
    bool operator==(const TVertexRecord &) const = default;
};
struct TEdgeRecord {
    int32_t Id, Source, Target;
    std::vector<TPoint> Path;
    std::string Caption;
    TPoint Anchor;
    bool operator==(const TEdgeRecord &) const = default;
};

class DiagramWindowTest : public TScratchDirTest {
protected:
    std::unique_ptr<TfrmDiagram> W;
    TDiagramView *Box = nullptr;
    std::vector<TMessage> Messages;
    TMsgDlgBtn Reply = mbYes;
    TMessageHook PreviousHook;
    std::string LibraryFile;

    void SetUp() override
    {
        TScratchDirTest::SetUp();
        PreviousHook = SetMessageHook([this](const TMessage &m) {
            Messages.push_back(m);
            return Reply;
        });
        W = std::make_unique<TfrmDiagram>();
        W->resize(1000, 700);
        W->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(W.get()));
        Box = W->KXB;
        TKXUOLibrary library;
        LibraryFile = Path("shapes.uol");
        FillLibrary(library).SaveToFile(LibraryFile);
        W->LibraryDialog.Answer = [this](TFileDialog &d) { d.FileName = LibraryFile; return true; };
        W->actOpenLibrary->trigger();
        ASSERT_EQ(W->Palette->count(), 3);
    }
    void TearDown() override
    {
        W->UndoStack.setClean();  // no question at closing
        W.reset();
        SetMessageHook(PreviousHook);
        TScratchDirTest::TearDown();
    }

    // Picks a style in the palette with a click and clicks on the diagram to place it.
    TKXDataVertex *PickAndPlace(const std::string &style, QPoint at)
    {
        QListWidgetItem *item = W->Palette->ItemOf(style);
        QTest::mouseClick(W->Palette->viewport(), Qt::LeftButton, {},
                          W->Palette->visualItemRect(item).center());
        QTest::mouseClick(Box, Qt::LeftButton, {}, at);
        return static_cast<TKXDataVertex *>(Box->Vertices.Last());
    }
    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers keys = {})
    {
        QTest::mousePress(Box, Qt::LeftButton, keys, from);
        QTest::mouseMove(Box, (from + to) / 2);
        QTest::mouseMove(Box, to);
        QTest::mouseRelease(Box, Qt::LeftButton, keys, to);
    }
    TKXCustomEdge *Edge(std::size_t i) const { return static_cast<TKXCustomEdge *>(Box->Edges[i]); }
    TKXDataVertex *Vertex(std::size_t i) const { return static_cast<TKXDataVertex *>(Box->Vertices[i]); }

    // Two placed vertices A at (150, 150) and B at (450, 150), connected.
    void BuildPair()
    {
        PickAndPlace("Box", {150, 150});
        PickAndPlace("Round", {450, 150});
        W->actConnectMode->trigger();
        Drag({150, 150}, {450, 160});
        W->actEditMode->trigger();
        ASSERT_EQ(Box->Edges.Count(), 1u);
    }

    std::vector<TVertexRecord> VertexRecords() const
    {
        std::vector<TVertexRecord> records;
        for (const auto &o : Box->Vertices) {
            auto *v = static_cast<TKXDataVertex *>(o.get());
            records.push_back({v->ClassType().ClassName, v->StyleName(), v->Id,
                               {v->Left, v->Top, v->Right, v->Bottom}, v->Values()});
        }
        return records;
    }
    std::vector<TEdgeRecord> EdgeRecords() const
    {
        std::vector<TEdgeRecord> records;
        for (const auto &o : Box->Edges) {
            auto *e = static_cast<TKXCustomEdge *>(o.get());
            TEdgeRecord r{e->Id, e->Source->Id, e->Target->Id, {}, e->Adjacent->Caption,
                          e->Adjacent->Anchor->Position};
            for (const auto &h : e->Handles)
                r.Path.push_back(h->Position);
            records.push_back(r);
        }
        return records;
    }
    QLineEdit *Field(const char *name) const { return W->Properties->findChild<QLineEdit *>(name); }
    void Type(QLineEdit *edit, const QString &text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    QImage Shown()
    {
        Box->Paint();
        QApplication::processEvents();
        return Box->WindowImage().copy();
    }
    // Dark pixels inside a rectangle of the window picture.
    static int InkIn(const QImage &image, QRect r)
    {
        int ink = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                ink += qGray(image.pixel(x, y)) < 100;
        return ink;
    }
};

TEST_F(DiagramWindowTest, PlacesFromThePaletteByClickAndByDropAndUndoesEach)
{
    TKXDataVertex *a = PickAndPlace("Box", {200, 120});
    ASSERT_EQ(Box->Vertices.Count(), 1u);
    EXPECT_EQ((TRect{a->Left, a->Top, a->Right, a->Bottom}), (TRect{150, 95, 250, 145}));
    EXPECT_EQ(a->StyleName(), "Box");
    EXPECT_TRUE(W->Palette->PickedStyle().empty()) << "a pick places once";
    QTest::mouseClick(Box, Qt::LeftButton, {}, {600, 500});
    EXPECT_EQ(Box->Vertices.Count(), 1u);

    QMimeData data;
    data.setData(QLatin1String(StyleMimeType), "Oval");
    QDragEnterEvent enter(QPoint(400, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(Box, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(400, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(Box, &drop);
    EXPECT_TRUE(Messages.empty()) << (Messages.empty() ? "" : Messages[0].Text);
    ASSERT_EQ(Box->Vertices.Count(), 2u);
    EXPECT_EQ(Vertex(1)->StyleName(), "Oval");
    EXPECT_EQ(Vertex(1)->Left, 350);
    EXPECT_TRUE(W->Modified());

    W->actUndo->trigger();
    EXPECT_EQ(Box->Vertices.Count(), 1u);
    W->actUndo->trigger();
    EXPECT_EQ(Box->Vertices.Count(), 0u);
    EXPECT_FALSE(W->Modified());
    W->actRedo->trigger();
    W->actRedo->trigger();
    ASSERT_EQ(Box->Vertices.Count(), 2u);
    EXPECT_EQ(Vertex(1)->StyleName(), "Oval");
    EXPECT_EQ(Vertex(0)->Style->DrawItems.size(), 1u) << "a restored vertex keeps its look";
}

TEST_F(DiagramWindowTest, ConnectsTwoVerticesAndRefusesEmptySpaceAndEscape)
{
    PickAndPlace("Box", {150, 150});
    PickAndPlace("Round", {450, 150});
    const int steps = W->UndoStack.count();
    W->actConnectMode->trigger();
    Drag({150, 150}, {450, 300});  // empty space
    EXPECT_EQ(Box->Edges.Count(), 0u);
    QTest::mousePress(Box, Qt::LeftButton, {}, {150, 150});
    QTest::mouseMove(Box, {450, 150});
    QTest::keyClick(W.get(), Qt::Key_Escape);
    QTest::mouseRelease(Box, Qt::LeftButton, {}, {450, 150});
    EXPECT_EQ(Box->Edges.Count(), 0u);
    EXPECT_EQ(W->UndoStack.count(), steps) << "nothing made, nothing to undo";

    Drag({150, 150}, {450, 160});
    ASSERT_EQ(Box->Edges.Count(), 1u);
    EXPECT_EQ(Edge(0)->Source, Vertex(0));
    EXPECT_EQ(Edge(0)->Target, Vertex(1));
    EXPECT_EQ(W->UndoStack.undoText(), QStringLiteral("Connect"));
    W->actUndo->trigger();
    EXPECT_EQ(Box->Edges.Count(), 0u);
    EXPECT_TRUE(Vertex(0)->Links.empty());
    W->actRedo->trigger();
    ASSERT_EQ(Box->Edges.Count(), 1u);
    EXPECT_EQ(Edge(0)->Source, Vertex(0)) << "the edge attaches to the restored vertices";
}

TEST_F(DiagramWindowTest, AddsAndRemovesABendAndMovesAVertexWithItsEdgeUndoingEach)
{
    BuildPair();
    const TPoint start = Edge(0)->Handles.front()->Position, end = Edge(0)->Handles.back()->Position;
    const QPoint onEdge((start.X + end.X) / 2 + 40, (start.Y + end.Y) / 2);
    QTest::mouseClick(Box, Qt::LeftButton, {}, onEdge);  // selects the edge
    QTest::mouseClick(Box, Qt::LeftButton, {}, onEdge);  // inserts a bend
    ASSERT_EQ(Edge(0)->Handles.size(), 3u);
    const TPoint bend = Edge(0)->Handles[1]->Position;
    Drag({bend.X, bend.Y}, {bend.X, bend.Y + 80});
    EXPECT_EQ(Edge(0)->Handles[1]->Position, (TPoint{bend.X, bend.Y + 80}));
    QTest::mouseClick(Box, Qt::RightButton, {}, {bend.X, bend.Y + 80});
    EXPECT_EQ(Edge(0)->Handles.size(), 2u);

    W->actUndo->trigger();  // the removal
    ASSERT_EQ(Edge(0)->Handles.size(), 3u);
    EXPECT_EQ(Edge(0)->Handles[1]->Position, (TPoint{bend.X, bend.Y + 80}));
    W->actUndo->trigger();  // the drag
    W->actUndo->trigger();  // the insertion
    EXPECT_EQ(Edge(0)->Handles.size(), 2u);
    W->actRedo->trigger();
    EXPECT_EQ(Edge(0)->Handles.size(), 3u);

    const auto before = EdgeRecords();
    Drag({150, 150}, {150, 250});  // A down by 100
    EXPECT_EQ(Vertex(0)->Top, 225);
    EXPECT_EQ(Edge(0)->Handles.front()->Position.Y, before[0].Path.front().Y + 100);
    EXPECT_EQ(W->UndoStack.undoText(), QStringLiteral("Move"));
    W->actUndo->trigger();
    EXPECT_EQ(Vertex(0)->Top, 125);
    EXPECT_EQ(EdgeRecords(), before);
    W->actRedo->trigger();
    EXPECT_EQ(Vertex(0)->Top, 225);
}

TEST_F(DiagramWindowTest, EditsAValueAndALabelThatAreDrawnAndUndone)
{
    BuildPair();
    QTest::mouseClick(Box, Qt::LeftButton, {}, {150, 150});
    QLineEdit *title = Field("Title");
    ASSERT_NE(title, nullptr);
    ASSERT_NE(Field("Note"), nullptr);
    const QRect titleArea(105, 130, 90, 15);  // the Title item of A at (100, 125)
    const int blank = InkIn(Shown(), titleArea);
    Type(title, QStringLiteral("Pump 1"));
    EXPECT_EQ(Vertex(0)->Value("Title"), "Pump 1");
    EXPECT_GT(InkIn(Shown(), titleArea), blank + 20) << "the value is drawn";
    EXPECT_EQ(W->UndoStack.undoText(), QStringLiteral("Edit Title"));

    const TPoint start = Edge(0)->Handles.front()->Position;
    QTest::mouseClick(Box, Qt::LeftButton, {}, {start.X + 50, start.Y + 2});
    ASSERT_TRUE(Edge(0)->Selected);
    Type(Field("Caption"), QStringLiteral("flows"));
    EXPECT_EQ(Edge(0)->Adjacent->Caption, "flows");

    W->actUndo->trigger();
    EXPECT_EQ(Edge(0)->Adjacent->Caption, "");
    W->actUndo->trigger();
    EXPECT_EQ(Vertex(0)->Value("Title"), "");
    EXPECT_LE(InkIn(Shown(), titleArea), blank);
    W->actRedo->trigger();
    EXPECT_EQ(Vertex(0)->Value("Title"), "Pump 1");
}

TEST_F(DiagramWindowTest, DeletesAVertexWithItsEdgesAndEverythingAfterSelectAll)
{
    BuildPair();
    PickAndPlace("Oval", {300, 400});
    W->actConnectMode->trigger();
    Drag({300, 400}, {150, 150});
    W->actEditMode->trigger();
    ASSERT_EQ(Box->Edges.Count(), 2u);
    const auto vertices = VertexRecords();
    const auto edges = EdgeRecords();

    QTest::mouseClick(Box, Qt::LeftButton, {}, {150, 150});
    QTest::keyClick(Box, Qt::Key_Delete);
    EXPECT_EQ(Box->Vertices.Count(), 2u);
    EXPECT_EQ(Box->Edges.Count(), 0u) << "both edges of A went with it";
    EXPECT_EQ(W->UndoStack.undoText(), QStringLiteral("Delete"));
    W->actUndo->trigger();
    EXPECT_EQ(VertexRecords(), vertices);
    EXPECT_EQ(EdgeRecords(), edges);

    W->actSelectAll->trigger();
    EXPECT_EQ(Box->Selection.size(), 5u);
    W->actDelete->trigger();
    EXPECT_EQ(Box->Vertices.Count() + Box->Edges.Count(), 0u);
    W->actUndo->trigger();
    EXPECT_EQ(EdgeRecords(), edges);
    W->actRedo->trigger();
    EXPECT_EQ(Box->Vertices.Count(), 0u);
}

TEST_F(DiagramWindowTest, ZoomsAndScrollsThroughTheViewOrigin)
{
    PickAndPlace("Box", {150, 150});
    Box->SetViewOrigin({2000, 1000});
    TKXDataVertex *far = PickAndPlace("Oval", {100, 100});
    EXPECT_EQ((TPoint{far->Left + 50, far->Top + 25}), (TPoint{2100, 1100})) << "placed where it was clicked";
    W->actZoomFit->trigger();
    const TRect extent = Box->DiagramExtent();
    EXPECT_EQ(Box->ViewOrigin(), (TPoint{extent.Left, extent.Top}));
    EXPECT_LE(ScaleValue(extent.Right - extent.Left, Box->Scale()), Box->ClientWidth());
    EXPECT_LE(ScaleValue(extent.Bottom - extent.Top, Box->Scale()), Box->ClientHeight());
    const int fit = Box->Scale();
    W->actZoomIn->trigger();
    EXPECT_GT(Box->Scale(), fit);
    W->actZoomOut->trigger();
    W->actZoomOut->trigger();
    EXPECT_LT(Box->Scale(), fit);
}

TEST_F(DiagramWindowTest, SavesAndReopensBothFormsWithEveryObjectAndValue)
{
    BuildPair();
    Vertex(0)->SetValue("Title", "T\xe9st");
    Vertex(0)->SetValue("Note", "n");
    Edge(0)->Adjacent->Caption = "label";
    const TPoint start = Edge(0)->Handles.front()->Position;
    Edge(0)->InsertBendPoint({start.X + 60, start.Y});
    const auto vertices = VertexRecords();
    const auto edges = EdgeRecords();
    for (const char *name : {"d.kx", "d.kxt"}) {
        const std::string file = Path(name);
        W->SD.Answer = [&](TFileDialog &d) { d.FileName = file; return true; };
        W->actSaveAs->trigger();
        EXPECT_FALSE(W->Modified());
        EXPECT_EQ(W->TextForm(), std::string(name).ends_with("kxt"));
        W->actNew->trigger();
        EXPECT_EQ(Box->Vertices.Count(), 0u);
        W->OD.Answer = [&](TFileDialog &d) { d.FileName = file; return true; };
        W->actOpen->trigger();
        EXPECT_EQ(VertexRecords(), vertices) << name;
        EXPECT_EQ(EdgeRecords(), edges) << name;
        EXPECT_EQ(W->FileName(), file);
    }
    EXPECT_TRUE(Messages.empty());

    // A damaged file: the error box, and the diagram stays as it was.
    WriteFileBytes(Path("bad.kx"), BytesOf(std::string("\x06\x06KX1.00\x02\x05\x02\x00", 12)));
    W->OD.Answer = [&](TFileDialog &d) { d.FileName = Path("bad.kx"); return true; };
    W->actOpen->trigger();
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].DlgType, mtError);
    EXPECT_EQ(VertexRecords(), vertices);
    EXPECT_EQ(EdgeRecords(), edges);
}

TEST_F(DiagramWindowTest, UnsavedChangesAreGuarded)
{
    PickAndPlace("Box", {150, 150});
    Reply = mbCancel;
    W->actNew->trigger();
    EXPECT_EQ(Box->Vertices.Count(), 1u);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].DlgType, mtConfirmation);
    Reply = mbYes;  // save first: the save dialog is cancelled, so nothing is discarded
    W->SD.Answer = [](TFileDialog &) { return false; };
    W->actNew->trigger();
    EXPECT_EQ(Box->Vertices.Count(), 1u);
    Reply = mbNo;
    W->actNew->trigger();
    EXPECT_EQ(Box->Vertices.Count(), 0u);
}

TEST_F(DiagramWindowTest, ALibrarySavedAgainUpdatesThePlacedVerticesOnRequest)
{
    BuildPair();
    PickAndPlace("Oval", {300, 400});
    Drag({450, 150}, {450, 350});  // Round moved: its place must stay through the update
    W->SetValue(Vertex(0), "Title", "kept");
    const auto places = VertexRecords();
    const int steps = W->UndoStack.count();

    TKXUOLibrary changed;
    FillLibrary(changed, 0x0000FF);  // Box with a red frame
    changed.FindStyle("Round")->DrawItems[0]->Shape = isRectangle;
    TKXUOLibrary saved;
    for (const char *keep : {"Box", "Round"})
        saved.AddStyle(std::make_unique<TKXVertexStyle>())->AssignStyle(*changed.FindStyle(keep));
    saved.SaveToFile(LibraryFile);  // Oval is gone
    // The watcher reports the save.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Messages.size() == 1; }, 5000));
    EXPECT_NE(Messages[0].Text.find("Box, Round"), std::string::npos) << Messages[0].Text;
    EXPECT_NE(Messages[0].Text.find("no longer has the styles Oval"), std::string::npos);
    EXPECT_EQ(Vertex(0)->Style->DrawItems[0]->PenColor, 0x0000FFu);
    EXPECT_EQ(Vertex(1)->Style->DrawItems[0]->Shape, isRectangle);
    EXPECT_EQ(Vertex(2)->Style->DrawItems.size(), 1u) << "a vertex of a removed style keeps its look";
    EXPECT_EQ(VertexRecords(), places);
    EXPECT_EQ(Box->Edges.Count(), 1u);
    EXPECT_EQ(W->UndoStack.count(), steps + 1);
    EXPECT_EQ(W->Palette->count(), 2);

    W->actUndo->trigger();
    EXPECT_EQ(Vertex(0)->Style->DrawItems[0]->PenColor, clBlack);
    EXPECT_EQ(Vertex(1)->Style->DrawItems[0]->Shape, isRoundRect);
    EXPECT_EQ(VertexRecords(), places);
    W->actRedo->trigger();
    EXPECT_EQ(Vertex(0)->Style->DrawItems[0]->PenColor, 0x0000FFu);

    // Declined: nothing changes and nothing is recorded.
    Reply = mbNo;
    TKXUOLibrary green;
    FillLibrary(green, 0x00FF00).SaveToFile(LibraryFile);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Messages.size() == 2; }, 5000));
    EXPECT_EQ(Vertex(0)->Style->DrawItems[0]->PenColor, 0x0000FFu);
    EXPECT_EQ(W->UndoStack.count(), steps + 1);
}

TEST_F(DiagramWindowTest, PrintsAndExportsToFilesThatHoldTheDiagram)
{
    BuildPair();
    const std::string pdf = Path("d.pdf"), printed = Path("printed.pdf"), png = Path("d.png");
    W->ExportDialog.Answer = [&](TFileDialog &d) { d.FileName = pdf; return true; };
    W->actExportPdf->trigger();
    W->PrintDialog.Answer = [&](QPrinter &printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(printed));
        return true;
    };
    W->actPrint->trigger();
    W->ExportDialog.Answer = [&](TFileDialog &d) { d.FileName = png; return true; };
    W->actExportPng->trigger();
    EXPECT_TRUE(Messages.empty());
    for (const std::string &file : {pdf, printed})
        EXPECT_GT(ReadFileBytes(file).size(), 500u) << file;
    QImage picture(QString::fromStdString(png));
    ASSERT_FALSE(picture.isNull());
    EXPECT_GT(InkIn(picture, picture.rect()), 100);
}


// A small process diagram made the way a user makes it; the window's picture shows every
// vertex with its values and every label. DIAGRAM_SCREENSHOT names a file to keep it in.
TEST_F(DiagramWindowTest, ADiagramOfSeveralStylesShowsItsValuesLabelsAndSelection)
{
    W->resize(1200, 560);
    QApplication::processEvents();
    struct Placed { const char *style; QPoint at; const char *title; };
    const Placed placed[] = {{"Box", {130, 80}, "Intake"}, {"Round", {400, 80}, nullptr},
                             {"Box", {400, 300}, "Filter"}, {"Oval", {130, 300}, nullptr},
                             {"Box", {650, 300}, "Tank"}};
    for (const Placed &p : placed) {
        TKXDataVertex *v = PickAndPlace(p.style, p.at);
        if (p.title) {
            W->SetValue(v, "Title", p.title);
            W->SetValue(v, "Note", "ready");
        }
    }
    W->actConnectMode->trigger();
    for (auto [from, to] : {std::pair{0, 1}, {1, 2}, {2, 3}, {2, 4}})
        Drag(placed[from].at, placed[to].at);
    W->actEditMode->trigger();
    ASSERT_EQ(Box->Edges.Count(), 4u);
    const char *labels[] = {"raw", "pumped", "waste", "clean"};
    for (std::size_t i = 0; i < 4; ++i)
        W->SetCaption(Edge(i), labels[i]);
    // A bend on the edge to the tank, dragged down.
    const TPoint a = Edge(3)->Handles.front()->Position, b = Edge(3)->Handles.back()->Position;
    const QPoint mid((a.X + b.X) / 2 + 20, (a.Y + b.Y) / 2);
    QTest::mouseClick(Box, Qt::LeftButton, {}, mid);
    QTest::mouseClick(Box, Qt::LeftButton, {}, mid);
    ASSERT_EQ(Edge(3)->Handles.size(), 3u);
    Drag(mid, mid + QPoint(0, 90));
    QTest::mouseClick(Box, Qt::LeftButton, {}, placed[2].at);

    const QImage shown = Shown();
    for (const Placed &p : placed)
        EXPECT_GT(InkIn(shown, QRect(p.at - QPoint(50, 25), QSize(100, 50))), 30) << p.style;
    const QImage window = W->grab().toImage();
    EXPECT_FALSE(window.isNull());
    if (const char *file = std::getenv("DIAGRAM_SCREENSHOT"))
        window.save(QString::fromLocal8Bit(file));
}

} // namespace
