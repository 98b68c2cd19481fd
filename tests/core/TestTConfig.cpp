#include "IniDocument.h"
#include "ProgramSession.h"
#include "QuilletError.h"
#include "TConfig.h"
#include "TestSupport.h"

#include <QDir>
#include <QLocale>
#include <QTest>

namespace {

class ListOfIndices : public QuickPasteList {
public:
    void appendQuickPasteItem(int index) override { items.append(index); }
    QVector<int> quickPasteItems() const override { return items; }
    QVector<int> items;
};

const char* const kCompanyKeys[] = {"Company", "WebSite", "EMail", "Contact", "ContactEMail", "TelNo", "Addr1", "Addr2",
    "City", "State", "Country", "Postal", "Links"};

} // namespace

class TestTConfig : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void firstRunDefaults();
    void firstRunSaveWritesTheSections();
    void companySectionMovesToCompaniesIni();
    void loadCompanyOfUnknownName();
    void listCompaniesInFileOrder();
    void popUpListStopsAtMinusOne();
    void popUpListRoundTrip();
    void hexAndUnconvertibleNumbers();
    void storedZeroAndSmallSplitter();
    void siteVerUnderCommaLocale();
    void passwordsStoredAsTyped();
    void unwritableSettingsRaise();
    void sessionSavesOnShutdownAndKeepsGoingAfterAFailedSave();
};

void TestTConfig::firstRunDefaults()
{
    TestProgramDirectory dir;
    TProperties properties;
    TConfig config(dir.path(), properties);
    config.LoadSettings();
    config.LoadPowerPasteSettings();
    QCOMPARE(config.AutoFillFormFields, true);
    QCOMPARE(config.SiteFilter, QString("Dead=False AND Hide=False"));
    QCOMPARE(config.Language, QString("English"));
    QCOMPARE(config.SiteVer, 1.0);
    QCOMPARE(config.BrowserContextMenuIndex, 1);
    QCOMPARE(config.MenuItemsPerColumn, 16);
    QCOMPARE(config.LastPADPath, dir.path());
    QCOMPARE(config.LastArcPath, dir.path());
    QCOMPARE(config.LastCompany, QString());
    QCOMPARE(config.Authentication, false);
    QCOMPARE(config.SiteEffects, true);
    for (int i = 0; i < TProperties::Count; ++i) {
        QVERIFY(properties[i].InPowerPaste);
        QVERIFY(properties[i].Value.isEmpty());
    }
    WindowGeometry window;
    window.x = window.y = window.width = window.height = -5;
    int splitter = 0;
    config.LoadWindowGeometry("Browser", window, splitter);
    QCOMPARE(window.x, 10);
    QCOMPARE(window.y, 10);
    QCOMPARE(window.width, 760);
    QCOMPARE(window.height, 600);
    QCOMPARE(splitter, 80);
    ListOfIndices quickPaste;
    config.LoadPopUpList(quickPaste);
    QVERIFY(quickPaste.items.isEmpty());
    // Reading never creates a file.
    QVERIFY(!QFile::exists(dir.file("quillet.ini")));
    QVERIFY(!QFile::exists(dir.file("companies.ini")));
}

void TestTConfig::firstRunSaveWritesTheSections()
{
    TestProgramDirectory dir;
    TProperties properties;
    TConfig config(dir.path(), properties);
    config.LoadSettings();
    config.LoadPowerPasteSettings();
    properties[TProperties::ProgramName].SetValue("Tool");
    properties[TProperties::Desc2000].InPowerPaste = false;
    config.SaveSettings();

    const IniDocument ini = IniDocument::load(dir.file("quillet.ini"));
    QCOMPARE(ini.sectionNames(), QStringList({"General", "EMail", "Config", "LastProgram", "Options", "PowerPaste"}));
    QCOMPARE(ini.readString("General", "Automatically Fill Form Fields", ""), QString("1"));
    QCOMPARE(ini.readString("Config", "SiteFilter", ""), QString("Dead=False AND Hide=False"));
    QCOMPARE(ini.readString("Config", "Language", ""), QString("English"));
    QCOMPARE(ini.readString("LastProgram", "ProgramName", ""), QString("Tool"));
    QCOMPARE(ini.readString("Options", "SiteVer", ""), QString("1"));
    QCOMPARE(ini.keys("PowerPaste").size(), 48);
    QCOMPARE(ini.readString("PowerPaste", "Desc2000", ""), QString("0"));
    QCOMPARE(ini.readString("PowerPaste", "PAD Path", ""), QString("1"));
    QCOMPARE(ini.readString("PowerPaste", "Browser context menu index", ""), QString("1"));
    QCOMPARE(ini.readString("PowerPaste", "Menu items per column", ""), QString("16"));
    QVERIFY(!ini.keys("PowerPaste").contains(QString()));
    // No company named: nothing for companies.ini.
    QVERIFY(!QFile::exists(dir.file("companies.ini")));

    // Geometry and the quick paste list go into their own sections beside the rest.
    config.SaveWindowGeometry("Browser", WindowGeometry {1, 2, 300, 400}, 120);
    ListOfIndices quickPaste;
    quickPaste.items = {16, 0};
    config.SavePopUpList(quickPaste);
    TProperties reloaded;
    TConfig again(dir.path(), reloaded);
    again.LoadSettings();
    again.LoadPowerPasteSettings();
    QCOMPARE(reloaded[TProperties::ProgramName].Value, QString("Tool"));
    QCOMPARE(reloaded[TProperties::Desc2000].InPowerPaste, false);
    WindowGeometry window;
    int splitter = 0;
    again.LoadWindowGeometry("Browser", window, splitter);
    QCOMPARE(window.x, 1);
    QCOMPARE(window.height, 400);
    QCOMPARE(splitter, 120);
    ListOfIndices loaded;
    again.LoadPopUpList(loaded);
    QCOMPARE(loaded.items, QVector<int>({16, 0}));
    // A later SaveSettings keeps the two sections it does not write.
    again.SaveSettings();
    QCOMPARE(IniDocument::load(dir.file("quillet.ini")).readString("Geometry", "BrowserW", ""), QString("300"));
    QCOMPARE(IniDocument::load(dir.file("quillet.ini")).readString("PopUpList", "2", ""), QString("0"));
}

void TestTConfig::companySectionMovesToCompaniesIni()
{
    TestProgramDirectory dir;
    dir.writeFile("quillet.ini",
        "[Config]\nLastCompany=\n[Company]\nCompany=Acme Soft\nWebSite=https://acme.test\n"
        "City=Springfield\nLinks=l\n[Other]\nx=1\n");
    TProperties properties;
    TConfig config(dir.path(), properties);
    config.LoadSettings();
    QCOMPARE(config.LastCompany, QString("Acme Soft"));
    QCOMPARE(properties[0].Value, QString("Acme Soft"));
    QCOMPARE(properties[1].Value, QString("https://acme.test"));
    QCOMPARE(properties[8].Value, QString("Springfield"));
    QCOMPARE(properties[12].Value, QString("l"));
    config.SaveSettings();

    const IniDocument ini = IniDocument::load(dir.file("quillet.ini"));
    QVERIFY(!ini.hasSection("Company"));
    QCOMPARE(ini.readString("Other", "x", ""), QString("1"));
    QCOMPARE(ini.readString("Config", "LastCompany", ""), QString("Acme Soft"));
    const IniDocument companies = IniDocument::load(dir.file("companies.ini"));
    QCOMPARE(companies.sectionNames(), QStringList({"Acme Soft"}));
    QStringList keys;
    for (const char* key : kCompanyKeys)
        keys.append(QString::fromLatin1(key));
    QCOMPARE(companies.keys("Acme Soft"), keys);
    QCOMPARE(companies.readString("Acme Soft", "Company", ""), QString("Acme Soft"));
    QCOMPARE(companies.readString("Acme Soft", "City", ""), QString("Springfield"));

    // The next start reads the company from companies.ini.
    TProperties next;
    TConfig nextConfig(dir.path(), next);
    nextConfig.LoadSettings();
    QCOMPARE(next[1].Value, QString("https://acme.test"));
}

void TestTConfig::loadCompanyOfUnknownName()
{
    TestProgramDirectory dir;
    dir.writeFile("companies.ini", "[Acme]\nCompany=Old name\nWebSite=w\nExtra=keep\n[Beta]\nCity=c\n");
    TProperties properties;
    TConfig config(dir.path(), properties);
    config.LoadCompany("Acme");
    // The section name supplies the company name, not the Company key.
    QCOMPARE(properties[0].Value, QString("Acme"));
    QCOMPARE(properties[1].Value, QString("w"));
    config.LoadCompany("Nobody");
    QCOMPARE(config.LastCompany, QString("Nobody"));
    QCOMPARE(properties[0].Value, QString("Nobody"));
    for (int i = 1; i <= 12; ++i)
        QVERIFY(properties[i].Value.isEmpty());

    // Saving writes the 13 keys and leaves the rest of the file alone.
    config.LoadCompany("Acme");
    properties[8].SetValue("New City");
    config.SaveSettings();
    const IniDocument companies = IniDocument::load(dir.file("companies.ini"));
    QCOMPARE(companies.readString("Acme", "Extra", ""), QString("keep"));
    QCOMPARE(companies.readString("Acme", "Company", ""), QString("Acme"));
    QCOMPARE(companies.readString("Acme", "City", ""), QString("New City"));
    QCOMPARE(companies.readString("Beta", "City", ""), QString("c"));
}

void TestTConfig::listCompaniesInFileOrder()
{
    TestProgramDirectory dir;
    dir.writeFile("companies.ini", "[Zeta]\n[Alpha]\n[Mid Co]\n");
    TProperties properties;
    TConfig config(dir.path(), properties);
    QStringList list {"stale"};
    config.ListCompanies(list);
    QCOMPARE(list, QStringList({"Zeta", "Alpha", "Mid Co"}));
}

void TestTConfig::popUpListStopsAtMinusOne()
{
    TestProgramDirectory dir;
    dir.writeFile("quillet.ini", "[PopUpList]\n1=5\n2=-1\n3=7\n");
    TProperties properties;
    TConfig config(dir.path(), properties);
    ListOfIndices list;
    config.LoadPopUpList(list);
    QCOMPARE(list.items, QVector<int>({5}));

    // Hand-edited indices that name no entry are skipped and reading goes on;
    // a value that is no number reads as the default -1 and ends the list.
    dir.writeFile("quillet.ini", "[PopUpList]\n1=99\n2=13\n3=0x10\n4=46\n5=abc\n6=20\n");
    ListOfIndices other;
    config.LoadPopUpList(other);
    QCOMPARE(other.items, QVector<int>({16, 46}));
}

void TestTConfig::popUpListRoundTrip()
{
    TestProgramDirectory dir;
    TProperties properties;
    TConfig config(dir.path(), properties);
    ListOfIndices list;
    for (int i = 0; i < 10; ++i)
        list.items.append(14 + i);
    config.SavePopUpList(list);
    ListOfIndices loaded;
    config.LoadPopUpList(loaded);
    QCOMPARE(loaded.items, list.items);
    QVERIFY(!IniDocument::load(dir.file("quillet.ini")).value("PopUpList", "11"));

    // A shorter list ends in the mark, so the old keys behind it are not read.
    ListOfIndices shorter;
    shorter.items = {30, 31};
    config.SavePopUpList(shorter);
    const IniDocument ini = IniDocument::load(dir.file("quillet.ini"));
    QCOMPARE(ini.readString("PopUpList", "3", ""), QString("-1"));
    QCOMPARE(ini.readString("PopUpList", "4", ""), QString("17"));
    ListOfIndices reloaded;
    config.LoadPopUpList(reloaded);
    QCOMPARE(reloaded.items, QVector<int>({30, 31}));

    // An empty list still leaves its section.
    TestProgramDirectory fresh;
    TConfig first(fresh.path(), properties);
    first.SavePopUpList(ListOfIndices());
    QCOMPARE(IniDocument::load(fresh.file("quillet.ini")).readString("PopUpList", "1", ""), QString("-1"));
}

void TestTConfig::hexAndUnconvertibleNumbers()
{
    TestProgramDirectory dir;
    dir.writeFile("quillet.ini",
        "[General]\nAutomatically Fill Form Fields=0x0\n[EMail]\nAuthentication=yes\n"
        "[PowerPaste]\nBrowser context menu index=0x2\nMenu items per column=twelve\nCompany=0\n"
        "PAD Path=0X1\n[Options]\nSiteVer=abc\n");
    TProperties properties;
    TConfig config(dir.path(), properties);
    config.LoadSettings();
    config.LoadPowerPasteSettings();
    QCOMPARE(config.AutoFillFormFields, false);
    QCOMPARE(config.Authentication, false);
    QCOMPARE(config.BrowserContextMenuIndex, 2);
    QCOMPARE(config.MenuItemsPerColumn, 16);
    QCOMPARE(properties[0].InPowerPaste, false);
    QCOMPARE(properties[46].InPowerPaste, true);
    QCOMPARE(config.SiteVer, 1.0);
}

void TestTConfig::storedZeroAndSmallSplitter()
{
    TestProgramDirectory dir;
    dir.writeFile(
        "quillet.ini", "[PowerPaste]\nMenu items per column=0\n[Geometry]\nSplitter Location=20\nBrowserX=-3000\n");
    TProperties properties;
    TConfig config(dir.path(), properties);
    config.LoadPowerPasteSettings();
    QCOMPARE(config.MenuItemsPerColumn, 16);
    WindowGeometry window;
    int splitter = 0;
    config.LoadWindowGeometry("Browser", window, splitter);
    QCOMPARE(splitter, 50);
    // Off-screen positions are applied as read.
    QCOMPARE(window.x, -3000);
}

void TestTConfig::siteVerUnderCommaLocale()
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    TestProgramDirectory dir;
    {
        TProperties properties;
        TConfig config(dir.path(), properties);
        config.LoadSettings();
        config.SiteVer = 3.25;
        config.SaveSettings();
    }
    QCOMPARE(IniDocument::load(dir.file("quillet.ini")).readString("Options", "SiteVer", ""), QString("3,25"));
    TProperties properties;
    TConfig config(dir.path(), properties);
    config.LoadSettings();
    QCOMPARE(config.SiteVer, 3.25);
    QLocale::setDefault(saved);
}

void TestTConfig::passwordsStoredAsTyped()
{
    TestProgramDirectory dir;
    TProperties properties;
    TConfig config(dir.path(), properties);
    config.LoadSettings();
    config.EMailPassword = "p@ss =word;";
    config.MemberPassword = "  spaced";
    config.SaveSettings();
    const IniDocument ini = IniDocument::load(dir.file("quillet.ini"));
    QCOMPARE(ini.readString("EMail", "EMailPassword", ""), QString("p@ss =word;"));
    // Surrounding blanks are not kept by the file format.
    QCOMPARE(ini.readString("Config", "MemberPassword", ""), QString("spaced"));
}

void TestTConfig::unwritableSettingsRaise()
{
    TestProgramDirectory dir;
    QVERIFY(QDir().mkdir(dir.file("quillet.ini")));
    TProperties properties;
    TConfig config(dir.path(), properties);
    config.LoadSettings();
    QCOMPARE(config.Language, QString("English"));
    try {
        config.SaveSettings();
        QFAIL("SaveSettings succeeded");
    } catch (const QuilletError& error) {
        QCOMPARE(error.text(), "Unable to write to " + dir.file("quillet.ini"));
    }
}

void TestTConfig::sessionSavesOnShutdownAndKeepsGoingAfterAFailedSave()
{
    TestProgramDirectory dir;
    {
        ProgramSession session(dir.path());
        session.start();
        session.config().Language = "Deutsch";
        QVERIFY(session.shutdown());
        QVERIFY(!session.isRunning());
    }
    QCOMPARE(IniDocument::load(dir.file("quillet.ini")).readString("Config", "Language", ""), QString("Deutsch"));

    // A run that never built the paste menus keeps their settings.
    {
        IniFile settings(dir.file("quillet.ini"));
        settings.writeInteger("PowerPaste", "Menu items per column", 9);
        settings.writeBool("PowerPaste", "Company", false);
        ProgramSession session(dir.path());
        session.start();
        QVERIFY(session.shutdown());
    }
    const IniDocument saved = IniDocument::load(dir.file("quillet.ini"));
    QCOMPARE(saved.readString("PowerPaste", "Menu items per column", ""), QString("9"));
    QCOMPARE(saved.readString("PowerPaste", "Company", ""), QString("0"));
    QCOMPARE(saved.readString("PowerPaste", "Browser context menu index", ""), QString("1"));

    TestProgramDirectory blocked;
    QVERIFY(QDir().mkdir(blocked.file("quillet.ini")));
    RecordingMessageSink sink;
    ProgramSession session(blocked.path());
    session.start();
    QVERIFY(!session.shutdown());
    QCOMPARE(sink.texts(), QStringList({"Unable to write to " + blocked.file("quillet.ini")}));
    QVERIFY(!session.isRunning());
}

QTEST_GUILESS_MAIN(TestTConfig)
#include "TestTConfig.moc"
