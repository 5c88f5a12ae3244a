#include "DriveList.h"

#include <QDir>
#include <QStorageInfo>

#include <algorithm>
#include <optional>

namespace {

std::optional<QList<DriveList::Drive>> &overrideDrives()
{
    static std::optional<QList<DriveList::Drive>> drives;
    return drives;
}

QString withSeparator(QString path)
{
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

// Mount points that hold no user's files: the kernel's and the run-time's
// own folders, and read-only package images.
bool isSystemMount(const QStorageInfo &volume)
{
    const QString root = withSeparator(volume.rootPath());
    for (const char *prefix : {"/proc/", "/sys/", "/dev/", "/run/", "/var/run/", "/var/lock/", "/snap/"}) {
        if (root.startsWith(QLatin1String(prefix)))
            return !root.startsWith(QLatin1String("/run/media/"));
    }
    const QByteArray fs = volume.fileSystemType();
    return fs == "squashfs" || fs == "autofs" || fs == "proc" || fs == "sysfs" || fs == "devpts"
        || fs == "cgroup" || fs == "cgroup2" || fs == "binfmt_misc" || fs == "fusectl";
}

int typeOf(const QStorageInfo &volume)
{
    const QByteArray fs = volume.fileSystemType();
    if (fs == "iso9660" || fs == "udf")
        return DriveList::DriveCdRom;
    if (fs == "nfs" || fs == "nfs4" || fs == "cifs" || fs == "smb3" || fs == "smbfs"
        || fs == "9p" || fs.startsWith("fuse.sshfs"))
        return DriveList::DriveRemote;
    if (fs == "tmpfs" || fs == "ramfs")
        return DriveList::DriveRamDisk;
    const QString root = withSeparator(volume.rootPath());
    if (root.startsWith(QLatin1String("/media/")) || root.startsWith(QLatin1String("/run/media/")))
        return DriveList::DriveRemovable;
    return DriveList::DriveFixed;
}

} // namespace

QList<DriveList::Drive> DriveList::drives()
{
    if (overrideDrives())
        return *overrideDrives();

    QList<Drive> result;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || isSystemMount(volume))
            continue;
        Drive drive;
        drive.key = withSeparator(volume.rootPath());
        if (std::any_of(result.cbegin(), result.cend(),
                        [&](const Drive &d) { return d.key == drive.key; }))
            continue;
        drive.displayText = volume.rootPath();
        const QString label = volume.name();
        if (!label.isEmpty())
            drive.displayText += QStringLiteral(" [%1]").arg(label.toUpper());
        drive.type = typeOf(volume);
        result.append(drive);
    }
    std::sort(result.begin(), result.end(),
              [](const Drive &a, const Drive &b) { return a.key < b.key; });
    return result;
}

int DriveList::driveType(const QString &rootPath)
{
    const QString key = withSeparator(rootPath);
    for (const Drive &drive : drives()) {
        if (drive.key == key)
            return drive.type;
    }
    return DriveNoRootDir;
}

bool DriveList::isDriveRoot(const QString &path)
{
    const QString key = withSeparator(QDir::cleanPath(path));
    const QList<Drive> all = drives();
    return std::any_of(all.cbegin(), all.cend(), [&](const Drive &d) { return d.key == key; });
}

void DriveList::setOverride(const QList<Drive> &drives)
{
    if (drives.isEmpty())
        overrideDrives().reset();
    else
        overrideDrives() = drives;
}
