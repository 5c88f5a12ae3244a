#pragma once

// Character formatting of the active document's selection: the four style
// toggles, the text colour and the font dialog. The toggles keep the format
// bar's button and the menu's check mark in step with what the selection
// reads afterwards.
//
// The menu commands tell the user "No document is open !" when there is no
// document; the format bar runs the same commands quietly. A cancelled
// colour or font dialog changes nothing.
namespace modFormat {

enum Style { Bold, Underline, Italic, StrikeThru };

// Styled throughout becomes plain; plain or mixed becomes styled throughout.
// Sets the style's button and check mark from the result. Returns false when
// no document is open (then nothing is touched).
bool Toggle(Style style);

void menuFormatFontBold_Click();
void menuFormatFontUnderline_Click();
void menuFormatFontItalic_Click();
void menuFormatFontStrikethru_Click();

// The colour dialog titled "Pick Font Color . . .", opening on the colour
// chosen last; the choice colours the selection.
void menuFormatFontColor_Click();
// The format bar's colour button: the same, silent without a document.
void ChooseColor();

// The font dialog: name, size, bold, underline, italic and strike-through go
// to the selection in one step; the four style buttons follow.
void mnufont_Click();

}
