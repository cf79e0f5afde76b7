// The main window built from its form and shown offscreen. Message boxes are recorded; the
// helpers act as a user does: typing, picking list entries, clicking, answering dialogs.
#pragma once

#include "uApplication.h"
#include "uDialogs.h"
#include "uEdit.h"

#include "KXGR/core/KXStyles.h"
#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXQtConvert.h"
#include "core/TestFiles.h"

#include <QAbstractItemView>
#include <QMouseEvent>
#include <QImage>
#include <QLineEdit>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using Strings = std::vector<std::string>;

// Records every message box instead of showing it. The unsaved-changes question (the one with
// a Discard button) goes to Prompts and is answered with PromptAnswer; the rest to Messages.
class MessageRecorder {
public:
    MessageRecorder()
        : FPrevious(SetMessageHook([this](const TMessage &m) {
              if (m.Buttons & MsgButtons(mbDiscard)) {
                  Prompts.push_back(m);
                  return PromptAnswer;
              }
              Messages.push_back(m);
              return mbOK;
          }))
    {
    }
    ~MessageRecorder() { SetMessageHook(FPrevious); }
    std::vector<TMessage> Messages;
    std::vector<TMessage> Prompts;
    TMsgDlgBtn PromptAnswer = mbDiscard;
    Strings Texts() const
    {
        Strings texts;
        for (const TMessage &m : Messages)
            texts.push_back(m.Text);
        return texts;
    }

private:
    TMessageHook FPrevious;
};

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QApplication::setApplicationName(QStringLiteral("Glyphsmith"));
        W = std::make_unique<TfrmEdit>();
        W->show();
        W->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(W.get()));
    }

    // A command as the application's top level runs it: an error ends it in the error box.
    void Guarded(const std::function<void()> &command)
    {
        try {
            command();
        } catch (const std::exception &e) {
            ShowException(e);
        }
    }
    void Run(QAction *action) { Guarded([action] { action->trigger(); }); }
    void Click(QAbstractButton *button) { Guarded([button] { QTest::mouseClick(button, Qt::LeftButton); }); }

    QTreeWidgetItem *Root() const { return W->ProjectTree->topLevelItem(0); }
    TTreeNode *Node(int i) const { return static_cast<TTreeNode *>(Root()->child(i)); }
    void Select(QTreeWidgetItem *item) { W->ProjectTree->setCurrentItem(item); }
    TKXVertexStyle &Style() const { return *W->CurrentStyle(); }
    TKXVertex *Preview() const { return static_cast<TKXVertex *>(W->KXB->Vertices[0]); }
    std::string Path(const char *name) const { return FDir.filePath(QString::fromUtf8(name)).toStdString(); }

    // Project > New, Object > New and the new style selected.
    void NewStyle()
    {
        Run(W->New2);
        Run(W->New1);
        Select(Node(0));
        ASSERT_EQ(W->CurrentStyle(), W->UOLib->Styles()[0].get());
    }

    void Open(const std::string &fileName)
    {
        W->OD.Answer = [fileName](TFileDialog &d) { d.FileName = fileName; return true; };
        Run(W->Load1);
    }

    // Saves under typed; answers the name the dialog proposed.
    std::string Save(const std::string &typed)
    {
        std::string proposed;
        W->SD.Answer = [&](TFileDialog &d) { proposed = d.FileName; d.FileName = typed; return true; };
        Run(W->Save1);
        return proposed;
    }

    void AnswerColor(TColor color)
    {
        W->CD.Answer = [this, color](TColorDialog &d) {
            OfferedColors.push_back(d.Color);
            d.Color = color;
            return true;
        };
    }

    // Replaces the edit's text the way a user does: select all, delete, type.
    static void Type(QLineEdit *edit, const QString &text)
    {
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    static void Type(QComboBox *box, const QString &text) { Type(box->lineEdit(), text); }

    // Opens the list, walks to entry index with the keyboard and takes it with Return.
    static void Pick(QComboBox *box, int index)
    {
        box->showPopup();
        QTest::keyClick(box->view(), Qt::Key_Home);
        for (int i = 0; i < index; ++i)
            QTest::keyClick(box->view(), Qt::Key_Down);
        QTest::keyClick(box->view(), Qt::Key_Return);
        ASSERT_EQ(box->currentIndex(), index);
    }

    static void ShowTab(QTabWidget *pages, QWidget *page)
    {
        QTest::mouseClick(pages->tabBar(), Qt::LeftButton, {}, pages->tabBar()->tabRect(pages->indexOf(page)).center());
        ASSERT_EQ(pages->currentWidget(), page);
    }

    static void TypeCoords(std::array<QLineEdit *, 4> edits, const std::array<const char *, 4> &xyxy)
    {
        for (int i = 0; i < 4; ++i)
            Type(edits[i], QString::fromUtf8(xyxy[i]));
    }

    // Edits a tree node's text in place and commits it with Return.
    void Rename(QTreeWidgetItem *node, const QString &text)
    {
        W->ProjectTree->editItem(node, 0);
        QLineEdit *editor = nullptr;
        for (QLineEdit *edit : W->ProjectTree->viewport()->findChildren<QLineEdit *>())
            if (edit->isVisible())
                editor = edit;  // a closed editor lingers until its deferred deletion
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();  // the tree commits the edit queued
    }

    // A left drag in the preview box in client pixels; the moves carry the button and modifiers.
    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = {})
    {
        const QPoint origin = W->KXB->contentsRect().topLeft();
        QTest::mousePress(W->KXB, Qt::LeftButton, modifiers, origin + from);
        for (const QPoint p : {(from + to) / 2, to}) {
            QMouseEvent move(QEvent::MouseMove, origin + p, W->KXB->mapToGlobal(origin + p), Qt::NoButton,
                             Qt::LeftButton, modifiers);
            QApplication::sendEvent(W->KXB, &move);
        }
        QTest::mouseRelease(W->KXB, Qt::LeftButton, modifiers, origin + to);
    }
    TRect Bounds() const { return {Preview()->Left, Preview()->Top, Preview()->Right, Preview()->Bottom}; }

    static Strings StyleNames(const TKXUOLibrary &lib)
    {
        Strings names;
        for (const auto &style : lib.Styles())
            names.push_back(style->Name);
        return names;
    }
    static Strings StylesIn(const std::string &file)
    {
        TKXUOLibrary lib;
        lib.LoadFromFile(file);
        return StyleNames(lib);
    }
    // Writes a library of empty styles with these names; answers its path.
    std::string LibraryFile(const char *file, const Strings &styles)
    {
        TKXUOLibrary lib;
        for (const std::string &name : styles)
            lib.AddStyle(std::make_unique<TKXVertexStyle>())->Name = name;
        lib.SaveToFile(Path(file));
        return Path(file);
    }
    // The window's library as the bytes of its file.
    TBytes Bytes()
    {
        W->UOLib->SaveToFile(Path("state.uol"));
        return ReadFileBytes(Path("state.uol"));
    }

    static QStringList Entries(const QComboBox *box)
    {
        QStringList list;
        for (int i = 0; i < box->count(); ++i)
            list << box->itemText(i);
        return list;
    }

    // The preview box's client area, where diagram pixels start.
    QImage PreviewImage() const
    {
        return W->KXB->grab(W->KXB->contentsRect()).toImage().convertToFormat(QImage::Format_RGB32);
    }

    MessageRecorder Recorder;
    std::vector<TMessage> &Messages = Recorder.Messages;
    std::vector<TColor> OfferedColors;
    QTemporaryDir FDir;
    std::unique_ptr<TfrmEdit> W;
};

// Every field of an item on one line, so that whole items compare at once.
inline std::string Fields(const TKXDrawItem &i)
{
    char s[160];
    std::snprintf(s, sizeof s, "%s shape %d (%d,%d)-(%d,%d) growth %d pen %06X/%d/%d brush %06X/%d",
                  i.Name.c_str(), int(i.Shape), i.X1, i.Y1, i.X2, i.Y2, int(i.Growth), unsigned(i.PenColor),
                  int(i.PenStyle), i.PenWidth, unsigned(i.BrushColor), int(i.BrushStyle));
    return s;
}

inline std::string Fields(const TKXTextItem &i)
{
    char s[200];
    std::snprintf(s, sizeof s, "%s '%s' (%d,%d)-(%d,%d) growth %d font %s/%d/%06X/%d align %d back %06X/%d",
                  i.Name.c_str(), i.Text.c_str(), i.X1, i.Y1, i.X2, i.Y2, int(i.Growth), i.FontName.c_str(),
                  i.FontSize, unsigned(i.FontColor), int(i.FontStyle), int(i.Alignment), unsigned(i.BackColor),
                  int(i.BackStyle));
    return s;
}
