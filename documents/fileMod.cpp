#include "documents/fileMod.h"

#include "documents/frmDoc.h"
#include "documents/modDocument.h"
#include "documents/modRecovery.h"
#include "platform/CommonDialog.h"
#include "platform/DocumentFile.h"
#include "platform/RichTextBox.h"
#include "platform/SystemMessageBox.h"
#include "shell/frmMain.h"
#include "shell/genMod.h"
#include "shell/modMessageError.h"

#include <QDir>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QEvent>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include <algorithm>

using modMessageError::ShowMessage;

namespace {

const QString kTitle = QStringLiteral("Quillet");

frmDoc *documentOrActive(frmDoc *doc)
{
    if (doc)
        return doc;
    frmMain *main = frmMain::instance();
    return main ? main->ActiveForm() : nullptr;
}

// A relative name (a command line typed in a terminal) would later not count
// as naming a file, and Save would have nowhere to write: hold it as a full
// path, which is what a caption shows anyway.
QString fullPath(const QString &name)
{
    return QDir::isRelativePath(name) ? QFileInfo(name).absoluteFilePath() : name;
}

// Why a name cannot be loaded, checked before a window is made for it; empty
// when it looks readable.
QString unreadableReason(const QString &name)
{
    const QFileInfo info(name);
    if (name.isEmpty() || !info.exists())
        return QStringLiteral("The file does not exist.");
    if (info.isDir())
        return QStringLiteral("It is a folder, not a file.");
    if (!info.isReadable())
        return QStringLiteral("The file cannot be read.");
    return {};
}

QString openFailureText(const QString &name, const QString &reason)
{
    return QStringLiteral("The file : %1 could not be opened.\r\n%2").arg(name, reason);
}

// The warning before anything is written without its formats.
bool confirmPlainText()
{
    return SystemMessageBox::show(frmMain::instance(),
                                  QStringLiteral("Saving in this format will remove all formatting, continue ?"),
                                  QStringLiteral("Warning !"),
                                  int(SystemMessageBox::vbYesNo) + int(SystemMessageBox::vbExclamation))
        == SystemMessageBox::vbYes;
}

// The warning before a save in another format drops the parts of a Word or
// OpenDocument file that only that format writes back.
bool confirmLeftOut(frmDoc *doc, int type)
{
    const QString lost = DocumentFile::leftOut(*doc->rtf1->document(), type);
    if (lost.isEmpty())
        return true;
    return SystemMessageBox::show(frmMain::instance(),
                                  QStringLiteral("This document holds %1 from the file it was opened from, "
                                                 "which this format may not keep. Save it in this format all the same ?").arg(lost),
                                  QStringLiteral("Warning !"),
                                  int(SystemMessageBox::vbYesNo) + int(SystemMessageBox::vbExclamation))
        == SystemMessageBox::vbYes;
}

CommonDialog *dialog()
{
    frmMain *main = frmMain::instance();
    return main ? main->cd1 : nullptr;
}

void setUpDialog(const QString &title, const QString &filter, const QString &defaultExt, int flags)
{
    CommonDialog *cd1 = dialog();
    if (!cd1)
        return;
    cd1->SetFlags(flags);
    cd1->SetDialogTitle(title);
    cd1->SetCancelError(false);
    cd1->SetDefaultExt(defaultExt);
    cd1->SetFilter(filter);
}

// A file named on the command line is loaded before the main window shows;
// its notices wait for the window they are centred on.
void tellWhenShown(const QString &text)
{
    frmMain *main = frmMain::instance();
    if (!main)
        return;
    main->WhenShown([text] {
        ShowMessage(text, kTitle, modMessageError::iconExclamation, modMessageError::vbTrue);
    });
}

QString strayBytesText(const QString &name)
{
    return QStringLiteral("The file : %1 held bytes that were not valid UTF-8.\r\n"
                          "They are shown as Windows-1252 characters and will be saved as UTF-8.")
        .arg(name);
}

// Loads name into doc, records it as the window's file and captions the
// window with it. The reason for a failure is left in reason.
bool loadInto(frmDoc *doc, const QString &name, int fileType, QString &reason)
{
    reason = unreadableReason(name);
    if (!reason.isEmpty())
        return false;
    if (!doc->rtf1->LoadFile(name, fileType)) {
        reason = doc->rtf1->LastError();
        if (reason.isEmpty())
            reason = QStringLiteral("The file could not be read.");
        return false;
    }
    doc->SetFile(name, doc->rtf1->LoadedFileType());
    doc->bChanged = false;
    if (doc->rtf1->LoadedStrayBytes())
        tellWhenShown(strayBytesText(name));
    // A file opened only in part says so once its window shows.
    if (const QString notice = doc->rtf1->LoadNotice(); !notice.isEmpty())
        tellWhenShown(notice);
    return true;
}

// A window made for a file that then could not be loaded goes again: it is
// empty and nobody asked for it.
void discardWindow(frmDoc *doc)
{
    doc->bChanged = false;
    fileMod::CloseDocument(doc);
}

bool hasLocalFiles(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return false;
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.cbegin(), urls.cend(), [](const QUrl &url) { return url.isLocalFile(); });
}

} // namespace

namespace fileMod {

bool EndsWithRtfExactly(const QString &name)
{
    return name.right(3) == QLatin1String("rtf");
}

bool EndsWithRtfAnyCase(const QString &name)
{
    return name.right(3).toUpper() == QLatin1String("RTF");
}

bool EndsWithDocx(const QString &name)
{
    return name.endsWith(QLatin1String(".docx"), Qt::CaseInsensitive);
}

bool EndsWithOdt(const QString &name)
{
    return name.endsWith(QLatin1String(".odt"), Qt::CaseInsensitive);
}

int SaveTypeFor(const QString &name, bool rich)
{
    if (EndsWithDocx(name))
        return RichTextBox::rtfDocx;
    if (EndsWithOdt(name))
        return RichTextBox::rtfOdt;
    return rich ? RichTextBox::rtfRTF : RichTextBox::rtfText;
}

bool NamesFile(const QString &name)
{
    return !name.isEmpty() && QDir::isAbsolutePath(name);
}

QString OpenFilter()
{
    return QStringLiteral("Text Document (*.txt)|*.txt|Rich Text Document (*.rtf)|*.rtf|"
                          "Word Documents (*.docx)|*.docx|OpenDocument Text (*.odt)|*.odt|"
                          "All Documents (*.txt;*.rtf;*.docx;*.odt)|*.txt;*.rtf;*.docx;*.odt|"
                          "All Files (*.*)|*.*");
}

QString SaveFilter()
{
    return QStringLiteral("Text Files (*.txt)|*.txt|RichText Files (*.rtf)|*.rtf|Word Documents (*.docx)|*.docx|"
                          "OpenDocument Text (*.odt)|*.odt|"
                          "Log Files (*.log)|*.log|Batch Files (*.bat)|*.bat|INI Files (*.ini)|*.ini|"
                          "All Files (*.*)|*.*|");
}

QString TextFilter()
{
    return QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*");
}

frmDoc *OpenInto(const QString &fileName, int fileType, frmDoc *doc,
                 const std::function<frmDoc *()> &makeWindow, QString *failure)
{
    const QString name = fullPath(fileName);
    // Checked before a window is made, so a missing file leaves no empty
    // window behind.
    QString reason = unreadableReason(name);
    const bool madeWindow = !doc && reason.isEmpty();
    if (madeWindow)
        doc = makeWindow ? makeWindow() : nullptr;
    if (reason.isEmpty() && !doc)
        return nullptr;   // no window to load into; its maker has reported why
    if (reason.isEmpty() && loadInto(doc, name, fileType, reason)) {
        if (frmMain *main = frmMain::instance())
            main->SetFocus();
        return doc;
    }
    // A window made for a file that could not be loaded goes again.
    if (madeWindow)
        discardWindow(doc);
    const QString text = openFailureText(name, reason);
    if (failure)
        *failure = text;
    else
        ShowMessage(text, kTitle, modMessageError::iconCritical, modMessageError::vbTrue);
    return nullptr;
}

bool OpenFile(const QString &fileName)
{
    frmMain *main = frmMain::instance();
    if (!main)
        return false;
    const int fileType = EndsWithRtfExactly(fileName) ? RichTextBox::rtfRTF : RichTextBox::rtfText;
    return OpenInto(fileName, fileType, nullptr, [main] {
        auto *doc = new frmDoc;
        main->AddDocument(doc);
        return doc;
    }) != nullptr;
}

bool WriteDocument(frmDoc *doc, const QString &path, int fileType)
{
    if (!doc)
        return false;
    QString reason;
    // A name ending in the change mark comes from a caption, never from the
    // user: writing to it would make a stray file and leave the real one
    // unsaved.
    if (path.endsWith(QLatin1Char('*'))) {
        reason = QStringLiteral("A file name may not end in the change mark \"*\".");
    } else if (doc->rtf1->SaveFile(path, fileType)) {
        doc->SetFile(path, fileType);
        modRecovery::DocumentWritten(doc);
        return true;
    } else {
        reason = doc->rtf1->LastError();
    }
    if (reason.isEmpty())
        reason = QStringLiteral("The file could not be written.");
    ShowMessage(QStringLiteral("The file : %1 could not be saved.\r\n%2").arg(path, reason), kTitle,
                modMessageError::iconCritical, modMessageError::vbTrue);
    return false;
}

QString AskSaveName()
{
    CommonDialog *cd1 = dialog();
    if (!cd1)
        return {};
    // A cancelled dialog may still hold the name of an earlier one: only a
    // confirmed choice counts.
    if (!cd1->ShowSave())
        return {};
    const QString name = cd1->FileName();
    return name.isEmpty() ? name : fullPath(name);
}

bool SaveFileAs(frmDoc *doc)
{
    doc = documentOrActive(doc);
    if (!doc)
        return false;
    setUpDialog(QStringLiteral("Save"), SaveFilter(), QStringLiteral("RTF"), CommonDialog::cdlOFNOverwritePrompt);
    const QString name = AskSaveName();
    if (name.isEmpty())
        return false;

    // Rich Text and Word keep the formats: no warning, no reload, unless
    // what the document keeps from its own package format would be lost.
    if (EndsWithRtfExactly(name) || EndsWithDocx(name) || EndsWithOdt(name)) {
        if (!confirmLeftOut(doc, SaveTypeFor(name, true)))
            return false;
        if (!WriteDocument(doc, name, SaveTypeFor(name, true)))
            return false;
        doc->SetCaption(name);
        return true;
    }

    if (!confirmPlainText())
        return false;
    if (!WriteDocument(doc, name, RichTextBox::rtfText))
        return false;
    doc->SetCaption(name);
    if (frmMain *main = frmMain::instance()) {
        doc->rtf1->SetSelFontName(main->defFontName);
        doc->rtf1->SetSelFontSize(main->defFontSize);
    }
    // Show what the file now holds. Should the reload fail, the window keeps
    // its content, which was written all the same.
    doc->rtf1->LoadFile(name, RichTextBox::rtfText);
    return true;
}

bool SaveTextFileAs(frmDoc *doc)
{
    doc = documentOrActive(doc);
    if (!doc)
        return false;
    if (!confirmPlainText())
        return false;
    setUpDialog(QStringLiteral("Save As . . ."), TextFilter(), QStringLiteral("TXT"), CommonDialog::cdlOFNOverwritePrompt);
    const QString name = AskSaveName();
    if (name.isEmpty())
        return false;
    if (!WriteDocument(doc, name, RichTextBox::rtfText))
        return false;
    doc->SetCaption(name);
    doc->rtf1->SetSelFontName(QStringLiteral("Verdana"));
    doc->rtf1->SetSelColor(0);
    doc->rtf1->SetSelFontSize(10);
    return true;
}

bool SaveToFile(const QString &path, frmDoc *doc)
{
    doc = documentOrActive(doc);
    if (!doc)
        return false;
    if (NamesFile(path)) {
        const int byName = SaveTypeFor(path, EndsWithRtfExactly(path));
        return WriteDocument(doc, path, OwnFileType(doc, path, byName));
    }
    if (path.left(8) == QLatin1String("Document"))
        return SaveFileAs(doc);
    return false;
}

int OwnFileType(frmDoc *doc, const QString &path, int typeByName)
{
    // The name's rule and the way a file came in can disagree: "LETTER.RTF"
    // dropped on the window is read as Rich Text, yet Save's rule would
    // write it back as plain text and drop every format. Written back to
    // where it came from, a file keeps the type it was read as.
    if (doc && !path.isEmpty() && doc->FilePath() == path)
        return doc->FileType();
    return typeByName;
}

frmDoc *NextDocument(const QList<frmDoc *> &done)
{
    frmMain *main = frmMain::instance();
    if (!main)
        return nullptr;
    frmDoc *active = main->ActiveForm();
    if (active && !done.contains(active))
        return active;
    const QList<frmDoc *> docs = main->documents();
    for (frmDoc *doc : docs) {
        if (!done.contains(doc))
            return doc;
    }
    return nullptr;
}

bool CloseDocument(frmDoc *doc)
{
    if (!doc)
        return true;
    if (QMdiSubWindow *sub = doc->subWindow())
        return sub->close();
    return doc->close();
}

// The active document window, or nullptr once the user has been told that
// there is none.
frmDoc *activeDocumentOrSay(const QString &message, int iconKind)
{
    frmMain *main = frmMain::instance();
    if (frmDoc *doc = main ? main->ActiveForm() : nullptr)
        return doc;
    ShowMessage(message, kTitle, iconKind, modMessageError::vbTrue);
    return nullptr;
}

void OpenCommand()
{
    frmMain *main = frmMain::instance();
    if (!main)
        return;
    if (!main->ActiveForm())
        genMod::NewDocument();
    // The filter index and the file name stay as the dialog last had them.
    setUpDialog(QStringLiteral("Open"), OpenFilter(), QString(), CommonDialog::cdlOFNFileMustExist);
    QString name;
    if (CommonDialog *cd1 = dialog(); cd1 && cd1->ShowOpen())
        name = cd1->FileName();
    if (name.isEmpty()) {
        ShowMessage(QStringLiteral("No file selected for opening !"), kTitle, modMessageError::iconCritical,
                    modMessageError::vbFalse);
        return;
    }
    OpenFile(name);
}

void SaveCommand()
{
    frmDoc *doc = activeDocumentOrSay(QStringLiteral("No document is open !"), modMessageError::iconCritical);
    if (!doc)
        return;
    const QString fileName = doc->FileName();
    const QString start = doc->Caption().left(3);
    bool written = false;
    if (NamesFile(fileName))
        written = SaveToFile(fileName, doc);
    else if (start == QLatin1String("Doc"))
        written = SaveFileAs(doc);
    else if (start == QLatin1String("Tex"))
        written = SaveTextFileAs(doc);
    if (written)
        doc->bChanged = false;
}

void SaveAsCommand()
{
    frmDoc *doc = activeDocumentOrSay(QStringLiteral("No document is open !"), modMessageError::iconCritical);
    if (!doc)
        return;
    // A Word document takes the Rich Text route: it asks nothing more.
    const QString caption = doc->Caption();
    const bool written = EndsWithRtfExactly(caption) || EndsWithDocx(caption) || EndsWithOdt(caption)
        ? SaveFileAs(doc) : SaveTextFileAs(doc);
    if (written)
        doc->bChanged = false;
}

void SaveAllCommand()
{
    if (!activeDocumentOrSay(QStringLiteral("No open documents !"), modMessageError::iconQuestion))
        return;
    modDocument::SaveAllDocuments();
}

void CloseCommand()
{
    frmDoc *doc = activeDocumentOrSay(QStringLiteral("No open documents !"), modMessageError::iconQuestion);
    if (!doc)
        return;
    CloseDocument(doc);
}

void CloseAllCommand()
{
    if (!activeDocumentOrSay(QStringLiteral("No open documents !"), modMessageError::iconQuestion))
        return;
    // Document windows only, the active one first; a refusal (Cancel) ends
    // the command with that document still open.
    QList<frmDoc *> closed;
    while (frmDoc *doc = NextDocument(closed)) {
        if (!CloseDocument(doc))
            return;
        closed.append(doc);
    }
}

void CommLineFile()
{
    frmMain *main = frmMain::instance();
    if (!main)
        return;
    const QString commandLine = genMod::CommandLine();
    if (commandLine.isEmpty())
        return;
    frmDoc *doc = main->ActiveForm();
    if (!doc)
        doc = genMod::NewDocument();
    if (!doc)
        return;

    QString failure;
    QString name = commandLine;
    const int fileType = EndsWithRtfAnyCase(name) ? RichTextBox::rtfRTF : RichTextBox::rtfText;
    if (OpenInto(name, fileType, doc, {}, &failure))
        return;

    // A name in double quotes: try again without them. Its type is decided
    // again without the closing quote, so a quoted Rich Text file does not
    // come in as markup (which a later Save would write back as text).
    if (name.startsWith(QLatin1Char('"'))) {
        name = name.mid(1);
        name.chop(1);
        const int unquotedType = EndsWithRtfAnyCase(name) ? RichTextBox::rtfRTF : RichTextBox::rtfText;
        if (OpenInto(name, unquotedType, doc, {}, &failure))
            return;
    }
    // Start-up goes on with the empty first document; the user is told once
    // the main window is there to centre the message on.
    main->WhenShown([failure] {
        ShowMessage(failure, kTitle, modMessageError::iconCritical, modMessageError::vbTrue);
    });
}

void DragOver(QDragMoveEvent *event)
{
    if (!event)
        return;
    if (hasLocalFiles(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void DragDrop(QDropEvent *event)
{
    if (!event)
        return;
    frmMain *main = frmMain::instance();
    if (!main || !hasLocalFiles(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();

    // One file that cannot be opened does not stop the others.
    QStringList failures;
    const QList<QUrl> urls = event->mimeData()->urls();
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        const QString name = url.toLocalFile();
        const int fileType = EndsWithRtfAnyCase(name) ? RichTextBox::rtfRTF : RichTextBox::rtfText;
        bool noWindow = false;
        QString failure;
        const frmDoc *doc = OpenInto(name, fileType, nullptr, [&noWindow] {
            frmDoc *made = modDocument::CreateNewDocument();
            noWindow = !made;
            return made;
        }, &failure);
        if (noWindow)
            break;   // already reported by CreateNewDocument
        if (!doc)
            failures.append(failure);
    }

    // Told once the drop is over, so that the drag source is not held up by
    // a modal box.
    if (!failures.isEmpty()) {
        QTimer::singleShot(0, main, [failures] {
            ShowMessage(failures.join(QStringLiteral("\r\n")), kTitle, modMessageError::iconCritical,
                        modMessageError::vbTrue);
        });
    }
}

}
