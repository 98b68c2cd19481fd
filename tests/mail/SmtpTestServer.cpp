#include "SmtpTestServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

namespace {

QTemporaryDir& scratch()
{
    static QTemporaryDir dir;
    return dir;
}

QString makeOutputFolder()
{
    static int counter = 0;
    const QString path = scratch().path() + QStringLiteral("/server%1").arg(++counter);
    QDir().mkpath(path);
    return path;
}

// Makes a self-signed certificate and its key with openssl; fatal when it cannot.
void makeCertificate(const QString& base, const QString& subject, bool forLocalhost)
{
    QStringList arguments {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
        "-keyout", base + "-key.pem", "-out", base + "-cert.pem", "-days", "2", "-subj", subject};
    if (forLocalhost)
        arguments << "-addext"
                  << "subjectAltName=DNS:localhost,IP:127.0.0.1";
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"), arguments);
    if (!openssl.waitForFinished(20000) || openssl.exitCode() != 0)
        qFatal("openssl could not make a test certificate: %s", openssl.readAllStandardError().constData());
}

QString certificateBase()
{
    static const QString base = [] {
        const QString path = scratch().path() + QStringLiteral("/localhost");
        makeCertificate(path, QStringLiteral("/CN=localhost"), true);
        makeCertificate(
            scratch().path() + QStringLiteral("/unrelated"), QStringLiteral("/CN=Unrelated Test Authority"), false);
        return path;
    }();
    return base;
}

} // namespace

SmtpTestServer::SmtpTestServer()
    : SmtpTestServer(Options())
{ }

SmtpTestServer::SmtpTestServer(const Options& options)
    : m_out(makeOutputFolder())
{
    QStringList arguments {QStringLiteral(QUILLET_SMTP_SERVER_SCRIPT), QStringLiteral("--out"), m_out};
    if (!options.login.isEmpty())
        arguments << "--login" << options.login;
    if (options.offerCramMd5)
        arguments << "--offer-cram";
    if (options.startTls)
        arguments << "--starttls" << certificateFile() << certificateBase() + "-key.pem";
    if (options.implicitTls)
        arguments << "--tls" << certificateFile() << certificateBase() + "-key.pem";
    for (const QString& address : options.refuse)
        arguments << "--refuse" << address;
    if (options.delaySeconds > 0)
        arguments << "--delay" << QString::number(options.delaySeconds);
    if (options.silent)
        arguments << "--silent";
    if (options.longGreeting > 0)
        arguments << "--long-greeting" << QString::number(options.longGreeting);
    // Warnings of the server go to a file, so a full pipe can never stop it.
    m_process.setStandardErrorFile(m_out + QStringLiteral("/stderr.log"));
    m_process.start(QStringLiteral("/usr/bin/python3"), arguments);
    if (!m_process.waitForStarted(10000))
        return;
    QElapsedTimer timer;
    timer.start();
    while (!m_process.canReadLine() && timer.elapsed() < 15000 && m_process.state() == QProcess::Running)
        m_process.waitForReadyRead(200);
    m_port = m_process.readLine().trimmed().toInt();
}

SmtpTestServer::~SmtpTestServer()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.closeWriteChannel(); // the server ends when its input ends
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString SmtpTestServer::errorOutput() const
{
    QFile file(m_out + QStringLiteral("/stderr.log"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool SmtpTestServer::waitForMails(int count, int timeoutMs) const
{
    QElapsedTimer timer;
    timer.start();
    while (mails().size() < count) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QTest::qWait(20);
    }
    return true;
}

QList<SmtpTestServer::Mail> SmtpTestServer::mails() const
{
    QList<Mail> result;
    for (int n = m_forgotten + 1;; ++n) {
        const QString base = m_out + QStringLiteral("/%1").arg(n, 3, 10, QLatin1Char('0'));
        QFile eml(base + QStringLiteral(".eml"));
        QFile json(base + QStringLiteral(".json"));
        if (!eml.open(QIODevice::ReadOnly) || !json.open(QIODevice::ReadOnly))
            break;
        result.append(Mail {eml.readAll(), QJsonDocument::fromJson(json.readAll()).object()});
    }
    return result;
}

QStringList SmtpTestServer::authLog() const
{
    QFile file(m_out + QStringLiteral("/auth.log"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString SmtpTestServer::certificateFile()
{
    return certificateBase() + QStringLiteral("-cert.pem");
}

QString SmtpTestServer::unrelatedCertificateFile()
{
    certificateBase();
    return scratch().path() + QStringLiteral("/unrelated-cert.pem");
}

int SmtpTestServer::unusedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

QString SmtpTestServer::Mail::mailFrom() const
{
    return meta.value(QStringLiteral("mail_from")).toString();
}

QStringList SmtpTestServer::Mail::recipients() const
{
    QStringList list;
    for (const QJsonValue& value : meta.value(QStringLiteral("rcpt_tos")).toArray())
        list.append(value.toString());
    return list;
}

QStringList SmtpTestServer::Mail::header(const QString& name, bool asReceived) const
{
    QStringList values;
    const QJsonArray headers
        = meta.value(asReceived ? QStringLiteral("raw_headers") : QStringLiteral("headers")).toArray();
    for (const QJsonValue& pair : headers) {
        const QJsonArray entry = pair.toArray();
        if (entry.at(0).toString().compare(name, Qt::CaseInsensitive) == 0)
            values.append(entry.at(1).toString());
    }
    return values;
}

QStringList SmtpTestServer::Mail::headerNames() const
{
    QStringList names;
    for (const QJsonValue& pair : meta.value(QStringLiteral("raw_headers")).toArray())
        names.append(pair.toArray().at(0).toString());
    return names;
}

QString SmtpTestServer::Mail::text() const
{
    return meta.value(QStringLiteral("text")).toString();
}

QJsonObject SmtpTestServer::Mail::attachment(int index) const
{
    return meta.value(QStringLiteral("attachments")).toArray().at(index).toObject();
}

int SmtpTestServer::Mail::attachmentCount() const
{
    return static_cast<int>(meta.value(QStringLiteral("attachments")).toArray().size());
}
