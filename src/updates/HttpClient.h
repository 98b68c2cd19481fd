#pragma once

#include "QuilletError.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QUrl>

// A transfer that ended because it was cancelled (the Stop command, or the
// program closing while it ran) rather than because it failed.
class ReplacingFile;

class TransferCancelled : public QuilletError {
public:
    using QuilletError::QuilletError;
};

// The HTTP client of the update check: one GET of an address into a local
// file at a time, waiting in a local event loop so the window keeps
// repainting and taking commands meanwhile.
//
// Every request carries "Accept: text/html, */*" and the program's
// User-Agent, goes to the server directly (never through a proxy) and sends
// back the cookies that replies set during the run. Credentials are never
// sent before a server asks for them: on a Basic challenge from the origin
// (scheme, host and port) of the address asked for, the request is sent once
// more with the login set with setLogin (encoded as UTF-8); a server that
// refuses it ends the transfer with "The server refused the login." and its
// status. Redirects (at most five, never from https to http) are followed
// here: the login goes along only while they stay at the original origin,
// and a challenge from elsewhere gets none.
//
// A transfer has an overall deadline and, once data flows, a minimum rate
// over each window of time; either ends it with a message. Texts that come
// from the server (the reason phrase) have their control characters
// replaced, and no address shown carries user info.
class HttpClient : public QObject {
    Q_OBJECT
public:
    static constexpr int DefaultConnectTimeoutMs = 30000;
    static constexpr int DefaultIdleTimeoutMs = 60000;
    // 512 MB at 256 kB per second; a rate below 1 kB per second over 30 s.
    static constexpr int DefaultDeadlineMs = 35 * 60 * 1000;
    static constexpr int DefaultMinimumRate = 1024;
    static constexpr int DefaultRateWindowMs = 30000;

    // What the server answered: status code and its status line ("200 OK").
    struct Reply {
        int status = 0;
        QString statusText;
    };

    explicit HttpClient(QObject* parent = nullptr);
    ~HttpClient() override;

    // The login offered on a server's challenge (DownloadLoginID / DownloadPassword).
    void setLogin(const QString& loginId, const QString& password);
    QString loginId() const { return m_loginId; }

    // Time allowed to reach the server, and without any data afterwards.
    void setTimeouts(int connectMs, int idleMs);
    // The whole transfer's time (redirects and login included), and the
    // fewest bytes per second over each window once the body flows; 0 turns
    // a limit off. The environment variables QUILLET_HTTP_DEADLINE_MS,
    // QUILLET_HTTP_MINIMUM_RATE and QUILLET_HTTP_RATE_WINDOW_MS set them for
    // a whole run.
    void setTransferLimits(int deadlineMs, int minimumBytesPerSecond, int rateWindowMs);

    // Writes the reply body, as it arrives and in bounded pieces, into a
    // private temporary file that replaces localFile when the reply came back
    // normally: any 2xx or 3xx status, the caller deciding what a status
    // other than 200 means. Raises QuilletError with the status line for a
    // 4xx or 5xx reply (after any login was offered), with the client's text
    // for a transfer that fails (no connection, a time-out, a deadline or a
    // rate missed, a dropped connection, a body longer than maxBytes, a file
    // that cannot be written), and TransferCancelled when cancel() or the end
    // of the application's event loops stops it. After a failure neither the
    // temporary file nor localFile is left.
    Reply download(const QUrl& url, const QString& localFile, qint64 maxBytes);

    bool isBusy() const { return m_busy; }

    // Stops the transfer under way, if any.
    void cancel();

    // The request headers sent with every request.
    static QByteArray acceptHeader();
    static QByteArray userAgent();

Q_SIGNALS:
    // A text of the client's own about the connection ("Connecting to host:port.").
    void statusChanged(const QString& text);
    // The body starts; expected is its length, 0 when the server did not say.
    void workBegin(qint64 expected);
    // Bytes of the body received so far.
    void work(qint64 done);
    // The body has ended (also after a failure, once it had begun).
    void workEnd();

private:
    struct Attempt;
    // One request; the reply body goes to file unless it is a Basic challenge
    // that may be answered (answerable), which is recorded instead.
    void fetch(const QNetworkRequest& request, ReplacingFile& file, qint64& written, qint64 maxBytes, bool answerable,
        Attempt& attempt);
    QNetworkRequest makeRequest(const QUrl& url) const;

    QNetworkAccessManager m_manager;
    QString m_loginId;
    QString m_password;
    int m_connectTimeoutMs = DefaultConnectTimeoutMs;
    int m_idleTimeoutMs = DefaultIdleTimeoutMs;
    int m_deadlineMs = DefaultDeadlineMs;
    int m_minimumRate = DefaultMinimumRate;
    int m_rateWindowMs = DefaultRateWindowMs;
    QElapsedTimer m_transferClock;
    bool m_busy = false;
    QNetworkReply* m_reply = nullptr;
    bool m_cancelled = false;
};
