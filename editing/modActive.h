#pragma once

class QAction;
class RichTextBox;
class frmDoc;

// Where every editing command finds the document it acts on: the main
// window's active document window at the moment the command runs.
namespace modActive {

// The active document window and its control, or nullptr when none is open
// (or there is no main window at all).
frmDoc *Document();
RichTextBox *Editor();
// As Editor(), but with no document open the user is told
// "No document is open !" (critical icon, OK only) first.
RichTextBox *EditorOrNotice();

// Keyboard focus back to the active document, after a dialog has closed.
void ReturnFocus();

// The main window's toolbar button by key and menu entry by name; nullptr
// when there is no main window or no such entry.
QAction *Button(const char *key);
QAction *Entry(const char *name);

}
