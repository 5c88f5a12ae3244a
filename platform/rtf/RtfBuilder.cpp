#include "RtfBuilder.h"

#include "RtfCodePage.h"
#include "RtfLimits.h"
#include "Twips.h"

#include <QAtomicInt>
#include <QImage>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextList>
#include <QUrl>

using A = RtfControlTable::Action;

size_t qHash(const RtfBuilder::CharState &s, size_t seed)
{
    return qHashMulti(seed, s.font, s.halfPoints, s.foreground, s.background, s.vertical,
                      (s.bold ? 1 : 0) | (s.italic ? 2 : 0) | (s.underline ? 4 : 0)
                          | (s.strike ? 8 : 0) | (s.caps ? 16 : 0) | (s.smallCaps ? 32 : 0));
}

namespace {
int clampTwips(int v) { return qBound(-RtfLimits::MaxTwips, v, RtfLimits::MaxTwips); }

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
    return c < 0x20 || c == 0x2029 || c == 0xFFFC || (c >= 0xD800 && c < 0xE000);
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

RtfBuilder::~RtfBuilder() = default;

void RtfBuilder::problem(const QString &kind, qsizetype offset)
{
    int &count = m_problemCounts[kind];
    ++count;
    if (count == 1 && m_problems.size() < RtfLimits::MaxReportedErrors)
        m_problems.append(QStringLiteral("%1 (at byte %2)").arg(kind).arg(offset));
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
            problem(QStringLiteral("groups nested too deeply; their content was skipped"), offset);
        ++m_overflowDepth;
        return;
    }
    Group g = top();
    g.ownsDest = false;
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
    case A::DestPass: break;
    case A::DestHold: next = current == Dest::Normal ? Dest::Hold : Dest::Skip; break;
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
        m_pictType = PictType::Unknown;
        m_pictHex.clear();
        m_pictBinary.clear();
        m_pictWidth = m_pictHeight = m_pictGoalWidth = m_pictGoalHeight = 0;
        m_pictScaleX = m_pictScaleY = 100;
        m_pictTooBig = false;
        break;
    case A::DestPn: next = Dest::Pn; m_pnStyle = 0; m_pnBody = false; break;
    case A::DestListTable: next = Dest::ListTable; break;
    case A::DestList: next = Dest::List; m_currentLevels.clear(); m_currentListId = 0; break;
    case A::DestListLevel:
        next = Dest::ListLevel;
        if (m_currentLevels.size() < 9)
            m_currentLevels.append(0);
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
            m_currentLevels.last() = value;
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
    case A::PictPng: m_pictType = PictType::Png; return;
    case A::PictJpeg: m_pictType = PictType::Jpeg; return;
    case A::PictOther: m_pictType = PictType::Other; return;
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
    case A::UnicodeSkip: g.unicodeSkip = quint8(qBound(0, value, 16)); return;
    case A::Unicode:
        if (dest == Dest::Normal) {
            appendUnicode(value);
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
            const QString number = QString::number(++m_footnotes);
            for (const QChar c : number)
                appendChar(c.unicode());
        }
        return;
    case A::Cell:
        if (dest == Dest::Normal) {
            appendChar(u'\t');
            m_lastWasCellTab = true;
        }
        return;
    case A::Row:
        if (dest == Dest::Normal) {
            removeTrailingCellTab();
            endParagraph(true);
        }
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
    case A::Plain:
        flushMultiByte();
        c = CharState();
        return;
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
        m_lastWasCellTab = false;
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
    if (dest != Dest::Normal)
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
    m_lastWasCellTab = false;
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
    if (m_runOpen && !m_run.isEmpty())
        m_para.append(Run{m_run, charFormat(m_runState), false});
    m_run.clear();
    m_runOpen = false;
}

void RtfBuilder::removeTrailingCellTab()
{
    if (!m_lastWasCellTab)
        return;
    m_lastWasCellTab = false;
    if (m_runOpen && m_run.endsWith(u'\t')) {
        m_run.chop(1);
        return;
    }
    if (!m_para.isEmpty() && !m_para.last().image && m_para.last().text.endsWith(u'\t')) {
        m_para.last().text.chop(1);
        if (m_para.last().text.isEmpty())
            m_para.removeLast();
    }
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
    qint64 key;
    if (p.listOverride > 0) {
        const QList<int> levels = m_listLevels.value(m_overrideToList.value(p.listOverride, -1));
        // Lists whose table is missing or damaged still read as bullets.
        const int nfc = levels.isEmpty() ? 23 : levels.value(p.listLevel, levels.first());
        if (nfc == 255)
            return nullptr;
        style = styleForLevelFormat(nfc);
        key = qint64(p.listOverride) * 16 + p.listLevel;
    } else if (p.pnStyle != 0) {
        style = QTextListFormat::Style(p.pnStyle);
        if (m_lastPnList && m_lastPnStyle == p.pnStyle) {
            m_lastPnList->add(m_cursor.block());
            return m_lastPnList;
        }
        key = -1;
    } else {
        return nullptr;
    }

    if (key >= 0) {
        if (QTextList *list = m_lists.value(key)) {
            list->add(m_cursor.block());
            return list;
        }
    }
    QTextListFormat format;
    format.setStyle(style);
    format.setIndent(0);
    QTextList *list = m_cursor.createList(format);
    if (key >= 0)
        m_lists.insert(key, list);
    return list;
}

// ---- paragraphs -----------------------------------------------------------

void RtfBuilder::endParagraph(bool terminated)
{
    flushMultiByte();
    flushRun();
    const ParaState &para = top().para;
    QTextBlockFormat bf = blockFormat(para);
    m_pageBreakNext = false;
    const QTextCharFormat cf = charFormat(top().chars);
    bool applyList = true;
    if (!m_emittedAny) {
        if (m_replace) {
            m_cursor.setBlockFormat(bf);
            m_cursor.setBlockCharFormat(cf);
        } else if (m_startedAtBlockStart && terminated) {
            m_cursor.setBlockFormat(bf);
        } else {
            applyList = false;
        }
    } else if (!terminated && !m_replace) {
        // The last pasted piece joins the text after the cursor, whose
        // paragraph keeps its own format.
        m_cursor.insertBlock(m_tailBlockFormat, cf);
        applyList = false;
    } else {
        m_cursor.insertBlock(bf, cf);
    }

    QTextList *pnList = nullptr;
    if (applyList) {
        QTextList *list = listFor(para);
        if (list && para.listOverride == 0)
            pnList = list;
    }
    m_lastPnList = pnList;
    m_lastPnStyle = pnList ? para.pnStyle : 0;

    for (const Run &run : std::as_const(m_para)) {
        if (run.image)
            m_cursor.insertImage(run.format.toImageFormat());
        else
            m_cursor.insertText(run.text, run.format);
    }
    m_para.clear();
    m_emittedAny = true;
}

void RtfBuilder::finish()
{
    if (m_overflowDepth > 0 || m_stack.size() > 1) {
        problem(QStringLiteral("%1 group(s) not closed at the end of the data")
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
    if (!m_para.isEmpty()) {
        endParagraph(false);
    } else if (!m_emittedAny) {
        if (m_replace)
            endParagraph(false);
    } else if (!m_replace) {
        // The pasted content ended with a paragraph mark.
        m_cursor.insertBlock(m_tailBlockFormat);
    }
    // A trailing \par ends the last paragraph; it does not open an empty one.
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
        problem(QStringLiteral("picture too large; skipped"), 0);
        return;
    }
    if (m_pictType != PictType::Png && m_pictType != PictType::Jpeg)
        return;   // metafiles and device bitmaps are not shown
    QByteArray data = m_pictBinary.isEmpty() ? QByteArray::fromHex(m_pictHex) : m_pictBinary;
    m_pictHex.clear();
    m_pictBinary.clear();
    QImage image;
    if (!image.loadFromData(data, m_pictType == PictType::Png ? "PNG" : "JPEG") || image.isNull()) {
        problem(QStringLiteral("a picture could not be decoded"), 0);
        return;
    }
    qreal width = m_pictGoalWidth > 0 ? Twips::toPixels(m_pictGoalWidth) : image.width();
    qreal height = m_pictGoalHeight > 0 ? Twips::toPixels(m_pictGoalHeight) : image.height();
    if (m_pictScaleX > 0 && m_pictScaleX != 100)
        width = width * qMin(m_pictScaleX, 10000) / 100.0;
    if (m_pictScaleY > 0 && m_pictScaleY != 100)
        height = height * qMin(m_pictScaleY, 10000) / 100.0;

    QTextDocument *document = m_cursor.document();
    const QString name = QStringLiteral("rtfimage://%1").arg(imageCounter.fetchAndAddRelaxed(1));
    document->addResource(QTextDocument::ImageResource, QUrl(name), image);
    QTextImageFormat format;
    format.merge(charFormat(top().chars));
    format.setName(name);
    format.setWidth(width);
    format.setHeight(height);
    flushRun();
    m_para.append(Run{QString(), format, true});
    m_contentSeen = true;
    m_lastWasCellTab = false;
}
