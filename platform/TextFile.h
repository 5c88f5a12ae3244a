#pragma once

#include <QByteArray>
#include <QString>

// The plain text file codec of the rich text control. Reading accepts UTF-8
// (with or without a byte order mark) when the bytes are valid UTF-8 and
// falls back to Windows-1252 otherwise, so old ANSI files open with their
// accented letters intact. Writing is always UTF-8 without a mark, so no
// character typed into a document is lost. The line-end style a file had is
// reported so that saving it again keeps it.
class TextFile
{
public:
    enum class LineEnd { LF, CRLF, CR };

    struct Decoded
    {
        QString text;           // line ends as they were in the bytes
        LineEnd lineEnd = platformLineEnd();   // of the first line end; the platform's when none
        bool wasUtf8 = true;    // false when read as Windows-1252
    };

    static Decoded decode(const QByteArray &bytes);
    // `text` already carries the line ends it is to be written with.
    static QByteArray encode(const QString &text);

    static LineEnd platformLineEnd();
    static QString lineEndText(LineEnd lineEnd);
};
