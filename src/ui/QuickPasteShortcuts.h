#pragma once

#include <QObject>
#include <QSet>

#include <functional>

// Ctrl+1 ... Ctrl+9 (main row or keypad) anywhere in the program paste the
// Quick Paste item of that number as the digit goes down, once however long
// it is held. The chord is swallowed, pressed and released (whether Ctrl is
// still down when the digit comes up or not), also when there is no such
// item, so no window ever receives it.
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
    QSet<int> m_heldDigits; // digit keys whose press was taken as a chord and which are not released yet
};
