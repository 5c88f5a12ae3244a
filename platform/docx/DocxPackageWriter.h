#pragma once

#include "DocxKept.h"

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

// The work of one DocxWriter::write: the body written as it is walked, with
// the lists, links and pictures it meets collected for their own parts.
class DocxPackageWriter
{
public:
    explicit DocxPackageWriter(const QTextDocument &document);
    QByteArray package(QString *error);

private:
    struct Media
    {
        QString name;   // "media/image1.png"
        QByteArray bytes;
    };

    QByteArray documentPart();
    QByteArray stylesPart() const;
    QByteArray numberingPart() const;
    QByteArray relationsPart() const;
    void writeFrame(const QTextFrame *frame);
    void writeBlock(const QTextBlock &block);
    void writeTable(const QTextTable *table);
    void writeRunProps(const QTextCharFormat &format);
    void writeText(const QString &text, const QTextCharFormat &format);
    void writeImage(const QTextImageFormat &format);
    void writeSection();
    // The w:num of a list and, in *level, the level it is of that list.
    int listNumber(const QTextList *list, int *level = nullptr);
    QString relation(const QString &type, const QString &target, bool external, const QString &wanted = {});
    void prepareKept();
    bool keptReady(const QTextCharFormat &format) const;
    void writeKept(const QTextCharFormat &format);
    QString keptName(int part) const;

    const QTextDocument &m_document;
    QXmlStreamWriter m_xml;
    // One w:num a list: the QTextLists that are its levels. Lists a reader
    // made levels of one list (RtfProperties::ListGroup) share one.
    struct ListLevels
    {
        const QTextList *levels[9] = {};
    };
    QList<ListLevels> m_lists;
    QHash<int, int> m_listGroups;                           // group -> index in m_lists
    QHash<const QTextList *, std::pair<int, int>> m_listPlaces;   // list -> numId, level
    QList<Media> m_media;
    struct Relation
    {
        QString id, type, target;
        bool external = false;
    };
    QList<Relation> m_relations;
    QSet<QString> m_relationIds;
    QHash<QString, QString> m_links;   // target -> relation id
    int m_pictures = 0;
    // What the file this came from held that is written back as read.
    DocxKept m_kept;
    QHash<QString, QString> m_keptIds;   // id as read -> id written
    QSet<int> m_keptWritten;   // kept elements written, by number
};
