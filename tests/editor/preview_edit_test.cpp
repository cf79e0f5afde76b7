// The preview's item mode, the size strip and the sample texts, driven on the real window.
#include "editor_fixture.h"

#include "KXGR/widgets/KXItemActor.h"
#include "KXGR/widgets/KXQtCanvas.h"

#include <QUndoStack>

namespace {

class PreviewEdit : public EditorTest {
protected:
    // Style1 with a frame growing both ways, a box, and a title growing horizontally on top.
    void FramedStyle()
    {
        NewStyle();
        TKXDrawItem &frame = *Style().DrawItems.emplace_back(std::make_unique<TKXDrawItem>());
        std::tie(frame.Name, frame.Growth, frame.BrushStyle) = std::tuple("frame", igBoth, bsClear);
        TKXDrawItem &box = *Style().DrawItems.emplace_back(std::make_unique<TKXDrawItem>());
        std::tie(box.Name, box.Shape, box.X1, box.Y1, box.X2, box.Y2, box.BrushColor) =
            std::tuple("box", isEllipse, 10, 20, 40, 40, 0x0000FF);
        TKXTextItem &title = *Style().TextItems.emplace_back(std::make_unique<TKXTextItem>());
        std::tie(title.Name, title.X2, title.Y1, title.Y2, title.Growth, title.FontName, title.FontSize, title.BackStyle) =
            std::tuple("Title", 100, 2, 16, igHorizontal, "Arial", 8, bsClear);
        W->RefreshPreview();
    }

    static TRect Placement(const TKXDrawItem &i) { return {i.X1, i.Y1, i.X2, i.Y2}; }
    static TRect Placement(const TKXTextItem &i) { return {i.X1, i.Y1, i.X2, i.Y2}; }
    TRect Fields() const
    {
        return {W->edX1->text().toInt(), W->edY1->text().toInt(), W->edX2->text().toInt(), W->edY2->text().toInt()};
    }

    // What the preview box shows of its vertex: its rectangle, right and bottom side included.
    QImage PreviewVertexPixels() const
    {
        const TKXVertex &v = *Preview();
        return PreviewImage().copy(v.Left, v.Top, v.Right - v.Left + 1, v.Bottom - v.Top + 1);
    }
};

// The strip's cells are the style painted by the vertex at each size; the last cell follows the
// preview vertex and has exactly the preview's pixels.
TEST_F(PreviewEdit, TheSizeStripPaintsTheStyleAtEachSizeAsThePreviewDoes)
{
    FramedStyle();
    TSizeStrip *strip = W->SizeStrip;
    QApplication::processEvents();
    ASSERT_EQ(strip->PaintedSizes(), (std::vector<TPoint>{{50, 25}, {100, 50}, {200, 100}, {100, 50}}));

    const auto check = [&] {
        const QImage shown = strip->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const std::vector<TPoint> sizes = strip->PaintedSizes();
        for (size_t i = 0; i < sizes.size(); ++i) {
            // The reference: the preview's style copy on a vertex of that size, painted directly.
            QImage expected(sizes[i].X + 1, sizes[i].Y + 1, QImage::Format_RGB32);
            expected.fill(ToQColor(clInfoBk));
            std::unique_ptr<TKXVertex> v = TKXVertex::CreateAt({0, 0});
            v->Left = v->Top = 0;
            v->Right = sizes[i].X;
            v->Bottom = sizes[i].Y;
            v->Style->AssignStyle(*Preview()->Style);
            v->AdjustHandles();
            TKXQtCanvas canvas(&expected);
            v->Draw(canvas, 100, dmScreen);
            canvas.End();
            EXPECT_EQ(shown.copy(strip->CellRect(i)), expected) << "cell " << i;
        }
        EXPECT_EQ(shown.copy(strip->CellRect(sizes.size() - 1)), PreviewVertexPixels());
    };
    check();

    // Resizing the preview vertex by its corner: the strip's last cell follows.
    const QPoint origin = W->KXB->contentsRect().topLeft();
    QTest::mouseClick(W->KXB, Qt::LeftButton, {}, origin + QPoint(132, 60 + 32));
    Drag({182, 117}, {222, 147});
    W->KXB->ClearSelection();
    QApplication::processEvents();
    EXPECT_EQ(strip->PaintedSizes().back(), (TPoint{140, 80}));
    check();

    // Other sizes typed; a bad one is reported and changes nothing.
    Type(W->edSizes, QStringLiteral("80 x 40  160x40"));
    QTest::keyClick(W->edSizes, Qt::Key_Return);
    EXPECT_EQ(strip->PaintedSizes(), (std::vector<TPoint>{{80, 40}, {160, 40}, {140, 80}}));
    check();
    Type(W->edSizes, QStringLiteral("80x40 0x5"));
    QTest::keyClick(W->edSizes, Qt::Key_Return);
    EXPECT_EQ(Recorder.Texts(), (Strings{"'0x5' is no size from 1 x 1 to 2000 x 2000 (width x height)."}));
    EXPECT_EQ(strip->Sizes(), (std::vector<TPoint>{{80, 40}, {160, 40}}));
}

// A sample text replaces <<Name>> in the preview; the library and its file never see it.
TEST_F(PreviewEdit, SampleTextsShowInThePreviewAndNeverInTheFile)
{
    FramedStyle();
    W->OD.FileName.clear();
    Save(Path("before.uol"));
    const QImage named = PreviewImage();

    ShowTab(W->pcEditor, W->TabSheet2);
    Type(W->TINameCB, QStringLiteral("Title"));
    EXPECT_EQ(W->TISampleCB->currentIndex(), int(skName));
    EXPECT_EQ(W->edTISample->text(), "<<Title>>");

    Pick(W->TISampleCB, skLong);
    EXPECT_EQ(W->UOLibGetData(0, "Title", nullptr), TSampleTexts::PresetText(skLong));
    const QImage longText = PreviewImage();
    EXPECT_NE(longText, named);
    Pick(W->TISampleCB, skEmpty);
    const QImage empty = PreviewImage();
    EXPECT_NE(empty, longText);
    Type(W->edTISample, QStringLiteral("ACME Ltd."));  // typing makes a custom sample
    EXPECT_EQ(W->TISampleCB->currentIndex(), int(skCustom));
    EXPECT_EQ(W->UOLibGetData(0, "Title", nullptr), "ACME Ltd.");
    EXPECT_NE(PreviewImage(), empty);

    // The preview's text is the sample, drawn where <<Title>> was; the item keeps its own text.
    EXPECT_EQ(Preview()->Style->TextItems[0]->Text, "ACME Ltd.");
    EXPECT_EQ(Style().TextItems[0]->Text, "");
    Save(Path("after.uol"));
    EXPECT_EQ(ReadFileBytes(Path("before.uol")), ReadFileBytes(Path("after.uol")));

    // Back to the name: the preview looks as at the start.
    Pick(W->TISampleCB, skName);
    EXPECT_EQ(PreviewImage(), named);
    EXPECT_TRUE(Messages.empty());
}

// "Edit items" on: a click picks the topmost item and shows it on its page, a drag moves it on
// the grid, a handle resizes it (Shift leaves the grid), the fields follow, growth rules hold;
// each drag is one undo step.
TEST_F(PreviewEdit, ItemsArePickedMovedAndResizedInThePreviewOneUndoStepEach)
{
    FramedStyle();  // vertex (82, 67)-(182, 117): box at (92, 87)-(122, 107), title over the top
    W->UndoStack->clear();
    const TBytes start = Bytes();
    QTest::mouseClick(W->btnEditItems, Qt::LeftButton);
    ASSERT_EQ(W->KXB->Actor(), W->ItemActor);

    QTest::mouseClick(W->KXB, Qt::LeftButton, {}, W->KXB->contentsRect().topLeft() + QPoint(130, 75));
    EXPECT_EQ(W->pcEditor->currentWidget(), W->TabSheet2);
    EXPECT_EQ(W->TINameCB->currentText(), "Title");
    QTest::mouseClick(W->KXB, Qt::LeftButton, {}, W->KXB->contentsRect().topLeft() + QPoint(107, 97));
    EXPECT_EQ(W->pcEditor->currentWidget(), W->TabSheet1);
    EXPECT_EQ(W->DINameCB->currentText(), "box");
    EXPECT_EQ(Fields(), (TRect{10, 20, 40, 40}));

    Drag({107, 97}, {120, 91});  // by (13, -6): the top-left corner lands on the 5-unit grid
    EXPECT_EQ(Placement(*Style().DrawItems[1]), (TRect{25, 15, 55, 35}));
    EXPECT_EQ(Fields(), (TRect{25, 15, 55, 35}));
    EXPECT_EQ(Placement(*Preview()->Style->DrawItems[1]), (TRect{25, 15, 55, 35}));

    Drag({137, 102}, {150, 110}, Qt::ShiftModifier);  // the bottom-right handle, off the grid
    EXPECT_EQ(Placement(*Style().DrawItems[1]), (TRect{25, 15, 68, 43}));
    EXPECT_EQ(Fields(), (TRect{25, 15, 68, 43}));

    // The title grows horizontally: it only moves up and down.
    Drag({130, 75}, {160, 95});
    EXPECT_EQ(Placement(*Style().TextItems[0]), (TRect{0, 20, 100, 34}));
    EXPECT_EQ(W->edTIY1->text(), "20");
    // The frame grows both ways: picked, but it stays.
    Drag({84, 115}, {100, 100});
    EXPECT_EQ(W->DINameCB->currentText(), "frame");
    EXPECT_EQ(Placement(*Style().DrawItems[0]), (TRect{0, 0, 0, 0}));
    EXPECT_EQ(W->ItemActor->Picked(), (TKXItemRef{false, 0}));
    // Empty space picks nothing; the vertex itself never moved.
    QTest::mouseClick(W->KXB, Qt::LeftButton, {}, W->KXB->contentsRect().topLeft() + QPoint(20, 20));
    EXPECT_EQ(W->ItemActor->Picked(), std::nullopt);
    EXPECT_EQ(Bounds(), (TRect{82, 67, 182, 117}));

    // Three steps; undo takes them back one by one, the fields and the preview following.
    const TBytes moved = Bytes();
    ASSERT_EQ(W->UndoStack->count(), 3);
    EXPECT_EQ(W->Undo1->text(), "&Undo Move 'Title'");
    Run(W->Undo1);
    EXPECT_EQ(Placement(*Style().TextItems[0]), (TRect{0, 2, 100, 16}));
    EXPECT_EQ(W->Undo1->text(), "&Undo Resize 'box'");
    Run(W->Undo1);
    EXPECT_EQ(Placement(*Style().DrawItems[1]), (TRect{25, 15, 55, 35}));
    EXPECT_EQ(Placement(*Preview()->Style->DrawItems[1]), (TRect{25, 15, 55, 35}));
    EXPECT_EQ(W->DINameCB->currentText(), "box");
    EXPECT_EQ(Fields(), (TRect{25, 15, 55, 35}));
    Run(W->Undo1);
    EXPECT_EQ(Placement(*Style().DrawItems[1]), (TRect{10, 20, 40, 40}));
    EXPECT_EQ(Bytes(), start);
    for (int i = 0; i < 3; ++i)
        Run(W->Redo1);
    EXPECT_EQ(Bytes(), moved);

    // Off again: the preview resizes its vertex as before.
    QTest::mouseClick(W->btnEditItems, Qt::LeftButton);
    EXPECT_EQ(W->KXB->Actor(), W->KXEditActor1);
    EXPECT_TRUE(Messages.empty());
}

}  // namespace
