#pragma once

class frmDoc;

namespace modDocument {

// Opens a new empty document window "Document N" with N from the
// created-document counter (independent of genMod::NewDocument's). Errors
// are logged; returns the window, or nullptr when none could be made.
frmDoc *CreateNewDocument();

// Tests only: start the created-document counter from 0 again.
void ResetCreatedDocumentCounter();

// Saves and closes every document window (File > Save All).
void SaveAllDocuments();

// Bullets on or off for the active document's selected paragraphs: a plain
// or mixed selection becomes bulleted throughout, a bulleted one plain with
// no hanging indent left. The format bar's "bullet" button follows. One undo
// step; nothing happens without a document.
void ToggleBullets();

}
