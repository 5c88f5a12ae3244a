#include "RichTextBox.h"

#include <QClipboard>
#include <QFile>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>
#include <QPrinter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <sys/stat.h>

class TestRichTextBox : public QObject
{
    Q_OBJECT

private:
    static QByteArray readAll(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    static bool writeAll(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }
    static void select(RichTextBox &box, int start, int length)
    {
        box.SetSelStart(start);
        box.SetSelLength(length);
    }

private slots:
    void textJoinsParagraphsWithCrLf();
    void selectionClampsToText();
    void mixedSelectionReadsNull_data();
    void mixedSelectionReadsNull();
    void caretReadsInsertionFormat();
    void indentsRoundTripInTwips_data();
    void indentsRoundTripInTwips();
    void coloursAreBgr_data();
    void coloursAreBgr();
    void bulletsToggle();
    void lineMessagesCountWrappedLines();
    void emptyDocumentHasOneLine();
    void find_data();
    void find();
    void spanWorksBeyond32767();
    void spanOverParagraphs();
    void changeRaisedOncePerProgrammaticEdit_data();
    void changeRaisedOncePerProgrammaticEdit();
    void changeRaisedByTypingAndFormatting();
    void plainTextFilesRoundTrip_data();
    void plainTextFilesRoundTrip();
    void richModeLoadsPlainFileAsText();
    void anyBytesLoadWithoutHarm_data();
    void anyBytesLoadWithoutHarm();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();
    void failedLoadKeepsContent_data();
    void failedLoadKeepsContent();
    void selPrintPrintsOnlyTheSelection();
    void richTextRoundTripsThroughTheControl();
    void selRtfInsertsFormattedOrPlain();
    void richClipboard();
    void droppedFilesAreLeftToTheWindow();
    void newDocumentsUsePlatformLineEnds();
    void placementInTwips();
    void mouseUpInTwips();
    void keyEvents();
    void clipboardKeysCanBeSwitchedOff();
};

void TestRichTextBox::textJoinsParagraphsWithCrLf()
{
    RichTextBox box;
    box.SetText(QStringLiteral("one\r\ntwo\nthree"));
    QCOMPARE(box.Text(), QStringLiteral("one\r\ntwo\r\nthree"));
    // A paragraph break is one position: "two" starts at 4.
    select(box, 4, 3);
    QCOMPARE(box.SelText(), QStringLiteral("two"));
    select(box, 2, 3);
    QCOMPARE(box.SelText(), QStringLiteral("e\r\nt"));

    // A line break inside a paragraph is CR LF too; a picture's placeholder
    // goes, the same character typed as text stays.
    box.SetText(QString());
    QTextCursor c(box.document());
    c.insertText(QStringLiteral("a") + QChar(QChar::LineSeparator) + QStringLiteral("b"));
    QTextImageFormat image;
    image.setName(QStringLiteral("missing.png"));
    c.insertImage(image);
    c.insertText(QString(QChar(QChar::ObjectReplacementCharacter)) + QStringLiteral("c"));
    QCOMPARE(box.Text(), QStringLiteral("a\r\nb") + QChar(QChar::ObjectReplacementCharacter) + QStringLiteral("c"));
}

void TestRichTextBox::selectionClampsToText()
{
    RichTextBox box;
    box.SetText(QStringLiteral("ab\r\ncd"));
    box.SetSelStart(0);
    box.SetSelLength(box.Text().size());   // longer than the positions: selects to the end
    QCOMPARE(box.SelLength(), 5);
    box.SetSelStart(1000);
    QCOMPARE(box.SelStart(), 5);
    box.SetSelStart(-4);
    QCOMPARE(box.SelStart(), 0);
}

enum Property { Bold, Italic, Underline, Strike, FontName, FontSize, Colour, Alignment, Indent, Hanging, Bullet };

void TestRichTextBox::mixedSelectionReadsNull_data()
{
    QTest::addColumn<int>("property");
    QTest::newRow("mixed bold reads Null") << int(Bold);
    QTest::newRow("mixed italic reads Null") << int(Italic);
    QTest::newRow("mixed underline reads Null") << int(Underline);
    QTest::newRow("mixed strike-through reads Null") << int(Strike);
    QTest::newRow("mixed font name reads Null") << int(FontName);
    QTest::newRow("mixed size reads Null") << int(FontSize);
    QTest::newRow("mixed colour reads Null") << int(Colour);
    QTest::newRow("mixed alignment reads Null") << int(Alignment);
    QTest::newRow("mixed indent reads Null") << int(Indent);
    QTest::newRow("mixed hanging indent reads Null") << int(Hanging);
    QTest::newRow("mixed bullets read Null") << int(Bullet);
}

void TestRichTextBox::mixedSelectionReadsNull()
{
    QFETCH(int, property);
    RichTextBox box;
    box.SetText(QStringLiteral("first\r\nsecond"));
    select(box, 0, 5);   // the first paragraph only

    auto apply = [&] {
        switch (property) {
        case Bold: box.SetSelBold(true); break;
        case Italic: box.SetSelItalic(true); break;
        case Underline: box.SetSelUnderline(true); break;
        case Strike: box.SetSelStrikeThru(true); break;
        case FontName: box.SetSelFontName(QStringLiteral("Courier New")); break;
        case FontSize: box.SetSelFontSize(24); break;
        case Colour: box.SetSelColor(0x0000ff); break;
        case Alignment: box.SetSelAlignment(RichTextBox::rtfCenter); break;
        case Indent: box.SetSelIndent(720); break;
        case Hanging: box.SetSelHangingIndent(360); break;
        case Bullet: box.SetSelBullet(true); break;
        }
    };
    auto isNull = [&] {
        switch (property) {
        case Bold: return !box.SelBold().has_value();
        case Italic: return !box.SelItalic().has_value();
        case Underline: return !box.SelUnderline().has_value();
        case Strike: return !box.SelStrikeThru().has_value();
        case FontName: return !box.SelFontName().has_value();
        case FontSize: return !box.SelFontSize().has_value();
        case Colour: return !box.SelColor().has_value();
        case Alignment: return !box.SelAlignment().has_value();
        case Indent: return !box.SelIndent().has_value();
        case Hanging: return !box.SelHangingIndent().has_value();
        case Bullet: return !box.SelBullet().has_value();
        }
        return false;
    };

    apply();
    QVERIFY2(!isNull(), "a uniform selection must have a value");
    select(box, 0, 12);
    QVERIFY2(isNull(), "a selection over both paragraphs mixes values");
    // A selection ending right at the start of the second paragraph only
    // covers the first one's paragraph formats.
    if (property >= Alignment) {
        select(box, 0, 6);
        QVERIFY(!isNull());
    }
}

void TestRichTextBox::caretReadsInsertionFormat()
{
    RichTextBox box;
    box.SetText(QStringLiteral("plain"));
    box.SetSelStart(5);
    box.SetSelBold(true);            // no selection: the next typed text is bold
    QCOMPARE(box.SelBold(), std::optional<bool>(true));
    QTest::keyClicks(&box, QStringLiteral("B"));
    select(box, 5, 1);
    QCOMPARE(box.SelBold(), std::optional<bool>(true));
    box.SetSelStart(3);
    QCOMPARE(box.SelBold(), std::optional<bool>(false));
    QCOMPARE(box.SelFontName(), std::optional<QString>(QStringLiteral("Verdana")));
    QCOMPARE(box.SelFontSize(), std::optional<double>(10));
    QCOMPARE(box.SelColor(), std::optional<int>(0));
}

void TestRichTextBox::indentsRoundTripInTwips_data()
{
    QTest::addColumn<int>("indent");
    QTest::addColumn<int>("hanging");
    QTest::newRow("none") << 0 << 0;
    QTest::newRow("one pixel") << 15 << 0;
    QTest::newRow("half inch") << 720 << 0;
    QTest::newRow("inch with hanging quarter") << 1440 << 360;
    QTest::newRow("negative hanging") << 0 << -360;
    QTest::newRow("odd twips") << 733 << 17;
}

void TestRichTextBox::indentsRoundTripInTwips()
{
    QFETCH(int, indent);
    QFETCH(int, hanging);
    RichTextBox box;
    box.SetText(QStringLiteral("a paragraph"));
    box.SetSelIndent(indent);
    box.SetSelHangingIndent(hanging);

    QCOMPARE(box.SelIndent(), std::optional<int>(indent));
    QCOMPARE(box.SelHangingIndent(), std::optional<int>(hanging));

    // Moving the first line keeps the hanging indent, and the reverse.
    box.SetSelIndent(2160);
    QCOMPARE(box.SelIndent(), std::optional<int>(2160));
    QCOMPARE(box.SelHangingIndent(), std::optional<int>(hanging));
    box.SetSelHangingIndent(0);
    QCOMPARE(box.SelIndent(), std::optional<int>(2160));
    QCOMPARE(box.SelHangingIndent(), std::optional<int>(0));
}

void TestRichTextBox::coloursAreBgr_data()
{
    QTest::addColumn<int>("bgr");
    QTest::addColumn<QColor>("color");
    QTest::newRow("0x0000FF is red") << 0x0000ff << QColor(255, 0, 0);
    QTest::newRow("0x00FF00 is green") << 0x00ff00 << QColor(0, 255, 0);
    QTest::newRow("0xFF0000 is blue") << 0xff0000 << QColor(0, 0, 255);
    QTest::newRow("mixed channels") << 0x123456 << QColor(0x56, 0x34, 0x12);
    QTest::newRow("black") << 0 << QColor(0, 0, 0);
}

void TestRichTextBox::coloursAreBgr()
{
    QFETCH(int, bgr);
    QFETCH(QColor, color);
    RichTextBox box;
    box.SetText(QStringLiteral("colour"));
    select(box, 0, 6);
    box.SetSelColor(bgr);
    QCOMPARE(box.SelColor(), std::optional<int>(bgr));
    QTextCursor c(box.document());
    c.setPosition(1);
    QCOMPARE(c.charFormat().foreground().color(), color);
}

void TestRichTextBox::bulletsToggle()
{
    RichTextBox box;
    box.SetText(QStringLiteral("one\r\ntwo\r\nthree"));
    select(box, 0, 3);
    box.SetSelBullet(true);
    select(box, 0, 13);
    QVERIFY(!box.SelBullet().has_value());
    box.SetSelBullet(true);   // mixed becomes bulleted throughout
    QCOMPARE(box.SelBullet(), std::optional<bool>(true));
    QCOMPARE(box.document()->firstBlock().textList()->count(), 3);
    box.SetSelIndent(720);
    box.SetSelBullet(false);
    QCOMPARE(box.SelBullet(), std::optional<bool>(false));
    QCOMPARE(box.SelIndent(), std::optional<int>(720));   // removing bullets keeps the indent
    QCOMPARE(box.Text(), QStringLiteral("one\r\ntwo\r\nthree"));
}

void TestRichTextBox::lineMessagesCountWrappedLines()
{
    RichTextBox box;
    box.Move(0, 0, 6000, 3000);
    box.SetRightMargin(1440);   // one inch of text per line
    QString paragraph;
    for (int i = 0; i < 60; ++i)
        paragraph += QStringLiteral("word ");
    box.SetText(paragraph + QStringLiteral("\r\nshort"));

    const int lines = box.GetLineCount();
    QVERIFY2(lines > 5, qPrintable(QString::number(lines)));
    const int secondParagraph = int(paragraph.size()) + 1;
    QCOMPARE(box.LineFromChar(secondParagraph), lines - 1);
    QCOMPARE(box.LineFromChar(secondParagraph - 1), lines - 2);   // end of the wrapped paragraph
    QCOMPARE(box.LineFromChar(0), 0);

    box.SetSelStart(secondParagraph + 2);
    QCOMPARE(box.LineFromChar(-1), lines - 1);   // -1: the line of the selection start

    // Typing at the end of the first paragraph relayouts only what changed.
    box.SetSelStart(secondParagraph - 1);
    for (int i = 0; i < 10; ++i)
        QTest::keyClicks(&box, QStringLiteral("word "));
    QVERIFY(box.GetLineCount() > lines);
    QCOMPARE(box.LineFromChar(box.document()->characterCount() - 1), box.GetLineCount() - 1);

    // A wider margin wraps later.
    const int narrow = box.GetLineCount();
    box.SetRightMargin(4320);
    QVERIFY(box.GetLineCount() < narrow);
}

void TestRichTextBox::emptyDocumentHasOneLine()
{
    RichTextBox box;
    QCOMPARE(box.GetLineCount(), 1);
    QCOMPARE(box.LineFromChar(-1), 0);
    QCOMPARE(box.Text(), QString());
}

void TestRichTextBox::find_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("options");
    QTest::addColumn<int>("expected");

    const QString text = QStringLiteral("The cat concatenates. CAT\r\nsecond cat line");
    QTest::newRow("ignores case by default") << text << "cat" << 0 << -1 << 0 << 4;
    QTest::newRow("match case") << text << "CAT" << 0 << -1 << 4 << 22;
    QTest::newRow("whole word skips inner match") << text << "cat" << 5 << -1 << 2 << 22;
    QTest::newRow("whole word and case") << text << "cat" << 5 << -1 << 6 << 33;
    QTest::newRow("start past a match") << text << "cat" << 5 << -1 << 0 << 11;
    QTest::newRow("end excludes a match") << text << "cat" << 23 << 35 << 0 << -1;
    QTest::newRow("end includes a match") << text << "cat" << 23 << 36 << 0 << 33;
    QTest::newRow("not there") << text << "dog" << 0 << -1 << 0 << -1;
    QTest::newRow("empty text") << text << "" << 0 << -1 << 0 << -1;
    QTest::newRow("across a paragraph break") << text << "CAT\r\nsecond" << 0 << -1 << 0 << 22;
    QTest::newRow("start beyond the end") << text << "cat" << 1000 << -1 << 0 << -1;
}

void TestRichTextBox::find()
{
    QFETCH(QString, text);
    QFETCH(QString, needle);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(int, options);
    QFETCH(int, expected);

    RichTextBox box;
    box.SetText(text);
    box.SetSelStart(2);
    QCOMPARE(box.Find(needle, start, end, options), expected);
    if (expected >= 0) {
        QCOMPARE(box.SelStart(), expected);
        QCOMPARE(box.SelText().size(), needle.size());
    }

    // No highlight: the same answer, the selection stays.
    box.SetSelStart(2);
    QCOMPARE(box.Find(needle, start, end, options | RichTextBox::rtfNoHighlight), expected);
    QCOMPARE(box.SelStart(), 2);
    QCOMPARE(box.SelLength(), 0);
}

void TestRichTextBox::spanWorksBeyond32767()
{
    RichTextBox box;
    const QString filler(45000, u'x');
    box.SetText(filler + QStringLiteral(". A sentence here? Next"));
    const int caret = 45000 + 8;
    box.SetSelStart(caret);

    box.Span(QStringLiteral(".?!"), false, true);
    QCOMPARE(box.SelStart(), 45001);
    const int start = box.SelStart();
    box.Span(QStringLiteral(".?!"), true, true);
    QCOMPARE(box.SelStart() + box.SelLength(), 45000 + 17);
    QCOMPARE(start, 45001);
    QCOMPARE(box.SelText(), QStringLiteral(" A sentence here"));

    // Over characters in the set, without negate.
    box.SetSelStart(100);
    box.Span(QStringLiteral("x"), true, false);
    QCOMPARE(box.SelLength(), 45000 - 100);
}

void TestRichTextBox::spanOverParagraphs()
{
    RichTextBox box;
    box.SetText(QStringLiteral("one two\r\nthree four"));
    box.SetSelStart(10);
    // Negated: a paragraph break is not in the set, so the run goes on.
    box.Span(QStringLiteral(".?!"), false, true);
    QCOMPARE(box.SelStart(), 0);
    box.Span(QStringLiteral(".?!"), true, true);
    QCOMPARE(box.SelLength(), 18);

    // Not negated: the break ends a run of letters.
    box.SetSelStart(9);
    box.Span(QStringLiteral("abcdefghijklmnopqrstuvwxyz "), false, false);
    QCOMPARE(box.SelStart(), 8);
    box.Span(QStringLiteral("abcdefghijklmnopqrstuvwxyz "), true, false);
    QCOMPARE(box.SelLength(), 10);

    // The caret between two blanks selects nothing with the word set.
    box.SetText(QStringLiteral("a  b"));
    box.SetSelStart(2);
    box.Span(QStringLiteral(" ,;:.?!"), false, true);
    box.Span(QStringLiteral(" ,;:.?!"), true, true);
    QCOMPARE(box.SelLength(), 0);
}

void TestRichTextBox::changeRaisedOncePerProgrammaticEdit_data()
{
    QTest::addColumn<int>("operation");
    QTest::newRow("LoadFile") << 0;
    QTest::newRow("LoadFile of the same text") << 1;
    QTest::newRow("SetText") << 2;
    QTest::newRow("SetText of the same text") << 3;
    QTest::newRow("SetSelText") << 4;
    QTest::newRow("SetSelText of nothing over nothing") << 5;
    QTest::newRow("SetSelRTF with plain text") << 6;
}

void TestRichTextBox::changeRaisedOncePerProgrammaticEdit()
{
    QFETCH(int, operation);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    QVERIFY(writeAll(path, "same"));

    RichTextBox box;
    box.SetText(QStringLiteral("same"));
    QSignalSpy change(&box, &RichTextBox::Change);
    QSignalSpy replaced(&box, &RichTextBox::DocumentReplaced);
    switch (operation) {
    case 0: QVERIFY(box.LoadFile(path, RichTextBox::rtfText)); break;
    case 1: QVERIFY(box.LoadFile(path, RichTextBox::rtfText)); QVERIFY(box.LoadFile(path, RichTextBox::rtfText)); change.removeFirst(); break;
    case 2: box.SetText(QStringLiteral("one\r\ntwo")); break;
    case 3: box.SetText(QStringLiteral("same")); break;
    case 4: box.SetSelText(QStringLiteral("new\r\ntext")); break;
    case 5: box.SetSelText(QString()); break;
    case 6: box.SetSelRTF("plain words"); break;
    }
    QCOMPARE(change.count(), 1);
    QCOMPARE(replaced.count(), operation == 0 ? 1 : operation == 1 ? 2 : 0);
    if (!replaced.isEmpty())
        QCOMPARE(replaced.last().at(0).value<QTextDocument *>(), box.document());
}

void TestRichTextBox::changeRaisedByTypingAndFormatting()
{
    RichTextBox box;
    QSignalSpy change(&box, &RichTextBox::Change);
    QSignalSpy selChange(&box, &RichTextBox::SelChange);
    QTest::keyClick(&box, Qt::Key_A);
    QCOMPARE(change.count(), 1);
    QCOMPARE(selChange.count(), 1);
    QTest::keyClick(&box, Qt::Key_Left);
    QCOMPARE(change.count(), 1);
    QCOMPARE(selChange.count(), 2);
    select(box, 0, 1);
    change.clear();
    box.SetSelBold(true);
    QCOMPARE(change.count(), 1);   // a format change is a change of the document
    box.SetFontSize(12);           // the base font is not
    box.SetFontName(QStringLiteral("Arial"));
    QCOMPARE(change.count(), 1);
    QCOMPARE(box.FontName(), QStringLiteral("Arial"));
    QCOMPARE(box.FontSize(), 12.0);
    box.SetSelStart(1);
    QCOMPARE(box.SelFontName(), std::optional<QString>(QStringLiteral("Arial")));
}

void TestRichTextBox::plainTextFilesRoundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("saved");

    QTest::newRow("UTF-8 with LF") << QByteArray("caf\xc3\xa9\nline") << QStringLiteral("caf\u00e9\r\nline")
                                   << QByteArray("caf\xc3\xa9\nline");
    QTest::newRow("UTF-8 with BOM and CR LF") << QByteArray("\xef\xbb\xbfna\xc3\xafve\r\nx\r\n")
                                              << QStringLiteral("na\u00efve\r\nx\r\n")
                                              << QByteArray("na\xc3\xafve\r\nx\r\n");
    QTest::newRow("Windows-1252 becomes UTF-8") << QByteArray("caf\xe9 \x80 \x93q\x94\r\n")
                                                << QStringLiteral("caf\u00e9 \u20ac \u201cq\u201d\r\n")
                                                << QByteArray("caf\xc3\xa9 \xe2\x82\xac \xe2\x80\x9cq\xe2\x80\x9d\r\n");
    QTest::newRow("UTF-8 cut short is not UTF-8") << QByteArray("ab\xc3") << QStringLiteral("ab\u00c3")
                                                  << QByteArray("ab\xc3\x83");
    QTest::newRow("empty file") << QByteArray() << QString() << QByteArray();
    QTest::newRow("blank lines kept") << QByteArray("\n\na\n\n") << QStringLiteral("\r\n\r\na\r\n\r\n")
                                      << QByteArray("\n\na\n\n");
}

void TestRichTextBox::plainTextFilesRoundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(QByteArray, saved);
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.txt"));
    const QString out = dir.filePath(QStringLiteral("out.txt"));
    QVERIFY(writeAll(in, bytes));

    RichTextBox box;
    QVERIFY2(box.LoadFile(in, RichTextBox::rtfText), qPrintable(box.LastError()));
    QCOMPARE(box.Text(), text);
    QVERIFY2(box.SaveFile(out, RichTextBox::rtfText), qPrintable(box.LastError()));
    QCOMPARE(readAll(out), saved);
}

void TestRichTextBox::richModeLoadsPlainFileAsText()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plain.rtf"));
    QVERIFY(writeAll(path, "not rich\r\nat all"));
    RichTextBox box;
    QVERIFY(box.LoadFile(path));
    QCOMPARE(box.Text(), QStringLiteral("not rich\r\nat all"));
    QCOMPARE(box.SelStart(), 0);
}

void TestRichTextBox::anyBytesLoadWithoutHarm_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("type");
    QByteArray noise(65536, '\0');
    quint32 seed = 12345;
    for (char &c : noise) {
        seed = seed * 1103515245u + 12345u;
        c = char(seed >> 24);
    }
    QTest::newRow("robustness: random bytes as text") << noise << int(RichTextBox::rtfText);
    QTest::newRow("robustness: random bytes as Rich Text") << noise << int(RichTextBox::rtfRTF);
    QTest::newRow("robustness: NUL bytes") << QByteArray(100, '\0') << int(RichTextBox::rtfText);
    QTest::newRow("robustness: RTF header and noise") << QByteArray("{\\rtf1 ") + noise << int(RichTextBox::rtfRTF);
    QTest::newRow("robustness: truncated RTF") << QByteArray("{\\rtf1{\\fonttbl{\\f0 Ar") << int(RichTextBox::rtfRTF);
}

void TestRichTextBox::anyBytesLoadWithoutHarm()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, type);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("odd"));
    QVERIFY(writeAll(path, bytes));
    RichTextBox box;
    box.SetText(QStringLiteral("before"));
    if (box.LoadFile(path, type)) {
        box.GetLineCount();
        QVERIFY(box.SaveFile(dir.filePath(QStringLiteral("again.rtf"))));
        QVERIFY(box.SaveFile(dir.filePath(QStringLiteral("again.txt")), RichTextBox::rtfText));
    } else {
        QCOMPARE(box.Text(), QStringLiteral("before"));
        QVERIFY(!box.LastError().isEmpty());
    }
}

void TestRichTextBox::failedSaveKeepsOldFile_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("a folder where the file should be") << "folder";
    QTest::newRow("a parent that is a file") << "parent";
    QTest::newRow("disk full after 100 bytes") << "inject";
    QTest::newRow("disk full before the first byte") << "inject0";
}

void TestRichTextBox::failedSaveKeepsOldFile()
{
    QFETCH(QString, how);
    QTemporaryDir dir;
    QString target = dir.filePath(QStringLiteral("doc.txt"));
    const QByteArray old("the old content\n");
    QVERIFY(writeAll(target, old));

    RichTextBox box;
    box.SetText(QString(200000, u'z'));
    if (how == QLatin1String("folder")) {
        target = dir.filePath(QStringLiteral("folder"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    } else if (how == QLatin1String("parent")) {
        target = dir.filePath(QStringLiteral("doc.txt/inner.txt"));
    } else {
        RichTextBox::InjectSaveFailure(how == QLatin1String("inject") ? 100 : 0);
    }
    QVERIFY(!box.SaveFile(target, RichTextBox::rtfText));
    QVERIFY(!box.LastError().isEmpty());
    QVERIFY2(box.LastError().contains(target), qPrintable(box.LastError()));
    QCOMPARE(readAll(dir.filePath(QStringLiteral("doc.txt"))), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);   // no temporary left behind

    // The injected failure lasts for one save only.
    QVERIFY2(box.SaveFile(dir.filePath(QStringLiteral("doc.txt")), RichTextBox::rtfText),
             qPrintable(box.LastError()));
    QCOMPARE(readAll(dir.filePath(QStringLiteral("doc.txt"))).size(), 200000);
}

void TestRichTextBox::failedLoadKeepsContent_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing file") << "missing" << "No such file";
    QTest::newRow("a folder") << "folder" << "folder";
    QTest::newRow("a pipe is not read forever") << "fifo" << "not a regular file";
    QTest::newRow("unknown type") << "type" << "unknown file type";
}

void TestRichTextBox::failedLoadKeepsContent()
{
    QFETCH(QString, how);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("x.txt"));
    int type = RichTextBox::rtfText;
    if (how == QLatin1String("folder")) {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("x.txt")));
    } else if (how == QLatin1String("fifo")) {
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    } else if (how == QLatin1String("type")) {
        QVERIFY(writeAll(path, "text"));
        type = 7;
    }

    RichTextBox box;
    box.SetText(QStringLiteral("kept\r\ncontent"));
    QSignalSpy change(&box, &RichTextBox::Change);
    QVERIFY(!box.LoadFile(path, type));
    QVERIFY2(box.LastError().contains(reason, Qt::CaseInsensitive), qPrintable(box.LastError()));
    QCOMPARE(box.Text(), QStringLiteral("kept\r\ncontent"));
    QCOMPARE(change.count(), 0);
}

void TestRichTextBox::selPrintPrintsOnlyTheSelection()
{
    QTemporaryDir dir;
    RichTextBox box;
    QString text;
    for (int i = 0; i < 400; ++i)
        text += QStringLiteral("Line %1 of a long document\r\n").arg(i);
    box.SetText(text);

    auto pagesPrinted = [&](const QString &name) {
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(name));
        box.SelPrint(&printer);
        const QByteArray pdf = readAll(dir.filePath(name));
        return int(pdf.count("/Type /Page") - pdf.count("/Type /Pages"));
    };

    select(box, 0, box.document()->characterCount() - 1);
    const int all = pagesPrinted(QStringLiteral("all.pdf"));
    select(box, 0, 4);
    const int word = pagesPrinted(QStringLiteral("word.pdf"));
    QVERIFY2(all > 3, qPrintable(QString::number(all)));
    QCOMPARE(word, 1);
    QCOMPARE(box.SelLength(), 4);   // printing leaves the selection alone
    QCOMPARE(box.Text(), text);
}

void TestRichTextBox::richTextRoundTripsThroughTheControl()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("doc.rtf"));
    RichTextBox box;
    box.SetText(QStringLiteral("plain bold\r\ncentred"));
    select(box, 6, 4);
    box.SetSelBold(true);
    select(box, 11, 1);
    box.SetSelAlignment(RichTextBox::rtfCenter);
    QVERIFY2(box.SaveFile(path), qPrintable(box.LastError()));
    QVERIFY(readAll(path).startsWith("{\\rtf"));

    RichTextBox other;
    other.SetRightMargin(2880);
    QVERIFY2(other.LoadFile(path), qPrintable(other.LastError()));
    QCOMPARE(other.Text(), QStringLiteral("plain bold\r\ncentred"));
    select(other, 6, 4);
    QCOMPARE(other.SelBold(), std::optional<bool>(true));
    select(other, 0, 5);
    QCOMPARE(other.SelBold(), std::optional<bool>(false));
    select(other, 12, 2);
    QCOMPARE(other.SelAlignment(), std::optional<int>(RichTextBox::rtfCenter));
    QCOMPARE(other.FontName(), QStringLiteral("Verdana"));
    QCOMPARE(other.document()->defaultFont().pointSizeF(), 10.0);

    // The loaded document keeps the control's wrap width.
    RichTextBox same;
    same.SetRightMargin(2880);
    QString longText;
    for (int i = 0; i < 80; ++i)
        longText += QStringLiteral("words ");
    same.SetText(longText);
    QVERIFY(same.SaveFile(path, RichTextBox::rtfText));
    QVERIFY(other.LoadFile(path, RichTextBox::rtfText));
    QCOMPARE(other.GetLineCount(), same.GetLineCount());
    QVERIFY(other.GetLineCount() > 3);
}

void TestRichTextBox::selRtfInsertsFormattedOrPlain()
{
    RichTextBox source;
    source.SetText(QStringLiteral("bold"));
    select(source, 0, 4);
    source.SetSelBold(true);
    const QByteArray rtf = source.SelRTF();
    QVERIFY(rtf.startsWith("{\\rtf"));

    RichTextBox box;
    box.SetText(QStringLiteral("[]"));
    box.SetSelStart(1);
    QSignalSpy change(&box, &RichTextBox::Change);
    box.SetSelRTF(rtf);
    QCOMPARE(change.count(), 1);
    QVERIFY2(box.Text().startsWith(QStringLiteral("[bold")), qPrintable(box.Text()));
    select(box, 1, 4);
    QCOMPARE(box.SelBold(), std::optional<bool>(true));

    box.SetText(QString());
    box.SetSelRTF("{not rtf} \\b plain");
    QCOMPARE(box.Text(), QStringLiteral("{not rtf} \\b plain"));
}

void TestRichTextBox::richClipboard()
{
    RichTextBox source;
    source.SetText(QStringLiteral("rich copy"));
    select(source, 0, 4);
    source.SetSelBold(true);
    source.CopyRich();
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data);
    QVERIFY(data->hasFormat(QStringLiteral("text/rtf")));
    QVERIFY(data->hasHtml());
    QCOMPARE(data->text(), QStringLiteral("rich"));

    RichTextBox target;
    QSignalSpy change(&target, &RichTextBox::Change);
    target.PasteRich();
    QCOMPARE(change.count(), 1);
    QVERIFY2(target.Text().startsWith(QStringLiteral("rich")), qPrintable(target.Text()));
    select(target, 0, 4);
    QCOMPARE(target.SelBold(), std::optional<bool>(true));
    QGuiApplication::clipboard()->clear();
}

namespace {
class MimeProbe : public RichTextBox
{
public:
    using RichTextBox::canInsertFromMimeData;
};
}

void TestRichTextBox::droppedFilesAreLeftToTheWindow()
{
    MimeProbe box;
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.rtf"))});
    QVERIFY(!box.canInsertFromMimeData(&files));
    QMimeData text;
    text.setText(QStringLiteral("words"));
    QVERIFY(box.canInsertFromMimeData(&text));
}

void TestRichTextBox::newDocumentsUsePlatformLineEnds()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new.txt"));
    RichTextBox box;
    box.SetText(QStringLiteral("a\r\nb"));
    QVERIFY(box.SaveFile(path, RichTextBox::rtfText));
#ifdef Q_OS_WIN
    QCOMPARE(readAll(path), QByteArray("a\r\nb"));
#else
    QCOMPARE(readAll(path), QByteArray("a\nb"));
#endif
}

void TestRichTextBox::placementInTwips()
{
    QWidget parent;
    RichTextBox box(&parent);
    box.Move(1440, 720, 2880, 1440);
    const int dpiX = box.logicalDpiX();
    QCOMPARE(box.x(), dpiX);
    QCOMPARE(box.width(), 2 * dpiX);
    QCOMPARE(box.Width(), 2880);
    QCOMPARE(box.Height(), 1440);
    box.Move(0, 0, -100, 100);   // a size below zero is refused, not applied
    QCOMPARE(box.Width(), 2880);
    box.SetRightMargin(-50);
    QCOMPARE(box.RightMargin(), 0);
    box.SetRightMargin(2000);
    QCOMPARE(box.RightMargin(), 2000);
    QCOMPARE(box.lineWrapMode(), QTextEdit::FixedPixelWidth);
    box.SetRightMargin(0);
    QCOMPARE(box.lineWrapMode(), QTextEdit::WidgetWidth);
}

void TestRichTextBox::mouseUpInTwips()
{
    RichTextBox box;
    box.resize(400, 300);
    QSignalSpy up(&box, &RichTextBox::MouseUp);
    const QPoint at(box.logicalDpiX() / 2, box.logicalDpiY() / 4);
    QTest::mouseClick(box.viewport(), Qt::LeftButton, Qt::ShiftModifier, at);
    QTest::mouseClick(box.viewport(), Qt::RightButton, Qt::NoModifier, at);
    QCOMPARE(up.count(), 2);
    QCOMPARE(up.at(0), (QList<QVariant>{1, 1, 720, 360}));
    QCOMPARE(up.at(1).at(0).toInt(), 2);
}

void TestRichTextBox::keyEvents()
{
    RichTextBox box;
    QSignalSpy press(&box, &RichTextBox::KeyPress);
    QSignalSpy up(&box, &RichTextBox::KeyUp);
    QSignalSpy overwrite(&box, &RichTextBox::OverwriteModeChanged);

    QTest::keyClick(&box, Qt::Key_A);
    QTest::keyClick(&box, Qt::Key_Return);
    QTest::keyClick(&box, Qt::Key_Backspace);
    QTest::keyClick(&box, Qt::Key_Delete);
    QTest::keyClick(&box, Qt::Key_T, Qt::ControlModifier);
    QTest::keyClick(&box, Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(&box, Qt::Key_Left);

    QList<int> ascii;
    for (const auto &args : press)
        ascii << args.at(0).toInt();
    QCOMPARE(ascii, (QList<int>{97, 13, 8, 20, 23}));

    QList<QPair<int, int>> released;
    for (const auto &args : up) {
        const int code = args.at(0).toInt();
        if (code < 16 || code > 18)   // the releases of Shift and Ctrl themselves
            released << qMakePair(code, args.at(1).toInt());
    }
    QCOMPARE(released, (QList<QPair<int, int>>{{65, 0}, {13, 0}, {8, 0}, {46, 0}, {84, 2}, {87, 3}, {37, 0}}));

    // A held key's repeated releases are not reported, only the last one.
    up.clear();
    QKeyEvent repeated(QEvent::KeyRelease, Qt::Key_Delete, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(&box, &repeated);
    QCOMPARE(up.count(), 0);

    QTest::keyClick(&box, Qt::Key_Insert);
    QVERIFY(box.overwriteMode());
    QTest::keyClick(&box, Qt::Key_Insert);
    QVERIFY(!box.overwriteMode());
    QCOMPARE(overwrite.count(), 2);
}

void TestRichTextBox::clipboardKeysCanBeSwitchedOff()
{
    RichTextBox box;
    box.SetText(QStringLiteral("copy me"));
    select(box, 0, 4);
    box.SetClipboardKeysEnabled(false);
    QTest::keyClick(&box, Qt::Key_C, Qt::ControlModifier);
    box.SetSelStart(7);
    QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&box, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(box.Text(), QStringLiteral("copy me"));
    QVERIFY(!box.overwriteMode());
}

QTEST_MAIN(TestRichTextBox)
#include "tst_richtextbox.moc"
