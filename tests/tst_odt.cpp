// OpenDocument texts: what the reader makes of each structure as
// LibreOffice writes them, and damaged or hostile packages.

#include "DocxTestSupport.h"
#include "OdtTestSupport.h"

#include <DocumentAssembler.h>
#include <DocxReader.h>
#include <DocxWriter.h>
#include <OdtReader.h>
#include <OdtWriter.h>
#include <ZipReader.h>

#include <QElapsedTimer>


using namespace DocxTestSupport;
using namespace OdtTestSupport;

class tst_odt : public QObject
{
    Q_OBJECT

private slots:
    // Notes, comments and the page's header and footer (with its picture)
    // are written back by an OpenDocument save, however often, and text
    // typed next to a note stays text.
    void keptPartsSurviveASave()
    {
        const QByteArray note = "<text:note text:id=\"ftn1\" text:note-class=\"footnote\"><text:note-citation>1"
                                "</text:note-citation><text:note-body><text:p text:style-name=\"Footnote\">The note"
                                "</text:p></text:note-body></text:note>";
        const QByteArray text = "<text:p>One" + note + " two<office:annotation xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
                                "<dc:creator>A</dc:creator><text:p>Said</text:p></office:annotation></text:p>";
        const QByteArray master = "<style:header><text:p>Head<draw:frame svg:width=\"1in\" svg:height=\"1in\">"
                                  "<draw:image xlink:href=\"Pictures/h.png\"/></draw:frame></text:p></style:header>"
                                  "<style:footer><text:p>Foot</text:p></style:footer>";
        QTextDocument d;
        QVERIFY(OdtReader::read(odt({}, text, {}, master, {{"Pictures/h.png", "fake picture"}}), d).ok);
        QCOMPARE(plainText(d), QString("One1 two\uFFFC"));
        QTextCursor typing(&d);
        typing.setPosition(4);
        typing.insertText(QStringLiteral("X"));

        QByteArray saved;
        for (int round = 0; round < 2; ++round) {
            QTextDocument again;
            if (round > 0)
                QVERIFY(OdtReader::read(saved, again).ok);
            saved = OdtWriter::write(round == 0 ? d : again);
            ZipReader zip(saved);
            const QByteArray content = zip.read("content.xml"), styles = zip.read("styles.xml");
            QCOMPARE(content.count("<text:note-citation>1</text:note-citation>"), 1);
            QVERIFY(content.contains("The note</text:p>"));
            QVERIFY(!content.contains("\"Footnote\""));
            QVERIFY(content.contains("xmlns:dc=\"http://purl.org/dc/elements/1.1/\""));
            QVERIFY(content.contains("<dc:creator>A</dc:creator>"));
            QVERIFY(styles.contains("<style:header><text:p>Head"));
            QVERIFY(styles.contains("<style:footer><text:p>Foot"));
            const QString picture = QString::fromUtf8(styles).section("xlink:href=\"", 1).section('"', 0, 0);
            QCOMPARE(zip.read(picture), QByteArray("fake picture"));
            QVERIFY(zip.read("META-INF/manifest.xml").contains(picture.toUtf8()));
            QTextDocument check;
            const OdtReader::Result r = OdtReader::read(saved, check);
            QVERIFY2(r.ok && !r.incomplete, qPrintable(r.errorText));
            QCOMPARE(plainText(check), QString("One1X two\uFFFC"));
        }
    }
    // A picture outside the package, by URL or by a path from the package's
    // folder, is shown as a frame keeping its link, never fetched; the link
    // goes back through OpenDocument and Word saves.
    void linkedPicturesKeepTheirLinks_data()
    {
        QTest::addColumn<QString>("href");
        QTest::addColumn<QString>("link");     // as kept: relative to the document's folder
        QTest::addColumn<QString>("target");   // as a Word save names it
        QTest::newRow("web") << "http://example.org/logo.png?v=7" << "http://example.org/logo.png?v=7"
                             << "http://example.org/logo.png?v=7";
        QTest::newRow("next to the file") << "../lalune.jpg" << "lalune.jpg" << "lalune.jpg";
        QTest::newRow("folders up") << "../../../lalune.jpg" << "../../lalune.jpg" << "../../lalune.jpg";
        QTest::newRow("absolute path") << "/srv/pictures/a.png" << "/srv/pictures/a.png" << "/srv/pictures/a.png";
    }
    void linkedPicturesKeepTheirLinks()
    {
        QFETCH(QString, href);
        QFETCH(QString, link);
        QFETCH(QString, target);
        const QByteArray text = "<text:p>a<draw:frame svg:width=\"1in\" svg:height=\"0.5in\"><draw:image xlink:href=\""
            + href.toUtf8() + "\" xlink:type=\"simple\"/></draw:frame>b</text:p>";
        const auto check = [&link](const QTextDocument &d) {
            QCOMPARE(d.toPlainText(), QString("a\uFFFCb"));
            QTextCursor c(const_cast<QTextDocument *>(&d));
            c.setPosition(2);
            const QTextCharFormat f = c.charFormat();
            QVERIFY(f.isImageFormat());
            QCOMPARE(f.stringProperty(DocumentAssembler::PictureLink), link);
            QCOMPARE(Twips::fromPixels(f.toImageFormat().width()), 1440);
        };
        QTextDocument d;
        const OdtReader::Result r = OdtReader::read(odt({}, text), d);
        QVERIFY2(r.ok && !r.incomplete, qPrintable(r.errorText));
        check(d);

        const QByteArray saved = OdtWriter::write(d);
        ZipReader zip(saved);
        QVERIFY(zip.read("content.xml").contains("xlink:href=\"" + href.toUtf8() + "\""));
        QVERIFY(!std::any_of(zip.names().cbegin(), zip.names().cend(),
                             [](const QString &n) { return n.startsWith("Pictures/"); }));
        QTextDocument viaOdt;
        QVERIFY(OdtReader::read(saved, viaOdt).ok);
        check(viaOdt);

        const QByteArray docx = DocxWriter::write(d);
        QVERIFY(ZipReader(docx).read("word/_rels/document.xml.rels")
                    .contains("Target=\"" + target.toUtf8() + "\" TargetMode=\"External\""));
        QTextDocument viaDocx;
        QVERIFY(DocxReader::read(docx, viaDocx).ok);
        check(viaDocx);
    }

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

    // Nested lists are the levels of one list, numbered together from their
    // first numbers; a cell's borders are its own side by side. Both stay
    // so through OpenDocument and Word saves.
    void listsAndBordersSurviveASave_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        const QByteArray listStyle =
            "<text:list-style style:name=\"L1\">"
            "<text:list-level-style-number text:level=\"1\" style:num-format=\"1\" style:num-suffix=\".\" text:start-value=\"5\"/>"
            "<text:list-level-style-number text:level=\"2\" style:num-format=\"a\" style:num-suffix=\")\" text:display-levels=\"2\"/>"
            "<text:list-level-style-number text:level=\"3\" style:num-format=\"i\" style:num-prefix=\"(\" style:num-suffix=\")\" "
            "text:start-value=\"2\"/></text:list-style>";
        QTest::newRow("nested lists") << odt(listStyle,
            "<text:list text:style-name=\"L1\"><text:list-item><text:p>five</text:p>"
            "<text:list><text:list-item><text:p>a</text:p></text:list-item><text:list-item><text:p>b</text:p>"
            "<text:list><text:list-item><text:p>ii</text:p></text:list-item></text:list></text:list-item></text:list>"
            "</text:list-item><text:list-item><text:p>six</text:p><text:list><text:list-item><text:p>again</text:p>"
            "</text:list-item></text:list></text:list-item></text:list><text:p>between</text:p>"
            "<text:list text:style-name=\"L1\" text:continue-numbering=\"true\"><text:list-item><text:p>seven</text:p>"
            "</text:list-item></text:list>")
            << "five:5. a:5.a) b:5.b) ii:(ii) six:6. again:6.a) seven:7.";
        QTest::newRow("cell borders on some sides") << odt(
            "<style:style style:name=\"C1\" style:family=\"table-cell\"><style:table-cell-properties "
            "fo:border-left=\"0.5pt solid #000000\" fo:border-bottom=\"1pt double #ff0000\"/></style:style>"
            "<style:style style:name=\"C2\" style:family=\"table-cell\"><style:table-cell-properties "
            "fo:border=\"0.5pt solid #000000\" fo:border-top=\"none\"/></style:style>",
            "<table:table><table:table-column table:number-columns-repeated=\"2\"/><table:table-row>"
            "<table:table-cell table:style-name=\"C1\"><text:p>x</text:p></table:table-cell>"
            "<table:table-cell table:style-name=\"C2\"><text:p>y</text:p></table:table-cell></table:table-row></table:table>")
            << "-LB- -LBR";
    }
    void listsAndBordersSurviveASave()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QTextDocument d;
        const OdtReader::Result r = OdtReader::read(bytes, d);
        QVERIFY2(r.ok, qPrintable(r.errorText));
        QCOMPARE(listsAndBorders(d), expected);
        QTextDocument fromOdt;
        QVERIFY(OdtReader::read(OdtWriter::write(d), fromOdt).ok);
        QCOMPARE(listsAndBorders(fromOdt), expected);
        QTextDocument fromDocx;
        QVERIFY(DocxReader::read(DocxWriter::write(d), fromDocx).ok);
        QCOMPARE(listsAndBorders(fromDocx), expected);
        QTextDocument again;
        QVERIFY(OdtReader::read(OdtWriter::write(fromDocx), again).ok);
        QCOMPARE(listsAndBorders(again), expected);
    }

    // The side a paragraph is drawn on, as LibreOffice shows the file:
    // in a right-to-left paragraph Word's "left" is its start, the right
    // side, while OpenDocument's "start" and "end" are left and right. A
    // save in either format keeps every paragraph on its side.
    void alignmentKeepsItsSide_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("sides");
        QByteArray paras;
        for (const char *jc : {"", "left", "right", "center"})
            for (const char *bidi : {"", "<w:bidi/>"}) {
                const QByteArray j = *jc ? "<w:jc w:val=\"" + QByteArray(jc) + "\"/>" : QByteArray();
                paras += "<w:p><w:pPr>" + QByteArray(bidi) + j + "</w:pPr><w:r><w:t>p</w:t></w:r></w:p>";
            }
        QTest::newRow("Word") << withBody(paras) << "L R L R R L C C";
        QByteArray styles, text;
        int n = 0;
        for (const char *align : {"", "start", "end", "center"})
            for (const char *mode : {"lr-tb", "rl-tb"}) {
                const QByteArray name = "P" + QByteArray::number(++n);
                const QByteArray a = *align ? " fo:text-align=\"" + QByteArray(align) + '"' : QByteArray();
                styles += "<style:style style:name=\"" + name + "\" style:family=\"paragraph\"><style:paragraph-properties"
                          + a + " style:writing-mode=\"" + mode + "\"/></style:style>";
                text += "<text:p text:style-name=\"" + name + "\">p</text:p>";
            }
        QTest::newRow("OpenDocument") << odt(styles, text) << "L R L L R R C C";
    }
    void alignmentKeepsItsSide()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, sides);
        const auto sidesOf = [](const QTextDocument &d) {
            QStringList out;
            for (QTextBlock b = d.begin(); b.isValid(); b = b.next()) {
                const QTextBlockFormat f = b.blockFormat();
                const Qt::Alignment a = f.alignment();
                const bool rtl = f.layoutDirection() == Qt::RightToLeft;
                out << (a & Qt::AlignHCenter ? "C"
                        : bool(a & Qt::AlignRight) != (rtl && !(a & Qt::AlignAbsolute)) ? "R" : "L");
            }
            return out.join(' ');
        };
        QTextDocument d;
        QVERIFY(bytes.startsWith("PK"));
        const bool word = ZipReader(bytes).read("mimetype").isEmpty();
        QVERIFY(word ? DocxReader::read(bytes, d).ok : OdtReader::read(bytes, d).ok);
        QCOMPARE(sidesOf(d), sides);
        QTextDocument fromDocx, fromOdt, twice;
        QVERIFY(DocxReader::read(DocxWriter::write(d), fromDocx).ok);
        QCOMPARE(sidesOf(fromDocx), sides);
        QVERIFY(OdtReader::read(OdtWriter::write(d), fromOdt).ok);
        QCOMPARE(sidesOf(fromOdt), sides);
        QVERIFY(OdtReader::read(OdtWriter::write(fromDocx), twice).ok);
        QCOMPARE(sidesOf(twice), sides);
    }

    // Labels as LibreOffice shows them: an item that sets its own number,
    // a list that continues another by its id, bullets of each level.
    void listLabelsAsLibreOfficeShowsThem_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        const QByteArray numbered = "<text:list-style style:name=\"L1\"><text:list-level-style-number text:level=\"1\" "
                                    "style:num-format=\"1\" style:num-suffix=\".\"/></text:list-style>";
        QTest::newRow("an item's own number") << odt(numbered,
            "<text:list text:style-name=\"L1\"><text:list-item><text:p>one</text:p></text:list-item>"
            "<text:list-item text:start-value=\"7\"><text:p>seven</text:p></text:list-item>"
            "<text:list-item><text:p>eight</text:p></text:list-item></text:list>")
            << "one:1. seven:7. eight:8.";
        QTest::newRow("a list continued by its id") << odt(numbered,
            "<text:list xml:id=\"first\" text:style-name=\"L1\"><text:list-item><text:p>x</text:p></text:list-item>"
            "<text:list-item><text:p>y</text:p></text:list-item></text:list><text:p>between</text:p>"
            "<text:list text:style-name=\"L1\"><text:list-item><text:p>anew</text:p></text:list-item></text:list>"
            "<text:list text:continue-list=\"first\" text:style-name=\"L1\"><text:list-item><text:p>z</text:p></text:list-item>"
            "</text:list>")
            << "x:1. y:2. anew:1. z:3.";
        QTest::newRow("bullets of each level") << odt(
            "<text:list-style style:name=\"B\">"
            "<text:list-level-style-bullet text:level=\"1\" text:bullet-char=\"\u25CF\"/>"
            "<text:list-level-style-bullet text:level=\"2\" text:bullet-char=\"\u25CB\"/>"
            "<text:list-level-style-bullet text:level=\"3\" text:bullet-char=\"\u25A0\"/></text:list-style>",
            "<text:list text:style-name=\"B\"><text:list-item><text:p>one</text:p><text:list><text:list-item>"
            "<text:p>two</text:p><text:list><text:list-item><text:p>three</text:p></text:list-item></text:list>"
            "</text:list-item></text:list></text:list-item></text:list>")
            << QString::fromUtf8("one:• two:◦ three:▪");
    }
    void listLabelsAsLibreOfficeShowsThem()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QTextDocument d;
        const OdtReader::Result r = OdtReader::read(bytes, d);
        QVERIFY2(r.ok && !r.incomplete, qPrintable(r.errorText));
        QCOMPARE(listsAndBorders(d), expected);
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
        // Each row alone is in bounds; together they would be millions of cells.
        QByteArray manyRows = "<table:table>";
        for (int i = 0; i < 10; ++i)
            manyRows += "<table:table-row table:number-rows-repeated=\"1000\"><table:table-cell "
                        "table:number-columns-repeated=\"64\"><text:p>x</text:p></table:table-cell></table:table-row>";
        QTest::newRow("many repeated rows") << odt({}, manyRows + "</table:table>") << true << "cells";
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
