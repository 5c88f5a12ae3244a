#include "QuilletTest.h"
#include "documents/frmDoc.h"
#include "find/frmFind.h"
#include "platform/RichTextBox.h"
#include "platform/SystemMessageBox.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QComboBox>
#include <QMdiArea>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>
#include <QtTest>

// The find and replace dialog, opened from the main window over a real
// document and driven through its own buttons. Steps are written as words:
// "find", "replace", "all" click those buttons; "search:TEXT" and
// "with:TEXT" type into the two boxes; "word", "case", "nohl" tick the
// options.
class tst_find : public QObject
{
    Q_OBJECT
    std::unique_ptr<frmMain> m_main;

    RichTextBox *rtf() const { return m_main->ActiveForm()->rtf1; }

    struct State
    {
        QString findCaption, replaceCaption;
        bool replaceEnabled = false, replaceAllEnabled = false, replaceRowShown = false;
        int replaceTopTwips = 0;
        int listCount = 0;
        QString listItem;
    };

    static void perform(frmFind *dialog, const QString &step)
    {
        if (step == QLatin1String("find"))
            dialog->cmdFind->click();
        else if (step == QLatin1String("replace"))
            dialog->cmdReplace->click();
        else if (step == QLatin1String("all"))
            dialog->cmdReplaceAll->click();
        else if (step.startsWith(QLatin1String("search:")))
            dialog->cboFind->setEditText(step.mid(7));
        else if (step.startsWith(QLatin1String("with:")))
            dialog->cboReplace->setEditText(step.mid(5));
        else if (step == QLatin1String("word"))
            dialog->chkWholeWord->setChecked(true);
        else if (step == QLatin1String("case"))
            dialog->chkMatchCase->setChecked(true);
        else if (step == QLatin1String("nohl"))
            dialog->chkNoHighlight->setChecked(true);
        else
            QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
    }

    // Opens the dialog through Edit > Find, runs the steps, and reads the
    // dialog's state before it closes. Every message box it shows is
    // answered OK and its text returned in messages.
    State run(const QStringList &steps, QStringList *messages, int expectedMessages)
    {
        State state;
        ModalSeam::reset();
        ModalSeam::queue([&](const ModalSeam::Question &question) -> QVariant {
            auto *dialog = qobject_cast<frmFind *>(question.dialog);
            if (!dialog)
                return {};
            for (const QString &step : steps)
                perform(dialog, step);
            state.findCaption = dialog->cmdFind->text();
            state.replaceCaption = dialog->cmdReplace->text();
            state.replaceEnabled = dialog->cmdReplace->isEnabled();
            state.replaceAllEnabled = dialog->cmdReplaceAll->isEnabled();
            state.replaceRowShown = !dialog->cboReplace->isHidden() && !dialog->lblReplace->isHidden()
                    && !dialog->cmdReplaceAll->isHidden();
            state.replaceTopTwips = dialog->cmdReplace->y() == dialog->pxY(525) ? 525
                    : dialog->cmdReplace->y() == dialog->pxY(150) ? 150 : -1;
            state.listCount = dialog->cboFind->count();
            state.listItem = dialog->cboFind->itemText(0);
            return {};
        });
        for (int i = 0; i < expectedMessages; ++i)
            ModalSeam::queue(QVariant(SystemMessageBox::vbOK));
        m_main->Menu(QStringLiteral("find"))->trigger();
        if (messages) {
            for (const ModalSeam::Question &q : ModalSeam::asked()) {
                if (q.kind == QLatin1String("system"))
                    messages->append(q.text);
            }
        }
        return state;
    }

    static QString summary(int count)
    {
        return QStringLiteral("The specified region has been searched. \r\n%1 replacements have been made.")
            .arg(count);
    }

private slots:
    void initTestCase()
    {
        QuilletTest::isolate();
    }

    void init()
    {
        m_main.reset(QuilletTest::startMain(QString(), false));
        QVERIFY(m_main->ActiveForm());
    }

    void cleanup()
    {
        QuilletTest::finish(m_main.release());
    }

    void stateTable_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("findCaption");
        QTest::addColumn<QString>("replaceCaption");
        QTest::addColumn<bool>("replaceEnabled");
        QTest::addColumn<int>("replaceTop");
        QTest::addColumn<bool>("rowShown");
        QTest::addColumn<bool>("replaceAllEnabled");
        QTest::addColumn<bool>("findEntryEnabled");
        QTest::addColumn<int>("messages");

        const QString find = QStringLiteral("&Find"), next = QStringLiteral("&Find Next");
        const QString toReplace = QStringLiteral("&Replace..."), replace = QStringLiteral("&Replace");
        const QStringList replaceMode{QStringLiteral("replace"), QStringLiteral("search:one"),
                                      QStringLiteral("with:1")};
        QTest::newRow("opened") << QStringList{} << find << toReplace << true << 525 << false << true << true << 0;
        QTest::newRow("after a found search")
            << QStringList{"search:one", "find"} << next << toReplace << true << 525 << false << true << true << 0;
        QTest::newRow("replace mode") << QStringList{"replace"} << find << replace << true << 150 << true << true
                                      << true << 0;
        QTest::newRow("first search not found leaves the replace buttons")
            << QStringList{"search:zzz", "find"} << find << toReplace << true << 525 << false << true << false << 1;
        QTest::newRow("find next past the last occurrence")
            << QStringList{"search:one", "find", "find", "find"} << find << toReplace << false << 525 << false
            << false << false << 1;
        QTest::newRow("replace past the last occurrence")
            << replaceMode + QStringList{"find", "replace", "replace"} << find << replace << false << 150 << true
            << false << true << 1;
        QTest::newRow("after replace all") << replaceMode + QStringList{"all"} << find << replace << false << 150
                                           << true << false << true << 1;
        QTest::newRow("replace all with nothing to replace")
            << QStringList{"replace", "search:zzz", "all"} << find << replace << false << 150 << true << false
            << true << 0;
        QTest::newRow("a found search enables the replace buttons again")
            << QStringList{"replace", "search:zzz", "all", "search:one", "find"} << next << replace << true << 150
            << true << true << true << 0;
    }

    void stateTable()
    {
        QFETCH(QStringList, steps);
        QFETCH(int, messages);
        rtf()->SetText(QStringLiteral("one two one"));
        QStringList shown;
        const State state = run(steps, &shown, messages);
        QCOMPARE(shown.size(), messages);
        QTEST(state.findCaption, "findCaption");
        QTEST(state.replaceCaption, "replaceCaption");
        QTEST(state.replaceEnabled, "replaceEnabled");
        QTEST(state.replaceTopTwips, "replaceTop");
        QTEST(state.replaceRowShown, "rowShown");
        QTEST(state.replaceAllEnabled, "replaceAllEnabled");
        QTEST(m_main->Menu(QStringLiteral("find"))->isEnabled(), "findEntryEnabled");
    }

    void searching_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selLength");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("textAfter");
        QTest::addColumn<int>("selStartAfter");
        QTest::addColumn<int>("selLengthAfter");
        QTest::addColumn<QStringList>("messages");

        const QString notFound = QStringLiteral("Text not found");
        QTest::newRow("first search starts at the top with the caret past the text")
            << "find me" << 7 << 0 << QStringList{"search:find", "find"} << "find me" << 0 << 4 << QStringList{};
        QTest::newRow("find next after the last occurrence, then a fresh search")
            << "ab ab" << 0 << 0 << QStringList{"search:ab", "find", "find", "find", "find"} << "ab ab" << 0 << 2
            << QStringList{notFound};
        QTest::newRow("no highlight keeps finding the same occurrence")
            << "xx ab ab" << 1 << 0 << QStringList{"nohl", "search:ab", "find", "find", "find"} << "xx ab ab" << 1
            << 0 << QStringList{};
        QTest::newRow("replace right after opening replaces the selection and moves on")
            << "cat dog cat" << 0 << 3 << QStringList{"replace", "with:cow", "replace"} << "cow dog cat" << 8 << 3
            << QStringList{};
        QTest::newRow("replace all with a doubled letter ends after one pass")
            << "a ba a" << 0 << 0 << QStringList{"replace", "search:a", "with:aa", "all"} << "aa baa aa" << 9 << 0
            << QStringList{summary(3)};
        QTest::newRow("replace all, no options")
            << "Cat cat concat CAT" << 0 << 0 << QStringList{"replace", "search:cat", "with:dog", "all"}
            << "dog dog condog dog" << 18 << 0 << QStringList{summary(4)};
        QTest::newRow("replace all, whole word")
            << "Cat cat concat CAT" << 0 << 0 << QStringList{"word", "replace", "search:cat", "with:dog", "all"}
            << "dog dog concat dog" << 18 << 0 << QStringList{summary(3)};
        QTest::newRow("replace all, match case")
            << "Cat cat concat CAT" << 0 << 0 << QStringList{"case", "replace", "search:cat", "with:dog", "all"}
            << "Cat dog condog CAT" << 14 << 0 << QStringList{summary(2)};
        QTest::newRow("replace all, whole word and match case")
            << "Cat cat concat CAT" << 0 << 0
            << QStringList{"word", "case", "replace", "search:cat", "with:dog", "all"} << "Cat dog concat CAT" << 7
            << 0 << QStringList{summary(1)};
        QTest::newRow("empty search finds nothing")
            << "abc" << 0 << 1 << QStringList{"search:", "find"} << "abc" << 0 << 1 << QStringList{notFound};
        QTest::newRow("empty search replaces nothing")
            << "abc" << 0 << 1 << QStringList{"replace", "search:", "with:x", "replace"} << "abc" << 0 << 1
            << QStringList{notFound};
        QTest::newRow("empty search replaces nothing in replace all")
            << "abc" << 0 << 1 << QStringList{"replace", "search:", "with:x", "all"} << "abc" << 0 << 1
            << QStringList{};
        QTest::newRow("no highlight: replace takes the found match, not the selection")
            << "keep ab" << 0 << 4 << QStringList{"nohl", "replace", "search:ab", "with:X", "find", "replace"}
            << "keep X" << 6 << 0 << QStringList{notFound};
        QTest::newRow("no highlight: replace with no match found yet replaces nothing")
            << "keep ab" << 0 << 4 << QStringList{"nohl", "replace", "search:ab", "with:X", "replace"} << "keep ab"
            << 0 << 4 << QStringList{};
        QTest::newRow("no highlight: replace all replaces only matches")
            << "keep ab ab" << 0 << 4 << QStringList{"nohl", "replace", "search:ab", "with:X", "all"} << "keep X X"
            << 8 << 0 << QStringList{summary(2)};
        QTest::newRow("no highlight: a match selected when opening is replaced")
            << "ab cd ab" << 0 << 2 << QStringList{"nohl", "replace", "with:X", "replace"} << "X cd ab" << 1 << 0
            << QStringList{};
    }

    void searching()
    {
        QFETCH(QString, text);
        QFETCH(int, selStart);
        QFETCH(int, selLength);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, messages);
        rtf()->SetText(text);
        rtf()->SetSelStart(selStart);
        rtf()->SetSelLength(selLength);
        QStringList shown;
        run(steps, &shown, int(messages.size()));
        QCOMPARE(shown, messages);
        QTEST(rtf()->Text(), "textAfter");
        QTEST(rtf()->SelStart(), "selStartAfter");
        QTEST(rtf()->SelLength(), "selLengthAfter");
    }

    void opening_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("selLength");
        QTest::addColumn<QString>("item");
        QTest::newRow("menu entry, nothing selected: one empty item") << "menu" << 0 << "";
        QTest::newRow("toolbar button, a word selected") << "button" << 3 << "one";
    }

    void opening()
    {
        QFETCH(QString, command);
        QFETCH(int, selLength);
        rtf()->SetText(QStringLiteral("one two"));
        rtf()->SetSelLength(selLength);
        if (command == QLatin1String("button")) {
            // The button runs the same command; run() uses the menu entry.
            m_main->Button(QStringLiteral("find"))->trigger();
            QCOMPARE(ModalSeam::asked().size(), 1);
            QCOMPARE(ModalSeam::asked().first().kind, QStringLiteral("dialog"));
            QCOMPARE(ModalSeam::unanswered(), 1);
            ModalSeam::reset();
        }
        const State state = run({}, nullptr, 0);
        QCOMPARE(state.listCount, 1);
        QTEST(state.listItem, "item");
    }

    // The design's places are for a smaller font than this platform's: every
    // caption must still show whole.
    void captionsFit()
    {
        frmFind dialog(rtf(), m_main.get());
        dialog.cmdReplace->click();   // replace mode shows every control
        const QList<QWidget *> widgets = dialog.findChildren<QWidget *>();
        int checked = 0;
        for (QWidget *w : widgets) {
            int needed = 0;
            if (auto *label = qobject_cast<QLabel *>(w))
                needed = label->sizeHint().width();
            else if (auto *box = qobject_cast<QCheckBox *>(w))
                needed = box->sizeHint().width();
            else if (auto *button = qobject_cast<QPushButton *>(w))
                needed = button->fontMetrics().horizontalAdvance(button->text().remove(u'&')) + 8;
            else
                continue;
            ++checked;
            QVERIFY2(w->width() >= needed, qPrintable(w->objectName()));
            QVERIFY2(w->parentWidget()->rect().contains(w->geometry()), qPrintable(w->objectName()));
        }
        QCOMPARE(checked, 10);   // two labels, three check boxes, five buttons
    }

    void noDocument()
    {
        m_main->mdiArea->closeAllSubWindows();
        QTRY_VERIFY(!m_main->ActiveForm());
        ModalSeam::reset();
        ModalSeam::queue(QStringLiteral("OK"));
        m_main->find_Click();   // the entry itself is disabled without a document
        QCOMPARE(ModalSeam::asked().size(), 1);
        QCOMPARE(ModalSeam::asked().first().kind, QStringLiteral("message"));
        QCOMPARE(ModalSeam::asked().first().text, QStringLiteral("No document is open !"));
        QCOMPARE(ModalSeam::asked().first().title, QStringLiteral("Quillet"));
    }

    // No count limit and no second look at inserted text, in one undo step
    // that raises Change once.
    void replaceAllManyIsOneUndoStep()
    {
        const QString original = QStringLiteral("a ").repeated(40000);
        rtf()->SetText(original);
        QSignalSpy changes(rtf(), &RichTextBox::Change);
        QStringList shown;
        run({"replace", "search:a", "with:ba", "all"}, &shown, 1);
        QCOMPARE(shown, QStringList{summary(40000)});
        QCOMPARE(changes.size(), 1);
        QCOMPARE(rtf()->Text(), QStringLiteral("ba ").repeated(40000));
        rtf()->document()->undo();
        QCOMPARE(rtf()->Text(), original);
        rtf()->document()->redo();
        QCOMPARE(rtf()->Text(), QStringLiteral("ba ").repeated(40000));
    }

    // Keys as a user presses them, in a shown and active main window.
    void keyboard()
    {
        rtf()->SetText(QStringLiteral("one two one"));
        m_main->show();
        m_main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
        rtf()->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), rtf());

        auto key = [](int k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
            QWidget *target = QApplication::focusWidget();
            QVERIFY(target);
            QTest::keyPress(target, Qt::Key(k), modifiers);
            QTest::keyRelease(target, Qt::Key(k), modifiers);
        };
        bool searchBoxFocused = false;
        QList<int> selections;
        bool closed = false;
        ModalSeam::reset();
        ModalSeam::queue([&](const ModalSeam::Question &question) -> QVariant {
            auto *dialog = qobject_cast<frmFind *>(question.dialog);
            if (!dialog)
                return {};
            QTimer::singleShot(0, dialog, [&, dialog] {
                // A dialog counts as active along with its owner; wait until
                // it really has the keys.
                if (QTest::qWaitFor([dialog] { return QApplication::activeWindow() == dialog; })) {
                    QWidget *focus = QApplication::focusWidget();
                    searchBoxFocused = focus && (focus == dialog->cboFind || focus->parent() == dialog->cboFind);
                    dialog->cboFind->setEditText(QStringLiteral("one"));
                    key(Qt::Key_Return);
                    selections << rtf()->SelStart();
                    key(Qt::Key_Return);
                    selections << rtf()->SelStart();
                    key(Qt::Key_Escape);
                    closed = !dialog->isVisible();
                }
                dialog->reject();   // never leave the test waiting
            });
            dialog->exec();
            return {};
        });
        key(Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(ModalSeam::asked().size(), 1);
        QVERIFY(searchBoxFocused);
        QCOMPARE(selections, (QList<int>{0, 8}));
        QVERIFY(closed);
        QTRY_COMPARE(QApplication::focusWidget(), rtf());
    }
};

QTEST_MAIN(tst_find)
#include "tst_find.moc"
