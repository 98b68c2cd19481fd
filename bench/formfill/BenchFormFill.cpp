// Fill and capture of a page with 1,000 form controls that the map knows
// completely, in an offscreen web engine page: from the command to the last
// value set (fill), and to the written map and values file (capture).
//
// The fill is measured against its floor, in the same run: the bare web
// engine reading the same page's controls and setting every one of them, with
// the events of a user's typing and Tab (focus, input, change, blur, and
// focusin and focusout), in the application world (two scripts and the
// JSON between them, nothing of the program). It runs on pages of 1,000 and
// 4,000 controls; the last line printed says how the fill grows with the page.

#include "BenchCounters.h"
#include "DataSelectorRows.h"
#include "FormAutoFill.h"
#include "FormCapture.h"
#include "FormFillCommands.h"
#include "FormMap.h"
#include "PageFormAdapter.h"
#include "PropertyCatalogue.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineScript>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kControls = 1000;

// The floor's two scripts: read the controls, then set them and tell the page.
const char* const kBareSnapshot = R"JS(
(function () {
    var out = [];
    var all = document.getElementsByTagName('*');
    window.__bare = [];
    for (var i = 0; i < all.length; ++i) {
        var el = all[i];
        var tag = el.tagName;
        if (tag !== 'INPUT' && tag !== 'TEXTAREA' && tag !== 'SELECT')
            continue;
        var c = { p: window.__bare.length, tag: tag, type: el.type, name: el.name, value: el.value, checked: el.checked };
        if (tag === 'SELECT') {
            c.options = [];
            for (var j = 0; j < el.options.length; ++j)
                c.options.push([el.options[j].text, el.options[j].selected]);
        }
        window.__bare.push(el);
        out.push(c);
    }
    return JSON.stringify(out);
})()
)JS";

const char* const kBareApply = R"JS(
(function (changes) {
    for (var i = 0; i < changes.length; ++i) {
        var ch = changes[i];
        var el = window.__bare[ch.p];
        el.dispatchEvent(new FocusEvent('focus'));
        el.dispatchEvent(new FocusEvent('focusin', { bubbles: true }));
        if (ch.k === 'v') el.value = ch.v;
        else if (ch.k === 'c') el.checked = ch.c;
        else el.selectedIndex = ch.s;
        el.dispatchEvent(new Event('input', { bubbles: true }));
        el.dispatchEvent(new Event('change', { bubbles: true }));
        el.dispatchEvent(new FocusEvent('blur'));
        el.dispatchEvent(new FocusEvent('focusout', { bubbles: true }));
    }
    return changes.length;
})(%1)
)JS";

QVariant runScript(QWebEnginePage& page, const QString& script)
{
    QEventLoop loop;
    QVariant result;
    bool answered = false;
    page.runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant& value) {
        result = value;
        answered = true;
        loop.quit();
    });
    if (!answered)
        loop.exec();
    return result;
}

struct Fixture {
    const int controls;
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

    explicit Fixture(int controlCount)
        : controls(controlCount)
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
        for (int i = 0; i < controls; ++i) {
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

    // The floor: the controls read, and every one set with its events.
    int bareFill()
    {
        const QJsonArray read = QJsonDocument::fromJson(runScript(page, kBareSnapshot).toString().toUtf8()).array();
        QJsonArray changes;
        for (const QJsonValue& value : read) {
            const QJsonObject control = value.toObject();
            const QString type = control.value("type").toString();
            QJsonObject change {{"p", control.value("p")}};
            if (type == QLatin1String("checkbox")) {
                change.insert("k", "c");
                change.insert("c", true);
            } else if (control.value("tag").toString() == QLatin1String("SELECT")) {
                change.insert("k", "s");
                change.insert("s", 1);
            } else {
                change.insert("k", "v");
                change.insert("v", "typed value");
            }
            changes.append(change);
        }
        const QString json = QString::fromUtf8(QJsonDocument(changes).toJson(QJsonDocument::Compact));
        return runScript(page, QString::fromLatin1(kBareApply).arg(json)).toInt();
    }
};

Fixture* g_fixture = nullptr;
QMap<int, Fixture*> g_pages;   // by number of controls
QMap<int, double> g_fillTimes; // seconds per fill, by number of controls

// The fill of a page of range(0) controls; the counters give the floor's time
// and the ratio.
void BM_FillPage(benchmark::State& state)
{
    Fixture& f = *g_pages.value(int(state.range(0)));
    f.loadPage();
    std::vector<double> seconds;
    std::vector<double> floorSeconds;
    for (auto _ : state) {
        f.scramble();
        QElapsedTimer floorTimer;
        floorTimer.start();
        if (f.bareFill() != f.controls)
            state.SkipWithError("the floor set the wrong controls");
        floorSeconds.push_back(floorTimer.nsecsElapsed() / 1e9);
        f.scramble();
        QElapsedTimer timer;
        timer.start();
        const QString status = FormFillCommands::autoFillAndWait(f.adapter, f.context());
        const double elapsed = timer.nsecsElapsed() / 1e9;
        if (status.isEmpty())
            state.SkipWithError("the fill failed");
        state.SetIterationTime(elapsed);
        seconds.push_back(elapsed);
    }
    // Medians, so that a fill slowed by other work on the machine does not
    // decide the ratios.
    setFloorCounters(state, seconds, floorSeconds);
    if (!seconds.empty())
        g_fillTimes.insert(f.controls, median(seconds));
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

// The plan alone (map, values file, data look-ups), on range(0) controls:
// the part of the fill that is the program's own, linear in the controls.
void BM_FillPlanOnly(benchmark::State& state)
{
    Fixture& f = *g_pages.value(int(state.range(0)));
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

BENCHMARK(BM_FillPage)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);
BENCHMARK(BM_CapturePage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SnapshotOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FillPlanOnly)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CaptureFilesOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Fixture fixture(kControls);
    Fixture large(4 * kControls);
    g_fixture = &fixture;
    g_pages.insert(kControls, &fixture);
    g_pages.insert(4 * kControls, &large);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_fillTimes.contains(kControls) && g_fillTimes.contains(4 * kControls))
        std::printf("Fill of 4,000 controls / fill of 1,000 controls: %.2f (linear: 4)\n",
            g_fillTimes.value(4 * kControls) / g_fillTimes.value(kControls));
    return 0;
}
