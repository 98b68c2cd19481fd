#include "IniDocument.h"
#include "ProgramSession.h"
#include "QuilletError.h"
#include "Settings.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTest>

#include <array>
#include <sys/stat.h>
#include <tuple>

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

class TestSettings : public QObject {
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
    void settingsFilesAreCreatedForTheOwnerOnly();
    void companyNameThatIsNoSectionNameIsNeverWritten_data();
    void companyNameThatIsNoSectionNameIsNeverWritten();
    void companyWithAccentsSurvivesAStrayByte();
    void utf16SettingsAreRead();
    void handEditsMadeWhileRunningSurviveTheSave();
};

void TestSettings::firstRunDefaults()
{
    TestProgramDirectory dir;
    PropertyCatalogue properties;
    Settings config(dir.path(), properties);
    config.loadSettings();
    config.loadPowerPasteSettings();
    QCOMPARE(config.autoFillFormFields, true);
    QCOMPARE(config.siteFilter, QString("Dead=False AND Hide=False"));
    QCOMPARE(config.language, QString("English"));
    QCOMPARE(config.siteVer, 1.0);
    QCOMPARE(config.browserContextMenuIndex, 1);
    QCOMPARE(config.menuItemsPerColumn, 16);
    QCOMPARE(config.lastPadPath, dir.path());
    QCOMPARE(config.lastArcPath, dir.path());
    QCOMPARE(config.lastCompany, QString());
    QCOMPARE(config.authentication, false);
    QCOMPARE(config.siteEffects, true);
    for (int i = 0; i < PropertyCatalogue::Count; ++i) {
        QVERIFY(properties[i].inPowerPaste);
        QVERIFY(properties[i].value.isEmpty());
    }
    WindowGeometry window;
    window.x = window.y = window.width = window.height = -5;
    int splitter = 0;
    config.loadWindowGeometry("Browser", window, splitter);
    QCOMPARE(window.x, 10);
    QCOMPARE(window.y, 10);
    QCOMPARE(window.width, 760);
    QCOMPARE(window.height, 600);
    QCOMPARE(splitter, 80);
    ListOfIndices quickPaste;
    config.loadPopUpList(quickPaste);
    QVERIFY(quickPaste.items.isEmpty());
    // Reading never creates a file.
    QVERIFY(!QFile::exists(dir.file("quillet.ini")));
    QVERIFY(!QFile::exists(dir.file("companies.ini")));
}

void TestSettings::firstRunSaveWritesTheSections()
{
    TestProgramDirectory dir;
    PropertyCatalogue properties;
    Settings config(dir.path(), properties);
    config.loadSettings();
    config.loadPowerPasteSettings();
    properties[PropertyCatalogue::ProgramName].setValue("Tool");
    properties[PropertyCatalogue::Desc2000].inPowerPaste = false;
    config.saveSettings();

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
    config.saveWindowGeometry("Browser", WindowGeometry {1, 2, 300, 400}, 120);
    ListOfIndices quickPaste;
    quickPaste.items = {16, 0};
    config.savePopUpList(quickPaste);
    PropertyCatalogue reloaded;
    Settings again(dir.path(), reloaded);
    again.loadSettings();
    again.loadPowerPasteSettings();
    QCOMPARE(reloaded[PropertyCatalogue::ProgramName].value, QString("Tool"));
    QCOMPARE(reloaded[PropertyCatalogue::Desc2000].inPowerPaste, false);
    WindowGeometry window;
    int splitter = 0;
    again.loadWindowGeometry("Browser", window, splitter);
    QCOMPARE(window.x, 1);
    QCOMPARE(window.height, 400);
    QCOMPARE(splitter, 120);
    ListOfIndices loaded;
    again.loadPopUpList(loaded);
    QCOMPARE(loaded.items, QVector<int>({16, 0}));
    // A later saveSettings keeps the two sections it does not write.
    again.saveSettings();
    QCOMPARE(IniDocument::load(dir.file("quillet.ini")).readString("Geometry", "BrowserW", ""), QString("300"));
    QCOMPARE(IniDocument::load(dir.file("quillet.ini")).readString("PopUpList", "2", ""), QString("0"));
}

void TestSettings::companySectionMovesToCompaniesIni()
{
    TestProgramDirectory dir;
    dir.writeFile("quillet.ini",
        "[Config]\nLastCompany=\n[Company]\nCompany=Acme Soft\nWebSite=https://acme.test\n"
        "City=Springfield\nLinks=l\n[Other]\nx=1\n");
    PropertyCatalogue properties;
    Settings config(dir.path(), properties);
    config.loadSettings();
    QCOMPARE(config.lastCompany, QString("Acme Soft"));
    QCOMPARE(properties[0].value, QString("Acme Soft"));
    QCOMPARE(properties[1].value, QString("https://acme.test"));
    QCOMPARE(properties[8].value, QString("Springfield"));
    QCOMPARE(properties[12].value, QString("l"));
    config.saveSettings();

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
    PropertyCatalogue next;
    Settings nextConfig(dir.path(), next);
    nextConfig.loadSettings();
    QCOMPARE(next[1].value, QString("https://acme.test"));
}

void TestSettings::loadCompanyOfUnknownName()
{
    TestProgramDirectory dir;
    dir.writeFile("companies.ini", "[Acme]\nCompany=Old name\nWebSite=w\nExtra=keep\n[Beta]\nCity=c\n");
    PropertyCatalogue properties;
    Settings config(dir.path(), properties);
    config.loadCompany("Acme");
    // The section name supplies the company name, not the Company key.
    QCOMPARE(properties[0].value, QString("Acme"));
    QCOMPARE(properties[1].value, QString("w"));
    config.loadCompany("Nobody");
    QCOMPARE(config.lastCompany, QString("Nobody"));
    QCOMPARE(properties[0].value, QString("Nobody"));
    for (int i = 1; i <= 12; ++i)
        QVERIFY(properties[i].value.isEmpty());

    // Saving writes the 13 keys and leaves the rest of the file alone.
    config.loadCompany("Acme");
    properties[8].setValue("New City");
    config.saveSettings();
    const IniDocument companies = IniDocument::load(dir.file("companies.ini"));
    QCOMPARE(companies.readString("Acme", "Extra", ""), QString("keep"));
    QCOMPARE(companies.readString("Acme", "Company", ""), QString("Acme"));
    QCOMPARE(companies.readString("Acme", "City", ""), QString("New City"));
    QCOMPARE(companies.readString("Beta", "City", ""), QString("c"));

    // saveCompany writes the company at once, then a whole section under the
    // current name, and leaves quillet.ini alone.
    properties[8].setValue("Ogdenville");
    config.saveCompany();
    QCOMPARE(IniDocument::load(dir.file("companies.ini")).readString("Acme", "City", ""), QString("Ogdenville"));
    config.lastCompany = "Gamma";
    properties[0].setValue("Gamma");
    config.saveCompany();
    const IniDocument withGamma = IniDocument::load(dir.file("companies.ini"));
    QCOMPARE(withGamma.sectionNames(), QStringList({"Acme", "Beta", "Gamma"}));
    QCOMPARE(withGamma.readString("Acme", "Extra", ""), QString("keep"));
    QCOMPARE(withGamma.readString("Gamma", "City", ""), QString("Ogdenville"));
    QCOMPARE(withGamma.keys("Gamma").size(), 13);
    QCOMPARE(IniDocument::load(dir.file("quillet.ini")).readString("Config", "LastCompany", ""), QString("Acme"));
}

void TestSettings::listCompaniesInFileOrder()
{
    TestProgramDirectory dir;
    dir.writeFile("companies.ini", "[Zeta]\n[Alpha]\n[Mid Co]\n");
    PropertyCatalogue properties;
    Settings config(dir.path(), properties);
    QStringList list {"stale"};
    config.listCompanies(list);
    QCOMPARE(list, QStringList({"Zeta", "Alpha", "Mid Co"}));
}

void TestSettings::popUpListStopsAtMinusOne()
{
    TestProgramDirectory dir;
    dir.writeFile("quillet.ini", "[PopUpList]\n1=5\n2=-1\n3=7\n");
    PropertyCatalogue properties;
    Settings config(dir.path(), properties);
    ListOfIndices list;
    config.loadPopUpList(list);
    QCOMPARE(list.items, QVector<int>({5}));

    // Hand-edited indices that name no entry are skipped and reading goes on;
    // a value that is no number reads as the default -1 and ends the list.
    dir.writeFile("quillet.ini", "[PopUpList]\n1=99\n2=13\n3=0x10\n4=46\n5=abc\n6=20\n");
    ListOfIndices other;
    config.loadPopUpList(other);
    QCOMPARE(other.items, QVector<int>({16, 46}));
}

void TestSettings::popUpListRoundTrip()
{
    TestProgramDirectory dir;
    PropertyCatalogue properties;
    Settings config(dir.path(), properties);
    ListOfIndices list;
    for (int i = 0; i < 10; ++i)
        list.items.append(14 + i);
    config.savePopUpList(list);
    ListOfIndices loaded;
    config.loadPopUpList(loaded);
    QCOMPARE(loaded.items, list.items);
    QVERIFY(!IniDocument::load(dir.file("quillet.ini")).value("PopUpList", "11"));

    // A shorter list ends in the mark, so the old keys behind it are not read.
    ListOfIndices shorter;
    shorter.items = {30, 31};
    config.savePopUpList(shorter);
    const IniDocument ini = IniDocument::load(dir.file("quillet.ini"));
    QCOMPARE(ini.readString("PopUpList", "3", ""), QString("-1"));
    QCOMPARE(ini.readString("PopUpList", "4", ""), QString("17"));
    ListOfIndices reloaded;
    config.loadPopUpList(reloaded);
    QCOMPARE(reloaded.items, QVector<int>({30, 31}));

    // An empty list still leaves its section.
    TestProgramDirectory fresh;
    Settings first(fresh.path(), properties);
    first.savePopUpList(ListOfIndices());
    QCOMPARE(IniDocument::load(fresh.file("quillet.ini")).readString("PopUpList", "1", ""), QString("-1"));
}

void TestSettings::hexAndUnconvertibleNumbers()
{
    TestProgramDirectory dir;
    dir.writeFile("quillet.ini",
        "[General]\nAutomatically Fill Form Fields=0x0\n[EMail]\nAuthentication=yes\n"
        "[PowerPaste]\nBrowser context menu index=0x2\nMenu items per column=twelve\nCompany=0\n"
        "PAD Path=0X1\n[Options]\nSiteVer=abc\n");
    PropertyCatalogue properties;
    Settings config(dir.path(), properties);
    config.loadSettings();
    config.loadPowerPasteSettings();
    QCOMPARE(config.autoFillFormFields, false);
    QCOMPARE(config.authentication, false);
    QCOMPARE(config.browserContextMenuIndex, 2);
    QCOMPARE(config.menuItemsPerColumn, 16);
    QCOMPARE(properties[0].inPowerPaste, false);
    QCOMPARE(properties[46].inPowerPaste, true);
    QCOMPARE(config.siteVer, 1.0);
    // A port that is no number, even one that starts with digits, is no port (0); an empty one is the default.
    const std::pair<QByteArray, int> ports[]
        = {{"Port=text", 0}, {"Port=587x", 0}, {"Port=587", 587}, {"Port=", 25}, {"From=me@example.test", 25}};
    for (const auto& [line, port] : ports) {
        dir.writeFile("quillet.ini", "[EMail]\n" + line + "\n");
        Settings again(dir.path(), properties);
        again.loadSettings();
        QVERIFY2(again.emailPort == port, line.constData());
    }
}

void TestSettings::storedZeroAndSmallSplitter()
{
    TestProgramDirectory dir;
    dir.writeFile(
        "quillet.ini", "[PowerPaste]\nMenu items per column=0\n[Geometry]\nSplitter Location=20\nBrowserX=-3000\n");
    PropertyCatalogue properties;
    Settings config(dir.path(), properties);
    config.loadPowerPasteSettings();
    QCOMPARE(config.menuItemsPerColumn, 16);
    WindowGeometry window;
    int splitter = 0;
    config.loadWindowGeometry("Browser", window, splitter);
    QCOMPARE(splitter, 50);
    // Off-screen positions are applied as read.
    QCOMPARE(window.x, -3000);
}

void TestSettings::siteVerUnderCommaLocale()
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    TestProgramDirectory dir;
    {
        PropertyCatalogue properties;
        Settings config(dir.path(), properties);
        config.loadSettings();
        config.siteVer = 3.25;
        config.saveSettings();
    }
    QCOMPARE(IniDocument::load(dir.file("quillet.ini")).readString("Options", "SiteVer", ""), QString("3,25"));
    PropertyCatalogue properties;
    Settings config(dir.path(), properties);
    config.loadSettings();
    QCOMPARE(config.siteVer, 3.25);
    QLocale::setDefault(saved);
}

void TestSettings::passwordsStoredAsTyped()
{
    TestProgramDirectory dir;
    PropertyCatalogue properties;
    Settings config(dir.path(), properties);
    config.loadSettings();
    config.emailPassword = "p@ss =word;";
    config.memberPassword = "  spaced";
    config.saveSettings();
    const IniDocument ini = IniDocument::load(dir.file("quillet.ini"));
    QCOMPARE(ini.readString("EMail", "EMailPassword", ""), QString("p@ss =word;"));
    // Surrounding blanks are not kept by the file format.
    QCOMPARE(ini.readString("Config", "MemberPassword", ""), QString("spaced"));
}

void TestSettings::unwritableSettingsRaise()
{
    TestProgramDirectory dir;
    QVERIFY(QDir().mkdir(dir.file("quillet.ini")));
    PropertyCatalogue properties;
    Settings config(dir.path(), properties);
    config.loadSettings();
    QCOMPARE(config.language, QString("English"));
    try {
        config.saveSettings();
        QFAIL("SaveSettings succeeded");
    } catch (const QuilletError& error) {
        QCOMPARE(error.text(), "Unable to write to " + dir.file("quillet.ini"));
    }
}

void TestSettings::sessionSavesOnShutdownAndKeepsGoingAfterAFailedSave()
{
    TestProgramDirectory dir;
    {
        ProgramSession session(dir.path());
        session.start();
        session.config().language = "Deutsch";
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

void TestSettings::settingsFilesAreCreatedForTheOwnerOnly()
{
    TestProgramDirectory dir;
    dir.writeFile("companies.ini", "[Other]\nCity=X\n");
    QVERIFY(::chmod(QFile::encodeName(dir.file("companies.ini")).constData(), 0644) == 0);
    PropertyCatalogue properties;
    Settings config(dir.path(), properties);
    config.loadSettings();
    config.emailPassword = "secret";
    config.lastCompany = "Acme";
    const mode_t saved = ::umask(022);
    config.saveSettings();
    ::umask(saved);
    struct stat status { };
    QCOMPARE(::stat(QFile::encodeName(dir.file("quillet.ini")).constData(), &status), 0);
    QCOMPARE(status.st_mode & 0777, mode_t(0600));
    // A file that was there keeps the mode its owner gave it.
    QCOMPARE(::stat(QFile::encodeName(dir.file("companies.ini")).constData(), &status), 0);
    QCOMPARE(status.st_mode & 0777, mode_t(0644));

    TestProgramDirectory fresh;
    PropertyCatalogue freshProperties;
    Settings freshConfig(fresh.path(), freshProperties);
    freshConfig.lastCompany = "Acme";
    ::umask(022);
    freshConfig.saveSettings();
    ::umask(saved);
    QCOMPARE(::stat(QFile::encodeName(fresh.file("companies.ini")).constData(), &status), 0);
    QCOMPARE(status.st_mode & 0777, mode_t(0600));

    // A settings file made by hand, readable by all, is made private by a
    // password (the mail's or the member's), whichever writer saves it next.
    const std::tuple<const char*, const char*, mode_t> cases[]
        = {{"secret", "", 0600}, {"", "secret", 0600}, {"", "", 0644}};
    for (const auto& [emailPassword, memberPassword, mode] : cases) {
        TestProgramDirectory handMade;
        handMade.writeFile("quillet.ini", "[EMail]\nHostAddress=mail.example\n");
        const QByteArray file = QFile::encodeName(handMade.file("quillet.ini"));
        QVERIFY(::chmod(file.constData(), 0644) == 0);
        PropertyCatalogue handMadeProperties;
        Settings handMadeConfig(handMade.path(), handMadeProperties);
        handMadeConfig.loadSettings();
        handMadeConfig.emailPassword = emailPassword;
        handMadeConfig.memberPassword = memberPassword;
        handMadeConfig.saveSettings();
        QCOMPARE(::stat(file.constData(), &status), 0);
        QCOMPARE(status.st_mode & 0777, mode);
        handMadeConfig.saveWindowGeometry("Main", WindowGeometry(), 80);
        QCOMPARE(::stat(file.constData(), &status), 0);
        QCOMPARE(status.st_mode & 0777, mode);
    }
}

void TestSettings::companyNameThatIsNoSectionNameIsNeverWritten_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    const QString bracket = QStringLiteral("A company name cannot contain \"]\" or a line break.");
    QTest::newRow("bracket") << "Doe [UK] Ltd" << bracket;
    QTest::newRow("line break") << "Doe\n[Config]" << bracket;
    QTest::newRow("carriage return") << "Doe\rLtd" << bracket;
    QTest::newRow("blank at the end") << "Doe "
                                      << "A company name cannot begin or end with a blank.";
}

void TestSettings::companyNameThatIsNoSectionNameIsNeverWritten()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    TestProgramDirectory dir;
    const QByteArray companies = "[Acme]\r\nCity=Springfield\r\n";
    dir.writeFile("companies.ini", companies);
    PropertyCatalogue properties;
    Settings config(dir.path(), properties);
    config.loadSettings();
    config.lastCompany = name;
    config.hostAddress = "mail.example";
    QCOMPARE(Settings::companyNameProblem(name), message);
    try {
        config.saveSettings();
        QFAIL("the company was written");
    } catch (const QuilletError& error) {
        QCOMPARE(error.text(), message);
    }
    QCOMPARE(dir.readFile("companies.ini"), companies);
    // The rest of the settings were saved before the company was refused.
    QCOMPARE(IniFile(dir.file("quillet.ini")).readString("EMail", "HostAddress", ""), QString("mail.example"));
    // A "[" alone reads back as it was written.
    QCOMPARE(Settings::companyNameProblem("Doe [UK Ltd"), QString());
}

void TestSettings::companyWithAccentsSurvivesAStrayByte()
{
    TestProgramDirectory dir;
    // One Windows-1252 byte (\xe9) in an unrelated section of a UTF-8 file.
    const QByteArray original = "[M\xc3\xbcller GmbH]\r\nCompany=M\xc3\xbcller GmbH\r\nCity=K\xc3\xb6ln\r\n"
                                "[Old]\r\nNote=caf\xe9\r\n";
    dir.writeFile("companies.ini", original);
    dir.writeFile("quillet.ini", "[Config]\r\nLastCompany=M\xc3\xbcller GmbH\r\n");
    PropertyCatalogue properties;
    Settings config(dir.path(), properties);
    config.loadSettings();
    QStringList names;
    config.listCompanies(names);
    QCOMPARE(names, QStringList({QString::fromUtf8("Müller GmbH"), QString("Old")}));
    QCOMPARE(config.lastCompany, QString::fromUtf8("Müller GmbH"));
    QCOMPARE(properties[8].getValue(), QString::fromUtf8("Köln"));
    config.saveSettings();
    const QByteArray saved = dir.readFile("companies.ini");
    QVERIFY2(saved.startsWith("[M\xc3\xbcller GmbH]\r\nCompany=M\xc3\xbcller GmbH\r\nCity=K\xc3\xb6ln\r\n"),
        saved.constData());
    QVERIFY(saved.endsWith("[Old]\r\nNote=caf\xe9\r\n"));
    names.clear();
    config.listCompanies(names);
    QCOMPARE(names.size(), 2);
}

void TestSettings::utf16SettingsAreRead()
{
    TestProgramDirectory dir;
    QByteArray bytes("\xff\xfe");
    const QString text = QStringLiteral("[EMail]\r\nHostAddress=smtp.example\r\n[Config]\r\nLanguage=Deutsch\r\n");
    for (const QChar c : text)
        bytes.append(char(c.cell())).append(char(c.row()));
    dir.writeFile("quillet.ini", bytes);
    PropertyCatalogue properties;
    Settings config(dir.path(), properties);
    config.loadSettings();
    QCOMPARE(config.hostAddress, QString("smtp.example"));
    QCOMPARE(config.language, QString("Deutsch"));
    config.saveSettings();
    // Still UTF-16 with its byte order mark, and still read the same.
    QVERIFY(dir.readFile("quillet.ini").startsWith("\xff\xfe[\0E\0M\0"));
    Settings again(dir.path(), properties);
    again.loadSettings();
    QCOMPARE(again.hostAddress, QString("smtp.example"));
}

void TestSettings::handEditsMadeWhileRunningSurviveTheSave()
{
    TestProgramDirectory dir;
    const QByteArray config = "[Config]\nLanguage=English\nSiteFilter=Dead=False AND Hide=False\nLastPADPath=/pads/\n";
    dir.writeFile("quillet.ini", config + "[PowerPaste]\nCompany=1\n");
    PropertyCatalogue properties;
    Settings settings(dir.path(), properties);
    settings.loadSettings();
    settings.loadPowerPasteSettings();
    const auto check = [&dir](std::initializer_list<std::array<const char*, 3>> expected) {
        const IniDocument ini = IniDocument::load(dir.file("quillet.ini"));
        for (const auto& [section, key, value] : expected)
            QVERIFY2(ini.readString(section, key, "") == QString::fromUtf8(value), key);
    };

    // While the program runs, the file is edited by hand.
    dir.writeFile("quillet.ini",
        QByteArray(config).replace("English", "Deutsch")
            + "UpdateServer=https://127.0.0.1:8443/quillet\n; kept\n[PowerPaste]\nCompany=0\n");
    // The program changes other settings, and one that was edited by hand as well.
    settings.siteFilter = "PAD=True AND Dead=False AND Hide=False";
    settings.lastPadPath = "/other/";
    settings.saveSettings();
    // The hand edits stay, the program's changes are written, and so are the keys
    // the file lacks, with the program's values.
    check({{"Config", "UpdateServer", "https://127.0.0.1:8443/quillet"}, {"Config", "Language", "Deutsch"},
        {"PowerPaste", "Company", "0"}, {"Config", "SiteFilter", "PAD=True AND Dead=False AND Hide=False"},
        {"Config", "LastPADPath", "/other/"}, {"EMail", "Port", "25"}, {"PowerPaste", "PAD Path", "1"}});
    QVERIFY(dir.readFile("quillet.ini").contains("; kept\n"));

    // A second save (a language chosen) writes the program's change only; a
    // hand edit made after the first save survives it too.
    dir.writeFile("quillet.ini", dir.readFile("quillet.ini").replace("SiteFilter=PAD=True AND ", "SiteFilter="));
    settings.language = "French";
    settings.saveSettings();
    check({{"Config", "Language", "French"}, {"Config", "SiteFilter", "Dead=False AND Hide=False"},
        {"Config", "UpdateServer", "https://127.0.0.1:8443/quillet"}});
}

QTEST_GUILESS_MAIN(TestSettings)
#include "TestSettings.moc"
