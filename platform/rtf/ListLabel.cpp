#include "ListLabel.h"

#include "RtfProperties.h"

#include <QTextBlock>
#include <QTextList>

namespace ListLabel {

namespace {
// Chinese counting as Word and LibreOffice write it: 十一 for 11 but 一百一十
// for 110, one 零 for each run of zeros inside, 万 past 9999.
QString chinese(int n)
{
    static const char16_t digits[] = u"零一二三四五六七八九";
    static const char16_t units[] = u"千百十";
    const auto below10000 = [](int v, bool leading) {
        QString out;
        bool zero = false;
        const int parts[] = {v / 1000, v / 100 % 10, v / 10 % 10, v % 10};
        for (int i = 0; i < 4; ++i) {
            if (parts[i] == 0) {
                zero = !out.isEmpty() || !leading;
                continue;
            }
            if (zero && (!out.isEmpty() || !leading))
                out += QChar(digits[0]);
            zero = false;
            // A leading ten is just 十.
            if (!(i == 2 && parts[i] == 1 && out.isEmpty() && leading))
                out += QChar(digits[parts[i]]);
            if (i < 3)
                out += QChar(units[i]);
        }
        return out;
    };
    if (n <= 0)
        return QString(QChar(digits[0]));
    n = qMin(n, 99999999);
    if (n < 10000)
        return below10000(n, true);
    const int low = n % 10000;
    QString out = below10000(n / 10000, true) + QChar(u'万');
    if (low > 0)
        out += below10000(low, false);   // 一万零五: its own leading zeros make the 零
    return out;
}

QString cycle(const char16_t *signs, int count, int n)
{
    return QString(QChar(signs[(qMax(1, n) - 1) % count]));
}
}

bool knows(const QString &numbering)
{
    static const char *const known[] = {"chineseCounting", "chineseCountingThousand", "chineseLegalSimplified",
                                        "ideographTraditional", "ideographZodiac", "decimalZero",
                                        "decimalEnclosedCircle", "decimalFullWidth"};
    for (const char *name : known) {
        if (numbering == QLatin1String(name))
            return true;
    }
    return false;
}

QString number(QTextListFormat::Style style, int n, const QString &numbering)
{
    if (!numbering.isEmpty()) {
        if (numbering == QLatin1String("chineseCounting") || numbering == QLatin1String("chineseCountingThousand")
            || numbering == QLatin1String("chineseLegalSimplified"))
            return chinese(n);
        if (numbering == QLatin1String("ideographTraditional"))
            return cycle(u"甲乙丙丁戊己庚辛壬癸", 10, n);
        if (numbering == QLatin1String("ideographZodiac"))
            return cycle(u"子丑寅卯辰巳午未申酉戌亥", 12, n);
        if (numbering == QLatin1String("decimalZero"))
            return n >= 0 && n < 10 ? QStringLiteral("0%1").arg(n) : QString::number(n);
        if (numbering == QLatin1String("decimalEnclosedCircle") && n >= 1 && n <= 20)
            return QString(QChar(u'\u2460' + n - 1));
        if (numbering == QLatin1String("decimalFullWidth") && n >= 0) {
            QString out = QString::number(n);
            for (QChar &c : out)
                c = QChar(c.unicode() - u'0' + u'\uFF10');
            return out;
        }
    }
    const auto roman = [](int v) {
        static const std::pair<int, const char *> parts[] = {
            {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"},
            {50, "l"}, {40, "xl"}, {10, "x"}, {9, "ix"}, {5, "v"}, {4, "iv"}, {1, "i"}};
        QString out;
        v = qBound(1, v, 3999);
        for (const auto &[value, letters] : parts) {
            while (v >= value) {
                out += QLatin1String(letters);
                v -= value;
            }
        }
        return out;
    };
    const auto letters = [](int v) {
        QString out;
        v = qMax(1, v);
        return out.fill(QChar(u'a' + (v - 1) % 26), (v - 1) / 26 + 1);
    };
    switch (style) {
    case QTextListFormat::ListLowerRoman: return roman(n);
    case QTextListFormat::ListUpperRoman: return roman(n).toUpper();
    case QTextListFormat::ListLowerAlpha: return letters(n);
    case QTextListFormat::ListUpperAlpha: return letters(n).toUpper();
    default: return QString::number(n);
    }
}

QString of(const QTextList &list, const QTextBlock &block)
{
    const QTextListFormat format = list.format();
    switch (format.style()) {
    case QTextListFormat::ListDecimal:
    case QTextListFormat::ListLowerAlpha:
    case QTextListFormat::ListUpperAlpha:
    case QTextListFormat::ListLowerRoman:
    case QTextListFormat::ListUpperRoman: {
        const int item = list.itemNumber(block);
        if (item < 0)
            return QString();
        // Made here, not by QTextList::itemText: that counts from 1 before
        // Qt 6.6 and turns prefix and suffix round in a right-to-left
        // paragraph, where text keeps its logical order ("2.1.", not ".12.").
        const int start = format.hasProperty(RtfProperties::ListStart) ? format.intProperty(RtfProperties::ListStart) : 1;
        return format.numberPrefix()
            + number(format.style(), start + item, format.stringProperty(RtfProperties::ListNumberFormat))
            + (format.hasProperty(QTextFormat::ListNumberSuffix) ? format.numberSuffix() : QStringLiteral("."));
    }
    case QTextListFormat::ListCircle:
        return QStringLiteral("\u25E6");
    case QTextListFormat::ListSquare:
        return QStringLiteral("\u25AA");
    default: {
        // A plain bullet changes with the level, as word processors draw
        // their default bullets: •, ◦, ▪, and round again.
        const int level = format.hasProperty(RtfProperties::ListLevel) ? format.intProperty(RtfProperties::ListLevel)
                                                                      : qMax(0, format.indent() - 1);
        static const char16_t bullets[] = u"\u2022\u25E6\u25AA";
        return QString(QChar(bullets[level % 3]));
    }
    }
}

}
