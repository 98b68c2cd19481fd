// The submission run's data side: which sites a queue holds, flags and
// history written together, the walk with its pass over skipped sites, resume
// after a stop, the progress figures and the history's files.
#include "DataFixture.h"
#include "QuilletError.h"
#include "RunQueue.h"
#include "Sql.h"
#include "SubmissionHistory.h"
#include "SubmissionProgress.h"
#include "SubmissionRun.h"
#include "TableRepair.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// Sites whose names tell what the queues should make of them.
void addSampleSites(DataFixture& f)
{
    f.dm().addProgram("NoteNest");
    f.dm().addProgram("Other");
    f.addSite("Alpha", {{"SubmitUrl", "http://alpha.test/submit"}});
    f.addSite("alpha2", {{"SubmitUrl", "http://alpha2.test/submit"}, {"Rating", 4}});
    f.addSite("Beta hidden", {{"SubmitUrl", "http://beta.test/s"}, {"Hide", 1}});
    f.addSite("Dead site", {{"SubmitUrl", "http://dead.test/s"}, {"Dead", 1}});
    f.addSite("Echo submitted",
        {{"SubmitUrl", "http://echo.test/s"}, {"UpdateUrl", "http://echo.test/update"}, {"Rating", 4}});
    f.addSite("Foxtrot na", {{"SubmitUrl", "http://fox.test/s"}});
    f.addSite("Golf published", {{"SubmitUrl", "http://golf.test/s"}});
    f.addSite("Hotel old", {{"HomeUrl", "http://hotel.test/"}});
    f.addSite("India home only", {{"HomeUrl", "http://india.test/"}});
    f.addSite("November nothing", {{"SearchUrl", "http://november.test/find"}});
    f.addSite("Juliet mail", {{"SubmitUrl", "files@juliet.test"}});
    f.addSite("Kilo home mail", {{"HomeUrl", "k@kilo.test"}});
    f.addSite("Lima unticked", {{"SubmitUrl", "http://lima.test/s"}});
    f.addFlags("NoteNest", "Echo submitted", {{"Submitted", 1}});
    f.addFlags("NoteNest", "Foxtrot na", {{"Submitted", 1}, {"NotApplicable", 1}});
    f.addFlags("NoteNest", "Golf published", {{"Published", 1}});
    f.addFlags("NoteNest", "Hotel old", {{"OldVersion", 1}, {"Submitted", 0}});
    f.addFlags("NoteNest", "Lima unticked", {{"Submitted", 0}});
    f.addFlags("NoteNest", "Beta hidden", {{"Submitted", 0}});
    // Another program's flags change nothing for NoteNest.
    f.addFlags("Other", "Alpha", {{"Submitted", 1}, {"NotApplicable", 1}});
    f.dm().loadProgram("NoteNest");
}

QStringList queueText(const RunQueue& queue)
{
    QStringList lines;
    for (const QueueEntry& entry : queue.entries())
        lines.append(entry.siteName + "|" + entry.link + (entry.byMail ? "|mail" : ""));
    return lines;
}

QStringList historyText(const QVector<HistoryEntry>& rows)
{
    QStringList lines;
    for (const HistoryEntry& row : rows)
        lines.append(row.site + ":" + HistoryEntry::outcomeText(row.outcome) + ":" + HistoryEntry::kindText(row.kind)
            + (row.runId > 0 ? ":run" : ""));
    return lines;
}

// Four plain sites for walking a run.
void addFourSites(DataFixture& f)
{
    f.dm().addProgram("NoteNest");
    for (const char* name : {"Aa", "Bb", "Cc", "Dd"})
        f.addSite(name, {{"SubmitUrl", QString("http://%1.test/submit").arg(name)}});
    f.dm().loadProgram("NoteNest");
}

} // namespace

class TestSubmissionRun : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void queueRules_data();
    void queueRules();
    void queueFollowsFlagsAtOnce();
    void flagAndHistoryLandTogether_data();
    void flagAndHistoryLandTogether();
    void runVisitsSkippedSitesOnceMoreAtTheEnd();
    void stoppedRunResumesAfterTheLastSite();
    void mailOutcomes();
    void backReturnsToTheSiteBefore();
    void runRefusesAnotherProgram();
    void progressCountsTheListedSites();
    void historyFiles();
    void repairKeepsTheHistory();
};

void TestSubmissionRun::queueRules_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("filter"); // empty: the default; "shown": hidden sites shown
    QTest::addColumn<QStringList>("excluded");
    QTest::addColumn<QStringList>("expected");

    const QStringList submitDefault {"Alpha|http://alpha.test/submit", "alpha2|http://alpha2.test/submit",
        "Golf published|http://golf.test/s", "Hotel old|http://hotel.test/", "India home only|http://india.test/",
        "Juliet mail|files@juliet.test|mail", "Kilo home mail|k@kilo.test|mail", "Lima unticked|http://lima.test/s"};
    QTest::newRow("submit: filter, flags, pages, mail")
        << int(RunKind::Submit) << QString() << QStringList() << submitDefault;
    QStringList shown = submitDefault;
    shown.insert(2, "Beta hidden|http://beta.test/s");
    QTest::newRow("submit: hidden sites while shown") << int(RunKind::Submit) << "shown" << QStringList() << shown;
    QTest::newRow("submit: the filter's rating") << int(RunKind::Submit) << "Dead=False AND Hide=False AND Rating>3"
                                                 << QStringList() << QStringList {"alpha2|http://alpha2.test/submit"};
    QStringList excluded = submitDefault;
    excluded.removeAt(1);
    QTest::newRow("submit: sites left out by name")
        << int(RunKind::Submit) << QString() << QStringList {"alpha2", "ALPHA"} << excluded;
    QTest::newRow("update: update page, else submit page, else home")
        << int(RunKind::Update) << QString() << QStringList()
        << QStringList {"Echo submitted|http://echo.test/update", "Golf published|http://golf.test/s",
               "Hotel old|http://hotel.test/"};
}

void TestSubmissionRun::queueRules()
{
    QFETCH(int, kind);
    QFETCH(QString, filter);
    QFETCH(QStringList, excluded);
    QFETCH(QStringList, expected);
    DataFixture f;
    f.open();
    addSampleSites(f);
    if (filter == "shown")
        f.dm().setShowHiddenSites(true);
    else if (!filter.isEmpty())
        f.dm().setSiteFilter(filter);
    RunQueue queue(f.dm(), "NoteNest", RunKind(kind));
    queue.setExcludedSites(QSet<QString>(excluded.begin(), excluded.end()));
    QCOMPARE(queueText(queue), expected);
    QCOMPARE(queue.count(), expected.size());
    // The step from one site to the next agrees with the whole queue.
    QStringList walked;
    for (auto next = queue.nextAfter(QString()); next; next = queue.nextAfter(next->siteName))
        walked.append(next->siteName);
    QStringList names;
    for (const QString& line : expected)
        names.append(line.section('|', 0, 0));
    QCOMPARE(walked, names);
}

void TestSubmissionRun::queueFollowsFlagsAtOnce()
{
    DataFixture f;
    f.open();
    addSampleSites(f);
    const RunQueue queue(f.dm(), "NoteNest", RunKind::Submit);
    QCOMPARE(queue.nextAfter(QString())->siteName, QString("Alpha"));
    // Ticked in the site selector: the queue no longer holds it.
    QVERIFY(f.dm().sites().locate("Alpha"));
    f.dm().setProgSiteFlag("Submitted", true);
    QCOMPARE(queue.nextAfter(QString())->siteName, QString("alpha2"));
    QVERIFY(!queue.find("Alpha"));
    f.dm().setProgSiteFlag("Submitted", false);
    QCOMPARE(queue.nextAfter(QString())->siteName, QString("Alpha"));
    // After the last site: nothing.
    QVERIFY(!queue.nextAfter("Lima unticked"));
}

void TestSubmissionRun::flagAndHistoryLandTogether_data()
{
    QTest::addColumn<QString>("refusingTable");
    QTest::newRow("nothing refuses") << QString();
    QTest::newRow("history refuses") << "SubmissionHistory";
    QTest::newRow("flags refuse") << "ProgSite";
}

void TestSubmissionRun::flagAndHistoryLandTogether()
{
    QFETCH(QString, refusingTable);
    DataFixture f;
    f.open();
    addFourSites(f);
    // The history exists before the refusal is set up.
    QVERIFY(f.dm().sites().locate("Aa"));
    SubmissionRun::mark(f.dm(), HistoryEntry::Outcome::Published, HistoryEntry::Kind::Manual);
    QVERIFY(f.dm().sites().locate("Bb"));
    f.addFlags("NoteNest", "Bb", {{"Submitted", 0}});
    if (!refusingTable.isEmpty()) {
        Sql::exec(f.dm().database(),
            QString("CREATE TRIGGER ProgSite.refuse BEFORE %1 ON %2 BEGIN SELECT RAISE(ABORT, 'refused'); END")
                .arg(refusingTable == "ProgSite" ? "UPDATE" : "INSERT", refusingTable));
    }
    QSignalSpy changed(&f.dm(), &SubmissionDatabase::programFlagsChanged);
    QVERIFY(f.dm().sites().locate("Bb"));
    bool refused = false;
    try {
        SubmissionRun::mark(f.dm(), HistoryEntry::Outcome::Submitted, HistoryEntry::Kind::Manual);
    } catch (const QuilletError& error) {
        refused = true;
        QVERIFY2(error.text().contains("refused"), qPrintable(error.text()));
    }
    QCOMPARE(refused, !refusingTable.isEmpty());
    const int expected = refused ? 0 : 1;
    QCOMPARE(f.flagRow("NoteNest", "Bb").value("Submitted").toInt(), expected);
    QCOMPARE(f.dm().getProgSiteFlag("Submitted"), bool(expected));
    QCOMPARE(historyText(SubmissionHistory::read(f.dm().database(), "NoteNest")),
        (refused ? QStringList {"Aa:published:manual"} : QStringList {"Aa:published:manual", "Bb:submitted:manual"}));
    QVERIFY(changed.count() >= 1);
}

void TestSubmissionRun::runVisitsSkippedSitesOnceMoreAtTheEnd()
{
    DataFixture f;
    f.open();
    addFourSites(f);
    SubmissionRun run(f.dm());
    QSignalSpy finished(&run, &SubmissionRun::finished);
    QVERIFY(run.start(RunKind::Submit));
    QCOMPARE(run.current()->siteName, QString("Aa"));
    QCOMPARE(f.dm().sites().currentSiteName(), QString("Aa"));
    QCOMPARE(run.position(), 1);
    QCOMPARE(run.length(), 4);
    run.recordOutcome(HistoryEntry::Outcome::Skipped);
    QCOMPARE(run.current()->siteName, QString("Bb"));
    QCOMPARE(run.position(), 2);
    run.recordOutcome(HistoryEntry::Outcome::Submitted);
    run.recordOutcome(HistoryEntry::Outcome::Skipped);
    QCOMPARE(run.current()->siteName, QString("Dd"));
    run.recordOutcome(HistoryEntry::Outcome::NotApplicable);
    // The skipped sites once more, in queue order.
    QVERIFY(run.inSkippedPass());
    QCOMPARE(run.current()->siteName, QString("Aa"));
    QCOMPARE(run.length(), 2);
    run.recordOutcome(HistoryEntry::Outcome::Submitted);
    QCOMPARE(run.current()->siteName, QString("Cc"));
    run.recordOutcome(HistoryEntry::Outcome::Skipped);
    // Skipped twice: the run ends without a third visit.
    QVERIFY(!run.isActive());
    QCOMPARE(finished.count(), 1);
    QVERIFY(!SubmissionRun::unfinishedRun(f.dm()));
    QCOMPARE(historyText(SubmissionHistory::read(f.dm().database())),
        QStringList({"Aa:skipped:submit:run", "Bb:submitted:submit:run", "Cc:skipped:submit:run",
            "Dd:not applicable:submit:run", "Aa:submitted:submit:run", "Cc:skipped:submit:run"}));
    QCOMPARE(f.flagRow("NoteNest", "Dd").value("NotApplicable").toInt(), 1);
    QCOMPARE(f.flagRow("NoteNest", "Dd").value("Submitted").isNull(), true);
    QVERIFY(f.flagRow("NoteNest", "Cc").isEmpty());
}

void TestSubmissionRun::stoppedRunResumesAfterTheLastSite()
{
    DataFixture f;
    f.open();
    addFourSites(f);
    {
        SubmissionRun run(f.dm());
        QVERIFY(run.start(RunKind::Submit));
        run.recordOutcome(HistoryEntry::Outcome::Submitted); // Aa
        run.recordOutcome(HistoryEntry::Outcome::Skipped);   // Bb
        QCOMPARE(run.current()->siteName, QString("Cc"));
        run.stop(); // Cc was open without an outcome
    }
    // The program ends and starts again.
    f.close();
    f.open();
    f.dm().loadProgram("NoteNest");
    const auto left = SubmissionRun::unfinishedRun(f.dm());
    QVERIFY(left);
    QCOMPARE(left->program, QString("NoteNest"));
    QCOMPARE(left->lastSite, QString("Bb"));
    SubmissionRun run(f.dm());
    QVERIFY(run.resume(*left));
    QCOMPARE(run.current()->siteName, QString("Cc"));
    QCOMPARE(run.position(), 3);
    QCOMPARE(run.length(), 4);
    run.recordOutcome(HistoryEntry::Outcome::Submitted); // Cc
    run.recordOutcome(HistoryEntry::Outcome::Submitted); // Dd
    // Bb, skipped before the stop, comes back once.
    QCOMPARE(run.current()->siteName, QString("Bb"));
    run.recordOutcome(HistoryEntry::Outcome::Submitted);
    QVERIFY(!run.isActive());
    QVERIFY(!SubmissionRun::unfinishedRun(f.dm()));
    QCOMPARE(RunQueue(f.dm(), "NoteNest", RunKind::Submit).count(), 0);
}

void TestSubmissionRun::mailOutcomes()
{
    DataFixture f;
    f.open();
    addFourSites(f);
    SubmissionRun run(f.dm());
    QVERIFY(run.start(RunKind::Submit));
    run.recordOutcome(HistoryEntry::Outcome::MailFailed);
    // A failed send marks nothing and stays on the site.
    QCOMPARE(run.current()->siteName, QString("Aa"));
    QVERIFY(f.flagRow("NoteNest", "Aa").isEmpty());
    run.recordOutcome(HistoryEntry::Outcome::SubmittedByMail);
    QCOMPARE(f.flagRow("NoteNest", "Aa").value("Submitted").toInt(), 1);
    QCOMPARE(run.current()->siteName, QString("Bb"));
    QCOMPARE(historyText(SubmissionHistory::read(f.dm().database())),
        QStringList({"Aa:mail failed:submit:run", "Aa:submitted by e-mail:submit:run"}));
}

void TestSubmissionRun::backReturnsToTheSiteBefore()
{
    DataFixture f;
    f.open();
    addFourSites(f);
    SubmissionRun run(f.dm());
    QVERIFY(run.start(RunKind::Submit));
    QVERIFY(!run.back());
    run.recordOutcome(HistoryEntry::Outcome::Submitted); // Aa leaves the queue
    QCOMPARE(run.current()->siteName, QString("Bb"));
    QVERIFY(run.back());
    // Back to a site the queue no longer holds: its page all the same.
    QCOMPARE(run.current()->siteName, QString("Aa"));
    QCOMPARE(run.current()->link, QString("http://Aa.test/submit"));
    QCOMPARE(f.dm().sites().currentSiteName(), QString("Aa"));
    run.recordOutcome(HistoryEntry::Outcome::NotApplicable);
    QCOMPARE(run.current()->siteName, QString("Bb"));
    QCOMPARE(f.flagRow("NoteNest", "Aa").value("NotApplicable").toInt(), 1);
}

void TestSubmissionRun::runRefusesAnotherProgram()
{
    DataFixture f;
    f.open();
    addFourSites(f);
    f.dm().addProgram("Other");
    SubmissionRun run(f.dm());
    QVERIFY(run.start(RunKind::Submit));
    f.dm().loadProgram("Other");
    QVERIFY_THROWS_EXCEPTION(QuilletError, run.recordOutcome(HistoryEntry::Outcome::Submitted));
    QVERIFY(f.flagRow("Other", "Aa").isEmpty());
    QVERIFY(f.flagRow("NoteNest", "Aa").isEmpty());
    QCOMPARE(run.current()->siteName, QString("Aa"));
    // An empty queue starts no run and stores none.
    SubmissionRun none(f.dm());
    f.dm().setSiteFilter("Rating>100");
    QVERIFY(!none.start(RunKind::Submit));
    QCOMPARE(SubmissionRun::unfinishedRun(f.dm())->id, run.record().id);
}

void TestSubmissionRun::progressCountsTheListedSites()
{
    DataFixture f;
    f.open();
    addSampleSites(f);
    // Listed: Alpha, alpha2, Echo, Foxtrot (n/a), Golf, Hotel, India, Juliet, Kilo, Lima, November: 11,
    // less one n/a.
    const SubmissionProgress progress = SubmissionProgress::count(f.dm());
    QCOMPARE(progress.text(), QString("NoteNest: 1 of 10 submitted, 1 published"));
    // A hidden site's flag does not count while it is not listed.
    QVERIFY(f.dm().sites().locate("Alpha"));
    f.dm().setProgSiteFlag("Submitted", true);
    f.addFlags("NoteNest", "Dead site", {{"Submitted", 1}});
    QCOMPARE(SubmissionProgress::count(f.dm()).text(), QString("NoteNest: 2 of 10 submitted, 1 published"));
    f.dm().loadProgram(QString());
    QCOMPARE(SubmissionProgress::count(f.dm()).text(), QString());
}

void TestSubmissionRun::historyFiles()
{
    QVector<HistoryEntry> rows(2);
    rows[0].time = QDateTime(QDate(2026, 12, 9), QTime(21, 5, 7), Qt::UTC);
    rows[0].program = "Note, \"Nest\"";
    rows[0].site = "Line\nbreak";
    rows[0].outcome = HistoryEntry::Outcome::SubmittedByMail;
    rows[0].kind = HistoryEntry::Kind::Submit;
    rows[1].time = QDateTime(QDate(2026, 12, 9), QTime(23, 0, 0), Qt::UTC);
    rows[1].program = "Plain";
    rows[1].site = "Site";
    rows[1].outcome = HistoryEntry::Outcome::Skipped;
    rows[1].kind = HistoryEntry::Kind::Update;
    QCOMPARE(SubmissionHistory::toCsv(rows),
        QString("Time (UTC),Program,Site,Run,Outcome\r\n"
                "2026-12-09 21:05:07,\"Note, \"\"Nest\"\"\",\"Line\nbreak\",submit,submitted by e-mail\r\n"
                "2026-12-09 23:00:00,Plain,Site,update,skipped\r\n"));
    const QString report = SubmissionHistory::toReport(rows, "Plain");
    QVERIFY(report.endsWith("2026-12-09 23:00:00  Plain  Site  update  skipped\r\n"));
    QVERIFY(report.contains("Line break"));
    // Every line ends in CR LF: no lone LF or CR.
    QCOMPARE(report.count('\n'), report.count("\r\n"));
    QCOMPARE(report.count('\r'), report.count("\r\n"));
}

void TestSubmissionRun::repairKeepsTheHistory()
{
    DataFixture f;
    f.open();
    addFourSites(f);
    QVERIFY(f.dm().sites().locate("Cc"));
    SubmissionRun::mark(f.dm(), HistoryEntry::Outcome::Published, HistoryEntry::Kind::Manual);
    // A row written by a later version, with an outcome this one does not know.
    Sql::exec(f.dm().database(),
        "INSERT INTO ProgSite.SubmissionHistory (Time, ProgramName, SiteName, RunKind, Outcome) VALUES "
        "('2026-01-01T00:00:00Z', 'NoteNest', 'Dd', 'submit', 'withdrawn')");
    f.close();
    const TableRepair::Result repaired = TableRepair::repair(f.dir.file("ProgSite.DAT"), Table::ProgSite);
    QVERIFY2(repaired.ok, qPrintable(repaired.error));
    f.open();
    QCOMPARE(historyText(SubmissionHistory::read(f.dm().database(), "NoteNest")), QStringList {"Cc:published:manual"});
    QCOMPARE(Sql::scalar(f.dm().database(), "SELECT count(*) FROM ProgSite.SubmissionHistory").toInt(), 2);
    QCOMPARE(f.flagRow("NoteNest", "Cc").value("Published").toInt(), 1);
}

QTEST_GUILESS_MAIN(TestSubmissionRun)
#include "TestSubmissionRun.moc"
