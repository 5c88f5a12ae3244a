#pragma once

#include <QDialog>
#include <QPointer>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class RichTextBox;
class frmMain;

// The modal find and replace dialog. It searches and edits one rich text
// control, the active document's when it opened (the dialog is modal, so
// that document stays the active one). Each opening builds a new dialog;
// nothing is kept between openings.
//
// The dialog's mode lives in two captions: cmdFind reads "&Find" (the next
// search starts at the top) or "&Find Next" (it goes on after the
// selection); cmdReplace reads "&Replace..." (find mode) or "&Replace"
// (replace mode, with the replacement row shown). "Text not found" and the
// Replace All summary go through the system message box.
//
// Every edit goes through the control, so its Change raises as for typing.
// A control that has gone away (its document closed) makes every button do
// nothing.
class frmFind : public QDialog
{
    Q_OBJECT

public:
    explicit frmFind(RichTextBox *target, QWidget *owner = nullptr);
    ~frmFind() override;

    // Edit > Find, Ctrl+F and the toolbar's "find" button: with no document
    // says so, otherwise shows a new dialog modally over the main window for
    // the active document, and gives the focus back to that document when
    // the dialog closes.
    static void ShowFor(frmMain *main);

    QLabel *lblFind = nullptr;
    QComboBox *cboFind = nullptr;
    QPushButton *cmdFind = nullptr;
    QLabel *lblReplace = nullptr;
    QComboBox *cboReplace = nullptr;
    QPushButton *cmdCancel = nullptr;
    QWidget *picBar = nullptr;
    QGroupBox *Frame1 = nullptr;
    QCheckBox *chkWholeWord = nullptr;
    QCheckBox *chkMatchCase = nullptr;
    QCheckBox *chkNoHighlight = nullptr;
    QPushButton *cmdReplace = nullptr;
    QPushButton *cmdReplaceAll = nullptr;
    QPushButton *cmdHelp = nullptr;

    // The control's Find options from the check boxes: whole word 2, match
    // case 4, no highlight 8.
    int SearchOptions() const;

    // Twips to pixels as the dialog lays itself out: across, and down.
    int pxX(int twips) const;
    int pxY(int twips) const;

    void Form_Load();
    void cmdFind_Click();
    void cmdReplace_Click();
    void cmdReplaceAll_Click();
    void cmdCancel_Click();

public slots:
    // Escape and the title bar's close box leave as Cancel does.
    void reject() override;

private:
    void textNotFound();
    // Back to a fresh search from the top, with nothing to replace yet.
    void resetToFirstSearch();
    void focusDocument();
    // Remembers where the dialog's last search found the text, for Replace
    // with No Highlight (the match is then not selected).
    void noteSearch(int found);
    // Selects the match Replace may replace with No Highlight checked, or
    // returns false when there is none.
    bool selectMatchToReplace(const QString &text, int options);
    bool isMatchAt(int start, int length, const QString &text, int options) const;

    qreal m_scaleX = 1;
    qreal m_scaleY = 1;
    QPointer<RichTextBox> m_rtf;
    int m_lastMatch = -1;
    int m_lastMatchLength = 0;
};
