#include "QuilletTest.h"
#include "documents/DeleteSnapshot.h"
#include "documents/frmDoc.h"
#include "platform/RichTextBox.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

// The document window's reactions to real keys and selection moves, read
// back from its caption, its flags and the main window's controls.
class tst_events_doc : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<frmMain> m_main;

    frmDoc *doc() const { return m_main->ActiveForm(); }
    RichTextBox *rtf() const { return doc()->rtf1; }
    QString panel(int i) const { return m_main->Panel(i)->text(); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QuilletTest::isolate();
    }

    void init()
    {
        DeleteSnapshot::setBaseFolder(m_dir.filePath(QStringLiteral("program")));
        m_main = std::unique_ptr<frmMain>(QuilletTest::startMain(QString(), false));
        QVERIFY(doc());
    }

    void cleanup()
    {
        m_main.reset();
        QCOMPARE(ModalSeam::unanswered(), 0);
    }

    void changeMark_data()
    {
        QTest::addColumn<QTestEventList>("keys");
        QTest::addColumn<bool>("changed");
        QTestEventList arrow;
        arrow.addKeyClick(Qt::Key_Right);
        QTest::newRow("arrow key marks the caption only") << arrow << false;
        QTestEventList typing;
        typing.addKeyClicks(QStringLiteral("ab"));
        QTest::newRow("typing marks and changes") << typing << true;
        QTestEventList emptied = typing;
        emptied.addKeyClick(Qt::Key_Backspace);
        emptied.addKeyClick(Qt::Key_Backspace);
        QTest::newRow("emptying clears the flag, keeps the mark") << emptied << false;
        // Many releases later the mark is still a single "*".
        QTestEventList retyped = emptied;
        retyped.addKeyClicks(QStringLiteral("xy"));
        retyped.addKeyClick(Qt::Key_Left);
        retyped.addKeyClick(Qt::Key_Delete);
        QTest::newRow("typing again after emptying") << retyped << true;
    }

    void changeMark()
    {
        QFETCH(QTestEventList, keys);
        QFETCH(bool, changed);
        keys.simulate(rtf());
        QCOMPARE(doc()->Caption(), QStringLiteral("Document 1*"));
        QCOMPARE(doc()->bChanged, changed);
        QCOMPARE(m_main->Menu(QStringLiteral("find"))->isEnabled(), changed);
        QCOMPARE(m_main->Button(QStringLiteral("find"))->isEnabled(), changed);
        QVERIFY(m_main->Button(QStringLiteral("save"))->isEnabled());   // also once emptied
    }

    // An opened file is loaded before its caption becomes the path; the change
    // raised by the load must not leave a mark on the path, now or later.
    void loadedFileNeverShowsTheMark()
    {
        const QString path = m_dir.filePath(QStringLiteral("opened.txt"));
        rtf()->SetText(QStringLiteral("some text"));
        QVERIFY(rtf()->SaveFile(path, RichTextBox::rtfText));
        auto *opened = new frmDoc;
        m_main->AddDocument(opened);
        QCOMPARE(doc(), opened);
        QCOMPARE(panel(frmMain::PanelWords), QStringLiteral("0"));
        QVERIFY(opened->rtf1->LoadFile(path, RichTextBox::rtfText));
        QCOMPARE(panel(frmMain::PanelWords), QStringLiteral("2"));   // the bar shows what was loaded
        opened->SetCaption(path);
        opened->bChanged = false;
        QTest::keyClicks(opened->rtf1, QStringLiteral("more"));
        QCOMPARE(opened->Caption(), path);
        QVERIFY(opened->bChanged);
    }

    // The window's key release handles Ctrl+C, V, T and W, with Ctrl alone
    // held: the control's own clipboard keys are off, so a paste goes in once.
    void ctrlKeys_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QString>("textAfter");   // null: unchanged
        QTest::addColumn<int>("startAfter");
        QTest::addColumn<int>("lengthAfter");
        QTest::addColumn<QString>("clipAfter");

        const QString one = QStringLiteral("one two three");
        const QString none = QStringLiteral("no terminator in this text");
        // Far beyond the reach of 16-bit positions.
        const QString far = QString(41000, u'x') + QStringLiteral(". Far away words? tail");
        const QString farBack = QString(40000, u'y') + u'!';
        QTest::newRow("Ctrl+T with no terminator: the whole text")
            << none << 7 << 0 << "Ctrl+T" << "clip" << QString() << 0 << int(none.size()) << "clip";
        QTest::newRow("Ctrl+W with the caret between two blanks: nothing")
            << "a  b" << 2 << 0 << "Ctrl+W" << "clip" << QString() << 2 << 0 << "clip";
        QTest::newRow("Ctrl+T beyond 40,000")
            << far << 41005 << 0 << "Ctrl+T" << "clip" << QString() << 41001 << 15 << "clip";
        QTest::newRow("Ctrl+W beyond 40,000")
            << far << 41008 << 0 << "Ctrl+W" << "clip" << QString() << 41006 << 4 << "clip";
        QTest::newRow("Ctrl+T reaching back past 32,767")
            << farBack << 39990 << 0 << "Ctrl+T" << "clip" << QString() << 0 << 40000 << "clip";
        QTest::newRow("Ctrl+V pastes once")
            << one << 4 << 0 << "Ctrl+V" << "and " << "one and two three" << 8 << 0 << "and ";
        QTest::newRow("Ctrl+V with empty clipboard keeps the selection")
            << one << 4 << 3 << "Ctrl+V" << "" << QString() << 4 << 3 << "";
        QTest::newRow("Ctrl+C copies the selection")
            << one << 4 << 3 << "Ctrl+C" << "clip" << QString() << 4 << 3 << "two";
        QTest::newRow("Ctrl+C with nothing selected keeps the clipboard")
            << one << 4 << 0 << "Ctrl+C" << "clip" << QString() << 4 << 0 << "clip";
        QTest::newRow("Ctrl+Shift+C copies nothing")
            << one << 4 << 3 << "Ctrl+Shift+C" << "clip" << QString() << 4 << 3 << "clip";
        QTest::newRow("Ctrl+Shift+W selects nothing")
            << one << 4 << 0 << "Ctrl+Shift+W" << "clip" << QString() << 4 << 0 << "clip";
        // Ctrl+Alt types as AltGr does; it does not paste.
        QTest::newRow("Ctrl+Alt+V pastes nothing")
            << one << 4 << 0 << "Ctrl+Alt+V" << "clip" << "one vtwo three" << 5 << 0 << "clip";
    }

    void ctrlKeys()
    {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(QString, keys);
        QFETCH(QString, clip);
        QFETCH(QString, textAfter);
        QFETCH(int, startAfter);
        QFETCH(int, lengthAfter);
        QFETCH(QString, clipAfter);
        QGuiApplication::clipboard()->setText(clip);
        rtf()->SetText(text);
        rtf()->SetSelStart(start);
        rtf()->SetSelLength(length);
        QTest::keySequence(rtf(), QKeySequence(keys));
        QCOMPARE(rtf()->Text(), textAfter.isNull() ? text : textAfter);
        QCOMPARE(rtf()->SelStart(), startAfter);
        QCOMPARE(rtf()->SelLength(), lengthAfter);
        QCOMPARE(QGuiApplication::clipboard()->text(), clipAfter);
    }

    void snapshotOnEveryDeleteRelease()
    {
        // A fresh folder: "temp" is made when missing.
        const QString base = m_dir.filePath(QStringLiteral("fresh"));
        DeleteSnapshot::setBaseFolder(base);
        const QString snapshot = base + QStringLiteral("/temp/$1.rtf");
        QTest::keyClicks(rtf(), QStringLiteral("Snapshot text!"));
        QTest::keyClick(rtf(), Qt::Key_Delete);   // at the end: deletes nothing
        QCOMPARE(DeleteSnapshot::lastPath(), snapshot);
        QVERIFY(QFile::remove(snapshot));
        QTest::keyClick(rtf(), Qt::Key_Home);
        QTest::keyClick(rtf(), Qt::Key_Delete);
        QCOMPARE(rtf()->Text(), QStringLiteral("napshot text!"));
        QFile written(snapshot);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray rtfBytes = written.readAll();
        QVERIFY(rtfBytes.startsWith("{\\rtf") && rtfBytes.contains("napshot text!")
                && !rtfBytes.contains("Snapshot"));
    }

    void snapshotThatCannotBeWritten_data()
    {
        QTest::addColumn<QString>("blocker");
        // Root writes anywhere; a file standing where a folder must go stops it.
        QTest::newRow("program folder is a file") << QString();
        QTest::newRow("snapshot name is a folder") << QStringLiteral("/temp/$1.rtf");
    }

    // The key still reaches the document and nothing is shown.
    void snapshotThatCannotBeWritten()
    {
        QFETCH(QString, blocker);
        const QString base = m_dir.filePath(QStringLiteral("blocked-%1").arg(QTest::currentDataTag()));
        QFile file(base);
        QVERIFY(blocker.isEmpty() ? file.open(QIODevice::WriteOnly) : QDir().mkpath(base + blocker));
        DeleteSnapshot::setBaseFolder(base);
        rtf()->SetText(QStringLiteral("abc"));
        rtf()->SetSelStart(0);
        QTest::keyClick(rtf(), Qt::Key_Delete);
        QTest::keyClick(rtf(), Qt::Key_Delete);
        QCOMPARE(rtf()->Text(), QStringLiteral("c"));
        QVERIFY(ModalSeam::asked().isEmpty());
        QVERIFY(QFileInfo::exists(base + blocker));   // what stood in the way is kept
    }

    void buttonsFollowSelection_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("length");
        QTest::addColumn<QStringList>("down");
        QTest::newRow("caret in plain text") << 2 << 0 << QStringList{"left"};
        QTest::newRow("caret in bold text") << 8 << 0 << QStringList{"bold", "left"};
        QTest::newRow("bold only in part: released") << 3 << 5 << QStringList{"left"};
        QTest::newRow("centred italic paragraph") << 14 << 0 << QStringList{"italic", "center"};
        QTest::newRow("mixed alignment: none pressed") << 2 << 14 << QStringList{};
    }

    void buttonsFollowSelection()
    {
        QFETCH(int, from);
        QFETCH(int, length);
        QFETCH(QStringList, down);
        rtf()->SetSelRTF("{\\rtf1 plain {\\b bold}\\par\\qc\\i centred\\par}");
        QCOMPARE(rtf()->Text(), QStringLiteral("plain bold\r\ncentred\r\n"));
        rtf()->SetSelStart(from);
        rtf()->SetSelLength(length);
        for (const char *key : {"bold", "italic", "under", "left", "center", "right"})
            QVERIFY2(m_main->Button(QLatin1String(key))->isChecked() == down.contains(QLatin1String(key)), key);
    }

    // rtf1 keeps a 50-twip gap inside its window and wraps 200 twips short of
    // its width; a mouse release puts the indent ruler at SelIndent * 9 / RightMargin.
    void layoutAndIndentRuler()
    {
        m_main->show();   // a hidden window keeps its resize events for later
        doc()->subWindow()->resize(600, 400);
        const auto twips = [this](int pixels) { return qRound(pixels * 1440.0 / doc()->logicalDpiX()); };
        // Within the pixel the control is placed to.
        QTRY_VERIFY(qAbs(rtf()->Width() - (twips(doc()->width()) - 100)) <= twips(1));
        QCOMPARE(rtf()->RightMargin(), rtf()->Width() - 200);
        QCOMPARE(rtf()->pos(), QPoint(qRound(50 * doc()->logicalDpiX() / 1440.0),
                                      qRound(50 * doc()->logicalDpiY() / 1440.0)));
        rtf()->SetText(QStringLiteral("indented"));
        rtf()->SetSelIndent(rtf()->RightMargin() * 4 / 9 + 1);
        QTest::mouseClick(rtf()->viewport(), Qt::LeftButton);
        QCOMPARE(m_main->sliderIndent->value(), 4);
    }

    // The mark goes on the window whose text changed; the bar shows the active one.
    void windowsBehindTheActiveOne()
    {
        frmDoc *first = doc();
        frmDoc *second = genMod::NewDocument();
        first->rtf1->SetText(QStringLiteral("a b c d e"));
        QCOMPARE(first->Caption(), QStringLiteral("Document 1*"));
        QCOMPARE(second->Caption(), QStringLiteral("Document 2"));
        QVERIFY(first->bChanged && !second->bChanged);
        QCOMPARE(panel(frmMain::PanelWords), QStringLiteral("0"));
        second->rtf1->SetText(QStringLiteral("one two\r\nthree"));
        second->rtf1->SetSelStart(0);
        QTest::keyClick(second->rtf1, Qt::Key_Down);
        QCOMPARE(panel(frmMain::PanelLine), QStringLiteral("2"));
        QCOMPARE(panel(frmMain::PanelWords), QStringLiteral("3"));
        // Nothing active: the figures of the last document leave the bar.
        m_main->mdiArea->setActiveSubWindow(nullptr);
        for (int i : {frmMain::PanelLine, frmMain::PanelLines, frmMain::PanelWords})
            QCOMPARE(panel(i), QString());
        m_main->mdiArea->setActiveSubWindow(first->subWindow());
        QCOMPARE(panel(frmMain::PanelLines), QStringLiteral("1"));
        QCOMPARE(panel(frmMain::PanelWords), QStringLiteral("5"));
    }

    void insertKeyTogglesTheInsPanel()
    {
        QCOMPARE(panel(frmMain::PanelIns), QStringLiteral("INS"));
        QTest::keyClick(rtf(), Qt::Key_Insert);
        QCOMPARE(panel(frmMain::PanelIns), QStringLiteral("OVR"));
        QTest::keyClicks(rtf(), QStringLiteral("ab"));
        QTest::keyClick(rtf(), Qt::Key_Home);
        QTest::keyClick(rtf(), Qt::Key_X);
        QCOMPARE(rtf()->Text(), QStringLiteral("xb"));
        QTest::keyClick(rtf(), Qt::Key_Insert);
        QCOMPARE(panel(frmMain::PanelIns), QStringLiteral("INS"));
    }
};

QTEST_MAIN(tst_events_doc)
#include "tst_events_doc.moc"
