// Speed of the submission run's data work over a large site list: building
// a program's queue (against a bare SQL query giving the same sites, in the
// same run) and the step from "Submitted, next" to the next site (the mark,
// its history row and the look-up of the next site, against the bare
// statements doing the same). The counters give the ratio to the floor.
#include "BenchCounters.h"
#include "ProgramSession.h"
#include "RunQueue.h"
#include "Sql.h"
#include "SubmissionDatabase.h"
#include "SubmissionRun.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int kSites = 100000;
constexpr int kFlagRows = 1000;

// 100,000 sites (one in fifty hidden, one in forty dead) and 1,000 flag rows
// of the program "NoteNest" spread over them.
class LargeSiteList {
public:
    LargeSiteList()
        : session(dir.path() + QLatin1Char('/'))
    {
        session.start();
        dm = std::make_unique<SubmissionDatabase>(session.config(), session.properties());
        dm->open();
        QSqlDatabase db = dm->database();
        dm->addProgram("NoteNest");
        Sql::inTransaction(db, [&] {
            QSqlQuery site(db);
            site.prepare("INSERT INTO Sites.Sites (SiteName, HomeUrl, SubmitUrl, Hide, Dead) VALUES (?, ?, ?, ?, ?)");
            for (int i = 0; i < kSites; ++i)
                Sql::run(site,
                    {QString("Site %1").arg(i, 6, 10, QChar('0')), QString("http://site%1.test/").arg(i),
                        i % 11 == 0 ? QString() : QString("http://site%1.test/submit").arg(i), i % 50 == 0 ? 1 : 0,
                        i % 40 == 0 ? 1 : 0});
            QSqlQuery flags(db);
            flags.prepare("INSERT INTO ProgSite.ProgSite (ProgramName, SiteName, Submitted, NotApplicable) "
                          "VALUES ('NoteNest', ?, ?, ?)");
            for (int i = 0; i < kFlagRows; ++i)
                Sql::run(flags,
                    {QString("Site %1").arg(i * (kSites / kFlagRows), 6, 10, QChar('0')), i % 3 ? 1 : 0,
                        i % 5 == 0 ? 1 : 0});
        });
        dm->loadProgram("NoteNest");
        dm->refreshData();
    }

    QTemporaryDir dir;
    ProgramSession session;
    std::unique_ptr<SubmissionDatabase> dm;
};

LargeSiteList& large()
{
    static LargeSiteList instance;
    return instance;
}

// The floor: one plain query for the same sites, each row's name and address read.
int bareQueue(const QSqlDatabase& db)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare("SELECT SiteName, SubmitUrl FROM Sites.Sites WHERE Dead = 0 AND Hide = 0 AND (SubmitUrl <> '' OR "
                  "HomeUrl <> '') "
                  "AND SiteName NOT IN (SELECT SiteName FROM ProgSite.ProgSite WHERE ProgramName = 'NoteNest' "
                  "AND (Submitted = 1 OR NotApplicable = 1)) ORDER BY SiteName COLLATE NOCASE, SiteName");
    query.exec();
    int rows = 0;
    while (query.next()) {
        benchmark::DoNotOptimize(query.value(0).toString());
        benchmark::DoNotOptimize(query.value(1).toString());
        ++rows;
    }
    return rows;
}

} // namespace

static void BM_BuildQueue(benchmark::State& state)
{
    LargeSiteList& data = large();
    std::vector<double> seconds;
    std::vector<double> floorSeconds;
    int sites = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const int floorRows = bareQueue(data.dm->database());
        floorSeconds.push_back(timer.nsecsElapsed() / 1e9);
        timer.restart();
        const RunQueue queue(*data.dm, "NoteNest", RunKind::Submit);
        sites = static_cast<int>(queue.entries().size());
        const double took = timer.nsecsElapsed() / 1e9;
        seconds.push_back(took);
        state.SetIterationTime(took);
        if (sites != floorRows) {
            state.SkipWithError("the queue and the floor differ");
            break;
        }
    }
    state.counters["sites"] = sites;
    setFloorCounters(state, seconds, floorSeconds);
}
BENCHMARK(BM_BuildQueue)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// "Submitted, next": the flag, its history row and the run's place in one
// transaction, then the next site found and made current. The floor runs the
// same statements bare: an upsert of the flag, an insert into a history
// table, and the next site's look-up.
static void BM_SubmittedNext(benchmark::State& state)
{
    LargeSiteList& data = large();
    SubmissionRun run(*data.dm);
    if (!run.start(RunKind::Submit)) {
        state.SkipWithError("the queue is empty");
        return;
    }
    QSqlDatabase db = data.dm->database();
    Sql::exec(db, "CREATE TABLE IF NOT EXISTS ProgSite.FloorHistory (Time TEXT, ProgramName TEXT, SiteName TEXT)");
    std::vector<double> seconds;
    std::vector<double> floorSeconds;
    for (auto _ : state) {
        // The same site the run is at, flagged for a program of the floor's own.
        const QString floorSite = run.current()->siteName;
        QElapsedTimer timer;
        timer.start();
        Sql::inTransaction(db, [&] {
            Sql::exec(db,
                "INSERT INTO ProgSite.ProgSite (ProgramName, SiteName, Submitted) VALUES ('Floor', ?, 1) "
                "ON CONFLICT DO UPDATE SET Submitted = 1",
                {floorSite});
            Sql::exec(db, "INSERT INTO ProgSite.FloorHistory VALUES (?, 'Floor', ?)",
                {QDateTime::currentDateTimeUtc().toString(Qt::ISODate), floorSite});
        });
        benchmark::DoNotOptimize(Sql::scalar(db,
            "SELECT SiteName FROM Sites.Sites WHERE Dead = 0 AND Hide = 0 AND SiteName COLLATE NOCASE > ? ORDER BY "
            "SiteName COLLATE NOCASE, SiteName LIMIT 1",
            {floorSite}));
        floorSeconds.push_back(timer.nsecsElapsed() / 1e9);
        timer.restart();
        run.recordOutcome(HistoryEntry::Outcome::Submitted);
        const double took = timer.nsecsElapsed() / 1e9;
        seconds.push_back(took);
        state.SetIterationTime(took);
        if (!run.isActive()) {
            state.SkipWithError("the run ended");
            break;
        }
    }
    setFloorCounters(state, seconds, floorSeconds);
}
BENCHMARK(BM_SubmittedNext)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(200);
