#include "CliRun.h"
#include "Command.h"
#include "DataFixture.h"
#include "IniDocument.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class TestCli : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void infoOnEmptyFolderPrintsDefaults();
    void infoShowsStoredSettingsAndWritesNothing();
    void usageErrors();
    void helpAndVersion();
    void executableFindsItsOwnFolder();
    void infoShowsTables();
    void programsAndSites();
    void badSiteFilterFails();
    void reportToStdoutAndFile();
    void mergeSites();
    void mergeSitesRolledBack();
    void captureThenFillAnotherProgram();
    void pageCommandErrors();
    void siteVersionMustBeFinite_data();
    void siteVersionMustBeFinite();
    void mergeCommittedButSettingsNotSaved();
    void infoLeavesAMissingFolderMissing();
    void folderWhereAFileIsExpected();
    void commandsLoadNoHeavyLibraryTheyDoNotUse();
};

void TestCli::infoOnEmptyFolderPrintsDefaults()
{
    TestProgramDirectory dir;
    const CliResult result = runCli({"--dir", dir.path(), "info"});
    QCOMPARE(result.code, 0);
    QCOMPARE(result.err, QString());
    const QStringList lines = result.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.first(), "ProgramDirectory: " + dir.path());
    QVERIFY(lines.contains("Language: English"));
    QVERIFY(lines.contains("LanguageFile: " + dir.path() + "English.lng"));
    QVERIFY(lines.contains("Languages: "));
    QVERIFY(lines.contains("SiteFilter: Dead=False AND Hide=False"));
    QVERIFY(lines.contains("SiteVer: 1"));
    QVERIFY(lines.contains("LastCompany: "));
    QVERIFY(lines.contains("Links: "));
    QVERIFY(lines.contains("LastProgram: "));
    QVERIFY(lines.contains("AutoFillFormFields: true"));
    QVERIFY(lines.contains("BrowserContextMenuIndex: 1"));
    QVERIFY(lines.contains("MenuItemsPerColumn: 16"));
    QVERIFY(lines.contains("Programs: missing"));
    QVERIFY(lines.contains("ProgSite: missing"));
    QVERIFY(lines.contains("UpdateServer: "));
    QVERIFY(lines.contains("EMailPort: 25"));
    QVERIFY(lines.contains("EMailSecurity: none"));
    QCOMPARE(lines.size(), 33);
    QVERIFY(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

void TestCli::infoShowsStoredSettingsAndWritesNothing()
{
    TestProgramDirectory dir;
    const QByteArray settings = "[Config]\nLastCompany=Acme\nLanguage=Deutsch\n"
                                "UpdateServer=https://lists.example.org\n"
                                "[LastProgram]\nProgramName=Tool\n[PowerPaste]\nMenu items per column=8\n"
                                "[Company]\nCity=ignored\n"
                                "[EMail]\nHostAddress=mail.example.org\nPort=465\nSecurity=tls\n"
                                "CAFile=/etc/own-ca.pem\nEMailPassword=never shown\n";
    dir.writeFile("quillet.ini", settings);
    dir.writeFile("companies.ini", "[Acme]\nCity=Springfield\n");
    dir.writeFile("Deutsch.lng", "[Messages]\n");
    dir.writeFile("Castellano.lng", "[Messages]\n");
    const CliResult result = runCli({"--dir=" + dir.path(), "info"});
    QCOMPARE(result.code, 0);
    const QStringList lines = result.out.split('\n', Qt::SkipEmptyParts);
    QVERIFY(lines.contains("Company: Acme"));
    QVERIFY(lines.contains("City: Springfield"));
    QVERIFY(lines.contains("Language: Deutsch"));
    QVERIFY(lines.contains("LanguageFile: " + dir.path() + "Deutsch.lng"));
    QVERIFY(lines.contains("Languages: Castellano, Deutsch"));
    QVERIFY(lines.contains("LastProgram: Tool"));
    QVERIFY(lines.contains("MenuItemsPerColumn: 8"));
    QVERIFY(lines.contains("UpdateServer: https://lists.example.org"));
    QVERIFY(lines.contains("EMailHost: mail.example.org"));
    QVERIFY(lines.contains("EMailPort: 465"));
    QVERIFY(lines.contains("EMailSecurity: tls"));
    QVERIFY(lines.contains("EMailCAFile: /etc/own-ca.pem"));
    QVERIFY(!result.out.contains("never shown"));
    QCOMPARE(dir.readFile("quillet.ini"), settings);
}

void TestCli::usageErrors()
{
    TestProgramDirectory dir;
    CliResult result = runCli({"--dir", dir.path()});
    QCOMPARE(result.code, 2);
    QVERIFY(result.err.contains("Usage: quillet-cli"));
    result = runCli({"--dir", dir.path(), "nonsense"});
    QCOMPARE(result.code, 2);
    QCOMPARE(result.err, QString("Unknown command: nonsense (see 'quillet-cli --help')\n"));
    result = runCli({"--dir", dir.path(), "info", "--bogus"});
    QCOMPARE(result.code, 2);
    QVERIFY(result.err.startsWith("info: "));
    result = runCli({"info", "--dir"});
    QCOMPARE(result.code, 2);
    QCOMPARE(result.err, QString("--dir needs a folder\n"));
}

void TestCli::helpAndVersion()
{
    CliResult result = runCli({"--version"});
    QCOMPARE(result.code, 0);
    QCOMPARE(result.out, QString("quillet-cli 3.2\n"));
    result = runCli({"--help"});
    QCOMPARE(result.code, 0);
    QVERIFY(result.out.contains("info"));
    result = runCli({"info", "--help"});
    QCOMPARE(result.code, 0);
    QVERIFY(result.out.startsWith("Usage: quillet-cli [--dir DIR] info"));
}

void TestCli::executableFindsItsOwnFolder()
{
    // Without --dir the program directory is the executable's folder, not the current one.
    TestProgramDirectory work;
    QProcess process;
    process.setWorkingDirectory(work.path());
    const QString binary = qEnvironmentVariable("QUILLET_BIN_DIR") + "/quillet-cli";
    process.start(binary, {"info"});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 0);
    const QString firstLine = QString::fromUtf8(process.readAllStandardOutput()).section('\n', 0, 0);
    QCOMPARE(firstLine, "ProgramDirectory: " + qEnvironmentVariable("QUILLET_BIN_DIR") + "/");
}

void TestCli::infoShowsTables()
{
    DataFixture f;
    f.open();
    f.dm().addProgram("Tool");
    f.addSite("a");
    f.addSite("b");
    f.close();
    f.dir.writeFile("ProgSite.DAT", "not a database at all, but the author's file");
    const CliResult result = runCli({"--dir", f.dir.path(), "info"});
    QCOMPARE(result.code, 0);
    const QStringList lines = result.out.split('\n', Qt::SkipEmptyParts);
    QVERIFY(lines.contains("Programs: 1.5"));
    QVERIFY(lines.contains("Programs rows: 1"));
    QVERIFY(lines.contains("Sites: 1.4"));
    QVERIFY(lines.contains("Sites rows: 2"));
    QVERIFY(lines.contains("ProgSite: unreadable (file is not a database)"));
    QCOMPARE(f.dir.readFile("ProgSite.DAT"), QByteArray("not a database at all, but the author's file"));
}

void TestCli::programsAndSites()
{
    DataFixture f;
    f.open();
    f.dm().addProgram("beta");
    f.dm().addProgram("Alpha");
    f.addSite("live", {{"Rating", 5}});
    f.addSite("Dead one", {{"Dead", 1}, {"Rating", 4}});
    f.addSite("hidden", {{"Hide", 1}, {"Rating", 1}});
    f.close();
    f.dir.writeFile("quillet.ini", "[Config]\nSiteFilter=Rating > 3 OR Rating = Null AND Dead=False AND Hide=False\n");

    CliResult result = runCli({"--dir", f.dir.path(), "programs"});
    QCOMPARE(result.code, 0);
    QCOMPARE(result.out, QString("Alpha\nbeta\n"));
    result = runCli({"--dir", f.dir.path(), "sites"});
    QCOMPARE(result.out, QString("Dead one\nlive\n"));
    result = runCli({"--dir", f.dir.path(), "sites", "--filter", "Hide=True"});
    QCOMPARE(result.out, QString("hidden\n"));
    result = runCli({"--dir", f.dir.path(), "sites", "--all"});
    QCOMPARE(result.out, QString("Dead one\nhidden\nlive\n"));
    result = runCli({"--dir", f.dir.path(), "sites", "--all", "--filter", "Hide=True"});
    QCOMPARE(result.code, 2);
}

void TestCli::badSiteFilterFails()
{
    DataFixture f;
    f.open();
    f.close();
    const CliResult result = runCli({"--dir", f.dir.path(), "sites", "--filter", "Colour='red'"});
    QCOMPARE(result.code, 1);
    QCOMPARE(result.out, QString());
    QCOMPARE(result.err, QString("The site filter \"Colour='red'\" is not valid: unknown field \"Colour\"\n"));
}

void TestCli::reportToStdoutAndFile()
{
    DataFixture f;
    f.open();
    f.addSite("h", {{"Hide", 1}, {"HomeUrl", "http://h/"}});
    f.close();
    CliResult result = runCli({"--dir", f.dir.path(), "report", "hidden"});
    QCOMPARE(result.code, 0);
    const QString expected = QString(54, '=');
    QCOMPARE(result.out,
        "Hidden Sites List Report\r\n" + expected
            + "\r\n\r\nh\r\n\thttp://h/\r\n\r\n\r\n"
              "There are 1 sites listed above.\r\n");
    const mode_t savedMask = ::umask(022);
    result = runCli({"--dir", f.dir.path(), "report", "hidden", "--output", f.dir.file("hidden.txt")});
    ::umask(savedMask);
    QCOMPARE(result.code, 0);
    QCOMPARE(result.out, QString());
    QCOMPARE(QFileInfo(f.dir.file("hidden.txt")).permissions() & 0x0077, QFileDevice::Permissions());
    QCOMPARE(QString::fromUtf8(f.dir.readFile("hidden.txt")), runCli({"--dir", f.dir.path(), "report", "hidden"}).out);
    result = runCli({"--dir", f.dir.path(), "report", "progress"});
    QVERIFY(result.out.startsWith("Software Submission Progress Status Report\r\n"));
    result = runCli({"--dir", f.dir.path(), "report", "weekly"});
    QCOMPARE(result.code, 2);
    QVERIFY(QDir().mkdir(f.dir.file("taken")));
    result = runCli({"--dir", f.dir.path(), "report", "accounts", "--output", f.dir.file("taken")});
    QCOMPARE(result.code, 1);
    QCOMPARE(result.err, f.dir.file("taken") + " is a folder.\n");
}

void TestCli::mergeSites()
{
    DataFixture f;
    f.open();
    f.close();
    TestProgramDirectory source;
    QProcess zip;
    source.writeFile("sites.csv", "Merged,http://m/\r\nSecond,http://s/\r\n");
    zip.setWorkingDirectory(source.path());
    zip.start("zip", {"-q", "list.zip", "sites.csv"});
    QVERIFY(zip.waitForFinished(30000));
    QCOMPARE(zip.exitCode(), 0);
    const CliResult result
        = runCli({"--dir", f.dir.path(), "merge-sites", source.file("list.zip"), "--site-version", "2.5"});
    QCOMPARE(result.code, 0);
    QCOMPARE(runCli({"--dir", f.dir.path(), "sites"}).out, QString("Merged\nSecond\n"));
    QVERIFY(QFile::exists(source.file("list.zip")));
    QVERIFY(!QFile::exists(f.dir.file("sites.zip")));
    QVERIFY(runCli({"--dir", f.dir.path(), "info"}).out.contains("SiteVer: 2.5\n"));
}

void TestCli::mergeSitesRolledBack()
{
    DataFixture f;
    f.open();
    f.close();
    TestProgramDirectory source;
    source.writeFile("sites.csv", "Bad,http://b/,,,,,,,,,,,high\n");
    QProcess zip;
    zip.setWorkingDirectory(source.path());
    zip.start("zip", {"-q", "list.zip", "sites.csv"});
    QVERIFY(zip.waitForFinished(30000));
    const CliResult result
        = runCli({"--dir", f.dir.path(), "merge-sites", source.file("list.zip"), "--site-version", "3"});
    QCOMPARE(result.code, 1);
    QCOMPARE(runCli({"--dir", f.dir.path(), "sites", "--all"}).out, QString());
    QVERIFY(runCli({"--dir", f.dir.path(), "info"}).out.contains("SiteVer: 1\n"));
    QCOMPARE(runCli({"--dir", f.dir.path(), "merge-sites", source.file("missing.zip")}).code, 1);
    QCOMPARE(runCli({"--dir", f.dir.path(), "merge-sites"}).code, 2);
}

// The page commands need a browser page, so they run as their own process,
// as a user would run them (runCliProcess).
void TestCli::captureThenFillAnotherProgram()
{
    DataFixture f;
    f.open();
    f.addSite("Demo Site", {{"Username", "author"}, {"Password", "pw"}});
    f.properties()[14].setValue("Tool");
    f.properties()[15].setValue("1.0");
    f.properties()[25].setValue("Shareware");
    f.properties()[26].setValue("Linux");
    f.dm().saveProgram("Tool");
    f.properties()[14].setValue("Other");
    f.properties()[15].setValue("2.5 beta");
    f.properties()[25].setValue("Freeware");
    f.properties()[26].setValue("Windows");
    f.dm().saveProgram("Other");
    f.close();
    const QString page = testDataPath("cli/submit.html");

    CliResult result
        = runCliProcess({"--dir", f.dir.path(), "capture", page, "--site", "Demo Site", "--program", "Tool"});
    QCOMPARE(result.err, QString());
    QCOMPARE(result.code, 0);
    QCOMPARE(result.out, QString("Form saved\n"));
    const QString map = QString::fromUtf8(f.dir.readFile("SiteData/Demo Site.xml"));
    QVERIFY(map.contains(R"(<CONTROL Name="prog_name" Type="text" DataField="Program"/>)"));
    QVERIFY(map.contains(R"(<CONTROL Name="login" Type="text" DataField="Username"/>)"));
    // A check box holds True or False, which names no property: its state goes to the values file.
    QVERIFY(map.contains(R"(<CONTROL Name="osLinux" Type="checkbox" DataField=""/>)"));

    // The mapped controls take the other program's values and the account.
    result = runCliProcess({"--dir", f.dir.path(), "fill", page, "--site", "Demo Site", "--program", "Other"});
    QCOMPARE(result.code, 0);
    QStringList lines = result.out.split('\n', Qt::SkipEmptyParts);
    QVERIFY(lines.contains(R"({"key": "prog_name", "type": "text", "value": "Other"})"));
    QVERIFY(lines.contains(R"({"key": "version", "type": "text", "value": "2.5 beta"})"));
    QVERIFY(lines.contains(R"({"key": "login", "type": "text", "value": "author"})"));
    // Controls known only to Tool's values file: nothing for Other, so the box is cleared.
    QVERIFY(lines.contains(R"({"key": "osLinux", "type": "checkbox", "value": "Linux", "checked": false})"));
    QVERIFY(lines.contains(R"({"key": "license", "type": "select-one", "value": "", "selected": []})"));
    QCOMPARE(lines.size(), 8);

    // For Tool the values file gives back what was typed by hand, here into an empty form.
    result = runCliProcess({"--dir", f.dir.path(), "fill", testDataPath("cli/submit-empty.html"), "--site", "Demo Site",
        "--program", "Tool"});
    QCOMPARE(result.code, 0);
    lines = result.out.split('\n', Qt::SkipEmptyParts);
    QVERIFY(lines.contains(R"({"key": "prog_name", "type": "text", "value": "Tool"})"));
    QVERIFY(lines.contains(R"({"key": "login", "type": "text", "value": "author"})"));
    QVERIFY(lines.contains(R"({"key": "desc", "type": "textarea", "value": "A small tool"})"));
    QVERIFY(lines.contains(R"({"key": "osLinux", "type": "checkbox", "value": "Linux", "checked": true})"));
    QVERIFY(lines.contains(R"({"key": "osWindows", "type": "checkbox", "value": "Windows", "checked": false})"));
    QVERIFY(
        lines.contains(R"({"key": "license", "type": "select-one", "value": "Shareware", "selected": ["Shareware"]})"));
}

void TestCli::pageCommandErrors()
{
    DataFixture f;
    f.open();
    f.addSite("Known");
    f.properties()[PropertyCatalogue::ProgramName].setValue("Tool");
    f.dm().saveProgram("Tool");
    f.close();
    const QString page = testDataPath("cli/submit.html");
    CliResult result
        = runCliProcess({"--dir", f.dir.path(), "capture", page, "--site", "Unknown", "--program", "Tool"});
    QCOMPARE(result.code, 1);
    QCOMPARE(result.err, QString("The site \"Unknown\" does not exist.\n"));
    // A program without a record fills nothing and captures nothing; names
    // are matched exactly.
    for (const char* command : {"capture", "fill"}) {
        for (const char* program : {"Nobody", "tool"}) {
            result = runCliProcess({"--dir", f.dir.path(), command, page, "--site", "Known", "--program", program});
            QCOMPARE(result.code, 1);
            QCOMPARE(result.err, QString("The program \"%1\" does not exist.\n").arg(program));
            QCOMPARE(result.out, QString());
        }
    }
    QVERIFY(!QFileInfo::exists(f.dir.file("SiteData")));
    result = runCliProcess(
        {"--dir", f.dir.path(), "capture", f.dir.file("missing.html"), "--site", "Known", "--program", "Tool"});
    QCOMPARE(result.code, 1);
    QVERIFY(result.err.contains("could not be loaded"));
    result = runCliProcess({"--dir", f.dir.path(), "fill", page, "--site", "Known"});
    QCOMPARE(result.code, 2);
    // No map for the site: nothing is filled and the page's own values are
    // printed. A relative page path is taken from the current folder.
    result = runCliProcess(
        {"--dir", f.dir.path(), "fill", "cli/submit.html", "--site", "Known", "--program", "Tool"}, testDataPath(""));
    QCOMPARE(result.err, QString());
    QCOMPARE(result.code, 0);
    QVERIFY(result.out.contains(R"({"key": "version", "type": "text", "value": "1.0"})"));
    // As root the browser needs its sandbox switched off; without that the
    // command explains instead of failing silently.
    if (::geteuid() == 0) {
        result = runCliProcess({"--dir", f.dir.path(), "fill", page, "--site", "Known", "--program", "Tool"}, QString(),
            {"QTWEBENGINE_DISABLE_SANDBOX"});
        QCOMPARE(result.code, 1);
        QVERIFY(result.err.contains("QTWEBENGINE_DISABLE_SANDBOX=1"));
    }
}

namespace {

// A site list archive made with the zip tool, as a server would make it.
QString zipList(const TestProgramDirectory& source, const QByteArray& csv)
{
    source.writeFile("sites.csv", csv);
    QProcess zip;
    zip.setWorkingDirectory(source.path());
    zip.start("zip", {"-q", "list.zip", "sites.csv"});
    zip.waitForFinished(30000);
    return source.file("list.zip");
}

} // namespace

void TestCli::siteVersionMustBeFinite_data()
{
    QTest::addColumn<QString>("version");
    QTest::newRow("nan") << "nan";
    QTest::newRow("NaN") << "NaN";
    QTest::newRow("inf") << "inf";
    QTest::newRow("-inf") << "-inf";
    QTest::newRow("letters") << "two";
}

void TestCli::siteVersionMustBeFinite()
{
    QFETCH(QString, version);
    DataFixture f;
    f.open();
    f.close();
    TestProgramDirectory source;
    const QString archive = zipList(source, "Merged,http://m/\r\n");
    const CliResult result = runCli({"--dir", f.dir.path(), "merge-sites", archive, "--site-version", version});
    QCOMPARE(result.code, 2);
    QCOMPARE(result.err, QString("merge-sites: --site-version takes a number\n"));
    // Refused before anything happened: no merge, no version.
    QCOMPARE(runCli({"--dir", f.dir.path(), "sites", "--all"}).out, QString());
    QVERIFY(runCli({"--dir", f.dir.path(), "info"}).out.contains("SiteVer: 1\n"));
}

void TestCli::mergeCommittedButSettingsNotSaved()
{
    DataFixture f;
    f.open();
    f.close();
    // A settings file that cannot be replaced (a folder stands at its name;
    // file permissions do not stop the root user the tests may run as).
    QVERIFY(QDir().mkdir(f.dir.file("quillet.ini")));
    TestProgramDirectory source;
    const QString archive = zipList(source, "Merged,http://m/\r\n");
    const CliResult result = runCli({"--dir", f.dir.path(), "merge-sites", archive, "--site-version", "4"});
    QCOMPARE(result.code, 3);
    QVERIFY2(result.err.startsWith("The site list was merged, but the settings could not be saved: "),
        qPrintable(result.err));
    // The merge itself stays.
    QCOMPARE(runCli({"--dir", f.dir.path(), "sites"}).out, QString("Merged\n"));
}

void TestCli::infoLeavesAMissingFolderMissing()
{
    TestProgramDirectory parent;
    const QString missing = parent.file("not/there");
    const CliResult result = runCli({"--dir", missing, "info"});
    QCOMPARE(result.code, 0);
    QVERIFY(result.out.startsWith("ProgramDirectory: " + missing + "/\n"));
    QVERIFY(result.out.contains("Sites: missing\n"));
    QVERIFY(!QFileInfo::exists(parent.file("not")));
    // A command that writes makes the folder as before.
    QCOMPARE(runCli({"--dir", missing, "programs"}).code, 0);
    QVERIFY(QFileInfo(missing).isDir());
}

void TestCli::folderWhereAFileIsExpected()
{
    DataFixture f;
    f.open();
    f.close();
    QVERIFY(QDir().mkdir(f.dir.file("folder.zip")));
    CliResult result = runCli({"--dir", f.dir.path(), "merge-sites", f.dir.file("folder.zip")});
    QCOMPARE(result.code, 1);
    QCOMPARE(result.err, f.dir.file("folder.zip") + " is a folder.\n");
    result = runCli({"--dir", f.dir.path(), "merge-sites", f.dir.file("none.zip")});
    QCOMPARE(result.code, 1);
    QCOMPARE(result.err, f.dir.file("none.zip") + " does not exist.\n");
    result = runCli({"--dir", f.dir.path(), "import-pad", f.dir.file("folder.zip")});
    QCOMPARE(result.code, 1);
    QCOMPARE(result.err, f.dir.file("folder.zip") + " is a folder.\n");
}

void TestCli::commandsLoadNoHeavyLibraryTheyDoNotUse()
{
    DataFixture f;
    f.open();
    f.addSite("Known");
    f.close();
    TestProgramDirectory source;
    const QString archive = zipList(source, "Merged,http://m/\r\n");
    const QList<QStringList> commands {
        {"--version"}, {"programs"}, {"sites"}, {"report", "accounts"}, {"merge-sites", archive}, {"info"}};
    for (const QStringList& command : commands) {
        // The dynamic loader names every library it loads, plug-ins included.
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LD_DEBUG", "files");
        process.setProcessEnvironment(environment);
        process.start(
            qEnvironmentVariable("QUILLET_BIN_DIR") + "/quillet-cli", QStringList {"--dir", f.dir.path()} + command);
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 0);
        const QString loaded = QString::fromLocal8Bit(process.readAllStandardError());
        QVERIFY2(loaded.contains("libQt6Core"), qPrintable(command.join(' ')));
        QVERIFY2(!loaded.contains("WebEngine"), qPrintable(command.join(' ')));
        QVERIFY2(!loaded.contains("libQt6Quick"), qPrintable(command.join(' ')));
        QVERIFY2(!loaded.contains("libQt6Gui"), qPrintable(command.join(' ')));
        QVERIFY2(!loaded.contains("libcurl"), qPrintable(command.join(' ')));
        // libzip only where an archive is opened.
        QCOMPARE(loaded.contains("libzip"), command.contains("merge-sites"));
    }
}

QTEST_GUILESS_MAIN(TestCli)
#include "TestCli.moc"
