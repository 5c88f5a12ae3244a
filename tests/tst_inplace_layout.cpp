// Typing in a large document must not cost a walk over every paragraph below
// the caret, and the shortcut must never show: after edits laid out in place
// the document is laid out exactly as Qt's own layout lays it out, line for
// line, and points still find their characters.
#include "InPlaceLayout.h"
#include "RichTextBox.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

namespace {
const QByteArray words = "lorem ipsum dolor sit amet consectetur adipiscing elit sed do eiusmod tempor "
                         "incididunt ut labore et dolore magna aliqua ut enim ad minim veniam";

QByteArray pictureHex()
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return buffer.data().toHex();
}

// Every paragraph's place and lines, and where a point in each first line lands.
QStringList geometry(QTextDocument *doc)
{
    QStringList out;
    QAbstractTextDocumentLayout *layout = doc->documentLayout();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        const QTextLayout *l = b.layout();
        QString s = QStringLiteral("%1 at %2,%3:").arg(b.blockNumber()).arg(l->position().x()).arg(l->position().y());
        for (int i = 0; i < l->lineCount(); ++i) {
            const QTextLine line = l->lineAt(i);
            s += QStringLiteral(" [%1+%2 %3,%4 w%5 h%6]")
                     .arg(line.textStart()).arg(line.textLength()).arg(line.x()).arg(line.y())
                     .arg(line.width()).arg(line.height());
        }
        if (l->lineCount() > 0) {
            const QPointF point = l->position() + QPointF(l->lineAt(0).x() + 12, l->lineAt(0).y() + 3);
            s += QStringLiteral(" hit %1").arg(layout->hitTest(point, Qt::FuzzyHit));
        }
        out << s;
    }
    const QSizeF size = layout->documentSize();
    out << QStringLiteral("size %1x%2").arg(size.width()).arg(size.height());
    return out;
}

// What Qt's own layout makes of the document as it now stands.
QStringList qtGeometry(QTextDocument *doc)
{
    // A change of every character's format, as far as the layout knows:
    // Qt lays every paragraph out again.
    doc->markContentsDirty(0, doc->characterCount());
    return geometry(doc);
}
}

class tst_inplace_layout : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void typingMatchesQtLayout_data();
    void typingMatchesQtLayout();
    void qtCatchesUpBeforeItLaysOut_data();
    void qtCatchesUpBeforeItLaysOut();
    void removalsAndPausesGoToQt();

private:
    // A shown control holding `middle` as its second paragraph, and then
    // `more` paragraphs.
    void open(const QByteArray &middle, int more = 12);
    // Types in the given paragraph, `percent` of the way in.
    void typeAt(int paragraph, const QString &text, int percent = 33);
    InPlaceLayout *layout() const { return qobject_cast<InPlaceLayout *>(m_box->document()->documentLayout()); }

    QTemporaryDir m_dir;
    RichTextBox *m_box = nullptr;
};

void tst_inplace_layout::init()
{
    m_box = new RichTextBox;
    m_box->resize(520, 400);
    m_box->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_box));
}

void tst_inplace_layout::cleanup()
{
    delete m_box;
    m_box = nullptr;
}

void tst_inplace_layout::open(const QByteArray &middle, int more)
{
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Verdana;}{\\f1 Courier New;}}\\pard " + words + "\\par ";
    rtf += middle + "\\par\\pard ";
    for (int i = 0; i < more; ++i)
        rtf += words + (i % 3 == 0 ? " {\\b bold} {\\fs40 large}" : "") + "\\par ";
    rtf += "last}";
    const QString path = m_dir.filePath(QStringLiteral("doc.rtf"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(rtf);
    file.close();
    QVERIFY2(m_box->LoadFile(path), qPrintable(m_box->LastError()));
    m_box->document()->documentLayout()->documentSize();   // laid out whole
    QVERIFY(layout());
}

void tst_inplace_layout::typeAt(int paragraph, const QString &text, int percent)
{
    const QTextBlock block = m_box->document()->findBlockByNumber(paragraph);
    QTextCursor c(block);
    c.setPosition(block.position() + (block.length() - 1) * percent / 100);
    m_box->setTextCursor(c);
    QTest::keyClicks(m_box, text);
}

void tst_inplace_layout::typingMatchesQtLayout_data()
{
    QTest::addColumn<QByteArray>("middle");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("percent");   // how far into the paragraph
    QTest::addColumn<bool>("allInPlace");

    QTest::newRow("plain") << "\\pard " + words << "abc" << 33 << true;
    QTest::newRow("centred") << "\\pard\\qc " + words << "abc" << 33 << true;
    QTest::newRow("justified") << "\\pard\\qj " + words + " " + words << "abc" << 33 << true;
    QTest::newRow("right to left") << QByteArray("\\pard\\rtlpar\\qr \\u1513?\\u1500?\\u1493?\\u1501? ") + words << "abc" << 33 << true;
    QTest::newRow("indents") << "\\pard\\li720\\ri360\\fi-360 " + words + " " + words + "\\line end" << "abc" << 100 << true;
    QTest::newRow("numbered") << "\\pard{\\*\\pn\\pnlvlbody\\pndec{\\pntxta .}}" + words << "abc" << 33 << true;
    QTest::newRow("sizes and fonts") << "\\pard {\\fs48 big} " + words + " {\\f1 fixed} {\\fs16 small}\\line end" << "abc" << 100 << true;
    QTest::newRow("line breaks") << "\\pard one\\line two " + words + "\\line three" << "abc" << 33 << true;
    QTest::newRow("picture") << "\\pard a {\\pict\\pngblip\\picw40\\pich30 " + pictureHex() + "} " + words << "abc" << 33 << true;
    QTest::newRow("space after spaces") << "\\pard " + words << "   " << 33 << true;
    // Lines that grow or get taller move what follows: Qt lays those out.
    QTest::newRow("a new line") << "\\pard " + words << QString(120, QLatin1Char('m')) << 33 << false;
}

void tst_inplace_layout::typingMatchesQtLayout()
{
    QFETCH(QByteArray, middle);
    QFETCH(QString, typed);
    QFETCH(int, percent);
    QFETCH(bool, allInPlace);
    open(middle);
    typeAt(1, typed, percent);
    if (allInPlace)
        QCOMPARE(layout()->editsInPlace(), int(typed.size()));
    else
        QVERIFY(layout()->editsInPlace() < typed.size());
    const QStringList typedGeometry = geometry(m_box->document());
    QCOMPARE(typedGeometry, qtGeometry(m_box->document()));
}

void tst_inplace_layout::qtCatchesUpBeforeItLaysOut_data()
{
    QTest::addColumn<int>("breakAt");   // paragraph that then gets a paragraph break
    QTest::newRow("below the edits") << 150;
    QTest::newRow("above the edits") << 5;
    QTest::newRow("between them") << 90;
}

void tst_inplace_layout::qtCatchesUpBeforeItLaysOut()
{
    QFETCH(int, breakAt);
    // Tall enough for Qt to keep several points down the document.
    open("\\pard " + words, 200);
    for (const int paragraph : {10, 60, 120})
        typeAt(paragraph, QStringLiteral("xy"));
    QCOMPARE(layout()->editsInPlace(), 6);
    // Then something Qt lays out itself, with the positions it keeps behind.
    typeAt(breakAt, QString());
    QTest::keyClick(m_box, Qt::Key_Return);
    QTest::keyClicks(m_box, QStringLiteral("new"));
    const QStringList now = geometry(m_box->document());
    QCOMPARE(now, qtGeometry(m_box->document()));
}

void tst_inplace_layout::removalsAndPausesGoToQt()
{
    open("\\pard " + words);
    typeAt(2, QStringLiteral("abcd"));
    QCOMPARE(layout()->editsInPlace(), 4);
    QTest::keyClick(m_box, Qt::Key_Backspace);
    QCOMPARE(layout()->editsInPlace(), 0);
    typeAt(5, QStringLiteral("ef"));
    QCOMPARE(layout()->editsInPlace(), 2);
    // A pause in typing lets Qt catch up by itself.
    QTRY_COMPARE_WITH_TIMEOUT(layout()->editsInPlace(), 0, 3000);
    const QStringList now = geometry(m_box->document());
    QCOMPARE(now, qtGeometry(m_box->document()));
}

QTEST_MAIN(tst_inplace_layout)
#include "tst_inplace_layout.moc"
