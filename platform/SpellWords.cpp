#include "SpellWords.h"

namespace {

bool isLetter(QChar c)
{
    return c.isLetter() || c.isMark();
}

} // namespace

bool SpellWords::IsApostrophe(QChar c)
{
    return c == u'\'' || c == u'\u2019' || c == u'\u02BC';
}

QList<SpellWords::Word> SpellWords::Split(QStringView text)
{
    QList<Word> words;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        // Skip to the start of a run of letters or digits. Surrogate pairs
        // (letters outside the basic plane) are taken whole.
        const QChar c = text[i];
        const bool surrogateLetter = c.isHighSurrogate() && i + 1 < n
                                     && QChar::isLetter(QChar::surrogateToUcs4(c, text[i + 1]));
        if (!isLetter(c) && !c.isDigit() && !surrogateLetter) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        bool hasDigit = false;
        while (i < n) {
            const QChar ch = text[i];
            if (isLetter(ch)) {
                ++i;
            } else if (ch.isDigit()) {
                hasDigit = true;
                ++i;
            } else if (ch.isHighSurrogate() && i + 1 < n) {
                const char32_t ucs = QChar::surrogateToUcs4(ch, text[i + 1]);
                if (!QChar::isLetter(ucs) && !QChar::isMark(ucs) && !QChar::isDigit(ucs))
                    break;
                hasDigit = hasDigit || QChar::isDigit(ucs);
                i += 2;
            } else if (IsApostrophe(ch) && i + 1 < n && isLetter(text[i + 1])) {
                ++i;   // an apostrophe inside the word ("don't", "O'Brien")
            } else {
                break;
            }
        }
        if (!hasDigit)
            words.append({start, i - start});
    }
    return words;
}
