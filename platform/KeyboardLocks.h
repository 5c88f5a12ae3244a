#pragma once

#include <functional>
#include <optional>

// The lock keys as the keyboard itself has them: on X11 the XKB indicator
// lights of the display Qt is connected to, on Windows the keys' toggle
// state. Where the platform cannot tell (the offscreen platform, Wayland)
// the state is unknown, and callers keep what they knew.
class KeyboardLocks
{
public:
    struct State
    {
        bool numLock = false;
        bool capsLock = false;
    };

    // Asks the platform now; nullopt when it cannot tell.
    static std::optional<State> query();

    // Test seam: while set, query() returns what this returns instead of
    // asking the platform. An empty function switches it off.
    static void setQueryOverride(std::function<std::optional<State>()> override);
};
