#include "CliRun.h"
#include "DataFixture.h"
#include "SiteCheckStore.h"
#include "TestHttpServer.h"

#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

class TestSiteCheckCli : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestHttpServer> m_server;

    // Sites on the test server: one answers, one is gone, one takes
    // submissions by e-mail, one is hidden and answers.
    void addSites(DataFixture& data) const
    {
        const QString base = m_server->base();
        data.addSite("Answers", {{"HomeUrl", base + "/"}, {"SubmitUrl", base + "/submit"}});
        data.addSite("Gone", {{"HomeUrl", base + "/gone"}});
        data.addSite("Mail", {{"HomeUrl", base + "/"}, {"SubmitUrl", "submit@mail.test"}});
        data.addSite("Hidden", {{"HomeUrl", m_server->base(1) + "/"}, {"Hide", 1}});
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_server = std::make_unique<TestHttpServer>(2);
        QVERIFY(m_server->isRunning());
        m_server->configure(QJsonObject {
            {"default", QJsonObject()}, {"routes", QJsonObject {{"/gone", QJsonObject {{"status", 404}}}}}});
    }

    void checksStoresAndPrints()
    {
        DataFixture data;
        data.open();
        addSites(data);
        data.close();

        CliResult result = runCli({"--dir", data.dir.path(), "check-sites"});
        QCOMPARE(result.code, 0);
        QVERIFY2(result.err.contains("2 of 2 checked"), qPrintable(result.err));
        const QStringList lines = result.out.split("\r\n");
        for (const QString& line :
            {QString("Answers: OK  (%1/submit)").arg(m_server->base()), QString("Mail: takes submissions by e-mail")})
            QVERIFY2(lines.contains(line), qPrintable(line + " is not in:\n" + result.out));
        QVERIFY(!result.out.contains("Hidden"));

        data.open();
        SiteCheckStore store(data.dm());
        QCOMPARE(store.goneSiteNames(), QStringList {QString("Gone")});
        QCOMPARE(store.all().size(), 2);
        data.close();

        result = runCli({"--dir", data.dir.path(), "check-sites", "--all", "--csv"});
        QCOMPARE(result.code, 0);
        QVERIFY(result.out.contains(QString("\"Hidden\",\"%1/\",\"HomeUrl\",\"ok\"").arg(m_server->base(1))));

        result = runCli({"--dir", data.dir.path(), "check-sites", "--filter", "SiteName='Gone'"});
        QCOMPARE(result.code, 0);
        QVERIFY(result.out.contains("Sites checked: 1\r\n"));
    }

    void usage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::newRow("all and filter") << QStringList {"--all", "--filter", "Dead=False"} << 2;
        QTest::newRow("argument") << QStringList {"extra"} << 2;
        QTest::newRow("bad filter") << QStringList {"--filter", "Nonsense=("} << 1;
    }

    void usage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        DataFixture data;
        data.open();
        data.close();
        const CliResult result = runCli(QStringList {"--dir", data.dir.path(), "check-sites"} + arguments);
        QCOMPARE(result.code, code);
        QVERIFY(!result.err.isEmpty());
    }

    // The outcomes are this installation's own: a published site list does
    // not carry them, and a merged one leaves them as they were.
    void outcomesStayOutOfTheSiteList()
    {
        DataFixture maintainer;
        maintainer.open();
        addSites(maintainer);
        SiteCheckStore(maintainer.dm())
            .save({{"Gone", m_server->base() + "/gone", SiteCheckField::Home, SiteCheckOutcome::gone(404),
                QDateTime::currentDateTimeUtc()}});
        maintainer.close();
        QTemporaryDir published;
        CliResult result
            = runCli({"--dir", maintainer.dir.path(), "publish-sites", published.path(), "--sites-version", "2"});
        QCOMPARE(result.code, 0);

        DataFixture author;
        author.open();
        author.addSite("Answers", {{"HomeUrl", "http://old.test/"}});
        SiteCheckStore(author.dm())
            .save({{"Answers", "http://old.test/", SiteCheckField::Home, SiteCheckOutcome::gone(410),
                QDateTime::currentDateTimeUtc()}});
        author.close();
        result = runCli({"--dir", author.dir.path(), "merge-sites", published.filePath("members/sites.zip")});
        QCOMPARE(result.code, 0);
        author.open();
        const QHash<QString, SiteCheckResult> kept = SiteCheckStore(author.dm()).all();
        QCOMPARE(kept.size(), 1);
        QCOMPARE(kept.value(QString("Answers")).outcome, SiteCheckOutcome::gone(410));
        QCOMPARE(author.siteRow(QString("Gone")).value("HomeUrl").toString(), m_server->base() + "/gone");
    }
};

QTEST_GUILESS_MAIN(TestSiteCheckCli)
#include "TestSiteCheckCli.moc"
