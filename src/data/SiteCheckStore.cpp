#include "SiteCheckStore.h"

#include "QuilletError.h"
#include "Sql.h"
#include "SubmissionDatabase.h"
#include "TableSchema.h"

#include <QSqlQuery>
#include <QTimeZone>

namespace {

const QString kTable = QStringLiteral("Sites.") + QString::fromLatin1(SiteCheckStore::TableName);
const QString kColumns = QStringLiteral("SiteName, Address, Field, Outcome, Status, NewAddress, Detail, CheckedAt");

SiteCheckResult resultOf(const QSqlQuery& query)
{
    SiteCheckResult result;
    result.siteName = query.value(0).toString();
    result.address = query.value(1).toString();
    result.field
        = query.value(2).toString() == QLatin1String("SubmitUrl") ? SiteCheckField::Submit : SiteCheckField::Home;
    // A kind this program does not know (a newer program wrote it) reads as no answer.
    if (!SiteCheckOutcome::kindFromKey(query.value(3).toString(), result.outcome.kind))
        result.outcome.kind = SiteCheckOutcome::Kind::NoAnswer;
    result.outcome.status = query.value(4).toInt();
    result.outcome.newAddress = query.value(5).toString();
    result.outcome.detail = query.value(6).toString();
    result.checkedAt = QDateTime::fromString(query.value(7).toString(), Qt::ISODate);
    result.checkedAt = result.checkedAt.toUTC();
    return result;
}

} // namespace

SiteCheckStore::SiteCheckStore(SubmissionDatabase& dm)
    : m_dm(dm)
{ }

bool SiteCheckStore::exists() const
{
    if (!m_dm.isTableOpen(Table::Sites))
        return false;
    return Sql::scalar(m_dm.database(),
               QStringLiteral("SELECT count(*) FROM Sites.sqlite_master WHERE type = 'table' AND name = ?"),
               {QString::fromLatin1(TableName)})
               .toInt()
        > 0;
}

void SiteCheckStore::save(const QVector<SiteCheckResult>& results)
{
    m_dm.requireOpen(Table::Sites);
    if (results.isEmpty())
        return;
    QSqlDatabase db = m_dm.database();
    Sql::inTransaction(db, [&] {
        for (const TableDef& def : TableSchema::companionTables(Table::Sites))
            TableSchema::createCompanionTable(db, def, QStringLiteral("Sites"));
        QSqlQuery insert(db);
        if (!insert.prepare(
                QStringLiteral("INSERT OR REPLACE INTO %1 (%2) VALUES (?, ?, ?, ?, ?, ?, ?, ?)").arg(kTable, kColumns)))
            throw QuilletError(Sql::errorText(insert));
        for (const SiteCheckResult& result : results) {
            Sql::run(insert,
                {result.siteName, result.address, result.fieldName(), SiteCheckOutcome::kindKey(result.outcome.kind),
                    result.outcome.status, result.outcome.newAddress, result.outcome.detail,
                    result.checkedAt.toUTC().toString(Qt::ISODate)});
        }
        insert.finish();
    });
}

QVector<SiteCheckResult> SiteCheckStore::read(const QString& condition, const QVariantList& params) const
{
    QVector<SiteCheckResult> results;
    if (!exists())
        return results;
    QSqlQuery query = Sql::exec(m_dm.database(),
        QStringLiteral("SELECT %1 FROM %2 %3 ORDER BY SiteName COLLATE NOCASE, SiteName")
            .arg(kColumns, kTable, condition),
        params);
    while (query.next())
        results.append(resultOf(query));
    return results;
}

std::optional<SiteCheckResult> SiteCheckStore::last(const QString& siteName) const
{
    const QVector<SiteCheckResult> results = read(QStringLiteral("WHERE SiteName = ?"), {siteName});
    if (results.isEmpty())
        return std::nullopt;
    return results.first();
}

QHash<QString, SiteCheckResult> SiteCheckStore::all() const
{
    QHash<QString, SiteCheckResult> byName;
    const QVector<SiteCheckResult> results = read(QString(), {});
    for (const SiteCheckResult& result : results)
        byName.insert(result.siteName, result);
    return byName;
}

QStringList SiteCheckStore::goneSiteNames() const
{
    QStringList names;
    const QVector<SiteCheckResult> results
        = read(QStringLiteral("WHERE Outcome = ?"), {SiteCheckOutcome::kindKey(SiteCheckOutcome::Kind::Gone)});
    for (const SiteCheckResult& result : results)
        names.append(result.siteName);
    return names;
}
