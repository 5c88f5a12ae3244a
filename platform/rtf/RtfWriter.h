#pragma once

#include <QByteArray>

class QTextCursor;
class QTextDocument;

// Writes a QTextDocument, or the selection of a cursor, as Rich Text Format
// that Word, WordPad and LibreOffice read alike.
class RtfWriter
{
public:
    static QByteArray write(const QTextDocument &document);
    static QByteArray write(const QTextCursor &selection);
};
