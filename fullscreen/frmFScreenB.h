#pragma once

#include <QWidget>

class QAction;
class QToolBar;

// The small floating window of full-screen mode: always on top, no close
// button, one toolbar button ("FullScreen") that returns to normal mode.
// Its title bar cannot close it; only the button, or full screen ending,
// does. One exists at a time (instance()).
class frmFScreenB : public QWidget
{
    Q_OBJECT

public:
    explicit frmFScreenB(QWidget *owner = nullptr);
    ~frmFScreenB() override;

    static frmFScreenB *instance();

    QToolBar *tbrFull = nullptr;
    // The toolbar's button by key; nullptr for any other key.
    QAction *Button(const QString &key) const;

    void Form_Load();
    void tbrFull_ButtonClick(QAction *button);
    // Leaves the topmost band, closes, and hands the focus to the main window.
    void Form_Unload();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    bool m_unloading = false;
};
