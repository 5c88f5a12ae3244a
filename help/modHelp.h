#pragma once

class QWidget;

// The Help menu's commands: the Contents notice, the tip of the day, the
// About box and the splash screen shown again.
namespace modHelp {

// The notice that help is not there yet.
void contents_Click();
// Tip of the day, modal, owned by owner (none at start-up).
void ShowTipOfTheDay(QWidget *owner);
// The About box, modal, owned by owner.
void about_Click(QWidget *owner);
// The splash screen, modeless, until a key or a mouse release on it; a
// second call while it stands brings the same window forward. Returns it.
QWidget *menuShowFrmSplash_Click();

}
