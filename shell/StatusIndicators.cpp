#include "shell/StatusIndicators.h"

#include "documents/frmDoc.h"
#include "platform/KeyboardLocks.h"
#include "platform/RichTextBox.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTime>
#include <QTimer>

StatusIndicators::StatusIndicators(frmMain *main)
    : QObject(main), m_clock(new QTimer(this))
{
    setObjectName(QStringLiteral("statusIndicators"));
    // Held weakly: while the main window is being destroyed the panels may
    // go before the documents whose end is reported here.
    m_num = main->Panel(frmMain::PanelNum);
    m_caps = main->Panel(frmMain::PanelCaps);
    m_ins = main->Panel(frmMain::PanelIns);
    m_clockPanel = main->Panel(frmMain::PanelClock);
    if (main->mdiArea) {
        connect(main->mdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *sub) {
            // A null activation only means the application lost focus; the
            // document that was active stays the one shown.
            if (!sub)
                return;
            if (auto *doc = qobject_cast<frmDoc *>(sub->widget()))
                followEditor(doc->rtf1);
        });
    }
    qApp->installEventFilter(this);
    connect(m_clock, &QTimer::timeout, this, &StatusIndicators::updateClock);
    m_clock->start(1000);
    updateClock();
    refreshLocks(nullptr);
    show();
}

void StatusIndicators::followEditor(RichTextBox *editor)
{
    disconnect(m_editorConnection);
    disconnect(m_destroyedConnection);
    m_editor = editor;
    m_overwrite = editor && editor->overwriteMode();
    if (editor) {
        m_editorConnection = connect(editor, &RichTextBox::OverwriteModeChanged, this,
                                     [this](bool overwrite) {
                                         m_overwrite = overwrite;
                                         show();
                                     });
        // The document closed: back to the insert mode a new one starts in.
        // By now only its QObject part is left, so it is told by address,
        // never looked at as the control it was.
        m_destroyedConnection = connect(editor, &QObject::destroyed, this, [this](QObject *gone) {
            if (gone == m_editor) {
                m_editor = nullptr;
                m_overwrite = false;
                show();
            }
        });
    }
    show();
}

void StatusIndicators::updateClock()
{
    if (QLabel *clock = m_clockPanel.data()) {
        const QString now = QLocale().toString(QTime::currentTime(), QLocale::ShortFormat);
        if (clock->text() != now)
            clock->setText(now);
    }
}

bool StatusIndicators::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        // The platform hands every key event to a window first, then to the
        // widget with the focus and perhaps its parents: taken at the window,
        // each event counts once.
        if (watched->isWindowType())
            refreshLocks(event);
        break;
    case QEvent::WindowActivate:
        refreshLocks(nullptr);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void StatusIndicators::refreshLocks(const QEvent *key)
{
    bool num = m_numLock;
    bool caps = m_capsLock;
    if (const std::optional<KeyboardLocks::State> state = KeyboardLocks::query()) {
        num = state->numLock;
        caps = state->capsLock;
    } else if (key && key->type() == QEvent::KeyPress
               && !static_cast<const QKeyEvent *>(key)->isAutoRepeat()) {
        const int pressed = static_cast<const QKeyEvent *>(key)->key();
        if (pressed == Qt::Key_NumLock)
            num = !num;
        else if (pressed == Qt::Key_CapsLock)
            caps = !caps;
    }
    if (num == m_numLock && caps == m_capsLock)
        return;
    m_numLock = num;
    m_capsLock = caps;
    show();
}

void StatusIndicators::show()
{
    if (QLabel *num = m_num.data()) {
        num->setText(QStringLiteral("NUM"));
        num->setEnabled(m_numLock);
    }
    if (QLabel *caps = m_caps.data()) {
        caps->setText(QStringLiteral("CAPS"));
        caps->setEnabled(m_capsLock);
    }
    if (QLabel *ins = m_ins.data()) {
        ins->setText(m_overwrite ? QStringLiteral("OVR") : QStringLiteral("INS"));
        ins->setEnabled(true);
    }
}
