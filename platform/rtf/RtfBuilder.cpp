#include "RtfBuilder.h"

#include "ListLabel.h"
#include "RtfCodePage.h"
#include "RtfFields.h"
#include "RtfLimits.h"
#include "RtfProperties.h"
#include "Twips.h"

#include <QAtomicInt>
#include <algorithm>
#include <QImage>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

using A = RtfControlTable::Action;

size_t qHash(const RtfBuilder::CharState &s, size_t seed)
{
    return qHashMulti(seed, s.font, s.halfPoints, s.foreground, s.background, s.field, s.vertical,
                      (s.bold ? 1 : 0) | (s.italic ? 2 : 0) | (s.underline ? 4 : 0)
                          | (s.strike ? 8 : 0) | (s.caps ? 16 : 0) | (s.smallCaps ? 32 : 0));
}

namespace {
int clampTwips(int v) { return qBound(-RtfLimits::MaxTwips, v, RtfLimits::MaxTwips); }

// A number as a list level of format nfc shows it.
QString numberText(int nfc, int n)
{
    n = qMax(1, n);
    switch (nfc) {
    case 1:
    case 2: {
        if (n >= 4000)
            break;
        static const std::pair<int, const char *> numerals[] = {
            {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"},
            {50, "l"}, {40, "xl"}, {10, "x"}, {9, "ix"}, {5, "v"}, {4, "iv"}, {1, "i"}};
        QString out;
        for (const auto &[value, letters] : numerals) {
            for (; n >= value; n -= value)
                out += QLatin1String(letters);
        }
        return nfc == 1 ? out.toUpper() : out;
    }
    case 3:
    case 4: {
        QString out;
        for (; n > 0; n = (n - 1) / 26)
            out.prepend(QChar(char16_t((nfc == 3 ? u'A' : u'a') + (n - 1) % 26)));
        return out;
    }
    case 22:
        return n < 10 ? QStringLiteral("0%1").arg(n) : QString::number(n);
    default:
        break;
    }
    return QString::number(n);
}

QTextListFormat::Style styleForLevelFormat(int nfc)
{
    switch (nfc) {
    case 0: return QTextListFormat::ListDecimal;
    case 1: return QTextListFormat::ListUpperRoman;
    case 2: return QTextListFormat::ListLowerRoman;
    case 3: return QTextListFormat::ListUpperAlpha;
    case 4: return QTextListFormat::ListLowerAlpha;
    default: return QTextListFormat::ListDisc;
    }
}

// Characters that must not reach the document as they are.
inline bool needsFilter(char16_t c)
{
    // U+FDD0 and U+FDD1 are noncharacters that Qt takes for table and frame
    // boundaries: inserted as text they would break the paragraph.
    return c < 0x20 || c == 0x2029 || c == 0xFFFC || c == 0xFDD0 || c == 0xFDD1 || (c >= 0xD800 && c < 0xE000);
}

QAtomicInt imageCounter;
}

RtfBuilder::RtfBuilder(QTextCursor &cursor, bool replaceDocument)
    : m_cursor(cursor)
    , m_replace(replaceDocument)
{
    m_stack.reserve(64);
    m_stack.append(Group());
    m_tailBlockFormat = m_cursor.blockFormat();
    m_startedAtBlockStart = m_cursor.atBlockStart();
}

RtfBuilder::RtfBuilder(QString &text, const QString &lineEnd)
    : m_cursor(m_noCursor)
    , m_text(&text)
    , m_lineEnd(lineEnd)
    , m_listDocument(std::make_unique<QTextDocument>())
    , m_replace(true)
{
    m_stack.reserve(64);
    m_stack.append(Group());
    m_listDocument->setUndoRedoEnabled(false);
    m_listCursor = QTextCursor(m_listDocument.get());
}

RtfBuilder::~RtfBuilder() = default;

void RtfBuilder::problem(const QString &kind, qsizetype offset)
{
    int &count = m_problemCounts[kind];
    ++count;
    if (count == 1 && m_problems.size() < RtfLimits::MaxReportedErrors)
        m_problems.append(QStringLiteral("%1 (at byte %2)").arg(kind).arg(offset));
}

void RtfBuilder::damage(const QString &kind, qsizetype offset)
{
    problem(kind, offset);
    m_incomplete = true;
}

QStringList RtfBuilder::problems() const
{
    QStringList out = m_problems;
    int unlisted = 0;
    for (auto it = m_problemCounts.cbegin(); it != m_problemCounts.cend(); ++it)
        unlisted += it.value() - 1;
    if (m_problemCounts.size() > m_problems.size())
        unlisted += int(m_problemCounts.size() - m_problems.size());
    if (unlisted > 0)
        out.append(QStringLiteral("%1 more problem(s) of these kinds").arg(unlisted));
    return out;
}

// ---- groups ---------------------------------------------------------------

void RtfBuilder::openGroup(qsizetype offset)
{
    m_unicodeSkipLeft = 0;
    m_starred = false;
    if (m_overflowDepth > 0 || m_stack.size() >= RtfLimits::MaxGroupDepth) {
        if (m_overflowDepth == 0)
            damage(QStringLiteral("groups nested too deeply; their content was skipped"), offset);
        ++m_overflowDepth;
        return;
    }
    Group g = top();
    g.ownsDest = false;
    g.keep = 0;
    g.start = offset;
    m_stack.append(g);
    m_groupStart = true;
}

void RtfBuilder::closeGroup(qsizetype offset)
{
    m_unicodeSkipLeft = 0;
    m_starred = false;
    m_groupStart = false;
    if (m_overflowDepth > 0) {
        --m_overflowDepth;
        return;
    }
    if (m_stack.size() <= 1) {
        problem(QStringLiteral("unmatched '}' ignored"), offset);
        return;
    }
    flushMultiByte();
    const Group closed = m_stack.takeLast();
    if (closed.ownsDest)
        finishDestination(closed);
    if (closed.keep)
        keepGroup(closed, offset);
    if (m_stack.size() == 1)
        m_ended = true;
}

void RtfBuilder::setDestination(A action)
{
    Group &g = top();
    const Dest current = g.dest;
    if (current == Dest::Skip)
        return;
    Dest next = current;
    switch (action) {
    case A::DestSkip: next = Dest::Skip; break;
    case A::DestKeep:
    case A::DestKeepNote:
        // Kept only where the body reads it; inside anything skipped it goes too.
        next = Dest::Skip;
        if (current == Dest::Normal)
            g.keep = action == A::DestKeepNote ? 2 : 1;
        break;
    case A::DestKeepShape:
        next = Dest::Skip;
        if (current == Dest::Normal)
            g.keep = 4;
        break;
    case A::DestPass: break;
    case A::DestHold: next = current == Dest::Normal ? Dest::Hold : Dest::Skip; break;
    case A::DestObject:
        next = current == Dest::Normal ? Dest::Hold : Dest::Skip;
        if (current == Dest::Normal) {
            // An embedded object is kept whole, in place of the picture of its result.
            flushMultiByte();
            flushRun();
            g.keep = 3;
            g.runsBefore = m_para.size();
            m_objectWidth = m_objectHeight = 0;
        }
        break;
    case A::DestResume: next = current == Dest::Hold ? Dest::Normal : current; break;
    case A::DestFontTable:
        next = Dest::FontTable;
        m_fontId = -1;
        m_fontName.clear();
        m_fontNameText.clear();
        break;
    case A::DestColorTable: next = Dest::ColorTable; m_colorSet = false; break;
    case A::DestPicture:
        if (current != Dest::Normal) {
            next = Dest::Skip;
            break;
        }
        flushMultiByte();
        next = Dest::Picture;
        m_pictType = RtfPicture::Kind::Unknown;
        m_pictParameter = -1;
        std::fill(std::begin(m_pictCrop), std::end(m_pictCrop), 0);
        m_pictHex.clear();
        m_pictBinary.clear();
        m_pictWidth = m_pictHeight = m_pictGoalWidth = m_pictGoalHeight = 0;
        m_pictScaleX = m_pictScaleY = 100;
        m_pictTooBig = false;
        break;
    case A::DestPn: next = Dest::Pn; m_pnStyle = 0; m_pnBody = false; break;
    case A::DestField:
        // A field inside an instruction is part of that instruction; past the
        // limit a field's result is kept as plain text.
        if (current == Dest::Normal && m_fields.size() < RtfLimits::MaxFields) {
            g.field = int(m_fields.size());
            m_fields.append(QString());
        }
        break;
    case A::DestFieldInst:
        if (current == Dest::Normal)
            next = g.field >= 0 ? Dest::FieldInst : Dest::Skip;
        break;
    case A::DestFieldResult:
        if (current == Dest::Normal && g.field >= 0) {
            flushMultiByte();
            g.chars.field = g.field;
        }
        break;
    case A::DestListTable: next = Dest::ListTable; break;
    case A::DestList: next = Dest::List; m_currentLevels.clear(); m_currentListId = 0; break;
    case A::DestListLevel:
        next = Dest::ListLevel;
        if (m_currentLevels.size() < 9)
            m_currentLevels.append(LevelDef());
        break;
    case A::DestLevelText:
        next = current == Dest::ListLevel ? Dest::LevelText : Dest::Skip;
        m_levelText.clear();
        break;
    case A::DestListOverrideTable: next = Dest::ListOverrideTable; break;
    case A::DestListOverride: next = Dest::ListOverride; m_overrideListId = 0; break;
    default: break;
    }
    if (next != current) {
        flushMultiByte();
        g.dest = next;
        g.ownsDest = true;
    }
}

void RtfBuilder::finishDestination(const Group &closed)
{
    switch (closed.dest) {
    case Dest::FontTable:
        finishFontEntry();
        break;
    case Dest::ColorTable:
        // A last entry without its ';' still counts.
        if (m_colorSet && m_colors.size() < RtfLimits::MaxTableEntries)
            m_colors.append(QColor(m_red, m_green, m_blue));
        m_colorSet = false;
        m_formats.clear();
        break;
    case Dest::Picture:
        insertPicture();
        break;
    case Dest::Pn:
        if (m_pnStyle == 0 && m_pnBody)
            m_pnStyle = QTextListFormat::ListDecimal;
        if (top().dest == Dest::Normal)
            top().para.pnStyle = m_pnStyle;
        break;
    case Dest::LevelText:
        if (!m_currentLevels.isEmpty())
            m_currentLevels.last().text = m_levelText;
        break;
    case Dest::List:
        if (m_listLevels.size() < RtfLimits::MaxTableEntries)
            m_listLevels.insert(m_currentListId, m_currentLevels);
        break;
    default:
        break;
    }
}

// ---- control words --------------------------------------------------------

void RtfBuilder::controlWord(const RtfControlTable::Entry *entry, bool hasParameter, int parameter)
{
    if (m_overflowDepth > 0)
        return;
    if (m_unicodeSkipLeft > 0) {
        --m_unicodeSkipLeft;
        return;
    }
    const bool starred = m_starred;
    m_starred = false;
    m_groupStart = false;
    Group &g = top();
    if (g.dest == Dest::Skip)
        return;
    if (!entry) {
        // "\*" marks a destination that may be ignored when not understood.
        if (starred)
            setDestination(A::DestSkip);
        return;
    }
    if (entry->kind == RtfControlTable::Destination) {
        setDestination(entry->action);
        return;
    }
    if (starred) {
        // A known word that is no destination cannot start an ignorable group.
        setDestination(A::DestSkip);
        return;
    }

    const int value = hasParameter ? parameter : entry->defaultParameter;
    const bool on = entry->kind != RtfControlTable::Toggle || !hasParameter || parameter != 0;
    const Dest dest = g.dest;

    switch (entry->action) {
    // Words whose meaning depends on the destination come first.
    case A::Font:
        if (dest == Dest::FontTable) {
            finishFontEntry();
            m_fontId = value;
            m_fontCodePage = 0;
            return;
        }
        flushMultiByte();
        g.chars.font = value;
        return;
    case A::FontCharset:
        if (dest == Dest::FontTable && m_fontCodePage == 0)
            m_fontCodePage = RtfCodePage::fromCharset(value);
        return;
    case A::FontCodePage:
        if (dest == Dest::FontTable && value > 0)
            m_fontCodePage = value;
        return;
    case A::Red: m_red = qBound(0, value, 255); m_colorSet = true; return;
    case A::Green: m_green = qBound(0, value, 255); m_colorSet = true; return;
    case A::Blue: m_blue = qBound(0, value, 255); m_colorSet = true; return;
    case A::LevelFormat:
        if (dest == Dest::ListLevel && !m_currentLevels.isEmpty())
            m_currentLevels.last().nfc = value;
        return;
    case A::LevelStart:
        if (dest == Dest::ListLevel && !m_currentLevels.isEmpty())
            m_currentLevels.last().start = qBound(0, value, 32767);
        return;
    case A::ListId:
        if (dest == Dest::List)
            m_currentListId = value;
        else if (dest == Dest::ListOverride)
            m_overrideListId = value;
        return;
    case A::ListOverrideIndex:
        if (dest == Dest::ListOverride) {
            if (m_overrideToList.size() < RtfLimits::MaxTableEntries)
                m_overrideToList.insert(value, m_overrideListId);
            return;
        }
        break;
    case A::PnBullet: m_pnStyle = QTextListFormat::ListDisc; return;
    case A::PnBody: m_pnBody = true; return;
    case A::PnDecimal: m_pnStyle = QTextListFormat::ListDecimal; return;
    case A::PnUpperLetter: m_pnStyle = QTextListFormat::ListUpperAlpha; return;
    case A::PnLowerLetter: m_pnStyle = QTextListFormat::ListLowerAlpha; return;
    case A::PnUpperRoman: m_pnStyle = QTextListFormat::ListUpperRoman; return;
    case A::PnLowerRoman: m_pnStyle = QTextListFormat::ListLowerRoman; return;
    case A::PictPng: m_pictType = RtfPicture::Kind::Png; m_pictParameter = -1; return;
    case A::PictJpeg: m_pictType = RtfPicture::Kind::Jpeg; m_pictParameter = -1; return;
    case A::PictEmf: m_pictType = RtfPicture::Kind::Emf; m_pictParameter = value; return;
    case A::PictWmf: m_pictType = RtfPicture::Kind::Wmf; m_pictParameter = value; return;
    case A::PictDib: m_pictType = RtfPicture::Kind::Dib; m_pictParameter = value; return;
    case A::PictDdb: m_pictType = RtfPicture::Kind::Ddb; m_pictParameter = value; return;
    case A::PictOS2: m_pictType = RtfPicture::Kind::OS2; m_pictParameter = value; return;
    case A::PictMac: m_pictType = RtfPicture::Kind::Mac; m_pictParameter = value; return;
    case A::PictCropLeft: m_pictCrop[0] = clampTwips(value); return;
    case A::PictCropRight: m_pictCrop[1] = clampTwips(value); return;
    case A::PictCropTop: m_pictCrop[2] = clampTwips(value); return;
    case A::PictCropBottom: m_pictCrop[3] = clampTwips(value); return;
    case A::ObjectWidth: m_objectWidth = value; return;
    case A::ObjectHeight: m_objectHeight = value; return;
    case A::PictWidth: m_pictWidth = value; return;
    case A::PictHeight: m_pictHeight = value; return;
    case A::PictGoalWidth: m_pictGoalWidth = value; return;
    case A::PictGoalHeight: m_pictGoalHeight = value; return;
    case A::PictScaleX: m_pictScaleX = value; return;
    case A::PictScaleY: m_pictScaleY = value; return;

    case A::Ansi: m_docCodePage = 1252; return;
    case A::Mac: m_docCodePage = 10000; return;
    case A::Pc: m_docCodePage = 437; return;
    case A::Pca: m_docCodePage = 850; return;
    case A::AnsiCodePage:
        // Some writers put \ansicpg0 or nonsense here; keep the ANSI default then.
        if (value > 0 && value < 100000)
            m_docCodePage = value;
        return;
    case A::DefaultFont: m_defaultFont = value; return;
    case A::DocSetting:
        // Only the document's own, outside every group but the outermost.
        if (dest == Dest::Normal && m_replace && m_stack.size() <= 2
            && entry->character < RtfControlTable::documentWordCount) {
            QByteArray word = QByteArray("\\") + RtfControlTable::documentWords[entry->character];
            if (hasParameter)
                word += QByteArray::number(parameter);
            m_settings.insert(entry->character, word);
        }
        return;
    case A::UnicodeSkip: g.unicodeSkip = quint8(qBound(0, value, 16)); return;
    case A::Unicode:
        if (dest == Dest::FieldInst) {
            const int c = value < 0 ? value + 65536 : value;
            if (c > 0 && c <= 0xFFFF && !QChar::isSurrogate(char32_t(c)))
                appendInstruction(QString(QChar(char16_t(c))));
        } else if (dest == Dest::Normal) {
            appendUnicode(value);
        } else if (dest == Dest::LevelText && m_levelText.size() < 64) {
            const int c = value < 0 ? value + 65536 : value;
            if (c > 0 && c <= 0xFFFF && !QChar::isSurrogate(char32_t(c)))
                m_levelText.append(QChar(char16_t(c)));
        } else if (dest == Dest::FontTable && m_fontNameText.size() < 256) {
            const int c = value < 0 ? value + 65536 : value;
            if (c > 0 && c <= 0xFFFF && !QChar::isSurrogate(char32_t(c))) {
                decodeFontName();
                m_fontNameText.append(QChar(char16_t(c)));
            }
        }
        m_unicodeSkipLeft = g.unicodeSkip;
        return;
    default:
        break;
    }

    if (dest != Dest::Normal && dest != Dest::Hold)
        return;

    switch (entry->action) {
    case A::Char:
        if (dest == Dest::Normal)
            appendChar(entry->character);
        return;
    case A::Par:
    case A::Sect:
        if (dest == Dest::Normal)
            endParagraph(true);
        return;
    case A::Page:
        if (dest == Dest::Normal) {
            // At the start of a paragraph the break belongs to that paragraph;
            // "\par \page" must not leave an empty one behind.
            flushMultiByte();
            if (m_runOpen && !m_run.isEmpty())
                flushRun();
            if (!m_para.isEmpty())
                endParagraph(true);
            m_pageBreakNext = true;
        }
        return;
    case A::FootnoteMark:
        // The reference mark in the body shows the note's number; the note
        // itself is outside the body and skipped.
        if (dest == Dest::Normal) {
            // The mark is a run of its own, so the note kept after it can hang on it.
            flushMultiByte();
            flushRun();
            const QString number = QString::number(++m_footnotes);
            for (const QChar c : number)
                appendChar(c.unicode());
        }
        return;
    case A::Cell:
    case A::NestCell:
        if (dest == Dest::Normal) {
            // A cell's text without \intbl is still in a table: the writer
            // forgot the word, not the table.
            const int level = qBound(1, top().para.tableLevel(), RtfLimits::MaxTableDepth);
            endParagraph(true, level);
            endCell(level);
        }
        return;
    case A::Row:
        if (dest == Dest::Normal)
            endRow(1);
        return;
    case A::NestRow:
        if (dest == Dest::Normal)
            endRow(qBound(2, top().para.tableLevel(), RtfLimits::MaxTableDepth));
        return;
    case A::InTable:
    case A::NestLevel:
    case A::RowDefaults:
    case A::RowLeft:
    case A::RowGap:
    case A::RowAlignLeft:
    case A::RowAlignCenter:
    case A::RowAlignRight:
    case A::CellRight:
    case A::CellMergeFirst:
    case A::CellMerge:
    case A::CellVMergeFirst:
    case A::CellVMerge:
    case A::CellBorderTop:
    case A::CellBorderLeft:
    case A::CellBorderBottom:
    case A::CellBorderRight:
    case A::RowBorderTop:
    case A::RowBorderLeft:
    case A::RowBorderBottom:
    case A::RowBorderRight:
    case A::RowBorderInsideH:
    case A::RowBorderInsideV:
    case A::OtherBorder:
    case A::BorderNone:
    case A::BorderSingle:
    case A::BorderDouble:
    case A::BorderDotted:
    case A::BorderDashed:
    case A::BorderWidth:
    case A::BorderColor:
    case A::CellBackground:
    case A::CellPatternColor:
    case A::CellShading:
    case A::CellAlignTop:
    case A::CellAlignCenter:
    case A::CellAlignBottom:
        applyTable(entry->action, value);
        return;
    case A::Plain:
    case A::FontSize:
    case A::Bold:
    case A::Italic:
    case A::Underline:
    case A::UnderlineNone:
    case A::Strike:
    case A::Foreground:
    case A::Background:
    case A::Super:
    case A::Sub:
    case A::NoSuperSub:
    case A::Caps:
    case A::SmallCaps:
        applyCharacter(entry->action, on, value);
        return;
    default:
        applyParagraph(entry->action, on, value);
        return;
    }
}

void RtfBuilder::applyCharacter(A action, bool on, int value)
{
    CharState &c = top().chars;
    switch (action) {
    case A::Plain: {
        flushMultiByte();
        // Plain text inside a field's result is still that result.
        const int field = c.field;
        c = CharState();
        c.field = field;
        return;
    }
    case A::FontSize:
        c.halfPoints = qBound(2, value, RtfLimits::MaxHalfPoints);
        return;
    case A::Bold: c.bold = on; return;
    case A::Italic: c.italic = on; return;
    case A::Underline: c.underline = on; return;
    case A::UnderlineNone: c.underline = false; return;
    case A::Strike: c.strike = on; return;
    case A::Foreground: c.foreground = qMax(0, value); return;
    case A::Background: c.background = qMax(0, value); return;
    case A::Super: c.vertical = 1; return;
    case A::Sub: c.vertical = 2; return;
    case A::NoSuperSub: c.vertical = 0; return;
    case A::Caps: c.caps = on; return;
    case A::SmallCaps: c.smallCaps = on; return;
    default: return;
    }
}

void RtfBuilder::applyParagraph(A action, bool on, int value)
{
    ParaState &p = top().para;
    switch (action) {
    case A::Pard: p = ParaState(); return;
    case A::AlignLeft: p.alignment = Qt::AlignLeft; return;
    case A::AlignRight: p.alignment = Qt::AlignRight; return;
    case A::AlignCenter: p.alignment = Qt::AlignHCenter; return;
    case A::AlignJustify: p.alignment = Qt::AlignJustify; return;
    case A::RightToLeft: p.rightToLeft = true; return;
    case A::LeftToRight: p.rightToLeft = false; return;
    case A::LeftIndent: p.leftIndent = clampTwips(value); return;
    case A::RightIndent: p.rightIndent = clampTwips(value); return;
    case A::FirstIndent: p.firstIndent = clampTwips(value); return;
    case A::SpaceBefore: p.spaceBefore = qBound(0, value, RtfLimits::MaxTwips); return;
    case A::SpaceAfter: p.spaceAfter = qBound(0, value, RtfLimits::MaxTwips); return;
    case A::PageBreakBefore: p.pageBreakBefore = on; return;
    case A::ListOverrideIndex: p.listOverride = qMax(0, value); return;
    case A::ListLevelIndex: p.listLevel = qBound(0, value, 8); return;
    default: return;
    }
}

void RtfBuilder::controlSymbol(char symbol)
{
    if (m_overflowDepth > 0)
        return;
    if (m_unicodeSkipLeft > 0) {
        --m_unicodeSkipLeft;
        return;
    }
    // "\*" only marks a destination at the start of a group; elsewhere
    // (stray, as some writers leave it) it means nothing.
    if (symbol == '*') {
        m_starred = m_groupStart;
        m_groupStart = false;
        return;
    }
    m_starred = false;
    m_groupStart = false;
    const Dest dest = top().dest;
    if (dest == Dest::FontTable && (symbol == '\\' || symbol == '{' || symbol == '}')) {
        m_fontName.append(symbol);
        return;
    }
    if (dest == Dest::FieldInst && (symbol == '\\' || symbol == '{' || symbol == '}')) {
        appendInstruction(QString(QLatin1Char(symbol)));
        return;
    }
    if (dest != Dest::Normal)
        return;
    switch (symbol) {
    case '\\':
    case '{':
    case '}':
        appendChar(char16_t(symbol));
        return;
    case '~': appendChar(0x00A0); return;
    case '-': appendChar(0x00AD); return;
    case '_': appendChar(0x2011); return;
    case '\n': endParagraph(true); return;
    default: return;   // \| \: and unknown symbols carry no text
    }
}

// ---- text -----------------------------------------------------------------

const RtfCodePage &RtfBuilder::codePage(int number)
{
    auto it = m_codePages.find(number);
    if (it != m_codePages.end())
        return *it.value();
    std::shared_ptr<RtfCodePage> page;
    if (!RtfCodePage::encodingName(number) && number != 1252) {
        // Unknown numbers share the Windows-1252 table, so a file naming
        // thousands of them costs no more than one.
        problem(QStringLiteral("code page %1 cannot be decoded here; read as Windows-1252")
                    .arg(number), 0);
        codePage(1252);
        page = m_codePages.value(1252);
    } else {
        page = std::make_shared<RtfCodePage>(number);
        if (page->isFallback())
            problem(QStringLiteral("code page %1 cannot be decoded here; read as Windows-1252")
                        .arg(number), 0);
    }
    it = m_codePages.insert(number, std::move(page));
    return *it.value();
}

const RtfCodePage &RtfBuilder::currentCodePage()
{
    const int font = top().chars.font < 0 ? m_defaultFont : top().chars.font;
    const auto it = m_fonts.constFind(font);
    const int number = (it != m_fonts.cend() && it->codePage > 0) ? it->codePage : m_docCodePage;
    return codePage(number);
}

void RtfBuilder::text(QByteArrayView bytes)
{
    if (m_overflowDepth > 0)
        return;
    m_starred = false;
    m_groupStart = false;
    if (m_unicodeSkipLeft > 0) {
        const qsizetype n = qMin<qsizetype>(m_unicodeSkipLeft, bytes.size());
        m_unicodeSkipLeft -= int(n);
        bytes = bytes.sliced(n);
        if (bytes.isEmpty())
            return;
    }
    switch (top().dest) {
    case Dest::Normal: {
        const RtfCodePage &page = currentCodePage();
        if (!page.isSingleByte()) {
            if (m_multiByteCodePage != page.number())
                flushMultiByte();
            m_multiByteCodePage = page.number();
            m_multiByte.append(bytes.data(), bytes.size());
            return;
        }
        flushMultiByte();
        beginRun();
        m_contentSeen = true;
        if (m_highSurrogate) {
            m_highSurrogate = 0;
            m_run.append(QChar(QChar::ReplacementCharacter));
        }
        const qsizetype old = m_run.size();
        m_run.resize(old + bytes.size());
        QChar *dst = m_run.data() + old;
        for (const char b : bytes) {
            const QChar ch = page.byteToChar(uchar(b));
            if (Q_UNLIKELY(needsFilter(ch.unicode()))) {
                if (ch == u'\t')
                    *dst++ = ch;
                else if (ch == u'\r' || ch == u'\n' || ch == u'\v' || ch == u'\f')
                    *dst++ = QChar(QChar::LineSeparator);
                continue;
            }
            *dst++ = ch;
        }
        m_run.resize(dst - m_run.constData());
        return;
    }
    case Dest::FontTable: {
        for (const char b : bytes) {
            if (b == ';')
                finishFontEntry();
            else if (m_fontName.size() < 256)
                m_fontName.append(b);
        }
        return;
    }
    case Dest::FieldInst: {
        QString decoded;
        currentCodePage().decode(bytes, decoded);
        appendInstruction(decoded);
        return;
    }
    case Dest::LevelText: {
        const RtfCodePage &page = codePage(m_docCodePage);
        for (const char b : bytes) {
            if (m_levelText.size() < 64)
                m_levelText.append(uchar(b) < 0x20 || !page.isSingleByte() ? QChar(uchar(b)) : page.byteToChar(uchar(b)));
        }
        return;
    }
    case Dest::ColorTable:
        for (const char b : bytes) {
            if (b != ';')
                continue;
            if (m_colors.size() < RtfLimits::MaxTableEntries)
                m_colors.append(m_colorSet ? QColor(m_red, m_green, m_blue) : QColor());
            m_colorSet = false;
            m_red = m_green = m_blue = 0;
        }
        return;
    case Dest::Picture:
        if (m_pictHex.size() + bytes.size() > 2 * RtfLimits::MaxPictureBytes) {
            m_pictTooBig = true;
            return;
        }
        for (const char b : bytes) {
            if ((b >= '0' && b <= '9') || (b >= 'a' && b <= 'f') || (b >= 'A' && b <= 'F'))
                m_pictHex.append(b);
        }
        return;
    default:
        return;
    }
}

void RtfBuilder::hexByte(uchar byte)
{
    if (m_overflowDepth > 0)
        return;
    m_starred = false;
    m_groupStart = false;
    if (m_unicodeSkipLeft > 0) {
        --m_unicodeSkipLeft;
        return;
    }
    const Dest dest = top().dest;
    if (dest == Dest::FontTable) {
        if (m_fontName.size() < 256)
            m_fontName.append(char(byte));
        return;
    }
    if (dest == Dest::LevelText) {
        const char c = char(byte);
        text(QByteArrayView(&c, 1));
        return;
    }
    if (dest != Dest::Normal && dest != Dest::FieldInst)
        return;
    const char c = char(byte);
    text(QByteArrayView(&c, 1));
}

void RtfBuilder::binary(QByteArrayView bytes)
{
    if (m_overflowDepth > 0)
        return;
    m_starred = false;
    m_groupStart = false;
    if (m_unicodeSkipLeft > 0) {
        --m_unicodeSkipLeft;
        return;
    }
    // Binary data only means something inside a picture; elsewhere it is skipped.
    if (top().dest == Dest::Picture) {
        if (m_pictBinary.size() + bytes.size() > RtfLimits::MaxPictureBytes)
            m_pictTooBig = true;
        else
            m_pictBinary.append(bytes.data(), bytes.size());
    }
}

void RtfBuilder::flushMultiByte()
{
    if (m_multiByte.isEmpty())
        return;
    QString decoded;
    codePage(m_multiByteCodePage).decode(m_multiByte, decoded);
    m_multiByte.clear();
    appendDecoded(decoded);
}

void RtfBuilder::appendDecoded(const QString &decoded)
{
    for (const QChar ch : decoded) {
        const char16_t c = ch.unicode();
        if (needsFilter(c)) {
            if (QChar::isSurrogate(c)) {
                // Decoders hand out whole pairs; keep them as they come.
                beginRun();
                m_run.append(ch);
                continue;
            }
            if (c == u'\t')
                appendChar(c);
            else if (c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f' || c == 0x2029)
                appendChar(0x2028);
            continue;
        }
        appendChar(c);
    }
}

void RtfBuilder::appendUnicode(int value)
{
    // \uN is a signed 16-bit number; negative values name the upper half.
    if (value < 0)
        value += 65536;
    if (value <= 0 || value > 0x10FFFF) {
        if (value != 0)
            appendChar(QChar::ReplacementCharacter);
        return;
    }
    if (value > 0xFFFF) {
        const char32_t cp = char32_t(value);
        appendChar(QChar::highSurrogate(cp));
        appendChar(QChar::lowSurrogate(cp));
        return;
    }
    appendChar(char16_t(value));
}

void RtfBuilder::appendChar(char16_t c)
{
    if (top().dest != Dest::Normal)
        return;
    flushMultiByte();
    beginRun();
    m_contentSeen = true;
    // Pair surrogates; a half without its partner becomes U+FFFD rather than
    // text that no encoder can write back.
    if (QChar::isHighSurrogate(c)) {
        if (m_highSurrogate)
            m_run.append(QChar(QChar::ReplacementCharacter));
        m_highSurrogate = c;
        return;
    }
    if (QChar::isLowSurrogate(c)) {
        if (m_highSurrogate) {
            m_run.append(QChar(m_highSurrogate));
            m_run.append(QChar(c));
            m_highSurrogate = 0;
        } else {
            m_run.append(QChar(QChar::ReplacementCharacter));
        }
        return;
    }
    if (m_highSurrogate) {
        m_run.append(QChar(QChar::ReplacementCharacter));
        m_highSurrogate = 0;
    }
    if (needsFilter(c) && c != u'\t')
        return;
    m_run.append(QChar(c));
}

void RtfBuilder::beginRun()
{
    if (m_runOpen && m_runState == top().chars)
        return;
    flushRun();
    m_runState = top().chars;
    m_runOpen = true;
}

void RtfBuilder::flushRun()
{
    if (m_highSurrogate) {
        m_run.append(QChar(QChar::ReplacementCharacter));
        m_highSurrogate = 0;
    }
    if (m_runOpen && !m_run.isEmpty()) {
        m_para.append(Run{m_run, charFormat(m_runState), false});
        if (!m_pendingShapes.isEmpty())
            m_para.last().format.setProperty(RtfProperties::Shapes, std::exchange(m_pendingShapes, {}));
    }
    m_run.clear();
    m_runOpen = false;
}

// ---- formats --------------------------------------------------------------

QString RtfBuilder::fontName(int font) const
{
    auto it = m_fonts.constFind(font < 0 ? m_defaultFont : font);
    if (it == m_fonts.cend() || it->name.isEmpty())
        it = m_fonts.constFind(m_defaultFont);
    if (it != m_fonts.cend() && !it->name.isEmpty())
        return it->name;
    return QStringLiteral("Times New Roman");
}

QTextCharFormat RtfBuilder::charFormat(const CharState &s)
{
    const auto it = m_formats.constFind(s);
    if (it != m_formats.cend())
        return it.value();
    QTextCharFormat f;
    f.setFontFamilies({fontName(s.font)});
    f.setFontPointSize(s.halfPoints / 2.0);
    f.setFontWeight(s.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(s.italic);
    f.setFontUnderline(s.underline);
    f.setFontStrikeOut(s.strike);
    if (s.foreground > 0 && s.foreground < m_colors.size() && m_colors.at(s.foreground).isValid())
        f.setForeground(m_colors.at(s.foreground));
    if (s.background > 0 && s.background < m_colors.size() && m_colors.at(s.background).isValid())
        f.setBackground(m_colors.at(s.background));
    if (s.vertical == 1)
        f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (s.vertical == 2)
        f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (s.field >= 0 && s.field < m_fields.size()) {
        const QString instruction = m_fields.at(s.field).trimmed();
        f.setProperty(RtfProperties::FieldInstruction, instruction);
        // Two neighbouring fields with one instruction stay two fields.
        f.setProperty(RtfProperties::FieldNumber, s.field);
        const QString target = RtfFields::hyperlinkTarget(instruction);
        if (!target.isEmpty()) {
            f.setAnchor(true);
            f.setAnchorHref(target);
        }
    }
    if (s.caps)
        f.setFontCapitalization(QFont::AllUppercase);
    else if (s.smallCaps)
        f.setFontCapitalization(QFont::SmallCaps);
    if (m_formats.size() < 4096)
        m_formats.insert(s, f);
    return f;
}

QTextBlockFormat RtfBuilder::blockFormat(const ParaState &p)
{
    QTextBlockFormat f;
    f.setAlignment(p.alignment);
    if (p.rightToLeft)
        f.setLayoutDirection(Qt::RightToLeft);
    if (p.leftIndent)
        f.setLeftMargin(Twips::toPixels(p.leftIndent));
    if (p.rightIndent)
        f.setRightMargin(Twips::toPixels(p.rightIndent));
    if (p.firstIndent)
        f.setTextIndent(Twips::toPixels(p.firstIndent));
    if (p.spaceBefore)
        f.setTopMargin(Twips::toPixels(p.spaceBefore));
    if (p.spaceAfter)
        f.setBottomMargin(Twips::toPixels(p.spaceAfter));
    if (p.pageBreakBefore || m_pageBreakNext)
        f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    return f;
}

QTextList *RtfBuilder::listFor(const ParaState &p)
{
    QTextListFormat::Style style;
    if (p.listOverride > 0)
        return levelListFor(p);
    if (p.pnStyle != 0) {
        style = QTextListFormat::Style(p.pnStyle);
        if (m_lastPnList && m_lastPnStyle == p.pnStyle) {
            m_lastPnList->add(listCursor().block());
            return m_lastPnList;
        }
    } else {
        return nullptr;
    }

    QTextListFormat format;
    format.setStyle(style);
    format.setIndent(0);
    return listCursor().createList(format);
}

QTextList *RtfBuilder::levelListFor(const ParaState &p)
{
    const QList<LevelDef> levels = m_listLevels.value(m_overrideToList.value(p.listOverride, -1));
    // Lists whose table is missing or damaged still read as bullets.
    LevelDef def;
    def.nfc = 23;
    if (!levels.isEmpty())
        def = levels.value(p.listLevel, levels.first());
    if (def.nfc == 255)
        return nullptr;
    if (!m_listRuns.contains(p.listOverride) && m_listRuns.size() >= RtfLimits::MaxTableEntries)
        return nullptr;
    ListRun &run = m_listRuns[p.listOverride];
    const int level = qBound(0, p.listLevel, 8);
    for (int deeper = level + 1; deeper < 9; ++deeper) {
        run.numbers[deeper] = 0;
        run.lists[deeper] = nullptr;
    }
    run.numbers[level] = run.numbers[level] == 0 ? qMax(1, def.start) : run.numbers[level] + 1;

    // The label around this level's number: "2.1." shows the number of the
    // level above as it stands now, so each run under another item is a
    // list of its own.
    const QTextListFormat::Style style = styleForLevelFormat(def.nfc);
    QString prefix, suffix = QStringLiteral(".");
    if (style != QTextListFormat::ListDisc && !def.text.isEmpty()) {
        const QString body = def.text.mid(1, def.text.at(0).unicode());
        bool own = false;
        suffix.clear();
        for (const QChar c : body) {
            QString piece = c;
            if (c.unicode() < 9) {
                const int k = c.unicode();
                if (k == level) {
                    own = true;
                    continue;
                }
                piece = numberText(levels.value(k).nfc, run.numbers[k]);
            }
            (own ? suffix : prefix) += piece;
        }
        if (!own) {
            // A label without its own number: show the default one.
            prefix.clear();
            suffix = QStringLiteral(".");
        }
    }
    QTextList *&list = run.lists[level];
    if (list && (style == QTextListFormat::ListDisc
                 || (list->format().numberPrefix() == prefix && list->format().numberSuffix() == suffix))) {
        list->add(listCursor().block());
        return list;
    }
    QTextListFormat format;
    format.setStyle(style);
    format.setIndent(0);
    if (style != QTextListFormat::ListDisc) {
        format.setNumberPrefix(prefix);
        format.setNumberSuffix(suffix);
    }
    if (def.start != 1)
        format.setProperty(RtfProperties::ListStart, def.start);
    list = listCursor().createList(format);
    return list;
}

// ---- paragraphs -----------------------------------------------------------

void RtfBuilder::endParagraph(bool terminated, int level)
{
    flushMultiByte();
    flushRun();
    Para para;
    para.runs = std::move(m_para);
    m_para.clear();
    para.state = top().para;
    para.format = blockFormat(para.state);
    m_pageBreakNext = false;
    // Typing at a paragraph's start must not extend a link.
    CharState mark = top().chars;
    mark.field = -1;
    para.mark = charFormat(mark);
    if (level < 0)
        level = qMin(para.state.tableLevel(), RtfLimits::MaxTableDepth);
    // A row that has begun ends with its \row; a paragraph that forgot its
    // \intbl on the way still belongs to it.
    if (level == 0 && !m_tables.isEmpty()
        && (!m_tables.first()->rowCells.isEmpty() || !m_tables.first()->cell.items.isEmpty()))
        level = 1;
    placeParagraph(std::move(para), level, terminated);
}

void RtfBuilder::placeParagraph(Para &&para, int level, bool terminated)
{
    if (level == 0) {
        closeTablesTo(0);
        emitParagraph(para, terminated);
        return;
    }
    ensureTables(level);
    closeTablesTo(level);
    m_tables[level - 1]->cell.items.append(Item{std::move(para), nullptr});
}

void RtfBuilder::emitParagraph(const Para &para, bool terminated)
{
    if (m_text) {
        emitParagraphText(para);
        return;
    }
    bool applyList = true;
    if (m_freshBlock) {
        m_cursor.setBlockFormat(para.format);
        m_cursor.setBlockCharFormat(para.mark);
        m_freshBlock = false;
    } else if (m_emitDepth > 0) {
        m_cursor.insertBlock(para.format, para.mark);
    } else if (!m_emittedAny) {
        if (m_replace) {
            m_cursor.setBlockFormat(para.format);
            m_cursor.setBlockCharFormat(para.mark);
        } else if (m_startedAtBlockStart && terminated) {
            m_cursor.setBlockFormat(para.format);
        } else {
            applyList = false;
        }
    } else if (!terminated && !m_replace) {
        // The last pasted piece joins the text after the cursor, whose
        // paragraph keeps its own format.
        m_cursor.insertBlock(m_tailBlockFormat, para.mark);
        applyList = false;
    } else {
        m_cursor.insertBlock(para.format, para.mark);
    }

    QTextList *pnList = nullptr;
    if (applyList) {
        QTextList *list = listFor(para.state);
        if (list && para.state.listOverride == 0)
            pnList = list;
    }
    m_lastPnList = pnList;
    m_lastPnStyle = pnList ? para.state.pnStyle : 0;

    for (const Run &run : para.runs) {
        if (run.image)
            m_cursor.insertImage(run.format.toImageFormat());
        else
            m_cursor.insertText(run.text, run.format);
    }
    m_emittedAny = true;
}

void RtfBuilder::emitParagraphText(const Para &para)
{
    // The document's first paragraph, a cell's first and the one after a
    // table already stand empty; any other starts after the one before.
    if (!m_freshBlock && m_emittedAny) {
        endTextParagraph(m_lineEnd);
        m_textParagraphFirst = false;
    }
    m_freshBlock = false;
    m_textParagraphEmpty = true;

    QString &out = *m_text;
    QTextList *pnList = nullptr;
    if (para.state.listOverride > 0 || para.state.pnStyle != 0) {
        // The item joins its list in the list document, which numbers it.
        // Its direction decides which side of the number the label's ends go.
        QTextBlockFormat item;
        item.setLayoutDirection(para.state.rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
        m_listCursor.insertBlock(item);
        if (QTextList *list = listFor(para.state)) {
            if (para.state.listOverride == 0)
                pnList = list;
            // Written once the item holds something or another paragraph
            // follows it: a save leaves out the label of an empty last item.
            m_pendingLabel = ListLabel::of(*list, m_listCursor.block()) + u'\t';
        }
    }
    m_lastPnList = pnList;
    m_lastPnStyle = pnList ? para.state.pnStyle : 0;

    for (const Run &run : para.runs) {
        m_textParagraphEmpty = false;
        out += std::exchange(m_pendingLabel, {});
        if (run.image)
            continue;
        qsizetype start = 0;
        for (qsizetype i = run.text.indexOf(QChar::LineSeparator); i >= 0;
             i = run.text.indexOf(QChar::LineSeparator, start)) {
            out += QStringView(run.text).sliced(start, i - start);
            out += m_lineEnd;
            start = i + 1;
        }
        out += QStringView(run.text).sliced(start);
    }
    m_emittedAny = true;
}

void RtfBuilder::endTextParagraph(const QString &end)
{
    *m_text += std::exchange(m_pendingLabel, {});
    *m_text += end;
}

void RtfBuilder::endTextParagraphBeforeTable()
{
    *m_text += std::exchange(m_pendingLabel, {});
    if (!(m_textParagraphEmpty && m_textParagraphFirst))
        endTextParagraph(m_lineEnd);
}

QTextCursor &RtfBuilder::listCursor()
{
    return m_text ? m_listCursor : m_cursor;
}

// ---- tables ---------------------------------------------------------------

void RtfBuilder::applyTable(A action, int value)
{
    RowDef &r = top().row;
    ParaState &p = top().para;
    switch (action) {
    case A::InTable: p.inTable = true; return;
    case A::NestLevel: p.nestLevel = qBound(0, value, RtfLimits::MaxTableDepth); return;
    case A::RowDefaults: r = RowDef(); m_borderTarget = -1; return;
    case A::RowLeft: r.left = clampTwips(value); return;
    case A::RowGap: r.gap = qBound(0, value, RtfLimits::MaxTwips); return;
    case A::RowAlignLeft: r.alignment = Qt::AlignLeft; return;
    case A::RowAlignCenter: r.alignment = Qt::AlignHCenter; return;
    case A::RowAlignRight: r.alignment = Qt::AlignRight; return;
    case A::CellRight:
        if (r.cells.size() < RtfLimits::MaxTableColumns) {
            r.next.right = clampTwips(value);
            r.cells.append(r.next);
        }
        r.next = CellDef();
        m_borderTarget = -1;
        return;
    case A::CellMergeFirst: r.next.merge = 1; return;
    case A::CellMerge: r.next.merge = 2; return;
    case A::CellVMergeFirst: r.next.vmerge = 1; return;
    case A::CellVMerge: r.next.vmerge = 2; return;
    case A::CellBorderTop: m_borderTarget = 0; break;
    case A::CellBorderLeft: m_borderTarget = 1; break;
    case A::CellBorderBottom: m_borderTarget = 2; break;
    case A::CellBorderRight: m_borderTarget = 3; break;
    case A::RowBorderTop: m_borderTarget = 4; break;
    case A::RowBorderLeft: m_borderTarget = 5; break;
    case A::RowBorderBottom: m_borderTarget = 6; break;
    case A::RowBorderRight: m_borderTarget = 7; break;
    case A::RowBorderInsideH: m_borderTarget = 8; break;
    case A::RowBorderInsideV: m_borderTarget = 9; break;
    case A::OtherBorder: m_borderTarget = -1; return;
    case A::CellBackground: r.next.background = qMax(0, value); return;
    case A::CellPatternColor: r.next.pattern = qMax(0, value); return;
    case A::CellShading: r.next.shading = qBound(0, value, 10000); return;
    case A::CellAlignTop: r.next.valign = 0; return;
    case A::CellAlignCenter: r.next.valign = 1; return;
    case A::CellAlignBottom: r.next.valign = 2; return;
    default: break;
    }
    Border *b = borderTarget();
    if (!b)
        return;
    switch (action) {
    case A::BorderNone: b->style = 0; break;
    case A::BorderSingle: b->style = 1; break;
    case A::BorderDouble: b->style = 2; break;
    case A::BorderDotted: b->style = 3; break;
    case A::BorderDashed: b->style = 4; break;
    case A::BorderWidth: b->width = qBound(0, value, 1000); break;
    case A::BorderColor: b->color = qMax(0, value); break;
    default: break;   // the side itself: a border with nothing said about it yet
    }
    b->set = true;
}

RtfBuilder::Border *RtfBuilder::borderTarget()
{
    RowDef &r = top().row;
    if (m_borderTarget >= 0 && m_borderTarget < 4)
        return &r.next.borders[m_borderTarget];
    if (m_borderTarget >= 4 && m_borderTarget < 10)
        return &r.borders[m_borderTarget - 4];
    return nullptr;
}

void RtfBuilder::ensureTables(int level)
{
    while (m_tables.size() < level)
        m_tables.append(std::make_shared<PendingTable>());
}

// Ends every table deeper than level: a nested one becomes an item of the
// cell around it, an outermost one goes into the document.
void RtfBuilder::closeTablesTo(int level)
{
    while (m_tables.size() > level) {
        std::shared_ptr<PendingTable> t = m_tables.takeLast();
        // A row left without its \row still shows what it holds.
        if (!t->cell.items.isEmpty())
            t->rowCells.append(std::exchange(t->cell, PendingCell()));
        if (!t->rowCells.isEmpty()) {
            PendingRow row;
            row.def = !top().row.cells.isEmpty() || t->rows.isEmpty() ? top().row : t->rows.last().def;
            row.cells = std::exchange(t->rowCells, {});
            t->rows.append(std::move(row));
        }
        if (t->rows.isEmpty())
            continue;
        if (!m_tables.isEmpty())
            m_tables.last()->cell.items.append(Item{Para(), std::move(t)});
        else
            emitTable(*t);
    }
}

void RtfBuilder::endCell(int level)
{
    ensureTables(level);
    closeTablesTo(level);
    PendingTable &t = *m_tables[level - 1];
    t.rowCells.append(std::exchange(t.cell, PendingCell()));
}

void RtfBuilder::endRow(int level)
{
    flushMultiByte();
    flushRun();
    // Text between the last \cell and \row has no cell of its own; it gets one
    // rather than being lost.
    if (!m_para.isEmpty()) {
        endParagraph(true, level);
        endCell(level);
    }
    if (m_tables.size() < level)
        return;
    closeTablesTo(level);
    PendingTable &t = *m_tables[level - 1];
    if (!t.cell.items.isEmpty())
        t.rowCells.append(std::exchange(t.cell, PendingCell()));
    if (t.rowCells.isEmpty())
        return;
    PendingRow row;
    row.def = top().row;
    if (row.def.cells.isEmpty() && !t.rows.isEmpty())
        row.def = t.rows.last().def;
    row.cells = std::exchange(t.rowCells, {});
    t.cellCount += row.cells.size();
    t.rows.append(std::move(row));
    if (level == 1 && t.cellCount >= RtfLimits::MaxTableCells)
        closeTablesTo(0);
}

void RtfBuilder::emitItems(const QList<Item> &items)
{
    for (const Item &item : items) {
        if (item.table)
            emitTable(*item.table);
        else
            emitParagraph(item.para, true);
    }
}

namespace {
QTextFrameFormat::BorderStyle borderStyle(quint8 style)
{
    switch (style) {
    case 2: return QTextFrameFormat::BorderStyle_Double;
    case 3: return QTextFrameFormat::BorderStyle_Dotted;
    case 4: return QTextFrameFormat::BorderStyle_Dashed;
    default: return QTextFrameFormat::BorderStyle_Solid;
    }
}
}

void RtfBuilder::emitTable(PendingTable &t)
{
    // Each RTF row places its cells by their right edges (\cellx); the edges
    // of all rows together make the table's columns, and a cell spans the
    // columns between its edges. Rows whose edges do not rise, or tables with
    // more edges than columns allowed, fall back to one column per cell.
    struct Placed
    {
        int row = 0, col = 0, rowSpan = 1, colSpan = 1;
        const CellDef *def = nullptr;
        const RowDef *rowDef = nullptr;
        QList<const PendingCell *> parts;
    };
    struct Logical
    {
        int left = 0, right = 0;
        const CellDef *def = nullptr;
        QList<const PendingCell *> parts;
    };
    static const CellDef plainCell;
    // Merged-away cells hold an empty paragraph that is not worth keeping.
    const auto hasContent = [](const PendingCell *cell) {
        return std::any_of(cell->items.cbegin(), cell->items.cend(),
                           [](const Item &item) { return item.table || !item.para.runs.isEmpty(); });
    };
    const int rowCount = int(t.rows.size());
    QList<QList<Logical>> rows(rowCount);
    bool regular = true;
    QList<int> edges;
    for (int r = 0; r < rowCount; ++r) {
        const PendingRow &row = t.rows.at(r);
        const qsizetype n = qMax(row.cells.size(), row.def.cells.size());
        int previous = row.def.left;
        QList<Logical> &out = rows[r];
        for (qsizetype i = 0; i < n; ++i) {
            const CellDef *def = i < row.def.cells.size() ? &row.def.cells.at(i) : &plainCell;
            const int right = i < row.def.cells.size() ? def->right : previous + 1440;
            if (right <= previous)
                regular = false;
            const PendingCell *content = i < row.cells.size() ? &row.cells.at(i) : nullptr;
            // \clmrg joins the cell before; cells past the column limit join the last.
            if (!out.isEmpty() && (def->merge == 2 || out.size() >= RtfLimits::MaxTableColumns)) {
                out.last().right = qMax(out.last().right, right);
                if (content && hasContent(content))
                    out.last().parts.append(content);
            } else {
                Logical cell;
                cell.left = previous;
                cell.right = right;
                cell.def = def;
                if (content)
                    cell.parts.append(content);
                out.append(cell);
            }
            previous = qMax(previous, right);
        }
        for (const Logical &cell : std::as_const(out))
            edges << cell.left << cell.right;
    }
    // Word's rows differ by a few twips where the user meant one edge.
    constexpr int Snap = 20;
    std::sort(edges.begin(), edges.end());
    QList<int> grid;
    for (const int e : std::as_const(edges)) {
        if (grid.isEmpty() || e - grid.last() >= Snap)
            grid.append(e);
    }
    const auto column = [&grid](int x) {
        return int(std::upper_bound(grid.cbegin(), grid.cend(), x + Snap - 1) - grid.cbegin()) - 1;
    };
    if (grid.size() - 1 > RtfLimits::MaxTableColumns)
        regular = false;
    if (regular) {
        for (const QList<Logical> &row : std::as_const(rows)) {
            for (const Logical &cell : row) {
                if (column(cell.right) <= column(cell.left))
                    regular = false;
            }
        }
    }

    int columns = 0;
    QList<qreal> widths;
    if (regular) {
        columns = int(grid.size()) - 1;
        for (int c = 0; c < columns; ++c)
            widths << Twips::toPixels(grid.at(c + 1) - grid.at(c));
    } else {
        int widest = 0;
        for (int r = 0; r < rowCount; ++r) {
            if (rows.at(r).size() > columns) {
                columns = int(rows.at(r).size());
                widest = r;
            }
        }
        for (const Logical &cell : rows.at(widest))
            widths << Twips::toPixels(qBound(Snap, cell.right - cell.left, RtfLimits::MaxTwips));
    }
    if (columns <= 0)
        return;

    QList<Placed> placed;
    QList<int> at(qsizetype(rowCount) * columns, -1);
    QList<int> verticalAnchor(columns, -1);
    for (int r = 0; r < rowCount; ++r) {
        const QList<Logical> &row = rows.at(r);
        for (int i = 0; i < row.size(); ++i) {
            const Logical &cell = row.at(i);
            const int c0 = regular ? column(cell.left) : i;
            const int c1 = regular ? column(cell.right) : i + 1;
            const int span = c1 - c0;
            if (cell.def->vmerge == 2 && verticalAnchor.at(c0) >= 0) {
                Placed &anchor = placed[verticalAnchor.at(c0)];
                if (anchor.colSpan == span && anchor.row + anchor.rowSpan == r) {
                    ++anchor.rowSpan;
                    // What the covered cell holds goes to the merged one; the
                    // empty paragraph every covered cell has does not.
                    for (const PendingCell *part : cell.parts) {
                        if (hasContent(part))
                            anchor.parts.append(part);
                    }
                    continue;
                }
            }
            Placed p;
            p.row = r;
            p.col = c0;
            p.colSpan = span;
            p.def = cell.def;
            p.rowDef = &t.rows.at(r).def;
            p.parts = cell.parts;
            const int index = int(placed.size());
            placed.append(p);
            at[qsizetype(r) * columns + c0] = index;
            for (int c = c0; c < c1; ++c)
                verticalAnchor[c] = cell.def->vmerge == 1 ? index : -1;
        }
    }

    const RowDef &first = t.rows.first().def;
    QTextTableFormat format;
    format.setBorder(0);
    format.setBorderCollapse(true);
    format.setCellSpacing(0);
    format.setCellPadding(0);
    format.setAlignment(first.alignment);
    if (first.left > 0)
        format.setLeftMargin(Twips::toPixels(first.left));
    format.setProperty(RtfProperties::TableLeft, first.left);
    format.setProperty(RtfProperties::TableGap, first.gap);
    QList<QTextLength> constraints;
    for (const qreal w : std::as_const(widths))
        constraints << QTextLength(QTextLength::FixedLength, w);
    format.setColumnWidthConstraints(constraints);

    if (m_text) {
        endTextParagraphBeforeTable();
        // The cells as the document has them, row by row: every place of
        // the grid that no merged cell covers, those no RTF cell took
        // included (empty).
        QList<bool> covered(qsizetype(rowCount) * columns, false);
        for (const Placed &p : std::as_const(placed)) {
            for (int r = p.row; r < p.row + p.rowSpan; ++r) {
                for (int c = p.col; c < p.col + p.colSpan; ++c)
                    if (r != p.row || c != p.col)
                        covered[qsizetype(r) * columns + c] = true;
            }
        }
        ++m_emitDepth;
        for (int r = 0; r < rowCount; ++r) {
            // The row ends after its last cell, whatever merged cells from
            // the rows above cover after it.
            int lastColumn = columns - 1;
            while (lastColumn > 0 && covered.at(qsizetype(r) * columns + lastColumn))
                --lastColumn;
            for (int c = 0; c < columns; ++c) {
                if (covered.at(qsizetype(r) * columns + c))
                    continue;
                m_freshBlock = true;
                m_textParagraphEmpty = true;
                m_textParagraphFirst = true;
                const int index = at.at(qsizetype(r) * columns + c);
                if (index >= 0) {
                    for (const PendingCell *part : std::as_const(placed.at(index).parts))
                        emitItems(part->items);
                }
                endTextParagraph(c < lastColumn ? QStringLiteral("\t") : m_lineEnd);
            }
        }
        --m_emitDepth;
        m_freshBlock = true;
        m_textParagraphEmpty = true;
        m_textParagraphFirst = true;
        m_emittedAny = true;
        return;
    }

    ++m_emitDepth;
    if (!m_freshBlock && m_emitDepth == 1 && m_emittedAny && !m_cursor.atBlockEnd())
        m_cursor.movePosition(QTextCursor::EndOfBlock);
    QTextTable *table = m_cursor.insertTable(rowCount, columns, format);
    // Cells follow one another as blocks, so one cursor walks them in order;
    // asking the table for each cell would rebuild its grid every time.
    const bool merges = std::any_of(placed.cbegin(), placed.cend(),
                                    [](const Placed &p) { return p.rowSpan > 1 || p.colSpan > 1; });
    // Each cell's last paragraph format, which a merge can take from it.
    QList<QTextBlockFormat> lastFormats(merges ? placed.size() : 0);
    for (int r = 0; r < rowCount; ++r) {
        for (int c = 0; c < columns; ++c) {
            const int index = at.at(qsizetype(r) * columns + c);
            if (index >= 0) {
                m_freshBlock = true;
                for (const PendingCell *part : std::as_const(placed.at(index).parts))
                    emitItems(part->items);
                if (merges)
                    lastFormats[index] = m_cursor.blockFormat();
            }
            m_cursor.movePosition(QTextCursor::NextBlock);
        }
    }

    const int last = rowCount - 1;
    for (const Placed &p : std::as_const(placed)) {
        QTextTableCellFormat cf;
        const qreal gap = Twips::toPixels(p.rowDef->gap);
        cf.setLeftPadding(gap);
        cf.setRightPadding(gap);
        cf.setTopPadding(0);
        cf.setBottomPadding(0);
        for (int side = 0; side < 4; ++side) {
            Border b = p.def->borders[side];
            if (!b.set) {
                // The row's own borders: outer edges, then the inside lines.
                const bool outer = side == 0 ? p.row == 0
                    : side == 2 ? p.row + p.rowSpan - 1 == last
                    : side == 1 ? p.col == 0 : p.col + p.colSpan == columns;
                b = p.rowDef->borders[outer ? side : (side % 2 == 0 ? 4 : 5)];
            }
            if (!b.set || b.style == 0)
                continue;
            const qreal width = Twips::toPixels(b.width > 0 ? b.width : 15);
            const QColor color = b.color > 0 && b.color < m_colors.size() && m_colors.at(b.color).isValid()
                ? m_colors.at(b.color) : QColor(Qt::black);
            switch (side) {
            case 0: cf.setTopBorder(width); cf.setTopBorderStyle(borderStyle(b.style)); cf.setTopBorderBrush(color); break;
            case 1: cf.setLeftBorder(width); cf.setLeftBorderStyle(borderStyle(b.style)); cf.setLeftBorderBrush(color); break;
            case 2: cf.setBottomBorder(width); cf.setBottomBorderStyle(borderStyle(b.style)); cf.setBottomBorderBrush(color); break;
            default: cf.setRightBorder(width); cf.setRightBorderStyle(borderStyle(b.style)); cf.setRightBorderBrush(color); break;
            }
        }
        const int bg = p.def->background;
        if (bg > 0 && bg < m_colors.size() && m_colors.at(bg).isValid()) {
            cf.setBackground(m_colors.at(bg));
        } else if (p.def->shading > 0) {
            // Shading mixes the pattern colour (black unless named) into white.
            const int pc = p.def->pattern;
            const QColor ink = pc > 0 && pc < m_colors.size() && m_colors.at(pc).isValid() ? m_colors.at(pc) : QColor(Qt::black);
            const int k = p.def->shading;
            const auto mix = [k](int c) { return (255 * (10000 - k) + c * k + 5000) / 10000; };
            cf.setBackground(QColor(mix(ink.red()), mix(ink.green()), mix(ink.blue())));
        }
        if (p.def->valign == 1)
            cf.setVerticalAlignment(QTextCharFormat::AlignMiddle);
        else if (p.def->valign == 2)
            cf.setVerticalAlignment(QTextCharFormat::AlignBottom);
        table->cellAt(p.row, p.col).setFormat(cf);
    }
    for (const Placed &p : std::as_const(placed)) {
        if (p.rowSpan > 1 || p.colSpan > 1)
            table->mergeCells(p.row, p.col, p.rowSpan, p.colSpan);
    }
    // A merge removes the mark that ends a cell; the paragraph before it
    // then takes the format of the one after (alignment, indents, list).
    // (Its character format is the cell's own, which holds the spans.)
    for (qsizetype i = 0; merges && i < placed.size(); ++i) {
        QTextCursor end = table->cellAt(placed.at(i).row, placed.at(i).col).lastCursorPosition();
        if (end.blockFormat() != lastFormats.at(i))
            end.setBlockFormat(lastFormats.at(i));
    }
    --m_emitDepth;
    m_cursor.setPosition(table->lastPosition() + 1);
    m_freshBlock = true;
    m_emittedAny = true;
}

void RtfBuilder::finish()
{
    if (m_overflowDepth > 0 || m_stack.size() > 1) {
        damage(QStringLiteral("%1 group(s) not closed at the end of the data")
                    .arg(m_stack.size() - 1 + m_overflowDepth),
                0);
    }
    // Close what is open so pending pictures and tables are completed.
    while (m_stack.size() > 1) {
        const Group closed = m_stack.takeLast();
        if (closed.ownsDest)
            finishDestination(closed);
    }
    m_overflowDepth = 0;
    flushMultiByte();
    flushRun();
    const bool unterminated = !m_para.isEmpty();
    if (unterminated)
        endParagraph(false);
    closeTablesTo(0);
    if (!m_emittedAny) {
        if (m_replace)
            endParagraph(false, 0);
    } else if (!m_replace && !unterminated && !m_freshBlock) {
        // The pasted content ended with a paragraph mark.
        m_cursor.insertBlock(m_tailBlockFormat);
    }
    // A trailing \par ends the last paragraph; it does not open an empty one.

    // Shapes that no text followed stay after the last text there is.
    if (m_replace && !m_text && !m_pendingShapes.isEmpty() && !anchorAtLastText(m_pendingShapes))
        m_headers += m_pendingShapes + '\n';
    m_pendingShapes.clear();

    if (m_replace && !m_text && (!m_styles.isEmpty() || !m_headers.isEmpty() || !m_settings.isEmpty())) {
        QTextFrame *root = m_cursor.document()->rootFrame();
        QTextFrameFormat f = root->frameFormat();
        QByteArray settings;
        for (const QByteArray &word : std::as_const(m_settings))
            settings += word;
        if (!settings.isEmpty())
            f.setProperty(RtfProperties::DocumentSettings, settings);
        if (!m_styles.isEmpty())
            f.setProperty(RtfProperties::DocumentStyles, m_styles);
        if (!m_headers.isEmpty())
            f.setProperty(RtfProperties::DocumentHeaders, m_headers);
        root->setFrameFormat(f);
    }
}

bool RtfBuilder::keepAfterText(int property, QByteArrayView bytes)
{
    flushMultiByte();
    flushRun();
    if (m_para.isEmpty() || m_para.last().image)
        return false;
    QTextCharFormat &f = m_para.last().format;
    f.setProperty(property, f.property(property).toByteArray() + bytes.toByteArray());
    return true;
}

bool RtfBuilder::anchorAtLastText(const QByteArray &shapes)
{
    QTextDocument *document = m_cursor.document();
    for (QTextBlock block = document->lastBlock(); block.isValid(); block = block.previous()) {
        QTextFragment last;
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().objectType() == QTextFormat::NoObject)
                last = it.fragment();
        }
        if (!last.isValid())
            continue;
        // The whole run, as a run read with a shape after it would be.
        QTextCursor c(document);
        c.setPosition(last.position());
        c.setPosition(last.position() + last.length(), QTextCursor::KeepAnchor);
        QTextCharFormat f;
        f.setProperty(RtfProperties::Shapes, last.charFormat().property(RtfProperties::Shapes).toByteArray() + shapes);
        c.mergeCharFormat(f);
        return true;
    }
    return false;
}

void RtfBuilder::appendInstruction(const QString &text)
{
    const int field = top().field;
    if (field < 0 || field >= m_fields.size())
        return;
    QString &instruction = m_fields[field];
    if (instruction.size() + text.size() <= RtfLimits::MaxFieldInstruction)
        instruction += text;
}

void RtfBuilder::keepGroup(const Group &closed, qsizetype end)
{
    if (closed.start < 0 || end >= m_source.size() || end < closed.start)
        return;
    const QByteArrayView bytes = m_source.sliced(closed.start, end - closed.start + 1);
    if (m_keptBytes + bytes.size() > RtfLimits::MaxKeptBytes) {
        damage(QStringLiteral("too much header, footer and note text; some was dropped"), closed.start);
        return;
    }
    m_keptBytes += bytes.size();
    if (closed.keep == 3) {
        flushMultiByte();
        flushRun();
        if (m_para.size() == closed.runsBefore + 1 && m_para.last().image) {
            m_para.last().format.setProperty(RtfProperties::ObjectData, bytes.toByteArray());
        } else if (m_para.size() == closed.runsBefore) {
            // No picture of it to show: a frame of its size stands in.
            const auto twips = [](int v) { return qBound(1, v > 0 ? v : 1440, RtfLimits::MaxPictureTwips); };
            const QSizeF size(Twips::toPixels(twips(m_objectWidth)), Twips::toPixels(twips(m_objectHeight)));
            if (m_text) {
                m_para.append(Run{QString(), QTextCharFormat(), true});
                m_contentSeen = true;
                return;
            }
            const QString name = QStringLiteral("rtfimage://%1").arg(imageCounter.fetchAndAddRelaxed(1));
            m_cursor.document()->addResource(QTextDocument::ImageResource, QUrl(name), RtfPicture::placeholder(size));
            QTextImageFormat format;
            format.merge(charFormat(top().chars));
            format.setName(name);
            format.setWidth(size.width());
            format.setHeight(size.height());
            format.setProperty(RtfProperties::ObjectData, bytes.toByteArray());
            m_para.append(Run{QString(), format, true});
            m_contentSeen = true;
        } else {
            // A result of text (or of more than one piece) is kept as its text.
            m_keptBytes -= bytes.size();
        }
        return;
    }
    if (closed.keep == 4) {
        // A floating shape is not shown, but kept: after the text that
        // anchors it, or with the next text when none came before.
        if (!keepAfterText(RtfProperties::Shapes, bytes))
            m_pendingShapes += bytes.toByteArray();
        return;
    }
    if (closed.keep == 2) {
        // A note stays after the text that refers to it (its mark).
        if (keepAfterText(RtfProperties::Footnote, bytes))
            return;
        if (!m_replace)
            return;   // a pasted note with nothing before it has no place to go
    }
    if (!m_replace)
        return;
    if (bytes.startsWith("{\\stylesheet"))
        m_styles = bytes.toByteArray();
    else
        m_headers += bytes.toByteArray() + '\n';
}

void RtfBuilder::decodeFontName()
{
    const int page = m_fontCodePage > 0 ? m_fontCodePage : m_docCodePage;
    codePage(page).decode(m_fontName, m_fontNameText);
    m_fontName.clear();
}

void RtfBuilder::finishFontEntry()
{
    if (m_fontId < 0) {
        m_fontName.clear();
        m_fontNameText.clear();
        return;
    }
    decodeFontName();
    const QString name = m_fontNameText.trimmed();
    m_fontNameText.clear();
    if (m_fonts.size() < RtfLimits::MaxTableEntries || m_fonts.contains(m_fontId))
        m_fonts.insert(m_fontId, FontEntry{name, m_fontCodePage});
    m_fontId = -1;
    m_fontCodePage = 0;
    m_fontName.clear();
    m_formats.clear();
}

void RtfBuilder::insertPicture()
{
    if (m_pictTooBig) {
        damage(QStringLiteral("picture too large; skipped"), 0);
        return;
    }
    const QByteArray data = m_pictBinary.isEmpty() ? QByteArray::fromHex(m_pictHex) : m_pictBinary;
    m_pictHex.clear();
    m_pictBinary.clear();
    if (data.isEmpty())
        return;
    if (m_text) {
        // Text has no place for a picture: only that there is one counts.
        flushRun();
        m_para.append(Run{QString(), QTextCharFormat(), true});
        m_contentSeen = true;
        return;
    }
    using RtfPicture::Kind;
    // Past the budget a picture shows as a frame; its bytes are kept all the same.
    const QImage image = RtfPicture::decode(m_pictType, data, RtfLimits::MaxDecodedPictureBytes - m_decodedBytes);
    m_decodedBytes += image.sizeInBytes();
    if (image.isNull() && (m_pictType == Kind::Png || m_pictType == Kind::Jpeg || m_pictType == Kind::Dib))
        problem(QStringLiteral("a picture could not be shown (damaged, or too large); it shows as a frame"), 0);

    // Sizes are clamped before they are scaled, so no product overflows.
    const auto bound = [](qint64 v, qint64 low, qint64 high) { return int(qBound(low, v, high)); };
    const int picw = bound(m_pictWidth, 0, RtfLimits::MaxPictureTwips * 100);
    const int pich = bound(m_pictHeight, 0, RtfLimits::MaxPictureTwips * 100);
    const int goalW = bound(m_pictGoalWidth, 0, RtfLimits::MaxPictureTwips);
    const int goalH = bound(m_pictGoalHeight, 0, RtfLimits::MaxPictureTwips);
    const int scaleX = m_pictScaleX > 0 ? bound(m_pictScaleX, 1, RtfLimits::MaxPictureScale) : 100;
    const int scaleY = m_pictScaleY > 0 ? bound(m_pictScaleY, 1, RtfLimits::MaxPictureScale) : 100;
    const auto natural = [&](int goal, int pic, int pixels) -> qint64 {
        if (goal > 0)
            return goal;
        if (!image.isNull())
            return Twips::fromPixels(pixels);
        if (RtfPicture::isMetafile(m_pictType) && pic > 0)
            return qint64(pic) * 1440 / 2540;   // hundredths of a millimetre
        return pic > 0 ? Twips::fromPixels(pic) : 1440;
    };
    const int shownW = bound(natural(goalW, picw, image.width()) * scaleX / 100, 1, RtfLimits::MaxPictureTwips);
    const int shownH = bound(natural(goalH, pich, image.height()) * scaleY / 100, 1, RtfLimits::MaxPictureTwips);
    const QSizeF size(Twips::toPixels(shownW), Twips::toPixels(shownH));

    QTextDocument *document = m_cursor.document();
    const int number = imageCounter.fetchAndAddRelaxed(1);
    QString name;
    if (!image.isNull()) {
        name = QStringLiteral("rtfimage://%1").arg(number);
        document->addResource(QTextDocument::ImageResource, QUrl(name), image);
    } else {
        // Equal frames share one image.
        const QString key = QStringLiteral("%1x%2").arg(shownW).arg(shownH);
        name = m_placeholders.value(key);
        if (name.isEmpty()) {
            name = QStringLiteral("rtfimage://%1").arg(number);
            document->addResource(QTextDocument::ImageResource, QUrl(name), RtfPicture::placeholder(size));
            m_placeholders.insert(key, name);
        }
    }
    const QString dataName = QStringLiteral("rtfdata://%1").arg(number);
    document->addResource(QTextDocument::ImageResource, QUrl(dataName), data);

    QTextImageFormat format;
    format.merge(charFormat(top().chars));
    format.setName(name);
    format.setWidth(size.width());
    format.setHeight(size.height());
    QString kind = QString::fromLatin1(RtfPicture::word(m_pictType));
    if (m_pictParameter >= 0 && m_pictType != Kind::Png && m_pictType != Kind::Jpeg)
        kind += QString::number(m_pictParameter);
    format.setProperty(RtfProperties::PictureKind, kind);
    format.setProperty(RtfProperties::PictureData, dataName);
    format.setProperty(RtfProperties::PictureWidth, picw);
    format.setProperty(RtfProperties::PictureHeight, pich);
    format.setProperty(RtfProperties::PictureGoalWidth, goalW);
    format.setProperty(RtfProperties::PictureGoalHeight, goalH);
    format.setProperty(RtfProperties::PictureScaleX, scaleX);
    format.setProperty(RtfProperties::PictureScaleY, scaleY);
    format.setProperty(RtfProperties::PictureCropLeft, m_pictCrop[0]);
    format.setProperty(RtfProperties::PictureCropRight, m_pictCrop[1]);
    format.setProperty(RtfProperties::PictureCropTop, m_pictCrop[2]);
    format.setProperty(RtfProperties::PictureCropBottom, m_pictCrop[3]);
    flushRun();
    m_para.append(Run{QString(), format, true});
    m_contentSeen = true;
}
