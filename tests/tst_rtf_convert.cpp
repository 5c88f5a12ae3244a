// quillet-convert as a user runs it: conversions both ways, options, and
// clear failures that leave no half-written output behind.
#include "RtfTestSupport.h"

#include <RtfReader.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

class tst_rtf_convert : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void converts_data();
    void converts();
    void refuses_data();
    void refuses();
    void failedLoadLeavesOutputAlone();

private:
    int run(const QStringList &args, QString *errors = nullptr);
    QString path(const QString &name) const { return m_dir.filePath(name); }
    void writeFile(const QString &name, const QByteArray &bytes);

    QTemporaryDir m_dir;
};

void tst_rtf_convert::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(QFileInfo(QStringLiteral(QUILLET_CONVERT_PATH)).isExecutable(), QUILLET_CONVERT_PATH);
    writeFile("in.rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Hello {\\b bold} caf\\'e9\\par second\\par}");
    writeFile("in.txt", "plain line\nsecond line");
}

void tst_rtf_convert::writeFile(const QString &name, const QByteArray &bytes)
{
    QFile f(path(name));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

int tst_rtf_convert::run(const QStringList &args, QString *errors)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", m_dir.filePath("config"));
    env.insert("HOME", m_dir.filePath("home"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(QUILLET_CONVERT_PATH), args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    if (errors)
        *errors = QString::fromLocal8Bit(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

void tst_rtf_convert::converts_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("rtfOut");
    QTest::addColumn<QString>("text");

    QTest::newRow("rtf to txt") << QStringList{"in.rtf", "out.txt"} << "out.txt" << false
                                << QString::fromUtf8("Hello bold café\nsecond");
    QTest::newRow("txt to rtf") << QStringList{"in.txt", "out.rtf"} << "out.rtf" << true
                                << "plain line\nsecond line";
    QTest::newRow("extension case does not matter") << QStringList{"in.txt", "OUT.RTF"} << "OUT.RTF" << true
                                                    << "plain line\nsecond line";
    QTest::newRow("--to overrides the extension") << QStringList{"in.rtf", "out.doc", "--to", "txt"}
                                                  << "out.doc" << false
                                                  << QString::fromUtf8("Hello bold café\nsecond");
    QTest::newRow("--to=rtf") << QStringList{"--to=rtf", "in.rtf", "copy.txt"} << "copy.txt" << true
                              << QString::fromUtf8("Hello bold café\nsecond");
}

void tst_rtf_convert::converts()
{
    QFETCH(QStringList, args);
    QFETCH(QString, output);
    QFETCH(bool, rtfOut);
    QFETCH(QString, text);
    for (QString &a : args) {
        if (!a.startsWith("-") && a != "txt" && a != "rtf")
            a = path(a);
    }
    QString errors;
    QCOMPARE(run(args, &errors), 0);
    QFile f(path(output));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QCOMPARE(RtfReader::isRtf(bytes), rtfOut);
    QString got;
    if (rtfOut) {
        QTextDocument d;
        QVERIFY(RtfReader::read(bytes, d).ok);
        got = RtfTestSupport::plainText(d);
    } else {
        got = QString::fromUtf8(bytes);
        got.remove(u'\r');
    }
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
    QTest::newRow("bad --to") << QStringList{"@in.rtf", "@a.txt", "--to", "pdf"} << 2 << "unknown output type";
    QTest::newRow("--to without value") << QStringList{"@in.rtf", "@a.txt", "--to"} << 2 << "needs a value";
    QTest::newRow("unknown output extension") << QStringList{"@in.rtf", "@a.doc"} << 2 << "output type";
    QTest::newRow("missing input") << QStringList{"@nothing.rtf", "@a.txt"} << 1 << "No such file";
    QTest::newRow("input is a folder") << QStringList{"@folder", "@a.txt"} << 1 << "folder";
    QTest::newRow("output under a file") << QStringList{"@in.rtf", "@in.txt/a.txt"} << 1 << "Cannot save";
    QTest::newRow("output is a folder") << QStringList{"@in.rtf", "@folder.txt"} << 1 << "Cannot save";
}

void tst_rtf_convert::refuses()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QDir(m_dir.path()).mkpath("folder");
    QDir(m_dir.path()).mkpath("folder.txt");
    QFile::remove(path("a.txt"));
    for (QString &a : args) {
        if (a.startsWith(u'@'))
            a = path(a.mid(1));
    }
    QString errors;
    QCOMPARE(run(args, &errors), exitCode);
    QVERIFY2(errors.contains(message), qPrintable(errors));
    QVERIFY(!QFileInfo::exists(path("a.txt")));
    QVERIFY(QFileInfo(path("folder.txt")).isDir());
    QCOMPARE(QDir(m_dir.path()).entryList({"*.tmp", ".*.tmp", "*~"}, QDir::Files | QDir::Hidden), QStringList());
}

void tst_rtf_convert::failedLoadLeavesOutputAlone()
{
    writeFile("keep.txt", "precious");
    QString errors;
    QCOMPARE(run({path("missing.rtf"), path("keep.txt")}, &errors), 1);
    QFile f(path("keep.txt"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("precious"));
}

QTEST_GUILESS_MAIN(tst_rtf_convert)
#include "tst_rtf_convert.moc"
