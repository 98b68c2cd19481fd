#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// Gives the keyboard focus back to a window when another window of the
// program closes (a dialog, a message box, the editor, the help window, a
// pop-up menu): the window is activated again and the widget that last had
// the focus in it gets it back. Without this the focus may be left on no window at all, and the
// window's shortcuts do nothing until the user clicks into it. Nothing is
// done while a modal dialog or a menu is still open, or when the user is
// working in another visible window of the program.
class FocusReturn : public QObject {
    Q_OBJECT
public:
    explicit FocusReturn(QWidget* window);
    ~FocusReturn() override;

    // The widget of the window that had the focus last, or nullptr.
    QWidget* lastFocus() const { return m_lastFocus; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void focusChanged(QWidget* now);
    void takeFocusBack();

    QPointer<QWidget> m_window;
    QPointer<QWidget> m_lastFocus;
    bool m_pending = false;
};
