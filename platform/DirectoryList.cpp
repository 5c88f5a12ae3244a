#include "DirectoryList.h"

#include "DriveList.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace {

// Why path cannot be listed, or NoError.
int checkFolder(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        // A drive's root that has gone is a drive without its medium.
        return DriveList::isDriveRoot(path) ? DirectoryList::DeviceUnavailable
                                            : DirectoryList::PathNotFound;
    }
    if (!info.isDir())
        return DirectoryList::PathNotFound;
    if (DriveList::isDriveRoot(path) && !QStorageInfo(path).isReady())
        return DirectoryList::DeviceUnavailable;
    if (!info.isReadable() || !info.isExecutable())
        return DirectoryList::PermissionDenied;
    return DirectoryList::NoError;
}

QStringList subfolderNames(const QDir &dir)
{
    return dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
}

} // namespace

DirectoryList::Result DirectoryList::subfolders(const QString &path)
{
    Result result;
    result.error = checkFolder(path);
    if (result.error != NoError)
        return result;
    const QDir dir(path);
    for (const QString &name : subfolderNames(dir))
        result.entries.append(QDir::cleanPath(dir.absoluteFilePath(name)));
    return result;
}

bool DirectoryList::hasSubfolders(const QString &path)
{
    return checkFolder(path) == NoError && !subfolderNames(QDir(path)).isEmpty();
}

DirectoryList::Result DirectoryList::files(const QString &path)
{
    Result result;
    result.error = checkFolder(path);
    if (result.error != NoError)
        return result;
    result.entries = QDir(path).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    return result;
}
