#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// The registry as the settings store sees it: keys under a root, string
// values under a key. On Windows it is the registry itself; elsewhere each
// root is one INI file, <configuration folder>/Quillet/<ROOT NAME>.ini, with
// keys as groups (backslashes in a path separate keys).
//
// A key exists only once created (intermediate keys with it), so a write to
// a key that was never created fails, as opening it for writing would.
// Every call reports whether it succeeded; an unwritable store (the file is
// a folder, its folder cannot be made) fails cleanly and stores nothing.
// Values come back exactly as stored: length limits and defaults are the
// caller's rules.
class RegistryStore
{
public:
    // Root handles, as 32-bit values.
    static constexpr quint32 ClassesRoot = 0x80000000u;
    static constexpr quint32 CurrentUser = 0x80000001u;
    static constexpr quint32 LocalMachine = 0x80000002u;
    static constexpr quint32 Users = 0x80000003u;
    static constexpr quint32 CurrentConfig = 0x80000005u;

    static bool createKey(quint32 root, const QString &path);
    static bool keyExists(quint32 root, const QString &path);
    static bool setValue(quint32 root, const QString &path, const QString &name, const QString &value);
    // nullopt when the key or the value is missing, or the store cannot be read.
    static std::optional<QString> queryValue(quint32 root, const QString &path, const QString &name);

    // "HKEY_LOCAL_MACHINE" and so on; empty for an unknown handle.
    static QString rootName(quint32 root);
    // Where the root is kept (the INI file; the registry root's name on Windows).
    static QString location(quint32 root);
};
