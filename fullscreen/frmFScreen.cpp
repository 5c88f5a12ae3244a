#include "fullscreen/frmFScreen.h"

#include "documents/frmDoc.h"
#include "fullscreen/frmFScreenB.h"
#include "fullscreen/modFullScreen.h"
#include "platform/RichTextBox.h"
#include "shell/genMod.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QTextCursor>
#include <QTextDocument>

namespace {
QPointer<frmFScreen> g_instance;
}

frmFScreen::frmFScreen(frmDoc *source, QWidget *owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint)
    , m_source(source)
{
    g_instance = this;
    setObjectName(QStringLiteral("frmFScreen"));
    setWindowTitle(QStringLiteral("Quillet"));
    setAttribute(Qt::WA_DeleteOnClose);

    FSRTB = new RichTextBox(this);
    FSRTB->setObjectName(QStringLiteral("FSRTB"));
    FSRTB->setFrameShape(QFrame::NoFrame);
    FSRTB->SetFontName(QStringLiteral("Tahoma"));
    FSRTB->SetFontSize(8.25);
    connect(FSRTB, &RichTextBox::Change, this, &frmFScreen::FSRTB_Change);
}

frmFScreen::~frmFScreen()
{
    if (g_instance == this)
        g_instance = nullptr;
}

frmFScreen *frmFScreen::instance()
{
    return g_instance;
}

frmDoc *frmFScreen::Source() const
{
    return m_source;
}

void frmFScreen::Form_Load()
{
    // The whole screen the main window is on.
    const QScreen *screen = parentWidget() ? parentWidget()->screen() : this->screen();
    if (screen)
        setGeometry(screen->geometry());
    Form_Resize();
    FSRTB->SetSelStart(0);

    auto *floating = new frmFScreenB(this);
    floating->show();
    floating->Form_Load();
    FSRTB->SetSelStart(0);
}

void frmFScreen::Form_Resize()
{
    FSRTB->setGeometry(rect());
}

void frmFScreen::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmFScreen::FSRTB_Change()
{
    bFullChanged = true;
}

void frmFScreen::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;

    frmDoc *target = m_source;
    if (!bFullChanged) {
        if (target)
            target->bChanged = true;
        return;
    }
    // The document that entered may have been closed: the text must not go.
    if (!target)
        target = genMod::NewDocument();
    if (!target)
        return;
    target->rtf1->SetText(QString());
    modFullScreen::TransferContent(FSRTB, target->rtf1);
    target->rtf1->SetSelStart(0);
    if (QMdiSubWindow *sub = target->subWindow()) {
        if (QMdiArea *area = sub->mdiArea())
            area->setActiveSubWindow(sub);
    }
    FSRTB->SetText(QString());
}

void frmFScreen::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
    // Closed by other means than the button, the floating window goes too.
    if (frmFScreenB *floating = frmFScreenB::instance())
        floating->Form_Unload();
}
