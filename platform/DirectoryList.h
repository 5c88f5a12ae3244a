#pragma once

#include <QString>
#include <QStringList>

// What the directory and file list boxes read from a folder. A folder that
// cannot be listed gives an error number instead of a list, in the
// platform's run-time numbering, and never an exception or a partial list:
//   68 device unavailable: the root of a drive that is not there or not ready
//   70 permission denied:  the folder exists but may not be read
//   76 path not found:     nothing at that path, or a file rather than a folder
class DirectoryList
{
public:
    enum Error { NoError = 0, DeviceUnavailable = 68, PermissionDenied = 70, PathNotFound = 76 };

    struct Result
    {
        int error = NoError;
        QStringList entries;
    };

    // The immediate subfolders of path as full paths without a trailing
    // separator, in alphabetical order; hidden folders are left out.
    static Result subfolders(const QString &path);
    // Whether path has at least one subfolder that subfolders() would list;
    // false too when it cannot be read.
    static bool hasSubfolders(const QString &path);
    // The names of the files in path, in alphabetical order; hidden files
    // are left out.
    static Result files(const QString &path);
};
