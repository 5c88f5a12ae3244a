#include "QuilletTest.h"
#include "editing/modRulers.h"

#include <QFile>
#include <QSlider>
#include <QtTest>

using namespace QuilletTest;

// The indentation rulers: slider positions as fractions of the right
// margin, written to the selected paragraphs and kept in the saved file.
class tst_rulers : public MainWindowTest
{
    Q_OBJECT

    void moveSliders(int indent, int hanging)
    {
        // Each move reaches the document as the user's would.
        m_main->sliderHangingIndent->setValue(hanging);
        m_main->sliderIndent->setValue(indent);
    }

private slots:
    void initTestCase() { setUpOnce(); }

    void init()
    {
        setUp();
        QVERIFY(rtf());
        rtf()->SetText(QStringLiteral("first paragraph\nsecond paragraph\nthird"));
        rtf()->SetRightMargin(7200);
    }

    void cleanup() { tearDown(); }

    void conversions_data()
    {
        QTest::addColumn<int>("indent");
        QTest::addColumn<int>("hanging");
        QTest::addColumn<int>("indentTwips");
        QTest::addColumn<int>("hangingTwips");
        QTest::newRow("both at 0") << 0 << 0 << 0 << 0;
        QTest::newRow("indent at 9 is the whole margin") << 9 << 8 << 7200 << -900;
        QTest::newRow("hanging left of the indent is negative") << 6 << 2 << 4800 << -3600;
        QTest::newRow("equal positions are not equal fractions") << 4 << 4 << 3200 << 0;
        QTest::newRow("hanging right of the indent") << 1 << 5 << 800 << 3600;
    }

    // The two maxima differ, so each slider divides by its own; the hanging
    // indent is measured from the indent slider.
    void conversions()
    {
        QFETCH(int, indent);
        QFETCH(int, hanging);
        QFETCH(int, indentTwips);
        QFETCH(int, hangingTwips);
        QCOMPARE(modRulers::IndentTwips(indent, 9, 7200), indentTwips);
        QCOMPARE(modRulers::HangingIndentTwips(hanging, indent, 8, 7200), hangingTwips);
    }

    // Every paragraph the selection touches gets the same indents, and the
    // saved file carries them back.
    void multiParagraphAndSaved()
    {
        select(rtf(), 3, 20);   // first and second paragraph
        moveSliders(3, 4);
        QCOMPARE(rtf()->SelIndent(), std::optional<int>(2400));
        QCOMPARE(rtf()->SelHangingIndent(), std::optional<int>(900));
        select(rtf(), 33, 0);   // third paragraph untouched
        QCOMPARE(rtf()->SelIndent(), std::optional<int>(0));

        const QString saveAs = path(QStringLiteral("indents.rtf"));
        QVERIFY(rtf()->SaveFile(saveAs));
        QFile file(saveAs);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray saved = file.readAll();
        QVERIFY2(saved.contains("\\li3300") && saved.contains("\\fi-900"), saved.constData());

        RichTextBox reread;
        QVERIFY(reread.LoadFile(saveAs));
        reread.SetSelStart(0);
        reread.SetSelLength(20);
        QCOMPARE(reread.SelIndent(), std::optional<int>(2400));
        QCOMPARE(reread.SelHangingIndent(), std::optional<int>(900));
    }

    // The hanging slider alone recomputes against the indent slider's place,
    // and one slider move is one undo step.
    void hangingAloneAndUndo()
    {
        moveSliders(6, 6);
        m_main->sliderHangingIndent->setValue(2);
        QCOMPARE(rtf()->SelIndent(), std::optional<int>(4800));
        QCOMPARE(rtf()->SelHangingIndent(), std::optional<int>(-3600));
        // Undo puts the caret after the paragraph it changed.
        rtf()->undo();
        select(rtf(), 0, 0);
        QCOMPARE(rtf()->SelHangingIndent(), std::optional<int>(0));
        QCOMPARE(rtf()->SelIndent(), std::optional<int>(4800));
        rtf()->undo();
        select(rtf(), 0, 0);
        QCOMPARE(rtf()->SelIndent(), std::optional<int>(0));
    }
};

QTEST_MAIN(tst_rulers)
#include "tst_rulers.moc"
