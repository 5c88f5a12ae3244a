// Start-up from genMod::Main: the splash, its steps, early dismissal, and
// the state the user finds when it is over.
#include "documents/frmDoc.h"
#include "documents/modDocument.h"
#include "platform/ModalSeam.h"
#include "platform/RichTextBox.h"
#include "shell/frmMain.h"
#include "shell/frmSplash.h"
#include "shell/genMod.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Watches the splash from the moment it is shown: the progress values it
// passes through, and whether it went away before the main window showed.
class SplashWatcher : public QObject
{
public:
    enum Dismiss { None, Key, Mouse, NonCharacterKey };
    explicit SplashWatcher(Dismiss dismiss) : m_dismiss(dismiss) { qApp->installEventFilter(this); }
    ~SplashWatcher() override { qApp->removeEventFilter(this); }

    QList<int> values;
    bool splashSeen = false;
    bool splashHiddenBeforeMainShown = false;
    bool mainShown = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (auto *splash = qobject_cast<frmSplash *>(watched)) {
            if (event->type() == QEvent::Show && !splashSeen) {
                splashSeen = true;
                connect(splash->ProgressBar1, &QProgressBar::valueChanged, this,
                        [this](int v) { values << v; });
                // Posted now, handled when Main lets window messages through.
                if (m_dismiss == Key || m_dismiss == NonCharacterKey) {
                    const bool character = m_dismiss == Key;
                    QCoreApplication::postEvent(
                        splash, new QKeyEvent(QEvent::KeyPress, character ? Qt::Key_A : Qt::Key_Shift,
                                              Qt::NoModifier, character ? QStringLiteral("a") : QString()));
                } else if (m_dismiss == Mouse) {
                    const QPointF at(20, 20);
                    QCoreApplication::postEvent(
                        splash, new QMouseEvent(QEvent::MouseButtonRelease, at, splash->mapToGlobal(at),
                                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
                }
            } else if (event->type() == QEvent::Hide && !mainShown) {
                splashHiddenBeforeMainShown = true;
            }
        } else if (qobject_cast<frmMain *>(watched) && event->type() == QEvent::Show) {
            mainShown = true;
        }
        return false;
    }

private:
    Dismiss m_dismiss;
};

QList<QWidget *> visibleSplashes()
{
    QList<QWidget *> found;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (qobject_cast<frmSplash *>(w) && w->isVisible())
            found << w;
    }
    return found;
}
}

class tst_shell_startup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startUp_data();
    void startUp();

private:
    QTemporaryDir m_config;
};

void tst_shell_startup::initTestCase()
{
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    ModalSeam::setStrict(true);
}

void tst_shell_startup::init()
{
    ModalSeam::reset();
    genMod::ResetNewDocumentCounter();
    modDocument::ResetCreatedDocumentCounter();
    genMod::SetCommandLine(QString());
}

void tst_shell_startup::cleanup()
{
    delete frmMain::instance();
    QVERIFY(!frmMain::instance());
    QTRY_VERIFY(visibleSplashes().isEmpty());
    QCOMPARE(ModalSeam::unanswered(), 0);
}

void tst_shell_startup::startUp_data()
{
    QTest::addColumn<int>("dismiss");
    QTest::addColumn<bool>("closedEarly");
    QTest::addColumn<QList<int>>("steps");
    QTest::newRow("left alone") << int(SplashWatcher::None) << false << QList<int>{10, 20, 30, 40, 50};
    QTest::newRow("key pressed on the splash") << int(SplashWatcher::Key) << true << QList<int>{};
    QTest::newRow("mouse released on the splash") << int(SplashWatcher::Mouse) << true << QList<int>{};
    QTest::newRow("a key without a character") << int(SplashWatcher::NonCharacterKey) << false
                                               << QList<int>{10, 20, 30, 40, 50};
}

void tst_shell_startup::startUp()
{
    QFETCH(int, dismiss);
    QFETCH(bool, closedEarly);
    QFETCH(QList<int>, steps);

    SplashWatcher watcher{SplashWatcher::Dismiss(dismiss)};
    genMod::Main();

    QVERIFY(watcher.splashSeen);
    QCOMPARE(watcher.splashHiddenBeforeMainShown, closedEarly);
    if (!closedEarly)
        QCOMPARE(watcher.values, steps);
    QVERIFY(visibleSplashes().isEmpty());

    frmMain *main = frmMain::instance();
    QVERIFY(main);
    QVERIFY(main->isVisible());
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget *>(main));

    QCOMPARE(main->documents().size(), 1);
    frmDoc *doc = main->ActiveForm();
    QVERIFY(doc);
    QCOMPARE(doc->Caption(), QStringLiteral("Document 1"));
    QCOMPARE(doc->rtf1->FontName(), QStringLiteral("Verdana"));
    QCOMPARE(doc->rtf1->FontSize(), 10.0);
    QCOMPARE(main->Combo1->currentText(), QStringLiteral("Verdana"));
    QCOMPARE(main->Combo2->currentText(), QStringLiteral("10"));
}

QTEST_MAIN(tst_shell_startup)
#include "tst_shell_startup.moc"
