#pragma once

#include "RtfControlTable.h"
#include "RtfPicture.h"

#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>

#include <memory>
#include <utility>

class QTextDocument;
class QTextList;
class RtfCodePage;

// Turns the reader's token stream into document content through one cursor.
// Formatting lives on a stack of group states: '{' pushes a copy, '}' pops
// it, so a closing brace undoes whatever the group changed. A paragraph is
// collected (text runs, pictures) until its \par, because its properties are
// the ones in force at the paragraph mark; it is then inserted in one go.
// The builder owns nothing of the document; problems are collected as text.
class RtfBuilder
{
public:
    // replaceDocument: the cursor stands in an empty document whose first
    // block takes the first paragraph's format. Otherwise content is pasted
    // at the cursor and the surrounding paragraphs keep their formats.
    RtfBuilder(QTextCursor &cursor, bool replaceDocument);
    // Text only: no document is built. `text` receives what a plain text
    // save of the document would hold (list labels included), paragraphs
    // ended by lineEnd, table cells by tabs. Pictures are not decoded.
    RtfBuilder(QString &text, const QString &lineEnd);
    ~RtfBuilder();
    RtfBuilder(const RtfBuilder &) = delete;
    RtfBuilder &operator=(const RtfBuilder &) = delete;

    void openGroup(qsizetype offset);
    void closeGroup(qsizetype offset);
    // entry is null for words the table does not know.
    void controlWord(const RtfControlTable::Entry *entry, bool hasParameter, int parameter);
    void controlSymbol(char symbol);
    void hexByte(uchar byte);
    void text(QByteArrayView bytes);
    void binary(QByteArrayView bytes);
    // The bytes being read, so that groups kept as read can be cut from them.
    void setSource(QByteArrayView source) { m_source = source; }
    // Ends the last paragraph and reports groups left open.
    void finish();

    // Records one problem; each kind is listed once with where it first occurred.
    void problem(const QString &kind, qsizetype offset);
    // A problem that cost content: the document may be incomplete.
    void damage(const QString &kind, qsizetype offset);
    QStringList problems() const;
    bool readAnyContent() const { return m_contentSeen; }
    // True when the document read may lack something the data held.
    bool incomplete() const { return m_incomplete; }
    // The outermost group has closed: what follows is not the document's.
    bool ended() const { return m_ended; }

private:
    enum class Dest : quint8 {
        Normal, Skip, Hold, FontTable, ColorTable, Picture, Pn, FieldInst,
        ListTable, List, ListLevel, LevelText, ListOverrideTable, ListOverride,
    };

    // One level of a list table's list: its number format (\levelnfc), its
    // first number and its label: \leveltext, with the characters 0-8
    // standing for the numbers of those levels.
    struct LevelDef
    {
        int nfc = 0;
        int start = 1;
        QString text;
    };
    // Numbering of one \ls as far as read: the last number at each level and
    // the list that shows each level now. An item ends the deeper levels, so
    // their numbering starts again under the next one.
    struct ListRun
    {
        int numbers[9] = {};
        QTextList *lists[9] = {};
    };

    struct CharState
    {
        int font = -1;   // -1: the document's default font
        int halfPoints = 24;
        int foreground = 0;
        int background = 0;
        int field = -1;   // the field whose result this is, index into m_fields
        quint8 vertical = 0;   // 0 normal, 1 superscript, 2 subscript
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool strike = false;
        bool caps = false;
        bool smallCaps = false;
        bool operator==(const CharState &) const = default;
    };
    friend size_t qHash(const CharState &s, size_t seed);

    struct ParaState
    {
        Qt::Alignment alignment = Qt::AlignLeft;
        int leftIndent = 0;
        int rightIndent = 0;
        int firstIndent = 0;
        int spaceBefore = 0;
        int spaceAfter = 0;
        int listOverride = 0;
        int listLevel = 0;
        int pnStyle = 0;   // QTextListFormat::Style of a \pn paragraph, 0 for none
        int nestLevel = 0;  // \itap: 0 outside tables, 1 in a table, 2 in a nested one
        bool inTable = false;   // \intbl
        bool pageBreakBefore = false;
        bool rightToLeft = false;   // \rtlpar
        int tableLevel() const { return nestLevel > 0 ? nestLevel : (inTable ? 1 : 0); }
    };

    // One border of a cell or row: \brdrw in twips, a style, a colour index.
    struct Border
    {
        int width = 0;
        int color = 0;
        quint8 style = 0;   // 0 none, 1 single, 2 double, 3 dotted, 4 dashed
        bool set = false;
    };

    struct CellDef
    {
        int right = 0;   // \cellx, twips from the left margin
        quint8 merge = 0;    // 1 \clmgf, 2 \clmrg
        quint8 vmerge = 0;   // 1 \clvmgf, 2 \clvmrg
        quint8 valign = 0;   // 0 top, 1 centre, 2 bottom
        int background = -1;   // \clcbpat
        int pattern = -1;      // \clcfpat
        int shading = 0;       // \clshdng, in hundredths of a percent
        Border borders[4];     // top, left, bottom, right
    };

    // The row definition in force: \trowd resets it, \cellx adds a cell.
    // It lives in the group state, so the definition that a nested table's
    // {\*\nesttableprops} group sets ends with that group.
    struct RowDef
    {
        QList<CellDef> cells;
        CellDef next;   // the cell being defined, until its \cellx
        int left = 0;   // \trleft
        int gap = 108;  // \trgaph (Word's default)
        Qt::Alignment alignment = Qt::AlignLeft;
        Border borders[6];   // top, left, bottom, right, inside horizontal, inside vertical
    };

    struct Group
    {
        Dest dest = Dest::Normal;
        bool ownsDest = false;   // this group named the destination
        quint8 keep = 0;         // 1: kept for the document, 2: a footnote, 3: an object, kept in place, 4: a shape
        qsizetype runsBefore = 0;   // of an object: runs of the paragraph before its result
        qsizetype start = 0;     // offset of its '{'
        int field = -1;          // the \field this group is in
        quint8 unicodeSkip = 1;
        CharState chars;
        ParaState para;
        RowDef row;
    };

    struct Run
    {
        QString text;
        QTextCharFormat format;
        bool image = false;
    };

    // A finished paragraph, held while the table it belongs to is read.
    struct Para
    {
        QList<Run> runs;
        ParaState state;
        QTextBlockFormat format;
        QTextCharFormat mark;
    };

    struct PendingTable;
    struct Item
    {
        Para para;
        std::shared_ptr<PendingTable> table;   // set for a nested table
    };
    struct PendingCell
    {
        QList<Item> items;
    };
    struct PendingRow
    {
        RowDef def;
        QList<PendingCell> cells;
    };
    // A table is collected whole and built when it ends: RTF defines a row
    // after its cells' text, and QTextTable wants its shape up front.
    struct PendingTable
    {
        QList<PendingRow> rows;
        QList<PendingCell> rowCells;   // cells of the row being read
        PendingCell cell;              // the cell being read
        qsizetype cellCount = 0;
    };

    struct FontEntry
    {
        QString name;
        int codePage = 0;   // 0: the document's
    };

    Group &top() { return m_stack.last(); }
    void setDestination(RtfControlTable::Action action);
    void finishDestination(const Group &closed);
    void applyCharacter(RtfControlTable::Action action, bool on, int value);
    void applyParagraph(RtfControlTable::Action action, bool on, int value);

    const RtfCodePage &codePage(int number);
    const RtfCodePage &currentCodePage();
    void appendChar(char16_t c);
    void appendDecoded(const QString &decoded);
    void appendUnicode(int value);
    void flushMultiByte();
    void beginRun();
    void flushRun();
    // level: the table level it belongs to, or -1 for its own \intbl/\itap.
    void endParagraph(bool terminated, int level = -1);
    void placeParagraph(Para &&para, int level, bool terminated);
    void emitParagraph(const Para &para, bool terminated);
    void emitParagraphText(const Para &para);
    // Text only: ends the paragraph being written with `end`, or, when it
    // stands before a table, with what a save writes there.
    void endTextParagraph(const QString &end);
    void endTextParagraphBeforeTable();
    // Where lists are made: the document, or in text only the list document.
    QTextCursor &listCursor();
    void ensureTables(int level);
    void closeTablesTo(int level);
    void endCell(int level);
    void endRow(int level);
    void emitTable(PendingTable &table);
    void emitItems(const QList<Item> &items);
    Border *borderTarget();
    void applyTable(RtfControlTable::Action action, int value);
    void insertPicture();
    void keepGroup(const Group &closed, qsizetype end);
    // Adds a kept group to the format property of the paragraph's last run
    // of text so far; false when there is none.
    bool keepAfterText(int property, QByteArrayView bytes);
    // Adds floating shapes after the document's last run of text; false
    // when it has none.
    bool anchorAtLastText(const QByteArray &shapes);
    void finishFontEntry();
    void appendInstruction(const QString &text);
    void decodeFontName();
    QTextList *listFor(const ParaState &para);
    QTextList *levelListFor(const ParaState &para);
    QTextCharFormat charFormat(const CharState &state);
    QTextBlockFormat blockFormat(const ParaState &para);
    QString fontName(int font) const;

    QTextCursor m_noCursor;   // text only: a cursor in no document
    QTextCursor &m_cursor;
    // Text only: the text written so far, and the document that holds the
    // lists, so labels number as they would in the document.
    QString *m_text = nullptr;
    QString m_lineEnd;
    std::unique_ptr<QTextDocument> m_listDocument;
    QTextCursor m_listCursor;
    QString m_pendingLabel;   // list label of the paragraph being written, not written yet
    bool m_textParagraphEmpty = true;   // the paragraph being written holds nothing yet
    // ... and it is the first of the document or of a cell, or follows a
    // table: empty there, it is one Qt keeps before a table and a save skips.
    bool m_textParagraphFirst = true;
    const bool m_replace;
    QTextBlockFormat m_tailBlockFormat;
    bool m_startedAtBlockStart = false;

    QList<Group> m_stack;
    int m_overflowDepth = 0;   // groups past the depth limit, skipped
    int m_unicodeSkipLeft = 0;
    bool m_starred = false;
    bool m_groupStart = false;   // nothing yet since the last '{'
    int m_footnotes = 0;
    int m_borderTarget = -1;   // which border \brdr* words set: 0-3 cell, 4-9 row
    QList<std::shared_ptr<PendingTable>> m_tables;   // open tables, outermost first
    bool m_freshBlock = false;   // the cursor stands in an empty block made for the next paragraph
    int m_emitDepth = 0;         // tables being built into the document
    bool m_pageBreakNext = false;
    bool m_emittedAny = false;
    bool m_contentSeen = false;
    bool m_incomplete = false;   // content was dropped or the data ended early
    bool m_ended = false;
    QByteArrayView m_source;
    QByteArray m_styles;     // the style sheet, as read
    QByteArray m_headers;    // headers and footers (and notes with no place), as read
    QByteArray m_pendingShapes;   // floating shapes waiting for text to anchor them
    QMap<int, QByteArray> m_settings;   // document settings by RtfControlTable::documentWords index
    qsizetype m_keptBytes = 0;
    int m_objectWidth = 0, m_objectHeight = 0;   // \objw, \objh of the object being read
    qint64 m_decodedBytes = 0;   // pixels of the pictures decoded so far

    // paragraph being collected
    QList<Run> m_para;
    QString m_run;
    CharState m_runState;
    bool m_runOpen = false;
    QByteArray m_multiByte;
    int m_multiByteCodePage = 0;
    char16_t m_highSurrogate = 0;

    // document tables
    int m_docCodePage = 1252;
    int m_defaultFont = 0;
    QHash<int, FontEntry> m_fonts;
    int m_fontId = -1;
    int m_fontCodePage = 0;
    QByteArray m_fontName;       // bytes not yet decoded
    QString m_fontNameText;      // decoded so far (\uN comes in between)
    QList<QColor> m_colors;
    QStringList m_fields;   // instructions of the fields read so far
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colorSet = false;
    QHash<int, QList<LevelDef>> m_listLevels;   // \listid -> its levels
    QList<LevelDef> m_currentLevels;
    QString m_levelText;
    QHash<int, ListRun> m_listRuns;   // by \ls
    int m_currentListId = 0;
    int m_overrideListId = 0;
    QHash<int, int> m_overrideToList;      // \ls -> \listid
    int m_pnStyle = 0;
    bool m_pnBody = false;
    QTextList *m_lastPnList = nullptr;
    int m_lastPnStyle = 0;

    // picture being collected
    RtfPicture::Kind m_pictType = RtfPicture::Kind::Unknown;
    int m_pictParameter = -1;
    QByteArray m_pictHex;
    QByteArray m_pictBinary;
    int m_pictWidth = 0, m_pictHeight = 0, m_pictGoalWidth = 0, m_pictGoalHeight = 0;
    int m_pictScaleX = 100, m_pictScaleY = 100;
    int m_pictCrop[4] = {0, 0, 0, 0};   // left, right, top, bottom
    QHash<QString, QString> m_placeholders;   // one frame image per size and type
    bool m_pictTooBig = false;

    QHash<int, std::shared_ptr<RtfCodePage>> m_codePages;
    QHash<CharState, QTextCharFormat> m_formats;

    QStringList m_problems;
    QHash<QString, int> m_problemCounts;
};
