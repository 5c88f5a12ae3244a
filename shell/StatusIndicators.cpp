#include "shell/StatusIndicators.h"

#include "documents/frmDoc.h"
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
    m_num = main->Panel(8);
    m_caps = main->Panel(9);
    m_ins = main->Panel(10);
    m_clockPanel = main->Panel(11);
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
    show();
}

void StatusIndicators::followEditor(RichTextBox *editor)
{
    if (m_editorConnection)
        disconnect(m_editorConnection);
    m_editor = editor;
    m_overwrite = editor && editor->overwriteMode();
    if (editor) {
        m_editorConnection = connect(editor, &RichTextBox::OverwriteModeChanged, this,
                                     [this](bool overwrite) {
                                         m_overwrite = overwrite;
                                         show();
                                     });
        // The last document closed: back to the insert mode a new one starts in.
        connect(editor, &QObject::destroyed, this, [this, editor] {
            if (m_editor == editor || !m_editor) {
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
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    // A key the focus widget ignores travels on to its parents; the same
    // event seen again higher up is not a second press.
    auto *widget = static_cast<QWidget *>(watched);
    const bool again = event == m_lastKey && m_lastTarget && widget->isAncestorOf(m_lastTarget);
    m_lastKey = event;
    m_lastTarget = widget;
    if (!again) {
        const auto *key = static_cast<const QKeyEvent *>(event);
        bool changed = false;
        const bool keypad = key->modifiers().testFlag(Qt::KeypadModifier);
        if (key->key() == Qt::Key_NumLock) {
            m_numLock = !m_numLock;
            changed = true;
        } else if (key->key() == Qt::Key_CapsLock) {
            m_capsLock = !m_capsLock;
            changed = true;
        } else if (keypad && key->key() >= Qt::Key_0 && key->key() <= Qt::Key_9) {
            changed = !m_numLock;
            m_numLock = true;
        } else if (keypad && (key->key() == Qt::Key_Home || key->key() == Qt::Key_End
                              || key->key() == Qt::Key_Left || key->key() == Qt::Key_Right
                              || key->key() == Qt::Key_Up || key->key() == Qt::Key_Down
                              || key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown)) {
            changed = m_numLock;
            m_numLock = false;
        } else if (key->key() >= Qt::Key_A && key->key() <= Qt::Key_Z && key->text().size() == 1
                   && !key->modifiers().testAnyFlags(Qt::ControlModifier | Qt::AltModifier
                                                     | Qt::MetaModifier)) {
            const bool upper = key->text().at(0).isUpper();
            const bool shift = key->modifiers().testFlag(Qt::ShiftModifier);
            const bool caps = upper != shift;
            changed = caps != m_capsLock;
            m_capsLock = caps;
        }
        if (changed)
            show();
    }
    return QObject::eventFilter(watched, event);
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
