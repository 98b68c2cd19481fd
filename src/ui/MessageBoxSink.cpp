#include "MessageBoxSink.h"

#include <QApplication>
#include <QMessageBox>

QWidget* MessageBoxSink::parentWindow()
{
    return QApplication::activeWindow();
}

QString MessageBoxSink::titleOrDefault(const QString& title)
{
    return title.isEmpty() ? QApplication::applicationDisplayName() : title;
}

void MessageBoxSink::showMessage(const QString& text, const QString& title)
{
    QMessageBox::information(parentWindow(), titleOrDefault(title), text);
}

bool MessageBoxSink::askYesNo(const QString& text, const QString& title)
{
    return QMessageBox::question(parentWindow(), titleOrDefault(title), text, QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}

MessageSink::Answer MessageBoxSink::askYesNoCancel(const QString& text, const QString& title)
{
    const QMessageBox::StandardButton answer = QMessageBox::question(parentWindow(), titleOrDefault(title), text,
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Yes)
        return Answer::Yes;
    if (answer == QMessageBox::No)
        return Answer::No;
    return Answer::Cancel;
}
