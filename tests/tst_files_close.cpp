// Closing: the unsaved-change question and its answers, the recorded
// window state, Close, Close All and closing the main window.

#include "FilesTestSupport.h"

#include <QDialog>
#include <QDir>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

using namespace FilesTestSupport;

class tst_files_close : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void closeQuestion_data();
    void closeQuestion();
    void closeWithoutDocument();
    void closeAllAsksEveryChangedDocument();
    void closeAllStopsOnCancel();
    void closeAllLeavesOtherWindowsAlone();
    void mainWindowCloseAsksEveryChangedDocument_data();
    void mainWindowCloseAsksEveryChangedDocument();

private:
    QTemporaryDir m_config;
    QTemporaryDir m_logs;
    QTemporaryDir *m_dir = nullptr;
    frmMain *m_main = nullptr;
};

void tst_files_close::initTestCase()
{
    QVERIFY(m_config.isValid());
    prepareEnvironment(m_config.path(), m_logs.path());
}

void tst_files_close::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_main = startMainWindow();
}

void tst_files_close::cleanup()
{
    discardMainWindow(m_main);
    delete m_dir;
    m_dir = nullptr;
}

void tst_files_close::closeQuestion_data()
{
    QTest::addColumn<bool>("changed");
    QTest::addColumn<QString>("caption");        // "@name" = a file in the folder
    QTest::addColumn<QString>("windowState");    // normal, minimized, maximized
    QTest::addColumn<QVariantList>("answers");
    QTest::addColumn<bool>("staysOpen");
    QTest::addColumn<QString>("state");          // "Document State" afterwards
    QTest::addColumn<bool>("written");

    const QString unset = noState();
    QTest::newRow("unchanged: no question, no state")
        << false << "@own.rtf" << "normal" << QVariantList{} << false << unset << false;
    QTest::newRow("No: nothing written, state 0")
        << true << "@own.rtf*" << "normal" << QVariantList{"No"} << false << "0" << false;
    QTest::newRow("No while maximized: state 2")
        << true << "@own.rtf*" << "maximized" << QVariantList{"No"} << false << "2" << false;
    QTest::newRow("No while minimized: no state")
        << true << "@own.rtf*" << "minimized" << QVariantList{"No"} << false << unset << false;
    QTest::newRow("Cancel: stays, no state")
        << true << "@own.rtf*" << "normal" << QVariantList{"Cancel"} << true << unset << false;
    QTest::newRow("Yes on its own file: written, state 0")
        << true << "@own.rtf*" << "normal" << QVariantList{"Yes"} << false << "0" << true;
    QTest::newRow("Yes on a new document: saved through the dialog")
        << true << "Document 1*" << "normal" << QVariantList{"Yes", "@new.rtf"} << false << "0" << true;
    QTest::newRow("Yes, save dialog cancelled: stays open")
        << true << "Document 1*" << "normal" << QVariantList{"Yes", QString()} << true << unset << false;
    QTest::newRow("Yes, write fails: stays open")
        << true << "@notes/own.rtf*" << "normal" << QVariantList{"Yes", "OK"} << true << unset << false;
}

void tst_files_close::closeQuestion()
{
    QFETCH(bool, changed);
    QFETCH(QString, caption);
    QFETCH(QString, windowState);
    QFETCH(QVariantList, answers);
    QFETCH(bool, staysOpen);
    QFETCH(QString, state);
    QFETCH(bool, written);

    const QByteArray oldContent = QByteArrayLiteral("old content\n");
    QVERIFY(writeFile(m_dir->filePath(QStringLiteral("own.rtf")), oldContent));
    QVERIFY(writeFile(m_dir->filePath(QStringLiteral("notes")), oldContent));   // a file, not a folder
    if (caption.startsWith(QLatin1Char('@')))
        caption = m_dir->filePath(caption.mid(1));

    frmDoc *doc = m_main->ActiveForm();
    doc->rtf1->SetText(QStringLiteral("Unsaved words"));
    doc->SetCaption(caption);
    doc->bChanged = changed;
    if (windowState == QLatin1String("minimized"))
        doc->subWindow()->showMinimized();
    else if (windowState == QLatin1String("maximized"))
        doc->subWindow()->showMaximized();
    QPointer<frmDoc> guard(doc);

    for (const QVariant &answer : answers) {
        const QString text = answer.toString();
        ModalSeam::queue(text.startsWith(QLatin1Char('@')) ? QVariant(m_dir->filePath(text.mid(1))) : answer);
    }
    m_main->close_Click();

    QCOMPARE(ModalSeam::pending(), 0);
    QCOMPARE(ModalSeam::unanswered(), 0);
    const QList<ModalSeam::Question> questions = askedOf(QStringLiteral("message"));
    if (changed) {
        QVERIFY(!questions.isEmpty());
        QCOMPARE(questions.first().title, QStringLiteral("Quillet"));
        QCOMPARE(questions.first().text, QStringLiteral("The File : ") + caption
                                             + QStringLiteral(" has changed !\r\nDo you want to save the changes ?"));
    } else {
        QVERIFY(questions.isEmpty());
    }

    if (staysOpen) {
        QVERIFY(!guard.isNull());
        QCOMPARE(m_main->documents(), QList<frmDoc *>{doc});
        QCOMPARE(doc->rtf1->Text(), QStringLiteral("Unsaved words"));
        QVERIFY(doc->bChanged);
    } else {
        QTRY_VERIFY(m_main->documents().isEmpty());
    }
    QCOMPARE(documentState(), state);

    const QByteArray own = readFile(m_dir->filePath(QStringLiteral("own.rtf")));
    const QByteArray created = readFile(m_dir->filePath(QStringLiteral("new.rtf")));
    QCOMPARE(own.contains("Unsaved words") || created.contains("Unsaved words"), written);
    if (!written)
        QCOMPARE(own, oldContent);
    QCOMPARE(readFile(m_dir->filePath(QStringLiteral("notes"))), oldContent);
}

void tst_files_close::closeWithoutDocument()
{
    m_main->close_Click();
    QTRY_VERIFY(m_main->documents().isEmpty());
    for (auto command : {&frmMain::close_Click, &frmMain::menuFileCloseAll_Click}) {
        ModalSeam::reset();
        ModalSeam::setStrict(true);
        ModalSeam::queue(QStringLiteral("OK"));
        (m_main->*command)();
        QCOMPARE(ModalSeam::asked().size(), 1);
        QCOMPARE(ModalSeam::asked().first().text, QStringLiteral("No open documents !"));
        QCOMPARE(ModalSeam::asked().first().title, QStringLiteral("Quillet"));
    }
}

void tst_files_close::closeAllAsksEveryChangedDocument()
{
    // Document 1 unchanged: closed without a question.
    genMod::NewDocument()->bChanged = true;
    genMod::NewDocument()->bChanged = true;

    ModalSeam::queue(QStringLiteral("No"));
    ModalSeam::queue(QStringLiteral("No"));
    m_main->menuFileCloseAll_Click();

    const QList<ModalSeam::Question> questions = askedOf(QStringLiteral("message"));
    QCOMPARE(questions.size(), 2);
    QVERIFY(questions.at(0).text.startsWith(QStringLiteral("The File : Document 3 ")));
    QVERIFY(questions.at(1).text.startsWith(QStringLiteral("The File : Document 2 ")));
    QCOMPARE(ModalSeam::asked().size(), 2);
    QTRY_VERIFY(m_main->documents().isEmpty());
    QCOMPARE(documentState(), QStringLiteral("0"));
}

void tst_files_close::closeAllStopsOnCancel()
{
    frmDoc *first = m_main->ActiveForm();
    first->bChanged = true;
    frmDoc *second = genMod::NewDocument();
    second->bChanged = true;

    ModalSeam::queue(QStringLiteral("Cancel"));
    m_main->menuFileCloseAll_Click();

    // Asked once; nothing closed, nothing asked again.
    QCOMPARE(ModalSeam::asked().size(), 1);
    QCOMPARE(ModalSeam::unanswered(), 0);
    QCOMPARE(m_main->documents(), (QList<frmDoc *>{first, second}));
    QCOMPARE(m_main->ActiveForm(), second);
    QCOMPARE(documentState(), noState());
}

void tst_files_close::closeAllLeavesOtherWindowsAlone()
{
    genMod::NewDocument();
    // Another window of the program, as the find dialog would be.
    auto *other = new QDialog(m_main);
    other->show();

    m_main->menuFileCloseAll_Click();

    QTRY_VERIFY(m_main->documents().isEmpty());
    QVERIFY(ModalSeam::asked().isEmpty());   // no "Oops!" box
    QVERIFY(other->isVisible());
    delete other;
}

void tst_files_close::mainWindowCloseAsksEveryChangedDocument_data()
{
    QTest::addColumn<bool>("throughExit");
    QTest::addColumn<QString>("lastAnswer");
    QTest::addColumn<bool>("mainStaysOpen");

    QTest::newRow("close box, No for both") << false << "No" << false;
    QTest::newRow("close box, Cancel for the second") << false << "Cancel" << true;
    QTest::newRow("File > Exit, No for both") << true << "No" << false;
    QTest::newRow("File > Exit, Cancel for the second") << true << "Cancel" << true;
}

void tst_files_close::mainWindowCloseAsksEveryChangedDocument()
{
    QFETCH(bool, throughExit);
    QFETCH(QString, lastAnswer);
    QFETCH(bool, mainStaysOpen);

    frmDoc *first = m_main->ActiveForm();
    first->bChanged = true;
    genMod::NewDocument()->bChanged = true;
    genMod::NewDocument();

    ModalSeam::queue(QStringLiteral("No"));
    ModalSeam::queue(lastAnswer);
    if (throughExit)
        m_main->exit_Click();
    else
        m_main->close();

    QCOMPARE(askedOf(QStringLiteral("message")).size(), 2);
    QCOMPARE(ModalSeam::unanswered(), 0);
    QCOMPARE(m_main->isVisible(), mainStaysOpen);
    if (mainStaysOpen) {
        QTRY_COMPARE(m_main->documents(), QList<frmDoc *>{first});
        QVERIFY(first->bChanged);
    }
}

QTEST_MAIN(tst_files_close)
#include "tst_files_close.moc"
