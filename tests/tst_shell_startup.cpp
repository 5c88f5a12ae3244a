// Start-up from genMod::Main: the splash, its steps, early dismissal, and
// the state the user finds when it is over.
#include "QuilletTest.h"
#include "shell/frmSplash.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QProgressBar>

namespace {
// Watches the splash from the moment it is shown: the progress values it
// passes through, and whether it went away before the main window showed.
// The dismissal is posted then, and handled when Main lets events through.
struct SplashWatcher : QObject
{
    QString dismiss;
    QPointer<frmSplash> splash;
    QList<int> values;
    bool hiddenEarly = false;
    bool mainShown = false;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *seen = qobject_cast<frmSplash *>(watched);
        if (seen && event->type() == QEvent::Show && !splash) {
            splash = seen;
            connect(seen->ProgressBar1, &QProgressBar::valueChanged, this, [this](int v) { values << v; });
            const QPointF at(20, 20);
            if (dismiss == QLatin1String("key"))
                QCoreApplication::postEvent(seen, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
            else if (dismiss == QLatin1String("shift"))
                QCoreApplication::postEvent(seen, new QKeyEvent(QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier));
            else if (dismiss == QLatin1String("mouse"))
                QCoreApplication::postEvent(seen, new QMouseEvent(QEvent::MouseButtonRelease, at, seen->mapToGlobal(at),
                                                                  Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
        } else if (seen && event->type() == QEvent::Hide && !mainShown) {
            hiddenEarly = true;
        } else if (qobject_cast<frmMain *>(watched) && event->type() == QEvent::Show) {
            mainShown = true;
        }
        return false;
    }
};
}

class tst_shell_startup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QuilletTest::isolate(); }
    void init() { QuilletTest::resetCounters(); }   // no command line is set: Main opens no file
    void cleanup() { QuilletTest::finish(frmMain::instance()); }

    void startUp_data()
    {
        QTest::addColumn<QString>("dismiss");
        QTest::addColumn<bool>("closedEarly");
        QTest::newRow("left alone") << "" << false;
        QTest::newRow("key pressed on the splash") << "key" << true;
        QTest::newRow("mouse released on the splash") << "mouse" << true;
        QTest::newRow("a key without a character") << "shift" << false;
    }

    void startUp()
    {
        QFETCH(QString, dismiss);
        QFETCH(bool, closedEarly);
        SplashWatcher watcher;
        watcher.dismiss = dismiss;
        qApp->installEventFilter(&watcher);
        genMod::Main();
        qApp->removeEventFilter(&watcher);

        QVERIFY(!watcher.splash || watcher.splash->isHidden());
        QCOMPARE(watcher.hiddenEarly, closedEarly);
        if (!closedEarly)
            QCOMPARE(watcher.values, QList<int>({10, 20, 30, 40, 50}));
        frmMain *main = frmMain::instance();
        QVERIFY(main && main->isVisible());
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
};

QTEST_MAIN(tst_shell_startup)
#include "tst_shell_startup.moc"
