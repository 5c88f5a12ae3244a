#include "documents/frmDoc.h"

#include "documents/fileMod.h"
#include "platform/RichTextBox.h"
#include "shell/frmMain.h"
#include "shell/modMessageError.h"
#include "shell/modRegistry.h"

#include "documents/DeleteSnapshot.h"
#include "documents/modGeneral.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QSignalBlocker>
#include <QSlider>
#include <cmath>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiSubWindow>

frmDoc::frmDoc(QWidget *parent)
    : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Form1"));
    rtf1 = new RichTextBox(this);
    rtf1->setObjectName(QStringLiteral("rtf1"));
    rtf1->SetFontName(QStringLiteral("Verdana"));
    // Copy and paste by key are the window's own key-release commands.
    rtf1->SetClipboardKeysEnabled(false);

    connect(rtf1, &RichTextBox::Change, this, &frmDoc::rtf1_Change);
    connect(rtf1, &RichTextBox::SelChange, this, &frmDoc::rtf1_SelChange);
    connect(rtf1, &RichTextBox::KeyPress, this, &frmDoc::rtf1_KeyPress);
    connect(rtf1, &RichTextBox::KeyUp, this, &frmDoc::rtf1_KeyUp);
    connect(rtf1, &RichTextBox::MouseUp, this, &frmDoc::rtf1_MouseUp);

    Form_Load();
}

frmDoc::~frmDoc() = default;

QString frmDoc::Caption() const
{
    return windowTitle();
}

void frmDoc::SetCaption(const QString &caption)
{
    setWindowTitle(caption);
}

QString frmDoc::FileName() const
{
    const QString caption = Caption();
    if (caption.endsWith(QLatin1Char('*')))
        return caption.left(caption.size() - 1);
    return caption;
}

int frmDoc::WindowState() const
{
    const QWidget *w = m_subWindow ? static_cast<const QWidget *>(m_subWindow) : this;
    if (w->isMinimized())
        return 1;
    if (w->isMaximized())
        return 2;
    return 0;
}

QMdiSubWindow *frmDoc::subWindow() const
{
    return m_subWindow;
}

void frmDoc::attachToSubWindow(QMdiSubWindow *subWindow)
{
    m_subWindow = subWindow;
    if (!subWindow)
        return;
    connect(subWindow, &QMdiSubWindow::windowStateChanged, this,
            [this](Qt::WindowStates, Qt::WindowStates newState) {
                const bool active = newState.testFlag(Qt::WindowActive);
                if (active == m_active)
                    return;
                m_active = active;
                if (active)
                    Form_Activate();
                else
                    Form_Deactivate();
            });
}

void frmDoc::closeEvent(QCloseEvent *event)
{
    bool cancel = false;
    Form_QueryUnload(cancel, 0);
    if (!cancel)
        Form_Unload(cancel);
    if (cancel)
        event->ignore();
    else
        event->accept();
}

void frmDoc::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmDoc::Form_Load()
{
    if (frmMain *main = frmMain::instance()) {
        for (const char *name : {"edit", "formatmenu", "menuTools", "menuInsert"}) {
            if (QAction *menu = main->Menu(QLatin1String(name))) {
                menu->setEnabled(true);
                menu->setVisible(true);
            }
        }
    }
    Form_Resize();
    rtf1->SetFontSize(10);
    bAddStar = false;
}

void frmDoc::Form_QueryUnload(bool &cancel, int unloadMode)
{
    Q_UNUSED(cancel);
    Q_UNUSED(unloadMode);
    if (frmMain *main = frmMain::instance()) {
        for (int panel : {3, 5, 7}) {
            if (QLabel *label = main->Panel(panel))
                label->clear();
        }
    }
    bAddStar = false;
}

void frmDoc::Form_Unload(bool &cancel)
{
    checkDocForChange(cancel);
}

void frmDoc::checkDocForChange(bool &cancel)
{
    if (!bChanged)
        return;
    modMessageError::ShowMessage(QStringLiteral("The File : ") + Caption()
                                     + QStringLiteral(" has changed !\r\nDo you want to save the changes ?"),
                                 QStringLiteral("Quillet"), modMessageError::iconQuestion,
                                 modMessageError::vbFalse);
    frmMain *main = frmMain::instance();
    if (main && main->bYes) {
        // This window is saved, also when another one is active. A save
        // that did not happen (dialog cancelled, warning declined, write
        // failed) keeps the window open with its content, as Cancel does.
        if (!fileMod::SaveToFile(FileName(), this)) {
            cancel = true;
            return;
        }
        bChanged = false;
    } else if (!main || !main->bNo) {
        cancel = true;
        return;
    }
    const int state = WindowState();
    if (state != 1)
        modRegistry::SetSettingValue(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey,
                                     QStringLiteral("Document State"), QString::number(state));
}

namespace {

// Shift state of the Ctrl key alone, and the key codes of the window's own
// key-release commands.
constexpr int CtrlOnly = 2;
constexpr int KeyDelete = 46;
constexpr int KeyC = 67;
constexpr int KeyV = 86;
constexpr int KeyT = 84;
constexpr int KeyW = 87;

constexpr int GapTwips = 50;
constexpr int MarginAllowanceTwips = 200;

void setButtonPressed(frmMain *main, const char *key, bool pressed)
{
    if (QAction *button = main->Button(QLatin1String(key)))
        button->setChecked(pressed);
}

void setCommandEnabled(QAction *command, bool enabled)
{
    if (command)
        command->setEnabled(enabled);
}

// Halves go to the even neighbour, as the font size box and the ruler expect.
int roundHalfEven(double value)
{
    return int(std::nearbyint(value));
}

// Null (a mixed selection) leaves a box as it was.
void showFontBoxes(frmMain *main, RichTextBox *rtf)
{
    if (const auto name = rtf->SelFontName(); name && main->Combo1)
        main->Combo1->setEditText(*name);
    if (const auto size = rtf->SelFontSize(); size && main->Combo2 && std::isfinite(*size)
                                              && std::abs(*size) < 1e6)
        main->Combo2->setEditText(QString::number(roundHalfEven(*size)));
}

void showStyleButtons(frmMain *main, RichTextBox *rtf)
{
    setButtonPressed(main, "bold", rtf->SelBold().value_or(false));
    setButtonPressed(main, "italic", rtf->SelItalic().value_or(false));
    setButtonPressed(main, "under", rtf->SelUnderline().value_or(false));
}

// The control's whole text is only built for a small document: a longer one
// is not empty whatever it holds.
bool textIsEmpty(RichTextBox *rtf)
{
    return rtf->document()->characterCount() <= 64 && rtf->Text().isEmpty();
}

// Selects the run around the caret that holds no character of the set:
// the sentence (".?!") or the word (" ,;:.?!"), without its delimiters.
void selectRunBetween(RichTextBox *rtf, const QString &delimiters)
{
    rtf->Span(delimiters, false, true);
    const int start = rtf->SelStart();
    rtf->Span(delimiters, true, true);
    const int end = rtf->SelStart() + rtf->SelLength();
    rtf->SetSelStart(start);
    rtf->SetSelLength(end - start);
}

// The main window's panels and buttons show the active document only; a
// window that is not active (being loaded behind another) leaves them alone.
frmMain *mainIfActive(const frmDoc *doc)
{
    frmMain *main = frmMain::instance();
    return main && main->ActiveForm() == doc ? main : nullptr;
}

} // namespace

void frmDoc::Form_Activate()
{
    modGeneral::ShowStatistics(rtf1);
}

void frmDoc::Form_Deactivate()
{
    modGeneral::ClearStatistics();
}

void frmDoc::Form_Resize()
{
    // The window's own screen resolution, as rtf1->Move converts with it.
    const int width = qRound(this->width() * 1440.0 / logicalDpiX()) - 2 * GapTwips;
    const int height = qRound(this->height() * 1440.0 / logicalDpiY()) - 2 * GapTwips;
    // Too small for the gaps: the old layout stays.
    if (width >= 0 && height >= 0)
        rtf1->Move(GapTwips, GapTwips, width, height);
    const int margin = rtf1->Width() - MarginAllowanceTwips;
    if (margin >= 0)
        rtf1->SetRightMargin(margin);
}

void frmDoc::rtf1_Change()
{
    frmMain *main = frmMain::instance();
    if (main) {
        setCommandEnabled(main->Menu(QStringLiteral("find")), true);
        setCommandEnabled(main->Button(QStringLiteral("find")), true);
        setCommandEnabled(main->Button(QStringLiteral("save")), true);
    }
    // The mark goes on this window, the one whose text changed, also when a
    // load fills it before it is the active one. A load raises this before
    // its caption becomes the path, so an opened file never shows the mark.
    if (!bAddStar) {
        // A caption still wearing the mark (a cancelled close clears
        // bAddStar) does not get a second one.
        if (!Caption().endsWith(QLatin1Char('*')))
            SetCaption(Caption() + QLatin1Char('*'));
        bAddStar = true;
    }
    bChanged = true;
    if (textIsEmpty(rtf1)) {
        // Nothing left to lose or find; the mark and the save button stay.
        if (main) {
            setCommandEnabled(main->Menu(QStringLiteral("find")), false);
            setCommandEnabled(main->Button(QStringLiteral("find")), false);
        }
        bChanged = false;
    }
}

void frmDoc::rtf1_KeyPress(int keyAscii)
{
    Q_UNUSED(keyAscii);
    frmMain *main = mainIfActive(this);
    if (!main)
        return;
    modGeneral::ShowStatistics(rtf1);
    showFontBoxes(main, rtf1);
}

void frmDoc::rtf1_KeyUp(int keyCode, int shift)
{
    // Every released key marks the caption, also one that changed nothing;
    // bChanged is only the text's business.
    if (!bAddStar) {
        // A caption still wearing the mark (a cancelled close clears
        // bAddStar) does not get a second one.
        if (!Caption().endsWith(QLatin1Char('*')))
            SetCaption(Caption() + QLatin1Char('*'));
        bAddStar = true;
    }
    if (keyCode == KeyDelete) {
        // A snapshot that cannot be written is dropped: the key has already
        // reached the document and typing goes on undisturbed.
        DeleteSnapshot::write(rtf1);
    }
    if (shift != CtrlOnly)
        return;
    QClipboard *clipboard = QGuiApplication::clipboard();
    switch (keyCode) {
    case KeyC:
        // With nothing selected the clipboard keeps what it holds.
        if (clipboard && rtf1->SelLength() > 0)
            clipboard->setText(rtf1->SelText());
        break;
    case KeyV:
        // With no text on the clipboard the selection is kept, not erased.
        if (clipboard && !clipboard->text().isEmpty())
            rtf1->SetSelText(clipboard->text());
        break;
    case KeyT:
        selectRunBetween(rtf1, QStringLiteral(".?!"));
        break;
    case KeyW:
        selectRunBetween(rtf1, QStringLiteral(" ,;:.?!"));
        break;
    default:
        break;
    }
}

void frmDoc::rtf1_MouseUp(int button, int shift, int x, int y)
{
    Q_UNUSED(button);
    Q_UNUSED(shift);
    Q_UNUSED(x);
    Q_UNUSED(y);
    frmMain *main = mainIfActive(this);
    if (!main)
        return;
    showFontBoxes(main, rtf1);
    showStyleButtons(main, rtf1);

    // The ruler shows the indent as a fraction of the right margin; a mixed
    // indent, a zero margin or a position off the scale leaves it alone.
    QSlider *slider = main->sliderIndent;
    const auto indent = rtf1->SelIndent();
    const int margin = rtf1->RightMargin();
    if (!slider || !indent || margin == 0)
        return;
    const double position = double(*indent) * slider->maximum() / margin;
    if (!std::isfinite(position) || std::abs(position) > 1e9)
        return;
    const int value = roundHalfEven(position);
    if (value < slider->minimum() || value > slider->maximum())
        return;
    // Set quietly: a position the program sets writes nothing back.
    const QSignalBlocker quiet(slider);
    slider->setValue(value);
    slider->update();
}

void frmDoc::rtf1_SelChange()
{
    frmMain *main = mainIfActive(this);
    if (!main)
        return;
    showStyleButtons(main, rtf1);
    const auto alignment = rtf1->SelAlignment();
    setButtonPressed(main, "left", alignment == RichTextBox::rtfLeft);
    setButtonPressed(main, "center", alignment == RichTextBox::rtfCenter);
    setButtonPressed(main, "right", alignment == RichTextBox::rtfRight);
    modGeneral::ShowStatistics(rtf1);
}
