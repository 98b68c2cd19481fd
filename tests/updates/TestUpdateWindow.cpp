#include "DataFixture.h"
#include "DesktopStartup.h"
#include "HelpWindow.h"
#include "IniDocument.h"
#include "LoginDialog.h"
#include "MainWindow.h"
#include "QuilletApplication.h"
#include "SiteUpdateCommand.h"
#include "TestHttpServer.h"
#include "UpdateCheck.h"
#include "WindowTranslator.h"
#include "ZipArchive.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

const QByteArray kSiteLines = "Alpha,http://alpha/,,,,,True,False,False,False,False,DE,5,,,False\r\n"
                              "Beta,http://beta/,,,,,False,True,False,False,False,FR,,,,False\r\n";

QAction* action(QWidget* window, const char* name)
{
    return window->findChild<QAction*>(QString::fromLatin1(name));
}

// Runs answer on the login dialog as soon as it is shown modally.
void whenLoginDialogOpens(QObject* context, std::function<void(LoginDialog*)> answer)
{
    auto* timer = new QTimer(context);
    QObject::connect(timer, &QTimer::timeout, context, [timer, answer] {
        auto* dialog = qobject_cast<LoginDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        answer(dialog);
    });
    timer->start(20);
}

// What the window showed at one moment of a transfer.
struct Moment {
    QString label;
    QString status;
    bool barVisible = false;
    int barValue = 0;
    int barMaximum = 0;
    bool hourglass = false;
};

} // namespace

class TestUpdateWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void loginDialogTextsTranslationAndStoring();
    void checkShowsItsProgressAndMerges();
    void failedDownloadReachesTheErrorHandler();
    void secondCheckIsRefusedAndStopEndsTheFirst();

private:
    // A program directory whose settings name the server and a stored login.
    void prepare(DataFixture& f) const;

    std::unique_ptr<TestHttpServer> m_server;
};

void TestUpdateWindow::initTestCase()
{
    m_server = std::make_unique<TestHttpServer>();
    QVERIFY2(m_server->isRunning(), "the test server did not start");
}

void TestUpdateWindow::init()
{
    m_server->reset();
}

void TestUpdateWindow::prepare(DataFixture& f) const
{
    f.open();
    f.addSite("Alpha", {{"HomeUrl", "http://old-alpha/"}, {"Username", "me"}});
    f.close();
    f.dir.writeFile("quillet.ini",
        "[Config]\nUpdateServer=" + m_server->base().toUtf8() + "\nMemberLoginID=author\nMemberPassword=old\n");
}

void TestUpdateWindow::loginDialogTextsTranslationAndStoring()
{
    TestProgramDirectory dir;
    dir.writeFile("Deutsch.lng",
        "[Translations]\nPasswdDlg.Caption=Anmeldung\nPasswdDlg.Label1.Caption=Passwort eingeben:\n"
        "PasswdDlg.lblLoginID.Caption=Kennung eingeben:\nPasswdDlg.OKBtn.Hint=Beenden und speichern\n"
        "PasswdDlg.OKBtn.Caption=Gut\nPasswdDlg.CancelBtn.Hint=Beenden ohne zu speichern\n"
        "PasswdDlg.CancelBtn.Caption=Nicht in der Liste\n");
    dir.writeFile("English.lng", "[Translations]\nPasswdDlg.Caption=Not for English\n");
    ProgramSession session(dir.path());
    session.start();
    Settings& config = session.config();
    config.memberLoginId = "author";
    config.memberPassword = "stored";

    {
        // English: the built-in texts, and no language file is read.
        config.language = "English";
        LoginDialog dialog(config);
        QCOMPARE(dialog.objectName(), QString("PasswdDlg"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.windowTitle(), QString("Login Dialog"));
        QCOMPARE(dialog.findChild<QLabel*>("lblLoginID")->text(), QString("Enter LoginID:"));
        QCOMPARE(dialog.findChild<QLabel*>("Label1")->text(), QString("Enter password:"));
        auto* ok = dialog.findChild<QPushButton*>("OKBtn");
        auto* cancel = dialog.findChild<QPushButton*>("CancelBtn");
        QCOMPARE(ok->text(), QString("OK"));
        QCOMPARE(ok->toolTip(), QString("Quit and Save Changes"));
        QVERIFY(ok->isDefault());
        QCOMPARE(cancel->text(), QString("Cancel"));
        QCOMPARE(cancel->toolTip(), QString("Quit and Do Not Save Changes"));
        QVERIFY(!(dialog.windowFlags() & Qt::WindowCloseButtonHint));
        auto* password = dialog.findChild<QLineEdit*>("Password");
        QCOMPARE(password->echoMode(), QLineEdit::Password);
        QCOMPARE(dialog.findChild<QLineEdit*>("LoginID")->text(), QString("author"));
        QCOMPARE(password->text(), QString("stored"));
        // What is typed and cancelled is not stored.
        dialog.findChild<QLineEdit*>("LoginID")->setText("someone else");
        QTest::mouseClick(cancel, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(config.memberLoginId, QString("author"));
        // F1 opens the help page on site updates.
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClick(&dialog, Qt::Key_F1);
        QVERIFY(HelpWindow::instance());
        QVERIFY(HelpWindow::instance()->currentPage().toString().endsWith("updates.html"));
        HelpWindow::instance()->close();
        dialog.reject();
    }
    {
        config.language = "Deutsch";
        LoginDialog dialog(config);
        QCOMPARE(dialog.windowTitle(), QString("Login Dialog"));
        // Translated when shown, and filled again from the settings every time.
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.language()->objectName(), QString("Language1"));
        QCOMPARE(dialog.windowTitle(), QString("Anmeldung"));
        QCOMPARE(dialog.findChild<QLabel*>("lblLoginID")->text(), QString("Kennung eingeben:"));
        QCOMPARE(dialog.findChild<QLabel*>("Label1")->text(), QString("Passwort eingeben:"));
        auto* ok = dialog.findChild<QPushButton*>("OKBtn");
        auto* cancel = dialog.findChild<QPushButton*>("CancelBtn");
        QCOMPARE(ok->text(), QString("Gut"));
        QCOMPARE(ok->toolTip(), QString("Beenden und speichern"));
        QCOMPARE(cancel->toolTip(), QString("Beenden ohne zu speichern"));
        // Not in the dialog's own list, but named after its object like every text shown.
        QCOMPARE(cancel->text(), QString("Nicht in der Liste"));
        dialog.findChild<QLineEdit*>("LoginID")->setText("new id");
        dialog.findChild<QLineEdit*>("Password")->setText("new pw");
        QTest::keyClick(dialog.findChild<QLineEdit*>("Password"), Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(config.memberLoginId, QString("new id"));
        QCOMPARE(config.memberPassword, QString("new pw"));
    }
}

void TestUpdateWindow::checkShowsItsProgressAndMerges()
{
    m_server->writeFile("download/quilletver.ini", "[Versions]\nQuilletVer=3.2\nSitesVer=1.5\n");
    QByteArray archive = zipArchive({{"sites.csv", kSiteLines}});
    m_server->writeFile("members/sites.zip", archive);
    m_server->configure(
        QJsonObject {{"auth", QJsonObject {{"/members/", QJsonObject {{"user", "author"}, {"password", "typed"}}}}},
            // Pieces far enough apart to arrive apart on a busy machine, where
            // the client reads only as fast as it writes the file.
            {"routes", QJsonObject {{"/members/sites.zip", QJsonObject {{"chunk", 50}, {"delay", 0.3}}}}}});
    DataFixture f;
    prepare(f);
    RecordingMessageSink sink;
    DesktopStartup startup(f.dir.path());
    startup.start();
    startup.show();
    MainWindow* window = startup.mainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    auto* label = window->findChild<QLabel*>("StatusPanel0");
    auto* bar = window->findChild<QProgressBar*>("ProgressBar1");
    QWidget* coolBar = window->findChild<QWidget*>("CoolBar1");
    QVERIFY(label && bar && coolBar);
    QVERIFY(!bar->isVisible());

    QList<Moment> moments;
    TransferProgress& progress = window->siteUpdates()->progress();
    connect(&progress, &TransferProgress::statusTextChanged, this, [&](const QString& text) {
        moments.append({label->text(), text, bar->isVisible(), bar->value(), bar->maximum(),
            QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor});
    });
    // The window takes commands while the archive arrives.
    bool toggled = false;
    bool toggledWhileRunning = false;
    connect(&progress, &TransferProgress::statusTextChanged, this, [&](const QString& text) {
        if (!toggled && text.endsWith(QString(" bytes of %1 bytes.").arg(archive.size()))) {
            toggled = true;
            QTimer::singleShot(0, window, [&, window] {
                action(window, "Toolbar3")->trigger();
                toggledWhileRunning = UpdateCheck::isRunning() && bar->isVisible();
            });
        }
    });
    QString offered;
    whenLoginDialogOpens(this, [&](LoginDialog* dialog) {
        offered = dialog->loginId() + "/" + dialog->password();
        QVERIFY(!QApplication::overrideCursor());
        dialog->findChild<QLineEdit*>("Password")->setText("typed");
        QTest::mouseClick(dialog->findChild<QPushButton*>("OKBtn"), Qt::LeftButton);
    });

    QAction* check = action(window, "Checkforupdates1");
    QVERIFY(check && check->isEnabled());
    QCOMPARE(check->text(), QString("Check for site &updates"));
    QMetaObject::invokeMethod(check, &QAction::trigger, Qt::QueuedConnection);
    QTRY_COMPARE_WITH_TIMEOUT(sink.texts(), QStringList {"Site data updated"}, 30000);

    QCOMPARE(offered, QString("author/old"));
    QCOMPARE(startup.session().config().memberPassword, QString("typed"));
    QCOMPARE(startup.session().config().siteVer, 1.5);
    {
        QStringList seen;
        for (const Moment& moment : moments)
            seen.append(moment.status);
        QVERIFY2(toggledWhileRunning, qPrintable(seen.join('|')));
    }
    QVERIFY(!coolBar->isVisible());
    QVERIFY(!bar->isVisible());
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(label->text(), QString("Done"));
    QCOMPARE(startup.dataModule()->sites().siteNameAt(0), QString("Alpha"));
    QCOMPARE(startup.dataModule()->sites().count(), 2);

    // Every text reached the status bar as it was shown, with the bar and the hourglass.
    QStringList statuses;
    for (const Moment& moment : moments) {
        QCOMPARE(moment.label, moment.status);
        statuses.append(moment.status);
    }
    QCOMPARE(statuses.count("Loading"), 2);
    const int begin = statuses.indexOf(QString("Transfering: %1").arg(archive.size()));
    const int whole = statuses.indexOf(QString("%1 bytes of %1 bytes.").arg(archive.size()));
    QVERIFY2(begin > statuses.lastIndexOf("Loading") && whole > begin + 1, qPrintable(statuses.join('|')));
    QCOMPARE(statuses.value(whole + 1), QString("Done"));
    for (int i = begin; i <= whole; ++i) {
        QVERIFY(moments[i].barVisible);
        QVERIFY(moments[i].hourglass);
        QCOMPARE(moments[i].barMaximum, int(archive.size()));
    }
    QCOMPARE(moments[whole].barValue, int(archive.size()));
    QVERIFY(moments[begin + 1].barValue < int(archive.size()));
    startup.shutdown();
    QVERIFY(IniDocument::load(f.dir.file("quillet.ini")).readString("Config", "MemberPassword", "") == "typed");
}

void TestUpdateWindow::failedDownloadReachesTheErrorHandler()
{
    m_server->writeFile("download/quilletver.ini", "[Versions]\nSitesVer=2\n");
    m_server->configure(QJsonObject {{"routes",
        QJsonObject {{"/members/sites.zip",
            QJsonObject {{"status", 500}, {"reason", "Internal Server Error"}, {"length", "unknown"}, {"chunk", 5},
                {"delay", 0.05}, {"body", "<html>broken</html>"}}}}}});
    DataFixture f;
    prepare(f);
    RecordingMessageSink sink;
    DesktopStartup startup(f.dir.path());
    startup.start();
    startup.show();
    MainWindow* window = startup.mainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    auto* bar = window->findChild<QProgressBar*>("ProgressBar1");
    QStringList statuses;
    bool barStayedEmpty = true;
    connect(&window->siteUpdates()->progress(), &TransferProgress::statusTextChanged, this, [&](const QString& text) {
        statuses.append(text);
        if (text.endsWith(" bytes.") && !text.contains(" of "))
            barStayedEmpty = barStayedEmpty && bar->isVisible() && bar->value() == bar->minimum();
    });
    whenLoginDialogOpens(this, [](LoginDialog* dialog) {
        dialog->findChild<QLineEdit*>("LoginID")->setText("changed");
        QTest::mouseClick(dialog->findChild<QPushButton*>("OKBtn"), Qt::LeftButton);
    });
    QMetaObject::invokeMethod(action(window, "Checkforupdates1"), &QAction::trigger, Qt::QueuedConnection);
    const QString expected = QString("500 Internal Server Error (%1/members/sites.zip)").arg(m_server->base());
    QTRY_COMPARE_WITH_TIMEOUT(sink.texts(), QStringList {expected}, 30000);
    // The error body arrived without a length: counted, the bar left empty.
    QVERIFY2(statuses.contains("19 bytes."), qPrintable(statuses.join('|')));
    QVERIFY2(statuses.contains("5 bytes."), qPrintable(statuses.join('|')));
    QVERIFY(barStayedEmpty);
    QVERIFY(!bar->isVisible());
    QCOMPARE(bar->value(), 0);
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(window->isVisible());
    QVERIFY(!UpdateCheck::isRunning());
    // The login typed is kept; the site list and its version are not touched; the failed archive is not left.
    QCOMPARE(startup.session().config().memberLoginId, QString("changed"));
    QCOMPARE(startup.session().config().siteVer, 1.0);
    QVERIFY(!QFile::exists(f.dir.file("sites.zip")));
    QCOMPARE(startup.dataModule()->sites().count(), 1);
    startup.shutdown();
}

void TestUpdateWindow::secondCheckIsRefusedAndStopEndsTheFirst()
{
    m_server->writeFile("download/quilletver.ini", "[Versions]\nSitesVer=2\n");
    m_server->configure(QJsonObject {
        {"routes", QJsonObject {{"/download/quilletver.ini", QJsonObject {{"stall_after", 5}, {"stall", 20}}}}}});
    DataFixture f;
    prepare(f);
    RecordingMessageSink sink;
    DesktopStartup startup(f.dir.path());
    startup.start();
    startup.show();
    MainWindow* window = startup.mainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    auto* label = window->findChild<QLabel*>("StatusPanel0");
    QAction* check = action(window, "Checkforupdates1");
    // While the first check waits for the stalled reply (the test's own code
    // waits below it), a second check is refused, then Stop ends the first.
    bool wasRunning = false;
    connect(&window->siteUpdates()->progress(), &TransferProgress::statusTextChanged, this, [&](const QString& text) {
        if (text != "5 bytes of 22 bytes.")
            return;
        wasRunning = UpdateCheck::isRunning();
        QMetaObject::invokeMethod(check, &QAction::trigger, Qt::QueuedConnection);
        QTimer::singleShot(100, window, [window] { action(window, "StopAction")->trigger(); });
    });
    QMetaObject::invokeMethod(check, &QAction::trigger, Qt::QueuedConnection);
    QTRY_VERIFY_WITH_TIMEOUT(wasRunning && !UpdateCheck::isRunning(), 20000);
    QCOMPARE(label->text(), QString("The transfer was cancelled."));
    QCOMPARE(sink.texts(), QStringList {"A check for site updates is already running."});
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(!window->findChild<QProgressBar*>("ProgressBar1")->isVisible());
    // What had arrived of the stopped transfer is not left as the manifest.
    QVERIFY(!QFile::exists(f.dir.file("quilletver.ini")));
    startup.shutdown();
}

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QuilletApplication app(argc, argv);
    TestUpdateWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestUpdateWindow.moc"
