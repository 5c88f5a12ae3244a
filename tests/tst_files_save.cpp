// Saving: the file-type rules through the real commands, the change flag
// cleared only by a real write, and failed writes that damage nothing.

#include "FullDisk.h"
#include "QuilletTest.h"

#include <DocxReader.h>
#include <SystemMessageBox.h>

using namespace QuilletTest;

class tst_files_save : public MainWindowTest
{
    Q_OBJECT

    // The active document with one bold word, marked as changed.
    frmDoc *changedDocument(const QString &caption)
    {
        frmDoc *doc = m_main->ActiveForm();
        doc->rtf1->SetText(QStringLiteral("Hello world"));
        doc->rtf1->SetSelStart(0);
        doc->rtf1->SetSelLength(5);
        doc->rtf1->SetSelBold(true);
        doc->SetCaption(caption);
        doc->bChanged = true;
        return doc;
    }

private slots:
    void initTestCase() { setUpOnce(); }
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void fileTypes_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("startCaption");   // "" = untitled; else a name in the folder
        QTest::addColumn<QString>("chosen");         // what the save dialog answers
        QTest::addColumn<QString>("written");        // the file that must appear
        QTest::addColumn<bool>("rich");
        QTest::addColumn<bool>("warning");

        // Save on an untitled document asks for a name; exactly "rtf" is Rich Text.
        QTest::newRow("Save, new, .rtf: rich") << "save" << "" << "a.rtf" << "a.rtf" << true << false;
        QTest::newRow("Save, new, .RTF: plain after warning") << "save" << "" << "a.RTF" << "a.RTF" << false << true;
        QTest::newRow("Save, new, .txt: plain after warning") << "save" << "" << "a.txt" << "a.txt" << false << true;
        QTest::newRow("Save, new, no extension: .RTF, plain") << "save" << "" << "a" << "a.RTF" << false << true;
        // Save on a document with its own file: no dialog, no warning.
        QTest::newRow("Save, own .rtf: rich") << "save" << "own.rtf" << "" << "own.rtf" << true << false;
        QTest::newRow("Save, own .RTF: plain, no warning") << "save" << "own.RTF" << "" << "own.RTF" << false << false;
        // Save As picks its route from the caption.
        QTest::newRow("Save As, .rtf to .rtf: rich") << "saveas" << "own.rtf" << "b.rtf" << "b.rtf" << true << false;
        QTest::newRow("Save As, .rtf to .txt: warning") << "saveas" << "own.rtf" << "b.txt" << "b.txt" << false << true;
        QTest::newRow("Save As, new, no extension: .TXT added") << "saveas" << "" << "b" << "b.TXT" << false << true;
        QTest::newRow("Save As, from .RTF: text route") << "saveas" << "own.RTF" << "b.rtf" << "b.rtf" << false << true;
        // Save All compares in any case and never warns.
        QTest::newRow("Save All, new, .rtf: rich") << "saveall" << "" << "c.rtf" << "c.rtf" << true << false;
        QTest::newRow("Save All, new, .RTF: rich") << "saveall" << "" << "c.RTF" << "c.RTF" << true << false;
        QTest::newRow("Save All, new, .txt: plain") << "saveall" << "" << "c.txt" << "c.txt" << false << false;
        QTest::newRow("Save All, no extension: .RTF, rich") << "saveall" << "" << "c" << "c.RTF" << true << false;
        QTest::newRow("Save All, own .Rtf: rich") << "saveall" << "own.Rtf" << "" << "own.Rtf" << true << false;
    }
    void fileTypes()
    {
        QFETCH(QString, command);
        QFETCH(QString, startCaption);
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        QFETCH(bool, rich);
        QFETCH(bool, warning);

        // An Open before leaves "file must exist" and no default extension in
        // the shared dialog; no save dialog may inherit them.
        queueAnswers({QString(), QStringLiteral("OK")});
        m_main->open_Click();
        resetSeam();

        const QString caption = startCaption.isEmpty() ? QStringLiteral("Document 1*") : path(startCaption);
        frmDoc *doc = changedDocument(caption);
        // Save As on the text route warns before its dialog; the others after.
        const bool textRoute = command == QLatin1String("saveas") && !caption.endsWith(QLatin1String("rtf"));
        if (warning && textRoute)
            ModalSeam::queue(6);
        if (!chosen.isEmpty())
            ModalSeam::queue(path(chosen));
        if (warning && !textRoute)
            ModalSeam::queue(6);
        runCommand(m_main, command);

        QCOMPARE(ModalSeam::unanswered(), 0);
        QCOMPARE(ModalSeam::pending(), 0);
        QCOMPARE(askedOf(QStringLiteral("message")).size(), 0);
        QCOMPARE(askedOf(QStringLiteral("system")).size(), warning ? 1 : 0);   // the formatting warning
        QCOMPARE(askedOf(QStringLiteral("save")).size(), chosen.isEmpty() ? 0 : 1);
        if (!chosen.isEmpty())
            QCOMPARE(m_main->cd1->Flags(), int(CommonDialog::cdlOFNOverwritePrompt));

        const QByteArray bytes = readFile(path(written));
        QCOMPARE(bytes.startsWith("{\\rtf"), rich);
        QVERIFY2(bytes.contains("world"), bytes.constData());
        if (command == QLatin1String("saveall")) {
            QTRY_VERIFY(m_main->documents().isEmpty());
            return;
        }
        QCOMPARE(doc->Caption(), path(written));
        QVERIFY(!doc->bChanged);
        // Saved as plain text through the Save dialog, the window shows what
        // the file holds: the words, no bold.
        if (warning && !textRoute) {
            QVERIFY(doc->rtf1->Text().startsWith(QStringLiteral("Hello world")));
            doc->rtf1->SetSelStart(0);
            doc->rtf1->SetSelLength(5);
            QCOMPARE(doc->rtf1->SelBold(), std::optional<bool>(false));
        }
    }

    // Nothing written, nothing lost: the change flag and the caption stay,
    // the window stays open, and an existing file keeps every byte.
    void notWrittenKeepsEverything_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("untitled");          // else the document's own file is the target
        QTest::addColumn<QVariantList>("answers");   // "@name" = a path in the folder
        QTest::addColumn<QString>("failure");        // why the write fails; "" = never attempted

        QTest::newRow("Save, dialog cancelled") << "save" << true << QVariantList{QString()} << "";
        QTest::newRow("Save, warning declined") << "save" << true << QVariantList{"@a.txt", 7} << "";
        QTest::newRow("Save As, warning declined") << "saveas" << true << QVariantList{7} << "";
        QTest::newRow("Save As, dialog cancelled") << "saveas" << true << QVariantList{6, QString()} << "";
        QTest::newRow("Save All, dialog cancelled") << "saveall" << true << QVariantList{QString()} << "";
        for (const char *failure : {"a folder where the file should be", "read-only file", "interrupted part-way"}) {
            QTest::addRow("Save, own file: %s", failure) << "save" << false << QVariantList{"OK"} << failure;
            QTest::addRow("Save, new: %s", failure) << "save" << true << QVariantList{"@letter.rtf", "OK"} << failure;
            QTest::addRow("Save All, own file: %s", failure) << "saveall" << false << QVariantList{"OK"} << failure;
        }
    }
    void notWrittenKeepsEverything()
    {
        QFETCH(QString, command);
        QFETCH(bool, untitled);
        QFETCH(QVariantList, answers);
        QFETCH(QString, failure);

        const QByteArray oldContent = QByteArrayLiteral("the old content\r\nsecond line\r\n");
        const QString target = path(QStringLiteral("letter.rtf"));
        bool immutable = false;
        if (failure.startsWith(QLatin1String("a folder"))) {
            QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("letter.rtf")));
        } else if (!failure.isEmpty()) {
            QVERIFY(writeFile(target, oldContent));
            if (failure.startsWith(QLatin1String("read-only"))) {
                QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
#ifdef Q_OS_LINUX
                immutable = ::geteuid() == 0 && setImmutable(target, true);
                if (::geteuid() == 0 && !immutable)
                    QSKIP("Nothing can make a file read-only for root here");
#endif
            } else {
                RichTextBox::InjectSaveFailure(8);
            }
        }
        auto undo = qScopeGuard([&] {
#ifdef Q_OS_LINUX
            if (immutable)
                setImmutable(target, false);
#endif
            RichTextBox::InjectSaveFailure(-1);
        });

        const QString caption = untitled ? QStringLiteral("Document 1*") : target + QStringLiteral("*");
        frmDoc *doc = changedDocument(caption);
        m_main->cd1->SetFileName(path(QStringLiteral("earlier.rtf")));   // as an earlier dialog left it
        queueAnswers(answers);
        runCommand(m_main, command);

        QCOMPARE(ModalSeam::pending(), 0);
        QCOMPARE(ModalSeam::unanswered(), 0);
        const QList<ModalSeam::Question> messages = askedOf(QStringLiteral("message"));
        QCOMPARE(messages.size(), failure.isEmpty() ? 0 : 1);
        if (!failure.isEmpty()) {   // the name, then the reason
            QVERIFY2(messages.first().text.contains(target), qPrintable(messages.first().text));
            QVERIFY(messages.first().text.section(QStringLiteral("\r\n"), 1).trimmed().size() > 0);
        }
        QCOMPARE(m_main->documents(), QList<frmDoc *>{doc});
        QVERIFY(doc->bChanged);
        QCOMPARE(doc->Caption(), caption);
        if (failure.startsWith(QLatin1String("a folder")))
            QVERIFY(QFileInfo(target).isDir());
        else if (!failure.isEmpty())
            QCOMPARE(readFile(target), oldContent);
        // Nothing new, and no temporary file is left beside it.
        const QStringList left = QDir(m_dir->path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
        QVERIFY2(left.size() == (failure.isEmpty() ? 0 : 1), qPrintable(left.join(QLatin1Char(' '))));
    }

    // A name ending in .docx is written as a Word document by every save,
    // with no warning (formats are kept, as in Rich Text), and read back
    // with its formats.
    void wordDocumentSaves_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("startCaption");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("Save, new, .docx") << "save" << "" << "a.docx";
        QTest::newRow("Save As, from .rtf to .docx") << "saveas" << "own.rtf" << "b.docx";
        QTest::newRow("Save As, from .docx: no warning") << "saveas" << "own.docx" << "c.docx";
        QTest::newRow("Save, own .docx") << "save" << "own.docx" << "";
        QTest::newRow("Save All, new, .DOCX") << "saveall" << "" << "d.DOCX";
    }
    void wordDocumentSaves()
    {
        QFETCH(QString, command);
        QFETCH(QString, startCaption);
        QFETCH(QString, chosen);
        const QString caption = startCaption.isEmpty() ? QStringLiteral("Document 1*") : path(startCaption);
        changedDocument(caption);
        if (!chosen.isEmpty())
            ModalSeam::queue(path(chosen));
        runCommand(m_main, command);
        QCOMPARE(ModalSeam::unanswered(), 0);
        QCOMPARE(ModalSeam::asked().size(), chosen.isEmpty() ? 0 : 1);   // the dialog only, no warning
        const QString written = chosen.isEmpty() ? caption : path(chosen);
        const QByteArray bytes = readFile(written);
        QVERIFY(bytes.startsWith("PK\x03\x04"));
        QTextDocument reread;
        QVERIFY(DocxReader::read(bytes, reread).ok);
        QCOMPARE(reread.toPlainText(), QStringLiteral("Hello world"));
        QTextCursor c(&reread);
        c.setPosition(2);
        QCOMPARE(c.charFormat().fontWeight(), int(QFont::Bold));
    }

    // Notes a Word file keeps unseen go out only with a Word save: another
    // format asks first, and a No writes nothing.
    void keptPartsAskBeforeAnotherFormat_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("written");
        QTest::newRow("Rich Text, No") << "n.rtf" << int(SystemMessageBox::vbNo) << false;
        QTest::newRow("OpenDocument, Yes") << "n.odt" << int(SystemMessageBox::vbYes) << true;
        QTest::newRow("Word: no question") << "n.docx" << -1 << true;
    }
    void keptPartsAskBeforeAnotherFormat()
    {
        QFETCH(QString, chosen);
        QFETCH(int, answer);
        QFETCH(bool, written);
        frmDoc *doc = m_main->ActiveForm();
        QVERIFY(doc->rtf1->LoadFile(QStringLiteral(QUILLET_TEST_DATA "/corpus/docx/pandoc/notes.docx"), 0));
        doc->SetCaption(path(QStringLiteral("notes.docx")));
        ModalSeam::queue(path(chosen));
        if (answer >= 0)
            ModalSeam::queue(answer);
        runCommand(m_main, QStringLiteral("saveas"));
        QCOMPARE(ModalSeam::unanswered(), 0);
        QCOMPARE(ModalSeam::asked().size(), answer >= 0 ? 2 : 1);
        if (answer >= 0)
            QVERIFY(ModalSeam::asked().last().text.contains(QLatin1String("notes")));
        QCOMPARE(QFileInfo::exists(path(chosen)), written);
    }

    // Text is never written under a name that promises another format: the
    // file there (a Word or PDF file) keeps every byte, and the document
    // stays unsaved.
    void noTextUnderAnotherFormatsName_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("format");
        QTest::newRow("Save As over a PDF") << "saveas" << "paper.pdf" << "PDF document";
        QTest::newRow("Save As over a Word 97 file") << "saveas" << "old.doc" << "Word 97-2003 document";
        QTest::newRow("Save All over a workbook") << "saveall" << "sums.xlsx" << "Excel workbook";
    }
    void noTextUnderAnotherFormatsName()
    {
        QFETCH(QString, command);
        QFETCH(QString, name);
        QFETCH(QString, format);
        const QString target = path(name);
        const QByteArray old = QByteArrayLiteral("PK\x03\x04 the user's own file");
        QVERIFY(writeFile(target, old));
        frmDoc *doc = changedDocument(QStringLiteral("Document 1*"));
        if (command == QLatin1String("saveas"))
            queueAnswers({6, target, "OK"});   // the warning first on the text route
        else
            queueAnswers({target, "OK"});
        runCommand(m_main, command);

        QCOMPARE(ModalSeam::unanswered(), 0);
        const QStringList said = messages();
        QCOMPARE(said.size(), 1);
        QVERIFY2(said.first().contains(target) && said.first().contains(format), qPrintable(said.first()));
        QCOMPARE(readFile(target), old);
        QVERIFY(doc->bChanged);
        QCOMPARE(m_main->documents(), QList<frmDoc *>{doc});
    }

    // A save that does not fit on the disk says so by name, keeps the old
    // file byte for byte and leaves the document unsaved. A small text stays
    // in a write buffer until the file is closed, so this is where a failure
    // once went unseen.
    void fullDisk_data()
    {
        QTest::addColumn<bool>("realDisk");
        QTest::newRow("a full tmpfs") << true;
        QTest::newRow("through the write seam") << false;
    }
    void fullDisk()
    {
        QFETCH(bool, realDisk);
        FullDisk disk;
        if (realDisk && !disk.isMounted())
            QSKIP("Only root can mount a small tmpfs here; the write seam row covers the rest");
        const QString target = realDisk ? disk.filePath(QStringLiteral("letter.txt")) : path(QStringLiteral("letter.txt"));
        const QByteArray oldContent = QByteArrayLiteral("the old letter\n");
        QVERIFY(writeFile(target, oldContent));
        if (realDisk)
            QVERIFY(disk.fill());
        else
            RichTextBox::InjectSaveFailure(4);

        frmDoc *doc = changedDocument(target + QLatin1Char('*'));
        queueAnswers({"OK"});
        runCommand(m_main, QStringLiteral("save"));

        const QList<ModalSeam::Question> messages = askedOf(QStringLiteral("message"));
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().text.contains(target), qPrintable(messages.first().text));
        QVERIFY2(messages.first().text.contains(QStringLiteral("No space left on device")),
                 qPrintable(messages.first().text));
        QCOMPARE(readFile(target), oldContent);
        QVERIFY(doc->bChanged);
        QCOMPARE(QFileInfo(target).dir().entryList(QDir::Files), QStringList{QStringLiteral("letter.txt")});
    }
};

QTEST_MAIN(tst_files_save)
#include "tst_files_save.moc"
