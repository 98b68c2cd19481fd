// The 1,000-control fill on a page of today: a quarter of the controls in the
// page, a quarter in a frame of the same site, a quarter in a frame inside
// that one and a quarter in open shadow roots of 25 components; and, for
// comparison, the same controls all in the page. Each is measured beside its
// floor, a bare script in the application world that reads the same controls
// (entering the same frames and shadow roots) and sets them with input and
// change events, in the same run, and the ratio to that floor is printed as
// "x_floor".
//
// Run by hand: QT_QPA_PLATFORM=offscreen build/bin/bench_formfill_modern

#include "DataSelectorRows.h"
#include "FormFillCommands.h"
#include "FormMap.h"
#include "PageFormAdapter.h"
#include "PropertyCatalogue.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>

#include <benchmark/benchmark.h>

namespace {

constexpr int kControls = 1000;

// The floor: read every control (tag, type, name, value, checked, options)
// into JSON, then set each text box, check box and list and send input and
// change; nothing else.
const char* const kFloorScript = R"JS(
(function () {
    var found = [];
    function walk(root) {
        var all = root.querySelectorAll('*');
        for (var i = 0; i < all.length; ++i) {
            var el = all[i];
            var tag = el.tagName;
            if (tag === 'INPUT' || tag === 'SELECT' || tag === 'TEXTAREA') {
                var c = { tag: tag, type: el.type, name: el.name, value: el.value, checked: el.checked };
                if (tag === 'SELECT') {
                    c.options = [];
                    for (var j = 0; j < el.options.length; ++j)
                        c.options.push([el.options[j].text, el.options[j].selected]);
                }
                found.push([el, c]);
            }
            if (el.shadowRoot)
                walk(el.shadowRoot);
            if (tag === 'IFRAME' && el.contentDocument)
                walk(el.contentDocument);
        }
    }
    walk(document);
    var json = JSON.stringify(found.map(function (f) { return f[1]; }));
    var changes = JSON.parse(json);
    for (var k = 0; k < found.length; ++k) {
        var el = found[k][0], type = changes[k].type;
        if (type === 'checkbox')
            el.checked = true;
        else if (type === 'select-one')
            el.selectedIndex = 1;
        else
            el.value = 'value ' + k;
        el.dispatchEvent(new Event('input', { bubbles: true }));
        el.dispatchEvent(new Event('change', { bubbles: true }));
    }
    return found.length;
})()
)JS";

QString controlHtml(int i, FormMap& map, QString& values, const DataSelectorRows& rows)
{
    const QString name = QStringLiteral("c%1").arg(i);
    switch (i % 3) {
    case 0: {
        const bool fromCatalogue = i % 2 == 0;
        map.setControl(name, QStringLiteral("text"), fromCatalogue ? rows.caption(15 + i % 32) : QString());
        if (!fromCatalogue)
            values += QStringLiteral("[%1]\nValue=typed %2\nType=text\n").arg(name).arg(i);
        return QStringLiteral("<input type=\"text\" name=\"%1\">").arg(name);
    }
    case 1:
        map.setControl(name + QStringLiteral("yes"), QStringLiteral("checkbox"), QString());
        values += QStringLiteral("[%1yes]\nValue=True\nType=checkbox\n").arg(name);
        return QStringLiteral("<input type=\"checkbox\" name=\"%1[]\" value=\"yes\">").arg(name);
    default:
        map.setControl(name, QStringLiteral("select-one"), QString());
        values += QStringLiteral("[%1]\nValue=B;\nType=select-one\n").arg(name);
        return QStringLiteral("<select name=\"%1\"><option>A</option><option>B</option><option>C</option></select>")
            .arg(name);
    }
}

QString escapedForSrcdoc(QString html)
{
    return html.replace(QLatin1Char('&'), QStringLiteral("&amp;")).replace(QLatin1Char('"'), QStringLiteral("&quot;"));
}

struct Fixture {
    QTemporaryDir dir;
    PropertyCatalogue properties;
    DataSelectorRows rows {properties};
    QWebEngineProfile profile;
    QWebEnginePage page {&profile};
    PageFormAdapter adapter {&page};
    QString plainHtml;
    QString modernHtml;

    QString programDirectory() const { return dir.path() + QLatin1Char('/'); }
    FormFillCommands::Context context() const
    {
        FormFillCommands::Context c;
        c.programDirectory = programDirectory();
        c.rows = &rows;
        c.site = {QStringLiteral("Bench Site"), QStringLiteral("user"), QStringLiteral("pw")};
        c.programName = QStringLiteral("Bench Tool");
        return c; // with the late field window of the desktop program
    }

    Fixture()
    {
        properties[PropertyCatalogue::ProgramName].setValue(QStringLiteral("Bench Tool"));
        for (int row = 15; row <= PropertyCatalogue::LastProgram; ++row)
            properties[row].setValue(QStringLiteral("value %1").arg(row));
        rows.fillCaptions();
        rows.refreshData();

        FormMap map;
        QString values;
        QString quarters[4];
        for (int i = 0; i < kControls; ++i)
            quarters[i * 4 / kControls] += controlHtml(i, map, values, rows);
        plainHtml = QStringLiteral("<!DOCTYPE html><html><body><form>") + quarters[0] + quarters[1] + quarters[2]
            + quarters[3] + QStringLiteral("</form></body></html>");

        // The last quarter goes into 25 components of 10 controls each.
        QString components;
        QStringList parts;
        for (int i = 3 * kControls / 4, n = 0; i < kControls; i += 10, ++n) {
            QString part;
            for (int j = i; j < i + 10 && j < kControls; ++j)
                part += controlHtml(j, map, values, rows);
            parts.append(part);
            components += QStringLiteral("<bench-part data-n=\"%1\"></bench-part>").arg(n);
        }
        QString partsJson = QStringLiteral("[");
        for (const QString& part : parts)
            partsJson += QLatin1Char('\'') + part + QStringLiteral("',");
        partsJson += QLatin1Char(']');
        const QString inner = QStringLiteral("<!DOCTYPE html><body><form>") + quarters[2] + QStringLiteral("</form>");
        const QString middle = QStringLiteral("<!DOCTYPE html><body><form>") + quarters[1]
            + QStringLiteral("</form><iframe srcdoc=\"") + escapedForSrcdoc(inner) + QStringLiteral("\"></iframe>");
        modernHtml = QStringLiteral("<!DOCTYPE html><html><body><form>") + quarters[0]
            + QStringLiteral("</form><iframe srcdoc=\"") + escapedForSrcdoc(middle) + QStringLiteral("\"></iframe>")
            + components + QStringLiteral("<script>const parts = ") + partsJson
            + QStringLiteral(";customElements.define('bench-part', class extends HTMLElement {"
                             "connectedCallback() { if (!this.shadowRoot) this.attachShadow({mode: 'open'}).innerHTML"
                             " = parts[this.dataset.n]; } });</script></body></html>");

        QDir(programDirectory()).mkpath(QStringLiteral("SiteData"));
        write(programDirectory() + QStringLiteral("SiteData/Bench Site.xml"), map.toXml());
        write(programDirectory() + QStringLiteral("SiteData/Bench ToolBench Site.ini"), values.toUtf8());
    }

    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
    }

    // A page of a web site (so that its frames are of the same site).
    void load(const QString& html)
    {
        QSignalSpy finished(&page, &QWebEnginePage::loadFinished);
        page.setHtml(html, QUrl(QStringLiteral("http://bench.invalid/submit.html")));
        if (!finished.wait(30000) || !finished.first().first().toBool())
            qFatal("the page did not load");
        const PageFormAdapter::SnapshotResult s = adapter.snapshot();
        if (!s.ok || s.snapshot.controls.size() != kControls)
            qFatal("the page shows %d controls, not %d", int(s.snapshot.controls.size()), kControls);
    }

    QVariant run(const QString& script)
    {
        QVariant result;
        bool answered = false;
        page.runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant& v) {
            result = v;
            answered = true;
        });
        while (!answered)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return result;
    }

    // Makes the page differ from what the fill will set, so that every run sets values.
    void scramble()
    {
        run(QStringLiteral("(function () { function walk(root) { for (const e of root.querySelectorAll('*')) {"
                           "  if (e.type === 'text') e.value = 'x'; else if (e.type === 'checkbox') e.checked = false;"
                           "  else if (e.tagName === 'SELECT') e.selectedIndex = 0;"
                           "  if (e.shadowRoot) walk(e.shadowRoot);"
                           "  if (e.tagName === 'IFRAME' && e.contentDocument) walk(e.contentDocument); } }"
                           "  walk(document); return 1; })()"));
    }
};

Fixture* g_fixture = nullptr;

// Each iteration runs the floor and then the fill on the same page, each on
// freshly scrambled controls, so that the load of the machine weighs on both
// alike; the benchmark's time is the fill's, "floor_ms" the floor's mean and
// "x_floor" the ratio of the two.
void measure(benchmark::State& state, const QString& html)
{
    Fixture& f = *g_fixture;
    f.load(html);
    QElapsedTimer clock;
    qint64 fill = 0;
    qint64 floor = 0;
    for (auto _ : state) {
        state.PauseTiming();
        f.scramble();
        clock.start();
        if (f.run(QString::fromUtf8(kFloorScript)).toInt() != kControls)
            state.SkipWithError("the floor did not reach every control");
        floor += clock.nsecsElapsed();
        f.scramble();
        state.ResumeTiming();
        clock.start();
        const FormFillCommands::Outcome outcome
            = FormFillCommands::runAndWait(FormFillCommands::Command::AutoFill, f.adapter, f.context());
        fill += clock.nsecsElapsed();
        if (outcome.status.isEmpty() || outcome.changed != kControls)
            state.SkipWithError("the fill did not change every control");
    }
    if (state.iterations() > 0 && floor > 0) {
        state.counters["floor_ms"] = double(floor) / 1e6 / double(state.iterations());
        state.counters["x_floor"] = double(fill) / double(floor);
    }
}

void BM_FillPlainPage(benchmark::State& state)
{
    measure(state, g_fixture->plainHtml);
}

void BM_FillFramesAndShadowRoots(benchmark::State& state)
{
    measure(state, g_fixture->modernHtml);
}

BENCHMARK(BM_FillPlainPage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FillFramesAndShadowRoots)->Unit(benchmark::kMillisecond)->UseRealTime();

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
