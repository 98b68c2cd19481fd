// Speed of what the author waits for at the desktop: the program's start with
// a large site list, and switching the current program.
// Run with QT_QPA_PLATFORM=offscreen (and QTWEBENGINE_DISABLE_SANDBOX=1 as root).
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

constexpr int kSites = 20000;

// A program directory with 20,000 sites, two programs and a flag row for
// every site of each program.
QString largeDirectory()
{
    static QTemporaryDir dir;
    static bool filled = false;
    const QString path = dir.path() + QLatin1Char('/');
    if (filled)
        return path;
    filled = true;
    ProgramSession session(path);
    session.start();
    SubmissionDatabase dm(session.config(), session.properties());
    dm.open();
    QSqlDatabase db = dm.database();
    Sql::inTransaction(db, [&] {
        QSqlQuery site(db);
        site.prepare("INSERT INTO Sites.Sites (SiteName, HomeUrl, Rating, Pad, VelmoraFriendly, Hide, Dead) "
                     "VALUES (?, ?, ?, ?, ?, 0, 0)");
        QSqlQuery flags(db);
        flags.prepare(
            "INSERT INTO ProgSite.ProgSite (ProgramName, SiteName, Submitted, Published) VALUES (?, ?, ?, ?)");
        for (int i = 0; i < kSites; ++i) {
            const QString name = QString("Site %1").arg(i, 5, 10, QChar('0'));
            Sql::run(site, {name, QString("http://site%1.test/").arg(i), i % 6, i % 2, i % 3 == 0 ? 1 : 0});
            for (const char* program : {"First", "Second"})
                Sql::run(flags, {QString::fromLatin1(program), name, i % 2, i % 5 == 0 ? 1 : 0});
        }
    });
    for (const char* program : {"First", "Second"})
        dm.addProgram(QString::fromLatin1(program));
    return path;
}

} // namespace

// From process start to the main window shown and closed again, on 20,000 sites.
static void BM_StartWithLargeSiteList(benchmark::State& state)
{
    const QString dir = largeDirectory();
    const QString program = QCoreApplication::applicationDirPath() + "/quillet";
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QProcess process;
        process.start(program, {"--dir", dir, "--exit-after-start"});
        if (!process.waitForFinished(60000) || process.exitCode() != 0) {
            state.SkipWithError("the program did not start");
            break;
        }
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
    }
}
BENCHMARK(BM_StartWithLargeSiteList)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// Choosing the other program in the programs list: its record, its 20,000 flag
// rows, the data selector's rows and the site list's colours.
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
