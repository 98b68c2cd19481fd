#pragma once

#include <QLockFile>
#include <QString>

// Keeps a second site list update in the same program folder (another
// window, quillet-cli) from running while one downloads or merges: a lock
// file, program directory + "quillet-update.lock", held while the object
// lives. A lock left by a program that has ended is taken over.
class SiteUpdateLock {
public:
    explicit SiteUpdateLock(const QString& programDirectory);

    // True when this object now holds the lock; false at once when another
    // program holds it.
    bool acquire();
    bool isHeld() const { return m_held; }

    // "A site list update is already running in <folder>. Wait until it has
    // ended and try again." (translated).
    static QString busyText(const QString& programDirectory);

private:
    QLockFile m_lock;
    bool m_held = false;
};
