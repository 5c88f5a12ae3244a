#pragma once

#include <QDialog>
#include <QtGlobal>

class QFrame;
class QLabel;

// The About box: title, version, a line on the product, a System Info
// control that starts the platform's system-information tool, and OK. Both
// controls are panels that act as buttons: OK shows itself raised while the
// left mouse button is held on it. A click on the title shows a hidden
// message.
//
// Every failure to start the system-information tool ends in the one
// message "System Information Is Unavailable At This Time".
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget *owner = nullptr);
    ~frmAbout() override;

    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label2 = nullptr;
    QFrame *cmdSysInfo = nullptr;
    QLabel *Label4 = nullptr;
    QFrame *cmdOK = nullptr;
    QLabel *Label1 = nullptr;
    QFrame *Picture1 = nullptr;
    QFrame *Picture2 = nullptr;
    QFrame *PicBG1 = nullptr;

    void Form_Load();
    void cmdOK_Click();
    void cmdOK_MouseDown(int button, int shift, int x, int y);
    void cmdOK_MouseUp(int button, int shift, int x, int y);
    void Label1_Click();
    void cmdSysInfo_Click();
    void Label4_Click();
    void lblTitle_Click();

    void StartSysInfo();
    // Reads one string value of the registry layer into keyVal; false (and
    // keyVal empty) when the key or the value is missing.
    static bool GetKeyValue(quint32 keyRoot, const QString &keyName, const QString &subKeyRef,
                            QString &keyVal);

    // "Version " and the program's version, each number without leading zeros.
    static QString VersionText();

    // The modal seam's answer: "OK" presses OK; anything else closes the box.
    void answer(const QString &answer);

public slots:
    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_unloaded = false;
};
