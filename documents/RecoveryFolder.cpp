#include "documents/RecoveryFolder.h"

#include "platform/FileWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QRandomGenerator>
#include <QStandardPaths>

namespace {

const QString runPrefix = QStringLiteral("run-");
const QString lockName = QStringLiteral("lock");

// The index is read back by later versions too: names, not enum numbers.
const QList<std::pair<TextFile::Encoding, QString>> &encodingNames()
{
    static const QList<std::pair<TextFile::Encoding, QString>> names = {
        {TextFile::Encoding::Utf8, QStringLiteral("utf-8")},
        {TextFile::Encoding::Utf8Bom, QStringLiteral("utf-8-bom")},
        {TextFile::Encoding::Utf16LE, QStringLiteral("utf-16le")},
        {TextFile::Encoding::Utf16BE, QStringLiteral("utf-16be")},
        {TextFile::Encoding::Utf32LE, QStringLiteral("utf-32le")},
        {TextFile::Encoding::Utf32BE, QStringLiteral("utf-32be")},
    };
    return names;
}

const QList<std::pair<TextFile::LineEnd, QString>> &lineEndNames()
{
    static const QList<std::pair<TextFile::LineEnd, QString>> names = {
        {TextFile::LineEnd::LF, QStringLiteral("lf")},
        {TextFile::LineEnd::CRLF, QStringLiteral("crlf")},
        {TextFile::LineEnd::CR, QStringLiteral("cr")},
    };
    return names;
}

template <typename Enum>
QString nameOf(const QList<std::pair<Enum, QString>> &names, Enum value)
{
    for (const auto &[v, name] : names) {
        if (v == value)
            return name;
    }
    return names.first().second;
}

template <typename Enum>
Enum valueOf(const QList<std::pair<Enum, QString>> &names, const QString &name, Enum fallback)
{
    for (const auto &[v, n] : names) {
        if (n == name)
            return v;
    }
    return fallback;
}

// A lock that is only stale when its process is gone: a Quillet that has
// been running for days still owns its run.
std::unique_ptr<QLockFile> lockFor(const QString &runPath)
{
    auto lock = std::make_unique<QLockFile>(QDir(runPath).filePath(lockName));
    lock->setStaleLockTime(0);
    return lock;
}

QStringList recoveryFiles(const QString &runPath)
{
    QStringList files;
    const QDir run(runPath);
    for (const QString &name : run.entryList({QStringLiteral("*.rtf")}, QDir::Files, QDir::Name))
        files.append(run.filePath(name));
    return files;
}

// Nothing of ours but perhaps the lock: the folder may go.
bool holdsNothing(const QString &runPath)
{
    const QStringList left = QDir(runPath).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                     | QDir::NoDotAndDotDot);
    return left.isEmpty() || left == QStringList{lockName};
}

void removeRun(const QString &runPath, QLockFile *lock)
{
    if (lock)
        lock->unlock();
    QDir().rmdir(runPath);
}

} // namespace

QString RecoveryEntry::indexPath() const
{
    QString path = rtfPath;
    if (path.endsWith(QLatin1String(".rtf")))
        path.chop(4);
    return path + QStringLiteral(".json");
}

QString RecoveryEntry::displayName() const
{
    if (!originalPath.isEmpty())
        return QFileInfo(originalPath).fileName();
    return caption.isEmpty() ? QStringLiteral("Untitled document") : caption;
}

QString RecoveryFolder::defaultRoot()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))
        .filePath(QStringLiteral("recovery"));
}

RecoveryFolder::RecoveryFolder(const QString &root) : m_root(root) {}

RecoveryFolder::~RecoveryFolder()
{
    close();
}

bool RecoveryFolder::open(QString *errorText)
{
    if (isOpen())
        return true;
    if (!QDir().mkpath(m_root)) {
        if (errorText)
            *errorText = QStringLiteral("Cannot make the folder \"%1\".").arg(m_root);
        return false;
    }
    const QDir root(m_root);
    for (int attempt = 0; attempt < 20; ++attempt) {
        const QString name = runPrefix + QString::number(QCoreApplication::applicationPid()) + QLatin1Char('-')
            + QString::number(QRandomGenerator::global()->generate(), 36);
        // mkdir, not mkpath: it fails when the folder is there already, so
        // no two runs share one.
        if (!root.mkdir(name))
            continue;
        const QString path = root.filePath(name);
        std::unique_ptr<QLockFile> lock = lockFor(path);
        // Another start may have taken a folder that had no lock yet for an
        // orphan and removed it; this run then picks another.
        if (lock->tryLock(0)) {
            m_runPath = path;
            m_lock = std::move(lock);
            return true;
        }
    }
    if (errorText)
        *errorText = QStringLiteral("Cannot make a folder for this run in \"%1\".").arg(m_root);
    return false;
}

bool RecoveryFolder::isOpen() const
{
    return m_lock != nullptr;
}

QString RecoveryFolder::newRecoveryFile()
{
    for (;;) {
        const QString path = QDir(m_runPath).filePath(QStringLiteral("%1.rtf").arg(m_nextFile++));
        if (!QFileInfo::exists(path))
            return path;
    }
}

QList<RecoveryFolder::Orphans> RecoveryFolder::claimOrphans()
{
    QList<Orphans> found;
    const QDir root(m_root);
    const QStringList runs = root.entryList({runPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::NoDotAndDotDot,
                                            QDir::Name);
    for (const QString &name : runs) {
        const QString path = root.filePath(name);
        if (path == m_runPath)
            continue;
        std::shared_ptr<QLockFile> lock = lockFor(path);
        // Held by a live process (another Quillet, or one offering these
        // files right now): not ours.
        if (!lock->tryLock(0))
            continue;
        Orphans run{path, lock, {}};
        for (const QString &file : recoveryFiles(path)) {
            if (std::optional<RecoveryEntry> entry = readEntry(file))
                run.entries.append(*entry);
        }
        // An index without its document (killed between the two) says
        // nothing worth keeping.
        const QDir dir(path);
        for (const QString &index : dir.entryList({QStringLiteral("*.json")}, QDir::Files)) {
            if (!QFileInfo::exists(dir.filePath(QFileInfo(index).completeBaseName() + QStringLiteral(".rtf"))))
                QFile::remove(dir.filePath(index));
        }
        if (run.entries.isEmpty()) {
            if (holdsNothing(path))
                removeRun(path, lock.get());
            else
                lock->unlock();
            continue;
        }
        std::sort(run.entries.begin(), run.entries.end(),
                  [](const RecoveryEntry &a, const RecoveryEntry &b) { return a.saved < b.saved; });
        found.append(run);
    }
    return found;
}

void RecoveryFolder::release(Orphans &run)
{
    if (holdsNothing(run.runPath))
        removeRun(run.runPath, run.lock.get());
    else if (run.lock)
        run.lock->unlock();
    run.lock.reset();
}

bool RecoveryFolder::moveEntry(RecoveryEntry &entry, const QString &rtfPath)
{
    RecoveryEntry moved = entry;
    moved.rtfPath = rtfPath;
    if (!QFile::rename(entry.rtfPath, rtfPath))
        return false;
    QFile::remove(entry.indexPath());
    writeIndex(moved, nullptr);
    entry = moved;
    return true;
}

bool RecoveryFolder::writeIndex(const RecoveryEntry &entry, QString *errorText)
{
    return FileWriter::write(entry.indexPath(), indexBytes(entry), errorText);
}

QByteArray RecoveryFolder::indexBytes(const RecoveryEntry &entry)
{
    QJsonObject index;
    index.insert(QStringLiteral("version"), 1);
    index.insert(QStringLiteral("path"), entry.originalPath);
    index.insert(QStringLiteral("caption"), entry.caption);
    index.insert(QStringLiteral("type"), entry.fileType == 1 ? QStringLiteral("text") : QStringLiteral("rtf"));
    index.insert(QStringLiteral("encoding"), nameOf(encodingNames(), entry.encoding));
    index.insert(QStringLiteral("lineEnd"), nameOf(lineEndNames(), entry.lineEnd));
    index.insert(QStringLiteral("saved"), entry.saved.toUTC().toString(Qt::ISODateWithMs));
    index.insert(QStringLiteral("firstWords"), entry.firstWords);
    return QJsonDocument(index).toJson();
}

std::optional<RecoveryEntry> RecoveryFolder::readEntry(const QString &rtfPath)
{
    const QFileInfo file(rtfPath);
    if (!file.isFile())
        return std::nullopt;
    RecoveryEntry entry;
    entry.rtfPath = rtfPath;
    entry.saved = file.lastModified();
    QFile indexFile(entry.indexPath());
    // An index is a few hundred bytes; anything far larger is not one.
    if (indexFile.open(QIODevice::ReadOnly) && indexFile.size() < 1 << 20) {
        const QJsonObject index = QJsonDocument::fromJson(indexFile.readAll()).object();
        const QString path = index.value(QStringLiteral("path")).toString();
        // Only a full path can be saved to; anything else is treated as untitled.
        if (QDir::isAbsolutePath(path))
            entry.originalPath = QDir::cleanPath(path);
        entry.caption = index.value(QStringLiteral("caption")).toString().left(260);
        entry.fileType = index.value(QStringLiteral("type")).toString() == QLatin1String("text") ? 1 : 0;
        entry.encoding = valueOf(encodingNames(), index.value(QStringLiteral("encoding")).toString(),
                                 TextFile::Encoding::Utf8);
        entry.lineEnd = valueOf(lineEndNames(), index.value(QStringLiteral("lineEnd")).toString(),
                                TextFile::platformLineEnd());
        const QDateTime saved = QDateTime::fromString(index.value(QStringLiteral("saved")).toString(), Qt::ISODateWithMs);
        if (saved.isValid())
            entry.saved = saved.toLocalTime();
        entry.firstWords = index.value(QStringLiteral("firstWords")).toString().left(200);
    }
    if (entry.originalPath.isEmpty())
        entry.fileType = 0;
    return entry;
}

void RecoveryFolder::remove(const RecoveryEntry &entry)
{
    QFile::remove(entry.rtfPath);
    QFile::remove(entry.indexPath());
}

void RecoveryFolder::close()
{
    if (!m_lock)
        return;
    if (holdsNothing(m_runPath))
        removeRun(m_runPath, m_lock.get());
    else
        m_lock->unlock();
    m_lock.reset();
}
