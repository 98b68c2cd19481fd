#pragma once

#include <QFileDevice>
#include <QString>

// Writes a file under a temporary name in the target's folder and, on
// commit(), renames it over the target. A crash leaves either the old file or
// the new one, whole. Unlike QSaveFile, a symbolic link standing at the
// target's name is never followed: the link itself is replaced by the new
// file, and whatever it pointed to stays as it was. The temporary file is
// removed when the writer is destroyed without a successful commit.
class ReplacingFile {
public:
    explicit ReplacingFile(QString path);
    ~ReplacingFile();

    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates the temporary file with permissions (owner read and write by
    // default). False with errorString() when the folder refuses.
    bool open(QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    bool write(const char* data, qint64 size);
    bool write(const QByteArray& bytes) { return write(bytes.constData(), bytes.size()); }
    // Renames the new file over the target; durable also waits until the
    // bytes are on the disk first.
    bool commit(bool durable = true);
    // Drops the new file; the target stays as it was.
    void cancel();

    const QString& path() const { return m_path; }
    QString errorString() const { return m_error; }

    // Replaces path with bytes in one step, as above.
    static bool replace(const QString& path, const QByteArray& bytes, QFileDevice::Permissions permissions,
        QString* error = nullptr, bool durable = true);

private:
    bool fail(const QString& what);

    QString m_path;
    QString m_tempPath;
    int m_fd = -1;
    QString m_error;
};

// Creates path as a new, empty file with permissions (owner read and write by
// default). False when anything (a file, a folder or a link) already stands
// at the name, or the folder refuses; nothing existing is ever touched.
bool createNewFile(
    const QString& path, QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner);
