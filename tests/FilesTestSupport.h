#pragma once

// Shared by the file command tests: a main window started as at start-up,
// in a private settings folder, with every modal question answered through
// the seam, and a few file helpers.

#include "documents/frmDoc.h"
#include "documents/modDocument.h"
#include "platform/ModalSeam.h"
#include "platform/RichTextBox.h"
#include "shell/frmMain.h"
#include "shell/genMod.h"
#include "shell/modMessageError.h"
#include "shell/modRegistry.h"

#include <QApplication>
#include <QFile>
#include <QStringList>
#include <QTest>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace FilesTestSupport {

// A small Rich Text document with one bold word.
inline QByteArray richSample()
{
    return QByteArrayLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Verdana;}}\\f0\\fs20 Hello {\\b bold} world\\par}");
}

inline const QString &noState()
{
    static const QString value = QStringLiteral("unset");
    return value;
}

// Before anything reads settings: the store, Error.log and the tip of the
// day all stay inside the test's folders.
inline void prepareEnvironment(const QString &configFolder, const QString &logFolder)
{
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configFolder));
    modMessageError::SetLogFolder(logFolder);
    modRegistry::CreateSettingsKey(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey);
    modRegistry::SetSettingValue(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey,
                                 QStringLiteral("Show Tips at Startup"), QStringLiteral("0"));
}

inline QString documentState()
{
    return modRegistry::GetSettingValue(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey,
                                        QStringLiteral("Document State"), noState());
}

inline void clearDocumentState()
{
    modRegistry::SetSettingValue(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey,
                                 QStringLiteral("Document State"), noState());
}

// The main window as start-up leaves it: Document 1 open and active.
inline frmMain *startMainWindow(const QString &commandLine = QString())
{
    ModalSeam::reset();
    ModalSeam::setStrict(true);
    RichTextBox::InjectSaveFailure(-1);
    genMod::ResetNewDocumentCounter();
    modDocument::ResetCreatedDocumentCounter();
    clearDocumentState();
    genMod::SetCommandLine(commandLine);
    auto *main = new frmMain;
    main->resize(1000, 700);
    main->MDIForm_Load();
    main->show();
    return main;
}

// Ends a test without any question: nothing is saved.
inline void discardMainWindow(frmMain *&main)
{
    if (main) {
        for (frmDoc *doc : main->documents())
            doc->bChanged = false;
        delete main;
        main = nullptr;
    }
    genMod::SetCommandLine(QString());
    ModalSeam::reset();
}

inline QList<ModalSeam::Question> askedOf(const QString &kind)
{
    QList<ModalSeam::Question> result;
    for (const ModalSeam::Question &q : ModalSeam::asked()) {
        if (q.kind == kind)
            result.append(q);
    }
    return result;
}

inline QStringList captions(const frmMain *main)
{
    QStringList result;
    for (const frmDoc *doc : main->documents())
        result.append(doc->Caption());
    return result;
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool isRichText(const QByteArray &bytes)
{
    return bytes.startsWith("{\\rtf");
}

// A file that cannot be replaced, also for root: read-only, and immutable
// where the file system allows it. Undone when the guard goes.
class ReadOnlyFile
{
public:
    explicit ReadOnlyFile(const QString &path)
        : m_path(path)
    {
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
#ifdef Q_OS_LINUX
        if (::geteuid() == 0)
            m_immutable = setImmutable(true);
        m_effective = ::geteuid() != 0 || m_immutable;
#else
        m_effective = true;
#endif
    }
    ~ReadOnlyFile()
    {
#ifdef Q_OS_LINUX
        if (m_immutable)
            setImmutable(false);
#endif
        QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    ReadOnlyFile(const ReadOnlyFile &) = delete;
    ReadOnlyFile &operator=(const ReadOnlyFile &) = delete;

    // False when nothing here can stop this user from writing it.
    bool effective() const { return m_effective; }

private:
#ifdef Q_OS_LINUX
    bool setImmutable(bool on)
    {
        const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_NONBLOCK);
        if (fd < 0)
            return false;
        int flags = 0;
        bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (ok) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return ok;
    }
#endif
    QString m_path;
    bool m_immutable = false;
    bool m_effective = false;
};

}
