#include "DataFixture.h"
#include "DesktopStartup.h"
#include "SiteListModel.h"
#include "SiteListNote.h"
#include "SubmissionDatabase.h"
#include "TestSupport.h"

#include <QAbstractItemView>
#include <QProcess>
#include <QTableView>
#include <QTest>

namespace {

QTableView* siteGrid(DesktopStartup& startup)
{
    return startup.siteSelector()->findChild<QTableView*>(QStringLiteral("sitesDBGrid"));
}

SiteListNote* siteNote(DesktopStartup& startup)
{
    return startup.siteSelector()->findChild<SiteListNote*>(QStringLiteral("SiteListNote"));
}

// program directory + "sites.zip" holding sites.csv with these lines.
bool writeSiteArchive(const TestProgramDirectory& dir, const QByteArray& csv)
{
    TestProgramDirectory source;
    source.writeFile("sites.csv", csv);
    QProcess zip;
    zip.setWorkingDirectory(source.path());
    zip.start("zip", {"-q", dir.file("sites.zip"), "sites.csv"});
    return zip.waitForFinished(30000) && zip.exitCode() == 0;
}

} // namespace

// The desktop program started on an empty program directory, as an installed
// copy starts the first time: a usable window, no message, and a note in the
// site list's place until sites arrive.
class TestFirstStart : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void emptyFolderGivesAWindowAndTheNote();
    void noteGoesWhenTheSiteListArrives();
    void filteredOutSitesGiveNoNote();
    void unreadableSitesTableGivesNoNote();
    void noteIsTranslated();
};

void TestFirstStart::emptyFolderGivesAWindowAndTheNote()
{
    TestProgramDirectory dir;
    RecordingMessageSink sink;
    DesktopStartup startup(dir.path());
    startup.start();
    QCOMPARE(startup.completedSteps(),
        QStringList({"main window", "data module", "data selector", "site selector", "report window", "tabs"}));
    startup.show();
    QVERIFY(QTest::qWaitForWindowExposed(startup.mainWindow()));
    QVERIFY2(sink.messages.isEmpty() && sink.questions.isEmpty(), qPrintable(sink.texts().join('\n')));

    QTableView* grid = siteGrid(startup);
    SiteListNote* note = siteNote(startup);
    QVERIFY(grid && note);
    QVERIFY(grid->isVisible());
    QVERIFY(note->isVisible());
    QCOMPARE(note->parentWidget(), grid->viewport());
    QCOMPARE(note->geometry(), grid->viewport()->rect());
    QVERIFY(note->text().startsWith("No sites yet."));
    QVERIFY(note->text().contains("\"Check for site updates\" in the File menu"));
    QVERIFY(note->text().contains("scripts/setup-demo.sh DIR"));
    // The note follows the list when the window changes size.
    startup.mainWindow()->resize(startup.mainWindow()->size() + QSize(120, 160));
    QTRY_COMPARE(note->geometry(), grid->viewport()->rect());
    QVERIFY(note->height() > 0);

    startup.mainWindow()->close();
    startup.shutdown();
    QVERIFY2(sink.messages.isEmpty(), qPrintable(sink.texts().join('\n')));
}

void TestFirstStart::noteGoesWhenTheSiteListArrives()
{
    TestProgramDirectory dir;
    RecordingMessageSink sink;
    DesktopStartup startup(dir.path());
    startup.start();
    startup.show();
    QVERIFY(QTest::qWaitForWindowExposed(startup.mainWindow()));
    SiteListNote* note = siteNote(startup);
    QVERIFY(note->isVisible());

    QVERIFY(writeSiteArchive(dir, "Arrived,http://a.example/\r\nSecond,http://b.example/\r\n"));
    QVERIFY(startup.dataModule()->updateSites());
    QCOMPARE(siteGrid(startup)->model()->rowCount(), 2);
    QVERIFY(!note->isVisible());

    // Every site hidden from the list again: a filter, not an empty table.
    startup.dataModule()->setSiteFilter("SiteName='nothing matches'");
    QCOMPARE(siteGrid(startup)->model()->rowCount(), 0);
    QVERIFY(!note->isVisible());
    QVERIFY2(sink.messages.isEmpty(), qPrintable(sink.texts().join('\n')));
    startup.shutdown();
}

void TestFirstStart::filteredOutSitesGiveNoNote()
{
    DataFixture f;
    f.open();
    f.addSite("Gone", {{"Dead", true}});
    f.addSite("Hidden", {{"Hide", true}});
    f.close();
    RecordingMessageSink sink;
    DesktopStartup startup(f.dir.path());
    startup.start();
    startup.show();
    QVERIFY(QTest::qWaitForWindowExposed(startup.mainWindow()));
    QCOMPARE(siteGrid(startup)->model()->rowCount(), 0);
    QVERIFY(!siteNote(startup)->isVisible());
    startup.shutdown();
}

void TestFirstStart::unreadableSitesTableGivesNoNote()
{
    TestProgramDirectory dir;
    const QByteArray notATable = "This is a text file that took the table's name.\n";
    dir.writeFile("Sites.DAT", notATable);
    RecordingMessageSink sink;
    DesktopStartup startup(dir.path());
    startup.start();
    startup.show();
    QVERIFY(QTest::qWaitForWindowExposed(startup.mainWindow()));
    QVERIFY(startup.siteSelector());
    QVERIFY(!startup.dataModule()->isTableOpen(Table::Sites));
    // The damaged file was reported; the note does not claim the list is merely empty.
    QVERIFY(!sink.messages.isEmpty());
    QVERIFY(!siteNote(startup)->isVisible());
    startup.shutdown();
    QCOMPARE(dir.readFile("Sites.DAT"), notATable);
}

void TestFirstStart::noteIsTranslated()
{
    TestProgramDirectory dir;
    dir.writeFile("quillet.ini", "[Config]\nLanguage=Deutsch\n");
    dir.writeFile("Deutsch.lng", "[Messages]\nNo sites yet.=Noch keine Sites.\n");
    RecordingMessageSink sink;
    DesktopStartup startup(dir.path());
    startup.start();
    const QString text = siteNote(startup)->text();
    QVERIFY2(text.startsWith("Noch keine Sites.\n\n"), qPrintable(text));
    // Sentences without a translation stay English.
    QVERIFY(text.contains("\"Check for site updates\" in the File menu"));
    startup.shutdown();
}

QTEST_MAIN(TestFirstStart)
#include "TestFirstStart.moc"
