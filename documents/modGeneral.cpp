#include "documents/modGeneral.h"

#include "documents/WordCounter.h"
#include "platform/RichTextBox.h"
#include "shell/frmMain.h"

#include <QLabel>
#include <QLocale>

namespace modGeneral {

namespace {

void setPanel(int index, const QString &text)
{
    if (frmMain *main = frmMain::instance()) {
        if (QLabel *panel = main->Panel(index))
            panel->setText(text);
    }
}

} // namespace

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

void ShowCurrentLine(RichTextBox *rtb)
{
    if (!rtb)
        return;
    setPanel(3, FormatLineFigure(qlonglong(rtb->LineFromChar(-1)) + 1));
}

void ShowLineCount(RichTextBox *rtb)
{
    if (!rtb)
        return;
    setPanel(5, FormatLineFigure(rtb->GetLineCount()));
}

void ShowStatistics(RichTextBox *rtb)
{
    if (!rtb)
        return;
    ShowCurrentLine(rtb);
    ShowLineCount(rtb);
    // The word count is plain digits, unlike the line figures.
    setPanel(7, QString::number(DocumentWordCount(rtb)));
}

void ClearStatistics()
{
    for (int panel : {3, 5, 7})
        setPanel(panel, QString());
}

}
