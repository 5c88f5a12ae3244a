// Every attribute the control can hold survives write -> read, over
// documents built in code; copying a selection and pasting it keeps its text
// and formats.
#include "RtfTestSupport.h"


#include <algorithm>
#include <functional>

using Builder = std::function<void(QTextCursor &)>;
Q_DECLARE_METATYPE(Builder)

namespace {
// A run with explicit family and size plus any further properties.
QTextCharFormat run(const QString &family = "Arial", qreal size = 12, const QMap<int, QVariant> &more = {})
{
    QTextCharFormat f;
    f.setFontFamilies({family});
    f.setFontPointSize(size);
    for (auto it = more.begin(); it != more.end(); ++it)
        f.setProperty(it.key(), it.value());
    return f;
}

QTextCharFormat runWith(const QMap<int, QVariant> &more) { return run("Arial", 12, more); }

using RtfTestSupport::describe;

// One line per block and per character: what the control can show of it.
QStringList structure(const QTextDocument &d)
{
    QStringList out;
    for (QTextBlock b = d.begin(); b.isValid(); b = b.next()) {
        out << describe(b);
        for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fr = it.fragment();
            for (const QChar ch : fr.text())
                out << QStringLiteral("  %1 %2").arg(ch).arg(describe(d, fr.charFormat()));
        }
    }
    return out;
}
}

class tst_rtf_roundtrip : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void copyAndPasteSelection();
};

void tst_rtf_roundtrip::roundTrip_data()
{
    QTest::addColumn<Builder>("build");
    // Written as other readers need it: lists in both forms, so old and new
    // readers show the bullet; text outside the code page as \u.
    QTest::addColumn<QByteArrayList>("written");

    QTest::newRow("empty document") << Builder([](QTextCursor &) {}) << QByteArrayList();
    QTest::newRow("every character attribute") << Builder([](QTextCursor &c) {
        c.insertText("plain ", run());
        c.insertText("bold ", run("Courier New", 9.5, {{QTextFormat::FontWeight, int(QFont::Bold)}}));
        c.insertText("italic-under ", run("Times New Roman", 20, {{QTextFormat::FontItalic, true},
            {QTextFormat::TextUnderlineStyle, int(QTextCharFormat::SingleUnderline)}}));
        c.insertText("struck red ", runWith({{QTextFormat::FontStrikeOut, true},
            {QTextFormat::ForegroundBrush, QBrush(QColor(200, 10, 20))}}));
        c.insertText("high", runWith({{QTextFormat::BackgroundBrush, QBrush(QColor(255, 255, 0))},
            {QTextFormat::TextVerticalAlignment, int(QTextCharFormat::AlignSuperScript)}}));
        c.insertText("low", runWith({{QTextFormat::TextVerticalAlignment, int(QTextCharFormat::AlignSubScript)},
            {QTextFormat::ForegroundBrush, QBrush(QColor(200, 10, 20))}}));
        c.insertText("caps", runWith({{QTextFormat::FontCapitalization, int(QFont::AllUppercase)}}));
    }) << QByteArrayList();
    QTest::newRow("runs without family or size take the document's") << Builder([](QTextCursor &c) {
        c.document()->setDefaultFont(QFont("Verdana", 10));
        c.insertText("default");
    }) << QByteArrayList();
    QTest::newRow("paragraph formats, a page break, an empty last paragraph") << Builder([](QTextCursor &c) {
        const Qt::Alignment aligns[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter, Qt::AlignJustify};
        for (int i = 0; i < 4; ++i) {
            QTextBlockFormat b;
            b.setAlignment(aligns[i]);
            b.setLeftMargin(Twips::toPixels(720 * i));
            b.setRightMargin(Twips::toPixels(180 * i));
            b.setTextIndent(Twips::toPixels(i == 2 ? -360 : 240));
            b.setTopMargin(Twips::toPixels(60 * i));
            b.setBottomMargin(Twips::toPixels(120));
            if (i == 3)
                b.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            i == 0 ? c.setBlockFormat(b) : c.insertBlock(b);
            c.insertText(QStringLiteral("paragraph %1").arg(i), run());
        }
        c.insertBlock(QTextBlockFormat());
    }) << QByteArrayList();
    QTest::newRow("bullets and numbering as separate lists") << Builder([](QTextCursor &c) {
        c.insertText("intro", run());
        QTextBlockFormat indented;
        indented.setLeftMargin(Twips::toPixels(720));
        indented.setTextIndent(Twips::toPixels(-360));
        for (const auto style : {QTextListFormat::ListDisc, QTextListFormat::ListDecimal}) {
            QTextListFormat format;
            format.setStyle(style);
            format.setIndent(0);
            c.insertBlock(indented);
            QTextList *list = c.createList(format);
            c.insertText("first", run());
            c.insertBlock(indented);
            list->add(c.block());
            c.insertText("second", run());
            c.insertBlock(QTextBlockFormat());
            c.insertText("between", run());
        }
    }) << QByteArrayList{"{\\pntext", "{\\*\\pn\\pnlvlblt", "{\\*\\listtable", "\\ls1"};
    QTest::newRow("characters and font names outside the code page") << Builder([](QTextCursor &c) {
        c.insertText(QString::fromUtf8("Ελληνικά 日本語 العربية 😀 € “quotes” café ÿ"), run());
        c.insertBlock();
        c.insertText(QString::fromUtf8("tab\there\u2028nbsp\u00a0soft\u00adnb\u2011 {braces} back\\slash"), run());
        // Font names too.
        c.insertText("a", run(QString::fromUtf8("Müller Sans")));
        c.insertText("b", run(QString::fromUtf8("微软雅黑")));
        c.insertText("c", run("Name {with} braces; and semicolon"));
    }) << QByteArrayList{"{\\fonttbl", "caf\\'e9", "\\'80", "\\u917?"};
    QTest::newRow("pictures keep pixels and size") << Builder([](QTextCursor &c) {
        QImage image(5, 4, QImage::Format_ARGB32);
        image.fill(QColor(10, 200, 30));
        c.document()->addResource(QTextDocument::ImageResource, QUrl("img://one"), image);
        c.insertText("before ", run());
        QTextImageFormat img;
        img.setName("img://one");
        img.setWidth(50);
        img.setHeight(40);
        c.insertImage(img);
        c.insertText(" after", run());
    }) << QByteArrayList();
}

void tst_rtf_roundtrip::roundTrip()
{
    QFETCH(Builder, build);
    QFETCH(QByteArrayList, written);
    QTextDocument original;
    QTextCursor c(&original);
    build(c);
    const QByteArray rtf = RtfWriter::write(original);
    QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0"));
    for (const QByteArray &part : written)
        QVERIFY2(rtf.contains(part), part.constData());
    // Seven-bit output: safe through any transport.
    QVERIFY(std::all_of(rtf.begin(), rtf.end(), [](char ch) { return uchar(ch) < 0x80; }));
    QTextDocument copy;
    copy.setDefaultFont(original.defaultFont());
    const QString problems = RtfReader::read(rtf, copy).errorText;
    QVERIFY2(problems.isEmpty(), qPrintable(problems));
    QCOMPARE(structure(copy), structure(original));
    // Writing again gives the same bytes: nothing drifts on repeated saves.
    QCOMPARE(RtfWriter::write(copy), rtf);
}

void tst_rtf_roundtrip::copyAndPasteSelection()
{
    QTextDocument source;
    QTextCursor c(&source);
    c.insertText("first ", run());
    c.insertText("bold", runWith({{QTextFormat::FontWeight, int(QFont::Bold)}}));
    c.insertText(" paragraph", run());
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    c.insertBlock(centred);
    c.insertText("second paragraph", run());

    QTextDocument target;
    // The target's text after the paste, then any problem the reader met.
    const auto pasteInto = [&target](const QTextCursor &selection) {
        target.setPlainText("[]");
        QTextCursor at(&target);
        at.setPosition(1);
        const QString problems = RtfReader::insert(RtfWriter::write(selection), at).errorText;
        return RtfTestSupport::plainText(target) + problems;
    };
    // Part of one paragraph: inline content, no paragraph mark.
    QTextCursor sel(&source);
    sel.setPosition(3);
    sel.setPosition(10, QTextCursor::KeepAnchor);   // "st bold"
    QCOMPARE(pasteInto(sel), QString("[st bold]"));
    QTextCursor probe(&target);
    probe.setPosition(8);
    QCOMPARE(probe.charFormat().fontWeight(), int(QFont::Bold));
    probe.setPosition(3);
    QCOMPARE(probe.charFormat().fontWeight(), int(QFont::Normal));

    // Across the paragraph mark: the break comes along.
    sel.setPosition(11);
    sel.setPosition(23, QTextCursor::KeepAnchor);   // "paragraph\nse"
    QCOMPARE(pasteInto(sel), QString("[paragraph\nse]"));

    // No selection writes an empty but valid document.
    sel.clearSelection();
    QCOMPARE(pasteInto(sel), QString("[]"));
}

QTEST_MAIN(tst_rtf_roundtrip)
#include "tst_rtf_roundtrip.moc"
