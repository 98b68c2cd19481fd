#pragma once

#include "EmailSubmission.h"
#include "MailLog.h"
#include "MailSender.h"

#include <QObject>
#include <QPointer>

class MailSendJob;
class Settings;

// The mail window's logic without its widgets: the caption and the boxes'
// texts for the opener's four fields, and the send command ("&Mail") with
// its checks, its messages and its log entry. quillet-cli's send-mail runs the
// same command.
class MailForm : public QObject {
    Q_OBJECT
public:
    explicit MailForm(Settings& config, QObject* parent = nullptr);
    ~MailForm() override;

    // "Mailer - ADDRESS", "Mailer" in the language in force.
    static QString caption(const QString& mailTo);
    // The boxes as Initialize fills them: To, subject, text and CC from the
    // draft, BCC and the attachment empty.
    static MailFields fieldsFor(const MailDraft& draft);

    // The attachment picked in the browse dialog: its full path, or, when it
    // does not exist (or is a folder), an empty text after the message "<full
    // path> does not exist.". LastArcPath is not changed.
    static QString acceptAttachment(const QString& chosen);

    // Starts sending the boxes' texts with the settings in force.
    //  - Host or sender empty: shows "Invalid SMTP server parameters.", sends
    //    and logs nothing, returns false.
    //  - The mail cannot be composed (an address that is none, a file to
    //    attach that cannot be opened, a bad port or security setting): the
    //    send fails at once, as below, and false is returned.
    //  - Otherwise the conversation runs off this thread and true is returned.
    // When the send ends: a failure adds its text as a status line and shows
    // failureMessage() (not after abort()); then the log entry is appended
    // with the time and the outcome, whether the mail went out or not; then
    // finished() is emitted.
    bool send(const MailFields& fields);

    // From the start of a send until finished(): "&Mail" is off meanwhile.
    bool isSending() const;
    // Stops a running send; it ends as a failure, logged, without the message box.
    void abort();
    // Processes events until the running send has ended.
    void waitForFinished();

    // The message box text for a failed send: what went wrong when it is
    // known (STARTTLS refused, no login offered, no answer), otherwise "Could
    // not send mail, you may have an invalid SMTP host".
    static QString failureMessage(MailSender::Failure failure);

    // Time limits of the conversation in seconds (30 to connect, 60 without
    // progress unless changed).
    void setTimeouts(int connectSeconds, int idleSeconds);

Q_SIGNALS:
    // One line for the status box, in order, as the conversation goes on.
    void statusLine(const QString& line);
    void sendingChanged(bool sending);
    void finished(bool sent);

private:
    void conclude(const MailFields& fields, bool sent, MailSender::Failure failure, const QString& error);

    Settings& m_config;
    QPointer<MailSendJob> m_job;
    bool m_busy = false; // from the start of a send until its log entry is written
    int m_connectTimeout = 30;
    int m_idleTimeout = 60;
};
