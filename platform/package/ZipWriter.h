#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Builds a zip archive in memory. Entries are written in the order added,
// so a package's first entry (OpenDocument's "mimetype") stays first.
class ZipWriter
{
public:
    // stored: written uncompressed (what OpenDocument asks of its mimetype).
    void add(const QString &name, const QByteArray &bytes, bool stored = false);
    // The archive, or empty with *error set when libzip failed.
    QByteArray finish(QString *error = nullptr) const;

private:
    struct Entry
    {
        QString name;
        QByteArray bytes;
        bool stored = false;
    };
    QList<Entry> m_entries;
};
