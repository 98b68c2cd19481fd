#include "DataFixture.h"
#include "MessageSink.h"
#include "QuilletError.h"
#include "SiteCheckActions.h"
#include "SiteCheckReport.h"
#include "SiteCheckStore.h"
#include "SiteCheckTargets.h"
#include "Sql.h"

#include <QTest>
#include <QTimeZone>

namespace {

using Kind = SiteCheckOutcome::Kind;

SiteCheckResult result(const QString& site, const SiteCheckOutcome& outcome,
    const QString& address = QString("http://example.test/submit"), SiteCheckField field = SiteCheckField::Submit)
{
    return {site, address, field, outcome, QDateTime(QDate(2026, 12, 9), QTime(21, 30), QTimeZone::utc())};
}

} // namespace

class TestSiteCheckData : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The table is made by the first save, in the Sites file, beside the
    // site list and without touching it; a later check replaces a site's row.
    void storeKeepsTheLastCheck()
    {
        DataFixture data;
        data.open();
        data.addSite("Alpha");
        SiteCheckStore store(data.dm());
        QVERIFY(!store.exists());
        QVERIFY(!store.last("Alpha"));
        QVERIFY(store.goneSiteNames().isEmpty());
        QVERIFY(!store.exists()); // reading made nothing
        const int version = data.dm().tableVersion(Table::Sites);

        store.save({result("Alpha", SiteCheckOutcome::gone(404)), result("beta", SiteCheckOutcome::gone(410)),
            result("Gamma", SiteCheckOutcome::moved("https://new.test/x", 200))});
        QVERIFY(store.exists());
        QCOMPARE(store.goneSiteNames(), QStringList({QString("Alpha"), QString("beta")}));
        store.save({result("Alpha", SiteCheckOutcome::ok(200))});
        QCOMPARE(store.goneSiteNames(), QStringList({QString("beta")}));
        QCOMPARE(data.dm().tableVersion(Table::Sites), version);
        QCOMPARE(data.dm().rowCount(Table::Sites), 1);

        data.close();
        data.open();
        SiteCheckStore reopened(data.dm());
        const auto gamma = reopened.last("Gamma");
        QVERIFY(gamma);
        QCOMPARE(gamma->outcome, SiteCheckOutcome::moved(QString("https://new.test/x"), 200));
        QCOMPARE(gamma->checkedAt, QDateTime(QDate(2026, 12, 9), QTime(21, 30), QTimeZone::utc()));
        QCOMPARE(gamma->field, SiteCheckField::Submit);
        QCOMPARE(reopened.all().size(), 3);
    }

    // address and field: what is checked, or empty when the site is not checked.
    void targets_data()
    {
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("submit");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("field");
        const auto row = [](const char* name, const char* home, const char* submit, const char* address,
                             const char* field) { QTest::newRow(name) << home << submit << address << field; };
        row("submit page", "http://h.test/", " http://h.test/submit ", "http://h.test/submit", "SubmitUrl");
        row("home page without submit page", "https://h.test/", "", "https://h.test/", "HomeUrl");
        row("file address", "", "file:///demo/forms/a b.html?site=A", "file:///demo/forms/a b.html?site=A",
            "SubmitUrl");
        row("e-mail site", "http://h.test/", "submit@h.test", "", "");
        row("no address", "", "  ", "", "");
        row("ftp address", "ftp://h.test/", "", "", "");
        row("no host", "http:///x", "", "", "");
    }

    void targets()
    {
        QFETCH(QString, home);
        QFETCH(QString, submit);
        QFETCH(QString, address);
        QFETCH(QString, field);
        const bool checked = !address.isEmpty();
        SiteCheckTarget target;
        QString skipped;
        QCOMPARE(SiteCheckPlan::targetFor(QString("S"), home, submit, target, skipped), checked);
        QCOMPARE(skipped.isEmpty(), checked);
        if (checked) {
            QCOMPARE(target.address, address);
            SiteCheckResult made;
            made.field = target.field;
            QCOMPARE(made.fieldName(), field);
        }
    }

    // Only sites that are listed and not hidden yet are hidden (the hide
    // command toggles), and the cursor stays where it was.
    void hideSites()
    {
        DataFixture data;
        data.open();
        data.config().siteFilter = "Dead=False";
        data.dm().applySiteFilter();
        data.addSite("Alpha", {{"Hide", 0}});
        data.addSite("Beta", {{"Hide", 1}});
        data.addSite("Gamma", {{"Hide", 0}});
        data.addSite("Omega", {{"Hide", 0}});
        QVERIFY(data.dm().sites().locate("Omega"));
        const int hidden = SiteCheckActions(data.dm()).hideSites({"Alpha", "Beta", "Gamma", "Nowhere"});
        QCOMPARE(hidden, 2);
        for (const char* name : {"Alpha", "Beta", "Gamma"})
            QCOMPARE(data.siteRow(QString::fromLatin1(name)).value("Hide").toInt(), 1);
        QCOMPARE(data.siteRow(QString("Omega")).value("Hide").toInt(), 0);
        QCOMPARE(data.dm().sites().currentSiteName(), QString("Omega"));
    }

    void useNewAddress()
    {
        DataFixture data;
        data.open();
        data.addSite("Moved",
            {{"HomeUrl", "http://old.test/"}, {"SubmitUrl", "http://old.test/submit"},
                {"UserNotes", "Reviewer: Sam.\r\nFast."}});
        data.addSite("HomeOnly", {{"HomeUrl", "http://home.test/"}});
        const auto field = [&data](const char* site, const char* name) {
            return data.siteRow(QString::fromLatin1(site)).value(name).toString();
        };
        SiteCheckActions actions(data.dm());
        using Use = SiteCheckActions::AddressUse;
        const SiteCheckResult moved
            = result("Moved", SiteCheckOutcome::moved("https://new.test/submit", 200), "http://old.test/submit");

        // A user's note: the site list's address stays, the notes keep their line ends.
        const QString noted
            = "Reviewer: Sam.\r\nFast.\r\nNew address (site check of 2026-12-09): https://new.test/submit";
        actions.useNewAddress(moved, Use::NoteAddress);
        QCOMPARE(field("Moved", "UserNotes"), noted);
        QCOMPARE(field("Moved", "SubmitUrl"), "http://old.test/submit");
        actions.useNewAddress(moved, Use::NoteAddress); // not twice
        QCOMPARE(field("Moved", "UserNotes"), noted);

        // A maintainer's change: only the field that was checked.
        actions.useNewAddress(moved, Use::ChangeAddress);
        QCOMPARE(field("Moved", "SubmitUrl"), QString("https://new.test/submit"));
        QCOMPARE(field("Moved", "HomeUrl"), QString("http://old.test/"));
        // The address is no longer the one checked: nothing is changed again.
        QVERIFY_THROWS_EXCEPTION(QuilletError, actions.useNewAddress(moved, Use::ChangeAddress));

        const SiteCheckResult home = result(
            "HomeOnly", SiteCheckOutcome::moved("https://home.test/", 200), "http://home.test/", SiteCheckField::Home);
        actions.useNewAddress(home, Use::ChangeAddress);
        QCOMPARE(field("HomeOnly", "HomeUrl"), QString("https://home.test/"));

        // Neither another outcome than a move nor a site not in the list is used.
        QVERIFY_THROWS_EXCEPTION(QuilletError,
            actions.useNewAddress(
                result("HomeOnly", SiteCheckOutcome::gone(404), QString("https://home.test/"), SiteCheckField::Home),
                Use::ChangeAddress));
        QVERIFY_THROWS_EXCEPTION(
            QuilletError, actions.useNewAddress(result("Nowhere", moved.outcome), Use::NoteAddress));
    }

    void reportAndCsv()
    {
        const QVector<SiteCheckResult> results {result("Alpha", SiteCheckOutcome::ok(200)),
            result("=cmd|' /C calc'!A0", SiteCheckOutcome::error(500)),
            result("Say \"hi\"", SiteCheckOutcome::noAnswer("Connection refused")),
            result("Gone", SiteCheckOutcome::gone(410))};
        const QString report = SiteCheckReport::reportText(results, {{"Fernhill", "takes submissions by e-mail"}});
        QVERIFY(report.endsWith("\r\n"));
        QCOMPARE(report.count('\n'), report.count(QString("\r\n")));
        QVERIFY(report.contains("\r\nAlpha: OK  (http://example.test/submit)\r\n"));
        QVERIFY(report.contains("\r\nGone (404/410): 1\r\n"));
        QVERIFY(report.contains("\r\n    Connection refused\r\n"));
        QVERIFY(report.contains("\r\nFernhill: takes submissions by e-mail\r\n"));

        const QStringList lines = SiteCheckReport::csvText(results).split("\r\n");
        QCOMPARE(lines.size(), 6); // header, four rows, and the empty rest after the last line end
        QCOMPARE(lines.at(0), QString("Site,Address,Field,Outcome,Status,New address,Detail,Checked"));
        QCOMPARE(lines.at(1),
            QString("\"Alpha\",\"http://example.test/"
                    "submit\",\"SubmitUrl\",\"ok\",\"200\",\"\",\"\",\"2026-12-09T21:30:00Z\""));
        QVERIFY(lines.at(2).startsWith("\"'=cmd|' /C calc'!A0\","));
        QVERIFY(lines.at(3).startsWith("\"Say \"\"hi\"\"\","));
        QVERIFY(lines.at(3).contains(",\"no-answer\",\"\","));
    }
};

QTEST_GUILESS_MAIN(TestSiteCheckData)
#include "TestSiteCheckData.moc"
