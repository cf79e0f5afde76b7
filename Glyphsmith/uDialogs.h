#pragma once
// The editor's standard dialogs behind small wrappers: open, save, colour, font and message
// dialogs. Execute() runs the Qt dialog modally; a test installs an Answer callback instead,
// which stands in for the user (fills the fields and returns whether the user confirmed), so
// no modal loop runs.

#include "KXGR/core/KXCanvas.h"
#include "KXGR/core/KXTypes.h"

#include <cstdint>
#include <functional>
#include <string>

class QWidget;

// Open and save dialogs. FileName is a UTF-8 path; Filter holds "description|pattern" pairs
// separated by "|" ("UserObject Libraries (*.uol)|*.uol"); DefaultExt (without the dot) is
// appended to a chosen name that has no extension.
class TFileDialog {
public:
    std::string FileName;
    std::string Filter;
    std::string DefaultExt;
    std::string Title;
    // Test stand-in for the user: sets FileName and answers true (confirmed) or false (cancelled).
    std::function<bool(TFileDialog &)> Answer;

    virtual ~TFileDialog() = default;
    // Shows the dialog (or asks Answer). True when the user confirmed; FileName then holds the
    // chosen name with DefaultExt appended where it had no extension. False leaves FileName as it was.
    bool Execute();

protected:
    explicit TFileDialog(QWidget *parent) : FParent(parent) {}
    virtual bool RunModal() = 0;
    QWidget *FParent;
};

// The chosen file need not exist.
class TOpenDialog : public TFileDialog {
public:
    explicit TOpenDialog(QWidget *parent = nullptr) : TFileDialog(parent) {}

protected:
    bool RunModal() override;
};

// An existing file is overwritten without a question.
class TSaveDialog : public TFileDialog {
public:
    explicit TSaveDialog(QWidget *parent = nullptr) : TFileDialog(parent) {}

protected:
    bool RunModal() override;
};

class TColorDialog {
public:
    explicit TColorDialog(QWidget *parent = nullptr) : FParent(parent) {}
    TColor Color = clBlack;
    std::function<bool(TColorDialog &)> Answer;
    // Shows the dialog starting at Color; true when confirmed, Color then holds the choice.
    bool Execute();

private:
    QWidget *FParent;
};

// Face (code page 1252), size in points, colour and style bits; no size limits.
class TFontDialog {
public:
    explicit TFontDialog(QWidget *parent = nullptr) : FParent(parent) {}
    TKXFont Font;
    std::function<bool(TFontDialog &)> Answer;
    // Shows the dialog starting at Font; true when confirmed, Font then holds the choice.
    bool Execute();

private:
    QWidget *FParent;
};

// Message dialog. Caption and Text are UTF-8.
enum TMsgDlgType : uint8_t { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

enum TMsgDlgBtn : uint8_t { mbNone, mbYes, mbNo, mbOK, mbCancel, mbSave, mbDiscard };
using TMsgDlgButtons = uint8_t;  // bit set: 1 << TMsgDlgBtn
constexpr TMsgDlgButtons MsgButtons(TMsgDlgBtn b) { return static_cast<TMsgDlgButtons>(1u << b); }

struct TMessage {
    std::string Caption;
    std::string Text;
    TMsgDlgType DlgType = mtError;
    TMsgDlgButtons Buttons = MsgButtons(mbOK);
};

// Shows the message modally with its icon and buttons; returns the button pressed (mbNone when
// the box was closed otherwise). With a hook installed, the hook answers instead.
TMsgDlgBtn ShowMessageDialog(const TMessage &message, QWidget *parent = nullptr);

// The framework's standard message dialog: caption by type ("Fehler" for mtError, "Warnung",
// "Information", "Bestätigen"), e.g. MessageDlg("Textitem with this name already exists.", mtError).
TMsgDlgBtn MessageDlg(const std::string &text, TMsgDlgType dlgType,
                      TMsgDlgButtons buttons = MsgButtons(mbOK), QWidget *parent = nullptr);

// Tests install a hook that records the message and answers; returns the previous hook.
// An empty hook restores the real dialog.
using TMessageHook = std::function<TMsgDlgBtn(const TMessage &)>;
TMessageHook SetMessageHook(TMessageHook hook);
