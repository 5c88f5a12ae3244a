#pragma once

class QDateTime;
class QString;

// The Insert menu's Date & Time and Symbols commands. Both type at the
// active document's caret, over its selection.
namespace modInsert {

// The locale's short date, one space and its long time (without a time zone
// name); at exactly midnight the date alone.
QString DateTimeText(const QDateTime &when);

// "No document is open !" without a document, else the current date and time.
void menuInsertDateTime_Click();
// "No document is open !" without a document, else the symbols dialog,
// modal; focus goes back to the document when it closes.
void menuInsertSymbols_Click();

}
