#include "SpellDictionary.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <hunspell.hxx>

namespace {

// Hunspell names encodings its own way ("ISO8859-1", "microsoft-cp1251").
QString converterName(const QString &hunspellName)
{
    QString name = hunspellName.trimmed();
    if (name.startsWith(QLatin1String("ISO8859-"), Qt::CaseInsensitive))
        name.insert(3, QLatin1Char('-'));
    else if (name.startsWith(QLatin1String("microsoft-cp"), Qt::CaseInsensitive))
        name = QLatin1String("windows-") + name.mid(12);
    else if (name.compare(QLatin1String("TIS620"), Qt::CaseInsensitive) == 0)
        name = QStringLiteral("TIS-620");
    return name;
}

} // namespace

struct SpellDictionary::Private
{
    std::unique_ptr<Hunspell> hunspell;
    QString encoding;
    bool utf8 = true;
    // Mutable: the converters keep state between calls, not the dictionary.
    mutable QStringEncoder encoder;
    mutable QStringDecoder decoder;

    // False when the word cannot be written in the dictionary's encoding.
    bool encode(const QString &word, std::string &out) const
    {
        if (utf8) {
            out = word.toStdString();
            return true;
        }
        const QByteArray bytes = encoder.encode(word);
        if (encoder.hasError()) {
            encoder.resetState();
            return false;
        }
        out.assign(bytes.constData(), size_t(bytes.size()));
        return true;
    }

    QString decode(const std::string &text) const
    {
        if (utf8)
            return QString::fromStdString(text);
        QString result = decoder.decode(QByteArrayView(text.data(), qsizetype(text.size())));
        decoder.resetState();
        return result;
    }
};

SpellDictionary::SpellDictionary() : d(std::make_unique<Private>()) {}
SpellDictionary::~SpellDictionary() = default;

std::unique_ptr<SpellDictionary> SpellDictionary::Load(const QString &affPath, const QString &dicPath,
                                                       QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return std::unique_ptr<SpellDictionary>();
    };
    // Hunspell itself accepts missing files silently and then calls every
    // word wrong; refuse them here instead.
    for (const QString &path : {affPath, dicPath}) {
        const QFileInfo info(path);
        if (!info.isFile() || !info.isReadable())
            return fail(QStringLiteral("Cannot read %1").arg(path));
    }
    if (QFileInfo(dicPath).size() == 0)
        return fail(QStringLiteral("The word list %1 is empty").arg(dicPath));

    std::unique_ptr<SpellDictionary> dict(new SpellDictionary);
    Private &p = *dict->d;
    p.hunspell = std::make_unique<Hunspell>(QFile::encodeName(affPath).constData(),
                                            QFile::encodeName(dicPath).constData());
    p.encoding = QString::fromStdString(p.hunspell->get_dict_encoding());
    p.utf8 = p.encoding.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) == 0
             || p.encoding.compare(QLatin1String("UTF8"), Qt::CaseInsensitive) == 0;
    if (!p.utf8) {
        const QString name = converterName(p.encoding);
        p.encoder = QStringEncoder(name.toLatin1().constData());
        p.decoder = QStringDecoder(name.toLatin1().constData());
        if (!p.encoder.isValid() || !p.decoder.isValid())
            return fail(QStringLiteral("Unknown dictionary encoding %1").arg(p.encoding));
    }
    return dict;
}

bool SpellDictionary::Spell(const QString &word) const
{
    std::string bytes;
    if (!d->encode(word, bytes))
        return true;
    return d->hunspell->spell(bytes);
}

QStringList SpellDictionary::Suggest(const QString &word) const
{
    std::string bytes;
    if (!d->encode(word, bytes))
        return {};
    QStringList result;
    for (const std::string &s : d->hunspell->suggest(bytes))
        result.append(d->decode(s));
    return result;
}

QString SpellDictionary::Encoding() const
{
    return d->encoding;
}
