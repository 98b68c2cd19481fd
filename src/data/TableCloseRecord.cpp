#include "TableCloseRecord.h"

#include "ReplacingFile.h"

#include <QFile>

#include <algorithm>

#include <sys/stat.h>
#include <time.h>

namespace {

// The engine's file change counter: four bytes, big-endian, at offset 24.
constexpr int kCounterOffset = 24;
constexpr qint64 kRecordLimit = 64 * 1024;

// The clock the kernel stamps file times with.
qint64 coarseNowNs()
{
    struct timespec now { };
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// Waits (a clock tick at most) until the coarse clock has passed ns.
qint64 coarseTimeAfter(qint64 ns)
{
    qint64 now = coarseNowNs();
    for (int i = 0; i < 200 && now <= ns; ++i) {
        struct timespec pause {
            0, 250'000
        };
        ::nanosleep(&pause, nullptr);
        now = coarseNowNs();
    }
    return now;
}

} // namespace

TableCloseRecord::TableCloseRecord(QString programDirectory)
    : m_directory(std::move(programDirectory))
{
    QFile file(m_directory + fileName());
    if (!file.open(QIODevice::ReadOnly) || file.size() > kRecordLimit)
        return;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> parts = line.split('\t');
        bool ok = true;
        if (parts.size() == 2 && parts.at(0) == "noted") {
            m_notedNs = parts.at(1).toLongLong(&ok);
            if (!ok)
                m_notedNs = 0;
            continue;
        }
        if (parts.size() != 5)
            continue;
        Identity identity;
        bool read[4] = {};
        identity.size = parts.at(1).toLongLong(&read[0]);
        identity.modifiedNs = parts.at(2).toLongLong(&read[1]);
        identity.inode = parts.at(3).toULongLong(&read[2]);
        identity.changeCounter = parts.at(4).toUInt(&read[3]);
        identity.valid = std::all_of(std::begin(read), std::end(read), [](bool b) { return b; });
        if (identity.valid)
            m_entries.insert(QString::fromUtf8(parts.at(0)), identity);
    }
}

TableCloseRecord::Identity TableCloseRecord::identityOf(const QString& path)
{
    Identity identity;
    struct stat info { };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return identity;
    identity.size = info.st_size;
    identity.modifiedNs = qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    identity.inode = info.st_ino;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return identity;
    const QByteArray header = file.read(kCounterOffset + 4);
    if (header.size() == kCounterOffset + 4) {
        const auto* bytes = reinterpret_cast<const uchar*>(header.constData() + kCounterOffset);
        identity.changeCounter
            = (quint32(bytes[0]) << 24) | (quint32(bytes[1]) << 16) | (quint32(bytes[2]) << 8) | quint32(bytes[3]);
    }
    identity.valid = true;
    return identity;
}

TableCloseRecord::State TableCloseRecord::stateOf(const QString& tableFileName) const
{
    const auto found = m_entries.constFind(tableFileName);
    if (found == m_entries.constEnd() || found->modifiedNs >= m_notedNs)
        return State::Unknown;
    const Identity now = identityOf(m_directory + tableFileName);
    if (!now.valid)
        return State::Unknown;
    if (now == *found)
        return State::AsClosed;
    if (now.inode == found->inode && now.changeCounter != found->changeCounter)
        return State::WrittenSince;
    return State::Unknown;
}

QByteArray TableCloseRecord::serialised(const QHash<QString, Identity>& entries, qint64 notedNs) const
{
    QStringList names = entries.keys();
    names.sort();
    QByteArray text = "noted\t" + QByteArray::number(notedNs) + '\n';
    for (const QString& name : names) {
        const Identity& identity = entries[name];
        text += name.toUtf8() + '\t' + QByteArray::number(identity.size) + '\t'
            + QByteArray::number(identity.modifiedNs) + '\t' + QByteArray::number(identity.inode) + '\t'
            + QByteArray::number(identity.changeCounter) + '\n';
    }
    return text;
}

void TableCloseRecord::noteClosed(const QStringList& tableFileNames)
{
    QHash<QString, Identity> entries;
    qint64 latest = 0;
    for (const QString& name : tableFileNames) {
        const Identity identity = identityOf(m_directory + name);
        if (identity.valid) {
            entries.insert(name, identity);
            latest = std::max(latest, identity.modifiedNs);
        }
    }
    // Unchanged files, noted after their last change: nothing to write.
    bool settled = entries == m_entries;
    for (const Identity& identity : std::as_const(m_entries))
        settled = settled && identity.modifiedNs < m_notedNs;
    if (settled)
        return;
    const qint64 noted = coarseTimeAfter(latest);
    QString error;
    if (!ReplacingFile::replace(m_directory + fileName(), serialised(entries, noted),
            QFileDevice::ReadOwner | QFileDevice::WriteOwner, &error, false)) {
        qWarning("The table state could not be noted: %s", qPrintable(error));
        return;
    }
    m_entries = entries;
    m_notedNs = noted;
}
