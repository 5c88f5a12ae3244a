#pragma once

#include <QList>
#include <QString>
#include <functional>

class QDragMoveEvent;
class QDropEvent;
class frmDoc;

// Opening and saving files, and the File commands behind the main window.
//
// Whether a file is Rich Text or plain text is decided by the last three
// characters of its name only; the ways in and out compare them differently
// (see the rule functions below). A document's unsaved-change flag is cleared
// only when it was really written: a cancelled dialog, a declined warning or
// a failed write leave it set. Every failure to read or write a file is told
// to the user with the file's name and the reason, and a failed write leaves
// the file on disk as it was.
namespace fileMod {

// --- the file-type rules ---
// Exactly "rtf" (lower case): File > Open, the save routines, Save As's
// choice of routine.
bool EndsWithRtfExactly(const QString &name);
// "RTF" after upper-casing: the command line, dropped files, Save All.
bool EndsWithRtfAnyCase(const QString &name);
// The name is a path that names a file with its location (a drive on
// Windows, an absolute path elsewhere), not a "Document N" caption.
bool NamesFile(const QString &name);
// The name ends in .docx (any case): a Word document, read and written as
// one by every way in and out, with no warning. Likewise .odt.
bool EndsWithDocx(const QString &name);
bool EndsWithOdt(const QString &name);
// The type a save to name writes: Word for .docx, OpenDocument for .odt,
// else Rich Text when rich (the command's own rule said so), else text.
int SaveTypeFor(const QString &name, bool rich);

// The dialog filters.
QString OpenFilter();
QString SaveFilter();
QString TextFilter();

// --- the routines ---
// Each acts on doc, or on the active document window when doc is null, and
// returns true only when the file was read or written.

// The one routine every way in (the open dialog, the explorer pane, the
// command line, a drop) opens a file through. Loads fileName (made a full
// path) as fileType into doc, or, when doc is null, into a window that
// makeWindow makes once the file was found readable; records the file on the
// window, clears bChanged and gives the window the focus. On failure a
// window it made goes again, and the reason is put in *failure, or told to
// the user when failure is null. Returns the window, or nullptr.
frmDoc *OpenInto(const QString &fileName, int fileType, frmDoc *doc,
                 const std::function<frmDoc *()> &makeWindow, QString *failure = nullptr);
// Opens the file in a new document window captioned with its path. A file
// that cannot be read is reported and leaves no window behind.
bool OpenFile(const QString &fileName);
bool SaveFileAs(frmDoc *doc = nullptr);
bool SaveTextFileAs(frmDoc *doc = nullptr);
// Writes to path when it names a file (Rich Text for "rtf", else plain
// text, no warning); a "Document N" name asks for a name through SaveFileAs.
bool SaveToFile(const QString &path, frmDoc *doc = nullptr);

// Writes doc to path in the given RichTextBox file type; on failure tells
// the user which file and why. Nothing else of the window changes.
bool WriteDocument(frmDoc *doc, const QString &path, int fileType);
// The type to write doc back to path in: the type the window read or last
// wrote that very file as, else typeByName (the rule of the command).
int OwnFileType(frmDoc *doc, const QString &path, int typeByName);
// Shows the save dialog as set up; the chosen name, or empty when cancelled.
QString AskSaveName();
// The active document window, or else the first open one, leaving out the
// windows in done (closed, but perhaps not yet deleted).
frmDoc *NextDocument(const QList<frmDoc *> &done);
// Closes a document window through its own close handling; false when the
// window refused (Cancel on the unsaved-change question).
bool CloseDocument(frmDoc *doc);

// --- bodies of the main window's File commands ---
void OpenCommand();
void SaveCommand();
void SaveAsCommand();
void SaveAllCommand();
void CloseCommand();
void CloseAllCommand();

// Loads the file named on the command line (genMod::CommandLine()) into the
// active document window.
void CommLineFile();

// Files dragged over / dropped on the main window.
void DragOver(QDragMoveEvent *event);
void DragDrop(QDropEvent *event);

}
