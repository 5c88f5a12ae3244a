// Malformed and hostile input: the reader neither crashes nor hangs, keeps
// what it can read and says what was wrong.
#include "RtfTestSupport.h"

#include <QElapsedTimer>

class tst_rtf_robustness : public QObject
{
    Q_OBJECT

private slots:
    void malformed_data();
    void malformed();
};

void tst_rtf_robustness::malformed_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("mustContain");   // text that is still read
    QTest::addColumn<QString>("problem");       // part of the error text, if any is due

    const QByteArray deepOpen = "{\\rtf1 start" + QByteArray(100000, '{') + "deep";
    QTest::newRow("nesting 100,000 deep, never closed") << deepOpen << "start" << "nested too deeply";
    QTest::newRow("nesting 100,000 deep, closed")
        << deepOpen + QByteArray(100000, '}') + " after}" << "start after" << "nested too deeply";
    QTest::newRow("missing closing braces") << QByteArray("{\\rtf1{\\b bold{\\i both") << "boldboth" << "not closed";
    // The document ends where its outermost group closes.
    QTest::newRow("extra closing braces") << QByteArray("{\\rtf1 a}}}} b") << "a" << "after the end";
    QTest::newRow("truncated inside a control word") << QByteArray("{\\rtf1 text\\pa") << "text" << "not closed";
    QTest::newRow("truncated after a backslash") << QByteArray("{\\rtf1 text\\") << "text" << "not closed";
    QTest::newRow("truncated hex") << QByteArray("{\\rtf1 text\\'4") << "text" << "bad hex";
    QTest::newRow("bad hex digits") << QByteArray("{\\rtf1 a\\'zzb}") << "azzb" << "bad hex";
    QTest::newRow("bin past the end") << QByteArray("{\\rtf1 kept{\\*\\objdata \\bin999999 abc") << "kept" << "past the end";
    QTest::newRow("bin with absurd length")
        << QByteArray("{\\rtf1 kept\\bin99999999999999999999 x}") << "kept" << "past the end";
    QTest::newRow("negative bin is not binary") << QByteArray("{\\rtf1 a\\bin-5 b}") << "ab" << "";
    QTest::newRow("over-long control word") << QByteArray("{\\rtf1 a\\") + QByteArray(5000, 'x') + " b}" << "ab" << "over-long";
    QTest::newRow("unknown code page")
        << QByteArray("{\\rtf1\\ansi\\ansicpg99999 caf\\'e9}") << QString::fromUtf8("café") << "code page";
    QByteArray manyPages = "{\\rtf1{\\fonttbl";
    for (int i = 0; i < 30000; ++i)
        manyPages += "{\\f" + QByteArray::number(i) + "\\cpg" + QByteArray::number(70000 + i) + " F;}";
    manyPages += "}";
    for (int i = 0; i < 30000; ++i)
        manyPages += "\\f" + QByteArray::number(i) + " \\'e9";
    QTest::newRow("thousands of unknown code pages") << manyPages + "}" << QString::fromUtf8("ééé") << "code page";
    QTest::newRow("NUL and control bytes") << QByteArray("{\\rtf1 a\0b\x01\x1f" "c}", 14) << "abc" << "";
    QTest::newRow("lone surrogates and uc skipping at group end")
        << QByteArray("{\\rtf1 {\\uc5\\u-10179}x\\u-8704?y}") << QString::fromUtf8("\uFFFDx\uFFFDy") << "";
    QTest::newRow("picture with garbage data")
        << QByteArray("{\\rtf1 a{\\pict\\pngblip\\picwgoal-5\\pichgoal99999999 zz0g1}b}") << "a\uFFFCb" << "picture";
    QTest::newRow("picture never closed") << QByteArray("{\\rtf1 a{\\pict\\pngblip 89504e47") << "a" << "not closed";
    QTest::newRow("font table never closed") << QByteArray("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Ti") << "" << "not closed";
    QTest::newRow("star without a word") << QByteArray("{\\rtf1 {\\* x}y}") << "xy" << "";
    QTest::newRow("white space before the header") << QByteArray(" \r\n{\\rtf1 a}") << "a" << "";
    // Not Rich Text at all: nothing usable, and the reason is given.
    QTest::newRow("empty") << QByteArray() << "" << "empty";
    QTest::newRow("not rtf") << QByteArray("just some text") << "" << "not Rich Text";
    QTest::newRow("header cut short") << QByteArray("{\\rt") << "" << "not Rich Text";
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
    QCOMPARE(result.ok, RtfReader::isRtf(rtf));
    QVERIFY(RtfTestSupport::plainText(document).contains(mustContain));
    if (!problem.isEmpty())
        QVERIFY2(result.errorText.contains(problem), qPrintable(result.errorText));

    // What was read can always be written and read again.
    QCOMPARE(RtfTestSupport::rewritten(document), RtfTestSupport::plainText(document));

    // Pasting the same bytes is as safe.
    QTextDocument target;
    target.setPlainText("xy");
    QTextCursor c(&target);
    c.setPosition(1);
    RtfReader::insert(rtf, c);
    QVERIFY(target.toPlainText().startsWith(u'x') && target.toPlainText().endsWith(u'y'));
}

QTEST_MAIN(tst_rtf_robustness)
#include "tst_rtf_robustness.moc"
