#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>

class SpellDictionary;

// One language's dictionary as every checker in the process shares it, with
// the answers it gave remembered (running text repeats its words, and the
// dictionary is the slow part). A word is correct when the dictionary, the
// personal word list or, where asked, the session's ignored words say so.
//
// Dictionaries are loaded once and kept for the program's life: opening a
// document must not read a word list again.
class SpellLanguage
{
public:
    // The dictionary for a language, chosen as a new spelling server chooses
    // one (the language itself, another region of it, then English, then any
    // installed), or nullptr with the reasons in *error when none loads.
    static std::shared_ptr<SpellLanguage> For(const QString &language, QString *error = nullptr);
    // The names of the installed dictionaries ("en_US"), each once.
    static QStringList Installed();
    // Tests: forget the loaded dictionaries (DICPATH may have changed).
    static void Unload();

    ~SpellLanguage();
    SpellLanguage(const SpellLanguage &) = delete;
    SpellLanguage &operator=(const SpellLanguage &) = delete;

    QString Name() const { return m_name; }
    QString DictionaryPath() const { return m_dicPath; }

    bool IsCorrect(QStringView word, bool honourIgnored = true) const;
    QStringList Suggest(const QString &word) const;

private:
    SpellLanguage() = default;

    std::unique_ptr<SpellDictionary> m_dictionary;
    QString m_name;
    QString m_dicPath;
    mutable QHash<QString, bool> m_known;
};
