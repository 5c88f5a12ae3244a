#include "editing/modRulers.h"

#include "editing/modActive.h"
#include "platform/RichTextBox.h"
#include "shell/frmMain.h"

#include <QSlider>

#include <cmath>

namespace modRulers {

namespace {

// Twips are whole numbers; a fraction rounds half to even.
int toTwips(double value)
{
    if (!std::isfinite(value) || std::abs(value) > 1e9)
        return 0;
    return int(std::nearbyint(value));
}

void setHangingIndent(frmMain *main, RichTextBox *rtf)
{
    const int twips = HangingIndentTwips(main->sliderHangingIndent->value(), main->sliderIndent->value(),
                                         main->sliderHangingIndent->maximum(), rtf->RightMargin());
    rtf->SetSelHangingIndent(twips);
}

bool ready(frmMain *main)
{
    return main && main->sliderIndent && main->sliderHangingIndent;
}

} // namespace

int IndentTwips(int value, int maximum, int rightMargin)
{
    if (maximum <= 0)
        return 0;
    return toTwips(double(value) / double(maximum) * rightMargin);
}

int HangingIndentTwips(int hanging, int indent, int hangingMaximum, int rightMargin)
{
    if (hangingMaximum <= 0)
        return 0;
    const qint32 difference = hanging - indent;
    return toTwips(double(difference) / double(hangingMaximum) * rightMargin);
}

void sliderIndent_Scroll()
{
    frmMain *main = frmMain::instance();
    RichTextBox *rtf = modActive::Editor();
    if (!ready(main) || !rtf)
        return;
    rtf->BeginUpdate();
    rtf->SetSelIndent(IndentTwips(main->sliderIndent->value(), main->sliderIndent->maximum(),
                                  rtf->RightMargin()));
    // The hanging indent is measured from the indent slider: it follows.
    setHangingIndent(main, rtf);
    rtf->EndUpdate();
}

void sliderHangingIndent_Scroll()
{
    frmMain *main = frmMain::instance();
    RichTextBox *rtf = modActive::Editor();
    if (!ready(main) || !rtf)
        return;
    setHangingIndent(main, rtf);
}

}
