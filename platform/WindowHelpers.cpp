#include "WindowHelpers.h"

#include <QWidget>

namespace {

void changeFlags(QWidget *window, Qt::WindowFlags flags)
{
    if (!window || window->windowFlags() == flags)
        return;
    const bool wasVisible = window->isVisible();
    const QRect geometry = window->geometry();
    window->setWindowFlags(flags);
    window->setGeometry(geometry);
    if (wasVisible)
        window->show();
}

} // namespace

void WindowHelpers::removeCloseButton(QWidget *window)
{
    if (!window)
        return;
    Qt::WindowFlags flags = window->windowFlags();
    // Once customised, only the hints named are shown: keep the title, the
    // window menu and whatever buttons the window had besides Close.
    if (!(flags & Qt::CustomizeWindowHint)) {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
        const Qt::WindowType type = window->windowType();
        if (type == Qt::Window)
            flags |= Qt::WindowMinMaxButtonsHint;
    }
    flags &= ~Qt::WindowCloseButtonHint;
    changeFlags(window, flags);
}

void WindowHelpers::makeTopmost(QWidget *window)
{
    if (window)
        changeFlags(window, window->windowFlags() | Qt::WindowStaysOnTopHint);
}

void WindowHelpers::makeNotTopmost(QWidget *window)
{
    if (window)
        changeFlags(window, window->windowFlags() & ~Qt::WindowStaysOnTopHint);
}
