#include "OdtReader.h"

#include "RtfLimits.h"
#include "RtfProperties.h"
#include "Twips.h"
#include "XmlPart.h"
#include "ZipReader.h"

#include <QDir>
#include <QTextDocument>
#include <QTextFrame>

#include <algorithm>

namespace {
constexpr int MaxNesting = 32;
// Spreadsheet-like tables repeat rows and columns by the million.
constexpr int MaxRepeat = 1000;
constexpr int MaxRows = 100000;

bool is(const XmlPart &part, const char *name)
{
    return part.is(QLatin1StringView(name));
}

QString attr(const XmlPart &part, const char *name)
{
    return part.attribute(QLatin1StringView(name));
}

int count(const XmlPart &part, const char *name)
{
    const int n = attr(part, name).toInt();
    return qBound(1, n, MaxRepeat);
}
}

bool OdtReader::isOdt(const QByteArray &bytes)
{
    if (!bytes.startsWith("PK\x03\x04"))
        return false;
    ZipReader zip(bytes);
    if (!zip.isOpen() || !zip.contains(QStringLiteral("content.xml")))
        return false;
    bool ok = false;
    const QByteArray type = zip.read(QStringLiteral("mimetype"), &ok, 256);
    return ok && type.trimmed().startsWith("application/vnd.oasis.opendocument.text");
}

OdtReader::OdtReader(QTextDocument &document, ZipReader &zip)
    : m_document(document)
    , m_zip(zip)
    , m_assembler(document, [this](int listId, int level) {
        return m_styles.listLevel(m_listStyles.value(listId), level);
    })
{
}

void OdtReader::problem(const QString &text, bool lost)
{
    if (lost)
        m_incomplete = true;
    if (!m_problems.contains(text) && m_problems.size() < RtfLimits::MaxReportedErrors)
        m_problems.append(text);
}

OdtReader::Result OdtReader::read(const QByteArray &bytes, QTextDocument &document)
{
    Result result;
    ZipReader zip(bytes);
    if (!zip.isOpen()) {
        result.errorText = zip.errorText();
        return result;
    }
    bool ok = false;
    const QByteArray content = zip.read(QStringLiteral("content.xml"), &ok);
    if (!ok) {
        result.errorText = zip.contains(QStringLiteral("content.xml")) ? zip.errorText()
                                                                       : QStringLiteral("it holds no content.xml");
        return result;
    }
    document.clear();
    OdtReader reader(document, zip);
    if (zip.contains(QStringLiteral("styles.xml"))) {
        XmlPart styles(zip.read(QStringLiteral("styles.xml"), &ok));
        if (styles.nextChild()) {
            while (styles.nextChild()) {
                if (is(styles, "styles") || is(styles, "automatic-styles") || is(styles, "master-styles"))
                    reader.m_styles.read(styles);
                else
                    styles.skip();
            }
        }
        if (styles.failed())
            reader.problem(QStringLiteral("its styles are damaged: %1").arg(styles.errorText()), true);
    }
    XmlPart xml(content);
    if (xml.nextChild()) {   // office:document-content
        while (xml.nextChild()) {
            if (is(xml, "automatic-styles")) {
                reader.m_styles.read(xml);
            } else if (is(xml, "body")) {
                while (xml.nextChild()) {
                    if (is(xml, "text")) {
                        QList<Item> items;
                        reader.readBody(xml, items, 0, 0);
                        reader.m_assembler.emitItems(items);
                    } else {
                        xml.skip();
                    }
                }
            } else {
                xml.skip();
            }
        }
    }
    if (xml.failed())
        reader.problem(QStringLiteral("its text is damaged: %1").arg(xml.errorText()), true);
    if (!reader.m_any && !reader.m_assembler.emittedAny()) {
        result.errorText = reader.m_problems.isEmpty() ? QStringLiteral("it holds no text Quillet can read")
                                                       : reader.m_problems.first();
        return result;
    }
    for (const QByteArray &element : reader.m_styles.masterParts()) {
        if (!element.isEmpty()) {
            reader.m_kept.master.append(element);
            reader.keepFiles(element);
        }
    }
    if (!reader.m_kept.isEmpty()) {
        QTextFrameFormat root = document.rootFrame()->frameFormat();
        root.setProperty(OdtKept::Parts, reader.m_kept.toBytes());
        document.rootFrame()->setFrameFormat(root);
    }
    if (const QByteArray settings = reader.m_styles.pageSettings(); !settings.isEmpty()) {
        QTextFrameFormat root = document.rootFrame()->frameFormat();
        root.setProperty(RtfProperties::DocumentSettings, settings);
        document.rootFrame()->setFrameFormat(root);
    }
    result.ok = true;
    result.incomplete = reader.m_incomplete;
    result.errorText = reader.m_problems.join(QStringLiteral("; "));
    return result;
}

// Paragraphs, headings, lists, tables and sections; at the top each is
// built as soon as it ends.
void OdtReader::readBody(XmlPart &part, QList<Item> &out, int tableDepth, int nesting)
{
    while (part.nextChild()) {
        if (is(part, "p") || is(part, "h")) {
            readParagraph(part, out, 0, 0, false);
        } else if (is(part, "list")) {
            readList(part, out, attr(part, "style-name"), 0, 0, tableDepth, nesting);
        } else if (is(part, "table")) {
            if (tableDepth >= RtfLimits::MaxTableDepth || nesting >= MaxNesting) {
                problem(QStringLiteral("tables are nested more than %1 deep").arg(RtfLimits::MaxTableDepth), false);
                readBody(part, out, tableDepth, nesting + 1);
            } else {
                Item item;
                item.table = readTable(part, tableDepth + 1, nesting + 1);
                if (item.table && !item.table->rows.isEmpty())
                    out.append(item);
            }
        } else if ((is(part, "section") || is(part, "index-body") || is(part, "table-of-content")
                    || is(part, "alphabetical-index") || is(part, "illustration-index") || is(part, "soft-page-break")
                    || is(part, "table-header-rows") || is(part, "table-row") || is(part, "table-cell"))
                   && nesting < MaxNesting) {
            readBody(part, out, tableDepth, nesting + 1);
        } else {
            part.skip();
        }
        if (tableDepth == 0 && nesting == 0 && !out.isEmpty()) {
            m_assembler.emitItems(out);
            out.clear();
        }
    }
}

void OdtReader::readList(XmlPart &part, QList<Item> &out, const QString &style, int level, int parentId,
                         int tableDepth, int nesting)
{
    // A list that continues an earlier one of its style keeps its numbers;
    // a list inside an item is the next level of the same list, numbered
    // with it, unless it brings a list style of its own.
    // ODF 1.2 names the list continued by its xml:id.
    const bool continues = attr(part, "continue-numbering") == QLatin1String("true");
    const QString continued = attr(part, "continue-list");
    int listId = 0;
    if (level > 0 && m_listStyles.value(parentId) == style)
        listId = parentId;
    else if (!continued.isEmpty() && m_listIds.contains(continued))
        listId = m_listIds.value(continued);
    else if (continues && m_lastList.contains(style))
        listId = m_lastList.value(style);
    else
        listId = ++m_lists;
    m_listStyles.insert(listId, style);
    if (level == 0)
        m_lastList.insert(style, listId);
    if (const QString id = attr(part, "id"); !id.isEmpty() && m_listIds.size() < RtfLimits::MaxTableEntries)
        m_listIds.insert(id.left(256), listId);
    const int shown = qBound(0, level, 8);
    while (part.nextChild()) {
        if (!(is(part, "list-item") || is(part, "list-header")) || nesting >= MaxNesting) {
            part.skip();
            continue;
        }
        bool labelled = is(part, "list-item");
        // An item may set its own number; the list counts on from it.
        bool ok = false;
        const int start = attr(part, "start-value").toInt(&ok);
        m_itemStart = labelled && ok ? qBound(0, start, 32767) : -1;
        while (part.nextChild()) {
            if (is(part, "p") || is(part, "h")) {
                readParagraph(part, out, listId, shown, labelled);
                labelled = false;   // one label an item
            } else if (is(part, "list")) {
                m_itemStart = -1;   // the item's number is its own paragraph's
                const QString inner = attr(part, "style-name");
                readList(part, out, inner.isEmpty() ? style : inner, level + 1, listId, tableDepth, nesting + 1);
            } else if (is(part, "table") && tableDepth < RtfLimits::MaxTableDepth) {
                Item item;
                item.table = readTable(part, tableDepth + 1, nesting + 1);
                if (item.table && !item.table->rows.isEmpty())
                    out.append(item);
            } else {
                part.skip();
            }
        }
    }
}

QTextCharFormat OdtReader::format(const DocxRunProps &props, const QString &href) const
{
    QTextCharFormat f;
    props.applyTo(f);
    if (!f.hasProperty(QTextFormat::FontWeight))
        f.setFontWeight(QFont::Normal);
    if (!href.isEmpty()) {
        f.setAnchor(true);
        f.setAnchorHref(href);
        f.setProperty(RtfProperties::FieldInstruction, QStringLiteral("HYPERLINK \"%1\"").arg(href));
    }
    return f;
}

void OdtReader::readParagraph(XmlPart &part, QList<Item> &out, int listId, int level, bool labelled)
{
    const QString styleName = attr(part, "style-name");
    m_para = Para();
    DocxParaProps props = m_styles.paragraph(styleName);
    if (listId > 0) {
        // The paragraph's own indent wins over its list level's.
        const auto [left, first] = m_styles.listIndent(m_listStyles.value(listId), level);
        if (!props.left)
            props.left = left;
        if (!props.firstLine)
            props.firstLine = labelled ? first : 0;
        if (labelled) {
            m_para.listId = listId;
            m_para.level = level;
            m_para.startAt = std::exchange(m_itemStart, -1);
        }
    }
    props.applyTo(m_para.block);
    if (!m_para.block.hasProperty(QTextFormat::BlockAlignment))
        m_para.block.setAlignment(Qt::AlignLeft);
    const DocxRunProps runs = m_styles.paragraphText(styleName);
    m_para.mark = format(runs, QString());
    m_space = true;
    readInline(part, runs, QString(), 0);
    Item item;
    item.para = std::move(m_para);
    m_para = Para();
    out.append(std::move(item));
    m_any = true;
}

void OdtReader::addText(const QString &text, const QTextCharFormat &format)
{
    if (text.isEmpty())
        return;
    auto &runs = m_para.runs;
    if (!runs.isEmpty() && !runs.last().image && runs.last().format == format)
        runs.last().text += text;
    else
        runs.append(DocumentAssembler::Run{text, format, false});
}

// The content of the current element: text, spans, links, spaces, breaks.
void OdtReader::readInline(XmlPart &part, const DocxRunProps &props, const QString &href, int nesting)
{
    const QTextCharFormat f = format(props, href);
    QXmlStreamReader &xml = part.stream();
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::Characters) {
            // White space collapses to one space, and none at the start.
            QString text;
            for (const QChar c : xml.text()) {
                const bool space = c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
                if (space) {
                    if (!m_space)
                        text += u' ';
                    m_space = true;
                } else {
                    text += c;
                    m_space = false;
                }
            }
            addText(text, f);
            continue;
        }
        if (token == QXmlStreamReader::EndElement) {
            part.ended();
            return;
        }
        if (token == QXmlStreamReader::DTD) {
            xml.raiseError(QStringLiteral("it has a document type declaration"));
            return;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (!part.entered())
            return;
        if (is(part, "s")) {
            addText(QString(qMin(count(part, "c"), 1000), u' '), f);
            m_space = false;
            part.skip();
        } else if (is(part, "tab")) {
            addText(QStringLiteral("\t"), f);
            m_space = true;
            part.skip();
        } else if (is(part, "line-break")) {
            addText(QString(QChar::LineSeparator), f);
            m_space = true;
            part.skip();
        } else if (is(part, "span") && nesting < MaxNesting) {
            DocxRunProps inner = props;
            inner.merge(m_styles.text(attr(part, "style-name")));
            readInline(part, inner, href, nesting + 1);
        } else if (is(part, "a") && nesting < MaxNesting) {
            readInline(part, props, attr(part, "href"), nesting + 1);
        } else if (is(part, "frame")) {
            readFrame(part, f);
        } else if (is(part, "note") || is(part, "annotation")) {
            keepElement(part, f);
        } else if (is(part, "annotation-end") || is(part, "bookmark") || is(part, "bookmark-start")
                   || is(part, "bookmark-end") || is(part, "soft-page-break") || is(part, "reference-mark-start")
                   || is(part, "reference-mark-end") || is(part, "change-start") || is(part, "change-end")
                   || is(part, "change")) {
            part.skip();
        } else if (nesting < MaxNesting) {
            // Fields and the like: their shown text.
            readInline(part, props, href, nesting + 1);
        } else {
            part.skip();
        }
    }
}

// A note or comment: kept as read on the characters shown for it (the
// note's citation, else U+FFFC), so an OpenDocument save writes it back.
void OdtReader::keepElement(XmlPart &part, const QTextCharFormat &format)
{
    const bool note = is(part, "note");
    const QByteArray element = part.copy();
    if (element.isEmpty())
        return;   // damaged: the part's own error says so
    if (m_keptBytes + element.size() > RtfLimits::MaxKeptBytes) {
        problem(QStringLiteral("notes past %1 MB are not kept").arg(RtfLimits::MaxKeptBytes / (1024 * 1024)), true);
        return;
    }
    m_keptBytes += element.size();
    QString shown(QChar::ObjectReplacementCharacter);
    QTextCharFormat f = format;
    if (note) {
        QString citation;
        int in = 0;
        XmlPart::walk(element, [&](const QXmlStreamReader &xml) {
            if (xml.tokenType() == QXmlStreamReader::StartElement && (in > 0 || xml.name() == QLatin1String("note-citation")))
                ++in;
            else if (xml.tokenType() == QXmlStreamReader::EndElement && in > 0)
                --in;
            else if (xml.tokenType() == QXmlStreamReader::Characters && in > 0 && citation.size() < 16)
                citation += xml.text();
            return true;
        });
        citation = citation.trimmed().left(16);
        if (!citation.isEmpty())
            shown = citation;
        f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    }
    f.setProperty(OdtKept::Element, element);
    f.setProperty(OdtKept::ElementNumber, ++m_keptElements);
    f.setProperty(OdtKept::ElementShown, shown);
    addText(shown, f);
    m_space = false;
    keepFiles(element);
}

void OdtReader::keepFiles(const QByteArray &element)
{
    for (const QString &path : OdtKept::paths(element)) {
        const bool known = std::any_of(m_kept.files.cbegin(), m_kept.files.cend(),
                                       [&path](const auto &file) { return file.first == path; });
        if (known || !m_zip.contains(path) || m_kept.files.size() >= 256)
            continue;
        bool ok = false;
        const QByteArray bytes = m_zip.read(path, &ok, qMin<qint64>(RtfLimits::MaxPictureBytes, RtfLimits::MaxKeptBytes - m_keptBytes));
        if (!ok) {
            problem(QStringLiteral("%1 could not be kept: %2").arg(path, m_zip.errorText()), true);
            continue;
        }
        m_keptBytes += bytes.size();
        m_kept.files.append({path, bytes});
    }
}

void OdtReader::readFrame(XmlPart &part, const QTextCharFormat &format)
{
    const int width = OdtStyles::twips(attr(part, "width")).value_or(0);
    const int height = OdtStyles::twips(attr(part, "height")).value_or(0);
    bool placed = false;
    while (part.nextChild()) {
        if (is(part, "image") && !placed) {
            const QString href = attr(part, "href");
            const QString target = QDir::cleanPath(href);
            placed = true;
            // A picture outside the package (a URL, or a path from the
            // package's folder, "../") is shown as a frame keeping its link,
            // as Word links are: relative to the document's folder.
            if (href.isEmpty()) {
                // No picture named: nothing to show.
            } else if (!DocumentAssembler::relativeLink(href)) {
                m_assembler.addLinkedPicture(href, width, height, format, m_para);
            } else if (target.startsWith(QLatin1String("../"))) {
                m_assembler.addLinkedPicture(target.mid(3), width, height, format, m_para);
            } else {
                bool ok = false;
                const QByteArray bytes = m_zip.read(target, &ok, RtfLimits::MaxPictureBytes);
                if (!ok) {
                    problem(QStringLiteral("a picture could not be read: %1").arg(m_zip.errorText()), true);
                } else {
                    QString shown;
                    m_assembler.addPicture(bytes, width, height, format, m_para, &shown);
                    if (!shown.isEmpty())
                        problem(shown, false);
                }
            }
        }
        part.skip();
    }
}

std::shared_ptr<OdtReader::Table> OdtReader::readTable(XmlPart &part, int depth, int nesting)
{
    auto table = std::make_shared<Table>();
    table->cellLeft = table->cellRight = 0;
    Para outer = std::move(m_para);
    const bool outerSpace = m_space;
    const std::function<void()> readRows = [&] {
        while (part.nextChild()) {
            if (is(part, "table-column")) {
                const int width = m_styles.columnWidth(attr(part, "style-name"));
                for (int i = count(part, "number-columns-repeated"); i > 0 && table->grid.size() < RtfLimits::MaxTableColumns; --i)
                    table->grid.append(width);
                part.skip();
            } else if (is(part, "table-columns") || is(part, "table-header-columns") || is(part, "table-column-group")
                       || is(part, "table-header-rows") || is(part, "table-rows") || is(part, "table-row-group")) {
                readRows();
            } else if (is(part, "table-row")) {
                const int repeat = count(part, "number-rows-repeated");
                DocumentAssembler::Row row;
                int spanLeft = 0;   // places the last cell's own span covers to its right
                while (part.nextChild()) {
                    const bool covered = is(part, "covered-table-cell");
                    if (!is(part, "table-cell") && !covered) {
                        part.skip();
                        continue;
                    }
                    if (covered && spanLeft > 0) {
                        // Covered by the cell on its left: that cell's span says so.
                        spanLeft -= qMin(spanLeft, count(part, "number-columns-repeated"));
                        part.skip();
                        continue;
                    }
                    const int columns = count(part, "number-columns-repeated");
                    DocumentAssembler::Cell cell;
                    cell.covered = covered;
                    cell.span = qBound(1, attr(part, "number-columns-spanned").toInt(), RtfLimits::MaxTableColumns);
                    cell.rowSpan = qBound(1, attr(part, "number-rows-spanned").toInt(), MaxRows);
                    const OdtStyles::CellLook look = m_styles.cell(attr(part, "style-name"));
                    if (look.background.isValid())
                        cell.format.setBackground(look.background);
                    for (int side = 0; side < 4 && look.hasBorders; ++side) {
                        DocumentAssembler::setBorder(cell.format, side, look.borders[side]);
                        cell.borders[side] = true;
                    }
                    spanLeft = covered ? 0 : cell.span - 1;
                    readBody(part, cell.items, depth, nesting + 1);
                    if (cell.items.isEmpty() && !covered) {
                        Item empty;
                        empty.para.block.setAlignment(Qt::AlignLeft);
                        cell.items.append(empty);
                    }
                    for (int i = 0; i < columns && row.cells.size() < RtfLimits::MaxTableColumns; ++i)
                        row.cells.append(cell);
                }
                // Repeated rows are counted cell by cell: a few short lines
                // of XML must not become millions of cells.
                for (int i = 0; i < repeat; ++i, ++m_rows) {
                    m_cells += qMax<qsizetype>(1, row.cells.size());
                    if (m_rows >= MaxRows || m_cells > RtfLimits::MaxTableCells) {
                        problem(QStringLiteral("its tables have more than %1 rows or %2 cells, past what Quillet reads")
                                    .arg(MaxRows).arg(RtfLimits::MaxTableCells),
                                true);
                        m_rows = MaxRows;
                        break;
                    }
                    table->rows.append(row);
                }
            } else {
                part.skip();
            }
        }
    };
    readRows();
    m_para = std::move(outer);
    m_space = outerSpace;
    return table;
}
