#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

// Writes a QTextDocument as a Word document (.docx): a package Word and
// LibreOffice open with the same paragraphs, runs, lists with their labels,
// tables with their merges and borders, links, pictures (with the bytes they
// were read with), breaks and the page size and margins.
class DocxWriter
{
public:
    // The package's bytes, or empty with *error set.
    static QByteArray write(const QTextDocument &document, QString *error = nullptr);
};
