#include "OdtPackageWriter.h"

#include "DocumentAssembler.h"
#include "OdtWordChart.h"
#include "PageSettings.h"
#include "RtfLimits.h"
#include "RtfProperties.h"
#include "Twips.h"
#include "XmlPart.h"
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
const QString OFFICE = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString STYLE = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:style:1.0");
const QString TEXT = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QString TABLE = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QString DRAW = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:drawing:1.0");
const QString FO = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0");
const QString XLINK = QStringLiteral("http://www.w3.org/1999/xlink");
const QString SVG = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0");
const QString MANIFEST = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:manifest:1.0");

QString points(qreal pixels)
{
    return QString::number(Twips::fromPixels(pixels) / 20.0, 'f', 2) + QStringLiteral("pt");
}

QString pointsOfTwips(int twips)
{
    return QString::number(twips / 20.0, 'f', 2) + QStringLiteral("pt");
}

QString hex(const QColor &c)
{
    return c.name(QColor::HexRgb);
}

void namespaces(QXmlStreamWriter &xml)
{
    xml.writeNamespace(OFFICE, QStringLiteral("office"));
    xml.writeNamespace(STYLE, QStringLiteral("style"));
    xml.writeNamespace(TEXT, QStringLiteral("text"));
    xml.writeNamespace(TABLE, QStringLiteral("table"));
    xml.writeNamespace(DRAW, QStringLiteral("draw"));
    xml.writeNamespace(FO, QStringLiteral("fo"));
    xml.writeNamespace(XLINK, QStringLiteral("xlink"));
    xml.writeNamespace(SVG, QStringLiteral("svg"));
}

QString xmlSafe(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 || c == u'\t' || c == u'\n')
            out += c;
    }
    return out;
}

// Text properties as attributes of style:text-properties.
QString textProperties(const QTextCharFormat &f)
{
    QString out;
    const auto add = [&out](const char *name, const QString &value) {
        out += QStringLiteral(" %1=\"%2\"").arg(QLatin1String(name), value.toHtmlEscaped());
    };
    const QStringList families = f.fontFamilies().toStringList();
    if (!families.isEmpty() && !families.first().isEmpty())
        add("fo:font-family", families.first());
    if (f.fontPointSize() > 0)
        add("fo:font-size", QString::number(f.fontPointSize()) + QStringLiteral("pt"));
    add("fo:font-weight", f.fontWeight() >= QFont::DemiBold ? QStringLiteral("bold") : QStringLiteral("normal"));
    add("fo:font-style", f.fontItalic() ? QStringLiteral("italic") : QStringLiteral("normal"));
    if (f.fontUnderline()) {
        add("style:text-underline-style", QStringLiteral("solid"));
        add("style:text-underline-width", QStringLiteral("auto"));
        add("style:text-underline-color", QStringLiteral("font-color"));
    }
    if (f.fontStrikeOut())
        add("style:text-line-through-style", QStringLiteral("solid"));
    if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
        add("fo:color", hex(f.foreground().color()));
    if (f.hasProperty(QTextFormat::BackgroundBrush) && f.background().style() != Qt::NoBrush)
        add("fo:background-color", hex(f.background().color()));
    if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        add("style:text-position", QStringLiteral("super 58%"));
    else if (f.verticalAlignment() == QTextCharFormat::AlignSubScript)
        add("style:text-position", QStringLiteral("sub 58%"));
    if (f.fontCapitalization() == QFont::AllUppercase)
        add("fo:text-transform", QStringLiteral("uppercase"));
    else if (f.fontCapitalization() == QFont::SmallCaps)
        add("fo:font-variant", QStringLiteral("small-caps"));
    return QStringLiteral("<style:text-properties%1/>").arg(out);
}

QString border(qreal width, QTextFrameFormat::BorderStyle style, const QBrush &brush)
{
    if (width <= 0 || style == QTextFrameFormat::BorderStyle_None)
        return QStringLiteral("none");
    const QString kind = style == QTextFrameFormat::BorderStyle_Double ? QStringLiteral("double")
        : style == QTextFrameFormat::BorderStyle_Dotted               ? QStringLiteral("dotted")
        : style == QTextFrameFormat::BorderStyle_Dashed               ? QStringLiteral("dashed")
                                                                      : QStringLiteral("solid");
    return QStringLiteral("%1 %2 %3").arg(points(width), kind,
                                          brush.style() != Qt::NoBrush ? hex(brush.color()) : QStringLiteral("#000000"));
}
}

OdtPackageWriter::OdtPackageWriter(const QTextDocument &document)
    : m_document(document)
    , m_wordNotes(document.rootFrame()->frameFormat().property(DocxKept::Parts).toByteArray())
{
}

QString OdtPackageWriter::style(const QString &family, const QString &properties, const QString &prefix)
{
    const QString key = family + QLatin1Char('|') + properties;
    QString &name = m_styleNames[key];
    if (name.isEmpty()) {
        name = prefix + QString::number(m_styles.size() + 1);
        m_styles.append({name, QStringLiteral("<style:style style:name=\"%1\" style:family=\"%2\">%3</style:style>")
                                   .arg(name, family, properties)});
    }
    return name;
}

QString OdtPackageWriter::textStyle(const QTextCharFormat &format)
{
    return style(QStringLiteral("text"), textProperties(format), QStringLiteral("T"));
}

std::pair<QString, int> OdtPackageWriter::listPlace(const QTextList *list) const
{
    const QTextListFormat lf = list->format();
    const int level = lf.intProperty(RtfProperties::ListLevel);
    if (lf.hasProperty(RtfProperties::ListGroup) && level >= 0 && level < 9) {
        const QString key = QStringLiteral("g%1").arg(lf.intProperty(RtfProperties::ListGroup));
        // A level takes the first list shown at it; one that looks otherwise
        // (changed since) is a list of its own.
        const auto it = m_listLevels.constFind(key);
        const QTextList *first = it == m_listLevels.cend() ? nullptr : it->levels[level];
        if (!first || first == list
            || (first->format().style() == lf.style()
                && first->format().stringProperty(RtfProperties::ListLevelText)
                    == lf.stringProperty(RtfProperties::ListLevelText)))
            return {key, level};
    }
    return {QStringLiteral("p%1").arg(quintptr(list)), 0};
}

QString OdtPackageWriter::listStyle(const QString &key)
{
    QString &name = m_listStyles[key];
    if (name.isEmpty()) {
        name = QStringLiteral("L%1").arg(m_listStyles.size());
        m_listStyleOrder.append(key);
    }
    return name;
}

// One text:list-style with every level down to the deepest one used.
QString OdtPackageWriter::listStyleElement(const QString &name, const QString &key) const
{
    const ListLevels levels = m_listLevels.value(key);
    int deepest = 0;
    for (int k = 0; k < 9; ++k) {
        if (levels.levels[k])
            deepest = k;
    }
    QString out;
    for (int k = 0; k <= deepest; ++k) {
        const QTextList *list = levels.levels[k];
        const QTextListFormat lf = list ? list->format() : QTextListFormat();
        const int start = lf.hasProperty(RtfProperties::ListStart) ? qBound(0, lf.intProperty(RtfProperties::ListStart), 32767) : 1;
        const QTextBlockFormat first = list && list->count() > 0 ? list->item(0).blockFormat() : QTextBlockFormat();
        const QString place = QStringLiteral("<style:list-level-properties text:list-level-position-and-space-mode=\"label-alignment\">"
                                             "<style:list-level-label-alignment text:label-followed-by=\"listtab\" "
                                             "fo:margin-left=\"%1\" fo:text-indent=\"%2\"/></style:list-level-properties>")
                                  .arg(points(first.leftMargin()), points(first.textIndent()));
        const QTextListFormat::Style style = list ? lf.style() : QTextListFormat::ListDecimal;
        switch (style) {
        case QTextListFormat::ListDecimal:
        case QTextListFormat::ListLowerAlpha:
        case QTextListFormat::ListUpperAlpha:
        case QTextListFormat::ListLowerRoman:
        case QTextListFormat::ListUpperRoman: {
            const QString format = style == QTextListFormat::ListLowerAlpha ? QStringLiteral("a")
                : style == QTextListFormat::ListUpperAlpha                  ? QStringLiteral("A")
                : style == QTextListFormat::ListLowerRoman                  ? QStringLiteral("i")
                : style == QTextListFormat::ListUpperRoman                  ? QStringLiteral("I")
                                                                            : QStringLiteral("1");
            QString prefix = lf.numberPrefix();
            QString suffix = lf.hasProperty(QTextFormat::ListNumberSuffix) ? lf.numberSuffix() : QStringLiteral(".");
            int shown = 1;
            // "%1.%2)": the outer levels' numbers shown before this one's.
            const QString text = lf.stringProperty(RtfProperties::ListLevelText);
            const QString own = QStringLiteral("%%1").arg(k + 1);
            const qsizetype ownAt = text.indexOf(own);
            const qsizetype firstAt = text.indexOf(QLatin1Char('%'));
            if (ownAt >= 0 && firstAt >= 0 && firstAt + 1 < text.size() && text.at(firstAt + 1) >= u'1'
                && text.at(firstAt + 1) <= text.at(ownAt + 1)) {
                prefix = text.left(firstAt);
                suffix = text.mid(ownAt + own.size());
                shown = k + 1 - (text.at(firstAt + 1).unicode() - u'1');
            }
            out += QStringLiteral("<text:list-level-style-number text:level=\"%1\" style:num-prefix=\"%2\" "
                                  "style:num-suffix=\"%3\" style:num-format=\"%4\" text:start-value=\"%5\"%6>%7"
                                   "</text:list-level-style-number>")
                       .arg(k + 1)
                       .arg(prefix.left(60).toHtmlEscaped(), suffix.left(60).toHtmlEscaped(), format)
                       .arg(start)
                       .arg(shown > 1 ? QStringLiteral(" text:display-levels=\"%1\"").arg(shown) : QString(), place);
            break;
        }
        default: {
            const QString bullet = style == QTextListFormat::ListCircle ? QStringLiteral("\u25E6")
                : style == QTextListFormat::ListSquare                  ? QStringLiteral("\u25AA")
                                                                        : QStringLiteral("\u2022");
            out += QStringLiteral("<text:list-level-style-bullet text:level=\"%1\" text:bullet-char=\"%2\">%3"
                                  "</text:list-level-style-bullet>").arg(k + 1).arg(bullet, place);
        }
        }
    }
    return QStringLiteral("<text:list-style style:name=\"%1\">%2</text:list-style>").arg(name, out);
}

void OdtPackageWriter::openList(const QTextList *list)
{
    if (!list) {
        closeList();
        return;
    }
    const auto [key, level] = listPlace(list);
    ListLevels &levels = m_listLevels[key];
    if (!levels.levels[level])
        levels.levels[level] = list;
    if (key != m_openKey)
        closeList();
    // Deeper levels end here, and so does this level's list when another
    // list takes its place.
    while (m_open.size() > level + 1
           || (m_open.size() == level + 1 && m_open.last() && m_open.last() != list))
        closeLevel();
    while (m_open.size() < level + 1) {
        if (!m_open.isEmpty() && !m_itemOpen.last()) {
            // A level passed through: an item of its own, holding the next.
            m_xml.writeStartElement(TEXT, QStringLiteral("list-item"));
            m_itemOpen.last() = true;
        }
        m_xml.writeStartElement(TEXT, QStringLiteral("list"));
        if (m_open.isEmpty()) {
            m_xml.writeAttribute(TEXT, QStringLiteral("style-name"), listStyle(key));
            // A list that goes on after other paragraphs keeps counting.
            if (m_listsSeen.contains(key))
                m_xml.writeAttribute(TEXT, QStringLiteral("continue-numbering"), QStringLiteral("true"));
            else
                m_listsSeen.append(key);
        }
        m_open.append(nullptr);
        m_itemOpen.append(false);
    }
    m_open.last() = list;
    m_openKey = key;
}

void OdtPackageWriter::closeLevel()
{
    if (m_itemOpen.takeLast())
        m_xml.writeEndElement();   // text:list-item
    m_xml.writeEndElement();       // text:list
    m_open.removeLast();
}

void OdtPackageWriter::closeList()
{
    while (!m_open.isEmpty())
        closeLevel();
    m_openKey.clear();
}

void OdtPackageWriter::writeText(const QString &text)
{
    // Runs of spaces, tabs and breaks are elements: text collapses its white space.
    QString piece;
    bool spaceBefore = false;
    int spaces = 0;
    const auto flushSpaces = [&] {
        if (spaces == 0)
            return;
        if (!piece.isEmpty()) {
            m_xml.writeCharacters(xmlSafe(piece));
            piece.clear();
        }
        // One plain space where one would not collapse, the rest as text:s.
        int left = spaces;
        if (spaceBefore) {
            m_xml.writeCharacters(QStringLiteral(" "));
            --left;
        }
        if (left > 0) {
            m_xml.writeEmptyElement(TEXT, QStringLiteral("s"));
            if (left > 1)
                m_xml.writeAttribute(TEXT, QStringLiteral("c"), QString::number(left));
        }
        spaces = 0;
    };
    for (const QChar c : text) {
        if (c == u' ') {
            ++spaces;
            continue;
        }
        flushSpaces();
        if (c == u'\t' || c == QChar::LineSeparator || c == u'\n' || c == QChar::ObjectReplacementCharacter) {
            if (!piece.isEmpty()) {
                m_xml.writeCharacters(xmlSafe(piece));
                piece.clear();
            }
            if (c == u'\t')
                m_xml.writeEmptyElement(TEXT, QStringLiteral("tab"));
            else if (c != QChar::ObjectReplacementCharacter)
                m_xml.writeEmptyElement(TEXT, QStringLiteral("line-break"));
            spaceBefore = false;
            continue;
        }
        piece += c;
        spaceBefore = true;
    }
    flushSpaces();
    if (!piece.isEmpty())
        m_xml.writeCharacters(xmlSafe(piece));
}

// Text typed next to a kept element takes on its format; the element is
// written once, where the text shown for it still stands.
void OdtPackageWriter::writeKeptText(const QString &text, const QTextCharFormat &format)
{
    const QString shown = format.stringProperty(OdtKept::ElementShown);
    const int number = format.intProperty(OdtKept::ElementNumber);
    const QByteArray element = format.property(OdtKept::Element).toByteArray();
    const qsizetype at = shown.isEmpty() ? -1 : text.indexOf(shown);
    if (at < 0 || m_keptWritten.contains(number) || !XmlPart::walk(element, [](const QXmlStreamReader &) { return true; })) {
        writeText(text);
        return;
    }
    m_keptWritten.insert(number);
    writeText(text.left(at));
    OdtKept::replay(element, m_xml, m_keptPaths, {OFFICE, STYLE, TEXT, TABLE, DRAW, FO, XLINK, SVG});
    writeText(text.mid(at + shown.size()));
}

// A kept Word chart as a chart object of the package, and the frame that
// shows it; empty if the drawing holds no chart.
QByteArray OdtPackageWriter::wordChart(const QByteArray &element)
{
    qint64 cx = 0, cy = 0;
    const QByteArray content = OdtWordChart::content(m_wordNotes.kept(), element, &cx, &cy);
    if (content.isEmpty())
        return {};
    m_objects.append(content);
    const QString name = QStringLiteral("Object %1").arg(m_objects.size());
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.writeNamespace(DRAW, QStringLiteral("draw"));
    xml.writeNamespace(TEXT, QStringLiteral("text"));
    xml.writeNamespace(SVG, QStringLiteral("svg"));
    xml.writeNamespace(XLINK, QStringLiteral("xlink"));
    xml.writeStartElement(DRAW, QStringLiteral("frame"));
    xml.writeAttribute(DRAW, QStringLiteral("name"), name);
    xml.writeAttribute(TEXT, QStringLiteral("anchor-type"), QStringLiteral("as-char"));
    xml.writeAttribute(SVG, QStringLiteral("width"), pointsOfTwips(int(cx > 0 ? cx / 635 : 7200)));
    xml.writeAttribute(SVG, QStringLiteral("height"), pointsOfTwips(int(cy > 0 ? cy / 635 : 4320)));
    xml.writeEmptyElement(DRAW, QStringLiteral("object"));
    xml.writeAttribute(XLINK, QStringLiteral("href"), QStringLiteral("./") + name);
    xml.writeAttribute(XLINK, QStringLiteral("type"), QStringLiteral("simple"));
    xml.writeAttribute(XLINK, QStringLiteral("show"), QStringLiteral("embed"));
    xml.writeAttribute(XLINK, QStringLiteral("actuate"), QStringLiteral("onLoad"));
    xml.writeEndElement();
    return out;
}

void OdtPackageWriter::writeImage(const QTextImageFormat &f)
{
    QByteArray bytes;
    QString extension = QStringLiteral("png"), type = QStringLiteral("image/png");
    const QString kind = f.stringProperty(RtfProperties::PictureKind);
    const QVariant data = m_document.resource(QTextDocument::ImageResource, QUrl(f.stringProperty(RtfProperties::PictureData)));
    if (data.typeId() == QMetaType::QByteArray) {
        bytes = data.toByteArray();
        if (kind.startsWith(QLatin1String("jpeg"))) {
            extension = QStringLiteral("jpg");
            type = QStringLiteral("image/jpeg");
        } else if (kind.startsWith(QLatin1String("emf"))) {
            extension = QStringLiteral("emf");
            type = QStringLiteral("image/x-emf");
        } else if (kind.startsWith(QLatin1String("wmetafile"))) {
            extension = QStringLiteral("wmf");
            type = QStringLiteral("image/x-wmf");
        } else if (!kind.startsWith(QLatin1String("png"))) {
            bytes.clear();
        }
    }
    // A linked picture goes back as its link, not as the frame shown for it;
    // a relative link is from the document's folder, "../" from the package.
    QString name = f.stringProperty(DocumentAssembler::PictureLink);
    if (bytes.isEmpty() && name.isEmpty()) {
        const QImage image = m_document.resource(QTextDocument::ImageResource, QUrl(f.name())).value<QImage>();
        if (image.isNull())
            return;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
    }
    if (!bytes.isEmpty()) {
        name = QStringLiteral("Pictures/image%1.%2").arg(m_pictures.size() + 1).arg(extension);
        m_pictures.append({name, type, bytes});
    } else if (DocumentAssembler::relativeLink(name)) {
        name.prepend(QStringLiteral("../"));
    }
    m_xml.writeStartElement(DRAW, QStringLiteral("frame"));
    m_xml.writeAttribute(DRAW, QStringLiteral("name"), QStringLiteral("Picture %1").arg(++m_frames));
    m_xml.writeAttribute(TEXT, QStringLiteral("anchor-type"), QStringLiteral("as-char"));
    m_xml.writeAttribute(SVG, QStringLiteral("width"), points(f.width() > 0 ? f.width() : 96));
    m_xml.writeAttribute(SVG, QStringLiteral("height"), points(f.height() > 0 ? f.height() : 96));
    m_xml.writeAttribute(DRAW, QStringLiteral("z-index"), QStringLiteral("0"));
    m_xml.writeEmptyElement(DRAW, QStringLiteral("image"));
    m_xml.writeAttribute(XLINK, QStringLiteral("href"), xmlSafe(name));
    m_xml.writeAttribute(XLINK, QStringLiteral("type"), QStringLiteral("simple"));
    m_xml.writeAttribute(XLINK, QStringLiteral("show"), QStringLiteral("embed"));
    m_xml.writeAttribute(XLINK, QStringLiteral("actuate"), QStringLiteral("onLoad"));
    m_xml.writeEndElement();
}

void OdtPackageWriter::writeBlock(const QTextBlock &block)
{
    const QTextBlockFormat f = block.blockFormat();
    const QTextList *list = block.textList();
    openList(list);
    QString props;
    const auto add = [&props](const char *name, const QString &value) {
        props += QStringLiteral(" %1=\"%2\"").arg(QLatin1String(name), value);
    };
    // LibreOffice reads "start" and "end" as the left and right side whatever
    // the paragraph's direction, and writes them so; a right-to-left paragraph
    // that is not absolutely aligned begins at the right.
    const Qt::Alignment align = f.alignment() & Qt::AlignHorizontal_Mask;
    const bool rtl = f.layoutDirection() == Qt::RightToLeft;
    const bool right = bool(align & Qt::AlignRight) != (rtl && !(f.alignment() & Qt::AlignAbsolute));
    add("fo:text-align", align & Qt::AlignHCenter ? QStringLiteral("center")
                        : align & Qt::AlignJustify ? QStringLiteral("justify")
                        : right ? QStringLiteral("end")
                                : QStringLiteral("start"));
    add("fo:margin-left", points(f.leftMargin()));
    add("fo:margin-right", points(f.rightMargin()));
    add("fo:text-indent", points(f.textIndent()));
    add("fo:margin-top", points(f.topMargin()));
    add("fo:margin-bottom", points(f.bottomMargin()));
    if (f.lineHeightType() == QTextBlockFormat::ProportionalHeight && f.lineHeight() > 0)
        add("fo:line-height", QString::number(qRound(f.lineHeight())) + QLatin1Char('%'));
    if (f.layoutDirection() == Qt::RightToLeft)
        add("style:writing-mode", QStringLiteral("rl-tb"));
    if (f.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
        add("fo:break-before", QStringLiteral("page"));
    if (f.hasProperty(QTextFormat::BackgroundBrush) && f.background().style() != Qt::NoBrush)
        add("fo:background-color", hex(f.background().color()));
    const QString paragraphStyle = style(QStringLiteral("paragraph"),
                                         QStringLiteral("<style:paragraph-properties%1/>").arg(props)
                                             + textProperties(block.charFormat()),
                                         QStringLiteral("P"));
    if (list) {
        // The item stays open: a deeper level that follows goes inside it.
        if (m_itemOpen.last())
            m_xml.writeEndElement();
        m_xml.writeStartElement(TEXT, QStringLiteral("list-item"));
        m_itemOpen.last() = true;
    }
    m_xml.writeStartElement(TEXT, QStringLiteral("p"));
    m_xml.writeAttribute(TEXT, QStringLiteral("style-name"), paragraphStyle);
    QString openHref;
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid())
            continue;
        const QTextCharFormat cf = fragment.charFormat();
        const QString href = cf.isAnchor() ? cf.anchorHref() : QString();
        if (href != openHref) {
            if (!openHref.isEmpty())
                m_xml.writeEndElement();
            if (!href.isEmpty()) {
                m_xml.writeStartElement(TEXT, QStringLiteral("a"));
                m_xml.writeAttribute(XLINK, QStringLiteral("type"), QStringLiteral("simple"));
                m_xml.writeAttribute(XLINK, QStringLiteral("href"), xmlSafe(href));
            }
            openHref = href;
        }
        m_xml.writeStartElement(TEXT, QStringLiteral("span"));
        m_xml.writeAttribute(TEXT, QStringLiteral("style-name"), textStyle(cf));
        if (cf.isImageFormat()) {
            for (qsizetype i = 0; i < fragment.text().size(); ++i)
                writeImage(cf.toImageFormat());
        } else if (cf.hasProperty(OdtKept::Element)) {
            writeKeptText(fragment.text(), cf);
        } else if (cf.hasProperty(DocxKept::Element)) {
            // A Word note, comment or chart goes as OpenDocument's own, where
            // the kept parts hold it.
            QTextCharFormat note = cf;
            const QString shown = cf.stringProperty(DocxKept::ElementShown);
            const QByteArray word = cf.property(DocxKept::Element).toByteArray();
            QByteArray odf = m_wordNotes.element(word, shown);
            if (odf.isEmpty())
                odf = wordChart(word);
            note.setProperty(OdtKept::Element, odf);
            note.setProperty(OdtKept::ElementNumber, -cf.intProperty(DocxKept::ElementNumber));
            note.setProperty(OdtKept::ElementShown, shown);
            writeKeptText(fragment.text(), note);
        } else {
            writeText(fragment.text());
        }
        m_xml.writeEndElement();
    }
    if (!openHref.isEmpty())
        m_xml.writeEndElement();
    m_xml.writeEndElement();   // p
}

void OdtPackageWriter::writeTable(const QTextTable *table)
{
    closeList();
    const QTextTableFormat tf = table->format();
    const int rows = table->rows(), columns = table->columns();
    const QString name = QStringLiteral("Table%1").arg(++m_tables);
    QString tableProps = QStringLiteral(" table:align=\"%1\"").arg(
        tf.alignment() & Qt::AlignHCenter ? QStringLiteral("center")
        : tf.alignment() & Qt::AlignRight ? QStringLiteral("right") : QStringLiteral("left"));
    const QList<QTextLength> constraints = tf.columnWidthConstraints();
    int total = 0;
    QList<int> widths;
    for (int c = 0; c < columns; ++c) {
        const QTextLength length = c < constraints.size() ? constraints.at(c) : QTextLength();
        widths << (length.type() == QTextLength::FixedLength ? qMax(20, Twips::fromPixels(length.rawValue()))
                                                             : qMax(20, 9360 / qMax(1, columns)));
        total += widths.last();
    }
    tableProps += QStringLiteral(" style:width=\"%1\"").arg(pointsOfTwips(total));
    if (tf.leftMargin() > 0)
        tableProps += QStringLiteral(" fo:margin-left=\"%1\"").arg(points(tf.leftMargin()));
    const QString tableStyle = style(QStringLiteral("table"), QStringLiteral("<style:table-properties%1/>").arg(tableProps),
                                     QStringLiteral("Tab"));
    m_xml.writeStartElement(TABLE, QStringLiteral("table"));
    m_xml.writeAttribute(TABLE, QStringLiteral("name"), name);
    m_xml.writeAttribute(TABLE, QStringLiteral("style-name"), tableStyle);
    for (int c = 0; c < columns; ++c) {
        m_xml.writeEmptyElement(TABLE, QStringLiteral("table-column"));
        m_xml.writeAttribute(TABLE, QStringLiteral("style-name"),
                             style(QStringLiteral("table-column"),
                                   QStringLiteral("<style:table-column-properties style:column-width=\"%1\"/>")
                                       .arg(pointsOfTwips(widths.at(c))),
                                   QStringLiteral("Col")));
    }
    for (int r = 0; r < rows; ++r) {
        m_xml.writeStartElement(TABLE, QStringLiteral("table-row"));
        for (int c = 0; c < columns; ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            if (cell.row() != r || cell.column() != c) {
                m_xml.writeEmptyElement(TABLE, QStringLiteral("covered-table-cell"));
                continue;
            }
            const QTextTableCellFormat cf = cell.format().toTableCellFormat();
            QString props = QStringLiteral(" fo:padding-left=\"%1\" fo:padding-right=\"%2\" fo:padding-top=\"%3\" "
                                           "fo:padding-bottom=\"%4\"")
                                .arg(points(cf.leftPadding()), points(cf.rightPadding()), points(cf.topPadding()),
                                     points(cf.bottomPadding()));
            props += QStringLiteral(" fo:border-top=\"%1\" fo:border-left=\"%2\" fo:border-bottom=\"%3\" fo:border-right=\"%4\"")
                         .arg(border(cf.topBorder(), cf.topBorderStyle(), cf.topBorderBrush()),
                              border(cf.leftBorder(), cf.leftBorderStyle(), cf.leftBorderBrush()),
                              border(cf.bottomBorder(), cf.bottomBorderStyle(), cf.bottomBorderBrush()),
                              border(cf.rightBorder(), cf.rightBorderStyle(), cf.rightBorderBrush()));
            if (cf.hasProperty(QTextFormat::BackgroundBrush) && cf.background().style() != Qt::NoBrush)
                props += QStringLiteral(" fo:background-color=\"%1\"").arg(hex(cf.background().color()));
            if (cf.verticalAlignment() == QTextCharFormat::AlignMiddle)
                props += QStringLiteral(" style:vertical-align=\"middle\"");
            else if (cf.verticalAlignment() == QTextCharFormat::AlignBottom)
                props += QStringLiteral(" style:vertical-align=\"bottom\"");
            m_xml.writeStartElement(TABLE, QStringLiteral("table-cell"));
            m_xml.writeAttribute(TABLE, QStringLiteral("style-name"),
                                 style(QStringLiteral("table-cell"),
                                       QStringLiteral("<style:table-cell-properties%1/>").arg(props), QStringLiteral("Cell")));
            m_xml.writeAttribute(OFFICE, QStringLiteral("value-type"), QStringLiteral("string"));
            if (cell.columnSpan() > 1)
                m_xml.writeAttribute(TABLE, QStringLiteral("number-columns-spanned"), QString::number(cell.columnSpan()));
            if (cell.rowSpan() > 1)
                m_xml.writeAttribute(TABLE, QStringLiteral("number-rows-spanned"), QString::number(cell.rowSpan()));
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
            closeList();
            m_xml.writeEndElement();   // table-cell
        }
        m_xml.writeEndElement();   // table-row
    }
    m_xml.writeEndElement();   // table
}

void OdtPackageWriter::writeFrame(const QTextFrame *frame)
{
    for (QTextFrame::iterator it = frame->begin(); !it.atEnd(); ++it) {
        if (QTextFrame *child = it.currentFrame()) {
            if (const auto *table = qobject_cast<const QTextTable *>(child))
                writeTable(table);
            else
                writeFrame(child);
        } else if (it.currentBlock().isValid()) {
            writeBlock(it.currentBlock());
        }
    }
    closeList();
}

QByteArray OdtPackageWriter::stylesPart() const
{
    const QByteArray settings = m_document.rootFrame()->frameFormat().property(RtfProperties::DocumentSettings).toByteArray();
    const PageSettings page(settings);
    const auto word = [&page](const char *name, int fallback) { return page.word(name, fallback); };
    const QFont font = m_document.defaultFont();
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.writeStartDocument();
    namespaces(xml);
    xml.writeStartElement(OFFICE, QStringLiteral("document-styles"));
    xml.writeAttribute(OFFICE, QStringLiteral("version"), QStringLiteral("1.2"));
    xml.writeStartElement(OFFICE, QStringLiteral("styles"));
    xml.writeStartElement(STYLE, QStringLiteral("default-style"));
    xml.writeAttribute(STYLE, QStringLiteral("family"), QStringLiteral("paragraph"));
    xml.writeEmptyElement(STYLE, QStringLiteral("text-properties"));
    xml.writeAttribute(FO, QStringLiteral("font-family"), font.family());
    xml.writeAttribute(FO, QStringLiteral("font-size"),
                       QString::number(font.pointSizeF() > 0 ? font.pointSizeF() : 10) + QStringLiteral("pt"));
    xml.writeEndElement();
    xml.writeEndElement();   // styles
    xml.writeStartElement(OFFICE, QStringLiteral("automatic-styles"));
    xml.writeStartElement(STYLE, QStringLiteral("page-layout"));
    xml.writeAttribute(STYLE, QStringLiteral("name"), QStringLiteral("pm1"));
    xml.writeEmptyElement(STYLE, QStringLiteral("page-layout-properties"));
    xml.writeAttribute(FO, QStringLiteral("page-width"), pointsOfTwips(word("paperw", 12240)));
    xml.writeAttribute(FO, QStringLiteral("page-height"), pointsOfTwips(word("paperh", 15840)));
    xml.writeAttribute(FO, QStringLiteral("margin-top"), pointsOfTwips(word("margt", 1440)));
    xml.writeAttribute(FO, QStringLiteral("margin-bottom"), pointsOfTwips(word("margb", 1440)));
    xml.writeAttribute(FO, QStringLiteral("margin-left"), pointsOfTwips(word("margl", 1800)));
    xml.writeAttribute(FO, QStringLiteral("margin-right"), pointsOfTwips(word("margr", 1800)));
    if (settings.contains("\\landscape"))
        xml.writeAttribute(STYLE, QStringLiteral("print-orientation"), QStringLiteral("landscape"));
    xml.writeEndElement();   // page-layout
    xml.writeEndElement();   // automatic-styles
    xml.writeStartElement(OFFICE, QStringLiteral("master-styles"));
    xml.writeStartElement(STYLE, QStringLiteral("master-page"));
    xml.writeAttribute(STYLE, QStringLiteral("name"), QStringLiteral("Standard"));
    xml.writeAttribute(STYLE, QStringLiteral("page-layout-name"), QStringLiteral("pm1"));
    for (const QByteArray &element : m_kept.master) {
        if (XmlPart::walk(element, [](const QXmlStreamReader &) { return true; }))
            OdtKept::replay(element, xml, m_keptPaths, {OFFICE, STYLE, TEXT, TABLE, DRAW, FO, XLINK, SVG});
    }
    xml.writeEndElement();   // master-page
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

QByteArray OdtPackageWriter::package(QString *error)
{
    // Kept files go under names of their own, clear of the pictures'.
    m_kept = OdtKept::fromBytes(m_document.rootFrame()->frameFormat().property(OdtKept::Parts).toByteArray());
    for (qsizetype i = 0; i < m_kept.files.size(); ++i) {
        QString base = m_kept.files.at(i).first.section(QLatin1Char('/'), -1);
        for (QChar &c : base) {
            if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'.' && c != u'-' && c != u'_')
                c = u'_';
        }
        m_keptPaths.insert(m_kept.files.at(i).first, QStringLiteral("Kept/%1-%2").arg(i + 1).arg(base.left(64)));
    }
    // The body first: it makes the automatic styles the head then lists.
    QBuffer body(&m_body);
    body.open(QIODevice::WriteOnly);
    m_xml.setDevice(&body);
    m_xml.writeStartDocument();
    namespaces(m_xml);
    m_xml.writeStartElement(OFFICE, QStringLiteral("text"));
    writeFrame(m_document.rootFrame());
    m_xml.writeEndElement();
    m_xml.writeEndDocument();
    m_xml.setDevice(nullptr);
    // The office:text element without its XML declaration and namespaces,
    // which the content part declares once.
    QByteArray text = m_body.mid(m_body.indexOf("<office:text"));
    text = "<office:text>" + text.mid(text.indexOf('>') + 1);

    QByteArray content = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content";
    for (const auto &[prefix, uri] : {std::pair{"office", OFFICE}, {"style", STYLE}, {"text", TEXT}, {"table", TABLE},
                                      {"draw", DRAW}, {"fo", FO}, {"xlink", XLINK}, {"svg", SVG}})
        content += " xmlns:" + QByteArray(prefix) + "=\"" + uri.toUtf8() + "\"";
    content += " office:version=\"1.2\">";
    for (const QString &key : std::as_const(m_listStyleOrder))
        m_styles.append({m_listStyles.value(key), listStyleElement(m_listStyles.value(key), key)});
    QByteArray styles = "<office:automatic-styles>";
    for (const auto &[name, element] : std::as_const(m_styles))
        styles += element.toUtf8();
    styles += "</office:automatic-styles>";
    content += styles + "<office:body>" + text + "</office:body></office:document-content>";

    QByteArray manifest =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" manifest:version=\"1.2\">"
        "<manifest:file-entry manifest:full-path=\"/\" manifest:version=\"1.2\" "
        "manifest:media-type=\"application/vnd.oasis.opendocument.text\"/>"
        "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>"
        "<manifest:file-entry manifest:full-path=\"styles.xml\" manifest:media-type=\"text/xml\"/>";
    for (const Picture &p : std::as_const(m_pictures))
        manifest += "<manifest:file-entry manifest:full-path=\"" + p.name.toUtf8() + "\" manifest:media-type=\""
                + p.mediaType.toUtf8() + "\"/>";
    for (const auto &[path, bytes] : std::as_const(m_kept.files)) {
        const QString suffix = path.section(QLatin1Char('.'), -1).toLower();
        const QByteArray type = suffix == QLatin1String("png") ? "image/png"
            : (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg")) ? "image/jpeg"
            : suffix == QLatin1String("gif") ? "image/gif"
            : suffix == QLatin1String("svg") ? "image/svg+xml"
            : suffix == QLatin1String("xml") ? "text/xml"
                                              : "application/octet-stream";
        manifest += "<manifest:file-entry manifest:full-path=\"" + m_keptPaths.value(path).toUtf8()
            + "\" manifest:media-type=\"" + type + "\"/>";
    }
    for (qsizetype i = 0; i < m_objects.size(); ++i)
        manifest += "<manifest:file-entry manifest:full-path=\"Object " + QByteArray::number(i + 1)
            + "/\" manifest:media-type=\"application/vnd.oasis.opendocument.chart\"/>"
            "<manifest:file-entry manifest:full-path=\"Object " + QByteArray::number(i + 1)
            + "/content.xml\" manifest:media-type=\"text/xml\"/>";
    manifest += "</manifest:manifest>";

    ZipWriter zip;
    zip.add(QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.text", true);
    zip.add(QStringLiteral("content.xml"), content);
    zip.add(QStringLiteral("styles.xml"), stylesPart());
    zip.add(QStringLiteral("META-INF/manifest.xml"), manifest);
    for (const Picture &p : std::as_const(m_pictures))
        zip.add(p.name, p.bytes, true);
    for (const auto &[path, bytes] : std::as_const(m_kept.files))
        zip.add(m_keptPaths.value(path), bytes, !path.endsWith(QLatin1String(".xml")));
    for (qsizetype i = 0; i < m_objects.size(); ++i)
        zip.add(QStringLiteral("Object %1/content.xml").arg(i + 1), m_objects.at(i));
    return zip.finish(error);
}
