#include "WordCounter.h"

#include "RichTextBox.h"

#include <QTextBlock>
#include <QTextFragment>
#include <QTextDocument>

#include <climits>

namespace {

// One pass over the text, equal to the rule's steps: drop every "-\r\n",
// then count runs of characters that are neither a blank nor part of a
// CR LF pair. A removal can bring a CR and an LF together ("\r-\r\n\n"),
// which then separates words; a lone CR or LF is an ordinary character.
struct Machine
{
    int hyphen = 0;        // 0 nothing pending, 1 "-" pending, 2 "-\r" pending
    bool inWord = false;
    bool cr = false;       // a CR passed through, waiting to see an LF
    int words = 0;

    void wordChar()
    {
        if (!inWord) {
            ++words;
            inWord = true;
        }
    }

    void pass(char16_t c)
    {
        if (cr) {
            cr = false;
            if (c == u'\n') {
                inWord = false;
                return;
            }
            wordChar();
        }
        if (c == u'\r')
            cr = true;
        else if (c == u' ')
            inWord = false;
        else
            wordChar();
    }

    void feed(char16_t c)
    {
        switch (hyphen) {
        case 0:
            if (c == u'-')
                hyphen = 1;
            else
                pass(c);
            return;
        case 1:
            if (c == u'\r') {
                hyphen = 2;
                return;
            }
            pass(u'-');
            if (c != u'-') {
                hyphen = 0;
                pass(c);
            }
            return;
        default:
            if (c == u'\n') {
                hyphen = 0;
                return;
            }
            pass(u'-');
            pass(u'\r');
            if (c == u'-') {
                hyphen = 1;
            } else {
                hyphen = 0;
                pass(c);
            }
            return;
        }
    }

    void finish()
    {
        if (hyphen >= 1)
            pass(u'-');
        if (hyphen == 2)
            pass(u'\r');
        hyphen = 0;
        if (cr) {
            cr = false;
            wordChar();
        }
    }

    int encode() const { return hyphen + 3 * int(inWord) + 6 * int(cr); }
    static Machine decode(int state)
    {
        Machine m;
        m.hyphen = state % 3;
        m.inWord = (state / 3) % 2;
        m.cr = state / 6;
        return m;
    }
};

// How the control's CR LF text renders one paragraph: line and frame
// separators become CR LF, and the placeholder of an embedded picture is
// left out; every other character is taken as it stands.
template<typename Sink>
void forEachTextChar(const QTextBlock &block, Sink &&sink)
{
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid())
            continue;
        const bool object = fragment.charFormat().objectType() != QTextFormat::NoObject;
        const QString text = fragment.text();
        for (QChar qc : text) {
            const char16_t c = qc.unicode();
            switch (c) {
            case 0x2028:
            case 0x2029:
            case 0xfdd0:
            case 0xfdd1:
                sink(u'\r');
                sink(u'\n');
                break;
            case 0xfffc:
                if (!object)
                    sink(c);
                break;
            default:
                sink(c);
            }
        }
    }
}


} // namespace

WordCounter::WordCounter(QObject *parent) : QObject(parent) {}

int WordCounter::countText(const QString &text)
{
    Machine m;
    const char16_t *p = reinterpret_cast<const char16_t *>(text.constData());
    const qsizetype n = text.size();
    qsizetype i = 0;
    int words = 0;
    bool inWord = false;
    while (i < n) {
        // The common case, with nothing pending, runs without the machine.
        if (m.hyphen == 0 && !m.cr) {
            // Every character that matters to the rule sorts at or below
            // '-', so the letters inside a word cost one comparison each.
            for (; i < n; ++i) {
                if (inWord) {
                    while (i < n && p[i] > u'-')
                        ++i;
                    if (i == n)
                        break;
                }
                const char16_t c = p[i];
                if (c == u' ') {
                    inWord = false;
                    continue;
                }
                if (c == u'-' || c == u'\r')
                    break;
                if (!inWord) {
                    ++words;
                    inWord = true;
                }
            }
            if (i == n)
                break;
        }
        m.inWord = inWord;
        m.words = 0;
        m.feed(p[i++]);
        words += m.words;
        inWord = m.inWord;
    }
    m.inWord = inWord;
    m.words = 0;
    m.finish();
    return words + m.words;
}

WordCounter::Table WordCounter::tableFor(const QTextBlock &block)
{
    std::array<Machine, StateCount> runs;
    for (int s = 0; s < StateCount; ++s)
        runs[s] = Machine::decode(s);

    // Every start state has forgotten where it came from after the first
    // plain character, so the runs are merged into one as soon as they meet.
    bool merged = false;
    std::array<int, StateCount> offset{};
    Machine single;
    const auto feed = [&](char16_t c) {
        if (merged) {
            single.feed(c);
            return;
        }
        bool same = true;
        for (int s = 0; s < StateCount; ++s) {
            runs[s].feed(c);
            same = same && runs[s].encode() == runs[0].encode();
        }
        if (same) {
            merged = true;
            for (int s = 0; s < StateCount; ++s)
                offset[s] = runs[s].words;
            single = runs[0];
            single.words = 0;
        }
    };
    forEachTextChar(block, feed);
    // The block's own end as the control's Text has it (CR LF, or a tab
    // between table cells), so the total folds the blocks without joints.
    for (const QChar c : RichTextBox::BlockEnd(block, QStringLiteral("\r\n")))
        feed(c.unicode());

    Table table;
    for (int s = 0; s < StateCount; ++s) {
        if (merged) {
            table.next[s] = std::uint8_t(single.encode());
            table.words[s] = offset[s] + single.words;
        } else {
            table.next[s] = std::uint8_t(runs[s].encode());
            table.words[s] = runs[s].words;
        }
    }
    return table;
}

WordCounter *WordCounter::of(QTextDocument *document)
{
    if (!document)
        return nullptr;
    auto *counter = document->findChild<WordCounter *>(QString(), Qt::FindDirectChildrenOnly);
    if (!counter) {
        counter = new WordCounter(document);
        counter->attach(document);
    }
    return counter;
}

void WordCounter::attach(QTextDocument *document)
{
    if (m_connection)
        disconnect(m_connection);
    m_document = document;
    m_blocks.clear();
    m_dirty = true;
    if (!document)
        return;
    // A document raises contentsChange only once it has a layout; a view
    // makes one anyway, a bare document gets it here.
    document->documentLayout();
    m_connection = connect(document, &QTextDocument::contentsChange, this,
                               &WordCounter::onContentsChange);
}

void WordCounter::rebuild()
{
    m_blocks.clear();
    if (!m_document)
        return;
    m_revision = m_document->revision();
    m_blocks.reserve(size_t(m_document->blockCount()));
    for (QTextBlock b = m_document->begin(); b.isValid(); b = b.next())
        m_blocks.push_back(tableFor(b));
}

void WordCounter::onContentsChange(int position, int /*removed*/, int added)
{
    m_dirty = true;
    if (!m_document)
        return;
    m_revision = m_document->revision();
    const int oldCount = int(m_blocks.size());
    const int newCount = m_document->blockCount();
    const int last = m_document->characterCount() - 1;
    const QTextBlock first = m_document->findBlock(qBound(0, position, last));
    const QTextBlock end = m_document->findBlock(qBound(0, position + added, last));
    if (oldCount == 0 || !first.isValid() || !end.isValid()) {
        m_blocks.clear();
        return;
    }
    const int from = first.blockNumber();
    const int fresh = end.blockNumber() - from + 1;
    const int stale = fresh - (newCount - oldCount);
    if (fresh < 1 || stale < 1 || from + stale > oldCount) {
        m_blocks.clear();   // the next count() rebuilds from scratch
        return;
    }

    std::vector<Table> tables;
    tables.reserve(size_t(fresh));
    for (QTextBlock b = first; b.isValid() && int(tables.size()) < fresh; b = b.next())
        tables.push_back(tableFor(b));

    const auto at = m_blocks.begin() + from;
    if (fresh == stale) {
        std::copy(tables.begin(), tables.end(), at);
    } else {
        m_blocks.erase(at, at + stale);
        m_blocks.insert(m_blocks.begin() + from, tables.begin(), tables.end());
    }
}

int WordCounter::count()
{
    if (!m_document)
        return 0;
    // A change made while the document's signals were blocked shows only in
    // its revision; the tables cannot be trusted then.
    if (int(m_blocks.size()) != m_document->blockCount() || m_revision != m_document->revision()) {
        rebuild();
        m_dirty = true;
    }
    if (!m_dirty)
        return m_total;

    int state = 0;
    long long words = 0;
    const size_t n = m_blocks.size();
    for (size_t i = 0; i < n; ++i) {
        const Table &t = m_blocks[i];
        words += t.words[state];
        state = t.next[state];
    }
    Machine m = Machine::decode(state);
    m.finish();
    words += m.words;
    m_total = int(qMin<long long>(words, INT_MAX));
    m_dirty = false;
    return m_total;
}
