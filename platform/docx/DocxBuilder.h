#pragma once

#include "DocxProperties.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextTableCellFormat>
#include <QTextTableFormat>

#include <functional>
#include <memory>

class DocxNumbering;
class DocxStyles;
class QTextDocument;
class QTextList;
class XmlPart;

// Turns the body of word/document.xml into document content through one
// cursor. Paragraphs are collected with their runs and inserted whole;
// a table is collected whole (rows, merges, nested tables) and built when
// it ends, since QTextTable wants its shape up front. Lists are numbered in
// document order as the paragraphs are inserted.
class DocxBuilder
{
public:
    // The package's relationships of the document part, by id: the target
    // and whether it lies outside the package (a web link).
    struct Relation
    {
        QString target;
        bool external = false;
    };
    // The bytes of a part of the package (a picture), or empty with a reason.
    using PartLoader = std::function<QByteArray(const QString &target, QString *problem)>;

    DocxBuilder(QTextDocument &document, const DocxStyles &styles, const DocxNumbering &numbering,
                const QHash<QString, Relation> &relations, PartLoader loadPart);
    ~DocxBuilder();
    DocxBuilder(const DocxBuilder &) = delete;
    DocxBuilder &operator=(const DocxBuilder &) = delete;

    // Reads the w:document element's content (the part positioned on it).
    void read(XmlPart &part);

    QStringList problems() const { return m_problems; }
    bool incomplete() const { return m_incomplete; }
    bool readAnything() const { return m_any; }

private:
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
        int numId = 0, level = 0;
    };
    struct Table;
    struct Item
    {
        Para para;
        std::shared_ptr<Table> table;
    };
    struct Cell
    {
        QList<Item> items;
        int span = 1;
        int vmerge = 0;   // 1 starts a vertical merge, 2 continues it
        QTextTableCellFormat format;
        bool borders[4] = {};   // top, left, bottom, right set by the cell itself
    };
    struct Row
    {
        QList<Cell> cells;
        int before = 0;   // w:gridBefore
    };
    struct Table
    {
        QList<int> grid;   // column widths, twips
        QList<Row> rows;
        QTextTableFormat format;
        int borderWidth = -1;   // eighths of a point; -1 none
        QColor borderColor;
        bool insideLines = false;
        int cellLeft = 108, cellRight = 108;
    };
    // What the runs being read belong to: a link, a field's result.
    struct Context
    {
        QString href;
        QString instruction;
        int field = -1;
    };

    void readBlocks(XmlPart &part, QList<Item> &out, int tableDepth, int nesting);
    void readBlock(XmlPart &part, QList<Item> &out, int tableDepth, int nesting);
    void readParagraph(XmlPart &part, QList<Item> &out);
    void readInline(XmlPart &part, const Context &context, int nesting);
    void readRun(XmlPart &part, const Context &context);
    void readDrawing(XmlPart &part, const QTextCharFormat &format);
    void findPicture(XmlPart &part, qint64 &cx, qint64 &cy, QString &embed, int depth);
    void insertPicture(const QString &relation, qint64 cx, qint64 cy, const QTextCharFormat &format);
    std::shared_ptr<Table> readTable(XmlPart &part, int depth);
    void readTableProps(XmlPart &part, Table &table);
    void readCellProps(XmlPart &part, Cell &cell);
    void readSection(XmlPart &part);
    void pageBreak();
    void addText(const QString &text, const QTextCharFormat &format);
    QTextCharFormat runFormat(const DocxRunProps &direct, const Context &context) const;

    void emitItems(const QList<Item> &items);
    void emitParagraph(const Para &para);
    void emitTable(const Table &table);
    QTextList *listFor(const Para &para);

    QTextDocument &m_document;
    QTextCursor m_cursor;
    const DocxStyles &m_styles;
    const DocxNumbering &m_numbering;
    QHash<QString, Relation> m_relations;
    PartLoader m_loadPart;

    // the paragraph being read
    Para m_para;
    QString m_paraStyle;
    QList<Item> *m_out = nullptr;
    bool m_pageBreakNext = false;
    // complex fields (w:fldChar): 0 none, 1 reading the instruction, 2 its result
    int m_fieldState = 0;
    int m_fieldDepth = 0;
    QString m_instruction;
    Context m_fieldContext;
    int m_fields = 0;

    // numbering: per w:num, the last number and the list of each level
    struct ListRun
    {
        int numbers[9] = {};
        QTextList *lists[9] = {};
    };
    QHash<int, ListRun> m_lists;

    bool m_fresh = true;   // the cursor stands in an empty block for the next paragraph
    bool m_any = false;
    bool m_incomplete = false;
    qint64 m_decodedBytes = 0;
    qsizetype m_cells = 0;
    QStringList m_problems;
    QHash<QString, QString> m_pictureNames;   // relation -> image resource, pictures used twice
    void problem(const QString &text, bool lost);
};
