#pragma once

#include <QObject>
#include <QPointer>

class QSocketNotifier;
class QWidget;

// SIGINT and SIGTERM close the given window the normal way, so the settings
// are saved as on any other exit. The signal handler only writes a byte to a
// socket; the window is closed from the event loop.
//
// Made before start-up, it also covers a signal that arrives while the
// window is still being built: the close waits until setWindow() names it.
class UnixSignalCloser : public QObject {
    Q_OBJECT
public:
    explicit UnixSignalCloser(QObject* parent = nullptr);
    ~UnixSignalCloser() override;

    // The window to close; a signal that came before it is answered now.
    void setWindow(QWidget* window);

private:
    static void handleSignal(int signal);
    void signalArrived();
    void closeWindow();

    QPointer<QWidget> m_window;
    QSocketNotifier* m_notifier = nullptr;
    bool m_windowSet = false;
    bool m_pending = false;
};
