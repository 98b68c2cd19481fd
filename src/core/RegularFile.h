#pragma once

#include <QString>

class QFile;

// Opens a file that a user, a peer or a server named, for reading, when it is
// a regular file (a link to one is followed). A FIFO, socket, device or folder
// is refused at once: nothing ever waits for a writer at the other end of a
// FIFO or reads from a device.
class RegularFile {
public:
    enum class Problem {
        None,
        Missing,    // no such file (or a link that leads nowhere)
        Folder,     // a folder stands at the path
        NotRegular, // a FIFO, socket or device
        Unreadable, // the file system refused (permissions, I/O error)
    };

    // Opens file read-only on path. On success file is open (on its file
    // descriptor: fileName() is empty); on failure file stays closed and
    // reason (when given) holds the file system's own words for an
    // Unreadable file.
    static Problem open(QFile& file, const QString& path, QString* reason = nullptr);

    // Opens path for appending, creating it readable and writable by its
    // owner only (0600) when missing; an existing file is set to 0600 too. Only
    // a regular file is taken, and never through a link: a FIFO, socket,
    // device, folder or link at the path is refused at once (NotRegular or
    // Folder) without waiting for anything; the file system's refusal gives
    // Unreadable with its words in reason.
    static Problem openForAppend(QFile& file, const QString& path, QString* reason = nullptr);

    // As open, but raises QuilletError with problemText() on failure.
    static void openOrRaise(QFile& file, const QString& path);

    // "<path> does not exist.", "<path> is a folder.", "<path> is not a
    // regular file." or "Cannot read <path>: <reason>", translated.
    static QString problemText(Problem problem, const QString& path, const QString& reason = QString());
};
