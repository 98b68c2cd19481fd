#pragma once

#include "AttachmentFile.h"
#include "OutgoingMail.h"
#include "SmtpSettings.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>

// Sends one mail over SMTP with libcurl: the host and port of the settings,
// plain, STARTTLS or TLS, the LOGIN mechanism only when authentication is on
// (even when the server offers others), the sender, the To, CC and BCC
// recipients, and a MIME message of the body as UTF-8 quoted-printable text
// and the attachment as Base64.
//
// With authentication on, a server that offers no AUTH never gets the mail:
// the conversation stops before the message is sent. A server that says
// nothing for the idle time ends the conversation at once, without waiting
// again for an answer to QUIT.
//
// prepare() runs on the user-interface thread (it checks the settings and
// opens the attachment); send() may then run on any one thread, and abort()
// may be called from any thread while it runs.
class MailSender {
public:
    using StatusHandler = std::function<void(const QString& line)>;

    // What kind of failure ended a send, for the message the user gets.
    enum class Failure {
        None,
        Other,           // any failure of the conversation (host, refusal, attachment)
        StartTlsRefused, // the server does not offer STARTTLS, or refused it
        NoLoginOffered,  // authentication is on, but the server offers no AUTH
        TimedOut,        // the server said nothing for the time allowed
        Aborted,         // abort() ended the conversation
    };

    struct Result {
        bool sent = false;
        bool aborted = false; // abort() ended the conversation
        Failure failure = Failure::None;
        QString error; // the failure's own text, control characters replaced; empty when sent
    };

    MailSender(SmtpSettings settings, OutgoingMail mail);
    ~MailSender();
    MailSender(const MailSender&) = delete;
    MailSender& operator=(const MailSender&) = delete;

    // Checks port, security and the certificate file, and opens the
    // attachment. Raises QuilletError with the text to report.
    void prepare();

    // Connects, sends the mail and disconnects, whether the sending succeeded
    // or not. Every status line of the conversation (see SmtpTranscript)
    // reaches handler on the calling thread, in order, as it comes.
    Result send(const StatusHandler& handler);

    // Ends a running send at the next chance; the send then fails.
    void abort() { m_abort = true; }

    const OutgoingMail& mail() const { return m_mail; }

    // The server's address: "smtp://HOST:PORT/EHLONAME", or "smtps://" for TLS.
    static QString serverUrl(const SmtpSettings& settings, const QString& ehloName);

private:
    SmtpSettings m_settings;
    OutgoingMail m_mail;
    AttachmentFile m_attachment;
    std::atomic<bool> m_abort {false};
    bool m_prepared = false;
    QString m_stoppedText;
    QString m_attachmentFailedText;
    QString m_noLoginText;
    QString m_timedOutText;
};
