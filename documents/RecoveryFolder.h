#pragma once

#include "platform/TextFile.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

class QLockFile;

// One document kept for recovery: its Rich Text file and the index beside
// it that says what it was.
struct RecoveryEntry
{
    QString rtfPath;        // "<run>/<n>.rtf"
    QString originalPath;   // the file the document belongs to; empty when it has none
    QString caption;        // "Document 3", or the path
    int fileType = 0;       // RichTextBox file type to save it back as
    TextFile::LineEnd lineEnd = TextFile::platformLineEnd();
    TextFile::Encoding encoding = TextFile::Encoding::Utf8;
    QDateTime saved;        // when the recovery file was written
    QString firstWords;

    QString indexPath() const;
    // The name to show: the file's name, or the caption of an untitled one.
    QString displayName() const;
};

// The folder where autosave keeps documents, "recovery/" under the user's
// data folder. Each running Quillet has a folder of its own in it,
// "run-<pid>-<random>", holding a lock file with its PID; a run whose lock is
// gone stale (its process died) left documents that nobody saved. Only the
// process holding a run's lock reads or changes that run's files, so two
// Quillets never take each other's.
class RecoveryFolder
{
public:
    // "<user data folder>/recovery".
    static QString defaultRoot();

    explicit RecoveryFolder(const QString &root);
    ~RecoveryFolder();
    RecoveryFolder(const RecoveryFolder &) = delete;
    RecoveryFolder &operator=(const RecoveryFolder &) = delete;

    // Makes and locks this run's folder; false with the reason when it cannot.
    bool open(QString *errorText);
    bool isOpen() const;
    QString root() const { return m_root; }
    QString runPath() const { return m_runPath; }
    // A new "<run>/<n>.rtf" name, unique in this run.
    QString newRecoveryFile();

    // The documents of runs that ended without a normal exit, for this run
    // to offer. Their runs stay locked by this process until released.
    struct Orphans
    {
        QString runPath;
        std::shared_ptr<QLockFile> lock;
        QList<RecoveryEntry> entries;
    };
    QList<Orphans> claimOrphans();
    // Gives a claimed run back as it is, for a later start to offer again;
    // a run with nothing left in it goes.
    static void release(Orphans &run);

    // Moves an entry's files to rtfPath (and the index beside it); false
    // when they could not be moved, and are left where they were.
    static bool moveEntry(RecoveryEntry &entry, const QString &rtfPath);

    static bool writeIndex(const RecoveryEntry &entry, QString *errorText);
    // The bytes writeIndex writes.
    static QByteArray indexBytes(const RecoveryEntry &entry);
    // nullopt when the index cannot be read; a missing or damaged index of a
    // file that is there still gives an entry, named as untitled.
    static std::optional<RecoveryEntry> readEntry(const QString &rtfPath);
    static void remove(const RecoveryEntry &entry);

    // Ends this run: its folder goes when nothing is left in it; the lock
    // goes in any case, so what is left is offered at the next start.
    void close();

private:
    QString m_root;
    QString m_runPath;
    std::unique_ptr<QLockFile> m_lock;
    int m_nextFile = 1;
};
