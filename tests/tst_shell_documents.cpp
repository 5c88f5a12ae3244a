// Document windows: numbering, what a new window holds, and its close.
#include "QuilletTest.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>

class tst_shell_documents : public QObject
{
    Q_OBJECT
    frmMain *m_main = nullptr;

    QStringList captions() const
    {
        QStringList result;
        for (frmDoc *doc : m_main->documents())
            result << doc->Caption();
        return result;
    }

private slots:
    void initTestCase() { QuilletTest::isolate(); }
    void init() { m_main = QuilletTest::startMain(); }
    void cleanup() { QuilletTest::finish(std::exchange(m_main, nullptr)); }

    void numbering()
    {
        // Each way of asking for a new window takes the next number.
        m_main->Menu("new")->trigger();
        m_main->Menu("newind")->trigger();
        m_main->Button("new")->trigger();
        QCOMPARE(captions(), QStringList({"Document 1", "Document 2", "Document 3", "Document 4"}));
        QCOMPARE(m_main->ActiveForm()->Caption(), QStringLiteral("Document 4"));

        // Numbers are not reused, not even once every window is closed.
        QVERIFY(m_main->documents().at(1)->subWindow()->close());
        QCOMPARE(captions(), QStringList({"Document 1", "Document 3", "Document 4"}));
        m_main->new_Click();
        QCOMPARE(m_main->ActiveForm()->Caption(), QStringLiteral("Document 5"));
        m_main->mdiArea->closeAllSubWindows();
        QVERIFY(m_main->documents().isEmpty());
        m_main->new_Click();

        // Documents made for dropped files have a counter of their own, and
        // making one reports no error.
        frmDoc *dropped = modDocument::CreateNewDocument();
        QCOMPARE(m_main->ActiveForm(), dropped);
        m_main->new_Click();
        QVERIFY(modDocument::CreateNewDocument());
        QCOMPARE(captions(), QStringList({"Document 6", "Document 1", "Document 7", "Document 2"}));
        QVERIFY(ModalSeam::asked().isEmpty());
    }

    void newWindows()
    {
        frmDoc *first = m_main->ActiveForm();
        frmDoc *second = genMod::NewDocument();
        for (frmDoc *doc : {first, second}) {
            QVERIFY(doc && doc->subWindow());
            QCOMPARE(doc->rtf1->FontName(), QStringLiteral("Verdana"));
            QCOMPARE(doc->rtf1->FontSize(), 10.0);
            QVERIFY(!doc->bChanged && !doc->bAddStar && doc->rtf1->Text().isEmpty());
            QCOMPARE(doc->subWindow()->windowTitle(), doc->Caption());
        }
        QCOMPARE(m_main->ActiveForm(), second);
        m_main->mdiArea->setActiveSubWindow(first->subWindow());
        QCOMPARE(m_main->ActiveForm(), first);
        QCOMPARE(m_main->documents(), QList<frmDoc *>({first, second}));

        QCOMPARE(first->WindowState(), 0);
        const std::pair<void (QWidget::*)(), int> states[] = {
            {&QWidget::showMaximized, 2}, {&QWidget::showMinimized, 1}, {&QWidget::showNormal, 0}};
        for (const auto &[show, state] : states) {
            (first->subWindow()->*show)();
            QCOMPARE(first->WindowState(), state);
        }
    }

    // However many windows are opened, each new one lies wholly inside the
    // visible area; one moved past its edges can still be scrolled to.
    void newWindowsCanBeReached()
    {
        QMdiArea *area = m_main->mdiArea;
        for (int i = 0; i < 12; ++i) {
            m_main->new_Click();
            const QRect window = m_main->ActiveForm()->subWindow()->geometry();
            QVERIFY2(area->viewport()->rect().contains(window),
                     qPrintable(QStringLiteral("window %1 at %2,%3 %4x%5").arg(i + 2)
                                    .arg(window.x()).arg(window.y()).arg(window.width()).arg(window.height())));
        }

        QMdiSubWindow *sub = m_main->ActiveForm()->subWindow();
        sub->move(area->viewport()->width() - 40, area->viewport()->height() - 40);
        QTRY_VERIFY(area->horizontalScrollBar()->isVisible());
        QTRY_VERIFY(area->verticalScrollBar()->isVisible());
        area->horizontalScrollBar()->setValue(area->horizontalScrollBar()->maximum());
        area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum());
        QTRY_VERIFY(area->viewport()->rect().contains(sub->geometry()));
    }

    void fileNameDropsOneChangeMark_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("untitled, changed") << "Document 1*" << "Document 1";
        QTest::newRow("path, changed") << "/home/a/notes.rtf*" << "/home/a/notes.rtf";
        QTest::newRow("only the last mark") << "odd**" << "odd*";
        QTest::newRow("mark alone") << "*" << "";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("no mark at the end") << "a*b" << "a*b";
    }

    void fileNameDropsOneChangeMark()
    {
        QFETCH(QString, caption);
        QFETCH(QString, fileName);
        m_main->ActiveForm()->SetCaption(caption);
        QCOMPARE(m_main->ActiveForm()->FileName(), fileName);
    }

    void closingTheLastWindow()
    {
        // The close request drops the change mark and empties the statistics
        // of the closing document; the last close leaves no active form.
        frmDoc *doc = m_main->ActiveForm();
        doc->bAddStar = true;
        bool cancel = false;
        doc->Form_QueryUnload(cancel, 0);
        QVERIFY(!doc->bAddStar);
        for (int panel : {frmMain::PanelLine, frmMain::PanelLines, frmMain::PanelWords})
            m_main->Panel(panel)->setText(QStringLiteral("stale"));
        QVERIFY(doc->subWindow()->close());
        QVERIFY(!m_main->ActiveForm() && m_main->documents().isEmpty());
        for (int panel : {frmMain::PanelLine, frmMain::PanelLines, frmMain::PanelWords})
            QCOMPARE(m_main->Panel(panel)->text(), QString());
        QCOMPARE(m_main->Panel(frmMain::PanelLineLabel)->text(), QStringLiteral("Line #:"));
    }
};

QTEST_MAIN(tst_shell_documents)
#include "tst_shell_documents.moc"
