#pragma once

#include <QString>
#include <QWidget>
#include <optional>

class QMdiSubWindow;
class RichTextBox;

// One open document: a window in the main window's MDI area holding the rich
// text control rtf1. The window owns its content, its caption and its flags;
// nothing of the document outlives it.
//
// Closing the window (its close box, File > Close, or the main window
// closing) runs Form_QueryUnload and then Form_Unload; either may cancel,
// and a cancelled close keeps the window open with its content.
//
// The window never touches the main window's widgets: its event handlers
// announce what the main window shows (statistics, the format at the caret,
// whether there is text to find) through the signals below, and the main
// window connects them when it adds the window.
class frmDoc : public QWidget
{
    Q_OBJECT

public:
    explicit frmDoc(QWidget *parent = nullptr);
    ~frmDoc() override;

    RichTextBox *rtf1 = nullptr;
    bool bChanged = false;
    bool bAddStar = false;

    QString Caption() const;
    void SetCaption(const QString &caption);
    // The file the window was last read from or written to, and the
    // RichTextBox file type it was read or written as; empty for a new
    // document. The caption shows the path.
    QString FilePath() const { return m_filePath; }
    int FileType() const { return m_fileType; }
    // Records the window's file and captions the window with its path.
    void SetFile(const QString &path, int fileType);
    // The name a save writes to: the file's path, or for a document that
    // has none the caption without its change mark "*".
    QString FileName() const;
    // 0 normal, 1 minimized, 2 maximized (of the window's MDI subwindow).
    int WindowState() const;
    QMdiSubWindow *subWindow() const;

    // The unsaved-change question; sets cancel to keep the window open.
    void checkDocForChange(bool &cancel);

    // --- handlers ---
    void Form_Load();
    void Form_QueryUnload(bool &cancel, int unloadMode);
    void Form_Unload(bool &cancel);
    void Form_Activate();
    void Form_Deactivate();
    void Form_Resize();
    void rtf1_Change();
    void rtf1_KeyPress(int keyAscii);
    void rtf1_KeyUp(int keyCode, int shift);
    void rtf1_MouseUp(int button, int shift, int x, int y);
    void rtf1_SelChange();

    // Called once the window sits in its MDI subwindow, so activation and
    // deactivation of that subwindow reach the handlers.
    void attachToSubWindow(QMdiSubWindow *subWindow);

signals:
    // The figures of the status bar: the line of the selection (from 1), the
    // number of laid-out lines, the number of words.
    void statisticsChanged(qlonglong currentLine, qlonglong lineCount, qlonglong words);
    // The window no longer shows figures (deactivated, or closing).
    void statisticsCleared();
    // The font at the caret; nullopt where the selection mixes values, which
    // leaves a box as it was.
    void fontAtCaretChanged(std::optional<QString> name, std::optional<double> size);
    // Bold, italic, underline of the selection; a mixed value counts as off.
    void styleAtCaretChanged(bool bold, bool italic, bool underline);
    // RichTextBox alignment code of the selection; nullopt when mixed.
    void alignmentAtCaretChanged(std::optional<int> alignment);
    // The first-line indent (twips, nullopt when mixed) against the right
    // margin, for the indentation ruler.
    void indentAtCaretChanged(std::optional<int> indentTwips, int rightMarginTwips);
    // The text changed: whether there is now any text to find.
    void contentChanged(bool hasText);

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void refreshStatistics();

    QMdiSubWindow *m_subWindow = nullptr;
    bool m_active = false;
    QString m_filePath;
    int m_fileType = 0;
};
