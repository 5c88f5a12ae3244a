// What the reader makes of hand-written RTF: text, character and paragraph
// formats, lists, pictures and pasting into existing text.
#include "RtfTestSupport.h"

#include <RtfReader.h>
#include <Twips.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextList>

namespace {
QByteArray doc(const QByteArray &body)
{
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman\\fcharset204 Times "
           "New Roman Cyr;}{\\f2\\fnil\\fcharset128 MS Mincho;}{\\f3\\fnil\\fcharset222 Tahoma;}}"
           "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
        + body + "}";
}

QString textOf(const QByteArray &rtf)
{
    QTextDocument document;
    RtfReader::read(rtf, document);
    return RtfTestSupport::plainText(document);
}

// Format of the first character of the first occurrence of needle.
QTextCharFormat formatAt(QTextDocument &document, const QString &needle)
{
    const QTextCursor found = document.find(needle);
    if (found.isNull())
        return {};
    QTextCursor c(&document);
    c.setPosition(found.selectionStart() + 1);
    return c.charFormat();
}

QByteArray pictureHex(const char *format)
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes.toHex();
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
    void lists_data();
    void lists();
    void pictures();
    void insertAtCursor();
    void errorsAreReported();
};

void tst_rtf_reader::text_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("expected");

    QTest::newRow("paragraphs, trailing mark ends the last one")
        << doc("one\\par two\\par") << "one\ntwo";
    QTest::newRow("an empty last paragraph written as its own mark stays")
        << doc("one\\par\\par") << "one\n";
    QTest::newRow("line, tab, page") << doc("a\\line b\\tab c\\page d")
                                     << QString("a\nb\tc\nd");
    QTest::newRow("escaped braces and backslash") << doc("\\{x\\}\\\\") << "{x}\\";
    QTest::newRow("special symbols")
        << doc("\\emdash\\endash\\lquote\\rquote\\ldblquote\\rdblquote\\bullet\\~\\-\\_")
        << QString::fromUtf8("—–‘’“”•\u00a0\u00ad\u2011");
    QTest::newRow("hex in the document code page") << doc("caf\\'e9 \\'80") << QString::fromUtf8("café €");
    QTest::newRow("hex by a Cyrillic font") << doc("{\\f1 \\'cf\\'f0\\'e8}") << QString::fromUtf8("При");
    QTest::newRow("hex by a Thai font") << doc("{\\f3 \\'a1}") << QString::fromUtf8("ก");
    QTest::newRow("double-byte pair split over escapes")
        << doc("{\\f2 \\'93\\'fa\\'96\\'7b}") << QString::fromUtf8("日本");
    QTest::newRow("ansicpg 1250 for fonts without charset")
        << QByteArray("{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0 Arial;}}\\f0 \\'b9\\'9c}") << QString::fromUtf8("ąś");
    QTest::newRow("unicode with one fallback") << doc("\\u1055?x") << QString::fromUtf8("Пx");
    QTest::newRow("unicode with two-byte fallback skipped")
        << doc("{\\uc2\\u26085\\'93\\'fa}x") << QString::fromUtf8("日x");
    QTest::newRow("uc0 has no fallback") << doc("\\uc0\\u1055 x") << QString::fromUtf8("Пx");
    QTest::newRow("uc scope ends with the group")
        << doc("{\\uc0 a}\\u1055?b") << QString::fromUtf8("aПb");
    QTest::newRow("negative unicode") << doc("\\u-3913?") << QString(QChar(0xF0B7));
    QTest::newRow("surrogate pair") << doc("\\u-10179?\\u-8704?") << QString::fromUtf8("😀");
    QTest::newRow("lone surrogate becomes a replacement")
        << doc("a\\u-10179?b") << QString::fromUtf8("a\uFFFDb");
    QTest::newRow("skipped destinations")
        << doc("{\\info{\\title T}}{\\stylesheet{\\s1 Heading;}}{\\header H}{\\footer F}"
               "A{\\super\\chftn}{\\footnote {\\super\\chftn} N}{\\*\\unknown U}{\\*\\bkmkstart B}B")
        << "A1B";
    QTest::newRow("stray star is not a destination")
        << doc("{\\b\\*\\cs7 kept}") << "kept";
    QTest::newRow("field keeps its result, not its instruction")
        << doc("{\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt link text}}") << "link text";
    QTest::newRow("field instruction without star")
        << doc("{\\field{\\fldinst PAGE}{\\fldrslt 7}}") << "7";
    QTest::newRow("bullet text does not double up")
        << doc("{\\pntext\\f0 \\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb \\'b7}}item\\par"
               "{\\listtext 1.\\tab}\\ls1 second\\par")
        << "item\nsecond";
    QTest::newRow("table cells in order")
        << doc("\\trowd\\cellx100\\cellx200 a\\cell b\\cell\\row\\trowd c\\cell d\\cell\\row")
        << "a\tb\nc\td";
    QTest::newRow("bin payload is not text")
        << doc("{\\*\\objdata \\bin5 x}y{z}a") << "a";
    QTest::newRow("object shows its result")
        << doc("{\\object{\\*\\objclass Paint}{\\result shown}}") << "shown";
    QTest::newRow("upr keeps the unicode form")
        << doc("{\\upr{ansi}{\\*\\ud{unicode}}}") << "unicode";
    QTest::newRow("backslash before a line end is a paragraph")
        << doc("a\\\nb") << "a\nb";
    QTest::newRow("hex line ends are breaks") << doc("a\\'0db") << "a\nb";
    QTest::newRow("control characters are dropped") << doc("a\\'01\\'7fb") << QString("a\x7f" "b");
}

void tst_rtf_reader::text()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, expected);
    QCOMPARE(textOf(rtf), expected);
}

void tst_rtf_reader::characterFormats_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<int>("property");
    QTest::addColumn<QVariant>("value");

    QTest::newRow("bold") << doc("{\\b X}") << int(QTextFormat::FontWeight) << QVariant(int(QFont::Bold));
    QTest::newRow("bold off by b0") << doc("\\b{\\b0 X}") << int(QTextFormat::FontWeight) << QVariant(int(QFont::Normal));
    QTest::newRow("italic") << doc("{\\i X}") << int(QTextFormat::FontItalic) << QVariant(true);
    QTest::newRow("underline") << doc("{\\ul X}") << int(QTextFormat::TextUnderlineStyle)
                               << QVariant(int(QTextCharFormat::SingleUnderline));
    QTest::newRow("double underline reads as underline")
        << doc("{\\uldb X}") << int(QTextFormat::TextUnderlineStyle) << QVariant(int(QTextCharFormat::SingleUnderline));
    QTest::newRow("ulnone") << doc("\\ul a\\ulnone X") << int(QTextFormat::TextUnderlineStyle)
                            << QVariant(int(QTextCharFormat::NoUnderline));
    QTest::newRow("strike") << doc("{\\strike X}") << int(QTextFormat::FontStrikeOut) << QVariant(true);
    QTest::newRow("plain resets") << doc("\\b\\i\\plain X") << int(QTextFormat::FontItalic) << QVariant(false);
    QTest::newRow("group end restores") << doc("{\\i a}X") << int(QTextFormat::FontItalic) << QVariant(false);
    QTest::newRow("size") << doc("{\\fs36 X}") << int(QTextFormat::FontPointSize) << QVariant(18.0);
    QTest::newRow("default size is 12 pt") << doc("X") << int(QTextFormat::FontPointSize) << QVariant(12.0);
    QTest::newRow("absurd size is bounded") << doc("{\\fs999999999 X}") << int(QTextFormat::FontPointSize) << QVariant(1638.0);
    QTest::newRow("default family is deff") << doc("X") << int(QTextFormat::FontFamilies) << QVariant(QStringList{"Arial"});
    QTest::newRow("font family") << doc("{\\f1 X}") << int(QTextFormat::FontFamilies)
                                 << QVariant(QStringList{"Times New Roman Cyr"});
    QTest::newRow("unknown font falls back to deff") << doc("{\\f9 X}") << int(QTextFormat::FontFamilies)
                                                     << QVariant(QStringList{"Arial"});
    QTest::newRow("colour") << doc("{\\cf1 X}") << int(QTextFormat::ForegroundBrush) << QVariant(QBrush(QColor(255, 0, 0)));
    QTest::newRow("auto colour sets nothing") << doc("{\\cf0 X}") << int(QTextFormat::ForegroundBrush) << QVariant();
    QTest::newRow("colour past the table sets nothing") << doc("{\\cf7 X}") << int(QTextFormat::ForegroundBrush) << QVariant();
    QTest::newRow("highlight") << doc("{\\highlight2 X}") << int(QTextFormat::BackgroundBrush)
                               << QVariant(QBrush(QColor(0, 0, 255)));
    QTest::newRow("cb") << doc("{\\cb1 X}") << int(QTextFormat::BackgroundBrush) << QVariant(QBrush(QColor(255, 0, 0)));
    QTest::newRow("super") << doc("{\\super X}") << int(QTextFormat::TextVerticalAlignment)
                           << QVariant(int(QTextCharFormat::AlignSuperScript));
    QTest::newRow("sub") << doc("{\\sub X}") << int(QTextFormat::TextVerticalAlignment)
                         << QVariant(int(QTextCharFormat::AlignSubScript));
    QTest::newRow("nosupersub") << doc("\\super\\nosupersub X") << int(QTextFormat::TextVerticalAlignment) << QVariant();
    QTest::newRow("caps") << doc("{\\caps X}") << int(QTextFormat::FontCapitalization) << QVariant(int(QFont::AllUppercase));
}

void tst_rtf_reader::characterFormats()
{
    QFETCH(QByteArray, rtf);
    QFETCH(int, property);
    QFETCH(QVariant, value);
    QTextDocument document;
    RtfReader::read(rtf, document);
    const QTextCharFormat f = formatAt(document, "X");
    QVERIFY(f.hasProperty(QTextFormat::FontFamilies));
    QVERIFY(f.hasProperty(QTextFormat::FontPointSize));
    if (!value.isValid())
        QVERIFY(!f.hasProperty(property));
    else if (property == QTextFormat::FontFamilies)
        QCOMPARE(f.property(property).toStringList(), value.toStringList());
    else if (property == QTextFormat::FontPointSize)
        QCOMPARE(f.doubleProperty(property), value.toDouble());
    else if (value.typeId() == QMetaType::QBrush)
        QCOMPARE(f.brushProperty(property).color(), value.value<QBrush>().color());
    else if (value.typeId() == QMetaType::Bool)
        QCOMPARE(f.boolProperty(property), value.toBool());
    else
        QCOMPARE(f.intProperty(property), value.toInt());
}

void tst_rtf_reader::paragraphFormats()
{
    QTextDocument document;
    RtfReader::read(doc("\\pard\\qc\\li720\\ri360\\fi-360\\sb120\\sa240 first\\par "
                        "second\\par\\pard\\qr right\\par\\pard\\qj justified\\page after"),
                    document);
    QCOMPARE(document.blockCount(), 5);
    const QTextBlockFormat first = document.findBlockByNumber(0).blockFormat();
    QCOMPARE(first.alignment(), Qt::AlignHCenter);
    QCOMPARE(first.leftMargin(), Twips::toPixels(720));
    QCOMPARE(first.rightMargin(), Twips::toPixels(360));
    QCOMPARE(first.textIndent(), Twips::toPixels(-360));
    QCOMPARE(first.topMargin(), Twips::toPixels(120));
    QCOMPARE(first.bottomMargin(), Twips::toPixels(240));
    // Without \pard the next paragraph keeps the properties.
    QCOMPARE(document.findBlockByNumber(1).blockFormat().leftMargin(), Twips::toPixels(720));
    QCOMPARE(document.findBlockByNumber(2).blockFormat().alignment(), Qt::AlignRight);
    QCOMPARE(document.findBlockByNumber(2).blockFormat().leftMargin(), 0.0);
    QCOMPARE(document.findBlockByNumber(3).blockFormat().alignment(), Qt::AlignJustify);
    QVERIFY(document.findBlockByNumber(4).blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
    QVERIFY(!(document.findBlockByNumber(3).blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore));

    // A break right after a paragraph mark starts the next paragraph on a new page.
    RtfReader::read(doc("one\\par \\page two\\par"), document);
    QCOMPARE(RtfTestSupport::plainText(document), QString("one\ntwo"));
    QVERIFY(document.lastBlock().blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
}

void tst_rtf_reader::lists_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("items");

    const QByteArray tables =
        "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc23{\\leveltext\\'01\\'b7;}}\\listid10}"
        "{\\list\\listtemplateid2{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}\\listid20}}"
        "{\\*\\listoverridetable{\\listoverride\\listid10\\listoverridecount0\\ls1}"
        "{\\listoverride\\listid20\\listoverridecount0\\ls2}}";
    QTest::newRow("legacy pn bullets")
        << doc("\\pard{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnindent0{\\pntxtb\\'b7}}\\fi-360\\li720 one\\par"
               "{\\pntext\\'b7\\tab}two\\par\\pard after\\par")
        << int(QTextListFormat::ListDisc) << 2;
    QTest::newRow("legacy pn numbering")
        << doc("\\pard{\\pntext 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec{\\pntxta .}}one\\par{\\pntext 2.\\tab}two\\par")
        << int(QTextListFormat::ListDecimal) << 2;
    QTest::newRow("list table bullets")
        << doc(tables + "\\pard\\ls1{\\listtext\\'b7\\tab}one\\par\\pard\\ls1{\\listtext\\'b7\\tab}two\\par")
        << int(QTextListFormat::ListDisc) << 2;
    QTest::newRow("list table numbering")
        << doc(tables + "\\pard\\ls2{\\listtext 1.\\tab}one\\par\\pard\\ls2{\\listtext 2.\\tab}two\\par")
        << int(QTextListFormat::ListDecimal) << 2;
    QTest::newRow("unknown list override still reads as bullets")
        << doc("\\pard\\ls5 one\\par\\pard\\ls5 two\\par") << int(QTextListFormat::ListDisc) << 2;
}

void tst_rtf_reader::lists()
{
    QFETCH(QByteArray, rtf);
    QFETCH(int, style);
    QFETCH(int, items);
    QTextDocument document;
    RtfReader::read(rtf, document);
    QTextList *list = document.begin().textList();
    QVERIFY(list);
    QCOMPARE(int(list->format().style()), style);
    QCOMPARE(list->format().indent(), 0);
    QCOMPARE(list->count(), items);
    QCOMPARE(document.begin().text(), QString("one"));
    QCOMPARE(document.begin().next().text(), QString("two"));
    if (document.blockCount() > 2)
        QVERIFY(!document.findBlockByNumber(2).textList());
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
    QCOMPARE(document.toPlainText().count(QChar::ObjectReplacementCharacter), 2);
    QVERIFY(result.errorText.contains("picture"));   // the damaged PNG

    QTextCursor c(&document);
    c.setPosition(2);
    const QTextImageFormat png = c.charFormat().toImageFormat();
    QVERIFY(png.isValid());
    QCOMPARE(png.width(), Twips::toPixels(1500));
    QCOMPARE(png.height(), Twips::toPixels(750));
    const QImage image = document.resource(QTextDocument::ImageResource, QUrl(png.name())).value<QImage>();
    QCOMPARE(image.size(), QSize(4, 3));
    c.setPosition(4);
    const QTextImageFormat jpeg = c.charFormat().toImageFormat();
    QVERIFY(jpeg.isValid());
    QCOMPARE(jpeg.width(), 4.0);
}

void tst_rtf_reader::insertAtCursor()
{
    QTextDocument document;
    document.setPlainText("xyz");
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    QTextCursor(&document).setBlockFormat(centred);

    QTextCursor c(&document);
    c.setPosition(1);
    RtfReader::insert(doc("\\pard\\qr A\\par B"), c);
    QCOMPARE(RtfTestSupport::plainText(document), QString("xA\nByz"));
    // The paragraphs around the paste keep their formats.
    QCOMPARE(document.findBlockByNumber(0).blockFormat().alignment(), Qt::AlignHCenter);
    QCOMPARE(document.findBlockByNumber(1).blockFormat().alignment(), Qt::AlignHCenter);

    // Inline text pastes inline; a selection is replaced; one undo step.
    document.setPlainText("hello world");
    c = QTextCursor(&document);
    c.setPosition(6);
    c.setPosition(11, QTextCursor::KeepAnchor);
    RtfReader::insert(doc("{\\b there}"), c);
    QCOMPARE(document.toPlainText(), QString("hello there"));
    document.undo();
    QCOMPARE(document.toPlainText(), QString("hello world"));

    // A trailing paragraph mark in pasted content is a line break.
    c = QTextCursor(&document);
    RtfReader::insert(doc("top\\par"), c);
    QCOMPARE(RtfTestSupport::plainText(document), QString("top\nhello world"));
}

void tst_rtf_reader::errorsAreReported()
{
    QTextDocument document;
    RtfReader::Result r = RtfReader::read(doc("fine\\par"), document);
    QVERIFY(r.ok);
    QVERIFY2(r.errorText.isEmpty(), qPrintable(r.errorText));

    r = RtfReader::read("just some text", document);
    QVERIFY(!r.ok);
    QVERIFY(r.errorText.contains("not Rich Text"));

    r = RtfReader::read("", document);
    QVERIFY(!r.ok);
    QVERIFY(r.errorText.contains("empty"));

    r = RtfReader::read("{\\rtf1 a{\\b b", document);
    QVERIFY(r.ok);
    QCOMPARE(document.toPlainText(), QString("ab"));
    QVERIFY(r.errorText.contains("not closed"));

    QVERIFY(RtfReader::isRtf(" \r\n{\\rtf1}"));
    QVERIFY(!RtfReader::isRtf("{\\rt"));
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    tst_rtf_reader test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_rtf_reader.moc"
