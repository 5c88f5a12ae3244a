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
// Qt cannot ask the keyboard for its lock states, so NUM and CAPS show what
// the program last learnt from keys it saw: the lock keys toggle them, a
// letter typed without Shift shows whether Caps Lock is on, a key from the
// number pad whether Num Lock is. Until then NUM reads on and CAPS off, the
// usual state of a desktop keyboard. A panel whose state is off is greyed.
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

    QPointer<QLabel> m_num;
    QPointer<QLabel> m_caps;
    QPointer<QLabel> m_ins;
    QPointer<QLabel> m_clockPanel;
    QTimer *m_clock;
    QPointer<RichTextBox> m_editor;
    const QEvent *m_lastKey = nullptr;
    QPointer<QWidget> m_lastTarget;
    QMetaObject::Connection m_editorConnection;
    bool m_numLock = true;
    bool m_capsLock = false;
    bool m_overwrite = false;
};
