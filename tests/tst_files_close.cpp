// Closing: the unsaved-change question and its answers, the recorded
// window state, Close, Close All and closing the main window.

#include "QuilletTest.h"

#include <QDialog>
#include <QMdiSubWindow>

using namespace QuilletTest;

class tst_files_close : public MainWindowTest
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpOnce(); }
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void closeQuestion_data()
    {
        QTest::addColumn<QString>("caption");        // "@name" = a file in the folder; "*" = changed
        QTest::addColumn<QString>("windowState");    // "", minimized, maximized
        QTest::addColumn<QVariantList>("answers");
        QTest::addColumn<bool>("staysOpen");
        QTest::addColumn<QString>("state");          // "Document State" afterwards

        QTest::newRow("unchanged: no question, no state") << "@own.rtf" << "" << QVariantList{} << false << noState;
        QTest::newRow("No: nothing written, state 0") << "@own.rtf*" << "" << QVariantList{"No"} << false << "0";
        QTest::newRow("No, maximized: state 2") << "@own.rtf*" << "maximized" << QVariantList{"No"} << false << "2";
        QTest::newRow("No while minimized: no state")
            << "@own.rtf*" << "minimized" << QVariantList{"No"} << false << noState;
        QTest::newRow("Cancel: stays, no state") << "@own.rtf*" << "" << QVariantList{"Cancel"} << true << noState;
        QTest::newRow("Yes, own file: written") << "@own.rtf*" << "" << QVariantList{"Yes"} << false << "0";
        QTest::newRow("Yes on a new document: saved through the dialog")
            << "Document 1*" << "" << QVariantList{"Yes", "@new.rtf"} << false << "0";
        QTest::newRow("Yes, save dialog cancelled: stays open")
            << "Document 1*" << "" << QVariantList{"Yes", QString()} << true << noState;
        QTest::newRow("Yes, write fails: stays")
            << "@notes/own.rtf*" << "" << QVariantList{"Yes", "OK"} << true << noState;
    }
    void closeQuestion()
    {
        QFETCH(QString, caption);
        QFETCH(QString, windowState);
        QFETCH(QVariantList, answers);
        QFETCH(bool, staysOpen);
        QFETCH(QString, state);
        const bool written = !staysOpen && answers.value(0) == QVariant(QStringLiteral("Yes"));

        const QByteArray oldContent = QByteArrayLiteral("old content\n");
        QVERIFY(writeFile(path(QStringLiteral("own.rtf")), oldContent));
        QVERIFY(writeFile(path(QStringLiteral("notes")), oldContent));   // a file, not a folder
        if (caption.startsWith(QLatin1Char('@')))
            caption = path(caption.mid(1));
        const bool changed = caption.endsWith(QLatin1Char('*'));
        frmDoc *doc = m_main->ActiveForm();
        doc->rtf1->SetText(QStringLiteral("Unsaved words"));
        doc->SetCaption(caption);
        doc->bChanged = changed;
        if (windowState == QLatin1String("minimized"))
            doc->subWindow()->showMinimized();
        else if (windowState == QLatin1String("maximized"))
            doc->subWindow()->showMaximized();

        queueAnswers(answers);
        m_main->close_Click();

        QCOMPARE(ModalSeam::pending(), 0);
        QCOMPARE(ModalSeam::unanswered(), 0);
        const QList<ModalSeam::Question> questions = askedOf(QStringLiteral("message"));
        QCOMPARE(questions.isEmpty(), !changed);
        if (changed)
            QCOMPARE(questions.first().text,
                     "The File : " + caption + " has changed !\r\nDo you want to save the changes ?");
        if (staysOpen) {
            QCOMPARE(m_main->documents(), QList<frmDoc *>{doc});
            QCOMPARE(doc->rtf1->Text(), QStringLiteral("Unsaved words"));
            QVERIFY(doc->bChanged);
        } else {
            QTRY_VERIFY(m_main->documents().isEmpty());
        }
        QCOMPARE(documentState(), state);

        const QByteArray own = readFile(path(QStringLiteral("own.rtf")));
        const QByteArray created = readFile(path(QStringLiteral("new.rtf")));
        QCOMPARE(own.contains("Unsaved words") || created.contains("Unsaved words"), written);
        if (!written)
            QCOMPARE(own, oldContent);
        QCOMPARE(readFile(path(QStringLiteral("notes"))), oldContent);
    }

    // Every command that needs a document says so, and nothing else happens.
    void commandsWithoutDocument()
    {
        m_main->close_Click();
        QTRY_VERIFY(m_main->documents().isEmpty());
        for (const char *command : {"save", "saveas", "saveall", "close", "closeall"}) {
            resetSeam();
            ModalSeam::queue(QStringLiteral("OK"));
            runCommand(m_main, QString::fromLatin1(command));
            QVERIFY2(ModalSeam::asked().size() == 1 && ModalSeam::asked().first().kind == QLatin1String("message"),
                     command);
        }
    }

    // Close All, the close box and File > Exit ask for every changed
    // document, newest first, and stop at Cancel.
    void closingMany_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("askedFor");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<QString>("state");

        // Document 1 is unchanged and never asked for.
        const QStringList both{"Document 3", "Document 2"};
        for (const char *command : {"closeall", "closebox", "exit"}) {
            QTest::addRow("%s, No for both: all closed", command)
                << command << QStringList{"No", "No"} << both << QStringList{} << "0";
            QTest::addRow("%s, Cancel at the first: nothing closed", command) << command << QStringList{"Cancel"}
                << QStringList{"Document 3"} << QStringList{"Document 1", "Document 2", "Document 3"} << noState;
            // Close All has closed the unchanged Document 1 on its way.
            const QStringList left = command == QByteArray("closeall") ? QStringList{"Document 2"}
                                                                       : QStringList{"Document 1", "Document 2"};
            QTest::addRow("%s, Cancel at the second: stops there", command)
                << command << QStringList{"No", "Cancel"} << both << left << "0";
        }
    }
    void closingMany()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, askedFor);
        QFETCH(QStringList, left);
        QFETCH(QString, state);

        genMod::NewDocument()->bChanged = true;
        genMod::NewDocument()->bChanged = true;
        for (const QString &answer : answers)
            ModalSeam::queue(answer);
        if (command == QLatin1String("closebox"))
            m_main->close();
        else
            runCommand(m_main, command);

        QStringList asked;
        for (const ModalSeam::Question &q : ModalSeam::asked())
            asked.append(q.text.section(QStringLiteral(" has changed"), 0, 0).mid(11));
        QCOMPARE(asked, askedFor);
        QCOMPARE(ModalSeam::unanswered(), 0);
        QTRY_COMPARE(captions(m_main), left);
        QCOMPARE(documentState(), state);
        QCOMPARE(m_main->isVisible(), command == QLatin1String("closeall") || !left.isEmpty());
    }

    void closeAllLeavesOtherWindowsAlone()
    {
        genMod::NewDocument();
        auto *other = new QDialog(m_main);   // as the find dialog would be
        other->show();
        m_main->menuFileCloseAll_Click();

        QTRY_VERIFY(m_main->documents().isEmpty());
        QVERIFY(ModalSeam::asked().isEmpty());   // no "Oops!" box
        QVERIFY(other->isVisible());
        delete other;
    }


    // A cancelled close clears bAddStar; edits after two of them once gave
    // the caption a second mark, and Save then wrote a new file named after
    // the caption less one mark ("letter.rtf*").
    void cancelledClosesLeaveOneMark()
    {
        const QString file = path(QStringLiteral("letter.rtf"));
        QVERIFY(writeFile(file, richSample()));
        QVERIFY(fileMod::OpenFile(file));
        frmDoc *doc = m_main->ActiveForm();
        for (const QString &typed : {QStringLiteral("x"), QStringLiteral("y")}) {
            QTest::keyClicks(doc->rtf1, typed);
            queueAnswers({"Cancel"});
            m_main->close_Click();
            QCOMPARE(m_main->ActiveForm(), doc);
        }
        QTest::keyClicks(doc->rtf1, QStringLiteral("z"));
        QCOMPARE(doc->Caption(), file + QLatin1Char('*'));

        runCommand(m_main, QStringLiteral("save"));
        QCOMPARE(askedOf(QStringLiteral("message")).size(), 2);   // the two close questions only
        QVERIFY(!doc->bChanged);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("letter.rtf")});
        RichTextBox reread;
        QVERIFY(reread.LoadFile(file));
        QVERIFY2(reread.Text().startsWith(QStringLiteral("xyzHello")), qPrintable(reread.Text()));
    }

    // Nor does any other way lead to a file whose name ends in the mark.
    void neverWritesToANameEndingInTheMark()
    {
        frmDoc *doc = m_main->ActiveForm();
        doc->rtf1->SetText(QStringLiteral("words"));
        doc->bChanged = true;
        queueAnswers({"@odd.txt*", 6, "OK"});   // the name, Yes to the plain-text warning, the refusal
        runCommand(m_main, QStringLiteral("save"));
        QCOMPARE(ModalSeam::pending(), 0);
        const QList<ModalSeam::Question> messages = askedOf(QStringLiteral("message"));
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().text.contains(QStringLiteral("change mark")), qPrintable(messages.first().text));
        QVERIFY(doc->bChanged);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());
    }
};

QTEST_MAIN(tst_files_close)
#include "tst_files_close.moc"
