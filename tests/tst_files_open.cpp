// Opening: File > Open, the explorer's OpenFile and dropped files; the
// load rules; files that cannot be opened; the typical edit end to end.

#include "FilesTestSupport.h"

#include "documents/fileMod.h"
#include "platform/CommonDialog.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPointer>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

using namespace FilesTestSupport;

class tst_files_open : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void loadRules_data();
    void loadRules();
    void savedBackAsRead_data();
    void savedBackAsRead();
    void openCancelled();
    void openWithNoDocumentMakesOneFirst();
    void cannotOpen_data();
    void cannotOpen();
    void dropOpensEveryFileInOrder();
    void dragIsRefusedUnlessFiles_data();
    void dragIsRefusedUnlessFiles();
    void typicalEdit();
    void newDocumentRoad();

private:
    // Straight to the main window's event handling: the application would
    // route a drop to the target of a real drag, and there is none here.
    void deliver(QEvent *event) { static_cast<QObject *>(m_main)->event(event); }
    void drop(const QStringList &paths);
    bool dragEnter(QMimeData *data);

    QTemporaryDir m_config;
    QTemporaryDir m_logs;
    QTemporaryDir *m_dir = nullptr;
    frmMain *m_main = nullptr;
};

void tst_files_open::initTestCase()
{
    QVERIFY(m_config.isValid());
    prepareEnvironment(m_config.path(), m_logs.path());
}

void tst_files_open::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_main = startMainWindow();
}

void tst_files_open::cleanup()
{
    discardMainWindow(m_main);
    delete m_dir;
    m_dir = nullptr;
}

void tst_files_open::drop(const QStringList &paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls.append(QUrl::fromLocalFile(path));
    data.setUrls(urls);
    QDropEvent event(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    deliver(&event);
}

bool tst_files_open::dragEnter(QMimeData *data)
{
    QDragEnterEvent event(QPoint(100, 100), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    event.setAccepted(false);
    deliver(&event);
    return event.isAccepted();
}

void tst_files_open::loadRules_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("rich");

    // File > Open takes only lower-case "rtf" as Rich Text.
    QTest::newRow("Open, .rtf: rich") << "open" << "a.rtf" << true;
    QTest::newRow("Open, .RTF: plain, markup shows") << "open" << "a.RTF" << false;
    QTest::newRow("Open, .txt: plain") << "open" << "a.txt" << false;
    QTest::newRow("explorer, .rtf: rich") << "explorer" << "a.rtf" << true;
    // A drop compares in any case.
    QTest::newRow("drop, .rtf: rich") << "drop" << "a.rtf" << true;
    QTest::newRow("drop, .RTF: rich") << "drop" << "a.RTF" << true;
    QTest::newRow("drop, .txt: plain") << "drop" << "a.txt" << false;
    QTest::newRow("drop, no extension: plain") << "drop" << "a" << false;
}

void tst_files_open::loadRules()
{
    QFETCH(QString, way);
    QFETCH(QString, name);
    QFETCH(bool, rich);

    const QString path = m_dir->filePath(name);
    QVERIFY(writeFile(path, richSample()));
    if (way == QLatin1String("open")) {
        ModalSeam::queue(path);
        m_main->open_Click();
        const QList<ModalSeam::Question> dialogs = askedOf(QStringLiteral("open"));
        QCOMPARE(dialogs.size(), 1);
        QCOMPARE(dialogs.first().title, QStringLiteral("Open"));
        QCOMPARE(m_main->cd1->Filter(),
                 QStringLiteral("Text Document (*.txt)|*.txt|Rich Text Document (*.rtf)|*.rtf|All Files (*.*)|*.*"));
        QCOMPARE(m_main->cd1->Flags(), int(CommonDialog::cdlOFNFileMustExist));
    } else if (way == QLatin1String("explorer")) {
        fileMod::OpenFile(path);
    } else {
        drop({path});
    }

    QCOMPARE(ModalSeam::unanswered(), 0);
    QCOMPARE(askedOf(QStringLiteral("message")).size(), 0);
    const QList<frmDoc *> docs = m_main->documents();
    QCOMPARE(docs.size(), 2);
    frmDoc *doc = m_main->ActiveForm();
    QCOMPARE(doc, docs.last());
    // The caption is the path, without a change mark, and nothing counts as
    // changed after a load.
    QCOMPARE(doc->Caption(), path);
    QVERIFY(!doc->bChanged);
    const QString text = doc->rtf1->Text();
    if (rich) {
        QVERIFY2(text.startsWith(QStringLiteral("Hello bold world")), qPrintable(text));
    } else {
        QVERIFY2(text.startsWith(QStringLiteral("{\\rtf1")), qPrintable(text));
    }

    // A window that was just opened closes without a question.
    m_main->close_Click();
    QCOMPARE(askedOf(QStringLiteral("message")).size(), 0);
    QTRY_COMPARE(m_main->documents().size(), 1);
}

void tst_files_open::savedBackAsRead_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("rich");

    QTest::newRow("opened .rtf, Save: Rich Text") << "open" << "a.rtf" << "save" << true;
    QTest::newRow("opened .txt, Save: plain") << "open" << "a.txt" << "save" << false;
    // Read as Rich Text, so formats must not be dropped by Save's own rule.
    QTest::newRow("dropped .RTF, Save: stays Rich Text") << "drop" << "a.RTF" << "save" << true;
    QTest::newRow("dropped .RTF, Save All: Rich Text") << "drop" << "a.RTF" << "saveall" << true;
    // Read as plain text, so the markup must not be wrapped in Rich Text.
    QTest::newRow("opened .RTF, Save: plain") << "open" << "a.RTF" << "save" << false;
    QTest::newRow("opened .RTF, Save All: stays plain") << "open" << "a.RTF" << "saveall" << false;
}

void tst_files_open::savedBackAsRead()
{
    QFETCH(QString, way);
    QFETCH(QString, name);
    QFETCH(QString, command);
    QFETCH(bool, rich);

    const QString path = m_dir->filePath(name);
    QVERIFY(writeFile(path, richSample()));
    if (way == QLatin1String("open"))
        QVERIFY(fileMod::OpenFile(path));
    else
        drop({path});
    frmDoc *doc = m_main->ActiveForm();
    QCOMPARE(doc->Caption(), path);
    doc->rtf1->moveCursor(QTextCursor::End);
    doc->rtf1->SetSelText(QStringLiteral(" more"));
    doc->bChanged = true;

    if (command == QLatin1String("save"))
        m_main->save_Click();
    else
        m_main->menuFileSaveAll_Click();
    QCOMPARE(ModalSeam::asked().size(), 0);

    const QByteArray bytes = readFile(path);
    if (rich) {
        RichTextBox reread;
        QVERIFY(reread.LoadFile(path));
        QVERIFY2(reread.Text().startsWith(QStringLiteral("Hello bold world")), qPrintable(reread.Text()));
        QVERIFY(reread.Find(QStringLiteral("bold")) > 0);
        QCOMPARE(reread.SelBold(), std::optional<bool>(true));
    } else {
        // The markup as it was read, with the words added: not escaped
        // into a new Rich Text document.
        QVERIFY2(bytes.startsWith(richSample().left(40)), bytes.constData());
        QVERIFY(bytes.contains("world\\par} more"));
        QVERIFY(!bytes.contains("\\\\rtf1"));
    }
}

void tst_files_open::openCancelled()
{
    ModalSeam::queue(QString());
    ModalSeam::queue(QStringLiteral("Yes"));
    m_main->open_Click();

    const QList<ModalSeam::Question> messages = askedOf(QStringLiteral("message"));
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.first().text, QStringLiteral("No file selected for opening !"));
    QCOMPARE(messages.first().title, QStringLiteral("Quillet"));
    QCOMPARE(captions(m_main), QStringList{QStringLiteral("Document 1")});
}

void tst_files_open::openWithNoDocumentMakesOneFirst()
{
    m_main->close_Click();
    QTRY_VERIFY(m_main->documents().isEmpty());

    const QString path = m_dir->filePath(QStringLiteral("notes.txt"));
    QVERIFY(writeFile(path, "some notes\n"));
    ModalSeam::queue(path);
    m_main->open_Click();

    QCOMPARE(captions(m_main), (QStringList{QStringLiteral("Document 2"), path}));
    QCOMPARE(m_main->ActiveForm()->Caption(), path);
}

void tst_files_open::cannotOpen_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("what");

    for (const char *way : {"open", "explorer", "drop"}) {
        QTest::addRow("%s: missing file", way) << way << "missing";
        QTest::addRow("%s: a folder", way) << way << "folder";
    }
}

void tst_files_open::cannotOpen()
{
    QFETCH(QString, way);
    QFETCH(QString, what);

    QString path = m_dir->filePath(QStringLiteral("gone.rtf"));
    if (what == QLatin1String("folder")) {
        path = m_dir->filePath(QStringLiteral("folder.rtf"));
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder.rtf")));
    }

    if (way == QLatin1String("open")) {
        ModalSeam::queue(path);
        ModalSeam::queue(QStringLiteral("OK"));
        m_main->open_Click();
    } else if (way == QLatin1String("explorer")) {
        ModalSeam::queue(QStringLiteral("OK"));
        QVERIFY(!fileMod::OpenFile(path));
    } else {
        ModalSeam::queue(QStringLiteral("OK"));
        drop({path});
    }

    QTRY_COMPARE(askedOf(QStringLiteral("message")).size(), 1);
    const ModalSeam::Question message = askedOf(QStringLiteral("message")).first();
    QCOMPARE(message.title, QStringLiteral("Quillet"));
    QVERIFY2(message.text.contains(path), qPrintable(message.text));
    QCOMPARE(ModalSeam::unanswered(), 0);
    // No empty "Form1" or "Document" window is left behind.
    QTRY_COMPARE(captions(m_main), QStringList{QStringLiteral("Document 1")});
}

void tst_files_open::dropOpensEveryFileInOrder()
{
    const QString a = m_dir->filePath(QStringLiteral("a.rtf"));
    const QString missing = m_dir->filePath(QStringLiteral("b.rtf"));
    const QString c = m_dir->filePath(QStringLiteral("c.txt"));
    const QString d = m_dir->filePath(QStringLiteral("d.RTF"));
    QVERIFY(writeFile(a, richSample()));
    QVERIFY(writeFile(c, "plain words\n"));
    QVERIFY(writeFile(d, richSample()));

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

void tst_files_open::dragIsRefusedUnlessFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("files") << "files" << true;
    QTest::newRow("text") << "text" << false;
    QTest::newRow("web links") << "web" << false;
    QTest::newRow("Rich Text data") << "rtf" << false;
}

void tst_files_open::dragIsRefusedUnlessFiles()
{
    QFETCH(QString, kind);
    QFETCH(bool, accepted);

    QMimeData data;
    if (kind == QLatin1String("files"))
        data.setUrls({QUrl::fromLocalFile(m_dir->filePath(QStringLiteral("a.rtf")))});
    else if (kind == QLatin1String("text"))
        data.setText(QStringLiteral("/tmp/a.rtf"));
    else if (kind == QLatin1String("web"))
        data.setUrls({QUrl(QStringLiteral("https://example.org/a.rtf"))});
    else
        data.setData(QStringLiteral("text/rtf"), richSample());
    QCOMPARE(dragEnter(&data), accepted);

    // Dropping what was refused opens nothing.
    if (!accepted) {
        QDropEvent event(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        deliver(&event);
        QCOMPARE(captions(m_main), QStringList{QStringLiteral("Document 1")});
        QVERIFY(ModalSeam::asked().isEmpty());
    }
}

void tst_files_open::typicalEdit()
{
    const QString path = m_dir->filePath(QStringLiteral("letter.rtf"));
    QVERIFY(writeFile(path, QByteArrayLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Verdana;}}\\f0\\fs20 Dear world\\par}")));
    QApplication::setActiveWindow(m_main);
    QVERIFY(QTest::qWaitForWindowActive(m_main));

    ModalSeam::queue(path);
    m_main->open_Click();
    frmDoc *doc = m_main->ActiveForm();
    QCOMPARE(doc->Caption(), path);

    // Type at the end, then make a word bold.
    doc->rtf1->setFocus();
    doc->rtf1->moveCursor(QTextCursor::End);
    QTest::keyClicks(doc->rtf1, QStringLiteral(" again"));
    QVERIFY(doc->bChanged);
    QVERIFY(doc->rtf1->Find(QStringLiteral("world")) >= 0);
    doc->rtf1->SetSelBold(true);

    QTest::keyClick(doc->rtf1, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!doc->bChanged);
    QCOMPARE(doc->Caption(), path);   // a file that was opened shows no change mark

    m_main->close_Click();
    QVERIFY(ModalSeam::asked().size() == 1);   // the open dialog only
    QTRY_COMPARE(m_main->documents().size(), 1);

    RichTextBox reread;
    QVERIFY(reread.LoadFile(path));
    QVERIFY(reread.Text().startsWith(QStringLiteral("Dear world again")));
    QCOMPARE(reread.Find(QStringLiteral("world")), 5);
    QCOMPARE(reread.SelBold(), std::optional<bool>(true));
    QVERIFY(reread.Find(QStringLiteral("Dear")) == 0);
    QCOMPARE(reread.SelBold(), std::optional<bool>(false));
}

void tst_files_open::newDocumentRoad()
{
    QApplication::setActiveWindow(m_main);
    QVERIFY(QTest::qWaitForWindowActive(m_main));

    m_main->Menu(QStringLiteral("new"))->trigger();
    frmDoc *doc = m_main->ActiveForm();
    QCOMPARE(doc->Caption(), QStringLiteral("Document 2"));

    doc->rtf1->setFocus();
    QTest::keyClick(doc->rtf1, Qt::Key_A);
    QCOMPARE(doc->Caption(), QStringLiteral("Document 2*"));

    ModalSeam::queue(QString());   // cancel the save dialog
    QTest::keyClick(doc->rtf1, Qt::Key_S, Qt::ControlModifier);
    const QList<ModalSeam::Question> dialogs = askedOf(QStringLiteral("save"));
    QCOMPARE(dialogs.size(), 1);
    QCOMPARE(dialogs.first().title, QStringLiteral("Save"));
    QVERIFY(doc->bChanged);
    QCOMPARE(doc->Caption(), QStringLiteral("Document 2*"));
}

QTEST_MAIN(tst_files_open)
#include "tst_files_open.moc"
