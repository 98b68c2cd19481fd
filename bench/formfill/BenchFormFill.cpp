// Fill and capture of a page with 1,000 form controls that the map knows
// completely, in an offscreen web engine page: from the command to the last
// value set (fill), and to the written map and values file (capture).

#include "DataSelectorRows.h"
#include "FormAutoFill.h"
#include "FormCapture.h"
#include "FormFillCommands.h"
#include "FormMap.h"
#include "PageFormAdapter.h"
#include "PropertyCatalogue.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEnginePage>

#include <benchmark/benchmark.h>

namespace {

constexpr int kControls = 1000;

struct Fixture {
    QTemporaryDir dir;
    PropertyCatalogue properties;
    DataSelectorRows rows {properties};
    QWebEnginePage page;
    PageFormAdapter adapter {&page};

    QString programDirectory() const { return dir.path() + QLatin1Char('/'); }
    FormFillCommands::Context context() const
    {
        return {programDirectory(), &rows, {QStringLiteral("Bench Site"), QStringLiteral("user"), QStringLiteral("pw")},
            QStringLiteral("Bench Tool")};
    }

    Fixture()
    {
        properties[PropertyCatalogue::ProgramName].setValue(QStringLiteral("Bench Tool"));
        for (int row = 15; row <= PropertyCatalogue::LastProgram; ++row)
            properties[row].setValue(QStringLiteral("value %1").arg(row));
        rows.fillCaptions();
        rows.refreshData();

        // A page of text boxes, check boxes and select lists, a third each.
        QString html = QStringLiteral("<!DOCTYPE html><html><body><form>");
        FormMap map;
        QString values;
        for (int i = 0; i < kControls; ++i) {
            const QString name = QStringLiteral("c%1").arg(i);
            switch (i % 3) {
            case 0: {
                html += QStringLiteral("<input type=\"text\" name=\"%1\">").arg(name);
                // Half of the text boxes take a catalogue entry, half a value of the values file.
                const bool fromCatalogue = i % 2 == 0;
                map.setControl(name, QStringLiteral("text"), fromCatalogue ? rows.caption(15 + i % 32) : QString());
                if (!fromCatalogue)
                    values += QStringLiteral("[%1]\nValue=typed %2\nType=text\n").arg(name).arg(i);
                break;
            }
            case 1:
                html += QStringLiteral("<input type=\"checkbox\" name=\"%1[]\" value=\"yes\">").arg(name);
                map.setControl(name + QStringLiteral("yes"), QStringLiteral("checkbox"), QString());
                values += QStringLiteral("[%1yes]\nValue=True\nType=checkbox\n").arg(name);
                break;
            default:
                html += QStringLiteral("<select name=\"%1\"><option>A</option><option>B</option><option>C</option>"
                                       "</select>")
                            .arg(name);
                map.setControl(name, QStringLiteral("select-one"), QString());
                values += QStringLiteral("[%1]\nValue=B;\nType=select-one\n").arg(name);
                break;
            }
        }
        html += QStringLiteral("</form></body></html>");
        QDir(programDirectory()).mkpath(QStringLiteral("SiteData"));
        write(programDirectory() + QStringLiteral("page.html"), html.toUtf8());
        write(programDirectory() + QStringLiteral("SiteData/Bench Site.xml"), map.toXml());
        write(programDirectory() + QStringLiteral("SiteData/Bench ToolBench Site.ini"), values.toUtf8());
    }

    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
    }

    void loadPage()
    {
        QSignalSpy finished(&page, &QWebEnginePage::loadFinished);
        page.load(QUrl::fromLocalFile(programDirectory() + QStringLiteral("page.html")));
        if (!finished.wait(30000) || !finished.first().first().toBool())
            qFatal("the page did not load");
    }

    // Makes the page differ from what the fill will set, so that every run sets values.
    void scramble()
    {
        bool answered = false;
        page.runJavaScript(
            QStringLiteral("for (const e of document.querySelectorAll('input[type=text]')) e.value = 'x';"
                           "for (const e of document.querySelectorAll('input[type=checkbox]')) e.checked = false;"
                           "for (const e of document.querySelectorAll('select')) e.selectedIndex = 0; 1"),
            [&](const QVariant&) { answered = true; });
        while (!answered)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
};

Fixture* g_fixture = nullptr;

void BM_FillPage(benchmark::State& state)
{
    Fixture& f = *g_fixture;
    f.loadPage();
    for (auto _ : state) {
        state.PauseTiming();
        f.scramble();
        state.ResumeTiming();
        const QString status = FormFillCommands::autoFillAndWait(f.adapter, f.context());
        if (status.isEmpty())
            state.SkipWithError("the fill failed");
    }
}

void BM_CapturePage(benchmark::State& state)
{
    Fixture& f = *g_fixture;
    f.loadPage();
    for (auto _ : state) {
        const QString status = FormFillCommands::saveFormAndWait(f.adapter, f.context());
        if (status.isEmpty())
            state.SkipWithError("the capture failed");
    }
}

void BM_SnapshotOnly(benchmark::State& state)
{
    Fixture& f = *g_fixture;
    f.loadPage();
    for (auto _ : state) {
        const PageFormAdapter::SnapshotResult result = f.adapter.snapshot();
        if (result.snapshot.controls.size() != kControls)
            state.SkipWithError("wrong snapshot");
    }
}

void BM_FillPlanOnly(benchmark::State& state)
{
    Fixture& f = *g_fixture;
    f.loadPage();
    const FormSnapshot snapshot = f.adapter.snapshot().snapshot;
    const FormFillCommands::Context c = f.context();
    for (auto _ : state) {
        const FormAutoFill::Plan plan = FormAutoFill(c.programDirectory, *c.rows, c.site, c.programName).plan(snapshot);
        benchmark::DoNotOptimize(plan.changes.size());
    }
}

void BM_CaptureFilesOnly(benchmark::State& state)
{
    Fixture& f = *g_fixture;
    f.loadPage();
    const FormSnapshot snapshot = f.adapter.snapshot().snapshot;
    const FormFillCommands::Context c = f.context();
    for (auto _ : state) {
        FormCapture capture(c.programDirectory, *c.rows, c.site, c.programName);
        capture.capture(snapshot);
    }
}

BENCHMARK(BM_FillPage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CapturePage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SnapshotOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FillPlanOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CaptureFilesOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Fixture fixture;
    g_fixture = &fixture;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
