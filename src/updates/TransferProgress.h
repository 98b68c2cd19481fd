#pragma once

#include <QObject>
#include <QString>

class HttpClient;

// What the status bar and the progress bar show while the update check
// transfers a file, kept below the window so the texts are the same in the
// window and on the command line:
//   start        "Loading" (translated), the bar shown at 0
//   workBegin    the bar's maximum := the expected length; "Transfering: N" when known
//   work         "N bytes of M bytes." and the bar at N, or "N bytes." when the length is unknown
//   workEnd      "Done", the bar at 0
//   stop         the bar hidden
// Numbers are plain decimal.
class TransferProgress : public QObject {
    Q_OBJECT
public:
    explicit TransferProgress(QObject* parent = nullptr);

    // Follows the client's transfers.
    void attach(HttpClient& client);

    void start();
    void showStatus(const QString& text);
    void workBegin(qint64 expected);
    void work(qint64 done);
    void workEnd();
    void stop();

    const QString& statusText() const { return m_statusText; }
    qint64 maximum() const { return m_maximum; }
    qint64 position() const { return m_position; }
    bool isBarVisible() const { return m_barVisible; }

    // Starts on creation and stops on destruction, whatever ends the transfer.
    class Scope {
    public:
        explicit Scope(TransferProgress& progress)
            : m_progress(progress)
        {
            m_progress.start();
        }
        ~Scope() { m_progress.stop(); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        TransferProgress& m_progress;
    };

Q_SIGNALS:
    void statusTextChanged(const QString& text);
    // The bar's visibility, maximum or position changed.
    void barChanged();
    // A transfer started (true) or ended (false): the hourglass cursor.
    void busyChanged(bool busy);

private:
    void setStatusText(const QString& text);

    QString m_statusText;
    qint64 m_maximum = 0;
    qint64 m_position = 0;
    bool m_barVisible = false;
};
