#include "TestHttpServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>

TestHttpServer::TestHttpServer(int hosts, bool tls)
{
    QDir().mkpath(root());
    configure(QJsonObject());
    QStringList arguments {QStringLiteral(QUILLET_TEST_HTTP_SERVER_SCRIPT), m_state.path(), QString::number(hosts)};
    if (tls) {
        // A self-signed certificate for 127.0.0.1.
        const QString key = m_state.filePath(QStringLiteral("key.pem"));
        const QStringList request = QStringLiteral("req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 "
                                                   "-addext subjectAltName=IP:127.0.0.1")
                                        .split(QLatin1Char(' '));
        QProcess openssl; // its chatter is read and dropped
        openssl.start(QStringLiteral("openssl"),
            request + QStringList {QStringLiteral("-keyout"), key, QStringLiteral("-out"), certificateFile()});
        if (!openssl.waitForFinished(60000) || openssl.exitStatus() != QProcess::NormalExit || openssl.exitCode() != 0)
            return;
        arguments << certificateFile() << key;
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
    if (tls)
        m_tlsPort = m_ports.takeLast();
}

TestHttpServer::~TestHttpServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString TestHttpServer::base(int host) const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(port(host));
}

QString TestHttpServer::tlsBase() const
{
    return m_tlsPort ? QStringLiteral("https://127.0.0.1:%1").arg(m_tlsPort) : QString();
}

void TestHttpServer::writeFile(const QString& path, const QByteArray& bytes) const
{
    const QString full = QDir(root()).filePath(path);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile file(full);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(full));
}

void TestHttpServer::configure(const QJsonObject& config) const
{
    QSaveFile file(m_state.filePath(QStringLiteral("config.json")));
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(config).toJson()) < 0 || !file.commit())
        qFatal("cannot write the server's configuration");
}

void TestHttpServer::reset() const
{
    configure(QJsonObject());
    QFile::remove(m_state.filePath(QStringLiteral("requests.log")));
    QFile::remove(m_state.filePath(QStringLiteral("requests.log.started")));
    QDir(root()).removeRecursively();
    QDir().mkpath(root());
}

QList<QJsonObject> TestHttpServer::requests() const
{
    QList<QJsonObject> result;
    QFile file(m_state.filePath(QStringLiteral("requests.log")));
    if (!file.open(QIODevice::ReadOnly))
        return result;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const QJsonObject request = QJsonDocument::fromJson(line).object();
        if (!request.isEmpty())
            result.append(request);
    }
    return result;
}

QStringList TestHttpServer::requestedPaths() const
{
    QStringList paths;
    const QList<QJsonObject> all = requests();
    for (const QJsonObject& request : all)
        paths.append(request.value(QStringLiteral("path")).toString());
    return paths;
}

QStringList TestHttpServer::arrived() const
{
    QFile file(m_state.filePath(QStringLiteral("requests.log.started")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
