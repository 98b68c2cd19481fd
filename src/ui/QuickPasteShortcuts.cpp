#include "QuickPasteShortcuts.h"

#include <QCoreApplication>
#include <QKeyEvent>

QuickPasteShortcuts::QuickPasteShortcuts(std::function<void(int)> trigger, QObject* parent)
    : QObject(parent)
    , m_trigger(std::move(trigger))
{
    QCoreApplication::instance()->installEventFilter(this);
}

QuickPasteShortcuts::~QuickPasteShortcuts()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

int QuickPasteShortcuts::itemNumber(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease
        && event->type() != QEvent::ShortcutOverride)
        return 0;
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (!(key->modifiers() & Qt::ControlModifier))
        return 0;
    if (key->key() < Qt::Key_1 || key->key() > Qt::Key_9)
        return 0;
    return key->key() - Qt::Key_0;
}

bool QuickPasteShortcuts::eventFilter(QObject* watched, QEvent* event)
{
    // The release of a digit that was taken as a chord belongs to the chord,
    // also when Ctrl came up first.
    if (event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (m_heldDigits.contains(key->key())) {
            if (!key->isAutoRepeat())
                m_heldDigits.remove(key->key());
            return true;
        }
    }
    const int n = itemNumber(event);
    if (n == 0)
        return QObject::eventFilter(watched, event);
    // The chord is swallowed where the filter first sees it, so each key
    // event passes here once; the press pastes.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        m_heldDigits.insert(key->key());
        if (!key->isAutoRepeat())
            m_trigger(n);
    }
    event->accept();
    return true;
}
