#include "DataFixture.h"
#include "IniDocument.h"
#include "QuilletError.h"
#include "SiteCheckStore.h"
#include "Sql.h"
#include "TableRepair.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QTimeZone>

namespace {

const QStringList kCurrentPrograms {"ProgramName", "Version", "VersionDate", "FileSize", "Price", "License", "OS",
    "Install", "TrialPeriod", "ExpireDate", "ProgramUrl", "PurchaseUrl", "Keywords", "ScreenShotUrl", "IconUrl", "Dl1",
    "Dl2", "Dl3", "Dl4", "PadUrl", "SystemReq", "Limitations", "ReviewerNotes", "Desc45", "Desc80", "Desc250",
    "Desc450", "Desc800", "Category", "Changes", "FileName", "PADPath"};
const QStringList kCurrentSites {"SiteName", "HomeUrl", "SearchUrl", "SubmitUrl", "UpdateUrl", "Notes", "CountryCode",
    "VelmoraFriendly", "Pad", "AntiFreeSpeech", "Ftp", "PollsPAD", "Rating", "Username", "Password", "UserNotes",
    "Dead", "Hide", "EMail"};
const QStringList kCurrentProgSite {
    "ProgramName", "SiteName", "Submitted", "Published", "OldVersion", "FileID", "NotApplicable"};

QVariantList programRow10(const QString& name)
{
    QVariantList row;
    row << name << "2.1"
        << "07/03/2004" << 1536000;
    for (int i = 4; i < 27; ++i)
        row << QStringLiteral("%1-%2").arg(name).arg(i);
    row << QString("long description of %1").arg(name) << "Utilities";
    return row;
}

QVariantList siteRow10(const QString& name, int rating)
{
    return {name, "http://" + name + ".test/", "", "http://" + name + ".test/submit", "", "notes of " + name, "US", 1,
        0, 1, rating, "me", "secret", "my notes"};
}

} // namespace

class TestSchema : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void freshInstallCreatesCurrentTables();
    void version10TablesClimbEveryStepKeepingData();
    void currentTablesAreLeftAlone();
    void failingUpgradeIsReportedAndOtherTablesGoOn();
    void damagedIndexIsRepaired();
    void repairKeepsTheLastAddressChecks();
    void fileThatIsNoDatabaseIsReportedAndKept();
    void emptySiteFilterActsAsDefault();
    void badSiteFilterFallsBackToDefault();
};

void TestSchema::freshInstallCreatesCurrentTables()
{
    RecordingMessageSink sink;
    DataFixture f;
    f.open();
    QVERIFY(sink.messages.isEmpty());
    for (Table table : TableSchema::AllTables)
        QVERIFY(f.dm().isTableOpen(table));
    QCOMPARE(f.dm().tableVersion(Table::Programs), 105);
    QCOMPARE(f.dm().tableVersion(Table::Sites), 104);
    QCOMPARE(f.dm().tableVersion(Table::ProgSite), 103);
    f.close();
    QCOMPARE(columnsOfFile(f.dir.file("Programs.DAT"), "Programs"), kCurrentPrograms);
    QCOMPARE(columnsOfFile(f.dir.file("Sites.DAT"), "Sites"), kCurrentSites);
    QCOMPARE(columnsOfFile(f.dir.file("ProgSite.DAT"), "ProgSite"), kCurrentProgSite);
    QCOMPARE(versionOfFile(f.dir.file("Sites.DAT")), 104);
}

void TestSchema::version10TablesClimbEveryStepKeepingData()
{
    DataFixture f;
    createVersion10Table(f.dir.file("Programs.DAT"), Table::Programs, {programRow10("Tool"), programRow10("Other")});
    createVersion10Table(f.dir.file("Sites.DAT"), Table::Sites, {siteRow10("alpha", 4), siteRow10("beta", 0)});
    createVersion10Table(
        f.dir.file("ProgSite.DAT"), Table::ProgSite, {{"Tool", "alpha", 1, 0, 1}, {"Tool", "beta", 0, 1, QVariant()}});
    RecordingMessageSink sink;
    f.open();
    QVERIFY2(sink.messages.isEmpty(), qPrintable(sink.texts().join('\n')));
    QCOMPARE(f.dm().tableVersion(Table::Programs), 105);
    QCOMPARE(f.dm().tableVersion(Table::Sites), 104);
    QCOMPARE(f.dm().tableVersion(Table::ProgSite), 103);

    // Old rows keep every value; the added booleans read false.
    const QVariantMap alpha = f.siteRow("alpha");
    QCOMPARE(alpha.value("HomeUrl").toString(), QString("http://alpha.test/"));
    QCOMPARE(alpha.value("Notes").toString(), QString("notes of alpha"));
    QCOMPARE(alpha.value("Rating").toInt(), 4);
    QCOMPARE(alpha.value("Password").toString(), QString("secret"));
    QCOMPARE(alpha.value("UserNotes").toString(), QString("my notes"));
    QCOMPARE(alpha.value("VelmoraFriendly").toInt(), 1);
    QCOMPARE(alpha.value("AntiFreeSpeech").toInt(), 1);
    for (const char* added : {"Dead", "Ftp", "Hide", "PollsPAD"})
        QCOMPARE(alpha.value(added).toInt(), 0);
    QVERIFY(alpha.value("EMail").isNull());
    QCOMPARE(f.visibleSites(), QStringList({"alpha", "beta"}));

    // New rows: the three attribute fields default to false as well.
    f.addSite("gamma");
    const QVariantMap gamma = f.siteRow("gamma");
    for (const char* flag : {"VelmoraFriendly", "Pad", "AntiFreeSpeech", "Ftp", "PollsPAD", "Dead", "Hide"})
        QCOMPARE(gamma.value(flag).toInt(), 0);
    QVERIFY_THROWS_EXCEPTION(QuilletError, f.addSite("alpha"));

    const QVariantMap flags = f.flagRow("Tool", "beta");
    QCOMPARE(flags.value("Published").toInt(), 1);
    QVERIFY(flags.value("OldVersion").isNull());
    QCOMPARE(flags.value("NotApplicable").toInt(), 0);
    QVERIFY_THROWS_EXCEPTION(QuilletError, f.addFlags("Tool", "beta", {}));

    f.properties()[14].setValue("Tool");
    f.dm().loadProgram("Tool");
    QCOMPARE(f.properties()[15].value, QString("2.1"));
    QCOMPARE(f.properties()[19].value, QString("1536000"));
    QCOMPARE(f.properties()[20].value, QString("1500"));
    QCOMPARE(f.properties()[18].value, QString("Tool-12"));
    QCOMPARE(f.properties()[44].value, QString("long description of Tool"));
    QVERIFY(f.properties()[45].value.isEmpty());

    f.close();
    QCOMPARE(columnsOfFile(f.dir.file("Programs.DAT"), "Programs"), kCurrentPrograms);
    QCOMPARE(columnsOfFile(f.dir.file("Sites.DAT"), "Sites"), kCurrentSites);
    QCOMPARE(columnsOfFile(f.dir.file("ProgSite.DAT"), "ProgSite"), kCurrentProgSite);
    // The site index and the declared sizes of the upgrade steps are in place.
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "inspect");
    {
        db.setDatabaseName(f.dir.file("ProgSite.DAT"));
        QVERIFY(db.open());
        QCOMPARE(
            Sql::scalar(db, "SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name = 'ProgSite_SiteName'")
                .toInt(),
            1);
        QVERIFY(Sql::scalar(db, "SELECT sql FROM sqlite_master WHERE name = 'ProgSite'")
                    .toString()
                    .contains("\"ProgramName\" VARCHAR(50)"));
        db.close();
        db.setDatabaseName(f.dir.file("Programs.DAT"));
        QVERIFY(db.open());
        const QString sql = Sql::scalar(db, "SELECT sql FROM sqlite_master WHERE name = 'Programs'").toString();
        QVERIFY(sql.contains("\"Keywords\" VARCHAR(50)"));
        QVERIFY(sql.contains("\"ProgramName\" VARCHAR(50)"));
        db.close();
    }
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase("inspect");
}

void TestSchema::currentTablesAreLeftAlone()
{
    DataFixture f;
    f.open();
    f.addSite("alpha", {{"HomeUrl", "http://alpha.test"}});
    f.close();
    QHash<QString, QByteArray> before;
    for (Table table : TableSchema::AllTables)
        before.insert(TableSchema::fileName(table), f.dir.readFile(TableSchema::fileName(table)));
    ProgramSession session(f.dir.path());
    session.start();
    {
        SubmissionDatabase dm(session.config(), session.properties());
        dm.open();
        QCOMPARE(dm.sites().count(), 1);
    }
    for (Table table : TableSchema::AllTables)
        QCOMPARE(f.dir.readFile(TableSchema::fileName(table)), before.value(TableSchema::fileName(table)));
}

void TestSchema::failingUpgradeIsReportedAndOtherTablesGoOn()
{
    DataFixture f;
    {
        // A Programs file at 1.0 with fewer fields than installed: the first
        // step has no field at position 12 to change.
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "short");
        db.setDatabaseName(f.dir.file("Programs.DAT"));
        QVERIFY(db.open());
        Sql::exec(db, "CREATE TABLE Programs (ProgramName VARCHAR(40) PRIMARY KEY, Version VARCHAR(20))");
        Sql::exec(db, "INSERT INTO Programs VALUES ('Tool', '1.0')");
        Sql::exec(db, "PRAGMA user_version = 100");
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("short");
    }
    createVersion10Table(f.dir.file("Sites.DAT"), Table::Sites, {siteRow10("alpha", 1)});
    RecordingMessageSink sink;
    f.open();
    QCOMPARE(sink.messages.size(), 1);
    QCOMPARE(sink.messages.first().text, QString("The table has no field at position 12"));
    QCOMPARE(f.dm().tableVersion(Table::Programs), 100);
    QCOMPARE(f.dm().tableVersion(Table::Sites), 104);
    // The table still opens and its data reads.
    f.dm().loadProgram("Tool");
    QCOMPARE(f.properties()[15].value, QString("1.0"));
}

void TestSchema::damagedIndexIsRepaired()
{
    DataFixture f;
    f.open();
    f.addSite("Alphasite");
    f.addFlags("Tool", "Alphasite", {{"Submitted", 1}});
    f.addFlags("Tool", "Zetasite", {{"Published", 1}});
    f.close();

    // Change the key text inside the SiteName index page only: the index no
    // longer matches the table.
    int rootPage = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "page");
        db.setDatabaseName(f.dir.file("ProgSite.DAT"));
        QVERIFY(db.open());
        rootPage = Sql::scalar(db, "SELECT rootpage FROM sqlite_master WHERE name = 'ProgSite_SiteName'").toInt();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("page");
    }
    QByteArray bytes = f.dir.readFile("ProgSite.DAT");
    const int pageSize = 4096;
    const qsizetype at = bytes.indexOf("Alphasite", qsizetype(rootPage - 1) * pageSize);
    QVERIFY(at >= 0 && at < qsizetype(rootPage) * pageSize);
    bytes[at] = 'B';
    f.dir.writeFile("ProgSite.DAT", bytes);

    RecordingMessageSink sink;
    ProgramSession session(f.dir.path());
    session.start();
    SubmissionDatabase dm(session.config(), session.properties());
    dm.open();
    // The user is told, with the rows kept and where the damaged file went.
    QCOMPARE(sink.messages.size(), 1);
    const QStringList copies = QDir(f.dir.path()).entryList({"ProgSite.DAT.damaged-*"});
    QCOMPARE(copies.size(), 1);
    QVERIFY(QRegularExpression("^ProgSite\\.DAT\\.damaged-\\d{8}-\\d{6}$").match(copies.first()).hasMatch());
    QCOMPARE(sink.messages.first().text,
        "The table file " + f.dir.file("ProgSite.DAT")
            + " was damaged and has been repaired. The repaired table holds 2 rows. A copy of the damaged file is "
              "kept as "
            + f.dir.file(copies.first()) + ".");
    QCOMPARE(f.dir.readFile(copies.first()), bytes);
    QVERIFY(dm.isTableOpen(Table::ProgSite));
    QCOMPARE(Sql::scalar(dm.database(), "PRAGMA ProgSite.integrity_check").toString(), QString("ok"));
    QCOMPARE(
        Sql::scalar(dm.database(), "SELECT count(*) FROM ProgSite.ProgSite WHERE SiteName = 'Alphasite'").toInt(), 1);
    QCOMPARE(
        Sql::scalar(dm.database(), "SELECT count(*) FROM ProgSite.ProgSite WHERE SiteName = 'Blphasite'").toInt(), 0);
}

void TestSchema::repairKeepsTheLastAddressChecks()
{
    DataFixture f;
    f.open();
    SiteCheckResult gone;
    gone.siteName = "Acorn";
    gone.address = "http://acorn.test/submit";
    gone.field = SiteCheckField::Submit;
    gone.outcome = SiteCheckOutcome::gone(410);
    gone.checkedAt = QDateTime(QDate(2026, 12, 1), QTime(8, 30), QTimeZone::utc());
    SiteCheckStore(f.dm()).save({gone});
    f.close();
    const TableRepair::Result repaired = TableRepair::repair(f.dir.file("Sites.DAT"), Table::Sites);
    QVERIFY2(repaired.ok, qPrintable(repaired.error));
    f.open();
    const std::optional<SiteCheckResult> kept = SiteCheckStore(f.dm()).last("Acorn");
    QVERIFY(kept);
    QCOMPARE(kept->outcome, gone.outcome);
    QCOMPARE(kept->checkedAt, gone.checkedAt);
    QCOMPARE(kept->fieldName(), QString("SubmitUrl"));
}

void TestSchema::fileThatIsNoDatabaseIsReportedAndKept()
{
    DataFixture f;
    QByteArray junk;
    for (int i = 0; i < 300; ++i)
        junk += "This file holds the author's own notes, not a table.\n";
    f.dir.writeFile("Sites.DAT", junk);
    RecordingMessageSink sink;
    f.open();
    QCOMPARE(sink.messages.size(), 1);
    QCOMPARE(sink.messages.first().title, QString("Error"));
    QVERIFY(sink.messages.first().text.contains("not a database"));
    QVERIFY(!f.dm().isTableOpen(Table::Sites));
    QVERIFY(f.dm().isTableOpen(Table::Programs));
    QVERIFY(f.dm().isTableOpen(Table::ProgSite));
    QCOMPARE(f.dm().sites().count(), 0);
    QVERIFY_THROWS_EXCEPTION(QuilletError, f.dm().hideCurrentSite());
    f.close();
    QCOMPARE(f.dir.readFile("Sites.DAT"), junk);
    QVERIFY(!QFile::exists(f.dir.file("Sites.DAT-journal")));
}

void TestSchema::emptySiteFilterActsAsDefault()
{
    DataFixture f;
    f.dir.writeFile("quillet.ini", "[Config]\nSiteFilter=\n");
    f.open();
    f.addSite("alive");
    f.addSite("dead", {{"Dead", 1}});
    f.addSite("hidden", {{"Hide", 1}});
    QCOMPARE(f.dm().sites().filterText(), QString("Dead=False AND Hide=False"));
    QCOMPARE(f.visibleSites(), QStringList({"alive"}));
}

void TestSchema::badSiteFilterFallsBackToDefault()
{
    DataFixture f;
    f.dir.writeFile("quillet.ini", "[Config]\nSiteFilter=Rating > 3 OR Colour = 'red'\n");
    RecordingMessageSink sink;
    f.open();
    QCOMPARE(sink.messages.size(), 1);
    QCOMPARE(sink.messages.first().text,
        QString("The site filter \"Rating > 3 OR Colour = 'red'\" is not valid: unknown field \"Colour\". "
                "The filter \"Dead=False AND Hide=False\" is used instead."));
    f.addSite("alive", {{"Rating", 1}});
    f.addSite("dead", {{"Dead", 1}, {"Rating", 5}});
    QCOMPARE(f.visibleSites(), QStringList({"alive"}));
}

QTEST_GUILESS_MAIN(TestSchema)
#include "TestSchema.moc"
