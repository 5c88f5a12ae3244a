// What a save must keep of a real document's structure: tables (merged and
// nested cells, widths, borders, row alignment), and what the control's Text
// makes of them.
#include "RtfTestSupport.h"

#include <RichTextBox.h>

#include <QApplication>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {
QByteArray doc(const QByteArray &body)
{
    return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
        + body + "}";
}

// Every table in document order, nested ones after the cell holding them:
// "RxC" then each cell as "row,col rowSpan x colSpan [text]".
QStringList tables(const QTextDocument &d)
{
    QStringList out;
    std::function<void(QTextFrame *, int)> walk = [&](QTextFrame *frame, int depth) {
        for (QTextFrame *child : frame->childFrames()) {
            QTextTable *t = qobject_cast<QTextTable *>(child);
            if (!t)
                continue;
            QStringList cells;
            for (int r = 0; r < t->rows(); ++r) {
                for (int c = 0; c < t->columns(); ++c) {
                    const QTextTableCell cell = t->cellAt(r, c);
                    if (cell.row() != r || cell.column() != c)
                        continue;
                    QTextCursor cur = cell.firstCursorPosition();
                    cur.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
                    cells << QStringLiteral("%1,%2 %3x%4 [%5]").arg(r).arg(c).arg(cell.rowSpan()).arg(cell.columnSpan())
                                 .arg(cur.selectedText().replace(QRegularExpression(u"[\u2029\ufdd0\ufdd1]"_s), u"|"_s));
                }
            }
            out << QStringLiteral("%1%2x%3 %4").arg(QString(depth, u'>')).arg(t->rows()).arg(t->columns()).arg(cells.join("; "));
            walk(t, depth + 1);
        }
    };
    walk(d.rootFrame(), 0);
    return out;
}

QTextTable *firstTable(const QTextDocument &d)
{
    for (QTextFrame *child : d.rootFrame()->childFrames()) {
        if (auto *t = qobject_cast<QTextTable *>(child))
            return t;
    }
    return nullptr;
}

QByteArray rewrite(const QByteArray &rtf)
{
    QTextDocument d;
    RtfReader::read(rtf, d);
    return RtfWriter::write(d);
}
}

class tst_rtf_structure : public QObject
{
    Q_OBJECT

private slots:
    void tables_data();
    void tables();
    void tableFormatsSurviveASave();
    void textSeparatesCellsByTabs();
};

void tst_rtf_structure::tables_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("two rows, text around")
        << doc("before\\par\\trowd\\cellx1000\\cellx2000\\intbl a\\cell b\\cell\\row"
               "\\trowd\\cellx1000\\cellx2000\\intbl c\\cell d\\cell\\row\\pard after\\par")
        << QStringList{"2x2 0,0 1x1 [a]; 0,1 1x1 [b]; 1,0 1x1 [c]; 1,1 1x1 [d]"};
    QTest::newRow("merged cells: across by \\clmgf, across by width, down by \\clvmgf")
        << doc("\\trowd\\clmgf\\cellx1000\\clmrg\\cellx2000\\clvmgf\\cellx3000\\intbl wide\\cell\\cell down\\cell\\row"
               "\\trowd\\cellx2000\\clvmrg\\cellx3000\\intbl one\\cell\\cell\\row"
               "\\trowd\\cellx1000\\cellx2000\\cellx3000\\intbl x\\cell y\\cell z\\cell\\row")
        << QStringList{"3x3 0,0 1x2 [wide]; 0,2 2x1 [down]; 1,0 1x2 [one]; 2,0 1x1 [x]; 2,1 1x1 [y]; 2,2 1x1 [z]"};
    QTest::newRow("nested table, its definition after its cells")
        << doc("\\trowd\\cellx4000\\cellx8000\\pard\\intbl\\itap1 outer\\par"
               "\\pard\\intbl\\itap2 n1\\nestcell n2\\nestcell{\\*\\nesttableprops\\trowd\\cellx1000\\cellx2000\\nestrow}"
               "{\\nonesttables\\par}\\pard\\intbl\\itap1 tail\\cell right\\cell\\row")
        << QStringList{"1x2 0,0 1x1 [outer|n1|n2|tail]; 0,1 1x1 [right]", ">1x2 0,0 1x1 [n1]; 0,1 1x1 [n2]"};
    QTest::newRow("cells without \\intbl and a missing \\row still make a table")
        << doc("\\trowd\\cellx1000\\cellx2000 a\\cell b\\cell")
        << QStringList{"1x2 0,0 1x1 [a]; 0,1 1x1 [b]"};
    QTest::newRow("a table inside a list: items in cells keep their list")
        << doc("{\\*\\listtable{\\list\\listid7{\\listlevel\\levelnfc0}}}{\\*\\listoverridetable{\\listoverride\\listid7\\ls1}}"
               "\\pard\\ls1 first\\par\\trowd\\cellx3000\\pard\\intbl\\ls1 in cell\\cell\\row\\pard\\ls1 third\\par")
        << QStringList{"1x1 0,0 1x1 [in cell]"};
}

void tst_rtf_structure::tables()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QStringList, expected);
    QTextDocument first;
    RtfReader::read(rtf, first);
    QCOMPARE(::tables(first), expected);
    // Written and read back, the same tables.
    QTextDocument again;
    const QByteArray written = RtfWriter::write(first);
    RtfReader::read(written, again);
    QCOMPARE(::tables(again), expected);
    QCOMPARE(RtfTestSupport::plainText(again), RtfTestSupport::plainText(first));
    // Nothing drifts on a second save.
    QCOMPARE(rewrite(written), written);

    if (QTest::currentDataTag() == QByteArray("a table inside a list: items in cells keep their list")) {
        QStringList labels;
        for (QTextBlock b = again.begin(); b.isValid(); b = b.next()) {
            if (b.textList())
                labels << b.textList()->itemText(b) + b.text();
        }
        QCOMPARE(labels, QStringList({"1.first", "2.in cell", "3.third"}));
    }
}

void tst_rtf_structure::tableFormatsSurviveASave()
{
    // Widths, borders, shading, vertical alignment, row alignment and indent,
    // and a centred paragraph inside a cell.
    const QByteArray rtf = doc("\\trowd\\trgaph70\\trleft720\\trqc"
                               "\\clbrdrt\\brdrs\\brdrw20\\brdrcf1\\clbrdrb\\brdrdb\\brdrw10\\clcbpat2\\clvertalc\\cellx2720"
                               "\\clshdng5000\\cellx6000"
                               "\\pard\\intbl\\qc centred\\cell\\pard\\intbl plain\\cell\\row");
    QTextDocument source;
    RtfReader::read(rtf, source);
    QTextDocument copy;
    RtfReader::read(RtfWriter::write(source), copy);
    for (QTextDocument *doc : {&source, &copy}) {
        QTextTable *t = firstTable(*doc);
        QVERIFY(t);
        const QTextTableFormat tf = t->format();
        QCOMPARE(tf.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        QCOMPARE(Twips::fromPixels(tf.leftMargin()), 720);
        const QList<QTextLength> widths = tf.columnWidthConstraints();
        QCOMPARE(widths.size(), 2);
        QCOMPARE(Twips::fromPixels(widths.at(0).rawValue()), 2000);
        QCOMPARE(Twips::fromPixels(widths.at(1).rawValue()), 3280);
        const QTextTableCellFormat a = t->cellAt(0, 0).format().toTableCellFormat();
        QCOMPARE(Twips::fromPixels(a.topBorder()), 20);
        QCOMPARE(a.topBorderBrush().color(), QColor(255, 0, 0));
        QCOMPARE(a.bottomBorderStyle(), QTextFrameFormat::BorderStyle_Double);
        QCOMPARE(a.leftBorderStyle(), QTextFrameFormat::BorderStyle_None);
        QCOMPARE(a.background().color(), QColor(0, 0, 255));
        QCOMPARE(a.verticalAlignment(), QTextCharFormat::AlignMiddle);
        QCOMPARE(Twips::fromPixels(a.leftPadding()), 70);
        QCOMPARE(t->cellAt(0, 1).format().background().color(), QColor(128, 128, 128));
        QCOMPARE(t->cellAt(0, 0).firstCursorPosition().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
                 Qt::AlignHCenter);
    }
}

void tst_rtf_structure::textSeparatesCellsByTabs()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.rtf");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(doc("\\trowd\\cellx1000\\cellx2000\\cellx3000\\intbl a\\cell b\\par b2\\cell c\\cell\\row"
                "\\trowd\\cellx1000\\cellx2000\\cellx3000\\intbl d\\cell\\cell f\\cell\\row\\pard end\\par"));
    f.close();
    RichTextBox box;
    QVERIFY(box.LoadFile(path));
    QCOMPARE(box.Text(), QString("a\tb\r\nb2\tc\r\nd\t\tf\r\nend"));
    // Plain text saves see the same.
    QVERIFY(box.SaveFile(dir.filePath("t.txt"), RichTextBox::rtfText));
    QFile txt(dir.filePath("t.txt"));
    QVERIFY(txt.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromUtf8(txt.readAll()).startsWith("a\tb"));
}

QTEST_MAIN(tst_rtf_structure)
#include "tst_rtf_structure.moc"
