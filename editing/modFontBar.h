#pragma once

#include <QString>

// The font bar's commands: they read the boxes through frmMain::instance()
// and act on the selection of the active document. With no document open
// the document steps are skipped; a preset still shows its font and size.
namespace modFontBar {

void Combo1_Click();
void Combo1_KeyPress(int &keyAscii);
void Combo2_Click();
void Combo2_KeyPress(int &keyAscii);
void Combo3_Click();

// The number a size box text starts with ("12pt" gives 12, "abc" 0), as a
// chosen list entry is read.
double LeadingNumber(const QString &text);

}
