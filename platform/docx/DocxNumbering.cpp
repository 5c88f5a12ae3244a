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

DocxNumbering::Levels DocxNumbering::readAbstract(XmlPart &part)
{
    Levels levels(LevelCount);
    while (part.nextChild()) {
        if (part.is(QLatin1StringView("lvl"))) {
            const int ilvl = part.attribute(QLatin1StringView("ilvl")).toInt();
            Level scratch;
            readLevel(part, ilvl >= 0 && ilvl < LevelCount ? levels[ilvl] : scratch);
            continue;
        }
        part.skip();
    }
    return levels;
}

void DocxNumbering::read(const QByteArray &xml, QString *problem)
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
    for (auto it = nums.cbegin(); it != nums.cend(); ++it) {
        Levels levels = m_abstract.value(it->abstractId, Levels(LevelCount));
        for (const auto &[ilvl, level] : it->overrides) {
            if (ilvl >= 0 && ilvl < LevelCount)
                levels[ilvl] = level;
        }
        for (const auto &[ilvl, start] : it->starts) {
            if (ilvl >= 0 && ilvl < LevelCount)
                levels[ilvl].start = start;
        }
        m_nums.insert(it.key(), levels);
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
