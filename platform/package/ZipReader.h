#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

struct zip;
struct zip_source;

// Reads the entries of a zip archive held in memory. Every entry read is
// inflated in pieces and counted, so a bomb stops at the limit however small
// its header says it is; the archive's entry count and consistency (central
// directory against local headers, in what reading depends on) are checked
// when it is opened. Nothing
// here throws; failures are described in errorText(), in words for the user.
class ZipReader
{
public:
    // `bytes` must outlive the reader.
    explicit ZipReader(const QByteArray &bytes);
    ~ZipReader();
    ZipReader(const ZipReader &) = delete;
    ZipReader &operator=(const ZipReader &) = delete;

    bool isOpen() const { return m_zip != nullptr; }
    QString errorText() const { return m_error; }
    QStringList names() const { return m_names; }
    // Part names compare without case, as packages define them.
    bool contains(const QString &name) const;
    // The entry's inflated bytes. On failure (missing, damaged, encrypted,
    // past a limit) the result is empty, ok is false and errorText() says why.
    QByteArray read(const QString &name, bool *ok = nullptr, qint64 limit = -1);
    // Bytes inflated so far by all reads.
    qint64 inflated() const { return m_inflated; }

private:
    QByteArray fail(const QString &text, bool *ok);
    static QString matchesDirectory(const QByteArray &bytes, qint64 count);

    zip *m_zip = nullptr;
    zip_source *m_source = nullptr;
    QStringList m_names;
    QString m_error;
    qint64 m_inflated = 0;
};
