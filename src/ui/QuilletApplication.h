#pragma once

#include <QApplication>

// The desktop program's application object. An error that a command does not
// catch itself ends that command only: its text is shown in a message box and
// the program goes on.
class QuilletApplication : public QApplication {
    Q_OBJECT
public:
    QuilletApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};
