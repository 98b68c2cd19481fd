#include "ReplacingFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

mode_t modeOf(QFileDevice::Permissions permissions)
{
    mode_t mode = 0;
    if (permissions & QFileDevice::ReadOwner)
        mode |= S_IRUSR;
    if (permissions & QFileDevice::WriteOwner)
        mode |= S_IWUSR;
    if (permissions & QFileDevice::ExeOwner)
        mode |= S_IXUSR;
    if (permissions & QFileDevice::ReadGroup)
        mode |= S_IRGRP;
    if (permissions & QFileDevice::WriteGroup)
        mode |= S_IWGRP;
    if (permissions & QFileDevice::ExeGroup)
        mode |= S_IXGRP;
    if (permissions & QFileDevice::ReadOther)
        mode |= S_IROTH;
    if (permissions & QFileDevice::WriteOther)
        mode |= S_IWOTH;
    if (permissions & QFileDevice::ExeOther)
        mode |= S_IXOTH;
    return mode;
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

ReplacingFile::ReplacingFile(QString path)
    : m_path(std::move(path))
{ }

ReplacingFile::~ReplacingFile()
{
    cancel();
}

bool ReplacingFile::fail(const QString& what)
{
    m_error = QStringLiteral("%1: %2").arg(what, systemError());
    cancel();
    return false;
}

bool ReplacingFile::open(QFileDevice::Permissions permissions)
{
    cancel();
    const QFileInfo target(m_path);
    QByteArray pattern = QFile::encodeName(
        target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".XXXXXX"));
    // mkstemp creates a new file only (never through a link) and opens it 0600.
    m_fd = ::mkstemp(pattern.data());
    if (m_fd < 0)
        return fail(m_path);
    m_tempPath = QFile::decodeName(pattern);
    ::fcntl(m_fd, F_SETFD, FD_CLOEXEC);
    if (::fchmod(m_fd, modeOf(permissions)) != 0)
        return fail(m_path);
    return true;
}

bool ReplacingFile::write(const char* data, qint64 size)
{
    if (m_fd < 0) {
        m_error = QStringLiteral("%1: not open").arg(m_path);
        return false;
    }
    while (size > 0) {
        const ssize_t written = ::write(m_fd, data, static_cast<size_t>(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return fail(m_path);
        }
        data += written;
        size -= written;
    }
    return true;
}

bool ReplacingFile::commit(bool durable)
{
    if (m_fd < 0) {
        m_error = QStringLiteral("%1: not open").arg(m_path);
        return false;
    }
    if (durable && ::fsync(m_fd) != 0)
        return fail(m_path);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return fail(m_path);
    // rename() replaces the name: a link at the target is replaced, not followed.
    if (::rename(QFile::encodeName(m_tempPath).constData(), QFile::encodeName(m_path).constData()) != 0)
        return fail(m_path);
    m_tempPath.clear();
    return true;
}

void ReplacingFile::cancel()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_tempPath.isEmpty()) {
        ::unlink(QFile::encodeName(m_tempPath).constData());
        m_tempPath.clear();
    }
}

bool ReplacingFile::replace(
    const QString& path, const QByteArray& bytes, QFileDevice::Permissions permissions, QString* error, bool durable)
{
    ReplacingFile file(path);
    const bool ok = file.open(permissions) && file.write(bytes) && file.commit(durable);
    if (!ok && error)
        *error = file.errorString();
    return ok;
}

bool createNewFile(const QString& path, QFileDevice::Permissions permissions)
{
    const int fd = ::open(
        QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, modeOf(permissions));
    if (fd < 0)
        return false;
    // The mode asked for, whatever the process's umask takes away.
    const bool ok = ::fchmod(fd, modeOf(permissions)) == 0;
    ::close(fd);
    return ok;
}
