#pragma once

#include <QString>
#include <memory>

class SpellServer;
class SpellServerRange;

// One document of the spelling server: plain text, nothing else. It lives
// until Close or the server's Quit; after that its members throw
// SpellServerError.
class SpellServerDocument : public std::enable_shared_from_this<SpellServerDocument>
{
public:
    explicit SpellServerDocument(const std::shared_ptr<SpellServer> &server);

    // A range over the whole of the document as it is now.
    SpellServerRange Range();
    // Closes the document; the save-changes argument is accepted and
    // ignored (the server never saves).
    void Close(bool saveChanges = false);
    bool IsOpen() const { return m_open; }

    // For ranges: the text, the server, and a check that both still live.
    const QString &text() const { return m_text; }
    void insert(qsizetype position, const QString &text);
    std::shared_ptr<SpellServer> requireServer() const;

private:
    friend class SpellServer;
    std::weak_ptr<SpellServer> m_server;
    QString m_text;
    bool m_open = true;
};
