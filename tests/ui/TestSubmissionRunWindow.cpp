// The submission run in the main window on real pages and a real mail server:
// a posted form is offered for marking and never marked by itself, an e-mail
// site is marked only when the server took the mail, and a stopped run is
// offered again at the next start with its progress in the status bar.
#include "BrowserView.h"
#include "DesktopStartup.h"
#include "FocusedDesktop.h"
#include "HistoryWindow.h"
#include "MailWindow.h"
#include "PageServer.h"
#include "RunController.h"
#include "RunFixture.h"
#include "RunPanel.h"
#include "Settings.h"
#include "SmtpTestServer.h"

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

// The fixture's program directory, closed, and a desktop started on it with
// NoteNest chosen in the main window.
struct RunDesktop : RunFixture {
    explicit RunDesktop(const QList<RunSite>& sites = {})
        : RunFixture(sites)
    {
        close();
        restart();
        window->loadProgramsList();
        const int index = window->programsComboBox()->findText("NoteNest");
        window->programsComboBox()->setCurrentIndex(index);
        window->selectProgram(index);
    }
    // Shuts the desktop down and starts it again, as the next start does.
    void restart()
    {
        startup.reset();
        startup = std::make_unique<DesktopStartup>(dir.path());
        startup->start();
        window = startup->mainWindow();
        panel = window->runController()->panel();
    }
    SubmissionDatabase& data() const { return *startup->dataModule(); }
    QAction* action(const char* name) const
    {
        auto* found = window->findChild<QAction*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no action %s", name);
        return found;
    }
    // The text of a label of the run panel or, given, of another widget.
    QString label(const char* name, QWidget* in = nullptr) const
    {
        auto* found = (in ? in : panel)->findChild<QLabel*>(QString::fromLatin1(name));
        return found ? found->text() : QStringLiteral("<no %1>").arg(QString::fromLatin1(name));
    }

    RecordingMessageSink sink;
    std::unique_ptr<DesktopStartup> startup;
    MainWindow* window = nullptr;
    RunPanel* panel = nullptr;
};

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
    RunDesktop d({{"Aa", {{"SubmitUrl", server.url(page).toString()}}},
        {"Bb", {{"SubmitUrl", server.url("run-thanks.html").toString()}}}});
    QUrl loaded; // the page the last load that succeeded ended on
    QObject::connect(d.window->browser(), &QWebEngineView::loadFinished, d.window,
        [&](bool ok) { loaded = ok ? d.window->browser()->url() : QUrl(); });
    d.action("StartSubmissionRun")->trigger();
    QVERIFY(d.panel->isVisibleTo(d.window));
    QCOMPARE(d.label("lblPosition"), QString("Site 1 of 2"));
    QCOMPARE(d.label("lblSite"), QString("Aa"));
    QCOMPARE(d.label("lblFormMap"), QString("No form map yet: fill the form by hand, then Save form"));
    QTRY_COMPARE_WITH_TIMEOUT(loaded, server.url(page), FocusedDesktop::OutcomeTimeoutMs);
    QVERIFY(d.label("lblPosted").isEmpty());
    d.window->browser()->page()->runJavaScript("document.getElementById('send').click();");
    QTRY_VERIFY_WITH_TIMEOUT(
        d.label("lblPosted").startsWith("Form posted: mark as submitted?"), FocusedDesktop::OutcomeTimeoutMs);
    // Offered, not marked: only the author's key marks it.
    QVERIFY(historyLines(d.data()).isEmpty());
    d.panel->submittedAction()->trigger();
    QCOMPARE(d.label("lblSite"), QString("Bb"));
    // The next site starts without the offer.
    QVERIFY(d.label("lblPosted").isEmpty());
    QCOMPARE(historyLines(d.data()), QStringList {"Aa:submitted"});
    QVERIFY2(d.sink.messages.isEmpty(), qPrintable(d.sink.texts().join('\n')));
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
    SmtpTestServer server;
    QVERIFY2(server.isRunning(), qPrintable(server.errorOutput()));
    RunDesktop d(
        {{"Mail site", {{"SubmitUrl", "files@mail-site.test"}}}, {"Zz", {{"SubmitUrl", "http://127.0.0.1:9/"}}}});
    d.dir.writeFile("SiteData/EmailTemplate.txt", "New: %Program%\r\nPlease list %Program%.\r\n");
    Settings& config = d.startup->session().config();
    config.hostAddress = "127.0.0.1";
    config.from = "jane@acme.test";
    config.emailPort = serverRuns ? server.port() : SmtpTestServer::unusedPort();
    bool mailShown = false;
    QTimer::singleShot(0, [&] {
        auto* mail = qobject_cast<MailWindow*>(QApplication::activeModalWidget());
        mailShown = mail != nullptr;
        if (!mail)
            return;
        QSignalSpy finished(&mail->form(), &MailForm::finished);
        mail->findChild<QPushButton*>("SpeedButton1")->click();
        FocusedDesktop::waitForMore(finished, 0);
        mail->reject();
    });
    // The run opens the mail window at once (modal): the timer answers it.
    d.action("StartSubmissionRun")->trigger();
    QVERIFY(mailShown);
    if (serverRuns) {
        QVERIFY(server.waitForMails(1, FocusedDesktop::OutcomeTimeoutMs));
        QCOMPARE(server.mails().first().recipients(), QStringList {"files@mail-site.test"});
    } else {
        QCOMPARE(d.label("lblNote"), QString("The mail was not sent: the site is not marked."));
        QVERIFY(server.mails().isEmpty());
    }
    QCOMPARE(
        historyLines(d.data()), QStringList {serverRuns ? "Mail site:submitted by e-mail" : "Mail site:mail failed"});
    d.window->runController()->stopRun();
}

void TestSubmissionRunWindow::stoppedRunIsOfferedAtTheNextStart()
{
    RunDesktop d(plainSites({"Aa", "Bb", "Cc"}));
    QCOMPARE(d.label("lblProgress", d.window), QString("NoteNest: 0 of 3 submitted, 0 published"));
    QVERIFY(!d.action("ResumeSubmissionRun")->isEnabled());
    d.action("StartSubmissionRun")->trigger();
    d.panel->skipAction()->trigger();
    d.panel->submittedAction()->trigger();
    // The status bar follows the flag at once.
    QCOMPARE(d.label("lblProgress", d.window), QString("NoteNest: 1 of 3 submitted, 0 published"));
    d.panel->stopAction()->trigger();
    QVERIFY(!d.panel->isVisibleTo(d.window));
    QVERIFY(d.action("ResumeSubmissionRun")->isEnabled());
    d.restart();
    QVERIFY(d.window->statusBar()->currentMessage().contains("NoteNest"));
    QVERIFY(d.action("ResumeSubmissionRun")->isEnabled());
    d.action("ResumeSubmissionRun")->trigger();
    QCOMPARE(d.window->programsComboBox()->currentText(), QString("NoteNest"));
    // The stored run goes on after its last site (a new run would be "Site 1 of 2").
    QCOMPARE(d.label("lblPosition"), QString("Site 3 of 3"));
    d.panel->notApplicableAction()->trigger();
    QCOMPARE(d.label("lblPosition"), QString("Skipped site 1 of 1"));
    d.panel->submittedAction()->trigger();
    QVERIFY(!d.window->runController()->isRunning());
    // Every step in the history window.
    HistoryWindow historyWindow(d.startup->session().config(), d.data());
    auto* table = historyWindow.findChild<QTableWidget*>("grdHistory");
    QCOMPARE(table->rowCount(), 4);
    table->sortByColumn(2, Qt::DescendingOrder);
    QCOMPARE(table->item(0, 2)->text() + ":" + table->item(0, 4)->text(), QString("Cc:not applicable"));
    QVERIFY(historyWindow.saveReport(d.dir.file("history.txt")));
    QVERIFY(d.dir.readFile("history.txt").startsWith("Submission History Report\r\n"));
    QVERIFY(!d.action("ResumeSubmissionRun")->isEnabled());
    QVERIFY2(d.sink.messages.isEmpty(), qPrintable(d.sink.texts().join('\n')));
}

void TestSubmissionRunWindow::runKeysClashWithNoOther()
{
    RunDesktop d;
    QMultiHash<QKeySequence, QString> owners;
    for (QAction* each : d.window->findChildren<QAction*>()) {
        for (const QKeySequence& key : each->shortcuts())
            owners.insert(key, each->objectName());
    }
    for (QAction* run : {d.panel->submittedAction(), d.panel->skipAction(), d.panel->notApplicableAction(),
             d.panel->backAction(), d.panel->stopAction()}) {
        QVERIFY2(!run->shortcut().isEmpty(), qPrintable(run->objectName()));
        QCOMPARE(owners.values(run->shortcut()), QStringList {run->objectName()});
        // Keys a text field keeps for itself would never reach the run while typing.
        for (QKeySequence::StandardKey editing : {QKeySequence::SelectNextWord, QKeySequence::SelectPreviousWord,
                 QKeySequence::MoveToNextWord, QKeySequence::MoveToPreviousWord, QKeySequence::InsertLineSeparator})
            QVERIFY2(!QKeySequence::keyBindings(editing).contains(run->shortcut()), qPrintable(run->objectName()));
        // The tooltip names the key.
        const auto* button = d.panel->findChild<QToolButton*>(run->objectName() + "Button");
        QVERIFY(button);
        QVERIFY2(button->toolTip().contains(run->shortcut().toString(QKeySequence::NativeText)),
            qPrintable(button->toolTip()));
    }
}

QTEST_MAIN(TestSubmissionRunWindow)
#include "TestSubmissionRunWindow.moc"
