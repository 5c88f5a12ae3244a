#pragma once

#include <QList>
#include <QString>
#include <memory>

class SpellLanguage;
class SpellServerDocument;
class SpellingSuggestions;

// The spelling automation server, "Word.Application", as an object model in
// this process over a Hunspell dictionary: the application, its documents, a
// range with its spelling errors, suggestions for a word, closing a document
// and quitting.
//
// A server runs from Create until Quit. Attach finds a running one, so a
// caller that dropped its reference without quitting gets the same server
// (and its open documents) back. After Quit every call on the server, its
// documents and their ranges throws SpellServerError (number 462), as calls
// on a vanished automation server fail.
class SpellServer : public std::enable_shared_from_this<SpellServer>
{
public:
    // The only class name the server answers to.
    static const QString ClassName;

    // The running server of that class started in this process, or nullptr.
    static std::shared_ptr<SpellServer> Attach(const QString &className);
    // Starts a new server with the dictionary for the wanted language (see
    // SpellDictionarySearch); nullptr when no dictionary can be loaded or the
    // class is not known. LastCreateError() tells why.
    static std::shared_ptr<SpellServer> Create(const QString &className);
    static QString LastCreateError();

    ~SpellServer();
    SpellServer(const SpellServer &) = delete;
    SpellServer &operator=(const SpellServer &) = delete;

    // Documents.Add: a new empty document, which becomes the active one.
    std::shared_ptr<SpellServerDocument> Documents_Add();
    // Throws (4248) when no document is open.
    std::shared_ptr<SpellServerDocument> ActiveDocument() const;
    int DocumentsCount() const;

    SpellingSuggestions GetSpellingSuggestions(const QString &word) const;

    // Ends the server; its documents go with it, unsaved (there is nowhere
    // to save them). The save-changes argument is accepted and ignored.
    void Quit(bool saveChanges = false);
    bool Running() const { return m_running; }

    // The dictionary's language ("en_US") and the .dic file it came from.
    QString Language() const { return m_language; }
    QString DictionaryPath() const { return m_dictionaryPath; }

    // True for a correctly spelt word: in the dictionary or in the user's
    // personal word list.
    bool IsCorrect(const QString &word) const;

private:
    friend class SpellServerDocument;
    SpellServer() = default;
    void requireRunning() const;
    void documentClosed(const SpellServerDocument *document);

    std::shared_ptr<SpellLanguage> m_dictionary;   // shared with every other checker
    QString m_language;
    QString m_dictionaryPath;
    QList<std::shared_ptr<SpellServerDocument>> m_documents;   // the active one last
    bool m_running = true;
};
