#include "HttpClient.h"
#include "TestHttpServer.h"
#include "TestSupport.h"
#include "TransferProgress.h"

#include <QDir>
#include <QJsonObject>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

namespace {

QJsonObject routes(const QString& path, const QJsonObject& behaviour)
{
    return QJsonObject {{"routes", QJsonObject {{path, behaviour}}}};
}

QJsonObject membersLogin(const QString& user, const QString& password)
{
    return QJsonObject {{"/members/", QJsonObject {{"user", user}, {"password", password}}}};
}

// The error text a download raises, or an empty text when it raises none.
QString failureOf(HttpClient& client, const QUrl& url, const QString& file, qint64 maxBytes = 1 << 20)
{
    try {
        client.download(url, file, maxBytes);
    } catch (const QuilletError& error) {
        return error.text();
    }
    return QString();
}

QByteArray pattern(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char('a' + i % 26);
    return bytes;
}

} // namespace

class TestHttpClient : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void headersCookiesAndAFileMadeAnew();
    void loginOnlyWhenChallengedAndOnlyThere();
    void refusedLoginEndsAfterOneTry();
    void loginNeverGoesToAnotherHost();
    void loginStaysWithTheOriginThatAskedForIt_data();
    void loginStaysWithTheOriginThatAskedForIt();
    void slowServerIsStoppedByTheDeadlineOrTheRate_data();
    void slowServerIsStoppedByTheDeadlineOrTheRate();
    void errorStatusesRaiseTheirStatusLine_data();
    void errorStatusesRaiseTheirStatusLine();
    void otherStatusesComeBackNormally();
    void progressOfKnownLength();
    void progressOfUnknownLength();
    void slowServerKeepsTheEventLoopRunning();
    void stalledServerTimesOutAndLeavesNothing();
    void droppedConnectionFailsAndLeavesNothing();
    void refusedConnectionFails();
    void replyLongerThanTheLimitIsCutOff();
    void fileThatCannotBeCreated();
    void cancelAndASecondTransferMeanwhile();

private:
    std::unique_ptr<TestHttpServer> m_server;
    std::unique_ptr<TestProgramDirectory> m_dir;
};

void TestHttpClient::initTestCase()
{
    m_server = std::make_unique<TestHttpServer>();
    QVERIFY2(m_server->isRunning(), "the test server did not start");
}

void TestHttpClient::init()
{
    m_server->reset();
    m_dir = std::make_unique<TestProgramDirectory>();
}

void TestHttpClient::headersCookiesAndAFileMadeAnew()
{
    m_server->writeFile("download/quilletver.ini", "[Versions]\nSitesVer=2\n");
    m_server->writeFile("members/sites.zip", "zip bytes");
    m_server->configure(routes("/download/quilletver.ini", QJsonObject {{"cookie", "session=abc123; Path=/"}}));
    // An older, longer file of the same name is replaced, not overwritten in place.
    m_dir->writeFile("quilletver.ini", QByteArray(500, 'x'));

    HttpClient client;
    const HttpClient::Reply reply
        = client.download(QUrl(m_server->base() + "/download/quilletver.ini"), m_dir->file("quilletver.ini"), 1000);
    QCOMPARE(reply.status, 200);
    QCOMPARE(reply.statusText, QString("200 OK"));
    QCOMPARE(m_dir->readFile("quilletver.ini"), QByteArray("[Versions]\nSitesVer=2\n"));
    client.download(QUrl(m_server->base() + "/members/sites.zip"), m_dir->file("sites.zip"), 1000);
    QCOMPARE(m_dir->readFile("sites.zip"), QByteArray("zip bytes"));

    const QList<QJsonObject> requests = m_server->requests();
    QCOMPARE(requests.size(), 2);
    for (const QJsonObject& request : requests) {
        QCOMPARE(request["accept"].toString(), QString("text/html, */*"));
        QCOMPARE(request["user_agent"].toString(), QString("Mozilla/3.0 (compatible; Indy Library)"));
        QVERIFY(request["authorization"].isNull());
    }
    QVERIFY(requests[0]["cookie"].isNull());
    QCOMPARE(requests[1]["cookie"].toString(), QString("session=abc123"));
}

void TestHttpClient::loginOnlyWhenChallengedAndOnlyThere()
{
    m_server->writeFile("members/sites.zip", "members only");
    m_server->writeFile("download/quilletver.ini", "[Versions]\n");
    m_server->configure(QJsonObject {{"auth", membersLogin("author", "pa:ss wörd")}});
    HttpClient client;
    client.setLogin("author", "pa:ss wörd");
    const HttpClient::Reply reply
        = client.download(QUrl(m_server->base() + "/members/sites.zip"), m_dir->file("sites.zip"), 1000);
    QCOMPARE(reply.status, 200);
    QCOMPARE(m_dir->readFile("sites.zip"), QByteArray("members only"));
    // A later request to the public area carries no credentials of its own accord.
    client.download(QUrl(m_server->base() + "/download/quilletver.ini"), m_dir->file("quilletver.ini"), 1000);
    // Nor does a second members request before it is challenged again.
    client.download(QUrl(m_server->base() + "/members/sites.zip"), m_dir->file("sites.zip"), 1000);

    const QList<QJsonObject> requests = m_server->requests();
    QCOMPARE(requests.size(), 5);
    QVERIFY(requests[0]["authorization"].isNull());
    QCOMPARE(requests[0]["status"].toInt(), 401);
    QCOMPARE(
        requests[1]["authorization"].toString(), QString("Basic " + QString("author:pa:ss wörd").toUtf8().toBase64()));
    QCOMPARE(requests[1]["status"].toInt(), 200);
    QVERIFY(requests[2]["authorization"].isNull());
    QVERIFY(requests[3]["authorization"].isNull());
    QCOMPARE(requests[3]["status"].toInt(), 401);
    QCOMPARE(requests[4]["status"].toInt(), 200);
}

void TestHttpClient::refusedLoginEndsAfterOneTry()
{
    m_server->writeFile("members/sites.zip", "members only");
    m_server->configure(QJsonObject {{"auth", membersLogin("author", "secret")}});
    HttpClient client;
    client.setLogin("author", "wrong");
    const QString failure = failureOf(client, QUrl(m_server->base() + "/members/sites.zip"), m_dir->file("sites.zip"));
    QVERIFY2(failure.startsWith("The server refused the login. (401 Unauthorized, "), qPrintable(failure));
    QVERIFY(failure.contains("/members/sites.zip"));
    const QList<QJsonObject> requests = m_server->requests();
    QCOMPARE(requests.size(), 2);
    QVERIFY(requests[0]["authorization"].isNull());
    QCOMPARE(requests[1]["authorization"].toString(), QString("Basic " + QByteArray("author:wrong").toBase64()));
    QVERIFY(!client.isBusy());
    // The refusal page is not left as the file.
    QVERIFY(!QFile::exists(m_dir->file("sites.zip")));
}

void TestHttpClient::loginNeverGoesToAnotherHost()
{
    // "localhost" is the same machine under another name: to the client another host.
    m_server->writeFile("members/sites.zip", "members only");
    m_server->configure(QJsonObject {{"auth", membersLogin("author", "secret")},
        {"routes",
            QJsonObject {{"/download/sites.zip",
                QJsonObject {{"status", 302},
                    {"location", QString("http://localhost:%1/members/sites.zip").arg(m_server->port())}}}}}});
    HttpClient client;
    client.setLogin("author", "secret");
    const QString failure = failureOf(client, QUrl(m_server->base() + "/download/sites.zip"), m_dir->file("sites.zip"));
    QVERIFY2(failure.startsWith("401"), qPrintable(failure));
    const QList<QJsonObject> requests = m_server->requests();
    QCOMPARE(requests.size(), 2);
    for (const QJsonObject& request : requests)
        QVERIFY(request["authorization"].isNull());
}

void TestHttpClient::loginStaysWithTheOriginThatAskedForIt_data()
{
    QTest::addColumn<QString>("target"); // where the members area redirects after the login
    QTest::addColumn<bool>("loginGoesAlong");
    QTest::newRow("another port of the same host") << "@OTHER@/members/sites.zip" << false;
    QTest::newRow("another name of the same host and port") << "http://localhost:@PORT@/public.zip" << false;
    QTest::newRow("the same origin") << "@BASE@/members/moved.zip" << true;
}

void TestHttpClient::loginStaysWithTheOriginThatAskedForIt()
{
    QFETCH(QString, target);
    QFETCH(bool, loginGoesAlong);
    TestHttpServer other;
    QVERIFY(other.isRunning());
    other.writeFile("members/sites.zip", "elsewhere");
    m_server->writeFile("public.zip", "elsewhere");
    m_server->writeFile("members/moved.zip", "elsewhere");
    target.replace("@OTHER@", other.base())
        .replace("@PORT@", QString::number(m_server->port()))
        .replace("@BASE@", m_server->base());
    m_server->configure(QJsonObject {{"auth", membersLogin("author", "secret")},
        {"routes", QJsonObject {{"/members/sites.zip", QJsonObject {{"status", 302}, {"location", target}}}}}});
    HttpClient client;
    client.setLogin("author", "secret");
    const HttpClient::Reply reply
        = client.download(QUrl(m_server->base() + "/members/sites.zip"), m_dir->file("sites.zip"), 1000);
    QCOMPARE(reply.status, 200);
    QCOMPARE(m_dir->readFile("sites.zip"), QByteArray("elsewhere"));
    // The login went to the members area once it asked, and then only where it may go.
    QList<QJsonObject> requests = m_server->requests() + other.requests();
    QCOMPARE(requests.size(), 3);
    QVERIFY(requests[0]["authorization"].isNull());
    QCOMPARE(requests[1]["authorization"].toString(), QString("Basic " + QByteArray("author:secret").toBase64()));
    QCOMPARE(requests[2]["authorization"].isNull(), !loginGoesAlong);
}

void TestHttpClient::slowServerIsStoppedByTheDeadlineOrTheRate_data()
{
    QTest::addColumn<int>("deadlineMs");
    QTest::addColumn<int>("minimumRate");
    QTest::addColumn<QJsonObject>("behaviour");
    QTest::addColumn<QString>("failure");
    // One byte at a time with a pause: never silent, but never faster than 20 bytes a second.
    QTest::newRow("one byte at a time") << 0 << 1000 << QJsonObject {{"chunk", 1}, {"delay", 0.05}}
                                        << "was slower than 1000 bytes per second and was stopped.";
    // Fast enough for the rate, but 100000 bytes take at least 50 seconds.
    QTest::newRow("endless") << 500 << 0 << QJsonObject {{"chunk", 100}, {"delay", 0.05}}
                             << "took longer than 0.5 seconds and was stopped.";
}

void TestHttpClient::slowServerIsStoppedByTheDeadlineOrTheRate()
{
    QFETCH(int, deadlineMs);
    QFETCH(int, minimumRate);
    QFETCH(QJsonObject, behaviour);
    QFETCH(QString, failure);
    m_server->writeFile("members/sites.zip", pattern(100000));
    m_server->configure(routes("/members/sites.zip", behaviour));
    HttpClient client;
    client.setTransferLimits(deadlineMs, minimumRate, 300);
    const QString text
        = failureOf(client, QUrl(m_server->base() + "/members/sites.zip"), m_dir->file("sites.zip"), 1 << 20);
    QCOMPARE(text, "The transfer from " + m_server->base() + "/members/sites.zip " + failure);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList());
    QVERIFY(!client.isBusy());
}

void TestHttpClient::errorStatusesRaiseTheirStatusLine_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("shown"); // empty: the reason as it came
    QTest::newRow("404") << 404 << "Not Found" << QString();
    QTest::newRow("500") << 500 << "Internal Server Error" << QString();
    QTest::newRow("own reason") << 503 << "Down for maintenance" << QString();
    // A reason phrase cannot reach a terminal.
    QTest::newRow("control characters") << 503 << "Down \u001b]0;owned\u0007\u001b[2J"
                                        << QString("Down ?]0;owned??[2J");
}

void TestHttpClient::errorStatusesRaiseTheirStatusLine()
{
    QFETCH(int, status);
    QFETCH(QString, reason);
    QFETCH(QString, shown);
    m_server->configure(routes("/download/quilletver.ini",
        QJsonObject {{"status", status}, {"reason", reason}, {"body", "<html>error page</html>"}}));
    HttpClient client;
    const QString failure
        = failureOf(client, QUrl(m_server->base() + "/download/quilletver.ini"), m_dir->file("quilletver.ini"));
    const QString expected = QString("%1 %2 (%3/download/quilletver.ini)").arg(status);
    QCOMPARE(failure, expected.arg(shown.isEmpty() ? reason : shown, m_server->base()));
    QCOMPARE(m_server->requests().size(), 1);
    QVERIFY(!QFile::exists(m_dir->file("quilletver.ini")));
}

void TestHttpClient::otherStatusesComeBackNormally()
{
    m_server->writeFile("download/moved.ini", "[Versions]\nSitesVer=3\n");
    m_server->configure(QJsonObject {{"routes",
        QJsonObject {{"/download/empty.ini", QJsonObject {{"status", 204}, {"reason", "No Content"}, {"body", ""}}},
            {"/download/quilletver.ini",
                QJsonObject {{"status", 302}, {"location", m_server->base() + "/download/moved.ini"}}}}}});
    HttpClient client;
    HttpClient::Reply reply
        = client.download(QUrl(m_server->base() + "/download/empty.ini"), m_dir->file("quilletver.ini"), 1000);
    QCOMPARE(reply.status, 204);
    QCOMPARE(reply.statusText, QString("204 No Content"));
    // A redirect on the same server is followed.
    reply = client.download(QUrl(m_server->base() + "/download/quilletver.ini"), m_dir->file("quilletver.ini"), 1000);
    QCOMPARE(reply.status, 200);
    QCOMPARE(m_dir->readFile("quilletver.ini"), QByteArray("[Versions]\nSitesVer=3\n"));
}

void TestHttpClient::progressOfKnownLength()
{
    m_server->writeFile("members/sites.zip", pattern(3000));
    m_server->configure(routes("/members/sites.zip", QJsonObject {{"chunk", 1000}, {"delay", 0.05}}));
    HttpClient client;
    TransferProgress progress;
    progress.attach(client);
    QStringList texts;
    QList<qint64> positions;
    connect(&progress, &TransferProgress::statusTextChanged, this, [&](const QString& text) { texts.append(text); });
    connect(&progress, &TransferProgress::barChanged, this, [&] { positions.append(progress.position()); });
    {
        const TransferProgress::Scope shown(progress);
        QVERIFY(progress.isBarVisible());
        client.download(QUrl(m_server->base() + "/members/sites.zip"), m_dir->file("sites.zip"), 10000);
    }
    QVERIFY(!progress.isBarVisible());
    QCOMPARE(texts.first(), QString("Loading"));
    QVERIFY2(texts.contains("Transfering: 3000"), qPrintable(texts.join('|')));
    QCOMPARE(texts.last(), QString("Done"));
    QCOMPARE(texts.at(texts.size() - 2), QString("3000 bytes of 3000 bytes."));
    QVERIFY(texts.indexOf("Transfering: 3000") < texts.indexOf("3000 bytes of 3000 bytes."));
    QVERIFY(!texts.contains("3000 bytes."));
    QCOMPARE(progress.maximum(), 3000);
    // The bar moved up to the whole length before it went back to 0.
    QVERIFY(positions.contains(3000));
    QCOMPARE(positions.last(), 0);
    QCOMPARE(m_dir->readFile("sites.zip"), pattern(3000));
}

void TestHttpClient::progressOfUnknownLength()
{
    m_server->writeFile("members/sites.zip", pattern(2500));
    m_server->configure(
        routes("/members/sites.zip", QJsonObject {{"length", "unknown"}, {"chunk", 1000}, {"delay", 0.05}}));
    HttpClient client;
    TransferProgress progress;
    progress.attach(client);
    QStringList texts;
    connect(&progress, &TransferProgress::statusTextChanged, this, [&](const QString& text) { texts.append(text); });
    {
        const TransferProgress::Scope shown(progress);
        client.download(QUrl(m_server->base() + "/members/sites.zip"), m_dir->file("sites.zip"), 10000);
    }
    QCOMPARE(texts.last(), QString("Done"));
    QCOMPARE(texts.at(texts.size() - 2), QString("2500 bytes."));
    for (const QString& text : texts)
        QVERIFY2(!text.startsWith("Transfering") && !text.contains(" of "), qPrintable(text));
    QCOMPARE(progress.maximum(), 0);
    QCOMPARE(progress.position(), 0);
    QCOMPARE(m_dir->readFile("sites.zip"), pattern(2500));
}

void TestHttpClient::slowServerKeepsTheEventLoopRunning()
{
    m_server->writeFile("members/sites.zip", pattern(1000));
    m_server->configure(routes("/members/sites.zip", QJsonObject {{"chunk", 200}, {"delay", 0.1}}));
    HttpClient client;
    // Slower than the whole transfer would take at once, but never silent for this long.
    client.setTimeouts(5000, 2000);
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, this, [&] { ++ticks; });
    timer.start(20);
    const HttpClient::Reply reply
        = client.download(QUrl(m_server->base() + "/members/sites.zip"), m_dir->file("sites.zip"), 10000);
    timer.stop();
    QCOMPARE(reply.status, 200);
    QCOMPARE(m_dir->readFile("sites.zip"), pattern(1000));
    // Timers (and so repaints and commands) ran while the transfer waited.
    QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
}

void TestHttpClient::stalledServerTimesOutAndLeavesNothing()
{
    m_server->writeFile("members/sites.zip", pattern(1000));
    m_server->configure(routes("/members/sites.zip", QJsonObject {{"stall_after", 100}, {"stall", 10}}));
    HttpClient client;
    client.setTimeouts(5000, 300);
    const QString failure = failureOf(client, QUrl(m_server->base() + "/members/sites.zip"), m_dir->file("sites.zip"));
    QCOMPARE(failure, QString("The server sent no data for 0.3 seconds."));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList());
    QVERIFY(!client.isBusy());
}

void TestHttpClient::droppedConnectionFailsAndLeavesNothing()
{
    m_server->writeFile("members/sites.zip", pattern(1000));
    m_server->configure(routes("/members/sites.zip", QJsonObject {{"drop_after", 300}}));
    HttpClient client;
    const QString failure = failureOf(client, QUrl(m_server->base() + "/members/sites.zip"), m_dir->file("sites.zip"));
    QVERIFY2(
        failure.startsWith("Could not download " + m_server->base() + "/members/sites.zip: "), qPrintable(failure));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList());
}

void TestHttpClient::refusedConnectionFails()
{
    // A port that was free a moment ago: nothing listens there.
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    HttpClient client;
    const QString url = QString("http://127.0.0.1:%1/download/quilletver.ini").arg(port);
    const QString failure = failureOf(client, QUrl(url), m_dir->file("quilletver.ini"));
    QVERIFY2(failure.startsWith("Could not download " + url + ": "), qPrintable(failure));
    QVERIFY2(failure.contains("refused", Qt::CaseInsensitive), qPrintable(failure));
    // No file, and no temporary file, is left.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList());
}

void TestHttpClient::replyLongerThanTheLimitIsCutOff()
{
    m_server->writeFile("download/quilletver.ini", pattern(50000));
    m_server->configure(routes("/download/quilletver.ini", QJsonObject {{"length", "unknown"}, {"chunk", 4000}}));
    HttpClient client;
    const QString failure
        = failureOf(client, QUrl(m_server->base() + "/download/quilletver.ini"), m_dir->file("quilletver.ini"), 10000);
    QVERIFY2(failure.contains("longer than 10000 bytes"), qPrintable(failure));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList());
}

void TestHttpClient::fileThatCannotBeCreated()
{
    m_server->writeFile("download/quilletver.ini", "[Versions]\n");
    HttpClient client;
    const QString failure = failureOf(
        client, QUrl(m_server->base() + "/download/quilletver.ini"), m_dir->file("no such folder/quilletver.ini"));
    QVERIFY2(failure.startsWith("Cannot create file "), qPrintable(failure));
    QVERIFY(m_server->requests().isEmpty());
    QVERIFY(!client.isBusy());
}

void TestHttpClient::cancelAndASecondTransferMeanwhile()
{
    m_server->writeFile("members/sites.zip", pattern(1000));
    m_server->configure(routes("/members/sites.zip", QJsonObject {{"stall_after", 100}, {"stall", 10}}));
    HttpClient client;
    QString second;
    QTimer::singleShot(100, this, [&] {
        second = failureOf(client, QUrl(m_server->base() + "/members/sites.zip"), m_dir->file("other.zip"));
        client.cancel();
    });
    bool cancelled = false;
    try {
        client.download(QUrl(m_server->base() + "/members/sites.zip"), m_dir->file("sites.zip"), 10000);
    } catch (const TransferCancelled& error) {
        cancelled = true;
        QCOMPARE(error.text(), QString("The transfer was cancelled."));
    }
    QVERIFY(cancelled);
    QCOMPARE(second, QString("Another transfer is still running."));
    QVERIFY(!QFile::exists(m_dir->file("other.zip")));
    QVERIFY(!client.isBusy());
    // The client works again afterwards.
    m_server->configure(QJsonObject());
    QCOMPARE(
        client.download(QUrl(m_server->base() + "/members/sites.zip"), m_dir->file("sites.zip"), 10000).status, 200);
}

QTEST_GUILESS_MAIN(TestHttpClient)
#include "TestHttpClient.moc"
