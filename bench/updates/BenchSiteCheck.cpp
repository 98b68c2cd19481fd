// Speed of the site check: 1,000 sites, each on its own host, answering
// after 50 ms, against the ideal of eight requests at once all the time
// (1,000 x 50 ms / 8), computed in the same run from the same figures; and
// against the bare network library keeping eight HEAD requests in flight
// with nothing else to do (the floor this machine gives), measured in the
// same run.
#include "SiteAddressCheck.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcess>

#include <functional>

#include <benchmark/benchmark.h>

namespace {

constexpr int kSites = 1000;
constexpr int kReplyMs = 50;

class BenchSites {
public:
    BenchSites()
    {
        m_process.setProgram(QStringLiteral("/usr/bin/python3"));
        m_process.setArguments(
            {QStringLiteral(QUILLET_BENCH_SITES_SCRIPT), QString::number(kSites), QString::number(kReplyMs)});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        QByteArray output;
        while (!output.contains('\n') && m_process.waitForReadyRead(30000))
            output += m_process.readAllStandardOutput();
        if (output.startsWith("PORTS ")) {
            const QList<QByteArray> numbers = output.mid(6).trimmed().split(' ');
            for (const QByteArray& number : numbers)
                ports.append(number.toInt());
        }
    }
    ~BenchSites()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    QList<int> ports;

private:
    QProcess m_process;
};

// Eight HEAD requests in flight until every address is asked; milliseconds.
double bareFloor(const QVector<SiteCheckTarget>& targets)
{
    QNetworkAccessManager manager;
    manager.setProxy(QNetworkProxy::NoProxy);
    QEventLoop loop;
    int next = 0;
    int finished = 0;
    std::function<void()> startOne = [&] {
        QNetworkReply* reply = manager.head(QNetworkRequest(QUrl(targets.at(next++).address)));
        QObject::connect(reply, &QNetworkReply::finished, &loop, [&, reply] {
            reply->deleteLater();
            if (++finished == targets.size())
                loop.quit();
            else if (next < targets.size())
                startOne();
        });
    };
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < SiteAddressCheck::Limits().maxRequests; ++i)
        startOne();
    loop.exec();
    return clock.nsecsElapsed() / 1e6;
}

void SiteCheck1000(benchmark::State& state)
{
    static BenchSites sites;
    if (sites.ports.size() != kSites) {
        state.SkipWithError("the benchmark's sites did not start");
        return;
    }
    QVector<SiteCheckTarget> targets;
    for (int i = 0; i < kSites; ++i)
        targets.append({QStringLiteral("Site %1").arg(i),
            QStringLiteral("http://127.0.0.1:%1/submit").arg(sites.ports.at(i)), SiteCheckField::Submit});
    double measured = 0;
    // Files (sockets among them) open once the check has ended.
    qsizetype openFiles = 0;
    const double bare = bareFloor(targets);
    int ok = 0;
    for (auto _ : state) {
        SiteAddressCheck check;
        ok = 0;
        QObject::connect(&check, &SiteAddressCheck::siteChecked, &check,
            [&ok](const SiteCheckResult& result) { ok += result.outcome.kind == SiteCheckOutcome::Kind::Ok ? 1 : 0; });
        QEventLoop loop;
        QObject::connect(&check, &SiteAddressCheck::finished, &loop, &QEventLoop::quit);
        QElapsedTimer clock;
        clock.start();
        check.start(targets);
        loop.exec();
        measured = clock.nsecsElapsed() / 1e6;
        openFiles = QDir(QStringLiteral("/proc/self/fd")).count() - 2;
        state.SetIterationTime(measured / 1000.0);
    }
    if (ok != kSites)
        state.SkipWithError("not every site answered OK");
    const double ideal = double(kSites) * kReplyMs / SiteAddressCheck::Limits().maxRequests;
    state.counters["measured_ms"] = measured;
    state.counters["floor_ms"] = ideal;
    state.counters["ratio"] = measured / ideal;
    state.counters["bare_ms"] = bare;
    state.counters["open_files_after"] = double(openFiles);
    state.counters["ratio_to_bare"] = measured / bare;
}

} // namespace

BENCHMARK(SiteCheck1000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(3);
