#include "DataFieldLookup.h"
#include "DataSelectorRows.h"
#include "FormAutoFill.h"
#include "FormCapture.h"
#include "FormFileNames.h"
#include "FormFillCommands.h"
#include "FormMap.h"
#include "IniDocument.h"
#include "MemoText.h"
#include "PageFormAdapter.h"
#include "PageTestKit.h"
#include "PropertyCatalogue.h"
#include "TestSupport.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>

namespace {

// Two programs as the editor stores them: every line of a multi-line value
// followed by CR LF.
const char* const kFirstName = "NoteNest";
const char* const kFirstDescription = "NoteNest keeps your notes.\r\nFind anything in an instant.\r\n";
const char* const kSecondName = "PixelPilot";
const char* const kSecondDescription = "PixelPilot edits pictures.\r\nExport to PNG or JPEG.\r\n";

} // namespace

// Multi-line values between the program, which stores them with CR LF after
// every line, and pages, which report and take them with LF and no final
// line break: compared, learned by "Save form" and filled by "Auto fill form".
class TestMemoValues : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void sameText_data();
    void sameText();
    void forPage_data();
    void forPage();

    void lookupFindsMultiLineValuesOnly();
    void fillPlanSendsNoFinalLineBreak();
    void learnedOnARealPageAndReplayedForTheNextProgram();

private:
    void useProgram(const char* name, const char* description);
    void load();
    QVariant pageJs(const QString& script);
    FormFillCommands::Context context() const
    {
        return {m_dir->path(), m_rows.get(), {str("Brookside"), str("member"), str("pw")},
            m_properties[PropertyCatalogue::ProgramName].getValue()};
    }

    std::unique_ptr<TestProgramDirectory> m_dir;
    std::unique_ptr<RecordingMessageSink> m_sink;
    PropertyCatalogue m_properties;
    std::unique_ptr<DataSelectorRows> m_rows;
    std::unique_ptr<QWebEnginePage> m_page;
    std::unique_ptr<PageFormAdapter> m_adapter;
};

void TestMemoValues::init()
{
    m_dir = std::make_unique<TestProgramDirectory>();
    m_sink = std::make_unique<RecordingMessageSink>();
    m_properties = PropertyCatalogue();
    m_rows = std::make_unique<DataSelectorRows>(m_properties);
    m_rows->fillCaptions();
    useProgram(kFirstName, kFirstDescription);
}

void TestMemoValues::cleanup()
{
    m_adapter.reset();
    m_page.reset();
    m_rows.reset();
    m_sink.reset();
    m_dir.reset();
}

void TestMemoValues::useProgram(const char* name, const char* description)
{
    m_properties[PropertyCatalogue::ProgramName].setValue(str(name));
    m_properties[PageField::Desc80].setValue(str(name) + str(" in one line"));
    m_properties[PageField::Desc250].setValue(str(description));
    m_rows->refreshData();
}

void TestMemoValues::sameText_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("same");
    QTest::newRow("CR LF after every line") << str("one\ntwo") << str("one\r\ntwo\r\n") << true;
    QTest::newRow("lone CR after every line") << str("one\ntwo") << str("one\rtwo\r") << true;
    QTest::newRow("LF after every line") << str("one\ntwo") << str("one\ntwo\n") << true;
    QTest::newRow("no final break stored") << str("one\ntwo") << str("one\r\ntwo") << true;
    QTest::newRow("page with CR LF") << str("one\r\ntwo") << str("one\r\ntwo\r\n") << true;
    QTest::newRow("one-line memo") << str("one") << str("one\r\n") << true;
    // A lone CR beside a CR LF is two line breaks, not one or three.
    QTest::newRow("CR then CR LF is two breaks") << str("one\n\ntwo") << str("one\r\r\ntwo\r\n") << true;
    QTest::newRow("CR then CR LF is not one break") << str("one\ntwo") << str("one\r\r\ntwo\r\n") << false;
    QTest::newRow("only one final break goes") << str("one\ntwo") << str("one\r\ntwo\r\n\r\n") << false;
    QTest::newRow("other text") << str("one\ntwo") << str("one\r\nthree\r\n") << false;
    QTest::newRow("letter case counts") << str("One\ntwo") << str("one\r\ntwo\r\n") << false;
    // Without a line break on either side the comparison stays exact.
    QTest::newRow("single line exact") << str("My Tool") << str("My Tool") << true;
    QTest::newRow("single line, blank differs") << str("My Tool") << str("My Tool ") << false;
    QTest::newRow("single line, case differs") << str("my tool") << str("My Tool") << false;
}

void TestMemoValues::sameText()
{
    QFETCH(QString, page);
    QFETCH(QString, stored);
    QFETCH(bool, same);
    QCOMPARE(MemoText::sameText(page, stored), same);
}

void TestMemoValues::forPage_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("sent");
    QTest::newRow("CR LF") << str("one\r\ntwo\r\n") << str("one\r\ntwo");
    QTest::newRow("LF") << str("one\ntwo\n") << str("one\ntwo");
    QTest::newRow("lone CR") << str("one\rtwo\r") << str("one\rtwo");
    QTest::newRow("one break only") << str("one\r\n\r\n") << str("one\r\n");
    QTest::newRow("no break") << str("one") << str("one");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("break alone") << str("\r\n") << QString();
}

void TestMemoValues::forPage()
{
    QFETCH(QString, stored);
    QFETCH(QString, sent);
    QCOMPARE(MemoText::forPage(stored), sent);
}

void TestMemoValues::lookupFindsMultiLineValuesOnly()
{
    m_properties[PageField::Changes].setValue(str("Faster search.\r\n"));
    m_rows->refreshData();
    const DataFieldLookup lookup(*m_rows, {str("Brookside"), str("member"), str("pw")});
    QCOMPARE(lookup.findDataField(str("NoteNest keeps your notes.\nFind anything in an instant.")), str("Desc250"));
    QCOMPARE(lookup.findDataField(str("Faster search.")), str("Changes"));
    // A page's value that only starts like a stored one is not it.
    QCOMPARE(lookup.findDataField(str("NoteNest keeps your notes.")), QString());
    QCOMPARE(lookup.findDataField(str("NoteNest in one line")), str("Desc80"));
    QCOMPARE(lookup.findDataField(str("NoteNest in one line ")), QString());
}

void TestMemoValues::fillPlanSendsNoFinalLineBreak()
{
    m_dir->writeFile(str("SiteData/Brookside.xml"),
        "<XML_SITE_SUBMIT_INFO><CONTROL Name=\"description\" Type=\"textarea\" DataField=\"Desc250\"/>"
        "<CONTROL Name=\"summary\" Type=\"text\" DataField=\"Desc80\"/></XML_SITE_SUBMIT_INFO>\r\n");
    FormSnapshot snapshot;
    snapshot.hasDocument = snapshot.hasBody = true;
    snapshot.controls = {{3, str("TEXTAREA"), str("textarea"), str("description"), QString(), false, {}},
        {5, str("INPUT"), str("text"), str("summary"), QString(), false, {}}};
    const FormAutoFill::Plan plan
        = FormAutoFill(m_dir->path(), *m_rows, {str("Brookside"), QString(), QString()}, str(kFirstName))
              .plan(snapshot);
    QCOMPARE(plan.changes.size(), 2);
    QCOMPARE(plan.changes.at(0).value, str("NoteNest keeps your notes.\r\nFind anything in an instant."));
    QCOMPARE(plan.changes.at(1).value, str("NoteNest in one line"));
}

void TestMemoValues::load()
{
    if (!m_page) {
        m_page = std::make_unique<QWebEnginePage>();
        m_adapter = std::make_unique<PageFormAdapter>(m_page.get());
    }
    QSignalSpy finished(m_page.get(), &QWebEnginePage::loadFinished);
    m_page->load(QUrl::fromLocalFile(testDataPath(str("formfill/memo-form.html"))));
    QVERIFY(finished.wait(20000));
    QVERIFY(finished.first().first().toBool());
}

QVariant TestMemoValues::pageJs(const QString& script)
{
    QVariant result;
    bool done = false;
    m_page->runJavaScript(script, QWebEngineScript::MainWorld, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 10000))
        qWarning("no answer to %s", qPrintable(script));
    return result;
}

void TestMemoValues::learnedOnARealPageAndReplayedForTheNextProgram()
{
    // The user fills the form for the first program; the text area reports
    // the description with LF line breaks and without the final one.
    load();
    pageJs(str("document.querySelector('[name=\"product[name]\"]').value = 'NoteNest';"
               "document.querySelector('textarea[name=description]').value ="
               " 'NoteNest keeps your notes.\\r\\nFind anything in an instant.';"
               "document.querySelector('textarea[name=whatsnew]').value = 'Typed by hand\\non two lines';"
               "document.querySelector('[name=summary]').value = 'NoteNest in one line'; true"));
    QCOMPARE(pageJs(str("document.querySelector('textarea[name=description]').value")).toString(),
        str("NoteNest keeps your notes.\nFind anything in an instant."));
    QCOMPARE(FormFillCommands::saveFormAndWait(*m_adapter, context()), str("Form saved"));

    const FormMap map = FormMap::load(FormFileNames::siteMap(m_dir->path(), str("Brookside")));
    QCOMPARE(map.dataField(str("description")), std::optional<QString>(str("Desc250")));
    QCOMPARE(map.dataField(str("summary")), std::optional<QString>(str("Desc80")));
    QCOMPARE(map.dataField(str("productname")), std::optional<QString>(str("Program")));
    // Text that is no program value is kept for this program only.
    QCOMPARE(map.dataField(str("whatsnew")), std::optional<QString>(QString()));
    const IniDocument values
        = IniDocument::load(FormFileNames::siteValues(m_dir->path(), str(kFirstName), str("Brookside")));
    QVERIFY(!values.hasSection(str("description")));
    QVERIFY(values.hasSection(str("whatsnew")));

    // The second program's own text goes into a fresh page, whole and
    // without a final line break: a site counting characters sees its length.
    useProgram(kSecondName, kSecondDescription);
    load();
    QCOMPARE(FormFillCommands::autoFillAndWait(*m_adapter, context()), str("Form loaded"));
    const QString expected = str("PixelPilot edits pictures.\nExport to PNG or JPEG.");
    QCOMPARE(pageJs(str("document.querySelector('textarea[name=description]').value")).toString(), expected);
    QCOMPARE(pageJs(str("document.getElementById('count').textContent")).toString(), QString::number(expected.size()));
    QCOMPARE(pageJs(str("document.querySelector('[name=summary]').value")).toString(), str("PixelPilot in one line"));
    QCOMPARE(pageJs(str("document.querySelector('[name=\"product[name]\"]').value")).toString(), str("PixelPilot"));
    // The first program's values file is not the second's.
    QCOMPARE(pageJs(str("document.querySelector('textarea[name=whatsnew]').value")).toString(), QString());
    QVERIFY(m_sink->messages.isEmpty());
}

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QGuiApplication app(argc, argv);
    TestMemoValues test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestMemoValues.moc"
