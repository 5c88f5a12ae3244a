#include "DocxProperties.h"

#include "RtfLimits.h"
#include "Twips.h"
#include "XmlPart.h"

namespace {
template<typename T>
void take(std::optional<T> &mine, const std::optional<T> &theirs)
{
    if (theirs)
        mine = theirs;
}

std::optional<int> number(const QString &text, int low, int high)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok) {
        // Sizes such as "12pt" or "1.5in" are allowed in later editions;
        // their leading number is what matters most.
        const double d = QStringView(text).toDouble(&ok);
        if (!ok)
            return std::nullopt;
        return int(qBound<double>(low, d, high));
    }
    return int(qBound(qint64(low), value, qint64(high)));
}
}

namespace DocxValue {

bool onOff(const XmlPart &part)
{
    if (!part.hasAttribute(QLatin1StringView("val")))
        return true;
    const QString v = part.attribute(QLatin1StringView("val"));
    return !(v == QLatin1String("0") || v == QLatin1String("false") || v == QLatin1String("off")
             || v == QLatin1String("none"));
}

std::optional<int> twips(const XmlPart &part, QLatin1StringView name)
{
    if (!part.hasAttribute(name))
        return std::nullopt;
    return number(part.attribute(name), -RtfLimits::MaxTwips, RtfLimits::MaxTwips);
}

std::optional<QColor> color(const QString &hex)
{
    if (hex.size() != 6)
        return std::nullopt;
    bool ok = false;
    const uint rgb = hex.toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return QColor::fromRgb(QRgb(rgb));
}

std::optional<QColor> highlight(const QString &name)
{
    static const struct { const char *name; QRgb rgb; } colours[] = {
        {"yellow", 0xFFFF00}, {"green", 0x00FF00}, {"cyan", 0x00FFFF}, {"magenta", 0xFF00FF},
        {"blue", 0x0000FF}, {"red", 0xFF0000}, {"darkBlue", 0x000080}, {"darkCyan", 0x008080},
        {"darkGreen", 0x008000}, {"darkMagenta", 0x800080}, {"darkRed", 0x800000},
        {"darkYellow", 0x808000}, {"darkGray", 0x808080}, {"lightGray", 0xC0C0C0}, {"black", 0x000000},
        {"white", 0xFFFFFF},
    };
    for (const auto &c : colours) {
        if (name == QLatin1String(c.name))
            return QColor::fromRgb(c.rgb);
    }
    return std::nullopt;
}

}

void DocxRunProps::merge(const DocxRunProps &o)
{
    take(bold, o.bold);
    take(italic, o.italic);
    take(underline, o.underline);
    take(strike, o.strike);
    take(caps, o.caps);
    take(smallCaps, o.smallCaps);
    take(hidden, o.hidden);
    take(font, o.font);
    take(halfPoints, o.halfPoints);
    take(color, o.color);
    take(background, o.background);
    take(vertical, o.vertical);
    take(style, o.style);
}

void DocxRunProps::applyTo(QTextCharFormat &f) const
{
    if (font && !font->isEmpty())
        f.setFontFamilies({*font});
    if (halfPoints)
        f.setFontPointSize(*halfPoints / 2.0);
    if (bold)
        f.setFontWeight(*bold ? QFont::Bold : QFont::Normal);
    if (italic)
        f.setFontItalic(*italic);
    if (underline)
        f.setFontUnderline(*underline);
    if (strike)
        f.setFontStrikeOut(*strike);
    if (color)
        f.setForeground(*color);
    if (background)
        f.setBackground(*background);
    if (vertical) {
        f.setVerticalAlignment(*vertical == 1   ? QTextCharFormat::AlignSuperScript
                               : *vertical == 2 ? QTextCharFormat::AlignSubScript
                                                : QTextCharFormat::AlignNormal);
    }
    if (caps && *caps)
        f.setFontCapitalization(QFont::AllUppercase);
    else if (smallCaps && *smallCaps)
        f.setFontCapitalization(QFont::SmallCaps);
}

DocxRunProps DocxRunProps::read(XmlPart &part)
{
    DocxRunProps p;
    while (part.nextChild()) {
        const QString val = part.attribute(QLatin1StringView("val"));
        if (part.is(QLatin1StringView("b")))
            p.bold = DocxValue::onOff(part);
        else if (part.is(QLatin1StringView("i")))
            p.italic = DocxValue::onOff(part);
        else if (part.is(QLatin1StringView("u")))
            p.underline = !val.isEmpty() && val != QLatin1String("none");
        else if (part.is(QLatin1StringView("strike")) || part.is(QLatin1StringView("dstrike")))
            p.strike = DocxValue::onOff(part);
        else if (part.is(QLatin1StringView("caps")))
            p.caps = DocxValue::onOff(part);
        else if (part.is(QLatin1StringView("smallCaps")))
            p.smallCaps = DocxValue::onOff(part);
        else if (part.is(QLatin1StringView("vanish")))
            p.hidden = DocxValue::onOff(part);
        else if (part.is(QLatin1StringView("rFonts"))) {
            QString name = part.attribute(QLatin1StringView("ascii"));
            if (name.isEmpty())
                name = part.attribute(QLatin1StringView("hAnsi"));
            if (name.isEmpty())
                name = part.attribute(QLatin1StringView("eastAsia"));
            if (name.isEmpty())
                name = part.attribute(QLatin1StringView("cs"));
            if (!name.isEmpty())
                p.font = name.left(128);
        } else if (part.is(QLatin1StringView("sz"))) {
            if (const auto n = number(val, 2, RtfLimits::MaxHalfPoints))
                p.halfPoints = *n;
        } else if (part.is(QLatin1StringView("color"))) {
            if (val == QLatin1String("auto"))
                p.color = QColor();   // the default colour, not none
            else if (const auto c = DocxValue::color(val))
                p.color = *c;
        } else if (part.is(QLatin1StringView("highlight"))) {
            if (const auto c = DocxValue::highlight(val))
                p.background = *c;
        } else if (part.is(QLatin1StringView("shd"))) {
            if (!p.background) {
                if (const auto c = DocxValue::color(part.attribute(QLatin1StringView("fill"))))
                    p.background = *c;
            }
        } else if (part.is(QLatin1StringView("vertAlign"))) {
            p.vertical = val == QLatin1String("superscript") ? 1 : val == QLatin1String("subscript") ? 2 : 0;
        } else if (part.is(QLatin1StringView("rStyle"))) {
            p.style = val;
        }
        part.skip();
    }
    // An automatic colour is Qt's default brush.
    if (p.color && !p.color->isValid())
        p.color.reset();
    return p;
}

void DocxParaProps::merge(const DocxParaProps &o)
{
    take(alignment, o.alignment);
    take(left, o.left);
    take(right, o.right);
    take(firstLine, o.firstLine);
    take(before, o.before);
    take(after, o.after);
    take(line, o.line);
    take(rightToLeft, o.rightToLeft);
    take(pageBreakBefore, o.pageBreakBefore);
    take(numId, o.numId);
    take(level, o.level);
    take(style, o.style);
    take(background, o.background);
}

void DocxParaProps::applyTo(QTextBlockFormat &f) const
{
    // A side named absolutely only differs from start and end in a
    // right-to-left paragraph; elsewhere it is the plain alignment.
    if (alignment) {
        Qt::Alignment a = *alignment;
        if (!rightToLeft || !*rightToLeft)
            a.setFlag(Qt::AlignAbsolute, false);
        f.setAlignment(a);
    }
    if (rightToLeft && *rightToLeft)
        f.setLayoutDirection(Qt::RightToLeft);
    if (left && *left)
        f.setLeftMargin(Twips::toPixels(*left));
    if (right && *right)
        f.setRightMargin(Twips::toPixels(*right));
    if (firstLine && *firstLine)
        f.setTextIndent(Twips::toPixels(*firstLine));
    if (before && *before)
        f.setTopMargin(Twips::toPixels(*before));
    if (after && *after)
        f.setBottomMargin(Twips::toPixels(*after));
    if (line && *line != 240)
        f.setLineHeight(qBound(50, *line * 100 / 240, 500), QTextBlockFormat::ProportionalHeight);
    if (pageBreakBefore && *pageBreakBefore)
        f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    if (background)
        f.setBackground(*background);
}

DocxParaProps DocxParaProps::read(XmlPart &part, DocxRunProps *mark, const std::function<void(XmlPart &)> &section)
{
    DocxParaProps p;
    while (part.nextChild()) {
        const QString val = part.attribute(QLatin1StringView("val"));
        if (part.is(QLatin1StringView("jc"))) {
            if (val == QLatin1String("center"))
                p.alignment = Qt::AlignHCenter;
            else if (val == QLatin1String("right") || val == QLatin1String("end"))
                p.alignment = Qt::AlignRight;
            else if (val == QLatin1String("both") || val == QLatin1String("distribute"))
                p.alignment = Qt::AlignJustify;
            else
                p.alignment = Qt::AlignLeft;
        } else if (part.is(QLatin1StringView("ind"))) {
            const auto start = DocxValue::twips(part, QLatin1StringView("start"));
            const auto left = DocxValue::twips(part, QLatin1StringView("left"));
            const auto end = DocxValue::twips(part, QLatin1StringView("end"));
            const auto right = DocxValue::twips(part, QLatin1StringView("right"));
            if (left || start)
                p.left = left ? left : start;
            if (right || end)
                p.right = right ? right : end;
            if (const auto hanging = DocxValue::twips(part, QLatin1StringView("hanging")))
                p.firstLine = -*hanging;
            else if (const auto first = DocxValue::twips(part, QLatin1StringView("firstLine")))
                p.firstLine = first;
        } else if (part.is(QLatin1StringView("spacing"))) {
            if (const auto b = DocxValue::twips(part, QLatin1StringView("before")))
                p.before = qMax(0, *b);
            if (const auto a = DocxValue::twips(part, QLatin1StringView("after")))
                p.after = qMax(0, *a);
            const QString rule = part.attribute(QLatin1StringView("lineRule"));
            if (const auto l = DocxValue::twips(part, QLatin1StringView("line"));
                l && (rule.isEmpty() || rule == QLatin1String("auto")) && *l > 0)
                p.line = *l;
        } else if (part.is(QLatin1StringView("bidi"))) {
            p.rightToLeft = DocxValue::onOff(part);
        } else if (part.is(QLatin1StringView("pageBreakBefore"))) {
            p.pageBreakBefore = DocxValue::onOff(part);
        } else if (part.is(QLatin1StringView("pStyle"))) {
            p.style = val;
        } else if (part.is(QLatin1StringView("shd"))) {
            if (const auto c = DocxValue::color(part.attribute(QLatin1StringView("fill"))))
                p.background = *c;
        } else if (part.is(QLatin1StringView("numPr"))) {
            while (part.nextChild()) {
                bool ok = false;
                const int n = part.attribute(QLatin1StringView("val")).toInt(&ok);
                if (ok && part.is(QLatin1StringView("ilvl")))
                    p.level = qBound(0, n, 8);
                else if (ok && part.is(QLatin1StringView("numId")))
                    p.numId = qMax(0, n);
                part.skip();
            }
            continue;
        } else if (part.is(QLatin1StringView("rPr")) && mark) {
            *mark = DocxRunProps::read(part);
            continue;
        } else if (part.is(QLatin1StringView("sectPr")) && section) {
            section(part);
            continue;
        }
        part.skip();
    }
    return p;
}
