#include "DataFixture.h"
#include "QuilletError.h"

#include <QSignalSpy>
#include <QTest>

class TestSites : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void navLinksFallBack();
    void navLinkKindIsCaseSensitive();
    void siteByKeyMovesForwardOnly();
    void listIsInNameOrderWithoutRegardToCase();
    void hideCurrentSiteUnderBothFilters();
    void accountFieldsWrittenToTheTable();
    void cursorKeepsItsSiteAcrossRefresh();
};

void TestSites::navLinksFallBack()
{
    DataFixture f;
    f.open();
    f.addSite("homeonly", {{"HomeUrl", "http://home.test/"}});
    f.addSite("submitonly", {{"HomeUrl", "http://h.test/"}, {"SubmitUrl", "http://h.test/submit"}});
    f.addSite("mail", {{"HomeUrl", "http://m.test/"}, {"SubmitUrl", "submit@m.test"}, {"EMail", "editor@m.test"}});

    f.dm().sites().locate("homeonly");
    for (const char* kind : {"home", "search", "submit", "update"}) {
        QString link = "unchanged";
        f.dm().getNavLink(kind, link);
        QCOMPARE(link, QString("http://home.test/"));
    }
    QString link = "unchanged";
    f.dm().getNavLink("email", link);
    QCOMPARE(link, QString());

    f.dm().sites().locate("submitonly");
    f.dm().getNavLink("update", link);
    QCOMPARE(link, QString("http://h.test/submit"));
    f.dm().getNavLink("search", link);
    QCOMPARE(link, QString("http://h.test/"));

    // A mail address is returned as it is; telling it apart is the caller's job.
    f.dm().sites().locate("mail");
    f.dm().getNavLink("update", link);
    QCOMPARE(link, QString("submit@m.test"));
    f.dm().getNavLink("email", link);
    QCOMPARE(link, QString("editor@m.test"));
}

void TestSites::navLinkKindIsCaseSensitive()
{
    DataFixture f;
    f.open();
    f.addSite("a", {{"HomeUrl", "http://a.test/"}});
    f.dm().sites().first();
    QString link = "kept";
    f.dm().getNavLink("Home", link);
    QCOMPARE(link, QString("kept"));
    f.dm().getNavLink("anything", link);
    QCOMPARE(link, QString("kept"));
}

void TestSites::siteByKeyMovesForwardOnly()
{
    DataFixture f;
    f.open();
    for (const char* name : {"Alpha", "beta", "Mango", "mint", "Omega", "Zeta"})
        f.addSite(name);
    SiteCursor& sites = f.dm().sites();

    sites.locate("Zeta");
    f.dm().getSiteByKey('a');
    QCOMPARE(sites.currentSiteName(), QString("Zeta"));

    sites.locate("Alpha");
    f.dm().getSiteByKey('m');
    QCOMPARE(sites.currentSiteName(), QString("Mango"));
    f.dm().getSiteByKey('n');
    QCOMPARE(sites.currentSiteName(), QString("Omega"));

    sites.locate("Alpha");
    f.dm().getSiteByKey('y');
    QCOMPARE(sites.currentSiteName(), QString("Zeta"));
    sites.locate("beta");
    f.dm().getSiteByKey('~');
    QCOMPARE(sites.currentSiteName(), QString("Zeta"));
    sites.locate("beta");
    f.dm().getSiteByKey('b');
    QCOMPARE(sites.currentSiteName(), QString("beta"));
}

void TestSites::listIsInNameOrderWithoutRegardToCase()
{
    DataFixture f;
    f.open();
    for (const char* name : {"zeta", "Beta", "alpha", "Gamma"})
        f.addSite(name);
    QCOMPARE(f.visibleSites(), QStringList({"alpha", "Beta", "Gamma", "zeta"}));
}

void TestSites::hideCurrentSiteUnderBothFilters()
{
    DataFixture f;
    f.open();
    f.addSite("a");
    f.addSite("b");
    f.addSite("c");
    f.addSite("dead", {{"Dead", 1}});
    SiteCursor& sites = f.dm().sites();
    sites.locate("b");
    f.dm().hideCurrentSite();
    QCOMPARE(f.siteRow("b").value("Hide").toInt(), 1);
    QCOMPARE(f.visibleSites(), QStringList({"a", "c"}));
    QCOMPARE(sites.currentSiteName(), QString("c"));

    f.dm().setShowHiddenSites(true);
    QVERIFY(f.dm().showHiddenSites());
    QCOMPARE(f.dm().sites().filterText(), QString("Dead=False"));
    QCOMPARE(f.visibleSites(), QStringList({"a", "b", "c"}));
    sites.locate("b");
    f.dm().hideCurrentSite();
    QCOMPARE(f.siteRow("b").value("Hide").toInt(), 0);
    QCOMPARE(f.visibleSites(), QStringList({"a", "b", "c"}));
    sites.locate("a");
    f.dm().hideCurrentSite();
    QCOMPARE(sites.currentSiteName(), QString("a"));

    f.dm().setShowHiddenSites(false);
    QCOMPARE(f.dm().sites().filterText(), QString("Dead=False AND Hide=False"));
    QCOMPARE(f.visibleSites(), QStringList({"b", "c"}));
}

void TestSites::accountFieldsWrittenToTheTable()
{
    DataFixture f;
    f.open();
    f.addSite("a", {{"Notes", "central"}});
    f.dm().sites().first();
    QSignalSpy changed(&f.dm().sites(), &SiteCursor::rowChanged);
    f.dm().setCurrentSiteText("Username", "author");
    f.dm().setCurrentSiteText("password", "p'w\"d");
    f.dm().setCurrentSiteText("UserNotes", "line 1\nline 2");
    f.dm().setCurrentSiteText("Notes", "maintainer edit");
    QCOMPARE(changed.count(), 4);
    QCOMPARE(f.dm().sites().field("Password").toString(), QString("p'w\"d"));
    const QVariantMap row = f.siteRow("a");
    QCOMPARE(row.value("Username").toString(), QString("author"));
    QCOMPARE(row.value("Password").toString(), QString("p'w\"d"));
    QCOMPARE(row.value("UserNotes").toString(), QString("line 1\nline 2"));
    QCOMPARE(row.value("Notes").toString(), QString("maintainer edit"));
    QVERIFY_THROWS_EXCEPTION(QuilletError, f.dm().setCurrentSiteText("Rating", "5"));
    QVERIFY_THROWS_EXCEPTION(QuilletError, f.dm().setCurrentSiteText("Hide", "1"));
}

void TestSites::cursorKeepsItsSiteAcrossRefresh()
{
    DataFixture f;
    f.open();
    f.addSite("b");
    f.addSite("d");
    f.dm().sites().locate("d");
    f.addSite("a");
    f.addSite("c");
    QCOMPARE(f.dm().sites().currentSiteName(), QString("d"));
    QCOMPARE(f.dm().sites().currentIndex(), 3);
    QCOMPARE(f.dm().sites().bookmark(), QString("d"));
    f.dm().sites().first();
    f.dm().sites().prior();
    QCOMPARE(f.dm().sites().currentIndex(), 0);
    f.dm().sites().gotoBookmark("c");
    QCOMPARE(f.dm().sites().currentIndex(), 2);
}

QTEST_GUILESS_MAIN(TestSites)
#include "TestSites.moc"
