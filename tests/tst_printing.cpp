#include "EditingTestSupport.h"
#include "editing/modPrint.h"
#include "platform/CommonDialog.h"

#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace EditingTest;

// File > Print on a PDF printer, read back with poppler's pdfinfo and
// pdftotext; File > Print Preview's notices.
class tst_printing : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<frmMain> m_main;
    int m_file = 0;

    RichTextBox *doc() const { return rtf(m_main.get()); }

    // A fresh PDF file for the printer the dialog sets up.
    QString pdfPrinter()
    {
        QPrinter *printer = m_main->cd1->Printer();
        printer->setOutputFormat(QPrinter::PdfFormat);
        const QString path = m_dir.filePath(QStringLiteral("out%1.pdf").arg(++m_file));
        printer->setOutputFileName(path);
        printer->setCopyCount(1);
        printer->setPrintRange(QPrinter::AllPages);
        printer->setFromTo(0, 0);
        return path;
    }

    static QString run(const QString &program, const QStringList &args)
    {
        QProcess process;
        process.start(program, args);
        if (!process.waitForFinished(60000) || process.exitCode() != 0)
            return QString();
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    static int pages(const QString &pdf)
    {
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(run(QStringLiteral("pdfinfo"), {pdf}));
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    }

    static QString text(const QString &pdf)
    {
        return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    }

    // 150 paragraphs, every tenth bold and centred, some red.
    void fillLongDocument()
    {
        QStringList lines;
        for (int i = 1; i <= 150; ++i)
            lines << QStringLiteral("Paragraph number %1 of the printed test").arg(i);
        doc()->SetText(lines.join(QLatin1Char('\n')));
        for (int i = 0; i < 150; i += 10) {
            const int start = int(lines.mid(0, i).join(QLatin1Char('\n')).size()) + (i ? 1 : 0);
            select(doc(), start, 20);
            doc()->SetSelBold(true);
            doc()->SetSelColor(0x0000ff);
            doc()->SetSelAlignment(RichTextBox::rtfCenter);
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
            QSKIP("poppler-utils (pdftotext, pdfinfo) is not installed");
        DocTestSupport::prepare(m_dir.path());
    }

    void init()
    {
        m_main = DocTestSupport::startMain();
        QVERIFY(doc());
    }

    void cleanup()
    {
        m_main.reset();
        QCOMPARE(ModalSeam::unanswered(), 0);
    }

    // Every page of the whole document, whatever was selected; then the
    // caret at the start with nothing selected, and the text unchanged.
    void printsWholeDocument()
    {
        fillLongDocument();
        const QString before = doc()->Text();
        doc()->SetSelStart(100);
        doc()->SetSelLength(30);
        const QString pdf = pdfPrinter();
        ModalSeam::queue(true);
        modPrint::menuPrint_Click();
        QCOMPARE(ModalSeam::asked().first().kind, QStringLiteral("print"));
        const int count = pages(pdf);
        QVERIFY2(count >= 3, qPrintable(QString::number(count)));
        const QString printed = text(pdf);
        QVERIFY(printed.contains(QLatin1String("Paragraph number 1 of the printed test")));
        QVERIFY(printed.contains(QLatin1String("Paragraph number 150 of the printed test")));
        QCOMPARE(printed.count(QLatin1Char('\f')), count);
        QCOMPARE(doc()->SelStart(), 0);
        QCOMPARE(doc()->SelLength(), 0);
        QCOMPARE(doc()->Text(), before);
        QVERIFY(messages().isEmpty());
    }

    // The copies and the page range chosen in the dialog.
    void copiesAndRange()
    {
        fillLongDocument();
        const QString all = pdfPrinter();
        ModalSeam::queue(true);
        modPrint::menuPrint_Click();
        const int count = pages(all);
        QVERIFY(count >= 3);

        const QString twice = pdfPrinter();
        m_main->cd1->Printer()->setCopyCount(2);
        ModalSeam::queue(true);
        modPrint::menuPrint_Click();
        QCOMPARE(pages(twice), 2 * count);

        const QString second = pdfPrinter();
        m_main->cd1->Printer()->setPrintRange(QPrinter::PageRange);
        m_main->cd1->Printer()->setFromTo(2, 2);
        ModalSeam::queue(true);
        modPrint::menuPrint_Click();
        QCOMPARE(pages(second), 1);
        const QStringList allPages = text(all).split(QLatin1Char('\f'));
        QCOMPARE(text(second).split(QLatin1Char('\f')).first(), allPages.at(1));
    }

    void emptyDocumentPrintsEmptyJob()
    {
        const QString pdf = pdfPrinter();
        ModalSeam::queue(true);
        modPrint::menuPrint_Click();
        QCOMPARE(pages(pdf), 1);
        QVERIFY(text(pdf).trimmed().isEmpty());
        QVERIFY(messages().isEmpty());
    }

    // Cancel prints nothing and keeps the selection.
    void cancelled()
    {
        doc()->SetText(QStringLiteral("some text to keep selected"));
        select(doc(), 5, 4);
        const QString pdf = pdfPrinter();
        ModalSeam::queue(false);
        modPrint::menuPrint_Click();
        QVERIFY(!QFile::exists(pdf));
        QCOMPARE(doc()->SelStart(), 5);
        QCOMPARE(doc()->SelLength(), 4);
    }

    void failures_data()
    {
        QTest::addColumn<QString>("target");   // relative to the test folder; "" none
        QTest::addColumn<QString>("reason");
        QTest::newRow("no printer") << "" << "No printer is available.";
        QTest::newRow("a folder where the file goes") << "folder" << "it is a folder";
        QTest::newRow("a file where the folder goes") << "plain.txt/out.pdf" << "is not a folder";
    }

    // A failed print says why, and the selection stays.
    void failures()
    {
        QFETCH(QString, target);
        QFETCH(QString, reason);
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("folder")));
        QFile plain(m_dir.filePath(QStringLiteral("plain.txt")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        doc()->SetText(QStringLiteral("some text to keep selected"));
        select(doc(), 5, 4);
        pdfPrinter();
        m_main->cd1->Printer()->setOutputFileName(target.isEmpty() ? QString() : m_dir.filePath(target));
        ModalSeam::queue(true);
        ModalSeam::queue(QStringLiteral("OK"));
        modPrint::menuPrint_Click();
        const QStringList told = messages();
        QCOMPARE(told.size(), 1);
        QVERIFY2(told.first().startsWith(QLatin1String("The document could not be printed.")), qPrintable(told.first()));
        QVERIFY2(told.first().contains(reason), qPrintable(told.first()));
        QCOMPARE(doc()->SelStart(), 5);
        QCOMPARE(doc()->SelLength(), 4);
    }

    void previewIsANotice()
    {
        ModalSeam::queue(QStringLiteral("OK"));
        modPrint::ppreview_Click();
        QCOMPARE(messages(), QStringList{"This feature will be implemented in the next release. Thankyou !"});
    }
};

QTEST_MAIN(tst_printing)
#include "tst_printing.moc"
