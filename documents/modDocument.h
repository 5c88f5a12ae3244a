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

}
