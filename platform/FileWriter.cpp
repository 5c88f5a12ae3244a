#include "FileWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <atomic>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QSaveFile>
#endif

namespace {

std::atomic<qint64> failureBudget{-1};

// Large writes go out in pieces so that an injected failure can land in the
// middle of a file, where a real full disk would stop it.
constexpr qint64 ChunkSize = 64 * 1024;

QString reasonFor(const QString &path, const QString &cause)
{
    return QStringLiteral("Cannot save \"%1\": %2").arg(path, cause);
}

#ifdef Q_OS_UNIX

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Closes and removes the temporary unless it was handed over.
class TemporaryFile
{
public:
    ~TemporaryFile()
    {
        if (fd >= 0)
            ::close(fd);
        if (!name.isEmpty())
            ::unlink(name.constData());
    }
    int fd = -1;
    QByteArray name;
};

// Writes everything or reports the cause; short writes are retried, as a
// full disk often first shows as a short write.
bool writeAll(int fd, const char *data, qint64 size, int *error)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *error = errno;
            return false;
        }
        if (n == 0) {
            *error = ENOSPC;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

bool writePosix(const QString &path, const QByteArray &bytes, qint64 budget, QString *cause)
{
    auto failWith = [&](int error) {
        *cause = errnoText(error);
        return false;
    };

    // Write through a link to the file it names, so the link survives.
    QString target = path;
    const QFileInfo info(path);
    if (info.isSymLink() && info.exists())
        target = info.canonicalFilePath();
    const QByteArray targetName = QFile::encodeName(target);

    struct stat old {};
    const bool replacing = ::stat(targetName.constData(), &old) == 0;

    TemporaryFile temp;
    for (int attempt = 0; attempt < 100 && temp.fd < 0; ++attempt) {
        const QByteArray name = targetName + ".quillet-"
            + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        // 0666 less the umask, as a new file would get; a replaced file
        // gets its own bits below.
        temp.fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (temp.fd >= 0)
            temp.name = name;
        else if (errno != EEXIST)
            return failWith(errno);
    }
    if (temp.fd < 0)
        return failWith(EEXIST);

    qint64 written = 0;
    int error = 0;
    while (written < bytes.size()) {
        qint64 chunk = qMin(ChunkSize, bytes.size() - written);
        const bool stopsHere = budget >= 0 && written + chunk > budget;
        if (stopsHere)
            chunk = budget - written;
        if (chunk > 0 && !writeAll(temp.fd, bytes.constData() + written, chunk, &error))
            return failWith(error);
        written += chunk;
        if (stopsHere)
            return failWith(ENOSPC);
    }

    if (replacing) {
        // Owner and group first: changing them clears set-id bits, which the
        // mode then puts back. Only root may give a file away; for anyone
        // else the new file is theirs, as any editor's would be.
        if (::geteuid() == 0 && ::fchown(temp.fd, old.st_uid, old.st_gid) != 0)
            return failWith(errno);
        if (::fchmod(temp.fd, old.st_mode & 07777) != 0)
            return failWith(errno);
    }

    // The bytes must be on the disk before the old file goes: a delayed
    // allocation failure shows up here, not in write().
    if (::fsync(temp.fd) != 0)
        return failWith(errno);
    const int fd = temp.fd;
    temp.fd = -1;
    if (::close(fd) != 0)
        return failWith(errno);

    if (::rename(temp.name.constData(), targetName.constData()) != 0)
        return failWith(errno);
    temp.name.clear();

    // Make the rename itself durable; a folder that cannot be synced (some
    // network file systems) does not undo a save that has happened.
    const QByteArray folder = QFile::encodeName(QFileInfo(target).absolutePath());
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

#else

bool writePortable(const QString &path, const QByteArray &bytes, qint64 budget, QString *cause)
{
    // Unbuffered, so that every failed write is seen by QSaveFile before it
    // commits; QSaveFile keeps the permissions of the file it replaces.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *cause = file.errorString();
        return false;
    }
    qint64 written = 0;
    while (written < bytes.size()) {
        qint64 chunk = qMin(ChunkSize, bytes.size() - written);
        const bool stopsHere = budget >= 0 && written + chunk > budget;
        if (stopsHere)
            chunk = budget - written;
        if (chunk > 0 && file.write(bytes.constData() + written, chunk) != chunk) {
            *cause = file.errorString();
            file.cancelWriting();
            return false;
        }
        written += chunk;
        if (stopsHere) {
            file.cancelWriting();
            *cause = QStringLiteral("No space left on device");
            return false;
        }
    }
    if (!file.flush() || !file.commit()) {
        *cause = file.errorString();
        return false;
    }
    return true;
}

#endif

} // namespace

void FileWriter::injectFailure(qint64 afterBytes)
{
    failureBudget = afterBytes < 0 ? -1 : afterBytes;
}

bool FileWriter::write(const QString &path, const QByteArray &bytes, QString *errorText)
{
    auto fail = [&](const QString &cause) {
        if (errorText)
            *errorText = reasonFor(path, cause);
        return false;
    };

    const qint64 budget = failureBudget.exchange(-1);

    if (path.isEmpty())
        return fail(QStringLiteral("no file name was given"));
    const QFileInfo info(path);
    if (info.isDir())
        return fail(QStringLiteral("a folder of that name is in the way"));
    if (info.exists() && !info.isFile())
        return fail(QStringLiteral("it is not a regular file"));

    QString cause;
#ifdef Q_OS_UNIX
    const bool ok = writePosix(path, bytes, budget, &cause);
#else
    const bool ok = writePortable(path, bytes, budget, &cause);
#endif
    if (!ok)
        return fail(cause.isEmpty() ? QStringLiteral("the file could not be written") : cause);
    return true;
}
