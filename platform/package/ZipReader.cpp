#include "ZipReader.h"

#include "ZipLimits.h"

#include <zip.h>

#include <QHash>

namespace {
QString sizeText(qint64 bytes)
{
    return QStringLiteral("%1 MB").arg(bytes / (1024 * 1024));
}

quint16 le16(const QByteArray &b, qint64 at)
{
    return quint16(uchar(b[at]) | uchar(b[at + 1]) << 8);
}

quint32 le32(const QByteArray &b, qint64 at)
{
    return quint32(le16(b, at)) | quint32(le16(b, at + 2)) << 16;
}

quint64 le64(const QByteArray &b, qint64 at)
{
    return quint64(le32(b, at)) | quint64(le32(b, at + 4)) << 32;
}

const QString damagedDirectory()
{
    return QStringLiteral("the archive is damaged: its directory does not match its entries");
}

QString libzipError(zip_error_t *error)
{
    switch (zip_error_code_zip(error)) {
    case ZIP_ER_NOZIP:
        return QStringLiteral("it is not a zip archive, or its end is missing (the file may be cut short)");
    case ZIP_ER_INCONS:
        return damagedDirectory();
    case ZIP_ER_MEMORY:
        return QStringLiteral("there is not enough memory to read the archive");
    default:
        return QStringLiteral("the archive is damaged (%1)").arg(QString::fromUtf8(zip_error_strerror(error)));
    }
}
}

ZipReader::ZipReader(const QByteArray &bytes)
{
    zip_error_t error;
    zip_error_init(&error);
    m_source = zip_source_buffer_create(bytes.constData(), zip_uint64_t(bytes.size()), 0, &error);
    if (!m_source) {
        m_error = libzipError(&error);
        zip_error_fini(&error);
        return;
    }
    // libzip's own consistency check (ZIP_CHECKCONS) also refuses local
    // headers whose time or version differ from the directory, which Word's
    // packagers write; matchesDirectory() below checks what reading depends on.
    m_zip = zip_open_from_source(m_source, ZIP_RDONLY, &error);
    if (!m_zip) {
        m_error = libzipError(&error);
        zip_error_fini(&error);
        zip_source_free(m_source);
        m_source = nullptr;
        return;
    }
    zip_error_fini(&error);
    const zip_int64_t count = zip_get_num_entries(m_zip, 0);
    if (count < 0 || count > ZipLimits::MaxEntries) {
        m_error = QStringLiteral("the archive has %1 entries, more than the %2 Quillet reads")
                      .arg(count).arg(ZipLimits::MaxEntries);
        zip_discard(m_zip);   // frees the source too
        m_zip = nullptr;
        m_source = nullptr;
        return;
    }
    const QString mismatch = matchesDirectory(bytes, count);
    if (!mismatch.isEmpty()) {
        m_error = mismatch;
        zip_discard(m_zip);
        m_zip = nullptr;
        m_source = nullptr;
        return;
    }
    m_names.reserve(qsizetype(count));
    for (zip_int64_t i = 0; i < count; ++i) {
        const char *name = zip_get_name(m_zip, zip_uint64_t(i), ZIP_FL_ENC_GUESS);
        m_names.append(name ? QString::fromUtf8(name) : QString());
    }
}

ZipReader::~ZipReader()
{
    if (m_zip)
        zip_discard(m_zip);
}

bool ZipReader::contains(const QString &name) const
{
    return m_zip && zip_name_locate(m_zip, name.toUtf8().constData(), ZIP_FL_NOCASE | ZIP_FL_ENC_GUESS) >= 0;
}

QByteArray ZipReader::fail(const QString &text, bool *ok)
{
    m_error = text;
    if (ok)
        *ok = false;
    return {};
}

QByteArray ZipReader::read(const QString &name, bool *ok, qint64 limit)
{
    if (ok)
        *ok = false;
    if (!m_zip)
        return fail(m_error.isEmpty() ? QStringLiteral("the archive could not be opened") : m_error, ok);
    const QByteArray utf8 = name.toUtf8();
    const zip_int64_t index = zip_name_locate(m_zip, utf8.constData(), ZIP_FL_NOCASE | ZIP_FL_ENC_GUESS);
    if (index < 0)
        return fail(QStringLiteral("the archive has no part \"%1\"").arg(name), ok);
    zip_stat_t stat;
    zip_stat_init(&stat);
    qint64 compressed = 0;
    if (zip_stat_index(m_zip, zip_uint64_t(index), 0, &stat) == 0) {
        if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
            return fail(QStringLiteral("its part \"%1\" is protected by a password").arg(name), ok);
        if (stat.valid & ZIP_STAT_COMP_SIZE)
            compressed = qint64(stat.comp_size);
    }
    zip_file_t *file = zip_fopen_index(m_zip, zip_uint64_t(index), 0);
    if (!file) {
        return fail(QStringLiteral("its part \"%1\" cannot be read: %2")
                        .arg(name, QString::fromUtf8(zip_strerror(m_zip))), ok);
    }
    const qint64 entryLimit = limit >= 0 ? qMin(limit, ZipLimits::MaxEntryBytes) : ZipLimits::MaxEntryBytes;
    QByteArray bytes;
    // The header's size is only a hint for the first allocation.
    if (stat.valid & ZIP_STAT_SIZE)
        bytes.reserve(qsizetype(qMin<zip_uint64_t>(stat.size, 64 * 1024 * 1024)));
    char chunk[64 * 1024];
    QString problem;
    for (;;) {
        const zip_int64_t got = zip_fread(file, chunk, sizeof chunk);
        if (got < 0) {
            problem = QStringLiteral("its part \"%1\" is damaged: %2")
                          .arg(name, QString::fromUtf8(zip_file_strerror(file)));
            break;
        }
        if (got == 0)
            break;
        m_inflated += got;
        if (bytes.size() + got > entryLimit) {
            problem = QStringLiteral("its part \"%1\" inflates to more than %2, past what Quillet reads")
                          .arg(name, sizeText(entryLimit));
            break;
        }
        if (m_inflated > ZipLimits::MaxTotalBytes) {
            problem = QStringLiteral("its parts inflate to more than %1 together, past what Quillet reads")
                          .arg(sizeText(ZipLimits::MaxTotalBytes));
            break;
        }
        bytes.append(chunk, qsizetype(got));
        if (bytes.size() > ZipLimits::MinBombBytes && bytes.size() > qMax<qint64>(compressed, 1) * ZipLimits::MaxRatio) {
            problem = QStringLiteral("its part \"%1\" inflates more than %2 times over: it looks like a zip bomb")
                          .arg(name).arg(ZipLimits::MaxRatio);
            break;
        }
    }
    zip_fclose(file);
    if (!problem.isEmpty())
        return fail(problem, ok);
    if (ok)
        *ok = true;
    return bytes;
}

// Walks the central directory and holds each entry's local header to it: the
// same name, the same compression, the same sizes and checksum (unless they
// follow the data, or are deferred to zip64's fields), and its data lying
// before the directory. Times, versions, flags and extra fields may differ:
// nothing read depends on them. Returns the reason it does not, or nothing.
QString ZipReader::matchesDirectory(const QByteArray &bytes, qint64 count)
{
    const qint64 size = bytes.size();
    // The end record: the last one whose directory lies inside the file.
    qint64 end = -1;
    quint64 cdOffset = 0, cdSize = 0, entries = 0;
    for (qint64 at = size - 22; at >= 0 && at >= size - 22 - 65535; --at) {
        if (le32(bytes, at) != 0x06054b50u)
            continue;
        cdSize = le32(bytes, at + 12);
        cdOffset = le32(bytes, at + 16);
        entries = le16(bytes, at + 10);
        if (cdOffset == 0xffffffffu || entries == 0xffffu || cdSize == 0xffffffffu) {
            // zip64: the locator just before points at the real record.
            if (at < 20 || le32(bytes, at - 20) != 0x07064b50u)
                continue;
            const quint64 record = le64(bytes, at - 12);
            if (size < 56 || record > quint64(size - 56) || le32(bytes, qint64(record)) != 0x06064b50u)
                continue;
            entries = le64(bytes, qint64(record) + 32);
            cdSize = le64(bytes, qint64(record) + 40);
            cdOffset = le64(bytes, qint64(record) + 48);
        }
        if (cdOffset <= quint64(at) && cdSize <= quint64(at) - cdOffset && entries == quint64(count)) {
            end = at;
            break;
        }
    }
    if (end < 0)
        return damagedDirectory();
    qint64 at = qint64(cdOffset);
    const qint64 cdEnd = qint64(cdOffset + cdSize);
    for (qint64 i = 0; i < count; ++i) {
        if (at + 46 > cdEnd || le32(bytes, at) != 0x02014b50u)
            return damagedDirectory();
        const quint16 method = le16(bytes, at + 10);
        const quint32 crc = le32(bytes, at + 16);
        quint64 compressed = le32(bytes, at + 20);
        quint64 inflated = le32(bytes, at + 24);
        const qint64 nameLength = le16(bytes, at + 28);
        const qint64 extraLength = le16(bytes, at + 30);
        const qint64 commentLength = le16(bytes, at + 32);
        quint64 local = le32(bytes, at + 42);
        const qint64 next = at + 46 + nameLength + extraLength + commentLength;
        if (next > cdEnd)
            return damagedDirectory();
        const QByteArray name = bytes.mid(at + 46, nameLength);
        // Sizes and offset past 32 bits are in the zip64 extra field, in this order.
        const bool wideInflated = inflated == 0xffffffffu, wideCompressed = compressed == 0xffffffffu;
        if (wideInflated || wideCompressed || local == 0xffffffffu) {
            for (qint64 e = at + 46 + nameLength; e + 4 <= at + 46 + nameLength + extraLength;) {
                const quint16 id = le16(bytes, e), length = le16(bytes, e + 2);
                if (id == 0x0001) {
                    qint64 field = e + 4;
                    const qint64 fieldEnd = field + length;
                    auto take = [&](quint64 &value) {
                        if (field + 8 <= fieldEnd && fieldEnd <= next) {
                            value = le64(bytes, field);
                            field += 8;
                        }
                    };
                    if (wideInflated)
                        take(inflated);
                    if (wideCompressed)
                        take(compressed);
                    if (local == 0xffffffffu)
                        take(local);
                    break;
                }
                e += 4 + length;
            }
        }
        if (local > quint64(cdOffset) || quint64(cdOffset) - local < 30)
            return damagedDirectory();
        const qint64 lh = qint64(local);
        if (le32(bytes, lh) != 0x04034b50u)
            return damagedDirectory();
        const quint16 flags = le16(bytes, lh + 6);
        const qint64 localName = le16(bytes, lh + 26);
        const qint64 localExtra = le16(bytes, lh + 28);
        const qint64 data = lh + 30 + localName + localExtra;
        if (data > qint64(cdOffset) || compressed > quint64(cdOffset - quint64(data)))
            return damagedDirectory();
        if (le16(bytes, lh + 8) != method || bytes.mid(lh + 30, localName) != name)
            return damagedDirectory();
        const quint32 localCrc = le32(bytes, lh + 14);
        const quint32 localCompressed = le32(bytes, lh + 18);
        const quint32 localInflated = le32(bytes, lh + 22);
        // With a data descriptor (flag 3) the header may leave the checksum
        // and sizes 0; zip64 leaves sizes all ones for its extra field.
        const bool deferred = flags & 0x0008;
        const auto sizeAgrees = [deferred](quint32 local, quint64 central) {
            return local == central || local == 0xffffffffu || (deferred && local == 0);
        };
        if ((localCrc != crc && !(deferred && localCrc == 0)) || !sizeAgrees(localCompressed, compressed)
            || !sizeAgrees(localInflated, inflated))
            return damagedDirectory();
        at = next;
    }
    return {};
}
