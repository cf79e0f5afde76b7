#pragma once
// The about window. Its stored form is the splash look (no border, on top, progress bar and
// rule shown, no OK button); ShowAsAbout turns it into the about box. Help > Info creates a
// new one each time, owned by the main window, and destroys it when the showing ends.

#include "ui_uSplash.h"

#include <QDialog>
#include <QPixmap>


class TSplash : public QDialog, public Ui::Splash {
    Q_OBJECT
public:
    // Builds the stored form: borderless, stays on top, 312 x 213, at the screen's centre.
    explicit TSplash(QWidget *owner = nullptr);

    // Gives the window a dialog border with the caption "Korvex V0.90", shows btnOK, sets Title
    // to "Glyphsmith", hides PB and b, and shows it modally; returns when the showing ends
    // (OK, Enter or closing the window).
    void ShowAsAbout();

    // Closes the window; when it is shown modally, this ends the modal showing.
    void btnOKClick();
};

// The 75 x 75, 16-colour road-works sign of the about window: a yellow diamond with a black
// figure digging, on a grey background. Painted on each call.
QPixmap RoadWorksSign();

