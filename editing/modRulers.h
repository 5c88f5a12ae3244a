#pragma once

// The two indentation rulers: each slider position stands for a fraction of
// the active document's right margin. The indent slider (0 to 9) sets the
// first-line indent of the selected paragraphs; the hanging-indent slider
// (0 to 8) sets where their following lines stand, measured from the indent
// slider's position. Moving a slider with no document open does nothing.
namespace modRulers {

// SelIndent for an indent slider at value of maximum.
int IndentTwips(int value, int maximum, int rightMargin);
// SelHangingIndent for the hanging slider at hanging of its maximum and the
// indent slider at indent; negative when the hanging slider lies left.
int HangingIndentTwips(int hanging, int indent, int hangingMaximum, int rightMargin);

// The slider handlers: a position the user gave goes to the active document,
// both indents in one undo step.
void sliderIndent_Scroll();
void sliderHangingIndent_Scroll();

}
