#include "editing/modToolbar.h"

#include "editing/modActive.h"
#include "shell/modMessageError.h"

namespace modToolbar {

void redo_Click()
{
    modMessageError::ShowMessage(
        QStringLiteral("This feature couldn't be implemented as of this release, but will be in the near future Thank you !"),
        QStringLiteral("Quillet"), modMessageError::iconInformation, modMessageError::vbTrue);
    modActive::ReturnFocus();
}

}
