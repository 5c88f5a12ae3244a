#include "RichTextBox.h"

#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QPrinter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <functional>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {
QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}
bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A selection property: set on the first paragraph; does it read Null; is it a paragraph format.
struct Property
{
    const char *name;
    std::function<void(RichTextBox &)> set;
    std::function<bool(const RichTextBox &)> isNull;
    bool paragraph;
};
#define PROPERTY(name, setter, value, getter, paragraph) \
    {name, [](RichTextBox &b) { b.setter(value); }, [](const RichTextBox &b) { return !b.getter(); }, paragraph}
const Property properties[] = {
    PROPERTY("bold", SetSelBold, true, SelBold, false),
    PROPERTY("italic", SetSelItalic, true, SelItalic, false),
    PROPERTY("underline", SetSelUnderline, true, SelUnderline, false),
    PROPERTY("strike-through", SetSelStrikeThru, true, SelStrikeThru, false),
    PROPERTY("font name", SetSelFontName, QStringLiteral("Courier New"), SelFontName, false),
    PROPERTY("size", SetSelFontSize, 24, SelFontSize, false),
    PROPERTY("colour", SetSelColor, 0x0000ff, SelColor, false),
    PROPERTY("alignment", SetSelAlignment, RichTextBox::rtfCenter, SelAlignment, true),
    PROPERTY("indent", SetSelIndent, 720, SelIndent, true),
    PROPERTY("hanging indent", SetSelHangingIndent, 360, SelHangingIndent, true),
    PROPERTY("bullets", SetSelBullet, true, SelBullet, true),
};
}

class TestRichTextBox : public QObject
{
    Q_OBJECT

    static void select(RichTextBox &box, int start, int length)
    {
        box.SetSelStart(start);
        box.SetSelLength(length);
    }

private slots:
    void positionsCountCrLfAsOne()
    {
        RichTextBox box;
        box.SetText(QStringLiteral("one\r\ntwo\nthree"));
        QCOMPARE(box.Text(), QStringLiteral("one\r\ntwo\r\nthree"));
        select(box, 4, 3);   // a paragraph break is one position
        QCOMPARE(box.SelText(), QStringLiteral("two"));
        select(box, 2, 3);
        QCOMPARE(box.SelText(), QStringLiteral("e\r\nt"));
        select(box, 0, 1000);   // beyond the end: selects to the end
        QCOMPARE(box.SelLength(), 13);
    }

    void mixedSelectionReadsNull_data()
    {
        QTest::addColumn<int>("property");
        for (int i = 0; i < int(std::size(properties)); ++i)
            QTest::addRow("mixed %s reads Null", properties[i].name) << i;
    }
    void mixedSelectionReadsNull()
    {
        QFETCH(int, property);
        const Property &p = properties[property];
        RichTextBox box;
        box.SetText(QStringLiteral("first\r\nsecond"));
        select(box, 0, 5);   // the first paragraph only
        p.set(box);
        QVERIFY2(!p.isNull(box), "a uniform selection must have a value");
        select(box, 0, 12);
        QVERIFY2(p.isNull(box), "a selection over both paragraphs mixes values");
        // Ending right at the start of the second paragraph covers only the first one's paragraph formats.
        select(box, 0, 6);
        QVERIFY(!p.paragraph || !p.isNull(box));
    }

    void indentsRoundTripInTwips_data()
    {
        QTest::addColumn<int>("indent");
        QTest::addColumn<int>("hanging");
        QTest::newRow("one pixel") << 15 << 0;
        QTest::newRow("inch with hanging quarter") << 1440 << 360;
        QTest::newRow("negative hanging") << 0 << -360;
        QTest::newRow("odd twips") << 733 << 17;
    }
    void indentsRoundTripInTwips()
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
        QCOMPARE(box.SelHangingIndent(), std::optional<int>(hanging));
        box.SetSelHangingIndent(0);
        QCOMPARE(box.SelIndent(), std::optional<int>(2160));
    }

    void formatsAndColoursAtTheCaret()
    {
        RichTextBox box;
        box.SetText(QStringLiteral("plain"));
        box.SetSelStart(5);
        box.SetSelBold(true);   // no selection: the next typed text is bold
        QSignalSpy change(&box, &RichTextBox::Change);
        QTest::keyClick(&box, Qt::Key_B);
        select(box, 5, 1);
        QCOMPARE(box.SelBold(), std::optional<bool>(true));
        // Elsewhere the caret reads the document's default format.
        box.SetSelStart(3);
        QCOMPARE(box.SelBold(), std::optional<bool>(false));
        QCOMPARE(box.SelFontName(), std::optional<QString>(QStringLiteral("Verdana")));

        select(box, 0, 1);
        box.SetSelColor(0x123456);   // colours are 0x00BBGGRR
        QCOMPARE(box.SelColor(), std::optional<int>(0x123456));
        QCOMPARE(QTextCursor(box.document()).charFormat().foreground().color(), QColor(0x56, 0x34, 0x12));
        QCOMPARE(change.count(), 2);   // typing, then a format change: both change the document
        box.SetFontSize(12);           // the base font does not
        box.SetFontName(QStringLiteral("Arial"));
        QCOMPARE(change.count(), 2);
        box.SetSelStart(1);
        QCOMPARE(box.SelFontName(), std::optional<QString>(QStringLiteral("Arial")));
    }

    void lineMessagesCountWrappedLines()
    {
        QCOMPARE(RichTextBox().GetLineCount(), 1);   // empty: still one line
        RichTextBox box;
        box.Move(0, 0, 6000, 3000);
        box.SetRightMargin(1440);   // one inch of text per line
        const QString paragraph = QStringLiteral("word ").repeated(60);
        box.SetText(paragraph + QStringLiteral("\r\nshort"));
        const int lines = box.GetLineCount();
        QVERIFY2(lines > 5, qPrintable(QString::number(lines)));
        const int secondParagraph = int(paragraph.size()) + 1;
        QCOMPARE(box.LineFromChar(secondParagraph), lines - 1);
        QCOMPARE(box.LineFromChar(secondParagraph - 1), lines - 2);   // end of the wrapped paragraph
        box.SetSelStart(secondParagraph + 2);
        QCOMPARE(box.LineFromChar(-1), lines - 1);   // -1: the line of the selection start

        // Typing relayouts what changed: the counts follow.
        box.SetSelStart(secondParagraph - 1);
        QTest::keyClicks(&box, QStringLiteral("word ").repeated(10));
        QVERIFY(box.GetLineCount() > lines);
        QCOMPARE(box.LineFromChar(box.document()->characterCount() - 1), box.GetLineCount() - 1);

        // A Rich Text file loaded into a control of the same margin wraps the same,
        // in that control's default font.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("doc.rtf"));
        QVERIFY2(box.SaveFile(path), qPrintable(box.LastError()));
        RichTextBox other;
        other.SetRightMargin(1440);
        QVERIFY2(other.LoadFile(path), qPrintable(other.LastError()));
        QCOMPARE(other.FontName(), QStringLiteral("Verdana"));
        QCOMPARE(other.GetLineCount(), box.GetLineCount());
    }

    void find_data()
    {
        QTest::addColumn<QString>("needle");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<int>("options");
        QTest::addColumn<int>("expected");
        // Text: "The cat concatenates. CAT\r\nsecond cat line"
        QTest::newRow("ignores case by default") << "cat" << 0 << -1 << 0 << 4;
        QTest::newRow("match case") << "CAT" << 0 << -1 << 4 << 22;
        QTest::newRow("whole word skips inner match") << "cat" << 5 << -1 << 2 << 22;
        QTest::newRow("no highlight: the selection stays") << "cat" << 0 << -1 << 8 << 4;
        QTest::newRow("start past a match") << "cat" << 5 << -1 << 0 << 11;
        QTest::newRow("end excludes a match") << "cat" << 23 << 35 << 0 << -1;
        QTest::newRow("end includes a match") << "cat" << 23 << 36 << 0 << 33;
        QTest::newRow("empty text") << "" << 0 << -1 << 0 << -1;
        QTest::newRow("across a paragraph break") << "CAT\r\nsecond" << 0 << -1 << 0 << 22;
        QTest::newRow("start beyond the end") << "cat" << 1000 << -1 << 0 << -1;
    }
    void find()
    {
        QFETCH(QString, needle);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(int, options);
        QFETCH(int, expected);
        RichTextBox box;
        box.SetText(QStringLiteral("The cat concatenates. CAT\r\nsecond cat line"));
        box.SetSelStart(2);
        QCOMPARE(box.Find(needle, start, end, options), expected);
        const bool selects = expected >= 0 && !(options & RichTextBox::rtfNoHighlight);
        QCOMPARE(box.SelStart(), selects ? expected : 2);
        QCOMPARE(box.SelText().size(), selects ? needle.size() : 0);   // CR LF is two characters of text
    }

    // Long paragraphs are searched in growing windows counted from the
    // start; a match or its word's end on either side of a window's edge
    // counts. Moving the start over 5,000 characters puts the match at every
    // offset from it, so across the edges of the first several windows.
    void findAcrossWindowEdges_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("found");
        QTest::newRow("whole word at the edge") << " cat " << true;
        QTest::newRow("word going on past the edge is no whole word") << " catx " << false;
    }
    void findAcrossWindowEdges()
    {
        QFETCH(QString, word);
        QFETCH(bool, found);
        RichTextBox box;
        const int at = 5001;
        box.SetText(QString(at - 1, u'x') + word + QString(5000, u'x'));
        for (int start = 0; start <= at; ++start) {
            QCOMPARE(box.Find(QStringLiteral("cat"), start, -1, RichTextBox::rtfWholeWord), found ? at : -1);
            QCOMPARE(box.Find(QStringLiteral("cat"), start, -1, 0), at);
        }
    }

    void span_data()
    {
        // From the caret, Span backwards, then forwards over the same set.
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("set");
        QTest::addColumn<bool>("negate");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        const QString filler(45000, u'x');
        const QString twoLines = QStringLiteral("one two\r\nthree four");
        QTest::newRow("a sentence beyond 32767") << filler + u". A sentence here? Next"_s << 45008 << ".?!" << true << 45001 << 16;
        QTest::newRow("over a set beyond 32767") << filler << 100 << "x" << false << 0 << 45000;
        QTest::newRow("negated: a break is not in the set") << twoLines << 10 << ".?!" << true << 0 << 18;
        QTest::newRow("a break ends a run of letters") << twoLines << 9 << "abcdefghijklmnopqrstuvwxyz " << false << 8 << 10;
    }
    void span()
    {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(QString, set);
        QFETCH(bool, negate);
        QFETCH(int, start);
        QFETCH(int, length);
        RichTextBox box;
        box.SetText(text);
        box.SetSelStart(caret);
        box.Span(set, false, negate);
        box.Span(set, true, negate);
        QCOMPARE(box.SelStart(), start);
        QCOMPARE(box.SelLength(), length);
    }

    void changeRaisedOncePerProgrammaticEdit_data()
    {
        QTest::addColumn<int>("operation");
        const char *names[] = {"LoadFile", "SetText", "SetSelText", "SetSelRTF with plain text"};
        for (int i = 0; i < int(std::size(names)); ++i)
            QTest::newRow(names[i]) << i;
    }
    void changeRaisedOncePerProgrammaticEdit()
    {
        QFETCH(int, operation);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.txt"));
        QVERIFY(writeFile(path, "same"));
        RichTextBox box;
        box.SetText(QStringLiteral("same"));
        QSignalSpy change(&box, &RichTextBox::Change);
        QSignalSpy replaced(&box, &RichTextBox::DocumentReplaced);
        switch (operation) {
        case 0: QVERIFY(box.LoadFile(path, RichTextBox::rtfText)); break;
        case 1: box.SetText(QStringLiteral("one\r\ntwo")); break;
        case 2: box.SetSelText(QStringLiteral("new\r\ntext")); break;
        case 3: box.SetSelRTF("plain words"); break;
        }
        QCOMPARE(change.count(), 1);
        QCOMPARE(replaced.count(), operation == 0 ? 1 : 0);
        if (!replaced.isEmpty())
            QCOMPARE(replaced.last().at(0).value<QTextDocument *>(), box.document());
    }

    void plainTextFilesRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("saved");
        const int txt = RichTextBox::rtfText;
        QTest::newRow("UTF-8 with LF") << QByteArray("caf\xc3\xa9\nx") << txt << u"caf\u00e9\r\nx"_s << QByteArray("caf\xc3\xa9\nx");
        QTest::newRow("UTF-8 with BOM and CR LF") << QByteArray("\xef\xbb\xbfna\xc3\xafve\r\nx\r\n") << txt
                                                  << u"na\u00efve\r\nx\r\n"_s << QByteArray("\xef\xbb\xbfna\xc3\xafve\r\nx\r\n");
        QTest::newRow("UTF-16 LE with BOM") << QByteArray("\xff\xfeH\0i\0\r\0\n\0", 10) << txt << u"Hi\r\n"_s
                                            << QByteArray("\xff\xfeH\0i\0\r\0\n\0", 10);
        QTest::newRow("UTF-32 BE with BOM") << QByteArray("\0\0\xfe\xff\0\0\0H\0\x01\xf6\0", 12) << txt << u"H\U0001F600"_s
                                            << QByteArray("\0\0\xfe\xff\0\0\0H\0\x01\xf6\0", 12);
        QTest::newRow("a stray byte leaves the UTF-8 around it alone")
            << QByteArray("na\xc3\xafve \x85 \xe6\x97\xa5") << txt << u"na\u00efve \u2026 \u65e5"_s
            << QByteArray("na\xc3\xafve \xe2\x80\xa6 \xe6\x97\xa5");
        QTest::newRow("a broken sequence is read byte by byte")
            << QByteArray("a\xe6\x97z \xed\xa0\x80") << txt << u"a\u00e6\u2014z \u00ed\u00a0\u20ac"_s
            << QByteArray("a\xc3\xa6\xe2\x80\x94z \xc3\xad\xc2\xa0\xe2\x82\xac");
        QTest::newRow("Windows-1252 becomes UTF-8") << QByteArray("caf\xe9 \x80 \x93q\x94\r\n") << txt << u"caf\u00e9 \u20ac \u201cq\u201d\r\n"_s
                                                    << QByteArray("caf\xc3\xa9 \xe2\x82\xac \xe2\x80\x9cq\xe2\x80\x9d\r\n");
        QTest::newRow("UTF-8 cut short is not UTF-8") << QByteArray("ab\xc3") << txt << u"ab\u00c3"_s << QByteArray("ab\xc3\x83");
        QTest::newRow("empty file") << QByteArray() << txt << QString() << QByteArray();
        QTest::newRow("blank lines kept") << QByteArray("\n\na\n\n") << txt << u"\r\n\r\na\r\n\r\n"_s << QByteArray("\n\na\n\n");
        QTest::newRow("Rich Text mode takes a plain file as text")
            << QByteArray("not rich\r\n") << int(RichTextBox::rtfRTF) << u"not rich\r\n"_s << QByteArray("not rich\r\n");
    }
    void plainTextFilesRoundTrip()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, type);
        QFETCH(QString, text);
        QFETCH(QByteArray, saved);
        QTemporaryDir dir;
        const QString in = dir.filePath(QStringLiteral("in.txt"));
        const QString out = dir.filePath(QStringLiteral("out.txt"));
        QVERIFY(writeFile(in, bytes));
        RichTextBox box;
        QVERIFY2(box.LoadFile(in, type), qPrintable(box.LastError()));
        QCOMPARE(box.Text(), text);
        QVERIFY2(box.SaveFile(out, RichTextBox::rtfText), qPrintable(box.LastError()));
        QCOMPARE(readFile(out), saved);
    }

    void failedSaveKeepsOldFile_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("failAfter");   // bytes before an injected failure, or none
        QTest::newRow("a folder where the file should be") << "folder" << -1;
        QTest::newRow("a parent that is a file") << "doc.txt/inner.txt" << -1;
        QTest::newRow("disk full after 100 bytes") << "doc.txt" << 100;
        QTest::newRow("disk full before the first byte") << "doc.txt" << 0;
    }
    void failedSaveKeepsOldFile()
    {
        QFETCH(QString, target);
        QFETCH(int, failAfter);
        QTemporaryDir dir;
        const QString doc = dir.filePath(QStringLiteral("doc.txt"));
        const QByteArray old("the old content\n");
        QVERIFY(writeFile(doc, old));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
        RichTextBox box;
        box.SetText(QString(200000, u'z'));
        if (failAfter >= 0)
            RichTextBox::InjectSaveFailure(failAfter);
        QVERIFY(!box.SaveFile(dir.filePath(target), RichTextBox::rtfText));
        QVERIFY2(box.LastError().contains(dir.filePath(target)), qPrintable(box.LastError()));
        QCOMPARE(readFile(doc), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);   // no temporary left behind

        // The injected failure lasts for one save only.
        QVERIFY2(box.SaveFile(doc, RichTextBox::rtfText), qPrintable(box.LastError()));
        QCOMPARE(readFile(doc).size(), 200000);
    }

    void failedLoadKeepsContent_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing file") << "missing" << "No such file";
        QTest::newRow("a folder") << "folder" << "folder";
        QTest::newRow("a pipe is not read forever") << "fifo" << "not a regular file";
        QTest::newRow("unknown type") << "type" << "unknown file type";
    }
    void failedLoadKeepsContent()
    {
        QFETCH(QString, how);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.txt"));
        if (how == QLatin1String("folder"))
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("x.txt")));
        else if (how == QLatin1String("fifo"))
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        else if (how == QLatin1String("type"))
            QVERIFY(writeFile(path, "text"));
        RichTextBox box;
        box.SetText(QStringLiteral("kept\r\ncontent"));
        QSignalSpy change(&box, &RichTextBox::Change);
        QVERIFY(!box.LoadFile(path, how == QLatin1String("type") ? 7 : int(RichTextBox::rtfText)));
        QVERIFY2(box.LastError().contains(reason, Qt::CaseInsensitive), qPrintable(box.LastError()));
        QCOMPARE(box.Text(), QStringLiteral("kept\r\ncontent"));
        QCOMPARE(change.count(), 0);
    }

    void selPrintPrintsOnlyTheSelection()
    {
        QTemporaryDir dir;
        RichTextBox box;
        box.SetText(QStringLiteral("A line of a long document\r\n").repeated(400));
        auto pagesPrinted = [&](const QString &name) {
            QPrinter printer(QPrinter::ScreenResolution);
            printer.setOutputFileName(dir.filePath(name));   // .pdf: a PDF file
            box.SelPrint(&printer);
            const QByteArray pdf = readFile(dir.filePath(name));
            return int(pdf.count("/Type /Page") - pdf.count("/Type /Pages"));
        };
        select(box, 0, box.document()->characterCount() - 1);
        QVERIFY(pagesPrinted(QStringLiteral("all.pdf")) > 3);
        select(box, 0, 4);
        QCOMPARE(pagesPrinted(QStringLiteral("word.pdf")), 1);
        QCOMPARE(box.SelLength(), 4);   // printing leaves the selection alone
    }

    void richTextCarriesFormats_data()
    {
        QTest::addColumn<bool>("viaClipboard");
        QTest::newRow("SelRTF") << false;
        QTest::newRow("rich clipboard") << true;
    }
    void richTextCarriesFormats()
    {
        QFETCH(bool, viaClipboard);
        RichTextBox source;
        source.SetText(QStringLiteral("bold copy"));
        select(source, 0, 4);
        source.SetSelBold(true);
        RichTextBox box;
        box.SetText(QStringLiteral("[]"));
        box.SetSelStart(1);
        QSignalSpy change(&box, &RichTextBox::Change);
        if (viaClipboard) {
            source.CopyRich();
            const QMimeData *data = QGuiApplication::clipboard()->mimeData();
            QVERIFY(data && data->hasFormat(QStringLiteral("text/rtf")) && data->hasHtml());
            box.PasteRich();
            QGuiApplication::clipboard()->clear();
        } else {
            QVERIFY(source.SelRTF().startsWith("{\\rtf"));
            box.SetSelRTF(source.SelRTF());
        }
        QCOMPARE(change.count(), 1);
        QVERIFY2(box.Text().startsWith(QStringLiteral("[bold")), qPrintable(box.Text()));
        select(box, 1, 4);
        QCOMPARE(box.SelBold(), std::optional<bool>(true));

        box.SetText(QString());   // what is not Rich Text goes in as it is
        box.SetSelRTF("{not rtf} \\b plain");
        QCOMPARE(box.Text(), QStringLiteral("{not rtf} \\b plain"));
    }

    void droppedFilesAreLeftToTheWindow()
    {
        struct Probe : RichTextBox { using RichTextBox::canInsertFromMimeData; } box;
        QMimeData data;
        data.setText(QStringLiteral("words"));
        QVERIFY(box.canInsertFromMimeData(&data));
        data.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.rtf"))});
        QVERIFY(!box.canInsertFromMimeData(&data));
    }

    void mouseUpInTwips()
    {
        RichTextBox box;
        QSignalSpy up(&box, &RichTextBox::MouseUp);
        const QPoint at(box.logicalDpiX() / 2, box.logicalDpiY() / 4);
        QTest::mouseClick(box.viewport(), Qt::LeftButton, Qt::ShiftModifier, at);
        QTest::mouseClick(box.viewport(), Qt::RightButton, Qt::NoModifier, at);
        QCOMPARE(up.count(), 2);
        QCOMPARE(up.at(0), (QList<QVariant>{1, 1, 720, 360}));
        QCOMPARE(up.at(1).at(0).toInt(), 2);
    }

    void keyEvents_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("ascii");   // 0: no KeyPress
        QTest::addColumn<QVariantList>("keyUp");   // key code, shift state
        QTest::newRow("Delete has no character") << int(Qt::Key_Delete) << 0 << 0 << QVariantList{46, 0};
        QTest::newRow("Ctrl+Shift+W is a control character")
            << int(Qt::Key_W) << int(Qt::ControlModifier | Qt::ShiftModifier) << 23 << QVariantList{87, 3};
        QTest::newRow("5 on the keypad") << int(Qt::Key_5) << int(Qt::KeypadModifier) << 53 << QVariantList{101, 0};
        QTest::newRow("shifted 1 is the 1 key") << int(Qt::Key_Exclam) << int(Qt::ShiftModifier) << 33 << QVariantList{49, 1};
        QTest::newRow("comma") << int(Qt::Key_Comma) << 0 << 44 << QVariantList{188, 0};
    }
    void keyEvents()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, ascii);
        QFETCH(QVariantList, keyUp);
        RichTextBox box;
        QSignalSpy press(&box, &RichTextBox::KeyPress);
        QSignalSpy up(&box, &RichTextBox::KeyUp);
        QTest::keyClick(&box, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(press.count(), ascii ? 1 : 0);
        QCOMPARE(ascii ? press.at(0).at(0).toInt() : 0, ascii);
        QVERIFY(up.contains(keyUp));   // among the modifiers' own releases
        // A held key's repeated releases are not reported, only the last one.
        up.clear();
        QKeyEvent repeated(QEvent::KeyRelease, key, Qt::KeyboardModifiers(modifiers), QString(), true);
        QApplication::sendEvent(&box, &repeated);
        QCOMPARE(up.count(), 0);
    }
};

QTEST_MAIN(TestRichTextBox)
#include "tst_richtextbox.moc"
