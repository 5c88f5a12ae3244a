#pragma once

// Paragraph formatting of the active document's selection: the three
// alignment commands of the Format menu, the format bar's own alignment
// keys, and the bullets command of the Insert and Format menus.
namespace modParagraph {

// Sets the alignment, presses its own button and marks its own entry. Of the
// other two buttons (and, apart, of the other two entries) only the first
// one found on, in the command's order, is turned off. With no document open
// the button and the entry still change.
void mnuFormatAlignLeft_Click();
void mnuFormatAlignCenter_Click();
void mnuFormatAlignRight_Click();

// The format bar's "left", "center" and "right": the alignment only; the
// menu's marks stay, the three buttons show what the selection now reads.
void AlignFromBar(int alignment);

// Insert > Bullets (and Format > Insert Bullets): "No document is open !"
// without a document, else modDocument::ToggleBullets.
void menuInsertBullets_Click();

}
