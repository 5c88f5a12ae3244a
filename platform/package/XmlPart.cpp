#include "XmlPart.h"

namespace {
// The piece names the prefix: on a name, or as a word of an attribute
// value (mc:Requires="wps", mc:Ignorable="w14 wp14"). Declaring one too many
// does no harm; one too few would break the piece.
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
}

XmlPart::XmlPart(const QByteArray &bytes)
    : m_xml(bytes)
{
    m_xml.setNamespaceProcessing(true);
    // Belt and braces: no declaration gets through, so nothing is expanded.
    m_xml.setEntityExpansionLimit(0);
}

bool XmlPart::nextChild()
{
    while (!m_xml.atEnd()) {
        switch (m_xml.readNext()) {
        case QXmlStreamReader::StartElement:
            if (++m_depth > MaxDepth) {
                m_xml.raiseError(QStringLiteral("elements are nested more than %1 deep").arg(MaxDepth));
                return false;
            }
            noteNamespaces();
            return true;
        case QXmlStreamReader::EndElement:
            --m_depth;
            return false;
        case QXmlStreamReader::DTD:
            m_xml.raiseError(QStringLiteral("it has a document type declaration, which no package part may have"));
            return false;
        default:
            break;
        }
    }
    return false;
}

bool XmlPart::entered()
{
    if (++m_depth > MaxDepth) {
        m_xml.raiseError(QStringLiteral("elements are nested more than %1 deep").arg(MaxDepth));
        return false;
    }
    noteNamespaces();
    return true;
}

void XmlPart::noteNamespaces()
{
    // Package parts declare their namespaces on the root; a few at most.
    const QXmlStreamNamespaceDeclarations declarations = m_xml.namespaceDeclarations();
    for (const QXmlStreamNamespaceDeclaration &d : declarations) {
        const auto same = [&d](const QXmlStreamNamespaceDeclaration &k) { return k.prefix() == d.prefix(); };
        m_namespaces.removeIf(same);
        if (m_namespaces.size() < 256)
            m_namespaces.append(d);
    }
}

QByteArray XmlPart::copy()
{
    if (m_xml.tokenType() != QXmlStreamReader::StartElement)
        return {};
    QByteArray out;
    QXmlStreamWriter writer(&out);
    for (const QXmlStreamNamespaceDeclaration &d : std::as_const(m_namespaces)) {
        if (!d.prefix().isEmpty())
            writer.writeNamespace(d.namespaceUri().toString(), d.prefix().toString());
    }
    int level = 0;
    for (;;) {
        switch (m_xml.tokenType()) {
        case QXmlStreamReader::StartElement:
            if (level++ > 0 && !entered())
                return {};
            // Its own declarations, with their prefixes as read.
            noteNamespaces();
            for (const QXmlStreamNamespaceDeclaration &d : m_xml.namespaceDeclarations()) {
                if (!d.prefix().isEmpty())
                    writer.writeNamespace(d.namespaceUri().toString(), d.prefix().toString());
            }
            writer.writeStartElement(m_xml.namespaceUri().toString(), m_xml.name().toString());
            for (const QXmlStreamAttribute &a : m_xml.attributes()) {
                // xml:space and its like keep their reserved prefix.
                if (a.namespaceUri().isEmpty() || a.prefix() == QLatin1String("xml"))
                    writer.writeAttribute(a.qualifiedName().toString(), a.value().toString());
                else
                    writer.writeAttribute(a.namespaceUri().toString(), a.name().toString(), a.value().toString());
            }
            break;
        case QXmlStreamReader::EndElement:
            writer.writeEndElement();
            --m_depth;
            if (--level == 0)
                return out;
            break;
        case QXmlStreamReader::Characters:
            writer.writeCharacters(m_xml.text().toString());
            break;
        case QXmlStreamReader::DTD:
            m_xml.raiseError(QStringLiteral("it has a document type declaration, which no package part may have"));
            return {};
        case QXmlStreamReader::Invalid:
            return {};
        default:
            break;
        }
        if (m_xml.atEnd())
            return {};
        m_xml.readNext();
    }
}

void XmlPart::skip()
{
    if (m_xml.tokenType() != QXmlStreamReader::StartElement)
        return;
    m_xml.skipCurrentElement();
    --m_depth;
}

QString XmlPart::text()
{
    if (m_xml.tokenType() != QXmlStreamReader::StartElement)
        return {};
    const QString result = m_xml.readElementText(QXmlStreamReader::IncludeChildElements);
    --m_depth;
    return result;
}

QString XmlPart::attribute(QLatin1StringView localName) const
{
    const QXmlStreamAttributes attributes = m_xml.attributes();
    for (const QXmlStreamAttribute &a : attributes) {
        if (a.name() == localName)
            return a.value().toString();
    }
    return {};
}

bool XmlPart::hasAttribute(QLatin1StringView localName) const
{
    const QXmlStreamAttributes attributes = m_xml.attributes();
    for (const QXmlStreamAttribute &a : attributes) {
        if (a.name() == localName)
            return true;
    }
    return false;
}

QString XmlPart::errorText() const
{
    if (!m_xml.hasError())
        return {};
    return QStringLiteral("%1 (line %2)").arg(m_xml.errorString()).arg(m_xml.lineNumber());
}

bool XmlPart::walk(const QByteArray &element, const std::function<bool(const QXmlStreamReader &)> &visit)
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
        if (depth > MaxDepth)
            return false;
        if (token == QXmlStreamReader::EndElement)
            --depth;
        if (!visit(xml))
            return false;
    }
    return !xml.hasError() && roots == 1;
}

void XmlPart::replay(const QByteArray &element, QXmlStreamWriter &out,
                     const std::function<std::optional<QString>(const QXmlStreamAttribute &)> &value,
                     const QStringList &bound)
{
    walk(element, [&](const QXmlStreamReader &xml) {
        switch (xml.tokenType()) {
        case QXmlStreamReader::StartElement:
            for (const QXmlStreamNamespaceDeclaration &d : xml.namespaceDeclarations()) {
                if (!d.prefix().isEmpty() && !bound.contains(d.namespaceUri()) && mentions(element, d.prefix().toUtf8()))
                    out.writeNamespace(d.namespaceUri().toString(), d.prefix().toString());
            }
            out.writeStartElement(xml.namespaceUri().toString(), xml.name().toString());
            for (const QXmlStreamAttribute &a : xml.attributes()) {
                const std::optional<QString> v = value(a);
                if (!v)
                    continue;
                if (a.namespaceUri().isEmpty() || a.prefix() == QLatin1String("xml"))
                    out.writeAttribute(a.qualifiedName().toString(), *v);
                else
                    out.writeAttribute(a.namespaceUri().toString(), a.name().toString(), *v);
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
