#include "RtfFields.h"

#include <QStringList>

namespace {
// Words of an instruction; a quoted argument is one word without its quotes.
QStringList words(const QString &instruction)
{
    QStringList out;
    qsizetype i = 0;
    const qsizetype n = instruction.size();
    while (i < n) {
        while (i < n && instruction.at(i).isSpace())
            ++i;
        if (i >= n)
            break;
        QString word;
        if (instruction.at(i) == u'"') {
            ++i;
            while (i < n && instruction.at(i) != u'"')
                word += instruction.at(i++);
            ++i;
        } else {
            while (i < n && !instruction.at(i).isSpace())
                word += instruction.at(i++);
        }
        out << word;
    }
    return out;
}
}

namespace RtfFields {

QString hyperlinkTarget(const QString &instruction)
{
    const QStringList w = words(instruction);
    if (w.isEmpty() || w.first().compare(QLatin1String("HYPERLINK"), Qt::CaseInsensitive) != 0)
        return QString();
    QString url, mark;
    for (qsizetype i = 1; i < w.size(); ++i) {
        const QString &word = w.at(i);
        if (word.startsWith(u'\\') && word.size() == 2) {
            const QChar s = word.at(1).toLower();
            // \l names a bookmark; \o, \t take an argument this reader ignores.
            if (s == u'l' && i + 1 < w.size())
                mark = w.at(++i);
            else if ((s == u'o' || s == u't') && i + 1 < w.size())
                ++i;
            continue;
        }
        if (url.isEmpty())
            url = word;
    }
    // Field codes double a backslash inside quotes.
    url.replace(QLatin1String("\\\\"), QLatin1String("\\"));
    if (mark.isEmpty())
        return url;
    return url + u'#' + mark;
}

QString hyperlinkInstruction(const QString &target)
{
    const auto quoted = [](QString s) {
        s.replace(u'\\', QLatin1String("\\\\"));
        return u'"' + s + u'"';
    };
    const qsizetype hash = target.indexOf(u'#');
    if (hash == 0)
        return QLatin1String("HYPERLINK \\l ") + quoted(target.mid(1));
    return QLatin1String("HYPERLINK ") + quoted(target);
}

}
