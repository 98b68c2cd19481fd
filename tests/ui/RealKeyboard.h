#pragma once

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <functional>
#include <memory>

// Keys as a keyboard sends them: every press and release on its own, to the
// window that has the keyboard focus (none: the key is lost, as it is on a
// desktop), through Qt's shortcut handling. A modifier key's own press does
// not carry its modifier; its release does.
namespace RealKeyboard {

inline bool send(
    bool press, Qt::Key key, Qt::KeyboardModifiers held, const QString& text = QString(), bool repeat = false)
{
    QWindow* window = QGuiApplication::focusWindow();
    if (!window)
        return false;
    QTest::simulateEvent(window, press, key, held, text, repeat);
    return true;
}

inline bool press(Qt::Key key, Qt::KeyboardModifiers held = {}, const QString& text = QString(), bool repeat = false)
{
    return send(true, key, held, text, repeat);
}

inline bool release(Qt::Key key, Qt::KeyboardModifiers held = {}, const QString& text = QString())
{
    return send(false, key, held, text);
}

// Modifiers down (Ctrl, then Alt, then Shift), the key down and up, the
// modifiers up in reverse order.
inline bool chord(Qt::Key key, Qt::KeyboardModifiers modifiers, const QString& text = QString())
{
    Qt::KeyboardModifiers held;
    const std::pair<Qt::KeyboardModifier, Qt::Key> keys[]
        = {{Qt::ControlModifier, Qt::Key_Control}, {Qt::AltModifier, Qt::Key_Alt}, {Qt::ShiftModifier, Qt::Key_Shift}};
    for (const auto& [modifier, modifierKey] : keys) {
        if (modifiers & modifier) {
            if (!press(modifierKey, held))
                return false;
            held |= modifier;
        }
    }
    if (!press(key, held, text) || !release(key, held, text))
        return false;
    for (int i = 2; i >= 0; --i) {
        if (modifiers & keys[i].first) {
            if (!release(keys[i].second, held))
                return false;
            held &= ~Qt::KeyboardModifiers(keys[i].first);
        }
    }
    return true;
}

inline bool tap(Qt::Key key, const QString& text = QString())
{
    return chord(key, {}, text);
}

// Types plain text character by character (letters, digits and the few
// signs of an address).
inline bool type(const QString& text)
{
    for (const QChar c : text) {
        Qt::Key key = Qt::Key_unknown;
        const char latin = c.toLatin1();
        if (latin >= 'a' && latin <= 'z')
            key = Qt::Key(Qt::Key_A + (latin - 'a'));
        else if (latin >= '0' && latin <= '9')
            key = Qt::Key(Qt::Key_0 + (latin - '0'));
        else if (latin == '.')
            key = Qt::Key_Period;
        else if (latin == '/')
            key = Qt::Key_Slash;
        else if (latin == ':')
            key = Qt::Key_Colon;
        if (key == Qt::Key_unknown)
            return false;
        if (!press(key, {}, QString(c)) || !release(key, {}, QString(c)))
            return false;
    }
    return true;
}

// Runs answer once on the next modal dialog that has the keyboard focus
// (within ten seconds); answer usually presses a key in it. Deleting the
// returned timer gives up waiting.
inline QPointer<QTimer> whenModalAppears(std::function<void(QWidget* dialog)> answer)
{
    auto* timer = new QTimer(qApp);
    auto ticks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, ticks, answer] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog && dialog->isVisible() && dialog->windowHandle()
            && QGuiApplication::focusWindow() == dialog->windowHandle()) {
            timer->stop();
            timer->deleteLater();
            answer(dialog);
            return;
        }
        if (++*ticks > 500) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(20);
    return timer;
}

} // namespace RealKeyboard
