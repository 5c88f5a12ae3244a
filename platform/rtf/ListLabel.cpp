#include "ListLabel.h"

#include "RtfProperties.h"

#include <QTextBlock>
#include <QTextList>

namespace ListLabel {

QString number(QTextListFormat::Style style, int n)
{
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
    case QTextListFormat::ListUpperRoman:
#if QT_VERSION < QT_VERSION_CHECK(6, 6, 0)
        // Qt before 6.6 counts every list from 1.
        if (format.hasProperty(RtfProperties::ListStart) && list.itemNumber(block) >= 0) {
            const int n = format.intProperty(RtfProperties::ListStart) + list.itemNumber(block);
            return format.numberPrefix() + number(format.style(), n)
                + (format.hasProperty(QTextFormat::ListNumberSuffix) ? format.numberSuffix() : QStringLiteral("."));
        }
#endif
        return list.itemText(block);
    default:
        // Qt has no text for a bullet (it would give the bare suffix, ".").
        return QStringLiteral("\u2022");
    }
}

}
