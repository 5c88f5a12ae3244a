#pragma once

#include <QString>

class QDragMoveEvent;
class QDropEvent;

// Opening and saving files, and the File commands behind the main window.
namespace fileMod {

void OpenFile(const QString &fileName);
void SaveFileAs();
void SaveTextFileAs();
void SaveToFile(const QString &path);

// Bodies of the main window's File commands.
void OpenCommand();
void SaveCommand();
void SaveAsCommand();
void SaveAllCommand();
void CloseCommand();
void CloseAllCommand();

// Loads the file named on the command line (genMod::CommandLine()) into the
// active document window.
void CommLineFile();

// Files dragged over / dropped on the main window.
void DragOver(QDragMoveEvent *event);
void DragDrop(QDropEvent *event);

}
