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
    // quillet-cli on the directory with the arguments of a command line
    // (none holds a space).
    CliResult cli(const QString& line) const { return runCli(QStringList {"--dir", dir.path()} + line.split(' ')); }
    // Its output's lines, after "exit N" when it ends with N, not 0.
    QStringList lines(const QString& line) const
    {
        const CliResult result = cli(line);
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
    QCOMPARE(f.lines("run-queue --program NoteNest"),
        QStringList({"Acorn\thttp://acorn.test/submit\tmap", "Birch\thttp://birch.test/submit\tno map",
            "Cedar\tfiles@cedar.test\te-mail"}));
    QCOMPARE(f.lines("mark --program NoteNest --site Birch submitted"), QStringList());
    QCOMPARE(f.lines("mark --program NoteNest --site Cedar not-applicable"), QStringList());
    // A site the filter hides is named all the same.
    QCOMPARE(f.lines("mark --program NoteNest --site Hidden published"), QStringList());
    QCOMPARE(f.lines("run-queue --program NoteNest"), QStringList {"Acorn\thttp://acorn.test/submit\tmap"});
    QCOMPARE(
        f.lines("run-queue --program NoteNest --kind update"), QStringList {"Birch\thttp://birch.test/update\tno map"});
    QCOMPARE(f.lines("mark --program NoteNest --site Cedar clear"), QStringList());
    QCOMPARE(f.lines("run-queue --program NoteNest").size(), 2);

    QStringList rows;
    for (const QString& line : f.lines("history --program NoteNest"))
        rows.append(line.section('\t', 1));
    QCOMPARE(rows,
        QStringList({"NoteNest\tBirch\tmanual\tsubmitted", "NoteNest\tCedar\tmanual\tnot applicable",
            "NoteNest\tHidden\tmanual\tpublished", "NoteNest\tCedar\tmanual\tcleared"}));
    QVERIFY(f.cli("history --csv").out.contains(",NoteNest,Cedar,manual,cleared\r\n"));
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
    QCOMPARE(f.lines("run-queue --program NoteNest"),
        QStringList({"Acorn\thttp://acorn.test/submit\tmap", "Cedar\tfiles@cedar.test\te-mail"}));
    for (const char* site : {"Acorn", "Birch"})
        QCOMPARE(f.lines(QString("mark --program NoteNest --site %1 submitted").arg(site)), QStringList());
    QCOMPARE(f.lines("run-queue --program NoteNest --kind update"),
        QStringList({"Acorn\thttp://acorn.test/submit\tmap", "Birch\thttp://birch.test/update\tno map"}));
}

void TestRunCli::refusals_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("error");
    const QString noProgram = "The program \"Nothing\" does not exist.";
    QTest::newRow("queue of an unknown program") << "run-queue --program Nothing" << 1 << noProgram;
    QTest::newRow("mark at an unknown site")
        << "mark --program NoteNest --site Nowhere submitted" << 1 << "The site \"Nowhere\" does not exist.";
    QTest::newRow("mark for an unknown program") << "mark --program Nothing --site Acorn submitted" << 1 << noProgram;
    QTest::newRow("history of an unknown program") << "history --program Nothing" << 1 << noProgram;
    QTest::newRow("a state mark does not know") << "mark --program NoteNest --site Acorn Submitted" << 2 << "mark:";
    QTest::newRow("a kind of run that does not exist")
        << "run-queue --program NoteNest --kind all" << 2 << "run-queue:";
}

void TestRunCli::refusals()
{
    QFETCH(QString, command);
    QFETCH(int, code);
    QFETCH(QString, error);
    const CliSites f;
    const CliResult result = f.cli(command);
    QCOMPARE(result.code, code);
    QVERIFY2(result.err.contains(error), qPrintable(result.err));
    QCOMPARE(result.out, QString());
    // A refused mark marks nothing.
    if (command.startsWith("mark"))
        QCOMPARE(f.lines("history"), QStringList());
}

QTEST_GUILESS_MAIN(TestRunCli)
#include "TestRunCli.moc"
