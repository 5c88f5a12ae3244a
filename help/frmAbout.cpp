#include "help/frmAbout.h"

#include "platform/KeyCodes.h"
#include "platform/RegistryStore.h"
#include "platform/SystemMessageBox.h"
#include "shell/DataFiles.h"

#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QProcess>
#include <QVersionNumber>

#ifndef QUILLET_VERSION
#error "QUILLET_VERSION is set by the build"
#endif

namespace {
const QString AppTitle = QStringLiteral("Quillet");
const QString ContactAddress = QStringLiteral("quillet@tallowmere.example");
constexpr quint32 HKEY_LOCAL_MACHINE = RegistryStore::LocalMachine;

QFont namedFont(const char *family, qreal points, bool bold = false)
{
    QFont font{QLatin1String(family)};
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QLabel *label(QWidget *parent, const char *name, const QString &text, const QFont &font,
              const QRect &geometry, const QColor &colour)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setFont(font);
    l->setGeometry(geometry);
    l->setWordWrap(true);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, colour);
    l->setPalette(p);
    return l;
}

QFrame *panel(QWidget *parent, const char *name, const QRect &geometry, const QColor &colour)
{
    auto *f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    f->setGeometry(geometry);
    f->setAutoFillBackground(true);
    QPalette p = f->palette();
    p.setColor(QPalette::Window, colour);
    f->setPalette(p);
    return f;
}

// A panel used as a button, with its caption label. Mouse events go to the
// panel through the label, as a click on either is the same command.
QFrame *buttonPanel(QWidget *parent, const char *name, const char *labelName, const QString &caption,
                    const QRect &geometry, QLabel **captionLabel)
{
    QFrame *button = panel(parent, name, geometry, QColor(0xe9, 0xe4, 0xd8));
    button->setFrameShape(QFrame::Panel);
    button->setFrameShadow(QFrame::Raised);
    button->setLineWidth(1);
    button->setCursor(Qt::PointingHandCursor);
    *captionLabel = label(button, labelName, caption, namedFont("Comic Sans MS", 9, true),
                          QRect(QPoint(0, 0), geometry.size()), QColor(0x20, 0x20, 0x40));
    (*captionLabel)->setAlignment(Qt::AlignCenter);
    (*captionLabel)->setAttribute(Qt::WA_TransparentForMouseEvents);
    return button;
}
}

frmAbout::frmAbout(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Quillet"));
    setModal(true);
    setFixedSize(460, 250);

    const QColor ink(0x1c, 0x2a, 0x4a);
    PicBG1 = panel(this, "PicBG1", rect(), QColor(0xf8, 0xf5, 0xee));
    Picture1 = panel(PicBG1, "Picture1", QRect(0, 0, 120, 250), QColor(0x2b, 0x3f, 0x6b));
    auto *icon = new QLabel(Picture1);
    icon->setObjectName(QStringLiteral("imgIcon"));
    icon->setPixmap(DataFiles::ApplicationIcon().pixmap(72, 72));
    icon->setGeometry(24, 30, 72, 72);
    Picture2 = panel(PicBG1, "Picture2", QRect(120, 78, 340, 2), QColor(0xc8, 0x9b, 0x3c));

    lblTitle = label(PicBG1, "lblTitle", QString(), namedFont("Comic Sans MS", 22, true),
                     QRect(140, 14, 220, 44), ink);
    lblTitle->setCursor(Qt::PointingHandCursor);
    Label5 = label(PicBG1, "Label5", QStringLiteral("Alpha"), namedFont("MS Sans Serif", 8),
                   QRect(370, 26, 70, 20), QColor(0xa0, 0x40, 0x30));
    lblVersion = label(PicBG1, "lblVersion", QString(), namedFont("Arial", 10),
                       QRect(140, 54, 300, 20), ink);
    Label2 = label(PicBG1, "Label2",
                   QStringLiteral("Quillet\u2122 - A simple to use powerful word processor"),
                   namedFont("Verdana", 9), QRect(140, 92, 300, 48), ink);

    cmdSysInfo = buttonPanel(PicBG1, "cmdSysInfo", "Label4", QStringLiteral("System Info"),
                             QRect(140, 196, 130, 34), &Label4);
    cmdOK = buttonPanel(PicBG1, "cmdOK", "Label1", QStringLiteral("OK"), QRect(310, 196, 130, 34),
                        &Label1);
    // The OK control is flat until the left button goes down on it.
    cmdOK->setFrameShape(QFrame::NoFrame);

    for (QObject *watched : {static_cast<QObject *>(cmdOK), static_cast<QObject *>(cmdSysInfo),
                             static_cast<QObject *>(lblTitle)})
        watched->installEventFilter(this);

    Form_Load();
}

frmAbout::~frmAbout() = default;

QString frmAbout::VersionText()
{
    // The numbers, not the text, so a version written with leading zeros
    // still reads 0.1.533.
    const QVersionNumber version = QVersionNumber::fromString(QStringLiteral(QUILLET_VERSION));
    return QStringLiteral("Version %1.%2.%3")
        .arg(version.majorVersion())
        .arg(version.minorVersion())
        .arg(version.microVersion());
}

void frmAbout::Form_Load()
{
    lblVersion->setText(VersionText());
    lblTitle->setText(AppTitle);
}

void frmAbout::cmdOK_Click()
{
    accept();
}

void frmAbout::cmdOK_MouseDown(int button, int, int, int)
{
    if (button == 1) {
        cmdOK->setFrameShape(QFrame::Panel);
        cmdOK->setFrameShadow(QFrame::Raised);
    }
}

void frmAbout::cmdOK_MouseUp(int button, int, int, int)
{
    if (button == 1)
        cmdOK->setFrameShape(QFrame::NoFrame);
}

void frmAbout::Label1_Click()
{
    cmdOK_Click();
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo();
}

void frmAbout::Label4_Click()
{
    StartSysInfo();
}

void frmAbout::lblTitle_Click()
{
    SystemMessageBox::show(this,
                           QStringLiteral("Hi there, you have just found the easter egg! contact me at: ")
                               + ContactAddress,
                           QStringLiteral("Congrats"), SystemMessageBox::vbOKOnly);
}

bool frmAbout::GetKeyValue(quint32 keyRoot, const QString &keyName, const QString &subKeyRef,
                           QString &keyVal)
{
    const std::optional<QString> value = RegistryStore::queryValue(keyRoot, keyName, subKeyRef);
    keyVal = value.value_or(QString());
    return value.has_value();
}

void frmAbout::StartSysInfo()
{
    QString path;
    if (GetKeyValue(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                    QStringLiteral("PATH"), path)) {
        if (QProcess::startDetached(path, {}))
            return;
    } else if (GetKeyValue(HKEY_LOCAL_MACHINE,
                           QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                           QStringLiteral("MSINFO"), path)) {
        const QString program = path + QStringLiteral("/MSINFO32.EXE");
        if (QFileInfo(program).isFile() && QProcess::startDetached(program, {}))
            return;
    }
    SystemMessageBox::show(this, QStringLiteral("System Information Is Unavailable At This Time"),
                           AppTitle, SystemMessageBox::vbOKOnly);
}

void frmAbout::answer(const QString &answer)
{
    if (m_unloaded)
        return;
    if (answer == QLatin1String("OK"))
        cmdOK_Click();
    else
        reject();
}

void frmAbout::done(int result)
{
    m_unloaded = true;
    QDialog::done(result);
}

bool frmAbout::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease)
        return QDialog::eventFilter(watched, event);
    auto *mouse = static_cast<QMouseEvent *>(event);
    const int button = KeyCodes::mouseButton(mouse->button());
    const int shift = KeyCodes::shiftState(mouse->modifiers());
    const QPoint at = mouse->position().toPoint();
    const bool inside = static_cast<QWidget *>(watched)->rect().contains(at);
    const bool click = type == QEvent::MouseButtonRelease && button == 1 && inside;

    if (watched == cmdOK) {
        if (type == QEvent::MouseButtonPress)
            cmdOK_MouseDown(button, shift, at.x(), at.y());
        else
            cmdOK_MouseUp(button, shift, at.x(), at.y());
        if (click)
            cmdOK_Click();
        return true;
    }
    if (watched == cmdSysInfo || watched == lblTitle) {
        if (click)
            watched == cmdSysInfo ? cmdSysInfo_Click() : lblTitle_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
