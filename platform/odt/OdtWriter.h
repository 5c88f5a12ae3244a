#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

// Writes a QTextDocument as an OpenDocument text (.odt). Qt's own ODF
// writer was the start, but it loses what matters here: it writes list
// items outside any list, nested tables outside their cells, no covered
// cells under vertical merges, and only pictures it holds as images; this
// writer keeps the lists with their labels, the merges, nested tables,
// borders, shading, links, pictures with their bytes, breaks and the page.
class OdtWriter
{
public:
    // The package's bytes, or empty with *error set.
    static QByteArray write(const QTextDocument &document, QString *error = nullptr);
};
