#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

// Where the program's read-only files (the tips, for one) are found: beside
// the program first, as a build tree or a copied folder has them, then in the
// data folder of an installed tree, whatever its prefix.
namespace DataFiles {

// The folders searched, in order.
QStringList SearchFolders();
// The full path of the first existing file of that name, or an empty string.
QString Find(const QString &fileName);
// The program's folder when Quillet may keep its own files there (the error
// log, the Delete snapshot); empty when it runs from an installed tree, whose
// folders belong to the system even when the user could write to them.
QString ProgramFolderForOwnFiles();
// Quillet's own icon in every size it ships.
QIcon ApplicationIcon();

}
