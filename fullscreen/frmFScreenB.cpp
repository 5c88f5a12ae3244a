#include "fullscreen/frmFScreenB.h"

#include "documents/frmDoc.h"
#include "fullscreen/frmFScreen.h"
#include "platform/RichTextBox.h"
#include "shell/frmMain.h"
#include "shell/modApi.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QToolBar>
#include <QVBoxLayout>

namespace {
QPointer<frmFScreenB> g_instance;

int px(const QWidget *w, int twips)
{
    return qRound(twips * w->logicalDpiX() / 1440.0);
}

// A screen with four corners pointing inwards: back to the window.
QIcon returnIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 24.0, size / 24.0);
        p.setPen(QPen(QColor(0x2f, 0x3b, 0x4c), 1.4));
        p.setBrush(QColor(0xdc, 0xe3, 0xec));
        p.drawRoundedRect(QRectF(1.5, 3.5, 21, 15), 1.5, 1.5);
        p.drawLine(QPointF(8, 21.5), QPointF(16, 21.5));
        p.setPen(QPen(QColor(0x3d, 0x6f, 0xb6), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        const QPointF corners[4][3] = {
            {{5, 9}, {8, 9}, {8, 6}}, {{19, 9}, {16, 9}, {16, 6}},
            {{5, 13}, {8, 13}, {8, 16}}, {{19, 13}, {16, 13}, {16, 16}}};
        for (const auto &c : corners)
            p.drawPolyline(c, 3);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
}

frmFScreenB::frmFScreenB(QWidget *owner)
    : QWidget(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    g_instance = this;
    setObjectName(QStringLiteral("frmFScreenB"));
    setWindowTitle(QStringLiteral("Full Screen"));
    setAttribute(Qt::WA_DeleteOnClose);

    tbrFull = new QToolBar(this);
    tbrFull->setObjectName(QStringLiteral("tbrFull"));
    tbrFull->setIconSize(QSize(24, 24));
    tbrFull->setContextMenuPolicy(Qt::PreventContextMenu);
    QAction *button = tbrFull->addAction(returnIcon(), QStringLiteral("Return to Normal Mode"));
    button->setObjectName(QStringLiteral("FullScreen"));
    button->setToolTip(QStringLiteral("Return to Normal Mode"));
    connect(tbrFull, &QToolBar::actionTriggered, this, &frmFScreenB::tbrFull_ButtonClick);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tbrFull, 0, Qt::AlignCenter);
    setFixedSize(qMax(px(this, 525), tbrFull->sizeHint().width()),
                 qMax(px(this, 540), tbrFull->sizeHint().height()));

    // Centred on the screen.
    const QScreen *screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen)
        move(screen->geometry().center() - rect().center());
}

frmFScreenB::~frmFScreenB()
{
    if (g_instance == this)
        g_instance = nullptr;
}

frmFScreenB *frmFScreenB::instance()
{
    return g_instance;
}

QAction *frmFScreenB::Button(const QString &key) const
{
    for (QAction *action : tbrFull->actions()) {
        if (action->objectName() == key)
            return action;
    }
    return nullptr;
}

void frmFScreenB::Form_Load()
{
    modApi::MakeTopmost(this);
    modApi::RemoveCloseMenuItem(this);
    if (frmFScreen *screen = frmFScreen::instance())
        screen->FSRTB->SetSelStart(0);
}

void frmFScreenB::tbrFull_ButtonClick(QAction *button)
{
    if (!button || button->objectName() != QLatin1String("FullScreen"))
        return;
    if (frmFScreen *screen = frmFScreen::instance())
        screen->close();   // writes the content back; then unloads this window
    Form_Unload();
}

void frmFScreenB::Form_Unload()
{
    if (m_unloading)
        return;
    m_unloading = true;
    modApi::MakeNotTopmost(this);
    close();
    // Back to the main window, and into the document that got the content.
    if (frmMain *main = frmMain::instance()) {
        main->activateWindow();
        if (frmDoc *doc = main->ActiveForm())
            doc->rtf1->setFocus();
    }
}

void frmFScreenB::closeEvent(QCloseEvent *event)
{
    // The title bar has no close button, but the system may still ask.
    if (m_unloading)
        event->accept();
    else
        event->ignore();
}
