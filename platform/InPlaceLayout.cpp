#include "InPlaceLayout.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QVarLengthArray>

namespace {
// After this long without typing Qt catches up, so what it keeps never
// drifts far behind the text.
constexpr int PauseMs = 1000;

struct OldLine
{
    QPointF position;
    qreal width, ascent, descent, leading, height;
};
}

InPlaceLayout::InPlaceLayout(QTextDocument *document)
    : QTextDocumentLayout(document)
{
    m_pause.setSingleShot(true);
    m_pause.setInterval(PauseMs);
    connect(&m_pause, &QTimer::timeout, this, &InPlaceLayout::catchUp);
}

void InPlaceLayout::documentChanged(int from, int oldLength, int length)
{
    if (layOutInPlace(from, oldLength, length)) {
        m_firstEdit = m_firstEdit < 0 ? from : qMin(m_firstEdit, from);
        ++m_edits;
        m_pause.start();
        return;
    }
    // Qt starts laying out from the last point it knows before `from`; the
    // points after an edit in place must be right by then.
    if (m_firstEdit >= 0 && m_firstEdit < from)
        catchUp();
    m_firstEdit = -1;
    m_edits = 0;
    m_pause.stop();
    QTextDocumentLayout::documentChanged(from, oldLength, length);
    m_blockCount = document()->blockCount();
}

void InPlaceLayout::catchUp()
{
    if (m_firstEdit < 0)
        return;
    const int from = qBound(0, m_firstEdit, document()->characterCount() - 1);
    m_firstEdit = -1;
    m_edits = 0;
    m_pause.stop();
    // As if that one character had changed: Qt lays its paragraph out again
    // and walks on from there, noting where everything below now starts.
    QTextDocumentLayout::documentChanged(from, 1, 1);
    m_blockCount = document()->blockCount();
}

bool InPlaceLayout::layOutInPlace(int from, int oldLength, int length)
{
    QTextDocument *doc = document();
    // Only what adds text. Format changes (same length) may move margins; a
    // new or joined paragraph changes what follows; Qt may still be laying
    // out the rest. Removals are left to Qt because of what it keeps: text
    // positions behind the text after an insertion only make Qt start a
    // search a little early, but after a removal they lie ahead of it, and
    // Qt would start drawing below a paragraph it should draw.
    if (length <= oldLength || doc->blockCount() != m_blockCount || layoutStatus() != 100)
        return false;
    if (doc->pageSize().height() > 0 || paintDevice())
        return false;
    const QTextBlock block = doc->findBlock(from);
    if (!block.isValid() || !block.isVisible())
        return false;
    const int start = block.position();
    const int end = start + block.length();   // where the next paragraph starts
    if (from + length > end - 1 || block.length() <= 1 || block.length() - (length - oldLength) <= 1)
        return false;
    // Qt places paragraphs beside a table, and those in one, by rules of its own.
    QTextFrame *root = doc->rootFrame();
    if (doc->frameAt(start) != root || (start > 0 && doc->frameAt(start - 1) != root)
        || (end < doc->characterCount() && doc->frameAt(end) != root))
        return false;

    QTextLayout *layout = block.layout();
    const int lineCount = layout->lineCount();
    if (lineCount == 0)
        return false;
    // The lines as Qt laid them out before the edit (the edit leaves them be).
    QVarLengthArray<OldLine, 16> old;
    for (int i = 0; i < lineCount; ++i) {
        const QTextLine line = layout->lineAt(i);
        old.append(OldLine{line.position(), line.width(), line.ascent(), line.descent(), line.leading(),
                           line.height()});
    }
    const QRectF before = layout->boundingRect();

    bool same = true;
    int made = 0;
    layout->beginLayout();
    for (;;) {
        QTextLine line = layout->createLine();
        if (!line.isValid())
            break;
        if (made == lineCount) {
            same = false;
            break;
        }
        const OldLine &was = old.at(made++);
        line.setLeadingIncluded(true);
        line.setLineWidth(was.width);
        // A line that does not fit, or is taller or shorter, moves what
        // follows: Qt's to handle.
        if (line.naturalTextWidth() > was.width || line.ascent() != was.ascent || line.descent() != was.descent
            || line.leading() != was.leading || line.height() != was.height) {
            same = false;
            break;
        }
        line.setPosition(was.position);
    }
    layout->endLayout();
    if (!same || made != lineCount)
        return false;

    const QRectF changed = layout->boundingRect().united(before).translated(layout->position());
    const QRectF page = frameBoundingRect(root);
    emit update(QRectF(page.left(), changed.top(), page.width(), changed.height()));
    return true;
}
