#include "SpellWordList.h"

#include "FileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString personalFile()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return folder.isEmpty() ? QString() : QDir(folder).filePath(QStringLiteral("Personal Dictionary.txt"));
}

bool isCapitalised(const QString &word)
{
    if (word.size() < 2 || !word.front().isUpper())
        return false;
    for (qsizetype i = 1; i < word.size(); ++i) {
        if (word.at(i).isUpper())
            return false;
    }
    return true;
}

} // namespace

SpellWordList::SpellWordList(QString file) : m_file(std::move(file)) {}

SpellWordList &SpellWordList::Personal()
{
    static SpellWordList list(personalFile());
    return list;
}

SpellWordList &SpellWordList::Ignored()
{
    static SpellWordList list{QString()};
    return list;
}

void SpellWordList::SetFile(const QString &path)
{
    m_file = path;
    Clear();
}

void SpellWordList::Clear()
{
    m_read = false;
    m_order.clear();
    m_words.clear();
    m_capitals.clear();
}

void SpellWordList::insert(const QString &word) const
{
    if (word.isEmpty() || m_words.contains(word))
        return;
    m_order.append(word);
    m_words.insert(word);
    m_capitals.insert(word.toUpper());
}

void SpellWordList::ensureRead() const
{
    if (m_read)
        return;
    m_read = true;
    if (m_file.isEmpty())
        return;
    QFile file(m_file);
    if (!file.open(QIODevice::ReadOnly))
        return;
    // One word a line; blank lines and stray spaces count for nothing.
    const QString text = QString::fromUtf8(file.readAll());
    for (const QStringView line : QStringView(text).split(QLatin1Char('\n')))
        insert(line.trimmed().toString());
}

bool SpellWordList::Contains(const QString &text) const
{
    ensureRead();
    if (m_words.isEmpty() || text.isEmpty())
        return false;
    if (m_words.contains(text))
        return true;
    if (text == text.toUpper() && m_capitals.contains(text))
        return true;
    // "Wrold" at the start of a sentence is the entry "wrold".
    if (isCapitalised(text)) {
        QString lower = text;
        lower[0] = lower[0].toLower();
        return m_words.contains(lower);
    }
    return false;
}

bool SpellWordList::Add(const QString &word, QString *error)
{
    ensureRead();
    const QString entry = word.trimmed();
    if (entry.isEmpty() || entry.contains(QLatin1Char('\n'))) {
        if (error)
            *error = QStringLiteral("\"%1\" is not a word").arg(word);
        return false;
    }
    const bool known = m_words.contains(entry);
    insert(entry);
    if (m_file.isEmpty() || known)
        return true;
    const QString folder = QFileInfo(m_file).absolutePath();
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("Cannot create the folder %1").arg(folder);
        return false;
    }
    return FileWriter::write(m_file, (m_order.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8(), error);
}
