#include "QuilletTest.h"
#include "documents/frmDoc.h"
#include "platform/RichTextBox.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

// The three boxes of the font bar, driven as the user drives them: an entry
// chosen from the list, or a text typed and confirmed with Enter.
class tst_fontbar : public QObject
{
    Q_OBJECT
    std::unique_ptr<frmMain> m_main;

    RichTextBox *rtf() const { return m_main->ActiveForm()->rtf1; }

    static void choose(QComboBox *box, const QString &entry)
    {
        const int index = box->findText(entry);
        QVERIFY2(index >= 0, qPrintable(entry));
        box->setCurrentIndex(index);
        emit box->activated(index);
    }

    static void typeAndEnter(QComboBox *box, const QString &text)
    {
        box->lineEdit()->clear();
        QTest::keyClicks(box->lineEdit(), text);
        QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    }

private slots:
    void initTestCase()
    {
        QuilletTest::isolate();
    }

    void init()
    {
        m_main = std::unique_ptr<frmMain>(QuilletTest::startMain(QString(), false));
        QVERIFY(m_main->ActiveForm());
        rtf()->SetText(QStringLiteral("Some words to format"));
        rtf()->SetSelStart(5);
        rtf()->SetSelLength(5);
        rtf()->SetSelFontSize(10);
    }

    void cleanup()
    {
        m_main.reset();
        QCOMPARE(ModalSeam::unanswered(), 0);
    }

    // Only name and size change: the bold stays.
    void presetKeepsOtherFormats()
    {
        rtf()->SetSelBold(true);
        choose(m_main->Combo3, QStringLiteral("Heading1"));
        QCOMPARE(rtf()->SelFontName().value_or(QString()), QStringLiteral("Arial"));
        QCOMPARE(rtf()->SelFontSize().value_or(0), 32.0);
        QCOMPARE(rtf()->SelBold(), std::optional<bool>(true));
    }

    // The other boxes have nothing to act on and stay quiet.
    void presetsWithNoDocument()
    {
        for (frmDoc *doc : m_main->documents())
            delete doc->subWindow();
        QVERIFY(!m_main->ActiveForm());
        choose(m_main->Combo3, QStringLiteral("Heading2"));
        QCOMPARE(m_main->Combo1->currentText(), QStringLiteral("Verdana"));
        QCOMPARE(m_main->Combo2->currentText(), QStringLiteral("24"));
        choose(m_main->Combo2, QStringLiteral("48"));
        typeAndEnter(m_main->Combo1, QStringLiteral("Arial"));
        QVERIFY(ModalSeam::asked().isEmpty());
    }

    // The preset box has no key handler: a typed preset name is applied
    // neither by Enter nor by the box's own end of editing.
    void typedPresetNameDoesNothing()
    {
        typeAndEnter(m_main->Combo3, QStringLiteral("Heading1"));
        m_main->Combo3->lineEdit()->clearFocus();
        QCoreApplication::processEvents();
        QCOMPARE(rtf()->SelFontSize().value_or(0), 10.0);
        QCOMPARE(m_main->Combo2->currentText(), QStringLiteral("10"));
        choose(m_main->Combo3, QStringLiteral("Heading1"));
        QCOMPARE(rtf()->SelFontSize().value_or(0), 32.0);
    }

    void sizeBox_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("typed");
        QTest::addColumn<double>("size");
        QTest::newRow("chosen from the list") << "72" << false << 72.0;
        QTest::newRow("typed number") << "14" << true << 14.0;
        QTest::newRow("typed with trailing letters leaves it") << "14pt" << true << 10.0;
        QTest::newRow("typed word leaves it") << "big" << true << 10.0;
        QTest::newRow("nothing typed leaves it") << "" << true << 10.0;
    }

    void sizeBox()
    {
        QFETCH(QString, text);
        QFETCH(bool, typed);
        QFETCH(double, size);
        if (typed)
            typeAndEnter(m_main->Combo2, text);
        else
            choose(m_main->Combo2, text);
        QCOMPARE(rtf()->SelFontSize().value_or(-1), size);
    }

    void typedFontNameGoesAsTyped()
    {
        typeAndEnter(m_main->Combo1, QStringLiteral("No Such Font Installed"));
        QCOMPARE(rtf()->SelFontName().value_or(QString()), QStringLiteral("No Such Font Installed"));
    }

    // The platform lists a family once per foundry ("C059 [urw]", "C059
    // [UKWN]"). The font box shows each family once by its own name, and a
    // saved font table names the family, also for a name typed with a tag.
    void fontListNamesEachFamilyOnce()
    {
        QStringList listed;
        for (int i = 0; i < m_main->Combo1->count(); ++i)
            listed << m_main->Combo1->itemText(i);
        QVERIFY(!listed.isEmpty());
        const QRegularExpression foundryTag(QStringLiteral(" \\[[^\\]]*\\]$"));
        QStringList families;
        for (QString family : QFontDatabase::families()) {
            family.remove(foundryTag);
            if (!families.contains(family))
                families << family;
        }
        QCOMPARE(listed, families);

        typeAndEnter(m_main->Combo1, QStringLiteral("C059 [urw]"));
        QTemporaryDir dir;
        const QString saved = dir.filePath(QStringLiteral("fonts.rtf"));
        QVERIFY2(rtf()->SaveFile(saved), qPrintable(rtf()->LastError()));
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY2(bytes.contains(" C059;") && !bytes.contains("[urw]"), bytes.left(300).constData());
    }
};

QTEST_MAIN(tst_fontbar)
#include "tst_fontbar.moc"
