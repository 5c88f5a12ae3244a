#pragma once

#include <QString>

class QTextDocument;

// The plain text of a document as the control hands it out: paragraph and
// line breaks written as the caller's line end, the placeholders of embedded
// pictures left out. The control, its file writer and the converter share it.
namespace DocumentText {

// Characters a caret can stand before: the document without its final
// paragraph mark.
int length(const QTextDocument *doc);

// Plain text of [from, to), clamped to the document.
QString plain(const QTextDocument *doc, int from, int to, const QString &lineEnd);

}
