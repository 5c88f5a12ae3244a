#include "EditingTestSupport.h"
#include "documents/modDocument.h"
#include "editing/modClipboard.h"
#include "editing/modFormat.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

using namespace EditingTest;

// Undo, Cut, Copy, Paste and Select All of the Edit menu, on real documents
// and the application's clipboard.
class tst_clipboard : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<frmMain> m_main;

    RichTextBox *doc() const { return rtf(m_main.get()); }
    static QClipboard *clipboard() { return QGuiApplication::clipboard(); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        DocTestSupport::prepare(m_dir.path());
    }

    void init()
    {
        m_main = DocTestSupport::startMain();
        QVERIFY(doc());
        doc()->SetText(QStringLiteral("alpha beta gamma"));
        clipboard()->setText(QStringLiteral("held"));
    }

    void cleanup()
    {
        m_main.reset();
        QCOMPARE(ModalSeam::unanswered(), 0);
    }

    // Plain text only, both ways: no formats leave with a copy, none arrive
    // with a paste of plain text.
    void textOnlyExchange()
    {
        select(doc(), 0, 5);
        doc()->SetSelBold(true);
        modClipboard::copy_Click();
        QCOMPARE(clipboard()->text(), QStringLiteral("alpha"));
        QVERIFY(!clipboard()->mimeData()->hasFormat(QStringLiteral("text/rtf")));
        QVERIFY(!clipboard()->mimeData()->hasHtml());

        RichTextBox *first = doc();
        modDocument::CreateNewDocument();
        QVERIFY(doc() != first);
        modClipboard::paste_Click();
        QCOMPARE(doc()->Text(), QStringLiteral("alpha"));
        select(doc(), 0, 5);
        QCOMPARE(doc()->SelBold(), std::optional<bool>(false));
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
        select(doc(), 0, length);
        modClipboard::cut_Click();
        QCOMPARE(clipboard()->text(), clip);
        QCOMPARE(doc()->Text(), text);
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
        select(doc(), 0, 16);
        modClipboard::paste_Click();
        QCOMPARE(doc()->Text(), text);
        select(doc(), 0, 3);
        QCOMPARE(doc()->SelBold(), std::optional<bool>(firstWordBold));
    }

    // An empty clipboard pastes nothing and so keeps the selected text.
    void pasteNothingKeepsSelection()
    {
        clipboard()->clear();
        select(doc(), 0, 5);
        modClipboard::paste_Click();
        QCOMPARE(doc()->Text(), QStringLiteral("alpha beta gamma"));
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
        doc()->SetText(text);
        select(doc(), 2, 1);
        modClipboard::menuEditSelectAll_Click();
        QCOMPARE(doc()->SelStart(), 0);
        QCOMPARE(doc()->SelLength(), length);
        QVERIFY(messages().isEmpty());
    }

    // One user command is one step back, and several steps can be taken.
    void undoSteps()
    {
        clipboard()->setText(QStringLiteral("{\\rtf1 {\\i new} words}"));
        select(doc(), 6, 4);
        modClipboard::paste_Click();
        QCOMPARE(doc()->Text(), QStringLiteral("alpha new words gamma"));
        select(doc(), 0, 5);
        modFormat::menuFormatFontBold_Click();
        modFormat::menuFormatFontUnderline_Click();
        QCOMPARE(doc()->SelBold(), std::optional<bool>(true));

        modClipboard::undo_Click();
        QCOMPARE(doc()->SelUnderline(), std::optional<bool>(false));
        QCOMPARE(doc()->SelBold(), std::optional<bool>(true));
        modClipboard::undo_Click();
        select(doc(), 0, 5);
        QCOMPARE(doc()->SelBold(), std::optional<bool>(false));
        QCOMPARE(doc()->Text(), QStringLiteral("alpha new words gamma"));
        modClipboard::undo_Click();
        QCOMPARE(doc()->Text(), QStringLiteral("alpha beta gamma"));
        QVERIFY(messages().isEmpty());
    }
};

QTEST_MAIN(tst_clipboard)
#include "tst_clipboard.moc"
