#include "SubmissionRun.h"

#include "MessageTranslation.h"
#include "QuilletError.h"
#include "Sql.h"
#include "SubmissionDatabase.h"
#include "TableSchema.h"

#include <QHash>

namespace {

const QString kRuns = QStringLiteral("SubmissionRuns");

QString schema()
{
    return TableSchema::tableName(Table::ProgSite);
}

QString runsTable()
{
    return Sql::quoted(schema()) + QLatin1Char('.') + kRuns;
}

void ensureTables(const QSqlDatabase& db)
{
    for (const TableDef& def : TableSchema::companionTables(Table::ProgSite))
        TableSchema::createCompanionTable(db, def, schema());
}

HistoryEntry::Kind historyKind(RunKind kind)
{
    return kind == RunKind::Submit ? HistoryEntry::Kind::Submit : HistoryEntry::Kind::Update;
}

QString kindText(RunKind kind)
{
    return HistoryEntry::kindText(historyKind(kind));
}

// The flags an outcome sets.
QVector<QPair<QString, bool>> flagsOf(HistoryEntry::Outcome outcome)
{
    switch (outcome) {
    case HistoryEntry::Outcome::Submitted:
    case HistoryEntry::Outcome::SubmittedByMail:
        return {{QStringLiteral("Submitted"), true}};
    case HistoryEntry::Outcome::NotApplicable:
        return {{QStringLiteral("NotApplicable"), true}};
    case HistoryEntry::Outcome::Published:
        return {{QStringLiteral("Published"), true}};
    case HistoryEntry::Outcome::Cleared:
        return {{QStringLiteral("Submitted"), false}, {QStringLiteral("Published"), false},
            {QStringLiteral("NotApplicable"), false}};
    case HistoryEntry::Outcome::Skipped:
    case HistoryEntry::Outcome::MailFailed:
        break;
    }
    return {};
}

} // namespace

SubmissionRun::SubmissionRun(SubmissionDatabase& dm, QObject* parent)
    : QObject(parent)
    , m_dm(dm)
{ }

std::optional<SubmissionRun::Record> SubmissionRun::unfinishedRun(const SubmissionDatabase& dm)
{
    if (!dm.isTableOpen(Table::ProgSite) || !TableSchema::hasTable(dm.database(), schema(), kRuns))
        return std::nullopt;
    QSqlQuery query = Sql::exec(dm.database(),
        QStringLiteral("SELECT RunId, ProgramName, RunKind, LastSite, Phase, Total FROM %1 WHERE Finished = 0 "
                       "ORDER BY RunId DESC LIMIT 1")
            .arg(runsTable()));
    if (!query.next())
        return std::nullopt;
    Record run;
    run.id = query.value(0).toLongLong();
    run.program = query.value(1).toString();
    run.kind = query.value(2).toString() == kindText(RunKind::Update) ? RunKind::Update : RunKind::Submit;
    run.lastSite = query.value(3).toString();
    run.skippedPass = query.value(4).toInt() == 1;
    run.total = query.value(5).toInt();
    return run;
}

RunQueue SubmissionRun::queue() const
{
    return RunQueue::forRun(m_dm, m_run.program, m_run.kind);
}

bool SubmissionRun::start(RunKind kind)
{
    m_current.reset();
    m_visited.clear();
    m_run = Record();
    m_run.program = m_dm.programFlags().program();
    m_run.kind = kind;
    const RunQueue sites = queue();
    const std::optional<QueueEntry> first = sites.nextAfter(QString());
    if (!first)
        return false;
    m_run.total = sites.count();
    QSqlDatabase db = m_dm.database();
    Sql::inTransaction(db, [&] {
        ensureTables(db);
        QSqlQuery close
            = Sql::exec(db, QStringLiteral("UPDATE %1 SET Finished = 1 WHERE Finished = 0").arg(runsTable()));
        close.finish();
        QSqlQuery insert = Sql::exec(db,
            QStringLiteral("INSERT INTO %1 (ProgramName, RunKind, Started, LastSite, Phase, Total, Finished) "
                           "VALUES (?, ?, ?, '', 0, ?, 0)")
                .arg(runsTable()),
            {m_run.program, kindText(kind), QDateTime::currentDateTimeUtc().toString(Qt::ISODate), m_run.total});
        m_run.id = insert.lastInsertId().toLongLong();
        insert.finish();
    });
    return open(*first);
}

bool SubmissionRun::resume(const Record& run)
{
    m_current.reset();
    m_visited.clear();
    m_run = run;
    if (m_dm.programFlags().program() != run.program)
        throw QuilletError(
            translateMessage(QStringLiteral("Choose the program \"%1\" to resume its run.")).arg(run.program));
    for (const HistoryEntry& entry : SubmissionHistory::readRun(m_dm.database(), run.id)) {
        if (!m_visited.contains(entry.site))
            m_visited.append(entry.site);
    }
    m_passStart = run.skippedPass ? static_cast<int>(m_visited.size()) : 0;
    if (run.skippedPass)
        m_passLength = static_cast<int>(queue().entries(skippedSites()).size());
    advance(run.lastSite);
    return isActive();
}

bool SubmissionRun::open(const QueueEntry& entry)
{
    if (!m_dm.sites().locate(entry.siteName))
        return false;
    m_current = entry;
    if (m_visited.isEmpty() || m_visited.last() != entry.siteName) {
        m_visited.removeAll(entry.siteName);
        m_visited.append(entry.siteName);
    }
    updatePosition();
    Q_EMIT siteChanged();
    return true;
}

void SubmissionRun::updatePosition()
{
    if (m_run.skippedPass) {
        m_position = std::max(1, static_cast<int>(m_visited.size()) - m_passStart);
        m_length = std::max(m_passLength, m_position);
    } else {
        m_position = static_cast<int>(m_visited.size());
        m_length = std::max(m_run.total, m_position);
    }
}

QStringList SubmissionRun::skippedSites() const
{
    QHash<QString, HistoryEntry::Outcome> last;
    QStringList order;
    for (const HistoryEntry& entry : SubmissionHistory::readRun(m_dm.database(), m_run.id)) {
        if (!last.contains(entry.site))
            order.append(entry.site);
        last.insert(entry.site, entry.outcome);
    }
    QStringList skipped;
    for (const QString& site : order) {
        if (last.value(site) == HistoryEntry::Outcome::Skipped)
            skipped.append(site);
    }
    return skipped;
}

void SubmissionRun::advance(const QString& from)
{
    const RunQueue sites = queue();
    QString after = from;
    for (;;) {
        std::optional<QueueEntry> next;
        if (!m_run.skippedPass) {
            next = sites.nextAfter(after);
            if (!next) {
                const QStringList skipped = skippedSites();
                const QVector<QueueEntry> again = skipped.isEmpty() ? QVector<QueueEntry>() : sites.entries(skipped);
                if (again.isEmpty()) {
                    finish();
                    return;
                }
                // The skipped sites come round once more, from the start of the queue.
                m_run.skippedPass = true;
                m_run.lastSite.clear();
                m_visited.clear();
                m_passStart = 0;
                m_passLength = static_cast<int>(again.size());
                storeRun();
                next = again.first();
            }
        } else {
            const QStringList skipped = skippedSites();
            if (!skipped.isEmpty())
                next = sites.nextAfter(after, skipped);
            if (!next) {
                finish();
                return;
            }
        }
        if (open(*next))
            return;
        // A site that left the site list meanwhile is passed over.
        after = next->siteName;
    }
}

void SubmissionRun::finish()
{
    m_run.finished = true;
    m_current.reset();
    storeRun();
    Q_EMIT finished();
}

void SubmissionRun::writeRun()
{
    QSqlQuery update = Sql::exec(m_dm.database(),
        QStringLiteral("UPDATE %1 SET LastSite = ?, Phase = ?, Finished = ? WHERE RunId = ?").arg(runsTable()),
        {m_run.lastSite.isNull() ? QStringLiteral("") : m_run.lastSite, m_run.skippedPass ? 1 : 0,
            m_run.finished ? 1 : 0, m_run.id});
    update.finish();
}

void SubmissionRun::storeRun()
{
    QSqlDatabase db = m_dm.database();
    Sql::inTransaction(db, [&] { writeRun(); });
}

void SubmissionRun::recordOutcome(HistoryEntry::Outcome outcome)
{
    if (!m_current)
        return;
    if (m_dm.programFlags().program() != m_run.program)
        throw QuilletError(translateMessage(QStringLiteral("The run is for the program \"%1\"; choose it again in "
                                                           "the programs list to go on."))
                               .arg(m_run.program));
    const QString site = m_current->siteName;
    if (!m_dm.sites().locate(site))
        throw QuilletError(
            translateMessage(QStringLiteral("The site \"%1\" is no longer in the site list.")).arg(site));
    const Record before = m_run;
    if (outcome != HistoryEntry::Outcome::MailFailed)
        m_run.lastSite = site;
    try {
        mark(m_dm, outcome, historyKind(m_run.kind), m_run.id, [this] { writeRun(); });
    } catch (...) {
        m_run = before;
        throw;
    }
    if (outcome != HistoryEntry::Outcome::MailFailed)
        advance(site);
}

void SubmissionRun::mark(SubmissionDatabase& dm, HistoryEntry::Outcome outcome, HistoryEntry::Kind kind, qint64 runId,
    const std::function<void()>& alsoWrite)
{
    HistoryEntry entry;
    entry.time = QDateTime::currentDateTimeUtc();
    entry.program = dm.programFlags().program();
    entry.site = dm.sites().currentSiteName();
    entry.kind = kind;
    entry.outcome = outcome;
    entry.runId = runId;
    const QVector<QPair<QString, bool>> flags = flagsOf(outcome);
    QSqlDatabase db = dm.database();
    const auto writes = [&] {
        SubmissionHistory::append(db, entry);
        if (alsoWrite)
            alsoWrite();
    };
    if (flags.isEmpty()) {
        dm.requireOpen(Table::ProgSite);
        Sql::inTransaction(db, writes);
    } else {
        dm.setProgSiteFlags(flags, writes);
    }
}

bool SubmissionRun::back()
{
    if (!m_current || m_visited.size() < 2)
        return false;
    const QString previous = m_visited.at(m_visited.size() - 2);
    const std::optional<QueueEntry> page = queue().pageOf(previous);
    if (!page || !m_dm.sites().locate(previous))
        return false;
    m_visited.removeLast();
    return open(*page);
}

void SubmissionRun::stop()
{
    // Every outcome is stored already: what is left is the run's position.
    m_current.reset();
    m_visited.clear();
}
