#pragma once

#include <QColor>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>

#include <functional>
#include <optional>

class XmlPart;

// Run and paragraph properties as WordprocessingML states them (w:rPr,
// w:pPr): each one set or not, so that styles, numbering levels and direct
// formatting can be laid over one another in Word's order before they
// become Qt formats. Lengths are twips, sizes half-points.
struct DocxRunProps
{
    std::optional<bool> bold, italic, underline, strike, caps, smallCaps, hidden;
    std::optional<QString> font;
    std::optional<int> halfPoints;
    std::optional<QColor> color, background;
    std::optional<int> vertical;   // 0 baseline, 1 superscript, 2 subscript
    std::optional<QString> style;   // w:rStyle

    // Sets what `over` sets.
    void merge(const DocxRunProps &over);
    void applyTo(QTextCharFormat &format) const;
    // Reads the children of a w:rPr element.
    static DocxRunProps read(XmlPart &part);
};

struct DocxParaProps
{
    std::optional<Qt::Alignment> alignment;
    std::optional<int> left, right, firstLine;   // firstLine < 0: hanging
    std::optional<int> before, after;
    std::optional<int> line;   // w:spacing w:line with lineRule auto, 240 = single
    std::optional<bool> rightToLeft, pageBreakBefore;
    std::optional<int> numId, level;
    std::optional<QString> style;   // w:pStyle
    std::optional<QColor> background;

    void merge(const DocxParaProps &over);
    void applyTo(QTextBlockFormat &format) const;
    // Reads the children of a w:pPr element; the paragraph mark's run
    // properties (its w:rPr) go to *mark when given, and the w:sectPr that
    // ends a section there to `section`.
    static DocxParaProps read(XmlPart &part, DocxRunProps *mark = nullptr,
                              const std::function<void(XmlPart &)> &section = {});
};

namespace DocxValue {
// w:val of an on/off property: absent, "1", "true", "on" are on.
bool onOff(const XmlPart &part);
// A length attribute in twips, clamped to what a page can hold.
std::optional<int> twips(const XmlPart &part, QLatin1StringView name);
// "FF0000" as a colour; "auto" and nonsense as none.
std::optional<QColor> color(const QString &hex);
// A w:highlight name ("yellow") as a colour.
std::optional<QColor> highlight(const QString &name);
}
