#include "FileWriter.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QRandomGenerator>
#include <atomic>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <csignal>
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

// A temporary of ours: "<target>.quillet-<pid>-<random>". The PID tells a
// later save whether the process that made it is gone.
QByteArray temporaryName(const QByteArray &targetName)
{
    return targetName + ".quillet-" + QByteArray::number(qint64(::getpid())) + '-'
        + QByteArray::number(QRandomGenerator::global()->generate(), 36);
}

// Removes the temporaries a killed save left beside target: those whose
// process has ended, and those of the older naming without a PID once they
// are an hour old (no save takes that long). Others may be a save going on
// in another Quillet right now and stay.
void removeStaleTemporaries(const QString &target)
{
    const QFileInfo info(target);
    const QDir folder = info.absoluteDir();
    const QString prefix = info.fileName() + QStringLiteral(".quillet-");
    const QStringList names = folder.entryList({prefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden | QDir::System);
    static const QRegularExpression withPid(QStringLiteral("^(\\d+)-[0-9a-z]+$"));
    static const QRegularExpression withoutPid(QStringLiteral("^[0-9a-z]+$"));
    for (const QString &name : names) {
        const QString rest = name.mid(prefix.size());
        const QString path = folder.filePath(name);
        bool stale = false;
        if (const QRegularExpressionMatch m = withPid.match(rest); m.hasMatch()) {
            const qint64 pid = m.captured(1).toLongLong();
            stale = pid > 0 && pid != ::getpid() && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
        } else if (withoutPid.match(rest).hasMatch()) {
            stale = QFileInfo(path).lastModified().secsTo(QDateTime::currentDateTime()) > 3600;
        }
        if (stale)
            ::unlink(QFile::encodeName(path).constData());
    }
}

std::atomic<bool> namelessAllowed{true};

// Opens a temporary in the target's folder. Where the file system allows,
// it has no name at all until it is complete (O_TMPFILE), so a save killed
// part-way leaves nothing behind; else it gets one of our names.
int openTemporary(const QByteArray &targetName, bool nameless, TemporaryFile &temp, int *error)
{
#ifdef O_TMPFILE
    if (nameless) {
        const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(targetName)).absolutePath());
        // 0666 less the umask, as a new file would get; a replaced file gets
        // its own bits later.
        temp.fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (temp.fd >= 0)
            return temp.fd;
        // Not every file system has them; a named temporary does the same job.
    }
#else
    Q_UNUSED(nameless);
#endif
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = temporaryName(targetName);
        temp.fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (temp.fd >= 0) {
            temp.name = name;
            return temp.fd;
        }
        if (errno != EEXIST) {
            *error = errno;
            return -1;
        }
    }
    *error = EEXIST;
    return -1;
}

// Gives a nameless temporary a name of ours, for the rename that puts it in
// place: the name lives only for that instant.
bool nameTemporary(const QByteArray &targetName, TemporaryFile &temp, int *error)
{
    const QByteArray procPath = "/proc/self/fd/" + QByteArray::number(temp.fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = temporaryName(targetName);
        int result = ::linkat(AT_FDCWD, procPath.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW);
#ifdef AT_EMPTY_PATH
        // Without /proc, the descriptor itself (allowed to privileged users).
        if (result != 0 && errno == ENOENT)
            result = ::linkat(temp.fd, "", AT_FDCWD, name.constData(), AT_EMPTY_PATH);
#endif
        if (result == 0) {
            temp.name = name;
            return true;
        }
        if (errno != EEXIST) {
            *error = errno;
            return false;
        }
    }
    *error = EEXIST;
    return false;
}

enum class Outcome { Written, Failed, RetryNamed };

Outcome writePosix(const QString &path, const QByteArray &bytes, qint64 budget, bool nameless, QString *cause)
{
    auto failWith = [&](int error) {
        *cause = errnoText(error);
        return Outcome::Failed;
    };

    // Write through a link to the file it names, so the link survives.
    QString target = path;
    const QFileInfo info(path);
    if (info.isSymLink() && info.exists())
        target = info.canonicalFilePath();
    const QByteArray targetName = QFile::encodeName(target);

    struct stat old {};
    const bool replacing = ::stat(targetName.constData(), &old) == 0;

    removeStaleTemporaries(target);

    TemporaryFile temp;
    int error = 0;
    if (openTemporary(targetName, nameless, temp, &error) < 0)
        return failWith(error);

    qint64 written = 0;
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
    if (temp.name.isEmpty() && !nameTemporary(targetName, temp, &error))
        return Outcome::RetryNamed;
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
    return Outcome::Written;
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

void FileWriter::allowNamelessTemporaries(bool allowed)
{
#ifdef Q_OS_UNIX
    namelessAllowed = allowed;
#else
    Q_UNUSED(allowed);
#endif
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
    Outcome outcome = writePosix(path, bytes, budget, namelessAllowed, &cause);
    // A nameless temporary that could not be given a name (no /proc, say)
    // is written again under a name.
    if (outcome == Outcome::RetryNamed)
        outcome = writePosix(path, bytes, budget, false, &cause);
    const bool ok = outcome == Outcome::Written;
#else
    const bool ok = writePortable(path, bytes, budget, &cause);
#endif
    if (!ok)
        return fail(cause.isEmpty() ? QStringLiteral("the file could not be written") : cause);
    return true;
}
