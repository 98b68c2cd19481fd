#include "DataFixture.h"
#include "FilterExpression.h"
#include "Sql.h"

#include <QSqlDatabase>
#include <QTest>

namespace {

const QStringList kColumns {"SiteName", "Rating", "Dead", "Hide", "Pad", "PollsPAD", "Notes"};

// Nested groups that alternate AND and OR, so every level is a group of its
// own in the condition: depth 1 is "(Rating > 0 OR Dead=True)".
QString nestedFilter(int depth)
{
    QString text = "Rating = 1";
    for (int level = 0; level < depth; ++level)
        text = level % 2 == 0 ? "(Rating > 0 AND " + text + ") OR Dead=True"
                              : "(Dead=False OR " + text + ") AND Pad=True";
    return text;
}

// The form that takes the engine's parser the most room per level.
QString hardestFilter(int depth)
{
    QString text = "Rating = 1";
    for (int level = 0; level < depth; ++level)
        text = "Dead=False OR Pad=True AND (" + text + " OR Hide=True)";
    return text;
}

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
    void deepNestingIsRefusedNotFollowed();
    void groupsKeepTheirMeaning_data();
    void groupsKeepTheirMeaning();
    void longChainsAreRefusedOrRun();
    void hostileSavedFilterFallsBackToDefault();

private:
    QStringList select(const FilterExpression& filter);
    QStringList selectWritten(const QString& filter);
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

void TestFilterExpression::deepNestingIsRefusedNotFollowed()
{
    // Twelve thousand parentheses: a recursive parser would run out of stack.
    const QString deep = QString(12000, '(') + "Dead=False" + QString(12000, ')');
    const FilterExpression parsed = FilterExpression::parse(deep, kColumns);
    QVERIFY(!parsed.isValid());
    QCOMPARE(parsed.errorText(), QString("parentheses nest deeper than 12 levels at position 13"));
    QCOMPARE(parsed.sql(), QString("1"));
    QVERIFY(parsed.parameters().isEmpty());
    // One level more than allowed, written the other way, is refused too.
    QVERIFY(!FilterExpression::parse(nestedFilter(FilterExpression::MaxNesting + 1), kColumns).isValid());
    // Redundant parentheses count as nesting as well.
    QVERIFY(FilterExpression::parse(QString(12, '(') + "Dead=False" + QString(12, ')'), kColumns).isValid());
    QVERIFY(!FilterExpression::parse(QString(13, '(') + "Dead=False" + QString(13, ')'), kColumns).isValid());
}

QStringList TestFilterExpression::selectWritten(const QString& filter)
{
    // These filters use numbers, True and False only, so written as SQL by
    // hand they mean the same (AND binds more tightly in SQL too).
    QString sql = filter;
    sql.replace("True", "1").replace("False", "0");
    QSqlQuery query = Sql::exec(m_db, "SELECT SiteName FROM Sites WHERE " + sql + " ORDER BY rowid");
    QStringList names;
    while (query.next())
        names.append(query.value(0).toString());
    return names;
}

void TestFilterExpression::groupsKeepTheirMeaning_data()
{
    QTest::addColumn<QString>("filter");
    QTest::newRow("or of ands") << "Rating > 1 AND Dead=False OR Pad=True AND Hide=False";
    QTest::newRow("and of ors") << "(Rating > 1 OR Dead=True) AND (Pad=True OR Hide=True)";
    QTest::newRow("group inside a chain") << "Dead=False AND (Rating > 3 OR Pad=True) AND Hide=False OR Rating = 1";
    QTest::newRow("redundant groups") << "((Dead=False)) AND (((Pad=True OR Hide=True)))";
    QTest::newRow("or group inside or") << "Pad=True OR (Dead=True OR Hide=True) OR Rating > 4";
    QTest::newRow("and group inside and") << "Pad=True AND (Dead=False AND Hide=False)";
    QTest::newRow("nested 5") << nestedFilter(5);
    QTest::newRow("deepest accepted") << nestedFilter(FilterExpression::MaxNesting);
    QTest::newRow("deepest accepted, hardest to parse") << hardestFilter(FilterExpression::MaxNesting);
}

void TestFilterExpression::groupsKeepTheirMeaning()
{
    // The condition the parser makes selects what the filter written as SQL
    // selects, up to the deepest filter accepted (which the engine parses).
    QFETCH(QString, filter);
    const FilterExpression parsed = FilterExpression::parse(filter, kColumns);
    QVERIFY2(parsed.isValid(), qPrintable(parsed.errorText()));
    QCOMPARE(select(parsed), selectWritten(filter));
}

void TestFilterExpression::longChainsAreRefusedOrRun()
{
    // The longest chain allowed runs in the engine, with every value bound.
    QStringList terms;
    for (int i = 0; i < FilterExpression::MaxComparisons; ++i)
        terms.append(QString("Notes = 'n%1'").arg(i));
    terms.last() = "Notes = 'ok'";
    FilterExpression parsed = FilterExpression::parse(terms.join(" OR "), kColumns);
    QVERIFY2(parsed.isValid(), qPrintable(parsed.errorText()));
    QCOMPARE(parsed.parameters().size(), FilterExpression::MaxComparisons);
    QCOMPARE(select(parsed), QStringList({"plain"}));
    parsed
        = FilterExpression::parse(QStringList(FilterExpression::MaxComparisons, "Dead=False").join(" AND "), kColumns);
    QVERIFY(parsed.isValid());
    QCOMPARE(select(parsed), QStringList({"plain", "hiddenTop", "unrated", "low"}));

    // Two hundred thousand terms are refused at the first one too many; a
    // parser that copied its growing condition at every term would not
    // finish within the test's time.
    const QString huge = QStringList(200000, "Dead=False").join(" AND ");
    parsed = FilterExpression::parse(huge, kColumns);
    QVERIFY(!parsed.isValid());
    QCOMPARE(parsed.errorText(), QString("more than 500 comparisons"));
    terms.append("Dead=False");
    QVERIFY(!FilterExpression::parse(terms.join(" OR "), kColumns).isValid());
}

void TestFilterExpression::hostileSavedFilterFallsBackToDefault()
{
    // Saved as the site filter, a filter too deep for the parser leaves the
    // program with the default filter and a message, never failing.
    DataFixture f;
    const QString deep = QString(12000, '(') + "Dead=False" + QString(12000, ')');
    f.dir.writeFile("quillet.ini", "[Config]\nSiteFilter=" + deep.toUtf8() + "\n");
    RecordingMessageSink sink;
    f.open();
    QCOMPARE(sink.messages.size(), 1);
    QVERIFY(sink.messages.first().text.contains("parentheses nest deeper than 12 levels"));
    QVERIFY(sink.messages.first().text.endsWith("The filter \"Dead=False AND Hide=False\" is used instead."));
    f.addSite("alive");
    f.addSite("dead", {{"Dead", 1}});
    QCOMPARE(f.visibleSites(), QStringList({"alive"}));
}

QTEST_GUILESS_MAIN(TestFilterExpression)
#include "TestFilterExpression.moc"
