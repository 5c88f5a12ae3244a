#pragma once

#include <QByteArray>
#include <QString>

// Writes a whole file so that a failure at any point leaves the file that
// was there byte for byte: the bytes go to a temporary file beside it, every
// write is checked, the temporary is synced to the disk (and that checked
// too), and only then does it replace the target. A file written over keeps
// its permission bits and, where the process may set them, its owner and
// group. A symbolic link stays a link: the file it points to is replaced.
//
// On Linux the temporary has no name until it is complete (O_TMPFILE), so a
// save killed part-way leaves nothing beside the file; where that is not
// possible it is named "<file>.quillet-<pid>-<random>", and the next save to
// the same file removes the ones whose process has ended.
class FileWriter
{
public:
    // False, with a reason that names the path and the cause ("No space left
    // on device"), when the file could not be written.
    static bool write(const QString &path, const QByteArray &bytes, QString *errorText);

    // Test seam: the next write stops after this many bytes, as a full disk
    // would stop it; -1 switches it off.
    static void injectFailure(qint64 afterBytes);
    // Test seam: false makes every temporary a named one, as on a file
    // system without O_TMPFILE.
    static void allowNamelessTemporaries(bool allowed);
};
