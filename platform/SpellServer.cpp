#include "SpellServer.h"

#include "SpellDictionarySearch.h"
#include "SpellLanguage.h"
#include "SpellServerDocument.h"
#include "SpellServerError.h"
#include "SpellingSuggestions.h"

#include <algorithm>

namespace {

// The servers started in this process and not yet quit, oldest first.
QList<std::shared_ptr<SpellServer>> &runningServers()
{
    static QList<std::shared_ptr<SpellServer>> servers;
    return servers;
}

QString &lastCreateError()
{
    static QString error;
    return error;
}

} // namespace

const QString SpellServer::ClassName = QStringLiteral("Word.Application");

std::shared_ptr<SpellServer> SpellServer::Attach(const QString &className)
{
    if (className.compare(ClassName, Qt::CaseInsensitive) != 0)
        return nullptr;
    const auto &servers = runningServers();
    return servers.isEmpty() ? nullptr : servers.first();
}

std::shared_ptr<SpellServer> SpellServer::Create(const QString &className)
{
    lastCreateError().clear();
    if (className.compare(ClassName, Qt::CaseInsensitive) != 0) {
        lastCreateError() = QStringLiteral("No server of the class %1").arg(className);
        return nullptr;
    }
    QString why;
    std::shared_ptr<SpellLanguage> dictionary = SpellLanguage::For(SpellDictionarySearch::WantedLanguage(), &why);
    if (!dictionary) {
        lastCreateError() = why;
        return nullptr;
    }
    std::shared_ptr<SpellServer> server(new SpellServer);
    server->m_dictionary = std::move(dictionary);
    server->m_language = server->m_dictionary->Name();
    server->m_dictionaryPath = server->m_dictionary->DictionaryPath();
    runningServers().append(server);
    return server;
}

QString SpellServer::LastCreateError()
{
    return lastCreateError();
}

SpellServer::~SpellServer() = default;

void SpellServer::requireRunning() const
{
    if (!m_running)
        throw SpellServerError(SpellServerError::ServerUnavailable,
                               QStringLiteral("The spelling server is no longer running"));
}

std::shared_ptr<SpellServerDocument> SpellServer::Documents_Add()
{
    requireRunning();
    auto document = std::make_shared<SpellServerDocument>(shared_from_this());
    m_documents.append(document);
    return document;
}

std::shared_ptr<SpellServerDocument> SpellServer::ActiveDocument() const
{
    requireRunning();
    if (m_documents.isEmpty())
        throw SpellServerError(SpellServerError::NoDocumentOpen,
                               QStringLiteral("This command is not available because no document is open."));
    return m_documents.last();
}

int SpellServer::DocumentsCount() const
{
    requireRunning();
    return int(m_documents.size());
}

SpellingSuggestions SpellServer::GetSpellingSuggestions(const QString &word) const
{
    requireRunning();
    return SpellingSuggestions(m_dictionary->Suggest(word));
}

bool SpellServer::IsCorrect(const QString &word) const
{
    requireRunning();
    // The words ignored for the session are the as-you-type marks' own; the
    // run lists them still, as it always has.
    return m_dictionary->IsCorrect(word, false);
}

void SpellServer::Quit(bool saveChanges)
{
    Q_UNUSED(saveChanges);
    requireRunning();
    for (const auto &document : std::as_const(m_documents))
        document->m_open = false;
    m_documents.clear();
    m_running = false;
    m_dictionary.reset();
    auto &servers = runningServers();
    servers.erase(std::remove_if(servers.begin(), servers.end(),
                                 [this](const auto &s) { return s.get() == this; }),
                  servers.end());
}

void SpellServer::documentClosed(const SpellServerDocument *document)
{
    m_documents.erase(std::remove_if(m_documents.begin(), m_documents.end(),
                                     [document](const auto &d) { return d.get() == document; }),
                      m_documents.end());
}
