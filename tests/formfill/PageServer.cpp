#include "PageServer.h"

#include "TestSupport.h"

#include <QStringList>

PageServer::PageServer()
{
    const QString script = testDataPath(QStringLiteral("../formfill/page_server.py"));
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start(QStringLiteral("/usr/bin/python3"), {script, testDataPath(QStringLiteral("formfill"))});
    if (!m_process.waitForStarted(10000)) {
        m_error = QStringLiteral("python3 did not start: ") + m_process.errorString();
        return;
    }
    while (!m_process.canReadLine() && m_process.waitForReadyRead(10000)) { }
    const QStringList words = QString::fromUtf8(m_process.readLine()).trimmed().split(QLatin1Char(' '));
    if (words.size() != 3 || words.first() != QLatin1String("PORTS")) {
        m_error = QStringLiteral("the page server did not say its ports: ")
            + QString::fromUtf8(m_process.readAllStandardError());
        return;
    }
    m_ports[0] = words.at(1).toInt();
    m_ports[1] = words.at(2).toInt();
}

PageServer::~PageServer()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.closeWriteChannel(); // the server stops when its stdin closes
    if (!m_process.waitForFinished(5000)) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QUrl PageServer::url(const QString& path, bool other) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/%2").arg(m_ports[other ? 1 : 0]).arg(path));
}
