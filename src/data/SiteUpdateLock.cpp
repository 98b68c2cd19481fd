#include "SiteUpdateLock.h"

#include "MessageTranslation.h"

#include <QDir>

SiteUpdateLock::SiteUpdateLock(const QString& programDirectory)
    : m_lock(programDirectory + QStringLiteral("quillet-update.lock"))
{
    // Never stale by age: an update may take long. A lock whose program has
    // ended is recognised by its process id.
    m_lock.setStaleLockTime(0);
}

bool SiteUpdateLock::acquire()
{
    if (!m_held)
        m_held = m_lock.tryLock(0);
    return m_held;
}

QString SiteUpdateLock::busyText(const QString& programDirectory)
{
    return translateMessage(QStringLiteral("A site list update is already running in %1. Wait until it has ended "
                                           "and try again."))
        .arg(QDir::toNativeSeparators(programDirectory));
}
