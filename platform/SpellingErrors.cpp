#include "SpellingErrors.h"

#include "SpellServerDocument.h"
#include "SpellServerError.h"
#include "SpellServerRange.h"

#include <algorithm>
#include <limits>

SpellingErrors::SpellingErrors(const std::shared_ptr<SpellServerDocument> &document, QList<Span> spans)
    : m_document(document), m_spans(std::move(spans))
{
}

qint32 SpellingErrors::Count() const
{
    return qint32(std::min<qsizetype>(m_spans.size(), std::numeric_limits<qint32>::max()));
}

SpellServerRange SpellingErrors::Item(qint32 index) const
{
    if (!m_document || index < 1 || index > Count())
        throw SpellServerError(SpellServerError::NoSuchMember,
                               QStringLiteral("The requested member of the collection does not exist."));
    const Span &span = m_spans.at(index - 1);
    return SpellServerRange(m_document, span.start, span.start + span.length);
}
