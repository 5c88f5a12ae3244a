#pragma once

// The font bar's commands: they read the boxes through frmMain::instance()
// and act on the active document.
namespace modFontBar {

void Combo1_Click();
void Combo1_KeyPress(int &keyAscii);
void Combo2_Click();
void Combo2_KeyPress(int &keyAscii);
void Combo3_Click();

}
