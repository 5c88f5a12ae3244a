#include "QuilletTest.h"
#include "documents/WordCounter.h"
#include "documents/frmDoc.h"
#include "documents/modGeneral.h"
#include "platform/RichTextBox.h"

#include <QLabel>
#include <QLocale>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

namespace {

// The counting rule spelled out step by step, as slowly as it is written.
int ruleByTheSteps(QString s)
{
    // Blanks only: tabs and breaks are not trimmed by the rule.
    const auto trimBlanks = [](QString t) {
        while (t.startsWith(u' '))
            t.remove(0, 1);
        while (t.endsWith(u' '))
            t.chop(1);
        return t;
    };
    s = trimBlanks(s.replace(QStringLiteral("-\r\n"), QString()));
    s = trimBlanks(s.replace(QStringLiteral("\r\n"), QStringLiteral(" ")));
    while (s.contains(QStringLiteral("  ")))
        s.replace(QStringLiteral("  "), QStringLiteral(" "));
    return s.isEmpty() ? 0 : int(s.split(u' ').size());
}

QString randomText(QRandomGenerator &rng, int length, const QString &alphabet)
{
    QString s;
    for (int i = 0; i < length; ++i)
        s += alphabet.at(int(rng.bounded(quint32(alphabet.size()))));
    return s;
}

} // namespace

class tst_statistics : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QuilletTest::isolate();
        // A comma locale: the line figures group their thousands with it.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void countWords_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("words");
        QTest::newRow("empty text") << QString() << 0;
        QTest::newRow("hyphen at line end joins") << "hyphen-\r\nated" << 1;
        QTest::newRow("blank before the hyphen keeps two") << "word -\r\nnext" << 2;
        QTest::newRow("hyphen inside a line is a letter") << "well-known fact" << 2;
        QTest::newRow("hyphen before lone LF does not join") << "a-\nb" << 1;
        QTest::newRow("only blanks, breaks and a joining hyphen") << "  \r\n -\r\n\r\n   " << 0;
        QTest::newRow("runs of blanks, leading and trailing") << "  one  two   three  " << 3;
        QTest::newRow("tab and comma inside a word") << "one\ttwo,three, four" << 2;
        QTest::newRow("lone CR or LF does not separate") << "one\rtwo\nthree" << 1;
        QTest::newRow("CR LF separates") << "one\r\ntwo\r\nthree" << 3;
        QTest::newRow("removal pairs a CR with an LF") << "a\r-\r\n\nb" << 2;
        QTest::newRow("no-break space is a letter here") << QString("a") + QChar(0xa0) + "b" << 1;
    }

    void countWords()
    {
        QFETCH(QString, text);
        QFETCH(int, words);
        QCOMPARE(modGeneral::CountWords(text), words);
        QCOMPARE(ruleByTheSteps(text), words);
    }

    // The single pass must agree with the rule on texts dense in the characters
    // that matter to it, where the orders of the rule's steps interact.
    void countWordsAgreesWithTheRule()
    {
        QRandomGenerator rng(20261206);
        for (int round = 0; round < 5000; ++round) {
            const QString text = randomText(rng, int(rng.bounded(1, 24)), QStringLiteral("ab -\r\n\t,"));
            QVERIFY2(modGeneral::CountWords(text) == ruleByTheSteps(text),
                     QString(text).replace(u'\r', u'R').replace(u'\n', u'N').toUtf8().constData());
        }
    }

    // Random typing, deleting, formatting, undo and paragraph breaks on the real
    // control: after every step the running figure equals a fresh count.
    void incrementalCountFollowsEdits()
    {
        const QString alphabet = QStringLiteral("ab, -\n-\n\n ") + QChar(0x2028) + QChar(0xa0);
        QRandomGenerator rng(4);
        RichTextBox rtb;
        QTextDocument *doc = rtb.document();
        WordCounter *counter = WordCounter::of(doc);
        QVERIFY(counter);
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);

        for (int step = 0; step < 2000; ++step) {
            QTextCursor cursor(doc);
            const int length = doc->characterCount() - 1;
            const int at = int(rng.bounded(quint32(length + 1)));
            cursor.setPosition(at);
            cursor.setPosition(at + qMin(length - at, int(rng.bounded(12u))), QTextCursor::KeepAnchor);
            switch (rng.bounded(6u)) {
            case 0: case 1: cursor.insertText(randomText(rng, int(rng.bounded(1, 8)), alphabet)); break;
            case 2: cursor.removeSelectedText(); break;
            case 3: cursor.mergeCharFormat(bold); break;
            case 4: doc->undo(); break;
            default:
                cursor.beginEditBlock();
                cursor.insertText(randomText(rng, 3, alphabet));
                cursor.insertBlock();
                cursor.insertText(randomText(rng, 3, alphabet));
                cursor.endEditBlock();
            }
            QVERIFY2(counter->count() == modGeneral::CountWords(rtb.Text()),
                     qPrintable(QStringLiteral("step %1: running %2").arg(step).arg(counter->count())));
        }

        // Content replaced as a whole, tables and images included.
        rtb.SetText(QStringLiteral("one two-\r\nthree\r\nfour"));
        QCOMPARE(counter->count(), 3);
        doc->setHtml(QStringLiteral("<p>alpha beta-</p><table><tr><td>cell one</td><td>two</td></tr>"
                                    "</table><p>end <img src=\"none.png\"> -<img src=\"none.png\"></p>"
                                    "<p>joined</p>"));
        QCOMPARE(counter->count(), modGeneral::CountWords(rtb.Text()));
    }

    void lineFigures_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QString>("words");
        QTest::newRow("empty document") << QString() << "1" << "0";
        QTest::newRow("lines group their thousands, words do not")
            << QStringLiteral("word\r\n").repeated(1499) + QStringLiteral("word") << "1,500" << "1500";
    }

    // Current line, line count and words of a real document window, caret on
    // its last line.
    void lineFigures()
    {
        QFETCH(QString, text);
        QFETCH(QString, lines);
        QFETCH(QString, words);
        auto main = std::unique_ptr<frmMain>(QuilletTest::startMain(QString(), false));
        QVERIFY(main->ActiveForm());
        main->ActiveForm()->rtf1->SetText(text);
        main->ActiveForm()->rtf1->SetSelStart(int(text.size()));
        QCOMPARE(main->Panel(frmMain::PanelLine)->text(), lines);
        QCOMPARE(main->Panel(frmMain::PanelLines)->text(), lines);
        QCOMPARE(main->Panel(frmMain::PanelWords)->text(), words);
    }
};

QTEST_MAIN(tst_statistics)
#include "tst_statistics.moc"
