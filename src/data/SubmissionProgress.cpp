#include "SubmissionProgress.h"

#include "MessageTranslation.h"
#include "Sql.h"
#include "SubmissionDatabase.h"

SubmissionProgress SubmissionProgress::count(const SubmissionDatabase& dm)
{
    SubmissionProgress progress;
    progress.program = dm.programFlags().program();
    if (progress.program.isEmpty() || !dm.isTableOpen(Table::Sites) || !dm.isTableOpen(Table::ProgSite))
        return progress;
    const FilterExpression& filter = dm.sites().filter();
    QVariantList params = filter.parameters();
    const int listed = Sql::scalar(dm.database(),
        QStringLiteral("SELECT count(*) FROM Sites.Sites WHERE (") + filter.sql() + QLatin1Char(')'), params)
                           .toInt();
    params << progress.program;
    QSqlQuery flags = Sql::exec(dm.database(),
        QStringLiteral("SELECT coalesce(sum(f.NotApplicable = 1), 0), "
                       "coalesce(sum(f.Submitted = 1 AND coalesce(f.NotApplicable, 0) = 0), 0), "
                       "coalesce(sum(f.Published = 1 AND coalesce(f.NotApplicable, 0) = 0), 0) "
                       "FROM (SELECT SiteName FROM Sites.Sites WHERE (")
            + filter.sql()
            + QStringLiteral(")) AS s JOIN ProgSite.ProgSite AS f ON f.SiteName = s.SiteName WHERE f.ProgramName = ?"),
        params);
    if (flags.next()) {
        progress.sites = listed - flags.value(0).toInt();
        progress.submitted = flags.value(1).toInt();
        progress.published = flags.value(2).toInt();
    }
    return progress;
}

QString SubmissionProgress::text() const
{
    if (program.isEmpty())
        return QString();
    return translateMessage(QStringLiteral("%1: %2 of %3 submitted, %4 published"))
        .arg(program)
        .arg(submitted)
        .arg(sites)
        .arg(published);
}
