#include "QuilletTest.h"
#include "editing/frmSymbols.h"
#include "platform/SystemMessageBox.h"
#include "spelling/modSpellCheck.h"

#include <QClipboard>
#include <QPushButton>
#include <QListWidget>
#include <QPainter>
#include <QMdiSubWindow>
#include <QSlider>
#include <QToolBar>
#include <QToolButton>
#include <functional>

// The editing commands as the user reaches them: a click on each toolbar
// button, and keys typed into the focused document of the shown window.
class tst_commands : public QuilletTest::MainWindowTest
{
    Q_OBJECT

    void click(const QString &key)
    {
        QAction *action = m_main->Button(key);
        QVERIFY2(action, qPrintable(key));
        QToolBar *bar = m_main->stdbar->actions().contains(action) ? m_main->stdbar : m_main->formatbar;
        auto *button = qobject_cast<QToolButton *>(bar->widgetForAction(action));
        QVERIFY2(button && button->isVisible(), qPrintable(key));
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // "alpha beta" / "gamma!" with "alpha" selected; the "!" was typed
    // last, so an undo takes it away.
    void prepareText()
    {
        rtf()->SetText(QStringLiteral("alpha beta\ngamma"));
        rtf()->SetSelStart(16);
        rtf()->SetSelText(QStringLiteral("!"));
        rtf()->SetSelStart(0);
        rtf()->SetSelLength(5);
    }

private slots:
    void initTestCase() { setUpOnce(); }
    void init() { setUp(); }
    void cleanup()
    {
        modSpellCheck::Reset();
        tearDown();
    }

    void toolbarKeys_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariantList>("answers");   // for the questions it asks
        for (const char *key : {"new", "cut", "copy", "paste", "undo", "bold", "under", "italic",
                                "strikethru", "left", "center", "right", "bullet"})
            QTest::newRow(key) << key << QVariantList();
        QTest::newRow("open") << "open" << QVariantList{QString(), QStringLiteral("OK")};
        QTest::newRow("save") << "save" << QVariantList{QString()};
        QTest::newRow("print") << "print" << QVariantList{false};
        QTest::newRow("find") << "find" << QVariantList{true};
        QTest::newRow("redo") << "redo" << QVariantList{QStringLiteral("OK")};
        QTest::newRow("help") << "help" << QVariantList{QStringLiteral("OK")};
        QTest::newRow("spellcheck") << "spellcheck" << QVariantList{int(SystemMessageBox::vbOK)};
        QTest::newRow("fontColor") << "fontColor" << QVariantList{0x0000ff};
    }

    // Every button of both bars runs its command on the active document.
    void toolbarKeys()
    {
        QFETCH(QString, key);
        QFETCH(QVariantList, answers);
        prepareText();
        QGuiApplication::clipboard()->setText(QStringLiteral("XY"));
        queueAnswers(answers);
        RichTextBox *r = rtf();
        click(key);

        const QString notice = QStringLiteral(
            "This feature couldn't be implemented as of this release, but will be in the near future Thank you !");
        const QString text = r->Text().replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        const std::map<QString, std::function<bool()>> ran = {
            {"new", [&] { return m_main->documents().size() == 2 && rtf() != r; }},
            {"open", [&] { return QuilletTest::askedOf(QStringLiteral("open")).size() == 1; }},
            {"save", [&] { return QuilletTest::askedOf(QStringLiteral("save")).size() == 1; }},
            {"print", [&] { return QuilletTest::askedOf(QStringLiteral("print")).size() == 1 && r->SelLength() == 5; }},
            {"cut", [&] { return text == QStringLiteral(" beta\ngamma!") && QGuiApplication::clipboard()->text() == QStringLiteral("alpha"); }},
            {"copy", [&] { return text.startsWith(QStringLiteral("alpha")) && QGuiApplication::clipboard()->text() == QStringLiteral("alpha"); }},
            {"paste", [&] { return text == QStringLiteral("XY beta\ngamma!"); }},
            {"undo", [&] { return text == QStringLiteral("alpha beta\ngamma"); }},
            {"find", [&] { return QuilletTest::askedOf(QStringLiteral("dialog")).size() == 1; }},
            {"redo", [&] { return QuilletTest::messages() == QStringList{notice} && text.endsWith(u'!'); }},
            {"help", [&] { return QuilletTest::messages() == QStringList{notice}; }},
            {"bold", [&] { return r->SelBold() == true; }},
            {"under", [&] { return r->SelUnderline() == true; }},
            {"italic", [&] { return r->SelItalic() == true; }},
            {"strikethru", [&] { return r->SelStrikeThru() == true; }},
            {"left", [&] { return r->SelAlignment() == RichTextBox::rtfLeft; }},
            {"center", [&] { return r->SelAlignment() == RichTextBox::rtfCenter; }},
            {"right", [&] { return r->SelAlignment() == RichTextBox::rtfRight; }},
            {"bullet", [&] { return r->SelBullet() == true; }},
            {"spellcheck", [&] { return modSpellCheck::wordApp() != nullptr; }},
            {"fontColor", [&] { return r->SelColor() == 0x0000ff; }},
        };
        QVERIFY2(ran.count(key), "a key without a check");
        QVERIFY(ran.at(key)());
        QCOMPARE(ModalSeam::pending(), 0);
        // A latching button shows what its command left, not the click.
        if (m_main->Button(key)->isCheckable())
            QVERIFY(m_main->Button(key)->isChecked());
    }

    void keysInTheDocument_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Ctrl+B bolds") << int(Qt::Key_B);
        QTest::newRow("Ctrl+I italicises") << int(Qt::Key_I);
        QTest::newRow("Ctrl+U underlines") << int(Qt::Key_U);
        QTest::newRow("Ctrl+Z undoes the last command") << int(Qt::Key_Z);
        QTest::newRow("Ctrl+T strikes through, then selects the sentence") << int(Qt::Key_T);
    }

    // Keys typed into the shown window reach the commands through the focused
    // text, as the user's keys do.
    void keysInTheDocument()
    {
        QFETCH(int, key);
        QVERIFY(QuilletTest::activate(m_main));
        rtf()->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(rtf()));
        QuilletTest::typeText(QStringLiteral("One. Two words here. Three"));
        rtf()->SetSelStart(5);
        rtf()->SetSelLength(3);   // "Two"
        rtf()->SetSelBold(true);
        QuilletTest::ctrlChord(Qt::Key(key));
        // Ctrl+T's release selects the sentence around the caret.
        if (key == Qt::Key_T)
            QCOMPARE(rtf()->SelText(), QStringLiteral(" Two words here"));
        rtf()->SetSelStart(5);
        rtf()->SetSelLength(3);
        switch (key) {
        case Qt::Key_B:
            QCOMPARE(rtf()->SelBold(), std::optional<bool>(false));
            QVERIFY(!m_main->Button(QStringLiteral("bold"))->isChecked());
            break;
        case Qt::Key_I:
            QCOMPARE(rtf()->SelItalic(), std::optional<bool>(true));
            break;
        case Qt::Key_U:
            QCOMPARE(rtf()->SelUnderline(), std::optional<bool>(true));
            break;
        case Qt::Key_Z:
            QCOMPARE(rtf()->SelBold(), std::optional<bool>(false));
            QCOMPARE(rtf()->Text(), QStringLiteral("One. Two words here. Three"));
            break;
        case Qt::Key_T:
            QCOMPARE(rtf()->SelStrikeThru(), std::optional<bool>(true));
            break;
        }
        QVERIFY(ModalSeam::asked().isEmpty());
    }

    void withoutDocument_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("message");
        const QString none = QStringLiteral("No document is open !");
        for (const char *entry : {"menuFormatFontBold", "menuFormatFontUnderline", "menuFormatFontItalic",
                                  "menuFormatFontStrikethru", "menuFormatFontColor", "mnufont", "undo",
                                  "menuInsertBullets", "bullet", "menuInsertSymbols", "menuInsertDateTime",
                                  "menuPrint", "ppreview", "menuFileExportPdf"})
            QTest::newRow(entry) << entry << none;
        QTest::newRow("menuEditSelectAll") << "menuEditSelectAll" << "No open documents !";
        for (const char *entry : {"cut", "copy", "paste", "mnuFormatAlignCenter"})
            QTest::newRow(entry) << entry << QString();
    }

    // With no document the menu says so (or stays silent, where that is the
    // rule); the format bar is disabled and takes no click, a slider moves
    // nothing; no style button changes.
    void withoutDocument()
    {
        QFETCH(QString, entry);
        QFETCH(QString, message);
        for (frmDoc *d : m_main->documents())
            d->subWindow()->close();
        QTRY_VERIFY(!m_main->formatbar->isEnabled());
        ModalSeam::reset();
        if (!message.isEmpty())
            ModalSeam::queue(QStringLiteral("OK"));
        QGuiApplication::clipboard()->setText(QStringLiteral("held"));
        m_main->Menu(entry)->trigger();
        m_main->formatbar_ButtonClick(m_main->Button(QStringLiteral("bold")));
        m_main->sliderIndent->setValue(m_main->sliderIndent->value() + 1);
        QCOMPARE(QuilletTest::messages(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(ModalSeam::asked().size(), QuilletTest::messages().size());
        for (const char *key : {"bold", "under", "italic", "strikethru", "bullet"})
            QVERIFY2(!m_main->Button(QLatin1String(key))->isChecked(), key);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("held"));
        // The next document brings the format bar back.
        m_main->Menu(QStringLiteral("new"))->trigger();
        QVERIFY(m_main->formatbar->isEnabled());
    }

    // A document formatted through the commands, and the symbols dialog:
    // the README's pictures, saved when QUILLET_SCREENSHOTS names a folder.
    void screenshots()
    {
        m_main->resize(1000, 560);
        m_main->Menu(QStringLiteral("menuViewFileExplorer"))->trigger();
        doc()->subWindow()->showMaximized();
        RichTextBox *r = rtf();
        r->SetText(QStringLiteral(
            "Quillet at a glance\n"
            "Bold, italic and underlined words, in colour, sit beside plain ones.\n"
            "Bullets make a list\nof short points\nlike these\n"
            "An indented paragraph steps in from the left margin, and its following lines "
            "hang further in, where the two rulers above set them. Both rulers act on every "
            "paragraph the selection touches, and the saved file keeps what they set."));
        // Positions count one character per paragraph break.
        auto select = [r](const QString &part, int length = -1) {
            r->SetSelStart(int(r->document()->toPlainText().indexOf(part)));
            r->SetSelLength(length < 0 ? int(part.size()) : length);
        };
        auto run = [this](const char *name, const QVariant &answer = QVariant()) {
            if (answer.isValid())
                ModalSeam::queue(answer);
            m_main->Menu(QLatin1String(name))->trigger();
        };
        select(QStringLiteral("Quillet at a glance"));
        run("mnuFormatAlignCenter");
        run("menuFormatFontBold");
        run("menuFormatFontColor", 0x8b3a00);
        r->SetSelFontSize(16);
        select(QStringLiteral("Bold"));
        run("menuFormatFontBold");
        select(QStringLiteral("italic"));
        run("menuFormatFontItalic");
        run("menuFormatFontColor", 0x2020c0);
        select(QStringLiteral("underlined"));
        run("menuFormatFontUnderline");
        run("menuFormatFontColor", 0x008000);
        select(QStringLiteral("Bullets"), 40);
        run("menuInsertBullets");
        select(QStringLiteral("An indented"));
        m_main->sliderHangingIndent->setValue(2);
        m_main->sliderIndent->setValue(1);
        QCOMPARE(r->SelIndent(), std::optional<int>(r->RightMargin() / 9));
        r->SetSelStart(0);
        // The window's layout settles once the explorer pane has gone.
        QCoreApplication::processEvents();
        const QImage window = m_main->grab().toImage();

        QImage symbols;
        ModalSeam::queue([&symbols](const ModalSeam::Question &q) {
            auto *dialog = qobject_cast<frmSymbols *>(q.dialog);
            if (!dialog)
                return QVariant(false);
            dialog->show();
            dialog->lstSymbols->setCurrentRow(168);   // the copyright sign
            symbols = QuilletTest::withCaption(dialog);
            dialog->cmdInsert->click();
            dialog->close();
            return QVariant(true);
        });
        run("menuInsertSymbols");
        QCOMPARE(r->Text().left(1), QStringLiteral("\u00a9"));
        QVERIFY(!window.isNull() && !symbols.isNull());

        const QString folder = qEnvironmentVariable("QUILLET_SCREENSHOTS");
        if (!folder.isEmpty()) {
            QVERIFY(window.save(folder + QStringLiteral("/formatted.png")));
            QVERIFY(symbols.save(folder + QStringLiteral("/symbols.png")));
        }
    }
};

QTEST_MAIN(tst_commands)
#include "tst_commands.moc"
