#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The program's own message box. Each message gets a fresh instance: its
// construction clears frmMain's answer flags, and the button that closes it
// sets its own flag (OK sets none). Left only through its buttons: Escape
// and a close request answer Cancel, or OK when OK is the only button.
class frmMsgBox : public QDialog
{
    Q_OBJECT

public:
    explicit frmMsgBox(QWidget *owner = nullptr);
    ~frmMsgBox() override;

    QPushButton *cmdYes = nullptr;
    QPushButton *cmdCancel = nullptr;
    QPushButton *cmdNo = nullptr;
    QPushButton *cmdOk = nullptr;
    QLabel *imgInfo = nullptr;
    QLabel *imgExclaim = nullptr;
    QLabel *lblMsg = nullptr;
    QLabel *imgHelp = nullptr;
    QLabel *imgCri = nullptr;

    // Fills the dialog for one message: which buttons, which icon, caption,
    // text; grows it downwards when the text needs more lines than the
    // design's label holds.
    void prepare(const QString &msgText, const QString &msgTitle, qint16 iconKind, qint16 okOnly);

    // Clicks the visible button captioned by answer ("Yes", "No", "Cancel",
    // "OK"); anything else, or a hidden button, answers as Escape does.
    void answer(const QString &answer);

    // The button that closed the box: vbYes 6, vbNo 7, vbCancel 2, vbOK 1;
    // 0 while it is open.
    int Answer() const { return m_answer; }

    void Form_Load();
    void Form_Unload();
    void cmdYes_Click();
    void cmdNo_Click();
    void cmdCancel_Click();
    void cmdOk_Click();

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    int px(int twips) const;
    bool m_unloading = false;
    bool m_answered = false;   // a button has closed it: later answers do nothing
    int m_answer = 0;
};
