#pragma once

#include <Qt>

class QKeyEvent;

// The one place where Qt's keys, modifiers and mouse buttons become the codes
// the program's handlers test: Windows virtual-key codes (A-Z 65-90, 0-9
// 48-57, Delete 46, arrows 37-40, F1 112...), shift state bits (Shift 1,
// Ctrl 2, Alt 4), character codes of typed keys and mouse button bits
// (left 1, right 2, middle 4).
class KeyCodes
{
public:
    // The codes handlers test by name.
    static constexpr int vbKeyReturn = 13;
    static constexpr int vbKeyDelete = 46;
    static constexpr int vbKeyC = 67;
    static constexpr int vbKeyT = 84;
    static constexpr int vbKeyV = 86;
    static constexpr int vbKeyW = 87;
    static constexpr int vbShiftMask = 1;
    static constexpr int vbCtrlMask = 2;
    static constexpr int vbAltMask = 4;

    // 0 when the key has no virtual-key code.
    static int virtualKey(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    static int shiftState(Qt::KeyboardModifiers modifiers);
    // The character code a key press types (Enter 13, Backspace 8, Tab 9,
    // Escape 27, Ctrl+letter 1-26), or 0 when it types none.
    static int keyAscii(const QKeyEvent &event);
    static int mouseButton(Qt::MouseButton button);
};
