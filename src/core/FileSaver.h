#pragma once

#include <QByteArray>
#include <QString>

// Writes a whole file safely: the bytes go to a temporary file beside it,
// which replaces the file only once it is complete, so a crash mid-write
// leaves the old file as it was.
class FileSaver {
public:
    enum class Access {
        // A new file gets the usual mode (0666 less the umask).
        Default,
        // A new file is readable and writable by its owner only (0600), from
        // before its first byte is written: for files that hold passwords.
        OwnerOnly,
        // The file is readable and writable by its owner only (0600) after
        // the write, a file that existed with another mode included: for a
        // file that holds a password now.
        Private,
    };

    // An existing file keeps its mode unless access is Private. Returns false,
    // with the file system's words in errorText when given, when the file
    // cannot be written; the old file is then left as it was.
    static bool save(const QString& path, const QByteArray& bytes, Access access, QString* errorText = nullptr);
};
