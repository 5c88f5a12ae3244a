#pragma once

// A small file system with no room left: a tmpfs of 64 KB mounted over a
// fresh folder, which fill() then fills to the last byte. Only root can
// mount one; elsewhere isMounted() is false and the caller falls back to the
// write seam. The mount goes when the object does.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cerrno>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>
#endif

class FullDisk
{
public:
    FullDisk()
    {
#ifdef Q_OS_LINUX
        if (::geteuid() == 0 && m_dir.isValid())
            m_mounted = ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0,
                                "size=64k,mode=0755") == 0;
#endif
    }
    ~FullDisk()
    {
#ifdef Q_OS_LINUX
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
#endif
    }
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;

    bool isMounted() const { return m_mounted; }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    // Takes every free byte with a filler file; true when not one more byte
    // fits afterwards.
    bool fill() const
    {
#ifdef Q_OS_LINUX
        if (!m_mounted)
            return false;
        const int fd = ::open(QFile::encodeName(filePath(QStringLiteral(".filler"))).constData(),
                              O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            return false;
        const QByteArray block(4096, 'f');
        while (::write(fd, block.constData(), size_t(block.size())) == block.size()) {
        }
        while (::write(fd, "f", 1) == 1) {
        }
        ::close(fd);
        const int probe = ::open(QFile::encodeName(filePath(QStringLiteral(".probe"))).constData(),
                                 O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const bool full = probe >= 0 && ::write(probe, "x", 1) < 0 && errno == ENOSPC;
        if (probe >= 0)
            ::close(probe);
        ::unlink(QFile::encodeName(filePath(QStringLiteral(".probe"))).constData());
        return full;
#else
        return false;
#endif
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};
