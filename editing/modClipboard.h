#pragma once

// The Edit menu's Undo, Cut, Copy, Paste and Select All for the active
// document. Only plain text goes to the clipboard and only its text is read
// back; pasted text that is itself RTF markup goes in formatted.
//
// Undo is the control's own: each user command (a paste, a format change, a
// bullets toggle) is one step, and several steps can be taken back.
namespace modClipboard {

// Copy and Cut with no document, or with nothing selected, leave the
// clipboard as it was; Paste with no text on the clipboard keeps the
// selection. All three are silent without a document.
void copy_Click();
void cut_Click();
void paste_Click();

// "No document is open !" without a document, else one step back.
void undo_Click();

// "No open documents !" (question icon) without a document, else the whole
// text is selected.
void menuEditSelectAll_Click();

}
