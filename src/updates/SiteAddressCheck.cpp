#include "SiteAddressCheck.h"

#include "MessageTranslation.h"

#include <QFileInfo>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QSslError>

#include <limits>

namespace {

// Keeps no cookie and offers none.
class NoCookieJar : public QNetworkCookieJar {
public:
    using QNetworkCookieJar::QNetworkCookieJar;
    QList<QNetworkCookie> cookiesForUrl(const QUrl&) const override { return {}; }
    bool setCookiesFromUrl(const QList<QNetworkCookie>&, const QUrl&) override { return false; }
};

bool isWeb(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) && !url.host().isEmpty();
}

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool isPermanent(int status)
{
    return status == 301 || status == 308;
}

// A reply to HEAD that may only mean the server does not take HEAD: the
// page is asked again with GET. Not for "gone" (404, 410), where GET would
// say the same, nor for "too many requests".
bool headRefused(int status)
{
    return status >= 400 && status != 404 && status != 410 && status != 429;
}

// An address for showing and storing: every character outside the printable
// ASCII range percent-encoded, so a server's Location cannot carry control
// characters or escape sequences into a report.
QString safeAddress(const QUrl& url)
{
    return QString::fromLatin1(url.toEncoded(QUrl::FullyEncoded));
}

// A text that came (in part) from the network, without control characters.
QString printable(QString text)
{
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0))
            c = QLatin1Char(' ');
    }
    return text;
}

QString networkFailure(QNetworkReply::NetworkError error, const QString& text)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return translateMessage(QStringLiteral("Connection refused"));
    case QNetworkReply::HostNotFoundError:
        return translateMessage(QStringLiteral("Host not found"));
    case QNetworkReply::RemoteHostClosedError:
        return translateMessage(QStringLiteral("The server closed the connection without an answer"));
    default:
        return text;
    }
}

} // namespace

SiteAddressCheck::SiteAddressCheck(QObject* parent)
    : QObject(parent)
{
    m_manager.setProxy(QNetworkProxy::NoProxy);
    m_manager.setCookieJar(new NoCookieJar(&m_manager));
    m_manager.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    // Nothing asks for credentials: a server's challenge ends as its 401.
    m_wake.setSingleShot(true);
    connect(&m_wake, &QTimer::timeout, this, &SiteAddressCheck::pump);
}

SiteAddressCheck::~SiteAddressCheck()
{
    const QList<QNetworkReply*> replies = m_requests.keys();
    m_requests.clear();
    for (QNetworkReply* reply : replies) {
        reply->disconnect(this);
        reply->abort();
        delete reply;
    }
}

QByteArray SiteAddressCheck::userAgent()
{
    return QByteArrayLiteral("Mozilla/5.0 (X11; Linux x86_64; rv:128.0) Gecko/20100101 Firefox/128.0");
}

QString SiteAddressCheck::hostKey(const QUrl& url)
{
    QString key = url.host().toLower();
    if (url.port() != -1)
        key += QLatin1Char(':') + QString::number(url.port());
    return key;
}

void SiteAddressCheck::start(const QVector<SiteCheckTarget>& targets)
{
    if (m_running)
        return;
    m_jobs.clear();
    m_waiting.clear();
    m_hosts.clear();
    m_done = 0;
    for (const SiteCheckTarget& target : targets) {
        Job job;
        job.target = target;
        job.url = QUrl(target.address.trimmed());
        // An address's own login is never sent.
        job.url.setUserInfo(QString());
        m_waiting.push_back(static_cast<int>(m_jobs.size()));
        m_jobs.append(job);
    }
    m_running = true;
    m_clock.start();
    QTimer::singleShot(0, this, [this] {
        Q_EMIT progressChanged(m_done, total());
        pump();
    });
}

void SiteAddressCheck::stop()
{
    if (!m_running)
        return;
    m_running = false;
    m_wake.stop();
    m_waiting.clear();
    const QList<QNetworkReply*> replies = m_requests.keys();
    for (QNetworkReply* reply : replies)
        reply->abort();
    Q_EMIT finished(true);
}

void SiteAddressCheck::pump()
{
    if (!m_running || m_pumping)
        return;
    m_pumping = true;
    const qint64 now = m_clock.elapsed();
    qint64 wakeAt = std::numeric_limits<qint64>::max();
    for (auto it = m_waiting.begin(); it != m_waiting.end() && m_running;) {
        const int index = *it;
        const Job& job = m_jobs.at(index);
        if (job.url.isLocalFile() || job.url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) == 0) {
            it = m_waiting.erase(it);
            checkFile(index);
            continue;
        }
        if (m_requests.size() >= m_limits.maxRequests) {
            ++it;
            continue;
        }
        const Host& host = m_hosts[hostKey(job.url)];
        if (host.busy) {
            ++it;
            continue;
        }
        if (host.readyAt > now) {
            wakeAt = std::min(wakeAt, host.readyAt);
            ++it;
            continue;
        }
        it = m_waiting.erase(it);
        startRequest(index);
    }
    m_pumping = false;
    if (m_running && wakeAt != std::numeric_limits<qint64>::max() && m_requests.size() < m_limits.maxRequests)
        m_wake.start(static_cast<int>(std::max<qint64>(0, wakeAt - now)));
}

void SiteAddressCheck::checkFile(int index)
{
    const Job& job = m_jobs.at(index);
    const QString path = job.url.toLocalFile();
    if (!path.isEmpty() && QFileInfo::exists(path))
        finish(index, SiteCheckOutcome::ok(0));
    else
        finish(index,
            SiteCheckOutcome {SiteCheckOutcome::Kind::Gone, 0, {}, translateMessage(QStringLiteral("No such file"))});
}

void SiteAddressCheck::startRequest(int index)
{
    Job& job = m_jobs[index];
    QNetworkRequest request(job.url);
    request.setHeader(QNetworkRequest::UserAgentHeader, userAgent());
    request.setRawHeader(QByteArrayLiteral("Accept"),
        QByteArrayLiteral("text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8"));
    request.setRawHeader(QByteArrayLiteral("Accept-Language"), QByteArrayLiteral("en;q=0.8"));
    // No connection is kept open after its answer: a check of a thousand
    // hosts would otherwise hold a thousand idle sockets.
    request.setRawHeader(QByteArrayLiteral("Connection"), QByteArrayLiteral("close"));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::AuthenticationReuseAttribute, QNetworkRequest::Manual);
    if (!m_extraCa.isEmpty() && job.url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0) {
        QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
        ssl.addCaCertificates(m_extraCa);
        request.setSslConfiguration(ssl);
    }

    QNetworkReply* reply = job.head ? m_manager.head(request) : m_manager.get(request);
    m_requests.insert(reply, Request {index, false, QString()});
    m_hosts[hostKey(job.url)].busy = true;

    connect(reply, &QNetworkReply::sslErrors, this, [this, reply](const QList<QSslError>& errors) {
        auto it = m_requests.find(reply);
        if (it != m_requests.end() && !errors.isEmpty())
            it->certificateProblem = errors.first().errorString();
    });
    // The status is all a check needs: a body is not waited for.
    // (Ended from the event loop: the reply is still busy with its headers here.)
    connect(reply, &QNetworkReply::metaDataChanged, this, [reply] {
        if (reply->operation() == QNetworkAccessManager::GetOperation
            && reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid())
            QMetaObject::invokeMethod(reply, &QNetworkReply::abort, Qt::QueuedConnection);
    });
    connect(reply, &QNetworkReply::readyRead, this, [reply] { reply->readAll(); });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { requestFinished(reply); });
    QTimer::singleShot(m_limits.requestTimeoutMs, reply, [this, reply] {
        auto it = m_requests.find(reply);
        if (it == m_requests.end())
            return;
        it->timedOut = true;
        reply->abort();
    });
}

void SiteAddressCheck::requestFinished(QNetworkReply* reply)
{
    const auto found = m_requests.find(reply);
    if (found == m_requests.end())
        return;
    const Request request = *found;
    m_requests.erase(found);
    reply->deleteLater();
    Job& job = m_jobs[request.job];
    Host& host = m_hosts[hostKey(job.url)];
    host.busy = false;
    host.readyAt = m_clock.elapsed() + m_limits.hostPauseMs;
    if (!m_running)
        return;

    const QVariant statusAttribute = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int status = statusAttribute.isValid() ? statusAttribute.toInt() : 0;
    const QNetworkReply::NetworkError error = reply->error();

    if (status == 0) {
        if (!request.certificateProblem.isEmpty() || error == QNetworkReply::SslHandshakeFailedError)
            finish(request.job,
                SiteCheckOutcome::certificateProblem(
                    request.certificateProblem.isEmpty() ? reply->errorString() : request.certificateProblem));
        else if (request.timedOut)
            finish(request.job,
                SiteCheckOutcome::noAnswer(translateMessage(QStringLiteral("No answer within %1 seconds"))
                                               .arg(QString::number(m_limits.requestTimeoutMs / 1000.0, 'g', 3))));
        else
            finish(request.job, SiteCheckOutcome::noAnswer(networkFailure(error, reply->errorString())));
    } else if (isRedirect(status) && reply->hasRawHeader(QByteArrayLiteral("Location"))) {
        QUrl target = job.url.resolved(QUrl::fromEncoded(reply->rawHeader(QByteArrayLiteral("Location"))));
        target.setUserInfo(QString());
        if (!target.isValid() || !isWeb(target)) {
            finish(request.job,
                SiteCheckOutcome::error(status,
                    translateMessage(QStringLiteral("Redirect to %1, which is no web address"))
                        .arg(safeAddress(target))));
        } else if (job.url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0
            && target.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) == 0) {
            finish(request.job,
                SiteCheckOutcome::error(status,
                    translateMessage(QStringLiteral("Redirect from https to http refused: %1"))
                        .arg(safeAddress(target))));
        } else if (job.redirects >= m_limits.maxRedirects) {
            finish(request.job,
                SiteCheckOutcome::error(
                    status, translateMessage(QStringLiteral("More than %1 redirects")).arg(m_limits.maxRedirects)));
        } else {
            if (job.permanentRun && isPermanent(status))
                job.movedTo = target;
            else
                job.permanentRun = false;
            ++job.redirects;
            job.url = target;
            m_waiting.push_front(request.job);
        }
    } else if (job.head && headRefused(status)) {
        job.head = false;
        m_waiting.push_front(request.job);
    } else if (status >= 200 && status < 300) {
        if (job.movedTo.isValid()
            && job.movedTo.adjusted(QUrl::NormalizePathSegments)
                != QUrl(job.target.address.trimmed()).adjusted(QUrl::RemoveUserInfo | QUrl::NormalizePathSegments))
            finish(request.job, SiteCheckOutcome::moved(safeAddress(job.movedTo), status));
        else
            finish(request.job, SiteCheckOutcome::ok(status));
    } else if (status == 404 || status == 410) {
        finish(request.job, SiteCheckOutcome::gone(status));
    } else {
        finish(request.job, SiteCheckOutcome::error(status));
    }
    pump();
}

void SiteAddressCheck::finish(int index, const SiteCheckOutcome& outcome)
{
    const Job& job = m_jobs.at(index);
    SiteCheckResult result;
    result.siteName = job.target.siteName;
    result.address = job.target.address.trimmed();
    result.field = job.target.field;
    result.outcome = outcome;
    result.outcome.detail = printable(outcome.detail);
    result.checkedAt = QDateTime::currentDateTimeUtc();
    ++m_done;
    Q_EMIT siteChecked(result);
    Q_EMIT progressChanged(m_done, total());
    if (m_running && m_done == total()) {
        m_running = false;
        m_wake.stop();
        Q_EMIT finished(false);
    }
}
