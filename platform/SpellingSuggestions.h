#pragma once

#include <QString>
#include <QStringList>

// The alternatives the server offers for one word, in its order.
class SpellingSuggestions
{
public:
    struct Suggestion
    {
        QString Name;
    };

    SpellingSuggestions() = default;
    explicit SpellingSuggestions(QStringList names) : m_names(std::move(names)) {}

    qint32 Count() const { return qint32(m_names.size()); }
    // Index from 1; throws SpellServerError (5941) outside 1..Count.
    Suggestion Item(qint32 index) const;

private:
    QStringList m_names;
};
