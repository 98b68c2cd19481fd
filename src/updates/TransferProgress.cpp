#include "TransferProgress.h"

#include "HttpClient.h"
#include "MessageTranslator.h"

TransferProgress::TransferProgress(QObject* parent)
    : QObject(parent)
{ }

void TransferProgress::attach(HttpClient& client)
{
    connect(&client, &HttpClient::statusChanged, this, &TransferProgress::showStatus);
    connect(&client, &HttpClient::workBegin, this, &TransferProgress::workBegin);
    connect(&client, &HttpClient::work, this, &TransferProgress::work);
    connect(&client, &HttpClient::workEnd, this, &TransferProgress::workEnd);
}

void TransferProgress::setStatusText(const QString& text)
{
    m_statusText = text;
    Q_EMIT statusTextChanged(text);
}

void TransferProgress::start()
{
    setStatusText(translateMsg(QStringLiteral("Loading")));
    m_maximum = 0;
    m_position = 0;
    m_barVisible = true;
    Q_EMIT barChanged();
    Q_EMIT busyChanged(true);
}

void TransferProgress::showStatus(const QString& text)
{
    setStatusText(text);
}

void TransferProgress::workBegin(qint64 expected)
{
    m_position = 0;
    m_maximum = expected;
    Q_EMIT barChanged();
    if (expected > 0)
        setStatusText(QStringLiteral("Transfering: ") + QString::number(expected));
}

void TransferProgress::work(qint64 done)
{
    if (m_maximum <= 0) {
        setStatusText(QString::number(done) + QStringLiteral(" bytes."));
        return;
    }
    // The bar first, so the text never runs ahead of it.
    m_position = done;
    Q_EMIT barChanged();
    setStatusText(
        QString::number(done) + QStringLiteral(" bytes of ") + QString::number(m_maximum) + QStringLiteral(" bytes."));
}

void TransferProgress::workEnd()
{
    m_position = 0;
    Q_EMIT barChanged();
    setStatusText(QStringLiteral("Done"));
}

void TransferProgress::stop()
{
    m_barVisible = false;
    Q_EMIT barChanged();
    Q_EMIT busyChanged(false);
}
