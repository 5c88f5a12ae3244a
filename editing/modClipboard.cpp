#include "editing/modClipboard.h"

#include "editing/modActive.h"
#include "platform/RichTextBox.h"
#include "shell/modMessageError.h"

#include <QClipboard>
#include <QGuiApplication>

namespace modClipboard {

namespace {

// The selection's plain text on the clipboard; false when there was nothing
// to put there.
bool copySelection(RichTextBox *rtf)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!rtf || !clipboard || rtf->SelLength() == 0)
        return false;
    clipboard->setText(rtf->SelText());
    return true;
}

} // namespace

void copy_Click()
{
    copySelection(modActive::Editor());
}

void cut_Click()
{
    RichTextBox *rtf = modActive::Editor();
    if (copySelection(rtf))
        rtf->SetSelText(QString());
}

void paste_Click()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    const QString text = clipboard ? clipboard->text() : QString();
    RichTextBox *rtf = modActive::Editor();
    if (!rtf || text.isEmpty())
        return;
    // RTF markup is 7-bit by its own rules, so UTF-8 passes it through as is;
    // any other text is read back as UTF-8.
    rtf->SetSelRTF(text.toUtf8());
}

void undo_Click()
{
    if (RichTextBox *rtf = modActive::EditorOrNotice())
        rtf->undo();
}

void menuEditSelectAll_Click()
{
    RichTextBox *rtf = modActive::Editor();
    if (!rtf) {
        modMessageError::ShowMessage(QStringLiteral("No open documents !"), QStringLiteral("Quillet"),
                                     modMessageError::iconQuestion, modMessageError::vbTrue);
        return;
    }
    rtf->SetSelStart(0);
    rtf->SetSelLength(rtf->document()->characterCount());   // clamped to the text
}

}
