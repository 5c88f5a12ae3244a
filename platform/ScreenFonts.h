#pragma once

#include <QString>
#include <QStringList>

// The screen font list as a user and other programs know it. Where a family
// is installed from more than one foundry, the platform lists it once per
// foundry with the foundry in brackets ("C059 [urw]", "C059 [UKWN]"); such a
// name means nothing to a word processor reading the saved file. Here each
// family appears once, under its family name.
class ScreenFonts
{
public:
    // Every family once, in the platform's order (the first foundry's place).
    static QStringList families();
    // The family name without a trailing foundry tag.
    static QString familyName(const QString &listed);
};
