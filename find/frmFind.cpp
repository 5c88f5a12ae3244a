#include "find/frmFind.h"

#include "documents/frmDoc.h"
#include "platform/ModalSeam.h"
#include "platform/RichTextBox.h"
#include "platform/SystemMessageBox.h"
#include "shell/frmMain.h"
#include "shell/modMessageError.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString FindCaption = QStringLiteral("&Find");
const QString FindNextCaption = QStringLiteral("&Find Next");
const QString ReplaceModeCaption = QStringLiteral("&Replace...");
const QString ReplaceCaption = QStringLiteral("&Replace");

// How many positions the text covers in the control, which counts a
// paragraph break (CR LF in its Text) as one.
int positionLength(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return int(text.size());
}

void setFindCommandEnabled(bool enabled)
{
    if (frmMain *main = frmMain::instance()) {
        if (QAction *find = main->Menu(QStringLiteral("find")))
            find->setEnabled(enabled);
    }
}

} // namespace

frmFind::frmFind(RichTextBox *target, QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), m_rtf(target)
{
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("Find"));
    setModal(true);

    // The places are in twips for the classic 8-point dialog font, whose
    // average letter is 6 by 13 pixels at 96 dpi. A wider or taller font
    // stretches every place alike, so the captions still fit.
    const QFontMetricsF metrics(font());
    const qreal letter = metrics.horizontalAdvance(
                             QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52.0;
    m_scaleX = qMax(1.0, letter / (6.0 * logicalDpiX() / 96.0));
    m_scaleY = qMax(1.0, metrics.height() / (13.0 * logicalDpiY() / 96.0));

    auto place = [this](QWidget *w, const char *name, int left, int top, int width, int height) {
        w->setObjectName(QLatin1String(name));
        w->setGeometry(pxX(left), pxY(top), pxX(width), pxY(height));
    };
    auto makeCombo = [this] {
        auto *box = new QComboBox(this);
        box->setEditable(true);
        // A search box keeps what is typed: no inline completion from the
        // list, and Enter does not add the text to it.
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setCompleter(nullptr);
        return box;
    };

    lblFind = new QLabel(QStringLiteral("Fin&d What:"), this);
    place(lblFind, "lblFind", 75, 150, 840, 240);
    cboFind = makeCombo();
    place(cboFind, "cboFind", 1200, 75, 3015, 315);
    lblFind->setBuddy(cboFind);
    lblReplace = new QLabel(QStringLiteral("Replace &With:"), this);
    place(lblReplace, "lblReplace", 75, 525, 1065, 240);
    cboReplace = makeCombo();
    place(cboReplace, "cboReplace", 1200, 450, 3015, 315);
    lblReplace->setBuddy(cboReplace);

    cmdFind = new QPushButton(FindCaption, this);
    place(cmdFind, "cmdFind", 4350, 75, 990, 315);
    cmdFind->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    place(cmdCancel, "cmdCancel", 4350, 450, 990, 315);

    picBar = new QWidget(this);
    place(picBar, "picBar", 75, 900, 5340, 1290);
    Frame1 = new QGroupBox(QStringLiteral("Search Options"), picBar);
    place(Frame1, "Frame1", 75, 0, 4065, 1215);
    chkWholeWord = new QCheckBox(QStringLiteral("Find Whole Word &Only"), Frame1);
    place(chkWholeWord, "chkWholeWord", 150, 300, 1965, 240);
    chkMatchCase = new QCheckBox(QStringLiteral("Match Ca&se"), Frame1);
    place(chkMatchCase, "chkMatchCase", 150, 600, 1965, 240);
    chkNoHighlight = new QCheckBox(QStringLiteral("No &Highlight"), Frame1);
    place(chkNoHighlight, "chkNoHighlight", 150, 900, 1965, 240);
    cmdReplace = new QPushButton(ReplaceModeCaption, picBar);
    place(cmdReplace, "cmdReplace", 4275, 150, 990, 315);
    cmdReplaceAll = new QPushButton(QStringLiteral("Replace &All"), picBar);
    place(cmdReplaceAll, "cmdReplaceAll", 4275, 525, 990, 315);
    cmdHelp = new QPushButton(QStringLiteral("&Help"), picBar);
    place(cmdHelp, "cmdHelp", 4275, 900, 990, 315);

    setTabOrder(cboFind, cboReplace);
    setTabOrder(cboReplace, cmdFind);
    setTabOrder(cmdFind, cmdCancel);
    setTabOrder(cmdCancel, chkWholeWord);
    setTabOrder(chkWholeWord, chkMatchCase);
    setTabOrder(chkMatchCase, chkNoHighlight);
    setTabOrder(chkNoHighlight, cmdReplace);
    setTabOrder(cmdReplace, cmdReplaceAll);
    setTabOrder(cmdReplaceAll, cmdHelp);

    connect(cmdFind, &QPushButton::clicked, this, &frmFind::cmdFind_Click);
    connect(cmdReplace, &QPushButton::clicked, this, &frmFind::cmdReplace_Click);
    connect(cmdReplaceAll, &QPushButton::clicked, this, &frmFind::cmdReplaceAll_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmFind::cmdCancel_Click);
    // cmdHelp has no action.

    setFixedSize(pxX(5430), pxY(2190));
    Form_Load();
}

frmFind::~frmFind() = default;

int frmFind::pxX(int twips) const
{
    return qRound(twips * m_scaleX * logicalDpiX() / 1440.0);
}

int frmFind::pxY(int twips) const
{
    return qRound(twips * m_scaleY * logicalDpiY() / 1440.0);
}

void frmFind::ShowFor(frmMain *main)
{
    const QPointer<frmDoc> doc = main ? main->ActiveForm() : nullptr;
    if (!doc) {
        modMessageError::ShowMessage(QStringLiteral("No document is open !"), QStringLiteral("Quillet"),
                                     modMessageError::iconCritical, modMessageError::vbTrue);
        return;
    }
    {
        frmFind dialog(doc->rtf1, main);
        // A test's answer drives the dialog itself; any other answer closes
        // it unused.
        if (!ModalSeam::take({QStringLiteral("dialog"), dialog.windowTitle(), QString(), &dialog}))
            dialog.exec();
    }
    // The keys go back to the document the dialog worked on.
    if (doc && main) {
        main->activateWindow();
        doc->rtf1->setFocus();
    }
}

void frmFind::Form_Load()
{
    cmdReplace->move(cmdReplace->x(), pxY(525));
    lblReplace->hide();
    cboReplace->hide();
    cmdReplaceAll->hide();
    const QString selected = m_rtf ? m_rtf->SelText() : QString();
    cboFind->addItem(selected);
    cboFind->setEditText(selected);
    cboFind->lineEdit()->selectAll();
    cboFind->setFocus();
}

int frmFind::SearchOptions() const
{
    int options = 0;
    if (chkNoHighlight->checkState() == Qt::Checked)
        options += RichTextBox::rtfNoHighlight;
    if (chkWholeWord->checkState() == Qt::Checked)
        options += RichTextBox::rtfWholeWord;
    if (chkMatchCase->checkState() == Qt::Checked)
        options += RichTextBox::rtfMatchCase;
    return options;
}

void frmFind::textNotFound()
{
    SystemMessageBox::show(this, QStringLiteral("Text not found"), QString(),
                           SystemMessageBox::vbOKOnly + SystemMessageBox::vbInformation);
}

void frmFind::resetToFirstSearch()
{
    cmdFind->setText(FindCaption);
    cmdReplace->setEnabled(false);
    cmdReplaceAll->setEnabled(false);
}

void frmFind::focusDocument()
{
    // While the dialog is up this only marks the control as the one to get
    // the keys when the main window is active again.
    if (m_rtf)
        m_rtf->setFocus();
}

void frmFind::noteSearch(int found)
{
    m_lastMatch = found;
    m_lastMatchLength = found >= 0 ? positionLength(cboFind->currentText()) : 0;
}

bool frmFind::isMatchAt(int start, int length, const QString &text, int options) const
{
    return length > 0 && length == positionLength(text)
            && m_rtf->Find(text, start, start + length, options | RichTextBox::rtfNoHighlight) == start;
}

bool frmFind::selectMatchToReplace(const QString &text, int options)
{
    // The match the last search found is the one the user was shown; the
    // selection serves when it is itself a match (say, the text selected
    // when the dialog opened).
    if (m_lastMatch >= 0 && isMatchAt(m_lastMatch, m_lastMatchLength, text, options)) {
        m_rtf->SetSelStart(m_lastMatch);
        m_rtf->SetSelLength(m_lastMatchLength);
        return true;
    }
    return isMatchAt(m_rtf->SelStart(), m_rtf->SelLength(), text, options);
}

void frmFind::cmdFind_Click()
{
    RichTextBox *rtf = m_rtf;
    if (!rtf)
        return;
    const int options = SearchOptions();
    const QString text = cboFind->currentText();

    if (cmdFind->text() == FindCaption) {
        // A first search always starts at the top, wherever the caret is.
        const int found = rtf->Find(text, 0, -1, options);
        noteSearch(found);
        if (found < 0) {
            textNotFound();
            cmdFind->setText(FindCaption);
            setFindCommandEnabled(false);
            return;
        }
        focusDocument();
        cmdReplace->setEnabled(true);
        cmdReplaceAll->setEnabled(true);
        cmdFind->setText(FindNextCaption);
        setFindCommandEnabled(true);
        return;
    }

    // Find Next goes on from the end of the selection: after a highlighted
    // search, the end of the previous match.
    const int found = rtf->Find(text, rtf->SelStart() + rtf->SelLength(), -1, options);
    noteSearch(found);
    if (found >= 0) {
        focusDocument();
        setFindCommandEnabled(true);
        return;
    }
    textNotFound();
    resetToFirstSearch();
    setFindCommandEnabled(false);
}

void frmFind::cmdReplace_Click()
{
    if (cmdReplace->text() == ReplaceModeCaption) {
        cmdReplace->move(cmdReplace->x(), pxY(150));
        cmdReplace->setText(ReplaceCaption);
        lblReplace->show();
        cboReplace->show();
        cmdReplaceAll->show();
        return;
    }

    RichTextBox *rtf = m_rtf;
    if (!rtf)
        return;
    const int options = SearchOptions();
    const QString text = cboFind->currentText();
    // After a highlighted search the selection is the match. With No
    // Highlight it need not be a match at all, and only a match of the
    // search text is replaced then; an empty search text replaces nothing.
    const bool noHighlight = options & RichTextBox::rtfNoHighlight;
    if (!text.isEmpty() && (!noHighlight || selectMatchToReplace(text, options)))
        rtf->SetSelText(cboReplace->currentText());

    const int found = rtf->Find(text, rtf->SelStart() + rtf->SelLength(), -1, options);
    noteSearch(found);
    if (found >= 0) {
        focusDocument();
        return;
    }
    textNotFound();
    resetToFirstSearch();
}

void frmFind::cmdReplaceAll_Click()
{
    RichTextBox *rtf = m_rtf;
    if (!rtf)
        return;
    // Each match is selected to be replaced, also with No Highlight checked,
    // so that nothing but matches is replaced.
    const int options = SearchOptions() & ~RichTextBox::rtfNoHighlight;
    const QString text = cboFind->currentText();
    const QString replacement = cboReplace->currentText();

    // One undo step and one relayout for the whole run. Every search starts
    // after the text just inserted, so a replacement that holds the search
    // text is never searched again and the run ends after one pass; an
    // empty search text finds nothing.
    int replacements = 0;
    int start = 0;
    rtf->BeginUpdate();
    for (int found; (found = rtf->Find(text, start, -1, options)) >= 0;) {
        ++replacements;
        rtf->SetSelText(replacement);
        start = rtf->SelStart() + rtf->SelLength();
    }
    rtf->EndUpdate();
    m_lastMatch = -1;

    if (replacements > 0) {
        SystemMessageBox::show(this,
                               QStringLiteral("The specified region has been searched. \r\n")
                                   + QString::number(replacements)
                                   + QStringLiteral(" replacements have been made."),
                               QString(), SystemMessageBox::vbOKOnly + SystemMessageBox::vbInformation);
    }
    resetToFirstSearch();
}

void frmFind::cmdCancel_Click()
{
    done(QDialog::Rejected);
}

void frmFind::reject()
{
    cmdCancel_Click();
}
