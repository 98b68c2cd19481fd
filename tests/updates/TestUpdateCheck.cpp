#include "DataFixture.h"
#include "HttpClient.h"
#include "IniDocument.h"
#include "MessageTranslator.h"
#include "SiteUpdateLock.h"
#include "TestHttpServer.h"
#include "TransferProgress.h"
#include "UpdateCheck.h"
#include "UpdateManifest.h"
#include "ZipArchive.h"

#include <QFile>
#include <QJsonObject>
#include <QLocale>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

namespace {

const QString kCancelled = QStringLiteral("The check for site updates was cancelled.");

// The check's user as a script: answers the login with preset values (as the
// dialog's OK stores them) or cancels, and records what it was told.
class ScriptedUser : public UpdateCheckUser {
public:
    explicit ScriptedUser(Settings& config)
        : m_config(config)
    { }

    bool askLogin(QString& loginId, QString& password) override
    {
        ++loginsAsked;
        offered = {m_config.memberLoginId, m_config.memberPassword};
        if (cancel)
            return false;
        m_config.memberLoginId = answerId;
        m_config.memberPassword = answerPassword;
        loginId = answerId;
        password = answerPassword;
        return true;
    }
    void showMessage(const QString& text) override { messages.append(text); }
    void showFailure(const QString& text) override { failures.append(text); }

    bool cancel = false;
    QString answerId = QStringLiteral("author");
    QString answerPassword = QStringLiteral("secret");
    int loginsAsked = 0;
    QStringList offered;
    QStringList messages;
    QStringList failures;

private:
    Settings& m_config;
};

const QByteArray kSiteLines
    = "Alpha,http://alpha/,,http://alpha/submit,,notes,True,False,False,False,False,DE,5,,,False\r\n"
      "Beta,http://beta/,,,,,False,True,False,False,False,FR,,,,False\r\n";

} // namespace

class TestUpdateCheck : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void announcementsAndUpToDate_data();
    void announcementsAndUpToDate();
    void missingSitesVersionOnAFirstRunAsksForTheLogin();
    void newerListIsDownloadedWithTheLoginAndMerged();
    void refusedLoginEndsTheCheck();
    void failedArchiveLeavesNoFileAndSiteVerStays();
    void replyOtherThan200IsShownAndStops();
    void rolledBackMergeKeepsSiteVer();
    void failedManifestEndsTheCheck();
    void archiveThatIsNoArchive();
    void noUsableServer_data();
    void noUsableServer();
    void secondCheckIsRefusedWhileOneRuns();
    void updateOfAnotherProgramInTheFolderIsNotJoined();
    void decimalCommaLocale();
    void messagesInTheLanguageInForce();

private:
    UpdateCheck::Outcome runCheck();

    std::unique_ptr<TestHttpServer> m_server;
    std::unique_ptr<DataFixture> m_f;
    std::unique_ptr<HttpClient> m_client;
    std::unique_ptr<TransferProgress> m_progress;
    std::unique_ptr<ScriptedUser> m_user;
};

void TestUpdateCheck::initTestCase()
{
    m_server = std::make_unique<TestHttpServer>();
    QVERIFY2(m_server->isRunning(), "the test server did not start");
}

void TestUpdateCheck::init()
{
    m_server->reset();
    m_f = std::make_unique<DataFixture>();
    m_f->open();
    m_f->config().updateServer = m_server->base();
    m_client = std::make_unique<HttpClient>();
    m_progress = std::make_unique<TransferProgress>();
    m_progress->attach(*m_client);
    m_user = std::make_unique<ScriptedUser>(m_f->config());
}

void TestUpdateCheck::cleanup()
{
    QLocale::setDefault(QLocale::c());
    m_user.reset();
    m_progress.reset();
    m_client.reset();
    m_f.reset();
}

UpdateCheck::Outcome TestUpdateCheck::runCheck()
{
    UpdateCheck check(m_f->config(), m_f->dm(), *m_client, *m_progress, *m_user);
    return check.run();
}

void TestUpdateCheck::announcementsAndUpToDate_data()
{
    QTest::addColumn<QByteArray>("manifest");
    QTest::addColumn<QStringList>("messages");
    const QString upToDate = "Your site data is up to date.";
    QTest::newRow("same version") << QByteArray("[Versions]\r\nQuilletVer=3.2\r\nSitesVer=1\r\n")
                                  << QStringList {upToDate};
    QTest::newRow("newer") << QByteArray("[Versions]\nQuilletVer=3.21\nSitesVer=1\n")
                           << QStringList {"Quillet version 3.21 is now available.", upToDate};
    QTest::newRow("whole number") << QByteArray("[versions]\nquilletver = 4\nsitesver=0.5\n")
                                  << QStringList {"Quillet version 4 is now available.", upToDate};
    QTest::newRow("older") << QByteArray("[Versions]\nQuilletVer=3.19\nSitesVer=1\n") << QStringList {upToDate};
    QTest::newRow("no key") << QByteArray("[Versions]\nSitesVer=1\n") << QStringList {upToDate};
    QTest::newRow("letters") << QByteArray("[Versions]\nQuilletVer=three\nSitesVer=1\n") << QStringList {upToDate};
    QTest::newRow("infinite") << QByteArray("[Versions]\nQuilletVer=inf\nSitesVer=1\n") << QStringList {upToDate};
    QTest::newRow("html page") << QByteArray("<html><body>[Versions] QuilletVer=9</body></html>\n") << QStringList {};
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe[Versions]\x00QuilletVer=9\r\x00SitesVer=9\n", 39)
                            << QStringList {};
}

void TestUpdateCheck::announcementsAndUpToDate()
{
    QFETCH(QByteArray, manifest);
    QFETCH(QStringList, messages);
    m_server->writeFile("download/quilletver.ini", manifest);
    m_user->cancel = true;
    const UpdateCheck::Outcome outcome = runCheck();
    // A cancelled login says that the check was cancelled.
    QCOMPARE(m_user->messages, messages.isEmpty() ? QStringList {kCancelled} : messages);
    QVERIFY(m_user->failures.isEmpty());
    if (messages.isEmpty()) {
        // No SitesVer: its default 1.01 is above a first run's 1.0, so the login is asked for.
        QCOMPARE(outcome, UpdateCheck::Outcome::LoginCancelled);
        QCOMPARE(m_user->loginsAsked, 1);
    } else {
        QCOMPARE(outcome, UpdateCheck::Outcome::UpToDate);
        QCOMPARE(m_user->loginsAsked, 0);
    }
    QCOMPARE(m_server->requestedPaths(), QStringList {"/download/quilletver.ini"});
    // The manifest stays in the program directory.
    QCOMPARE(m_f->dir.readFile("quilletver.ini"), manifest);
    QCOMPARE(m_f->config().siteVer, 1.0);
}

void TestUpdateCheck::missingSitesVersionOnAFirstRunAsksForTheLogin()
{
    m_server->writeFile("download/quilletver.ini", "[Versions]\nQuilletVer=3.2\n");
    m_f->config().memberLoginId = "stored id";
    m_f->config().memberPassword = "stored pw";
    m_user->cancel = true;
    QCOMPARE(runCheck(), UpdateCheck::Outcome::LoginCancelled);
    // Cancelled: said so; nothing stored, nothing downloaded.
    QCOMPARE(m_user->offered, QStringList({"stored id", "stored pw"}));
    QCOMPARE(m_user->messages, QStringList {kCancelled});
    QVERIFY(m_user->failures.isEmpty());
    QCOMPARE(m_f->config().memberLoginId, QString("stored id"));
    QCOMPARE(m_server->requestedPaths(), QStringList {"/download/quilletver.ini"});
    QVERIFY(!QFile::exists(m_f->dir.file("sites.zip")));

    // With 1.01 installed the same manifest is up to date.
    m_f->config().siteVer = 1.01;
    m_user->cancel = false;
    QCOMPARE(runCheck(), UpdateCheck::Outcome::UpToDate);
    QCOMPARE(m_user->loginsAsked, 1);
}

void TestUpdateCheck::newerListIsDownloadedWithTheLoginAndMerged()
{
    m_server->writeFile("download/quilletver.ini", "[Versions]\nQuilletVer=3.5\nSitesVer=1.5\n");
    m_server->writeFile("members/sites.zip", zipArchive({{"sites.csv", kSiteLines}}));
    m_server->configure(
        QJsonObject {{"auth", QJsonObject {{"/members/", QJsonObject {{"user", "author"}, {"password", "secret"}}}}},
            {"routes", QJsonObject {{"/download/quilletver.ini", QJsonObject {{"cookie", "visit=1; Path=/"}}}}}});
    m_f->addSite("Alpha", {{"HomeUrl", "http://old-alpha/"}, {"Username", "me"}, {"Hide", 1}});
    QCOMPARE(runCheck(), UpdateCheck::Outcome::Updated);
    QCOMPARE(m_user->messages, QStringList({"Quillet version 3.5 is now available.", "Site data updated"}));
    QCOMPARE(m_user->loginsAsked, 1);
    QCOMPARE(m_f->config().siteVer, 1.5);
    QCOMPARE(m_client->loginId(), QString("author"));

    const QList<QJsonObject> requests = m_server->requests();
    QCOMPARE(m_server->requestedPaths(),
        QStringList({"/download/quilletver.ini", "/members/sites.zip", "/members/sites.zip"}));
    QVERIFY(requests[1]["authorization"].isNull());
    QCOMPARE(requests[2]["authorization"].toString(), QString("Basic " + QByteArray("author:secret").toBase64()));
    QCOMPARE(requests[2]["cookie"].toString(), QString("visit=1"));

    QVERIFY(QFile::exists(m_f->dir.file("quilletver.ini")));
    QVERIFY(!QFile::exists(m_f->dir.file("sites.zip")));
    QVERIFY(!QFile::exists(m_f->dir.file("sites.csv")));
    const QVariantMap alpha = m_f->siteRow("Alpha");
    QCOMPARE(alpha["HomeUrl"].toString(), QString("http://alpha/"));
    QCOMPARE(alpha["Username"].toString(), QString("me"));
    QCOMPARE(alpha["Hide"].toInt(), 1);
    QCOMPARE(m_f->siteRow("Beta")["CountryCode"].toString(), QString("FR"));
    QCOMPARE(m_progress->statusText(), QString("Done"));
    QVERIFY(!m_progress->isBarVisible());
}

void TestUpdateCheck::refusedLoginEndsTheCheck()
{
    m_server->writeFile("download/quilletver.ini", "[Versions]\nSitesVer=2\n");
    m_server->writeFile("members/sites.zip", zipArchive({{"sites.csv", kSiteLines}}));
    m_server->configure(
        QJsonObject {{"auth", QJsonObject {{"/members/", QJsonObject {{"user", "author"}, {"password", "secret"}}}}}});
    m_user->answerPassword = "wrong";
    try {
        runCheck();
        QFAIL("a refused login must end the check with an error");
    } catch (const QuilletError& error) {
        // Said in words; the status is in the details.
        QVERIFY2(
            error.text().startsWith("The server refused the login. (401 Unauthorized, "), qPrintable(error.text()));
    }
    // Stored as the dialog's OK stores it, although the download failed.
    QCOMPARE(m_f->config().memberPassword, QString("wrong"));
    QCOMPARE(m_f->config().siteVer, 1.0);
    QCOMPARE(m_server->requests().size(), 3);
    // The refusal page is not left as the archive.
    QVERIFY(!QFile::exists(m_f->dir.file("sites.zip")));
    QCOMPARE(m_f->dm().rowCount(Table::Sites), 0);
}

void TestUpdateCheck::failedArchiveLeavesNoFileAndSiteVerStays()
{
    m_server->writeFile("download/quilletver.ini", "[Versions]\nSitesVer=2\n");
    m_server->configure(QJsonObject {{"routes",
        QJsonObject {{"/members/sites.zip",
            QJsonObject {{"status", 500}, {"reason", "Internal Server Error"}, {"body", "<html>broken</html>"}}}}}});
    try {
        runCheck();
        QFAIL("a 500 reply must end the check with an error");
    } catch (const QuilletError& error) {
        QCOMPARE(error.text(), QString("500 Internal Server Error (%1/members/sites.zip)").arg(m_server->base()));
    }
    QVERIFY(m_user->messages.isEmpty());
    QCOMPARE(m_f->config().siteVer, 1.0);
    QVERIFY(!QFile::exists(m_f->dir.file("sites.zip")));
    QVERIFY(!m_progress->isBarVisible());
    QVERIFY(!UpdateCheck::isRunning());
}

void TestUpdateCheck::replyOtherThan200IsShownAndStops()
{
    m_server->writeFile("download/quilletver.ini", "[Versions]\nSitesVer=2\n");
    m_server->configure(QJsonObject {{"routes",
        QJsonObject {{"/members/sites.zip", QJsonObject {{"status", 204}, {"reason", "No Content"}, {"body", ""}}}}}});
    QCOMPARE(runCheck(), UpdateCheck::Outcome::NotAnswered);
    QCOMPARE(m_user->failures, QStringList {QString("204 No Content (%1/members/sites.zip)").arg(m_server->base())});
    QVERIFY(m_user->messages.isEmpty());
    QCOMPARE(m_f->config().siteVer, 1.0);
    QVERIFY(!QFile::exists(m_f->dir.file("sites.zip")));
}

void TestUpdateCheck::rolledBackMergeKeepsSiteVer()
{
    m_server->writeFile("download/quilletver.ini", "[Versions]\nSitesVer=2\n");
    m_server->writeFile("members/sites.zip",
        zipArchive(
            {{"sites.csv", kSiteLines + "Gamma,http://gamma/,,,,,False,False,False,False,False,,high,,,False\r\n"}}));
    RecordingMessageSink sink;
    QCOMPARE(runCheck(), UpdateCheck::Outcome::MergeFailed);
    QCOMPARE(sink.texts(), QStringList {"'high' is not a valid integer value"});
    QVERIFY(m_user->messages.isEmpty());
    QCOMPARE(m_f->config().siteVer, 1.0);
    QCOMPARE(m_f->dm().rowCount(Table::Sites), 0);
    // The next check offers the download again.
    QCOMPARE(runCheck(), UpdateCheck::Outcome::MergeFailed);
    QCOMPARE(m_user->loginsAsked, 2);
}

void TestUpdateCheck::failedManifestEndsTheCheck()
{
    m_server->configure(QJsonObject {{"routes",
        QJsonObject {
            {"/download/quilletver.ini", QJsonObject {{"status", 404}, {"reason", "Not Found"}, {"body", "gone"}}}}}});
    try {
        runCheck();
        QFAIL("a 404 reply must end the check with an error");
    } catch (const QuilletError& error) {
        QVERIFY2(error.text().startsWith("404 Not Found"), qPrintable(error.text()));
    }
    QVERIFY(m_user->messages.isEmpty());
    QCOMPARE(m_user->loginsAsked, 0);
    QCOMPARE(m_server->requestedPaths(), QStringList {"/download/quilletver.ini"});
}

void TestUpdateCheck::archiveThatIsNoArchive()
{
    // A server (or a portal on the way) answering 200 with a page instead of the archive.
    m_server->writeFile("download/quilletver.ini", "[Versions]\nSitesVer=2\n");
    m_server->writeFile("members/sites.zip", "<html><body>Please log in</body></html>");
    m_f->addSite("Mine", {{"HomeUrl", "http://mine/"}});
    RecordingMessageSink sink;
    try {
        runCheck();
        QFAIL("an archive without a site list must end the check with an error");
    } catch (const QuilletError& error) {
        QVERIFY2(error.text().contains("sites.csv"), qPrintable(error.text()));
    }
    QCOMPARE(sink.messages.size(), 1);
    QCOMPARE(sink.messages[0].title, QString("Extract Error"));
    QVERIFY(m_user->messages.isEmpty());
    QCOMPARE(m_f->config().siteVer, 1.0);
    QCOMPARE(m_f->visibleSites(), QStringList {"Mine"});
}

void TestUpdateCheck::noUsableServer_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("expected");
    // Both messages point at the box that sets the server.
    const QString none = "No update server is set. Enter its address under \"Update server\" on the General page of "
                         "View > Options, or add a line such as UpdateServer=https://updates.example.com to the "
                         "[Config] section of %1quillet.ini.";
    QTest::newRow("none") << "" << none;
    QTest::newRow("blank") << "   " << none;
    const QString invalid
        = "The update server \"%2\" set in the [Config] section of %1quillet.ini is not an http:// or "
          "https:// address of a server without a login in it. Correct it under \"Update server\" on the General "
          "page of View > Options.";
    QTest::newRow("ftp") << "ftp://updates.example.com" << invalid;
    QTest::newRow("no scheme") << "updates.example.com" << invalid;
    // The password never appears in a message.
    QTest::newRow("login in it") << "http://user:pw@updates.example.com"
                                 << QString(invalid).replace("%2", "http://updates.example.com");
    QTest::newRow("password with an at sign")
        << "https://me:p@ss@updates.example.com/x" << QString(invalid).replace("%2", "https://updates.example.com/x");
    QTest::newRow("query") << "http://updates.example.com/?x=1" << invalid;
}

void TestUpdateCheck::noUsableServer()
{
    QFETCH(QString, server);
    QFETCH(QString, expected);
    m_f->config().updateServer = server;
    QCOMPARE(runCheck(), UpdateCheck::Outcome::NoServer);
    expected.replace("%1", m_f->dir.path()).replace("%2", server.trimmed());
    QCOMPARE(m_user->failures, QStringList {expected});
    QVERIFY(!m_user->failures.first().contains(":pw") && !m_user->failures.first().contains("p@ss"));
    QVERIFY(m_user->messages.isEmpty());
    QVERIFY(!QFile::exists(m_f->dir.file("quilletver.ini")));
    QVERIFY(m_server->requests().isEmpty());
}

void TestUpdateCheck::secondCheckIsRefusedWhileOneRuns()
{
    // A server address with a folder and a trailing slash: the paths go below it.
    m_server->writeFile("quillet/download/quilletver.ini", "[Versions]\nSitesVer=1\n");
    m_server->configure(QJsonObject {
        {"routes", QJsonObject {{"/quillet/download/quilletver.ini", QJsonObject {{"chunk", 5}, {"delay", 0.1}}}}}});
    m_f->config().updateServer = m_server->base() + "/quillet/";
    ScriptedUser secondUser(m_f->config());
    UpdateCheck::Outcome second = UpdateCheck::Outcome::Updated;
    QTimer::singleShot(100, this, [&] {
        QVERIFY(UpdateCheck::isRunning());
        UpdateCheck check(m_f->config(), m_f->dm(), *m_client, *m_progress, secondUser);
        second = check.run();
    });
    QCOMPARE(runCheck(), UpdateCheck::Outcome::UpToDate);
    QCOMPARE(second, UpdateCheck::Outcome::AlreadyRunning);
    QCOMPARE(secondUser.failures, QStringList {"A check for site updates is already running."});
    QCOMPARE(m_user->messages, QStringList {"Your site data is up to date."});
    QCOMPARE(m_server->requestedPaths(), QStringList {"/quillet/download/quilletver.ini"});
    QVERIFY(!UpdateCheck::isRunning());
}

void TestUpdateCheck::updateOfAnotherProgramInTheFolderIsNotJoined()
{
    m_server->writeFile("download/quilletver.ini", "[Versions]\nSitesVer=2\n");
    SiteUpdateLock other(m_f->dir.path());
    QVERIFY(other.acquire());
    QCOMPARE(runCheck(), UpdateCheck::Outcome::AlreadyRunning);
    QCOMPARE(m_user->failures, QStringList {SiteUpdateLock::busyText(m_f->dir.path())});
    QVERIFY(m_user->failures.first().startsWith("A site list update is already running in "));
    QVERIFY(m_server->requests().isEmpty());
    QCOMPARE(m_user->loginsAsked, 0);
}

void TestUpdateCheck::decimalCommaLocale()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    m_server->writeFile("download/quilletver.ini", "[Versions]\nQuilletVer=3,21\nSitesVer=1.005\n");
    m_server->writeFile("members/sites.zip", zipArchive({{"sites.csv", kSiteLines}}));
    QCOMPARE(runCheck(), UpdateCheck::Outcome::Updated);
    QCOMPARE(m_user->messages, QStringList({"Quillet version 3,21 is now available.", "Site data updated"}));
    QCOMPARE(m_f->config().siteVer, 1.005);
    // The settings keep it as they keep every number, and read it back the same.
    m_f->config().saveSettings();
    QVERIFY(IniDocument::load(m_f->config().settingsFile()).readString("Options", "SiteVer", "").contains("1,005"));
    m_f->config().loadSettings();
    QCOMPARE(m_f->config().siteVer, 1.005);
}

void TestUpdateCheck::messagesInTheLanguageInForce()
{
    m_f->dir.writeFile("Deutsch.lng",
        "[Messages]\nQuillet version=Quillet-Version\nis now available.=ist erschienen.\n"
        "Your site data is up to date.=Ihre Seitenliste ist aktuell.\nLoading=Laden\n"
        "A check for site updates is already running.=Es wird schon gesucht.\n");
    m_f->config().language = "Deutsch";
    useLanguageOf(&m_f->config());
    const auto english = qScopeGuard([] { useLanguageOf(nullptr); });
    m_server->writeFile("download/quilletver.ini", "[Versions]\nQuilletVer=4.5\nSitesVer=1\n");
    QStringList statuses;
    connect(m_progress.get(), &TransferProgress::statusTextChanged, this,
        [&](const QString& text) { statuses.append(text); });
    QCOMPARE(runCheck(), UpdateCheck::Outcome::UpToDate);
    QCOMPARE(m_user->messages, QStringList({"Quillet-Version 4.5 ist erschienen.", "Ihre Seitenliste ist aktuell."}));
    QCOMPARE(statuses.first(), QString("Laden"));
    // Texts without a translation stay English.
    QCOMPARE(statuses.last(), QString("Done"));
}

QTEST_GUILESS_MAIN(TestUpdateCheck)
#include "TestUpdateCheck.moc"
