#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

#include "DocxKept.h"

// A Word file's notes and comments are kept as Word parts, for a Word save.
// An OpenDocument save writes each as its own note or annotation, made here
// from the kept parts: the paragraphs with their text, tabs, line breaks and
// links (not their formatting), as a piece OdtKept::replay writes.
class OdtWordNotes
{
public:
    explicit OdtWordNotes(const QByteArray &keptParts);

    // The OpenDocument element for a kept w:footnoteReference,
    // w:endnoteReference or w:commentReference, or empty if the kept parts
    // do not hold what it refers to. `shown`: the note's citation.
    QByteArray element(const QByteArray &reference, const QString &shown);
    // The kept parts, read when first asked for: most saves need none.
    const DocxKept &kept();

private:
    // The notes of a kind ("footnotes", "endnotes", "comments") as read, by
    // id, with the links their part names; read once, when first asked for.
    struct Notes
    {
        QHash<QString, QByteArray> byId;
        QHash<QString, QString> links;
    };
    const Notes &notes(const QString &kind);

    QByteArray m_keptParts;
    std::optional<DocxKept> m_kept;
    QHash<QString, Notes> m_notes;
    int m_count = 0;
};
