#pragma once

#include <QString>

class AutoSave;
class frmDoc;
class frmMain;

// Autosave and recovery. Started once per run (Start): from then on every
// document window keeps its unsaved work in a recovery file of this run
// (AutoSave), and once the main window is up the documents that an earlier
// run left behind, when it was killed or the machine went down, are offered
// back (OfferRecovery). A normal exit leaves no recovery file.
namespace modRecovery {

// Opens this run's recovery folder under root and follows main's document
// windows. False, and autosave off for this run, when the folder cannot be
// made; the user is told once in the status bar.
bool Start(frmMain *main, const QString &root = QString());
bool Started();
// This run's folder, empty before Start.
QString RunFolder();

// Shows the recovery dialog when earlier runs left documents; nothing when
// there are none. Recovered documents open in windows of their own.
void OfferRecovery();

// A document window's work reached its own file (Save, Save As).
void DocumentWritten(frmDoc *doc);
// The window's autosave, or nullptr when autosave is off.
AutoSave *AutoSaveOf(frmDoc *doc);

// Ends autosave for this run: recovery files of windows still open with
// unsaved work are kept for the next start, all else goes.
void Finish();

}
