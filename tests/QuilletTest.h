#pragma once

// The one fixture of the tests that run the program: settings, Error.log and
// the tip of the day stay in the test's own folders, every modal question is
// answered through the seam (an unanswered one is a failure), and the main
// window starts as start-up leaves it, Document 1 open and active.
//
// Keys go in the way the platform sends them: to the focus widget of the
// shown, active main window, press and release as separate events.

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

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QtTest>
#include <memory>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace QuilletTest {

inline const QString noState = QStringLiteral("unset");

// Never the user's own settings or log; no tip of the day waits for an
// answer. Once per test program, before anything reads settings.
inline void isolate()
{
    static QTemporaryDir config, logs, data;
    QVERIFY(config.isValid() && logs.isValid() && data.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    // Recovery files and the personal word list too.
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    modMessageError::SetLogFolder(logs.path());
    ModalSeam::setStrict(true);
    modRegistry::CreateSettingsKey(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey);
    modRegistry::SetSettingValue(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey,
                                 QStringLiteral("Show Tips at Startup"), QStringLiteral("0"));
}

// Forgets queued answers and what was asked; questions stay strict.
inline void resetSeam()
{
    ModalSeam::reset();
    ModalSeam::setStrict(true);
}

// Counters start again at 1 so that every test sees "Document 1" first.
inline void resetCounters()
{
    resetSeam();
    genMod::ResetNewDocumentCounter();
    modDocument::ResetCreatedDocumentCounter();
}

// The main window after its load, with the given command line. Answers
// queued before are kept for the questions of the load.
inline frmMain *startMain(const QString &commandLine = QString(), bool show = true)
{
    genMod::ResetNewDocumentCounter();
    modDocument::ResetCreatedDocumentCounter();
    RichTextBox::InjectSaveFailure(-1);
    modRegistry::SetSettingValue(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey,
                                 QStringLiteral("Document State"), noState);
    genMod::SetCommandLine(commandLine);
    auto *main = new frmMain;
    main->resize(1000, 700);
    main->MDIForm_Load();
    if (show)
        main->show();
    return main;
}

// Ends a test without any question (nothing is saved); every question the
// test raised must have been answered.
inline void finish(frmMain *main)
{
    for (frmDoc *doc : main ? main->documents() : QList<frmDoc *>())
        doc->bChanged = false;
    delete main;
    genMod::SetCommandLine(QString());
    QCOMPARE(ModalSeam::unanswered(), 0);
    ModalSeam::reset();
}

// Shows the window and waits until the platform made it the active one, as
// it is when the user starts typing.
inline bool activate(QWidget *window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

// One key event as the platform delivers it: to the window that holds the
// focus widget, which matches shortcuts first and then hands the key to
// QApplication::focusWidget().
inline void sendKey(QEvent::Type type, Qt::Key key, Qt::KeyboardModifiers modifiers,
                    const QString &text = QString())
{
    QWidget *focus = QApplication::focusWidget();
    QVERIFY2(focus, "no widget has the keyboard focus");
    QWindow *window = focus->window()->windowHandle();
    QVERIFY(window);
    QTest::simulateEvent(window, type == QEvent::KeyPress, key, modifiers, text, false);
}

inline void typeText(const QString &text)
{
    for (const QChar c : text) {
        const Qt::Key key = c.isLetter() ? Qt::Key(Qt::Key_A + (c.toUpper().unicode() - 'A'))
                            : c == u' '  ? Qt::Key_Space
                                         : Qt::Key(c.unicode());
        const Qt::KeyboardModifiers shift = c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier;
        sendKey(QEvent::KeyPress, key, shift, QString(c));
        sendKey(QEvent::KeyRelease, key, shift, QString(c));
    }
}

// Ctrl with a letter key. releaseCtrlFirst: Ctrl comes up before the letter,
// so the letter's release carries no modifier, as on a fast or sloppy chord.
inline void ctrlChord(Qt::Key key, bool releaseCtrlFirst = false)
{
    sendKey(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
    sendKey(QEvent::KeyPress, key, Qt::ControlModifier);
    if (releaseCtrlFirst) {
        sendKey(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
        sendKey(QEvent::KeyRelease, key, Qt::NoModifier);
    } else {
        sendKey(QEvent::KeyRelease, key, Qt::ControlModifier);
        sendKey(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
    }
}

// A small Rich Text document with one bold word.
inline QByteArray richSample()
{
    return QByteArrayLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Verdana;}}\\f0\\fs20 Hello {\\b bold} world\\par}");
}

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

// The texts of the message boxes asked since the last reset.
inline QStringList messages()
{
    QStringList texts;
    for (const ModalSeam::Question &q : askedOf(QStringLiteral("message")))
        texts << q.text;
    return texts;
}

inline void select(RichTextBox *box, int start, int length)
{
    box->SetSelStart(start);
    box->SetSelLength(length);
}

// The window's caption drawn above its picture: the offscreen platform has
// no title bars, and the caption is half of what a dialog shows.
inline QImage withCaption(QWidget *window)
{
    const QPixmap body = window->grab();
    const int bar = 24;
    QImage image(body.width() + 2, body.height() + bar + 1, QImage::Format_ARGB32);
    image.fill(QColor(0x2b, 0x57, 0x97));
    QPainter p(&image);
    p.setPen(Qt::white);
    QFont font = window->font();
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRect(8, 0, image.width() - 16, bar), Qt::AlignVCenter | Qt::AlignLeft, window->windowTitle());
    p.drawPixmap(1, bar, body);
    return image;
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

// One of the commands, through its menu entry's action: "saveall" and
// "closeall" stand for the Save All and Close All entries.
inline void runCommand(frmMain *main, const QString &command)
{
    const QString name = command == QLatin1String("saveall")    ? QStringLiteral("menuFileSaveAll")
                         : command == QLatin1String("closeall") ? QStringLiteral("menuFileCloseAll")
                                                                : command;
    QAction *action = main->Menu(name);
    QVERIFY2(action, qPrintable(command));
    action->trigger();
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

// The fixture as a base class: each test gets a fresh folder and, unless it
// starts its own, the main window as start-up leaves it.
class MainWindowTest : public QObject
{
protected:
    std::unique_ptr<QTemporaryDir> m_dir;
    frmMain *m_main = nullptr;
    const QString m_startFolder = QDir::currentPath();

    void setUpOnce() { isolate(); }
    void setUp(bool start = true)
    {
        resetSeam();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        if (start)
            startMainWindow();
    }
    void startMainWindow(const QString &commandLine = QString())
    {
        m_main = startMain(commandLine);
    }
    void tearDown()
    {
        finish(std::exchange(m_main, nullptr));
        QDir::setCurrent(m_startFolder);
        m_dir.reset();
    }
    frmDoc *doc() const { return m_main->ActiveForm(); }
    RichTextBox *rtf() const { return m_main && m_main->ActiveForm() ? m_main->ActiveForm()->rtf1 : nullptr; }
    QString panel(int number) const { return m_main->Panel(number)->text(); }
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

} // namespace QuilletTest
