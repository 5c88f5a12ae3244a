#include "documents/WordCounter.h"
#include "documents/modGeneral.h"
#include "platform/ModalSeam.h"
#include "platform/RichTextBox.h"
#include "shell/frmMain.h"
#include "shell/modRegistry.h"
#include "documents/frmDoc.h"

#include <QLabel>
#include <QLocale>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

#include <memory>

namespace {

// The counting rule spelled out step by step, as slowly as it is written.
void trimBlanks(QString &s)
{
    qsizetype from = 0;
    qsizetype to = s.size();
    while (from < to && s.at(from) == u' ')
        ++from;
    while (to > from && s.at(to - 1) == u' ')
        --to;
    s = s.mid(from, to - from);
}

int ruleByTheSteps(QString s)
{
    s.replace(QStringLiteral("-\r\n"), QString());
    trimBlanks(s);
    s.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    trimBlanks(s);
    while (s.contains(QStringLiteral("  ")))
        s.replace(QStringLiteral("  "), QStringLiteral(" "));
    if (s.isEmpty())
        return 0;
    return int(s.split(u' ').size());
}

QString randomText(QRandomGenerator &rng, int length, const QString &alphabet)
{
    QString s;
    s.reserve(length);
    for (int i = 0; i < length; ++i)
        s += alphabet.at(int(rng.bounded(quint32(alphabet.size()))));
    return s;
}

} // namespace

class tst_statistics : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void countWords_data();
    void countWords();
    void countWordsLeavesCallerCopy();
    void countWordsAgreesWithTheRule();
    void incrementalCountFollowsEdits_data();
    void incrementalCountFollowsEdits();
    void incrementalCountSurvivesReplacedContent();
    void lineFigures_data();
    void lineFigures();

private:
    QTemporaryDir m_config;
};

void tst_statistics::initTestCase()
{
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    ModalSeam::setStrict(true);
}

void tst_statistics::countWords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("words");

    QTest::newRow("empty text") << QString() << 0;
    QTest::newRow("one word") << "word" << 1;
    QTest::newRow("hyphen at line end joins") << "hyphen-\r\nated" << 1;
    QTest::newRow("blank before the hyphen keeps two") << "word -\r\nnext" << 2;
    QTest::newRow("hyphen inside a line is a letter") << "well-known fact" << 2;
    QTest::newRow("hyphen before lone LF does not join") << "a-\nb" << 1;
    QTest::newRow("only blanks and breaks") << "  \r\n \r\n\r\n   " << 0;
    QTest::newRow("runs of two and three blanks") << "one  two   three" << 3;
    QTest::newRow("leading and trailing blanks") << "   one two   " << 2;
    QTest::newRow("tab does not separate") << "one\ttwo" << 1;
    QTest::newRow("comma does not separate") << "one,two" << 1;
    QTest::newRow("comma and blank") << "one, two" << 2;
    QTest::newRow("lone CR does not separate") << "one\rtwo" << 1;
    QTest::newRow("lone LF does not separate") << "one\ntwo" << 1;
    QTest::newRow("CR LF separates") << "one\r\ntwo\r\nthree" << 3;
    QTest::newRow("removal pairs a CR with an LF") << "a\r-\r\n\nb" << 2;
    QTest::newRow("double hyphen keeps one") << "a--\r\nb" << 1;
    QTest::newRow("hyphen alone on a line") << "a\r\n-\r\nb" << 2;
    QTest::newRow("hyphen at the very end") << "a b-" << 2;
    QTest::newRow("hyphen CR at the very end") << "a b-\r" << 2;
    QTest::newRow("hyphen and blank only") << " -\r\n " << 0;
    QTest::newRow("no-break space is a letter here") << QString("a") + QChar(0xa0) + "b" << 1;
}

void tst_statistics::countWords()
{
    QFETCH(QString, text);
    QFETCH(int, words);
    QCOMPARE(modGeneral::CountWords(text), words);
    QCOMPARE(ruleByTheSteps(text), words);
}

void tst_statistics::countWordsLeavesCallerCopy()
{
    const QString text = QStringLiteral("joined-\r\nword  here");
    QString copy = text;
    QCOMPARE(modGeneral::CountWords(copy), 2);
    QCOMPARE(copy, text);
}

// The single pass must agree with the rule on texts dense in the characters
// that matter to it, where the orders of the rule's steps interact.
void tst_statistics::countWordsAgreesWithTheRule()
{
    QRandomGenerator rng(20261206);
    const QString alphabet = QStringLiteral("ab -\r\n\t,");
    for (int round = 0; round < 20000; ++round) {
        const QString text = randomText(rng, int(rng.bounded(1, 24)), alphabet);
        const int expected = ruleByTheSteps(text);
        if (modGeneral::CountWords(text) != expected) {
            QString shown = text;
            shown.replace(u'\r', QStringLiteral("\\r")).replace(u'\n', QStringLiteral("\\n"));
            QFAIL(qPrintable(QStringLiteral("\"%1\": expected %2, got %3")
                                 .arg(shown).arg(expected).arg(modGeneral::CountWords(text))));
        }
    }
}

void tst_statistics::incrementalCountFollowsEdits_data()
{
    QTest::addColumn<QString>("alphabet");
    QTest::addColumn<quint32>("seed");
    QTest::newRow("hyphens at paragraph ends") << QStringLiteral("ab -\n-\n") << 1u;
    QTest::newRow("blank paragraphs") << QStringLiteral("a \n\n \n") << 2u;
    QTest::newRow("ordinary prose") << QStringLiteral("lorem ipsum, dolor-sit.\n") << 3u;
    QTest::newRow("line separators and no-break spaces")
        << QStringLiteral("ab -") + QChar(0x2028) + QChar(0xa0) + "\n" << 4u;
}

// Random typing, deleting, formatting, undo and redo on the real control:
// after every step the running figure must equal a fresh count of its text.
void tst_statistics::incrementalCountFollowsEdits()
{
    QFETCH(QString, alphabet);
    QFETCH(quint32, seed);
    QRandomGenerator rng(seed);

    RichTextBox rtb;
    QTextDocument *doc = rtb.document();
    WordCounter *counter = WordCounter::of(doc);
    QVERIFY(counter);
    QCOMPARE(WordCounter::of(doc), counter);
    QCOMPARE(counter->count(), 0);

    for (int step = 0; step < 600; ++step) {
        QTextCursor cursor(doc);
        const int length = doc->characterCount() - 1;
        const int at = int(rng.bounded(quint32(length + 1)));
        const int span = qMin(length - at, int(rng.bounded(12u)));
        cursor.setPosition(at);
        cursor.setPosition(at + span, QTextCursor::KeepAnchor);
        switch (rng.bounded(6u)) {
        case 0:
        case 1:
            cursor.insertText(randomText(rng, int(rng.bounded(1, 8)), alphabet));
            break;
        case 2:
            cursor.removeSelectedText();
            break;
        case 3: {
            QTextCharFormat bold;
            bold.setFontWeight(QFont::Bold);
            cursor.mergeCharFormat(bold);
            break;
        }
        case 4:
            doc->undo();
            break;
        default:
            cursor.beginEditBlock();
            cursor.insertText(randomText(rng, 3, alphabet));
            cursor.insertBlock();
            cursor.insertText(randomText(rng, 3, alphabet));
            cursor.endEditBlock();
            break;
        }
        const int expected = modGeneral::CountWords(rtb.Text());
        if (counter->count() != expected)
            QFAIL(qPrintable(QStringLiteral("step %1: running %2, fresh %3")
                                 .arg(step).arg(counter->count()).arg(expected)));
    }
}

void tst_statistics::incrementalCountSurvivesReplacedContent()
{
    RichTextBox rtb;
    WordCounter *counter = WordCounter::of(rtb.document());
    rtb.SetText(QStringLiteral("one two-\r\nthree\r\nfour"));
    QCOMPARE(counter->count(), modGeneral::CountWords(rtb.Text()));
    QCOMPARE(counter->count(), 3);
    rtb.SetText(QString());
    QCOMPARE(counter->count(), 0);
    rtb.document()->setHtml(QStringLiteral("<p>alpha beta-</p><table><tr><td>cell one</td>"
                                           "<td>two</td></tr></table><p>end <img src=\"none.png\"> "
                                           "-<img src=\"none.png\"></p><p>joined</p>"));
    QCOMPARE(counter->count(), modGeneral::CountWords(rtb.Text()));
}

void tst_statistics::lineFigures_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("currentLine");
    QTest::addColumn<QString>("lineCount");
    QTest::addColumn<QString>("words");

    QTest::newRow("empty document") << QString() << "1" << "1" << "0";
    QString many;
    for (int i = 1; i < 1500; ++i)
        many += QStringLiteral("word\r\n");
    many += QStringLiteral("word");
    QTest::newRow("lines group their thousands, words do not")
        << many << "1,500" << "1,500" << "1500";
}

// The three figures of a real document window, with a comma locale.
void tst_statistics::lineFigures()
{
    QFETCH(QString, text);
    QFETCH(QString, currentLine);
    QFETCH(QString, lineCount);
    QFETCH(QString, words);

    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    modRegistry::SetSettingValue(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey,
                                 QStringLiteral("Show Tips at Startup"), QStringLiteral("0"));
    auto main = std::make_unique<frmMain>();
    main->MDIForm_Load();
    frmDoc *doc = main->ActiveForm();
    QVERIFY(doc);
    doc->rtf1->SetText(text);
    doc->rtf1->SetSelStart(int(text.size()));
    QCOMPARE(main->Panel(3)->text(), currentLine);
    QCOMPARE(main->Panel(5)->text(), lineCount);
    QCOMPARE(main->Panel(7)->text(), words);
    QLocale::setDefault(QLocale::c());
}

QTEST_MAIN(tst_statistics)
#include "tst_statistics.moc"
