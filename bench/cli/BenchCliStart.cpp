// How long quillet-cli takes to start, run a command that loads no page and
// end, against a bare Qt Core program doing nothing but start and end
// (bench_bare_core), each run as its own process, in pairs. "programs" is
// also set against a bare Qt Sql program that attaches the same three table
// files and lists the names (bench_bare_sql).
#include "BenchCounters.h"
#include "ChildProcess.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// A program directory with its tables made and closed, as after a first run.
QString preparedDirectory()
{
    static QTemporaryDir dir;
    static bool made = false;
    const QString path = dir.path() + QLatin1Char('/');
    if (!made) {
        made = runChild(binaryFolder() + "/quillet-cli", {"--dir", path, "programs"}).ok;
        // A second run finds the tables as the first closed them.
        runChild(binaryFolder() + "/quillet-cli", {"--dir", path, "programs"});
    }
    return path;
}

// Runs quillet-cli with arguments, each time beside the bare Qt Core program
// and, when sqlFolder is given, the bare Qt Sql program on that folder.
void measure(benchmark::State& state, const QStringList& arguments, const QString& sqlFolder = QString())
{
    const QString cli = binaryFolder() + "/quillet-cli";
    const QString bare = binaryFolder() + "/bench_bare_core";
    const QString bareSql = binaryFolder() + "/bench_bare_sql";
    std::vector<double> seconds;
    std::vector<double> floorSeconds;
    std::vector<double> sqlSeconds;
    for (auto _ : state) {
        const ChildRun floor = runChild(bare, {});
        const ChildRun sql = sqlFolder.isEmpty() ? ChildRun {true, 0, 0, 0} : runChild(bareSql, {sqlFolder});
        const ChildRun run = runChild(cli, arguments);
        if (!floor.ok || !sql.ok || !run.ok) {
            state.SkipWithError("a program did not run");
            break;
        }
        state.SetIterationTime(run.seconds);
        seconds.push_back(run.seconds);
        floorSeconds.push_back(floor.seconds);
        sqlSeconds.push_back(sql.seconds);
    }
    // Medians: the time column is the mean, which a slowed run pulls up.
    setFloorCounters(state, seconds, floorSeconds);
    if (!sqlFolder.isEmpty()) {
        state.counters["sql_floor_ms"] = median(sqlSeconds) * 1000;
        state.counters["ratio_to_sql"] = median(sqlSeconds) > 0 ? median(seconds) / median(sqlSeconds) : 0;
    }
}

} // namespace

static void BM_CliVersion(benchmark::State& state)
{
    measure(state, {"--version"});
}
BENCHMARK(BM_CliVersion)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(60);

static void BM_CliPrograms(benchmark::State& state)
{
    const QString folder = preparedDirectory();
    measure(state, {"--dir", folder, "programs"}, folder);
}
BENCHMARK(BM_CliPrograms)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(60);
