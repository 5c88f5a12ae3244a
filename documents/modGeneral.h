#pragma once

#include <QString>

class RichTextBox;

// Status bar statistics of the active document: the line of the selection
// (panel 3), the number of laid-out lines (panel 5) and the word count
// (panel 7) of the main window's status bar.
namespace modGeneral {

// Words as the status bar counts them: only blanks and CR LF separate words,
// and a hyphen directly before CR LF joins the two halves into one word.
int CountWords(const QString &text);

// CountWords(rtb->Text()), kept up to date from the document's changes so
// that a key press in a long document does not recount all of it.
int DocumentWordCount(RichTextBox *rtb);

void ShowCurrentLine(RichTextBox *rtb);
void ShowLineCount(RichTextBox *rtb);

// The three figures of the document, in this order: current line, line
// count, words. ClearStatistics empties the three panels.
void ShowStatistics(RichTextBox *rtb);
void ClearStatistics();

// Line figures show digits grouped by the locale's thousands separator.
QString FormatLineFigure(qlonglong value);

}
