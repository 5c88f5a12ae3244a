#include "QuilletTest.h"
#include "editing/frmSymbols.h"
#include "editing/modInsert.h"

#include <QDateTime>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QtTest>

using namespace QuilletTest;

// Insert > Symbols with its dialog, and Insert > Date & Time.
class tst_symbols : public MainWindowTest
{
    Q_OBJECT

    // Runs the command; the dialog it shows is handed to drive.
    void runSymbols(const std::function<void(frmSymbols *)> &drive)
    {
        ModalSeam::queue([drive](const ModalSeam::Question &q) {
            auto *dialog = qobject_cast<frmSymbols *>(q.dialog);
            if (dialog)
                drive(dialog);
            return QVariant(dialog != nullptr);
        });
        modInsert::menuInsertSymbols_Click();
        QCOMPARE(ModalSeam::pending(), 0);
        QCOMPARE(ModalSeam::asked().last().title, QStringLiteral("Symbols"));
    }

private slots:
    void initTestCase() { setUpOnce(); }

    void init()
    {
        setUp();
        QVERIFY(rtf());
        rtf()->SetText(QStringLiteral("before after"));
        select(rtf(), 6, 0);
    }

    void cleanup()
    {
        QLocale::setDefault(QLocale::system());
        tearDown();
    }

    void entries_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("entry");
        QTest::newRow("one digit") << 7 << QStringLiteral("7     -  \x07");
        QTest::newRow("last one-digit") << 9 << QStringLiteral("9     -  \t");
        QTest::newRow("two digits") << 65 << "65   -  A";
        QTest::newRow("three digits") << 120 << "120 -  x";
        QTest::newRow("Windows-1252 euro") << 128 << QStringLiteral("128 -  \u20ac");
        QTest::newRow("unassigned in the code page") << 129 << QStringLiteral("129 -  \u0081");
        QTest::newRow("last") << 255 << QStringLiteral("255 -  \u00ff");
    }

    void entries()
    {
        QFETCH(int, code);
        QFETCH(QString, entry);
        QCOMPARE(frmSymbols::EntryText(code), entry);
    }

    // 255 entries from code 1, none chosen, in the document's base font
    // rather than the font at its caret.
    void listShown()
    {
        rtf()->SetFontName(QStringLiteral("DejaVu Serif"));
        select(rtf(), 0, 6);
        rtf()->SetSelFontName(QStringLiteral("DejaVu Sans Mono"));
        runSymbols([](frmSymbols *dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Symbols"));
            QCOMPARE(dialog->lstSymbols->count(), 255);
            QCOMPARE(dialog->lstSymbols->item(0)->text(), frmSymbols::EntryText(1));
            QCOMPARE(dialog->lstSymbols->item(254)->text(), frmSymbols::EntryText(255));
            QVERIFY(dialog->lstSymbols->selectedItems().isEmpty());
            QCOMPARE(dialog->lstSymbols->font().families().value(0), QStringLiteral("DejaVu Serif"));
        });
    }

    // Insert and a double click each type one character at the caret and
    // keep the dialog open; code 9 is a tab; no choice inserts nothing.
    void inserting()
    {
        select(rtf(), 0, 6);   // "before" is kept by an empty choice
        runSymbols([this](frmSymbols *dialog) {
            dialog->cmdInsert->click();
            QCOMPARE(rtf()->Text(), QStringLiteral("before after"));
            dialog->lstSymbols->setCurrentRow(8);   // code 9
            dialog->cmdInsert->click();
            dialog->lstSymbols->setCurrentRow(64);  // code 65
            dialog->lstSymbols_DblClick();
            QVERIFY(!dialog->isHidden() || !dialog->result());
            dialog->cmdClose->click();
        });
        QCOMPARE(rtf()->Text(), QStringLiteral("\tA after"));
        QCOMPARE(rtf()->SelStart(), 2);
    }

    void dateTimeText_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("text");
        QTest::newRow("United States morning")
            << "en_US" << QDateTime(QDate(2024, 3, 7), QTime(9, 5, 0)) << "3/7/24 9:05:00 AM";
        QTest::newRow("German afternoon")
            << "de_DE" << QDateTime(QDate(2024, 3, 7), QTime(14, 30, 15)) << "07.03.24 14:30:15";
        QTest::newRow("midnight has no time part")
            << "en_US" << QDateTime(QDate(2024, 12, 31), QTime(0, 0)) << "12/31/24";
    }

    // Short date, one space, long time, and no time zone name.
    void dateTimeText()
    {
        QFETCH(QString, locale);
        QFETCH(QDateTime, when);
        QFETCH(QString, text);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(modInsert::DateTimeText(when), text);
    }

    // The date goes over the selection, the caret after it.
    void dateTimeInserted()
    {
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        select(rtf(), 0, 6);
        const QDate today = QDate::currentDate();
        modInsert::menuInsertDateTime_Click();
        const QString text = rtf()->Text();
        QVERIFY2(text.endsWith(QLatin1String(" after")), qPrintable(text));
        const QString inserted = text.chopped(6);
        QVERIFY2(inserted.startsWith(QLocale().toString(today, QLocale::ShortFormat))
                     || inserted.startsWith(QLocale().toString(today.addDays(1), QLocale::ShortFormat)),
                 qPrintable(inserted));
        QCOMPARE(rtf()->SelStart(), int(inserted.size()));
    }
};

QTEST_MAIN(tst_symbols)
#include "tst_symbols.moc"
