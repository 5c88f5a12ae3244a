#include "DocxReader.h"

#include "DocxBuilder.h"
#include "DocxKept.h"
#include "DocxNumbering.h"
#include "DocxStyles.h"
#include "RtfLimits.h"
#include "XmlPart.h"
#include "ZipReader.h"

#include <QDir>
#include <QTextDocument>
#include <QTextFrame>

#include <optional>

namespace {
const QLatin1StringView OfficeDocument("/officeDocument");

// A relationship's target as a part name: relative to the folder of the
// part that names it, or absolute from the package root.
QString partName(const QString &folder, const QString &target)
{
    QString name = target.startsWith(QLatin1Char('/')) ? target.mid(1) : folder + target;
    name = QDir::cleanPath(name);
    while (name.startsWith(QLatin1String("../")))
        name = name.mid(3);
    return name;
}

QString folderOf(const QString &part)
{
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : part.left(slash + 1);
}

// The relationships part of `part` ("word/_rels/document.xml.rels").
QHash<QString, DocxBuilder::Relation> relations(ZipReader &zip, const QString &part, QString *mainTarget)
{
    QHash<QString, DocxBuilder::Relation> out;
    const QString folder = folderOf(part);
    const QString relsName = folder + QStringLiteral("_rels/") + part.mid(folder.size()) + QStringLiteral(".rels");
    if (!zip.contains(relsName))
        return out;
    bool ok = false;
    XmlPart xml(zip.read(relsName, &ok, 16 * 1024 * 1024));
    if (!ok || !xml.nextChild())
        return out;
    while (xml.nextChild()) {
        if (xml.is(QLatin1StringView("Relationship"))) {
            DocxBuilder::Relation relation;
            const QString target = xml.attribute(QLatin1StringView("Target"));
            relation.external = xml.attribute(QLatin1StringView("TargetMode")) == QLatin1String("External");
            relation.type = xml.attribute(QLatin1StringView("Type"));
            relation.target = relation.external ? target : partName(folder, target);
            out.insert(xml.attribute(QLatin1StringView("Id")), relation);
            if (mainTarget && xml.attribute(QLatin1StringView("Type")).endsWith(OfficeDocument)
                && mainTarget->isEmpty())
                *mainTarget = relation.target;
        }
        xml.skip();
    }
    return out;
}

// The content types the package declares: by part name, else by extension.
struct ContentTypes
{
    QHash<QString, QString> parts, extensions;

    explicit ContentTypes(ZipReader &zip)
    {
        bool ok = false;
        XmlPart xml(zip.read(QStringLiteral("[Content_Types].xml"), &ok, 4 * 1024 * 1024));
        if (!ok || !xml.nextChild())
            return;
        while (xml.nextChild()) {
            const QString type = xml.attribute(QLatin1StringView("ContentType"));
            if (xml.is(QLatin1StringView("Override")))
                parts.insert(xml.attribute(QLatin1StringView("PartName")).toLower(), type);
            else if (xml.is(QLatin1StringView("Default")))
                extensions.insert(xml.attribute(QLatin1StringView("Extension")).toLower(), type);
            xml.skip();
        }
    }
    QString of(const QString &part) const
    {
        const QString override = parts.value(QLatin1Char('/') + part.toLower());
        if (!override.isEmpty())
            return override;
        const qsizetype dot = part.lastIndexOf(QLatin1Char('.'));
        return dot < 0 ? QString() : extensions.value(part.mid(dot + 1).toLower());
    }
};

// Keeps what the document refers to and Quillet does not show (headers,
// footers, notes, comments, what kept shapes use), with every part those
// refer to in turn, within a budget.
class PartKeeper
{
public:
    PartKeeper(ZipReader &zip, DocxKept &kept) : m_zip(zip), m_kept(kept), m_types(zip) {}

    void keep(const QHash<QString, DocxBuilder::Relation> &rels, const QStringList &ids)
    {
        static const QStringList kinds = {QStringLiteral("header"), QStringLiteral("footer"),
                                          QStringLiteral("footnotes"), QStringLiteral("endnotes"),
                                          QStringLiteral("comments"), QStringLiteral("commentsExtended"),
                                          QStringLiteral("commentsIds"), QStringLiteral("commentsExtensible"),
                                          QStringLiteral("people"), QStringLiteral("diagramDrawing")};
        QStringList wanted = ids;
        for (auto it = rels.cbegin(); it != rels.cend(); ++it) {
            if (kinds.contains(it->type.section(QLatin1Char('/'), -1)) && !wanted.contains(it.key()))
                wanted.append(it.key());
        }
        wanted.sort();
        for (const QString &id : std::as_const(wanted)) {
            const auto it = rels.constFind(id);
            if (it == rels.cend())
                continue;
            if (const auto r = relation(id, *it, 1))
                m_kept.relations.append(*r);
        }
    }
    QStringList problems() const { return m_problems; }

private:
    std::optional<DocxKept::Relation> relation(const QString &id, const DocxBuilder::Relation &from, int depth)
    {
        DocxKept::Relation r;
        r.id = id;
        r.type = from.type;
        r.external = from.external;
        if (from.external) {
            r.target = from.target;
            return r;
        }
        r.part = part(from.target, depth);
        if (r.part < 0)
            return std::nullopt;
        return r;
    }

    int part(const QString &name, int depth)
    {
        if (const auto it = m_index.constFind(name); it != m_index.cend())
            return *it;
        const QString type = m_types.of(name);
        if (depth > 4 || m_kept.parts.size() >= 512 || type.isEmpty() || !m_zip.contains(name))
            return -1;
        bool ok = false;
        const QByteArray bytes = m_zip.read(name, &ok, qMax<qsizetype>(0, RtfLimits::MaxKeptBytes - m_bytes));
        if (!ok) {
            m_problems << QStringLiteral("%1 could not be kept: %2").arg(name, m_zip.errorText());
            return -1;
        }
        m_bytes += bytes.size();
        const int index = int(m_kept.parts.size());
        m_kept.parts.append(DocxKept::Part{name, type, bytes, {}});
        m_index.insert(name, index);
        const QHash<QString, DocxBuilder::Relation> rels = relations(m_zip, name, nullptr);
        QStringList ids = rels.keys();
        ids.sort();
        for (const QString &id : std::as_const(ids)) {
            if (const auto r = relation(id, rels.value(id), depth + 1))
                m_kept.parts[index].relations.append(*r);
        }
        return index;
    }

    ZipReader &m_zip;
    DocxKept &m_kept;
    ContentTypes m_types;
    QHash<QString, int> m_index;
    qsizetype m_bytes = 0;
    QStringList m_problems;
};

// The main document part the package names, else Word's usual one.
QString mainPart(ZipReader &zip)
{
    QString main;
    relations(zip, QStringLiteral(""), &main);
    if (main.isEmpty() || !zip.contains(main))
        main = QStringLiteral("word/document.xml");
    return main;
}
}

bool DocxReader::isDocx(const QByteArray &bytes)
{
    if (!bytes.startsWith("PK\x03\x04"))
        return false;
    ZipReader zip(bytes);
    return zip.isOpen() && zip.contains(mainPart(zip));
}

DocxReader::Result DocxReader::read(const QByteArray &bytes, QTextDocument &document)
{
    Result result;
    ZipReader zip(bytes);
    if (!zip.isOpen()) {
        result.errorText = zip.errorText();
        return result;
    }
    const QString main = mainPart(zip);
    bool ok = false;
    const QByteArray body = zip.read(main, &ok);
    if (!ok) {
        result.errorText = zip.contains(main) ? zip.errorText()
                                              : QStringLiteral("it holds no Word document (no %1)").arg(main);
        return result;
    }
    QStringList problems;
    QString problem;
    const QString folder = folderOf(main);
    const QHash<QString, DocxBuilder::Relation> rels = relations(zip, main, nullptr);
    // The style sheet and lists are found by their relationships' types in
    // principle; Word always names them so.
    DocxStyles styles;
    if (const QString name = folder + QStringLiteral("styles.xml"); zip.contains(name)) {
        styles.read(zip.read(name, &ok), &problem);
        if (!problem.isEmpty())
            problems << std::exchange(problem, QString());
    }
    DocxNumbering numbering;
    if (const QString name = folder + QStringLiteral("numbering.xml"); zip.contains(name)) {
        numbering.read(zip.read(name, &ok), &problem, [&styles](const QString &id) { return styles.numbering(id); });
        if (!problem.isEmpty())
            problems << std::exchange(problem, QString());
    }

    document.clear();
    QTextCursor(&document).setBlockFormat(QTextBlockFormat());
    DocxBuilder builder(document, styles, numbering, rels, [&zip](const QString &target, QString *why) {
        bool read = false;
        QByteArray picture = zip.read(target, &read, RtfLimits::MaxPictureBytes);
        if (!read && why)
            *why = zip.errorText();
        return picture;
    });
    XmlPart xml(body);
    if (xml.nextChild())
        builder.read(xml);
    problems += builder.problems();
    DocxKept kept = builder.kept();
    PartKeeper keeper(zip, kept);
    keeper.keep(rels, builder.keptRelationIds());
    problems += keeper.problems();
    if (!kept.isEmpty()) {
        QTextFrameFormat root = document.rootFrame()->frameFormat();
        root.setProperty(DocxKept::Parts, kept.toBytes());
        document.rootFrame()->setFrameFormat(root);
    }
    result.incomplete = builder.incomplete() || !problems.isEmpty();
    if (xml.failed()) {
        result.incomplete = true;
        problems.prepend(QStringLiteral("its text is damaged: %1").arg(xml.errorText()));
    }
    if (!builder.readAnything()) {
        result.errorText = problems.isEmpty() ? QStringLiteral("it holds no text Quillet can read")
                                              : problems.first();
        return result;
    }
    result.ok = true;
    result.errorText = problems.join(QStringLiteral("; "));
    return result;
}
