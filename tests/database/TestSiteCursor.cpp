#include "DataFixture.h"
#include "Sql.h"

#include <QSignalSpy>
#include <QTest>

#include <random>

namespace {

constexpr int kSites = 10000;

struct Key {
    qint64 rowId;
    QString name; // null for a site without a name
};

// A table larger than the cursor's pages and its cache, whose order is hard
// to walk: names inserted in random order, 512 names that differ in case only
// (so that pages break inside them), 300 sites without a name, dead and
// hidden sites between the others.
void fillLargeTable(SubmissionDatabase& dm)
{
    QSqlDatabase db = dm.database();
    QStringList names;
    for (int i = 0; names.size() < kSites - 812; ++i)
        names.append(QStringLiteral("Site %1").arg(i * 7919 % 100000, 5, 10, QLatin1Char('0')));
    for (int mask = 0; mask < 512; ++mask) {
        QString word = QStringLiteral("casefolds");
        for (int bit = 0; bit < 9; ++bit) {
            if (mask & (1 << bit))
                word[bit] = word.at(bit).toUpper();
        }
        names.append(word);
    }
    std::mt19937 random(20240611);
    std::shuffle(names.begin(), names.end(), random);
    Sql::inTransaction(db, [&] {
        QSqlQuery insert(db);
        insert.prepare("INSERT INTO Sites.Sites (SiteName, HomeUrl, Dead, Hide) VALUES (?, ?, ?, ?)");
        for (int i = 0; i < names.size(); ++i)
            Sql::run(insert, {names.at(i), "http://" + names.at(i) + "/", i % 97 == 0 ? 1 : 0, i % 89 == 0 ? 1 : 0});
        for (int i = 0; i < 300; ++i)
            Sql::run(insert, {QVariant(QMetaType(QMetaType::QString)), QString("http://nameless/%1").arg(i), 0, 0});
    });
}

// The list as one plain query orders it, the filter written as SQL by hand.
QVector<Key> expectedKeys(const QSqlDatabase& db, const QString& where)
{
    QSqlQuery query = Sql::exec(db,
        "SELECT rowid, SiteName FROM Sites.Sites WHERE " + where
            + " ORDER BY SiteName COLLATE NOCASE, SiteName, rowid");
    QVector<Key> keys;
    while (query.next())
        keys.append({query.value(0).toLongLong(), query.value(1).toString()});
    return keys;
}

} // namespace

// The cursor over a large table: what it reads, and that it reads it right.
class TestSiteCursor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void opensWithOnePageOfKeys();
    void walksTheWholeListInOrder();
    void readsValuesOfAnyRowAgainAfterTheCacheDropsThem();
    void refreshKeepsACurrentRowFarDown();
    void locatingAnUnlistedSiteReadsNoKeys();
    void siteByKeyWalksPastThePages();
    void orderIndexMadeForOldTablesAndKeptByUpgrades();
    void deepestFilterRunsInTheCursorsQueries();
};

void TestSiteCursor::opensWithOnePageOfKeys()
{
    DataFixture f;
    f.open();
    fillLargeTable(f.dm());
    f.close();
    f.open();
    const SiteCursor& sites = f.dm().sites();
    QCOMPARE(sites.currentIndex(), 0);
    QCOMPARE(sites.fetchedCount(), SiteCursor::KeyBatch);
    QVERIFY(sites.canFetchMore());
    // The first row's values are there without reading more keys.
    QCOMPARE(sites.field("HomeUrl").toString(), QString("http://nameless/0"));
    QCOMPARE(sites.fetchedCount(), SiteCursor::KeyBatch);
}

void TestSiteCursor::walksTheWholeListInOrder()
{
    DataFixture f;
    f.open();
    fillLargeTable(f.dm());
    SiteCursor& sites = f.dm().sites();
    sites.refresh();
    const QVector<Key> expected = expectedKeys(f.dm().database(), "Dead = 0 AND Hide = 0");
    QVERIFY(expected.size() > 9000);

    QSignalSpy fetched(&sites, &SiteCursor::rowsFetched);
    int announced = sites.fetchedCount();
    // Row by row, as a list scrolled to its end would ask.
    for (int row = 0; row < expected.size(); ++row) {
        QVERIFY(sites.hasRow(row));
        QCOMPARE(sites.siteNameAt(row), expected.at(row).name);
        QCOMPARE(sites.siteNameAt(row).isNull(), expected.at(row).name.isNull());
    }
    QVERIFY(!sites.hasRow(expected.size()));
    QCOMPARE(sites.count(), expected.size());
    QVERIFY(!sites.canFetchMore());
    // The rows came in announced, contiguous batches.
    for (const QList<QVariant>& batch : fetched) {
        QCOMPARE(batch.at(0).toInt(), announced);
        announced = batch.at(1).toInt() + 1;
    }
    QCOMPARE(announced, expected.size());
}

void TestSiteCursor::readsValuesOfAnyRowAgainAfterTheCacheDropsThem()
{
    DataFixture f;
    f.open();
    fillLargeTable(f.dm());
    SiteCursor& sites = f.dm().sites();
    sites.refresh();
    const int count = sites.count();
    QVERIFY(count > SiteCursor::PageRows * SiteCursor::CachedPages);
    const auto expectedUrl = [&](int row) {
        const QString name = sites.siteNameAt(row);
        return name.isNull() ? QString() : "http://" + name + "/";
    };
    // Every row, then the first ones again after the cache has dropped them.
    for (int row = 0; row < count; ++row) {
        if (!sites.siteNameAt(row).isNull())
            QCOMPARE(sites.text(row, "HomeUrl"), expectedUrl(row));
    }
    QCOMPARE(sites.text(300, "HomeUrl"), expectedUrl(300));
    QCOMPARE(sites.text(count - 1, "homeurl"), expectedUrl(count - 1));
    QVERIFY(!sites.value(count, "HomeUrl").isValid());
    QVERIFY(!sites.value(0, "NoSuchColumn").isValid());

    // A write through the cursor shows at once and after the page is read again.
    sites.moveTo(count - 2);
    QSignalSpy changed(&sites, &SiteCursor::rowChanged);
    f.dm().setCurrentSiteText("Username", "me at the end");
    QCOMPARE(changed.size(), 1);
    QCOMPARE(sites.field("Username").toString(), QString("me at the end"));
    for (int row = 0; row < count; row += SiteCursor::PageRows)
        sites.value(row, "HomeUrl");
    QCOMPARE(sites.text(count - 2, "Username"), QString("me at the end"));
}

void TestSiteCursor::refreshKeepsACurrentRowFarDown()
{
    DataFixture f;
    f.open();
    fillLargeTable(f.dm());
    SiteCursor& sites = f.dm().sites();
    sites.refresh();
    sites.moveTo(9000);
    const QString site = sites.currentSiteName();
    const QString following = sites.siteNameAt(9001);
    sites.refresh();
    QCOMPARE(sites.currentIndex(), 9000);
    QCOMPARE(sites.currentSiteName(), site);
    // The site leaves the list: the cursor stays at its position.
    f.dm().hideCurrentSite();
    QCOMPARE(sites.currentIndex(), 9000);
    QCOMPARE(sites.currentSiteName(), following);
}

void TestSiteCursor::locatingAnUnlistedSiteReadsNoKeys()
{
    DataFixture f;
    f.open();
    fillLargeTable(f.dm());
    f.addSite("zz hidden", {{"Hide", 1}});
    SiteCursor& sites = f.dm().sites();
    QCOMPARE(sites.fetchedCount(), SiteCursor::KeyBatch);
    QVERIFY(!sites.locate("zz hidden"));
    QVERIFY(!sites.locate("no such site"));
    QCOMPARE(sites.fetchedCount(), SiteCursor::KeyBatch);
    QCOMPARE(sites.currentIndex(), 0);
    // A listed one far down is found, reading the keys up to it.
    const QVector<Key> expected = expectedKeys(f.dm().database(), "Dead = 0 AND Hide = 0");
    const QString farDown = expected.at(expected.size() - 3).name;
    QVERIFY(sites.locate(farDown));
    QCOMPARE(sites.currentIndex(), expected.size() - 3);
    QCOMPARE(sites.field("HomeUrl").toString(), "http://" + farDown + "/");
}

void TestSiteCursor::siteByKeyWalksPastThePages()
{
    DataFixture f;
    f.open();
    fillLargeTable(f.dm());
    f.addSite("Tango");
    f.addSite("tangerine");
    SiteCursor& sites = f.dm().sites();
    sites.first();
    f.dm().getSiteByKey('t');
    QCOMPARE(sites.currentSiteName(), QString("tangerine"));
    const QVector<Key> expected = expectedKeys(f.dm().database(), "Dead = 0 AND Hide = 0");
    int index = 0;
    while (expected.at(index).name != "tangerine")
        ++index;
    QCOMPARE(sites.currentIndex(), index);
    // Past every first letter: the last row.
    f.dm().getSiteByKey('~');
    QCOMPARE(sites.currentIndex(), expected.size() - 1);
}

void TestSiteCursor::orderIndexMadeForOldTablesAndKeptByUpgrades()
{
    const auto orderColumns = [](const QSqlDatabase& db) {
        QSqlQuery info = Sql::exec(db, "PRAGMA Sites.index_xinfo(Sites_SiteOrder)");
        QStringList columns;
        while (info.next()) {
            if (info.value(5).toInt() == 1)
                columns.append(info.value(2).toString() + " " + info.value(4).toString());
        }
        return columns;
    };
    {
        // A table made before the index: it gets it when opened.
        DataFixture f;
        createVersion10Table(f.dir.file("Sites.DAT"), Table::Sites);
        f.open();
        QCOMPARE(f.dm().tableVersion(Table::Sites), 104);
        QCOMPARE(orderColumns(f.dm().database()), QStringList({"SiteName NOCASE", "SiteName BINARY"}));
    }
    {
        // A table that has it keeps it, collation and all, through the four
        // rebuilds of its upgrade.
        DataFixture f;
        createVersion10Table(f.dir.file("Sites.DAT"), Table::Sites);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "order");
            db.setDatabaseName(f.dir.file("Sites.DAT"));
            QVERIFY(db.open());
            Sql::exec(db, "CREATE INDEX Sites_SiteOrder ON Sites (SiteName COLLATE NOCASE, SiteName)");
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase("order");
        }
        RecordingMessageSink sink;
        f.open();
        QVERIFY2(sink.messages.isEmpty(), qPrintable(sink.texts().join('\n')));
        QCOMPARE(f.dm().tableVersion(Table::Sites), 104);
        QCOMPARE(orderColumns(f.dm().database()), QStringList({"SiteName NOCASE", "SiteName BINARY"}));
    }
}

void TestSiteCursor::deepestFilterRunsInTheCursorsQueries()
{
    DataFixture f;
    f.open();
    fillLargeTable(f.dm());
    // The form that takes the engine's parser the most room per level, as deep
    // as the filter language allows, inside the cursor's own conditions.
    QString filter = "Dead=False";
    for (int level = 0; level < FilterExpression::MaxNesting; ++level)
        filter = "Hide=True OR Dead=False AND (" + filter + " OR Dead=True)";
    RecordingMessageSink sink;
    f.dm().setSiteFilter(filter);
    QVERIFY2(sink.messages.isEmpty(), qPrintable(sink.texts().join('\n')));
    SiteCursor& sites = f.dm().sites();
    QString written = filter;
    written.replace("True", "1").replace("False", "0");
    const QVector<Key> expected = expectedKeys(f.dm().database(), written);
    QCOMPARE(sites.count(), expected.size());
    QVERIFY(sites.locate(expected.last().name));
    QCOMPARE(sites.currentIndex(), expected.size() - 1);
}

QTEST_GUILESS_MAIN(TestSiteCursor)
#include "TestSiteCursor.moc"
