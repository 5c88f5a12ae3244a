#include "DocumentText.h"

#include "ListLabel.h"
#include "docx/DocxKept.h"
#include "odt/OdtKept.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>

namespace DocumentText {

int length(const QTextDocument *doc)
{
    return qMax(0, doc->characterCount() - 1);
}

namespace {

// What ends a block in plain text. Inside a table a cell's last paragraph
// ends with a tab, or with the line end when the cell ends its row; an empty
// paragraph that Qt keeps before a table at the start of a frame ends with
// nothing, since it holds nothing the user wrote.
QString blockEnd(const QTextDocument *doc, const QTextBlock &block, const QString &lineEnd)
{
    if (doc->rootFrame()->childFrames().isEmpty())
        return lineEnd;
    const int endPosition = block.position() + block.length() - 1;
    const QChar end = doc->characterAt(endPosition);
    if (end != QChar(0xfdd0) && end != QChar(0xfdd1))
        return lineEnd;
    QTextCursor probe(block);
    if (QTextTable *table = probe.currentTable()) {
        const QTextTableCell cell = table->cellAt(block.position());
        if (cell.isValid() && cell.lastPosition() == endPosition) {
            // The row ends after its last cell; the places after that may
            // belong to cells merged down from a row above.
            for (int c = cell.column() + cell.columnSpan(); c < table->columns();) {
                const QTextTableCell next = table->cellAt(cell.row(), c);
                if (!next.isValid())
                    break;
                if (next.row() == cell.row())
                    return QStringLiteral("\t");
                c = next.column() + qMax(1, next.columnSpan());
            }
            return lineEnd;
        }
    }
    if (block.length() == 1 && end == QChar(0xfdd0)) {
        const QTextBlock previous = block.previous();
        const QTextFrame *frame = probe.currentFrame();
        if (!previous.isValid() || QTextCursor(previous).currentFrame() != frame
            || doc->characterAt(previous.position() + previous.length() - 1) != QChar(0x2029))
            return QString();
    }
    return lineEnd;
}

}

// Plain text of [from, to): paragraph and line breaks become `lineEnd`, table
// cells are separated by tabs, and the placeholders of embedded objects
// (pictures) are dropped. Built block by block into one buffer: callers ask
// for the text of large documents on every keystroke, and a second
// document-sized copy doubles the cost.
QString plain(const QTextDocument *doc, int from, int to, const QString &lineEnd, bool labels)
{
    from = qBound(0, from, length(doc));
    to = qBound(from, to, length(doc));

    QString out;
    out.reserve(to - from + (to - from) / 16 + 16);
    for (QTextBlock block = doc->findBlock(from); block.isValid() && block.position() < to;
         block = block.next()) {
        const int base = block.position();
        const QString text = block.text();
        const int start = qMax(from, base) - base;
        const int end = qMin(to, base + int(text.size())) - base;
        const QChar *chars = text.constData();
        if (labels && base >= from) {
            if (const QTextList *list = block.textList()) {
                out += ListLabel::of(*list, block);
                out += u'\t';
            }
        }
        int runStart = start;
        for (int i = start; i < end; ++i) {
            const char16_t c = chars[i].unicode();
            if (c != QChar::LineSeparator && c != QChar::ObjectReplacementCharacter)
                continue;
            out.append(chars + runStart, i - runStart);
            runStart = i + 1;
            if (c == QChar::LineSeparator) {
                out += lineEnd;
            } else {
                // Only an object's placeholder goes, or the one that stands
                // for what a Word or OpenDocument file keeps unseen; the
                // character itself, typed or read from a text file, stays.
                QTextCursor probe(const_cast<QTextDocument *>(doc));
                probe.setPosition(base + i + 1);
                const QTextCharFormat f = probe.charFormat();
                if (f.objectType() == QTextFormat::NoObject && !f.hasProperty(DocxKept::Element)
                    && !f.hasProperty(OdtKept::Element))
                    out += QChar(c);
            }
        }
        if (end > runStart)
            out.append(chars + runStart, end - runStart);
        // The paragraph break that ends this block, when it lies in the range.
        if (base + block.length() - 1 < to)
            out += blockEnd(doc, block, lineEnd);
    }
    return out;
}

QString blockEnd(const QTextBlock &block, const QString &lineEnd)
{
    if (!block.isValid() || !block.next().isValid())
        return QString();
    return blockEnd(block.document(), block, lineEnd);
}

}
