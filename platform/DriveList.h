#pragma once

#include <QList>
#include <QString>

// The platform's drives. Here a drive is a mounted volume: its key is its
// root path with a trailing separator ("/", "/media/usb/"), its display
// text that root path and, where the volume has one, its label in upper
// case in brackets. Pseudo file systems (/proc, /sys, device and run-time
// folders, snap images) are not drives.
//
// Nothing is read from a drive but its type, so a volume that is mounted
// but not ready is listed like any other.
class DriveList
{
public:
    // The platform's drive type codes.
    enum DriveType {
        DriveUnknown = 0,
        DriveNoRootDir = 1,
        DriveRemovable = 2,
        DriveFixed = 3,
        DriveRemote = 4,
        DriveCdRom = 5,
        DriveRamDisk = 6
    };

    struct Drive
    {
        QString key;           // root path ending in the separator
        QString displayText;   // what the drive list shows
        int type = DriveUnknown;
    };

    // The drives in order of their root paths, each root once.
    static QList<Drive> drives();
    // The type of the drive whose root is rootPath (with or without the
    // trailing separator); DriveNoRootDir when nothing is mounted there.
    static int driveType(const QString &rootPath);
    // Whether path is the root of a drive.
    static bool isDriveRoot(const QString &path);

    // Tests: list these drives instead of the mounted volumes (types as
    // given); an empty list goes back to the real ones.
    static void setOverride(const QList<Drive> &drives);
};
