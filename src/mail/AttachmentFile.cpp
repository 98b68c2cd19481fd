#include "AttachmentFile.h"

#include "MessageTranslator.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

AttachmentFile::~AttachmentFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString AttachmentFile::open(const QString& path)
{
    const QString cannotOpen = translateMsg(QStringLiteral("Cannot open file %1")).arg(path);
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    // O_NONBLOCK: opening a pipe must not wait for a writer; the type is checked next.
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return cannotOpen + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    struct stat info { };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return cannotOpen + QStringLiteral(": ") + translateMsg(QStringLiteral("not a regular file"));
    }
    m_fd = fd;
    m_size = static_cast<qint64>(info.st_size);
    m_fileName = QFileInfo(path).fileName();
    return QString();
}

qint64 AttachmentFile::read(qint64 offset, char* buffer, qint64 length) const
{
    if (m_fd < 0)
        return -1;
    qint64 done = 0;
    while (done < length) {
        const ssize_t n = ::pread(m_fd, buffer + done, static_cast<size_t>(length - done), offset + done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += n;
    }
    return done;
}
