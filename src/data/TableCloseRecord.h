#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// What the program knows of its table files between two runs. At a clean
// close it notes, in the program directory's "Tables.state", each table file's
// size, modification time, inode and the engine's change counter (which every
// committed write raises). At the next open a file still exactly as noted
// needs no check at all; a file the engine has written since (the program
// ended without closing it) needs the quick check; any other file (first seen,
// replaced, or changed by something other than the engine) gets the full one.
//
// File times come from the system's coarse clock, so a file changed again
// within the same tick as the note would look unchanged: the note waits for
// the clock to move past the files' last change (a few milliseconds at most),
// and a note that did not counts as unknown. File systems that keep times
// more coarsely (FAT's two seconds) are not guarded against such edits.
class TableCloseRecord {
public:
    enum class State { AsClosed, WrittenSince, Unknown };

    // Reads the record; a missing or unreadable one knows no file.
    explicit TableCloseRecord(QString programDirectory);

    static QString fileName() { return QStringLiteral("Tables.state"); }

    State stateOf(const QString& tableFileName) const;

    // Notes the files as they are now and forgets every other. The record is
    // rewritten only when that changes it; failing to write it is harmless
    // (the next open checks the files).
    void noteClosed(const QStringList& tableFileNames);

    // How a file looks now; valid is false when it cannot be read.
    struct Identity {
        bool valid = false;
        qint64 size = 0;
        qint64 modifiedNs = 0;
        quint64 inode = 0;
        quint32 changeCounter = 0;
        bool operator==(const Identity& other) const
        {
            return valid == other.valid && size == other.size && modifiedNs == other.modifiedNs && inode == other.inode
                && changeCounter == other.changeCounter;
        }
    };
    static Identity identityOf(const QString& path);

private:
    QByteArray serialised(const QHash<QString, Identity>& entries, qint64 notedNs) const;

    QString m_directory;
    QHash<QString, Identity> m_entries;
    qint64 m_notedNs = 0; // when the record was written
};
