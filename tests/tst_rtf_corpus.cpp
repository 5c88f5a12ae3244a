// Reads every RTF file of the shared corpus: none may crash or hang, the text
// the source projects agree on must be there, and what the writer makes of
// the result must read back to the same text.
#include "RtfTestSupport.h"

#include <RtfReader.h>
#include <RtfWriter.h>

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTest>

class tst_rtf_corpus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void corpusFile_data();
    void corpusFile();
    void cleanupTestCase();

private:
    static QStringList fragments(const QString &path);

    QString m_root;
    int m_unconfirmedTotal = 0;
    int m_unconfirmedHeld = 0;
    int m_files = 0;
};

void tst_rtf_corpus::initTestCase()
{
    m_root = QStringLiteral(QUILLET_CORPUS_DIR);
    if (!QFileInfo(m_root + "/INDEX.tsv").exists())
        QSKIP("The shared RTF corpus is not beside this checkout (../shared/corpus/rtf); nothing to read.");
}

void tst_rtf_corpus::corpusFile_data()
{
    QTest::addColumn<QString>("relative");
    const QString root = QStringLiteral(QUILLET_CORPUS_DIR);
    QStringList files;
    QDirIterator it(root, {QStringLiteral("*.rtf")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(root).relativeFilePath(it.next());
    files.sort();
    for (const QString &f : std::as_const(files))
        QTest::newRow(qPrintable(f)) << f;
}

QStringList tst_rtf_corpus::fragments(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList out;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    for (const QString &line : lines) {
        if (!line.isEmpty())
            out << RtfTestSupport::normalized(line);
    }
    return out;
}

void tst_rtf_corpus::corpusFile()
{
    QFETCH(QString, relative);
    QFile file(m_root + u'/' + relative);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();

    QTextDocument document;
    QElapsedTimer timer;
    timer.start();
    RtfReader::read(bytes, document);
    // A generous bound: this catches hangs, not slowness.
    QVERIFY2(timer.elapsed() < 10000, "reading took more than 10 s");
    ++m_files;

    const QString text = RtfTestSupport::normalized(RtfTestSupport::plainText(document));
    QString base = relative;
    base.chop(4);
    const QString expected = m_root + "/expected-text/" + base.section(u'/', 0, 0) + u'/'
        + base.section(u'/', 1);

    QStringList missing;
    for (const QString &f : fragments(expected + ".contains.txt")) {
        if (!text.contains(f))
            missing << f;
    }
    QVERIFY2(missing.isEmpty(), qPrintable("missing: " + missing.join(" | ") + "\nread: " + text.left(2000)));

    QStringList leaked;
    for (const QString &f : fragments(expected + ".notcontains.txt")) {
        if (text.contains(f))
            leaked << f;
    }
    QVERIFY2(leaked.isEmpty(), qPrintable("must not appear: " + leaked.join(" | ")));

    for (const QString &f : fragments(expected + ".contains-unconfirmed.txt")) {
        ++m_unconfirmedTotal;
        if (text.contains(f))
            ++m_unconfirmedHeld;
        else
            qInfo("unconfirmed fragment not found: %s", qPrintable(f.left(120)));
    }

    // What we write from it must read back to the same text.
    QTextDocument again;
    RtfReader::read(RtfWriter::write(document), again);
    QCOMPARE(RtfTestSupport::plainText(again), RtfTestSupport::plainText(document));
}

void tst_rtf_corpus::cleanupTestCase()
{
    qInfo("corpus: %d files read; unconfirmed fragments held: %d of %d", m_files,
          m_unconfirmedHeld, m_unconfirmedTotal);
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    tst_rtf_corpus test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_rtf_corpus.moc"
