#include "CliRun.h"
#include "Command.h"
#include "DataFixture.h"
#include "SmtpTestServer.h"
#include "TestSupport.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {

// A program directory with a company, one program and three sites: one that
// takes mail at its submit page, one with a web form and a mail address, one
// already velmora friendly.
struct MailData {
    DataFixture f;

    MailData()
    {
        f.open();
        f.addSite("Fernhill Files",
            {{"HomeUrl", "http://fernhill.test/"}, {"SubmitUrl", "submissions@fernhill.test"},
                {"EMail", "editor@fernhill.test"}});
        f.addSite("Granite Apps", {{"SubmitUrl", "http://granite.test/submit"}, {"EMail", "ed@granite.test"}});
        f.addSite("Acorn", {{"SubmitUrl", "http://acorn.test/"}, {"EMail", "ed@acorn.test"}, {"VelmoraFriendly", 1}});
        f.addSite("Hidden Mail", {{"SubmitUrl", "hide@hidden.test"}, {"Hide", 1}});
        f.properties()[14].setValue("Tool");
        f.properties()[15].setValue("2.5");
        f.dm().saveProgram("Tool");
        f.close();
        f.dir.writeFile("quillet.ini", "[Config]\nLastCompany=Acme Ltd\n");
        f.dir.writeFile("SiteData/EmailTemplate.txt", "New: %Program% %Version%\nDear editor,\n%Company%\n");
    }

    QString dir() const { return f.dir.path(); }

    void pointAt(int port, const QString& extra = QString())
    {
        f.dir.writeFile("quillet.ini",
            QStringLiteral(
                "[Config]\nLastCompany=Acme Ltd\n[EMail]\nHostAddress=127.0.0.1\nFrom=Jane <jane@acme.test>\n"
                "Port=%1\n%2")
                .arg(port)
                .arg(extra)
                .toUtf8());
    }
};

} // namespace

class TestMailCli : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void composeMailPrintsTheMail();
    void composeMailFollowsThePage();
    void composeMailFailures();
    void usageErrors();
    void sendMailForASite();
    void sendMailToAddresses();
    void sendMailFailureIsLogged();
    void invalidSettingsLogNothing();
    void executableSendsHeadless();
};

void TestMailCli::composeMailPrintsTheMail()
{
    MailData data;
    const CliResult result
        = runCli({"--dir", data.dir(), "compose-mail", "--site", "Fernhill Files", "--program", "Tool"});
    QCOMPARE(result.err, QString());
    QCOMPARE(result.code, 0);
    QCOMPARE(
        result.out, QString("To: submissions@fernhill.test\nSubject: New: Tool 2.5\n\nDear editor,\r\nAcme Ltd\r\n"));
    // Nothing was written by composing.
    QVERIFY(!QFile::exists(data.f.dir.file("QuilletMail.log")));
    // A site the filter hides is still found by its name.
    QCOMPARE(runCli({"--dir", data.dir(), "compose-mail", "--site", "Hidden Mail", "--program", "Tool"}).code, 0);
}

void TestMailCli::composeMailFollowsThePage()
{
    MailData data;
    data.f.dir.writeFile("SiteData/Fernhill FilesUpdateEmailTemplate.txt", "Update %Program%\n%Version%");
    CliResult result = runCli(
        {"--dir", data.dir(), "compose-mail", "--site", "Fernhill Files", "--program", "Tool", "--page", "update"});
    QCOMPARE(result.code, 0);
    QCOMPARE(result.out, QString("To: submissions@fernhill.test\nSubject: Update Tool\n\n2.5\r\n"));

    data.f.dir.writeFile("SiteData/VelmoraFriendlyNoticeTemplate.txt", "Please, %Company%");
    result = runCli(
        {"--dir", data.dir(), "compose-mail", "--site", "Granite Apps", "--program", "Tool", "--page", "friendly"});
    QCOMPARE(result.code, 0);
    QCOMPARE(result.out, QString("To: ed@granite.test\nSubject: Please, Acme Ltd\n\n"));
}

void TestMailCli::composeMailFailures()
{
    MailData data;
    const auto compose = [&](const QString& site, const QString& page, const QString& program = "Tool") {
        return runCli({"--dir", data.dir(), "compose-mail", "--site", site, "--program", program, "--page", page});
    };
    CliResult result = compose("Granite Apps", "submit");
    QCOMPARE(result.code, 1);
    QCOMPARE(result.err, QString("The site Granite Apps takes no e-mail at its submit page.\n"));
    QCOMPARE(result.out, QString());
    QCOMPARE(
        compose("Granite Apps", "update").err, QString("The site Granite Apps takes no e-mail at its update page.\n"));
    result = compose("Acorn", "friendly");
    QCOMPARE(result.code, 1);
    QCOMPARE(result.err, QString("This site is already velmora friendly.\n"));
    result = compose("Fernhill Files", "friendly"); // has a mail address, no template yet
    QCOMPARE(result.code, 1);
    QCOMPARE(result.err, "Cannot open file " + data.dir() + "SiteData/VelmoraFriendlyNoticeTemplate.txt\n");
    data.f.dir.writeFile("SiteData/VelmoraFriendlyNoticeTemplate.txt", "Please");
    result = compose("Hidden Mail", "friendly");
    QCOMPARE(result.code, 1);
    QCOMPARE(result.err, QString("The site Hidden Mail has no e-mail address.\n"));
    QVERIFY(QFile::remove(data.f.dir.file("SiteData/EmailTemplate.txt")));
    result = compose("Fernhill Files", "submit");
    QCOMPARE(result.code, 1);
    QCOMPARE(result.err, "Cannot open file " + data.dir() + "SiteData/EmailTemplate.txt\n");
    data.f.dir.writeFile("SiteData/EmailTemplate.txt", "");
    result = compose("Fernhill Files", "submit");
    QCOMPARE(result.code, 1);
    QVERIFY2(result.err.contains("no line"), qPrintable(result.err));
    result = compose("Nowhere", "submit");
    QCOMPARE(result.code, 1);
    QCOMPARE(result.err, QString("The site \"Nowhere\" does not exist.\n"));
    result = compose("Fernhill Files", "submit", "Nothing");
    QCOMPARE(result.code, 1);
    QCOMPARE(result.err, QString("The program \"Nothing\" does not exist.\n"));
}

void TestMailCli::usageErrors()
{
    MailData data;
    const QString dir = data.dir();
    QCOMPARE(runCli({"--dir", dir, "compose-mail", "--site", "Fernhill Files"}).code, 2);
    QCOMPARE(
        runCli({"--dir", dir, "compose-mail", "--site", "Fernhill Files", "--program", "Tool", "--page", "home"}).code,
        2);
    QCOMPARE(
        runCli({"--dir", dir, "send-mail", "--site", "Fernhill Files", "--program", "Tool", "--to", "a@x.test"}).code,
        2);
    QCOMPARE(runCli({"--dir", dir, "send-mail", "--to", "a@x.test"}).code, 2);
    QCOMPARE(runCli({"--dir", dir, "send-mail"}).code, 2);
    QCOMPARE(
        runCli({"--dir", dir, "send-mail", "--site", "Fernhill Files", "--program", "Tool", "--subject", "x"}).code, 2);
    const CliResult help = runCli({"send-mail", "--help"});
    QCOMPARE(help.code, 0);
    for (const char* option :
        {"--site", "--program", "--page", "--to", "--subject", "--body-file", "--cc", "--bcc", "--attach"})
        QVERIFY2(help.out.contains(option), option);
    QVERIFY(runCli({"--help"}).out.contains("compose-mail"));
    QVERIFY(!QFile::exists(data.f.dir.file("QuilletMail.log")));
}

void TestMailCli::sendMailForASite()
{
    SmtpTestServer server;
    QVERIFY2(server.isRunning(), qPrintable(server.errorOutput()));
    MailData data;
    data.pointAt(server.port());
    const CliResult result = runCli({"--dir", data.dir(), "send-mail", "--site", "Fernhill Files", "--program", "Tool",
        "--bcc", "audit@acme.test"});
    QVERIFY2(result.code == 0, qPrintable(result.err));
    QCOMPARE(result.out, QString());
    QVERIFY(result.err.contains("> MAIL FROM:<jane@acme.test>\n"));
    QVERIFY(result.err.contains("< 250 2.0.0 Message accepted for delivery\n"));
    QVERIFY(server.waitForMails(1));
    const SmtpTestServer::Mail mail = server.mails().first();
    QCOMPARE(mail.recipients(), QStringList({"submissions@fernhill.test", "audit@acme.test"}));
    QCOMPARE(mail.header("Subject"), QStringList({"New: Tool 2.5"}));
    QCOMPARE(mail.text(), QString("Dear editor,\r\nAcme Ltd\r\n"));
    // One block of fields per mail, after the time, and the outcome.
    const QByteArray log = data.f.dir.readFile("QuilletMail.log");
    QVERIFY2(QRegularExpression("^Date: \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d UTC\r\n$")
                 .match(QString::fromUtf8(log.left(log.indexOf("\r\n") + 2)))
                 .hasMatch(),
        log.constData());
    QCOMPARE(log.mid(log.indexOf("\r\n") + 2),
        QByteArray("To: submissions@fernhill.test\r\nCC: \r\nBCC: audit@acme.test\r\nSubject: New: Tool 2.5\r\n"
                   "Result: sent\r\n\r\n"
                   "Dear editor,\r\nAcme Ltd\r\n\r\n\r\nAttachments: \r\n-------------------------------------\r\n"
                   "\r\n\r\n"));
}

void TestMailCli::sendMailToAddresses()
{
    SmtpTestServer server;
    MailData data;
    data.pointAt(server.port());
    data.f.dir.writeFile("body.txt", "First line\nsecond line\n");
    const QByteArray attachment = QByteArray(70000, '\0') + "tail";
    data.f.dir.writeFile("setup.zip", attachment);
    const CliResult result = runCli({"--dir", data.dir(), "send-mail", "--to", "a@sites.test, B <b@sites.test>",
        "--subject", "Hello", "--body-file", data.f.dir.file("body.txt"), "--cc", "c@sites.test", "--attach",
        data.f.dir.file("setup.zip")});
    QVERIFY2(result.code == 0, qPrintable(result.err));
    QVERIFY(server.waitForMails(1));
    const SmtpTestServer::Mail mail = server.mails().first();
    QCOMPARE(mail.recipients(), QStringList({"a@sites.test", "b@sites.test", "c@sites.test"}));
    QCOMPARE(mail.text(), QString("First line\r\nsecond line\r\n"));
    QCOMPARE(mail.attachment(0).value("sha256").toString(),
        QString::fromLatin1(QCryptographicHash::hash(attachment, QCryptographicHash::Sha256).toHex()));
    const QByteArray log = data.f.dir.readFile("QuilletMail.log");
    QVERIFY(
        log.contains("\r\nFirst line\r\nsecond line\r\n\r\n\r\nAttachments: " + data.f.dir.file("setup.zip").toUtf8()));
}

void TestMailCli::sendMailFailureIsLogged()
{
    MailData data;
    data.pointAt(SmtpTestServer::unusedPort());
    const CliResult result = runCli({"--dir", data.dir(), "send-mail", "--to", "a@sites.test", "--subject", "Hello"});
    QCOMPARE(result.code, 1);
    QVERIFY(result.err.contains("Could not send mail, you may have an invalid SMTP host\n"));
    QVERIFY2(result.err.contains("onnect"), qPrintable(result.err));
    QVERIFY(data.f.dir.readFile("QuilletMail.log").contains("\r\nTo: a@sites.test\r\n"));
    QVERIFY(data.f.dir.readFile("QuilletMail.log").contains("\r\nResult: failed: "));
    // A body file that is no regular file is refused before anything is sent or logged.
    QFile::remove(data.f.dir.file("QuilletMail.log"));
    const CliResult device = runCli(
        {"--dir", data.dir(), "send-mail", "--to", "a@sites.test", "--subject", "Hello", "--body-file", "/dev/zero"});
    QCOMPARE(device.code, 1);
    QCOMPARE(device.err, QString("Cannot open file /dev/zero\n"));
    QVERIFY(!QFile::exists(data.f.dir.file("QuilletMail.log")));
}

void TestMailCli::invalidSettingsLogNothing()
{
    MailData data;
    data.f.dir.writeFile("quillet.ini", "[EMail]\nHostAddress=127.0.0.1\nFrom=\n");
    const CliResult result = runCli({"--dir", data.dir(), "send-mail", "--to", "a@sites.test", "--subject", "Hello"});
    QCOMPARE(result.code, 1);
    QCOMPARE(result.err, QString("Invalid SMTP server parameters.\n"));
    QVERIFY(!QFile::exists(data.f.dir.file("QuilletMail.log")));
}

void TestMailCli::executableSendsHeadless()
{
    SmtpTestServer server;
    MailData data;
    data.pointAt(server.port());
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("QT_QPA_PLATFORM");
    process.setProcessEnvironment(environment);
    process.start(qEnvironmentVariable("QUILLET_BIN_DIR") + "/quillet-cli",
        {"--dir", data.dir(), "send-mail", "--site", "Fernhill Files", "--program", "Tool"});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(server.waitForMails(1));
    QCOMPARE(server.mails().first().recipients(), QStringList({"submissions@fernhill.test"}));
    QVERIFY(QString::fromUtf8(process.readAllStandardError()).contains("> QUIT"));
}

QTEST_GUILESS_MAIN(TestMailCli)
#include "TestMailCli.moc"
