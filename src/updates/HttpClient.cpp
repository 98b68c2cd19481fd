#include "HttpClient.h"

#include "MessageTranslator.h"
#include "PrintableText.h"
#include "ReplacingFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QNetworkCookieJar>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QScopeGuard>
#include <QTimer>

#include <memory>

namespace {

constexpr int kMaximumRedirects = 5;
// What the reply holds in memory at most, and what one write takes.
constexpr qint64 kReadBufferBytes = 256 * 1024;

// Deletes a reply without letting it call back into a transfer that has ended.
struct ReplyDeleter {
    void operator()(QNetworkReply* reply) const
    {
        QObject::disconnect(reply, nullptr, nullptr, nullptr);
        if (!reply->isFinished())
            reply->abort();
        delete reply;
    }
};

QString seconds(int ms)
{
    return QString::number(ms / 1000.0, 'g', 3);
}

// The body's length as the server announced it; 0 when it did not, or when
// the body arrives compressed (its length then says nothing about the file's).
qint64 expectedLength(const QNetworkReply* reply)
{
    if (reply->hasRawHeader(QByteArrayLiteral("Content-Encoding")))
        return 0;
    bool ok = false;
    const qint64 length = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&ok);
    return ok && length > 0 ? length : 0;
}

// The status line, the server's reason phrase made safe to print.
QString statusLine(const QNetworkReply* reply)
{
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString reason
        = printableText(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString()).trimmed();
    return reason.isEmpty() ? QString::number(status) : QString::number(status) + QLatin1Char(' ') + reason;
}

// Scheme, host and port: where credentials may go.
bool sameOrigin(const QUrl& a, const QUrl& b)
{
    const auto defaultPort = [](const QUrl& url) {
        return url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80;
    };
    return a.scheme().compare(b.scheme(), Qt::CaseInsensitive) == 0
        && a.host().compare(b.host(), Qt::CaseInsensitive) == 0 && a.port(defaultPort(a)) == b.port(defaultPort(b));
}

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// An address to show: never the user info an address may carry.
QString shown(const QUrl& url)
{
    return printableText(url.toDisplayString(QUrl::RemoveUserInfo));
}

// A limit from the environment variable name (a whole number), or fallback.
int limitFromEnvironment(const char* name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value >= 0 ? value : fallback;
}

} // namespace

HttpClient::HttpClient(QObject* parent)
    : QObject(parent)
{
    // Tests shorten the limits of a whole run (quillet-cli runs the check in a helper).
    m_deadlineMs = limitFromEnvironment("QUILLET_HTTP_DEADLINE_MS", DefaultDeadlineMs);
    m_minimumRate = limitFromEnvironment("QUILLET_HTTP_MINIMUM_RATE", DefaultMinimumRate);
    m_rateWindowMs = limitFromEnvironment("QUILLET_HTTP_RATE_WINDOW_MS", DefaultRateWindowMs);
    m_manager.setProxy(QNetworkProxy::NoProxy);
    // One cookie jar for the run: cookies a reply sets go back with later requests.
    m_manager.setCookieJar(new QNetworkCookieJar(&m_manager));
}

HttpClient::~HttpClient() = default;

void HttpClient::setLogin(const QString& loginId, const QString& password)
{
    m_loginId = loginId;
    m_password = password;
}

void HttpClient::setTimeouts(int connectMs, int idleMs)
{
    m_connectTimeoutMs = connectMs;
    m_idleTimeoutMs = idleMs;
}

void HttpClient::setTransferLimits(int deadlineMs, int minimumBytesPerSecond, int rateWindowMs)
{
    m_deadlineMs = deadlineMs;
    m_minimumRate = minimumBytesPerSecond;
    m_rateWindowMs = rateWindowMs;
}

QByteArray HttpClient::acceptHeader()
{
    return QByteArrayLiteral("text/html, */*");
}

QByteArray HttpClient::userAgent()
{
    return QByteArrayLiteral("Mozilla/3.0 (compatible; Indy Library)");
}

void HttpClient::cancel()
{
    if (!m_busy)
        return;
    m_cancelled = true;
    if (m_reply)
        m_reply->abort();
}

// What one request has seen.
struct HttpClient::Attempt {
    bool connected = false;
    bool begun = false;
    bool finished = false;
    bool challenged = false; // a Basic challenge that may be answered with the login
    QUrl redirect;           // where a redirect points; its body is not the file's
    qint64 written = 0;
    QString failure;
    int status = 0;
    QString statusText;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QString errorString;
    QUrl url; // where the reply came from, after any redirects
};

QNetworkRequest HttpClient::makeRequest(const QUrl& url) const
{
    QNetworkRequest request(url);
    request.setRawHeader(QByteArrayLiteral("Accept"), acceptHeader());
    request.setHeader(QNetworkRequest::UserAgentHeader, userAgent());
    // Redirects are followed by download() itself, which decides what may
    // go along: a login only ever to the origin that asked for it.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    return request;
}

void HttpClient::fetch(const QNetworkRequest& request, ReplacingFile& file, qint64& written, qint64 maxBytes,
    bool answerable, Attempt& attempt)
{
    QEventLoop loop;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    std::unique_ptr<QNetworkReply, ReplyDeleter> owner(m_manager.get(request));
    QNetworkReply* reply = owner.get();
    // Bytes wait in the socket, not in memory, until they are written.
    reply->setReadBufferSize(kReadBufferBytes);
    m_reply = reply;
    const auto forget = qScopeGuard([this] { m_reply = nullptr; });

    const auto fail = [&](const QString& text) {
        if (attempt.failure.isEmpty())
            attempt.failure = text;
        reply->abort();
    };
    const auto alive = [&] {
        attempt.connected = true;
        watchdog.start(m_idleTimeoutMs);
    };
    // A 401 with a Basic challenge from the server's own host is answered
    // with the login, once; its body is not the file's.
    const auto checkChallenge = [&] {
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (isRedirect(status) && !attempt.redirect.isValid()) {
            const QUrl target = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
            if (target.isValid())
                attempt.redirect = reply->url().resolved(target);
        }
        if (!answerable || attempt.challenged || status != 401)
            return;
        const QByteArray challenge = reply->rawHeader(QByteArrayLiteral("WWW-Authenticate")).trimmed().toLower();
        attempt.challenged
            = challenge.startsWith("basic") || challenge.contains(", basic") || challenge.contains("\nbasic");
    };
    // Progress follows what reaches the file, chunk by chunk (the reply's own
    // progress signal is held back to one every 100 ms).
    QTimer rateCheck;
    qint64 writtenAtCheck = 0;
    const auto begin = [&] {
        if (attempt.begun)
            return;
        attempt.begun = true;
        // The rate is measured from the first byte of the body on.
        if (m_minimumRate > 0 && m_rateWindowMs > 0)
            rateCheck.start(m_rateWindowMs);
        Q_EMIT workBegin(expectedLength(reply));
    };

    connect(&watchdog, &QTimer::timeout, &loop, [&] {
        if (attempt.connected)
            fail(translateMsg(QStringLiteral("The server sent no data for %1 seconds.")).arg(seconds(m_idleTimeoutMs)));
        else
            fail(translateMsg(QStringLiteral("Could not connect to %1 within %2 seconds."))
                     .arg(request.url().host(), seconds(m_connectTimeoutMs)));
    });
    connect(reply, &QNetworkReply::socketStartedConnecting, &loop,
        [&] { Q_EMIT statusChanged(QStringLiteral("Connecting to %1.").arg(request.url().host())); });
    connect(reply, &QNetworkReply::requestSent, &loop, alive);
    connect(reply, &QNetworkReply::metaDataChanged, &loop, [&] {
        alive();
        checkChallenge();
    });
    connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        alive();
        checkChallenge();
        while (reply->bytesAvailable() > 0) {
            const QByteArray chunk = reply->read(kReadBufferBytes);
            if (chunk.isEmpty())
                break;
            if (!attempt.failure.isEmpty() || attempt.challenged || attempt.redirect.isValid())
                continue;
            begin();
            if (written + chunk.size() > maxBytes) {
                fail(translateMsg(QStringLiteral("The reply from %1 is longer than %2 bytes."))
                         .arg(shown(request.url()))
                         .arg(maxBytes));
                return;
            }
            if (!file.write(chunk)) {
                fail(QStringLiteral("Cannot write to file %1. %2")
                         .arg(QDir::toNativeSeparators(file.path()), file.errorString()));
                return;
            }
            written += chunk.size();
            attempt.written += chunk.size();
            Q_EMIT work(written);
        }
    });
    connect(reply, &QNetworkReply::finished, &loop, [&] {
        checkChallenge();
        // A reply without a body has begun and ended all the same.
        if (attempt.failure.isEmpty() && !attempt.challenged && !attempt.redirect.isValid()
            && reply->error() == QNetworkReply::NoError && !attempt.begun) {
            begin();
            Q_EMIT work(0);
        }
        attempt.finished = true;
        loop.quit();
    });

    // The whole transfer's deadline, and its minimum rate over each window
    // once data flows: a server that sends a byte now and then is not kept.
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &loop, [&] {
        fail(translateMsg(QStringLiteral("The transfer from %1 took longer than %2 seconds and was stopped."))
                 .arg(shown(request.url()), seconds(m_deadlineMs)));
    });
    connect(&rateCheck, &QTimer::timeout, &loop, [&] {
        if (!attempt.begun)
            return;
        const qint64 needed = qint64(m_minimumRate) * m_rateWindowMs / 1000;
        if (attempt.written - writtenAtCheck < needed)
            fail(translateMsg(QStringLiteral("The transfer from %1 was slower than %2 bytes per second and was "
                                             "stopped."))
                     .arg(shown(request.url()))
                     .arg(m_minimumRate));
        writtenAtCheck = attempt.written;
    });
    if (m_deadlineMs > 0 && m_transferClock.isValid())
        deadline.start(int(std::max<qint64>(1, m_deadlineMs - m_transferClock.elapsed())));

    watchdog.start(m_connectTimeoutMs);
    if (reply->isFinished())
        attempt.finished = true;
    else
        loop.exec();
    watchdog.stop();
    deadline.stop();
    rateCheck.stop();

    attempt.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    attempt.statusText = statusLine(reply);
    attempt.error = reply->error();
    attempt.errorString = printableText(reply->errorString());
    attempt.url = reply->url();
}

HttpClient::Reply HttpClient::download(const QUrl& url, const QString& localFile, qint64 maxBytes)
{
    if (m_busy)
        throw QuilletError(translateMsg(QStringLiteral("Another transfer is still running.")));

    // The reply goes to a private temporary file beside localFile, which
    // replaces it only when the transfer ends well: a failed transfer leaves
    // nothing behind, and two transfers never write into one file.
    ReplacingFile file(localFile);
    if (!file.open())
        throw QuilletError(
            QStringLiteral("Cannot create file %1. %2").arg(QDir::toNativeSeparators(localFile), file.errorString()));

    m_busy = true;
    m_cancelled = false;
    m_transferClock.start();
    const auto idle = qScopeGuard([this] {
        m_busy = false;
        m_transferClock.invalidate();
    });

    // Neither credentials nor connections of an earlier transfer are reused.
    m_manager.clearAccessCache();
    Attempt attempt;
    QUrl current = url;
    bool loginSent = false;
    int redirects = 0;
    qint64 written = 0;
    for (;;) {
        // The login goes only to the scheme, host and port that asked for it.
        const bool home = sameOrigin(current, url);
        QNetworkRequest request = makeRequest(current);
        if (loginSent && home)
            request.setRawHeader(QByteArrayLiteral("Authorization"),
                QByteArrayLiteral("Basic ") + (m_loginId + QLatin1Char(':') + m_password).toUtf8().toBase64());
        attempt = Attempt();
        fetch(request, file, written, maxBytes, home && !loginSent, attempt);
        if (!attempt.finished || m_cancelled || !attempt.failure.isEmpty())
            break;
        if (attempt.redirect.isValid() && attempt.error == QNetworkReply::NoError) {
            if (++redirects > kMaximumRedirects) {
                attempt.failure = translateMsg(QStringLiteral("Too many redirects from %1.")).arg(shown(url));
                break;
            }
            if (current.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0
                && attempt.redirect.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) != 0) {
                attempt.failure = translateMsg(QStringLiteral("%1 redirects to the less safe address %2."))
                                      .arg(shown(current), shown(attempt.redirect));
                break;
            }
            const QString scheme = attempt.redirect.scheme().toLower();
            if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) {
                attempt.failure = translateMsg(QStringLiteral("%1 redirects to %2, which is no web address."))
                                      .arg(shown(current), shown(attempt.redirect));
                break;
            }
            current = attempt.redirect;
            continue;
        }
        if (attempt.challenged && !loginSent) {
            loginSent = true;
            continue;
        }
        break;
    }

    if (attempt.begun)
        Q_EMIT workEnd();

    // The application's event loops ended (the program is closing), or the user stopped it.
    if (!attempt.finished || m_cancelled) {
        file.cancel();
        QFile::remove(localFile);
        throw TransferCancelled(translateMsg(QStringLiteral("The transfer was cancelled.")));
    }
    if (attempt.failure.isEmpty() && attempt.error != QNetworkReply::NoError) {
        if (attempt.status == 401 && loginSent)
            attempt.failure = translateMsg(QStringLiteral("The server refused the login.")) + QStringLiteral(" (")
                + attempt.statusText + QStringLiteral(", ") + shown(attempt.url) + QLatin1Char(')');
        else if (attempt.status >= 400)
            attempt.failure = attempt.statusText + QStringLiteral(" (") + shown(attempt.url) + QLatin1Char(')');
        else
            attempt.failure
                = translateMsg(QStringLiteral("Could not download %1: %2")).arg(shown(url), attempt.errorString);
    }
    if (attempt.failure.isEmpty() && !file.commit(false))
        attempt.failure = QStringLiteral("Cannot write to file %1. %2")
                              .arg(QDir::toNativeSeparators(localFile), file.errorString());
    if (!attempt.failure.isEmpty()) {
        file.cancel();
        QFile::remove(localFile);
        throw QuilletError(attempt.failure);
    }
    return Reply {attempt.status, attempt.statusText};
}
