#include "documents/modGeneral.h"

#include "documents/WordCounter.h"
#include "platform/RichTextBox.h"

#include <QLocale>

namespace modGeneral {

int CountWords(const QString &text)
{
    return WordCounter::countText(text);
}

int DocumentWordCount(RichTextBox *rtb)
{
    if (!rtb)
        return 0;
    WordCounter *counter = WordCounter::of(rtb->document());
    return counter ? counter->count() : 0;
}

QString FormatLineFigure(qlonglong value)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(value);
}

qlonglong CurrentLine(RichTextBox *rtb)
{
    return rtb ? qlonglong(rtb->LineFromChar(-1)) + 1 : 0;
}

qlonglong LineCount(RichTextBox *rtb)
{
    return rtb ? rtb->GetLineCount() : 0;
}

}
