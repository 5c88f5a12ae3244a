#pragma once

// Shared by the file command tests: a main window started as at start-up,
// in a private settings folder, with every modal question answered through
// the seam, and a few file helpers.

#include "documents/fileMod.h"
#include "documents/frmDoc.h"
#include "documents/modDocument.h"
#include "platform/CommonDialog.h"
#include "platform/ModalSeam.h"
#include "platform/RichTextBox.h"
#include "shell/frmMain.h"
#include "shell/genMod.h"
#include "shell/modMessageError.h"
#include "shell/modRegistry.h"

#include <QtTest>
#include <memory>

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

inline const QString noState = QStringLiteral("unset");

inline QString documentState()
{
    return modRegistry::GetSettingValue(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey,
                                        QStringLiteral("Document State"), noState);
}

inline QList<ModalSeam::Question> askedOf(const QString &kind)
{
    QList<ModalSeam::Question> result = ModalSeam::asked();
    result.removeIf([&](const ModalSeam::Question &q) { return q.kind != kind; });
    return result;
}

inline void resetSeam()
{
    ModalSeam::reset();
    ModalSeam::setStrict(true);
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

// One of the file commands by its name in a test table.
inline void runCommand(frmMain *main, const QString &command)
{
    static const QHash<QString, void (frmMain::*)()> commands{
        {"save", &frmMain::save_Click}, {"saveas", &frmMain::saveas_Click},
        {"saveall", &frmMain::menuFileSaveAll_Click}, {"open", &frmMain::open_Click},
        {"close", &frmMain::close_Click}, {"closeall", &frmMain::menuFileCloseAll_Click},
        {"exit", &frmMain::exit_Click}};
    QVERIFY2(commands.contains(command), qPrintable(command));
    (main->*commands.value(command))();
}

#ifdef Q_OS_LINUX
// Root ignores permissions; the immutable flag stops it too, where the file
// system has one.
inline bool setImmutable(const QString &path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
    int flags = 0;
    bool ok = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok;
}
#endif

// The test fixture: settings, Error.log and the tip of the day stay inside
// the test's folders; each test gets a fresh folder and, unless it starts its
// own, the main window as start-up leaves it (Document 1 open and active).
class FilesTest : public QObject
{
protected:
    QTemporaryDir m_config, m_logs;
    std::unique_ptr<QTemporaryDir> m_dir;
    frmMain *m_main = nullptr;
    const QString m_startFolder = QDir::currentPath();

    void setUpOnce()
    {
        QVERIFY(m_config.isValid() && m_logs.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
        modMessageError::SetLogFolder(m_logs.path());
        modRegistry::CreateSettingsKey(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey);
        modRegistry::SetSettingValue(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey,
                                     QStringLiteral("Show Tips at Startup"), QStringLiteral("0"));
    }
    void setUp(bool startMain = true)
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        if (startMain)
            startMainWindow();
    }
    void startMainWindow(const QString &commandLine = QString())
    {
        resetSeam();
        RichTextBox::InjectSaveFailure(-1);
        genMod::ResetNewDocumentCounter();
        modDocument::ResetCreatedDocumentCounter();
        modRegistry::SetSettingValue(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey,
                                     QStringLiteral("Document State"), noState);
        genMod::SetCommandLine(commandLine);
        m_main = new frmMain;
        m_main->resize(1000, 700);
        m_main->MDIForm_Load();
        m_main->show();
    }
    // Ends a test without any question: nothing is saved.
    void tearDown()
    {
        for (frmDoc *doc : m_main ? m_main->documents() : QList<frmDoc *>())
            doc->bChanged = false;
        delete std::exchange(m_main, nullptr);
        genMod::SetCommandLine(QString());
        ModalSeam::reset();
        QDir::setCurrent(m_startFolder);
        m_dir.reset();
    }
    QString path(const QString &name) const { return m_dir->filePath(name); }
    // Queues answers; a string "@name" stands for that name in the folder.
    void queueAnswers(const QVariantList &answers) const
    {
        for (const QVariant &answer : answers) {
            const QString text = answer.toString();
            const bool named = answer.typeId() == QMetaType::QString && text.startsWith(QLatin1Char('@'));
            ModalSeam::queue(named ? QVariant(path(text.mid(1))) : answer);
        }
    }
};

}
