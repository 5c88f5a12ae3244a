#include "shell/modApi.h"

#include "platform/WindowHelpers.h"

namespace modApi {

void RemoveCloseMenuItem(QWidget *form)
{
    if (form)
        WindowHelpers::removeCloseButton(form);
}

void MakeTopmost(QWidget *form)
{
    if (form)
        WindowHelpers::makeTopmost(form);
}

void MakeNotTopmost(QWidget *form)
{
    if (form)
        WindowHelpers::makeNotTopmost(form);
}

}
