// Saving: the file-type rules through the real commands, the change flag
// cleared only by a real write, and failed writes that damage nothing.

#include "FilesTestSupport.h"

#include "documents/fileMod.h"
#include "platform/CommonDialog.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

using namespace FilesTestSupport;

class tst_files_save : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void fileTypes_data();
    void fileTypes();
    void saveAsReloadsPlainText();
    void nothingWrittenKeepsChangeFlag_data();
    void nothingWrittenKeepsChangeFlag();
    void failedWrite_data();
    void failedWrite();
    void saveAllSavesAndClosesEveryDocument();
    void saveAllCancelledNeverUsesAnEarlierName();
    void saveAllStopsAtFailedWrite();
    void commandsWithoutDocument_data();
    void commandsWithoutDocument();

private:
    frmDoc *changedDocument(const QString &caption);

    QTemporaryDir m_config;
    QTemporaryDir m_logs;
    QTemporaryDir *m_dir = nullptr;
    frmMain *m_main = nullptr;
};

void tst_files_save::initTestCase()
{
    QVERIFY(m_config.isValid());
    prepareEnvironment(m_config.path(), m_logs.path());
}

void tst_files_save::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_main = startMainWindow();
}

void tst_files_save::cleanup()
{
    discardMainWindow(m_main);
    delete m_dir;
    m_dir = nullptr;
}

// The active document with text in two formats, marked as changed.
frmDoc *tst_files_save::changedDocument(const QString &caption)
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

void tst_files_save::fileTypes_data()
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
    QTest::newRow("Save, new, no extension: .RTF added, plain after warning")
        << "save" << "" << "a" << "a.RTF" << false << true;
    // Save on a document with its own file: no dialog, no warning.
    QTest::newRow("Save, own .rtf: rich") << "save" << "own.rtf" << "" << "own.rtf" << true << false;
    QTest::newRow("Save, own .RTF: plain, no warning") << "save" << "own.RTF" << "" << "own.RTF" << false << false;
    QTest::newRow("Save, own .txt: plain, no warning") << "save" << "own.txt" << "" << "own.txt" << false << false;
    // Save As picks its route from the caption.
    QTest::newRow("Save As, from .rtf, to .rtf: rich") << "saveas" << "own.rtf" << "b.rtf" << "b.rtf" << true << false;
    QTest::newRow("Save As, from .rtf, to .txt: plain after warning")
        << "saveas" << "own.rtf" << "b.txt" << "b.txt" << false << true;
    QTest::newRow("Save As, new: warning, text route") << "saveas" << "" << "b.txt" << "b.txt" << false << true;
    QTest::newRow("Save As, from .RTF: warning, text route") << "saveas" << "own.RTF" << "b.rtf" << "b.rtf" << false << true;
    // Save All compares in any case and never warns.
    QTest::newRow("Save All, new, .rtf: rich") << "saveall" << "" << "c.rtf" << "c.rtf" << true << false;
    QTest::newRow("Save All, new, .RTF: rich") << "saveall" << "" << "c.RTF" << "c.RTF" << true << false;
    QTest::newRow("Save All, new, .txt: plain") << "saveall" << "" << "c.txt" << "c.txt" << false << false;
    QTest::newRow("Save All, new, no extension: .RTF added, rich") << "saveall" << "" << "c" << "c.RTF" << true << false;
    QTest::newRow("Save All, own .Rtf: rich") << "saveall" << "own.Rtf" << "" << "own.Rtf" << true << false;
}

void tst_files_save::fileTypes()
{
    QFETCH(QString, command);
    QFETCH(QString, startCaption);
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QFETCH(bool, rich);
    QFETCH(bool, warning);

    const QString caption = startCaption.isEmpty() ? QStringLiteral("Document 1*") : m_dir->filePath(startCaption);
    frmDoc *doc = changedDocument(caption);
    QPointer<frmDoc> guard(doc);

    // Save As on the text route warns before its dialog; the others after.
    const bool textRoute = command == QLatin1String("saveas") && !caption.endsWith(QLatin1String("rtf"));
    if (warning && textRoute)
        ModalSeam::queue(6);
    if (!chosen.isEmpty())
        ModalSeam::queue(m_dir->filePath(chosen));
    if (warning && !textRoute)
        ModalSeam::queue(6);

    if (command == QLatin1String("save"))
        m_main->save_Click();
    else if (command == QLatin1String("saveas"))
        m_main->saveas_Click();
    else
        m_main->menuFileSaveAll_Click();

    QCOMPARE(ModalSeam::unanswered(), 0);
    QCOMPARE(ModalSeam::pending(), 0);
    QCOMPARE(askedOf(QStringLiteral("message")).size(), 0);
    const QList<ModalSeam::Question> warnings = askedOf(QStringLiteral("system"));
    QCOMPARE(warnings.size(), warning ? 1 : 0);
    if (warning) {
        QCOMPARE(warnings.first().title, QStringLiteral("Warning !"));
        QCOMPARE(warnings.first().text, QStringLiteral("Saving in this format will remove all formatting, continue ?"));
    }

    if (!chosen.isEmpty()) {
        const QList<ModalSeam::Question> dialogs = askedOf(QStringLiteral("save"));
        QCOMPARE(dialogs.size(), 1);
        const QString title = textRoute ? QStringLiteral("Save As . . .")
            : command == QLatin1String("saveall") ? QStringLiteral("Save As") : QStringLiteral("Save");
        QCOMPARE(dialogs.first().title, title);
        QCOMPARE(m_main->cd1->Filter(),
                 textRoute ? QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*")
                           : QStringLiteral("Text Files (*.txt)|*.txt|RichText Files (*.rtf)|*.rtf|Log Files (*.log)|*.log|"
                                            "Batch Files (*.bat)|*.bat|INI Files (*.ini)|*.ini|All Files (*.*)|*.*|"));
        QCOMPARE(m_main->cd1->DefaultExt(), textRoute ? QStringLiteral("TXT") : QStringLiteral("RTF"));
    }

    const QString path = m_dir->filePath(written);
    QVERIFY2(QFileInfo(path).isFile(), qPrintable(path));
    const QByteArray bytes = readFile(path);
    QCOMPARE(isRichText(bytes), rich);
    QVERIFY(bytes.contains("world"));

    if (command == QLatin1String("saveall")) {
        QTRY_VERIFY(guard.isNull() || !m_main->documents().contains(guard.data()));
        QVERIFY(m_main->documents().isEmpty());
    } else {
        QCOMPARE(doc->Caption(), path);
        QVERIFY(!doc->bChanged);
    }
}

void tst_files_save::saveAsReloadsPlainText()
{
    const QString own = m_dir->filePath(QStringLiteral("letter.rtf"));
    frmDoc *doc = changedDocument(own);
    const QString target = m_dir->filePath(QStringLiteral("letter.txt"));
    ModalSeam::queue(target);
    ModalSeam::queue(6);
    m_main->saveas_Click();

    const QList<ModalSeam::Question> dialogs = askedOf(QStringLiteral("save"));
    QCOMPARE(dialogs.size(), 1);
    QCOMPARE(dialogs.first().title, QStringLiteral("Save"));
    // The window now shows what the file holds: the words, no bold.
    QCOMPARE(doc->Caption(), target);
    QVERIFY(doc->rtf1->Text().startsWith(QStringLiteral("Hello world")));
    doc->rtf1->SetSelStart(0);
    doc->rtf1->SetSelLength(5);
    QCOMPARE(doc->rtf1->SelBold(), std::optional<bool>(false));
    QVERIFY(!doc->bChanged);
    QVERIFY(readFile(own).isEmpty());
}

void tst_files_save::nothingWrittenKeepsChangeFlag_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QVariantList>("answers");   // "@name" = a path in the folder

    QTest::newRow("Save, dialog cancelled") << "save" << QVariantList{QString()};
    QTest::newRow("Save, warning declined") << "save" << QVariantList{QStringLiteral("@a.txt"), 7};
    QTest::newRow("Save As, warning declined") << "saveas" << QVariantList{7};
    QTest::newRow("Save As, dialog cancelled") << "saveas" << QVariantList{6, QString()};
    QTest::newRow("Save All, dialog cancelled") << "saveall" << QVariantList{QString()};
}

void tst_files_save::nothingWrittenKeepsChangeFlag()
{
    QFETCH(QString, command);
    QFETCH(QVariantList, answers);

    frmDoc *doc = changedDocument(QStringLiteral("Document 1*"));
    for (const QVariant &answer : answers) {
        const QString text = answer.toString();
        if (answer.typeId() == QMetaType::QString && text.startsWith(QLatin1Char('@')))
            ModalSeam::queue(m_dir->filePath(text.mid(1)));
        else
            ModalSeam::queue(answer);
    }

    if (command == QLatin1String("save"))
        m_main->save_Click();
    else if (command == QLatin1String("saveas"))
        m_main->saveas_Click();
    else
        m_main->menuFileSaveAll_Click();

    QCOMPARE(ModalSeam::pending(), 0);
    QCOMPARE(ModalSeam::unanswered(), 0);
    QVERIFY(QDir(m_dir->path()).entryList(QDir::Files).isEmpty());
    QCOMPARE(m_main->documents(), QList<frmDoc *>{doc});
    QVERIFY(doc->bChanged);
    QCOMPARE(doc->Caption(), QStringLiteral("Document 1*"));

    // And so closing still asks.
    ModalSeam::queue(QStringLiteral("Cancel"));
    m_main->close_Click();
    QCOMPARE(askedOf(QStringLiteral("message")).size(), 1);
    QCOMPARE(m_main->documents().size(), 1);
}

void tst_files_save::failedWrite_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("throughDialog");

    for (bool dialog : {false, true}) {
        const char *way = dialog ? "Save on a new document" : "Save on its own file";
        QTest::addRow("%s: a folder where the file should be", way) << "folder" << dialog;
        QTest::addRow("%s: a parent path that is a file", way) << "parentfile" << dialog;
        QTest::addRow("%s: read-only file", way) << "readonly" << dialog;
        QTest::addRow("%s: interrupted part-way", way) << "interrupted" << dialog;
    }
}

void tst_files_save::failedWrite()
{
    QFETCH(QString, how);
    QFETCH(bool, throughDialog);

    const QByteArray oldContent = QByteArrayLiteral("the old content\r\nsecond line\r\n");
    QString target = m_dir->filePath(QStringLiteral("letter.rtf"));
    QString witness = target;   // what must stay byte for byte
    std::unique_ptr<ReadOnlyFile> readOnly;

    if (how == QLatin1String("folder")) {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("letter.rtf")));
        witness.clear();
    } else if (how == QLatin1String("parentfile")) {
        witness = m_dir->filePath(QStringLiteral("notes"));
        QVERIFY(writeFile(witness, oldContent));
        target = witness + QStringLiteral("/letter.rtf");
    } else {
        QVERIFY(writeFile(target, oldContent));
        if (how == QLatin1String("readonly")) {
            readOnly = std::make_unique<ReadOnlyFile>(target);
            if (!readOnly->effective())
                QSKIP("Nothing can make a file read-only for this user here");
        } else {
            RichTextBox::InjectSaveFailure(8);
        }
    }

    const QString caption = throughDialog ? QStringLiteral("Document 1*") : target + QStringLiteral("*");
    frmDoc *doc = changedDocument(caption);
    if (throughDialog)
        ModalSeam::queue(target);
    ModalSeam::queue(QStringLiteral("OK"));
    m_main->save_Click();
    RichTextBox::InjectSaveFailure(-1);

    QCOMPARE(ModalSeam::unanswered(), 0);
    const QList<ModalSeam::Question> messages = askedOf(QStringLiteral("message"));
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.first().title, QStringLiteral("Quillet"));
    QVERIFY2(messages.first().text.contains(target), qPrintable(messages.first().text));
    // The reason follows the name.
    QVERIFY(messages.first().text.section(QStringLiteral("\r\n"), 1).trimmed().size() > 0);

    QVERIFY(doc->bChanged);
    QCOMPARE(doc->Caption(), caption);
    if (witness.isEmpty())
        QVERIFY(QFileInfo(target).isDir());
    else
        QCOMPARE(readFile(witness), oldContent);
    // No temporary file is left beside it.
    const QStringList left = QDir(m_dir->path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    QVERIFY2(left.size() == 1, qPrintable(left.join(QLatin1Char(' '))));
}

void tst_files_save::saveAllSavesAndClosesEveryDocument()
{
    // Document 1 unchanged; Documents 2 and 3 changed and never saved.
    genMod::NewDocument()->rtf1->SetText(QStringLiteral("two"));
    genMod::NewDocument()->rtf1->SetText(QStringLiteral("three"));
    const QList<frmDoc *> docs = m_main->documents();
    QCOMPARE(docs.size(), 3);
    docs[0]->bChanged = false;
    docs[1]->bChanged = true;
    docs[2]->bChanged = true;

    // An Open before leaves "file must exist" and no default extension in
    // the shared dialog; Save All's dialog must not inherit them.
    ModalSeam::queue(QString());
    ModalSeam::queue(QStringLiteral("OK"));
    m_main->open_Click();
    ModalSeam::reset();
    ModalSeam::setStrict(true);

    QList<int> flags;
    QStringList extensions;
    auto answer = [&](const QString &name) {
        return [&, name](const ModalSeam::Question &) {
            flags.append(m_main->cd1->Flags());
            extensions.append(m_main->cd1->DefaultExt());
            return QVariant(m_dir->filePath(name));
        };
    };
    ModalSeam::queue(answer(QStringLiteral("three.rtf")));
    ModalSeam::queue(answer(QStringLiteral("two.txt")));
    m_main->menuFileSaveAll_Click();
    QCOMPARE(flags, (QList<int>{CommonDialog::cdlOFNOverwritePrompt, CommonDialog::cdlOFNOverwritePrompt}));
    QCOMPARE(extensions, (QStringList{QStringLiteral("RTF"), QStringLiteral("RTF")}));

    const QList<ModalSeam::Question> dialogs = askedOf(QStringLiteral("save"));
    QCOMPARE(dialogs.size(), 2);
    QCOMPARE(dialogs.first().title, QStringLiteral("Save As"));
    QCOMPARE(askedOf(QStringLiteral("message")).size(), 0);
    QCOMPARE(ModalSeam::unanswered(), 0);
    QTRY_VERIFY(m_main->documents().isEmpty());
    QVERIFY(readFile(m_dir->filePath(QStringLiteral("three.rtf"))).contains("three"));
    QVERIFY(readFile(m_dir->filePath(QStringLiteral("two.txt"))).startsWith("two"));
}

void tst_files_save::saveAllCancelledNeverUsesAnEarlierName()
{
    frmDoc *first = changedDocument(QStringLiteral("Document 1*"));
    first->rtf1->SetText(QStringLiteral("first"));
    frmDoc *second = genMod::NewDocument();
    second->rtf1->SetText(QStringLiteral("second"));
    second->bChanged = true;
    first->bChanged = true;

    // The second (active) document is saved under a name; the dialog for the
    // first is cancelled and must not reuse that name.
    const QString earlier = m_dir->filePath(QStringLiteral("second.rtf"));
    ModalSeam::queue(earlier);
    ModalSeam::queue(QString());
    m_main->menuFileSaveAll_Click();

    QCOMPARE(askedOf(QStringLiteral("save")).size(), 2);
    QTRY_COMPARE(m_main->documents(), QList<frmDoc *>{first});
    QVERIFY(first->bChanged);
    const QByteArray bytes = readFile(earlier);
    QVERIFY(bytes.contains("second"));
    QVERIFY(!bytes.contains("first"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("second.rtf")});
}

void tst_files_save::saveAllStopsAtFailedWrite()
{
    // The active document's own file cannot be written: its folder is a file.
    const QString blocker = m_dir->filePath(QStringLiteral("notes"));
    QVERIFY(writeFile(blocker, "kept\n"));
    frmDoc *first = changedDocument(QStringLiteral("Document 1*"));
    frmDoc *second = genMod::NewDocument();
    const QString target = blocker + QStringLiteral("/letter.rtf");
    second->SetCaption(target);
    second->bChanged = true;

    ModalSeam::queue(QStringLiteral("OK"));
    m_main->menuFileSaveAll_Click();

    const QList<ModalSeam::Question> messages = askedOf(QStringLiteral("message"));
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages.first().text.contains(target));
    // Nothing else was asked or closed: Save All ended there.
    QCOMPARE(ModalSeam::asked().size(), 1);
    QCOMPARE(m_main->documents(), (QList<frmDoc *>{first, second}));
    QVERIFY(second->bChanged);
    QCOMPARE(second->Caption(), target);
    QCOMPARE(readFile(blocker), QByteArray("kept\n"));
}

void tst_files_save::commandsWithoutDocument_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("text");

    QTest::newRow("Save") << "save" << "No document is open !";
    QTest::newRow("Save As") << "saveas" << "No document is open !";
    QTest::newRow("Save All") << "saveall" << "No open documents !";
}

void tst_files_save::commandsWithoutDocument()
{
    QFETCH(QString, command);
    QFETCH(QString, text);

    m_main->ActiveForm()->bChanged = false;
    m_main->close_Click();
    QTRY_VERIFY(m_main->documents().isEmpty());
    ModalSeam::reset();
    ModalSeam::setStrict(true);

    ModalSeam::queue(QStringLiteral("OK"));
    if (command == QLatin1String("save"))
        m_main->save_Click();
    else if (command == QLatin1String("saveas"))
        m_main->saveas_Click();
    else
        m_main->menuFileSaveAll_Click();

    const QList<ModalSeam::Question> asked = ModalSeam::asked();
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked.first().kind, QStringLiteral("message"));
    QCOMPARE(asked.first().title, QStringLiteral("Quillet"));
    QCOMPARE(asked.first().text, text);
}

QTEST_MAIN(tst_files_save)
#include "tst_files_save.moc"
