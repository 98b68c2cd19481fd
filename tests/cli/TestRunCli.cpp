// quillet-cli's run-queue, mark and history on a real program directory.
#include "CliRun.h"
#include "RunFixture.h"
#include "SiteCheckStore.h"

#include <QTest>

namespace {

// Three sites: one with its own form map, one without, one by e-mail; a
// fourth hidden one. The commands run on the closed files.
struct CliSites : RunFixture {
    CliSites()
        : RunFixture({{"Acorn", {{"SubmitUrl", "http://acorn.test/submit"}}},
            {"Birch", {{"SubmitUrl", "http://birch.test/submit"}, {"UpdateUrl", "http://birch.test/update"}}},
            {"Cedar", {{"SubmitUrl", "files@cedar.test"}}},
            {"Hidden", {{"SubmitUrl", "http://hidden.test/"}, {"Hide", 1}}}})
    {
        dir.writeFile("SiteData/Acorn.xml", "<Form/>");
        close();
    }
    CliResult cli(const QStringList& arguments) const { return runCli(QStringList {"--dir", dir.path()} + arguments); }
    int mark(const QString& site, const QString& state) const
    {
        return cli({"mark", "--program", "NoteNest", "--site", site, state}).code;
    }
    // NoteNest's queue, and the exit code when it is not 0.
    QStringList queue(const QStringList& options = {}) const
    {
        const CliResult result = cli(QStringList {"run-queue", "--program", "NoteNest"} + options);
        return (result.code ? QStringList {QString("exit %1").arg(result.code)} : QStringList()) + result.lines();
    }
};

} // namespace

class TestRunCli : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void queueMarkAndHistory();
    void goneSitesLeaveTheSubmissionQueue();
    void refusals_data();
    void refusals();
};

void TestRunCli::queueMarkAndHistory()
{
    const CliSites f;
    QCOMPARE(f.queue(),
        QStringList({"Acorn\thttp://acorn.test/submit\tmap", "Birch\thttp://birch.test/submit\tno map",
            "Cedar\tfiles@cedar.test\te-mail"}));
    QCOMPARE(f.queue({"--kind", "update"}), QStringList());
    QCOMPARE(f.mark("Birch", "submitted"), 0);
    QCOMPARE(f.mark("Cedar", "not-applicable"), 0);
    // A site the filter hides is named all the same.
    QCOMPARE(f.mark("Hidden", "published"), 0);
    QCOMPARE(f.queue(), QStringList {"Acorn\thttp://acorn.test/submit\tmap"});
    QCOMPARE(f.queue({"--kind", "update"}), QStringList {"Birch\thttp://birch.test/update\tno map"});
    QCOMPARE(f.mark("Cedar", "clear"), 0);
    QCOMPARE(f.queue().size(), 2);

    CliResult result = f.cli({"history", "--program", "NoteNest"});
    QCOMPARE(result.code, 0);
    QStringList rows;
    for (const QString& line : result.lines())
        rows.append(line.section('\t', 1));
    QCOMPARE(rows,
        QStringList({"NoteNest\tBirch\tmanual\tsubmitted", "NoteNest\tCedar\tmanual\tnot applicable",
            "NoteNest\tHidden\tmanual\tpublished", "NoteNest\tCedar\tmanual\tcleared"}));
    result = f.cli({"history", "--csv"});
    QVERIFY(result.out.startsWith("Time (UTC),Program,Site,Run,Outcome\r\n"));
    QCOMPARE(result.out.count("\r\n"), 5);
    QVERIFY(result.out.contains(",NoteNest,Cedar,manual,cleared\r\n"));
}

// A site whose last check found it gone leaves the submission queue; one
// found gone earlier and answering now comes back; update runs keep both.
void TestRunCli::goneSitesLeaveTheSubmissionQueue()
{
    CliSites f;
    f.open();
    const auto checked = [](const char* site, const SiteCheckOutcome& outcome) {
        return SiteCheckResult {site, {}, SiteCheckField::Home, outcome, QDateTime::currentDateTimeUtc()};
    };
    SiteCheckStore(f.dm()).save({checked("Birch", SiteCheckOutcome::gone(404)),
        checked("Acorn", SiteCheckOutcome::gone(410)), checked("Cedar", SiteCheckOutcome::noAnswer("refused"))});
    SiteCheckStore(f.dm()).save({checked("Acorn", SiteCheckOutcome::ok(200))});
    f.close();
    QCOMPARE(f.queue(), QStringList({"Acorn\thttp://acorn.test/submit\tmap", "Cedar\tfiles@cedar.test\te-mail"}));
    for (const char* site : {"Acorn", "Birch"})
        QCOMPARE(f.mark(site, "submitted"), 0);
    QCOMPARE(f.queue({"--kind", "update"}),
        QStringList({"Acorn\thttp://acorn.test/submit\tmap", "Birch\thttp://birch.test/update\tno map"}));
}

void TestRunCli::refusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("error");
    QTest::newRow("queue of an unknown program")
        << QStringList {"run-queue", "--program", "Nothing"} << 1 << "The program \"Nothing\" does not exist.";
    QTest::newRow("mark at an unknown site") << QStringList {"mark", "--program", "NoteNest", "--site", "Nowhere",
        "submitted"} << 1 << "The site \"Nowhere\" does not exist.";
    QTest::newRow("mark for an unknown program") << QStringList {"mark", "--program", "Nothing", "--site", "Acorn",
        "submitted"} << 1 << "The program \"Nothing\" does not exist.";
    QTest::newRow("history of an unknown program")
        << QStringList {"history", "--program", "Nothing"} << 1 << "The program \"Nothing\" does not exist.";
    QTest::newRow("a state mark does not know")
        << QStringList {"mark", "--program", "NoteNest", "--site", "Acorn", "Submitted"} << 2 << "mark:";
    QTest::newRow("a kind of run that does not exist")
        << QStringList {"run-queue", "--program", "NoteNest", "--kind", "all"} << 2 << "run-queue:";
}

void TestRunCli::refusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QString, error);
    const CliSites f;
    const CliResult result = f.cli(arguments);
    QCOMPARE(result.code, code);
    QVERIFY2(result.err.contains(error), qPrintable(result.err));
    QCOMPARE(result.out, QString());
    // Nothing was marked.
    QCOMPARE(f.cli({"history"}).out, QString());
}

QTEST_GUILESS_MAIN(TestRunCli)
#include "TestRunCli.moc"
