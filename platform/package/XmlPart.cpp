#include "XmlPart.h"

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
    return true;
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
