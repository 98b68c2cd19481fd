#include "DataFixture.h"
#include "ReportTexts.h"

#include <QDate>
#include <QLocale>
#include <QTest>

namespace {

QString lines(const QStringList& list)
{
    QString text;
    for (const QString& line : list)
        text += line + "\r\n";
    return text;
}

const QString kRule(54, '=');
const QString kStars(55, '*');

} // namespace

class TestReports : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void progressCountsAndPercentages();
    void progressOfEmptyListAndEmptyTable();
    void sharesThatDoNotComeOutEvenAreRounded();
    void progressUsesTheLocaleSeparator();
    void accountsListsOnlySitesWithAccountData();
    void hiddenSitesList();

private:
    QLocale m_saved;
};

void TestReports::init()
{
    m_saved = QLocale();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestReports::cleanup()
{
    QLocale::setDefault(m_saved);
}

void TestReports::sharesThatDoNotComeOutEvenAreRounded()
{
    // 2 of 3 is 66.666...: rounded, 66.67 (cut off, it would be 66.66); 1 of 3 is 33.33.
    DataFixture f;
    f.open();
    for (const char* name : {"a", "b", "c"})
        f.addSite(QString::fromLatin1(name), {{"Dead", QString::fromLatin1(name) != "c" ? 1 : 0}});
    f.addFlags("Tool", "a", {{"Submitted", 1}});
    const QString text = ReportTexts(f.dm()).progressReport({"Tool"});
    QVERIFY2(text.contains("Number of dead sites: 2  ( 66.67% )\r\n"), qPrintable(text));
    QVERIFY2(text.contains("\tNumber of sites submitted to: 1  ( 33.33% )\r\n"), qPrintable(text));
}

void TestReports::progressCountsAndPercentages()
{
    DataFixture f;
    f.open();
    for (int i = 0; i < 10; ++i)
        f.addSite(QStringLiteral("site%1").arg(i), {{"Dead", i < 2 ? 1 : 0}, {"Hide", i == 5 ? 1 : 0}});
    f.addFlags("Tool", "site0", {{"Submitted", 1}, {"Published", 1}});
    f.addFlags("Tool", "site5", {{"Submitted", 1}, {"NotApplicable", 1}});
    f.addFlags("Tool", "site6", {{"Submitted", 0}});
    f.addFlags("Other's", "site1", {{"Published", 1}});
    const QString text = ReportTexts(f.dm()).progressReport({"Tool", "Other's", "Nothing"});
    const QString today = QDate::currentDate().toString("M/d/yyyy");
    QCOMPARE(text,
        lines({"Software Submission Progress Status Report", kRule, "", "Date: " + today,
            "Total number of sites: 10  ( 100.00% )", "Number of dead sites: 2  ( 20.00% )",
            "Number of hidden sites: 1  ( 10.00% )", "", "", "Tool", "\tNumber of sites submitted to: 2  ( 20.00% )",
            "\tNumber of sites published to: 1  ( 10.00% )", "\tNumber of sites not applicable to: 1  ( 10.00% )", "",
            "", "Other's", "\tNumber of sites submitted to: 0  ( 0.00% )",
            "\tNumber of sites published to: 1  ( 10.00% )", "\tNumber of sites not applicable to: 0  ( 0.00% )", "",
            "", "Nothing", "\tNumber of sites submitted to: 0  ( 0.00% )",
            "\tNumber of sites published to: 0  ( 0.00% )", "\tNumber of sites not applicable to: 0  ( 0.00% )", "",
            ""}));
}

void TestReports::progressOfEmptyListAndEmptyTable()
{
    DataFixture f;
    f.open();
    const QString text = ReportTexts(f.dm()).progressReport({"Tool"});
    QVERIFY(text.contains("Total number of sites: 0  ( 0.00% )\r\n"));
    QVERIFY(text.contains("\tNumber of sites submitted to: 0  ( 0.00% )\r\n"));
    f.addSite("a");
    const QString header = ReportTexts(f.dm()).progressReport({});
    QVERIFY(header.endsWith("Number of hidden sites: 0  ( 0.00% )\r\n\r\n\r\n"));
    QCOMPARE(header.count("\r\n"), 9);
}

void TestReports::progressUsesTheLocaleSeparator()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    DataFixture f;
    f.open();
    f.addSite("a", {{"Dead", 1}});
    f.addSite("b");
    f.addSite("c");
    const QString text = ReportTexts(f.dm()).progressReport({});
    QVERIFY(text.contains("Number of dead sites: 1  ( 33,33% )\r\n"));
    QVERIFY(text.contains("Date: " + QDate::currentDate().toString("dd.MM.yyyy") + "\r\n"));
}

void TestReports::accountsListsOnlySitesWithAccountData()
{
    DataFixture f;
    f.open();
    f.addSite("b-site", {{"HomeUrl", "HTTP://Bee.test/"}, {"Username", "bee"}, {"Password", "p w"}});
    f.addSite("a-site", {{"HomeUrl", "https://ay.test/"}, {"UserNotes", "line 1\nline 2"}});
    f.addSite(
        "blank", {{"HomeUrl", "http://blank.test/"}, {"Username", "  "}, {"Password", " "}, {"UserNotes", " \t"}});
    f.addSite("c-site", {{"HomeUrl", "http://see.test//"}, {"Username", " spaced "}});
    f.addSite("d-site", {{"Password", "only"}});
    const QString text = ReportTexts(f.dm()).accountsReport();
    QCOMPARE(text,
        lines({"Quillet Site Accounts List Report", kRule, "",
            // a-site: another scheme keeps it, loses only the slash
            kStars, "", "SITE:      https://ay.test", "USERNAME:  ", "PASSWORD:  ", "NOTES:     ", "", "line 1",
            "line 2", "",
            // b-site: http:// in any case dropped
            kStars, "", "SITE:      Bee.test", "USERNAME:  bee", "PASSWORD:  p w", "NOTES:     ", "", "", "",
            // c-site: only the last of two slashes dropped, values untrimmed
            kStars, "", "SITE:      see.test/", "USERNAME:   spaced ", "PASSWORD:  ", "NOTES:     ", "", "", "", kStars,
            "", "SITE:      ", "USERNAME:  ", "PASSWORD:  only", "NOTES:     ", "", "", "", kStars, "",
            "There are 4 sites listed above."}));
}

void TestReports::hiddenSitesList()
{
    DataFixture f;
    f.open();
    f.addSite("visible", {{"HomeUrl", "http://v/"}});
    QCOMPARE(ReportTexts(f.dm()).hiddenSitesReport(),
        lines({"Hidden Sites List Report", kRule, "", "", "There are 0 sites listed above."}));
    f.addSite("zHidden", {{"HomeUrl", "http://z.test/"}, {"Hide", 1}});
    f.addSite("aHidden", {{"HomeUrl", "HTTP://A.test/"}, {"Hide", 1}, {"Dead", 1}});
    QCOMPARE(ReportTexts(f.dm()).hiddenSitesReport(),
        lines({"Hidden Sites List Report", kRule, "", "aHidden", "\tHTTP://A.test/", "", "zHidden", "\thttp://z.test/",
            "", "", "There are 2 sites listed above."}));
}

QTEST_GUILESS_MAIN(TestReports)
#include "TestReports.moc"
