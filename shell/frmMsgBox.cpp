#include "shell/frmMsgBox.h"

#include "shell/frmMain.h"
#include "shell/modApi.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

frmMsgBox::frmMsgBox(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmMsgBox"));
    setWindowTitle(QStringLiteral("Quillet : Message"));
    setModal(true);

    auto button = [this](const char *name, const QString &caption, int top) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(px(5325), px(top), px(975), px(345));
        b->setAutoDefault(false);
        b->hide();
        return b;
    };
    cmdYes = button("cmdYes", QStringLiteral("&Yes"), 147);
    cmdCancel = button("cmdCancel", QStringLiteral("&Cancel"), 897);
    cmdNo = button("cmdNo", QStringLiteral("&No"), 522);
    cmdOk = button("cmdOk", QStringLiteral("&OK"), 150);

    auto image = [this](const char *name, QStyle::StandardPixmap which) {
        auto *l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        l->setGeometry(px(240), px(120), px(480), px(480));
        l->setPixmap(style()->standardIcon(which, nullptr, this).pixmap(px(480), px(480)));
        l->hide();
        return l;
    };
    imgInfo = image("imgInfo", QStyle::SP_MessageBoxInformation);
    imgExclaim = image("imgExclaim", QStyle::SP_MessageBoxWarning);
    imgHelp = image("imgHelp", QStyle::SP_MessageBoxQuestion);
    imgCri = image("imgCri", QStyle::SP_MessageBoxCritical);

    lblMsg = new QLabel(this);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    lblMsg->setTextFormat(Qt::PlainText);
    lblMsg->setWordWrap(true);
    lblMsg->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblMsg->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblMsg->setGeometry(px(1080), px(120), px(4215), px(615));

    connect(cmdYes, &QPushButton::clicked, this, &frmMsgBox::cmdYes_Click);
    connect(cmdNo, &QPushButton::clicked, this, &frmMsgBox::cmdNo_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmMsgBox::cmdCancel_Click);
    connect(cmdOk, &QPushButton::clicked, this, &frmMsgBox::cmdOk_Click);

    setFixedSize(px(6420), px(1365));
    Form_Load();
}

frmMsgBox::~frmMsgBox() = default;

int frmMsgBox::px(int twips) const
{
    return qRound(twips * logicalDpiX() / 1440.0);
}

void frmMsgBox::Form_Load()
{
    if (frmMain *main = frmMain::instance()) {
        main->bCancel = false;
        main->bNo = false;
        main->bYes = false;
    }
    modApi::RemoveCloseMenuItem(this);
}

void frmMsgBox::prepare(const QString &msgText, const QString &msgTitle, qint16 iconKind,
                        qint16 okOnly)
{
    if (okOnly == -1) {
        cmdOk->show();
        cmdOk->setDefault(true);
    } else {
        cmdCancel->show();
        cmdNo->show();
        cmdYes->show();
        cmdYes->setDefault(true);
    }
    switch (iconKind) {
    case 0: imgCri->show(); break;
    case 1: imgHelp->show(); break;
    case 2: imgExclaim->show(); break;
    case 3: imgInfo->show(); break;
    default: break;
    }
    setWindowTitle(msgTitle);

    QString text = msgText;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lblMsg->setText(text);

    // The design's label holds about three lines; a longer text (an error
    // with a long source, say) grows the box instead of being cut off.
    const int needed = lblMsg->heightForWidth(lblMsg->width());
    const int extra = needed - lblMsg->height();
    if (extra > 0) {
        lblMsg->resize(lblMsg->width(), needed);
        setFixedSize(width(), height() + extra);
    }
    if (parentWidget() && parentWidget()->isVisible())
        move(parentWidget()->geometry().center() - rect().center());
}

void frmMsgBox::answer(const QString &answer)
{
    if (m_answered)
        return;
    const struct { const char *caption; QPushButton *button; } buttons[] = {
        {"Yes", cmdYes}, {"No", cmdNo}, {"Cancel", cmdCancel}, {"OK", cmdOk}};
    for (const auto &b : buttons) {
        if (answer == QLatin1String(b.caption) && !b.button->isHidden()) {
            b.button->click();
            return;
        }
    }
    reject();
}

void frmMsgBox::Form_Unload()
{
    // The next message starts from the design state.
    m_answered = true;
    m_unloading = true;
    setWindowTitle(QString());
    lblMsg->clear();
    for (QPushButton *b : {cmdYes, cmdCancel, cmdNo, cmdOk})
        b->hide();
    done(QDialog::Accepted);
    m_unloading = false;
}

void frmMsgBox::cmdYes_Click()
{
    if (frmMain *main = frmMain::instance())
        main->bYes = true;
    m_answer = 6;
    Form_Unload();
}

void frmMsgBox::cmdNo_Click()
{
    if (frmMain *main = frmMain::instance())
        main->bNo = true;
    m_answer = 7;
    Form_Unload();
}

void frmMsgBox::cmdCancel_Click()
{
    if (frmMain *main = frmMain::instance())
        main->bCancel = true;
    m_answer = 2;
    Form_Unload();
}

void frmMsgBox::cmdOk_Click()
{
    m_answer = 1;
    Form_Unload();
}

void frmMsgBox::reject()
{
    if (m_unloading || m_answered)
        return;
    if (!cmdCancel->isHidden())
        cmdCancel_Click();
    else
        cmdOk_Click();
}

void frmMsgBox::closeEvent(QCloseEvent *event)
{
    if (m_unloading) {
        event->accept();
        return;
    }
    event->ignore();
    reject();
}
