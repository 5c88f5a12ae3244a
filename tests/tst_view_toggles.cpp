// The View menu's toggles on the main window, the Window menu's arrange
// commands and the explorer pane opening a file through the main window.
#include "QuilletTest.h"
#include "explorer/ExplorerPane.h"
#include "platform/DriveList.h"
#include "platform/FileListBox.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

class tst_view_toggles : public QObject
{
    Q_OBJECT
    frmMain *m_main = nullptr;

private slots:
    void initTestCase() { QuilletTest::isolate(); }
    void init() { m_main = QuilletTest::startMain(); }
    void cleanup() { QuilletTest::finish(std::exchange(m_main, nullptr)); }

    void toggles_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("element");
        QTest::newRow("explorer pane") << "menuViewFileExplorer" << "picFileBar";
        QTest::newRow("indentation ruler") << "menuViewRulerIndent" << "picSlider1";
        QTest::newRow("hanging indent ruler") << "menuViewRulerHangingIndent" << "picSlider2";
        QTest::newRow("scale") << "menuViewRulerScale" << "picRuler";
        QTest::newRow("standard bar") << "standard" << "stdbar";
        QTest::newRow("format bar") << "format" << "formatbar";
        QTest::newRow("font bar") << "menuViewToolbarFontbar" << "picFont";
        QTest::newRow("status bar") << "statusbar" << "stsbar";
    }
    void toggles()
    {
        QFETCH(QString, entry);
        QFETCH(QString, element);
        QAction *action = m_main->Menu(entry);
        auto *widget = m_main->findChild<QWidget *>(element);
        QVERIFY(action && widget);
        QVERIFY(action->isChecked());
        QVERIFY(widget->isVisible());
        action->trigger();
        QVERIFY(!action->isChecked());
        QVERIFY(widget->isHidden());
        action->trigger();
        QVERIFY(action->isChecked());
        QVERIFY(widget->isVisible());
    }

    void hidingEveryRulerTakesTheRebarAway()
    {
        for (const char *name : {"menuViewRulerIndent", "menuViewRulerHangingIndent", "menuViewRulerScale"})
            m_main->Menu(QLatin1String(name))->trigger();
        QVERIFY(m_main->cbrRuler->isHidden());
        m_main->Menu(QStringLiteral("menuViewRulerScale"))->trigger();
        QVERIFY(m_main->cbrRuler->isVisible());
        QVERIFY(m_main->picRuler->isVisible());
        QVERIFY(m_main->picSlider1->isHidden());
    }

    void hidingThePaneKeepsTreeAndList()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("a/b"));
        DriveList::setOverride({{dir.path() + "/", "TEST", DriveList::DriveFixed}});
        m_main->explorer->FillDriveTree();
        QTreeWidgetItem *drive = m_main->tvwFolders->topLevelItem(0);
        drive->setExpanded(true);
        m_main->explorer->tvwFolders_NodeClick(drive->child(0));
        QAction *entry = m_main->Menu(QStringLiteral("menuViewFileExplorer"));
        entry->trigger();
        entry->trigger();
        QVERIFY(drive->isExpanded());
        QCOMPARE(m_main->File1->Path(), dir.path() + "/a");
        DriveList::setOverride({});
    }

    void fileClickOpensAWindow()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath("note.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("hello");
        file.close();
        QCOMPARE(m_main->File1->SetPath(dir.path()), 0);
        FileListBox *list = m_main->File1;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        QCOMPARE(m_main->ActiveForm()->rtf1->Text(), QStringLiteral("hello"));
        QCOMPARE(m_main->ActiveForm()->Caption(), dir.filePath("note.txt"));
    }

    void arrangeCommands()
    {
        genMod::NewDocument();
        genMod::NewDocument();
        m_main->Menu(QStringLiteral("tilev"))->trigger();
        const QList<QMdiSubWindow *> windows = m_main->mdiArea->subWindowList();
        const int width = m_main->mdiArea->viewport()->width();
        for (QMdiSubWindow *w : windows)
            QVERIFY(qAbs(w->width() - width / 3) <= 1);
        m_main->Menu(QStringLiteral("tileh"))->trigger();
        for (QMdiSubWindow *w : windows)
            QCOMPARE(w->width(), width);
    }
};

QTEST_MAIN(tst_view_toggles)
#include "tst_view_toggles.moc"
