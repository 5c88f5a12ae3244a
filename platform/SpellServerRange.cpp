#include "SpellServerRange.h"

#include "SpellServer.h"
#include "SpellServerDocument.h"
#include "SpellWords.h"
#include "SpellingErrors.h"

#include <algorithm>

SpellServerRange::SpellServerRange(const std::shared_ptr<SpellServerDocument> &document, qsizetype start,
                                   qsizetype end)
    : m_document(document), m_start(start), m_end(std::max(start, end))
{
}

void SpellServerRange::InsertAfter(const QString &text)
{
    m_document->insert(m_end, text);
    m_end += text.size();
}

QString SpellServerRange::Text() const
{
    m_document->requireServer();
    const QString &all = m_document->text();
    const qsizetype start = std::min(m_start, all.size());
    return all.mid(start, std::min(m_end, all.size()) - start);
}

SpellingErrors SpellServerRange::SpellingErrors() const
{
    const std::shared_ptr<SpellServer> server = m_document->requireServer();
    const QString &all = m_document->text();
    const qsizetype start = std::min(m_start, all.size());
    const QStringView text = QStringView(all).mid(start, std::min(m_end, all.size()) - start);
    QList<::SpellingErrors::Span> spans;
    for (const SpellWords::Word &word : SpellWords::Split(text)) {
        if (!server->IsCorrect(text.mid(word.start, word.length).toString()))
            spans.append({start + word.start, word.length});
    }
    return ::SpellingErrors(m_document, std::move(spans));
}
