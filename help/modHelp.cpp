#include "help/modHelp.h"

#include "help/frmAbout.h"
#include "help/frmTip.h"
#include "platform/ModalSeam.h"
#include "shell/frmSplash.h"
#include "shell/modMessageError.h"

#include <QLabel>
#include <QPointer>

namespace {

// Every modal form goes through the seam first: a test answers it ahead of
// time, a real run shows it.
template <typename Form>
void showModal(Form &form, const QString &text)
{
    const std::optional<QVariant> answer =
        ModalSeam::take({QStringLiteral("dialog"), form.windowTitle(), text, &form});
    if (answer) {
        form.answer(answer->isValid() ? answer->toString() : QString());
        return;
    }
    form.exec();
}

QPointer<frmSplash> &splashFromMenu()
{
    static QPointer<frmSplash> splash;
    return splash;
}

}

namespace modHelp {

void contents_Click()
{
    modMessageError::ShowMessage(
        QStringLiteral("This feature couldn't be implemented as of this release, but will be in the near future Thank you !"),
        QStringLiteral("Quillet"), modMessageError::iconInformation, modMessageError::vbTrue);
}

void ShowTipOfTheDay(QWidget *owner)
{
    frmTip tip(owner);
    showModal(tip, tip.lblTipText->text());
}

void about_Click(QWidget *owner)
{
    frmAbout about(owner);
    showModal(about, about.lblVersion->text());
}

QWidget *menuShowFrmSplash_Click()
{
    QPointer<frmSplash> &splash = splashFromMenu();
    if (!splash) {
        splash = new frmSplash;
        splash->setAttribute(Qt::WA_DeleteOnClose);
    }
    splash->show();
    splash->raise();
    splash->activateWindow();
    return splash;
}

}
