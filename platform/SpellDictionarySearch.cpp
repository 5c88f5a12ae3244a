#include "SpellDictionarySearch.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSet>

#include <optional>

namespace {

std::optional<QStringList> g_systemFolders;

const QStringList &defaultSystemFolders()
{
    static const QStringList folders{QStringLiteral("/usr/share/hunspell"),
                                     QStringLiteral("/usr/share/myspell")};
    return folders;
}

QString languagePart(const QString &name)
{
    return name.section(QLatin1Char('_'), 0, 0);
}

} // namespace

QStringList SpellDictionarySearch::SystemFolders()
{
    return g_systemFolders ? *g_systemFolders : defaultSystemFolders();
}

void SpellDictionarySearch::SetSystemFolders(const QStringList &folders)
{
    g_systemFolders = folders;
}

void SpellDictionarySearch::ResetSystemFolders()
{
    g_systemFolders.reset();
}

QStringList SpellDictionarySearch::SearchPath()
{
    QStringList folders;
    const QString dicPath = qEnvironmentVariable("DICPATH");
    for (const QString &folder : dicPath.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        folders.append(QDir::cleanPath(folder));
    folders.append(SystemFolders());
    folders.removeDuplicates();
    return folders;
}

QString SpellDictionarySearch::Normalize(const QString &language)
{
    QString name = language.trimmed();
    name = name.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    name.replace(QLatin1Char('-'), QLatin1Char('_'));
    return name;
}

QString SpellDictionarySearch::WantedLanguage()
{
    const QString wanted = Normalize(qEnvironmentVariable("QUILLET_SPELL_LANG"));
    if (!wanted.isEmpty())
        return wanted;
    return Normalize(QLocale::system().name());
}

QList<SpellDictionarySearch::Candidate> SpellDictionarySearch::Available()
{
    QList<Candidate> found;
    QSet<QString> seen;
    for (const QString &folder : SearchPath()) {
        const QDir dir(folder);
        const QStringList affs = dir.entryList({QStringLiteral("*.aff")}, QDir::Files | QDir::Readable,
                                               QDir::Name);
        for (const QString &aff : affs) {
            const QString language = QFileInfo(aff).completeBaseName();
            const QString dic = dir.filePath(language + QLatin1String(".dic"));
            if (seen.contains(language) || !QFileInfo(dic).isFile())
                continue;
            seen.insert(language);
            found.append({language, dir.filePath(aff), dic});
        }
    }
    return found;
}

QList<SpellDictionarySearch::Candidate> SpellDictionarySearch::CandidatesFor(const QString &language)
{
    const QList<Candidate> available = Available();
    const QString wanted = Normalize(language);
    QList<Candidate> ordered;
    QSet<QString> taken;
    auto takeWhere = [&](auto predicate) {
        for (const Candidate &c : available) {
            if (!taken.contains(c.language) && predicate(c.language)) {
                taken.insert(c.language);
                ordered.append(c);
            }
        }
    };
    takeWhere([&](const QString &name) { return !wanted.isEmpty() && name == wanted; });
    takeWhere([&](const QString &name) {
        return !wanted.isEmpty() && languagePart(name) == languagePart(wanted);
    });
    takeWhere([](const QString &name) { return name == QLatin1String("en_US"); });
    takeWhere([](const QString &name) { return languagePart(name) == QLatin1String("en"); });
    takeWhere([](const QString &) { return true; });
    return ordered;
}
