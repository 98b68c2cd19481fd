#pragma once

#include <QComboBox>

// An editable combo box that completes typed text from its own list, the way
// an address bar does: after each key release (except Backspace, Delete and
// Shift) the first item that begins with the text, letter case aside, becomes
// the current item and the completed tail is selected, so the next typed
// character replaces it. A completion emits none of the box's signals: it is
// not the user choosing an entry. With TextCompletion off the box is a plain
// editable combo box. Qt's own inline completer and the insertion of typed
// text into the list on Enter are switched off.
class CompletingComboBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(bool TextCompletion READ textCompletion WRITE setTextCompletion)

public:
    explicit CompletingComboBox(QWidget* parent = nullptr);

    bool textCompletion() const { return m_textCompletion; }
    void setTextCompletion(bool on) { m_textCompletion = on; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Drops the completer QComboBox gives every new line edit and watches its keys.
    void adoptLineEdit();
    // Completes the edit field's text; true when it did.
    bool completeText(int releasedKey);

    bool m_textCompletion = false;
    QObject* m_watchedEdit = nullptr;
};
