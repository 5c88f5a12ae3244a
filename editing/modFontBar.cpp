#include "editing/modFontBar.h"

#include <QtGlobal>

namespace modFontBar {

void Combo1_Click() {}

void Combo1_KeyPress(int &keyAscii)
{
    Q_UNUSED(keyAscii);
}

void Combo2_Click() {}

void Combo2_KeyPress(int &keyAscii)
{
    Q_UNUSED(keyAscii);
}

void Combo3_Click() {}

}
