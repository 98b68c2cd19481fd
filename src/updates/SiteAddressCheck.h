#pragma once

#include "SiteCheckOutcome.h"
#include "SiteCheckTargets.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QSslCertificate>
#include <QTimer>
#include <QUrl>
#include <QVector>

#include <list>

class QNetworkReply;

// Visits the sites' addresses in the background and says which answer.
//
// Each web address is asked with HEAD; a server that refuses HEAD is asked
// again with GET, whose body is never read (the transfer ends once the
// status has come). Redirects are followed here, at most five, never from
// https to http. A check leads to one outcome (SiteCheckOutcome); a moved
// site is one whose first redirects are permanent (301, 308) and lead to an
// address that answers: the address they end at is the new one.
//
// Politeness: at most maxRequests requests at once, one at a time per host
// (a host is its name, with the port when the address names one), and a
// pause after each request before the same host is asked again. Every
// request ends after requestTimeoutMs. Requests carry a browser's user agent
// and nothing of the author: no cookies are sent or kept, no login (an
// address's own user name and password are dropped), and no proxy is used.
// File addresses are checked for the file's existence without any request.
//
// Everything runs in the caller's thread through its event loop.
class SiteAddressCheck : public QObject {
    Q_OBJECT
public:
    struct Limits {
        int maxRequests = 8;
        int requestTimeoutMs = 15000;
        int hostPauseMs = 1000;
        int maxRedirects = 5;
    };

    explicit SiteAddressCheck(QObject* parent = nullptr);
    ~SiteAddressCheck() override;

    void setLimits(const Limits& limits) { m_limits = limits; }
    const Limits& limits() const { return m_limits; }

    // Certificates trusted beside the system's (for a server of one's own).
    void setExtraCaCertificates(const QList<QSslCertificate>& certificates) { m_extraCa = certificates; }

    // Starts checking targets (from the event loop, so the caller may
    // connect first). Ignored while a check runs.
    void start(const QVector<SiteCheckTarget>& targets);
    // Ends the check: requests under way are dropped without an outcome.
    void stop();

    bool isRunning() const { return m_running; }
    int total() const { return static_cast<int>(m_jobs.size()); }
    int done() const { return m_done; }

    static QByteArray userAgent();

Q_SIGNALS:
    void siteChecked(const SiteCheckResult& result);
    void progressChanged(int done, int total);
    // Every target has its outcome (stopped false), or stop() ended the check.
    void finished(bool stopped);

private:
    struct Job {
        SiteCheckTarget target;
        QUrl url;         // the address asked next
        bool head = true; // HEAD, until the server refuses it
        int redirects = 0;
        bool permanentRun = true; // every redirect so far was permanent
        QUrl movedTo;
    };
    struct Request {
        int job = -1;
        bool timedOut = false;
        QString certificateProblem;
    };
    struct Host {
        bool busy = false;
        qint64 readyAt = 0; // on m_clock
    };

    void pump();
    void startRequest(int job);
    void requestFinished(QNetworkReply* reply);
    void checkFile(int job);
    void finish(int job, const SiteCheckOutcome& outcome);
    static QString hostKey(const QUrl& url);

    Limits m_limits;
    QList<QSslCertificate> m_extraCa;
    QNetworkAccessManager m_manager;
    QVector<Job> m_jobs;
    std::list<int> m_waiting;
    QHash<QString, Host> m_hosts;
    QHash<QNetworkReply*, Request> m_requests;
    QElapsedTimer m_clock;
    QTimer m_wake;
    int m_done = 0;
    bool m_running = false;
    bool m_pumping = false;
};
