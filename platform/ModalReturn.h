#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>

class QWidget;

// When a modal dialog closes, the window that was active before it becomes
// active again. A window manager usually does this; without one (a bare X
// server, the offscreen platform) the window below is left inactive: typing
// still reaches its focus widget, but none of its shortcuts fire.
//
// Watches the whole application while it lives; owned by the main window.
class ModalReturn : public QObject
{
public:
    explicit ModalReturn(QObject *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Each modal window shown and not yet hidden, with the window that was
    // active when it appeared.
    QHash<QObject *, QPointer<QWidget>> m_before;
};
