#include "DataSelectorRows.h"
#include "FormFileNames.h"
#include "FormFillCommands.h"
#include "FormMap.h"
#include "IniDocument.h"
#include "PageFormAdapter.h"
#include "PropertyCatalogue.h"
#include "TestSupport.h"

#include <QFile>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace

// Real pages in a real, offscreen web engine page.
class TestPageForms : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void snapshotReadsTheTopLevelControls();
    void captureRecordsWhatTheUserEntered();
    void fillSetsEveryKindOfControl();
    void fillFromGeneralMapAndValuesFile();
    void pageScriptsSeeTheFill();
    void changesForALeftDocumentAreNotApplied();
    void pageScriptsCannotFoolTheSnapshot();
    void documentWithoutBody();
    void answersAfterTheAdapterIsGoneAreDropped();

private:
    void load(const QString& fixture);
    QVariant pageJs(const QString& script); // in the page's own world
    QString valueOf(const QString& selector)
    {
        return pageJs(str("document.querySelector('%1').value").arg(selector)).toString();
    }
    bool checkedAt(const QString& selector)
    {
        return pageJs(str("document.querySelector('%1').checked").arg(selector)).toBool();
    }
    QString selectedOf(const QString& name)
    {
        return pageJs(
            str("Array.from(document.querySelector('select[name=%1]').options).map(o => o.selected ? 1 : 0).join('')")
                .arg(name))
            .toString();
    }
    FormFillCommands::Context context() const
    {
        return {m_dir->path(), m_rows.get(), {str("Soft Site"), str("author"), str("s3cret")}, str("My Tool")};
    }

    std::unique_ptr<TestProgramDirectory> m_dir;
    std::unique_ptr<RecordingMessageSink> m_sink;
    PropertyCatalogue m_properties;
    std::unique_ptr<DataSelectorRows> m_rows;
    std::unique_ptr<QWebEnginePage> m_page;
    std::unique_ptr<PageFormAdapter> m_adapter;
};

void TestPageForms::init()
{
    m_dir = std::make_unique<TestProgramDirectory>();
    m_sink = std::make_unique<RecordingMessageSink>();
    m_properties = PropertyCatalogue();
    m_properties[PropertyCatalogue::ProgramName].setValue(str("My Tool"));
    m_properties[15].setValue(str("2.5"));                     // Version
    m_properties[26].setValue(str("Windows 98; Windows XP;")); // OS
    m_rows = std::make_unique<DataSelectorRows>(m_properties);
    m_rows->fillCaptions();
    m_rows->refreshData();
    m_page = std::make_unique<QWebEnginePage>();
    m_adapter = std::make_unique<PageFormAdapter>(m_page.get());
}

void TestPageForms::cleanup()
{
    m_adapter.reset();
    m_page.reset();
    m_rows.reset();
    m_sink.reset();
    m_dir.reset();
}

void TestPageForms::load(const QString& fixture)
{
    QSignalSpy finished(m_page.get(), &QWebEnginePage::loadFinished);
    m_page->load(QUrl::fromLocalFile(testDataPath(str("formfill/") + fixture)));
    QVERIFY(finished.wait(20000));
    QVERIFY(finished.first().first().toBool());
}

QVariant TestPageForms::pageJs(const QString& script)
{
    QVariant result;
    bool done = false;
    m_page->runJavaScript(script, QWebEngineScript::MainWorld, [&](const QVariant& v) {
        result = v;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 10000))
        qWarning("no answer to %s", qPrintable(script));
    return result;
}

void TestPageForms::snapshotReadsTheTopLevelControls()
{
    load(str("form.html"));
    const PageFormAdapter::SnapshotResult result = m_adapter->snapshot();
    QVERIFY2(result.ok, qPrintable(result.error));
    const FormSnapshot& s = result.snapshot;
    QVERIFY(s.hasDocument);
    QVERIFY(s.hasBody);
    QVERIFY(!s.documentToken.isEmpty());
    QStringList seen;
    int lastPosition = -1;
    for (const FormControl& c : s.controls) {
        seen << c.tag + QLatin1Char(' ') + c.type + QLatin1Char(' ') + c.name;
        QVERIFY(c.position > lastPosition);
        lastPosition = c.position;
    }
    QCOMPARE(seen,
        QStringList({str("INPUT text title"), str("INPUT text user"), str("INPUT password pw"),
            str("TEXTAREA textarea desc"), str("INPUT checkbox os[]"), str("INPUT checkbox os[]"),
            str("INPUT radio lic"), str("INPUT radio lic"), str("SELECT select-one cat"),
            str("SELECT select-multiple plat"), str("INPUT text "), str("INPUT number count"), str("INPUT text extra"),
            str("INPUT hidden token"), str("INPUT button helper"), str("INPUT submit go")}));
    QCOMPARE(s.controls.at(4).value, str("Win"));
    QVERIFY(s.controls.at(6).checked);
    QVERIFY(!s.controls.at(7).checked);
    const FormControl& cat = s.controls.at(8);
    QCOMPARE(cat.options.size(), 3);
    QCOMPARE(cat.options.at(0).text, str("Games"));
    QVERIFY(cat.options.at(0).selected);
    QCOMPARE(s.controls.at(9).options.at(0).text, str("Windows 95")); // the document collapses the blanks
    QCOMPARE(s.controls.at(12).value, str("untouched"));
}

void TestPageForms::captureRecordsWhatTheUserEntered()
{
    load(str("form.html"));
    // What the author typed and clicked by hand.
    pageJs(str(R"(
        const f = document.forms[0];
        f.title.value = '  My Tool ';
        f.user.value = 'author';
        f.pw.value = 's3cret';
        f.desc.value = 'A tool.';
        f.querySelector('[value=Mac]').checked = true;
        f.querySelector('[value=trial]').checked = true;
        f.cat.selectedIndex = 1;
        f.plat.options[1].selected = true;
        f.plat.options[2].selected = true;
        document.getElementById('unnamed').value = 'anything';
        document.querySelector('iframe').contentDocument.querySelector('input').value = '2.5';
    )"));
    QCOMPARE(FormFillCommands::saveFormAndWait(*m_adapter, context()), str("Form saved"));
    QCOMPARE(m_sink->texts(), QStringList());

    QStringList recorded;
    for (const FormMap::Control& c : FormMap::load(m_dir->file(str("SiteData/Soft Site.xml"))).controls())
        recorded << c.name + QLatin1Char('|') + c.type + QLatin1Char('|') + c.dataField;
    QCOMPARE(recorded,
        QStringList({str("title|text|Program"), str("user|text|Username"), str("pw|password|Password"),
            str("desc|textarea|"), str("osWin|checkbox|"), str("osMac|checkbox|"), str("licfree|radio|"),
            str("lictrial|radio|"), str("cat|select-one|"), str("plat|select-multiple|"), str("unnamed|text|"),
            str("count|number|"), str("extra|text|"), str("helper|button|")}));

    const IniDocument values = IniDocument::load(m_dir->file(str("SiteData/My ToolSoft Site.ini")));
    QCOMPARE(values.readString(str("desc"), str("Value"), {}), str("A tool."));
    QCOMPARE(values.readString(str("osWin"), str("Value"), {}), str("False"));
    QCOMPARE(values.readString(str("osMac"), str("Value"), {}), str("True"));
    QCOMPARE(values.readString(str("licfree"), str("Value"), {}), str("False"));
    QCOMPARE(values.readString(str("lictrial"), str("Value"), {}), str("True"));
    QCOMPARE(values.readString(str("cat"), str("Value"), {}), str("Utilities;"));
    QCOMPARE(values.readString(str("plat"), str("Value"), {}), str("Windows 98;Windows XP;"));
    QCOMPARE(values.readString(str("helper"), str("Value"), {}), str("Check"));
    QCOMPARE(values.readString(str("unnamed"), str("Value"), {}), str("anything")); // keyed by its id
    QVERIFY(!values.hasSection(str("framed")));
    QVERIFY(!values.hasSection(str("token")));
    QVERIFY(!values.hasSection(str("go")));

    // The same page captured again: one element per key, in the first order.
    const QByteArray first = m_dir->readFile(str("SiteData/Soft Site.xml"));
    QCOMPARE(FormFillCommands::saveFormAndWait(*m_adapter, context()), str("Form saved"));
    QCOMPARE(m_dir->readFile(str("SiteData/Soft Site.xml")), first);
}

void TestPageForms::fillSetsEveryKindOfControl()
{
    m_dir->writeFile(str("SiteData/Soft Site.xml"),
        "<XML_SITE_SUBMIT_INFO><CONTROL Name=\"title\" Type=\"text\" DataField=\"Program\"/>"
        "<CONTROL Name=\"user\" Type=\"text\" DataField=\"Username\"/>"
        "<CONTROL Name=\"pw\" Type=\"password\" DataField=\"Password\"/>"
        "<CONTROL Name=\"desc\" Type=\"textarea\" DataField=\"\"/>"
        "<CONTROL Name=\"osWin\" Type=\"checkbox\" DataField=\"\"/>"
        "<CONTROL Name=\"osMac\" Type=\"checkbox\" DataField=\"\"/>"
        "<CONTROL Name=\"licfree\" Type=\"radio\" DataField=\"\"/>"
        "<CONTROL Name=\"lictrial\" Type=\"radio\" DataField=\"\"/>"
        "<CONTROL Name=\"cat\" Type=\"select-one\" DataField=\"\"/>"
        "<CONTROL Name=\"plat\" Type=\"select-multiple\" DataField=\"OS\"/>"
        "<CONTROL Name=\"count\" Type=\"number\" DataField=\"Program\"/>"
        "<CONTROL Name=\"token\" Type=\"hidden\" DataField=\"Program\"/>"
        "<CONTROL Name=\"framed\" Type=\"text\" DataField=\"Program\"/>"
        "<CONTROL Name=\"helper\" Type=\"button\" DataField=\"Program\"/>"
        "</XML_SITE_SUBMIT_INFO>\r\n");
    m_dir->writeFile(str("SiteData/My ToolSoft Site.ini"),
        "[desc]\r\nValue=Kept in the values file\r\n[osWin]\r\nValue=True\r\n[licfree]\r\nValue=False\r\n"
        "[lictrial]\r\nValue=True\r\n[cat]\r\nValue=Office;\r\n");
    load(str("form.html"));
    pageJs(str("document.forms[0].querySelector('[value=Mac]').checked = true;"));

    QCOMPARE(FormFillCommands::autoFillAndWait(*m_adapter, context()), str("Form loaded"));
    QCOMPARE(m_sink->texts(), QStringList());
    QCOMPARE(valueOf(str("[name=title]")), str("My Tool"));
    QCOMPARE(valueOf(str("[name=user]")), str("author"));
    QCOMPARE(valueOf(str("[name=pw]")), str("s3cret"));
    QCOMPARE(valueOf(str("[name=desc]")), str("Kept in the values file"));
    QVERIFY(checkedAt(str("[value=Win]")));
    QVERIFY(!checkedAt(str("[value=Mac]"))); // no value anywhere: cleared
    QVERIFY(!checkedAt(str("[value=free]")));
    QVERIFY(checkedAt(str("[value=trial]")));
    QCOMPARE(selectedOf(str("cat")), str("001"));
    QCOMPARE(selectedOf(str("plat")), str("0110"));
    QCOMPARE(valueOf(str("[name=count]")), QString()); // a number box refuses a name and stays as it was
    QCOMPARE(valueOf(str("[name=token]")), str("abc123"));
    QCOMPARE(valueOf(str("[name=helper]")), str("Check"));
    QCOMPARE(valueOf(str("[name=extra]")), str("untouched"));
    QCOMPARE(pageJs(str("document.querySelector('iframe').contentDocument.querySelector('input').value")).toString(),
        str("inside the frame"));
}

void TestPageForms::fillFromGeneralMapAndValuesFile()
{
    m_dir->writeFile(str("SiteData/General.xml"),
        "<XML_SITE_SUBMIT_INFO><CONTROL Name=\"title\" Type=\"text\" DataField=\"Version\"/>"
        "<CONTROL Name=\"cat\" Type=\"select-one\" DataField=\"\"/></XML_SITE_SUBMIT_INFO>");
    m_dir->writeFile(str("SiteData/My ToolSoft Site.ini"), "[cat]\nValue=Utilities;\n");
    load(str("form.html"));
    QCOMPARE(FormFillCommands::autoFillAndWait(*m_adapter, context()), str("Form loaded"));
    QCOMPARE(valueOf(str("[name=title]")), str("2.5"));
    QCOMPARE(selectedOf(str("cat")), str("010"));

    // Without any map nothing is filled and nothing is shown.
    QFile::remove(m_dir->file(str("SiteData/General.xml")));
    load(str("form.html"));
    QCOMPARE(FormFillCommands::autoFillAndWait(*m_adapter, context()), QString());
    QCOMPARE(valueOf(str("[name=title]")), QString());
    QCOMPARE(m_sink->texts(), QStringList());

    // A map that cannot be read is reported by name.
    m_dir->writeFile(str("SiteData/Soft Site.xml"), "<XML_SITE_SUBMIT_INFO>");
    QCOMPARE(FormFillCommands::autoFillAndWait(*m_adapter, context()), QString());
    QCOMPARE(m_sink->messages.size(), 1);
    QVERIFY(m_sink->messages.at(0).text.contains(m_dir->file(str("SiteData/Soft Site.xml"))));
}

void TestPageForms::pageScriptsSeeTheFill()
{
    m_dir->writeFile(str("SiteData/Soft Site.xml"),
        "<XML_SITE_SUBMIT_INFO><CONTROL Name=\"title\" DataField=\"Program\"/><CONTROL Name=\"extra\" "
        "DataField=\"Program\"/><CONTROL Name=\"osWin\" DataField=\"\"/><CONTROL Name=\"licfree\" DataField=\"\"/>"
        "<CONTROL Name=\"cat\" DataField=\"\"/><CONTROL Name=\"plat\" DataField=\"OS\"/></XML_SITE_SUBMIT_INFO>");
    m_dir->writeFile(
        str("SiteData/My ToolSoft Site.ini"), "[osWin]\nValue=True\n[licfree]\nValue=True\n[cat]\nValue=Games;\n");
    load(str("form.html"));
    QCOMPARE(FormFillCommands::autoFillAndWait(*m_adapter, context()), str("Form loaded"));
    // licfree and cat already held their values: no events for them.
    QCOMPARE(pageJs(str("window.eventLog.join(' ')")).toString(),
        str("input:title change:title input:os[] change:os[] input:plat change:plat input:extra change:extra"));
    // A second fill finds every value in place and sends nothing.
    pageJs(str("window.eventLog = []"));
    QCOMPARE(FormFillCommands::autoFillAndWait(*m_adapter, context()), str("Form loaded"));
    QCOMPARE(pageJs(str("window.eventLog.length")).toInt(), 0);
}

void TestPageForms::changesForALeftDocumentAreNotApplied()
{
    load(str("form.html"));
    const PageFormAdapter::SnapshotResult before = m_adapter->snapshot();
    QVERIFY(before.ok);
    FormChange change;
    change.position = before.snapshot.controls.at(0).position;
    change.tag = str("INPUT");
    change.name = str("title");
    change.value = str("late");

    // The same document: applied; a control that is not the one read: skipped.
    FormChange wrong = change;
    wrong.name = str("other");
    FormApplyResult applied = m_adapter->apply(before.snapshot.documentToken, {change, wrong});
    QVERIFY2(applied.ok, qPrintable(applied.error));
    QCOMPARE(applied.applied, 1);
    QCOMPARE(applied.changed, 1);
    QCOMPARE(applied.skipped, 1);

    load(str("form.html")); // the page reloaded meanwhile
    applied = m_adapter->apply(before.snapshot.documentToken, {change});
    QVERIFY(applied.documentChanged);
    QCOMPARE(applied.applied, 0);
    QCOMPARE(valueOf(str("[name=title]")), QString());
}

void TestPageForms::pageScriptsCannotFoolTheSnapshot()
{
    load(str("hostile.html"));
    const PageFormAdapter::SnapshotResult result = m_adapter->snapshot();
    QVERIFY(result.ok);
    QCOMPARE(result.snapshot.controls.size(), 2);
    QCOMPARE(result.snapshot.controls.at(0).value, str("real"));

    m_dir->writeFile(str("SiteData/Soft Site.xml"),
        "<XML_SITE_SUBMIT_INFO><CONTROL Name=\"title\" DataField=\"Program\"/></XML_SITE_SUBMIT_INFO>");
    QCOMPARE(FormFillCommands::autoFillAndWait(*m_adapter, context()), str("Form loaded"));
    QCOMPARE(m_adapter->snapshot().snapshot.controls.at(0).value, str("My Tool"));
}

void TestPageForms::answersAfterTheAdapterIsGoneAreDropped()
{
    load(str("form.html"));
    // A snapshot asked for and not answered yet when its owner goes: the page,
    // destroyed next, answers every pending script, and that answer must not
    // reach the owner's callback (it would find its owner half destroyed).
    int calls = 0;
    m_adapter->takeSnapshot([&calls](const PageFormAdapter::SnapshotResult&) { ++calls; });
    m_adapter.reset();
    m_page.reset();
    QCOMPARE(calls, 0);

    // While the adapter lives, an answer cut short by the page's end still comes.
    m_page = std::make_unique<QWebEnginePage>();
    m_adapter = std::make_unique<PageFormAdapter>(m_page.get());
    load(str("form.html"));
    bool ok = true;
    m_adapter->takeSnapshot([&](const PageFormAdapter::SnapshotResult& result) {
        ++calls;
        ok = result.ok;
    });
    m_page.reset();
    QCOMPARE(calls, 1);
    QVERIFY(!ok);
}

void TestPageForms::documentWithoutBody()
{
    load(str("nobody.svg"));
    const PageFormAdapter::SnapshotResult result = m_adapter->snapshot();
    QVERIFY(result.ok);
    QVERIFY(result.snapshot.hasDocument);
    QVERIFY(!result.snapshot.hasBody);
    // Without a body there is no form: the capture says so and writes no map.
    QCOMPARE(
        FormFillCommands::saveFormAndWait(*m_adapter, context()), str("The page holds no form; nothing was saved"));
    QVERIFY(!QFile::exists(m_dir->file(str("SiteData/Soft Site.xml"))));
    m_dir->writeFile(str("SiteData/Soft Site.xml"), "<XML_SITE_SUBMIT_INFO/>\r\n");
    QCOMPARE(FormFillCommands::autoFillAndWait(*m_adapter, context()), str("Form loaded"));
}

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QGuiApplication app(argc, argv);
    TestPageForms test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestPageForms.moc"
