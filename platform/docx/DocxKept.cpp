#include "DocxKept.h"

#include <QDataStream>
#include <QIODevice>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>

// Found by QList's stream operators, so outside the unnamed namespace.
static QDataStream &operator<<(QDataStream &out, const DocxKept::Relation &r)
{
    return out << r.id << r.type << r.target << r.external << qint32(r.part);
}

static QDataStream &operator>>(QDataStream &in, DocxKept::Relation &r)
{
    qint32 part = -1;
    in >> r.id >> r.type >> r.target >> r.external >> part;
    r.part = part;
    return in;
}

static QDataStream &operator<<(QDataStream &out, const DocxKept::Part &p)
{
    return out << p.name << p.contentType << p.bytes << p.relations;
}

static QDataStream &operator>>(QDataStream &in, DocxKept::Part &p)
{
    return in >> p.name >> p.contentType >> p.bytes >> p.relations;
}

static QDataStream &operator<<(QDataStream &out, const DocxKept::SectionReference &s)
{
    return out << s.element << s.type << s.id;
}

static QDataStream &operator>>(QDataStream &in, DocxKept::SectionReference &s)
{
    return in >> s.element >> s.type >> s.id;
}

namespace {
const QString R = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
constexpr quint32 Version = 1;
constexpr int MaxElementDepth = 256;

// The element names the prefix: on a name, or as a word of an attribute
// value (mc:Requires="wps", mc:Ignorable="w14 wp14"). Declaring one too many
// does no harm; one too few would break the element.
bool mentions(const QByteArray &element, const QByteArray &prefix)
{
    if (element.contains(prefix + ':'))
        return true;
    for (const char before : {'"', ' '}) {
        for (const char after : {'"', ' '}) {
            if (element.contains(before + prefix + after))
                return true;
        }
    }
    return false;
}

// Walks a kept element: false if it is not well formed, too deep or holds
// more than one element at its top.
template<typename Visit>
bool walk(const QByteArray &element, Visit visit)
{
    QXmlStreamReader xml(element);
    xml.setNamespaceProcessing(true);
    xml.setEntityExpansionLimit(0);
    int depth = 0, roots = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::DTD)
            return false;
        if (token == QXmlStreamReader::StartElement && (depth++ == 0 && ++roots > 1))
            return false;
        if (depth > MaxElementDepth)
            return false;
        if (token == QXmlStreamReader::EndElement)
            --depth;
        if (!visit(xml))
            return false;
    }
    return !xml.hasError() && roots == 1;
}
}

QByteArray DocxKept::toBytes() const
{
    QByteArray out;
    QDataStream stream(&out, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_6_0);
    stream << Version << parts << relations << sections << titlePage;
    return out;
}

DocxKept DocxKept::fromBytes(const QByteArray &bytes)
{
    DocxKept kept;
    if (bytes.isEmpty())
        return kept;
    QDataStream stream(bytes);
    stream.setVersion(QDataStream::Qt_6_0);
    quint32 version = 0;
    stream >> version;
    if (version != Version)
        return {};
    stream >> kept.parts >> kept.relations >> kept.sections >> kept.titlePage;
    if (stream.status() != QDataStream::Ok)
        return {};
    // Indexes that point nowhere would write relationships to nothing.
    const auto valid = [&kept](const Relation &r) { return r.external || (r.part >= 0 && r.part < kept.parts.size()); };
    for (const Part &p : std::as_const(kept.parts)) {
        if (!std::all_of(p.relations.cbegin(), p.relations.cend(), valid))
            return {};
    }
    if (!std::all_of(kept.relations.cbegin(), kept.relations.cend(), valid))
        return {};
    return kept;
}

QStringList DocxKept::relationIds(const QByteArray &element)
{
    QStringList ids;
    walk(element, [&ids](const QXmlStreamReader &xml) {
        if (xml.tokenType() == QXmlStreamReader::StartElement) {
            for (const QXmlStreamAttribute &a : xml.attributes()) {
                if (a.namespaceUri() == R && !ids.contains(a.value()))
                    ids.append(a.value().toString());
            }
        }
        return true;
    });
    return ids;
}

bool DocxKept::replayable(const QByteArray &element, const QHash<QString, QString> &ids)
{
    return walk(element, [&ids](const QXmlStreamReader &xml) {
        if (xml.tokenType() == QXmlStreamReader::StartElement) {
            for (const QXmlStreamAttribute &a : xml.attributes()) {
                if (a.namespaceUri() == R && !ids.contains(a.value().toString()))
                    return false;
            }
        }
        return true;
    });
}

void DocxKept::replay(const QByteArray &element, QXmlStreamWriter &out, const QHash<QString, QString> &ids,
                      const QStringList &boundNamespaces)
{
    walk(element, [&](const QXmlStreamReader &xml) {
        switch (xml.tokenType()) {
        case QXmlStreamReader::StartElement:
            // Prefixes the element's attributes may name (mc:Requires) are
            // declared as they were read.
            for (const QXmlStreamNamespaceDeclaration &d : xml.namespaceDeclarations()) {
                if (!d.prefix().isEmpty() && !boundNamespaces.contains(d.namespaceUri())
                    && mentions(element, d.prefix().toUtf8()))
                    out.writeNamespace(d.namespaceUri().toString(), d.prefix().toString());
            }
            out.writeStartElement(xml.namespaceUri().toString(), xml.name().toString());
            for (const QXmlStreamAttribute &a : xml.attributes()) {
                if (a.namespaceUri().isEmpty() || a.prefix() == QLatin1String("xml"))
                    out.writeAttribute(a.qualifiedName().toString(), a.value().toString());
                else if (a.namespaceUri() == R)
                    out.writeAttribute(R, a.name().toString(), ids.value(a.value().toString()));
                else
                    out.writeAttribute(a.namespaceUri().toString(), a.name().toString(), a.value().toString());
            }
            break;
        case QXmlStreamReader::EndElement:
            out.writeEndElement();
            break;
        case QXmlStreamReader::Characters:
            out.writeCharacters(xml.text().toString());
            break;
        default:
            break;
        }
        return true;
    });
}
