// The settings store as the program uses it: one key, string values, the
// read-buffer rule for long values, and a store that cannot be written.
#include "shell/modRegistry.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QCoreApplication>

using namespace modRegistry;

class tst_shell_settings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void missingKeyGivesDefault();
    void roundTrip_data();
    void roundTrip();
    void writeBeforeKeyExistsDoesNothing();
    void createKeyTwiceKeepsValues();
    void keysAreSeparate();
    void unwritableStore_data();
    void unwritableStore();

private:
    QTemporaryDir *m_config = nullptr;
};

void tst_shell_settings::init()
{
    // A fresh store for every test, never the user's own.
    m_config = new QTemporaryDir;
    QVERIFY(m_config->isValid());
    qputenv("XDG_CONFIG_HOME", m_config->path().toLocal8Bit());
    QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation),
             m_config->path());
}

void tst_shell_settings::cleanup()
{
    delete m_config;
    m_config = nullptr;
}

void tst_shell_settings::missingKeyGivesDefault()
{
    QCOMPARE(GetSettingValue(HKEY_LOCAL_MACHINE, QuilletKey, QStringLiteral("Show Tips at Startup"),
                             QStringLiteral("1")),
             QStringLiteral("1"));
    CreateSettingsKey(HKEY_LOCAL_MACHINE, QuilletKey);
    // The key exists now, the value still does not.
    QCOMPARE(GetSettingValue(HKEY_LOCAL_MACHINE, QuilletKey, QStringLiteral("Show Tips at Startup"),
                             QStringLiteral("1")),
             QStringLiteral("1"));
}

void tst_shell_settings::roundTrip_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("readBack");
    QTest::newRow("one digit") << "0" << "0";
    QTest::newRow("empty reads empty, not the default") << "" << "";
    QTest::newRow("127 characters fit") << QString(127, QLatin1Char('a')) << QString(127, QLatin1Char('a'));
    QTest::newRow("128 characters read as the default") << QString(128, QLatin1Char('b')) << "default";
    QTest::newRow("much longer reads as the default") << QString(5000, QLatin1Char('c')) << "default";
    QTest::newRow("blanks kept") << " 2 " << " 2 ";
    QTest::newRow("backslashes and equals") << "a\\b=c;d" << "a\\b=c;d";
}

void tst_shell_settings::roundTrip()
{
    QFETCH(QString, stored);
    QFETCH(QString, readBack);
    CreateSettingsKey(HKEY_LOCAL_MACHINE, QuilletKey);
    SetSettingValue(HKEY_LOCAL_MACHINE, QuilletKey, QStringLiteral("Document State"), stored);
    QCOMPARE(GetSettingValue(HKEY_LOCAL_MACHINE, QuilletKey, QStringLiteral("Document State"),
                             QStringLiteral("default")),
             readBack);
}

void tst_shell_settings::writeBeforeKeyExistsDoesNothing()
{
    SetSettingValue(HKEY_LOCAL_MACHINE, QuilletKey, QStringLiteral("Document State"), QStringLiteral("2"));
    QCOMPARE(GetSettingValue(HKEY_LOCAL_MACHINE, QuilletKey, QStringLiteral("Document State"),
                             QStringLiteral("none")),
             QStringLiteral("none"));
}

void tst_shell_settings::createKeyTwiceKeepsValues()
{
    CreateSettingsKey(HKEY_LOCAL_MACHINE, QuilletKey);
    SetSettingValue(HKEY_LOCAL_MACHINE, QuilletKey, QStringLiteral("Show Tips at Startup"), QStringLiteral("0"));
    CreateSettingsKey(HKEY_LOCAL_MACHINE, QuilletKey);
    QCOMPARE(GetSettingValue(HKEY_LOCAL_MACHINE, QuilletKey, QStringLiteral("Show Tips at Startup"),
                             QStringLiteral("1")),
             QStringLiteral("0"));
}

void tst_shell_settings::keysAreSeparate()
{
    const QString other = QStringLiteral("Software\\Tallowmere\\Other");
    CreateSettingsKey(HKEY_LOCAL_MACHINE, QuilletKey);
    CreateSettingsKey(HKEY_LOCAL_MACHINE, other);
    SetSettingValue(HKEY_LOCAL_MACHINE, QuilletKey, QStringLiteral("Document State"), QStringLiteral("2"));
    QCOMPARE(GetSettingValue(HKEY_LOCAL_MACHINE, other, QStringLiteral("Document State"), QStringLiteral("x")),
             QStringLiteral("x"));
    QCOMPARE(GetSettingValue(HKEY_LOCAL_MACHINE, QuilletKey, QStringLiteral("Document State"), QStringLiteral("x")),
             QStringLiteral("2"));
}

void tst_shell_settings::unwritableStore_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("configuration folder is a file") << "parent-file";
    QTest::newRow("store's folder below a file") << "deep";
}

void tst_shell_settings::unwritableStore()
{
    QFETCH(QString, how);
    // Root ignores permissions, so the store is made unreachable instead.
    const QString base = m_config->path();
    if (how == QLatin1String("parent-file")) {
        QFile blocker(base + QStringLiteral("/blocked"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        qputenv("XDG_CONFIG_HOME", blocker.fileName().toLocal8Bit());
    } else {
        QFile blocker(base + QStringLiteral("/Quillet"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.write("not a folder");
        blocker.close();
    }
    CreateSettingsKey(HKEY_LOCAL_MACHINE, QuilletKey);
    SetSettingValue(HKEY_LOCAL_MACHINE, QuilletKey, QStringLiteral("Document State"), QStringLiteral("2"));
    QCOMPARE(GetSettingValue(HKEY_LOCAL_MACHINE, QuilletKey, QStringLiteral("Document State"),
                             QStringLiteral("default")),
             QStringLiteral("default"));
    if (how == QLatin1String("deep")) {
        QFile blocker(base + QStringLiteral("/Quillet"));
        QVERIFY(blocker.open(QIODevice::ReadOnly));
        QCOMPARE(blocker.readAll(), QByteArray("not a folder"));   // nothing was damaged
    }
}

QTEST_GUILESS_MAIN(tst_shell_settings)
#include "tst_shell_settings.moc"
