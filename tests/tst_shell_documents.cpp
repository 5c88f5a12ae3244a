// Document windows: numbering, what a new window holds, and its close.
#include "documents/frmDoc.h"
#include "documents/modDocument.h"
#include "platform/ModalSeam.h"
#include "platform/RichTextBox.h"
#include "shell/frmMain.h"
#include "shell/genMod.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTest>

class tst_shell_documents : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void numbering_data();
    void numbering();
    void numbersAreNotReused();
    void countersAreIndependent();
    void newWindowIsActiveVerdana10();
    void loadShowsTheDocumentMenus();
    void closeRequestClearsStatisticsAndMark();
    void fileNameDropsOneChangeMark_data();
    void fileNameDropsOneChangeMark();
    void windowState();
    void activeFormFollowsTheMdiArea();
    void closingTheLastWindowLeavesNoActiveForm();

private:
    QStringList captions() const;
    QTemporaryDir m_config;
    frmMain *m_main = nullptr;
};

void tst_shell_documents::initTestCase()
{
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    ModalSeam::setStrict(true);
}

void tst_shell_documents::init()
{
    ModalSeam::reset();
    genMod::ResetNewDocumentCounter();
    modDocument::ResetCreatedDocumentCounter();
    m_main = new frmMain;
    m_main->MDIForm_Load();
    m_main->show();
}

void tst_shell_documents::cleanup()
{
    delete m_main;
    m_main = nullptr;
    QCOMPARE(ModalSeam::unanswered(), 0);
}

QStringList tst_shell_documents::captions() const
{
    QStringList result;
    for (frmDoc *doc : m_main->documents())
        result << doc->Caption();
    return result;
}

void tst_shell_documents::numbering_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("File > New") << "new";
    QTest::newRow("Window > New Window") << "newind";
    QTest::newRow("new button") << "button:new";
}

void tst_shell_documents::numbering()
{
    QFETCH(QString, command);
    QAction *action = command.startsWith(QLatin1String("button:"))
                          ? m_main->Button(command.mid(7))
                          : m_main->Menu(command);
    QVERIFY(action);
    for (int i = 0; i < 3; ++i)
        action->trigger();
    QCOMPARE(captions(), QStringList({"Document 1", "Document 2", "Document 3", "Document 4"}));
    QCOMPARE(m_main->ActiveForm()->Caption(), QStringLiteral("Document 4"));
}

void tst_shell_documents::numbersAreNotReused()
{
    for (int i = 0; i < 3; ++i)
        m_main->new_Click();
    frmDoc *second = m_main->documents().at(1);
    QCOMPARE(second->Caption(), QStringLiteral("Document 2"));
    QVERIFY(second->subWindow()->close());
    QCOMPARE(captions(), QStringList({"Document 1", "Document 3", "Document 4"}));

    m_main->new_Click();
    QCOMPARE(m_main->ActiveForm()->Caption(), QStringLiteral("Document 5"));

    // Closing every window does not start the count again either.
    m_main->mdiArea->closeAllSubWindows();
    QVERIFY(m_main->documents().isEmpty());
    QVERIFY(!m_main->ActiveForm());
    m_main->new_Click();
    QCOMPARE(captions(), QStringList({"Document 6"}));
}

void tst_shell_documents::countersAreIndependent()
{
    m_main->new_Click();
    m_main->new_Click();   // the new-document counter is at 3

    frmDoc *dropped = modDocument::CreateNewDocument();
    QVERIFY(dropped);
    QCOMPARE(dropped->Caption(), QStringLiteral("Document 1"));
    QCOMPARE(m_main->ActiveForm(), dropped);

    m_main->new_Click();
    QCOMPARE(m_main->ActiveForm()->Caption(), QStringLiteral("Document 4"));
    QCOMPARE(modDocument::CreateNewDocument()->Caption(), QStringLiteral("Document 2"));
    QCOMPARE(captions(), QStringList({"Document 1", "Document 2", "Document 3", "Document 1",
                                      "Document 4", "Document 2"}));
    QVERIFY(ModalSeam::asked().isEmpty());   // no error was reported
}

void tst_shell_documents::newWindowIsActiveVerdana10()
{
    for (int i = 0; i < 2; ++i) {
        frmDoc *doc = i == 0 ? m_main->ActiveForm() : genMod::NewDocument();
        QVERIFY(doc);
        QCOMPARE(m_main->ActiveForm(), doc);
        QCOMPARE(doc->rtf1->FontName(), QStringLiteral("Verdana"));
        QCOMPARE(doc->rtf1->FontSize(), 10.0);
        QVERIFY(!doc->bChanged);
        QVERIFY(!doc->bAddStar);
        QVERIFY(doc->rtf1->Text().isEmpty());
        QVERIFY(doc->subWindow());
        QCOMPARE(doc->subWindow()->windowTitle(), doc->Caption());
    }
}

void tst_shell_documents::loadShowsTheDocumentMenus()
{
    const QStringList menus = {"edit", "formatmenu", "menuTools", "menuInsert"};
    for (const QString &name : menus) {
        m_main->Menu(name)->setEnabled(false);
        m_main->Menu(name)->setVisible(false);
    }
    m_main->new_Click();
    for (const QString &name : menus) {
        QVERIFY2(m_main->Menu(name)->isEnabled(), qPrintable(name));
        QVERIFY2(m_main->Menu(name)->isVisible(), qPrintable(name));
    }
}

void tst_shell_documents::closeRequestClearsStatisticsAndMark()
{
    frmDoc *doc = m_main->ActiveForm();
    for (int panel : {3, 5, 7})
        m_main->Panel(panel)->setText(QStringLiteral("42"));
    doc->bAddStar = true;
    bool cancel = false;
    doc->Form_QueryUnload(cancel, 0);
    QVERIFY(!cancel);
    QVERIFY(!doc->bAddStar);
    for (int panel : {3, 5, 7})
        QCOMPARE(m_main->Panel(panel)->text(), QString());
    QCOMPARE(m_main->Panel(2)->text(), QStringLiteral("Line #:"));
}

void tst_shell_documents::fileNameDropsOneChangeMark_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("untitled") << "Document 1" << "Document 1";
    QTest::newRow("untitled, changed") << "Document 1*" << "Document 1";
    QTest::newRow("path, changed") << "/home/a/notes.rtf*" << "/home/a/notes.rtf";
    QTest::newRow("only the last mark") << "odd**" << "odd*";
    QTest::newRow("mark alone") << "*" << "";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("mark inside") << "a*b" << "a*b";
}

void tst_shell_documents::fileNameDropsOneChangeMark()
{
    QFETCH(QString, caption);
    QFETCH(QString, fileName);
    frmDoc *doc = m_main->ActiveForm();
    doc->SetCaption(caption);
    QCOMPARE(doc->Caption(), caption);
    QCOMPARE(doc->FileName(), fileName);
}

void tst_shell_documents::windowState()
{
    frmDoc *doc = m_main->ActiveForm();
    QCOMPARE(doc->WindowState(), 0);
    doc->subWindow()->showMaximized();
    QCOMPARE(doc->WindowState(), 2);
    doc->subWindow()->showMinimized();
    QCOMPARE(doc->WindowState(), 1);
    doc->subWindow()->showNormal();
    QCOMPARE(doc->WindowState(), 0);
}

void tst_shell_documents::activeFormFollowsTheMdiArea()
{
    frmDoc *first = m_main->ActiveForm();
    frmDoc *second = genMod::NewDocument();
    QCOMPARE(m_main->ActiveForm(), second);
    m_main->mdiArea->setActiveSubWindow(first->subWindow());
    QCOMPARE(m_main->ActiveForm(), first);
    QCOMPARE(m_main->documents(), QList<frmDoc *>({first, second}));
}

void tst_shell_documents::closingTheLastWindowLeavesNoActiveForm()
{
    frmDoc *doc = m_main->ActiveForm();
    for (int panel : {3, 5, 7})
        m_main->Panel(panel)->setText(QStringLiteral("stale"));
    QVERIFY(doc->subWindow()->close());
    QVERIFY(!m_main->ActiveForm());
    QVERIFY(m_main->documents().isEmpty());
    // The close request emptied the statistics of the closed document.
    for (int panel : {3, 5, 7})
        QCOMPARE(m_main->Panel(panel)->text(), QString());
}

QTEST_MAIN(tst_shell_documents)
#include "tst_shell_documents.moc"
