#include "documents/frmDoc.h"

#include "documents/DeleteSnapshot.h"
#include "documents/fileMod.h"
#include "documents/modGeneral.h"
#include "platform/KeyCodes.h"
#include "platform/RichTextBox.h"
#include "shell/modMessageError.h"
#include "shell/modRegistry.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
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
    // Focus given to the window (activation, start-up) is the text's.
    setFocusProxy(rtf1);

    connect(rtf1, &RichTextBox::Change, this, &frmDoc::rtf1_Change);
    connect(rtf1, &RichTextBox::SelChange, this, &frmDoc::rtf1_SelChange);
    connect(rtf1, &RichTextBox::KeyPress, this, &frmDoc::rtf1_KeyPress);
    connect(rtf1, &RichTextBox::KeyUp, this, &frmDoc::rtf1_KeyUp);
    connect(rtf1, &RichTextBox::MouseUp, this, &frmDoc::rtf1_MouseUp);
    // A long document's total follows as its layout proceeds.
    connect(rtf1, &RichTextBox::LineCountChanged, this, &frmDoc::refreshStatistics);

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

void frmDoc::SetFile(const QString &path, int fileType)
{
    m_filePath = path;
    m_fileType = fileType;
    SetCaption(path);
}

QString frmDoc::FileName() const
{
    if (!m_filePath.isEmpty())
        return m_filePath;
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
    // The main window enables its document menus when it adds the window.
    Form_Resize();
    rtf1->SetFontSize(10);
    bAddStar = false;
}

void frmDoc::Form_QueryUnload(bool &cancel, int unloadMode)
{
    Q_UNUSED(cancel);
    Q_UNUSED(unloadMode);
    emit statisticsCleared();
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
    const modMessageError::Answer answer = modMessageError::ShowMessage(
        QStringLiteral("The File : ") + Caption()
            + QStringLiteral(" has changed !\r\nDo you want to save the changes ?"),
        QStringLiteral("Quillet"), modMessageError::iconQuestion, modMessageError::vbFalse);
    if (answer == modMessageError::vbYes) {
        // This window is saved, also when another one is active. A save
        // that did not happen (dialog cancelled, warning declined, write
        // failed) keeps the window open with its content, as Cancel does.
        if (!fileMod::SaveToFile(FileName(), this)) {
            cancel = true;
            return;
        }
        bChanged = false;
    } else if (answer != modMessageError::vbNo) {
        cancel = true;
        return;
    }
    const int state = WindowState();
    if (state != 1)
        modRegistry::SetSettingValue(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey,
                                     QStringLiteral("Document State"), QString::number(state));
}

namespace {

constexpr int GapTwips = 50;
constexpr int MarginAllowanceTwips = 200;

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

// The control's whole text is only built for a small document: a longer one
// is not empty whatever it holds.
bool textIsEmpty(RichTextBox *rtf)
{
    return rtf->document()->characterCount() <= 64 && rtf->Text().isEmpty();
}

} // namespace

void frmDoc::refreshStatistics()
{
    emit statisticsChanged(modGeneral::CurrentLine(rtf1), modGeneral::LineCount(rtf1),
                           modGeneral::DocumentWordCount(rtf1));
}

void frmDoc::Form_Activate()
{
    refreshStatistics();
}

void frmDoc::Form_Deactivate()
{
    emit statisticsCleared();
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
    // Nothing left to lose once the text is empty; the mark stays.
    const bool hasText = !textIsEmpty(rtf1);
    bChanged = hasText;
    emit contentChanged(hasText);
}

void frmDoc::rtf1_KeyPress(int keyAscii)
{
    Q_UNUSED(keyAscii);
    refreshStatistics();
    emit fontAtCaretChanged(rtf1->SelFontName(), rtf1->SelFontSize());
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
    if (keyCode == KeyCodes::vbKeyDelete) {
        // A snapshot that cannot be written is dropped: the key has already
        // reached the document and typing goes on undisturbed.
        DeleteSnapshot::write(rtf1);
    }
    if (shift != KeyCodes::vbCtrlMask)
        return;
    QClipboard *clipboard = QGuiApplication::clipboard();
    switch (keyCode) {
    case KeyCodes::vbKeyC:
        // With nothing selected the clipboard keeps what it holds.
        if (clipboard && rtf1->SelLength() > 0)
            clipboard->setText(rtf1->SelText());
        break;
    case KeyCodes::vbKeyV:
        // With no text on the clipboard the selection is kept, not erased.
        if (clipboard && !clipboard->text().isEmpty())
            rtf1->SetSelText(clipboard->text());
        break;
    case KeyCodes::vbKeyT:
        selectRunBetween(rtf1, QStringLiteral(".?!"));
        break;
    case KeyCodes::vbKeyW:
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
    emit fontAtCaretChanged(rtf1->SelFontName(), rtf1->SelFontSize());
    emit styleAtCaretChanged(rtf1->SelBold().value_or(false), rtf1->SelItalic().value_or(false),
                             rtf1->SelUnderline().value_or(false));
    emit indentAtCaretChanged(rtf1->SelIndent(), rtf1->RightMargin());
}

void frmDoc::rtf1_SelChange()
{
    emit styleAtCaretChanged(rtf1->SelBold().value_or(false), rtf1->SelItalic().value_or(false),
                             rtf1->SelUnderline().value_or(false));
    emit alignmentAtCaretChanged(rtf1->SelAlignment());
    refreshStatistics();
}
