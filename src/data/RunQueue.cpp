#include "RunQueue.h"

#include "Helpers.h"
#include "SiteCheckStore.h"
#include "Sql.h"
#include "SubmissionDatabase.h"

namespace {

// The page a run opens, with the page commands' fall-backs: the submit page,
// else the home page; the update page, else the submit page.
const QString kSubmitLink = QStringLiteral("coalesce(nullif(SubmitUrl, ''), HomeUrl, '')");
const QString kUpdateLink = QStringLiteral("coalesce(nullif(UpdateUrl, ''), nullif(SubmitUrl, ''), HomeUrl, '')");

// The sites whose flags for the program (bound first) pass a condition; read
// once per query.
QString flaggedSites(const QString& condition)
{
    return QStringLiteral("(SELECT SiteName FROM ProgSite.ProgSite WHERE ProgramName = ? AND SiteName IS NOT NULL "
                          "AND (%1))")
        .arg(condition);
}

QString nonNull(const QString& text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

} // namespace

RunQueue::RunQueue(const SubmissionDatabase& dm, const QString& program, RunKind kind)
    : m_db(dm.database())
    , m_filterSql(dm.sites().filter().sql())
    , m_filterParams(dm.sites().filter().parameters())
    , m_program(program)
    , m_kind(kind)
{
    dm.requireOpen(Table::Sites);
    dm.requireOpen(Table::ProgSite);
}

RunQueue RunQueue::forRun(SubmissionDatabase& dm, const QString& program, RunKind kind)
{
    RunQueue queue(dm, program, kind);
    if (kind == RunKind::Submit) {
        const QStringList gone = SiteCheckStore(dm).goneSiteNames();
        queue.setExcludedSites(QSet<QString>(gone.begin(), gone.end()));
    }
    return queue;
}

QVector<QueueEntry> RunQueue::select(
    const QString& extraCondition, const QVariantList& extraParams, int limit, bool anySite) const
{
    const QString link = m_kind == RunKind::Submit ? kSubmitLink : kUpdateLink;
    QString sql = QStringLiteral("SELECT SiteName, %1 FROM Sites.Sites WHERE (").arg(link)
        + (anySite ? QStringLiteral("1") : m_filterSql) + QStringLiteral(") AND ");
    QVariantList params = anySite ? QVariantList() : m_filterParams;
    if (anySite) {
        sql += QStringLiteral("1");
    } else if (m_kind == RunKind::Submit) {
        sql += kSubmitLink + QStringLiteral(" <> '' AND SiteName NOT IN ")
            + flaggedSites(QStringLiteral("Submitted = 1 OR NotApplicable = 1"));
    } else {
        sql += QStringLiteral("SiteName IN ")
            + flaggedSites(QStringLiteral(
                "(Submitted = 1 OR Published = 1 OR OldVersion = 1) AND coalesce(NotApplicable, 0) = 0"));
    }
    if (!anySite)
        params << nonNull(m_program);
    sql += extraCondition;
    params += extraParams;
    sql += QStringLiteral(" ORDER BY SiteName COLLATE NOCASE, SiteName");

    QVector<QueueEntry> entries;
    // Excluded sites are read and passed over; a limit counts the sites kept.
    const int batch = limit < 0 ? -1 : limit + static_cast<int>(m_excluded.size());
    if (batch >= 0)
        sql += QStringLiteral(" LIMIT %1").arg(batch);
    QSqlQuery query = Sql::exec(m_db, sql, params);
    while (query.next()) {
        QueueEntry entry;
        entry.siteName = query.value(0).toString();
        if (!anySite && m_excluded.contains(entry.siteName))
            continue;
        entry.link = query.value(1).toString();
        entry.byMail = isEmailAddress(entry.link);
        entries.append(entry);
        if (limit >= 0 && entries.size() >= limit)
            break;
    }
    return entries;
}

QVector<QueueEntry> RunQueue::entries(const QStringList& among) const
{
    if (among.isEmpty())
        return select(QString(), {}, -1);
    QVariantList params;
    for (const QString& name : among)
        params << nonNull(name);
    return select(QStringLiteral(" AND SiteName IN (%1)")
                      .arg(QStringList(among.size(), QStringLiteral("?")).join(QLatin1Char(','))),
        params, -1);
}

std::optional<QueueEntry> RunQueue::pageOf(const QString& site) const
{
    const QVector<QueueEntry> found = select(QStringLiteral(" AND SiteName = ?"), {nonNull(site)}, 1, true);
    if (found.isEmpty())
        return std::nullopt;
    return found.first();
}

int RunQueue::count() const
{
    return static_cast<int>(entries().size());
}

std::optional<QueueEntry> RunQueue::nextAfter(const QString& site, const QStringList& among) const
{
    QString condition;
    QVariantList params;
    if (!site.isEmpty()) {
        const QString name = nonNull(site);
        // The first term bounds the walk of the name-order index.
        condition = QStringLiteral(" AND SiteName COLLATE NOCASE >= ? AND (SiteName COLLATE NOCASE > ? OR "
                                   "SiteName > ?)");
        params = {name, name, name};
    }
    if (!among.isEmpty()) {
        condition += QStringLiteral(" AND SiteName IN (%1)")
                         .arg(QStringList(among.size(), QStringLiteral("?")).join(QLatin1Char(',')));
        for (const QString& name : among)
            params << nonNull(name);
    }
    const QVector<QueueEntry> found = select(condition, params, 1);
    if (found.isEmpty())
        return std::nullopt;
    return found.first();
}

std::optional<QueueEntry> RunQueue::find(const QString& site) const
{
    const QVector<QueueEntry> found = select(QStringLiteral(" AND SiteName = ?"), {nonNull(site)}, 1);
    if (found.isEmpty())
        return std::nullopt;
    return found.first();
}
