#include "documents/DeleteSnapshot.h"

#include "platform/RichTextBox.h"
#include "shell/DataFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString &baseOverride()
{
    static QString folder;
    return folder;
}

QString &lastWritten()
{
    static QString path;
    return path;
}

} // namespace

QStringList DeleteSnapshot::baseFolders()
{
    if (!baseOverride().isEmpty())
        return {baseOverride()};
    QStringList folders;
    if (const QString programFolder = DataFiles::ProgramFolderForOwnFiles(); !programFolder.isEmpty())
        folders << programFolder;
    const QString appData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!appData.isEmpty() && !folders.contains(appData))
        folders << appData;
    return folders;
}

QString DeleteSnapshot::lastPath()
{
    return lastWritten();
}

bool DeleteSnapshot::write(RichTextBox *rtb)
{
    if (!rtb)
        return false;
    for (const QString &base : baseFolders()) {
        if (base.isEmpty())
            continue;
        const QString folder = QDir(base).filePath(QStringLiteral("temp"));
        if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir())
            continue;
        const QString path = QDir(folder).filePath(fileName());
        if (rtb->SaveFile(path, RichTextBox::rtfRTF)) {
            lastWritten() = path;
            return true;
        }
    }
    return false;
}

void DeleteSnapshot::setBaseFolder(const QString &folder)
{
    baseOverride() = folder;
}
