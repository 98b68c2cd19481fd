#include "IniDocument.h"
#include "MailAddress.h"
#include "MailHeaders.h"
#include "MailLog.h"
#include "MailSender.h"
#include "MessageTranslator.h"
#include "PropertyCatalogue.h"
#include "QuilletError.h"
#include "Settings.h"
#include "SmtpSettings.h"
#include "SmtpTranscript.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <sys/stat.h>

Q_DECLARE_METATYPE(QVector<MailAddress>)

namespace {

QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const QuilletError& error) {
        return error.text();
    }
    return QString();
}

// Decodes a header value made of "=?UTF-8?B?...?=" words folded with CR LF and a blank.
QString decodeWords(const QByteArray& value)
{
    QByteArray bytes;
    static const QRegularExpression word(QStringLiteral("=\\?UTF-8\\?B\\?([A-Za-z0-9+/=]*)\\?="));
    auto it = word.globalMatch(QString::fromLatin1(value));
    while (it.hasNext())
        bytes += QByteArray::fromBase64(it.next().captured(1).toLatin1());
    return QString::fromUtf8(bytes);
}

} // namespace

class TestMailComposition : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void addressLists_data();
    void addressLists();
    void addressesThatAreNone_data();
    void addressesThatAreNone();
    void singleSender();
    void subjectStaysOnOneHeaderLine_data();
    void subjectStaysOnOneHeaderLine();
    void encodedWordsSplitBetweenCharacters();
    void displayNamesAreQuotedOrEncoded();
    void headersNameNoBcc();
    void transcriptHidesTheLogin();
    void logEntryBytes();
    void logEntryLabelsAreTranslated();
    void logAppendsAndReportsAnUnwritableFile();
    void securitySettings();
    void emailSettingsAreReadAndWritten();
};

void TestMailComposition::addressLists_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVector<MailAddress>>("expected");
    QTest::newRow("comma") << "a@x.test, b@y.test" << QVector<MailAddress> {{"", "a@x.test"}, {"", "b@y.test"}};
    QTest::newRow("semicolon and blanks")
        << " a@x.test ;b@y.test; " << QVector<MailAddress> {{"", "a@x.test"}, {"", "b@y.test"}};
    QTest::newRow("empty items") << ",,a@x.test,,;" << QVector<MailAddress> {{"", "a@x.test"}};
    QTest::newRow("nothing") << "  " << QVector<MailAddress> {};
    QTest::newRow("display name") << "Jane Doe <jane@x.test>" << QVector<MailAddress> {{"Jane Doe", "jane@x.test"}};
    QTest::newRow("brackets only") << "<jane@x.test>" << QVector<MailAddress> {{"", "jane@x.test"}};
    QTest::newRow("quoted comma") << "\"Doe, Jane\" <jane@x.test>, \"A \\\"B\\\" C\" <c@x.test>"
                                  << QVector<MailAddress> {{"Doe, Jane", "jane@x.test"}, {"A \"B\" C", "c@x.test"}};
    QTest::newRow("semicolon in quotes") << "\"X; Y\" <xy@x.test>;z@x.test"
                                         << QVector<MailAddress> {{"X; Y", "xy@x.test"}, {"", "z@x.test"}};
    QTest::newRow("line breaks separate")
        << "a@x.test\r\nb@y.test\nc@z.test\rd@w.test"
        << QVector<MailAddress> {{"", "a@x.test"}, {"", "b@y.test"}, {"", "c@z.test"}, {"", "d@w.test"}};
    QTest::newRow("international domain") << QString::fromUtf8(
        "Jörg <joerg@bücher.test>") << QVector<MailAddress> {{QString::fromUtf8("Jörg"), "joerg@xn--bcher-kva.test"}};
    QTest::newRow("tab in name") << "Ja\tne <j@x.test>" << QVector<MailAddress> {{"Ja ne", "j@x.test"}};
}

void TestMailComposition::addressLists()
{
    QFETCH(QString, text);
    QFETCH(QVector<MailAddress>, expected);
    QCOMPARE(AddressList::parse(text), expected);
}

void TestMailComposition::addressesThatAreNone_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("named");
    QTest::newRow("blank inside") << "a b@x.test"
                                  << "a b@x.test";
    QTest::newRow("header after a line break") << "a@x.test\r\nBcc: evil@x.test"
                                               << "Bcc: evil@x.test";
    QTest::newRow("text after bracket") << "Jane <j@x.test> more"
                                        << "Jane <j@x.test> more";
    QTest::newRow("unclosed bracket") << "Jane <j@x.test"
                                      << "Jane <j@x.test";
    QTest::newRow("bracket split by a line") << "Jane <j@x.test\r\n>"
                                             << "Jane <j@x.test";
    QTest::newRow("unclosed quote") << "\"Jane <j@x.test>"
                                    << "\"Jane <j@x.test>";
    QTest::newRow("quote split by a line") << "\"Evil\r\nBcc: x@y.test\" <a@b.test>"
                                           << "\"Evil";
    QTest::newRow("empty brackets") << "Jane <>"
                                    << "Jane <>";
    QTest::newRow("name without address") << "\"Jane\""
                                          << "\"Jane\"";
    QTest::newRow("control character") << QString("a\x01"
                                                  "b@x.test")
                                       << QString("a b@x.test");
    QTest::newRow("non-ASCII local part") << QString::fromUtf8("jörg@x.test") << QString::fromUtf8("jörg@x.test");
}

void TestMailComposition::addressesThatAreNone()
{
    QFETCH(QString, text);
    QFETCH(QString, named);
    QCOMPARE(errorOf([&] { AddressList::parse(text); }), "The address \"" + named + "\" is not valid.");
}

void TestMailComposition::singleSender()
{
    QCOMPARE(AddressList::parseSingle("Jane <jane@x.test>"), (MailAddress {"Jane", "jane@x.test"}));
    QVERIFY(!errorOf([] { AddressList::parseSingle("a@x.test, b@x.test"); }).isEmpty());
    QVERIFY(!errorOf([] { AddressList::parseSingle(" ; "); }).isEmpty());
}

void TestMailComposition::subjectStaysOnOneHeaderLine_data()
{
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << "New release"
                           << "New release";
    QTest::newRow("CR LF") << "Hi\r\nBcc: evil@x.test"
                           << "Hi Bcc: evil@x.test";
    QTest::newRow("lone LF") << "Hi\nX-Evil: 1"
                             << "Hi X-Evil: 1";
    QTest::newRow("lone CR") << "Hi\rX-Evil: 1"
                             << "Hi X-Evil: 1";
    QTest::newRow("line separator") << QString("Hi") + QChar(0x2028) + "X: 1"
                                    << "Hi X: 1";
    QTest::newRow("umlauts") << QString::fromUtf8("Grüße\r\nBcc: x@y.test") << QString::fromUtf8("Grüße Bcc: x@y.test");
    QTest::newRow("looks encoded") << "=?UTF-8?B?SGk=?="
                                   << "=?UTF-8?B?SGk=?=";
    QTest::newRow("very long") << QString(3000, 'a') << QString(3000, 'a');
}

void TestMailComposition::subjectStaysOnOneHeaderLine()
{
    QFETCH(QString, subject);
    QFETCH(QString, shown);
    const QByteArray value = MailHeaders::encodeText(subject);
    // Folded lines only: every line break is followed by a blank.
    const QList<QByteArray> lines = value.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        QVERIFY(lines.at(i).size() <= 78);
        if (i > 0)
            QVERIFY(lines.at(i).startsWith(' '));
        if (i + 1 < lines.size())
            QVERIFY(lines.at(i).endsWith('\r'));
        QVERIFY(!lines.at(i).chopped(lines.at(i).endsWith('\r') ? 1 : 0).contains('\r'));
    }
    QCOMPARE(value.contains("=?UTF-8?B?") ? decodeWords(value) : QString::fromLatin1(value), shown);
}

void TestMailComposition::encodedWordsSplitBetweenCharacters()
{
    // Four-byte characters (surrogate pairs in UTF-16) and three-byte ones mixed.
    QString text;
    for (int i = 0; i < 40; ++i)
        text += QString::fromUtf8("€😀");
    const QByteArray value = MailHeaders::encodeText(text);
    for (const QByteArray& line : value.split('\n')) {
        const QByteArray word = line.trimmed();
        QVERIFY(word.startsWith("=?UTF-8?B?") && word.endsWith("?="));
        QVERIFY(word.size() <= 75);
        // Each word decodes to whole characters by itself.
        const QByteArray bytes = QByteArray::fromBase64(word.mid(10, word.size() - 12));
        QVERIFY(!QString::fromUtf8(bytes).contains(QChar::ReplacementCharacter));
    }
    QCOMPARE(decodeWords(value), text);
}

void TestMailComposition::displayNamesAreQuotedOrEncoded()
{
    QCOMPARE(MailHeaders::mailbox({"", "a@x.test"}), QByteArray("a@x.test"));
    QCOMPARE(MailHeaders::mailbox({"Jane Doe", "a@x.test"}), QByteArray("Jane Doe <a@x.test>"));
    QCOMPARE(MailHeaders::mailbox({"Doe, Jane", "a@x.test"}), QByteArray("\"Doe, Jane\" <a@x.test>"));
    QCOMPARE(MailHeaders::mailbox({"A \"B\" \\C", "a@x.test"}), QByteArray("\"A \\\"B\\\" \\\\C\" <a@x.test>"));
    const QByteArray encoded = MailHeaders::mailbox({QString::fromUtf8("Jörg"), "a@x.test"});
    QCOMPARE(encoded, QByteArray("=?UTF-8?B?SsO2cmc=?= <a@x.test>"));
    // A name with a line break made elsewhere still gives one line.
    QCOMPARE(
        MailHeaders::mailbox({"Evil\r\nBcc: x@y.test", "a@x.test"}), QByteArray("\"Evil Bcc: x@y.test\" <a@x.test>"));
    QCOMPARE(MailHeaders::mailbox({"", "a@x.test\r\nBcc: y@z.test"}), QByteArray("a@x.testBcc:y@z.test"));
    QCOMPARE(MailHeaders::addressList({{"", "a@x.test"}, {"B", "b@x.test"}}), QByteArray("a@x.test,\r\n B <b@x.test>"));
    // Long names are folded: 5000 letters; with blanks; accented.
    for (const QString& name :
        {QString(5000, QLatin1Char('n')), QString("word ").repeated(1000), QString(5000, QChar(0xE9))}) {
        OutgoingMail mail;
        mail.from = {name, "me@x.test"};
        mail.to = {{name, "a@x.test"}};
        const QList<QByteArray> headers = MailHeaders::compose(mail);
        for (const QByteArray& header : headers) {
            for (const QByteArray& line : header.split('\n'))
                QVERIFY2(line.size() <= 998, qPrintable(QString("a line of %1 bytes").arg(line.size())));
        }
        // The name is all there, in encoded words.
        QVERIFY(headers.at(1).startsWith("To: =?UTF-8?B?"));
        QVERIFY(headers.at(1).endsWith(" <a@x.test>"));
    }
}

void TestMailComposition::headersNameNoBcc()
{
    OutgoingMail mail;
    mail.from = {"Jane", "jane@acme.test"};
    mail.to = {{"", "a@x.test"}};
    mail.bcc = {{"", "hidden@x.test"}};
    mail.subject = "Hello";
    mail.date = QDateTime(QDate(2024, 3, 7), QTime(9, 5, 2), Qt::OffsetFromUTC, -(4 * 3600 + 30 * 60));
    mail.messageId = "id-1@acme.test";
    QCOMPARE(MailHeaders::compose(mail),
        QList<QByteArray>({"From: Jane <jane@acme.test>", "To: a@x.test", "Subject: Hello",
            "Date: Thu, 07 Mar 2024 09:05:02 -0430", "Message-ID: <id-1@acme.test>", "X-Mailer: Orlan Mail",
            "Disposition-Notification-To: Jane <jane@acme.test>"}));
    mail.cc = {{"", "c@x.test"}};
    mail.to.clear();
    mail.messageId.clear();
    const QList<QByteArray> headers = MailHeaders::compose(mail);
    QCOMPARE(headers.at(1), QByteArray("Cc: c@x.test"));
    QVERIFY(!headers.join('\n').contains("hidden"));
    for (const QByteArray& header : headers)
        QVERIFY(!header.startsWith("To:"));
    QVERIFY(QRegularExpression("^Message-ID: <[0-9a-f-]{36}@acme\\.test>$")
                .match(QString::fromLatin1(headers.at(4)))
                .hasMatch());
}

void TestMailComposition::transcriptHidesTheLogin()
{
    SmtpTranscript transcript;
    using D = SmtpTranscript::Direction;
    QStringList lines;
    lines += transcript.lines(D::Info, "  Trying 127.0.0.1:25...\n");
    lines += transcript.lines(D::Received, "220 mail.test ESMTP\r\n");
    lines += transcript.lines(D::Sent, "EHLO me\r\n");
    lines += transcript.lines(D::Received, "250-mail.test\r\n250 AUTH LOGIN PLAIN\r\n");
    lines += transcript.lines(D::Sent, "AUTH LOGIN dXNlcg==\r\n");
    lines += transcript.lines(D::Received, "334 UGFzc3dvcmQ6\r\n");
    lines += transcript.lines(D::Sent, "c2VjcmV0\r\n");
    lines += transcript.lines(D::Received, "535 5.7.8 Authentication credentials invalid\r\n");
    lines += transcript.lines(D::Sent, "QUIT\r\n");
    lines += transcript.lines(D::Info, "\n");
    QCOMPARE(lines,
        QStringList({"Trying 127.0.0.1:25...", "< 220 mail.test ESMTP", "> EHLO me", "< 250-mail.test",
            "< 250 AUTH LOGIN PLAIN", "> AUTH LOGIN (login data hidden)", "< 334 UGFzc3dvcmQ6", "> (login data hidden)",
            "< 535 5.7.8 Authentication credentials invalid", "> QUIT"}));
    // "AUTHOR" is no AUTH command.
    SmtpTranscript other;
    QCOMPARE(other.lines(D::Sent, "AUTHOR x\r\n"), QStringList({"> AUTHOR x"}));
    QCOMPARE(other.lines(D::Sent, "secret\r\n"), QStringList({"> secret"}));
}

void TestMailComposition::logEntryBytes()
{
    MailFields fields;
    fields.to = "a@x.test, b@x.test";
    fields.subject = "New";
    fields.body = "Line 1\r\nLine 2\r\n";
    MailOutcome sent;
    sent.sent = true;
    sent.when = QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7), Qt::UTC);
    // One block of fields, with the time in UTC and the outcome.
    const QString expected
        = "Date: 2026-03-04 05:06:07 UTC\r\nTo: a@x.test, b@x.test\r\nCC: \r\nBCC: \r\nSubject: New\r\n"
          "Result: sent\r\n\r\nLine 1\r\nLine 2\r\n\r\n"
          "\r\n"
          "Attachments: \r\n"
          "-------------------------------------\r\n"
          "\r\n";
    QCOMPARE(MailLog::entry(fields, sent), expected);
    MailOutcome failed;
    failed.reason = "RCPT failed: 550";
    // A time of another zone is written as UTC.
    failed.when = QDateTime(QDate(2026, 3, 4), QTime(7, 6, 7), Qt::OffsetFromUTC, 7200);
    QVERIFY(MailLog::entry(fields, failed).startsWith("Date: 2026-03-04 05:06:07 UTC\r\n"));
    QVERIFY(MailLog::entry(fields, failed).contains("\r\nResult: failed: RCPT failed: 550\r\n\r\nLine 1"));
    fields.attachment = "/tmp/a b.zip";
    QVERIFY(MailLog::entry(fields, sent).contains("\r\nAttachments: /tmp/a b.zip\r\n"));

    // One entry: the separator line once, at its place; no field starts a line of its own.
    const QString separator = "-------------------------------------";
    fields.cc = "c@x.test\r\nd@x.test";
    fields.subject = "Hi\r\n" + separator + "\r\n\r\nTo: forged@x.test\x1b]0;t\x07";
    failed.reason = "554 no\r\n" + separator;
    const QString entry = MailLog::entry(fields, failed);
    QCOMPARE(entry.count(separator), 3);
    QCOMPARE(entry.split("\r\n").filter(QRegularExpression("^-+$")).size(), 1);
    QVERIFY(!entry.contains("\r\nTo: forged"));
    QVERIFY(!entry.contains(QChar(0x1b)));
    QVERIFY(entry.contains("\r\nCC: c@x.test d@x.test\r\n"));
    QVERIFY(entry.contains("\r\nSubject: Hi " + separator + "  To: forged@x.test?]0;t?\r\n"));
}

void TestMailComposition::logEntryLabelsAreTranslated()
{
    TestProgramDirectory dir;
    dir.writeFile("Deutsch.lng",
        "[Messages]\nTo:=An:\nSubject:=Betreff:\nAttachments:=Anlagen:\nDate:=Datum:\nResult:=Ergebnis:\nsent="
        "gesendet\n");
    PropertyCatalogue properties;
    Settings config(dir.path(), properties);
    config.language = "Deutsch";
    useLanguageOf(&config);
    MailFields fields;
    fields.to = "a@x.test";
    MailOutcome sent;
    sent.sent = true;
    const QString entry = MailLog::entry(fields, sent);
    useLanguageOf(nullptr);
    QVERIFY(entry.startsWith("Datum: "));
    QVERIFY(entry.contains("\r\nAn: a@x.test\r\nCC: \r\nBCC: \r\nBetreff: \r\nErgebnis: gesendet\r\n\r\n"));
    QVERIFY(entry.contains("\r\nAnlagen: \r\n"));
}

void TestMailComposition::logAppendsAndReportsAnUnwritableFile()
{
    TestProgramDirectory dir;
    RecordingMessageSink sink;
    MailFields first;
    first.to = "a@x.test";
    MailFields second;
    second.to = QString::fromUtf8("b@x.test");
    second.body = QString::fromUtf8("Grüße\r\n");
    dir.writeFile("QuilletMail.log", "older entries\r\n");
    MailOutcome outcome;
    outcome.when = QDateTime::currentDateTimeUtc();
    QVERIFY(MailLog::append(dir.path(), first, outcome));
    QVERIFY(MailLog::append(dir.path(), second, outcome));
    QCOMPARE(dir.readFile("QuilletMail.log"),
        "older entries\r\n"
            + (MailLog::entry(first, outcome) + "\r\n" + MailLog::entry(second, outcome) + "\r\n").toUtf8());
    QVERIFY(sink.messages.isEmpty());

    TestProgramDirectory blocked;
    QVERIFY(QDir().mkpath(blocked.file("QuilletMail.log")));
    QVERIFY(!MailLog::append(blocked.path(), first, outcome));
    QCOMPARE(sink.messages.size(), 1);
    QVERIFY(sink.messages.first().text.startsWith("Could not access " + blocked.file("QuilletMail.log")));
    QCOMPARE(sink.messages.first().title, QString("Access Error"));

    // A new log is for the owner only; a pipe in its place is refused at once.
    TestProgramDirectory fresh;
    const mode_t saved = ::umask(022);
    QVERIFY(MailLog::append(fresh.path(), first, outcome));
    ::umask(saved);
    struct stat status { };
    QCOMPARE(::stat(QFile::encodeName(fresh.file("QuilletMail.log")).constData(), &status), 0);
    QCOMPARE(status.st_mode & 0777, mode_t(0600));
    TestProgramDirectory piped;
    TestFifo fifo(piped.file("QuilletMail.log"));
    bool appended = true;
    QVERIFY(fifo.returnsPromptly([&] { appended = MailLog::append(piped.path(), first, outcome); }));
    QVERIFY(!appended);
    QCOMPARE(sink.messages.size(), 2);
    QVERIFY(sink.messages.last().text.startsWith("Could not access " + fifo.path()));
}

void TestMailComposition::securitySettings()
{
    SmtpSettings::Security security = SmtpSettings::Security::Tls;
    QVERIFY(SmtpSettings::parseSecurity("", security));
    QCOMPARE(security, SmtpSettings::Security::None);
    QVERIFY(SmtpSettings::parseSecurity(" StartTLS ", security));
    QCOMPARE(security, SmtpSettings::Security::StartTls);
    QVERIFY(SmtpSettings::parseSecurity("TLS", security));
    QCOMPARE(security, SmtpSettings::Security::Tls);
    QVERIFY(!SmtpSettings::parseSecurity("ssl", security));

    SmtpSettings smtp;
    smtp.securityText = "ssl";
    QVERIFY(errorOf([&] { smtp.check(); }).contains("\"ssl\""));
    smtp.securityText = "none";
    for (int port : {0, -1, 65536}) {
        smtp.port = port;
        QVERIFY(!errorOf([&] { smtp.check(); }).isEmpty());
    }
    smtp.port = 587;
    QCOMPARE(errorOf([&] { smtp.check(); }), QString());

    smtp.host = " mail.test ";
    QCOMPARE(MailSender::serverUrl(smtp, "me"), QString("smtp://mail.test:587/me"));
    smtp.security = SmtpSettings::Security::StartTls;
    QCOMPARE(MailSender::serverUrl(smtp, "me"), QString("smtp://mail.test:587/me"));
    smtp.security = SmtpSettings::Security::Tls;
    QCOMPARE(MailSender::serverUrl(smtp, "me"), QString("smtps://mail.test:587/me"));
    smtp.host = "::1";
    QCOMPARE(MailSender::serverUrl(smtp, "me"), QString("smtps://[::1]:587/me"));
    smtp.host = "bad host/x";
    QCOMPARE(MailSender::serverUrl(smtp, "me"), QString());
}

void TestMailComposition::emailSettingsAreReadAndWritten()
{
    TestProgramDirectory dir;
    PropertyCatalogue properties;
    {
        Settings config(dir.path(), properties);
        config.loadSettings();
        QCOMPARE(config.emailPort, 25);
        QCOMPARE(config.emailSecurity, QString("none"));
        QCOMPARE(config.emailCaFile, QString());
        const SmtpSettings smtp = SmtpSettings::fromConfig(config);
        QCOMPARE(smtp.port, 25);
        QCOMPARE(smtp.security, SmtpSettings::Security::None);
        QCOMPARE(smtp.connectTimeoutSeconds, 30);
        QCOMPARE(smtp.idleTimeoutSeconds, 60);
        config.emailPort = 465;
        config.emailSecurity = "tls";
        config.emailCaFile = "/etc/company ca.pem";
        config.hostAddress = "mail.acme.test";
        config.saveSettings();
    }
    const IniDocument ini = IniDocument::load(dir.file("quillet.ini"));
    QCOMPARE(ini.readString("EMail", "Port", ""), QString("465"));
    QCOMPARE(ini.readString("EMail", "Security", ""), QString("tls"));
    QCOMPARE(ini.readString("EMail", "CAFile", ""), QString("/etc/company ca.pem"));

    dir.writeFile("quillet.ini", "[email]\nport=0x24b\nsecurity=STARTTLS\nhostaddress=h\n");
    Settings config(dir.path(), properties);
    config.loadSettings();
    QCOMPARE(config.emailPort, 587);
    const SmtpSettings smtp = SmtpSettings::fromConfig(config);
    QCOMPARE(smtp.security, SmtpSettings::Security::StartTls);
    QCOMPARE(smtp.host, QString("h"));
    // A port that is no number is no port: the send is refused with a clear
    // message rather than going to port 25 unasked.
    dir.writeFile("quillet.ini", "[EMail]\nPort=twenty-five\n");
    config.loadSettings();
    QCOMPARE(config.emailPort, 0);
    QCOMPARE(errorOf([&config] { SmtpSettings::fromConfig(config).check(); }),
        QString("The SMTP port set in the [EMail] section of quillet.ini is not a number: give a number from 1 to "
                "65535."));
}

QTEST_GUILESS_MAIN(TestMailComposition)
#include "TestMailComposition.moc"
