#pragma once

#include <QComboBox>

// An editable combo box that completes typed text from its own list, the way
// an address bar does: on the release of a key whose press typed a character
// and so changed the text, the first item that begins with the text, letter
// case aside, becomes the current item and the completed tail is selected, so
// the next typed character replaces it. Keys that type nothing (Backspace,
// Delete, arrows, Home and End, Shift) and Ctrl, Alt or Meta combinations
// never complete, so a selection made with them stays as it is. A completion emits none of the box's signals: it is
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
    // Notes a key press before the edit field handles it.
    void keyPressing(const QKeyEvent& event);
    // On a key release: completes the edit field's text when the last key
    // press typed a character that changed it; true when it did.
    bool completeTypedText();
    bool completeText();

    bool m_textCompletion = false;
    bool m_typed = false;       // the last key press typed a character
    QString m_textBeforeTyping; // the edit field's text before that press
    QObject* m_watchedEdit = nullptr;
};
