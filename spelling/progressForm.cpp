#include "spelling/progressForm.h"

#include <QCoreApplication>
#include <QProgressBar>

namespace {
int px(const QWidget *w, int twips)
{
    return qRound(twips * w->logicalDpiX() / 1440.0);
}
}

progressForm::progressForm(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                          | Qt::CustomizeWindowHint)
{
    setObjectName(QStringLiteral("progressForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(px(this, 4095), px(this, 255));

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setOrientation(Qt::Horizontal);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setGeometry(rect());
}

void progressForm::Advance(int amount)
{
    const int value = qMin(ProgressBar1->maximum(), ProgressBar1->value() + amount);
    // A bar already full stays as it is: a check with thousands of errors
    // advances once per error.
    if (value == ProgressBar1->value())
        return;
    ProgressBar1->setValue(value);
    if (isVisible())
        ProgressBar1->repaint();
}

void progressForm::SetCaption(const QString &caption)
{
    if (caption == windowTitle())
        return;
    setWindowTitle(caption);
    if (isVisible())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void progressForm::Unload()
{
    close();
}
