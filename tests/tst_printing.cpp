#include "QuilletTest.h"
#include "editing/modPrint.h"
#include "platform/CommonDialog.h"

#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

using namespace QuilletTest;

// File > Print on a PDF printer, read back with poppler's pdfinfo and
// pdftotext; File > Print Preview's notices.
class tst_printing : public MainWindowTest
{
    Q_OBJECT
    int m_file = 0;

    // A fresh PDF file for the printer the dialog sets up.
    QString pdfPrinter()
    {
        QPrinter *printer = m_main->cd1->Printer();
        printer->setOutputFormat(QPrinter::PdfFormat);
        const QString pdf = path(QStringLiteral("out%1.pdf").arg(++m_file));
        printer->setOutputFileName(pdf);
        printer->setCopyCount(1);
        printer->setPrintRange(QPrinter::AllPages);
        printer->setFromTo(0, 0);
        return pdf;
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
        rtf()->SetText(lines.join(QLatin1Char('\n')));
        for (int i = 0; i < 150; i += 10) {
            const int start = int(lines.mid(0, i).join(QLatin1Char('\n')).size()) + (i ? 1 : 0);
            select(rtf(), start, 20);
            rtf()->SetSelBold(true);
            rtf()->SetSelColor(0x0000ff);
            rtf()->SetSelAlignment(RichTextBox::rtfCenter);
        }
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
            QSKIP("poppler-utils (pdftotext, pdfinfo) is not installed");
        setUpOnce();
    }

    void init()
    {
        setUp();
        QVERIFY(rtf());
    }

    void cleanup() { tearDown(); }

    // Every page of the whole document, whatever was selected; then the
    // caret at the start with nothing selected, and the text unchanged.
    void printsWholeDocument()
    {
        fillLongDocument();
        const QString before = rtf()->Text();
        rtf()->SetSelStart(100);
        rtf()->SetSelLength(30);
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
        QCOMPARE(rtf()->SelStart(), 0);
        QCOMPARE(rtf()->SelLength(), 0);
        QCOMPARE(rtf()->Text(), before);
        QVERIFY(messages().isEmpty());
    }

    // File > Export as PDF: every page and every word, laid out as a print
    // is, links that a reader can follow, and the selection left as it was.
    void exportsEveryPageWithLiveLinks()
    {
        fillLongDocument();
        rtf()->SetSelStart(0);
        rtf()->SetSelLength(0);
        rtf()->moveCursor(QTextCursor::End);
        rtf()->SetSelRTF(QByteArrayLiteral("{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"https://example.org/quillet\"}"
                                           "{\\fldrslt the link}}\\par}"));
        rtf()->SetSelStart(100);
        rtf()->SetSelLength(30);
        const QString printedPdf = pdfPrinter();
        ModalSeam::queue(true);
        modPrint::menuPrint_Click();
        resetSeam();
        rtf()->SetSelStart(100);
        rtf()->SetSelLength(30);

        const QString pdf = path(QStringLiteral("export.pdf"));
        ModalSeam::queue(pdf);
        runCommand(m_main, QStringLiteral("menuFileExportPdf"));
        QCOMPARE(askedOf(QStringLiteral("save")).size(), 1);
        QVERIFY(messages().isEmpty());
        QCOMPARE(pages(pdf), pages(printedPdf));
        const QString exported = text(pdf);
        for (int i = 1; i <= 150; ++i)
            QVERIFY(exported.contains(QStringLiteral("Paragraph number %1 of the printed test").arg(i)));
        QVERIFY(exported.contains(QLatin1String("the link")));
        QVERIFY(run(QStringLiteral("pdfinfo"), {QStringLiteral("-url"), pdf}).contains(QLatin1String("https://example.org/quillet")));
        QCOMPARE(rtf()->SelStart(), 100);
        QCOMPARE(rtf()->SelLength(), 30);
    }

    // The export is on the paper the file was written for; a file that
    // names none, or an absurd one, gets the printer's.
    void exportsOnTheDocumentsPaper_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("size");
        QTest::newRow("A4 landscape") << QByteArray("\\paperw16838\\paperh11906\\landscape") << QStringLiteral("841.9 x 595.3");
        QTest::newRow("A5 portrait") << QByteArray("\\paperw8391\\paperh11906") << QStringLiteral("419.5 x 595.3");
        QTest::newRow("tiny") << QByteArray("\\paperw20\\paperh20") << QString();
        QTest::newRow("none") << QByteArray() << QString();
    }

    void exportsOnTheDocumentsPaper()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QString, size);
        const QString source = path(QStringLiteral("paper.rtf"));
        QVERIFY(writeFile(source, "{\\rtf1\\ansi" + settings + " Some words on the page.\\par}"));
        QVERIFY(rtf()->LoadFile(source, 0));
        const QString pdf = path(QStringLiteral("paper.pdf"));
        QVERIFY2(rtf()->ExportPdf(pdf), qPrintable(rtf()->LastError()));
        QVERIFY(text(pdf).contains(QLatin1String("Some words on the page.")));
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)"))
                                              .match(run(QStringLiteral("pdfinfo"), {pdf}));
        QVERIFY(m.hasMatch());
        QSizeF expected;
        if (size.isEmpty()) {
            expected = QPrinter().pageLayout().fullRect(QPageLayout::Point).size();
        } else {
            const QStringList sides = size.split(QStringLiteral(" x "));
            expected = QSizeF(sides.at(0).toDouble(), sides.at(1).toDouble());
        }
        // Within a point: paper sizes are kept to a tenth of a millimetre.
        QVERIFY2(qAbs(m.captured(1).toDouble() - expected.width()) < 1 && qAbs(m.captured(2).toDouble() - expected.height()) < 1,
                 qPrintable(m.captured(0)));
    }

    // An export that cannot be written says why and leaves the old file whole.
    void exportFailureKeepsTheOldFile()
    {
        rtf()->SetText(QStringLiteral("words"));
        const QString pdf = path(QStringLiteral("old.pdf"));
        QVERIFY(writeFile(pdf, "%PDF-old"));
        RichTextBox::InjectSaveFailure(3);
        auto undo = qScopeGuard([] { RichTextBox::InjectSaveFailure(-1); });
        ModalSeam::queue(pdf);
        ModalSeam::queue(QStringLiteral("OK"));
        runCommand(m_main, QStringLiteral("menuFileExportPdf"));
        QCOMPARE(messages().size(), 1);
        QVERIFY2(messages().first().contains(pdf), qPrintable(messages().first()));
        QCOMPARE(readFile(pdf), QByteArray("%PDF-old"));
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
        rtf()->SetText(QStringLiteral("some text to keep selected"));
        select(rtf(), 5, 4);
        const QString pdf = pdfPrinter();
        ModalSeam::queue(false);
        modPrint::menuPrint_Click();
        QVERIFY(!QFile::exists(pdf));
        QCOMPARE(rtf()->SelStart(), 5);
        QCOMPARE(rtf()->SelLength(), 4);
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
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("folder")));
        QFile plain(path(QStringLiteral("plain.txt")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        rtf()->SetText(QStringLiteral("some text to keep selected"));
        select(rtf(), 5, 4);
        pdfPrinter();
        m_main->cd1->Printer()->setOutputFileName(target.isEmpty() ? QString() : path(target));
        ModalSeam::queue(true);
        ModalSeam::queue(QStringLiteral("OK"));
        modPrint::menuPrint_Click();
        const QStringList told = messages();
        QCOMPARE(told.size(), 1);
        QVERIFY2(told.first().startsWith(QLatin1String("The document could not be printed.")), qPrintable(told.first()));
        QVERIFY2(told.first().contains(reason), qPrintable(told.first()));
        QCOMPARE(rtf()->SelStart(), 5);
        QCOMPARE(rtf()->SelLength(), 4);
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
