// Word documents: what the reader makes of each structure, what survives a
// save and a second read, and hostile packages refused or read within limits.

#include "DocxTestSupport.h"
#include "RtfTestSupport.h"

#include <DocumentAssembler.h>
#include <DocumentFile.h>
#include <DocumentText.h>
#include <DocxReader.h>
#include <DocxWriter.h>
#include <OdtReader.h>
#include <OdtWriter.h>
#include <ListLabel.h>
#include <ZipReader.h>

#include <QBuffer>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextFrame>

using namespace DocxTestSupport;
using RtfTestSupport::plainText;

namespace {
DocxReader::Result readDocx(const QByteArray &bytes, QTextDocument &d)
{
    return DocxReader::read(bytes, d);
}
}

class tst_docx : public QObject
{
    Q_OBJECT

private slots:
    void readsEveryStructure()
    {
        QTextDocument d;
        const DocxReader::Result r = readDocx(make(richPackage()), d);
        QVERIFY2(r.ok && !r.incomplete, qPrintable(r.errorText));
        const QStringList expected = {
            QString::fromUtf8("text: Title Hello bold red & 2link first sub second dot AB C a b inner שלום 東京 tab line page"),
            "bold: 1 1",
            "red: 1 1 #ff0000 #ffff00 14 Georgia",
            QStringLiteral("super: %1").arg(int(QTextCharFormat::AlignSuperScript)),
            "link: https://example.org/a?b=1&c=2",
            QStringLiteral("para: %1 1440 720 360 120 240").arg(int(Qt::AlignHCenter)),
            "heading: 1 16 #2e74b5",
            QString::fromUtf8("labels: 1. 1.a) 2. \u2022"),
            "list indent: 1440",
            "table: 2x3 AB span 2 C rows 2 shade #ffff00 inner 1",
            "border: 1",
            QStringLiteral("rtl: %1").arg(int(Qt::RightToLeft)),
            "page break: 1",
            "page: \\paperw11906\\paperh16838\\margl1300\\margr1100\\margt1000\\margb1200",
        };
        QCOMPARE(structure(d), expected);
    }

    // Saved and read again, Word, Rich Text or both ways, every structure
    // is still there.
    void structuresSurviveASave_data()
    {
        QTest::addColumn<QStringList>("route");
        QTest::newRow("docx") << QStringList{"docx"};
        QTest::newRow("docx, docx") << QStringList{"docx", "docx"};
        QTest::newRow("rtf, docx") << QStringList{"rtf", "docx"};
        QTest::newRow("docx, rtf") << QStringList{"docx", "rtf"};
        QTest::newRow("odt") << QStringList{"odt"};
        QTest::newRow("odt, docx, odt") << QStringList{"odt", "docx", "odt"};
    }
    void structuresSurviveASave()
    {
        QFETCH(QStringList, route);
        QTextDocument first;
        QVERIFY(readDocx(make(richPackage()), first).ok);
        const QStringList expected = structure(first);
        std::unique_ptr<QTextDocument> current(first.clone());
        for (const QString &format : route) {
            auto next = std::make_unique<QTextDocument>();
            if (format == QLatin1String("docx")) {
                QString error;
                const QByteArray bytes = DocxWriter::write(*current, &error);
                QVERIFY2(!bytes.isEmpty(), qPrintable(error));
                const DocxReader::Result r = readDocx(bytes, *next);
                QVERIFY2(r.ok && !r.incomplete, qPrintable(r.errorText));
            } else if (format == QLatin1String("odt")) {
                QString error;
                const QByteArray bytes = OdtWriter::write(*current, &error);
                QVERIFY2(!bytes.isEmpty(), qPrintable(error));
                const OdtReader::Result r = OdtReader::read(bytes, *next);
                QVERIFY2(r.ok && !r.incomplete, qPrintable(r.errorText));
            } else {
                QVERIFY(RtfReader::read(RtfWriter::write(*current), *next).ok);
            }
            current = std::move(next);
        }
        QStringList got = structure(*current);
        // Qt's clone drops the root frame's properties in the Rich Text route only.
        QCOMPARE(got, expected);
    }

    // Lists that start past 1 or have several levels, and borders on some
    // sides only, read as written and kept through Word and OpenDocument
    // saves; the levels of one list stay one list of many levels.
    void listsAndBordersSurviveASave_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("abstractLists");   // in the saved numbering part
        const auto item = [](const char *word, int numId, int level) {
            return QByteArray("<w:p><w:pPr><w:numPr><w:ilvl w:val=\"") + QByteArray::number(level)
                + "\"/><w:numId w:val=\"" + QByteArray::number(numId) + "\"/></w:numPr></w:pPr><w:r><w:t>" + word
                + "</w:t></w:r></w:p>";
        };
        const QByteArray levels =
            "<w:abstractNum w:abstractNumId=\"5\">"
            "<w:lvl w:ilvl=\"0\"><w:start w:val=\"3\"/><w:numFmt w:val=\"decimal\"/><w:lvlText w:val=\"%1.\"/></w:lvl>"
            "<w:lvl w:ilvl=\"1\"><w:numFmt w:val=\"lowerLetter\"/><w:lvlText w:val=\"%1.%2)\"/></w:lvl>"
            "<w:lvl w:ilvl=\"2\"><w:start w:val=\"4\"/><w:numFmt w:val=\"upperRoman\"/><w:lvlText w:val=\"[%3]\"/></w:lvl>"
            "</w:abstractNum><w:num w:numId=\"7\"><w:abstractNumId w:val=\"5\"/></w:num>"
            "<w:num w:numId=\"8\"><w:abstractNumId w:val=\"5\"/><w:lvlOverride w:ilvl=\"0\"><w:startOverride w:val=\"10\"/>"
            "</w:lvlOverride></w:num>";
        Package starts;
        starts.numbering = levels;
        starts.body = item("three", 7, 0) + item("four", 7, 0) + item("ten", 8, 0);
        QTest::newRow("first numbers past 1") << make(starts) << "three:3. four:4. ten:10." << 2;
        Package nested;
        nested.numbering = levels;
        nested.body = item("one", 7, 0) + item("a", 7, 1) + item("b", 7, 1) + item("deep", 7, 2) + item("two", 7, 0)
            + item("again", 7, 1) + item("deeper", 7, 2);
        QTest::newRow("three levels") << make(nested) << "one:3. a:3.a) b:3.b) deep:[IV] two:4. again:4.a) deeper:[IV]" << 1;
        const auto table = [](const QByteArray &tableBorders, const QByteArray &firstCell) {
            Package p;
            p.body = "<w:tbl><w:tblPr><w:tblBorders>" + tableBorders + "</w:tblBorders></w:tblPr>"
                     "<w:tblGrid><w:gridCol w:w=\"2000\"/><w:gridCol w:w=\"2000\"/></w:tblGrid>"
                     "<w:tr><w:tc><w:tcPr><w:tcBorders>" + firstCell + "</w:tcBorders></w:tcPr><w:p/></w:tc>"
                     "<w:tc><w:p/></w:tc></w:tr><w:tr><w:tc><w:p/></w:tc><w:tc><w:p/></w:tc></w:tr></w:tbl><w:p/>";
            return make(p);
        };
        const QByteArray single = " w:val=\"single\" w:sz=\"8\" w:color=\"000000\"/>";
        QTest::newRow("table: top and bottom only")
            << table("<w:top" + single + "<w:bottom" + single + "<w:left w:val=\"nil\"/>", {})
            << "T--- T--- --B- --B-" << 0;
        QTest::newRow("table: lines between rows only")
            << table("<w:insideH" + single, {}) << "--B- --B- T--- T---" << 0;
        QTest::newRow("cell: own sides over the table's")
            << table("<w:top" + single + "<w:left" + single + "<w:bottom" + single + "<w:right" + single + "<w:insideH"
                         + single + "<w:insideV" + single,
                     "<w:top w:val=\"nil\"/><w:right w:val=\"none\"/>")
            << "-LB- TLBR TLBR TLBR" << 0;
    }
    void listsAndBordersSurviveASave()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QFETCH(int, abstractLists);
        QTextDocument d;
        const DocxReader::Result r = readDocx(bytes, d);
        QVERIFY2(r.ok, qPrintable(r.errorText));
        QCOMPARE(listsAndBorders(d), expected);

        const QByteArray docx = DocxWriter::write(d);
        ZipReader zip(docx);
        const QByteArray numbering = zip.read(QStringLiteral("word/numbering.xml"));
        QCOMPARE(int(numbering.count("<w:abstractNum ")), abstractLists);
        QTextDocument fromDocx;
        QVERIFY(readDocx(docx, fromDocx).ok);
        QCOMPARE(listsAndBorders(fromDocx), expected);

        QTextDocument fromOdt;
        QVERIFY(OdtReader::read(OdtWriter::write(d), fromOdt).ok);
        QCOMPARE(listsAndBorders(fromOdt), expected);
        QTextDocument again;
        QVERIFY(readDocx(DocxWriter::write(fromOdt), again).ok);
        QCOMPARE(listsAndBorders(again), expected);
    }

    void picturesAreShownAndKept()
    {
        QImage image(4, 3, QImage::Format_RGB32);
        image.fill(Qt::red);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        Package p;
        p.relations = R"x(<Relationship Id="rIdImg" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/image" Target="media/pic.png"/>)x";
        p.extra = {{QStringLiteral("word/media/pic.png"), png}};
        p.body = R"x(<w:p><w:r><w:t>before</w:t></w:r><w:r><w:drawing><wp:inline><wp:extent cx="914400" cy="457200"/>
<a:graphic><a:graphicData><pic:pic><pic:blipFill><a:blip r:embed="rIdImg"/></pic:blipFill></pic:pic></a:graphicData></a:graphic>
</wp:inline></w:drawing></w:r><w:r><w:t>after</w:t></w:r></w:p>)x";
        for (int round = 0; round < 2; ++round) {
            QTextDocument d;
            const QByteArray bytes = round == 0 ? make(p) : [&] {
                QTextDocument first;
                readDocx(make(p), first);
                return DocxWriter::write(first);
            }();
            QVERIFY(readDocx(bytes, d).ok);
            const QTextCharFormat f = formatAt(d, QString(QChar::ObjectReplacementCharacter));
            QVERIFY(f.isImageFormat());
            const QTextImageFormat img = f.toImageFormat();
            QCOMPARE(Twips::fromPixels(img.width()), 1440);
            QCOMPARE(Twips::fromPixels(img.height()), 720);
            QCOMPARE(d.resource(QTextDocument::ImageResource, QUrl(img.name())).value<QImage>().size(), QSize(4, 3));
            QCOMPARE(d.resource(QTextDocument::ImageResource,
                                QUrl(img.stringProperty(RtfProperties::PictureData))).toByteArray(), png);
        }
    }

    // A picture kept outside the package (r:link) is shown as a frame and
    // goes back as the same link, never fetched: through Word and
    // OpenDocument saves, a relative link staying relative to the folder.
    void linkedPicturesKeepTheirLinks_data()
    {
        QTest::addColumn<QByteArray>("blip");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("link");
        QTest::newRow("relative") << QByteArray("r:link=\"rIdL\"") << "pics/tiny.png" << "pics/tiny.png";
        QTest::newRow("web") << QByteArray("r:link=\"rIdL\"") << "http://example.org/a.png?v=1&amp;w=2"
                             << "http://example.org/a.png?v=1&w=2";
        QTest::newRow("file URL") << QByteArray("r:link=\"rIdL\"") << "file://localhost/Users/x/monty.png"
                                  << "file://localhost/Users/x/monty.png";
        // An embedded picture whose part is gone falls back on its link.
        QTest::newRow("embed missing, link kept") << QByteArray("r:embed=\"rIdGone\" r:link=\"rIdL\"") << "../up.jpeg"
                                                 << "../up.jpeg";
    }
    void linkedPicturesKeepTheirLinks()
    {
        QFETCH(QByteArray, blip);
        QFETCH(QString, target);
        QFETCH(QString, link);
        Package p;
        p.relations = "<Relationship Id=\"rIdL\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                      "relationships/image\" Target=\"" + target.toUtf8() + "\" TargetMode=\"External\"/>"
                      "<Relationship Id=\"rIdGone\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                      "relationships/image\" Target=\"media/gone.png\"/>";
        p.body = "<w:p><w:r><w:t>a</w:t></w:r><w:r><w:drawing><wp:inline><wp:extent cx=\"914400\" cy=\"457200\"/>"
                 "<a:graphic><a:graphicData><pic:pic><pic:blipFill><a:blip " + blip + "/></pic:blipFill></pic:pic>"
                 "</a:graphicData></a:graphic></wp:inline></w:drawing></w:r><w:r><w:t>b</w:t></w:r></w:p>";
        const auto check = [&link](const QTextDocument &d, const char *what) {
            const QTextCharFormat f = formatAt(d, QString(QChar::ObjectReplacementCharacter));
            QVERIFY2(f.isImageFormat(), what);
            QCOMPARE(f.stringProperty(DocumentAssembler::PictureLink), link);
            QCOMPARE(Twips::fromPixels(f.toImageFormat().width()), 1440);
            QCOMPARE(Twips::fromPixels(f.toImageFormat().height()), 720);
            QVERIFY(!d.resource(QTextDocument::ImageResource, QUrl(f.toImageFormat().name())).value<QImage>().isNull());
            QCOMPARE(plainText(d), QString("a\uFFFCb"));
        };
        QTextDocument d;
        QVERIFY(readDocx(make(p), d).ok);
        check(d, "read");

        const QByteArray docx = DocxWriter::write(d);
        ZipReader zip(docx);
        const QString rels = QString::fromUtf8(zip.read("word/_rels/document.xml.rels"));
        QVERIFY2(rels.contains("Target=\"" + link.toHtmlEscaped() + "\" TargetMode=\"External\""), qPrintable(rels));
        QVERIFY(zip.read("word/document.xml").contains("r:link=\""));
        // Nothing stands in for the picture in the package.
        QVERIFY(!std::any_of(zip.names().cbegin(), zip.names().cend(),
                             [](const QString &n) { return n.startsWith("word/media/"); }));
        QTextDocument viaDocx;
        QVERIFY(readDocx(docx, viaDocx).ok);
        check(viaDocx, "Word save");

        const QByteArray odt = OdtWriter::write(d);
        const QByteArray content = ZipReader(odt).read("content.xml");
        const QString href = DocumentAssembler::relativeLink(link) ? "../" + link : link;
        QVERIFY2(content.contains("xlink:href=\"" + href.toHtmlEscaped().toUtf8() + "\""), content.constData());
        QTextDocument viaOdt;
        QVERIFY(OdtReader::read(odt, viaOdt).ok);
        check(viaOdt, "OpenDocument save");
        QTextDocument back;
        QVERIFY(readDocx(DocxWriter::write(viaOdt), back).ok);
        check(back, "OpenDocument then Word");
    }

    // What the window does not show is written back by a Word save: headers
    // and footers (one inherited from an earlier section), notes, comments
    // and a text box, with the parts and pictures they refer to.
    void keptPartsSurviveASave()
    {
        const QByteArray ns = namespaces();
        const QByteArray wps = "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" "
                               "xmlns:wps=\"http://schemas.microsoft.com/office/word/2010/wordprocessingShape\"";
        const QByteArray header = "<?xml version=\"1.0\"?><w:hdr " + ns + "><w:p><w:r><w:t>Head</w:t></w:r>"
            "<w:r><w:drawing><wp:inline><a:graphic><a:graphicData><pic:pic><pic:blipFill><a:blip r:embed=\"rId1\"/>"
            "</pic:blipFill></pic:pic></a:graphicData></a:graphic></wp:inline></w:drawing></w:r></w:p></w:hdr>";
        const QByteArray notes = "<?xml version=\"1.0\"?><w:footnotes " + ns + "><w:footnote w:id=\"2\"><w:p><w:r>"
            "<w:t>The note</w:t></w:r></w:p></w:footnote></w:footnotes>";
        const QByteArray type = "application/vnd.openxmlformats-officedocument.wordprocessingml.";
        Package p;
        p.document = "<?xml version=\"1.0\"?><w:document " + ns + " " + wps + "><w:body>"
            "<w:p><w:pPr><w:sectPr><w:headerReference w:type=\"default\" r:id=\"rIdH\"/></w:sectPr></w:pPr>"
            "<w:r><w:t>One</w:t></w:r><w:r><w:footnoteReference w:id=\"2\"/></w:r><w:r><w:t> two</w:t></w:r>"
            "<w:r><w:commentReference w:id=\"0\"/></w:r></w:p>"
            "<w:p><w:r><mc:AlternateContent><mc:Choice Requires=\"wps\"><w:drawing><wp:anchor><a:graphic><a:graphicData>"
            "<wps:wsp><wps:txbx><w:txbxContent><w:p><w:r><w:t>Boxed</w:t></w:r></w:p></w:txbxContent></wps:txbx>"
            "</wps:wsp></a:graphicData></a:graphic></wp:anchor></w:drawing></mc:Choice><mc:Fallback/></mc:AlternateContent>"
            "</w:r><w:r><w:t>three</w:t></w:r></w:p>"
            "<w:sectPr><w:footerReference w:type=\"first\" r:id=\"rIdF\"/><w:titlePg/></w:sectPr></w:body></w:document>";
        p.relations = "<Relationship Id=\"rIdH\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/header\" Target=\"header1.xml\"/>"
            "<Relationship Id=\"rIdF\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/footer\" Target=\"footer1.xml\"/>"
            "<Relationship Id=\"rIdN\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/footnotes\" Target=\"footnotes.xml\"/>"
            "<Relationship Id=\"rIdC\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/comments\" Target=\"comments.xml\"/>";
        p.types = "<Override PartName=\"/word/header1.xml\" ContentType=\"" + type + "header+xml\"/>"
            "<Override PartName=\"/word/footer1.xml\" ContentType=\"" + type + "footer+xml\"/>"
            "<Override PartName=\"/word/footnotes.xml\" ContentType=\"" + type + "footnotes+xml\"/>"
            "<Override PartName=\"/word/comments.xml\" ContentType=\"" + type + "comments+xml\"/>"
            "<Default Extension=\"png\" ContentType=\"image/png\"/>";
        p.extra = {{"word/header1.xml", header},
                   {"word/_rels/header1.xml.rels", "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/image\" Target=\"media/image1.png\"/></Relationships>"},
                   {"word/media/image1.png", "not really a png"},
                   {"word/footer1.xml", "<?xml version=\"1.0\"?><w:ftr " + ns + "><w:p><w:r><w:t>Foot</w:t></w:r></w:p></w:ftr>"},
                   {"word/footnotes.xml", notes},
                   {"word/comments.xml", "<?xml version=\"1.0\"?><w:comments " + ns + "><w:comment w:id=\"0\" w:author=\"A\"><w:p><w:r><w:t>Said</w:t></w:r></w:p></w:comment></w:comments>"}};

        QTextDocument d;
        QVERIFY(readDocx(make(p), d).ok);
        QCOMPARE(plainText(d), QString("One1 two\uFFFC\n\uFFFCthree"));
        // A text save has no use for the kept elements' placeholders.
        QCOMPARE(DocumentText::plain(&d, 0, DocumentText::length(&d), "\n", true), QString("One1 two\nthree"));
        // Typing just after the note's number takes on its format.
        QTextCursor typing(&d);
        typing.setPosition(4);
        typing.insertText(QStringLiteral("X"));

        QByteArray saved = make(p);
        for (int round = 0; round < 2; ++round) {
            QTextDocument in;
            QVERIFY(readDocx(saved, in).ok);
            saved = DocxWriter::write(round == 0 ? d : in);
            ZipReader zip(saved);
            QVERIFY(zip.isOpen());
            QHash<QString, QByteArray> parts;
            for (const QString &name : zip.names())
                parts.insert(name, zip.read(name));
            const auto holding = [&parts](const QByteArray &what) {
                QStringList names;
                for (auto it = parts.cbegin(); it != parts.cend(); ++it)
                    if (it->contains(what))
                        names << it.key();
                return names;
            };
            QCOMPARE(holding(header).size(), 1);
            QCOMPARE(holding(notes).size(), 1);
            QCOMPARE(holding("not really a png").size(), 1);
            QCOMPARE(holding("<w:t>Said</w:t>").size(), 1);
            const QByteArray body = parts.value("word/document.xml");
            QCOMPARE(body.count("<w:footnoteReference w:id=\"2\"/>"), 1);
            QCOMPARE(body.count("<w:commentReference w:id=\"0\"/>"), 1);
            QVERIFY(body.contains("Requires=\"wps\""));
            QVERIFY(body.contains("xmlns:wps="));
            QVERIFY(body.contains("<w:t>Boxed</w:t>"));
            QVERIFY(body.contains("<w:titlePg/>"));
            QCOMPARE(body.count("X</w:t>"), 1);
            // Every reference names a relationship to the part it had.
            const QByteArray rels = parts.value("word/_rels/document.xml.rels");
            for (const auto &[element, part] : {std::pair{"headerReference w:type=\"default\"", header},
                                                std::pair{"footerReference w:type=\"first\"", QByteArray("<w:t>Foot</w:t>")}}) {
                const qsizetype at = body.indexOf(element);
                QVERIFY2(at >= 0, element);
                const QString id = QString::fromUtf8(body.mid(at)).section('"', 3, 3);
                const qsizetype rel = rels.indexOf("Id=\"" + id.toUtf8() + "\"");
                QVERIFY(rel >= 0);
                const QString target = QString::fromUtf8(rels.mid(rel)).section("Target=\"", 1).section('"', 0, 0);
                QVERIFY(parts.value("word/" + target).contains(part));
                QVERIFY(parts.value("[Content_Types].xml").contains("/word/" + target.toUtf8()));
            }
            QTextDocument again;
            const DocxReader::Result r = readDocx(saved, again);
            QVERIFY2(r.ok && !r.incomplete, qPrintable(r.errorText));
            QCOMPARE(plainText(again), QString("One1X two\uFFFC\n\uFFFCthree"));
        }
    }

    // Runs in other forms: text under a phonetic guide shows its base text
    // and keeps the guide for a Word save; a symbol keeps its own code, in
    // its font.
    void otherRunForms_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("font");       // of the last character
        QTest::addColumn<QByteArray>("saved");   // in the saved document part
        QTest::newRow("ruby: base text shown, guide kept")
            << QByteArray("<w:p><w:r><w:t>in </w:t></w:r><w:r><w:ruby><w:rubyPr><w:hps w:val=\"11\"/></w:rubyPr>"
                          "<w:rt><w:r><w:t>とうきょう</w:t></w:r></w:rt><w:rubyBase><w:r><w:rPr><w:rFonts w:ascii=\"MS Mincho\"/>"
                          "</w:rPr><w:t>東京</w:t></w:r></w:rubyBase></w:ruby></w:r></w:p>")
            << QString::fromUtf8("in 東京") << "MS Mincho" << QByteArray("とうきょう");
        QTest::newRow("ruby without base text") << QByteArray("<w:p><w:r><w:t>x</w:t><w:ruby><w:rt><w:r><w:t>y</w:t></w:r></w:rt>"
                                                              "</w:ruby></w:r></w:p>")
                                                << "x" << "" << QByteArray("<w:t xml:space=\"preserve\">x</w:t>");
        QTest::newRow("symbol font's own code")
            << QByteArray("<w:p><w:r><w:t>a</w:t></w:r><w:r><w:sym w:font=\"Symbol\" w:char=\"F0DA\"/></w:r></w:p>")
            << QString::fromUtf8("a\uF0DA") << "Symbol" << QByteArray("Symbol");
        QTest::newRow("symbol below the private codes")
            << QByteArray("<w:p><w:r><w:sym w:font=\"Symbol\" w:char=\"00DA\"/></w:r></w:p>") << QString::fromUtf8("Ú")
            << "Symbol" << QByteArray("Ú");
        QTest::newRow("symbol that is no character") << QByteArray("<w:p><w:r><w:t>b</w:t><w:sym w:char=\"0007\"/></w:r></w:p>")
                                                     << "b" << "" << QByteArray("b");
    }
    void otherRunForms()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, text);
        QFETCH(QString, font);
        QFETCH(QByteArray, saved);
        QTextDocument d;
        const DocxReader::Result r = readDocx(withBody(body), d);
        QVERIFY2(r.ok && !r.incomplete, qPrintable(r.errorText));
        QCOMPARE(plainText(d), text);
        if (!font.isEmpty()) {
            QTextCursor c(&d);
            c.movePosition(QTextCursor::End);
            QCOMPARE(c.charFormat().fontFamilies().toStringList().value(0), font);
        }
        const QByteArray docx = DocxWriter::write(d);
        ZipReader zip(docx);
        const QByteArray part = zip.read(QStringLiteral("word/document.xml"));
        QVERIFY2(part.contains(saved), part.constData());
        QTextDocument again;
        QVERIFY(readDocx(docx, again).ok);
        QCOMPARE(plainText(again), text);
    }

    // Labels as Word shows them: letters through a numbering style, lists of
    // one definition counting on from each other (one that sets its first
    // number starts there where it is first used), labels of right-to-left
    // paragraphs in their logical order, Chinese counting, and plain
    // bullets changing with the level.
    void listLabelsAsWordShowsThem_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        const auto item = [](const char *word, int numId, int level, const char *more = "") {
            return QByteArray("<w:p><w:pPr>") + more + "<w:numPr><w:ilvl w:val=\"" + QByteArray::number(level)
                + "\"/><w:numId w:val=\"" + QByteArray::number(numId) + "\"/></w:numPr></w:pPr><w:r><w:t>" + word
                + "</w:t></w:r></w:p>";
        };
        const auto level = [](int ilvl, const char *format, const char *text, int start = 1) {
            return QByteArray("<w:lvl w:ilvl=\"") + QByteArray::number(ilvl) + "\"><w:start w:val=\"" + QByteArray::number(start)
                + "\"/><w:numFmt w:val=\"" + format + "\"/><w:lvlText w:val=\"" + text + "\"/></w:lvl>";
        };
        {
            Package p;
            p.styles = "<w:style w:type=\"numbering\" w:styleId=\"Lettered\"><w:name w:val=\"Lettered\"/>"
                       "<w:pPr><w:numPr><w:numId w:val=\"1\"/></w:numPr></w:pPr></w:style>";
            p.numbering = "<w:abstractNum w:abstractNumId=\"0\"><w:numStyleLink w:val=\"Lettered\"/></w:abstractNum>"
                          "<w:abstractNum w:abstractNumId=\"1\"><w:styleLink w:val=\"Lettered\"/>"
                          + level(0, "upperLetter", "%1.") + "</w:abstractNum>"
                          "<w:num w:numId=\"1\"><w:abstractNumId w:val=\"1\"/></w:num>"
                          "<w:num w:numId=\"2\"><w:abstractNumId w:val=\"0\"/></w:num>";
            p.body = item("x", 2, 0) + item("y", 2, 0);
            QTest::newRow("letters through a numbering style") << make(p) << "x:A. y:B.";
        }
        {
            Package p;
            p.numbering = "<w:abstractNum w:abstractNumId=\"5\">" + level(0, "decimal", "%1.") + "</w:abstractNum>"
                          "<w:num w:numId=\"1\"><w:abstractNumId w:val=\"5\"/></w:num>"
                          "<w:num w:numId=\"2\"><w:abstractNumId w:val=\"5\"/></w:num>"
                          "<w:num w:numId=\"3\"><w:abstractNumId w:val=\"5\"/><w:lvlOverride w:ilvl=\"0\">"
                          "<w:startOverride w:val=\"1\"/></w:lvlOverride></w:num>";
            p.body = item("a", 1, 0) + item("b", 1, 0) + item("c", 2, 0) + item("d", 3, 0) + item("e", 1, 0) + item("f", 3, 0);
            QTest::newRow("one definition counts on, a set first number restarts") << make(p) << "a:1. b:2. c:3. d:1. e:2. f:3.";
        }
        {
            Package p;
            p.numbering = "<w:abstractNum w:abstractNumId=\"1\">" + level(0, "decimal", "%1.") + level(1, "decimal", "%1.%2.")
                          + "</w:abstractNum><w:num w:numId=\"1\"><w:abstractNumId w:val=\"1\"/></w:num>";
            p.body = item("one", 1, 0, "<w:bidi/>") + item("two", 1, 0, "<w:bidi/>") + item("a", 1, 1, "<w:bidi/>")
                     + item("b", 1, 1, "<w:bidi/>");
            QTest::newRow("right-to-left levels") << make(p) << "one:1. two:2. a:2.1. b:2.2.";
        }
        {
            Package p;
            p.numbering = "<w:abstractNum w:abstractNumId=\"1\">" + level(0, "chineseCounting", "%1、", 9)
                          + level(1, "decimal", "%1-%2") + "</w:abstractNum><w:num w:numId=\"1\"><w:abstractNumId w:val=\"1\"/></w:num>";
            p.body = item("nine", 1, 0) + item("ten", 1, 0) + item("sub", 1, 1) + item("eleven", 1, 0);
            QTest::newRow("Chinese counting") << make(p) << QString::fromUtf8("nine:九、 ten:十、 sub:十-1 eleven:十一、");
        }
        {
            Package p;
            p.numbering = "<w:abstractNum w:abstractNumId=\"1\">" + level(0, "bullet", "\xEF\x82\xB7") + level(1, "bullet", "-")
                          + level(2, "bullet", "\xEF\x82\xB7") + level(3, "bullet", "\xEF\x82\xB7")
                          + "</w:abstractNum><w:num w:numId=\"1\"><w:abstractNumId w:val=\"1\"/></w:num>";
            p.body = item("one", 1, 0) + item("two", 1, 1) + item("three", 1, 2) + item("four", 1, 3);
            QTest::newRow("bullets by level") << make(p) << QString::fromUtf8("one:• two:◦ three:▪ four:•");
        }
    }
    void listLabelsAsWordShowsThem()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QTextDocument d;
        const DocxReader::Result r = readDocx(bytes, d);
        QVERIFY2(r.ok && !r.incomplete, qPrintable(r.errorText));
        QCOMPARE(listsAndBorders(d), expected);
        QTextDocument again;
        QVERIFY(readDocx(DocxWriter::write(d), again).ok);
        QCOMPARE(listsAndBorders(again), expected);
    }

    void chineseCounting_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("expected");
        const std::pair<int, const char *> cases[] = {
            {1, "一"}, {10, "十"}, {11, "十一"}, {20, "二十"}, {101, "一百零一"}, {110, "一百一十"}, {1000, "一千"},
            {1010, "一千零一十"}, {2001, "二千零一"}, {10005, "一万零五"}, {10010, "一万零一十"},
            {123456, "十二万三千四百五十六"}, {100000, "十万"}, {0, "零"}};
        for (const auto &[n, text] : cases)
            QTest::newRow(text) << n << QString::fromUtf8(text);
    }
    void chineseCounting()
    {
        QFETCH(int, n);
        QFETCH(QString, expected);
        QCOMPARE(ListLabel::number(QTextListFormat::ListDecimal, n, QStringLiteral("chineseCounting")), expected);
    }

    // An OpenDocument save writes a Word file's notes and comments as its
    // own, with their text and links; a second save keeps them.
    void notesAndCommentsGoToOpenDocument()
    {
        const QByteArray ns = namespaces();
        const QByteArray type = "application/vnd.openxmlformats-officedocument.wordprocessingml.";
        const QByteArray relBase = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
        Package p;
        p.body = "<w:p><w:r><w:t>One</w:t></w:r><w:r><w:footnoteReference w:id=\"2\"/></w:r><w:r><w:t> two</w:t></w:r>"
                 "<w:r><w:endnoteReference w:id=\"1\"/></w:r><w:r><w:commentReference w:id=\"0\"/></w:r>"
                 "<w:r><w:footnoteReference w:id=\"9\"/></w:r></w:p>";
        p.relations = "<Relationship Id=\"rIdN\" Type=\"" + relBase + "footnotes\" Target=\"footnotes.xml\"/>"
                      "<Relationship Id=\"rIdE\" Type=\"" + relBase + "endnotes\" Target=\"endnotes.xml\"/>"
                      "<Relationship Id=\"rIdC\" Type=\"" + relBase + "comments\" Target=\"comments.xml\"/>";
        p.types = "<Override PartName=\"/word/footnotes.xml\" ContentType=\"" + type + "footnotes+xml\"/>"
                  "<Override PartName=\"/word/endnotes.xml\" ContentType=\"" + type + "endnotes+xml\"/>"
                  "<Override PartName=\"/word/comments.xml\" ContentType=\"" + type + "comments+xml\"/>";
        p.extra = {{"word/footnotes.xml", "<?xml version=\"1.0\"?><w:footnotes " + ns + "><w:footnote w:id=\"0\" "
                    "w:type=\"separator\"><w:p><w:r><w:separator/></w:r></w:p></w:footnote><w:footnote w:id=\"2\"><w:p>"
                    "<w:r><w:footnoteRef/></w:r><w:r><w:t xml:space=\"preserve\"> See  </w:t></w:r><w:hyperlink r:id=\"rId1\">"
                    "<w:r><w:t>there</w:t></w:r></w:hyperlink><w:r><w:tab/><w:t>&amp; more</w:t></w:r></w:p>"
                    "<w:p><w:r><w:t>second</w:t></w:r></w:p></w:footnote></w:footnotes>"},
                   {"word/_rels/footnotes.xml.rels", "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas."
                    "openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" Type=\"" + relBase
                    + "hyperlink\" Target=\"http://example.org/x?a=1&amp;b=2\" TargetMode=\"External\"/></Relationships>"},
                   {"word/endnotes.xml", "<?xml version=\"1.0\"?><w:endnotes " + ns + "><w:endnote w:id=\"1\"><w:p><w:r>"
                    "<w:t>The end</w:t></w:r></w:p></w:endnote></w:endnotes>"},
                   {"word/comments.xml", "<?xml version=\"1.0\"?><w:comments " + ns + "><w:comment w:id=\"0\" w:author=\"A&lt;B\" "
                    "w:date=\"2025-06-07T11:20:00Z\"><w:p><w:r><w:t>Said</w:t></w:r></w:p></w:comment></w:comments>"}};
        QTextDocument d;
        QVERIFY(readDocx(make(p), d).ok);
        QByteArray odt = OdtWriter::write(d);
        for (int round = 0; round < 2; ++round) {
            const QByteArray content = ZipReader(odt).read("content.xml");
            QVERIFY2(content.contains("text:note-class=\"footnote\"><text:note-citation>1</text:note-citation><text:note-body>"
                                      "<text:p><text:s/>See <text:s/><text:a xlink:type=\"simple\" "
                                      "xlink:href=\"http://example.org/x?a=1&amp;b=2\">there</text:a><text:tab/>&amp; more</text:p><text:p>second</text:p></text:note-body></text:note>"),
                     content.constData());
            QVERIFY2(content.contains("text:note-class=\"endnote\"><text:note-citation>i</text:note-citation>"
                                     "<text:note-body><text:p>The end</text:p></text:note-body></text:note>"), content.constData());
            QVERIFY(content.contains("<dc:creator>A&lt;B</dc:creator><dc:date>2025-06-07T11:20:00Z</dc:date>"
                                     "<text:p>Said</text:p></office:annotation>"));
            // A reference to a note the file does not hold stays its number.
            QCOMPARE(content.count("<text:note "), 2);
            QTextDocument back;
            const OdtReader::Result r = OdtReader::read(odt, back);
            QVERIFY2(r.ok && !r.incomplete, qPrintable(r.errorText));
            odt = OdtWriter::write(back);
        }
    }

    // A Word chart goes to OpenDocument as a chart object with the values
    // the chart part keeps: the series' names across, categories down.
    void chartsGoToOpenDocument()
    {
        const QByteArray c = "xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\"";
        const auto points = [](const QList<QByteArray> &values) {
            QByteArray out = "<c:ptCount val=\"" + QByteArray::number(values.size()) + "\"/>";
            for (int i = 0; i < values.size(); ++i)
                out += "<c:pt idx=\"" + QByteArray::number(i) + "\"><c:v>" + values.at(i) + "</c:v></c:pt>";
            return out;
        };
        const auto series = [&](const QByteArray &name, const QList<QByteArray> &values) {
            return "<c:ser><c:tx><c:strRef><c:strCache>" + points({name}) + "</c:strCache></c:strRef></c:tx>"
                   "<c:cat><c:strRef><c:strCache>" + points({"North", "South &amp; East", "West"}) + "</c:strCache></c:strRef></c:cat>"
                   "<c:val><c:numRef><c:numCache>" + points(values) + "</c:numCache></c:numRef></c:val></c:ser>";
        };
        Package p;
        p.relations = "<Relationship Id=\"rIdChart\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                      "relationships/chart\" Target=\"charts/chart1.xml\"/>";
        p.types = "<Override PartName=\"/word/charts/chart1.xml\" ContentType=\"application/"
                  "vnd.openxmlformats-officedocument.drawingml.chart+xml\"/>";
        p.extra = {{"word/charts/chart1.xml", "<?xml version=\"1.0\"?><c:chartSpace " + c + "><c:chart><c:plotArea>"
                    "<c:lineChart>" + series("Sales", {"4.3", "2.5", "1e3"}) + series("Costs", {"1", "2"})
                    + "</c:lineChart></c:plotArea></c:chart></c:chartSpace>"}};
        p.body = "<w:p><w:r><w:t>a</w:t></w:r><w:r><w:drawing><wp:inline><wp:extent cx=\"2540000\" cy=\"1270000\"/>"
                 "<a:graphic><a:graphicData><c:chart " + c + " r:id=\"rIdChart\"/></a:graphicData></a:graphic>"
                 "</wp:inline></w:drawing></w:r></w:p>";
        QTextDocument d;
        QVERIFY(readDocx(make(p), d).ok);
        const QByteArray odt = OdtWriter::write(d);
        ZipReader zip(odt);
        const QByteArray content = zip.read("content.xml");
        QVERIFY2(content.contains("svg:width=\"200.00pt\" svg:height=\"100.00pt\"><draw:object xlink:href=\"./Object 1\""),
                 content.constData());
        QVERIFY(zip.read("META-INF/manifest.xml").contains("manifest:full-path=\"Object 1/\" "
                                                            "manifest:media-type=\"application/vnd.oasis.opendocument.chart\""));
        const QByteArray chart = zip.read("Object 1/content.xml");
        QVERIFY(chart.contains("chart:class=\"chart:line\""));
        QVERIFY(chart.contains("table:cell-range-address=\"local-table.$A$1:.$C$4\""));
        QCOMPARE(chart.count("<table:table-cell"), 12);
        QCOMPARE(chart.count("<table:table-row>"), 4);
        QVERIFY(chart.contains("<text:p>South &amp; East</text:p>"));
        QVERIFY(chart.contains("office:value=\"1000\""));
        QVERIFY(chart.contains("<table:table-cell office:value-type=\"string\"><text:p>Costs</text:p>"));
        // The row the second series has no value for has an empty cell.
        QVERIFY(chart.contains("<text:p>West</text:p></table:table-cell><table:table-cell office:value-type=\"float\" "
                               "office:value=\"1000\"><text:p>1e3</text:p></table:table-cell><table:table-cell/>"));
        QTextDocument back;
        QVERIFY(OdtReader::read(odt, back).ok);
    }

    // Hostile and damaged packages: refused with a reason, or read as far as
    // they go and said to be incomplete; never a crash, never a long wait.
    // A tracked deletion shows struck through and goes back to Word as the
    // deletion it is, among the paragraph's runs, however often it is saved.
    void trackedDeletionsStayTracked()
    {
        const QByteArray del = "<w:del w:id=\"3\" w:author=\"A\"><w:r><w:rPr><w:b/></w:rPr><w:delText>gone</w:delText>"
                               "</w:r></w:del>";
        QTextDocument d;
        QVERIFY(readDocx(withBody("<w:p><w:r><w:t xml:space=\"preserve\">keep </w:t></w:r>" + del
                                  + "<w:r><w:t xml:space=\"preserve\"> end</w:t></w:r></w:p>"), d).ok);
        QCOMPARE(d.toPlainText(), QStringLiteral("keep gone end"));
        QVERIFY(formatAt(d, "gone").fontStrikeOut());
        QVERIFY(!formatAt(d, "end").fontStrikeOut());
        QByteArray saved = DocxWriter::write(d);
        for (int round = 0; round < 2; ++round) {
            const QByteArray xml = ZipReader(saved).read("word/document.xml");
            QCOMPARE(xml.count("<w:del "), 1);
            // Never inside a run, where Word would not look for it.
            QVERIFY(!QRegularExpression("<w:r>(?:(?!</w:r>).)*<w:del ").match(QString::fromUtf8(xml)).hasMatch());
            QTextDocument again;
            QVERIFY(readDocx(saved, again).ok);
            QCOMPARE(again.toPlainText(), QStringLiteral("keep gone end"));
            saved = DocxWriter::write(again);
        }
    }

    // A table style's looks for its first row, first column and row bands
    // show in the cells the table's w:tblLook turns on; a paragraph style
    // of its own, or a direct format, still wins.
    void tableStyleLooksShowInTheirCells_data()
    {
        QTest::addColumn<QByteArray>("look");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Word's usual look") << QByteArray("<w:tblLook w:val=\"04A0\"/>")
                                           << "corner:B,R head:B own:- plain:I,R side:I,R odd:I side2:R even:- quote:-";
        QTest::newRow("attributes over the value") << QByteArray("<w:tblLook w:val=\"04A0\" w:firstRow=\"0\" w:noHBand=\"1\"/>")
                                                   << "corner:R head:- own:- plain:R side:R odd:- side2:R even:- quote:-";
    }
    void tableStyleLooksShowInTheirCells()
    {
        QFETCH(QByteArray, look);
        QFETCH(QString, expected);
        Package p;
        p.styles = "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/></w:style>"
                   "<w:style w:type=\"paragraph\" w:styleId=\"Quote\"><w:name w:val=\"Quote\"/><w:basedOn w:val=\"Normal\"/>"
                   "<w:rPr><w:i w:val=\"0\"/></w:rPr></w:style>"
                   "<w:style w:type=\"table\" w:styleId=\"Grid\"><w:name w:val=\"Grid\"/>"
                   "<w:tblStylePr w:type=\"firstRow\"><w:rPr><w:b/></w:rPr></w:tblStylePr>"
                   "<w:tblStylePr w:type=\"firstCol\"><w:pPr><w:jc w:val=\"right\"/></w:pPr></w:tblStylePr>"
                   "<w:tblStylePr w:type=\"band1Horz\"><w:rPr><w:i/></w:rPr></w:tblStylePr></w:style>";
        const auto cell = [](const QByteArray &inner) { return "<w:tc>" + inner + "</w:tc>"; };
        const auto para = [](const char *word, const QByteArray &props = {}, const QByteArray &run = {}) {
            return "<w:p><w:pPr>" + props + "</w:pPr><w:r><w:rPr>" + run + "</w:rPr><w:t>" + QByteArray(word)
                   + "</w:t></w:r></w:p>";
        };
        p.body = "<w:tbl><w:tblPr><w:tblStyle w:val=\"Grid\"/>" + look + "</w:tblPr>"
                 "<w:tr>" + cell(para("corner")) + cell(para("head") + para("own", {}, "<w:b w:val=\"0\"/>")) + "</w:tr>"
                 "<w:tr>" + cell(para("plain") + para("side")) + cell(para("odd")) + "</w:tr>"
                 "<w:tr>" + cell(para("side2")) + cell(para("even")) + "</w:tr>"
                 "<w:tr>" + cell(para("x")) + cell(para("quote", "<w:pStyle w:val=\"Quote\"/>")) + "</w:tr>"
                 "</w:tbl><w:p/>";
        QTextDocument d;
        QVERIFY(readDocx(make(p), d).ok);
        QStringList got;
        for (const char *word : {"corner", "head", "own", "plain", "side", "odd", "side2", "even", "quote"}) {
            const QTextCharFormat f = formatAt(d, word);
            QString marks = QString(f.fontWeight() >= QFont::Bold ? "B," : "") + (f.fontItalic() ? "I," : "")
                            + (blockOf(d, word).blockFormat().alignment() & Qt::AlignRight ? "R," : "");
            marks.chop(1);
            got << QStringLiteral("%1:%2").arg(word, marks.isEmpty() ? QStringLiteral("-") : marks);
        }
        QCOMPARE(got.join(' '), expected);
    }

    void hostilePackages_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("reason");

        const QByteArray good = make(richPackage());
        {
            Package bomb;
            bomb.document = "<?xml version=\"1.0\"?><w:document " + QByteArray(namespaces()) + "><w:body><w:p><w:r><w:t>"
                    + QByteArray(300 * 1024 * 1024, ' ') + "</w:t></w:r></w:p></w:body></w:document>";
            QTest::newRow("zip bomb") << make(bomb) << false << "inflates";
        }
        {
            ZipWriter many;
            for (int i = 0; i < 10050; ++i)
                many.add(QStringLiteral("e%1").arg(i), QByteArray());
            QTest::newRow("too many entries") << many.finish() << false << "entries";
        }
        QTest::newRow("cut in half") << good.left(good.size() / 2) << false << "cut short";
        {
            // Local headers that say other things than the directory: a time
            // or a deferred size (Word's packagers and Java write these) is
            // read; another name or another size is refused.
            const auto patched = [&good](void (*change)(char *header)) {
                QByteArray bytes = good;
                qsizetype header = -1;
                for (qsizetype i = bytes.indexOf("PK\x03\x04"); i >= 0; i = bytes.indexOf("PK\x03\x04", i + 1)) {
                    if (bytes.mid(i + 30, 17) == "word/document.xml") {
                        header = i;
                        break;
                    }
                }
                if (header < 0)
                    return QByteArray();   // fails the row that expects it to open
                change(bytes.data() + header);
                return bytes;
            };
            QTest::newRow("local header: another time") << patched([](char *h) { h[10] = char(h[10] ^ 1); }) << true << "";
            QTest::newRow("local header: sizes after the data")
                << patched([](char *h) {
                       h[6] = char(h[6] | 0x08);
                       std::fill(h + 14, h + 26, '\0');
                   })
                << true << "";
            QTest::newRow("local header: another name") << patched([](char *h) { h[30] = 'W'; }) << false << "does not match";
            QTest::newRow("local header: another size") << patched([](char *h) { h[18] = char(h[18] + 1); }) << false
                                                        << "does not match";
        }
        QTest::newRow("not a zip at all") << QByteArray("PK\x03\x04 nothing else") << false << "";
        {
            Package laughs;
            laughs.document = "<?xml version=\"1.0\"?><!DOCTYPE lol [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                              "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]><w:document " + QByteArray(namespaces())
                    + "><w:body><w:p><w:r><w:t>&c;&c;&c;</w:t></w:r></w:p></w:body></w:document>";
            QTest::newRow("entity expansion") << make(laughs) << false << "document type declaration";
        }
        {
            Package external;
            external.document = "<?xml version=\"1.0\"?><!DOCTYPE d [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><w:document "
                    + QByteArray(namespaces()) + "><w:body><w:p><w:r><w:t>&x;</w:t></w:r></w:p></w:body></w:document>";
            QTest::newRow("external entity") << make(external) << false << "document type declaration";
        }
        {
            QByteArray deep;
            for (int i = 0; i < 5000; ++i)
                deep += "<w:sdt><w:sdtContent>";
            deep += "<w:p><w:r><w:t>deep</w:t></w:r></w:p>";
            for (int i = 0; i < 5000; ++i)
                deep += "</w:sdtContent></w:sdt>";
            Package nested;
            nested.body = "<w:p><w:r><w:t>kept</w:t></w:r></w:p>" + deep;
            QTest::newRow("content controls 5000 deep") << make(nested) << true << "";
        }
        {
            Package tables;
            QByteArray body;
            for (int i = 0; i < 40; ++i)
                body += "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>level</w:t></w:r></w:p>";
            for (int i = 0; i < 40; ++i)
                body += "</w:tc></w:tr></w:tbl>";
            tables.body = body + "<w:p/>";
            QTest::newRow("tables nested 40 deep") << make(tables) << true << "";
        }
        {
            Package broken;
            broken.body = "<w:p><w:r><w:t>readable</w:t></w:r></w:p><w:p><w:r><w:t>cut";
            broken.document = "<?xml version=\"1.0\"?><w:document " + QByteArray(namespaces()) + "><w:body>" + broken.body;
            QTest::newRow("document part cut short") << make(broken) << true << "damaged";
        }
        {
            Package noBody;
            noBody.document = "<?xml version=\"1.0\"?><nothing/>";
            QTest::newRow("no body") << make(noBody) << false << "";
        }
        {
            // A picture whose header claims 100000 x 100000 pixels.
            QByteArray png = QByteArray::fromHex("89504e470d0a1a0a0000000d49484452000186a0000186a00806000000");
            Package huge;
            huge.relations = R"x(<Relationship Id="p" Type="image" Target="media/a.png"/>)x";
            huge.extra = {{QStringLiteral("word/media/a.png"), png}};
            huge.body = R"x(<w:p><w:r><w:t>x</w:t><w:drawing><a:blip r:embed="p"/></w:drawing></w:r></w:p>)x";
            QTest::newRow("picture past the budget") << make(huge) << true << "";
        }
    }
    void hostilePackages()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, opens);
        QFETCH(QString, reason);
        QElapsedTimer timer;
        timer.start();
        QTextDocument d;
        const DocxReader::Result r = readDocx(bytes, d);
        // A guard against a hang, far above what it takes on a quiet machine
        // (well under 2 s); the speed itself is the benchmarks' business.
        QVERIFY2(timer.elapsed() < 30000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(r.ok, opens);
        QVERIFY2(r.errorText.contains(reason), qPrintable(r.errorText));
        if (!opens)
            QVERIFY(!r.errorText.isEmpty());
        if (opens && !reason.isEmpty())
            QVERIFY(r.incomplete);
    }

    // Real Word files: each opens whole, and every cell, link, picture, list
    // item and formatted run it has is still there after a Word save and
    // after a Rich Text save and an OpenDocument save.
    void corpus_data()
    {
        QTest::addColumn<QString>("file");
        QDirIterator it(QStringLiteral(QUILLET_TEST_DATA "/corpus/docx"), {QStringLiteral("*.docx")}, QDir::Files,
                        QDirIterator::Subdirectories);
        QStringList files;
        while (it.hasNext())
            files << it.next();
        files.sort();
        QVERIFY(files.size() >= 20);
        for (const QString &file : std::as_const(files))
            QTest::newRow(qPrintable(QFileInfo(file).fileName())) << file;
    }
    void corpus()
    {
        QFETCH(QString, file);
        QFile in(file);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QTextDocument d;
        const DocxReader::Result r = readDocx(in.readAll(), d);
        QVERIFY2(r.ok && !r.incomplete, qPrintable(r.errorText));
        const QStringList counts = census(d);
        QTextDocument viaDocx, viaRtf, viaOdt;
        QVERIFY(readDocx(DocxWriter::write(d), viaDocx).ok);
        QVERIFY(RtfReader::read(RtfWriter::write(d), viaRtf).ok);
        QVERIFY(OdtReader::read(OdtWriter::write(d), viaOdt).ok);
        QCOMPARE(census(viaDocx), counts);
        QCOMPARE(census(viaRtf), counts);
        QCOMPARE(census(viaOdt), counts);
    }

    // Through DocumentFile, as the control and the converter open files: a
    // Word file under any name opens as Word, never as its bytes.
    void opensByContentUnderAnyName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("type");
        QTest::newRow(".docx, text mode") << "a.docx" << int(DocumentFile::Text);
        QTest::newRow(".txt, text mode") << "a.txt" << int(DocumentFile::Text);
        QTest::newRow(".rtf, Rich Text mode") << "a.rtf" << int(DocumentFile::Rtf);
        QTest::newRow("no extension") << "a" << int(DocumentFile::Text);
    }
    void opensByContentUnderAnyName()
    {
        QFETCH(QString, name);
        QFETCH(int, type);
        QTemporaryDir dir;
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(make(richPackage()));
        file.close();
        QTextDocument d;
        const DocumentFile::ReadResult r = DocumentFile::read(file.fileName(), type, d);
        QVERIFY2(r.ok, qPrintable(r.errorText));
        QCOMPARE(r.type, int(DocumentFile::Docx));
        QVERIFY(d.toPlainText().startsWith(QStringLiteral("Title")));
        QString text;
        QVERIFY(DocumentFile::readText(file.fileName(), type, text).ok);
        QVERIFY2(text.contains(QStringLiteral("1.\tfirst")), qPrintable(text));
    }
};

QTEST_MAIN(tst_docx)
#include "tst_docx.moc"
