#include "FilterExpression.h"
#include "Sql.h"

#include <QSqlDatabase>
#include <QTest>

namespace {

const QStringList kColumns {"SiteName", "Rating", "Dead", "Hide", "Pad", "PollsPAD", "Notes"};

} // namespace

// The filter texts are checked by what they select from a real table.
class TestFilterExpression : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void selects_data();
    void selects();
    void rejects_data();
    void rejects();
    void textNeverReachesTheSql();

private:
    QStringList select(const FilterExpression& filter);
    QSqlDatabase m_db;
};

void TestFilterExpression::initTestCase()
{
    m_db = QSqlDatabase::addDatabase("QSQLITE", "filter");
    m_db.setDatabaseName(":memory:");
    QVERIFY(m_db.open());
    Sql::exec(m_db,
        "CREATE TABLE Sites (SiteName TEXT, Rating INTEGER, Dead BOOLEAN, Hide BOOLEAN, Pad BOOLEAN, "
        "PollsPAD BOOLEAN, Notes TEXT)");
    const QList<QVariantList> rows {
        {"plain", 2, 0, 0, 0, 0, "ok"},
        {"deadTop", 5, 1, 0, 1, 0, "it's gone"},
        {"hiddenTop", 4, 0, 1, 0, 1, ""},
        {"unrated", QVariant(), 0, 0, 1, 1, "new"},
        {"deadUnrated", QVariant(), 1, 0, 0, 0, "x"},
        {"low", 1, 0, 0, 1, 0, "Fast review"},
    };
    for (const QVariantList& row : rows)
        Sql::exec(m_db, "INSERT INTO Sites VALUES (?, ?, ?, ?, ?, ?, ?)", row);
}

void TestFilterExpression::cleanupTestCase()
{
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase("filter");
}

QStringList TestFilterExpression::select(const FilterExpression& filter)
{
    QSqlQuery query
        = Sql::exec(m_db, "SELECT SiteName FROM Sites WHERE " + filter.sql() + " ORDER BY rowid", filter.parameters());
    QStringList names;
    while (query.next())
        names.append(query.value(0).toString());
    return names;
}

void TestFilterExpression::selects_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("default") << "Dead=False AND Hide=False" << QStringList {"plain", "unrated", "low"};
    QTest::newRow("show hidden") << "Dead=False" << QStringList {"plain", "hiddenTop", "unrated", "low"};
    QTest::newRow("and binds tighter than or") << "Rating > 3 OR Rating = Null AND Dead=False AND Hide=False"
                                               << QStringList {"deadTop", "hiddenTop", "unrated"};
    QTest::newRow("options composed")
        << "Rating > 1 OR Rating = Null AND PAD=True AND PollsPAD=True AND Dead=False AND Hide=False"
        << QStringList {"plain", "deadTop", "hiddenTop", "unrated"};
    QTest::newRow("keywords in any case")
        << "dead=TRUE or RATING = null" << QStringList {"deadTop", "unrated", "deadUnrated"};
    QTest::newRow("null only for null") << "Rating = Null" << QStringList {"unrated", "deadUnrated"};
    QTest::newRow("quoted text with doubled quote") << "Notes = 'it''s gone'" << QStringList {"deadTop"};
    QTest::newRow("text with blanks and keywords") << "Notes = 'Fast review' OR Notes = 'AND'" << QStringList {"low"};
    QTest::newRow("parentheses") << "(Rating > 3 OR Rating = Null) AND Dead=False"
                                 << QStringList {"hiddenTop", "unrated"};
    QTest::newRow("empty passes all") << "  "
                                      << QStringList {"plain", "deadTop", "hiddenTop", "unrated", "deadUnrated", "low"};
    QTest::newRow("negative number") << "Rating > -1 AND Rating = 1" << QStringList {"low"};
}

void TestFilterExpression::selects()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    const FilterExpression parsed = FilterExpression::parse(filter, kColumns);
    QVERIFY2(parsed.isValid(), qPrintable(parsed.errorText()));
    QCOMPARE(select(parsed), expected);
}

void TestFilterExpression::rejects_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("error");
    QTest::newRow("unknown field") << "Colour = 'red'"
                                   << "unknown field \"Colour\"";
    QTest::newRow("missing value") << "Dead="
                                   << "a value is missing after Dead";
    QTest::newRow("unterminated text") << "Notes = 'abc"
                                       << "unterminated text starting at position 9";
    QTest::newRow("other operator") << "Rating < 3"
                                    << "unexpected \"<\" at position 8";
    QTest::newRow("dangling and") << "Dead=False AND"
                                  << "a field name is missing at the end";
    QTest::newRow("greater than null") << "Rating > Null"
                                       << "Null can only be compared with \"=\"";
    QTest::newRow("unbalanced") << "(Dead=False"
                                << "missing \")\" at position 12";
    QTest::newRow("trailing words") << "Dead=False Hide=False"
                                    << "unexpected \"Hide\" at position 12";
    QTest::newRow("sql injection") << "Dead=False; DROP TABLE Sites"
                                   << "unexpected \";\" at position 11";
}

void TestFilterExpression::rejects()
{
    QFETCH(QString, filter);
    QFETCH(QString, error);
    const FilterExpression parsed = FilterExpression::parse(filter, kColumns);
    QVERIFY(!parsed.isValid());
    QCOMPARE(parsed.errorText(), error);
    QCOMPARE(parsed.sql(), QString("1"));
}

void TestFilterExpression::textNeverReachesTheSql()
{
    const FilterExpression parsed = FilterExpression::parse("Notes = 'x'') OR 1=1 --'", kColumns);
    QVERIFY(parsed.isValid());
    QVERIFY(!parsed.sql().contains("1=1"));
    QCOMPARE(parsed.parameters(), QVariantList({"x') OR 1=1 --"}));
    QVERIFY(select(parsed).isEmpty());
    // Field names are written as the table spells them.
    QCOMPARE(FilterExpression::parse("pollspad=true", kColumns).sql(), QString("\"PollsPAD\" = 1"));
}

QTEST_GUILESS_MAIN(TestFilterExpression)
#include "TestFilterExpression.moc"
