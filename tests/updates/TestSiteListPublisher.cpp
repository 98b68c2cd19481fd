#include "DataFixture.h"
#include "Helpers.h"
#include "IniDocument.h"
#include "QuilletError.h"
#include "SiteListCsv.h"
#include "SiteListPublisher.h"
#include "Sql.h"
#include "TestSupport.h"
#include "UpdateManifest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <zip.h>

namespace {

const QStringList kCentralFields {"HomeUrl", "SearchUrl", "SubmitUrl", "UpdateUrl", "Notes", "VelmoraFriendly", "Pad",
    "AntiFreeSpeech", "Ftp", "PollsPAD", "CountryCode", "Rating", "Dead"};

// The members of a zip archive file, name -> bytes.
QMap<QString, QByteArray> membersOf(const QString& path)
{
    QMap<QString, QByteArray> members;
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!archive)
        return members;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, zip_uint64_t(i), 0, &stat);
        QByteArray bytes(qsizetype(stat.size), Qt::Uninitialized);
        zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(i), 0);
        zip_fread(file, bytes.data(), stat.size);
        zip_fclose(file);
        members.insert(QString::fromUtf8(stat.name), bytes);
    }
    zip_close(archive);
    return members;
}

// Publishes source's sites into folder and merges the archive into target with the real merge.
bool mergeInto(DataFixture& target, const QString& folder)
{
    QFile::remove(target.dir.file("sites.zip"));
    if (!QFile::copy(folder + "/members/sites.zip", target.dir.file("sites.zip")))
        return false;
    return target.dm().updateSites();
}

} // namespace

class TestSiteListPublisher : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void versionNumbersAsManifestsWriteThem_data();
    void versionNumbersAsManifestsWriteThem();
    void fieldsAsTheReaderTakesThem_data();
    void fieldsAsTheReaderTakesThem();
    void hostileTextsRoundTripThroughTheMerge();
    void everyRowWithItsMarksAndNoneOfTheAuthorsData();
    void manifestAndArchive();
    void emptyTablePublishesAnEmptyList();
    void damagedRatingPublishesNothing();
    void failedWriteLeavesTheEarlierFiles();
    void linksAreReplacedNeverWrittenThrough();
};

void TestSiteListPublisher::versionNumbersAsManifestsWriteThem_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    const double unset = -1;
    QTest::newRow("point") << "C"
                           << "3.21" << 3.21;
    QTest::newRow("blanks") << "C"
                            << "  2.5 " << 2.5;
    QTest::newRow("integer") << "C"
                             << "4" << 4.0;
    QTest::newRow("comma, point locale") << "C"
                                         << "3,21" << unset;
    QTest::newRow("letters") << "C"
                             << "abc" << unset;
    QTest::newRow("trailing letters") << "C"
                                      << "3.2a" << unset;
    QTest::newRow("empty") << "C"
                           << "" << unset;
    QTest::newRow("infinity") << "C"
                              << "inf" << unset;
    QTest::newRow("nan") << "C"
                         << "nan" << unset;
    QTest::newRow("overflow") << "C"
                              << "1e999" << unset;
    QTest::newRow("hexadecimal") << "C"
                                 << "0x10" << unset;
    QTest::newRow("comma locale, comma") << "de_DE"
                                         << "3,21" << 3.21;
    QTest::newRow("comma locale, point") << "de_DE"
                                         << "3.21" << 3.21;
    // A point is never a group separator: 1.005 is not one thousand and five.
    QTest::newRow("comma locale, thousands") << "de_DE"
                                             << "1.005" << 1.005;
    QTest::newRow("comma locale, grouped") << "de_DE"
                                           << "1.005,5" << unset;
}

void TestSiteListPublisher::versionNumbersAsManifestsWriteThem()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(double, expected);
    QLocale::setDefault(QLocale(locale));
    const double number = UpdateManifest::parseNumber(text, -1);
    QLocale::setDefault(QLocale::c());
    QCOMPARE(number, expected);
    if (expected >= 0) // what a published manifest writes reads back the same
        QCOMPARE(UpdateManifest::parseNumber(UpdateManifest::fileText(number), -1), number);
}

void TestSiteListPublisher::fieldsAsTheReaderTakesThem_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("written");
    QTest::newRow("plain") << "http://a/"
                           << "http://a/";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("comma") << "a,b"
                           << "\"a,b\"";
    QTest::newRow("inner quote") << "say \"hi\" now"
                                 << "\"say \"\"hi\"\" now\"";
    QTest::newRow("quoted whole") << "\"a,b\""
                                  << "\"\"\"a,b\"\"\"";
    QTest::newRow("one quote") << "\""
                               << "\"\"\"\"\"\"";
    QTest::newRow("two quotes") << "\"\""
                                << "\"\"\"\"\"\"\"\"";
}

void TestSiteListPublisher::fieldsAsTheReaderTakesThem()
{
    QFETCH(QString, value);
    QFETCH(QString, written);
    QCOMPARE(SiteListCsv::field(value), written);
    // The merge's field reader gives the value back, between other fields too.
    const QString line = "x," + written + "," + written + ",y";
    QCOMPARE(getField(line, ',', 0), QString("x"));
    QCOMPARE(getField(line, ',', 1), value);
    QCOMPARE(getField(line, ',', 2), value);
    QCOMPARE(getField(line, ',', 3), QString("y"));
}

void TestSiteListPublisher::hostileTextsRoundTripThroughTheMerge()
{
    const QStringList texts {"plain", "a,b,c", "say \"hi\"", "\"starts", "ends\"", "\"", "\"\"", "\",\"", ",",
        "\"a,b\"", "Zürich – 東京 ✓", "tab\tinside", "  blanks around  ", "line\r\nbreaks\nof\revery kind",
        QString(20000, 'n') + ",\"" + QString(20000, 'q'), "True", "'single'"};
    DataFixture source;
    source.open();
    for (int i = 0; i < texts.size(); ++i) {
        source.addSite(QStringLiteral("Site %1").arg(i),
            {{"HomeUrl", texts[i]}, {"Notes", texts[i]}, {"CountryCode", texts[i]}, {"Rating", i}});
    }
    // A name that needs quoting is the key of its row all the same.
    source.addSite("Comma, \"Quote\" & Co", {{"Notes", "x"}});
    QTemporaryDir folder;
    const SiteListPublisher::Result result = SiteListPublisher(source.dm()).publish(folder.path(), 2, 3.2);
    QCOMPARE(result.sites, texts.size() + 1);
    QCOMPARE(result.changed,
        QStringList({"HomeUrl of site \"Site 12\"", "Notes of site \"Site 12\"", "CountryCode of site \"Site 12\"",
            "HomeUrl of site \"Site 13\"", "Notes of site \"Site 13\"", "CountryCode of site \"Site 13\""}));

    DataFixture target;
    target.open();
    RecordingMessageSink sink;
    QVERIFY(mergeInto(target, folder.path()));
    QVERIFY2(sink.messages.isEmpty(), qPrintable(sink.texts().join('\n')));
    QCOMPARE(target.dm().rowCount(Table::Sites), texts.size() + 1);
    for (int i = 0; i < texts.size(); ++i) {
        const QVariantMap row = target.siteRow(QStringLiteral("Site %1").arg(i));
        const QString expected = SiteListCsv::oneLine(texts[i]);
        QCOMPARE(row["HomeUrl"].toString(), expected);
        QCOMPARE(row["Notes"].toString(), expected);
        QCOMPARE(row["CountryCode"].toString(), expected);
        QCOMPARE(row["Rating"].toInt(), i);
    }
    QCOMPARE(SiteListCsv::oneLine("  blanks around  "), QString("blanks around"));
    QCOMPARE(SiteListCsv::oneLine("line\r\nbreaks\nof\revery kind"), QString("line breaks of every kind"));
    QCOMPARE(target.siteRow("Comma, \"Quote\" & Co")["Notes"].toString(), QString("x"));
}

void TestSiteListPublisher::everyRowWithItsMarksAndNoneOfTheAuthorsData()
{
    DataFixture source;
    source.open();
    source.addSite("Live",
        {{"HomeUrl", "http://live/"}, {"SearchUrl", "http://live/s"}, {"SubmitUrl", "http://live/sub"},
            {"UpdateUrl", "mailto:up@live"}, {"Notes", "n"}, {"VelmoraFriendly", 1}, {"Pad", 0}, {"AntiFreeSpeech", 1},
            {"Ftp", 0}, {"PollsPAD", 1}, {"CountryCode", "DE"}, {"Rating", 7}, {"Username", "my-user"},
            {"Password", "my-secret"}, {"UserNotes", "my notes"}, {"EMail", "me@example.org"}, {"Hide", 1}});
    source.addSite("Gone", {{"HomeUrl", "http://gone/"}, {"Dead", 1}});
    source.addSite("Unrated", {{"HomeUrl", "http://unrated/"}});
    // Hidden and dead rows are published although the site filter hides them.
    QCOMPARE(source.visibleSites(), QStringList {"Unrated"});

    SiteListPublisher::Result result;
    const QByteArray text = SiteListPublisher(source.dm()).siteList(result);
    QCOMPARE(result.sites, 3);
    QCOMPARE(result.dead, 1);
    QCOMPARE(text,
        QByteArray("Gone,http://gone/,,,,,False,False,False,False,False,,,,,True\r\n"
                   "Live,http://live/,http://live/s,http://live/sub,mailto:up@live,n,True,False,True,False,True,DE,7,,,"
                   "False\r\n"
                   "Unrated,http://unrated/,,,,,False,False,False,False,False,,,,,False\r\n"));

    QTemporaryDir folder;
    SiteListPublisher(source.dm()).publish(folder.path(), 2, 3.2);
    DataFixture target;
    target.open();
    target.addSite("Gone", {{"HomeUrl", "http://kept/"}, {"Dead", 1}, {"Username", "old"}});
    target.addSite("Live",
        {{"HomeUrl", "http://old/"}, {"Username", "theirs"}, {"Password", "pw"}, {"UserNotes", "their notes"},
            {"EMail", "them@example.org"}, {"Hide", 0}});
    QVERIFY(mergeInto(target, folder.path()));
    const QVariantMap live = target.siteRow("Live");
    const QVariantMap published = source.siteRow("Live");
    for (const QString& field : kCentralFields)
        QCOMPARE(live[field], published[field]);
    QCOMPARE(live["Username"].toString(), QString("theirs"));
    QCOMPARE(live["Password"].toString(), QString("pw"));
    QCOMPARE(live["UserNotes"].toString(), QString("their notes"));
    QCOMPARE(live["EMail"].toString(), QString("them@example.org"));
    QCOMPARE(live["Hide"].toInt(), 0);
    // A dead site is left as the target had it.
    QCOMPARE(target.siteRow("Gone")["HomeUrl"].toString(), QString("http://kept/"));
    QVERIFY(target.siteRow("Unrated")["Rating"].isNull());
}

void TestSiteListPublisher::manifestAndArchive()
{
    DataFixture source;
    source.open();
    source.addSite("One", {{"HomeUrl", "http://one/"}});
    QTemporaryDir parent;
    const QString folder = parent.filePath("not/yet/there");
    const SiteListPublisher::Result result = SiteListPublisher(source.dm()).publish(folder, 1.25, 3.21);
    QCOMPARE(result.manifestFile, folder + "/download/quilletver.ini");
    QCOMPARE(result.archiveFile, folder + "/members/sites.zip");
    QFile manifest(result.manifestFile);
    QVERIFY(manifest.open(QIODevice::ReadOnly));
    QCOMPARE(manifest.readAll(), QByteArray("[Versions]\nQuilletVer=3.21\nSitesVer=1.25\n"));
    const QMap<QString, QByteArray> members = membersOf(result.archiveFile);
    QCOMPARE(members.keys(), QStringList {"sites.csv"});
    QCOMPARE(members["sites.csv"], QByteArray("One,http://one/,,,,,False,False,False,False,False,,,,,False\r\n"));
    // Nothing else lands in the folder: no temporary files are left behind.
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList({"download", "members"}));
    QCOMPARE(QDir(folder + "/members").entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList {"sites.zip"});
}

void TestSiteListPublisher::linksAreReplacedNeverWrittenThrough()
{
    DataFixture source;
    source.open();
    source.addSite("One", {{"HomeUrl", "http://one/"}});
    TestProgramDirectory parent;
    const QString folder = parent.file("served");
    QVERIFY(QDir().mkpath(folder + "/download"));
    // A members folder that is a link to a folder elsewhere, holding a file
    // of its own, and the manifest's name a link to a file elsewhere.
    parent.writeFile("elsewhere/members/sites.zip", "theirs");
    parent.writeFile("elsewhere/notes.ini", "keep me");
    QVERIFY(QFile::link(parent.file("elsewhere/members"), folder + "/members"));
    QVERIFY(QFile::link(parent.file("elsewhere/notes.ini"), folder + "/download/quilletver.ini"));

    const SiteListPublisher::Result result = SiteListPublisher(source.dm()).publish(folder, 1.5, 3.2);
    // The files elsewhere are as they were; the links are now a real folder and a real file.
    QCOMPARE(parent.readFile("elsewhere/members/sites.zip"), QByteArray("theirs"));
    QCOMPARE(parent.readFile("elsewhere/notes.ini"), QByteArray("keep me"));
    QVERIFY(!QFileInfo(folder + "/members").isSymLink());
    QVERIFY(QFileInfo(folder + "/members").isDir());
    QVERIFY(!QFileInfo(result.manifestFile).isSymLink());
    QCOMPARE(membersOf(result.archiveFile).keys(), QStringList {"sites.csv"});
    // Served files are readable by the web server.
    QVERIFY(QFileInfo(result.archiveFile).permissions() & QFileDevice::ReadOther);
    QVERIFY(QFileInfo(result.manifestFile).permissions() & QFileDevice::ReadOther);

    // A link at the archive's own name is replaced too.
    QVERIFY(QFile::remove(result.archiveFile));
    QVERIFY(QFile::link(parent.file("elsewhere/notes.ini"), result.archiveFile));
    SiteListPublisher(source.dm()).publish(folder, 1.6, 3.2);
    QVERIFY(!QFileInfo(result.archiveFile).isSymLink());
    QCOMPARE(parent.readFile("elsewhere/notes.ini"), QByteArray("keep me"));
}

void TestSiteListPublisher::emptyTablePublishesAnEmptyList()
{
    DataFixture source;
    source.open();
    QTemporaryDir folder;
    const SiteListPublisher::Result result = SiteListPublisher(source.dm()).publish(folder.path(), 1.1, 3.2);
    QCOMPARE(result.sites, 0);
    QCOMPARE(membersOf(result.archiveFile).value("sites.csv", "missing"), QByteArray());
    DataFixture target;
    target.open();
    target.addSite("Mine");
    QVERIFY(mergeInto(target, folder.path()));
    QCOMPARE(target.visibleSites(), QStringList {"Mine"});
}

void TestSiteListPublisher::damagedRatingPublishesNothing()
{
    DataFixture source;
    source.open();
    source.addSite("Fine", {{"Rating", 3}});
    // The table's type does not stop a damaged or hand-edited file from holding text.
    Sql::exec(source.dm().database(), "INSERT INTO Sites.Sites (SiteName, Rating) VALUES ('Broken', 'lots')");
    QTemporaryDir folder;
    try {
        SiteListPublisher(source.dm()).publish(folder.path(), 2, 3.2);
        QFAIL("a rating that is no whole number must stop the publishing");
    } catch (const QuilletError& error) {
        QCOMPARE(error.text(), QString("The rating of site \"Broken\" is no whole number: lots"));
    }
    QVERIFY(QDir(folder.path()).isEmpty());
}

void TestSiteListPublisher::failedWriteLeavesTheEarlierFiles()
{
    DataFixture source;
    source.open();
    source.addSite("One");
    QTemporaryDir folder;
    const SiteListPublisher::Result first = SiteListPublisher(source.dm()).publish(folder.path(), 1.5, 3.2);
    QFile manifest(first.manifestFile);
    QVERIFY(manifest.open(QIODevice::ReadOnly));
    const QByteArray before = manifest.readAll();
    manifest.close();

    // The archive cannot replace a folder of its name: nothing changes, the manifest least of all.
    source.addSite("Two");
    QVERIFY(QFile::remove(first.archiveFile));
    QVERIFY(QDir().mkpath(first.archiveFile + "/blocked"));
    try {
        SiteListPublisher(source.dm()).publish(folder.path(), 1.6, 3.2);
        QFAIL("an archive that cannot be written must stop the publishing");
    } catch (const QuilletError& error) {
        QVERIFY2(error.text().startsWith("Cannot write file "), qPrintable(error.text()));
    }
    QVERIFY(manifest.open(QIODevice::ReadOnly));
    QCOMPARE(manifest.readAll(), before);
    QVERIFY(QFileInfo(first.archiveFile + "/blocked").isDir());
}

QTEST_GUILESS_MAIN(TestSiteListPublisher)
#include "TestSiteListPublisher.moc"
