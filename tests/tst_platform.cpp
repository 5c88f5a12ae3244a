#include "CommonDialog.h"
#include "ModalSeam.h"
#include "RegistryStore.h"
#include "SystemMessageBox.h"

#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>

class TestPlatform : public QObject
{
    Q_OBJECT

    QTemporaryDir m_config;
    const QString m_key = QStringLiteral("Software\\Tallowmere\\Quillet");
    static constexpr quint32 root = RegistryStore::LocalMachine;

private slots:
    void init()
    {
        // Settings go to a folder of the test's own, never the user's.
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
        QDir(m_config.path()).removeRecursively();
        QDir().mkpath(m_config.path());
        ModalSeam::reset();
        ModalSeam::setStrict(true);
    }

    void unansweredQuestionsCancel()
    {
        // Strict: counted, each point takes its cancel, and a cancel never hands back an earlier name.
        CommonDialog cd1;
        cd1.SetFileName(QStringLiteral("/earlier/choice.txt"));
        QVERIFY(!cd1.ShowOpen() && cd1.Cancelled());
        QCOMPARE(cd1.FileName(), QString());
        QCOMPARE(ModalSeam::unanswered(), 1);
        // Not strict and nothing queued: the caller is told to show the real thing.
        ModalSeam::setStrict(false);
        QVERIFY(!ModalSeam::take({QStringLiteral("message"), QString(), QString(), nullptr}).has_value());
    }

    void responderDrivesTheRealDialog()
    {
        CommonDialog cd1;
        cd1.SetDialogTitle(QStringLiteral("Save"));
        cd1.SetFilter(QStringLiteral("Text Files (*.txt)|*.txt|Pictures|*.png;*.jpg|All Files (*.*)|*.*|"));
        ModalSeam::queue(ModalSeam::Responder([&](const ModalSeam::Question &q) -> QVariant {
            auto *dialog = qobject_cast<QFileDialog *>(q.dialog);
            return dialog ? QVariant(dialog->windowTitle() + u'|' + dialog->nameFilters().join(u';')) : QVariant();
        }));
        QVERIFY(cd1.ShowSave());
        QCOMPARE(cd1.FileName(), QStringLiteral("Save|Text Files (*.txt);Pictures (*.png *.jpg);All Files (*)"));
    }

    void defaultExtension_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("defaultExt");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no extension gets RTF in upper case") << "/tmp/letter" << "RTF" << "/tmp/letter.RTF";
        QTest::newRow("own extension kept") << "/tmp/letter.txt" << "RTF" << "/tmp/letter.txt";
        QTest::newRow("a dot in the folder does not count") << "/tmp/v1.2/letter" << "TXT" << "/tmp/v1.2/letter.TXT";
        QTest::newRow("no default extension") << "/tmp/letter" << "" << "/tmp/letter";
        QTest::newRow("leading dot in the default") << "/tmp/letter" << ".txt" << "/tmp/letter.txt";
        QTest::newRow("an empty answer cancels") << "" << "RTF" << "";
    }
    void defaultExtension()
    {
        QFETCH(QString, answer);
        QFETCH(QString, defaultExt);
        QFETCH(QString, expected);
        CommonDialog cd1;
        cd1.SetDefaultExt(defaultExt);
        ModalSeam::queue(QVariant(answer));
        QCOMPARE(cd1.ShowSave(), !expected.isEmpty());
        QCOMPARE(cd1.Cancelled(), expected.isEmpty());
        QCOMPARE(cd1.FileName(), expected);
    }

    void systemBoxAnswers_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<QVariant>("answer");
        QTest::addColumn<int>("expected");
        QTest::newRow("queued Yes") << 4 + 48 << QVariant(6) << 6;
        QTest::newRow("unanswered Yes/No is No") << 4 << QVariant() << 7;
        QTest::newRow("unanswered OK is OK") << 0 + 64 << QVariant() << 1;
        QTest::newRow("unanswered OK/Cancel is Cancel") << 1 << QVariant() << 2;
        QTest::newRow("unanswered Yes/No/Cancel is Cancel") << 3 + 32 << QVariant() << 2;
        QTest::newRow("a text answer is no answer") << 4 << QVariant(QStringLiteral("Yes")) << 7;
    }
    void systemBoxAnswers()
    {
        QFETCH(int, style);
        QFETCH(QVariant, answer);
        QFETCH(int, expected);
        if (answer.isValid())
            ModalSeam::queue(answer);
        QCOMPARE(SystemMessageBox::show(nullptr, QStringLiteral("Text not found"), QStringLiteral("Quillet"), style),
                 expected);
        QCOMPARE(ModalSeam::asked().size(), 1);
        QCOMPARE(ModalSeam::asked().first().text, QStringLiteral("Text not found"));
    }

    void registryValues_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::newRow("one digit") << "Show Tips at Startup" << "0";
        QTest::newRow("empty value stays empty") << "Document State" << "";
        QTest::newRow("128 characters come back whole") << "Long" << QString(128, u'x');
        QTest::newRow("slashes in the name") << "a/b\\c" << "slashes";
        QTest::newRow("the default value") << "" << "default";
        QTest::newRow("accents and separators") << "Name" << "caf\u00e9, \"quoted\"; =x";
    }
    void registryValues()
    {
        QFETCH(QString, name);
        QFETCH(QString, value);
        QVERIFY(!RegistryStore::queryValue(root, m_key, name).has_value());   // no key yet
        QVERIFY(!RegistryStore::setValue(root, m_key, name, value));         // nor is one made
        QVERIFY(!RegistryStore::keyExists(root, m_key));
        QVERIFY(RegistryStore::createKey(root, m_key));
        QVERIFY(!RegistryStore::queryValue(root, m_key, name).has_value());   // missing value
        QVERIFY(RegistryStore::setValue(root, m_key, name, value));
        QCOMPARE(RegistryStore::queryValue(root, m_key, name), std::optional<QString>(value));
        // The other root is another store.
        QVERIFY(!RegistryStore::queryValue(RegistryStore::CurrentUser, m_key, name).has_value());
    }

    void registryUnwritableStore_data()
    {
        QTest::addColumn<bool>("iniIsFolder");
        QTest::newRow("the INI file is a folder") << true;
        QTest::newRow("its folder is a file") << false;
    }
    void registryUnwritableStore()
    {
        QFETCH(bool, iniIsFolder);
        QVERIFY(RegistryStore::createKey(root, m_key));
        QVERIFY(RegistryStore::setValue(root, m_key, QStringLiteral("Show Tips at Startup"), QStringLiteral("1")));

        // Switch to a fresh configuration folder where the store cannot be written.
        QTemporaryDir other;
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(other.path()));
        if (iniIsFolder)
            QVERIFY(QDir().mkpath(other.filePath(QStringLiteral("Quillet/HKEY_LOCAL_MACHINE.ini"))));
        else
            QVERIFY(QFile(other.filePath(QStringLiteral("Quillet"))).open(QIODevice::WriteOnly));
        QVERIFY(!RegistryStore::createKey(root, m_key));
        QVERIFY(!RegistryStore::setValue(root, m_key, QStringLiteral("Show Tips at Startup"), QStringLiteral("0")));
        QVERIFY(!RegistryStore::queryValue(root, m_key, QStringLiteral("Show Tips at Startup")).has_value());
    }
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
