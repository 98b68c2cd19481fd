#include "RegularFile.h"

#include "MessageTranslation.h"
#include "QuilletError.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Hands a descriptor opened without blocking to the file, in blocking mode;
// the descriptor is closed when that fails.
RegularFile::Problem adopt(QFile& file, int fd, const QString& path, QIODevice::OpenMode mode, QString* reason)
{
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    file.setFileName(path);
    if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        if (reason)
            *reason = file.errorString();
        return RegularFile::Problem::Unreadable;
    }
    return RegularFile::Problem::None;
}

} // namespace
#endif

RegularFile::Problem RegularFile::open(QFile& file, const QString& path, QString* reason)
{
    if (file.isOpen())
        file.close();
#ifdef Q_OS_UNIX
    // Opened without blocking, so that a FIFO without a writer returns at once;
    // the kind of file is then taken from the open descriptor itself, so a file
    // swapped for something else between a check and the open cannot slip through.
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR || (error == ELOOP && !QFileInfo::exists(path)))
            return Problem::Missing;
        if (reason)
            *reason = QString::fromLocal8Bit(std::strerror(error));
        return Problem::Unreadable;
    }
    struct stat status { };
    if (::fstat(fd, &status) != 0) {
        const int error = errno;
        ::close(fd);
        if (reason)
            *reason = QString::fromLocal8Bit(std::strerror(error));
        return Problem::Unreadable;
    }
    if (S_ISDIR(status.st_mode)) {
        ::close(fd);
        return Problem::Folder;
    }
    if (!S_ISREG(status.st_mode)) {
        ::close(fd);
        return Problem::NotRegular;
    }
    return adopt(file, fd, path, QIODevice::ReadOnly, reason);
#else
    const QFileInfo info(path);
    if (!info.exists())
        return Problem::Missing;
    if (info.isDir())
        return Problem::Folder;
    if (!info.isFile())
        return Problem::NotRegular;
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (reason)
            *reason = file.errorString();
        return Problem::Unreadable;
    }
    return Problem::None;
#endif
}

RegularFile::Problem RegularFile::openForAppend(QFile& file, const QString& path, QString* reason)
{
    if (file.isOpen())
        file.close();
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(path);
    // O_NONBLOCK: a FIFO without a reader fails or returns at once instead of
    // waiting; O_NOFOLLOW: a link at the name is refused, not written through.
    const int fd = ::open(name.constData(),
        O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | O_NOFOLLOW, S_IRUSR | S_IWUSR);
    if (fd < 0) {
        const int error = errno;
        if (error == ELOOP || error == ENXIO)
            return Problem::NotRegular;
        if (error == EISDIR)
            return Problem::Folder;
        if (reason)
            *reason = QString::fromLocal8Bit(std::strerror(error));
        return Problem::Unreadable;
    }
    struct stat status { };
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        const bool folder = S_ISDIR(status.st_mode);
        ::close(fd);
        return folder ? Problem::Folder : Problem::NotRegular;
    }
    if ((status.st_mode & 0777) != (S_IRUSR | S_IWUSR))
        ::fchmod(fd, S_IRUSR | S_IWUSR);
    return adopt(file, fd, path, QIODevice::WriteOnly | QIODevice::Append, reason);
#else
    const QFileInfo info(path);
    if (info.isDir())
        return Problem::Folder;
    if (info.exists() && (!info.isFile() || info.isSymLink()))
        return Problem::NotRegular;
    file.setFileName(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        if (reason)
            *reason = file.errorString();
        return Problem::Unreadable;
    }
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return Problem::None;
#endif
}

void RegularFile::openOrRaise(QFile& file, const QString& path)
{
    QString reason;
    const Problem problem = open(file, path, &reason);
    if (problem != Problem::None)
        throw QuilletError(problemText(problem, path, reason));
}

QString RegularFile::problemText(Problem problem, const QString& path, const QString& reason)
{
    switch (problem) {
    case Problem::None:
        break;
    case Problem::Missing:
        return path + QLatin1Char(' ') + translateMessage(QStringLiteral("does not exist."));
    case Problem::Folder:
        return path + QLatin1Char(' ') + translateMessage(QStringLiteral("is a folder."));
    case Problem::NotRegular:
        return path + QLatin1Char(' ') + translateMessage(QStringLiteral("is not a regular file."));
    case Problem::Unreadable:
        return translateMessage(QStringLiteral("Cannot read %1: %2")).arg(path, reason);
    }
    return QString();
}
