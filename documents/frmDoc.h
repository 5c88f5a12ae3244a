#pragma once

#include <QString>
#include <QWidget>

class QMdiSubWindow;
class RichTextBox;

// One open document: a window in the main window's MDI area holding the rich
// text control rtf1. The window owns its content, its caption and its flags;
// nothing of the document outlives it.
//
// Closing the window (its close box, File > Close, or the main window
// closing) runs Form_QueryUnload and then Form_Unload; either may cancel,
// and a cancelled close keeps the window open with its content.
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
    // The caption without a trailing change mark "*".
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

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QMdiSubWindow *m_subWindow = nullptr;
    bool m_active = false;
};
