// The keyboard as a user meets it: where typing goes after start-up and
// after each command, the document's own Ctrl keys, chords released in any
// order, and the lock-key panels. Keys go to the shown, active main window
// the way the platform delivers them.
#include "QuilletTest.h"
#include "platform/KeyboardLocks.h"

#include <QClipboard>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

using namespace QuilletTest;

class tst_shell_keyboard : public MainWindowTest
{
    Q_OBJECT

    QString typedInto(frmDoc *target)
    {
        typeText(QStringLiteral("typed"));
        return target->rtf1->Text();
    }

private slots:
    void initTestCase() { setUpOnce(); }
    void init()
    {
        setUp(false);
        QGuiApplication::clipboard()->clear();
    }
    void cleanup()
    {
        KeyboardLocks::setQueryOverride({});
        tearDown();
    }

    // Start-up as the program does it: typing at once lands in Document 1.
    void typingRightAfterStartUp()
    {
        resetCounters();
        genMod::SetCommandLine(QString());
        genMod::Main();
        m_main = frmMain::instance();
        QVERIFY(m_main && QTest::qWaitForWindowActive(m_main));
        QCOMPARE(QApplication::focusWidget(), m_main->ActiveForm()->rtf1);
        QCOMPARE(typedInto(m_main->ActiveForm()), QStringLiteral("typed"));
        QCOMPARE(m_main->ActiveForm()->Caption(), QStringLiteral("Document 1*"));
    }

    void typingGoesToTheActiveDocument_data()
    {
        QTest::addColumn<QString>("after");
        QTest::newRow("File > New") << "new";
        QTest::newRow("File > Open") << "open";
        QTest::newRow("a drop on the window") << "drop";
        QTest::newRow("closing the active window") << "close";
        QTest::newRow("a message box") << "message";
        QTest::newRow("the save dialog, cancelled") << "save";
    }

    void typingGoesToTheActiveDocument()
    {
        QFETCH(QString, after);
        startMainWindow();
        QVERIFY(activate(m_main));
        m_main->new_Click();   // Document 2, in front of Document 1
        const QString file = path(QStringLiteral("notes.txt"));
        QVERIFY(writeFile(file, "words"));

        if (after == QLatin1String("new")) {
            runCommand(m_main, QStringLiteral("new"));
        } else if (after == QLatin1String("open")) {
            queueAnswers({file});
            runCommand(m_main, QStringLiteral("open"));
        } else if (after == QLatin1String("drop")) {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(file)});
            QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(m_main, &drop);
        } else if (after == QLatin1String("close")) {
            runCommand(m_main, QStringLiteral("close"));
        } else {
            // A real modal dialog that takes the focus while it is up; the
            // user closes it with its Cancel button.
            ModalSeam::setStrict(false);
            QTimer::singleShot(0, m_main, [] {
                QWidget *modal = QApplication::activeModalWidget();
                QVERIFY(modal && QTest::qWaitForWindowActive(modal));
                const QList<QPushButton *> buttons = modal->findChildren<QPushButton *>();
                for (QPushButton *button : buttons) {
                    if (button->isVisible() && button->text().remove(u'&') == QLatin1String("Cancel")) {
                        button->click();
                        return;
                    }
                }
                modal->close();
            });
            if (after == QLatin1String("message")) {
                m_main->ActiveForm()->rtf1->SetText(QStringLiteral("changed"));
                runCommand(m_main, QStringLiteral("close"));   // the unsaved-change question
            } else {
                runCommand(m_main, QStringLiteral("saveas"));
            }
            ModalSeam::setStrict(true);
        }
        QVERIFY(QTest::qWaitForWindowActive(m_main));
        frmDoc *active = m_main->ActiveForm();
        QVERIFY(active);
        QCOMPARE(QApplication::focusWidget(), active->rtf1);
        // An opened file puts the caret at its start, the others at the end.
        QVERIFY(typedInto(active).contains(QLatin1String("typed")));
        // The window is really the active one: its menu keys work too.
        const qsizetype open = m_main->documents().size();
        ctrlChord(Qt::Key_N);
        QCOMPARE(m_main->documents().size(), open + 1);
    }

    // Ctrl+W and Ctrl+T are the document's selections; the subwindow's own
    // close key must not take Ctrl+W.
    void ctrlWSelectsAWord_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("selected");
        QTest::newRow("Ctrl+W selects the word") << int(Qt::Key_W) << "quick";
        QTest::newRow("Ctrl+T selects the sentence") << int(Qt::Key_T) << " The quick fox";
    }

    void ctrlWSelectsAWord()
    {
        QFETCH(int, key);
        QFETCH(QString, selected);
        startMainWindow();
        QVERIFY(activate(m_main));
        frmDoc *document = m_main->ActiveForm();
        document->rtf1->SetText(QStringLiteral("First. The quick fox"));
        document->rtf1->SetSelStart(13);
        ctrlChord(Qt::Key(key));
        QCOMPARE(m_main->documents().size(), 1);
        QCOMPARE(document->rtf1->SelText(), selected);
        // No key the menus or the documents own is left to the subwindow.
        for (QAction *action : document->subWindow()->systemMenu()->actions()) {
            for (const QKeySequence &shortcut : action->shortcuts())
                QVERIFY2(shortcut != QKeySequence(Qt::CTRL | Qt::Key_W)
                             && shortcut != QKeySequence(Qt::CTRL | Qt::Key_T),
                         qPrintable(shortcut.toString()));
        }
    }

    // A chord is the keys held when the letter went down, whichever key of it
    // comes up first.
    void chordsCountWhateverTheReleaseOrder_data()
    {
        QTest::addColumn<bool>("ctrlUpFirst");
        QTest::newRow("V up first") << false;
        QTest::newRow("Ctrl up first") << true;
    }

    void chordsCountWhateverTheReleaseOrder()
    {
        QFETCH(bool, ctrlUpFirst);
        startMainWindow();
        QVERIFY(activate(m_main));
        RichTextBox *text = m_main->ActiveForm()->rtf1;
        text->SetText(QStringLiteral("copy me"));
        text->SetSelStart(0);
        text->SetSelLength(4);
        ctrlChord(Qt::Key_C, ctrlUpFirst);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("copy"));
        text->SetSelStart(7);
        ctrlChord(Qt::Key_V, ctrlUpFirst);
        QCOMPARE(text->Text(), QStringLiteral("copy mecopy"));   // pasted once
    }

    // NUM and CAPS show the keyboard's own state, read again on each key and
    // on activation; two keys in a row are two keys, wherever they lived.
    void lockPanelsFollowTheKeyboard()
    {
        KeyboardLocks::State keyboard{false, true};
        KeyboardLocks::setQueryOverride([&keyboard] { return std::optional(keyboard); });
        startMainWindow();
        QVERIFY(activate(m_main));
        QLabel *num = m_main->Panel(frmMain::PanelNum);
        QLabel *caps = m_main->Panel(frmMain::PanelCaps);
        QVERIFY(!num->isEnabled());
        QVERIFY(caps->isEnabled());

        keyboard = {true, false};
        typeText(QStringLiteral("a"));
        QVERIFY(num->isEnabled());
        QVERIFY(!caps->isEnabled());
        keyboard = {false, false};
        sendKey(QEvent::KeyPress, Qt::Key_NumLock, Qt::NoModifier);
        QVERIFY(!num->isEnabled());
        keyboard = {false, true};
        sendKey(QEvent::KeyRelease, Qt::Key_NumLock, Qt::NoModifier);
        QVERIFY(caps->isEnabled());

        // Changed behind the program's back, seen when it is active again.
        keyboard = {true, true};
        QEvent activation(QEvent::WindowActivate);
        QApplication::sendEvent(m_main, &activation);
        QVERIFY(num->isEnabled());
    }
};

QTEST_MAIN(tst_shell_keyboard)
#include "tst_shell_keyboard.moc"
