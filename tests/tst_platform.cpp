#include "CommonDialog.h"
#include "KeyCodes.h"
#include "ModalSeam.h"
#include "RegistryStore.h"
#include "SystemMessageBox.h"
#include "WindowHelpers.h"

#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

class TestPlatform : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;
    const QString m_key = QStringLiteral("Software\\Tallowmere\\Quillet");

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void seamAnswersInOrderAndRecordsQuestions();
    void strictSeamNeverBlocks();
    void responderDrivesTheRealDialog();

    void defaultExtension_data();
    void defaultExtension();
    void fileDialogAnswers();
    void filtersBecomeQtNameFilters();
    void colourAndFontDialogs();
    void printDialog();

    void systemBoxAnswers_data();
    void systemBoxAnswers();

    void registryValues_data();
    void registryValues();
    void registryKeyMustBeCreated();
    void registryUnwritableStore_data();
    void registryUnwritableStore();

    void keyCodes_data();
    void keyCodes();
    void windowFlagsKeepGeometry();
};

void TestPlatform::initTestCase()
{
    QVERIFY(m_config.isValid());
}

void TestPlatform::init()
{
    // Settings go to a folder of the test's own, never the user's.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    QDir(m_config.path()).removeRecursively();
    QDir().mkpath(m_config.path());
    ModalSeam::reset();
    ModalSeam::setStrict(true);
}

void TestPlatform::cleanup()
{
    ModalSeam::reset();
}

void TestPlatform::seamAnswersInOrderAndRecordsQuestions()
{
    ModalSeam::queue(QVariant(6));
    ModalSeam::queue(QVariant(QStringLiteral("second")));
    QCOMPARE(ModalSeam::pending(), 2);

    const auto first = ModalSeam::take({QStringLiteral("system"), QStringLiteral("T1"), QStringLiteral("one"), nullptr});
    const auto second = ModalSeam::take({QStringLiteral("open"), QStringLiteral("T2"), QString(), nullptr});
    QVERIFY(first && second);
    QCOMPARE(first->toInt(), 6);
    QCOMPARE(second->toString(), QStringLiteral("second"));
    QCOMPARE(ModalSeam::pending(), 0);
    QCOMPARE(ModalSeam::unanswered(), 0);
    const auto asked = ModalSeam::asked();
    QCOMPARE(asked.size(), 2);
    QCOMPARE(asked.at(0).title, QStringLiteral("T1"));
    QCOMPARE(asked.at(1).kind, QStringLiteral("open"));
}

void TestPlatform::strictSeamNeverBlocks()
{
    // Unanswered in strict mode: counted, and each point takes its cancel.
    QCOMPARE(SystemMessageBox::show(nullptr, QStringLiteral("Continue ?"), QStringLiteral("Warning !"),
                                    SystemMessageBox::vbYesNo + SystemMessageBox::vbExclamation),
             SystemMessageBox::vbNo);
    CommonDialog cd1;
    cd1.SetFileName(QStringLiteral("/earlier/choice.txt"));
    QVERIFY(!cd1.ShowOpen());
    QVERIFY(cd1.Cancelled());
    QCOMPARE(cd1.FileName(), QString());   // a cancel never hands back an earlier name
    QCOMPARE(ModalSeam::unanswered(), 2);

    // Not strict and nothing queued: the caller is told to show the real thing.
    ModalSeam::setStrict(false);
    QVERIFY(!ModalSeam::take({QStringLiteral("message"), QString(), QString(), nullptr}).has_value());
    ModalSeam::setStrict(true);
}

void TestPlatform::responderDrivesTheRealDialog()
{
    QTemporaryDir dir;
    CommonDialog cd1;
    cd1.SetDialogTitle(QStringLiteral("Save"));
    cd1.SetFilter(QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"));
    ModalSeam::queue(ModalSeam::Responder([&](const ModalSeam::Question &q) -> QVariant {
        auto *dialog = qobject_cast<QFileDialog *>(q.dialog);
        if (!dialog)
            return QVariant();
        return QVariant(dialog->windowTitle() + QLatin1Char('|') + dialog->nameFilters().join(u';'));
    }));
    QVERIFY(cd1.ShowSave());
    QCOMPARE(cd1.FileName(), QStringLiteral("Save|Text Files (*.txt);All Files (*)"));
}

void TestPlatform::defaultExtension_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("defaultExt");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no extension gets RTF in upper case") << "/tmp/letter" << "RTF" << "/tmp/letter.RTF";
    QTest::newRow("own extension kept") << "/tmp/letter.txt" << "RTF" << "/tmp/letter.txt";
    QTest::newRow("a dot in the folder does not count") << "/tmp/v1.2/letter" << "TXT" << "/tmp/v1.2/letter.TXT";
    QTest::newRow("no default extension") << "/tmp/letter" << "" << "/tmp/letter";
    QTest::newRow("leading dot in the default") << "/tmp/letter" << ".txt" << "/tmp/letter.txt";
}

void TestPlatform::defaultExtension()
{
    QFETCH(QString, answer);
    QFETCH(QString, defaultExt);
    QFETCH(QString, expected);
    CommonDialog cd1;
    cd1.SetDefaultExt(defaultExt);
    ModalSeam::queue(QVariant(answer));
    QVERIFY(cd1.ShowSave());
    QVERIFY(!cd1.Cancelled());
    QCOMPARE(cd1.FileName(), expected);
}

void TestPlatform::fileDialogAnswers()
{
    CommonDialog cd1;
    cd1.SetDialogTitle(QStringLiteral("Open"));
    cd1.SetFlags(CommonDialog::cdlOFNFileMustExist);
    ModalSeam::queue(QVariant(QStringLiteral("/tmp/a.txt")));
    ModalSeam::queue(QVariant(QString()));   // an empty answer cancels
    QVERIFY(cd1.ShowOpen());
    QCOMPARE(cd1.FileName(), QStringLiteral("/tmp/a.txt"));
    QVERIFY(!cd1.ShowOpen());
    QCOMPARE(cd1.FileName(), QString());
    const auto asked = ModalSeam::asked();
    QCOMPARE(asked.size(), 2);
    QCOMPARE(asked.at(0).kind, QStringLiteral("open"));
    QCOMPARE(asked.at(0).title, QStringLiteral("Open"));
}

void TestPlatform::filtersBecomeQtNameFilters()
{
    QCOMPARE(CommonDialog::nameFilters(QStringLiteral(
                     "Text Files (*.txt)|*.txt|RichText Files (*.rtf)|*.rtf|All Files (*.*)|*.*|")),
             (QStringList{QStringLiteral("Text Files (*.txt)"), QStringLiteral("RichText Files (*.rtf)"),
                          QStringLiteral("All Files (*)")}));
    QCOMPARE(CommonDialog::nameFilters(QStringLiteral("Pictures|*.png;*.jpg")),
             QStringList{QStringLiteral("Pictures (*.png *.jpg)")});
    QCOMPARE(CommonDialog::nameFilters(QString()), QStringList());
}

void TestPlatform::colourAndFontDialogs()
{
    CommonDialog cd1;
    cd1.SetColor(0x00ff00);
    ModalSeam::queue(QVariant(0x0000ff));
    QVERIFY(cd1.ShowColor());
    QCOMPARE(cd1.Color(), 0x0000ff);
    QVERIFY(!cd1.ShowColor());            // unanswered: cancelled, colour kept
    QCOMPARE(cd1.Color(), 0x0000ff);

    QFont font(QStringLiteral("Courier New"), 14);
    font.setBold(true);
    font.setStrikeOut(true);
    ModalSeam::queue(QVariant(font));
    QVERIFY(cd1.ShowFont());
    QCOMPARE(cd1.FontName(), QStringLiteral("Courier New"));
    QCOMPARE(cd1.FontSize(), 14.0);
    QVERIFY(cd1.FontBold());
    QVERIFY(!cd1.FontItalic());
    QVERIFY(cd1.FontStrikethru());
    QVERIFY(!cd1.ShowFont());
    QCOMPARE(cd1.FontName(), QStringLiteral("Courier New"));
}

void TestPlatform::printDialog()
{
    CommonDialog cd1;
    cd1.SetCancelError(true);
    ModalSeam::queue(QVariant(true));
    ModalSeam::queue(QVariant(false));
    QVERIFY(cd1.ShowPrinter());
    QVERIFY(!cd1.ShowPrinter());
    QVERIFY(cd1.Cancelled());
    QCOMPARE(ModalSeam::asked().at(0).kind, QStringLiteral("print"));
}

void TestPlatform::systemBoxAnswers_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QVariant>("answer");
    QTest::addColumn<int>("expected");
    QTest::newRow("queued Yes") << 4 + 48 << QVariant(6) << 6;
    QTest::newRow("queued No") << 4 + 48 << QVariant(7) << 7;
    QTest::newRow("unanswered Yes/No is No") << 4 << QVariant() << 7;
    QTest::newRow("unanswered OK is OK") << 0 + 64 << QVariant() << 1;
    QTest::newRow("unanswered OK/Cancel is Cancel") << 1 << QVariant() << 2;
    QTest::newRow("unanswered Yes/No/Cancel is Cancel") << 3 + 32 << QVariant() << 2;
    QTest::newRow("a text answer is no answer") << 4 << QVariant(QStringLiteral("Yes")) << 7;
}

void TestPlatform::systemBoxAnswers()
{
    QFETCH(int, style);
    QFETCH(QVariant, answer);
    QFETCH(int, expected);
    if (answer.isValid())
        ModalSeam::queue(answer);
    QCOMPARE(SystemMessageBox::show(nullptr, QStringLiteral("Text not found"), QStringLiteral("Quillet"), style),
             expected);
    const auto asked = ModalSeam::asked();
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked.first().kind, QStringLiteral("system"));
    QCOMPARE(asked.first().text, QStringLiteral("Text not found"));
    QCOMPARE(asked.first().title, QStringLiteral("Quillet"));
}

void TestPlatform::registryValues_data()
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

void TestPlatform::registryValues()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    const quint32 root = RegistryStore::LocalMachine;

    QVERIFY(!RegistryStore::queryValue(root, m_key, name).has_value());   // no key yet
    QVERIFY(RegistryStore::createKey(root, m_key));
    QVERIFY(RegistryStore::createKey(root, m_key));   // again: nothing changes
    QVERIFY(!RegistryStore::queryValue(root, m_key, name).has_value());   // missing value
    QVERIFY(RegistryStore::setValue(root, m_key, name, value));
    QCOMPARE(RegistryStore::queryValue(root, m_key, name), std::optional<QString>(value));
    QVERIFY(QFile::exists(m_config.filePath(QStringLiteral("Quillet/HKEY_LOCAL_MACHINE.ini"))));

    // The other root is another store.
    QVERIFY(!RegistryStore::queryValue(RegistryStore::CurrentUser, m_key, name).has_value());
}

void TestPlatform::registryKeyMustBeCreated()
{
    const quint32 root = RegistryStore::LocalMachine;
    QVERIFY(!RegistryStore::setValue(root, m_key, QStringLiteral("x"), QStringLiteral("1")));
    QVERIFY(!RegistryStore::keyExists(root, m_key));
    QVERIFY(RegistryStore::createKey(root, m_key));
    QVERIFY(RegistryStore::keyExists(root, QStringLiteral("Software")));   // intermediate keys too
    QVERIFY(RegistryStore::keyExists(root, QStringLiteral("Software/Tallowmere/Quillet/")));
    QVERIFY(!RegistryStore::setValue(root, QStringLiteral("Software\\Other"), QStringLiteral("x"),
                                     QStringLiteral("1")));
    QVERIFY(!RegistryStore::createKey(0x12345678u, m_key));   // unknown root
}

void TestPlatform::registryUnwritableStore_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("the INI file is a folder") << "folder";
    QTest::newRow("its folder is a file") << "parent";
}

void TestPlatform::registryUnwritableStore()
{
    QFETCH(QString, how);
    const quint32 root = RegistryStore::LocalMachine;
    QVERIFY(RegistryStore::createKey(root, m_key));
    QVERIFY(RegistryStore::setValue(root, m_key, QStringLiteral("Show Tips at Startup"), QStringLiteral("1")));

    // Switch to a fresh configuration folder where the store cannot be written.
    QTemporaryDir other;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(other.path()));
    if (how == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(other.filePath(QStringLiteral("Quillet/HKEY_LOCAL_MACHINE.ini"))));
    } else {
        QFile blocker(other.filePath(QStringLiteral("Quillet")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    QVERIFY(!RegistryStore::createKey(root, m_key));
    QVERIFY(!RegistryStore::setValue(root, m_key, QStringLiteral("Show Tips at Startup"), QStringLiteral("0")));
    QVERIFY(!RegistryStore::queryValue(root, m_key, QStringLiteral("Show Tips at Startup")).has_value());
}

void TestPlatform::keyCodes_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("code");
    QTest::newRow("A") << int(Qt::Key_A) << 0 << 65;
    QTest::newRow("Z") << int(Qt::Key_Z) << 0 << 90;
    QTest::newRow("0") << int(Qt::Key_0) << 0 << 48;
    QTest::newRow("Delete") << int(Qt::Key_Delete) << 0 << 46;
    QTest::newRow("Insert") << int(Qt::Key_Insert) << 0 << 45;
    QTest::newRow("Left") << int(Qt::Key_Left) << 0 << 37;
    QTest::newRow("Down") << int(Qt::Key_Down) << 0 << 40;
    QTest::newRow("F1") << int(Qt::Key_F1) << 0 << 112;
    QTest::newRow("F12") << int(Qt::Key_F12) << 0 << 123;
    QTest::newRow("Enter on the keypad") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << 13;
    QTest::newRow("5 on the keypad") << int(Qt::Key_5) << int(Qt::KeypadModifier) << 101;
    QTest::newRow("shifted 1 is the 1 key") << int(Qt::Key_Exclam) << int(Qt::ShiftModifier) << 49;
    QTest::newRow("comma") << int(Qt::Key_Comma) << 0 << 188;
}

void TestPlatform::keyCodes()
{
    QFETCH(int, qtKey);
    QFETCH(int, modifiers);
    QFETCH(int, code);
    QCOMPARE(KeyCodes::virtualKey(qtKey, Qt::KeyboardModifiers(modifiers)), code);
    QCOMPARE(KeyCodes::shiftState(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier), 7);
    QCOMPARE(KeyCodes::shiftState(Qt::ControlModifier | Qt::KeypadModifier), 2);
}

void TestPlatform::windowFlagsKeepGeometry()
{
    QDialog dialog;
    dialog.setGeometry(120, 130, 300, 200);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QRect before = dialog.geometry();

    WindowHelpers::makeTopmost(&dialog);
    QVERIFY(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.geometry().size(), before.size());

    WindowHelpers::removeCloseButton(&dialog);
    QVERIFY(!(dialog.windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(dialog.windowFlags() & Qt::WindowTitleHint);
    QVERIFY(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(dialog.isVisible());

    WindowHelpers::makeNotTopmost(&dialog);
    QVERIFY(!(dialog.windowFlags() & Qt::WindowStaysOnTopHint));
    QVERIFY(!(dialog.windowFlags() & Qt::WindowCloseButtonHint));
    QCOMPARE(dialog.geometry().size(), before.size());

    // A hidden window stays hidden.
    QWidget hidden;
    WindowHelpers::makeTopmost(&hidden);
    QVERIFY(!hidden.isVisible());
    WindowHelpers::makeTopmost(nullptr);
}

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
