// Every attribute the control can hold survives write -> read, over
// documents built in code; copying a selection and pasting it keeps its text
// and formats.
#include "RtfTestSupport.h"

#include <RtfReader.h>
#include <RtfWriter.h>
#include <Twips.h>

#include <QGuiApplication>
#include <QImage>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextList>

#include <functional>

using Builder = std::function<void(QTextDocument &)>;
Q_DECLARE_METATYPE(Builder)

namespace {
QTextCharFormat run(const QString &family = "Arial", qreal size = 12)
{
    QTextCharFormat f;
    f.setFontFamilies({family});
    f.setFontPointSize(size);
    return f;
}

QString family(const QTextDocument &d, const QTextCharFormat &f)
{
    const QStringList families = f.fontFamilies().toStringList();
    return families.isEmpty() ? d.defaultFont().family() : families.first();
}

qreal pointSize(const QTextDocument &d, const QTextCharFormat &f)
{
    return f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : d.defaultFont().pointSizeF();
}

QString describe(const QTextDocument &d, const QTextCharFormat &f)
{
    if (f.isImageFormat()) {
        const QTextImageFormat i = f.toImageFormat();
        const QImage image = d.resource(QTextDocument::ImageResource, QUrl(i.name())).value<QImage>();
        return QStringLiteral("image %1x%2 px %3x%4 at %5")
            .arg(Twips::fromPixels(i.width())).arg(Twips::fromPixels(i.height()))
            .arg(image.width()).arg(image.height())
            .arg(image.isNull() ? 0 : image.pixel(0, 0), 0, 16);
    }
    return QStringLiteral("%1 %2pt w%3 i%4 u%5 s%6 fg%7 bg%8 v%9 c%10")
        .arg(family(d, f))
        .arg(pointSize(d, f))
        .arg(f.fontWeight() >= QFont::DemiBold)
        .arg(f.fontItalic())
        .arg(f.fontUnderline())
        .arg(f.fontStrikeOut())
        .arg(f.hasProperty(QTextFormat::ForegroundBrush) ? f.foreground().color().name() : "auto")
        .arg(f.hasProperty(QTextFormat::BackgroundBrush) ? f.background().color().name() : "none")
        .arg(int(f.verticalAlignment()))
        .arg(int(f.fontCapitalization()));
}

QString describeBlock(const QTextBlock &b)
{
    const QTextBlockFormat f = b.blockFormat();
    QString list = "-";
    if (QTextList *l = b.textList())
        list = QStringLiteral("list%1 #%2").arg(int(l->format().style())).arg(l->itemNumber(b));
    return QStringLiteral("[%1] a%2 li%3 ri%4 fi%5 sb%6 sa%7 pb%8 %9")
        .arg(b.text())
        .arg(int(f.alignment() & Qt::AlignHorizontal_Mask))
        .arg(Twips::fromPixels(f.leftMargin()))
        .arg(Twips::fromPixels(f.rightMargin()))
        .arg(Twips::fromPixels(f.textIndent()))
        .arg(Twips::fromPixels(f.topMargin()))
        .arg(Twips::fromPixels(f.bottomMargin()))
        .arg(bool(f.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore))
        .arg(list);
}

// One line per block and per character: what the control can show of it.
QStringList structure(const QTextDocument &d)
{
    QStringList out;
    for (QTextBlock b = d.begin(); b.isValid(); b = b.next()) {
        out << describeBlock(b);
        for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fr = it.fragment();
            for (int i = 0; i < fr.length(); ++i)
                out << QStringLiteral("  %1 %2").arg(fr.text().at(i)).arg(describe(d, fr.charFormat()));
        }
    }
    return out;
}

QImage testImage()
{
    QImage image(5, 4, QImage::Format_ARGB32);
    image.fill(QColor(10, 200, 30));
    return image;
}
}

class tst_rtf_roundtrip : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void writerOutputForOtherReaders();
    void copyAndPasteSelection();
};

void tst_rtf_roundtrip::roundTrip_data()
{
    QTest::addColumn<Builder>("build");

    QTest::newRow("empty document") << Builder([](QTextDocument &) {});
    QTest::newRow("paragraphs with an empty last one") << Builder([](QTextDocument &d) {
        QTextCursor c(&d);
        c.insertText("one", run());
        c.insertBlock();
        c.insertText("two", run());
        c.insertBlock();
    });
    QTest::newRow("every character attribute") << Builder([](QTextDocument &d) {
        QTextCursor c(&d);
        c.insertText("plain ", run());
        QTextCharFormat f = run("Courier New", 9.5);
        f.setFontWeight(QFont::Bold);
        c.insertText("bold ", f);
        f = run("Times New Roman", 20);
        f.setFontItalic(true);
        f.setFontUnderline(true);
        c.insertText("italic-under ", f);
        f = run();
        f.setFontStrikeOut(true);
        f.setForeground(QColor(200, 10, 20));
        c.insertText("struck red ", f);
        f = run();
        f.setBackground(QColor(255, 255, 0));
        f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
        c.insertText("high", f);
        f = run();
        f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
        f.setForeground(QColor(200, 10, 20));
        c.insertText("low", f);
        f = run();
        f.setFontCapitalization(QFont::AllUppercase);
        c.insertText("caps", f);
    });
    QTest::newRow("runs without family or size take the document's") << Builder([](QTextDocument &d) {
        d.setDefaultFont(QFont("Verdana", 10));
        QTextCursor c(&d);
        c.insertText("default");
    });
    QTest::newRow("alignment and indents") << Builder([](QTextDocument &d) {
        QTextCursor c(&d);
        const Qt::Alignment aligns[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter, Qt::AlignJustify};
        for (int i = 0; i < 4; ++i) {
            QTextBlockFormat b;
            b.setAlignment(aligns[i]);
            b.setLeftMargin(Twips::toPixels(720 * i));
            b.setRightMargin(Twips::toPixels(180 * i));
            b.setTextIndent(Twips::toPixels(i == 2 ? -360 : 240));
            b.setTopMargin(Twips::toPixels(60 * i));
            b.setBottomMargin(Twips::toPixels(120));
            if (i == 0)
                c.setBlockFormat(b);
            else
                c.insertBlock(b);
            c.insertText(QStringLiteral("paragraph %1").arg(i), run());
        }
    });
    QTest::newRow("bullets and numbering as separate lists") << Builder([](QTextDocument &d) {
        QTextCursor c(&d);
        c.insertText("intro", run());
        QTextBlockFormat indented;
        indented.setLeftMargin(Twips::toPixels(720));
        indented.setTextIndent(Twips::toPixels(-360));
        QTextListFormat bullets;
        bullets.setStyle(QTextListFormat::ListDisc);
        bullets.setIndent(0);
        c.insertBlock(indented);
        QTextList *list = c.createList(bullets);
        c.insertText("bullet one", run());
        c.insertBlock(indented);
        list->add(c.block());
        c.insertText("bullet two", run());
        c.insertBlock(QTextBlockFormat());
        c.insertText("between", run());
        QTextListFormat numbers;
        numbers.setStyle(QTextListFormat::ListDecimal);
        numbers.setIndent(0);
        c.insertBlock(indented);
        QTextList *numbered = c.createList(numbers);
        c.insertText("first", run());
        c.insertBlock(indented);
        numbered->add(c.block());
        c.insertText("second", run());
    });
    QTest::newRow("characters outside the code page") << Builder([](QTextDocument &d) {
        QTextCursor c(&d);
        c.insertText(QString::fromUtf8("Ελληνικά 日本語 العربية 😀 € “quotes” café ÿ"), run());
        c.insertBlock();
        c.insertText(QString::fromUtf8("tab\there") + QChar(QChar::LineSeparator)
                         + QString::fromUtf8("nbsp\u00a0soft\u00adnb\u2011 {braces} back\\slash"),
                     run());
    });
    QTest::newRow("font names outside ASCII") << Builder([](QTextDocument &d) {
        QTextCursor c(&d);
        c.insertText("a", run(QString::fromUtf8("Müller Sans")));
        c.insertText("b", run(QString::fromUtf8("微软雅黑")));
        c.insertText("c", run("Name {with} braces; and semicolon"));
    });
    QTest::newRow("pictures keep pixels and size") << Builder([](QTextDocument &d) {
        d.addResource(QTextDocument::ImageResource, QUrl("img://one"), testImage());
        QTextCursor c(&d);
        c.insertText("before ", run());
        QTextImageFormat img;
        img.setName("img://one");
        img.setWidth(50);
        img.setHeight(40);
        c.insertImage(img);
        c.insertText(" after", run());
    });
    QTest::newRow("page break") << Builder([](QTextDocument &d) {
        QTextCursor c(&d);
        c.insertText("page one", run());
        QTextBlockFormat b;
        b.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        c.insertBlock(b);
        c.insertText("page two", run());
    });
}

void tst_rtf_roundtrip::roundTrip()
{
    QFETCH(Builder, build);
    QTextDocument original;
    build(original);
    const QByteArray rtf = RtfWriter::write(original);
    QTextDocument copy;
    copy.setDefaultFont(original.defaultFont());
    const RtfReader::Result result = RtfReader::read(rtf, copy);
    QVERIFY(result.ok);
    QVERIFY2(result.errorText.isEmpty(), qPrintable(result.errorText));
    QCOMPARE(structure(copy), structure(original));
    // Writing again gives the same bytes: nothing drifts on repeated saves.
    QCOMPARE(RtfWriter::write(copy), rtf);
}

void tst_rtf_roundtrip::writerOutputForOtherReaders()
{
    QTextDocument d;
    QTextCursor c(&d);
    c.insertText(QString::fromUtf8("é€Ω"), run());
    QTextListFormat bullets;
    bullets.setStyle(QTextListFormat::ListDisc);
    c.insertBlock();
    c.createList(bullets);
    c.insertText("item", run());
    const QByteArray rtf = RtfWriter::write(d);
    QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0"));
    QVERIFY(rtf.contains("{\\fonttbl"));
    QVERIFY(rtf.contains("\\'e9\\'80\\u937?"));
    // Both list forms, so old and new readers show the bullet.
    QVERIFY(rtf.contains("{\\pntext"));
    QVERIFY(rtf.contains("{\\*\\pn\\pnlvlblt"));
    QVERIFY(rtf.contains("{\\*\\listtable"));
    QVERIFY(rtf.contains("\\ls1"));
    // Seven-bit output: safe through any transport.
    for (const char ch : rtf)
        QVERIFY(uchar(ch) < 0x80);
}

void tst_rtf_roundtrip::copyAndPasteSelection()
{
    QTextDocument source;
    QTextCursor c(&source);
    c.insertText("first ", run());
    QTextCharFormat bold = run();
    bold.setFontWeight(QFont::Bold);
    c.insertText("bold", bold);
    c.insertText(" paragraph", run());
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    c.insertBlock(centred);
    c.insertText("second paragraph", run());

    // Part of one paragraph: inline content, no paragraph mark.
    QTextCursor sel(&source);
    sel.setPosition(3);
    sel.setPosition(10, QTextCursor::KeepAnchor);   // "st bold"
    QByteArray rtf = RtfWriter::write(sel);
    QTextDocument target;
    target.setPlainText("[]");
    QTextCursor at(&target);
    at.setPosition(1);
    RtfReader::insert(rtf, at);
    QCOMPARE(target.toPlainText(), QString("[st bold]"));
    QTextCursor probe(&target);
    probe.setPosition(8);
    QCOMPARE(probe.charFormat().fontWeight(), int(QFont::Bold));
    probe.setPosition(3);
    QCOMPARE(probe.charFormat().fontWeight(), int(QFont::Normal));

    // Across the paragraph mark: the break comes along.
    sel.setPosition(11);
    sel.setPosition(23, QTextCursor::KeepAnchor);   // "paragraph\nse"
    rtf = RtfWriter::write(sel);
    target.setPlainText("[]");
    at = QTextCursor(&target);
    at.setPosition(1);
    RtfReader::insert(rtf, at);
    QCOMPARE(RtfTestSupport::plainText(target), QString("[paragraph\nse]"));

    // No selection writes an empty but valid document.
    sel.clearSelection();
    rtf = RtfWriter::write(sel);
    QVERIFY(RtfReader::isRtf(rtf));
    QTextDocument empty;
    QVERIFY(RtfReader::read(rtf, empty).errorText.isEmpty());
    QCOMPARE(empty.toPlainText(), QString());
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    tst_rtf_roundtrip test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_rtf_roundtrip.moc"
