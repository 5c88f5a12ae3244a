#include "DocxStyles.h"

#include "XmlPart.h"

namespace {
constexpr int MaxChain = 32;
constexpr int MaxStyles = 8192;
}

void DocxStyles::read(const QByteArray &xml, QString *problem)
{
    XmlPart part(xml);
    if (!part.nextChild())   // w:styles
        return;
    while (part.nextChild()) {
        if (part.is(QLatin1StringView("docDefaults"))) {
            while (part.nextChild()) {
                const bool runs = part.is(QLatin1StringView("rPrDefault"));
                const bool paras = part.is(QLatin1StringView("pPrDefault"));
                if (!runs && !paras) {
                    part.skip();
                    continue;
                }
                while (part.nextChild()) {
                    if (part.is(QLatin1StringView("rPr")) && runs)
                        m_runDefaults = DocxRunProps::read(part);
                    else if (part.is(QLatin1StringView("pPr")) && paras)
                        m_paraDefaults = DocxParaProps::read(part);
                    else
                        part.skip();
                }
            }
            continue;
        }
        if (!part.is(QLatin1StringView("style")) || m_styles.size() >= MaxStyles) {
            part.skip();
            continue;
        }
        Style style;
        const QString type = part.attribute(QLatin1StringView("type"));
        const QString id = part.attribute(QLatin1StringView("styleId"));
        style.paragraphType = type != QLatin1String("character");
        if (type == QLatin1String("paragraph") && DocxValue::onOff(part) && part.hasAttribute(QLatin1StringView("default"))
            && part.attribute(QLatin1StringView("default")) != QLatin1String("0"))
            m_defaultParagraph = id;
        while (part.nextChild()) {
            if (part.is(QLatin1StringView("basedOn"))) {
                style.basedOn = part.attribute(QLatin1StringView("val"));
            } else if (part.is(QLatin1StringView("name"))) {
                style.name = part.attribute(QLatin1StringView("val"));
            } else if (part.is(QLatin1StringView("pPr"))) {
                style.para = DocxParaProps::read(part);
                continue;
            } else if (part.is(QLatin1StringView("rPr"))) {
                style.run = DocxRunProps::read(part);
                continue;
            } else if (part.is(QLatin1StringView("tblPr"))) {
                style.hasTable = true;
                readTableLook(part, style.table);
                continue;
            } else if (part.is(QLatin1StringView("tblStylePr")) && style.conditional.size() < 16) {
                CellLook &look = style.conditional[part.attribute(QLatin1StringView("type"))];
                while (part.nextChild()) {
                    if (part.is(QLatin1StringView("pPr")))
                        look.para.merge(DocxParaProps::read(part));
                    else if (part.is(QLatin1StringView("rPr")))
                        look.run.merge(DocxRunProps::read(part));
                    else
                        part.skip();
                }
                continue;
            }
            part.skip();
        }
        // A style's own pStyle means nothing; its numbering stays.
        style.para.style.reset();
        style.run.style.reset();
        if (!id.isEmpty())
            m_styles.insert(id, style);
    }
    if (part.failed() && problem)
        *problem = QStringLiteral("its styles are damaged: %1").arg(part.errorText());
}

void DocxStyles::readTableLook(XmlPart &part, TableLook &look)
{
    while (part.nextChild()) {
        if (part.is(QLatin1StringView("tblBorders"))) {
            while (part.nextChild()) {
                const QString val = part.attribute(QLatin1StringView("val"));
                const bool line = !val.isEmpty() && val != QLatin1String("nil") && val != QLatin1String("none");
                const bool inside = part.is(QLatin1StringView("insideH")) || part.is(QLatin1StringView("insideV"));
                if (line) {
                    look.borderWidth = qBound(2, part.attribute(QLatin1StringView("sz")).toInt(), 96);
                    if (const auto c = DocxValue::color(part.attribute(QLatin1StringView("color"))))
                        look.borderColor = *c;
                    if (inside)
                        look.insideLines = true;
                }
                part.skip();
            }
            continue;
        }
        if (part.is(QLatin1StringView("tblCellMar"))) {
            while (part.nextChild()) {
                const auto w = DocxValue::twips(part, QLatin1StringView("w"));
                if (w && (part.is(QLatin1StringView("left")) || part.is(QLatin1StringView("start"))))
                    look.cellLeft = qMax(0, *w);
                else if (w && (part.is(QLatin1StringView("right")) || part.is(QLatin1StringView("end"))))
                    look.cellRight = qMax(0, *w);
                part.skip();
            }
            continue;
        }
        part.skip();
    }
}

DocxStyles::Style DocxStyles::resolved(const QString &id, int depth) const
{
    const auto it = m_styles.constFind(id);
    if (it == m_styles.cend())
        return {};
    if (depth >= MaxChain || it->basedOn.isEmpty() || it->basedOn == id)
        return *it;
    Style base = resolved(it->basedOn, depth + 1);
    base.para.merge(it->para);
    base.run.merge(it->run);
    if (it->hasTable) {
        base.table = it->table;
        base.hasTable = true;
    }
    for (auto c = it->conditional.cbegin(); c != it->conditional.cend(); ++c) {
        CellLook &look = base.conditional[c.key()];
        look.para.merge(c->para);
        look.run.merge(c->run);
    }
    base.name = it->name;
    base.paragraphType = it->paragraphType;
    return base;
}

bool DocxStyles::isDefaultParagraph(const QString &styleId) const
{
    return styleId.isEmpty() || styleId == m_defaultParagraph || !m_styles.contains(styleId);
}

DocxStyles::CellLook DocxStyles::cell(const QString &tableStyle, const QStringList &conditions) const
{
    const Style style = resolved(tableStyle);
    CellLook look{style.para, style.run};
    for (const QString &condition : conditions) {
        if (const auto c = style.conditional.constFind(condition); c != style.conditional.cend()) {
            look.para.merge(c->para);
            look.run.merge(c->run);
        }
    }
    look.para.style.reset();
    look.run.style.reset();
    return look;
}

// Word lets a table style override the default paragraph style, and any
// other paragraph style override the table style.
DocxParaProps DocxStyles::paragraph(const QString &styleId, const CellLook &cell) const
{
    if (isDefaultParagraph(styleId)) {
        DocxParaProps p = paragraph(styleId);
        p.merge(cell.para);
        return p;
    }
    DocxParaProps p = m_paraDefaults;
    p.merge(cell.para);
    p.merge(resolved(styleId).para);
    return p;
}

DocxRunProps DocxStyles::run(const QString &paragraphStyle, const QString &characterStyle, const CellLook &cell) const
{
    DocxRunProps r = m_runDefaults;
    if (isDefaultParagraph(paragraphStyle)) {
        r.merge(resolved(m_defaultParagraph).run);
        r.merge(cell.run);
    } else {
        r.merge(cell.run);
        r.merge(resolved(paragraphStyle).run);
    }
    if (!characterStyle.isEmpty())
        r.merge(resolved(characterStyle).run);
    return r;
}

DocxParaProps DocxStyles::paragraph(const QString &styleId) const
{
    if (const auto it = m_paraCache.constFind(styleId); it != m_paraCache.cend())
        return *it;
    DocxParaProps p = m_paraDefaults;
    p.merge(resolved(styleId.isEmpty() || !m_styles.contains(styleId) ? m_defaultParagraph : styleId).para);
    m_paraCache.insert(styleId, p);
    return p;
}

DocxRunProps DocxStyles::run(const QString &paragraphStyle, const QString &characterStyle) const
{
    const QString key = paragraphStyle + QLatin1Char('\n') + characterStyle;
    if (const auto it = m_runCache.constFind(key); it != m_runCache.cend())
        return *it;
    DocxRunProps r = m_runDefaults;
    r.merge(resolved(paragraphStyle.isEmpty() || !m_styles.contains(paragraphStyle) ? m_defaultParagraph
                                                                                     : paragraphStyle).run);
    if (!characterStyle.isEmpty())
        r.merge(resolved(characterStyle).run);
    m_runCache.insert(key, r);
    return r;
}

DocxStyles::TableLook DocxStyles::table(const QString &styleId) const
{
    return resolved(styleId).table;
}
