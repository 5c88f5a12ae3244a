#include "shell/genMod.h"

#include "documents/frmDoc.h"
#include "documents/modRecovery.h"
#include "shell/frmMain.h"
#include "shell/frmSplash.h"
#include "shell/modApi.h"

#include <QApplication>
#include <QPointer>
#include <QProgressBar>
#include <cmath>
#include <limits>

namespace {
QString g_commandLine;
qint32 g_newDocumentCounter = 0;

// Adds 10 to the bar as Main does: a sum that is not a finite float is
// not written.
void stepProgress(frmSplash *splash)
{
    if (!splash)
        return;
    const float sum = splash->Value() + 10.0f;
    if (std::isfinite(sum))
        splash->SetValue(sum);
}

void refresh(QWidget *w)
{
    if (w)
        w->repaint();
}
}

namespace genMod {

void SetCommandLine(const QString &commandLine)
{
    g_commandLine = commandLine;
}

QString CommandLine()
{
    return g_commandLine;
}

void Main()
{
    // The splash may close itself early (key or click), so every later step
    // checks that it is still there.
    QPointer<frmSplash> splash = new frmSplash;
    splash->setAttribute(Qt::WA_DeleteOnClose);
    splash->show();
    stepProgress(splash);
    refresh(splash);
    stepProgress(splash);

    frmMain *main = frmMain::instance();
    if (!main)
        main = new frmMain;
    main->setAttribute(Qt::WA_DeleteOnClose);
    main->MDIForm_Load();
    // Unsaved work is kept from the first document on; what an earlier run
    // left is offered once the window is there to show it over.
    modRecovery::Start(main);
    main->WhenShown(&modRecovery::OfferRecovery);

    stepProgress(splash);
    QCoreApplication::processEvents();
    refresh(splash);
    stepProgress(splash);
    refresh(splash);

    main->show();

    if (splash)
        splash->SetValue(splash->Max());
    refresh(splash);
    if (!splash || splash->Max() == splash->Value()) {
        if (splash) {
            modApi::MakeNotTopmost(splash);
            splash->close();
        }
        main->activateWindow();
        main->SetFocus();
    }
}

frmDoc *NewDocument()
{
    frmMain *main = frmMain::instance();
    if (!main || g_newDocumentCounter == std::numeric_limits<qint32>::max())
        return nullptr;
    ++g_newDocumentCounter;
    auto *doc = new frmDoc;
    doc->SetCaption(QStringLiteral("Document %1").arg(g_newDocumentCounter));
    main->AddDocument(doc);
    return doc;
}

void ResetNewDocumentCounter()
{
    g_newDocumentCounter = 0;
}

}
