// Speed of what the author waits for at the desktop: the program's start with
// a large site list (against its start without sites), and switching the
// current program.
// Run with QT_QPA_PLATFORM=offscreen (and QTWEBENGINE_DISABLE_SANDBOX=1 as root).
#include "BenchCounters.h"
#include "ChildProcess.h"
#include "DesktopStartup.h"
#include "MainWindow.h"
#include "MessageSink.h"
#include "Sql.h"
#include "SubmissionDatabase.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kSites = 100000;
constexpr int kFlaggedSites = 1000;
const QByteArray kSettings = "[LastProgram]\nProgramName=First\n";

// A program directory with 100,000 sites and two programs: "First", the
// last program used, with flags at 1,000 sites, and "Second" with flags at
// every site. Started once, so that it is as a run leaves it.
QString largeDirectory()
{
    static QTemporaryDir dir;
    static bool filled = false;
    const QString path = dir.path() + QLatin1Char('/');
    if (filled)
        return path;
    filled = true;
    QFile settings(path + "quillet.ini");
    settings.open(QIODevice::WriteOnly);
    settings.write(kSettings);
    settings.close();
    {
        ProgramSession session(path);
        session.start();
        SubmissionDatabase dm(session.config(), session.properties());
        dm.open();
        QSqlDatabase db = dm.database();
        Sql::inTransaction(db, [&] {
            QSqlQuery site(db);
            site.prepare("INSERT INTO Sites.Sites (SiteName, HomeUrl, Notes, Rating, Pad, VelmoraFriendly, Hide, Dead) "
                         "VALUES (?, ?, ?, ?, ?, ?, 0, 0)");
            QSqlQuery flags(db);
            flags.prepare(
                "INSERT INTO ProgSite.ProgSite (ProgramName, SiteName, Submitted, Published) VALUES (?, ?, ?, ?)");
            for (int i = 0; i < kSites; ++i) {
                const QString name = QString("Site %1").arg(i, 6, 10, QChar('0'));
                Sql::run(site,
                    {name, QString("http://site%1.test/").arg(i), QString("Notes of site %1").arg(i), i % 6, i % 2,
                        i % 3 == 0 ? 1 : 0});
                if (i % (kSites / kFlaggedSites) == 0)
                    Sql::run(flags, {QStringLiteral("First"), name, i % 2, i % 5 == 0 ? 1 : 0});
                Sql::run(flags, {QStringLiteral("Second"), name, i % 2, i % 5 == 0 ? 1 : 0});
            }
        });
        for (const char* program : {"First", "Second"})
            dm.addProgram(QString::fromLatin1(program));
    }
    runChild(binaryFolder() + "/quillet", {"--dir", path, "--exit-after-start"});
    return path;
}

// The same program directory without a site, started once.
QString emptyDirectory()
{
    static QTemporaryDir dir;
    static bool made = false;
    const QString path = dir.path() + QLatin1Char('/');
    if (!made) {
        made = true;
        QFile settings(path + "quillet.ini");
        settings.open(QIODevice::WriteOnly);
        settings.write(kSettings);
        settings.close();
        runChild(binaryFolder() + "/quillet", {"--dir", path, "--exit-after-start"});
    }
    return path;
}

} // namespace

// From process start to the main window shown and closed again, on 100,000
// sites, against the same program on a program directory without sites, in
// pairs. The time is the large directory's mean; the counters give the
// medians of both, their ratio, and the peaks of memory of both.
static void BM_StartWithLargeSiteList(benchmark::State& state)
{
    const QString large = largeDirectory();
    const QString empty = emptyDirectory();
    const QString program = binaryFolder() + "/quillet";
    std::vector<double> seconds;
    std::vector<double> floorSeconds;
    double peak = 0;
    double floorPeak = 0;
    for (auto _ : state) {
        const ChildRun floor = runChild(program, {"--dir", empty, "--exit-after-start"});
        const ChildRun run = runChild(program, {"--dir", large, "--exit-after-start"});
        if (!floor.ok || !run.ok) {
            state.SkipWithError("the program did not start");
            break;
        }
        state.SetIterationTime(run.seconds);
        seconds.push_back(run.seconds);
        floorSeconds.push_back(floor.seconds);
        peak = std::max(peak, run.peakMB);
        floorPeak = std::max(floorPeak, floor.peakMB);
    }
    setFloorCounters(state, seconds, floorSeconds);
    state.counters["peak_MB"] = peak;
    state.counters["floor_peak_MB"] = floorPeak;
    state.counters["peak_diff_MB"] = peak - floorPeak;
}
BENCHMARK(BM_StartWithLargeSiteList)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// Choosing the other program in the programs list: its record, its flag rows
// (1,000 for one, 100,000 for the other), the data selector's rows and the
// site list's colours.
static void BM_SwitchProgramInWindow(benchmark::State& state)
{
    StreamMessageSink quiet;
    ScopedMessageSink sink(&quiet);
    DesktopStartup startup(largeDirectory());
    startup.start();
    startup.show();
    QCoreApplication::processEvents();
    MainWindow* window = startup.mainWindow();
    int index = 0;
    for (auto _ : state) {
        window->selectProgram(index);
        QCoreApplication::processEvents();
        index = 1 - index;
    }
    startup.shutdown();
}
BENCHMARK(BM_SwitchProgramInWindow)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
