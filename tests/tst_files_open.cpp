// Opening: File > Open, the explorer's OpenFile and dropped files; the
// load rules; files that cannot be opened; the typical edit end to end.

#include "DocxTestSupport.h"
#include "QuilletTest.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QStringEncoder>
#include <QUrl>

#ifdef Q_OS_LINUX
#include <sys/stat.h>
#endif

using namespace QuilletTest;

class tst_files_open : public MainWindowTest
{
    Q_OBJECT

    // Straight to the main window's event handling: the application would
    // route a drop to the target of a real drag, and there is none here.
    void drop(QMimeData *data)
    {
        QDropEvent event(QPointF(100, 100), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        static_cast<QObject *>(m_main)->event(&event);
    }
    void drop(const QStringList &paths)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString &file : paths)
            urls.append(QUrl::fromLocalFile(file));
        data.setUrls(urls);
        drop(&data);
    }
    // Opens file by way; then come the answers for what it asks after any dialog.
    void openBy(const QString &way, const QString &file, const QVariantList &answers = {})
    {
        queueAnswers(way == QLatin1String("open") ? QVariantList{file} + answers : answers);
        if (way == QLatin1String("open"))
            m_main->open_Click();
        else if (way == QLatin1String("explorer"))
            fileMod::OpenFile(file);
        else
            drop(QStringList{file});
    }

private slots:
    void initTestCase() { setUpOnce(); }
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    // A file is read by the rule of the way it came in, and written back by
    // Save or Save All as the type it was read as: nothing dropped, nothing
    // wrapped in Rich Text that was not.
    void loadAndSaveBack_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("rich");

        // File > Open takes only lower-case "rtf" as Rich Text.
        QTest::newRow("Open .rtf, Save: rich") << "open" << "a.rtf" << "save" << true;
        QTest::newRow("Open .RTF: plain, markup shows, Save: plain") << "open" << "a.RTF" << "save" << false;
        QTest::newRow("Open .RTF, Save All: stays plain") << "open" << "a.RTF" << "saveall" << false;
        QTest::newRow("Open .txt, Save: plain") << "open" << "a.txt" << "save" << false;
        QTest::newRow("explorer .rtf, Save: rich") << "explorer" << "a.rtf" << "save" << true;
        // A drop compares in any case.
        QTest::newRow("drop .rtf, Save: rich") << "drop" << "a.rtf" << "save" << true;
        QTest::newRow("drop .RTF, Save: stays rich") << "drop" << "a.RTF" << "save" << true;
        QTest::newRow("drop .RTF, Save All: rich") << "drop" << "a.RTF" << "saveall" << true;
        QTest::newRow("drop .txt, Save: plain") << "drop" << "a.txt" << "save" << false;
        QTest::newRow("drop, no extension, Save: plain") << "drop" << "a" << "save" << false;
    }
    void loadAndSaveBack()
    {
        QFETCH(QString, way);
        QFETCH(QString, name);
        QFETCH(QString, command);
        QFETCH(bool, rich);

        const QString file = path(name);
        QVERIFY(writeFile(file, richSample()));
        openBy(way, file);

        QCOMPARE(ModalSeam::asked().size(), way == QLatin1String("open") ? 1 : 0);   // the dialog only
        QCOMPARE(captions(m_main), (QStringList{QStringLiteral("Document 1"), file}));
        frmDoc *doc = m_main->ActiveForm();
        QVERIFY(!doc->bChanged);   // a load is no change
        const QString text = doc->rtf1->Text();
        QVERIFY2(text.startsWith(rich ? QStringLiteral("Hello bold world") : QStringLiteral("{\\rtf1")),
                 qPrintable(text));

        resetSeam();
        doc->rtf1->moveCursor(QTextCursor::End);
        doc->rtf1->SetSelText(QStringLiteral(" more"));
        doc->bChanged = true;
        runCommand(m_main, command);
        QCOMPARE(ModalSeam::asked().size(), 0);

        if (rich) {
            RichTextBox reread;
            QVERIFY(reread.LoadFile(file));
            QVERIFY2(reread.Text().startsWith(QStringLiteral("Hello bold world")), qPrintable(reread.Text()));
            QVERIFY(reread.Find(QStringLiteral("bold")) > 0);
            QCOMPARE(reread.SelBold(), std::optional<bool>(true));
        } else {
            // The markup as it was read, with the words added.
            const QByteArray bytes = readFile(file);
            QVERIFY2(bytes.startsWith(richSample().left(40)), bytes.constData());
            QVERIFY(bytes.contains("world\\par} more"));
            QVERIFY(!bytes.contains("\\\\rtf1"));
        }
    }

    void cannotOpen_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("what");

        QTest::newRow("open: dialog cancelled") << "open" << "";
        for (const char *way : {"open", "explorer", "drop"}) {
            QTest::addRow("%s: missing file", way) << way << "gone.rtf";
            QTest::addRow("%s: a folder", way) << way << "folder.rtf/";
        }
    }
    void cannotOpen()
    {
        QFETCH(QString, way);
        QFETCH(QString, what);

        QString file = what.isEmpty() ? QString() : path(what);
        if (file.endsWith(QLatin1Char('/'))) {
            file.chop(1);
            QVERIFY(QDir().mkdir(file));
        }
        openBy(way, file, {QStringLiteral("OK")});

        QTRY_COMPARE(askedOf(QStringLiteral("message")).size(), 1);
        const ModalSeam::Question message = askedOf(QStringLiteral("message")).first();
        QVERIFY2(message.text.contains(file), qPrintable(message.text));
        QCOMPARE(ModalSeam::unanswered(), 0);
        // No empty "Form1" or "Document" window is left behind.
        QTRY_COMPARE(captions(m_main), QStringList{QStringLiteral("Document 1")});
    }

    // A file of another format is never read as text, by any way in and
    // whatever its name: it is refused with its format named, no window is
    // left, and the file stays as it was (a Save of its bytes read as text
    // would have written garbage over it).
    void otherFormatsAreRefused_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("format");

        // Only the headers matter to the recognition; the archives need not be whole.
        const QByteArray word = QByteArray("PK\x03\x04", 4) + QByteArray(26, '\0') + "[Content_Types].xml"
                + QByteArray(40, '\0') + "PK\x03\x04word/document.xml";
        const QByteArray odf = QByteArray("PK\x03\x04", 4) + QByteArray(26, '\0')
                + "mimetypeapplication/vnd.oasis.opendocument.text";
        const QByteArray ole = QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(504, '\0');
        for (const char *way : {"open", "explorer", "drop"}) {
            QTest::addRow("%s: Word package named .docx", way) << way << "letter.docx" << word << "Word document";
            QTest::addRow("%s: Word package named .txt", way) << way << "letter.txt" << word << "Word document";
            QTest::addRow("%s: Word package named .rtf", way) << way << "letter.rtf" << word << "Word document";
            QTest::addRow("%s: OpenDocument named .txt", way) << way << "minutes.txt" << odf << "OpenDocument text";
            QTest::addRow("%s: Word 97 file", way) << way << "old.doc" << ole << "Word 97-2003 document (.doc)";
            QTest::addRow("%s: PDF", way) << way << "paper.pdf" << QByteArray("%PDF-1.4\n%\xE2\xE3\n") << "PDF";
            QTest::addRow("%s: zip archive", way) << way << "photos" << QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0')
                                                  << "ZIP archive";
            // Text under a name that promises a package: refused by the name.
            QTest::addRow("%s: text named .docx", way) << way << "notes.docx" << QByteArray("plain words\n") << "Word document";
        }
    }
    void otherFormatsAreRefused()
    {
        QFETCH(QString, way);
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, format);

        const QString file = path(name);
        QVERIFY(writeFile(file, bytes));
        openBy(way, file, {QStringLiteral("OK")});

        QTRY_COMPARE(askedOf(QStringLiteral("message")).size(), 1);
        const QString text = askedOf(QStringLiteral("message")).first().text;
        QVERIFY2(text.contains(file) && text.contains(format), qPrintable(text));
        QTRY_COMPARE(captions(m_main), QStringList{QStringLiteral("Document 1")});
        QCOMPARE(readFile(file), bytes);
    }

    // A Word document opens as one by every way in, under its own name or
    // another, and Save writes it back as Word with no question.
    void wordDocumentOpensAndSavesBack_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("name");
        for (const char *way : {"open", "explorer", "drop"}) {
            QTest::addRow("%s: .docx", way) << way << "letter.docx";
            QTest::addRow("%s: named .txt", way) << way << "letter.txt";
        }
    }
    void wordDocumentOpensAndSavesBack()
    {
        QFETCH(QString, way);
        QFETCH(QString, name);
        const QString file = path(name);
        QVERIFY(writeFile(file, DocxTestSupport::withBody(
                                    "<w:p><w:r><w:t xml:space=\"preserve\">Hello </w:t></w:r><w:r><w:rPr><w:b/></w:rPr>"
                                    "<w:t>bold</w:t></w:r><w:r><w:t xml:space=\"preserve\"> world</w:t></w:r></w:p>")));
        openBy(way, file);
        frmDoc *doc = m_main->ActiveForm();
        QCOMPARE(doc->Caption(), file);
        QCOMPARE(doc->rtf1->Text(), QStringLiteral("Hello bold world"));
        QVERIFY(!doc->bChanged);
        resetSeam();
        doc->rtf1->moveCursor(QTextCursor::End);
        doc->rtf1->SetSelText(QStringLiteral(" more"));
        doc->bChanged = true;
        runCommand(m_main, QStringLiteral("save"));
        QCOMPARE(ModalSeam::asked().size(), 0);
        QVERIFY(!doc->bChanged);
        QVERIFY(readFile(file).startsWith("PK\x03\x04"));
        RichTextBox reread;
        QVERIFY(reread.LoadFile(file, RichTextBox::rtfText));
        QCOMPARE(reread.Text(), QStringLiteral("Hello bold world more"));
        QCOMPARE(reread.Find(QStringLiteral("bold")), 6);
        QCOMPARE(reread.SelBold(), std::optional<bool>(true));
    }

    // Word saved Rich Text under .doc names: such a file opens as Rich Text
    // by every way in, and is saved back as Rich Text.
    void richTextNamedDocOpensAsRichText_data()
    {
        QTest::addColumn<QString>("way");
        for (const char *way : {"open", "explorer", "drop"})
            QTest::newRow(way) << way;
    }
    void richTextNamedDocOpensAsRichText()
    {
        QFETCH(QString, way);
        const QString file = path(QStringLiteral("memo.doc"));
        QVERIFY(writeFile(file, richSample()));
        openBy(way, file);
        frmDoc *doc = m_main->ActiveForm();
        QCOMPARE(doc->Caption(), file);
        QVERIFY2(doc->rtf1->Text().startsWith(QStringLiteral("Hello bold world")), qPrintable(doc->rtf1->Text()));
        doc->rtf1->moveCursor(QTextCursor::End);
        doc->rtf1->SetSelText(QStringLiteral(" more"));
        doc->bChanged = true;
        runCommand(m_main, QStringLiteral("save"));
        QVERIFY(messages().isEmpty());
        QVERIFY(!doc->bChanged);
        QVERIFY2(readFile(file).startsWith("{\\rtf1"), readFile(file).constData());
    }

    void dropOpensEveryFileInOrder()
    {
        const QString a = path(QStringLiteral("a.rtf")), missing = path(QStringLiteral("b.rtf")),
                      c = path(QStringLiteral("c.txt")), d = path(QStringLiteral("d.RTF"));
        QVERIFY(writeFile(a, richSample()) && writeFile(c, "plain words\n") && writeFile(d, richSample()));

        ModalSeam::queue(QStringLiteral("OK"));
        drop({a, missing, c, d});

        QCOMPARE(captions(m_main), (QStringList{QStringLiteral("Document 1"), a, c, d}));
        for (frmDoc *doc : m_main->documents())
            QVERIFY(!doc->bChanged);
        QCOMPARE(m_main->ActiveForm()->Caption(), d);
        // The file that could not be opened is told once the drop is over.
        QTRY_COMPARE(askedOf(QStringLiteral("message")).size(), 1);
        const QString text = askedOf(QStringLiteral("message")).first().text;
        QVERIFY2(text.contains(missing), qPrintable(text));
        QVERIFY(!text.contains(a));
    }

    void dragIsRefusedUnlessFiles_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("files") << "text/uri-list" << QByteArray("file:///tmp/a.rtf\r\n");
        QTest::newRow("text") << "text/plain" << QByteArray("/tmp/a.rtf");
        QTest::newRow("web links") << "text/uri-list" << QByteArray("https://example.org/a.rtf\r\n");
        QTest::newRow("Rich Text data") << "text/rtf" << richSample();
    }
    void dragIsRefusedUnlessFiles()
    {
        QFETCH(QString, format);
        QFETCH(QByteArray, bytes);

        QMimeData data;
        data.setData(format, bytes);
        QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        enter.setAccepted(false);
        static_cast<QObject *>(m_main)->event(&enter);
        QCOMPARE(enter.isAccepted(), bytes.startsWith("file:"));
        // Dropping what was refused opens nothing.
        if (!enter.isAccepted()) {
            drop(&data);
            QCOMPARE(captions(m_main), QStringList{QStringLiteral("Document 1")});
            QVERIFY(ModalSeam::asked().isEmpty());
        }
    }

    // The two roads through the GUI: open, type, bold, Ctrl+S and close
    // without a question; then File > New, a key, Ctrl+S asks for a name.
    void typicalEdit()
    {
        const QString file = path(QStringLiteral("letter.rtf"));
        QVERIFY(writeFile(file, richSample()));
        QApplication::setActiveWindow(m_main);
        QVERIFY(QTest::qWaitForWindowActive(m_main));
        ModalSeam::queue(file);
        m_main->open_Click();
        frmDoc *doc = m_main->ActiveForm();

        // Type at the end, then make a word bold.
        doc->rtf1->setFocus();
        doc->rtf1->moveCursor(QTextCursor::End);
        QTest::keyClicks(doc->rtf1, QStringLiteral(" again"));
        QVERIFY(doc->bChanged);
        QVERIFY(doc->rtf1->Find(QStringLiteral("world")) >= 0);
        doc->rtf1->SetSelBold(true);
        QTest::keyClick(doc->rtf1, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!doc->bChanged);
        QCOMPARE(doc->Caption(), file);   // a file that was opened shows no change mark

        m_main->close_Click();
        QCOMPARE(ModalSeam::asked().size(), 1);   // the open dialog only
        QTRY_COMPARE(m_main->documents().size(), 1);

        RichTextBox reread;
        QVERIFY(reread.LoadFile(file));
        QVERIFY2(reread.Text().startsWith(QStringLiteral("Hello bold world again")), qPrintable(reread.Text()));
        QCOMPARE(reread.Find(QStringLiteral("world")), 11);
        QCOMPARE(reread.SelBold(), std::optional<bool>(true));
        QCOMPARE(reread.Find(QStringLiteral("Hello")), 0);
        QCOMPARE(reread.SelBold(), std::optional<bool>(false));

        m_main->Menu(QStringLiteral("new"))->trigger();
        doc = m_main->ActiveForm();
        QCOMPARE(doc->Caption(), QStringLiteral("Document 2"));

        doc->rtf1->setFocus();
        QTest::keyClick(doc->rtf1, Qt::Key_A);
        QCOMPARE(doc->Caption(), QStringLiteral("Document 2*"));

        ModalSeam::queue(QString());   // cancel the save dialog
        QTest::keyClick(doc->rtf1, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(askedOf(QStringLiteral("save")).size(), 1);
        QVERIFY(doc->bChanged);
        QCOMPARE(doc->Caption(), QStringLiteral("Document 2*"));
    }

    // A text file comes back byte for byte after Open and Save: its byte
    // order mark, its encoding and its line ends.
    void textFileComesBackByteForByte_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QString text = QString::fromUtf8("Hi there\r\nna\u00efve caf\u00e9 \u65e5\u672c \U0001F600\r\nend\r\n");
        const auto encoded = [&](QStringConverter::Encoding encoding, const char *mark, int markSize) {
            QStringEncoder encoder(encoding);
            return QByteArray(mark, markSize) + QByteArray(encoder.encode(text));
        };
        QTest::newRow("UTF-16 LE with mark") << encoded(QStringConverter::Utf16LE, "\xFF\xFE", 2);
        QTest::newRow("UTF-16 BE with mark") << encoded(QStringConverter::Utf16BE, "\xFE\xFF", 2);
        QTest::newRow("UTF-32 LE with mark") << encoded(QStringConverter::Utf32LE, "\xFF\xFE\0\0", 4);
        QTest::newRow("UTF-32 BE with mark") << encoded(QStringConverter::Utf32BE, "\0\0\xFE\xFF", 4);
        QTest::newRow("UTF-8 with mark") << encoded(QStringConverter::Utf8, "\xEF\xBB\xBF", 3);
        QTest::newRow("UTF-8 with LF") << QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).toUtf8();
    }
    void textFileComesBackByteForByte()
    {
        QFETCH(QByteArray, bytes);
        const QString file = path(QStringLiteral("letter.txt"));
        QVERIFY(writeFile(file, bytes));
        openBy(QStringLiteral("explorer"), file);
        frmDoc *doc = m_main->ActiveForm();
        QCOMPARE(doc->Caption(), file);
        QVERIFY2(doc->rtf1->Text().startsWith(QString::fromUtf8("Hi there\r\nna\u00efve caf\u00e9 \u65e5\u672c")),
                 qPrintable(doc->rtf1->Text()));
        doc->bChanged = true;
        runCommand(m_main, QStringLiteral("save"));
        QCOMPARE(ModalSeam::asked().size(), 0);
        QVERIFY(!doc->bChanged);
        QCOMPARE(readFile(file), bytes);
    }

    // One stray byte is read as a Windows-1252 character and all the rest as
    // UTF-8. The user is told once, when the main window is on screen: a file
    // named on the command line is read before the window shows.
    void strayByteIsToldOnce_data()
    {
        QTest::addColumn<bool>("commandLine");
        QTest::newRow("opened from the explorer") << false;
        QTest::newRow("named on the command line") << true;
    }
    void strayByteIsToldOnce()
    {
        QFETCH(bool, commandLine);
        const QString file = path(QStringLiteral("notes.txt"));
        QVERIFY(writeFile(file, "na\xC3\xAFve caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \x85 end\n"));
        if (commandLine) {
            delete std::exchange(m_main, nullptr);
            resetSeam();
            genMod::SetCommandLine(file);
            m_main = new frmMain;
            m_main->MDIForm_Load();
            QCoreApplication::processEvents();   // as start-up does before it shows the window
            QCOMPARE(askedOf(QStringLiteral("message")).size(), 0);
            m_main->show();
        } else {
            openBy(QStringLiteral("explorer"), file);
        }
        frmDoc *doc = m_main->ActiveForm();
        QCOMPARE(doc->rtf1->Text(), QString::fromUtf8("na\u00efve caf\u00e9 \u65e5\u672c \u2026 end\r\n"));
        queueAnswers({"OK"});
        QTRY_COMPARE(askedOf(QStringLiteral("message")).size(), 1);
        const QString text = askedOf(QStringLiteral("message")).first().text;
        QVERIFY2(text.contains(file) && text.contains(QStringLiteral("not valid UTF-8")), qPrintable(text));
        QCoreApplication::processEvents();
        QCOMPARE(askedOf(QStringLiteral("message")).size(), 1);

        // Saved back, the stray byte is the UTF-8 of what was shown.
        doc->bChanged = true;
        runCommand(m_main, QStringLiteral("save"));
        QCOMPARE(readFile(file), QByteArray("na\xC3\xAFve caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xE2\x80\xA6 end\n"));
    }

    // A Rich Text file cut short opens as far as it goes and says once, through
    // the program's message box, that it may be incomplete.
    void damagedRichTextIsToldOnce()
    {
        const QString file = path(QStringLiteral("cut.rtf"));
        QVERIFY(writeFile(file, "{\\rtf1\\ansi Dear reader,\\par the letter stops {\\b here"));
        openBy(QStringLiteral("explorer"), file);
        frmDoc *doc = m_main->ActiveForm();
        QVERIFY(doc);
        QCOMPARE(doc->rtf1->Text(), QStringLiteral("Dear reader,\r\nthe letter stops here"));
        queueAnswers({"OK"});
        QTRY_COMPARE(askedOf(QStringLiteral("message")).size(), 1);
        const QString text = askedOf(QStringLiteral("message")).first().text;
        QVERIFY2(text.contains(QStringLiteral("\"cut.rtf\" may be incomplete")), qPrintable(text));
        QCoreApplication::processEvents();
        QCOMPARE(askedOf(QStringLiteral("message")).size(), 1);
    }

#ifdef Q_OS_LINUX
    // Saving over a file keeps its permission bits, and as root its owner
    // and group: a shared file stays shared.
    void saveKeepsPermissionsAndOwner()
    {
        const QString file = path(QStringLiteral("shared.txt"));
        QVERIFY(writeFile(file, "old\n"));
        const QByteArray name = QFile::encodeName(file);
        QCOMPARE(::chmod(name.constData(), 0640), 0);
        const bool root = ::geteuid() == 0;
        if (root)
            QCOMPARE(::chown(name.constData(), 1234, 5678), 0);
        openBy(QStringLiteral("explorer"), file);
        frmDoc *doc = m_main->ActiveForm();
        doc->rtf1->SetText(QStringLiteral("new"));
        doc->bChanged = true;
        runCommand(m_main, QStringLiteral("save"));
        QCOMPARE(ModalSeam::asked().size(), 0);
        QCOMPARE(readFile(file), QByteArray("new"));
        struct stat info {};
        QCOMPARE(::stat(name.constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0640));
        if (root) {
            QCOMPARE(info.st_uid, uid_t(1234));
            QCOMPARE(info.st_gid, gid_t(5678));
        }
    }
#endif
};

QTEST_MAIN(tst_files_open)
#include "tst_files_open.moc"
