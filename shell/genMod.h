#pragma once

#include <QString>

class frmDoc;

// Start-up and new documents.
namespace genMod {

// The process's command line: the arguments after the program's name,
// joined by single spaces. Set by main() before Main() runs.
void SetCommandLine(const QString &commandLine);
QString CommandLine();

// Shows the splash window, loads and shows the main window, then removes
// the splash window and gives the main window the focus.
void Main();

// Opens a new empty document window "Document N" (N from the new-document
// counter, which never goes down) and makes it the active one. Returns it.
frmDoc *NewDocument();

// Tests only: start the new-document counter from 0 again.
void ResetNewDocumentCounter();

}
