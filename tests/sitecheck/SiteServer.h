#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// The site check tests' download sites (site_server.py) on 127.0.0.1: one
// process listening on several ports, each standing for a host, and with
// TLS on one more port when a certificate is given. Its answers per path are
// set with configure(); requests() lists what it was asked.
class SiteServer {
public:
    struct Request {
        QString method;
        int port = 0;
        QString path;
        QString cookie;
        QString authorization;
        QString userAgent;
        double start = 0;
        double end = 0;
    };

    explicit SiteServer(int ports, const QString& certificate = QString(), const QString& key = QString());
    ~SiteServer();

    bool isRunning() const { return !m_ports.isEmpty(); }
    // "http://127.0.0.1:<port of host n>"
    QString base(int host = 0) const;
    // "https://127.0.0.1:<TLS port>"
    QString tlsBase() const;
    int port(int host) const { return m_ports.value(host); }

    void configure(const QJsonObject& config) const;
    // Answers 200 everywhere again and forgets the requests.
    void reset() const;
    // The requests answered (or given up) so far.
    QList<Request> requests() const;
    // The requests that have arrived, answered or not.
    int arrivedCount() const { return static_cast<int>(arrived().size()); }
    // "METHOD path" of every request that has arrived, in order.
    QStringList arrived() const;

private:
    QTemporaryDir m_state;
    QProcess m_process;
    QList<int> m_ports;
    bool m_tls = false;
};

// A self-signed certificate for 127.0.0.1 made with openssl in dir:
// dir/cert.pem and dir/key.pem. False when openssl failed.
bool makeSelfSignedCertificate(const QString& dir);
