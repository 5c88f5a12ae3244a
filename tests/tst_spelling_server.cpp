// The spelling server over Hunspell: word splitting, the object model and
// its errors, and finding dictionaries. Uses Debian's real en_US dictionary.
#include "platform/SpellDictionarySearch.h"
#include "platform/SpellServer.h"
#include "platform/SpellServerDocument.h"
#include "platform/SpellServerError.h"
#include "platform/SpellServerRange.h"
#include "platform/SpellWords.h"
#include "platform/SpellingErrors.h"
#include "platform/SpellingSuggestions.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList errorTexts(const SpellingErrors &errors)
{
    QStringList texts;
    for (qint32 i = 1; i <= errors.Count(); ++i)
        texts.append(errors.Item(i).Text());
    return texts;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Runs the call and returns the server error number it threw, or 0.
template <typename F>
long errorNumberOf(F call)
{
    try {
        call();
    } catch (const SpellServerError &e) {
        return e.number();
    }
    return 0;
}

} // namespace

class TestSpellingServer : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dicts;

    std::shared_ptr<SpellServer> startEnglish()
    {
        qputenv("QUILLET_SPELL_LANG", "en_US");
        return SpellServer::Create(SpellServer::ClassName);
    }

private slots:
    void initTestCase()
    {
        // A tiny Latin-1 dictionary of our own, "qq_QQ", beside a broken one
        // that must be passed over.
        QVERIFY(m_dicts.isValid());
        writeFile(m_dicts.filePath("qq_QQ.aff"), "SET ISO8859-1\nTRY esianrtolcdugmphbyfvkwz\n");
        writeFile(m_dicts.filePath("qq_QQ.dic"), "3\ncaf\xe9\nhello\nworld\n");
        writeFile(m_dicts.filePath("qb_QB.aff"), "SET UTF-8\n");
        writeFile(m_dicts.filePath("qb_QB.dic"), "");
    }

    void cleanup()
    {
        while (auto server = SpellServer::Attach(SpellServer::ClassName))
            server->Quit();
        SpellDictionarySearch::ResetSystemFolders();
        qunsetenv("DICPATH");
        qunsetenv("QUILLET_SPELL_LANG");
    }

    void splitsWords_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("apostrophe inside a word") << "don't stop" << QStringList{"don't", "stop"};
        QTest::newRow("quotes around a word") << "'quoted' word'" << QStringList{"quoted", "word"};
        QTest::newRow("curly apostrophe") << QString::fromUtf8("O\u2019Brien\u2019s") << QStringList{QString::fromUtf8("O\u2019Brien\u2019s")};
        QTest::newRow("runs with digits are skipped") << "mp3 2nd 1990 abc 80's" << QStringList{"abc"};
        QTest::newRow("hyphen and punctuation separate") << "well-known,foo.bar_baz" << QStringList{"well", "known", "foo", "bar", "baz"};
        QTest::newRow("combining mark stays in the word") << QString::fromUtf8("nai\u0308ve x") << QStringList{QString::fromUtf8("nai\u0308ve"), "x"};
        QTest::newRow("paragraphs") << "one\r\ntwo\r\n\r\n" << QStringList{"one", "two"};
        QTest::newRow("letters outside the basic plane") << QString::fromUtf8("a\U0001D400b c") << QStringList{QString::fromUtf8("a\U0001D400b"), "c"};
        QTest::newRow("lone surrogate is not a letter") << QString(QChar(0xD800)) + "ab" << QStringList{"ab"};
        QTest::newRow("empty") << QString() << QStringList{};
    }
    void splitsWords()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, words);
        QStringList found;
        for (const SpellWords::Word &w : SpellWords::Split(text))
            found.append(text.mid(w.start, w.length));
        QCOMPARE(found, words);
    }

    void findsErrorsWithTheEnglishDictionary()
    {
        auto app = startEnglish();
        QVERIFY2(app, qPrintable(SpellServer::LastCreateError()));
        QCOMPARE(app->Language(), QStringLiteral("en_US"));
        app->Documents_Add();
        SpellServerRange range = app->ActiveDocument()->Range();
        range.InsertAfter(QStringLiteral("Ths is a tst of the wrold.\r\nTeh wrold, teh WORLD isn't 42 mp3's."));
        QCOMPARE(errorTexts(range.SpellingErrors()),
                 (QStringList{"Ths", "tst", "wrold", "Teh", "wrold", "teh"}));
        // The ranges point at the occurrences in the text.
        QCOMPARE(range.SpellingErrors().Item(3).Start(), 20);
        QCOMPARE(range.Text().size(), range.End());

        QVERIFY(app->GetSpellingSuggestions(QStringLiteral("wrold")).Count() > 0);
        bool hasWorld = false;
        const SpellingSuggestions s = app->GetSpellingSuggestions(QStringLiteral("wrold"));
        for (qint32 i = 1; i <= s.Count(); ++i)
            hasWorld = hasWorld || s.Item(i).Name == QLatin1String("world");
        QVERIFY(hasWorld);
        QCOMPARE(errorNumberOf([&] { s.Item(0); }), SpellServerError::NoSuchMember);
    }

    void hugeWordIsJustMisspelt()
    {
        auto app = startEnglish();
        QVERIFY(app);
        const QString huge = QStringLiteral("abcdefghij").repeated(20000);
        SpellServerRange range = app->Documents_Add()->Range();
        range.InsertAfter(QStringLiteral("fine ") + huge);
        QCOMPARE(errorTexts(range.SpellingErrors()), QStringList{huge});
        QCOMPARE(app->GetSpellingSuggestions(huge).Count(), 0);
    }

    void attachFindsTheRunningServerUntilQuit()
    {
        QVERIFY(!SpellServer::Attach(SpellServer::ClassName));
        auto app = startEnglish();
        QVERIFY(app);
        QCOMPARE(SpellServer::Attach(QStringLiteral("word.application")), app);
        QVERIFY(!SpellServer::Attach(QStringLiteral("Excel.Application")));
        QVERIFY(!SpellServer::Create(QStringLiteral("Excel.Application")));

        auto first = app->Documents_Add();
        auto second = app->Documents_Add();
        QCOMPARE(app->ActiveDocument(), second);
        SpellServerRange range = second->Range();
        second->Close(false);
        QCOMPARE(app->ActiveDocument(), first);
        QCOMPARE(errorNumberOf([&] { range.Text(); }), SpellServerError::ObjectDeleted);
        first->Close(false);
        QCOMPARE(errorNumberOf([&] { app->ActiveDocument(); }), SpellServerError::NoDocumentOpen);

        app->Documents_Add();
        app->Quit(false);
        QVERIFY(!SpellServer::Attach(SpellServer::ClassName));
        QCOMPARE(errorNumberOf([&] { app->GetSpellingSuggestions(QStringLiteral("wrold")); }),
                 SpellServerError::ServerUnavailable);
        QCOMPARE(errorNumberOf([&] { app->Quit(); }), SpellServerError::ServerUnavailable);
        QCOMPARE(errorNumberOf([&] { app->Documents_Add(); }), SpellServerError::ServerUnavailable);
    }

    void choosesTheDictionary_data()
    {
        QTest::addColumn<QString>("wanted");
        QTest::addColumn<bool>("hideSystemFolders");
        QTest::addColumn<QString>("language");
        QTest::newRow("the language asked for") << "qq_QQ" << true << "qq_QQ";
        QTest::newRow("locale spelling of it") << "qq-QQ.UTF-8" << true << "qq_QQ";
        QTest::newRow("another region of the language") << "qq_ZZ" << true << "qq_QQ";
        QTest::newRow("unknown language falls back to en_US") << "xx_XX" << false << "en_US";
        QTest::newRow("no English: any dictionary found") << "xx_XX" << true << "qq_QQ";
        QTest::newRow("broken dictionary passed over") << "qb_QB" << true << "qq_QQ";
    }
    void choosesTheDictionary()
    {
        QFETCH(QString, wanted);
        QFETCH(bool, hideSystemFolders);
        QFETCH(QString, language);
        qputenv("DICPATH", ("/nonexistent:" + m_dicts.path()).toLocal8Bit());
        qputenv("QUILLET_SPELL_LANG", wanted.toLocal8Bit());
        if (hideSystemFolders)
            SpellDictionarySearch::SetSystemFolders({});
        auto app = SpellServer::Create(SpellServer::ClassName);
        QVERIFY2(app, qPrintable(SpellServer::LastCreateError()));
        QCOMPARE(app->Language(), language);
    }

    void legacyEncodingDictionary()
    {
        qputenv("DICPATH", m_dicts.path().toLocal8Bit());
        qputenv("QUILLET_SPELL_LANG", "qq_QQ");
        SpellDictionarySearch::SetSystemFolders({});
        auto app = SpellServer::Create(SpellServer::ClassName);
        QVERIFY(app);
        SpellServerRange range = app->Documents_Add()->Range();
        range.InsertAfter(QString::fromUtf8("caf\u00e9 hello wrold \u4e16\u754c"));
        // Chinese cannot be written in Latin-1: not this dictionary's to judge.
        QCOMPARE(errorTexts(range.SpellingErrors()), QStringList{"wrold"});
        const SpellingSuggestions s = app->GetSpellingSuggestions(QString::fromUtf8("cafe"));
        QVERIFY(s.Count() > 0);
        QCOMPARE(s.Item(1).Name, QString::fromUtf8("caf\u00e9"));
    }

    void noDictionaryNoServer()
    {
        QTemporaryDir empty;
        qputenv("DICPATH", empty.path().toLocal8Bit());
        SpellDictionarySearch::SetSystemFolders({});
        QVERIFY(SpellDictionarySearch::Available().isEmpty());
        QVERIFY(!SpellServer::Create(SpellServer::ClassName));
        QVERIFY(SpellServer::LastCreateError().contains(empty.path()));
        QVERIFY(!SpellServer::Attach(SpellServer::ClassName));
    }
};

QTEST_GUILESS_MAIN(TestSpellingServer)
#include "tst_spelling_server.moc"
