#include "CliRun.h"
#include "DataFixture.h"
#include "PageServer.h"

#include <QTest>

// The options of quillet-cli fill that the pages of today need: --settle for
// fields added after the fill, --preview, and the note on frames of other sites.
class TestFillOptions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void settleWaitsOutTheLateFieldWindow();
    void previewPrintsExactlyWhatTheFillChanges();
    void framesOfOtherSitesAreNotedOnStderr();
    void badSettleIsAUsageError();

private:
    // A program "Tool" 1.0 and "Other" 4.0 beta, the site "Demo Site" (with
    // an account) and the site "Plain" without any map.
    void prepare(DataFixture& f);
};

void TestFillOptions::initTestCase()
{
    QVERIFY(QFile::exists(qEnvironmentVariable("QUILLET_BIN_DIR") + "/quillet-cli"));
}

void TestFillOptions::prepare(DataFixture& f)
{
    f.open();
    f.addSite("Demo Site", {{"Username", "author"}, {"Password", "pw"}});
    f.addSite("Plain");
    f.properties()[14].setValue("Tool");
    f.properties()[15].setValue("1.0");
    f.properties()[25].setValue("Shareware");
    f.properties()[26].setValue("Linux");
    f.dm().saveProgram("Tool");
    f.properties()[14].setValue("Other");
    f.properties()[15].setValue("4.0 beta");
    f.properties()[25].setValue("Freeware");
    f.properties()[26].setValue("Windows");
    f.dm().saveProgram("Other");
    f.close();
}

void TestFillOptions::settleWaitsOutTheLateFieldWindow()
{
    DataFixture f;
    prepare(f);
    f.dir.writeFile("SiteData/Demo Site.xml",
        "<XML_SITE_SUBMIT_INFO><CONTROL Name=\"title\" Type=\"text\" DataField=\"Program\"/>"
        "<CONTROL Name=\"version\" Type=\"text\" DataField=\"Version\"/></XML_SITE_SUBMIT_INFO>\r\n");
    const QString page = testDataPath("formfill/late.html");

    // Printed at once: the second step has not arrived yet.
    CliResult result = runCliProcess(
        {"--dir", f.dir.path(), "fill", page, "--site", "Demo Site", "--program", "Tool", "--settle", "0"});
    QCOMPARE(result.err, QString());
    QCOMPARE(result.code, 0);
    QCOMPARE(result.lines(), QStringList({R"({"key": "title", "type": "text", "value": "Tool"})"}));

    // By default the window of an auto fill is waited out, and the step that
    // came half a second after the load is filled.
    result = runCliProcess({"--dir", f.dir.path(), "fill", page, "--site", "Demo Site", "--program", "Tool"});
    QCOMPARE(result.code, 0);
    QCOMPARE(result.lines(),
        QStringList({R"({"key": "title", "type": "text", "value": "Tool"})",
            R"({"key": "version", "type": "text", "value": "1.0"})",
            R"({"key": "agreeyes", "type": "checkbox", "value": "yes", "checked": false})"}));
}

void TestFillOptions::previewPrintsExactlyWhatTheFillChanges()
{
    DataFixture f;
    prepare(f);
    const QString page = testDataPath("cli/submit.html");
    CliResult result
        = runCliProcess({"--dir", f.dir.path(), "capture", page, "--site", "Demo Site", "--program", "Tool"});
    QCOMPARE(result.code, 0);
    const QByteArray map = f.dir.readFile("SiteData/Demo Site.xml");
    const QByteArray values = f.dir.readFile("SiteData/ToolDemo Site.ini");

    const CliResult preview = runCliProcess(
        {"--dir", f.dir.path(), "fill", page, "--site", "Demo Site", "--program", "Other", "--preview"});
    QCOMPARE(preview.err, QString());
    QCOMPARE(preview.code, 0);
    QCOMPARE(preview.lines(),
        QStringList({R"({"key": "prog_name", "type": "text", "value": "Other"})",
            R"({"key": "version", "type": "text", "value": "4.0 beta"})",
            R"({"key": "osLinux", "type": "checkbox", "value": "Linux", "checked": false})",
            R"({"key": "license", "type": "select-one", "value": "", "selected": []})"}));

    // The page as it is, from a site without a map, and as the fill leaves it.
    const QStringList before
        = runCliProcess({"--dir", f.dir.path(), "fill", page, "--site", "Plain", "--program", "Other"}).lines();
    const QStringList after = runCliProcess(
        {"--dir", f.dir.path(), "fill", page, "--site", "Demo Site", "--program", "Other", "--settle", "0"})
                                  .lines();
    QCOMPARE(after.size(), before.size());
    QStringList changed;
    for (qsizetype i = 0; i < after.size(); ++i) {
        if (after.at(i) != before.at(i))
            changed << after.at(i);
    }
    QCOMPARE(changed, preview.lines());
    // Neither the preview nor the fill writes a file.
    QCOMPARE(f.dir.readFile("SiteData/Demo Site.xml"), map);
    QCOMPARE(f.dir.readFile("SiteData/ToolDemo Site.ini"), values);
    QVERIFY(!QFile::exists(f.dir.file("SiteData/OtherDemo Site.ini")));

    // Without a map there is nothing the fill would change.
    result = runCliProcess({"--dir", f.dir.path(), "fill", page, "--site", "Plain", "--program", "Other", "--preview"});
    QCOMPARE(result.code, 0);
    QCOMPARE(result.out, QString());
}

void TestFillOptions::framesOfOtherSitesAreNotedOnStderr()
{
    PageServer server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    DataFixture f;
    prepare(f);
    const QString page = server.url("frames-top.html").toString();
    CliResult result
        = runCliProcess({"--dir", f.dir.path(), "capture", page, "--site", "Demo Site", "--program", "Tool"});
    QCOMPARE(result.code, 0);
    QCOMPARE(result.out, QString("Form saved\n"));
    QCOMPARE(result.err, QString("1 frame of another site was not read\n"));
    // The controls of the frame of the same site are recorded at its place.
    QVERIFY(f.dir.readFile("SiteData/Demo Site.xml")
                .contains(R"(<CONTROL Name="before" Type="text" DataField=""/><CONTROL Name="inner1" Type="text")"));

    result = runCliProcess(
        {"--dir", f.dir.path(), "fill", page, "--site", "Demo Site", "--program", "Tool", "--settle", "0"});
    QCOMPARE(result.code, 0);
    QCOMPARE(result.err, QString("1 frame of another site was not read\n"));
    QCOMPARE(result.lines().size(), 5);
}

void TestFillOptions::badSettleIsAUsageError()
{
    DataFixture f;
    prepare(f);
    const QString page = testDataPath("cli/submit.html");
    for (const QString& bad : {QString("-1"), QString("soon"), QString("")}) {
        const CliResult result = runCliProcess(
            {"--dir", f.dir.path(), "fill", page, "--site", "Demo Site", "--program", "Tool", "--settle", bad});
        QCOMPARE(result.code, 2);
        QCOMPARE(result.err, QString("fill: --settle takes a number of milliseconds, 0 or more\n"));
        QCOMPARE(result.out, QString());
    }
}

QTEST_GUILESS_MAIN(TestFillOptions)
#include "TestFillOptions.moc"
