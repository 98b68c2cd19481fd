#pragma once

#include "DataFixture.h"
#include "Sql.h"
#include "SubmissionHistory.h"

// A site for the submission-run tests: its Sites columns and the flags the
// program NoteNest has there (no flag row when empty).
struct RunSite {
    QString name;
    QVariantMap fields;
    QVariantMap flags = {};
};

// A program directory with its data module open, holding the program
// NoteNest, the current one, and the sites.
class RunFixture : public DataFixture {
public:
    explicit RunFixture(const QList<RunSite>& sites)
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
};

// Sites whose submit page is http://127.0.0.1:9/NAME, where nothing answers.
inline QList<RunSite> plainSites(const QStringList& names)
{
    QList<RunSite> sites;
    for (const QString& name : names)
        sites.append({name, {{QStringLiteral("SubmitUrl"), QStringLiteral("http://127.0.0.1:9/") + name}}});
    return sites;
}

// The history, oldest first, as "site:outcome" lines; detailed: with the kind
// of run, and ":run" on rows a run wrote.
inline QStringList historyLines(const SubmissionDatabase& dm, bool detailed = false, const QString& program = {})
{
    QStringList lines;
    for (const HistoryEntry& row : SubmissionHistory::read(dm.database(), program)) {
        lines.append(row.site + ':' + HistoryEntry::outcomeText(row.outcome));
        if (detailed)
            lines.last() += ':' + HistoryEntry::kindText(row.kind) + (row.runId > 0 ? ":run" : "");
    }
    return lines;
}

// NoteNest's flag at site; null without a flag row.
inline QVariant flagAt(const SubmissionDatabase& dm, const QString& site, const QString& flag)
{
    return Sql::scalar(dm.database(),
        QStringLiteral("SELECT %1 FROM ProgSite.ProgSite WHERE ProgramName = 'NoteNest' AND SiteName = ?").arg(flag),
        {site});
}
