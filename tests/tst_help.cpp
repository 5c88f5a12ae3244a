// Tip of the day, the About box and the other Help commands.
#include "help/frmAbout.h"
#include "help/frmTip.h"
#include "help/modHelp.h"
#include "platform/ModalSeam.h"
#include "platform/RegistryStore.h"
#include "platform/SystemMessageBox.h"
#include "shell/modRegistry.h"

#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString ShowTips = QStringLiteral("Show Tips at Startup");

QString storedShowTips()
{
    return modRegistry::GetSettingValue(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey,
                                        ShowTips, QStringLiteral("unset"));
}

void storeShowTips(const QString &value)
{
    modRegistry::SetSettingValue(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey, ShowTips, value);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A program that leaves a mark when it runs.
QString markingScript(const QString &path, const QString &mark)
{
    writeFile(path, QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(mark).toUtf8());
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeUser);
    return path;
}

const QString MsInfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString MsInfoLocationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
}

class tst_help : public QObject
{
    Q_OBJECT
    QTemporaryDir m_config;
    QTemporaryDir m_dir;

    QString tipsFile(const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("QuickTips.op"));
        writeFile(path, bytes);
        frmTip::SetTipsFile(path);
        return path;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
        ModalSeam::setStrict(true);
        modRegistry::CreateSettingsKey(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey);
    }
    void init() { ModalSeam::reset(); }
    void cleanup()
    {
        frmTip::SetTipsFile(QString());
        QCOMPARE(ModalSeam::unanswered(), 0);
    }

    // ------------------------------------------------------------ tips

    void tipsFileLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("tips");
        QTest::newRow("one line") << QByteArray("Only tip\r\n") << QStringList{"Only tip"};
        QTest::newRow("last line without line end") << QByteArray("one\r\ntwo") << QStringList{"one", "two"};
        QTest::newRow("blank line is a tip") << QByteArray("one\r\n\r\ntwo\r\n") << QStringList{"one", "", "two"};
        QTest::newRow("CR alone ends a line") << QByteArray("one\rtwo\r") << QStringList{"one", "two"};
        QTest::newRow("LF alone does not") << QByteArray("one\ntwo\r\n") << QStringList{"one\ntwo"};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("Windows-1252 text") << QByteArray("caf\xe9\r\n") << QStringList{QStringLiteral("caf\u00e9")};
    }
    void tipsFileLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, tips);
        tipsFile(bytes);
        frmTip tip;
        QCOMPARE(tip.tipList, tips);
        if (!tips.isEmpty()) {
            QVERIFY(tip.currentTip >= 1 && tip.currentTip <= tips.size());
            QCOMPARE(tip.lblTipText->text(), tips.at(tip.currentTip - 1));
        } else {
            QVERIFY(tip.lblTipText->text().isEmpty());
        }
    }

    void nextTipDrawsFromTheList()
    {
        tipsFile("Only tip");
        frmTip one;
        one.show();
        for (int i = 0; i < 5; ++i) {
            QTest::mouseClick(one.cmdNextTip, Qt::LeftButton);
            QCOMPARE(one.lblTipText->text(), QStringLiteral("Only tip"));
        }

        tipsFile("a\r\nb\r\nc\r\n");
        frmTip three;
        QSet<QString> seen;
        for (int i = 0; i < 200 && seen.size() < 3; ++i) {
            three.cmdNextTip->click();
            seen.insert(three.lblTipText->text());
        }
        QCOMPARE(seen, QSet<QString>({"a", "b", "c"}));
    }

    void shippedTipsAreRealTips()
    {
        frmTip::SetTipsFile(QStringLiteral(QUILLET_SOURCE_DIR "/data/QuickTips.op"));
        frmTip tip;
        QVERIFY(tip.tipList.size() >= 20);
        for (const QString &line : tip.tipList)
            QVERIFY2(line.size() > 20 && !line.contains('\n'), qPrintable(line));
    }

    void missingFileNotice_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("no such file") << "missing.op";
        QTest::newRow("a folder of that name") << "folder.op";
    }
    void missingFileNotice()
    {
        QFETCH(QString, name);
        QVERIFY(QDir(m_dir.path()).mkpath("folder.op"));
        frmTip::SetTipsFile(m_dir.filePath(name));
        frmTip tip;
        const QString notice = QStringLiteral(
            "That the Quick Tips file was not found? \r\n\r\n"
            "You can contact me for the latest Quick Tips file at E-Mail: quillet@tallowmere.example");
        QCOMPARE(tip.lblTipText->text(), notice);
        tip.cmdNextTip->click();
        QCOMPARE(tip.lblTipText->text(), notice);
        QVERIFY(!tip.LoadTips(QString()));
    }

    void startupSettingIsStored()
    {
        tipsFile("a tip\r\n");

        // Every opening ticks the box, which stores 1.
        storeShowTips("0");
        {
            frmTip tip;
            tip.show();
            QVERIFY(tip.chkLoadTipsAtStartup->isChecked());
            QCOMPARE(storedShowTips(), QStringLiteral("1"));
            // A click stores at once.
            QCheckBox *box = tip.chkLoadTipsAtStartup;
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
            QCOMPARE(storedShowTips(), QStringLiteral("0"));
            // OK stores the box as the user left it, whatever was stored since.
            storeShowTips("1");
            QSignalSpy closed(&tip, &QDialog::accepted);
            tip.cmdOK->click();
            QCOMPARE(closed.size(), 1);
            QCOMPARE(storedShowTips(), QStringLiteral("0"));
        }

        // The close box stores nothing more.
        {
            frmTip tip;
            tip.chkLoadTipsAtStartup->click();
            storeShowTips("7");
            tip.reject();
            QCOMPARE(storedShowTips(), QStringLiteral("7"));
        }
    }

    void tipOfTheDayIsModal()
    {
        tipsFile("a tip\r\n");
        storeShowTips("0");
        ModalSeam::queue(QVariant(QStringLiteral("OK")));
        modHelp::ShowTipOfTheDay(nullptr);
        const QList<ModalSeam::Question> asked = ModalSeam::asked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked.at(0).kind, QStringLiteral("dialog"));
        QCOMPARE(asked.at(0).title, QStringLiteral("Today's QuickTip for You"));
        QCOMPARE(asked.at(0).text, QStringLiteral("a tip"));
        QCOMPARE(storedShowTips(), QStringLiteral("1"));
    }

    // ------------------------------------------------------------ About

    void aboutShowsVersionAndTitle()
    {
        frmAbout about;
        QCOMPARE(about.lblVersion->text(), QStringLiteral("Version " QUILLET_TEST_VERSION));
        QCOMPARE(about.lblTitle->text(), QStringLiteral("Quillet"));
        QCOMPARE(about.Label5->text(), QStringLiteral("Alpha"));
        QCOMPARE(about.Label4->text(), QStringLiteral("System Info"));
        QCOMPARE(about.Label1->text(), QStringLiteral("OK"));
    }

    void okControlLook_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<bool>("raisedWhileHeld");
        QTest::addColumn<bool>("closes");
        QTest::newRow("left button") << Qt::LeftButton << true << true;
        QTest::newRow("right button") << Qt::RightButton << false << false;
    }
    void okControlLook()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(bool, raisedWhileHeld);
        QFETCH(bool, closes);
        frmAbout about;
        about.show();
        QSignalSpy accepted(&about, &QDialog::accepted);
        QCOMPARE(about.cmdOK->frameShape(), QFrame::NoFrame);
        const QPoint centre = about.cmdOK->rect().center();
        QTest::mousePress(about.cmdOK, button, {}, centre);
        QCOMPARE(about.cmdOK->frameShape() == QFrame::Panel, raisedWhileHeld);
        QTest::mouseRelease(about.cmdOK, button, {}, centre);
        QCOMPARE(about.cmdOK->frameShape(), QFrame::NoFrame);
        QCOMPARE(accepted.size(), closes ? 1 : 0);
    }

    void easterEgg()
    {
        frmAbout about;
        about.show();
        ModalSeam::queue(QVariant(SystemMessageBox::vbOK));
        QTest::mouseClick(about.lblTitle, Qt::LeftButton);
        const QList<ModalSeam::Question> asked = ModalSeam::asked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked.at(0).kind, QStringLiteral("system"));
        QCOMPARE(asked.at(0).title, QStringLiteral("Congrats"));
        QVERIFY(asked.at(0).text.startsWith(
            QStringLiteral("Hi there, you have just found the easter egg! contact me at: ")));
    }

    void systemInfo_data()
    {
        QTest::addColumn<QString>("pathValue");     // "SCRIPT" for the marking script
        QTest::addColumn<QString>("folderValue");   // "FOLDER" for a folder holding MSINFO32.EXE
        QTest::addColumn<QString>("started");       // which mark appears: "path", "folder" or none
        QTest::newRow("no values: unavailable") << "" << "" << "";
        QTest::newRow("path to a program") << "SCRIPT" << "" << "path";
        QTest::newRow("path to nothing") << "/nonexistent/msinfo" << "" << "";
        QTest::newRow("path present, folder never read") << "/nonexistent/msinfo" << "FOLDER" << "";
        QTest::newRow("folder with MSINFO32.EXE") << "" << "FOLDER" << "folder";
        QTest::newRow("folder without it") << "" << "EMPTY" << "";
    }
    void systemInfo()
    {
        QFETCH(QString, pathValue);
        QFETCH(QString, folderValue);
        QFETCH(QString, started);
        QTemporaryDir scratch;
        const QString pathMark = scratch.filePath("path.mark");
        const QString folderMark = scratch.filePath("folder.mark");
        QVERIFY(QDir(scratch.path()).mkpath("tool"));
        QVERIFY(QDir(scratch.path()).mkpath("empty"));
        markingScript(scratch.filePath("tool/MSINFO32.EXE"), folderMark);
        if (pathValue == "SCRIPT")
            pathValue = markingScript(scratch.filePath("msinfo.sh"), pathMark);
        if (folderValue == "FOLDER")
            folderValue = scratch.filePath("tool");
        else if (folderValue == "EMPTY")
            folderValue = scratch.filePath("empty");

        // A store of its own, holding only the values of this row.
        QTemporaryDir rowConfig;
        qputenv("XDG_CONFIG_HOME", rowConfig.path().toLocal8Bit());
        if (!pathValue.isEmpty()) {
            RegistryStore::createKey(RegistryStore::LocalMachine, MsInfoKey);
            RegistryStore::setValue(RegistryStore::LocalMachine, MsInfoKey, "PATH", pathValue);
        }
        if (!folderValue.isEmpty()) {
            RegistryStore::createKey(RegistryStore::LocalMachine, MsInfoLocationKey);
            RegistryStore::setValue(RegistryStore::LocalMachine, MsInfoLocationKey, "MSINFO", folderValue);
        }

        frmAbout about;
        about.show();
        if (started.isEmpty())
            ModalSeam::queue(QVariant(SystemMessageBox::vbOK));
        QTest::mouseClick(about.cmdSysInfo, Qt::LeftButton);
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());

        const QList<ModalSeam::Question> asked = ModalSeam::asked();
        if (started.isEmpty()) {
            QCOMPARE(asked.size(), 1);
            QCOMPARE(asked.at(0).kind, QStringLiteral("system"));
            QCOMPARE(asked.at(0).text, QStringLiteral("System Information Is Unavailable At This Time"));
            QCOMPARE(asked.at(0).title, QStringLiteral("Quillet"));
        } else {
            QVERIFY(asked.isEmpty());
            QTRY_VERIFY(QFile::exists(started == "path" ? pathMark : folderMark));
            QVERIFY(!QFile::exists(started == "path" ? folderMark : pathMark));
        }
    }

    void aboutIsModal()
    {
        ModalSeam::queue(QVariant(QStringLiteral("OK")));
        modHelp::about_Click(nullptr);
        QCOMPARE(ModalSeam::asked().size(), 1);
        QCOMPARE(ModalSeam::asked().at(0).kind, QStringLiteral("dialog"));
        QCOMPARE(ModalSeam::asked().at(0).text, QStringLiteral("Version " QUILLET_TEST_VERSION));
    }

    // ------------------------------------------------------------ other Help commands

    void contentsNotice()
    {
        ModalSeam::queue(QVariant(QStringLiteral("OK")));
        modHelp::contents_Click();
        QCOMPARE(ModalSeam::asked().size(), 1);
        QCOMPARE(ModalSeam::asked().at(0).kind, QStringLiteral("message"));
        QCOMPARE(ModalSeam::asked().at(0).title, QStringLiteral("Quillet"));
        QCOMPARE(ModalSeam::asked().at(0).text,
                 QStringLiteral("This feature couldn't be implemented as of this release, but will be in the near future Thank you !"));
    }

    void splashFromTheMenu()
    {
        QPointer<QWidget> splash = modHelp::menuShowFrmSplash_Click();
        QVERIFY(splash && splash->isVisible());
        QCOMPARE(modHelp::menuShowFrmSplash_Click(), splash.data());
        // A press alone leaves it; the release closes it.
        QTest::mousePress(splash, Qt::LeftButton);
        QVERIFY(splash && splash->isVisible());
        QTest::mouseRelease(splash, Qt::LeftButton);
        QTRY_VERIFY(!splash);
        QVERIFY(modHelp::menuShowFrmSplash_Click() != nullptr);
        delete modHelp::menuShowFrmSplash_Click();
    }
};

QTEST_MAIN(tst_help)
#include "tst_help.moc"
