#include "documents/DeleteSnapshot.h"
#include "documents/frmDoc.h"
#include "platform/ModalSeam.h"
#include "platform/RichTextBox.h"
#include "shell/frmMain.h"
#include "shell/genMod.h"
#include "shell/modRegistry.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <unistd.h>

// The document window's reactions to real keys, clicks and selection moves,
// read back from its caption, its flags and the main window's controls.
class tst_events_doc : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void changeMark_data();
    void changeMark();
    void changeMarkAppearsOnce();
    void loadedFileNeverShowsTheMark();
    void loadBehindTheActiveWindowMarksOnlyItself();
    void shiftStateMustBeCtrlAlone_data();
    void shiftStateMustBeCtrlAlone();

    void runSelection_data();
    void runSelection();

    void pasteInsertsOnce();
    void copyPutsTheSelectionOnTheClipboard();
    void pasteWithEmptyClipboardKeepsSelection();

    void snapshotOnEveryDeleteRelease();
    void snapshotThatCannotBeWritten_data();
    void snapshotThatCannotBeWritten();

    void buttonsFollowSelection_data();
    void buttonsFollowSelection();
    void fontBoxesFollowTyping_data();
    void fontBoxesFollowTyping();
    void mouseReleaseMovesRulerAndBoxes();

    void panelsOfTheActiveDocument();
    void insertKeyTogglesTheInsPanel();
    void lockPanelsFollowKeysSeen_data();
    void lockPanelsFollowKeysSeen();
    void resizeLaysOutTheControl();

private:
    frmDoc *doc() const { return m_main->ActiveForm(); }
    RichTextBox *rtf() const { return doc()->rtf1; }
    QString panel(int i) const { return m_main->Panel(i)->text(); }
    bool pressed(const char *key) const { return m_main->Button(QLatin1String(key))->isChecked(); }

    QTemporaryDir m_dir;
    std::unique_ptr<frmMain> m_main;
};

void tst_events_doc::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toLocal8Bit());
    ModalSeam::setStrict(true);
    modRegistry::SetSettingValue(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey,
                                 QStringLiteral("Show Tips at Startup"), QStringLiteral("0"));
    DeleteSnapshot::setBaseFolder(m_dir.filePath(QStringLiteral("program")));
}

void tst_events_doc::init()
{
    ModalSeam::reset();
    genMod::ResetNewDocumentCounter();
    m_main = std::make_unique<frmMain>();
    m_main->MDIForm_Load();
    QVERIFY(doc());
    QCOMPARE(doc()->Caption(), QStringLiteral("Document 1"));
}

void tst_events_doc::cleanup()
{
    m_main.reset();
    QCOMPARE(ModalSeam::unanswered(), 0);
    DeleteSnapshot::setBaseFolder(m_dir.filePath(QStringLiteral("program")));
}

void tst_events_doc::changeMark_data()
{
    QTest::addColumn<QTestEventList>("keys");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<bool>("findEnabled");
    QTest::addColumn<bool>("textChanged");

    QTestEventList arrow;
    arrow.addKeyClick(Qt::Key_Right);
    QTest::newRow("arrow key marks the caption only") << arrow << "Document 1*" << false << false << false;

    QTestEventList typing;
    typing.addKeyClicks(QStringLiteral("ab"));
    QTest::newRow("typing marks and changes") << typing << "Document 1*" << true << true << true;

    QTestEventList emptied = typing;
    emptied.addKeyClick(Qt::Key_Backspace);
    emptied.addKeyClick(Qt::Key_Backspace);
    QTest::newRow("emptying clears the flag, keeps the mark")
        << emptied << "Document 1*" << false << false << true;

    QTestEventList retyped = emptied;
    retyped.addKeyClick(Qt::Key_X);
    QTest::newRow("typing again after emptying") << retyped << "Document 1*" << true << true << true;
}

void tst_events_doc::changeMark()
{
    QFETCH(QTestEventList, keys);
    QFETCH(QString, caption);
    QFETCH(bool, changed);
    QFETCH(bool, findEnabled);
    QFETCH(bool, textChanged);

    QVERIFY(!doc()->bChanged);
    keys.simulate(rtf());
    QCOMPARE(doc()->Caption(), caption);
    QCOMPARE(doc()->bChanged, changed);
    QCOMPARE(m_main->Menu(QStringLiteral("find"))->isEnabled(), findEnabled);
    QCOMPARE(m_main->Button(QStringLiteral("find"))->isEnabled(), findEnabled);
    if (textChanged)
        QVERIFY(m_main->Button(QStringLiteral("save"))->isEnabled());
}

void tst_events_doc::changeMarkAppearsOnce()
{
    QTest::keyClicks(rtf(), QStringLiteral("abc"));
    QTest::keyClick(rtf(), Qt::Key_Left);
    QTest::keyClick(rtf(), Qt::Key_Delete);
    QCOMPARE(doc()->Caption(), QStringLiteral("Document 1*"));
}

// An opened file is loaded before its caption becomes the path; the change
// raised by the load must not leave a mark on the path, now or later.
void tst_events_doc::loadedFileNeverShowsTheMark()
{
    const QString path = m_dir.filePath(QStringLiteral("opened.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("some text\r\n");
    file.close();

    auto *opened = new frmDoc;
    m_main->AddDocument(opened);
    QCOMPARE(doc(), opened);
    QVERIFY(opened->rtf1->LoadFile(path, RichTextBox::rtfText));
    opened->SetCaption(path);
    opened->bChanged = false;

    QTest::keyClicks(opened->rtf1, QStringLiteral("more"));
    QCOMPARE(opened->Caption(), path);
    QVERIFY(opened->bChanged);
}

void tst_events_doc::loadBehindTheActiveWindowMarksOnlyItself()
{
    frmDoc *first = doc();
    frmDoc *second = genMod::NewDocument();
    QCOMPARE(doc(), second);
    first->rtf1->SetText(QStringLiteral("filled behind"));
    QCOMPARE(first->Caption(), QStringLiteral("Document 1*"));
    QCOMPARE(second->Caption(), QStringLiteral("Document 2"));
    QVERIFY(first->bChanged);
    QVERIFY(!second->bChanged);
}

void tst_events_doc::shiftStateMustBeCtrlAlone_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Ctrl+Shift+C") << int(Qt::Key_C) << int(Qt::ControlModifier | Qt::ShiftModifier);
    QTest::newRow("Ctrl+Alt+V") << int(Qt::Key_V) << int(Qt::ControlModifier | Qt::AltModifier);
    QTest::newRow("Ctrl+Shift+W") << int(Qt::Key_W) << int(Qt::ControlModifier | Qt::ShiftModifier);
}

void tst_events_doc::shiftStateMustBeCtrlAlone()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QGuiApplication::clipboard()->setText(QStringLiteral("clip"));
    rtf()->SetText(QStringLiteral("one two three"));
    rtf()->SetSelStart(5);
    QTest::keyClick(rtf(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    // Ctrl+Alt may type a character as AltGr does; it must not paste or select.
    QVERIFY(!rtf()->Text().contains(QStringLiteral("clip")));
    QCOMPARE(rtf()->SelLength(), 0);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("clip"));
    QVERIFY(doc()->Caption().endsWith(u'*'));
}

void tst_events_doc::runSelection_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");

    const QString plain = QStringLiteral("no terminator in this text");
    QTest::newRow("sentence without terminator is the whole text")
        << plain << 7 << int(Qt::Key_T) << 0 << int(plain.size());
    QTest::newRow("sentence between terminators")
        << "One. Two words? Three!" << 7 << int(Qt::Key_T) << 4 << 10;
    QTest::newRow("word between delimiters") << "hello, world." << 9 << int(Qt::Key_W) << 7 << 5;
    QTest::newRow("caret between two blanks selects nothing")
        << "a  b" << 2 << int(Qt::Key_W) << 2 << 0;

    // Far beyond the reach of 16-bit positions.
    const QString filler(41000, u'x');
    const QString far = filler + QStringLiteral(". Far away words? tail");
    QTest::newRow("sentence beyond 40,000")
        << far << 41005 << int(Qt::Key_T) << 41001 << 15;
    QTest::newRow("word beyond 40,000") << far << 41008 << int(Qt::Key_W) << 41006 << 4;
    QTest::newRow("long sentence reaching back past 32,767")
        << QString(40000, u'y') + "!" << 39990 << int(Qt::Key_T) << 0 << 40000;
}

void tst_events_doc::runSelection()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(int, key);
    QFETCH(int, start);
    QFETCH(int, length);

    rtf()->SetText(text);
    rtf()->SetSelStart(caret);
    QTest::keyClick(rtf(), Qt::Key(key), Qt::ControlModifier);
    QCOMPARE(rtf()->SelStart(), start);
    QCOMPARE(rtf()->SelLength(), length);
}

void tst_events_doc::pasteInsertsOnce()
{
    QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
    QTest::keyClicks(rtf(), QStringLiteral("[]"));
    QTest::keyClick(rtf(), Qt::Key_Left);
    QTest::keyClick(rtf(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(rtf()->Text(), QStringLiteral("[pasted]"));
    QVERIFY(doc()->bChanged);
}

void tst_events_doc::copyPutsTheSelectionOnTheClipboard()
{
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    rtf()->SetText(QStringLiteral("copy this word"));
    rtf()->SetSelStart(5);
    rtf()->SetSelLength(4);
    QTest::keyClick(rtf(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("this"));
    QCOMPARE(rtf()->Text(), QStringLiteral("copy this word"));

    // Nothing selected: the clipboard keeps its text.
    rtf()->SetSelStart(2);
    QTest::keyClick(rtf(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("this"));
}

void tst_events_doc::pasteWithEmptyClipboardKeepsSelection()
{
    QGuiApplication::clipboard()->clear();
    rtf()->SetText(QStringLiteral("keep me"));
    rtf()->SetSelStart(0);
    rtf()->SetSelLength(4);
    QTest::keyClick(rtf(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(rtf()->Text(), QStringLiteral("keep me"));
}

void tst_events_doc::snapshotOnEveryDeleteRelease()
{
    const QString base = m_dir.filePath(QStringLiteral("fresh"));
    DeleteSnapshot::setBaseFolder(base);
    const QString snapshot = base + QStringLiteral("/temp/$1.rtf");
    QVERIFY(!QFile::exists(snapshot));

    QTest::keyClicks(rtf(), QStringLiteral("Snapshot text!"));
    QTest::keyClick(rtf(), Qt::Key_Delete);   // at the end: deletes nothing
    QVERIFY(QFile::exists(snapshot));
    QCOMPARE(DeleteSnapshot::lastPath(), snapshot);

    QFile::remove(snapshot);
    QTest::keyClick(rtf(), Qt::Key_Home);
    QTest::keyClick(rtf(), Qt::Key_Delete);
    QCOMPARE(rtf()->Text(), QStringLiteral("napshot text!"));
    QFile written(snapshot);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray rtfBytes = written.readAll();
    QVERIFY(rtfBytes.startsWith("{\\rtf"));
    QVERIFY(rtfBytes.contains("napshot text!"));
    QVERIFY(!rtfBytes.contains("Snapshot"));
}

void tst_events_doc::snapshotThatCannotBeWritten_data()
{
    QTest::addColumn<QString>("blocker");
    // Root writes anywhere; a file standing where a folder must go stops it.
    QTest::newRow("program folder is a file") << QString();
    QTest::newRow("temp is a file") << QStringLiteral("/temp");
    QTest::newRow("snapshot name is a folder") << QStringLiteral("/temp/$1.rtf");
}

void tst_events_doc::snapshotThatCannotBeWritten()
{
    QFETCH(QString, blocker);
    const QString base = m_dir.filePath(QStringLiteral("blocked-%1").arg(QTest::currentDataTag()));
    if (blocker == QLatin1String("/temp/$1.rtf")) {
        QVERIFY(QDir().mkpath(base + blocker));
    } else {
        QVERIFY(QDir().mkpath(QFileInfo(base + blocker).absolutePath()));
        QFile file(base + blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("in the way");
    }
    DeleteSnapshot::setBaseFolder(base);

    rtf()->SetText(QStringLiteral("abc"));
    rtf()->SetSelStart(0);
    QTest::keyClick(rtf(), Qt::Key_Delete);
    QCOMPARE(rtf()->Text(), QStringLiteral("bc"));
    QVERIFY(ModalSeam::asked().isEmpty());
    QCOMPARE(doc(), m_main->ActiveForm());
    QCOMPARE(frmMain::instance(), m_main.get());
    QTest::keyClick(rtf(), Qt::Key_Delete);
    QCOMPARE(rtf()->Text(), QStringLiteral("c"));
    if (blocker.isEmpty())
        QVERIFY(QFileInfo(base).isFile());
}

void tst_events_doc::buttonsFollowSelection_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<bool>("left");
    QTest::addColumn<bool>("center");
    QTest::addColumn<bool>("right");

    // "plain bold\r\ncentred": "bold" is bold, the second paragraph centred
    // and italic.
    QTest::newRow("caret in plain text") << 2 << 0 << false << false << true << false << false;
    QTest::newRow("caret in bold text") << 8 << 0 << true << false << true << false << false;
    QTest::newRow("bold only in part: released") << 3 << 5 << false << false << true << false
                                                  << false;
    QTest::newRow("centred italic paragraph") << 14 << 0 << false << true << false << true
                                              << false;
    QTest::newRow("mixed alignment: none pressed") << 2 << 14 << false << false << false << false
                                                   << false;
}

void tst_events_doc::buttonsFollowSelection()
{
    QFETCH(int, from);
    QFETCH(int, length);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    QFETCH(bool, left);
    QFETCH(bool, center);
    QFETCH(bool, right);

    rtf()->SetText(QStringLiteral("plain bold\r\ncentred"));
    rtf()->SetSelStart(6);
    rtf()->SetSelLength(4);
    rtf()->SetSelBold(true);
    rtf()->SetSelStart(11);
    rtf()->SetSelLength(7);
    rtf()->SetSelItalic(true);
    rtf()->SetSelAlignment(RichTextBox::rtfCenter);

    rtf()->SetSelStart(from);
    rtf()->SetSelLength(length);
    QCOMPARE(pressed("bold"), bold);
    QCOMPARE(pressed("italic"), italic);
    QCOMPARE(pressed("under"), false);
    QCOMPARE(pressed("left"), left);
    QCOMPARE(pressed("center"), center);
    QCOMPARE(pressed("right"), right);
}

void tst_events_doc::fontBoxesFollowTyping_data()
{
    QTest::addColumn<QString>("font");
    QTest::addColumn<double>("size");
    QTest::addColumn<QString>("sizeText");
    QTest::newRow("whole size") << "Arial" << 14.0 << "14";
    QTest::newRow("half rounds to even below") << "Courier New" << 12.5 << "12";
    QTest::newRow("half rounds to even above") << "Verdana" << 11.5 << "12";
}

void tst_events_doc::fontBoxesFollowTyping()
{
    QFETCH(QString, font);
    QFETCH(double, size);
    QFETCH(QString, sizeText);
    rtf()->SetSelFontName(font);
    rtf()->SetSelFontSize(size);
    QTest::keyClick(rtf(), Qt::Key_A);
    QCOMPARE(m_main->Combo1->currentText(), font);
    QCOMPARE(m_main->Combo2->currentText(), sizeText);
}

void tst_events_doc::mouseReleaseMovesRulerAndBoxes()
{
    rtf()->SetText(QStringLiteral("first paragraph\r\nsecond"));
    rtf()->SetSelStart(0);
    rtf()->SetSelLength(5);
    rtf()->SetSelBold(true);
    rtf()->SetSelUnderline(true);
    rtf()->SetSelFontName(QStringLiteral("Arial"));
    rtf()->SetSelFontSize(18);
    const int margin = rtf()->RightMargin();
    QVERIFY(margin > 0);
    rtf()->SetSelIndent(margin * 5 / 9);
    m_main->Combo1->setEditText(QStringLiteral("stale"));

    QSignalSpy moved(m_main->sliderIndent, &QSlider::valueChanged);
    QTest::mouseClick(rtf()->viewport(), Qt::LeftButton, {}, QPoint(30, 8));
    // The click collapsed the selection into the first word: bold, underlined, Arial 18.
    QCOMPARE(m_main->Combo1->currentText(), QStringLiteral("Arial"));
    QCOMPARE(m_main->Combo2->currentText(), QStringLiteral("18"));
    QVERIFY(pressed("bold"));
    QVERIFY(pressed("under"));
    QVERIFY(!pressed("italic"));
    QCOMPARE(m_main->sliderIndent->value(), 5);
    QCOMPARE(moved.count(), 0);   // set quietly: nothing written back
}

void tst_events_doc::panelsOfTheActiveDocument()
{
    // A fresh document shows its figures as soon as it is active.
    QCOMPARE(panel(3), QStringLiteral("1"));
    QCOMPARE(panel(5), QStringLiteral("1"));
    QCOMPARE(panel(7), QStringLiteral("0"));

    frmDoc *first = doc();
    first->rtf1->SetText(QStringLiteral("one two\r\nthree"));
    first->rtf1->SetSelStart(0);
    QTest::keyClick(first->rtf1, Qt::Key_Down);
    QCOMPARE(panel(3), QStringLiteral("2"));
    QCOMPARE(panel(5), QStringLiteral("2"));
    QCOMPARE(panel(7), QStringLiteral("3"));

    frmDoc *second = genMod::NewDocument();
    QCOMPARE(doc(), second);
    QCOMPARE(panel(3), QStringLiteral("1"));
    QCOMPARE(panel(7), QStringLiteral("0"));

    // Nothing active: the figures of the last document leave the bar.
    m_main->mdiArea->setActiveSubWindow(nullptr);
    QCOMPARE(panel(3), QString());
    QCOMPARE(panel(5), QString());
    QCOMPARE(panel(7), QString());

    m_main->mdiArea->setActiveSubWindow(first->subWindow());
    QCOMPARE(panel(5), QStringLiteral("2"));
    QCOMPARE(panel(7), QStringLiteral("3"));

    // A window changed behind the active one leaves the bar to the active one.
    second->rtf1->SetText(QStringLiteral("a b c d e"));
    QCOMPARE(panel(7), QStringLiteral("3"));
}

void tst_events_doc::insertKeyTogglesTheInsPanel()
{
    QCOMPARE(panel(10), QStringLiteral("INS"));
    QTest::keyClick(rtf(), Qt::Key_Insert);
    QCOMPARE(panel(10), QStringLiteral("OVR"));
    QTest::keyClicks(rtf(), QStringLiteral("ab"));
    QTest::keyClick(rtf(), Qt::Key_Home);
    QTest::keyClick(rtf(), Qt::Key_X);
    QCOMPARE(rtf()->Text(), QStringLiteral("xb"));
    QTest::keyClick(rtf(), Qt::Key_Insert);
    QCOMPARE(panel(10), QStringLiteral("INS"));
}

struct SeenKey
{
    int key;
    int modifiers;
    QString text;
};
Q_DECLARE_METATYPE(QList<SeenKey>)

void tst_events_doc::lockPanelsFollowKeysSeen_data()
{
    QTest::addColumn<QList<SeenKey>>("keys");
    QTest::addColumn<bool>("num");
    QTest::addColumn<bool>("caps");

    const SeenKey capsLock{Qt::Key_CapsLock, 0, {}};
    const SeenKey numLock{Qt::Key_NumLock, Qt::KeypadModifier, {}};
    QTest::newRow("usual keyboard at start") << QList<SeenKey>{} << true << false;
    QTest::newRow("Caps Lock pressed") << QList<SeenKey>{capsLock} << true << true;
    QTest::newRow("Caps Lock pressed twice") << QList<SeenKey>{capsLock, capsLock} << true << false;
    QTest::newRow("capital typed without Shift")
        << QList<SeenKey>{{Qt::Key_A, 0, "A"}} << true << true;
    QTest::newRow("small letter typed with Shift")
        << QList<SeenKey>{{Qt::Key_A, Qt::ShiftModifier, "a"}} << true << true;
    QTest::newRow("small letter after Caps Lock")
        << QList<SeenKey>{capsLock, {Qt::Key_B, 0, "b"}} << true << false;
    QTest::newRow("Num Lock pressed") << QList<SeenKey>{numLock} << false << false;
    QTest::newRow("digit from the number pad")
        << QList<SeenKey>{numLock, {Qt::Key_7, Qt::KeypadModifier, "7"}} << true << false;
    QTest::newRow("arrow from the number pad")
        << QList<SeenKey>{{Qt::Key_Left, Qt::KeypadModifier, {}}} << false << false;
}

void tst_events_doc::lockPanelsFollowKeysSeen()
{
    QFETCH(QList<SeenKey>, keys);
    QFETCH(bool, num);
    QFETCH(bool, caps);
    for (const SeenKey &k : keys) {
        QKeyEvent press(QEvent::KeyPress, k.key, Qt::KeyboardModifiers(k.modifiers), k.text);
        QApplication::sendEvent(rtf(), &press);
        QKeyEvent release(QEvent::KeyRelease, k.key, Qt::KeyboardModifiers(k.modifiers), k.text);
        QApplication::sendEvent(rtf(), &release);
    }
    QCOMPARE(panel(8), QStringLiteral("NUM"));
    QCOMPARE(panel(9), QStringLiteral("CAPS"));
    QCOMPARE(m_main->Panel(8)->isEnabled(), num);
    QCOMPARE(m_main->Panel(9)->isEnabled(), caps);
    QVERIFY(!panel(11).isEmpty());
}

void tst_events_doc::resizeLaysOutTheControl()
{
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    QMdiSubWindow *sub = doc()->subWindow();
    QVERIFY(sub);
    sub->resize(500, 400);
    // Twips are whole pixels on screen: a pixel of rounding is allowed.
    const int pixel = 15;
    const int width = doc()->width() * 15 - 100;
    QVERIFY2(qAbs(rtf()->Width() - width) <= pixel,
             qPrintable(QStringLiteral("%1 %2 %3").arg(rtf()->Width()).arg(width).arg(doc()->width())));
    QVERIFY(qAbs(rtf()->Height() - (doc()->height() * 15 - 100)) <= pixel);
    QVERIFY(qAbs(rtf()->geometry().left() * 15 - 50) <= pixel);
    QVERIFY(qAbs(rtf()->RightMargin() - (rtf()->Width() - 200)) <= pixel);

    // Too small for the gaps: the old layout stays.
    const int before = rtf()->Width();
    doc()->resize(4, 4);
    QCOMPARE(rtf()->Width(), before);
}

QTEST_MAIN(tst_events_doc)
#include "tst_events_doc.moc"
