#include "documents/fileMod.h"

#include <QDragMoveEvent>
#include <QDropEvent>

namespace fileMod {

void OpenFile(const QString &fileName)
{
    Q_UNUSED(fileName);
}

void SaveFileAs() {}

void SaveTextFileAs() {}

void SaveToFile(const QString &path)
{
    Q_UNUSED(path);
}

void OpenCommand() {}

void SaveCommand() {}

void SaveAsCommand() {}

void SaveAllCommand() {}

void CloseCommand() {}

void CloseAllCommand() {}

void CommLineFile() {}

void DragOver(QDragMoveEvent *event)
{
    Q_UNUSED(event);
}

void DragDrop(QDropEvent *event)
{
    Q_UNUSED(event);
}

}
