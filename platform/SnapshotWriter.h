#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>

class QSocketNotifier;
class QTimer;

// Writes a file whose bytes are made from the program's state as it stands
// at start(), without holding up the caller while they are made and written.
//
// On POSIX the process forks: the child sees a copy-on-write picture of all
// memory as it was at that instant, makes the bytes from it, writes them
// through FileWriter and ends; the caller only pays for the fork, and may go
// on changing its state at once. The child runs nothing but `produce` and the
// write, and ends with _exit, so it never touches the window system or any
// other thread's locks. Elsewhere the bytes are made on the caller's thread
// and written on a worker.
//
// finished() reports each write, also one that failed or had to be stopped.
class SnapshotWriter : public QObject
{
    Q_OBJECT

public:
    using Producer = std::function<QByteArray()>;

    explicit SnapshotWriter(QObject *parent = nullptr);
    // A write still going on is stopped; the file it would have replaced
    // stays as it was.
    ~SnapshotWriter() override;

    // One file to write and what goes into it.
    struct Output
    {
        QString path;
        Producer produce;
    };

    // False, with the reason in *errorText, when a write is still going on
    // or none could be started.
    bool start(const QString &path, const Producer &produce, QString *errorText = nullptr);
    // Writes the files in order, stopping at the first that fails, so a
    // later one (an index, say) is only there when those before it are.
    bool start(const QList<Output> &outputs, QString *errorText = nullptr);
    bool busy() const;
    // Waits until the write going on (if any) has finished and was reported.
    void waitForFinished();

    // A child that has not ended after this long is stopped (a write that
    // hangs on a dead network folder, say).
    static constexpr int TimeoutMs = 5 * 60 * 1000;

signals:
    void finished(bool ok, const QString &errorText);

private:
    void collect(bool block);
    void stopChild();
    // Waits for the ended (or killed) child and lets go of its pipe; its
    // wait status.
    int reap();

    qint64 m_child = -1;
    int m_pipe = -1;
    QByteArray m_report;
    QSocketNotifier *m_notifier = nullptr;
    QTimer *m_timeout = nullptr;
};
