#pragma once

#include <QByteArray>
#include <QString>

// The plain text file codec of the rich text control. A byte order mark
// (UTF-8, UTF-16 or UTF-32, either byte order) decides the encoding. Without
// one the bytes are read as UTF-8, and any byte that is not part of a valid
// UTF-8 sequence is read on its own as a Windows-1252 character, so an old
// ANSI file keeps its accented letters and one stray byte does not turn a
// whole UTF-8 file into Windows-1252. A file is written back in the encoding,
// mark and line-end style it was read in; text that was never read from a
// file is written as UTF-8 without a mark.
class TextFile
{
public:
    enum class LineEnd { LF, CRLF, CR };
    enum class Encoding { Utf8, Utf8Bom, Utf16LE, Utf16BE, Utf32LE, Utf32BE };

    struct Decoded
    {
        QString text;           // line ends as they were in the bytes
        LineEnd lineEnd = platformLineEnd();   // of the first line end; the platform's when none
        Encoding encoding = Encoding::Utf8;
        bool strayBytes = false;   // some bytes were not valid UTF-8 and read as Windows-1252
    };

    static Decoded decode(const QByteArray &bytes);
    // `text` already carries the line ends it is to be written with.
    static QByteArray encode(const QString &text, Encoding encoding = Encoding::Utf8);

    static LineEnd platformLineEnd();
    static QString lineEndText(LineEnd lineEnd);
};
