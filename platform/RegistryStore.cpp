#include "RegistryStore.h"

#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QVariant>
#include <memory>

namespace {

// Written in every created key; value names are encoded so that none can
// come out as this.
const QString KeyMarker = QStringLiteral("%key");

QStringList keyParts(const QString &path)
{
    QString normal = path;
    normal.replace(u'\\', u'/');
    return normal.split(u'/', Qt::SkipEmptyParts);
}

// QSettings takes '/' and '\' in a name as group separators; registry value
// names may hold both. The default value has an empty name.
QString encodedName(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("%default");
    QString out = name;
    out.replace(u'%', QStringLiteral("%25"));
    out.replace(u'/', QStringLiteral("%2F"));
    out.replace(u'\\', QStringLiteral("%5C"));
    return out;
}

std::unique_ptr<QSettings> openRoot(quint32 root)
{
    const QString name = RegistryStore::rootName(root);
    if (name.isEmpty())
        return nullptr;
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(name + u'\\', QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(RegistryStore::location(root), QSettings::IniFormat);
#endif
}

QString join(const QStringList &parts, const QString &last = QString())
{
    QStringList all = parts;
    if (!last.isEmpty())
        all << last;
    return all.join(u'/');
}

bool exists(QSettings &settings, const QStringList &parts)
{
    if (parts.isEmpty())
        return true;
#ifdef Q_OS_WIN
    // Keys made by others carry no marker: ask the registry itself.
    settings.beginGroup(join(parts.mid(0, parts.size() - 1)));
    const bool found = settings.childGroups().contains(parts.last(), Qt::CaseInsensitive);
    settings.endGroup();
    if (found)
        return true;
#endif
    return settings.contains(join(parts, KeyMarker));
}

} // namespace

QString RegistryStore::rootName(quint32 root)
{
    switch (root) {
    case ClassesRoot: return QStringLiteral("HKEY_CLASSES_ROOT");
    case CurrentUser: return QStringLiteral("HKEY_CURRENT_USER");
    case LocalMachine: return QStringLiteral("HKEY_LOCAL_MACHINE");
    case Users: return QStringLiteral("HKEY_USERS");
    case CurrentConfig: return QStringLiteral("HKEY_CURRENT_CONFIG");
    default: return QString();
    }
}

QString RegistryStore::location(quint32 root)
{
    const QString name = rootName(root);
    if (name.isEmpty())
        return QString();
#ifdef Q_OS_WIN
    return name;
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
            + QStringLiteral("/Quillet/") + name + QStringLiteral(".ini");
#endif
}

bool RegistryStore::createKey(quint32 root, const QString &path)
{
    const auto settings = openRoot(root);
    if (!settings || settings->status() != QSettings::NoError || !settings->isWritable())
        return false;
    const QStringList parts = keyParts(path);
    bool added = false;
    for (qsizetype i = 1; i <= parts.size(); ++i) {
        const QStringList prefix = parts.mid(0, i);
        if (!exists(*settings, prefix)) {
            settings->setValue(join(prefix, KeyMarker), QString());
            added = true;
        }
    }
    if (!added)
        return true;
    settings->sync();
    return settings->status() == QSettings::NoError;
}

bool RegistryStore::keyExists(quint32 root, const QString &path)
{
    const auto settings = openRoot(root);
    return settings && settings->status() == QSettings::NoError && exists(*settings, keyParts(path));
}

bool RegistryStore::setValue(quint32 root, const QString &path, const QString &name, const QString &value)
{
    const auto settings = openRoot(root);
    if (!settings || settings->status() != QSettings::NoError)
        return false;
    const QStringList parts = keyParts(path);
    if (!exists(*settings, parts) || !settings->isWritable())
        return false;
    const QString key = join(parts, encodedName(name));
    settings->setValue(key, value);
    settings->sync();
    if (settings->status() != QSettings::NoError) {
        // Do not let a value that never reached the disk answer later reads.
        settings->remove(key);
        return false;
    }
    return true;
}

std::optional<QString> RegistryStore::queryValue(quint32 root, const QString &path, const QString &name)
{
    const auto settings = openRoot(root);
    if (!settings || settings->status() != QSettings::NoError)
        return std::nullopt;
    const QStringList parts = keyParts(path);
    if (!exists(*settings, parts))
        return std::nullopt;
    const QVariant value = settings->value(join(parts, encodedName(name)));
    if (!value.isValid())
        return std::nullopt;
    // A hand-edited file may hold a list ("a, b"); it reads as the text it was.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    if (!value.canConvert<QString>())
        return std::nullopt;
    return value.toString();
}
