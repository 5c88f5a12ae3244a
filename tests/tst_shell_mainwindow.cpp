// The main window as the user meets it: menus, toolbars, font bar, status
// bar, layout, and closing it with documents open.
#include "documents/frmDoc.h"
#include "platform/ModalSeam.h"
#include "platform/RegistryStore.h"
#include "platform/RichTextBox.h"
#include "shell/frmMain.h"
#include "shell/genMod.h"
#include "shell/modRegistry.h"
#include "documents/modDocument.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QPointer>
#include <QFontDatabase>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSlider>
#include <QStatusBar>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>
#include <QListWidget>

namespace {
// Refuses every close request, as a document whose user answers Cancel does.
class RefuseClose : public QObject
{
public:
    using QObject::QObject;
    int asked = 0;
    bool refuse = true;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::Close)
            return false;
        ++asked;
        if (!refuse)
            return false;
        event->ignore();
        return true;
    }
};
}

class tst_shell_mainwindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void menuBarOrder();
    void menuEntries_data();
    void menuEntries();
    void toolbarButtons_data();
    void toolbarButtons();
    void fontBarLists();
    void statusPanels();
    void layoutAfterLoad();
    void loadState();
    void firstRunCreatesTheSettingsKey();
    void windowListMenu();
    void exitClosesEveryDocument();
    void exitCancelKeepsQuilletOpen();
    void closeWhileMinimizedMaximizesFirst();
    void unloadClosesTheOtherWindows();

private:
    QTemporaryDir m_config;
    frmMain *m_main = nullptr;
};

void tst_shell_mainwindow::initTestCase()
{
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    ModalSeam::setStrict(true);
}

void tst_shell_mainwindow::init()
{
    ModalSeam::reset();
    genMod::ResetNewDocumentCounter();
    modDocument::ResetCreatedDocumentCounter();
    m_main = new frmMain;
    m_main->MDIForm_Load();
    m_main->show();
}

void tst_shell_mainwindow::cleanup()
{
    delete m_main;
    m_main = nullptr;
    QCOMPARE(ModalSeam::unanswered(), 0);
}

void tst_shell_mainwindow::menuBarOrder()
{
    QStringList names;
    for (QAction *a : m_main->menuBar()->actions())
        names << a->objectName();
    QCOMPARE(names, QStringList({"file", "edit", "menuInsert", "view", "formatmenu", "menuTools",
                                 "window", "help"}));
    QStringList captions;
    for (QAction *a : m_main->menuBar()->actions())
        captions << a->text();
    QCOMPARE(captions, QStringList({"&File", "&Edit", "&Insert", "&View", "F&ormat", "&Tools",
                                    "&Window", "&Help"}));
}

void tst_shell_mainwindow::menuEntries_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QStringList>("entries");   // name|caption|shortcut, "-" captions separators

    QTest::newRow("file") << "file" << QStringList{
        "new|&New|Ctrl+N", "open|&Open|Ctrl+O", "close|&Close|", "menuFileCloseAll|Cl&ose All|",
        "dash|-|", "save|&Save|Ctrl+S", "saveas|Save &As|F3", "menuFileSaveAll|Sa&ve All|",
        "dash2|-|", "ppreview|Print Preview|", "menuPrint|&Print|Ctrl+P", "dash3|-|",
        "exit|E&xit|"};
    QTest::newRow("edit") << "edit" << QStringList{
        "undo|&Undo|Ctrl+Z", "dash4|-|", "cut|Cu&t|", "copy|&Copy|", "paste|&Paste|",
        "menuEditSelectAll|Select &All|Ctrl+A", "edash|-|", "find|F&ind ...|Ctrl+F"};
    QTest::newRow("insert") << "menuInsert" << QStringList{
        "menuInsertSymbols|&Symbols|Shift+Ctrl+F11", "menuInsertDateTime|&Date && Time|Shift+Ctrl+F5",
        "menuInsertBullets|&Bullets|"};
    QTest::newRow("view") << "view" << QStringList{
        "statusbar|Status &Bar|", "menuViewFileExplorer|&File Explorer|Ctrl+F3",
        "menuViewRulerS|&Rulers|", "menuViewToolbars|&Toolbars|", "menuViewSep1|-|",
        "menuViewFullScreen|Full &Screen|F11"};
    QTest::newRow("view > rulers") << "menuViewRulerS" << QStringList{
        "menuViewRulerIndent|&Indentation Ruler|", "menuViewRulerHangingIndent|&Hanging Indent Ruler|",
        "menuViewRulerScale|&Scale|"};
    QTest::newRow("view > toolbars") << "menuViewToolbars" << QStringList{
        "standard|&Standard Bar|", "format|&Format Bar|", "menuViewToolbarFontbar|&Font Bar|"};
    QTest::newRow("format") << "formatmenu" << QStringList{
        "mnufont|&Font|", "mnuFormatSlash1|-|", "bullet|Insert &Bullets|", "mnuFormatSlash|-|",
        "mnuFormatFontMain|Format F&ont|", "menuFormatSlash|-|", "menuFormatAlignment|A&lignment|"};
    QTest::newRow("format > font") << "mnuFormatFontMain" << QStringList{
        "menuFormatFontBold|&Bold|Ctrl+B", "menuFormatFontUnderline|&Underline|Ctrl+U",
        "menuFormatFontItalic|&Italic|Ctrl+I", "menuFormatFontStrikethru|&Strikethru|Ctrl+T",
        "menuFormatFontColor|&Color|Shift+F6"};
    QTest::newRow("format > alignment") << "menuFormatAlignment" << QStringList{
        "mnuFormatAlignLeft|Align &Left|Ctrl+L", "mnuFormatAlignCenter|Align C&enter|Ctrl+E",
        "mnuFormatAlignRight|Align &Right|Ctrl+R"};
    QTest::newRow("tools") << "menuTools" << QStringList{
        "menuToolsSpellCheck|&Spell Check Document|F7"};
    QTest::newRow("window") << "window" << QStringList{
        "newind|&New Window|", "dashw|-|", "tileh|Tile &Horizontally|", "tilev|Tile &Vertically|",
        "cascade|&Cascade|", "aricons|&Arrange Icons|"};
    QTest::newRow("help") << "help" << QStringList{
        "contents|&Contents|F1", "menuHelpTipOfDay|&Tip of the day|", "mnuHelpSep1|-|",
        "menuShowFrmSplash|Show &Splash Screen|", "about|&About|"};
}

void tst_shell_mainwindow::menuEntries()
{
    QFETCH(QString, menu);
    QFETCH(QStringList, entries);

    QAction *menuAction = m_main->Menu(menu);
    QVERIFY(menuAction);
    QVERIFY(menuAction->menu());
    const QList<QAction *> actions = menuAction->menu()->actions();
    QCOMPARE(actions.size(), entries.size());
    for (int i = 0; i < entries.size(); ++i) {
        const QStringList parts = entries.at(i).split(QLatin1Char('|'));
        const QString &name = parts.at(0);
        const QString &caption = parts.at(1);
        const QKeySequence shortcut(parts.at(2));
        QAction *a = actions.at(i);
        QCOMPARE(a->objectName(), name);
        QCOMPARE(m_main->Menu(name), a);
        if (caption == QLatin1String("-")) {
            QVERIFY2(a->isSeparator(), qPrintable(name));
        } else {
            QVERIFY2(!a->isSeparator(), qPrintable(name));
            QCOMPARE(a->text(), caption);
            QCOMPARE(a->shortcut(), shortcut);
        }
    }
}

void tst_shell_mainwindow::toolbarButtons_data()
{
    QTest::addColumn<QString>("bar");
    QTest::addColumn<QStringList>("buttons");   // key|tooltip, "|" alone is a separator

    QTest::newRow("stdbar") << "stdbar" << QStringList{
        "new|New (Ctrl+N)", "open|Open (Ctrl+O)", "save|Save (Ctrl+S)", "|",
        "print|Print (Ctrl+P)", "|", "cut|Cut Selection", "copy|Copy Selection",
        "paste|Paste Selection", "|", "undo|Undo Action", "redo|Redo Action", "|",
        "find|Find...", "|", "help|Help"};
    QTest::newRow("formatbar") << "formatbar" << QStringList{
        "bold|Bold", "under|Underline", "italic|Italic", "strikethru|Strikethru", "|",
        "left|Left Align", "center|Center Align", "right|Right Align", "|",
        "bullet|Insert bullets", "|", "spellcheck|Spell Check Current Document", "|",
        "fontColor|Change Font Color"};
}

void tst_shell_mainwindow::toolbarButtons()
{
    QFETCH(QString, bar);
    QFETCH(QStringList, buttons);

    QToolBar *toolbar = bar == QLatin1String("stdbar") ? m_main->stdbar : m_main->formatbar;
    QCOMPARE(toolbar->objectName(), bar);
    const QList<QAction *> actions = toolbar->actions();
    QCOMPARE(actions.size(), buttons.size());
    for (int i = 0; i < buttons.size(); ++i) {
        QAction *a = actions.at(i);
        if (buttons.at(i) == QLatin1String("|")) {
            QVERIFY2(a->isSeparator(), qPrintable(QString::number(i)));
            continue;
        }
        const QString key = buttons.at(i).section(QLatin1Char('|'), 0, 0);
        const QString tooltip = buttons.at(i).section(QLatin1Char('|'), 1);
        QCOMPARE(a->objectName(), key);
        QCOMPARE(m_main->Button(key), a);
        QCOMPARE(a->toolTip(), tooltip);
        QVERIFY2(!a->icon().isNull(), qPrintable(key));
        QVERIFY2(!a->icon().pixmap(16, 16).toImage().isNull(), qPrintable(key));
    }
}

void tst_shell_mainwindow::fontBarLists()
{
    QStringList sizes;
    for (int i = 0; i < m_main->Combo2->count(); ++i)
        sizes << m_main->Combo2->itemText(i);
    QCOMPARE(sizes, QStringList({"8", "10", "12", "14", "18", "22", "26", "32", "36", "42", "48", "72"}));
    QCOMPARE(m_main->Combo2->currentText(), QStringLiteral("10"));

    QStringList presets;
    for (int i = 0; i < m_main->Combo3->count(); ++i)
        presets << m_main->Combo3->itemText(i);
    QCOMPARE(presets, QStringList({"Normal", "Heading1", "Heading2", "Heading3"}));
    QCOMPARE(m_main->Combo3->currentText(), QStringLiteral("Normal"));

    // Every screen font once, in the platform's order: nothing dropped at
    // either end of the list.
    QStringList fonts;
    for (int i = 0; i < m_main->Combo1->count(); ++i)
        fonts << m_main->Combo1->itemText(i);
    QCOMPARE(fonts, QFontDatabase::families());
    QCOMPARE(m_main->Combo1->currentText(), QStringLiteral("Verdana"));

    // The boxes can be typed into, and typing does not grow their lists.
    for (QComboBox *box : {m_main->Combo1, m_main->Combo2, m_main->Combo3}) {
        QVERIFY(box->isEditable());
        QCOMPARE(box->insertPolicy(), QComboBox::NoInsert);
    }
}

void tst_shell_mainwindow::statusPanels()
{
    const QStringList texts = {"For Help, press F1", "Line #:", "", "Total lines:", "",
                               "Total Word Count :", "", "NUM", "CAPS", "INS"};
    for (int i = 1; i <= 10; ++i) {
        QVERIFY(m_main->Panel(i));
        if (i == 3 || i == 5 || i == 7)
            continue;   // the statistics of Document 1 may already be shown
        QCOMPARE(m_main->Panel(i)->text(), texts.at(i - 1));
    }
    QVERIFY(m_main->Panel(11));
    QVERIFY(!m_main->Panel(11)->text().isEmpty());
    QCOMPARE(m_main->Panel(6)->toolTip(), QStringLiteral("The total words in document"));
    QVERIFY(!m_main->Panel(0));
    QVERIFY(!m_main->Panel(12));
    QCOMPARE(m_main->statusBar(), m_main->stsbar);
}

void tst_shell_mainwindow::layoutAfterLoad()
{
    // Top to bottom: the three toolbar rows, the rulers, then the explorer
    // pane beside the document area, then the status bar.
    const auto top = [this](QWidget *w) { return w->mapTo(m_main, QPoint(0, 0)).y(); };
    const auto left = [this](QWidget *w) { return w->mapTo(m_main, QPoint(0, 0)).x(); };
    QVERIFY(top(m_main->stdbar) < top(m_main->picFont));
    QVERIFY(top(m_main->picFont) < top(m_main->formatbar));
    QVERIFY(top(m_main->formatbar) < top(m_main->cbrRuler));
    QVERIFY(top(m_main->picSlider1) < top(m_main->picSlider2));
    QVERIFY(top(m_main->picSlider2) < top(m_main->picRuler));
    QVERIFY(top(m_main->cbrRuler) < top(m_main->mdiArea));
    QVERIFY(left(m_main->picFileBar) < left(m_main->mdiArea));
    QVERIFY(top(m_main->mdiArea) < top(m_main->stsbar));
    QVERIFY(top(m_main->tvwFolders) < top(m_main->File1));
    for (QWidget *w : std::initializer_list<QWidget *>{m_main->stdbar, m_main->picFont, m_main->formatbar,
                                                       m_main->cbrRuler, m_main->picFileBar, m_main->stsbar,
                                                       m_main->sliderIndent, m_main->sliderHangingIndent})
        QVERIFY2(w->isVisible(), qPrintable(w->objectName()));

    QCOMPARE(m_main->sliderIndent->minimum(), 0);
    QCOMPARE(m_main->sliderIndent->maximum(), 9);
    QCOMPARE(m_main->sliderIndent->pageStep(), 1);
    QCOMPARE(m_main->sliderIndent->singleStep(), 0);
    QCOMPARE(m_main->sliderHangingIndent->maximum(), 8);
    QCOMPARE(m_main->sliderHangingIndent->pageStep(), 5);
    QCOMPARE(m_main->sliderHangingIndent->singleStep(), 1);
    QCOMPARE(m_main->sliderIndent->value(), 0);
    QCOMPARE(m_main->sliderIndent->toolTip(), QStringLiteral("Set Indent"));
    QCOMPARE(m_main->sliderHangingIndent->toolTip(), QStringLiteral("Set Hanging Indent"));
}

void tst_shell_mainwindow::loadState()
{
    QCOMPARE(m_main->windowTitle(), QStringLiteral("Quillet"));
    QCOMPARE(m_main->defFontName, QStringLiteral("Verdana"));
    QCOMPARE(m_main->defFontSize, qint16(10));

    // Document 1 is empty: nothing to find yet.
    QVERIFY(!m_main->Menu("find")->isEnabled());
    QVERIFY(!m_main->Button("find")->isEnabled());
    QVERIFY(m_main->formatbar->isEnabled());

    for (const char *name : {"format", "standard", "statusbar", "menuViewToolbarFontbar",
                             "menuViewRulerIndent", "menuViewRulerHangingIndent",
                             "menuViewRulerScale", "menuViewFileExplorer"}) {
        QVERIFY2(m_main->Menu(name)->isCheckable(), name);
        QVERIFY2(m_main->Menu(name)->isChecked(), name);
    }
    QVERIFY(m_main->ActiveForm());
    QCOMPARE(m_main->ActiveForm()->Caption(), QStringLiteral("Document 1"));
}

void tst_shell_mainwindow::firstRunCreatesTheSettingsKey()
{
    delete m_main;
    QTemporaryDir fresh;
    qputenv("XDG_CONFIG_HOME", fresh.path().toLocal8Bit());
    QVERIFY(!RegistryStore::keyExists(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey));
    m_main = new frmMain;
    m_main->MDIForm_Load();
    QVERIFY(RegistryStore::keyExists(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey));
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
}

void tst_shell_mainwindow::windowListMenu()
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

void tst_shell_mainwindow::exitClosesEveryDocument()
{
    m_main->new_Click();
    m_main->new_Click();
    RefuseClose watcher;
    watcher.refuse = false;
    for (frmDoc *doc : m_main->documents())
        doc->installEventFilter(&watcher);

    m_main->Menu("exit")->trigger();
    QCOMPARE(watcher.asked, 3);   // every document was asked, through its own close
    QVERIFY(m_main->documents().isEmpty());
    QVERIFY(!m_main->isVisible());
}

void tst_shell_mainwindow::exitCancelKeepsQuilletOpen()
{
    m_main->new_Click();
    m_main->new_Click();   // Document 3 is active and asked first
    const QList<frmDoc *> docs = m_main->documents();
    RefuseClose refuser;
    docs.at(2)->installEventFilter(&refuser);
    RefuseClose others;
    others.refuse = false;
    docs.at(0)->installEventFilter(&others);
    docs.at(1)->installEventFilter(&others);

    m_main->exit_Click();
    QCOMPARE(refuser.asked, 1);
    QCOMPARE(others.asked, 0);   // the first Cancel stops the close
    QVERIFY(m_main->isVisible());
    QCOMPARE(m_main->documents().size(), 3);

    // The same through the window's own close box.
    QVERIFY(!m_main->close());
    QVERIFY(m_main->isVisible());
    QCOMPARE(m_main->documents().size(), 3);

    docs.at(2)->removeEventFilter(&refuser);
    m_main->exit_Click();
    QVERIFY(!m_main->isVisible());
    QVERIFY(m_main->documents().isEmpty());
}

void tst_shell_mainwindow::closeWhileMinimizedMaximizesFirst()
{
    RefuseClose refuser;
    m_main->ActiveForm()->installEventFilter(&refuser);
    m_main->showMinimized();
    QVERIFY(m_main->isMinimized());
    m_main->close();
    QCOMPARE(refuser.asked, 1);
    QVERIFY(m_main->isMaximized());
    QVERIFY(!m_main->isMinimized());
}

void tst_shell_mainwindow::unloadClosesTheOtherWindows()
{
    // A modeless window of the program (a find dialog, say) goes with the
    // main window; nothing is left behind on screen.
    QPointer<QDialog> tool = new QDialog;
    tool->setAttribute(Qt::WA_DeleteOnClose);
    tool->show();
    QWidget hidden;
    hidden.setWindowTitle(QStringLiteral("loaded, not shown"));
    RefuseClose watcher;
    watcher.refuse = false;
    hidden.installEventFilter(&watcher);

    QVERIFY(m_main->close());
    QVERIFY(!m_main->isVisible());
    QTRY_VERIFY(!tool);
    QCOMPARE(watcher.asked, 1);
}

QTEST_MAIN(tst_shell_mainwindow)
#include "tst_shell_mainwindow.moc"
