#include "DocxReader.h"

#include "DocxBuilder.h"
#include "DocxNumbering.h"
#include "DocxStyles.h"
#include "RtfLimits.h"
#include "XmlPart.h"
#include "ZipReader.h"

#include <QDir>
#include <QTextDocument>

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
        numbering.read(zip.read(name, &ok), &problem);
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
