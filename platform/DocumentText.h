#pragma once

#include <QString>

class QTextBlock;
class QTextDocument;

// The plain text of a document as the control hands it out: paragraph and
// line breaks written as the caller's line end, table cells separated by
// tabs, the placeholders of embedded pictures left out. The control, its file writer and the converter share it.
namespace DocumentText {

// Characters a caret can stand before: the document without its final
// paragraph mark.
int length(const QTextDocument *doc);

// Plain text of [from, to), clamped to the document. With labels, each list
// item starts with its label and a tab, as a reader of the text file sees it.
QString plain(const QTextDocument *doc, int from, int to, const QString &lineEnd, bool labels = false);

// What follows a block in the plain text: lineEnd, a tab between table
// cells, or nothing (after the last block, or an empty one Qt keeps before
// a table).
QString blockEnd(const QTextBlock &block, const QString &lineEnd);

}
