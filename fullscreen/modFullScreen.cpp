#include "fullscreen/modFullScreen.h"

#include "documents/frmDoc.h"
#include "fullscreen/frmFScreen.h"
#include "fullscreen/frmFScreenB.h"
#include "platform/RichTextBox.h"
#include "platform/rtf/RtfWriter.h"
#include "shell/frmMain.h"
#include "shell/modMessageError.h"
#include "spelling/modSpellAsYouType.h"
#include "spelling/progressForm.h"

#include <QPointer>
#include <QProgressBar>

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace modFullScreen {

void Enter(frmDoc *doc)
{
    if (!doc) {
        modMessageError::ShowMessage(QStringLiteral("No open documents !"), QStringLiteral("Quillet"),
                                     modMessageError::iconQuestion, modMessageError::vbTrue);
        return;
    }
    if (frmFScreen *screen = frmFScreen::instance()) {
        screen->raise();
        screen->activateWindow();
        return;
    }

    // A large document takes a moment: the progress window says so.
    QPointer<progressForm> progress = new progressForm;
    progress->SetCaption(QStringLiteral("Loading in full screen mode"));
    progress->show();
    progress->Advance(25);

    auto *screen = new frmFScreen(doc, frmMain::instance());
    // The full-screen text is marked as its document is, in its language.
    modSpellAsYouType::Attach(screen->FSRTB, modSpellAsYouType::LanguageOf(doc->rtf1));
    progress->Advance(25);
    screen->Form_Load();
    progress->Advance(25);
    // The document's own selection stays as it was.
    TransferContent(doc->rtf1, screen->FSRTB);
    progress->Advance(25);
    if (progress->ProgressBar1->value() == 100)
        progress->Unload();
    screen->showFullScreen();
    screen->FSRTB->SetSelStart(0);
    screen->activateWindow();
    screen->FSRTB->setFocus();
    if (frmFScreenB *floating = frmFScreenB::instance())
        floating->raise();
}

void Leave()
{
    if (frmFScreenB *floating = frmFScreenB::instance()) {
        if (QAction *button = floating->Button(QStringLiteral("FullScreen"))) {
            floating->tbrFull_ButtonClick(button);
            return;
        }
    }
    if (frmFScreen *screen = frmFScreen::instance())
        screen->close();
}

bool IsActive()
{
    return frmFScreen::instance() != nullptr;
}

void TransferContent(const RichTextBox *from, RichTextBox *to)
{
    const QTextDocument *source = from->document();
    QTextCursor all(const_cast<QTextDocument *>(source));
    all.select(QTextCursor::Document);
    to->SetSelRTF(all.hasSelection() ? RtfWriter::write(all) : QByteArray());
    // Rich Text ends every paragraph with a mark, the last one included;
    // read into a document that already has its own last paragraph, that
    // mark would add an empty one on every trip.
    QTextDocument *target = to->document();
    if (target->blockCount() > source->blockCount() && target->lastBlock().length() == 1) {
        QTextCursor end(target);
        end.movePosition(QTextCursor::End);
        end.deletePreviousChar();
    }
}

}
