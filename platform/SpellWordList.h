#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

// Words the user has said are right, beside the dictionary's own: the
// personal word list, kept in a file of one word a line, and the words
// ignored for this session. A word matches an entry as Hunspell matches its
// own word lists: exactly, with a capital first letter where the entry is
// lower case ("Wrold" for "wrold"), or in capitals throughout ("WROLD").
//
// The personal list is read from its file the first time it is asked, and
// Add writes the whole list back in one piece, so a failed write leaves the
// file as it was (the word then stays accepted until the program ends).
class SpellWordList
{
public:
    // The user's personal list, by default "Personal Dictionary.txt" in the
    // application's data folder; and the session's ignored words.
    static SpellWordList &Personal();
    static SpellWordList &Ignored();

    // The file a list reads and writes; empty for a list kept in memory.
    QString File() const { return m_file; }
    // Switches to another file (tests), forgetting the words read so far.
    void SetFile(const QString &path);

    bool Contains(const QString &word) const;
    // True when the word is now in the list and, for a list with a file,
    // written to it; false with the reason in *error otherwise.
    bool Add(const QString &word, QString *error = nullptr);
    // Forgets every word (the file is left alone).
    void Clear();

private:
    explicit SpellWordList(QString file);
    void ensureRead() const;
    void insert(const QString &word) const;

    QString m_file;
    mutable bool m_read = false;
    mutable QStringList m_order;   // as in the file, for writing it back
    mutable QSet<QString> m_words;
    mutable QSet<QString> m_capitals;   // each entry in capitals throughout
};
