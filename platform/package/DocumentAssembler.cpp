#include "DocumentAssembler.h"

#include "ListLabel.h"
#include "RtfLimits.h"
#include "RtfPicture.h"
#include "RtfProperties.h"
#include "Twips.h"

#include <QAtomicInt>
#include <QBuffer>
#include <QImageReader>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

namespace {
QAtomicInt imageCounter;

RtfPicture::Kind pictureKind(const QByteArray &bytes)
{
    if (bytes.startsWith("\x89PNG"))
        return RtfPicture::Kind::Png;
    if (bytes.startsWith("\xFF\xD8"))
        return RtfPicture::Kind::Jpeg;
    if (bytes.size() > 44 && bytes.mid(40, 4) == " EMF")
        return RtfPicture::Kind::Emf;
    if (bytes.startsWith("\xD7\xCD\xC6\x9A") || bytes.startsWith(QByteArray("\x01\x00\x09\x00", 4)))
        return RtfPicture::Kind::Wmf;
    return RtfPicture::Kind::Unknown;
}

bool isBullet(QTextListFormat::Style style)
{
    return style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle
        || style == QTextListFormat::ListSquare;
}
}

DocumentAssembler::DocumentAssembler(QTextDocument &document, LevelLookup levels)
    : m_document(document)
    , m_cursor(&document)
    , m_levels(std::move(levels))
{
}

QString DocumentAssembler::numberText(QTextListFormat::Style style, int n, const QString &numbering)
{
    return ListLabel::number(style, n, numbering);
}

void DocumentAssembler::setBorder(QTextTableCellFormat &f, int side, const Border &b)
{
    const qreal w = b.line ? b.width : 0;
    const QTextFrameFormat::BorderStyle style = b.line ? b.style : QTextFrameFormat::BorderStyle_None;
    switch (side) {
    case 0: f.setTopBorder(w); f.setTopBorderStyle(style); f.setTopBorderBrush(b.color); break;
    case 1: f.setLeftBorder(w); f.setLeftBorderStyle(style); f.setLeftBorderBrush(b.color); break;
    case 2: f.setBottomBorder(w); f.setBottomBorderStyle(style); f.setBottomBorderBrush(b.color); break;
    default: f.setRightBorder(w); f.setRightBorderStyle(style); f.setRightBorderBrush(b.color); break;
    }
}

bool DocumentAssembler::addPicture(QByteArray bytes, int widthTwips, int heightTwips, const QTextCharFormat &format,
                                   Para &para, QString *problem)
{
    if (bytes.isEmpty())
        return false;
    RtfPicture::Kind kind = pictureKind(bytes);
    const qint64 budget = RtfLimits::MaxDecodedPictureBytes - m_decodedBytes;
    QImage image;
    if (kind == RtfPicture::Kind::Png || kind == RtfPicture::Kind::Jpeg) {
        image = RtfPicture::decode(kind, bytes, budget);
    } else if (kind == RtfPicture::Kind::Unknown) {
        // GIF, BMP and the like are shown, and kept as PNG.
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer);
        const QSize size = reader.size();
        if (size.isValid() && qint64(size.width()) * size.height() * 4 <= budget && reader.read(&image)) {
            QByteArray png;
            QBuffer out(&png);
            out.open(QIODevice::WriteOnly);
            if (image.save(&out, "PNG")) {
                bytes = png;
                kind = RtfPicture::Kind::Png;
            } else {
                image = QImage();
            }
        }
    }
    if (image.isNull() && problem && budget < RtfLimits::MaxDecodedPictureBytes
        && (kind == RtfPicture::Kind::Png || kind == RtfPicture::Kind::Jpeg))
        *problem = QStringLiteral("pictures past %1 MB of pixels are shown as frames")
                       .arg(RtfLimits::MaxDecodedPictureBytes / (1024 * 1024));
    m_decodedBytes += qint64(image.sizeInBytes());

    // The size the document gives, else the picture's own at 96 dpi.
    int width = qMin(widthTwips, RtfLimits::MaxPictureTwips);
    int height = qMin(heightTwips, RtfLimits::MaxPictureTwips);
    if (width <= 0)
        width = image.isNull() ? 1440 : qBound(1, Twips::fromPixels(image.width()), RtfLimits::MaxPictureTwips);
    if (height <= 0)
        height = image.isNull() ? 1440 : qBound(1, Twips::fromPixels(image.height()), RtfLimits::MaxPictureTwips);
    const QSizeF size(Twips::toPixels(width), Twips::toPixels(height));

    const int number = imageCounter.fetchAndAddRelaxed(1);
    const QString name = QStringLiteral("packageimage://%1").arg(number);
    m_document.addResource(QTextDocument::ImageResource, QUrl(name),
                           image.isNull() ? RtfPicture::placeholder(size) : image);
    const QString dataName = QStringLiteral("packagedata://%1").arg(number);
    m_document.addResource(QTextDocument::ImageResource, QUrl(dataName), bytes);

    // The picture properties Rich Text keeps, so either format saves it.
    QTextImageFormat f;
    f.merge(format);
    f.setName(name);
    f.setWidth(size.width());
    f.setHeight(size.height());
    QString word = QString::fromLatin1(RtfPicture::word(kind == RtfPicture::Kind::Unknown ? RtfPicture::Kind::Png : kind));
    if (kind == RtfPicture::Kind::Wmf)
        word += QLatin1Char('8');
    f.setProperty(RtfProperties::PictureKind, word);
    f.setProperty(RtfProperties::PictureData, dataName);
    f.setProperty(RtfProperties::PictureWidth, image.isNull() ? width : image.width());
    f.setProperty(RtfProperties::PictureHeight, image.isNull() ? height : image.height());
    f.setProperty(RtfProperties::PictureGoalWidth, width);
    f.setProperty(RtfProperties::PictureGoalHeight, height);
    f.setProperty(RtfProperties::PictureScaleX, 100);
    f.setProperty(RtfProperties::PictureScaleY, 100);
    para.runs.append(Run{QString(), f, true});
    return !image.isNull();
}

void DocumentAssembler::addLinkedPicture(const QString &link, int widthTwips, int heightTwips,
                                         const QTextCharFormat &format, Para &para)
{
    const int width = widthTwips > 0 ? qMin(widthTwips, RtfLimits::MaxPictureTwips) : 1440;
    const int height = heightTwips > 0 ? qMin(heightTwips, RtfLimits::MaxPictureTwips) : 1440;
    const QSizeF size(Twips::toPixels(width), Twips::toPixels(height));
    const QString name = QStringLiteral("packageimage://%1").arg(imageCounter.fetchAndAddRelaxed(1));
    m_document.addResource(QTextDocument::ImageResource, QUrl(name), RtfPicture::placeholder(size));
    QTextImageFormat f;
    f.merge(format);
    f.setName(name);
    f.setWidth(size.width());
    f.setHeight(size.height());
    // A link longer than any real one is not kept: the frame goes alone.
    if (link.size() <= RtfLimits::MaxFieldInstruction)
        f.setProperty(PictureLink, link);
    para.runs.append(Run{QString(), f, true});
}

bool DocumentAssembler::relativeLink(const QString &link)
{
    if (link.isEmpty() || link.startsWith(QLatin1Char('/')) || link.startsWith(QLatin1Char('\\')))
        return false;
    for (qsizetype i = 0; i < link.size(); ++i) {
        const QChar c = link.at(i);
        if (c == u':')
            return i == 0;
        // A scheme is a letter, then letters, digits, "+", "-" or ".".
        const bool ascii = c.unicode() < 128;
        const bool schemeChar = (ascii && c.isLetter())
            || (i > 0 && ((ascii && c.isDigit()) || c == u'+' || c == u'-' || c == u'.'));
        if (!schemeChar)
            return true;
    }
    return true;
}

void DocumentAssembler::emitItems(const QList<Item> &items)
{
    // Outside an edit block every insertion makes the cursor find its x
    // again, which lays the paragraph's text out anew: a paragraph of many
    // runs would cost the square of its length.
    m_cursor.beginEditBlock();
    for (const Item &item : items) {
        if (item.table)
            emitTable(*item.table);
        else
            emitParagraph(item.para);
    }
    m_cursor.endEditBlock();
}

QTextList *DocumentAssembler::listFor(const Para &para)
{
    const ListLevel *def = m_levels ? m_levels(para.listId, para.level) : nullptr;
    if (!def || def->none)
        return nullptr;
    ListRun &run = m_lists[para.listGroup > 0 ? (qint64(1) << 32) | para.listGroup : qint64(para.listId)];
    const int level = qBound(0, para.level, 8);
    if (para.startAt >= 0)
        run.numbers[level] = para.startAt;
    else
        run.numbers[level] = run.numbers[level] >= 0 ? run.numbers[level] + 1 : def->start;
    // An item ends the deeper levels: their numbering starts again.
    for (int k = level + 1; k < 9; ++k) {
        run.numbers[k] = -1;
        run.lists[k] = nullptr;
    }
    const QTextListFormat::Style style = def->style;
    QString prefix, suffix;
    if (!isBullet(style)) {
        bool own = false;
        const QString &text = def->text;
        for (qsizetype i = 0; i < text.size(); ++i) {
            QString piece(text.at(i));
            if (text.at(i) == u'%' && i + 1 < text.size() && text.at(i + 1) >= u'1' && text.at(i + 1) <= u'9') {
                const int k = text.at(i + 1).unicode() - u'1';
                ++i;
                if (k == level) {
                    own = true;
                    continue;
                }
                const ListLevel *other = m_levels(para.listId, k);
                piece = numberText(other ? other->style : QTextListFormat::ListDecimal, run.numbers[k] >= 0 ? run.numbers[k] : 1,
                                   other ? other->numbering : QString());
            }
            (own ? suffix : prefix) += piece;
        }
        if (!own) {
            prefix.clear();
            suffix = QStringLiteral(".");
        }
    }
    QTextList *&list = run.lists[level];
    // The same list goes on while its numbers do: a number set anew, or a
    // label of another form, starts a list of its own.
    const auto continues = [&] {
        const QTextListFormat f = list->format();
        const int first = f.hasProperty(RtfProperties::ListStart) ? f.intProperty(RtfProperties::ListStart) : 1;
        return f.style() == style && f.numberPrefix() == prefix && f.numberSuffix() == suffix
            && f.stringProperty(RtfProperties::ListNumberFormat) == def->numbering
            && (isBullet(style) || first + list->count() == run.numbers[level]);
    };
    if (list && continues()) {
        list->add(m_cursor.block());
        return list;
    }
    QTextListFormat format;
    format.setStyle(style);
    format.setIndent(0);
    format.setNumberPrefix(prefix);
    format.setNumberSuffix(suffix);
    // Qt counts from 1: a first number other than 1 is kept for a save,
    // and shown where Qt can show it.
    if (run.numbers[level] != 1 && !isBullet(style)) {
        format.setProperty(RtfProperties::ListStart, run.numbers[level]);
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
        format.setStart(run.numbers[level]);
#endif
    }
    format.setProperty(RtfProperties::ListGroup, para.listId);
    format.setProperty(RtfProperties::ListLevel, level);
    format.setProperty(RtfProperties::ListLevelText, def->text);
    if (!def->numbering.isEmpty() && !isBullet(style))
        format.setProperty(RtfProperties::ListNumberFormat, def->numbering);
    list = m_cursor.createList(format);
    return list;
}

void DocumentAssembler::emitParagraph(const Para &para)
{
    if (m_fresh) {
        m_cursor.setBlockFormat(para.block);
        m_cursor.setBlockCharFormat(para.mark);
    } else {
        m_cursor.insertBlock(para.block, para.mark);
    }
    m_fresh = false;
    if (para.listId > 0)
        listFor(para);
    for (const Run &run : para.runs) {
        if (run.image)
            m_cursor.insertImage(run.format.toImageFormat());
        else
            m_cursor.insertText(run.text, run.format);
    }
}

void DocumentAssembler::emitTable(const Table &t)
{
    struct Placed
    {
        int row = 0, col = 0, rowSpan = 1, colSpan = 1;
        const Cell *cell = nullptr;
        QList<const Cell *> parts;
    };
    const int rowCount = int(t.rows.size());
    int columns = int(t.grid.size());
    for (const Row &row : t.rows) {
        int width = row.before;
        for (const Cell &cell : row.cells)
            width += qMax(1, cell.span);
        columns = qMax(columns, width);
    }
    columns = qMin(columns, RtfLimits::MaxTableColumns);
    if (rowCount == 0 || columns == 0)
        return;

    QList<Placed> placed;
    QList<int> at(qsizetype(rowCount) * columns, -1);
    QList<int> anchorOf(columns, -1);
    for (int r = 0; r < rowCount; ++r) {
        const Row &row = t.rows.at(r);
        int c = qMin(row.before, columns - 1);
        for (const Cell &cell : row.cells) {
            if (cell.covered) {
                ++c;   // another cell's span covers this place
                continue;
            }
            if (cell.span == 0 && !placed.isEmpty() && placed.last().row == r) {
                // An old-style horizontal merge: this cell widens the one before.
                if (c < columns) {
                    ++placed.last().colSpan;
                    ++c;
                }
                continue;
            }
            if (c >= columns)
                break;
            const int span = qBound(1, cell.span, columns - c);
            if (cell.vmerge == 2 && anchorOf.at(c) >= 0) {
                Placed &anchor = placed[anchorOf.at(c)];
                if (anchor.colSpan == span && anchor.row + anchor.rowSpan == r) {
                    ++anchor.rowSpan;
                    anchor.parts.append(&cell);
                    c += span;
                    continue;
                }
            }
            Placed p;
            p.row = r;
            p.col = c;
            p.colSpan = span;
            p.rowSpan = qBound(1, cell.rowSpan, rowCount - r);
            p.cell = &cell;
            p.parts.append(&cell);
            const int index = int(placed.size());
            placed.append(p);
            at[qsizetype(r) * columns + c] = index;
            for (int k = c; k < c + span; ++k)
                anchorOf[k] = cell.vmerge ? index : -1;
            c += span;
        }
        for (; c < columns; ++c)
            anchorOf[c] = -1;
    }

    QTextTableFormat format = t.format;
    format.setBorder(0);
    format.setBorderCollapse(true);
    format.setCellSpacing(0);
    format.setCellPadding(0);
    format.setProperty(RtfProperties::TableGap, t.cellLeft);
    if (!t.grid.isEmpty() && t.grid.size() == columns) {
        QList<QTextLength> widths;
        for (const int w : t.grid)
            widths << QTextLength(QTextLength::FixedLength, Twips::toPixels(qMax(w, 20)));
        format.setColumnWidthConstraints(widths);
    }
    if (!m_fresh && m_cursor.block().length() > 1)
        m_cursor.movePosition(QTextCursor::EndOfBlock);
    QTextTable *table = m_cursor.insertTable(rowCount, columns, format);
    // Cells follow one another as blocks: one cursor walks them in order.
    for (int r = 0; r < rowCount; ++r) {
        for (int c = 0; c < columns; ++c) {
            const int index = at.at(qsizetype(r) * columns + c);
            if (index >= 0) {
                m_fresh = true;
                for (const Cell *part : std::as_const(placed.at(index).parts)) {
                    // The empty paragraph every covered cell holds is not content.
                    if (part != placed.at(index).cell && part->items.size() == 1 && !part->items.first().table
                        && part->items.first().para.runs.isEmpty())
                        continue;
                    emitItems(part->items);
                }
            }
            m_cursor.movePosition(QTextCursor::NextBlock);
        }
    }

    for (const Placed &p : std::as_const(placed)) {
        QTextTableCellFormat cf = p.cell->format;
        cf.setLeftPadding(Twips::toPixels(t.cellLeft));
        cf.setRightPadding(Twips::toPixels(t.cellRight));
        cf.setTopPadding(0);
        cf.setBottomPadding(0);
        // A side the cell leaves alone takes the table's border for it:
        // an outer edge, or the line between rows or columns inside.
        for (int side = 0; side < 4; ++side) {
            if (p.cell->borders[side])
                continue;
            const bool outer = side == 0 ? p.row == 0
                : side == 2 ? p.row + p.rowSpan == rowCount
                : side == 1 ? p.col == 0 : p.col + p.colSpan == columns;
            const Border &b = t.borders[outer ? side : (side % 2 == 0 ? 4 : 5)];
            if (b.line)
                setBorder(cf, side, b);
        }
        table->cellAt(p.row, p.col).setFormat(cf);
    }
    for (const Placed &p : std::as_const(placed)) {
        if (p.rowSpan > 1 || p.colSpan > 1)
            table->mergeCells(p.row, p.col, p.rowSpan, p.colSpan);
    }
    m_cursor.setPosition(table->lastPosition() + 1);
    m_fresh = true;
    m_any = true;
}
