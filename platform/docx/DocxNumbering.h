#pragma once

#include "DocxProperties.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>

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
        bool restarts = false;   // the list's w:num sets its first number (w:startOverride)
        DocxParaProps para;
    };
    // The w:numId a numbering style (w:styleId) names, 0 if none.
    using StyleLists = std::function<int(const QString &styleId)>;

    // A definition that only names a numbering style (w:numStyleLink) takes
    // its levels from the list that style names.
    void read(const QByteArray &xml, QString *problem, const StyleLists &styleLists = {});
    // The level, or null when numId names no list (0 means "no list").
    const Level *level(int numId, int level) const;
    // Lists of one definition (w:abstractNum) count on from each other, as
    // Word numbers them: the definition's number, > 0; 0 for no list.
    int group(int numId) const { return m_groups.value(numId); }

private:
    using Levels = QList<Level>;   // nine of them
    struct Abstract
    {
        Levels levels;
        QString styleLink;   // w:numStyleLink
        bool defined = false;   // has a w:lvl of its own
    };
    static Abstract readAbstract(XmlPart &part);
    static void readLevel(XmlPart &part, Level &level);

    QHash<int, Abstract> m_abstract;
    QHash<int, Levels> m_nums;
    QHash<int, int> m_groups;
};
