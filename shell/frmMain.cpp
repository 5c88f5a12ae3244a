#include "shell/frmMain.h"

#include "explorer/ExplorerPane.h"
#include "fullscreen/modFullScreen.h"
#include "help/modHelp.h"
#include "help/modView.h"
#include "platform/FileListBox.h"

#include "documents/fileMod.h"
#include "documents/frmDoc.h"
#include "editing/modClipboard.h"
#include "editing/modFontBar.h"
#include "editing/modFormat.h"
#include "editing/modInsert.h"
#include "editing/modParagraph.h"
#include "editing/modPrint.h"
#include "editing/modRulers.h"
#include "editing/modToolbar.h"
#include "documents/modGeneral.h"
#include "find/frmFind.h"
#include "platform/CommonDialog.h"
#include "platform/KeyCodes.h"
#include "platform/ModalReturn.h"
#include "platform/RichTextBox.h"
#include "platform/ScreenFonts.h"
#include "shell/StatusIndicators.h"
#include "shell/ToolbarIcons.h"
#include "shell/genMod.h"
#include "shell/modRegistry.h"
#include "spelling/modSpellAsYouType.h"
#include "spelling/modSpellCheck.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QStatusBar>
#include <QKeyEvent>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {
frmMain *g_instance = nullptr;

// Twips to pixels at the screen's logical resolution.
int px(const QWidget *w, int twips)
{
    return qRound(twips * w->logicalDpiX() / 1440.0);
}
}

frmMain::frmMain(QWidget *parent)
    : QMainWindow(parent)
{
    g_instance = this;
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Quillet"));
    setAcceptDrops(true);

    buildMenus();
    buildToolbars();
    buildRulers();
    buildExplorerPane();

    mdiArea = new QMdiArea;
    mdiArea->setObjectName(QStringLiteral("mdiArea"));
    mdiArea->setBackground(QColor(0x80, 0x80, 0x80));
    // A window that reaches past the area can still be scrolled to.
    mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The window that becomes active gets the keys, also when the one in
    // front closed.
    connect(mdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *sub) {
        if (sub && isActiveWindow())
            SetFocus();
    });

    auto *central = new QWidget;
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(cbrRuler);
    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    row->addWidget(picFileBar);
    row->addWidget(mdiArea, 1);
    column->addLayout(row, 1);
    setCentralWidget(central);
    connectCommands();

    buildStatusBar();
    new StatusIndicators(this);
    new ModalReturn(this);
    cd1 = new CommonDialog(this);
    resize(1000, 700);
}

frmMain::~frmMain()
{
    // The document windows go after this part of the window: what they
    // announce on the way out finds no widgets to show it in.
    for (frmDoc *doc : documents())
        doc->disconnect(this);
    delete cd1;
    if (g_instance == this)
        g_instance = nullptr;
}

frmMain *frmMain::instance()
{
    return g_instance;
}

// ---------------------------------------------------------------- building

QAction *frmMain::addEntry(QMenu *menu, const QString &name, const QString &caption,
                           const QKeySequence &shortcut)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(name);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    m_menus.insert(name, action);
    return action;
}

QMenu *frmMain::addSubMenu(QMenu *parent, const QString &name, const QString &caption)
{
    QMenu *menu = parent ? parent->addMenu(caption) : menuBar()->addMenu(caption);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    m_menus.insert(name, menu->menuAction());
    return menu;
}

void frmMain::addSeparator(QMenu *menu, const QString &name)
{
    QAction *separator = menu->addSeparator();
    separator->setObjectName(name);
    m_menus.insert(name, separator);
}

void frmMain::buildMenus()
{
    using QKS = QKeySequence;

    QMenu *file = addSubMenu(nullptr, QStringLiteral("file"), QStringLiteral("&File"));
    addEntry(file, QStringLiteral("new"), QStringLiteral("&New"), QKS(Qt::CTRL | Qt::Key_N));
    addEntry(file, QStringLiteral("open"), QStringLiteral("&Open"), QKS(Qt::CTRL | Qt::Key_O));
    addEntry(file, QStringLiteral("close"), QStringLiteral("&Close"));
    addEntry(file, QStringLiteral("menuFileCloseAll"), QStringLiteral("Cl&ose All"));
    addSeparator(file, QStringLiteral("dash"));
    addEntry(file, QStringLiteral("save"), QStringLiteral("&Save"), QKS(Qt::CTRL | Qt::Key_S));
    addEntry(file, QStringLiteral("saveas"), QStringLiteral("Save &As"), QKS(Qt::Key_F3));
    addEntry(file, QStringLiteral("menuFileSaveAll"), QStringLiteral("Sa&ve All"));
    addSeparator(file, QStringLiteral("dash2"));
    addEntry(file, QStringLiteral("ppreview"), QStringLiteral("Print Preview"));
    addEntry(file, QStringLiteral("menuPrint"), QStringLiteral("&Print"), QKS(Qt::CTRL | Qt::Key_P));
    addEntry(file, QStringLiteral("menuFileExportPdf"), QStringLiteral("&Export as PDF..."));
    addSeparator(file, QStringLiteral("dash3"));
    addEntry(file, QStringLiteral("exit"), QStringLiteral("E&xit"));

    QMenu *edit = addSubMenu(nullptr, QStringLiteral("edit"), QStringLiteral("&Edit"));
    addEntry(edit, QStringLiteral("undo"), QStringLiteral("&Undo"), QKS(Qt::CTRL | Qt::Key_Z));
    addSeparator(edit, QStringLiteral("dash4"));
    addEntry(edit, QStringLiteral("cut"), QStringLiteral("Cu&t"));
    addEntry(edit, QStringLiteral("copy"), QStringLiteral("&Copy"));
    addEntry(edit, QStringLiteral("paste"), QStringLiteral("&Paste"));
    addEntry(edit, QStringLiteral("menuEditSelectAll"), QStringLiteral("Select &All"), QKS(Qt::CTRL | Qt::Key_A));
    addSeparator(edit, QStringLiteral("edash"));
    addEntry(edit, QStringLiteral("find"), QStringLiteral("F&ind ..."), QKS(Qt::CTRL | Qt::Key_F));

    QMenu *insert = addSubMenu(nullptr, QStringLiteral("menuInsert"), QStringLiteral("&Insert"));
    addEntry(insert, QStringLiteral("menuInsertSymbols"), QStringLiteral("&Symbols"),
             QKS(Qt::SHIFT | Qt::CTRL | Qt::Key_F11));
    addEntry(insert, QStringLiteral("menuInsertDateTime"), QStringLiteral("&Date && Time"),
             QKS(Qt::SHIFT | Qt::CTRL | Qt::Key_F5));
    addEntry(insert, QStringLiteral("menuInsertBullets"), QStringLiteral("&Bullets"));

    QMenu *view = addSubMenu(nullptr, QStringLiteral("view"), QStringLiteral("&View"));
    addEntry(view, QStringLiteral("statusbar"), QStringLiteral("Status &Bar"))->setCheckable(true);
    addEntry(view, QStringLiteral("menuViewFileExplorer"), QStringLiteral("&File Explorer"),
             QKS(Qt::CTRL | Qt::Key_F3))->setCheckable(true);
    QMenu *rulers = addSubMenu(view, QStringLiteral("menuViewRulerS"), QStringLiteral("&Rulers"));
    addEntry(rulers, QStringLiteral("menuViewRulerIndent"), QStringLiteral("&Indentation Ruler"))->setCheckable(true);
    addEntry(rulers, QStringLiteral("menuViewRulerHangingIndent"), QStringLiteral("&Hanging Indent Ruler"))->setCheckable(true);
    addEntry(rulers, QStringLiteral("menuViewRulerScale"), QStringLiteral("&Scale"))->setCheckable(true);
    QMenu *toolbars = addSubMenu(view, QStringLiteral("menuViewToolbars"), QStringLiteral("&Toolbars"));
    addEntry(toolbars, QStringLiteral("standard"), QStringLiteral("&Standard Bar"))->setCheckable(true);
    addEntry(toolbars, QStringLiteral("format"), QStringLiteral("&Format Bar"))->setCheckable(true);
    addEntry(toolbars, QStringLiteral("menuViewToolbarFontbar"), QStringLiteral("&Font Bar"))->setCheckable(true);
    addEntry(view, QStringLiteral("menuViewSpellAsYouType"), QStringLiteral("&Check Spelling as You Type"))
        ->setCheckable(true);
    // The toggle's tooltip says why it is greyed out.
    view->setToolTipsVisible(true);
    addSeparator(view, QStringLiteral("menuViewSep1"));
    addEntry(view, QStringLiteral("menuViewFullScreen"), QStringLiteral("Full &Screen"), QKS(Qt::Key_F11));

    QMenu *format = addSubMenu(nullptr, QStringLiteral("formatmenu"), QStringLiteral("F&ormat"));
    addEntry(format, QStringLiteral("mnufont"), QStringLiteral("&Font"));
    addSeparator(format, QStringLiteral("mnuFormatSlash1"));
    addEntry(format, QStringLiteral("bullet"), QStringLiteral("Insert &Bullets"));
    addSeparator(format, QStringLiteral("mnuFormatSlash"));
    QMenu *fontMain = addSubMenu(format, QStringLiteral("mnuFormatFontMain"), QStringLiteral("Format F&ont"));
    addEntry(fontMain, QStringLiteral("menuFormatFontBold"), QStringLiteral("&Bold"), QKS(Qt::CTRL | Qt::Key_B));
    addEntry(fontMain, QStringLiteral("menuFormatFontUnderline"), QStringLiteral("&Underline"), QKS(Qt::CTRL | Qt::Key_U));
    addEntry(fontMain, QStringLiteral("menuFormatFontItalic"), QStringLiteral("&Italic"), QKS(Qt::CTRL | Qt::Key_I));
    addEntry(fontMain, QStringLiteral("menuFormatFontStrikethru"), QStringLiteral("&Strikethru"), QKS(Qt::CTRL | Qt::Key_T));
    addEntry(fontMain, QStringLiteral("menuFormatFontColor"), QStringLiteral("&Color"), QKS(Qt::SHIFT | Qt::Key_F6));
    addSeparator(format, QStringLiteral("menuFormatSlash"));
    QMenu *alignment = addSubMenu(format, QStringLiteral("menuFormatAlignment"), QStringLiteral("A&lignment"));
    addEntry(alignment, QStringLiteral("mnuFormatAlignLeft"), QStringLiteral("Align &Left"), QKS(Qt::CTRL | Qt::Key_L));
    addEntry(alignment, QStringLiteral("mnuFormatAlignCenter"), QStringLiteral("Align C&enter"), QKS(Qt::CTRL | Qt::Key_E));
    addEntry(alignment, QStringLiteral("mnuFormatAlignRight"), QStringLiteral("Align &Right"), QKS(Qt::CTRL | Qt::Key_R));

    QMenu *tools = addSubMenu(nullptr, QStringLiteral("menuTools"), QStringLiteral("&Tools"));
    connect(addEntry(tools, QStringLiteral("menuToolsSpellCheck"), QStringLiteral("&Spell Check Document"),
                     QKS(Qt::Key_F7)),
            &QAction::triggered, this, [] { modSpellCheck::menuToolsSpellCheck_Click(); });
    QMenu *language = addSubMenu(tools, QStringLiteral("menuToolsLanguage"), QStringLiteral("&Language"));
    connect(language, &QMenu::aboutToShow, this, [this, language] {
        frmDoc *doc = ActiveForm();
        modSpellAsYouType::FillLanguageMenu(language, doc ? doc->rtf1 : nullptr);
    });

    m_windowMenu = addSubMenu(nullptr, QStringLiteral("window"), QStringLiteral("&Window"));
    addEntry(m_windowMenu, QStringLiteral("newind"), QStringLiteral("&New Window"));
    addSeparator(m_windowMenu, QStringLiteral("dashw"));
    addEntry(m_windowMenu, QStringLiteral("tileh"), QStringLiteral("Tile &Horizontally"));
    addEntry(m_windowMenu, QStringLiteral("tilev"), QStringLiteral("Tile &Vertically"));
    addEntry(m_windowMenu, QStringLiteral("cascade"), QStringLiteral("&Cascade"));
    addEntry(m_windowMenu, QStringLiteral("aricons"), QStringLiteral("&Arrange Icons"));
    connect(m_windowMenu, &QMenu::aboutToShow, this, &frmMain::buildWindowList);

    QMenu *help = addSubMenu(nullptr, QStringLiteral("help"), QStringLiteral("&Help"));
    addEntry(help, QStringLiteral("contents"), QStringLiteral("&Contents"), QKS(Qt::Key_F1));
    addEntry(help, QStringLiteral("menuHelpTipOfDay"), QStringLiteral("&Tip of the day"));
    addSeparator(help, QStringLiteral("mnuHelpSep1"));
    addEntry(help, QStringLiteral("menuShowFrmSplash"), QStringLiteral("Show &Splash Screen"));
    addEntry(help, QStringLiteral("about"), QStringLiteral("&About"));
}

void frmMain::buildWindowList()
{
    // The window-list part of the Window menu: one entry per document, the
    // active one checked.
    for (QAction *entry : std::as_const(m_windowListEntries)) {
        m_windowMenu->removeAction(entry);
        delete entry;
    }
    m_windowListEntries.clear();
    const QList<frmDoc *> docs = documents();
    if (docs.isEmpty())
        return;
    m_windowListEntries.append(m_windowMenu->addSeparator());
    const frmDoc *active = ActiveForm();
    int number = 0;
    for (frmDoc *doc : docs) {
        ++number;
        QString caption = doc->Caption();
        caption.replace(QLatin1Char('&'), QLatin1String("&&"));
        QAction *entry = m_windowMenu->addAction(
            number < 10 ? QStringLiteral("&%1 %2").arg(number).arg(caption)
                        : QStringLiteral("%1 %2").arg(number).arg(caption));
        entry->setObjectName(QStringLiteral("windowList%1").arg(number));
        entry->setCheckable(true);
        entry->setChecked(doc == active);
        QMdiSubWindow *sub = doc->subWindow();
        connect(entry, &QAction::triggered, this, [this, sub] {
            if (sub && mdiArea->subWindowList().contains(sub))
                mdiArea->setActiveSubWindow(sub);
    SetFocus();
        });
        m_windowListEntries.append(entry);
    }
}

void frmMain::connectCommands()
{
    // The command behind each menu entry or button of its own. A new command
    // is a handler on frmMain and one row here, by menu name or button key.
    const struct
    {
        const char *name;
        void (frmMain::*handler)();
    } commands[] = {
        {"new", &frmMain::new_Click},
        {"open", &frmMain::open_Click},
        {"close", &frmMain::close_Click},
        {"menuFileCloseAll", &frmMain::menuFileCloseAll_Click},
        {"save", &frmMain::save_Click},
        {"saveas", &frmMain::saveas_Click},
        {"menuFileSaveAll", &frmMain::menuFileSaveAll_Click},
        {"exit", &frmMain::exit_Click},
        {"newind", &frmMain::newind_Click},
        {"statusbar", &frmMain::statusbar_Click},
        {"menuViewFileExplorer", &frmMain::menuViewFileExplorer_Click},
        {"menuViewRulerIndent", &frmMain::menuViewRulerIndent_Click},
        {"menuViewRulerHangingIndent", &frmMain::menuViewRulerHangingIndent_Click},
        {"menuViewRulerScale", &frmMain::menuViewRulerScale_Click},
        {"standard", &frmMain::standard_Click},
        {"format", &frmMain::format_Click},
        {"menuViewToolbarFontbar", &frmMain::menuViewToolbarFontbar_Click},
        {"menuViewFullScreen", &frmMain::menuViewFullScreen_Click},
        {"menuViewSpellAsYouType", &frmMain::menuViewSpellAsYouType_Click},
        {"tileh", &frmMain::tileh_Click},
        {"tilev", &frmMain::tilev_Click},
        {"cascade", &frmMain::cascade_Click},
        {"aricons", &frmMain::aricons_Click},
        {"contents", &frmMain::contents_Click},
        {"menuHelpTipOfDay", &frmMain::menuHelpTipOfDay_Click},
        {"menuShowFrmSplash", &frmMain::menuShowFrmSplash_Click},
        {"about", &frmMain::about_Click},
        {"find", &frmMain::find_Click},
    };
    for (const auto &command : commands) {
        const QString name = QLatin1String(command.name);
        QAction *action = Menu(name);
        if (!action)
            action = Button(name);
        Q_ASSERT(action);
        connect(action, &QAction::triggered, this, command.handler);
    }

    // Editing commands live in their modules. A command that keeps a
    // button pressed or a mark set decides that state itself: the click's
    // own flip is taken back first, so a command that cannot run (no
    // document) leaves the button as it was.
    const struct
    {
        const char *name;
        void (*handler)();
        bool setsCheckState;
    } editing[] = {
        {"ppreview", &modPrint::ppreview_Click, false},
        {"menuPrint", &modPrint::menuPrint_Click, false},
        {"menuFileExportPdf", &modPrint::menuFileExportPdf_Click, false},
        {"undo", &modClipboard::undo_Click, false},
        {"cut", &modClipboard::cut_Click, false},
        {"copy", &modClipboard::copy_Click, false},
        {"paste", &modClipboard::paste_Click, false},
        {"menuEditSelectAll", &modClipboard::menuEditSelectAll_Click, false},
        {"menuInsertSymbols", &modInsert::menuInsertSymbols_Click, false},
        {"menuInsertDateTime", &modInsert::menuInsertDateTime_Click, false},
        {"menuInsertBullets", &modParagraph::menuInsertBullets_Click, true},
        {"bullet", &modParagraph::menuInsertBullets_Click, false},
        {"mnufont", &modFormat::mnufont_Click, false},
        {"menuFormatFontBold", &modFormat::menuFormatFontBold_Click, true},
        {"menuFormatFontUnderline", &modFormat::menuFormatFontUnderline_Click, true},
        {"menuFormatFontItalic", &modFormat::menuFormatFontItalic_Click, true},
        {"menuFormatFontStrikethru", &modFormat::menuFormatFontStrikethru_Click, true},
        {"menuFormatFontColor", &modFormat::menuFormatFontColor_Click, false},
        {"mnuFormatAlignLeft", &modParagraph::mnuFormatAlignLeft_Click, true},
        {"mnuFormatAlignCenter", &modParagraph::mnuFormatAlignCenter_Click, true},
        {"mnuFormatAlignRight", &modParagraph::mnuFormatAlignRight_Click, true},
        {"redo", &modToolbar::redo_Click, false},
        {"left", [] { modParagraph::AlignFromBar(RichTextBox::rtfLeft); }, true},
        {"center", [] { modParagraph::AlignFromBar(RichTextBox::rtfCenter); }, true},
        {"right", [] { modParagraph::AlignFromBar(RichTextBox::rtfRight); }, true},
    };
    for (const auto &command : editing) {
        const QString name = QLatin1String(command.name);
        QAction *action = Menu(name);
        if (!action)
            action = Button(name);
        Q_ASSERT(action);
        if (command.setsCheckState) {
            action->setCheckable(true);
            connect(action, &QAction::triggered, this, [action, handler = command.handler](bool checked) {
                action->setChecked(!checked);
                handler();
            });
        } else {
            connect(action, &QAction::triggered, this, command.handler);
        }
    }
    connect(sliderIndent, &QSlider::valueChanged, this, [] { modRulers::sliderIndent_Scroll(); });
    connect(sliderHangingIndent, &QSlider::valueChanged, this, [] { modRulers::sliderHangingIndent_Scroll(); });
}

QAction *frmMain::addButton(QToolBar *bar, const QString &key, const QString &tooltip,
                            const QString &menuName, bool checkable)
{
    QAction *button = menuName.isEmpty() ? nullptr : Menu(menuName);
    if (!button) {
        button = new QAction(tooltip, this);
        button->setObjectName(key);
    }
    button->setIcon(ToolbarIcons::icon(key));
    button->setToolTip(tooltip);
    button->setCheckable(checkable);
    bar->addAction(button);
    m_buttons.insert(key, button);
    return button;
}

void frmMain::buildToolbars()
{
    auto makeBar = [this](const char *name, const QString &title) {
        auto *bar = new QToolBar(title, this);
        bar->setObjectName(QLatin1String(name));
        bar->setMovable(false);
        bar->setFloatable(false);
        bar->setIconSize(QSize(20, 20));
        bar->setContextMenuPolicy(Qt::PreventContextMenu);
        return bar;
    };

    stdbar = makeBar("stdbar", QStringLiteral("Standard"));
    addButton(stdbar, QStringLiteral("new"), QStringLiteral("New (Ctrl+N)"), QStringLiteral("new"), false);
    addButton(stdbar, QStringLiteral("open"), QStringLiteral("Open (Ctrl+O)"), QStringLiteral("open"), false);
    addButton(stdbar, QStringLiteral("save"), QStringLiteral("Save (Ctrl+S)"), QStringLiteral("save"), false);
    stdbar->addSeparator();
    addButton(stdbar, QStringLiteral("print"), QStringLiteral("Print (Ctrl+P)"), QStringLiteral("menuPrint"), false);
    stdbar->addSeparator();
    addButton(stdbar, QStringLiteral("cut"), QStringLiteral("Cut Selection"), QStringLiteral("cut"), false);
    addButton(stdbar, QStringLiteral("copy"), QStringLiteral("Copy Selection"), QStringLiteral("copy"), false);
    addButton(stdbar, QStringLiteral("paste"), QStringLiteral("Paste Selection"), QStringLiteral("paste"), false);
    stdbar->addSeparator();
    addButton(stdbar, QStringLiteral("undo"), QStringLiteral("Undo Action"), QStringLiteral("undo"), false);
    addButton(stdbar, QStringLiteral("redo"), QStringLiteral("Redo Action"), QString(), false);
    stdbar->addSeparator();
    addButton(stdbar, QStringLiteral("find"), QStringLiteral("Find..."), QStringLiteral("find"), false);
    stdbar->addSeparator();
    addButton(stdbar, QStringLiteral("help"), QStringLiteral("Help"), QStringLiteral("contents"), false);

    buildFontBar();

    // The style and alignment buttons show the selection's state, so they
    // latch; the command buttons do not.
    // The alignment buttons set the alignment themselves, apart from the
    // Alignment menu's commands and their check marks.
    formatbar = makeBar("formatbar", QStringLiteral("Format"));
    addButton(formatbar, QStringLiteral("bold"), QStringLiteral("Bold"), QStringLiteral("menuFormatFontBold"), true);
    addButton(formatbar, QStringLiteral("under"), QStringLiteral("Underline"), QStringLiteral("menuFormatFontUnderline"), true);
    addButton(formatbar, QStringLiteral("italic"), QStringLiteral("Italic"), QStringLiteral("menuFormatFontItalic"), true);
    addButton(formatbar, QStringLiteral("strikethru"), QStringLiteral("Strikethru"), QStringLiteral("menuFormatFontStrikethru"), true);
    formatbar->addSeparator();
    addButton(formatbar, QStringLiteral("left"), QStringLiteral("Left Align"), QString(), true);
    addButton(formatbar, QStringLiteral("center"), QStringLiteral("Center Align"), QString(), true);
    addButton(formatbar, QStringLiteral("right"), QStringLiteral("Right Align"), QString(), true);
    formatbar->addSeparator();
    addButton(formatbar, QStringLiteral("bullet"), QStringLiteral("Insert bullets"), QStringLiteral("menuInsertBullets"), true);
    formatbar->addSeparator();
    addButton(formatbar, QStringLiteral("spellcheck"), QStringLiteral("Spell Check Current Document"),
              QStringLiteral("menuToolsSpellCheck"), false);
    formatbar->addSeparator();
    addButton(formatbar, QStringLiteral("fontColor"), QStringLiteral("Change Font Color"),
              QStringLiteral("menuFormatFontColor"), false);

    addToolBar(Qt::TopToolBarArea, stdbar);
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, picFont);
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, formatbar);
}

void frmMain::buildFontBar()
{
    picFont = new QToolBar(QStringLiteral("Font"), this);
    picFont->setObjectName(QStringLiteral("picFont"));
    picFont->setMovable(false);
    picFont->setFloatable(false);
    picFont->setContextMenuPolicy(Qt::PreventContextMenu);

    auto makeBox = [this](const char *name, const QString &text, int width) {
        auto *box = new QComboBox;
        box->setObjectName(QLatin1String(name));
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setEditText(text);
        box->setMinimumWidth(width);
        box->setMaxVisibleItems(16);
        picFont->addWidget(box);
        return box;
    };
    Combo1 = makeBox("Combo1", QStringLiteral("Verdana"), 200);
    Combo2 = makeBox("Combo2", QStringLiteral("10"), 60);
    Combo3 = makeBox("Combo3", QStringLiteral("Normal"), 120);

    connect(Combo1, &QComboBox::activated, this, [this] { Combo1_Click(); });
    connect(Combo2, &QComboBox::activated, this, [this] { Combo2_Click(); });
    // The preset box has no key handler: only a choice from its list applies
    // a preset. Its line edit would otherwise turn Enter, or leaving the box,
    // into a choice of the entry whose name was typed.
    connect(Combo3, &QComboBox::activated, this, [this] {
        if (!m_combo3EditEnding)
            Combo3_Click();
    });
    Combo3->lineEdit()->installEventFilter(this);
    connect(Combo1->lineEdit(), &QLineEdit::returnPressed, this, [this] {
        int key = KeyCodes::vbKeyReturn;
        Combo1_KeyPress(key);
    });
    connect(Combo2->lineEdit(), &QLineEdit::returnPressed, this, [this] {
        int key = KeyCodes::vbKeyReturn;
        Combo2_KeyPress(key);
    });
}

void frmMain::buildRulers()
{
    cbrRuler = new QWidget;
    cbrRuler->setObjectName(QStringLiteral("cbrRuler"));
    auto *bands = new QVBoxLayout(cbrRuler);
    bands->setContentsMargins(4, 1, 4, 1);
    bands->setSpacing(1);

    auto band = [this, bands](const char *name, int minHeightTwips) {
        auto *w = new QWidget;
        w->setObjectName(QLatin1String(name));
        w->setMinimumHeight(px(this, minHeightTwips));
        auto *l = new QHBoxLayout(w);
        l->setContentsMargins(0, 0, 0, 0);
        bands->addWidget(w);
        return w;
    };
    auto slider = [this](QWidget *band, const char *name, int maximum, int large, int small,
                         const QString &tip) {
        auto *s = new QSlider(Qt::Horizontal, band);
        s->setObjectName(QLatin1String(name));
        s->setRange(0, maximum);
        s->setPageStep(large);
        s->setSingleStep(small);
        s->setValue(0);
        s->setTickPosition(QSlider::NoTicks);
        s->setToolTip(tip);
        s->setFixedSize(px(this, 11415), px(this, 255));
        band->layout()->addWidget(s);
        static_cast<QHBoxLayout *>(band->layout())->addStretch(1);
        return s;
    };

    picSlider1 = band("picSlider1", 270);
    sliderIndent = slider(picSlider1, "sliderIndent", 9, 1, 0, QStringLiteral("Set Indent"));
    picSlider2 = band("picSlider2", 255);
    sliderHangingIndent = slider(picSlider2, "sliderHangingIndent", 8, 5, 1,
                                 QStringLiteral("Set Hanging Indent"));
    picRuler = band("picRuler", 270);
    auto *scale = new QLabel;
    scale->setObjectName(QStringLiteral("picRulerScale"));
    scale->setPixmap(ToolbarIcons::rulerScale(806, 17));
    picRuler->layout()->addWidget(scale);
    static_cast<QHBoxLayout *>(picRuler->layout())->addStretch(1);
}

void frmMain::buildExplorerPane()
{
    explorer = new ExplorerPane;
    explorer->setFixedWidth(px(this, 2655));
    picFileBar = explorer;
    tvwFolders = explorer->tvwFolders;
    File1 = explorer->File1;
    connect(explorer, &ExplorerPane::openFileRequested, this, &frmMain::File1_Click);
}

void frmMain::buildStatusBar()
{
    stsbar = new QStatusBar;
    stsbar->setObjectName(QStringLiteral("stsbar"));
    setStatusBar(stsbar);
    const QString texts[PanelClock] = {
        QStringLiteral("For Help, press F1"), QStringLiteral("Line #:"), QString(),
        QStringLiteral("Total lines:"), QString(), QStringLiteral("Total Word Count :"), QString(),
        QStringLiteral("NUM"), QStringLiteral("CAPS"), QStringLiteral("INS"),
        QLocale().toString(QTime::currentTime(), QLocale::ShortFormat)};
    for (int number = PanelHelp; number <= PanelClock; ++number) {
        auto *panel = new QLabel(texts[number - 1]);
        panel->setObjectName(QStringLiteral("panel%1").arg(number));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setContentsMargins(3, 0, 3, 0);
        if (number == PanelLine || number == PanelLines || number == PanelWords)
            panel->setMinimumWidth(50);
        if (number == PanelWordsLabel)
            panel->setToolTip(QStringLiteral("The total words in document"));
        // Permanent widgets, so that menu status tips never hide the panels.
        stsbar->addPermanentWidget(panel, number == PanelHelp ? 1 : 0);
        m_panels.append(panel);
    }
}

// ---------------------------------------------------------------- accessors

frmDoc *frmMain::ActiveForm() const
{
    QMdiSubWindow *sub = mdiArea ? mdiArea->currentSubWindow() : nullptr;
    return sub ? qobject_cast<frmDoc *>(sub->widget()) : nullptr;
}

QList<frmDoc *> frmMain::documents() const
{
    QList<frmDoc *> docs;
    for (QMdiSubWindow *sub : mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (auto *doc = qobject_cast<frmDoc *>(sub->widget()))
            docs.append(doc);
    }
    return docs;
}

QMdiSubWindow *frmMain::AddDocument(frmDoc *doc)
{
    QMdiSubWindow *sub = mdiArea->addSubWindow(doc);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(ToolbarIcons::icon(QStringLiteral("new")));
    doc->attachToSubWindow(sub);
    connectDocument(doc);
    modSpellAsYouType::Attach(doc->rtf1);
    for (const char *name : {"edit", "formatmenu", "menuTools", "menuInsert"}) {
        if (QAction *menu = Menu(QLatin1String(name))) {
            menu->setEnabled(true);
            menu->setVisible(true);
        }
    }
    // The format bar offers formatting while there is a document to format,
    // as at start-up; the last document to go disables it again.
    formatbar->setEnabled(true);
    // Looked at once the closing window has left the area.
    connect(doc, &QObject::destroyed, this, [this] {
        QTimer::singleShot(0, this, [this] { formatbar->setEnabled(!documents().isEmpty()); });
    });
    // Before the main window is first shown its layout has not run yet; run
    // it so that the first document gets its share of the real area.
    if (!isVisible()) {
        layout()->activate();
        centralWidget()->layout()->activate();
    }
    const QSize area = mdiArea->viewport()->size();
    if (area.width() > 200 && area.height() > 150)
        sub->resize(area.width() * 3 / 4, area.height() * 3 / 4);
    else
        sub->resize(640, 420);
    sub->move(cascadePosition(sub->size(), area, int(mdiArea->subWindowList().size()) - 1));
    freeReservedKeys(sub);
    sub->show();
    mdiArea->setActiveSubWindow(sub);
    emit documentAdded(doc);
    return sub;
}

QPoint frmMain::cascadePosition(const QSize &window, const QSize &area, int index)
{
    // Each new window one title bar lower and to the right; once the next
    // step would reach past the visible area, the cascade starts again at
    // the top left corner.
    const int step = 24;
    const int across = (area.width() - window.width()) / step + 1;
    const int down = (area.height() - window.height()) / step + 1;
    const int steps = std::max(1, std::min(across, down));
    const int at = std::max(0, index) % steps;
    return QPoint(at * step, at * step);
}

void frmMain::freeReservedKeys(QMdiSubWindow *sub)
{
    // The subwindow's own menu closes it with the platform's Close key
    // (Ctrl+W here), which is the document's word selection. It keeps only
    // the keys that no menu entry and no document command owns.
    QList<QKeySequence> reserved;
    for (const int key : {Qt::Key_C, Qt::Key_V, Qt::Key_T, Qt::Key_W})
        reserved.append(QKeySequence(Qt::CTRL | Qt::Key(key)));
    reserved.append(QKeySequence(Qt::Key_Delete));
    for (const QAction *action : std::as_const(m_menus))
        reserved.append(action->shortcuts());
    if (QMenu *menu = sub->systemMenu()) {
        for (QAction *action : menu->actions()) {
            QList<QKeySequence> kept = action->shortcuts();
            kept.removeIf([&reserved](const QKeySequence &key) { return reserved.contains(key); });
            action->setShortcuts(kept);
        }
    }
}

void frmMain::WhenShown(const std::function<void()> &task)
{
    m_whenShown.append(task);
    if (isVisible())
        runWhenShownSoon();
}

void frmMain::runWhenShownSoon()
{
    if (m_whenShown.isEmpty() || m_whenShownPending)
        return;
    // From the event loop, once the window stands where it will be, so a
    // message centres on it and comes after whatever asked for it.
    m_whenShownPending = true;
    QTimer::singleShot(0, this, [this] {
        m_whenShownPending = false;
        const QList<std::function<void()>> tasks = std::exchange(m_whenShown, {});
        for (const auto &task : tasks)
            task();
    });
}

void frmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    runWhenShownSoon();
}

void frmMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    // Back from a dialog, or first shown: the keys go to the document unless
    // the user had put the focus somewhere in the main window.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        QWidget *focus = focusWidget();
        if (!focus || focus == this || !focus->isVisible())
            SetFocus();
    }
}

void frmMain::connectDocument(frmDoc *doc)
{
    // Only the active document's figures and format are shown; a window
    // being filled behind another leaves the widgets alone.
    auto active = [this, doc] { return doc == ActiveForm(); };
    auto setPanel = [this](int number, const QString &text) {
        if (QLabel *panel = Panel(number))
            panel->setText(text);
    };
    auto press = [this](const char *key, bool pressed) {
        if (QAction *button = Button(QLatin1String(key)))
            button->setChecked(pressed);
    };
    // Halves go to the even neighbour, as the size box and the ruler expect.
    auto roundHalfEven = [](double value) { return int(std::nearbyint(value)); };

    connect(doc, &frmDoc::statisticsChanged, this,
            [=, this](qlonglong line, qlonglong lines, qlonglong words) {
                if (!active())
                    return;
                setPanel(PanelLine, modGeneral::FormatLineFigure(line));
                setPanel(PanelLines, modGeneral::FormatLineFigure(lines));
                // The word count is plain digits, unlike the line figures.
                setPanel(PanelWords, QString::number(words));
            });
    connect(doc, &frmDoc::statisticsCleared, this, [=, this] {
        if (!active())
            return;
        for (int number : {PanelLine, PanelLines, PanelWords})
            setPanel(number, QString());
    });
    connect(doc, &frmDoc::fontAtCaretChanged, this,
            [=, this](std::optional<QString> name, std::optional<double> size) {
                if (!active())
                    return;
                if (name && Combo1)
                    Combo1->setEditText(*name);
                if (size && Combo2 && std::isfinite(*size) && std::abs(*size) < 1e6)
                    Combo2->setEditText(QString::number(roundHalfEven(*size)));
            });
    connect(doc, &frmDoc::styleAtCaretChanged, this, [=, this](bool bold, bool italic, bool underline) {
        if (!active())
            return;
        press("bold", bold);
        press("italic", italic);
        press("under", underline);
    });
    connect(doc, &frmDoc::alignmentAtCaretChanged, this, [=, this](std::optional<int> alignment) {
        if (!active())
            return;
        press("left", alignment == RichTextBox::rtfLeft);
        press("center", alignment == RichTextBox::rtfCenter);
        press("right", alignment == RichTextBox::rtfRight);
    });
    connect(doc, &frmDoc::indentAtCaretChanged, this, [=, this](std::optional<int> indent, int margin) {
        // The ruler shows the indent as a fraction of the right margin; a
        // mixed indent, a zero margin or a position off the scale leaves it.
        if (!active() || !sliderIndent || !indent || margin == 0)
            return;
        const double position = double(*indent) * sliderIndent->maximum() / margin;
        if (!std::isfinite(position) || std::abs(position) > 1e9)
            return;
        const int value = roundHalfEven(position);
        if (value < sliderIndent->minimum() || value > sliderIndent->maximum())
            return;
        // Set quietly: a position the program sets writes nothing back.
        const QSignalBlocker quiet(sliderIndent);
        sliderIndent->setValue(value);
        sliderIndent->update();
    });
    connect(doc, &frmDoc::contentChanged, this, [this](bool hasText) {
        if (QAction *find = Menu(QStringLiteral("find")))
            find->setEnabled(hasText);
        if (QAction *save = Button(QStringLiteral("save")))
            save->setEnabled(true);
    });
}

QAction *frmMain::Button(const QString &key) const
{
    return m_buttons.value(key);
}

QAction *frmMain::Menu(const QString &name) const
{
    return m_menus.value(name);
}

void frmMain::SetFocus()
{
    if (frmDoc *doc = ActiveForm())
        doc->rtf1->setFocus(Qt::OtherFocusReason);
    else
        setFocus(Qt::OtherFocusReason);
}

QLabel *frmMain::Panel(int index) const
{
    if (index < 1 || index > m_panels.size())
        return nullptr;
    return m_panels.at(index - 1);
}

// ---------------------------------------------------------------- lifecycle

void frmMain::MDIForm_Load()
{
    defFontName = QStringLiteral("Verdana");
    defFontSize = 10;

    Combo3->clear();
    Combo3->addItems({QStringLiteral("Normal"), QStringLiteral("Heading1"),
                      QStringLiteral("Heading2"), QStringLiteral("Heading3")});
    Combo3->setEditText(QStringLiteral("Normal"));

    const QString fontText = Combo1->currentText();
    Combo1->clear();
    Combo1->addItems(ScreenFonts::families());
    Combo1->setEditText(fontText);

    const QString sizeText = Combo2->currentText();
    Combo2->clear();
    Combo2->addItems({QStringLiteral("8"), QStringLiteral("10"), QStringLiteral("12"),
                      QStringLiteral("14"), QStringLiteral("18"), QStringLiteral("22"),
                      QStringLiteral("26"), QStringLiteral("32"), QStringLiteral("36"),
                      QStringLiteral("42"), QStringLiteral("48"), QStringLiteral("72")});
    Combo2->setEditText(sizeText);

    genMod::NewDocument();

    frmDoc *active = ActiveForm();
    const bool hasText = active && !active->rtf1->Text().isEmpty();
    Menu(QStringLiteral("find"))->setEnabled(hasText);

    formatbar->setEnabled(active != nullptr);

    for (const char *name : {"format", "standard", "statusbar", "menuViewToolbarFontbar",
                             "menuViewRulerIndent", "menuViewRulerHangingIndent",
                             "menuViewRulerScale", "menuViewFileExplorer"})
        Menu(QLatin1String(name))->setChecked(true);

    modRegistry::CreateSettingsKey(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey);

    modSpellAsYouType::ShowToggle(Menu(QStringLiteral("menuViewSpellAsYouType")));

    FillDriveTree();

    if (!genMod::CommandLine().isEmpty())
        CommLineFile();

    // Any number but 0 shows the tip; a text that is not a number counts as
    // "not 0", an empty one as 0.
    const QString showTips = modRegistry::GetSettingValue(
        modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey,
        QStringLiteral("Show Tips at Startup"), QStringLiteral("1")).trimmed();
    bool isNumber = false;
    const double tipsValue = showTips.toDouble(&isNumber);
    if (!showTips.isEmpty() && (!isNumber || tipsValue != 0))
        ShowTipOfTheDay();

    if (frmDoc *doc = ActiveForm())
        Combo1->setEditText(doc->rtf1->FontName());
}

void frmMain::FillDriveTree()
{
    explorer->FillDriveTree();
}

void frmMain::ShowTipOfTheDay()
{
    modHelp::ShowTipOfTheDay(nullptr);
}

void frmMain::QuitSpellingServer()
{
    modSpellCheck::QuitHeldServer();
}

void frmMain::spellCheckDoc()
{
    modSpellCheck::spellCheckDoc();
}

void frmMain::MDIForm_QueryUnload(bool &cancel, int reason)
{
    Q_UNUSED(cancel);
    Q_UNUSED(reason);
    if (isMinimized())
        showMaximized();
}

void frmMain::MDIForm_Unload(bool &cancel)
{
    Q_UNUSED(cancel);
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows) {
        if (w == this)
            continue;
        const Qt::WindowType type = w->windowType();
        if (type != Qt::Window && type != Qt::Dialog && type != Qt::Tool && type != Qt::SplashScreen)
            continue;
        w->close();
    }
    QuitSpellingServer();
}

bool frmMain::closeAllDocuments()
{
    // The document in front is asked first, then the ones behind it. The
    // first refusal stops the whole close.
    QList<QMdiSubWindow *> subs = mdiArea->subWindowList(QMdiArea::StackingOrder);
    std::reverse(subs.begin(), subs.end());
    if (QMdiSubWindow *current = mdiArea->currentSubWindow()) {
        subs.removeAll(current);
        subs.prepend(current);
    }
    for (QMdiSubWindow *sub : std::as_const(subs)) {
        if (!mdiArea->subWindowList().contains(sub))
            continue;
        if (!sub->close())
            return false;
    }
    return true;
}

void frmMain::closeEvent(QCloseEvent *event)
{
    // Full-screen text goes back into its document before anything is asked.
    modFullScreen::Leave();
    bool cancel = false;
    const int reason = m_closeReason;
    m_closeReason = vbFormControlMenu;
    MDIForm_QueryUnload(cancel, reason);
    if (cancel || !closeAllDocuments()) {
        event->ignore();
        return;
    }
    MDIForm_Unload(cancel);
    if (cancel) {
        event->ignore();
        return;
    }
    event->accept();
}

// ---------------------------------------------------------------- commands

void frmMain::exit_Click()
{
    // Closes the normal way, so every changed document is asked about and
    // Cancel keeps Quillet open.
    m_closeReason = vbFormCode;
    close();
}

void frmMain::new_Click()
{
    genMod::NewDocument();
}

void frmMain::newind_Click()
{
    genMod::NewDocument();
}

void frmMain::open_Click() { fileMod::OpenCommand(); }
void frmMain::close_Click() { fileMod::CloseCommand(); }
void frmMain::menuFileCloseAll_Click() { fileMod::CloseAllCommand(); }
void frmMain::save_Click() { fileMod::SaveCommand(); }
void frmMain::saveas_Click() { fileMod::SaveAsCommand(); }
void frmMain::menuFileSaveAll_Click() { fileMod::SaveAllCommand(); }

void frmMain::Combo1_Click() { modFontBar::Combo1_Click(); }
void frmMain::Combo1_KeyPress(int &keyAscii) { modFontBar::Combo1_KeyPress(keyAscii); }
void frmMain::Combo2_Click() { modFontBar::Combo2_Click(); }
void frmMain::Combo2_KeyPress(int &keyAscii) { modFontBar::Combo2_KeyPress(keyAscii); }
void frmMain::Combo3_Click() { modFontBar::Combo3_Click(); }

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (Combo3 && watched == Combo3->lineEdit()) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                return true;
        } else if (event->type() == QEvent::FocusOut) {
            m_combo3EditEnding = true;
            QTimer::singleShot(0, this, [this] { m_combo3EditEnding = false; });
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::stdbar_ButtonClick(QAction *button)
{
    if (button && stdbar->actions().contains(button))
        button->trigger();
}

void frmMain::formatbar_ButtonClick(QAction *button)
{
    // A disabled bar takes no clicks.
    if (button && formatbar->isEnabled() && formatbar->actions().contains(button))
        button->trigger();
}

void frmMain::CommLineFile() { fileMod::CommLineFile(); }

void frmMain::find_Click() { frmFind::ShowFor(this); }

void frmMain::MDIForm_OLEDragOver(QDragMoveEvent *event) { fileMod::DragOver(event); }
void frmMain::MDIForm_OLEDragDrop(QDropEvent *event) { fileMod::DragDrop(event); }

void frmMain::dragEnterEvent(QDragEnterEvent *event) { MDIForm_OLEDragOver(event); }
void frmMain::dragMoveEvent(QDragMoveEvent *event) { MDIForm_OLEDragOver(event); }
void frmMain::dropEvent(QDropEvent *event) { MDIForm_OLEDragDrop(event); }

// ---------------------------------------------------------------- View, Window, Help
// A toggle's check mark flips with the entry itself; the handler flips the element.

void frmMain::statusbar_Click() { modView::ApplyStatusBarEntry(Menu(QStringLiteral("statusbar")), stsbar); }
void frmMain::menuViewFileExplorer_Click() { modView::InvertVisibility(picFileBar); }
void frmMain::menuViewRulerIndent_Click() { modView::InvertRulerBand(picSlider1, cbrRuler); }
void frmMain::menuViewRulerHangingIndent_Click() { modView::InvertRulerBand(picSlider2, cbrRuler); }
void frmMain::menuViewRulerScale_Click() { modView::InvertRulerBand(picRuler, cbrRuler); }
void frmMain::standard_Click() { modView::InvertVisibility(stdbar); }
void frmMain::format_Click() { modView::InvertVisibility(formatbar); }
void frmMain::menuViewToolbarFontbar_Click() { modView::InvertVisibility(picFont); }
void frmMain::menuViewFullScreen_Click() { modFullScreen::Enter(ActiveForm()); }

void frmMain::menuViewSpellAsYouType_Click()
{
    modSpellAsYouType::SetEnabled(Menu(QStringLiteral("menuViewSpellAsYouType"))->isChecked());
}
void frmMain::tileh_Click() { modView::Arrange(mdiArea, modView::vbTileHorizontal); }
void frmMain::tilev_Click() { modView::Arrange(mdiArea, modView::vbTileVertical); }
void frmMain::cascade_Click() { modView::Arrange(mdiArea, modView::vbCascade); }
void frmMain::aricons_Click() { modView::Arrange(mdiArea, modView::vbArrangeIcons); }

void frmMain::contents_Click()
{
    modHelp::contents_Click();
    SetFocus();
}

void frmMain::menuHelpTipOfDay_Click()
{
    modHelp::ShowTipOfTheDay(this);
    SetFocus();
}

void frmMain::menuShowFrmSplash_Click() { modHelp::menuShowFrmSplash_Click(); }

void frmMain::about_Click()
{
    modHelp::about_Click(this);
    SetFocus();
}

void frmMain::File1_Click(const QString &path) { fileMod::OpenFile(path); }
