#include "documents/frmDoc.h"

#include "platform/RichTextBox.h"
#include "shell/frmMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiSubWindow>

frmDoc::frmDoc(QWidget *parent)
    : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Form1"));
    rtf1 = new RichTextBox(this);
    rtf1->setObjectName(QStringLiteral("rtf1"));
    rtf1->SetFontName(QStringLiteral("Verdana"));
    // Copy and paste by key are the window's own key-release commands.
    rtf1->SetClipboardKeysEnabled(false);

    connect(rtf1, &RichTextBox::Change, this, &frmDoc::rtf1_Change);
    connect(rtf1, &RichTextBox::SelChange, this, &frmDoc::rtf1_SelChange);
    connect(rtf1, &RichTextBox::KeyPress, this, &frmDoc::rtf1_KeyPress);
    connect(rtf1, &RichTextBox::KeyUp, this, &frmDoc::rtf1_KeyUp);
    connect(rtf1, &RichTextBox::MouseUp, this, &frmDoc::rtf1_MouseUp);

    Form_Load();
}

frmDoc::~frmDoc() = default;

QString frmDoc::Caption() const
{
    return windowTitle();
}

void frmDoc::SetCaption(const QString &caption)
{
    setWindowTitle(caption);
}

QString frmDoc::FileName() const
{
    const QString caption = Caption();
    if (caption.endsWith(QLatin1Char('*')))
        return caption.left(caption.size() - 1);
    return caption;
}

int frmDoc::WindowState() const
{
    const QWidget *w = m_subWindow ? static_cast<const QWidget *>(m_subWindow) : this;
    if (w->isMinimized())
        return 1;
    if (w->isMaximized())
        return 2;
    return 0;
}

QMdiSubWindow *frmDoc::subWindow() const
{
    return m_subWindow;
}

void frmDoc::attachToSubWindow(QMdiSubWindow *subWindow)
{
    m_subWindow = subWindow;
    if (!subWindow)
        return;
    connect(subWindow, &QMdiSubWindow::windowStateChanged, this,
            [this](Qt::WindowStates, Qt::WindowStates newState) {
                const bool active = newState.testFlag(Qt::WindowActive);
                if (active == m_active)
                    return;
                m_active = active;
                if (active)
                    Form_Activate();
                else
                    Form_Deactivate();
            });
}

void frmDoc::closeEvent(QCloseEvent *event)
{
    bool cancel = false;
    Form_QueryUnload(cancel, 0);
    if (!cancel)
        Form_Unload(cancel);
    if (cancel)
        event->ignore();
    else
        event->accept();
}

void frmDoc::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmDoc::Form_Load()
{
    if (frmMain *main = frmMain::instance()) {
        for (const char *name : {"edit", "formatmenu", "menuTools", "menuInsert"}) {
            if (QAction *menu = main->Menu(QLatin1String(name))) {
                menu->setEnabled(true);
                menu->setVisible(true);
            }
        }
    }
    Form_Resize();
    rtf1->SetFontSize(10);
    bAddStar = false;
}

void frmDoc::Form_QueryUnload(bool &cancel, int unloadMode)
{
    Q_UNUSED(cancel);
    Q_UNUSED(unloadMode);
    if (frmMain *main = frmMain::instance()) {
        for (int panel : {3, 5, 7}) {
            if (QLabel *label = main->Panel(panel))
                label->clear();
        }
    }
    bAddStar = false;
}

void frmDoc::Form_Unload(bool &cancel)
{
    checkDocForChange(cancel);
}

void frmDoc::checkDocForChange(bool &cancel)
{
    Q_UNUSED(cancel);
}

void frmDoc::Form_Activate()
{
}

void frmDoc::Form_Deactivate()
{
}

void frmDoc::Form_Resize()
{
}

void frmDoc::rtf1_Change()
{
}

void frmDoc::rtf1_KeyPress(int keyAscii)
{
    Q_UNUSED(keyAscii);
}

void frmDoc::rtf1_KeyUp(int keyCode, int shift)
{
    Q_UNUSED(keyCode);
    Q_UNUSED(shift);
}

void frmDoc::rtf1_MouseUp(int button, int shift, int x, int y)
{
    Q_UNUSED(button);
    Q_UNUSED(shift);
    Q_UNUSED(x);
    Q_UNUSED(y);
}

void frmDoc::rtf1_SelChange()
{
}
