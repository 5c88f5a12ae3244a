#include "shell/modRegistry.h"

namespace modRegistry {

void CreateSettingsKey(quint32 root, const QString &path)
{
    Q_UNUSED(root);
    Q_UNUSED(path);
}

void SetSettingValue(quint32 root, const QString &path, const QString &valueName,
                     const QString &value)
{
    Q_UNUSED(root);
    Q_UNUSED(path);
    Q_UNUSED(valueName);
    Q_UNUSED(value);
}

QString GetSettingValue(quint32 root, const QString &path, const QString &valueName,
                        const QString &defaultValue)
{
    Q_UNUSED(root);
    Q_UNUSED(path);
    Q_UNUSED(valueName);
    return defaultValue;
}

}
