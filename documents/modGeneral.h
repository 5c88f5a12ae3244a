#pragma once

#include <QString>

class RichTextBox;

// Statistics of a document as the status bar shows them: the line of the
// selection, the number of laid-out lines and the word count. The document
// window announces them; the main window writes them into its panels.
namespace modGeneral {

// Words as the status bar counts them: only blanks and CR LF separate words,
// and a hyphen directly before CR LF joins the two halves into one word.
int CountWords(const QString &text);

// CountWords(rtb->Text()), kept up to date from the document's changes so
// that a key press in a long document does not recount all of it.
int DocumentWordCount(RichTextBox *rtb);

// The line that holds the selection start, counted from 1, and the number
// of lines, both as laid out (wrapped).
qlonglong CurrentLine(RichTextBox *rtb);
qlonglong LineCount(RichTextBox *rtb);

// Line figures show digits grouped by the locale's thousands separator.
QString FormatLineFigure(qlonglong value);

}
