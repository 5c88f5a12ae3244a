// Spelling as you type, with Debian's real en_US dictionary: the wavy marks
// in document windows and full screen, the context menu's suggestions,
// Ignore All and Add to Dictionary, the View toggle and Tools > Language.
#include "QuilletTest.h"

#include "editing/modClipboard.h"
#include "fullscreen/frmFScreen.h"
#include "fullscreen/modFullScreen.h"
#include "platform/SpellDictionarySearch.h"
#include "platform/SpellLanguage.h"
#include "platform/SpellMarks.h"
#include "platform/SpellWordList.h"
#include "platform/SystemMessageBox.h"
#include "spelling/SuggestionsForm.h"
#include "spelling/modSpellAsYouType.h"
#include "spelling/modSpellCheck.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

using namespace QuilletTest;

namespace {

SpellMarks *marksOf(RichTextBox *box)
{
    return SpellMarks::Of(box);
}

// Once nothing waits to be checked, what is marked.
QStringList settledMarks(RichTextBox *box)
{
    SpellMarks *marks = marksOf(box);
    if (!marks)
        return {QStringLiteral("<no marks>")};
    for (int i = 0; i < 500 && marks->Pending(); ++i)
        QTest::qWait(10);
    return marks->MarkedWords();
}

// The pixels of the marks' red inside the rectangle.
int redPixels(const QImage &picture, const QRect &area)
{
    int red = 0;
    const QRect inside = area & picture.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor pixel = picture.pixelColor(x, y);
            red += pixel.red() > 150 && pixel.green() < 110 && pixel.blue() < 110;
        }
    }
    return red;
}

QStringList entries(const QMenu *menu)
{
    QStringList names;
    for (const QAction *action : menu->actions())
        names.append(action->isSeparator() ? QStringLiteral("-") : action->objectName());
    return names;
}

QAction *entry(const QMenu *menu, const QString &name)
{
    for (QAction *action : menu->actions()) {
        if (action->objectName() == name)
            return action;
    }
    return nullptr;
}

// The context menu as a right-click in the middle of the document position
// would open it.
std::unique_ptr<QMenu> menuAt(RichTextBox *box, int position)
{
    QTextCursor c(box->document());
    c.setPosition(position);
    const QRect caret = box->cursorRect(c);
    return std::unique_ptr<QMenu>(box->ContextMenu(caret.center() + QPoint(2, 0)));
}

} // namespace

class tst_spelling_as_you_type : public MainWindowTest
{
    Q_OBJECT

    QTemporaryDir m_words;

    // The entries of the menu the event opens (closed again at once).
    QStringList shownBy(QContextMenuEvent event)
    {
        QStringList shown;
        QTimer::singleShot(0, this, [&shown] {
            if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                shown = entries(menu);
                menu->close();
            }
        });
        QApplication::sendEvent(rtf()->viewport(), &event);
        return shown;
    }

    // The marks kept so far (waited for) against those a check from scratch
    // finds; their number, or -1 when they differ.
    int sameAsFreshCheck()
    {
        const auto positions = [](const SpellMarks *marks) {
            QList<int> result;
            for (const SpellMarks::Word &w : marks->Marks())
                result << w.start << w.length;
            return result;
        };
        settledMarks(rtf());
        const QList<int> kept = positions(marksOf(rtf()));
        marksOf(rtf())->SetEnabled(false);
        marksOf(rtf())->SetEnabled(true);
        settledMarks(rtf());
        const QList<int> fresh = positions(marksOf(rtf()));
        if (fresh != kept)
            qWarning() << "kept" << kept << "fresh" << fresh;
        return fresh == kept ? int(kept.size() / 2) : -1;
    }

    void type(const QString &text)
    {
        QVERIFY(activate(m_main));
        rtf()->setFocus();
        typeText(text);
    }

private slots:
    void initTestCase()
    {
        setUpOnce();
        qputenv("QUILLET_SPELL_LANG", "en_US");
        QVERIFY(m_words.isValid());
    }

    void init()
    {
        SpellWordList::Personal().SetFile(m_words.filePath(QStringLiteral("words.txt")));
        QFile::remove(SpellWordList::Personal().File());
        SpellWordList::Ignored().Clear();
        modSpellAsYouType::SetEnabled(true);
        setUp();
    }

    void cleanup()
    {
        tearDown();
        modSpellCheck::Reset();
        SpellDictionarySearch::ResetSystemFolders();
        qunsetenv("DICPATH");
        SpellLanguage::Unload();
    }

    // A word is judged once it is finished, never while it is typed.
    void typedWords_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("marked");
        QTest::newRow("misspelt, finished by a space") << "wrold " << QStringList{"wrold"};
        QTest::newRow("correct, finished by a space") << "world " << QStringList();
        QTest::newRow("misspelt, still being typed") << "wrold" << QStringList();
        QTest::newRow("finished by punctuation") << "wrold," << QStringList{"wrold"};
        QTest::newRow("the next word being typed") << "teh wrold helo" << QStringList{"teh", "wrold"};
        QTest::newRow("an apostrophe inside a word") << "don't cann't " << QStringList{"cann't"};
        QTest::newRow("digits are no word to check") << "mp3 2nd " << QStringList();
    }

    void typedWords()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, marked);
        type(typed);
        QCOMPARE(rtf()->Text(), typed);
        QCOMPARE(settledMarks(rtf()), marked);
    }

    // Leaving the word (a click, an arrow key) finishes it; typing on into a
    // marked word takes its mark away until it is finished again.
    void caretLeavingFinishesTheWord()
    {
        type(QStringLiteral("wrold"));
        QCOMPARE(settledMarks(rtf()), QStringList());
        sendKey(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
        sendKey(QEvent::KeyRelease, Qt::Key_Home, Qt::NoModifier);
        QCOMPARE(settledMarks(rtf()), QStringList{"wrold"});

        sendKey(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier);
        sendKey(QEvent::KeyRelease, Qt::Key_End, Qt::NoModifier);
        sendKey(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
        sendKey(QEvent::KeyRelease, Qt::Key_Backspace, Qt::NoModifier);
        QCOMPARE(settledMarks(rtf()), QStringList());
        typeText(QStringLiteral("d, wrold"));
        QCOMPARE(rtf()->Text(), QStringLiteral("wrold, wrold"));
        QCOMPARE(settledMarks(rtf()), QStringList{"wrold"});
    }

    // Edits before a mark move it with its word; a mark the edit runs into
    // goes, and comes back where the word is still wrong.
    void marksFollowEdits()
    {
        rtf()->SetText(QStringLiteral("one wrold two\r\nteh end"));
        QCOMPARE(settledMarks(rtf()), (QStringList{"wrold", "teh"}));
        QTextCursor c(rtf()->document());
        c.insertText(QStringLiteral("Zero "));
        QCOMPARE(settledMarks(rtf()), (QStringList{"wrold", "teh"}));
        const QList<SpellMarks::Word> marks = marksOf(rtf())->Marks();
        QCOMPARE(marks.first().start, 9);
        c.setPosition(12);
        c.insertText(QStringLiteral("l"));   // "wrolld"
        QCOMPARE(settledMarks(rtf()), (QStringList{"wrolld", "teh"}));
        c.setPosition(rtf()->document()->findBlockByNumber(1).position());
        c.insertText(QStringLiteral("Fine\r"));
        QCOMPARE(settledMarks(rtf()), (QStringList{"wrolld", "teh"}));
        rtf()->SetText(QString());
        QCOMPARE(settledMarks(rtf()), QStringList());
    }

    // A run of letters longer than any word is none; a paragraph longer
    // than one step of checking is checked to its end all the same.
    void longParagraphs()
    {
        QString text = QString(300, u'x') + QStringLiteral(" wrold ");
        for (int i = 0; i < 3000; ++i)
            text += QStringLiteral("good teh ");
        text += QString(150, u'y') + QStringLiteral("z wrnog");
        rtf()->SetText(text);
        const QStringList marked = settledMarks(rtf());
        QCOMPARE(marked.size(), 3002);
        QCOMPARE(marked.first(), QStringLiteral("wrold"));
        QCOMPARE(marked.count(QStringLiteral("teh")), 3000);
        QCOMPARE(marked.last(), QStringLiteral("wrnog"));
    }

    // However the text is edited, the marks kept up edit by edit are the
    // marks a fresh check finds.
    void marksAfterManyEditsAreAFreshCheck()
    {
        rtf()->SetText(QStringLiteral("A start for the edits to work on, with teh odd wrold in it."));
        const QStringList words{"good ", "wrold ", "teh ", "fine", "xq", "\n", "don't ", "cann't ", "9 ", "-"};
        QRandomGenerator random(22);
        QTextCursor c(rtf()->document());
        for (int i = 0; i < 400; ++i) {
            const int length = rtf()->document()->characterCount() - 1;
            // Never at the very start, where the view's caret stays: these
            // edits are not typing.
            const int at = 1 + int(random.bounded(std::max(1, length)));
            c.setPosition(std::min(at, length));
            if (random.bounded(3) == 0) {
                c.setPosition(std::min(length, at + 1 + int(random.bounded(12))), QTextCursor::KeepAnchor);
                c.removeSelectedText();
            } else {
                const QString word = words.at(random.bounded(int(words.size())));
                if (word == QLatin1String("\n"))
                    c.insertBlock();
                else
                    c.insertText(word);
            }
            if (i % 7 == 0)
                QCoreApplication::processEvents();
        }
        QVERIFY(sameAsFreshCheck() > 20);
    }

    // So too when the edits are typed at the caret, here and there, and
    // the caret then leaves the last word.
    void marksAfterMuchTypingAreAFreshCheck()
    {
        rtf()->SetText(QStringLiteral("A start for the edits to work on, with teh odd wrold in it."));
        const QStringList words{"good ", "wrold", "teh", " ", ",", "x", "don't", "cann't "};
        QRandomGenerator random(7);
        for (int i = 0; i < 200; ++i) {
            const int length = rtf()->document()->characterCount() - 1;
            if (random.bounded(4) == 0) {
                QTextCursor c = rtf()->textCursor();
                c.setPosition(int(random.bounded(length + 1)));
                rtf()->setTextCursor(c);
            }
            const int kind = int(random.bounded(5));
            if (kind == 0)
                QTest::keyClick(rtf(), Qt::Key_Backspace);
            else if (kind == 1)
                QTest::keyClick(rtf(), Qt::Key_Return);
            else
                QTest::keyClicks(rtf(), words.at(random.bounded(int(words.size()))));
            if (i % 5 == 0)
                QCoreApplication::processEvents();
        }
        QTextCursor c = rtf()->textCursor();
        c.movePosition(QTextCursor::End);
        rtf()->setTextCursor(c);
        QTest::keyClick(rtf(), Qt::Key_Return);
        QVERIFY(sameAsFreshCheck() > 10);
    }

    // On opening, what is on screen is marked at once and the rest while
    // the program is idle; neither counts as a change.
    void openedDocument()
    {
        QString text;
        for (int i = 0; i < 400; ++i)
            text += QStringLiteral("Paragraph %1 has a normal sentence in it.\n").arg(i);
        text.replace(QStringLiteral("Paragraph 0 has"), QStringLiteral("Paragraph 0 hsa"));
        text += QStringLiteral("The last one is wrnog.\n");
        QVERIFY(writeFile(path(QStringLiteral("long.txt")), text.toUtf8()));
        fileMod::OpenFile(path(QStringLiteral("long.txt")));
        RichTextBox *box = rtf();
        QTRY_COMPARE(marksOf(box)->MarkedWords().value(0), QStringLiteral("hsa"));
        QCOMPARE(settledMarks(box), (QStringList{"hsa", "wrnog"}));
        QVERIFY(!doc()->bChanged);
        QVERIFY(!box->document()->isModified());
        QCOMPARE(box->document()->availableUndoSteps(), 0);
    }

    // Words in table cells are marked and drawn like any others.
    void tableCells()
    {
        rtf()->SetSelRTF(QByteArrayLiteral(
            "{\\rtf1\\ansi{\\fonttbl{\\f0 Verdana;}}\\f0 Before\\par"
            "\\trowd\\cellx2000\\cellx4000\\intbl teh first\\cell\\intbl a secnd\\cell\\row"
            "\\trowd\\cellx2000\\cellx4000\\intbl fine\\cell\\intbl wrold\\cell\\row After\\par}"));
        QCOMPARE(settledMarks(rtf()), (QStringList{"teh", "secnd", "wrold"}));
        QVERIFY(activate(m_main));
        const QImage picture = rtf()->viewport()->grab().toImage();
        QVERIFY(redPixels(picture, picture.rect()) > 40);   // three words' waves
    }

    // The marks are the window's alone: not in a saved file, not on the
    // clipboard, not on the undo stack.
    void marksAreNotInTheDocument()
    {
        rtf()->SetSelRTF(richSample().replace("world", "wrold"));
        doc()->bChanged = false;
        QCOMPARE(settledMarks(rtf()), QStringList{"wrold"});
        const int undoSteps = rtf()->document()->availableUndoSteps();
        QVERIFY(rtf()->SaveFile(path(QStringLiteral("marked.rtf"))));
        modSpellAsYouType::SetEnabled(false);
        QCOMPARE(settledMarks(rtf()), QStringList());
        QVERIFY(rtf()->SaveFile(path(QStringLiteral("unmarked.rtf"))));
        const QByteArray saved = readFile(path(QStringLiteral("marked.rtf")));
        QCOMPARE(saved, readFile(path(QStringLiteral("unmarked.rtf"))));
        QVERIFY(!saved.contains("\\ulwave"));
        modSpellAsYouType::SetEnabled(true);
        QCOMPARE(settledMarks(rtf()), QStringList{"wrold"});

        select(rtf(), 0, int(rtf()->Text().size()));
        rtf()->CopyRich();
        const QMimeData *copied = QGuiApplication::clipboard()->mimeData();
        QVERIFY(copied->hasFormat(QStringLiteral("text/rtf")));
        QVERIFY(!copied->data(QStringLiteral("text/rtf")).contains("\\ulwave"));
        QVERIFY(!copied->html().contains(QStringLiteral("wave"), Qt::CaseInsensitive));
        QCOMPARE(rtf()->document()->availableUndoSteps(), undoSteps);
        QVERIFY(!doc()->bChanged);
    }

    // A suggestion takes the word's place in the word's own format, as one
    // step that Undo takes back; the menu keeps the control's own entries.
    void suggestionReplacesTheWord()
    {
        rtf()->SetSelRTF(QByteArrayLiteral(
            "{\\rtf1\\ansi{\\fonttbl{\\f0 Verdana;}{\\f1 Arial;}}\\f0 Hello {\\b\\i\\f1 wrold} again\\par}"));
        QCOMPARE(settledMarks(rtf()), QStringList{"wrold"});
        const int undoSteps = rtf()->document()->availableUndoSteps();
        std::unique_ptr<QMenu> menu = menuAt(rtf(), 8);
        const QStringList names = entries(menu.get());
        for (const char *own : {"spellSuggestion1", "spellIgnoreAll", "spellAddToDictionary", "edit-cut",
                                "edit-copy", "edit-paste"})
            QVERIFY2(names.contains(QLatin1String(own)), qPrintable(names.join(u',')));
        QVERIFY(names.indexOf(QStringLiteral("spellAddToDictionary")) < names.indexOf(QStringLiteral("edit-cut")));
        QAction *world = nullptr;
        for (int i = 1; i <= modSpellAsYouType::MenuSuggestions; ++i) {
            QAction *suggestion = entry(menu.get(), QStringLiteral("spellSuggestion%1").arg(i));
            if (suggestion && suggestion->text() == QLatin1String("world"))
                world = suggestion;
        }
        QVERIFY2(world, qPrintable(names.join(u',')));
        world->trigger();
        QCOMPARE(rtf()->Text(), QStringLiteral("Hello world again\r\n"));
        select(rtf(), 6, 5);
        QCOMPARE(rtf()->SelBold(), std::optional<bool>(true));
        QCOMPARE(rtf()->SelItalic(), std::optional<bool>(true));
        QCOMPARE(rtf()->SelFontName(), std::optional<QString>(QStringLiteral("Arial")));
        QVERIFY(doc()->bChanged);
        QCOMPARE(settledMarks(rtf()), QStringList());
        modClipboard::undo_Click();
        QCOMPARE(rtf()->Text(), QStringLiteral("Hello wrold again\r\n"));
        QCOMPARE(rtf()->document()->availableUndoSteps(), undoSteps);
        QCOMPARE(settledMarks(rtf()), QStringList{"wrold"});

        // Away from a mark, only the control's own entries.
        menu = menuAt(rtf(), 2);
        QVERIFY(!entries(menu.get()).contains(QStringLiteral("spellIgnoreAll")));
        QVERIFY(entries(menu.get()).contains(QStringLiteral("edit-paste")));
    }

    // A real right-click opens that menu over the word; so does the menu
    // key, for the word at the caret.
    void rightClickOpensTheMenu()
    {
        rtf()->SetText(QStringLiteral("Hello wrold"));
        QCOMPARE(settledMarks(rtf()), QStringList{"wrold"});
        QVERIFY(activate(m_main));
        QTextCursor c(rtf()->document());
        c.setPosition(8);
        const QPoint at = rtf()->cursorRect(c).center();
        QWidget *viewport = rtf()->viewport();
        QStringList shown = shownBy(QContextMenuEvent(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at)));
        QVERIFY2(shown.contains(QStringLiteral("spellAddToDictionary")), qPrintable(shown.join(u',')));
        QVERIFY(shown.contains(QStringLiteral("edit-copy")));

        rtf()->SetSelStart(9);
        shown = shownBy(QContextMenuEvent(QContextMenuEvent::Keyboard, QPoint(), viewport->mapToGlobal(QPoint())));
        QVERIFY2(shown.contains(QStringLiteral("spellIgnoreAll")), qPrintable(shown.join(u',')));
    }

    // Add to Dictionary: written to the personal list, unmarked in every
    // window, and no longer listed by the spell-check run. Ignore All
    // unmarks for this session only.
    void addToDictionaryAndIgnoreAll()
    {
        rtf()->SetText(QStringLiteral("Quilletry and wrold"));
        modDocument::CreateNewDocument();
        RichTextBox *second = rtf();
        second->SetText(QStringLiteral("More Quilletry, QUILLETRY"));
        QCOMPARE(settledMarks(second), (QStringList{"Quilletry", "QUILLETRY"}));
        entry(menuAt(second, 6).get(), QStringLiteral("spellAddToDictionary"))->trigger();
        QCOMPARE(settledMarks(second), QStringList());
        RichTextBox *first = m_main->documents().first()->rtf1;
        QCOMPARE(settledMarks(first), QStringList{"wrold"});
        QCOMPARE(readFile(SpellWordList::Personal().File()), QByteArray("Quilletry\n"));

        entry(menuAt(first, 15).get(), QStringLiteral("spellIgnoreAll"))->trigger();
        QCOMPARE(settledMarks(first), QStringList());
        QCOMPARE(readFile(SpellWordList::Personal().File()), QByteArray("Quilletry\n"));

        // The run reads the personal list too.
        m_main->documents().first()->subWindow()->setFocus();
        m_main->mdiArea->setActiveSubWindow(m_main->documents().first()->subWindow());
        ModalSeam::queue(SystemMessageBox::vbOK);
        m_main->Menu(QStringLiteral("menuToolsSpellCheck"))->trigger();
        SuggestionsForm *form = SuggestionsForm::instance(false);
        QVERIFY(form);
        QCOMPARE(form->List1->count(), 1);
        QCOMPARE(form->List1->item(0)->text(), QStringLiteral("wrold"));

        // Read again from the file, as the next session would.
        SpellWordList::Personal().SetFile(SpellWordList::Personal().File());
        QVERIFY(SpellWordList::Personal().Contains(QStringLiteral("Quilletry")));
    }

    // A word list that cannot be written says so; the word is accepted for
    // the session all the same, and the list's file is left as it was.
    void unwritableWordList()
    {
        QVERIFY(writeFile(path(QStringLiteral("blocker")), "a file, not a folder"));
        SpellWordList::Personal().SetFile(path(QStringLiteral("blocker/words.txt")));
        rtf()->SetText(QStringLiteral("Quilletry"));
        QCOMPARE(settledMarks(rtf()), QStringList{"Quilletry"});
        queueAnswers({QStringLiteral("OK")});
        QVERIFY(!modSpellAsYouType::AddToDictionary(QStringLiteral("Quilletry")));
        QCOMPARE(messages().size(), 1);
        QVERIFY(messages().first().contains(QStringLiteral("Quilletry")));
        QCOMPARE(settledMarks(rtf()), QStringList());
        QCOMPARE(readFile(path(QStringLiteral("blocker"))), QByteArray("a file, not a folder"));
    }

    // How entries of the word lists match, as Hunspell's own lists do.
    void wordListMatching_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("matches");
        QTest::newRow("the entry itself") << "wrold" << "wrold" << true;
        QTest::newRow("capital first letter") << "wrold" << "Wrold" << true;
        QTest::newRow("all capitals") << "wrold" << "WROLD" << true;
        QTest::newRow("odd capitals") << "wrold" << "wROLD" << false;
        QTest::newRow("a capitalised entry in capitals") << "Quillet" << "QUILLET" << true;
        QTest::newRow("a capitalised entry in lower case") << "Quillet" << "quillet" << false;
        QTest::newRow("another word") << "wrold" << "wrolds" << false;
    }

    void wordListMatching()
    {
        QFETCH(QString, entry);
        QFETCH(QString, word);
        QFETCH(bool, matches);
        QVERIFY(writeFile(path(QStringLiteral("list.txt")), "\n  " + entry.toUtf8() + "  \r\n\nother\n"));
        SpellWordList::Personal().SetFile(path(QStringLiteral("list.txt")));
        QCOMPARE(SpellWordList::Personal().Contains(word), matches);
        QVERIFY(SpellWordList::Personal().Contains(QStringLiteral("other")));
    }

    // View > Check Spelling as You Type: on by default, remembered, and off
    // it marks nothing in any window.
    void viewToggle()
    {
        QAction *toggle = m_main->Menu(QStringLiteral("menuViewSpellAsYouType"));
        QVERIFY(toggle && toggle->isCheckable() && toggle->isEnabled());
        QVERIFY(toggle->isChecked());
        rtf()->SetText(QStringLiteral("teh end"));
        QCOMPARE(settledMarks(rtf()), QStringList{"teh"});
        toggle->trigger();
        QVERIFY(!toggle->isChecked());
        QCOMPARE(settledMarks(rtf()), QStringList());
        modDocument::CreateNewDocument();
        rtf()->SetText(QStringLiteral("teh end"));
        QCOMPARE(settledMarks(rtf()), QStringList());
        QCOMPARE(modRegistry::GetSettingValue(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey,
                                              modSpellAsYouType::SettingName, QString()),
                 QStringLiteral("0"));

        tearDown();
        setUp();
        toggle = m_main->Menu(QStringLiteral("menuViewSpellAsYouType"));
        QVERIFY(!toggle->isChecked());
        toggle->trigger();
        rtf()->SetText(QStringLiteral("teh end"));
        QCOMPARE(settledMarks(rtf()), QStringList{"teh"});
    }

    // Without a dictionary the toggle is greyed out and says why; typing
    // goes on as ever.
    void noDictionary()
    {
        tearDown();
        SpellLanguage::Unload();
        SpellDictionarySearch::SetSystemFolders({});
        QTemporaryDir empty;
        qputenv("DICPATH", QFile::encodeName(empty.path()));
        setUp();
        QAction *toggle = m_main->Menu(QStringLiteral("menuViewSpellAsYouType"));
        QVERIFY(!toggle->isEnabled());
        QVERIFY2(toggle->toolTip().contains(QStringLiteral("No spelling dictionary")), qPrintable(toggle->toolTip()));
        type(QStringLiteral("teh wrold "));
        QCOMPARE(rtf()->Text(), QStringLiteral("teh wrold "));
        QVERIFY(marksOf(rtf()) && !marksOf(rtf())->Active());
        QCOMPARE(marksOf(rtf())->MarkedWords(), QStringList());
        QVERIFY(entries(menuAt(rtf(), 1).get()).contains(QStringLiteral("edit-copy")));
    }

    // Tools > Language lists the installed dictionaries and switches the
    // active document alone.
    void languageMenu()
    {
        QVERIFY(writeFile(path(QStringLiteral("qq_QQ.aff")), "SET UTF-8\n"));
        QVERIFY(writeFile(path(QStringLiteral("qq_QQ.dic")), "2\nwrold\nhello\n"));
        qputenv("DICPATH", QFile::encodeName(m_dir->path()));
        rtf()->SetText(QStringLiteral("hello wrold world"));
        QCOMPARE(settledMarks(rtf()), QStringList{"wrold"});
        RichTextBox *english = rtf();
        modDocument::CreateNewDocument();
        rtf()->SetText(QStringLiteral("hello wrold world"));

        QMenu *menu = m_main->Menu(QStringLiteral("menuToolsLanguage"))->menu();
        QVERIFY(menu);
        emit menu->aboutToShow();
        QAction *qq = entry(menu, QStringLiteral("menuToolsLanguage_qq_QQ"));
        QAction *en = entry(menu, QStringLiteral("menuToolsLanguage_en_US"));
        QVERIFY(qq && en);
        QVERIFY(en->isChecked() && !qq->isChecked());
        QCOMPARE(en->text(), QStringLiteral("English (United States)"));
        qq->trigger();
        QCOMPARE(modSpellAsYouType::LanguageOf(rtf()), QStringLiteral("qq_QQ"));
        QCOMPARE(settledMarks(rtf()), QStringList{"world"});
        QCOMPARE(settledMarks(english), QStringList{"wrold"});
        emit menu->aboutToShow();
        QVERIFY(entry(menu, QStringLiteral("menuToolsLanguage_qq_QQ"))->isChecked());
    }

    // Full screen marks its copy of the text too, in the document's language.
    void fullScreen()
    {
        rtf()->SetText(QStringLiteral("Full screen wrold"));
        doc()->bChanged = false;
        modFullScreen::Enter(doc());
        frmFScreen *screen = frmFScreen::instance();
        QVERIFY(screen);
        QCOMPARE(settledMarks(screen->FSRTB), QStringList{"wrold"});
        modSpellAsYouType::SetEnabled(false);
        QCOMPARE(settledMarks(screen->FSRTB), QStringList());
        modSpellAsYouType::SetEnabled(true);
        modFullScreen::Leave();
    }

    // The marks drawn: red under the word, nothing under the correct one.
    void drawnUnderTheWord()
    {
        rtf()->SetText(QStringLiteral("world wrold"));
        QCOMPARE(settledMarks(rtf()), QStringList{"wrold"});
        QVERIFY(activate(m_main));
        const QImage picture = rtf()->viewport()->grab().toImage();
        QTextCursor c(rtf()->document());
        auto redBelow = [&](int from, int to) {
            c.setPosition(from);
            const int left = rtf()->cursorRect(c).left();
            c.setPosition(to);
            const QRect end = rtf()->cursorRect(c);
            return redPixels(picture, QRect(QPoint(left, end.top()), QPoint(end.left() - 1, end.bottom() + 3)));
        };
        QVERIFY(redBelow(6, 11) > 5);
        QCOMPARE(redBelow(0, 5), 0);
    }

    // Pictures for the README, saved when QUILLET_SCREENSHOTS names a folder.
    void screenshots()
    {
        QVERIFY(activate(m_main));
        m_main->Menu(QStringLiteral("menuViewFileExplorer"))->trigger();
        doc()->subWindow()->showMaximized();
        rtf()->SetSelRTF(QByteArrayLiteral(
            "{\\rtf1\\ansi{\\fonttbl{\\f0 Verdana;}}\\f0\\fs24 The quick brown fox jumpd over the lazzy dog. "
            "Spelling is checked as you type: {\\b evry} misspelled word gets a wavy red line, and a "
            "right-click on it offers the {\\i dictionary's} suggestions. Teh wrold is round.\\par}"));
        doc()->bChanged = false;
        QCOMPARE(settledMarks(rtf()).join(u' '), QStringLiteral("jumpd lazzy evry Teh wrold"));
        const int at = int(rtf()->Text().indexOf(QStringLiteral("wrold"))) + 2;
        QTextCursor c(rtf()->document());
        c.setPosition(at);
        const QPoint click = rtf()->cursorRect(c).center();
        std::unique_ptr<QMenu> menu(rtf()->ContextMenu(click));
        // Just below the word, which stays in sight.
        menu->popup(rtf()->viewport()->mapToGlobal(rtf()->cursorRect(c).bottomLeft() + QPoint(-20, 8)));
        QVERIFY(QTest::qWaitForWindowExposed(menu.get()));
        QImage picture = m_main->grab().toImage();
        {
            QPainter p(&picture);
            p.drawPixmap(m_main->mapFromGlobal(menu->geometry().topLeft()), menu->grab());
        }
        menu->hide();
        const QString folder = qEnvironmentVariable("QUILLET_SCREENSHOTS");
        if (!folder.isEmpty())
            QVERIFY(picture.save(folder + QStringLiteral("/spelling-as-you-type.png")));
    }
};

QTEST_MAIN(tst_spelling_as_you_type)
#include "tst_spelling_as_you_type.moc"
