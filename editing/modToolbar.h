#pragma once

// The toolbar keys that run no menu command of their own. Every other key
// shares its menu entry's action.
namespace modToolbar {

// The standard bar's "redo": there is no redo, only a notice saying so.
void redo_Click();

}
