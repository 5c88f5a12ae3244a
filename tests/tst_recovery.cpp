// Autosave and recovery: a real Quillet killed with unsaved work brings it
// back at the next start, a normal exit leaves nothing, and neither a killed
// autosave nor a killed save leaves anything beside the user's files.

#include "QuilletTest.h"

#include "documents/AutoSave.h"
#include "documents/RecoveryFolder.h"
#include "documents/frmRecover.h"
#include "documents/modRecovery.h"
#include "platform/DocumentFile.h"
#include "platform/FileWriter.h"
#include "platform/SnapshotWriter.h"

#include <QDirIterator>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextDocument>
#include <QTreeWidget>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace QuilletTest;

namespace {

const QString typed = QStringLiteral(" typed later");

QByteArray utf16WithBom(const QString &text)
{
    QByteArray bytes("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    return bytes;
}

// Every file under root, relative to it.
QStringList filesUnder(const QString &root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(root).relativeFilePath(it.next()));
    files.sort();
    return files;
}

frmDoc *documentCaptioned(frmMain *main, const QString &caption)
{
    for (frmDoc *doc : main->documents()) {
        if (doc->Caption() == caption)
            return doc;
    }
    return nullptr;
}

// A Quillet of its own process, typing into the given files and its
// untitled document; ready() once all of it is kept for recovery.
class Child
{
public:
    Child(const QString &root, const QString &mode, const QStringList &files, const QString &config)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(QUILLET_RECOVERY_CHILD), QStringList{root, mode, typed} + files);
    }
    ~Child()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    bool ready()
    {
        QElapsedTimer clock;
        clock.start();
        while (!m_output.contains('\n') && clock.elapsed() < 60000) {
            if (!m_process.waitForReadyRead(1000) && m_process.state() == QProcess::NotRunning)
                break;
            m_output += m_process.readAllStandardOutput();
        }
        return m_output.startsWith("ready ");
    }
    // SIGKILL: nothing of the program runs after it.
    void kill()
    {
        ::kill(pid_t(m_process.processId()), SIGKILL);
        m_process.waitForFinished(10000);
    }
    bool exitedNormally()
    {
        return m_process.waitForFinished(30000) && m_process.exitStatus() == QProcess::NormalExit
            && m_process.exitCode() == 0;
    }

private:
    QProcess m_process;
    QByteArray m_output;
};

} // namespace

class tst_recovery : public MainWindowTest
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        setUpOnce();
        m_config = std::make_unique<QTemporaryDir>();
        QVERIFY(m_config->isValid());
    }
    void init()
    {
        setUp();
        AutoSave::SetDelays(30, 300);
        FileWriter::allowNamelessTemporaries(true);
        QVERIFY(QDir().mkpath(root()));
    }
    void cleanup()
    {
        modRecovery::Finish();
        tearDown();
    }

    void killedRunComesBack();
    void laterKeepsThemAndDiscardRemovesThem();
    void cleanExitLeavesNothing();
    void autosaveFollowsTheDocument();
    void unwritableFolderIsToldOnce_data();
    void unwritableFolderIsToldOnce();
    void damagedIndexStillOffersTheDocument();
    void snapshotIsTakenWhenStarted();
    void killedSaveLeavesOnlyTheFile_data();
    void killedSaveLeavesOnlyTheFile();

private:
    QString root() const { return path(QStringLiteral("recovery")); }
    std::unique_ptr<Child> startChild(const QString &mode, const QStringList &files)
    {
        return std::make_unique<Child>(root(), mode, files, m_config->path());
    }
    // Starts recovery in this process, as the next run of Quillet does.
    void startRecovery() { QVERIFY(modRecovery::Start(m_main, root())); }

    std::unique_ptr<QTemporaryDir> m_config;
};

void tst_recovery::killedRunComesBack()
{
    const QString letter = path(QStringLiteral("letter.rtf"));
    const QString notes = path(QStringLiteral("notes.txt"));
    const QString notesText = QStringLiteral("first line\r\nsecond line");
    QVERIFY(writeFile(letter, richSample()));
    QVERIFY(writeFile(notes, utf16WithBom(notesText)));

    std::unique_ptr<Child> child = startChild(QStringLiteral("kill"), {letter, notes});
    QVERIFY(child->ready());

    // A run that is alive keeps its documents to itself.
    startRecovery();
    modRecovery::OfferRecovery();
    QCOMPARE(ModalSeam::asked().size(), 0);
    modRecovery::Finish();

    child->kill();
    QCOMPARE(readFile(letter), richSample());
    QCOMPARE(readFile(notes), utf16WithBom(notesText));

    QStringList listed;
    ModalSeam::queue(ModalSeam::Responder([&listed](const ModalSeam::Question &q) {
        auto *form = qobject_cast<frmRecover *>(q.dialog);
        for (int i = 0; form && i < form->lstDocuments->topLevelItemCount(); ++i)
            listed << form->lstDocuments->topLevelItem(i)->text(0) + QLatin1Char('|')
                          + form->lstDocuments->topLevelItem(i)->text(2);
        return QVariant(QStringLiteral("Recover"));
    }));
    startRecovery();
    modRecovery::OfferRecovery();
    listed.sort();
    QCOMPARE(listed, QStringList({QStringLiteral("Document 1|typed later"),
                                  QStringLiteral("letter.rtf|Hello bold world typed later"),
                                  QStringLiteral("notes.txt|first line second line typed later")}));

    frmDoc *rich = documentCaptioned(m_main, letter + QLatin1Char('*'));
    frmDoc *text = documentCaptioned(m_main, notes + QLatin1Char('*'));
    frmDoc *untitled = documentCaptioned(m_main, QStringLiteral("Document 2*"));
    QVERIFY2(rich && text && untitled, qPrintable(captions(m_main).join(QLatin1String(", "))));
    QCOMPARE(rich->rtf1->Text(), QStringLiteral("Hello bold world") + typed);
    QCOMPARE(text->rtf1->Text(), notesText + typed);
    QCOMPARE(untitled->rtf1->Text(), typed);
    QVERIFY(rich->bChanged && text->bChanged && untitled->bChanged);
    select(rich->rtf1, 6, 4);
    QCOMPARE(rich->rtf1->SelBold(), std::optional<bool>(true));
    select(rich->rtf1, 11, 5);
    QCOMPARE(rich->rtf1->SelBold(), std::optional<bool>(false));
    // The user's files are untouched until they are saved.
    QCOMPARE(readFile(notes), utf16WithBom(notesText));

    // Save writes each back where it came from, in its own type and encoding.
    QVERIFY(fileMod::SaveToFile(text->FileName(), text));
    QCOMPARE(readFile(notes), utf16WithBom(notesText + typed));
    QVERIFY(fileMod::SaveToFile(rich->FileName(), rich));
    QTextDocument back;
    QVERIFY(DocumentFile::read(letter, DocumentFile::Rtf, back).ok);
    QCOMPARE(back.toPlainText(), QStringLiteral("Hello bold world") + typed);
    QVERIFY(back.begin().begin().fragment().charFormat().fontWeight() < QFont::Bold);
    QTextCursor bold(&back);
    bold.setPosition(8);
    QCOMPARE(bold.charFormat().fontWeight(), int(QFont::Bold));

    // Saved documents keep nothing for recovery; the untitled one still does.
    QCOMPARE(filesUnder(modRecovery::RunFolder()).filter(QStringLiteral(".rtf")).size(), 1);
    rich->bChanged = text->bChanged = untitled->bChanged = false;
}

void tst_recovery::laterKeepsThemAndDiscardRemovesThem()
{
    std::unique_ptr<Child> child = startChild(QStringLiteral("kill"), {});
    QVERIFY(child->ready());
    child->kill();
    const QStringList left = filesUnder(root());
    QCOMPARE(left.filter(QRegularExpression(QStringLiteral("\\.rtf$"))).size(), 1);

    queueAnswers({QStringLiteral("Decide later")});
    startRecovery();
    modRecovery::OfferRecovery();
    QCOMPARE(askedOf(QStringLiteral("dialog")).size(), 1);
    QCOMPARE(m_main->documents().size(), 1);
    modRecovery::Finish();
    QCOMPARE(filesUnder(root()).filter(QStringLiteral(".rtf")).size(), 1);

    // Offered again at the next start; Discard takes it away for good.
    queueAnswers({QStringLiteral("Discard")});
    startRecovery();
    modRecovery::OfferRecovery();
    QCOMPARE(askedOf(QStringLiteral("dialog")).size(), 2);
    QCOMPARE(m_main->documents().size(), 1);
    modRecovery::Finish();
    QCOMPARE(filesUnder(root()), QStringList());
}

void tst_recovery::cleanExitLeavesNothing()
{
    const QString letter = path(QStringLiteral("letter.rtf"));
    QVERIFY(writeFile(letter, richSample()));
    std::unique_ptr<Child> child = startChild(QStringLiteral("clean"), {letter});
    QVERIFY(child->ready());
    QVERIFY(child->exitedNormally());
    QCOMPARE(filesUnder(root()), QStringList());
    QCOMPARE(QDir(root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QCOMPARE(readFile(letter), richSample());
}

void tst_recovery::autosaveFollowsTheDocument()
{
    startRecovery();
    frmDoc *first = doc();
    AutoSave *save = modRecovery::AutoSaveOf(first);
    QVERIFY(save);
    QVERIFY(!save->hasRecoveryFile());

    QTest::keyClicks(first->rtf1, QStringLiteral("Dear reader"));
    QTRY_VERIFY(save->hasRecoveryFile() && !save->writing());
    const std::optional<RecoveryEntry> entry = RecoveryFolder::readEntry(save->recoveryFile());
    QVERIFY(entry);
    QCOMPARE(entry->caption, QStringLiteral("Document 1"));
    QCOMPARE(entry->originalPath, QString());
    QCOMPARE(entry->firstWords, QStringLiteral("Dear reader"));

    // A clean save takes it away; more typing brings it back.
    const QString saved = path(QStringLiteral("saved.rtf"));
    QVERIFY(fileMod::WriteDocument(first, saved, RichTextBox::rtfRTF));
    first->bChanged = false;
    QVERIFY(!save->hasRecoveryFile());
    QTest::keyClicks(first->rtf1, QStringLiteral("!"));
    QTRY_VERIFY(save->hasRecoveryFile() && !save->writing());
    QCOMPARE(RecoveryFolder::readEntry(save->recoveryFile())->originalPath, saved);

    // Emptied, there is nothing to keep.
    first->rtf1->SetText(QString());
    QTRY_VERIFY(!save->hasRecoveryFile());

    // A second window, closed without saving: its file goes with it.
    frmDoc *second = genMod::NewDocument();
    AutoSave *secondSave = modRecovery::AutoSaveOf(second);
    QVERIFY(secondSave);
    QTest::keyClicks(second->rtf1, QStringLiteral("scratch"));
    QTRY_VERIFY(secondSave->hasRecoveryFile() && !secondSave->writing());
    const QString secondFile = secondSave->recoveryFile();
    queueAnswers({QStringLiteral("No")});
    QVERIFY(fileMod::CloseDocument(second));
    QTRY_VERIFY(!QFileInfo::exists(secondFile));
    RecoveryEntry gone;
    gone.rtfPath = secondFile;
    QVERIFY(!QFileInfo::exists(gone.indexPath()));
}

void tst_recovery::unwritableFolderIsToldOnce_data()
{
    QTest::addColumn<bool>("atStart");
    QTest::newRow("recovery folder is a file") << true;
    QTest::newRow("run folder turns into a file") << false;
}

void tst_recovery::unwritableFolderIsToldOnce()
{
    QFETCH(bool, atStart);
    if (atStart) {
        QVERIFY(QDir(root()).removeRecursively());
        QVERIFY(writeFile(root(), "not a folder"));
        QVERIFY(!modRecovery::Start(m_main, root()));
    } else {
        startRecovery();
        const QString run = modRecovery::RunFolder();
        QVERIFY(QDir(run).removeRecursively());
        QVERIFY(writeFile(run, "in the way"));
    }
    // Typing goes on, and no box stops it however often a write fails.
    frmDoc *first = doc();
    for (int i = 0; i < 3; ++i) {
        QTest::keyClicks(first->rtf1, QStringLiteral("words "));
        QTest::qWait(80);
    }
    QCOMPARE(first->rtf1->Text(), QStringLiteral("words words words "));
    QCOMPARE(ModalSeam::asked().size(), 0);
    QVERIFY(panel(frmMain::PanelHelp).startsWith(QLatin1String("Autosave cannot keep")));
    first->bChanged = false;
}

void tst_recovery::damagedIndexStillOffersTheDocument()
{
    // A run that died (a lock of no live process) with a recovery file
    // whose index is garbage: the document is offered as untitled.
    const QString run = QDir(root()).filePath(QStringLiteral("run-1-dead"));
    QVERIFY(QDir().mkpath(run));
    QVERIFY(writeFile(QDir(run).filePath(QStringLiteral("lock")), "999999999\nquillet\n\n"));
    QVERIFY(writeFile(QDir(run).filePath(QStringLiteral("1.rtf")), richSample()));
    QVERIFY(writeFile(QDir(run).filePath(QStringLiteral("1.json")), "{\"path\": 7, \"caption\": [1, \x01"));
    // An index without its document is simply dropped.
    QVERIFY(writeFile(QDir(run).filePath(QStringLiteral("2.json")), "{}"));

    queueAnswers({QStringLiteral("Recover")});
    startRecovery();
    modRecovery::OfferRecovery();
    frmDoc *recovered = documentCaptioned(m_main, QStringLiteral("Document 2*"));
    QVERIFY2(recovered, qPrintable(captions(m_main).join(QLatin1String(", "))));
    QCOMPARE(recovered->rtf1->Text(), QStringLiteral("Hello bold world"));
    QCOMPARE(recovered->FilePath(), QString());
    QVERIFY(!QFileInfo::exists(run));
    recovered->bChanged = false;
}

void tst_recovery::snapshotIsTakenWhenStarted()
{
    const QString target = path(QStringLiteral("snapshot.txt"));
    QByteArray state = "as it was";
    SnapshotWriter writer;
    QSignalSpy done(&writer, &SnapshotWriter::finished);
    QVERIFY(writer.start(target, [&state] { return state; }));
    // Changed at once, while the write goes on: the file has the state of the start.
    state = "changed afterwards";
    QVERIFY(done.wait(10000));
    QCOMPARE(done.first().at(0).toBool(), true);
    QCOMPARE(readFile(target), QByteArray("as it was"));

    // A failure is reported with its cause, never as success.
    QVERIFY(writeFile(path(QStringLiteral("file")), "x"));
    QVERIFY(writer.start(path(QStringLiteral("file/below.txt")), [] { return QByteArray("x"); }));
    QVERIFY(done.wait(10000));
    QCOMPARE(done.last().at(0).toBool(), false);
    QVERIFY2(done.last().at(1).toString().contains(QLatin1String("file/below.txt")),
             qPrintable(done.last().at(1).toString()));

    // Stopped part-way (the window closed): nothing is left, the old file stays.
    {
        SnapshotWriter slow;
        QVERIFY(slow.start(target, [] {
            ::sleep(3);
            return QByteArray("never");
        }));
    }
    QCOMPARE(readFile(target), QByteArray("as it was"));
    QCOMPARE(QDir(m_dir->path()).entryList({QStringLiteral("snapshot.txt*")}, QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("snapshot.txt")});
}

void tst_recovery::killedSaveLeavesOnlyTheFile_data()
{
    QTest::addColumn<bool>("nameless");
    QTest::newRow("temporary without a name") << true;
    QTest::newRow("named temporary, cleared by the next save") << false;
}

void tst_recovery::killedSaveLeavesOnlyTheFile()
{
    QFETCH(bool, nameless);
    const QString folder = path(QStringLiteral("saves"));
    QVERIFY(QDir().mkpath(folder));
    const QString target = QDir(folder).filePath(QStringLiteral("big.txt"));
    const QByteArray before(1 << 20, 'a');
    const QByteArray after(16 << 20, 'b');
    QVERIFY(writeFile(target, before));

    // How long a whole save takes here, so the kills land inside one.
    auto save = [&] {
        const pid_t pid = ::fork();
        if (pid == 0) {
            FileWriter::allowNamelessTemporaries(nameless);
            FileWriter::write(target, after, nullptr);
            ::_exit(0);
        }
        return pid;
    };
    QElapsedTimer clock;
    clock.start();
    const pid_t timed = save();
    QVERIFY(timed > 0);
    ::waitpid(timed, nullptr, 0);
    const qint64 saveUs = qMax<qint64>(200, clock.nsecsElapsed() / 1000);
    QVERIFY(FileWriter::write(target, before, nullptr));

    int killedMidway = 0;
    int leftNamed = 0;
    for (int round = 0; round < 12; ++round) {
        const pid_t pid = save();
        QVERIFY(pid > 0);
        ::usleep(useconds_t(QRandomGenerator::global()->bounded(saveUs * 9 / 10)));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (WIFSIGNALED(status))
            ++killedMidway;

        const QByteArray now = readFile(target);
        QVERIFY2(now == before || now == after, "the file was left part-written");
        // A nameless temporary gets a name only for the instant before it
        // replaces the file; a kill in that instant is all that could leave one.
        if (nameless && QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System).size() > 1)
            ++leftNamed;
        // The next save to the folder clears whatever a killed one left.
        FileWriter::allowNamelessTemporaries(nameless);
        QVERIFY(FileWriter::write(target, now, nullptr));
        FileWriter::allowNamelessTemporaries(true);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList{QStringLiteral("big.txt")});
    }
    QVERIFY(killedMidway > 0);
    QVERIFY(leftNamed <= 1);
}

QTEST_MAIN(tst_recovery)
#include "tst_recovery.moc"
