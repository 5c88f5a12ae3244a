#include "documents/modGeneral.h"

#include "platform/RichTextBox.h"

namespace modGeneral {

int CountWords(const QString &text)
{
    Q_UNUSED(text);
    return 0;
}

void ShowCurrentLine(RichTextBox *rtb)
{
    Q_UNUSED(rtb);
}

void ShowLineCount(RichTextBox *rtb)
{
    Q_UNUSED(rtb);
}

}
