#pragma once

#include "RtfTestSupport.h"

#include <ListLabel.h>
#include <ZipWriter.h>

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QTextFrame>

#include <functional>

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
    QByteArray types;       // further content types (Override elements)
};

inline QByteArray make(const Package &p)
{
    const QByteArray ns = namespaces();
    ZipWriter zip;
    zip.add(QStringLiteral("[Content_Types].xml"),
            "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
            "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
            "<Override PartName=\"/word/document.xml\" ContentType=\"application/"
            "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>" + p.types + "</Types>");
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

using RtfTestSupport::plainText;

// A document with one of everything the reader knows.
inline Package richPackage()
{
    Package p;
    p.styles = R"x(<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii="Calibri"/><w:sz w:val="22"/></w:rPr></w:rPrDefault></w:docDefaults>
<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:name w:val="Normal"/></w:style>
<w:style w:type="paragraph" w:styleId="Heading1"><w:name w:val="heading 1"/><w:basedOn w:val="Normal"/>
  <w:pPr><w:spacing w:before="240"/></w:pPr><w:rPr><w:b/><w:sz w:val="32"/><w:color w:val="2E74B5"/></w:rPr></w:style>
<w:style w:type="character" w:styleId="Hyperlink"><w:name w:val="Hyperlink"/><w:rPr><w:u w:val="single"/></w:rPr></w:style>
<w:style w:type="table" w:styleId="TableGrid"><w:name w:val="Table Grid"/><w:tblPr><w:tblBorders>
  <w:top w:val="single" w:sz="4" w:color="auto"/><w:insideH w:val="single" w:sz="4"/></w:tblBorders></w:tblPr></w:style>)x";
    p.numbering = R"x(<w:abstractNum w:abstractNumId="0">
  <w:lvl w:ilvl="0"><w:start w:val="1"/><w:numFmt w:val="decimal"/><w:lvlText w:val="%1."/><w:pPr><w:ind w:left="720" w:hanging="360"/></w:pPr></w:lvl>
  <w:lvl w:ilvl="1"><w:start w:val="1"/><w:numFmt w:val="lowerLetter"/><w:lvlText w:val="%1.%2)"/><w:pPr><w:ind w:left="1440" w:hanging="360"/></w:pPr></w:lvl></w:abstractNum>
<w:abstractNum w:abstractNumId="1"><w:lvl w:ilvl="0"><w:numFmt w:val="bullet"/><w:lvlText w:val="&#8226;"/></w:lvl></w:abstractNum>
<w:num w:numId="1"><w:abstractNumId w:val="0"/></w:num><w:num w:numId="2"><w:abstractNumId w:val="1"/></w:num>)x";
    p.relations = R"x(<Relationship Id="rId9" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/hyperlink" Target="https://example.org/a?b=1&amp;c=2" TargetMode="External"/>)x";
    p.body = R"x(<w:p><w:pPr><w:pStyle w:val="Heading1"/></w:pPr><w:r><w:t>Title</w:t></w:r></w:p>
<w:p><w:pPr><w:jc w:val="center"/><w:ind w:left="1440" w:right="720" w:firstLine="360"/><w:spacing w:before="120" w:after="240"/></w:pPr>
  <w:r><w:t xml:space="preserve">Hello </w:t></w:r><w:r><w:rPr><w:b/><w:i/></w:rPr><w:t>bold</w:t></w:r>
  <w:r><w:rPr><w:u w:val="single"/><w:strike/><w:color w:val="FF0000"/><w:highlight w:val="yellow"/><w:sz w:val="28"/><w:rFonts w:ascii="Georgia"/></w:rPr><w:t xml:space="preserve"> red &amp; </w:t></w:r>
  <w:r><w:rPr><w:vertAlign w:val="superscript"/></w:rPr><w:t>2</w:t></w:r>
  <w:hyperlink r:id="rId9"><w:r><w:rPr><w:rStyle w:val="Hyperlink"/></w:rPr><w:t>link</w:t></w:r></w:hyperlink></w:p>
<w:p><w:pPr><w:numPr><w:ilvl w:val="0"/><w:numId w:val="1"/></w:numPr></w:pPr><w:r><w:t>first</w:t></w:r></w:p>
<w:p><w:pPr><w:numPr><w:ilvl w:val="1"/><w:numId w:val="1"/></w:numPr></w:pPr><w:r><w:t>sub</w:t></w:r></w:p>
<w:p><w:pPr><w:numPr><w:ilvl w:val="0"/><w:numId w:val="1"/></w:numPr></w:pPr><w:r><w:t>second</w:t></w:r></w:p>
<w:p><w:pPr><w:numPr><w:ilvl w:val="0"/><w:numId w:val="2"/></w:numPr></w:pPr><w:r><w:t>dot</w:t></w:r></w:p>
<w:tbl><w:tblPr><w:tblStyle w:val="TableGrid"/></w:tblPr><w:tblGrid><w:gridCol w:w="2000"/><w:gridCol w:w="2000"/><w:gridCol w:w="3000"/></w:tblGrid>
<w:tr><w:tc><w:tcPr><w:gridSpan w:val="2"/><w:shd w:val="clear" w:fill="FFFF00"/></w:tcPr><w:p><w:r><w:t>AB</w:t></w:r></w:p></w:tc>
      <w:tc><w:tcPr><w:vMerge w:val="restart"/><w:vAlign w:val="center"/></w:tcPr><w:p><w:r><w:t>C</w:t></w:r></w:p></w:tc></w:tr>
<w:tr><w:tc><w:p><w:r><w:t>a</w:t></w:r></w:p></w:tc>
      <w:tc><w:p><w:r><w:t>b</w:t></w:r></w:p><w:tbl><w:tr><w:tc><w:p><w:r><w:t>inner</w:t></w:r></w:p></w:tc></w:tr></w:tbl><w:p/></w:tc>
      <w:tc><w:tcPr><w:vMerge/></w:tcPr><w:p/></w:tc></w:tr></w:tbl>
<w:p><w:pPr><w:bidi/><w:jc w:val="right"/></w:pPr><w:r><w:t>שלום</w:t></w:r></w:p>
<w:p><w:r><w:t>東京</w:t><w:tab/><w:t>tab</w:t><w:br/><w:t>line</w:t><w:br w:type="page"/><w:t>page</w:t></w:r></w:p>
<w:sectPr><w:pgSz w:w="11906" w:h="16838"/><w:pgMar w:top="1000" w:right="1100" w:bottom="1200" w:left="1300"/></w:sectPr>)x";
    return p;
}

inline QTextCharFormat formatAt(const QTextDocument &d, const QString &word)
{
    const QTextCursor found = d.find(word);
    if (found.isNull())
        return {};
    QTextCursor c(const_cast<QTextDocument *>(&d));
    c.setPosition(found.selectionStart() + 1);
    return c.charFormat();
}

inline QTextBlock blockOf(const QTextDocument &d, const QString &word)
{
    return d.find(word).block();
}

inline QTextTable *firstTable(const QTextDocument &d)
{
    for (QTextFrame *frame : d.rootFrame()->childFrames()) {
        if (auto *t = qobject_cast<QTextTable *>(frame))
            return t;
    }
    return nullptr;
}

inline QString label(const QTextDocument &d, const QString &word)
{
    const QTextBlock b = blockOf(d, word);
    return b.textList() ? ListLabel::of(*b.textList(), b) : QString();
}

// What a reader of the document sees of each structure, one line each.
inline QStringList structure(const QTextDocument &d)
{
    QStringList out;
    out << QStringLiteral("text: ") + RtfTestSupport::normalized(plainText(d));
    const QTextCharFormat bold = formatAt(d, QStringLiteral("bold"));
    out << QStringLiteral("bold: %1 %2").arg(bold.fontWeight() >= QFont::Bold).arg(bold.fontItalic());
    const QTextCharFormat red = formatAt(d, QStringLiteral("red"));
    out << QStringLiteral("red: %1 %2 %3 %4 %5 %6").arg(red.fontUnderline()).arg(red.fontStrikeOut())
               .arg(red.foreground().color().name(), red.background().color().name())
               .arg(red.fontPointSize()).arg(red.fontFamilies().toStringList().value(0));
    out << QStringLiteral("super: %1").arg(formatAt(d, QStringLiteral("2")).verticalAlignment());
    out << QStringLiteral("link: ") + formatAt(d, QStringLiteral("link")).anchorHref();
    const QTextBlockFormat hello = blockOf(d, QStringLiteral("Hello")).blockFormat();
    out << QStringLiteral("para: %1 %2 %3 %4 %5 %6").arg(int(hello.alignment() & Qt::AlignHorizontal_Mask))
               .arg(Twips::fromPixels(hello.leftMargin())).arg(Twips::fromPixels(hello.rightMargin()))
               .arg(Twips::fromPixels(hello.textIndent())).arg(Twips::fromPixels(hello.topMargin()))
               .arg(Twips::fromPixels(hello.bottomMargin()));
    const QTextCharFormat title = formatAt(d, QStringLiteral("Title"));
    out << QStringLiteral("heading: %1 %2 %3").arg(title.fontWeight() >= QFont::Bold).arg(title.fontPointSize())
               .arg(title.foreground().color().name());
    out << QStringLiteral("labels: %1 %2 %3 %4").arg(label(d, QStringLiteral("first")), label(d, QStringLiteral("sub")),
                                                      label(d, QStringLiteral("second")), label(d, QStringLiteral("dot")));
    out << QStringLiteral("list indent: %1")
               .arg(Twips::fromPixels(blockOf(d, QStringLiteral("sub")).blockFormat().leftMargin()));
    if (QTextTable *t = firstTable(d)) {
        const QTextTableCell ab = t->cellAt(0, 0), c = t->cellAt(0, 2);
        out << QStringLiteral("table: %1x%2 AB span %3 C rows %4 shade %5 inner %6")
                   .arg(t->rows()).arg(t->columns()).arg(ab.columnSpan()).arg(c.rowSpan())
                   .arg(ab.format().background().color().name())
                   .arg(t->childFrames().isEmpty() ? 0 : 1);
        out << QStringLiteral("border: %1").arg(t->cellAt(0, 0).format().toTableCellFormat().topBorder() > 0);
    } else {
        out << QStringLiteral("table: none");
    }
    out << QStringLiteral("rtl: %1").arg(blockOf(d, QStringLiteral("שלום")).blockFormat().layoutDirection());
    out << QStringLiteral("page break: %1")
               .arg(bool(blockOf(d, QStringLiteral("page")).blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore));
    const QByteArray settings = d.rootFrame()->frameFormat().property(RtfProperties::DocumentSettings).toByteArray();
    out << QStringLiteral("page: ") + QString::fromLatin1(settings);
    return out;
}

// Each list item's first word with its label, and each cell of the first
// table with the sides that have a line ("TLBR", "-" for none).
inline QString listsAndBorders(const QTextDocument &d)
{
    QStringList out;
    for (QTextBlock b = d.begin(); b.isValid(); b = b.next()) {
        if (b.textList())
            out << b.text().section(QLatin1Char(' '), 0, 0) + QLatin1Char(':') + ListLabel::of(*b.textList(), b);
    }
    if (QTextTable *t = firstTable(d)) {
        for (int r = 0; r < t->rows(); ++r) {
            for (int c = 0; c < t->columns(); ++c) {
                const QTextTableCellFormat f = t->cellAt(r, c).format().toTableCellFormat();
                const auto line = [](qreal width, QTextFrameFormat::BorderStyle style, char letter) {
                    return width > 0 && style != QTextFrameFormat::BorderStyle_None ? letter : '-';
                };
                QString sides;
                sides += QLatin1Char(line(f.topBorder(), f.topBorderStyle(), 'T'));
                sides += QLatin1Char(line(f.leftBorder(), f.leftBorderStyle(), 'L'));
                sides += QLatin1Char(line(f.bottomBorder(), f.bottomBorderStyle(), 'B'));
                sides += QLatin1Char(line(f.rightBorder(), f.rightBorderStyle(), 'R'));
                out << sides;
            }
        }
    }
    return out.join(QLatin1Char(' '));
}

// How many of each structure a document has, and its words. The marks of
// what only a Word save keeps (comments, shapes) are not words; pictures are
// counted on their own.
inline QStringList census(const QTextDocument &d)
{
    int cells = 0, links = 0, pictures = 0, items = 0, bold = 0, centred = 0;
    QSet<QString> hrefs;
    for (QTextBlock b = d.begin(); b.isValid(); b = b.next()) {
        if (b.textList())
            ++items;
        if (b.blockFormat().alignment() & Qt::AlignHCenter)
            ++centred;
        for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            if (f.isImageFormat())
                ++pictures;
            else if (f.fontWeight() >= QFont::Bold)
                ++bold;
            if (f.isAnchor())
                hrefs.insert(f.anchorHref());
        }
    }
    links = int(hrefs.size());
    std::function<void(QTextFrame *)> countCells = [&](QTextFrame *frame) {
        for (QTextFrame *child : frame->childFrames()) {
            if (auto *t = qobject_cast<QTextTable *>(child)) {
                for (int r = 0; r < t->rows(); ++r)
                    for (int c = 0; c < t->columns(); ++c)
                        if (t->cellAt(r, c).row() == r && t->cellAt(r, c).column() == c)
                            ++cells;
            }
            countCells(child);
        }
    };
    countCells(d.rootFrame());
    return {QStringLiteral("words: ") + RtfTestSupport::normalized(plainText(d).remove(QChar::ObjectReplacementCharacter)),
            QStringLiteral("cells %1 links %2 pictures %3 items %4 bold runs %5 centred %6")
                .arg(cells).arg(links).arg(pictures).arg(items).arg(bold > 0).arg(centred)};
}


}
