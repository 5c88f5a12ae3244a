#pragma once

#include <QString>

class RichTextBox;

// Status bar statistics of the active document.
namespace modGeneral {

int CountWords(const QString &text);
void ShowCurrentLine(RichTextBox *rtb);
void ShowLineCount(RichTextBox *rtb);

}
