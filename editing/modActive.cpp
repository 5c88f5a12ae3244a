#include "editing/modActive.h"

#include "documents/frmDoc.h"
#include "platform/RichTextBox.h"
#include "shell/frmMain.h"
#include "shell/modMessageError.h"

#include <QAction>

namespace modActive {

frmDoc *Document()
{
    frmMain *main = frmMain::instance();
    return main ? main->ActiveForm() : nullptr;
}

RichTextBox *Editor()
{
    frmDoc *doc = Document();
    return doc ? doc->rtf1 : nullptr;
}

RichTextBox *EditorOrNotice()
{
    RichTextBox *rtf = Editor();
    if (!rtf)
        modMessageError::ShowMessage(QStringLiteral("No document is open !"), QStringLiteral("Quillet"),
                                     modMessageError::iconCritical, modMessageError::vbTrue);
    return rtf;
}

void ReturnFocus()
{
    if (RichTextBox *rtf = Editor())
        rtf->setFocus(Qt::OtherFocusReason);
}

QAction *Button(const char *key)
{
    frmMain *main = frmMain::instance();
    return main ? main->Button(QLatin1String(key)) : nullptr;
}

QAction *Entry(const char *name)
{
    frmMain *main = frmMain::instance();
    return main ? main->Menu(QLatin1String(name)) : nullptr;
}

}
