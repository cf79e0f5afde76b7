// Undo and redo on the real window: every kind of change to the library, driven by keys and
// mouse, each step checked by the bytes of the saved library.
#include "editor_fixture.h"

#include <QUndoStack>

#include <functional>

namespace {

class Undo : public EditorTest {
protected:
    // Shortcuts reach the window from the tree, which (unlike an edit) has no undo of its own.
    void Keys(QKeyCombination key)
    {
        QApplication::setActiveWindow(W.get());  // offscreen, a closed list popup stays the active window
        W->ProjectTree->setFocus();
        QTest::keyClick(W->ProjectTree, key.key(), key.keyboardModifiers());
    }

    // Types a draw item's name, shape and place and adds it.
    void AddItem(const char *name, int shape, const std::array<const char *, 4> &xyxy)
    {
        Type(W->DINameCB, name);
        Pick(W->DITypCB, shape);
        TypeCoords({W->edX1, W->edY1, W->edX2, W->edY2}, xyxy);
        Click(W->btnAdd);
    }

    // The preview shows the selected style as the library holds it.
    void ExpectPreviewFollows()
    {
        ASSERT_NE(W->CurrentStyle(), nullptr);
        ASSERT_NE(Preview()->Style, nullptr);
        EXPECT_EQ(Preview()->Style->DrawItems.size(), Style().DrawItems.size());
        EXPECT_EQ(Preview()->Style->TextItems.size(), Style().TextItems.size());
    }
};

TEST_F(Undo, EveryKindOfChangeUndoesAndRedoesToTheSameBytesAcrossASave)
{
    Run(W->New2);
    Root()->setExpanded(true);
    const std::pair<const char *, std::function<void()>> steps[] = {
        {"New Style 'Style1'", [&] { Run(W->New1); }},
        {"Add 'frame'", [&] { Select(Node(0)); AddItem("frame", 0, {"0", "0", "100", "50"}); }},
        {"Modify 'frame'", [&] { Type(W->edX2, "80"); Click(W->btnModify); }},
        {"Add 'Title'",
         [&] {
             ShowTab(W->pcEditor, W->TabSheet2);
             Type(W->TINameCB, "Title");
             TypeCoords({W->edTIX1, W->edTIY1, W->edTIX2, W->edTIY2}, {"0", "0", "100", "20"});
             Click(W->Button3);
         }},
        {"Modify 'Title'", [&] { Type(W->edTIData, "Caption"); Click(W->Button6); }},
        {"Rename 'Style1' to 'Box'", [&] { Rename(Node(0), QStringLiteral("Box")); }},
        {"New Style 'Style2'", [&] { Run(W->New1); }},  // which also blanks the name boxes
        {"Delete 'Title'", [&] { Type(W->TINameCB, "Title"); Click(W->btnTIDelete); }},
        {"Delete 'frame'",
         [&] {
             ShowTab(W->pcEditor, W->TabSheet1);
             Type(W->DINameCB, "frame");
             Click(W->btnDelete);
         }},
    };
    std::vector<TBytes> states{Bytes()};
    for (const auto &[text, step] : steps) {
        step();
        states.push_back(Bytes());
        ASSERT_NE(states.back(), states[states.size() - 2]) << text;
        EXPECT_EQ(W->Undo1->text(), QStringLiteral("&Undo ") + QString::fromUtf8(text));
    }
    ASSERT_TRUE(Messages.empty()) << Messages[0].Text;
    W->SD.Answer = [&](TFileDialog &d) { d.FileName = Path("saved.uol"); return true; };
    Keys(Qt::CTRL | Qt::Key_S);
    ASSERT_EQ(ReadFileBytes(Path("saved.uol")), states.back());
    EXPECT_EQ(W->Caption().toStdString(), "Glyphsmith - " + Path("saved.uol"));

    for (size_t i = std::size(steps); i-- > 0;) {
        SCOPED_TRACE(steps[i].first);
        EXPECT_EQ(W->Undo1->text(), QStringLiteral("&Undo ") + QString::fromUtf8(steps[i].first));
        Keys(Qt::CTRL | Qt::Key_Z);
        EXPECT_EQ(Bytes(), states[i]);
        EXPECT_EQ(W->Redo1->text(), QStringLiteral("&Redo ") + QString::fromUtf8(steps[i].first));
        EXPECT_TRUE(W->Caption().endsWith(u'*')) << "no longer as saved";
        if (W->CurrentStyle())
            ExpectPreviewFollows();
        if (i == 2) {  // Modify 'frame' undone: the page shows the item as it was
            EXPECT_EQ(W->pcEditor->currentWidget(), W->TabSheet1);
            EXPECT_EQ(W->DINameCB->currentText(), "frame");
            EXPECT_EQ(W->edX2->text(), "100");
        }
        if (i == 5) {
            EXPECT_EQ(Node(0)->text(0), "Style1");
        }
    }
    EXPECT_FALSE(W->Undo1->isEnabled());
    EXPECT_EQ(Root()->childCount(), 0);

    for (size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(steps[i].first);
        Keys(i % 2 ? QKeyCombination(Qt::CTRL | Qt::Key_Y) : QKeyCombination(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
        EXPECT_EQ(Bytes(), states[i + 1]);
    }
    EXPECT_FALSE(W->Redo1->isEnabled());
    EXPECT_EQ(W->Caption().toStdString(), "Glyphsmith - " + Path("saved.uol")) << "back at the saved state";
    EXPECT_EQ(Node(0)->text(0), "Box");
    ExpectPreviewFollows();
    EXPECT_TRUE(Messages.empty());
}

// Modify takes the fields up to the one that fails, as it always did; that partial change is a
// step of its own, so one undo takes it back.
TEST_F(Undo, AModifyStoppedByABadFieldIsUndoneAsOneStep)
{
    NewStyle();
    AddItem("frame", 0, {"0", "0", "100", "50"});
    const std::string added = Fields(*Style().DrawItems[0]);
    Pick(W->DITypCB, 2);
    Type(W->edY1, "y");
    Click(W->btnModify);
    ASSERT_EQ(Recorder.Texts(), Strings{"'y' ist kein gültiger Integerwert."});
    EXPECT_EQ(Style().DrawItems[0]->Shape, isEllipse);
    Run(W->Undo1);
    EXPECT_EQ(Fields(*Style().DrawItems[0]), added);
}

// A move of an item in the preview's item mode is one step like any other.
TEST_F(Undo, APreviewGestureIsUndoneAndRedoneToTheSameBytes)
{
    NewStyle();
    AddItem("box", 2, {"10", "20", "40", "40"});
    const TBytes before = Bytes();
    QTest::mouseClick(W->btnEditItems, Qt::LeftButton);
    Drag({107, 97}, {120, 91});
    const TBytes after = Bytes();
    ASSERT_NE(after, before);
    EXPECT_EQ(W->Undo1->text(), "&Undo Move 'box'");
    Keys(Qt::CTRL | Qt::Key_Z);
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(W->edX1->text(), "10");
    Keys(Qt::CTRL | Qt::Key_Y);
    EXPECT_EQ(Bytes(), after);
    EXPECT_EQ(Preview()->Style->DrawItems[0]->X1, Style().DrawItems[0]->X1);
    EXPECT_TRUE(Messages.empty());
}

// The entry for gestures in the preview: the style may already hold the new state.
TEST_F(Undo, APushedStyleChangeIsOneStepWhateverTheStyleHeldBefore)
{
    NewStyle();
    TKXVertexStyle before;
    before.AssignStyle(Style());
    auto item = std::make_unique<TKXDrawItem>();
    item->Name = "frame";
    item->X2 = 40;
    Style().DrawItems.push_back(std::move(item));  // changed live, as during a drag
    TKXVertexStyle after;
    after.AssignStyle(Style());
    W->PushStyleChange(&Style(), before, after, QStringLiteral("Move 'frame'"), {TStepItem::ikDraw, "frame"});
    EXPECT_EQ(W->Undo1->text(), "&Undo Move 'frame'");
    EXPECT_TRUE(W->Caption().endsWith(u'*'));
    Run(W->Undo1);
    EXPECT_TRUE(Style().DrawItems.empty());
    EXPECT_TRUE(Preview()->Style->DrawItems.empty());
    Run(W->Redo1);
    ASSERT_EQ(Style().DrawItems.size(), 1u);
    EXPECT_EQ(Style().DrawItems[0]->X2, 40);
    EXPECT_EQ(W->edX2->text(), "40") << "the page shows the item";
}

TEST_F(Undo, NewAndOpenStartAFreshHistory)
{
    NewStyle();
    ASSERT_TRUE(W->Undo1->isEnabled());
    W->UOLib->SaveToFile(Path("one.uol"));
    Run(W->New2);
    EXPECT_FALSE(W->Undo1->isEnabled());
    EXPECT_EQ(W->Caption(), "Glyphsmith - untitled");
    Run(W->New1);
    Open(Path("one.uol"));
    EXPECT_FALSE(W->Undo1->isEnabled());
    EXPECT_FALSE(W->Redo1->isEnabled());
    EXPECT_EQ(W->UndoStack->count(), 0);
}

}  // namespace
