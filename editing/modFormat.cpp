#include "editing/modFormat.h"

#include "editing/modActive.h"
#include "platform/CommonDialog.h"
#include "platform/RichTextBox.h"
#include "shell/frmMain.h"

#include <QAction>

#include <optional>

namespace modFormat {

namespace {

struct StyleParts
{
    std::optional<bool> (RichTextBox::*read)() const;
    void (RichTextBox::*write)(bool);
    const char *button;
    const char *entry;
};

StyleParts parts(Style style)
{
    switch (style) {
    case Bold:
        return {&RichTextBox::SelBold, &RichTextBox::SetSelBold, "bold", "menuFormatFontBold"};
    case Underline:
        return {&RichTextBox::SelUnderline, &RichTextBox::SetSelUnderline, "under",
                "menuFormatFontUnderline"};
    case Italic:
        return {&RichTextBox::SelItalic, &RichTextBox::SetSelItalic, "italic", "menuFormatFontItalic"};
    case StrikeThru:
        break;
    }
    return {&RichTextBox::SelStrikeThru, &RichTextBox::SetSelStrikeThru, "strikethru",
            "menuFormatFontStrikethru"};
}

void setPressed(const char *key, bool on)
{
    if (QAction *button = modActive::Button(key))
        button->setChecked(on);
}

void menuToggle(Style style)
{
    if (modActive::EditorOrNotice())
        Toggle(style);
}

CommonDialog *commonDialog()
{
    frmMain *main = frmMain::instance();
    return main ? main->cd1 : nullptr;
}

void colourCommand(RichTextBox *rtf)
{
    CommonDialog *cd1 = commonDialog();
    if (!rtf || !cd1)
        return;
    cd1->SetDialogTitle(QStringLiteral("Pick Font Color . . ."));
    cd1->SetFlags(CommonDialog::cdlCCRGBInit);
    const bool chosen = cd1->ShowColor();
    // A cancelled dialog still holds its last colour; painting the selection
    // with it would change text the user meant to leave alone.
    if (chosen && modActive::Editor() == rtf)
        rtf->SetSelColor(cd1->Color());
    modActive::ReturnFocus();
}

} // namespace

bool Toggle(Style style)
{
    RichTextBox *rtf = modActive::Editor();
    if (!rtf)
        return false;
    const StyleParts p = parts(style);
    (rtf->*p.write)(!((rtf->*p.read)() == true));
    const bool on = (rtf->*p.read)() == true;
    setPressed(p.button, on);
    if (QAction *entry = modActive::Entry(p.entry)) {
        entry->setCheckable(true);
        entry->setChecked(on);
    }
    return true;
}

void menuFormatFontBold_Click() { menuToggle(Bold); }
void menuFormatFontUnderline_Click() { menuToggle(Underline); }
void menuFormatFontItalic_Click() { menuToggle(Italic); }
void menuFormatFontStrikethru_Click() { menuToggle(StrikeThru); }

void menuFormatFontColor_Click()
{
    colourCommand(modActive::EditorOrNotice());
}

void ChooseColor()
{
    colourCommand(modActive::Editor());
}

void mnufont_Click()
{
    RichTextBox *rtf = modActive::EditorOrNotice();
    CommonDialog *cd1 = commonDialog();
    if (!rtf || !cd1)
        return;
    cd1->SetFlags(CommonDialog::cdlCFBoth | CommonDialog::cdlCFEffects);
    const bool chosen = cd1->ShowFont();
    if (chosen && modActive::Editor() == rtf) {
        // One undo step for the whole font.
        rtf->BeginUpdate();
        rtf->SetSelFontName(cd1->FontName());   // an empty name is skipped
        rtf->SetSelFontSize(cd1->FontSize());   // a size out of range is skipped
        rtf->SetSelBold(cd1->FontBold());
        rtf->SetSelUnderline(cd1->FontUnderline());
        rtf->SetSelItalic(cd1->FontItalic());
        rtf->SetSelStrikeThru(cd1->FontStrikethru());
        // This font dialog offers no colour: the colour it would hand over is
        // whatever the colour dialog held, so the text keeps its own.
        rtf->EndUpdate();
        setPressed("bold", rtf->SelBold() == true);
        setPressed("under", rtf->SelUnderline() == true);
        setPressed("italic", rtf->SelItalic() == true);
        setPressed("strikethru", rtf->SelStrikeThru() == true);
    }
    modActive::ReturnFocus();
}

}
