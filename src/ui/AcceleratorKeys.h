#pragma once

#include <QObject>
#include <QPointer>

class QAction;
class QKeyEvent;
class QWidget;

// Alt+letter and Alt+digit shortcuts of a window's actions win over the
// mnemonics of its menu bar and of the controls in it, as accelerators do on
// Windows. Left to itself Qt finds both for a key like Alt+H (Go > "&Home
// Page" and the "&Help" menu), calls the key ambiguous and runs neither or
// opens the menu. Installed on the application, this filter runs the window's
// enabled, visible action with that shortcut whenever the key is pressed in
// the window, wherever the focus is inside it, and swallows the key. Keys
// without such an action go their usual way, mnemonics included. An Alt key
// that neither runs an action nor opens a menu types nothing either (Qt would
// type its letter into a text field), except in page, whose documents give
// such keys meanings of their own (access keys). Keys for other windows
// (dialogs, open menus) are left alone.
class AcceleratorKeys : public QObject {
    Q_OBJECT
public:
    explicit AcceleratorKeys(QWidget* window, QWidget* page = nullptr);
    ~AcceleratorKeys() override;

    // The action that key runs in the window, or nullptr.
    QAction* actionFor(const QKeyEvent& key) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isInWindow(QObject* receiver) const;

    QPointer<QWidget> m_window;
    QPointer<QWidget> m_page;
};
