#include "KeyboardLocks.h"

#include <QGuiApplication>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#ifdef QUILLET_HAVE_XKB
#include <QtGui/qguiapplication_platform.h>
// Xlib last: its macros (None, KeyPress, Status...) would clash with Qt's names.
#include <X11/XKBlib.h>
#endif

namespace {

std::function<std::optional<KeyboardLocks::State>()> &queryOverride()
{
    static std::function<std::optional<KeyboardLocks::State>()> override;
    return override;
}

#ifdef QUILLET_HAVE_XKB
// The named indicator lights, as the keyboard shows them; false when the
// keymap has no such light.
std::optional<KeyboardLocks::State> queryX11()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display *display = x11 ? x11->display() : nullptr;
    if (!display)
        return std::nullopt;
    auto lit = [display](const char *name, bool &on) {
        const Atom atom = XInternAtom(display, name, True);
        Bool state = False;
        if (atom == 0 || !XkbGetNamedIndicator(display, atom, nullptr, &state, nullptr, nullptr))
            return false;
        on = state;
        return true;
    };
    KeyboardLocks::State state;
    const bool num = lit("Num Lock", state.numLock);
    const bool caps = lit("Caps Lock", state.capsLock);
    if (!num && !caps)
        return std::nullopt;
    return state;
}
#endif

} // namespace

std::optional<KeyboardLocks::State> KeyboardLocks::query()
{
    if (queryOverride())
        return queryOverride()();
#if defined(Q_OS_WIN)
    State state;
    state.numLock = (GetKeyState(VK_NUMLOCK) & 1) != 0;
    state.capsLock = (GetKeyState(VK_CAPITAL) & 1) != 0;
    return state;
#elif defined(QUILLET_HAVE_XKB)
    return queryX11();
#else
    return std::nullopt;
#endif
}

void KeyboardLocks::setQueryOverride(std::function<std::optional<State>()> override)
{
    queryOverride() = std::move(override);
}
