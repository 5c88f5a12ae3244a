// What a save must keep of a real document's structure: tables (merged and
// nested cells, widths, borders, row alignment) and what the control's Text
// makes of them, links and other fields, pictures of every kind; and how a
// damaged file is read.
#include "RtfTestSupport.h"

#include <DocumentFile.h>
#include <DocumentText.h>
#include <RichTextBox.h>

#include <RtfProperties.h>

#include <QApplication>
#include <QBuffer>
#include <QTemporaryDir>
#include <QtEndian>

using namespace Qt::StringLiterals;

namespace {
QByteArray doc(const QByteArray &body)
{
    return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
        + body + "}";
}

// Every table in document order, nested ones after the cell holding them:
// "RxC" then each cell as "row,col rowSpan x colSpan [text]".
QStringList tables(const QTextDocument &d)
{
    QStringList out;
    std::function<void(QTextFrame *, int)> walk = [&](QTextFrame *frame, int depth) {
        for (QTextFrame *child : frame->childFrames()) {
            QTextTable *t = qobject_cast<QTextTable *>(child);
            if (!t)
                continue;
            QStringList cells;
            for (int r = 0; r < t->rows(); ++r) {
                for (int c = 0; c < t->columns(); ++c) {
                    const QTextTableCell cell = t->cellAt(r, c);
                    if (cell.row() != r || cell.column() != c)
                        continue;
                    QTextCursor cur = cell.firstCursorPosition();
                    cur.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
                    cells << QStringLiteral("%1,%2 %3x%4 [%5]").arg(r).arg(c).arg(cell.rowSpan()).arg(cell.columnSpan())
                                 .arg(cur.selectedText().replace(QRegularExpression(u"[\u2029\ufdd0\ufdd1]"_s), u"|"_s));
                }
            }
            out << QStringLiteral("%1%2x%3 %4").arg(QString(depth, u'>')).arg(t->rows()).arg(t->columns()).arg(cells.join("; "));
            walk(t, depth + 1);
        }
    };
    walk(d.rootFrame(), 0);
    return out;
}

QTextTable *firstTable(const QTextDocument &d)
{
    for (QTextFrame *child : d.rootFrame()->childFrames()) {
        if (auto *t = qobject_cast<QTextTable *>(child))
            return t;
    }
    return nullptr;
}

// Each run of linked text as "text|target".
QStringList anchors(const QTextDocument &d)
{
    QStringList out;
    for (QTextBlock b = d.begin(); b.isValid(); b = b.next()) {
        for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            if (f.isAnchor())
                out << it.fragment().text() + u'|' + f.anchorHref();
        }
    }
    return out;
}

// The field instructions of written RTF, in order, as written.
QStringList instructions(const QByteArray &rtf)
{
    QStringList out;
    static const QRegularExpression field(uR"(\\field\{\\\*\\fldinst (.*?)\}\{\\fldrslt )"_s);
    for (auto it = field.globalMatch(QString::fromLatin1(rtf)); it.hasNext();)
        out << it.next().captured(1);
    return out;
}

QList<QTextImageFormat> images(const QTextDocument &d)
{
    QList<QTextImageFormat> out;
    for (QTextBlock b = d.begin(); b.isValid(); b = b.next()) {
        for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().isImageFormat())
                out << it.fragment().charFormat().toImageFormat();
        }
    }
    return out;
}

QByteArray pictureBytes(const QTextDocument &d, const QTextImageFormat &f)
{
    return d.resource(QTextDocument::ImageResource, QUrl(f.stringProperty(RtfProperties::PictureData))).toByteArray();
}

QByteArray png(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A device-independent bitmap: the info header and 2x2 24-bit pixels.
QByteArray dib()
{
    QByteArray b(40, '\0');
    const auto put32 = [&b](int at, quint32 v) { qToLittleEndian(v, b.data() + at); };
    put32(0, 40);
    put32(4, 2);
    put32(8, 2);
    qToLittleEndian<quint16>(1, b.data() + 12);
    qToLittleEndian<quint16>(24, b.data() + 14);
    for (int row = 0; row < 2; ++row)
        b += QByteArray("\x00\x00\xff\x00\x00\xff\x00\x00", 8);   // two red pixels, padded to 4 bytes
    return b;
}

QByteArray rewrite(const QByteArray &rtf)
{
    QTextDocument d;
    RtfReader::read(rtf, d);
    return RtfWriter::write(d);
}
}

class tst_rtf_structure : public QObject
{
    Q_OBJECT

private slots:
    void tables_data();
    void tables();
    void tableFormatsSurviveASave();
    void textSeparatesCellsByTabs();
    void fields_data();
    void fields();
    void pictures_data();
    void pictures();
    void damageIsTold_data();
    void damageIsTold();
    void damagedFileSaysSoOnOpen();
    void deleteCharacterIsWrittenBack();
    void lists_data();
    void lists();
    void listLabelsInPlainText();
    void documentSettingsHeadersAndNotesSurvive();
    void floatingShapesAreKept_data();
    void floatingShapesAreKept();
    void embeddedObjectsAreKeptWhole_data();
    void embeddedObjectsAreKeptWhole();
};

void tst_rtf_structure::tables_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("two rows, text around")
        << doc("before\\par\\trowd\\cellx1000\\cellx2000\\intbl a\\cell b\\cell\\row"
               "\\trowd\\cellx1000\\cellx2000\\intbl c\\cell d\\cell\\row\\pard after\\par")
        << QStringList{"2x2 0,0 1x1 [a]; 0,1 1x1 [b]; 1,0 1x1 [c]; 1,1 1x1 [d]"};
    QTest::newRow("merged cells: across by \\clmgf, across by width, down by \\clvmgf")
        << doc("\\trowd\\clmgf\\cellx1000\\clmrg\\cellx2000\\clvmgf\\cellx3000\\intbl wide\\cell\\cell down\\cell\\row"
               "\\trowd\\cellx2000\\clvmrg\\cellx3000\\intbl one\\cell\\cell\\row"
               "\\trowd\\cellx1000\\cellx2000\\cellx3000\\intbl x\\cell y\\cell z\\cell\\row")
        << QStringList{"3x3 0,0 1x2 [wide]; 0,2 2x1 [down]; 1,0 1x2 [one]; 2,0 1x1 [x]; 2,1 1x1 [y]; 2,2 1x1 [z]"};
    QTest::newRow("nested table, its definition after its cells")
        << doc("\\trowd\\cellx4000\\cellx8000\\pard\\intbl\\itap1 outer\\par"
               "\\pard\\intbl\\itap2 n1\\nestcell n2\\nestcell{\\*\\nesttableprops\\trowd\\cellx1000\\cellx2000\\nestrow}"
               "{\\nonesttables\\par}\\pard\\intbl\\itap1 tail\\cell right\\cell\\row")
        << QStringList{"1x2 0,0 1x1 [outer|n1|n2|tail]; 0,1 1x1 [right]", ">1x2 0,0 1x1 [n1]; 0,1 1x1 [n2]"};
    QTest::newRow("cells without \\intbl and a missing \\row still make a table")
        << doc("\\trowd\\cellx1000\\cellx2000 a\\cell b\\cell")
        << QStringList{"1x2 0,0 1x1 [a]; 0,1 1x1 [b]"};
    QTest::newRow("a table inside a list: items in cells keep their list")
        << doc("{\\*\\listtable{\\list\\listid7{\\listlevel\\levelnfc0}}}{\\*\\listoverridetable{\\listoverride\\listid7\\ls1}}"
               "\\pard\\ls1 first\\par\\trowd\\cellx3000\\pard\\intbl\\ls1 in cell\\cell\\row\\pard\\ls1 third\\par")
        << QStringList{"1x1 0,0 1x1 [in cell]"};
}

void tst_rtf_structure::tables()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QStringList, expected);
    QTextDocument first;
    RtfReader::read(rtf, first);
    QCOMPARE(::tables(first), expected);
    // Written and read back, the same tables.
    QTextDocument again;
    const QByteArray written = RtfWriter::write(first);
    RtfReader::read(written, again);
    QCOMPARE(::tables(again), expected);
    QCOMPARE(RtfTestSupport::plainText(again), RtfTestSupport::plainText(first));
    // Nothing drifts on a second save.
    QCOMPARE(rewrite(written), written);

    if (QTest::currentDataTag() == QByteArray("a table inside a list: items in cells keep their list")) {
        QStringList labels;
        for (QTextBlock b = again.begin(); b.isValid(); b = b.next()) {
            if (b.textList())
                labels << b.textList()->itemText(b) + b.text();
        }
        QCOMPARE(labels, QStringList({"1.first", "2.in cell", "3.third"}));
    }
}

void tst_rtf_structure::tableFormatsSurviveASave()
{
    // Widths, borders, shading, vertical alignment, row alignment and indent,
    // and a centred paragraph inside a cell.
    const QByteArray rtf = doc("\\trowd\\trgaph70\\trleft720\\trqc"
                               "\\clbrdrt\\brdrs\\brdrw20\\brdrcf1\\clbrdrb\\brdrdb\\brdrw10\\clcbpat2\\clvertalc\\cellx2720"
                               "\\clshdng5000\\cellx6000"
                               "\\pard\\intbl\\qc centred\\cell\\pard\\intbl plain\\cell\\row");
    QTextDocument source;
    RtfReader::read(rtf, source);
    QTextDocument copy;
    RtfReader::read(RtfWriter::write(source), copy);
    for (QTextDocument *doc : {&source, &copy}) {
        QTextTable *t = firstTable(*doc);
        QVERIFY(t);
        const QTextTableFormat tf = t->format();
        QCOMPARE(tf.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        QCOMPARE(Twips::fromPixels(tf.leftMargin()), 720);
        const QList<QTextLength> widths = tf.columnWidthConstraints();
        QCOMPARE(widths.size(), 2);
        QCOMPARE(Twips::fromPixels(widths.at(0).rawValue()), 2000);
        QCOMPARE(Twips::fromPixels(widths.at(1).rawValue()), 3280);
        const QTextTableCellFormat a = t->cellAt(0, 0).format().toTableCellFormat();
        QCOMPARE(Twips::fromPixels(a.topBorder()), 20);
        QCOMPARE(a.topBorderBrush().color(), QColor(255, 0, 0));
        QCOMPARE(a.bottomBorderStyle(), QTextFrameFormat::BorderStyle_Double);
        QCOMPARE(a.leftBorderStyle(), QTextFrameFormat::BorderStyle_None);
        QCOMPARE(a.background().color(), QColor(0, 0, 255));
        QCOMPARE(a.verticalAlignment(), QTextCharFormat::AlignMiddle);
        QCOMPARE(Twips::fromPixels(a.leftPadding()), 70);
        QCOMPARE(t->cellAt(0, 1).format().background().color(), QColor(128, 128, 128));
        QCOMPARE(t->cellAt(0, 0).firstCursorPosition().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
                 Qt::AlignHCenter);
    }
}

void tst_rtf_structure::textSeparatesCellsByTabs()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.rtf");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(doc("\\trowd\\cellx1000\\cellx2000\\cellx3000\\intbl a\\cell b\\par b2\\cell c\\cell\\row"
                "\\trowd\\cellx1000\\cellx2000\\cellx3000\\intbl d\\cell\\cell f\\cell\\row\\pard end\\par"));
    f.close();
    RichTextBox box;
    QVERIFY(box.LoadFile(path));
    QCOMPARE(box.Text(), QString("a\tb\r\nb2\tc\r\nd\t\tf\r\nend"));
    // Plain text saves see the same.
    QVERIFY(box.SaveFile(dir.filePath("t.txt"), RichTextBox::rtfText));
    QFile txt(dir.filePath("t.txt"));
    QVERIFY(txt.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromUtf8(txt.readAll()).startsWith("a\tb"));
}

void tst_rtf_structure::fields_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QStringList>("anchors");
    QTest::addColumn<QStringList>("instructions");

    QTest::newRow("a link whose text spans two formats")
        << doc(R"(before {\field{\*\fldinst {\rtlch HYPERLINK "http://example.com/a" }}{\fldrslt {\b bold}{\i  and italic}}} after\par)")
        << QStringList{"bold|http://example.com/a", " and italic|http://example.com/a"}
        << QStringList{R"(HYPERLINK "http://example.com/a")"};
    QTest::newRow("a link to a bookmark")
        << doc(R"({\field{\*\fldinst HYPERLINK \\l "part2"}{\fldrslt see below}}\par)")
        << QStringList{"see below|#part2"} << QStringList{R"(HYPERLINK \\l "part2")"};
    QTest::newRow("a path's doubled backslashes")
        << doc(R"({\field{\*\fldinst HYPERLINK "C:\\\\docs\\\\a.rtf"}{\fldrslt doc}}\par)")
        << QStringList{R"(doc|C:\docs\a.rtf)"} << QStringList{R"(HYPERLINK "C:\\\\docs\\\\a.rtf")"};
    QTest::newRow("two links to one place, side by side, stay two")
        << doc(R"({\field{\*\fldinst HYPERLINK "x"}{\fldrslt one}}{\field{\*\fldinst HYPERLINK "x"}{\fldrslt two}}\par)")
        << QStringList{"one|x", "two|x"} << QStringList{R"(HYPERLINK "x")", R"(HYPERLINK "x")"};
    QTest::newRow("a page number keeps its result and its instruction")
        << doc(R"(page {\field{\*\fldinst  PAGE \\* MERGEFORMAT }{\fldrslt 3}} of 9\par)")
        << QStringList{} << QStringList{R"(PAGE \\* MERGEFORMAT)"};
    // Written once per paragraph, a table of contents would come back as
    // one table per entry when the fields are brought up to date.
    QTest::newRow("a result over paragraphs stays one field")
        << doc(R"(before\par {\field{\*\fldinst TOC \\o "1-3"}{\fldrslt \pard One\tab 1\par \pard Two\tab 2\par \pard Three}}\par after\par)")
        << QStringList{} << QStringList{R"(TOC \\o "1-3")"};
    QTest::newRow("a link over two paragraphs, then another")
        << doc(R"({\field{\*\fldinst HYPERLINK "x"}{\fldrslt one\par two}}{\field{\*\fldinst HYPERLINK "x"}{\fldrslt three}}\par)")
        << QStringList{"one|x", "two|x", "three|x"} << QStringList{R"(HYPERLINK "x")", R"(HYPERLINK "x")"};
}

void tst_rtf_structure::fields()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QStringList, anchors);
    QFETCH(QStringList, instructions);
    QTextDocument first;
    RtfReader::read(rtf, first);
    QCOMPARE(::anchors(first), anchors);
    const QByteArray written = RtfWriter::write(first);
    QCOMPARE(::instructions(written), instructions);
    QTextDocument again;
    RtfReader::read(written, again);
    QCOMPARE(::anchors(again), anchors);
    QCOMPARE(RtfTestSupport::plainText(again), RtfTestSupport::plainText(first));
    QCOMPARE(rewrite(written), written);
}

void tst_rtf_structure::pictures_data()
{
    QTest::addColumn<QByteArray>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("sizes");
    QTest::addColumn<QSize>("shownTwips");
    QTest::addColumn<QSize>("decoded");   // pixels of the decoded image; empty for a frame

    // Not a metafile any reader here can draw: only its bytes matter.
    const QByteArray wmf = QByteArray::fromHex("d7cdc69a0000000000004006e00380030000000000000b4c0100090000032b00000000001000000000000500000001020000")
        + QByteArray(300, '\x7f');
    QTest::newRow("WMF: a frame of its goal size, saved byte for byte")
        << QByteArray("wmetafile8") << wmf << QByteArray("\\picw2540\\pich1270\\picwgoal1440\\pichgoal720")
        << QSize(1440, 720) << QSize();
    QTest::newRow("WMF without a goal: its size in hundredths of a millimetre")
        << QByteArray("wmetafile8") << wmf << QByteArray("\\picw5080\\pich2540") << QSize(2880, 1440) << QSize();
    QTest::newRow("EMF")
        << QByteArray("emfblip") << QByteArray(200, '\x01') << QByteArray("\\picwgoal2000\\pichgoal1000")
        << QSize(2000, 1000) << QSize();
    QTest::newRow("PNG at its goal size and scale")
        << QByteArray("pngblip") << png(10, 20) << QByteArray("\\picwgoal1500\\pichgoal3000\\picscalex50\\picscaley200")
        << QSize(750, 6000) << QSize(10, 20);
    QTest::newRow("device-independent bitmap")
        << QByteArray("dibitmap0") << dib() << QByteArray("\\picw2\\pich2\\picwgoal600\\pichgoal600")
        << QSize(600, 600) << QSize(2, 2);
    QTest::newRow("a damaged PNG is a frame and keeps its bytes")
        << QByteArray("pngblip") << QByteArray("\x89PNG not really") << QByteArray("\\picwgoal900\\pichgoal300")
        << QSize(900, 300) << QSize();
    QTest::newRow("huge sizes are clamped before scaling")
        << QByteArray("pngblip") << png(4, 4)
        << QByteArray("\\picw2147483647\\picwgoal2147483647\\pichgoal-5\\picscalex10000\\picscaley-3")
        << QSize(31680, 60) << QSize(4, 4);
}

void tst_rtf_structure::pictures()
{
    QFETCH(QByteArray, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, sizes);
    QFETCH(QSize, shownTwips);
    QFETCH(QSize, decoded);
    const QByteArray rtf = doc("before {\\pict\\" + kind + sizes + "\n" + bytes.toHex() + "} after\\par");
    QTextDocument first;
    RtfReader::read(rtf, first);
    QCOMPARE(images(first).size(), 1);
    const QTextImageFormat f = images(first).first();
    QCOMPARE(Twips::fromPixels(f.width()), shownTwips.width());
    QCOMPARE(Twips::fromPixels(f.height()), shownTwips.height());
    const QImage image = first.resource(QTextDocument::ImageResource, QUrl(f.name())).value<QImage>();
    QVERIFY(!image.isNull());   // a frame at least
    if (decoded.isValid())
        QCOMPARE(image.size(), decoded);
    QCOMPARE(pictureBytes(first, f), bytes);

    const QByteArray written = RtfWriter::write(first);
    QVERIFY2(written.contains("\\" + kind), written.left(300));
    QVERIFY2(QString::fromLatin1(written).remove(u'\n').contains(QString::fromLatin1(bytes.toHex())), "bytes changed");
    static const QRegularExpression negative(uR"(\\pic\w+-)"_s);
    QVERIFY2(!QString::fromLatin1(written).contains(negative), written.left(300));
    QTextDocument again;
    RtfReader::read(written, again);
    QCOMPARE(images(again).size(), 1);
    const QTextImageFormat g = images(again).first();
    QCOMPARE(pictureBytes(again, g), bytes);
    QCOMPARE(Twips::fromPixels(g.width()), shownTwips.width());
    QCOMPARE(Twips::fromPixels(g.height()), shownTwips.height());
    QCOMPARE(RtfTestSupport::plainText(again), RtfTestSupport::plainText(first));
    QCOMPARE(rewrite(written), written);
}

void tst_rtf_structure::damageIsTold_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("incomplete");

    QTest::newRow("whole") << doc("one\\par two") << "one\ntwo" << false;
    QTest::newRow("cut short: the last group never closes")
        << QByteArray("{\\rtf1\\ansi one\\par {\\b two") << "one\ntwo" << true;
    QTest::newRow("a second document after the closing brace is not read")
        << QByteArray("{\\rtf1\\ansi first\\par}{\\rtf1\\ansi second\\par}") << "first" << false;
    QTest::newRow("text after the closing brace is not read")
        << QByteArray("{\\rtf1\\ansi first}\r\ntrailing words") << "first" << false;
    QTest::newRow("a bad hex escape")
        << doc("a\\'zzb") << "azzb" << true;
    QTest::newRow("groups nested past the limit")
        << doc("kept " + QByteArray(2000, '{') + "deep" + QByteArray(2000, '}') + " end") << "kept end" << true;
    QTest::newRow("binary data that runs past the end")
        << QByteArray("{\\rtf1 a\\bin400 short}") << "a" << true;
}

void tst_rtf_structure::damageIsTold()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QFETCH(bool, incomplete);
    QTextDocument d;
    const RtfReader::Result result = RtfReader::read(rtf, d);
    QVERIFY(result.ok);
    QCOMPARE(RtfTestSupport::normalized(RtfTestSupport::plainText(d)), RtfTestSupport::normalized(text));
    QVERIFY2(result.incomplete == incomplete, qPrintable(result.errorText));
}

void tst_rtf_structure::damagedFileSaysSoOnOpen()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("cut.rtf");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("{\\rtf1\\ansi a letter that stops {\\b mid");
    f.close();
    RichTextBox box;
    QVERIFY(box.LoadFile(path));
    QVERIFY(box.Text().contains("stops mid"));
    QVERIFY2(box.LoadNotice().contains("\"cut.rtf\" may be incomplete"), qPrintable(box.LoadNotice()));
    // A whole file says nothing.
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("{\\rtf1\\ansi a whole letter}");
    f.close();
    QVERIFY(box.LoadFile(path));
    QCOMPARE(box.LoadNotice(), QString());
}

void tst_rtf_structure::deleteCharacterIsWrittenBack()
{
    QTextDocument d;
    RtfReader::read(doc("a\\'7fb"), d);
    QCOMPARE(d.toPlainText(), QString("a\x7f" "b"));
    QTextDocument again;
    RtfReader::read(RtfWriter::write(d), again);
    QCOMPARE(again.toPlainText(), QString("a\x7f" "b"));
}

namespace {
// A list table with one list (\\ls1) whose levels are given as
// "\\levelnfcN{\\leveltext...}" groups, and the items "level text".
QByteArray listDoc(const QByteArrayList &levels, const QList<std::pair<int, QByteArray>> &items)
{
    QByteArray rtf = "{\\*\\listtable{\\list\\listtemplateid1";
    for (const QByteArray &level : levels)
        rtf += "{\\listlevel" + level + "}";
    rtf += "\\listid5}}{\\*\\listoverridetable{\\listoverride\\listid5\\ls1}}";
    for (const auto &[level, text] : items)
        rtf += "\\pard\\ls1\\ilvl" + QByteArray::number(level) + " " + text + "\\par ";
    return doc(rtf);
}

QStringList labels(const QTextDocument &d)
{
    QStringList out;
    for (QTextBlock b = d.begin(); b.isValid(); b = b.next()) {
        if (b.textList())
            out << b.textList()->itemText(b) + u' ' + b.text();
    }
    return out;
}
}

void tst_rtf_structure::lists_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QStringList>("expected");

    const QByteArrayList outline{"\\levelnfc0{\\leveltext\\'02\\'00.;}", "\\levelnfc4{\\leveltext\\'02\\'01);}",
                                 "\\levelnfc2{\\leveltext\\'02\\'02.;}"};
    QTest::newRow("\"1.\", \"a)\", \"i.\": a deeper level starts again under each item")
        << listDoc(outline, {{0, "one"}, {1, "x"}, {1, "y"}, {2, "deep"}, {0, "two"}, {1, "again"}})
        << QStringList{"1. one", "a) x", "b) y", "i. deep", "2. two", "a) again"};
    QTest::newRow("\"2.1.\": the number above is part of the label")
        << listDoc({"\\levelnfc0{\\leveltext\\'02\\'00.;}", "\\levelnfc0{\\leveltext\\'04\\'00.\\'01.;}"},
                   {{0, "a"}, {0, "b"}, {1, "b1"}, {1, "b2"}, {0, "c"}, {1, "c1"}})
        << QStringList{"1. a", "2. b", "2.1. b1", "2.2. b2", "3. c", "3.1. c1"};
    QTest::newRow("upper roman with a prefix")
        << listDoc({"\\levelnfc1{\\leveltext\\'07Part \\'00:;}"}, {{0, "x"}, {0, "y"}, {0, "z"}, {0, "w"}})
        << QStringList{"Part I: x", "Part II: y", "Part III: z", "Part IV: w"};
}

void tst_rtf_structure::lists()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QStringList, expected);
    QTextDocument first;
    RtfReader::read(rtf, first);
    QCOMPARE(labels(first), expected);
    const QByteArray written = RtfWriter::write(first);
    QTextDocument again;
    RtfReader::read(written, again);
    QCOMPARE(labels(again), expected);
    QCOMPARE(rewrite(written), written);
}

void tst_rtf_structure::listLabelsInPlainText()
{
    QTextDocument d;
    RtfReader::read(listDoc({"\\levelnfc0{\\leveltext\\'02\\'00.;}", "\\levelnfc4{\\leveltext\\'02\\'01);}"},
                            {{0, "first"}, {1, "sub"}, {0, "second"}}), d);
    const QByteArray text = DocumentFile::bytes(d, DocumentFile::Text, TextFile::LineEnd::CRLF);
    QCOMPARE(text, QByteArray("1.\tfirst\r\na)\tsub\r\n2.\tsecond"));
    // The control's own Text has no labels: positions in it are positions in the document.
    QCOMPARE(DocumentText::plain(&d, 0, DocumentText::length(&d), "\n"), QString("first\nsub\nsecond"));
}

void tst_rtf_structure::documentSettingsHeadersAndNotesSurvive()
{
    const QByteArrayList kept{
        "{\\stylesheet{\\s0 Normal;}{\\s1\\b Heading 1;}}", "\\paperw16838", "\\paperh11906", "\\landscape",
        "\\margl1134", "\\margr1134", "\\margt850", "\\margb850", "\\deftab709", "\\deflang1031",
        "{\\header \\pard\\qc Page header\\par}", "{\\footer \\pard Page footer\\par}",
        "{\\footnote \\pard{\\super\\chftn} The note.}"};
    const QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}" + kept.at(0)
        + kept.mid(1, 9).join() + "\n" + kept.at(10) + kept.at(11)
        + "\\pard Body{\\super\\chftn}" + kept.at(12) + " goes on\\par After\\par}";
    QTextDocument first;
    RtfReader::read(rtf, first);
    // Nothing of them joins the body.
    QCOMPARE(RtfTestSupport::plainText(first), QString("Body1 goes on\nAfter"));
    const QByteArray written = RtfWriter::write(first);
    for (const QByteArray &part : kept)
        QVERIFY2(written.contains(part), part.constData());
    // The note stays where it was, after its numbered mark.
    QVERIFY2(written.contains("\\chftn " + kept.at(12) + "}{"), written.constData());
    QTextDocument again;
    RtfReader::read(written, again);
    QCOMPARE(RtfTestSupport::plainText(again), RtfTestSupport::plainText(first));
    QCOMPARE(rewrite(written), written);

    // A selection copied out is not a document: it carries none of them.
    QTextCursor all(&first);
    all.select(QTextCursor::Document);
    QVERIFY(!RtfWriter::write(all).contains("\\paperw"));
}

void tst_rtf_structure::floatingShapesAreKept_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");   // what shows

    const QByteArray box = "{\\shp{\\*\\shpinst\\shpleft0\\shptop0\\shpright2000\\shpbottom1000"
                           "{\\sp{\\sn shapeType}{\\sv 202}}{\\shptxt \\pard Words in a box\\par}}"
                           "{\\shprslt{\\*\\do\\dobxcolumn\\dptxbx{\\dptxbxtext\\pard Words in a box\\par}}}}";
    QTest::newRow("after the text anchoring it") << "\\pard Anchor" + box + " goes on\\par" << "Anchor goes on";
    QTest::newRow("first in its paragraph") << "\\pard " + box + "Then text\\par" << "Then text";
    QTest::newRow("after the last text") << "\\pard Text\\par " + box << "Text";
    QTest::newRow("an old drawing object")
        << QByteArray("\\pard Before{\\*\\do\\dobxcolumn\\dptxbx{\\dptxbxtext\\pard Old box\\par}} after\\par")
        << "Before after";
}

void tst_rtf_structure::floatingShapesAreKept()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    // Not shown, but never lost on a save: a text box's words are the user's.
    const QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}" + body + "}";
    QTextDocument first;
    RtfReader::read(rtf, first);
    QCOMPARE(RtfTestSupport::plainText(first), text);
    const QByteArray written = RtfWriter::write(first);
    const qsizetype at = body.indexOf("{\\shp") >= 0 ? body.indexOf("{\\shp") : body.indexOf("{\\*\\do");
    const QByteArray shape = body.mid(at, body.lastIndexOf('}') - at + 1);
    QVERIFY2(written.contains(shape), written.constData());
    QTextDocument again;
    RtfReader::read(written, again);
    QCOMPARE(RtfTestSupport::plainText(again), text);
    QCOMPARE(rewrite(written), written);
}

void tst_rtf_structure::embeddedObjectsAreKeptWhole_data()
{
    QTest::addColumn<QByteArray>("object");
    QTest::addColumn<QSize>("shownTwips");

    QTest::newRow("with the picture of its result")
        << QByteArray("{\\object\\objemb\\objw1440\\objh720{\\*\\objclass Excel.Sheet.8}{\\*\\objdata 01050000020000000b}"
                      "{\\result{\\pict\\wmetafile8\\picw2540\\pich1270\\picwgoal1440\\pichgoal720 0a0b0c}}}")
        << QSize(1440, 720);
    QTest::newRow("without a result: a frame of its size")
        << QByteArray("{\\object\\objemb\\objw2880\\objh1440{\\*\\objdata 0102}}") << QSize(2880, 1440);
}

void tst_rtf_structure::embeddedObjectsAreKeptWhole()
{
    QFETCH(QByteArray, object);
    QFETCH(QSize, shownTwips);
    QTextDocument first;
    RtfReader::read(doc("before " + object + " after\\par"), first);
    QCOMPARE(images(first).size(), 1);
    QCOMPARE(Twips::fromPixels(images(first).first().width()), shownTwips.width());
    QCOMPARE(Twips::fromPixels(images(first).first().height()), shownTwips.height());
    QCOMPARE(RtfTestSupport::plainText(first), QString("before \uFFFC after"));
    const QByteArray written = RtfWriter::write(first);
    QVERIFY2(written.contains(object), written.constData());
    QTextDocument again;
    RtfReader::read(written, again);
    QCOMPARE(images(again).size(), 1);
    QCOMPARE(rewrite(written), written);
}

QTEST_MAIN(tst_rtf_structure)
#include "tst_rtf_structure.moc"
