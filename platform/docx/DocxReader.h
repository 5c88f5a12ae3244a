#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

// Reads a Word document (.docx, WordprocessingML in a zip package) into a
// QTextDocument: paragraphs and runs with their formats, styles resolved to
// direct formats, lists with their labels, tables with merges, links,
// pictures, breaks and the page's size and margins. Never throws; a damaged
// package is read as far as it goes and said to be incomplete, and one that
// gives nothing, or breaks a limit, is refused with the reason.
class DocxReader
{
public:
    struct Result
    {
        bool ok = false;
        QString errorText;   // why nothing was read, or the problems met
        bool incomplete = false;
    };

    static Result read(const QByteArray &bytes, QTextDocument &document);
    // The bytes are a zip package holding a Word document.
    static bool isDocx(const QByteArray &bytes);
};
