#pragma once

#include <QString>

// A file opened for attaching to a mail: only a regular file is opened (a
// pipe would wait for a writer, a device never ends). Opened on the
// user-interface thread, read by the sending thread; reads at an offset, so
// the mail can be sent again from the start.
class AttachmentFile {
public:
    AttachmentFile() = default;
    ~AttachmentFile();
    AttachmentFile(const AttachmentFile&) = delete;
    AttachmentFile& operator=(const AttachmentFile&) = delete;

    // Opens path. Returns an empty text on success, otherwise the error to
    // report: "Cannot open file <path>" followed by the reason.
    QString open(const QString& path);

    bool isOpen() const { return m_fd >= 0; }
    qint64 size() const { return m_size; }
    // The file's name without its folder.
    const QString& fileName() const { return m_fileName; }

    // Reads up to length bytes at offset into buffer; -1 on a read error.
    qint64 read(qint64 offset, char* buffer, qint64 length) const;

private:
    int m_fd = -1;
    qint64 m_size = 0;
    QString m_fileName;
};
