#include "QuilletTest.h"
#include "documents/modDocument.h"
#include "editing/modFormat.h"
#include "editing/modParagraph.h"
#include "platform/CommonDialog.h"

#include <QColor>
#include <QFont>
#include <QtTest>

using namespace QuilletTest;

// Character and paragraph formatting driven through the commands, with the
// format bar's buttons and the Format menu's check marks they keep.
class tst_formatting : public MainWindowTest
{
    Q_OBJECT

    QAction *button(const char *key) const { return m_main->Button(QLatin1String(key)); }
    QAction *entry(const char *name) const { return m_main->Menu(QLatin1String(name)); }

private slots:
    void initTestCase() { setUpOnce(); }

    void init()
    {
        setUp();
        QVERIFY(rtf());
        // Paragraphs: "alpha beta" / "gamma" / "delta".
        rtf()->SetText(QStringLiteral("alpha beta\ngamma\ndelta"));
    }

    void cleanup() { tearDown(); }

    void toggles_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("before");   // plain, styled, mixed
        QTest::addColumn<bool>("after");
        const struct { const char *name; int style; } styles[] = {
            {"bold", modFormat::Bold}, {"underline", modFormat::Underline},
            {"italic", modFormat::Italic}, {"strikethru", modFormat::StrikeThru}};
        for (const auto &s : styles) {
            QTest::addRow("%s: plain becomes styled", s.name) << s.style << "plain" << true;
            QTest::addRow("%s: styled becomes plain", s.name) << s.style << "styled" << false;
            QTest::addRow("%s: mixed becomes styled", s.name) << s.style << "mixed" << true;
        }
    }

    // The menu command, then the button and check mark from what the
    // selection reads; a mixed selection goes all styled, then all plain.
    void toggles()
    {
        QFETCH(int, style);
        QFETCH(QString, before);
        QFETCH(bool, after);
        using Reader = std::optional<bool> (RichTextBox::*)() const;
        using Writer = void (RichTextBox::*)(bool);
        const struct { Reader read; Writer write; void (*command)(); const char *key; const char *entry; } parts[] = {
            {&RichTextBox::SelBold, &RichTextBox::SetSelBold, modFormat::menuFormatFontBold_Click, "bold", "menuFormatFontBold"},
            {&RichTextBox::SelUnderline, &RichTextBox::SetSelUnderline, modFormat::menuFormatFontUnderline_Click, "under", "menuFormatFontUnderline"},
            {&RichTextBox::SelItalic, &RichTextBox::SetSelItalic, modFormat::menuFormatFontItalic_Click, "italic", "menuFormatFontItalic"},
            {&RichTextBox::SelStrikeThru, &RichTextBox::SetSelStrikeThru, modFormat::menuFormatFontStrikethru_Click, "strikethru", "menuFormatFontStrikethru"}};
        const auto &p = parts[style];

        if (before != QLatin1String("plain")) {
            // "beta" alone, or all of "alpha beta"
            select(rtf(), before == QLatin1String("mixed") ? 6 : 0, before == QLatin1String("mixed") ? 4 : 10);
            (rtf()->*p.write)(true);
        }
        select(rtf(), 0, 10);
        QCOMPARE((rtf()->*p.read)(), before == QLatin1String("mixed") ? std::optional<bool>()
                                                                       : std::optional<bool>(before != QLatin1String("plain")));
        p.command();
        QCOMPARE((rtf()->*p.read)(), std::optional<bool>(after));
        QCOMPARE(button(p.key)->isChecked(), after);
        QCOMPARE(entry(p.entry)->isChecked(), after);

        p.command();
        QCOMPARE((rtf()->*p.read)(), std::optional<bool>(!after));
        QCOMPARE(button(p.key)->isChecked(), !after);
        QCOMPARE(entry(p.entry)->isChecked(), !after);
        QVERIFY(messages().isEmpty());
    }

    // A cancelled dialog leaves the text's colour; a chosen one colours it
    // and is where the dialog opens next time.
    void colour()
    {
        select(rtf(), 0, 5);
        rtf()->SetSelColor(0x0000ff);
        ModalSeam::queue(QVariant());
        modFormat::menuFormatFontColor_Click();
        QCOMPARE(rtf()->SelColor(), std::optional<int>(0x0000ff));
        QCOMPARE(ModalSeam::asked().last().title, QStringLiteral("Pick Font Color . . ."));
        QCOMPARE(m_main->cd1->Flags(), int(CommonDialog::cdlCCRGBInit));

        ModalSeam::queue(0x00ff00);
        modFormat::menuFormatFontColor_Click();
        QCOMPARE(rtf()->SelColor(), std::optional<int>(0x00ff00));
        QCOMPARE(m_main->cd1->Color(), 0x00ff00);
        QCOMPARE(ModalSeam::asked().size(), 2);
    }

    // The whole font in one step, its size too; a cancelled dialog changes
    // nothing; the style buttons follow.
    void font()
    {
        select(rtf(), 0, 5);
        rtf()->SetSelColor(0xff0000);
        ModalSeam::queue(QVariant());
        modFormat::mnufont_Click();
        QCOMPARE(rtf()->SelBold(), std::optional<bool>(false));

        QFont chosen(QStringLiteral("DejaVu Serif"), 22);
        chosen.setBold(true);
        chosen.setStrikeOut(true);
        ModalSeam::queue(QVariant::fromValue(chosen));
        modFormat::mnufont_Click();
        QCOMPARE(m_main->cd1->Flags(), 259);
        QCOMPARE(rtf()->SelFontName(), std::optional<QString>(QStringLiteral("DejaVu Serif")));
        QCOMPARE(rtf()->SelFontSize(), std::optional<double>(22));
        QCOMPARE(rtf()->SelBold(), std::optional<bool>(true));
        QCOMPARE(rtf()->SelStrikeThru(), std::optional<bool>(true));
        QCOMPARE(rtf()->SelItalic(), std::optional<bool>(false));
        QCOMPARE(rtf()->SelColor(), std::optional<int>(0xff0000));
        QVERIFY(button("bold")->isChecked());
        QVERIFY(button("strikethru")->isChecked());
        QVERIFY(!button("italic")->isChecked());
        rtf()->undo();
        QCOMPARE(rtf()->SelBold(), std::optional<bool>(false));
        QCOMPARE(rtf()->SelFontSize(), std::optional<double>(10));
    }

    void alignment_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("buttonsBefore");   // left, center, right: 1 pressed
        QTest::addColumn<QString>("buttonsAfter");
        QTest::addColumn<QString>("entriesBefore");
        QTest::addColumn<QString>("entriesAfter");
        QTest::addColumn<int>("code");
        QTest::newRow("left from nothing") << "left" << "000" << "100" << "000" << "100" << 0;
        QTest::newRow("centre releases only left of both") << "center" << "101" << "011" << "101" << "011" << 2;
        QTest::newRow("centre releases right") << "center" << "001" << "010" << "001" << "010" << 2;
        QTest::newRow("right releases centre") << "right" << "010" << "001" << "010" << "001" << 1;
        QTest::newRow("right clears left mark first") << "right" << "110" << "101" << "110" << "011" << 1;
        QTest::newRow("left releases centre before right") << "left" << "011" << "101" << "011" << "101" << 0;
    }

    // Own button and mark on; of the other two, only the first found on (in
    // the command's order) is turned off.
    void alignment()
    {
        QFETCH(QString, command);
        QFETCH(QString, buttonsBefore);
        QFETCH(QString, buttonsAfter);
        QFETCH(QString, entriesBefore);
        QFETCH(QString, entriesAfter);
        QFETCH(int, code);
        const char *keys[] = {"left", "center", "right"};
        const char *entries[] = {"mnuFormatAlignLeft", "mnuFormatAlignCenter", "mnuFormatAlignRight"};
        select(rtf(), 3, 10);   // two paragraphs
        for (int i = 0; i < 3; ++i) {
            button(keys[i])->setChecked(buttonsBefore.at(i) == u'1');
            entry(entries[i])->setCheckable(true);
            entry(entries[i])->setChecked(entriesBefore.at(i) == u'1');
        }
        if (command == QLatin1String("left"))
            modParagraph::mnuFormatAlignLeft_Click();
        else if (command == QLatin1String("center"))
            modParagraph::mnuFormatAlignCenter_Click();
        else
            modParagraph::mnuFormatAlignRight_Click();
        QCOMPARE(rtf()->SelAlignment(), std::optional<int>(code));
        QString buttons, marks;
        for (int i = 0; i < 3; ++i) {
            buttons += QLatin1Char(button(keys[i])->isChecked() ? '1' : '0');
            marks += QLatin1Char(entry(entries[i])->isChecked() ? '1' : '0');
        }
        QCOMPARE(buttons, buttonsAfter);
        QCOMPARE(marks, entriesAfter);
    }

    // The format bar aligns only: the menu marks stay, the buttons show the
    // paragraphs' alignment; a mixed selection shows none.
    void alignFromBar()
    {
        entry("mnuFormatAlignLeft")->setCheckable(true);
        entry("mnuFormatAlignLeft")->setChecked(true);
        select(rtf(), 0, 0);
        modParagraph::AlignFromBar(RichTextBox::rtfCenter);
        QCOMPARE(rtf()->SelAlignment(), std::optional<int>(2));
        QVERIFY(button("center")->isChecked());
        QVERIFY(entry("mnuFormatAlignLeft")->isChecked());
        select(rtf(), 0, 14);
        QCOMPARE(rtf()->SelAlignment(), std::optional<int>());
    }

    // Mixed goes all bulleted; taking the bullets away clears the hanging
    // indent; each toggle is one undo step.
    void bullets()
    {
        select(rtf(), 0, 0);
        rtf()->SetSelBullet(true);
        select(rtf(), 0, 14);
        QCOMPARE(rtf()->SelBullet(), std::optional<bool>());
        modParagraph::menuInsertBullets_Click();
        QCOMPARE(rtf()->SelBullet(), std::optional<bool>(true));
        QVERIFY(button("bullet")->isChecked());

        rtf()->SetSelHangingIndent(360);
        modParagraph::menuInsertBullets_Click();
        QCOMPARE(rtf()->SelBullet(), std::optional<bool>(false));
        QCOMPARE(rtf()->SelHangingIndent(), std::optional<int>(0));
        QVERIFY(!button("bullet")->isChecked());

        // Undo leaves a caret; the same paragraphs are looked at again.
        rtf()->undo();
        select(rtf(), 0, 14);
        QCOMPARE(rtf()->SelBullet(), std::optional<bool>(true));
        QCOMPARE(rtf()->SelHangingIndent(), std::optional<int>(360));
        QVERIFY(messages().isEmpty());
    }
};

QTEST_MAIN(tst_formatting)
#include "tst_formatting.moc"
