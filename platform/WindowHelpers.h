#pragma once

class QWidget;

// Window operations over window flags. Changing flags hides a window in Qt;
// these put a visible window back where it was, at the same size.
class WindowHelpers
{
public:
    // Takes the close button (and the Close command) from the title bar.
    static void removeCloseButton(QWidget *window);
    static void makeTopmost(QWidget *window);
    static void makeNotTopmost(QWidget *window);
};
