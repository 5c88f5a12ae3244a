#pragma once

#include "DocxProperties.h"

#include <QHash>
#include <QString>

class XmlPart;

// A document's style sheet (word/styles.xml): the defaults and every style
// by its id, each resolved through its w:basedOn chain to the properties it
// gives, so a paragraph can be shown with direct formats only.
class DocxStyles
{
public:
    // Table borders and cell margins a table style gives (twips, -1 unset).
    struct TableLook
    {
        int borderWidth = -1;   // eighths of a point, as w:sz says
        QColor borderColor;
        bool insideLines = false;
        int cellLeft = -1, cellRight = -1;
    };

    // What a table style gives the paragraphs of one cell: the whole
    // table's properties, then those of each condition the cell meets.
    struct CellLook
    {
        DocxParaProps para;
        DocxRunProps run;
    };

    void read(const QByteArray &xml, QString *problem);

    // Defaults, then the paragraph style (or the default one) and its chain.
    DocxParaProps paragraph(const QString &styleId) const;
    // Defaults, the paragraph style's run properties, then the character style's.
    DocxRunProps run(const QString &paragraphStyle, const QString &characterStyle) const;
    TableLook table(const QString &styleId) const;
    // A table style's look for a cell meeting `conditions` ("firstRow",
    // "firstCol", "band1Horz"...), in the order they override each other.
    CellLook cell(const QString &tableStyle, const QStringList &conditions) const;
    // As paragraph() and run(), with a table cell's look laid under the
    // paragraph's style, or over the default one, as Word shows it.
    DocxParaProps paragraph(const QString &styleId, const CellLook &cell) const;
    DocxRunProps run(const QString &paragraphStyle, const QString &characterStyle, const CellLook &cell) const;
    // The style's name ("heading 1"), for the writer to keep.
    QString name(const QString &styleId) const { return m_styles.value(styleId).name; }
    // The list a numbering style names (its own w:numId), 0 if none.
    int numbering(const QString &styleId) const { return m_styles.value(styleId).para.numId.value_or(0); }

private:
    struct Style
    {
        QString basedOn, name;
        bool paragraphType = true;
        DocxParaProps para;
        DocxRunProps run;
        TableLook table;
        bool hasTable = false;
        QHash<QString, CellLook> conditional;   // by w:tblStylePr's type
    };
    bool isDefaultParagraph(const QString &styleId) const;
    // The style with its chain laid under it; cycles end the chain.
    Style resolved(const QString &id, int depth = 0) const;
    static void readTableLook(XmlPart &part, TableLook &look);

    QHash<QString, Style> m_styles;
    // Resolved once per style, not once per paragraph.
    mutable QHash<QString, DocxParaProps> m_paraCache;
    mutable QHash<QString, DocxRunProps> m_runCache;
    QString m_defaultParagraph;
    DocxParaProps m_paraDefaults;
    DocxRunProps m_runDefaults;
};
