#include "RunFixture.h"

#include "Sql.h"
#include "SubmissionHistory.h"

RunFixture::RunFixture(const QList<RunSite>& sites)
{
    open();
    dm().addProgram(QStringLiteral("NoteNest"));
    for (const RunSite& site : sites) {
        addSite(site.name, site.fields);
        if (!site.flags.isEmpty())
            addFlags(QStringLiteral("NoteNest"), site.name, site.flags);
    }
    dm().loadProgram(QStringLiteral("NoteNest"));
}

QList<RunSite> plainSites(const QStringList& names)
{
    QList<RunSite> sites;
    for (const QString& name : names)
        sites.append({name, {{QStringLiteral("SubmitUrl"), QStringLiteral("http://127.0.0.1:9/") + name}}});
    return sites;
}

QStringList historyLines(const SubmissionDatabase& dm, bool detailed, const QString& program)
{
    QStringList lines;
    for (const HistoryEntry& row : SubmissionHistory::read(dm.database(), program)) {
        lines.append(row.site + ':' + HistoryEntry::outcomeText(row.outcome));
        if (detailed)
            lines.last() += ':' + HistoryEntry::kindText(row.kind) + (row.runId > 0 ? ":run" : "");
    }
    return lines;
}

QVariant flagAt(const SubmissionDatabase& dm, const QString& site, const QString& flag)
{
    return Sql::scalar(dm.database(),
        QStringLiteral("SELECT %1 FROM ProgSite.ProgSite WHERE ProgramName = 'NoteNest' AND SiteName = ?").arg(flag),
        {site});
}
