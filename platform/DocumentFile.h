#pragma once

#include "TextFile.h"

#include <QByteArray>
#include <QString>

class QTextDocument;

// Reading and writing a document file, Rich Text or plain text, to and from
// a QTextDocument with no view attached: nothing here lays text out. The
// rich text control loads and saves through it, and the converter, which
// needs no view at all, does its whole work with it.
//
// A read never throws and never half-fills silently: it says why it failed,
// naming the path. Files past RtfLimits::MaxFileBytes are refused before a
// byte is read, so one file cannot take all the memory.
class DocumentFile
{
public:
    enum Type { Rtf = 0, Text = 1, Docx = 2, Odt = 3 };

    struct ReadResult
    {
        bool ok = false;
        QString errorText;
        // Of a plain text file: line ends and encoding to write it back in,
        // and whether some bytes were not UTF-8 and read as Windows-1252.
        TextFile::LineEnd lineEnd = TextFile::platformLineEnd();
        TextFile::Encoding encoding = TextFile::Encoding::Utf8;
        bool strayBytes = false;
        // Of a Rich Text file: it was damaged or cut short, and was read as
        // far as it could be; something of it may be missing.
        bool incomplete = false;
        // The type the file was read as: the one asked for, but Rich Text
        // for RTF under another format's name (Word once saved RTF as .doc).
        int type = Rtf;
    };

    // Fills `doc`, expected empty, with the file. In Rtf mode a file that is
    // not RTF is read as plain text, so the user sees what it holds. A Word
    // document (.docx) or an OpenDocument text (.odt) is read as one
    // whatever the mode. A file of another
    // format (a zip package, a Word 97 or PDF file, or one named
    // .docx, .odt, .doc, .pdf...) is never read as text: its bytes would show
    // as garbage, and a Save would write that over the user's file. It is
    // refused with a message naming its format.
    static ReadResult read(const QString &path, int type, QTextDocument &doc);

    // The plain text that read() and a text save of the document would give,
    // list labels included. Rich Text is read straight to text, with no
    // document built, which is what a conversion to text needs.
    static ReadResult readText(const QString &path, int type, QString &text);

    // The bytes a save of `doc` writes: RTF, a Word package, or text with
    // lineEnd in encoding. Empty only when a package could not be made.
    static QByteArray bytes(const QTextDocument &doc, int type, TextFile::LineEnd lineEnd,
                            TextFile::Encoding encoding = TextFile::Encoding::Utf8);

    // What a save of `doc` as `type` may leave out of what it keeps, unseen,
    // from the Word or OpenDocument file it was read from: "notes, comments,
    // headers, footers or drawings", or empty when the save keeps it all.
    // (An OpenDocument save turns a Word file's notes and comments into its
    // own; its headers and shapes, and all of it in Rich Text, go.)
    static QString leftOut(const QTextDocument &doc, int type);

    // Paragraphs run left to right unless their format says otherwise
    // (\rtlpar), as in Rich Text. Left to guess, the layout would read each
    // paragraph's text for its direction again on every edit.
    static void setLeftToRight(QTextDocument &doc);

    // Why bytes read from `path` must not be taken as Rich Text or plain
    // text: "it is a PDF document...", or empty when they may be.
    static QString foreignFormat(const QString &path, const QByteArray &bytes);
    // Why a plain text save must not go to `path` (its name says another
    // format, so the file would be unreadable as one), or empty.
    static QString refusesText(const QString &path);

    // "12.3 MB": how a size is named to the user.
    static QString sizeText(qint64 bytes);
};
