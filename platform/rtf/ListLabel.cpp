#include "ListLabel.h"

#include <QTextBlock>
#include <QTextList>

namespace ListLabel {

QString of(const QTextList &list, const QTextBlock &block)
{
    switch (list.format().style()) {
    case QTextListFormat::ListDecimal:
    case QTextListFormat::ListLowerAlpha:
    case QTextListFormat::ListUpperAlpha:
    case QTextListFormat::ListLowerRoman:
    case QTextListFormat::ListUpperRoman:
        return list.itemText(block);
    default:
        // Qt has no text for a bullet (it would give the bare suffix, ".").
        return QStringLiteral("\u2022");
    }
}

}
