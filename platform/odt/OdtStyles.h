#pragma once

#include "DocumentAssembler.h"
#include "DocxProperties.h"

#include <QHash>
#include <QList>
#include <QString>

class XmlPart;

// The styles of an OpenDocument text (styles.xml and the automatic styles
// of content.xml): paragraph and text styles resolved through their parents
// to the properties they give, table cell and column styles, list styles
// with their levels, and the first page's size and margins.
class OdtStyles
{
public:
    struct CellLook
    {
        QColor background;
        DocumentAssembler::Border borders[4];   // top, left, bottom, right
        bool hasBorders = false;
    };

    // Reads the style elements under the current element of the part
    // (office:styles, office:automatic-styles, office:master-styles).
    void read(XmlPart &part);

    DocxParaProps paragraph(const QString &name) const;
    // The run properties a paragraph style gives its text, defaults included.
    DocxRunProps paragraphText(const QString &name) const;
    // What a text (span) style itself sets.
    DocxRunProps text(const QString &name) const;
    QString listStyleOf(const QString &paragraphStyle) const;
    CellLook cell(const QString &name) const { return m_cells.value(name); }
    int columnWidth(const QString &name) const { return m_columns.value(name, 0); }
    // The level (0-8) of a list style, or null.
    const DocumentAssembler::ListLevel *listLevel(const QString &listStyle, int level) const;
    // Indent of a list level, twips (left margin, first line).
    std::pair<int, int> listIndent(const QString &listStyle, int level) const;
    // "\paperw..\margl.." of the first master page, or empty.
    QByteArray pageSettings() const;
    // The first master page's headers and footers, as read (XmlPart::copy).
    QList<QByteArray> masterParts() const { return m_master; }

    // "2.5cm", "0.5in", "12pt" as twips; nullopt when it is not a length.
    static std::optional<int> twips(const QString &length);

private:
    struct Style
    {
        QString parent, listStyle;
        DocxParaProps para;
        DocxRunProps run;
    };
    struct ListStyle
    {
        DocumentAssembler::ListLevel levels[9];
        std::pair<int, int> indents[9];
    };
    void readStyle(XmlPart &part, bool isDefault);
    void readListStyle(XmlPart &part);
    void readPageLayout(XmlPart &part);
    Style resolved(const QString &name, int depth = 0) const;

    QHash<QString, Style> m_styles;   // paragraph and text styles share one name space here
    Style m_defaults;
    QHash<QString, CellLook> m_cells;
    QHash<QString, int> m_columns;
    QHash<QString, ListStyle> m_lists;
    QHash<QString, QByteArray> m_pageLayouts;
    QString m_firstPageLayout;
    QList<QByteArray> m_master;
    bool m_masterRead = false;
};
