#pragma once

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QString>
#include <functional>

class CommonDialog;
class QAction;
class QComboBox;
class QDragMoveEvent;
class QDropEvent;
class QLabel;
class ExplorerPane;
class FileListBox;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSlider;
class QStatusBar;
class QToolBar;
class QTreeWidget;
class QWidget;
class frmDoc;

// The multiple-document main window. It owns the menus, the two toolbars and
// the font bar, the rulers, the explorer pane, the status bar, the common
// dialog and the answer flags of the message box; every document window is a
// child of its MDI area. There is one instance per run (instance()).
//
// The window wires commands to the modules that carry them out; it decides
// little itself. Closing it closes every document window through that
// window's own close handling, and a document that refuses keeps the main
// window open.
class frmMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    // The single instance, or nullptr when none exists.
    static frmMain *instance();

    // --- public members other parts read and write ---
    QString defFontName;
    qint16 defFontSize = 0;
    bool bYes = false;
    bool bNo = false;
    bool bCancel = false;

    QComboBox *Combo1 = nullptr;   // font names
    QComboBox *Combo2 = nullptr;   // font sizes
    QComboBox *Combo3 = nullptr;   // style presets
    QToolBar *stdbar = nullptr;
    QToolBar *picFont = nullptr;   // the font bar band
    QToolBar *formatbar = nullptr;
    QStatusBar *stsbar = nullptr;
    CommonDialog *cd1 = nullptr;

    QWidget *cbrRuler = nullptr;   // ruler rebar: three bands, one per row
    QWidget *picSlider1 = nullptr;
    QWidget *picSlider2 = nullptr;
    QWidget *picRuler = nullptr;
    QSlider *sliderIndent = nullptr;
    QSlider *sliderHangingIndent = nullptr;

    QWidget *picFileBar = nullptr;   // explorer pane
    QTreeWidget *tvwFolders = nullptr;
    FileListBox *File1 = nullptr;
    ExplorerPane *explorer = nullptr;   // the pane's own logic; picFileBar is it

    QMdiArea *mdiArea = nullptr;

    // The active document window, or nullptr. Uses the MDI area's current
    // window, which stays valid while the application is not active.
    frmDoc *ActiveForm() const;
    // Open document windows in the order they were created.
    QList<frmDoc *> documents() const;
    // Puts a new document window into the MDI area, shows it and makes it
    // the active one.
    QMdiSubWindow *AddDocument(frmDoc *doc);

    // Commands. Each command is one QAction, created once with a stable
    // objectName and shared by its menu entry and its toolbar button, so
    // their enabled and checked states cannot drift apart. A button that
    // runs a menu command is that entry's action ("bold" is
    // "menuFormatFontBold"); a button of its own ("redo") has its key as
    // objectName.
    //
    // Toolbar button by key ("bold", "find"); nullptr for an unknown key.
    // A checkable button's value is 1 when checked.
    QAction *Button(const QString &key) const;
    // Menu entry by name ("save", "menuViewRulerS"); submenus give their
    // menuAction. nullptr for an unknown name.
    QAction *Menu(const QString &name) const;

    // Status bar panels, numbered from 1.
    enum StatusPanel {
        PanelHelp = 1, PanelLineLabel, PanelLine, PanelLinesLabel, PanelLines,
        PanelWordsLabel, PanelWords, PanelNum, PanelCaps, PanelIns, PanelClock
    };
    // Status bar panel, PanelHelp to PanelClock; nullptr outside that range.
    QLabel *Panel(int index) const;

    // Gives the keyboard focus to the active document's text, or to the
    // main window itself when no document is open.
    void SetFocus();
    // Runs task from the event loop once the window is on screen: a message
    // about a file loaded at start-up waits for the window it is centred on.
    void WhenShown(const std::function<void()> &task);

    // --- handlers ---
    void MDIForm_Load();
    void MDIForm_QueryUnload(bool &cancel, int reason);
    void MDIForm_Unload(bool &cancel);

    void exit_Click();
    void new_Click();
    void newind_Click();

    // View, Window and Help
    void statusbar_Click();
    void menuViewFileExplorer_Click();
    void menuViewRulerIndent_Click();
    void menuViewRulerHangingIndent_Click();
    void menuViewRulerScale_Click();
    void standard_Click();
    void format_Click();
    void menuViewToolbarFontbar_Click();
    void menuViewFullScreen_Click();
    void menuViewSpellAsYouType_Click();
    void tileh_Click();
    void tilev_Click();
    void cascade_Click();
    void aricons_Click();
    void contents_Click();
    void menuHelpTipOfDay_Click();
    void menuShowFrmSplash_Click();
    void about_Click();
    void File1_Click(const QString &path);
    void open_Click();
    void close_Click();
    void menuFileCloseAll_Click();
    void save_Click();
    void saveas_Click();
    void menuFileSaveAll_Click();
    void find_Click();

    void Combo1_Click();
    void Combo1_KeyPress(int &keyAscii);
    void Combo2_Click();
    void Combo2_KeyPress(int &keyAscii);
    void Combo3_Click();

    // A click on a toolbar button: runs the command of its key.
    void stdbar_ButtonClick(QAction *button);
    void formatbar_ButtonClick(QAction *button);

    void CommLineFile();
    // The spell-check run on the active document (Tools > Spell Check).
    void spellCheckDoc();

    void MDIForm_OLEDragOver(QDragMoveEvent *event);
    void MDIForm_OLEDragDrop(QDropEvent *event);

signals:
    // A document window was put into the MDI area (AddDocument).
    void documentAdded(frmDoc *doc);

public:
    // Close reasons passed to MDIForm_QueryUnload.
    enum UnloadReason { vbFormControlMenu = 0, vbFormCode = 1 };

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    void buildToolbars();
    void buildFontBar();
    void buildRulers();
    void buildExplorerPane();
    void buildStatusBar();
    void buildWindowList();
    void connectCommands();
    void connectDocument(frmDoc *doc);
    QAction *addEntry(QMenu *menu, const QString &name, const QString &caption,
                      const QKeySequence &shortcut = {});
    QMenu *addSubMenu(QMenu *parent, const QString &name, const QString &caption);
    void addSeparator(QMenu *menu, const QString &name);
    // A toolbar button; menuName names the menu entry whose command (and
    // QAction) it shares, empty for a button with a command of its own.
    QAction *addButton(QToolBar *bar, const QString &key, const QString &tooltip,
                       const QString &menuName, bool checkable);
    static QPoint cascadePosition(const QSize &window, const QSize &area, int index);
    void freeReservedKeys(QMdiSubWindow *sub);
    void runWhenShownSoon();
    void FillDriveTree();
    void ShowTipOfTheDay();
    void QuitSpellingServer();
    bool closeAllDocuments();

    QHash<QString, QAction *> m_menus;
    QHash<QString, QAction *> m_buttons;
    QList<QLabel *> m_panels;
    QMenu *m_windowMenu = nullptr;
    QList<QAction *> m_windowListEntries;
    int m_closeReason = vbFormControlMenu;
    // True while the preset box's own editing ends (focus leaving it): the
    // box then "activates" a matching entry by itself, which is not a choice.
    bool m_combo3EditEnding = false;
    QList<std::function<void()>> m_whenShown;
    bool m_whenShownPending = false;
};
