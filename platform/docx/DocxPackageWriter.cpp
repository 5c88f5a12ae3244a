#include "DocxPackageWriter.h"

#include "DocumentAssembler.h"
#include "ListLabel.h"
#include "PageSettings.h"
#include "RtfFields.h"
#include "RtfLimits.h"
#include "RtfProperties.h"
#include "Twips.h"
#include "ZipWriter.h"

#include <QBuffer>
#include <QImage>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

namespace {
const QString W = QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
const QString R = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
const QString WP = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing");
const QString A = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/main");
const QString PIC = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/picture");
const QString RelBase = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/");

int twips(qreal pixels)
{
    return qBound(-RtfLimits::MaxTwips, Twips::fromPixels(pixels), RtfLimits::MaxTwips);
}

QString hex(const QColor &c)
{
    return QStringLiteral("%1%2%3").arg(c.red(), 2, 16, QLatin1Char('0')).arg(c.green(), 2, 16, QLatin1Char('0'))
        .arg(c.blue(), 2, 16, QLatin1Char('0')).toUpper();
}

QString numberFormat(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListDecimal: return QStringLiteral("decimal");
    case QTextListFormat::ListLowerAlpha: return QStringLiteral("lowerLetter");
    case QTextListFormat::ListUpperAlpha: return QStringLiteral("upperLetter");
    case QTextListFormat::ListLowerRoman: return QStringLiteral("lowerRoman");
    case QTextListFormat::ListUpperRoman: return QStringLiteral("upperRoman");
    default: return QStringLiteral("bullet");
    }
}

void element(QXmlStreamWriter &xml, const QString &name, const QString &value)
{
    xml.writeStartElement(W, name);
    xml.writeAttribute(W, QStringLiteral("val"), value);
    xml.writeEndElement();
}

// Characters XML 1.0 cannot hold at all are left out.
QString xmlSafe(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x20 || u == 0x09 || u == 0x0A || u == 0x0D)
            out += c;
    }
    return out;
}
}

DocxPackageWriter::DocxPackageWriter(const QTextDocument &document)
    : m_document(document)
{
}

// `type`: a relationship type of the package's own namespace ("image"), or
// a full one. `wanted`: the id to give it if no other has it yet.
QString DocxPackageWriter::relation(const QString &type, const QString &target, bool external, const QString &wanted)
{
    QString id = wanted;
    for (int n = int(m_relations.size()) + 10; id.isEmpty() || m_relationIds.contains(id); ++n)
        id = QStringLiteral("rId%1").arg(n);
    m_relationIds.insert(id);
    m_relations.append(Relation{id, type.startsWith(QLatin1String("http")) ? type : RelBase + type, target, external});
    return id;
}

QString DocxPackageWriter::keptName(int part) const
{
    // Parts under names of their own, clear of what this writer names.
    QString base = m_kept.parts.at(part).name.section(QLatin1Char('/'), -1);
    for (QChar &c : base) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'.' && c != u'-' && c != u'_')
            c = u'_';
    }
    return QStringLiteral("kept/%1-%2").arg(part + 1).arg(base.left(64));
}

void DocxPackageWriter::prepareKept()
{
    // Kept parts keep the ids they were read with where they can, since a
    // few name them where no rewriting reaches (a diagram's drawing).
    m_relationIds = {QStringLiteral("rId1"), QStringLiteral("rId2")};
    m_kept = DocxKept::fromBytes(m_document.rootFrame()->frameFormat().property(DocxKept::Parts).toByteArray());
    for (const DocxKept::Relation &r : std::as_const(m_kept.relations))
        m_keptIds.insert(r.id, relation(r.type, r.external ? r.target : keptName(r.part), r.external, r.id));
}

bool DocxPackageWriter::keptReady(const QTextCharFormat &format) const
{
    return !m_keptWritten.contains(format.intProperty(DocxKept::ElementNumber))
        && DocxKept::replayable(format.property(DocxKept::Element).toByteArray(), m_keptIds);
}

void DocxPackageWriter::writeKept(const QTextCharFormat &format)
{
    m_keptWritten.insert(format.intProperty(DocxKept::ElementNumber));
    const QByteArray element = format.property(DocxKept::Element).toByteArray();
    // A tracked deletion holds runs of its own; anything else goes in one.
    qsizetype end = 1;
    while (end < element.size() && !QByteArrayView(" \t\r\n/>").contains(element.at(end)))
        ++end;
    const QByteArray name = element.mid(1, end - 1);
    const QByteArray local = name.mid(name.indexOf(':') + 1);
    const bool holdsRuns = local == "del" || local == "moveFrom";
    if (!holdsRuns) {
        m_xml.writeStartElement(W, QStringLiteral("r"));
        writeRunProps(format);
    }
    DocxKept::replay(element, m_xml, m_keptIds, {W, R, WP, A, PIC});
    if (!holdsRuns)
        m_xml.writeEndElement();
}

int DocxPackageWriter::listNumber(const QTextList *list, int *level)
{
    auto place = m_listPlaces.constFind(list);
    if (place == m_listPlaces.cend()) {
        const QTextListFormat lf = list->format();
        const int group = lf.intProperty(RtfProperties::ListGroup);
        const int at = lf.intProperty(RtfProperties::ListLevel);
        const bool grouped = lf.hasProperty(RtfProperties::ListGroup) && at >= 0 && at < 9;
        int index = grouped ? m_listGroups.value(group, -1) : -1;
        if (index >= 0) {
            // A level takes the first list shown at it; one that looks
            // otherwise (changed since) is a list of its own.
            const QTextList *first = m_lists.at(index).levels[at];
            if (first && (first->format().style() != lf.style()
                          || first->format().stringProperty(RtfProperties::ListLevelText)
                              != lf.stringProperty(RtfProperties::ListLevelText)))
                index = -1;
        }
        const bool joins = index >= 0;
        if (!joins) {
            index = int(m_lists.size());
            m_lists.append(ListLevels());
            if (grouped && !m_listGroups.contains(group))
                m_listGroups.insert(group, index);
        }
        const int shown = grouped && (joins || m_listGroups.value(group) == index) ? at : 0;
        if (!m_lists[index].levels[shown])
            m_lists[index].levels[shown] = list;
        place = m_listPlaces.insert(list, {index + 1, shown});
    }
    if (level)
        *level = place->second;
    return place->first;
}

void DocxPackageWriter::writeRunProps(const QTextCharFormat &f)
{
    m_xml.writeStartElement(W, QStringLiteral("rPr"));
    const QStringList families = f.fontFamilies().toStringList();
    if (!families.isEmpty() && !families.first().isEmpty()) {
        m_xml.writeStartElement(W, QStringLiteral("rFonts"));
        for (const char *slot : {"ascii", "hAnsi", "eastAsia", "cs"})
            m_xml.writeAttribute(W, QLatin1String(slot), families.first());
        m_xml.writeEndElement();
    }
    if (f.fontWeight() >= QFont::DemiBold)
        m_xml.writeEmptyElement(W, QStringLiteral("b"));
    if (f.fontItalic())
        m_xml.writeEmptyElement(W, QStringLiteral("i"));
    if (f.fontCapitalization() == QFont::AllUppercase)
        m_xml.writeEmptyElement(W, QStringLiteral("caps"));
    else if (f.fontCapitalization() == QFont::SmallCaps)
        m_xml.writeEmptyElement(W, QStringLiteral("smallCaps"));
    if (f.fontStrikeOut())
        m_xml.writeEmptyElement(W, QStringLiteral("strike"));
    if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
        element(m_xml, QStringLiteral("color"), hex(f.foreground().color()));
    if (f.fontPointSize() > 0) {
        const QString half = QString::number(qBound(2, qRound(f.fontPointSize() * 2), RtfLimits::MaxHalfPoints));
        element(m_xml, QStringLiteral("sz"), half);
        element(m_xml, QStringLiteral("szCs"), half);
    }
    if (f.fontUnderline() || f.isAnchor())
        element(m_xml, QStringLiteral("u"), QStringLiteral("single"));
    if (f.hasProperty(QTextFormat::BackgroundBrush) && f.background().style() != Qt::NoBrush) {
        m_xml.writeStartElement(W, QStringLiteral("shd"));
        m_xml.writeAttribute(W, QStringLiteral("val"), QStringLiteral("clear"));
        m_xml.writeAttribute(W, QStringLiteral("color"), QStringLiteral("auto"));
        m_xml.writeAttribute(W, QStringLiteral("fill"), hex(f.background().color()));
        m_xml.writeEndElement();
    }
    if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        element(m_xml, QStringLiteral("vertAlign"), QStringLiteral("superscript"));
    else if (f.verticalAlignment() == QTextCharFormat::AlignSubScript)
        element(m_xml, QStringLiteral("vertAlign"), QStringLiteral("subscript"));
    m_xml.writeEndElement();
}

// One run's text: tabs and line breaks are elements of their own.
void DocxPackageWriter::writeText(const QString &text, const QTextCharFormat &format)
{
    if (text.isEmpty())
        return;
    if (format.hasProperty(DocxKept::Element)) {
        // Text typed next to a kept element takes on its format; the element
        // is written once, where the text shown for it still stands.
        QTextCharFormat plain = format;
        for (const int p : {DocxKept::Element, DocxKept::ElementNumber, DocxKept::ElementShown})
            plain.clearProperty(p);
        const QString shown = format.stringProperty(DocxKept::ElementShown);
        const qsizetype at = shown.isEmpty() ? -1 : text.indexOf(shown);
        if (at >= 0 && keptReady(format)) {
            writeText(text.left(at), plain);
            writeKept(format);
            writeText(text.mid(at + shown.size()), plain);
        } else {
            writeText(text, plain);
        }
        return;
    }
    m_xml.writeStartElement(W, QStringLiteral("r"));
    writeRunProps(format);
    QString piece;
    const auto flush = [&] {
        if (piece.isEmpty())
            return;
        m_xml.writeStartElement(W, QStringLiteral("t"));
        m_xml.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
        m_xml.writeCharacters(xmlSafe(piece));
        m_xml.writeEndElement();
        piece.clear();
    };
    for (const QChar c : text) {
        if (c == u'\t') {
            flush();
            m_xml.writeEmptyElement(W, QStringLiteral("tab"));
        } else if (c == QChar::LineSeparator || c == u'\n' || c == u'\r') {
            flush();
            m_xml.writeEmptyElement(W, QStringLiteral("br"));
        } else if (c == QChar::ObjectReplacementCharacter) {
            // A placeholder with no picture behind it.
        } else {
            piece += c;
        }
    }
    flush();
    m_xml.writeEndElement();
}

void DocxPackageWriter::writeImage(const QTextImageFormat &f)
{
    QByteArray bytes;
    QString extension = QStringLiteral("png");
    const QString dataName = f.stringProperty(RtfProperties::PictureData);
    const QString kind = f.stringProperty(RtfProperties::PictureKind);
    if (!dataName.isEmpty()) {
        const QVariant data = m_document.resource(QTextDocument::ImageResource, QUrl(dataName));
        if (data.typeId() == QMetaType::QByteArray) {
            bytes = data.toByteArray();
            if (kind.startsWith(QLatin1String("jpeg")))
                extension = QStringLiteral("jpeg");
            else if (kind.startsWith(QLatin1String("emf")))
                extension = QStringLiteral("emf");
            else if (kind.startsWith(QLatin1String("wmetafile")))
                extension = QStringLiteral("wmf");
            else if (!kind.startsWith(QLatin1String("png")))
                bytes.clear();   // device bitmaps and the like: drawn again below
        }
    }
    // A linked picture goes back as its link, not as the frame shown for it.
    const QString link = f.stringProperty(DocumentAssembler::PictureLink);
    if (bytes.isEmpty() && link.isEmpty()) {
        const QVariant shown = m_document.resource(QTextDocument::ImageResource, QUrl(f.name()));
        const QImage image = shown.value<QImage>();
        if (image.isNull())
            return;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        extension = QStringLiteral("png");
    }
    ++m_pictures;
    QString name, id;
    if (bytes.isEmpty()) {
        name = link.section(QLatin1Char('/'), -1);
        id = relation(QStringLiteral("image"), link, true);
    } else {
        name = QStringLiteral("media/image%1.%2").arg(m_pictures).arg(extension);
        m_media.append(Media{name, bytes});
        id = relation(QStringLiteral("image"), name, false);
    }
    const qint64 cx = qint64(qMax(1, twips(f.width() > 0 ? f.width() : 96))) * 635;
    const qint64 cy = qint64(qMax(1, twips(f.height() > 0 ? f.height() : 96))) * 635;

    m_xml.writeStartElement(W, QStringLiteral("r"));
    m_xml.writeStartElement(W, QStringLiteral("drawing"));
    m_xml.writeStartElement(WP, QStringLiteral("inline"));
    m_xml.writeEmptyElement(WP, QStringLiteral("extent"));
    m_xml.writeAttribute(QStringLiteral("cx"), QString::number(cx));
    m_xml.writeAttribute(QStringLiteral("cy"), QString::number(cy));
    m_xml.writeEmptyElement(WP, QStringLiteral("docPr"));
    m_xml.writeAttribute(QStringLiteral("id"), QString::number(m_pictures));
    m_xml.writeAttribute(QStringLiteral("name"), QStringLiteral("Picture %1").arg(m_pictures));
    m_xml.writeStartElement(A, QStringLiteral("graphic"));
    m_xml.writeStartElement(A, QStringLiteral("graphicData"));
    m_xml.writeAttribute(QStringLiteral("uri"), PIC);
    m_xml.writeStartElement(PIC, QStringLiteral("pic"));
    m_xml.writeStartElement(PIC, QStringLiteral("nvPicPr"));
    m_xml.writeEmptyElement(PIC, QStringLiteral("cNvPr"));
    m_xml.writeAttribute(QStringLiteral("id"), QString::number(m_pictures));
    m_xml.writeAttribute(QStringLiteral("name"), xmlSafe(name.section(QLatin1Char('/'), -1)));
    m_xml.writeEmptyElement(PIC, QStringLiteral("cNvPicPr"));
    m_xml.writeEndElement();
    m_xml.writeStartElement(PIC, QStringLiteral("blipFill"));
    m_xml.writeEmptyElement(A, QStringLiteral("blip"));
    m_xml.writeAttribute(R, bytes.isEmpty() ? QStringLiteral("link") : QStringLiteral("embed"), id);
    m_xml.writeStartElement(A, QStringLiteral("stretch"));
    m_xml.writeEmptyElement(A, QStringLiteral("fillRect"));
    m_xml.writeEndElement();
    m_xml.writeEndElement();
    m_xml.writeStartElement(PIC, QStringLiteral("spPr"));
    m_xml.writeStartElement(A, QStringLiteral("xfrm"));
    m_xml.writeEmptyElement(A, QStringLiteral("off"));
    m_xml.writeAttribute(QStringLiteral("x"), QStringLiteral("0"));
    m_xml.writeAttribute(QStringLiteral("y"), QStringLiteral("0"));
    m_xml.writeEmptyElement(A, QStringLiteral("ext"));
    m_xml.writeAttribute(QStringLiteral("cx"), QString::number(cx));
    m_xml.writeAttribute(QStringLiteral("cy"), QString::number(cy));
    m_xml.writeEndElement();
    m_xml.writeStartElement(A, QStringLiteral("prstGeom"));
    m_xml.writeAttribute(QStringLiteral("prst"), QStringLiteral("rect"));
    m_xml.writeEndElement();
    m_xml.writeEndElement();   // spPr
    m_xml.writeEndElement();   // pic
    m_xml.writeEndElement();   // graphicData
    m_xml.writeEndElement();   // graphic
    m_xml.writeEndElement();   // inline
    m_xml.writeEndElement();   // drawing
    m_xml.writeEndElement();   // r
}

void DocxPackageWriter::writeBlock(const QTextBlock &block)
{
    const QTextBlockFormat f = block.blockFormat();
    m_xml.writeStartElement(W, QStringLiteral("p"));
    m_xml.writeStartElement(W, QStringLiteral("pPr"));
    if (f.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
        m_xml.writeEmptyElement(W, QStringLiteral("pageBreakBefore"));
    if (const QTextList *list = block.textList()) {
        m_xml.writeStartElement(W, QStringLiteral("numPr"));
        int level = 0;
        const int number = listNumber(list, &level);
        element(m_xml, QStringLiteral("ilvl"), QString::number(level));
        element(m_xml, QStringLiteral("numId"), QString::number(number));
        m_xml.writeEndElement();
    }
    if (f.hasProperty(QTextFormat::BackgroundBrush) && f.background().style() != Qt::NoBrush) {
        m_xml.writeStartElement(W, QStringLiteral("shd"));
        m_xml.writeAttribute(W, QStringLiteral("val"), QStringLiteral("clear"));
        m_xml.writeAttribute(W, QStringLiteral("color"), QStringLiteral("auto"));
        m_xml.writeAttribute(W, QStringLiteral("fill"), hex(f.background().color()));
        m_xml.writeEndElement();
    }
    if (f.layoutDirection() == Qt::RightToLeft)
        m_xml.writeEmptyElement(W, QStringLiteral("bidi"));
    m_xml.writeStartElement(W, QStringLiteral("spacing"));
    m_xml.writeAttribute(W, QStringLiteral("before"), QString::number(qMax(0, twips(f.topMargin()))));
    m_xml.writeAttribute(W, QStringLiteral("after"), QString::number(qMax(0, twips(f.bottomMargin()))));
    if (f.lineHeightType() == QTextBlockFormat::ProportionalHeight && f.lineHeight() > 0) {
        m_xml.writeAttribute(W, QStringLiteral("line"), QString::number(qRound(f.lineHeight() * 240 / 100)));
        m_xml.writeAttribute(W, QStringLiteral("lineRule"), QStringLiteral("auto"));
    }
    m_xml.writeEndElement();
    const int left = twips(f.leftMargin()), right = twips(f.rightMargin()), first = twips(f.textIndent());
    if (left || right || first || block.textList()) {
        m_xml.writeStartElement(W, QStringLiteral("ind"));
        m_xml.writeAttribute(W, QStringLiteral("left"), QString::number(left));
        m_xml.writeAttribute(W, QStringLiteral("right"), QString::number(right));
        if (first < 0)
            m_xml.writeAttribute(W, QStringLiteral("hanging"), QString::number(-first));
        else
            m_xml.writeAttribute(W, QStringLiteral("firstLine"), QString::number(first));
        m_xml.writeEndElement();
    }
    // In a right-to-left paragraph Word reads "left" and "right" as its start
    // and end, as Qt reads an alignment that is not absolute.
    const Qt::Alignment align = f.alignment() & Qt::AlignHorizontal_Mask;
    const bool rtl = f.layoutDirection() == Qt::RightToLeft;
    const bool toEnd = bool(align & Qt::AlignRight) != (rtl && (f.alignment() & Qt::AlignAbsolute));
    if (align & Qt::AlignHCenter)
        element(m_xml, QStringLiteral("jc"), QStringLiteral("center"));
    else if (align & Qt::AlignJustify)
        element(m_xml, QStringLiteral("jc"), QStringLiteral("both"));
    else
        element(m_xml, QStringLiteral("jc"), toEnd ? QStringLiteral("right") : QStringLiteral("left"));
    writeRunProps(block.charFormat());
    m_xml.writeEndElement();   // pPr

    // Runs, with the runs of one link or field grouped as the link or field.
    QString openHref;
    int openField = -1;
    QString openInstruction;
    const auto closeGroup = [&] {
        if (!openHref.isEmpty())
            m_xml.writeEndElement();   // hyperlink
        else if (openField >= 0) {
            m_xml.writeStartElement(W, QStringLiteral("r"));
            m_xml.writeEmptyElement(W, QStringLiteral("fldChar"));
            m_xml.writeAttribute(W, QStringLiteral("fldCharType"), QStringLiteral("end"));
            m_xml.writeEndElement();
        }
        openHref.clear();
        openField = -1;
    };
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid())
            continue;
        const QTextCharFormat cf = fragment.charFormat();
        const QString instruction = cf.stringProperty(RtfProperties::FieldInstruction);
        const int field = cf.hasProperty(RtfProperties::FieldNumber) ? cf.intProperty(RtfProperties::FieldNumber) : -1;
        const QString href = cf.isAnchor() ? cf.anchorHref() : QString();
        const bool sameGroup = (!href.isEmpty() && href == openHref && (field < 0 || field == openField))
                || (href.isEmpty() && openHref.isEmpty() && field >= 0 && field == openField
                    && instruction == openInstruction);
        if (!sameGroup) {
            closeGroup();
            if (!href.isEmpty()) {
                m_xml.writeStartElement(W, QStringLiteral("hyperlink"));
                if (href.startsWith(QLatin1Char('#'))) {
                    m_xml.writeAttribute(W, QStringLiteral("anchor"), href.mid(1));
                } else {
                    QString &id = m_links[href];
                    if (id.isEmpty())
                        id = relation(QStringLiteral("hyperlink"), href, true);
                    m_xml.writeAttribute(R, QStringLiteral("id"), id);
                }
                openHref = href;
                openField = field;
            } else if (field >= 0 && !instruction.isEmpty()) {
                // Any other field keeps its instruction and its result.
                m_xml.writeStartElement(W, QStringLiteral("r"));
                m_xml.writeEmptyElement(W, QStringLiteral("fldChar"));
                m_xml.writeAttribute(W, QStringLiteral("fldCharType"), QStringLiteral("begin"));
                m_xml.writeEndElement();
                m_xml.writeStartElement(W, QStringLiteral("r"));
                m_xml.writeStartElement(W, QStringLiteral("instrText"));
                m_xml.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
                m_xml.writeCharacters(xmlSafe(QLatin1Char(' ') + instruction + QLatin1Char(' ')));
                m_xml.writeEndElement();
                m_xml.writeEndElement();
                m_xml.writeStartElement(W, QStringLiteral("r"));
                m_xml.writeEmptyElement(W, QStringLiteral("fldChar"));
                m_xml.writeAttribute(W, QStringLiteral("fldCharType"), QStringLiteral("separate"));
                m_xml.writeEndElement();
                openField = field;
                openInstruction = instruction;
            }
        }
        if (cf.isImageFormat()) {
            const QString text = fragment.text();
            for (qsizetype i = 0; i < text.size(); ++i) {
                // A shape or object shown by its picture goes back whole.
                if (cf.hasProperty(DocxKept::Element) && keptReady(cf))
                    writeKept(cf);
                else
                    writeImage(cf.toImageFormat());
            }
        } else {
            writeText(fragment.text(), cf);
        }
    }
    closeGroup();
    m_xml.writeEndElement();   // p
}

void DocxPackageWriter::writeTable(const QTextTable *table)
{
    const QTextTableFormat tf = table->format();
    const int rows = table->rows(), columns = table->columns();
    m_xml.writeStartElement(W, QStringLiteral("tbl"));
    m_xml.writeStartElement(W, QStringLiteral("tblPr"));
    m_xml.writeEmptyElement(W, QStringLiteral("tblW"));
    m_xml.writeAttribute(W, QStringLiteral("w"), QStringLiteral("0"));
    m_xml.writeAttribute(W, QStringLiteral("type"), QStringLiteral("auto"));
    if (tf.alignment() & Qt::AlignHCenter)
        element(m_xml, QStringLiteral("jc"), QStringLiteral("center"));
    else if (tf.alignment() & Qt::AlignRight)
        element(m_xml, QStringLiteral("jc"), QStringLiteral("right"));
    if (tf.leftMargin() > 0) {
        m_xml.writeEmptyElement(W, QStringLiteral("tblInd"));
        m_xml.writeAttribute(W, QStringLiteral("w"), QString::number(twips(tf.leftMargin())));
        m_xml.writeAttribute(W, QStringLiteral("type"), QStringLiteral("dxa"));
    }
    m_xml.writeStartElement(W, QStringLiteral("tblLayout"));
    m_xml.writeAttribute(W, QStringLiteral("type"), QStringLiteral("fixed"));
    m_xml.writeEndElement();
    m_xml.writeEndElement();   // tblPr

    QList<int> widths;
    const QList<QTextLength> constraints = tf.columnWidthConstraints();
    for (int c = 0; c < columns; ++c) {
        const QTextLength length = c < constraints.size() ? constraints.at(c) : QTextLength();
        widths << (length.type() == QTextLength::FixedLength ? qMax(20, twips(length.rawValue()))
                                                             : qMax(20, 9360 / qMax(1, columns)));
    }
    m_xml.writeStartElement(W, QStringLiteral("tblGrid"));
    for (const int w : std::as_const(widths)) {
        m_xml.writeEmptyElement(W, QStringLiteral("gridCol"));
        m_xml.writeAttribute(W, QStringLiteral("w"), QString::number(w));
    }
    m_xml.writeEndElement();

    for (int r = 0; r < rows; ++r) {
        m_xml.writeStartElement(W, QStringLiteral("tr"));
        for (int c = 0; c < columns;) {
            const QTextTableCell cell = table->cellAt(r, c);
            const int span = qMax(1, cell.columnSpan());
            const bool own = cell.row() == r && cell.column() == c;
            if (!own && cell.column() != c) {
                ++c;   // covered from the left within the row: written by its cell
                continue;
            }
            const QTextTableCellFormat cf = cell.format().toTableCellFormat();
            m_xml.writeStartElement(W, QStringLiteral("tc"));
            m_xml.writeStartElement(W, QStringLiteral("tcPr"));
            int width = 0;
            for (int k = c; k < c + span && k < columns; ++k)
                width += widths.at(k);
            m_xml.writeEmptyElement(W, QStringLiteral("tcW"));
            m_xml.writeAttribute(W, QStringLiteral("w"), QString::number(width));
            m_xml.writeAttribute(W, QStringLiteral("type"), QStringLiteral("dxa"));
            if (span > 1)
                element(m_xml, QStringLiteral("gridSpan"), QString::number(span));
            if (cell.rowSpan() > 1) {
                if (own)
                    element(m_xml, QStringLiteral("vMerge"), QStringLiteral("restart"));
                else
                    m_xml.writeEmptyElement(W, QStringLiteral("vMerge"));
            }
            m_xml.writeStartElement(W, QStringLiteral("tcBorders"));
            const struct { const char *name; qreal width; QTextFrameFormat::BorderStyle style; QBrush brush; } sides[] = {
                {"top", cf.topBorder(), cf.topBorderStyle(), cf.topBorderBrush()},
                {"left", cf.leftBorder(), cf.leftBorderStyle(), cf.leftBorderBrush()},
                {"bottom", cf.bottomBorder(), cf.bottomBorderStyle(), cf.bottomBorderBrush()},
                {"right", cf.rightBorder(), cf.rightBorderStyle(), cf.rightBorderBrush()},
            };
            for (const auto &side : sides) {
                const bool line = side.width > 0 && side.style != QTextFrameFormat::BorderStyle_None;
                m_xml.writeEmptyElement(W, QLatin1String(side.name));
                QString style = QStringLiteral("single");
                if (side.style == QTextFrameFormat::BorderStyle_Double)
                    style = QStringLiteral("double");
                else if (side.style == QTextFrameFormat::BorderStyle_Dotted)
                    style = QStringLiteral("dotted");
                else if (side.style == QTextFrameFormat::BorderStyle_Dashed)
                    style = QStringLiteral("dashed");
                m_xml.writeAttribute(W, QStringLiteral("val"), line ? style : QStringLiteral("nil"));
                if (line) {
                    m_xml.writeAttribute(W, QStringLiteral("sz"),
                                         QString::number(qBound(2, qRound(twips(side.width) * 8 / 20.0), 96)));
                    m_xml.writeAttribute(W, QStringLiteral("space"), QStringLiteral("0"));
                    m_xml.writeAttribute(W, QStringLiteral("color"),
                                         side.brush.style() != Qt::NoBrush ? hex(side.brush.color()) : QStringLiteral("000000"));
                }
            }
            m_xml.writeEndElement();   // tcBorders
            if (cf.hasProperty(QTextFormat::BackgroundBrush) && cf.background().style() != Qt::NoBrush) {
                m_xml.writeStartElement(W, QStringLiteral("shd"));
                m_xml.writeAttribute(W, QStringLiteral("val"), QStringLiteral("clear"));
                m_xml.writeAttribute(W, QStringLiteral("color"), QStringLiteral("auto"));
                m_xml.writeAttribute(W, QStringLiteral("fill"), hex(cf.background().color()));
                m_xml.writeEndElement();
            }
            if (cf.verticalAlignment() == QTextCharFormat::AlignMiddle)
                element(m_xml, QStringLiteral("vAlign"), QStringLiteral("center"));
            else if (cf.verticalAlignment() == QTextCharFormat::AlignBottom)
                element(m_xml, QStringLiteral("vAlign"), QStringLiteral("bottom"));
            m_xml.writeEndElement();   // tcPr
            if (own) {
                // A cell's content: its paragraphs and the tables in it.
                for (QTextFrame::iterator it = cell.begin(); !it.atEnd(); ++it) {
                    if (QTextFrame *child = it.currentFrame()) {
                        if (const auto *nested = qobject_cast<const QTextTable *>(child))
                            writeTable(nested);
                        else
                            writeFrame(child);
                    } else if (it.currentBlock().isValid()) {
                        writeBlock(it.currentBlock());
                    }
                }
            } else {
                m_xml.writeEmptyElement(W, QStringLiteral("p"));
            }
            m_xml.writeEndElement();   // tc
            c += span;
        }
        m_xml.writeEndElement();   // tr
    }
    m_xml.writeEndElement();   // tbl
}

void DocxPackageWriter::writeFrame(const QTextFrame *frame)
{
    bool lastWasTable = false;
    for (QTextFrame::iterator it = frame->begin(); !it.atEnd(); ++it) {
        if (QTextFrame *child = it.currentFrame()) {
            if (const auto *table = qobject_cast<const QTextTable *>(child))
                writeTable(table);
            else
                writeFrame(child);
            lastWasTable = true;
        } else if (it.currentBlock().isValid()) {
            writeBlock(it.currentBlock());
            lastWasTable = false;
        }
    }
    // Word wants a paragraph after a table that ends a cell or the body.
    if (lastWasTable)
        m_xml.writeEmptyElement(W, QStringLiteral("p"));
}

void DocxPackageWriter::writeSection()
{
    const PageSettings page(m_document);
    const auto word = [&page](const char *name, int fallback) { return page.word(name, fallback); };
    m_xml.writeStartElement(W, QStringLiteral("sectPr"));
    for (const DocxKept::SectionReference &ref : std::as_const(m_kept.sections)) {
        const QString id = m_keptIds.value(ref.id);
        if (id.isEmpty() || (ref.element != QLatin1String("headerReference") && ref.element != QLatin1String("footerReference")))
            continue;
        m_xml.writeEmptyElement(W, ref.element);
        m_xml.writeAttribute(W, QStringLiteral("type"), ref.type);
        m_xml.writeAttribute(R, QStringLiteral("id"), id);
    }
    m_xml.writeEmptyElement(W, QStringLiteral("pgSz"));
    m_xml.writeAttribute(W, QStringLiteral("w"), QString::number(word("paperw", 12240)));
    m_xml.writeAttribute(W, QStringLiteral("h"), QString::number(word("paperh", 15840)));
    if (page.landscape())
        m_xml.writeAttribute(W, QStringLiteral("orient"), QStringLiteral("landscape"));
    m_xml.writeEmptyElement(W, QStringLiteral("pgMar"));
    m_xml.writeAttribute(W, QStringLiteral("top"), QString::number(word("margt", 1440)));
    m_xml.writeAttribute(W, QStringLiteral("right"), QString::number(word("margr", 1800)));
    m_xml.writeAttribute(W, QStringLiteral("bottom"), QString::number(word("margb", 1440)));
    m_xml.writeAttribute(W, QStringLiteral("left"), QString::number(word("margl", 1800)));
    m_xml.writeAttribute(W, QStringLiteral("header"), QStringLiteral("720"));
    m_xml.writeAttribute(W, QStringLiteral("footer"), QStringLiteral("720"));
    m_xml.writeAttribute(W, QStringLiteral("gutter"), QStringLiteral("0"));
    if (m_kept.titlePage)
        m_xml.writeEmptyElement(W, QStringLiteral("titlePg"));
    m_xml.writeEndElement();
}

QByteArray DocxPackageWriter::documentPart()
{
    QByteArray out;
    m_xml.setDevice(nullptr);
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    m_xml.setDevice(&buffer);
    m_xml.writeStartDocument(QStringLiteral("1.0"), true);
    m_xml.writeNamespace(W, QStringLiteral("w"));
    m_xml.writeNamespace(R, QStringLiteral("r"));
    m_xml.writeNamespace(WP, QStringLiteral("wp"));
    m_xml.writeNamespace(A, QStringLiteral("a"));
    m_xml.writeNamespace(PIC, QStringLiteral("pic"));
    m_xml.writeStartElement(W, QStringLiteral("document"));
    prepareKept();
    m_xml.writeStartElement(W, QStringLiteral("body"));
    writeFrame(m_document.rootFrame());
    writeSection();
    m_xml.writeEndElement();
    m_xml.writeEndElement();
    m_xml.writeEndDocument();
    m_xml.setDevice(nullptr);
    return out;
}

QByteArray DocxPackageWriter::stylesPart() const
{
    const QFont font = m_document.defaultFont();
    const int half = qBound(2, qRound((font.pointSizeF() > 0 ? font.pointSizeF() : 10) * 2), RtfLimits::MaxHalfPoints);
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.writeStartDocument(QStringLiteral("1.0"), true);
    xml.writeNamespace(W, QStringLiteral("w"));
    xml.writeStartElement(W, QStringLiteral("styles"));
    xml.writeStartElement(W, QStringLiteral("docDefaults"));
    xml.writeStartElement(W, QStringLiteral("rPrDefault"));
    xml.writeStartElement(W, QStringLiteral("rPr"));
    xml.writeEmptyElement(W, QStringLiteral("rFonts"));
    for (const char *slot : {"ascii", "hAnsi", "eastAsia", "cs"})
        xml.writeAttribute(W, QLatin1String(slot), font.family());
    element(xml, QStringLiteral("sz"), QString::number(half));
    element(xml, QStringLiteral("szCs"), QString::number(half));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeStartElement(W, QStringLiteral("pPrDefault"));
    xml.writeStartElement(W, QStringLiteral("pPr"));
    xml.writeEmptyElement(W, QStringLiteral("spacing"));
    xml.writeAttribute(W, QStringLiteral("after"), QStringLiteral("0"));
    xml.writeAttribute(W, QStringLiteral("line"), QStringLiteral("240"));
    xml.writeAttribute(W, QStringLiteral("lineRule"), QStringLiteral("auto"));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();   // docDefaults
    xml.writeStartElement(W, QStringLiteral("style"));
    xml.writeAttribute(W, QStringLiteral("type"), QStringLiteral("paragraph"));
    xml.writeAttribute(W, QStringLiteral("default"), QStringLiteral("1"));
    xml.writeAttribute(W, QStringLiteral("styleId"), QStringLiteral("Normal"));
    element(xml, QStringLiteral("name"), QStringLiteral("Normal"));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

QByteArray DocxPackageWriter::numberingPart() const
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.writeStartDocument(QStringLiteral("1.0"), true);
    xml.writeNamespace(W, QStringLiteral("w"));
    xml.writeStartElement(W, QStringLiteral("numbering"));
    for (qsizetype i = 0; i < m_lists.size(); ++i) {
        const ListLevels &list = m_lists.at(i);
        int deepest = 0;
        for (int k = 0; k < 9; ++k) {
            if (list.levels[k])
                deepest = k;
        }
        xml.writeStartElement(W, QStringLiteral("abstractNum"));
        xml.writeAttribute(W, QStringLiteral("abstractNumId"), QString::number(i + 1));
        element(xml, QStringLiteral("multiLevelType"), deepest > 0 ? QStringLiteral("multilevel") : QStringLiteral("singleLevel"));
        // Every level down to the deepest used; one none shows is plain numbers.
        for (int k = 0; k <= deepest; ++k) {
            const QTextListFormat lf = list.levels[k] ? list.levels[k]->format() : QTextListFormat();
            xml.writeStartElement(W, QStringLiteral("lvl"));
            xml.writeAttribute(W, QStringLiteral("ilvl"), QString::number(k));
            const int start = lf.hasProperty(RtfProperties::ListStart) ? qBound(0, lf.intProperty(RtfProperties::ListStart), 32767) : 1;
            element(xml, QStringLiteral("start"), QString::number(start));
            // A numbering Qt has no style for goes back under its own name.
            const QString named = lf.stringProperty(RtfProperties::ListNumberFormat);
            const QString format = !list.levels[k] ? QStringLiteral("decimal")
                                 : ListLabel::knows(named) ? named : numberFormat(lf.style());
            element(xml, QStringLiteral("numFmt"), format);
            const QString own = QStringLiteral("%%1").arg(k + 1);
            const QString levelText = lf.stringProperty(RtfProperties::ListLevelText).left(120);
            if (format == QLatin1String("bullet")) {
                element(xml, QStringLiteral("lvlText"), lf.style() == QTextListFormat::ListCircle ? QStringLiteral("\u25E6")
                                                        : lf.style() == QTextListFormat::ListSquare ? QStringLiteral("\u25AA")
                                                                                                     : QStringLiteral("\u2022"));
            } else if (list.levels[k] && levelText.contains(own)) {
                // The label as the list defines it, with the outer levels' numbers.
                element(xml, QStringLiteral("lvlText"), levelText);
            } else {
                // The label as shown: "2." of "2.1.", the number, the suffix.
                QString text = lf.numberPrefix().left(60);
                text.replace(QLatin1Char('%'), QStringLiteral("%%"));
                const QString suffix = lf.hasProperty(QTextFormat::ListNumberSuffix) ? lf.numberSuffix().left(60)
                                                                                    : QStringLiteral(".");
                element(xml, QStringLiteral("lvlText"), text + own + suffix);
            }
            element(xml, QStringLiteral("lvlJc"), QStringLiteral("left"));
            xml.writeEndElement();   // lvl
        }
        xml.writeEndElement();   // abstractNum
    }
    for (qsizetype i = 0; i < m_lists.size(); ++i) {
        xml.writeStartElement(W, QStringLiteral("num"));
        xml.writeAttribute(W, QStringLiteral("numId"), QString::number(i + 1));
        element(xml, QStringLiteral("abstractNumId"), QString::number(i + 1));
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

QByteArray DocxPackageWriter::relationsPart() const
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.writeStartDocument(QStringLiteral("1.0"), true);
    xml.writeStartElement(QStringLiteral("Relationships"));
    xml.writeDefaultNamespace(QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships"));
    const auto write = [&xml](const QString &id, const QString &type, const QString &target, bool external) {
        xml.writeEmptyElement(QStringLiteral("Relationship"));
        xml.writeAttribute(QStringLiteral("Id"), id);
        xml.writeAttribute(QStringLiteral("Type"), type);
        xml.writeAttribute(QStringLiteral("Target"), xmlSafe(target));
        if (external)
            xml.writeAttribute(QStringLiteral("TargetMode"), QStringLiteral("External"));
    };
    write(QStringLiteral("rId1"), RelBase + QStringLiteral("styles"), QStringLiteral("styles.xml"), false);
    write(QStringLiteral("rId2"), RelBase + QStringLiteral("numbering"), QStringLiteral("numbering.xml"), false);
    for (const Relation &r : m_relations)
        write(r.id, r.type, r.target, r.external);
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

QByteArray DocxPackageWriter::package(QString *error)
{
    const QByteArray document = documentPart();
    // Even pages show their own header only where the settings say so.
    const bool evenHeaders = std::any_of(m_kept.sections.cbegin(), m_kept.sections.cend(),
                                         [](const DocxKept::SectionReference &r) { return r.type == QLatin1String("even"); });
    if (evenHeaders)
        relation(QStringLiteral("settings"), QStringLiteral("settings.xml"), false);
    QByteArray types =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Default Extension=\"png\" ContentType=\"image/png\"/>"
        "<Default Extension=\"jpeg\" ContentType=\"image/jpeg\"/>"
        "<Default Extension=\"emf\" ContentType=\"image/x-emf\"/>"
        "<Default Extension=\"wmf\" ContentType=\"image/x-wmf\"/>"
        "<Override PartName=\"/word/document.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
        "<Override PartName=\"/word/styles.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml\"/>"
        "<Override PartName=\"/word/numbering.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.numbering+xml\"/>";
    const QByteArray root =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" Target=\"word/document.xml\"/>"
        "</Relationships>";
    ZipWriter zip;
    // The kept parts as read, each with its relationships under the new
    // names; the content types still go first, where some readers look.
    struct Entry
    {
        QString name;
        QByteArray bytes;
        bool stored;
    };
    QList<Entry> kept;
    for (int i = 0; i < m_kept.parts.size(); ++i) {
        const DocxKept::Part &part = m_kept.parts.at(i);
        const QString name = keptName(i);
        kept.append({QStringLiteral("word/") + name, part.bytes, !part.contentType.endsWith(QLatin1String("xml"))});
        types += "<Override PartName=\"/word/" + name.toUtf8() + "\" ContentType=\""
            + xmlSafe(part.contentType).toHtmlEscaped().toUtf8() + "\"/>";
        if (part.relations.isEmpty())
            continue;
        QByteArray rels;
        QXmlStreamWriter xml(&rels);
        xml.writeStartDocument(QStringLiteral("1.0"), true);
        xml.writeStartElement(QStringLiteral("Relationships"));
        xml.writeDefaultNamespace(QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships"));
        for (const DocxKept::Relation &r : part.relations) {
            xml.writeEmptyElement(QStringLiteral("Relationship"));
            xml.writeAttribute(QStringLiteral("Id"), r.id);
            xml.writeAttribute(QStringLiteral("Type"), r.type);
            // Kept parts lie side by side in one folder.
            xml.writeAttribute(QStringLiteral("Target"), r.external ? xmlSafe(r.target) : keptName(r.part).section(QLatin1Char('/'), -1));
            if (r.external)
                xml.writeAttribute(QStringLiteral("TargetMode"), QStringLiteral("External"));
        }
        xml.writeEndElement();
        xml.writeEndDocument();
        kept.append({QStringLiteral("word/kept/_rels/") + name.section(QLatin1Char('/'), -1) + QStringLiteral(".rels"), rels, false});
    }
    if (evenHeaders) {
        types += "<Override PartName=\"/word/settings.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml\"/>";
        kept.append({QStringLiteral("word/settings.xml"),
                     "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<w:settings xmlns:w=\"" + W.toUtf8()
                         + "\"><w:evenAndOddHeaders/></w:settings>",
                     false});
    }
    types += "</Types>";
    zip.add(QStringLiteral("[Content_Types].xml"), types);
    zip.add(QStringLiteral("_rels/.rels"), root);
    zip.add(QStringLiteral("word/document.xml"), document);
    zip.add(QStringLiteral("word/styles.xml"), stylesPart());
    zip.add(QStringLiteral("word/numbering.xml"), numberingPart());
    zip.add(QStringLiteral("word/_rels/document.xml.rels"), relationsPart());
    for (const Media &media : std::as_const(m_media))
        zip.add(QStringLiteral("word/") + media.name, media.bytes, true);
    for (const Entry &entry : std::as_const(kept))
        zip.add(entry.name, entry.bytes, entry.stored);
    return zip.finish(error);
}
