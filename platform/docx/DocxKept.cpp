#include "DocxKept.h"

#include "XmlPart.h"

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
    XmlPart::walk(element, [&ids](const QXmlStreamReader &xml) {
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
    return XmlPart::walk(element, [&ids](const QXmlStreamReader &xml) {
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
    XmlPart::replay(element, out, [&ids](const QXmlStreamAttribute &a) -> std::optional<QString> {
        if (a.namespaceUri() == R)
            return ids.value(a.value().toString());
        return a.value().toString();
    }, boundNamespaces);
}
