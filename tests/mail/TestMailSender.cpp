#include "MailForm.h"
#include "MailLog.h"
#include "PropertyCatalogue.h"
#include "Settings.h"
#include "SmtpTestServer.h"
#include "TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <sys/stat.h>

namespace {

const char* const kFailure = "Could not send mail, you may have an invalid SMTP host";

// A program directory whose settings point at a test server, and the mail
// window's send command working in it.
struct Sending {
    TestProgramDirectory dir;
    PropertyCatalogue properties;
    Settings config {dir.path(), properties};
    RecordingMessageSink sink;
    MailForm form {config};
    QStringList lines;
    QList<bool> results;

    explicit Sending(int port)
    {
        config.hostAddress = "127.0.0.1";
        config.from = "Jane Doe <jane@acme.test>";
        config.emailPort = port;
        config.emailSecurity = "none";
        QObject::connect(&form, &MailForm::statusLine, &form, [this](const QString& line) { lines.append(line); });
        QObject::connect(&form, &MailForm::finished, &form, [this](bool sent) { results.append(sent); });
    }

    // Sends and waits for the end; true when the server took the mail.
    bool send(const MailFields& fields)
    {
        lines.clear();
        const int before = static_cast<int>(results.size());
        form.send(fields);
        form.waitForFinished();
        return results.size() == before + 1 && results.last();
    }

    QByteArray log() const { return dir.readFile("QuilletMail.log"); }
    QStringList messages() const { return sink.texts(); }
};

MailFields mailTo(const QString& to, const QString& subject = "Tool 2.5", const QString& body = "Hello\r\n")
{
    MailFields fields;
    fields.to = to;
    fields.subject = subject;
    fields.body = body;
    return fields;
}

// An SMTP server of the test's own on 127.0.0.1, answering from a script,
// for the replies a real server would not give: escape sequences (in its
// greeting and its answer to EHLO), a refused STARTTLS, no AUTH, no answer to
// the end of the message. It runs on the test's thread; the send runs on its
// own, while the test waits in an event loop.
class ScriptedSmtpServer : public QObject {
public:
    const QByteArray greeting = "220 \x1b]0;owned\x07scripted \x1b[2J\x1b[H";
    QByteArray ehlo = "250-scripted \x1b[31mred\r\n250 8BITMIME";
    bool answerEndOfMessage = true;
    QByteArray commands;       // every command line received, upper-cased, each after a line feed
    bool messageEnded = false; // the "." that ends a message came

    ScriptedSmtpServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                socket->write(greeting + "\r\n");
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
            }
        });
    }
    int port() const { return m_server.serverPort(); }

private:
    void serve(QTcpSocket* socket)
    {
        static const QMap<QByteArray, QByteArray> replies {{"STAR", "454 4.7.0 TLS not available"},
            {"DATA", "354 go ahead"}, {"QUIT", "221 bye"}, {"AUTH", "535 5.7.8 no"}};
        m_buffer += socket->readAll();
        for (qsizetype end; (end = m_buffer.indexOf("\r\n")) >= 0; m_buffer.remove(0, end + 2)) {
            const QByteArray line = m_buffer.left(end);
            if (m_inMessage) {
                m_inMessage = line != ".";
                messageEnded = !m_inMessage;
                if (messageEnded && answerEndOfMessage)
                    socket->write("250 2.0.0 queued\r\n");
                continue;
            }
            commands += "\n" + line.toUpper();
            if (messageEnded && !answerEndOfMessage)
                continue; // silent to the end
            const QByteArray verb = line.left(4).toUpper();
            m_inMessage = verb == "DATA";
            socket->write((verb == "EHLO" ? ehlo : replies.value(verb, "250 ok")) + "\r\n");
        }
    }

    QTcpServer m_server;
    QByteArray m_buffer;
    bool m_inMessage = false;
};

int indexOfLine(const QStringList& lines, const QString& start)
{
    for (int i = 0; i < lines.size(); ++i) {
        if (lines.at(i).startsWith(start))
            return i;
    }
    return -1;
}

} // namespace

class TestMailSender : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void twoToAddressesReachBothAndTheConversationIsShown();
    void ccAndBccReachTheirRecipientsWithoutABccHeader();
    void loginUsesLoginEvenWhenOthersAreOffered();
    void wrongPasswordFailsAndIsLogged();
    void noLoginWhenAuthenticationIsOff();
    void binaryAttachmentArrivesIntact();
    void attachmentThatCannotBeReadFails_data();
    void attachmentThatCannotBeReadFails();
    void refusedRecipientFails();
    void noServerListening();
    void startTlsWithTheCompanyCertificate();
    void implicitTlsWithTheCompanyCertificate();
    void untrustedCertificateFails();
    void startTlsIsNeverSkipped();
    void headerInjectionAttempts();
    void bodyArrivesIntact();
    void logEntryBytes();
    void twoSendsFromOneFormAppendTwoEntries();
    void invalidSettingsSendAndLogNothing();
    void badSecuritySettingFailsAndIsLogged();
    void silentServerTimesOut();
    void scriptedRefusalsAreNamed_data();
    void scriptedRefusalsAreNamed();
    void overlongReplyLineFails();
    void abortEndsTheSendWithoutTheMessage();

private:
    // A plain server without login, shared by the tests that need nothing else.
    std::unique_ptr<SmtpTestServer> m_plain;
};

void TestMailSender::scriptedRefusalsAreNamed_data()
{
    QTest::addColumn<QString>("security"); // "starttls": offered, then refused
    QTest::addColumn<bool>("authentication");
    QTest::addColumn<int>("failure");    // -1: sent
    QTest::addColumn<QString>("reason"); // the last status line; empty: the client's own text
    using F = MailSender::Failure;
    QTest::newRow("STARTTLS offered, then refused") << "starttls" << false << int(F::StartTlsRefused) << QString();
    QTest::newRow("no AUTH offered, authentication on")
        << "none" << true << int(F::NoLoginOffered)
        << "The SMTP server offers no login, but authentication is on: the mail was not sent without it.";
    QTest::newRow("no AUTH offered, authentication off: sent") << "none" << false << -1 << QString();
    // The server takes the message but never answers its end.
    QTest::newRow("end of the message unanswered: the idle limit")
        << "none" << false << int(F::TimedOut) << "The SMTP server did not answer within the time allowed (2 seconds).";
}

void TestMailSender::scriptedRefusalsAreNamed()
{
    QFETCH(QString, security);
    QFETCH(bool, authentication);
    QFETCH(int, failure);
    QFETCH(QString, reason);
    const bool silentAtTheEnd = failure == int(MailSender::Failure::TimedOut);
    ScriptedSmtpServer server;
    if (security == "starttls")
        server.ehlo.replace("8BITMIME", "STARTTLS");
    server.answerEndOfMessage = !silentAtTheEnd;
    Sending s(server.port());
    s.config.emailSecurity = security;
    s.config.authentication = authentication;
    s.config.emailLoginId = "jane";
    s.config.emailPassword = "secret";
    if (silentAtTheEnd)
        s.form.setTimeouts(30, 2);
    QCOMPARE(s.send(mailTo("ed@sites.test")), failure < 0);
    QCOMPARE(server.commands.contains("\nSTARTTLS"), security == "starttls");
    // After a refused STARTTLS nothing goes out in the clear.
    QCOMPARE(server.commands.contains("\nMAIL FROM"), security == "none");
    QCOMPARE(server.messageEnded, failure < 0 || silentAtTheEnd);
    // The server's escape sequences reach neither the status lines nor the log.
    QVERIFY(indexOfLine(s.lines, "< 220 ?]0;owned?scripted ?[2J?[H") >= 0);
    for (const QString& line : std::as_const(s.lines))
        QVERIFY2(!line.contains(QChar(0x1b)) && !line.contains(QChar(0x07)), qPrintable(line));
    QVERIFY(!s.log().contains('\x1b'));
    if (failure < 0) {
        QVERIFY(s.messages().isEmpty());
        return;
    }
    QCOMPARE(s.messages(), QStringList({MailForm::failureMessage(MailSender::Failure(failure))}));
    QVERIFY(!s.messages().first().contains("invalid SMTP host"));
    if (!reason.isEmpty())
        QCOMPARE(s.lines.last(), reason);
    QVERIFY(s.log().contains(("\r\nResult: failed: " + reason).toUtf8()));
}

void TestMailSender::initTestCase()
{
    QVERIFY2(QFile::exists("/usr/bin/python3"), "the SMTP tests need /usr/bin/python3 with aiosmtpd");
    m_plain = std::make_unique<SmtpTestServer>();
    QVERIFY2(m_plain->isRunning(), qPrintable(m_plain->errorOutput()));
}

void TestMailSender::init()
{
    m_plain->forgetMails();
}

void TestMailSender::cleanupTestCase()
{
    m_plain.reset();
}

void TestMailSender::twoToAddressesReachBothAndTheConversationIsShown()
{
    SmtpTestServer& server = *m_plain;
    Sending s(server.port());
    QVERIFY(s.send(mailTo("first@sites.test, Second Site <second@sites.test>")));
    QVERIFY(server.waitForMails(1));
    const SmtpTestServer::Mail mail = server.mails().first();
    QCOMPARE(mail.mailFrom(), QString("jane@acme.test"));
    QCOMPARE(mail.recipients(), QStringList({"first@sites.test", "second@sites.test"}));
    QCOMPARE(mail.header("To"), QStringList({"first@sites.test, Second Site <second@sites.test>"}));
    QCOMPARE(mail.header("From"), QStringList({"Jane Doe <jane@acme.test>"}));
    QCOMPARE(mail.header("Disposition-Notification-To"), QStringList({"Jane Doe <jane@acme.test>"}));
    QCOMPARE(mail.header("X-Mailer"), QStringList({"Orlan Mail"}));
    QCOMPARE(mail.header("Subject"), QStringList({"Tool 2.5"}));
    QCOMPARE(mail.header("Date").size(), 1);
    QVERIFY(mail.header("Message-ID").value(0).endsWith("@acme.test>"));
    QCOMPARE(mail.text(), QString("Hello\r\n"));
    QCOMPARE(mail.meta.value("defects").toInt(), 0);

    // The conversation in order: connecting, commands and replies, the end.
    const QStringList& lines = s.lines;
    const int connected = indexOfLine(lines, "Connected to 127.0.0.1");
    const int greeting = indexOfLine(lines, "< 220 ");
    const int from = indexOfLine(lines, "> MAIL FROM:<jane@acme.test>");
    const int rcpt1 = indexOfLine(lines, "> RCPT TO:<first@sites.test>");
    const int rcpt2 = indexOfLine(lines, "> RCPT TO:<second@sites.test>");
    const int data = indexOfLine(lines, "> DATA");
    const int accepted = indexOfLine(lines, "< 250 2.0.0 Message accepted");
    const int quit = indexOfLine(lines, "> QUIT");
    QVERIFY2(0 <= connected && connected < greeting && greeting < from && from < rcpt1 && rcpt1 < rcpt2 && rcpt2 < data
            && data < accepted && accepted < quit,
        qPrintable(lines.join('\n')));
    QVERIFY(s.messages().isEmpty());
    QVERIFY(s.log().contains("\r\nTo: first@sites.test, Second Site <second@sites.test>\r\n"));
}

void TestMailSender::ccAndBccReachTheirRecipientsWithoutABccHeader()
{
    SmtpTestServer& server = *m_plain;
    Sending s(server.port());
    MailFields fields = mailTo("to@sites.test");
    fields.cc = "cc1@sites.test; CC Two <cc2@sites.test>";
    fields.bcc = "hidden@sites.test";
    QVERIFY(s.send(fields));
    QVERIFY(server.waitForMails(1));
    const SmtpTestServer::Mail mail = server.mails().first();
    QCOMPARE(
        mail.recipients(), QStringList({"to@sites.test", "cc1@sites.test", "cc2@sites.test", "hidden@sites.test"}));
    QCOMPARE(mail.header("Cc"), QStringList({"cc1@sites.test, CC Two <cc2@sites.test>"}));
    QVERIFY(mail.header("Bcc").isEmpty());
    QVERIFY(!mail.raw.contains("hidden"));
    // The log keeps what the boxes held.
    QVERIFY(s.log().contains("\r\nBCC: hidden@sites.test\r\n"));
}

void TestMailSender::loginUsesLoginEvenWhenOthersAreOffered()
{
    SmtpTestServer::Options options;
    options.login = "jane:S3cret!pw";
    options.offerCramMd5 = true; // preferred by the client on its own
    SmtpTestServer server(options);
    Sending s(server.port());
    s.config.authentication = true;
    s.config.emailLoginId = "jane";
    s.config.emailPassword = "S3cret!pw";
    QVERIFY2(s.send(mailTo("ed@sites.test")), qPrintable(s.lines.join('\n')));
    QCOMPARE(server.authLog(), QStringList({"LOGIN jane accepted"}));
    QVERIFY(server.waitForMails(1));
    QCOMPARE(server.mails().first().meta.value("login").toString(), QString("jane"));
    QVERIFY(indexOfLine(s.lines, "> AUTH LOGIN") >= 0);
    // Neither the password nor what carries it on the wire is shown.
    const QString shown = s.lines.join('\n');
    for (const QByteArray& secret :
        {QByteArray("S3cret!pw"), QByteArray("S3cret!pw").toBase64(), QByteArray("jane").toBase64()})
        QVERIFY2(!shown.contains(QString::fromLatin1(secret)), secret.constData());
    QCOMPARE(s.lines.count("> (login data hidden)"), 2);
}

void TestMailSender::wrongPasswordFailsAndIsLogged()
{
    SmtpTestServer::Options options;
    options.login = "jane:right";
    SmtpTestServer server(options);
    Sending s(server.port());
    s.config.authentication = true;
    s.config.emailLoginId = "jane";
    s.config.emailPassword = "wrong";
    QVERIFY(!s.send(mailTo("ed@sites.test")));
    QCOMPARE(server.authLog(), QStringList({"LOGIN jane refused"}));
    QCOMPARE(s.messages(), QStringList({kFailure}));
    // The error's own text is the last status line.
    QVERIFY2(s.lines.last().contains("535") || s.lines.last().contains("denied", Qt::CaseInsensitive),
        qPrintable(s.lines.last()));
    QVERIFY(!s.lines.join('\n').contains("wrong"));
    QVERIFY(s.log().contains("\r\nTo: ed@sites.test\r\n"));
    QVERIFY(server.mails().isEmpty());
}

void TestMailSender::noLoginWhenAuthenticationIsOff()
{
    SmtpTestServer::Options options;
    options.login = "jane:pw";
    SmtpTestServer server(options);
    Sending s(server.port());
    s.config.authentication = false;
    s.config.emailLoginId = "jane";
    s.config.emailPassword = "pw";
    QVERIFY(s.send(mailTo("ed@sites.test")));
    QVERIFY(server.waitForMails(1));
    QVERIFY(server.authLog().isEmpty());
    QCOMPARE(server.mails().first().meta.value("authenticated").toBool(), false);
    QCOMPARE(indexOfLine(s.lines, "> AUTH"), -1);
}

void TestMailSender::binaryAttachmentArrivesIntact()
{
    SmtpTestServer& server = *m_plain;
    Sending s(server.port());
    QByteArray bytes(1024 * 1024, Qt::Uninitialized);
    QRandomGenerator generator(20240307);
    for (char& c : bytes)
        c = static_cast<char>(generator.bounded(256));
    bytes.replace(1000, 4, "\r\n.\r"); // SMTP's end mark inside the data
    const QString name = QString::fromUtf8("Tool \"setup\"\nBcc: x@y.test ünï.zip");
    s.dir.writeFile(name, bytes);
    MailFields fields = mailTo("ed@sites.test");
    fields.attachment = s.dir.file(name);
    QVERIFY2(s.send(fields), qPrintable(s.lines.join('\n')));
    QVERIFY(server.waitForMails(1));
    const SmtpTestServer::Mail mail = server.mails().first();
    QCOMPARE(mail.recipients(), QStringList({"ed@sites.test"}));
    QCOMPARE(mail.attachmentCount(), 1);
    const QJsonObject attachment = mail.attachment(0);
    QCOMPARE(attachment.value("size").toInt(), bytes.size());
    QCOMPARE(attachment.value("sha256").toString(),
        QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()));
    QCOMPARE(attachment.value("filename").toString(), name);
    QCOMPARE(mail.text(), QString("Hello\r\n"));
    QVERIFY(mail.header("Bcc").isEmpty());
    // The path's line break is a blank in the log: it starts no line of its own.
    QVERIFY(s.log().contains(("\r\nAttachments: " + QString(s.dir.file(name)).replace('\n', ' ') + "\r\n").toUtf8()));
    QVERIFY(!s.log().contains("\nBcc: x@y.test"));
}

void TestMailSender::attachmentThatCannotBeReadFails_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << "missing";
    QTest::newRow("folder") << "folder";
    QTest::newRow("pipe") << "pipe";
    QTest::newRow("unreadable") << "unreadable";
}

void TestMailSender::attachmentThatCannotBeReadFails()
{
    QFETCH(QString, kind);
    SmtpTestServer& server = *m_plain;
    Sending s(server.port());
    QString path = s.dir.file("setup.zip");
    if (kind == "folder") {
        QVERIFY(QDir().mkpath(path));
    } else if (kind == "pipe") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == "unreadable") {
        s.dir.writeFile("setup.zip", "data");
        QFile::setPermissions(path, QFileDevice::Permissions());
        if (QFile(path).open(QIODevice::ReadOnly))
            QSKIP("the file system lets this user read any file");
    }
    MailFields fields = mailTo("ed@sites.test");
    fields.attachment = path;
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!s.send(fields));
    QVERIFY(timer.elapsed() < 10000);
    QCOMPARE(s.messages(), QStringList({kFailure}));
    QVERIFY2(s.lines.last().startsWith("Cannot open file " + path), qPrintable(s.lines.last()));
    QVERIFY(s.log().contains(("\r\nAttachments: " + path + "\r\n").toUtf8()));
    QTest::qWait(100);
    QVERIFY(server.mails().isEmpty());
}

void TestMailSender::refusedRecipientFails()
{
    SmtpTestServer::Options options;
    options.refuse = QStringList({"gone@sites.test"});
    SmtpTestServer server(options);
    Sending s(server.port());
    QVERIFY(!s.send(mailTo("ed@sites.test, gone@sites.test")));
    QCOMPARE(s.messages(), QStringList({kFailure}));
    QVERIFY(indexOfLine(s.lines, "< 550 5.1.1 No such user here") >= 0);
    QVERIFY2(s.lines.last().contains("550"), qPrintable(s.lines.last()));
    QVERIFY(s.log().contains("\r\nTo: ed@sites.test, gone@sites.test\r\n"));
    QTest::qWait(100);
    QVERIFY(server.mails().isEmpty());
}

void TestMailSender::noServerListening()
{
    Sending s(SmtpTestServer::unusedPort());
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!s.send(mailTo("ed@sites.test")));
    QVERIFY(timer.elapsed() < 20000);
    QCOMPARE(s.messages(), QStringList({kFailure}));
    QVERIFY2(s.lines.last().contains("onnect"), qPrintable(s.lines.last()));
    QVERIFY(!s.log().isEmpty());
}

void TestMailSender::startTlsWithTheCompanyCertificate()
{
    SmtpTestServer::Options options;
    options.startTls = true;
    options.login = "jane:pw";
    SmtpTestServer server(options);
    QVERIFY2(server.isRunning(), qPrintable(server.errorOutput()));
    Sending s(server.port());
    s.config.emailSecurity = "starttls";
    s.config.emailCaFile = SmtpTestServer::certificateFile();
    s.config.authentication = true;
    s.config.emailLoginId = "jane";
    s.config.emailPassword = "pw";
    QVERIFY2(s.send(mailTo("ed@sites.test")), qPrintable(s.lines.join('\n')));
    QVERIFY(server.waitForMails(1));
    QCOMPARE(server.mails().first().meta.value("tls").toBool(), true);
    QCOMPARE(server.authLog(), QStringList({"LOGIN jane accepted"}));
    QVERIFY(indexOfLine(s.lines, "> STARTTLS") >= 0);
}

void TestMailSender::implicitTlsWithTheCompanyCertificate()
{
    SmtpTestServer::Options options;
    options.implicitTls = true;
    SmtpTestServer server(options);
    Sending s(server.port());
    s.config.emailSecurity = "tls";
    s.config.emailCaFile = SmtpTestServer::certificateFile();
    QVERIFY2(s.send(mailTo("ed@sites.test")), qPrintable(s.lines.join('\n')));
    QVERIFY(server.waitForMails(1));
    QCOMPARE(server.mails().first().meta.value("tls").toBool(), true);
    QCOMPARE(indexOfLine(s.lines, "> STARTTLS"), -1);
}

void TestMailSender::untrustedCertificateFails()
{
    SmtpTestServer::Options options;
    options.implicitTls = true;
    SmtpTestServer server(options);
    for (const QString& caFile : {QString(), SmtpTestServer::unrelatedCertificateFile()}) {
        Sending s(server.port());
        s.config.emailSecurity = "tls";
        s.config.emailCaFile = caFile;
        QVERIFY(!s.send(mailTo("ed@sites.test")));
        QCOMPARE(s.messages(), QStringList({kFailure}));
        QVERIFY2(s.lines.last().contains("certificate", Qt::CaseInsensitive), qPrintable(s.lines.last()));
    }
    // A certificate file that is not there is named.
    Sending s(server.port());
    s.config.emailSecurity = "tls";
    s.config.emailCaFile = s.dir.file("missing.pem");
    QVERIFY(!s.send(mailTo("ed@sites.test")));
    QCOMPARE(s.lines.last(), "Cannot open file " + s.dir.file("missing.pem"));
    QTest::qWait(100);
    QVERIFY(server.mails().isEmpty());
}

void TestMailSender::startTlsIsNeverSkipped()
{
    // A server that offers no STARTTLS: the mail must not go out in the clear.
    SmtpTestServer& server = *m_plain;
    Sending s(server.port());
    s.config.emailSecurity = "starttls";
    s.config.emailCaFile = SmtpTestServer::certificateFile();
    QVERIFY(!s.send(mailTo("ed@sites.test")));
    QCOMPARE(s.messages(), QStringList({MailForm::failureMessage(MailSender::Failure::StartTlsRefused)}));
    QTest::qWait(100);
    QVERIFY(server.mails().isEmpty());
}

void TestMailSender::headerInjectionAttempts()
{
    SmtpTestServer& server = *m_plain;
    Sending s(server.port());
    // A line break in the subject becomes a blank.
    QVERIFY(s.send(mailTo("ed@sites.test", "Hi\r\nBcc: evil@x.test\nX-Evil: 1\rTo: evil2@x.test")));
    QVERIFY(server.waitForMails(1));
    SmtpTestServer::Mail mail = server.mails().first();
    QCOMPARE(mail.recipients(), QStringList({"ed@sites.test"}));
    QCOMPARE(mail.header("Subject"), QStringList({"Hi Bcc: evil@x.test X-Evil: 1 To: evil2@x.test"}));
    QVERIFY(mail.header("Bcc").isEmpty());
    QVERIFY(mail.header("X-Evil").isEmpty());
    QCOMPARE(mail.header("To"), QStringList({"ed@sites.test"}));

    // An address box whose next line tries to be a header sends nothing.
    const QStringList attempts {"ed@sites.test\r\nBcc: evil@x.test", "\"Ed\r\nBcc: evil@x.test\" <ed@sites.test>",
        "<ed@sites.test>\r\nX-Evil: 1"};
    for (const QString& to : attempts) {
        QVERIFY(!s.send(mailTo(to)));
        QVERIFY2(s.lines.last().contains("is not valid"), qPrintable(s.lines.last()));
    }
    MailFields cc = mailTo("ed@sites.test");
    cc.cc = "cc@sites.test\nBcc: evil@x.test";
    QVERIFY(!s.send(cc));
    // Each attempt still wrote its log entry: the first mail and four failures.
    QCOMPARE(s.log().count("-------------------------------------\r\n"), 5);
    QTest::qWait(100);
    QCOMPARE(server.mails().size(), 1);
}

void TestMailSender::bodyArrivesIntact()
{
    SmtpTestServer& server = *m_plain;
    Sending s(server.port());
    const QString longLine(2500, 'x');
    const QString body
        = QString::fromUtf8("Grüße aus Köln 😀\r\n.\r\n..two dots\r\n.leading dot\r\ntrailing blanks   \r\n")
        + "From the start\r\n=3D literal\r\n" + longLine + "\r\nlast";
    QVERIFY(s.send(mailTo("ed@sites.test", QString::fromUtf8("Grüße: Tool"), body)));
    QVERIFY(server.waitForMails(1));
    const SmtpTestServer::Mail mail = server.mails().first();
    QCOMPARE(mail.text(), body);
    QCOMPARE(mail.header("Subject"), QStringList({QString::fromUtf8("Grüße: Tool")}));
    QVERIFY(mail.header("Subject", true).first().startsWith("=?UTF-8?B?"));
    // Lines on the wire stay within the limit of 998 characters.
    for (const QByteArray& line : mail.raw.split('\n'))
        QVERIFY(line.size() <= 1000);
}

void TestMailSender::logEntryBytes()
{
    SmtpTestServer& server = *m_plain;
    Sending s(server.port());
    MailFields fields = mailTo("a@sites.test, b@sites.test", "New: Tool", "Dear editor,\r\n\r\nBye\r\n");
    QVERIFY(s.send(fields));
    const QByteArray log = s.log();
    QVERIFY2(log.startsWith("Date: ") && log.indexOf(" UTC\r\n") == 25, log.constData());
    QCOMPARE(log.mid(log.indexOf("\r\n") + 2),
        QByteArray("To: a@sites.test, b@sites.test\r\nCC: \r\nBCC: \r\nSubject: New: Tool\r\nResult: sent\r\n\r\n"
                   "Dear editor,\r\n\r\nBye\r\n\r\n"
                   "\r\n"
                   "Attachments: \r\n"
                   "-------------------------------------\r\n"
                   "\r\n"
                   "\r\n"));
}

void TestMailSender::twoSendsFromOneFormAppendTwoEntries()
{
    SmtpTestServer& server = *m_plain;
    Sending s(server.port());
    const MailFields first = mailTo("ed@sites.test", "First");
    const MailFields second = mailTo("ed@sites.test", "Second");
    QVERIFY(s.send(first));
    QVERIFY(s.send(second));
    QVERIFY(server.waitForMails(2));
    QCOMPARE(server.mails().at(0).header("Subject"), QStringList({"First"}));
    QCOMPARE(server.mails().at(1).header("Subject"), QStringList({"Second"}));
    // Each send made its own message.
    QVERIFY(server.mails().at(0).header("Message-ID") != server.mails().at(1).header("Message-ID"));
    // Two entries, one block of fields each, in order, each with its outcome.
    const QString log = QString::fromUtf8(s.log());
    QCOMPARE(log.count("\r\nResult: sent\r\n"), 2);
    QCOMPARE(log.count("To: ed@sites.test\r\n"), 2);
    QVERIFY(log.indexOf("Subject: First\r\n") < log.indexOf("Subject: Second\r\n"));
    QCOMPARE(log.count(QRegularExpression("(^|\r\n)Date: \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d UTC\r\n")), 2);
}

void TestMailSender::invalidSettingsSendAndLogNothing()
{
    SmtpTestServer& server = *m_plain;
    for (const char* missing : {"From", "HostAddress"}) {
        Sending s(server.port());
        if (QByteArray(missing) == "From")
            s.config.from = "  ";
        else
            s.config.hostAddress.clear();
        QSignalSpy changed(&s.form, &MailForm::sendingChanged);
        QVERIFY(!s.form.send(mailTo("ed@sites.test")));
        QCOMPARE(s.messages(), QStringList({"Invalid SMTP server parameters."}));
        QVERIFY(!QFile::exists(s.dir.file("QuilletMail.log")));
        QVERIFY(s.lines.isEmpty());
        QVERIFY(changed.isEmpty());
        QVERIFY(s.results.isEmpty());
    }
    QTest::qWait(100);
    QVERIFY(server.mails().isEmpty());
}

void TestMailSender::badSecuritySettingFailsAndIsLogged()
{
    SmtpTestServer& server = *m_plain;
    Sending s(server.port());
    s.config.emailSecurity = "ssl";
    QVERIFY(!s.send(mailTo("ed@sites.test")));
    QCOMPARE(s.messages(), QStringList({kFailure}));
    QVERIFY(s.lines.last().contains("\"ssl\""));
    QVERIFY(!s.log().isEmpty());
    s.config.emailSecurity = "none";
    s.config.emailPort = 70000;
    QVERIFY(!s.send(mailTo("ed@sites.test")));
    QVERIFY(s.lines.last().contains("70000"));
    QTest::qWait(100);
    QVERIFY(server.mails().isEmpty());
}

void TestMailSender::silentServerTimesOut()
{
    SmtpTestServer::Options options;
    options.silent = true;
    SmtpTestServer server(options);
    Sending s(server.port());
    s.form.setTimeouts(2, 1);
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!s.send(mailTo("ed@sites.test")));
    QVERIFY2(timer.elapsed() < 15000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(s.messages(), QStringList({MailForm::failureMessage(MailSender::Failure::TimedOut)}));
    QVERIFY2(s.lines.last().contains("time", Qt::CaseInsensitive), qPrintable(s.lines.last()));
    QVERIFY(!s.log().isEmpty());
}

void TestMailSender::overlongReplyLineFails()
{
    // A reply line of 4 MB is refused as an error, never cut into a shorter reply.
    SmtpTestServer::Options options;
    options.longGreeting = 4 * 1024 * 1024;
    SmtpTestServer server(options);
    Sending s(server.port());
    s.form.setTimeouts(5, 5);
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!s.send(mailTo("ed@sites.test")));
    QVERIFY(timer.elapsed() < 10000);
    QCOMPARE(s.messages(), QStringList({kFailure}));
    QVERIFY(indexOfLine(s.lines, "> EHLO") < 0);
    // No status line carries the flood.
    for (const QString& line : std::as_const(s.lines))
        QVERIFY(line.size() < 100000);
    QVERIFY(!s.log().isEmpty());
}

void TestMailSender::abortEndsTheSendWithoutTheMessage()
{
    SmtpTestServer::Options options;
    options.delaySeconds = 30;
    SmtpTestServer server(options);
    Sending s(server.port());
    QSignalSpy finished(&s.form, &MailForm::finished);
    QVERIFY(s.form.send(mailTo("ed@sites.test")));
    QVERIFY(s.form.isSending());
    QTRY_VERIFY_WITH_TIMEOUT(indexOfLine(s.lines, "> DATA") >= 0, 10000);
    QElapsedTimer timer;
    timer.start();
    s.form.abort();
    QVERIFY(finished.wait(10000));
    QVERIFY(timer.elapsed() < 5000);
    QCOMPARE(finished.first().first().toBool(), false);
    QVERIFY(!s.form.isSending());
    QVERIFY(s.messages().isEmpty());
    QCOMPARE(s.lines.last(), QString("The sending was stopped."));
    QVERIFY(s.log().contains("\r\nTo: ed@sites.test\r\n"));
}

QTEST_GUILESS_MAIN(TestMailSender)
#include "TestMailSender.moc"
