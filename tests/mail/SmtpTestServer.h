#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

// A real SMTP server (aiosmtpd, run with /usr/bin/python3) on 127.0.0.1 on a
// port the system picks, for one test. Stopped when destroyed.
class SmtpTestServer {
public:
    struct Options {
        QString login; // "user:password" it accepts
        bool offerCramMd5 = false;
        bool startTls = false;
        bool implicitTls = false;
        QStringList refuse; // recipients answered with 550
        double delaySeconds = 0;
        bool silent = false;  // accepts connections, never answers
        int longGreeting = 0; // greets with a reply line this long, then says nothing
    };

    // One mail as the server stored it, with Python's reading of it.
    struct Mail {
        QByteArray raw;
        QJsonObject meta;

        QString mailFrom() const;
        QStringList recipients() const;
        // Every value of the header (decoded), in order; asReceived: undecoded.
        QStringList header(const QString& name, bool asReceived = false) const;
        QStringList headerNames() const;
        QString text() const;
        QJsonObject attachment(int index) const;
        int attachmentCount() const;
    };

    SmtpTestServer();
    explicit SmtpTestServer(const Options& options);
    ~SmtpTestServer();
    SmtpTestServer(const SmtpTestServer&) = delete;
    SmtpTestServer& operator=(const SmtpTestServer&) = delete;

    bool isRunning() const { return m_port > 0; }
    int port() const { return m_port; }
    QString errorOutput() const;

    // From now on mails() and waitForMails() count only mails that arrive later.
    void forgetMails() { m_forgotten += static_cast<int>(mails().size()); }

    // Waits until count mails are stored; false after timeoutMs.
    bool waitForMails(int count, int timeoutMs = 10000) const;
    QList<Mail> mails() const;
    // Lines "MECHANISM LOGIN accepted|refused", one per AUTH attempt.
    QStringList authLog() const;

    // The certificate the TLS modes present (CN localhost, 127.0.0.1) and one
    // that has nothing to do with it; made with openssl once per test program.
    static QString certificateFile();
    static QString unrelatedCertificateFile();

    // A port of 127.0.0.1 that nothing listens on (just released).
    static int unusedPort();

private:
    QString m_out;
    QProcess m_process;
    int m_port = 0;
    int m_forgotten = 0;
};
