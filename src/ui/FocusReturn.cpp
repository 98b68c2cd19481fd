#include "FocusReturn.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

FocusReturn::FocusReturn(QWidget* window)
    : QObject(window)
    , m_window(window)
{
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { focusChanged(now); });
    QCoreApplication::instance()->installEventFilter(this);
}

FocusReturn::~FocusReturn()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

void FocusReturn::focusChanged(QWidget* now)
{
    if (now && m_window && now->window() == m_window)
        m_lastFocus = now;
}

bool FocusReturn::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Hide || event->spontaneous() || !watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    const auto* widget = static_cast<QWidget*>(watched);
    if (!widget->isWindow() || widget == m_window)
        return QObject::eventFilter(watched, event);
    const Qt::WindowType type = widget->windowType();
    if (type == Qt::ToolTip || type == Qt::SplashScreen || type == Qt::Desktop)
        return QObject::eventFilter(watched, event);
    // After the closing window's own clean-up, once the event has run its course.
    if (!m_pending) {
        m_pending = true;
        QTimer::singleShot(0, this, &FocusReturn::takeFocusBack);
    }
    return QObject::eventFilter(watched, event);
}

void FocusReturn::takeFocusBack()
{
    m_pending = false;
    if (!m_window || !m_window->isVisible() || m_window->isMinimized())
        return;
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget())
        return;
    // The focus is lost when it stayed with a window that is gone.
    const QWindow* focusWindow = QGuiApplication::focusWindow();
    const bool lost = !focusWindow || !focusWindow->isVisible();
    QWidget* active = QApplication::activeWindow();
    if (!lost && active && active != m_window && active->isVisible())
        return;
    if (lost || active != m_window)
        m_window->activateWindow();
    QWidget* target = m_lastFocus;
    if (target && target->window() == m_window && target->isVisible() && target->isEnabled()
        && QApplication::focusWidget() != target)
        target->setFocus(Qt::ActiveWindowFocusReason);
}
