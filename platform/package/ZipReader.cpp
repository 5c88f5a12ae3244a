#include "ZipReader.h"

#include "ZipLimits.h"

#include <zip.h>

#include <QHash>

namespace {
QString sizeText(qint64 bytes)
{
    return QStringLiteral("%1 MB").arg(bytes / (1024 * 1024));
}

QString libzipError(zip_error_t *error)
{
    switch (zip_error_code_zip(error)) {
    case ZIP_ER_NOZIP:
        return QStringLiteral("it is not a zip archive, or its end is missing (the file may be cut short)");
    case ZIP_ER_INCONS:
        return QStringLiteral("the archive is damaged: its directory does not match its entries");
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
    // ZIP_CHECKCONS compares every local header with its directory entry:
    // an archive that says two things about one entry is refused.
    m_zip = zip_open_from_source(m_source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
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
