// quillet-convert as a user runs it: conversions both ways, options, and
// clear failures that leave no half-written output behind.
#include "FullDisk.h"
#include "RtfTestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

class tst_rtf_convert : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void converts_data();
    void converts();
    void refuses_data();
    void refuses();
    void fullDisk();
    void convertsToPdf();

private:
    int run(QStringList args);
    QString path(const QString &name) const { return m_dir.filePath(name); }
    void writeFile(const QString &name, const QByteArray &bytes);
    QByteArray readFile(const QString &name);

    QTemporaryDir m_dir;
    QString m_errors;   // what the last run wrote to standard error
};

void tst_rtf_convert::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(QFileInfo(QStringLiteral(QUILLET_CONVERT_PATH)).isExecutable(), QUILLET_CONVERT_PATH);
    writeFile("in.rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Hello {\\b bold} caf\\'e9\\par second\\par}");
    writeFile("in.txt", "plain line\nsecond line");
    QVERIFY(QDir(m_dir.path()).mkpath("folder") && QDir(m_dir.path()).mkpath("folder.txt"));
}

void tst_rtf_convert::writeFile(const QString &name, const QByteArray &bytes)
{
    QFile f(path(name));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray tst_rtf_convert::readFile(const QString &name)
{
    QFile f(path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(cannot read)");
}

// Runs the converter; arguments starting with @ name files in the test folder.
int tst_rtf_convert::run(QStringList args)
{
    args.replaceInStrings(QRegularExpression("^@"), m_dir.path() + u'/');
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", m_dir.filePath("config"));
    env.insert("HOME", m_dir.filePath("home"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(QUILLET_CONVERT_PATH), args);
    if (!p.waitForFinished(60000))
        return -1;   // hung; the QProcess destructor kills it
    m_errors = QString::fromLocal8Bit(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

void tst_rtf_convert::converts_data()
{
    QTest::addColumn<QStringList>("args");   // the second file named is the output
    QTest::addColumn<bool>("rtfOut");
    QTest::addColumn<QString>("text");

    const QString fromRtf = QString::fromUtf8("Hello bold café\nsecond"), fromTxt = "plain line\nsecond line";
    QTest::newRow("rtf to txt") << QStringList{"@in.rtf", "@out.txt"} << false << fromRtf;
    QTest::newRow("txt to rtf") << QStringList{"@in.txt", "@out.rtf"} << true << fromTxt;
    QTest::newRow("extension case does not matter") << QStringList{"@in.txt", "@OUT.RTF"} << true << fromTxt;
    QTest::newRow("--to overrides the extension") << QStringList{"@in.rtf", "@out.rtf", "--to", "txt"} << false << fromRtf;
    QTest::newRow("--to=rtf") << QStringList{"--to=rtf", "@in.rtf", "@copy.txt"} << true << fromRtf;
}

void tst_rtf_convert::converts()
{
    QFETCH(QStringList, args);
    QFETCH(bool, rtfOut);
    QFETCH(QString, text);
    QVERIFY2(run(args) == 0, qPrintable(m_errors));
    const QByteArray bytes = readFile(args.filter(QRegularExpression("^@")).at(1).mid(1));
    QCOMPARE(RtfReader::isRtf(bytes), rtfOut);
    QTextDocument d;
    QVERIFY(!rtfOut || RtfReader::read(bytes, d).ok);
    const QString got = rtfOut ? RtfTestSupport::plainText(d) : QString::fromUtf8(bytes).remove(u'\r');
    QCOMPARE(got.trimmed(), text);
}

void tst_rtf_convert::refuses_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    QTest::newRow("no arguments") << QStringList{} << 2 << "INPUT and OUTPUT";
    QTest::newRow("one argument") << QStringList{"@in.rtf"} << 2 << "INPUT and OUTPUT";
    QTest::newRow("three arguments") << QStringList{"@in.rtf", "@a.txt", "@b.txt"} << 2 << "too many";
    QTest::newRow("unknown option") << QStringList{"--fast", "@in.rtf", "@a.txt"} << 2 << "unknown option";
    QTest::newRow("bad --to") << QStringList{"@in.rtf", "@a.txt", "--to", "html"} << 2 << "unknown output type";
    QTest::newRow("--to without value") << QStringList{"@in.rtf", "@a.txt", "--to"} << 2 << "needs a value";
    QTest::newRow("unknown output extension") << QStringList{"@in.rtf", "@a.doc"} << 2 << "output type";
    QTest::newRow("missing input") << QStringList{"@nothing.rtf", "@a.txt"} << 1 << "No such file";
    QTest::newRow("missing input, output exists") << QStringList{"@nothing.rtf", "@keep.txt"} << 1 << "No such file";
    QTest::newRow("input is a folder") << QStringList{"@folder", "@a.txt"} << 1 << "folder";
    QTest::newRow("output under a file") << QStringList{"@in.rtf", "@in.txt/a.txt"} << 1 << "Cannot save";
    QTest::newRow("output is a folder") << QStringList{"@in.rtf", "@folder.txt"} << 1 << "Cannot save";
    // Never text under a name that says another format, nor another format read as text.
    QTest::newRow("text to a .doc name") << QStringList{"@in.rtf", "@a.doc", "--to", "txt"} << 1 << "Word 97-2003";
    QTest::newRow("a PDF as input") << QStringList{"@paper.pdf", "@a.txt"} << 1 << "PDF document";
}

void tst_rtf_convert::refuses()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    writeFile("keep.txt", "precious");
    writeFile("paper.pdf", "%PDF-1.7\n");
    QCOMPARE(run(args), exitCode);
    QVERIFY2(m_errors.contains(message), qPrintable(m_errors));
    // Nothing written, nothing overwritten, no temporary files left behind.
    QVERIFY(!QFileInfo::exists(path("a.txt")));
    QCOMPARE(readFile("keep.txt"), QByteArray("precious"));
    QVERIFY(QFileInfo(path("folder.txt")).isDir());
    QCOMPARE(QDir(m_dir.path()).entryList({"*.tmp", ".*.tmp", "*~"}, QDir::Files | QDir::Hidden), QStringList());
}

// A conversion onto a full disk fails with the cause in one line and leaves
// the old output whole.
void tst_rtf_convert::fullDisk()
{
    FullDisk disk;
    if (!disk.isMounted())
        QSKIP("Only root can mount a small tmpfs here");
    const QString output = disk.filePath(QStringLiteral("out.txt"));
    const QByteArray old("the old output\n");
    QFile file(output);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
    file.close();
    QVERIFY(disk.fill());

    QCOMPARE(run({"@in.rtf", output}), 1);
    // Its own lines only: Qt may warn about the environment as well.
    const QStringList said = m_errors.split(u'\n').filter(QRegularExpression("^quillet-convert: "));
    QCOMPARE(said.size(), 1);
    QVERIFY2(said.first().contains(QStringLiteral("No space left on device")), qPrintable(m_errors));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), old);
    QCOMPARE(QFileInfo(output).dir().entryList(QDir::Files), QStringList{QStringLiteral("out.txt")});
}

// Any input to PDF: every word, on the pages printing would give; a PDF is
// never read back as a document.
void tst_rtf_convert::convertsToPdf()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("poppler-utils (pdftotext) is not installed");
    writeFile("in.rtf", "{\\rtf1\\ansi First {\\b bold} words\\par\\page Second page words\\par}");
    QVERIFY2(run({"@in.rtf", "@out.pdf"}) == 0, qPrintable(m_errors));
    QCOMPARE(run({"@out.pdf", "@copy.docx"}), 1);
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {path("out.pdf"), QStringLiteral("-")});
    QVERIFY(text.waitForFinished(60000));
    const QString words = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(words.contains(QLatin1String("First bold words")) && words.contains(QLatin1String("Second page words")),
             qPrintable(words));
    QCOMPARE(words.count(QLatin1Char('\f')), 2);
}

QTEST_GUILESS_MAIN(tst_rtf_convert)
#include "tst_rtf_convert.moc"
