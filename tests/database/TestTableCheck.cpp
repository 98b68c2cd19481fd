#include "DataFixture.h"
#include "QuilletError.h"
#include "Sql.h"
#include "TableCloseRecord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

constexpr int kPageSize = 4096;

// The first page of a table or index in a table file.
int rootPage(const QString& path, const QString& name)
{
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "pages");
    db.setDatabaseName(path);
    db.open();
    const int page = Sql::scalar(db, "SELECT rootpage FROM sqlite_master WHERE name = ?", {name}).toInt();
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase("pages");
    return page;
}

// Writes bytes over a file keeping its modification time to the nanosecond,
// as a damage that no file time shows.
void overwriteKeepingTime(const QString& path, const QByteArray& bytes)
{
    struct stat before { };
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &before), 0);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QCOMPARE(file.write(bytes), bytes.size());
    file.close();
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

// The engine's change counter, raised as a committed write raises it.
void raiseChangeCounter(QByteArray& bytes)
{
    auto* counter = reinterpret_cast<uchar*>(bytes.data() + 24);
    ++counter[3];
}

QFileDevice::Permissions ownerOnly()
{
    return QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser;
}

QStringList leftovers(const QString& folder)
{
    return QDir(folder).entryList({"*.damaged-*", "*.repair-*", ".*.DAT.*"}, QDir::Files | QDir::Hidden);
}

// A program directory with flags of one program at two sites, closed.
void flagsOfTwoSites(DataFixture& f)
{
    f.open();
    f.addSite("Alphasite");
    f.addFlags("Tool", "Alphasite", {{"Submitted", 1}});
    f.addFlags("Tool", "Zetasite", {{"Published", 1}});
    f.close();
}

// The index page's key text changed: the file stays a well-formed database,
// only its index no longer matches its rows.
QByteArray withIndexKeyChanged(const DataFixture& f)
{
    QByteArray bytes = f.dir.readFile("ProgSite.DAT");
    const int page = rootPage(f.dir.file("ProgSite.DAT"), "ProgSite_SiteName");
    const qsizetype at = bytes.indexOf("Alphasite", qsizetype(page - 1) * kPageSize);
    bytes[at] = 'B';
    return bytes;
}

} // namespace

// Which table files are checked at open, and the repair of damaged ones.
class TestTableCheck : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fileAsClosedIsNotChecked();
    void fileWrittenSinceIsChecked();
    void hostileRecordMeansAFullCheck();
    void failedRepairLeavesTheFileAsItWas();
    void tableFilesAreOwnerOnly();
    void tableHeldByAnotherProgramSaysSo();
};

void TestTableCheck::fileAsClosedIsNotChecked()
{
    DataFixture f;
    flagsOfTwoSites(f);
    QVERIFY(QFile::exists(f.dir.file(TableCloseRecord::fileName())));
    // A damage the file's time, size and change counter do not show: the file
    // counts as closed cleanly, so it is opened without a check.
    overwriteKeepingTime(f.dir.file("ProgSite.DAT"), withIndexKeyChanged(f));
    {
        RecordingMessageSink sink;
        f.open();
        QVERIFY2(sink.messages.isEmpty(), qPrintable(sink.texts().join('\n')));
        QCOMPARE(Sql::scalar(f.dm().database(), "PRAGMA ProgSite.integrity_check").toString(),
            QString("row 1 missing from index ProgSite_SiteName"));
        f.close();
    }
    // Without the record nothing is known of the file: the full check finds
    // the damage and the repair mends it.
    QVERIFY(QFile::remove(f.dir.file(TableCloseRecord::fileName())));
    RecordingMessageSink sink;
    f.open();
    QCOMPARE(sink.messages.size(), 1);
    QVERIFY(sink.messages.first().text.contains("ProgSite.DAT was damaged and has been repaired"));
    QCOMPARE(Sql::scalar(f.dm().database(), "PRAGMA ProgSite.integrity_check").toString(), QString("ok"));
    QCOMPARE(f.flagRow("Tool", "Alphasite").value("Submitted").toInt(), 1);
}

void TestTableCheck::fileWrittenSinceIsChecked()
{
    DataFixture f;
    flagsOfTwoSites(f);
    // The engine wrote the file after the last clean close (a run that ended
    // without closing), and an index page came out unreadable.
    QByteArray bytes = f.dir.readFile("ProgSite.DAT");
    const int page = rootPage(f.dir.file("ProgSite.DAT"), "ProgSite_SiteName");
    bytes[qsizetype(page - 1) * kPageSize] = '\x00';
    raiseChangeCounter(bytes);
    overwriteKeepingTime(f.dir.file("ProgSite.DAT"), bytes);
    QCOMPARE(TableCloseRecord(f.dir.path()).stateOf("ProgSite.DAT"), TableCloseRecord::State::WrittenSince);
    QCOMPARE(TableCloseRecord(f.dir.path()).stateOf("Sites.DAT"), TableCloseRecord::State::AsClosed);

    RecordingMessageSink sink;
    f.open();
    QCOMPARE(sink.messages.size(), 1);
    QVERIFY(sink.messages.first().text.contains("The repaired table holds 2 rows."));
    QCOMPARE(f.flagRow("Tool", "Zetasite").value("Published").toInt(), 1);
    // The copy is the damaged file, owner-only.
    const QStringList copies = QDir(f.dir.path()).entryList({"ProgSite.DAT.damaged-*"});
    QCOMPARE(copies.size(), 1);
    QCOMPARE(f.dir.readFile(copies.first()), bytes);
    QCOMPARE(QFileInfo(f.dir.file(copies.first())).permissions(), ownerOnly());
}

void TestTableCheck::hostileRecordMeansAFullCheck()
{
    DataFixture f;
    flagsOfTwoSites(f);
    overwriteKeepingTime(f.dir.file("ProgSite.DAT"), withIndexKeyChanged(f));
    // A record that is not what the program writes: lines of garbage, a
    // second note for the file with other values, overlong numbers.
    QByteArray record = f.dir.readFile(TableCloseRecord::fileName());
    record.replace("ProgSite.DAT\t", "ProgSite.DAT\t9");
    record += "\tProgSite.DAT\t\t\nnoted\tsoon\n" + QByteArray(5000, '\t') + "\n" + QByteArray(100, '9') + "\n";
    f.dir.writeFile(TableCloseRecord::fileName(), record);
    QCOMPARE(TableCloseRecord(f.dir.path()).stateOf("ProgSite.DAT"), TableCloseRecord::State::Unknown);
    RecordingMessageSink sink;
    f.open();
    QCOMPARE(sink.messages.size(), 1);
    QVERIFY(sink.messages.first().text.contains("ProgSite.DAT was damaged and has been repaired"));
    f.close();
    // The close writes a clean record again: the next open checks nothing.
    QCOMPARE(TableCloseRecord(f.dir.path()).stateOf("ProgSite.DAT"), TableCloseRecord::State::AsClosed);
}

void TestTableCheck::failedRepairLeavesTheFileAsItWas()
{
    DataFixture f;
    f.open();
    {
        QSqlDatabase db = f.dm().database();
        Sql::inTransaction(db, [&] {
            QSqlQuery insert(db);
            insert.prepare("INSERT INTO Sites.Sites (SiteName, Notes, Username, Password) VALUES (?, ?, ?, ?)");
            for (int i = 0; i < 2000; ++i)
                Sql::run(insert, {QString("Site %1").arg(i), QString(100, 'n'), "me", "secret"});
        });
    }
    f.close();
    // The table's first page (an interior page over 2,000 rows) made
    // unreadable: no row can be read back, so no repair can work.
    QByteArray bytes = f.dir.readFile("Sites.DAT");
    const int page = rootPage(f.dir.file("Sites.DAT"), "Sites");
    QCOMPARE(bytes.at(qsizetype(page - 1) * kPageSize), '\x05');
    bytes[qsizetype(page - 1) * kPageSize] = '\x00';
    f.dir.writeFile("Sites.DAT", bytes);

    RecordingMessageSink sink;
    QVERIFY_THROWS_EXCEPTION(QuilletError, f.open());
    QCOMPARE(f.dir.readFile("Sites.DAT"), bytes);
    QCOMPARE(leftovers(f.dir.path()), QStringList());
    QVERIFY(!QFile::exists(f.dir.file("Sites.DAT-journal")));
    // Every later start says the same, and still changes nothing.
    f.close();
    QString said;
    try {
        f.open();
    } catch (const QuilletError& error) {
        said = error.text();
    }
    QVERIFY2(said.startsWith("The table file " + f.dir.file("Sites.DAT") + " is damaged and could not be repaired")
            && said.endsWith("The file has been left as it was."),
        qPrintable(said));
    QCOMPARE(f.dir.readFile("Sites.DAT"), bytes);
    QCOMPARE(leftovers(f.dir.path()), QStringList());
}

void TestTableCheck::tableHeldByAnotherProgramSaysSo()
{
    DataFixture f;
    flagsOfTwoSites(f);
    // Another program writes Sites.DAT and keeps it locked meanwhile.
    {
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other program");
        other.setDatabaseName(f.dir.file("Sites.DAT"));
        other.setConnectOptions("QSQLITE_BUSY_TIMEOUT=0");
        QVERIFY(other.open());
        QSqlQuery lock(other);
        QVERIFY(lock.exec("PRAGMA locking_mode = EXCLUSIVE"));
        QVERIFY(lock.exec("BEGIN EXCLUSIVE"));
        QVERIFY(lock.exec("UPDATE Sites SET Notes = 'theirs'"));
        QVERIFY(lock.exec("COMMIT"));
        RecordingMessageSink sink;
        f.open();
        QCOMPARE(sink.messages.size(), 1);
        const QString held = "The table Sites.DAT is in use by another program, which holds it locked. Close that "
                             "program (or wait until it has finished) and try again.";
        QCOMPARE(sink.messages.first().text, held);
        QVERIFY(!f.dm().isTableOpen(Table::Sites));
        QString raised;
        try {
            f.dm().requireOpen(Table::Sites);
        } catch (const QuilletError& error) {
            raised = error.text();
        }
        QCOMPARE(raised, held);
        // The other tables are open as ever.
        QVERIFY(f.dm().isTableOpen(Table::ProgSite));
        f.close();
        lock.finish();
        other.close();
    }
    QSqlDatabase::removeDatabase("other program");
}

void TestTableCheck::tableFilesAreOwnerOnly()
{
    DataFixture f;
    f.open();
    f.close();
    for (Table table : TableSchema::AllTables)
        QCOMPARE(QFileInfo(f.dir.file(TableSchema::fileName(table))).permissions(), ownerOnly());
    QCOMPARE(QFileInfo(f.dir.file(TableCloseRecord::fileName())).permissions(), ownerOnly());
    // A file the author made readable to the group keeps that, also through a
    // repair.
    const QFileDevice::Permissions shared = ownerOnly() | QFileDevice::ReadGroup;
    QVERIFY(QFile::setPermissions(f.dir.file("Sites.DAT"), shared));
    flagsOfTwoSites(f);
    QVERIFY(QFile::setPermissions(f.dir.file("ProgSite.DAT"), shared));
    f.dir.writeFile("ProgSite.DAT", withIndexKeyChanged(f));
    RecordingMessageSink sink;
    f.open();
    QCOMPARE(sink.messages.size(), 1);
    f.close();
    QCOMPARE(QFileInfo(f.dir.file("Sites.DAT")).permissions(), shared);
    QCOMPARE(QFileInfo(f.dir.file("ProgSite.DAT")).permissions(), shared);
}

QTEST_GUILESS_MAIN(TestTableCheck)
#include "TestTableCheck.moc"
