#include "DocxNumbering.h"

#include "XmlPart.h"

namespace {
constexpr int LevelCount = 9;
constexpr int MaxLists = 32768;

int intValue(const XmlPart &part, int fallback)
{
    bool ok = false;
    const int n = part.attribute(QLatin1StringView("val")).toInt(&ok);
    return ok ? n : fallback;
}
}

void DocxNumbering::readLevel(XmlPart &part, Level &level)
{
    while (part.nextChild()) {
        if (part.is(QLatin1StringView("start")))
            level.start = qBound(0, intValue(part, 1), 32767);
        else if (part.is(QLatin1StringView("numFmt")))
            level.format = part.attribute(QLatin1StringView("val"));
        else if (part.is(QLatin1StringView("lvlText")))
            level.text = part.attribute(QLatin1StringView("val")).left(64);
        else if (part.is(QLatin1StringView("pPr"))) {
            level.para = DocxParaProps::read(part);
            continue;
        }
        part.skip();
    }
}

DocxNumbering::Abstract DocxNumbering::readAbstract(XmlPart &part)
{
    Abstract out;
    out.levels = Levels(LevelCount);
    while (part.nextChild()) {
        if (part.is(QLatin1StringView("lvl"))) {
            const int ilvl = part.attribute(QLatin1StringView("ilvl")).toInt();
            Level scratch;
            readLevel(part, ilvl >= 0 && ilvl < LevelCount ? out.levels[ilvl] : scratch);
            out.defined = true;
            continue;
        }
        if (part.is(QLatin1StringView("numStyleLink")))
            out.styleLink = part.attribute(QLatin1StringView("val"));
        part.skip();
    }
    return out;
}

void DocxNumbering::read(const QByteArray &xml, QString *problem, const StyleLists &styleLists)
{
    XmlPart part(xml);
    if (!part.nextChild())   // w:numbering
        return;
    struct Num
    {
        int abstractId = -1;
        QList<std::pair<int, Level>> overrides;   // level, what it sets
        QList<std::pair<int, int>> starts;        // level, start
    };
    QHash<int, Num> nums;
    while (part.nextChild()) {
        if (m_abstract.size() + nums.size() > MaxLists) {
            part.skip();
            continue;
        }
        if (part.is(QLatin1StringView("abstractNum"))) {
            const int id = part.attribute(QLatin1StringView("abstractNumId")).toInt();
            m_abstract.insert(id, readAbstract(part));
            continue;
        }
        if (part.is(QLatin1StringView("num"))) {
            const int id = part.attribute(QLatin1StringView("numId")).toInt();
            Num num;
            while (part.nextChild()) {
                if (part.is(QLatin1StringView("abstractNumId"))) {
                    num.abstractId = intValue(part, -1);
                } else if (part.is(QLatin1StringView("lvlOverride"))) {
                    const int ilvl = part.attribute(QLatin1StringView("ilvl")).toInt();
                    while (part.nextChild()) {
                        if (part.is(QLatin1StringView("startOverride"))) {
                            num.starts.append({ilvl, qBound(0, intValue(part, 1), 32767)});
                        } else if (part.is(QLatin1StringView("lvl"))) {
                            Level level;
                            readLevel(part, level);
                            num.overrides.append({ilvl, level});
                            continue;
                        }
                        part.skip();
                    }
                    continue;
                }
                part.skip();
            }
            nums.insert(id, num);
            continue;
        }
        part.skip();
    }
    // The definition a list's levels come from: a link to a numbering style
    // is followed to the definition of the list the style names (links to
    // links end after a few steps; Word makes one).
    const auto definition = [&](int abstractId) {
        for (int step = 0; step < 4; ++step) {
            const auto it = m_abstract.constFind(abstractId);
            if (it == m_abstract.cend() || it->defined || it->styleLink.isEmpty() || !styleLists)
                break;
            const auto num = nums.constFind(styleLists(it->styleLink));
            if (num == nums.cend() || num->abstractId == abstractId)
                break;
            abstractId = num->abstractId;
        }
        return abstractId;
    };
    QHash<int, int> groupOf;
    for (auto it = nums.cbegin(); it != nums.cend(); ++it) {
        const int abstractId = definition(it->abstractId);
        const auto abstract = m_abstract.constFind(abstractId);
        Levels levels = abstract != m_abstract.cend() ? abstract->levels : Levels(LevelCount);
        for (const auto &[ilvl, level] : it->overrides) {
            if (ilvl >= 0 && ilvl < LevelCount)
                levels[ilvl] = level;
        }
        for (const auto &[ilvl, start] : it->starts) {
            if (ilvl >= 0 && ilvl < LevelCount) {
                levels[ilvl].start = start;
                levels[ilvl].restarts = true;
            }
        }
        m_nums.insert(it.key(), levels);
        if (abstract != m_abstract.cend()) {
            // Numbered 1, 2, ... whatever the file calls them.
            const auto known = groupOf.constFind(abstractId);
            m_groups.insert(it.key(), known != groupOf.cend() ? *known : *groupOf.insert(abstractId, int(groupOf.size()) + 1));
        }
    }
    if (part.failed() && problem)
        *problem = QStringLiteral("its list definitions are damaged: %1").arg(part.errorText());
}

const DocxNumbering::Level *DocxNumbering::level(int numId, int level) const
{
    if (numId <= 0 || level < 0 || level >= LevelCount)
        return nullptr;
    const auto it = m_nums.constFind(numId);
    if (it == m_nums.cend() || it->size() != LevelCount)
        return nullptr;
    return &it->at(level);
}
