#pragma once

#include <ZipWriter.h>

#include <QByteArray>
#include <QString>

// Word packages made from their XML, for the tests: the parts every
// package has, with the body, styles and lists given.
namespace DocxTestSupport {

inline const char *namespaces()
{
    return "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
           "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
           "xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\" "
           "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
           "xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\"";
}

struct Package
{
    QByteArray body;        // what goes inside w:body
    QByteArray styles;      // inside w:styles
    QByteArray numbering;   // inside w:numbering
    QByteArray relations;   // Relationship elements of the document part
    QList<std::pair<QString, QByteArray>> extra;   // further entries, as they are
    QByteArray document;    // the whole document part, instead of body
};

inline QByteArray make(const Package &p)
{
    const QByteArray ns = namespaces();
    ZipWriter zip;
    zip.add(QStringLiteral("[Content_Types].xml"),
            "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
            "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
            "<Override PartName=\"/word/document.xml\" ContentType=\"application/"
            "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>");
    zip.add(QStringLiteral("_rels/.rels"),
            "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
            "officeDocument\" Target=\"word/document.xml\"/></Relationships>");
    zip.add(QStringLiteral("word/document.xml"),
            p.document.isEmpty() ? "<?xml version=\"1.0\"?><w:document " + ns + "><w:body>" + p.body
                                       + "</w:body></w:document>"
                                 : p.document);
    if (!p.styles.isEmpty())
        zip.add(QStringLiteral("word/styles.xml"), "<?xml version=\"1.0\"?><w:styles " + ns + ">" + p.styles + "</w:styles>");
    if (!p.numbering.isEmpty())
        zip.add(QStringLiteral("word/numbering.xml"),
                "<?xml version=\"1.0\"?><w:numbering " + ns + ">" + p.numbering + "</w:numbering>");
    if (!p.relations.isEmpty())
        zip.add(QStringLiteral("word/_rels/document.xml.rels"),
                "<?xml version=\"1.0\"?><Relationships "
                "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                + p.relations + "</Relationships>");
    for (const auto &[name, bytes] : p.extra)
        zip.add(name, bytes);
    return zip.finish();
}

inline QByteArray withBody(const QByteArray &body)
{
    Package p;
    p.body = body;
    return make(p);
}

}
