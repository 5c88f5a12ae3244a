// The spell-check run and the suggestions dialog, driven through the main
// window with Debian's real en_US dictionary.
#include "QuilletTest.h"

#include "documents/frmDoc.h"
#include "platform/RichTextBox.h"
#include "platform/SpellDictionarySearch.h"
#include "platform/SpellServer.h"
#include "platform/SpellingErrors.h"
#include "platform/SpellingSuggestions.h"
#include "platform/SystemMessageBox.h"
#include "shell/modMessageError.h"
#include "spelling/SuggestionsForm.h"
#include "spelling/modSpellCheck.h"
#include "spelling/progressForm.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList items(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

QStringList messagesAsked()
{
    QStringList texts;
    for (const ModalSeam::Question &q : ModalSeam::asked())
        if (q.kind == QLatin1String("message"))
            texts.append(q.text);
    return texts;
}

bool progressWindowShown()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<progressForm *>(w) && w->isVisible())
            return true;
    return false;
}

void chooseWord(SuggestionsForm *form, const QString &word)
{
    const QList<QListWidgetItem *> found = form->List1->findItems(word, Qt::MatchExactly | Qt::MatchCaseSensitive);
    QVERIFY2(found.size() == 1, qPrintable(word));
    // A real click on the item, as the user makes it.
    QWidget *viewport = form->List1->viewport();
    form->List1->scrollToItem(found.first());
    QTest::mouseClick(viewport, Qt::LeftButton, {}, form->List1->visualItemRect(found.first()).center());
    QCOMPARE(form->List1->currentItem(), found.first());
}

void chooseAlternative(SuggestionsForm *form, const QString &alternative)
{
    const QList<QListWidgetItem *> found = form->List2->findItems(alternative, Qt::MatchExactly | Qt::MatchCaseSensitive);
    QVERIFY2(found.size() == 1, qPrintable(items(form->List2).join(u',')));
    form->List2->setCurrentItem(found.first());
}

} // namespace

class TestSpelling : public QObject
{
    Q_OBJECT

    QTemporaryDir m_logs;
    std::unique_ptr<frmMain> m_main;

    frmDoc *document(const QString &text)
    {
        frmDoc *doc = m_main->ActiveForm();
        doc->rtf1->SetText(text);
        doc->bChanged = false;
        return doc;
    }

    // Tools > Spell Check Document, past the warning.
    void runCheck()
    {
        ModalSeam::queue(SystemMessageBox::vbOK);
        m_main->Menu(QStringLiteral("menuToolsSpellCheck"))->trigger();
        QVERIFY(!progressWindowShown());
    }

    SuggestionsForm *checkedForm()
    {
        SuggestionsForm *form = SuggestionsForm::instance(false);
        return form && form->isVisible() ? form : nullptr;
    }

private slots:
    void initTestCase()
    {
        QuilletTest::isolate();
        modMessageError::SetLogFolder(m_logs.path());
        qputenv("QUILLET_SPELL_LANG", "en_US");
    }

    void init()
    {
        QuilletTest::resetSeam();
        m_main.reset(QuilletTest::startMain(QString(), false));
        m_main->show();
    }

    void cleanup()
    {
        modSpellCheck::Reset();
        SpellDictionarySearch::ResetSystemFolders();
        qunsetenv("DICPATH");
        for (frmDoc *doc : m_main->documents())
            doc->bChanged = false;
        m_main.reset();
        QCOMPARE(ModalSeam::unanswered(), 0);
    }

    void noDocumentNoCheck()
    {
        for (frmDoc *doc : m_main->documents())
            doc->subWindow()->close();
        ModalSeam::queue(QStringLiteral("OK"));
        m_main->Button(QStringLiteral("spellcheck"))->trigger();
        QCOMPARE(messagesAsked(), QStringList{"No document is open for spell checking !"});
        QVERIFY(!modSpellCheck::wordApp());
    }

    void listsEachSpellingOnceAfterTheWarning()
    {
        document(QStringLiteral("teh wrold\r\nTeh **teh** wrold, the world. Wrold"));
        runCheck();
        const QList<ModalSeam::Question> asked = ModalSeam::asked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked.first().kind, QStringLiteral("system"));
        QCOMPARE(asked.first().title, QStringLiteral("Quillet"));
        QVERIFY(asked.first().text.startsWith(QLatin1String("This feature works better if Microsoft Word (R)")));

        SuggestionsForm *form = checkedForm();
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), QStringLiteral("Spelling Suggestions"));
        QCOMPARE(items(form->List1), (QStringList{"Teh", "teh", "Wrold", "wrold"}));
        QCOMPARE(form->List2->count(), 0);
        QCOMPARE(modSpellCheck::spellErrors()->Count(), 6);
        QCOMPARE(modSpellCheck::wordApp()->DocumentsCount(), 1);
    }

    void aCleanCheckShowsOrKeepsTheLists()
    {
        // The dialog closed: it comes up empty.
        document(QStringLiteral("All words here are fine."));
        runCheck();
        QVERIFY(checkedForm());
        QCOMPARE(checkedForm()->List1->count(), 0);
        // Open with words from an earlier check: it keeps them.
        document(QStringLiteral("wrold"));
        runCheck();
        chooseWord(checkedForm(), QStringLiteral("wrold"));
        document(QString());
        runCheck();
        QCOMPARE(items(checkedForm()->List1), QStringList{"wrold"});
        QVERIFY(checkedForm()->List2->count() > 0);
    }

    void cancelKeepsTheServerAndCloseQuitsIt()
    {
        document(QStringLiteral("wrold"));
        runCheck();
        const std::shared_ptr<SpellServer> first = modSpellCheck::wordApp();
        QTest::mouseClick(checkedForm()->Command1, Qt::LeftButton);
        QTRY_VERIFY(!SuggestionsForm::instance(false));
        QVERIFY(first->Running());

        runCheck();
        QCOMPARE(modSpellCheck::wordApp(), first);
        QCOMPARE(first->DocumentsCount(), 2);
        QTest::mouseClick(checkedForm()->cmdClose, Qt::LeftButton);
        QTRY_VERIFY(!SuggestionsForm::instance(false));
        QVERIFY(!first->Running());
        QVERIFY(!SpellServer::Attach(SpellServer::ClassName));
        QVERIFY(messagesAsked().isEmpty());

        // The next check starts a server afresh.
        runCheck();
        QVERIFY(modSpellCheck::wordApp() != first && modSpellCheck::wordApp()->Running());
    }

    void suggestionsFollowTheWordClicked()
    {
        document(QStringLiteral("wrold teh xqzvkwpt"));
        runCheck();
        SuggestionsForm *form = checkedForm();
        chooseWord(form, QStringLiteral("wrold"));
        QVERIFY(items(form->List2).contains(QStringLiteral("world")));
        QCOMPARE(modSpellCheck::spellSuggestions()->Count(), form->List2->count());
        chooseWord(form, QStringLiteral("teh"));
        QVERIFY(items(form->List2).contains(QStringLiteral("the")));
        QVERIFY(!items(form->List2).contains(QStringLiteral("world")));
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void replaceKeepsFormattingInOneUndoStep()
    {
        frmDoc *doc = document(QStringLiteral("Teh cat, teh dog.\r\nTehran Teh"));
        RichTextBox *rtf = doc->rtf1;
        rtf->SetSelStart(0);
        rtf->SetSelLength(3);
        rtf->SetSelBold(true);
        rtf->SetSelStart(9);
        rtf->SetSelLength(3);
        rtf->SetSelColor(0x0000FF);
        runCheck();
        SuggestionsForm *form = checkedForm();
        chooseWord(form, QStringLiteral("Teh"));
        chooseAlternative(form, QStringLiteral("The"));

        QSignalSpy changes(rtf, &RichTextBox::Change);
        QTest::mouseClick(form->cmdReplace, Qt::LeftButton);
        // Case-sensitive, and inside longer words too.
        QCOMPARE(rtf->Text(), QStringLiteral("The cat, teh dog.\r\nTheran The"));
        QCOMPARE(changes.count(), 1);
        QVERIFY(doc->bChanged);
        rtf->SetSelStart(0);
        rtf->SetSelLength(3);
        QCOMPARE(rtf->SelBold(), std::optional<bool>(true));
        rtf->SetSelStart(9);
        rtf->SetSelLength(3);
        QCOMPARE(rtf->SelColor(), std::optional<int>(0x0000FF));
        rtf->SetSelStart(18);
        rtf->SetSelLength(10);
        QCOMPARE(rtf->SelBold(), std::optional<bool>(false));
        // Still listed; replacing again finds nothing and changes nothing.
        QCOMPARE(form->List1->currentItem()->text(), QStringLiteral("Teh"));
        QTest::mouseClick(form->cmdReplace, Qt::LeftButton);
        QCOMPARE(changes.count(), 1);

        // One undo takes back every occurrence.
        rtf->document()->undo();
        QCOMPARE(rtf->Text(), QStringLiteral("Teh cat, teh dog.\r\nTehran Teh"));
        rtf->SetSelStart(0);
        rtf->SetSelLength(3);
        QCOMPARE(rtf->SelBold(), std::optional<bool>(true));
    }

    void replaceActsOnTheActiveDocument()
    {
        frmDoc *checked = document(QStringLiteral("teh start"));
        runCheck();
        SuggestionsForm *form = checkedForm();
        ModalSeam::queue(QStringLiteral("OK"));
        QTest::mouseClick(form->cmdReplace, Qt::LeftButton);
        QCOMPARE(messagesAsked(), QStringList{"Please select a word and an alternate spelling"});

        chooseWord(form, QStringLiteral("teh"));
        chooseAlternative(form, QStringLiteral("the"));
        frmDoc *other = genMod::NewDocument();
        other->rtf1->SetText(QStringLiteral("teh end"));
        QTest::mouseClick(form->cmdReplace, Qt::LeftButton);
        QCOMPARE(other->rtf1->Text(), QStringLiteral("the end"));
        QCOMPARE(checked->rtf1->Text(), QStringLiteral("teh start"));

        // Every document closed while the dialog is open: told, nothing ends.
        for (frmDoc *doc : m_main->documents()) {
            doc->bChanged = false;
            doc->subWindow()->close();
        }
        QTRY_VERIFY(m_main->documents().isEmpty());
        ModalSeam::reset();
        ModalSeam::queue(QStringLiteral("OK"));
        QTest::mouseClick(form->cmdReplace, Qt::LeftButton);
        QCOMPARE(messagesAsked(), QStringList{"No document is open !"});
        QVERIFY(form->isVisible() && m_main->isVisible());
    }

    void aVanishedServerIsReportedAndNothingEnds()
    {
        document(QStringLiteral("wrold teh"));
        runCheck();
        SuggestionsForm *form = checkedForm();
        modSpellCheck::wordApp()->Quit();
        ModalSeam::queue(QStringLiteral("OK"));
        ModalSeam::queue(QStringLiteral("OK"));
        chooseWord(form, QStringLiteral("teh"));
        QCOMPARE(messagesAsked().size(), 1);
        QVERIFY(messagesAsked().first().contains(QLatin1String("no longer running")));
        QCOMPARE(form->List2->count(), 0);
        QVERIFY(QApplication::overrideCursor() == nullptr);

        QTest::mouseClick(form->cmdClose, Qt::LeftButton);
        QCOMPARE(messagesAsked().last(), QStringLiteral("Couldn't close document!"));
        QVERIFY(form->isVisible() && m_main->isVisible());
    }

    void moreThanSixteenBitsOfMisspellings()
    {
        // 33,000 different misspellings, each a word of its own.
        QString text;
        for (int i = 0; i < 33000; ++i) {
            QString word = QStringLiteral("zq");
            for (int n = i, k = 0; k < 4; ++k, n /= 26)
                word.append(QChar(u'a' + n % 26));
            text.append(word).append(u' ');
        }
        document(text);
        runCheck();
        QVERIFY(messagesAsked().isEmpty());
        QCOMPARE(modSpellCheck::spellErrors()->Count(), 33000);
        QCOMPARE(checkedForm()->List1->count(), 33000);
        QCOMPARE(checkedForm()->List1->item(0)->text(), QStringLiteral("zqaaaa"));
    }

    void aFailingCheckIsLoggedAndShowsNoDialog()
    {
        // The run called with no document behind it: the error path.
        for (frmDoc *doc : m_main->documents())
            doc->subWindow()->close();
        QTRY_VERIFY(m_main->documents().isEmpty());
        ModalSeam::queue(QStringLiteral("OK"));
        m_main->spellCheckDoc();
        QCOMPARE(ModalSeam::asked().size(), 1);
        QCOMPARE(ModalSeam::asked().first().title, QStringLiteral("Quillet - ERROR"));
        QVERIFY(!progressWindowShown() && !SuggestionsForm::instance(false));
        QFile log(modMessageError::ErrorLogPath());
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("Source = The following error occured during the document's spell check\r\n"));
    }

    void unloadQuitsTheHeldServer()
    {
        document(QStringLiteral("wrold"));
        runCheck();
        const std::shared_ptr<SpellServer> app = modSpellCheck::wordApp();
        QVERIFY(m_main->close());
        QVERIFY(!app->Running());
        QTRY_VERIFY(!SuggestionsForm::instance(false));
    }

    void noDictionaryEndsThroughTheNormalClose()
    {
        QTemporaryDir empty;
        qputenv("DICPATH", empty.path().toLocal8Bit());
        SpellDictionarySearch::SetSystemFolders({});
        frmDoc *doc = m_main->ActiveForm();
        doc->rtf1->SetText(QStringLiteral("unsaved work"));
        QVERIFY(doc->bChanged);

        ModalSeam::queue(SystemMessageBox::vbOK);
        ModalSeam::queue(QStringLiteral("OK"));       // "Could not start Word..."
        ModalSeam::queue(QStringLiteral("Cancel"));   // keep the changed document
        m_main->Menu(QStringLiteral("menuToolsSpellCheck"))->trigger();
        QCOMPARE(messagesAsked().first(), QStringLiteral("Could not start Word. Application will end"));
        QCOMPARE(messagesAsked().size(), 2);   // then the unsaved-change question
        QVERIFY(m_main->isVisible());
        QCOMPARE(doc->rtf1->Text(), QStringLiteral("unsaved work"));
        QVERIFY(!progressWindowShown() && !SuggestionsForm::instance(false));

        ModalSeam::reset();
        ModalSeam::queue(SystemMessageBox::vbOK);
        ModalSeam::queue(QStringLiteral("OK"));
        ModalSeam::queue(QStringLiteral("No"));       // don't save: the program ends
        m_main->Button(QStringLiteral("spellcheck"))->trigger();
        QCOMPARE(messagesAsked().size(), 2);
        QVERIFY(!m_main->isVisible());
        QVERIFY(!modSpellCheck::wordApp());
    }

    void screenshots()
    {
        // Pictures for the README, saved when QUILLET_SCREENSHOTS names a folder.
        auto *progress = new progressForm;
        progress->SetCaption(QStringLiteral("Checking the document"));
        progress->Advance(40);
        progress->show();
        const QImage progressPicture = QuilletTest::withCaption(progress);
        QVERIFY(!progressPicture.isNull());
        progress->Unload();

        document(QStringLiteral("Teh quick brown fox jumpd over the lazzy dog. Teh wrold is round."));
        runCheck();
        SuggestionsForm *form = checkedForm();
        chooseWord(form, QStringLiteral("wrold"));
        const QImage formPicture = QuilletTest::withCaption(form);
        QVERIFY(!formPicture.isNull());

        const QString folder = qEnvironmentVariable("QUILLET_SCREENSHOTS");
        if (!folder.isEmpty()) {
            QVERIFY(progressPicture.save(folder + QStringLiteral("/spelling-progress.png")));
            QVERIFY(formPicture.save(folder + QStringLiteral("/spelling-suggestions.png")));
        }
    }
};

QTEST_MAIN(TestSpelling)
#include "tst_spelling.moc"
