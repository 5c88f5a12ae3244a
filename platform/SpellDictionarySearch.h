#pragma once

#include <QString>
#include <QStringList>

// Where Hunspell dictionaries are looked for, and which one a new spelling
// server loads. The folders are those of DICPATH (colon-separated, searched
// first), then the system folders. A dictionary is a pair NAME.aff and
// NAME.dic in one folder; NAME is its language ("en_US", "de_DE").
class SpellDictionarySearch
{
public:
    struct Candidate
    {
        QString language;
        QString affPath;
        QString dicPath;
    };

    // DICPATH's folders, then the system folders, each once.
    static QStringList SearchPath();
    // By default /usr/share/hunspell and /usr/share/myspell. Tests hide them
    // (an empty list) so that only DICPATH is searched.
    static QStringList SystemFolders();
    static void SetSystemFolders(const QStringList &folders);
    static void ResetSystemFolders();

    // The language wanted: QUILLET_SPELL_LANG when set, else the locale's
    // ("de_DE"), written as a dictionary name.
    static QString WantedLanguage();
    // "de-DE", "de_DE.UTF-8" and "de_DE@euro" all name "de_DE".
    static QString Normalize(const QString &language);

    // Every dictionary found, first folder first, each language once.
    static QList<Candidate> Available();
    // The dictionaries to try for a language, best first: the language
    // itself, another region of the same language, en_US, other English,
    // then any other dictionary found. Empty when none is installed.
    static QList<Candidate> CandidatesFor(const QString &language);
};
