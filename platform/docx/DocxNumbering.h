#pragma once

#include "DocxProperties.h"

#include <QHash>
#include <QList>
#include <QString>

// The lists a document defines (word/numbering.xml): for each w:num, its
// nine levels with their number format, first number, label text ("%1.",
// "(%2)") and indents, start overrides applied.
class XmlPart;

class DocxNumbering
{
public:
    struct Level
    {
        QString format = QStringLiteral("decimal");   // w:numFmt
        QString text;                                 // w:lvlText, %1-%9 for the levels' numbers
        int start = 1;
        DocxParaProps para;
    };

    void read(const QByteArray &xml, QString *problem);
    // The level, or null when numId names no list (0 means "no list").
    const Level *level(int numId, int level) const;

private:
    using Levels = QList<Level>;   // nine of them
    static Levels readAbstract(XmlPart &part);
    static void readLevel(XmlPart &part, Level &level);

    QHash<int, Levels> m_abstract;
    QHash<int, Levels> m_nums;
};
