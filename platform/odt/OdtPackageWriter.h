#pragma once

#include "OdtKept.h"
#include "OdtWordNotes.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QList>
#include <QString>
#include <QXmlStreamWriter>

class QTextBlock;
class QTextCharFormat;
class QTextDocument;
class QTextFrame;
class QTextImageFormat;
class QTextList;
class QTextTable;

// The work of one OdtWriter::write: the body written as the document is
// walked, each distinct format becoming one automatic style.
class OdtPackageWriter
{
public:
    explicit OdtPackageWriter(const QTextDocument &document);
    QByteArray package(QString *error);

private:
    void writeFrame(const QTextFrame *frame);
    void writeBlock(const QTextBlock &block);
    void writeTable(const QTextTable *table);
    void writeText(const QString &text);
    void writeImage(const QTextImageFormat &format);
    void writeKeptText(const QString &text, const QTextCharFormat &format);
    QByteArray wordChart(const QByteArray &element);
    // Opens the text:list elements a block of `list` stands in (nested
    // for a level of a list), closing those it does not.
    void openList(const QTextList *list);
    void closeLevel();
    void closeList();
    // The automatic style with these properties (XML of its children).
    QString style(const QString &family, const QString &properties, const QString &prefix);
    QString textStyle(const QTextCharFormat &format);
    // Which list a QTextList is a level of, and the level: lists a reader
    // made levels of one list (RtfProperties::ListGroup) share one key.
    std::pair<QString, int> listPlace(const QTextList *list) const;
    QString listStyle(const QString &key);
    QString listStyleElement(const QString &name, const QString &key) const;
    QByteArray stylesPart() const;

    const QTextDocument &m_document;
    QXmlStreamWriter m_xml;
    QByteArray m_body;
    // automatic styles: properties XML -> name, in the order made
    QHash<QString, QString> m_styleNames;
    QList<std::pair<QString, QString>> m_styles;   // name, the whole style element
    QHash<QString, QString> m_listStyles;   // list key -> its list style
    QList<QString> m_listStyleOrder;
    struct ListLevels
    {
        const QTextList *levels[9] = {};
    };
    QHash<QString, ListLevels> m_listLevels;   // list key -> the lists of its levels
    QList<QString> m_listsSeen;
    // The text:list elements open, outermost first: the QTextList of each
    // level (null for a level only passed through) and whether its
    // text:list-item is open.
    QString m_openKey;
    QList<const QTextList *> m_open;
    QList<bool> m_itemOpen;
    struct Picture
    {
        QString name, mediaType;
        QByteArray bytes;
    };
    QList<Picture> m_pictures;
    int m_frames = 0;   // pictures written, held or linked
    // What the file this came from held that is written back as read.
    OdtKept m_kept;
    OdtWordNotes m_wordNotes;
    QList<QByteArray> m_objects;   // the charts' content.xml, as "Object N"   // a Word file's notes and comments, as OpenDocument writes them
    QHash<QString, QString> m_keptPaths;   // file as read -> as written
    QSet<int> m_keptWritten;   // kept elements written, by number
    int m_tables = 0;
};
