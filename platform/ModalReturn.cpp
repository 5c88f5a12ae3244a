#include "ModalReturn.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

ModalReturn::ModalReturn(QObject *parent) : QObject(parent)
{
    qApp->installEventFilter(this);
}

bool ModalReturn::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Show && event->type() != QEvent::Hide)
        return QObject::eventFilter(watched, event);
    if (!watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    auto *widget = static_cast<QWidget *>(watched);
    if (!widget->isWindow() || !widget->isModal())
        return QObject::eventFilter(watched, event);

    if (event->type() == QEvent::Show) {
        // Where the platform names no active window (on X11 it may name
        // none until one is clicked), the dialog's owner is the one.
        QWidget *active = QApplication::activeWindow();
        if (!active && widget->parentWidget())
            active = widget->parentWidget()->window();
        m_before.insert(widget, active);
        return QObject::eventFilter(watched, event);
    }
    const QPointer<QWidget> before = m_before.take(widget);
    if (!before || before == widget)
        return QObject::eventFilter(watched, event);
    const QPointer<QWidget> dialog = widget;
    // Once the hide is done: the dialog may be gone by then, and a window
    // manager that hands activation back itself has had its chance.
    QTimer::singleShot(0, this, [before, dialog] {
        if (!before || !before->isVisible())
            return;
        // Another modal window still up keeps the keys.
        if (QWidget *modal = QApplication::activeModalWidget(); modal && modal != before)
            return;
        QWidget *active = QApplication::activeWindow();
        if (!active || active == dialog || !active->isVisible())
            before->activateWindow();
    });
    return QObject::eventFilter(watched, event);
}
