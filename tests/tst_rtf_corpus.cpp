// Reads every RTF file of the corpus: none may crash or hang, the text the
// source projects agree on must be there, and what the writer makes of the
// result must read back to the same document: the same table cells, links,
// pictures, list items, formatted runs, alignments and text.
#include "RtfTestSupport.h"

#include <DocumentFile.h>
#include <DocumentText.h>

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>

using RtfTestSupport::normalized;

class tst_rtf_corpus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void corpusFile_data();
    void corpusFile();
    void cleanupTestCase();

private:
    const QString m_root = QStringLiteral(QUILLET_TEST_DATA "/corpus/rtf");
    int m_unconfirmedTotal = 0;
    int m_unconfirmedHeld = 0;
    qsizetype m_cells = 0, m_links = 0, m_pictures = 0, m_listItems = 0;
};

void tst_rtf_corpus::initTestCase()
{
    // The corpus is part of the repository; without it this test proves nothing.
    QVERIFY2(QFileInfo::exists(m_root + "/INDEX.tsv"), qPrintable("RTF corpus missing: " + m_root));
}

void tst_rtf_corpus::corpusFile_data()
{
    QTest::addColumn<QString>("relative");
    QStringList files;
    QDirIterator it(m_root, {QStringLiteral("*.rtf")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(m_root).relativeFilePath(it.next());
    files.sort();
    for (const QString &f : std::as_const(files))
        QTest::newRow(qPrintable(f)) << f;
}

void tst_rtf_corpus::corpusFile()
{
    QFETCH(QString, relative);
    QFile file(m_root + u'/' + relative);
    QVERIFY(file.open(QIODevice::ReadOnly));

    const QByteArray bytes = file.readAll();
    QTextDocument document;
    DocumentFile::setLeftToRight(document);
    QElapsedTimer timer;
    timer.start();
    RtfReader::read(bytes, document);
    // A generous bound: this catches hangs, not slowness.
    QVERIFY2(timer.elapsed() < 10000, "reading took more than 10 s");

    const QString text = normalized(RtfTestSupport::plainText(document));
    const QString expected = m_root + "/expected-text/" + relative.chopped(4);
    // The fragments of one expectation file that are (or are not) in the text.
    const auto check = [&](const QString &suffix, bool present) {
        QFile list(expected + suffix);
        QStringList out;
        if (list.open(QIODevice::ReadOnly)) {
            for (const QString &line : QString::fromUtf8(list.readAll()).split(u'\n')) {
                if (!line.isEmpty() && text.contains(normalized(line)) == present)
                    out << normalized(line);
            }
        }
        return out;
    };
    const QStringList missing = check(".contains.txt", false);
    QVERIFY2(missing.isEmpty(), qPrintable("missing: " + missing.join(" | ") + "\nread: " + text.left(2000)));
    const QStringList leaked = check(".notcontains.txt", true);
    QVERIFY2(leaked.isEmpty(), qPrintable("must not appear: " + leaked.join(" | ")));
    const QStringList held = check(".contains-unconfirmed.txt", true), notHeld = check(".contains-unconfirmed.txt", false);
    m_unconfirmedHeld += held.size();
    m_unconfirmedTotal += held.size() + notHeld.size();
    for (const QString &f : notHeld)
        qInfo("unconfirmed fragment not found: %s", qPrintable(f.left(120)));

    // Read straight to text, as a conversion to text does, it is what a text
    // save of the document writes.
    QString direct;
    RtfReader::readText(bytes, QStringLiteral("\r\n"), direct);
    QCOMPARE(direct, DocumentText::plain(&document, 0, DocumentText::length(&document), QStringLiteral("\r\n"), true));

    // What we write from it must read back to the same document.
    QTextDocument again;
    RtfReader::read(RtfWriter::write(document), again);
    const RtfTestSupport::Structure read = RtfTestSupport::structureOf(document);
    m_cells += read.cells.size();
    m_links += read.links.size();
    m_pictures += read.pictures.size();
    m_listItems += read.listItems.size();
    const QStringList lost = RtfTestSupport::differences(read, RtfTestSupport::structureOf(again));
    QVERIFY2(lost.isEmpty(), qPrintable("after a save: " + lost.join("; ")));
}

void tst_rtf_corpus::cleanupTestCase()
{
    qInfo("corpus: unconfirmed fragments held: %d of %d", m_unconfirmedHeld, m_unconfirmedTotal);
    qInfo("corpus: kept through a save: %lld table cells, %lld links, %lld pictures, %lld list items",
          qint64(m_cells), qint64(m_links), qint64(m_pictures), qint64(m_listItems));
}

QTEST_MAIN(tst_rtf_corpus)
#include "tst_rtf_corpus.moc"
