#include "SpellLanguage.h"

#include "SpellDictionary.h"
#include "SpellDictionarySearch.h"
#include "SpellWordList.h"

namespace {

// By .dic path, so that a changed search path finds what it names.
QHash<QString, std::shared_ptr<SpellLanguage>> &loaded()
{
    static QHash<QString, std::shared_ptr<SpellLanguage>> languages;
    return languages;
}

} // namespace

SpellLanguage::~SpellLanguage() = default;

std::shared_ptr<SpellLanguage> SpellLanguage::For(const QString &language, QString *error)
{
    QStringList reasons;
    for (const auto &candidate : SpellDictionarySearch::CandidatesFor(language)) {
        if (const auto known = loaded().constFind(candidate.dicPath); known != loaded().cend())
            return known.value();
        QString why;
        std::unique_ptr<SpellDictionary> dictionary = SpellDictionary::Load(candidate.affPath, candidate.dicPath, &why);
        if (!dictionary) {
            reasons.append(why);
            continue;
        }
        std::shared_ptr<SpellLanguage> result(new SpellLanguage);
        result->m_dictionary = std::move(dictionary);
        result->m_name = candidate.language;
        result->m_dicPath = candidate.dicPath;
        loaded().insert(candidate.dicPath, result);
        return result;
    }
    if (error)
        *error = reasons.isEmpty() ? QStringLiteral("No Hunspell dictionary in %1")
                                             .arg(SpellDictionarySearch::SearchPath().join(QLatin1String(", ")))
                                   : reasons.join(QLatin1String("; "));
    return nullptr;
}

QStringList SpellLanguage::Installed()
{
    QStringList names;
    for (const auto &candidate : SpellDictionarySearch::Available())
        names.append(candidate.language);
    return names;
}

void SpellLanguage::Unload()
{
    loaded().clear();
}

bool SpellLanguage::IsCorrect(QStringView word, bool honourIgnored) const
{
    const QString text = word.toString();
    if (SpellWordList::Personal().Contains(text) || (honourIgnored && SpellWordList::Ignored().Contains(text)))
        return true;
    const auto known = m_known.constFind(text);
    if (known != m_known.cend())
        return known.value();
    const bool correct = m_dictionary->Spell(text);
    m_known.insert(text, correct);
    return correct;
}

QStringList SpellLanguage::Suggest(const QString &word) const
{
    return m_dictionary->Suggest(word);
}
