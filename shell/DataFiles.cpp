#include "shell/DataFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifndef QUILLET_DATA_FROM_BIN
#define QUILLET_DATA_FROM_BIN "../share/quillet"
#endif

// The icons live in this static library's resources; naming them here keeps
// the linker from dropping them.
static void initResources()
{
    Q_INIT_RESOURCE(quillet);
}

namespace DataFiles {

QStringList SearchFolders()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    QStringList folders{programFolder,
                        QDir::cleanPath(programFolder + QLatin1Char('/')
                                        + QStringLiteral(QUILLET_DATA_FROM_BIN))};
    // The desktop's data folders, for a tree installed elsewhere than the program.
    for (const QString &folder : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders << folder + QStringLiteral("/quillet");
    folders.removeDuplicates();
    return folders;
}

QString Find(const QString &fileName)
{
    for (const QString &folder : SearchFolders()) {
        const QFileInfo file(QDir(folder), fileName);
        if (file.isFile())
            return file.absoluteFilePath();
    }
    return {};
}

QString ProgramFolderForOwnFiles()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QFileInfo installedData(programFolder + QLatin1Char('/') + QStringLiteral(QUILLET_DATA_FROM_BIN));
    return installedData.isDir() ? QString() : programFolder;
}

QIcon ApplicationIcon()
{
    initResources();
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/quillet-%1.png").arg(size), QSize(size, size));
    return icon;
}

}
