#include "SpellingSuggestions.h"

#include "SpellServerError.h"

SpellingSuggestions::Suggestion SpellingSuggestions::Item(qint32 index) const
{
    if (index < 1 || index > Count())
        throw SpellServerError(SpellServerError::NoSuchMember,
                               QStringLiteral("The requested member of the collection does not exist."));
    return {m_names.at(index - 1)};
}
