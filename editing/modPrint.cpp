#include "editing/modPrint.h"

#include "editing/modActive.h"
#include "editing/modClipboard.h"
#include "platform/CommonDialog.h"
#include "platform/RichTextBox.h"
#include "shell/frmMain.h"
#include "shell/modMessageError.h"

#include <QDateTime>
#include <QFileInfo>
#include <QPrinter>

namespace modPrint {

namespace {

void tell(const QString &text, qint16 icon)
{
    modMessageError::ShowMessage(text, QStringLiteral("Quillet"), icon, modMessageError::vbTrue);
}

// A PDF printer writes a file: before the job, say why it could not be
// written (no name, a folder in its place, a parent that is not a folder).
QString outputFileProblem(const QString &path)
{
    if (path.isEmpty())
        return QStringLiteral("No printer is available.");
    const QFileInfo file(path);
    if (file.isDir())
        return QStringLiteral("The file %1 cannot be written: it is a folder.").arg(path);
    const QFileInfo parent(file.absolutePath());
    if (!parent.isDir())
        return QStringLiteral("The file %1 cannot be written: %2 is not a folder.").arg(path, file.absolutePath());
    if (file.exists() ? !file.isWritable() : !parent.isWritable())
        return QStringLiteral("The file %1 cannot be written: permission denied.").arg(path);
    return QString();
}

bool written(const QString &path, const QDateTime &since)
{
    const QFileInfo file(path);
    return file.exists() && file.size() > 0 && file.lastModified() >= since;
}

} // namespace

QString PrinterProblem(QPrinter *printer)
{
    if (!printer || !printer->isValid())
        return QStringLiteral("No printer is available.");
    if (printer->outputFormat() == QPrinter::PdfFormat)
        return outputFileProblem(printer->outputFileName());
    return QString();
}

void menuPrint_Click()
{
    RichTextBox *rtf = modActive::EditorOrNotice();
    frmMain *main = frmMain::instance();
    if (!rtf || !main || !main->cd1)
        return;
    CommonDialog *cd1 = main->cd1;
    cd1->SetCancelError(true);
    const bool confirmed = cd1->ShowPrinter();
    modActive::ReturnFocus();
    if (!confirmed || modActive::Editor() != rtf)
        return;

    const int selStart = rtf->SelStart();
    const int selLength = rtf->SelLength();
    QPrinter *printer = cd1->Printer();
    QString problem = PrinterProblem(printer);
    if (problem.isEmpty()) {
        // A file left by an earlier job must not pass for this one.
        const QDateTime started = QDateTime::currentDateTime().addSecs(-2);
        modClipboard::menuEditSelectAll_Click();
        if (!rtf->SelPrint(printer))
            problem = rtf->LastError();
        else if (printer->outputFormat() == QPrinter::PdfFormat
                 && !written(printer->outputFileName(), started))
            problem = QStringLiteral("The file %1 could not be written.").arg(printer->outputFileName());
    }
    if (!problem.isEmpty()) {
        rtf->SetSelStart(selStart);
        rtf->SetSelLength(selLength);
        tell(QStringLiteral("The document could not be printed.\r\n") + problem,
             modMessageError::iconCritical);
        return;
    }
    rtf->SetSelStart(0);
    rtf->SetSelLength(0);
}

void menuFileExportPdf_Click()
{
    RichTextBox *rtf = modActive::Editor();
    frmMain *main = frmMain::instance();
    if (!rtf || !main || !main->cd1) {
        tell(QStringLiteral("No document is open !"), modMessageError::iconCritical);
        return;
    }
    CommonDialog *cd1 = main->cd1;
    cd1->SetFlags(CommonDialog::cdlOFNOverwritePrompt);
    cd1->SetDialogTitle(QStringLiteral("Export as PDF"));
    cd1->SetCancelError(false);
    cd1->SetDefaultExt(QStringLiteral("pdf"));
    cd1->SetFilter(QStringLiteral("PDF Documents (*.pdf)|*.pdf|All Files (*.*)|*.*"));
    const bool chosen = cd1->ShowSave();
    modActive::ReturnFocus();
    const QString name = chosen ? cd1->FileName() : QString();
    if (name.isEmpty())
        return;
    if (!rtf->ExportPdf(name)) {
        tell(QStringLiteral("The document could not be exported to %1.\r\n%2").arg(name, rtf->LastError()),
             modMessageError::iconCritical);
    }
}

void ppreview_Click()
{
    if (modActive::Editor())
        tell(QStringLiteral("This feature will be implemented in the next release. Thankyou !"),
             modMessageError::iconInformation);
    else
        tell(QStringLiteral("No document is open !"), modMessageError::iconCritical);
}

}
