#include "shell/modApi.h"

#include <QWidget>

namespace modApi {

void RemoveCloseMenuItem(QWidget *form)
{
    Q_UNUSED(form);
}

void MakeTopmost(QWidget *form)
{
    Q_UNUSED(form);
}

void MakeNotTopmost(QWidget *form)
{
    Q_UNUSED(form);
}

}
