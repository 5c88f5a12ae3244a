// The program's message box and the error log.
#include "documents/modDocument.h"
#include "platform/ModalSeam.h"
#include "shell/frmMain.h"
#include "shell/frmMsgBox.h"
#include "shell/genMod.h"
#include "shell/modMessageError.h"

#include <QApplication>
#include <QDateTime>
#include <QPointer>
#include <QTimer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace modMessageError;

namespace {
struct Seen
{
    QStringList buttons;   // visible buttons, in Yes/No/Cancel/OK order
    QStringList icons;     // visible images
    QString caption;
    QString label;
    bool flagsClear = false;
    QRect labelGeometry;
};

Seen inspect(QWidget *dialog)
{
    Seen seen;
    auto *box = qobject_cast<frmMsgBox *>(dialog);
    if (!box)
        return seen;
    const std::pair<const char *, QPushButton *> buttons[] = {
        {"Yes", box->cmdYes}, {"No", box->cmdNo}, {"Cancel", box->cmdCancel}, {"OK", box->cmdOk}};
    for (const auto &[name, button] : buttons) {
        if (!button->isHidden())
            seen.buttons << QLatin1String(name);
    }
    const std::pair<const char *, QLabel *> images[] = {
        {"imgCri", box->imgCri}, {"imgHelp", box->imgHelp}, {"imgExclaim", box->imgExclaim},
        {"imgInfo", box->imgInfo}};
    for (const auto &[name, image] : images) {
        if (!image->isHidden())
            seen.icons << QLatin1String(name);
    }
    seen.caption = box->windowTitle();
    seen.label = box->lblMsg->text();
    seen.labelGeometry = box->lblMsg->geometry();
    const frmMain *main = frmMain::instance();
    seen.flagsClear = main && !main->bYes && !main->bNo && !main->bCancel;
    return seen;
}

// Queues an answer that first records what the real dialog shows.
void answerAndRecord(Seen *seen, const QString &answer)
{
    ModalSeam::queue([seen, answer](const ModalSeam::Question &q) -> QVariant {
        *seen = inspect(q.dialog);
        return answer;
    });
}

QString hyphens()
{
    return QString(28, QLatin1Char('-'));
}
}

class tst_shell_messages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void buttons_data();
    void buttons();
    void icons_data();
    void icons();
    void answers_data();
    void answers();
    void flagsClearedOnEachLoad();
    void unansweredQuestionCancels();
    void escapeAnswersCancelOrOk();
    void textWithLineBreaks();
    void realModalLoopEndsOnClick();

    void logRecordByteForByte_data();
    void logRecordByteForByte();
    void logAppendsToExistingFile();
    void noErrorLogsNothing();
    void unwritableLogStillShowsMessage_data();
    void unwritableLogStillShowsMessage();
    void createNewDocumentWithoutMainWindowLogs();

private:
    QTemporaryDir m_config;
    QTemporaryDir m_logs;
    frmMain *m_main = nullptr;
};

void tst_shell_messages::initTestCase()
{
    QVERIFY(m_config.isValid());
    QVERIFY(m_logs.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    ModalSeam::setStrict(true);
}

void tst_shell_messages::init()
{
    ModalSeam::reset();
    genMod::ResetNewDocumentCounter();
    SetLogFolder(m_logs.path());
    QFile::remove(ErrorLogPath());
    m_main = new frmMain;
}

void tst_shell_messages::cleanup()
{
    delete m_main;
    m_main = nullptr;
    SetLogFolder(QString());
}

void tst_shell_messages::buttons_data()
{
    QTest::addColumn<int>("okOnly");
    QTest::addColumn<QStringList>("visible");
    QTest::newRow("True (-1): OK alone") << -1 << QStringList{"OK"};
    QTest::newRow("False (0)") << 0 << QStringList{"Yes", "No", "Cancel"};
    QTest::newRow("1 is not True") << 1 << QStringList{"Yes", "No", "Cancel"};
    QTest::newRow("-2") << -2 << QStringList{"Yes", "No", "Cancel"};
}

void tst_shell_messages::buttons()
{
    QFETCH(int, okOnly);
    QFETCH(QStringList, visible);
    Seen seen;
    answerAndRecord(&seen, visible.last());
    ShowMessage(QStringLiteral("Text"), QStringLiteral("Title"), 3, qint16(okOnly));
    QCOMPARE(seen.buttons, visible);
    QCOMPARE(ModalSeam::asked().size(), 1);
    QCOMPARE(ModalSeam::asked().at(0).kind, QStringLiteral("message"));
    QCOMPARE(ModalSeam::asked().at(0).title, QStringLiteral("Title"));
    QCOMPARE(ModalSeam::asked().at(0).text, QStringLiteral("Text"));
}

void tst_shell_messages::icons_data()
{
    QTest::addColumn<int>("iconKind");
    QTest::addColumn<QStringList>("visible");
    QTest::newRow("0 critical") << 0 << QStringList{"imgCri"};
    QTest::newRow("1 question") << 1 << QStringList{"imgHelp"};
    QTest::newRow("2 exclamation") << 2 << QStringList{"imgExclaim"};
    QTest::newRow("3 information") << 3 << QStringList{"imgInfo"};
    QTest::newRow("4 none") << 4 << QStringList{};
    QTest::newRow("-1 none") << -1 << QStringList{};
    QTest::newRow("32767 none") << 32767 << QStringList{};
}

void tst_shell_messages::icons()
{
    QFETCH(int, iconKind);
    QFETCH(QStringList, visible);
    Seen seen;
    answerAndRecord(&seen, QStringLiteral("OK"));
    ShowMessage(QStringLiteral("Text"), QStringLiteral("Title"), qint16(iconKind), vbTrue);
    QCOMPARE(seen.icons, visible);
    // The label keeps its place whether or not an icon shows.
    QCOMPARE(seen.labelGeometry.topLeft(), QPoint(72, 8));
}

void tst_shell_messages::answers_data()
{
    QTest::addColumn<int>("okOnly");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("no");
    QTest::addColumn<bool>("cancel");
    QTest::newRow("Yes") << 0 << "Yes" << true << false << false;
    QTest::newRow("No") << 0 << "No" << false << true << false;
    QTest::newRow("Cancel") << 0 << "Cancel" << false << false << true;
    QTest::newRow("OK sets nothing") << -1 << "OK" << false << false << false;
}

void tst_shell_messages::answers()
{
    QFETCH(int, okOnly);
    QFETCH(QString, answer);
    QFETCH(bool, yes);
    QFETCH(bool, no);
    QFETCH(bool, cancel);
    ModalSeam::queue(answer);
    ShowMessage(QStringLiteral("Do you want to save the changes ?"), QStringLiteral("Quillet"),
                iconQuestion, qint16(okOnly));
    // The flags stay as the answer left them after the box has gone.
    QCOMPARE(m_main->bYes, yes);
    QCOMPARE(m_main->bNo, no);
    QCOMPARE(m_main->bCancel, cancel);
    QVERIFY(!m_main->findChild<frmMsgBox *>());
}

void tst_shell_messages::flagsClearedOnEachLoad()
{
    m_main->bYes = m_main->bNo = m_main->bCancel = true;
    Seen first;
    answerAndRecord(&first, QStringLiteral("Yes"));
    ShowMessage(QStringLiteral("One"), QStringLiteral("Quillet"), iconQuestion, vbFalse);
    QVERIFY(first.flagsClear);
    QVERIFY(m_main->bYes);

    // The second question starts from False even though the first set Yes.
    Seen second;
    answerAndRecord(&second, QStringLiteral("No"));
    ShowMessage(QStringLiteral("Two"), QStringLiteral("Quillet"), iconQuestion, vbFalse);
    QVERIFY(second.flagsClear);
    QCOMPARE(second.label, QStringLiteral("Two"));
    QVERIFY(!m_main->bYes);
    QVERIFY(m_main->bNo);
}

void tst_shell_messages::unansweredQuestionCancels()
{
    ShowMessage(QStringLiteral("Q"), QStringLiteral("Quillet"), iconQuestion, vbFalse);
    QVERIFY(m_main->bCancel);
    QVERIFY(!m_main->bYes && !m_main->bNo);
    ShowMessage(QStringLiteral("Notice"), QStringLiteral("Quillet"), iconInformation, vbTrue);
    QVERIFY(!m_main->bCancel && !m_main->bYes && !m_main->bNo);
    QCOMPARE(ModalSeam::unanswered(), 2);
    ModalSeam::reset();
}

void tst_shell_messages::escapeAnswersCancelOrOk()
{
    // Escape and the window's close request cannot leave the box without
    // an answer the caller understands.
    for (int okOnly : {0, -1}) {
        ModalSeam::queue([](const ModalSeam::Question &q) -> QVariant {
            QTest::keyClick(q.dialog, Qt::Key_Escape);
            return QStringLiteral("nothing");   // the box is already gone
        });
        ShowMessage(QStringLiteral("Q"), QStringLiteral("Quillet"), iconQuestion, qint16(okOnly));
        QCOMPARE(m_main->bCancel, okOnly == 0);
        QVERIFY(!m_main->bYes && !m_main->bNo);
    }
}

void tst_shell_messages::textWithLineBreaks()
{
    Seen seen;
    answerAndRecord(&seen, QStringLiteral("OK"));
    const QString longLine = QString(40, QLatin1Char('x')).append(QLatin1Char(' ')).repeated(12);
    ShowMessage(QStringLiteral("first\r\nsecond\r\n") + longLine, QStringLiteral("T"), 0, vbTrue);
    QCOMPARE(seen.label, QStringLiteral("first\nsecond\n") + longLine);
    QCOMPARE(seen.caption, QStringLiteral("T"));
    // A text longer than the design's label grows the label, not cut off.
    QVERIFY(seen.labelGeometry.height() > 41);
}

void tst_shell_messages::realModalLoopEndsOnClick()
{
    // Nothing queued and not strict: the real dialog runs its own loop,
    // which a click on No must end with the flag set.
    ModalSeam::setStrict(false);
    QPointer<frmMsgBox> seen;
    QTimer::singleShot(0, this, [&seen] {
        seen = qobject_cast<frmMsgBox *>(QApplication::activeModalWidget());
        if (seen) {
            QTest::mouseClick(seen->cmdNo, Qt::LeftButton);
            return;
        }
        // Never leave the test blocked in a loop nobody can end.
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *box = qobject_cast<frmMsgBox *>(w))
                box->done(0);
        }
    });
    ShowMessage(QStringLiteral("Save?"), QStringLiteral("Quillet"), iconQuestion, vbFalse);
    ModalSeam::setStrict(true);
    QVERIFY(m_main->bNo);
    QVERIFY(!m_main->bYes && !m_main->bCancel);
}

void tst_shell_messages::logRecordByteForByte_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<qlonglong>("number");
    QTest::addColumn<QString>("description");
    QTest::newRow("plain") << "modDocument/CreateNewDocument" << 91LL
                           << "Object variable or With block variable not set";
    QTest::newRow("negative number") << "frmMain\\menuViewFullScreen_Click" << -2147417848LL
                                     << "Automation error";
    QTest::newRow("source with a line break") << "Spell check failed\r\nServer gone" << 429LL
                                              << "ActiveX component can't create object";
    QTest::newRow("empty description") << "" << 5LL << "";
}

void tst_shell_messages::logRecordByteForByte()
{
    QFETCH(QString, source);
    QFETCH(qlonglong, number);
    QFETCH(QString, description);

    const QLocale locale = QLocale::system();
    const auto stamp = [&locale] {
        const QDateTime now = QDateTime::currentDateTime();
        return locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ')
               + locale.toString(now.time(), QLocale::LongFormat);
    };
    const QString before = stamp();
    LogError(source, {long(number), description});
    const QString after = stamp();

    QFile log(ErrorLogPath());
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray bytes = log.readAll();

    const QByteArray timeTag = "       Time = ";
    const qsizetype at = bytes.indexOf(timeTag);
    QVERIFY(at >= 0);
    const qsizetype end = bytes.indexOf("\r\n", at);
    const QString time = QString::fromUtf8(bytes.mid(at + timeTag.size(), end - at - timeTag.size()));
    QVERIFY2(time == before || time == after, qPrintable(time));

    const QString expected = QStringLiteral(" \r\n") + hyphens() + QStringLiteral(" \r\n")
                             + QStringLiteral("Description = ") + description + QStringLiteral("\r\n")
                             + QStringLiteral("     Number = ") + QString::number(number) + QStringLiteral("\r\n")
                             + QStringLiteral("     Source = ") + source + QStringLiteral("\r\n")
                             + QStringLiteral("       Time = ") + time + QStringLiteral("\r\n")
                             + QStringLiteral(" \r\n") + hyphens() + QStringLiteral("\r\n");
    QCOMPARE(bytes, expected.toUtf8());

    const QList<ModalSeam::Question> asked = ModalSeam::asked();
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked.at(0).kind, QStringLiteral("message"));
    QCOMPARE(asked.at(0).title, QStringLiteral("Quillet - ERROR"));
    QCOMPARE(asked.at(0).text, QStringLiteral("There was a error in : ") + source
                                   + QStringLiteral("\r\nError # : ") + QString::number(number)
                                   + QStringLiteral("\r\nDescription : ") + description);
    ModalSeam::reset();   // the OK-only box was left unanswered on purpose
}

void tst_shell_messages::logAppendsToExistingFile()
{
    {
        QFile log(ErrorLogPath());
        QVERIFY(log.open(QIODevice::WriteOnly));
        log.write("earlier records\r\n");
    }
    ModalSeam::queue(QStringLiteral("OK"));
    ModalSeam::queue(QStringLiteral("OK"));
    LogError(QStringLiteral("first"), {1, QStringLiteral("one")});
    LogError(QStringLiteral("second"), {2, QStringLiteral("two")});

    QFile log(ErrorLogPath());
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray bytes = log.readAll();
    QVERIFY(bytes.startsWith("earlier records\r\n \r\n" + hyphens().toLatin1() + " \r\n"));
    QCOMPARE(bytes.count("Description = "), 2);
    QVERIFY(bytes.indexOf("     Source = first\r\n") < bytes.indexOf("     Source = second\r\n"));
    // Records follow one another directly: a closing rule, then the next opening.
    QVERIFY(bytes.contains(hyphens().toLatin1() + "\r\n \r\n" + hyphens().toLatin1() + " \r\n"));
    QVERIFY(bytes.endsWith(hyphens().toLatin1() + "\r\n"));
    QCOMPARE(bytes.count("\n"), bytes.count("\r\n"));   // no bare line feeds
}

void tst_shell_messages::noErrorLogsNothing()
{
    LogError(QStringLiteral("anywhere"), {0, QStringLiteral("ignored")});
    QVERIFY(!QFile::exists(ErrorLogPath()));
    QVERIFY(ModalSeam::asked().isEmpty());
}

void tst_shell_messages::unwritableLogStillShowsMessage_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("folder where the log should be") << "folder";
    QTest::newRow("log folder below a file") << "file-parent";
}

void tst_shell_messages::unwritableLogStillShowsMessage()
{
    QFETCH(QString, how);
    QTemporaryDir dir;
    if (how == QLatin1String("folder")) {
        SetLogFolder(dir.path());
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Error.log")));
    } else {
        QFile blocker(dir.filePath(QStringLiteral("blocker")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        SetLogFolder(dir.filePath(QStringLiteral("blocker/logs")));
    }
    ModalSeam::queue(QStringLiteral("OK"));
    LogError(QStringLiteral("somewhere"), {7, QStringLiteral("Out of memory")});
    QCOMPARE(ModalSeam::asked().size(), 1);
    QCOMPARE(ModalSeam::asked().at(0).title, QStringLiteral("Quillet - ERROR"));
    QVERIFY(ModalSeam::asked().at(0).text.contains(QStringLiteral("Out of memory")));
}

void tst_shell_messages::createNewDocumentWithoutMainWindowLogs()
{
    delete m_main;
    m_main = nullptr;
    ModalSeam::queue(QStringLiteral("OK"));
    QVERIFY(!modDocument::CreateNewDocument());
    QCOMPARE(ModalSeam::asked().size(), 1);
    QVERIFY(ModalSeam::asked().at(0).text.startsWith(
        QStringLiteral("There was a error in : modDocument/CreateNewDocument\r\n")));
    QFile log(ErrorLogPath());
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(log.readAll().contains("     Source = modDocument/CreateNewDocument\r\n"));
}

QTEST_MAIN(tst_shell_messages)
#include "tst_shell_messages.moc"
