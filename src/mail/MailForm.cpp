#include "MailForm.h"

#include "MailSendJob.h"
#include "MessageSink.h"
#include "MessageTranslator.h"
#include "QuilletError.h"
#include "Settings.h"
#include "SmtpSettings.h"

#include <QEventLoop>
#include <QFileInfo>

MailForm::MailForm(Settings& config, QObject* parent)
    : QObject(parent)
    , m_config(config)
{ }

MailForm::~MailForm()
{
    // A job still running is stopped and its thread joined by its own destructor.
    delete m_job;
}

QString MailForm::caption(const QString& mailTo)
{
    return translateMsg(QStringLiteral("Mailer")) + QStringLiteral(" - ") + mailTo;
}

MailFields MailForm::fieldsFor(const MailDraft& draft)
{
    MailFields fields;
    fields.to = draft.to;
    fields.subject = draft.subject;
    fields.body = draft.body;
    fields.cc = draft.cc;
    return fields;
}

QString MailForm::acceptAttachment(const QString& chosen)
{
    const QFileInfo info(chosen);
    const QString path = info.absoluteFilePath();
    if (!info.exists() || info.isDir()) {
        MessageSink::current().showMessage(path + QLatin1Char(' ') + translateMsg(QStringLiteral("does not exist.")));
        return QString();
    }
    return path;
}

bool MailForm::isSending() const
{
    return m_busy;
}

void MailForm::abort()
{
    if (m_job)
        m_job->abort();
}

void MailForm::setTimeouts(int connectSeconds, int idleSeconds)
{
    m_connectTimeout = connectSeconds;
    m_idleTimeout = idleSeconds;
}

void MailForm::waitForFinished()
{
    if (!isSending())
        return;
    QEventLoop loop;
    connect(this, &MailForm::finished, &loop, &QEventLoop::quit);
    loop.exec();
}

bool MailForm::send(const MailFields& fields)
{
    if (isSending())
        return false;
    SmtpSettings smtp = SmtpSettings::fromConfig(m_config);
    if (!smtp.isValid()) {
        MessageSink::current().showMessage(translateMsg(QStringLiteral("Invalid SMTP server parameters.")));
        return false;
    }
    m_busy = true;
    smtp.connectTimeoutSeconds = m_connectTimeout;
    smtp.idleTimeoutSeconds = m_idleTimeout;

    std::unique_ptr<MailSender> sender;
    try {
        OutgoingMail mail;
        mail.from = AddressList::parseSingle(smtp.from);
        mail.to = AddressList::parse(fields.to);
        mail.cc = AddressList::parse(fields.cc);
        mail.bcc = AddressList::parse(fields.bcc);
        mail.subject = fields.subject;
        mail.body = fields.body;
        mail.attachmentPath = fields.attachment;
        sender = std::make_unique<MailSender>(smtp, mail);
        sender->prepare();
    } catch (const QuilletError& error) {
        Q_EMIT sendingChanged(true);
        conclude(fields, false, MailSender::Failure::Other, error.text());
        return false;
    }

    delete m_job;
    auto* job = new MailSendJob(std::move(sender), this);
    m_job = job;
    connect(job, &MailSendJob::statusLine, this, &MailForm::statusLine);
    connect(job, &MailSendJob::finished, this, [this, job, fields] {
        const MailSender::Result result = job->result();
        conclude(fields, result.sent, result.failure, result.error);
    });
    Q_EMIT sendingChanged(true);
    job->start();
    return true;
}

QString MailForm::failureMessage(MailSender::Failure failure)
{
    switch (failure) {
    case MailSender::Failure::StartTlsRefused:
        return translateMsg(QStringLiteral("The SMTP server refused STARTTLS, so the connection could not be "
                                           "secured: the mail was not sent."));
    case MailSender::Failure::NoLoginOffered:
        return translateMsg(QStringLiteral("The SMTP server offers no login, but authentication is on: the mail "
                                           "was not sent without it."));
    case MailSender::Failure::TimedOut:
        return translateMsg(QStringLiteral("The SMTP server stopped answering: the mail may not have been sent."));
    default:
        break;
    }
    return translateMsg(QStringLiteral("Could not send mail, you may have an invalid SMTP host"));
}

void MailForm::conclude(const MailFields& fields, bool sent, MailSender::Failure failure, const QString& error)
{
    if (!sent) {
        Q_EMIT statusLine(error);
        if (failure != MailSender::Failure::Aborted)
            MessageSink::current().showMessage(failureMessage(failure));
    }
    MailOutcome outcome;
    outcome.sent = sent;
    outcome.reason = error;
    outcome.when = QDateTime::currentDateTimeUtc();
    MailLog::append(m_config.programDirectory(), fields, outcome);
    m_busy = false;
    Q_EMIT sendingChanged(false);
    Q_EMIT finished(sent);
}
