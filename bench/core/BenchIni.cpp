// Speed of the INI module on a companies.ini of 100,000 sections: what one
// "import-pad --company" does with it (list the companies, read one, write
// its thirteen keys, save), beside Qt's own INI reader and writer doing the
// same work on the same file. Prints the ratio of the two.
#include "IniDocument.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr int kSections = 100000;
const char* const kKeys[] = {"Company", "WebSite", "EMail", "Contact", "ContactEMail", "TelNo", "Addr1", "Addr2",
    "City", "State", "Country", "Postal", "Links"};

class CompaniesFile {
public:
    CompaniesFile()
    {
        QByteArray bytes;
        bytes.reserve(kSections * 60);
        for (int i = 0; i < kSections; ++i) {
            const QByteArray n = QByteArray::number(i);
            bytes += "[Company" + n + "]\r\nCompany=Company" + n + "\r\nCity=Town" + n + "\r\nEMail=info" + n
                + "@example.test\r\n";
        }
        QFile file(path());
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            std::abort();
    }
    QString path() const { return dir.path() + QStringLiteral("/companies.ini"); }
    QTemporaryDir dir;
};

CompaniesFile& companies()
{
    static CompaniesFile file;
    return file;
}

const QString kTarget = QStringLiteral("Company99999");

void BM_IniDocument(benchmark::State& state)
{
    const QString path = companies().path();
    for (auto _ : state) {
        const QStringList names = IniDocument::load(path).sectionNames();
        benchmark::DoNotOptimize(names.size());
        const IniDocument read = IniDocument::load(path);
        for (const char* key : kKeys)
            benchmark::DoNotOptimize(read.readString(kTarget, QLatin1String(key), QString()));
        IniDocument doc = IniDocument::load(path);
        for (const char* key : kKeys)
            doc.writeString(kTarget, QLatin1String(key), QStringLiteral("value"));
        doc.save(path);
    }
}
BENCHMARK(BM_IniDocument)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_QSettingsFloor(benchmark::State& state)
{
    const QString path = companies().path();
    for (auto _ : state) {
        {
            const QSettings list(path, QSettings::IniFormat);
            benchmark::DoNotOptimize(list.childGroups().size());
        }
        {
            QSettings read(path, QSettings::IniFormat);
            read.beginGroup(kTarget);
            for (const char* key : kKeys)
                benchmark::DoNotOptimize(read.value(QLatin1String(key)));
        }
        QSettings write(path, QSettings::IniFormat);
        write.beginGroup(kTarget);
        for (const char* key : kKeys)
            write.setValue(QLatin1String(key), QStringLiteral("value"));
        write.endGroup();
        write.sync();
    }
}
BENCHMARK(BM_QSettingsFloor)->Unit(benchmark::kMillisecond)->Iterations(5);

// Keeps each benchmark's real time per iteration, for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto ours = reporter.times.find("BM_IniDocument/iterations:5");
    const auto floor = reporter.times.find("BM_QSettingsFloor/iterations:5");
    if (ours != reporter.times.end() && floor != reporter.times.end() && floor->second > 0)
        std::printf("IniDocument / QSettings on %d sections: %.2f\n", kSections, ours->second / floor->second);
    benchmark::Shutdown();
    return 0;
}
