// The submission run in the main window on real pages and a real mail server:
// a posted form is offered for marking and never marked by itself, an e-mail
// site is marked only when the server took the mail, and a stopped run is
// offered again at the next start with its progress in the status bar.
#include "BrowserView.h"
#include "DesktopStartup.h"
#include "HistoryWindow.h"
#include "MailWindow.h"
#include "MainWindow.h"
#include "PageServer.h"
#include "RunController.h"
#include "RunPanel.h"
#include "Settings.h"
#include "SmtpTestServer.h"
#include "Sql.h"
#include "SubmissionDatabase.h"
#include "SubmissionHistory.h"
#include "SubmissionRun.h"
#include "TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWebEngineView>

namespace {

QAction* action(QWidget* window, const char* name)
{
    auto* found = window->findChild<QAction*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no action %s", name);
    return found;
}

QString label(QWidget* window, const char* name)
{
    auto* found = window->findChild<QLabel*>(QString::fromLatin1(name));
    return found ? found->text() : QStringLiteral("<no %1>").arg(QString::fromLatin1(name));
}

QVariant flag(SubmissionDatabase& dm, const QString& site, const char* name)
{
    return Sql::scalar(dm.database(),
        QStringLiteral("SELECT %1 FROM ProgSite.ProgSite WHERE ProgramName = 'NoteNest' AND SiteName = ?")
            .arg(QString::fromLatin1(name)),
        {site});
}

QStringList history(SubmissionDatabase& dm)
{
    QStringList lines;
    for (const HistoryEntry& row : SubmissionHistory::read(dm.database()))
        lines.append(row.site + ":" + HistoryEntry::outcomeText(row.outcome));
    return lines;
}

// A started desktop with the program NoteNest chosen and the sites given
// (name, submit address).
void setUp(DesktopStartup& startup, const QList<QPair<QString, QString>>& sites)
{
    startup.start();
    SubmissionDatabase& dm = *startup.dataModule();
    dm.addProgram("NoteNest");
    for (const auto& site : sites)
        Sql::exec(
            dm.database(), "INSERT INTO Sites.Sites (SiteName, SubmitUrl) VALUES (?, ?)", {site.first, site.second});
    dm.refreshData();
    MainWindow* window = startup.mainWindow();
    window->loadProgramsList();
    const int index = window->programsComboBox()->findText("NoteNest");
    window->programsComboBox()->setCurrentIndex(index);
    window->selectProgram(index);
}

} // namespace

class TestSubmissionRunWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void postedFormIsOfferedNotMarked_data();
    void postedFormIsOfferedNotMarked();
    void emailSiteMarkedOnlyWhenTheServerTookIt_data();
    void emailSiteMarkedOnlyWhenTheServerTookIt();
    void stoppedRunIsOfferedAtTheNextStart();
    void runKeysClashWithNoOther();
};

void TestSubmissionRunWindow::postedFormIsOfferedNotMarked_data()
{
    QTest::addColumn<QString>("page");
    QTest::newRow("the post loads the site's answer") << "run-form.html";
    QTest::newRow("the server answers the post with an error page") << "run-post.html";
}

void TestSubmissionRunWindow::postedFormIsOfferedNotMarked()
{
    QFETCH(QString, page);
    PageServer server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    TestProgramDirectory dir;
    RecordingMessageSink sink;
    DesktopStartup startup(dir.path());
    setUp(startup, {{"Aa", server.url(page).toString()}, {"Bb", server.url("run-thanks.html").toString()}});
    MainWindow* window = startup.mainWindow();
    RunPanel* panel = window->runController()->panel();
    QSignalSpy loaded(window->browser(), &QWebEngineView::loadFinished);
    action(window, "StartSubmissionRun")->trigger();
    QVERIFY(panel->isVisibleTo(window));
    QCOMPARE(label(panel, "lblPosition"), QString("Site 1 of 2"));
    QCOMPARE(label(panel, "lblSite"), QString("Aa"));
    QCOMPARE(label(panel, "lblFormMap"), QString("No form map yet: fill the form by hand, then Save form"));
    QVERIFY(loaded.wait(20000));
    QVERIFY(label(panel, "lblPosted").isEmpty());
    window->browser()->page()->runJavaScript("document.getElementById('send').click();");
    QTRY_VERIFY_WITH_TIMEOUT(label(panel, "lblPosted").startsWith("Form posted: mark as submitted?"), 20000);
    // Offered, not marked: only the author's key marks it.
    QVERIFY(!flag(*startup.dataModule(), "Aa", "Submitted").toBool());
    QVERIFY(history(*startup.dataModule()).isEmpty());
    panel->submittedAction()->trigger();
    QCOMPARE(flag(*startup.dataModule(), "Aa", "Submitted").toInt(), 1);
    QCOMPARE(label(panel, "lblSite"), QString("Bb"));
    QCOMPARE(startup.dataModule()->sites().currentSiteName(), QString("Bb"));
    // The next site starts without the offer.
    QVERIFY(label(panel, "lblPosted").isEmpty());
    QCOMPARE(history(*startup.dataModule()), QStringList {"Aa:submitted"});
    QVERIFY2(sink.messages.isEmpty(), qPrintable(sink.texts().join('\n')));
    startup.shutdown();
}

void TestSubmissionRunWindow::emailSiteMarkedOnlyWhenTheServerTookIt_data()
{
    QTest::addColumn<bool>("serverRuns");
    QTest::newRow("the server takes the mail") << true;
    QTest::newRow("no server listens") << false;
}

void TestSubmissionRunWindow::emailSiteMarkedOnlyWhenTheServerTookIt()
{
    QFETCH(bool, serverRuns);
    std::unique_ptr<SmtpTestServer> server;
    int port = SmtpTestServer::unusedPort();
    if (serverRuns) {
        server = std::make_unique<SmtpTestServer>();
        QVERIFY2(server->isRunning(), qPrintable(server->errorOutput()));
        port = server->port();
    }
    TestProgramDirectory dir;
    dir.writeFile("SiteData/EmailTemplate.txt", "New: %Program%\r\nPlease list %Program%.\r\n");
    RecordingMessageSink sink;
    DesktopStartup startup(dir.path());
    setUp(startup, {{"Mail site", "files@mail-site.test"}, {"Zz", "http://127.0.0.1:9/never"}});
    Settings& config = startup.session().config();
    config.hostAddress = "127.0.0.1";
    config.from = "jane@acme.test";
    config.emailPort = port;
    MainWindow* window = startup.mainWindow();
    RunPanel* panel = window->runController()->panel();
    bool mailShown = false;
    QTimer::singleShot(0, [&] {
        auto* mail = qobject_cast<MailWindow*>(QApplication::activeModalWidget());
        mailShown = mail != nullptr;
        if (!mail)
            return;
        QSignalSpy finished(&mail->form(), &MailForm::finished);
        mail->findChild<QPushButton*>("SpeedButton1")->click();
        finished.wait(30000);
        mail->reject();
    });
    // The run opens the mail window at once (modal): the timer answers it.
    action(window, "StartSubmissionRun")->trigger();
    QVERIFY(mailShown);
    SubmissionDatabase& dm = *startup.dataModule();
    if (serverRuns) {
        QVERIFY(server->waitForMails(1));
        QCOMPARE(server->mails().first().recipients(), QStringList {"files@mail-site.test"});
        QCOMPARE(flag(dm, "Mail site", "Submitted").toInt(), 1);
        QCOMPARE(history(dm), QStringList {"Mail site:submitted by e-mail"});
        QCOMPARE(label(panel, "lblSite"), QString("Zz"));
    } else {
        QVERIFY(!flag(dm, "Mail site", "Submitted").toBool());
        QCOMPARE(history(dm), QStringList {"Mail site:mail failed"});
        QCOMPARE(label(panel, "lblSite"), QString("Mail site"));
        QCOMPARE(label(panel, "lblNote"), QString("The mail was not sent: the site is not marked."));
    }
    window->runController()->stopRun();
    startup.shutdown();
}

void TestSubmissionRunWindow::stoppedRunIsOfferedAtTheNextStart()
{
    TestProgramDirectory dir;
    RecordingMessageSink sink;
    {
        DesktopStartup startup(dir.path());
        setUp(
            startup, {{"Aa", "http://127.0.0.1:9/a"}, {"Bb", "http://127.0.0.1:9/b"}, {"Cc", "http://127.0.0.1:9/c"}});
        MainWindow* window = startup.mainWindow();
        QLabel* progress = window->statusBar()->findChild<QLabel*>("lblProgress");
        QVERIFY(progress);
        QCOMPARE(progress->text(), QString("NoteNest: 0 of 3 submitted, 0 published"));
        QVERIFY(!action(window, "ResumeSubmissionRun")->isEnabled());
        action(window, "StartSubmissionRun")->trigger();
        RunPanel* panel = window->runController()->panel();
        panel->skipAction()->trigger();
        panel->submittedAction()->trigger();
        // The status bar follows the flag at once.
        QCOMPARE(progress->text(), QString("NoteNest: 1 of 3 submitted, 0 published"));
        panel->stopAction()->trigger();
        QVERIFY(!panel->isVisibleTo(window));
        QVERIFY(action(window, "ResumeSubmissionRun")->isEnabled());
        startup.shutdown();
    }
    DesktopStartup startup(dir.path());
    startup.start();
    MainWindow* window = startup.mainWindow();
    QVERIFY(window->statusBar()->currentMessage().contains("NoteNest"));
    QAction* resume = action(window, "ResumeSubmissionRun");
    QVERIFY(resume->isEnabled());
    resume->trigger();
    RunPanel* panel = window->runController()->panel();
    QCOMPARE(window->programsComboBox()->currentText(), QString("NoteNest"));
    QCOMPARE(label(panel, "lblSite"), QString("Cc"));
    QCOMPARE(label(panel, "lblPosition"), QString("Site 3 of 3"));
    panel->notApplicableAction()->trigger();
    // Aa, skipped before the stop, comes back once.
    QCOMPARE(label(panel, "lblSite"), QString("Aa"));
    QCOMPARE(label(panel, "lblPosition"), QString("Skipped site 1 of 1"));
    panel->submittedAction()->trigger();
    QVERIFY(!window->runController()->isRunning());
    QCOMPARE(window->statusBar()->findChild<QLabel*>("lblProgress")->text(),
        QString("NoteNest: 2 of 2 submitted, 0 published"));
    // Every step in the history window.
    HistoryWindow historyWindow(startup.session().config(), *startup.dataModule());
    auto* table = historyWindow.findChild<QTableWidget*>("grdHistory");
    QCOMPARE(table->rowCount(), 4);
    table->sortByColumn(2, Qt::DescendingOrder);
    QCOMPARE(table->item(0, 2)->text(), QString("Cc"));
    QCOMPARE(table->item(0, 4)->text(), QString("not applicable"));
    QVERIFY(historyWindow.saveReport(dir.file("history.txt")));
    QVERIFY(dir.readFile("history.txt").startsWith("Submission History Report\r\n"));
    QVERIFY(!resume->isEnabled());
    QVERIFY2(sink.messages.isEmpty(), qPrintable(sink.texts().join('\n')));
    startup.shutdown();
}

void TestSubmissionRunWindow::runKeysClashWithNoOther()
{
    TestProgramDirectory dir;
    RecordingMessageSink sink;
    DesktopStartup startup(dir.path());
    startup.start();
    MainWindow* window = startup.mainWindow();
    RunPanel* panel = window->runController()->panel();
    QMultiHash<QKeySequence, QString> owners;
    for (QAction* each : window->findChildren<QAction*>()) {
        for (const QKeySequence& key : each->shortcuts())
            owners.insert(key, each->objectName());
    }
    for (QAction* run : {panel->submittedAction(), panel->skipAction(), panel->notApplicableAction(),
             panel->backAction(), panel->stopAction()}) {
        QVERIFY2(!run->shortcut().isEmpty(), qPrintable(run->objectName()));
        QCOMPARE(owners.values(run->shortcut()), QStringList {run->objectName()});
        // Keys a text field keeps for itself would never reach the run while typing.
        for (QKeySequence::StandardKey editing : {QKeySequence::SelectNextWord, QKeySequence::SelectPreviousWord,
                 QKeySequence::MoveToNextWord, QKeySequence::MoveToPreviousWord, QKeySequence::InsertLineSeparator})
            QVERIFY2(!QKeySequence::keyBindings(editing).contains(run->shortcut()), qPrintable(run->objectName()));
        // The tooltip names the key.
        const auto* button = panel->findChild<QToolButton*>(run->objectName() + "Button");
        QVERIFY(button);
        QVERIFY2(button->toolTip().contains(run->shortcut().toString(QKeySequence::NativeText)),
            qPrintable(button->toolTip()));
    }
    startup.shutdown();
}

QTEST_MAIN(TestSubmissionRunWindow)
#include "TestSubmissionRunWindow.moc"
