#include "DocxBuilder.h"

#include "DocxNumbering.h"
#include "DocxStyles.h"
#include "ListLabel.h"
#include "RtfFields.h"
#include "RtfLimits.h"
#include "RtfProperties.h"
#include "Twips.h"
#include "XmlPart.h"

#include <QTextDocument>
#include <QTextFrame>
#include <QUrl>

namespace {

constexpr qint64 EmuPerTwip = 635;
// Containers of runs (links, fields, content controls, revisions) nested
// deeper than this are read as their text only.
constexpr int MaxInlineNesting = 32;

bool is(const XmlPart &part, const char *name)
{
    return part.is(QLatin1StringView(name));
}

QString val(const XmlPart &part)
{
    return part.attribute(QLatin1StringView("val"));
}

QTextListFormat::Style listStyle(const QString &format, const QString &text)
{
    if (format == QLatin1String("bullet")) {
        if (text == QLatin1String("o"))
            return QTextListFormat::ListCircle;
        if (text == QStringLiteral("\uF0A7") || text == QStringLiteral("\u25AA") || text == QStringLiteral("\u25A0"))
            return QTextListFormat::ListSquare;
        return QTextListFormat::ListDisc;
    }
    if (format == QLatin1String("lowerLetter"))
        return QTextListFormat::ListLowerAlpha;
    if (format == QLatin1String("upperLetter"))
        return QTextListFormat::ListUpperAlpha;
    if (format == QLatin1String("lowerRoman"))
        return QTextListFormat::ListLowerRoman;
    if (format == QLatin1String("upperRoman"))
        return QTextListFormat::ListUpperRoman;
    return QTextListFormat::ListDecimal;
}
}

DocxBuilder::DocxBuilder(QTextDocument &document, const DocxStyles &styles, const DocxNumbering &numbering,
                         const QHash<QString, Relation> &relations, PartLoader loadPart)
    : m_document(document)
    , m_styles(styles)
    , m_numbering(numbering)
    , m_relations(relations)
    , m_loadPart(std::move(loadPart))
    , m_assembler(document, [this](int numId, int level) -> const DocumentAssembler::ListLevel * {
        const auto key = std::make_pair(numId, level);
        if (const auto it = m_levels.constFind(key); it != m_levels.cend())
            return &*it;
        const DocxNumbering::Level *def = m_numbering.level(numId, level);
        if (!def)
            return nullptr;
        DocumentAssembler::ListLevel out;
        out.style = listStyle(def->format, def->text);
        out.text = def->text;
        out.start = def->start;
        out.none = def->format == QLatin1String("none");
        if (ListLabel::knows(def->format))
            out.numbering = def->format;
        return &*m_levels.insert(key, out);
    })
{
}

DocxBuilder::~DocxBuilder() = default;

void DocxBuilder::problem(const QString &text, bool lost)
{
    if (lost)
        m_incomplete = true;
    if (!m_problems.contains(text) && m_problems.size() < RtfLimits::MaxReportedErrors)
        m_problems.append(text);
}

void DocxBuilder::read(XmlPart &part)
{
    while (part.nextChild()) {
        if (!is(part, "body")) {
            part.skip();
            continue;
        }
        QList<Item> items;
        readBlocks(part, items, 0, 0);
        m_assembler.emitItems(items);
    }
}

// Paragraphs and tables, emitted as they end when at the top level.
void DocxBuilder::readBlocks(XmlPart &part, QList<Item> &out, int tableDepth, int nesting)
{
    while (part.nextChild()) {
        readBlock(part, out, tableDepth, nesting);
        // At the top, what has ended is built now, not held to the end.
        if (tableDepth == 0 && nesting == 0 && !out.isEmpty()) {
            m_assembler.emitItems(out);
            out.clear();
        }
    }
}

void DocxBuilder::readBlock(XmlPart &part, QList<Item> &out, int tableDepth, int nesting)
{
    if (is(part, "p")) {
        readParagraph(part, out);
    } else if (is(part, "tbl")) {
        if (tableDepth >= RtfLimits::MaxTableDepth) {
            // Deeper tables join the deepest one as their paragraphs.
            problem(QStringLiteral("tables are nested more than %1 deep").arg(RtfLimits::MaxTableDepth), false);
            readBlocks(part, out, tableDepth, nesting + 1);
            return;
        }
        Item item;
        item.table = readTable(part, tableDepth + 1);
        if (item.table && !item.table->rows.isEmpty())
            out.append(item);
    } else if ((is(part, "sdt") || is(part, "sdtContent") || is(part, "customXml") || is(part, "ins")
                || is(part, "moveTo") || is(part, "tr") || is(part, "tc"))
               && nesting < MaxInlineNesting) {
        // Content controls and revisions hold blocks; rows and cells out of
        // a table are read as their paragraphs.
        readBlocks(part, out, tableDepth, nesting + 1);
    } else if (is(part, "sectPr")) {
        readSection(part);
    } else {
        part.skip();
    }
}

void DocxBuilder::readParagraph(XmlPart &part, QList<Item> &out)
{
    m_para = Para();
    m_paraStyle.clear();
    m_out = &out;
    DocxParaProps direct;
    DocxRunProps mark;
    bool propsDone = false;
    const auto startProps = [&] {
        if (propsDone)
            return;
        propsDone = true;
        m_paraStyle = direct.style.value_or(QString());
        DocxParaProps props = m_cellLook ? m_styles.paragraph(m_paraStyle, *m_cellLook) : m_styles.paragraph(m_paraStyle);
        const int numId = direct.numId.value_or(props.numId.value_or(0));
        const int level = direct.level.value_or(props.level.value_or(0));
        if (const DocxNumbering::Level *def = m_numbering.level(numId, level)) {
            props.merge(def->para);
            m_para.listId = numId;
            m_para.level = level;
            m_para.listGroup = m_numbering.group(numId);
            // A list that sets its first number starts there where it is
            // first used, then counts on.
            if (def->restarts && !m_restarted.contains({numId, level})) {
                m_restarted.insert({numId, level});
                m_para.startAt = def->start;
            }
        }
        props.merge(direct);
        props.applyTo(m_para.block);
        if (m_pageBreakNext) {
            m_para.block.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            m_pageBreakNext = false;
        }
        if (!m_para.block.hasProperty(QTextFormat::BlockAlignment))
            m_para.block.setAlignment(Qt::AlignLeft);
        m_para.mark = runFormat(mark, Context());
    };
    while (part.nextChild()) {
        if (is(part, "pPr")) {
            direct = DocxParaProps::read(part, &mark, [this](XmlPart &section) { readSection(section); });
            startProps();
            continue;
        }
        startProps();
        // The runs' own elements, read in a context of no link or field.
        if (is(part, "r")) {
            readRun(part, m_fieldState == 2 ? m_fieldContext : Context());
        } else {
            // Links, fields, content controls and revisions hold runs.
            readInline(part, m_fieldState == 2 ? m_fieldContext : Context(), 0);
        }
    }
    startProps();
    Item item;
    item.para = std::move(m_para);
    m_para = Para();
    out.append(std::move(item));
    m_out = nullptr;
    m_any = true;
}

// An element among a paragraph's runs (the part stands on it).
void DocxBuilder::readInline(XmlPart &part, const Context &context, int nesting)
{
    if (is(part, "r")) {
        readRun(part, context);
        return;
    }
    if (nesting >= MaxInlineNesting) {
        part.text();
        return;
    }
    Context inner = context;
    if (is(part, "hyperlink")) {
        const QString id = part.attribute(QLatin1StringView("id"));
        const QString anchor = part.attribute(QLatin1StringView("anchor"));
        const Relation relation = m_relations.value(id);
        if (!relation.target.isEmpty())
            inner.href = relation.target;
        if (!anchor.isEmpty())
            inner.href += QLatin1Char('#') + anchor;
        if (!inner.href.isEmpty()) {
            inner.instruction = QStringLiteral("HYPERLINK \"%1\"").arg(inner.href);
            inner.field = m_fields++;
        }
    } else if (is(part, "fldSimple")) {
        inner.instruction = part.attribute(QLatin1StringView("instr")).trimmed().left(RtfLimits::MaxFieldInstruction);
        inner.field = m_fields++;
        const QString target = RtfFields::hyperlinkTarget(inner.instruction);
        inner.href = target;
    } else if (is(part, "del") || is(part, "moveFrom")) {
        readDeletion(part, context);
        return;
    } else if (is(part, "proofErr") || is(part, "bookmarkStart")
               || is(part, "bookmarkEnd") || is(part, "commentRangeStart") || is(part, "commentRangeEnd")
               || is(part, "pPr") || is(part, "Fallback") || is(part, "rPr")) {
        // A fallback repeats the choice.
        part.skip();
        return;
    } else if (is(part, "AlternateContent")) {
        bool chosen = false;
        while (part.nextChild()) {
            if (is(part, "Choice") && !chosen) {
                chosen = true;
                while (part.nextChild())
                    readInline(part, inner, nesting + 1);
            } else {
                part.skip();
            }
        }
        return;
    } else if (!(is(part, "ins") || is(part, "smartTag") || is(part, "sdt") || is(part, "sdtContent")
                 || is(part, "customXml") || is(part, "moveTo") || is(part, "bdo") || is(part, "dir")
                 || is(part, "Choice"))) {
        part.skip();
        return;
    }
    while (part.nextChild()) {
        if (is(part, "sdtPr") || is(part, "sdtEndPr") || is(part, "smartTagPr") || is(part, "customXmlPr"))
            part.skip();
        else
            readInline(part, inner, nesting + 1);
    }
}

QTextCharFormat DocxBuilder::runFormat(const DocxRunProps &direct, const Context &context) const
{
    const QString characterStyle = direct.style.value_or(QString());
    DocxRunProps props = m_cellLook ? m_styles.run(m_paraStyle, characterStyle, *m_cellLook)
                                    : m_styles.run(m_paraStyle, characterStyle);
    props.merge(direct);
    QTextCharFormat format;
    props.applyTo(format);
    if (!format.hasProperty(QTextFormat::FontWeight))
        format.setFontWeight(QFont::Normal);
    if (context.field >= 0) {
        format.setProperty(RtfProperties::FieldInstruction, context.instruction);
        format.setProperty(RtfProperties::FieldNumber, context.field);
    }
    if (!context.href.isEmpty()) {
        format.setAnchor(true);
        format.setAnchorHref(context.href);
    }
    return format;
}

void DocxBuilder::addText(const QString &text, const QTextCharFormat &format)
{
    if (text.isEmpty())
        return;
    if (!m_para.runs.isEmpty() && !m_para.runs.last().image && m_para.runs.last().format == format)
        m_para.runs.last().text += text;
    else
        m_para.runs.append(Run{text, format, false});
}

void DocxBuilder::pageBreak()
{
    // Qt breaks pages between paragraphs only: the text after the break
    // becomes a paragraph of its own, starting the next page.
    if (!m_out)
        return;
    Para next;
    next.block = m_para.block;
    next.mark = m_para.mark;
    next.block.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    Item item;
    item.para = std::move(m_para);
    m_out->append(std::move(item));
    m_para = std::move(next);
}

void DocxBuilder::readRun(XmlPart &part, const Context &context)
{
    DocxRunProps direct;
    QTextCharFormat format = runFormat(direct, context);
    while (part.nextChild()) {
        if (is(part, "rPr")) {
            direct = DocxRunProps::read(part);
            format = runFormat(direct, context);
            continue;
        }
        if (is(part, "fldChar")) {
            const QString type = part.attribute(QLatin1StringView("fldCharType"));
            if (type == QLatin1String("begin")) {
                if (m_fieldDepth++ == 0) {
                    m_fieldState = 1;
                    m_instruction.clear();
                }
            } else if (type == QLatin1String("separate") && m_fieldDepth == 1) {
                m_fieldState = 2;
                m_fieldContext = Context();
                m_fieldContext.instruction = m_instruction.trimmed();
                m_fieldContext.field = m_fields++;
                m_fieldContext.href = RtfFields::hyperlinkTarget(m_fieldContext.instruction);
            } else if (type == QLatin1String("end") && m_fieldDepth > 0) {
                if (--m_fieldDepth == 0)
                    m_fieldState = 0;
            }
            part.skip();
            continue;
        }
        if (m_fieldState == 1) {
            // The field's instruction is not text of the document.
            if (is(part, "instrText") && m_fieldDepth == 1 && m_instruction.size() < RtfLimits::MaxFieldInstruction)
                m_instruction += part.text();
            else
                part.skip();
            continue;
        }
        if (is(part, "t") || is(part, "delText")) {
            if (is(part, "delText")) {
                part.skip();
                continue;
            }
            addText(part.text(), format);
        } else if (is(part, "tab") || is(part, "ptab")) {
            addText(QStringLiteral("\t"), format);
            part.skip();
        } else if (is(part, "br")) {
            const QString type = part.attribute(QLatin1StringView("type"));
            part.skip();
            if (type == QLatin1String("page"))
                pageBreak();
            else
                addText(QString(QChar::LineSeparator), format);
        } else if (is(part, "cr")) {
            addText(QString(QChar::LineSeparator), format);
            part.skip();
        } else if (is(part, "noBreakHyphen")) {
            addText(QStringLiteral("\u2011"), format);
            part.skip();
        } else if (is(part, "softHyphen")) {
            addText(QStringLiteral("\u00AD"), format);
            part.skip();
        } else if (is(part, "sym")) {
            bool ok = false;
            const uint code = part.attribute(QLatin1StringView("char")).toUInt(&ok, 16);
            const QString font = part.attribute(QLatin1StringView("font"));
            // The character is the font's own: a symbol font's private-use
            // code (F0xx) stays as it is, and the run takes the font, which
            // draws it as Word does.
            if (ok && code > 0 && code < 0xFFFF
                && (QChar::isPrint(code) || QChar::category(code) == QChar::Other_PrivateUse)) {
                QTextCharFormat f = format;
                if (!font.isEmpty())
                    f.setFontFamilies({font.left(128)});
                addText(QString(QChar(code)), f);
            }
            part.skip();
        } else if (is(part, "ruby")) {
            readRuby(part, context);
        } else if (is(part, "drawing") || is(part, "pict") || is(part, "object") || is(part, "AlternateContent")
                   || is(part, "footnoteReference") || is(part, "endnoteReference")
                   || is(part, "commentReference")) {
            readKeptElement(part, format);
        } else {
            part.skip();
        }
    }
}

// The first picture below the current element: its size (EMU) and the
// relation holding its bytes, or the one naming the file it links to
// (r:link); `more` is set if the element holds more than
// a picture (a text box, a shape, a chart, an embedded object).
void DocxBuilder::findPicture(XmlPart &part, qint64 &cx, qint64 &cy, QString &embed, QString &link, bool &more,
                              int depth)
{
    static const char *const rich[] = {"txbxContent", "textbox", "wsp", "wgp", "wpc", "chart", "OLEObject",
                                       "relIds", "oleObj", "control", "group", "rect", "oval", "line", "roundrect"};
    while (part.nextChild()) {
        for (const char *name : rich)
            more = more || is(part, name);
        if (is(part, "extent") && cx == 0) {
            cx = part.attribute(QLatin1StringView("cx")).toLongLong();
            cy = part.attribute(QLatin1StringView("cy")).toLongLong();
        } else if (is(part, "blip") && embed.isEmpty() && link.isEmpty()) {
            embed = part.attribute(QLatin1StringView("embed"));
            link = part.attribute(QLatin1StringView("link"));
        } else if (is(part, "imagedata") && embed.isEmpty()) {
            embed = part.attribute(QLatin1StringView("id"));
        } else if (is(part, "shape") && cx == 0) {
            // VML sizes its shape in its style: "width:120pt;height:80pt".
            const QString style = part.attribute(QLatin1StringView("style"));
            for (const QString &item : style.split(QLatin1Char(';'))) {
                const QString key = item.section(QLatin1Char(':'), 0, 0).trimmed();
                QString value = item.section(QLatin1Char(':'), 1).trimmed();
                if (!value.endsWith(QLatin1String("pt")))
                    continue;
                value.chop(2);
                const qint64 emu = qint64(value.toDouble() * 12700);
                if (key == QLatin1String("width"))
                    cx = emu;
                else if (key == QLatin1String("height"))
                    cy = emu;
            }
        }
        if (depth < 64)
            findPicture(part, cx, cy, embed, link, more, depth + 1);
        else
            part.skip();
    }
}

bool DocxBuilder::insertPicture(const QString &relation, const QString &link, qint64 cx, qint64 cy,
                                const QTextCharFormat &format)
{
    const int width = cx > 0 ? int(qMin<qint64>(cx / EmuPerTwip, RtfLimits::MaxPictureTwips)) : 0;
    const int height = cy > 0 ? int(qMin<qint64>(cy / EmuPerTwip, RtfLimits::MaxPictureTwips)) : 0;
    const Relation rel = m_relations.value(relation);
    if (!rel.target.isEmpty() && !rel.external) {
        QString why;
        const QByteArray bytes = m_loadPart(rel.target, &why);
        if (!bytes.isEmpty()) {
            QString shown;
            m_assembler.addPicture(bytes, width, height, format, m_para, &shown);
            if (!shown.isEmpty())
                problem(shown, false);
            return true;
        }
        if (link.isEmpty()) {
            problem(QStringLiteral("a picture could not be read: %1").arg(why), true);
            return false;
        }
    }
    // A picture kept outside the package is shown as a frame that keeps
    // the link; the file is never fetched.
    const Relation linked = m_relations.value(link.isEmpty() ? relation : link);
    if (linked.target.isEmpty() || !linked.external)
        return false;
    m_assembler.addLinkedPicture(linked.target, width, height, format, m_para);
    return true;
}

namespace {
QString roman(int n)
{
    static const std::pair<int, const char *> numerals[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"},
                                                            {100, "c"},  {90, "xc"},  {50, "l"},  {40, "xl"},
                                                            {10, "x"},   {9, "ix"},   {5, "v"},   {4, "iv"},
                                                            {1, "i"}};
    QString out;
    n = qBound(1, n, 3999);
    for (const auto &[value, letters] : numerals) {
        while (n >= value) {
            out += QLatin1String(letters);
            n -= value;
        }
    }
    return out;
}
}

// A run element Quillet does not show as it is: a note or comment
// reference, or a drawing, shape or object. It is kept as read on the
// characters shown for it (a note's number, a picture, else U+FFFC), so a
// Word save writes it back where it stood.
void DocxBuilder::readKeptElement(XmlPart &part, const QTextCharFormat &format)
{
    const bool footnote = is(part, "footnoteReference"), endnote = is(part, "endnoteReference");
    const bool reference = footnote || endnote || is(part, "commentReference");
    // A note marked by the text that follows, not by its number.
    const QString custom = part.attribute(QLatin1StringView("customMarkFollows"));
    const bool customMark = custom == QLatin1String("1") || custom == QLatin1String("true") || custom == QLatin1String("on");
    const QByteArray element = copyKept(part);
    if (element.isEmpty())
        return;
    const QString object(QChar::ObjectReplacementCharacter);
    if (reference) {
        QTextCharFormat f = format;
        QString shown = object;
        if ((footnote || endnote) && !customMark) {
            f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
            shown = footnote ? QString::number(++m_footnotes) : roman(++m_endnotes);
        }
        keepElement(element, shown, f);
        return;
    }
    XmlPart copy(element);
    if (!copy.nextChild())
        return;
    qint64 cx = 0, cy = 0;
    QString embed, link;
    bool more = false;
    findPicture(copy, cx, cy, embed, link, more, 0);
    const bool picture = !embed.isEmpty() || !link.isEmpty();
    if (!more && picture && insertPicture(embed, link, cx, cy, format))
        return;
    // Anything more than a picture is shown by its picture if it has one.
    QTextCharFormat kept = format;
    kept.setProperty(DocxKept::Element, element);
    kept.setProperty(DocxKept::ElementNumber, ++m_keptElements);
    kept.setProperty(DocxKept::ElementShown, object);
    if (picture && insertPicture(embed, link, cx, cy, kept)) {
        keepRelations(element);
        return;
    }
    --m_keptElements;
    keepElement(element, object, format);
}

// Text with a phonetic guide above it (w:ruby): its base text is shown, in
// the base's format, and the whole element is kept on it so a Word save
// writes the guide back.
void DocxBuilder::readRuby(XmlPart &part, const Context &context)
{
    const QByteArray element = copyKept(part);
    if (element.isEmpty())
        return;
    XmlPart copy(element);
    if (!copy.nextChild())
        return;
    QString base;
    QTextCharFormat format;
    bool formatted = false;
    while (copy.nextChild()) {
        if (!is(copy, "rubyBase")) {
            copy.skip();
            continue;
        }
        while (copy.nextChild()) {
            if (!is(copy, "r")) {
                copy.skip();
                continue;
            }
            while (copy.nextChild()) {
                if (is(copy, "rPr") && !formatted) {
                    format = runFormat(DocxRunProps::read(copy), context);
                    formatted = true;
                } else if (is(copy, "t")) {
                    base += copy.text();
                } else {
                    copy.skip();
                }
            }
        }
    }
    if (base.isEmpty())
        return;
    if (!formatted)
        format = runFormat(DocxRunProps(), context);
    keepElement(element, base, format);
}

// The element the part stands on, to be kept; empty when it is damaged (its
// own error says so) or past what the document may keep.
QByteArray DocxBuilder::copyKept(XmlPart &part)
{
    const QByteArray element = part.copy();
    if (element.isEmpty())
        return {};
    if (m_keptBytes + element.size() > RtfLimits::MaxKeptBytes) {
        problem(QStringLiteral("shapes and notes past %1 MB are not kept").arg(RtfLimits::MaxKeptBytes / (1024 * 1024)), true);
        return {};
    }
    m_keptBytes += element.size();
    return element;
}

// A tracked deletion stays in the file until it is accepted in Word: it is
// kept whole for a Word save and shown struck through, as Word marks it.
void DocxBuilder::readDeletion(XmlPart &part, const Context &context)
{
    const QByteArray element = copyKept(part);
    if (element.isEmpty())
        return;
    QString shown;
    std::optional<DocxRunProps> first;
    XmlPart copy(element);
    std::function<void(int)> walk = [&](int depth) {
        while (copy.nextChild()) {
            if (is(copy, "rPr") && !first) {
                first = DocxRunProps::read(copy);
            } else if (is(copy, "delText") || is(copy, "t")) {
                shown += copy.text();
            } else if (is(copy, "tab")) {
                shown += QLatin1Char('\t');
                copy.skip();
            } else if (depth < MaxInlineNesting) {
                walk(depth + 1);
            } else {
                copy.skip();
            }
        }
    };
    if (copy.nextChild())
        walk(0);
    shown.remove(QChar::ObjectReplacementCharacter);
    QTextCharFormat format = runFormat(first.value_or(DocxRunProps()), context);
    if (shown.isEmpty()) {
        shown = QChar(QChar::ObjectReplacementCharacter);
    } else {
        format.setFontStrikeOut(true);
        format.setForeground(QColor(0xc0, 0x00, 0x00));
    }
    keepElement(element, shown, format);
}

void DocxBuilder::keepElement(const QByteArray &element, const QString &shown, QTextCharFormat format)
{
    format.setProperty(DocxKept::Element, element);
    format.setProperty(DocxKept::ElementNumber, ++m_keptElements);
    format.setProperty(DocxKept::ElementShown, shown);
    addText(shown, format);
    keepRelations(element);
}

void DocxBuilder::keepRelations(const QByteArray &element)
{
    for (const QString &id : DocxKept::relationIds(element)) {
        if (!m_keptIds.contains(id))
            m_keptIds.append(id);
    }
}

void DocxBuilder::readSection(XmlPart &part)
{
    QByteArray settings;
    bool titlePage = false;
    while (part.nextChild()) {
        if (is(part, "headerReference") || is(part, "footerReference")) {
            DocxKept::SectionReference reference{part.name().toString(), part.attribute(QLatin1StringView("type")),
                                                 part.attribute(QLatin1StringView("id"))};
            if (reference.type.isEmpty())
                reference.type = QStringLiteral("default");
            // A section states the headers it changes and inherits the rest;
            // only one section is written back, with what the last one shows.
            m_kept.sections.removeIf([&reference](const DocxKept::SectionReference &r) {
                return r.element == reference.element && r.type == reference.type;
            });
            if (!reference.id.isEmpty() && m_kept.sections.size() < 16) {
                m_kept.sections.append(reference);
                if (!m_keptIds.contains(reference.id))
                    m_keptIds.append(reference.id);
            }
        } else if (is(part, "titlePg")) {
            titlePage = DocxValue::onOff(part);
        } else if (is(part, "pgSz")) {
            if (const auto w = DocxValue::twips(part, QLatin1StringView("w")); w && *w > 0)
                settings += "\\paperw" + QByteArray::number(*w);
            if (const auto h = DocxValue::twips(part, QLatin1StringView("h")); h && *h > 0)
                settings += "\\paperh" + QByteArray::number(*h);
            if (part.attribute(QLatin1StringView("orient")) == QLatin1String("landscape"))
                settings += "\\landscape";
        } else if (is(part, "pgMar")) {
            static const std::pair<const char *, const char *> sides[] = {
                {"left", "\\margl"}, {"right", "\\margr"}, {"top", "\\margt"}, {"bottom", "\\margb"}};
            for (const auto &[name, word] : sides) {
                if (const auto m = DocxValue::twips(part, QLatin1StringView(name)); m && *m >= 0)
                    settings += word + QByteArray::number(*m);
            }
        }
        part.skip();
    }
    m_kept.titlePage = titlePage;
    if (!settings.isEmpty()) {
        QTextFrameFormat root = m_document.rootFrame()->frameFormat();
        root.setProperty(RtfProperties::DocumentSettings, settings);
        m_document.rootFrame()->setFrameFormat(root);
    }
}

// ---- tables ---------------------------------------------------------------

namespace {
// w:tblLook's bits, as its w:val gives them.
constexpr int LookFirstRow = 0x20, LookFirstColumn = 0x80, LookNoRowBands = 0x200, LookNoColumnBands = 0x400;
constexpr int LookDefault = LookFirstRow | LookFirstColumn | LookNoColumnBands;

int readLook(const XmlPart &part)
{
    bool ok = false;
    int look = part.attribute(QLatin1StringView("val")).toInt(&ok, 16);
    if (!ok)
        look = LookDefault;
    // Later Word writes each bit as an attribute too, which says it best.
    const auto bit = [&](const char *name, int flag) {
        const QString v = part.attribute(QLatin1StringView(name));
        if (!v.isEmpty())
            look = (v == QLatin1String("0") || v == QLatin1String("false") || v == QLatin1String("off"))
                       ? look & ~flag : look | flag;
    };
    bit("firstRow", LookFirstRow);
    bit("firstColumn", LookFirstColumn);
    bit("noHBand", LookNoRowBands);
    bit("noVBand", LookNoColumnBands);
    return look;
}

// The table style's conditions a cell meets, weakest first. The last row
// and column are not known while the cell is read, and go unmarked.
QStringList conditions(int look, int row, int column)
{
    QStringList met;
    const bool header = (look & LookFirstRow) && row == 0;
    const bool first = (look & LookFirstColumn) && column == 0;
    if (!(look & LookNoRowBands) && !header)
        met << ((row - ((look & LookFirstRow) ? 1 : 0)) % 2 == 0 ? QStringLiteral("band1Horz") : QStringLiteral("band2Horz"));
    if (!(look & LookNoColumnBands) && !first)
        met << ((column - ((look & LookFirstColumn) ? 1 : 0)) % 2 == 0 ? QStringLiteral("band1Vert") : QStringLiteral("band2Vert"));
    if (first)
        met << QStringLiteral("firstCol");
    if (header)
        met << QStringLiteral("firstRow");
    if (header && first)
        met << QStringLiteral("nwCell");
    return met;
}
}

std::shared_ptr<DocxBuilder::Table> DocxBuilder::readTable(XmlPart &part, int depth)
{
    auto table = std::make_shared<Table>();
    // The paragraph being read outside stays as it is.
    Para outer = std::move(m_para);
    QString outerStyle = m_paraStyle;
    QList<Item> *outerOut = m_out;
    const DocxStyles::CellLook *outerLook = m_cellLook;
    QString style;
    int look = LookDefault;
    int rowIndex = 0;
    QHash<QString, DocxStyles::CellLook> looks;   // by the conditions met
    while (part.nextChild()) {
        if (is(part, "tblPr")) {
            readTableProps(part, *table, style, look);
        } else if (is(part, "tblGrid")) {
            while (part.nextChild()) {
                if (is(part, "gridCol") && table->grid.size() < RtfLimits::MaxTableColumns)
                    table->grid.append(qBound(0, DocxValue::twips(part, QLatin1StringView("w")).value_or(0), RtfLimits::MaxTwips));
                part.skip();
            }
        } else if (is(part, "tr")) {
            Row row;
            while (part.nextChild()) {
                if (is(part, "trPr")) {
                    while (part.nextChild()) {
                        if (is(part, "gridBefore"))
                            row.before = qBound(0, val(part).toInt(), RtfLimits::MaxTableColumns);
                        part.skip();
                    }
                } else if (is(part, "tc")) {
                    Cell cell;
                    m_cellLook = nullptr;
                    if (!style.isEmpty()) {
                        const QStringList met = conditions(look, rowIndex, int(row.cells.size()));
                        const QString key = met.join(QLatin1Char(' '));
                        auto it = looks.find(key);
                        if (it == looks.end())
                            it = looks.insert(key, m_styles.cell(style, met));
                        m_cellLook = &*it;
                    }
                    while (part.nextChild()) {
                        if (is(part, "tcPr"))
                            readCellProps(part, cell);
                        else
                            readBlock(part, cell.items, depth, 1);
                    }
                    if (++m_cells > RtfLimits::MaxTableCells) {
                        problem(QStringLiteral("a table has more than %1 cells").arg(RtfLimits::MaxTableCells), true);
                        continue;
                    }
                    if (row.cells.size() < RtfLimits::MaxTableColumns)
                        row.cells.append(std::move(cell));
                    else
                        row.cells.last().items += cell.items;
                } else {
                    part.skip();
                }
            }
            table->rows.append(std::move(row));
            ++rowIndex;
        } else {
            part.skip();
        }
    }
    m_cellLook = outerLook;
    m_para = std::move(outer);
    m_paraStyle = outerStyle;
    m_out = outerOut;
    return table;
}

namespace {
DocumentAssembler::Border readBorder(const XmlPart &part)
{
    DocumentAssembler::Border b;
    const QString v = part.attribute(QLatin1StringView("val"));
    b.line = !v.isEmpty() && v != QLatin1String("nil") && v != QLatin1String("none");
    // w:sz is in eighths of a point; a point is 20 twips.
    const int eighths = qBound(2, part.attribute(QLatin1StringView("sz")).toInt(), 96);
    b.width = Twips::toPixels(eighths * 20 / 8);
    b.color = DocxValue::color(part.attribute(QLatin1StringView("color"))).value_or(QColor(Qt::black));
    if (v == QLatin1String("double"))
        b.style = QTextFrameFormat::BorderStyle_Double;
    else if (v == QLatin1String("dotted"))
        b.style = QTextFrameFormat::BorderStyle_Dotted;
    else if (v.startsWith(QLatin1String("dash")))
        b.style = QTextFrameFormat::BorderStyle_Dashed;
    return b;
}

int sideOf(const XmlPart &part)
{
    if (part.is(QLatin1StringView("top")))
        return 0;
    if (part.is(QLatin1StringView("left")) || part.is(QLatin1StringView("start")))
        return 1;
    if (part.is(QLatin1StringView("bottom")))
        return 2;
    if (part.is(QLatin1StringView("right")) || part.is(QLatin1StringView("end")))
        return 3;
    return -1;
}
}

void DocxBuilder::readTableProps(XmlPart &part, Table &table, QString &style, int &look)
{
    while (part.nextChild()) {
        if (is(part, "tblLook")) {
            look = readLook(part);
        } else if (is(part, "tblStyle")) {
            style = val(part);
            const DocxStyles::TableLook look = m_styles.table(val(part));
            if (look.borderWidth >= 0) {
                DocumentAssembler::Border b;
                b.line = true;
                b.width = Twips::toPixels(look.borderWidth * 20 / 8);
                b.color = look.borderColor.isValid() ? look.borderColor : QColor(Qt::black);
                for (int side = 0; side < 6; ++side)
                    table.borders[side] = side < 4 || look.insideLines ? b : DocumentAssembler::Border();
            }
            if (look.cellLeft >= 0)
                table.cellLeft = look.cellLeft;
            if (look.cellRight >= 0)
                table.cellRight = look.cellRight;
        } else if (is(part, "tblBorders")) {
            // Each side as it is given, over what the style gave; "nil" or
            // "none" takes a side's line away.
            while (part.nextChild()) {
                const int side = is(part, "insideH") ? 4 : is(part, "insideV") ? 5 : sideOf(part);
                if (side >= 0)
                    table.borders[side] = readBorder(part);
                part.skip();
            }
            continue;
        } else if (is(part, "jc")) {
            const QString v = val(part);
            table.format.setAlignment(v == QLatin1String("center") ? Qt::AlignHCenter
                                      : (v == QLatin1String("right") || v == QLatin1String("end")) ? Qt::AlignRight
                                                                                                    : Qt::AlignLeft);
        } else if (is(part, "tblInd")) {
            if (const auto w = DocxValue::twips(part, QLatin1StringView("w")); w && *w > 0) {
                table.format.setLeftMargin(Twips::toPixels(*w));
                table.format.setProperty(RtfProperties::TableLeft, *w);
            }
        } else if (is(part, "tblCellMar")) {
            while (part.nextChild()) {
                const auto w = DocxValue::twips(part, QLatin1StringView("w"));
                const int side = sideOf(part);
                if (w && side == 1)
                    table.cellLeft = qMax(0, *w);
                else if (w && side == 3)
                    table.cellRight = qMax(0, *w);
                part.skip();
            }
            continue;
        } else if (is(part, "bidiVisual")) {
            table.format.setLayoutDirection(Qt::RightToLeft);
        }
        part.skip();
    }
}

void DocxBuilder::readCellProps(XmlPart &part, Cell &cell)
{
    while (part.nextChild()) {
        if (is(part, "gridSpan")) {
            cell.span = qBound(1, val(part).toInt(), RtfLimits::MaxTableColumns);
        } else if (is(part, "vMerge")) {
            cell.vmerge = val(part) == QLatin1String("restart") ? 1 : 2;
        } else if (is(part, "hMerge")) {
            // The older horizontal merge: a continuing cell joins the one before.
            if (val(part) != QLatin1String("restart"))
                cell.span = 0;
        } else if (is(part, "shd")) {
            if (const auto c = DocxValue::color(part.attribute(QLatin1StringView("fill"))))
                cell.format.setBackground(*c);
        } else if (is(part, "vAlign")) {
            const QString v = val(part);
            if (v == QLatin1String("center"))
                cell.format.setVerticalAlignment(QTextCharFormat::AlignMiddle);
            else if (v == QLatin1String("bottom"))
                cell.format.setVerticalAlignment(QTextCharFormat::AlignBottom);
        } else if (is(part, "tcBorders")) {
            while (part.nextChild()) {
                const int side = sideOf(part);
                if (side >= 0) {
                    DocumentAssembler::setBorder(cell.format, side, readBorder(part));
                    cell.borders[side] = true;
                }
                part.skip();
            }
            continue;
        }
        part.skip();
    }
}

