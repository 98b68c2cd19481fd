#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// The tests' web server (test_http_server.py) on 127.0.0.1: one process with
// a free port for each of hosts, each port standing for a host, and with tls
// one more with a self-signed certificate. It serves the files under root();
// configure() sets what it does beyond that and may change it while it runs.
// Stopped when destroyed; a test program may start one in initTestCase and
// reset() it for every test.
class TestHttpServer {
public:
    explicit TestHttpServer(int hosts = 1, bool tls = false);
    ~TestHttpServer();

    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    bool isRunning() const { return !m_ports.isEmpty(); }
    int port(int host = 0) const { return m_ports.value(host); }
    // "http://127.0.0.1:<port of host>"
    QString base(int host = 0) const;
    // "https://127.0.0.1:<TLS port>", empty without tls.
    QString tlsBase() const;
    // The TLS port's certificate (PEM).
    QString certificateFile() const { return m_state.filePath(QStringLiteral("cert.pem")); }

    // The folder served; files are written below it.
    QString root() const { return m_state.filePath(QStringLiteral("root")); }
    void writeFile(const QString& path, const QByteArray& bytes) const;

    // Logins, statuses, redirects, cookies, slow, stalled, dropped, endless or
    // missing answers, as test_http_server.py describes them.
    void configure(const QJsonObject& config) const;
    // Back to a plain file server: no files, no special behaviour, no requests recorded.
    void reset() const;

    // The requests answered (or given up) so far, oldest first: method, port,
    // path, authorization, cookie, accept, user_agent, status, start and end
    // (monotonic seconds; end when the answer's headers went out).
    QList<QJsonObject> requests() const;
    QStringList requestedPaths() const;
    // "METHOD path" of every request that has arrived, answered or not, in order.
    QStringList arrived() const;

private:
    QTemporaryDir m_state;
    QProcess m_process;
    QList<int> m_ports;
    int m_tlsPort = 0;
};
