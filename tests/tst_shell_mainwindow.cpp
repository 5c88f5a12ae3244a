// The main window as the user meets it: menus, toolbars, font bar, status
// bar, layout, and closing it with documents open.
#include "QuilletTest.h"
#include "platform/FileListBox.h"
#include "platform/RegistryStore.h"
#include "platform/ScreenFonts.h"
#include "shell/modRegistry.h"

#include <QDialog>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QSlider>
#include <QStatusBar>
#include <QStyleFactory>
#include <QToolBar>
#include <QTreeWidget>

namespace {
// Counts close requests and, while refusing, turns them down as a document
// whose user answers Cancel does.
struct CloseWatcher : QObject
{
    int asked = 0;
    bool refuse = false;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::Close)
            return false;
        ++asked;
        event->setAccepted(!refuse);
        return refuse;
    }
};
}

class tst_shell_mainwindow : public QObject
{
    Q_OBJECT
    frmMain *m_main = nullptr;

private slots:
    void initTestCase()
    {
        QuilletTest::isolate();
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    }
    void init() { m_main = QuilletTest::startMain(); }
    void cleanup() { QuilletTest::finish(std::exchange(m_main, nullptr)); }

    // A button that runs a menu command is that entry's own action, so the
    // two cannot disagree about being enabled or checked.
    void buttonsShareTheirMenuCommand_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("menu");
        QTest::newRow("save") << "save" << "save";
        QTest::newRow("print") << "print" << "menuPrint";
        QTest::newRow("help") << "help" << "contents";
        QTest::newRow("bold") << "bold" << "menuFormatFontBold";
        QTest::newRow("bullet") << "bullet" << "menuInsertBullets";
    }

    void buttonsShareTheirMenuCommand()
    {
        QFETCH(QString, key);
        QFETCH(QString, menu);
        QAction *button = m_main->Button(key);
        QVERIFY(button);
        QCOMPARE(button, m_main->Menu(menu));
        QCOMPARE(button->objectName(), menu);
        QVERIFY(m_main->stdbar->actions().contains(button) || m_main->formatbar->actions().contains(button));
        button->setEnabled(false);
        QVERIFY(!m_main->Menu(menu)->isEnabled());
    }

    // The alignment buttons act apart from the Alignment menu's commands.
    void alignmentButtonsAreTheirOwn()
    {
        QVERIFY(m_main->Button(QStringLiteral("left")) != m_main->Menu(QStringLiteral("mnuFormatAlignLeft")));
        QCOMPARE(m_main->Button(QStringLiteral("redo"))->objectName(), QStringLiteral("redo"));
    }

    void afterLoad()
    {
        // Every screen font family once, in the platform's order: nothing
        // dropped at either end of the list.
        QStringList fonts;
        for (int i = 0; i < m_main->Combo1->count(); ++i)
            fonts << m_main->Combo1->itemText(i);
        QCOMPARE(fonts, ScreenFonts::families());
        QCOMPARE(m_main->Combo1->currentText(), QStringLiteral("Verdana"));
        QVERIFY(m_main->Panel(1) && m_main->Panel(11) && !m_main->Panel(0) && !m_main->Panel(12));

        // Top to bottom: the three toolbar rows, the rulers, the document area
        // with the explorer pane at its left, then the status bar.
        const QList<QList<QWidget *>> downwards = {
            {m_main->stdbar, m_main->picFont, m_main->formatbar, m_main->cbrRuler, m_main->mdiArea, m_main->stsbar},
            {m_main->picSlider1, m_main->picSlider2, m_main->picRuler}, {m_main->tvwFolders, m_main->File1}};
        for (const QList<QWidget *> &chain : downwards) {
            for (int i = 1; i < chain.size(); ++i)
                QVERIFY2(chain[i - 1]->mapTo(m_main, QPoint()).y() < chain[i]->mapTo(m_main, QPoint()).y(),
                         qPrintable(chain[i]->objectName()));
        }
        QVERIFY(m_main->picFileBar->mapTo(m_main, QPoint()).x() < m_main->mdiArea->mapTo(m_main, QPoint()).x());

        // Every bar starts shown, its View entry checked. Document 1 is empty:
        // nothing to find yet.
        const std::pair<const char *, QWidget *> bars[] = {
            {"standard", m_main->stdbar}, {"format", m_main->formatbar}, {"menuViewToolbarFontbar", m_main->picFont},
            {"statusbar", m_main->stsbar}, {"menuViewRulerIndent", m_main->sliderIndent},
            {"menuViewRulerHangingIndent", m_main->sliderHangingIndent}, {"menuViewRulerScale", m_main->picRuler},
            {"menuViewFileExplorer", m_main->picFileBar}};
        for (const auto &[toggle, bar] : bars)
            QVERIFY2(m_main->Menu(toggle)->isChecked() && bar->isVisible(), toggle);
        QVERIFY(!m_main->Menu("find")->isEnabled() && !m_main->Button("find")->isEnabled());
        QVERIFY(m_main->formatbar->isEnabled());
    }

    void firstRunCreatesTheSettingsKey()
    {
        delete m_main;
        QTemporaryDir fresh;
        qputenv("XDG_CONFIG_HOME", fresh.path().toLocal8Bit());
        QVERIFY(!RegistryStore::keyExists(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey));
        // A first run shows the tip of the day; the user closes it.
        ModalSeam::queue(QVariant(QStringLiteral("OK")));
        m_main = new frmMain;
        m_main->MDIForm_Load();
        QVERIFY(RegistryStore::keyExists(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey));
        QuilletTest::isolate();   // back to the store the other tests share
    }

    void windowListMenu()
    {
        m_main->new_Click();
        QMenu *window = m_main->Menu("window")->menu();
        emit window->aboutToShow();
        QStringList listed;
        for (QAction *a : window->actions()) {
            if (a->objectName().startsWith(QLatin1String("windowList")))
                listed << a->text() + (a->isChecked() ? QStringLiteral(" (active)") : QString());
        }
        QCOMPARE(listed, QStringList({"&1 Document 1", "&2 Document 2 (active)"}));

        // Choosing an entry activates that window; the list is rebuilt, not grown.
        window->actions().at(window->actions().size() - 2)->trigger();
        QCOMPARE(m_main->ActiveForm()->Caption(), QStringLiteral("Document 1"));
        emit window->aboutToShow();
        QCOMPARE(window->actions().size(), 6 + 1 + 2);
    }

    void exitAsksEveryDocumentAndCancelKeepsQuilletOpen()
    {
        m_main->new_Click();
        m_main->new_Click();
        CloseWatcher documents;
        documents.refuse = true;
        for (frmDoc *doc : m_main->documents())
            doc->installEventFilter(&documents);

        // The first Cancel stops the close, from the menu and from the close box.
        m_main->exit_Click();
        QCOMPARE(documents.asked, 1);
        QVERIFY(m_main->isVisible());
        // Closing while minimized restores the window first, so the question shows.
        m_main->showMinimized();
        QVERIFY(!m_main->close());
        QCOMPARE(documents.asked, 2);
        QVERIFY(m_main->isMaximized());
        QCOMPARE(m_main->documents().size(), 3);

        // A modeless window of the program (a find dialog, say) and a loaded but
        // hidden one go with the main window; nothing is left behind on screen.
        QPointer<QDialog> tool = new QDialog;
        tool->setAttribute(Qt::WA_DeleteOnClose);
        tool->show();
        QWidget hidden;
        CloseWatcher hiddenWatcher;
        hidden.installEventFilter(&hiddenWatcher);

        documents.refuse = false;
        m_main->Menu("exit")->trigger();
        QCOMPARE(documents.asked, 2 + 3);   // every document, through its own close
        QVERIFY(m_main->documents().isEmpty());
        QVERIFY(!m_main->isVisible());
        QTRY_VERIFY(!tool);
        QCOMPARE(hiddenWatcher.asked, 1);
    }
};

QTEST_MAIN(tst_shell_mainwindow)
#include "tst_shell_mainwindow.moc"
