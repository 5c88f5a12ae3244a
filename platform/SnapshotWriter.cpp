#include "SnapshotWriter.h"

#include "FileWriter.h"

#include <QSocketNotifier>
#include <QTimer>
#include <new>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#else
#include <QCoreApplication>
#include <QPointer>
#include <thread>
#endif

#ifdef Q_OS_UNIX
namespace {

// The child's report on the pipe: one byte, '1' written or '0' failed, then
// the reason as UTF-8. Nothing at all means the child died on the way.
constexpr char Written = '1';
constexpr char Failed = '0';

void writeReport(int fd, const QByteArray &report)
{
    const char *data = report.constData();
    qsizetype left = report.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        data += n;
        left -= n;
    }
}

QByteArray produceAndWrite(const QList<SnapshotWriter::Output> &outputs)
{
    for (const SnapshotWriter::Output &output : outputs) {
        QString error;
        bool ok = false;
        try {
            ok = FileWriter::write(output.path, output.produce(), &error);
        } catch (const std::bad_alloc &) {
            error = QStringLiteral("Cannot save \"%1\": not enough memory").arg(output.path);
        }
        if (!ok)
            return Failed + error.toUtf8();
    }
    return QByteArray(1, Written);
}

} // namespace
#endif

SnapshotWriter::SnapshotWriter(QObject *parent)
    : QObject(parent), m_timeout(new QTimer(this))
{
    m_timeout->setSingleShot(true);
    connect(m_timeout, &QTimer::timeout, this, [this] {
        stopChild();
        emit finished(false, QStringLiteral("The write took too long and was stopped."));
    });
}

SnapshotWriter::~SnapshotWriter()
{
    stopChild();
}

bool SnapshotWriter::busy() const
{
    return m_child >= 0;
}

bool SnapshotWriter::start(const QString &path, const Producer &produce, QString *errorText)
{
    return start(QList<Output>{{path, produce}}, errorText);
}

#ifdef Q_OS_UNIX

bool SnapshotWriter::start(const QList<Output> &outputs, QString *errorText)
{
    auto fail = [&](const QString &reason) {
        if (errorText)
            *errorText = reason;
        return false;
    };
    if (busy())
        return fail(QStringLiteral("An earlier write is still going on."));
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    const pid_t pid = ::fork();
    if (pid < 0) {
        const int error = errno;
        ::close(fds[0]);
        ::close(fds[1]);
        return fail(QString::fromLocal8Bit(std::strerror(error)));
    }
    if (pid == 0) {
        // The child: only the snapshot's work, then out without running any
        // exit handler or destructor of the parent's objects.
        ::close(fds[0]);
        ::signal(SIGPIPE, SIG_IGN);
        // Behind the window on a busy machine: typing comes first.
        if (::nice(10) == -1) {
        }
        writeReport(fds[1], produceAndWrite(outputs));
        ::_exit(0);
    }
    ::close(fds[1]);
    m_child = pid;
    m_pipe = fds[0];
    m_report.clear();
    ::fcntl(m_pipe, F_SETFL, ::fcntl(m_pipe, F_GETFL) | O_NONBLOCK);
    m_notifier = new QSocketNotifier(qintptr(m_pipe), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { collect(false); });
    m_timeout->start(TimeoutMs);
    return true;
}

void SnapshotWriter::collect(bool block)
{
    if (!busy())
        return;
    // Read what the child said until it closes the pipe by ending.
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_pipe, buffer, sizeof buffer);
        if (n > 0) {
            m_report.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            if (!block)
                return;
            fd_set set;
            FD_ZERO(&set);
            FD_SET(m_pipe, &set);
            ::select(m_pipe + 1, &set, nullptr, nullptr, nullptr);
            continue;
        }
        break;   // end of file, or the pipe failed: the child is done with it
    }
    const int status = reap();
    if (m_report.startsWith(Written)) {
        emit finished(true, QString());
    } else if (m_report.startsWith(Failed)) {
        emit finished(false, QString::fromUtf8(m_report.mid(1)));
    } else {
        const QString how = WIFSIGNALED(status)
            ? QStringLiteral("signal %1").arg(WTERMSIG(status))
            : QStringLiteral("status %1").arg(WEXITSTATUS(status));
        emit finished(false, QStringLiteral("The write ended unexpectedly (%1).").arg(how));
    }
}

void SnapshotWriter::waitForFinished()
{
    collect(true);
}

void SnapshotWriter::stopChild()
{
    if (!busy())
        return;
    ::kill(pid_t(m_child), SIGKILL);
    reap();
}

int SnapshotWriter::reap()
{
    int status = 0;
    while (::waitpid(pid_t(m_child), &status, 0) < 0 && errno == EINTR) {
    }
    m_child = -1;
    delete m_notifier;
    m_notifier = nullptr;
    ::close(m_pipe);
    m_pipe = -1;
    m_timeout->stop();
    return status;
}

#else

// Without fork the bytes are made here, which costs the caller their making,
// and written on a worker thread.
bool SnapshotWriter::start(const QList<Output> &outputs, QString *errorText)
{
    if (busy()) {
        if (errorText)
            *errorText = QStringLiteral("An earlier write is still going on.");
        return false;
    }
    m_child = 0;
    QList<std::pair<QString, QByteArray>> files;
    for (const Output &output : outputs)
        files.append({output.path, output.produce()});
    QPointer<SnapshotWriter> self(this);
    std::thread([self, files] {
        QString error;
        bool ok = true;
        for (const auto &[path, bytes] : files) {
            ok = FileWriter::write(path, bytes, &error);
            if (!ok)
                break;
        }
        QMetaObject::invokeMethod(qApp, [self, ok, error] {
            if (!self)
                return;
            self->m_child = -1;
            emit self->finished(ok, error);
        }, Qt::QueuedConnection);
    }).detach();
    return true;
}

void SnapshotWriter::collect(bool) {}

void SnapshotWriter::waitForFinished()
{
    while (busy())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

void SnapshotWriter::stopChild()
{
    m_child = -1;
}

int SnapshotWriter::reap()
{
    m_child = -1;
    return 0;
}

#endif
