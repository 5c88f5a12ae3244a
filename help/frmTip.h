#pragma once

#include <QDialog>
#include <QRandomGenerator>
#include <QStringList>

class QCheckBox;
class QLabel;
class QPushButton;

// Today's QuickTip: one tip drawn at random from QuickTips.op, another on
// each Next Tip, and the check box that decides whether the tip shows at
// start-up. Every opening ticks the box, which stores 1; a click on the box
// stores its new state at once, and OK stores it again. The close box
// stores nothing more.
//
// A tips file that is missing or cannot be read leaves the not-found notice
// on display and an empty list: Next Tip then changes nothing.
class frmTip : public QDialog
{
    Q_OBJECT

public:
    explicit frmTip(QWidget *owner = nullptr);
    ~frmTip() override;

    QWidget *Picture1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *lblTipText = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdNextTip = nullptr;
    QCheckBox *chkLoadTipsAtStartup = nullptr;

    QStringList tipList;   // the tips in file order; tip n is tipList[n - 1]
    qint32 currentTip = 0;

    // Reads the tips of fileName and shows one of them; false when there is
    // no such file or it cannot be read.
    bool LoadTips(const QString &fileName);
    void DisplayCurrentTip();

    void Form_Load();
    void cmdNextTip_Click();
    void chkLoadTipsAtStartup_Click();
    void cmdOK_Click();

    // The modal seam's answer: "OK" presses OK; anything else closes the
    // window as its close box does.
    void answer(const QString &answer);

    // The tips file Form_Load reads: QuickTips.op beside the program, else
    // in the installed data folder. Tests name their own file (an empty name
    // goes back to the search).
    static QString TipsFile();
    static void SetTipsFile(const QString &fileName);

    // Splits a tips file into its lines: a line ends at CR or CR LF (a line
    // feed alone does not end one) and at the end of the file.
    static QStringList SplitTips(const QString &text);

    static const QString NotFoundNotice;

public slots:
    void done(int result) override;

private:
    void ShowRandomTip();
    bool m_unloaded = false;   // closed by OK or the close box: later answers do nothing
    QRandomGenerator m_random;
};
