#include "QuilletTest.h"
#include "documents/modDocument.h"
#include "editing/modClipboard.h"
#include "editing/modFormat.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QtTest>

using namespace QuilletTest;

// Undo, Cut, Copy, Paste and Select All of the Edit menu, on real documents
// and the application's clipboard.
class tst_clipboard : public MainWindowTest
{
    Q_OBJECT

    static QClipboard *clipboard() { return QGuiApplication::clipboard(); }

private slots:
    void initTestCase() { setUpOnce(); }

    void init()
    {
        setUp();
        QVERIFY(rtf());
        rtf()->SetText(QStringLiteral("alpha beta gamma"));
        clipboard()->setText(QStringLiteral("held"));
    }

    void cleanup() { tearDown(); }

    // Plain text only, both ways: no formats leave with a copy, none arrive
    // with a paste of plain text.
    void textOnlyExchange()
    {
        select(rtf(), 0, 5);
        rtf()->SetSelBold(true);
        modClipboard::copy_Click();
        QCOMPARE(clipboard()->text(), QStringLiteral("alpha"));
        QVERIFY(!clipboard()->mimeData()->hasFormat(QStringLiteral("text/rtf")));
        QVERIFY(!clipboard()->mimeData()->hasHtml());

        RichTextBox *first = rtf();
        modDocument::CreateNewDocument();
        QVERIFY(rtf() != first);
        modClipboard::paste_Click();
        QCOMPARE(rtf()->Text(), QStringLiteral("alpha"));
        select(rtf(), 0, 5);
        QCOMPARE(rtf()->SelBold(), std::optional<bool>(false));
    }

    void cut_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QString>("text");
        QTest::newRow("a word goes to the clipboard") << 6 << "alpha " << "beta gamma";
        QTest::newRow("an empty selection keeps the clipboard") << 0 << "held" << "alpha beta gamma";
    }

    void cut()
    {
        QFETCH(int, length);
        QFETCH(QString, clip);
        QFETCH(QString, text);
        select(rtf(), 0, length);
        modClipboard::cut_Click();
        QCOMPARE(clipboard()->text(), clip);
        QCOMPARE(rtf()->Text(), text);
    }

    void pasteRtfText_data()
    {
        QTest::addColumn<QByteArray>("clip");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("firstWordBold");
        QTest::newRow("RTF markup goes in formatted")
            << QByteArray("{\\rtf1\\ansi {\\b bold} plain}") << "bold plain" << true;
        QTest::newRow("text that only mentions RTF stays text")
            << QByteArray("see {\\rtf1} here") << "see {\\rtf1} here" << false;
    }

    // Paste replaces the selection through the RTF way in.
    void pasteRtfText()
    {
        QFETCH(QByteArray, clip);
        QFETCH(QString, text);
        QFETCH(bool, firstWordBold);
        clipboard()->setText(QString::fromLatin1(clip));
        select(rtf(), 0, 16);
        modClipboard::paste_Click();
        QCOMPARE(rtf()->Text(), text);
        select(rtf(), 0, 3);
        QCOMPARE(rtf()->SelBold(), std::optional<bool>(firstWordBold));
    }

    // An empty clipboard pastes nothing and so keeps the selected text.
    void pasteNothingKeepsSelection()
    {
        clipboard()->clear();
        select(rtf(), 0, 5);
        modClipboard::paste_Click();
        QCOMPARE(rtf()->Text(), QStringLiteral("alpha beta gamma"));
    }

    void selectAll_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("length");
        QTest::newRow("whole text") << "one\ntwo" << 7;
        QTest::newRow("empty document selects nothing") << "" << 0;
    }

    void selectAll()
    {
        QFETCH(QString, text);
        QFETCH(int, length);
        rtf()->SetText(text);
        select(rtf(), 2, 1);
        modClipboard::menuEditSelectAll_Click();
        QCOMPARE(rtf()->SelStart(), 0);
        QCOMPARE(rtf()->SelLength(), length);
        QVERIFY(messages().isEmpty());
    }

    // One user command is one step back, and several steps can be taken.
    void undoSteps()
    {
        clipboard()->setText(QStringLiteral("{\\rtf1 {\\i new} words}"));
        select(rtf(), 6, 4);
        modClipboard::paste_Click();
        QCOMPARE(rtf()->Text(), QStringLiteral("alpha new words gamma"));
        select(rtf(), 0, 5);
        modFormat::menuFormatFontBold_Click();
        modFormat::menuFormatFontUnderline_Click();
        QCOMPARE(rtf()->SelBold(), std::optional<bool>(true));

        modClipboard::undo_Click();
        QCOMPARE(rtf()->SelUnderline(), std::optional<bool>(false));
        QCOMPARE(rtf()->SelBold(), std::optional<bool>(true));
        modClipboard::undo_Click();
        select(rtf(), 0, 5);
        QCOMPARE(rtf()->SelBold(), std::optional<bool>(false));
        QCOMPARE(rtf()->Text(), QStringLiteral("alpha new words gamma"));
        modClipboard::undo_Click();
        QCOMPARE(rtf()->Text(), QStringLiteral("alpha beta gamma"));
        QVERIFY(messages().isEmpty());
    }
};

QTEST_MAIN(tst_clipboard)
#include "tst_clipboard.moc"
