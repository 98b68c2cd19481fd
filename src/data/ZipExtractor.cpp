#include "ZipExtractor.h"

#include "QuilletError.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <zip.h>

#include <memory>

namespace {

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct MemberCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

QString normalisedName(const QString& name)
{
    QString result = name;
    result.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return result;
}

QString libzipError(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

} // namespace

bool ZipExtractor::isSafeMemberName(const QString& rawName)
{
    const QString name = normalisedName(rawName);
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')))
        return false;
    if (name.size() >= 2 && name.at(1) == QLatin1Char(':')) // a drive letter
        return false;
    const QStringList parts = name.split(QLatin1Char('/'));
    for (const QString& part : parts) {
        if (part == QLatin1String(".."))
            return false;
    }
    return true;
}

ZipExtractor::Result ZipExtractor::extractAll(const QString& archivePath, const QString& folder)
{
    int errorCode = 0;
    std::unique_ptr<zip_t, ArchiveCloser> archive(
        zip_open(QFile::encodeName(archivePath).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &errorCode));
    if (!archive)
        throw QuilletError(QStringLiteral("%1: %2").arg(archivePath, libzipError(errorCode)));

    Result result;
    const QDir target(folder);
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* rawName = zip_get_name(archive.get(), static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS);
        if (!rawName)
            throw QuilletError(QString::fromUtf8(zip_strerror(archive.get())));
        const QString memberName = QString::fromUtf8(rawName);
        if (!isSafeMemberName(memberName)) {
            result.skipped.append(memberName);
            continue;
        }
        const QString name = normalisedName(memberName);
        const QString path = target.filePath(name);
        if (name.endsWith(QLatin1Char('/'))) {
            QDir().mkpath(path);
            continue;
        }
        QDir().mkpath(QFileInfo(path).absolutePath());

        std::unique_ptr<zip_file_t, MemberCloser> member(
            zip_fopen_index(archive.get(), static_cast<zip_uint64_t>(i), 0));
        if (!member)
            throw QuilletError(
                QStringLiteral("%1: %2").arg(memberName, QString::fromUtf8(zip_strerror(archive.get()))));
        QSaveFile out(path);
        if (!out.open(QIODevice::WriteOnly))
            throw QuilletError(QStringLiteral("%1: %2").arg(path, out.errorString()));
        char buffer[65536];
        for (;;) {
            const zip_int64_t read = zip_fread(member.get(), buffer, sizeof buffer);
            if (read < 0)
                throw QuilletError(
                    QStringLiteral("%1: %2").arg(memberName, QString::fromUtf8(zip_file_strerror(member.get()))));
            if (read == 0)
                break;
            if (out.write(buffer, read) != read)
                throw QuilletError(QStringLiteral("%1: %2").arg(path, out.errorString()));
        }
        if (!out.commit())
            throw QuilletError(QStringLiteral("%1: %2").arg(path, out.errorString()));
        result.extracted.append(memberName);
    }
    return result;
}
