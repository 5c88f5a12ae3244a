// Word documents: what the reader makes of each structure, what survives a
// save and a second read, and hostile packages refused or read within limits.

#include "DocxTestSupport.h"
#include "RtfTestSupport.h"

#include <DocumentFile.h>
#include <DocxReader.h>
#include <DocxWriter.h>
#include <ListLabel.h>
#include <ZipReader.h>

#include <QBuffer>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextFrame>

using namespace DocxTestSupport;
using RtfTestSupport::plainText;

namespace {
// A document with one of everything the reader knows.
Package richPackage()
{
    Package p;
    p.styles = R"x(<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii="Calibri"/><w:sz w:val="22"/></w:rPr></w:rPrDefault></w:docDefaults>
<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:name w:val="Normal"/></w:style>
<w:style w:type="paragraph" w:styleId="Heading1"><w:name w:val="heading 1"/><w:basedOn w:val="Normal"/>
  <w:pPr><w:spacing w:before="240"/></w:pPr><w:rPr><w:b/><w:sz w:val="32"/><w:color w:val="2E74B5"/></w:rPr></w:style>
<w:style w:type="character" w:styleId="Hyperlink"><w:name w:val="Hyperlink"/><w:rPr><w:u w:val="single"/></w:rPr></w:style>
<w:style w:type="table" w:styleId="TableGrid"><w:name w:val="Table Grid"/><w:tblPr><w:tblBorders>
  <w:top w:val="single" w:sz="4" w:color="auto"/><w:insideH w:val="single" w:sz="4"/></w:tblBorders></w:tblPr></w:style>)x";
    p.numbering = R"x(<w:abstractNum w:abstractNumId="0">
  <w:lvl w:ilvl="0"><w:start w:val="1"/><w:numFmt w:val="decimal"/><w:lvlText w:val="%1."/><w:pPr><w:ind w:left="720" w:hanging="360"/></w:pPr></w:lvl>
  <w:lvl w:ilvl="1"><w:start w:val="1"/><w:numFmt w:val="lowerLetter"/><w:lvlText w:val="%1.%2)"/><w:pPr><w:ind w:left="1440" w:hanging="360"/></w:pPr></w:lvl></w:abstractNum>
<w:abstractNum w:abstractNumId="1"><w:lvl w:ilvl="0"><w:numFmt w:val="bullet"/><w:lvlText w:val="&#8226;"/></w:lvl></w:abstractNum>
<w:num w:numId="1"><w:abstractNumId w:val="0"/></w:num><w:num w:numId="2"><w:abstractNumId w:val="1"/></w:num>)x";
    p.relations = R"x(<Relationship Id="rId9" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/hyperlink" Target="https://example.org/a?b=1&amp;c=2" TargetMode="External"/>)x";
    p.body = R"x(<w:p><w:pPr><w:pStyle w:val="Heading1"/></w:pPr><w:r><w:t>Title</w:t></w:r></w:p>
<w:p><w:pPr><w:jc w:val="center"/><w:ind w:left="1440" w:right="720" w:firstLine="360"/><w:spacing w:before="120" w:after="240"/></w:pPr>
  <w:r><w:t xml:space="preserve">Hello </w:t></w:r><w:r><w:rPr><w:b/><w:i/></w:rPr><w:t>bold</w:t></w:r>
  <w:r><w:rPr><w:u w:val="single"/><w:strike/><w:color w:val="FF0000"/><w:highlight w:val="yellow"/><w:sz w:val="28"/><w:rFonts w:ascii="Georgia"/></w:rPr><w:t xml:space="preserve"> red &amp; </w:t></w:r>
  <w:r><w:rPr><w:vertAlign w:val="superscript"/></w:rPr><w:t>2</w:t></w:r>
  <w:hyperlink r:id="rId9"><w:r><w:rPr><w:rStyle w:val="Hyperlink"/></w:rPr><w:t>link</w:t></w:r></w:hyperlink></w:p>
<w:p><w:pPr><w:numPr><w:ilvl w:val="0"/><w:numId w:val="1"/></w:numPr></w:pPr><w:r><w:t>first</w:t></w:r></w:p>
<w:p><w:pPr><w:numPr><w:ilvl w:val="1"/><w:numId w:val="1"/></w:numPr></w:pPr><w:r><w:t>sub</w:t></w:r></w:p>
<w:p><w:pPr><w:numPr><w:ilvl w:val="0"/><w:numId w:val="1"/></w:numPr></w:pPr><w:r><w:t>second</w:t></w:r></w:p>
<w:p><w:pPr><w:numPr><w:ilvl w:val="0"/><w:numId w:val="2"/></w:numPr></w:pPr><w:r><w:t>dot</w:t></w:r></w:p>
<w:tbl><w:tblPr><w:tblStyle w:val="TableGrid"/></w:tblPr><w:tblGrid><w:gridCol w:w="2000"/><w:gridCol w:w="2000"/><w:gridCol w:w="3000"/></w:tblGrid>
<w:tr><w:tc><w:tcPr><w:gridSpan w:val="2"/><w:shd w:val="clear" w:fill="FFFF00"/></w:tcPr><w:p><w:r><w:t>AB</w:t></w:r></w:p></w:tc>
      <w:tc><w:tcPr><w:vMerge w:val="restart"/><w:vAlign w:val="center"/></w:tcPr><w:p><w:r><w:t>C</w:t></w:r></w:p></w:tc></w:tr>
<w:tr><w:tc><w:p><w:r><w:t>a</w:t></w:r></w:p></w:tc>
      <w:tc><w:p><w:r><w:t>b</w:t></w:r></w:p><w:tbl><w:tr><w:tc><w:p><w:r><w:t>inner</w:t></w:r></w:p></w:tc></w:tr></w:tbl><w:p/></w:tc>
      <w:tc><w:tcPr><w:vMerge/></w:tcPr><w:p/></w:tc></w:tr></w:tbl>
<w:p><w:pPr><w:bidi/><w:jc w:val="right"/></w:pPr><w:r><w:t>שלום</w:t></w:r></w:p>
<w:p><w:r><w:t>東京</w:t><w:tab/><w:t>tab</w:t><w:br/><w:t>line</w:t><w:br w:type="page"/><w:t>page</w:t></w:r></w:p>
<w:sectPr><w:pgSz w:w="11906" w:h="16838"/><w:pgMar w:top="1000" w:right="1100" w:bottom="1200" w:left="1300"/></w:sectPr>)x";
    return p;
}

QTextCharFormat formatAt(const QTextDocument &d, const QString &word)
{
    const QTextCursor found = d.find(word);
    if (found.isNull())
        return {};
    QTextCursor c(const_cast<QTextDocument *>(&d));
    c.setPosition(found.selectionStart() + 1);
    return c.charFormat();
}

QTextBlock blockOf(const QTextDocument &d, const QString &word)
{
    return d.find(word).block();
}

QTextTable *firstTable(const QTextDocument &d)
{
    for (QTextFrame *frame : d.rootFrame()->childFrames()) {
        if (auto *t = qobject_cast<QTextTable *>(frame))
            return t;
    }
    return nullptr;
}

QString label(const QTextDocument &d, const QString &word)
{
    const QTextBlock b = blockOf(d, word);
    return b.textList() ? ListLabel::of(*b.textList(), b) : QString();
}

// What a reader of the document sees of each structure, one line each.
QStringList structure(const QTextDocument &d)
{
    QStringList out;
    out << QStringLiteral("text: ") + RtfTestSupport::normalized(plainText(d));
    const QTextCharFormat bold = formatAt(d, QStringLiteral("bold"));
    out << QStringLiteral("bold: %1 %2").arg(bold.fontWeight() >= QFont::Bold).arg(bold.fontItalic());
    const QTextCharFormat red = formatAt(d, QStringLiteral("red"));
    out << QStringLiteral("red: %1 %2 %3 %4 %5 %6").arg(red.fontUnderline()).arg(red.fontStrikeOut())
               .arg(red.foreground().color().name(), red.background().color().name())
               .arg(red.fontPointSize()).arg(red.fontFamilies().toStringList().value(0));
    out << QStringLiteral("super: %1").arg(formatAt(d, QStringLiteral("2")).verticalAlignment());
    out << QStringLiteral("link: ") + formatAt(d, QStringLiteral("link")).anchorHref();
    const QTextBlockFormat hello = blockOf(d, QStringLiteral("Hello")).blockFormat();
    out << QStringLiteral("para: %1 %2 %3 %4 %5 %6").arg(int(hello.alignment() & Qt::AlignHorizontal_Mask))
               .arg(Twips::fromPixels(hello.leftMargin())).arg(Twips::fromPixels(hello.rightMargin()))
               .arg(Twips::fromPixels(hello.textIndent())).arg(Twips::fromPixels(hello.topMargin()))
               .arg(Twips::fromPixels(hello.bottomMargin()));
    const QTextCharFormat title = formatAt(d, QStringLiteral("Title"));
    out << QStringLiteral("heading: %1 %2 %3").arg(title.fontWeight() >= QFont::Bold).arg(title.fontPointSize())
               .arg(title.foreground().color().name());
    out << QStringLiteral("labels: %1 %2 %3 %4").arg(label(d, QStringLiteral("first")), label(d, QStringLiteral("sub")),
                                                      label(d, QStringLiteral("second")), label(d, QStringLiteral("dot")));
    out << QStringLiteral("list indent: %1")
               .arg(Twips::fromPixels(blockOf(d, QStringLiteral("sub")).blockFormat().leftMargin()));
    if (QTextTable *t = firstTable(d)) {
        const QTextTableCell ab = t->cellAt(0, 0), c = t->cellAt(0, 2);
        out << QStringLiteral("table: %1x%2 AB span %3 C rows %4 shade %5 inner %6")
                   .arg(t->rows()).arg(t->columns()).arg(ab.columnSpan()).arg(c.rowSpan())
                   .arg(ab.format().background().color().name())
                   .arg(t->childFrames().isEmpty() ? 0 : 1);
        out << QStringLiteral("border: %1").arg(t->cellAt(0, 0).format().toTableCellFormat().topBorder() > 0);
    } else {
        out << QStringLiteral("table: none");
    }
    out << QStringLiteral("rtl: %1").arg(blockOf(d, QStringLiteral("שלום")).blockFormat().layoutDirection());
    out << QStringLiteral("page break: %1")
               .arg(bool(blockOf(d, QStringLiteral("page")).blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore));
    const QByteArray settings = d.rootFrame()->frameFormat().property(RtfProperties::DocumentSettings).toByteArray();
    out << QStringLiteral("page: ") + QString::fromLatin1(settings);
    return out;
}

// How many of each structure a document has, and its words.
QStringList census(const QTextDocument &d)
{
    int cells = 0, links = 0, pictures = 0, items = 0, bold = 0, centred = 0;
    QSet<QString> hrefs;
    for (QTextBlock b = d.begin(); b.isValid(); b = b.next()) {
        if (b.textList())
            ++items;
        if (b.blockFormat().alignment() & Qt::AlignHCenter)
            ++centred;
        for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            if (f.isImageFormat())
                ++pictures;
            else if (f.fontWeight() >= QFont::Bold)
                ++bold;
            if (f.isAnchor())
                hrefs.insert(f.anchorHref());
        }
    }
    links = int(hrefs.size());
    std::function<void(QTextFrame *)> countCells = [&](QTextFrame *frame) {
        for (QTextFrame *child : frame->childFrames()) {
            if (auto *t = qobject_cast<QTextTable *>(child)) {
                for (int r = 0; r < t->rows(); ++r)
                    for (int c = 0; c < t->columns(); ++c)
                        if (t->cellAt(r, c).row() == r && t->cellAt(r, c).column() == c)
                            ++cells;
            }
            countCells(child);
        }
    };
    countCells(d.rootFrame());
    return {QStringLiteral("words: ") + RtfTestSupport::normalized(plainText(d)),
            QStringLiteral("cells %1 links %2 pictures %3 items %4 bold runs %5 centred %6")
                .arg(cells).arg(links).arg(pictures).arg(items).arg(bold > 0).arg(centred)};
}

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
            } else {
                QVERIFY(RtfReader::read(RtfWriter::write(*current), *next).ok);
            }
            current = std::move(next);
        }
        QStringList got = structure(*current);
        // Qt's clone drops the root frame's properties in the Rich Text route only.
        QCOMPARE(got, expected);
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

    // Hostile and damaged packages: refused with a reason, or read as far as
    // they go and said to be incomplete; never a crash, never a long wait.
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
    // after a Rich Text save.
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
        QTextDocument viaDocx, viaRtf;
        QVERIFY(readDocx(DocxWriter::write(d), viaDocx).ok);
        QVERIFY(RtfReader::read(RtfWriter::write(d), viaRtf).ok);
        QCOMPARE(census(viaDocx), counts);
        QCOMPARE(census(viaRtf), counts);
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
