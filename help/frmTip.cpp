#include "help/frmTip.h"

#include "platform/TextFile.h"
#include "shell/DataFiles.h"
#include "shell/modRegistry.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {
QString g_tipsFile;

const QString ContactAddress = QStringLiteral("quillet@tallowmere.example");
}

const QString frmTip::NotFoundNotice = QStringLiteral("That the Quick Tips file was not found? ")
    + QStringLiteral("\r\n\r\n")
    + QStringLiteral("You can contact me for the latest Quick Tips file at E-Mail: ") + ContactAddress;

frmTip::frmTip(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmTip"));
    setWindowTitle(QStringLiteral("Today's QuickTip for You"));
    setModal(true);

    Picture1 = new QWidget;
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setAutoFillBackground(true);
    QPalette white = Picture1->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    Picture1->setPalette(white);

    auto *icon = new QLabel;
    icon->setObjectName(QStringLiteral("imgTip"));
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);

    Label1 = new QLabel(QStringLiteral("Did you know..."));
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont headline = Label1->font();
    headline.setBold(true);
    headline.setPointSizeF(headline.pointSizeF() * 1.4);
    Label1->setFont(headline);

    lblTipText = new QLabel;
    lblTipText->setObjectName(QStringLiteral("lblTipText"));
    lblTipText->setTextFormat(Qt::PlainText);
    lblTipText->setWordWrap(true);
    lblTipText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblTipText->setMinimumSize(320, 110);

    auto *texts = new QVBoxLayout;
    texts->addWidget(Label1);
    texts->addWidget(lblTipText, 1);
    auto *panel = new QHBoxLayout(Picture1);
    panel->setContentsMargins(14, 14, 14, 14);
    panel->setSpacing(14);
    panel->addWidget(icon);
    panel->addLayout(texts, 1);

    cmdOK = new QPushButton(QStringLiteral("OK"));
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdNextTip = new QPushButton(QStringLiteral("&Next Tip"));
    cmdNextTip->setObjectName(QStringLiteral("cmdNextTip"));
    cmdNextTip->setAutoDefault(false);
    chkLoadTipsAtStartup = new QCheckBox(QStringLiteral("&Show Tips at Startup"));
    chkLoadTipsAtStartup->setObjectName(QStringLiteral("chkLoadTipsAtStartup"));
    chkLoadTipsAtStartup->setChecked(false);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdNextTip);
    buttons->addStretch(1);
    auto *top = new QHBoxLayout;
    top->addWidget(Picture1, 1);
    top->addLayout(buttons);
    auto *column = new QVBoxLayout(this);
    column->addLayout(top, 1);
    column->addWidget(chkLoadTipsAtStartup);

    connect(cmdOK, &QPushButton::clicked, this, &frmTip::cmdOK_Click);
    connect(cmdNextTip, &QPushButton::clicked, this, &frmTip::cmdNextTip_Click);
    // Any change of the box is its click, the one made at load included.
    connect(chkLoadTipsAtStartup, &QCheckBox::toggled, this, &frmTip::chkLoadTipsAtStartup_Click);

    Form_Load();
}

frmTip::~frmTip() = default;

QString frmTip::TipsFile()
{
    if (!g_tipsFile.isEmpty())
        return g_tipsFile;
    // Beside the program first, as a copied folder has it; then installed.
    const QString besideProgram = QCoreApplication::applicationDirPath() + QStringLiteral("/QuickTips.op");
    if (QFileInfo(besideProgram).isFile())
        return besideProgram;
    return DataFiles::Find(QStringLiteral("QuickTips.op"));
}

void frmTip::SetTipsFile(const QString &fileName)
{
    g_tipsFile = fileName;
}

QStringList frmTip::SplitTips(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (text.at(i) != QLatin1Char('\r'))
            continue;
        lines.append(text.mid(start, i - start));
        if (i + 1 < size && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(text.mid(start));
    return lines;
}

void frmTip::Form_Load()
{
    chkLoadTipsAtStartup->setChecked(true);
    m_random.seed(quint32(QDateTime::currentMSecsSinceEpoch()));
    if (!LoadTips(TipsFile()))
        lblTipText->setText(NotFoundNotice);
}

bool frmTip::LoadTips(const QString &fileName)
{
    if (fileName.isEmpty() || !QFileInfo(fileName).isFile())
        return false;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    tipList.append(SplitTips(TextFile::decode(bytes).text));
    ShowRandomTip();
    return true;
}

void frmTip::ShowRandomTip()
{
    const float r = float(m_random.generateDouble());
    currentTip = qint32(float(tipList.size()) * r + 1.0f);
    // Single precision can round n * r up to n itself.
    currentTip = qBound(1, currentTip, qMax(1, int(tipList.size())));
    DisplayCurrentTip();
}

void frmTip::DisplayCurrentTip()
{
    if (!tipList.isEmpty() && currentTip >= 1 && currentTip <= tipList.size())
        lblTipText->setText(tipList.at(currentTip - 1));
}

void frmTip::cmdNextTip_Click()
{
    ShowRandomTip();
}

void frmTip::chkLoadTipsAtStartup_Click()
{
    modRegistry::SetSettingValue(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey,
                                 QStringLiteral("Show Tips at Startup"),
                                 chkLoadTipsAtStartup->isChecked() ? QStringLiteral("1")
                                                                   : QStringLiteral("0"));
}

void frmTip::cmdOK_Click()
{
    chkLoadTipsAtStartup_Click();
    accept();
}

void frmTip::answer(const QString &answer)
{
    if (m_unloaded)
        return;
    if (answer == QLatin1String("OK"))
        cmdOK->click();
    else
        reject();
}

void frmTip::done(int result)
{
    m_unloaded = true;
    QDialog::done(result);
}
