#pragma once

#include <QObject>
#include <QPointer>

class QSocketNotifier;
class QWidget;

// SIGINT and SIGTERM close the given window the normal way, so the settings
// are saved as on any other exit. The signal handler only writes a byte to a
// socket; the window is closed from the event loop.
class UnixSignalCloser : public QObject {
    Q_OBJECT
public:
    explicit UnixSignalCloser(QWidget* window, QObject* parent = nullptr);
    ~UnixSignalCloser() override;

private:
    static void handleSignal(int signal);
    void signalArrived();

    QPointer<QWidget> m_window;
    QSocketNotifier* m_notifier = nullptr;
};
