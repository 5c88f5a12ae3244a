#include "FileWriter.h"

#include <QFileInfo>
#include <QSaveFile>
#include <atomic>

namespace {

std::atomic<qint64> failureBudget{-1};

// Large writes go out in pieces so that an injected failure can land in the
// middle of a file, where a real full disk would stop it.
constexpr qint64 ChunkSize = 64 * 1024;

QString reasonFor(const QString &path, const QString &cause)
{
    return QStringLiteral("Cannot save \"%1\": %2").arg(path, cause);
}

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

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());

    qint64 written = 0;
    while (written < bytes.size()) {
        qint64 chunk = qMin(ChunkSize, bytes.size() - written);
        const bool stopsHere = budget >= 0 && written + chunk > budget;
        if (stopsHere)
            chunk = budget - written;
        if (chunk > 0 && file.write(bytes.constData() + written, chunk) != chunk) {
            const QString cause = file.errorString();
            file.cancelWriting();
            return fail(cause);
        }
        written += chunk;
        if (stopsHere) {
            file.cancelWriting();
            return fail(QStringLiteral("No space left on device"));
        }
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}
