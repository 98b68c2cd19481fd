#include "HttpClient.h"

#include "MessageTranslator.h"

#include <QDir>
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

QString statusLine(const QNetworkReply* reply)
{
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().trimmed();
    return reason.isEmpty() ? QString::number(status) : QString::number(status) + QLatin1Char(' ') + reason;
}

} // namespace

HttpClient::HttpClient(QObject* parent)
    : QObject(parent)
{
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
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaximumRedirects);
    return request;
}

void HttpClient::fetch(
    const QNetworkRequest& request, const QUrl& server, QFile& file, qint64 maxBytes, bool answerable, Attempt& attempt)
{
    QEventLoop loop;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    std::unique_ptr<QNetworkReply, ReplyDeleter> owner(m_manager.get(request));
    QNetworkReply* reply = owner.get();
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
        if (!answerable || attempt.challenged
            || reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() != 401
            || reply->url().host().compare(server.host(), Qt::CaseInsensitive) != 0)
            return;
        const QByteArray challenge = reply->rawHeader(QByteArrayLiteral("WWW-Authenticate")).trimmed().toLower();
        attempt.challenged
            = challenge.startsWith("basic") || challenge.contains(", basic") || challenge.contains("\nbasic");
    };
    // Progress follows what reaches the file, chunk by chunk (the reply's own
    // progress signal is held back to one every 100 ms).
    const auto begin = [&] {
        if (attempt.begun)
            return;
        attempt.begun = true;
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
        const QByteArray chunk = reply->readAll();
        if (!attempt.failure.isEmpty() || attempt.challenged)
            return;
        begin();
        if (attempt.written + chunk.size() > maxBytes) {
            fail(translateMsg(QStringLiteral("The reply from %1 is longer than %2 bytes."))
                     .arg(request.url().toDisplayString())
                     .arg(maxBytes));
            return;
        }
        if (file.write(chunk) != chunk.size()) {
            fail(QStringLiteral("Cannot write to file %1. %2")
                     .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
            return;
        }
        attempt.written += chunk.size();
        Q_EMIT work(attempt.written);
    });
    connect(reply, &QNetworkReply::finished, &loop, [&] {
        checkChallenge();
        // A reply without a body has begun and ended all the same.
        if (attempt.failure.isEmpty() && !attempt.challenged && reply->error() == QNetworkReply::NoError
            && !attempt.begun) {
            begin();
            Q_EMIT work(0);
        }
        attempt.finished = true;
        loop.quit();
    });

    watchdog.start(m_connectTimeoutMs);
    if (reply->isFinished())
        attempt.finished = true;
    else
        loop.exec();
    watchdog.stop();

    attempt.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    attempt.statusText = statusLine(reply);
    attempt.error = reply->error();
    attempt.errorString = reply->errorString();
    attempt.url = reply->url();
}

HttpClient::Reply HttpClient::download(const QUrl& url, const QString& localFile, qint64 maxBytes)
{
    if (m_busy)
        throw QuilletError(translateMsg(QStringLiteral("Another transfer is still running.")));

    QFile file(localFile);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw QuilletError(
            QStringLiteral("Cannot create file %1. %2").arg(QDir::toNativeSeparators(localFile), file.errorString()));

    m_busy = true;
    m_cancelled = false;
    const auto idle = qScopeGuard([this] { m_busy = false; });

    // Neither credentials nor connections of an earlier transfer are reused.
    m_manager.clearAccessCache();
    Attempt attempt;
    fetch(makeRequest(url), url, file, maxBytes, true, attempt);
    if (attempt.challenged && attempt.finished && attempt.failure.isEmpty() && !m_cancelled) {
        QNetworkRequest authorized = makeRequest(attempt.url);
        authorized.setRawHeader(QByteArrayLiteral("Authorization"),
            QByteArrayLiteral("Basic ") + (m_loginId + QLatin1Char(':') + m_password).toUtf8().toBase64());
        attempt = Attempt();
        fetch(authorized, url, file, maxBytes, false, attempt);
    }

    if (attempt.begun)
        Q_EMIT workEnd();
    file.close();
    if (attempt.failure.isEmpty() && file.error() != QFileDevice::NoError)
        attempt.failure = QStringLiteral("Cannot write to file %1. %2")
                              .arg(QDir::toNativeSeparators(localFile), file.errorString());

    // The application's event loops ended (the program is closing), or the user stopped it.
    if (!attempt.finished || m_cancelled)
        throw TransferCancelled(translateMsg(QStringLiteral("The transfer was cancelled.")));
    if (!attempt.failure.isEmpty())
        throw QuilletError(attempt.failure);
    if (attempt.error != QNetworkReply::NoError) {
        if (attempt.status >= 400)
            throw QuilletError(
                attempt.statusText + QStringLiteral(" (") + attempt.url.toDisplayString() + QLatin1Char(')'));
        throw QuilletError(
            translateMsg(QStringLiteral("Could not download %1: %2")).arg(url.toDisplayString(), attempt.errorString));
    }
    return Reply {attempt.status, attempt.statusText};
}
