#include "ZipWriter.h"

#include "QuilletError.h"

#include <zip.h>

#include <memory>

namespace {

[[noreturn]] void raise(const QString& what, zip_error_t* error)
{
    const QString text = QStringLiteral("Cannot build the zip archive: %1 (%2)")
                             .arg(what, QString::fromLocal8Bit(zip_error_strerror(error)));
    zip_error_fini(error);
    throw QuilletError(text);
}

struct SourceFree {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};

} // namespace

QByteArray ZipWriter::archive(const QList<Member>& members)
{
    zip_error_t error;
    zip_error_init(&error);
    std::unique_ptr<zip_source_t, SourceFree> buffer(zip_source_buffer_create(nullptr, 0, 0, &error));
    if (!buffer)
        raise(QStringLiteral("no buffer"), &error);
    zip_t* zip = zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &error);
    if (!zip)
        raise(QStringLiteral("open"), &error);
    // The archive releases the buffer when it is closed; the buffer is kept to read the result.
    zip_source_keep(buffer.get());

    // libzip reads the members' bytes only when the archive is closed.
    for (const Member& member : members) {
        zip_source_t* source = zip_source_buffer(zip, member.second.constData(), zip_uint64_t(member.second.size()), 0);
        if (!source || zip_file_add(zip, member.first.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) < 0) {
            if (source)
                zip_source_free(source);
            zip_error_set(&error, zip_error_code_zip(zip_get_error(zip)), zip_error_code_system(zip_get_error(zip)));
            zip_discard(zip);
            raise(member.first, &error);
        }
    }
    if (zip_close(zip) < 0) {
        zip_error_set(&error, zip_error_code_zip(zip_get_error(zip)), zip_error_code_system(zip_get_error(zip)));
        zip_discard(zip);
        raise(QStringLiteral("close"), &error);
    }

    QByteArray bytes;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_source_stat(buffer.get(), &stat) < 0 || !(stat.valid & ZIP_STAT_SIZE)
        || zip_source_open(buffer.get()) < 0) {
        zip_error_set(&error, ZIP_ER_READ, 0);
        raise(QStringLiteral("read back"), &error);
    }
    bytes.resize(qsizetype(stat.size));
    const zip_int64_t read = zip_source_read(buffer.get(), bytes.data(), stat.size);
    zip_source_close(buffer.get());
    if (read < 0 || zip_uint64_t(read) != stat.size) {
        zip_error_set(&error, ZIP_ER_READ, 0);
        raise(QStringLiteral("read back"), &error);
    }
    zip_error_fini(&error);
    return bytes;
}
