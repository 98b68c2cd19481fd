// Speed of the database work the author waits for: merging a large site list
// (against its floor), switching the current program, drawing flags and
// building the reports.
#include "BenchCounters.h"
#include "ChildProcess.h"
#include "ProgramSession.h"
#include "ReportTexts.h"
#include "Sql.h"
#include "SubmissionDatabase.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kSites = 20000;
constexpr int kPrograms = 50;

QByteArray siteList(int sites, int variant)
{
    QByteArray csv;
    csv.reserve(sites * 120);
    for (int i = 0; i < sites; ++i) {
        csv += "Site " + QByteArray::number(i) + ",http://site" + QByteArray::number(i) + ".test/,,http://site"
            + QByteArray::number(i) + ".test/submit,,\"Notes, version " + QByteArray::number(variant)
            + "\",True,False,True,False,True,US," + QByteArray::number(i % 10) + ",,,False\r\n";
    }
    return csv;
}

// A program directory holding kSites sites and kPrograms programs with a flag
// row for every site and program.
class LargeDirectory {
public:
    LargeDirectory()
        : session(dir.path() + QLatin1Char('/'))
    {
        session.start();
        dm = std::make_unique<SubmissionDatabase>(session.config(), session.properties());
        dm->open();
        QSqlDatabase db = dm->database();
        Sql::inTransaction(db, [&] {
            QSqlQuery site(db);
            site.prepare("INSERT INTO Sites.Sites (SiteName, HomeUrl, Username, Password, UserNotes, Hide, Dead) "
                         "VALUES (?, ?, ?, ?, ?, ?, ?)");
            for (int i = 0; i < kSites; ++i)
                Sql::run(site,
                    {QString("Site %1").arg(i), QString("http://site%1.test/").arg(i),
                        i % 3 ? QString("me") : QString(), QString("pw"), QString(), i % 50 == 0 ? 1 : 0,
                        i % 40 == 0 ? 1 : 0});
            QSqlQuery flags(db);
            flags.prepare("INSERT INTO ProgSite.ProgSite (ProgramName, SiteName, Submitted, Published, NotApplicable) "
                          "VALUES (?, ?, ?, ?, ?)");
            for (int p = 0; p < kPrograms; ++p) {
                dm->addProgram(QString("Program %1").arg(p));
                const int rows = p < 2 ? kSites : 400;
                for (int i = 0; i < rows; ++i)
                    Sql::run(flags,
                        {QString("Program %1").arg(p), QString("Site %1").arg(i), i % 2, i % 3 == 0 ? 1 : 0,
                            i % 7 == 0 ? 1 : 0});
            }
        });
        dm->refreshData();
    }

    QTemporaryDir dir;
    ProgramSession session;
    std::unique_ptr<SubmissionDatabase> dm;
};

LargeDirectory& large()
{
    static LargeDirectory instance;
    return instance;
}

// The archive of a list of lines, made with the zip tool as a server makes it.
QString zipList(const QString& folder, int lines, int variant)
{
    const QString name = QStringLiteral("list-%1-%2").arg(lines).arg(variant);
    QFile file(folder + "sites.csv");
    file.open(QIODevice::WriteOnly);
    file.write(siteList(lines, variant));
    file.close();
    QProcess zip;
    zip.setWorkingDirectory(folder);
    zip.start("zip", {"-q", "-m", name + ".zip", "sites.csv"});
    zip.waitForFinished(-1);
    return folder + name + ".zip";
}

} // namespace

// quillet-cli merge-sites as a whole process, against the bare libraries
// doing the same work in a process of their own (bench_merge_floor): read the
// list out of the archive, split the lines, upsert every site in one
// transaction. Range: lines, and 1 to merge into a table that already holds
// every site (0: into an empty table). The time is quillet-cli's mean; the
// counters give the medians of both, their ratio and both peaks of memory.
static void BM_MergeSites(benchmark::State& state)
{
    const int lines = int(state.range(0));
    const bool full = state.range(1) != 0;
    QTemporaryDir work;
    const QString root = work.path() + QLatin1Char('/');
    const QString program = root + "program/";
    const QString floorTable = root + "floor.DAT";
    const QString cli = binaryFolder() + "/quillet-cli";
    const QString floor = binaryFolder() + "/bench_merge_floor";
    if (!runChild(cli, {"--dir", program, "programs"}).ok) {
        state.SkipWithError("quillet-cli did not run");
        return;
    }
    int variant = 0;
    if (full) {
        // Both tables first take every site, unmeasured.
        const QString archive = zipList(root, lines, variant++);
        if (!runChild(floor, {floorTable, archive}).ok
            || !runChild(cli, {"--dir", program, "merge-sites", archive}).ok) {
            state.SkipWithError("the first merge failed");
            return;
        }
    }
    std::vector<double> floorSeconds;
    std::vector<double> seconds;
    double peak = 0;
    double floorPeak = 0;
    for (auto _ : state) {
        const QString archive = zipList(root, lines, variant++);
        if (!full) {
            QFile::remove(floorTable);
            QFile::remove(program + "Sites.DAT");
        }
        const ChildRun bare = runChild(floor, {floorTable, archive});
        const ChildRun run = runChild(cli, {"--dir", program, "merge-sites", archive});
        if (!bare.ok || !run.ok) {
            state.SkipWithError("a merge failed");
            break;
        }
        state.SetIterationTime(run.seconds);
        floorSeconds.push_back(bare.seconds);
        seconds.push_back(run.seconds);
        peak = std::max(peak, run.peakMB);
        floorPeak = std::max(floorPeak, bare.peakMB);
        QFile::remove(archive);
    }
    setFloorCounters(state, seconds, floorSeconds);
    state.counters["peak_MB"] = peak;
    state.counters["floor_peak_MB"] = floorPeak;
}
BENCHMARK(BM_MergeSites)
    ->Args({20000, 0})
    ->Args({100000, 1})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// Choosing another program: its record and its 20,000 flag rows.
static void BM_SwitchProgram(benchmark::State& state)
{
    LargeDirectory& data = large();
    int p = 0;
    for (auto _ : state) {
        data.dm->loadProgram(QString("Program %1").arg(p));
        p = 1 - p;
    }
}
BENCHMARK(BM_SwitchProgram)->Unit(benchmark::kMillisecond);

// The flag look-ups of one screenful of the site list (40 rows, three flags each).
static void BM_ScreenfulOfFlags(benchmark::State& state)
{
    LargeDirectory& data = large();
    data.dm->loadProgram("Program 0");
    const SiteCursor& sites = data.dm->sites();
    int top = 0;
    for (auto _ : state) {
        int set = 0;
        for (int row = top; row < top + 40; ++row) {
            const QString site = sites.siteNameAt(row);
            for (const char* flag : {"Published", "Submitted", "NotApplicable"})
                set += data.dm->programFlags().isSet(site, QString::fromLatin1(flag));
        }
        benchmark::DoNotOptimize(set);
        top = (top + 40) % (sites.count() - 40);
    }
}
BENCHMARK(BM_ScreenfulOfFlags)->Unit(benchmark::kMicrosecond);

// The three reports over 20,000 sites and 50 programs.
static void BM_ThreeReports(benchmark::State& state)
{
    LargeDirectory& data = large();
    QStringList programs;
    data.dm->loadPrograms(programs);
    const ReportTexts reports(*data.dm);
    for (auto _ : state) {
        benchmark::DoNotOptimize(reports.progressReport(programs));
        benchmark::DoNotOptimize(reports.accountsReport());
        benchmark::DoNotOptimize(reports.hiddenSitesReport());
    }
}
BENCHMARK(BM_ThreeReports)->Unit(benchmark::kMillisecond);
