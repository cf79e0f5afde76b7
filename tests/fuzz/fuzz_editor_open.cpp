// The editor's Project > Open: the main window loads any bytes as a library, then the user's
// first steps with it are played: every style selected in the tree (item pages filled, preview
// painted), each item picked in the name boxes. Project > Save writes the library; opening
// that file must succeed, and saving it again must give the same bytes.

#include "FuzzQt.h"
#include "FuzzSupport.h"

#include "uDialogs.h"
#include "uEdit.h"

#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXStyles.h"
#include "KXGR/widgets/KXDiagramBox.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QSettings>
#include <QSignalBlocker>
#include <QTreeWidget>

#include <memory>
#include <string>
#include <vector>

namespace {

// Enough to reach every kind of item without making one input cost seconds.
constexpr int MaxStyles = 2;
constexpr int MaxItems = 3;

TfrmEdit *gWindow = nullptr;
// Messages the window showed (its error box among them), answered at once instead of waiting
// for a user.
std::vector<std::string> gMessages;

// Slots are called directly, so that an error never travels through a Qt frame.
void Open(const std::string &fileName)
{
    gWindow->OD.Answer = [fileName](TFileDialog &d) { d.FileName = fileName; return true; };
    gWindow->Load1Click();
}

void Save(const std::string &fileName)
{
    gWindow->SD.Answer = [fileName](TFileDialog &d) { d.FileName = fileName; return true; };
    gWindow->Save1Click();
}

void Pick(QComboBox *box, void (TfrmEdit::*change)())
{
    for (int i = 0; i < box->count() && i < MaxItems; ++i) {
        box->setCurrentIndex(i);
        (gWindow->*change)();
    }
}

void VisitStyles()
{
    QTreeWidgetItem *root = gWindow->ProjectTree->topLevelItem(0);
    if (!root)
        return;
    for (int i = 0; i < root->childCount() && i < MaxStyles; ++i) {
        {
            const QSignalBlocker quiet(gWindow->ProjectTree);
            gWindow->ProjectTree->setCurrentItem(root->child(i));
        }
        gWindow->ProjectTreeChange();
        gWindow->KXB->Paint();
        Pick(gWindow->DINameCB, &TfrmEdit::DINameCBChange);
        Pick(gWindow->TINameCB, &TfrmEdit::TINameCBChange);
    }
}

}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    EnsureQtApplication();
    // The recent-files list goes to scratch settings, not to the user's (nor synced to disk).
    QCoreApplication::setOrganizationName(QStringLiteral("GlyphsmithFuzz"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(ScratchFile("settings")));
    SetMessageHook([](const TMessage &m) {
        gMessages.push_back(m.Text);
        // The library is never edited here; should the window still ask, nothing is saved.
        return (m.Buttons & MsgButtons(mbDiscard)) != 0 ? mbDiscard : mbOK;
    });
    gWindow = new TfrmEdit; // one window for the whole run, as a user keeps theirs open
    gWindow->show();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size)
{
    static const std::string input = ScratchFile("editor-in.uol");
    static const std::string first = ScratchFile("editor-1.uol");
    static const std::string second = ScratchFile("editor-2.uol");
    WriteBytes(input, data, size);

    TAllocationLimit limit(size);
    try {
        Open(input);
    } catch (const EKXError &) {
        // The error box would show it; the styles read before the fault stay in the library.
    }
    VisitStyles();
    Save(first);
    gMessages.clear();
    try {
        Open(first);
    } catch (const EKXError &e) {
        FuzzFailure(std::string("a saved library does not open: ") + e.what());
    }
    FuzzCheck(gMessages.empty(), "opening a saved library showed a message");
    VisitStyles();
    Save(second);
    FuzzCheck(ReadBytes(first) == ReadBytes(second), "two saves of one library differ");
    return 0;
}
