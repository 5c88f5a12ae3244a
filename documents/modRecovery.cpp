#include "documents/modRecovery.h"

#include "documents/AutoSave.h"
#include "documents/RecoveryFolder.h"
#include "documents/fileMod.h"
#include "documents/frmDoc.h"
#include "documents/frmRecover.h"
#include "platform/ModalSeam.h"
#include "platform/RichTextBox.h"
#include "shell/frmMain.h"
#include "shell/genMod.h"
#include "shell/modMessageError.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <memory>

namespace {

const QString helpText = QStringLiteral("For Help, press F1");

struct State
{
    std::unique_ptr<RecoveryFolder> folder;
    QPointer<frmMain> main;
    bool failureShown = false;
    bool offered = false;
    QMetaObject::Connection added;
    QMetaObject::Connection quitting;
};

State &state()
{
    static State s;
    return s;
}

// Once, in the status bar: a message box per attempt would stop the typing
// that autosave is there to protect.
void reportFailure(const QString &reason)
{
    State &s = state();
    if (s.failureShown || !s.main)
        return;
    s.failureShown = true;
    if (QLabel *panel = s.main->Panel(frmMain::PanelHelp)) {
        panel->setText(QStringLiteral("Autosave cannot keep your documents for recovery: ") + reason);
        panel->setToolTip(reason);
    }
}

void reportWorking()
{
    State &s = state();
    if (!s.failureShown || !s.main)
        return;
    s.failureShown = false;
    if (QLabel *panel = s.main->Panel(frmMain::PanelHelp)) {
        panel->setText(helpText);
        panel->setToolTip(QString());
    }
}

void watch(frmDoc *doc)
{
    State &s = state();
    if (!doc || !s.folder || modRecovery::AutoSaveOf(doc))
        return;
    auto *save = new AutoSave(doc, s.folder->newRecoveryFile());
    QObject::connect(save, &AutoSave::writeFailed, save, &reportFailure);
    QObject::connect(save, &AutoSave::written, save, &reportWorking);
}

// Opens one kept document in a window of its own, captioned as it was and
// marked changed; its file moves into this run, as that window's.
frmDoc *recover(RecoveryEntry &entry, QString *failure)
{
    frmMain *main = state().main;
    if (!main)
        return nullptr;
    frmDoc *doc = nullptr;
    if (entry.originalPath.isEmpty()) {
        doc = genMod::NewDocument();
    } else {
        doc = new frmDoc;
        main->AddDocument(doc);
    }
    if (!doc)
        return nullptr;
    if (!doc->rtf1->LoadFile(entry.rtfPath, RichTextBox::rtfRTF)) {
        *failure = QStringLiteral("The document \"%1\" could not be recovered.\r\n%2")
                       .arg(entry.displayName(), doc->rtf1->LastError());
        doc->bChanged = false;
        fileMod::CloseDocument(doc);
        return nullptr;
    }
    if (!entry.originalPath.isEmpty()) {
        // Save goes back to the file, in the type and encoding it had.
        doc->SetFile(entry.originalPath, entry.fileType);
        doc->rtf1->SetTextFileFormat(entry.lineEnd, entry.encoding);
    }
    if (!doc->Caption().endsWith(QLatin1Char('*')))
        doc->SetCaption(doc->Caption() + QLatin1Char('*'));
    doc->bAddStar = true;
    doc->bChanged = true;

    QString notice = doc->rtf1->LoadNotice();
    if (!notice.isEmpty()) {
        notice.replace(QLatin1Char('"') + QFileInfo(entry.rtfPath).fileName() + QLatin1Char('"'),
                       QLatin1Char('"') + entry.displayName() + QLatin1Char('"'));
        main->WhenShown([notice] {
            modMessageError::ShowMessage(notice, QStringLiteral("Quillet"), modMessageError::iconExclamation,
                                         modMessageError::vbTrue);
        });
    }

    // Until its first autosave the window's work is the file it came from.
    if (AutoSave *save = modRecovery::AutoSaveOf(doc))
        RecoveryFolder::moveEntry(entry, save->recoveryFile());
    return doc;
}

} // namespace

namespace modRecovery {

bool Start(frmMain *main, const QString &root)
{
    State &s = state();
    if (s.folder || !main)
        return s.folder != nullptr;
    s.main = main;
    s.offered = false;
    s.failureShown = false;
    auto folder = std::make_unique<RecoveryFolder>(root.isEmpty() ? RecoveryFolder::defaultRoot() : root);
    QString reason;
    if (!folder->open(&reason)) {
        reportFailure(reason);
        return false;
    }
    s.folder = std::move(folder);
    for (frmDoc *doc : main->documents())
        watch(doc);
    s.added = QObject::connect(main, &frmMain::documentAdded, main, &watch);
    s.quitting = QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp, &Finish);
    return true;
}

bool Started()
{
    return state().folder != nullptr;
}

QString RunFolder()
{
    const State &s = state();
    return s.folder ? s.folder->runPath() : QString();
}

AutoSave *AutoSaveOf(frmDoc *doc)
{
    return doc ? doc->findChild<AutoSave *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void DocumentWritten(frmDoc *doc)
{
    if (AutoSave *save = AutoSaveOf(doc))
        save->documentSaved();
}

void OfferRecovery()
{
    State &s = state();
    if (!s.folder || s.offered || !s.main)
        return;
    s.offered = true;
    QList<RecoveryFolder::Orphans> runs = s.folder->claimOrphans();
    QList<RecoveryEntry *> entries;
    QList<RecoveryEntry> shown;
    for (RecoveryFolder::Orphans &run : runs) {
        for (RecoveryEntry &entry : run.entries) {
            entries.append(&entry);
            shown.append(entry);
        }
    }
    if (entries.isEmpty())
        return;

    frmRecover dialog(shown, s.main);
    const std::optional<QVariant> answer =
        ModalSeam::take({QStringLiteral("dialog"), dialog.windowTitle(), dialog.lblIntro->text(), &dialog});
    if (answer)
        dialog.answer(answer->isValid() ? answer->toString() : QString());
    else
        dialog.exec();

    const QList<frmRecover::Decision> decisions = dialog.decisions();
    QStringList failures;
    for (int i = 0; i < entries.size(); ++i) {
        RecoveryEntry &entry = *entries.at(i);
        if (decisions.value(i) == frmRecover::Recover) {
            QString failure;
            if (!recover(entry, &failure) && !failure.isEmpty())
                failures.append(failure);
        } else if (decisions.value(i) == frmRecover::Discard) {
            RecoveryFolder::remove(entry);
        }
    }
    // What was decided later stays where it is, for the next start.
    for (RecoveryFolder::Orphans &run : runs)
        RecoveryFolder::release(run);
    if (!failures.isEmpty()) {
        modMessageError::ShowMessage(failures.join(QStringLiteral("\r\n\r\n")), QStringLiteral("Quillet"),
                                     modMessageError::iconCritical, modMessageError::vbTrue);
    }
    if (s.main)
        s.main->SetFocus();
}

void Finish()
{
    State &s = state();
    if (!s.folder)
        return;
    // Windows still open now were not asked about their changes (the
    // program was told to quit): their work is kept for the next start.
    if (s.main) {
        for (frmDoc *doc : s.main->documents()) {
            if (AutoSave *save = AutoSaveOf(doc)) {
                if (doc->bChanged)
                    save->keepForNextStart();
                delete save;
            }
        }
    }
    QObject::disconnect(s.added);
    QObject::disconnect(s.quitting);
    s.folder->close();
    s.folder.reset();
    s.main = nullptr;
}

}
