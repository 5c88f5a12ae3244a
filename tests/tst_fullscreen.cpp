// Full-screen editing: the content's trip there and back, with its
// formatting, without the clipboard, into the document that entered.
#include "documents/frmDoc.h"
#include "documents/modDocument.h"
#include "fullscreen/frmFScreen.h"
#include "fullscreen/frmFScreenB.h"
#include "fullscreen/modFullScreen.h"
#include "platform/ModalSeam.h"
#include "platform/RichTextBox.h"
#include "shell/frmMain.h"
#include "shell/genMod.h"
#include "shell/modRegistry.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

namespace {
const QByteArray Sample = QByteArrayLiteral(
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Verdana;}}{\\colortbl;\\red200\\green0\\blue0;}"
    "\\f0\\fs20 {\\b Bold} and {\\cf1 red}\\par\\qc centred\\par}");

void clickReturnButton()
{
    frmFScreenB *floating = frmFScreenB::instance();
    QVERIFY(floating);
    QWidget *button = floating->tbrFull->widgetForAction(floating->Button("FullScreen"));
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

void checkSampleFormatting(RichTextBox *box)
{
    QVERIFY(box->Text().startsWith(QStringLiteral("Bold and red\r\ncentred")));
    box->SetSelStart(0);
    box->SetSelLength(4);
    QCOMPARE(box->SelBold(), std::optional<bool>(true));
    box->SetSelStart(9);
    box->SetSelLength(3);
    QCOMPARE(box->SelColor(), std::optional<int>(0x0000C8));
    box->SetSelStart(14);
    QCOMPARE(box->SelAlignment(), std::optional<int>(RichTextBox::rtfCenter));
}
}

class tst_fullscreen : public QObject
{
    Q_OBJECT
    frmMain *m_main = nullptr;

    frmDoc *document1() { return m_main->documents().value(0); }

private slots:
    void initTestCase()
    {
        static QTemporaryDir config;
        QVERIFY(config.isValid());
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
        ModalSeam::setStrict(true);
        modRegistry::CreateSettingsKey(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey);
        modRegistry::SetSettingValue(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey,
                                     QStringLiteral("Show Tips at Startup"), QStringLiteral("0"));
    }
    void init()
    {
        ModalSeam::reset();
        genMod::ResetNewDocumentCounter();
        modDocument::ResetCreatedDocumentCounter();
        m_main = new frmMain;
        m_main->MDIForm_Load();
        m_main->show();
        QGuiApplication::clipboard()->setText(QStringLiteral("the user's clipboard"));
    }
    void cleanup()
    {
        modFullScreen::Leave();
        QTRY_VERIFY(!frmFScreen::instance() && !frmFScreenB::instance());
        for (frmDoc *doc : m_main->documents())
            doc->bChanged = false;
        delete std::exchange(m_main, nullptr);
        QCOMPARE(ModalSeam::unanswered(), 0);
    }

    void roundTripKeepsFormattingAndClipboard()
    {
        frmDoc *doc = document1();
        doc->rtf1->SetSelRTF(Sample);
        doc->bChanged = false;

        modFullScreen::Enter(doc);
        frmFScreen *screen = frmFScreen::instance();
        QVERIFY(screen && screen->isVisible());
        // The progress window went once the bar was full.
        auto progressShown = [] {
            const QWidgetList windows = QApplication::topLevelWidgets();
            return std::any_of(windows.begin(), windows.end(), [](QWidget *w) {
                return w->objectName() == QLatin1String("progressForm") && w->isVisible();
            });
        };
        QVERIFY(!progressShown());
        QCOMPARE(screen->geometry(), m_main->screen()->geometry());
        QCOMPARE(screen->FSRTB->geometry(), screen->rect());
        QCOMPARE(screen->FSRTB->SelStart(), 0);
        QCOMPARE(screen->FSRTB->SelLength(), 0);
        checkSampleFormatting(screen->FSRTB);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("the user's clipboard"));

        // Typed in full screen, at the start.
        screen->FSRTB->SetSelStart(0);
        QTest::keyClicks(screen->FSRTB, "New ");
        clickReturnButton();
        QTRY_VERIFY(!frmFScreen::instance() && !frmFScreenB::instance());

        QVERIFY(doc->rtf1->Text().startsWith(QStringLiteral("New Bold and red")));
        QCOMPARE(doc->rtf1->SelStart(), 0);
        QVERIFY(doc->bChanged);
        QVERIFY(doc->Caption().endsWith('*'));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("the user's clipboard"));
        QCOMPARE(m_main->ActiveForm(), doc);
    }

    void formattingSurvivesUntouched()
    {
        frmDoc *doc = document1();
        doc->rtf1->SetSelRTF(Sample);
        modFullScreen::Enter(doc);
        clickReturnButton();
        QTRY_VERIFY(!frmFScreen::instance());
        checkSampleFormatting(doc->rtf1);
    }

    void emptyDocumentStaysEmpty()
    {
        frmDoc *doc = document1();
        modFullScreen::Enter(doc);
        QVERIFY(frmFScreen::instance()->FSRTB->Text().isEmpty());
        clickReturnButton();
        QTRY_VERIFY(!frmFScreen::instance());
        QVERIFY(doc->rtf1->Text().isEmpty());
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("the user's clipboard"));
    }

    void returnsToTheDocumentThatEntered()
    {
        frmDoc *first = document1();
        first->rtf1->SetText(QStringLiteral("first"));
        frmDoc *second = genMod::NewDocument();
        second->rtf1->SetText(QStringLiteral("second"));
        m_main->mdiArea->setActiveSubWindow(first->subWindow());

        modFullScreen::Enter(first);
        frmFScreen::instance()->FSRTB->SetSelStart(5);
        frmFScreen::instance()->FSRTB->SetSelText(QStringLiteral(" edited"));
        m_main->mdiArea->setActiveSubWindow(second->subWindow());
        QCOMPARE(m_main->ActiveForm(), second);
        clickReturnButton();
        QTRY_VERIFY(!frmFScreen::instance());

        QCOMPARE(first->rtf1->Text(), QStringLiteral("first edited"));
        QCOMPARE(second->rtf1->Text(), QStringLiteral("second"));
        QCOMPARE(m_main->ActiveForm(), first);
    }

    void closedDocumentComesBackInANewWindow()
    {
        frmDoc *doc = document1();
        doc->rtf1->SetText(QStringLiteral("keep this"));
        doc->bChanged = false;
        modFullScreen::Enter(doc);
        QPointer<frmDoc> gone = doc;
        doc->subWindow()->close();
        QTRY_VERIFY(!gone);
        QVERIFY(m_main->documents().isEmpty());

        clickReturnButton();
        QTRY_VERIFY(!frmFScreen::instance());
        QCOMPARE(m_main->documents().size(), 1);
        frmDoc *fresh = m_main->ActiveForm();
        QVERIFY(fresh);
        QCOMPARE(fresh->rtf1->Text(), QStringLiteral("keep this"));
        QCOMPARE(fresh->Caption().remove('*'), QStringLiteral("Document 2"));
    }

    void closingTheScreenLeavesTheSameWay()
    {
        frmDoc *doc = document1();
        doc->rtf1->SetText(QStringLiteral("text"));
        modFullScreen::Enter(doc);
        frmFScreen::instance()->FSRTB->SetSelStart(4);
        frmFScreen::instance()->FSRTB->SetSelText(QStringLiteral("!"));
        QVERIFY(frmFScreen::instance()->close());
        QTRY_VERIFY(!frmFScreen::instance() && !frmFScreenB::instance());
        QCOMPARE(doc->rtf1->Text(), QStringLiteral("text!"));
    }

    void floatingWindowStaysOnTopAndCannotBeClosed()
    {
        modFullScreen::Enter(document1());
        frmFScreenB *floating = frmFScreenB::instance();
        QVERIFY(floating && floating->isVisible());
        QCOMPARE(floating->windowTitle(), QStringLiteral("Full Screen"));
        QVERIFY(floating->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!(floating->windowFlags() & Qt::WindowCloseButtonHint));
        QCOMPARE(floating->Button("FullScreen")->toolTip(), QStringLiteral("Return to Normal Mode"));
        QVERIFY(!floating->close());
        QVERIFY(floating->isVisible());
        QVERIFY(frmFScreen::instance());
        // Another key on the toolbar does nothing.
        QAction other(QStringLiteral("other"));
        other.setObjectName(QStringLiteral("other"));
        floating->tbrFull_ButtonClick(&other);
        QVERIFY(frmFScreen::instance());
    }

    void enteringTwiceAddsNothing()
    {
        frmDoc *doc = document1();
        doc->rtf1->SetText(QStringLiteral("once"));
        modFullScreen::Enter(doc);
        modFullScreen::Enter(doc);
        QCOMPARE(frmFScreen::instance()->FSRTB->Text(), QStringLiteral("once"));
        clickReturnButton();
        QTRY_VERIFY(!frmFScreen::instance());
        QCOMPARE(doc->rtf1->Text(), QStringLiteral("once"));
    }

    void noDocument()
    {
        ModalSeam::queue(QVariant(QStringLiteral("OK")));
        modFullScreen::Enter(nullptr);
        QCOMPARE(ModalSeam::asked().size(), 1);
        QCOMPARE(ModalSeam::asked().at(0).text, QStringLiteral("No open documents !"));
        QCOMPARE(ModalSeam::asked().at(0).title, QStringLiteral("Quillet"));
        QVERIFY(!frmFScreen::instance());
    }
};

QTEST_MAIN(tst_fullscreen)
#include "tst_fullscreen.moc"
