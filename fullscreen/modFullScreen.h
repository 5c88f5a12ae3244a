#pragma once

class RichTextBox;
class frmDoc;

// View > Full Screen and the way back.
namespace modFullScreen {

// Edits doc full screen. With no document: "No open documents !". While
// full screen is already on, it only brings that window forward.
void Enter(frmDoc *doc);
// Returns to normal mode, as the floating button does; nothing when full
// screen is off.
void Leave();
bool IsActive();

// Puts the whole content of from, formatting and all, at the caret of the
// empty control to, without the clipboard. An empty from adds nothing.
void TransferContent(const RichTextBox *from, RichTextBox *to);

}
