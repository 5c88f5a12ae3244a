#pragma once

#include <QByteArray>
#include <QString>

// Writes a whole file so that a failure at any point leaves the file that
// was there byte for byte: the bytes go to a temporary file beside it, which
// replaces the target only once everything was written.
class FileWriter
{
public:
    // False, with a reason that names the path and the cause, when the file
    // could not be written.
    static bool write(const QString &path, const QByteArray &bytes, QString *errorText);

    // Test seam: the next write stops after this many bytes, as a full disk
    // would stop it; -1 switches it off.
    static void injectFailure(qint64 afterBytes);
};
