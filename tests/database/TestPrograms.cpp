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
        f.properties()[i].SetValue("stale");
    f.properties()[0].SetValue("Acme");
    f.dm().LoadProgram("Nothing");
    QCOMPARE(f.properties()[0].Value, QString("Acme"));
    for (int i = 14; i <= 46; ++i) {
        const QString expected = i == 20 ? "0" : i == 21 ? "0.00" : "";
        QCOMPARE(f.properties()[i].Value, expected);
    }
    QCOMPARE(f.dm().programFlags().count(), 0);
}

void TestPrograms::saveAndLoadRoundTrip()
{
    DataFixture f;
    f.open();
    TProperties& p = f.properties();
    p[14].SetValue("O'Brien's Tool");
    for (int i = 15; i <= 46; ++i)
        p[i].SetValue(QStringLiteral("value %1").arg(i));
    p[19].SetValue("1048576");
    p[20].SetValue("typed KB is never saved");
    p[22].SetValue("07/03/2004");
    p[24].SetValue("19.90");
    p[44].SetValue("line one\r\nline two");
    f.dm().SaveProgram("O'Brien's Tool");

    for (int i = 14; i <= 46; ++i)
        p[i].SetValue(QString());
    f.dm().LoadProgram("O'Brien's Tool");
    QCOMPARE(p[14].Value, QString("O'Brien's Tool"));
    QCOMPARE(p[19].Value, QString("1048576"));
    QCOMPARE(p[20].Value, QString("1024"));
    QCOMPARE(p[21].Value, QString("1.00"));
    QCOMPARE(p[22].Value, QString("07/03/2004"));
    QCOMPARE(p[24].Value, QString("19.90"));
    QCOMPARE(p[44].Value, QString("line one\r\nline two"));
    for (int i : {15, 16, 17, 18, 23, 25, 26, 27, 28, 29, 30, 35, 36, 43, 45, 46})
        QCOMPARE(p[i].Value, QStringLiteral("value %1").arg(i));
    QStringList names;
    f.dm().LoadPrograms(names);
    QCOMPARE(names, QStringList({"O'Brien's Tool"}));

    // An empty size is stored empty and loads as no size.
    p[19].SetValue("");
    f.dm().SaveProgram("O'Brien's Tool");
    f.dm().LoadProgram("O'Brien's Tool");
    QCOMPARE(p[19].Value, QString());
    QCOMPARE(p[20].Value, QString("0"));
}

void TestPrograms::saveUnderNewNameAddsRecord()
{
    DataFixture f;
    f.open();
    TProperties& p = f.properties();
    p[14].SetValue("beta");
    p[15].SetValue("1.0");
    f.dm().SaveProgram("beta");
    // The user typed a new name: the old record stays as it was.
    p[14].SetValue("Alpha");
    p[15].SetValue("2.0");
    f.dm().SaveProgram("Alpha");
    QStringList names;
    f.dm().LoadPrograms(names);
    QCOMPARE(names, QStringList({"Alpha", "beta"}));
    f.dm().LoadProgram("beta");
    QCOMPARE(p[15].Value, QString("1.0"));
    f.dm().LoadProgram("Alpha");
    QCOMPARE(p[15].Value, QString("2.0"));
}

void TestPrograms::saveRejectsFileSizeThatIsNoNumber()
{
    DataFixture f;
    f.open();
    f.properties()[14].SetValue("Tool");
    f.properties()[19].SetValue("1,536,000");
    try {
        f.dm().SaveProgram("Tool");
        QFAIL("saved");
    } catch (const ConversionError& error) {
        QCOMPARE(error.text(), QString("'1,536,000' is not a valid integer value"));
    }
    QStringList names;
    f.dm().LoadPrograms(names);
    QVERIFY(names.isEmpty());
}

void TestPrograms::addProgramRefusesDuplicate()
{
    DataFixture f;
    f.open();
    f.dm().AddProgram("Tool");
    QVERIFY_THROWS_EXCEPTION(QuilletError, f.dm().AddProgram("Tool"));
    f.dm().AddProgram("tool");
    QStringList names;
    f.dm().LoadPrograms(names);
    QCOMPARE(names.size(), 2);
}

void TestPrograms::deleteKeepsFlagsForALaterProgramOfTheSameName()
{
    DataFixture f;
    f.open();
    f.addSite("alpha");
    f.dm().AddProgram("Tool");
    f.addFlags("Tool", "alpha", {{"Submitted", 1}});
    f.dm().DeleteProgram("Tool");
    QStringList names;
    f.dm().LoadPrograms(names);
    QVERIFY(names.isEmpty());
    QCOMPARE(f.flagRow("Tool", "alpha").value("Submitted").toInt(), 1);
    f.dm().AddProgram("Tool");
    f.dm().LoadProgram("Tool");
    f.dm().sites().first();
    QVERIFY(f.dm().GetProgSiteFlag("Submitted"));
}

void TestPrograms::flagsFollowTheCurrentProgram()
{
    DataFixture f;
    f.open();
    f.addSite("alpha");
    f.addSite("beta");
    f.addFlags("Tool", "alpha", {{"Submitted", 1}, {"Published", 0}, {"FileID", "42"}});
    f.addFlags("Other", "alpha", {{"Published", 1}});
    f.dm().LoadProgram("Tool");
    f.dm().sites().locate("alpha");
    QVERIFY(f.dm().GetProgSiteFlag("Submitted"));
    QVERIFY(!f.dm().GetProgSiteFlag("Published"));
    QVERIFY(!f.dm().GetProgSiteFlag("FileID"));
    QVERIFY(!f.dm().GetProgSiteFlag("submitted"));
    QVERIFY(!f.dm().GetProgSiteFlag("Sumbitted"));
    QVERIFY(f.dm().currentProgSiteRow());
    QCOMPARE(f.dm().currentProgSiteRow()->FileID, QString("42"));
    f.dm().sites().locate("beta");
    QVERIFY(!f.dm().GetProgSiteFlag("Submitted"));
    QVERIFY(f.dm().currentProgSiteRow() == nullptr);

    QSignalSpy spy(&f.dm(), &TDM1::programFlagsChanged);
    f.dm().LoadProgram("Other");
    QCOMPARE(spy.count(), 1);
    QVERIFY(f.dm().programFlags().isSet("alpha", "Published"));
    QVERIFY(!f.dm().programFlags().isSet("alpha", "Submitted"));
}

void TestPrograms::firstFlagChangeCreatesTheRow()
{
    DataFixture f;
    f.open();
    f.addSite("alpha");
    f.dm().AddProgram("Tool");
    f.dm().LoadProgram("Tool");
    f.dm().sites().first();
    QVERIFY(!f.dm().currentProgSiteRow());
    f.dm().setProgSiteFlag("Published", true);
    const ProgSiteRow* row = f.dm().currentProgSiteRow();
    QVERIFY(row);
    QCOMPARE(row->Published, std::optional<bool>(true));
    // The others stay undecided; NotApplicable starts false.
    QVERIFY(!row->Submitted.has_value());
    QVERIFY(!row->OldVersion.has_value());
    QCOMPARE(row->NotApplicable, std::optional<bool>(false));
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
    f.dm().LoadProgram("Tool");
    f.dm().sites().first();
    QVERIFY(f.dm().currentProgSiteRow());
    QCOMPARE(f.dm().currentProgSiteRow()->FileID, QString("A-17"));
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
    f.dm().AddProgram("Tool");
    f.dm().LoadProgram("Tool");
    RecordingMessageSink sink;
    QVERIFY(f.dm().ClearFlagsForAllSites("Published", "Quillet"));
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
    f.dm().AddProgram("Tool");
    f.dm().LoadProgram("Tool");
    RecordingMessageSink sink;
    QVERIFY(f.dm().ClearFlagsForAllSites("Submitted", "Quillet"));
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
    f.dm().AddProgram("Tool");
    f.dm().LoadProgram("Tool");
    RecordingMessageSink sink;
    sink.setNextAnswer(MessageSink::Answer::No);
    QVERIFY(!f.dm().ClearFlagsForAllSites("Submitted", "Quillet"));
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
    QCOMPARE(f.dm().ReplaceProgramAll("Nothing", "Else"), 0);
    QVERIFY(sink.messages.isEmpty());
    QCOMPARE(f.dm().ReplaceProgramAll("tool 1", "Tool 2"), 0);
    QCOMPARE(f.dm().ReplaceProgramAll("Tool 1", "Tool 2"), 2);
    QVERIFY(f.flagRow("Tool 1", "a").isEmpty());
    QCOMPARE(f.flagRow("Tool 2", "b").value("Published").toInt(), 1);
    QCOMPARE(f.flagRow("Tool 10", "a").value("Submitted").toInt(), 1);
    // A rename onto a program that already has a row for the site is refused whole.
    QVERIFY_THROWS_EXCEPTION(QuilletError, f.dm().ReplaceProgramAll("Tool 10", "Tool 2"));
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
