#include "DataFixture.h"
#include "QuilletError.h"
#include "SiteListMerge.h"
#include "SiteListReader.h"
#include "Sql.h"

#include "ZipExtractor.h"
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

#include <sys/stat.h>
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

// Writes a zip archive with one member that is a symbolic link to target.
void writeLinkZip(const QString& path, const QByteArray& name, const QByteArray& target)
{
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    QVERIFY(archive);
    void* copy = malloc(size_t(target.size()));
    memcpy(copy, target.constData(), size_t(target.size()));
    zip_source_t* source = zip_source_buffer(archive, copy, zip_uint64_t(target.size()), 1);
    const zip_int64_t index = zip_file_add(archive, name.constData(), source, ZIP_FL_OVERWRITE);
    QVERIFY(index >= 0);
    QCOMPARE(
        zip_file_set_external_attributes(archive, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX, (S_IFLNK | 0777) << 16), 0);
    QCOMPARE(zip_close(archive), 0);
}

// Every file of folder, relative, sorted; links are marked with "->".
QStringList filesIn(const QString& folder)
{
    QStringList files;
    QDirIterator it(
        folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.append(QDir(folder).relativeFilePath(path) + (QFileInfo(path).isSymLink() ? "->" : ""));
    }
    files.sort();
    return files;
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
    void onlySiteListFilesAreExtracted();
    void membersOutsideSiteDataAreNeitherTakenNorWritten_data();
    void membersOutsideSiteDataAreNeitherTakenNorWritten();
    void authorsTemplateIsKeptWhenTheListReplacesIt();
    void folderNamedLikeTheListDoesNotBlockLaterMerges();
    void linksAreReplacedNeverWrittenThrough();
    void linkMembersAreNotCreated();
    void sizesAreCountedWhileInflating();
    void namelessLineIsOneSite();
    void tableWithoutNameKeyIsMergedToo();
    void linesAreDecodedOneByOne();
    void overlongLineRollsBack();
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

void TestSiteListMerge::onlySiteListFilesAreExtracted()
{
    DataFixture f;
    f.open();
    f.addSite("Mine", {{"Username", "me"}, {"Password", "secret"}});
    f.dm().addProgram("Tool");
    f.close();
    const QByteArray settings = "[EMail]\nHostAddress=smtp.example.test\n";
    f.dir.writeFile("quillet.ini", settings);
    f.dir.writeFile("companies.ini", "[Acme]\nCity=Springfield\n");
    f.dir.writeFile("SiteData/ToolMine.ini", "[name]\nValue=typed\n");
    // (Sites.DAT takes the merge; its rows are checked below.)
    QHash<QString, QByteArray> before;
    for (const char* name : {"Programs.DAT", "ProgSite.DAT", "quillet.ini", "companies.ini", "SiteData/ToolMine.ini"})
        before.insert(QString::fromLatin1(name), f.dir.readFile(QString::fromLatin1(name)));
    f.open();
    // An archive that tries to replace every file of the program directory.
    writeZip(f.dir.file("sites.zip"),
        {{"sites.csv", "Listed,http://l/\n"}, {"SiteData/Listed.xml", "<map/>"}, {"SiteData/EmailTemplate.txt", "Hi"},
            {"Deutsch.lng", "[Translations]\n"}, {"Sites.DAT", "gone"}, {"Programs.DAT", "gone"},
            {"ProgSite.DAT", "gone"}, {"quillet.ini", "[EMail]\nHostAddress=evil.test\n"},
            {"companies.ini", "[Evil]\n"}, {"SiteData/ToolMine.ini", "[name]\nValue=evil\n"},
            {"SiteData/deeper/Listed.xml", "<map/>"}, {"Deutsch.lng.exe", "x"}, {"tool.sh", "x"},
            {"SiteData/.xml", "x"}, {"sites.csv.bak", "x"}, {"Sites.csv", "Evil,http://e/\n"}});
    RecordingMessageSink sink;
    QVERIFY(f.dm().updateSites());
    QCOMPARE(sink.messages.size(), 1);
    QCOMPARE(sink.messages.first().title, QString("Extract Error"));
    QStringList skipped;
    for (const char* name :
        {"Sites.DAT", "Programs.DAT", "ProgSite.DAT", "quillet.ini", "companies.ini", "SiteData/ToolMine.ini",
            "SiteData/deeper/Listed.xml", "Deutsch.lng.exe", "tool.sh", "SiteData/.xml", "sites.csv.bak", "Sites.csv"})
        skipped.append(QString::fromLatin1(name) + " (not a file a site list may bring)");
    QCOMPARE(sink.messages.first().text, "Could not extract: " + skipped.join(", "));
    f.close();
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        QCOMPARE(f.dir.readFile(it.key()), it.value());
    QCOMPARE(f.dir.readFile("SiteData/Listed.xml"), QByteArray("<map/>"));
    QCOMPARE(f.dir.readFile("SiteData/EmailTemplate.txt"), QByteArray("Hi"));
    QCOMPARE(f.dir.readFile("Deutsch.lng"), QByteArray("[Translations]\n"));
    f.open();
    QCOMPARE(f.visibleSites(), QStringList({"Listed", "Mine"}));
    QCOMPARE(f.siteRow("Mine").value("Password").toString(), QString("secret"));
}

void TestSiteListMerge::membersOutsideSiteDataAreNeitherTakenNorWritten_data()
{
    QTest::addColumn<QString>("member");
    QTest::addColumn<bool>("taken");
    QTest::newRow("form map in another folder") << "Elsewhere/Evil.xml" << false;
    QTest::newRow("text in another folder") << "Help/x.txt" << false;
    QTest::newRow("folder named like SiteData") << "SiteDataX/Evil.xml" << false;
    QTest::newRow("lower-case folder") << "sitedata/Evil.txt" << false;
    QTest::newRow("form map") << "SiteData/Good.xml" << true;
    QTest::newRow("template") << "SiteData/Good.txt" << true;
}

void TestSiteListMerge::membersOutsideSiteDataAreNeitherTakenNorWritten()
{
    QFETCH(QString, member);
    QFETCH(bool, taken);
    QCOMPARE(SiteListMerge::isSiteListMember(member), taken);
    DataFixture f;
    f.open();
    writeZip(f.dir.file("sites.zip"), {{"sites.csv", "Listed,http://l/\n"}, {member.toUtf8(), "payload"}});
    RecordingMessageSink sink;
    QVERIFY(f.dm().updateSites());
    QCOMPARE(QFileInfo::exists(f.dir.file(member)), taken);
    // A member not taken is named in the one message; one taken is not.
    const QString said = sink.messages.isEmpty() ? QString() : sink.messages.first().text;
    QCOMPARE(said.contains(member + " (not a file a site list may bring)"), !taken);
}

void TestSiteListMerge::authorsTemplateIsKeptWhenTheListReplacesIt()
{
    DataFixture f;
    f.open();
    f.dir.writeFile("SiteData/EmailTemplate.txt", "My own words\r\n%Program%\r\n");
    f.dir.writeFile("SiteData/SameEmailTemplate.txt", "Same\r\n");
    writeZip(f.dir.file("sites.zip"),
        {{"sites.csv", "Listed,http://l/\n"}, {"SiteData/EmailTemplate.txt", "Server words\r\n"},
            {"SiteData/SameEmailTemplate.txt", "Same\r\n"}, {"SiteData/NewEmailTemplate.txt", "New\r\n"}});
    RecordingMessageSink sink;
    QVERIFY(f.dm().updateSites());
    QCOMPARE(f.dir.readFile("SiteData/EmailTemplate.txt"), QByteArray("Server words\r\n"));
    const QStringList copies = QDir(f.dir.file("SiteData")).entryList({"*.local-*"}, QDir::Files | QDir::Hidden);
    // Only the template that differed is kept: not the same one, not the new one.
    QCOMPARE(copies.size(), 1);
    QVERIFY(QRegularExpression("^EmailTemplate\\.txt\\.local-\\d{8}-\\d{6}$").match(copies.first()).hasMatch());
    const QString copy = f.dir.file("SiteData/" + copies.first());
    QCOMPARE(f.dir.readFile("SiteData/" + copies.first()), QByteArray("My own words\r\n%Program%\r\n"));
    struct stat status { };
    QCOMPARE(::stat(QFile::encodeName(copy).constData(), &status), 0);
    QCOMPARE(status.st_mode & 0777, 0600u);
    QCOMPARE(sink.messages.size(), 1);
    QVERIFY(sink.messages.first().text.contains(copies.first()));
}

void TestSiteListMerge::folderNamedLikeTheListDoesNotBlockLaterMerges()
{
    DataFixture f;
    f.open();
    // An archive whose "sites.csv" is a folder, with a file in it.
    writeZip(f.dir.file("sites.zip"), {{"sites.csv/", ""}, {"sites.csv/inner.csv", "Inner,http://i/\n"}});
    RecordingMessageSink sink;
    QVERIFY_THROWS_EXCEPTION(QuilletError, f.dm().updateSites());
    QVERIFY(!QFileInfo::exists(f.dir.file("sites.csv")));
    // A folder left by an earlier version goes as well, when empty.
    QVERIFY(QDir().mkdir(f.dir.file("sites.csv")));
    writeZip(f.dir.file("sites.zip"), {{"sites.csv", "Later,http://l/\n"}});
    QVERIFY(f.dm().updateSites());
    QCOMPARE(f.visibleSites(), QStringList({"Later"}));
    QVERIFY(!QFileInfo::exists(f.dir.file("sites.csv")));
}

void TestSiteListMerge::linksAreReplacedNeverWrittenThrough()
{
    TestProgramDirectory outside;
    outside.writeFile("victim.lng", "precious");
    outside.writeFile("victim.xml", "precious");
    QVERIFY(QDir().mkdir(outside.file("folder")));
    DataFixture f;
    f.open();
    QVERIFY(QFile::link(outside.file("victim.lng"), f.dir.file("Deutsch.lng")));
    QVERIFY(QDir().mkdir(f.dir.file("SiteData")));
    QVERIFY(QFile::link(outside.file("victim.xml"), f.dir.file("SiteData/Listed.xml")));
    // A stale list that is a link is removed, not followed.
    QVERIFY(QFile::link(outside.file("victim.lng"), f.dir.file("sites.csv")));
    writeZip(f.dir.file("sites.zip"),
        {{"sites.csv", "Listed,http://l/\n"}, {"Deutsch.lng", "[Translations]\n"}, {"SiteData/Listed.xml", "<map/>"}});
    QVERIFY(f.dm().updateSites());
    QCOMPARE(outside.readFile("victim.lng"), QByteArray("precious"));
    QCOMPARE(outside.readFile("victim.xml"), QByteArray("precious"));
    QVERIFY(!QFileInfo(f.dir.file("Deutsch.lng")).isSymLink());
    QCOMPARE(f.dir.readFile("Deutsch.lng"), QByteArray("[Translations]\n"));
    QVERIFY(!QFileInfo(f.dir.file("SiteData/Listed.xml")).isSymLink());
    QCOMPARE(f.dir.readFile("SiteData/Listed.xml"), QByteArray("<map/>"));

    // SiteData itself a link to a folder elsewhere: nothing goes into it.
    QVERIFY(QDir(f.dir.file("SiteData")).removeRecursively());
    QVERIFY(QFile::link(outside.file("folder"), f.dir.file("SiteData")));
    writeZip(f.dir.file("sites.zip"), {{"sites.csv", "Listed,http://l/\n"}, {"SiteData/Listed.xml", "<map/>"}});
    RecordingMessageSink sink;
    QVERIFY(f.dm().updateSites());
    QCOMPARE(sink.texts(), QStringList({"Could not extract: SiteData/Listed.xml (the folder SiteData is a link)"}));
    QCOMPARE(filesIn(outside.file("folder")), QStringList());
}

void TestSiteListMerge::linkMembersAreNotCreated()
{
    DataFixture f;
    f.open();
    writeLinkZip(f.dir.file("sites.zip"), "Deutsch.lng", "/etc/passwd");
    RecordingMessageSink sink;
    QVERIFY_THROWS_EXCEPTION(QuilletError, f.dm().updateSites());
    QCOMPARE(sink.texts(), QStringList({"Could not extract: Deutsch.lng (a link)"}));
    for (const QString& file : filesIn(f.dir.path()))
        QVERIFY2(!file.endsWith("->"), qPrintable(file));
    QVERIFY(!QFileInfo::exists(f.dir.file("Deutsch.lng")));
}

void TestSiteListMerge::sizesAreCountedWhileInflating()
{
    TestProgramDirectory dir;
    const QString archive = dir.file("list.zip");
    const auto accept = [](const QString&) { return true; };
    ZipExtractor::Limits limits;
    limits.memberBytes = 1000;
    limits.totalBytes = 1500;

    // Honest headers: one member too large, then the whole archive too large.
    writeZip(archive,
        {{"a.txt", QByteArray(600, 'a')}, {"big.txt", QByteArray(5000, 'b')}, {"c.txt", QByteArray(600, 'c')},
            {"d.txt", QByteArray(600, 'd')}});
    ZipExtractor::Result result = ZipExtractor::extract(archive, dir.path(), accept, limits);
    QCOMPARE(result.extracted, QStringList({"a.txt", "c.txt"}));
    QCOMPARE(result.skipped.size(), 2);
    QCOMPARE(result.skipped.at(0).name, QString("big.txt"));
    QCOMPARE(result.skipped.at(0).reason, QString("larger than 1000 bytes"));
    QCOMPARE(result.skipped.at(1).name, QString("d.txt"));
    QCOMPARE(result.skipped.at(1).reason, QString("the archive unpacks to more than 1500 bytes"));
    QVERIFY(!QFileInfo::exists(dir.file("big.txt")));
    QVERIFY(!QFileInfo::exists(dir.file("d.txt")));

    // A header that claims 100 bytes for a member that inflates to 50,000.
    writeZip(archive, {{"liar.txt", QByteArray(50000, 'x')}});
    QByteArray bytes = dir.readFile("list.zip");
    const auto claim = [&](qsizetype at) {
        bytes[at] = 100;
        bytes[at + 1] = 0;
        bytes[at + 2] = 0;
        bytes[at + 3] = 0;
    };
    claim(22);                               // local header: uncompressed size
    claim(bytes.indexOf("PK\x01\x02") + 24); // central directory: uncompressed size
    dir.writeFile("list.zip", bytes);
    result = ZipExtractor::extract(archive, dir.path(), accept, limits);
    QVERIFY(result.extracted.isEmpty());
    QCOMPARE(result.skipped.size(), 1);
    QCOMPARE(result.skipped.first().reason, QString("larger than 1000 bytes"));
    QVERIFY(!QFileInfo::exists(dir.file("liar.txt")));
    QCOMPARE(filesIn(dir.path()), QStringList({"a.txt", "c.txt", "list.zip"}));
}

void TestSiteListMerge::namelessLineIsOneSite()
{
    DataFixture f;
    f.open();
    for (int merge = 0; merge < 3; ++merge) {
        writeZip(f.dir.file("sites.zip"), {{"sites.csv", ",http://nameless/" + QByteArray::number(merge) + "\n"}});
        QVERIFY(f.dm().updateSites());
    }
    QCOMPARE(f.dm().rowCount(Table::Sites), 1);
    QCOMPARE(f.siteRow("").value("HomeUrl").toString(), QString("http://nameless/2"));
}

void TestSiteListMerge::tableWithoutNameKeyIsMergedToo()
{
    // A Sites table whose file has no key on the site name (not made by this
    // program): sites are updated by name all the same, never doubled.
    DataFixture f;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "nokey");
        db.setDatabaseName(f.dir.file("Sites.DAT"));
        QVERIFY(db.open());
        QStringList columns;
        for (const FieldDef& field : TableSchema::currentDefinition(Table::Sites).fields)
            columns.append(field.name + " " + field.type);
        Sql::exec(db, "CREATE TABLE Sites (" + columns.join(", ") + ")");
        Sql::exec(db, "PRAGMA user_version = 104");
        Sql::exec(db, "INSERT INTO Sites (SiteName, HomeUrl, Username) VALUES ('Kept', 'http://old/', 'me')");
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("nokey");
    }
    f.open();
    writeZip(f.dir.file("sites.zip"), {{"sites.csv", "Kept,http://new/\nFresh,http://f/\n"}});
    QVERIFY(f.dm().updateSites());
    QCOMPARE(f.dm().rowCount(Table::Sites), 2);
    QCOMPARE(f.siteRow("Kept").value("HomeUrl").toString(), QString("http://new/"));
    QCOMPARE(f.siteRow("Kept").value("Username").toString(), QString("me"));
}

void TestSiteListMerge::linesAreDecodedOneByOne()
{
    DataFixture f;
    f.open();
    // One line in UTF-8, one in Windows-1252: each reads as written.
    writeZip(f.dir.file("sites.zip"), {{"sites.csv", "\xEF\xBB\xBFM\xC3\xBCller,http://m/\r\nCaf\xE9,http://c/\r\n"}});
    QVERIFY(f.dm().updateSites());
    QCOMPARE(f.visibleSites(), QStringList({QString::fromUtf8("Café"), QString::fromUtf8("Müller")}));
}

void TestSiteListMerge::overlongLineRollsBack()
{
    DataFixture f;
    f.open();
    f.addSite("Existing", {{"HomeUrl", "http://old/"}});
    QByteArray list = "Existing,http://changed/\nHuge,";
    list += QByteArray(SiteListReader::MaxLineBytes + 10, 'x');
    writeZip(f.dir.file("sites.zip"), {{"sites.csv", list}});
    RecordingMessageSink sink;
    QVERIFY(!f.dm().updateSites());
    QCOMPARE(sink.texts(), QStringList({"Line 2 of the site list is longer than 4194304 bytes"}));
    QCOMPARE(f.siteRow("Existing").value("HomeUrl").toString(), QString("http://old/"));
    QVERIFY(!QFile::exists(f.dir.file("sites.csv")));
}

QTEST_GUILESS_MAIN(TestSiteListMerge)
#include "TestSiteListMerge.moc"
