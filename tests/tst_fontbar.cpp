#include "documents/frmDoc.h"
#include "editing/modFontBar.h"
#include "platform/ModalSeam.h"
#include "platform/RichTextBox.h"
#include "shell/frmMain.h"
#include "shell/genMod.h"
#include "shell/modRegistry.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The three boxes of the font bar, driven as the user drives them: an entry
// chosen from the list, or a text typed and confirmed with Enter.
class tst_fontbar : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void presets_data();
    void presets();
    void presetNamesAreExact();
    void presetsWithNoDocument();
    void chosenSize_data();
    void chosenSize();
    void typedSize_data();
    void typedSize();
    void typedFontNameGoesAsTyped();
    void leadingNumber_data();
    void leadingNumber();

private:
    RichTextBox *rtf() const { return m_main->ActiveForm()->rtf1; }
    void choose(QComboBox *box, const QString &entry);
    void typeAndEnter(QComboBox *box, const QString &text);

    QTemporaryDir m_dir;
    std::unique_ptr<frmMain> m_main;
};

void tst_fontbar::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
    ModalSeam::setStrict(true);
    modRegistry::SetSettingValue(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey,
                                 QStringLiteral("Show Tips at Startup"), QStringLiteral("0"));
}

void tst_fontbar::init()
{
    ModalSeam::reset();
    genMod::ResetNewDocumentCounter();
    m_main = std::make_unique<frmMain>();
    m_main->MDIForm_Load();
    QVERIFY(m_main->ActiveForm());
    rtf()->SetText(QStringLiteral("Some words to format"));
    rtf()->SetSelStart(5);
    rtf()->SetSelLength(5);
}

void tst_fontbar::cleanup()
{
    m_main.reset();
    QCOMPARE(ModalSeam::unanswered(), 0);
}

void tst_fontbar::choose(QComboBox *box, const QString &entry)
{
    const int index = box->findText(entry);
    QVERIFY2(index >= 0, qPrintable(entry));
    box->setCurrentIndex(index);
    emit box->activated(index);
}

void tst_fontbar::typeAndEnter(QComboBox *box, const QString &text)
{
    box->lineEdit()->clear();
    QTest::keyClicks(box->lineEdit(), text);
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
}

void tst_fontbar::presets_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("font");
    QTest::addColumn<int>("size");
    QTest::newRow("Heading1") << "Heading1" << "Arial" << 32;
    QTest::newRow("Heading2") << "Heading2" << "Verdana" << 24;
    QTest::newRow("Heading3") << "Heading3" << "Book Antiqua" << 18;
    QTest::newRow("Normal") << "Normal" << "Times New Roman" << 10;
}

void tst_fontbar::presets()
{
    QFETCH(QString, entry);
    QFETCH(QString, font);
    QFETCH(int, size);
    rtf()->SetSelBold(true);
    choose(m_main->Combo3, entry);
    QCOMPARE(rtf()->SelFontName().value_or(QString()), font);
    QCOMPARE(rtf()->SelFontSize().value_or(0), double(size));
    QCOMPARE(m_main->Combo1->currentText(), font);
    QCOMPARE(m_main->Combo2->currentText(), QString::number(size));
    // Only name and size: the bold stays.
    QCOMPARE(rtf()->SelBold(), std::optional<bool>(true));
}

void tst_fontbar::presetNamesAreExact()
{
    rtf()->SetSelFontName(QStringLiteral("Courier New"));
    m_main->Combo3->setEditText(QStringLiteral("heading1"));
    m_main->Combo3_Click();
    QCOMPARE(rtf()->SelFontName().value_or(QString()), QStringLiteral("Courier New"));
    QCOMPARE(m_main->Combo1->currentText(), QStringLiteral("Verdana"));
}

void tst_fontbar::presetsWithNoDocument()
{
    for (frmDoc *doc : m_main->documents())
        delete doc->subWindow();
    QVERIFY(!m_main->ActiveForm());

    choose(m_main->Combo3, QStringLiteral("Heading2"));
    QCOMPARE(m_main->Combo1->currentText(), QStringLiteral("Verdana"));
    QCOMPARE(m_main->Combo2->currentText(), QStringLiteral("24"));
    // The other boxes have nothing to act on and stay quiet.
    choose(m_main->Combo2, QStringLiteral("48"));
    typeAndEnter(m_main->Combo1, QStringLiteral("Arial"));
    QVERIFY(ModalSeam::asked().isEmpty());
}

void tst_fontbar::chosenSize_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<double>("size");
    QTest::newRow("8") << "8" << 8.0;
    QTest::newRow("72") << "72" << 72.0;
}

void tst_fontbar::chosenSize()
{
    QFETCH(QString, entry);
    QFETCH(double, size);
    choose(m_main->Combo2, entry);
    QCOMPARE(rtf()->SelFontSize().value_or(0), size);
}

void tst_fontbar::typedSize_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("size");
    QTest::newRow("a number") << "14" << 14.0;
    QTest::newRow("trailing letters leave it") << "14pt" << 10.0;
    QTest::newRow("not a number leaves it") << "big" << 10.0;
    QTest::newRow("empty leaves it") << "" << 10.0;
}

void tst_fontbar::typedSize()
{
    QFETCH(QString, typed);
    QFETCH(double, size);
    rtf()->SetSelFontSize(10);
    typeAndEnter(m_main->Combo2, typed);
    QCOMPARE(rtf()->SelFontSize().value_or(-1), size);
}

void tst_fontbar::typedFontNameGoesAsTyped()
{
    const QString missing = QStringLiteral("No Such Font Installed");
    typeAndEnter(m_main->Combo1, missing);
    QCOMPARE(rtf()->SelFontName().value_or(QString()), missing);
}

void tst_fontbar::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << "12" << 12.0;
    QTest::newRow("trailing letters ignored") << "12pt" << 12.0;
    QTest::newRow("decimal") << " 7.5 points" << 7.5;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("no number") << "size" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("lone sign") << "-" << 0.0;
}

void tst_fontbar::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(modFontBar::LeadingNumber(text), value);
}

QTEST_MAIN(tst_fontbar)
#include "tst_fontbar.moc"
