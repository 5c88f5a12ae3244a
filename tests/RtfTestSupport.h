#pragma once

#include <RichTextBox.h>
#include <RtfProperties.h>
#include <RtfReader.h>
#include <RtfWriter.h>
#include <Twips.h>

#include <QImage>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QCryptographicHash>
#include <QTextList>
#include <QTextTable>

namespace RtfTestSupport {

// The document's text as a reader would extract it: paragraphs and line
// breaks as line feeds, table cells as the control's Text separates them,
// everything else (no-break spaces included) as is.
inline QString plainText(const QTextDocument &document)
{
    QString out;
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next())
        out += b.text() + RichTextBox::BlockEnd(b, QStringLiteral("\n"));
    return out.replace(QChar(QChar::LineSeparator), u'\n');
}

// Collapses runs of ASCII white space to one space and trims; other spaces
// (no-break ones) are text and stay.
inline QString normalized(QString text)
{
    static const QRegularExpression space(QStringLiteral("[\\t\\n\\v\\f\\r ]+")), ends(QStringLiteral("^ | $"));
    return text.replace(space, QStringLiteral(" ")).remove(ends);
}

// What the control can show of a character's format, in one line.
inline QString describe(const QTextDocument &d, const QTextCharFormat &f)
{
    if (f.isImageFormat()) {
        const QTextImageFormat i = f.toImageFormat();
        const QImage image = d.resource(QTextDocument::ImageResource, QUrl(i.name())).value<QImage>();
        return QStringLiteral("image %1x%2 px %3x%4 at %5")
            .arg(Twips::fromPixels(i.width())).arg(Twips::fromPixels(i.height()))
            .arg(image.width()).arg(image.height()).arg(image.isNull() ? 0 : image.pixel(0, 0), 0, 16);
    }
    const QStringList families = f.fontFamilies().toStringList();
    return QStringLiteral("family=%1 size=%2 weight=%3 italic=%4 underline=%5 strike=%6 fg=%7 bg=%8 valign=%9 caps=%10")
        .arg(families.isEmpty() ? d.defaultFont().family() : families.first())
        .arg(f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : d.defaultFont().pointSizeF())
        .arg(f.fontWeight()).arg(f.fontItalic()).arg(int(f.underlineStyle())).arg(f.fontStrikeOut())
        .arg(f.hasProperty(QTextFormat::ForegroundBrush) ? f.foreground().color().name() : "auto")
        .arg(f.hasProperty(QTextFormat::BackgroundBrush) ? f.background().color().name() : "none")
        .arg(int(f.verticalAlignment())).arg(int(f.fontCapitalization()));
}

// What the control can show of a paragraph: text, format in twips, list item.
inline QString describe(const QTextBlock &b)
{
    const QTextBlockFormat f = b.blockFormat();
    const QTextList *l = b.textList();
    return QStringLiteral("[%1] align=%2 left=%3 right=%4 indent=%5 before=%6 after=%7 break=%8 list=%9")
        .arg(b.text()).arg(int(f.alignment() & Qt::AlignHorizontal_Mask))
        .arg(Twips::fromPixels(f.leftMargin())).arg(Twips::fromPixels(f.rightMargin()))
        .arg(Twips::fromPixels(f.textIndent())).arg(Twips::fromPixels(f.topMargin()))
        .arg(Twips::fromPixels(f.bottomMargin())).arg(bool(f.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore))
        .arg(l ? QStringLiteral("%1#%2").arg(int(l->format().style())).arg(l->itemNumber(b)) : "-");
}

// The text after writing the document and reading it back.
inline QString rewritten(const QTextDocument &document)
{
    QTextDocument again;
    RtfReader::read(RtfWriter::write(document), again);
    return plainText(again);
}

// What a save must keep of a document, counted so that two readings can be
// compared: table cells and their text, link targets, picture bytes, list
// labels, runs of bold, italic, underlined and coloured text, paragraph
// alignments and the text.
struct Structure
{
    QStringList cells;
    QStringList links;
    QStringList pictures;
    QStringList listItems;
    int bold = 0, italic = 0, underline = 0, coloured = 0;
    QList<int> alignments;
    QString text;
};

inline void collectCells(QTextFrame *frame, QStringList &cells)
{
    for (QTextFrame *child : frame->childFrames()) {
        if (QTextTable *table = qobject_cast<QTextTable *>(child)) {
            for (int r = 0; r < table->rows(); ++r) {
                for (int c = 0; c < table->columns(); ++c) {
                    const QTextTableCell cell = table->cellAt(r, c);
                    if (cell.row() != r || cell.column() != c)
                        continue;
                    QTextCursor cursor = cell.firstCursorPosition();
                    cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
                    cells << QStringLiteral("%1x%2 %3").arg(cell.rowSpan()).arg(cell.columnSpan())
                                 .arg(normalized(cursor.selectedText().replace(QChar(QChar::ParagraphSeparator), u' ')));
                }
            }
        }
        collectCells(child, cells);
    }
}

// A picture read from RTF by its type and the bytes it was read with; any
// other by its pixels.
inline QString pictureKey(const QTextDocument &d, const QTextImageFormat &f)
{
    const QString dataName = f.stringProperty(RtfProperties::PictureData);
    if (!dataName.isEmpty()) {
        const QByteArray data = d.resource(QTextDocument::ImageResource, QUrl(dataName)).toByteArray();
        return f.stringProperty(RtfProperties::PictureKind) + u' '
            + QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha1).toHex().left(12));
    }
    const QVariant v = d.resource(QTextDocument::ImageResource, QUrl(f.name()));
    const QImage image = v.value<QImage>();
    QByteArray bytes = QByteArray(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes());
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(12));
}

inline Structure structureOf(const QTextDocument &d)
{
    Structure s;
    collectCells(d.rootFrame(), s.cells);
    QString lastLink;
    for (QTextBlock b = d.begin(); b.isValid(); b = b.next()) {
        bool wasBold = false, wasItalic = false, wasUnder = false, wasColoured = false;
        for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fr = it.fragment();
            const QTextCharFormat f = fr.charFormat();
            if (f.isImageFormat()) {
                s.pictures << pictureKey(d, f.toImageFormat());
                continue;
            }
            const bool blank = fr.text().trimmed().isEmpty();
            const bool bold = !blank && f.fontWeight() >= QFont::DemiBold;
            const bool italic = !blank && f.fontItalic();
            const bool under = !blank && f.fontUnderline();
            const bool coloured = !blank && f.hasProperty(QTextFormat::ForegroundBrush);
            s.bold += bold && !wasBold;
            s.italic += italic && !wasItalic;
            s.underline += under && !wasUnder;
            s.coloured += coloured && !wasColoured;
            if (!blank) {
                wasBold = bold;
                wasItalic = italic;
                wasUnder = under;
                wasColoured = coloured;
            }
            const QString link = f.isAnchor() ? f.anchorHref() : QString();
            if (!link.isEmpty() && link != lastLink)
                s.links << link;
            lastLink = link;
        }
        if (const QTextList *list = b.textList())
            s.listItems << list->itemText(b) + u' ' + b.text().left(20);
        s.alignments << int(b.blockFormat().alignment() & (Qt::AlignLeft | Qt::AlignRight | Qt::AlignHCenter | Qt::AlignJustify));
    }
    s.text = plainText(d);
    return s;
}

// What the second structure lost or changed against the first, one line each.
inline QStringList differences(const Structure &a, const Structure &b)
{
    QStringList out;
    const auto list = [&out](const char *what, const QStringList &x, const QStringList &y) {
        if (x != y) {
            qsizetype i = 0;
            while (i < x.size() && i < y.size() && x.at(i) == y.at(i))
                ++i;
            out << QStringLiteral("%1: %2 -> %3, first difference at %4: \"%5\" -> \"%6\"")
                       .arg(what).arg(x.size()).arg(y.size()).arg(i)
                       .arg(x.value(i).left(80), y.value(i).left(80));
        }
    };
    const auto count = [&out](const char *what, int x, int y) {
        if (x != y)
            out << QStringLiteral("%1 runs: %2 -> %3").arg(what).arg(x).arg(y);
    };
    list("table cells", a.cells, b.cells);
    list("links", a.links, b.links);
    list("pictures", a.pictures, b.pictures);
    list("list items", a.listItems, b.listItems);
    count("bold", a.bold, b.bold);
    count("italic", a.italic, b.italic);
    count("underlined", a.underline, b.underline);
    count("coloured", a.coloured, b.coloured);
    if (a.alignments != b.alignments) {
        QStringList x, y;
        for (int v : a.alignments) x << QString::number(v);
        for (int v : b.alignments) y << QString::number(v);
        list("paragraph alignments", x, y);
    }
    if (a.text != b.text)
        list("text", a.text.split(u'\n'), b.text.split(u'\n'));
    return out;
}

}
