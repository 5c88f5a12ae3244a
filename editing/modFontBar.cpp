#include "editing/modFontBar.h"

#include "documents/frmDoc.h"
#include "platform/KeyCodes.h"
#include "platform/RichTextBox.h"
#include "shell/frmMain.h"

#include <QComboBox>

namespace modFontBar {

namespace {

struct Preset
{
    const char *entry;
    const char *fontName;
    int size;
};

// A preset sets the font name and size only, nothing else of the format.
constexpr Preset Presets[] = {
    {"Heading1", "Arial", 32},
    {"Heading2", "Verdana", 24},
    {"Heading3", "Book Antiqua", 18},
    {"Normal", "Times New Roman", 10},
};

RichTextBox *activeEditor()
{
    frmMain *main = frmMain::instance();
    frmDoc *doc = main ? main->ActiveForm() : nullptr;
    return doc ? doc->rtf1 : nullptr;
}

QString boxText(QComboBox *frmMain::*box)
{
    frmMain *main = frmMain::instance();
    return main && main->*box ? (main->*box)->currentText() : QString();
}

void applyFontName()
{
    RichTextBox *rtf = activeEditor();
    if (!rtf)
        return;
    // A name that is not installed goes to the control as typed.
    rtf->SetSelFontName(boxText(&frmMain::Combo1));
}

} // namespace

double LeadingNumber(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text.at(i) == u' ' || text.at(i) == u'\t'))
        ++i;
    const qsizetype start = i;
    if (i < n && (text.at(i) == u'+' || text.at(i) == u'-'))
        ++i;
    bool digits = false;
    while (i < n && text.at(i).isDigit() && text.at(i).unicode() < 128) {
        ++i;
        digits = true;
    }
    if (i < n && text.at(i) == u'.') {
        ++i;
        while (i < n && text.at(i).isDigit() && text.at(i).unicode() < 128) {
            ++i;
            digits = true;
        }
    }
    if (!digits)
        return 0;
    bool ok = false;
    const double value = text.mid(start, i - start).toDouble(&ok);
    return ok ? value : 0;
}

void Combo1_Click()
{
    applyFontName();
}

void Combo1_KeyPress(int &keyAscii)
{
    if (keyAscii == KeyCodes::vbKeyReturn)
        applyFontName();
}

void Combo2_Click()
{
    RichTextBox *rtf = activeEditor();
    if (!rtf)
        return;
    const double size = LeadingNumber(boxText(&frmMain::Combo2));
    // No font has a size of zero or less: such a value changes nothing.
    if (size > 0)
        rtf->SetSelFontSize(size);
}

void Combo2_KeyPress(int &keyAscii)
{
    if (keyAscii != KeyCodes::vbKeyReturn)
        return;
    if (RichTextBox *rtf = activeEditor())
        rtf->SetSelFontSizeText(boxText(&frmMain::Combo2));
}

void Combo3_Click()
{
    frmMain *main = frmMain::instance();
    const QString entry = boxText(&frmMain::Combo3);
    for (const Preset &preset : Presets) {
        if (entry != QLatin1String(preset.entry))
            continue;
        const QString name = QString::fromLatin1(preset.fontName);
        if (RichTextBox *rtf = activeEditor()) {
            rtf->SetSelFontName(name);
            rtf->SetSelFontSize(preset.size);
        }
        if (main && main->Combo1)
            main->Combo1->setCurrentText(name);
        if (main && main->Combo2)
            main->Combo2->setCurrentText(QString::number(preset.size));
        return;
    }
}

}
