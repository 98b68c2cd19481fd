#include "UpdateTestServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <QTemporaryDir>

#include <zip.h>

UpdateTestServer::UpdateTestServer()
{
    configure(QJsonObject());
    m_process.setProgram(QStringLiteral("/usr/bin/python3"));
    m_process.setArguments({QStringLiteral(QUILLET_UPDATE_SERVER_SCRIPT), m_root.path(),
        m_state.filePath(QStringLiteral("config.json")), m_state.filePath(QStringLiteral("requests.log"))});
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start();
    if (!m_process.waitForStarted(10000))
        return;
    QByteArray output;
    while (!output.contains('\n') && m_process.waitForReadyRead(10000))
        output += m_process.readAllStandardOutput();
    if (output.startsWith("PORT "))
        m_port = output.mid(5).trimmed().toInt();
}

UpdateTestServer::~UpdateTestServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString UpdateTestServer::base() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

void UpdateTestServer::writeFile(const QString& path, const QByteArray& bytes) const
{
    const QString full = m_root.filePath(path);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile file(full);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(full));
}

void UpdateTestServer::configure(const QJsonObject& config) const
{
    QSaveFile file(m_state.filePath(QStringLiteral("config.json")));
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(config).toJson()) < 0 || !file.commit())
        qFatal("cannot write the server's configuration");
}

void UpdateTestServer::reset() const
{
    configure(QJsonObject());
    QFile::remove(m_state.filePath(QStringLiteral("requests.log")));
    const QFileInfoList entries = QDir(m_root.path()).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (entry.isDir())
            QDir(entry.absoluteFilePath()).removeRecursively();
        else
            QFile::remove(entry.absoluteFilePath());
    }
}

QList<QJsonObject> UpdateTestServer::requests() const
{
    QList<QJsonObject> result;
    QFile file(m_state.filePath(QStringLiteral("requests.log")));
    if (!file.open(QIODevice::ReadOnly))
        return result;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& line : lines) {
        if (!line.trimmed().isEmpty())
            result.append(QJsonDocument::fromJson(line).object());
    }
    return result;
}

QStringList UpdateTestServer::requestedPaths() const
{
    QStringList paths;
    const QList<QJsonObject> all = requests();
    for (const QJsonObject& request : all)
        paths.append(request.value(QStringLiteral("path")).toString());
    return paths;
}

QByteArray zipArchive(const QList<QPair<QByteArray, QByteArray>>& members)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("archive.zip"));
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        qFatal("cannot create a zip archive");
    for (const auto& member : members) {
        zip_source_t* source
            = zip_source_buffer(archive, member.second.constData(), zip_uint64_t(member.second.size()), 0);
        if (!source || zip_file_add(archive, member.first.constData(), source, ZIP_FL_OVERWRITE) < 0)
            qFatal("cannot add %s to a zip archive", member.first.constData());
    }
    if (zip_close(archive) != 0)
        qFatal("cannot write a zip archive");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read a zip archive back");
    return file.readAll();
}
