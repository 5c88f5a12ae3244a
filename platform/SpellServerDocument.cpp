#include "SpellServerDocument.h"

#include "SpellServer.h"
#include "SpellServerError.h"
#include "SpellServerRange.h"

SpellServerDocument::SpellServerDocument(const std::shared_ptr<SpellServer> &server)
    : m_server(server)
{
}

std::shared_ptr<SpellServer> SpellServerDocument::requireServer() const
{
    std::shared_ptr<SpellServer> server = m_server.lock();
    if (!server || !server->Running())
        throw SpellServerError(SpellServerError::ServerUnavailable,
                               QStringLiteral("The spelling server is no longer running"));
    if (!m_open)
        throw SpellServerError(SpellServerError::ObjectDeleted, QStringLiteral("Object has been deleted."));
    return server;
}

SpellServerRange SpellServerDocument::Range()
{
    requireServer();
    return SpellServerRange(shared_from_this(), 0, m_text.size());
}

void SpellServerDocument::Close(bool saveChanges)
{
    Q_UNUSED(saveChanges);
    std::shared_ptr<SpellServer> server = requireServer();
    m_open = false;
    m_text.clear();
    server->documentClosed(this);
}

void SpellServerDocument::insert(qsizetype position, const QString &text)
{
    requireServer();
    m_text.insert(qBound<qsizetype>(0, position, m_text.size()), text);
}
