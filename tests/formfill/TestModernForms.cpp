#include "FormFillCommands.h"
#include "FormMap.h"
#include "IniDocument.h"
#include "LateFieldWatch.h"
#include "PageFormAdapter.h"
#include "PageServer.h"
#include "PageTestKit.h"
#include "TestSupport.h"

#include <QGuiApplication>
#include <QHash>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>

namespace {

QStringList namesOf(const FormSnapshot& snapshot)
{
    QStringList names;
    for (const FormControl& c : snapshot.controls)
        names << c.name;
    return names;
}

QStringList recordedIn(const QString& mapPath)
{
    QStringList recorded;
    for (const FormMap::Control& c : FormMap::load(mapPath).controls())
        recorded << c.name + QLatin1Char('|') + c.dataField;
    return recorded;
}

// One line per control: what a user sees of it.
QString stateOf(const FormControl& c)
{
    QString line = c.name + QLatin1Char('=') + c.value;
    if (c.type == QLatin1String("checkbox") || c.type == QLatin1String("radio"))
        line += c.checked ? QStringLiteral(" [x]") : QStringLiteral(" [ ]");
    for (const FormOption& o : c.options)
        line += (o.selected ? QStringLiteral(" *") : QStringLiteral(" ")) + o.text;
    return line;
}

} // namespace

// Pages of today in a real, offscreen web engine page: controls driven by a
// script framework, frames of the same site and of others (two loopback
// servers), open shadow roots, fields added after the fill, the preview.
class TestModernForms : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void trackedInputsTakeTheFill();
    void framesOfTheSameSiteAreReadInDocumentOrder();
    void framesOfOtherSitesAreCountedAtAnyDepth();
    void frameThatNavigatedAwayIsNotWritten();
    void openShadowRootsAreReadAndFilled();
    void deepNestingIsWalkedWithoutLimit();
    void lateFieldsAreFilledWhileTheWindowLasts();
    void lateFieldsInBulkAndAfterTheWindow();
    void previewShowsExactlyWhatTheFillDoes();
    void previewMarksLeaveNoTrace();
    void pageScriptsCannotSpoilTheFill();

private:
    bool load(const QString& file)
    {
        return PageTestKit::load(m_page.get(), QUrl::fromLocalFile(testDataPath(str("formfill/") + file)));
    }
    bool serve(const QString& path) { return PageTestKit::load(m_page.get(), m_server->url(path)); }
    QVariant js(const QString& script) { return PageTestKit::js(m_page.get(), script); }
    QVariant cleanJs(const QString& script) { return PageTestKit::cleanJs(m_page.get(), script); }
    FormSnapshot snapshot()
    {
        const PageFormAdapter::SnapshotResult result = m_adapter->snapshot();
        if (!result.ok)
            qWarning("no snapshot: %s", qPrintable(result.error));
        return result.snapshot;
    }

    std::unique_ptr<PageServer> m_server;
    std::unique_ptr<PageTestKit> m_kit;
    std::unique_ptr<RecordingMessageSink> m_sink;
    std::unique_ptr<QWebEngineProfile> m_profile;
    std::unique_ptr<QWebEnginePage> m_page;
    std::unique_ptr<PageFormAdapter> m_adapter;
};

void TestModernForms::initTestCase()
{
    m_server = std::make_unique<PageServer>();
    QVERIFY2(m_server->isRunning(), qPrintable(m_server->error()));
}

void TestModernForms::init()
{
    m_kit = std::make_unique<PageTestKit>();
    m_sink = std::make_unique<RecordingMessageSink>();
    m_profile = std::make_unique<QWebEngineProfile>(); // off the record: no cache between tests
    m_page = std::make_unique<QWebEnginePage>(m_profile.get());
    m_adapter = std::make_unique<PageFormAdapter>(m_page.get());
}

void TestModernForms::cleanup()
{
    m_adapter.reset();
    m_page.reset();
    m_profile.reset();
    m_sink.reset();
    m_kit.reset();
}

void TestModernForms::trackedInputsTakeTheFill()
{
    QVERIFY(load(str("tracker.html")));
    // The page's tracker works: a value put in through the element's own
    // property, or a check mark without a click, never reaches its state.
    js(str("const t = document.querySelector('[name=title]'); t.value = 'typed by a script';"
           "t.dispatchEvent(new Event('input', {bubbles: true}));"
           "const a = document.querySelector('[name=agree]'); a.checked = true;"
           "a.dispatchEvent(new Event('change', {bubbles: true}));"));
    QTRY_COMPARE(js(str("document.querySelector('[name=title]').value")).toString(), QString());
    QCOMPARE(js(str("JSON.stringify([state.title, state.agree, dropped])")).toString(), str("[\"\",false,1]"));
    js(str("document.querySelector('[name=agree]').checked = false"));

    m_kit->writeMap({str("title=Program"), str("desc="), str("mail=EMail"), str("agreeyes="), str("newsyes="),
        str("licfree="), str("lictrial="), str("cat=")});
    m_kit->writeValues("[desc]\nValue=A tool\n[agreeyes]\nValue=True\n[newsyes]\nValue=False\n"
                       "[licfree]\nValue=False\n[lictrial]\nValue=True\n[cat]\nValue=Utilities;\n");
    const FormFillCommands::Outcome outcome
        = FormFillCommands::runAndWait(FormFillCommands::Command::AutoFill, *m_adapter, m_kit->context());
    QCOMPARE(outcome.status, str("Form loaded"));
    QCOMPARE(outcome.changed, 8);
    QCOMPARE(m_sink->texts(), QStringList());
    // The page's own state holds every value, and drawing the controls from it
    // again leaves them as the fill set them.
    QTRY_COMPARE(js(str("JSON.stringify(state)")).toString(),
        str(R"({"title":"My Tool","desc":"A tool","mail":"me@example.com","agree":true,"news":false,)"
            R"("lic":"trial","cat":"Utilities"})"));
    QTest::qWait(50);
    QCOMPARE(js(str("[document.querySelector('[name=title]').value, document.querySelector('[name=agree]').checked,"
                    "document.querySelector('[value=trial]').checked, document.querySelector('[name=cat]').value]"
                    ".join('|')"))
                 .toString(),
        str("My Tool|true|true|Utilities"));
}

void TestModernForms::framesOfTheSameSiteAreReadInDocumentOrder()
{
    QVERIFY(serve(str("frames-top.html")));
    // The frame of the other site tells it holds a form once it has loaded.
    QTRY_COMPARE_WITH_TIMEOUT(snapshot().unreadFrames, 1, 10000);
    const FormSnapshot s = snapshot();
    QCOMPARE(namesOf(s), QStringList({str("before"), str("inner1"), str("deep"), str("innerList"), str("after")}));
    int last = -1;
    for (const FormControl& c : s.controls) {
        QVERIFY(c.position > last);
        last = c.position;
    }

    // Capture records the frames' controls in document order.
    js(str("frames[0].document.querySelector('[name=inner1]').value = 'My Tool';"
           "frames[0].frames[0].document.querySelector('[name=deep]').checked = true;"
           "frames[0].document.querySelector('[name=innerList]').selectedIndex = 1;"));
    const FormFillCommands::Outcome saved
        = FormFillCommands::runAndWait(FormFillCommands::Command::SaveForm, *m_adapter, m_kit->context());
    QCOMPARE(saved.status, str("Form saved"));
    QCOMPARE(saved.statusLine(), str("Form saved; 1 frame of another site was not read"));
    QCOMPARE(recordedIn(m_kit->dir.file(str("SiteData/Soft Site.xml"))),
        QStringList({str("before|"), str("inner1|Program"), str("deepyes|"), str("innerList|"), str("after|")}));
    const IniDocument values = IniDocument::load(m_kit->dir.file(str("SiteData/My ToolSoft Site.ini")));
    QCOMPARE(values.readString(str("deepyes"), str("Value"), {}), str("True"));
    QCOMPARE(values.readString(str("innerList"), str("Value"), {}), str("Two;"));

    // A fill reaches into the frames, and the frames' own scripts see it.
    QVERIFY(serve(str("frames-top.html")));
    m_kit->writeMap({str("before=Version"), str("inner1=Program"), str("deepyes="), str("innerList="),
        str("after=Version"), str("crossfield=Program")});
    const FormFillCommands::Outcome filled
        = FormFillCommands::runAndWait(FormFillCommands::Command::AutoFill, *m_adapter, m_kit->context());
    QCOMPARE(filled.status, str("Form loaded"));
    QCOMPARE(filled.changed, 5);
    QCOMPARE(js(str("[document.querySelector('[name=before]').value,"
                    "frames[0].document.querySelector('[name=inner1]').value,"
                    "frames[0].frames[0].document.querySelector('[name=deep]').checked,"
                    "frames[0].document.querySelector('[name=innerList]').value,"
                    "document.querySelector('[name=after]').value].join('|')"))
                 .toString(),
        str("2.5|My Tool|true|Two|2.5"));
    QCOMPARE(js(str("frames[0].eventLog.join(' ')")).toString(), str("input:inner1 input:innerList"));
    QCOMPARE(js(str("eventLog.join(' ')")).toString(), str("input:before input:after"));
    // The frames' reports never reach the page's own scripts.
    QCOMPARE(js(str("messages")).toInt(), 0);
    QCOMPARE(m_sink->texts(), QStringList());
}

void TestModernForms::framesOfOtherSitesAreCountedAtAnyDepth()
{
    QVERIFY(serve(str("frames-two.html")));
    // The frame of another site inside a frame of this one, whose form is built
    // after its load; the frame of another site beside it; a sandboxed frame,
    // which is a site of its own. The page's own fake report counts for nothing.
    QTRY_COMPARE_WITH_TIMEOUT(snapshot().unreadFrames, 3, 10000);
    QCOMPARE(namesOf(snapshot()), QStringList({str("top"), str("inline")}));
    QCOMPARE(FormFillCommands::unreadFramesNote(3), str("3 frames of other sites were not read"));
    m_kit->writeMap({str("inline=Program")});
    const FormFillCommands::Outcome outcome
        = FormFillCommands::runAndWait(FormFillCommands::Command::AutoFill, *m_adapter, m_kit->context());
    QCOMPARE(outcome.statusLine(), str("Form loaded; 3 frames of other sites were not read"));
    QCOMPARE(js(str("frames[0].document.querySelector('[name=inline]').value")).toString(), str("My Tool"));

    // A local page's frame is a site of its own too: never read, counted.
    QVERIFY(load(str("form.html")));
    const FormSnapshot local = snapshot();
    QVERIFY(!namesOf(local).contains(str("framed")));
    QCOMPARE(local.unreadFrames, 1);
}

void TestModernForms::frameThatNavigatedAwayIsNotWritten()
{
    QVERIFY(serve(str("frames-top.html")));
    const FormSnapshot before = snapshot();
    FormChange change;
    for (const FormControl& c : before.controls) {
        if (c.name == QLatin1String("inner1")) {
            change.position = c.position;
            change.tag = c.tag;
            change.name = c.name;
        }
    }
    QVERIFY(change.position >= 0);
    change.value = str("too late");
    // The frame shows another page of the site meanwhile, with a field of the same name.
    js(str("window.frameLoaded = false; const f = document.querySelector('iframe');"
           "f.addEventListener('load', () => window.frameLoaded = true);"
           "f.srcdoc = '<input type=text name=inner1>';"));
    QTRY_VERIFY(js(str("window.frameLoaded")).toBool());
    const FormApplyResult applied = m_adapter->apply(before.documentToken, {change});
    QVERIFY(applied.ok);
    QVERIFY(!applied.documentChanged); // the top-level document is the same
    QCOMPARE(applied.applied, 0);
    QCOMPARE(applied.skipped, 1);
    QCOMPARE(js(str("frames[0].document.querySelector('[name=inner1]').value")).toString(), QString());
}

void TestModernForms::openShadowRootsAreReadAndFilled()
{
    QVERIFY(load(str("shadow.html")));
    const FormSnapshot s = snapshot();
    // A shadow root's controls come right after its host, before the host's
    // own children; the closed root stays closed.
    QCOMPARE(namesOf(s),
        QStringList({str("top1"), str("shadowed"), str("nested"), str("shadowList"), str("slotted"), str("top2")}));

    js(str("shadowInput().value = 'My Tool';"
           "document.getElementById('host').shadowRoot.querySelector('inner-field').shadowRoot.firstChild.checked = "
           "true;"));
    QCOMPARE(FormFillCommands::saveFormAndWait(*m_adapter, m_kit->context()), str("Form saved"));
    QCOMPARE(recordedIn(m_kit->dir.file(str("SiteData/Soft Site.xml"))),
        QStringList({str("top1|"), str("shadowed|Program"), str("nestedon|"), str("shadowList|"), str("slotted|"),
            str("top2|")}));

    QVERIFY(load(str("shadow.html")));
    m_kit->writeMap(
        {str("shadowed=Program"), str("nestedon="), str("shadowList="), str("slotted=Version"), str("sealed=Program")});
    m_kit->writeValues("[nestedon]\nValue=True\n[shadowList]\nValue=B;\n");
    QCOMPARE(FormFillCommands::autoFillAndWait(*m_adapter, m_kit->context()), str("Form loaded"));
    QCOMPARE(js(str("const r = document.getElementById('host').shadowRoot;"
                    "[r.querySelector('[name=shadowed]').value,"
                    "r.querySelector('inner-field').shadowRoot.firstChild.checked,"
                    "r.querySelector('[name=shadowList]').value,"
                    "document.querySelector('[name=slotted]').value].join('|')"))
                 .toString(),
        str("My Tool|true|B|2.5"));
    // The input events cross the shadow boundary as a user's typing does;
    // change events stay inside, as the engine's own do.
    QCOMPARE(js(str("eventLog.join(' ')")).toString(),
        str("input:submit-field input:submit-field input:submit-field input:input change:input"));
}

void TestModernForms::deepNestingIsWalkedWithoutLimit()
{
    QVERIFY(serve(str("nested.html")));
    QTRY_VERIFY_WITH_TIMEOUT(namesOf(snapshot()).contains(str("deepFrame")), 10000);
    QCOMPARE(namesOf(snapshot()), QStringList({str("first"), str("deepShadow"), str("deepFrame"), str("last")}));
    m_kit->writeMap({str("deepShadow=Program"), str("deepFrame=Version")});
    QCOMPARE(FormFillCommands::autoFillAndWait(*m_adapter, m_kit->context()), str("Form loaded"));
    const FormSnapshot after = snapshot();
    QCOMPARE(after.controls.at(1).value, str("My Tool"));
    QCOMPARE(after.controls.at(2).value, str("2.5"));
}

void TestModernForms::lateFieldsAreFilledWhileTheWindowLasts()
{
    m_kit->writeMap({str("title=Program"), str("version=Version"), str("agreeyes=")});
    m_kit->writeValues("[agreeyes]\nValue=True\n");

    // Without a window the second step stays empty.
    QVERIFY(load(str("late.html")));
    QCOMPARE(FormFillCommands::autoFillAndWait(*m_adapter, m_kit->context(0)), str("Form loaded"));
    QVERIFY(!LateFieldWatch::running(*m_adapter));
    QTRY_VERIFY(js(str("!!document.querySelector('[name=version]')")).toBool());
    QTest::qWait(300);
    QCOMPARE(js(str("document.querySelector('[name=version]').value")).toString(), QString());

    // With the window the step's fields are filled as they arrive, 500 ms after the load.
    QVERIFY(load(str("late.html")));
    QCOMPARE(FormFillCommands::autoFillAndWait(*m_adapter, m_kit->context(3000)), str("Form loaded"));
    LateFieldWatch* watch = LateFieldWatch::running(*m_adapter);
    QVERIFY(watch);
    QSignalSpy finished(watch, &LateFieldWatch::finished);
    QCOMPARE(js(str("document.querySelector('[name=title]').value")).toString(), str("My Tool"));
    QTRY_COMPARE_WITH_TIMEOUT(js(str("document.querySelector('[name=version]') ? "
                                     "document.querySelector('[name=version]').value : 'absent'"))
                                  .toString(),
        str("2.5"), 3000);
    QVERIFY(js(str("document.querySelector('[name=agree]').checked")).toBool());
    QCOMPARE(watch->filledCount(), 2);
    QVERIFY(finished.wait(5000));
    QVERIFY(!LateFieldWatch::running(*m_adapter));
}

void TestModernForms::lateFieldsInBulkAndAfterTheWindow()
{
    m_kit->writeMap({str("title=Program"), str("version=Version")});
    QVERIFY(load(str("late.html")));
    QCOMPARE(FormFillCommands::autoFillAndWait(*m_adapter, m_kit->context(1500)), str("Form loaded"));
    LateFieldWatch* watch = LateFieldWatch::running(*m_adapter);
    QVERIFY(watch);
    QSignalSpy finished(watch, &LateFieldWatch::finished);
    // 400 fields at once, in a shadow root added late, and one that is taken
    // away again before anyone could fill it.
    js(str("const box = document.createElement('div'); document.body.appendChild(box);"
           "const root = box.attachShadow({mode: 'open'});"
           "for (let i = 0; i < 400; ++i) { const e = document.createElement('input'); e.name = 'version';"
           "  root.appendChild(e); }"
           "const gone = document.createElement('input'); gone.name = 'title'; document.body.appendChild(gone);"
           "setTimeout(() => gone.remove(), 0);"));
    QTRY_COMPARE_WITH_TIMEOUT(js(str("Array.from(document.querySelector('body > div:last-of-type').shadowRoot"
                                     ".children).filter(e => e.value === '2.5').length"))
                                  .toInt(),
        400, 3000);
    QVERIFY(finished.wait(5000));
    // After the window, new fields are left as the page made them.
    js(str("const late = document.createElement('input'); late.name = 'title'; late.id = 'afterwards';"
           "document.body.appendChild(late);"));
    QTest::qWait(300);
    QCOMPARE(js(str("document.getElementById('afterwards').value")).toString(), QString());
    QCOMPARE(m_sink->texts(), QStringList());
}

void TestModernForms::previewShowsExactlyWhatTheFillDoes()
{
    // A range control takes no text: it is mapped, and left alone by both.
    // Values the controls take in a form of their own: an address with blanks
    // and a line break, two lines for a one-line box, CR LF for a text area.
    m_kit->properties[2].setValue(str(" me@example.com\n"));
    m_kit->properties[40].setValue(str("two\nlines"));
    m_kit->properties[41].setValue(str("first\r\nsecond"));
    m_kit->refreshRows();
    m_kit->writeMap({str("title=Program"), str("same=Program"), str("mail=EMail"), str("count=Program"),
        str("oneline=Desc45"), str("notes=Desc80"), str("osWin="), str("osMac="), str("lictrial="), str("cat="),
        str("plat="), str("stars=")});
    m_kit->writeValues("[osWin]\nValue=True\n[osMac]\nValue=False\n[lictrial]\nValue=True\n[cat]\nValue=Office;\n"
                       "[plat]\nValue=Windows;Mac;\n[stars]\nValue=9\n");
    QVERIFY(load(str("preview.html")));
    const FormSnapshot before = snapshot();
    js(str("window.mutations = 0")); // the page's own, while it was parsed
    const FormFillCommands::Outcome preview
        = FormFillCommands::runAndWait(FormFillCommands::Command::Preview, *m_adapter, m_kit->context());
    QCOMPARE(m_sink->texts(), QStringList());
    QStringList previewed;
    for (const FormControl& c : preview.preview)
        previewed << stateOf(c);
    QCOMPARE(preview.status, str("Auto fill preview: 10 fields would change"));

    // The page is exactly as it was: no value, no event, no mutation.
    const FormSnapshot untouched = snapshot();
    QCOMPARE(untouched.controls.size(), before.controls.size());
    for (qsizetype i = 0; i < before.controls.size(); ++i)
        QCOMPARE(stateOf(untouched.controls.at(i)), stateOf(before.controls.at(i)));
    QCOMPARE(js(str("eventLog.length + mutations")).toInt(), 0);

    QCOMPARE(previewed,
        QStringList({str("title=My Tool"), str("mail=me@example.com"), str("oneline=twolines"),
            str("notes=first\nsecond"), str("os[]=Win [x]"), str("os[]=Mac [ ]"), str("lic=free [ ]"),
            str("lic=trial [x]"), str("cat=o Games Utilities *Office"), str("plat=Windows *Windows Linux *Mac")}));

    // The fill then changes exactly these controls, exactly so.
    QCOMPARE(FormFillCommands::autoFillAndWait(*m_adapter, m_kit->context()), str("Form loaded"));
    const FormSnapshot after = snapshot();
    QStringList changed;
    for (qsizetype i = 0; i < after.controls.size(); ++i) {
        if (stateOf(after.controls.at(i)) != stateOf(before.controls.at(i)))
            changed << stateOf(after.controls.at(i));
    }
    QCOMPARE(changed, previewed);
}

void TestModernForms::previewMarksLeaveNoTrace()
{
    const QString fields = str("Array.from(document.forms[0].elements).map(e => e.outerHTML).join('\\n')");
    m_kit->writeMap({str("title=Program"), str("same=Program"), str("osWin="), str("cat="), str("count=Program")});
    m_kit->writeValues("[osWin]\nValue=True\n[cat]\nValue=Office;\n");
    QVERIFY(load(str("preview.html")));
    js(str("document.querySelector('[name=same]').setAttribute('title', 'the page\\'s own tip');"
           "document.querySelector('[name=cat]').style.color = 'green'; window.mutations = 0;"));
    const QString original = js(fields).toString();

    const FormFillCommands::Outcome marked
        = FormFillCommands::runAndWait(FormFillCommands::Command::PreviewWithMarks, *m_adapter, m_kit->context());
    // Only what would change is outlined, so the count and the outlines agree:
    // title, osWin and cat; "same" holds its value, "count" refuses a name.
    QCOMPARE(marked.marked, 3);
    QCOMPARE(marked.changed, 3);
    QCOMPARE(marked.status, str("Auto fill preview: 3 fields would change"));
    QCOMPARE(js(str("document.querySelector('[name=title]').title")).toString(), str("Program: My Tool"));
    QCOMPARE(js(str("document.querySelector('[name=same]').title")).toString(), str("the page's own tip"));
    QCOMPARE(js(str("document.querySelectorAll('[style*=dashed]').length")).toInt(), 3);
    QCOMPARE(js(str("document.querySelector('[value=Win]').title")).toString(), str("Site values file: True"));
    QCOMPARE(js(str("document.querySelector('[name=cat]').title")).toString(), str("Site values file: Office"));
    QVERIFY(
        js(str("getComputedStyle(document.querySelector('[name=title]')).outlineStyle")).toString() == str("dashed"));
    QCOMPARE(js(str("document.querySelector('[name=title]').value")).toString(), QString());

    // Taken away, the controls are as they were, attribute for attribute.
    QVERIFY(m_adapter->snapshot().ok);
    FormApplyResult removed;
    bool done = false;
    m_adapter->clearMarks([&](const FormApplyResult& r) {
        removed = r;
        done = true;
    });
    QTRY_VERIFY(done);
    QCOMPARE(removed.applied, 3);
    QCOMPARE(js(fields).toString(), original);

    // A fill takes the marks away too before it sets anything.
    FormFillCommands::runAndWait(FormFillCommands::Command::PreviewWithMarks, *m_adapter, m_kit->context());
    QCOMPARE(FormFillCommands::autoFillAndWait(*m_adapter, m_kit->context()), str("Form loaded"));
    QCOMPARE(js(str("document.querySelector('[name=same]').outerHTML")).toString(),
        str("<input type=\"text\" name=\"same\" value=\"My Tool\" title=\"the page's own tip\">"));
    QVERIFY(!js(str("document.querySelector('[name=title]').hasAttribute('title')")).toBool());
    QCOMPARE(js(str("document.querySelector('[name=title]').value")).toString(), str("My Tool"));
}

void TestModernForms::pageScriptsCannotSpoilTheFill()
{
    QVERIFY(serve(str("hostile-fill.html")));
    m_kit->writeMap({str("throwsyes="), str("refusesyes="), str("disabledyes="), str("title=Program"),
        str("inner1=Program"), str("version=Version")});
    m_kit->writeValues("[throwsyes]\nValue=True\n[refusesyes]\nValue=True\n[disabledyes]\nValue=True\n");
    QTRY_VERIFY(cleanJs(str("!!frames[0].document.querySelector('[name=inner1]')")).toBool());
    const FormFillCommands::Outcome outcome
        = FormFillCommands::runAndWait(FormFillCommands::Command::AutoFill, *m_adapter, m_kit->context(2000));
    QCOMPARE(outcome.status, str("Form loaded"));
    QCOMPARE(m_sink->texts(), QStringList());
    // Checked as a clean script world sees the controls: the page lies to its own.
    QCOMPARE(
        cleanJs(str("Array.from(document.querySelectorAll('[type=checkbox]')).map(e => e.checked).join()")).toString(),
        str("true,true,true"));
    QCOMPARE(cleanJs(str("frames[0].document.querySelector('[name=inner1]').value")).toString(), str("My Tool"));
    // Late fields still come in although the page took its own MutationObserver away.
    js(str("const v = document.createElement('input'); v.name = 'version'; document.forms[0].appendChild(v);"));
    QTRY_COMPARE_WITH_TIMEOUT(
        cleanJs(str("document.querySelector('[name=version]').value")).toString(), str("2.5"), 2000);
}

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QGuiApplication app(argc, argv);
    TestModernForms test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestModernForms.moc"
