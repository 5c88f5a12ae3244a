#pragma once

#include <QString>
#include <QtGlobal>

// The program's settings store: string values under one key. No call
// reports a failure: a write that cannot be made changes nothing, a read
// that cannot be made gives the default.
namespace modRegistry {

constexpr quint32 HKEY_LOCAL_MACHINE = 0x80000002u;
inline const QString QuilletKey = QStringLiteral("Software\\Tallowmere\\Quillet");

void CreateSettingsKey(quint32 root, const QString &path);
void SetSettingValue(quint32 root, const QString &path, const QString &valueName,
                     const QString &value);
// A stored value of 128 characters or more reads as the default, as it
// would not fit the read buffer; an empty stored value reads as empty.
QString GetSettingValue(quint32 root, const QString &path, const QString &valueName,
                        const QString &defaultValue);

}
