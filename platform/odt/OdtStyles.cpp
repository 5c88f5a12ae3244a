#include "OdtStyles.h"

#include "RtfLimits.h"
#include "Twips.h"
#include "XmlPart.h"

#include <QRegularExpression>

#include <algorithm>

namespace {
constexpr int MaxChain = 32;
constexpr int MaxStyles = 16384;

QString attr(const XmlPart &part, const char *name)
{
    return part.attribute(QLatin1StringView(name));
}

std::optional<QColor> colour(const QString &text)
{
    if (text.startsWith(QLatin1Char('#')) && text.size() == 7)
        return QColor(text);
    return std::nullopt;
}

// "0.5pt solid #000000" (width, style, colour in any order).
DocumentAssembler::Border border(const QString &text)
{
    DocumentAssembler::Border b;
    if (text.isEmpty() || text == QLatin1String("none"))
        return b;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (const auto c = colour(word)) {
            b.color = *c;
        } else if (const auto w = OdtStyles::twips(word)) {
            b.width = qMax<qreal>(0.5, Twips::toPixels(*w));
        } else if (word == QLatin1String("double")) {
            b.style = QTextFrameFormat::BorderStyle_Double;
        } else if (word == QLatin1String("dotted")) {
            b.style = QTextFrameFormat::BorderStyle_Dotted;
        } else if (word == QLatin1String("dashed")) {
            b.style = QTextFrameFormat::BorderStyle_Dashed;
        } else if (word == QLatin1String("none") || word == QLatin1String("hidden")) {
            return b;
        }
    }
    b.line = true;
    return b;
}

QTextListFormat::Style numberStyle(const QString &format)
{
    if (format == QLatin1String("a"))
        return QTextListFormat::ListLowerAlpha;
    if (format == QLatin1String("A"))
        return QTextListFormat::ListUpperAlpha;
    if (format == QLatin1String("i"))
        return QTextListFormat::ListLowerRoman;
    if (format == QLatin1String("I"))
        return QTextListFormat::ListUpperRoman;
    return QTextListFormat::ListDecimal;
}

void readTextProperties(const XmlPart &part, DocxRunProps &p)
{
    const QString weight = attr(part, "font-weight");
    if (!weight.isEmpty())
        p.bold = weight == QLatin1String("bold") || weight.toInt() >= 600;
    const QString style = attr(part, "font-style");
    if (!style.isEmpty())
        p.italic = style == QLatin1String("italic") || style == QLatin1String("oblique");
    const QString underline = attr(part, "text-underline-style");
    if (!underline.isEmpty())
        p.underline = underline != QLatin1String("none");
    const QString strike = attr(part, "text-line-through-style");
    if (!strike.isEmpty())
        p.strike = strike != QLatin1String("none");
    QString font = attr(part, "font-name");
    if (font.isEmpty())
        font = attr(part, "font-family");
    font.remove(QLatin1Char('\''));
    if (!font.isEmpty())
        p.font = font.left(128);
    const QString size = attr(part, "font-size");
    if (size.endsWith(QLatin1String("pt"))) {
        bool ok = false;
        const double points = QStringView(size).chopped(2).toDouble(&ok);
        if (ok)
            p.halfPoints = qBound(2, qRound(points * 2), RtfLimits::MaxHalfPoints);
    }
    if (const auto c = colour(attr(part, "color")))
        p.color = *c;
    if (const auto c = colour(attr(part, "background-color")))
        p.background = *c;
    const QString position = attr(part, "text-position");
    if (position.startsWith(QLatin1String("super")))
        p.vertical = 1;
    else if (position.startsWith(QLatin1String("sub")) || position.startsWith(QLatin1Char('-')))
        p.vertical = 2;
    else if (position.startsWith(QLatin1Char('0')))
        p.vertical = 0;
    if (attr(part, "font-variant") == QLatin1String("small-caps"))
        p.smallCaps = true;
    if (attr(part, "text-transform") == QLatin1String("uppercase"))
        p.caps = true;
}

void readParagraphProperties(const XmlPart &part, DocxParaProps &p)
{
    const QString align = attr(part, "text-align");
    if (align == QLatin1String("center"))
        p.alignment = Qt::AlignHCenter;
    else if (align == QLatin1String("end") || align == QLatin1String("right"))
        p.alignment = Qt::AlignRight | Qt::AlignAbsolute;
    else if (align == QLatin1String("justify"))
        p.alignment = Qt::AlignJustify;
    else if (!align.isEmpty())
        p.alignment = Qt::AlignLeft | Qt::AlignAbsolute;
    if (const auto v = OdtStyles::twips(attr(part, "margin-left")))
        p.left = *v;
    if (const auto v = OdtStyles::twips(attr(part, "margin-right")))
        p.right = *v;
    if (const auto v = OdtStyles::twips(attr(part, "text-indent")))
        p.firstLine = *v;
    if (const auto v = OdtStyles::twips(attr(part, "margin-top")))
        p.before = qMax(0, *v);
    if (const auto v = OdtStyles::twips(attr(part, "margin-bottom")))
        p.after = qMax(0, *v);
    const QString line = attr(part, "line-height");
    if (line.endsWith(QLatin1Char('%')))
        p.line = qBound(50, QStringView(line).chopped(1).toInt(), 500) * 240 / 100;
    const QString mode = attr(part, "writing-mode");
    if (mode.startsWith(QLatin1String("rl")))
        p.rightToLeft = true;
    else if (mode.startsWith(QLatin1String("lr")))
        p.rightToLeft = false;
    if (attr(part, "break-before") == QLatin1String("page"))
        p.pageBreakBefore = true;
    if (const auto c = colour(attr(part, "background-color")))
        p.background = *c;
}
}

std::optional<int> OdtStyles::twips(const QString &length)
{
    static const QRegularExpression re(QStringLiteral("^(-?[0-9]*\\.?[0-9]+)(cm|mm|in|inch|pt|pc|px)$"));
    const QRegularExpressionMatch m = re.match(length.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    const double value = m.captured(1).toDouble();
    const QString unit = m.captured(2);
    const double perUnit = unit == QLatin1String("cm") ? 1440 / 2.54
        : unit == QLatin1String("mm") ? 144 / 2.54
        : unit == QLatin1String("pt") ? 20
        : unit == QLatin1String("pc") ? 240
        : unit == QLatin1String("px") ? 15
                                      : 1440;
    return qRound(qBound<double>(-RtfLimits::MaxTwips, value * perUnit, RtfLimits::MaxTwips));
}

void OdtStyles::read(XmlPart &part)
{
    while (part.nextChild()) {
        if (part.is(QLatin1StringView("style")) && m_styles.size() < MaxStyles) {
            readStyle(part, false);
        } else if (part.is(QLatin1StringView("default-style"))) {
            readStyle(part, true);
        } else if (part.is(QLatin1StringView("list-style")) && m_lists.size() < MaxStyles) {
            readListStyle(part);
        } else if (part.is(QLatin1StringView("page-layout"))) {
            readPageLayout(part);
        } else if (part.is(QLatin1StringView("master-page"))) {
            if (m_firstPageLayout.isEmpty())
                m_firstPageLayout = attr(part, "page-layout-name");
            const bool first = !std::exchange(m_masterRead, true);
            while (part.nextChild()) {
                static const char *const kept[] = {"header", "footer", "header-left", "footer-left",
                                                   "header-first", "footer-first"};
                const bool keep = first && std::any_of(std::begin(kept), std::end(kept), [&part](const char *name) {
                    return part.is(QLatin1StringView(name));
                });
                if (keep && m_master.size() < 6)
                    m_master.append(part.copy());
                else
                    part.skip();
            }
        } else {
            part.skip();
        }
    }
}

void OdtStyles::readStyle(XmlPart &part, bool isDefault)
{
    const QString name = attr(part, "name");
    const QString family = attr(part, "family");
    Style style;
    style.parent = attr(part, "parent-style-name");
    style.listStyle = attr(part, "list-style-name");
    CellLook cell;
    while (part.nextChild()) {
        if (part.is(QLatin1StringView("text-properties"))) {
            readTextProperties(part, style.run);
        } else if (part.is(QLatin1StringView("paragraph-properties"))) {
            readParagraphProperties(part, style.para);
        } else if (part.is(QLatin1StringView("table-cell-properties"))) {
            if (const auto c = colour(attr(part, "background-color")))
                cell.background = *c;
            const QString all = attr(part, "border");
            const char *sides[] = {"border-top", "border-left", "border-bottom", "border-right"};
            for (int i = 0; i < 4; ++i) {
                const QString one = attr(part, sides[i]);
                cell.borders[i] = border(one.isEmpty() ? all : one);
                cell.hasBorders = cell.hasBorders || cell.borders[i].line || !one.isEmpty() || !all.isEmpty();
            }
        } else if (part.is(QLatin1StringView("table-column-properties"))) {
            if (const auto w = twips(attr(part, "column-width")))
                m_columns.insert(name, qMax(0, *w));
        }
        part.skip();
    }
    if (isDefault) {
        if (family == QLatin1String("paragraph")) {
            m_defaults.para.merge(style.para);
            m_defaults.run.merge(style.run);
        }
        return;
    }
    if (family == QLatin1String("table-cell"))
        m_cells.insert(name, cell);
    else if (family == QLatin1String("paragraph") || family == QLatin1String("text"))
        m_styles.insert(name, style);
}

void OdtStyles::readListStyle(XmlPart &part)
{
    ListStyle list;
    for (int i = 0; i < 9; ++i) {
        list.levels[i].style = QTextListFormat::ListDisc;
        list.indents[i] = {720 * (i + 1), -360};
    }
    const QString name = attr(part, "name");
    while (part.nextChild()) {
        const bool number = part.is(QLatin1StringView("list-level-style-number"));
        const bool bullet = part.is(QLatin1StringView("list-level-style-bullet"));
        const int level = attr(part, "level").toInt() - 1;
        if ((!number && !bullet) || level < 0 || level > 8) {
            part.skip();
            continue;
        }
        DocumentAssembler::ListLevel &out = list.levels[level];
        if (number) {
            const QString format = attr(part, "num-format");
            out.none = format.isEmpty();
            out.style = numberStyle(format);
            const int shown = qBound(1, attr(part, "display-levels").toInt(), level + 1);
            QString text = attr(part, "num-prefix").left(32);
            for (int k = level + 1 - shown; k <= level; ++k)
                text += QStringLiteral("%%1").arg(k + 1) + (k < level ? QStringLiteral(".") : QString());
            out.text = text + attr(part, "num-suffix").left(32);
            bool ok = false;
            const int start = attr(part, "start-value").toInt(&ok);
            out.start = ok ? qBound(0, start, 32767) : 1;
        } else {
            const QString c = attr(part, "bullet-char");
            out.style = c == QStringLiteral("\u25E6") || c == QStringLiteral("\u25CB") || c == QLatin1String("o")
                          ? QTextListFormat::ListCircle
                      : c == QStringLiteral("\u25AA") || c == QStringLiteral("\u25A0") ? QTextListFormat::ListSquare
                                                                                     : QTextListFormat::ListDisc;
        }
        // The label's place: ODF 1.2 label alignment, else the older spacing.
        while (part.nextChild()) {
            if (part.is(QLatin1StringView("list-level-properties"))) {
                const auto before = twips(attr(part, "space-before"));
                const auto width = twips(attr(part, "min-label-width"));
                if (before || width)
                    list.indents[level] = {before.value_or(0) + width.value_or(0), -width.value_or(0)};
                while (part.nextChild()) {
                    if (part.is(QLatin1StringView("list-level-label-alignment"))) {
                        const auto left = twips(attr(part, "margin-left"));
                        const auto indent = twips(attr(part, "text-indent"));
                        if (left)
                            list.indents[level] = {*left, indent.value_or(0)};
                    }
                    part.skip();
                }
                continue;
            }
            part.skip();
        }
    }
    m_lists.insert(name, list);
}

void OdtStyles::readPageLayout(XmlPart &part)
{
    const QString name = attr(part, "name");
    QByteArray settings;
    while (part.nextChild()) {
        if (part.is(QLatin1StringView("page-layout-properties"))) {
            static const std::pair<const char *, const char *> words[] = {
                {"page-width", "\\paperw"}, {"page-height", "\\paperh"}, {"margin-left", "\\margl"},
                {"margin-right", "\\margr"}, {"margin-top", "\\margt"}, {"margin-bottom", "\\margb"}};
            for (const auto &[attribute, word] : words) {
                if (const auto v = twips(attr(part, attribute)); v && *v >= 0)
                    settings += word + QByteArray::number(*v);
            }
            if (attr(part, "print-orientation") == QLatin1String("landscape"))
                settings += "\\landscape";
        }
        part.skip();
    }
    m_pageLayouts.insert(name, settings);
}

QByteArray OdtStyles::pageSettings() const
{
    return m_pageLayouts.value(m_firstPageLayout);
}

OdtStyles::Style OdtStyles::resolved(const QString &name, int depth) const
{
    const auto it = m_styles.constFind(name);
    if (it == m_styles.cend())
        return {};
    if (depth >= MaxChain || it->parent == name)
        return *it;
    Style base = resolved(it->parent, depth + 1);
    base.para.merge(it->para);
    base.run.merge(it->run);
    if (!it->listStyle.isEmpty())
        base.listStyle = it->listStyle;
    return base;
}

DocxParaProps OdtStyles::paragraph(const QString &name) const
{
    DocxParaProps p = m_defaults.para;
    p.merge(resolved(name).para);
    return p;
}

DocxRunProps OdtStyles::paragraphText(const QString &name) const
{
    DocxRunProps r = m_defaults.run;
    r.merge(resolved(name).run);
    return r;
}

DocxRunProps OdtStyles::text(const QString &name) const
{
    return resolved(name).run;
}

QString OdtStyles::listStyleOf(const QString &paragraphStyle) const
{
    return resolved(paragraphStyle).listStyle;
}

const DocumentAssembler::ListLevel *OdtStyles::listLevel(const QString &listStyle, int level) const
{
    const auto it = m_lists.constFind(listStyle);
    if (it == m_lists.cend() || level < 0 || level > 8)
        return nullptr;
    return &it->levels[level];
}

std::pair<int, int> OdtStyles::listIndent(const QString &listStyle, int level) const
{
    const auto it = m_lists.constFind(listStyle);
    if (it == m_lists.cend() || level < 0 || level > 8)
        return {720 * (qBound(0, level, 8) + 1), -360};
    return it->indents[level];
}
