#include "CompletingComboBox.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

CompletingComboBox::CompletingComboBox(QWidget* parent)
    : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    adoptLineEdit();
}

void CompletingComboBox::adoptLineEdit()
{
    QLineEdit* edit = lineEdit();
    if (!edit)
        return;
    if (edit->completer())
        setCompleter(nullptr);
    if (m_watchedEdit != edit) {
        edit->installEventFilter(this);
        m_watchedEdit = edit;
    }
}

void CompletingComboBox::focusInEvent(QFocusEvent* event)
{
    adoptLineEdit();
    QComboBox::focusInEvent(event);
}

void CompletingComboBox::keyPressEvent(QKeyEvent* event)
{
    adoptLineEdit();
    QComboBox::keyPressEvent(event);
}

void CompletingComboBox::keyReleaseEvent(QKeyEvent* event)
{
    QComboBox::keyReleaseEvent(event);
    if (completeText(event->key()))
        event->accept();
}

bool CompletingComboBox::eventFilter(QObject* watched, QEvent* event)
{
    // Keys delivered to the edit field itself rather than through the box.
    if (watched == m_watchedEdit && event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (completeText(key->key())) {
            key->accept();
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

bool CompletingComboBox::completeText(int releasedKey)
{
    if (releasedKey == Qt::Key_Backspace || releasedKey == Qt::Key_Delete || releasedKey == Qt::Key_Shift)
        return false;
    QLineEdit* edit = lineEdit();
    if (!m_textCompletion || !edit)
        return false;

    const QString text = edit->text();
    // An empty field is left alone: a key like Tab or an arrow would otherwise
    // fill it with the first item.
    if (text.isEmpty())
        return false;
    int found = -1;
    for (int i = 0; i < count(); ++i) {
        if (itemText(i).startsWith(text, Qt::CaseInsensitive)) {
            found = i;
            break;
        }
    }
    if (found < 0)
        return false;

    const int typedLength = text.size();
    {
        const QSignalBlocker blockBox(this);
        setCurrentIndex(found);
        // Picking the same item again leaves the edit field as typed: show the item's text.
        edit->setText(itemText(found));
    }
    edit->setSelection(typedLength, edit->text().size() - typedLength);
    return true;
}
