#include "editing/modParagraph.h"

#include "documents/modDocument.h"
#include "editing/modActive.h"
#include "platform/RichTextBox.h"

#include <QAction>

namespace modParagraph {

namespace {

struct AlignCommand
{
    int code;
    const char *button;
    const char *entry;
    const char *otherButtons[2];
    const char *otherEntries[2];
};

constexpr AlignCommand Left{RichTextBox::rtfLeft, "left", "mnuFormatAlignLeft",
                            {"center", "right"}, {"mnuFormatAlignCenter", "mnuFormatAlignRight"}};
constexpr AlignCommand Center{RichTextBox::rtfCenter, "center", "mnuFormatAlignCenter",
                              {"left", "right"}, {"mnuFormatAlignLeft", "mnuFormatAlignRight"}};
constexpr AlignCommand Right{RichTextBox::rtfRight, "right", "mnuFormatAlignRight",
                             {"center", "left"}, {"mnuFormatAlignLeft", "mnuFormatAlignCenter"}};

// Only the first of the two found on is turned off.
void releaseFirstOn(QAction *first, QAction *second)
{
    if (first && first->isChecked())
        first->setChecked(false);
    else if (second && second->isChecked())
        second->setChecked(false);
}

void align(const AlignCommand &command)
{
    if (RichTextBox *rtf = modActive::Editor())
        rtf->SetSelAlignment(command.code);
    if (QAction *button = modActive::Button(command.button))
        button->setChecked(true);
    if (QAction *entry = modActive::Entry(command.entry)) {
        entry->setCheckable(true);
        entry->setChecked(true);
    }
    releaseFirstOn(modActive::Button(command.otherButtons[0]),
                   modActive::Button(command.otherButtons[1]));
    releaseFirstOn(modActive::Entry(command.otherEntries[0]),
                   modActive::Entry(command.otherEntries[1]));
}

} // namespace

void mnuFormatAlignLeft_Click() { align(Left); }
void mnuFormatAlignCenter_Click() { align(Center); }
void mnuFormatAlignRight_Click() { align(Right); }

void AlignFromBar(int alignment)
{
    RichTextBox *rtf = modActive::Editor();
    if (!rtf)
        return;
    rtf->SetSelAlignment(alignment);
    // A click toggles the button by itself; show what the paragraphs now
    // read, as a move of the selection would.
    const auto now = rtf->SelAlignment();
    for (const auto &[key, code] : {std::pair{"left", int(RichTextBox::rtfLeft)},
                                    std::pair{"center", int(RichTextBox::rtfCenter)},
                                    std::pair{"right", int(RichTextBox::rtfRight)}}) {
        if (QAction *button = modActive::Button(key))
            button->setChecked(now == code);
    }
}

void menuInsertBullets_Click()
{
    if (modActive::EditorOrNotice())
        modDocument::ToggleBullets();
}

}
