#pragma once

#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <functional>
#include <optional>

// One XML part of a package, read element by element. A document type
// declaration is refused outright (no package format has one, and it is
// where entity tricks live), so only the predefined entities and character
// references are ever expanded; elements nested past MaxDepth are refused.
//
//   while (part.nextChild())          // the children of the current element
//       if (part.is("r")) readRun(); else part.skip();
class XmlPart
{
public:
    static constexpr int MaxDepth = 256;

    explicit XmlPart(const QByteArray &bytes);

    // Moves to the next child element of the element being read (of the
    // document, at first). False at the end of that element, at the end of
    // the data or on an error.
    bool nextChild();
    // Skips the rest of the current element, children and all.
    void skip();
    // The element's text, children's text included; leaves the element.
    QString text();
    bool is(QLatin1StringView localName) const { return m_xml.name() == localName; }
    QStringView name() const { return m_xml.name(); }
    QStringView namespaceUri() const { return m_xml.namespaceUri(); }
    // An attribute by its local name, whatever its prefix.
    QString attribute(QLatin1StringView localName) const;
    bool hasAttribute(QLatin1StringView localName) const;
    int depth() const { return m_depth; }
    // The current element, children and all, as a standalone piece of XML
    // that declares every namespace met so far with its prefix as read
    // (attribute values such as mc:Requires name prefixes); leaves the
    // element. Empty if the element cannot be read to its end.
    QByteArray copy();
    // Walks a piece made by copy() token by token: false if `visit` says
    // so, or if it is not one whole element within MaxDepth.
    static bool walk(const QByteArray &element, const std::function<bool(const QXmlStreamReader &)> &visit);
    // Writes a piece made by copy() into `out`, each attribute's value
    // through `value` (nullopt leaves the attribute out). Namespaces in
    // `bound` are bound in `out` already; others are declared where the
    // piece names their prefix.
    static void replay(const QByteArray &element, QXmlStreamWriter &out,
                       const std::function<std::optional<QString>(const QXmlStreamAttribute &)> &value,
                       const QStringList &bound);

    // For readers of mixed content (text between elements): the stream
    // itself, and the depth kept as they step in and out of elements.
    QXmlStreamReader &stream() { return m_xml; }
    // A start element was read from stream(): false (and an error) past MaxDepth.
    bool entered();
    // An end element was read from stream().
    void ended() { --m_depth; }

    bool failed() const { return m_xml.hasError(); }
    // Why the part could not be read to its end, or empty.
    QString errorText() const;
    // The reader stopped because the data ended, not on bad data.
    bool cutShort() const { return m_xml.error() == QXmlStreamReader::PrematureEndOfDocumentError; }

private:
    void noteNamespaces();

    QXmlStreamReader m_xml;
    int m_depth = 0;
    QXmlStreamNamespaceDeclarations m_namespaces;
};
