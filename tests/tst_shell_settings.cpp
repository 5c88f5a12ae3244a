// The settings store as the program uses it: one key, string values, the
// read-buffer rule for long values, and a store that cannot be written.
#include "shell/modRegistry.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace modRegistry;

namespace {
const QString value = QStringLiteral("Document State");

QString read(const QString &key = QuilletKey)
{
    return GetSettingValue(HKEY_LOCAL_MACHINE, key, value, QStringLiteral("default"));
}
}

class tst_shell_settings : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_config;

private slots:
    void init()
    {
        // A fresh store for every test, never the user's own.
        m_config = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", m_config->path().toLocal8Bit());
        QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation), m_config->path());
    }

    void values_data()
    {
        QTest::addColumn<bool>("createKey");
        QTest::addColumn<bool>("write");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("missing key gives the default") << false << false << "" << "default";
        QTest::newRow("key without the value gives the default") << true << false << "" << "default";
        QTest::newRow("a write before the key exists does nothing") << false << true << "2" << "default";
        QTest::newRow("one digit") << true << true << "0" << "0";
        QTest::newRow("empty reads empty, not the default") << true << true << "" << "";
        QTest::newRow("127 characters fit") << true << true << QString(127, 'a') << QString(127, 'a');
        QTest::newRow("128 characters read as the default") << true << true << QString(128, 'b') << "default";
        QTest::newRow("much longer reads as the default") << true << true << QString(5000, 'c') << "default";
        QTest::newRow("blanks kept") << true << true << " 2 " << " 2 ";
        QTest::newRow("backslashes and equals") << true << true << "a\\b=c;d" << "a\\b=c;d";
    }

    void values()
    {
        QFETCH(bool, createKey);
        QFETCH(bool, write);
        QFETCH(QString, stored);
        QFETCH(QString, readBack);
        const QString other = QStringLiteral("Software\\Tallowmere\\Other");
        CreateSettingsKey(HKEY_LOCAL_MACHINE, other);
        if (createKey)
            CreateSettingsKey(HKEY_LOCAL_MACHINE, QuilletKey);
        if (write)
            SetSettingValue(HKEY_LOCAL_MACHINE, QuilletKey, value, stored);
        QCOMPARE(read(), readBack);
        // Creating the key again keeps its values, and another key sees none of them.
        CreateSettingsKey(HKEY_LOCAL_MACHINE, QuilletKey);
        QCOMPARE(read(), readBack);
        QCOMPARE(read(other), QStringLiteral("default"));
    }

    void unwritableStore_data()
    {
        QTest::addColumn<QString>("blocker");
        QTest::newRow("configuration folder is a file") << "/blocked";
        QTest::newRow("store's folder is a file") << "/Quillet";
    }

    void unwritableStore()
    {
        // Root ignores permissions, so the store is made unreachable instead.
        QFETCH(QString, blocker);
        QFile file(m_config->path() + blocker);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not a folder") == 12);
        file.close();
        if (blocker == QLatin1String("/blocked"))
            qputenv("XDG_CONFIG_HOME", file.fileName().toLocal8Bit());
        CreateSettingsKey(HKEY_LOCAL_MACHINE, QuilletKey);
        SetSettingValue(HKEY_LOCAL_MACHINE, QuilletKey, value, QStringLiteral("2"));
        QCOMPARE(read(), QStringLiteral("default"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("not a folder"));   // nothing was damaged
    }
};

QTEST_GUILESS_MAIN(tst_shell_settings)
#include "tst_shell_settings.moc"
