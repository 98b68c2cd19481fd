// The submission run's data side: which sites a queue holds, flags and
// history written together, the walk with its pass over skipped sites, resume
// after a stop, the progress figures and the history's files.
#include "QuilletError.h"
#include "RunFixture.h"
#include "Sql.h"
#include "SubmissionProgress.h"
#include "SubmissionRun.h"
#include "TableRepair.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// Sites whose names tell what the queues should make of them; another
// program's flags change nothing for NoteNest.
struct SampleSites : RunFixture {
    SampleSites()
        : RunFixture({{"Alpha", {{"SubmitUrl", "http://alpha.test/submit"}}},
            {"alpha2", {{"SubmitUrl", "http://alpha2.test/submit"}, {"Rating", 4}}},
            {"Beta hidden", {{"SubmitUrl", "http://beta.test/s"}, {"Hide", 1}}, {{"Submitted", 0}}},
            {"Dead site", {{"SubmitUrl", "http://dead.test/s"}, {"Dead", 1}}},
            {"Echo submitted",
                {{"SubmitUrl", "http://echo.test/s"}, {"UpdateUrl", "http://echo.test/update"}, {"Rating", 4}},
                {{"Submitted", 1}}},
            {"Foxtrot na", {{"SubmitUrl", "http://fox.test/s"}}, {{"Submitted", 1}, {"NotApplicable", 1}}},
            {"Golf published", {{"SubmitUrl", "http://golf.test/s"}}, {{"Published", 1}}},
            {"Hotel old", {{"HomeUrl", "http://hotel.test/"}}, {{"OldVersion", 1}, {"Submitted", 0}}},
            {"India home only", {{"HomeUrl", "http://india.test/"}}},
            {"November nothing", {{"SearchUrl", "http://november.test/find"}}},
            {"Juliet mail", {{"SubmitUrl", "files@juliet.test"}}}, {"Kilo home mail", {{"HomeUrl", "k@kilo.test"}}},
            {"Lima unticked", {{"SubmitUrl", "http://lima.test/s"}}, {{"Submitted", 0}}}})
    {
        dm().addProgram("Other");
        addFlags("Other", "Alpha", {{"Submitted", 1}, {"NotApplicable", 1}});
    }
};

// Four plain sites and a submission run started over them.
struct Walk : RunFixture {
    Walk()
        : RunFixture(plainSites({"Aa", "Bb", "Cc", "Dd"}))
    {
        run->start(RunKind::Submit);
    }

    // Where the run stands: "site position/length", "again" in the pass over
    // skipped sites, "-" once it ended. The site list's cursor follows it.
    QString where()
    {
        if (!run->isActive())
            return "-";
        const QString site = run->current()->siteName, cursor = dm().sites().currentSiteName();
        return QString("%1 %2/%3").arg(site).arg(run->position()).arg(run->length())
            + (run->inSkippedPass() ? " again" : "") + (cursor == site ? QString() : " cursor at " + cursor);
    }

    // Takes the steps ("back", "stop" or an outcome's text) and tells where
    // the run stood first and after each; "no back:" marks a refused step back.
    QStringList steps(const QStringList& steps)
    {
        QStringList places {where()};
        for (const QString& step : steps) {
            HistoryEntry::Outcome outcome;
            QString refused;
            if (step == "back")
                refused = run->back() ? "" : "no back: ";
            else if (step == "stop")
                run->stop();
            else if (HistoryEntry::parseOutcome(step, outcome))
                run->recordOutcome(outcome);
            else
                qFatal("no step %s", qPrintable(step));
            places.append(refused + where());
        }
        return places;
    }

    std::unique_ptr<SubmissionRun> run = std::make_unique<SubmissionRun>(dm());
};

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
    QTest::addColumn<QString>("filter"); // empty: the default
    QTest::addColumn<QStringList>("excluded");
    QTest::addColumn<QStringList>("expected");

    const QStringList submitDefault {"Alpha|http://alpha.test/submit", "alpha2|http://alpha2.test/submit",
        "Golf published|http://golf.test/s", "Hotel old|http://hotel.test/", "India home only|http://india.test/",
        "Juliet mail|files@juliet.test|mail", "Kilo home mail|k@kilo.test|mail", "Lima unticked|http://lima.test/s"};
    QTest::newRow("submit: filter, flags, pages, mail")
        << int(RunKind::Submit) << QString() << QStringList() << submitDefault;
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
    SampleSites f;
    if (!filter.isEmpty())
        f.dm().setSiteFilter(filter);
    RunQueue queue(f.dm(), "NoteNest", RunKind(kind));
    queue.setExcludedSites(QSet<QString>(excluded.begin(), excluded.end()));
    const auto text
        = [](const QueueEntry& entry) { return entry.siteName + "|" + entry.link + (entry.byMail ? "|mail" : ""); };
    QStringList lines, walked;
    for (const QueueEntry& entry : queue.entries())
        lines.append(text(entry));
    QCOMPARE(lines, expected);
    // The step from one site to the next agrees with the whole queue.
    for (auto next = queue.nextAfter(QString()); next; next = queue.nextAfter(next->siteName))
        walked.append(text(*next));
    QCOMPARE(walked, expected);
}

void TestSubmissionRun::queueFollowsFlagsAtOnce()
{
    SampleSites f;
    const RunQueue queue(f.dm(), "NoteNest", RunKind::Submit);
    QCOMPARE(queue.nextAfter(QString())->siteName, QString("Alpha"));
    // Ticked in the site selector: the queue no longer holds it.
    QVERIFY(f.dm().sites().locate("Alpha"));
    f.dm().setProgSiteFlag("Submitted", true);
    QCOMPARE(queue.nextAfter(QString())->siteName, QString("alpha2"));
    QVERIFY(!queue.find("Alpha"));
    f.dm().setProgSiteFlag("Submitted", false);
    QCOMPARE(queue.nextAfter(QString())->siteName, QString("Alpha"));
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
    RunFixture f({{"Aa", {}}, {"Bb", {}, {{"Submitted", 0}}}});
    // The history exists before the refusal is set up.
    QVERIFY(f.dm().sites().locate("Aa"));
    SubmissionRun::mark(f.dm(), HistoryEntry::Outcome::Published, HistoryEntry::Kind::Manual);
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
    QCOMPARE(flagAt(f.dm(), "Bb", "Submitted").toInt(), refused ? 0 : 1);
    QCOMPARE(f.dm().getProgSiteFlag("Submitted"), !refused);
    QCOMPARE(historyLines(f.dm(), true, "NoteNest"),
        QStringList({"Aa:published:manual", "Bb:submitted:manual"}).mid(0, refused ? 1 : 2));
    QVERIFY(changed.count() >= 1);
}

void TestSubmissionRun::runVisitsSkippedSitesOnceMoreAtTheEnd()
{
    Walk w;
    QSignalSpy finished(w.run.get(), &SubmissionRun::finished);
    // The skipped sites once more, in queue order; skipped twice, the run ends
    // without a third visit.
    QCOMPARE(w.steps({"skipped", "submitted", "skipped", "not applicable", "submitted", "skipped"}),
        QStringList({"Aa 1/4", "Bb 2/4", "Cc 3/4", "Dd 4/4", "Aa 1/2 again", "Cc 2/2 again", "-"}));
    QCOMPARE(finished.count(), 1);
    QVERIFY(!SubmissionRun::unfinishedRun(w.dm()));
    QCOMPARE(historyLines(w.dm(), true),
        QStringList({"Aa:skipped:submit:run", "Bb:submitted:submit:run", "Cc:skipped:submit:run",
            "Dd:not applicable:submit:run", "Aa:submitted:submit:run", "Cc:skipped:submit:run"}));
    QCOMPARE(w.flagRow("NoteNest", "Dd").value("NotApplicable").toInt(), 1);
    QVERIFY(w.flagRow("NoteNest", "Dd").value("Submitted").isNull());
    QVERIFY(w.flagRow("NoteNest", "Cc").isEmpty());
}

void TestSubmissionRun::stoppedRunResumesAfterTheLastSite()
{
    Walk w;
    // Cc is open without an outcome when the run stops.
    QCOMPARE(w.steps({"submitted", "skipped", "stop"}), QStringList({"Aa 1/4", "Bb 2/4", "Cc 3/4", "-"}));
    // The program ends and starts again.
    w.run.reset();
    w.close();
    w.open();
    w.dm().loadProgram("NoteNest");
    const auto left = SubmissionRun::unfinishedRun(w.dm());
    QVERIFY(left);
    QCOMPARE(left->program + " after " + left->lastSite, QString("NoteNest after Bb"));
    w.run = std::make_unique<SubmissionRun>(w.dm());
    QVERIFY(w.run->resume(*left));
    // Bb, skipped before the stop, comes back once.
    QCOMPARE(w.steps({"submitted", "submitted", "submitted"}), QStringList({"Cc 3/4", "Dd 4/4", "Bb 1/1 again", "-"}));
    QVERIFY(!SubmissionRun::unfinishedRun(w.dm()));
}

void TestSubmissionRun::mailOutcomes()
{
    Walk w;
    // A failed send marks nothing and stays on the site.
    QCOMPARE(w.steps({"mail failed"}), QStringList({"Aa 1/4", "Aa 1/4"}));
    QVERIFY(w.flagRow("NoteNest", "Aa").isEmpty());
    QCOMPARE(w.steps({"submitted by e-mail"}), QStringList({"Aa 1/4", "Bb 2/4"}));
    QCOMPARE(flagAt(w.dm(), "Aa", "Submitted").toInt(), 1);
    QCOMPARE(
        historyLines(w.dm(), true), QStringList({"Aa:mail failed:submit:run", "Aa:submitted by e-mail:submit:run"}));
}

void TestSubmissionRun::backReturnsToTheSiteBefore()
{
    Walk w;
    // Aa leaves the queue when submitted; back there, the run opens its page
    // all the same.
    QCOMPARE(w.steps({"back", "submitted", "back"}), QStringList({"Aa 1/4", "no back: Aa 1/4", "Bb 2/4", "Aa 1/4"}));
    QCOMPARE(w.run->current()->link, QString("http://127.0.0.1:9/Aa"));
    QCOMPARE(w.steps({"not applicable"}), QStringList({"Aa 1/4", "Bb 2/4"}));
    QCOMPARE(flagAt(w.dm(), "Aa", "NotApplicable").toInt(), 1);
}

void TestSubmissionRun::runRefusesAnotherProgram()
{
    Walk w;
    w.dm().addProgram("Other");
    w.dm().loadProgram("Other");
    QVERIFY_THROWS_EXCEPTION(QuilletError, w.run->recordOutcome(HistoryEntry::Outcome::Submitted));
    QVERIFY(w.flagRow("Other", "Aa").isEmpty());
    QVERIFY(w.flagRow("NoteNest", "Aa").isEmpty());
    QCOMPARE(w.run->current()->siteName, QString("Aa"));
    // An empty queue starts no run and stores none.
    SubmissionRun none(w.dm());
    w.dm().setSiteFilter("Rating>100");
    QVERIFY(!none.start(RunKind::Submit));
    QCOMPARE(SubmissionRun::unfinishedRun(w.dm())->id, w.run->record().id);
}

void TestSubmissionRun::progressCountsTheListedSites()
{
    SampleSites f;
    // Listed: Alpha, alpha2, Echo, Foxtrot (n/a), Golf, Hotel, India, Juliet, Kilo, Lima, November: 11,
    // less one n/a.
    QCOMPARE(SubmissionProgress::count(f.dm()).text(), QString("NoteNest: 1 of 10 submitted, 1 published"));
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
    using Outcome = HistoryEntry::Outcome;
    using Kind = HistoryEntry::Kind;
    const QVector<HistoryEntry> rows {{QDateTime(QDate(2026, 12, 9), QTime(21, 5, 7), Qt::UTC), "Note, \"Nest\"",
                                          "Line\nbreak", Kind::Submit, Outcome::SubmittedByMail},
        {QDateTime(QDate(2026, 12, 9), QTime(23, 0, 0), Qt::UTC), "Plain", "Site", Kind::Update, Outcome::Skipped}};
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
    RunFixture f(plainSites({"Cc"}));
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
    QCOMPARE(historyLines(f.dm(), true, "NoteNest"), QStringList {"Cc:published:manual"});
    QCOMPARE(Sql::scalar(f.dm().database(), "SELECT count(*) FROM ProgSite.SubmissionHistory").toInt(), 2);
    QCOMPARE(flagAt(f.dm(), "Cc", "Published").toInt(), 1);
}

QTEST_GUILESS_MAIN(TestSubmissionRun)
#include "TestSubmissionRun.moc"
