#include "DataFieldLookup.h"
#include "DataSelectorRows.h"
#include "FormAutoFill.h"
#include "FormCapture.h"
#include "FormFileNames.h"
#include "FormMap.h"
#include "IniDocument.h"
#include "MessageTranslation.h"
#include "PropertyCatalogue.h"
#include "QuilletError.h"
#include "SiteValues.h"
#include "TestSupport.h"

#include <QFile>
#include <QTest>

namespace {

int g_position = 0;

FormControl input(const QString& type, const QString& name, const QString& value, bool checked = false)
{
    FormControl c;
    c.position = g_position++;
    c.tag = QStringLiteral("INPUT");
    c.type = type;
    c.name = name;
    c.value = value;
    c.checked = checked;
    return c;
}

FormControl textArea(const QString& name, const QString& value)
{
    FormControl c = input(QStringLiteral("textarea"), name, value);
    c.tag = QStringLiteral("TEXTAREA");
    return c;
}

// options: texts, with a leading "*" for a selected one
FormControl select(const QString& name, const QStringList& options, bool multiple = false)
{
    FormControl c = input(multiple ? QStringLiteral("select-multiple") : QStringLiteral("select-one"), name, QString());
    c.tag = QStringLiteral("SELECT");
    for (const QString& option : options) {
        const bool selected = option.startsWith(QLatin1Char('*'));
        c.options.append({selected ? option.mid(1) : option, selected});
        if (selected && c.value.isEmpty())
            c.value = c.options.last().text;
    }
    return c;
}

FormSnapshot page(const QVector<FormControl>& controls)
{
    FormSnapshot s;
    s.hasDocument = true;
    s.hasBody = true;
    s.controls = controls;
    return s;
}

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace

class TestFormLogic : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void findDataField_data();
    void findDataField();
    void getDataFieldValue_data();
    void getDataFieldValue();
    void captionsServeInEveryLanguage();

    void captureRecordsEveryKindOfControl();
    void captureTwiceKeepsOneElementPerKeyInFirstOrder();
    void captureWithoutBodyRewritesTheMap();
    void captureLeavesAnUnreadableMapAlone();
    void captureReportsWriteFailures();
    void captureLeavesOutKeysItCannotStore();
    void statusTextsAreTranslated();

    void fillFollowsEveryRule();
    void fillFallsBackToTheGeneralMap();
    void fillWithoutAnyMapDoesNothing();
    void fillWithoutBodyOnlyLoadsTheMap();
    void fillReportsAnUnreadableMap();
    void fillTakesTheCurrentProgram();
    void fillUsesValuesFileForCaptionsOfAnotherLanguage();
    void selection_data();
    void selection();
    void siteAndProgramNamesAreCleaned();
    void multiLineValuesReadBackExactly_data();
    void multiLineValuesReadBackExactly();
    void valuesFilesWrittenBeforeReadUnchanged();

private:
    FormCapture capturer() { return FormCapture(m_dir->path(), *m_rows, m_site, m_programName); }
    FormAutoFill filler() { return FormAutoFill(m_dir->path(), *m_rows, m_site, m_programName); }
    QString mapPath() const { return FormFileNames::siteMap(m_dir->path(), m_site.siteName); }
    QString valuesPath() const { return FormFileNames::siteValues(m_dir->path(), m_programName, m_site.siteName); }

    std::unique_ptr<TestProgramDirectory> m_dir;
    std::unique_ptr<RecordingMessageSink> m_sink;
    PropertyCatalogue m_properties;
    std::unique_ptr<DataSelectorRows> m_rows;
    SiteAccount m_site;
    QString m_programName;
};

void TestFormLogic::init()
{
    g_position = 0;
    m_dir = std::make_unique<TestProgramDirectory>();
    m_sink = std::make_unique<RecordingMessageSink>();
    m_properties = PropertyCatalogue();
    m_properties[PropertyCatalogue::Company].setValue(str("Acme"));
    m_properties[2].setValue(str("me@acme.com")); // EMail
    m_properties[3].setValue(str("Dup"));         // Contact
    m_properties[PropertyCatalogue::ProgramName].setValue(str("My Tool"));
    m_properties[15].setValue(str("1.0"));       // Version
    m_properties[18].setValue(str("Dup"));       // Keywords
    m_properties[25].setValue(str("Shareware")); // License
    m_rows = std::make_unique<DataSelectorRows>(m_properties);
    m_rows->fillCaptions();
    m_rows->refreshData();
    m_site = {str("Site"), str("me@acme.com"), str("secret")};
    m_programName = str("My Tool");
}

void TestFormLogic::cleanup()
{
    installMessageTranslator(nullptr);
    m_rows.reset();
    m_sink.reset();
    m_dir.reset();
}

void TestFormLogic::findDataField_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("field");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("account name wins over the company e-mail") << str("me@acme.com") << str("Username");
    QTest::newRow("password") << str("secret") << str("Password");
    QTest::newRow("catalogue entry") << str("1.0") << str("Version");
    QTest::newRow("upper row wins") << str("Dup") << str("Contact");
    QTest::newRow("case matters") << str("acme") << QString();
    QTest::newRow("blanks matter") << str("1.0 ") << QString();
    QTest::newRow("no match") << str("Other") << QString();
}

void TestFormLogic::findDataField()
{
    QFETCH(QString, value);
    QFETCH(QString, field);
    QCOMPARE(DataFieldLookup(*m_rows, m_site).findDataField(value), field);
}

void TestFormLogic::getDataFieldValue_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::newRow("Username") << str("Username") << str("me@acme.com");
    QTest::newRow("Password") << str("Password") << str("secret");
    QTest::newRow("caption") << str("Program") << str("My Tool");
    QTest::newRow("caption case matters") << str("program") << QString();
    QTest::newRow("unknown") << str("Nothing") << QString();
    QTest::newRow("empty field, not the separator row") << QString() << QString();
}

void TestFormLogic::getDataFieldValue()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QCOMPARE(DataFieldLookup(*m_rows, m_site).getDataFieldValue(field), value);
}

void TestFormLogic::captionsServeInEveryLanguage()
{
    // Keywords are shown as "Version", another row's English caption: the
    // caption as shown wins.
    installMessageTranslator([](const QString& text) {
        if (text == QLatin1String("Program"))
            return str("Programm");
        if (text == QLatin1String("Version"))
            return str("Fassung");
        if (text == QLatin1String("Keywords"))
            return str("Version");
        return text;
    });
    m_rows->fillCaptions();
    QCOMPARE(m_rows->caption(14), str("Programm"));
    const DataFieldLookup lookup(*m_rows, m_site);
    // Capture records the English caption, which every language reads back.
    QCOMPARE(lookup.findDataField(str("My Tool")), str("Program"));
    QCOMPARE(lookup.getDataFieldValue(str("Programm")), str("My Tool"));
    QCOMPARE(lookup.getDataFieldValue(str("Program")), str("My Tool"));
    QCOMPARE(lookup.getDataFieldValue(str("Version")), str("Dup"));
    QCOMPARE(lookup.getDataFieldValue(str("Keywords")), str("Dup"));
    QCOMPARE(lookup.getDataFieldValue(str("Fassung")), str("1.0"));
    QCOMPARE(lookup.getDataFieldValue(str("program")), QString());
    // A map recorded in this language and one recorded in English fill alike.
    m_dir->writeFile(str("SiteData/Site.xml"),
        "<XML_SITE_SUBMIT_INFO><CONTROL Name=\"a\" Type=\"text\" DataField=\"Programm\"/>"
        "<CONTROL Name=\"b\" Type=\"text\" DataField=\"Program\"/></XML_SITE_SUBMIT_INFO>");
    const FormAutoFill::Plan plan
        = filler().plan(page({input(str("text"), str("a"), QString()), input(str("text"), str("b"), QString())}));
    QCOMPARE(plan.changes.size(), 2);
    QCOMPARE(plan.changes.at(0).value, str("My Tool"));
    QCOMPARE(plan.changes.at(1).value, str("My Tool"));
}

void TestFormLogic::captureRecordsEveryKindOfControl()
{
    const FormSnapshot snapshot = page({
        input(str("text"), str("title"), str("  My Tool ")),
        input(str("password"), str("pw"), str("secret")),
        input(str("text"), str("acct"), str("me@acme.com")),
        textArea(str("notes"), str(" hand typed ")),
        input(str("checkbox"), str("os[]"), str(" Win "), true),
        input(str("checkbox"), str("os[]"), str("Mac"), false),
        input(str("radio"), str("lic"), str("free"), false),
        input(str("radio"), str("lic"), str("trial"), true),
        select(str("cat"), {str("Games"), str("*Utilities")}),
        select(str("plat"), {str("*Windows"), str("Mac"), str("*Linux")}, true),
        select(str("none"), {str("A"), str("B")}, true),
        input(str("text"), str("empty"), QString()),
        input(str("hidden"), str("token"), str("abc")),
        input(str("submit"), str("go"), str("Send")),
        input(str("BUTTON"), str("upper"), str("x")),
        input(str("button"), str("lower"), str("Click")),
        input(str("text"), QString(), str("first unnamed")),
        input(str("file"), QString(), QString()),
        [] {
            FormControl c = input(str("text"), QString(), str("by id"));
            c.id = str("homepage");
            return c;
        }(),
    });
    QCOMPARE(capturer().saveForm(snapshot), str("Form saved"));
    QVERIFY(m_sink->messages.isEmpty());

    const FormMap map = FormMap::load(mapPath());
    QStringList recorded;
    for (const FormMap::Control& c : map.controls())
        recorded << c.name + QLatin1Char('|') + c.type + QLatin1Char('|') + c.dataField;
    const QStringList expected = {str("title|text|Program"), str("pw|password|Password"), str("acct|text|Username"),
        str("notes|textarea|"), str("osWin|checkbox|"), str("osMac|checkbox|"), str("licfree|radio|"),
        str("lictrial|radio|"), str("cat|select-one|"), str("plat|select-multiple|"), str("none|select-multiple|"),
        str("empty|text|"), str("lower|button|"), str("homepage|text|")}; // nothing for those without name and id
    QCOMPARE(recorded, expected);

    const IniDocument values = IniDocument::load(valuesPath());
    QCOMPARE(values.sectionNames(),
        QStringList({str("notes"), str("osWin"), str("osMac"), str("licfree"), str("lictrial"), str("cat"), str("plat"),
            str("none"), str("empty"), str("lower"), str("homepage")}));
    QCOMPARE(values.readString(str("notes"), str("Value"), str("?")), str("hand typed"));
    QCOMPARE(values.readString(str("osWin"), str("Value"), str("?")), str("True"));
    QCOMPARE(values.readString(str("osWin"), str("Type"), str("?")), str("checkbox"));
    QCOMPARE(values.readString(str("osMac"), str("Value"), str("?")), str("False"));
    QCOMPARE(values.readString(str("licfree"), str("Value"), str("?")), str("False"));
    QCOMPARE(values.readString(str("lictrial"), str("Value"), str("?")), str("True"));
    QCOMPARE(values.readString(str("cat"), str("Value"), str("?")), str("Utilities;"));
    QCOMPARE(values.readString(str("plat"), str("Value"), str("?")), str("Windows;Linux;"));
    QCOMPARE(values.readString(str("none"), str("Value"), str("?")), QString());
    QCOMPARE(values.readString(str("lower"), str("Value"), str("?")), str("Click"));
    QCOMPARE(values.readString(str("lower"), str("Type"), str("?")), str("button"));
    QVERIFY(!values.hasSection(QString()));
}

void TestFormLogic::captureTwiceKeepsOneElementPerKeyInFirstOrder()
{
    capturer().capture(page({input(str("text"), str("a"), str("1.0")), input(str("text"), str("b"), str("x"))}));
    // Another page of the same site: b comes back with another value, c is new,
    // and a control key that occurs twice ends with its last occurrence.
    capturer().capture(page({input(str("text"), str("c"), str("Acme")), input(str("text"), str("b"), str("My Tool")),
        input(str("text"), str("c"), str("Dup"))}));
    const QVector<FormMap::Control> controls = FormMap::load(mapPath()).controls();
    QCOMPARE(controls.size(), 3);
    QCOMPARE(controls.at(0).name + controls.at(0).dataField, str("aVersion"));
    QCOMPARE(controls.at(1).name + controls.at(1).dataField, str("bProgram"));
    QCOMPARE(controls.at(2).name + controls.at(2).dataField, str("cContact"));
    // The section written by the first capture stays.
    QCOMPARE(IniFile(valuesPath()).readString(str("b"), str("Value"), QString()), str("x"));
}

void TestFormLogic::captureWithoutBodyRewritesTheMap()
{
    FormSnapshot noBody = page({input(str("text"), str("a"), str("x"))});
    noBody.hasBody = false;
    QCOMPARE(capturer().saveForm(noBody), str("Form saved"));
    QCOMPARE(m_dir->readFile(str("SiteData/Site.xml")), QByteArray("<XML_SITE_SUBMIT_INFO/>\r\n"));
    QVERIFY(!QFile::exists(valuesPath()));

    const QByteArray existing = "<XML_SITE_SUBMIT_INFO><CONTROL Name=\"k\" Type=\"text\" DataField=\"OS\"/>"
                                "</XML_SITE_SUBMIT_INFO>\r\n";
    m_dir->writeFile(str("SiteData/Site.xml"), existing);
    QCOMPARE(capturer().saveForm(noBody), str("Form saved"));
    QCOMPARE(m_dir->readFile(str("SiteData/Site.xml")), existing);
}

void TestFormLogic::captureLeavesAnUnreadableMapAlone()
{
    const QByteArray broken = "<XML_SITE_SUBMIT_INFO><CONTROL Name=\"k\"";
    m_dir->writeFile(str("SiteData/Site.xml"), broken);
    QCOMPARE(capturer().saveForm(page({input(str("text"), str("a"), str("x"))})), QString());
    QCOMPARE(m_sink->messages.size(), 1);
    QVERIFY(m_sink->messages.at(0).text.contains(mapPath()));
    QCOMPARE(m_dir->readFile(str("SiteData/Site.xml")), broken);
    QVERIFY(!QFile::exists(valuesPath()));
}

void TestFormLogic::captureReportsWriteFailures()
{
    // The values file cannot be written: reported by name, and the map is not written.
    m_dir->writeFile(str("SiteData/My ToolSite.ini/blocker"), "x");
    QCOMPARE(capturer().saveForm(page({input(str("text"), str("a"), str("unmatched"))})), QString());
    QCOMPARE(m_sink->texts(), QStringList {str("Unable to write to ") + valuesPath()});
    QVERIFY(!QFile::exists(mapPath()));

    // The map cannot be written; a value that needs no values file section.
    TestProgramDirectory other;
    other.writeFile(str("SiteData/Site.xml/blocker"), "x");
    m_sink->messages.clear();
    FormCapture capture(other.path(), *m_rows, m_site, m_programName);
    QCOMPARE(capture.saveForm(page({input(str("text"), str("a"), str("1.0"))})), QString());
    QCOMPARE(m_sink->messages.size(), 1);
    QVERIFY2(m_sink->messages.at(0).text.startsWith(str("Unable to write to ") + other.path()),
        qPrintable(m_sink->messages.at(0).text));

    // The folder cannot be created: nothing is written.
    TestProgramDirectory third;
    third.writeFile(str("SiteData"), "a file where the folder belongs");
    m_sink->messages.clear();
    FormCapture blocked(third.path(), *m_rows, m_site, m_programName);
    QCOMPARE(blocked.saveForm(page({input(str("text"), str("a"), str("x"))})), QString());
    QCOMPARE(m_sink->messages.size(), 1);
    QVERIFY(m_sink->messages.at(0).text.contains(third.path() + str("SiteData/")));
}

void TestFormLogic::captureLeavesOutKeysItCannotStore()
{
    FormCapture capture = capturer();
    capture.capture(page({input(str("checkbox"), str("x"), str("a]b"), true),
        input(str("text"), str("bell\x07"), str("v")), input(str("text"), str("multi\nline"), str("v")),
        input(str("text"), str(" padded"), str("v")), input(str("text"), str("fine"), str("v"))}));
    QCOMPARE(capture.recordedCount(), 4);
    QCOMPARE(capture.unstorableCount(), 4);
    QStringList names;
    for (const FormMap::Control& c : FormMap::load(mapPath()).controls())
        names << c.name;
    QCOMPARE(names, QStringList({str("xa]b"), str("multi\nline"), str(" padded"), str("fine")}));
    // Only the key the values file can hold again got a section; no line of the file was forged.
    const IniDocument values = IniDocument::load(valuesPath());
    QCOMPARE(values.sectionNames(), QStringList {str("fine")});
    QCOMPARE(values.keys(str("fine")), QStringList({str("Value"), str("Type")}));
}

void TestFormLogic::statusTextsAreTranslated()
{
    installMessageTranslator([](const QString& text) { return str("<") + text + str(">"); });
    QCOMPARE(capturer().saveForm(page({})), str("<Form saved>"));
}

void TestFormLogic::fillFollowsEveryRule()
{
    m_dir->writeFile(str("SiteData/Site.xml"),
        "<XML_SITE_SUBMIT_INFO>"
        "<CONTROL Name=\"title\" Type=\"text\" DataField=\"Program\"/>"
        "<CONTROL Name=\"pw\" Type=\"password\" DataField=\"Password\"/>"
        "<CONTROL Name=\"user\" Type=\"text\" DataField=\"Username\"/>"
        "<CONTROL Name=\"notes\" Type=\"textarea\" DataField=\"Buy URL\"/>"
        "<CONTROL Name=\"nothing\" Type=\"text\" DataField=\"\"/>"
        "<CONTROL Name=\"agreeyes\" Type=\"checkbox\" DataField=\"\"/>"
        "<CONTROL Name=\"osWin\" Type=\"checkbox\" DataField=\"\"/>"
        "<CONTROL Name=\"licfree\" Type=\"radio\" DataField=\"\"/>"
        "<CONTROL Name=\"lictrial\" Type=\"radio\" DataField=\"\"/>"
        "<CONTROL Name=\"licbeta\" Type=\"radio\" DataField=\"\"/>"
        "<CONTROL Name=\"os\" Type=\"select-multiple\"/>"
        "<CONTROL Name=\"cat\" Type=\"select-one\" DataField=\"\"/>"
        "<CONTROL Name=\"secret\" Type=\"hidden\" DataField=\"Program\"/>"
        "<CONTROL Name=\"mail\" Type=\"email\" DataField=\"EMail\"/>"
        "<CONTROL Name=\"up\" Type=\"file\" DataField=\"Program\"/>"
        "</XML_SITE_SUBMIT_INFO>");
    m_dir->writeFile(str("SiteData/My ToolSite.ini"),
        "[notes]\r\nValue=from the values file\r\n[osWin]\r\nValue=True\r\n[licfree]\r\nValue=False\r\n"
        "[lictrial]\r\nValue=True\r\n[os]\r\nValue=Windows 98; Windows XP;\r\n[cat]\r\nValue=\"Games; Fun\";\r\n");
    const FormSnapshot snapshot = page({
        input(str("text"), str("title"), str("old")),
        input(str("password"), str("pw"), QString()),
        input(str("text"), str("user"), QString()),
        textArea(str("notes"), QString()),
        input(str("text"), str("nothing"), str("kept")),
        input(str("checkbox"), str("agree"), str("yes"), true),
        input(str("checkbox"), str("os[]"), str("Win"), false),
        input(str("radio"), str("lic"), str("free"), true),
        input(str("radio"), str("lic"), str("trial"), false),
        input(str("radio"), str("lic"), str("beta"), false),
        select(str("os"), {str("Windows 95"), str(" Windows 98 "), str("*Windows XP"), str("*Linux")}, true),
        select(str("cat"), {str("*Tools"), str("Games; Fun")}),
        input(str("hidden"), str("secret"), QString()),
        input(str("email"), str("mail"), QString()),
        input(str("file"), str("up"), QString()),
        input(str("text"), str("unknown"), QString()),
    });
    const FormAutoFill::Plan plan = filler().plan(snapshot);
    QVERIFY(plan.haveMap);
    QCOMPARE(plan.mapPath, mapPath());

    QStringList got;
    for (const FormChange& c : plan.changes) {
        QString line = QString::number(c.position) + QLatin1Char(' ') + c.name + QLatin1Char(' ');
        switch (c.kind) {
        case FormChange::Kind::Value:
            line += str("value=") + c.value;
            break;
        case FormChange::Kind::Checked:
            line += c.checked ? str("checked") : str("cleared");
            break;
        case FormChange::Kind::Selection:
            for (const bool s : c.selected)
                line += s ? QLatin1Char('1') : QLatin1Char('0');
            QCOMPARE(c.optionTexts.size(), c.selected.size());
            break;
        }
        got << line;
    }
    const QStringList expected = {
        str("0 title value=My Tool"),
        str("1 pw value=secret"),
        str("2 user value=me@acme.com"),
        str("3 notes value=from the values file"), // the entry is empty: the values file steps in
        // 4: empty field, no section: unchanged
        str("5 agree cleared"), // no section: an empty value clears the box
        str("6 os[] checked"),
        str("7 lic cleared"),
        str("8 lic checked"),
        // 9: radio with an empty value stays
        str("10 os 0110"),
        str("11 cat 01"),
        // 12 hidden, 14 file, 15 not in the map
        str("13 mail value=me@acme.com"),
    };
    QCOMPARE(got, expected);
    QCOMPARE(plan.changes.at(0).tag, str("INPUT"));
}

void TestFormLogic::fillFallsBackToTheGeneralMap()
{
    m_dir->writeFile(str("SiteData/General.xml"),
        "<XML_SITE_SUBMIT_INFO><CONTROL Name=\"v\" Type=\"text\" DataField=\"Version\"/>"
        "<CONTROL Name=\"cat\" Type=\"text\" DataField=\"\"/></XML_SITE_SUBMIT_INFO>");
    m_dir->writeFile(str("SiteData/My ToolSite.ini"), "[cat]\nValue=Tools\n");
    const FormSnapshot snapshot = page({input(str("text"), str("v"), QString()), input(str("text"), str("cat"), {})});
    FormAutoFill::Plan plan = filler().plan(snapshot);
    QCOMPARE(plan.mapPath, FormFileNames::generalMap(m_dir->path()));
    QCOMPARE(plan.changes.size(), 2);
    QCOMPARE(plan.changes.at(0).value, str("1.0"));
    QCOMPARE(plan.changes.at(1).value, str("Tools"));

    // A map of the site's own wins over the general one.
    m_dir->writeFile(str("SiteData/Site.xml"),
        "<XML_SITE_SUBMIT_INFO><CONTROL Name=\"v\" DataField=\"Company\"/></XML_SITE_SUBMIT_INFO>");
    plan = filler().plan(snapshot);
    QCOMPARE(plan.mapPath, mapPath());
    QCOMPARE(plan.changes.size(), 1);
    QCOMPARE(plan.changes.at(0).value, str("Acme"));
}

void TestFormLogic::fillWithoutAnyMapDoesNothing()
{
    m_dir->writeFile(str("SiteData/My ToolSite.ini"), "[a]\nValue=x\n");
    const FormAutoFill::Plan plan = filler().plan(page({input(str("text"), str("a"), QString())}));
    QVERIFY(!plan.haveMap);
    QVERIFY(plan.changes.isEmpty());
}

void TestFormLogic::fillWithoutBodyOnlyLoadsTheMap()
{
    m_dir->writeFile(str("SiteData/Site.xml"),
        "<XML_SITE_SUBMIT_INFO><CONTROL Name=\"a\" DataField=\"Company\"/></XML_SITE_SUBMIT_INFO>");
    FormSnapshot snapshot = page({input(str("text"), str("a"), QString())});
    snapshot.hasBody = false;
    const FormAutoFill::Plan plan = filler().plan(snapshot);
    QVERIFY(plan.haveMap);
    QVERIFY(plan.changes.isEmpty());
}

void TestFormLogic::fillReportsAnUnreadableMap()
{
    m_dir->writeFile(str("SiteData/Site.xml"), "not a map");
    QVERIFY_THROWS_EXCEPTION(QuilletError, filler().plan(page({input(str("text"), str("a"), QString())})));
}

void TestFormLogic::fillTakesTheCurrentProgram()
{
    m_dir->writeFile(str("SiteData/Site.xml"),
        "<XML_SITE_SUBMIT_INFO><CONTROL Name=\"title\" Type=\"text\" DataField=\"Program\"/></XML_SITE_SUBMIT_INFO>");
    const FormSnapshot snapshot = page({input(str("text"), str("title"), QString())});
    QCOMPARE(filler().plan(snapshot).changes.at(0).value, str("My Tool"));
    m_properties[PropertyCatalogue::ProgramName].setValue(str("Other Tool"));
    m_rows->loadProgramData();
    m_programName = str("Other Tool");
    QCOMPARE(filler().plan(snapshot).changes.at(0).value, str("Other Tool"));
}

void TestFormLogic::fillUsesValuesFileForCaptionsOfAnotherLanguage()
{
    m_dir->writeFile(str("SiteData/Site.xml"),
        "<XML_SITE_SUBMIT_INFO><CONTROL Name=\"title\" Type=\"text\" DataField=\"Programm\"/>"
        "<CONTROL Name=\"ver\" Type=\"text\" DataField=\"Versionsnummer\"/></XML_SITE_SUBMIT_INFO>");
    m_dir->writeFile(str("SiteData/My ToolSite.ini"), "[title]\nValue=Written once\n");
    const FormAutoFill::Plan plan
        = filler().plan(page({input(str("text"), str("title"), QString()), input(str("text"), str("ver"), str("9"))}));
    QCOMPARE(plan.changes.size(), 1);
    QCOMPARE(plan.changes.at(0).value, str("Written once"));
}

void TestFormLogic::selection_data()
{
    QTest::addColumn<bool>("multiple");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("single: the last match stays") << false << str("Windows 98; Windows XP;") << str("0001");
    QTest::newRow("multiple: every match") << true << str("Windows 98; Windows XP;") << str("0101");
    QTest::newRow("empty value clears") << true << QString() << str("0000");
    QTest::newRow("single empty value clears") << false << QString() << str("0000");
    QTest::newRow("no match") << true << str("Mac") << str("0000");
    QTest::newRow("quoted field with separator") << true << str("\"A;B\";Windows 95") << str("1010");
    QTest::newRow("case matters") << true << str("windows 98") << str("0000");
}

void TestFormLogic::selection()
{
    QFETCH(bool, multiple);
    QFETCH(QString, value);
    QFETCH(QString, expected);
    const FormControl list
        = select(str("s"), {str("Windows 95"), str("  Windows 98 "), str("A;B"), str("Windows XP")}, multiple);
    QString got;
    for (const bool s : FormAutoFill::selection(list, value))
        got += s ? QLatin1Char('1') : QLatin1Char('0');
    QCOMPARE(got, expected);
}

void TestFormLogic::siteAndProgramNamesAreCleaned()
{
    m_site.siteName = str("A/B?");
    m_programName = str("Tool");
    QCOMPARE(mapPath(), m_dir->path() + str("SiteData/AB.xml"));
    QCOMPARE(valuesPath(), m_dir->path() + str("SiteData/ToolAB.ini"));
    QCOMPARE(FormFileNames::siteMap(m_dir->path(), str("../x")), m_dir->path() + str("SiteData/..x.xml"));

    capturer().capture(page({input(str("text"), str("cat"), str("Tools"))}));
    QVERIFY(QFile::exists(m_dir->file(str("SiteData/AB.xml"))));
    QCOMPARE(IniFile(m_dir->file(str("SiteData/ToolAB.ini"))).readString(str("cat"), str("Value"), {}), str("Tools"));
    const FormAutoFill::Plan plan = filler().plan(page({input(str("text"), str("cat"), QString())}));
    QCOMPARE(plan.changes.size(), 1);
    QCOMPARE(plan.changes.at(0).value, str("Tools"));
}

void TestFormLogic::multiLineValuesReadBackExactly_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("LF") << str("Line one\nLine two");
    QTest::newRow("CR LF and a lone CR") << str("a\r\nb\rc");
    QTest::newRow("empty line inside") << str("first\n\nthird");
    QTest::newRow("backslashes and escape-like text") << str("C:\\new\\readme\nsee \\n");
    QTest::newRow("one line") << str("just one");
}

void TestFormLogic::multiLineValuesReadBackExactly()
{
    QFETCH(QString, typed);
    // Captured from a text area that no property holds, then filled back.
    capturer().capture(page({textArea(str("notes"), typed)}));
    const IniDocument values = IniDocument::load(valuesPath());
    QVERIFY(!values.readString(str("notes"), str("Value"), {}).contains(QLatin1Char('\n')));
    QCOMPARE(SiteValues::read(values).value(str("notes")), typed);
    const FormAutoFill::Plan plan = filler().plan(page({textArea(str("notes"), QString())}));
    QCOMPARE(plan.changes.size(), 1);
    QCOMPARE(plan.changes.first().value, typed);

    // A later one-line value replaces the multi-line one for good.
    capturer().capture(page({textArea(str("notes"), str("now one line"))}));
    QCOMPARE(SiteValues::read(IniDocument::load(valuesPath())).value(str("notes")), str("now one line"));
}

void TestFormLogic::valuesFilesWrittenBeforeReadUnchanged()
{
    // Files of before hold one line per value; backslashes in them are text.
    m_dir->writeFile(str("SiteData/My ToolSite.ini"), "[path]\r\nValue=C:\\new\\n\r\n[blank]\r\nValue=two  words\r\n");
    const QHash<QString, QString> read = SiteValues::read(IniDocument::load(valuesPath()));
    QCOMPARE(read.value(str("path")), str("C:\\new\\n"));
    QCOMPARE(read.value(str("blank")), str("two  words"));
    QCOMPARE(SiteValues::unescaped(SiteValues::escaped(str("a\\nb\n\\"))), str("a\\nb\n\\"));
    QCOMPARE(SiteValues::unescaped(str("odd \\x end\\")), str("odd \\x end\\"));
}

QTEST_GUILESS_MAIN(TestFormLogic)
#include "TestFormLogic.moc"
