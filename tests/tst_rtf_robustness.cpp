// Malformed and hostile input: the reader neither crashes nor hangs, keeps
// what it can read and says what was wrong.
#include "RtfTestSupport.h"

#include <RtfReader.h>
#include <RtfWriter.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

class tst_rtf_robustness : public QObject
{
    Q_OBJECT

private slots:
    void malformed_data();
    void malformed();
    void randomDamage();
};

void tst_rtf_robustness::malformed_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("mustContain");   // text that is still read
    QTest::addColumn<QString>("problem");       // part of the error text, if any is due

    const QByteArray deepOpen = "{\\rtf1 start" + QByteArray(100000, '{') + "deep";
    QTest::newRow("robustness: nesting 100,000 deep, never closed")
        << deepOpen << "start" << "nested too deeply";
    QTest::newRow("robustness: nesting 100,000 deep, closed")
        << deepOpen + QByteArray(100000, '}') + " after}" << "start after" << "nested too deeply";
    QTest::newRow("robustness: missing closing braces")
        << QByteArray("{\\rtf1{\\b bold{\\i both") << "boldboth" << "not closed";
    QTest::newRow("robustness: extra closing braces")
        << QByteArray("{\\rtf1 a}}}} b") << "a b" << "unmatched";
    QTest::newRow("robustness: truncated inside a control word")
        << QByteArray("{\\rtf1 text\\pa") << "text" << "not closed";
    QTest::newRow("robustness: truncated after a backslash")
        << QByteArray("{\\rtf1 text\\") << "text" << "not closed";
    QTest::newRow("robustness: truncated hex")
        << QByteArray("{\\rtf1 text\\'4") << "text" << "bad hex";
    QTest::newRow("robustness: bad hex digits")
        << QByteArray("{\\rtf1 a\\'zzb}") << "azzb" << "bad hex";
    QTest::newRow("robustness: bin past the end")
        << QByteArray("{\\rtf1 kept{\\*\\objdata \\bin999999 abc") << "kept" << "past the end";
    QTest::newRow("robustness: bin with absurd length")
        << QByteArray("{\\rtf1 kept\\bin99999999999999999999 x}") << "kept" << "past the end";
    QTest::newRow("robustness: negative bin is not binary")
        << QByteArray("{\\rtf1 a\\bin-5 b}") << "ab" << "";
    QTest::newRow("robustness: absurd numbers")
        << QByteArray("{\\rtf1 \\fs99999999999\\li-99999999999\\fi2147483648\\sb-1\\cf99999999\\f-7"
                      "\\uc99999999\\u99999999 x\\u-99999999 y\\ansicpg-5\\'e9\\ls99999999\\ilvl-3 z\\par}")
        << "" << "";
    QTest::newRow("robustness: over-long control word")
        << QByteArray("{\\rtf1 a\\") + QByteArray(5000, 'x') + " b}" << "ab" << "over-long";
    QTest::newRow("robustness: unknown code page")
        << QByteArray("{\\rtf1\\ansi\\ansicpg99999 caf\\'e9}") << QString::fromUtf8("café") << "code page";
    QByteArray manyPages = "{\\rtf1{\\fonttbl";
    for (int i = 0; i < 30000; ++i)
        manyPages += "{\\f" + QByteArray::number(i) + "\\cpg" + QByteArray::number(70000 + i) + " F;}";
    manyPages += "}";
    for (int i = 0; i < 30000; ++i)
        manyPages += "\\f" + QByteArray::number(i) + " \\'e9";
    QTest::newRow("robustness: thousands of unknown code pages")
        << manyPages + "}" << QString::fromUtf8("ééé") << "code page";
    QTest::newRow("robustness: NUL and control bytes")
        << QByteArray("{\\rtf1 a\0b\x01\x1f" "c}", 14) << "abc" << "";
    QTest::newRow("robustness: lone surrogates and uc skipping at group end")
        << QByteArray("{\\rtf1 {\\uc5\\u-10179}x\\u-8704?y}") << QString::fromUtf8("\uFFFDx\uFFFDy") << "";
    QTest::newRow("robustness: picture with garbage data")
        << QByteArray("{\\rtf1 a{\\pict\\pngblip\\picwgoal-5\\pichgoal99999999 zz0g1}b}") << "ab" << "picture";
    QTest::newRow("robustness: picture never closed")
        << QByteArray("{\\rtf1 a{\\pict\\pngblip 89504e47") << "a" << "not closed";
    QTest::newRow("robustness: font table never closed")
        << QByteArray("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Ti") << "" << "not closed";
    QTest::newRow("robustness: empty") << QByteArray() << "" << "empty";
    QTest::newRow("robustness: not rtf") << QByteArray("\\foobar") << "" << "not Rich Text";
    QTest::newRow("robustness: star without a word") << QByteArray("{\\rtf1 {\\* x}y}") << "xy" << "";
}

void tst_rtf_robustness::malformed()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, mustContain);
    QFETCH(QString, problem);

    QTextDocument document;
    QElapsedTimer timer;
    timer.start();
    const RtfReader::Result result = RtfReader::read(rtf, document);
    QVERIFY2(timer.elapsed() < 10000, "the reader took more than 10 s");
    QVERIFY(RtfTestSupport::plainText(document).contains(mustContain));
    if (!problem.isEmpty())
        QVERIFY2(result.errorText.contains(problem), qPrintable(result.errorText));

    // What was read can always be written and read again.
    QTextDocument again;
    RtfReader::read(RtfWriter::write(document), again);
    QCOMPARE(RtfTestSupport::plainText(again), RtfTestSupport::plainText(document));

    // Pasting the same bytes is as safe.
    QTextDocument target;
    target.setPlainText("xy");
    QTextCursor c(&target);
    c.setPosition(1);
    RtfReader::insert(rtf, c);
    QVERIFY(target.toPlainText().startsWith(u'x'));
    QVERIFY(target.toPlainText().endsWith(u'y'));
}

void tst_rtf_robustness::randomDamage()
{
    // Damaged copies of a well-formed document: bytes flipped, cut short.
    QByteArray base = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset128 MS Mincho;}}"
                      "{\\colortbl;\\red1\\green2\\blue3;}{\\*\\listtable{\\list{\\listlevel\\levelnfc23}\\listid1}}"
                      "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}\\pard\\ls1\\qc\\li720 {\\b\\cf1 x}"
                      "{\\f1 \\'93\\'fa}\\u1055?{\\field{\\*\\fldinst A}{\\fldrslt B}}\\trowd a\\cell\\row"
                      "{\\pict\\pngblip 89504e470d0a}\\par}";
    QRandomGenerator rng(12345);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 2000; ++i) {
        QByteArray damaged = base;
        const int edits = 1 + int(rng.bounded(6));
        for (int e = 0; e < edits; ++e) {
            const int at = int(rng.bounded(damaged.size()));
            static const char pool[] = "{}\\'*0129abf-; \xe9";
            damaged[at] = pool[rng.bounded(int(sizeof(pool) - 1))];
        }
        if (rng.bounded(4) == 0)
            damaged.truncate(int(rng.bounded(damaged.size())));
        QTextDocument document;
        RtfReader::read(damaged, document);
        RtfWriter::write(document);
    }
    QVERIFY(timer.elapsed() < 60000);
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    tst_rtf_robustness test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_rtf_robustness.moc"
