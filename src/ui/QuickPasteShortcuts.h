#pragma once

#include <QObject>

#include <functional>

// Ctrl+1 ... Ctrl+9 (main row or keypad) anywhere in the program paste the
// Quick Paste item of that number. The chord is swallowed, pressed and
// released, also when there is no such item, so no window ever receives it.
class QuickPasteShortcuts : public QObject {
    Q_OBJECT
public:
    // trigger(n) pastes item n (1-based); installed on the application.
    explicit QuickPasteShortcuts(std::function<void(int)> trigger, QObject* parent = nullptr);
    ~QuickPasteShortcuts() override;

    // The item number of a Ctrl+digit key event, 0 for any other event.
    static int itemNumber(const QEvent* event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(int)> m_trigger;
};
