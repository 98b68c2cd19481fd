#pragma once

#include "MessageSink.h"

class QWidget;

// The desktop program's message sink: modal message boxes over the active
// window, titled with the application's title unless a title is given.
class MessageBoxSink : public MessageSink {
public:
    void showMessage(const QString& text, const QString& title = QString()) override;
    bool askYesNo(const QString& text, const QString& title = QString()) override;
    Answer askYesNoCancel(const QString& text, const QString& title = QString()) override;

private:
    static QWidget* parentWindow();
    static QString titleOrDefault(const QString& title);
};
