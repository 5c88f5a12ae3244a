#include "ScreenFonts.h"

#include <QFontDatabase>
#include <QSet>

QStringList ScreenFonts::families()
{
    QStringList result;
    QSet<QString> seen;
    const QStringList listed = QFontDatabase::families();
    for (const QString &name : listed) {
        const QString family = familyName(name);
        if (!family.isEmpty() && !seen.contains(family)) {
            seen.insert(family);
            result.append(family);
        }
    }
    return result;
}

QString ScreenFonts::familyName(const QString &listed)
{
    // Qt writes the foundry as " [foundry]" after the family; a family name
    // of its own never ends that way in practice.
    const QString trimmed = listed.trimmed();
    if (!trimmed.endsWith(u']'))
        return trimmed;
    const qsizetype open = trimmed.lastIndexOf(QLatin1String(" ["));
    if (open <= 0)
        return trimmed;
    return trimmed.left(open).trimmed();
}
