#include "BrowserView.h"
#include "DataFixture.h"
#include "DesktopStartup.h"
#include "MailWindow.h"
#include "MainWindow.h"
#include "MessageTranslator.h"
#include "SmtpTestServer.h"
#include "SubmissionDatabase.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

namespace {

const char* const kFailure = "Could not send mail, you may have an invalid SMTP host";

// Whatever modal window opens next: what check saw of it, then it is closed.
// A window that opens when none is expected is closed all the same, so a
// wrong command can never hang the test.
class ModalWatcher {
public:
    explicit ModalWatcher(std::function<void(QWidget*)> check = {})
        : m_check(std::move(check))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            ++shown;
            if (m_check)
                m_check(modal);
            modal->close();
        });
        m_timer.start(20);
    }

    int shown = 0;

private:
    std::function<void(QWidget*)> m_check;
    QTimer m_timer;
};

template<typename T> T* child(QWidget* window, const char* name)
{
    T* widget = window->findChild<T*>(QString::fromLatin1(name));
    if (!widget)
        qWarning("no %s", name);
    return widget;
}

QString text(QWidget* window, const char* name)
{
    if (auto* box = window->findChild<QPlainTextEdit*>(QString::fromLatin1(name)))
        return box->toPlainText();
    if (auto* edit = window->findChild<QLineEdit*>(QString::fromLatin1(name)))
        return edit->text();
    if (auto* label = window->findChild<QLabel*>(QString::fromLatin1(name)))
        return label->text();
    if (auto* button = window->findChild<QPushButton*>(QString::fromLatin1(name)))
        return button->text();
    return QStringLiteral("<no %1>").arg(QLatin1String(name));
}

// A program directory with settings that point at a server.
struct MailSetup {
    TestProgramDirectory dir;
    PropertyCatalogue properties;
    Settings config {dir.path(), properties};
    RecordingMessageSink sink;

    explicit MailSetup(int port = 25)
    {
        config.loadSettings();
        config.hostAddress = "127.0.0.1";
        config.from = "jane@acme.test";
        config.emailPort = port;
    }
};

MailDraft draft()
{
    return MailDraft {"ed@sites.test", "New: Tool 2.5", "Dear editor,\r\n\r\nTool 2.5 is out.\r\n", ""};
}

} // namespace

class TestMailWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void windowShowsTheOpenersMailAndItsControls();
    void windowTextsAreTranslated();
    void statusLinesAppearWhileTheMailGoesOut();
    void failureShowsTheMessageAndTheErrorLine();
    void invalidSettingsSendNothing();
    void browseStartsInLastArcPathAndRejectsMissingFiles();
    void doneWhileSendingStopsTheSendAndCloses();
    void pageCommandsOpenTheMailWindow();
    void friendlyRequest();
};

void TestMailWindow::windowShowsTheOpenersMailAndItsControls()
{
    MailSetup setup;
    MailWindow window(setup.config);
    window.setDraft(draft());
    window.mailCC = "boss@acme.test";
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.objectName(), QString("frmMail"));
    QCOMPARE(window.windowTitle(), QString("Mailer - ed@sites.test"));
    QCOMPARE(text(&window, "edtEMail"), QString("ed@sites.test"));
    QCOMPARE(text(&window, "edtSubj"), QString("New: Tool 2.5"));
    QCOMPARE(text(&window, "Memo1"), QString("Dear editor,\n\nTool 2.5 is out.\n"));
    QCOMPARE(text(&window, "edtCC"), QString("boss@acme.test"));
    QCOMPARE(text(&window, "edtBCC"), QString());
    QCOMPARE(text(&window, "edtFile"), QString());
    QCOMPARE(text(&window, "Label11"), QString("E-Mail:"));
    QCOMPARE(text(&window, "Label1"), QString("Subject:"));
    QCOMPARE(text(&window, "Label2"), QString("File:"));
    QCOMPARE(text(&window, "Label3"), QString("CC:"));
    QCOMPARE(text(&window, "Label4"), QString("BCC:"));
    QCOMPARE(text(&window, "SpeedButton1"), QString("&Mail"));
    QCOMPARE(text(&window, "SpeedButton2"), QString("&Done"));
    QCOMPARE(text(&window, "btnBrowseFile"), QString("..."));
    auto* display = child<QPlainTextEdit>(&window, "DisplayMemo");
    QVERIFY(display && display->isReadOnly());
    QCOMPARE(display->toolTip(), QString("This memo shows info messages"));
    QCOMPARE(display->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QVERIFY(!(display->focusPolicy() & Qt::TabFocus));
    auto* statusBar = child<QStatusBar>(&window, "StatusBar1");
    QVERIFY(statusBar && statusBar->currentMessage().isEmpty());

    // The boxes' texts go out with CR LF line breaks, as typed.
    child<QPlainTextEdit>(&window, "edtBCC")->setPlainText("audit@acme.test");
    const MailFields fields = window.fields();
    QCOMPARE(fields.body, QString("Dear editor,\r\n\r\nTool 2.5 is out.\r\n"));
    QCOMPARE(fields.bcc, QString("audit@acme.test"));

    // Every showing fills the boxes from the four fields again.
    window.mailTo = "other@sites.test";
    window.hide();
    window.show();
    QCOMPARE(window.windowTitle(), QString("Mailer - other@sites.test"));
    QCOMPARE(text(&window, "edtBCC"), QString());
}

void TestMailWindow::windowTextsAreTranslated()
{
    MailSetup setup;
    setup.dir.writeFile("Deutsch.lng",
        "[Translations]\nfrmMail.Label11.Caption=An:\nfrmMail.Label4.Caption=Blindkopie:\n"
        "frmMail.SpeedButton1.Caption=&Senden\nfrmMail.SpeedButton2.Caption=&Fertig\n"
        "frmMail.DisplayMemo.Hint=Meldungen\n[Messages]\nMailer=Postbote\n");
    setup.config.language = "Deutsch";
    useLanguageOf(&setup.config);
    {
        MailWindow window(setup.config);
        window.setDraft(draft());
        window.show();
        QCOMPARE(window.windowTitle(), QString("Postbote - ed@sites.test"));
        QCOMPARE(text(&window, "Label11"), QString("An:"));
        QCOMPARE(text(&window, "Label4"), QString("Blindkopie:"));
        QCOMPARE(text(&window, "Label3"), QString("CC:")); // no translation: English stays
        QCOMPARE(text(&window, "SpeedButton1"), QString("&Senden"));
        QCOMPARE(text(&window, "SpeedButton2"), QString("&Fertig"));
        QCOMPARE(child<QPlainTextEdit>(&window, "DisplayMemo")->toolTip(), QString("Meldungen"));
        QCOMPARE(MailWindow::translationPaths().size(), 9);
    }
    useLanguageOf(nullptr);
}

void TestMailWindow::statusLinesAppearWhileTheMailGoesOut()
{
    SmtpTestServer::Options options;
    options.delaySeconds = 1.5; // the server thinks before it takes the mail
    SmtpTestServer server(options);
    QVERIFY2(server.isRunning(), qPrintable(server.errorOutput()));
    MailSetup setup(server.port());
    MailWindow window(setup.config);
    window.setDraft(draft());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    child<QPlainTextEdit>(&window, "edtCC")->setPlainText("cc@sites.test");
    child<QLineEdit>(&window, "edtSubj")->setText("Changed subject");
    auto* send = child<QPushButton>(&window, "SpeedButton1");
    auto* display = child<QPlainTextEdit>(&window, "DisplayMemo");

    QTest::mouseClick(send, Qt::LeftButton);
    // The window keeps running its events: the lines come while the server waits.
    QTRY_VERIFY_WITH_TIMEOUT(display->toPlainText().contains("> DATA"), 10000);
    QVERIFY(!send->isEnabled());
    QVERIFY(!display->toPlainText().contains("Message accepted"));
    QTest::mouseClick(send, Qt::LeftButton); // off: no second mail
    QTRY_VERIFY_WITH_TIMEOUT(send->isEnabled(), 10000);
    QVERIFY(display->toPlainText().contains("< 250 2.0.0 Message accepted for delivery"));
    QVERIFY(display->toPlainText().contains("> QUIT"));
    QVERIFY(setup.sink.messages.isEmpty());
    QVERIFY(server.waitForMails(1));
    QTest::qWait(200);
    QCOMPARE(server.mails().size(), 1);
    const SmtpTestServer::Mail mail = server.mails().first();
    QCOMPARE(mail.recipients(), QStringList({"ed@sites.test", "cc@sites.test"}));
    QCOMPARE(mail.header("Subject"), QStringList({"Changed subject"}));
    QCOMPARE(mail.text(), QString("Dear editor,\r\n\r\nTool 2.5 is out.\r\n"));
    QVERIFY(setup.dir.readFile("QuilletMail.log").contains("\r\nTo: ed@sites.test\r\nCC: cc@sites.test\r\n"));
    QVERIFY(window.isVisible());
}

void TestMailWindow::failureShowsTheMessageAndTheErrorLine()
{
    MailSetup setup(SmtpTestServer::unusedPort());
    MailWindow window(setup.config);
    window.setDraft(draft());
    window.show();
    auto* display = child<QPlainTextEdit>(&window, "DisplayMemo");
    QTest::mouseClick(child<QPushButton>(&window, "SpeedButton1"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!setup.sink.messages.isEmpty(), 20000);
    QCOMPARE(setup.sink.texts(), QStringList({kFailure}));
    QVERIFY2(display->toPlainText().split('\n').last().contains("onnect"), qPrintable(display->toPlainText()));
    QTRY_VERIFY(child<QPushButton>(&window, "SpeedButton1")->isEnabled());
    QVERIFY(window.isVisible());
    QVERIFY(!setup.dir.readFile("QuilletMail.log").isEmpty());
}

void TestMailWindow::invalidSettingsSendNothing()
{
    MailSetup setup;
    setup.config.from.clear();
    MailWindow window(setup.config);
    window.setDraft(draft());
    window.show();
    QTest::mouseClick(child<QPushButton>(&window, "SpeedButton1"), Qt::LeftButton);
    QCOMPARE(setup.sink.texts(), QStringList({"Invalid SMTP server parameters."}));
    QCOMPARE(text(&window, "DisplayMemo"), QString());
    QVERIFY(child<QPushButton>(&window, "SpeedButton1")->isEnabled());
    QVERIFY(!QFile::exists(setup.dir.file("QuilletMail.log")));
}

void TestMailWindow::browseStartsInLastArcPathAndRejectsMissingFiles()
{
    MailSetup setup;
    setup.config.lastArcPath = setup.dir.path() + "archives/";
    setup.dir.writeFile("archives/tool.zip", "PK");
    MailWindow window(setup.config);
    window.setDraft(draft());
    window.show();
    QString shownFilter;
    QString shownFolder;
    QString answer = setup.dir.file("archives/missing.zip");
    window.setFileChooser([&](QWidget*, const QString& filter, const QString& folder) {
        shownFilter = filter;
        shownFolder = folder;
        return answer;
    });
    QTest::mouseClick(child<QPushButton>(&window, "btnBrowseFile"), Qt::LeftButton);
    QCOMPARE(shownFolder, setup.dir.path() + "archives/");
    QCOMPARE(
        shownFilter, QString("Zip Files (*.Zip *.zip *.ZIP);;Executable Files (*.Exe *.exe *.EXE);;All Files (*)"));
    QCOMPARE(setup.sink.texts(), QStringList({setup.dir.file("archives/missing.zip") + " does not exist."}));
    QCOMPARE(text(&window, "edtFile"), QString());

    answer = setup.dir.path() + "archives/../archives/tool.zip";
    window.browseFile();
    QCOMPARE(text(&window, "edtFile"), setup.dir.file("archives/tool.zip"));
    QCOMPARE(setup.sink.messages.size(), 1);
    QCOMPARE(setup.config.lastArcPath, setup.dir.path() + "archives/");

    answer.clear(); // cancelled
    window.browseFile();
    QCOMPARE(text(&window, "edtFile"), setup.dir.file("archives/tool.zip"));
}

void TestMailWindow::doneWhileSendingStopsTheSendAndCloses()
{
    SmtpTestServer::Options options;
    options.delaySeconds = 30;
    SmtpTestServer server(options);
    MailSetup setup(server.port());
    MailWindow window(setup.config);
    window.setDraft(draft());
    window.show();
    auto* display = child<QPlainTextEdit>(&window, "DisplayMemo");
    QTest::mouseClick(child<QPushButton>(&window, "SpeedButton1"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(display->toPlainText().contains("> DATA"), 10000);
    QTest::mouseClick(child<QPushButton>(&window, "SpeedButton2"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), 5000);
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QVERIFY(setup.sink.messages.isEmpty());
    QVERIFY(setup.dir.readFile("QuilletMail.log").contains("\r\nTo: ed@sites.test\r\n"));
    QVERIFY(server.mails().isEmpty());
}

void TestMailWindow::pageCommandsOpenTheMailWindow()
{
    DataFixture f;
    f.open();
    f.addSite("Fernhill Files",
        {{"HomeUrl", "http://fernhill.test/"}, {"SubmitUrl", "submissions@fernhill.test"},
            {"EMail", "editor@fernhill.test"}});
    f.addSite("Granite Apps", {{"HomeUrl", "http://granite.test/"}, {"SubmitUrl", "files@granite.test"}});
    f.properties()[14].setValue("Tool");
    f.properties()[15].setValue("2.5");
    f.dm().saveProgram("Tool");
    f.close();
    f.dir.writeFile("quillet.ini", "[LastProgram]\nProgramName=Tool\n[Config]\nLastCompany=Acme Ltd\n");
    f.dir.writeFile(
        "SiteData/Fernhill FilesEmailTemplate.txt", "New: %Program% %Version%\r\nDear editor,\r\n%Company%");
    RecordingMessageSink sink;
    DesktopStartup startup(f.dir.path());
    startup.start();
    MainWindow* window = startup.mainWindow();
    QVERIFY(startup.dataModule()->sites().locate("Fernhill Files"));

    QStringList seen;
    {
        ModalWatcher watcher([&](QWidget* modal) {
            seen << modal->objectName() << modal->windowTitle() << text(modal, "edtEMail") << text(modal, "edtSubj")
                 << text(modal, "Memo1") << text(modal, "edtCC");
        });
        window->openSubmitPage();
        QCOMPARE(watcher.shown, 1);
    }
    QCOMPARE(seen,
        QStringList({"frmMail", "Mailer - submissions@fernhill.test", "submissions@fernhill.test", "New: Tool 2.5",
            "Dear editor,\nAcme Ltd\n", ""}));
    // The browser was not sent anywhere.
    QVERIFY(window->browser()->url().isEmpty());

    // The update page falls back to the submit address and to the site's submit template.
    seen.clear();
    {
        ModalWatcher watcher([&](QWidget* modal) { seen << text(modal, "edtEMail") << text(modal, "edtSubj"); });
        window->openUpdatePage();
        QCOMPARE(watcher.shown, 1);
    }
    QCOMPARE(seen, QStringList({"submissions@fernhill.test", "New: Tool 2.5"}));
    f.dir.writeFile("SiteData/Fernhill FilesUpdateEmailTemplate.txt", "Update: %Program%");
    seen.clear();
    {
        ModalWatcher watcher([&](QWidget* modal) { seen << text(modal, "edtSubj") << text(modal, "Memo1"); });
        window->openUpdatePage();
    }
    QCOMPARE(seen, QStringList({"Update: Tool", ""}));

    // A site without its own template and no generic one: the template's error, no window.
    QVERIFY(startup.dataModule()->sites().locate("Granite Apps"));
    {
        ModalWatcher watcher;
        window->openSubmitPage();
        QTest::qWait(50);
        QCOMPARE(watcher.shown, 0);
    }
    QCOMPARE(sink.texts(), QStringList({"Cannot open file " + f.dir.path() + "SiteData/EmailTemplate.txt"}));
    startup.shutdown();
}

void TestMailWindow::friendlyRequest()
{
    DataFixture f;
    f.open();
    f.addSite("Acorn", {{"SubmitUrl", "http://acorn.test/"}, {"EMail", "ed@acorn.test"}, {"VelmoraFriendly", 1}});
    f.addSite("Birch", {{"SubmitUrl", "http://birch.test/"}, {"EMail", "ed@birch.test"}});
    f.addSite("Cedar", {{"SubmitUrl", "http://cedar.test/"}});
    f.close();
    RecordingMessageSink sink;
    DesktopStartup startup(f.dir.path());
    startup.start();
    MainWindow* window = startup.mainWindow();
    QAction* request = window->findChild<QAction*>("SendMakeVelmoraFriendlyRequest1");
    QVERIFY(request && request->isEnabled());
    QCOMPARE(request->shortcut(), QKeySequence(Qt::ALT | Qt::Key_T));
    SiteCursor& sites = startup.dataModule()->sites();

    ModalWatcher watcher([&](QWidget* modal) { sink.messages.append({modal->windowTitle(), "window"}); });
    QVERIFY(sites.locate("Acorn"));
    request->trigger();
    QCOMPARE(sink.texts(), QStringList({"This site is already velmora friendly."}));
    // No template yet, and a site without a mail address: nothing at all.
    QVERIFY(sites.locate("Birch"));
    request->trigger();
    QVERIFY(sites.locate("Cedar"));
    request->trigger();
    f.dir.writeFile("SiteData/VelmoraFriendlyNoticeTemplate.txt", "Please\r\nThanks");
    request->trigger();
    QTest::qWait(60);
    QCOMPARE(watcher.shown, 0);
    QCOMPARE(sink.messages.size(), 1);
    QVERIFY(sites.locate("Birch"));
    request->trigger();
    QCOMPARE(watcher.shown, 1);
    QCOMPARE(sink.messages.last().text, QString("Mailer - ed@birch.test"));
    startup.shutdown();
}

QTEST_MAIN(TestMailWindow)
#include "TestMailWindow.moc"
