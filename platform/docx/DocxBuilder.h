#pragma once

#include "DocumentAssembler.h"
#include "DocxKept.h"
#include "DocxStyles.h"
#include "DocxProperties.h"

#include <QHash>
#include <QList>
#include <QSet>
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
class QTextDocument;
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
        QString type;
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
    bool readAnything() const { return m_any || m_assembler.emittedAny(); }
    // The section's header and footer references and the relationship ids
    // the kept elements use, for the reader to keep what they point at.
    const DocxKept &kept() const { return m_kept; }
    QStringList keptRelationIds() const { return m_keptIds; }

private:
    using Run = DocumentAssembler::Run;
    using Para = DocumentAssembler::Para;
    using Item = DocumentAssembler::Item;
    using Cell = DocumentAssembler::Cell;
    using Row = DocumentAssembler::Row;
    using Table = DocumentAssembler::Table;
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
    void findPicture(XmlPart &part, qint64 &cx, qint64 &cy, QString &embed, QString &link, bool &more, int depth);
    bool insertPicture(const QString &relation, const QString &link, qint64 cx, qint64 cy,
                       const QTextCharFormat &format);
    std::shared_ptr<Table> readTable(XmlPart &part, int depth);
    // The table's style and w:tblLook (which of the style's conditional
    // looks it shows) go to `style` and `look`.
    void readTableProps(XmlPart &part, Table &table, QString &style, int &look);
    void readCellProps(XmlPart &part, Cell &cell);
    void readSection(XmlPart &part);
    void readKeptElement(XmlPart &part, const QTextCharFormat &format);
    void readRuby(XmlPart &part, const Context &context);
    void readDeletion(XmlPart &part, const Context &context);
    QByteArray copyKept(XmlPart &part);
    void keepElement(const QByteArray &element, const QString &shown, QTextCharFormat format);
    void keepRelations(const QByteArray &element);
    void pageBreak();
    void addText(const QString &text, const QTextCharFormat &format);
    QTextCharFormat runFormat(const DocxRunProps &direct, const Context &context) const;

    QTextDocument &m_document;
    const DocxStyles &m_styles;
    const DocxNumbering &m_numbering;
    QHash<QString, Relation> m_relations;
    PartLoader m_loadPart;

    // the paragraph being read
    Para m_para;
    QString m_paraStyle;
    const DocxStyles::CellLook *m_cellLook = nullptr;   // of the table cell being read
    QList<Item> *m_out = nullptr;
    bool m_pageBreakNext = false;
    // complex fields (w:fldChar): 0 none, 1 reading the instruction, 2 its result
    int m_fieldState = 0;
    int m_fieldDepth = 0;
    QString m_instruction;
    Context m_fieldContext;
    int m_fields = 0;

    // Word's list levels as the assembler takes them, by w:num and level.
    QHash<std::pair<int, int>, DocumentAssembler::ListLevel> m_levels;
    QSet<std::pair<int, int>> m_restarted;   // list and level whose first number was set
    DocumentAssembler m_assembler;
    bool m_any = false;
    bool m_incomplete = false;
    DocxKept m_kept;
    QStringList m_keptIds;
    int m_keptElements = 0;
    qsizetype m_keptBytes = 0;
    int m_footnotes = 0, m_endnotes = 0;
    qsizetype m_cells = 0;
    QStringList m_problems;
    void problem(const QString &text, bool lost);
};
