// The program's message box and the error log.
#include "QuilletTest.h"
#include "shell/frmMsgBox.h"
#include "shell/modMessageError.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QPushButton>
#include <QTimer>

using namespace modMessageError;

namespace {
QString visible(std::initializer_list<std::pair<const char *, QWidget *>> widgets)
{
    QStringList names;
    for (const auto &[name, widget] : widgets) {
        if (!widget->isHidden())
            names << QLatin1String(name);
    }
    return names.join(QLatin1Char(' '));
}

const QByteArray rule(28, '-');

QByteArray readLog()
{
    QFile log(ErrorLogPath());
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
}
}

class tst_shell_messages : public QObject
{
    Q_OBJECT
    QTemporaryDir m_logs;
    frmMain *m_main = nullptr;

private slots:
    void initTestCase() { QuilletTest::isolate(); }
    void init()
    {
        QuilletTest::resetCounters();
        SetLogFolder(m_logs.path());
        QFile::remove(ErrorLogPath());
        m_main = new frmMain;
    }
    void cleanup() { QuilletTest::finish(std::exchange(m_main, nullptr)); }

    void messageBox_data()
    {
        QTest::addColumn<int>("okOnly");
        QTest::addColumn<int>("iconKind");
        QTest::addColumn<QString>("answer");    // a button, "Escape", or "" for no answer
        QTest::addColumn<QString>("buttons");   // visible, in Yes/No/Cancel/OK order
        QTest::addColumn<QString>("image");
        QTest::addColumn<QString>("flags");     // set once the box has gone
        const QString ync = QStringLiteral("Yes No Cancel");
        QTest::newRow("True (-1): OK alone, critical") << -1 << 0 << "OK" << "OK" << "imgCri" << "";
        QTest::newRow("False (0): Yes, question") << 0 << 1 << "Yes" << ync << "imgHelp" << "Yes";
        QTest::newRow("1 is not True: No, exclamation") << 1 << 2 << "No" << ync << "imgExclaim" << "No";
        QTest::newRow("-2: Cancel, information") << -2 << 3 << "Cancel" << ync << "imgInfo" << "Cancel";
        QTest::newRow("icon 4: none") << -1 << 4 << "OK" << "OK" << "" << "";
        QTest::newRow("icon -1: none") << 0 << -1 << "Yes" << ync << "" << "Yes";
        QTest::newRow("icon 32767: none") << 0 << 32767 << "No" << ync << "" << "No";
        QTest::newRow("Escape on a question: Cancel") << 0 << 1 << "Escape" << ync << "imgHelp" << "Cancel";
        QTest::newRow("Escape on OK alone: nothing") << -1 << 3 << "Escape" << "OK" << "imgInfo" << "";
        QTest::newRow("no answer to a question: Cancel") << 0 << 1 << "" << ync << "imgHelp" << "Cancel";
    }

    void messageBox()
    {
        QFETCH(int, okOnly);
        QFETCH(int, iconKind);
        QFETCH(QString, answer);
        QFETCH(QString, buttons);
        QFETCH(QString, image);
        QFETCH(QString, flags);

        // Each load starts from False, whatever an earlier answer left.
        m_main->bYes = m_main->bNo = m_main->bCancel = true;
        bool cleared = false;
        QStringList seen;
        QRect label;
        ModalSeam::queue([&](const ModalSeam::Question &q) -> QVariant {
            auto *box = qobject_cast<frmMsgBox *>(q.dialog);
            if (!box)
                return QVariant();
            cleared = !m_main->bYes && !m_main->bNo && !m_main->bCancel;
            seen << visible({{"Yes", box->cmdYes}, {"No", box->cmdNo}, {"Cancel", box->cmdCancel}, {"OK", box->cmdOk}})
                 << visible({{"imgCri", box->imgCri}, {"imgHelp", box->imgHelp}, {"imgExclaim", box->imgExclaim},
                             {"imgInfo", box->imgInfo}})
                 << box->windowTitle() << box->lblMsg->text();
            label = box->lblMsg->geometry();
            if (answer == QLatin1String("Escape"))
                QTest::keyClick(box, Qt::Key_Escape);   // the box is gone before the seam answers
            return answer.isEmpty() ? QVariant() : QVariant(answer);
        });
        // A long text with line breaks: the label grows rather than cut it off.
        const QString longLine = QString(40, QLatin1Char('x')).append(QLatin1Char(' ')).repeated(12);
        const QString text = QStringLiteral("first\r\nsecond\r\n") + longLine;
        const Answer returned = ShowMessage(text, QStringLiteral("Title"), qint16(iconKind), qint16(okOnly));

        QVERIFY(cleared);
        QCOMPARE(seen, QStringList({buttons, image, "Title", "first\nsecond\n" + longLine}));
        QCOMPARE(label.topLeft(), QPoint(72, 8));   // the same place with or without an icon
        QVERIFY(label.height() > 41);
        const QString set = QLatin1String(m_main->bYes ? "Yes" : "") + QLatin1String(m_main->bNo ? "No" : "")
                            + QLatin1String(m_main->bCancel ? "Cancel" : "");
        QCOMPARE(set, flags);
        // The answer comes back as well: the flag's button, or OK when none is set.
        const Answer expected = flags == QLatin1String("Yes") ? vbYes
                                : flags == QLatin1String("No") ? vbNo
                                : flags == QLatin1String("Cancel") ? vbCancel
                                                                   : vbOK;
        QCOMPARE(returned, expected);
        QVERIFY(!m_main->findChild<frmMsgBox *>());
        QCOMPARE(ModalSeam::asked().size(), 1);
        QCOMPARE(ModalSeam::asked().at(0).kind, QStringLiteral("message"));
    }

    void realModalLoopEndsOnClick()
    {
        // Nothing queued and not strict: the real dialog runs its own loop,
        // which a click on No must end with the flag set.
        ModalSeam::setStrict(false);
        QTimer::singleShot(0, this, [this] {
            auto *box = m_main->findChild<frmMsgBox *>();
            if (box && box == QApplication::activeModalWidget())
                QTest::mouseClick(box->cmdNo, Qt::LeftButton);
            else if (box)
                box->done(0);   // never leave the test blocked in a loop nobody can end
        });
        ShowMessage(QStringLiteral("Save?"), QStringLiteral("Quillet"), iconQuestion, vbFalse);
        ModalSeam::setStrict(true);
        QVERIFY(m_main->bNo && !m_main->bYes && !m_main->bCancel);
    }

    void errorLog_data()
    {
        QTest::addColumn<QString>("blockedBy");   // what stands where the log or its folder should be
        QTest::addColumn<QByteArray>("earlier");  // in the log before
        QTest::addColumn<QString>("source");
        QTest::addColumn<qlonglong>("number");
        QTest::addColumn<QString>("description");
        const QByteArray none;
        QTest::newRow("plain") << "" << none << "modDocument/CreateNewDocument" << 91LL
                               << "Object variable or With block variable not set";
        QTest::newRow("negative number") << "" << none << "frmMain\\menuViewFullScreen_Click" << -2147417848LL
                                         << "Automation error";
        QTest::newRow("source with a line break") << "" << none << "Spell check failed\r\nServer gone" << 429LL
                                                  << "ActiveX component can't create object";
        QTest::newRow("empty description") << "" << none << "" << 5LL << "";
        QTest::newRow("appended to an existing log") << "" << QByteArray(" \r\n" + rule + " \r\nDescription = one\r\n")
                                                     << "second" << 2LL << "two";
        QTest::newRow("error 0 is no error") << "" << none << "anywhere" << 0LL << "ignored";
        QTest::newRow("unwritable: a folder in the log's place") << "folder" << none << "a" << 7LL << "No memory";
        QTest::newRow("unwritable: log folder below a file") << "file" << QByteArray("x") << "b" << 7LL << "No memory";
    }

    void errorLog()
    {
        QFETCH(QString, blockedBy);
        QFETCH(QByteArray, earlier);
        QFETCH(QString, source);
        QFETCH(qlonglong, number);
        QFETCH(QString, description);
        QFile log(ErrorLogPath());
        QVERIFY(earlier.isEmpty() || (log.open(QIODevice::WriteOnly) && log.write(earlier) == earlier.size()));
        log.close();
        if (blockedBy == QLatin1String("file"))
            SetLogFolder(log.fileName() + QStringLiteral("/logs"));
        if (blockedBy == QLatin1String("folder")) {
            SetLogFolder(m_logs.filePath(QStringLiteral("blocked")));
            QVERIFY(QDir().mkpath(ErrorLogPath()));
        }
        const auto stamp = [] {
            const QDateTime now = QDateTime::currentDateTime();
            return QLocale::system().toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ')
                   + QLocale::system().toString(now.time(), QLocale::LongFormat);
        };
        ModalSeam::queue(QStringLiteral("OK"));
        const QString before = stamp();
        LogError(source, {long(number), description});
        const QString after = stamp();
        if (number == 0) {
            QVERIFY(!QFile::exists(ErrorLogPath()));
            QVERIFY(ModalSeam::asked().isEmpty());
            return;
        }
        // The message shows whether or not the log could be written.
        QCOMPARE(ModalSeam::asked().size(), 1);
        QCOMPARE(ModalSeam::asked().at(0).title, QStringLiteral("Quillet - ERROR"));
        QCOMPARE(ModalSeam::asked().at(0).text, QStringLiteral("There was a error in : ") + source
                                                    + QStringLiteral("\r\nError # : ") + QString::number(number)
                                                    + QStringLiteral("\r\nDescription : ") + description);
        if (!blockedBy.isEmpty())
            return;

        const QByteArray bytes = readLog();
        const QByteArray timeTag = "       Time = ";
        const qsizetype at = bytes.indexOf(timeTag) + timeTag.size();
        const QString time = QString::fromUtf8(bytes.mid(at, bytes.indexOf("\r\n", at) - at));
        QVERIFY2(time == before || time == after, qPrintable(time));
        QCOMPARE(bytes, earlier + " \r\n" + rule + " \r\nDescription = " + description.toUtf8()
                            + "\r\n     Number = " + QByteArray::number(number) + "\r\n     Source = "
                            + source.toUtf8() + "\r\n" + timeTag + time.toUtf8() + "\r\n \r\n" + rule + "\r\n");
    }

    void createNewDocumentWithoutMainWindowLogs()
    {
        delete m_main;
        m_main = nullptr;
        ModalSeam::queue(QStringLiteral("OK"));
        QVERIFY(!modDocument::CreateNewDocument());
        QCOMPARE(ModalSeam::asked().size(), 1);
        QVERIFY(ModalSeam::asked().at(0).text.startsWith(
            QStringLiteral("There was a error in : modDocument/CreateNewDocument\r\n")));
        QVERIFY(readLog().contains("     Source = modDocument/CreateNewDocument\r\n"));
    }
};

QTEST_MAIN(tst_shell_messages)
#include "tst_shell_messages.moc"
