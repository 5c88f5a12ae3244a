// The file named on the command line, loaded into Document 1 at start-up.

#include "QuilletTest.h"

using namespace QuilletTest;

class tst_files_commandline : public MainWindowTest
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpOnce(); }
    void init() { setUp(false); }
    void cleanup() { tearDown(); }

    void loadsIntoFirstDocument_data()
    {
        QTest::addColumn<QString>("fileName");      // "" = the folder itself
        QTest::addColumn<QString>("commandLine");   // %1 = the file's full path
        QTest::addColumn<QString>("text");          // what Document 1 shows; "" = not loaded

        const QString rich = QStringLiteral("Hello bold world");
        QTest::newRow("full path") << "letter.rtf" << "%1" << rich;
        QTest::newRow("full path in double quotes") << "letter.rtf" << "\"%1\"" << rich;
        QTest::newRow("upper-case RTF") << "LETTER.RTF" << "%1" << rich;
        QTest::newRow("path with spaces, no quotes") << "my letter.rtf" << "%1" << rich;
        QTest::newRow("path with spaces, in quotes") << "my letter.rtf" << "\"%1\"" << rich;
        QTest::newRow("text file") << "notes.txt" << "%1" << "plain words";
        QTest::newRow("text file in quotes") << "notes.txt" << "\"%1\"" << "plain words";
        QTest::newRow("name relative to the current folder") << "letter.rtf" << "letter.rtf" << rich;
        QTest::newRow("missing file") << "missing letter.rtf" << "%1" << "";
        QTest::newRow("missing file in quotes") << "missing letter.rtf" << "\"%1\"" << "";
        QTest::newRow("a folder") << "" << "%1" << "";
    }
    void loadsIntoFirstDocument()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, commandLine);
        QFETCH(QString, text);

        const QString file = fileName.isEmpty() ? m_dir->path() : path(fileName);
        if (!text.isEmpty())
            QVERIFY(writeFile(file, text.startsWith(QLatin1String("Hello")) ? richSample() : text.toUtf8()));
        QDir::setCurrent(m_dir->path());
        // Told once the main window is on screen to centre on, not during its
        // load over the splash window.
        bool shownWhenTold = false;
        if (text.isEmpty()) {
            ModalSeam::queue([&shownWhenTold](const ModalSeam::Question &) {
                shownWhenTold = frmMain::instance() && frmMain::instance()->isVisible();
                return QVariant(QStringLiteral("OK"));
            });
        }
        startMainWindow(commandLine.contains(QLatin1String("%1")) ? commandLine.arg(file) : commandLine);

        // A file that cannot be read is told, by its name without quotes, and
        // start-up goes on with Document 1 empty.
        QTRY_COMPARE(askedOf(QStringLiteral("message")).size(), text.isEmpty() ? 1 : 0);
        QCOMPARE(shownWhenTold, text.isEmpty());
        const QList<ModalSeam::Question> messages = askedOf(QStringLiteral("message"));
        QCOMPARE(ModalSeam::asked().size(), messages.size());
        QCOMPARE(messages.size(), text.isEmpty() ? 1 : 0);
        if (text.isEmpty()) {
            QVERIFY2(messages.first().text.contains(file), qPrintable(messages.first().text));
            QVERIFY(!messages.first().text.contains(QLatin1Char('"')));
        }
        QCOMPARE(captions(m_main), QStringList{text.isEmpty() ? QStringLiteral("Document 1") : file});
        QVERIFY(!m_main->ActiveForm()->bChanged);
        const QString shown = m_main->ActiveForm()->rtf1->Text();
        QVERIFY2(text.isEmpty() ? shown.isEmpty() : shown.startsWith(text), qPrintable(shown));
    }
};

QTEST_MAIN(tst_files_commandline)
#include "tst_files_commandline.moc"
