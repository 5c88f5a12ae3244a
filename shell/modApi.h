#pragma once

class QWidget;

// Small window operations several windows need.
namespace modApi {

// Takes the Close command (and the title bar's close button) from a window,
// so it can be left only through its own buttons.
void RemoveCloseMenuItem(QWidget *form);
// Moves a window into, or out of, the always-on-top band without moving or
// sizing it.
void MakeTopmost(QWidget *form);
void MakeNotTopmost(QWidget *form);

}
