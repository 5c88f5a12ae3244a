// What the reader makes of hand-written RTF: text, character and paragraph
// formats, lists, pictures and pasting into existing text.
#include "RtfTestSupport.h"

#include <DocumentFile.h>
#include <DocumentText.h>

#include <QBuffer>

using RtfTestSupport::plainText;

namespace {
QByteArray doc(const QByteArray &body)
{
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman\\fcharset204 Times "
           "New Roman Cyr;}{\\f2\\fnil\\fcharset128 MS Mincho;}{\\f3\\fnil\\fcharset222 Tahoma;}}"
           "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
        + body + "}";
}

QTextCharFormat formatAt(QTextDocument &document, int position)
{
    QTextCursor c(&document);
    c.setPosition(position);
    return c.charFormat();
}

QByteArray pictureHex(const char *format)
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return buffer.data().toHex();
}
}

class tst_rtf_reader : public QObject
{
    Q_OBJECT

private slots:
    void text_data();
    void text();
    void characterFormats_data();
    void characterFormats();
    void paragraphFormats();
    void paragraphDirection();
    void lists_data();
    void lists();
    void pictures();
    void insertAtCursor();
    void textOnly_data();
    void textOnly();
};

void tst_rtf_reader::text_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("expected");

    QTest::newRow("paragraphs, trailing mark ends the last one") << doc("one\\par two\\par") << "one\ntwo";
    QTest::newRow("an empty last paragraph written as its own mark stays") << doc("one\\par\\par") << "one\n";
    QTest::newRow("line, tab, page") << doc("a\\line b\\tab c\\page d") << QString("a\nb\tc\nd");
    QTest::newRow("escaped braces and backslash") << doc("\\{x\\}\\\\") << "{x}\\";
    QTest::newRow("special symbols")
        << doc("\\emdash\\endash\\lquote\\rquote\\ldblquote\\rdblquote\\bullet\\~\\-\\_")
        << QString::fromUtf8("—–‘’“”•\u00a0\u00ad\u2011");
    QTest::newRow("hex in the document code page") << doc("caf\\'e9 \\'80") << QString::fromUtf8("café €");
    QTest::newRow("hex by a Cyrillic font") << doc("{\\f1 \\'cf\\'f0\\'e8}") << QString::fromUtf8("При");
    QTest::newRow("hex by a Thai font") << doc("{\\f3 \\'a1}") << QString::fromUtf8("ก");
    QTest::newRow("double-byte pair split over escapes") << doc("{\\f2 \\'93\\'fa\\'96\\'7b}") << QString::fromUtf8("日本");
    QTest::newRow("ansicpg 1250 for fonts without charset")
        << QByteArray("{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0 Arial;}}\\f0 \\'b9\\'9c}") << QString::fromUtf8("ąś");
    QTest::newRow("unicode with one fallback") << doc("\\u1055?x") << QString::fromUtf8("Пx");
    QTest::newRow("unicode with two-byte fallback skipped") << doc("{\\uc2\\u26085\\'93\\'fa}x") << QString::fromUtf8("日x");
    QTest::newRow("uc0 has no fallback") << doc("\\uc0\\u1055 x") << QString::fromUtf8("Пx");
    QTest::newRow("uc scope ends with the group") << doc("{\\uc0 a}\\u1055?b") << QString::fromUtf8("aПb");
    QTest::newRow("negative unicode") << doc("\\u-3913?") << QString(QChar(0xF0B7));
    QTest::newRow("surrogate pair") << doc("\\u-10179?\\u-8704?") << QString::fromUtf8("😀");
    QTest::newRow("lone surrogate becomes a replacement") << doc("a\\u-10179?b") << QString::fromUtf8("a\uFFFDb");
    QTest::newRow("skipped destinations")
        << doc("{\\info{\\title T}}{\\stylesheet{\\s1 Heading;}}{\\header H}{\\footer F}"
               "A{\\super\\chftn}{\\footnote {\\super\\chftn} N}{\\*\\unknown U}{\\*\\bkmkstart B}B")
        << "A1B";
    QTest::newRow("stray star is not a destination") << doc("{\\b\\*\\cs7 kept}") << "kept";
    QTest::newRow("field keeps its result, not its instruction")
        << doc("{\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt link text}}") << "link text";
    QTest::newRow("field instruction without star") << doc("{\\field{\\fldinst PAGE}{\\fldrslt 7}}") << "7";
    QTest::newRow("table cells in order")
        << doc("\\trowd\\cellx100\\cellx200 a\\cell b\\cell\\row\\trowd c\\cell d\\cell\\row") << "a\tb\nc\td\n";
    QTest::newRow("bin payload is not text") << doc("{\\*\\objdata \\bin5 x}y{z}a") << "a";
    QTest::newRow("object shows its result") << doc("{\\object{\\*\\objclass Paint}{\\result shown}}") << "shown";
    QTest::newRow("upr keeps the unicode form") << doc("{\\upr{ansi}{\\*\\ud{unicode}}}") << "unicode";
    QTest::newRow("backslash before a line end is a paragraph") << doc("a\\\nb") << "a\nb";
    QTest::newRow("hex line ends are breaks") << doc("a\\'0db") << "a\nb";
    QTest::newRow("control characters are dropped") << doc("a\\'01\\'7fb") << QString("a\x7f" "b");
}

void tst_rtf_reader::text()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, expected);
    QTextDocument document;
    const QString problems = RtfReader::read(rtf, document).errorText;
    QVERIFY2(problems.isEmpty(), qPrintable(problems));
    QCOMPARE(plainText(document), expected);
}

void tst_rtf_reader::characterFormats_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("expected");   // part of the description of X's format

    QTest::newRow("defaults: deff family, 12 pt, nothing else")
        << doc("X") << "family=Arial size=12 weight=400 italic=0 underline=0 strike=0 fg=auto bg=none valign=0 caps=0";
    QTest::newRow("bold") << doc("{\\b X}") << "weight=700";
    QTest::newRow("bold off by b0") << doc("\\b{\\b0 X}") << "weight=400";
    QTest::newRow("italic") << doc("{\\i X}") << "italic=1";
    QTest::newRow("underline") << doc("{\\ul X}") << "underline=1";
    QTest::newRow("double underline reads as underline") << doc("{\\uldb X}") << "underline=1";
    QTest::newRow("ulnone") << doc("\\ul a\\ulnone X") << "underline=0";
    QTest::newRow("strike") << doc("{\\strike X}") << "strike=1";
    QTest::newRow("plain resets") << doc("\\b\\i\\plain X") << "weight=400 italic=0";
    QTest::newRow("group end restores") << doc("{\\i a}X") << "italic=0";
    QTest::newRow("size") << doc("{\\fs36 X}") << "size=18 ";
    QTest::newRow("absurd size is bounded") << doc("{\\fs999999999 X}") << "size=1638 ";
    QTest::newRow("font family") << doc("{\\f1 X}") << "family=Times New Roman Cyr size";
    QTest::newRow("unknown font falls back to deff") << doc("{\\f9 X}") << "family=Arial size";
    QTest::newRow("colour") << doc("{\\cf1 X}") << "fg=#ff0000";
    QTest::newRow("auto colour sets nothing") << doc("{\\cf0 X}") << "fg=auto";
    QTest::newRow("colour past the table sets nothing") << doc("{\\cf7 X}") << "fg=auto";
    QTest::newRow("highlight") << doc("{\\highlight2 X}") << "bg=#0000ff";
    QTest::newRow("cb") << doc("{\\cb1 X}") << "bg=#ff0000";
    QTest::newRow("super") << doc("{\\super X}") << "valign=1";
    QTest::newRow("sub") << doc("{\\sub X}") << "valign=2";
    QTest::newRow("nosupersub") << doc("\\super\\nosupersub X") << "valign=0";
    QTest::newRow("caps") << doc("{\\caps X}") << "caps=1";
}

void tst_rtf_reader::characterFormats()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, expected);
    QTextDocument document;
    RtfReader::read(rtf, document);
    const QTextCharFormat f = formatAt(document, document.toPlainText().indexOf(u'X') + 1);
    // Every run names its family and size: the control's defaults are not the file's.
    QVERIFY(f.hasProperty(QTextFormat::FontFamilies) && f.hasProperty(QTextFormat::FontPointSize));
    const QString description = RtfTestSupport::describe(document, f);
    QVERIFY2((description + u' ').contains(expected), qPrintable(description));
}

void tst_rtf_reader::paragraphFormats()
{
    QTextDocument document;
    RtfReader::read(doc("\\pard\\qc\\li720\\ri360\\fi-360\\sb120\\sa240 first\\par second\\par\\pard\\qr right\\par"
                        "\\pard\\qj justified\\page after\\par \\page last\\par"),
                    document);
    QStringList blocks;
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next())
        blocks << RtfTestSupport::describe(b);
    // Without \pard the next paragraph keeps the properties; a break right
    // after a paragraph mark starts the next paragraph on a new page, with no
    // empty paragraph between.
    QCOMPARE(blocks, QStringList({"[first] align=4 left=720 right=360 indent=-360 before=120 after=240 break=0 list=-",
                                  "[second] align=4 left=720 right=360 indent=-360 before=120 after=240 break=0 list=-",
                                  "[right] align=2 left=0 right=0 indent=0 before=0 after=0 break=0 list=-",
                                  "[justified] align=8 left=0 right=0 indent=0 before=0 after=0 break=0 list=-",
                                  "[after] align=8 left=0 right=0 indent=0 before=0 after=0 break=1 list=-",
                                  "[last] align=8 left=0 right=0 indent=0 before=0 after=0 break=1 list=-"}));
}

void tst_rtf_reader::paragraphDirection()
{
    // The same Hebrew word twice; only the first paragraph says it runs right
    // to left, and the second must not be guessed from its letters.
    const QByteArray hebrew = "\\u1513?\\u1500?\\u1493?\\u1501?";
    const QByteArray rtf = doc("\\pard\\rtlpar\\qr " + hebrew + "\\par\\pard " + hebrew + "\\par");
    QTextDocument read;
    DocumentFile::setLeftToRight(read);
    RtfReader::read(rtf, read);
    QTextDocument again;
    DocumentFile::setLeftToRight(again);
    RtfReader::read(RtfWriter::write(read), again);
    for (QTextDocument *document : {&read, &again}) {
        QCOMPARE(document->findBlockByNumber(0).textDirection(), Qt::RightToLeft);
        QCOMPARE(document->findBlockByNumber(1).textDirection(), Qt::LeftToRight);
    }
}

void tst_rtf_reader::lists_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("expected");   // each paragraph's text and list item

    const QByteArray tables =
        "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc23{\\leveltext\\'01\\'b7;}}\\listid10}"
        "{\\list\\listtemplateid2{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}\\listid20}}"
        "{\\*\\listoverridetable{\\listoverride\\listid10\\listoverridecount0\\ls1}"
        "{\\listoverride\\listid20\\listoverridecount0\\ls2}}";
    const QString bullets = "[one] -1#0 [two] -1#1", numbers = "[one] -4#0 [two] -4#1";   // style#item
    QTest::newRow("legacy pn bullets")
        << doc("\\pard{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnindent0{\\pntxtb\\'b7}}\\fi-360\\li720 one\\par"
               "{\\pntext\\'b7\\tab}two\\par\\pard after\\par")
        << bullets + " [after] -";
    QTest::newRow("legacy pn numbering")
        << doc("\\pard{\\pntext 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec{\\pntxta .}}one\\par{\\pntext 2.\\tab}two\\par") << numbers;
    QTest::newRow("list table bullets")
        << doc(tables + "\\pard\\ls1{\\listtext\\'b7\\tab}one\\par\\pard\\ls1{\\listtext\\'b7\\tab}two\\par") << bullets;
    QTest::newRow("list table numbering")
        << doc(tables + "\\pard\\ls2{\\listtext 1.\\tab}one\\par\\pard\\ls2{\\listtext 2.\\tab}two\\par") << numbers;
    QTest::newRow("unknown list override still reads as bullets") << doc("\\pard\\ls5 one\\par\\pard\\ls5 two\\par") << bullets;
}

void tst_rtf_reader::lists()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, expected);
    QTextDocument document;
    RtfReader::read(rtf, document);
    // The bullet or number belongs to the list, not doubled as text; margins
    // come from the paragraph, so the list itself is not indented.
    QStringList got;
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) {
        got << RtfTestSupport::describe(b).replace(QRegularExpression(" align=.* list="), " ");
        QVERIFY(!b.textList() || b.textList()->format().indent() == 0);
    }
    QCOMPARE(got.join(u' '), expected);
}

void tst_rtf_reader::pictures()
{
    QTextDocument document;
    const QByteArray rtf = doc("a{\\pict\\pngblip\\picw4\\pich3\\picwgoal1500\\pichgoal750 " + pictureHex("PNG")
                               + "}b{\\*\\shppict{\\pict\\jpegblip " + pictureHex("JPG")
                               + "}}{\\nonshppict{\\pict\\wmetafile8 0102}}{\\pict\\emfblip 0102}c"
                                 "{\\pict\\pngblip 00ff}d");
    const RtfReader::Result result = RtfReader::read(rtf, document);
    QCOMPARE(document.toPlainText().remove(QChar::ObjectReplacementCharacter), QString("abcd"));
    // The metafile and the damaged PNG show as frames; the picture in
    // \nonshppict is the same one again for older readers.
    QCOMPARE(document.toPlainText().count(QChar::ObjectReplacementCharacter), 4);
    QVERIFY(result.errorText.contains("picture"));   // the damaged PNG

    // Size in twips as the file asks (else the picture's own), then pixels.
    QCOMPARE(RtfTestSupport::describe(document, formatAt(document, 2)), QString("image 1500x750 px 4x3 at ffff0000"));
    QVERIFY(RtfTestSupport::describe(document, formatAt(document, 4)).startsWith("image 60x45 px 4x3 at "));
}

void tst_rtf_reader::insertAtCursor()
{
    QTextDocument document;
    document.setHtml("<p align=center>xyz</p>");

    QTextCursor c(&document);
    c.setPosition(1);
    RtfReader::insert(doc("\\pard\\qr A\\par B"), c);
    QCOMPARE(plainText(document), QString("xA\nByz"));
    // The paragraphs around the paste keep their formats.
    QCOMPARE(document.findBlockByNumber(0).blockFormat().alignment(), Qt::AlignHCenter);
    QCOMPARE(document.findBlockByNumber(1).blockFormat().alignment(), Qt::AlignHCenter);

    // Inline text pastes inline; a selection is replaced; one undo step.
    document.setPlainText("hello world");
    c = document.find("world");
    RtfReader::insert(doc("{\\b there}"), c);
    QCOMPARE(document.toPlainText(), QString("hello there"));
    document.undo();
    QCOMPARE(document.toPlainText(), QString("hello world"));

    // A trailing paragraph mark in pasted content is a line break.
    c = QTextCursor(&document);
    RtfReader::insert(doc("top\\par"), c);
    QCOMPARE(plainText(document), QString("top\nhello world"));
}


// Reading straight to text (what a conversion to text does) must give what a
// text save of the read document writes, in the places where the document's
// shape decides the text: around and inside tables, list labels, pictures.
void tst_rtf_reader::textOnly_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("expected");

    const QByteArray row = "\\trowd\\cellx1000\\cellx2000\\intbl a\\cell b\\cell\\row";
    const QByteArray lists =
        "{\\*\\listtable{\\list{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}}"
        "{\\listlevel\\levelnfc2{\\leveltext\\'04\\'00.\\'01.;}}\\listid20}}"
        "{\\*\\listoverridetable{\\listoverride\\listid20\\ls2}}";
    QTest::newRow("paragraphs, a line break, no final mark")
        << doc("one\\par two\\line three\\par four") << "one\r\ntwo\r\nthree\r\nfour";
    QTest::newRow("a final mark ends the last paragraph") << doc("one\\par") << "one";
    QTest::newRow("nothing at all") << doc("") << "";
    QTest::newRow("table first, nothing after") << doc(row) << "a\tb\r\n";
    QTest::newRow("table between paragraphs")
        << doc("before\\par " + row + "\\pard after\\par") << "before\r\na\tb\r\nafter";
    QTest::newRow("empty paragraphs before and between tables")
        << doc("\\par " + row + "\\pard\\par " + row + "\\pard\\par\\par end")
        << "a\tb\r\na\tb\r\n\r\n\r\nend";
    // A row whose last place a cell from the row above covers still ends.
    QTest::newRow("merged cells and a short row")
        << doc("\\trowd\\clmgf\\cellx1000\\clmrg\\cellx2000\\clvmgf\\cellx3000\\intbl wide\\cell\\cell down\\cell\\row"
               "\\trowd\\cellx2000\\clvmrg\\cellx3000\\intbl one\\cell\\cell\\row"
               "\\trowd\\cellx1000\\intbl short\\cell\\row")
        << "wide\tdown\r\none\r\nshort\t\t\r\n";
    QTest::newRow("nested table after text in a cell")
        << doc("\\trowd\\cellx3000\\cellx6000\\pard\\intbl lead\\par"
               "\\pard\\intbl\\itap2 n1\\nestcell n2\\nestcell{\\*\\nesttableprops\\trowd\\cellx1000\\cellx2000\\nestrow}"
               "{\\nonesttables\\par}\\pard\\intbl\\itap1 tail\\cell right\\cell\\row")
        << "lead\r\nn1\tn2\r\ntail\tright\r\n";
    QTest::newRow("nested table first in a cell, last in another")
        << doc("\\trowd\\cellx3000\\cellx6000"
               "\\pard\\intbl\\itap2 n1\\nestcell{\\*\\nesttableprops\\trowd\\cellx1000\\nestrow}"
               "{\\nonesttables\\par}\\pard\\intbl\\itap1\\cell x\\cell\\row")
        << "n1\r\n\tx\r\n";
    QTest::newRow("numbered levels, then legacy bullets")
        << doc(lists + "\\pard\\ls2 one\\par\\pard\\ls2\\ilvl1 sub\\par\\pard\\ls2 two\\par"
               "\\pard{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}dot\\par")
        << "1.\tone\r\n1.i.\tsub\r\n2.\ttwo\r\n\u2022\tdot";
    QTest::newRow("an empty last item has no label, an empty one before does")
        << doc(lists + "\\pard\\ls2 one\\par\\pard\\ls2\\par\\pard\\ls2 three\\par\\pard\\ls2\\par\\pard\\ls2 ")
        << "1.\tone\r\n2.\t\r\n3.\tthree\r\n";
    // Text keeps its logical order; display turns it round.
    QTest::newRow("right to left item") << doc(lists + "\\pard\\rtlpar\\ls2 one\\par") << "1.\tone";
    QTest::newRow("list in a cell")
        << doc(lists + "\\trowd\\cellx1000\\pard\\intbl\\ls2 in\\cell\\row\\pard\\ls2 out\\par")
        << "1.\tin\r\n2.\tout";
    QTest::newRow("pictures and objects leave no trace")
        << doc("a{\\pict\\pngblip\\picw10\\pich10 " + pictureHex("PNG") + "}b"
               "{\\object\\objemb\\objw100\\objh100{\\*\\objdata 0102}}c\\par")
        << "abc";
    QTest::newRow("a frame marker in the text is no paragraph break")
        << doc("a\\u64976?b\\u64977?c") << "abc";
}

void tst_rtf_reader::textOnly()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, expected);
    QTextDocument document;
    DocumentFile::setLeftToRight(document);
    RtfReader::read(rtf, document);
    const QString lineEnd = QStringLiteral("\r\n");
    QCOMPARE(DocumentText::plain(&document, 0, DocumentText::length(&document), lineEnd, true), expected);
    QString direct;
    QVERIFY(RtfReader::readText(rtf, lineEnd, direct).ok);
    QCOMPARE(direct, expected);
}

QTEST_MAIN(tst_rtf_reader)
#include "tst_rtf_reader.moc"
