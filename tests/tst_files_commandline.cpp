// The file named on the command line, loaded into Document 1 at start-up.

#include "FilesTestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace FilesTestSupport;

class tst_files_commandline : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void loadsIntoFirstDocument_data();
    void loadsIntoFirstDocument();
    void missingFile_data();
    void missingFile();

private:
    QTemporaryDir m_config;
    QTemporaryDir m_logs;
    QTemporaryDir *m_dir = nullptr;
    frmMain *m_main = nullptr;
    QString m_startFolder;
};

void tst_files_commandline::initTestCase()
{
    QVERIFY(m_config.isValid());
    prepareEnvironment(m_config.path(), m_logs.path());
    m_startFolder = QDir::currentPath();
}

void tst_files_commandline::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
}

void tst_files_commandline::cleanup()
{
    discardMainWindow(m_main);
    QDir::setCurrent(m_startFolder);
    delete m_dir;
    m_dir = nullptr;
}

void tst_files_commandline::loadsIntoFirstDocument_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("commandLine");   // %1 = the file's full path
    QTest::addColumn<bool>("rich");

    QTest::newRow("full path") << "letter.rtf" << "%1" << true;
    QTest::newRow("full path in double quotes") << "letter.rtf" << "\"%1\"" << true;
    QTest::newRow("upper-case RTF") << "LETTER.RTF" << "%1" << true;
    QTest::newRow("path with spaces, no quotes") << "my letter.rtf" << "%1" << true;
    QTest::newRow("path with spaces, in quotes") << "my letter.rtf" << "\"%1\"" << true;
    QTest::newRow("text file") << "notes.txt" << "%1" << false;
    QTest::newRow("text file in quotes") << "notes.txt" << "\"%1\"" << false;
    QTest::newRow("name relative to the current folder") << "letter.rtf" << "letter.rtf" << true;
}

void tst_files_commandline::loadsIntoFirstDocument()
{
    QFETCH(QString, fileName);
    QFETCH(QString, commandLine);
    QFETCH(bool, rich);

    const QString path = QDir(m_dir->path()).absoluteFilePath(fileName);
    QVERIFY(writeFile(path, rich ? richSample() : QByteArrayLiteral("plain words\n")));
    QDir::setCurrent(m_dir->path());
    m_main = startMainWindow(commandLine.contains(QLatin1String("%1")) ? commandLine.arg(path) : commandLine);

    QCOMPARE(ModalSeam::asked().size(), 0);
    QCOMPARE(m_main->documents().size(), 1);
    frmDoc *doc = m_main->ActiveForm();
    QCOMPARE(doc->Caption(), path);
    QVERIFY(!doc->bChanged);
    const QString text = doc->rtf1->Text();
    QVERIFY2(text.startsWith(rich ? QStringLiteral("Hello bold world") : QStringLiteral("plain words")),
             qPrintable(text));

    // Closing it right away asks nothing.
    m_main->close_Click();
    QVERIFY(ModalSeam::asked().isEmpty());
}

void tst_files_commandline::missingFile_data()
{
    QTest::addColumn<QString>("commandLine");   // %1 = the missing file's full path
    QTest::newRow("missing file") << "%1";
    QTest::newRow("missing file in quotes") << "\"%1\"";
    QTest::newRow("a folder") << "%1/";
}

void tst_files_commandline::missingFile()
{
    QFETCH(QString, commandLine);

    QString path = m_dir->filePath(QStringLiteral("missing letter.rtf"));
    if (commandLine.endsWith(QLatin1Char('/'))) {
        path = m_dir->path();
        commandLine.chop(1);
    }
    m_main = startMainWindow(commandLine.arg(path));   // strict: the message is answered OK

    const QList<ModalSeam::Question> messages = askedOf(QStringLiteral("message"));
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.first().title, QStringLiteral("Quillet"));
    QVERIFY2(messages.first().text.contains(path), qPrintable(messages.first().text));
    QVERIFY(!messages.first().text.contains(QLatin1Char('"')));

    // Start-up went on: Document 1, empty and unchanged.
    QCOMPARE(captions(m_main), QStringList{QStringLiteral("Document 1")});
    QVERIFY(m_main->ActiveForm()->rtf1->Text().isEmpty());
    QVERIFY(!m_main->ActiveForm()->bChanged);
}

QTEST_MAIN(tst_files_commandline)
#include "tst_files_commandline.moc"
