#pragma once

#include <QProcess>
#include <QString>
#include <QUrl>

// Two HTTP servers of Python's standard library on 127.0.0.1, each on a free
// port, serving the folder tests/data/formfill: pages of one origin and of
// another. In a page, @OTHER@ stands for the other server's origin. Stopped
// when the object goes.
class PageServer {
public:
    PageServer();
    ~PageServer();

    bool isRunning() const { return m_ports[0] > 0 && m_ports[1] > 0; }
    QString error() const { return m_error; }

    // path on the first server, or (other) on the second.
    QUrl url(const QString& path, bool other = false) const;

private:
    QProcess m_process;
    int m_ports[2] = {0, 0};
    QString m_error;
};
