#include "AcceleratorKeys.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QWidget>
#include <QWindow>

namespace {

// Alt alone with a letter or a digit: the keys that menu mnemonics use.
bool isAltChord(const QKeyEvent& key)
{
    if ((key.modifiers() & ~Qt::KeypadModifier) != Qt::AltModifier)
        return false;
    const int code = key.key();
    return (code >= Qt::Key_A && code <= Qt::Key_Z) || (code >= Qt::Key_0 && code <= Qt::Key_9);
}

// The window an action belongs to: its first owner that is a window, menus
// passed over (a menu is a window of its own while it is open).
QWidget* ownerWindow(const QAction* action)
{
    for (QObject* owner = action->parent(); owner; owner = owner->parent()) {
        auto* widget = qobject_cast<QWidget*>(owner);
        if (widget && widget->isWindow() && !qobject_cast<QMenu*>(widget))
            return widget;
    }
    return nullptr;
}

} // namespace

AcceleratorKeys::AcceleratorKeys(QWidget* window, QWidget* page)
    : QObject(window)
    , m_window(window)
    , m_page(page)
{
    QCoreApplication::instance()->installEventFilter(this);
}

AcceleratorKeys::~AcceleratorKeys()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

QAction* AcceleratorKeys::actionFor(const QKeyEvent& key) const
{
    if (!m_window || !isAltChord(key))
        return nullptr;
    const QKeySequence wanted(QKeyCombination(Qt::AltModifier, Qt::Key(key.key())));
    const QList<QAction*> actions = m_window->findChildren<QAction*>();
    for (QAction* action : actions) {
        // Actions of the window's own dialogs (children while they are open) are theirs.
        if (action->isEnabled() && action->isVisible() && action->shortcuts().contains(wanted)
            && ownerWindow(action) == m_window)
            return action;
    }
    return nullptr;
}

bool AcceleratorKeys::isInWindow(QObject* receiver) const
{
    if (!m_window || !receiver)
        return false;
    if (receiver == m_window || receiver == m_window->windowHandle())
        return true;
    // Key events go to the focus widget. Only pointers are compared here: the
    // receiver may be an object of the browser engine that is no widget and
    // whose type cannot be asked.
    QWidget* focus = QApplication::focusWidget();
    return focus && receiver == focus && focus->window() == m_window;
}

bool AcceleratorKeys::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    if (!isInWindow(watched) || QApplication::activePopupWidget())
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    QAction* action = actionFor(*key);
    if (!action) {
        // A key press gets this far only when no shortcut or mnemonic took it.
        QWidget* focus = QApplication::focusWidget();
        const bool inPage = m_page && focus && (focus == m_page || m_page->isAncestorOf(focus));
        if (type == QEvent::KeyPress && isAltChord(*key) && !inPage) {
            event->accept();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
    // The override keeps Qt's shortcut map (and its ambiguity) out of the
    // way; the key press that follows runs the action.
    event->accept();
    if (type == QEvent::KeyPress && (!key->isAutoRepeat() || action->autoRepeat()))
        action->trigger();
    return true;
}
