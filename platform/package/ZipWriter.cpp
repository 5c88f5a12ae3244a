#include "ZipWriter.h"

#include <zip.h>

#include <memory>

void ZipWriter::add(const QString &name, const QByteArray &bytes, bool stored)
{
    m_entries.append(Entry{name, bytes, stored});
}

QByteArray ZipWriter::finish(QString *error) const
{
    auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return QByteArray();
    };
    zip_error_t zerror;
    zip_error_init(&zerror);
    zip_source_t *target = zip_source_buffer_create(nullptr, 0, 0, &zerror);
    if (!target) {
        zip_error_fini(&zerror);
        return fail(QStringLiteral("the archive could not be started"));
    }
    zip_t *archive = zip_open_from_source(target, ZIP_TRUNCATE, &zerror);
    zip_error_fini(&zerror);
    if (!archive) {
        zip_source_free(target);
        return fail(QStringLiteral("the archive could not be started"));
    }
    // The buffer outlives the archive: the bytes are taken from it after close.
    zip_source_keep(target);
    for (const Entry &entry : m_entries) {
        // The entries' bytes are ours until zip_close has written them.
        zip_source_t *data = zip_source_buffer(archive, entry.bytes.constData(), zip_uint64_t(entry.bytes.size()), 0);
        const QByteArray name = entry.name.toUtf8();
        const zip_int64_t index = data ? zip_file_add(archive, name.constData(), data, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (data)
                zip_source_free(data);
            const QString why = QString::fromUtf8(zip_strerror(archive));
            zip_discard(archive);
            zip_source_free(target);
            return fail(QStringLiteral("\"%1\" could not be added to the archive: %2").arg(entry.name, why));
        }
        zip_set_file_compression(archive, zip_uint64_t(index), entry.stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
        // A fixed time: the same document gives the same bytes.
        zip_file_set_mtime(archive, zip_uint64_t(index), 315532800 + 86400, 0);
    }
    if (zip_close(archive) != 0) {
        const QString why = QString::fromUtf8(zip_strerror(archive));
        zip_discard(archive);
        zip_source_free(target);
        return fail(QStringLiteral("the archive could not be written: %1").arg(why));
    }
    QByteArray bytes;
    if (zip_source_open(target) == 0) {
        zip_source_seek(target, 0, SEEK_END);
        const zip_int64_t size = zip_source_tell(target);
        zip_source_seek(target, 0, SEEK_SET);
        if (size > 0) {
            bytes.resize(qsizetype(size));
            if (zip_source_read(target, bytes.data(), zip_uint64_t(size)) != size)
                bytes.clear();
        }
        zip_source_close(target);
    }
    zip_source_free(target);
    if (bytes.isEmpty())
        return fail(QStringLiteral("the archive could not be written"));
    return bytes;
}
