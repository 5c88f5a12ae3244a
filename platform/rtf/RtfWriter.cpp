#include "RtfWriter.h"

#include "ListLabel.h"
#include "RtfFields.h"
#include "RtfLimits.h"
#include "RtfProperties.h"
#include "Twips.h"

#include <QBuffer>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextImageFormat>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <algorithm>
#include <array>
#include <utility>

namespace {
// Unicode -> Windows-1252 byte, 0 where 1252 has no such character.
const std::array<uchar, 65536> &ansiTable()
{
    static const std::array<uchar, 65536> table = [] {
        std::array<uchar, 65536> t{};
        QStringDecoder decoder("windows-1252", QStringDecoder::Flag::Stateless);
        for (int b = 0x80; b < 0x100; ++b) {
            const char byte = char(b);
            const QString s = decoder.decode(QByteArrayView(&byte, 1));
            // Bytes 1252 leaves undefined decode to C1 controls; never write those.
            if (s.size() == 1 && s.at(0).unicode() >= 0xA0)
                t[s.at(0).unicode()] = uchar(b);
        }
        return t;
    }();
    return table;
}

const char hexDigits[] = "0123456789abcdef";

void appendInt(QByteArray &out, qint64 value)
{
    out.append(QByteArray::number(value));
}

void appendHexByte(QByteArray &out, uchar b)
{
    out.append("\\'");
    out.append(hexDigits[b >> 4]);
    out.append(hexDigits[b & 15]);
}

// Writes text for a reader that knows Windows-1252, with \uN for the rest.
void appendText(QByteArray &out, QStringView text)
{
    const auto &ansi = ansiTable();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x20 && c < 0x7F) {
            if (c == '\\' || c == '{' || c == '}')
                out.append('\\');
            out.append(char(c));
            continue;
        }
        switch (c) {
        case u'\t': out.append("\\tab "); continue;
        case 0x2028: out.append("\\line "); continue;
        case 0x00A0: out.append("\\~"); continue;
        case 0x00AD: out.append("\\-"); continue;
        case 0x2011: out.append("\\_"); continue;
        case 0x2029: case 0xFFFC: continue;
        default: break;
        }
        if (c == 0x7F) {
            // Not plain 7-bit text to other readers, but a character all the same.
            appendHexByte(out, 0x7F);
            continue;
        }
        if (c < 0x20)
            continue;
        if (const uchar b = ansi[c]) {
            appendHexByte(out, b);
            continue;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
            out.append("\\u");
            appendInt(out, qint16(c));
            out.append('?');
            ++i;
            out.append("\\u");
            appendInt(out, qint16(text[i].unicode()));
            out.append('?');
            continue;
        }
        if (QChar::isSurrogate(c))
            continue;   // half a pair is not a character
        out.append("\\u");
        appendInt(out, qint16(c));
        out.append('?');
    }
}

struct ListInfo
{
    int number = 0;   // \ls and \listid
    QTextListFormat::Style style = QTextListFormat::ListDisc;
};

int levelFormat(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListDecimal: return 0;
    case QTextListFormat::ListUpperRoman: return 1;
    case QTextListFormat::ListLowerRoman: return 2;
    case QTextListFormat::ListUpperAlpha: return 3;
    case QTextListFormat::ListLowerAlpha: return 4;
    default: return 23;
    }
}

const char *pnType(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListDecimal: return "\\pndec";
    case QTextListFormat::ListUpperRoman: return "\\pnucrm";
    case QTextListFormat::ListLowerRoman: return "\\pnlcrm";
    case QTextListFormat::ListUpperAlpha: return "\\pnucltr";
    case QTextListFormat::ListLowerAlpha: return "\\pnlcltr";
    default: return "";
    }
}

// Walks the blocks and fragments of one range of a document into RTF bytes.
class Writer
{
public:
    Writer(const QTextDocument &document, int start, int end, bool wholeDocument)
        : m_doc(document), m_start(start), m_end(end), m_whole(wholeDocument)
    {
        const QFont base = document.defaultFont();
        m_defaultFamily = base.family().isEmpty() ? QStringLiteral("Times New Roman") : withoutFoundry(base.family());
        m_defaultSize = base.pointSizeF() > 0 ? base.pointSizeF() : 12.0;
        fontIndex(m_defaultFamily);
    }

    QByteArray write()
    {
        QByteArray body;
        body.reserve(qMax(1024, (m_end - m_start) * 3 / 2));
        if (m_whole || !withinOneCell()) {
            writeFrame(body, m_doc.rootFrame(), 0);
        } else {
            // Part of one cell's text is plain paragraphs, not a table.
            for (QTextBlock block = m_doc.findBlock(m_start); block.isValid(); block = block.next()) {
                if (!inRange(block))
                    break;
                writeBlock(body, block, 0, nullptr);
            }
        }

        QByteArray out;
        out.reserve(body.size() + 4096);
        out.append("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl");
        for (int i = 0; i < m_fonts.size(); ++i) {
            out.append("{\\f");
            appendInt(out, i);
            out.append(i == m_symbolFont ? "\\ftech\\fcharset2 " : "\\fnil\\fcharset0 ");
            // A ';' ends the name, so one inside it goes as hex.
            QByteArray name;
            appendText(name, m_fonts.at(i));
            out.append(name.replace(';', "\\'3b"));
            out.append(";}");
        }
        out.append("}\n");
        if (!m_colors.isEmpty()) {
            out.append("{\\colortbl;");
            for (const QColor &c : std::as_const(m_colors)) {
                out.append("\\red");
                appendInt(out, c.red());
                out.append("\\green");
                appendInt(out, c.green());
                out.append("\\blue");
                appendInt(out, c.blue());
                out.append(';');
            }
            out.append("}\n");
        }
        // What the document was read with and Quillet does not edit goes back as it came.
        const QTextFrameFormat root = m_doc.rootFrame()->frameFormat();
        if (m_whole && root.hasProperty(RtfProperties::DocumentStyles)) {
            out.append(root.property(RtfProperties::DocumentStyles).toByteArray());
            out.append('\n');
        }
        if (!m_lists.isEmpty())
            writeListTables(out);
        if (m_whole)
            out.append(root.property(RtfProperties::DocumentSettings).toByteArray());
        out.append("\\viewkind4\n");
        if (m_whole)
            out.append(root.property(RtfProperties::DocumentHeaders).toByteArray());
        out.append(body);
        out.append("}\n");
        return out;
    }

private:
    int fontIndex(const QString &family)
    {
        const auto it = m_fontIndex.constFind(family);
        if (it != m_fontIndex.cend())
            return it.value();
        const int index = int(m_fonts.size());
        m_fonts.append(family);
        m_fontIndex.insert(family, index);
        return index;
    }

    int symbolFont()
    {
        if (m_symbolFont < 0) {
            m_symbolFont = int(m_fonts.size());
            m_fonts.append(QStringLiteral("Symbol"));
        }
        return m_symbolFont;
    }

    int colorIndex(const QColor &color)
    {
        const QRgb key = color.rgb();
        const auto it = m_colorIndex.constFind(key);
        if (it != m_colorIndex.cend())
            return it.value();
        m_colors.append(color);
        const int index = int(m_colors.size());   // entry 0 is "auto"
        m_colorIndex.insert(key, index);
        return index;
    }

    QString familyOf(const QTextCharFormat &f) const
    {
        const QStringList families = f.fontFamilies().toStringList();
        if (!families.isEmpty() && !families.first().isEmpty())
            return withoutFoundry(families.first());
        return m_defaultFamily;
    }

    // Qt may name a font "C059 [urw]" after its foundry; other readers of the
    // file know only the family name.
    static QString withoutFoundry(const QString &family)
    {
        if (!family.endsWith(u']'))
            return family;
        const qsizetype open = family.lastIndexOf(QLatin1String(" ["));
        return open > 0 ? family.left(open) : family;
    }

    // The field a piece of text is the result of: the instruction read with
    // it, or a HYPERLINK for a link made otherwise (pasted HTML).
    static QString fieldInstruction(const QTextCharFormat &f)
    {
        const QString instruction = f.stringProperty(RtfProperties::FieldInstruction);
        if (!instruction.isEmpty())
            return instruction;
        if (f.isAnchor() && !f.anchorHref().isEmpty())
            return RtfFields::hyperlinkInstruction(f.anchorHref());
        return QString();
    }

    void writeCharFormat(QByteArray &out, const QTextCharFormat &f)
    {
        out.append("\\f");
        appendInt(out, fontIndex(familyOf(f)));
        const qreal size = f.hasProperty(QTextFormat::FontPointSize) && f.fontPointSize() > 0
            ? f.fontPointSize() : m_defaultSize;
        out.append("\\fs");
        appendInt(out, qRound(size * 2));
        if (f.fontWeight() >= QFont::DemiBold)
            out.append("\\b");
        if (f.fontItalic())
            out.append("\\i");
        if (f.fontUnderline())
            out.append("\\ul");
        if (f.fontStrikeOut())
            out.append("\\strike");
        if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush) {
            out.append("\\cf");
            appendInt(out, colorIndex(f.foreground().color()));
        }
        if (f.hasProperty(QTextFormat::BackgroundBrush) && f.background().style() != Qt::NoBrush) {
            out.append("\\highlight");
            appendInt(out, colorIndex(f.background().color()));
        }
        if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript)
            out.append("\\super");
        else if (f.verticalAlignment() == QTextCharFormat::AlignSubScript)
            out.append("\\sub");
        if (f.fontCapitalization() == QFont::AllUppercase)
            out.append("\\caps");
        else if (f.fontCapitalization() == QFont::SmallCaps)
            out.append("\\scaps");
        out.append(' ');
    }

    bool inRange(const QTextBlock &block) const
    {
        const int position = block.position();
        return !(position > m_end || (!m_whole && position == m_end && position > m_start));
    }

    bool withinOneCell() const
    {
        QTextCursor a(const_cast<QTextDocument *>(&m_doc));
        a.setPosition(m_start);
        QTextCursor b(const_cast<QTextDocument *>(&m_doc));
        b.setPosition(m_end);
        QTextTable *table = a.currentTable();
        if (!table)
            return !b.currentTable() && a.currentFrame() == b.currentFrame();
        return table == b.currentTable() && table->cellAt(m_start) == table->cellAt(m_end);
    }

    // The blocks and tables of a frame (the document, or a table cell) in
    // order. level: how deep in tables the frame lies (0 for the body).
    // terminator: what ends the frame's last paragraph (\cell), or null.
    void writeFrame(QByteArray &out, QTextFrame *frame, int level, const char *terminator = nullptr)
    {
        writeChildren(out, frame->begin(), level, terminator);
    }

    void writeChildren(QByteArray &out, QTextFrame::iterator it, int level, const char *terminator)
    {
        bool first = true;
        while (!it.atEnd()) {
            QTextFrame *child = it.currentFrame();
            const QTextBlock block = it.currentBlock();
            ++it;
            if (child) {
                first = false;
                if (QTextTable *table = qobject_cast<QTextTable *>(child)) {
                    if (m_whole || (table->lastPosition() >= m_start && table->firstPosition() <= m_end))
                        writeTable(out, table, level + 1);
                } else {
                    writeChildren(out, child->begin(), level, nullptr);
                }
                continue;
            }
            // Qt keeps an empty paragraph before a table that opens its frame;
            // it is not part of what was read, so it is not written.
            const bool isFirst = std::exchange(first, false);
            if (isFirst && block.length() == 1 && !it.atEnd() && qobject_cast<QTextTable *>(it.currentFrame()))
                continue;
            if (!m_inTable && (block.position() + block.length() <= m_start || !inRange(block)))
                continue;
            writeBlock(out, block, level, it.atEnd() ? terminator : nullptr);
        }
    }

    static int twipsOf(const QTextLength &length, int columns)
    {
        constexpr int TextWidth = 9360;   // 6.5 inches: a Letter page's text
        switch (length.type()) {
        case QTextLength::FixedLength: return Twips::fromPixels(length.rawValue());
        case QTextLength::PercentageLength: return qRound(TextWidth * length.rawValue() / 100.0);
        default: return TextWidth / qMax(1, columns);
        }
    }

    void writeBorder(QByteArray &out, const char *word, qreal width, QTextFrameFormat::BorderStyle style,
                     const QBrush &brush)
    {
        if (width <= 0 || style == QTextFrameFormat::BorderStyle_None)
            return;
        out.append(word);
        switch (style) {
        case QTextFrameFormat::BorderStyle_Double: out.append("\\brdrdb"); break;
        case QTextFrameFormat::BorderStyle_Dotted: out.append("\\brdrdot"); break;
        case QTextFrameFormat::BorderStyle_Dashed: out.append("\\brdrdash"); break;
        default: out.append("\\brdrs"); break;
        }
        out.append("\\brdrw");
        appendInt(out, qBound(1, Twips::fromPixels(width), 1000));
        if (brush.style() != Qt::NoBrush) {
            out.append("\\brdrcf");
            appendInt(out, colorIndex(brush.color()));
        }
    }

    void writeCellDef(QByteArray &out, const QTextTableCell &cell, bool continued, int right)
    {
        const QTextTableCellFormat f = cell.format().toTableCellFormat();
        if (continued)
            out.append("\\clvmrg");
        else if (cell.rowSpan() > 1)
            out.append("\\clvmgf");
        if (f.verticalAlignment() == QTextCharFormat::AlignMiddle)
            out.append("\\clvertalc");
        else if (f.verticalAlignment() == QTextCharFormat::AlignBottom)
            out.append("\\clvertalb");
        writeBorder(out, "\\clbrdrt", f.topBorder(), f.topBorderStyle(), f.topBorderBrush());
        writeBorder(out, "\\clbrdrl", f.leftBorder(), f.leftBorderStyle(), f.leftBorderBrush());
        writeBorder(out, "\\clbrdrb", f.bottomBorder(), f.bottomBorderStyle(), f.bottomBorderBrush());
        writeBorder(out, "\\clbrdrr", f.rightBorder(), f.rightBorderStyle(), f.rightBorderBrush());
        if (f.hasProperty(QTextFormat::BackgroundBrush) && f.background().style() != Qt::NoBrush) {
            out.append("\\clcbpat");
            appendInt(out, colorIndex(f.background().color()));
        }
        out.append("\\cellx");
        appendInt(out, right);
    }

    // A table as RTF rows. An outermost row gives its definition first, as
    // Word does; a nested row gives it in {\*\nesttableprops} after its cells.
    void writeTable(QByteArray &out, QTextTable *table, int level)
    {
        const QTextTableFormat tf = table->format();
        const int rows = table->rows();
        const int columns = table->columns();
        const int gap = tf.hasProperty(RtfProperties::TableGap) ? tf.intProperty(RtfProperties::TableGap) : 108;
        const int left = tf.hasProperty(RtfProperties::TableLeft) ? tf.intProperty(RtfProperties::TableLeft)
                                                                   : Twips::fromPixels(tf.leftMargin()) - gap;
        const QList<QTextLength> constraints = tf.columnWidthConstraints();
        QList<int> edges{left};
        for (int c = 0; c < columns; ++c) {
            const int width = c < constraints.size() ? twipsOf(constraints.at(c), columns) : 9360 / columns;
            edges << edges.last() + qBound(15, width, 31680);
        }
        const bool wasInTable = std::exchange(m_inTable, true);
        const char *cellEnd = level > 1 ? "\\nestcell" : "\\cell";
        for (int r = 0; r < rows; ++r) {
            if (!m_whole && !wasInTable) {
                const int rowFirst = table->cellAt(r, 0).firstPosition();
                const int rowLast = table->cellAt(r, columns - 1).lastPosition();
                if (rowLast < m_start || rowFirst > m_end)
                    continue;
            }
            QByteArray def("\\trowd\\trgaph");
            appendInt(def, gap);
            def.append("\\trleft");
            appendInt(def, left);
            const Qt::Alignment align = tf.alignment() & Qt::AlignHorizontal_Mask;
            if (align & Qt::AlignHCenter)
                def.append("\\trqc");
            else if (align & (Qt::AlignRight | Qt::AlignTrailing))
                def.append("\\trqr");
            QList<QTextTableCell> cells;
            for (int c = 0; c < columns; ++c) {
                const QTextTableCell cell = table->cellAt(r, c);
                if (cell.column() != c)
                    continue;   // covered by the cell to its left
                writeCellDef(def, cell, cell.row() != r, edges.at(qMin(columns, c + cell.columnSpan())));
                cells << cell;
            }
            if (level == 1) {
                out.append(def);
                out.append('\n');
            }
            for (const QTextTableCell &cell : std::as_const(cells)) {
                if (cell.row() != r) {
                    // The lower part of a merged cell: an empty cell marked as merged.
                    out.append("\\pard\\intbl");
                    if (level > 1) {
                        out.append("\\itap");
                        appendInt(out, level);
                    }
                    out.append("\\plain ");
                    out.append(cellEnd);
                    out.append('\n');
                    continue;
                }
                writeChildren(out, cell.begin(), level, cellEnd);
            }
            if (level == 1) {
                out.append("\\row\n");
            } else {
                out.append("{\\*\\nesttableprops");
                out.append(def);
                out.append("\\nestrow}{\\nonesttables\\par}\n");
            }
        }
        m_inTable = wasInTable;
    }

    void writeBlock(QByteArray &out, const QTextBlock &block, int level, const char *terminator)
    {
        const QTextBlockFormat bf = block.blockFormat();
        out.append("\\pard");
        if (level > 0) {
            out.append("\\intbl");
            if (level > 1) {
                out.append("\\itap");
                appendInt(out, level);
            }
        }
        if (bf.layoutDirection() == Qt::RightToLeft)
            out.append("\\rtlpar");
        const Qt::Alignment align = bf.alignment() & Qt::AlignHorizontal_Mask;
        if (align & Qt::AlignHCenter)
            out.append("\\qc");
        else if (align & Qt::AlignJustify)
            out.append("\\qj");
        else if (align & (Qt::AlignRight | Qt::AlignTrailing))
            out.append("\\qr");
        else
            out.append("\\ql");
        const auto twips = [&](const char *word, qreal pixels) {
            const int t = Twips::fromPixels(pixels);
            if (t != 0) {
                out.append(word);
                appendInt(out, t);
            }
        };
        twips("\\li", bf.leftMargin());
        twips("\\ri", bf.rightMargin());
        twips("\\fi", bf.textIndent());
        twips("\\sb", bf.topMargin());
        twips("\\sa", bf.bottomMargin());
        if (bf.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
            out.append("\\pagebb");
        out.append("\\plain ");

        if (QTextList *list = block.textList())
            writeListParagraph(out, list, block);

        QString &field = m_field;
        int &fieldNumber = m_fieldNumber;
        const int blockStart = block.position();
        const int blockTextEnd = blockStart + block.length() - 1;
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int fs = fragment.position();
            const int fe = fs + fragment.length();
            const int from = m_inTable ? fs : qMax(fs, m_start);
            const int to = m_inTable ? fe : qMin(fe, m_end);
            if (from >= to)
                continue;
            const QTextCharFormat f = fragment.charFormat();
            // Neighbouring pieces of one field's result share one field group.
            const QString instruction = fieldInstruction(f);
            const int number = f.hasProperty(RtfProperties::FieldNumber) ? f.intProperty(RtfProperties::FieldNumber) : -1;
            if (instruction != field || (!field.isEmpty() && number != fieldNumber)) {
                if (!field.isEmpty())
                    out.append("}}");
                field = instruction;
                fieldNumber = number;
                if (!field.isEmpty()) {
                    out.append("{\\field{\\*\\fldinst ");
                    appendText(out, field);
                    out.append("}{\\fldrslt ");
                }
            }
            if (f.isImageFormat()) {
                // An embedded object goes back whole, as it was read.
                if (f.hasProperty(RtfProperties::ObjectData))
                    out.append(f.property(RtfProperties::ObjectData).toByteArray());
                else
                    writeImage(out, f.toImageFormat());
                continue;
            }
            out.append('{');
            writeCharFormat(out, f);
            const QString text = fragment.text();
            const QStringView piece = QStringView(text).mid(from - fs, to - from);
            const QByteArray note = f.property(RtfProperties::Footnote).toByteArray();
            // A note's number is written as the mark that numbers it.
            if (!note.isEmpty() && to == fe && !piece.isEmpty()
                && std::all_of(piece.begin(), piece.end(), [](QChar c) { return c.isDigit(); }))
                out.append("\\chftn ");
            else
                appendText(out, piece);
            if (!note.isEmpty() && to == fe)
                out.append(note);
            if (to == fe && f.hasProperty(RtfProperties::Shapes))
                out.append(f.property(RtfProperties::Shapes).toByteArray());
            out.append('}');
        }
        // The paragraph mark itself belongs to the range when the range goes past it.
        const bool mark = m_whole || m_inTable || blockTextEnd < m_end;
        // A result that goes on into the next paragraph (a table of contents)
        // stays one field, with the paragraph mark inside it.
        if (!field.isEmpty() && !(mark && level == 0 && fieldGoesOn(block))) {
            out.append("}}");
            field.clear();
            fieldNumber = -1;
        }
        if (mark) {
            out.append("\\plain");
            const QTextCharFormat mark = block.charFormat();
            out.append("\\f");
            appendInt(out, fontIndex(familyOf(mark)));
            out.append("\\fs");
            const qreal size = mark.hasProperty(QTextFormat::FontPointSize) && mark.fontPointSize() > 0
                ? mark.fontPointSize() : m_defaultSize;
            appendInt(out, qRound(size * 2));
            out.append(' ');
            out.append(terminator ? terminator : "\\par");
            out.append('\n');
        }
    }

    // Whether the paragraph after `block`, in the same flow and in the range,
    // starts with the field now open.
    bool fieldGoesOn(const QTextBlock &block) const
    {
        const QTextBlock next = block.next();
        if (!next.isValid() || next.position() >= m_end || m_doc.frameAt(next.position()) != m_doc.rootFrame()
            || m_doc.frameAt(block.position()) != m_doc.rootFrame())
            return false;
        const QTextBlock::iterator first = next.begin();
        if (first.atEnd())
            return false;
        const QTextCharFormat f = first.fragment().charFormat();
        const int number = f.hasProperty(RtfProperties::FieldNumber) ? f.intProperty(RtfProperties::FieldNumber) : -1;
        return fieldInstruction(f) == m_field && number == m_fieldNumber;
    }

    void writeListParagraph(QByteArray &out, QTextList *list, const QTextBlock &block)
    {
        auto it = m_lists.find(list);
        if (it == m_lists.end()) {
            ListInfo info;
            info.number = int(m_lists.size()) + 1;
            info.style = list->format().style();
            it = m_lists.insert(list, info);
            m_listOrder.append(list);
        }
        const ListInfo info = it.value();
        const bool bullet = levelFormat(info.style) == 23;
        // The \pntext/\pn form is for readers that predate list tables; the
        // \ls form is what current readers use. Each skips the other.
        if (bullet) {
            const int sym = symbolFont();
            out.append("{\\pntext\\f");
            appendInt(out, sym);
            out.append("\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf");
            appendInt(out, sym);
            out.append("\\pnindent0{\\pntxtb\\'b7}}");
        } else {
            out.append("{\\pntext\\f0 ");
            appendText(out, ListLabel::of(*list, block));
            out.append("\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart1");
            out.append(pnType(info.style));
            out.append("{\\pntxta .}}");
        }
        out.append("\\ls");
        appendInt(out, info.number);
        out.append("\\ilvl0 ");
    }

    void writeListTables(QByteArray &out)
    {
        out.append("{\\*\\listtable\n");
        for (QTextList *list : std::as_const(m_listOrder)) {
            const ListInfo info = m_lists.value(list);
            const int nfc = levelFormat(info.style);
            out.append("{\\list\\listtemplateid");
            appendInt(out, info.number);
            out.append("\\listsimple{\\listlevel\\levelnfc");
            appendInt(out, nfc);
            out.append("\\levelnfcn");
            appendInt(out, nfc);
            out.append("\\leveljc0\\leveljcn0\\levelfollow0\\levelstartat");
            const QTextListFormat lf = list->format();
            appendInt(out, lf.hasProperty(RtfProperties::ListStart) ? qBound(0, lf.intProperty(RtfProperties::ListStart), 32767) : 1);
            out.append("\\levelspace0\\levelindent0");
            if (nfc == 23) {
                out.append("{\\leveltext\\'01\\'b7;}{\\levelnumbers;}\\f");
                appendInt(out, symbolFont());
            } else {
                // The label as shown: its prefix ("2." of "2.1."), the number, its suffix.
                const QTextListFormat lf = list->format();
                const QString prefix = lf.numberPrefix().left(100);
                const QString suffix = lf.hasProperty(QTextFormat::ListNumberSuffix) ? lf.numberSuffix().left(100)
                                                                                    : QStringLiteral(".");
                out.append("{\\leveltext");
                appendHexByte(out, uchar(prefix.size() + 1 + suffix.size()));
                appendText(out, prefix);
                out.append("\\'00");
                appendText(out, suffix);
                out.append(";}{\\levelnumbers");
                appendHexByte(out, uchar(prefix.size() + 1));
                out.append(";}");
            }
            out.append("\\fi-360\\li720}{\\listname ;}\\listid");
            appendInt(out, info.number);
            out.append("}\n");
        }
        out.append("}\n{\\*\\listoverridetable\n");
        for (QTextList *list : std::as_const(m_listOrder)) {
            const int n = m_lists.value(list).number;
            out.append("{\\listoverride\\listid");
            appendInt(out, n);
            out.append("\\listoverridecount0\\ls");
            appendInt(out, n);
            out.append("}\n");
        }
        out.append("}\n");
    }

    static void appendHexLines(QByteArray &out, const QByteArray &bytes)
    {
        const QByteArray hex = bytes.toHex();
        for (qsizetype i = 0; i < hex.size(); i += 128) {
            out.append(hex.constData() + i, qMin<qsizetype>(128, hex.size() - i));
            out.append('\n');
        }
    }

    void writeImage(QByteArray &out, const QTextImageFormat &f)
    {
        // A picture read from RTF goes back with the bytes and sizes it came with.
        const QString dataName = f.stringProperty(RtfProperties::PictureData);
        if (!dataName.isEmpty()) {
            const QVariant data = m_doc.resource(QTextDocument::ImageResource, QUrl(dataName));
            if (data.typeId() == QMetaType::QByteArray) {
                const auto number = [&](const char *word, int property, int low, int high) {
                    out.append(word);
                    appendInt(out, qBound(low, f.intProperty(property), high));
                };
                out.append("{\\pict\\");
                out.append(f.stringProperty(RtfProperties::PictureKind).toLatin1());
                number("\\picw", RtfProperties::PictureWidth, 0, RtfLimits::MaxPictureTwips * 100);
                number("\\pich", RtfProperties::PictureHeight, 0, RtfLimits::MaxPictureTwips * 100);
                if (f.intProperty(RtfProperties::PictureGoalWidth) > 0)
                    number("\\picwgoal", RtfProperties::PictureGoalWidth, 1, RtfLimits::MaxPictureTwips);
                if (f.intProperty(RtfProperties::PictureGoalHeight) > 0)
                    number("\\pichgoal", RtfProperties::PictureGoalHeight, 1, RtfLimits::MaxPictureTwips);
                if (f.intProperty(RtfProperties::PictureScaleX) != 100)
                    number("\\picscalex", RtfProperties::PictureScaleX, 1, RtfLimits::MaxPictureScale);
                if (f.intProperty(RtfProperties::PictureScaleY) != 100)
                    number("\\picscaley", RtfProperties::PictureScaleY, 1, RtfLimits::MaxPictureScale);
                const std::pair<const char *, int> crops[] = {
                    {"\\piccropl", RtfProperties::PictureCropLeft}, {"\\piccropr", RtfProperties::PictureCropRight},
                    {"\\piccropt", RtfProperties::PictureCropTop}, {"\\piccropb", RtfProperties::PictureCropBottom}};
                for (const auto &[word, property] : crops) {
                    if (f.intProperty(property) != 0)
                        number(word, property, -RtfLimits::MaxTwips, RtfLimits::MaxTwips);
                }
                out.append('\n');
                appendHexLines(out, data.toByteArray());
                out.append('}');
                return;
            }
        }
        const QVariant v = m_doc.resource(QTextDocument::ImageResource, QUrl(f.name()));
        QImage image;
        if (v.typeId() == QMetaType::QImage)
            image = v.value<QImage>();
        else if (v.typeId() == QMetaType::QPixmap)
            image = v.value<QPixmap>().toImage();
        else if (v.typeId() == QMetaType::QByteArray)
            image.loadFromData(v.toByteArray());
        if (image.isNull())
            return;   // nothing we can write; the rest of the text still goes out
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG"))
            return;
        // Sizes are bounded before conversion: a huge width must not wrap.
        const auto twips = [](qreal pixels, int fallback) {
            const qreal p = pixels > 0 ? pixels : fallback;
            return int(qBound<qreal>(1, p * Twips::PerPixel, RtfLimits::MaxPictureTwips));
        };
        out.append("{\\pict\\pngblip\\picw");
        appendInt(out, image.width());
        out.append("\\pich");
        appendInt(out, image.height());
        out.append("\\picwgoal");
        appendInt(out, twips(f.width(), image.width()));
        out.append("\\pichgoal");
        appendInt(out, twips(f.height(), image.height()));
        out.append('\n');
        appendHexLines(out, png);
        out.append('}');
    }

    const QTextDocument &m_doc;
    const int m_start;
    const int m_end;
    const bool m_whole;
    bool m_inTable = false;   // writing whole table rows, whatever the range
    // The field group left open at the end of the last paragraph, because
    // its result goes on into the next one.
    QString m_field;
    int m_fieldNumber = -1;
    QString m_defaultFamily;
    qreal m_defaultSize = 12.0;
    QStringList m_fonts;
    QHash<QString, int> m_fontIndex;
    int m_symbolFont = -1;
    QList<QColor> m_colors;
    QHash<QRgb, int> m_colorIndex;
    QHash<QTextList *, ListInfo> m_lists;
    QList<QTextList *> m_listOrder;
};
}

QByteArray RtfWriter::write(const QTextDocument &document)
{
    return Writer(document, 0, qMax(0, document.characterCount() - 1), true).write();
}

QByteArray RtfWriter::write(const QTextCursor &selection)
{
    const QTextDocument *document = selection.document();
    if (!document)
        return Writer(QTextDocument(), 0, 0, false).write();
    return Writer(*document, selection.selectionStart(), selection.selectionEnd(), false).write();
}
