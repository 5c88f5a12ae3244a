#include "spelling/modSpellCheck.h"

#include "documents/frmDoc.h"
#include "platform/RichTextBox.h"
#include "platform/SpellServer.h"
#include "platform/SpellServerDocument.h"
#include "platform/SpellServerError.h"
#include "platform/SpellServerRange.h"
#include "platform/SpellingErrors.h"
#include "platform/SpellingSuggestions.h"
#include "platform/SystemMessageBox.h"
#include "shell/frmMain.h"
#include "shell/modMessageError.h"
#include "spelling/SuggestionsForm.h"
#include "spelling/progressForm.h"

#include <QPointer>
#include <QProgressBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace modSpellCheck {

std::shared_ptr<SpellServer> &wordApp()
{
    static std::shared_ptr<SpellServer> app;
    return app;
}

std::shared_ptr<SpellingErrors> &spellErrors()
{
    static std::shared_ptr<SpellingErrors> errors;
    return errors;
}

std::shared_ptr<SpellingSuggestions> &spellSuggestions()
{
    static std::shared_ptr<SpellingSuggestions> suggestions;
    return suggestions;
}

void menuToolsSpellCheck_Click()
{
    frmMain *main = frmMain::instance();
    if (!main || !main->ActiveForm()) {
        modMessageError::ShowMessage(QStringLiteral("No document is open for spell checking !"),
                                     QStringLiteral("Quillet"), modMessageError::iconCritical,
                                     modMessageError::vbTrue);
        return;
    }
    SystemMessageBox::show(main,
                           QStringLiteral("This feature works better if Microsoft Word (R) is installed on "
                                          "your system. It may or may not work without Word being "
                                          "installed. But I don't guarantee it's functionality when it is "
                                          "used in the absence of Word !"),
                           QStringLiteral("Quillet"),
                           SystemMessageBox::vbOKOnly + SystemMessageBox::vbExclamation);
    main->spellCheckDoc();
}

void spellCheckDoc()
{
    QPointer<progressForm> progress = new progressForm;
    progress->SetCaption(QStringLiteral("Starting the spell checker..."));
    progress->show();
    progress->Advance();

    std::shared_ptr<SpellServer> &app = wordApp();
    app = SpellServer::Attach(SpellServer::ClassName);
    if (!app) {
        progress->Advance();
        app = SpellServer::Create(SpellServer::ClassName);
        if (!app) {
            progress->Unload();
            modMessageError::ShowMessage(QStringLiteral("Could not start Word. Application will end"),
                                         QStringLiteral("Quillet"), modMessageError::iconCritical,
                                         modMessageError::vbTrue);
            // The normal close, not a forced end: changed documents are
            // asked about, and Cancel there keeps everything open.
            if (frmMain *main = frmMain::instance())
                main->close();
            return;
        }
    }

    try {
        progress->Advance();
        app->Documents_Add();
        SpellServerRange range = app->ActiveDocument()->Range();
        progress->SetCaption(QStringLiteral("Checking the document"));
        progress->Advance();
        frmMain *main = frmMain::instance();
        frmDoc *doc = main ? main->ActiveForm() : nullptr;
        if (!doc)
            throw SpellServerError(91, QStringLiteral("Object variable or With block variable not set"));
        range.InsertAfter(doc->rtf1->Text());
        spellErrors() = std::make_shared<SpellingErrors>(range.SpellingErrors());
        progress->Advance();

        const qint32 count = spellErrors()->Count();
        if (count > 0) {
            SuggestionsForm *form = SuggestionsForm::instance();
            form->ClearLists();
            progress->Advance();
            progress->SetCaption(QStringLiteral("Setting the suggestions"));
            QStringList words;
            words.reserve(count);
            for (qint32 index = 1; index <= count; ++index) {
                progress->Advance();
                words.append(spellErrors()->Item(index).Text());
            }
            form->AddWords(words);
        }
        progress->Advance(20);
        progress->SetCaption(QStringLiteral("Loading the suggestions dialog"));
        progress->Advance();
        SuggestionsForm *form = SuggestionsForm::instance();
        form->show();
        form->raise();
        form->activateWindow();
        progress->Unload();
    } catch (const SpellServerError &e) {
        if (progress)
            progress->Unload();
        modMessageError::LogError(
            QStringLiteral("The following error occured during the document's spell check\r\n")
                + e.description(),
            {e.number(), e.description()});
    } catch (const std::bad_alloc &) {
        if (progress)
            progress->Unload();
        const QString description = QStringLiteral("Out of memory");
        modMessageError::LogError(
            QStringLiteral("The following error occured during the document's spell check\r\n") + description,
            {7, description});
    }
}

void QuitHeldServer()
{
    const std::shared_ptr<SpellServer> &app = wordApp();
    if (!app || !app->Running())
        return;
    try {
        app->Quit();
    } catch (const SpellServerError &) {
    }
}

int ReplaceAll(RichTextBox *box, const QString &word, const QString &replacement)
{
    if (!box || word.isEmpty())
        return 0;
    QTextDocument *document = box->document();
    // Occurrences scanning from the start, each one after the end of the
    // last; a word never spans paragraphs, so each block is searched alone.
    QList<int> positions;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        for (qsizetype at = text.indexOf(word, 0, Qt::CaseSensitive); at >= 0;
             at = text.indexOf(word, at + word.size(), Qt::CaseSensitive))
            positions.append(block.position() + int(at));
    }
    if (positions.isEmpty())
        return 0;
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    // From the end, so that earlier positions stay where they were found.
    for (auto it = positions.crbegin(); it != positions.crend(); ++it)
        ReplaceKeepingFormat(cursor, *it, int(word.size()), replacement);
    cursor.endEditBlock();
    return int(positions.size());
}

void ReplaceKeepingFormat(QTextCursor &cursor, int start, int length, const QString &replacement)
{
    // The format after the first letter is that letter's own.
    cursor.setPosition(start + 1);
    const QTextCharFormat format = cursor.charFormat();
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    cursor.insertText(replacement, format);
}

void Reset()
{
    if (SuggestionsForm *form = SuggestionsForm::instance(false))
        delete form;
    while (std::shared_ptr<SpellServer> app = SpellServer::Attach(SpellServer::ClassName))
        app->Quit();
    wordApp().reset();
    spellErrors().reset();
    spellSuggestions().reset();
}

}
