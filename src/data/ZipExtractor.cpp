#include "ZipExtractor.h"

#include "Libzip.h"
#include "QuilletError.h"
#include "ReplacingFile.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

#include <memory>

namespace {

struct ArchiveCloser {
    void operator()(zip_t* archive) const { Libzip::get().discard(archive); }
};
struct MemberCloser {
    void operator()(zip_file_t* file) const { Libzip::get().fclose(file); }
};

QString libzipError(int code)
{
    const Libzip& zip = Libzip::get();
    zip_error_t error;
    zip.errorInitWithCode(&error, code);
    const QString text = QString::fromUtf8(zip.errorStrerror(&error));
    zip.errorFini(&error);
    return text;
}

QString megabytes(qint64 bytes)
{
    constexpr qint64 mebibyte = 1024 * 1024;
    if (bytes % mebibyte == 0)
        return QStringLiteral("%1 MB").arg(bytes / mebibyte);
    return QStringLiteral("%1 bytes").arg(bytes);
}

bool isLinkMember(zip_t* archive, zip_uint64_t index)
{
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (Libzip::get().fileGetExternalAttributes(archive, index, 0, &system, &attributes) != 0)
        return false;
    return system == ZIP_OPSYS_UNIX && ((attributes >> 16) & S_IFMT) == S_IFLNK;
}

// The folder a member goes into, made when missing; empty with reason set
// when that cannot be done without going through a link.
QString memberFolder(const QString& root, const QString& name, QString& reason)
{
    const QStringList parts = name.split(QLatin1Char('/'));
    QString folder = root;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        if (parts.at(i).isEmpty() || parts.at(i) == QLatin1String("."))
            continue;
        folder = QDir(folder).filePath(parts.at(i));
        const QFileInfo info(folder);
        if (info.isSymLink()) {
            reason = QStringLiteral("the folder %1 is a link").arg(parts.at(i));
            return QString();
        }
        if (info.exists() && !info.isDir()) {
            reason = QStringLiteral("%1 is not a folder").arg(parts.at(i));
            return QString();
        }
        if (!info.exists() && !QDir().mkdir(folder)) {
            reason = QStringLiteral("the folder %1 cannot be made").arg(parts.at(i));
            return QString();
        }
    }
    return folder;
}

} // namespace

QString ZipExtractor::normalisedName(const QString& name)
{
    QString result = name;
    result.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return result;
}

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

ZipExtractor::Result ZipExtractor::extract(const QString& archive, const QString& folder, const Acceptor& accept)
{
    return extract(archive, folder, accept, Limits());
}

ZipExtractor::Result ZipExtractor::extract(
    const QString& archivePath, const QString& folder, const Acceptor& accept, const Limits& limits)
{
    const Libzip& zip = Libzip::get();
    int errorCode = 0;
    std::unique_ptr<zip_t, ArchiveCloser> archive(
        zip.open(QFile::encodeName(archivePath).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &errorCode));
    if (!archive)
        throw QuilletError(QStringLiteral("%1: %2").arg(archivePath, libzipError(errorCode)));

    Result result;
    qint64 total = 0;
    const zip_int64_t count = zip.getNumEntries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        const char* rawName = zip.getName(archive.get(), index, ZIP_FL_ENC_GUESS);
        if (!rawName) {
            result.skipped.append({QStringLiteral("#%1").arg(i + 1), QStringLiteral("no readable name")});
            continue;
        }
        const QString memberName = QString::fromUtf8(rawName);
        const QString name = normalisedName(memberName);
        // Folder members make nothing: a folder appears when a file needs it.
        if (name.endsWith(QLatin1Char('/')))
            continue;
        if (!isSafeMemberName(name)) {
            result.skipped.append({memberName, QStringLiteral("outside the program directory")});
            continue;
        }
        if (isLinkMember(archive.get(), index)) {
            result.skipped.append({memberName, QStringLiteral("a link")});
            continue;
        }
        if (!accept(name)) {
            result.skipped.append({memberName, QStringLiteral("not a file a site list may bring")});
            continue;
        }
        zip_stat_t stat;
        zip.statInit(&stat);
        if (zip.statIndex(archive.get(), index, 0, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE)
            && stat.size > zip_uint64_t(limits.memberBytes)) {
            result.skipped.append({memberName, QStringLiteral("larger than %1").arg(megabytes(limits.memberBytes))});
            continue;
        }
        QString reason;
        const QString target = memberFolder(folder, name, reason);
        if (target.isEmpty()) {
            result.skipped.append({memberName, reason});
            continue;
        }
        const QString path = QDir(target).filePath(name.section(QLatin1Char('/'), -1));

        std::unique_ptr<zip_file_t, MemberCloser> member(zip.fopenIndex(archive.get(), index, 0));
        if (!member) {
            result.skipped.append({memberName, QString::fromUtf8(zip.strerror(archive.get()))});
            continue;
        }
        // A file replaced keeps its permissions; a new one is readable by all, as before.
        const QFileInfo existing(path);
        const QFileDevice::Permissions permissions = existing.isFile() && !existing.isSymLink()
            ? existing.permissions()
            : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
        ReplacingFile out(path);
        if (!out.open(permissions)) {
            result.skipped.append({memberName, out.errorString()});
            continue;
        }
        qint64 size = 0;
        char buffer[65536];
        for (;;) {
            const zip_int64_t read = zip.fread(member.get(), buffer, sizeof buffer);
            if (read < 0) {
                reason = QString::fromUtf8(zip.fileStrerror(member.get()));
                break;
            }
            if (read == 0)
                break;
            size += read;
            if (size > limits.memberBytes) {
                reason = QStringLiteral("larger than %1").arg(megabytes(limits.memberBytes));
                break;
            }
            if (total + size > limits.totalBytes) {
                reason = QStringLiteral("the archive unpacks to more than %1").arg(megabytes(limits.totalBytes));
                break;
            }
            if (!out.write(buffer, read)) {
                reason = out.errorString();
                break;
            }
        }
        if (reason.isEmpty() && !out.commit())
            reason = out.errorString();
        if (!reason.isEmpty()) {
            out.cancel();
            result.skipped.append({memberName, reason});
            continue;
        }
        total += size;
        result.extracted.append(memberName);
    }
    return result;
}
