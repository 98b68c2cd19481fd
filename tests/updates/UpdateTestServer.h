#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// The tests' update server (update_server.py, Python's standard library) on
// 127.0.0.1 on a free port, serving the files under root(). Its behaviour
// (logins, cookies, status codes, lengths, slow or dropped replies) is set
// with configure() and may change while it runs; requests() lists what it
// was asked. Stopped when destroyed; a test program may start one server in
// initTestCase and reset it for every test.
class UpdateTestServer {
public:
    UpdateTestServer();
    ~UpdateTestServer();

    UpdateTestServer(const UpdateTestServer&) = delete;
    UpdateTestServer& operator=(const UpdateTestServer&) = delete;

    bool isRunning() const { return m_port > 0; }
    int port() const { return m_port; }
    // "http://127.0.0.1:<port>"
    QString base() const;

    // The folder served; files are written below it.
    QString root() const { return m_root.path(); }
    void writeFile(const QString& path, const QByteArray& bytes) const;

    void configure(const QJsonObject& config) const;

    // Back to a plain file server: no files, no special behaviour, no requests recorded.
    void reset() const;

    // Every request so far, oldest first: path, authorization, cookie,
    // accept, user_agent, status.
    QList<QJsonObject> requests() const;
    QStringList requestedPaths() const;

private:
    QTemporaryDir m_root;
    QTemporaryDir m_state;
    QProcess m_process;
    int m_port = 0;
};

// The bytes of a zip archive holding the given members (name, bytes), built
// with libzip directly.
QByteArray zipArchive(const QList<QPair<QByteArray, QByteArray>>& members);
