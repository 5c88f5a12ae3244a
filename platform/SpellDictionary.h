#pragma once

#include <QString>
#include <QStringList>
#include <memory>

// One loaded Hunspell dictionary (an .aff and a .dic file). Words go in and
// come out as QString; the dictionary's own encoding stays inside.
class SpellDictionary
{
public:
    // nullptr, with a reason in *error, when either file is missing or
    // unreadable, the word list is empty or the encoding is unknown.
    static std::unique_ptr<SpellDictionary> Load(const QString &affPath, const QString &dicPath,
                                                 QString *error = nullptr);
    ~SpellDictionary();
    SpellDictionary(const SpellDictionary &) = delete;
    SpellDictionary &operator=(const SpellDictionary &) = delete;

    // True for a correct word. A word the dictionary's encoding cannot hold
    // is not the dictionary's to judge, and counts as correct.
    bool Spell(const QString &word) const;
    // Alternatives in the dictionary's order of preference; none for a word
    // the encoding cannot hold.
    QStringList Suggest(const QString &word) const;
    // The encoding named in the .aff file ("UTF-8", "ISO8859-1").
    QString Encoding() const;

private:
    SpellDictionary();
    struct Private;
    std::unique_ptr<Private> d;
};
