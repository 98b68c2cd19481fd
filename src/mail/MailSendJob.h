#pragma once

#include "MailSender.h"

#include <QObject>

#include <memory>

class QThread;

// Runs one MailSender off the user-interface thread, so the windows keep
// repainting and taking input while the conversation lasts. Its status lines
// and its end arrive as signals on the thread that created the job, in the
// order the client reported them. Destroying a running job stops the send
// and waits for its thread.
class MailSendJob : public QObject {
    Q_OBJECT
public:
    // sender has been prepared.
    explicit MailSendJob(std::unique_ptr<MailSender> sender, QObject* parent = nullptr);
    ~MailSendJob() override;

    void start();
    void abort();
    bool isRunning() const { return m_running; }
    const MailSender::Result& result() const { return m_result; }

Q_SIGNALS:
    void statusLine(const QString& line);
    // After the last status line; result() holds the outcome.
    void finished();

private:
    void conclude(const MailSender::Result& result);

    std::unique_ptr<MailSender> m_sender;
    QThread* m_thread = nullptr;
    MailSender::Result m_result;
    bool m_running = false;
};
