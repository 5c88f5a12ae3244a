#include "OdtWordNotes.h"

#include "XmlPart.h"

#include <QXmlStreamWriter>

#include <algorithm>
#include <utility>

namespace {
const QString OFFICE = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString TEXT = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QString XLINK = QStringLiteral("http://www.w3.org/1999/xlink");
const QString DC = QStringLiteral("http://purl.org/dc/elements/1.1/");
const QString R = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
// Content controls, revisions and tables in a note nest no deeper than this.
constexpr int MaxNesting = 32;

bool is(const XmlPart &part, const char *name)
{
    return part.is(QLatin1StringView(name));
}

QString xmlSafe(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 || c == u'\t' || c == u'\n' || c == u'\r')
            out += c;
    }
    return out;
}

// Writes one note's paragraphs as text:p elements.
class NoteWriter
{
public:
    NoteWriter(QXmlStreamWriter &out, const QHash<QString, QString> &links) : m_out(out), m_links(links) {}

    void blocks(XmlPart &part, int nesting)
    {
        while (part.nextChild()) {
            if (is(part, "p")) {
                m_out.writeStartElement(TEXT, QStringLiteral("p"));
                m_afterSpace = true;
                inlines(part, false, 0);
                m_out.writeEndElement();
            } else if ((is(part, "tbl") || is(part, "tr") || is(part, "tc") || is(part, "sdt")
                        || is(part, "sdtContent") || is(part, "customXml") || is(part, "ins"))
                       && nesting < MaxNesting) {
                blocks(part, nesting + 1);
            } else {
                part.skip();
            }
        }
    }

private:
    void inlines(XmlPart &part, bool inLink, int nesting)
    {
        while (part.nextChild()) {
            if (is(part, "r")) {
                run(part);
            } else if (is(part, "hyperlink") && nesting < MaxNesting) {
                QString href = m_links.value(part.attribute(QLatin1StringView("id")));
                const QString anchor = part.attribute(QLatin1StringView("anchor"));
                if (!anchor.isEmpty())
                    href += QLatin1Char('#') + anchor;
                // Links do not nest in OpenDocument: an inner one is its text.
                const bool open = !inLink && !href.isEmpty();
                if (open) {
                    m_out.writeStartElement(TEXT, QStringLiteral("a"));
                    m_out.writeAttribute(XLINK, QStringLiteral("type"), QStringLiteral("simple"));
                    m_out.writeAttribute(XLINK, QStringLiteral("href"), xmlSafe(href));
                }
                inlines(part, inLink || open, nesting + 1);
                if (open)
                    m_out.writeEndElement();
            } else if ((is(part, "ins") || is(part, "smartTag") || is(part, "sdt") || is(part, "sdtContent")
                        || is(part, "customXml") || is(part, "fldSimple") || is(part, "moveTo"))
                       && nesting < MaxNesting) {
                inlines(part, inLink, nesting + 1);
            } else {
                part.skip();
            }
        }
    }

    void run(XmlPart &part)
    {
        while (part.nextChild()) {
            if (is(part, "t")) {
                text(part.text());
            } else if (is(part, "tab")) {
                m_out.writeEmptyElement(TEXT, QStringLiteral("tab"));
                m_afterSpace = true;
                part.skip();
            } else if (is(part, "br") || is(part, "cr")) {
                m_out.writeEmptyElement(TEXT, QStringLiteral("line-break"));
                m_afterSpace = true;
                part.skip();
            } else {
                // The note's own mark (w:footnoteRef) is its citation.
                part.skip();
            }
        }
    }

    // A space after text as it is; the rest, which would collapse, as text:s.
    void text(const QString &text)
    {
        QString piece;
        int spaces = 0;
        for (const QChar c : text) {
            if (c == u' ' && spaces == 0 && !m_afterSpace) {
                piece += c;
                m_afterSpace = true;
            } else if (c == u' ') {
                if (!piece.isEmpty())
                    m_out.writeCharacters(xmlSafe(std::exchange(piece, QString())));
                ++spaces;
            } else {
                writeSpaces(spaces);
                piece += c;
                m_afterSpace = false;
            }
        }
        if (!piece.isEmpty())
            m_out.writeCharacters(xmlSafe(piece));
        writeSpaces(spaces);
    }

    void writeSpaces(int &spaces)
    {
        if (spaces == 0)
            return;
        m_out.writeEmptyElement(TEXT, QStringLiteral("s"));
        if (spaces > 1)
            m_out.writeAttribute(TEXT, QStringLiteral("c"), QString::number(spaces));
        spaces = 0;
    }

    QXmlStreamWriter &m_out;
    const QHash<QString, QString> &m_links;
    bool m_afterSpace = true;   // at a paragraph's start, a tab, a break or a space
};
}

OdtWordNotes::OdtWordNotes(const QByteArray &keptParts)
    : m_keptParts(keptParts)
{
}

const DocxKept &OdtWordNotes::kept()
{
    if (!m_kept)
        m_kept = DocxKept::fromBytes(std::exchange(m_keptParts, QByteArray()));
    return *m_kept;
}

const OdtWordNotes::Notes &OdtWordNotes::notes(const QString &kind)
{
    if (const auto it = m_notes.constFind(kind); it != m_notes.cend())
        return *it;
    Notes &out = m_notes[kind];
    const QString suffix = QLatin1Char('/') + kind;
    const DocxKept &parts = kept();
    const auto rel = std::find_if(parts.relations.cbegin(), parts.relations.cend(), [&suffix](const DocxKept::Relation &r) {
        return !r.external && r.type.endsWith(suffix) && r.part >= 0;
    });
    if (rel == parts.relations.cend() || rel->part >= parts.parts.size())
        return out;
    const DocxKept::Part &part = parts.parts.at(rel->part);
    for (const DocxKept::Relation &r : part.relations) {
        if (r.external && r.type.endsWith(QLatin1String("/hyperlink")))
            out.links.insert(r.id, r.target);
    }
    const QLatin1StringView item(kind == QLatin1String("footnotes") ? "footnote"
                                 : kind == QLatin1String("endnotes") ? "endnote"
                                                                     : "comment");
    XmlPart xml(part.bytes);
    if (!xml.nextChild())
        return out;
    while (xml.nextChild()) {
        if (!xml.is(item)) {
            xml.skip();
            continue;
        }
        const QString id = xml.attribute(QLatin1StringView("id"));
        const QByteArray element = xml.copy();
        if (!id.isEmpty() && !element.isEmpty())
            out.byId.insert(id, element);
    }
    return out;
}

QByteArray OdtWordNotes::element(const QByteArray &reference, const QString &shown)
{
    XmlPart ref(reference);
    if (!ref.nextChild())
        return {};
    const bool footnote = is(ref, "footnoteReference"), endnote = is(ref, "endnoteReference");
    const bool comment = is(ref, "commentReference");
    if (!footnote && !endnote && !comment)
        return {};
    const Notes &all = notes(footnote ? QStringLiteral("footnotes")
                             : endnote ? QStringLiteral("endnotes")
                                       : QStringLiteral("comments"));
    const auto it = all.byId.constFind(ref.attribute(QLatin1StringView("id")));
    if (it == all.byId.cend())
        return {};
    XmlPart note(*it);
    if (!note.nextChild())
        return {};
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.writeNamespace(TEXT, QStringLiteral("text"));
    xml.writeNamespace(XLINK, QStringLiteral("xlink"));
    if (comment) {
        xml.writeNamespace(OFFICE, QStringLiteral("office"));
        xml.writeNamespace(DC, QStringLiteral("dc"));
        xml.writeStartElement(OFFICE, QStringLiteral("annotation"));
        if (const QString author = note.attribute(QLatin1StringView("author")); !author.isEmpty())
            xml.writeTextElement(DC, QStringLiteral("creator"), xmlSafe(author));
        if (const QString date = note.attribute(QLatin1StringView("date")); !date.isEmpty())
            xml.writeTextElement(DC, QStringLiteral("date"), xmlSafe(date));
    } else {
        xml.writeStartElement(TEXT, QStringLiteral("note"));
        xml.writeAttribute(TEXT, QStringLiteral("id"), QStringLiteral("%1%2").arg(footnote ? "ftn" : "edn").arg(++m_count));
        xml.writeAttribute(TEXT, QStringLiteral("note-class"), footnote ? QStringLiteral("footnote") : QStringLiteral("endnote"));
        xml.writeTextElement(TEXT, QStringLiteral("note-citation"), xmlSafe(shown));
        xml.writeStartElement(TEXT, QStringLiteral("note-body"));
    }
    NoteWriter(xml, all.links).blocks(note, 0);
    if (!comment)
        xml.writeEndElement();
    xml.writeEndElement();
    return out;
}
