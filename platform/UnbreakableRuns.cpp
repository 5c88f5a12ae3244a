#include "UnbreakableRuns.h"

#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextDocument>

namespace {

bool blockHasRun(const QTextBlock &block)
{
    // Most paragraphs are shorter than the limit and cost nothing more.
    if (block.length() <= UnbreakableRuns::Limit)
        return false;
    const QString text = block.text();

    // Spaces always allow a break, so only a long space-free stretch needs
    // the full line-breaking rules.
    qsizetype stretch = 0;
    bool candidate = false;
    for (const QChar c : text) {
        stretch = c.isSpace() ? 0 : stretch + 1;
        if (stretch > UnbreakableRuns::Limit) {
            candidate = true;
            break;
        }
    }
    if (!candidate)
        return false;

    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text);
    qsizetype previous = 0;
    for (qsizetype next = finder.toNextBoundary(); next >= 0; next = finder.toNextBoundary()) {
        if (next - previous > UnbreakableRuns::Limit)
            return true;
        previous = next;
    }
    return text.size() - previous > UnbreakableRuns::Limit;
}

} // namespace

bool UnbreakableRuns::Any(const QTextDocument &document, int fromPosition, int toPosition)
{
    QTextBlock block = document.findBlock(qMax(0, fromPosition));
    const QTextBlock last = toPosition < 0 ? document.lastBlock() : document.findBlock(toPosition);
    const int lastNumber = last.isValid() ? last.blockNumber() : document.blockCount() - 1;
    for (; block.isValid() && block.blockNumber() <= lastNumber; block = block.next()) {
        if (blockHasRun(block))
            return true;
    }
    return false;
}
