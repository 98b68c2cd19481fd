#include "DataFixture.h"
#include "QuilletError.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <zip.h>

namespace {

// Writes a zip archive holding the given members (name -> bytes).
void writeZip(const QString& path, const QList<QPair<QByteArray, QByteArray>>& members)
{
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    QVERIFY(archive);
    for (const auto& member : members) {
        void* copy = malloc(size_t(member.second.size()) + 1);
        memcpy(copy, member.second.constData(), size_t(member.second.size()));
        zip_source_t* source = zip_source_buffer(archive, copy, zip_uint64_t(member.second.size()), 1);
        QVERIFY(source);
        QVERIFY(zip_file_add(archive, member.first.constData(), source, ZIP_FL_OVERWRITE) >= 0);
    }
    QCOMPARE(zip_close(archive), 0);
}

QByteArray siteLine(const QByteArray& name,
    const QByteArray& rest
    = ",http://h/,http://s/,http://sub/,http://up/,notes,True,False,True,False,True,DE,7,x,y,False")
{
    return name + rest;
}

} // namespace

class TestSiteListMerge : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void noArchiveDoesNothing();
    void newSiteIsAddedWithDefaults();
    void existingSiteKeepsTheAuthorsData();
    void deadMarkedLineLeavesItsRowAlone();
    void quotingAndBooleans();
    void lineEndsAndWindows1252();
    void ratingWithLettersRollsBackEverything();
    void memberClimbingOutIsNotWritten();
    void damagedArchiveNeverMergesAnOldList();
    void missingListRaises();
};

void TestSiteListMerge::noArchiveDoesNothing()
{
    DataFixture f;
    f.open();
    f.dir.writeFile("sites.csv", siteLine("a"));
    RecordingMessageSink sink;
    QVERIFY(!f.dm().updateSites());
    QVERIFY(sink.messages.isEmpty());
    QVERIFY(QFile::exists(f.dir.file("sites.csv")));
    QCOMPARE(f.dm().rowCount(Table::Sites), 0);
}

void TestSiteListMerge::newSiteIsAddedWithDefaults()
{
    DataFixture f;
    f.open();
    writeZip(f.dir.file("sites.zip"), {{"sites.csv", siteLine("Newsite") + "\r\n" + "Unrated,http://u/\r\n"}});
    RecordingMessageSink sink;
    QVERIFY(f.dm().updateSites());
    QVERIFY2(sink.messages.isEmpty(), qPrintable(sink.texts().join('\n')));
    QVERIFY(!QFile::exists(f.dir.file("sites.zip")));
    QVERIFY(!QFile::exists(f.dir.file("sites.csv")));
    const QVariantMap row = f.siteRow("Newsite");
    QCOMPARE(row.value("HomeUrl").toString(), QString("http://h/"));
    QCOMPARE(row.value("SearchUrl").toString(), QString("http://s/"));
    QCOMPARE(row.value("SubmitUrl").toString(), QString("http://sub/"));
    QCOMPARE(row.value("UpdateUrl").toString(), QString("http://up/"));
    QCOMPARE(row.value("Notes").toString(), QString("notes"));
    QCOMPARE(row.value("VelmoraFriendly").toInt(), 1);
    QCOMPARE(row.value("Pad").toInt(), 0);
    QCOMPARE(row.value("AntiFreeSpeech").toInt(), 1);
    QCOMPARE(row.value("Ftp").toInt(), 0);
    QCOMPARE(row.value("PollsPAD").toInt(), 1);
    QCOMPARE(row.value("CountryCode").toString(), QString("DE"));
    QCOMPARE(row.value("Rating").toInt(), 7);
    QCOMPARE(row.value("Dead").toInt(), 0);
    QCOMPARE(row.value("Hide").toInt(), 0);
    QVERIFY(row.value("Username").toString().isEmpty());
    QVERIFY(row.value("EMail").isNull());
    // A short line: missing fields are empty and false, no rating.
    const QVariantMap unrated = f.siteRow("Unrated");
    QVERIFY(unrated.value("Rating").isNull());
    QCOMPARE(unrated.value("VelmoraFriendly").toInt(), 0);
    QCOMPARE(unrated.value("Notes").toString(), QString());
    // The cursor shows the new rows under the filter in force.
    QCOMPARE(f.visibleSites(), QStringList({"Newsite", "Unrated"}));
    QVERIFY(f.dm().sites().isFiltered());
}

void TestSiteListMerge::existingSiteKeepsTheAuthorsData()
{
    DataFixture f;
    f.open();
    f.addSite("Kept",
        {{"HomeUrl", "http://old/"}, {"Username", "me"}, {"Password", "pw"}, {"UserNotes", "mine"}, {"Hide", 1},
            {"EMail", "ed@kept.test"}, {"Dead", 1}, {"Rating", 2}, {"Notes", "old notes"}});
    f.addSite("NotInList", {{"HomeUrl", "http://stay/"}, {"Rating", 1}});
    f.addFlags("Tool", "Kept", {{"Submitted", 1}});
    writeZip(f.dir.file("sites.zip"), {{"sites.csv", "Kept,http://new/,,,,,False,False,False,False,False,,,,,\n"}});
    QVERIFY(f.dm().updateSites());
    const QVariantMap row = f.siteRow("Kept");
    QCOMPARE(row.value("HomeUrl").toString(), QString("http://new/"));
    // Empty fields of the list overwrite too.
    QCOMPARE(row.value("Notes").toString(), QString());
    QVERIFY(row.value("Rating").isNull());
    // Back to life, still hidden, account and mail address untouched.
    QCOMPARE(row.value("Dead").toInt(), 0);
    QCOMPARE(row.value("Hide").toInt(), 1);
    QCOMPARE(row.value("Username").toString(), QString("me"));
    QCOMPARE(row.value("Password").toString(), QString("pw"));
    QCOMPARE(row.value("UserNotes").toString(), QString("mine"));
    QCOMPARE(row.value("EMail").toString(), QString("ed@kept.test"));
    QCOMPARE(f.siteRow("NotInList").value("HomeUrl").toString(), QString("http://stay/"));
    QCOMPARE(f.flagRow("Tool", "Kept").value("Submitted").toInt(), 1);
    QCOMPARE(f.visibleSites(), QStringList({"NotInList"}));
}

void TestSiteListMerge::deadMarkedLineLeavesItsRowAlone()
{
    DataFixture f;
    f.open();
    f.addSite("Gone", {{"HomeUrl", "http://was/"}, {"Rating", 3}, {"Dead", 0}});
    const QVariantMap before = f.siteRow("Gone");
    writeZip(f.dir.file("sites.zip"),
        {{"sites.csv",
            siteLine("Gone", ",http://new/,,,,,True,True,True,True,True,US,9,,,True") + "\n"
                + siteLine("NeverAdded", ",http://n/,,,,,,,,,,,,,,True")}});
    QVERIFY(f.dm().updateSites());
    QCOMPARE(f.siteRow("Gone"), before);
    QVERIFY(f.siteRow("NeverAdded").isEmpty());
}

void TestSiteListMerge::quotingAndBooleans()
{
    DataFixture f;
    f.open();
    writeZip(f.dir.file("sites.zip"),
        {{"sites.csv",
            "\"Comma, Inc\",http://c/,,,,\"Reviews, fast\",true,TRUE,True,,,,\"5\"\n"
            "Spaced,http://s/,,,, \"keeps quotes\",,,,,,, 4 \n"}});
    QVERIFY(f.dm().updateSites());
    const QVariantMap comma = f.siteRow("Comma, Inc");
    QCOMPARE(comma.value("Notes").toString(), QString("Reviews, fast"));
    QCOMPARE(comma.value("VelmoraFriendly").toInt(), 0);
    QCOMPARE(comma.value("Pad").toInt(), 0);
    QCOMPARE(comma.value("AntiFreeSpeech").toInt(), 1);
    QCOMPARE(comma.value("Rating").toInt(), 5);
    const QVariantMap spaced = f.siteRow("Spaced");
    QCOMPARE(spaced.value("Notes").toString(), QString("\"keeps quotes\""));
    QCOMPARE(spaced.value("Rating").toInt(), 4);
}

void TestSiteListMerge::lineEndsAndWindows1252()
{
    DataFixture f;
    f.open();
    writeZip(
        f.dir.file("sites.zip"), {{"sites.csv", "One,http://1/\rTwo,http://2/\nThr\xe9\x65,http://3/,,,,Caf\xe9\r\n"}});
    QVERIFY(f.dm().updateSites());
    QCOMPARE(f.visibleSites(), QStringList({"One", QString::fromUtf8("Thrée"), "Two"}));
    QCOMPARE(f.siteRow(QString::fromUtf8("Thrée")).value("Notes").toString(), QString::fromUtf8("Café"));
}

void TestSiteListMerge::ratingWithLettersRollsBackEverything()
{
    DataFixture f;
    f.open();
    f.addSite("Existing", {{"HomeUrl", "http://old/"}});
    writeZip(f.dir.file("sites.zip"),
        {{"sites.csv", "Existing,http://changed/\nFresh,http://f/\nBad,http://b/,,,,,,,,,,,five\n"}});
    RecordingMessageSink sink;
    QVERIFY(!f.dm().updateSites());
    QCOMPARE(sink.texts(), QStringList({"'five' is not a valid integer value"}));
    QCOMPARE(f.siteRow("Existing").value("HomeUrl").toString(), QString("http://old/"));
    QVERIFY(f.siteRow("Fresh").isEmpty());
    QCOMPARE(f.dm().rowCount(Table::Sites), 1);
    QVERIFY(!QFile::exists(f.dir.file("sites.zip")));
    QVERIFY(!QFile::exists(f.dir.file("sites.csv")));
    QVERIFY(f.dm().sites().isFiltered());
}

void TestSiteListMerge::memberClimbingOutIsNotWritten()
{
    TestProgramDirectory outer;
    DataFixture f;
    f.open();
    const QString escapeName = "../" + QDir(f.dir.path()).dirName() + "-escaped.txt";
    writeZip(f.dir.file("sites.zip"),
        {{"sites.csv", "Safe,http://s/\n"}, {escapeName.toUtf8(), "evil"}, {"/tmp/quillet-absolute-member.txt", "evil"},
            {"SiteData/General.xml", "<XML_SITE_SUBMIT_INFO></XML_SITE_SUBMIT_INFO>\r\n"}});
    RecordingMessageSink sink;
    QVERIFY(f.dm().updateSites());
    // Every member left out is named in one message.
    QCOMPARE(sink.messages.size(), 1);
    QCOMPARE(sink.messages.at(0).title, QString("Extract Error"));
    QCOMPARE(sink.messages.at(0).text,
        "Could not extract: " + escapeName
            + " (outside the program directory), /tmp/quillet-absolute-member.txt (outside the program directory)");
    QVERIFY(!QFile::exists(QDir(f.dir.path()).absoluteFilePath(escapeName)));
    QVERIFY(!QFile::exists("/tmp/quillet-absolute-member.txt"));
    QVERIFY(QFile::exists(f.dir.file("SiteData/General.xml")));
    QCOMPARE(f.visibleSites(), QStringList({"Safe"}));
}

void TestSiteListMerge::damagedArchiveNeverMergesAnOldList()
{
    DataFixture f;
    f.open();
    f.addSite("Kept", {{"HomeUrl", "http://kept/"}});
    f.dir.writeFile("sites.zip", "PK\x03\x04 this is not really a zip archive");
    // A list left by an interrupted merge is not the list of this archive.
    f.dir.writeFile("sites.csv", "Leftover,http://l/\n");
    RecordingMessageSink sink;
    QVERIFY_THROWS_EXCEPTION(QuilletError, f.dm().updateSites());
    QCOMPARE(sink.messages.size(), 1);
    QCOMPARE(sink.messages.first().title, QString("Extract Error"));
    QCOMPARE(sink.messages.first().text, "Could not extract: " + f.dir.file("sites.zip"));
    QVERIFY(!QFile::exists(f.dir.file("sites.zip")));
    QVERIFY(!QFile::exists(f.dir.file("sites.csv")));
    QCOMPARE(f.visibleSites(), QStringList({"Kept"}));
    QVERIFY(f.dm().sites().isFiltered());
}

void TestSiteListMerge::missingListRaises()
{
    DataFixture f;
    f.open();
    writeZip(f.dir.file("sites.zip"), {{"readme.txt", "no list here"}});
    RecordingMessageSink sink;
    QVERIFY_THROWS_EXCEPTION(QuilletError, f.dm().updateSites());
    QVERIFY(!QFile::exists(f.dir.file("sites.zip")));
    // A file no site list brings is not extracted; the message names it.
    QVERIFY(!QFile::exists(f.dir.file("readme.txt")));
    QCOMPARE(sink.texts(), QStringList({"Could not extract: readme.txt (not a file a site list may bring)"}));
    QVERIFY(f.dm().sites().isFiltered());
}

QTEST_GUILESS_MAIN(TestSiteListMerge)
#include "TestSiteListMerge.moc"
