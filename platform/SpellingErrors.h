#pragma once

#include <QList>
#include <memory>

class SpellServerDocument;
class SpellServerRange;

// The spelling errors of a range: misspelt occurrences as (start, length)
// in the document. Count is 32-bit, so a long document's errors all fit.
class SpellingErrors
{
public:
    struct Span
    {
        qsizetype start = 0;
        qsizetype length = 0;
    };

    SpellingErrors() = default;
    SpellingErrors(const std::shared_ptr<SpellServerDocument> &document, QList<Span> spans);

    qint32 Count() const;
    // Index from 1; throws SpellServerError (5941) outside 1..Count.
    SpellServerRange Item(qint32 index) const;

private:
    std::shared_ptr<SpellServerDocument> m_document;
    QList<Span> m_spans;
};
