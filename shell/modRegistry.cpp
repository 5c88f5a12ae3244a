#include "shell/modRegistry.h"

#include "platform/RegistryStore.h"

namespace {
// The read buffer holds 128 characters with the terminating NUL: a longer
// value does not fit, and the read falls back to the default.
constexpr int ReadBufferSize = 128;
}

namespace modRegistry {

void CreateSettingsKey(quint32 root, const QString &path)
{
    RegistryStore::createKey(root, path);
}

void SetSettingValue(quint32 root, const QString &path, const QString &valueName,
                     const QString &value)
{
    // Only an existing key is opened for writing; a failed write is not
    // reported, the store simply stays as it was.
    if (!RegistryStore::keyExists(root, path))
        return;
    RegistryStore::setValue(root, path, valueName, value);
}

QString GetSettingValue(quint32 root, const QString &path, const QString &valueName,
                        const QString &defaultValue)
{
    const std::optional<QString> stored = RegistryStore::queryValue(root, path, valueName);
    if (!stored || stored->size() >= ReadBufferSize)
        return defaultValue;
    // The text ends at the first NUL, as a C string read into the buffer.
    const qsizetype nul = stored->indexOf(QChar(u'\0'));
    return nul < 0 ? *stored : stored->left(nul);
}

}
