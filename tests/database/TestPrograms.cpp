#include "DataFixture.h"
#include "ProgramReplace.h"
#include "QuilletError.h"

#include <QSignalSpy>
#include <QTest>

class TestPrograms : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void loadOfMissingNameEmptiesProgramEntries();
    void saveAndLoadRoundTrip();
    void saveUnderNewNameAddsRecord();
    void saveRejectsFileSizeThatIsNoNumber();
    void addProgramRefusesDuplicate();
    void deleteKeepsFlagsForALaterProgramOfTheSameName();
    void flagsFollowTheCurrentProgram();
    void firstFlagChangeCreatesTheRow();
    void clearPublishedMarksOldVersion();
    void clearSubmittedLeavesOldVersion();
    void clearAskedAndRefused();
    void replaceAll();
    void replaceStepsThroughTheRows();
    void replaceWithoutMatch();
};

void TestPrograms::loadOfMissingNameEmptiesProgramEntries()
{
    DataFixture f;
    f.open();
    for (int i = 14; i <= 46; ++i)
        f.properties()[i].setValue("stale");
    f.properties()[0].setValue("Acme");
    f.dm().loadProgram("Nothing");
    QCOMPARE(f.properties()[0].value, QString("Acme"));
    for (int i = 14; i <= 46; ++i) {
        const QString expected = i == 20 ? "0" : i == 21 ? "0.00" : "";
        QCOMPARE(f.properties()[i].value, expected);
    }
    QCOMPARE(f.dm().programFlags().count(), 0);
}

void TestPrograms::saveAndLoadRoundTrip()
{
    DataFixture f;
    f.open();
    PropertyCatalogue& p = f.properties();
    p[14].setValue("O'Brien's Tool");
    for (int i = 15; i <= 46; ++i)
        p[i].setValue(QStringLiteral("value %1").arg(i));
    p[19].setValue("1048576");
    p[20].setValue("typed KB is never saved");
    p[22].setValue("07/03/2004");
    p[24].setValue("19.90");
    p[44].setValue("line one\r\nline two");
    f.dm().saveProgram("O'Brien's Tool");

    for (int i = 14; i <= 46; ++i)
        p[i].setValue(QString());
    f.dm().loadProgram("O'Brien's Tool");
    QCOMPARE(p[14].value, QString("O'Brien's Tool"));
    QCOMPARE(p[19].value, QString("1048576"));
    QCOMPARE(p[20].value, QString("1024"));
    QCOMPARE(p[21].value, QString("1.00"));
    QCOMPARE(p[22].value, QString("07/03/2004"));
    QCOMPARE(p[24].value, QString("19.90"));
    QCOMPARE(p[44].value, QString("line one\r\nline two"));
    for (int i : {15, 16, 17, 18, 23, 25, 26, 27, 28, 29, 30, 35, 36, 43, 45, 46})
        QCOMPARE(p[i].value, QStringLiteral("value %1").arg(i));
    QStringList names;
    f.dm().loadPrograms(names);
    QCOMPARE(names, QStringList({"O'Brien's Tool"}));

    // An empty size is stored empty and loads as no size.
    p[19].setValue("");
    f.dm().saveProgram("O'Brien's Tool");
    f.dm().loadProgram("O'Brien's Tool");
    QCOMPARE(p[19].value, QString());
    QCOMPARE(p[20].value, QString("0"));
}

void TestPrograms::saveUnderNewNameAddsRecord()
{
    DataFixture f;
    f.open();
    PropertyCatalogue& p = f.properties();
    p[14].setValue("beta");
    p[15].setValue("1.0");
    f.dm().saveProgram("beta");
    // The user typed a new name: the old record stays as it was.
    p[14].setValue("Alpha");
    p[15].setValue("2.0");
    f.dm().saveProgram("Alpha");
    QStringList names;
    f.dm().loadPrograms(names);
    QCOMPARE(names, QStringList({"Alpha", "beta"}));
    f.dm().loadProgram("beta");
    QCOMPARE(p[15].value, QString("1.0"));
    f.dm().loadProgram("Alpha");
    QCOMPARE(p[15].value, QString("2.0"));
}

void TestPrograms::saveRejectsFileSizeThatIsNoNumber()
{
    DataFixture f;
    f.open();
    f.properties()[14].setValue("Tool");
    f.properties()[19].setValue("1,536,000");
    try {
        f.dm().saveProgram("Tool");
        QFAIL("saved");
    } catch (const ConversionError& error) {
        QCOMPARE(error.text(), QString("'1,536,000' is not a valid integer value"));
    }
    QStringList names;
    f.dm().loadPrograms(names);
    QVERIFY(names.isEmpty());
}

void TestPrograms::addProgramRefusesDuplicate()
{
    DataFixture f;
    f.open();
    f.dm().addProgram("Tool");
    QVERIFY_THROWS_EXCEPTION(QuilletError, f.dm().addProgram("Tool"));
    f.dm().addProgram("tool");
    QStringList names;
    f.dm().loadPrograms(names);
    QCOMPARE(names.size(), 2);
}

void TestPrograms::deleteKeepsFlagsForALaterProgramOfTheSameName()
{
    DataFixture f;
    f.open();
    f.addSite("alpha");
    f.dm().addProgram("Tool");
    f.addFlags("Tool", "alpha", {{"Submitted", 1}});
    f.dm().deleteProgram("Tool");
    QStringList names;
    f.dm().loadPrograms(names);
    QVERIFY(names.isEmpty());
    QCOMPARE(f.flagRow("Tool", "alpha").value("Submitted").toInt(), 1);
    f.dm().addProgram("Tool");
    f.dm().loadProgram("Tool");
    f.dm().sites().first();
    QVERIFY(f.dm().getProgSiteFlag("Submitted"));
}

void TestPrograms::flagsFollowTheCurrentProgram()
{
    DataFixture f;
    f.open();
    f.addSite("alpha");
    f.addSite("beta");
    f.addFlags("Tool", "alpha", {{"Submitted", 1}, {"Published", 0}, {"FileID", "42"}});
    f.addFlags("Other", "alpha", {{"Published", 1}});
    f.dm().loadProgram("Tool");
    f.dm().sites().locate("alpha");
    QVERIFY(f.dm().getProgSiteFlag("Submitted"));
    QVERIFY(!f.dm().getProgSiteFlag("Published"));
    QVERIFY(!f.dm().getProgSiteFlag("FileID"));
    QVERIFY(!f.dm().getProgSiteFlag("submitted"));
    QVERIFY(!f.dm().getProgSiteFlag("Sumbitted"));
    QVERIFY(f.dm().currentProgSiteRow());
    QCOMPARE(f.dm().currentProgSiteRow()->fileId, QString("42"));
    f.dm().sites().locate("beta");
    QVERIFY(!f.dm().getProgSiteFlag("Submitted"));
    QVERIFY(f.dm().currentProgSiteRow() == nullptr);

    QSignalSpy spy(&f.dm(), &SubmissionDatabase::programFlagsChanged);
    f.dm().loadProgram("Other");
    QCOMPARE(spy.count(), 1);
    QVERIFY(f.dm().programFlags().isSet("alpha", "Published"));
    QVERIFY(!f.dm().programFlags().isSet("alpha", "Submitted"));
}

void TestPrograms::firstFlagChangeCreatesTheRow()
{
    DataFixture f;
    f.open();
    f.addSite("alpha");
    f.dm().addProgram("Tool");
    f.dm().loadProgram("Tool");
    f.dm().sites().first();
    QVERIFY(!f.dm().currentProgSiteRow());
    f.dm().setProgSiteFlag("Published", true);
    const ProgSiteRow* row = f.dm().currentProgSiteRow();
    QVERIFY(row);
    QCOMPARE(row->published, std::optional<bool>(true));
    // The others stay undecided; NotApplicable starts false.
    QVERIFY(!row->submitted.has_value());
    QVERIFY(!row->oldVersion.has_value());
    QCOMPARE(row->notApplicable, std::optional<bool>(false));
    QVariantMap stored = f.flagRow("Tool", "alpha");
    QCOMPARE(stored.value("Published").toInt(), 1);
    QVERIFY(stored.value("Submitted").isNull());

    f.dm().setProgSiteFileID("A-17");
    f.dm().setProgSiteFlag("Published", false);
    stored = f.flagRow("Tool", "alpha");
    QCOMPARE(stored.value("FileID").toString(), QString("A-17"));
    QCOMPARE(stored.value("Published").toInt(), 0);
    QVERIFY_THROWS_EXCEPTION(QuilletError, f.dm().setProgSiteFlag("FileID", true));
    // A later start shows the same.
    f.close();
    f.open();
    f.dm().loadProgram("Tool");
    f.dm().sites().first();
    QVERIFY(f.dm().currentProgSiteRow());
    QCOMPARE(f.dm().currentProgSiteRow()->fileId, QString("A-17"));
}

void TestPrograms::clearPublishedMarksOldVersion()
{
    DataFixture f;
    f.open();
    for (const char* site : {"a", "b", "c", "d"})
        f.addSite(site);
    f.addFlags("Tool", "a", {{"Published", 1}, {"Submitted", 1}});
    f.addFlags("Tool", "b", {{"Published", 1}});
    f.addFlags("Tool", "c", {{"Published", 1}, {"OldVersion", 0}});
    f.addFlags("Tool", "d", {{"Published", 0}, {"Submitted", 1}});
    f.addFlags("Other", "a", {{"Published", 1}});
    f.dm().addProgram("Tool");
    f.dm().loadProgram("Tool");
    RecordingMessageSink sink;
    QVERIFY(f.dm().clearFlagsForAllSites("Published", "Quillet"));
    QCOMPARE(sink.questions.size(), 1);
    QCOMPARE(sink.questions.first().text,
        QString("Are you sure you want to clear all the \"Published\" flags for program \"Tool\"?"));
    QCOMPARE(sink.questions.first().title, QString("Quillet"));
    for (const char* site : {"a", "b", "c"}) {
        QCOMPARE(f.flagRow("Tool", site).value("OldVersion").toInt(), 1);
        QCOMPARE(f.flagRow("Tool", site).value("Published").toInt(), 0);
    }
    QVERIFY(f.flagRow("Tool", "d").value("OldVersion").isNull());
    QCOMPARE(f.flagRow("Tool", "a").value("Submitted").toInt(), 1);
    QCOMPARE(f.flagRow("Other", "a").value("Published").toInt(), 1);
    QVERIFY(f.flagRow("Other", "a").value("OldVersion").isNull());
    QVERIFY(!f.dm().programFlags().isSet("a", "Published"));
    QVERIFY(f.dm().programFlags().isSet("a", "OldVersion"));
}

void TestPrograms::clearSubmittedLeavesOldVersion()
{
    DataFixture f;
    f.open();
    f.addSite("a");
    f.addSite("b");
    f.addFlags("Tool", "a", {{"Submitted", 1}, {"OldVersion", 1}, {"Published", 1}});
    f.dm().addProgram("Tool");
    f.dm().loadProgram("Tool");
    RecordingMessageSink sink;
    QVERIFY(f.dm().clearFlagsForAllSites("Submitted", "Quillet"));
    const QVariantMap row = f.flagRow("Tool", "a");
    QCOMPARE(row.value("Submitted").toInt(), 0);
    QCOMPARE(row.value("OldVersion").toInt(), 1);
    QCOMPARE(row.value("Published").toInt(), 1);
    // Sites without a row for the program stay without one.
    QVERIFY(f.flagRow("Tool", "b").isEmpty());
}

void TestPrograms::clearAskedAndRefused()
{
    DataFixture f;
    f.open();
    f.addSite("a");
    f.addFlags("Tool", "a", {{"Submitted", 1}});
    f.dm().addProgram("Tool");
    f.dm().loadProgram("Tool");
    RecordingMessageSink sink;
    sink.setNextAnswer(MessageSink::Answer::No);
    QVERIFY(!f.dm().clearFlagsForAllSites("Submitted", "Quillet"));
    QCOMPARE(f.flagRow("Tool", "a").value("Submitted").toInt(), 1);
}

void TestPrograms::replaceAll()
{
    DataFixture f;
    f.open();
    f.addSite("a");
    f.addSite("b");
    f.addFlags("Tool 1", "a", {{"Submitted", 1}});
    f.addFlags("Tool 1", "b", {{"Published", 1}});
    f.addFlags("Tool 10", "a", {{"Submitted", 1}});
    RecordingMessageSink sink;
    QCOMPARE(f.dm().replaceProgramAll("Nothing", "Else"), 0);
    QVERIFY(sink.messages.isEmpty());
    QCOMPARE(f.dm().replaceProgramAll("tool 1", "Tool 2"), 0);
    QCOMPARE(f.dm().replaceProgramAll("Tool 1", "Tool 2"), 2);
    QVERIFY(f.flagRow("Tool 1", "a").isEmpty());
    QCOMPARE(f.flagRow("Tool 2", "b").value("Published").toInt(), 1);
    QCOMPARE(f.flagRow("Tool 10", "a").value("Submitted").toInt(), 1);
    // A rename onto a program that already has a row for the site is refused whole.
    QVERIFY_THROWS_EXCEPTION(QuilletError, f.dm().replaceProgramAll("Tool 10", "Tool 2"));
    QCOMPARE(f.flagRow("Tool 10", "a").value("Submitted").toInt(), 1);
}

void TestPrograms::replaceStepsThroughTheRows()
{
    DataFixture f;
    f.open();
    f.addFlags("My Tool", "a", {{"Submitted", 1}});
    f.addFlags("My Tool", "b", {{"Submitted", 1}});
    f.addFlags("Other", "a", {{"Submitted", 1}});
    f.addFlags("TOOLBOX", "a", {{"Published", 1}});
    f.addFlags("Tool 2", "a", {{"Published", 1}});
    RecordingMessageSink sink;
    ProgramReplace replace(f.dm());
    replace.start();
    // Matching ignores case; the first occurrence is replaced where it stands.
    QVERIFY(replace.replaceNext("tool", "App"));
    QCOMPARE(f.flagRow("My App", "a").value("Submitted").toInt(), 1);
    QVERIFY(f.flagRow("My Tool", "a").isEmpty());
    QVERIFY(replace.replaceNext("tool", "App"));
    QCOMPARE(f.flagRow("My App", "b").value("Submitted").toInt(), 1);
    QVERIFY(replace.replaceNext("tool", "App"));
    QCOMPARE(f.flagRow("AppBOX", "a").value("Published").toInt(), 1);
    // "Tool 2" onto "App 2" for site a: free, renamed.
    QVERIFY(replace.replaceNext("tool", "App"));
    QCOMPARE(f.flagRow("App 2", "a").value("Published").toInt(), 1);
    // Past the last match: no message, since matches were found.
    QVERIFY(!replace.replaceNext("tool", "App"));
    QVERIFY(sink.messages.isEmpty());
    QCOMPARE(f.flagRow("Other", "a").value("Submitted").toInt(), 1);
}

void TestPrograms::replaceWithoutMatch()
{
    DataFixture f;
    f.open();
    f.addFlags("Tool", "a", {{"Submitted", 1}});
    f.addFlags("Tool Pro", "a", {{"Submitted", 1}});
    RecordingMessageSink sink;
    ProgramReplace replace(f.dm());
    replace.start();
    QVERIFY(!replace.replaceNext("missing", "x"));
    QCOMPARE(sink.texts(), QStringList({"No matches found"}));
    // A rename onto an existing row is refused and the row stays; the next one is tried next time.
    replace.start();
    QVERIFY(!replace.replaceNext("Tool Pro", "Tool"));
    QCOMPARE(f.flagRow("Tool Pro", "a").value("Submitted").toInt(), 1);
    QCOMPARE(sink.messages.size(), 1);
}

QTEST_GUILESS_MAIN(TestPrograms)
#include "TestPrograms.moc"
