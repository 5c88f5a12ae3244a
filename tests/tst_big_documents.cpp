// Large and hostile documents: each opens under a watchdog, shows what fits,
// keeps answering input, and Save writes back everything that was read.

#include "QuilletTest.h"

#include "documents/modGeneral.h"

#include "platform/DocumentFile.h"
#include "platform/DocumentText.h"
#include "platform/rtf/RtfProperties.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextDocument>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

using namespace QuilletTest;

namespace {

// Ends the whole test program when a step does not come back in time, so a
// hang fails the run instead of holding CI. A safety net, not a speed check.
class Watchdog
{
public:
    Watchdog(const char *what, int seconds) : m_what(what)
    {
        m_thread = std::thread([this, seconds] {
            std::unique_lock lock(m_mutex);
            if (!m_done.wait_for(lock, std::chrono::seconds(seconds), [this] { return m_finished; })) {
                std::fprintf(stderr, "FAIL! watchdog: \"%s\" did not finish in %d s\n", m_what, seconds);
                std::_Exit(3);
            }
        });
    }
    ~Watchdog()
    {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_all();
        m_thread.join();
    }

private:
    const char *m_what;
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};

// Lines of a log file: short, no formats, many of them.
QByteArray logLines(int lines)
{
    QByteArray out;
    out.reserve(lines * 24);
    for (int i = 0; i < lines; ++i)
        out += "2026-12-06 log line " + QByteArray::number(i) + '\n';
    return out;
}

// Paragraphs at the largest font size; every seventh bold and centred.
QByteArray hugeFontRtf(int lines)
{
    QByteArray out = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Verdana;}}\n";
    for (int i = 0; i < lines; ++i) {
        out += i % 7 == 0 ? "\\pard\\qc\\fs3276{\\b line " : "\\pard\\fs3276{line ";
        out += QByteArray::number(i) + "}\\par\n";
    }
    return out + "}";
}

QString plainOf(const QString &path, int type)
{
    QTextDocument doc;
    const DocumentFile::ReadResult read = DocumentFile::read(path, type, doc);
    return read.ok ? DocumentText::plain(&doc, 0, DocumentText::length(&doc), QStringLiteral("\n"))
                   : QStringLiteral("<unreadable: %1>").arg(read.errorText);
}

} // namespace

class tst_big_documents : public MainWindowTest
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpOnce(); }
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void opensAsFarAsItCanBeShown_data();
    void opensAsFarAsItCanBeShown();
    void lineCountFollowsWhileTyping();
    void printsThePartKeptAside();
    void refusesFilesPastTheSizeLimit_data();
    void refusesFilesPastTheSizeLimit();
    void longRunsWithoutBreaksLayOutInTime();
    void picturesStayWithinTheMemoryBudget();
};

void tst_big_documents::opensAsFarAsItCanBeShown_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("cut");

    QTest::newRow("log of 500,000 lines at 12 pt is cut") << "big.log" << logLines(500000) << true;
    QTest::newRow("3,000 lines at 1,638 pt are cut") << "tall.rtf" << hugeFontRtf(3000) << true;
    QTest::newRow("log of 100,000 lines opens whole") << "small.log" << logLines(100000) << false;
}

void tst_big_documents::opensAsFarAsItCanBeShown()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, cut);
    const int type = name.endsWith(QLatin1String(".rtf")) ? DocumentFile::Rtf : DocumentFile::Text;
    QVERIFY(writeFile(path(name), bytes));
    const QString original = plainOf(path(name), type);

    Watchdog watchdog("open, type and save a big document", 120);
    if (cut)
        ModalSeam::queue(QStringLiteral("OK"));
    QVERIFY(fileMod::OpenFile(path(name)));
    frmDoc *doc = m_main->ActiveForm();
    QVERIFY(doc);
    QCOMPARE(doc->rtf1->HasHiddenTail(), cut);

    // The notice comes once the window shows, through the program's box.
    if (cut) {
        QTRY_COMPARE(askedOf(QStringLiteral("message")).size(), 1);
        QVERIFY2(askedOf(QStringLiteral("message")).first().text.contains(QLatin1String("too long")),
                 qPrintable(askedOf(QStringLiteral("message")).first().text));
    }

    // Input is answered while the rest is laid out behind.
    doc->rtf1->setFocus();
    QTest::keyClick(doc->rtf1, 'Z');
    QTRY_VERIFY(doc->rtf1->document()->begin().text().startsWith(QLatin1Char('Z')));
    QVERIFY(QTest::qWaitFor([&] { return doc->rtf1->GetLineCount() > 1; }));

    // Save writes the shown part as edited and everything that was not shown.
    const QString saved = path(QStringLiteral("saved") + name.mid(name.lastIndexOf(QLatin1Char('.'))));
    QVERIFY2(doc->rtf1->SaveFile(saved, type), qPrintable(doc->rtf1->LastError()));
    QCOMPARE(plainOf(saved, type), QLatin1Char('Z') + original);
    if (type == DocumentFile::Rtf) {
        // Formats on both sides of the cut come back as they were.
        QTextDocument back;
        QVERIFY(DocumentFile::read(saved, type, back).ok);
        QCOMPARE(back.blockCount(), 3000);
        for (int i : {0, 1, 6, 7, 8, 2996, 2997, 2998, 2999}) {
            const QTextBlock block = back.findBlockByNumber(i);
            QCOMPARE(block.blockFormat().alignment() == Qt::AlignHCenter, i % 7 == 0);
            QCOMPARE(block.begin().fragment().charFormat().fontWeight() >= QFont::Bold, i % 7 == 0);
        }
    }
    doc->bChanged = false;
}

void tst_big_documents::printsThePartKeptAside()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("poppler-utils (pdftotext) is not installed");
    // Short lines at 100 pt: too tall to show whole, yet quick to lay out.
    QByteArray rtfBytes = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Verdana;}}\\fs200\n";
    for (int i = 0; i < 60000; ++i)
        rtfBytes += "line " + QByteArray::number(i) + "\\par\n";
    QVERIFY(writeFile(path("tall.rtf"), rtfBytes + "}"));
    Watchdog watchdog("print the end of a document too long to show", 180);
    ModalSeam::queue(QStringLiteral("OK"));
    QVERIFY(fileMod::OpenFile(path("tall.rtf")));
    RichTextBox *box = rtf();
    QVERIFY(box->HasHiddenTail());
    QVERIFY(!box->Text().contains(QLatin1String("line 59999")));

    // Select All and print: the last page holds the document's last line,
    // which was never shown.
    box->SetSelStart(0);
    box->SetSelLength(int(box->document()->characterCount()));
    // At a printer's resolution the whole is far taller than one layout
    // can hold: it is printed in parts.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = path("tall.pdf");
    printer.setOutputFileName(pdf);
    printer.setFromTo(1'000'000, 1'000'000);
    QVERIFY(!box->SelPrint(&printer));
    const QRegularExpressionMatch count = QRegularExpression(QStringLiteral("it has (\\d+)")).match(box->LastError());
    QVERIFY2(count.hasMatch(), qPrintable(box->LastError()));
    const int pages = count.captured(1).toInt();
    printer.setFromTo(pages, pages);
    QVERIFY2(box->SelPrint(&printer), qPrintable(box->LastError()));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(60000));
    const QByteArray printed = text.readAllStandardOutput().simplified();
    QVERIFY2(printed.endsWith("line 59999"), printed.right(200).constData());
    doc()->bChanged = false;
}

void tst_big_documents::lineCountFollowsWhileTyping()
{
    QVERIFY(writeFile(path("lines.txt"), logLines(60000)));
    Watchdog watchdog("line count of 60,000 lines", 120);
    QVERIFY(fileMod::OpenFile(path("lines.txt")));
    RichTextBox *box = m_main->ActiveForm()->rtf1;

    // The load did not lay everything out to count it.
    QVERIFY(!box->LineCountComplete());
    QVERIFY(box->GetLineCount() < 60000);
    QSignalSpy grew(box, &RichTextBox::LineCountChanged);

    QTest::keyClick(box, Qt::Key_A);
    QCOMPARE(box->document()->begin().text().left(1), QStringLiteral("a"));
    QTRY_VERIFY_WITH_TIMEOUT(box->LineCountComplete(), 90000);
    QVERIFY(grew.count() >= 1);
    // The file's last line end opens one more, empty, paragraph.
    QCOMPARE(box->GetLineCount(), 60001);
    QCOMPARE(m_main->Panel(frmMain::PanelLines)->text(), modGeneral::FormatLineFigure(60001));
    // Typing on keeps the figure whole: one more paragraph, one more line.
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(box->GetLineCount(), 60002);
    QCOMPARE(box->LineFromChar(-1), 1);
    m_main->ActiveForm()->bChanged = false;
}

void tst_big_documents::refusesFilesPastTheSizeLimit_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("text") << "huge.txt";
    QTest::newRow("rich text") << "huge.rtf";
}

void tst_big_documents::refusesFilesPastTheSizeLimit()
{
    QFETCH(QString, name);
    // Sparse: no disk is used for the 300 MB.
    QFile file(path(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write("{\\rtf1 ") > 0);
    QVERIFY(file.resize(qint64(300) * 1024 * 1024));
    file.close();

    RichTextBox box;
    QVERIFY(!box.LoadFile(path(name), name.endsWith(QLatin1String(".txt")) ? 1 : 0));
    QVERIFY2(box.LastError().contains(QLatin1String("300 MB")) && box.LastError().contains(QLatin1String("256 MB")),
             qPrintable(box.LastError()));
}


void tst_big_documents::longRunsWithoutBreaksLayOutInTime()
{
    // A million letters without a break point: word wrap would take minutes.
    QVERIFY(writeFile(path("run.txt"), QByteArray(1000000, 'x') + "\nshort words after it\n"));
    Watchdog watchdog("lay out a paragraph of a million letters", 60);
    QVERIFY(fileMod::OpenFile(path("run.txt")));
    RichTextBox *box = m_main->ActiveForm()->rtf1;
    QTRY_VERIFY_WITH_TIMEOUT(box->LineCountComplete(), 50000);
    QCOMPARE(box->wordWrapMode(), QTextOption::WrapAnywhere);
    QVERIFY(box->GetLineCount() > 1000);

    // Once the run is gone, words are kept whole again; a pasted run breaks
    // lines anywhere once more.
    QTextCursor run(box->document());
    run.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
    run.removeSelectedText();
    QCOMPARE(box->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
    run.insertText(QString(1000000, QLatin1Char('y')));
    QTRY_VERIFY_WITH_TIMEOUT(box->LineCountComplete(), 50000);
    QCOMPARE(box->wordWrapMode(), QTextOption::WrapAnywhere);
    m_main->ActiveForm()->bChanged = false;
}

void tst_big_documents::picturesStayWithinTheMemoryBudget()
{
    // Twenty pictures, small on disk, each decoding to about 125 MB.
    QByteArray png;
    {
        QImage big(5600, 5600, QImage::Format_RGB32);
        big.fill(Qt::darkCyan);
        QBuffer buffer(&png);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && big.save(&buffer, "PNG"));
    }
    QByteArray rtf = "{\\rtf1\\ansi ";
    for (int i = 0; i < 20; ++i)
        rtf += "{\\pict\\pngblip\\picw5600\\pich5600 " + png.toHex() + "}\\par\n";
    QVERIFY(writeFile(path("pictures.rtf"), rtf + "}"));

    Watchdog watchdog("open twenty large pictures", 120);
    ModalSeam::queue(QStringLiteral("OK"));
    QVERIFY(fileMod::OpenFile(path("pictures.rtf")));
    QTextDocument *doc = m_main->ActiveForm()->rtf1->document();

    // Only what fits the budget is decoded; the rest shows as frames.
    int pictures = 0, decoded = 0;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat())
                continue;
            ++pictures;
            const QVariant image = doc->resource(QTextDocument::ImageResource, QUrl(format.toImageFormat().name()));
            decoded += image.value<QImage>().size() == QSize(5600, 5600);
        }
    }
    QCOMPARE(pictures, 20);
    QVERIFY2(decoded >= 1 && decoded <= 2, qPrintable(QString::number(decoded)));

    // Save writes every picture's bytes as they were read.
    const QString saved = path("savedpictures.rtf");
    QVERIFY2(m_main->ActiveForm()->rtf1->SaveFile(saved, DocumentFile::Rtf),
             qPrintable(m_main->ActiveForm()->rtf1->LastError()));
    QFile back(saved);
    QVERIFY(back.open(QIODevice::ReadOnly));
    // The writer may break the hexadecimal digits into lines.
    QByteArray written = back.readAll();
    written.replace('\r', QByteArray()).replace('\n', QByteArray());
    QCOMPARE(written.count(png.toHex()), 20);
    m_main->ActiveForm()->bChanged = false;
}

QTEST_MAIN(tst_big_documents)
#include "tst_big_documents.moc"
