#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextFormat>

class QXmlStreamWriter;

// What a Word package holds that Quillet does not show but must not lose on
// a Word save: headers, footers, notes and comments as parts, with what they
// refer to in turn, and the elements in the text that anchor notes, comments
// and drawn shapes. The reader keeps them as read; the writer writes them
// back under names and relationship ids of its own.
class DocxKept
{
public:
    enum Property : int {
        // Of the root frame: the kept parts (toBytes()).
        Parts = QTextFormat::UserProperty + 0x5200,
        // Of the characters shown for a kept element: the element as read
        // (QByteArray, from XmlPart::copy), its number among the document's
        // kept elements (int) and the text shown for it (QString).
        Element,
        ElementNumber,
        ElementShown,
    };

    struct Relation
    {
        QString id;
        QString type;     // the full relationship type
        QString target;   // external targets only
        bool external = false;
        int part = -1;    // index into parts of an internal target
    };
    struct Part
    {
        QString name;   // as read, for the name written back
        QString contentType;
        QByteArray bytes;
        QList<Relation> relations;
    };
    // A w:headerReference or w:footerReference of the section.
    struct SectionReference
    {
        QString element;
        QString type;   // "default", "first", "even"
        QString id;
    };

    QList<Part> parts;
    // The main document part's relationships to what is kept, by their ids
    // as read: the ids the kept elements and section references use.
    QList<Relation> relations;
    QList<SectionReference> sections;
    bool titlePage = false;

    bool isEmpty() const { return parts.isEmpty() && relations.isEmpty(); }
    QByteArray toBytes() const;
    // Nonsense gives an empty set.
    static DocxKept fromBytes(const QByteArray &bytes);

    // The relationship ids a kept element uses (its r:id, r:embed...).
    static QStringList relationIds(const QByteArray &element);
    // The element is whole and every relationship id it uses is in `ids`.
    static bool replayable(const QByteArray &element, const QHash<QString, QString> &ids);
    // Writes a replayable kept element into `out`, its relationship ids
    // mapped through `ids`. Namespaces `out` binds already are not declared
    // again.
    static void replay(const QByteArray &element, QXmlStreamWriter &out, const QHash<QString, QString> &ids,
                       const QStringList &boundNamespaces);
};
