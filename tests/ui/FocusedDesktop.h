#pragma once

#include "DesktopStartup.h"
#include "MainWindow.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <memory>

// The desktop program for tests that type as a user does: started on a
// program directory, its main window shown and holding the keyboard focus.
namespace FocusedDesktop {

// Starts the program on folder into startup and waits until its main window
// has the focus; false when it never gets it (startup is kept, to be shut down).
inline bool start(std::unique_ptr<DesktopStartup>& startup, const QString& folder)
{
    startup = std::make_unique<DesktopStartup>(folder);
    startup->start();
    startup->show();
    MainWindow* window = startup->mainWindow();
    if (!QTest::qWaitForWindowExposed(window))
        return false;
    window->activateWindow();
    return QTest::qWaitFor([window] { return QGuiApplication::focusWindow() == window->windowHandle(); });
}

// How long a test waits for an outcome: a page load or a form command can
// take long on a busy two-core machine under the sanitizers.
inline constexpr int OutcomeTimeoutMs = 120000;

// Waits until spy has recorded more than before signals; counting, rather
// than QSignalSpy::wait, also sees a signal that came while the keys were
// still being delivered.
inline bool waitForMore(const QSignalSpy& spy, qsizetype before, int timeoutMs = OutcomeTimeoutMs)
{
    return QTest::qWaitFor([&spy, before] { return spy.count() > before; }, timeoutMs);
}

// Shuts a started program down, as at its exit, and destroys it.
inline void stop(std::unique_ptr<DesktopStartup>& startup)
{
    if (startup)
        startup->shutdown();
    startup.reset();
}

} // namespace FocusedDesktop
