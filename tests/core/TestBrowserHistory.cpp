#include "BrowserHistory.h"
#include "SiteSearchLinks.h"

#include <QTest>

class TestBrowserHistory : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void emptyHistoryAllowsNeitherWay();
    void newAddressAfterBackDropsTheRest();
    void knownAddressOnlyMovesTheIndex();
    void addressesComparedWithoutCase();
    void typedAddressesGoToTheTopOfTheList();
    void homePageAppendsEveryTime();
    void serviceLinks();
};

void TestBrowserHistory::emptyHistoryAllowsNeitherWay()
{
    BrowserHistory history;
    QCOMPARE(history.historyIndex(), -1);
    QVERIFY(!history.canGoBack());
    QVERIFY(!history.canGoForward());
    history.navigationCompleted("http://a/");
    QCOMPARE(history.historyIndex(), 0);
    QVERIFY(!history.canGoBack());
    QVERIFY(!history.canGoForward());
}

void TestBrowserHistory::newAddressAfterBackDropsTheRest()
{
    BrowserHistory history;
    for (const char* url : {"A", "B", "C"})
        history.navigationCompleted(url);
    QVERIFY(history.canGoBack());
    QVERIFY(!history.canGoForward());
    QCOMPARE(history.backTarget(), QString("B"));
    history.navigationCompleted(history.backTarget());
    QCOMPARE(history.historyIndex(), 1);
    QVERIFY(history.canGoForward());
    QCOMPARE(history.forwardTarget(), QString("C"));
    history.navigationCompleted("D");
    QCOMPARE(history.history(), QStringList({"A", "B", "D"}));
    QCOMPARE(history.historyIndex(), 2);
    QCOMPARE(history.backTarget(), QString("B"));
}

void TestBrowserHistory::knownAddressOnlyMovesTheIndex()
{
    BrowserHistory history;
    for (const char* url : {"A", "B", "C"})
        history.navigationCompleted(url);
    history.navigationCompleted("A");
    QCOMPARE(history.history(), QStringList({"A", "B", "C"}));
    QCOMPARE(history.historyIndex(), 0);
    QVERIFY(!history.canGoBack());
    QCOMPARE(history.forwardTarget(), QString("B"));
}

void TestBrowserHistory::addressesComparedWithoutCase()
{
    BrowserHistory history;
    history.navigationCompleted("http://Site.test/");
    history.navigationCompleted("http://other.test/");
    history.navigationCompleted("HTTP://SITE.TEST/");
    QCOMPARE(history.history().size(), 2);
    QCOMPARE(history.historyIndex(), 0);
}

void TestBrowserHistory::typedAddressesGoToTheTopOfTheList()
{
    BrowserHistory history;
    history.addressTyped = true;
    history.navigationCompleted("A");
    QVERIFY(!history.addressTyped);
    history.navigationCompleted("B"); // a link: not in the address list
    history.addressTyped = true;
    history.navigationCompleted("C");
    QCOMPARE(history.addressList(), QStringList({"C", "A"}));
    history.addressTyped = true;
    history.navigationCompleted("a");
    QCOMPARE(history.addressList(), QStringList({"A", "C"}));
}

void TestBrowserHistory::homePageAppendsEveryTime()
{
    BrowserHistory history;
    history.appendAddress("http://home/");
    history.appendAddress("http://home/");
    QCOMPARE(history.addressList(), QStringList({"http://home/", "http://home/"}));
}

void TestBrowserHistory::serviceLinks()
{
    QCOMPARE(SiteSearchLinks::translation("  http://seite.test/ ", "de"),
        QString("https://translate.google.com/translate?u=http://seite.test/&langpair=de%7Cen&hl=en&newwindow=1"
                "&safe=off&ie=UTF-8&oe=UTF-8&prev=%2Flanguage_tools"));
    QCOMPARE(SiteSearchLinks::siteSearch("My Tool", " http://s.test/"),
        QString("https://www.google.com/search?as_q=%22My Tool%22&num=20&hl=en&ie=UTF-8&oe=UTF-8"
                "&btnG=Google+Search&as_epq=&as_oq=&as_eq=&lr=&as_ft=i&as_filetype=&as_qdr=all&as_occt=any"
                "&as_dt=i&as_sitesearch= http://s.test/&safe=images"));
}

QTEST_GUILESS_MAIN(TestBrowserHistory)
#include "TestBrowserHistory.moc"
