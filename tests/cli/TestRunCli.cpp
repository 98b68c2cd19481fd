// quillet-cli's run-queue, mark and history on a real program directory.
#include "CliRun.h"
#include "DataFixture.h"
#include "SiteCheckStore.h"
#include "TestSupport.h"

#include <QTest>

class TestRunCli : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void queueMarkAndHistory();
    void goneSitesLeaveTheSubmissionQueue();
    void refusals_data();
    void refusals();
};

namespace {

// Three sites: one with its own form map, one without, one by e-mail; a
// fourth hidden one; and the program NoteNest.
void fill(DataFixture& f)
{
    f.open();
    f.dm().addProgram("NoteNest");
    f.addSite("Acorn", {{"SubmitUrl", "http://acorn.test/submit"}});
    f.addSite("Birch", {{"SubmitUrl", "http://birch.test/submit"}, {"UpdateUrl", "http://birch.test/update"}});
    f.addSite("Cedar", {{"SubmitUrl", "files@cedar.test"}});
    f.addSite("Hidden", {{"SubmitUrl", "http://hidden.test/"}, {"Hide", 1}});
    f.dir.writeFile("SiteData/Acorn.xml", "<Form/>");
    f.close();
}

} // namespace

void TestRunCli::queueMarkAndHistory()
{
    DataFixture f;
    fill(f);
    const QString dir = f.dir.path();
    CliResult result = runCli({"--dir", dir, "run-queue", "--program", "NoteNest"});
    QCOMPARE(result.code, 0);
    QCOMPARE(result.lines(),
        QStringList({"Acorn\thttp://acorn.test/submit\tmap", "Birch\thttp://birch.test/submit\tno map",
            "Cedar\tfiles@cedar.test\te-mail"}));
    QCOMPARE(runCli({"--dir", dir, "run-queue", "--program", "NoteNest", "--kind", "update"}).out, QString());

    QCOMPARE(runCli({"--dir", dir, "mark", "--program", "NoteNest", "--site", "Birch", "submitted"}).code, 0);
    QCOMPARE(runCli({"--dir", dir, "mark", "--program", "NoteNest", "--site", "Cedar", "not-applicable"}).code, 0);
    // A site the filter hides is named all the same.
    QCOMPARE(runCli({"--dir", dir, "mark", "--program", "NoteNest", "--site", "Hidden", "published"}).code, 0);
    result = runCli({"--dir", dir, "run-queue", "--program", "NoteNest"});
    QCOMPARE(result.lines(), QStringList({"Acorn\thttp://acorn.test/submit\tmap"}));
    result = runCli({"--dir", dir, "run-queue", "--program", "NoteNest", "--kind", "update"});
    QCOMPARE(result.lines(), QStringList({"Birch\thttp://birch.test/update\tno map"}));
    QCOMPARE(runCli({"--dir", dir, "mark", "--program", "NoteNest", "--site", "Cedar", "clear"}).code, 0);
    result = runCli({"--dir", dir, "run-queue", "--program", "NoteNest"});
    QCOMPARE(result.lines().size(), 2);

    result = runCli({"--dir", dir, "history", "--program", "NoteNest"});
    QCOMPARE(result.code, 0);
    QStringList rows;
    for (const QString& line : result.lines())
        rows.append(line.section('\t', 1));
    QCOMPARE(rows,
        QStringList({"NoteNest\tBirch\tmanual\tsubmitted", "NoteNest\tCedar\tmanual\tnot applicable",
            "NoteNest\tHidden\tmanual\tpublished", "NoteNest\tCedar\tmanual\tcleared"}));
    result = runCli({"--dir", dir, "history", "--csv"});
    QVERIFY(result.out.startsWith("Time (UTC),Program,Site,Run,Outcome\r\n"));
    QCOMPARE(result.out.count("\r\n"), 5);
    QVERIFY(result.out.contains(",NoteNest,Cedar,manual,cleared\r\n"));
}

// A site whose last check found it gone leaves the submission queue; one
// found gone earlier and answering now comes back; update runs keep both.
void TestRunCli::goneSitesLeaveTheSubmissionQueue()
{
    DataFixture f;
    fill(f);
    f.open();
    const auto checked = [](const char* site, const SiteCheckOutcome& outcome) {
        SiteCheckResult result;
        result.siteName = QString::fromLatin1(site);
        result.outcome = outcome;
        result.checkedAt = QDateTime::currentDateTimeUtc();
        return result;
    };
    SiteCheckStore(f.dm()).save({checked("Birch", SiteCheckOutcome::gone(404)),
        checked("Acorn", SiteCheckOutcome::gone(410)), checked("Cedar", SiteCheckOutcome::noAnswer("refused"))});
    SiteCheckStore(f.dm()).save({checked("Acorn", SiteCheckOutcome::ok(200))});
    f.close();
    const QString dir = f.dir.path();
    QCOMPARE(runCli({"--dir", dir, "run-queue", "--program", "NoteNest"}).lines(),
        QStringList({"Acorn\thttp://acorn.test/submit\tmap", "Cedar\tfiles@cedar.test\te-mail"}));
    for (const char* site : {"Acorn", "Birch"})
        QCOMPARE(runCli({"--dir", dir, "mark", "--program", "NoteNest", "--site", site, "submitted"}).code, 0);
    QCOMPARE(runCli({"--dir", dir, "run-queue", "--program", "NoteNest", "--kind", "update"}).lines(),
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
    DataFixture f;
    fill(f);
    const CliResult result = runCli(QStringList {"--dir", f.dir.path()} + arguments);
    QCOMPARE(result.code, code);
    QVERIFY2(result.err.contains(error), qPrintable(result.err));
    QCOMPARE(result.out, QString());
    // Nothing was marked.
    QCOMPARE(runCli({"--dir", f.dir.path(), "history"}).out, QString());
}

QTEST_GUILESS_MAIN(TestRunCli)
#include "TestRunCli.moc"
