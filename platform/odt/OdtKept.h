#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextFormat>

class QXmlStreamWriter;

// What an OpenDocument file holds that Quillet does not show but must not
// lose on an OpenDocument save: notes and comments in the text, the page's
// headers and footers, and the package files (pictures) they show. The
// reader keeps them as read; the writer writes them back.
class OdtKept
{
public:
    enum Property : int {
        // Of the root frame: the master page's parts and the files (toBytes()).
        Parts = QTextFormat::UserProperty + 0x5300,
        // Of the characters shown for a kept element: the element as read
        // (XmlPart::copy), its number in the document and the text shown.
        Element,
        ElementNumber,
        ElementShown,
    };

    // The first master page's headers and footers, each as read.
    QList<QByteArray> master;
    // Package files the kept elements name, by their path as read.
    QList<std::pair<QString, QByteArray>> files;

    bool isEmpty() const { return master.isEmpty() && files.isEmpty(); }
    QByteArray toBytes() const;
    static OdtKept fromBytes(const QByteArray &bytes);

    // The package files a kept element names (xlink:href inside the package).
    static QStringList paths(const QByteArray &element);
    // Writes a kept element into `out`: its style names go (the styles it
    // named are not written back, and a name may now be another style's),
    // the files it names are renamed through `paths`.
    static void replay(const QByteArray &element, QXmlStreamWriter &out, const QHash<QString, QString> &paths,
                       const QStringList &boundNamespaces);
};
