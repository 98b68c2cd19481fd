#include "UnixSignalCloser.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_sockets[2] = {-1, -1};
}

UnixSignalCloser::UnixSignalCloser(QObject* parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_sockets) != 0)
        return;
    m_notifier = new QSocketNotifier(g_sockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UnixSignalCloser::signalArrived);
    struct sigaction action { };
    action.sa_handler = &UnixSignalCloser::handleSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

UnixSignalCloser::~UnixSignalCloser()
{
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    if (g_sockets[0] >= 0) {
        ::close(g_sockets[0]);
        ::close(g_sockets[1]);
        g_sockets[0] = g_sockets[1] = -1;
    }
}

void UnixSignalCloser::handleSignal(int)
{
    const char byte = 1;
    if (g_sockets[0] >= 0) [[maybe_unused]]
        const ssize_t written = ::write(g_sockets[0], &byte, 1);
}

void UnixSignalCloser::setWindow(QWidget* window)
{
    m_window = window;
    m_windowSet = true;
    if (m_pending && m_window) {
        m_pending = false;
        // Closed from the event loop, as any other close, once it runs.
        QTimer::singleShot(0, m_window, [this] { closeWindow(); });
    }
}

void UnixSignalCloser::signalArrived()
{
    char byte = 0;
    [[maybe_unused]] const ssize_t got = ::read(g_sockets[1], &byte, 1);
    // Before setWindow() the close waits for the window; after it, a window
    // that is gone already leaves the program to quit.
    if (m_windowSet)
        closeWindow();
    else
        m_pending = true;
}

void UnixSignalCloser::closeWindow()
{
    if (m_window)
        m_window->close();
    else
        QCoreApplication::quit();
}
