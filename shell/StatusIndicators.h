#pragma once

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QWidget>

class QTimer;
class frmMain;
class RichTextBox;

// Panels 8 to 11 of the main window's status bar: Num Lock, Caps Lock, the
// insert/overwrite mode of the active document, and a clock. Owned by the
// main window.
//
// NUM and CAPS show the keyboard's own lock state (KeyboardLocks), read
// again on every key press and release and whenever a window of the program
// is activated. Where the platform cannot tell, the lock keys toggle what is
// shown, from NUM on and CAPS off. A panel whose state is off is greyed.
class StatusIndicators : public QObject
{
    Q_OBJECT

public:
    explicit StatusIndicators(frmMain *main);

    bool numLock() const { return m_numLock; }
    bool capsLock() const { return m_capsLock; }
    bool overwrite() const { return m_overwrite; }

    // Follows this control's insert/overwrite mode from now on (nullptr: no
    // document, insert mode shown).
    void followEditor(RichTextBox *editor);
    void updateClock();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void show();
    // Reads the lock state again; key is the key event that prompted it, if any.
    void refreshLocks(const QEvent *key);

    QPointer<QLabel> m_num;
    QPointer<QLabel> m_caps;
    QPointer<QLabel> m_ins;
    QPointer<QLabel> m_clockPanel;
    QTimer *m_clock;
    // The control followed, only ever compared: it may be half destroyed
    // when its end is reported.
    const QObject *m_editor = nullptr;
    QMetaObject::Connection m_editorConnection;
    QMetaObject::Connection m_destroyedConnection;
    bool m_numLock = true;
    bool m_capsLock = false;
    bool m_overwrite = false;
};
