#pragma once

#include <QString>
#include <memory>

class QTextCursor;
class RichTextBox;
class SpellServer;
class SpellingErrors;
class SpellingSuggestions;

// The spell-check run. The text of the active document goes to the
// spelling server, and the misspelt words come back into SuggestionsForm.
//
// The server stays held after a check (for the dialog's suggestions) until
// the dialog's Close or the main window's unload quits it; a dialog left by
// Cancel leaves it running, and the next check attaches to it again.
namespace modSpellCheck {

// The program-wide references: empty until the first check.
std::shared_ptr<SpellServer> &wordApp();
std::shared_ptr<SpellingErrors> &spellErrors();
std::shared_ptr<SpellingSuggestions> &spellSuggestions();

// Tools > Spell Check Document and the format bar's "spellcheck" button:
// with a document open, warns and then runs the check on the main window.
void menuToolsSpellCheck_Click();

// The check itself. When no server can be started it says so and closes the
// main window the normal way, so every changed document is asked about; a
// Cancel there keeps the program running.
void spellCheckDoc();

// The main window's unload: quits a held server that still runs. Errors
// are ignored.
void QuitHeldServer();

// Replaces every occurrence of word (case-sensitive, inside longer words
// too) by replacement, in place, so each occurrence keeps the formatting of
// its first letter. One undo step; Change is raised once. Returns the
// number of occurrences replaced.
int ReplaceAll(RichTextBox *box, const QString &word, const QString &replacement);

// Replaces [start, start + length) through the cursor, in the format of its
// first letter. The caller makes it part of an edit block.
void ReplaceKeepingFormat(QTextCursor &cursor, int start, int length, const QString &replacement);

// Tests: quit every running server and forget the references.
void Reset();

}
