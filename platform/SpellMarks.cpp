#include "SpellMarks.h"

#include "RichTextBox.h"
#include "SpellLanguage.h"
#include "SpellWords.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>

namespace {

// Time a pass over the screen, and an idle slice, may take before it lets
// the event loop run; the pause after a load or edit before the idle
// checking starts; the most text one step checks in a single paragraph.
constexpr int PassMs = 8;
constexpr int SliceMs = 4;
constexpr int IdleDelayMs = 400;
constexpr int ChunkChars = 8192;
// Hunspell's own limit: a longer word is never in a dictionary.
constexpr int MaxWord = 100;

// Marks in one paragraph, positions from the paragraph's start, in order;
// and the stretch of it still to check (from < 0: none). A paragraph with
// no such data has never been checked.
struct BlockMarks : QTextBlockUserData
{
    QList<QPair<int, int>> marks;   // start, length
    int dirtyFrom = -1;
    int dirtyTo = -1;
    bool dirty() const { return dirtyFrom >= 0; }
};

BlockMarks *marksOf(const QTextBlock &block)
{
    return static_cast<BlockMarks *>(block.userData());
}

// What may belong to a word: the splitter decides, this only finds where
// the text around an edit is safe to cut.
bool wordish(QChar c)
{
    return c.isLetterOrNumber() || c.isMark() || c.isSurrogate() || SpellWords::IsApostrophe(c);
}

// A paragraph's text, piece by piece: a short paragraph is read once, a
// long one only where it is asked for, never copied whole.
class BlockText
{
public:
    explicit BlockText(const QTextBlock &block)
        : m_block(block), m_whole(block.length() <= ChunkChars ? block.text() : QString())
    {
    }

    QString mid(int from, int to) const
    {
        if (m_block.length() <= ChunkChars)
            return m_whole.mid(from, to - from);
        QTextCursor c(m_block);
        c.setPosition(m_block.position() + from);
        c.setPosition(m_block.position() + to, QTextCursor::KeepAnchor);
        return c.selectedText();
    }

private:
    QTextBlock m_block;
    QString m_whole;
};

bool inRootFrame(const QTextBlock &block)
{
    const QTextDocument *doc = block.document();
    return doc->frameAt(block.position()) == doc->rootFrame();
}

} // namespace

SpellMarks::SpellMarks(RichTextBox *box) : QObject(box), m_box(box)
{
    m_pass.setSingleShot(true);
    m_pass.setInterval(0);
    connect(&m_pass, &QTimer::timeout, this, &SpellMarks::pass);
    m_idle.setSingleShot(true);
    m_idle.setInterval(IdleDelayMs);
    connect(&m_idle, &QTimer::timeout, &m_sweep, qOverload<>(&QTimer::start));
    m_sweep.setInterval(0);
    connect(&m_sweep, &QTimer::timeout, this, &SpellMarks::sweepSlice);

    box->SetOverlay([this](QPainter &painter, const QRect &exposed) { Paint(painter, exposed); });
    connect(box, &RichTextBox::DocumentReplaced, this, [this](QTextDocument *document) {
        attach(document);
        restart();
    });
    connect(box, &QTextEdit::cursorPositionChanged, this, &SpellMarks::caretMoved);
    connect(box->verticalScrollBar(), &QScrollBar::valueChanged, this, &SpellMarks::screenChanged);
    connect(box->horizontalScrollBar(), &QScrollBar::valueChanged, this, &SpellMarks::screenChanged);
    attach(box->document());
}

SpellMarks::~SpellMarks()
{
    if (m_box)
        m_box->SetOverlay({});
}

SpellMarks *SpellMarks::Of(const RichTextBox *box)
{
    return box ? box->findChild<SpellMarks *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

bool SpellMarks::Active() const
{
    return m_enabled && m_language && m_box && m_document;
}

void SpellMarks::SetEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    restart();
}

void SpellMarks::SetLanguage(std::shared_ptr<SpellLanguage> language)
{
    if (language == m_language)
        return;
    m_language = std::move(language);
    restart();
}

void SpellMarks::attach(QTextDocument *document)
{
    if (m_document)
        disconnect(m_document, nullptr, this, nullptr);
    m_document = document;
    if (!document)
        return;
    connect(document, &QTextDocument::contentsChange, this, &SpellMarks::contentsChanged);
    // A window made larger, or a layout reaching further, shows more text.
    connect(document->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            &SpellMarks::screenChanged);
    m_blockCount = document->blockCount();
}

void SpellMarks::clearAll()
{
    m_hints.clear();
    m_skipped = {-1, -1};
    m_typing = false;
    m_pass.stop();
    m_idle.stop();
    m_sweep.stop();
    if (!m_document)
        return;
    for (QTextBlock b = m_document->begin(); b.isValid(); b = b.next()) {
        if (b.userData())
            b.setUserData(nullptr);
    }
    if (m_box)
        m_box->viewport()->update();
}

void SpellMarks::restart()
{
    clearAll();
    if (!Active())
        return;
    m_blockCount = m_document->blockCount();
    m_sweepBlock = 0;
    m_sweepFoundWork = false;
    schedule(true);
    postponeSweep();
}

void SpellMarks::schedule(bool visibleToo)
{
    m_visiblePending = m_visiblePending || visibleToo;
    if (!m_pass.isActive())
        m_pass.start();
}

void SpellMarks::postponeSweep()
{
    // Idle checking waits for a pause in typing.
    m_sweep.stop();
    m_idle.start();
}

void SpellMarks::screenChanged()
{
    if (Active())
        schedule(true);
}

void SpellMarks::contentsChanged(int from, int removed, int added)
{
    if (!Active())
        return;
    QTextDocument *doc = m_document;
    const int delta = added - removed;
    const QTextBlock first = doc->findBlock(from);
    const QTextBlock last = doc->findBlock(from + added);
    const int blocks = doc->blockCount();
    const bool acrossParagraphs = blocks != m_blockCount || first != last;
    m_blockCount = blocks;

    if (!acrossParagraphs && first.isValid()) {
        if (BlockMarks *data = marksOf(first)) {
            const int at = from - first.position();
            // Marks clear of the edit stay (moved with the text after it); a
            // mark the edit touches is of a word that changed.
            QList<QPair<int, int>> kept;
            kept.reserve(data->marks.size());
            for (const auto &mark : std::as_const(data->marks)) {
                if (mark.first + mark.second < at)
                    kept.append(mark);
                else if (mark.first > at + removed)
                    kept.append({mark.first + delta, mark.second});
            }
            data->marks = std::move(kept);
            auto moved = [&](int p) { return p <= at ? p : p >= at + removed ? p + delta : at; };
            data->dirtyFrom = data->dirty() ? std::min(moved(data->dirtyFrom), at) : at;
            data->dirtyTo = data->dirty() ? std::max(moved(data->dirtyTo), at + added) : at + added;
        }
    } else {
        // Paragraphs made, joined or replaced: each is checked afresh.
        for (QTextBlock b = first; b.isValid() && b.position() <= from + added; b = b.next()) {
            if (b.userData())
                b.setUserData(nullptr);
        }
    }
    m_hints.append(from);
    if (acrossParagraphs && from + added > first.position() + first.length())
        m_hints.append(from + added);

    if (m_skipped.start >= 0) {
        if (from + removed <= m_skipped.start) {
            m_skipped.start += delta;
            m_skipped.end += delta;
        } else if (from <= m_skipped.end) {
            m_skipped.end = std::max(m_skipped.start, m_skipped.end + delta);
        }
    }
    const QTextCursor caret = m_box->textCursor();
    m_editCaret = from + added;
    m_typing = !caret.hasSelection() && caret.position() == m_editCaret;
    schedule(acrossParagraphs);
    postponeSweep();
}

void SpellMarks::caretMoved()
{
    if (!Active())
        return;
    const QTextCursor caret = m_box->textCursor();
    if (caret.hasSelection() || caret.position() != m_editCaret) {
        m_typing = false;
        m_editCaret = -1;
    }
    if (m_skipped.start >= 0)
        schedule(false);
}

void SpellMarks::markDirty(int from, int to)
{
    if (!m_document)
        return;
    const QTextBlock block = m_document->findBlock(from);
    if (!block.isValid())
        return;
    if (BlockMarks *data = marksOf(block)) {
        const int a = std::max(0, from - block.position());
        const int b = std::max(a, to - block.position());
        data->dirtyFrom = data->dirty() ? std::min(data->dirtyFrom, a) : a;
        data->dirtyTo = data->dirty() ? std::max(data->dirtyTo, b) : b;
    }
    m_hints.append(from);
}

bool SpellMarks::checkBlock(const QTextBlock &block, bool *done, QPair<int, int> *checked)
{
    if (done)
        *done = true;
    if (!block.isValid() || !m_language)
        return false;
    BlockMarks *data = marksOf(block);
    if (!data) {
        data = new BlockMarks;
        data->dirtyFrom = 0;
        data->dirtyTo = block.length() - 1;
        QTextBlock owner = block;
        owner.setUserData(data);
    }
    if (!data->dirty())
        return false;
    const int length = block.length() - 1;
    const BlockText paragraph(block);
    int from = std::clamp(data->dirtyFrom, 0, length);
    int to = std::clamp(data->dirtyTo, from, length);
    // Out to whole words on either side, but no further than the longest
    // word there can be: a longer run of letters is no word, and its ends
    // are not looked up as if they were.
    const int back = std::max(0, from - MaxWord - 1);
    const QString before = paragraph.mid(back, from);
    int i = int(before.size());
    while (i > 0 && wordish(before.at(i - 1)))
        --i;
    from = back + i;
    const bool cleanStart = i > 0 || back == 0;
    const bool longRun = to - from > ChunkChars;
    int stop = longRun ? from + ChunkChars : to;
    const int ahead = std::min(length, stop + MaxWord + 1);
    const QString after = paragraph.mid(stop, ahead);
    int j = 0;
    while (j < after.size() && wordish(after.at(j)))
        ++j;
    stop += j;
    const bool cleanEnd = j < after.size() || ahead == length;
    const bool partial = longRun && stop < to;
    if (!partial)
        to = stop;

    const QString text = paragraph.mid(from, stop);
    const QTextCursor caret = m_box ? m_box->textCursor() : QTextCursor();
    const int typingAt = m_typing && !caret.hasSelection() ? caret.position() - block.position() : -1;
    QList<QPair<int, int>> found;
    for (const SpellWords::Word &w : SpellWords::Split(text)) {
        const int start = from + int(w.start);
        const int end = start + int(w.length);
        if (w.length > MaxWord || (start == from && !cleanStart) || (end == stop && !cleanEnd))
            continue;
        if (typingAt >= start && typingAt <= end) {
            m_skipped = {block.position() + start, block.position() + end};
            continue;
        }
        if (!m_language->IsCorrect(QStringView(text).mid(w.start, w.length)))
            found.append({start, int(w.length)});
    }

    // The marks before and after the checked stretch stay; inside it, the
    // new ones replace what was there.
    QList<QPair<int, int>> merged;
    merged.reserve(data->marks.size() + found.size());
    bool changed = false;
    auto it = data->marks.cbegin();
    for (; it != data->marks.cend() && it->first < from; ++it)
        merged.append(*it);
    auto insideEnd = it;
    while (insideEnd != data->marks.cend() && insideEnd->first < stop)
        ++insideEnd;
    changed = QList<QPair<int, int>>(it, insideEnd) != found;
    merged.append(found);
    for (; insideEnd != data->marks.cend(); ++insideEnd)
        merged.append(*insideEnd);
    data->marks = std::move(merged);
    if (partial) {
        data->dirtyFrom = stop;
        data->dirtyTo = to;
    } else {
        data->dirtyFrom = data->dirtyTo = -1;
    }
    if (done)
        *done = !partial;
    if (checked)
        *checked = {from, stop};
    return changed;
}

void SpellMarks::repaintText(const QTextBlock &block, int from, int to)
{
    if (!m_box || !m_document)
        return;
    QRectF r = m_document->documentLayout()->blockBoundingRect(block);
    // Only the lines that hold the text: a whole paragraph drawn again for
    // one word would cost more than checking it.
    const QTextLayout *layout = block.layout();
    const QTextLine first = layout ? layout->lineForTextPosition(from) : QTextLine();
    const QTextLine last = layout ? layout->lineForTextPosition(to) : QTextLine();
    if (first.isValid() && last.isValid())
        r = QRectF(r.left(), r.top() + first.y(), r.width(), last.y() + last.height() - first.y());
    const QPoint offset(m_box->horizontalScrollBar()->value(), m_box->verticalScrollBar()->value());
    // A little below too: the wave of the last line hangs low.
    m_box->viewport()->update(r.adjusted(-2, -2, 2, 4).translated(-offset).toAlignedRect());
}

QPair<int, int> SpellMarks::visibleBlockNumbers(int margin) const
{
    QAbstractTextDocumentLayout *layout = m_document->documentLayout();
    const int top = m_box->verticalScrollBar()->value();
    const int height = m_box->viewport()->height();
    const int first = layout->hitTest(QPointF(0, std::max(0, top - margin)), Qt::FuzzyHit);
    const int last = layout->hitTest(QPointF(m_box->viewport()->width(), top + height + margin), Qt::FuzzyHit);
    const QTextBlock a = m_document->findBlock(std::max(0, first));
    const QTextBlock b = m_document->findBlock(std::max(0, last));
    return {a.isValid() ? a.blockNumber() : 0, b.isValid() ? b.blockNumber() : m_document->blockCount() - 1};
}

void SpellMarks::pass()
{
    if (!Active())
        return;
    QElapsedTimer clock;
    clock.start();
    const QTextCursor caret = m_box->textCursor();
    const int caretAt = caret.hasSelection() ? -1 : caret.position();
    // The word typed last is finished once typing stops at it.
    if (m_skipped.start >= 0 && (!m_typing || caretAt < m_skipped.start || caretAt > m_skipped.end)) {
        const Span word = std::exchange(m_skipped, Span{-1, -1});
        markDirty(word.start, word.end);
    }

    const QList<int> hints = std::exchange(m_hints, {});
    for (const int position : hints) {
        const QTextBlock block = m_document->findBlock(position);
        bool done = true;
        QPair<int, int> checked;
        if (checkBlock(block, &done, &checked))
            repaintText(block, checked.first, checked.second);
        if (!done)
            m_visiblePending = true;
    }
    if (m_visiblePending) {
        m_visiblePending = false;
        const auto [first, last] = visibleBlockNumbers(m_box->viewport()->height());
        for (QTextBlock b = m_document->findBlockByNumber(first); b.isValid() && b.blockNumber() <= last;
             b = b.next()) {
            bool done = true;
            QPair<int, int> checked;
            if (checkBlock(b, &done, &checked))
                repaintText(b, checked.first, checked.second);
            if (!done || clock.elapsed() > PassMs) {
                // The rest of the screen next time round.
                m_visiblePending = true;
                break;
            }
        }
    }
    if (m_visiblePending || !m_hints.isEmpty())
        m_pass.start();
}

void SpellMarks::sweepSlice()
{
    if (!Active()) {
        m_sweep.stop();
        return;
    }
    QElapsedTimer clock;
    clock.start();
    const auto [firstShown, lastShown] = visibleBlockNumbers(0);
    bool repaint = false;
    QTextBlock b = m_document->findBlockByNumber(m_sweepBlock);
    while (b.isValid() && clock.elapsed() < SliceMs) {
        const BlockMarks *data = marksOf(b);
        if (!data || data->dirty()) {
            m_sweepFoundWork = true;
            bool done = true;
            if (checkBlock(b, &done) && b.blockNumber() >= firstShown && b.blockNumber() <= lastShown)
                repaint = true;
            if (!done)
                continue;   // the same paragraph again, while the slice lasts
        }
        b = b.next();
    }
    if (repaint)
        m_box->viewport()->update();
    if (b.isValid()) {
        m_sweepBlock = b.blockNumber();
        return;
    }
    // Round again while a round still found work: edits made behind it.
    m_sweepBlock = 0;
    if (!std::exchange(m_sweepFoundWork, false))
        m_sweep.stop();
}

void SpellMarks::CheckNow()
{
    m_pass.stop();
    pass();
}

bool SpellMarks::Pending() const
{
    if (!Active())
        return false;
    if (!m_hints.isEmpty() || m_visiblePending)
        return true;
    for (QTextBlock b = m_document->begin(); b.isValid(); b = b.next()) {
        const BlockMarks *data = marksOf(b);
        if (!data || data->dirty())
            return true;
    }
    return false;
}

SpellMarks::Word SpellMarks::MarkAt(int position) const
{
    if (!Active())
        return {};
    const QTextBlock block = m_document->findBlock(position);
    const BlockMarks *data = block.isValid() ? marksOf(block) : nullptr;
    if (!data)
        return {};
    const int at = position - block.position();
    for (const auto &mark : data->marks) {
        if (at >= mark.first && at <= mark.first + mark.second)
            return {block.position() + mark.first, mark.second};
    }
    return {};
}

QList<SpellMarks::Word> SpellMarks::Marks() const
{
    QList<Word> result;
    if (!m_document)
        return result;
    for (QTextBlock b = m_document->begin(); b.isValid(); b = b.next()) {
        if (const BlockMarks *data = marksOf(b)) {
            for (const auto &mark : data->marks)
                result.append({b.position() + mark.first, mark.second});
        }
    }
    return result;
}

QStringList SpellMarks::MarkedWords() const
{
    QStringList words;
    if (!m_document)
        return words;
    for (QTextBlock b = m_document->begin(); b.isValid(); b = b.next()) {
        if (const BlockMarks *data = marksOf(b)) {
            for (const auto &mark : data->marks)
                words.append(BlockText(b).mid(mark.first, mark.first + mark.second));
        }
    }
    return words;
}

void SpellMarks::Recheck(const QString &word)
{
    if (!Active())
        return;
    // Only a mark as long as the word can be of it (in any of its cases).
    const int length = int(word.size());
    for (QTextBlock b = m_document->begin(); b.isValid(); b = b.next()) {
        BlockMarks *data = marksOf(b);
        if (!data || data->marks.isEmpty())
            continue;
        const qsizetype before = data->marks.size();
        std::optional<BlockText> text;
        data->marks.removeIf([&](const QPair<int, int> &mark) {
            if (mark.second != length)
                return false;
            if (!text)
                text.emplace(b);
            return m_language->IsCorrect(text->mid(mark.first, mark.first + mark.second));
        });
        if (data->marks.size() != before)
            repaintText(b, 0, b.length() - 1);
    }
}

const QPixmap &SpellMarks::wave()
{
    const qreal ratio = m_box ? m_box->devicePixelRatioF() : 1.0;
    if (!m_wave.isNull() && m_waveRatio == ratio)
        return m_wave;
    // The wave, 6 pixels a period and 4 high with its peaks at the middle of
    // the top and bottom rows of pixels; many periods at once, so that most
    // words take one piece of it.
    const int period = 6;
    const int periods = 16;
    const int height = 4;
    m_wave = QPixmap(QSize(period * periods, height) * ratio);
    m_wave.setDevicePixelRatio(ratio);
    m_wave.fill(Qt::transparent);
    QPainter p(&m_wave);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(230, 0, 0), 1.1));
    const qreal middle = height / 2.0;
    QPainterPath path;
    path.moveTo(0, middle);
    for (int i = 0; i < periods; ++i) {
        const qreal x = i * period;
        path.quadTo(x + period / 4.0, 1 - middle, x + period / 2.0, middle);
        path.quadTo(x + period * 3 / 4.0, height - 1 + middle, x + period, middle);
    }
    p.drawPath(path);
    p.end();
    m_waveRatio = ratio;
    return m_wave;
}

void SpellMarks::Paint(QPainter &painter, const QRect &exposed)
{
    if (!Active())
        return;
    QAbstractTextDocumentLayout *layout = m_document->documentLayout();
    const QPointF offset(m_box->horizontalScrollBar()->value(), m_box->verticalScrollBar()->value());
    const QRectF area = QRectF(exposed).translated(offset).adjusted(0, -4, 0, 4);
    const int hit = layout->hitTest(QPointF(0, std::max<qreal>(0, area.top())), Qt::FuzzyHit);
    QTextBlock b = m_document->findBlock(std::max(0, hit));
    if (b.previous().isValid())
        b = b.previous();
    const QPixmap &pattern = wave();
    const qreal period = pattern.width() / pattern.devicePixelRatio();   // of the whole pattern
    const qreal waveHeight = pattern.height() / pattern.devicePixelRatio();
    for (; b.isValid(); b = b.next()) {
        const BlockMarks *data = marksOf(b);
        const QTextLayout *text = b.layout();
        if (!text || !b.isVisible())
            continue;
        // Laid out already if it is this far down the screen. Past it the
        // work is done, but table cells side by side come one after another
        // and go down and up again: they are looked at for another screen.
        const QRectF r = layout->blockBoundingRect(b);
        if (r.top() > area.bottom()) {
            if (inRootFrame(b) || r.top() > area.bottom() + area.height())
                break;
            continue;
        }
        if (!data || data->marks.isEmpty() || r.bottom() < area.top())
            continue;
        for (const auto &mark : data->marks) {
            const int end = mark.first + mark.second;
            for (int i = text->lineForTextPosition(mark.first).lineNumber(); i >= 0 && i < text->lineCount(); ++i) {
                const QTextLine line = text->lineAt(i);
                if (line.textStart() >= end)
                    break;
                const int from = std::max(mark.first, line.textStart());
                const int to = std::min(end, line.textStart() + line.textLength());
                const qreal x1 = line.cursorToX(from);
                const qreal x2 = line.cursorToX(to);
                const qreal left = r.left() + std::min(x1, x2) - offset.x();
                const qreal width = std::abs(x2 - x1);
                // Below the baseline, at the foot of the line's descent
                // and within the line's own height.
                const qreal below = std::max<qreal>(1, line.descent() - waveHeight + 1);
                const qreal y = r.top() + line.y() + std::min(line.ascent() + below, line.height() - waveHeight)
                                - offset.y();
                if (width > 0)
                    painter.drawTiledPixmap(QRectF(left, y, width, waveHeight), pattern,
                                            QPointF(std::fmod(left + offset.x(), period), 0));
            }
        }
    }
}
