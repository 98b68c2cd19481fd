#include "CliRun.h"
#include "Command.h"
#include "DataFixture.h"
#include "IniDocument.h"
#include "SiteUpdateLock.h"
#include "TestHttpServer.h"
#include "ZipArchive.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

namespace {

QJsonObject membersLogin()
{
    return QJsonObject {
        {"auth", QJsonObject {{"/members/", QJsonObject {{"user", "author"}, {"password", "s3cret"}}}}}};
}

const QStringList kCentralFields {"HomeUrl", "SearchUrl", "SubmitUrl", "UpdateUrl", "Notes", "VelmoraFriendly", "Pad",
    "AntiFreeSpeech", "Ftp", "PollsPAD", "CountryCode", "Rating", "Dead"};
const QStringList kAuthorsFields {"Username", "Password", "UserNotes", "Hide", "EMail"};

} // namespace

class TestUpdateCommands : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void roundTripFromOneProgramDirectoryToAnother();
    void storedLoginIsUsedWithoutOptions();
    void failuresExitWithOne();
    void usageErrors();
    void secondUpdateInTheSameFolderSaysOneIsRunning();
    void helperEndsWithQuilletCli();

private:
    // A program directory whose settings name the test server.
    void pointAtServer(const TestProgramDirectory& dir, const QByteArray& moreSettings = {}) const;

    std::unique_ptr<TestHttpServer> m_server;
};

void TestUpdateCommands::initTestCase()
{
    m_server = std::make_unique<TestHttpServer>();
    QVERIFY2(m_server->isRunning(), "the test server did not start");
}

void TestUpdateCommands::init()
{
    m_server->reset();
}

void TestUpdateCommands::pointAtServer(const TestProgramDirectory& dir, const QByteArray& moreSettings) const
{
    dir.writeFile("quillet.ini", "[Config]\nUpdateServer=" + m_server->base().toUtf8() + "\n" + moreSettings);
}

void TestUpdateCommands::roundTripFromOneProgramDirectoryToAnother()
{
    // The maintainer's sites.
    DataFixture source;
    source.open();
    source.addSite("Alpha",
        {{"HomeUrl", "http://alpha.example/"}, {"SearchUrl", "http://alpha.example/?q="},
            {"SubmitUrl", "http://alpha.example/submit"}, {"UpdateUrl", "http://alpha.example/update"},
            {"Notes", "Takes \"PAD\" files, no adware, please"}, {"VelmoraFriendly", 1}, {"Pad", 1},
            {"AntiFreeSpeech", 0}, {"Ftp", 1}, {"PollsPAD", 0}, {"CountryCode", "US"}, {"Rating", 4}});
    source.addSite("Beta, \"the\" second", {{"HomeUrl", "http://beta.example/"}, {"Notes", "\""}, {"Rating", 0}});
    source.addSite("Shared",
        {{"HomeUrl", "http://shared.example/new"}, {"Notes", "central notes"}, {"Pad", 1}, {"CountryCode", "DE"},
            {"Rating", 9}, {"Username", "maintainer"}});
    source.addSite("Closed", {{"HomeUrl", "http://closed.example/"}, {"Dead", 1}});
    source.close();
    CliResult result
        = runCli({"--dir", source.dir.path(), "publish-sites", m_server->root(), "--sites-version", "2.5"});
    QCOMPARE(result.code, 0);
    QCOMPARE(result.err, QString());
    QCOMPARE(result.out.split('\n', Qt::SkipEmptyParts),
        QStringList({m_server->root() + "/members/sites.zip: 4 sites, 1 marked dead",
            m_server->root() + "/download/quilletver.ini: SitesVer=2.5, QuilletVer=3.2"}));
    m_server->configure(membersLogin());

    // The author's sites: one shared with the list, with the author's own data on it.
    DataFixture target;
    target.open();
    target.addSite("Shared",
        {{"HomeUrl", "http://shared.example/old"}, {"Notes", "old notes"}, {"Username", "me"}, {"Password", "mine"},
            {"UserNotes", "my notes"}, {"Hide", 1}, {"EMail", "me@example.org"}});
    target.addSite("Own", {{"HomeUrl", "http://own.example/"}});
    target.close();
    pointAtServer(target.dir);

    result = runCliProcess({"--dir", target.dir.path(), "check-updates", "--login", "author", "--password", "s3cret"});
    QCOMPARE(result.code, 0);
    QCOMPARE(result.out, QString("Site data updated\n"));
    const QStringList progress = result.err.split('\n', Qt::SkipEmptyParts);
    const int manifestSize = int(QFileInfo(m_server->root() + "/download/quilletver.ini").size());
    const int archiveSize = int(QFileInfo(m_server->root() + "/members/sites.zip").size());
    QVERIFY2(progress.size() >= 8, qPrintable(result.err));
    QCOMPARE(progress.first(), QString("Loading"));
    for (const int size : {manifestSize, archiveSize}) {
        const int begin = progress.indexOf(QString("Transfering: %1").arg(size));
        const int whole = progress.indexOf(QString("%1 bytes of %1 bytes.").arg(size));
        QVERIFY2(begin >= 0 && whole > begin, qPrintable(result.err));
        for (int i = begin + 1; i < whole; ++i)
            QVERIFY2(progress[i].endsWith(QString(" bytes of %1 bytes.").arg(size)), qPrintable(progress[i]));
        QCOMPARE(progress.value(whole + 1), QString("Done"));
    }
    QCOMPARE(progress.count("Loading"), 2);

    // Every central field arrived; the author's own fields stayed.
    target.open();
    source.open();
    for (const QString& site : {QString("Alpha"), QString("Beta, \"the\" second"), QString("Shared")}) {
        const QVariantMap published = source.siteRow(site);
        const QVariantMap merged = target.siteRow(site);
        QVERIFY2(!merged.isEmpty(), qPrintable(site));
        for (const QString& field : kCentralFields)
            QVERIFY2(published[field] == merged[field], qPrintable(site + " " + field));
    }
    const QVariantMap shared = target.siteRow("Shared");
    QCOMPARE(shared["Username"].toString(), QString("me"));
    QCOMPARE(shared["Password"].toString(), QString("mine"));
    QCOMPARE(shared["UserNotes"].toString(), QString("my notes"));
    QCOMPARE(shared["Hide"].toInt(), 1);
    QCOMPARE(shared["EMail"].toString(), QString("me@example.org"));
    QVERIFY(target.siteRow("Closed").isEmpty());
    QCOMPARE(target.siteRow("Own")["HomeUrl"].toString(), QString("http://own.example/"));
    target.close();

    const IniDocument settings = IniDocument::load(target.dir.file("quillet.ini"));
    QCOMPARE(settings.readString("Config", "MemberLoginID", ""), QString("author"));
    QCOMPARE(settings.readString("Config", "MemberPassword", ""), QString("s3cret"));
    QCOMPARE(settings.readDouble("Options", "SiteVer", 0), 2.5);
    QCOMPARE(settings.readString("Config", "UpdateServer", ""), m_server->base());
    QVERIFY(QFile::exists(target.dir.file("quilletver.ini")));
    QVERIFY(!QFile::exists(target.dir.file("sites.zip")));

    // The next check finds the list up to date and downloads nothing more.
    const int requests = int(m_server->requests().size());
    result = runCli({"--dir", target.dir.path(), "check-updates"});
    QCOMPARE(result.code, 0);
    QCOMPARE(result.out, QString("Your site data is up to date.\n"));
    QCOMPARE(m_server->requestedPaths().mid(requests), QStringList {"/download/quilletver.ini"});
}

void TestUpdateCommands::storedLoginIsUsedWithoutOptions()
{
    m_server->writeFile("download/quilletver.ini", "[Versions]\nQuilletVer=3.3\nSitesVer=1.1\n");
    m_server->writeFile("members/sites.zip", zipArchive({{"sites.csv", "One,http://one/\r\n"}}));
    m_server->configure(membersLogin());
    TestProgramDirectory dir;
    pointAtServer(dir, "MemberLoginID=author\nMemberPassword=s3cret\n");
    const CliResult result = runCli({"--dir", dir.path(), "check-updates"});
    QCOMPARE(result.code, 0);
    QCOMPARE(result.out, QString("Quillet version 3.3 is now available.\nSite data updated\n"));
    QCOMPARE(IniDocument::load(dir.file("quillet.ini")).readDouble("Options", "SiteVer", 0), 1.1);
}

void TestUpdateCommands::failuresExitWithOne()
{
    TestProgramDirectory dir;
    // No server set: one message saying how to set it; nothing written.
    CliResult result = runCli({"--dir", dir.path(), "check-updates"});
    QCOMPARE(result.code, 1);
    QCOMPARE(result.out, QString());
    QCOMPARE(result.err,
        QString("No update server is set. Enter its address under \"Update server\" on the General page of View > "
                "Options, or add a line such as UpdateServer=https://updates.example.com to the [Config] section of "
                "%1quillet.ini.\n")
            .arg(dir.path()));
    QVERIFY(!QFile::exists(dir.file("quilletver.ini")));

    pointAtServer(dir);
    m_server->configure(QJsonObject {{"routes",
        QJsonObject {
            {"/download/quilletver.ini", QJsonObject {{"status", 404}, {"reason", "Not Found"}, {"body", ""}}}}}});
    result = runCli({"--dir", dir.path(), "check-updates"});
    QCOMPARE(result.code, 1);
    QCOMPARE(result.out, QString());
    QVERIFY2(result.err.endsWith(QString("404 Not Found (%1/download/quilletver.ini)\n").arg(m_server->base())),
        qPrintable(result.err));
    QCOMPARE(result.err.count("404 Not Found"), 1);

    m_server->writeFile("download/quilletver.ini", "[Versions]\nSitesVer=3\n");
    m_server->writeFile("members/sites.zip", zipArchive({{"sites.csv", "One,,,,,,,,,,,,many\r\n"}}));
    m_server->configure(membersLogin());
    result = runCli({"--dir", dir.path(), "check-updates", "--login", "author", "--password", "wrong"});
    QCOMPARE(result.code, 1);
    QVERIFY2(
        result.err.endsWith(
            QString("The server refused the login. (401 Unauthorized, %1/members/sites.zip)\n").arg(m_server->base())),
        qPrintable(result.err));
    // Kept as the dialog's OK keeps it, although it was refused.
    QCOMPARE(IniDocument::load(dir.file("quillet.ini")).readString("Config", "MemberPassword", ""), QString("wrong"));

    // A merge that rolls back fails, and the site list version stays.
    result = runCli({"--dir", dir.path(), "check-updates", "--login", "author", "--password", "s3cret"});
    QCOMPARE(result.code, 1);
    QCOMPARE(result.out, QString());
    QCOMPARE(IniDocument::load(dir.file("quillet.ini")).readDouble("Options", "SiteVer", -1), 1.0);

    m_server->configure(QJsonObject {{"routes",
        QJsonObject {{"/members/sites.zip", QJsonObject {{"status", 204}, {"reason", "No Content"}, {"body", ""}}}}}});
    result = runCli({"--dir", dir.path(), "check-updates"});
    QCOMPARE(result.code, 1);
    QVERIFY2(result.err.endsWith(QString("204 No Content (%1/members/sites.zip)\n").arg(m_server->base())),
        qPrintable(result.err));
}

void TestUpdateCommands::usageErrors()
{
    TestProgramDirectory dir;
    const QList<QPair<QStringList, QString>> cases {
        {{"check-updates", "extra"}, "check-updates: takes no arguments\n"},
        {{"check-updates", "--login", "me"}, "check-updates: --login and --password go together\n"},
        {{"check-updates", "--password", "pw"}, "check-updates: --login and --password go together\n"},
        {{"publish-sites"}, "publish-sites: name one folder\n"},
        {{"publish-sites", "a", "b", "--sites-version", "2"}, "publish-sites: name one folder\n"},
        {{"publish-sites", dir.file("out")}, "publish-sites: --sites-version is required\n"},
        {{"publish-sites", dir.file("out"), "--sites-version", "two"},
            "publish-sites: --sites-version takes a number\n"},
        {{"publish-sites", dir.file("out"), "--sites-version", "inf"},
            "publish-sites: --sites-version takes a number\n"},
        {{"publish-sites", dir.file("out"), "--sites-version", "2", "--program-version", "x"},
            "publish-sites: --program-version takes a number\n"},
    };
    for (const auto& usage : cases) {
        const CliResult result = runCli(QStringList {"--dir", dir.path()} + usage.first);
        QCOMPARE(result.code, 2);
        QCOMPARE(result.err, usage.second);
    }
    QVERIFY(!QFile::exists(dir.file("out")));
    CliResult result = runCli({"--help"});
    QVERIFY(result.out.contains("check-updates"));
    QVERIFY(result.out.contains("publish-sites"));
    result = runCli({"check-updates", "--help"});
    QCOMPARE(result.code, 0);
    QVERIFY(result.out.contains("--login <ID>"));
    QVERIFY(result.out.contains("--password <PW>"));
}

void TestUpdateCommands::secondUpdateInTheSameFolderSaysOneIsRunning()
{
    m_server->writeFile("download/quilletver.ini", "[Versions]\nSitesVer=2\n");
    TestProgramDirectory dir;
    pointAtServer(dir);
    TestProgramDirectory source;
    source.writeFile("sites.zip", zipArchive({{"sites.csv", "One,http://one/\r\n"}}));
    {
        // Another program's update holds the folder.
        SiteUpdateLock other(dir.path());
        QVERIFY(other.acquire());
        CliResult result = runCli({"--dir", dir.path(), "check-updates"});
        QCOMPARE(result.code, 1);
        QCOMPARE(result.err, SiteUpdateLock::busyText(dir.path()) + "\n");
        QVERIFY(m_server->requests().isEmpty());
        result = runCli({"--dir", dir.path(), "merge-sites", source.file("sites.zip")});
        QCOMPARE(result.code, 1);
        QVERIFY2(result.err.contains(SiteUpdateLock::busyText(dir.path())), qPrintable(result.err));
        QVERIFY(!QFile::exists(dir.file("sites.zip")));
    }
    // Once it has ended, the next update runs.
    const CliResult result = runCli({"--dir", dir.path(), "merge-sites", source.file("sites.zip")});
    QCOMPARE(result.code, 0);
}

void TestUpdateCommands::helperEndsWithQuilletCli()
{
    // A manifest that never ends, with no deadline or rate to end it.
    m_server->writeFile("download/quilletver.ini", QByteArray(1000000, 'x'));
    m_server->configure(QJsonObject {
        {"routes", QJsonObject {{"/download/quilletver.ini", QJsonObject {{"chunk", 1}, {"delay", 0.2}}}}}});
    TestProgramDirectory dir;
    pointAtServer(dir);
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QUILLET_HTTP_DEADLINE_MS", "0");
    environment.insert("QUILLET_HTTP_MINIMUM_RATE", "0");
    cli.setProcessEnvironment(environment);
    cli.start(qEnvironmentVariable("QUILLET_BIN_DIR") + "/quillet-cli", {"--dir", dir.path(), "check-updates"});
    QVERIFY(cli.waitForStarted(60000));
    // The helper of this run, found by the folder on its command line.
    const auto helpers = [&] {
        QStringList found;
        for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
            QFile commandLine("/proc/" + pid + "/cmdline");
            if (!commandLine.open(QIODevice::ReadOnly))
                continue;
            const QByteArray text = commandLine.readAll();
            if (text.contains("quillet-cli-updates") && text.contains(QFile::encodeName(dir.path())))
                found.append(pid);
        }
        return found;
    };
    QTRY_VERIFY_WITH_TIMEOUT(m_server->requestedPaths().contains("/download/quilletver.ini"), 60000);
    QCOMPARE(helpers().size(), 1);
    cli.terminate();
    QVERIFY(cli.waitForFinished(60000));
    QTRY_VERIFY_WITH_TIMEOUT(helpers().isEmpty(), 20000);
}

QTEST_GUILESS_MAIN(TestUpdateCommands)
#include "TestUpdateCommands.moc"
