#include "MailSender.h"

#include "MailHeaders.h"
#include "MessageTranslator.h"
#include "PrintableText.h"
#include "QuilletError.h"
#include "SmtpTranscript.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSysInfo>
#include <QUrl>

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <mutex>

namespace {

void initialiseCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The name the client gives in EHLO: this machine's name when it is a plain
// host name, otherwise "localhost".
QString ehloName()
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9]([A-Za-z0-9.-]{0,250}[A-Za-z0-9])?$"));
    const QString name = QSysInfo::machineHostName();
    return plain.match(name).hasMatch() ? name : QStringLiteral("localhost");
}

// Body text with CR LF after every line, whatever line ends it was typed with.
QByteArray crlfText(const QString& text)
{
    QString normal = text;
    normal.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    normal.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return normal.toUtf8();
}

// The Content-Disposition of the attachment: a plain name quoted, any other
// name (non-ASCII, quotes, control characters) encoded as in RFC 2231.
QByteArray attachmentDisposition(const QString& fileName)
{
    bool plain = !fileName.isEmpty();
    for (const QChar c : fileName) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E || c == QLatin1Char('"') || c == QLatin1Char('\\'))
            plain = false;
    }
    if (plain)
        return "Content-Disposition: attachment; filename=\"" + fileName.toLatin1() + '"';
    return "Content-Disposition: attachment; filename*=UTF-8''" + fileName.toUtf8().toPercentEncoding();
}

struct CurlLists {
    curl_slist* recipients = nullptr;
    curl_slist* headers = nullptr;
    ~CurlLists()
    {
        curl_slist_free_all(recipients);
        curl_slist_free_all(headers);
    }
};

struct Conversation {
    SmtpTranscript transcript;
    const MailSender::StatusHandler* handler = nullptr;
    const std::atomic<bool>* abort = nullptr;
    const AttachmentFile* attachment = nullptr;
    qint64 attachmentOffset = 0;
    bool attachmentFailed = false;
    const QByteArray* body = nullptr;
    qint64 bodyOffset = 0;

    bool loginRequired = false;
    bool loginSent = false;
    bool noLoginOffered = false; // the sender was about to be named without a login
    bool startTlsRefused = false;
    bool timedOut = false;
    qint64 idleLimitMs = 60000;
    QElapsedTimer sinceActivity;

    void report(SmtpTranscript::Direction direction, const QByteArray& text)
    {
        sinceActivity.start();
        if (direction == SmtpTranscript::Direction::Sent) {
            if (text.startsWith("AUTH ") || text.startsWith("auth "))
                loginSent = true;
            // The envelope starts: with a login required, it must have been given.
            if (loginRequired && !loginSent && text.toUpper().startsWith("MAIL FROM"))
                noLoginOffered = true;
        }
        if (direction == SmtpTranscript::Direction::Info && text.contains("STARTTLS denied"))
            startTlsRefused = true;
        for (const QString& line : transcript.lines(direction, text))
            (*handler)(line);
    }

    // True when the conversation must end now.
    bool mustStop()
    {
        if (abort->load() || noLoginOffered)
            return true;
        if (sinceActivity.isValid() && sinceActivity.elapsed() > idleLimitMs)
            timedOut = true;
        return timedOut;
    }
};

int debugCallback(CURL*, curl_infotype type, char* data, size_t size, void* userData)
{
    auto* conversation = static_cast<Conversation*>(userData);
    const QByteArray text(data, static_cast<qsizetype>(size));
    switch (type) {
    case CURLINFO_TEXT:
        conversation->report(SmtpTranscript::Direction::Info, text);
        break;
    case CURLINFO_HEADER_IN:
        conversation->report(SmtpTranscript::Direction::Received, text);
        break;
    case CURLINFO_HEADER_OUT:
        conversation->report(SmtpTranscript::Direction::Sent, text);
        break;
    default: // the message itself and TLS records are no status, but show the server is there
        conversation->sinceActivity.start();
        break;
    }
    return 0;
}

int progressCallback(void* userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<Conversation*>(userData)->mustStop() ? 1 : 0;
}

// The message text, read only once the conversation has got as far as
// sending it; a send that must stop sends none of it.
size_t readBody(char* buffer, size_t size, size_t items, void* userData)
{
    auto* conversation = static_cast<Conversation*>(userData);
    if (conversation->mustStop())
        return CURL_READFUNC_ABORT;
    const qint64 left = conversation->body->size() - conversation->bodyOffset;
    const qint64 count = std::min<qint64>(left, static_cast<qint64>(size * items));
    std::memcpy(buffer, conversation->body->constData() + conversation->bodyOffset, static_cast<size_t>(count));
    conversation->bodyOffset += count;
    return static_cast<size_t>(count);
}

int seekBody(void* userData, curl_off_t offset, int origin)
{
    auto* conversation = static_cast<Conversation*>(userData);
    if (origin != SEEK_SET || offset < 0 || offset > conversation->body->size())
        return CURL_SEEKFUNC_CANTSEEK;
    conversation->bodyOffset = static_cast<qint64>(offset);
    return CURL_SEEKFUNC_OK;
}

size_t readAttachment(char* buffer, size_t size, size_t items, void* userData)
{
    auto* conversation = static_cast<Conversation*>(userData);
    if (conversation->mustStop())
        return CURL_READFUNC_ABORT;
    const qint64 read
        = conversation->attachment->read(conversation->attachmentOffset, buffer, static_cast<qint64>(size * items));
    if (read < 0) {
        conversation->attachmentFailed = true;
        return CURL_READFUNC_ABORT;
    }
    conversation->attachmentOffset += read;
    return static_cast<size_t>(read);
}

int seekAttachment(void* userData, curl_off_t offset, int origin)
{
    auto* conversation = static_cast<Conversation*>(userData);
    if (origin != SEEK_SET)
        return CURL_SEEKFUNC_CANTSEEK;
    conversation->attachmentOffset = static_cast<qint64>(offset);
    return CURL_SEEKFUNC_OK;
}

} // namespace

MailSender::MailSender(SmtpSettings settings, OutgoingMail mail)
    : m_settings(std::move(settings))
    , m_mail(std::move(mail))
{ }

MailSender::~MailSender() = default;

QString MailSender::serverUrl(const SmtpSettings& settings, const QString& ehloName)
{
    QUrl url;
    url.setScheme(settings.security == SmtpSettings::Security::Tls ? QStringLiteral("smtps") : QStringLiteral("smtp"));
    url.setHost(settings.host.trimmed());
    url.setPort(settings.port);
    url.setPath(QLatin1Char('/') + ehloName);
    if (!url.isValid() || url.host().isEmpty())
        return QString();
    return url.toString(QUrl::FullyEncoded);
}

void MailSender::prepare()
{
    initialiseCurl();
    m_settings.check();
    if (serverUrl(m_settings, ehloName()).isEmpty())
        throw QuilletError(
            translateMsg(QStringLiteral("The SMTP host \"%1\" is not a host name.")).arg(m_settings.host.trimmed()));
    if (!m_settings.caFile.isEmpty() && !QFileInfo(m_settings.caFile).isFile())
        throw QuilletError(translateMsg(QStringLiteral("Cannot open file %1")).arg(m_settings.caFile));
    if (!m_mail.attachmentPath.isEmpty()) {
        const QString error = m_attachment.open(m_mail.attachmentPath);
        if (!error.isEmpty())
            throw QuilletError(error);
    }
    if (m_mail.recipients().isEmpty())
        throw QuilletError(translateMsg(QStringLiteral("The mail has no recipient.")));
    if (m_mail.messageId.isEmpty())
        m_mail.messageId = MailHeaders::newMessageId(m_mail.from.address);
    if (!m_mail.date.isValid())
        m_mail.date = QDateTime::currentDateTime();
    // The sending thread reports in the language in force without reading language files.
    m_stoppedText = translateMsg(QStringLiteral("The sending was stopped."));
    m_attachmentFailedText = translateMsg(QStringLiteral("The file %1 could not be read.")).arg(m_mail.attachmentPath);
    m_noLoginText = translateMsg(QStringLiteral("The SMTP server offers no login, but authentication is on: the "
                                                "mail was not sent without it."));
    m_timedOutText
        = translateMsg(QStringLiteral("The SMTP server did not answer within the time allowed (%1 seconds)."))
              .arg(m_settings.idleTimeoutSeconds);
    m_prepared = true;
}

MailSender::Result MailSender::send(const StatusHandler& handler)
{
    Result result;
    if (!m_prepared) {
        result.error = QStringLiteral("The mail was not prepared.");
        return result;
    }
    CURL* curl = curl_easy_init();
    if (!curl) {
        result.error = QStringLiteral("The SMTP client could not be created.");
        return result;
    }
    Conversation conversation;
    conversation.handler = &handler;
    conversation.abort = &m_abort;
    conversation.attachment = &m_attachment;
    conversation.loginRequired = m_settings.authentication;
    conversation.idleLimitMs = qint64(m_settings.idleTimeoutSeconds) * 1000;
    conversation.sinceActivity.start();

    const QByteArray url = serverUrl(m_settings, ehloName()).toUtf8();
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    // Mail goes straight to the server: proxies of the environment are for the web.
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    // One mail, one connection: QUIT follows the mail whether it went out or not.
    curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(m_settings.connectTimeoutSeconds));
    // The idle limit is kept by the progress callback, which also ends the
    // wait for an answer to QUIT after a time-out; the client's own limits
    // stand behind it.
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, static_cast<long>(m_settings.idleTimeoutSeconds + 5));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(m_settings.idleTimeoutSeconds + 5));
    curl_easy_setopt(curl, CURLOPT_USE_SSL,
        m_settings.security == SmtpSettings::Security::None ? static_cast<long>(CURLUSESSL_NONE)
                                                            : static_cast<long>(CURLUSESSL_ALL));
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    // The extra file is trusted beside the system's certificate folder, which stays in force.
    const QByteArray caFile = QFile::encodeName(m_settings.caFile);
    if (!caFile.isEmpty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.constData());

    const QByteArray user = m_settings.loginId.toUtf8();
    const QByteArray password = m_settings.password.toUtf8();
    if (m_settings.authentication) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
        curl_easy_setopt(curl, CURLOPT_LOGIN_OPTIONS, "AUTH=LOGIN");
    }

    CurlLists lists;
    const QByteArray mailFrom = '<' + m_mail.from.address.toLatin1() + '>';
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, mailFrom.constData());
    for (const MailAddress& recipient : m_mail.recipients())
        lists.recipients = curl_slist_append(lists.recipients, ('<' + recipient.address.toLatin1() + '>').constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, lists.recipients);
    for (const QByteArray& header : MailHeaders::compose(m_mail))
        lists.headers = curl_slist_append(lists.headers, header.constData());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, lists.headers);

    curl_mime* mime = curl_mime_init(curl);
    const QByteArray body = crlfText(m_mail.body);
    conversation.body = &body;
    curl_mimepart* text = curl_mime_addpart(mime);
    curl_mime_data_cb(text, static_cast<curl_off_t>(body.size()), readBody, seekBody, nullptr, &conversation);
    curl_mime_type(text, "text/plain; charset=UTF-8");
    curl_mime_encoder(text, "quoted-printable");
    if (m_attachment.isOpen()) {
        curl_mimepart* file = curl_mime_addpart(mime);
        curl_mime_data_cb(
            file, static_cast<curl_off_t>(m_attachment.size()), readAttachment, seekAttachment, nullptr, &conversation);
        curl_mime_type(file, "application/octet-stream");
        curl_mime_encoder(file, "base64");
        curl_slist* partHeaders
            = curl_slist_append(nullptr, attachmentDisposition(m_attachment.fileName()).constData());
        curl_mime_headers(file, partHeaders, 1);
    }
    curl_easy_setopt(curl, CURLOPT_MIMEPOST, mime);

    char errorText[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, debugCallback);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &conversation);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, progressCallback);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &conversation);

    const CURLcode code = curl_easy_perform(curl);
    result.sent = code == CURLE_OK && !conversation.noLoginOffered;
    if (!result.sent) {
        result.aborted = m_abort.load();
        result.failure = MailSender::Failure::Other;
        if (result.aborted) {
            result.failure = MailSender::Failure::Aborted;
            result.error = m_stoppedText;
        } else if (conversation.noLoginOffered) {
            result.failure = MailSender::Failure::NoLoginOffered;
            result.error = m_noLoginText;
        } else if (conversation.timedOut || code == CURLE_OPERATION_TIMEDOUT) {
            result.failure = MailSender::Failure::TimedOut;
            result.error = m_timedOutText;
        } else if (conversation.attachmentFailed) {
            result.error = m_attachmentFailedText;
        } else {
            if (code == CURLE_USE_SSL_FAILED || conversation.startTlsRefused)
                result.failure = MailSender::Failure::StartTlsRefused;
            // The client's text may quote the server's reply.
            result.error = printableText(errorText[0] != '\0' ? QString::fromUtf8(errorText).trimmed()
                                                              : QString::fromUtf8(curl_easy_strerror(code)));
        }
    }
    curl_easy_cleanup(curl);
    curl_mime_free(mime);
    return result;
}
