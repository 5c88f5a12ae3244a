#include "documents/modDocument.h"

#include "documents/frmDoc.h"
#include "shell/frmMain.h"
#include "shell/modMessageError.h"

#include <limits>

namespace {
qint32 g_createdDocumentCounter = 0;
}

namespace modDocument {

frmDoc *CreateNewDocument()
{
    frmMain *main = frmMain::instance();
    if (!main) {
        modMessageError::LogError(QStringLiteral("modDocument/CreateNewDocument"),
                                  {91, QStringLiteral("Object variable or With block variable not set")});
        return nullptr;
    }
    if (g_createdDocumentCounter == std::numeric_limits<qint32>::max()) {
        modMessageError::LogError(QStringLiteral("modDocument/CreateNewDocument"),
                                  {6, QStringLiteral("Overflow")});
        return nullptr;
    }
    auto *doc = new frmDoc;
    ++g_createdDocumentCounter;
    doc->SetCaption(QStringLiteral("Document %1").arg(g_createdDocumentCounter));
    main->AddDocument(doc);
    return doc;
}

void ResetCreatedDocumentCounter()
{
    g_createdDocumentCounter = 0;
}

void SaveAllDocuments()
{
}

}
