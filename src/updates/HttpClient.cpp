#include "HttpClient.h"

#include "MessageTranslator.h"

#include <QAuthenticator>
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

// What one transfer has seen so far.
struct TransferState {
    bool connected = false;
    bool begun = false;
    bool finished = false;
    bool loginOffered = false;
    qint64 written = 0;
    QString failure;
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
    const auto idle = qScopeGuard([this] {
        m_busy = false;
        m_reply = nullptr;
    });

    // Neither credentials nor connections of an earlier transfer are reused:
    // a login is sent only when this request is challenged. (The request must
    // not be marked for manual authentication: Qt then never sends a login.)
    m_manager.clearAccessCache();
    QNetworkRequest request(url);
    request.setRawHeader(QByteArrayLiteral("Accept"), acceptHeader());
    request.setHeader(QNetworkRequest::UserAgentHeader, userAgent());
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaximumRedirects);

    TransferState state;
    QEventLoop loop;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    std::unique_ptr<QNetworkReply, ReplyDeleter> owner(m_manager.get(request));
    QNetworkReply* reply = owner.get();
    m_reply = reply;

    const auto fail = [&](const QString& text) {
        if (state.failure.isEmpty())
            state.failure = text;
        reply->abort();
    };
    const auto alive = [&] {
        state.connected = true;
        watchdog.start(m_idleTimeoutMs);
    };

    connect(&watchdog, &QTimer::timeout, &loop, [&] {
        if (state.connected)
            fail(translateMsg(QStringLiteral("The server sent no data for %1 seconds.")).arg(seconds(m_idleTimeoutMs)));
        else
            fail(translateMsg(QStringLiteral("Could not connect to %1 within %2 seconds."))
                     .arg(url.host(), seconds(m_connectTimeoutMs)));
    });
    connect(reply, &QNetworkReply::socketStartedConnecting, &loop,
        [&] { Q_EMIT statusChanged(QStringLiteral("Connecting to %1.").arg(url.host())); });
    connect(reply, &QNetworkReply::requestSent, &loop, alive);
    connect(reply, &QNetworkReply::metaDataChanged, &loop, alive);
    // Progress follows what reaches the file, chunk by chunk (the reply's own
    // progress signal is held back to one every 100 ms).
    const auto begin = [&] {
        if (state.begun)
            return;
        state.begun = true;
        Q_EMIT workBegin(expectedLength(reply));
    };
    connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        alive();
        const QByteArray chunk = reply->readAll();
        if (!state.failure.isEmpty())
            return;
        begin();
        if (state.written + chunk.size() > maxBytes) {
            fail(translateMsg(QStringLiteral("The reply from %1 is longer than %2 bytes."))
                     .arg(url.toDisplayString())
                     .arg(maxBytes));
            return;
        }
        if (file.write(chunk) != chunk.size()) {
            fail(QStringLiteral("Cannot write to file %1. %2")
                     .arg(QDir::toNativeSeparators(localFile), file.errorString()));
            return;
        }
        state.written += chunk.size();
        Q_EMIT work(state.written);
    });
    connect(&m_manager, &QNetworkAccessManager::authenticationRequired, &loop,
        [&](QNetworkReply* challenged, QAuthenticator* authenticator) {
            // The login goes to the server it was typed for, and only once:
            // a second challenge means it was refused.
            if (challenged != reply || state.loginOffered
                || challenged->url().host().compare(url.host(), Qt::CaseInsensitive) != 0)
                return;
            state.loginOffered = true;
            authenticator->setUser(m_loginId);
            authenticator->setPassword(m_password);
        });
    connect(reply, &QNetworkReply::finished, &loop, [&] {
        // A reply without a body has begun and ended all the same.
        if (state.failure.isEmpty() && reply->error() == QNetworkReply::NoError) {
            if (!state.begun) {
                begin();
                Q_EMIT work(0);
            }
        }
        state.finished = true;
        loop.quit();
    });

    watchdog.start(m_connectTimeoutMs);
    if (!reply->isFinished())
        loop.exec();
    else
        state.finished = true;
    watchdog.stop();

    if (state.begun)
        Q_EMIT workEnd();
    file.close();
    if (state.failure.isEmpty() && file.error() != QFileDevice::NoError)
        state.failure = QStringLiteral("Cannot write to file %1. %2")
                            .arg(QDir::toNativeSeparators(localFile), file.errorString());

    // The application's event loops ended (the program is closing), or the user stopped it.
    if (!state.finished || m_cancelled) {
        const QString text = translateMsg(QStringLiteral("The transfer was cancelled."));
        Q_EMIT statusChanged(text);
        throw TransferCancelled(text);
    }
    if (!state.failure.isEmpty()) {
        Q_EMIT statusChanged(state.failure);
        throw QuilletError(state.failure);
    }

    Reply result;
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.statusText = statusLine(reply);
    if (reply->error() != QNetworkReply::NoError) {
        const QString text = result.status >= 400
            ? result.statusText + QStringLiteral(" (") + reply->url().toDisplayString() + QLatin1Char(')')
            : translateMsg(QStringLiteral("Could not download %1: %2"))
                  .arg(url.toDisplayString(), reply->errorString());
        Q_EMIT statusChanged(text);
        throw QuilletError(text);
    }
    return result;
}
