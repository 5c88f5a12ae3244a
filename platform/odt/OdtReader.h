#pragma once

#include "DocumentAssembler.h"
#include "DocxProperties.h"
#include "OdtKept.h"
#include "OdtStyles.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class QTextDocument;
class XmlPart;
class ZipReader;

// Reads an OpenDocument text (.odt) into a QTextDocument: paragraphs and
// headings with their styles resolved to direct formats, spans, links,
// spaces, tabs and breaks, lists with their labels, tables with their
// spans, covered cells, borders and shading, nested tables, pictures, and
// the page's size and margins. Never throws; a damaged package is read as
// far as it goes and said to be incomplete.
class OdtReader
{
public:
    struct Result
    {
        bool ok = false;
        QString errorText;
        bool incomplete = false;
    };

    static Result read(const QByteArray &bytes, QTextDocument &document);
    // The bytes are a zip package whose media type is an OpenDocument text.
    static bool isOdt(const QByteArray &bytes);

private:
    using Para = DocumentAssembler::Para;
    using Item = DocumentAssembler::Item;
    using Table = DocumentAssembler::Table;

    OdtReader(QTextDocument &document, ZipReader &zip);
    void readBody(XmlPart &part, QList<Item> &out, int tableDepth, int nesting);
    void readParagraph(XmlPart &part, QList<Item> &out, int listId, int level, bool labelled);
    void readInline(XmlPart &part, const DocxRunProps &props, const QString &href, int nesting);
    void readList(XmlPart &part, QList<Item> &out, const QString &style, int level, int parentId, int tableDepth,
                  int nesting);
    std::shared_ptr<Table> readTable(XmlPart &part, int depth, int nesting);
    void readFrame(XmlPart &part, const QTextCharFormat &format);
    void keepElement(XmlPart &part, const QTextCharFormat &format);
    void keepFiles(const QByteArray &element);
    void addText(const QString &text, const QTextCharFormat &format);
    QTextCharFormat format(const DocxRunProps &props, const QString &href) const;
    void problem(const QString &text, bool lost);

    QTextDocument &m_document;
    ZipReader &m_zip;
    OdtStyles m_styles;
    DocumentAssembler m_assembler;
    QHash<int, QString> m_listStyles;   // list instance -> its list style
    QHash<QString, int> m_lastList;     // list style -> its last list instance
    QHash<QString, int> m_listIds;      // a list's xml:id -> its instance, for text:continue-list
    int m_lists = 0;
    int m_itemStart = -1;   // the next labelled paragraph's number (text:start-value), or -1
    int m_rows = 0;
    qsizetype m_cells = 0;
    Para m_para;
    bool m_space = true;   // the text so far ends in a space (or nothing): spaces collapse
    bool m_any = false;
    bool m_incomplete = false;
    QStringList m_problems;
    OdtKept m_kept;
    int m_keptElements = 0;
    qsizetype m_keptBytes = 0;
};
