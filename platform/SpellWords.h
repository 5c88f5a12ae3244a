#pragma once

#include <QList>
#include <QStringView>

// Splits text into the words a spell checker looks at, as a word processor
// does: runs of letters (with their combining marks), apostrophes only
// between letters ("don't", but not the quotes of 'word'). A run that holds
// a digit ("mp3", "2nd") is not a word to check; hyphens, dashes and all
// other characters separate words.
class SpellWords
{
public:
    struct Word
    {
        qsizetype start = 0;
        qsizetype length = 0;
    };

    static QList<Word> Split(QStringView text);
    static bool IsApostrophe(QChar c);
};
