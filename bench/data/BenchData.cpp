// Speed of the database work the author waits for: merging a large site list,
// switching the current program, drawing flags and building the reports.
#include "ProgramSession.h"
#include "ReportTexts.h"
#include "Sql.h"
#include "SubmissionDatabase.h"

#include <QCoreApplication>
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

void zipInto(const QString& folder, const QByteArray& csv)
{
    QFile file(folder + "sites.csv");
    file.open(QIODevice::WriteOnly);
    file.write(csv);
    file.close();
    QProcess zip;
    zip.setWorkingDirectory(folder);
    zip.start("zip", {"-q", "-m", "sites.zip", "sites.csv"});
    zip.waitForFinished(-1);
}

} // namespace

// The whole updateSites of a 20,000-line list into a table of 20,000 sites:
// extraction, reading, the transaction and re-reading the cursor.
static void BM_MergeSiteList(benchmark::State& state)
{
    LargeDirectory& data = large();
    const QString folder = data.session.programDirectory();
    int variant = 0;
    for (auto _ : state) {
        state.PauseTiming();
        zipInto(folder, siteList(kSites, ++variant));
        state.ResumeTiming();
        if (!data.dm->updateSites())
            state.SkipWithError("merge failed");
    }
}
BENCHMARK(BM_MergeSiteList)->Unit(benchmark::kMillisecond)->Iterations(3);

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

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
