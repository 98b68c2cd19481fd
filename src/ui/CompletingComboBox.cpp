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
    keyPressing(*event);
    QComboBox::keyPressEvent(event);
}

void CompletingComboBox::keyReleaseEvent(QKeyEvent* event)
{
    QComboBox::keyReleaseEvent(event);
    if (completeTypedText())
        event->accept();
}

bool CompletingComboBox::eventFilter(QObject* watched, QEvent* event)
{
    // Keys delivered to the edit field itself rather than through the box.
    if (watched == m_watchedEdit) {
        if (event->type() == QEvent::KeyPress) {
            keyPressing(*static_cast<QKeyEvent*>(event));
        } else if (event->type() == QEvent::KeyRelease && completeTypedText()) {
            event->accept();
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

void CompletingComboBox::keyPressing(const QKeyEvent& event)
{
    const QString typed = event.text();
    bool printable = !typed.isEmpty();
    for (const QChar c : typed)
        printable = printable && c.isPrint();
    m_typed = printable && !(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (m_typed)
        m_textBeforeTyping = lineEdit() ? lineEdit()->text() : QString();
}

bool CompletingComboBox::completeTypedText()
{
    if (!m_typed)
        return false;
    m_typed = false;
    if (!lineEdit() || lineEdit()->text() == m_textBeforeTyping)
        return false;
    return completeText();
}

bool CompletingComboBox::completeText()
{
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
