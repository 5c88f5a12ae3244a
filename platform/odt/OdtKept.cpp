#include "OdtKept.h"

#include "XmlPart.h"

#include <QDataStream>
#include <QDir>
#include <QIODevice>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {
const QString XLINK = QStringLiteral("http://www.w3.org/1999/xlink");
constexpr quint32 Version = 1;

// A link to a file of the package, as its path; empty for anything else.
QString packagePath(const QXmlStreamAttribute &a)
{
    if (a.namespaceUri() != XLINK || a.name() != QLatin1String("href"))
        return {};
    const QString href = a.value().toString();
    if (href.isEmpty() || href.contains(QLatin1String("://")) || href.startsWith(QLatin1Char('#'))
        || href.startsWith(QLatin1Char('/')))
        return {};
    const QString path = QDir::cleanPath(href.startsWith(QLatin1String("./")) ? href.mid(2) : href);
    return path.startsWith(QLatin1String("..")) ? QString() : path;
}
}

QByteArray OdtKept::toBytes() const
{
    QByteArray out;
    QDataStream stream(&out, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_6_0);
    stream << Version << master << files;
    return out;
}

OdtKept OdtKept::fromBytes(const QByteArray &bytes)
{
    OdtKept kept;
    if (bytes.isEmpty())
        return kept;
    QDataStream stream(bytes);
    stream.setVersion(QDataStream::Qt_6_0);
    quint32 version = 0;
    stream >> version;
    if (version != Version)
        return {};
    stream >> kept.master >> kept.files;
    if (stream.status() != QDataStream::Ok)
        return {};
    return kept;
}

QStringList OdtKept::paths(const QByteArray &element)
{
    QStringList out;
    XmlPart::walk(element, [&out](const QXmlStreamReader &xml) {
        if (xml.tokenType() == QXmlStreamReader::StartElement) {
            for (const QXmlStreamAttribute &a : xml.attributes()) {
                const QString path = packagePath(a);
                if (!path.isEmpty() && !out.contains(path))
                    out.append(path);
            }
        }
        return true;
    });
    return out;
}

void OdtKept::replay(const QByteArray &element, QXmlStreamWriter &out, const QHash<QString, QString> &paths,
                     const QStringList &boundNamespaces)
{
    XmlPart::replay(element, out, [&paths](const QXmlStreamAttribute &a) -> std::optional<QString> {
        if (a.name().endsWith(QLatin1String("style-name")))
            return std::nullopt;
        if (const QString path = packagePath(a); !path.isEmpty())
            return paths.value(path, a.value().toString());
        return a.value().toString();
    }, boundNamespaces);
}
