#include "SiteServer.h"

#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>

SiteServer::SiteServer(int ports, const QString& certificate, const QString& key)
{
    configure(QJsonObject());
    QStringList arguments {QStringLiteral(QUILLET_SITE_SERVER_SCRIPT), m_state.filePath(QStringLiteral("config.json")),
        m_state.filePath(QStringLiteral("requests.log")), QString::number(ports)};
    if (!certificate.isEmpty()) {
        arguments << certificate << key;
        m_tls = true;
    }
    m_process.setProgram(QStringLiteral("/usr/bin/python3"));
    m_process.setArguments(arguments);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start();
    if (!m_process.waitForStarted(10000))
        return;
    QByteArray output;
    while (!output.contains('\n') && m_process.waitForReadyRead(10000))
        output += m_process.readAllStandardOutput();
    if (!output.startsWith("PORTS "))
        return;
    const QList<QByteArray> numbers = output.mid(6).trimmed().split(' ');
    for (const QByteArray& number : numbers)
        m_ports.append(number.toInt());
}

SiteServer::~SiteServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString SiteServer::base(int host) const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_ports.value(host));
}

QString SiteServer::tlsBase() const
{
    return m_tls ? QStringLiteral("https://127.0.0.1:%1").arg(m_ports.value(m_ports.size() - 1)) : QString();
}

void SiteServer::configure(const QJsonObject& config) const
{
    QSaveFile file(m_state.filePath(QStringLiteral("config.json")));
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(config).toJson()) < 0 || !file.commit())
        qFatal("cannot write the server's configuration");
}

void SiteServer::reset() const
{
    configure(QJsonObject());
    QFile::remove(m_state.filePath(QStringLiteral("requests.log")));
    QFile::remove(m_state.filePath(QStringLiteral("requests.log.started")));
}

QStringList SiteServer::arrived() const
{
    QFile file(m_state.filePath(QStringLiteral("requests.log.started")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QList<SiteServer::Request> SiteServer::requests() const
{
    QList<Request> result;
    QFile file(m_state.filePath(QStringLiteral("requests.log")));
    if (!file.open(QIODevice::ReadOnly))
        return result;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        if (o.isEmpty())
            continue;
        result.append({o.value(QStringLiteral("method")).toString(), o.value(QStringLiteral("port")).toInt(),
            o.value(QStringLiteral("path")).toString(), o.value(QStringLiteral("cookie")).toString(),
            o.value(QStringLiteral("authorization")).toString(), o.value(QStringLiteral("user_agent")).toString(),
            o.value(QStringLiteral("start")).toDouble(), o.value(QStringLiteral("end")).toDouble()});
    }
    return result;
}

bool makeSelfSignedCertificate(const QString& dir)
{
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"),
        {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
            QStringLiteral("-nodes"), QStringLiteral("-keyout"), dir + QStringLiteral("/key.pem"),
            QStringLiteral("-out"), dir + QStringLiteral("/cert.pem"), QStringLiteral("-days"), QStringLiteral("2"),
            QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"),
            QStringLiteral("subjectAltName=IP:127.0.0.1")});
    return openssl.waitForFinished(60000) && openssl.exitStatus() == QProcess::NormalExit && openssl.exitCode() == 0;
}
