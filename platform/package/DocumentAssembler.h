#pragma once

#include <QColor>
#include <QHash>
#include <QList>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextListFormat>
#include <QTextTableCellFormat>
#include <QTextTableFormat>

#include <functional>
#include <memory>

class QTextDocument;
class QTextList;

// Builds document content from what a package reader collected: paragraphs
// with their runs, inserted whole, and tables collected whole (rows, merges,
// nested tables), since QTextTable wants its shape up front. Lists are
// numbered in document order as paragraphs go in, their labels made from a
// level's text ("%1.%2)") as the document defines it. Word and OpenDocument
// readers share it; what each format says is their business.
class DocumentAssembler
{
public:
    enum Property : int {
        // Of a picture the document links to instead of holding (QString):
        // a URL, or a path relative to the document's folder. Writers write
        // the link back; nothing is fetched from it.
        PictureLink = QTextFormat::UserProperty + 0x5400,
    };
    struct Run
    {
        QString text;
        QTextCharFormat format;
        bool image = false;
    };
    struct Para
    {
        QList<Run> runs;
        QTextBlockFormat block;
        QTextCharFormat mark;
        int listId = 0, level = 0;   // listId 0: not a list item
        // Lists counted as one (Word's lists of one definition); 0: each
        // listId counts for itself.
        int listGroup = 0;
        int startAt = -1;   // >= 0: the item's number, counting on from it
    };
    struct Table;
    struct Item
    {
        Para para;
        std::shared_ptr<Table> table;
    };
    // A cell border: a line of `width` pixels, or none.
    struct Border
    {
        bool line = false;
        qreal width = 1;
        QColor color = Qt::black;
        QTextFrameFormat::BorderStyle style = QTextFrameFormat::BorderStyle_Solid;
    };
    struct Cell
    {
        QList<Item> items;
        int span = 1;       // 0: joins the cell before (an old horizontal merge)
        int rowSpan = 1;    // given outright, as OpenDocument does
        int vmerge = 0;     // 1 starts a vertical merge, 2 continues it (Word)
        bool covered = false;   // a place another cell's span covers
        QTextTableCellFormat format;
        bool borders[4] = {};   // top, left, bottom, right set by the cell itself
    };
    struct Row
    {
        QList<Cell> cells;
        int before = 0;   // empty grid places before the first cell
    };
    struct Table
    {
        QList<int> grid;   // column widths, twips
        QList<Row> rows;
        QTextTableFormat format;
        // Of the table, side by side: top, left, bottom, right, then the
        // lines between rows and between columns.
        Border borders[6];
        int cellLeft = 108, cellRight = 108;   // twips
    };
    // One level of a list: its number style, its label text with %1-%9 for
    // the levels' numbers (empty for bullets), its first number.
    struct ListLevel
    {
        QTextListFormat::Style style = QTextListFormat::ListDecimal;
        QString text;
        int start = 1;
        bool none = false;   // no label at all
        QString numbering;   // a numbering Qt has no style for, by its Word name
    };
    using LevelLookup = std::function<const ListLevel *(int listId, int level)>;

    DocumentAssembler(QTextDocument &document, LevelLookup levels);

    void emitItems(const QList<Item> &items);
    bool emittedAny() const { return m_any; }

    // Adds a picture to para: PNG and JPEG shown as they are, other images
    // Qt reads shown and kept as PNG, the rest as a frame of the given size;
    // the bytes are kept for a save. widthTwips/heightTwips <= 0: the
    // picture's own size. False, with *problem set, when it is not shown.
    bool addPicture(QByteArray bytes, int widthTwips, int heightTwips, const QTextCharFormat &format, Para &para,
                    QString *problem);
    // Adds a picture that lies outside the package, shown as a frame of the
    // given size (an inch where it is not given) and keeping its link.
    void addLinkedPicture(const QString &link, int widthTwips, int heightTwips, const QTextCharFormat &format,
                          Para &para);
    // Whether a picture link is relative to the document's folder: it has
    // no scheme or drive ("http:", "file:", "C:") and no root.
    static bool relativeLink(const QString &link);
    static void setBorder(QTextTableCellFormat &format, int side, const Border &border);
    // A number as a list label shows it in the given style.
    static QString numberText(QTextListFormat::Style style, int n, const QString &numbering = QString());

private:
    void emitParagraph(const Para &para);
    void emitTable(const Table &table);
    QTextList *listFor(const Para &para);

    struct ListRun
    {
        int numbers[9] = {-1, -1, -1, -1, -1, -1, -1, -1, -1};   // -1: the level has not begun
        QTextList *lists[9] = {};
    };

    QTextDocument &m_document;
    QTextCursor m_cursor;
    LevelLookup m_levels;
    QHash<qint64, ListRun> m_lists;   // by group or list
    bool m_fresh = true;   // the cursor stands in an empty block for the next paragraph
    bool m_any = false;
    qint64 m_decodedBytes = 0;
};
