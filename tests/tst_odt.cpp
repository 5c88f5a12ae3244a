// OpenDocument texts: what the reader makes of each structure as
// LibreOffice writes them, and damaged or hostile packages.

#include "DocxTestSupport.h"
#include "OdtTestSupport.h"

#include <DocxReader.h>
#include <OdtReader.h>
#include <OdtWriter.h>

#include <QElapsedTimer>


using namespace DocxTestSupport;
using namespace OdtTestSupport;

class tst_odt : public QObject
{
    Q_OBJECT

private slots:
    // The same document as the Word sample shows the same structures; the
    // page break is a paragraph of its own in both.
    void readsEveryStructure()
    {
        QTextDocument fromOdt, fromDocx;
        const OdtReader::Result r = OdtReader::read(richOdt(), fromOdt);
        QVERIFY2(r.ok && !r.incomplete, qPrintable(r.errorText));
        QVERIFY(DocxReader::read(make(richPackage()), fromDocx).ok);
        QStringList got = structure(fromOdt), expected = structure(fromDocx);
        // Spacing of the heading and the bold run of the sample are Word's own.
        QCOMPARE(got.mid(0, 6), expected.mid(0, 6));
        QCOMPARE(got.mid(7, 6), expected.mid(7, 6));
        QCOMPARE(got.last(), QStringLiteral("page: \\paperw11906\\paperh16838\\margl1440\\margr1440\\margt1440\\margb1440"));
    }

    void spacesCollapseAndStay()
    {
        QTextDocument d;
        QVERIFY(OdtReader::read(odt({}, "<text:p>  two\n   words <text:s text:c=\"3\"/>apart<text:s/></text:p>"), d).ok);
        QCOMPARE(d.toPlainText(), QStringLiteral("two words    apart "));
        QTextDocument back;
        QVERIFY(OdtReader::read(OdtWriter::write(d), back).ok);
        QCOMPARE(back.toPlainText(), d.toPlainText());
    }

    void hostilePackages_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("reason");
        const QByteArray good = richOdt();
        QTest::newRow("cut in half") << good.left(good.size() / 2) << false << "cut short";
        QTest::newRow("entity expansion")
            << odt({}, {}, "<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY a \"aaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>"
                           "<office:document-content " + QByteArray(odfNamespaces()) + "><office:body><office:text>"
                           "<text:p>&b;</text:p></office:text></office:body></office:document-content>")
            << false << "document type declaration";
        QTest::newRow("a million repeated rows")
            << odt({}, "<table:table><table:table-column table:number-columns-repeated=\"1000000\"/>"
                       "<table:table-row table:number-rows-repeated=\"1048576\"><table:table-cell "
                       "table:number-columns-repeated=\"16384\"><text:p>x</text:p></table:table-cell></table:table-row>"
                       "</table:table>")
            << true << "";
        QTest::newRow("zip bomb")
            << odt({}, "<text:p>" + QByteArray(300 * 1024 * 1024, ' ') + "</text:p>") << false << "inflates";
        QTest::newRow("no content") << odt({}, {}, "<x/>") << false << "";
    }
    void hostilePackages()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, opens);
        QFETCH(QString, reason);
        QElapsedTimer timer;
        timer.start();
        QTextDocument d;
        const OdtReader::Result r = OdtReader::read(bytes, d);
        // A guard against a hang only; the speed is the benchmarks' business.
        QVERIFY2(timer.elapsed() < 30000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(r.ok, opens);
        QVERIFY2(r.errorText.contains(reason), qPrintable(r.errorText));
    }
};

QTEST_MAIN(tst_odt)
#include "tst_odt.moc"
