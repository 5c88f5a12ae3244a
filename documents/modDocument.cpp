#include "documents/modDocument.h"

#include "documents/fileMod.h"
#include "documents/frmDoc.h"
#include "platform/CommonDialog.h"
#include "platform/RichTextBox.h"
#include "shell/frmMain.h"
#include "shell/modMessageError.h"

#include <QAction>

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
    frmMain *main = frmMain::instance();
    if (!main)
        return;
    // Always the active window, until none is left. Anything that stops a
    // document from being written (a cancelled dialog, a failed write) or
    // from closing ends Save All with that document still open.
    QList<frmDoc *> closed;
    while (frmDoc *doc = fileMod::NextDocument(closed)) {
        if (doc->bChanged) {
            QString name = doc->FileName();
            if (doc->Caption().left(8) == QLatin1String("Document") || !fileMod::NamesFile(name)) {
                // Set up in full: the last dialog may have been Open, whose
                // "file must exist" would refuse every new name.
                if (main->cd1) {
                    main->cd1->SetDialogTitle(QStringLiteral("Save As"));
                    main->cd1->SetFilter(fileMod::SaveFilter());
                    main->cd1->SetCancelError(false);
                    main->cd1->SetFlags(CommonDialog::cdlOFNOverwritePrompt);
                    main->cd1->SetDefaultExt(QStringLiteral("RTF"));
                }
                name = fileMod::AskSaveName();
                if (name.isEmpty())
                    return;
            }
            const int byName = fileMod::SaveTypeFor(name, fileMod::EndsWithRtfAnyCase(name));
            const int fileType = fileMod::OwnFileType(doc, name, byName);
            if (!fileMod::WriteDocument(doc, name, fileType))
                return;
            doc->SetCaption(name);
            doc->bChanged = false;
        }
        if (!fileMod::CloseDocument(doc))
            return;
        closed.append(doc);
    }
}

void ToggleBullets()
{
    frmMain *main = frmMain::instance();
    frmDoc *doc = main ? main->ActiveForm() : nullptr;
    if (!doc)
        return;
    RichTextBox *r = doc->rtf1;
    QAction *button = main->Button(QStringLiteral("bullet"));
    if (r->SelBullet() != true) {
        r->SetSelBullet(true);
        if (button)
            button->setChecked(true);
    } else {
        r->BeginUpdate();
        r->SetSelBullet(false);
        r->SetSelHangingIndent(0);
        r->EndUpdate();
        if (button)
            button->setChecked(false);
    }
}

}
