#include "MailSendJob.h"

#include <QPointer>
#include <QThread>

MailSendJob::MailSendJob(std::unique_ptr<MailSender> sender, QObject* parent)
    : QObject(parent)
    , m_sender(std::move(sender))
{ }

MailSendJob::~MailSendJob()
{
    if (m_thread) {
        m_sender->abort();
        m_thread->wait();
        delete m_thread;
    }
}

void MailSendJob::start()
{
    if (m_running || m_thread)
        return;
    m_running = true;
    MailSender* sender = m_sender.get();
    m_thread = QThread::create([this, sender] {
        // Posted to this object: the lines arrive in order on its thread, and
        // are dropped unseen when the job is destroyed first.
        const MailSender::Result result = sender->send([this](const QString& line) {
            QMetaObject::invokeMethod(
                this, [this, line] { Q_EMIT statusLine(line); }, Qt::QueuedConnection);
        });
        QMetaObject::invokeMethod(
            this, [this, result] { conclude(result); }, Qt::QueuedConnection);
    });
    m_thread->setObjectName(QStringLiteral("MailSend"));
    m_thread->start();
}

void MailSendJob::abort()
{
    if (m_running)
        m_sender->abort();
}

void MailSendJob::conclude(const MailSender::Result& result)
{
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    m_result = result;
    m_running = false;
    Q_EMIT finished();
}
