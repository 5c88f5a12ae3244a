#pragma once

#include <QString>
#include <memory>

class SpellServerDocument;
class SpellingErrors;

// A stretch of a server document, from start to end (character positions).
// A copyable handle: it refers to its document, which may close under it;
// its members then throw SpellServerError.
class SpellServerRange
{
public:
    SpellServerRange(const std::shared_ptr<SpellServerDocument> &document, qsizetype start, qsizetype end);

    // Adds text at the end of the range; the range grows to cover it.
    void InsertAfter(const QString &text);
    QString Text() const;
    // One range per misspelt occurrence, in the order of the text.
    ::SpellingErrors SpellingErrors() const;

    qsizetype Start() const { return m_start; }
    qsizetype End() const { return m_end; }

private:
    std::shared_ptr<SpellServerDocument> m_document;
    qsizetype m_start;
    qsizetype m_end;
};
