#pragma once

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
#include <QTextList>

namespace RtfTestSupport {

// The document's text as a reader would extract it: paragraphs and line
// breaks as line feeds, everything else (no-break spaces included) as is.
inline QString plainText(const QTextDocument &document)
{
    QStringList blocks;
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next())
        blocks << b.text();
    return blocks.join(u'\n').replace(QChar(QChar::LineSeparator), u'\n');
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

}
